// Calculations over a series with missing values: a point with a missing
// X, Y or weight takes no part, every kind says how many points went in,
// and a series without one complete point fails clearly.

#include "KvCalcTestSupport.h"

#include "graph/ExpressionFit.h"
#include "graph/KvCalculationFactory.h"
#include "graph/KvLinearRegressionLine.h"

#include "foundation/KvMissing.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kv::test {

namespace {

const double M = MissingValue();

TKvCalculatedSeries& AddKind(TCalcGraph& G, const char* ID)
{
    TKvCalculatedSeries* C = NewCalculationOfKind(ID, *G.Series, 1, [](TKvCalculatedSeries&, const EKvError&) {});
    if (auto* Fit = dynamic_cast<TExpressionFit*>(C)) {
        Fit->CheckFormula("A*X+B");
        Fit->SetExpression("A*X+B");
        Fit->SetIterations(200);
    }
    C->Calculate();
    return *C;
}

class MissingPointsPerKind : public testing::TestWithParam<const char*> {};

// Twelve points on a smooth curve; one X, one Y and one weight missing.
TEST_P(MissingPointsPerKind, TakeNoPartAndAreCountedOut)
{
    std::vector<double> Xs, Ys, Ws;
    for (int i = 0; i < 12; ++i) {
        Xs.push_back(i);
        Ys.push_back(std::sin(i * 0.4) + 0.1 * i);
        Ws.push_back(1);
    }
    Xs[3] = M;
    Ys[6] = M;
    Ws[9] = M;
    TCalcGraph G(Xs, Ys, Ws);
    TKvCalculatedSeries& C = AddKind(G, GetParam());
    ASSERT_TRUE(C.LastError.isEmpty()) << C.LastError.toStdString();
    EXPECT_GT(C.XValues.Count(), 1);
    const std::string Section = C.ResultsSection();
    EXPECT_EQ(G.Series->Results.ReadInteger(Section, "PointsUsed", -1), 9);
    // right after the base keys
    const std::vector<std::string> Keys = G.Keys(Section);
    ASSERT_GT(Keys.size(), 7u);
    EXPECT_EQ(Keys[7], "PointsUsed");
    for (int32_t i = 0; i < C.YValues.Count(); ++i)
        ASSERT_TRUE(std::isfinite(C.YValues[i])) << i;

    // No complete point at all: a clear message, no results.
    for (int i = 0; i < 12; ++i)
        G.Y->SetValue(i, i % 2 ? M : G.Y->GetValue(i));
    for (int i = 0; i < 12; i += 2)
        G.W->SetValue(i, M);
    C.Calculate();
    EXPECT_EQ(C.LastError.toStdString(), C.Caption().toStdString() + ": No complete data points!");
    EXPECT_FALSE(G.Series->Results.SectionExists(Section));
}

INSTANTIATE_TEST_SUITE_P(Kinds, MissingPointsPerKind,
                         testing::Values("Linear Regression", "Polynomial Regression", "Nonlinear Regression",
                                         "Integration", "Differentiation", "Interpolation",
                                         "Approximative Spline Integral", "Approximative Spline Differentiation",
                                         "Approximative Spline"));

// Leaving a point out is not the same as reading it as 0: the line through
// the complete points is exact, and the range counts too.
TEST(MissingPoints, RegressionUsesTheCompletePointsOnly)
{
    TCalcGraph G({1, 2, 3, M, 5, 6}, {3, 5, M, 100, 11, 13});
    auto& L = G.Add<TKvLinearRegressionLine>();
    EXPECT_EQ(L.Result().Slope, 2);
    EXPECT_EQ(L.Result().Offset, 1);
    EXPECT_EQ(G.Series->Results.ReadInteger("LinearRegression", "PointsUsed", -1), 4);
    L.SetCalculationStart(2);
    L.Calculate();
    EXPECT_EQ(G.Series->Results.ReadInteger("LinearRegression", "PointsUsed", -1), 3);
}

} // namespace

} // namespace kv::test
