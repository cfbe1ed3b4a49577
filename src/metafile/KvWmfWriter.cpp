#include "KvWmfWriter.h"

#include "KvMfDib.h"
#include "KvWinText.h"

#include "foundation/KvErrors.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kv {

namespace {

// Points per polyline or polygon record: the counts are 16-bit.
constexpr size_t MaxRecordPoints = 8000;

uint32_t ColorRef(QRgb C) { return static_cast<uint32_t>(qRed(C)) | (qGreen(C) << 8) | (qBlue(C) << 16); }

} // namespace

std::vector<uint8_t> TKvWmfWriter::Write(const std::vector<TKvMfItem>& Items, QSize Picture)
{
    if (Picture.width() < 1 || Picture.height() < 1 || Picture.width() > MaxSide || Picture.height() > MaxSide)
        throw EConvertError("A Windows metafile cannot hold a picture of " + std::to_string(Picture.width()) + "x" +
                            std::to_string(Picture.height()) + " pixels");
    TKvWmfWriter W(Picture);
    W.Placeable();
    W.FBodyStart = W.S.Size();
    W.MetaHeader();
    W.Setup();
    // Some readers take the picture's extent from what it draws, not from
    // the header: an invisible rectangle over the whole picture keeps its
    // margins there.
    std::vector<TKvMfItem> All;
    All.reserve(Items.size() + 1);
    TKvMfItem Extent;
    Extent.Shape = TKvMfShape::Rectangle;
    Extent.Box = QRect(QPoint(0, 0), QPoint(Picture.width(), Picture.height()));
    All.push_back(Extent);
    All.insert(All.end(), Items.begin(), Items.end());
    W.Play(All);
    W.Eof();
    const size_t Body = W.FBodyStart;
    W.S.PatchU32(Body + 6, static_cast<uint32_t>((W.S.Size() - Body) / 2));
    W.S.PatchU16(Body + 10, static_cast<uint16_t>(std::min(W.HighestIndex() + 1, 0xFFFF)));
    W.S.PatchU32(Body + 12, W.FMaxRecordWords);
    return W.S.Take();
}

size_t TKvWmfWriter::Begin(uint16_t Function)
{
    const size_t Start = S.Size();
    S.U32(0);
    S.U16(Function);
    return Start;
}

void TKvWmfWriter::End(size_t Start)
{
    S.Align(2);
    const auto Words = static_cast<uint32_t>((S.Size() - Start) / 2);
    S.PatchU32(Start, Words);
    FMaxRecordWords = std::max(FMaxRecordWords, Words);
}

void TKvWmfWriter::Coord(int32_t V) { S.I16(static_cast<int16_t>(std::clamp(V, -32768, 32767))); }

void TKvWmfWriter::Point(const QPoint& P)
{
    Coord(P.x());
    Coord(P.y());
}

void TKvWmfWriter::Placeable()
{
    S.U32(meta::PlaceableKey);
    S.U16(0); // no handle
    S.I16(0);
    S.I16(0);
    S.I16(static_cast<int16_t>(FPicture.width()));
    S.I16(static_cast<int16_t>(FPicture.height()));
    S.U16(96); // units per inch: one unit is one picture pixel
    S.U32(0);
    uint16_t Sum = 0;
    for (size_t i = 0; i < 20; i += 2)
        Sum ^= ReadU16(S.Bytes().data() + i);
    S.U16(Sum);
}

void TKvWmfWriter::MetaHeader()
{
    S.U16(1);      // in memory
    S.U16(9);      // header words
    S.U16(0x0300); // version
    S.U32(0);      // size in words, patched
    S.U16(0);      // objects, patched
    S.U32(0);      // largest record, patched
    S.U16(0);
}

void TKvWmfWriter::OneWord(uint16_t Function, uint16_t Value)
{
    const size_t At = Begin(Function);
    S.U16(Value);
    End(At);
}

void TKvWmfWriter::TwoWords(uint16_t Function, int32_t Y, int32_t X)
{
    const size_t At = Begin(Function);
    Coord(Y);
    Coord(X);
    End(At);
}

