#include "document/KvDataTable.h"
#include "foundation/KvFormatSettings.h"
#include "foundation/KvMissing.h"
#include "support/KvValuesText.h"

#include <gtest/gtest.h>

namespace {

std::vector<double> Values(const kv::TKvDataTable& T, int32_t k)
{
    auto V = T.Data(k).Values();
    return {V.begin(), V.end()};
}

TEST(TextTableTest, ExportSkipsEmptyColumnsAndImportPacksThem)
{
    kv::TKvDataTable Table;
    Table.Column(1).Header = "\\bTime\\b";
    Table.Data(1).SetValue(0, 1);
    Table.Data(1).SetValue(1, 2.5);
    Table.Data(1).SetValue(2, 0.001);
    Table.Column(3).Header = "U";
    Table.Data(3).SetValue(0, -3);
    const std::string Text = Table.ExportText('\t');
    EXPECT_EQ(Text, "Time\tU\r\n1\t-3\r\n2.5\t\r\n0.001\t\r\n");

    kv::TKvDataTable Back;
    Back.Column(2).Formula = "A*2";
    Back.Column(2).LiveFormula = true;
    Back.ImportText(Text, '\t');
    EXPECT_EQ(Back.Column(1).Header, "Time");
    EXPECT_EQ(Back.Column(2).Header, "U");
    EXPECT_EQ(Values(Back, 1), (std::vector<double>{1, 2.5, 0.001}));
    // the missing cells of the file are zeros
    EXPECT_EQ(Values(Back, 2), (std::vector<double>{-3, 0, 0}));
    EXPECT_FALSE(Back.Column(2).LiveFormula);
    EXPECT_EQ(Back.Column(2).Formula, "A*2"); // formula texts stay
    EXPECT_TRUE(Back.Modified());
}

TEST(TextTableTest, ExportUsesTheLocaleAndTheListSeparator)
{
    kv::TKvScopedFormatSettings Comma({',', ';'});
    kv::TKvDataTable Table;
    Table.Data(1).SetValue(0, 1.5);
    Table.Data(2).SetValue(0, 2);
    Table.Column(2).Header = "x\\+2";
    EXPECT_EQ(Table.ExportText(';'), ";x2\r\n1,5;2\r\n");
    kv::TKvDataTable Back;
    Back.ImportText("a;b\r\n1,5;2", ';');
    EXPECT_EQ(Values(Back, 1), (std::vector<double>{1.5}));
}

TEST(TextTableTest, ExportOfAnEmptyTableIsOneEmptyLine)
{
    kv::TKvDataTable Table;
    EXPECT_EQ(Table.ExportText('\t'), "\r\n");
}

TEST(TextTableTest, ExportWritesLiveColumnsUpToTheDataCount)
{
    kv::TKvDataTable Table;
    Table.Data(1).SetValue(0, 1);
    Table.Column(2).Formula = "A";
    Table.Column(2).LiveFormula = true;
    Table.Data(2).SetValue(0, 1);
    Table.Data(2).SetValue(1, 9); // longer than the data: cut
    EXPECT_EQ(Table.ExportText('\t'), "\t\r\n1\t1\r\n");
}

struct TImportCase {
    const char* Name;
    const char* Text;
    std::vector<std::string> Headers;
    std::vector<std::vector<double>> Columns; // A, B, C
};

class ImportTest : public testing::TestWithParam<TImportCase> {};

TEST_P(ImportTest, ReadsCaptionsAndRows)
{
    kv::TKvDataTable Table;
    Table.ImportText(GetParam().Text, '\t');
    for (size_t i = 0; i < 3; ++i) {
        const int32_t k = static_cast<int32_t>(i + 1);
        EXPECT_EQ(Table.Column(k).Header, i < GetParam().Headers.size() ? GetParam().Headers[i] : "") << k;
        // as text, so that empty cells compare equal
        EXPECT_EQ(kv::test::ValuesText(Table.Data(k).Values()), kv::test::ValuesText(GetParam().Columns[i])) << k;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, ImportTest,
    testing::Values(TImportCase{"CaptionsOnly", "a\tb\tc\r\n", {"a", "b", "c"}, {{}, {}, {}}},
                    TImportCase{"Ragged", "a\tb\tc\n1\t2\t3\n4\n5\t6\t7\n", {"a", "b", "c"},
                                {{1, 4, 5}, {2, kv::MissingValue(), 6}, {3, kv::MissingValue(), 7}}}, // cells the short line lacks are empty
                    TImportCase{"NonNumbers", "x\n1\tfoo\t\n", {"x"}, {{1}, {0}, {0}}},
                    TImportCase{"CrOnlyAndBlanks", "h\r 2 \r\r", {"h"}, {{2}, {}, {}}},
                    TImportCase{"Empty", "", {}, {{}, {}, {}}}),
    [](const auto& Info) { return std::string(Info.param.Name); });

TEST(TextTableTest, ImportIgnoresCellsBeyondTheLastColumn)
{
    kv::TKvDataTable Table(2);
    Table.ImportText("a\tb\tc\n1\t2\t3\n", '\t');
    EXPECT_EQ(Table.MaxColumns(), 2);
    EXPECT_EQ(Values(Table, 2), (std::vector<double>{2}));
}

} // namespace
