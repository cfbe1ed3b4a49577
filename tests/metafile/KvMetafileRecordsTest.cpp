// The metafile writers read back record by record: structure, clipping,
// dashes, wide lines, far coordinates and text.

#include "MetafileRecords.h"

#include "metafile/KvEmfWriter.h"
#include "metafile/KvMetafile.h"
#include "metafile/KvWmfWriter.h"

#include "foundation/KvErrors.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace kv::test {

namespace {

using TDraw = std::function<void(QPainter&)>;

QByteArray Picture(TKvMetafileFormat Format, const TDraw& Draw, QSize Size = {200, 100},
                   TKvMetafileOptions Options = {})
{
    TKvMetafile M(Size.width(), Size.height(), Format, Options);
    QPainter P(&M);
    Draw(P);
    P.end();
    return M.Bytes();
}

QByteArray Emf(const TDraw& Draw, QSize Size = {200, 100}, TKvMetafileOptions Options = {})
{
    return Picture(TKvMetafileFormat::MfEnhanced, Draw, Size, Options);
}

QByteArray Wmf(const TDraw& Draw, QSize Size = {200, 100}) { return Picture(TKvMetafileFormat::MfWindows, Draw, Size); }

QPen ThinPen(Qt::PenStyle Style, QColor Color = Qt::black)
{
    QPen Pen(Color, 0, Style);
    Pen.setCapStyle(Qt::FlatCap);
    return Pen;
}

// Something of every kind the writers know, inside and outside clips.
void DrawEverything(QPainter& P)
{
    P.fillRect(0, 0, 200, 100, QColor(240, 240, 240));
    P.setPen(ThinPen(Qt::SolidLine));
    P.drawLine(0, 0, 199, 99);
    for (Qt::PenStyle S : {Qt::DashLine, Qt::DotLine, Qt::DashDotLine, Qt::DashDotDotLine}) {
        P.setPen(ThinPen(S, Qt::blue));
        P.drawLine(10, 10 + 5 * static_cast<int>(S), 190, 10 + 5 * static_cast<int>(S));
    }
    P.setPen(QPen(Qt::red, 4));
    P.drawLine(10, 60, 190, 60);
    P.save();
    P.setClipRect(20, 20, 100, 50);
    P.translate(20, 20);
    P.setPen(ThinPen(Qt::SolidLine, Qt::darkGreen));
    P.setBrush(Qt::white);
    P.drawEllipse(QRect(5, 5, 10, 10));
    P.drawRect(QRect(30, 5, 10, 10));
    P.drawPolygon(QPolygon({QPoint(50, 5), QPoint(60, 15), QPoint(40, 15)}));
    P.restore();
    P.setFont(QFont("DejaVu Sans", 10));
    P.drawText(QPoint(10, 90), QStringLiteral("Tα€x"));
    P.save();
    P.translate(190, 90);
    P.rotate(-90);
    P.drawText(QPoint(0, 0), QStringLiteral("rotated"));
    P.restore();
    QImage Image(4, 3, QImage::Format_ARGB32);
    Image.fill(Qt::red);
    P.drawImage(QRect(150, 70, 8, 6), Image);
}

std::vector<TRecord> Drawing(const std::vector<TRecord>& All, bool Wmf)
{
    // The records after the set-up ones.
    std::vector<TRecord> Out;
    for (const TRecord& R : All)
        if (Wmf ? (R.Type != 0x0103 && R.Type != 0x020B && R.Type != 0x020C && R.Type != 0x0102 && R.Type != 0x012E &&
                   R.Type != 0x0106 && R.Type != 0)
                : (R.Type > 1 && R.Type != 14 && (R.Type < 9 || R.Type > 12) && R.Type != 17 && R.Type != 18 &&
                   R.Type != 19 && R.Type != 22))
            Out.push_back(R);
    return Out;
}

} // namespace

