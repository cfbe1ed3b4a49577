#include "KvApproxSpline.h"

#include "KvMathFault.h"
#include "KvSortPoints.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kv {

namespace {

using Fault = TKvMathFault;

struct TTriple {
    double X, Y, W;
};

struct TTripleArray {
    TTriple* Items;
    double Key(int64_t i) const { return Items[i].X; }
    void Swap(int64_t i, int64_t j) { std::swap(Items[i], Items[j]); }
};

constexpr double PivotLimit = 2.220446049250313e-16; // 2^-52

} // namespace

void BandSolve(int32_t n, int32_t ml, int32_t mu, std::span<double> b, std::span<double> M)
{
    if (n < 3 || n < ml + mu)
        Fault::NotEnoughData();
    if (ml < 0 || mu < 0)
        throw EMathError(BandDiagonalsText);
    const size_t N = static_cast<size_t>(n);
    const size_t Lower = static_cast<size_t>(ml), Upper = static_cast<size_t>(mu);
    const size_t Width = Lower + Upper + 1;
    if (b.size() < N || M.size() < N * Width)
        throw ERangeError("BandSolve: the vectors are shorter than the matrix");
    double* Mp = M.data();
    double* bp = b.data();
    auto At = [&](size_t i, size_t j) -> double& { return Mp[i * Width + Lower + j - i]; };

    // Factorisation without pivoting; rows with a tiny pivot are skipped.
    std::vector<unsigned char> Used(N, 0);
    for (size_t i = 0; i + 1 < N; ++i) {
        const double Pivot = At(i, i);
        if (!(std::fabs(Pivot) >= PivotLimit))
            continue;
        Used[i] = 1;
        const size_t Rows = std::min(Lower + 1, N - i);
        const size_t Columns = std::min(Upper + 1, N - i);
        for (size_t j = 1; j < Rows; ++j) {
            double& Element = At(i + j, i);
            const double f = Element / Pivot;
            Element = f;
            if (f == 0)
                continue;
            for (size_t k = 1; k < Columns; ++k)
                At(i + j, i + k) -= f * At(i, i + k);
        }
    }
    // Forward substitution with the stored multipliers.
    for (size_t i = 0; i + 1 < N; ++i) {
        if (!Used[i])
            continue;
        const size_t Rows = std::min(Lower + 1, N - i);
        for (size_t j = 1; j < Rows; ++j)
            bp[i + j] -= At(i + j, i) * bp[i];
    }
    // Back substitution.
    for (size_t i = N; i-- > 0;) {
        double Sum = bp[i];
        const size_t Columns = std::min(Upper + 1, N - i);
        for (size_t j = 1; j < Columns; ++j)
            Sum -= At(i, i + j) * bp[i + j];
        bp[i] = Fault::Divide(Sum, At(i, i));
    }
}

void TKvApproxSpline::Interpolate(std::span<const double> X, std::span<const double> Y, TKvOptionalValues W,
                                  double Start, double Stop)
{
    // Collect.
    size_t m = std::min(X.size(), Y.size());
    if (W)
        m = std::min(m, W->size());
    std::vector<TTriple> Points;
    Points.reserve(m);
    for (size_t i = 0; i < m; ++i) {
        const double x = X[i];
        if (!(Start <= x && x <= Stop))
            continue;
        Fault::CheckData(x);
        Fault::CheckData(Y[i]);
        double w = WeightFactor;
        if (W) {
            Fault::CheckData((*W)[i]);
            w = std::fabs((*W)[i]) * WeightFactor;
        }
        Points.push_back({x, Y[i], w});
    }
    if (Points.size() < 6)
        Fault::NotEnoughData();

    // Sort, each point keeping its value and weight.
    TTripleArray Sequence{Points.data()};
    sortpoints::Sort(Sequence, 0, static_cast<int64_t>(Points.size()) - 1);

    // Merge equal X to the means of their values and of their weights.
    const size_t n = sortpoints::MergeEqualX(Points, &TTriple::Y, &TTriple::W);
    if (n < 6)
        Fault::NotEnoughData();

    // Size the arrays and compute.
    Knots.assign(n + 1, 0);
    A.assign(n + 1, 0);
    B.assign(n + 1, 0);
    C.assign(n + 1, 0);
    D.assign(n + 1, 0);
    PointWeights.assign(n + 1, 0);
    for (size_t i = 0; i < n; ++i) {
        Knots[i] = Points[i].X;
        A[i] = Points[i].Y;
        PointWeights[i] = Points[i].W;
    }
    std::vector<TTriple>().swap(Points);
    KnotCount = static_cast<int32_t>(n);
    ComputeSmoothingSpline();
}

