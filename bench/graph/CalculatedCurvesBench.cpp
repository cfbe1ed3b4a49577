// Recalculating a linear regression, a polynomial of order 5 and an Akima
// interpolation after one cell of a one-million-point series changed, with
// the curves drawn into an 800 by 600 image, against the three engines
// alone on the same data: what the curve machinery (ranges, data check,
// sampling per pixel column, results lists, painting) adds.
//
// Argument 0 is a smooth sine (a few dozen extrema); argument 1 adds noise,
// so the interpolation has hundreds of thousands of extrema, and writing
// every one of them into the results list (as the report keys ask) is
// then most of the time: that figure is shown for information.

#include "BenchRatio.h"

#include "graph/KvGraph2D.h"
#include "graph/KvInterpolatedLine.h"
#include "graph/KvLinearRegressionLine.h"
#include "graph/KvPolynomLine.h"

#include "analysis/KvAkima.h"
#include "analysis/KvLinearRegression.h"
#include "analysis/KvPolynomialRegression.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <memory>
#include <random>

namespace {

constexpr int32_t N = 1000000;

QGuiApplication& App()
{
    static int Argc = 1;
    static char Name[] = "bench_calc";
    static char* Argv[] = {Name, nullptr};
    static std::unique_ptr<QGuiApplication> Instance = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QGuiApplication>(Argc, Argv);
    }();
    return *Instance;
}

// A noisy sine from 0 to 100; the changed cell stays inside the ranges,
// so no axis moves and only the calculations have work to do.
void FillData(kv::TKvRealVector& X, kv::TKvRealVector& Y, bool Noisy)
{
    std::mt19937 Random(16);
    std::normal_distribution<double> Noise(0, Noisy ? 0.1 : 0.0);
    X.Reserve(N);
    Y.Reserve(N);
    for (int32_t i = 0; i < N; ++i) {
        X.Add(i * 1e-4);
        Y.Add(std::sin(i * 1e-4) + Noise(Random));
    }
}

double ChangedValue(int64_t Iteration) { return Iteration % 2 ? 0.25 : -0.25; }

void BM_EnginesOnly(benchmark::State& State)
{
    kv::TKvRealVector X, Y;
    FillData(X, Y, State.range(0) != 0);
    kv::LinearRegressionResult Line;
    kv::PolynomialResult Poly;
    Poly.Order = 5;
    kv::TKvAkima Akima;
    int64_t Iteration = 0;
    for (auto _ : State) {
        Y.SetValue(N / 2, ChangedValue(++Iteration));
        kv::LinearRegression(X.Values(), Y.Values(), 0, 100, Line);
        kv::PolynomialRegression(X.Values(), Y.Values(), 0, 100, Poly);
        Akima.Interpolate(X.Values(), Y.Values(), std::nullopt, 0, 100);
        Akima.FindExtrema();
        benchmark::DoNotOptimize(Line.Slope + Poly.Coefficients[5] + Akima.Value(50));
    }
}

void BM_CurvesAfterOneCell(benchmark::State& State)
{
    App();
    kv::TKvLiveVector X, Y;
    FillData(X, Y, State.range(0) != 0);
    kv::TKv2DGraph Graph;
    Graph.CreatePrimaryAxes();
    Graph.SetBounds(800, 600);
    auto& Series = Graph.AddSeries<kv::TKvDataSeries>();
    Series.SetXData(&X);
    Series.SetYData(&Y);
    // Only the curves are drawn: the data series' own drawing is measured
    // by the render benchmark.
    Series.LineStyle.SetVisible(false);
    Series.PointStyle.SetVisible(false);
    kv::NewCalculation<kv::TKvLinearRegressionLine>(Series);
    kv::NewCalculation<kv::TKvPolynomLine>(Series).SetOrder(5);
    kv::NewCalculation<kv::TKvInterpolatedLine>(Series);
    QImage Image(800, 600, QImage::Format_ARGB32_Premultiplied);
    {
        QPainter P(&Image);
        Graph.Paint(P);
    }
    int64_t Iteration = 0;
    for (auto _ : State) {
        Y.SetValue(N / 2, ChangedValue(++Iteration));
        QPainter P(&Image);
        Graph.Paint(P);
    }
    for (auto& C : Series.Children)
        if (C->PointCount() < 2)
            State.SkipWithError("a curve was not drawn");
}

} // namespace

BENCHMARK(BM_EnginesOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_CurvesAfterOneCell)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

KvBenchRatio("BM_CurvesAfterOneCell/0/repeats:3", "BM_EnginesOnly/0/repeats:3", 1.3);
KvBenchRatio("BM_CurvesAfterOneCell/1/repeats:3", "BM_EnginesOnly/1/repeats:3", 0);

KURVEX_BENCH_MAIN()
