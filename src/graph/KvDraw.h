#pragma once
// The drawing vocabulary shared by every graph item: line and point
// styles, the sixteen point symbols, segments and frames, and the global
// switches that suspend painting or mark a vector export.

#include "KvColor.h"

#include <QPainter>

#include <cstdint>
#include <functional>

namespace kv {

enum class TPenStyle : int32_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

enum class TKvPointSymbol : int32_t {
    SyPoint, SyCross, SyX, SyStar, Sy5Star, Sy5StarFilled, SyCircle, SyCircleFilled,
    SySquare, SySquareFilled, SyDiamond, SyDiamondFilled, SyDelta, SyDeltaFilled, SyNabla, SyNablaFilled
};
inline constexpr int32_t PointSymbolCount = 16;

// Called by a style after a real change, so its owner repaints.
using TKvChangeEvent = std::function<void()>;

class TKvLineStyle {
public:
    TKvLineStyle() = default;
    TKvLineStyle(bool AVisible, TColor AColor, TPenStyle AStyle, int32_t AWidth);

    bool Visible() const { return FVisible; }
    TColor Color() const { return FColor; }
    TPenStyle Style() const { return FStyle; }
    int32_t Width() const { return FWidth; }
    void SetVisible(bool Value);
    void SetColor(TColor Value);
    void SetStyle(TPenStyle Value);
    void SetWidth(int32_t Value);

    TKvLineStyleRecord Record() const;
    void SetRecord(const TKvLineStyleRecord& Record);
    void SaveToIni(TKvIniList& Ini, std::string_view Section, std::string_view Key) const;
    void LoadFromIni(const TKvIniList& Ini, std::string_view Section, std::string_view Key);

    TKvChangeEvent OnChange;

private:
    void Changed();
    bool FVisible = true;
    TColor FColor = clRed;
    TPenStyle FStyle = TPenStyle::psSolid;
    int32_t FWidth = 1;
};

class TKvPointStyle {
public:
    bool Visible() const { return FVisible; }
    TColor Color() const { return FColor; }
    TKvPointSymbol Style() const { return FStyle; }
    int32_t Size() const { return FSize; }
    int32_t Width() const { return FWidth; }
    void SetVisible(bool Value);
    void SetColor(TColor Value);
    void SetStyle(TKvPointSymbol Value);
    void SetSize(int32_t Value);
    void SetWidth(int32_t Value);

    TKvChangeEvent OnChange;

private:
    void Changed();
    bool FVisible = true;
    TColor FColor = clBlue;
    TKvPointSymbol FStyle = TKvPointSymbol::SyCircle;
    int32_t FSize = 5;
    int32_t FWidth = 1;
};

// Global painting switches of the graph engine (one GUI thread).
extern bool DrawingSuspended;
extern bool PaintingToMetafile;
void SuspendDrawing();
void ResumeDrawing();

// The background brush colour a control uses: the system button face is
// white while painting into a vector export.
QColor FillColor(TColor Color);

// True when the painter paints a vector picture (SVG, PDF, metafile): the
// graph then paints as PaintingToMetafile describes.
bool IsVectorPicture(const QPainter& Canvas);

Qt::PenStyle ToQtPenStyle(TPenStyle Style);
// A pen of the given colour, width and style; width 1 becomes the thinnest
// cosmetic pen, which keeps dash patterns that wider pens would lose.
QPen MakePen(TColor Color, int32_t Width, TPenStyle Style = TPenStyle::psSolid);

void DrawPointSymbol(int32_t X, int32_t Y, int32_t S, QPainter& Canvas, TKvPointSymbol Symbol);
// From (x1, y1) to (x2, y2) without setting the end pixel.
void DrawSegment(int32_t x1, int32_t y1, int32_t x2, int32_t y2, QPainter& Canvas);
void DrawFrame(int32_t x1, int32_t y1, int32_t x2, int32_t y2, QPainter& Canvas);

// True for painters whose engine ignores clip regions (the SVG writer);
// painting code clips its lines itself there.
bool NeedsOwnClipping(const QPainter& Canvas);
// Draws the part of the polyline inside Clip (in the painter's current
// coordinates) as one or more polylines.
void DrawClippedPolyline(QPainter& Canvas, const QPoint* Points, int32_t Count, const QRectF& Clip);

} // namespace kv