void TKvApproxSpline::ComputeSmoothingSpline()
{
    if (KnotCount < 6)
        Fault::NotEnoughData();
    const size_t n = static_cast<size_t>(KnotCount);
    if (Knots.size() < n + 1 || A.size() < n + 1 || B.size() < n + 1 || C.size() < n + 1 || D.size() < n + 1 ||
        PointWeights.size() < n + 1)
        throw ERangeError("ComputeSmoothingSpline: the arrays are shorter than n + 1");
    const double* x = Knots.data();
    double* y = A.data();
    const double* w = PointWeights.data();

    // Interval widths, their reciprocals, 6 / weight and the sums of
    // neighbouring reciprocals.
    std::vector<double> h(n - 1), r(n - 1), r2(n - 1), p(n), s(n, 0);
    for (size_t i = 0; i + 1 < n; ++i) {
        h[i] = x[i + 1] - x[i];
        r[i] = 1 / h[i];
        r2[i] = r[i] * r[i];
    }
    for (size_t i = 0; i < n; ++i)
        p[i] = Fault::Divide(6.0, w[i]);
    for (size_t i = 1; i + 1 < n; ++i)
        s[i] = r[i - 1] + r[i];

    // The symmetric five-diagonal matrix in band storage (row j belongs
    // to the inner knot j + 1; columns j - 2 .. j + 2 at 0 .. 4).
    const size_t N = n - 2;
    std::vector<double> M(N * 5, 0);
    auto At = [&](size_t i, size_t j) -> double& { return M[i * 5 + 2 + j - i]; };
    for (size_t j = 0; j < N; ++j)
        At(j, j) = 2 * (h[j] + h[j + 1]) + p[j] * r2[j] + p[j + 1] * s[j + 1] * s[j + 1] + p[j + 2] * r2[j + 1];
    for (size_t j = 1; j < N; ++j)
        At(j, j - 1) = At(j - 1, j) = h[j] - p[j] * r[j] * s[j] - p[j + 1] * r[j] * s[j + 1];
    for (size_t j = 2; j < N; ++j)
        At(j, j - 2) = At(j - 2, j) = p[j] * r[j - 1] * r[j];

    // Right-hand side: three times the change of the data slopes.
    std::vector<double> g(N);
    for (size_t j = 0; j < N; ++j)
        g[j] = 3 * ((y[j + 2] - y[j + 1]) * r[j + 1] - (y[j + 1] - y[j]) * r[j]);

    // Second-derivative halves at the inner knots.
    BandSolve(static_cast<int32_t>(N), 2, 2, g, M);

    // Natural end conditions.
    C[0] = 0;
    for (size_t i = 1; i + 1 < n; ++i)
        C[i] = g[i - 1];
    C[n - 1] = 0;

    // Smoothed values, from the data values (A holds them until now).
    std::vector<double> Data(y, y + n);
    A[0] = Data[0] + (p[0] / 3) * r[0] * (C[0] - C[1]);
    for (size_t i = 1; i + 1 < n; ++i)
        A[i] = Data[i] - (p[i] / 3) * (C[i - 1] * r[i - 1] - s[i] * C[i] + C[i + 1] * r[i]);
    A[n - 1] = Data[n - 1] - (p[n - 1] / 3) * r[n - 2] * (C[n - 2] - C[n - 1]);

    // Slope and cubic coefficients of every interval.
    for (size_t i = 0; i + 1 < n; ++i) {
        B[i] = (A[i + 1] - A[i]) * r[i] - (2 * C[i] + C[i + 1]) * h[i] / 3;
        D[i] = (C[i + 1] - C[i]) * r[i] / 3;
    }
    // The last knot's piece continues the curve as the natural spline does:
    // a straight line with the slope at the last knot.
    B[n - 1] = B[n - 2] + h[n - 2] * (2 * C[n - 2] + 3 * D[n - 2] * h[n - 2]);
    D[n - 1] = 0;

    // Entry n repeats entry n - 1.
    Knots[n] = Knots[n - 1];
    A[n] = A[n - 1];
    B[n] = B[n - 1];
    C[n] = C[n - 1];
    D[n] = D[n - 1];
    PointWeights[n] = PointWeights[n - 1];

    CheckCoefficients(KnotCount + 1);
    ResetSearch();
}

} // namespace kv