void TKvWmfWriter::Setup()
{
    OneWord(meta::SetMapMode, 8); // anisotropic
    TwoWords(meta::SetWindowOrg, 0, 0);
    TwoWords(meta::SetWindowExt, FPicture.height(), FPicture.width());
    OneWord(meta::SetBkMode, 1);       // transparent
    // Left, on the baseline; written as a 32-bit value with its reserved
    // high word, as readers that ignore a 16-bit one expect.
    const size_t Align = Begin(meta::SetTextAlign);
    S.U32(24);
    End(Align);
    OneWord(meta::SetPolyFillMode, 1); // alternate
}

void TKvWmfWriter::Eof()
{
    const size_t At = Begin(meta::Eof);
    End(At);
}

void TKvWmfWriter::CreatePen(uint32_t, const TKvMfPen& Pen)
{
    const size_t At = Begin(meta::CreatePenIndirect);
    S.U16(static_cast<uint16_t>(Pen.Style));
    S.I16(static_cast<int16_t>(Pen.Width));
    S.I16(0);
    S.U32(ColorRef(Pen.Color));
    End(At);
}

void TKvWmfWriter::CreateBrush(uint32_t, const TKvMfBrush& Brush)
{
    const size_t At = Begin(meta::CreateBrushIndirect);
    S.U16(Brush.Null ? 1 : 0);
    S.U32(ColorRef(Brush.Color));
    S.U16(0);
    End(At);
}

void TKvWmfWriter::CreateFont(uint32_t, const TKvMfFont& Font)
{
    const size_t At = Begin(meta::CreateFontIndirect);
    S.I16(static_cast<int16_t>(-std::min(Font.Height, 32767)));
    S.I16(0);
    S.I16(static_cast<int16_t>(Font.Escapement));
    S.I16(static_cast<int16_t>(Font.Escapement));
    S.I16(static_cast<int16_t>(Font.Weight));
    S.U8(Font.Italic);
    S.U8(Font.Underline);
    S.U8(Font.StrikeOut);
    S.U8(Font.Symbol ? 2 : 0); // symbol or ANSI character set
    S.U8(0);
    S.U8(0);
    S.U8(0);
    S.U8(0);
    std::string Face;
    for (const TKvAnsiRun& R : SplitAnsiRuns(Font.Symbol ? QStringLiteral("Symbol") : Font.Face))
        Face += R.Symbol ? std::string(R.Bytes.size(), '?') : R.Bytes;
    Face.resize(std::min<size_t>(Face.size(), 31));
    S.Raw(reinterpret_cast<const uint8_t*>(Face.data()), Face.size());
    S.Zeros(32 - Face.size());
    End(At);
}

void TKvWmfWriter::SelectObject(uint32_t Index) { OneWord(meta::SelectObject, static_cast<uint16_t>(Index)); }
void TKvWmfWriter::DeleteObject(uint32_t Index) { OneWord(meta::DeleteObject, static_cast<uint16_t>(Index)); }

void TKvWmfWriter::SaveDC()
{
    const size_t At = Begin(meta::SaveDC);
    End(At);
}

void TKvWmfWriter::RestoreDC() { OneWord(meta::RestoreDC, static_cast<uint16_t>(-1)); }

void TKvWmfWriter::BoxRecord(uint16_t Function, const QRect& Box)
{
    // Corners in reverse order: bottom, right, top, left.
    const size_t At = Begin(Function);
    Coord(Box.top() + Box.height());
    Coord(Box.left() + Box.width());
    Coord(Box.top());
    Coord(Box.left());
    End(At);
}

void TKvWmfWriter::IntersectClipRect(const QRect& Clip) { BoxRecord(meta::IntersectClipRect, Clip); }
void TKvWmfWriter::SetPolyFillMode(bool Winding) { OneWord(meta::SetPolyFillMode, Winding ? 2 : 1); }

void TKvWmfWriter::SetTextColor(QRgb Color)
{
    const size_t At = Begin(meta::SetTextColor);
    S.U32(ColorRef(Color));
    End(At);
}

void TKvWmfWriter::Polylines(const TKvMfItem& Item)
{
    // The old format has no multi-polyline record: one record per line,
    // long lines in pieces that share their end points.
    size_t First = 0;
    for (int32_t Count : Item.Counts) {
        const auto N = static_cast<size_t>(Count);
        for (size_t From = 0; From + 1 < N; From += MaxRecordPoints - 1) {
            const size_t Take = std::min(MaxRecordPoints, N - From);
            const size_t At = Begin(meta::Polyline);
            S.U16(static_cast<uint16_t>(Take));
            for (size_t i = 0; i < Take; ++i)
                Point(Item.Points[First + From + i]);
            End(At);
        }
        First += N;
    }
}

