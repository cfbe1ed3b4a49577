// The table's formulas through the real table parser.

#include "DocumentTestSupport.h"
#include "document/KvCommandLine.h"
#include "document/KvDocument.h"
#include "expression/ExpressionParser.h"
#include "foundation/KvFormatSettings.h"
#include "foundation/KvMissing.h"
#include "support/KvValuesText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace {

const std::string DataFolder = KURVEX_TEST_DATA;

class TableParserTest : public testing::Test {
protected:
    void SetUp() override
    {
        Table.SetFormulaEngine(kv::CreateTableFormula());
        Table.OnMessage = [this](const std::string& M) { Messages.push_back(M); };
    }
    void Live(int32_t k, const std::string& Formula)
    {
        Table.Column(k).Formula = Formula;
        Table.Column(k).LiveFormula = true;
    }
    kv::TKvDataTable Table;
    std::vector<std::string> Messages;
};

TEST_F(TableParserTest, LiveColumnFollowsItsSource)
{
    for (double X : {0.0, 0.5, 1.0})
        Table.Data(1).Add(X);
    Live(2, "A*2+SIN(A)");
    Live(3, "A(#-1)+#");
    Table.RecalculateAll();
    ASSERT_EQ(Table.Data(2).Count(), 3);
    for (int32_t i = 0; i < 3; ++i)
        EXPECT_DOUBLE_EQ(Table.Data(2)[i], Table.Data(1)[i] * 2 + std::sin(Table.Data(1)[i]));
    // row 1 reads A(0): reported, no value
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], "Error in Cell: C1 row 0 holds no value");
    EXPECT_EQ(Table.Data(3).Count(), 3);
    EXPECT_EQ(Table.Data(3)[0], 0);
    EXPECT_EQ(Table.Data(3)[1], 2);
    EXPECT_EQ(Table.Data(3)[2], 3.5);
}

struct TMissingCase {
    const char* Formula;
    const char* Values; // of the live column B over A = 1, -, 3, 4
    size_t Messages;
};

class MissingOperandTest : public testing::TestWithParam<TMissingCase> {};

// An empty operand makes the row's result empty without a message; a fault
// and a row past a column's end are still errors.
TEST_P(MissingOperandTest, GivesAnEmptyResultAndNoMessage)
{
    kv::TKvDataTable Table;
    Table.SetFormulaEngine(kv::CreateTableFormula());
    std::vector<std::string> Messages;
    Table.OnMessage = [&](const std::string& M) { Messages.push_back(M); };
    for (double X : {1.0, kv::MissingValue(), 3.0, 4.0})
        Table.Data(1).Add(X);
    Table.Column(2).Formula = GetParam().Formula;
    Table.Column(2).LiveFormula = true;
    Table.RecalculateAll();
    EXPECT_EQ(kv::test::ValuesText(Table.Data(2).Values()), GetParam().Values);
    EXPECT_EQ(Messages.size(), GetParam().Messages) << (Messages.empty() ? "" : Messages.front());
}

INSTANTIATE_TEST_SUITE_P(
    Formulas, MissingOperandTest,
    testing::Values(TMissingCase{"A*2+SIN(A)*0", "2 - 6 8", 0},
                    TMissingCase{"A(#+1)", "- 3 4", 1},   // row 4 reads past A's end: an error
                    TMissingCase{"A(#-1)+A", "0 - - 7", 1}, // row 1 reads A(0); a missing either side
                    TMissingCase{"1/(A-3)", "-0.5 - 0 1", 1}, // row 3 divides by zero: error, 0
                    TMissingCase{"#", "1 2 3 4", 0}));    // no column read, nothing missing

// The block path of the parser (many rows at once) agrees with the rows
// one by one: a block with an empty cell goes row by row.
TEST(TableParserBlocks, MissingRowsAreHandedOverAsMissing)
{
    kv::TKvRealVector A;
    for (int32_t i = 0; i < 5000; ++i)
        A.Add(i % 1000 == 7 ? kv::MissingValue() : i * 0.5);
    kv::TTableParser Parser;
    const kv::TKvRealVector* Columns[] = {&A};
    Parser.SetColumns(Columns);
    Parser.SetExpression("A(#)*2");
    std::vector<double> Out(5000, -1.0);
    std::vector<int32_t> MissingRows;
    Parser.ValuesOfRows(1, Out, [&](int32_t Row, const kv::EKvError& E) {
        EXPECT_NE(dynamic_cast<const kv::EMissingValue*>(&E), nullptr) << E.what();
        MissingRows.push_back(Row);
    });
    EXPECT_EQ(MissingRows, (std::vector<int32_t>{8, 1008, 2008, 3008, 4008}));
    for (int32_t i = 0; i < 5000; ++i) {
        if (i % 1000 != 7) {
            ASSERT_EQ(Out[static_cast<size_t>(i)], i * 1.0) << i;
        }
    }
}