TEST(MetafileRecords, EveryRecordOfBothFormatsReadsBack)
{
    const QByteArray E = Emf(DrawEverything);
    CheckEmfStructure(E);
    const QByteArray W = Wmf(DrawEverything);
    CheckWmfStructure(W);

    const std::vector<TRecord> Er = EmfRecords(E);
    const TRecord& H = Er.front();
    EXPECT_EQ(H.I32(8), 0);
    EXPECT_EQ(H.I32(16), 199) << "bounds are inclusive pixels";
    EXPECT_EQ(H.I32(20), 99);
    EXPECT_NEAR(H.I32(32), 200 * 2540 / 96, 2) << "frame in 0.01 mm at 96 pixels per inch";
    EXPECT_NEAR(H.I32(36), 100 * 2540 / 96, 2);
    for (uint32_t Type : {9u, 11u, 17u})
        EXPECT_EQ(OfType(Er, Type).size(), 1u) << "map mode, window and viewport extents: record " << Type;
    EXPECT_EQ(OfType(Er, 11)[0]->I32(8), 200) << "viewport extent";
    const auto Images = OfType(Er, 81);
    ASSERT_EQ(Images.size(), 1u) << "the image";
    const TRecord& Img = *Images[0];
    EXPECT_EQ(Img.I32(8 + 16), 150) << "destination x";
    EXPECT_EQ(Img.I32(72), 8) << "destination width";
    EXPECT_EQ(Img.I32(Img.U32(48) + 4), 4) << "bitmap width";
    const size_t Bits = Img.U32(56);
    EXPECT_EQ(Img.Data[Bits] + (Img.Data[Bits + 1] << 8) + (Img.Data[Bits + 2] << 16), 0xFF0000)
        << "a red pixel stored blue, green, red";
    EXPECT_EQ(OfType(Er, 42).size(), 1u) << "the ellipse";

    const std::vector<TRecord> Wr = WmfRecords(W);
    const auto* B = reinterpret_cast<const uint8_t*>(W.constData());
    EXPECT_EQ(ReadI16(B + 10), 200) << "placeable bounding box";
    EXPECT_EQ(ReadI16(B + 12), 100);
    EXPECT_EQ(ReadU16(B + 14), 96) << "units per inch";
    const auto Ext = OfType(Wr, 0x020C);
    ASSERT_EQ(Ext.size(), 1u);
    EXPECT_EQ(Ext[0]->I16(6), 100) << "window extent: y first";
    EXPECT_EQ(Ext[0]->I16(8), 200);
    EXPECT_EQ(OfType(Wr, 0x0F43).size(), 1u) << "the image";
}

TEST(MetafileRecords, ClipIsASaveIntersectRestoreBracketInPictureCoordinates)
{
    auto Draw = [](QPainter& P) {
        P.setPen(ThinPen(Qt::SolidLine));
        P.save();
        P.translate(30, 10);
        P.setClipRect(0, 0, 50, 40); // after the translation: 30..80 by 10..50
        P.drawLine(-100, 20, 300, 20);
        P.restore();
        P.drawLine(0, 90, 199, 90); // unclipped again
    };
    const std::vector<TRecord> E = Drawing(EmfRecords(Emf(Draw)), false);
    std::vector<uint32_t> Order;
    for (const TRecord& R : E)
        if (R.Type == 33 || R.Type == 30 || R.Type == 34 || R.Type == 87)
            Order.push_back(R.Type);
    EXPECT_EQ(Order, (std::vector<uint32_t>{33, 30, 87, 34, 87})) << "save, clip, line, restore, line";
    const auto Clip = OfType(E, 30);
    ASSERT_EQ(Clip.size(), 1u);
    EXPECT_EQ(Clip[0]->I32(8), 30);
    EXPECT_EQ(Clip[0]->I32(12), 10);
    EXPECT_EQ(Clip[0]->I32(16), 80) << "right edge outside the clip";
    EXPECT_EQ(Clip[0]->I32(20), 50);

    const std::vector<TRecord> W = Drawing(WmfRecords(Wmf(Draw)), true);
    const auto WClip = OfType(W, 0x0416);
    ASSERT_EQ(WClip.size(), 1u);
    EXPECT_EQ(WClip[0]->I16(6), 50) << "bottom, right, top, left";
    EXPECT_EQ(WClip[0]->I16(8), 80);
    EXPECT_EQ(WClip[0]->I16(10), 10);
    EXPECT_EQ(WClip[0]->I16(12), 30);
    EXPECT_EQ(OfType(W, 0x001E).size(), 1u);
    EXPECT_EQ(OfType(W, 0x0127).size(), 1u);
}

