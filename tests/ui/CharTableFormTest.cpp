// The character table alone and together with the table window's caption
// editor and format commands.

#include "ui/MainTableForm.h"
#include "ui/KvCellGrid.h"
#include "ui/table/CharTableForm.h"
#include "ui/widgets/KvCaptionEdit.h"

#include "document/KvUserSettings.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include <unistd.h>

using namespace kv;
namespace fs = std::filesystem;

namespace {

TEST(CharTable, GridHoldsCodes33To254InRowOrder)
{
    TCharTableForm Table;
    EXPECT_EQ(Table.windowTitle(), "Select Characters");
    EXPECT_EQ(Table.Grid()->columnCount(), 12);
    EXPECT_EQ(Table.Grid()->rowCount(), 19);
    struct TCase {
        int Row, Column, Code;
        const char* Plain;  // shown in an ordinary font
        const char* Symbol; // shown in the symbol font
    };
    for (const TCase& C : {TCase{0, 0, 33, "!", "!"}, TCase{2, 11, 68, "D", "\u0394"}, TCase{5, 4, 97, "a", "\u03b1"},
                           TCase{18, 5, 254, "\u00fe", "\u23ad"}, TCase{18, 6, 0, "", ""},
                           TCase{7, 11, 128, "\u20ac", "\u0080"}}) {
        EXPECT_EQ(TCharTableForm::CodeAt(C.Row, C.Column), C.Code);
        Table.SetCharFont("Arial");
        EXPECT_EQ(Table.Shown(C.Row, C.Column), QString::fromUtf8(C.Plain)) << C.Code;
        Table.SetCharFont("Symbol");
        EXPECT_EQ(Table.Shown(C.Row, C.Column), QString::fromUtf8(C.Symbol)) << C.Code;
        EXPECT_EQ(Table.Grid()->item(C.Row, C.Column)->text(), QString::fromUtf8(C.Symbol));
    }
    // A backslash goes into a caption as its escape.
    EXPECT_EQ(TCharTableForm::CaptionCharacter('\\'), QString("\\\\"));
}

class CaptionCell : public testing::Test {
protected:
    fs::path Dir;
    TKvDocument Document;
    std::unique_ptr<TMainTableForm> Form;

    void SetUp() override
    {
        Dir = fs::temp_directory_path() / ("kurvex-chartable-" + std::to_string(::getpid()));
        fs::remove_all(Dir);
        fs::create_directories(Dir / "exe");
        const TKvPaths Paths =
            ComputePaths((Dir / "exe" / "kurvex").string(), (Dir / "appdata").string(), (Dir / "docs").string());
        Form = std::make_unique<TMainTableForm>(Document, Paths);
        Form->resize(900, 600);
        Form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
        // Without a window manager nothing activates the window by itself.
        QApplication::setActiveWindow(Form.get());
    }
    void TearDown() override
    {
        Form.reset();
        fs::remove_all(Dir);
    }
    void Shot(QWidget* W, const char* Name)
    {
        if (const char* Folder = std::getenv("KURVEX_SHOTS"))
            W->grab().save(QString(Folder) + "/" + Name + ".png");
    }
    void Trigger(const char* Name)
    {
        Form->UpdateActions();
        ASSERT_TRUE(Form->Action(Name)->isEnabled()) << Name;
        Form->Action(Name)->trigger();
    }
};

TEST_F(CaptionCell, SymbolCharacterFromTheTableAndFormatCommands)
{
    TKvCellGrid& Grid = *Form->Grid();
    const int CaptionRow = Document.Table.LockedRows - 3;
    QTest::mouseClick(Grid.viewport(), Qt::LeftButton, {}, Grid.CellRect(CaptionRow, 2).center());
    TKvCaptionEdit* Edit = Form->CaptionEditor();
    ASSERT_TRUE(Edit->hasFocus());
    Trigger("SymbolFont");
    EXPECT_TRUE(Form->Action("SymbolFont")->isChecked());
    Trigger("ShowCharTable");
    TCharTableForm* Table = Form->CharTable();
    ASSERT_TRUE(Table->isVisible());
    EXPECT_EQ(Table->TargetEdit(), Edit);
    EXPECT_TRUE(Table->SymbolFont()); // follows the format at the caret
    // Double click on "D" (row 2, column 11): a Delta in the symbol font.
    QTableWidget* Cells = Table->Grid();
    EXPECT_EQ(Cells->item(2, 11)->text(), QString(QChar(0x0394)));
    const QPoint Delta = Cells->visualItemRect(Cells->item(2, 11)).center();
    QTest::mouseClick(Cells->viewport(), Qt::LeftButton, {}, Delta);
    QTest::mouseDClick(Cells->viewport(), Qt::LeftButton, {}, Delta);
    EXPECT_EQ(Edit->Caption(), QString("\\sD"));
    EXPECT_TRUE(Edit->hasFocus());
    Trigger("SymbolFont");
    EXPECT_FALSE(Form->Action("SymbolFont")->isChecked());
    EXPECT_FALSE(Table->SymbolFont());
    QTest::keyClick(Edit, Qt::Key_Minus, Qt::AltModifier);
    EXPECT_TRUE(Form->Action("Subscript")->isChecked());
    QTest::keyClicks(Edit, "0");
    Trigger("Superscript");
    EXPECT_TRUE(Form->Action("Superscript")->isChecked());
    EXPECT_FALSE(Form->Action("Subscript")->isChecked());
    QTest::keyClicks(Edit, "2");
    EXPECT_EQ(Edit->Text(), QString("D02"));
    Shot(Form.get(), "caption-cell-editing");
    QTest::keyClick(Edit, Qt::Key_Return);
    EXPECT_EQ(Document.Table.Column(2).Header, "\\sD\\s\\-0\\-\\+2");
    EXPECT_FALSE(Table->isVisible());
    EXPECT_FALSE(Form->Action("ShowCharTable")->isChecked());
    Form->UpdateActions();
    EXPECT_FALSE(Form->Action("Bold")->isEnabled());
}

TEST_F(CaptionCell, ClipboardCommandsAndEntryModeReachTheCaptionEditor)
{
    TKvCellGrid& Grid = *Form->Grid();
    Document.Table.Column(1).Header = "a\\bb";
    QTest::mouseClick(Grid.viewport(), Qt::LeftButton, {}, Grid.CellRect(Document.Table.LockedRows - 3, 1).center());
    TKvCaptionEdit* Edit = Form->CaptionEditor();
    ASSERT_TRUE(Edit->hasFocus());
    EXPECT_EQ(Edit->SelEnd(), 2); // everything selected on entry
    Form->EditCopy();
    EXPECT_EQ(QApplication::clipboard()->text(), QString("a\\bb"));
    QTest::keyClick(Edit, Qt::Key_End);
    Form->EditPaste();
    EXPECT_EQ(Edit->Caption(), QString("a\\bba\\bb\\b"));
    Form->InsertCell(); // the Insert key: overwrite
    EXPECT_FALSE(Edit->InsertMode());
    QTest::keyClick(Edit, Qt::Key_Home);
    QTest::keyClicks(Edit, "x");
    EXPECT_EQ(Edit->Text(), QString("xbab"));
}

} // namespace
