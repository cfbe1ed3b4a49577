#include "KvCalcTestSupport.h"

#include "graph/KvLinearRegressionLine.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kv::test {

namespace {

constexpr double Skip = -999; // the field is not checked

struct TLinCase {
    const char* Name;
    std::vector<double> X, Y, W;
    bool Fixed;
    double FixedOffset;
    double Slope, Offset, R, ChiSquare, DeltaSlope, DeltaOffset, AverageX, VarianceX;
};

class LinearRegressionLine : public testing::TestWithParam<TLinCase> {};

void ExpectField(const char* Name, double Actual, double Expected)
{
    if (Expected != Skip) {
        EXPECT_NEAR(Actual, Expected, 1e-9) << Name;
    }
}

} // namespace

TEST_P(LinearRegressionLine, FitsAndReports)
{
    const TLinCase& P = GetParam();
    TCalcGraph G(P.X, P.Y, P.W);
    auto& L = NewCalculation<TKvLinearRegressionLine>(*G.Series);
    if (P.Fixed)
        L.SetOffset(P.FixedOffset);
    EXPECT_EQ(L.DoFixedOffset, P.Fixed);
    const LinearRegressionResult& R = L.Result();
    ExpectField("Slope", R.Slope, P.Slope);
    ExpectField("Offset", R.Offset, P.Offset);
    ExpectField("R", R.R, P.R);
    ExpectField("ChiSquare", R.ChiSquare, P.ChiSquare);
    ExpectField("DeltaSlope", R.DeltaSlope, P.DeltaSlope);
    ExpectField("DeltaOffset", R.DeltaOffset, P.DeltaOffset);
    ExpectField("AverageX", R.AverageX, P.AverageX);
    ExpectField("VarianceX", R.VarianceX, P.VarianceX);
    // The line: two points at the display ends.
    ASSERT_EQ(L.XValues.Count(), 2);
    EXPECT_EQ(L.XValues[0], L.DisplayStart());
    EXPECT_NEAR(L.YValues[1], R.Offset + R.Slope * L.DisplayStop(), 1e-9);
    EXPECT_EQ(G.Result("LinearRegression", "Slope"), R.Slope);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinearRegressionLine,
    testing::Values(
        TLinCase{"ExactLine", {1, 2, 3}, {2, 4, 6}, {}, false, 0, 2, 0, 1, 0, 0, 0, 2, 1},
        TLinCase{"TwoPointsLoseTheirErrors", {1, 2}, {1, 3}, {}, false, 0, 2, -1, Skip, 0, 0, 0, 1.5, 0.5},
        TLinCase{"FixedOffset", {1, 2}, {3, 5}, {}, true, 1, 2, 1, 0, 0, Skip, 0, Skip, Skip},
        TLinCase{"UnitWeightsAsUnweighted", {1, 2, 3, 4}, {1, 3, 2, 5}, {1, 1, 1, 1}, false, 0, 1.1, 0, Skip, 2.7,
                 Skip, Skip, 2.5, Skip},
        TLinCase{"Unweighted", {1, 2, 3, 4}, {1, 3, 2, 5}, {}, false, 0, 1.1, 0, Skip, 2.7, Skip, Skip, 2.5, Skip},
        TLinCase{"NegativeWeightsCountByValue", {1, 2, 3, 4}, {1, 3, 2, 5}, {-2, 2, -2, 2}, false, 0, 1.1, 0, Skip,
                 5.4, Skip, Skip, 2.5, Skip}),
    [](const auto& I) { return std::string(I.param.Name); });

struct TLinFailure {
    const char* Name;
    std::vector<double> X, Y, W;
    const char* Message;
};

class LinearRegressionFailure : public testing::TestWithParam<TLinFailure> {};