TEST_F(TableParserTest, FaultsAreReportedPerCell)
{
    Table.Data(1).Add(1);
    Table.Data(1).Add(0);
    Live(2, "1/A");
    Live(3, "A*");
    Table.RecalculateAll();
    EXPECT_EQ(Table.Data(2).Count(), 1);
    ASSERT_EQ(Messages.size(), 3u);
    EXPECT_EQ(Messages[0].rfind("Error in Cell: B2 ", 0), 0u) << Messages[0];
    EXPECT_EQ(Messages[1].rfind("Error in Cell: C1 Error parsing expression:", 0), 0u) << Messages[1];
}

TEST_F(TableParserTest, LettersBeyondTheTableFail)
{
    Table.SetMaxColumns(3);
    Table.Data(1).Add(1);
    Live(2, "D+1");
    Table.RecalculateAll();
    EXPECT_EQ(Table.Data(2).Count(), 0);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], "Error in Cell: B1 Column D does not exist");
}

TEST_F(TableParserTest, WideTablesReadOnlyLetteredColumns)
{
    Table.SetMaxColumns(30);
    Table.Data(26).Add(4);
    Live(28, "Z*2");
    Table.RecalculateAll();
    ASSERT_EQ(Table.Data(28).Count(), 1);
    EXPECT_EQ(Table.Data(28)[0], 8);
}

TEST_F(TableParserTest, RandomInAnyCase)
{
    for (int i = 0; i < 20; ++i)
        Table.Data(1).Add(i);
    Live(2, "rAnDoM");
    Table.RecalculateAll();
    ASSERT_EQ(Table.Data(2).Count(), 20);
    for (double X : Table.Data(2).Values()) {
        EXPECT_GE(X, 0.0);
        EXPECT_LT(X, 1.0);
    }
    EXPECT_TRUE(Messages.empty());
}

TEST_F(TableParserTest, LocaleNumbersInFormulas)
{
    kv::TKvScopedFormatSettings Comma({',', ';'});
    Table.Data(1).Add(2);
    Live(2, "A*1,5");
    Table.RecalculateAll();
    ASSERT_EQ(Table.Data(2).Count(), 1);
    EXPECT_EQ(Table.Data(2)[0], 3);
}

TEST(TableParserSettingsTest, NamedConstantsComeFromTheSettingsFile)
{
    kvtest::TScratchFolder Folder;
    const std::string Settings = Folder.File("kurvex.usr");
    kvtest::WriteAll(Settings, "[CalculationConstants]\r\nGRAV=9.81\r\n");
    kv::TKvDataTable Table;
    Table.SetFormulaEngine(kv::CreateTableFormula(Settings));
    Table.Data(1).Add(2);
    Table.Column(2).Formula = "A*GRAV";
    Table.Column(2).LiveFormula = true;
    Table.RecalculateAll();
    ASSERT_EQ(Table.Data(2).Count(), 1);
    EXPECT_DOUBLE_EQ(Table.Data(2)[0], 19.62);
}

kv::TKvCommandLine Parse(std::vector<std::string> Args) { return kv::ParseCommandLine(Args); }

TEST(CommandLineExportTest, WritesTheRecomputedTable)
{
    kvtest::TScratchFolder Folder;
    const std::string Out = Folder.File("out.txt");
    std::ostringstream O, E;
    EXPECT_EQ(kv::RunCommandLine(Parse({DataFolder + "/document-damaged.plt", "--export-table", Out}), O, E), 0);
    // B never compiles and stays out; C stops where A ends; D has six rows
    // A's unreadable and empty pieces stay empty in their rows, and so do C's cells reading them
    EXPECT_EQ(kvtest::ReadAll(Out), "Time\t\t\r\n1\t2\t7\r\n2\t\t7\r\n\t3\t7\r\n3\t\t7\r\n\t5\t7\r\n5\t\t7\r\n");
    EXPECT_NE(E.str().find("Error in Cell: B1 Error parsing expression: "), std::string::npos) << E.str();
    EXPECT_NE(E.str().find("Error in Cell: C6 row 7 holds no value\n"), std::string::npos);
}

TEST(CommandLineExportTest, ListSeparatorComesFromTheLocale)
{
    kv::TKvScopedFormatSettings Comma({',', ';'});
    kvtest::TScratchFolder Folder;
    const std::string Out = Folder.File("out.txt");
    std::ostringstream O, E;
    EXPECT_EQ(kv::RunCommandLine(Parse({DataFolder + "/document-minimal.plt", "--export-table", Out, "--list"}), O, E),
              0);
    EXPECT_EQ(kvtest::ReadAll(Out), "Time;\r\n1;2\r\n2,5;5\r\n0,001;0,002\r\n");
    EXPECT_TRUE(E.str().empty());
}

} // namespace
