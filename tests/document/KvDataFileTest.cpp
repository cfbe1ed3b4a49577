#include "DocumentTestSupport.h"
#include "document/KvDocument.h"
#include "foundation/KvErrors.h"
#include "foundation/KvFormatSettings.h"
#include "foundation/KvLargeIniFile.h"
#include "support/KvValuesText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

using kvtest::TFakeFormula;

const std::string DataFolder = KURVEX_TEST_DATA;

std::vector<double> Values(const kv::TKvDocument& D, int32_t k)
{
    auto V = D.Table.Data(k).Values();
    return {V.begin(), V.end()};
}

std::unique_ptr<TFakeFormula> FakeEngine()
{
    return std::make_unique<TFakeFormula>(std::map<std::string, TFakeFormula::TFunction>{
        {"A(#)*2", [](auto C, int32_t R) { return TFakeFormula::Cell(C, 1, R) * 2; }},
        {"A(#+1)", [](auto C, int32_t R) { return TFakeFormula::Cell(C, 1, R + 1); }}});
}

// The document of the minimal data file: three columns, A with a caption
// and values, B live, C empty.
void MakeMinimal(kv::TKvDocument& D)
{
    D.Table.SetMaxColumns(3);
    D.Table.Column(1).Header = "Time";
    D.Table.Data(1).Add(1);
    D.Table.Data(1).Add(2.5);
    D.Table.Data(1).Add(0.001);
    D.Table.Column(2).Formula = "A*2";
    D.Table.Column(2).LiveFormula = true;
    D.Table.Placement = {kv::TKvWindowState::WsNormal, 184, 411, 488, 686};
}

// The assignment of the example: B over A with C as Y error, D over A on
// the right axis.
void MakeAssignment(kv::TKvGraphAssignment& A)
{
    A.SetMaxSeries(2);
    kv::TGraphData& G = A.Graphs.front();
    G.XAxis = {1, 1};
    G.YAxis = {2, 4};
    G.YAxisPos = {0, 1};
    G.dYPlus = {3, 0};
    G.dYMinus = {3, 0};
}

class DataFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        Doc.Table.SetFormulaEngine(FakeEngine());
        Doc.Table.OnMessage = [this](const std::string& M) { Messages.push_back(M); };
    }
    kvtest::TScratchFolder Folder;
    kv::TKvDocument Doc;
    std::vector<std::string> Messages;
};

TEST_F(DataFileTest, MinimalTableIsWrittenByteForByte)
{
    MakeMinimal(Doc);
    const std::string File = Folder.File("table.plt");
    {
        kv::TKvLargeIniFile Store(File);
        Doc.SaveLayout(Store);
        Doc.SaveValues(Store);
        Store.Release();
    }
    // A table of other than 26 columns also writes its width, so the file
    // reloads with its three columns.
    EXPECT_EQ(kvtest::ReadAll(File), kvtest::ReadAll(DataFolder + "/document-minimal.plt") + "MaxColumns=3\r\n");
}

TEST_F(DataFileTest, AssignmentExampleIsWrittenByteForByte)
{
    MakeAssignment(Doc.Assignment);
    const std::string File = Folder.File("assign.plt");
    {
        kv::TKvLargeIniFile Store(File);
        Doc.Assignment.SaveAssignments(Store);
        Store.Release();
    }
    EXPECT_EQ(kvtest::ReadAll(File), kvtest::ReadAll(DataFolder + "/document-assignment.plt"));
}

