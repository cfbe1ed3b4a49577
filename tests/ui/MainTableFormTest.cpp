#include "ui/EditFormulaForm.h"
#include "ui/KvCaptionPainter.h"
#include "ui/KvCellGrid.h"
#include "ui/MainTableForm.h"
#include "ui/table/ImportTableForm.h"

#include "foundation/KvFormatSettings.h"
#include "foundation/KvStrings.h"
#include "foundation/KvLargeIniFile.h"
#include "foundation/KvMissing.h"
#include "support/KvValuesText.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include "ui/GoToCellForm.h"
#include "ui/HelpForm.h"
#include "ui/KvColumnList.h"
#include "ui/KvIntegerEdit.h"
#include <QDialogButtonBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
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
    QString DialogStart, DialogFilters; // what the last file dialog was given

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
        S.OpenFileName = [this](const QString&, const QString& Start, const QString& Filters, QString& Filter) {
            DialogStart = Start;
            DialogFilters = Filters;
            if (!NextFilter.isEmpty())
                Filter = NextFilter;
            return NextFile;
        };
        S.SaveFileName = S.OpenFileName;
        S.Beep = [] {};
        // The import dialog takes what it detected (a modal dialog would stop the test).
        S.RunImportDialog = [](TImportTableForm&) { return true; };
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
    // the rows typed over are empty, not 0
    EXPECT_EQ(kv::test::ValuesText(Values(1)), "1.5 -2000 - - - 7");
    EXPECT_EQ(Panel(0), "Modified");
    // A text that does not convert is dropped; an emptied cell is empty and shows nothing.
    Type(1, 0, "E");
    EXPECT_EQ(Values(1)[0], 1.5);
    Activate(1, 1);
    ASSERT_TRUE(Grid().BeginEdit());
    Grid().Editor()->clear();
    QTest::keyClick(Grid().Editor(), Qt::Key_Return);
    EXPECT_TRUE(kv::IsMissing(Values(1)[1]));
    EXPECT_EQ(Grid().OnGetCellData(Locked() + 1, 1), "");
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
    EXPECT_EQ(QApplication::clipboard()->text(), "10\t20\n11\t21"); // LF: other programs see two rows
    Grid().ClearSelection();
    Activate(3, 4);
    Form->EditPaste();
    // the rows above the pasted block were never given: they are empty
    EXPECT_EQ(kv::test::ValuesText(Values(3)), "- - - - 10 11");
    EXPECT_EQ(kv::test::ValuesText(Values(4)), "- - - - 20 21");
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
    EXPECT_EQ(Questions[0], "Data have been modified!\nDo you really want to clear all data?");
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
    EXPECT_EQ(kv::test::ValuesText(Values(2)), "- 20 30"); // row 1 was not computed: empty
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
    Write(File, "[Table]\r\nMaxColumns=26\r\n[Column(0)]\r\nData=4;5\r\n");
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

// ---------------------------------------------------------------- what a new user runs into

// Yes to "save?" and then Cancel (or a failed save) must not quit with the
// edits; a cancelled dialog after the questions of Open and Import changes nothing.
TEST_F(MainTable, CancelledOrFailedSaveKeepsTheProgramAndTheEdits)
{
    Open();
    Type(1, 0, "5");
    Answer = QMessageBox::Yes;
    NextFile.clear(); // the save dialog cancelled
    EXPECT_FALSE(Form->close());
    EXPECT_TRUE(Form->isVisible());
    NextFile = QString::fromStdString((Dir / "no-such-folder" / "x.plt").string());
    EXPECT_FALSE(Form->close()); // the save failed
    EXPECT_EQ(Errors.size(), 1u);
    EXPECT_TRUE(Form->isVisible());
    EXPECT_EQ(Panel(0), "Modified");
    NextFile.clear();
    Form->Open();
    Form->Import();
    EXPECT_EQ(Values(1), (std::vector<double>{5}));
    EXPECT_EQ(Panel(0), "Modified");
    NextFile = QString::fromStdString((Dir / "missing.txt").string());
    Form->Import();
    EXPECT_EQ(Values(1), (std::vector<double>{5}));
}

