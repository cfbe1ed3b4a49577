#include "ExpressionOperations.h"

#include "ExpressionBlock.h"
#include "ExpressionVectorMath.h"

#include <chrono>
#include <cmath>
#include <cstdint>

namespace kv {

namespace {

constexpr double Pi = 3.141592653589793;
constexpr long double PiExtended = 3.14159265358979323846264338327950288L;
constexpr double Two63 = 9223372036854775808.0; // 2^63

// Truncates toward zero to a 64-bit integer; raises EInvalidOp beyond the
// 64-bit range (and for NaN).
int64_t TruncInt64(double X)
{
    const double T = std::trunc(X);
    if (!(T >= -Two63 && T < Two63))
        throw EInvalidOp(InvalidOpMessage);
    return static_cast<int64_t>(T);
}

int32_t TruncInt32(double X)
{
    const double T = std::trunc(X);
    if (!(T >= -2147483648.0 && T <= 2147483647.0))
        throw EInvalidOp(InvalidOpMessage);
    return static_cast<int32_t>(T);
}

// --- the built-in operations ----------------------------------------------

void OpNothing(const TOperationRecord*) {}
void OpNegate(const TOperationRecord* Op) { *Op->Dest = -*Op->Arg1; }
void OpSum(const TOperationRecord* Op) { *Op->Dest = CheckedResult(*Op->Arg1 + *Op->Arg2); }
void OpDifference(const TOperationRecord* Op) { *Op->Dest = CheckedResult(*Op->Arg1 - *Op->Arg2); }
void OpProduct(const TOperationRecord* Op) { *Op->Dest = CheckedResult(*Op->Arg1 * *Op->Arg2); }
void OpQuotient(const TOperationRecord* Op)
{
    const double B = *Op->Arg2;
    const double R = *Op->Arg1 / B;
    if (!std::isfinite(R)) [[unlikely]]
        RaiseNonFinite(R, B == 0.0);
    *Op->Dest = R;
}

void OpModulo(const TOperationRecord* Op)
{
    const int64_t A = TruncInt64(*Op->Arg1);
    const int64_t B = TruncInt64(*Op->Arg2);
    if (B == 0)
        throw EZeroDivide(IntegerZeroDivideMessage);
    *Op->Dest = B == -1 ? 0.0 : static_cast<double>(A % B);
}

void OpIntegerDiv(const TOperationRecord* Op)
{
    const int64_t A = TruncInt64(*Op->Arg1);
    const int64_t B = TruncInt64(*Op->Arg2);
    if (B == 0)
        throw EZeroDivide(IntegerZeroDivideMessage);
    // -2^63 div -1 does not fit; the double result does.
    *Op->Dest = B == -1 ? -static_cast<double>(A) : static_cast<double>(A / B);
}

void OpIntegerPower(const TOperationRecord* Op) { *Op->Dest = IntegerPower(*Op->Arg1, TruncInt32(*Op->Arg2)); }
void OpPower(const TOperationRecord* Op) { *Op->Dest = GeneralPower(*Op->Arg1, *Op->Arg2); }
void OpSquare(const TOperationRecord* Op)
{
    const double A = *Op->Arg1;
    *Op->Dest = CheckedResult(A * A);
}
void OpCube(const TOperationRecord* Op)
{
    const double A = *Op->Arg1;
    *Op->Dest = CheckedResult(A * (A * A));
}
void OpFourthPower(const TOperationRecord* Op)
{
    const double A = *Op->Arg1;
    *Op->Dest = CheckedResult((A * A) * (A * A));
}

// --- the pseudo-random generator (splitmix64) -------------------------------

uint64_t RandomState = 0x9E3779B97F4A7C15ull;

// --- procedures of the standard functions -----------------------------------

// The functions' procedures: a result that is not finite is a fault. A
// function with a pole tells by ZeroDivideAt whether its argument hit it.
inline bool NoPole(double) { return false; }
inline bool PoleAtZero(double X) { return X == 0.0; }
inline bool PoleAtOne(double X) { return X == 1.0 || X == -1.0; }

template <double (*F)(double), bool (*Pole)(double) = NoPole>
void Proc1(const TOperationRecord* Op)
{
    const double X = *Op->Arg1;
    const double R = F(X);
    if (!std::isfinite(R)) [[unlikely]]
        RaiseNonFinite(R, Pole(X));
    *Op->Dest = R;
}
template <double (*F)(double, double)>
void Proc2(const TOperationRecord* Op)
{
    *Op->Dest = CheckedResult(F(*Op->Arg1, *Op->Arg2));
}

// The same functions over a block of rows: a fault is only reported (the
// block is then redone row by row through Proc1 and Proc2, which raise it).
template <double (*F)(double)>
bool Block1(const TBlockOperation& Op, int Count)
{
    uint64_t Bad = 0;
    for (int k = 0; k < Count; ++k) {
        const double R = F(Op.Arg1[k]);
        Op.Dest[k] = R;
        Bad |= NonFinite(R);
    }
    return Bad == 0;
}
template <double (*F)(double, double)>
bool Block2(const TBlockOperation& Op, int Count)
{
    uint64_t Bad = 0;
    for (int k = 0; k < Count; ++k) {
        const double R = F(Op.Arg1[k], Op.Arg2[k]);
        Op.Dest[k] = R;
        Bad |= NonFinite(R);
    }
    return Bad == 0;
}

// A function with a vector routine of its own: the whole block in one call,
// which also tells whether every result is finite.
template <bool (*F)(const double*, double*, size_t)>
bool BlockVector(const TBlockOperation& Op, int Count)
{
    return F(Op.Arg1, Op.Dest, static_cast<size_t>(Count));
}

double Abs(double X) { return std::fabs(X); }
double Arccosh(double X) { return std::acosh(X); }
double Arcsinh(double X) { return std::asinh(X); }
double Arctan(double X) { return std::atan(X); }
double Arctanh(double X) { return std::atanh(X); }
double Cosh(double X) { return std::cosh(X); }
double Cotan(double X) { return 1.0 / std::tan(X); }
bool CotanPole(double X) { return std::tan(X) == 0.0; }
double Exp(double X) { return vecmath::Exp(X); }
double Int(double X) { return std::trunc(X); }
double Ln(double X) { return vecmath::Ln(X); }
double Lg(double X) { return std::log10(X); }
double Log2(double X) { return std::log2(X); }
double Random(double) { return RandomUniform(); }
double Rnd(double X) { return std::trunc(X) * RandomUniform(); }
double Sinh(double X) { return std::sinh(X); }
double Sqr(double X) { return X * X; }
double Sqrt(double X) { return std::sqrt(X); }
double Tan(double X) { return std::tan(X); }
double Power(double A, double B) { return GeneralPower(A, B); }

} // namespace

const TOperationProc OperationProcs[14] = {
    OpNothing,      OpNothing,  OpNegate,  OpSum,  OpDifference, OpProduct, OpQuotient,
    OpModulo,       OpIntegerDiv, OpIntegerPower, OpPower, OpSquare, OpCube, OpFourthPower,
};

double IntegerPower(double A, int32_t N)
{
    // Extended precision (where the platform has it) keeps the
    // intermediate squares of a result that fits a double from overflowing.
    uint64_t M = N < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(N)) : static_cast<uint64_t>(N);
    long double Base = A;
    long double Result = 1.0L;
    while (M != 0) {
        if (M & 1u)
            Result *= Base;
        M >>= 1;
        if (M != 0)
            Base *= Base;
    }
    if (N < 0) {
        if (Result == 0.0L)
            throw EZeroDivide(ZeroDivideMessage);
        Result = 1.0L / Result;
    }
    return CheckedResult(static_cast<double>(Result));
}