TEST_F(DataFileTest, WholeFileIsAssignmentThenTableInTheFilesOrder)
{
    MakeMinimal(Doc);
    MakeAssignment(Doc.Assignment);
    Doc.Table.MarkModified();
    const std::string File = Folder.File("whole.plt");
    Doc.SaveToFile(File);
    const std::string Text = kvtest::ReadAll(File);
    const std::string Assignment = kvtest::ReadAll(DataFolder + "/document-assignment.plt");
    const std::string Table = kvtest::ReadAll(DataFolder + "/document-minimal.plt") + "MaxColumns=3\r\n";
    EXPECT_EQ(Text.rfind(Assignment, 0), 0u);
    const size_t Between = Text.find("\r\n[Assignments]\r\n");
    EXPECT_EQ(Between, Assignment.size());
    EXPECT_TRUE(Text.ends_with("\r\n\r\n" + Table));
    EXPECT_FALSE(Doc.Table.Modified());
    EXPECT_EQ(Doc.Table.CurrentFile, File);
    EXPECT_EQ(Doc.RecentFiles.Items().front(), File);
}

TEST_F(DataFileTest, MinimalFileReadsBackToTheSameModel)
{
    Doc.LoadFromFile(DataFolder + "/document-minimal.plt");
    // The example holds no "MaxColumns", so it comes back with the default
    // width of the table; the three columns it holds are as saved.
    ASSERT_EQ(Doc.Table.MaxColumns(), 26);
    EXPECT_EQ(Doc.Table.Column(1).Header, "Time");
    EXPECT_EQ(Values(Doc, 1), (std::vector<double>{1, 2.5, 0.001}));
    EXPECT_TRUE(Doc.Table.Column(2).LiveFormula);
    EXPECT_EQ(Doc.Table.Column(2).Formula, "A*2");
    EXPECT_EQ(Values(Doc, 2), (std::vector<double>{2, 5, 0.002})); // recomputed
    for (int32_t k = 3; k <= 26; ++k) {
        EXPECT_TRUE(Doc.Table.ColumnIsEmpty(k)) << k;
        EXPECT_TRUE(Doc.Table.Column(k).Formula.empty()) << k;
    }
    EXPECT_EQ(Doc.Table.Placement, (kv::TKvFormPlacement{kv::TKvWindowState::WsNormal, 184, 411, 488, 686}));
    EXPECT_FALSE(Doc.Table.Modified());
    EXPECT_TRUE(Messages.empty());

    // with the table's width given, it writes the same file again, width included
    const std::string File = Folder.File("again.plt");
    kv::TKvDocument Three;
    Three.Table.SetFormulaEngine(FakeEngine());
    kvtest::WriteAll(File, kvtest::ReadAll(DataFolder + "/document-minimal.plt") + "MaxColumns=3\r\n");
    Three.LoadFromFile(File);
    ASSERT_EQ(Three.Table.MaxColumns(), 3);
    const std::string Out = Folder.File("out.plt");
    {
        kv::TKvLargeIniFile Store(Out);
        Three.SaveLayout(Store);
        Three.SaveValues(Store);
        Store.Release();
    }
    EXPECT_EQ(kvtest::ReadAll(Out), kvtest::ReadAll(DataFolder + "/document-minimal.plt") + "MaxColumns=3\r\n");
}

TEST_F(DataFileTest, AssignmentExampleReadsBack)
{
    Doc.LoadFromFile(DataFolder + "/document-assignment.plt");
    EXPECT_EQ(Doc.Assignment.MaxSeries(), 2);
    ASSERT_EQ(Doc.Assignment.GraphCount(), 1);
    kv::TKvGraphAssignment Expected;
    MakeAssignment(Expected);
    const kv::TGraphData& G = Doc.Assignment.Graphs.front();
    const kv::TGraphData& E = Expected.Graphs.front();
    EXPECT_EQ(G.XAxis, E.XAxis);
    EXPECT_EQ(G.YAxis, E.YAxis);
    EXPECT_EQ(G.YAxisPos, E.YAxisPos);
    EXPECT_EQ(G.dYPlus, E.dYPlus);
    EXPECT_EQ(G.dYMinus, E.dYMinus);
    EXPECT_EQ(G.Weight, E.Weight);
    EXPECT_EQ(G.Title, "Graph(1)");
    EXPECT_EQ(Doc.Table.MaxColumns(), 26); // no "Table" section
    EXPECT_EQ(Doc.Table.LockedRows, 4);
}