TEST_P(LinearRegressionFailure, LeavesNoLine)
{
    const TLinFailure& P = GetParam();
    TCalcGraph G(P.X, P.Y, P.W);
    auto& L = G.Add<TKvLinearRegressionLine>([](TKvCalculatedSeries&, const EKvError&) {});
    EXPECT_EQ(L.LastError.toStdString(), std::string("Curve: ") + P.Message);
    EXPECT_EQ(L.XValues.Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinearRegressionFailure,
    testing::Values(TLinFailure{"OnePoint", {1}, {1}, {}, "Not enough data!"},
                    TLinFailure{"ConstantY", {1, 2, 3}, {5, 5, 5}, {}, "Invalid floating point operation"},
                    TLinFailure{"WeightSumOne", {1, 2, 3, 4}, {1, 3, 2, 5}, {.25, .25, .25, .25},
                                "Invalid floating point operation"}),
    [](const auto& I) { return std::string(I.param.Name); });

TEST(LinearRegressionLine, FormulaAndFitFollowTheLogarithmicAxes)
{
    struct TAxes {
        bool LogX, LogY;
        const char* Formula;
    };
    for (const TAxes& A : {TAxes{false, false, "Y=a+b(X)"}, TAxes{false, true, "lg(Y)=a+b(X)"},
                           TAxes{true, false, "Y=a+b(lg(X))"}, TAxes{true, true, "lg(Y)=a+b(lg(X))"}}) {
        // Y = 10^(1 + 2 u) with u = X (or lg X): a straight line on these axes;
        // the point with Y = 0 cannot be shown and is left out.
        std::vector<double> Xs{1, 2, 3, 4, 5}, Ys;
        for (double X : Xs) {
            const double u = A.LogX ? std::log10(X) : X;
            Ys.push_back(A.LogY ? std::pow(10.0, 1 + 2 * u) : 1 + 2 * u);
        }
        if (A.LogY) {
            Xs.push_back(6);
            Ys.push_back(0);
        }
        TCalcGraph G(Xs, Ys);
        G.Bottom->SetScaling(A.LogX ? TKvAxScaling::AxLog : TKvAxScaling::AxNormal);
        G.Left->SetScaling(A.LogY ? TKvAxScaling::AxLog : TKvAxScaling::AxNormal);
        G.Graph.PrepareForPaint();
        auto& L = G.Add<TKvLinearRegressionLine>();
        SCOPED_TRACE(A.Formula);
        EXPECT_EQ(L.GetFormula(), A.Formula);
        EXPECT_NEAR(L.Result().Slope, 2, 1e-9);
        EXPECT_NEAR(L.Result().Offset, 1, 1e-9);
        const double u0 = A.LogX ? std::log10(L.DisplayStart()) : L.DisplayStart();
        const double Expected = A.LogY ? std::pow(10.0, 1 + 2 * u0) : 1 + 2 * u0;
        EXPECT_NEAR(L.YValues[0] / Expected, 1, 1e-9);
        // The report gives means in data units.
        const double MeanU = A.LogX ? std::log10(120.0) / 5 : 3;
        EXPECT_NEAR(G.Result("LinearRegression", "AverageX"), A.LogX ? std::pow(10.0, MeanU) : 3, 1e-9);
        EXPECT_NEAR(G.Result("LinearRegression", "AverageY"),
                    A.LogY ? std::pow(10.0, 1 + 2 * MeanU) : 1 + 2 * MeanU, 1e-6);
    }
}

TEST(LinearRegressionLine, ReportKeysInOrderAndThePercentKeysOnlyForNonZeroValues)
{
    const TKvStringList Head{"Calculation", "Caption",   "Formula",   "CalcStart", "CalcStop",
                             "DisplayStart", "DisplayStop", "PointsUsed", "DoFixedOffset", "AverageX", "VarianceX",
                             "AverageY",    "VarianceY", "R",         "ChiSquare", "Offset", "DeltaOffset"};
    {
        TCalcGraph G({1, 2, 3, 4}, {1, 3, 2, 6});
        G.Add<TKvLinearRegressionLine>();
        TKvStringList All = Head;
        for (const char* K : {"DeltaOffset%", "Slope", "DeltaSlope", "DeltaSlope%"})
            All.push_back(K);
        EXPECT_EQ(G.Keys("LinearRegression"), All);
    }
    {
        // Slope exactly 0 (and offset 4/3): no "DeltaSlope%".
        TCalcGraph G({1, 2, 3}, {1, 2, 1});
        G.Add<TKvLinearRegressionLine>();
        TKvStringList All = Head;
        for (const char* K : {"DeltaOffset%", "Slope", "DeltaSlope"})
            All.push_back(K);
        EXPECT_EQ(G.Keys("LinearRegression"), All);
    }
}

} // namespace kv::test
