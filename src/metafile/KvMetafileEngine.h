#pragma once
// The paint engine behind TKvMetafile: it records what a QPainter draws as
// shapes in picture pixels (TKvMfItem). Transforms are applied here; dashed
// and wide lines become their visible dashes and outlines unless native
// dashed pens are asked for; lines and shapes are cut at the picture's edge,
// so far coordinates can never wrap.

#include "KvMetafileItems.h"
#include "KvMfGeometry.h"

#include <QBrush>
#include <QFont>
#include <QPaintEngine>
#include <QPen>
#include <QTransform>

namespace kv {

// The engine type a painter reports while it paints into a metafile.
inline constexpr QPaintEngine::Type MetafileEngineType = static_cast<QPaintEngine::Type>(QPaintEngine::User + 17);

class TKvMetafileEngine : public QPaintEngine {
public:
    // Items receives the shapes; Picture is the picture's size in pixels.
    TKvMetafileEngine(std::vector<TKvMfItem>& Items, QRect Picture, bool NativeDashes);

    bool begin(QPaintDevice* Device) override;
    bool end() override;
    void updateState(const QPaintEngineState& State) override;
    Type type() const override { return MetafileEngineType; }

    void drawPath(const QPainterPath& Path) override;
    void drawPolygon(const QPointF* Points, int Count, PolygonDrawMode Mode) override;
    void drawPolygon(const QPoint* Points, int Count, PolygonDrawMode Mode) override;
    void drawLines(const QLineF* Lines, int Count) override;
    void drawLines(const QLine* Lines, int Count) override;
    void drawRects(const QRectF* Rects, int Count) override;
    void drawRects(const QRect* Rects, int Count) override;
    void drawEllipse(const QRectF& Rect) override;
    void drawEllipse(const QRect& Rect) override;
    void drawPoints(const QPointF* Points, int Count) override;
    void drawPoints(const QPoint* Points, int Count) override;
    void drawTextItem(const QPointF& Point, const QTextItem& Text) override;
    void drawPixmap(const QRectF& Target, const QPixmap& Pixmap, const QRectF& Source) override;
    void drawImage(const QRectF& Target, const QImage& Image, const QRectF& Source,
                   Qt::ImageConversionFlags Flags = Qt::AutoColor) override;

private:
    void ApplyClip(const QRectF& DeviceRect, Qt::ClipOperation Operation);
    TKvMfItem NewItem(TKvMfShape Shape) const;
    void Push(TKvMfItem&& Item);
    double PenWidth() const;
    bool ThinSolidPen() const;
    bool NativePenStyle(TKvMfPenStyle& Style) const;
    // Device-space shapes: lines outlined with the current pen, polygons
    // filled with the current brush (and outlined by the pen).
    void StrokeLines(const std::vector<TKvMfPolyline>& Lines, const std::vector<bool>& Closed);
    void FillPolygons(const std::vector<TKvMfPolyline>& Polygons, bool Winding, bool WithPen);
    void AddPolylines(const std::vector<TKvMfPolyline>& Lines, const TKvMfPen& Pen);
    void DrawShape(const QPainterPath& LogicalPath);
    void AddTextRun(const QPointF& Point, const QString& Text, const QFont& Font);

    std::vector<TKvMfItem>& FItems;
    QRect FPicture;
    QRectF FGuard;     // shapes are cut here
    QRectF FTextGuard; // text starting beyond is left out
    bool FNativeDashes;
    QPen FPen;
    QBrush FBrush;
    QFont FFont;
    QTransform FTransform;
    bool FClipEnabled = false;
    bool FHasClip = false;
    QRect FClip;
};

} // namespace kv
