// The formula compiler: the edge cases of the language, every compile error
// with its message, precedence and associativity, the compiled tokens and
// the evaluation order.

#include "expression/ExpressionCompiler.h"
#include "expression/ExpressionOperations.h"
#include "expression/ExpressionParser.h"
#include "foundation/KvFormatSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

namespace kv {
namespace {

// A parser with the standard functions and the variables X and Y.
class TTestParser : public TCustomParser {
public:
    TTestParser()
    {
        RegisterStandardFunctions();
        SetVariable("X", 0);
        SetVariable("Y", 0);
    }
};

enum class TOutcome { Value, Syntax, Blanks, Brackets, Nestings, Complex };

struct TCase {
    const char* Formula;
    TOutcome Outcome;
    double Expected; // for TOutcome::Value
    const char* Message; // for errors: the exact message, or nullptr
};

std::string RepeatJoin(const std::string& Item, const std::string& Sep, int N)
{
    std::string S = Item;
    for (int i = 1; i < N; ++i)
        S += Sep + Item;
    return S;
}

TEST(ExpressionCompiler, EdgeCaseTable)
{
    const double Pi = 3.141592653589793;
    const std::string Sum21 = RepeatJoin("1", "+", 21);
    const std::string Sum22 = RepeatJoin("1", "+", 22);
    const TCase Cases[] = {
        {"2+3*4", TOutcome::Value, 14, nullptr},
        {"2^3", TOutcome::Value, 8, nullptr},
        {"2^0.5", TOutcome::Value, std::sqrt(2.0), nullptr},
        {"2^-1", TOutcome::Value, 0.5, nullptr},
        {"-2^2", TOutcome::Value, -4, nullptr},
        {"(-2)^2", TOutcome::Value, 4, nullptr},
        {"2*-3", TOutcome::Value, -6, nullptr},
        {"2*-X", TOutcome::Syntax, 0, "Error parsing expression:\r2\r-X"},
        {"2^3^2", TOutcome::Syntax, 0, nullptr},
        {"(2^3)^2", TOutcome::Value, 64, nullptr},
        {"2^(3^2)", TOutcome::Value, 512, nullptr},
        {"10-4-3", TOutcome::Value, 3, nullptr},
        {"8/4/2", TOutcome::Value, 1, nullptr},
        {"7DIV2", TOutcome::Value, 3, nullptr},
        {"-7MOD3", TOutcome::Value, -1, nullptr},
        {"7.9DIV2", TOutcome::Value, 3, nullptr},
        {"sin(pi/2)", TOutcome::Value, 1, nullptr},
        {"pi", TOutcome::Value, Pi, nullptr},
        {"-pi", TOutcome::Value, -Pi, nullptr},
        {" 1+2 ", TOutcome::Value, 3, nullptr},
        {"1 + 2", TOutcome::Blanks, 0, "Expression has blanks"},
        {"(1+2", TOutcome::Brackets, 0, "Missing brackets in expression (\")\")"},
        {"1+2)", TOutcome::Brackets, 0, "Missing brackets in expression (\"(\")"},
        {")1+2(", TOutcome::Syntax, 0, nullptr},
        {"+5", TOutcome::Value, 5, nullptr},
        {"+X", TOutcome::Syntax, 0, "Error parsing expression:\r+X"},
        {Sum21.c_str(), TOutcome::Value, 21, nullptr},
        {Sum22.c_str(), TOutcome::Nestings, 0, "Expression contains too many nestings"},
        {"MAX(1,2)", TOutcome::Value, 2, nullptr},
        {"ROUND(2.5)", TOutcome::Value, 2, nullptr},
        {"ROUND(3.5)", TOutcome::Value, 4, nullptr},
        {"CEIL(-1.5)", TOutcome::Value, -1, nullptr},
        {"FLOOR(-1.5)", TOutcome::Value, -2, nullptr},
        {"HEAV(0)", TOutcome::Value, 1, nullptr},
        {"ZERO(0)", TOutcome::Value, 0, nullptr},
        {"ZERO(5)", TOutcome::Value, 1, nullptr},
        {"SIGN(0)", TOutcome::Value, 0, nullptr},
        {"ARG(0,0)", TOutcome::Value, -Pi / 2, nullptr},
        {"ARG(-1,0)", TOutcome::Value, Pi, nullptr},
        {"1E+3", TOutcome::Value, 1000, nullptr},
        {"2E-3", TOutcome::Value, 0.002, nullptr},
        {"-5", TOutcome::Value, -5, nullptr},
        {"((2))", TOutcome::Value, 2, nullptr},
        {"()", TOutcome::Syntax, 0, nullptr},
        {"1+", TOutcome::Syntax, 0, "Error parsing expression:\r1+"},
        {"X+-Y", TOutcome::Syntax, 0, nullptr},
        {"X^-Y", TOutcome::Syntax, 0, nullptr},
        {"--X", TOutcome::Syntax, 0, nullptr},
        {"X*-2", TOutcome::Value, -4, nullptr}, // X is 2
        {"X^-1", TOutcome::Value, 0.5, nullptr},
        {"1E999", TOutcome::Syntax, 0, nullptr},
        {"SIN(X)Y", TOutcome::Syntax, 0, nullptr},
        {"SIN()", TOutcome::Syntax, 0, nullptr},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Formula);
        TTestParser P;
        *P.FindVariable("X") = 2;
        const double Expected = C.Expected;
        try {
            P.SetExpression(C.Formula);
            ASSERT_EQ(C.Outcome, TOutcome::Value) << "compiled, but an error was expected";
            EXPECT_FALSE(P.ParseError());
            EXPECT_DOUBLE_EQ(P.Value(), Expected);
        } catch (const EMathParserError& E) {
            EXPECT_TRUE(P.ParseError());
            switch (C.Outcome) {
            case TOutcome::Value:
                FAIL() << "unexpected compile error: " << E.what();
                break;
            case TOutcome::Syntax:
                EXPECT_NE(dynamic_cast<const ESyntaxError*>(&E), nullptr) << E.what();
                break;
            case TOutcome::Blanks:
                EXPECT_NE(dynamic_cast<const EExpressionHasBlanks*>(&E), nullptr) << E.what();
                break;
            case TOutcome::Brackets:
                EXPECT_NE(dynamic_cast<const EMissMatchingBracket*>(&E), nullptr) << E.what();
                break;
            case TOutcome::Nestings:
                EXPECT_NE(dynamic_cast<const ETooManyNestings*>(&E), nullptr) << E.what();
                break;
            case TOutcome::Complex:
                EXPECT_NE(dynamic_cast<const EExpressionTooComplex*>(&E), nullptr) << E.what();
                break;
            }
            if (C.Message) {
                EXPECT_EQ(std::string(E.what()), C.Message);
            }
        }
    }
}

// The tokens the compiler gives the power forms and the single atoms.
TEST(ExpressionCompiler, PowerTokensAndPlaceholder)
{
    struct TTokenCase {
        const char* Formula;
        uint8_t Token;
        size_t Count;
    };
    const TTokenCase Cases[] = {
        {"X^2", TkSquare, 1},       {"X^3", TkCube, 1},        {"X^4", TkFourthPower, 1},
        {"X^(4)", TkFourthPower, 1}, {"X^5", TkIntegerPower, 1}, {"X^-1", TkIntegerPower, 1},
        {"X^0.5", TkPower, 1},      {"X^PI", TkPower, 1},      {"X^Y", TkPower, 1},
        {"pi", TkVariable, 1},      {"((X))", TkVariable, 1},  {"-X", TkNegate, 1},
        {"SIN(X)", TkFunctionOne, 1}, {"MAX(X,Y)", TkFunctionTwo, 1},
    };
    for (const TTokenCase& C : Cases) {
        SCOPED_TRACE(C.Formula);
        TTestParser P;
        P.SetExpression(C.Formula);
        const TCompiledExpression* E = P.Compiled();
        ASSERT_NE(E, nullptr);
        ASSERT_EQ(E->Count(), C.Count);
        EXPECT_EQ(E->Operations().back().Token, C.Token);
    }
    // ((X)): the placeholder reads the variable's own cell.
    TTestParser P;
    P.SetExpression("((X))");
    EXPECT_EQ(P.Compiled()->Result(), P.FindVariable("X"));
    EXPECT_EQ(P.Compiled()->Depth(), 0);
    // 2^3: a cube of the constant, the exponent is not compiled.
    P.SetExpression("2^3");
    EXPECT_EQ(P.Compiled()->Operations()[0].Token, TkCube);
    EXPECT_EQ(P.Compiled()->Operations()[0].Arg2, nullptr);
}

// Precedence and associativity, each rule with values that tell the two
// readings apart.
TEST(ExpressionCompiler, PrecedenceAndAssociativity)
{
    struct TRule {
        const char* Formula;
        std::function<double(double, double, double)> Reading;
    };
    const double A = 7, B = 3, C = 2;
    const TRule Rules[] = {
        {"A+B+C", [](double a, double b, double c) { return a + (b + c); }},
        {"A-B-C", [](double a, double b, double c) { return (a - b) - c; }},
        {"A-B+C", [](double a, double b, double c) { return (a - b) + c; }},
        {"A+B-C", [](double a, double b, double c) { return a + (b - c); }},
        {"A*B*C", [](double a, double b, double c) { return a * (b * c); }},
        {"A*B/C", [](double a, double b, double c) { return a * (b / c); }},
        {"A/B*C", [](double a, double b, double c) { return (a / b) * c; }},
        {"A/B/C", [](double a, double b, double c) { return (a / b) / c; }},
        {"ADIVB/C", [](double a, double b, double c) { return std::trunc(a / b) / c; }},
        {"A*BDIVC", [](double a, double b, double c) { return a * std::trunc(b / c); }},
        {"AMODB*C", [](double a, double b, double c) { return std::fmod(a, b) * c; }},
        {"-A*B", [](double a, double b, double) { return (-a) * b; }},
        {"-A^C", [](double a, double, double c) { return -std::pow(a, c); }},
        {"-A+B", [](double a, double b, double) { return (-a) + b; }},
        {"-A-B", [](double a, double b, double) { return (-a) - b; }},
        {"A-B*C", [](double a, double b, double c) { return a - b * c; }},
        {"A*B-C", [](double a, double b, double c) { return a * b - c; }},
        {"A/B^C", [](double a, double b, double c) { return a / std::pow(b, c); }},
        {"(A+B)*C", [](double a, double b, double c) { return (a + b) * c; }},
    };
    for (const TRule& R : Rules) {
        SCOPED_TRACE(R.Formula);
        TCustomParser P;
        P.SetVariable("A", A);
        P.SetVariable("B", B);
        P.SetVariable("C", C);
        P.SetExpression(R.Formula);
        EXPECT_DOUBLE_EQ(P.Value(), R.Reading(A, B, C));
    }
    // Errors of the negation and power rules.
    for (const char* Bad : {"A*-B", "A+-B", "A^-B", "--A", "A^B^C", "+A", "A/-B"}) {
        SCOPED_TRACE(Bad);
        TCustomParser P;
        P.SetVariable("A", A);
        P.SetVariable("B", B);
        P.SetVariable("C", C);
        EXPECT_THROW(P.SetExpression(Bad), ESyntaxError);
    }
}

TEST(ExpressionCompiler, SyntaxErrorMessagesShowTheLastSplit)
{
    struct TMessage {
        const char* Formula;
        const char* Message;
    };
    const TMessage Cases[] = {
        {"2*-X", "Error parsing expression:\r2\r-X"},
        {"1+", "Error parsing expression:\r1+"},
        {"X Y", nullptr},
        {"Q", "Error parsing expression:\rQ"},
        // The power form runs last among the splitting forms.
        {"X^Y^X", "Error parsing expression:\rX^Y\rX"},
        // Sum and difference both split; the difference's last split stays.
        {"X+-Y-", "Error parsing expression:\rX+\rY-"},
        {"(1+)", "Error parsing expression:\r(1\r)"},
        {"SIN(X)Y", "Error parsing expression:\rX)Y\r"},
        {"MAX(X)", "Error parsing expression:\rX\r"},
        {"MAX(X,)", "Error parsing expression:\rX,\r"},
        {"MAX(X,Y,)", "Error parsing expression:\rX\rY,"},
    };
    for (const TMessage& C : Cases) {
        SCOPED_TRACE(C.Formula);
        TTestParser P;
        try {
            P.SetExpression(C.Formula);
            FAIL() << "compiled";
        } catch (const EMathParserError& E) {
            if (C.Message) {
                EXPECT_EQ(std::string(E.what()), C.Message);
            }
        }
    }
}

TEST(ExpressionCompiler, TooComplexAtFiftyOnePositions)
{
    TTestParser P;
    // A balanced tree of sums of calls: level L holds 2^L terms.
    std::function<std::string(int)> Tree = [&](int Depth) -> std::string {
        if (Depth == 0)
            return "SIN(1)";
        return "(" + Tree(Depth - 1) + "+" + Tree(Depth - 1) + ")";
    };
    EXPECT_NO_THROW(P.SetExpression(Tree(5))); // 32 positions on one level
    try {
        P.SetExpression(Tree(6)); // 64 calls on level 6
        FAIL() << "compiled";
    } catch (const EExpressionTooComplex& E) {
        EXPECT_STREQ(E.what(), "Expression is too complex");
        EXPECT_TRUE(P.ParseError());
    }
}

TEST(ExpressionCompiler, DepthLimitCountsOperatorLevelsNotBrackets)
{
    TTestParser P;
    // Brackets add no level of their own.
    std::string Deep = "X";
    for (int i = 0; i < 500; ++i)
        Deep = "(" + Deep + ")";
    *P.FindVariable("X") = 3;
    P.SetExpression(Deep + "+1");
    EXPECT_DOUBLE_EQ(P.Value(), 4);
    EXPECT_EQ(P.Compiled()->Depth(), 1);
    // 20 chained differences reach level 20; 21 do not compile.
    P.SetExpression(RepeatJoin("X", "-", 21));
    EXPECT_EQ(P.Compiled()->Depth(), 20);
    EXPECT_DOUBLE_EQ(P.Value(), 3 - 20 * 3);
    EXPECT_THROW(P.SetExpression(RepeatJoin("X", "-", 22)), ETooManyNestings);
}

TEST(ExpressionCompiler, EvaluationOrderIsDeepestLevelFirst)
{
    TTestParser P;
    P.SetExpression("(X+1)*(Y+2)");
    const auto Ops = P.Compiled()->Operations();
    ASSERT_EQ(Ops.size(), 3u);
    EXPECT_EQ(Ops[0].Token, TkSum);
    EXPECT_EQ(Ops[1].Token, TkSum);
    EXPECT_EQ(Ops[2].Token, TkProduct);
    EXPECT_EQ(Ops[0].Next, &Ops[1]);
    EXPECT_EQ(Ops[2].Next, nullptr);
    // The product reads the two sums' result cells.
    EXPECT_EQ(Ops[2].Arg1, Ops[0].Dest);
    EXPECT_EQ(Ops[2].Arg2, Ops[1].Dest);
    EXPECT_EQ(Ops[0].Arg1, P.FindVariable("X"));
}

TEST(ExpressionCompiler, LocaleNumbersAndListSeparator)
{
    {
        TKvScopedFormatSettings Comma({',', ','});
        TTestParser P;
        P.SetPascalNumberformat(false);
        // The first usable separator splits: 1 and 5,2.
        P.SetExpression("MAX(1,5,2)");
        EXPECT_DOUBLE_EQ(P.Value(), 5.2);
        P.SetExpression("2,5*2");
        EXPECT_DOUBLE_EQ(P.Value(), 5);
        EXPECT_THROW(P.SetExpression("2.5"), ESyntaxError);
        // With invariant numbers the point is the separator again.
        P.SetPascalNumberformat(true);
        P.SetExpression("2.5*2");
        EXPECT_DOUBLE_EQ(P.Value(), 5);
    }
    {
        TKvScopedFormatSettings Semicolon({',', ';'});
        TTestParser P;
        P.SetPascalNumberformat(false);
        P.SetExpression("MIN(1,5;2)");
        EXPECT_DOUBLE_EQ(P.Value(), 1.5);
    }
}

TEST(ExpressionCompiler, ExponentLiteralsOnBothSides)
{
    TTestParser P;
    *P.FindVariable("X") = 2;
    for (const char* F : {"1E+3*X", "X*1E+3"}) {
        SCOPED_TRACE(F);
        P.SetExpression(F);
        ASSERT_EQ(P.Compiled()->Count(), 1u);
        const TOperationRecord& Op = P.Compiled()->Operations()[0];
        EXPECT_EQ(Op.Token, TkProduct);
        EXPECT_EQ(std::string(F) == "X*1E+3" ? *Op.Arg2 : *Op.Arg1, 1000);
        EXPECT_DOUBLE_EQ(P.Value(), 2000);
    }
}

TEST(ExpressionCompiler, ParseErrorFlagOfTheRoutine)
{
    TTestParser P;
    bool Flag = true;
    auto E = ParseExpression("1+2", P.VariableList(), P.OneArgFunctions(), P.TwoArgFunctions(), true, &Flag);
    EXPECT_FALSE(Flag);
    EXPECT_THROW(ParseExpression("1+", P.VariableList(), P.OneArgFunctions(), P.TwoArgFunctions(), true, &Flag),
                 ESyntaxError);
    EXPECT_TRUE(Flag);
    EXPECT_THROW(ParseExpression(RepeatJoin("1", "+", 22), P.VariableList(), P.OneArgFunctions(),
                                 P.TwoArgFunctions(), true, &Flag),
                 ETooManyNestings);
    EXPECT_TRUE(Flag);
    Flag = false;
    EXPECT_THROW(ParseExpression("1 +2", P.VariableList(), P.OneArgFunctions(), P.TwoArgFunctions(), true, &Flag),
                 EExpressionHasBlanks);
    EXPECT_FALSE(Flag);
    // The empty text (a parser never compiles it) matches no form.
    try {
        ParseExpression("  ", P.VariableList(), P.OneArgFunctions(), P.TwoArgFunctions(), true, &Flag);
        FAIL();
    } catch (const ESyntaxError& E) {
        EXPECT_STREQ(E.what(), "Error parsing expression:\r");
    }
}

} // namespace
} // namespace kv
