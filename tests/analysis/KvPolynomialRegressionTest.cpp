// Polynomial regression and the Cholesky routines.

#include "analysis/KvPolynomialRegression.h"

#include "KvTestHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

using namespace kv;
using kvtest::RaisesFault;
using kvtest::TFault;

namespace {

const double Lo = -1.7e308, Hi = 1.7e308;
const double NaN = std::numeric_limits<double>::quiet_NaN();

struct TCase {
    std::string Name;
    int32_t Order;
    std::vector<double> X, Y, W; // W empty: unweighted
    double Start, Stop;
    TFault Fault;
    std::string Message;          // for TFault::Message
    std::vector<double> Coefficients; // expected, empty: not checked
};

std::vector<TCase> Cases()
{
    const std::string NotPositive = CholeskyPivotText;
    return {
        {"Parabola", 2, {-2, -1, 0, 1, 2}, {9, 2, 1, 6, 17}, {}, Lo, Hi, TFault::None, {}, {1, 2, 3}},
        {"ExactWithThreePoints", 2, {0, 1, 2}, {1, 6, 17}, {}, Lo, Hi, TFault::None, {}, {1, 2, 3}},
        {"TwoPointsForAParabola", 2, {0, 1}, {1, 6}, {}, Lo, Hi, TFault::NotEnoughData, {}, {}},
        {"ThreePointsAtZero", 2, {0, 0, 0}, {1, 2, 3}, {}, Lo, Hi, TFault::Message, NotPositive, {}},
        {"NoPointIsInvalid", 2, {}, {}, {}, Lo, Hi, TFault::InvalidOp, {}, {}},
        {"RangeStartAboveStop", 2, {1, 2, 3, 4}, {1, 4, 9, 16}, {}, 4, 1, TFault::InvalidOp, {}, {}},
        {"RangeSelectsPoints", 2, {-5, 0, 1, 2, 9}, {0, 1, 6, 17, 0}, {}, 0, 2, TFault::None, {}, {1, 2, 3}},
        {"SmallestCount", 2, {0, 1, 2, 3}, {1, 6, 17}, {}, Lo, Hi, TFault::None, {}, {1, 2, 3}},
        {"NaNY", 2, {0, 1, 2, 3}, {1, 6, NaN, 34}, {}, Lo, Hi, TFault::InvalidOp, {}, {}},
        {"NaNXLeftOut", 2, {0, NaN, 1, 2}, {1, 5, 6, 17}, {}, Lo, Hi, TFault::None, {}, {1, 2, 3}},
        {"Cubic", 3, {-1, 0, 1, 2, 3}, {1, 1, 1, 7, 25}, {}, Lo, Hi, TFault::None, {}, {1, -1, 0, 1}},
        {"WeightedExact", 2, {0, 1, 2, 3}, {1, 6, 17, 34}, {1, -2, 3, 0.5}, Lo, Hi, TFault::None, {}, {1, 2, 3}},
        {"WeightSumBelowOrderPlusOne", 2, {0, 1, 2, 3}, {1, 6, 17, 34}, {0.7, 0.7, 0.7, 0.7}, Lo, Hi,
         TFault::NotEnoughData, {}, {}},
        {"WeightSumZeroIsInvalid", 2, {0, 1, 2}, {1, 6, 17}, {0, 0, 0}, Lo, Hi, TFault::InvalidOp, {}, {}},
        // Two distinct X of non-zero weight cannot fix a parabola, however
        // many points and whatever the weight sum.
        {"TwoDistinctXOfWeight", 2, {0, 0, 1, 1, 5}, {1, 2, 3, 4, 9}, {1, 1, 1, 1, 0}, Lo, Hi, TFault::Message,
         NotPositive, {}},
        {"TwoDistinctXForAParabola", 2, {3, 7, 3, 7, 3}, {1, 2, 3, 4, 5}, {}, Lo, Hi, TFault::Message, NotPositive, {}},
    };
}

class PolynomialCases : public ::testing::TestWithParam<TCase> {};

TEST_P(PolynomialCases, Fits)
{
    const TCase& C = GetParam();
    PolynomialResult R;
    R.Order = C.Order;
    auto Fit = [&] {
        if (C.W.empty())
            PolynomialRegression(C.X, C.Y, C.Start, C.Stop, R);
        else
            WeightedPolynomialRegression(C.X, C.Y, C.W, C.Start, C.Stop, R);
    };
    ASSERT_TRUE(RaisesFault(Fit, C.Fault, C.Message));
    EXPECT_EQ(R.Coefficients.size(), static_cast<size_t>(C.Order) + 1);
    if (C.Fault != TFault::None)
        return;
    for (size_t k = 0; k < C.Coefficients.size(); ++k)
        EXPECT_NEAR(R.Coefficients[k], C.Coefficients[k], 1e-12) << k;
    EXPECT_NEAR(R.ChiSquare, 0, 1e-20);
    EXPECT_NEAR(R.R2, 1, 1e-15);
    EXPECT_NEAR(R.QRel, 0, 1e-10);
}

INSTANTIATE_TEST_SUITE_P(Table, PolynomialCases, ::testing::ValuesIn(Cases()),
                         [](const auto& Info) { return Info.param.Name; });

TEST(PolynomialRegression, ConstantYFailsInTheR2Step)
{
    // Syy = 0: R2 = 1 - ChiSquare / Syy divides by zero, or is 0/0 when the
    // fitted polynomial has no residual at all; either fault fails the fit.
    struct TData {
        std::vector<double> X, Y, W;
    };
    const std::vector<TData> Sets{{{1, 2, 3, 4}, {5, 5, 5, 5}, {}},
                                  {{1, 2, 3, 4}, {5, 5, 5, 5}, {1, 1, 1, 1}},
                                  {{0.1, 0.7, 1.3, 2.9, 3.3}, {0.3, 0.3, 0.3, 0.3, 0.3}, {}}};
    for (const TData& Set : Sets) {
        PolynomialResult R;
        R.Order = 2;
        try {
            if (Set.W.empty())
                PolynomialRegression(Set.X, Set.Y, Lo, Hi, R);
            else
                WeightedPolynomialRegression(Set.X, Set.Y, Set.W, Lo, Hi, R);
            ADD_FAILURE() << "no exception";
        } catch (const EZeroDivide& E) {
            EXPECT_STREQ(E.what(), "Floating point division by zero");
        } catch (const EInvalidOp& E) {
            EXPECT_STREQ(E.what(), "Invalid floating point operation");
        }
        // The coefficients were computed before the failure.
        EXPECT_NEAR(R.Coefficients[0], Set.Y[0], 1e-12);
    }
}

TEST(PolynomialRegression, StatisticsAgainstDirectFormulas)
{
    std::mt19937 Random(7);
    std::normal_distribution<double> Noise(0, 0.1);
    std::vector<double> X, Y;
    for (int i = 0; i < 40; ++i) {
        X.push_back(i * 0.25);
        Y.push_back(0.5 - X.back() + 0.25 * X.back() * X.back() + Noise(Random));
    }
    PolynomialResult R;
    R.Order = 2;
    PolynomialRegression(X, Y, Lo, Hi, R);
    double mx = 0, my = 0;
    for (int i = 0; i < 40; ++i)
        mx += X[i] / 40, my += Y[i] / 40;
    double sxx = 0, syy = 0, chi = 0;
    for (int i = 0; i < 40; ++i) {
        const double P = PolynomialValue(R.Coefficients, X[i]);
        sxx += (X[i] - mx) * (X[i] - mx);
        syy += (Y[i] - my) * (Y[i] - my);
        chi += (Y[i] - P) * (Y[i] - P);
    }
    EXPECT_NEAR(R.AverageX, mx, 1e-13);
    EXPECT_NEAR(R.AverageY, my, 1e-13);
    EXPECT_NEAR(R.VarianceX, sxx / 39, 1e-12);
    EXPECT_NEAR(R.VarianceY, syy / 39, 1e-12);
    EXPECT_NEAR(R.ChiSquare, chi, 1e-12);
    EXPECT_NEAR(R.R2, 1 - chi / syy, 1e-13);
    EXPECT_NEAR(R.QRel, std::sqrt(chi / (40 - 2)), 1e-13); // n - m, not n - m - 1
    // The least-squares solution makes the residual orthogonal to 1, x, x^2.
    for (int k = 0; k <= 2; ++k) {
        double Dot = 0;
        for (int i = 0; i < 40; ++i)
            Dot += (Y[i] - PolynomialValue(R.Coefficients, X[i])) * std::pow(X[i], k);
        EXPECT_NEAR(Dot, 0, 1e-11) << k;
    }
}

TEST(PolynomialRegression, WeightedAgainstReplicatedPoints)
{
    // An integer weight counts like that many copies of the point.
    const std::vector<double> X{0, 1, 2, 3, 4}, Y{1, 2.5, 2.9, 5.2, 9.9}, W{1, 2, 1, 3, 1};
    std::vector<double> XR, YR;
    for (size_t i = 0; i < X.size(); ++i)
        for (int k = 0; k < W[i]; ++k)
            XR.push_back(X[i]), YR.push_back(Y[i]);
    PolynomialResult A, B;
    A.Order = B.Order = 2;
    WeightedPolynomialRegression(X, Y, W, Lo, Hi, A);
    PolynomialRegression(XR, YR, Lo, Hi, B);
    for (int k = 0; k <= 2; ++k)
        EXPECT_NEAR(A.Coefficients[k], B.Coefficients[k], 1e-13);
    EXPECT_NEAR(A.ChiSquare, B.ChiSquare, 1e-13);
    EXPECT_NEAR(A.R2, B.R2, 1e-14);
    EXPECT_NEAR(A.VarianceY, B.VarianceY, 1e-13);
}

TEST(PolynomialRegression, HornerAndCoefficientIndex)
{
    const std::vector<double> C{1, -2, 0.5, 3};
    EXPECT_DOUBLE_EQ(PolynomialValue(C, 2), 1 - 4 + 2 + 24);
    EXPECT_EQ(PolynomialValue({}, 2), 0);
    PolynomialResult R;
    R.Order = 3;
    R.Coefficients = C;
    EXPECT_EQ(PolynomialCoefficient(R, 3), 3);
    try {
        PolynomialCoefficient(R, 4);
        FAIL();
    } catch (const ERangeError& E) {
        EXPECT_STREQ(E.what(), "Polynomial: Index of variable out of range");
    }
    EXPECT_THROW(PolynomialCoefficient(R, -1), ERangeError);
    R.Order = -1;
    EXPECT_THROW(PolynomialRegression(std::vector<double>{1, 2}, std::vector<double>{1, 2}, Lo, Hi, R),
                 ERangeError);
}

struct TCholeskyCase {
    std::string Name;
    TKvRealMatrix A;
    std::string Message; // empty: decomposes
};

class CholeskyCases : public ::testing::TestWithParam<TCholeskyCase> {};

TEST_P(CholeskyCases, Decomposes)
{
    TKvRealMatrix A = GetParam().A;
    const TKvRealMatrix Original = A;
    if (!GetParam().Message.empty()) {
        EXPECT_TRUE(RaisesFault([&] { CholeskyDecomposition(A); }, TFault::Message, GetParam().Message));
        return;
    }
    CholeskyDecomposition(A);
    const size_t N = A.size();
    for (size_t i = 0; i < N; ++i)
        for (size_t j = i; j < N; ++j) {
            double Sum = 0;
            for (size_t k = 0; k <= i; ++k)
                Sum += A[k][i] * A[k][j];
            EXPECT_NEAR(Sum, Original[i][j], 1e-12) << i << "," << j;
        }
    // Solve against a known solution.
    std::vector<double> Solution(N), b(N, 0.0);
    for (size_t i = 0; i < N; ++i)
        Solution[i] = 1.0 + static_cast<double>(i);
    for (size_t i = 0; i < N; ++i)
        for (size_t j = 0; j < N; ++j)
            b[i] += Original[i][j] * Solution[j];
    CholeskySolve(A, b);
    for (size_t i = 0; i < N; ++i)
        EXPECT_NEAR(b[i], Solution[i], 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CholeskyCases,
    ::testing::Values(
        TCholeskyCase{"Identity", {{1, 0}, {0, 1}}, ""},
        TCholeskyCase{"ThreeByThree", {{4, 12, -16}, {12, 37, -43}, {-16, -43, 98}}, ""},
        TCholeskyCase{"OneByOne", {{9}}, ""},
        TCholeskyCase{"NotSquare", {{1, 2, 3}, {2, 1, 3}}, CholeskyNotSquareText},
        TCholeskyCase{"RaggedRows", {{1, 0}, {0}}, CholeskyNotSquareText},
        TCholeskyCase{"FirstPivotZero", {{0, 1}, {1, 1}}, CholeskyFirstPivotText},
        TCholeskyCase{"FirstPivotNegative", {{-1, 0}, {0, 1}}, CholeskyFirstPivotText},
        TCholeskyCase{"FirstPivotNaN", {{NaN, 0}, {0, 1}}, CholeskyFirstPivotText},
        TCholeskyCase{"Empty", {}, CholeskyFirstPivotText},
        TCholeskyCase{"SecondPivotZero", {{1, 1}, {1, 1}}, CholeskyPivotText},
        TCholeskyCase{"Indefinite", {{1, 2}, {2, 1}}, CholeskyPivotText}),
    [](const auto& Info) { return Info.param.Name; });

TEST(CholeskySolve, VectorOfWrongLength)
{
    TKvRealMatrix U{{1, 0}, {0, 1}};
    TKvRealArray b{1};
    EXPECT_THROW(CholeskySolve(U, b), ERangeError);
}

} // namespace
