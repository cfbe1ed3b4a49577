#include "KvPolynomialRegression.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kv {

namespace {

using TExtended = long double;
using Fault = TKvMathFault;

template <class T>
void CholeskyDecompositionImpl(std::vector<std::vector<T>>& A)
{
    const size_t N = A.size();
    for (const auto& Row : A)
        if (Row.size() != N)
            throw EMathError(CholeskyNotSquareText);
    if (N == 0 || !(A[0][0] > 0))
        throw EMathError(CholeskyFirstPivotText);
    A[0][0] = std::sqrt(A[0][0]);
    for (size_t c = 1; c < N; ++c) {
        for (size_t r = 0; r < c; ++r) {
            T Sum = A[r][c];
            for (size_t k = 0; k < r; ++k)
                Sum -= A[k][r] * A[k][c];
            A[r][c] = Sum / A[r][r];
        }
        T d = A[c][c];
        for (size_t r = 0; r < c; ++r)
            d -= A[r][c] * A[r][c];
        if (!(d > 0))
            throw EMathError(CholeskyPivotText);
        A[c][c] = std::sqrt(d);
    }
}

template <class T>
void CholeskySolveImpl(const std::vector<std::vector<T>>& U, std::vector<T>& b)
{
    const size_t N = U.size();
    if (b.size() != N)
        throw ERangeError("Cholesky Solve: the vector does not match the matrix");
    if (N == 0)
        return;
    // Forward substitution with U^T.
    b[0] = Fault::Divide(b[0], U[0][0]);
    for (size_t r = 1; r < N; ++r) {
        T Sum = b[r];
        for (size_t k = 0; k < r; ++k)
            Sum -= b[k] * U[k][r];
        b[r] = Fault::Divide(Sum, U[r][r]);
    }
    // Back substitution with U.
    b[N - 1] = Fault::Divide(b[N - 1], U[N - 1][N - 1]);
    for (size_t r = N - 1; r-- > 0;) {
        T Sum = b[r];
        for (size_t k = r + 1; k < N; ++k)
            Sum -= b[k] * U[r][k];
        b[r] = Fault::Divide(Sum, U[r][r]);
    }
}

// The participating points of a fit: X in the range, below the smallest
// count of the vectors; their weights taken by absolute value.
struct TPolynomialPoints {
    std::span<const double> X, Y, W;
    double Start, Stop;
    size_t Count;
    bool Weighted;

    template <class TVisit>
    void ForEach(TVisit Visit) const
    {
        for (size_t i = 0; i < Count; ++i) {
            const double x = X[i];
            if (!(Start <= x && x <= Stop))
                continue;
            Visit(x, Y[i], Weighted ? std::fabs(W[i]) : 1.0, i);
        }
    }
};

// The least-squares problem in t = (x - Centre) / Scale, so that t lies in
// [-1, 1] and the columns 1, t, t^2 ... stay far from dependent; solved by
// Givens rotations of each weighted row into the triangle R (with the
// right-hand side as its last column), which never forms the normal
// matrix and so keeps the condition of the data instead of its square.
class TPolynomialQR {
public:
    TPolynomialQR(size_t m, TExtended Centre, TExtended Scale)
        : m(m), Centre(Centre), Scale(Scale), R((m + 1) * (m + 2), 0), Row(m + 2)
    {
    }

    void Add(double x, double y, double w)
    {
        const TExtended Root = std::sqrt(static_cast<TExtended>(w));
        const TExtended t = (x - Centre) / Scale;
        TExtended p = Root;
        for (size_t j = 0; j <= m; ++j, p *= t)
            Row[j] = p;
        Row[m + 1] = Root * y;
        for (size_t k = 0; k <= m; ++k) {
            if (Row[k] == 0)
                continue;
            TExtended* Rk = &R[k * (m + 2)];
            const TExtended r = std::sqrt(Rk[k] * Rk[k] + Row[k] * Row[k]);
            const TExtended c = Rk[k] / r, s = Row[k] / r;
            Rk[k] = r;
            for (size_t j = k + 1; j <= m + 1; ++j) {
                const TExtended a = Rk[j], b = Row[j];
                Rk[j] = c * a + s * b;
                Row[j] = c * b - s * a;
            }
        }
    }

