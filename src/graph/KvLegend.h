#pragma once
// The legend of a graph: one entry per series of its assigned graph with
// a line sample, the point symbol and the caption, in rows or columns,
// docked at an edge of the graph or floating where it was put.

#include "KvAxis.h"
#include "KvDraw.h"
#include "KvLabel.h"

#include "foundation/KvIniList.h"

#include <QPainter>

#include <string_view>
#include <vector>

namespace kv {

class TKv2DGraph;
class TKvSeries;

struct TKvLegendItem {
    bool Include = true;
    bool IsData = false;
    int32_t Width = 0;
    int32_t X = 0, Y = 0;
    TKvCaptionRec Caption;
    const TKvLineStyle* LineStyle = nullptr;
    const TKvPointStyle* PointStyle = nullptr;
    const TKvSeries* Source = nullptr;
};

class TKvLegend {
public:
    explicit TKvLegend(TKv2DGraph* AGraph);

    TKv2DGraph* AssignedGraph() const { return FAssignedGraph; }
    void SetAssignedGraph(TKv2DGraph* G);
    // The graph the legend is placed on (its parent window).
    TKv2DGraph* ParentGraph() const { return FParent; }

    int32_t Rows() const { return FRows; }
    void SetRows(int32_t Value);
    int32_t Columns() const { return FColumns; }
    void SetColumns(int32_t Value);
    bool Horizontal() const { return FHorizontal; }
    void SetHorizontal(bool Value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    int32_t LineLength() const { return FLineLength; }
    void SetLineLength(int32_t Value);
    int32_t LineGap() const { return FLineGap; }
    void SetLineGap(int32_t Value);
    int32_t BorderGap() const { return FBorderGap; }
    void SetBorderGap(int32_t Value);
    int32_t HorizontalGap() const { return FHorizontalGap; }
    void SetHorizontalGap(int32_t Value);
    int32_t VerticalGap() const { return FVerticalGap; }
    void SetVerticalGap(int32_t Value);
    int32_t OutsideGap() const { return FOutsideGap; }
    void SetOutsideGap(int32_t Value);
    TKvAxisPos InGraphPosition() const { return FInGraphPosition; }
    void SetInGraphPosition(TKvAxisPos Value);
    const TKvFontRecord& Font() const { return FFont; }
    void SetFont(const TKvFontRecord& Value);
    TKvLineStyle Frame{true, clRed, TPenStyle::psSolid, 1};
    TColor Color = clBtnFace;
    bool Visible = true;
    // A docked legend cannot be dragged; a floating one can.
    bool Draggable() const;

    int32_t Left = 0, Top = 0, Width = 200, Height = 50;

    const std::vector<TKvLegendItem>& Items() const { return FItems; }
    int32_t RowHeight() const { return FRowHeight; }
    int32_t ContentWidth() const { return FContentWidth; }
    int32_t ContentHeight() const { return FContentHeight; }
    bool ItemsDirty() const { return FItemsDirty; }
    bool LayoutDirty() const { return FLayoutDirty; }

    void Rebuild();
    void RequestRebuild();
    void CollectItems();
    void MeasureItems();
    void ArrangeItems();
    void ApplyAutoSize();
    // The room a docked legend has along its edge (width at the top or
    // bottom, height at the left or right; 0 for no limit): its items wrap
    // into as many rows or columns as it takes to fit, never fewer than set.
    void FitInto(int32_t MaxWidth, int32_t MaxHeight);
    // Keeps a free legend whole inside a graph of the given size.
    void KeepInside(int32_t GraphWidth, int32_t GraphHeight);
    // The rows or columns the items take now (at least Rows or Columns).
    int32_t ShownLines() const { return FShownLines; }
    // Paints in the graph's coordinates.
    void Paint(QPainter& Painter);

    void SaveToIni(TKvIniList& Ini, std::string_view Section) const;
    void LoadFromIni(const TKvIniList& Ini, std::string_view Section);

    // Drops the entries of a series (and its children) that goes away, so
    // no entry refers to its styles any more.
    void SeriesDestroyed(const TKvSeries* S);
    // Called by a graph that goes away.
    void GraphDestroyed(TKv2DGraph* G);

private:
    void Changed();
    void AskGraphLayout();
    void ArrangeRows(const std::vector<TKvLegendItem*>& Placed, int32_t Rows);
    void ArrangeColumns(const std::vector<TKvLegendItem*>& Placed, int32_t Columns);
    bool Fits() const;
    void Place(TKvLegendItem& Item, int32_t X, int32_t Y);

    TKv2DGraph* FParent;
    TKv2DGraph* FAssignedGraph;
    int32_t FRows = 1, FColumns = 1;
    bool FHorizontal = false, FAutoSize = true;
    int32_t FLineLength = 80, FLineGap = 4, FBorderGap = 6, FHorizontalGap = 10, FVerticalGap = 3, FOutsideGap = 10;
    TKvAxisPos FInGraphPosition = TKvAxisPos::AxFreeFloating;
    TKvFontRecord FFont;
    std::vector<TKvLegendItem> FItems;
    int32_t FRowHeight = 0, FContentWidth = 0, FContentHeight = 0;
    bool FItemsDirty = true, FLayoutDirty = true;
    int32_t FMaxWidth = 0, FMaxHeight = 0, FShownLines = 1;
};

} // namespace kv
