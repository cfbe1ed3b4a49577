#include "DocumentTestSupport.h"
#include "document/KvDataTable.h"

#include "support/KvValuesText.h"

#include <gtest/gtest.h>

namespace {

using kvtest::TFakeFormula;

struct TTextCase {
    const char* Input;
    const char* Expected;
};

class PrepareFormulaTest : public testing::TestWithParam<TTextCase> {};

TEST_P(PrepareFormulaTest, RewritesColumnLetters)
{
    EXPECT_EQ(kv::PrepareFormula(GetParam().Input), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Examples, PrepareFormulaTest,
                         testing::Values(TTextCase{"A*2+B", "A(#)*2+B(#)"}, TTextCase{"SIN(A)", "SIN(A(#))"},
                                         TTextCase{"A(1)+A", "A(1)+A(#)"}, TTextCase{"a * 2", "A(#)*2"},
                                         TTextCase{"random", "Random(1)"},
                                         TTextCase{"RaNdOm*A", "Random(1)*A(#)"}, TTextCase{"Z", "Z(#)"},
                                         TTextCase{"A(#-1)+ROW", "A(#-1)+ROW"}));

struct TRenameCase {
    const char* Formula;
    int32_t k;
    int32_t N;
    const char* Inserted;
    const char* Deleted;
};

class RenameTest : public testing::TestWithParam<TRenameCase> {};

TEST_P(RenameTest, FollowsTheColumns)
{
    const TRenameCase& C = GetParam();
    EXPECT_EQ(kv::RenameForInsertedColumn(C.Formula, C.k, C.N), C.Inserted);
    EXPECT_EQ(kv::RenameForDeletedColumn(C.Formula, C.k, C.N), C.Deleted);
}

INSTANTIATE_TEST_SUITE_P(
    Columns, RenameTest,
    testing::Values(TRenameCase{"A+C", 3, 26, "A+D", "A+ColDeleted"},
                    TRenameCase{"C*2", 3, 26, "D*2", "ColDeleted*2"},
                    TRenameCase{"B", 2, 26, "C", "ColDeleted"},
                    TRenameCase{"Z+Y", 2, 26, "ColOutOfRange+Z", "Y+X"},
                    TRenameCase{"A(1)+B(#-1)", 1, 26, "B(1)+C(#-1)", "ColDeleted(1)+A(#-1)"},
                    TRenameCase{"SIN(D)", 4, 26, "SIN(E)", "SIN(ColDeleted)"},
                    // a table of 5 columns: E is the last one, F does not exist
                    TRenameCase{"E+F", 2, 5, "ColOutOfRange+F", "D+F"},
                    // columns past Z have no letters: nothing to rename
                    TRenameCase{"Z", 27, 30, "Z", "Z"},
                    TRenameCase{"Z", 26, 30, "ColOutOfRange", "ColDeleted"}));

double Cell(TFakeFormula::TColumns C, int32_t k, int32_t Row) { return TFakeFormula::Cell(C, k, Row); }

class TableFormulaTest : public testing::Test {
protected:
    void SetUp() override
    {
        auto Engine = std::make_unique<TFakeFormula>(std::map<std::string, TFakeFormula::TFunction>{
            {"A(#)*2", [](auto C, int32_t R) { return Cell(C, 1, R) * 2; }},
            {"B(#)*2", [](auto C, int32_t R) { return Cell(C, 2, R) * 2; }},
            {"C(#)*2", [](auto C, int32_t R) { return Cell(C, 3, R) * 2; }},
            {"D(#)*2", [](auto C, int32_t R) { return Cell(C, 4, R) * 2; }},
            {"Z(#)", [](auto C, int32_t R) { return Cell(C, 26, R); }},
            {"1/(A(#)-1)", [](auto C, int32_t R) { return 1 / (Cell(C, 1, R) - 1); }},
        });
        Engine_ = Engine.get();
        Table.SetFormulaEngine(std::move(Engine));
        Table.OnMessage = [this](const std::string& M) { Messages.push_back(M); };
    }

    void Fill(int32_t k, std::vector<double> Values)
    {
        for (size_t i = 0; i < Values.size(); ++i)
            Table.Data(k).SetValue(static_cast<int32_t>(i), Values[i]);
    }
    void SetLive(int32_t k, const std::string& Formula)
    {
        Table.Column(k).Formula = Formula;
        Table.Column(k).LiveFormula = true;
    }
    std::vector<double> Values(int32_t k) const
    {
        auto V = Table.Data(k).Values();
        return {V.begin(), V.end()};
    }

    kv::TKvDataTable Table;
    TFakeFormula* Engine_ = nullptr;
    std::vector<std::string> Messages;
};

TEST_F(TableFormulaTest, LiveColumnReadingPastAColumnsEndStopsThere)
{
    Fill(2, {1, 2, 3});
    Fill(3, {0, 0, 0, 0, 0});
    SetLive(1, "B*2");
    Table.RecalculateAll();
    EXPECT_EQ(Values(1), (std::vector<double>{2, 4, 6}));
    ASSERT_EQ(Messages.size(), 2u);
    EXPECT_EQ(Messages[0], "Error in Cell: A4 row 4 holds no value");
    EXPECT_EQ(Messages[1], "Error in Cell: A5 row 5 holds no value");
    EXPECT_EQ(Table.LastMessage(), Messages[1]);
}

TEST_F(TableFormulaTest, MaxDataCountIgnoresLiveColumns)
{
    Fill(1, {1, 2, 3, 4, 5});
    Fill(2, {1, 2, 3, 4, 5, 6, 7, 8});
    Table.Column(2).Formula = "A*2";
    EXPECT_EQ(Table.MaxDataCount(), 8);
    Table.Column(2).LiveFormula = true;
    EXPECT_EQ(Table.MaxDataCount(), 5);
    EXPECT_TRUE(Table.HasLiveFormula());
    Table.RecalculateAll();
    EXPECT_EQ(Values(2), (std::vector<double>{2, 4, 6, 8, 10}));
}

TEST_F(TableFormulaTest, RecalculateAllRunsLeftToRight)
{
    Fill(1, {1, 2});
    SetLive(3, "A*2"); // C = A*2
    SetLive(4, "C*2"); // D = C*2, right of C: up to date
    SetLive(2, "D*2"); // B = D*2, left of D: one pass behind
    Table.RecalculateAll();
    EXPECT_EQ(Values(3), (std::vector<double>{2, 4}));
    EXPECT_EQ(Values(4), (std::vector<double>{4, 8}));
    EXPECT_TRUE(Values(2).empty()); // D was empty when B was computed
    Table.RecalculateAll();
    EXPECT_EQ(Values(2), (std::vector<double>{8, 16}));
}

TEST_F(TableFormulaTest, WithoutDataLiveColumnsEndEmpty)
{
    Fill(2, {5});
    SetLive(2, "A*2");
    Table.RecalculateAll();
    EXPECT_TRUE(Values(2).empty());
    EXPECT_TRUE(Messages.empty());
}

TEST_F(TableFormulaTest, FormulaThatDoesNotCompileFailsInEveryRow)
{
    Fill(1, {1, 2, 3});
    Fill(2, {9, 9});
    Table.Column(2).Formula = "A*";
    Table.EvaluateColumn(2, 1, 3);
    // rows that had values are zeroed, the row beyond stays empty
    EXPECT_EQ(Values(2), (std::vector<double>{0, 0}));
    ASSERT_EQ(Messages.size(), 3u);
    EXPECT_EQ(Messages[2], "Error in Cell: B3 Error parsing expression:\rA(#)*");
}

TEST_F(TableFormulaTest, NonFiniteResultIsAnErrorNotAValue)
{
    Fill(1, {3, 1, 2});
    Table.Column(2).Formula = "1/(A-1)";
    Table.EvaluateColumn(2, 1, 3);
    EXPECT_EQ(Values(2), (std::vector<double>{0.5, 0, 1}));
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], "Error in Cell: B2 Invalid floating point operation");
}

