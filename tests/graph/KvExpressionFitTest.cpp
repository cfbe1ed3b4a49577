#include "KvCalcTestSupport.h"

#include "graph/ExpressionFit.h"

#include <gtest/gtest.h>

namespace kv::test {

namespace {

TExpressionFit& AddFit(TCalcGraph& G, const std::string& Formula, TKvErrorEvent OnError = {})
{
    auto& F = G.Add<TExpressionFit>(std::move(OnError));
    F.CheckFormula(Formula);
    F.SetExpression(Formula);
    return F;
}

} // namespace

TEST(ExpressionFit, FitsALineAndReportsItsParameters)
{
    auto [Xs, Ys] = Sampled([](double x) { return 2 * x + 1; }, 0, 1, 10);
    TCalcGraph G(Xs, Ys);
    auto& F = AddFit(G, "A * X + B");
    EXPECT_EQ(F.Order(), 2);
    F.SetIterations(600);
    int Passes = 0;
    F.OnIteration = [&](TKvFittedLine&) { ++Passes; };
    F.Calculate();
    EXPECT_GT(Passes, 10);
    EXPECT_NEAR(F.Variables()[0], 2, 1e-4);
    EXPECT_NEAR(F.Variables()[1], 1, 1e-4);
    EXPECT_EQ(F.Iterations(), 600) << "the setting is not consumed by the fit";
    ASSERT_GT(F.XValues.Count(), 100);
    EXPECT_NEAR(F.YValues[10], 2 * F.XValues[10] + 1, 1e-3);
    EXPECT_EQ(F.GetFormula(), "A * X + B");
    const TKvStringList Keys = G.Keys("NonlinearRegression");
    const TKvStringList Tail(Keys.end() - 8, Keys.end());
    EXPECT_EQ(Tail, (TKvStringList{"VarianceCoVariance", "ChiSquare", "Order", "Iterations", "CoeffName(1)",
                                    "Coeff(1)", "CoeffName(2)", "Coeff(2)"}));
    EXPECT_EQ(G.Series->Results.ReadString("NonlinearRegression", "VarianceCoVariance", ""), "Variance");
}

TEST(ExpressionFit, WithoutIterationsDrawsTheCurrentParameters)
{
    TCalcGraph G({0, 1, 2, 3}, {5, 5, 5, 5});
    auto& F = AddFit(G, "C*X");
    EXPECT_EQ(F.Order(), 3) << "the highest letter counts";
    F.SetIterations(0);
    const std::vector<double> P{1, 1, 3};
    F.SetVariables(P);
    F.Calculate();
    EXPECT_EQ(F.Variables()[2], 3);
    EXPECT_NEAR(F.YValues[F.YValues.Count() - 1], 3 * F.XValues[F.XValues.Count() - 1], 1e-9);
}

struct TFitFailure {
    const char* Name;
    std::vector<double> X, Y;
    const char* Formula;
    bool Covariance;
    const char* Message;
};

class ExpressionFitFailure : public testing::TestWithParam<TFitFailure> {};

TEST_P(ExpressionFitFailure, ExplainsItself)
{
    const TFitFailure& P = GetParam();
    TCalcGraph G(P.X, P.Y);
    std::string Error;
    auto& F = G.Add<TExpressionFit>([&](TKvCalculatedSeries&, const EKvError& E) { Error = E.what(); });
    try {
        F.CheckFormula(P.Formula);
        F.SetExpression(P.Formula);
        F.SetDoCovariance(P.Covariance);
        F.Calculate();
    } catch (const EKvError& E) {
        Error = E.what(); // the formula check raises to its caller
    }
    EXPECT_NE(Error.find(P.Message), std::string::npos) << Error;
    EXPECT_FALSE(F.DoCovariance());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExpressionFitFailure,
    testing::Values(
        TFitFailure{"NoX", {1, 2, 3}, {1, 2, 3}, "A*B", false, "Expression must contain the independent variable X!"},
        TFitFailure{"NoParameter", {1, 2, 3}, {1, 2, 3}, "X*2", false, "Expression must contain a variable A..P !"},
        TFitFailure{"TooFewPoints", {1, 2}, {1, 2}, "A+B*X+C*X*X", false, "Curve: Not enough data!"},
        TFitFailure{"CovarianceOfTwoYValues", {1, 2, 3, 4}, {1, 2, 1, 2}, "A*X+B", true,
                    "Curve: Reciprocal indefinite!"}),
    [](const auto& I) { return std::string(I.param.Name); });

TEST(ExpressionFit, LoadsItsFormulaButNotAnotherKindsOrABrokenOne)
{
    TCalcGraph G({0, 1, 2, 3}, {1, 3, 5, 7});
    TKvIniList Ini;
    {
        auto& F = AddFit(G, "A*X+B");
        F.SetVariables(std::vector<double>{2, 1});
        F.SaveToIni(Ini, "Fit");
    }
    Ini.WriteString("Other", "Calculation", "Linear Regression");
    Ini.WriteString("Other", "Formula", "Y=a+b(X)");
    Ini.WriteString("Broken", "Calculation", "Nonlinear Regression");
    Ini.WriteString("Broken", "Formula", "A*X+(");

    auto& F = G.Add<TExpressionFit>([](TKvCalculatedSeries&, const EKvError&) {});
    F.LoadFromIni(Ini, "Fit");
    EXPECT_EQ(F.Expression(), "A*X+B");
    EXPECT_EQ(F.Order(), 2);
    EXPECT_EQ(F.Variables(), (TKvRealArray{2, 1}));
    F.LoadFromIni(Ini, "Other");
    EXPECT_EQ(F.Expression(), "A*X+B") << "another kind's formula is not ours";
    F.LoadFromIni(Ini, "Broken");
    EXPECT_EQ(F.Expression(), "A*X+(");
    F.Calculate();
    EXPECT_NE(F.LastError.toStdString().find("Curve: "), std::string::npos);
    EXPECT_EQ(F.XValues.Count(), 0);
}

} // namespace kv::test
