#pragma once
// The old metafile serialiser: a placeable header (position, size and 96
// units per inch), 16-bit coordinates and 8-bit text, one function per
// record.

#include "KvByteStream.h"
#include "KvMfWriter.h"

#include <QSize>

namespace kv {

class TKvWmfWriter : public TKvMfWriter {
public:
    // Raises EConvertError for a picture too large for 16-bit coordinates.
    static std::vector<uint8_t> Write(const std::vector<TKvMfItem>& Items, QSize Picture);

    // The largest side the format can describe.
    static constexpr int32_t MaxSide = 32000;

private:
    explicit TKvWmfWriter(QSize Picture) : FPicture(Picture) {}

    size_t Begin(uint16_t Function);
    void End(size_t Start);
    void Coord(int32_t V);
    void Point(const QPoint& P);
    void Placeable();
    void MetaHeader();
    void Setup();
    void Eof();
    void OneWord(uint16_t Function, uint16_t Value);
    void TwoWords(uint16_t Function, int32_t Y, int32_t X);
    void BoxRecord(uint16_t Function, const QRect& Box);
    void TextRun(const TKvMfItem& Item, const struct TKvAnsiRun& Run, int32_t Offset);

    uint32_t FirstIndex() const override { return 0; }
    void CreatePen(uint32_t Index, const TKvMfPen& Pen) override;
    void CreateBrush(uint32_t Index, const TKvMfBrush& Brush) override;
    void CreateFont(uint32_t Index, const TKvMfFont& Font) override;
    void SelectObject(uint32_t Index) override;
    void DeleteObject(uint32_t Index) override;
    void SaveDC() override;
    void RestoreDC() override;
    void IntersectClipRect(const QRect& Clip) override;
    void SetPolyFillMode(bool Winding) override;
    void SetTextColor(QRgb Color) override;
    void Polylines(const TKvMfItem& Item) override;
    void Polygons(const TKvMfItem& Item) override;
    void Ellipse(const QRect& Box) override;
    void Rectangle(const QRect& Box) override;
    void Text(const TKvMfItem& Item) override;
    void Image(const TKvMfItem& Item) override;

    QSize FPicture;
    TKvByteStream S;
    size_t FBodyStart = 0;
    uint32_t FMaxRecordWords = 0;
};

// Record functions, as the format numbers them.
namespace meta {
inline constexpr uint16_t Eof = 0x0000, SaveDC = 0x001E, SetBkMode = 0x0102, SetMapMode = 0x0103,
                          SetPolyFillMode = 0x0106, RestoreDC = 0x0127, SelectObject = 0x012D,
                          SetTextAlign = 0x012E, DeleteObject = 0x01F0, SetTextColor = 0x0209,
                          SetWindowOrg = 0x020B, SetWindowExt = 0x020C, CreatePenIndirect = 0x02FA,
                          CreateFontIndirect = 0x02FB, CreateBrushIndirect = 0x02FC, Polygon = 0x0324,
                          Polyline = 0x0325, IntersectClipRect = 0x0416, Ellipse = 0x0418, Rectangle = 0x041B,
                          PolyPolygon = 0x0538, ExtTextOut = 0x0A32, StretchDIB = 0x0F43;
inline constexpr uint32_t PlaceableKey = 0x9AC6CDD7u;
inline constexpr size_t PlaceableSize = 22;
} // namespace meta

} // namespace kv
