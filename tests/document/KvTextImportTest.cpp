// The text-table reader with detection: small files and the cells they must
// give, the detected layouts, the message about unreadable cells, and the
// placements in the table.

#include "document/KvDataTable.h"
#include "document/KvTextDetect.h"
#include "document/KvTextImport.h"
#include "foundation/KvMissing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

const double M = kv::MissingValue();

// Equal cells, a missing cell only equal to a missing one.
bool SameCells(const std::vector<double>& A, const std::vector<double>& B)
{
    return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](double X, double Y) {
               return kv::IsMissing(X) ? kv::IsMissing(Y) : X == Y;
           });
}

std::string Show(const std::vector<std::vector<double>>& Columns)
{
    std::string S;
    for (const auto& C : Columns) {
        S += "[";
        for (double X : C)
            S += (kv::IsMissing(X) ? std::string("M") : std::to_string(X)) + " ";
        S += "] ";
    }
    return S;
}

struct TFileCase {
    const char* Name;
    std::string Text;
    std::vector<std::string> Captions;
    std::vector<std::vector<double>> Columns;
    int64_t Unreadable = 0;
};

class TextFileTest : public testing::TestWithParam<TFileCase> {};

TEST_P(TextFileTest, DetectsAndReadsTheCells)
{
    const TFileCase& C = GetParam();
    const kv::TKvTextTable T = kv::ReadTextTable(C.Text, kv::DetectTextFormat(C.Text));
    EXPECT_EQ(T.Captions, C.Captions);
    ASSERT_EQ(T.Columns.size(), C.Columns.size()) << Show(T.Columns);
    for (size_t i = 0; i < C.Columns.size(); ++i)
        EXPECT_TRUE(SameCells(T.Columns[i], C.Columns[i])) << "column " << i << ": " << Show(T.Columns);
    EXPECT_EQ(T.Unreadable, C.Unreadable);
}

INSTANTIATE_TEST_SUITE_P(
    Files, TextFileTest,
    testing::Values(
        // what a German or French spreadsheet writes
        TFileCase{"SemicolonAndDecimalComma", "Zeit;Spannung\r\n0,5;9,264\r\n1,0;8,5\r\n", {"Zeit", "Spannung"},
                  {{0.5, 1.0}, {9.264, 8.5}}, 0},
        // the instruments' format: comment lines, blanks and tabs between cells
        TFileCase{"WhitespaceWithHashComments",
                  "# decay measurement, run 4\n# t  y\n0.0 1.0\n0.5   0.61\n  1.0\t0.37  \n",
                  {},
                  {{0.0, 0.5, 1.0}, {1.0, 0.61, 0.37}}, 0},
        TFileCase{"PercentComments", "% made by hand\n1 2\n% between\n3 4\n", {}, {{1, 3}, {2, 4}}, 0},
        TFileCase{"SemicolonCommentsWithCommaDelimiter", "; note\n1,2\n3,4\n", {}, {{1, 3}, {2, 4}}, 0},
        TFileCase{"NamesAndUnits", "time,voltage\ns,V\n1,2\n3,4\n", {"time / s", "voltage / V"}, {{1, 3}, {2, 4}}, 0},
        TFileCase{"QuotesWithDoubledQuotesDelimitersAndLineEnds",
                  "\"first, name\",\"two\nlines\",\"say \"\"hi\"\"\"\n1,\"2\",3\n",
                  {"first, name", "two lines", "say \"hi\""},
                  {{1}, {2}, {3}}, 0},
        TFileCase{"DecimalCommaInsideQuotes", "\"0,5\",\"1,5\"\n\"2,5\",3\n", {}, {{0.5, 2.5}, {1.5, 3}}, 0},
        TFileCase{"ByteOrderMarkAndCrLf", "\xEF\xBB\xBFx\ty\r\n1\t2\r\n", {"x", "y"}, {{1}, {2}}, 0},
        TFileCase{"CrOnly", "a b\r1 2\r3 4\r", {"a", "b"}, {{1, 3}, {2, 4}}, 0},
        TFileCase{"PipeDelimiter", "1|2|3\n4|5|6\n", {}, {{1, 4}, {2, 5}, {3, 6}}, 0},
        TFileCase{"MissingTokensKeepTheirPlaces", "x,y\n1,NA\n2,\n3,-\n4,?\n5,null\n6,NaN\n7,--\n8,9\n",
                  {"x", "y"},
                  {{1, 2, 3, 4, 5, 6, 7, 8}, {M, M, M, M, M, M, M, 9}}, 0},
        TFileCase{"UnreadableCellsAreMissingAndCounted", "x;y\n1;2\n3.4.5;4\n5;abc\n", {"x", "y"},
                  {{1, M, 5}, {2, 4}}, 2},
        TFileCase{"MixedDelimitersAreNamedNotGuessed", "1;2\n3,4\n5;6\n", {}, {{1, M, 5}, {2, M, 6}}, 1},
        TFileCase{"OnlyComments", "# a\n# b\n", {}, {}, 0},
        TFileCase{"Empty", "", {}, {}, 0},
        TFileCase{"HeaderLongerThanData", "a b c d\n1 2\n3 4\n", {"a", "b", "c", "d"}, {{1, 3}, {2, 4}}, 0},
        TFileCase{"ShortRowsLeaveMissingCells", "1,2,3\n4\n5,6,7\n", {}, {{1, 4, 5}, {2, M, 6}, {3, M, 7}}, 0},
        TFileCase{"BlankLineInTheDataIsARow", "x\n1\n\n3\n", {"x"}, {{1, M, 3}}, 0},
        TFileCase{"PreambleAboveTheCaptionsIsSkipped", "Instrument: XYZ-12\nDate: 2026-01-01 10:00\ntime signal\n1 2\n",
                  {"time", "signal"},
                  {{1}, {2}}, 0},
        TFileCase{"TitleAboveNamesAndUnits", "Series 3 (sensor B)\nt;U\ns;V\n0,5;9,2\n", {"t / s", "U / V"},
                  {{0.5}, {9.2}}, 0},
        TFileCase{"SignsAndExponents", "+1.5e3 -2E-2 .5\n", {}, {{1500}, {-0.02}, {0.5}}, 0},
        TFileCase{"InfinityIsNoTableValue", "1 inf\n2 3\n", {}, {{1, 2}, {M, 3}}, 1}),
    [](const testing::TestParamInfo<TFileCase>& Info) { return std::string(Info.param.Name); });