struct TListener {
    int Changes = 0;
    int Clears = 0;
    void ValueChanged(double, int32_t i, bool WasDeleted)
    {
        if (WasDeleted && i < 0)
            ++Clears;
        else
            ++Changes;
    }
};

TEST_F(DataFileTest, ViewsBoundToAColumnStayValidAcrossALoad)
{
    TListener Listener;
    kv::TKvLiveVector* Column = &Doc.Table.Data(1);
    Column->Listeners().Add(kv::TKvValueIChangedEvent::Bind<&TListener::ValueChanged>(&Listener));
    Doc.LoadFromFile(DataFolder + "/document-minimal.plt");
    EXPECT_EQ(&Doc.Table.Data(1), Column);
    EXPECT_EQ(Column->Count(), 3);
    // told to recompute everything, not once per value
    EXPECT_GE(Listener.Clears, 1);
    EXPECT_EQ(Listener.Changes, 0);
    Column->Listeners().Clear();
}

TEST_F(DataFileTest, DamagedFileLoadsWhatIsReadable)
{
    Doc.Table.GraphFormulas = {"sin(x)"};
    Doc.LoadFromFile(DataFolder + "/document-damaged.plt");
    ASSERT_EQ(Doc.Table.MaxColumns(), 4);
    EXPECT_EQ(Doc.Table.RowNumberWidth, 80);         // "abc" is no width
    EXPECT_EQ(Doc.Table.Column(1).Header, "Time");   // the first of two sections wins
    EXPECT_EQ(Doc.Table.Column(1).Width, 80);
    // the unreadable piece and the empty one keep their rows, empty
    EXPECT_EQ(kv::test::ValuesText(Doc.Table.Data(1).Values()), "1 2 - 3 - 5");
    EXPECT_EQ(Values(Doc, 4), (std::vector<double>(6, 7.0)));     // column D's values sit in Column(3)
    // B does not compile: every row reported, nothing stored
    EXPECT_TRUE(Values(Doc, 2).empty());
    // C reads one row ahead of A: empty where A is, the row past A's end reported
    EXPECT_EQ(kv::test::ValuesText(Doc.Table.Data(3).Values()), "2 - 3 - 5");
    ASSERT_EQ(Messages.size(), 8u);
    EXPECT_EQ(Messages[0], "Error in Cell: B1 Error parsing expression:\rA(#)*");
    EXPECT_EQ(Messages[6], "Error in Cell: C6 row 7 holds no value");
    // the load says what it could not read, and the report keeps it
    EXPECT_EQ(Doc.Table.LastMessage(), DataFolder + "/document-damaged.plt: Column A: 1 entry could not be read "
                                                    "and is left empty (row 3)");
    ASSERT_EQ(Doc.LoadReport().Columns.size(), 1u);
    EXPECT_EQ(Doc.LoadReport().Columns[0].Column, 1);
    EXPECT_EQ(Doc.LoadReport().Columns[0].Entries.Rows, (std::vector<int32_t>{2}));
    // the fit formulas are added to the known ones, duplicates removed
    EXPECT_EQ(Doc.Table.GraphFormulas, (kv::TKvStringList{"sin(x)", "A*X+B"}));
    EXPECT_EQ(Doc.Assignment.Graphs.front().XAxis, (std::vector<int32_t>{1, 1}));
    EXPECT_EQ(Doc.Assignment.Graphs.front().YAxis, (std::vector<int32_t>{2, 2}));
    EXPECT_TRUE(Doc.Assignment.IsValidSlot(1, 1, Doc.Table.MaxColumns()));
}

