#include "ui/KvColumnList.h"

#include "foundation/KvErrors.h"

#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <optional>

using namespace kv;

namespace {

std::vector<QString> Captions(int Count)
{
    std::vector<QString> List(static_cast<size_t>(Count));
    return List;
}

QImage Render(TKvColumnList& List)
{
    QImage Image(List.viewport()->size(), QImage::Format_ARGB32);
    Image.fill(Qt::white);
    List.viewport()->render(&Image);
    return Image;
}

bool IsInk(QRgb Pixel) { return qGray(Pixel) < 128; }

// The leftmost and rightmost dark pixel inside the rows of Rect.
std::optional<std::pair<int, int>> InkSpan(const QImage& Image, const QRect& Rect)
{
    int Left = Image.width(), Right = -1;
    for (int y = Rect.top(); y <= Rect.bottom(); ++y)
        for (int x = Rect.left(); x <= Rect.right(); ++x)
            if (IsInk(Image.pixel(x, y))) {
                Left = std::min(Left, x);
                Right = std::max(Right, x);
            }
    if (Right < 0)
        return std::nullopt;
    return std::make_pair(Left, Right);
}

TEST(ColumnList, EntriesShowLettersAndPlainCaption)
{
    TKvColumnList List;
    List.SetColumns({QStringLiteral("Time"), QString(), QStringLiteral("\\bBold")});
    ASSERT_EQ(List.ColumnCount(), 3);
    EXPECT_EQ(List.item(0)->text(), QStringLiteral("A: Time"));
    EXPECT_EQ(List.item(1)->text(), QStringLiteral("B: "));
    EXPECT_EQ(List.item(2)->text(), QStringLiteral("C: Bold"));
    EXPECT_EQ(List.ColumnCaption(3), QStringLiteral("\\bBold"));
}

TEST(ColumnList, CurrentColumnIsOneBased)
{
    TKvColumnList List;
    EXPECT_EQ(List.CurrentColumn(), 0);
    List.SetColumns(Captions(26));
    EXPECT_EQ(List.CurrentColumn(), 1);
    QSignalSpy Changed(&List, &TKvColumnList::CurrentColumnChanged);
    List.SetCurrentColumn(26);
    EXPECT_EQ(List.CurrentColumn(), 26);
    ASSERT_EQ(Changed.count(), 1);
    EXPECT_EQ(Changed.front().front().toInt(), 26);
    EXPECT_EQ(List.currentItem()->text(), QStringLiteral("Z: "));
}

TEST(ColumnList, ColumnsOutsideTheListAreRefused)
{
    TKvColumnList List;
    List.SetColumns(Captions(5));
    for (int Column : {0, -1, 6})
        EXPECT_THROW(List.SetCurrentColumn(Column), ERangeError) << Column;
    EXPECT_THROW(static_cast<void>(List.ColumnCaption(6)), ERangeError);
    EXPECT_EQ(List.CurrentColumn(), 1);
}

TEST(ColumnList, NewColumnsKeepTheCurrentOneWhenItExists)
{
    TKvColumnList List;
    List.SetColumns(Captions(10));
    List.SetCurrentColumn(7);
    List.SetColumns(Captions(8));
    EXPECT_EQ(List.CurrentColumn(), 7);
    List.SetColumns(Captions(4));
    EXPECT_EQ(List.CurrentColumn(), 1);
}

TEST(ColumnList, KeyboardMovesTheCurrentColumn)
{
    TKvColumnList List;
    List.SetColumns(Captions(5));
    List.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&List));
    QTest::keyClick(List.viewport(), Qt::Key_Down);
    QTest::keyClick(List.viewport(), Qt::Key_Down);
    EXPECT_EQ(List.CurrentColumn(), 3);
    QTest::keyClick(List.viewport(), Qt::Key_End);
    EXPECT_EQ(List.CurrentColumn(), 5);
}

TEST(ColumnList, NoneEntryStandsForColumnZero)
{
    TKvColumnList List;
    List.SetColumns(Captions(3), QStringLiteral(" not selected"));
    EXPECT_TRUE(List.HasNoneEntry());
    EXPECT_EQ(List.ColumnCount(), 3);
    EXPECT_EQ(List.count(), 4);
    EXPECT_EQ(List.CurrentColumn(), 0);
    EXPECT_EQ(List.item(0)->text(), QStringLiteral(" not selected"));
    List.SetCurrentColumn(3);
    EXPECT_EQ(List.currentItem()->text(), QStringLiteral("C: "));
    EXPECT_EQ(List.CurrentColumn(), 3);
    List.SetCurrentColumn(0);
    EXPECT_EQ(List.CurrentColumn(), 0);
    EXPECT_THROW(List.SetCurrentColumn(4), ERangeError);

    List.SetColumns(Captions(3));
    EXPECT_FALSE(List.HasNoneEntry());
    EXPECT_THROW(List.SetCurrentColumn(0), ERangeError);
}

// The letters end at one place in every row, whatever their number, and
// the caption follows behind them.
TEST(ColumnList, LettersAreRightAlignedToTheWidest)
{
    TKvColumnList List;
    std::vector<QString> Texts = Captions(28);
    Texts[26] = QStringLiteral("Speed");
    List.SetColumns(Texts);
    List.resize(300, 600);
    List.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&List));
    List.clearSelection();
    List.setCurrentItem(nullptr);
    List.scrollToItem(List.item(26));
    const QImage Image = Render(List);

    const auto Span = [&](int Row) { return InkSpan(Image, List.visualItemRect(List.item(Row))); };
    const auto Narrow = Span(0);   // "A:"
    const auto Wide = Span(27);    // "AB:"
    const auto Caption = Span(26); // "AA:" and "Speed"
    ASSERT_TRUE(Narrow && Wide && Caption);
    EXPECT_EQ(Narrow->second, Wide->second);
    EXPECT_GT(Narrow->first, Wide->first);
    EXPECT_GT(Caption->second, Wide->second + 10);
    EXPECT_GE(List.NameWidth(), QFontMetrics(List.font()).horizontalAdvance(QStringLiteral("AA:")));
}

} // namespace