struct TFormatCase {
    const char* Name;
    std::string Text;
    kv::TKvTextFormat Format;
};

class DetectionTest : public testing::TestWithParam<TFormatCase> {};

TEST_P(DetectionTest, FindsTheLayout)
{
    const kv::TKvTextFormat F = kv::DetectTextFormat(GetParam().Text);
    const kv::TKvTextFormat& W = GetParam().Format;
    EXPECT_EQ(F.Delimiter, W.Delimiter);
    EXPECT_EQ(F.Decimal, W.Decimal);
    EXPECT_EQ(F.Comment, W.Comment);
    EXPECT_EQ(F.FirstDataLine, W.FirstDataLine);
    EXPECT_EQ(F.HeaderRows, W.HeaderRows);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, DetectionTest,
    testing::Values(TFormatCase{"Tab", "a\tb\n1.5\t2\n", {'\t', '.', "", 1, 1}},
                    TFormatCase{"TabBeatsBlanksOnATie", "1.5\t2\n3\t4\n", {'\t', '.', "", 0, 0}},
                    TFormatCase{"CommaAndPoint", "1.5,2\n3,4.25\n", {',', '.', "", 0, 0}},
                    TFormatCase{"BlanksWithDecimalComma", "1,5 2,5\n3,5 4\n", {' ', ',', "", 0, 0}},
                    TFormatCase{"ThousandsMarksKeepThePoint", "1,234.5;2\n3;4\n", {';', '.', "", 0, 0}},
                    TFormatCase{"CommentAndCaptionsBelowIt", "// made by\nt;U\n\n1;2\n", {';', '.', "//", 3, 1}},
                    TFormatCase{"OnlyTextNamesTheColumns", "a,b\nc,d\n", {',', '.', "", 1, 1}}),
    [](const testing::TestParamInfo<TFormatCase>& Info) { return std::string(Info.param.Name); });

TEST(DetectionTest, FixedChoicesWinAndTheRestIsDetectedAroundThem)
{
    const std::string Text = "x;y\n1,5;2\n";
    kv::TKvTextImportOptions Fixed;
    Fixed.Decimal = '.';
    Fixed.HeaderRows = 0;
    const kv::TKvTextFormat F = kv::DetectTextFormat(Text, Fixed);
    EXPECT_EQ(F.Delimiter, ';');
    EXPECT_EQ(F.Decimal, '.');
    EXPECT_EQ(F.HeaderRows, 0);
    EXPECT_EQ(F.FirstDataLine, 0);
    const kv::TKvTextTable T = kv::ReadTextTable(Text, F);
    EXPECT_EQ(T.Unreadable, 3); // "x", "y", and "1,5" with a point as decimal separator
}

