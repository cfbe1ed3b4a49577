#include "KvAkima.h"

#include "KvMathFault.h"
#include "KvSortPoints.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kv {

namespace {

using Fault = TKvMathFault;

struct TPair {
    double X, Y;
};

struct TPairArray {
    TPair* Items;
    double Key(int64_t i) const { return Items[i].X; }
    void Swap(int64_t i, int64_t j) { std::swap(Items[i], Items[j]); }
};

struct TTwoSpans {
    double* Xs;
    double* Ys;
    double Key(int64_t i) const { return Xs[i]; }
    void Swap(int64_t i, int64_t j)
    {
        std::swap(Xs[i], Xs[j]);
        std::swap(Ys[i], Ys[j]);
    }
};

// The window of point i: the points closer than Width on either side,
// [Left[i], Right[i]] (positions sorted ascending).
void Windows(std::span<const double> Pos, double Width, std::vector<size_t>& Left, std::vector<size_t>& Right)
{
    const size_t n = Pos.size();
    Left.resize(n);
    Right.resize(n);
    size_t l = 0, r = 0;
    for (size_t i = 0; i < n; ++i) {
        while (l < i && !(Pos[i] - Pos[l] < Width))
            ++l;
        if (r < i)
            r = i;
        while (r + 1 < n && Pos[r + 1] - Pos[i] < Width)
            ++r;
        Left[i] = l;
        Right[i] = r;
    }
}

// Sums over each window with the weight 1 - distance/Width, point by point.
void SmoothDirect(std::span<const double> Pos, std::span<const double> Ys, double Width, std::span<double> Out)
{
    const size_t n = Pos.size();
    for (size_t i = 0; i < n; ++i) {
        long double Sw = 1, Swy = Ys[i];
        auto Add = [&](size_t j) {
            const double Distance = std::fabs(Pos[i] - Pos[j]);
            const double w = 1 - Distance / Width;
            if (w > 0) {
                Sw += w;
                Swy += static_cast<long double>(w) * Ys[j];
            }
            return Distance < Width;
        };
        for (size_t j = i; j-- > 0;)
            if (!Add(j))
                break;
        for (size_t j = i + 1; j < n; ++j)
            if (!Add(j))
                break;
        Out[i] = static_cast<double>(Swy / Sw);
    }
}

// The same sums from running totals, for windows so wide that summing each
// one would take quadratic time: the weight is linear in the position on
// each side of the point, so each side is a combination of Σ1, Σq, Σy and
// Σq*y over the window (positions q taken from the middle of the data to
// keep the totals small).
void SmoothByTotals(std::span<const double> Pos, std::span<const double> Ys, double Width,
                    const std::vector<size_t>& Left, const std::vector<size_t>& Right, std::span<double> Out)
{
    using TExtended = long double;
    const size_t n = Pos.size();
    const double Middle = Pos[n / 2];
    std::vector<TExtended> Q(n + 1, 0), Y(n + 1, 0), QY(n + 1, 0);
    for (size_t j = 0; j < n; ++j) {
        const TExtended q = static_cast<TExtended>(Pos[j]) - Middle;
        Q[j + 1] = Q[j] + q;
        Y[j + 1] = Y[j] + Ys[j];
        QY[j + 1] = QY[j] + q * Ys[j];
    }
    const TExtended W = Width;
    for (size_t i = 0; i < n; ++i) {
        const TExtended qi = static_cast<TExtended>(Pos[i]) - Middle;
        // Left side and the point: weight 1 - (qi - qj) / W.
        const size_t a = Left[i], b = i + 1;
        const TExtended CountL = static_cast<TExtended>(b - a);
        TExtended Sw = CountL * (1 - qi / W) + (Q[b] - Q[a]) / W;
        TExtended Swy = (1 - qi / W) * (Y[b] - Y[a]) + (QY[b] - QY[a]) / W;
        // Right side: weight 1 - (qj - qi) / W.
        const size_t c = i + 1, d = Right[i] + 1;
        const TExtended CountR = static_cast<TExtended>(d - c);
        Sw += CountR * (1 + qi / W) - (Q[d] - Q[c]) / W;
        Swy += (1 + qi / W) * (Y[d] - Y[c]) - (QY[d] - QY[c]) / W;
        Out[i] = static_cast<double>(Swy / Sw);
    }
}

// The triangular moving average over the distances Pos[i] - Pos[j] of the
// sorted positions. All new values are computed from the old ones.
void SmoothOver(std::span<const double> Pos, std::span<double> Ys, double Width)
{
    const size_t n = std::min(Pos.size(), Ys.size());
    if (n < 3)
        Fault::NotEnoughData();
    if (Width <= 0)
        return;
    std::vector<size_t> Left, Right;
    Windows(Pos.first(n), Width, Left, Right);
    size_t Work = 0;
    for (size_t i = 0; i < n; ++i)
        Work += Right[i] - Left[i] + 1;
    std::vector<double> Smoothed(n);
    if (Work <= 64 * n + 4096)
        SmoothDirect(Pos.first(n), Ys.first(n), Width, Smoothed);
    else
        SmoothByTotals(Pos.first(n), Ys.first(n), Width, Left, Right, Smoothed);
    std::copy(Smoothed.begin(), Smoothed.end(), Ys.begin());
}

} // namespace

