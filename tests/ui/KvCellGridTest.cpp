#include "ui/KvCellGrid.h"

#include "foundation/KvStrings.h"

#include <QCoreApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>

using namespace kv;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& S, std::ostream* Out) { *Out << '"' << S.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

// A grid over a sparse map of texts, with three locked rows.
class CellGrid : public testing::Test {
protected:
    TKvCellGrid Grid;
    std::map<std::pair<int, int>, QString> Texts;
    std::vector<std::tuple<int, int, QString>> Done;
    std::vector<std::pair<int, int>> LockedClicks;
    std::set<std::pair<int, int>> Asked;

    void SetUp() override
    {
        Grid.resize(500, 300);
        Grid.SetColCount(11);
        Grid.SetLockedRows(3);
        Grid.SetRowCount(1000);
        Grid.OnGetCellData = [this](int Row, int Col) {
            Asked.insert({Row, Col});
            auto It = Texts.find({Row, Col});
            return It == Texts.end() ? QString() : It->second;
        };
        Grid.OnDoneEdit = [this](int Row, int Col, const QString& Text) {
            Done.emplace_back(Row, Col, Text);
            Texts[{Row, Col}] = Text;
        };
        Grid.OnLockedCellClick = [this](int Row, int Col, Qt::KeyboardModifiers) {
            LockedClicks.emplace_back(Row, Col);
        };
        Grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Grid));
    }

    QPoint Centre(int Row, int Col) const { return Grid.CellRect(Row, Col).center(); }
    QImage Render()
    {
        QImage Image(Grid.viewport()->size(), QImage::Format_ARGB32);
        Grid.viewport()->render(&Image);
        return Image;
    }
};

TEST_F(CellGrid, HitTestingFollowsScrolling)
{
    EXPECT_EQ(Grid.CellAt({5, 5}), (TKvGridCoord{0, 0}));
    EXPECT_EQ(Grid.CellAt({85, 21 * 3 + 2}), (TKvGridCoord{3, 1}));
    Grid.SetTopRow(500);
    EXPECT_EQ(Grid.TopRow(), 500);
    // Locked rows and column stay where they are; data rows move.
    EXPECT_EQ(Grid.CellAt({5, 5}), (TKvGridCoord{0, 0}));
    EXPECT_EQ(Grid.CellAt({5, 21 * 3 + 2}), (TKvGridCoord{500, 0}));
    EXPECT_EQ(Grid.CellAt({85, 21 * 4 + 2}), (TKvGridCoord{501, 1}));
    Grid.horizontalScrollBar()->setValue(80);
    EXPECT_EQ(Grid.CellAt({85, 5}), (TKvGridCoord{0, 2}));
    EXPECT_EQ(Grid.CellAt({-1, 5}), TKvGridCoord{});
    EXPECT_EQ(Grid.CellAt({5000, 5}), TKvGridCoord{});
    for (int Row : {0, 2, 500, 505})
        for (int Col : {0, 2, 4})
            EXPECT_EQ(Grid.CellAt(Grid.CellRect(Row, Col).center()), (TKvGridCoord{Row, Col}));
}

TEST_F(CellGrid, PaintAsksOnlyForVisibleCells)
{
    Asked.clear();
    Render();
    const int Rows = Grid.viewport()->height() / 21 + 1;
    const int Cols = Grid.viewport()->width() / 80 + 1;
    EXPECT_LE(static_cast<int>(Asked.size()), Rows * Cols + Cols);
    Grid.SetRowCount(10'000'003);
    Grid.SetTopRow(9'999'000);
    Asked.clear();
    Render();
    EXPECT_LE(static_cast<int>(Asked.size()), Rows * Cols + Cols);
    EXPECT_TRUE(Asked.count({9'999'000, 1}));
    EXPECT_TRUE(Asked.count({0, 1}));
}

