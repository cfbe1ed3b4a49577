// The four regression routines, their sentinels and failures,
// and the data preparation for logarithmic axes.

#include "analysis/KvLinearRegression.h"

#include "KvTestHelpers.h"
#include "foundation/KvRange.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

using namespace kv;
using kvtest::RaisesFault;
using kvtest::TFault;

namespace {

constexpr double Unchecked = std::numeric_limits<double>::quiet_NaN();
constexpr double Big = 1.7e308;

// Expected fields; NaN means "not checked".
struct TExpected {
    double Slope = Unchecked, DeltaSlope = Unchecked, Offset = Unchecked, DeltaOffset = Unchecked;
    double AverageX = Unchecked, AverageY = Unchecked, VarianceX = Unchecked, VarianceY = Unchecked;
    double R = Unchecked, ChiSquare = Unchecked;
};

enum class TRoutine { Linear, Weighted, Fixed, WeightedFixed };

struct TCase {
    std::string Name;
    TRoutine Routine;
    std::vector<double> X, Y, W;
    double Offset; // the fixed offset
    double Start, Stop;
    TFault Fault;
    TExpected Expected;
};

void RunCase(const TCase& C, LinearRegressionResult& R)
{
    R = LinearRegressionResult{};
    R.Offset = C.Offset;
    switch (C.Routine) {
    case TRoutine::Linear: LinearRegression(C.X, C.Y, C.Start, C.Stop, R); break;
    case TRoutine::Weighted: WeightedLinearRegression(C.X, C.Y, C.W, C.Start, C.Stop, R); break;
    case TRoutine::Fixed: FixedOffsetRegression(C.X, C.Y, C.Start, C.Stop, R); break;
    case TRoutine::WeightedFixed: WeightedFixedOffsetRegression(C.X, C.Y, C.W, C.Start, C.Stop, R); break;
    }
}

void ExpectField(const std::string& Name, double Actual, double Expected)
{
    if (std::isnan(Expected))
        return;
    if (Expected == Big || Expected == 0)
        EXPECT_EQ(Actual, Expected) << Name;
    else
        EXPECT_NEAR(Actual, Expected, 1e-12 * std::fabs(Expected)) << Name;
}

const double Inf = std::numeric_limits<double>::infinity();
const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Lo = -Big, Hi = Big;

// Three X values whose mean, subtracted back, does not sum to exactly 0:
// with constant Y the slope is tiny but not 0, so R divides a non-zero
// value by the zero variance of Y.
const double OddX1 = 383.0 / 7, OddX2 = 886.0 / 7, OddX3 = 111;

std::vector<TCase> Cases()
{
    std::vector<TCase> List;
    auto Add = [&](TCase C) { List.push_back(std::move(C)); };
    TExpected Exact;
    Exact.Slope = 2, Exact.Offset = 0, Exact.ChiSquare = 0, Exact.R = 1, Exact.DeltaSlope = 0,
    Exact.DeltaOffset = 0, Exact.AverageX = 2, Exact.VarianceX = 1, Exact.AverageY = 4, Exact.VarianceY = 4;
    Add({"ExactLine", TRoutine::Linear, {1, 2, 3}, {2, 4, 6}, {}, 0, Lo, Hi, TFault::None, Exact});

    TExpected Two;
    Two.Slope = 2, Two.Offset = -1, Two.DeltaSlope = 0, Two.DeltaOffset = 0, Two.ChiSquare = 0, Two.R = 1;
    Add({"TwoPointsZeroErrors", TRoutine::Linear, {1, 2}, {1, 3}, {}, 0, Lo, Hi, TFault::None, Two});
    Add({"OnePoint", TRoutine::Linear, {1}, {1}, {}, 0, Lo, Hi, TFault::NotEnoughData, {}});
    Add({"NoPoint", TRoutine::Linear, {}, {}, {}, 0, Lo, Hi, TFault::NotEnoughData, {}});
    Add({"OnePointInRange", TRoutine::Linear, {1, 2, 3}, {1, 2, 3}, {}, 0, 1.5, 2.5, TFault::NotEnoughData, {}});
    Add({"RangeStartAboveStop", TRoutine::Linear, {1, 2, 3}, {1, 2, 3}, {}, 0, 3, 1, TFault::NotEnoughData, {}});
    Add({"ConstantY", TRoutine::Linear, {1, 2, 3}, {5, 5, 5}, {}, 0, Lo, Hi, TFault::InvalidOp, {}});
    Add({"AllXEqual", TRoutine::Linear, {2, 2, 2}, {1, 2, 3}, {}, 0, Lo, Hi, TFault::InvalidOp, {}});

    TExpected Sentinel;
    Sentinel.Slope = Big, Sentinel.Offset = Big, Sentinel.R = 1, Sentinel.ChiSquare = 0, Sentinel.VarianceY = 0,
    Sentinel.DeltaSlope = 0, Sentinel.DeltaOffset = 0;
    Add({"ZeroDivideSentinels", TRoutine::Linear, {OddX1, OddX2, OddX3}, {5, 5, 5}, {}, 0, Lo, Hi, TFault::None,
         Sentinel});

    // The range includes both ends; the smallest count decides.
    TExpected Ranged = Exact;
    Add({"RangeEndsIncluded", TRoutine::Linear, {0, 1, 2, 3, 4}, {9, 2, 4, 6, 9}, {}, 0, 1, 3, TFault::None,
         Ranged});
    Add({"SmallestCount", TRoutine::Linear, {1, 2, 3, 4}, {2, 4, 6}, {}, 0, Lo, Hi, TFault::None, Exact});
    Add({"NaNXNeverTakesPart", TRoutine::Linear, {1, NaN, 2, 3}, {2, 7, 4, 6}, {}, 0, Lo, Hi, TFault::None, Exact});
    Add({"NaNY", TRoutine::Linear, {1, 2, 3}, {2, NaN, 6}, {}, 0, Lo, Hi, TFault::InvalidOp, {}});
    Add({"InfiniteY", TRoutine::Linear, {1, 2, 3}, {2, Inf, 6}, {}, 0, Lo, Hi, TFault::InvalidOp, {}});
    Add({"InfiniteXOutsideRange", TRoutine::Linear, {1, 2, 3, Inf}, {2, 4, 6, 1}, {}, 0, Lo, Hi, TFault::None,
         Exact});
    Add({"InfiniteXInInfiniteRange", TRoutine::Linear, {1, 2, Inf}, {2, 4, 6}, {}, 0, -Inf, Inf, TFault::InvalidOp,
         {}});

    // Weighted, free offset.
    TExpected Weighted1 = Exact;
    Add({"WeightsOneAsUnweighted", TRoutine::Weighted, {1, 2, 3}, {2, 4, 6}, {1, 1, 1}, 0, Lo, Hi, TFault::None,
         Weighted1});
    Add({"WeightsByAbsoluteValue", TRoutine::Weighted, {1, 2, 3}, {2, 4, 6}, {-1, 1, -1}, 0, Lo, Hi, TFault::None,
         Weighted1});
    Add({"WeightSumOneOrLess", TRoutine::Weighted, {1, 2, 3, 4}, {1, 3, 2, 5}, {0.25, 0.25, 0.25, 0.25}, 0, Lo, Hi,
         TFault::InvalidOp, {}});
    Add({"WeightSumZero", TRoutine::Weighted, {1, 2, 3}, {1, 2, 3}, {0, 0, 0}, 0, Lo, Hi, TFault::NotEnoughData,
         {}});
    Add({"WeightedNoPoint", TRoutine::Weighted, {}, {}, {}, 0, Lo, Hi, TFault::NotEnoughData, {}});
    Add({"NaNWeight", TRoutine::Weighted, {1, 2, 3}, {2, 4, 6}, {1, NaN, 1}, 0, Lo, Hi, TFault::InvalidOp, {}});
    Add({"WeightedAllXEqual", TRoutine::Weighted, {2, 2, 2}, {1, 2, 3}, {1, 1, 1}, 0, Lo, Hi, TFault::InvalidOp,
         {}});
    TExpected WeightedTwo;
    WeightedTwo.Slope = 2, WeightedTwo.Offset = -1, WeightedTwo.DeltaSlope = 0, WeightedTwo.DeltaOffset = 0,
    WeightedTwo.ChiSquare = 0;
    Add({"WeightedTwoPoints", TRoutine::Weighted, {1, 2}, {1, 3}, {1, 1}, 0, Lo, Hi, TFault::None, WeightedTwo});

    // Fixed offset.
    TExpected Fixed;
    Fixed.Slope = 2, Fixed.R = 0, Fixed.DeltaOffset = 0, Fixed.Offset = 1, Fixed.ChiSquare = 0, Fixed.DeltaSlope = 0,
    Fixed.AverageX = 1.5, Fixed.AverageY = 4, Fixed.VarianceX = 0.5, Fixed.VarianceY = 2;
    Add({"FixedOffsetOne", TRoutine::Fixed, {1, 2}, {3, 5}, {}, 1, Lo, Hi, TFault::None, Fixed});
    Add({"FixedOffsetWeightsOne", TRoutine::WeightedFixed, {1, 2}, {3, 5}, {1, 1}, 1, Lo, Hi, TFault::None, Fixed});
    Add({"FixedNoPoint", TRoutine::Fixed, {}, {}, {}, 1, Lo, Hi, TFault::NotEnoughData, {}});
    Add({"WeightedFixedNoPoint", TRoutine::WeightedFixed, {5}, {5}, {0}, 1, Lo, Hi, TFault::NotEnoughData, {}});
    // All X = 0: Sxa / Sx2 = 0/0, an invalid operation: not caught by the
    // unweighted routine, any math error is caught by the weighted one.
    Add({"FixedAllXZero", TRoutine::Fixed, {0, 0, 0}, {1, 2, 3}, {}, 1, Lo, Hi, TFault::InvalidOp, {}});
    TExpected WeightedFixedSentinel;
    WeightedFixedSentinel.Slope = Big, WeightedFixedSentinel.Offset = 1, WeightedFixedSentinel.R = 0,
    WeightedFixedSentinel.DeltaOffset = 0, WeightedFixedSentinel.DeltaSlope = 0, WeightedFixedSentinel.ChiSquare = 0;
    Add({"WeightedFixedAllXZero", TRoutine::WeightedFixed, {0, 0, 0}, {1, 2, 3}, {1, 1, 1}, 1, Lo, Hi, TFault::None,
         WeightedFixedSentinel});
    // One point: (n - 1) * Sx2 = 0 in step 4. With the point on the line the
    // chi-square is 0 too: 0/0 (not caught without weights); with weights
    // every math error of step 4 is caught.
    Add({"FixedOnePointOnLine", TRoutine::Fixed, {1}, {3}, {}, 1, Lo, Hi, TFault::InvalidOp, {}});
    TExpected WeightedOne;
    WeightedOne.Slope = 2, WeightedOne.DeltaSlope = 0, WeightedOne.ChiSquare = 0, WeightedOne.VarianceX = 0,
    WeightedOne.VarianceY = 0;
    Add({"WeightedFixedOnePoint", TRoutine::WeightedFixed, {1}, {3}, {2}, 1, Lo, Hi, TFault::None, WeightedOne});
    Add({"FixedNaNY", TRoutine::Fixed, {1, 2}, {NaN, 5}, {}, 1, Lo, Hi, TFault::InvalidOp, {}});
    return List;
}

class LinearRegressionCases : public ::testing::TestWithParam<TCase> {};

TEST_P(LinearRegressionCases, Fits)
{
    const TCase& C = GetParam();
    LinearRegressionResult R;
    ASSERT_TRUE(RaisesFault([&] { RunCase(C, R); }, C.Fault));
    if (C.Fault != TFault::None)
        return;
    const TExpected& E = C.Expected;
    ExpectField("Slope", R.Slope, E.Slope);
    ExpectField("DeltaSlope", R.DeltaSlope, E.DeltaSlope);
    ExpectField("Offset", R.Offset, E.Offset);
    ExpectField("DeltaOffset", R.DeltaOffset, E.DeltaOffset);
    ExpectField("AverageX", R.AverageX, E.AverageX);
    ExpectField("AverageY", R.AverageY, E.AverageY);
    ExpectField("VarianceX", R.VarianceX, E.VarianceX);
    ExpectField("VarianceY", R.VarianceY, E.VarianceY);
    ExpectField("R", R.R, E.R);
    ExpectField("ChiSquare", R.ChiSquare, E.ChiSquare);
}

INSTANTIATE_TEST_SUITE_P(Table, LinearRegressionCases, ::testing::ValuesIn(Cases()),
                         [](const auto& Info) { return Info.param.Name; });

TEST(LinearRegression, InitialValuesOfFreeOffsetBeforeAFailure)
{
    // The record is set up before the averaging fails.
    LinearRegressionResult R;
    R.Slope = 7;
    R.DeltaSlope = 7;
    EXPECT_TRUE(RaisesFault([&] { LinearRegression({}, {}, 0, 1, R); }, TFault::NotEnoughData));
    EXPECT_EQ(R.Slope, 0);
    EXPECT_EQ(R.DeltaSlope, Big);
    EXPECT_EQ(R.DeltaOffset, Big);
}

TEST(LinearRegression, FixedOffsetKeepsItsInput)
{
    LinearRegressionResult R;
    R.Offset = 2.5;
    FixedOffsetRegression(std::vector<double>{1, 2, 3}, std::vector<double>{3.5, 4.5, 5.5}, Lo, Hi, R);
    EXPECT_EQ(R.Offset, 2.5);
    EXPECT_NEAR(R.Slope, (1 * 1 + 2 * 2 + 3 * 3.0) / 14, 1e-15);
    EXPECT_EQ(R.R, 0);
    EXPECT_EQ(R.DeltaOffset, 0);
}

TEST(LinearRegression, StatisticsOfANoisyLine)
{
    // Against the textbook formulas, computed here independently.
    const std::vector<double> X{1, 2, 3, 4, 5, 6}, Y{1.1, 1.9, 3.2, 3.9, 5.1, 5.8};
    LinearRegressionResult R;
    LinearRegression(X, Y, Lo, Hi, R);
    double mx = 3.5, my = 0, sxx = 0, sxy = 0, syy = 0;
    for (double y : Y)
        my += y / 6;
    for (size_t i = 0; i < 6; ++i) {
        sxx += (X[i] - mx) * (X[i] - mx);
        sxy += (X[i] - mx) * (Y[i] - my);
        syy += (Y[i] - my) * (Y[i] - my);
    }
    const double b = sxy / sxx, a = my - b * mx;
    double chi = 0;
    for (size_t i = 0; i < 6; ++i)
        chi += (Y[i] - a - b * X[i]) * (Y[i] - a - b * X[i]);
    EXPECT_NEAR(R.Slope, b, 1e-14);
    EXPECT_NEAR(R.Offset, a, 1e-14);
    EXPECT_NEAR(R.ChiSquare, chi, 1e-14);
    EXPECT_NEAR(R.R, sxy / std::sqrt(sxx * syy), 1e-14);
    EXPECT_NEAR(R.DeltaSlope, std::sqrt(chi / (4 * sxx)), 1e-14);
    EXPECT_NEAR(R.DeltaOffset, std::sqrt(chi * (mx * mx / sxx + 1.0 / 6) / 4), 1e-14);
    EXPECT_NEAR(R.VarianceY, syy / 5, 1e-14);
}

TEST(LinearRegression, WeightsOneEqualUnweighted)
{
    const std::vector<double> X{1, 2, 3, 4.5, 7}, Y{2, 3.5, 3.7, 6, 8.25}, W(5, 1.0);
    LinearRegressionResult A, B, C, D;
    LinearRegression(X, Y, Lo, Hi, A);
    WeightedLinearRegression(X, Y, W, Lo, Hi, B);
    C.Offset = D.Offset = 0.5;
    FixedOffsetRegression(X, Y, Lo, Hi, C);
    WeightedFixedOffsetRegression(X, Y, W, Lo, Hi, D);
    for (auto [P, Q] : {std::pair{&A, &B}, std::pair{&C, &D}}) {
        EXPECT_DOUBLE_EQ(P->Slope, Q->Slope);
        EXPECT_DOUBLE_EQ(P->Offset, Q->Offset);
        EXPECT_DOUBLE_EQ(P->DeltaSlope, Q->DeltaSlope);
        EXPECT_DOUBLE_EQ(P->DeltaOffset, Q->DeltaOffset);
        EXPECT_DOUBLE_EQ(P->ChiSquare, Q->ChiSquare);
        EXPECT_DOUBLE_EQ(P->R, Q->R);
        EXPECT_DOUBLE_EQ(P->VarianceX, Q->VarianceX);
        EXPECT_DOUBLE_EQ(P->VarianceY, Q->VarianceY);
    }
}

TEST(LinearRegression, DispatchFollowsWeightsAndFixedOffset)
{
    const std::vector<double> X{1, 2, 3}, Y{3, 5, 7.5}, W{1, 2, 1};
    LinearRegressionResult A, B;
    FitRegressionLine(X, Y, std::nullopt, false, Lo, Hi, A);
    LinearRegression(X, Y, Lo, Hi, B);
    EXPECT_EQ(A.Slope, B.Slope);
    FitRegressionLine(X, Y, std::span<const double>(W), false, Lo, Hi, A);
    WeightedLinearRegression(X, Y, W, Lo, Hi, B);
    EXPECT_EQ(A.Slope, B.Slope);
    A.Offset = B.Offset = 1;
    FitRegressionLine(X, Y, std::nullopt, true, Lo, Hi, A);
    FixedOffsetRegression(X, Y, Lo, Hi, B);
    EXPECT_EQ(A.Slope, B.Slope);
    A.Offset = B.Offset = 1;
    FitRegressionLine(X, Y, std::span<const double>(W), true, Lo, Hi, A);
    WeightedFixedOffsetRegression(X, Y, W, Lo, Hi, B);
    EXPECT_EQ(A.Slope, B.Slope);
    EXPECT_EQ(A.Offset, 1);
}

TEST(LinearRegression, LogarithmicY)
{
    // Y = 10^(1 + 2X); a point with Y = 0 is left out with its X.
    const std::vector<double> X{0, 0.5, 1, 1.5, 2, 2.5}, Y{10, 100, 1000, 0, 1e5, 1e6};
    TKvLogRegressionData Data;
    PrepareLogRegressionData(X, Y, std::nullopt, false, true, 0, 2.5, Data);
    ASSERT_EQ(Data.X.size(), 5u);
    EXPECT_EQ(Data.X[3], 2);
    LinearRegressionResult R;
    LinearRegression(Data.X, Data.Y, Data.Start, Data.Stop, R);
    EXPECT_NEAR(R.Slope, 2, 1e-14);
    EXPECT_NEAR(R.Offset, 1, 1e-14);
    EXPECT_NEAR(RegressionLineValue(R, 0.25, false), 1.5, 1e-14);
}

TEST(LinearRegression, LogarithmicXAndRangeEnds)
{
    const std::vector<double> X{-1, 1, 10, 100, 1000}, Y{5, 1, 3, 5, 7}, W{1, 1, 2, 3, 4};
    TKvLogRegressionData Data;
    PrepareLogRegressionData(X, Y, std::span<const double>(W), true, false, -5, 100, Data);
    ASSERT_EQ(Data.X.size(), 4u);
    EXPECT_TRUE(Data.HasWeights);
    EXPECT_EQ(Data.W, (std::vector<double>{1, 2, 3, 4}));
    EXPECT_EQ(Data.Start, 0);  // a range end not greater than 0 becomes 0
    EXPECT_EQ(Data.Stop, 2);
    EXPECT_EQ(LogRangeEnd(1000), 3);
    LinearRegressionResult R;
    WeightedLinearRegression(Data.X, Data.Y, Data.W, Data.Start, Data.Stop, R);
    EXPECT_NEAR(R.Slope, 2, 1e-14);
    EXPECT_NEAR(R.Offset, 1, 1e-14);
    // The display ends on a logarithmic X axis must be positive.
    EXPECT_NEAR(RegressionLineValue(R, 100, true), 5, 1e-14);
    EXPECT_TRUE(RaisesFault([&] { RegressionLineValue(R, 0, true); }, TFault::ZeroDivide));
    EXPECT_TRUE(RaisesFault([&] { RegressionLineValue(R, -1, true); }, TFault::InvalidOp));
}

} // namespace
