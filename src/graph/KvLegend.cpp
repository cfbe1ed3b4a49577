#include "KvLegend.h"

#include "KvPropertyChange.h"
#include "KvDataSeries.h"
#include "KvGraph2D.h"

#include <QFontMetrics>

#include <algorithm>
#include <cmath>

namespace kv {

TKvLegend::TKvLegend(TKv2DGraph* AGraph) : FParent(AGraph), FAssignedGraph(AGraph)
{
    Frame.OnChange = [this] { Changed(); };
}

void TKvLegend::Changed()
{
    if (FParent)
        FParent->Repaint();
}

void TKvLegend::AskGraphLayout()
{
    if (FInGraphPosition != TKvAxisPos::AxFreeFloating && FParent && FParent == FAssignedGraph)
        FParent->RequestLayout();
}

bool TKvLegend::Draggable() const
{
    return FInGraphPosition == TKvAxisPos::AxFreeFloating || FParent != FAssignedGraph;
}

void TKvLegend::SetAssignedGraph(TKv2DGraph* G)
{
    if (!Change(FAssignedGraph, G))
        return;
    FItemsDirty = true;
    Changed();
}

void TKvLegend::SeriesDestroyed(const TKvSeries* S)
{
    std::vector<const TKvSeries*> Gone = {S};
    for (const auto& C : S->Children)
        Gone.push_back(C.get());
    std::erase_if(FItems, [&Gone](const TKvLegendItem& I) {
        return std::find(Gone.begin(), Gone.end(), I.Source) != Gone.end();
    });
    FLayoutDirty = true;
}

void TKvLegend::GraphDestroyed(TKv2DGraph* G)
{
    if (FAssignedGraph == G) {
        FAssignedGraph = nullptr;
        FItems.clear();
    }
    if (FParent == G)
        FParent = nullptr;
}

#define KV_LEGEND_LAYOUT_SETTER(Name, Field)                                                                          \
    void TKvLegend::Set##Name(int32_t Value)                                                                        \
    {                                                                                                                \
        if (Change(Field, Value)) {                                                                                  \
            FLayoutDirty = true;                                                                                     \
            AskGraphLayout();                                                                                        \
            Changed();                                                                                               \
        }                                                                                                            \
    }
KV_LEGEND_LAYOUT_SETTER(LineLength, FLineLength)
KV_LEGEND_LAYOUT_SETTER(LineGap, FLineGap)
KV_LEGEND_LAYOUT_SETTER(BorderGap, FBorderGap)
KV_LEGEND_LAYOUT_SETTER(HorizontalGap, FHorizontalGap)
KV_LEGEND_LAYOUT_SETTER(VerticalGap, FVerticalGap)
#undef KV_LEGEND_LAYOUT_SETTER

void TKvLegend::SetRows(int32_t Value)
{
    if (Change(FRows, std::max(1, Value))) {
        FLayoutDirty = true;
        AskGraphLayout();
        Changed();
    }
}

void TKvLegend::SetColumns(int32_t Value)
{
    if (Change(FColumns, std::max(1, Value))) {
        FLayoutDirty = true;
        AskGraphLayout();
        Changed();
    }
}

void TKvLegend::SetHorizontal(bool Value)
{
    if (Change(FHorizontal, Value)) {
        FLayoutDirty = true;
        AskGraphLayout();
        Changed();
    }
}

void TKvLegend::SetFont(const TKvFontRecord& Value)
{
    if (Change(FFont, Value)) {
        FLayoutDirty = true;
        AskGraphLayout();
        Changed();
    }
}

void TKvLegend::SetOutsideGap(int32_t Value)
{
    if (Change(FOutsideGap, Value))
        AskGraphLayout();
}

void TKvLegend::SetAutoSize(bool Value)
{
    if (!Change(FAutoSize, Value))
        return;
    ApplyAutoSize();
    AskGraphLayout();
}

void TKvLegend::SetInGraphPosition(TKvAxisPos Value)
{
    if (!Change(FInGraphPosition, Value))
        return;
    if (FParent && FParent == FAssignedGraph)
        FParent->RequestLayout();
}

void TKvLegend::RequestRebuild()
{
    FItemsDirty = true;
    FLayoutDirty = true;
    Changed();
}

void TKvLegend::Rebuild()
{
    if (FItemsDirty)
        CollectItems();
    MeasureItems();
    ArrangeItems();
    ApplyAutoSize();
    FLayoutDirty = false;
}

void TKvLegend::CollectItems()
{
    if (FAssignedGraph == nullptr || FAssignedGraph->SeriesList().empty())
        return;
    FItems.clear();
    auto Add = [this](const TKvSeries& S) {
        TKvLegendItem Item;
        Item.Include = S.IncludeInLegend;
        Item.IsData = S.IsDataSeries();
        Item.Caption.Caption = S.Caption();
        Item.LineStyle = &S.LineStyle;
        Item.Source = &S;
        if (Item.IsData)
            Item.PointStyle = &static_cast<const TKvDataSeries&>(S).PointStyle;
        FItems.push_back(std::move(Item));
    };
    for (const TKvSeries* S : FAssignedGraph->SeriesList()) {
        Add(*S);
        for (const auto& C : S->Children)
            Add(*C);
    }
    FItemsDirty = false;
}

void TKvLegend::MeasureItems()
{
    TKvMeasureCanvas Canvas;
    QPainter& P = Canvas.Painter();
    P.setFont(ToQFont(FFont));
    FRowHeight = QFontMetrics(P.font(), P.device()).height();
    for (TKvLegendItem& Item : FItems) {
        Item.Caption.Canvas = &P;
        Item.Caption.Draw = false;
        Item.Caption.Angle = 0;
        RenderCaption(Item.Caption);
        Item.Caption.Canvas = nullptr;
        Item.Width = Item.Caption.Width + FLineLength + FLineGap;
    }
}

void TKvLegend::Place(TKvLegendItem& Item, int32_t X, int32_t Y)
{
    Item.X = X;
    Item.Y = Y;
    Item.Caption.X = X + FLineLength + FLineGap;
    Item.Caption.Y = Y;
}

void TKvLegend::ArrangeRows(const std::vector<TKvLegendItem*>& Placed, int32_t Rows)
{
    const auto n = static_cast<int32_t>(Placed.size());
    // k items a row, enough rows for all of them
    const int32_t k = (n + std::min(n, Rows) - 1) / std::min(n, Rows);
    const int32_t r = (n + k - 1) / k;
    // Row widths first: each row is centred on the widest.
    std::vector<int32_t> RowWidth(static_cast<size_t>(r), 0);
    for (int32_t Row = 0; Row < r; ++Row)
        for (int32_t j = Row * k; j < std::min(n, (Row + 1) * k); ++j)
            RowWidth[static_cast<size_t>(Row)] += Placed[static_cast<size_t>(j)]->Width + (j > Row * k ? FHorizontalGap : 0);
    FContentWidth = *std::max_element(RowWidth.begin(), RowWidth.end());
    FContentHeight = r * (FRowHeight + FVerticalGap) - FVerticalGap;
    for (int32_t Row = 0; Row < r; ++Row) {
        int32_t X = FBorderGap + (FContentWidth - RowWidth[static_cast<size_t>(Row)]) / 2;
        const int32_t Y = FBorderGap + Row * (FRowHeight + FVerticalGap);
        for (int32_t j = Row * k; j < std::min(n, (Row + 1) * k); ++j) {
            Place(*Placed[static_cast<size_t>(j)], X, Y);
            X += Placed[static_cast<size_t>(j)]->Width + FHorizontalGap;
        }
    }
}

void TKvLegend::ArrangeColumns(const std::vector<TKvLegendItem*>& Placed, int32_t Columns)
{
    const auto n = static_cast<int32_t>(Placed.size());
    const int32_t k = (n + std::min(n, Columns) - 1) / std::min(n, Columns);
    const int32_t c = (n + k - 1) / k;
    FContentHeight = k * (FRowHeight + FVerticalGap) - FVerticalGap;
    int32_t X = FBorderGap;
    FContentWidth = 0;
    for (int32_t Col = 0; Col < c; ++Col) {
        int32_t Widest = 0;
        for (int32_t j = Col * k; j < std::min(n, (Col + 1) * k); ++j) {
            TKvLegendItem& Item = *Placed[static_cast<size_t>(j)];
            Place(Item, X, FBorderGap + (j - Col * k) * (FRowHeight + FVerticalGap));
            Widest = std::max(Widest, Item.Width);
        }
        FContentWidth += Widest + (Col > 0 ? FHorizontalGap : 0);
        X += Widest + FHorizontalGap;
    }
}

void TKvLegend::ArrangeItems()
{
    std::vector<TKvLegendItem*> Placed;
    for (TKvLegendItem& Item : FItems)
        if (Item.Include)
            Placed.push_back(&Item);
    if (Placed.empty()) {
        FContentWidth = FHorizontalGap;
        FContentHeight = FVerticalGap;
        return;
    }
    // More rows (or columns) than set until the items fit the room the
    // graph gives; the last try stands when nothing fits.
    const auto n = static_cast<int32_t>(Placed.size());
    FShownLines = std::min(n, FHorizontal ? FRows : FColumns);
    for (;;) {
        if (FHorizontal)
            ArrangeRows(Placed, FShownLines);
        else
            ArrangeColumns(Placed, FShownLines);
        if (Fits() || FShownLines >= n)
            break;
        ++FShownLines;
    }
}

bool TKvLegend::Fits() const
{
    const bool WidthFits = FMaxWidth <= 0 || 2 * FBorderGap + FContentWidth <= FMaxWidth;
    const bool HeightFits = FMaxHeight <= 0 || 2 * FBorderGap + FContentHeight <= FMaxHeight;
    // Rows grow downwards and columns sideways: only the edge's own
    // direction can be won by wrapping.
    return FHorizontal ? WidthFits : HeightFits;
}

void TKvLegend::FitInto(int32_t MaxWidth, int32_t MaxHeight)
{
    const bool Same = MaxWidth == FMaxWidth && MaxHeight == FMaxHeight;
    FMaxWidth = MaxWidth;
    FMaxHeight = MaxHeight;
    if (Same && !FLayoutDirty)
        return;
    Rebuild();
}

void TKvLegend::KeepInside(int32_t GraphWidth, int32_t GraphHeight)
{
    Left = std::max(0, std::min(Left, GraphWidth - Width));
    Top = std::max(0, std::min(Top, GraphHeight - Height));
}

void TKvLegend::ApplyAutoSize()
{
    if (!FAutoSize)
        return;
    Width = 2 * FBorderGap + FContentWidth;
    Height = 2 * FBorderGap + FContentHeight;
}

void TKvLegend::Paint(QPainter& Painter)
{
    if (DrawingSuspended || !Visible)
        return;
    if (FLayoutDirty)
        Rebuild();
    Painter.save();
    Painter.translate(Left, Top);
    // The legend is a window of its own: nothing it paints leaves its bounds.
    Painter.setClipRect(0, 0, Width, Height, Qt::IntersectClip);
    Painter.fillRect(0, 0, Width, Height, FillColor(Color));
    Painter.setBrush(FillColor(Color));
    if (Frame.Visible()) {
        Painter.setPen(MakePen(Frame.Color(), 2 * Frame.Width(), Frame.Style()));
        DrawFrame(0, 0, Width, Height, Painter);
    }
    const int32_t m = FRowHeight / 2;
    Painter.setFont(ToQFont(FFont));
    for (TKvLegendItem& Item : FItems) {
        if (!Item.Include || Item.LineStyle == nullptr)
            continue;
        Painter.setPen(MakePen(Item.LineStyle->Color(), Item.LineStyle->Width(), Item.LineStyle->Style()));
        DrawSegment(Item.X, Item.Y + m, Item.X + FLineLength, Item.Y + m, Painter);
        if (Item.IsData && Item.PointStyle) {
            Painter.setBrush(FillColor(Color));
            Painter.setPen(MakePen(Item.PointStyle->Color(), Item.PointStyle->Width()));
            DrawPointSymbol(Item.X + FLineLength / 2, Item.Y + m, Item.PointStyle->Size(), Painter, Item.PointStyle->Style());
        }
        Painter.setBrush(Qt::NoBrush);
        Painter.setPen(ToQColor(FFont.Color));
        Item.Caption.Canvas = &Painter;
        Item.Caption.Draw = true;
        RenderCaption(Item.Caption);
        Item.Caption.Canvas = nullptr;
        Item.Caption.Draw = false;
    }
    Painter.restore();
}

void TKvLegend::SaveToIni(TKvIniList& Ini, std::string_view Section) const
{
    Ini.WriteBool(Section, "Visible", Visible);
    Frame.SaveToIni(Ini, Section, "Frame");
    Ini.WriteInteger(Section, "Background", Color);
    Ini.WriteInteger(Section, "Position", static_cast<int32_t>(FInGraphPosition));
    Ini.WriteBool(Section, "Horizontal", FHorizontal);
    Ini.WriteInteger(Section, "Rows", FRows);
    Ini.WriteInteger(Section, "Columns", FColumns);
    Ini.WriteInteger(Section, "LineLength", FLineLength);
    Ini.WriteInteger(Section, "LineGap", FLineGap);
    Ini.WriteInteger(Section, "BorderGap", FBorderGap);
    Ini.WriteInteger(Section, "HorizontalGap", FHorizontalGap);
    Ini.WriteInteger(Section, "VerticalGap", FVerticalGap);
    Ini.WriteInteger(Section, "OutsideGap", FOutsideGap);
    Ini.WriteInteger(Section, "Left", Left);
    Ini.WriteInteger(Section, "Top", Top);
    Ini.WriteFont(Section, "Font", FFont);
}

void TKvLegend::LoadFromIni(const TKvIniList& Ini, std::string_view Section)
{
    Visible = Ini.ReadBool(Section, "Visible", Visible);
    Frame.LoadFromIni(Ini, Section, "Frame");
    Color = Ini.ReadInteger(Section, "Background", Color);
    const int32_t Pos = Ini.ReadInteger(Section, "Position", static_cast<int32_t>(FInGraphPosition));
    if (Pos >= 0 && Pos <= static_cast<int32_t>(TKvAxisPos::AxFreeFloating))
        FInGraphPosition = static_cast<TKvAxisPos>(Pos);
    FHorizontal = Ini.ReadBool(Section, "Horizontal", FHorizontal);
    FRows = std::max(1, Ini.ReadInteger(Section, "Rows", FRows));
    FColumns = std::max(1, Ini.ReadInteger(Section, "Columns", FColumns));
    FLineLength = Ini.ReadInteger(Section, "LineLength", FLineLength);
    FLineGap = Ini.ReadInteger(Section, "LineGap", FLineGap);
    FBorderGap = Ini.ReadInteger(Section, "BorderGap", FBorderGap);
    FHorizontalGap = Ini.ReadInteger(Section, "HorizontalGap", FHorizontalGap);
    FVerticalGap = Ini.ReadInteger(Section, "VerticalGap", FVerticalGap);
    FOutsideGap = Ini.ReadInteger(Section, "OutsideGap", FOutsideGap);
    Left = Ini.ReadInteger(Section, "Left", Left);
    Top = Ini.ReadInteger(Section, "Top", Top);
    Ini.ReadFont(Section, "Font", FFont);
    FLayoutDirty = true;
    if (FParent)
        FParent->RequestLayout();
}

} // namespace kv
