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
    const double* PX = X.data();
    const double* PY = Y.data();
    const double* PW = W.data();

    // One pass: averages, and the sums of powers Σ w*x^k (k = 0 .. 2m) and
    // Σ w*y*x^k (k = 0 .. m) that make up the normal matrix.
    std::vector<TExtended> PowerSums(2 * m + 1, 0), RightSums(m + 1, 0);
    TExtended* Ps = PowerSums.data();
    TExtended* Rs = RightSums.data();
    size_t n = 0;
    TExtended S = 0, SumX = 0, SumY = 0;
    double MinX = std::numeric_limits<double>::infinity(), MaxX = -MinX, MinY = MinX, MaxY = -MinX;
    for (size_t i = 0; i < Count; ++i) {
        const double x = PX[i];
        if (!(Start <= x && x <= Stop))
            continue;
        const double y = PY[i];
        Fault::CheckData(x);
        Fault::CheckData(y);
        double w = 1;
        if (Weighted) {
            Fault::CheckData(PW[i]);
            w = std::fabs(PW[i]);
        }
        ++n;
        S += w;
        SumX += static_cast<TExtended>(w) * x;
        SumY += static_cast<TExtended>(w) * y;
        MinX = std::min(MinX, x);
        MaxX = std::max(MaxX, x);
        MinY = std::min(MinY, y);
        MaxY = std::max(MaxY, y);
        const TExtended ex = x;
        TExtended p = w;
        const TExtended py = static_cast<TExtended>(w) * y;
        TExtended q = py;
        size_t k = 0;
        for (; k <= m; ++k) {
            Ps[k] += p;
            Rs[k] += q;
            p *= ex;
            q *= ex;
        }
        for (; k <= 2 * m; ++k) {
            Ps[k] += p;
            p *= ex;
        }
    }

    // Step 1: the averaging (0/0 without points is the invalid operation).
    TExtended AverageX = Fault::Divide(SumX, S);
    TExtended AverageY = Fault::Divide(SumY, S);
    if (MinX == MaxX)
        AverageX = MinX;
    if (MinY == MaxY)
        AverageY = MinY;
    R.AverageX = Fault::Store(AverageX);
    R.AverageY = Fault::Store(AverageY);

    // Step 2.
    if (Weighted) {
        if (std::trunc(S) < static_cast<TExtended>(m + 1))
            Fault::NotEnoughData();
    } else if (n < m + 1) {
        Fault::NotEnoughData();
    }

    // Steps 3 and 4.
    TKvExtendedMatrix A(m + 1, TKvExtendedArray(m + 1));
    for (size_t j = 0; j <= m; ++j)
        for (size_t k = 0; k <= m; ++k)
            A[j][k] = PowerSums[j + k];
    CholeskyDecomposition(A);
    CholeskySolve(A, RightSums);
    for (size_t k = 0; k <= m; ++k)
        R.Coefficients[k] = Fault::Store(RightSums[k]);

    // Step 5.
    TExtended Sxx = 0, Syy = 0, Chi = 0;
    for (size_t i = 0; i < Count; ++i) {
        const double x = PX[i];
        if (!(Start <= x && x <= Stop))
            continue;
        const double y = PY[i];
        const TExtended w = Weighted ? std::fabs(PW[i]) : 1.0;
        const TExtended ex = x;
        TExtended P = Rs[m];
        for (size_t k = m; k-- > 0;)
            P = P * ex + Rs[k];
        const TExtended dx = ex - AverageX, dy = y - AverageY, d = y - P;
        Sxx += w * dx * dx;
        Syy += w * dy * dy;
        Chi += w * d * d;
    }
    R.ChiSquare = Fault::Store(Chi);

    // Step 6.
    const TExtended Points = Weighted ? S : static_cast<TExtended>(n);
    R.R2 = Fault::Store(1 - Fault::Divide(Chi, Syy));
    R.VarianceY = Fault::Store(Fault::Divide(Syy, Points - 1));
    R.VarianceX = Fault::Store(Fault::Divide(Sxx, Points - 1));
    R.QRel = Fault::Store(Fault::Sqrt(Fault::Divide(Chi, Points - static_cast<TExtended>(m))));
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