TEST_F(CellGrid, TypingStartsAnEditThatEnterCommits)
{
    Grid.SetActiveCell(3, 1);
    QTest::keyClicks(&Grid, "1");
    ASSERT_TRUE(Grid.IsEditing());
    QTest::keyClicks(Grid.Editor(), "x.5e-3"); // the letter x is refused
    EXPECT_EQ(Grid.Editor()->text(), "1.5e-3");
    QTest::keyClick(Grid.Editor(), Qt::Key_Return);
    EXPECT_FALSE(Grid.IsEditing());
    ASSERT_EQ(Done.size(), 1u);
    EXPECT_EQ(Done[0], std::make_tuple(3, 1, QString("1.5e-3")));
    EXPECT_EQ(Grid.ActiveCell(), (TKvGridCoord{4, 1}));
}

TEST_F(CellGrid, EscapeCancelsAndReadOnlyCellsRefuse)
{
    Texts[{3, 2}] = "42";
    Grid.SetActiveCell(3, 2);
    ASSERT_TRUE(Grid.BeginEdit());
    EXPECT_EQ(Grid.Editor()->text(), "42");
    QTest::keyClick(Grid.Editor(), Qt::Key_Escape);
    EXPECT_FALSE(Grid.IsEditing());
    EXPECT_TRUE(Done.empty());
    Grid.OnGetCellAttributes = [](int, int Col, TKvCellAttributes& A) { A.ReadOnly = Col == 2; };
    EXPECT_FALSE(Grid.BeginEdit());
    QTest::keyClicks(&Grid, "5");
    EXPECT_FALSE(Grid.IsEditing());
}

TEST_F(CellGrid, CommaLocaleEditorAcceptsTheComma)
{
    Grid.SetEditorCharacters("+-0123456789Ee,");
    Grid.SetActiveCell(3, 1);
    QTest::keyClicks(&Grid, "2");
    QTest::keyClicks(Grid.Editor(), ",5.1");
    EXPECT_EQ(Grid.Editor()->text(), "2,51");
    Grid.EndEdit(true);
    EXPECT_EQ(std::get<2>(Done.at(0)), "2,51");
}

TEST_F(CellGrid, EditorHoldsAtMost255Characters)
{
    Grid.SetActiveCell(3, 1);
    ASSERT_TRUE(Grid.BeginEdit());
    QTest::keyClicks(Grid.Editor(), QString(300, '7'));
    EXPECT_EQ(Grid.Editor()->text().size(), 255);
}

TEST_F(CellGrid, MouseSelectsRangesAndCtrlAddsMore)
{
    QTest::mouseClick(Grid.viewport(), Qt::LeftButton, {}, Centre(3, 1));
    EXPECT_EQ(Grid.ActiveCell(), (TKvGridCoord{3, 1}));
    EXPECT_FALSE(Grid.HasSelection());
    QTest::mouseClick(Grid.viewport(), Qt::LeftButton, Qt::ShiftModifier, Centre(5, 2));
    ASSERT_EQ(Grid.Selection().size(), 1u);
    EXPECT_EQ(Grid.Selection()[0], (TKvGridRange{3, 1, 5, 2}));
    // Ctrl and a drag add a second range.
    QTest::mousePress(Grid.viewport(), Qt::LeftButton, Qt::ControlModifier, Centre(7, 4));
    QMouseEvent Move(QEvent::MouseMove, QPointF(Centre(8, 5)), QPointF(Grid.viewport()->mapToGlobal(Centre(8, 5))),
                     Qt::NoButton, Qt::LeftButton, Qt::ControlModifier);
    QApplication::sendEvent(Grid.viewport(), &Move);
    QTest::mouseRelease(Grid.viewport(), Qt::LeftButton, Qt::ControlModifier, Centre(8, 5));
    ASSERT_EQ(Grid.Selection().size(), 2u);
    EXPECT_EQ(Grid.Selection()[1], (TKvGridRange{7, 4, 8, 5}));
    EXPECT_TRUE(Grid.IsSelected(4, 2));
    EXPECT_FALSE(Grid.IsSelected(6, 3));
    // A plain click starts over.
    QTest::mouseClick(Grid.viewport(), Qt::LeftButton, {}, Centre(9, 1));
    EXPECT_FALSE(Grid.HasSelection());
}