// Empty cells after a column's last value are no data: the save writes
// none, so a column ending in empty or unreadable pieces loads the same
// before and after a save (a lone unreadable piece leaves the column empty).
TEST_F(DataFileTest, EmptyCellsAtAColumnsEndAreNoData)
{
    const std::string File = Folder.File("ends.plt");
    std::ofstream(File) << "[Table]\nMaxColumns=3\n[Column(0)]\nData=1;;\n[Column(1)]\nData=7lu\n"
                           "[Column(2)]\nData=;2;NA\n";
    Doc.LoadFromFile(File);
    EXPECT_EQ(kv::test::ValuesText(Doc.Table.Data(1).Values()), "1");
    EXPECT_TRUE(Values(Doc, 2).empty());
    EXPECT_EQ(kv::test::ValuesText(Doc.Table.Data(3).Values()), "- 2");
    EXPECT_EQ(Doc.LoadReport().Columns.size(), 2u) << "the unreadable pieces are still named";
    Doc.SaveToFile(File);
    kv::TKvDocument Again;
    Again.LoadFromFile(File);
    for (int32_t k = 1; k <= 3; ++k)
        EXPECT_EQ(kv::test::ValuesText(Again.Table.Data(k).Values()), kv::test::ValuesText(Doc.Table.Data(k).Values()))
            << "column " << k;
}

TEST_F(DataFileTest, MissingFileChangesNothing)
{
    MakeMinimal(Doc);
    Doc.Table.CurrentFile = "old.plt";
    Doc.Table.MarkModified();
    const std::string Missing = Folder.File("missing.plt");
    try {
        Doc.LoadFromFile(Missing);
        FAIL() << "no error";
    } catch (const kv::EFileError& E) {
        EXPECT_EQ(E.what(), Missing + " does not exist");
    }
    EXPECT_EQ(Values(Doc, 1), (std::vector<double>{1, 2.5, 0.001}));
    EXPECT_EQ(Doc.Table.CurrentFile, "old.plt");
    EXPECT_TRUE(Doc.Table.Modified());
    EXPECT_EQ(Doc.RecentFiles.Count(), 0);
    EXPECT_THROW(Doc.LoadFromFile(Folder.Path().string()), kv::EFileError); // a folder is no data file
}

// The window asks once, before it picks the file; the load itself asks nothing.
TEST_F(DataFileTest, LoadingAsksNoSecondQuestion)
{
    const std::string File = Folder.File("minimal.plt");
    MakeMinimal(Doc);
    Doc.SaveToFile(File);
    int Asked = 0;
    Doc.ConfirmClear = [&] {
        ++Asked;
        return false;
    };
    Doc.Table.Data(1).Add(9);
    Doc.Table.MarkModified();
    Doc.LoadFromFile(File);
    EXPECT_EQ(Asked, 0);
    EXPECT_EQ(Values(Doc, 1), (std::vector<double>{1, 2.5, 0.001}));
    EXPECT_FALSE(Doc.Table.Modified());
}

// A path given relative to the working folder is kept absolute, so the
// recent-files entry still works after a restart elsewhere.
TEST_F(DataFileTest, RecentFilesAndTheCurrentFileHoldAbsolutePaths)
{
    const std::filesystem::path Before = std::filesystem::current_path();
    std::filesystem::current_path(Folder.Path());
    MakeMinimal(Doc);
    Doc.SaveToFile("saved.plt");
    kv::TKvDocument Back;
    Back.LoadFromFile("../" + Folder.Path().filename().string() + "/./saved.plt");
    std::filesystem::current_path(Before);
    const std::string Absolute = (Folder.Path() / "saved.plt").string();
    EXPECT_EQ(Doc.Table.CurrentFile, Absolute);
    EXPECT_EQ(Doc.RecentFiles.Items(), (std::vector<std::string>{Absolute}));
    EXPECT_EQ(Back.Table.CurrentFile, Absolute);
    EXPECT_EQ(Back.RecentFiles.Items(), (std::vector<std::string>{Absolute}));
}

