#pragma once
// The enhanced metafile serialiser: one function per record, logical units
// equal to picture pixels (96 per inch), 16-bit point records unless a
// coordinate needs 32 bits.

#include "KvByteStream.h"
#include "KvMfWriter.h"

#include <QSize>

namespace kv {

class TKvEmfWriter : public TKvMfWriter {
public:
    static std::vector<uint8_t> Write(const std::vector<TKvMfItem>& Items, QSize Picture);

private:
    explicit TKvEmfWriter(QSize Picture) : FPicture(Picture) {}

    size_t Begin(uint32_t Type);
    void End(size_t Start);
    void RectL(const QRect& R);
    void Header();
    void Setup();
    void Eof();
    void SetMode(uint32_t Type, uint32_t Value);
    void SizeRecord(uint32_t Type, int32_t X, int32_t Y);
    void PolyRecord(uint32_t Type16, uint32_t Type32, const TKvMfItem& Item, size_t First, size_t Count);
    void PolyPolyRecord(uint32_t Type16, uint32_t Type32, const TKvMfItem& Item);

    uint32_t FirstIndex() const override { return 1; }
    bool StockPen(const TKvMfPen& Pen, uint32_t& Index) const override;
    bool StockBrush(const TKvMfBrush& Brush, uint32_t& Index) const override;
    void CreatePen(uint32_t Index, const TKvMfPen& Pen) override;
    void CreateBrush(uint32_t Index, const TKvMfBrush& Brush) override;
    void CreateFont(uint32_t Index, const TKvMfFont& Font) override;
    void SelectObject(uint32_t Index) override;
    void DeleteObject(uint32_t Index) override;
    void SelectDefaults() override;
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
    uint32_t FRecords = 0;
};

// Record types, as the format numbers them.
namespace emr {
inline constexpr uint32_t Header = 1, Polygon = 3, Polyline = 4, PolyPolyline = 7, PolyPolygon = 8,
                          SetWindowExtEx = 9, SetWindowOrgEx = 10, SetViewportExtEx = 11, SetViewportOrgEx = 12,
                          Eof = 14, SetMapMode = 17, SetBkMode = 18, SetPolyFillMode = 19, SetTextAlign = 22,
                          SetTextColor = 24, IntersectClipRect = 30, SaveDC = 33, RestoreDC = 34, SelectObject = 37,
                          CreatePen = 38, CreateBrushIndirect = 39, DeleteObject = 40, Ellipse = 42, Rectangle = 43,
                          StretchDIBits = 81, ExtCreateFontIndirectW = 82, ExtTextOutW = 84, Polygon16 = 86,
                          Polyline16 = 87, PolyPolyline16 = 90, PolyPolygon16 = 91;
inline constexpr uint32_t StockObject = 0x80000000u, WhiteBrush = 0x80000000u, NullBrush = 0x80000005u,
                          BlackPen = 0x80000007u, NullPen = 0x80000008u, SystemFont = 0x8000000Du;
} // namespace emr

} // namespace kv
