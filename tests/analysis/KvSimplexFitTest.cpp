// The simplex fit engine and the expression-driven model function.

#include "analysis/KvSimplexFit.h"

#include "KvTestHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

using namespace kv;
using kvtest::RaisesFault;
using kvtest::TFault;

using kvtest::Hi;
using kvtest::Lo;
using kvtest::TLineData;

namespace {

TKvFittingFkt Line()
{
    return [](std::span<const double> p, double x) { return p[0] * x + p[1]; };
}

TEST(SimplexFit, FitsAStraightLine)
{
    TLineData D;
    TKvSimplexFit Fit;
    Fit.FittingFunction = Line();
    Fit.SetOrder(2);
    Fit.Iterations = 400;
    ASSERT_TRUE(Fit.CalculateFit(D.X, D.Y, std::nullopt, Lo, Hi));
    EXPECT_NEAR(Fit.Variables()[0], 2, 1e-6);
    EXPECT_NEAR(Fit.Variables()[1], 1, 1e-6);
    EXPECT_LT(Fit.ChiSquare, 1e-10);
    EXPECT_DOUBLE_EQ(Fit.Evaluate(3), Fit.Variables()[0] * 3 + Fit.Variables()[1]);
    EXPECT_EQ(Fit.FitCount(), 10);
}

TEST(SimplexFit, FirstPassesByHand)
{
    // One parameter, the model A, one point y = 3: the measure is (3 - A)^2.
    // Start A = 1: vertices 2.05 (0.9025) and 1 (4).
    // Pass 1: reflection of 1 through 2.05 gives 3.1 (0.01), better than
    //   the best; the expansion to 4.15 (1.3225) is worse, so 3.1 stays.
    // Pass 2: reflection of 2.05 through 3.1 gives 4.15 (1.3225), worse than
    //   the next-worst (here the best, 3.1); the contraction to 3.625
    //   (0.390625) is still worse, so the other vertex shrinks to 3.3625.
    TKvSimplexFit Fit;
    Fit.FittingFunction = [](std::span<const double> p, double) { return p[0]; };
    Fit.SetVariables(std::vector<double>{1});
    Fit.Iterations = 1;
    std::vector<std::vector<double>> Vertices;
    std::vector<double> Best;
    Fit.OnIteration = [&](TKvSimplexFit& F) {
        Vertices.push_back({F.Vertices()[0][0], F.Vertices()[1][0]});
        Best.push_back(F.Variables()[0]);
    };
    Fit.CalculateFit(std::vector<double>{0}, std::vector<double>{3}, std::nullopt, Lo, Hi);
    ASSERT_EQ(Vertices.size(), 2u); // Iterations + 1 passes
    EXPECT_DOUBLE_EQ(Vertices[0][0], 2.05);
    EXPECT_DOUBLE_EQ(Vertices[0][1], 3.1);
    EXPECT_DOUBLE_EQ(Best[0], 3.1);
    EXPECT_DOUBLE_EQ(Vertices[1][0], 3.3625);
    EXPECT_DOUBLE_EQ(Vertices[1][1], 3.1);
    EXPECT_DOUBLE_EQ(Best[1], 3.1);
    EXPECT_NEAR(Fit.ChiSquare, 0.01, 1e-15);
}

TEST(SimplexFit, PassCountAndIterationsRestored)
{
    TLineData D;
    D.Y[3] += 0.1; // never an exact fit
    TKvSimplexFit Fit;
    Fit.FittingFunction = Line();
    Fit.SetOrder(2);
    Fit.Iterations = 5;
    int Passes = 0;
    Fit.OnIteration = [&](TKvSimplexFit& F) {
        ++Passes;
        F.Iterations = 99; // discarded after the fit
    };
    Fit.CalculateFit(D.X, D.Y, std::nullopt, Lo, Hi);
    EXPECT_EQ(Passes, 6);
    EXPECT_EQ(Fit.Iterations, 5);
    EXPECT_EQ(Fit.IterationsLeft, -1);
}

TEST(SimplexFit, StopsWhenTheMeasureIsExactlyZero)
{
    TLineData D;
    TKvSimplexFit Fit;
    Fit.FittingFunction = Line();
    Fit.SetVariables(std::vector<double>{2, 1}); // already the solution
    int Passes = 0;
    Fit.OnIteration = [&](TKvSimplexFit&) { ++Passes; };
    Fit.CalculateFit(D.X, D.Y, std::nullopt, Lo, Hi);
    EXPECT_EQ(Passes, 1);
    EXPECT_EQ(Fit.ChiSquare, 0);
    EXPECT_EQ(Fit.Variables(), (std::vector<double>{2, 1}));
}

TEST(SimplexFit, ZeroStartValuesBecomeOne)
{
    TLineData D;
    TKvSimplexFit Fit;
    Fit.FittingFunction = Line();
    Fit.SetVariables(std::vector<double>{0, 3});
    Fit.Iterations = 0;
    Fit.PrepareFitData(D.X, D.Y, std::nullopt, Lo, Hi);
    EXPECT_EQ(Fit.Variables(), (std::vector<double>{1, 3}));
}

TEST(SimplexFit, NoPassesDrawTheCurrentParameters)
{
    TLineData D;
    TKvSimplexFit Fit;
    Fit.FittingFunction = Line();
    Fit.SetVariables(std::vector<double>{0, 3});
    Fit.Iterations = 0;
    EXPECT_TRUE(Fit.CalculateFit(D.X, D.Y, std::nullopt, Lo, Hi));
    EXPECT_EQ(Fit.Variables(), (std::vector<double>{0, 3}));
    EXPECT_EQ(Fit.Evaluate(5), 3);
}

TEST(SimplexFit, NothingToDoWithoutDataOrParameters)
{
    TKvSimplexFit Fit;
    EXPECT_EQ(Fit.Order(), -1);
    EXPECT_FALSE(Fit.CalculateFit(std::vector<double>{1}, std::vector<double>{1}, std::nullopt, Lo, Hi));
    Fit.SetOrder(2);
    EXPECT_FALSE(Fit.CalculateFit({}, std::vector<double>{1}, std::nullopt, Lo, Hi));
    EXPECT_TRUE(RaisesFault([&] { Fit.CalculateFit(std::vector<double>{1}, std::vector<double>{1}, std::nullopt, Lo, Hi); },
                            TFault::Message, NoFittingFunctionText));
    Fit.SetOrder(-4);
    EXPECT_EQ(Fit.Order(), 0);
    EXPECT_TRUE(Fit.Variables().empty());
}

TEST(SimplexFit, OrderAndVariables)
{
    TKvSimplexFit Fit;
    Fit.SetOrder(3);
    EXPECT_EQ(Fit.Variables(), (std::vector<double>{0, 0, 0}));
    Fit.SetVariable(1, 5);
    Fit.SetOrder(4);
    EXPECT_EQ(Fit.Variables(), (std::vector<double>{0, 5, 0, 0}));
    Fit.SetVariables(std::vector<double>{1, 2});
    EXPECT_EQ(Fit.Order(), 2);
    EXPECT_THROW(Fit.SetVariable(2, 1), ERangeError);
}

TEST(SimplexFit, NotEnoughDataForTheParameters)
{
    TKvSimplexFit Fit;
    Fit.FittingFunction = [](std::span<const double> p, double x) { return p[0] + p[1] * x + p[2] * x * x; };
    Fit.SetOrder(3);
    EXPECT_TRUE(RaisesFault(
        [&] { Fit.CalculateFit(std::vector<double>{1, 2, 3}, std::vector<double>{1, 2, 3}, std::nullopt, 1.5, 3); },
        TFault::NotEnoughData));
}

TEST(SimplexFit, CovarianceNeedsXAsAFunctionOfY)
{
    TKvSimplexFit Fit;
    Fit.FittingFunction = Line();
    Fit.SetOrder(2);
    Fit.DoCovariance = true;
    EXPECT_TRUE(RaisesFault([&] {
        Fit.CalculateFit(std::vector<double>{1, 2, 3, 4}, std::vector<double>{1, 2, 1, 2}, std::nullopt, Lo, Hi);
    }, TFault::Message, ReciprocalIndefiniteText));
    EXPECT_FALSE(Fit.DoCovariance);
}

TEST(SimplexFit, Measures)
{
    // Data on y = 2x + 1 with errors; measures of the parameters (2, 0.5).
    const std::vector<double> X{0, 1, 2, 3, 4}, Y{1.5, 3, 4.5, 7.5, 9}, W{1, -2, 1, 0.5, 3};
    const std::vector<double> p{2, 0.5};
    auto f = [&](double x) { return 2 * x + 0.5; };
    double Plain = 0, Weighted = 0, Covariance = 0, WeightedCovariance = 0;
    for (size_t i = 0; i < X.size(); ++i) {
        const double d = Y[i] - f(X[i]);
        Plain += d * d;
        Weighted += std::fabs(W[i]) * d * d;
        // X as a function of Y: the data are not on a line, so compare with
        // the engine's own inverse interpolation only through its values.
    }
    TKvSimplexFit Fit;
    Fit.FittingFunction = Line();
    Fit.SetVariables(p);
    Fit.PrepareFitData(X, Y, std::nullopt, Lo, Hi);
    EXPECT_DOUBLE_EQ(Fit.DeviationMeasure(p), Plain);
    Fit.PrepareFitData(X, Y, std::span<const double>(W), Lo, Hi);
    EXPECT_DOUBLE_EQ(Fit.DeviationMeasure(p), Weighted);
    // Covariance on data where X is exactly linear in Y (x = (y - 1) / 2),
    // so the inverse interpolation is exact.
    const std::vector<double> YL{1, 3, 5, 7, 9};
    for (size_t i = 0; i < X.size(); ++i) {
        const double Model = f(X[i]);
        const double Product = std::fabs((X[i] - (Model - 1) / 2) * (YL[i] - Model));
        Covariance += Product;
        WeightedCovariance += std::fabs(W[i]) * Product;
    }
    Fit.DoCovariance = true;
    Fit.PrepareFitData(X, YL, std::nullopt, Lo, Hi);
    EXPECT_NEAR(Fit.DeviationMeasure(p), Covariance, 1e-12);
    Fit.PrepareFitData(X, YL, std::span<const double>(W), Lo, Hi);
    EXPECT_NEAR(Fit.DeviationMeasure(p), WeightedCovariance, 1e-12);
    ASSERT_NE(Fit.InverseInterpolation(), nullptr);
}

TEST(SimplexFit, BatchModelGivesTheSameFit)
{
    TLineData D;
    D.Y[4] -= 0.2;
    TKvSimplexFit A, B;
    A.FittingFunction = B.FittingFunction = Line();
    B.FittingValues = [](std::span<const double> p, std::span<const double> X, std::span<double> F) {
        for (size_t i = 0; i < X.size(); ++i)
            F[i] = p[0] * X[i] + p[1];
    };
    A.SetOrder(2);
    B.SetOrder(2);
    A.CalculateFit(D.X, D.Y, std::nullopt, Lo, Hi);
    B.CalculateFit(D.X, D.Y, std::nullopt, Lo, Hi);
    EXPECT_EQ(A.Variables(), B.Variables());
    EXPECT_EQ(A.ChiSquare, B.ChiSquare);
}

struct TBadFitCase {
    std::string Name;
    std::vector<double> X, Y;
    double Start, Stop;
    TFault Fault;
    bool Fitted; // CalculateFit's result when it does not raise
};

class SimplexBadInput : public ::testing::TestWithParam<TBadFitCase> {};

TEST_P(SimplexBadInput, Fails)
{
    const TBadFitCase& C = GetParam();
    TKvSimplexFit Fit;
    Fit.FittingFunction = Line();
    Fit.SetOrder(2);
    bool Fitted = false;
    EXPECT_TRUE(RaisesFault([&] { Fitted = Fit.CalculateFit(C.X, C.Y, std::nullopt, C.Start, C.Stop); }, C.Fault));
    EXPECT_EQ(Fitted, C.Fitted);
}

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Table, SimplexBadInput,
    ::testing::Values(TBadFitCase{"Empty", {}, {}, Lo, Hi, TFault::None, false},
                      TBadFitCase{"EmptyY", {1, 2}, {}, Lo, Hi, TFault::None, false},
                      TBadFitCase{"FewerYThanParameters", {1, 2, 3}, {1}, Lo, Hi, TFault::NotEnoughData, false},
                      TBadFitCase{"RangeStartAboveStop", {1, 2, 3}, {1, 2, 3}, 3, 1, TFault::NotEnoughData, false},
                      TBadFitCase{"NaNY", {1, 2, 3}, {1, NaN, 3}, Lo, Hi, TFault::InvalidOp, false},
                      TBadFitCase{"InfiniteY", {1, 2, 3}, {1, Inf, 3}, Lo, Hi, TFault::InvalidOp, false},
                      TBadFitCase{"NaNXLeftOut", {1, NaN, 3}, {3, 0, 7}, Lo, Hi, TFault::None, true},
                      TBadFitCase{"AllXEqual", {2, 2, 2}, {1, 2, 3}, Lo, Hi, TFault::None, true}),
    [](const auto& Info) { return Info.param.Name; });

