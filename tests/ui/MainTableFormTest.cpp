#include "ui/EditFormulaForm.h"
#include "ui/KvCellGrid.h"
#include "ui/MainTableForm.h"

#include "foundation/KvFormatSettings.h"
#include "foundation/KvLargeIniFile.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include "ui/GoToCellForm.h"
#include "ui/HelpForm.h"
#include "ui/KvColumnList.h"
#include "ui/KvIntegerEdit.h"
#include <QRadioButton>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace kv;
namespace fs = std::filesystem;

namespace {

// A table window over a document of its own, with folders in a fresh
// temporary place and every question answered by the test.
class MainTable : public testing::Test {
protected:
    fs::path Dir;
    TKvPaths Paths;
    TKvDocument Document;
    std::unique_ptr<TMainTableForm> Form;
    std::vector<QString> Questions, Errors, Infos;
    QMessageBox::StandardButton Answer = QMessageBox::Yes;
    QString NextFile;
    QString NextFilter;

    void SetUp() override
    {
        Dir = fs::temp_directory_path() / ("kurvex-ui-" + std::to_string(::getpid()) + "-" +
                                           testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Dir);
        fs::create_directories(Dir / "exe");
        Paths = ComputePaths((Dir / "exe" / "kurvex").string(), (Dir / "appdata").string(), (Dir / "docs").string());
    }
    void TearDown() override
    {
        Form.reset();
        fs::remove_all(Dir);
    }
    void Open()
    {
        Form = std::make_unique<TMainTableForm>(Document, Paths);
        auto& S = Form->Services;
        S.Ask = [this](const QString& Text, QMessageBox::StandardButtons) {
            Questions.push_back(Text);
            return Answer;
        };
        S.ShowError = [this](const QString& Text) { Errors.push_back(Text); };
        S.ShowInfo = [this](const QString& Text) { Infos.push_back(Text); };
        S.OpenFileName = [this](const QString&, const QString&, const QString&, QString& Filter) {
            if (!NextFilter.isEmpty())
                Filter = NextFilter;
            return NextFile;
        };
        S.SaveFileName = S.OpenFileName;
        S.Beep = [] {};
        Form->resize(900, 600);
        Form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    }
    TKvCellGrid& Grid() { return *Form->Grid(); }
    int Locked() const { return Document.Table.LockedRows; }
    // Data row r (0-based) of column k (1-based).
    void Activate(int k, int r) { Grid().SetActiveCell(Locked() + r, k); }
    void Type(int k, int r, const char* Text)
    {
        Activate(k, r);
        QTest::keyClicks(&Grid(), QString(Text).left(1));
        QTest::keyClicks(Grid().Editor(), QString(Text).mid(1));
        QTest::keyClick(Grid().Editor(), Qt::Key_Return);
    }
    std::vector<double> Values(int k) const
    {
        const auto V = Document.Table.Data(k).Values();
        return {V.begin(), V.end()};
    }
    QString Panel(int i) const { return Form->StatusPanel(i)->text(); }
    void Write(const fs::path& Path, const std::string& Text) { std::ofstream(Path, std::ios::binary) << Text; }
    std::string Read(const fs::path& Path)
    {
        std::ifstream In(Path, std::ios::binary);
        return {std::istreambuf_iterator<char>(In), {}};
    }
    void Shot(const char* Name)
    {
        if (const char* Folder = std::getenv("KURVEX_SHOTS"))
            Form->grab().save(QString(Folder) + "/" + Name + ".png");
    }
};

TEST_F(MainTable, FirstRunHasTwentySixEmptyColumnsAndWritesTheSettingsAtExit)
{
    Open();
    EXPECT_EQ(Form->windowTitle(), "Plot / Data Table");
    EXPECT_EQ(Document.Table.MaxColumns(), 26);
    EXPECT_EQ(Grid().ColCount(), 27);
    EXPECT_EQ(Locked(), 4); // one graph row, caption, formula and letter rows
    EXPECT_EQ(Form->Settings().IconStyle, 1);
    EXPECT_TRUE(Document.RecentFiles.Items().empty());
    EXPECT_FALSE(fs::exists(Paths.SettingsFile));
    Form.reset();
    ASSERT_TRUE(fs::exists(Paths.SettingsFile));
    TKvLargeIniFile Ini(Paths.SettingsFile);
    EXPECT_TRUE(Ini.SectionExists("Table"));
    EXPECT_EQ(Ini.ReadInteger("Icons", "Style", -1), 1);
}

TEST_F(MainTable, DefaultSettingsBesideTheProgramSeedANewUser)
{
    Write(Dir / "exe" / "kurvex.usr", "[Column(1)]\r\nHeader=Seeded\r\n[Icons]\r\nStyle=0\r\n");
    Open();
    EXPECT_TRUE(fs::exists(Paths.SettingsFile));
    EXPECT_EQ(Document.Table.Column(1).Header, "Seeded");
    EXPECT_EQ(Form->Settings().IconStyle, 0);
}

TEST_F(MainTable, RecentFilesComeBackInOrder)
{
    Open();
    for (int i = 6; i >= 1; --i)
        Document.RecentFiles.Add((Dir / ("f" + std::to_string(i) + ".plt")).string());
    Form.reset();
    TKvDocument Again;
    TMainTableForm Second(Again, Paths);
    ASSERT_EQ(Again.RecentFiles.Count(), 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Again.RecentFiles.Items()[static_cast<size_t>(i)],
                  (Dir / ("f" + std::to_string(i + 1) + ".plt")).string());
}

TEST_F(MainTable, TypingStoresValuesAndMarksTheTableModified)
{
    Open();
    Type(1, 0, "1.5");
    Type(1, 1, "-2e3");
    Type(1, 5, "7");
    EXPECT_EQ(Values(1), (std::vector<double>{1.5, -2000, 0, 0, 0, 7}));
    EXPECT_EQ(Panel(0), "Modified");
    // A text that does not convert is dropped; an emptied cell becomes 0.
    Type(1, 0, "E");
    EXPECT_EQ(Values(1)[0], 1.5);
    Activate(1, 1);
    ASSERT_TRUE(Grid().BeginEdit());
    Grid().Editor()->clear();
    QTest::keyClick(Grid().Editor(), Qt::Key_Return);
    EXPECT_EQ(Values(1)[1], 0);
    EXPECT_EQ(Values(1).size(), 6u);
}

TEST_F(MainTable, CommaLocaleTypingAndDisplay)
{
    TKvScopedFormatSettings Comma({',', ';'});
    Open();
    Type(2, 0, "2,5");
    EXPECT_EQ(Values(2), (std::vector<double>{2.5}));
    EXPECT_EQ(Grid().OnGetCellData(Locked(), 2), "2,5");
    Shot("main-window-comma-locale");
}

TEST_F(MainTable, CopyAndPasteABlockThroughTheClipboard)
{
    Open();
    for (int r = 0; r < 2; ++r)
        for (int k = 1; k <= 2; ++k)
            Type(k, r, std::to_string(10 * k + r).c_str());
    Grid().SetActiveCell(Locked(), 1);
    Grid().SelectRange({Locked(), 1, Locked() + 1, 2}, false);
    Form->UpdateActions();
    EXPECT_TRUE(Form->Action("EditCopy")->isEnabled());
    Form->EditCopy();
    EXPECT_EQ(QApplication::clipboard()->text(), "10\t20\r11\t21");
    Grid().ClearSelection();
    Activate(3, 4);
    Form->EditPaste();
    EXPECT_EQ(Values(3), (std::vector<double>{0, 0, 0, 0, 10, 11}));
    EXPECT_EQ(Values(4), (std::vector<double>{0, 0, 0, 0, 20, 21}));
}

TEST_F(MainTable, DeleteAndInsertCellsRowsAndColumns)
{
    Open();
    for (int r = 0; r < 6; ++r)
        Type(1, r, std::to_string(r + 1).c_str());
    Grid().SelectRange({Locked() + 1, 1, Locked() + 3, 1}, false);
    Form->EditDelete();
    EXPECT_EQ(Values(1), (std::vector<double>{1, 5, 6}));
    Grid().ClearSelection();
    Activate(1, 1);
    Form->InsertCell();
    EXPECT_EQ(Values(1), (std::vector<double>{1, 0, 5, 6}));
    Form->EditDelete();
    EXPECT_EQ(Values(1), (std::vector<double>{1, 5, 6}));
    Type(2, 0, "9");
    Activate(1, 0);
    Form->InsertRow();
    EXPECT_EQ(Values(1), (std::vector<double>{0, 1, 5, 6}));
    EXPECT_EQ(Values(2), (std::vector<double>{0, 9}));
    Document.Table.Column(3).Formula = "A+B";
    Activate(1, 0);
    Form->InsertColumn();
    EXPECT_TRUE(Values(1).empty());
    EXPECT_EQ(Values(2), (std::vector<double>{0, 1, 5, 6}));
    EXPECT_EQ(Document.Table.Column(4).Formula, "B+C");
    Form->DeleteColumn();
    EXPECT_EQ(Values(1), (std::vector<double>{0, 1, 5, 6}));
    // A used last column makes Insert Column impossible.
    Document.Table.Column(26).Header = "used";
    Form->InsertColumn();
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0], "Last column is not empty!\nAction impossible!");
}