    // The coefficients of t^0 .. t^m; a pivot that vanishes against the
    // weight of the data means the columns are dependent.
    TKvExtendedArray Solve(TExtended WeightSum) const
    {
        const TExtended Tiny = std::sqrt(WeightSum) * 1e-16L;
        TKvExtendedArray a(m + 1);
        for (size_t k = m + 1; k-- > 0;) {
            const TExtended* Rk = &R[k * (m + 2)];
            if (!(std::fabs(Rk[k]) > Tiny))
                throw EMathError(k == 0 ? CholeskyFirstPivotText : CholeskyPivotText);
            TExtended Sum = Rk[m + 1];
            for (size_t j = k + 1; j <= m; ++j)
                Sum -= Rk[j] * a[j];
            a[k] = Sum / Rk[k];
        }
        return a;
    }

    TExtended Value(const TKvExtendedArray& a, double x) const
    {
        const TExtended t = (x - Centre) / Scale;
        TExtended P = a[m];
        for (size_t k = m; k-- > 0;)
            P = P * t + a[k];
        return P;
    }

    // The same polynomial in powers of x: Horner's rule applied to
    // polynomials, multiplying by (x - Centre) / Scale at each step.
    TKvExtendedArray PowersOfX(const TKvExtendedArray& a) const
    {
        TKvExtendedArray c(m + 1, 0);
        c[0] = a[m];
        for (size_t j = m; j-- > 0;) {
            for (size_t k = m - j; k > 0; --k)
                c[k] = (c[k - 1] - c[k] * Centre) / Scale;
            c[0] = -c[0] * Centre / Scale + a[j];
        }
        return c;
    }

private:
    size_t m;
    TExtended Centre, Scale;
    TKvExtendedArray R;
    mutable TKvExtendedArray Row;
};

// Whether the points of non-zero weight have at least Needed distinct X;
// fewer make the columns dependent whatever the rounding.
bool HasDistinctX(const TPolynomialPoints& Points, size_t Needed)
{
    std::vector<double> Seen;
    Seen.reserve(Needed);
    Points.ForEach([&](double x, double, double w, size_t) {
        if (Seen.size() < Needed && w != 0 && std::find(Seen.begin(), Seen.end(), x) == Seen.end())
            Seen.push_back(x);
    });
    return Seen.size() >= Needed;
}

template <bool Weighted>
void PolynomialCore(std::span<const double> X, std::span<const double> Y, std::span<const double> W,
                    double Start, double Stop, PolynomialResult& R)
{
    if (R.Order < 0)
        throw ERangeError(PolynomialIndexText);
    const size_t m = static_cast<size_t>(R.Order);
    R.Coefficients.resize(m + 1);

    size_t Count = std::min(X.size(), Y.size());
    if (Weighted)
        Count = std::min(Count, W.size());
    const TPolynomialPoints Points{X, Y, W, Start, Stop, Count, Weighted};

    // One pass: averages and the extremes of the participating points.
    size_t n = 0;
    TExtended S = 0, SumX = 0, SumY = 0;
    double MinX = std::numeric_limits<double>::infinity(), MaxX = -MinX, MinY = MinX, MaxY = -MinX;
    Points.ForEach([&](double x, double y, double, size_t i) {
        Fault::CheckData(x);
        Fault::CheckData(y);
        if (Weighted)
            Fault::CheckData(W[i]);
        const double w = Weighted ? std::fabs(W[i]) : 1.0;
        ++n;
        S += w;
        SumX += static_cast<TExtended>(w) * x;
        SumY += static_cast<TExtended>(w) * y;
        MinX = std::min(MinX, x);
        MaxX = std::max(MaxX, x);
        MinY = std::min(MinY, y);
        MaxY = std::max(MaxY, y);
    });

    // The averaging (0/0 without points is the invalid operation).
    TExtended AverageX = Fault::Divide(SumX, S);
    TExtended AverageY = Fault::Divide(SumY, S);
    if (MinX == MaxX)
        AverageX = MinX;
    if (MinY == MaxY)
        AverageY = MinY;
    R.AverageX = Fault::Store(AverageX);
    R.AverageY = Fault::Store(AverageY);

    if (Weighted) {
        if (std::trunc(S) < static_cast<TExtended>(m + 1))
            Fault::NotEnoughData();
    } else if (n < m + 1) {
        Fault::NotEnoughData();
    }
    if (!HasDistinctX(Points, m + 1))
        throw EMathError(CholeskyPivotText);

    // The coefficients.
    const TExtended Centre = (static_cast<TExtended>(MinX) + MaxX) / 2;
    const TExtended HalfWidth = (static_cast<TExtended>(MaxX) - MinX) / 2;
    TPolynomialQR QR(m, Centre, HalfWidth > 0 ? HalfWidth : 1);
    Points.ForEach([&](double x, double y, double w, size_t) {
        if (w != 0)
            QR.Add(x, y, w);
    });
    const TKvExtendedArray a = QR.Solve(S);
    const TKvExtendedArray c = QR.PowersOfX(a);
    for (size_t k = 0; k <= m; ++k)
        R.Coefficients[k] = Fault::Store(c[k]);

    // The spreads and the deviations from the fitted polynomial.
    TExtended Sxx = 0, Syy = 0, Chi = 0;
    Points.ForEach([&](double x, double y, double w, size_t) {
        const TExtended dx = x - AverageX, dy = y - AverageY, d = y - QR.Value(a, x);
        Sxx += w * dx * dx;
        Syy += w * dy * dy;
        Chi += w * d * d;
    });
    R.ChiSquare = Fault::Store(Chi);

    const TExtended Weight = Weighted ? S : static_cast<TExtended>(n);
    R.R2 = Fault::Store(1 - Fault::Divide(Chi, Syy));
    R.VarianceY = Fault::Store(Fault::Divide(Syy, Weight - 1));
    R.VarianceX = Fault::Store(Fault::Divide(Sxx, Weight - 1));
    R.QRel = Fault::Store(Fault::Sqrt(Fault::Divide(Chi, Weight - static_cast<TExtended>(m))));
}

} // namespace