void TKvWmfWriter::Polygons(const TKvMfItem& Item)
{
    // A polygon with more points than a count can hold keeps every k-th.
    std::vector<std::vector<QPoint>> Shapes;
    size_t First = 0;
    for (int32_t Count : Item.Counts) {
        const auto N = static_cast<size_t>(Count);
        const size_t Step = (N + MaxRecordPoints - 1) / MaxRecordPoints;
        std::vector<QPoint> P;
        for (size_t i = 0; i < N; i += Step)
            P.push_back(Item.Points[First + i]);
        Shapes.push_back(std::move(P));
        First += N;
    }
    for (size_t From = 0; From < Shapes.size();) {
        size_t To = From, Total = 0;
        while (To < Shapes.size() && (To == From || Total + Shapes[To].size() <= MaxRecordPoints))
            Total += Shapes[To++].size();
        const size_t At = Begin(To - From == 1 ? meta::Polygon : meta::PolyPolygon);
        S.U16(static_cast<uint16_t>(To - From == 1 ? Total : To - From));
        if (To - From > 1)
            for (size_t k = From; k < To; ++k)
                S.U16(static_cast<uint16_t>(Shapes[k].size()));
        for (size_t k = From; k < To; ++k)
            for (const QPoint& P : Shapes[k])
                Point(P);
        End(At);
        From = To;
    }
}

void TKvWmfWriter::Ellipse(const QRect& Box) { BoxRecord(meta::Ellipse, QRect(Box.topLeft(), Box.size() - QSize(1, 1))); }
void TKvWmfWriter::Rectangle(const QRect& Box) { BoxRecord(meta::Rectangle, QRect(Box.topLeft(), Box.size() - QSize(1, 1))); }

void TKvWmfWriter::TextRun(const TKvMfItem& Item, const TKvAnsiRun& Run, int32_t Offset)
{
    TKvMfFont Font = Item.Font;
    Font.Symbol = Run.Symbol;
    UseFont(Font);
    const double Angle = Item.Font.Escapement / 10.0 * std::numbers::pi / 180;
    const QPoint Origin = Item.Origin + QPoint(static_cast<int>(std::lround(Offset * std::cos(Angle))),
                                               static_cast<int>(std::lround(-Offset * std::sin(Angle))));
    const size_t At = Begin(meta::ExtTextOut);
    Coord(Origin.y());
    Coord(Origin.x());
    S.U16(static_cast<uint16_t>(Run.Bytes.size()));
    S.U16(0); // no clipping or opaque rectangle
    S.Raw(reinterpret_cast<const uint8_t*>(Run.Bytes.data()), Run.Bytes.size());
    S.Align(2);
    size_t Unit = static_cast<size_t>(Run.From);
    for (int32_t Units : Run.UnitsPerByte) {
        int32_t D = 0;
        for (int32_t k = 0; k < Units && Unit < Item.Dx.size(); ++k)
            D += Item.Dx[Unit++];
        S.I16(static_cast<int16_t>(D));
    }
    End(At);
}

void TKvWmfWriter::Text(const TKvMfItem& Item)
{
    for (const TKvAnsiRun& Run : SplitAnsiRuns(Item.Text)) {
        int32_t Offset = 0;
        for (int32_t i = 0; i < Run.From && i < static_cast<int32_t>(Item.Dx.size()); ++i)
            Offset += Item.Dx[static_cast<size_t>(i)];
        if (Run.Bytes.size() > 0x7FFF)
            continue;
        TextRun(Item, Run, Offset);
    }
}

void TKvWmfWriter::Image(const TKvMfItem& Item)
{
    const QImage& Img = Item.Image;
    const size_t At = Begin(meta::StretchDIB);
    S.U32(0x00CC0020); // copy the source
    S.U16(0);          // RGB colours
    Coord(Img.height());
    Coord(Img.width());
    Coord(0);
    Coord(0);
    Coord(Item.Box.height());
    Coord(Item.Box.width());
    Coord(Item.Box.top());
    Coord(Item.Box.left());
    WriteDibHeader(S, Img);
    WriteDibBits(S, Img);
    End(At);
}

} // namespace kv
