#include "KvEmfWriter.h"

#include "KvMfDib.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

// The reference device: a 96 dpi screen of 1920 by 1440 pixels is exactly
// 508 by 381 mm, so readers derive the same 96 dpi from it.
constexpr int32_t RefPixelsX = 1920, RefPixelsY = 1440, RefMmX = 508, RefMmY = 381;
constexpr size_t HeaderSize = 108;
constexpr size_t LogFontPanoseSize = 320;

uint32_t ColorRef(QRgb C) { return static_cast<uint32_t>(qRed(C)) | (qGreen(C) << 8) | (qBlue(C) << 16); }

bool Fits16(const std::vector<QPoint>& Points, size_t First, size_t Count)
{
    for (size_t i = First; i < First + Count; ++i)
        if (Points[i].x() < -32768 || Points[i].x() > 32767 || Points[i].y() < -32768 || Points[i].y() > 32767)
            return false;
    return true;
}

QRect Bounds(const std::vector<QPoint>& Points, size_t First, size_t Count)
{
    int L = Points[First].x(), R = L, T = Points[First].y(), B = T;
    for (size_t i = First; i < First + Count; ++i) {
        L = std::min(L, Points[i].x());
        R = std::max(R, Points[i].x());
        T = std::min(T, Points[i].y());
        B = std::max(B, Points[i].y());
    }
    return QRect(QPoint(L, T), QPoint(R, B));
}

} // namespace

std::vector<uint8_t> TKvEmfWriter::Write(const std::vector<TKvMfItem>& Items, QSize Picture)
{
    TKvEmfWriter W(Picture);
    W.Header();
    W.Setup();
    W.Play(Items);
    W.Eof();
    // Size, record count and object count are known only now.
    W.S.PatchU32(48, static_cast<uint32_t>(W.S.Size()));
    W.S.PatchU32(52, W.FRecords);
    W.S.PatchU16(56, static_cast<uint16_t>(std::min(W.HighestIndex() + 1, 0xFFFF)));
    return W.S.Take();
}

size_t TKvEmfWriter::Begin(uint32_t Type)
{
    const size_t Start = S.Size();
    S.U32(Type);
    S.U32(0);
    ++FRecords;
    return Start;
}

void TKvEmfWriter::End(size_t Start)
{
    S.Align(4);
    S.PatchU32(Start + 4, static_cast<uint32_t>(S.Size() - Start));
}

void TKvEmfWriter::RectL(const QRect& R)
{
    S.I32(R.left());
    S.I32(R.top());
    S.I32(R.right());
    S.I32(R.bottom());
}

void TKvEmfWriter::Header()
{
    const size_t At = Begin(emr::Header);
    const int32_t W = FPicture.width(), H = FPicture.height();
    RectL(QRect(0, 0, W, H));                                 // bounds, inclusive pixels
    S.I32(0);                                                 // frame in 0.01 mm, inclusive
    S.I32(0);
    S.I32(static_cast<int32_t>(std::lround(W * 2540.0 / 96.0)) - 1);
    S.I32(static_cast<int32_t>(std::lround(H * 2540.0 / 96.0)) - 1);
    S.U32(0x464D4520);                                        // " EMF"
    S.U32(0x00010000);
    S.U32(0);                                                 // bytes, patched
    S.U32(0);                                                 // records, patched
    S.U16(0);                                                 // handles, patched
    S.U16(0);
    S.U32(0);                                                 // no description
    S.U32(0);
    S.U32(0);                                                 // no palette
    S.I32(RefPixelsX);
    S.I32(RefPixelsY);
    S.I32(RefMmX);
    S.I32(RefMmY);
    S.U32(0);                                                 // no pixel format
    S.U32(0);
    S.U32(0);                                                 // not OpenGL
    S.I32(RefMmX * 1000);
    S.I32(RefMmY * 1000);
    End(At);
}

void TKvEmfWriter::SetMode(uint32_t Type, uint32_t Value)
{
    const size_t At = Begin(Type);
    S.U32(Value);
    End(At);
}

void TKvEmfWriter::SizeRecord(uint32_t Type, int32_t X, int32_t Y)
{
    const size_t At = Begin(Type);
    S.I32(X);
    S.I32(Y);
    End(At);
}

