// Reading a 10-million-row, 3-column CSV with detection, against a plain
// std::from_chars loop over the same text that stores the same numbers
// (the least any reader of the text must do). Both run in the same process.

#include "BenchRatio.h"

#include "document/KvTextDetect.h"
#include "document/KvTextImport.h"
#include "foundation/KvStrings.h"

#include <charconv>
#include <random>
#include <string>
#include <vector>

using namespace kv;

namespace {

constexpr int64_t Rows = 10'000'000;

// What a logger writes: a time, a measured value and a small integer count,
// with a caption line.
const std::string& CsvText()
{
    static std::string Text;
    if (Text.empty()) {
        std::mt19937_64 Random(11);
        std::normal_distribution<double> Noise(0, 0.05);
        std::uniform_int_distribution<int> Count(0, 2000);
        Text.reserve(static_cast<size_t>(Rows) * 32);
        Text += "time,signal,count\n";
        char Line[96];
        for (int64_t i = 0; i < Rows; ++i) {
            const double T = static_cast<double>(i) * 0.001;
            const int N = std::snprintf(Line, sizeof Line, "%.3f,%.9g,%d\n", T, 1.0 / (1.0 + T) + Noise(Random),
                                        Count(Random));
            Text.append(Line, static_cast<size_t>(N));
        }
    }
    return Text;
}

void BM_FromCharsLoop(benchmark::State& State)
{
    const std::string& Text = CsvText();
    for (auto _ : State) {
        std::vector<std::vector<double>> Columns(3);
        const char* P = Text.data() + Text.find('\n') + 1;
        const char* End = Text.data() + Text.size();
        size_t Column = 0;
        while (P < End) {
            double X = 0;
            P = std::from_chars(P, End, X).ptr;
            Columns[Column].push_back(X);
            Column = *P == '\n' ? 0 : Column + 1;
            ++P;
        }
        benchmark::DoNotOptimize(Columns[2].size());
    }
    State.SetItemsProcessed(State.iterations() * Rows);
}

void BM_DetectAndRead(benchmark::State& State)
{
    const std::string& Text = CsvText();
    for (auto _ : State) {
        const TKvTextTable Table = ReadTextTable(Text, DetectTextFormat(Text));
        if (Table.Columns.size() != 3 || Table.Rows != Rows || Table.Unreadable != 0)
            State.SkipWithError("the table was not read as written");
        benchmark::DoNotOptimize(Table.Columns[2].size());
    }
    State.SetItemsProcessed(State.iterations() * Rows);
}

} // namespace

BENCHMARK(BM_FromCharsLoop)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DetectAndRead)->Unit(benchmark::kMillisecond)->Iterations(3);

KvBenchRatio("BM_DetectAndRead/iterations:3", "BM_FromCharsLoop/iterations:3", 1.5);

KURVEX_BENCH_MAIN()
