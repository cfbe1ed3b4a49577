#include "KvCalcTestSupport.h"

#include "graph/KvASplineIntegral.h"
#include "graph/KvApproxSplineLine.h"
#include "graph/KvIntegral.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace kv::test {

namespace {

double ValueAt(const TKvCalculatedSeries& C, double x)
{
    // The sample nearest to x.
    int32_t Best = 0;
    for (int32_t i = 1; i < C.XValues.Count(); ++i)
        if (std::fabs(C.XValues[i] - x) < std::fabs(C.XValues[Best] - x))
            Best = i;
    return C.YValues[Best];
}

} // namespace

TEST(InterpolatedLine, ReportsExtremaInOrderAndMergesEqualX)
{
    auto [Xs, Ys] = Sampled([](double x) { return std::sin(x); }, 0, 0.25, 51); // 0 .. 12.5
    TCalcGraph G(Xs, Ys);
    auto& A = G.Add<TKvInterpolatedLine>();
    const auto Min = A.GetMinima(), Max = A.GetMaxima();
    ASSERT_EQ(Min.size(), 2u);
    ASSERT_EQ(Max.size(), 2u);
    EXPECT_NEAR(Min[0].X, 1.5 * std::numbers::pi, 0.01);
    EXPECT_NEAR(Min[0].Y, -1, 0.001);
    EXPECT_NEAR(Max[1].X, 2.5 * std::numbers::pi, 0.01);
    const TKvStringList Keys = G.Keys("Interpolation");
    const TKvStringList Tail(Keys.end() - 8, Keys.end());
    EXPECT_EQ(Tail, (TKvStringList{"X-Minima(1)", "Y-Minima(1)", "X-Minima(2)", "Y-Minima(2)", "X-Maxima(1)",
                                    "Y-Maxima(1)", "X-Maxima(2)", "Y-Maxima(2)"}));
    EXPECT_EQ(A.GetFormula(), "Interpolation");

    TCalcGraph E({1, 1, 2, 3}, {2, 4, 3, 5});
    auto& B = E.Add<TKvInterpolatedLine>();
    EXPECT_NEAR(B.Evaluate(1), 3, 1e-12) << "two values at one X meet in their mean";
}

TEST(InterpolatedLine, ZeroWeightsMaskRowsAndSmoothingIsKept)
{
    TCalcGraph G({0, 1, 2, 3, 4}, {0, 1, 100, 3, 4}, {1, 1, 0, 1, 1});
    auto& A = G.Add<TKvInterpolatedLine>();
    EXPECT_NEAR(A.Evaluate(2), 2, 1e-9) << "the masked row is not used";

    A.SetDoSmoothing(true);
    A.SetSmoothRange(1.5);
    TKvIniList Ini;
    A.SaveToIni(Ini, "C");
    TCalcGraph H({0, 1, 2}, {0, 1, 0});
    auto& B = H.Add<TKvInterpolatedLine>();
    B.LoadFromIni(Ini, "C");
    EXPECT_TRUE(B.DoSmoothing());
    EXPECT_EQ(B.SmoothRange(), 1.5);
}

TEST(ApproxSplineLine, LineStaysALineAndNeedsSixPoints)
{
    TCalcGraph G({0, 1, 2, 3, 4, 5}, {1, 3, 5, 7, 9, 11}, {-2, 2, -2, 2, -2, 2});
    auto& S = G.Add<TKvApproxSplineLine>();
    S.SetWeightFactor(0.01);
    S.Calculate();
    for (double x : {0.5, 2.25, 4.75})
        EXPECT_NEAR(S.Evaluate(x), 1 + 2 * x, 1e-9);
    EXPECT_EQ(S.GetFormula(), "Approximative Spline");

    TCalcGraph F({0, 1, 2, 3, 4}, {1, 3, 5, 7, 9});
    auto& T = F.Add<TKvApproxSplineLine>([](TKvCalculatedSeries&, const EKvError&) {});
    EXPECT_EQ(T.LastError.toStdString(), "Curve: Not enough data!");
}

// ---- derivative and integral curves, both engines

struct TSecondaryKind {
    const char* Name;
    TKvCalculatedSeries& (*Add)(TCalcGraph&);
    bool IsIntegral;
    const char* ID;
};

template <class T>
TKvCalculatedSeries& AddKind(TCalcGraph& G)
{
    return G.Add<T>();
}

// The spline held close to the points.
template <class T>
TKvCalculatedSeries& AddCloseSpline(TCalcGraph& G)
{
    T& C = G.Add<T>();
    C.SetWeightFactor(1e6);
    C.Calculate();
    return C;
}

class DerivedCurve : public testing::TestWithParam<TSecondaryKind> {};