void TKvEmfWriter::Setup()
{
    SetMode(emr::SetMapMode, 8); // anisotropic: window and viewport decide
    SizeRecord(emr::SetWindowOrgEx, 0, 0);
    SizeRecord(emr::SetWindowExtEx, FPicture.width(), FPicture.height());
    SizeRecord(emr::SetViewportOrgEx, 0, 0);
    SizeRecord(emr::SetViewportExtEx, FPicture.width(), FPicture.height());
    SetMode(emr::SetBkMode, 1);      // transparent
    SetMode(emr::SetTextAlign, 24);  // left, on the baseline
    SetMode(emr::SetPolyFillMode, 1); // alternate
}

void TKvEmfWriter::Eof()
{
    const size_t At = Begin(emr::Eof);
    S.U32(0);  // no palette entries
    S.U32(16); // offset of the (empty) palette
    S.U32(20); // this record's size
    End(At);
}

bool TKvEmfWriter::StockPen(const TKvMfPen& Pen, uint32_t& Index) const
{
    Index = emr::NullPen;
    return Pen.Style == TKvMfPenStyle::Null;
}

bool TKvEmfWriter::StockBrush(const TKvMfBrush& Brush, uint32_t& Index) const
{
    Index = emr::NullBrush;
    return Brush.Null;
}

void TKvEmfWriter::CreatePen(uint32_t Index, const TKvMfPen& Pen)
{
    const size_t At = Begin(emr::CreatePen);
    S.U32(Index);
    S.U32(static_cast<uint32_t>(Pen.Style));
    S.I32(Pen.Width);
    S.I32(0);
    S.U32(ColorRef(Pen.Color));
    End(At);
}

void TKvEmfWriter::CreateBrush(uint32_t Index, const TKvMfBrush& Brush)
{
    const size_t At = Begin(emr::CreateBrushIndirect);
    S.U32(Index);
    S.U32(Brush.Null ? 1 : 0); // null or solid
    S.U32(ColorRef(Brush.Color));
    S.U32(0);
    End(At);
}

void TKvEmfWriter::CreateFont(uint32_t Index, const TKvMfFont& Font)
{
    const size_t At = Begin(emr::ExtCreateFontIndirectW);
    S.U32(Index);
    const size_t Start = S.Size();
    S.I32(-Font.Height); // negative: the em height
    S.I32(0);
    S.I32(Font.Escapement);
    S.I32(Font.Escapement);
    S.I32(Font.Weight);
    S.U8(Font.Italic);
    S.U8(Font.Underline);
    S.U8(Font.StrikeOut);
    S.U8(1); // default character set: the text is Unicode
    S.U8(0);
    S.U8(0);
    S.U8(0);
    S.U8(0);
    const QString Face = Font.Face.left(31);
    for (QChar C : Face)
        S.U16(C.unicode());
    S.Zeros(2 * (32 - static_cast<size_t>(Face.size())));
    S.Zeros(LogFontPanoseSize - (S.Size() - Start));
    End(At);
}

void TKvEmfWriter::SelectObject(uint32_t Index) { SetMode(emr::SelectObject, Index); }
void TKvEmfWriter::DeleteObject(uint32_t Index) { SetMode(emr::DeleteObject, Index); }

void TKvEmfWriter::SelectDefaults()
{
    SelectObject(emr::BlackPen);
    SelectObject(emr::WhiteBrush);
    SelectObject(emr::SystemFont);
}

void TKvEmfWriter::SaveDC() { End(Begin(emr::SaveDC)); }
void TKvEmfWriter::RestoreDC() { SetMode(emr::RestoreDC, static_cast<uint32_t>(-1)); }

void TKvEmfWriter::IntersectClipRect(const QRect& Clip)
{
    const size_t At = Begin(emr::IntersectClipRect);
    // Right and bottom are outside the clip.
    S.I32(Clip.left());
    S.I32(Clip.top());
    S.I32(Clip.left() + Clip.width());
    S.I32(Clip.top() + Clip.height());
    End(At);
}

void TKvEmfWriter::SetPolyFillMode(bool Winding) { SetMode(emr::SetPolyFillMode, Winding ? 2 : 1); }
void TKvEmfWriter::SetTextColor(QRgb Color) { SetMode(emr::SetTextColor, ColorRef(Color)); }

