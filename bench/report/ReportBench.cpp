// The default report template merged for a graph of 10 data series with
// 5 calculations each (two linear regressions, a polynomial, a nonlinear
// fit and an interpolation with extrema), and the merged report written
// as PDF; the baseline is reading the template alone.

#include "BenchRatio.h"

#include "report/KvDefaultTemplate.h"
#include "report/KvReportMerge.h"
#include "report/KvReportPaginator.h"

#include "foundation/KvIniList.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <memory>

namespace {

QGuiApplication& App()
{
    static int Argc = 1;
    static char Name[] = "report_bench";
    static char* Argv[] = {Name, nullptr};
    static std::unique_ptr<QGuiApplication> Instance = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return std::make_unique<QGuiApplication>(Argc, Argv);
    }();
    return *Instance;
}

void WriteFit(kv::TKvIniList& R, const std::string& Section, const char* Caption, int Coefficients)
{
    R.WriteString(Section, "Calculation", Caption);
    R.WriteString(Section, "Caption", std::string(Caption) + " of \\bY\\b\\+2\\+");
    R.WriteString(Section, "Formula", "Y=a+bX+cX\\+2\\+");
    for (const char* Key : {"CalcStart", "CalcStop", "DisplayStart", "DisplayStop", "ChiSquare", "R", "Slope",
                            "DeltaSlope", "Offset", "DeltaOffset", "AverageX", "VarianceX", "AverageY", "VarianceY",
                            "r2", "QRel%"})
        R.WriteString(Section, Key, "1.23456789012345");
    R.WriteString(Section, "Order", std::to_string(Coefficients));
    for (int k = 1; k <= Coefficients; ++k) {
        R.WriteString(Section, "CoeffName(" + std::to_string(k) + ")", std::string(1, char('a' + k - 1)));
        R.WriteString(Section, "Coeff(" + std::to_string(k) + ")", "-0.000123456789");
    }
}

void WriteExtrema(kv::TKvIniList& R, const std::string& Section, int Count)
{
    WriteFit(R, Section, "Interpolation", 0);
    for (int k = 1; k <= Count; ++k)
        for (const char* Key : {"X-Minima(", "Y-Minima(", "X-Maxima(", "Y-Maxima("})
            R.WriteString(Section, Key + std::to_string(k) + ")", "4.5678");
}

class TBenchSource : public kv::TKvFieldSource {
public:
    TBenchSource()
    {
        for (int s = 0; s < 10; ++s) {
            kv::TKvIniList R;
            R.WriteString("Datapoints", "Caption", "Series \\i" + std::to_string(s + 1) + "\\i");
            R.WriteString("Graph", "Title", "Ten series \\sa\\s and their fits");
            WriteFit(R, "LinearRegression", "Linear Regression", 0);
            WriteFit(R, "LinearRegression(2)", "Linear Regression", 0);
            WriteFit(R, "PolynomialRegression", "Polynomial Regression", 4);
            WriteFit(R, "NonlinearRegression", "Nonlinear Regression", 3);
            WriteExtrema(R, "Interpolation", 3);
            FResults.push_back(std::move(R));
        }
        // a graph picture of a window's size drawn at twice its resolution
        QImage Image(1600, 1200, QImage::Format_RGB32);
        Image.fill(Qt::white);
        QPainter P(&Image);
        for (int k = 0; k < 200; ++k)
            P.drawLine(k * 8, 600 + (k * 37) % 500 - 250, k * 8 + 8, 600 + ((k + 1) * 37) % 500 - 250);
        P.end();
        QBuffer Buffer(&FPng);
        Buffer.open(QIODevice::WriteOnly);
        Image.save(&Buffer, "PNG");
    }
    int SeriesCount() const override { return static_cast<int>(FResults.size()); }
    bool HasCalculations(int) const override { return true; }
    bool SectionExists(int S, const std::string& Section) const override
    {
        return FResults[static_cast<size_t>(S)].SectionExists(Section);
    }
    std::optional<std::string> Value(int S, const std::string& Section, const std::string& Key) const override
    {
        const auto V = FResults[static_cast<size_t>(S)].FindValue(Section, Key);
        return V ? std::optional<std::string>(std::string(*V)) : std::nullopt;
    }
    QSize GraphSize() const override { return {800, 600}; }
    kv::TKvPicture GraphPicture(int W, int H) const override { return {"png", FPng, {}, {}, 1600, 1200, W, H}; }

private:
    std::vector<kv::TKvIniList> FResults;
    QByteArray FPng;
};

void BM_LoadTemplate(benchmark::State& State)
{
    App();
    for (auto _ : State) {
        kv::TKvRtfDocument D = kv::DefaultTemplate();
        benchmark::DoNotOptimize(D.Body.get());
    }
}

void BM_MergeReport(benchmark::State& State)
{
    App();
    const TBenchSource Source;
    for (auto _ : State) {
        kv::TKvRtfDocument D = kv::TKvReportMerge(Source).Merge(kv::DefaultTemplate());
        benchmark::DoNotOptimize(D.Body.get());
    }
}

void BM_WritePdf(benchmark::State& State)
{
    App();
    const TBenchSource Source;
    const kv::TKvRtfDocument Report = kv::TKvReportMerge(Source).Merge(kv::DefaultTemplate());
    const QString File = QDir::temp().filePath("kurvex-report-bench.pdf");
    for (auto _ : State)
        kv::WriteReportPdf(Report, File);
    State.counters["pages"] = kv::TKvReportPaginator(Report).PageCount();
    QFile::remove(File);
}

} // namespace

BENCHMARK(BM_LoadTemplate)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_MergeReport)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_WritePdf)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

KvBenchRatio("BM_MergeReport/repeats:5", "BM_LoadTemplate/repeats:5", 0);
KvBenchRatio("BM_WritePdf/repeats:5", "BM_LoadTemplate/repeats:5", 0);

KURVEX_BENCH_MAIN()