// Dashed lines as their dashes by default; the native pens on request.
TEST(MetafileRecords, DashedLinesAreWrittenAsTheirDashes)
{
    struct TCase {
        Qt::PenStyle Style;
        double OnShare; // of the line's length
    };
    for (const TCase& C : {TCase{Qt::DashLine, 4.0 / 6}, TCase{Qt::DotLine, 1.0 / 3}, TCase{Qt::DashDotLine, 5.0 / 9},
                           TCase{Qt::DashDotDotLine, 6.0 / 12}}) {
        SCOPED_TRACE(static_cast<int>(C.Style));
        auto Draw = [&](QPainter& P) {
            P.setPen(ThinPen(C.Style));
            P.drawLine(0, 50, 180, 50);
        };
        const std::vector<TRecord> E = EmfRecords(Emf(Draw));
        for (const TRecord* Pen : OfType(E, 38))
            EXPECT_EQ(Pen->U32(12), 0u) << "only solid pens";
        const auto Lines = OfType(E, 90);
        ASSERT_EQ(Lines.size(), 1u);
        const TRecord& L = *Lines[0];
        const uint32_t N = L.U32(24);
        double On = 0;
        size_t Pt = 32 + 4 * N;
        for (uint32_t k = 0; k < N; ++k) {
            const uint32_t Count = L.U32(32 + 4 * k);
            EXPECT_EQ(Count, 2u);
            On += std::abs(L.I16(Pt + 4) - L.I16(Pt));
            EXPECT_EQ(L.I16(Pt + 2), 50);
            Pt += 4 * Count;
        }
        EXPECT_NEAR(On / 180, C.OnShare, 0.05);

        const std::vector<TRecord> Native = EmfRecords(Emf(Draw, {200, 100}, {true}));
        const auto Pens = OfType(Native, 38);
        ASSERT_EQ(Pens.size(), 1u);
        EXPECT_EQ(Pens[0]->U32(12), static_cast<uint32_t>(C.Style) - 1) << "the format's own dash style";
        EXPECT_EQ(OfType(Native, 87).size(), 1u) << "one line";
    }
}

TEST(MetafileRecords, WideLinesAreFilledOutlines)
{
    auto Draw = [](QPainter& P) {
        QPen Pen(Qt::red, 6);
        Pen.setCapStyle(Qt::FlatCap);
        P.setPen(Pen);
        P.drawLine(20, 50, 180, 50);
        Pen.setStyle(Qt::DashLine);
        P.setPen(Pen);
        P.drawLine(20, 80, 180, 80);
    };
    for (bool Old : {false, true}) {
        SCOPED_TRACE(Old ? "WMF" : "EMF");
        const QByteArray File = Old ? Wmf(Draw) : Emf(Draw);
        const std::vector<TRecord> R = Old ? WmfRecords(File) : EmfRecords(File);
        for (const TRecord* Pen : OfType(R, Old ? 0x02FA : 38))
            EXPECT_LE(Old ? Pen->I16(8) : Pen->I32(16), 1) << "no wide pens";
        const auto Solid = OfType(R, Old ? 0x0324 : 86);
        ASSERT_GE(Solid.size(), 1u);
        // The solid line: a 160 by 6 outline around y = 50.
        int MinY = 1000, MaxY = -1000, MinX = 1000, MaxX = -1000;
        const TRecord& S = *Solid[0];
        const size_t Count = Old ? S.U16(6) : S.U32(24);
        for (size_t k = 0; k < Count; ++k) {
            const int X = Old ? S.I16(8 + 4 * k) : S.I16(28 + 4 * k);
            const int Y = Old ? S.I16(10 + 4 * k) : S.I16(30 + 4 * k);
            MinX = std::min(MinX, X), MaxX = std::max(MaxX, X), MinY = std::min(MinY, Y), MaxY = std::max(MaxY, Y);
        }
        EXPECT_EQ(MinX, 20);
        EXPECT_EQ(MaxX, 180);
        EXPECT_EQ(MinY, 47);
        EXPECT_EQ(MaxY, 53);
        const auto Dashed = OfType(R, Old ? 0x0538 : 91);
        ASSERT_EQ(Dashed.size(), 1u) << "the dashes: one record of many outlines";
        EXPECT_GE(Old ? Dashed[0]->U16(6) : Dashed[0]->U32(24), 5u);
        EXPECT_EQ(OfType(R, Old ? 0x0106 : 19).size(), 2u) << "alternate at the start, then winding";
    }
}

