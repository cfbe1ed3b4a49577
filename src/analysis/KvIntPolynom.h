#pragma once
// The piecewise cubic engine shared by the Akima
// interpolation and the approximating spline: evaluation of the function
// and its first two derivatives, the extrema of the function, of its
// derivative and of its running integral.
//
// On interval k (from Knots[k] to Knots[k+1]) the function is
// A[k] + B[k]*t + C[k]*t^2 + D[k]*t^3 with t = x - Knots[k]. Knots 0 to n-1
// are the data knots; the entries from n-1 on hold the continuation right
// of the last data knot (set by the descendants). Evaluation below the first
// knot extrapolates the first piece.

#include "foundation/KvVector.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kv {

struct TKvRealPos {
    double X = 0;
    double Y = 0;
    friend bool operator==(const TKvRealPos&, const TKvRealPos&) = default;
};
using TKvRealPosArray = std::vector<TKvRealPos>;

// An optional weight vector (absent: std::nullopt).
using TKvOptionalValues = std::optional<std::span<const double>>;

class TKvIntPolynom {
public:
    TKvIntPolynom() = default;
    virtual ~TKvIntPolynom() = default;
    TKvIntPolynom(const TKvIntPolynom&) = default;
    TKvIntPolynom& operator=(const TKvIntPolynom&) = default;

    // The interval found by the last search, the start of the next one.
    int32_t SearchIndex = 0;
    TKvRealPosArray Minima, Maxima;
    TKvRealPosArray DerivativeMinima, DerivativeMaxima;
    TKvRealPosArray IntegralMinima, IntegralMaxima;

    // n, the number of data knots.
    int32_t KnotCount = 0;
    TKvRealArray Knots, A, B, C, D;

    // Builds the pieces from data; the base does nothing.
    virtual void Interpolate(std::span<const double> X, std::span<const double> Y, TKvOptionalValues W,
                             double Start, double Stop);

    // The last knot not greater than x (0 below the first knot, at most n),
    // searched from SearchIndex, which it updates. The result is that of
    // the step-by-step walk up and then down; far jumps are bisected. A NaN x
    // leaves SearchIndex where it was.
    int32_t FindInterval(double x);
    double Value(double x);
    double Derivative(double x);
    double SecondDerivative(double x);

    // Minima and Maxima of the function on the data intervals.
    void FindExtrema();
    // DerivativeMinima and DerivativeMaxima at the inner knots.
    void FindDerivativeExtrema();
    // The running integral from Xs[0] (Ys[0] = 0) at the increasing sample
    // positions Xs into Ys (as many entries as Xs), with its extrema in
    // IntegralMinima and IntegralMaxima. Ys must not be shorter
    // than Xs (ERangeError); a position that is not finite raises the
    // invalid-operation error.
    void Integrate(std::span<const double> Xs, std::span<double> Ys);

    // The exact integral of piece k from its knot over the length t.
    double PieceIntegral(int32_t k, double t) const;
    // The integral of the function from a to b (a <= b), piece by piece as
    // Integrate walks them.
    double IntegralBetween(double a, double b);

protected:
    // Clears the six extrema lists and sets SearchIndex to 0.
    void ResetSearch();
    // Raises the platform's math error when a coefficient is not finite
    // (an overflow in the construction is never reported as a curve).
    void CheckCoefficients(int32_t Count) const;
};

} // namespace kv