TEST_F(CellGrid, ShiftArrowsExtendFromTheAnchor)
{
    Grid.SetActiveCell(4, 2);
    QTest::keyClick(&Grid, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&Grid, Qt::Key_Right, Qt::ShiftModifier);
    ASSERT_EQ(Grid.Selection().size(), 1u);
    EXPECT_EQ(Grid.Selection()[0], (TKvGridRange{4, 2, 5, 3}));
    QTest::keyClick(&Grid, Qt::Key_Up, Qt::ShiftModifier);
    QTest::keyClick(&Grid, Qt::Key_Up, Qt::ShiftModifier);
    ASSERT_EQ(Grid.Selection().size(), 1u);
    EXPECT_EQ(Grid.Selection()[0], (TKvGridRange{3, 2, 4, 3}));
    QTest::keyClick(&Grid, Qt::Key_Left);
    EXPECT_FALSE(Grid.HasSelection());
}

TEST_F(CellGrid, RowsColumnsAndLockedClicks)
{
    Grid.SelectRow(10, false);
    Grid.SelectColumn(3, true);
    ASSERT_EQ(Grid.Selection().size(), 2u);
    EXPECT_EQ(Grid.Selection()[0], (TKvGridRange{10, 1, 10, 10}));
    EXPECT_EQ(Grid.Selection()[1], (TKvGridRange{3, 3, 999, 3}));
    QTest::mouseClick(Grid.viewport(), Qt::LeftButton, {}, Centre(1, 4));
    QTest::mouseClick(Grid.viewport(), Qt::LeftButton, {}, Centre(5, 0));
    EXPECT_EQ(LockedClicks, (std::vector<std::pair<int, int>>{{1, 4}, {5, 0}}));
}

TEST_F(CellGrid, ActiveCellStaysOnDataAndInView)
{
    Grid.SetActiveCell(0, 0);
    EXPECT_EQ(Grid.ActiveCell(), (TKvGridCoord{3, 1}));
    Grid.SetActiveCell(900, 10);
    EXPECT_GE(900, Grid.TopRow());
    EXPECT_LT(900, Grid.TopRow() + Grid.VisibleScrollableRows());
    EXPECT_LE(Grid.CellRect(900, 10).right(), Grid.viewport()->width());
    QTest::keyClick(&Grid, Qt::Key_PageDown);
    EXPECT_EQ(Grid.ActiveCell().Row, std::min(999, 900 + Grid.VisibleScrollableRows()));
    Grid.SetRowCount(5000);
    Grid.SetActiveCell(99999, 1);
    EXPECT_EQ(Grid.ActiveCell().Row, 4999);
}

TEST_F(CellGrid, PaintsBackgroundsTextsAndTheActiveHighlight)
{
    Texts[{4, 1}] = "12.5";
    Grid.OnGetCellAttributes = [](int Row, int, TKvCellAttributes& A) {
        if (Row >= 3)
            A.Background = (Row - 3) % 2 ? QColor(225, 236, 236) : Qt::white;
    };
    Grid.SetActiveCell(6, 3);
    const QImage Image = Render();
    const QRect Odd = Grid.CellRect(4, 2);
    EXPECT_EQ(QColor(Image.pixel(Odd.center())), QColor(225, 236, 236));
    EXPECT_EQ(QColor(Image.pixel(Grid.CellRect(5, 2).center())), QColor(Qt::white));
    EXPECT_EQ(QColor(Image.pixel(Grid.CellRect(6, 3).center() + QPoint(-30, 0))),
              Grid.palette().highlight().color());
    // Some dark text pixels inside the cell that holds a value.
    const QRect TextCell = Grid.CellRect(4, 1).adjusted(2, 2, -2, -2);
    int Dark = 0;
    for (int y = TextCell.top(); y <= TextCell.bottom(); ++y)
        for (int x = TextCell.left(); x <= TextCell.right(); ++x)
            Dark += qGray(Image.pixel(x, y)) < 128;
    EXPECT_GT(Dark, 5);
}

