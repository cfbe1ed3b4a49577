#include "DocumentTestSupport.h"
#include "document/KvDataTable.h"
#include "foundation/KvFormatSettings.h"
#include "foundation/KvMissing.h"
#include "support/KvValuesText.h"

#include <gtest/gtest.h>

namespace {

using kv::TKvCellRange;

class TableEditingTest : public testing::Test {
protected:
    void SetUp() override
    {
        Table.OnMessage = [this](const std::string& M) { Messages.push_back(M); };
    }
    void Fill(int32_t k, std::vector<double> Values)
    {
        for (size_t i = 0; i < Values.size(); ++i)
            Table.Data(k).SetValue(static_cast<int32_t>(i), Values[i]);
    }
    std::vector<double> Values(int32_t k) const
    {
        auto V = Table.Data(k).Values();
        return {V.begin(), V.end()};
    }
    std::string Cells(int32_t k) const { return kv::test::ValuesText(Table.Data(k).Values()); }

    kv::TKvDataTable Table;
    std::vector<std::string> Messages;
};

// Rows end in LF, the line end other programs on this platform read.
TEST_F(TableEditingTest, CopyOfABlockJoinsCellsByTabAndRowsByLf)
{
    Fill(1, {1, 2, 3});
    Fill(2, {4.5, 5});
    const TKvCellRange Block{1, 1, 2, 2};
    EXPECT_EQ(Table.CopyText(std::span{&Block, 1}), "2\t5\n3\t");
    EXPECT_EQ(Table.CopyText(2, 0), "4.5");
    EXPECT_EQ(Table.CopyText(2, 7), "");
}

TEST_F(TableEditingTest, CopyOfTwoRangesLeavesUnselectedCellsEmpty)
{
    Fill(1, {1, 2});
    Fill(3, {7, 8});
    const TKvCellRange Ranges[] = {{1, 0, 1, 0}, {3, 1, 3, 1}};
    EXPECT_EQ(Table.CopyText(Ranges), "1\t\t\n\t\t8");
}

TEST_F(TableEditingTest, PastedBlockReproducesTheCopy)
{
    Fill(1, {1, 2, 3});
    Fill(2, {4, 5, 6});
    const TKvCellRange Block{1, 0, 2, 1};
    const std::string Text = Table.CopyText(std::span{&Block, 1});
    EXPECT_EQ(Table.PasteText(Text, 4, 3), 5);
    // the rows above the paste were never given: they are empty
    EXPECT_EQ(Cells(4), "- - - 1 2");
    EXPECT_EQ(Cells(5), "- - - 4 5");
    EXPECT_TRUE(Table.Modified());
    EXPECT_TRUE(Messages.empty());
}

struct TPasteCase {
    const char* Text;
    const char *A, *B, *C; // values as ValuesText gives them
};

class PasteTest : public testing::TestWithParam<TPasteCase> {};

TEST_P(PasteTest, SplitsLinesAndCells)
{
    kv::TKvDataTable Table;
    Table.PasteText(GetParam().Text, 1, 0);
    auto Get = [&](int32_t k) { return kv::test::ValuesText(Table.Data(k).Values()); };
    EXPECT_EQ(Get(1), GetParam().A);
    EXPECT_EQ(Get(2), GetParam().B);
    EXPECT_EQ(Get(3), GetParam().C);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PasteTest,
    testing::Values(TPasteCase{"1 2 3", "1 2 3", "", ""},               // blanks end lines
                    TPasteCase{"1\t2\t3", "1", "2", "3"},                // tabs separate cells
                    TPasteCase{"1;2\r\n3;4\r\n", "1 3", "2 4", ""},    // any non-number separates
                    TPasteCase{"1\r2", "1 2", "", ""},                  // CR alone ends a line
                    TPasteCase{"1\r2\n3\r\n4\r\n", "1 2 3 4", "", ""}, // mixed line ends, one row each
                    TPasteCase{"1\t2\r3 4\r", "1 3", "2 4", ""},       // with line ends blanks separate cells
                    TPasteCase{"1\r\r\n2", "1 - 2", "", ""},         // an empty line between CR and CR LF
                    TPasteCase{"\n\n5", "- - 5", "", ""},             // empty lines are rows of empty cells
                    TPasteCase{"1\t\t3\n\t5\t", "1 -", "- 5", "3 -"}, // an empty field is an empty cell
                    TPasteCase{"1\t \t3 4\n", "1", "-", "3"}));      // a blank field too; in a field blanks separate

TEST_F(TableEditingTest, PasteUsesTheLocaleDecimalSeparator)
{
    kv::TKvScopedFormatSettings Comma({',', ';'});
    Table.PasteText("1,5", 1, 0);
    EXPECT_EQ(Values(1), (std::vector<double>{1.5}));
}

TEST_F(TableEditingTest, PasteReportsUnreadableCellsAndGoesOn)
{
    Table.PasteText("1\t-\t3", 1, 0);
    EXPECT_EQ(Values(1), (std::vector<double>{1}));
    EXPECT_TRUE(Values(2).empty());
    EXPECT_EQ(Values(3), (std::vector<double>{3}));
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0].rfind("Error in Cell: B1 ", 0), 0u);
}

