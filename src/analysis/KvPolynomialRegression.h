#pragma once
// Least-squares polynomials Y = c0 + c1*X + ... + cm*X^m behind
// TKvPolynomLine, and the Cholesky routines for small normal equations.
//
// The polynomial is fitted without normal equations, whose condition is the
// square of the data's (order 10 on clustered X loses every digit): X is
// centred and scaled to [-1, 1], the weighted rows are rotated into a
// triangle (Givens QR) in long double, and the coefficients are converted
// back to powers of X in long double; results are stored as doubles. The
// data are read in place, in three passes. Fewer distinct X than Order + 1
// (or columns dependent in rounding) raise the Cholesky pivot message, as
// the normal equations would. No step of the polynomial fit catches math
// errors: "Not enough data!", the pivot message, and the platform errors of
// the averaging (no point: 0/0) and of R2 (constant Y: x/0 or 0/0) propagate.

#include "KvMathFault.h"
#include "foundation/KvVector.h"

#include <cstdint>
#include <span>
#include <vector>

namespace kv {

using TKvRealMatrix = std::vector<TKvRealArray>;
using TKvExtendedMatrix = std::vector<std::vector<long double>>;
using TKvExtendedArray = std::vector<long double>;

struct PolynomialResult {
    int32_t Order = 2;            // m, input of the routines
    TKvRealArray Coefficients;    // c0 .. cm
    double AverageX = 0;
    double AverageY = 0;
    double VarianceX = 0;
    double VarianceY = 0;
    double R2 = 0;
    double QRel = 0;
    double ChiSquare = 0;
};

inline constexpr const char* CholeskyNotSquareText = "Cholesky Decomposition: Matrix is not square!";
inline constexpr const char* CholeskyFirstPivotText = "Cholesky Decomposition ([0,0]): Matrix is not positive definite!";
inline constexpr const char* CholeskyPivotText = "Cholesky Decomposition ([i,i]): Matrix is not positive definite!";
inline constexpr const char* PolynomialIndexText = "Polynomial: Index of variable out of range";

// In place: the upper triangle becomes U with A = U^T * U (the strict lower
// triangle is left as it was). EMathError with the messages above. A matrix
// without rows counts as square; its missing [0,0] pivot is not positive.
void CholeskyDecomposition(TKvRealMatrix& A);
void CholeskyDecomposition(TKvExtendedMatrix& A);
// Solves U^T * U * x = b in place in b (b must have as many entries as U has
// rows; otherwise ERangeError).
void CholeskySolve(const TKvRealMatrix& U, TKvRealArray& b);
void CholeskySolve(const TKvExtendedMatrix& U, TKvExtendedArray& b);

// Result.Order (0 or more; the curve keeps it at 2 or more) selects m;
// Coefficients are resized to m + 1. A negative order raises ERangeError
// with PolynomialIndexText.
void PolynomialRegression(std::span<const double> X, std::span<const double> Y, double Start, double Stop,
                          PolynomialResult& Result);
void WeightedPolynomialRegression(std::span<const double> X, std::span<const double> Y,
                                  std::span<const double> W, double Start, double Stop, PolynomialResult& Result);

// c0 + c1*x + ... by Horner's rule (Evaluate of TKvPolynomLine).
double PolynomialValue(std::span<const double> Coefficients, double X);
// Coefficients[i] for 0 <= i <= Order; ERangeError with PolynomialIndexText
// above Order and, as this implementation's choice, below 0.
double PolynomialCoefficient(const PolynomialResult& Result, int32_t i);

} // namespace kv
