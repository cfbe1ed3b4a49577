#pragma once
// Floating-point faults of the numerical engines as exceptions.
//
// The calculations rely on the platform raising an error for a
// division by zero, an invalid operation (0/0, the root of a negative
// number, NaN operands) and an overflow. C++ arithmetic yields Inf and NaN
// silently, so the engines test where the behaviour depends on it and raise
// the math-error exceptions of the foundation (EZeroDivide, EInvalidOp,
// EOverflow, all derived from EMathError) with the platform's texts.

#include "foundation/KvErrors.h"

#include <cfloat>
#include <cmath>

namespace kv {

struct TKvMathFault {
    static constexpr const char* NotEnoughDataText = "Not enough data!";
    static constexpr const char* ZeroDivideText = "Floating point division by zero";
    static constexpr const char* InvalidOpText = "Invalid floating point operation";
    static constexpr const char* OverflowText = "Floating point overflow";

    [[noreturn]] static void NotEnoughData() { throw EMathError(NotEnoughDataText); }
    [[noreturn]] static void ZeroDivide() { throw EZeroDivide(ZeroDivideText); }
    [[noreturn]] static void InvalidOp() { throw EInvalidOp(InvalidOpText); }
    [[noreturn]] static void Overflow() { throw EOverflow(OverflowText); }

    // a / b with the platform's faults: x/0 for x other than 0 is a division
    // by zero, 0/0 and NaN operands are invalid, an infinite quotient of
    // finite operands is an overflow.
    template <class T>
    static T Divide(T a, T b)
    {
        if (std::isnan(a) || std::isnan(b))
            InvalidOp();
        if (b == 0) {
            if (a == 0)
                InvalidOp();
            ZeroDivide();
        }
        const T q = a / b;
        if (std::isinf(q) && !std::isinf(a))
            Overflow();
        return q;
    }

    template <class T>
    static T Sqrt(T a)
    {
        if (std::isnan(a) || a < 0)
            InvalidOp();
        return std::sqrt(a);
    }

    // Decimal logarithm: log of 0 is the platform's division by zero, of a
    // negative number or NaN an invalid operation.
    static double Log10(double a)
    {
        if (std::isnan(a) || a < 0)
            InvalidOp();
        if (a == 0)
            ZeroDivide();
        return std::log10(a);
    }

    // An extended result stored into a double: NaN is invalid, a value
    // beyond the double range an overflow.
    static double Store(long double a)
    {
        if (std::isnan(a))
            InvalidOp();
        if (std::fabs(a) > static_cast<long double>(DBL_MAX))
            Overflow();
        return static_cast<double>(a);
    }

    // A data value taking part in a calculation: NaN and infinite values
    // make every sum over them invalid (Inf - Inf, NaN comparisons).
    static void CheckData(double a)
    {
        if (!std::isfinite(a))
            InvalidOp();
    }

    // A value that must be finite (data taking part in a calculation,
    // computed coefficients): NaN is invalid, Inf an overflow.
    static void CheckFinite(double a)
    {
        if (std::isnan(a))
            InvalidOp();
        if (std::isinf(a))
            Overflow();
    }
};

} // namespace kv