TEST_F(MainTable, ClearAllAsksWhenModified)
{
    Open();
    Type(1, 0, "5");
    Answer = QMessageBox::No;
    EXPECT_FALSE(Form->ClearAll());
    ASSERT_EQ(Questions.size(), 1u);
    EXPECT_EQ(Questions[0], "Data have been modified!\nDo really want to clear all data?");
    EXPECT_EQ(Values(1).size(), 1u);
    Answer = QMessageBox::Yes;
    EXPECT_TRUE(Form->ClearAll());
    EXPECT_TRUE(Values(1).empty());
    EXPECT_EQ(Panel(0), "");
}

TEST_F(MainTable, CloseQuestionYesNoCancel)
{
    Open();
    Type(1, 0, "5");
    Answer = QMessageBox::Cancel;
    EXPECT_FALSE(Form->close());
    EXPECT_EQ(Questions.back(), "Data have been modified!\nDo you want to save?");
    Answer = QMessageBox::Yes;
    NextFile = QString::fromStdString((Dir / "saved").string());
    EXPECT_TRUE(Form->close());
    EXPECT_TRUE(fs::exists(Dir / "saved.plt"));
    Form->show();
    Type(1, 1, "6");
    Answer = QMessageBox::No;
    EXPECT_TRUE(Form->close());
}

