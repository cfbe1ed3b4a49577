#include "GraphTestSupport.h"

#include "graph/KvLabel.h"
#include "graph/KvSymbolFont.h"

#include <QFontMetrics>

#include <gtest/gtest.h>

namespace kv::test {

namespace {

TKvCaptionRec Measure(const QString& Caption, TKvMeasureCanvas& Canvas, int32_t Angle = 0)
{
    TKvCaptionRec Rec;
    Rec.Caption = Caption;
    Rec.Canvas = &Canvas.Painter();
    Rec.Angle = Angle;
    RenderCaption(Rec);
    return Rec;
}

std::vector<int32_t> Sources(const TKvCaptionRec& Rec)
{
    return {Rec.CharSource.begin(), Rec.CharSource.begin() + Rec.PlainText.size()};
}

} // namespace

struct TPlainCase {
    const char* Caption;
    const char* Plain;
    std::vector<int32_t> Sources;
};

class CaptionPlainText : public testing::TestWithParam<TPlainCase> {};

TEST_P(CaptionPlainText, RemovesMarkupAndMapsSources)
{
    TKvMeasureCanvas Canvas;
    const TKvCaptionRec Rec = Measure(QString::fromUtf8(GetParam().Caption), Canvas);
    EXPECT_EQ(Rec.PlainText.toStdString(), GetParam().Plain);
    EXPECT_EQ(Sources(Rec), GetParam().Sources);
    EXPECT_EQ(Rec.CharRight.size(), std::string(GetParam().Caption).size() + 1);
}

INSTANTIATE_TEST_SUITE_P(Markup, CaptionPlainText,
                         testing::Values(TPlainCase{"a\\+2\\+b", "a2b", {1, 4, 7}},
                                         TPlainCase{"10\\+ 3", "103", {1, 2, 6}},
                                         TPlainCase{"\\Sa\\s", "a", {3}},
                                         TPlainCase{"\\xy", "xy", {2, 3}},
                                         TPlainCase{"one\\\\two", "one\\two", {1, 2, 3, 5, 6, 7, 8}},
                                         TPlainCase{"end\\", "end", {1, 2, 3}},
                                         TPlainCase{"", "", {}},
                                         TPlainCase{"\\b\\bx", "x", {5}},
                                         TPlainCase{"\\ss\\s(X)\\+2\\+:", "s(X)2:", {3, 6, 7, 8, 11, 14}}));

TEST(Caption, RaisedRunIsSmallerAndReturnsToTheBaseline)
{
    TKvMeasureCanvas Canvas;
    QFont Base = ToQFont(TKvFontRecord{});
    Canvas.Painter().setFont(Base);
    const TKvCaptionRec Rec = Measure("a\\+2\\+b", Canvas);
    const QFontMetrics Normal(Base, Canvas.Painter().device());
    QFont Small = Base;
    Small.setPointSize(Base.pointSize() * 2 / 3);
    const QFontMetrics Reduced(Small, Canvas.Painter().device());
    EXPECT_EQ(Rec.CharRight[0], Normal.horizontalAdvance('a'));
    EXPECT_EQ(Rec.CharRight[1] - Rec.CharRight[0], Reduced.horizontalAdvance('2'));
    EXPECT_EQ(Rec.CharRight[2] - Rec.CharRight[1], Normal.horizontalAdvance('b'));
    EXPECT_EQ(Rec.Width, Rec.CharRight[2]);
    EXPECT_TRUE(Rec.SuperMark[1]);
    EXPECT_TRUE(Rec.SuperMark[2]);
}

TEST(Caption, RaisedTextIsDrawnAboveTheBaseline)
{
    auto Ink = [](const QString& Caption) {
        QImage Image(80, 40, QImage::Format_ARGB32);
        Image.fill(Qt::white);
        QPainter P(&Image);
        P.setFont(ToQFont(TKvFontRecord{}));
        P.setPen(Qt::black);
        TKvCaptionRec Rec;
        Rec.Caption = Caption;
        Rec.Canvas = &P;
        Rec.X = 2;
        Rec.Y = 10;
        Rec.Draw = true;
        RenderCaption(Rec);
        P.end();
        int Top = 99, Bottom = -1;
        for (int y = 0; y < Image.height(); ++y)
            for (int x = 0; x < Image.width(); ++x)
                if (qGray(Image.pixel(x, y)) < 128) {
                    Top = std::min(Top, y);
                    Bottom = std::max(Bottom, y);
                }
        return std::pair{Top, Bottom};
    };
    const auto Plain = Ink("2");
    const auto Raised = Ink("\\+2");
    const auto Lowered = Ink("\\-2");
    EXPECT_LT(Raised.first, Plain.first);
    EXPECT_LT(Raised.second, Plain.second);
    // A lowered run starts its smaller cell below the base cell's top.
    EXPECT_GT(Lowered.first, Plain.first);
    EXPECT_GE(Lowered.second, Plain.second);
}

TEST(Caption, BoldToggleFlipsRelativeToTheBaseFont)
{
    TKvMeasureCanvas Canvas;
    TKvFontRecord BoldFont;
    BoldFont.Bold = true;
    Canvas.Painter().setFont(ToQFont(BoldFont));
    const TKvCaptionRec Toggled = Measure("\\bWWWW", Canvas);
    Canvas.Painter().setFont(ToQFont(TKvFontRecord{}));
    const TKvCaptionRec Normal = Measure("WWWW", Canvas);
    EXPECT_EQ(Toggled.Width, Normal.Width);
    EXPECT_TRUE(Toggled.BoldMark[0]);
    // The canvas font is left as it was.
    EXPECT_FALSE(Canvas.Painter().font().bold());
}

TEST(Caption, SymbolFontShowsGreekLetters)
{
    EXPECT_EQ(SymbolToUnicode('s'), u'\u03C3');
    EXPECT_EQ(SymbolToUnicode('D'), u'\u0394');
    EXPECT_EQ(SymbolToUnicode('W'), u'\u03A9');
    EXPECT_EQ(SymbolToUnicode('m'), u'\u03BC');
    EXPECT_EQ(SymbolToUnicode(0xB1), u'\u00B1');
    EXPECT_EQ(SymbolToUnicode(0xA5), u'\u221E');
    EXPECT_EQ(SymbolToUnicode('1'), u'1');
    TKvMeasureCanvas Canvas;
    const QFontMetrics M(Canvas.Painter().font(), Canvas.Painter().device());
    EXPECT_EQ(Measure("\\ss", Canvas).Width, M.horizontalAdvance(QChar(0x03C3)));
}

TEST(Caption, SelectionIsDrawnInTheHighlightTextColour)
{
    QImage Image(60, 30, QImage::Format_ARGB32);
    Image.fill(Qt::black);
    QPainter P(&Image);
    P.setPen(QColor(Qt::red));
    TKvCaptionRec Rec;
    Rec.Caption = "MM";
    Rec.Canvas = &P;
    Rec.Draw = true;
    Rec.ShowSelection = true;
    Rec.SelStart = 1;
    Rec.SelEnd = 2;
    RenderCaption(Rec);
    P.end();
    bool WhiteInSecond = false, RedInFirst = false;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 60; ++x) {
            const QRgb C = Image.pixel(x, y);
            if (x < Rec.CharRight[0] - 1 && qRed(C) > 200 && qGreen(C) < 50)
                RedInFirst = true;
            if (x > Rec.CharRight[0] + 1 && x < Rec.CharRight[1] && qGreen(C) > 200)
                WhiteInSecond = true;
        }
    EXPECT_TRUE(RedInFirst);
    EXPECT_TRUE(WhiteInSecond);
}