// A message about a cell goes when the values it is about are replaced.
TEST_F(TableEditingTest, ImportClearsTheMessageOfTheReplacedValues)
{
    Table.PasteText("-", 1, 0);
    ASSERT_EQ(Table.LastMessage().rfind("Error in Cell: A1 ", 0), 0u);
    Table.ImportText("x\n1\n", '\t');
    EXPECT_EQ(Table.LastMessage(), "");
    EXPECT_EQ(Messages.back(), ""); // the status line is told
}

TEST_F(TableEditingTest, PasteBeyondTheLastColumnIsIgnored)
{
    Table.PasteText("1\t2\t3", 25, 0);
    EXPECT_EQ(Values(25), (std::vector<double>{1}));
    EXPECT_EQ(Values(26), (std::vector<double>{2}));
}

// Empty cells travel through copy and paste as empty fields, and a cut
// leaves them empty in place: no value below moves, nothing becomes 0.
TEST_F(TableEditingTest, EmptyCellsSurviveCopyCutAndPaste)
{
    Fill(1, {1, kv::MissingValue(), 3});
    Fill(2, {4, 5, 6});
    const TKvCellRange Block{1, 0, 2, 2};
    const std::string Copied = Table.CopyText(std::span{&Block, 1});
    EXPECT_EQ(Copied, "1\t4\n\t5\n3\t6");
    EXPECT_EQ(Table.CopyText(1, 1), "");

    const TKvCellRange Cut{2, 0, 2, 1};
    Table.EmptyRanges(std::span{&Cut, 1});
    EXPECT_EQ(Cells(2), "- - 6");
    EXPECT_TRUE(Table.Modified());

    Table.PasteText(Copied, 3, 0);
    EXPECT_EQ(Cells(3), "1 - 3");
    EXPECT_EQ(Cells(4), "4 5 6");
    // Insert still puts a 0, and the empty cell moves down with the rest
    Table.InsertCell(1, 0);
    EXPECT_EQ(Cells(1), "0 1 - 3");
}

TEST_F(TableEditingTest, DeleteOfARangeMovesTheRestUp)
{
    Fill(1, {1, 2, 3, 4, 5, 6});
    const TKvCellRange Range{1, 1, 1, 3};
    Table.DeleteRanges(std::span{&Range, 1});
    EXPECT_EQ(Values(1), (std::vector<double>{1, 5, 6}));
    EXPECT_TRUE(Table.Modified());
}

TEST_F(TableEditingTest, DeleteOfAWholeColumnClearsIt)
{
    Fill(1, {1, 2, 3});
    Fill(2, {1, 2, 3, 4});
    // from the locked rows down past the end: covers all values
    const TKvCellRange Range{1, -3, 2, 100};
    Table.DeleteRanges(std::span{&Range, 1});
    EXPECT_TRUE(Values(1).empty());
    EXPECT_TRUE(Values(2).empty());
}