TEST(SimplexFit, ModelFaultsAbortTheFitKeepingTheLastPass)
{
    TLineData D;
    D.Y[2] += 0.3;
    TKvSimplexFit Fit;
    int Calls = 0;
    Fit.FittingFunction = [&](std::span<const double> p, double x) {
        if (++Calls > 400)
            return std::numeric_limits<double>::quiet_NaN();
        return p[0] * x + p[1];
    };
    Fit.SetOrder(2);
    std::vector<double> LastBest;
    Fit.OnIteration = [&](TKvSimplexFit& F) { LastBest = F.Variables(); };
    EXPECT_TRUE(RaisesFault([&] { Fit.CalculateFit(D.X, D.Y, std::nullopt, Lo, Hi); }, TFault::InvalidOp));
    EXPECT_EQ(Fit.Variables(), LastBest);
    EXPECT_EQ(Fit.Iterations, 300);

    Calls = 0;
    Fit.FittingFunction = [&](std::span<const double> p, double x) {
        if (++Calls > 400)
            return std::numeric_limits<double>::infinity();
        return p[0] * x + p[1];
    };
    EXPECT_TRUE(RaisesFault([&] { Fit.CalculateFit(D.X, D.Y, std::nullopt, Lo, Hi); }, TFault::Overflow));
    Fit.FittingFunction = [](std::span<const double>, double) -> double { throw EZeroDivide("Floating point division by zero"); };
    EXPECT_TRUE(RaisesFault([&] { Fit.CalculateFit(D.X, D.Y, std::nullopt, Lo, Hi); }, TFault::ZeroDivide));
}

struct TRankCase {
    std::string Name;
    std::vector<double> Chi;
    TKvVertexRanks Expected;
};

class RankVerticesCases : public ::testing::TestWithParam<TRankCase> {};

TEST_P(RankVerticesCases, Ranks)
{
    EXPECT_EQ(RankVertices(GetParam().Chi), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Table, RankVerticesCases,
                         ::testing::Values(TRankCase{"Mixed", {3, 1, 2}, {1, 0, 2}},
                                           TRankCase{"Descending", {3, 2, 1}, {2, 0, 1}},
                                           TRankCase{"Ascending", {1, 2, 3}, {0, 2, 1}},
                                           TRankCase{"WorstInTheMiddle", {2, 3, 1}, {2, 1, 0}},
                                           TRankCase{"FourVertices", {5, 1, 3, 4}, {1, 0, 3}},
                                           TRankCase{"AllEqualLaterIsWorse", {1, 1, 1}, {0, 2, 1}},
                                           TRankCase{"TwoVertices", {0.5, 1}, {0, 1, 0}}),
                         [](const auto& Info) { return Info.param.Name; });

} // namespace