void SortPairs(std::span<double> Xs, std::span<double> Ys, int32_t lo, int32_t hi)
{
    if (lo < 0 || hi < lo)
        return;
    const int64_t Last = std::min<int64_t>(hi, static_cast<int64_t>(std::min(Xs.size(), Ys.size())) - 1);
    TTwoSpans S{Xs.data(), Ys.data()};
    sortpoints::Sort(S, lo, Last);
}

void SmoothLinear(std::span<const double> Xs, std::span<double> Ys, double Width)
{
    SmoothOver(Xs, Ys, Width);
}

void SmoothLog(std::span<const double> Xs, std::span<double> Ys, double Width)
{
    const size_t n = std::min(Xs.size(), Ys.size());
    if (n < 3)
        Fault::NotEnoughData();
    if (Width <= 0)
        return;
    std::vector<double> Decades(n);
    for (size_t i = 0; i < n; ++i)
        Decades[i] = Fault::Log10(Xs[i]);
    SmoothOver(Decades, Ys, Width);
}

void TKvAkima::Interpolate(std::span<const double> X, std::span<const double> Y, TKvOptionalValues W, double Start,
                           double Stop)
{
    // Collect.
    size_t m = std::min(X.size(), Y.size());
    if (W)
        m = std::min(m, W->size());
    std::vector<TPair> Points;
    Points.reserve(m);
    for (size_t i = 0; i < m; ++i) {
        const double x = X[i];
        if (!(Start <= x && x <= Stop))
            continue;
        if (W && (*W)[i] == 0)
            continue;
        Fault::CheckData(x);
        Fault::CheckData(Y[i]);
        Points.push_back({x, Y[i]});
    }
    if (Points.size() < 3)
        Fault::NotEnoughData();

    // Sort.
    TPairArray Sequence{Points.data()};
    sortpoints::Sort(Sequence, 0, static_cast<int64_t>(Points.size()) - 1);

    // Merge equal X to the mean of their values.
    const size_t Merged = sortpoints::MergeEqualX(Points, &TPair::Y);
    std::vector<double> KnotX(Merged), KnotY(Merged);
    for (size_t i = 0; i < Merged; ++i) {
        KnotX[i] = Points[i].X;
        KnotY[i] = Points[i].Y;
    }
    std::vector<TPair>().swap(Points);
    if (KnotX.size() < 3)
        Fault::NotEnoughData();

    // Smoothing.
    if (DoSmoothing) {
        if (LogSmoothing)
            SmoothLog(KnotX, KnotY, SmoothRange);
        else
            SmoothLinear(KnotX, KnotY, SmoothRange);
    }

    BuildFromKnots(KnotX, KnotY);
}

