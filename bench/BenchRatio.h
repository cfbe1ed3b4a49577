#pragma once
// Benchmarks print each figure beside a baseline measured in the same run.
// A benchmark file registers its comparisons with KvBenchRatio(name,
// baseline, goal) and ends with KURVEX_BENCH_MAIN(); after the usual table
// it prints one line per comparison: "name / baseline = ratio (goal ...)".
// Names are the benchmark names as Google Benchmark prints them.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace kvbench {

struct TRatio {
    std::string Name;
    std::string Baseline;
    double Goal; // the ratio must stay below this; 0 for none
};

inline std::vector<TRatio>& Ratios()
{
    static std::vector<TRatio> Items;
    return Items;
}

class TRatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> Times; // real time per iteration, ns

    void ReportRuns(const std::vector<Run>& Runs) override
    {
        for (const Run& R : Runs)
            if (R.run_type == Run::RT_Iteration || R.aggregate_name == "median")
                Times[R.run_name.str()] = R.GetAdjustedRealTime() *
                    (R.time_unit == benchmark::kMillisecond ? 1e6 : R.time_unit == benchmark::kMicrosecond ? 1e3 : 1.0);
        ConsoleReporter::ReportRuns(Runs);
    }
};

inline int RunAll(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    TRatioReporter Reporter;
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    std::printf("\nRatios to the baselines of this run:\n");
    for (const TRatio& R : Ratios()) {
        auto A = Reporter.Times.find(R.Name);
        auto B = Reporter.Times.find(R.Baseline);
        if (A == Reporter.Times.end() || B == Reporter.Times.end() || B->second <= 0) {
            std::printf("  %s / %s: not measured\n", R.Name.c_str(), R.Baseline.c_str());
            continue;
        }
        const double Ratio = A->second / B->second;
        if (R.Goal > 0)
            std::printf("  %s / %s = %.3f (goal < %.2f: %s)\n", R.Name.c_str(), R.Baseline.c_str(), Ratio, R.Goal,
                        Ratio < R.Goal ? "met" : "missed");
        else
            std::printf("  %s / %s = %.3f\n", R.Name.c_str(), R.Baseline.c_str(), Ratio);
    }
    benchmark::Shutdown();
    return 0;
}

} // namespace kvbench

#define KV_BENCH_CONCAT2(a, b) a##b
#define KV_BENCH_CONCAT(a, b) KV_BENCH_CONCAT2(a, b)
// KvBenchRatio("BM_Read/10000000", "BM_FromChars/10000000", 1.5);
#define KvBenchRatio(Name, Baseline, Goal)                                                     \
    static const bool KV_BENCH_CONCAT(KvRatioRegistered, __LINE__) =                           \
        (kvbench::Ratios().push_back({Name, Baseline, Goal}), true)
#define KURVEX_BENCH_MAIN()                                                                    \
    int main(int argc, char** argv) { return kvbench::RunAll(argc, argv); }
