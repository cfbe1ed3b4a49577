// WriteVector and ReadVector of a "Data" line of ten million numbers,
// against a plain std::to_chars / std::from_chars loop over the same
// numbers in the same run.

#include "BenchRatio.h"

#include "foundation/KvIniList.h"

#include <charconv>
#include <random>
#include <string>
#include <vector>

using namespace kv;

namespace {

constexpr int Count = 10'000'000;

// Measured values as a table holds them: a few significant digits, varied
// magnitudes and signs.
const TKvRealVector& Values()
{
    static const TKvRealVector V = [] {
        TKvRealVector R;
        std::mt19937_64 Random(7);
        std::uniform_real_distribution<double> Mantissa(-1000, 1000);
        std::uniform_int_distribution<int> Digits(2, 14);
        R.Reserve(Count);
        for (int i = 0; i < Count; ++i) {
            const double P = std::pow(10.0, Digits(Random) - 3);
            R.Add(std::round(Mantissa(Random) * P) / P);
        }
        return R;
    }();
    return V;
}

const std::string& DataText()
{
    static const std::string Text = [] {
        TKvIniList Ini;
        Ini.WriteVector("Column(0)", "Data", Values());
        return Ini.ReadString("Column(0)", "Data", "");
    }();
    return Text;
}

void SetNumbers(benchmark::State& State)
{
    State.SetItemsProcessed(State.iterations() * Count);
    State.counters["numbers/s"] = benchmark::Counter(double(State.iterations()) * Count, benchmark::Counter::kIsRate);
}

void BM_WriteVector(benchmark::State& State)
{
    const TKvRealVector& V = Values();
    for (auto _ : State) {
        TKvIniList Ini;
        Ini.WriteVector("Column(0)", "Data", V);
        benchmark::DoNotOptimize(Ini.FindValue("Column(0)", "Data")->size());
    }
    SetNumbers(State);
}

void BM_PlainToChars(benchmark::State& State)
{
    const TKvRealVector& V = Values();
    for (auto _ : State) {
        std::string Out;
        char Buf[32];
        for (int i = 0; i < Count; ++i) {
            auto R = std::to_chars(Buf, Buf + sizeof Buf, V[i], std::chars_format::general, 14);
            Out.append(Buf, R.ptr);
            Out += ';';
        }
        benchmark::DoNotOptimize(Out.size());
    }
    SetNumbers(State);
}

void BM_ReadVector(benchmark::State& State)
{
    TKvIniList Ini;
    Ini.WriteString("Column(0)", "Data", DataText());
    TKvRealVector V;
    for (auto _ : State) {
        Ini.ReadVector("Column(0)", "Data", V);
        benchmark::DoNotOptimize(V.Count());
    }
    if (V.Count() != Count)
        State.SkipWithError("wrong count");
    SetNumbers(State);
}

void BM_PlainFromChars(benchmark::State& State)
{
    const std::string& Text = DataText();
    std::vector<double> V;
    V.reserve(Count);
    for (auto _ : State) {
        V.clear();
        const char* P = Text.data();
        const char* End = P + Text.size();
        while (P < End) {
            double X;
            auto R = std::from_chars(P, End, X);
            V.push_back(X);
            P = R.ptr + 1;
        }
        benchmark::DoNotOptimize(V.data());
    }
    SetNumbers(State);
}

} // namespace

BENCHMARK(BM_PlainToChars)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WriteVector)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PlainFromChars)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadVector)->Unit(benchmark::kMillisecond)->Iterations(3);

KvBenchRatio("BM_WriteVector/iterations:3", "BM_PlainToChars/iterations:3", 2.0);
KvBenchRatio("BM_ReadVector/iterations:3", "BM_PlainFromChars/iterations:3", 1.5);

KURVEX_BENCH_MAIN()