// Random bytes load as an empty table, but not silently.
TEST_F(DataFileTest, FileWithoutAnyTableSaysSo)
{
    const std::string Noise = Folder.File("noise.plt");
    {
        std::ofstream Out(Noise, std::ios::binary);
        for (int i = 0; i < 4096; ++i)
            Out.put(static_cast<char>((i * 7919 + 13) % 251));
    }
    MakeMinimal(Doc);
    Doc.LoadFromFile(Noise);
    EXPECT_EQ(Doc.Table.MaxDataCount(), 0);
    EXPECT_EQ(Doc.Table.LastMessage(), Noise + " holds no table");
    const std::string Minimal = Folder.File("only-a-column.plt");
    std::ofstream(Minimal) << "[Column(1)]\nHeader=x\n";
    Doc.LoadFromFile(Minimal);
    EXPECT_EQ(Doc.Table.LastMessage(), "");
    EXPECT_EQ(Doc.Table.Column(1).Header, "x");
}

TEST_F(DataFileTest, FailedSaveKeepsTheModifiedMarkAndTheOldFile)
{
    MakeMinimal(Doc);
    Doc.Table.MarkModified();
    Doc.Table.CurrentFile = "before.plt";
    // a file system that takes no new files, and a folder in place of the file
    for (const std::string& Target : {std::string("/proc/kurvex-document-test.plt"), Folder.Path().string()}) {
        EXPECT_THROW(Doc.SaveToFile(Target), kv::EFileError) << Target;
        EXPECT_TRUE(Doc.Table.Modified());
        EXPECT_EQ(Doc.RecentFiles.Count(), 0);
        EXPECT_EQ(Doc.Table.CurrentFile, "before.plt");
    }
    EXPECT_TRUE(std::filesystem::is_directory(Folder.Path()));
}

TEST_F(DataFileTest, SavingOverAnOlderFileKeepsItsOtherSections)
{
    const std::string File = Folder.File("three.plt");
    kvtest::WriteAll(File, "[Graphs]\r\nGraphCount=3\r\n\r\n[Graph(3)]\r\nTitle=Third\r\n");
    Doc.SaveToFile(File);
    const std::string Text = kvtest::ReadAll(File);
    EXPECT_NE(Text.find("[Graph(3)]\r\nTitle=Third\r\n"), std::string::npos);
    kv::TKvDocument Back;
    Back.LoadFromFile(File);
    EXPECT_EQ(Back.Assignment.GraphCount(), 1);
}

TEST_F(DataFileTest, ValuesOfColumnAComeFromColumnZero)
{
    const std::string File = Folder.File("shifted.plt");
    kvtest::WriteAll(File, "[Column(1)]\r\nData=4;5\r\nHeader=h\r\nFormula=\r\nLiveFormula=1\r\n");
    Doc.LoadFromFile(File);
    EXPECT_TRUE(Values(Doc, 1).empty());
    EXPECT_EQ(Values(Doc, 2), (std::vector<double>{4, 5}));
    EXPECT_FALSE(Doc.Table.Column(1).LiveFormula); // live without a formula is ordinary
    EXPECT_EQ(Doc.Table.MaxColumns(), 26);
    EXPECT_EQ(Doc.Table.Column(26).Width, 80);
}

TEST_F(DataFileTest, FormulasAreStoredWithAPointAndHeldInTheLocale)
{
    kv::TKvScopedFormatSettings Comma({',', ';'});
    Doc.Table.Column(2).Formula = "A*1,5";
    kv::TKvIniList Store;
    Doc.SaveLayout(Store);
    EXPECT_EQ(Store.ReadString("Column(2)", "Formula", ""), "A*1.5");
    kv::TKvDocument Back;
    Back.LoadLayout(Store);
    EXPECT_EQ(Back.Table.Column(2).Formula, "A*1,5");
}

struct TMaxColumnsCase {
    const char* Value;
    int32_t Columns;
};

class MaxColumnsTest : public testing::TestWithParam<TMaxColumnsCase> {};

