// Pasting a copied column of a million rows into the table, against reading
// the same text with the text import's reader, for each kind of line end
// (CR, LF, CR LF). Both run on a fresh table in the same process.

#include "BenchRatio.h"

#include "document/KvDataTable.h"
#include "foundation/KvStrings.h"

#include <cmath>
#include <random>
#include <string>

using namespace kv;

namespace {

constexpr int32_t Rows = 1'000'000;

const char* LineEnd(int64_t Kind) { return Kind == 0 ? "\r" : Kind == 1 ? "\n" : "\r\n"; }

// Measured values as the grid copies them: varied digits and magnitudes.
const std::string& ColumnText(int64_t Kind)
{
    static std::string Texts[3];
    std::string& Text = Texts[Kind];
    if (Text.empty()) {
        std::mt19937_64 Random(7);
        std::uniform_real_distribution<double> Value(-1000, 1000);
        std::uniform_int_distribution<int> Exponent(-8, 8);
        for (int32_t i = 0; i < Rows; ++i) {
            if (i > 0)
                Text += LineEnd(Kind);
            Text += FloatToText(Value(Random) * std::pow(10.0, Exponent(Random)));
        }
    }
    return Text;
}

void BM_PasteRows(benchmark::State& State)
{
    const std::string& Text = ColumnText(State.range(0));
    for (auto _ : State) {
        TKvDataTable Table;
        benchmark::DoNotOptimize(Table.PasteText(Text, 1, 0));
    }
    State.SetItemsProcessed(State.iterations() * Rows);
}

void BM_ImportRows(benchmark::State& State)
{
    const std::string& Text = ColumnText(State.range(0));
    for (auto _ : State) {
        TKvDataTable Table;
        Table.ImportText(Text, '\t');
        benchmark::DoNotOptimize(Table.Data(1).Count());
    }
    State.SetItemsProcessed(State.iterations() * Rows);
}

} // namespace

BENCHMARK(BM_PasteRows)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ImportRows)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(3);

// Arguments: 0 CR, 1 LF, 2 CR LF.
KvBenchRatio("BM_PasteRows/0/iterations:3", "BM_ImportRows/0/iterations:3", 2.0);
KvBenchRatio("BM_PasteRows/1/iterations:3", "BM_ImportRows/1/iterations:3", 2.0);
KvBenchRatio("BM_PasteRows/2/iterations:3", "BM_ImportRows/2/iterations:3", 2.0);

KURVEX_BENCH_MAIN()
