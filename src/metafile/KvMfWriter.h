#pragma once
// What both serialisers share: the walk over the recorded shapes that
// keeps the device-context state of the reader in step. Pens, brushes and
// fonts are created when a shape needs one that is not selected, and each
// is deleted once nothing can select it again; a clip rectangle is a
// save / intersect / restore bracket around the shapes it clips. The
// formats only say how each record is written.

#include "KvMetafileItems.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace kv {

class TKvMfWriter {
public:
    virtual ~TKvMfWriter() = default;

protected:
    enum TKind { KPen, KBrush, KFont, KindCount };

    // Walks the items: state changes, then the shape record of each.
    void Play(const std::vector<TKvMfItem>& Items);
    // Largest number of objects that existed at once.
    int32_t MaxObjects() const { return FMaxObjects; }
    int32_t HighestIndex() const { return FHighest; }

    // ---- records the format writes
    virtual uint32_t FirstIndex() const = 0;
    // A stock object for this pen or brush (EMF's null pen and brush).
    virtual bool StockPen(const TKvMfPen&, uint32_t&) const { return false; }
    virtual bool StockBrush(const TKvMfBrush&, uint32_t&) const { return false; }
    virtual void CreatePen(uint32_t Index, const TKvMfPen& Pen) = 0;
    virtual void CreateBrush(uint32_t Index, const TKvMfBrush& Brush) = 0;
    virtual void CreateFont(uint32_t Index, const TKvMfFont& Font) = 0;
    virtual void SelectObject(uint32_t Index) = 0;
    virtual void DeleteObject(uint32_t Index) = 0;
    // Selects stock objects before the last objects are deleted (EMF).
    virtual void SelectDefaults() {}
    virtual void SaveDC() = 0;
    virtual void RestoreDC() = 0;
    virtual void IntersectClipRect(const QRect& Clip) = 0;
    virtual void SetPolyFillMode(bool Winding) = 0;
    virtual void SetTextColor(QRgb Color) = 0;
    virtual void Polylines(const TKvMfItem& Item) = 0;
    virtual void Polygons(const TKvMfItem& Item) = 0;
    virtual void Ellipse(const QRect& Box) = 0;
    virtual void Rectangle(const QRect& Box) = 0;
    virtual void Text(const TKvMfItem& Item) = 0;
    virtual void Image(const TKvMfItem& Item) = 0;

    // For text that needs more than one font (WMF symbol runs).
    void UseFont(const TKvMfFont& Font);

private:
    struct TSelected {
        bool Known = false; // false until the first selection
        bool Stock = true;
        uint32_t Index = 0;
        TKvMfPen Pen;
        TKvMfBrush Brush;
        TKvMfFont Font;
    };
    struct TDcState {
        std::array<TSelected, KindCount> Selected;
        bool Winding = false;
        QRgb TextColor = 0;
        bool TextColorSet = false;
    };

    void UseClip(const TKvMfItem& Item);
    void UsePen(const TKvMfPen& Pen);
    void UseBrush(const TKvMfBrush& Brush);
    void Select(TKind Kind, const TSelected& Next);
    void Release(TKind Kind, const TSelected& Old);
    uint32_t Allocate();
    void Free(uint32_t Index);
    void Finish();

    TDcState FDc;
    TDcState FSaved;
    bool FBracket = false;
    QRect FClip;
    std::vector<bool> FUsed;
    int32_t FLive = 0, FMaxObjects = 0, FHighest = 0;
};

} // namespace kv