TEST_P(MaxColumnsTest, ReadFromTheTableSection)
{
    kv::TKvIniList Store;
    Store.WriteString("Table", "MaxColumns", GetParam().Value);
    kv::TKvDocument D;
    D.LoadLayout(Store);
    EXPECT_EQ(D.Table.MaxColumns(), GetParam().Columns);
}

INSTANTIATE_TEST_SUITE_P(Values, MaxColumnsTest,
                         testing::Values(TMaxColumnsCase{"3", 3}, TMaxColumnsCase{"0", 26}, TMaxColumnsCase{"-7", 26},
                                         TMaxColumnsCase{"x", 26}, TMaxColumnsCase{"40", 40},
                                         TMaxColumnsCase{"2000000000", kv::TKvDataTable::MaxColumnsLimit}));

TEST_F(DataFileTest, ClearAllAsksOnlyForModifiedData)
{
    int Asked = 0;
    bool Answer = false;
    Doc.ConfirmClear = [&] {
        ++Asked;
        return Answer;
    };
    MakeMinimal(Doc);
    Doc.Assignment.AddGraph();
    EXPECT_TRUE(Doc.ClearAll());
    EXPECT_EQ(Asked, 0);
    EXPECT_TRUE(Values(Doc, 1).empty());
    EXPECT_EQ(Doc.Assignment.GraphCount(), 1);
    Doc.Table.Data(1).Add(3);
    Doc.Table.Column(1).Width = 99;
    Doc.Table.MarkModified();
    EXPECT_FALSE(Doc.ClearAll());
    EXPECT_EQ(Values(Doc, 1), (std::vector<double>{3}));
    Answer = true;
    EXPECT_TRUE(Doc.ClearAll());
    EXPECT_EQ(Asked, 2);
    EXPECT_TRUE(Values(Doc, 1).empty());
    EXPECT_EQ(Doc.Table.Column(1).Width, 99);
    EXPECT_FALSE(Doc.Table.Modified());
    // a message about a cell that is gone goes too
    Doc.Table.ReportCellError(1, 1, "x");
    EXPECT_TRUE(Doc.ClearAll());
    EXPECT_EQ(Doc.Table.LastMessage(), "");
    EXPECT_EQ(Messages.back(), "");
}

TEST_F(DataFileTest, ColumnCommandsRenumberTheAssignment)
{
    MakeAssignment(Doc.Assignment);
    Doc.DeleteColumn(2); // B goes: Y of slot 1 not selected, D becomes C, C becomes B
    const kv::TGraphData& G = Doc.Assignment.Graphs.front();
    EXPECT_EQ(G.YAxis, (std::vector<int32_t>{0, 3}));
    EXPECT_EQ(G.dYPlus, (std::vector<int32_t>{2, 0}));
    EXPECT_EQ(G.XAxis, (std::vector<int32_t>{1, 1}));
    Doc.InsertColumn(1); // at A: everything one up
    EXPECT_EQ(G.XAxis, (std::vector<int32_t>{2, 2}));
    EXPECT_EQ(G.YAxis, (std::vector<int32_t>{0, 4}));
}

TEST_F(DataFileTest, TextFilesImportAndExport)
{
    const std::string File = Folder.File("table.txt");
    Doc.Table.Data(1).Add(1.5);
    Doc.Table.Column(1).Header = "x";
    Doc.ExportTable(File, '\t');
    EXPECT_EQ(kvtest::ReadAll(File), "x\r\n1.5\r\n");
    kv::TKvDocument Back;
    Back.ImportTable(File, '\t');
    EXPECT_EQ(Values(Back, 1), (std::vector<double>{1.5}));
    EXPECT_THROW(Back.ImportTable(Folder.File("none.txt"), '\t'), kv::EFileError);
    EXPECT_THROW(Doc.ExportTable("/proc/kurvex-document-test.txt", '\t'), kv::EFileError);
}

} // namespace