TEST(MetafileRecords, FarCoordinatesAreClippedNotWrapped)
{
    auto Draw = [](QPainter& P) {
        P.setPen(ThinPen(Qt::SolidLine));
        P.drawLine(QPointF(-1e9, 40), QPointF(1e9, 40));
        P.drawLine(QPointF(100, -70000), QPointF(100, 70000));
        P.setBrush(Qt::blue);
        P.drawPolygon(QPolygonF({QPointF(50, 50), QPointF(5e6, 50), QPointF(50, 5e6)}));
        P.drawLine(QPointF(std::nan(""), 3), QPointF(10, 10));
    };
    for (bool Old : {false, true}) {
        SCOPED_TRACE(Old ? "WMF" : "EMF");
        const QByteArray File = Old ? Wmf(Draw) : Emf(Draw);
        Old ? CheckWmfStructure(File) : CheckEmfStructure(File);
        const std::vector<TRecord> R = Old ? WmfRecords(File) : EmfRecords(File);
        std::vector<QPoint> Points;
        for (const TRecord& Rec : R) {
            if (Old && (Rec.Type == 0x0325 || Rec.Type == 0x0324))
                for (size_t k = 0; k < Rec.U16(6); ++k)
                    Points.emplace_back(Rec.I16(8 + 4 * k), Rec.I16(10 + 4 * k));
            if (!Old && (Rec.Type == 87 || Rec.Type == 86))
                for (size_t k = 0; k < Rec.U32(24); ++k)
                    Points.emplace_back(Rec.I16(28 + 4 * k), Rec.I16(30 + 4 * k));
            if (!Old && (Rec.Type == 90 || Rec.Type == 91)) {
                const uint32_t N = Rec.U32(24), Total = Rec.U32(28);
                for (size_t k = 0; k < Total; ++k)
                    Points.emplace_back(Rec.I16(32 + 4 * N + 4 * k), Rec.I16(34 + 4 * N + 4 * k));
            }
        }
        ASSERT_FALSE(Points.empty());
        bool Horizontal = false, Vertical = false;
        for (size_t k = 0; k + 1 < Points.size(); ++k) {
            EXPECT_TRUE(QRect(0, 0, 201, 101).contains(Points[k])) << "cut at the picture's edge";
            Horizontal |= Points[k].y() == 40 && Points[k + 1].y() == 40 && Points[k].x() == 0 && Points[k + 1].x() == 200;
            Vertical |= Points[k].x() == 100 && Points[k + 1].x() == 100 && Points[k].y() == 0 && Points[k + 1].y() == 100;
        }
        EXPECT_TRUE(Horizontal) << "the line still crosses the whole picture";
        EXPECT_TRUE(Vertical);
    }
}

TEST(MetafileRecords, PicturesBeyondSixteenBitsUseThe32BitRecords)
{
    auto Draw = [](QPainter& P) {
        P.setPen(ThinPen(Qt::SolidLine));
        P.drawLine(10, 10, 39000, 20);
        P.drawLine(10, 10, 300, 20);
    };
    const std::vector<TRecord> R = EmfRecords(Emf(Draw, {40000, 100}));
    const auto Long = OfType(R, 7);
    ASSERT_EQ(Long.size(), 1u) << "both lines in one 32-bit record";
    EXPECT_EQ(Long[0]->I32(32 + 8 + 8), 39000);
    EXPECT_TRUE(OfType(R, 90).empty());
    EXPECT_THROW(Wmf(Draw, {40000, 100}), EConvertError);
    EXPECT_THROW(TKvMetafile(0, 10, TKvMetafileFormat::MfEnhanced), EConvertError);
}