void TKvAkima::BuildFromKnots(std::span<const double> KnotX, std::span<const double> KnotY)
{
    const size_t n = std::min(KnotX.size(), KnotY.size());
    if (n < 3)
        Fault::NotEnoughData();

    // Size the arrays.
    Knots.assign(n + 4, 0);
    A.assign(n + 4, 0);
    B.assign(n + 4, 0);
    C.assign(n + 4, 0);
    D.assign(n + 4, 0);
    Slopes.assign(n + 5, 0);

    // Akima slopes in the two-place shifted scheme: the data occupy
    // indices 2 to n + 1, two extrapolated knots on each side. Here Knots and
    // A hold the shifted arrays until they are shifted back.
    double* Xs = Knots.data();
    double* As = A.data();
    double* Bs = B.data();
    double* S = Slopes.data();
    for (size_t i = 0; i < n; ++i) {
        Xs[i + 2] = KnotX[i];
        As[i + 2] = KnotY[i];
    }
    Xs[1] = Xs[2] + Xs[3] - Xs[4];
    Xs[0] = Xs[1] + Xs[2] - Xs[3];
    Xs[n + 2] = Xs[n + 1] + Xs[n] - Xs[n - 1];
    Xs[n + 3] = Xs[n + 2] + Xs[n + 1] - Xs[n];
    for (size_t j = 2; j <= n; ++j)
        S[j] = (As[j + 1] - As[j]) / (Xs[j + 1] - Xs[j]);
    As[1] = (Xs[2] - Xs[1]) * (S[3] - 2 * S[2]) + As[2];
    S[1] = (As[2] - As[1]) / (Xs[2] - Xs[1]);
    As[0] = (Xs[1] - Xs[0]) * (S[2] - 2 * S[1]) + As[1];
    S[0] = (As[1] - As[0]) / (Xs[1] - Xs[0]);
    As[n + 2] = (2 * S[n] - S[n - 1]) * (Xs[n + 2] - Xs[n + 1]) + As[n + 1];
    S[n + 1] = (As[n + 2] - As[n + 1]) / (Xs[n + 2] - Xs[n + 1]);
    As[n + 3] = (2 * S[n + 1] - S[n]) * (Xs[n + 3] - Xs[n + 2]) + As[n + 2];
    S[n + 2] = (As[n + 3] - As[n + 2]) / (Xs[n + 3] - Xs[n + 2]);
    // The continuation right of the data: the
    // end conditions extrapolate the data by a parabola, whose secant slopes
    // change by equal steps; two more steps give the slopes the knot
    // derivatives of the two extrapolated knots need.
    S[n + 3] = 2 * S[n + 2] - S[n + 1];
    S[n + 4] = 2 * S[n + 3] - S[n + 2];

    // Knot derivatives at the data knots (i = 2 .. n + 1) and at the two
    // extrapolated knots right of them (n + 2, n + 3).
    for (size_t i = 2; i <= n + 3; ++i) {
        if (S[i - 2] == S[i - 1] && S[i] == S[i + 1]) {
            Bs[i] = (S[i - 1] + S[i]) / 2;
        } else {
            const double w1 = std::fabs(S[i + 1] - S[i]);
            const double w2 = std::fabs(S[i - 1] - S[i - 2]);
            Bs[i] = (w1 * S[i - 1] + w2 * S[i]) / (w1 + w2);
        }
    }

    // Shift back down by two places: knot k of the data at index k, the
    // extrapolated knots at n and n + 1.
    for (size_t i = 0; i <= n + 1; ++i) {
        Xs[i] = Xs[i + 2];
        As[i] = As[i + 2];
        Bs[i] = Bs[i + 2];
    }
    for (size_t i = n + 2; i < n + 4; ++i)
        Xs[i] = As[i] = Bs[i] = 0;

    // Cubic coefficients of the data intervals (i = 0 .. n - 2) and of the
    // two continuation pieces (n - 1: last data knot to the extrapolated
    // knot; n: beyond it), all Hermite pieces between the knot derivatives.
    for (size_t i = 0; i <= n; ++i) {
        const double h = Xs[i + 1] - Xs[i];
        const double s = S[i + 2];
        C[i] = (3 * s - 2 * Bs[i] - Bs[i + 1]) / h;
        D[i] = (Bs[i] + Bs[i + 1] - 2 * s) / (h * h);
    }
    // Knots[n + 1] only served the continuation; the search ends at n.
    Xs[n + 1] = As[n + 1] = Bs[n + 1] = 0;

    KnotCount = static_cast<int32_t>(n);
    CheckCoefficients(KnotCount + 1);

    // a new evaluation searches from the first interval again
    ResetSearch();
}

} // namespace kv