TEST_F(TableEditingTest, DeleteOfACellMovesTheValuesBelowUp)
{
    Fill(1, {1, 2, 3});
    Table.DeleteCell(1, 0);
    EXPECT_EQ(Values(1), (std::vector<double>{2, 3}));
    Table.DeleteCell(1, 5); // beyond the values: nothing
    EXPECT_EQ(Values(1), (std::vector<double>{2, 3}));
}

TEST_F(TableEditingTest, InsertCellAndRowPutZerosAndRecomputeLiveColumns)
{
    using kvtest::TFakeFormula;
    Table.SetFormulaEngine(std::make_unique<TFakeFormula>(std::map<std::string, TFakeFormula::TFunction>{
        {"A(#)*2", [](auto C, int32_t R) { return TFakeFormula::Cell(C, 1, R) * 2; }}}));
    Fill(1, {1, 2});
    Fill(2, {3, 4});
    Table.Column(3).Formula = "A*2";
    Table.Column(3).LiveFormula = true;
    Table.InsertCell(1, 1);
    EXPECT_EQ(Values(1), (std::vector<double>{1, 0, 2}));
    EXPECT_EQ(Values(3), (std::vector<double>{2, 0, 4}));
    EXPECT_TRUE(Table.Modified());
    Table.InsertCell(2, 2); // at the end: nothing
    EXPECT_EQ(Values(2), (std::vector<double>{3, 4}));
    Table.InsertRow(0);
    EXPECT_EQ(Values(1), (std::vector<double>{0, 1, 0, 2}));
    EXPECT_EQ(Values(2), (std::vector<double>{0, 3, 4}));
    // the live column is not shifted but computed again
    EXPECT_EQ(Values(3), (std::vector<double>{0, 2, 0, 4}));
}

struct TEditCase {
    const char* Text;
    int32_t Row;
    bool Taken;
    const char* After; // an emptied cell, and a row skipped over, are empty ("-")
};

class EndCellEditTest : public testing::TestWithParam<TEditCase> {};

TEST_P(EndCellEditTest, StoresWhatConverts)
{
    kv::TKvDataTable Table;
    Table.Data(1).SetValue(0, 7);
    Table.Data(1).SetValue(1, 8);
    EXPECT_EQ(Table.EndCellEdit(1, GetParam().Row, GetParam().Text), GetParam().Taken);
    EXPECT_EQ(kv::test::ValuesText(Table.Data(1).Values()), GetParam().After);
    EXPECT_EQ(Table.Modified(), GetParam().Taken);
}

INSTANTIATE_TEST_SUITE_P(Texts, EndCellEditTest,
                         testing::Values(TEditCase{"3", 0, true, "3 8"}, TEditCase{"", 0, true, "- 8"},
                                         TEditCase{"", 5, true, "7 8"}, TEditCase{"1e", 0, false, "7 8"},
                                         TEditCase{"-2.5E1", 3, true, "7 8 - -25"},
                                         TEditCase{"nan", 0, false, "7 8"}));

TEST_F(TableEditingTest, LiveCellsAreReadOnly)
{
    Table.Column(1).Formula = "B";
    Table.Column(1).LiveFormula = true;
    EXPECT_FALSE(Table.EndCellEdit(1, 0, "5"));
    EXPECT_FALSE(Table.Modified());
}

TEST_F(TableEditingTest, InsertColumnMovesColumnsAndRenamesFormulas)
{
    Fill(3, {1, 2});
    Table.Column(3).Header = "C data";
    Table.Column(4).Formula = "A+C";
    Table.Column(4).LiveFormula = true;
    Table.Column(1).Formula = "C*2";
    Table.Column(3).Width = 120;
    const kv::TKvLiveVector* Moved = &Table.Data(3);
    Table.InsertColumn(3);
    EXPECT_EQ(&Table.Data(4), Moved); // the vector moves with its column
    EXPECT_EQ(Table.Column(4).Header, "C data");
    EXPECT_EQ(Table.Column(5).Formula, "A+D");
    EXPECT_TRUE(Table.Column(5).LiveFormula);
    EXPECT_EQ(Table.Column(1).Formula, "D*2"); // still reads the moved data
    EXPECT_TRUE(Table.ColumnIsEmpty(3));
    EXPECT_EQ(Table.Column(3).Width, 120); // widths stay with the positions
    EXPECT_TRUE(Table.Modified());
}