void CholeskyDecomposition(TKvRealMatrix& A) { CholeskyDecompositionImpl(A); }
void CholeskyDecomposition(TKvExtendedMatrix& A) { CholeskyDecompositionImpl(A); }
void CholeskySolve(const TKvRealMatrix& U, TKvRealArray& b) { CholeskySolveImpl(U, b); }
void CholeskySolve(const TKvExtendedMatrix& U, TKvExtendedArray& b) { CholeskySolveImpl(U, b); }

void PolynomialRegression(std::span<const double> X, std::span<const double> Y, double Start, double Stop,
                          PolynomialResult& Result)
{
    PolynomialCore<false>(X, Y, {}, Start, Stop, Result);
}

void WeightedPolynomialRegression(std::span<const double> X, std::span<const double> Y,
                                  std::span<const double> W, double Start, double Stop, PolynomialResult& Result)
{
    PolynomialCore<true>(X, Y, W, Start, Stop, Result);
}

double PolynomialValue(std::span<const double> Coefficients, double X)
{
    if (Coefficients.empty())
        return 0;
    double P = Coefficients.back();
    for (size_t k = Coefficients.size() - 1; k-- > 0;)
        P = P * X + Coefficients[k];
    return P;
}

double PolynomialCoefficient(const PolynomialResult& Result, int32_t i)
{
    if (i < 0 || i > Result.Order || static_cast<size_t>(i) >= Result.Coefficients.size())
        throw ERangeError(PolynomialIndexText);
    return Result.Coefficients[static_cast<size_t>(i)];
}

} // namespace kv
