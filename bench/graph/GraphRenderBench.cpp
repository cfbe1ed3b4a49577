// A line series of one and ten million points rendered into a 1200 by 800
// image: the full path (cached pixels, polylines in pieces of 2000), the
// decimated path (per pixel column), and a bare QPainter::drawPolyline of
// the same points as the baseline.

#include "BenchRatio.h"

#include "graph/KvGraph2D.h"

#include <QGuiApplication>
#include <QImage>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <random>

namespace {

// Font metrics of the layout need a GUI application; the benchmark main
// creates none.
QGuiApplication& App()
{
    static int Argc = 1;
    static char Name[] = "bench_graph";
    static char* Argv[] = {Name, nullptr};
    static std::unique_ptr<QGuiApplication> Instance = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QGuiApplication>(Argc, Argv);
    }();
    return *Instance;
}

struct TScene {
    bool AppReady = (App(), true); // before the graph measures its fonts
    kv::TKvRealVector X, Y;
    kv::TKv2DGraph Graph;
    kv::TKvDataSeries* Series = nullptr;
    std::vector<QPoint> Bare;
    QImage Image{1200, 800, QImage::Format_ARGB32_Premultiplied};

    explicit TScene(int64_t N)
    {
        std::mt19937 Random(11);
        std::normal_distribution<double> Noise(0, 0.15);
        X.Reserve(static_cast<int32_t>(N));
        Y.Reserve(static_cast<int32_t>(N));
        for (int64_t i = 0; i < N; ++i) {
            const double t = static_cast<double>(i) / static_cast<double>(N);
            X.Add(t * 100);
            Y.Add(std::sin(t * 40) + Noise(Random));
        }
        Graph.CreatePrimaryAxes();
        Graph.SetBounds(1200, 800);
        Series = &Graph.AddSeries<kv::TKvDataSeries>();
        Series->SetXData(&X);
        Series->SetYData(&Y);
        Series->PointStyle.SetVisible(false);
        Graph.PrepareForPaint();
        Bare.reserve(static_cast<size_t>(N));
        for (const kv::TKvPoint& P : Series->Points().Values())
            Bare.emplace_back(P.X, P.Y);
    }

    // One frame of the plot: the world clips and moves the origin as the
    // graph's painting does.
    void PaintSeries(bool Decimate)
    {
        Series->Decimate = Decimate;
        Image.fill(Qt::white);
        QPainter P(&Image);
        Graph.World().Paint(P);
    }

    void PaintBare()
    {
        Image.fill(Qt::white);
        QPainter P(&Image);
        const kv::TKvRect& R = Graph.World().PlotRect;
        P.setClipRect(QRect(R.Left, R.Top, R.Width(), R.Height()));
        P.translate(R.Left, R.Top);
        P.setPen(kv::MakePen(Series->LineStyle.Color(), 1));
        P.drawPolyline(Bare.data(), static_cast<int>(Bare.size()));
    }
};

TScene& Scene(int64_t N)
{
    static std::map<int64_t, std::unique_ptr<TScene>> Scenes;
    auto& S = Scenes[N];
    if (!S)
        S = std::make_unique<TScene>(N);
    return *S;
}

void BM_FullPath(benchmark::State& State)
{
    TScene& S = Scene(State.range(0));
    for (auto _ : State)
        S.PaintSeries(false);
}

void BM_Decimated(benchmark::State& State)
{
    TScene& S = Scene(State.range(0));
    for (auto _ : State)
        S.PaintSeries(true);
    // How far the decimated picture is from the full one.
    const QImage Decimated = S.Image.copy();
    S.PaintSeries(false);
    int64_t Diff = 0;
    for (int y = 0; y < Decimated.height(); ++y)
        for (int x = 0; x < Decimated.width(); ++x)
            Diff += Decimated.pixel(x, y) != S.Image.pixel(x, y);
    State.counters["differing_pixels_%"] = 100.0 * static_cast<double>(Diff) / (1200.0 * 800.0);
}

void BM_BarePolyline(benchmark::State& State)
{
    TScene& S = Scene(State.range(0));
    for (auto _ : State)
        S.PaintBare();
}

} // namespace

BENCHMARK(BM_BarePolyline)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_FullPath)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_Decimated)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

KvBenchRatio("BM_FullPath/1000000/repeats:3", "BM_BarePolyline/1000000/repeats:3", 1.5);
KvBenchRatio("BM_FullPath/10000000/repeats:3", "BM_BarePolyline/10000000/repeats:3", 1.5);
KvBenchRatio("BM_Decimated/10000000/repeats:3", "BM_FullPath/10000000/repeats:3", 0.05);

KURVEX_BENCH_MAIN()
