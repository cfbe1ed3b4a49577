#pragma once
// Akima interpolation of sorted data with optional smoothing,
// and the sorting and smoothing routines it uses.

#include "KvIntPolynom.h"

#include <cstdint>
#include <span>

namespace kv {

class TKvAkima : public TKvIntPolynom {
public:
    TKvRealArray Slopes; // n + 5 entries
    bool DoSmoothing = false;
    bool LogSmoothing = false; // smoothing distances in decades
    double SmoothRange = 0;

    // Collects the points with Start <= X[i] <= Stop (and W[i] not 0 when W
    // is given: a mask), sorts them, merges equal X, smooths when asked, and
    // builds the pieces. "Not enough data!" with fewer than three points or
    // distinct X values. A taken Y that is not finite raises the
    // invalid-operation error; a construction that overflows raises the
    // overflow error.
    void Interpolate(std::span<const double> X, std::span<const double> Y, TKvOptionalValues W, double Start,
                     double Stop) override;

    // The pieces from knots and values that are already sorted, distinct and
    // (when wanted) smoothed: steps 5 to 10 of Interpolate.
    void BuildFromKnots(std::span<const double> KnotX, std::span<const double> KnotY);
};

// Sorts Xs[lo..hi] ascending, moving Ys along: Hoare quicksort with the
// middle element's value as pivot. Partitions of a few elements are
// finished by insertion, and the recursion goes into the smaller part, so
// the depth stays logarithmic; the order of equal X values is not kept.
void SortPairs(std::span<double> Xs, std::span<double> Ys, int32_t lo, int32_t hi);

// Weighted moving averages of Ys over the sorted Xs with the triangular
// weight 1 - distance/width (SmoothLinear: distance in X; SmoothLog: in
// decades, X must be positive). Need three values ("Not enough data!");
// nothing happens when width <= 0. Windows so wide that summing each would
// take quadratic time are summed from running totals instead (the same
// values to rounding), so the cost stays linear in the number of points.
void SmoothLinear(std::span<const double> Xs, std::span<double> Ys, double Width);
void SmoothLog(std::span<const double> Xs, std::span<double> Ys, double Width);

} // namespace kv
