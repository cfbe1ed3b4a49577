#include "GraphTestSupport.h"

#include "graph/KvAxisNumbers.h"

#include <gtest/gtest.h>

#include <random>

namespace kv::test {

namespace {

std::pair<double, double> MinMax(const TKvRealVector& V)
{
    double Lo = KvMissing, Hi = -KvMissing;
    for (double X : V.Values())
        Lo = std::min(Lo, X), Hi = std::max(Hi, X);
    return {Lo, Hi};
}

// Any pixel of the colour within R pixels of (X, Y).
bool InkNear(const QImage& Image, int X, int Y, int R, QColor Color)
{
    for (int y = Y - R; y <= Y + R; ++y)
        for (int x = X - R; x <= X + R; ++x)
            if (x >= 0 && y >= 0 && x < Image.width() && y < Image.height() && SameColor(Image.pixel(x, y), Color))
                return true;
    return false;
}

void FixAxis(TKvAxis& A, double Start, double Stop)
{
    A.SetStartEnd(TKvAxEnd::AxFixed);
    A.SetStopEnd(TKvAxEnd::AxFixed);
    A.SetStart(Start);
    A.SetStop(Stop);
}

} // namespace

TEST(Series, OnePointDrawsItsSymbolButNoLine)
{
    TTestGraph T;
    auto& S = T.AddSeries(T.Vector({5}), T.Vector({5}));
    S.PointStyle.SetColor(0x00FF00);
    const QImage Image = T.Render();
    EXPECT_TRUE(S.LastPolylines.empty());
    const TKvRect& P = T.Graph.World().PlotRect;
    const TKvPoint Pt = *S.Points().PointPtr(0);
    EXPECT_TRUE(InkNear(Image, P.Left + Pt.X, P.Top + Pt.Y, S.PointStyle.Size(), Qt::green));
}

TEST(Series, LongLinesAreSentInSharedChunks)
{
    TTestGraph T;
    std::vector<double> X, Y;
    for (int i = 0; i < 4500; ++i)
        X.push_back(i), Y.push_back(i % 7);
    auto& S = T.AddSeries(T.Vector(X), T.Vector(Y));
    S.Decimate = false;
    S.PointStyle.SetVisible(false);
    T.Render();
    const std::vector<std::pair<int32_t, int32_t>> Expected = {{0, 2000}, {1999, 2000}, {3998, 502}};
    EXPECT_EQ(S.LastPolylines, Expected);
}

TEST(Series, SymbolsOnThePlotEdgeAreDrawnWholeOneBeyondIsNot)
{
    TTestGraph T;
    FixAxis(*T.Bottom, 0, 100);
    FixAxis(*T.Left, 0, 100);
    auto& X = T.Vector({50, 50, 50});
    auto& Y = T.Vector({50, 50, 50});
    auto& S = T.AddSeries(X, Y);
    S.PointStyle.SetColor(0x00FF00);
    S.LineStyle.SetVisible(false);
    T.Render();
    const TKvRect P = T.Graph.World().PlotRect;
    // Values at the pixel of the right edge, one beyond, and the bottom edge.
    X.SetValue(0, T.Bottom->IntToRealPosition(P.Width()));
    X.SetValue(1, T.Bottom->IntToRealPosition(P.Width() + 1));
    Y.SetValue(2, T.Left->IntToRealPosition(P.Height()));
    const QImage Image = T.Render();
    ASSERT_EQ(S.Points().PointPtr(0)->X, P.Width());
    ASSERT_EQ(S.Points().PointPtr(1)->X, P.Width() + 1);
    ASSERT_EQ(S.Points().PointPtr(2)->Y, P.Height());
    const int Yc = P.Top + S.Points().PointPtr(0)->Y;
    // The symbol's outer half lies outside the plot and is still there.
    EXPECT_TRUE(InkNear(Image, P.Left + P.Width() + 5, Yc, 0, Qt::green));
    EXPECT_FALSE(InkNear(Image, P.Left + P.Width() + 6, Yc, 0, Qt::green));
    const int Xc = P.Left + S.Points().PointPtr(2)->X;
    EXPECT_TRUE(InkNear(Image, Xc, P.Top + P.Height() + 5, 0, Qt::green));
}

TEST(Series, IncrementalRangesMatchFullRescans)
{
    TTestGraph T;
    std::vector<double> Init;
    for (int i = 0; i < 60; ++i)
        Init.push_back(std::sin(i) * 10);
    auto& X = T.Vector(Init);
    auto& Y = T.Vector(Init);
    auto& S = T.AddSeries(X, Y);
    T.Render();
    std::mt19937 Random(7);
    std::uniform_int_distribution<int> Index(0, 59);
    std::uniform_real_distribution<double> Value(-20, 20);
    for (int Step = 0; Step < 300; ++Step) {
        const int i = Index(Random);
        X.SetValue(i, Value(Random));
        const auto [Lo, Hi] = MinMax(X);
        // Only an extreme may shrink the range; otherwise the range holds
        // the data and its ends are data values.
        EXPECT_LE(S.XRange().Start(), Lo);
        EXPECT_GE(S.XRange().Stop(), Hi);
        if (i == S.XMinIndex() || i == S.XMaxIndex() || Step % 50 == 0) {
            S.ComputeXRange();
            EXPECT_EQ(S.XRange().Start(), Lo);
            EXPECT_EQ(S.XRange().Stop(), Hi);
        }
        EXPECT_EQ(X[S.XMinIndex()], S.XRange().Start());
        EXPECT_EQ(X[S.XMaxIndex()], S.XRange().Stop());
    }
}

TEST(Series, ChangingTheMaximumRescansOthersOnlyExtend)
{
    TTestGraph T;
    auto& X = T.Vector({1, 5, 3, 4});
    auto& S = T.AddSeries(X, T.Vector({0, 0, 0, 0}));
    T.Render();
    EXPECT_EQ(S.XMaxIndex(), 1);
    X.SetValue(1, 2); // the maximum shrinks: rescan
    EXPECT_EQ(S.XRange().Stop(), 4);
    EXPECT_EQ(S.XMaxIndex(), 3);
    X.SetValue(2, 3.5); // inside: nothing moves
    EXPECT_EQ(S.XRange().Start(), 1);
    EXPECT_EQ(S.XRange().Stop(), 4);
    X.SetValue(2, -2); // extends
    EXPECT_EQ(S.XRange().Start(), -2);
    EXPECT_EQ(S.XMinIndex(), 2);
    // The axis follows the range.
    EXPECT_EQ(T.Bottom->DataRange().Start(), -2);
}

TEST(Series, DeletionRescansAtTheNextPaint)
{
    TTestGraph T;
    auto& X = T.Vector({1, 9, 3, 4});
    auto& Y = T.Vector({1, 2, 3, 4});
    auto& S = T.AddSeries(X, Y);
    T.Render();
    X.Delete(1);
    Y.Delete(1);
    EXPECT_TRUE(S.RangesDirty);
    T.Render();
    EXPECT_EQ(S.PointCount(), 3);
    EXPECT_EQ(S.XRange().Start(), 1);
    EXPECT_EQ(S.XRange().Stop(), 4);
    X.Clear();
    T.Render();
    EXPECT_EQ(S.PointCount(), 0);
}

TEST(Series, AppendedPointsEnterBothRanges)
{
    TTestGraph T;
    auto& X = T.Vector({1, 2});
    auto& Y = T.Vector({1, 2});
    auto& S = T.AddSeries(X, Y);
    T.Render();
    Y.Add(10); // Y longer: no new point yet
    EXPECT_EQ(S.PointCount(), 2);
    X.Add(-3); // the point (-3, 10) appears
    EXPECT_EQ(S.PointCount(), 3);
    EXPECT_EQ(S.XRange().Start(), -3);
    EXPECT_EQ(S.YRange().Stop(), 10);
    Y.Add(20);
    Y.Add(30);
    X.SetValue(4, 7); // two points appear at once
    EXPECT_EQ(S.PointCount(), 5);
    EXPECT_EQ(S.YRange().Stop(), 30);
    EXPECT_EQ(S.XRange().Stop(), 7);
}

TEST(Series, ErrorBarsWidenTheRanges)
{
    TTestGraph T;
    auto& S = T.AddSeries(T.Vector({1, 2, 3}), T.Vector({1, 2, 3}));
    S.SetdYPlus(&T.Vector({0.5, 0.5, 2}));
    S.SetdYMinus(&T.Vector({-1, 0, 0})); // used by absolute value
    S.SetdXMinus(&T.Vector({0.25}));     // only the first point has one
    T.Render();
    EXPECT_EQ(S.YRange().Start(), 0);
    EXPECT_EQ(S.YRange().Stop(), 5);
    EXPECT_EQ(S.XRange().Start(), 0.75);
    EXPECT_EQ(S.XRange().Stop(), 3);
    // Without symbols there are no error bars and the ranges are the data.
    S.PointStyle.SetVisible(false);
    S.RangesDirty = true;
    T.Render();
    EXPECT_EQ(S.YRange().Start(), 1);
    EXPECT_EQ(S.YRange().Stop(), 3);
    EXPECT_EQ(S.XRange().Start(), 1);
}

TEST(Series, ErrorBarPixelsAndCaps)
{
    TTestGraph T;
    FixAxis(*T.Bottom, 0, 10);
    FixAxis(*T.Left, 0, 10);
    auto& S = T.AddSeries(T.Vector({5}), T.Vector({5}));
    S.SetdYPlus(&T.Vector({2}));
    S.SetdXPlus(&T.Vector({1}));
    S.ErrorIndicatorsColor = 0xFF00FF; // magenta
    S.PointStyle.SetSize(4);
    const QImage Image = T.Render();
    const int Up = RoundHalfEven(2 / T.Left->Scale());
    const int Right = RoundHalfEven(1 / T.Bottom->Scale());
    EXPECT_EQ(S.dYPlusPixels().GetValue(0), Up);
    EXPECT_EQ(S.dXPlusPixels().GetValue(0), Right);
    const TKvRect& P = T.Graph.World().PlotRect;
    const int X = P.Left + S.Points().PointPtr(0)->X, Y = P.Top + S.Points().PointPtr(0)->Y;
    const QColor Magenta(255, 0, 255);
    // The cap of the upper bar spans x - S to x + S (its end pixel unset).
    EXPECT_TRUE(SameColor(Image.pixel(X - 4, Y - Up), Magenta));
    EXPECT_TRUE(SameColor(Image.pixel(X + 3, Y - Up), Magenta));
    EXPECT_FALSE(SameColor(Image.pixel(X + 5, Y - Up), Magenta));
    EXPECT_TRUE(SameColor(Image.pixel(X, Y - Up + 2), Magenta));
    EXPECT_TRUE(SameColor(Image.pixel(X + Right, Y - 4), Magenta));
    EXPECT_TRUE(SameColor(Image.pixel(X + Right - 2, Y), Magenta));
}

// On logarithmic axes a bar runs from the pixel of v - e to that of v + e;
// an end at or below zero reaches the plot's lower (left) edge.
TEST(Series, ErrorBarsOnLogarithmicAxesMapTheirEnds)
{
    TTestGraph T;
    for (TKvAxis* A : {T.Bottom, T.Left}) {
        A->SetScaling(TKvAxScaling::AxLog);
        FixAxis(*A, 1, 100);
    }
    auto& S = T.AddSeries(T.Vector({9.264, 2}), T.Vector({9.264, 2}));
    const std::initializer_list<double> Error = {0.4732, 3};
    S.SetdYPlus(&T.Vector(Error));
    S.SetdYMinus(&T.Vector(Error));
    S.SetdXPlus(&T.Vector(Error));
    S.SetdXMinus(&T.Vector(Error));
    T.Render();
    struct TBar {
        const char* Name;
        const TKvIntegerVector& Pixels;
        const TKvAxis* Axis;
    };
    for (const TBar& B : {TBar{"y+", S.dYPlusPixels(), T.Left}, TBar{"y-", S.dYMinusPixels(), T.Left},
                          TBar{"x+", S.dXPlusPixels(), T.Bottom}, TBar{"x-", S.dXMinusPixels(), T.Bottom}}) {
        SCOPED_TRACE(B.Name);
        const bool Plus = B.Name[1] == '+';
        const double Scale = B.Axis->Scale(), Start = B.Axis->LogStart();
        const double Decades = std::log10((9.264 + (Plus ? 0.4732 : -0.4732)) / 9.264);
        EXPECT_EQ(B.Pixels.GetValue(0), RoundHalfEven(std::fabs(Decades) / Scale));
        const double SecondEnd = Plus ? std::log10(5.0 / 2) : std::log10(2.0) - Start;
        EXPECT_EQ(B.Pixels.GetValue(1), RoundHalfEven(SecondEnd / Scale));
    }
    // The lower bar of the second point ends on the plot's bottom edge.
    const TKvPoint P = *S.Points().PointPtr(1);
    EXPECT_NEAR(P.Y + S.dYMinusPixels().GetValue(1), T.Left->Length, 1);
    EXPECT_NEAR(P.X - S.dXMinusPixels().GetValue(1), 0, 1);
}

// A value at or below zero on a logarithmic axis is left out and breaks
// the line, on either axis.
TEST(Series, LogarithmicAxesBreakTheLineAtValuesBelowZero)
{
    for (const bool OnX : {true, false}) {
        SCOPED_TRACE(OnX ? "X" : "Y");
        TTestGraph T;
        TKvAxis& A = OnX ? *T.Bottom : *T.Left;
        A.SetScaling(TKvAxScaling::AxLog);
        FixAxis(A, 1, 100);
        FixAxis(OnX ? *T.Left : *T.Bottom, 0, 10);
        auto& Log = T.Vector({2, 3, -1, 5, 0, 10, 20, 30});
        auto& Linear = T.Vector({1, 2, 3, 4, 5, 6, 7, 8});
        auto& S = OnX ? T.AddSeries(Log, Linear) : T.AddSeries(Linear, Log);
        S.PointStyle.SetVisible(false);
        S.LineStyle.SetColor(0x00FF00);
        const QImage Image = T.Render();
        EXPECT_EQ(S.LastPolylines, (std::vector<std::pair<int32_t, int32_t>>{{0, 2}, {5, 3}}));
        // nothing runs along the plot's low edge
        const TKvRect& P = T.Graph.World().PlotRect;
        int Edge = 0;
        for (int k = P.Top; k < P.Bottom; ++k)
            Edge += OnX ? SameColor(Image.pixel(P.Left + 1, k), Qt::green)
                        : SameColor(Image.pixel(P.Left + k - P.Top, P.Bottom - 2), Qt::green);
        EXPECT_EQ(Edge, 0);
    }
}

TEST(Series, FindPointPrefersTheHighestIndex)
{
    TTestGraph T;
    auto& S = T.AddSeries(T.Vector({1, 1.0001, 5}), T.Vector({1, 1, 5}));
    T.Render();
    const TKvRect& P = T.Graph.World().PlotRect;
    const TKvPoint Pt = *S.Points().PointPtr(0);
    EXPECT_EQ(S.FindPoint(P.Left + Pt.X + 2, P.Top + Pt.Y - 2, 2), 1);
    EXPECT_EQ(S.FindPoint(P.Left + Pt.X + 3, P.Top + Pt.Y, 2), -1);
    EXPECT_EQ(S.XToPixel(1), P.Left + Pt.X);
    EXPECT_NEAR(S.PixelToX(S.XToPixel(5)), 5, T.Bottom->Scale());
}

TEST(Series, CaptionsFollowTheUserChoice)
{
    TTestGraph T;
    auto& S = T.AddSeries(T.Vector({1}), T.Vector({1}));
    S.SetAutoCaption("Column B");
    EXPECT_EQ(S.Caption().toStdString(), "Column B");
    S.SetUserCaption("Mine");
    EXPECT_EQ(S.Caption().toStdString(), "Column B");
    S.SetDoUserCaption(true);
    EXPECT_EQ(S.Caption().toStdString(), "Mine");
    S.SetAutoCaption("Column C");
    EXPECT_EQ(S.Caption().toStdString(), "Mine");
    EXPECT_EQ(S.Results.ReadString("Datapoints", "Caption", ""), "Mine");
    T.Graph.SetCaption("Title");
    T.Render();
    EXPECT_EQ(S.Results.ReadString("Graph", "Title", ""), "Title");
}

TEST(Series, PersistenceAndChildSections)
{
    TTestGraph T;
    auto& S = T.AddSeries(T.Vector({1}), T.Vector({1}));
    S.AddChild<TKvLineSeries>(nullptr);
    S.AddChild<TKvLineSeries>(nullptr);
    S.Children[0]->LineStyle.SetColor(0x111111);
    S.Children[1]->LineStyle.SetColor(0x222222);
    S.PointStyle.SetStyle(TKvPointSymbol::SyNablaFilled);
    S.PointStyle.SetWidth(2);
    S.ErrorIndicatorsColor = 0x0000FF;
    S.SetDoUserCaption(true);
    S.SetUserCaption("\\ss\\s data");
    S.IncludeInLegend = false;
    TKvIniList Ini;
    S.SaveToIni(Ini, "G.Series(1)");
    EXPECT_EQ(Ini.ReadString("G.Series(1)", "Point.With", ""), "2");
    EXPECT_EQ(Ini.ReadString("G.Series(1)", "ChildCount", ""), "2");
    EXPECT_EQ(Ini.ReadString("G.Series(1).Child(2)", "Line.Color", ""), std::to_string(0x222222));
    Ini.WriteString("G.Series(1)", "Point.Size", "-3");

    auto& R = T.AddSeries(T.Vector({1}), T.Vector({1}));
    for (int k = 0; k < 3; ++k)
        R.AddChild<TKvLineSeries>(nullptr);
    R.PointStyle.SetSize(9);
    R.LoadFromIni(Ini, "G.Series(1)");
    EXPECT_EQ(R.PointStyle.Style(), TKvPointSymbol::SyNablaFilled);
    EXPECT_EQ(R.PointStyle.Size(), 5);
    EXPECT_EQ(R.ErrorIndicatorsColor, 0x0000FF);
    EXPECT_EQ(R.Caption().toStdString(), "\\ss\\s data");
    EXPECT_FALSE(R.IncludeInLegend);
    // The third child loads from the section of child number 1.
    EXPECT_EQ(R.Children[2]->LineStyle.Color(), 0x111111);
    EXPECT_EQ(R.Children[1]->LineStyle.Color(), 0x222222);
}

TEST(Series, DestroyedAxisDetachesItsSeries)
{
    auto G = std::make_unique<TTestGraph>();
    auto& S = G->AddSeries(G->Vector({1, 2}), G->Vector({1, 2}));
    G->Render();
    auto Lone = std::make_unique<TKvAxis>(&G->Graph, "Extra");
    S.SetYAxis(Lone.get());
    Lone.reset();
    EXPECT_EQ(S.YAxis(), nullptr);
    G->Render(); // paints without the series' points, no crash
}

TEST(Series, DecimatedLinesMatchTheFullPicture)
{
    TTestGraph T;
    std::vector<double> X, Y;
    std::mt19937 Random(3);
    std::normal_distribution<double> Noise(0, 0.2);
    for (int i = 0; i < 200000; ++i)
        X.push_back(i * 1e-3), Y.push_back(std::sin(i * 1e-4) + Noise(Random));
    auto& S = T.AddSeries(T.Vector(X), T.Vector(Y));
    S.PointStyle.SetVisible(false);
    const QImage Decimated = T.Render(1200, 800);
    EXPECT_LT(S.LastPolylines.size(), 5u);
    S.Decimate = false;
    const QImage Full = T.Render(1200, 800);
    EXPECT_GT(S.LastPolylines.size(), 100u);
    EXPECT_LT(DifferingFraction(Full, Decimated), 0.005);
}

} // namespace kv::test
