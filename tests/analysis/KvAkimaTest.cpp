// Akima interpolation, the interval search, sorting and smoothing, and the
// extrema of the piecewise cubic.

#include "analysis/KvAkima.h"

#include "KvReferenceCurves.h"
#include "KvTestHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <vector>

using namespace kv;
using kvtest::RaisesFault;
using kvtest::TFault;

namespace {

const double Lo = -1.7e308, Hi = 1.7e308;
const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

TKvAkima Interpolated(const std::vector<double>& X, const std::vector<double>& Y)
{
    TKvAkima Akima;
    Akima.Interpolate(X, Y, std::nullopt, Lo, Hi);
    return Akima;
}

TEST(Akima, MatchesAnIndependentImplementation)
{
    // SciPy's Akima1DInterpolator on the same (shuffled) data.
    const auto Blocks = kvtest::ReadReferenceCurves("akima_reference.txt");
    const kvtest::TRows& Data = Blocks.at("data x y (shuffled)");
    const kvtest::TRows& Samples = Blocks.at("samples x f f' f''");
    TKvAkima Akima = Interpolated(kvtest::Column(Data, 0), kvtest::Column(Data, 1));
    ASSERT_EQ(Akima.KnotCount, 40);
    ASSERT_EQ(Samples.size(), 401u);
    for (const auto& S : Samples) {
        EXPECT_NEAR(Akima.Value(S[0]), S[1], 1e-11 * (1 + std::fabs(S[1]))) << S[0];
        EXPECT_NEAR(Akima.Derivative(S[0]), S[2], 1e-9 * (1 + std::fabs(S[2]))) << S[0];
        // The second derivative jumps at knots; the last sample lies on the
        // last knot, where the engine continues with the piece beyond it.
        if (&S != &Samples.back()) {
            EXPECT_NEAR(Akima.SecondDerivative(S[0]), S[3], 1e-7 * (1 + std::fabs(S[3]))) << S[0];
        }
    }
}

TEST(Akima, ThreePointsMakeTwoParabolasWithoutExtrema)
{
    TKvAkima Akima = Interpolated({0, 1, 2}, {0, 1, 0});
    EXPECT_DOUBLE_EQ(Akima.B[0], 2);
    EXPECT_DOUBLE_EQ(Akima.B[1], 0);
    EXPECT_DOUBLE_EQ(Akima.B[2], -2);
    EXPECT_EQ(Akima.D[0], 0);
    EXPECT_EQ(Akima.D[1], 0);
    Akima.FindExtrema();
    EXPECT_TRUE(Akima.Minima.empty());
    EXPECT_TRUE(Akima.Maxima.empty());
    EXPECT_DOUBLE_EQ(Akima.Value(1), 1);
    EXPECT_DOUBLE_EQ(Akima.Value(0.5), 0.75);
}

TEST(Akima, EqualXValuesAreMerged)
{
    TKvAkima Akima = Interpolated({2, 1, 3, 1}, {3, 2, 5, 4});
    EXPECT_EQ(Akima.KnotCount, 3);
    EXPECT_DOUBLE_EQ(Akima.Value(1), 3);
    // Three or more equal X: the plain mean, whatever the row order.
    TKvAkima Three = Interpolated({1, 1, 1, 2, 3}, {2, 4, 8, 3, 5});
    EXPECT_DOUBLE_EQ(Three.Value(1), 14.0 / 3);
}

// Y = 0, 0, 4 at one X in every order (a few rows are sorted by insertion,
// many by quicksort, which reorders equal keys): the knot is always 4/3 and
// the curve the one of the merged data.
TEST(Akima, MergedValueDoesNotDependOnTheRowOrder)
{
    const std::vector<std::vector<double>> Orders{{0, 0, 4}, {0, 4, 0}, {4, 0, 0}};
    for (const int Others : {2, 40}) {
        std::vector<double> MX{1}, MY{4.0 / 3};
        for (int i = 0; i < Others; ++i) {
            MX.push_back(2 + i);
            MY.push_back(std::sin(i));
        }
        TKvAkima Expected = Interpolated(MX, MY);
        for (const auto& Order : Orders)
            for (const size_t At : {size_t(0), size_t(1), MX.size() - 1}) {
                std::vector<double> X(MX.begin() + 1, MX.end()), Y(MY.begin() + 1, MY.end());
                for (size_t k = 0; k < 3; ++k) {
                    X.insert(X.begin() + static_cast<std::ptrdiff_t>(std::min(At + 2 * k, X.size())), 1.0);
                    Y.insert(Y.begin() + static_cast<std::ptrdiff_t>(std::min(At + 2 * k, Y.size())), Order[k]);
                }
                TKvAkima Akima = Interpolated(X, Y);
                ASSERT_EQ(Akima.KnotCount, Expected.KnotCount);
                for (double x = 1; x <= 1 + Others; x += 0.25)
                    ASSERT_EQ(Akima.Value(x), Expected.Value(x)) << "x " << x << " others " << Others;
            }
    }
}

TEST(Akima, StraightLineIsReproducedEverywhere)
{
    TKvAkima Akima = Interpolated({0, 1, 2.5, 3, 7}, {1, 3, 6, 7, 15});
    for (int i = 0; i < Akima.KnotCount - 1; ++i) {
        EXPECT_NEAR(Akima.C[i], 0, 1e-14);
        EXPECT_NEAR(Akima.D[i], 0, 1e-14);
    }
    Akima.FindExtrema();
    EXPECT_TRUE(Akima.Minima.empty() && Akima.Maxima.empty());
    for (double x : {-3.0, 0.0, 0.7, 4.0, 7.0, 9.5, 14.0})
        EXPECT_NEAR(Akima.Value(x), 1 + 2 * x, 1e-12) << x;
}

TEST(Akima, KinkGetsTheMeanSlope)
{
    TKvAkima Akima = Interpolated({0, 1, 2, 3, 4}, {0, 1, 2, 1, 0});
    EXPECT_DOUBLE_EQ(Akima.B[2], 0);
    EXPECT_DOUBLE_EQ(Akima.B[1], 1);
}

TEST(Akima, WeightColumnIsAMask)
{
    const std::vector<double> X{0, 1, 2, 3, 4, 5}, Y{0, 5, 1, 9, 2, 3}, W{1, 0, -3, 0, 0.5, 2};
    TKvAkima Masked;
    Masked.Interpolate(X, Y, std::span<const double>(W), Lo, Hi);
    TKvAkima Plain = Interpolated({0, 2, 4, 5}, {0, 1, 2, 3});
    for (double x = -1; x <= 6; x += 0.125)
        EXPECT_EQ(Masked.Value(x), Plain.Value(x)) << x;
}

TEST(Akima, SmoothingWithRangeZeroChangesNothing)
{
    const std::vector<double> X{0, 1, 2, 3, 4}, Y{0, 3, 1, 4, 2};
    TKvAkima Smoothed;
    Smoothed.DoSmoothing = true;
    Smoothed.SmoothRange = 0;
    Smoothed.Interpolate(X, Y, std::nullopt, Lo, Hi);
    TKvAkima Plain = Interpolated(X, Y);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Smoothed.A[i], Plain.A[i]);
}

