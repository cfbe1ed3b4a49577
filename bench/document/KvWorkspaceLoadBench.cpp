// A data file with 2,400 series, each with a linear regression below it,
// loaded as the program opens it: table, graph-window models and
// calculations. Once as 24 graphs of 100 series, once as 4 graphs of 600,
// where each axis carries six times the ranges. The baseline reads the
// same file's lines as plain text in the same run. Also timed against it:
// the workspace torn down, and the file written again.

#include "BenchRatio.h"

#include "foundation/KvTextFile.h"
#include "workspace/KvWorkspace.h"

#include <QGuiApplication>

#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

using namespace kv;

namespace {

// 2,400 series in all; the benchmarks' argument is the number per graph,
// and so per axis, where the axes' bookkeeping grows with it.
constexpr int SeriesInAll = 2400;
constexpr int Rows = 300;
constexpr int YColumns = 100;

std::string BenchFile(const char* Suffix)
{
    return (std::filesystem::temp_directory_path() / ("kurvex-workspace-bench-" + std::to_string(::getpid()) + Suffix))
        .string();
}

std::string JoinedList(int Count, int (*Value)(int))
{
    std::string Text;
    for (int s = 0; s < Count; ++s)
        Text.append(s ? ";" : "").append(std::to_string(Value(s)));
    return Text;
}

// The least a data file needs: the assignment of every series (column A
// as X, one of 100 columns as Y), one regression per series and the
// columns' values. Saved once through the workspace, it gets every key the
// program writes.
std::string MinimalFile(int SeriesPerGraph)
{
    const int Graphs = SeriesInAll / SeriesPerGraph;
    std::string T = "[Graphs]\r\nMaxSeries=" + std::to_string(SeriesPerGraph) + "\r\nGraphCount=" +
                    std::to_string(Graphs) + "\r\n\r\n";
    for (int g = 1; g <= Graphs; ++g) {
        T += "[Graph(" + std::to_string(g) + ")]\r\nTitle=Graph " + std::to_string(g) + "\r\n";
        T += "XAxis=" + JoinedList(SeriesPerGraph, [](int) { return 1; }) + "\r\n";
        T += "YAxis=" + JoinedList(SeriesPerGraph, [](int s) { return s % YColumns + 2; }) + "\r\n";
        T += "SeriesCount=" + std::to_string(SeriesPerGraph) + "\r\n\r\n";
    }
    for (int g = 1; g <= Graphs; ++g)
        for (int s = 1; s <= SeriesPerGraph; ++s) {
            const std::string Series = "Graph(" + std::to_string(g) + ").Series(" + std::to_string(s) + ")";
            T += "[" + Series + "]\r\nChildCount=1\r\n\r\n";
            T += "[" + Series + ".Child(1)]\r\nCalculation=Linear Regression\r\nDoFixedOffset=0\r\n\r\n";
        }
    // Column k's values are in Column(k-1).
    for (int k = 1; k <= YColumns + 1; ++k) {
        T += "[Column(" + std::to_string(k - 1) + ")]\r\nData=";
        for (int i = 0; i < Rows; ++i)
            T.append(i ? ";" : "").append(std::to_string(k == 1 ? i * 0.5 : (i % 37) * 0.25 * k - i * 0.01));
        T += "\r\n\r\n";
    }
    T += "[Table]\r\nMaxColumns=" + std::to_string(YColumns + 1) + "\r\n";
    return T;
}

// Labels measure their texts with the fonts of a running application.
void StartApplication()
{
    static int Argc = 1;
    static char Name[] = "workspace_load_bench";
    static char* Argv[] = {Name, nullptr};
    static const std::unique_ptr<QGuiApplication> Instance = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QGuiApplication>(Argc, Argv);
    }();
}

std::string SavedFileName(int SeriesPerGraph)
{
    std::string Suffix = "-";
    Suffix += std::to_string(SeriesPerGraph);
    Suffix += ".plt";
    return BenchFile(Suffix.c_str());
}

const std::string& SavedFile(int SeriesPerGraph)
{
    static std::map<int, std::string> Files;
    if (const auto It = Files.find(SeriesPerGraph); It != Files.end())
        return It->second;
    return Files[SeriesPerGraph] = [SeriesPerGraph] {
        StartApplication();
        const std::string Minimal = BenchFile("-minimal.plt");
        WriteFileReplacing(Minimal, MinimalFile(SeriesPerGraph));
        const std::string F = SavedFileName(SeriesPerGraph);
        std::filesystem::remove(F);
        {
            TKvWorkspace W;
            W.LoadFromFile(Minimal);
            W.SaveToFile(F);
        }
        std::filesystem::remove(Minimal);
        return F;
    }();
}