TEST_F(TableEditingTest, InsertColumnRefusesAUsedLastColumn)
{
    Table.Column(26).Header = "last";
    Fill(1, {1});
    try {
        Table.InsertColumn(1);
        FAIL() << "no error";
    } catch (const kv::EKvError& E) {
        EXPECT_STREQ(E.what(), "Last column is not empty!\rAction impossible!");
    }
    EXPECT_EQ(Values(1), (std::vector<double>{1}));
    EXPECT_FALSE(Table.Modified());
}

TEST_F(TableEditingTest, DeleteColumnMovesColumnsLeftAndMarksReferences)
{
    Fill(2, {1});
    Fill(3, {2, 3});
    Table.Column(4).Formula = "B+C";
    Table.Column(26).Formula = "Z";
    Table.DeleteColumn(2);
    EXPECT_EQ(Values(2), (std::vector<double>{2, 3}));
    EXPECT_EQ(Table.Column(3).Formula, "ColDeleted+B");
    EXPECT_EQ(Table.Column(25).Formula, "Y");
    EXPECT_TRUE(Table.ColumnIsEmpty(26));
    EXPECT_TRUE(Values(26).empty());
}

TEST_F(TableEditingTest, EnsureRowsOnlyGrows)
{
    EXPECT_EQ(Table.RowLimit(), 20);
    Table.EnsureRows(10);
    EXPECT_EQ(Table.RowLimit(), 20);
    Table.EnsureRows(14); // within two rows of the end with 4 locked rows
    EXPECT_EQ(Table.RowLimit(), 28);
    Table.ClearColumns();
    Table.EnsureRows(0);
    EXPECT_EQ(Table.RowLimit(), 28);
}

TEST_F(TableEditingTest, RowsPastTheLastRowAreRefused)
{
    EXPECT_THROW(kv::StoreValue(Table.Data(1), kv::TKvDataTable::MaxRows, 1), kv::ERangeError);
    EXPECT_THROW(Table.EndCellEdit(1, INT32_MAX, "1"), kv::ERangeError);
    EXPECT_EQ(Table.Data(1).Count(), 0);
    Table.Column(2).Formula = "1";
    EXPECT_THROW(Table.EvaluateColumn(2, 1, INT32_MAX), kv::ERangeError);
    EXPECT_EQ(Table.Data(2).Count(), 0);
    Table.EnsureRows(INT32_MAX - 3); // the grid's limit does not wrap around
    EXPECT_EQ(Table.RowLimit(), INT32_MAX);
}

TEST_F(TableEditingTest, ModifiedObserversHearEachChangeOnce)
{
    std::vector<bool> Seen;
    Table.AddModifiedObserver([&](bool M) { Seen.push_back(M); });
    Table.MarkModified();
    Table.MarkModified();
    Table.ClearModified();
    EXPECT_EQ(Seen, (std::vector<bool>{true, false}));
}

TEST_F(TableEditingTest, MaxColumnsZeroOrLessIsTheDefault)
{
    Table.SetMaxColumns(0);
    EXPECT_EQ(Table.MaxColumns(), 26);
    Table.SetMaxColumns(-4);
    EXPECT_EQ(Table.MaxColumns(), 26);
    Table.SetMaxColumns(30);
    EXPECT_EQ(Table.MaxColumns(), 30);
    EXPECT_THROW(Table.Column(31), kv::ERangeError);
    EXPECT_THROW(Table.Column(0), kv::ERangeError);
}

} // namespace
