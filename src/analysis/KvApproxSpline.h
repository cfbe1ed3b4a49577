#pragma once
// The approximating (smoothing) cubic spline and its band solver.
//
// The curve minimises Σ w_i (y_i - g(x_i))^2 + ∫ g''(x)^2 dx over natural
// cubic splines g, with w_i = |W[i]| * WeightFactor (or WeightFactor): the
// Reinsch formulation with p = 6 / w. Inside [first knot, last
// knot] the pieces are those of ComputeSmoothingSpline; beyond the last
// knot the curve continues as the straight line of a natural spline,
// below the first knot the first piece extrapolates.

#include "KvIntPolynom.h"

#include <cstdint>
#include <span>

namespace kv {

inline constexpr const char* BandDiagonalsText = "Matrix: Diagonal-Dimensions must be positive!";

class TKvApproxSpline : public TKvIntPolynom {
public:
    TKvRealArray PointWeights; // one per knot (n + 1 entries)
    double WeightFactor = 1;

    // Collects the points with Start <= X[i] <= Stop (weights do not exclude
    // points), sorts them with their weights, merges equal X (values and
    // weights alike) and computes the spline. "Not enough data!" with fewer
    // than 6 points or distinct X values; a weight of 0 (in W or as
    // WeightFactor) is the platform's division by zero; a taken value or
    // weight that is not finite raises the invalid-operation error.
    void Interpolate(std::span<const double> X, std::span<const double> Y, TKvOptionalValues W, double Start,
                     double Stop) override;

    // Knots[0..n-1], A (the data values) and PointWeights must be set, with
    // KnotCount = n >= 6 and n + 1 entries in every array; computes the
    // pieces in place.
    void ComputeSmoothingSpline();
};

// Solves M * x = b in place in b for the n x n band matrix with ml lower
// and mu upper diagonals, stored by rows of ml + mu + 1 values with the
// diagonal in column ml (element (i, j) at M[i * (ml + mu + 1) + ml + j - i]);
// M is overwritten by its factorisation. Gauss elimination without pivoting
// (pivots below 2^-52 in magnitude are skipped). "Not enough data!" when
// n < 3 or n < ml + mu, then BandDiagonalsText for negative ml or mu; M
// or b too short raise ERangeError; a zero pivot in the back substitution
// is the platform's division-by-zero (or invalid-operation) error.
void BandSolve(int32_t n, int32_t ml, int32_t mu, std::span<double> b, std::span<double> M);

} // namespace kv