TEST_F(MainTable, ImportAndExportWithBothSeparators)
{
    TKvScopedFormatSettings Comma({',', ';'});
    Open();
    Type(1, 0, "1,5");
    Type(3, 0, "2");
    Type(3, 1, "3");
    Document.Table.Column(1).Header = "\\bTime\\b";
    for (const auto& [Filter, Name, Separator] :
         {std::tuple{"Text with Tabs (*.txt)", "tabs", '\t'}, std::tuple{"Text with List-Separators (*.txt)", "list", ';'}}) {
        NextFilter = Filter;
        NextFile = QString::fromStdString((Dir / Name).string());
        Form->Export();
        const std::string Expected = std::string("Time") + Separator + "\r\n1,5" + Separator + "2\r\n" + Separator + "3\r\n";
        EXPECT_EQ(Read(Dir / (std::string(Name) + ".txt")), Expected) << Name;
    }
    NextFile = QString::fromStdString((Dir / "list.txt").string());
    Answer = QMessageBox::Yes;
    Form->Import();
    // The empty piece of the second line stores 0, as any piece that does not convert.
    EXPECT_EQ(Values(1), (std::vector<double>{1.5, 0}));
    EXPECT_EQ(Values(2), (std::vector<double>{2, 3}));
    EXPECT_EQ(Document.Table.Column(1).Header, "Time");
    NextFile = QString::fromStdString((Dir / "missing.txt").string());
    Form->Import();
    ASSERT_FALSE(Errors.empty());
    EXPECT_NE(Errors.back().indexOf("does not exist"), -1);
}