// A column of numbers that do not fit: each shows fewer digits with its
// exponent, never a text cut off at one side; "#" when nothing fits.
TEST_F(CellGrid, NumbersWiderThanTheirCellKeepTheirValue)
{
    const double Values[] = {1.23456789012e-5, 6.02214076e23, -123456789012.5, -0.000123456789, 42.5};
    std::map<int, double> ByRow;
    for (int i = 0; i < 5; ++i) {
        ByRow[3 + i] = Values[i];
        Texts[{3 + i, 1}] = QString::fromStdString(FloatToText(Values[i]));
    }
    Grid.OnFitCellText = [&](int Row, int, int MaxLength) {
        return QString::fromStdString(FloatToTextMaxLength(MaxLength, ByRow.at(Row)));
    };
    const QFontMetrics Metrics(Grid.font());
    for (int Width : {80, 60}) {
        Grid.SetColWidth(1, Width);
        for (int i = 0; i < 5; ++i) {
            const QString Shown = Grid.ShownText(3 + i, 1);
            SCOPED_TRACE(Shown.toStdString() + " for " + std::to_string(Values[i]));
            EXPECT_LE(Metrics.horizontalAdvance(Shown), Width - 7);
            if (Shown == "#") {
                EXPECT_EQ(Width, 60); // 80 pixels hold a short form of each
                continue;
            }
            std::string Text = Shown.toStdString();
            // rounded to the digits shown (two at least), never truncated
            EXPECT_NEAR(ExtractFloat(Text), Values[i], std::abs(Values[i]) * 0.05);
        }
    }
    EXPECT_EQ(Grid.ShownText(7, 1), "42.5"); // a text that fits stays as it is
    EXPECT_TRUE(Grid.ShownText(4, 1).contains("E23"));
    Grid.SetColWidth(1, 20);
    EXPECT_EQ(Grid.ShownText(3, 1), "#");
    Grid.OnFitCellText = nullptr; // plain texts keep their beginning
    EXPECT_EQ(Grid.ShownText(3, 1), (Texts[{3, 1}]));
}