TEST(ImportOptionsTest, ReadsEveryKeyAndCommaValues)
{
    const auto O = kv::ParseImportOptions("delimiter=;,decimal=,,header=1,comment=#,first=3");
    EXPECT_EQ(O.Delimiter, ';');
    EXPECT_EQ(O.Decimal, ',');
    EXPECT_EQ(O.HeaderRows, 1);
    EXPECT_EQ(O.Comment, "#");
    EXPECT_EQ(O.FirstDataLine, 2);
    EXPECT_EQ(kv::ParseImportOptions("delimiter=,").Delimiter, ',');
    EXPECT_EQ(kv::ParseImportOptions("delimiter=tab,comment=none").Delimiter, '\t');
    EXPECT_EQ(kv::ParseImportOptions("comment=none").Comment, "");
    for (const char* Bad : {"delimiter", "colour=red", "decimal=;", "header=x", "header=10", "first=0"})
        EXPECT_THROW(kv::ParseImportOptions(Bad), kv::EConvertError) << Bad;
}

TEST(CellNumberTest, DecimalCommaGivesTheSameDoubleAsThePointForm)
{
    for (const char* Text : {"0,1", "9,264", "-1,7976931348623157e308", "2,2250738585072014E-308", "1,", ",5",
                             "123456789,123456789", "4,9406564584124654e-324"}) {
        std::string Point = Text;
        std::replace(Point.begin(), Point.end(), ',', '.');
        double Expected = 0;
        std::from_chars(Point.data(), Point.data() + Point.size(), Expected);
        double X = 0;
        ASSERT_TRUE(kv::ReadCellNumber(Text, ',', X)) << Text;
        EXPECT_EQ(X, Expected) << Text;
    }
    double X = 0;
    for (const char* Bad : {"1.5", "1,2,3", "1,5x", "inf", "nan", "1e999", "", "+", "++1"})
        EXPECT_FALSE(kv::ReadCellNumber(Bad, ',', X)) << Bad;
    EXPECT_FALSE(kv::ReadCellNumber("1,5", '.', X));
}

TEST(TextReaderTest, ProgressCanCancel)
{
    std::string Text;
    for (int i = 0; i < 300000; ++i)
        Text += "1,2\n";
    std::vector<double> Seen;
    kv::TKvTextReadLimits Limits;
    Limits.Progress = [&](double Done) {
        Seen.push_back(Done);
        return false;
    };
    const kv::TKvTextTable T = kv::ReadTextTable(Text, kv::DetectTextFormat(Text), Limits);
    EXPECT_TRUE(T.Cancelled);
    ASSERT_EQ(Seen.size(), 1u);
    EXPECT_GT(Seen[0], 0.0);
    EXPECT_LT(Seen[0], 1.0);
}

TEST(TextReaderTest, TenThousandColumnsAndOneLongLine)
{
    std::string Text;
    for (int k = 0; k < 10000; ++k)
        Text += (k ? "\t" : "") + std::to_string(k);
    Text += "\n" + Text + "\n";
    kv::TKvTextTable T = kv::ReadTextTable(Text, kv::DetectTextFormat(Text));
    ASSERT_EQ(T.Columns.size(), 10000u);
    EXPECT_EQ(T.Columns[9999], (std::vector<double>{9999, 9999}));
    kv::TKvDataTable Table;
    Table.PlaceTextTable(T, {});
    EXPECT_EQ(Table.MaxColumns(), 10000);
    EXPECT_EQ(Table.Data(10000)[1], 9999);

    // more fields than the reader may use: counted, never dropped silently
    kv::TKvTextReadLimits Limits;
    Limits.MaxColumns = 26;
    kv::TKvTextTable Cut = kv::ReadTextTable(Text, kv::DetectTextFormat(Text), Limits);
    EXPECT_EQ(Cut.Columns.size(), 26u);
    EXPECT_EQ(Cut.CellsBeyondLastColumn, 2 * (10000 - 26));
}