TEST_F(MainTable, FormulaEditorInBothModes)
{
    Open();
    for (int r = 0; r < 3; ++r)
        Type(1, r, std::to_string(r + 1).c_str());
    TEditFormulaForm& F = *Form->FormulaEditor();
    // Copy mode over rows 3 down to 2 (given in reverse).
    F.Prepare(Document.Table, 2, std::make_pair(3, 2));
    EXPECT_TRUE(F.CopyButton()->isChecked());
    EXPECT_EQ(F.TargetColumn(), 2);
    F.FormulaField()->setText("A*10");
    F.Apply(Document.Table);
    EXPECT_EQ(Values(2), (std::vector<double>{0, 20, 30}));
    EXPECT_FALSE(Document.Table.Column(2).LiveFormula);
    // Live mode follows later edits.
    F.Prepare(Document.Table, 3, std::nullopt);
    EXPECT_EQ(F.TargetList()->ColumnCount(), 26);
    EXPECT_EQ(F.TargetList()->CurrentColumn(), 3);
    F.FormulaField()->setText("A+1");
    F.LiveButton()->setChecked(true);
    EXPECT_FALSE(F.FromField()->isVisibleTo(&F));
    EXPECT_EQ(F.FromField()->Value(), 1);
    EXPECT_EQ(F.ToField()->Value(), 3); // the rows of the longest column
    F.Apply(Document.Table);
    EXPECT_EQ(Values(3), (std::vector<double>{2, 3, 4}));
    Type(1, 3, "10");
    EXPECT_EQ(Values(3), (std::vector<double>{2, 3, 4, 11}));
    EXPECT_EQ(Grid().OnGetCellData(Locked() - 2, 3), "A+1");
    // A wrong formula is reported when the field is checked.
    QString Reported;
    F.OnError = [&](const QString& Message) { Reported = Message; };
    F.FormulaField()->setText("A+*");
    EXPECT_FALSE(F.CheckFormula());
    EXPECT_FALSE(Reported.isEmpty());
    if (const char* Folder = std::getenv("KURVEX_SHOTS")) {
        F.Prepare(Document.Table, 3, std::nullopt);
        F.show();
        F.grab().save(QString(Folder) + "/formula-editor.png");
        F.hide();
    }
}

TEST_F(MainTable, ToolBarStylesAndTheRecentFilesMenu)
{
    Open();
    auto* Bar = Form->findChild<QToolBar*>("TableToolBar");
    ASSERT_NE(Bar, nullptr);
    const std::pair<int, int> Sizes[] = {{0, 24}, {1, 16}, {2, 16}};
    for (auto [Style, Size] : Sizes) {
        Form->SetIconStyle(Style);
        EXPECT_EQ(Bar->iconSize(), QSize(Size, Size));
        EXPECT_TRUE(Form->Action(QString("IconStyle%1").arg(Style))->isChecked());
        EXPECT_EQ(Form->Settings().IconStyle, Style);
    }
    // Files opened and saved go on top of the menu, newest first.
    const fs::path A = Dir / "a.plt", B = Dir / "b.plt";
    ASSERT_TRUE(Form->SaveToFile(QString::fromStdString(A.string())));
    ASSERT_TRUE(Form->SaveToFile(QString::fromStdString(B.string())));
    ASSERT_TRUE(Form->LoadFromFile(QString::fromStdString(A.string())));
    QStringList Entries;
    for (QAction* Action : Form->findChild<QMenuBar*>()->actions())
        if (Action->text() == "&File")
            for (QAction* Item : Action->menu()->actions())
                if (Item->data().isValid())
                    Entries << Item->data().toString();
    EXPECT_EQ(Entries, (QStringList{QString::fromStdString(A.string()), QString::fromStdString(B.string())}));
}

TEST_F(MainTable, GoToCellGrowsTheGridAndMovesThere)
{
    Open();
    const int Rows = Grid().RowCount();
    Form->GoToCell(5, 5000);
    EXPECT_EQ(Grid().ActiveCell(), (TKvGridCoord{Locked() + 4999, 5}));
    EXPECT_GT(Grid().RowCount(), Rows);
    EXPECT_GE(Grid().ActiveCell().Row, Grid().TopRow());
    EXPECT_LT(Grid().ActiveCell().Row, Grid().TopRow() + Grid().VisibleScrollableRows());
}

TEST_F(MainTable, FormulaHelpOpensItsTopic)
{
    Open();
    Form->FormulaEditor()->OnHelp("CalculateColumns");
    EXPECT_EQ(Form->Help()->CurrentTopic(), "CalculateColumns");
}

