// Repainting a graph window: a 1200x800 graph whose series holds ten
// million points, painted whole; one zoom step on it (zoom to the middle
// half, then paint); and a table edit that reaches the repainted graph of a
// one-million-point series. The baselines are a bare drawPolyline of the
// points the plot can show (two per pixel column, from a precomputed list)
// and the repaint of the million-point graph alone.

#include "BenchRatio.h"

#include "foundation/KvVector.h"
#include "ui/graphwindow/KvGraphView.h"
#include "workspace/KvGraphWindowModel.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <map>
#include <memory>

using namespace kv;

namespace {

struct TPlot {
    TKvLiveVector X, Y;
    TKvGraphWindowModel Model{1};
    std::unique_ptr<TKvGraphView> View;
    QImage Image{1200, 800, QImage::Format_ARGB32_Premultiplied};

    explicit TPlot(int Points)
    {
        X.Reserve(Points);
        Y.Reserve(Points);
        for (int i = 0; i < Points; ++i) {
            X.Add(i);
            Y.Add(std::sin(i * 1e-5) + 0.1 * std::sin(i * 0.37));
        }
        auto& S = Model.AddSeries(1);
        S.PointStyle.SetVisible(false);
        S.SetXData(&X);
        S.SetYData(&Y);
        View = std::make_unique<TKvGraphView>(Model.Graph);
        View->resize(1200, 800);
        Paint();
    }
    void Paint()
    {
        View->render(&Image);
        benchmark::DoNotOptimize(Image.bits());
    }
};

TPlot& Plot(int Points)
{
    static std::map<int, std::unique_ptr<TPlot>> Plots;
    auto& P = Plots[Points];
    if (!P)
        P = std::make_unique<TPlot>(Points);
    return *P;
}

void BM_GraphRepaint(benchmark::State& State)
{
    TPlot& P = Plot(static_cast<int>(State.range(0)));
    for (auto _ : State)
        P.Paint();
}

void BM_ZoomStep(benchmark::State& State)
{
    TPlot& P = Plot(static_cast<int>(State.range(0)));
    const TKvRect R = P.Model.Graph.World().PlotRect;
    const TKvRect Half{R.Left + R.Width() / 4, R.Top + R.Height() / 4, R.Right - R.Width() / 4,
                       R.Bottom - R.Height() / 4};
    for (auto _ : State) {
        P.Model.Graph.ZoomToRect(Half);
        P.Paint();
        State.PauseTiming();
        for (TKvAxis* A : {&P.Model.BottomAxis, &P.Model.LeftAxis, &P.Model.TopAxis, &P.Model.RightAxis})
            A->ResetZoom();
        P.Paint();
        State.ResumeTiming();
    }
}

// The points a 1200-pixel plot can show: a low and a high per column.
void BM_BarePolyline(benchmark::State& State)
{
    const TKvRect R = Plot(10'000'000).Model.Graph.World().PlotRect;
    std::vector<QPoint> Visible;
    for (int x = 0; x < R.Width(); ++x) {
        Visible.emplace_back(R.Left + x, R.Top + R.Height() / 3 + (x * 7) % 40);
        Visible.emplace_back(R.Left + x, R.Top + 2 * R.Height() / 3 - (x * 5) % 40);
    }
    QImage Image(1200, 800, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : State) {
        QPainter P(&Image);
        P.setPen(QPen(Qt::red, 0));
        P.drawPolyline(Visible.data(), static_cast<int>(Visible.size()));
        P.end();
        benchmark::DoNotOptimize(Image.bits());
    }
}

void BM_TableEditToPicture(benchmark::State& State)
{
    TPlot& P = Plot(static_cast<int>(State.range(0)));
    int i = 0;
    for (auto _ : State) {
        // A value inside the range: the point moves, the axes stay.
        P.Y.SetValue(i, 0.5 * std::sin(i * 0.001));
        i = (i + 7919) % P.Y.Count();
        P.Paint();
    }
}


} // namespace

BENCHMARK(BM_BarePolyline)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_GraphRepaint)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_ZoomStep)->Arg(10'000'000)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_GraphRepaint)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_TableEditToPicture)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Repetitions(5)
    ->ReportAggregatesOnly(true);

KvBenchRatio("BM_GraphRepaint/10000000/repeats:5", "BM_BarePolyline/repeats:5", 0);
KvBenchRatio("BM_ZoomStep/10000000/repeats:5", "BM_BarePolyline/repeats:5", 0);
KvBenchRatio("BM_TableEditToPicture/1000000/repeats:5", "BM_GraphRepaint/1000000/repeats:5", 2.0);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    return kvbench::RunAll(argc, argv);
}