TEST_F(MainTable, OpeningAModifiedTableAsksOnce)
{
    Open();
    Type(1, 0, "7");
    ASSERT_TRUE(Form->SaveToFile(QString::fromStdString((Dir / "seven.plt").string())));
    Type(1, 0, "8");
    Answer = QMessageBox::Yes;
    NextFile = QString::fromStdString((Dir / "seven.plt").string());
    Form->Open();
    ASSERT_EQ(Questions.size(), 1u);
    EXPECT_EQ(Questions[0], "Data have been modified!\nDo you really want to overwrite the data?");
    EXPECT_EQ(Values(1), (std::vector<double>{7}));
}

// Dragging the border between two column letters widens the column; the
// width is the document's: the Modified mark shows and the file keeps it.
TEST_F(MainTable, DraggedWidthsBelongToTheDocument)
{
    Open();
    const int LetterY = Grid().CellRect(Locked() - 1, 2).center().y();
    auto Drag = [&](int X, int Dx) {
        QTest::mousePress(Grid().viewport(), Qt::LeftButton, {}, {X, LetterY});
        const QPoint To(X + Dx, LetterY);
        QMouseEvent Move(QEvent::MouseMove, QPointF(To), QPointF(Grid().viewport()->mapToGlobal(To)), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(Grid().viewport(), &Move);
        QTest::mouseRelease(Grid().viewport(), Qt::LeftButton, {}, To);
    };
    Drag(Grid().CellRect(Locked() - 1, 2).right() + 1, 40);
    Drag(Grid().ColWidth(0), -30);
    EXPECT_EQ(Document.Table.Column(2).Width, 120);
    EXPECT_EQ(Document.Table.RowNumberWidth, 50);
    EXPECT_EQ(Panel(0), "Modified");
    const fs::path File = Dir / "widths.plt";
    ASSERT_TRUE(Form->SaveToFile(QString::fromStdString(File.string())));
    const std::string Text = Read(File);
    EXPECT_NE(Text.find("[Column(0)]\r\nWidth=50\r\n"), std::string::npos);
    EXPECT_NE(Text.find("[Column(2)]\r\nWidth=120\r\n"), std::string::npos);
    TKvDocument Back;
    Back.LoadFromFile(File.string());
    EXPECT_EQ(Back.Table.Column(2).Width, 120);
}

TEST_F(MainTable, WindowPlacementIsSavedWithTheFileAndReadFromIt)
{
    Open();
    Form->setGeometry(40, 50, 640, 420);
    const fs::path File = Dir / "placed.plt";
    ASSERT_TRUE(Form->SaveToFile(QString::fromStdString(File.string())));
    const std::string Text = Read(File);
    EXPECT_NE(Text.find("Form.Height=420\r\nForm.Width=640\r\n"), std::string::npos) << Text.substr(Text.find("[Table]"));
    {
        TKvLargeIniFile Store(File.string());
        Store.WriteFormPlacement("Table", "Form", {TKvWindowState::WsNormal, 30, 20, 380, 560});
    }
    ASSERT_TRUE(Form->LoadFromFile(QString::fromStdString(File.string())));
    EXPECT_EQ(Form->geometry().size(), QSize(560, 380));
    Form->resize(600, 400); // a file without a placement leaves the window as it is
    Write(Dir / "bare.plt", "[Column(1)]\r\nHeader=x\r\n");
    ASSERT_TRUE(Form->LoadFromFile(QString::fromStdString((Dir / "bare.plt").string())));
    EXPECT_EQ(Form->geometry().size(), QSize(600, 400));
}

// "1,5" typed where "." is the separator (or "2.5" where it is ",") must not
// silently become 15 or 25: the refused separator beeps like any other.
TEST_F(MainTable, TheOtherDecimalSeparatorIsRefusedWithABeep)
{
    int Beeps = 0;
    Open();
    Form->Services.Beep = [&] { ++Beeps; };
    Type(1, 0, "1,5");
    EXPECT_EQ(Beeps, 1);
    TKvScopedFormatSettings Comma({',', ';'});
    Form.reset();
    Open();
    Form->Services.Beep = [&] { ++Beeps; };
    Type(2, 0, "2.5");
    EXPECT_EQ(Beeps, 2);
    Type(2, 1, "2,5");
    EXPECT_EQ(Beeps, 2);
    EXPECT_EQ(Values(2).back(), 2.5);
}

// A column of very small and very large numbers: in the default width each
// shows fewer digits with its exponent; widened, each shows all its digits.
TEST_F(MainTable, NumbersThatDoNotFitKeepTheirExponent)
{
    Open();
    const std::vector<double> Numbers{1.23456789012e-5, 6.02214076e23, -9.87654321098e-200, 1.5, 299792458.123,
                                      -4.2e-7};
    for (size_t i = 0; i < Numbers.size(); ++i)
        Document.Table.Data(1).SetValue(static_cast<int32_t>(i), Numbers[i]);
    Document.Table.Column(1).Header = "Measured \\iq\\i";
    Form->RefreshGrid();
    Shot("numbers-narrow");
    EXPECT_TRUE(Grid().ShownText(Locked(), 1).endsWith("E-5"));
    EXPECT_TRUE(Grid().ShownText(Locked() + 1, 1).endsWith("E23"));
    EXPECT_TRUE(Grid().ShownText(Locked() + 2, 1).endsWith("E-200"));
    EXPECT_EQ(Grid().ShownText(Locked() + 3, 1), "1.5");
    QTest::mouseDClick(Grid().viewport(), Qt::LeftButton, {},
                       {Grid().CellRect(Locked() - 1, 1).right() + 1, Grid().CellRect(Locked() - 1, 1).center().y()});
    Shot("numbers-widened");
    for (size_t i = 0; i < Numbers.size(); ++i)
        EXPECT_EQ(Grid().ShownText(Locked() + static_cast<int>(i), 1), QString::fromStdString(FloatToText(Numbers[i])));
    EXPECT_EQ(Document.Table.Column(1).Width, Grid().ColWidth(1));
}

// "Error in Cell: ..." goes when Clear All, Import or Open removes its
// cause; a file holding no table says so.
TEST_F(MainTable, StatusMessagesFollowTheirCause)
{
    Open();
    Answer = QMessageBox::Yes;
    auto PasteError = [&] {
        QApplication::clipboard()->setText("-");
        Activate(1, 0);
        Form->EditPaste();
        ASSERT_TRUE(Panel(2).startsWith("Error in Cell: A1"));
    };
    PasteError();
    Form->ClearAll();
    EXPECT_EQ(Panel(2), "");
    Write(Dir / "t.txt", "x\r\n1\r\n");
    PasteError();
    NextFile = QString::fromStdString((Dir / "t.txt").string());
    Form->Import();
    EXPECT_EQ(Panel(2), "");
    ASSERT_TRUE(Form->SaveToFile(QString::fromStdString((Dir / "t.plt").string())));
    PasteError();
    NextFile = QString::fromStdString((Dir / "t.plt").string());
    Form->Open();
    EXPECT_EQ(Panel(2), "");
    Write(Dir / "noise.plt", std::string("\x01\x7f\xfe garbage \x02\r\n\xff", 17));
    ASSERT_TRUE(Form->LoadFromFile(QString::fromStdString((Dir / "noise.plt").string())));
    EXPECT_EQ(Panel(2), QString::fromStdString((Dir / "noise.plt").string()) + " holds no table");
}

TEST_F(MainTable, LongPasteShowsTheBusyCursor)
{
    Open();
    std::optional<Qt::CursorShape> During;
    Form->Services.Beep = [&] {
        if (QApplication::overrideCursor())
            During = QApplication::overrideCursor()->shape();
    };
    std::string Text = "-\r"; // one bad cell: its beep looks at the cursor mid-paste
    for (int i = 0; i < 40000; ++i)
        Text += std::to_string(i) + "\r";
    QApplication::clipboard()->setText(QString::fromStdString(Text));
    Activate(1, 0);
    Form->EditPaste();
    EXPECT_EQ(During, Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Values(1).size(), 40001u);
}

// The formula editor is modal: its Help must come up above it and take input.
TEST_F(MainTable, HelpFromTheFormulaEditorIsUsable)
{
    Open();
    TKvHelpForm* Help = Form->Help();
    struct TWatcher : QObject {
        bool Blocked = false;
        bool eventFilter(QObject*, QEvent* Event) override
        {
            if (Event->type() == QEvent::WindowBlocked || Event->type() == QEvent::WindowUnblocked)
                Blocked = Event->type() == QEvent::WindowBlocked;
            return false;
        }
    } Watcher;
    Help->installEventFilter(&Watcher);
    bool Shown = false;
    bool Blocked = true;
    QTimer::singleShot(0, Form.get(), [&] {
        auto* Buttons = Form->FormulaEditor()->findChild<QDialogButtonBox*>();
        ASSERT_NE(Buttons, nullptr);
        QTest::mouseClick(Buttons->button(QDialogButtonBox::Help), Qt::LeftButton);
        QCoreApplication::processEvents();
        Shown = Help->isVisible();
        Blocked = Watcher.Blocked;
        Form->FormulaEditor()->reject();
    });
    Form->EditFormula();
    EXPECT_TRUE(Shown);
    EXPECT_FALSE(Blocked);
    EXPECT_EQ(Help->CurrentTopic(), "CalculateColumns");
    EXPECT_EQ(Help->parentWidget(), Form.get()); // and back with the window when the editor closed
}

TEST_F(MainTable, FormulaLabelIsTheFieldsShortcutNotText)
{
    Open();
    const auto Labels = Form->FormulaEditor()->findChildren<QLabel*>();
    const auto It = std::find_if(Labels.begin(), Labels.end(), [](QLabel* L) { return L->text() == "&Formula:"; });
    ASSERT_NE(It, Labels.end());
    EXPECT_EQ((*It)->buddy(), Form->FormulaEditor()->FormulaField());
}

// A caption wider than its cell shows its beginning, clipped at the right,
// as a left-aligned one would, not cut on both sides.
TEST_F(MainTable, LongCaptionsShowTheirBeginning)
{
    auto Draw = [](int Alignment) {
        QImage Image(60, 20, QImage::Format_ARGB32);
        Image.fill(Qt::white);
        QPainter Painter(&Image);
        Painter.setPen(Qt::black);
        DrawCaption(Painter, QRect(0, 0, 60, 20), "Temperature of the \\bsample\\b", Alignment);
        return Image;
    };
    EXPECT_EQ(Draw(Qt::AlignCenter), Draw(Qt::AlignLeft | Qt::AlignVCenter));
}

} // namespace

namespace {

// The data file dialogs start in the last folder used, else the documents
// folder, with no name filled in; the filter names the program.
TEST_F(MainTable, DataFileDialogsStartInTheLastFolder)
{
    Open();
    NextFile.clear();
    Form->Action("Open")->trigger();
    EXPECT_EQ(DialogStart.toStdString(), Paths.DocumentsFolder);
    EXPECT_TRUE(DialogFilters.contains("Kurvex data (*.plt)")) << DialogFilters.toStdString();
    fs::create_directories(Dir / "runs");
    const QString File = QString::fromStdString((Dir / "runs" / "run1.plt").string());
    ASSERT_TRUE(Form->SaveToFile(File));
    for (const char* Command : {"Open", "Save"}) {
        DialogStart.clear();
        Form->Action(Command)->trigger();
        EXPECT_EQ(DialogStart.toStdString(), (Dir / "runs").string() + "/") << Command;
    }
    // the Edit menu names the key once, as the shortcut
    EXPECT_EQ(Form->Action("EditDelete")->text().toStdString(), "&Delete");
    EXPECT_EQ(Form->Action("EditDelete")->shortcut(), QKeySequence(Qt::Key_Delete));
}

} // namespace