size_t CalculationCount(TKvWorkspace& W)
{
    size_t n = 0;
    for (int32_t g = 1; g <= W.WindowCount(); ++g)
        n += W.Window(g).Calculations().size();
    return n;
}

void BM_LoadPlainLines(benchmark::State& State)
{
    const std::string& File = SavedFile(int(State.range(0)));
    size_t Lines = 0;
    for (auto _ : State) {
        std::vector<std::string> Text;
        UseTextFile(File, [&](std::string_view View) {
            const char* P = View.data();
            const char* End = P + View.size();
            while (P < End) {
                const void* Hit = std::memchr(P, '\n', size_t(End - P));
                const char* Stop = Hit ? static_cast<const char*>(Hit) : End;
                Text.emplace_back(P, Stop > P && Stop[-1] == '\r' ? Stop - 1 : Stop);
                P = Stop + 1;
            }
        });
        Lines = Text.size();
        benchmark::DoNotOptimize(Text.data());
    }
    State.counters["lines"] = double(Lines);
}

void BM_LoadWorkspace(benchmark::State& State)
{
    const std::string& File = SavedFile(int(State.range(0)));
    size_t Calculations = 0;
    for (auto _ : State) {
        State.PauseTiming();
        auto W = std::make_unique<TKvWorkspace>();
        State.ResumeTiming();
        W->LoadFromFile(File);
        State.PauseTiming();
        Calculations = CalculationCount(*W);
        W.reset();
        State.ResumeTiming();
    }
    State.counters["calculations"] = double(Calculations);
    if (Calculations != size_t{SeriesInAll})
        State.SkipWithError("not every regression was loaded");
}

void BM_TeardownWorkspace(benchmark::State& State)
{
    const std::string& File = SavedFile(int(State.range(0)));
    for (auto _ : State) {
        State.PauseTiming();
        auto W = std::make_unique<TKvWorkspace>();
        W->LoadFromFile(File);
        State.ResumeTiming();
        W.reset();
    }
}

void BM_SaveWorkspace(benchmark::State& State)
{
    const std::string& File = SavedFile(int(State.range(0)));
    const std::string Out = BenchFile("-save.plt");
    TKvWorkspace W;
    W.LoadFromFile(File);
    for (auto _ : State) {
        State.PauseTiming();
        std::filesystem::remove(Out); // a new file: nothing old to load
        State.ResumeTiming();
        W.SaveToFile(Out);
    }
    std::filesystem::remove(Out);
}

struct TCleanup {
    ~TCleanup()
    {
        for (const int n : {100, 600})
            std::filesystem::remove(SavedFileName(n));
    }
} Cleanup;

} // namespace

BENCHMARK(BM_LoadPlainLines)->Unit(benchmark::kMillisecond)->Iterations(20)->Arg(100)->Arg(600);
BENCHMARK(BM_LoadWorkspace)->Unit(benchmark::kMillisecond)->Iterations(10)->Arg(100)->Arg(600);
BENCHMARK(BM_TeardownWorkspace)->Unit(benchmark::kMillisecond)->Iterations(10)->Arg(100)->Arg(600);
BENCHMARK(BM_SaveWorkspace)->Unit(benchmark::kMillisecond)->Iterations(10)->Arg(100)->Arg(600);

KvBenchRatio("BM_LoadWorkspace/100/iterations:10", "BM_LoadPlainLines/100/iterations:20", 0);
KvBenchRatio("BM_LoadWorkspace/600/iterations:10", "BM_LoadPlainLines/600/iterations:20", 0);
KvBenchRatio("BM_TeardownWorkspace/100/iterations:10", "BM_LoadPlainLines/100/iterations:20", 0);
KvBenchRatio("BM_TeardownWorkspace/600/iterations:10", "BM_LoadPlainLines/600/iterations:20", 0);
KvBenchRatio("BM_SaveWorkspace/100/iterations:10", "BM_LoadPlainLines/100/iterations:20", 0);
KvBenchRatio("BM_SaveWorkspace/600/iterations:10", "BM_LoadPlainLines/600/iterations:20", 0);

KURVEX_BENCH_MAIN()