TEST(TextReaderTest, StrayQuoteDoesNotSwallowTheFile)
{
    const std::string Text = "1,2\n\"3,4\n5,6\n";
    const kv::TKvTextTable T = kv::ReadTextTable(Text, kv::DetectTextFormat(Text));
    EXPECT_TRUE(SameCells(T.Columns[0], {1, M, 5}));
    EXPECT_TRUE(SameCells(T.Columns[1], {2, 4, 6}));
    EXPECT_EQ(T.FirstBadText, "\"3");
}

std::vector<double> Values(const kv::TKvDataTable& T, int32_t k)
{
    auto V = T.Data(k).Values();
    return {V.begin(), V.end()};
}

kv::TKvTextTable Read(const std::string& Text) { return kv::ReadTextTable(Text, kv::DetectTextFormat(Text)); }

TEST(PlaceTextTableTest, ReplaceSaysOnceWhatCouldNotBeRead)
{
    kv::TKvDataTable Table;
    Table.Column(3).Header = "old";
    Table.Column(3).Formula = "A*2";
    Table.Column(3).LiveFormula = true;
    std::vector<std::string> Messages;
    Table.OnMessage = [&](const std::string& Text) {
        if (!Text.empty())
            Messages.push_back(Text);
    };
    kv::TKvTextTable T = Read("a;b;c\n1;2;3\n4;5;6\n7;8;9\n10;11;12\n13;14;15\n16;17;18\n19;20;3.4.5\n21;x;y\n");
    const std::string Message = Table.PlaceTextTable(T, {});
    EXPECT_EQ(Message, "3 cells could not be read and are left empty; first: row 7, column C: '3.4.5'");
    EXPECT_EQ(Messages, std::vector<std::string>{Message});
    EXPECT_EQ(Table.Column(3).Header, "c");
    EXPECT_EQ(Table.Column(3).Formula, "A*2"); // formula texts stay
    EXPECT_FALSE(Table.Column(3).LiveFormula);
    // the unreadable cell at the end of B leaves no value there
    EXPECT_TRUE(SameCells(Values(Table, 2), {2, 5, 8, 11, 14, 17, 20}));
    EXPECT_TRUE(SameCells(Values(Table, 3), {3, 6, 9, 12, 15, 18}));
    EXPECT_TRUE(Table.Modified());

    kv::TKvTextTable One = Read("1 x\n");
    EXPECT_EQ(Table.PlaceTextTable(One, {}), "1 cell could not be read and is left empty: row 1, column B: 'x'");
}

TEST(PlaceTextTableTest, IntoColumnsKeepsTheOthersAndPasteOverwritesFromTheCell)
{
    kv::TKvDataTable Table;
    for (int32_t k = 1; k <= 3; ++k)
        for (int32_t r = 0; r < 3; ++r)
            Table.Data(k).SetValue(r, 10 * k + r);
    kv::TKvTextTable T = Read("u,v\n1,2\n3,\n");
    Table.PlaceTextTable(T, {kv::TKvTextPlacement::TMode::IntoColumns, 2, 0});
    EXPECT_EQ(Values(Table, 1), (std::vector<double>{10, 11, 12}));
    EXPECT_EQ(Values(Table, 2), (std::vector<double>{1, 3}));
    EXPECT_EQ(Values(Table, 3), (std::vector<double>{2}));
    EXPECT_EQ(Table.Column(2).Header, "u");

    kv::TKvTextTable P = Read("# pasted\n7 NA\n8 9\n");
    Table.PlaceTextTable(P, {kv::TKvTextPlacement::TMode::Paste, 1, 1});
    EXPECT_EQ(Values(Table, 1), (std::vector<double>{10, 7, 8}));
    EXPECT_TRUE(SameCells(Values(Table, 2), {1, M, 9}));

    // cells right of the last column are counted in the message
    kv::TKvTextTable Wide = Read("1 2 3\n");
    EXPECT_EQ(Table.PlaceTextTable(Wide, {kv::TKvTextPlacement::TMode::Paste, 25, 0}),
              "1 cell right of column Z has no place in the table and was not imported");
}

TEST(PasteTextTest, OnlyNumbersAndSeparatorsKeepThePasteRules)
{
    EXPECT_TRUE(kv::HoldsOnlyNumbers("1\t2\r\n3,5;4 -1e5\n"));
    for (const char* Text : {"x\ty\n1\t2", "# c\n1 2", "\"1\",2", "1 NA", "1|2"})
        EXPECT_FALSE(kv::HoldsOnlyNumbers(Text)) << Text;
}

} // namespace