TEST_P(DerivedCurve, FollowsTheCalculusOfTheData)
{
    auto [Xs, Ys] = Sampled([](double x) { return x * x; }, 1, 0.25, 21); // 1 .. 6
    TCalcGraph G(Xs, Ys);
    TKvCalculatedSeries& C = GetParam().Add(G);
    EXPECT_EQ(C.CalculationID(), GetParam().ID);
    ASSERT_GT(C.XValues.Count(), 100);
    EXPECT_EQ(C.XValues[0], 1);
    for (double x : {2.0, 3.5, 5.0}) {
        const double Expected = GetParam().IsIntegral ? (x * x * x - 1) / 3 : 2 * x;
        EXPECT_NEAR(ValueAt(C, x), Expected, 0.02 * Expected + 0.05) << x;
    }
    if (GetParam().IsIntegral) {
        EXPECT_EQ(C.YValues[0], 0) << "the integral starts at the first sample";
    }
    EXPECT_EQ(C.YAxis(), G.Right) << "drawn against the right axis";
    EXPECT_FALSE(G.Right->IsSlaveAxis());
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DerivedCurve,
    testing::Values(TSecondaryKind{"AkimaDerivative", &AddKind<TKvDifferential>, false, "Differentiation"},
                    TSecondaryKind{"SplineDerivative", &AddCloseSpline<TKvASplineDifferential>, false,
                                   "Approximative Spline Differentiation"},
                    TSecondaryKind{"AkimaIntegral", &AddKind<TKvIntegral>, true, "Integration"},
                    TSecondaryKind{"SplineIntegral", &AddCloseSpline<TKvASplineIntegral>, true,
                                   "Approximative Spline Integral"}),
    [](const auto& I) { return std::string(I.param.Name); });

TEST(IntegralCurve, ExtremaSitWhereTheDataChangeSign)
{
    for (auto Add : {&AddKind<TKvIntegral>, &AddCloseSpline<TKvASplineIntegral>}) {
        auto [Xs, Ys] = Sampled([](double x) { return 2 - x; }, 0, 0.5, 9); // positive, then negative
        TCalcGraph G(Xs, Ys);
        auto& C = static_cast<TKvInterpolatedFunction&>(Add(G));
        SCOPED_TRACE(C.CalculationID());
        const auto Max = C.GetMaxima();
        ASSERT_EQ(Max.size(), 1u);
        EXPECT_NEAR(Max[0].X, 2, 1e-6) << "the refined position";
        EXPECT_NEAR(Max[0].Y, 2, 1e-6) << "the integral's value there";
        EXPECT_TRUE(C.GetMinima().empty());
        EXPECT_NEAR(G.Result(C.ResultsSection(), "X-Maxima(1)"), 2, 1e-6);
    }
}

// The secondary axis is captioned from its curves, each kind once.
TEST(SecondaryAxis, IsCaptionedFromItsCurves)
{
    const std::vector<double> Xs{0, 1, 2, 3, 4, 5, 6}, Ys{0, 1, 4, 9, 16, 25, 36};
    TCalcGraph G(Xs, Ys);
    G.Add<TKvDifferential>();
    EXPECT_TRUE(G.Right->ShowCaption());
    EXPECT_EQ(G.Right->AutoCaption().toStdString(), "dY/dX");
    G.Add<TKvIntegral>();
    G.Add<TKvASplineDifferential>();
    EXPECT_EQ(G.Right->AutoCaption(), QString("dY/dX, \\s") + QChar(0xF2) + "\\sY dX");
    EXPECT_EQ(PlainCaption(G.Right->AutoCaption()), QString("dY/dX, ") + QChar(0xF2) + "Y dX");
    EXPECT_FALSE(G.Left->AutoCaption().contains("dY/dX")) << "the data's axis keeps its caption";
}

TEST(SecondaryAxis, IsFoundOrCreatedAndRestored)
{
    const std::vector<double> Xs{0, 1, 2, 3, 4, 5, 6}, Ys{0, 1, 4, 9, 16, 25, 36};
    {
        // A series on the left axis: the derivative takes the right one;
        // deleting it gives the axis its slave flag back.
        TCalcGraph G(Xs, Ys);
        auto& D = G.Add<TKvDifferential>();
        EXPECT_EQ(D.YAxis(), G.Right);
        EXPECT_TRUE(D.WasSlave());
        DeleteCalculation(&D);
        EXPECT_TRUE(G.Right->IsSlaveAxis());
        EXPECT_TRUE(G.Graph.FindAxis(G.Right->Name()));
    }
    {
        // A series on the right axis: the left one.
        TCalcGraph G(Xs, Ys);
        G.Series->SetYAxis(G.Right);
        EXPECT_EQ(G.Add<TKvIntegral>().YAxis(), G.Left);
    }
    {
        TCalcGraph G(Xs, Ys);
        G.Graph.SetZeroOrigin(true);
        EXPECT_EQ(G.Add<TKvASplineDifferential>().YAxis(), G.Left) << "zero origin: the series' own axis";
    }
    {
        // Only the series' own vertical axis: a new one on the right, shared
        // by the next secondary curve.
        TKvLiveVector X, Y;
        for (size_t i = 0; i < Xs.size(); ++i) {
            X.Add(Xs[i]);
            Y.Add(Ys[i]);
        }
        TKv2DGraph Graph;
        Graph.CreatePrimaryAxes();
        auto& S = Graph.AddSeries<TKvDataWithErrorSeries>();
        S.SetXData(&X);
        S.SetYData(&Y);
        auto& D = NewCalculation<TKvDifferential>(S);
        ASSERT_NE(D.YAxis(), nullptr);
        EXPECT_EQ(D.YAxis()->Name(), "SecondaryAxis1");
        EXPECT_EQ(D.YAxis()->Position(), TKvAxisPos::AxRightPos);
        EXPECT_EQ(NewCalculation<TKvASplineIntegral>(S).YAxis(), D.YAxis());
        Graph.DeleteSeries(&S);
    }
}

} // namespace kv::test