TEST(Akima, SmoothingAveragesTheKnotValues)
{
    TKvAkima Akima;
    Akima.DoSmoothing = true;
    Akima.SmoothRange = 2;
    Akima.Interpolate(std::vector<double>{0, 1, 2, 3}, std::vector<double>{0, 4, 0, 4}, std::nullopt, Lo, Hi);
    // Knot 1: weights 0.5, 1, 0.5 (the points at distance 2 weigh 0).
    EXPECT_DOUBLE_EQ(Akima.A[1], (0.5 * 0 + 4 + 0.5 * 0) / 2);
    EXPECT_DOUBLE_EQ(Akima.A[0], (0 + 0.5 * 4) / 1.5);
}

TEST(Akima, ContinuesSmoothlyBeyondBothEnds)
{
    std::vector<double> X, Y;
    for (int i = 0; i < 12; ++i) {
        X.push_back(i * 0.8);
        Y.push_back(std::cos(X.back()));
    }
    TKvAkima Akima = Interpolated(X, Y);
    const double First = X.front(), Last = X.back();
    const double Extrapolated = Akima.Knots[12];
    EXPECT_DOUBLE_EQ(Extrapolated, Last + 0.8);
    // Value and slope are continuous where the pieces meet (last data knot,
    // extrapolated knot); the first piece extends to the left.
    const double h = 1e-7;
    for (double Knot : {Last, Extrapolated}) {
        EXPECT_NEAR(Akima.Value(Knot - h), Akima.Value(Knot + h), 1e-6) << Knot;
        EXPECT_NEAR(Akima.Derivative(Knot - h), Akima.Derivative(Knot + h), 1e-5) << Knot;
    }
    const double t = -0.5;
    EXPECT_DOUBLE_EQ(Akima.Value(First + t), Akima.A[0] + t * (Akima.B[0] + t * (Akima.C[0] + t * Akima.D[0])));
    for (double x = Last; x < Last + 10; x += 0.1)
        EXPECT_TRUE(std::isfinite(Akima.Value(x)) && std::isfinite(Akima.Derivative(x)));
}