TEST_F(MainTable, LiveColumnsAreReadOnlyAndHinted)
{
    Open();
    Type(1, 0, "1");
    Document.Table.Column(2).Formula = "A*2";
    Document.Table.Column(2).LiveFormula = true;
    Document.Table.RecalculateAll();
    Activate(2, 0);
    EXPECT_FALSE(Grid().BeginEdit());
    const QPoint LiveCell = Grid().CellRect(Locked(), 2).center();
    EXPECT_EQ(Form->HintAt(LiveCell), "Column has live formula assigned\rEditing of values impossible");
    EXPECT_EQ(Form->HintAt(Grid().CellRect(Locked(), 1).center()), "Please enter values here");
    EXPECT_EQ(Form->HintAt(Grid().CellRect(Locked() - 1, 1).center()),
              "Click column indicator to select colum\rPressing <Ctrl> extends selection");
    EXPECT_EQ(Form->HintAt(Grid().CellRect(Locked() - 3, 1).center()), "Click column header to edit");
    EXPECT_EQ(Form->HintAt(Grid().CellRect(Locked() - 2, 1).center()), "Click column formula to edit");
    EXPECT_EQ(Form->HintAt(Grid().CellRect(0, 1).center()), "Click to alter graph assignments");
    EXPECT_EQ(Form->HintAt(Grid().CellRect(Locked() + 2, 0).center()),
              "Click row number to select row\rPressing <Ctrl> extends selection");
    Form->UpdateActions();
    EXPECT_TRUE(Form->Action("EditCopy")->isEnabled());
    EXPECT_FALSE(Form->Action("EditDelete")->isEnabled());
}

TEST_F(MainTable, CaptionClickEditsTheHeader)
{
    Open();
    const QPoint Caption = Grid().CellRect(Locked() - 3, 2).center();
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, Caption);
    ASSERT_TRUE(Form->CaptionEditor()->isVisible());
    QTest::keyClicks(Form->CaptionEditor(), "Voltage");
    QTest::keyClick(Form->CaptionEditor(), Qt::Key_Return);
    EXPECT_EQ(Document.Table.Column(2).Header, "Voltage");
    EXPECT_EQ(Panel(0), "Modified");
    // The Insert key toggles the entry mode while a text field has the focus.
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, Caption);
    Form->InsertCell();
    EXPECT_EQ(Panel(1), "Overwrite");
    QTest::keyClick(Form->CaptionEditor(), Qt::Key_Home);
    QTest::keyClicks(Form->CaptionEditor(), "Sp");
    QTest::keyClick(Form->CaptionEditor(), Qt::Key_Return);
    EXPECT_EQ(Document.Table.Column(2).Header, "Spltage");
}

TEST_F(MainTable, CommandLineOpensTheFileOrAnswersPrint)
{
    const fs::path File = Dir / "cmd.plt";
    Write(File, "[Column(0)]\r\nData=4;5\r\n");
    Open();
    Form->SetCommandLine({"/PRINT"});
    Form->HandleCommandLine();
    ASSERT_EQ(Infos.size(), 1u);
    EXPECT_EQ(Infos[0], "Print with Explorer not implemented!");
    EXPECT_TRUE(Values(1).empty());
    Form->SetCommandLine({QString::fromStdString(File.string())});
    Form->HandleCommandLine();
    EXPECT_EQ(Values(1), (std::vector<double>{4, 5}));
    EXPECT_EQ(Document.RecentFiles.Items().at(0), File.string());
    Form->SetCommandLine({QString::fromStdString((Dir / "nothing.plt").string())});
    Form->HandleCommandLine();
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_NE(Errors[0].indexOf("does not exist"), -1);
}

TEST_F(MainTable, ShowsTheExampleDocument)
{
    Open();
    ASSERT_TRUE(Form->LoadFromFile(KURVEX_TEST_DATA "/../../examples/Damped-oscillation.plt"));
    EXPECT_EQ(Values(1).size(), 121u);
    EXPECT_EQ(Values(4).size(), 121u); // the live envelope was recomputed
    Shot("main-window-example");
    Grid().SelectRange({Locked() + 2, 1, Locked() + 6, 3}, false);
    Shot("main-window-selection");
}

} // namespace
