#include "foundation/KvErrors.h"
#include "foundation/KvFormatSettings.h"
#include "foundation/KvIniList.h"
#include "foundation/KvMissing.h"
#include "support/KvValuesText.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

using namespace kv;

namespace {

TKvIniList Doc(std::string_view Text)
{
    TKvIniList L;
    L.SetText(Text);
    return L;
}

std::string Lines(const TKvIniList& L)
{
    std::string S;
    for (const std::string& Line : L.Lines())
        S += Line + "|";
    return S;
}

TEST(IniLines, LineEndsAndNul)
{
    struct Case {
        std::string Text;
        const char* Lines;
    };
    const Case Cases[] = {
        {"a\r\nb\r\n", "a|b|"}, {"a\nb", "a|b|"}, {"a\rb\r", "a|b|"}, {"a\r\r\nb", "a||b|"},
        {"a\n\nb\n", "a||b|"}, {"", ""}, {"\r\n", "|"}, {std::string("a\nb\0c\nd", 7), "a|b|"},
        {"[x\n=v\nno equals", "[x|=v|no equals|"},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(Lines(Doc(C.Text)), C.Lines) << C.Text;
    EXPECT_EQ(Doc("a\nb").Text(), "a\r\nb\r\n");
}

// Lines of every length around the steps the line ends are searched in
// (short lines a block at a time, long ones by a search for the LF and then
// for a CR before it), each end at every place in a block.
TEST(IniLines, LineEndsOfLongLines)
{
    const char* Ends[] = {"\r\n", "\n", "\r", "\r\r\n"};
    for (size_t Length : {15u, 16u, 17u, 31u, 127u, 128u, 129u, 300u, 5000u})
        for (const char* End : Ends) {
            const std::string A(Length, 'a'), B(Length + 1, 'b');
            // CR, then CR LF: an empty line between.
            const std::string Gap = std::string_view(End) == "\r\r\n" ? "|" : "";
            const std::string Expected = A + "|" + Gap + B + "|";
            EXPECT_EQ(Lines(Doc(A + End + B)), Expected) << Length << " " << End;
            EXPECT_EQ(Lines(Doc(A + End + B + End)), Expected + Gap) << Length << " " << End;
        }
    // A lone CR in a long line before its LF ends the line there.
    EXPECT_EQ(Lines(Doc(std::string(200, 'x') + "\ry\n" + std::string(20, 'z'))),
              std::string(200, 'x') + "|y|" + std::string(20, 'z') + "|");
}

const char* Sample = "pre\r\n"
                     "[Table]\r\n"
                     "Width=80\r\n"
                     "Empty=\r\n"
                     "Spaced = 5\r\n"
                     "; comment=1\r\n"
                     "Multi=a=b; c \r\n"
                     "\r\n"
                     "Late=after blank\r\n"
                     "[table ]\r\n"
                     "Other=1\r\n"
                     "[ Table]\r\n"
                     "Hidden=1\r\n"
                     "[Last]\r\n";

struct ReadCase {
    const char* Section;
    const char* Ident;
    const char* Expected; // "<default>" when absent
};

class ReadString : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadString, MatchingRules)
{
    const TKvIniList L = Doc(Sample);
    EXPECT_EQ(L.ReadString(GetParam().Section, GetParam().Ident, "<default>"), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadString,
    testing::Values(ReadCase{"Table", "Width", "80"}, ReadCase{"TABLE", "width", "80"},
                    ReadCase{"table", "WIDTH", "80"}, ReadCase{"Table", "Empty", ""},
                    ReadCase{"Table", "Spaced", "<default>"}, ReadCase{"Table", "Spaced ", " 5"},
                    ReadCase{"Table", "; comment", "1"}, ReadCase{"Table", "Multi", "a=b; c "},
                    ReadCase{"Table", "Late", "after blank"}, ReadCase{"Table", "Other", "<default>"},
                    ReadCase{"Table", "Hidden", "<default>"}, ReadCase{"table ", "Other", "1"},
                    ReadCase{" Table", "Hidden", "1"}, ReadCase{"Last", "X", "<default>"},
                    ReadCase{"Missing", "Width", "<default>"}, ReadCase{"Table", "Wid", "<default>"}));

TEST(IniList, TypedReadsTakeDefaultsWhereTheyShould)
{
    const TKvIniList L = Doc("[S]\nEmpty=\nInt=12abc\nBad=x\nHex=0x10\nF=1.5;2\nBig=99999999999\n"
                             "B1=1\nB2=True\nB3=TRUE\nB4=2\nB5=yes\nB6=0\nB7=false\n");
    EXPECT_EQ(L.ReadInteger("S", "Empty", 7), 7);
    EXPECT_EQ(L.ReadInteger("S", "Int", 7), 12);
    EXPECT_EQ(L.ReadInteger("S", "Bad", 7), 7);
    EXPECT_EQ(L.ReadInteger("S", "Hex", 7), 16);
    EXPECT_EQ(L.ReadInteger("S", "Big", 7), 7);
    EXPECT_EQ(L.ReadInteger("S", "Absent", -1), -1);
    EXPECT_EQ(L.ReadFloat("S", "F", 0), 1.5);
    EXPECT_EQ(L.ReadFloat("S", "Bad", 2.5), 2.5);
    EXPECT_EQ(L.ReadFloat("S", "Empty", 2.5), 2.5);
    const std::pair<const char*, bool> Bools[] = {{"B1", true},  {"B2", true},  {"B3", true}, {"B4", false},
                                                  {"B5", false}, {"B6", false}, {"B7", false}};
    for (auto [Key, Value] : Bools)
        EXPECT_EQ(L.ReadBool("S", Key, !Value), Value) << Key;
    EXPECT_TRUE(L.ReadBool("S", "Empty", true));
    EXPECT_FALSE(L.ReadBool("S", "Absent", false));
}

TEST(IniList, FloatsAreWrittenWithAPointUnderACommaLocale)
{
    TKvScopedFormatSettings Locale({',', ';'});
    TKvIniList L;
    L.WriteFloat("S", "X", 2.5);
    L.WriteFloat("S", "Y", -3e-5);
    EXPECT_EQ(L.ReadString("S", "X", ""), "2.5");
    EXPECT_EQ(L.ReadFloat("S", "X", 0), 2.5);
    EXPECT_EQ(L.ReadString("S", "Y", ""), "-3E-5");
}

TEST(IniList, WritesPlaceKeysAndSectionsAsTheStoreDoes)
{
    TKvIniList L = Doc("[A]\r\nx=1\r\n\r\n[B]\r\ny=2");
    L.WriteString("A", "z", "3");     // before the empty line that ends A
    L.WriteString("B", "w", "4");     // at the very end
    L.WriteString("a", "X", "one");   // replaces, keeping the place
    L.WriteString("C", "k", std::string("v\0w", 3)); // a new section, cut at the NUL
    EXPECT_EQ(Lines(L), "[A]|X=one|z=3||[B]|y=2|w=4||[C]|k=v|");
    EXPECT_TRUE(L.Modified());
}

TEST(IniList, HeaderAsLastLineReceivesKeysDirectlyAfterIt)
{
    TKvIniList L = Doc("[A]\nx=1\n[B]");
    L.WriteString("B", "k", "v");
    L.WriteString("A", "y", "2");
    EXPECT_EQ(Lines(L), "[A]|x=1|y=2|[B]|k=v|");
}

TEST(IniList, EraseSectionTakesItsEmptyLineAlong)
{
    TKvIniList L = Doc("[A]\nx=1\n\n[B]\ny=2\n\n[C]\nz=3");
    L.EraseSection("b");
    EXPECT_EQ(Lines(L), "[A]|x=1||[C]|z=3|");
    L.EraseSection("C");
    L.WriteString("A", "n", "5");
    EXPECT_EQ(Lines(L), "[A]|x=1|n=5||");

    TKvIniList M = Doc("[A]\nx=1\n\n[B]\ny=2\n\n[C]\nz=3");
    M.EraseSection("B");
    M.EraseSection("A");
    M.WriteString("X", "k", "v");
    EXPECT_EQ(Lines(M), "[C]|z=3||[X]|k=v|");
    TKvIniList N;
    N.EraseSection("Absent");
    EXPECT_TRUE(N.Modified());
}

TEST(IniList, SectionListings)
{
    const TKvIniList L = Doc("x=0\n[A]\nk=1\nnoequals\n\n=v\n[B\n[A]\nk=2\n[C]x\n");
    TKvStringList List{"stale"};
    L.ReadSections(List);
    EXPECT_EQ(List, (TKvStringList{"A", "", "A", "C"}));
    L.ReadSection("A", List);
    EXPECT_EQ(List, (TKvStringList{"k", "", ""}));
    L.ReadSectionValues("A", List);
    EXPECT_EQ(List, (TKvStringList{"k=1", "noequals", "=v"}));
    L.ReadSection("Absent", List);
    EXPECT_TRUE(List.empty());
    EXPECT_TRUE(L.SectionExists("a"));
    EXPECT_FALSE(L.SectionExists("C"));
    EXPECT_EQ(L.ReadString("A", "k", ""), "1"); // the first of duplicate sections wins
}

TEST(IniList, Vectors)
{
    TKvIniList L = Doc("[S]\nV=1.5;2;x;3\nE=\nJunk=a;b\n");
    TKvRealVector V;
    V.Add(99);
    // A piece that does not convert keeps its place as a missing value.
    TKvReadVectorReport Report;
    L.ReadVector("S", "V", V, &Report);
    EXPECT_EQ(kv::test::ValuesText(V.Values()), "1.5 2 - 3");
    EXPECT_EQ(Report.Message("A"), "Column A: 1 entry could not be read and is left empty (row 3)");
    L.ReadVector("S", "Absent", V);
    EXPECT_EQ(V.Count(), 0);
    L.ReadVector("S", "E", V);
    EXPECT_EQ(V.Count(), 0);
    V.Add(1);
    L.ReadVector("S", "Junk", V);
    EXPECT_EQ(kv::test::ValuesText(V.Values()), "- -");

    TKvRealVector W;
    for (double X : {1.0, 2.5, -3e-5, 1200.0})
        W.Add(X);
    L.WriteVector("Column(0)", "Data", W);
    EXPECT_EQ(L.ReadString("Column(0)", "Data", "?"), "1;2.5;-3E-5;1200");
    L.WriteVector("Column(1)", "Data", TKvRealVector());
    EXPECT_EQ(L.ReadString("Column(1)", "Data", "?"), "");

    // Missing values are empty pieces, and read back in their places.
    TKvRealVector Gaps;
    for (double X : {MissingValue(), 1.0, MissingValue(), MissingValue(), 3.0, MissingValue()})
        Gaps.Add(X);
    L.WriteVector("Column(2)", "Data", Gaps);
    EXPECT_EQ(L.ReadString("Column(2)", "Data", "?"), ";1;;;3;");
    Report.Note(0); // a report is cleared by nobody but its owner: the count goes on
    L.ReadVector("Column(2)", "Data", V, &Report);
    EXPECT_EQ(kv::test::ValuesText(V.Values()), "- 1 - - 3 -");
    EXPECT_EQ(Report.Unreadable, 2); // empty pieces are no unreadable entries
}

struct TPieceCase {
    const char* Text;
    const char* Values;
    std::vector<int32_t> Unreadable; // 0-based rows
};

class ReadVectorPieces : public testing::TestWithParam<TPieceCase> {};

// Every piece keeps its row: a skipped piece would move the later values
// up and pair X and Y values of different rows.
TEST_P(ReadVectorPieces, KeepEveryPieceInItsRow)
{
    TKvIniList L;
    L.WriteString("S", "Data", GetParam().Text);
    TKvRealVector V;
    TKvReadVectorReport Report;
    L.ReadVector("S", "Data", V, &Report);
    EXPECT_EQ(kv::test::ValuesText(V.Values()), GetParam().Values);
    EXPECT_EQ(Report.Rows, GetParam().Unreadable);
    EXPECT_EQ(Report.Unreadable, static_cast<int32_t>(GetParam().Unreadable.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ReadVectorPieces,
    testing::Values(TPieceCase{"1;2.5;-3E-5;1200", "1 2.5 -3e-05 1200", {}},
                    TPieceCase{"1;;3", "1 - 3", {}},
                    TPieceCase{";", "- -", {}},
                    TPieceCase{"1;2;", "1 2 -", {}},
                    TPieceCase{" 2 ; +3;.5", "2 3 0.5", {}},          // blanks and a plus sign
                    TPieceCase{"1;NA;NAN;nan;3", "1 - - - 3", {1, 2, 3}}, // text, never a value
                    TPieceCase{"1 2;3", "- 3", {0}},                   // one piece, two numbers
                    TPieceCase{"1e400;1e-400;1e5x", "- 0 -", {0, 2}},   // out of range; underflow is 0
                    TPieceCase{"-;--;-.;1", "- - - 1", {0, 1, 2}}));

TEST(IniList, ReadVectorReportNamesTheFirstRows)
{
    TKvReadVectorReport Report;
    EXPECT_EQ(Report.Message("B"), "");
    Report.Note(3);
    Report.Note(8);
    EXPECT_EQ(Report.Message("B"), "Column B: 2 entries could not be read and are left empty (rows 4, 9)");
    for (int32_t Row = 10; Row < 30; ++Row)
        Report.Note(Row);
    EXPECT_EQ(Report.Unreadable, 22);
    EXPECT_EQ(Report.Message("AA"), "Column AA: 22 entries could not be read and are left empty "
                                    "(rows 4, 9, 11, 12, 13, 14, 15, 16, 17, 18, ...)");
}

TEST(IniList, FloatArrays)
{
    TKvIniList L = Doc("[S]\nA=1;2;3\nShort=1;2\nE=\n");
    std::array<double, 3> A{0, 0, 0};
    L.ReadFloatArray("S", "A", A);
    EXPECT_EQ(A, (std::array<double, 3>{1, 2, 3}));
    std::array<double, 3> B{7, 8, 9};
    try {
        L.ReadFloatArray("S", "Short", B);
        FAIL();
    } catch (const EConvertError& E) {
        EXPECT_STREQ(E.what(), "Error during integer extraction");
    }
    EXPECT_EQ(B, (std::array<double, 3>{7, 8, 9})); // nothing half-read
    L.ReadFloatArray("S", "E", B);
    L.ReadFloatArray("S", "Absent", B);
    EXPECT_EQ(B, (std::array<double, 3>{7, 8, 9}));
    const std::array<double, 2> W{0.1, 1e-5};
    L.WriteFloatArray("S", "W", W);
    EXPECT_EQ(L.ReadString("S", "W", ""), "0.1;1E-5");
}

TEST(IniList, IntegerArrays)
{
    TKvIniList L = Doc("[S]\nA=4;7\nNone=abc\nE=\n");
    std::array<int32_t, 3> A{0, 0, 0};
    L.ReadIntegerArray("S", "A", A);
    EXPECT_EQ(A, (std::array<int32_t, 3>{4, 7, 7}));
    EXPECT_THROW(L.ReadIntegerArray("S", "None", A), EConvertError);
    L.ReadIntegerArray("S", "E", A);
    EXPECT_EQ(A, (std::array<int32_t, 3>{4, 7, 7}));
    const std::array<int32_t, 3> W{-1, 0, 25};
    L.WriteIntegerArray("S", "W", W);
    EXPECT_EQ(L.ReadString("S", "W", ""), "-1;0;25");
    L.WriteIntegerArray("S", "Empty", std::span<const int32_t>());
    EXPECT_EQ(L.ReadString("S", "Empty", "?"), "");
}

TEST(IniList, FontsAndLineStylesRoundTripInKeyOrder)
{
    TKvIniList L;
    TKvFontRecord Font{"DejaVu Sans", 0, -2147483640, 12, true, false, true, false};
    L.WriteFont("Graph", "TitleFont", Font);
    TKvLineStyleRecord Style{false, 255, 2, 3};
    L.WriteLineStyle("Graph", "Line", Style);
    EXPECT_EQ(Lines(L), "|[Graph]|TitleFont.Name=DejaVu Sans|TitleFont.Charset=0|TitleFont.Color=-2147483640|"
                        "TitleFont.Size=12|TitleFont.Bold=1|TitleFont.Italic=0|TitleFont.Underline=1|"
                        "TitleFont.StrikeOut=0|Line.Visible=0|Line.Color=255|Line.Style=2|Line.Width=3|");
    TKvFontRecord F;
    L.ReadFont("Graph", "TitleFont", F);
    EXPECT_EQ(F, Font);
    TKvLineStyleRecord S;
    L.ReadLineStyle("Graph", "Line", S);
    EXPECT_EQ(S, Style);
    // Absent keys keep the current attributes.
    TKvFontRecord G{"Mono", 1, 5, 9, false, true, false, true};
    L.ReadFont("Graph", "Other", G);
    EXPECT_EQ(G, (TKvFontRecord{"Mono", 1, 5, 9, false, true, false, true}));
}

TEST(IniList, FormPlacementStaysOnScreen)
{
    const TKvScreenSize Screen{1000, 800};
    struct Case {
        const char* Text;
        TKvFormPlacement Expected;
    };
    const Case Cases[] = {
        {"[T]\nForm.State=2\nForm.Top=184\nForm.Left=411\nForm.Height=488\nForm.Width=686\n",
         {TKvWindowState::WsMaximized, 184, 411, 488, 686}},
        {"[T]\nForm.Top=900\nForm.Height=200\nForm.Width=400\n", {TKvWindowState::WsMinimized, 300, 300, 200, 400}},
        {"[T]\nForm.Left=-500\nForm.Width=400\nForm.Height=200\n", {TKvWindowState::WsMinimized, 300, 300, 200, 400}},
        {"[T]\nForm.State=9\nForm.Top=10\nForm.Left=20\nForm.Height=30\nForm.Width=40\n",
         {TKvWindowState::WsNormal, 10, 20, 30, 40}},
        {"", {TKvWindowState::WsMinimized, 1, 2, 3, 4}},
    };
    for (const Case& C : Cases) {
        TKvFormPlacement P{TKvWindowState::WsMinimized, 1, 2, 3, 4};
        Doc(C.Text).ReadFormPlacement("T", "Form", P, Screen);
        EXPECT_EQ(P, C.Expected) << C.Text;
    }
    TKvIniList L;
    const TKvFormPlacement P{TKvWindowState::WsNormal, 184, 411, 488, 686};
    L.WriteFormPlacement("Table", "Form", P);
    EXPECT_EQ(Lines(L), "|[Table]|Form.State=0|Form.Top=184|Form.Left=411|Form.Height=488|Form.Width=686|");
    TKvFormPlacement Q{TKvWindowState::WsMaximized, 0, 0, 10, 10};
    Doc("[T]\nForm.Top=5000\nForm.Left=7\n").ReadFormPosition("T", "Form", Q, Screen);
    EXPECT_EQ(Q, (TKvFormPlacement{TKvWindowState::WsMaximized, 395, 495, 10, 10}));
}

TEST(IniList, ModifiedIsSetByEveryWriteOnly)
{
    TKvIniList L = Doc("[S]\nk=v\n");
    EXPECT_FALSE(L.Modified());
    TKvRealVector V;
    L.ReadVector("S", "k", V);
    L.ReadString("S", "k", "");
    EXPECT_FALSE(L.Modified());
    L.WriteString("S", "k", "v"); // the same text still counts
    EXPECT_TRUE(L.Modified());
}

TEST(IniList, TenMillionNumbersInOneValue)
{
    TKvRealVector V;
    for (int i = 0; i < 10000000; ++i)
        V.Add(i * 0.25 - 1e6);
    TKvIniList L;
    L.WriteVector("Column(0)", "Data", V);
    TKvRealVector W;
    L.ReadVector("Column(0)", "Data", W);
    ASSERT_EQ(W.Count(), V.Count());
    for (int i = 0; i < V.Count(); i += 9973)
        ASSERT_EQ(W[i], V[i]);
    EXPECT_EQ(W[V.Count() - 1], V[V.Count() - 1]);
}

} // namespace