TEST(Akima, SortedOrderDoesNotMatter)
{
    std::vector<double> X{3, 1, 4, 1.5, 9, 2.6, 5}, Y{1, 2, 3, 4, 5, 6, 7};
    TKvAkima A1 = Interpolated(X, Y);
    std::vector<size_t> Index(X.size());
    for (size_t i = 0; i < Index.size(); ++i)
        Index[i] = i;
    std::sort(Index.begin(), Index.end(), [&](size_t a, size_t b) { return X[a] < X[b]; });
    std::vector<double> XS, YS;
    for (size_t i : Index)
        XS.push_back(X[i]), YS.push_back(Y[i]);
    TKvAkima A2 = Interpolated(XS, YS);
    for (double x = 0; x < 10; x += 0.25)
        EXPECT_EQ(A1.Value(x), A2.Value(x));
}

struct TBadCase {
    std::string Name;
    std::vector<double> X, Y;
    double Start, Stop;
    TFault Fault;
};

class AkimaBadInput : public ::testing::TestWithParam<TBadCase> {};

TEST_P(AkimaBadInput, Fails)
{
    const TBadCase& C = GetParam();
    TKvAkima Akima;
    EXPECT_TRUE(RaisesFault([&] { Akima.Interpolate(C.X, C.Y, std::nullopt, C.Start, C.Stop); }, C.Fault));
}

INSTANTIATE_TEST_SUITE_P(
    Table, AkimaBadInput,
    ::testing::Values(TBadCase{"Empty", {}, {}, Lo, Hi, TFault::NotEnoughData},
                      TBadCase{"TwoPoints", {0, 1}, {0, 1}, Lo, Hi, TFault::NotEnoughData},
                      TBadCase{"TwoDistinctX", {0, 1, 1}, {0, 1, 2}, Lo, Hi, TFault::NotEnoughData},
                      TBadCase{"AllXEqual", {2, 2, 2, 2}, {0, 1, 2, 3}, Lo, Hi, TFault::NotEnoughData},
                      TBadCase{"FewerY", {0, 1, 2, 3}, {0, 1}, Lo, Hi, TFault::NotEnoughData},
                      TBadCase{"RangeStartAboveStop", {0, 1, 2, 3}, {0, 1, 2, 3}, 3, 0, TFault::NotEnoughData},
                      TBadCase{"NaNY", {0, 1, 2, 3}, {0, NaN, 2, 3}, Lo, Hi, TFault::InvalidOp},
                      TBadCase{"InfiniteY", {0, 1, 2, 3}, {0, 1, -Inf, 3}, Lo, Hi, TFault::InvalidOp},
                      TBadCase{"NaNXLeavesTwo", {0, NaN, 2}, {0, 1, 2}, Lo, Hi, TFault::NotEnoughData},
                      TBadCase{"HugeXFails", {-1.7e308, 0, 1.7e308}, {0, 1, 2}, Lo, Hi, TFault::InvalidOp}),
    [](const auto& Info) { return Info.param.Name; });

TEST(Akima, NaNAndInfiniteXOutsideTheRangeAreIgnored)
{
    TKvAkima Akima;
    Akima.Interpolate(std::vector<double>{0, NaN, 1, Inf, 2}, std::vector<double>{0, 5, 1, 5, 4}, std::nullopt, Lo,
                      Hi);
    EXPECT_EQ(Akima.KnotCount, 3);
}

TEST(Akima, EvaluationBeforeInterpolationIsAnError)
{
    TKvAkima Akima;
    EXPECT_TRUE(RaisesFault([&] { Akima.Value(1); }, TFault::NotEnoughData));
}