TEST(MetafileRecords, TextKeepsBaselineRotationAndAdvances)
{
    auto Draw = [](QPainter& P) {
        P.setFont(QFont("DejaVu Sans", 12));
        P.setPen(Qt::blue);
        P.drawText(QPoint(10, 50), QStringLiteral("Tα€ő中"));
        P.translate(100, 90);
        P.rotate(-90);
        P.drawText(QPoint(0, 0), QStringLiteral("up"));
    };
    const std::vector<TRecord> E = EmfRecords(Emf(Draw));
    EXPECT_EQ(OfType(E, 22)[0]->U32(8), 24u) << "baseline alignment";
    const auto Fonts = OfType(E, 82);
    ASSERT_GE(Fonts.size(), 2u);
    EXPECT_EQ(Fonts.front()->Size, 332u);
    EXPECT_EQ(Fonts.front()->I32(12), -16) << "12 pt at 96 per inch is an em of 16 pixels";
    EXPECT_EQ(Fonts.front()->I32(20), 0);
    EXPECT_EQ(Fonts.back()->I32(20), 900) << "escapement of the rotated text";
    // The painter hands over one piece per script; together they are the
    // text, each starting where the one before ends.
    const auto Texts = OfType(E, 84);
    ASSERT_GE(Texts.size(), 2u);
    QString Line;
    int32_t X = 10, Advance = 0;
    for (size_t i = 0; i + 1 < Texts.size(); ++i) {
        const TRecord& T = *Texts[i];
        EXPECT_NEAR(T.I32(36), X, 1);
        EXPECT_EQ(T.I32(40), 50) << "reference point on the baseline";
        for (uint32_t k = 0; k < T.U32(44); ++k) {
            Line += QChar(T.U16(T.U32(48) + 2 * k));
            Advance += T.I32(T.U32(72) + 4 * k);
        }
        X = 10 + Advance;
    }
    EXPECT_EQ(Line, QStringLiteral("Tα€ő中")) << "UTF-16 text";
    const QFontMetricsF Metrics(QFont("DejaVu Sans", 12));
    EXPECT_NEAR(Advance, Metrics.horizontalAdvance(QStringLiteral("Tα€ő中")), 3);
    EXPECT_EQ(OfType(E, 24)[0]->U32(8), 0xFF0000u) << "text colour as 0x00BBGGRR";

    // The old format: Windows-1252, with the Symbol font for Greek.
    const std::vector<TRecord> W = WmfRecords(Wmf(Draw));
    std::string Bytes;
    bool SymbolFont = false, SymbolAlpha = false;
    for (const TRecord& R : W) {
        if (R.Type == 0x02FB)
            SymbolFont = R.Data[6 + 13] == 2 && std::string(reinterpret_cast<const char*>(R.Data + 6 + 18)) == "Symbol";
        if (R.Type == 0x0A32 && R.I16(6) == 50) {
            const std::string Run(reinterpret_cast<const char*>(R.Data + 14), R.U16(10));
            Bytes += Run;
            SymbolAlpha |= Run == "a" && SymbolFont;
        }
    }
    EXPECT_EQ(Bytes, "Ta\x80o?") << "euro sign, base letter, question mark";
    EXPECT_TRUE(SymbolAlpha) << "alpha is 'a' in the Symbol font";
}

TEST(MetafileRecords, ObjectsAreSharedUntilTheyChange)
{
    auto Draw = [](QPainter& P) {
        P.setPen(ThinPen(Qt::SolidLine, Qt::red));
        for (int i = 0; i < 10; ++i)
            P.drawLine(0, i, 100, i);
        P.setPen(ThinPen(Qt::SolidLine, Qt::blue));
        P.drawLine(0, 50, 100, 50);
    };
    const std::vector<TRecord> E = EmfRecords(Emf(Draw));
    EXPECT_EQ(OfType(E, 38).size(), 2u) << "one pen per colour";
    EXPECT_EQ(OfType(E, 90).size(), 1u) << "ten lines of one pen in one record";
    EXPECT_EQ(OfType(E, 90)[0]->U32(24), 10u);
}

} // namespace kv::test