TEST(Label, VerticalLabelSwapsItsSides)
{
    TKvLabel L;
    L.SetCaption("Vertical caption");
    const int32_t W = L.Width(), H = L.Height();
    L.SetAngle(900);
    EXPECT_EQ(L.Width(), H);
    EXPECT_EQ(L.Height(), W);
    EXPECT_EQ(L.OriginX(), 0);
    EXPECT_EQ(L.OriginY(), W);
    L.SetAngle(-900);
    EXPECT_EQ(L.Angle(), 2700);
    EXPECT_EQ(L.OriginX(), H);
}

TEST(Label, VerticalLabelDrawsUpwardsFromItsBottomLeft)
{
    TKvLabel L;
    L.SetCaption("Wwwwwwwwww");
    L.SetAngle(900);
    L.SetLeft(10);
    L.SetTop(10);
    QImage Image(100, 200, QImage::Format_ARGB32);
    Image.fill(Qt::white);
    QPainter P(&Image);
    L.Paint(P);
    P.end();
    int Top = 999, Bottom = -1, LeftInk = 999, RightInk = -1;
    for (int y = 0; y < Image.height(); ++y)
        for (int x = 0; x < Image.width(); ++x)
            if (qGray(Image.pixel(x, y)) < 128) {
                Top = std::min(Top, y), Bottom = std::max(Bottom, y);
                LeftInk = std::min(LeftInk, x), RightInk = std::max(RightInk, x);
            }
    EXPECT_GE(Top, 10);
    EXPECT_LE(Bottom, 10 + L.Height());
    EXPECT_GE(LeftInk, 10);
    EXPECT_LE(RightInk, 10 + L.Width());
    EXPECT_GT(Bottom - Top, 3 * (RightInk - LeftInk)); // the text runs along y
}

