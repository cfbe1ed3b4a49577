// The parser objects: expression assignment, variables and their cells,
// the error handler, the fit and table parsers, named constants.

#include "expression/ExpressionParser.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <typeinfo>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kv {
namespace {

TEST(CustomParser, ValueBeforeAndAfterAssignment)
{
    TCustomParser P;
    EXPECT_TRUE(P.PascalNumberformat());
    EXPECT_EQ(P.Value(), 0.0);
    P.SetExpression("2*PI");
    EXPECT_EQ(P.Value(), 6.283185307179586);
    EXPECT_EQ(P.Expression(), "2*PI");
    P.SetExpression("");
    EXPECT_EQ(P.Compiled(), nullptr);
    EXPECT_EQ(P.Value(), 0.0);
}

TEST(CustomParser, SetVariableNames)
{
    TCustomParser P;
    try {
        P.SetVariable("Div2", 1);
        FAIL();
    } catch (const EBadName& E) {
        EXPECT_STREQ(E.what(), "DIV2");
    }
    try {
        P.SetVariable("2x", 1);
        FAIL();
    } catch (const EBadName& E) {
        EXPECT_STREQ(E.what(), "2x");
    }
    EXPECT_THROW(P.SetVariable("xmodel", 1), EBadName);
    EXPECT_THROW(P.SetVariable("a-b", 1), EBadName);
    EXPECT_THROW(P.SetVariable("", 1), EBadName);
    EXPECT_EQ(P.VariableList().Count(), 0);

    double* X = P.SetVariable("x", 4);
    EXPECT_EQ(P.VariableList().Name(0), "X");
    EXPECT_EQ(*X, 4);
    // The same cell for the same name in any case, with the new value.
    EXPECT_EQ(P.SetVariable("X", 5), X);
    EXPECT_EQ(*X, 5);
    double* Underscore = P.SetVariable("_a1", 0);
    EXPECT_EQ(Underscore, P.FindVariable("_A1"));
}

TEST(CustomParser, VariablesAreReadThroughTheirCells)
{
    TCustomParser P;
    double* X = P.SetVariable("X", 1);
    P.SetExpression("X*10");
    const TCompiledExpression* Compiled = P.Compiled();
    EXPECT_EQ(P.Value(), 10);
    *X = 3;
    EXPECT_EQ(P.Value(), 30);
    P.SetVariable("x", 7);
    EXPECT_EQ(P.Value(), 70);
    EXPECT_EQ(P.Compiled(), Compiled); // no recompilation
    // A variable added after the compile is seen by later compiles only.
    P.SetVariable("Y", 2);
    P.SetExpression("X*Y");
    EXPECT_EQ(P.Value(), 14);
}

TEST(CustomParser, ClearVariables)
{
    TFunctionParser P;
    P.SetVariable("G", 9.81);
    P.SetExpression("G*X");
    P.ClearVariables();
    EXPECT_EQ(P.VariableList().Count(), 0);
    EXPECT_EQ(P.Expression(), "");
    EXPECT_EQ(P.Value(), 0.0);
    // X is no longer a name for formulas, but its cell inside the parser
    // object was not released.
    EXPECT_THROW(P.SetExpression("X"), ESyntaxError);
    P.SetX(3);
    EXPECT_EQ(P.X(), 3);
}

TEST(CustomParser, OnParserErrorTakesTheCompileError)
{
    TCustomParser P;
    int Calls = 0;
    std::string Message;
    bool WasSyntax = false;
    P.OnParserError = [&](TCustomParser& Sender, const EMathParserError& E) {
        ++Calls;
        EXPECT_EQ(&Sender, &P);
        Message = E.what();
        WasSyntax = dynamic_cast<const ESyntaxError*>(&E) != nullptr;
    };
    P.SetExpression("1");
    EXPECT_NO_THROW(P.SetExpression("1+"));
    EXPECT_EQ(Calls, 1);
    EXPECT_TRUE(WasSyntax);
    EXPECT_EQ(Message, "Error parsing expression:\r1+");
    EXPECT_TRUE(P.ParseError());
    EXPECT_EQ(P.Value(), 0.0);
    EXPECT_FALSE(P.Compile());
    EXPECT_EQ(Calls, 2);
    P.SetExpression("1+1");
    EXPECT_FALSE(P.ParseError());
    EXPECT_EQ(P.Value(), 2);
}

TEST(CustomParser, CompileErrorsPropagateWithoutHandler)
{
    TCustomParser P;
    P.SetExpression("3");
    EXPECT_THROW(P.SetExpression("(1"), EMissMatchingBracket);
    EXPECT_TRUE(P.ParseError());
    EXPECT_EQ(P.Value(), 0.0); // the failed compile left no list
    EXPECT_THROW(P.SetExpression("1 2"), EExpressionHasBlanks);
    EXPECT_TRUE(P.ParseError());
}

TEST(CustomParser, FunctionRegistration)
{
    TCustomParser P;
    EXPECT_EQ(P.OneArgFunctions().Count(), 0);
    P.SetVariable("X", 0);
    EXPECT_THROW(P.SetExpression("SIN(X)"), ESyntaxError);
    P.RegisterStandardFunctions();
    EXPECT_EQ(P.OneArgFunctions().Count(), 34);
    EXPECT_EQ(P.TwoArgFunctions().Count(), 6);
    EXPECT_THROW(P.RegisterStandardFunctions(), EStringListError);
    P.AddFunctionOne("Twice", [](const TOperationRecord* Op) { *Op->Dest = 2 * *Op->Arg1; });
    EXPECT_THROW(P.AddFunctionOne("TWICE", [](const TOperationRecord*) {}), EStringListError);
    P.SetExpression("twice(3)+sin(0)");
    EXPECT_EQ(P.Value(), 6);
}

TEST(FunctionParser, ParametersAndX)
{
    TFunctionParser P;
    EXPECT_FALSE(P.PascalNumberformat());
    EXPECT_EQ(P.VariableList().Count(), 17);
    P.SetExpression("A*X+B");
    const double Values[] = {2, 3};
    P.SetParameterValues(Values);
    P.SetX(5);
    EXPECT_EQ(P.Value(), 13);
    EXPECT_EQ(P.ValueAt(6), 15);
    // Parameters beyond the values passed keep theirs.
    P.SetParameter(2, 7);
    const double One[] = {1};
    P.SetParameterValues(One);
    EXPECT_EQ(P.Parameter(1), 3);
    EXPECT_EQ(P.Parameter(2), 7);
    // All sixteen parameters, and more values than parameters.
    std::vector<double> Many(20, 1.0);
    P.SetParameterValues(Many);
    P.SetExpression("A+B+C+D+E+F+G+H+I+J+K+L+M+N+O+P");
    EXPECT_EQ(P.Value(), 16);
}

TEST(FunctionParser, EvaluationFaultsLeaveTheParserUsable)
{
    TFunctionParser P;
    P.SetExpression("A/X");
    P.SetParameter(0, 1);
    P.SetX(0);
    EXPECT_THROW(P.Value(), EZeroDivide);
    P.SetX(4);
    EXPECT_EQ(P.Value(), 0.25);
    P.SetExpression("SQRT(X)");
    P.SetX(-1);
    EXPECT_THROW(P.Value(), EInvalidOp);
    P.SetX(9);
    EXPECT_EQ(P.Value(), 3);
    P.SetExpression("EXP(X)");
    P.SetX(1000);
    EXPECT_THROW(P.Value(), EOverflow);
}

TEST(TableParser, RowAndColumns)
{
    TTableParser P;
    EXPECT_FALSE(P.PascalNumberformat());
    TKvRealVector A, B;
    for (double V : {10.0, 20.0, 30.0, 40.0})
        A.Add(V);
    B.Add(1.5);
    P.SetColumn(0, &A);
    P.SetColumn(1, &B);
    P.SetRow(3);
    P.SetExpression("ROW-#");
    EXPECT_EQ(P.Value(), 0);
    P.SetExpression("ROW*100+#");
    EXPECT_EQ(P.Value(), 303);
    P.SetExpression("A(#)*2");
    EXPECT_EQ(P.Value(), 60);
    // Rounded to the nearest row, ties to even.
    P.SetExpression("A(2.5)+A(3.5)+A(1.4)");
    EXPECT_EQ(P.Value(), 20 + 40 + 10);
    P.SetExpression("A(#-1)+B(1)");
    EXPECT_EQ(P.Value(), 21.5);
    // Rebinding needs no recompilation.
    P.SetExpression("A(#)");
    P.SetRow(1);
    EXPECT_EQ(P.Value(), 10);
    P.SetColumn(0, &B);
    EXPECT_EQ(P.Value(), 1.5);
}

TEST(TableParser, ColumnRangeErrors)
{
    TTableParser P;
    TKvRealVector A;
    A.Add(1);
    A.Add(2);
    P.SetColumn(0, &A);
    P.SetExpression("A(#)");
    struct TRangeCase {
        double Row;
        const char* Message;
    };
    const TRangeCase Cases[] = {
        {3, "i=2 index out of range"}, {0, "i=-1 index out of range"}, {0.5, "i=-1 index out of range"},
        {-7, "i=-8 index out of range"}, {1e12, "i=2147483647 index out of range"},
    };
    for (const TRangeCase& C : Cases) {
        SCOPED_TRACE(C.Row);
        P.SetRow(C.Row);
        try {
            P.Value();
            FAIL();
        } catch (const ERangeError& E) {
            EXPECT_STREQ(E.what(), C.Message);
        }
    }
    P.SetRow(2);
    EXPECT_EQ(P.Value(), 2); // the parser is still usable
    // A letter with no column bound fails instead of reading anything.
    P.SetExpression("C(1)");
    try {
        P.Value();
        FAIL();
    } catch (const ERangeError& E) {
        EXPECT_STREQ(E.what(), "Column C does not exist");
    }
    const TKvRealVector* Columns[] = {&A};
    P.SetColumns(Columns);
    EXPECT_EQ(P.Column(0), &A);
    EXPECT_EQ(P.Column(1), nullptr);
    EXPECT_THROW(P.SetColumn(26, &A), ERangeError);
}

// The block evaluation gives every row the value and the error of its own
// evaluation, across block boundaries.
TEST(TableParser, ValuesOfRowsEqualsRowByRow)
{
    TTableParser P;
    TKvRealVector A, B;
    for (int i = 0; i < 700; ++i) {
        A.Add(i % 7 == 3 ? 0.0 : (i % 5) - 1.5 + i * 0.01);
        B.Add(std::sin(i) * 100);
    }
    P.SetColumn(0, &A);
    P.SetColumn(1, &B);
    P.SetVariable("K", 2.5);
    const char* Formulas[] = {
        "A(#)*2+B(#)", "SIN(A(#))*B(#)+A(#)^2-3*B(#)", "(A(#)-B(#))/(A(#)+B(#)+1)*EXP(-A(#)/1000)",
        "1/A(#)", "A(#+1)", "A(#-600)", "SQRT(A(#))", "ROUND(B(#))", "B(#)MOD3", "LOGN(2,ABS(A(#)))",
        "#", "3", "K*#", "ROW^3-A(ROW)^5", "C(1)", "MAX(A(#),1/A(#))", "A(#)^K", "EXP(B(#))",
        "POWER(A(#),0.5)", "INTPOWER(B(#),3)",
    };
    const int32_t FirstRow = 3;
    for (const char* F : Formulas) {
        SCOPED_TRACE(F);
        P.SetExpression(F);
        std::vector<double> Expected(650, -1), Got(650, -1);
        std::vector<std::string> ExpectedErrors(650), GotErrors(650);
        for (int32_t k = 0; k < 650; ++k) {
            P.SetRow(FirstRow + k);
            try {
                Expected[static_cast<size_t>(k)] = P.Value();
            } catch (const EKvError& E) {
                ExpectedErrors[static_cast<size_t>(k)] = typeid(E).name() + std::string(": ") + E.what();
            }
        }
        P.ValuesOfRows(FirstRow, Got, [&](int32_t Row, const EKvError& E) {
            GotErrors[static_cast<size_t>(Row - FirstRow)] = typeid(E).name() + std::string(": ") + E.what();
        });
        EXPECT_EQ(Got, Expected);
        EXPECT_EQ(GotErrors, ExpectedErrors);
        EXPECT_EQ(P.Row(), FirstRow + 649);
    }
    // Without a handler the first fault is raised.
    P.SetExpression("1/A(#)");
    std::vector<double> Out(20);
    EXPECT_THROW(P.ValuesOfRows(1, Out), EZeroDivide);
    EXPECT_EQ(P.Row(), 4);
}

TEST(FunctionParser, ValuesAtEqualsValueAt)
{
    TFunctionParser P;
    const double Parameters[] = {1.5, -0.25, 3};
    P.SetParameterValues(Parameters);
    std::vector<double> Xs;
    for (int i = 0; i < 600; ++i)
        Xs.push_back(i * 0.37 - 50);
    for (const char* F : {"A*EXP(B*X)+C", "A*X^2+B*X+C", "SIN(X)/X", "3", "X", "ARCTAN(X)*C"}) {
        SCOPED_TRACE(F);
        P.SetExpression(F);
        std::vector<double> Got(Xs.size());
        P.ValuesAt(Xs, Got);
        for (size_t i = 0; i < Xs.size(); ++i)
            ASSERT_EQ(Got[i], P.ValueAt(Xs[i])) << i;
    }
    // A fault stops at the first X that faults, with that X's error.
    P.SetExpression("1/(X-10)");
    std::vector<double> Xs2 = {1, 2, 10, 11};
    std::vector<double> Out(4);
    EXPECT_THROW(P.ValuesAt(Xs2, Out), EZeroDivide);
    EXPECT_EQ(P.X(), 10);
    EXPECT_EQ(Out[1], 1.0 / (2 - 10));
}

class NamedConstants : public ::testing::Test {
protected:
    void SetUp() override
    {
        FileName = (std::filesystem::temp_directory_path() /
                    ("kurvex_constants_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".usr"))
                       .string();
        std::ofstream F(FileName, std::ios::binary);
        F << "[Other]\r\nQ=1\r\n[CalculationConstants]\r\nG=9.81\r\nC0=2.5E2\r\n2x=1\r\nDiv3=4\r\nH=abc\r\nA=7\r\n"
             "[Last]\r\nZ=3\r\n";
    }
    void TearDown() override { std::filesystem::remove(FileName); }
    std::string FileName;
};

TEST_F(NamedConstants, BothParsersReadThemAsVariables)
{
    TFunctionParser F(FileName);
    F.SetExpression("G*X");
    F.SetX(2);
    EXPECT_DOUBLE_EQ(F.Value(), 19.62);
    // G is a parameter of the fit formula: the constant just sets it.
    EXPECT_DOUBLE_EQ(F.Parameter(6), 9.81);
    EXPECT_DOUBLE_EQ(F.Parameter(0), 7);
    EXPECT_EQ(F.VariableList().Count(), 18); // A..P, X and C0

    TTableParser T(FileName);
    T.SetExpression("G+C0");
    EXPECT_DOUBLE_EQ(T.Value(), 259.81);
    EXPECT_EQ(T.FindVariable("Q"), nullptr);
    EXPECT_EQ(T.FindVariable("Z"), nullptr);
    // The constants are ordinary variables.
    T.SetVariable("g", 1);
    EXPECT_DOUBLE_EQ(T.Value(), 251);
    // Lines that do not make a variable are skipped and reported.
    const std::vector<std::string> Skipped = {"2x=1", "Div3=4", "H=abc"};
    EXPECT_EQ(T.ConstantErrors(), Skipped);
}

TEST_F(NamedConstants, MissingFileGivesNoConstants)
{
    TTableParser T(FileName + ".missing");
    EXPECT_EQ(T.VariableList().Count(), 2);
    EXPECT_FALSE(std::filesystem::exists(FileName + ".missing"));
}

} // namespace
} // namespace kv
