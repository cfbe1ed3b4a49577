#include "GraphTestSupport.h"

#include "graph/KvDraw.h"

#include <gtest/gtest.h>

namespace kv::test {

namespace {

struct TInk {
    int Left = 9999, Top = 9999, Right = -1, Bottom = -1, Count = 0;
};

TInk InkOf(const QImage& Image, QColor Background = Qt::white)
{
    TInk I;
    for (int y = 0; y < Image.height(); ++y)
        for (int x = 0; x < Image.width(); ++x)
            if (!SameColor(Image.pixel(x, y), Background)) {
                I.Left = std::min(I.Left, x), I.Right = std::max(I.Right, x);
                I.Top = std::min(I.Top, y), I.Bottom = std::max(I.Bottom, y);
                ++I.Count;
            }
    return I;
}

QImage DrawSymbol(TKvPointSymbol Symbol, int S, QColor Pen = Qt::black, QColor Brush = Qt::white)
{
    QImage Image(60, 60, QImage::Format_ARGB32);
    Image.fill(Qt::white);
    QPainter P(&Image);
    P.setPen(MakePen(FromQColor(Pen), 1));
    P.setBrush(Brush);
    DrawPointSymbol(30, 30, S, P, Symbol);
    P.end();
    return Image;
}

} // namespace

TEST(Styles, NegativeValuesAreCorrected)
{
    TKvPointStyle P;
    P.SetSize(-3);
    EXPECT_EQ(P.Size(), 5);
    P.SetWidth(-1);
    EXPECT_EQ(P.Width(), 0);
    TKvLineStyle L;
    L.SetWidth(-2);
    EXPECT_EQ(L.Width(), 0);
    EXPECT_THROW(P.SetStyle(static_cast<TKvPointSymbol>(16)), EConvertError);
}

TEST(Styles, OnlyRealChangesRepaintTheOwner)
{
    int Repaints = 0;
    TKvLineStyle L;
    L.OnChange = [&] { ++Repaints; };
    L.SetColor(L.Color());
    L.SetVisible(true);
    L.SetWidth(1);
    EXPECT_EQ(Repaints, 0);
    L.SetColor(0x00FF00);
    L.SetStyle(TPenStyle::psDash);
    EXPECT_EQ(Repaints, 2);
    TKvPointStyle P;
    P.OnChange = [&] { ++Repaints; };
    P.SetSize(5);
    P.SetStyle(TKvPointSymbol::SyCircle);
    EXPECT_EQ(Repaints, 2);
    P.SetSize(-1); // corrected to the current 5: no change
    EXPECT_EQ(Repaints, 2);
    P.SetSize(7);
    EXPECT_EQ(Repaints, 3);
}

TEST(Styles, LineStyleRecordRoundTrip)
{
    TKvLineStyle L{true, 0x102030, TPenStyle::psDashDot, 3};
    TKvIniList Ini;
    L.SaveToIni(Ini, "S", "Line");
    EXPECT_EQ(Ini.ReadString("S", "Line.Style", ""), "3");
    TKvLineStyle M;
    Ini.WriteString("S", "Line.Width", "-2");
    M.LoadFromIni(Ini, "S", "Line");
    EXPECT_EQ(M.Color(), 0x102030);
    EXPECT_EQ(M.Style(), TPenStyle::psDashDot);
    EXPECT_EQ(M.Width(), 0);
}

TEST(Symbols, PointIsOnePixelWhateverTheSize)
{
    for (int S : {0, 1, 5, 20}) {
        const TInk I = InkOf(DrawSymbol(TKvPointSymbol::SyPoint, S));
        EXPECT_EQ(I.Count, 1) << S;
        EXPECT_EQ(I.Left, 30);
        EXPECT_EQ(I.Top, 30);
    }
}

TEST(Symbols, FilledTakesThePenColourHollowKeepsTheBrush)
{
    const QImage Filled = DrawSymbol(TKvPointSymbol::SySquareFilled, 6, Qt::red, Qt::green);
    EXPECT_TRUE(SameColor(Filled.pixel(30, 30), Qt::red));
    const QImage Hollow = DrawSymbol(TKvPointSymbol::SySquare, 6, Qt::red, Qt::green);
    EXPECT_TRUE(SameColor(Hollow.pixel(30, 30), Qt::green));
    EXPECT_TRUE(SameColor(Hollow.pixel(24, 30), Qt::red));
}

TEST(Symbols, FivePointStarReachesItsVertices)
{
    const TInk I = InkOf(DrawSymbol(TKvPointSymbol::Sy5Star, 10));
    EXPECT_EQ(I.Top, 20);
    EXPECT_EQ(I.Bottom, 38);
    EXPECT_EQ(I.Left, 20);
    EXPECT_EQ(I.Right, 40);
}

struct TBoxCase {
    TKvPointSymbol Symbol;
    int Left, Top, Right, Bottom; // relative to the centre, for S = 6
};

class SymbolBounds : public testing::TestWithParam<TBoxCase> {};

TEST_P(SymbolBounds, InkStaysInTheSymbolBox)
{
    const TBoxCase& C = GetParam();
    const TInk I = InkOf(DrawSymbol(C.Symbol, 6));
    EXPECT_EQ(I.Left - 30, C.Left);
    EXPECT_EQ(I.Top - 30, C.Top);
    EXPECT_EQ(I.Right - 30, C.Right);
    EXPECT_EQ(I.Bottom - 30, C.Bottom);
}

// Segments leave their end pixel unset, so a cross ends one pixel short.
INSTANTIATE_TEST_SUITE_P(All, SymbolBounds,
                         testing::Values(TBoxCase{TKvPointSymbol::SyCross, -5, -5, 5, 5},
                                         TBoxCase{TKvPointSymbol::SyX, -5, -5, 5, 5},
                                         TBoxCase{TKvPointSymbol::SyStar, -5, -5, 5, 5},
                                         TBoxCase{TKvPointSymbol::SyCircle, -6, -6, 6, 6},
                                         TBoxCase{TKvPointSymbol::SyCircleFilled, -6, -6, 6, 6},
                                         TBoxCase{TKvPointSymbol::SySquare, -6, -6, 6, 6},
                                         TBoxCase{TKvPointSymbol::SySquareFilled, -6, -6, 6, 6},
                                         TBoxCase{TKvPointSymbol::SyDiamond, -6, -6, 6, 6},
                                         TBoxCase{TKvPointSymbol::SyDiamondFilled, -6, -6, 6, 6},
                                         TBoxCase{TKvPointSymbol::SyDelta, -6, -6, 6, 6},
                                         TBoxCase{TKvPointSymbol::SyDeltaFilled, -6, -6, 6, 6},
                                         TBoxCase{TKvPointSymbol::SyNabla, -6, -6, 6, 6},
                                         TBoxCase{TKvPointSymbol::SyNablaFilled, -6, -6, 6, 6}));

TEST(Drawing, SegmentLeavesItsEndPixel)
{
    QImage Image(40, 40, QImage::Format_ARGB32);
    Image.fill(Qt::white);
    QPainter P(&Image);
    P.setPen(MakePen(clBlack, 1));
    DrawSegment(10, 10, 20, 10, P);
    DrawSegment(5, 30, 5, 20, P);
    P.end();
    EXPECT_TRUE(SameColor(Image.pixel(10, 10), Qt::black));
    EXPECT_TRUE(SameColor(Image.pixel(19, 10), Qt::black));
    EXPECT_TRUE(SameColor(Image.pixel(20, 10), Qt::white));
    EXPECT_TRUE(SameColor(Image.pixel(5, 21), Qt::black));
    EXPECT_TRUE(SameColor(Image.pixel(5, 20), Qt::white));
}

TEST(Drawing, FrameOutlinesTheRectangle)
{
    QImage Image(40, 40, QImage::Format_ARGB32);
    Image.fill(Qt::white);
    QPainter P(&Image);
    P.setPen(MakePen(clRed, 1));
    DrawFrame(5, 5, 30, 20, P);
    P.end();
    for (auto [x, y] : {std::pair{5, 5}, {30, 20}, {5, 20}, {30, 5}, {17, 5}, {5, 12}})
        EXPECT_TRUE(SameColor(Image.pixel(x, y), Qt::red)) << x << "," << y;
    EXPECT_TRUE(SameColor(Image.pixel(17, 12), Qt::white));
}

TEST(Drawing, WidthOneIsTheThinnestCosmeticPen)
{
    const QPen Pen = MakePen(clBlack, 1, TPenStyle::psDot);
    EXPECT_EQ(Pen.width(), 0);
    EXPECT_EQ(Pen.style(), Qt::DotLine);
    EXPECT_EQ(MakePen(clBlack, 3).width(), 3);
    EXPECT_EQ(MakePen(clBlack, 1, TPenStyle::psClear).style(), Qt::NoPen);
}

TEST(Drawing, ButtonFaceIsWhiteOnlyInVectorPictures)
{
    EXPECT_EQ(FillColor(clBtnFace), ToQColor(clBtnFace));
    TKvVectorPainting Vector;
    EXPECT_EQ(FillColor(clBtnFace), QColor(Qt::white));
    EXPECT_EQ(FillColor(clRed), QColor(Qt::red));
}

TEST(Colors, StoredColoursMapToRgb)
{
    EXPECT_EQ(ToQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(ToQColor(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(FromQColor(QColor(1, 2, 3)), 0x030201);
    EXPECT_TRUE(IsSystemColor(clBtnFace));
    EXPECT_EQ(ToQColor(clWindow), QColor(Qt::white));
    // index 25 is a gap in the desktop's numbering: the ones after it keep theirs
    EXPECT_EQ(ToQColor(static_cast<TColor>(0x8000001Au)), QColor(0x00, 0x66, 0xCC)); // hot light
    EXPECT_EQ(ToQColor(static_cast<TColor>(0x8000001Du)), QColor(0x33, 0x99, 0xFF)); // menu highlight
    EXPECT_EQ(ToQColor(static_cast<TColor>(0x800000FFu)), QColor(Qt::black)); // unknown index
}

} // namespace kv::test
