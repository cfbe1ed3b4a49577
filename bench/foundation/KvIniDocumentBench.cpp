// A data file of many small sections, as graphs with 2,400 series and their
// calculations give (about 90,000 lines), saved and loaded through the INI
// store, against writing and reading the same lines as plain text in the
// same run: the same number texts are formatted and converted, only the
// sections and keys are not looked up.

#include "BenchRatio.h"

#include "foundation/KvLargeIniFile.h"
#include "foundation/KvStrings.h"
#include "foundation/KvTextFile.h"

#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

using namespace kv;

namespace {

constexpr int Graphs = 24;
constexpr int SeriesPerGraph = 100;

enum class TKind { KInteger, KFloat, KText };

struct TKeyDef {
    const char* Name;
    TKind Kind;
};

// The keys of one series and of one calculation below it.
const TKeyDef SeriesKeys[] = {
    {"XColumn", TKind::KInteger}, {"YColumn", TKind::KInteger}, {"WeightColumn", TKind::KInteger},
    {"XErrorColumn", TKind::KInteger}, {"YErrorColumn", TKind::KInteger}, {"Title", TKind::KText},
    {"Line.Visible", TKind::KInteger}, {"Line.Color", TKind::KInteger}, {"Line.Style", TKind::KInteger},
    {"Line.Width", TKind::KInteger}, {"Point.Symbol", TKind::KInteger}, {"Point.Size", TKind::KInteger},
    {"Point.Color", TKind::KInteger}, {"Point.FillColor", TKind::KInteger}, {"ErrorBars.Visible", TKind::KInteger},
    {"ErrorBars.Color", TKind::KInteger}, {"XRange.Start", TKind::KFloat}, {"XRange.Stop", TKind::KFloat},
    {"YRange.Start", TKind::KFloat}, {"YRange.Stop", TKind::KFloat}, {"HorizontalAxis", TKind::KInteger},
    {"VerticalAxis", TKind::KInteger}, {"Legend", TKind::KInteger}, {"ChildCount", TKind::KInteger},
};
const TKeyDef CalculationKeys[] = {
    {"Calculation", TKind::KText}, {"Caption", TKind::KText}, {"CalcRange.Start", TKind::KFloat},
    {"CalcRange.Stop", TKind::KFloat}, {"DisplayRange.Start", TKind::KFloat}, {"DisplayRange.Stop", TKind::KFloat},
    {"AutoCalcRange", TKind::KInteger}, {"AutoDisplayRange", TKind::KInteger}, {"Order", TKind::KInteger},
    {"Line.Color", TKind::KInteger},
};

std::string SeriesSection(int g, int s) { return "Graph(" + std::to_string(g) + ").Series(" + std::to_string(s) + ")"; }

std::string ValueText(const TKeyDef& Key, int g, int s, int k)
{
    switch (Key.Kind) {
    case TKind::KInteger: return std::to_string((g * 131 + s * 17 + k) % 1000);
    case TKind::KFloat: return FloatToIniText((g * 1.37 + s * 0.011 + k) * 1e-3);
    case TKind::KText: return "Curve " + std::to_string(s) + " of graph " + std::to_string(g);
    }
    return {};
}

// Calls Visit(section, key, key number, graph, series) for every key of the
// document in file order.
template <class TVisit>
void ForEachKey(TVisit Visit)
{
    for (int g = 1; g <= Graphs; ++g)
        for (int s = 1; s <= SeriesPerGraph; ++s) {
            const std::string Series = SeriesSection(g, s);
            for (int k = 0; k < int(std::size(SeriesKeys)); ++k)
                Visit(Series, SeriesKeys[k], k, g, s);
            const std::string Child = Series + ".Child(1)";
            for (int k = 0; k < int(std::size(CalculationKeys)); ++k)
                Visit(Child, CalculationKeys[k], k, g, s);
        }
}

std::string BenchFile(const char* Suffix)
{
    return (std::filesystem::temp_directory_path() /
            ("kurvex-ini-bench-" + std::to_string(::getpid()) + Suffix))
        .string();
}

void WriteStore(const std::string& File)
{
    TKvLargeIniFile Store(File);
    ForEachKey([&](const std::string& Section, const TKeyDef& Key, int k, int g, int s) {
        Store.WriteString(Section, Key.Name, ValueText(Key, g, s, k));
    });
    Store.Release();
}

// The same lines as the store writes them, appended to one text.
void WritePlain(const std::string& File)
{
    std::string Text;
    std::string Last;
    ForEachKey([&](const std::string& Section, const TKeyDef& Key, int k, int g, int s) {
        if (Section != Last) {
            if (!Last.empty())
                Text += "\r\n";
            Text += "[" + Section + "]\r\n";
            Last = Section;
        }
        Text += Key.Name;
        Text += '=';
        Text += ValueText(Key, g, s, k);
        Text += "\r\n";
    });
    WriteFileReplacing(File, Text);
}

double Convert(TKind Kind, std::string_view Value)
{
    switch (Kind) {
    case TKind::KInteger: return ExtractInteger(Value);
    case TKind::KFloat: return ExtractFloat(Value);
    case TKind::KText: return double(std::string(Value).size());
    }
    return 0;
}

double ReadStore(const std::string& File)
{
    TKvLargeIniFile Store(File);
    double Sum = 0;
    ForEachKey([&](const std::string& Section, const TKeyDef& Key, int, int, int) {
        Sum += Convert(Key.Kind, Store.FindValue(Section, Key.Name).value_or("0"));
    });
    Store.Release();
    return Sum;
}

// The lines split and every value after its "=" converted in file order.
double ReadPlain(const std::string& File)
{
    double Sum = 0;
    UseTextFile(File, [&](std::string_view Text) {
        std::vector<std::string> Lines;
        const char* P = Text.data();
        const char* End = P + Text.size();
        while (P < End) {
            const void* Hit = std::memchr(P, '\n', size_t(End - P));
            const char* Stop = Hit ? static_cast<const char*>(Hit) : End;
            Lines.emplace_back(P, Stop > P && Stop[-1] == '\r' ? Stop - 1 : Stop);
            P = Stop + 1;
        }
        size_t Line = 0;
        ForEachKey([&](const std::string&, const TKeyDef& Key, int k, int, int) {
            while (Lines[Line].empty() || Lines[Line][0] == '[')
                ++Line;
            const std::string& L = Lines[Line++];
            Sum += Convert(Key.Kind, std::string_view(L).substr(std::strlen(Key.Name) + 1));
            (void)k;
        });
    });
    return Sum;
}

void BM_SavePlainText(benchmark::State& State)
{
    const std::string File = BenchFile(".txt");
    for (auto _ : State)
        WritePlain(File);
    std::filesystem::remove(File);
}

void BM_SaveIniStore(benchmark::State& State)
{
    const std::string File = BenchFile(".plt");
    for (auto _ : State) {
        State.PauseTiming();
        std::filesystem::remove(File); // a new file, as a first save
        State.ResumeTiming();
        WriteStore(File);
    }
    State.counters["lines"] = [&] {
        TKvLargeIniFile Store(File);
        return double(Store.LineCount());
    }();
    std::filesystem::remove(File);
}

void BM_LoadPlainText(benchmark::State& State)
{
    const std::string File = BenchFile(".txt");
    WritePlain(File);
    for (auto _ : State)
        benchmark::DoNotOptimize(ReadPlain(File));
    std::filesystem::remove(File);
}

void BM_LoadIniStore(benchmark::State& State)
{
    const std::string File = BenchFile(".plt");
    WriteStore(File);
    const double Expected = ReadPlain(File);
    for (auto _ : State)
        if (ReadStore(File) != Expected)
            State.SkipWithError("values differ from the plain reading");
    std::filesystem::remove(File);
}

} // namespace

BENCHMARK(BM_SavePlainText)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_SaveIniStore)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_LoadPlainText)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_LoadIniStore)->Unit(benchmark::kMillisecond)->Iterations(10);

KvBenchRatio("BM_SaveIniStore/iterations:10", "BM_SavePlainText/iterations:10", 1.5);
KvBenchRatio("BM_LoadIniStore/iterations:10", "BM_LoadPlainText/iterations:10", 1.5);

KURVEX_BENCH_MAIN()