TEST(IntPolynom, FindIntervalContinuesAndAgreesWithASearch)
{
    std::vector<double> X, Y;
    std::mt19937 Random(3);
    std::uniform_real_distribution<double> U(0, 1);
    double x = 0;
    for (int i = 0; i < 500; ++i) {
        x += 0.01 + U(Random);
        X.push_back(x);
        Y.push_back(U(Random));
    }
    TKvAkima Akima = Interpolated(X, Y);
    const int32_t n = Akima.KnotCount;
    auto Expected = [&](double v) {
        // The last knot not greater than v among knots 0..n, at least 0.
        int32_t k = 0;
        for (int32_t i = 0; i <= n; ++i)
            if (Akima.Knots[i] <= v)
                k = i;
        return k;
    };
    std::uniform_real_distribution<double> Anywhere(-10, x + 20);
    for (int i = 0; i < 3000; ++i) {
        const double v = i % 3 == 0 ? Akima.Knots[Random() % n] : Anywhere(Random);
        EXPECT_EQ(Akima.FindInterval(v), Expected(v)) << v;
        EXPECT_EQ(Akima.SearchIndex, Expected(v));
    }
    // Increasing positions move at most a few knots per step.
    Akima.SearchIndex = 0;
    int32_t Last = 0;
    for (double v = X.front(); v < X.back(); v += 0.05) {
        const int32_t k = Akima.FindInterval(v);
        EXPECT_GE(k, Last);
        Last = k;
    }
    // NaN leaves the search where it was.
    Akima.SearchIndex = 17;
    EXPECT_EQ(Akima.FindInterval(NaN), 17);
}

TEST(IntPolynom, ExtremaOfASine)
{
    std::vector<double> X, Y;
    for (int i = 0; i <= 60; ++i) {
        X.push_back(i * 0.2);
        Y.push_back(std::sin(X.back()));
    }
    TKvAkima Akima = Interpolated(X, Y);
    Akima.FindExtrema();
    const double Pi = std::numbers::pi;
    ASSERT_EQ(Akima.Maxima.size(), 2u);
    ASSERT_EQ(Akima.Minima.size(), 2u);
    EXPECT_NEAR(Akima.Maxima[0].X, Pi / 2, 2e-3);
    EXPECT_NEAR(Akima.Maxima[1].X, 5 * Pi / 2, 2e-3);
    EXPECT_NEAR(Akima.Minima[0].X, 3 * Pi / 2, 2e-3);
    EXPECT_NEAR(Akima.Minima[1].X, 7 * Pi / 2, 2e-3);
    for (const auto& List : {Akima.Minima, Akima.Maxima})
        for (const TKvRealPos& P : List) {
            EXPECT_NEAR(Akima.Derivative(P.X), 0, 1e-12);
            EXPECT_DOUBLE_EQ(P.Y, Akima.Value(P.X));
            EXPECT_NEAR(std::fabs(P.Y), 1, 1e-3);
        }
}

TEST(SortPairs, SortsAndKeepsThePairs)
{
    std::mt19937 Random(11);
    for (int Pattern = 0; Pattern < 6; ++Pattern) {
        const int n = 3000;
        std::vector<double> X(n), Y(n);
        for (int i = 0; i < n; ++i) {
            switch (Pattern) {
            case 0: X[i] = static_cast<double>(Random() % 100); break;     // many duplicates
            case 1: X[i] = i; break;                                       // sorted
            case 2: X[i] = n - i; break;                                   // reversed
            case 3: X[i] = 7; break;                                       // all equal
            case 4: X[i] = i < n / 2 ? i : n - i; break;                   // organ pipe
            default: X[i] = std::ldexp(static_cast<double>(Random()), -20); // random
            }
            Y[i] = X[i] * 3 + 1; // the pair relation to check
        }
        SortPairs(X, Y, 0, n - 1);
        EXPECT_TRUE(std::is_sorted(X.begin(), X.end())) << Pattern;
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(Y[i], X[i] * 3 + 1) << Pattern;
    }
    // A part of the arrays only.
    std::vector<double> X{5, 4, 3, 2, 1}, Y{1, 2, 3, 4, 5};
    SortPairs(X, Y, 1, 3);
    EXPECT_EQ(X, (std::vector<double>{5, 2, 3, 4, 1}));
    EXPECT_EQ(Y, (std::vector<double>{1, 4, 3, 2, 5}));
}

