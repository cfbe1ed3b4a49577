#include "KvCalcTestSupport.h"

#include "graph/KvPolynomLine.h"

#include <gtest/gtest.h>

namespace kv::test {

TEST(PolynomLine, FitsAParabolaAndReportsItsKeysInOrder)
{
    auto [Xs, Ys] = Sampled([](double x) { return 1 + 2 * x + 3 * x * x; }, -2, 1, 5);
    TCalcGraph G(Xs, Ys);
    auto& P = G.Add<TKvPolynomLine>();
    EXPECT_EQ(P.Order(), 2);
    EXPECT_NEAR(P.Coefficient(0), 1, 1e-9);
    EXPECT_NEAR(P.Coefficient(1), 2, 1e-9);
    EXPECT_NEAR(P.Coefficient(2), 3, 1e-9);
    EXPECT_THROW(P.Coefficient(3), ERangeError);
    EXPECT_NEAR(P.Result().ChiSquare, 0, 1e-9);
    EXPECT_NEAR(G.Result("PolynomialRegression", "r2"), 1, 1e-12);
    EXPECT_NEAR(G.Result("PolynomialRegression", "QRel%"), 0, 1e-6);
    // The curve follows the polynomial over the display range.
    ASSERT_GT(P.XValues.Count(), 100);
    const double x = P.XValues[50];
    EXPECT_NEAR(P.YValues[50], 1 + 2 * x + 3 * x * x, 1e-9);
    EXPECT_EQ(P.XValues[0], -2);
    EXPECT_LE(P.XValues[P.XValues.Count() - 1], 2);
    EXPECT_EQ(G.Keys("PolynomialRegression"),
              (TKvStringList{"Calculation", "Caption", "Formula", "CalcStart", "CalcStop", "DisplayStart",
                             "DisplayStop", "PointsUsed", "Order", "AverageX", "VarianceX", "AverageY", "VarianceY", "r2",
                             "ChiSquare", "QRel%", "CoeffName(1)", "Coeff(1)", "CoeffName(2)", "Coeff(2)",
                             "CoeffName(3)", "Coeff(3)"}));
    EXPECT_EQ(G.Series->Results.ReadString("PolynomialRegression", "CoeffName(3)", ""), "c");
}

TEST(PolynomLine, OrderHasAFloorOfTwoAndNamesItsFormula)
{
    auto [Xs, Ys] = Sampled([](double x) { return x * x * x; }, 0, 1, 8);
    TCalcGraph G(Xs, Ys);
    auto& P = G.Add<TKvPolynomLine>();
    // a damaged file's order: the fit fails for want of points, quickly
    EXPECT_THROW(P.SetOrder(16711680), EMathError);
    EXPECT_EQ(P.Order(), TKvPolynomLine::MaxOrder);
    EXPECT_EQ(P.Result().Coefficients.size(), static_cast<size_t>(TKvPolynomLine::MaxOrder) + 1);
    P.SetOrder(0);
    EXPECT_EQ(P.Order(), 2);
    EXPECT_EQ(P.GetFormula(), "Y=a+bX+cX\\+2\\+");
    P.SetOrder(3);
    EXPECT_EQ(P.GetFormula(), "Y=a+bX+cX\\+2\\++dX\\+3\\+");
    EXPECT_NEAR(P.Coefficient(3), 1, 1e-9) << "changing the order refits at once";
    EXPECT_EQ(G.Result("PolynomialRegression", "Order"), 3);
}

// A section of another kind (an outfit hands the curve the child at its
// position, whatever it was) leaves the order alone: a fit's "Order" counts
// its variables; only the polynomial's own section sets it.
TEST(PolynomLine, OnlyItsOwnSectionSetsTheOrder)
{
    struct Case {
        const char* Kind;
        const char* Order; // nullptr: no key
        int32_t Expected;
    };
    for (const Case& K : {Case{"Polynomial Regression", "5", 5}, Case{"Polynomial Regression", nullptr, 3},
                          Case{"Nonlinear Regression", "5", 3}, Case{"Linear Regression", nullptr, 3}}) {
        TKvPolynomLine P(nullptr);
        P.SetOrder(3);
        TKvIniList Ini;
        Ini.WriteString("S", "Calculation", K.Kind);
        if (K.Order)
            Ini.WriteString("S", "Order", K.Order);
        P.LoadFromIni(Ini, "S");
        EXPECT_EQ(P.Order(), K.Expected) << K.Kind << " " << (K.Order ? K.Order : "-");
    }
}

struct TPolyFailure {
    const char* Name;
    std::vector<double> X, Y;
    const char* Message;
};

class PolynomLineFailure : public testing::TestWithParam<TPolyFailure> {};

TEST_P(PolynomLineFailure, LeavesTheCurveEmpty)
{
    const TPolyFailure& P = GetParam();
    TCalcGraph G(P.X, P.Y);
    auto& L = G.Add<TKvPolynomLine>([](TKvCalculatedSeries&, const EKvError&) {});
    EXPECT_EQ(L.LastError.toStdString().rfind(std::string("Curve: ") + P.Message, 0), 0u) << L.LastError.toStdString();
    EXPECT_EQ(L.XValues.Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PolynomLineFailure,
    testing::Values(TPolyFailure{"TwoPoints", {1, 2}, {1, 2}, "Not enough data!"},
                    TPolyFailure{"OneDistinctX", {0, 0, 0}, {1, 2, 3},
                                 "Cholesky Decomposition ([i,i]): Matrix is not positive definite!"},
                    TPolyFailure{"ConstantY", {1, 2, 3, 4}, {5, 5, 5, 5}, "Floating point"}),
    [](const auto& I) { return std::string(I.param.Name); });

} // namespace kv::test