double GeneralPower(double A, double B)
{
    if (B == 0.0)
        return 1.0;
    if (A == 0.0 && B > 0.0)
        return 0.0;
    if (B == std::trunc(B) && std::fabs(B) <= 2147483647.0)
        return IntegerPower(A, static_cast<int32_t>(B));
    // e^(b ln a); for a > 0 (and a = 0) std::pow is the same function,
    // rounded better. A negative base has no logarithm: invalid operation.
    if (A < 0.0)
        throw EInvalidOp(InvalidOpMessage);
    if (A == 0.0)
        throw EZeroDivide(ZeroDivideMessage); // b < 0 here
    return CheckedResult(std::pow(A, B));
}

namespace fn {

double Arccos(double X) { return std::atan2(std::sqrt(1.0 - X * X), X); }
double Arcsin(double X) { return std::atan2(X, std::sqrt(1.0 - X * X)); }

double Arg(double A, double B)
{
    if (A > 0.0)
        return std::atan(B / A);
    if (A < 0.0)
        return std::atan(B / A) + Pi;
    return B > 0.0 ? Pi / 2 : -Pi / 2;
}

// CEIL: frac(x) > 0 ? int(x + 1) : int(x); FLOOR: frac(x) >= 0 ? int(x) :
// int(x - 1). For every finite x these are exactly ceil and floor (the
// x + 1 of a double near 2^52 would round; the library functions do not).
double Ceil(double X) { return std::ceil(X); }
double Floor(double X) { return std::floor(X); }
double Frac(double X) { return X - std::trunc(X); }
double Heav(double X) { return X >= 0.0 ? 1.0 : 0.0; }
double Zero(double X) { return X == 0.0 ? 0.0 : 1.0; }
double Sign(double X) { return X < 0.0 ? -1.0 : (X > 0.0 ? 1.0 : 0.0); }
// Arguments of 2^63 and beyond give 0 (inside the vector routines).
double Sin(double X) { return vecmath::Sin(X); }
double Cos(double X) { return vecmath::Cos(X); }

double Ph(double X)
{
    const double T = static_cast<double>(static_cast<long double>(X) / 0.6366197723675813431L);
    return static_cast<double>((static_cast<long double>(T) - RoundHalfEven(T)) * 6.283185307179586477L);
}

double Round(double X)
{
    const double R = RoundHalfEven(X);
    if (!(R >= -Two63 && R < Two63))
        throw EInvalidOp(InvalidOpMessage);
    return static_cast<double>(static_cast<int64_t>(R));
}

double DegToRad(double X) { return static_cast<double>(static_cast<long double>(X) * PiExtended / 180.0L); }
double RadToDeg(double X) { return static_cast<double>(static_cast<long double>(X) * 180.0L / PiExtended); }
double LogN(double A, double B)
{
    const double R = std::log(B) / std::log(A);
    if (!std::isfinite(R)) [[unlikely]]
        RaiseNonFinite(R, A == 1.0 || B == 0.0);
    return R;
}
double Max(double A, double B) { return A >= B ? A : B; }
double Min(double A, double B) { return A >= B ? B : A; }
double IntPower(double A, double B) { return IntegerPower(A, TruncInt32(B)); }

} // namespace fn

