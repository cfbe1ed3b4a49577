#include "GraphTestSupport.h"

#include "support/KvGuiTestEnvironment.h"

#include <QDir>
#include <QGuiApplication>

#include <gtest/gtest.h>

namespace kv::test {

namespace {

// Painting and font metrics need a GUI application.
[[maybe_unused]] testing::Environment* const Env = RegisterGuiEnvironment<QGuiApplication>("graph_tests");

} // namespace

TTestGraph::TTestGraph(bool Slaves)
{
    Graph.CreatePrimaryAxes();
    Bottom = Graph.PrimaryXAxis();
    Left = Graph.PrimaryYAxis();
    Top = &Graph.AddAxis(TKvAxisPos::AxTopPos);
    Right = &Graph.AddAxis(TKvAxisPos::AxRightPos);
    // The graph window's tick directions: all point into the plot.
    Bottom->SetMajorTickLength(-10);
    Bottom->SetTickLength(-6);
    Left->SetMajorTickLength(10);
    Left->SetTickLength(6);
    Top->SetMajorTickLength(10);
    Top->SetTickLength(6);
    Right->SetMajorTickLength(-10);
    Right->SetTickLength(-6);
    Top->SetShowScaleLabels(false);
    Right->SetShowScaleLabels(false);
    if (Slaves) {
        Top->SetIsSlaveAxis(true);
        Top->SetMasterAxis(Bottom);
        Right->SetIsSlaveAxis(true);
        Right->SetMasterAxis(Left);
    }
    Graph.Color = clWhite;
    Graph.DataColor = clWhite;
}

TKvLiveVector& TTestGraph::Vector(std::initializer_list<double> Values) { return Vector(std::vector<double>(Values)); }

TKvLiveVector& TTestGraph::Vector(const std::vector<double>& Values)
{
    Vectors.push_back(std::make_unique<TKvLiveVector>());
    for (double V : Values)
        Vectors.back()->Add(V);
    return *Vectors.back();
}

TKvDataWithErrorSeries& TTestGraph::AddSeries(TKvRealVector& X, TKvRealVector& Y)
{
    auto& S = Graph.AddSeries<TKvDataWithErrorSeries>();
    S.SetXData(&X);
    S.SetYData(&Y);
    return S;
}

QImage TTestGraph::Render(int W, int H) { return RenderGraphImage(Graph, W, H); }

std::string ShotPath(const std::string& Name)
{
    QDir().mkpath(QStringLiteral("/tmp/graph-shots"));
    return "/tmp/graph-shots/" + Name;
}

bool SameColor(QRgb A, QColor B) { return qRed(A) == B.red() && qGreen(A) == B.green() && qBlue(A) == B.blue(); }

double DifferingFraction(const QImage& A, const QImage& B)
{
    if (A.size() != B.size())
        return 1;
    int64_t Diff = 0;
    for (int y = 0; y < A.height(); ++y)
        for (int x = 0; x < A.width(); ++x)
            if ((A.pixel(x, y) & 0xFFFFFF) != (B.pixel(x, y) & 0xFFFFFF))
                ++Diff;
    return static_cast<double>(Diff) / (static_cast<double>(A.width()) * A.height());
}

} // namespace kv::test
