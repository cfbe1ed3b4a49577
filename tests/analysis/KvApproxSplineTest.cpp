// The approximating spline and the band solver.

#include "analysis/KvApproxSpline.h"
#include "analysis/KvLinearRegression.h"

#include "KvReferenceCurves.h"
#include "KvTestHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

using namespace kv;
using kvtest::RaisesFault;
using kvtest::TFault;

namespace {

const double Lo = -1.7e308, Hi = 1.7e308;
const double NaN = std::numeric_limits<double>::quiet_NaN();

struct TData {
    std::vector<double> X, Y, W;
    double Factor = 1;
};

TData ReferenceData(kvtest::TRows* Samples = nullptr)
{
    const auto Blocks = kvtest::ReadReferenceCurves("spline_reference.txt");
    const kvtest::TRows& Data = Blocks.at("data x y w (shuffled)");
    TData D{kvtest::Column(Data, 0), kvtest::Column(Data, 1), kvtest::Column(Data, 2),
            Blocks.at("factor").at(0).at(0)};
    if (Samples)
        *Samples = Blocks.at("samples x g g' natural");
    return D;
}

TKvApproxSpline Spline(const TData& D, bool Weighted = true)
{
    TKvApproxSpline S;
    S.WeightFactor = D.Factor;
    S.Interpolate(D.X, D.Y, Weighted ? TKvOptionalValues(D.W) : std::nullopt, Lo, Hi);
    return S;
}

TEST(ApproxSpline, MatchesAnIndependentImplementation)
{
    // SciPy's make_smoothing_spline minimises the same functional,
    // Σ w (y - g)^2 + λ ∫ g''^2, in a B-spline basis (λ = 1 / WeightFactor).
    kvtest::TRows Samples;
    const TData D = ReferenceData(&Samples);
    TKvApproxSpline S = Spline(D);
    ASSERT_EQ(S.KnotCount, 60);
    for (const auto& R : Samples) {
        EXPECT_NEAR(S.Value(R[0]), R[1], 1e-9 * (1 + std::fabs(R[1]))) << R[0];
        EXPECT_NEAR(S.Derivative(R[0]), R[2], 1e-8 * (1 + std::fabs(R[2]))) << R[0];
    }
}

TEST(ApproxSpline, IsTheMinimiserOfItsFunctional)
{
    // The conditions a minimiser of Σ w (y - g)^2 + ∫ g''^2 must meet: a C2
    // cubic spline, natural ends, and at every knot a jump of g''' equal to
    // w (y - g(x)).
    const TData D = ReferenceData();
    TKvApproxSpline S = Spline(D);
    const int n = S.KnotCount;
    for (int i = 0; i + 1 < n; ++i) {
        const double h = S.Knots[i + 1] - S.Knots[i];
        const double Value = S.A[i] + h * (S.B[i] + h * (S.C[i] + h * S.D[i]));
        const double Slope = S.B[i] + h * (2 * S.C[i] + 3 * h * S.D[i]);
        const double Curvature = 2 * S.C[i] + 6 * h * S.D[i];
        const double Scale = 1 + std::fabs(S.A[i + 1]) + std::fabs(S.B[i + 1]) + std::fabs(S.C[i + 1]);
        EXPECT_NEAR(Value, S.A[i + 1], 1e-12 * Scale) << i;
        EXPECT_NEAR(Slope, S.B[i + 1], 1e-11 * Scale) << i;
        if (i + 2 < n)
            EXPECT_NEAR(Curvature, 2 * S.C[i + 1], 1e-10 * Scale) << i;
        else
            EXPECT_NEAR(Curvature, 0, 1e-10 * Scale);
    }
    EXPECT_EQ(S.C[0], 0);
    // The sorted data and weights, to compare with.
    std::vector<size_t> Index(D.X.size());
    for (size_t i = 0; i < Index.size(); ++i)
        Index[i] = i;
    std::sort(Index.begin(), Index.end(), [&](size_t a, size_t b) { return D.X[a] < D.X[b]; });
    for (int i = 0; i < n; ++i) {
        const double Left = i > 0 ? 6 * S.D[i - 1] : 0;
        const double Right = i + 1 < n ? 6 * S.D[i] : 0;
        const size_t j = Index[static_cast<size_t>(i)];
        const double Pull = D.W[j] * D.Factor * (D.Y[j] - S.A[i]);
        EXPECT_NEAR(Right - Left, Pull, 1e-9 * (1 + std::fabs(Pull))) << i;
    }
}

TEST(ApproxSpline, LargeFactorApproachesTheNaturalInterpolatingSpline)
{
    kvtest::TRows Samples;
    TData D = ReferenceData(&Samples);
    D.Factor = 1e16; // the pull of the data grows with the factor, the deviation falls like 1/factor
    TKvApproxSpline S = Spline(D, false);
    for (const auto& R : Samples)
        EXPECT_NEAR(S.Value(R[0]), R[3], 1e-6 * (1 + std::fabs(R[3]))) << R[0];
}

TEST(ApproxSpline, SmallFactorApproachesTheLeastSquaresLine)
{
    TData D = ReferenceData();
    D.Factor = 1e-10;
    TKvApproxSpline S = Spline(D);
    LinearRegressionResult Line;
    WeightedLinearRegression(D.X, D.Y, D.W, Lo, Hi, Line);
    for (double x = -5; x <= 5; x += 0.5)
        EXPECT_NEAR(S.Value(x), Line.Offset + Line.Slope * x, 1e-6) << x;
}

TEST(ApproxSpline, StraightLineDataGiveThatLine)
{
    const std::vector<double> X{0, 1, 2, 4, 5, 7.5}, Y{1, 3, 5, 9, 11, 16}, W{1, 5, 0.1, 2, 3, 1};
    TKvApproxSpline S;
    S.Interpolate(X, Y, std::span<const double>(W), Lo, Hi);
    for (int i = 0; i < S.KnotCount; ++i) {
        EXPECT_NEAR(S.C[i], 0, 1e-14);
        EXPECT_NEAR(S.A[i], Y[i], 1e-13);
    }
    for (double x = -2; x <= 10; x += 0.25)
        EXPECT_NEAR(S.Value(x), 1 + 2 * x, 1e-12) << x;
}

TEST(ApproxSpline, AbsoluteWeightsAndRowOrderDoNotMatter)
{
    const std::vector<double> X{0, 1, 2, 3, 4, 5, 6}, Y{0, 2, 1, 3, 2, 5, 4};
    const std::vector<double> Wp{2, 2, 2, 2, 2, 2, 2}, Wm{-2, 2, -2, 2, -2, 2, -2};
    TKvApproxSpline A, B, C;
    A.Interpolate(X, Y, std::span<const double>(Wp), Lo, Hi);
    B.Interpolate(X, Y, std::span<const double>(Wm), Lo, Hi);
    const std::vector<double> XR{6, 2, 4, 0, 5, 1, 3}, YR{4, 1, 2, 0, 5, 2, 3};
    C.Interpolate(XR, YR, std::span<const double>(Wp), Lo, Hi);
    for (double x = 0; x <= 6; x += 0.1) {
        EXPECT_EQ(A.Value(x), B.Value(x));
        EXPECT_EQ(A.Value(x), C.Value(x));
    }
}

// Rows of one X merge to the mean of their values and the mean of their
// weights, in every row order: X = 1 three times with Y = 0, 0, 4 and
// weights 1, 1, 4 is the point (1, 4/3) of weight 2.
TEST(ApproxSpline, EqualXMergeToTheMeansInEveryOrder)
{
    const std::vector<double> MX{1, 2, 3, 4, 5, 6, 7}, MY{4.0 / 3, 1, 3, 2, 5, 4, 6}, MW{2, 1, 1, 1, 1, 1, 1};
    TKvApproxSpline Expected;
    Expected.Interpolate(MX, MY, std::span<const double>(MW), Lo, Hi);
    const double Rows[3][2] = {{0, 1}, {0, 1}, {4, 4}};
    const int Orders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    for (const auto& Order : Orders) {
        std::vector<double> X(MX.begin() + 1, MX.end()), Y(MY.begin() + 1, MY.end()), W(MW.begin() + 1, MW.end());
        for (int k = 0; k < 3; ++k) {
            const auto At = static_cast<std::ptrdiff_t>(2 * k);
            X.insert(X.begin() + At, 1.0);
            Y.insert(Y.begin() + At, Rows[Order[k]][0]);
            W.insert(W.begin() + At, Rows[Order[k]][1]);
        }
        TKvApproxSpline S;
        S.Interpolate(X, Y, std::span<const double>(W), Lo, Hi);
        ASSERT_EQ(S.KnotCount, 7);
        EXPECT_EQ(S.PointWeights[0], 2);
        for (double x = 0.5; x <= 7.5; x += 0.25)
            ASSERT_EQ(S.Value(x), Expected.Value(x)) << x;
    }
}

TEST(ApproxSpline, ContinuesAsAStraightLineBeyondTheLastKnot)
{
    const TData D = ReferenceData();
    TKvApproxSpline S = Spline(D);
    const double Last = S.Knots[S.KnotCount - 1];
    const double Slope = S.Derivative(Last);
    EXPECT_NEAR(S.Derivative(Last - 1e-9), Slope, 1e-6);
    for (double t = 0.5; t < 5; t += 0.5) {
        EXPECT_NEAR(S.Value(Last + t), S.Value(Last) + Slope * t, 1e-9);
        EXPECT_EQ(S.SecondDerivative(Last + t), 0);
    }
}

struct TBadCase {
    std::string Name;
    std::vector<double> X, Y, W;
    double Factor;
    TFault Fault;
};

class ApproxSplineBadInput : public ::testing::TestWithParam<TBadCase> {};

TEST_P(ApproxSplineBadInput, Fails)
{
    const TBadCase& C = GetParam();
    TKvApproxSpline S;
    S.WeightFactor = C.Factor;
    auto Run = [&] { S.Interpolate(C.X, C.Y, C.W.empty() ? std::nullopt : TKvOptionalValues(C.W), Lo, Hi); };
    EXPECT_TRUE(RaisesFault(Run, C.Fault));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ApproxSplineBadInput,
    ::testing::Values(
        TBadCase{"FivePoints", {0, 1, 2, 3, 4}, {0, 1, 0, 1, 0}, {}, 1, TFault::NotEnoughData},
        TBadCase{"FiveDistinctX", {0, 1, 2, 3, 4, 4}, {0, 1, 0, 1, 0, 1}, {}, 1, TFault::NotEnoughData},
        TBadCase{"Empty", {}, {}, {}, 1, TFault::NotEnoughData},
        TBadCase{"AllXEqual", {1, 1, 1, 1, 1, 1}, {0, 1, 2, 3, 4, 5}, {}, 1, TFault::NotEnoughData},
        TBadCase{"FewerWeights", {0, 1, 2, 3, 4, 5}, {0, 1, 0, 1, 0, 1}, {1, 1, 1, 1, 1}, 1, TFault::NotEnoughData},
        TBadCase{"ZeroWeight", {0, 1, 2, 3, 4, 5}, {0, 1, 0, 1, 0, 1}, {1, 1, 0, 1, 1, 1}, 1, TFault::ZeroDivide},
        TBadCase{"ZeroFactor", {0, 1, 2, 3, 4, 5}, {0, 1, 0, 1, 0, 1}, {}, 0, TFault::ZeroDivide},
        TBadCase{"NaNWeight", {0, 1, 2, 3, 4, 5}, {0, 1, 0, 1, 0, 1}, {1, NaN, 1, 1, 1, 1}, 1, TFault::InvalidOp},
        TBadCase{"NaNFactor", {0, 1, 2, 3, 4, 5}, {0, 1, 0, 1, 0, 1}, {}, NaN, TFault::InvalidOp},
        TBadCase{"NaNY", {0, 1, 2, 3, 4, 5}, {0, 1, NaN, 1, 0, 1}, {}, 1, TFault::InvalidOp}),
    [](const auto& Info) { return Info.param.Name; });

// A dense solve of the same band system, for comparison.
std::vector<double> DenseSolve(std::vector<std::vector<double>> M, std::vector<double> b)
{
    const size_t n = b.size();
    for (size_t c = 0; c < n; ++c) {
        size_t p = c;
        for (size_t r = c + 1; r < n; ++r)
            if (std::fabs(M[r][c]) > std::fabs(M[p][c]))
                p = r;
        std::swap(M[c], M[p]);
        std::swap(b[c], b[p]);
        for (size_t r = c + 1; r < n; ++r) {
            const double f = M[r][c] / M[c][c];
            for (size_t k = c; k < n; ++k)
                M[r][k] -= f * M[c][k];
            b[r] -= f * b[c];
        }
    }
    for (size_t r = n; r-- > 0;) {
        for (size_t k = r + 1; k < n; ++k)
            b[r] -= M[r][k] * b[k];
        b[r] /= M[r][r];
    }
    return b;
}

TEST(BandSolve, AgreesWithADenseSolve)
{
    std::mt19937 Random(5);
    std::uniform_real_distribution<double> U(-1, 1);
    for (auto [ml, mu] : {std::pair{2, 2}, std::pair{1, 3}, std::pair{3, 0}, std::pair{0, 1}}) {
        const int n = 40;
        const int Width = ml + mu + 1;
        std::vector<double> Band(static_cast<size_t>(n * Width), 0.0), b(n);
        std::vector<std::vector<double>> Dense(n, std::vector<double>(n, 0.0));
        for (int i = 0; i < n; ++i) {
            for (int j = std::max(0, i - ml); j <= std::min(n - 1, i + mu); ++j) {
                const double v = i == j ? 4 + U(Random) : U(Random);
                Dense[i][j] = v;
                Band[static_cast<size_t>(i * Width + ml + j - i)] = v;
            }
            b[i] = U(Random);
        }
        const std::vector<double> Expected = DenseSolve(Dense, b);
        BandSolve(n, ml, mu, b, Band);
        for (int i = 0; i < n; ++i)
            EXPECT_NEAR(b[i], Expected[i], 1e-13) << ml << "," << mu << " row " << i;
    }
}

TEST(BandSolve, Failures)
{
    std::vector<double> b(5, 1.0), M(25, 1.0);
    EXPECT_TRUE(RaisesFault([&] { BandSolve(2, 0, 0, b, M); }, TFault::NotEnoughData));
    EXPECT_TRUE(RaisesFault([&] { BandSolve(3, 2, 2, b, M); }, TFault::NotEnoughData));
    EXPECT_TRUE(RaisesFault([&] { BandSolve(3, -1, 2, b, M); }, TFault::Message, BandDiagonalsText));
    // The count check comes first.
    EXPECT_TRUE(RaisesFault([&] { BandSolve(2, -1, 2, b, M); }, TFault::NotEnoughData));
    std::vector<double> Short(10, 1.0);
    EXPECT_THROW(BandSolve(5, 2, 2, b, Short), ERangeError);
    // A zero row: its pivot is skipped and the back substitution divides by 0.
    std::vector<double> Z{0, 1, 0, /**/ 0, 0, 0, /**/ 0, 1, 0};
    std::vector<double> bz{1, 1, 1};
    EXPECT_TRUE(RaisesFault([&] { BandSolve(3, 1, 1, bz, Z); }, TFault::ZeroDivide));
}

} // namespace