TEST(Label, RotatedBoxContainsTheText)
{
    TKvLabel L;
    L.SetCaption("Slanted");
    const int32_t W = L.Width(), H = L.Height();
    L.SetAngle(300);
    const double S = 0.5, C = std::sqrt(3.0) / 2;
    EXPECT_NEAR(L.Width(), W * C + H * S, 1);
    EXPECT_NEAR(L.Height(), W * S + H * C, 1);
    EXPECT_EQ(L.OriginX(), 0);
    EXPECT_NEAR(L.OriginY(), W * S, 1);
}

struct TAlignCase {
    TKvAlignment Alignment;
    int32_t ExpectedLeftOffset; // in units of -W/2
};

TEST(Label, XPositionAnchorsByAlignment)
{
    TKvLabel L;
    L.SetCaption("Anchor");
    const int32_t W = L.Width();
    L.SetAlignment(TKvAlignment::taCenter);
    L.SetXPosition(100);
    EXPECT_EQ(L.Left(), 100 - W / 2);
    L.SetAlignment(TKvAlignment::taRightJustify);
    EXPECT_EQ(L.Left(), 100 - W);
    L.SetAlignment(TKvAlignment::taLeftJustify);
    EXPECT_EQ(L.Left(), 100);
    L.SetAngle(900);
    L.SetAlignment(TKvAlignment::taCenter);
    EXPECT_EQ(L.Left(), 100);
}

TEST(Label, CentredBoundsSetTheAnchor)
{
    TKvLabel L;
    L.SetAlignment(TKvAlignment::taCenter);
    L.SetBounds(80, 0, 40, 16);
    EXPECT_EQ(L.XPosition(), 100);
    EXPECT_EQ(L.Left(), 80);
}

TEST(Caption, PlainCaptionOfMarkup)
{
    // The one space after an escape belongs to the escape.
    EXPECT_EQ(PlainCaption("\\bBold\\b and \\-sub\\-").toStdString(), "Boldand sub");
    EXPECT_EQ(PlainCaption("\\bBold\\b  and").toStdString(), "Bold and");
    EXPECT_EQ(PlainCaption("").toStdString(), "");
}

TEST(Caption, RenderWithoutCanvasIsAnError)
{
    TKvCaptionRec Rec;
    Rec.Caption = "x";
    EXPECT_THROW(RenderCaption(Rec), EKvError);
}

} // namespace kv::test