void SeedRandom()
{
    SeedRandom(static_cast<uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count()));
}

void SeedRandom(uint64_t Seed) { RandomState = Seed; }

double RandomUniform()
{
    uint64_t Z = (RandomState += 0x9E3779B97F4A7C15ull);
    Z = (Z ^ (Z >> 30)) * 0xBF58476D1CE4E5B9ull;
    Z = (Z ^ (Z >> 27)) * 0x94D049BB133111EBull;
    Z ^= Z >> 31;
    return static_cast<double>(Z >> 11) * 0x1.0p-53;
}

void AddStandardFunctions(TFunctionList& One, TFunctionList& Two)
{
    auto Add = [](TFunctionList& List, const char* Name, TOperationProc Proc, TBlockProc Block = nullptr) {
        if (!List.Add(Name, TFunctionEntry{Proc, nullptr, Block}))
            throw EStringListError();
    };
    One.SetCapacity(32);
    Add(One, "ABS", Proc1<Abs>, Block1<Abs>);
    Add(One, "ARCCOS", Proc1<fn::Arccos>, Block1<fn::Arccos>);
    Add(One, "ARCCOSH", Proc1<Arccosh>, Block1<Arccosh>);
    Add(One, "ARCSIN", Proc1<fn::Arcsin>, Block1<fn::Arcsin>);
    Add(One, "ARCSINH", Proc1<Arcsinh>, Block1<Arcsinh>);
    Add(One, "ARCTAN", Proc1<Arctan>, Block1<Arctan>);
    Add(One, "ARCTANH", Proc1<Arctanh, PoleAtOne>, Block1<Arctanh>);
    Add(One, "CEIL", Proc1<fn::Ceil>, Block1<fn::Ceil>);
    Add(One, "COS", Proc1<fn::Cos>, BlockVector<vecmath::Cos>);
    Add(One, "COSH", Proc1<Cosh>, Block1<Cosh>);
    Add(One, "COTAN", Proc1<Cotan, CotanPole>, Block1<Cotan>);
    Add(One, "DEGTORAD", Proc1<fn::DegToRad>, Block1<fn::DegToRad>);
    Add(One, "EXP", Proc1<Exp>, BlockVector<vecmath::Exp>);
    Add(One, "FLOOR", Proc1<fn::Floor>, Block1<fn::Floor>);
    Add(One, "FRAC", Proc1<fn::Frac>, Block1<fn::Frac>);
    Add(One, "HEAV", Proc1<fn::Heav>, Block1<fn::Heav>);
    Add(One, "INT", Proc1<Int>, Block1<Int>);
    Add(One, "LN", Proc1<Ln, PoleAtZero>, BlockVector<vecmath::Ln>);
    Add(One, "LG", Proc1<Lg, PoleAtZero>, Block1<Lg>);
    Add(One, "LOG10", Proc1<Lg, PoleAtZero>, Block1<Lg>);
    Add(One, "LOG2", Proc1<Log2, PoleAtZero>, Block1<Log2>);
    Add(One, "PH", Proc1<fn::Ph>, Block1<fn::Ph>);
    Add(One, "RADTODEG", Proc1<fn::RadToDeg>, Block1<fn::RadToDeg>);
    SeedRandom();
    Add(One, "RANDOM", Proc1<Random>, Block1<Random>);
    Add(One, "RND", Proc1<Rnd>, Block1<Rnd>);
    Add(One, "ROUND", Proc1<fn::Round>);
    Add(One, "SIGN", Proc1<fn::Sign>, Block1<fn::Sign>);
    Add(One, "SIN", Proc1<fn::Sin>, BlockVector<vecmath::Sin>);
    Add(One, "SINH", Proc1<Sinh>, Block1<Sinh>);
    Add(One, "SQR", Proc1<Sqr>, Block1<Sqr>);
    Add(One, "SQRT", Proc1<Sqrt>, Block1<Sqrt>);
    Add(One, "TAN", Proc1<Tan>, Block1<Tan>);
    Add(One, "TRUNC", Proc1<Int>, Block1<Int>);
    Add(One, "ZERO", Proc1<fn::Zero>, Block1<fn::Zero>);
    Two.SetCapacity(8);
    Add(Two, "MAX", Proc2<fn::Max>, Block2<fn::Max>);
    Add(Two, "MIN", Proc2<fn::Min>, Block2<fn::Min>);
    Add(Two, "POWER", Proc2<Power>);
    Add(Two, "INTPOWER", Proc2<fn::IntPower>);
    Add(Two, "LOGN", Proc2<fn::LogN>); // raises from inside: row by row
    Add(Two, "ARG", Proc2<fn::Arg>, Block2<fn::Arg>);
}

void RaiseNonFinite(double R, bool ZeroDivide)
{
    if (ZeroDivide)
        throw EZeroDivide(ZeroDivideMessage);
    if (std::isnan(R))
        throw EInvalidOp(InvalidOpMessage);
    throw EOverflow(OverflowMessage);
}

void RaiseNonFiniteValue(double R) { RaiseNonFinite(R, false); }

} // namespace kv
