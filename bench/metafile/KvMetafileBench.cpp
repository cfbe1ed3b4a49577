// A graph whose series has ten million points, written as a picture: the
// EMF and WMF of the whole graph (painted, recorded and serialised) against
// the PNG export of the same graph (painted and PNG-encoded) as the
// baseline. The goal: each metafile in under 1 s and under 10 MB; the
// counters give its size.

#include "BenchRatio.h"

#include "graph/KvGraph2D.h"
#include "graph/KvGraphExport.h"
#include "graph/KvGraphPicture.h"

#include <QBuffer>
#include <QGuiApplication>

#include <cmath>
#include <memory>
#include <random>

namespace {

QGuiApplication& App()
{
    static int Argc = 1;
    static char Name[] = "bench_metafile";
    static char* Argv[] = {Name, nullptr};
    static std::unique_ptr<QGuiApplication> Instance = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QGuiApplication>(Argc, Argv);
    }();
    return *Instance;
}

constexpr int64_t Points = 10000000;
constexpr int Width = 1200, Height = 800;

struct TScene {
    bool AppReady = (App(), true);
    kv::TKvRealVector X, Y;
    kv::TKv2DGraph Graph;
    kv::TKvDataSeries* Series = nullptr;

    TScene()
    {
        std::mt19937 Random(11);
        std::normal_distribution<double> Noise(0, 0.15);
        X.Reserve(static_cast<int32_t>(Points));
        Y.Reserve(static_cast<int32_t>(Points));
        for (int64_t i = 0; i < Points; ++i) {
            const double t = static_cast<double>(i) / static_cast<double>(Points);
            X.Add(t * 100);
            Y.Add(std::sin(t * 40) + Noise(Random));
        }
        Graph.CreatePrimaryAxes();
        Graph.SetBounds(Width, Height);
        Graph.MajorGridX.SetVisible(true);
        Graph.MajorGridY.SetVisible(true);
        Series = &Graph.AddSeries<kv::TKvDataSeries>();
        Series->SetXData(&X);
        Series->SetYData(&Y);
        Series->PointStyle.SetVisible(false);
        Graph.PrepareForPaint();
    }
};

TScene& Scene()
{
    static TScene S;
    return S;
}

void BM_PngPicture(benchmark::State& State)
{
    TScene& S = Scene();
    qint64 Bytes = 0;
    for (auto _ : State) {
        QByteArray Png;
        QBuffer Buffer(&Png);
        Buffer.open(QIODevice::WriteOnly);
        kv::RenderGraphImage(S.Graph, Width, Height).save(&Buffer, "PNG");
        Bytes = Png.size();
    }
    State.counters["MB"] = static_cast<double>(Bytes) / 1e6;
}

// Fresh: the series' pixels are computed again from the ten million values
// in every picture, as after an edit of the data.
void Metafile(benchmark::State& State, kv::TKvMetafileFormat Format, bool Fresh = false)
{
    TScene& S = Scene();
    qint64 Bytes = 0;
    for (auto _ : State) {
        if (Fresh)
            S.Series->MarkChanged();
        Bytes = kv::GetMetafile(S.Graph, Format)->Bytes().size();
    }
    State.counters["MB"] = static_cast<double>(Bytes) / 1e6;
    State.counters["under_10_MB"] = Bytes < 10000000 ? 1 : 0;
}

void BM_EmfPicture(benchmark::State& State) { Metafile(State, kv::TKvMetafileFormat::MfEnhanced); }
void BM_WmfPicture(benchmark::State& State) { Metafile(State, kv::TKvMetafileFormat::MfWindows); }
void BM_EmfPictureFresh(benchmark::State& State) { Metafile(State, kv::TKvMetafileFormat::MfEnhanced, true); }

} // namespace

BENCHMARK(BM_PngPicture)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_EmfPicture)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_WmfPicture)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_EmfPictureFresh)->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);

KvBenchRatio("BM_EmfPicture/repeats:3", "BM_PngPicture/repeats:3", 0);
KvBenchRatio("BM_WmfPicture/repeats:3", "BM_PngPicture/repeats:3", 0);
KvBenchRatio("BM_EmfPictureFresh/repeats:3", "BM_PngPicture/repeats:3", 0);

KURVEX_BENCH_MAIN()
