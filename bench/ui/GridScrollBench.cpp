// Scrolling a table grid in page steps: the time of one repaint of a
// 1000x700 grid over ten million rows beside the same over a hundred rows.
// Each repetition starts at another place of the table (top, middle,
// bottom) and pages on from there, wrapping at the end.

#include "BenchRatio.h"

#include "foundation/KvStrings.h"
#include "foundation/KvVector.h"
#include "ui/KvCellGrid.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>

#include <memory>

using namespace kv;

namespace {

struct TTable {
    std::vector<TKvRealVector> Columns;
    explicit TTable(int Rows) : Columns(4)
    {
        for (size_t c = 0; c < Columns.size(); ++c) {
            Columns[c].Reserve(Rows);
            for (int r = 0; r < Rows; ++r)
                Columns[c].Add(r * 0.001 * static_cast<double>(c + 1) + 1.0 / 3);
        }
    }
};

void BM_PageRepaint(benchmark::State& State)
{
    const int Rows = static_cast<int>(State.range(0));
    static std::map<int, std::unique_ptr<TTable>> Tables;
    auto& Table = Tables[Rows];
    if (!Table)
        Table = std::make_unique<TTable>(Rows);
    TKvCellGrid Grid;
    Grid.resize(1000, 700);
    Grid.SetColCount(27);
    Grid.SetLockedRows(4);
    Grid.SetRowCount(Rows + 4 + 10);
    Grid.OnGetCellData = [&](int Row, int Col) -> QString {
        if (Row < 4)
            return Col == 0 ? QString("Caption") : QString::fromStdString(ColumnName(Col));
        const int r = Row - 4;
        if (Col == 0)
            return QString::number(r + 1);
        const TKvRealVector& V = Table->Columns[static_cast<size_t>(Col % 4)];
        return r < V.Count() ? QString::fromStdString(FloatToText(V[r])) : QString();
    };
    Grid.show();
    QImage Image(Grid.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    static int Repetition = 0;
    QScrollBar* Bar = Grid.verticalScrollBar();
    Bar->setValue(Bar->maximum() / 2 * (Repetition++ % 3));
    for (auto _ : State) {
        const int Next = Bar->value() + Bar->pageStep();
        Bar->setValue(Next > Bar->maximum() ? 0 : Next);
        Grid.viewport()->render(&Image);
        benchmark::DoNotOptimize(Image.bits());
    }
}

} // namespace

BENCHMARK(BM_PageRepaint)->Arg(100)->Arg(10'000'000)->Unit(benchmark::kMillisecond)
    ->MinTime(1.0)->Repetitions(3)->ReportAggregatesOnly(true);

KvBenchRatio("BM_PageRepaint/10000000/min_time:1.000/repeats:3",
             "BM_PageRepaint/100/min_time:1.000/repeats:3", 1.2);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    return kvbench::RunAll(argc, argv);
}