TEST(Smoothing, LinearAndLogarithmicDistances)
{
    const std::vector<double> X{1, 2, 3, 4};
    std::vector<double> Y{0, 3, 0, 3};
    SmoothLinear(X, Y, 1.5);
    // Neighbours at distance 1 weigh 1/3.
    EXPECT_DOUBLE_EQ(Y[0], (0 + 3.0 / 3) / (1 + 1.0 / 3));
    EXPECT_DOUBLE_EQ(Y[1], (3 + 0.0 / 3 + 0.0 / 3) / (1 + 2.0 / 3));
    const std::vector<double> Decades{1, 10, 100, 1000};
    std::vector<double> Z{0, 3, 0, 3};
    SmoothLog(Decades, Z, 1.5);
    EXPECT_DOUBLE_EQ(Z[0], (0 + 3.0 / 3) / (1 + 1.0 / 3));
    std::vector<double> Unchanged{1, 2, 3};
    SmoothLinear(X, Unchanged, -1);
    EXPECT_EQ(Unchanged, (std::vector<double>{1, 2, 3}));
    std::vector<double> Two{1, 2};
    EXPECT_TRUE(RaisesFault([&] { SmoothLinear(std::vector<double>{1, 2}, Two, 1); }, TFault::NotEnoughData));
    std::vector<double> W{1, 2, 3};
    EXPECT_TRUE(RaisesFault([&] { SmoothLog(std::vector<double>{0, 1, 2}, W, 1); }, TFault::ZeroDivide));
    EXPECT_TRUE(RaisesFault([&] { SmoothLog(std::vector<double>{-1, 1, 2}, W, 1); }, TFault::InvalidOp));
}

TEST(Smoothing, WideWindowsAgreeWithTheWeightedMeans)
{
    // Wide windows (hundreds of points each) take the running-totals path;
    // compare with the weighted means summed here point by point.
    std::mt19937 Random(9);
    std::uniform_real_distribution<double> U(0, 1);
    const int n = 3000;
    std::vector<double> X(n), Y(n);
    double x = 1000; // far from 0, so that positions are large against the width
    for (int i = 0; i < n; ++i) {
        x += 0.01 + 0.02 * U(Random);
        X[i] = x;
        Y[i] = std::sin(x) + U(Random);
    }
    const double Width = 5;
    std::vector<double> Expected(n);
    for (int i = 0; i < n; ++i) {
        double Sw = 0, Swy = 0;
        for (int j = 0; j < n; ++j) {
            const double w = 1 - std::fabs(X[i] - X[j]) / Width;
            if (w > 0)
                Sw += w, Swy += w * Y[j];
        }
        Expected[i] = Swy / Sw;
    }
    std::vector<double> Smoothed = Y;
    SmoothLinear(X, Smoothed, Width);
    for (int i = 0; i < n; ++i)
        ASSERT_NEAR(Smoothed[i], Expected[i], 1e-11) << i;
}

TEST(Smoothing, AWindowOverAllPointsStaysFast)
{
    // Every point in every window: a quadratic sum would not finish.
    const int n = 200000;
    std::vector<double> X(n), Y(n);
    for (int i = 0; i < n; ++i)
        X[i] = i, Y[i] = i % 2;
    SmoothLinear(X, Y, std::numeric_limits<double>::infinity());
    for (int i = 0; i < n; i += 9999)
        EXPECT_NEAR(Y[i], 0.5, 1e-12);
    std::vector<double> Z(n, 1.0);
    SmoothLinear(X, Z, 1e9);
    EXPECT_NEAR(Z[n / 2], 1, 1e-12);
}

TEST(Akima, LogSmoothingOnlyWithPositiveX)
{
    TKvAkima Akima;
    Akima.DoSmoothing = true;
    Akima.LogSmoothing = true;
    Akima.SmoothRange = 0.5;
    EXPECT_TRUE(RaisesFault(
        [&] { Akima.Interpolate(std::vector<double>{-1, 1, 2}, std::vector<double>{1, 2, 3}, std::nullopt, Lo, Hi); },
        TFault::InvalidOp));
    Akima.Interpolate(std::vector<double>{1, 10, 100, 1000}, std::vector<double>{0, 3, 0, 3}, std::nullopt, Lo, Hi);
    EXPECT_DOUBLE_EQ(Akima.A[0], (0 + 3.0 * 0) / 1); // the neighbour is a whole decade away
}

} // namespace
