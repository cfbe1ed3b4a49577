#include "ui/GoToCellForm.h"
#include "ui/KvColumnList.h"
#include "ui/KvIntegerEdit.h"

#include <QMainWindow>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace kv;

namespace {

std::vector<QString> TableCaptions() { return {QStringLiteral("Time"), QStringLiteral("Voltage"), QString(), QString()}; }

TEST(GoToCell, LooksAsItShould)
{
    TGoToCellForm Form;
    EXPECT_EQ(Form.windowTitle(), QStringLiteral("Go to Cell"));
    EXPECT_TRUE(Form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(Form.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_EQ(Form.ColumnList().toolTip(), QStringLiteral("Select table column for active cell"));
    EXPECT_EQ(Form.RowEdit().toolTip(), QStringLiteral("Select table row for active cell"));
    EXPECT_EQ(Form.RowEdit().MinValue(), 1);
    EXPECT_EQ(Form.RowEdit().MaxValue(), 2147483647);
    EXPECT_EQ(Form.RowEdit().text(), QStringLiteral("1"));
}

TEST(GoToCell, StartsAtTheActiveColumn)
{
    TGoToCellForm Form;
    Form.Prepare(TableCaptions(), 3);
    EXPECT_EQ(Form.ColumnList().ColumnCount(), 4);
    EXPECT_EQ(Form.Choice().Column, 3);
    Form.Prepare(TableCaptions(), 99); // a column the table lost meanwhile
    EXPECT_EQ(Form.Choice().Column, 4);
}

TEST(GoToCell, OkGivesTheChosenCellAndKeepsTheRow)
{
    TGoToCellForm Form;
    int Column = 2, Row = 0;
    QTimer::singleShot(0, &Form, [&] {
        Form.ColumnList().SetCurrentColumn(4);
        Form.RowEdit().selectAll();
        QTest::keyClicks(&Form.RowEdit(), QStringLiteral("1234"));
        QTest::keyClick(&Form.RowEdit(), Qt::Key_Return);
    });
    ASSERT_TRUE(Form.Execute(TableCaptions(), Column, Row));
    EXPECT_EQ(Column, 4);
    EXPECT_EQ(Row, 1234);

    // The next run starts with the row entered last; Cancel changes nothing.
    Column = 1;
    Row = 7;
    QTimer::singleShot(0, &Form, [&] {
        EXPECT_EQ(Form.RowEdit().text(), QStringLiteral("1234"));
        EXPECT_EQ(Form.Choice().Column, 1);
        QTest::keyClick(&Form, Qt::Key_Escape);
    });
    EXPECT_FALSE(Form.Execute(TableCaptions(), Column, Row));
    EXPECT_EQ(Column, 1);
    EXPECT_EQ(Row, 7);
}

TEST(GoToCell, RowZeroBecomesOneOnOk)
{
    TGoToCellForm Form;
    Form.Prepare(TableCaptions(), 1);
    QSignalSpy Beeps(&Form.RowEdit(), &TKvIntegerEdit::Beeped);
    Form.RowEdit().selectAll();
    QTest::keyClicks(&Form.RowEdit(), QStringLiteral("0"));
    Form.Accept();
    EXPECT_EQ(Form.result(), QDialog::Accepted);
    EXPECT_EQ(Form.Choice().Row, 1);
    EXPECT_EQ(Form.RowEdit().text(), QStringLiteral("1"));
    EXPECT_EQ(Beeps.count(), 1); // the shown 0 was not the row used
}

TEST(GoToCell, EmptyTableCannotBeAccepted)
{
    TGoToCellForm Form;
    Form.Prepare({}, 1);
    Form.Accept();
    EXPECT_NE(Form.result(), QDialog::Accepted);
}

TEST(GoToCell, CentredOnTheMainWindow)
{
    QMainWindow Main;
    Main.setGeometry(100, 80, 900, 700);
    Main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Main));
    TGoToCellForm Form(&Main);
    Form.Prepare(TableCaptions(), 1);
    Form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form));
    const QPoint Offset = Form.frameGeometry().center() - Main.frameGeometry().center();
    EXPECT_LE(Offset.manhattanLength(), 2);
    Form.hide();
}

} // namespace
