// The operations and standard functions at their boundaries, and the
// evaluation faults they raise.

#include "expression/ExpressionOperations.h"
#include "expression/ExpressionParser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace kv {
namespace {

class TStandardParser : public TCustomParser {
public:
    TStandardParser() { RegisterStandardFunctions(); }
};

double Eval(const std::string& Formula)
{
    TStandardParser P;
    P.SetExpression(Formula);
    return P.Value();
}

const double Pi = 3.141592653589793;

struct TValueCase {
    const char* Formula;
    double Expected;
};

TEST(ExpressionFunctions, ValuesAtTheBoundaries)
{
    const TValueCase Cases[] = {
        // Ties to even, via a 64-bit integer.
        {"ROUND(0.5)", 0}, {"ROUND(1.5)", 2}, {"ROUND(2.5)", 2}, {"ROUND(-2.5)", -2}, {"ROUND(-3.5)", -4},
        {"ROUND(2.4999999999999996)", 2}, {"ROUND(4503599627370497)", 4503599627370497.0},
        {"ROUND(-9.2E18)", -9.2e18},
        // CEIL and FLOOR by the sign of the fraction.
        {"CEIL(-1.5)", -1}, {"CEIL(1.5)", 2}, {"CEIL(2)", 2}, {"CEIL(1E-300)", 1}, {"CEIL(4503599627370495.5)", 4503599627370496.0},
        {"FLOOR(-1.5)", -2}, {"FLOOR(1.5)", 1}, {"FLOOR(-2)", -2}, {"FLOOR(-1E-300)", -1},
        {"FRAC(-2.75)", -0.75}, {"FRAC(2.75)", 0.75}, {"INT(-2.75)", -2}, {"TRUNC(2.75)", 2},
        // SIN and COS are 0 from 2^63 on.
        {"SIN(9223372036854775808)", 0}, {"COS(9223372036854775808)", 0}, {"SIN(-1E300)", 0},
        {"SIN(9223372036854774784)", std::sin(9223372036854774784.0)}, {"COS(0)", 1}, {"SIN(PI/2)", 1},
        // ARG by quadrant, and the axis cases.
        {"ARG(1,1)", Pi / 4}, {"ARG(-1,1)", std::atan(-1.0) + Pi}, {"ARG(-1,-1)", std::atan(1.0) + Pi},
        {"ARG(0,2)", Pi / 2}, {"ARG(0,-2)", -Pi / 2}, {"ARG(0,0)", -Pi / 2}, {"ARG(-1,0)", Pi},
        // POWER and INTPOWER.
        {"POWER(2,0)", 1}, {"POWER(0,0)", 1}, {"POWER(0,2.5)", 0}, {"POWER(-2,3)", -8}, {"POWER(2,-2)", 0.25},
        {"POWER(2,0.5)", std::sqrt(2.0)}, {"POWER(1,3000000000)", 1}, {"INTPOWER(2,10.9)", 1024},
        {"INTPOWER(-2,-3)", -0.125}, {"INTPOWER(10,-300)", 1e-300}, {"INTPOWER(1E200,1)", 1e200},
        {"2^-1", 0.5}, {"(-2)^5", -32}, {"2^10", 1024}, {"2^0", 1}, {"(1E100)^3", 1e300},
        // LOGN(a, b) is ln b / ln a.
        {"LOGN(2,8)", 3}, {"LOGN(10,0.001)", std::log(0.001) / std::log(10.0)},
        // The step functions.
        {"HEAV(0)", 1}, {"HEAV(-1E-300)", 0}, {"HEAV(5)", 1}, {"ZERO(0)", 0}, {"ZERO(-0)", 0}, {"ZERO(1E-300)", 1},
        {"SIGN(-0.1)", -1}, {"SIGN(0)", 0}, {"SIGN(3)", 1},
        {"MAX(1,2)", 2}, {"MAX(2,1)", 2}, {"MIN(1,2)", 1}, {"MIN(2,1)", 1},
        // The remaining one-argument functions.
        {"ABS(-3)", 3}, {"SQR(-3)", 9}, {"SQRT(16)", 4}, {"EXP(0)", 1}, {"LN(1)", 0}, {"LG(1000)", 3},
        {"LOG10(0.01)", -2}, {"LOG2(8)", 3}, {"ARCSIN(1)", Pi / 2}, {"ARCSIN(-1)", -Pi / 2}, {"ARCCOS(1)", 0},
        {"ARCCOS(-1)", Pi}, {"ARCTAN(1)", Pi / 4}, {"SINH(0)", 0}, {"COSH(0)", 1}, {"ARCSINH(0)", 0},
        {"ARCCOSH(1)", 0}, {"ARCTANH(0)", 0}, {"TAN(0)", 0}, {"COTAN(PI/4)", 1 / std::tan(Pi / 4)},
        {"DEGTORAD(180)", Pi}, {"RADTODEG(PI)", 180},
        // Integer quotient and remainder truncate; the sign is the dividend's.
        {"7DIV2", 3}, {"-7DIV2", -3}, {"7DIV-2", -3}, {"7.9DIV2.9", 3}, {"7MOD3", 1}, {"-7MOD3", -1},
        {"7MOD-3", 1}, {"-9223372036854775808DIV-1", 9223372036854775808.0}, {"-9223372036854775808MOD-1", 0},
    };
    for (const TValueCase& C : Cases) {
        SCOPED_TRACE(C.Formula);
        EXPECT_DOUBLE_EQ(Eval(C.Formula), C.Expected);
    }
}

TEST(ExpressionFunctions, PhRemovesWholeTurnsTiesToEven)
{
    // t = x / (2/pi) rounded to double, then (t - round(t)) * 2 pi.
    for (double X : {0.1, 1.0, -1.0, 3.0, 100.0, -250.5, 1e6}) {
        SCOPED_TRACE(X);
        const double T = static_cast<double>(static_cast<long double>(X) / 0.6366197723675813431L);
        const double Expected =
            static_cast<double>((static_cast<long double>(T) - std::nearbyint(T)) * 6.283185307179586477L);
        EXPECT_DOUBLE_EQ(fn::Ph(X), Expected);
        EXPECT_LE(std::fabs(fn::Ph(X)), Pi + 1e-12);
    }
    // A tie goes to the even neighbour: t = 2.5 gives 0.5 turns of 2 pi.
    const double X = 2.5 * 0.6366197723675813431;
    const double T = static_cast<double>(static_cast<long double>(X) / 0.6366197723675813431L);
    if (T == 2.5) {
        EXPECT_DOUBLE_EQ(fn::Ph(X), 0.5 * 6.283185307179586477);
    }
    EXPECT_EQ(fn::Ph(0), 0);
}

TEST(ExpressionFunctions, RandomIsUniformInTheUnitInterval)
{
    TStandardParser P;
    P.SetExpression("RANDOM(7)");
    double Sum = 0, Low = 1, High = 0;
    for (int i = 0; i < 20000; ++i) {
        const double V = P.Value();
        ASSERT_GE(V, 0.0);
        ASSERT_LT(V, 1.0);
        Sum += V;
        Low = std::min(Low, V);
        High = std::max(High, V);
    }
    EXPECT_NEAR(Sum / 20000, 0.5, 0.02);
    EXPECT_LT(Low, 0.01);
    EXPECT_GT(High, 0.99);
    // RND(x) is int(x) times a uniform number: a real below int(x).
    P.SetExpression("RND(10.9)");
    bool Fraction = false;
    for (int i = 0; i < 100; ++i) {
        const double V = P.Value();
        ASSERT_GE(V, 0.0);
        ASSERT_LT(V, 10.0);
        Fraction = Fraction || V != std::trunc(V);
    }
    EXPECT_TRUE(Fraction);
    P.SetExpression("RND(0.5)");
    EXPECT_EQ(P.Value(), 0);
}

enum class TFault { ZeroDivide, InvalidOp, Overflow };

struct TFaultCase {
    const char* Formula;
    TFault Fault;
    const char* Message;
};

TEST(ExpressionFunctions, EvaluationFaultsAreExceptions)
{
    const TFaultCase Cases[] = {
        {"1/0", TFault::ZeroDivide, "Floating point division by zero"},
        {"0/0", TFault::ZeroDivide, "Floating point division by zero"},
        {"-1/0", TFault::ZeroDivide, nullptr},
        {"7DIV0", TFault::ZeroDivide, "Division by zero"},
        {"7MOD0", TFault::ZeroDivide, "Division by zero"},
        {"7MOD0.5", TFault::ZeroDivide, "Division by zero"},
        {"COTAN(0)", TFault::ZeroDivide, nullptr},
        {"LN(0)", TFault::ZeroDivide, nullptr},
        {"LG(0)", TFault::ZeroDivide, nullptr},
        {"LOG2(0)", TFault::ZeroDivide, nullptr},
        {"LOGN(1,5)", TFault::ZeroDivide, nullptr},
        {"ARCTANH(1)", TFault::ZeroDivide, nullptr},
        {"0^-1", TFault::ZeroDivide, nullptr},
        {"POWER(0,-0.5)", TFault::ZeroDivide, nullptr},
        {"INTPOWER(0,-2)", TFault::ZeroDivide, nullptr},
        {"SQRT(-1)", TFault::InvalidOp, "Invalid floating point operation"},
        {"LN(-1)", TFault::InvalidOp, nullptr},
        {"LOG10(-1)", TFault::InvalidOp, nullptr},
        {"ARCSIN(1.0000001)", TFault::InvalidOp, nullptr},
        {"ARCSIN(-2)", TFault::InvalidOp, nullptr},
        {"ARCCOS(2)", TFault::InvalidOp, nullptr},
        {"ARCCOSH(0.5)", TFault::InvalidOp, nullptr},
        {"(-8)^(1/3)", TFault::InvalidOp, nullptr},
        {"POWER(-2,0.5)", TFault::InvalidOp, nullptr},
        {"ROUND(1E19)", TFault::InvalidOp, nullptr},
        {"ROUND(-9.3E18)", TFault::InvalidOp, nullptr},
        {"1E19DIV2", TFault::InvalidOp, nullptr},
        {"5MOD1E300", TFault::InvalidOp, nullptr},
        {"INTPOWER(2,3E9)", TFault::InvalidOp, nullptr},
        {"2^3000000000", TFault::InvalidOp, nullptr},
        {"EXP(1000)", TFault::Overflow, "Floating point overflow"},
        {"1E308*10", TFault::Overflow, nullptr},
        {"1E308+1E308", TFault::Overflow, nullptr},
        {"-1E308-1E308", TFault::Overflow, nullptr},
        {"1E200^2", TFault::Overflow, nullptr},
        {"1E200^3", TFault::Overflow, nullptr},
        {"1E100^4", TFault::Overflow, nullptr},
        {"1E100^5", TFault::Overflow, nullptr},
        {"10^400", TFault::Overflow, nullptr},
        {"1E300/1E-300", TFault::Overflow, nullptr},
        {"COSH(1000)", TFault::Overflow, nullptr},
        {"SINH(-1000)", TFault::Overflow, nullptr},
        {"RADTODEG(1E307)", TFault::Overflow, nullptr},
        {"POWER(10,400.5)", TFault::Overflow, nullptr},
        {"MAX(1,1/0)", TFault::ZeroDivide, nullptr},
        {"HEAV(SQRT(-1))", TFault::InvalidOp, nullptr},
        {"1/(1/0)", TFault::ZeroDivide, nullptr},
    };
    for (const TFaultCase& C : Cases) {
        SCOPED_TRACE(C.Formula);
        TStandardParser P;
        P.SetExpression(C.Formula); // every fault compiles; evaluation raises
        try {
            P.Value();
            FAIL() << "no fault";
        } catch (const EZeroDivide& E) {
            EXPECT_EQ(C.Fault, TFault::ZeroDivide) << E.what();
            if (C.Message) {
                EXPECT_STREQ(E.what(), C.Message);
            }
        } catch (const EInvalidOp& E) {
            EXPECT_EQ(C.Fault, TFault::InvalidOp) << E.what();
            if (C.Message) {
                EXPECT_STREQ(E.what(), C.Message);
            }
        } catch (const EOverflow& E) {
            EXPECT_EQ(C.Fault, TFault::Overflow) << E.what();
            if (C.Message) {
                EXPECT_STREQ(E.what(), C.Message);
            }
        }
        // The fault leaves the parser as it was: the next read faults again.
        EXPECT_THROW(P.Value(), EMathError);
    }
}

TEST(ExpressionFunctions, NonFiniteVariablesNeverPassSilently)
{
    TStandardParser P;
    double* X = P.SetVariable("X", std::nan(""));
    P.SetExpression("X");
    EXPECT_THROW(P.Value(), EInvalidOp);
    P.SetExpression("X+1");
    EXPECT_THROW(P.Value(), EInvalidOp);
    *X = INFINITY;
    EXPECT_THROW(P.Value(), EOverflow); // inf + 1 stays inf: reported
    P.SetExpression("X*0");
    EXPECT_THROW(P.Value(), EInvalidOp);
    *X = 2;
    EXPECT_EQ(P.Value(), 0);
}

TEST(ExpressionFunctions, UnderflowIsNotAFault)
{
    EXPECT_EQ(Eval("EXP(-1000)"), 0);
    EXPECT_EQ(Eval("1E-300*1E-300"), 0);
    EXPECT_EQ(Eval("10^-400"), 0);
    EXPECT_GT(Eval("1E-310"), 0); // a subnormal literal
}

} // namespace
} // namespace kv
