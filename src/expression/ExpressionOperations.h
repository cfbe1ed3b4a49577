#pragma once
// The built-in operations (tokens 2 to 13) and the standard functions of
// the expression language, and the fault detection of an evaluation.
//
// Fault detection. Every operation whose result can leave the finite
// range from finite operands checks its result (one well-predicted branch)
// and raises the fault at once: EZeroDivide for a division by zero or a
// function's pole (LN(0), COTAN(0), ARCTANH(1), 0^-1), EInvalidOp for a NaN
// (square root or logarithm of a negative number, ARCSIN beyond [-1, 1]),
// EOverflow for an infinity. So no NaN or infinity is ever stored in a
// result cell, and no operation can hide one. The floating-point status
// flags were measured as the alternative: reading them after each
// evaluation waits for all pending arithmetic and costs more than the whole
// evaluation of a short formula (see the benchmark). Faults that must not
// reach the hardware (integer DIV and MOD by zero, values beyond the
// 64-bit integer range, a column row out of range) are raised by the
// operation before it computes.

#include "ExpressionCompiler.h"

#include <cmath>
#include <cstdint>

namespace kv {

inline constexpr const char* ZeroDivideMessage = "Floating point division by zero";
inline constexpr const char* IntegerZeroDivideMessage = "Division by zero";
inline constexpr const char* InvalidOpMessage = "Invalid floating point operation";
inline constexpr const char* OverflowMessage = "Floating point overflow";

// The procedure table indexed by token 0 to 13. Tokens 0 and 1 do nothing.
extern const TOperationProc OperationProcs[14];

// Round half to even for any double (values of 2^52 and beyond are
// integers already); a NaN stays NaN. Exact in the default rounding mode.
inline double RoundHalfEven(double X)
{
    const double A = X < 0 ? -X : X;
    if (!(A < 4503599627370496.0)) // 2^52
        return X;
    const double R = (A + 4503599627370496.0) - 4503599627370496.0;
    return X < 0 ? -R : R;
}
// a^n by repeated squaring in extended precision; n < 0 gives 1 / a^-n.
double IntegerPower(double A, int32_t N);
// POWER(a, b): a general power with the rules of the language.
double GeneralPower(double A, double B);

// The standard functions as plain functions (the registered procedures
// call these). RANDOM and RND use the generator seeded by SeedRandom.
namespace fn {
double Arccos(double X);
double Arcsin(double X);
double Arg(double A, double B);
double Ceil(double X);
double Floor(double X);
double Frac(double X);
double Heav(double X);
double Zero(double X);
double Sign(double X);
double Sin(double X);
double Cos(double X);
double Ph(double X);
double Round(double X); // raises EInvalidOp beyond the 64-bit integer range
double DegToRad(double X);
double RadToDeg(double X);
double LogN(double A, double B);
double Max(double A, double B);
double Min(double A, double B);
double IntPower(double A, double B); // raises EInvalidOp for b beyond 32 bits
} // namespace fn

// The clock-seeded uniform generator in [0, 1) behind RANDOM and RND.
void SeedRandom();
void SeedRandom(uint64_t Seed);
double RandomUniform();

// Registers the standard functions:
// capacity 32 and the 34 one-argument names, a new clock seed before
// RANDOM, capacity 8 and the six two-argument names.
void AddStandardFunctions(TFunctionList& OneArgFunctions, TFunctionList& TwoArgFunctions);

// Raises EZeroDivide when ZeroDivide, else EInvalidOp for a NaN and
// EOverflow for an infinity.
[[noreturn]] void RaiseNonFinite(double R, bool ZeroDivide);
inline double CheckedResult(double R)
{
    if (!std::isfinite(R)) [[unlikely]]
        RaiseNonFinite(R, false);
    return R;
}

} // namespace kv
