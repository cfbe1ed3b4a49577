#pragma once
// The graph: title, frame, grid, plot background and the drawing world in
// which the series are painted, clipped to the plot rectangle. The graph
// owns its axes, legends and top-level series; one routine paints the
// whole tree onto any QPainter (screen, image, SVG, PDF).

#include "KvAxis.h"
#include "KvDataSeries.h"
#include "KvDraw.h"
#include "KvLabel.h"
#include "KvLegend.h"

#include "foundation/KvIniList.h"

#include <QPainter>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

struct TKvRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    friend bool operator==(const TKvRect&, const TKvRect&) = default;
};

class TKvDrawingWorld {
public:
    explicit TKvDrawingWorld(TKv2DGraph* AGraph);

    TKv2DGraph* Graph() const { return FGraph; }
    // The top-level series painted here, in painting order (not owned).
    std::vector<TKvSeries*> Series;
    TKvRect PlotRect;
    int32_t Left = 0, Top = 0, Width = 600, Height = 400;

    // Range markers, x in the world's coordinates.
    int32_t Marker1X = 0, Marker2X = 0;
    bool MarkersShown = false;
    void ShowMarkers() { MarkersShown = true; }
    void HideMarkers() { MarkersShown = false; }

    // The zoom frame: press, move, release in the world's coordinates.
    void MouseDown(int32_t X, int32_t Y);
    void MouseMove(int32_t X, int32_t Y);
    void MouseUp(int32_t X, int32_t Y);
    bool ZoomDragging() const { return FZoomDragging; }

    void Paint(QPainter& Painter);

private:
    void DrawMarker(QPainter& Painter, int32_t X) const;
    void PaintSeries(QPainter& Painter, TKvSeries& S) const;

    TKv2DGraph* FGraph;
    bool FZoomDragging = false;
    int32_t FDragMarker = 0;
    int32_t FStartX = 0, FStartY = 0;
};

class TKv2DGraph {
public:
    TKv2DGraph();
    ~TKv2DGraph();
    TKv2DGraph(const TKv2DGraph&) = delete;
    TKv2DGraph& operator=(const TKv2DGraph&) = delete;

    // ---- properties
    const QString& Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    bool ShowTitle() const { return FShowTitle; }
    void SetShowTitle(bool Value);
    const TKvFontRecord& TitleFont() const { return FTitleFont; }
    void SetTitleFont(const TKvFontRecord& Value);
    TKvFontRecord Font;
    TKvAxis* PrimaryXAxis() const { return FPrimaryXAxis; }
    TKvAxis* PrimaryYAxis() const { return FPrimaryYAxis; }
    void SetPrimaryXAxis(TKvAxis* A);
    void SetPrimaryYAxis(TKvAxis* A);
    TColor Color = clBtnFace;
    TColor DataColor = clBtnFace;
    TKvLineStyle FrameLine{false, clBlack, TPenStyle::psSolid, 1};
    TKvLineStyle MajorGridX{false, clBlack, TPenStyle::psDot, 1};
    TKvLineStyle MajorGridY{false, clBlack, TPenStyle::psDot, 1};
    TKvLineStyle MinorGridX{false, clBlack, TPenStyle::psDot, 1};
    TKvLineStyle MinorGridY{false, clBlack, TPenStyle::psDot, 1};
    bool ZeroOrigin() const { return FZeroOrigin; }
    void SetZeroOrigin(bool Value);
    bool AutoZoom = false;

    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    void SetBounds(int32_t AWidth, int32_t AHeight);

    // ---- children
    // A new axis placed on the graph; an empty name gets the first free
    // "XAxis<n>" (horizontal) or "YAxis<n>" (vertical).
    TKvAxis& AddAxis(TKvAxisPos Position, std::string Name = {});
    const std::vector<std::unique_ptr<TKvAxis>>& Axes() const { return FAxes; }
    TKvAxis* FindAxis(std::string_view Name) const;
    // Finds or creates the primary axes, as the graph's window creation does.
    void CreatePrimaryAxes();

    TKvLegend& AddLegend();
    const std::vector<std::unique_ptr<TKvLegend>>& Legends() const { return FLegends; }

    template <class T>
    T& AddSeries()
    {
        auto S = std::make_unique<T>(this);
        T& Ref = *S;
        FSeries.push_back(std::move(S));
        RequestLayout();
        return Ref;
    }
    const TKvSeriesList& OwnedSeries() const { return FSeries; }
    void DeleteSeries(TKvSeries* S);
    void ClearSeries();
    // The world's series list (the series painted, after the last layout).
    const std::vector<TKvSeries*>& SeriesList() const { return FWorld.Series; }

    TKvDrawingWorld& World() { return FWorld; }
    const TKvDrawingWorld& World() const { return FWorld; }
    TKvLabel& TitleLabel() { return FTitleLabel; }

    // ---- painting
    bool LayoutDirty() const { return FLayoutDirty; }
    void RequestLayout();
    void Repaint();
    std::function<void()> OnRepaint;
    // Lays out what is dirty: the whole graph, or the ticks of single axes.
    void PrepareForPaint();
    void LayoutAll();
    // Paints the graph and all its items; the painter's device is
    // Width() by Height() pixels (or scaled by the caller).
    void Paint(QPainter& Painter);

    void ZoomToRect(const TKvRect& Rect);

    // ---- persistence
    void SaveToIni(TKvIniList& Ini, std::string_view Section) const;
    void LoadFromIni(const TKvIniList& Ini, std::string_view Section);

    // Called by an axis that is being destroyed.
    void AxisDestroyed(TKvAxis* A);

private:
    void PaintBackground(QPainter& Painter);
    void PaintGrid(QPainter& Painter);
    void PaintGridLines(QPainter& Painter, const TKvLineStyle& Style, const TKvAxis& Axis, bool Major, bool Vertical);
    std::string FreeAxisName(const char* Stem) const;

    std::vector<std::unique_ptr<TKvAxis>> FAxes;
    std::vector<std::unique_ptr<TKvLegend>> FLegends;
    TKvSeriesList FSeries;
    TKvDrawingWorld FWorld;
    TKvLabel FTitleLabel;
    QString FCaption;
    bool FShowTitle = false;
    TKvFontRecord FTitleFont;
    TKvAxis* FPrimaryXAxis = nullptr;
    TKvAxis* FPrimaryYAxis = nullptr;
    bool FZeroOrigin = false;
    int32_t FWidth = 600, FHeight = 400;
    bool FLayoutDirty = true;
    bool FInLayout = false;
};

// Lays out every axis, the title, the legends and the drawing world of G.
void LayoutGraph(TKv2DGraph& G);

} // namespace kv