// The border between two column letters (the last locked row) resizes the
// column on its left; a double click fits the widest visible text.
TEST_F(CellGrid, LetterRowBordersResizeAndFitColumns)
{
    std::vector<std::pair<int, int>> Widths;
    Grid.OnColWidthChanged = [&](int Col, int Width) { Widths.emplace_back(Col, Width); };
    auto Drag = [&](QPoint From, int Dx) {
        QTest::mousePress(Grid.viewport(), Qt::LeftButton, {}, From);
        const QPoint To = From + QPoint(Dx, 0);
        QMouseEvent Move(QEvent::MouseMove, QPointF(To), QPointF(Grid.viewport()->mapToGlobal(To)), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(Grid.viewport(), &Move);
        QTest::mouseRelease(Grid.viewport(), Qt::LeftButton, {}, To);
    };
    const int LetterY = Grid.CellRect(2, 1).center().y();
    const int BorderB = Grid.CellRect(2, 2).right() + 1;
    EXPECT_EQ(Grid.BorderAt({BorderB, LetterY}), 2);
    EXPECT_EQ(Grid.BorderAt({BorderB, Grid.CellRect(4, 2).center().y()}), -1); // data rows do not grip
    EXPECT_EQ(Grid.BorderAt({Grid.CellRect(2, 2).center().x(), LetterY}), -1);
    auto Hover = [&](QPoint At) {
        QMouseEvent Move(QEvent::MouseMove, QPointF(At), QPointF(Grid.viewport()->mapToGlobal(At)), Qt::NoButton,
                         Qt::NoButton, {});
        QApplication::sendEvent(Grid.viewport(), &Move);
        return Grid.viewport()->cursor().shape();
    };
    EXPECT_EQ(Hover({BorderB, LetterY}), Qt::SplitHCursor);
    EXPECT_EQ(Hover(Grid.CellRect(2, 2).center()), Qt::ArrowCursor);
    Drag({BorderB, LetterY}, 30);
    EXPECT_EQ(Grid.ColWidth(2), 110);
    Drag({Grid.ColWidth(0), LetterY}, -20); // the row-number column
    EXPECT_EQ(Grid.ColWidth(0), 60);
    Drag({Grid.CellRect(2, 3).right() + 1, LetterY}, -500); // never narrower than a grip
    EXPECT_EQ(Grid.ColWidth(3), 8);
    EXPECT_EQ(Widths, (std::vector<std::pair<int, int>>{{2, 110}, {0, 60}, {3, 8}}));
    EXPECT_TRUE(LockedClicks.empty()); // gripping a border is no click on a letter
    EXPECT_FALSE(Grid.HasSelection());

    Texts[{5, 4}] = "-1.2345678901234E-300";
    const QPoint BorderD(Grid.CellRect(2, 4).right() + 1, LetterY);
    QTest::mouseDClick(Grid.viewport(), Qt::LeftButton, {}, BorderD);
    const int Needed = QFontMetrics(Grid.font()).horizontalAdvance(Texts[{5, 4}]) + 7;
    EXPECT_GE(Grid.ColWidth(4), Needed);
    EXPECT_LE(Grid.ColWidth(4), Needed + 2);
    EXPECT_EQ(Widths.back(), std::make_pair(4, Grid.ColWidth(4)));
    Grid.OnFitCellText = [](int, int, int) { return QStringLiteral("?"); };
    EXPECT_EQ(Grid.ShownText(5, 4), (Texts[{5, 4}])); // now it fits whole
}

// A character the cell does not take is refused with a beep, so "1,5" typed
// where "." is the separator is not silently stored as 15.
TEST_F(CellGrid, RefusedCharactersBeep)
{
    int Beeps = 0;
    Grid.OnRefusedCharacter = [&] { ++Beeps; };
    Grid.SetActiveCell(3, 1);
    QTest::keyClicks(&Grid, ",");
    EXPECT_FALSE(Grid.IsEditing());
    EXPECT_EQ(Beeps, 1);
    QTest::keyClicks(&Grid, "1");
    QTest::keyClicks(Grid.Editor(), ",5");
    EXPECT_EQ(Beeps, 2);
    QTest::keyClicks(Grid.Editor(), "e-3");
    EXPECT_EQ(Beeps, 2);
    Grid.EndEdit(false);
    Grid.OnGetCellAttributes = [](int, int, TKvCellAttributes& A) { A.ReadOnly = true; };
    QTest::keyClicks(&Grid, "7"); // a read-only cell takes nothing
    EXPECT_EQ(Beeps, 3);
}

} // namespace

namespace {

// A short table still fills the window with empty rows, down to the
// bottom edge; those rows scroll nothing.
TEST_F(CellGrid, ShortTableFillsTheWindow)
{
    Grid.SetRowCount(8);
    Grid.resize(500, 900);
    QCoreApplication::processEvents();
    const int Bottom = Grid.viewport()->height();
    EXPECT_GE(Grid.CellRect(Grid.RowCount() - 1, 1).bottom(), Bottom - 1) << Grid.RowCount();
    EXPECT_EQ(Grid.verticalScrollBar()->maximum(), 0);
    const QImage Image = Render();
    EXPECT_NE(Image.pixelColor(Image.width() / 2, Bottom - 3), Grid.palette().window().color())
        << "grey below the rows";
}

} // namespace
