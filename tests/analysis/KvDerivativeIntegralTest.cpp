// Derivative extrema and the running integral of the piecewise cubics.

#include "analysis/KvAkima.h"
#include "analysis/KvApproxSpline.h"

#include "KvTestHelpers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace kv;

namespace {

const double Lo = -1.7e308, Hi = 1.7e308;

// Simpson's rule on the curve's values, one step between neighbouring
// knots (exact for a cubic): an integral that knows only where the pieces
// meet, not how they are stored.
double Quadrature(TKvIntPolynom& P, double a, double b)
{
    std::vector<double> Ends{a};
    for (int i = 0; i < P.KnotCount; ++i)
        if (P.Knots[i] > a && P.Knots[i] < b)
            Ends.push_back(P.Knots[i]);
    Ends.push_back(b);
    double Sum = 0;
    for (size_t i = 0; i + 1 < Ends.size(); ++i) {
        const double l = Ends[i], r = Ends[i + 1];
        // The left end with the piece to its right: the curve is continuous.
        Sum += (r - l) / 6 * (P.Value(l) + 4 * P.Value((l + r) / 2) + P.Value(r));
    }
    return Sum;
}

std::vector<double> Samples(double From, double To, double Step)
{
    std::vector<double> Xs;
    for (double x = From; x <= To + 1e-12; x += Step)
        Xs.push_back(x);
    return Xs;
}

template <class TEngine>
TEngine Fitted(const std::vector<double>& X, const std::vector<double>& Y, double Factor = 1)
{
    TEngine E;
    if constexpr (std::is_same_v<TEngine, TKvApproxSpline>)
        E.WeightFactor = Factor;
    E.Interpolate(X, Y, std::nullopt, Lo, Hi);
    return E;
}

TEST(DerivativeAndIntegral, SquareData)
{
    std::vector<double> X, Y;
    for (int i = 0; i <= 20; ++i) {
        X.push_back(i * 0.2);
        Y.push_back(X.back() * X.back());
    }
    TKvAkima Akima = Fitted<TKvAkima>(X, Y);
    TKvApproxSpline Spline = Fitted<TKvApproxSpline>(X, Y, 1e8);
    for (TKvIntPolynom* P : {static_cast<TKvIntPolynom*>(&Akima), static_cast<TKvIntPolynom*>(&Spline)}) {
        // The derivative is close to 2x (away from the natural ends of the
        // spline) and crosses 0 at 0.
        for (double x = 0.6; x <= 3.4; x += 0.1)
            EXPECT_NEAR(P->Derivative(x), 2 * x, 0.02) << x;
        // (The spline's natural end bends its slope at the first knot.)
        EXPECT_NEAR(P->Derivative(0), 0, P == &Akima ? 1e-12 : 0.15);
        // The integral from the first data X is close to x^3 / 3.
        const std::vector<double> Xs = Samples(0, 4, 0.01);
        std::vector<double> Ys(Xs.size());
        P->Integrate(Xs, Ys);
        EXPECT_EQ(Ys[0], 0);
        for (size_t c = 0; c < Xs.size(); c += 10)
            EXPECT_NEAR(Ys[c], Xs[c] * Xs[c] * Xs[c] / 3, 2e-3) << Xs[c];
        EXPECT_TRUE(P->IntegralMinima.empty());
        EXPECT_TRUE(P->IntegralMaxima.empty());
    }
}

TEST(DerivativeAndIntegral, IntegralIsExactAndStartsAtTheFirstSample)
{
    // Uneven data; the display starts inside a piece and runs past the
    // last knot. Each sample must equal the integral from the first sample.
    const std::vector<double> X{0, 0.7, 1.1, 2.5, 3.0, 4.2, 5.5, 6.1}, Y{1, 3, 2, 5, 4, 4.5, 1, 2};
    TKvAkima Akima = Fitted<TKvAkima>(X, Y);
    TKvApproxSpline Spline = Fitted<TKvApproxSpline>(X, Y, 2);
    for (TKvIntPolynom* P : {static_cast<TKvIntPolynom*>(&Akima), static_cast<TKvIntPolynom*>(&Spline)}) {
        const std::vector<double> Xs = Samples(0.37, 6.5, 0.0625);
        std::vector<double> Ys(Xs.size());
        P->Integrate(Xs, Ys);
        EXPECT_EQ(Ys[0], 0);
        for (size_t c = 1; c < Xs.size(); ++c)
            EXPECT_NEAR(Ys[c], Quadrature(*P, Xs[0], Xs[c]), 1e-9) << Xs[c];
    }
}

TEST(DerivativeAndIntegral, IntegralMaximumAtTheSignChange)
{
    // Positive, then negative once: one maximum of the integral, at the
    // zero of the data, with the integral's value there.
    const std::vector<double> X{0, 0.5, 1, 1.5, 2, 2.5, 3}, Y{1, 0.5, 0, -0.5, -1, -1.5, -2};
    TKvAkima Akima = Fitted<TKvAkima>(X, Y);
    const std::vector<double> Xs = Samples(0, 3, 0.03);
    std::vector<double> Ys(Xs.size());
    Akima.Integrate(Xs, Ys);
    ASSERT_EQ(Akima.IntegralMaxima.size(), 1u);
    EXPECT_TRUE(Akima.IntegralMinima.empty());
    EXPECT_NEAR(Akima.IntegralMaxima[0].X, 1, 1e-12);
    EXPECT_NEAR(Akima.IntegralMaxima[0].Y, 0.5, 1e-12);
}

TEST(DerivativeAndIntegral, IntegralMinimumOfACosine)
{
    std::vector<double> X, Y;
    for (int i = 0; i <= 40; ++i) {
        X.push_back(i * 0.25);
        Y.push_back(std::cos(X.back()));
    }
    TKvAkima Akima = Fitted<TKvAkima>(X, Y);
    const std::vector<double> Xs = Samples(0, 10, 0.05);
    std::vector<double> Ys(Xs.size());
    Akima.Integrate(Xs, Ys);
    const double Pi = std::numbers::pi;
    ASSERT_EQ(Akima.IntegralMaxima.size(), 2u);
    ASSERT_EQ(Akima.IntegralMinima.size(), 1u);
    EXPECT_NEAR(Akima.IntegralMaxima[0].X, Pi / 2, 1e-3);
    EXPECT_NEAR(Akima.IntegralMinima[0].X, 3 * Pi / 2, 1e-3);
    EXPECT_NEAR(Akima.IntegralMaxima[1].X, 5 * Pi / 2, 1e-3);
    for (const TKvRealPos& P : Akima.IntegralMaxima) {
        EXPECT_NEAR(P.Y, std::sin(P.X), 1e-3);
        EXPECT_NEAR(Akima.Value(P.X), 0, 1e-12);
    }
    EXPECT_NEAR(Akima.IntegralMinima[0].Y, -1, 1e-3);
}

TEST(DerivativeAndIntegral, DerivativeExtremaOfASine)
{
    std::vector<double> X, Y;
    for (int i = 0; i <= 48; ++i) {
        X.push_back(i * 0.25);
        Y.push_back(std::sin(X.back()));
    }
    const double Pi = std::numbers::pi;
    TKvAkima Akima = Fitted<TKvAkima>(X, Y);
    TKvApproxSpline Spline = Fitted<TKvApproxSpline>(X, Y, 1e6);
    for (TKvIntPolynom* P : {static_cast<TKvIntPolynom*>(&Akima), static_cast<TKvIntPolynom*>(&Spline)}) {
        P->FindDerivativeExtrema();
        // cos has its minima at pi and 3 pi, its maximum at 2 pi inside [0, 12].
        ASSERT_EQ(P->DerivativeMinima.size(), 2u);
        ASSERT_EQ(P->DerivativeMaxima.size(), 1u);
        // The candidates are the inflection points of the pieces beside the
        // knot: within half a knot spacing of the true ones.
        EXPECT_NEAR(P->DerivativeMinima[0].X, Pi, 0.125);
        EXPECT_NEAR(P->DerivativeMinima[1].X, 3 * Pi, 0.125);
        EXPECT_NEAR(P->DerivativeMaxima[0].X, 2 * Pi, 0.125);
        for (const TKvRealPos& Q : P->DerivativeMinima)
            EXPECT_NEAR(Q.Y, -1, 5e-3);
        EXPECT_NEAR(P->DerivativeMaxima[0].Y, 1, 5e-3);
        EXPECT_DOUBLE_EQ(P->DerivativeMaxima[0].Y, P->Derivative(P->DerivativeMaxima[0].X));
    }
}

TEST(DerivativeAndIntegral, ParabolaPiecesHaveNoDerivativeCandidates)
{
    // D = 0 on both pieces: a minimum of the derivative at the middle knot
    // has no inflection candidate, so nothing is recorded.
    TKvAkima Akima = Fitted<TKvAkima>({0, 1, 2}, {0, 1, 0});
    Akima.FindDerivativeExtrema();
    EXPECT_TRUE(Akima.DerivativeMinima.empty());
    EXPECT_TRUE(Akima.DerivativeMaxima.empty());
}

TEST(DerivativeAndIntegral, IntegrateEdgeCases)
{
    TKvAkima Akima = Fitted<TKvAkima>({0, 1, 2, 3}, {1, 1, 1, 1});
    std::vector<double> None;
    Akima.Integrate(None, std::span<double>());
    std::vector<double> Xs{0, 1, 2}, Short(2);
    EXPECT_THROW(Akima.Integrate(Xs, Short), ERangeError);
    std::vector<double> WithNaN{0, std::nan(""), 2}, Three(3);
    EXPECT_TRUE(kvtest::RaisesFault([&] { Akima.Integrate(WithNaN, Three); }, kvtest::TFault::InvalidOp));
    std::vector<double> One{0.5}, OneY(1, 9.0);
    Akima.Integrate(One, OneY);
    EXPECT_EQ(OneY[0], 0);
    // Beyond the data on both sides: the continuation pieces are integrated.
    const std::vector<double> Wide = Samples(-2, 6, 0.5);
    std::vector<double> Ys(Wide.size());
    Akima.Integrate(Wide, Ys);
    for (size_t c = 0; c < Wide.size(); ++c)
        EXPECT_NEAR(Ys[c], Wide[c] + 2, 1e-12);
}

} // namespace
