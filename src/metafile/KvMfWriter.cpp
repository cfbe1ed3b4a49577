#include "KvMfWriter.h"

namespace kv {

void TKvMfWriter::Play(const std::vector<TKvMfItem>& Items)
{
    for (const TKvMfItem& Item : Items) {
        UseClip(Item);
        switch (Item.Shape) {
        case TKvMfShape::Polyline:
            UsePen(Item.Pen);
            Polylines(Item);
            break;
        case TKvMfShape::Polygon:
            UsePen(Item.Pen);
            UseBrush(Item.Brush);
            if (FDc.Winding != Item.Winding) {
                SetPolyFillMode(Item.Winding);
                FDc.Winding = Item.Winding;
            }
            Polygons(Item);
            break;
        case TKvMfShape::Ellipse:
        case TKvMfShape::Rectangle:
            UsePen(Item.Pen);
            UseBrush(Item.Brush);
            if (Item.Shape == TKvMfShape::Ellipse)
                Ellipse(Item.Box);
            else
                Rectangle(Item.Box);
            break;
        case TKvMfShape::Text:
            if (!FDc.TextColorSet || FDc.TextColor != Item.TextColor) {
                SetTextColor(Item.TextColor);
                FDc.TextColor = Item.TextColor;
                FDc.TextColorSet = true;
            }
            Text(Item);
            break;
        case TKvMfShape::Image: Image(Item); break;
        }
    }
    Finish();
}

void TKvMfWriter::UseClip(const TKvMfItem& Item)
{
    if (FBracket && (!Item.Clipped || Item.Clip != FClip)) {
        RestoreDC();
        // What was selected inside the bracket is deselected by the
        // restore and can go now.
        for (int k = 0; k < KindCount; ++k) {
            const TSelected& Inner = FDc.Selected[static_cast<size_t>(k)];
            const TSelected& Outer = FSaved.Selected[static_cast<size_t>(k)];
            if (!Inner.Stock && (Outer.Stock || Inner.Index != Outer.Index)) {
                DeleteObject(Inner.Index);
                Free(Inner.Index);
            }
        }
        FDc = FSaved;
        FBracket = false;
    }
    if (Item.Clipped && !FBracket) {
        SaveDC();
        FSaved = FDc;
        FBracket = true;
        FClip = Item.Clip;
        IntersectClipRect(FClip);
    }
}

void TKvMfWriter::Select(TKind Kind, const TSelected& Next)
{
    SelectObject(Next.Index);
    const TSelected Old = FDc.Selected[Kind];
    FDc.Selected[Kind] = Next;
    if (Old.Known)
        Release(Kind, Old);
}

void TKvMfWriter::Release(TKind Kind, const TSelected& Old)
{
    if (Old.Stock)
        return;
    const TSelected& Pinned = FSaved.Selected[Kind];
    // The saved state still refers to it: the restore selects it again.
    if (FBracket && !Pinned.Stock && Pinned.Index == Old.Index)
        return;
    DeleteObject(Old.Index);
    Free(Old.Index);
}

void TKvMfWriter::UsePen(const TKvMfPen& Pen)
{
    const TSelected& Cur = FDc.Selected[KPen];
    if (Cur.Known && Cur.Pen == Pen)
        return;
    TSelected Next;
    Next.Known = true;
    Next.Pen = Pen;
    Next.Stock = StockPen(Pen, Next.Index);
    if (!Next.Stock) {
        Next.Index = Allocate();
        CreatePen(Next.Index, Pen);
    }
    Select(KPen, Next);
}

void TKvMfWriter::UseBrush(const TKvMfBrush& Brush)
{
    const TSelected& Cur = FDc.Selected[KBrush];
    if (Cur.Known && Cur.Brush == Brush)
        return;
    TSelected Next;
    Next.Known = true;
    Next.Brush = Brush;
    Next.Stock = StockBrush(Brush, Next.Index);
    if (!Next.Stock) {
        Next.Index = Allocate();
        CreateBrush(Next.Index, Brush);
    }
    Select(KBrush, Next);
}

void TKvMfWriter::UseFont(const TKvMfFont& Font)
{
    const TSelected& Cur = FDc.Selected[KFont];
    if (Cur.Known && Cur.Font == Font)
        return;
    TSelected Next;
    Next.Known = true;
    Next.Font = Font;
    Next.Stock = false;
    Next.Index = Allocate();
    CreateFont(Next.Index, Font);
    Select(KFont, Next);
}

uint32_t TKvMfWriter::Allocate()
{
    size_t Slot = 0;
    while (Slot < FUsed.size() && FUsed[Slot])
        ++Slot;
    if (Slot == FUsed.size())
        FUsed.push_back(false);
    FUsed[Slot] = true;
    ++FLive;
    FMaxObjects = std::max(FMaxObjects, FLive);
    const auto Index = static_cast<uint32_t>(Slot) + FirstIndex();
    FHighest = std::max(FHighest, static_cast<int32_t>(Index));
    return Index;
}

void TKvMfWriter::Free(uint32_t Index)
{
    FUsed[Index - FirstIndex()] = false;
    --FLive;
}

void TKvMfWriter::Finish()
{
    if (FBracket) {
        TKvMfItem None;
        UseClip(None);
    }
    SelectDefaults();
    for (int k = 0; k < KindCount; ++k) {
        TSelected& S = FDc.Selected[static_cast<size_t>(k)];
        if (S.Known && !S.Stock) {
            DeleteObject(S.Index);
            Free(S.Index);
        }
        S = TSelected();
    }
}

} // namespace kv
