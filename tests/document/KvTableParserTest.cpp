// The table's formulas through the real table parser.

#include "DocumentTestSupport.h"
#include "document/KvCommandLine.h"
#include "document/KvDocument.h"
#include "foundation/KvFormatSettings.h"

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
    EXPECT_EQ(kvtest::ReadAll(Out), "Time\t\t\r\n1\t2\t7\r\n2\t3\t7\r\n3\t5\t7\r\n5\t\t7\r\n\t\t7\r\n\t\t7\r\n");
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