void TKvEmfWriter::PolyRecord(uint32_t Type16, uint32_t Type32, const TKvMfItem& Item, size_t First, size_t Count)
{
    const bool Short = Fits16(Item.Points, First, Count);
    const size_t At = Begin(Short ? Type16 : Type32);
    RectL(Bounds(Item.Points, First, Count));
    S.U32(static_cast<uint32_t>(Count));
    for (size_t i = First; i < First + Count; ++i) {
        if (Short) {
            S.I16(static_cast<int16_t>(Item.Points[i].x()));
            S.I16(static_cast<int16_t>(Item.Points[i].y()));
        } else {
            S.I32(Item.Points[i].x());
            S.I32(Item.Points[i].y());
        }
    }
    End(At);
}

void TKvEmfWriter::PolyPolyRecord(uint32_t Type16, uint32_t Type32, const TKvMfItem& Item)
{
    const bool Short = Fits16(Item.Points, 0, Item.Points.size());
    const size_t At = Begin(Short ? Type16 : Type32);
    RectL(Bounds(Item.Points, 0, Item.Points.size()));
    S.U32(static_cast<uint32_t>(Item.Counts.size()));
    S.U32(static_cast<uint32_t>(Item.Points.size()));
    for (int32_t C : Item.Counts)
        S.U32(static_cast<uint32_t>(C));
    for (const QPoint& P : Item.Points) {
        if (Short) {
            S.I16(static_cast<int16_t>(P.x()));
            S.I16(static_cast<int16_t>(P.y()));
        } else {
            S.I32(P.x());
            S.I32(P.y());
        }
    }
    End(At);
}

void TKvEmfWriter::Polylines(const TKvMfItem& Item)
{
    if (Item.Counts.size() == 1)
        PolyRecord(emr::Polyline16, emr::Polyline, Item, 0, Item.Points.size());
    else
        PolyPolyRecord(emr::PolyPolyline16, emr::PolyPolyline, Item);
}

void TKvEmfWriter::Polygons(const TKvMfItem& Item)
{
    if (Item.Counts.size() == 1)
        PolyRecord(emr::Polygon16, emr::Polygon, Item, 0, Item.Points.size());
    else
        PolyPolyRecord(emr::PolyPolygon16, emr::PolyPolygon, Item);
}

void TKvEmfWriter::Ellipse(const QRect& Box)
{
    const size_t At = Begin(emr::Ellipse);
    RectL(Box);
    End(At);
}

void TKvEmfWriter::Rectangle(const QRect& Box)
{
    const size_t At = Begin(emr::Rectangle);
    RectL(Box);
    End(At);
}

void TKvEmfWriter::Text(const TKvMfItem& Item)
{
    UseFont(Item.Font);
    const auto Chars = static_cast<uint32_t>(Item.Text.size());
    int32_t Advance = 0;
    for (int32_t D : Item.Dx)
        Advance += D;
    const size_t At = Begin(emr::ExtTextOutW);
    RectL(QRect(Item.Origin.x(), Item.Origin.y() - Item.Font.Height, std::max(1, Advance), Item.Font.Height));
    S.U32(1); // compatible graphics mode
    S.F32(0);
    S.F32(0);
    S.I32(Item.Origin.x());
    S.I32(Item.Origin.y());
    S.U32(Chars);
    constexpr uint32_t TextOffset = 76; // this record's fixed part
    const uint32_t DxOffset = TextOffset + ((2 * Chars + 3) & ~3u);
    S.U32(TextOffset);
    S.U32(0); // no clipping or opaque rectangle
    RectL(QRect(QPoint(0, 0), QPoint(-1, -1)));
    S.U32(DxOffset);
    for (QChar C : Item.Text)
        S.U16(C.unicode());
    S.Align(4);
    for (int32_t D : Item.Dx)
        S.I32(D);
    End(At);
}

void TKvEmfWriter::Image(const TKvMfItem& Item)
{
    const QImage& Img = Item.Image;
    const size_t At = Begin(emr::StretchDIBits);
    RectL(Item.Box);
    S.I32(Item.Box.left());
    S.I32(Item.Box.top());
    S.I32(0);
    S.I32(0);
    S.I32(Img.width());
    S.I32(Img.height());
    S.U32(80);  // the bitmap header follows the fixed part
    S.U32(40);
    S.U32(120); // then the bits
    S.U32(DibBitsSize(Img));
    S.U32(0);          // RGB colours
    S.U32(0x00CC0020); // copy the source
    S.I32(Item.Box.width());
    S.I32(Item.Box.height());
    WriteDibHeader(S, Img);
    WriteDibBits(S, Img);
    End(At);
}

} // namespace kv