TEST_F(TableFormulaTest, LetterBeyondANarrowTableFailsPerCell)
{
    Table.SetMaxColumns(3);
    Fill(1, {1, 2});
    SetLive(2, "Z");
    Table.RecalculateAll();
    EXPECT_TRUE(Values(2).empty());
    ASSERT_EQ(Messages.size(), 2u);
    EXPECT_EQ(Messages[0], "Error in Cell: B1 Column does not exist");
}

TEST_F(TableFormulaTest, RecalculateColumnOnlyForLiveColumns)
{
    Fill(1, {1, 2});
    Fill(2, {7});
    Table.Column(2).Formula = "A*2";
    Table.RecalculateColumn(2);
    EXPECT_EQ(Values(2), (std::vector<double>{7}));
    Table.Column(2).LiveFormula = true;
    Table.RecalculateColumn(2);
    EXPECT_EQ(Values(2), (std::vector<double>{2, 4}));
}

TEST_F(TableFormulaTest, EvaluateColumnCompilesOncePerColumn)
{
    Fill(1, {1, 2, 3, 4});
    Table.Column(2).Formula = "A*2";
    Table.EvaluateColumn(2, 2, 3);
    EXPECT_EQ(Engine_->Expressions, (std::vector<std::string>{"A(#)*2"}));
    // rows skipped over are empty, never a stale value or a 0
    EXPECT_EQ(kv::test::ValuesText(Table.Data(2).Values()), "- 4 6");
    EXPECT_THROW(Table.EvaluateColumn(2, 0, 3), kv::ERangeError);
}

TEST_F(TableFormulaTest, CopyFormulaAppliesToTheRowsInEitherOrder)
{
    Fill(1, {1, 2, 3, 4, 5, 6});
    Fill(2, {9, 9, 9, 9, 9, 9, 9});
    Table.ApplyFormula(2, "A*2", false, 5, 3);
    EXPECT_EQ(Values(2), (std::vector<double>{9, 9, 6, 8, 10, 9, 9})); // rows 3 to 5 only
    EXPECT_FALSE(Table.Column(2).LiveFormula);
    EXPECT_EQ(Table.Column(2).Formula, "A*2"); // kept with the column
    EXPECT_TRUE(Table.Modified());
}

TEST_F(TableFormulaTest, LiveFormulaIsComputedAtOnce)
{
    Fill(1, {1, 2});
    Fill(2, {7, 7, 7});
    Table.ApplyFormula(2, "A*2", true, 1, 1);
    EXPECT_TRUE(Table.Column(2).LiveFormula);
    EXPECT_EQ(Values(2), (std::vector<double>{2, 4}));
}

TEST_F(TableFormulaTest, EmptyLiveFormulaComputesNothing)
{
    Fill(2, {7});
    Table.Column(2).LiveFormula = true;
    Table.Column(2).Formula = "A*2";
    Table.ApplyFormula(2, "", true, 1, 5);
    EXPECT_FALSE(Table.Column(2).LiveFormula);
    EXPECT_TRUE(Table.Column(2).Formula.empty());
    EXPECT_EQ(Values(2), (std::vector<double>{7}));
    EXPECT_TRUE(Engine_->Expressions.empty());
}

TEST_F(TableFormulaTest, CheckFormulaRaisesAtOnce)
{
    Fill(1, {4});
    EXPECT_EQ(Table.CheckFormula("A*2", 1), 8);
    EXPECT_THROW(Table.CheckFormula("A*", 1), kv::EMathParserError);
    EXPECT_THROW(Table.CheckFormula("A*2", 2), kv::ERangeError);
    EXPECT_TRUE(Messages.empty());
    EXPECT_FALSE(Table.Modified());
}

} // namespace
