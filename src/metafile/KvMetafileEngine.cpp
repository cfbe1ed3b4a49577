#include "KvMetafileEngine.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPixmap>
#include <QTextItem>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kv {

namespace {

// Lines and shapes are cut at the picture's edge: nothing beyond it is
// visible, and some readers size the picture by what it draws. Text keeps
// a margin, since a label starting just outside still shows its end.
constexpr double TextMargin = 256;

QPoint Round(const QPointF& P) { return {static_cast<int>(std::lround(P.x())), static_cast<int>(std::lround(P.y()))}; }

QRgb BrushColor(const QBrush& Brush)
{
    if (const QGradient* G = Brush.gradient(); G && !G->stops().isEmpty())
        return G->stops().first().second.rgba();
    return Brush.color().rgba();
}

bool Closed(const TKvMfPolyline& L) { return L.size() > 2 && L.front() == L.back(); }

} // namespace

TKvMetafileEngine::TKvMetafileEngine(std::vector<TKvMfItem>& Items, QRect Picture, bool NativeDashes)
    : QPaintEngine(QPaintEngine::AllFeatures), FItems(Items), FPicture(Picture),
      FGuard(QRectF(Picture)), FTextGuard(QRectF(Picture).adjusted(-TextMargin, -TextMargin, TextMargin, TextMargin)),
      FNativeDashes(NativeDashes)
{
}

bool TKvMetafileEngine::begin(QPaintDevice*)
{
    FPen = QPen();
    FBrush = QBrush();
    FTransform = QTransform();
    FClipEnabled = FHasClip = false;
    return true;
}

bool TKvMetafileEngine::end() { return true; }

void TKvMetafileEngine::ApplyClip(const QRectF& DeviceRect, Qt::ClipOperation Operation)
{
    const QRect R = DeviceRect.toAlignedRect();
    switch (Operation) {
    case Qt::NoClip: FHasClip = false; break;
    case Qt::ReplaceClip:
        FClip = R;
        FHasClip = true;
        break;
    case Qt::IntersectClip:
        FClip = FHasClip ? FClip.intersected(R) : R;
        FHasClip = true;
        break;
    }
}

void TKvMetafileEngine::updateState(const QPaintEngineState& State)
{
    const DirtyFlags Flags = State.state();
    if (Flags & DirtyPen)
        FPen = State.pen();
    if (Flags & DirtyBrush)
        FBrush = State.brush();
    if (Flags & DirtyFont)
        FFont = State.font();
    if (Flags & DirtyTransform)
        FTransform = State.transform();
    if (Flags & DirtyClipRegion)
        ApplyClip(State.transform().mapRect(QRectF(State.clipRegion().boundingRect())), State.clipOperation());
    if (Flags & DirtyClipPath)
        ApplyClip(State.transform().map(State.clipPath()).boundingRect(), State.clipOperation());
    if (Flags & (DirtyClipRegion | DirtyClipPath))
        FClipEnabled = State.clipOperation() != Qt::NoClip;
    if (Flags & DirtyClipEnabled)
        FClipEnabled = State.isClipEnabled();
}

TKvMfItem TKvMetafileEngine::NewItem(TKvMfShape Shape) const
{
    TKvMfItem Item;
    Item.Shape = Shape;
    Item.Clipped = FClipEnabled && FHasClip;
    if (Item.Clipped)
        Item.Clip = FClip;
    return Item;
}

void TKvMetafileEngine::Push(TKvMfItem&& Item) { FItems.push_back(std::move(Item)); }

double TKvMetafileEngine::PenWidth() const
{
    if (FPen.isCosmetic())
        return std::max(1.0, FPen.widthF());
    return std::max(1.0, FPen.widthF() * std::sqrt(std::abs(FTransform.determinant())));
}

bool TKvMetafileEngine::ThinSolidPen() const
{
    return FPen.style() == Qt::SolidLine && PenWidth() < 1.5;
}

bool TKvMetafileEngine::NativePenStyle(TKvMfPenStyle& Style) const
{
    if (FPen.style() == Qt::SolidLine && PenWidth() < 1.5) {
        Style = TKvMfPenStyle::Solid;
        return true;
    }
    if (!FNativeDashes || PenWidth() >= 1.5)
        return false;
    switch (FPen.style()) {
    case Qt::DashLine: Style = TKvMfPenStyle::Dash; return true;
    case Qt::DotLine: Style = TKvMfPenStyle::Dot; return true;
    case Qt::DashDotLine: Style = TKvMfPenStyle::DashDot; return true;
    case Qt::DashDotDotLine: Style = TKvMfPenStyle::DashDotDot; return true;
    default: return false;
    }
}

void TKvMetafileEngine::AddPolylines(const std::vector<TKvMfPolyline>& Lines, const TKvMfPen& Pen)
{
    if (Lines.empty())
        return;
    const bool Clipped = FClipEnabled && FHasClip;
    // Runs of lines with one pen and clip share a record.
    const bool Merge = !FItems.empty() && FItems.back().Shape == TKvMfShape::Polyline && FItems.back().Pen == Pen &&
                       FItems.back().Clipped == Clipped && (!Clipped || FItems.back().Clip == FClip);
    if (!Merge) {
        TKvMfItem Item = NewItem(TKvMfShape::Polyline);
        Item.Pen = Pen;
        Push(std::move(Item));
    }
    TKvMfItem& Item = FItems.back();
    for (const TKvMfPolyline& L : Lines) {
        if (L.size() < 2)
            continue;
        for (const QPointF& P : L)
            Item.Points.push_back(Round(P));
        Item.Counts.push_back(static_cast<int32_t>(L.size()));
    }
    if (Item.Counts.empty())
        FItems.pop_back();
}

void TKvMetafileEngine::StrokeLines(const std::vector<TKvMfPolyline>& Lines, const std::vector<bool>& ClosedFlags)
{
    if (FPen.style() == Qt::NoPen || FPen.brush().style() == Qt::NoBrush)
        return;
    std::vector<TKvMfPolyline> Pieces;
    std::vector<bool> PieceClosed;
    for (size_t i = 0; i < Lines.size(); ++i) {
        TKvMfPolyline L = Lines[i];
        const bool WasClosed = i < ClosedFlags.size() && ClosedFlags[i];
        if (WasClosed && !L.empty() && L.front() != L.back())
            L.push_back(L.front());
        std::vector<TKvMfPolyline> Cut = ClipPolyline(L, FGuard);
        const bool Whole = Cut.size() == 1 && Cut[0].size() == L.size();
        for (auto& C : Cut) {
            Pieces.push_back(std::move(C));
            PieceClosed.push_back(WasClosed && Whole);
        }
    }
    if (Pieces.empty())
        return;
    const QRgb Color = FPen.color().rgba();
    TKvMfPenStyle Native;
    if (NativePenStyle(Native)) {
        AddPolylines(Pieces, {Native, 1, Color});
        return;
    }
    const double Width = PenWidth();
    if (FPen.style() != Qt::SolidLine) {
        std::vector<double> Pattern;
        for (qreal L : FPen.dashPattern())
            Pattern.push_back(L * Width);
        std::vector<TKvMfPolyline> Dashes;
        for (const auto& P : Pieces)
            for (auto& D : SplitDashes(P, Pattern))
                Dashes.push_back(std::move(D));
        Pieces = std::move(Dashes);
        PieceClosed.assign(Pieces.size(), false);
    }
    if (Width < 1.5) {
        AddPolylines(Pieces, {TKvMfPenStyle::Solid, 1, Color});
        return;
    }
    TKvMfItem Item = NewItem(TKvMfShape::Polygon);
    Item.Pen = {};
    Item.Brush = {false, Color};
    Item.Winding = true;
    for (const auto& Whole : StrokeOutline(Pieces, PieceClosed, Width, FPen.capStyle(), FPen.joinStyle())) {
        const TKvMfPolyline Outline = ClipPolygon(Whole, FGuard);
        if (Outline.size() < 3)
            continue;
        for (const QPointF& P : Outline)
            Item.Points.push_back(Round(P));
        Item.Counts.push_back(static_cast<int32_t>(Outline.size()));
    }
    if (!Item.Counts.empty())
        Push(std::move(Item));
}

void TKvMetafileEngine::FillPolygons(const std::vector<TKvMfPolyline>& Polygons, bool Winding, bool WithPen)
{
    const bool Fill = FBrush.style() != Qt::NoBrush && qAlpha(BrushColor(FBrush)) != 0;
    // A polygon cut at the picture's edge would get an outline along the
    // cut: its outline is drawn apart then.
    std::vector<TKvMfPolyline> Cuts;
    bool Inside = true;
    for (const auto& P : Polygons) {
        Cuts.push_back(ClipPolygon(P, FGuard));
        Inside = Inside && Cuts.back().size() == P.size();
    }
    TKvMfPenStyle Native;
    const bool PenInRecord = WithPen && Fill && Inside && FPen.style() != Qt::NoPen && NativePenStyle(Native);
    if (Fill) {
        TKvMfItem Item = NewItem(TKvMfShape::Polygon);
        Item.Brush = {false, BrushColor(FBrush)};
        Item.Pen = PenInRecord ? TKvMfPen{Native, 1, FPen.color().rgba()} : TKvMfPen{};
        Item.Winding = Winding;
        for (const auto& Cut : Cuts) {
            if (Cut.size() < 3)
                continue;
            for (const QPointF& Q : Cut)
                Item.Points.push_back(Round(Q));
            Item.Counts.push_back(static_cast<int32_t>(Cut.size()));
        }
        if (!Item.Counts.empty())
            Push(std::move(Item));
    }
    if (WithPen && !PenInRecord)
        StrokeLines(Polygons, std::vector<bool>(Polygons.size(), true));
}

void TKvMetafileEngine::drawPath(const QPainterPath& Path)
{
    const QPainterPath Device = FTransform.map(Path);
    std::vector<TKvMfPolyline> Polys;
    std::vector<bool> ClosedFlags;
    for (const QPolygonF& P : Device.toSubpathPolygons()) {
        Polys.emplace_back(P.begin(), P.end());
        ClosedFlags.push_back(Closed(Polys.back()));
    }
    if (Polys.empty())
        return;
    const bool Winding = Path.fillRule() == Qt::WindingFill;
    if (FBrush.style() != Qt::NoBrush)
        FillPolygons(Polys, Winding, false);
    StrokeLines(Polys, ClosedFlags);
}

void TKvMetafileEngine::drawPolygon(const QPointF* Points, int Count, PolygonDrawMode Mode)
{
    if (Count <= 0)
        return;
    TKvMfPolyline Device(static_cast<size_t>(Count));
    for (int i = 0; i < Count; ++i)
        Device[static_cast<size_t>(i)] = FTransform.map(Points[i]);
    if (Mode == PolylineMode) {
        StrokeLines({Device}, {false});
        return;
    }
    FillPolygons({Device}, Mode == WindingMode, true);
}

void TKvMetafileEngine::drawPolygon(const QPoint* Points, int Count, PolygonDrawMode Mode)
{
    std::vector<QPointF> F(Points, Points + std::max(Count, 0));
    drawPolygon(F.data(), Count, Mode);
}

void TKvMetafileEngine::drawLines(const QLineF* Lines, int Count)
{
    std::vector<TKvMfPolyline> Device;
    Device.reserve(static_cast<size_t>(std::max(Count, 0)));
    for (int i = 0; i < Count; ++i)
        Device.push_back({FTransform.map(Lines[i].p1()), FTransform.map(Lines[i].p2())});
    StrokeLines(Device, {});
}

void TKvMetafileEngine::drawLines(const QLine* Lines, int Count)
{
    std::vector<QLineF> F(Lines, Lines + std::max(Count, 0));
    drawLines(F.data(), Count);
}

void TKvMetafileEngine::DrawShape(const QPainterPath& LogicalPath) { drawPath(LogicalPath); }

void TKvMetafileEngine::drawRects(const QRectF* Rects, int Count)
{
    TKvMfPenStyle Native = TKvMfPenStyle::Null;
    const bool PenOk = FPen.style() == Qt::NoPen || NativePenStyle(Native);
    for (int i = 0; i < Count; ++i) {
        const QRectF Box = FTransform.mapRect(Rects[i]);
        if (FTransform.type() > QTransform::TxScale || !PenOk || !FGuard.contains(Box)) {
            QPainterPath P;
            P.addRect(Rects[i]);
            DrawShape(P);
            continue;
        }
        TKvMfItem Item = NewItem(TKvMfShape::Rectangle);
        Item.Box = QRect(Round(Box.topLeft()), Round(Box.bottomRight()));
        Item.Pen = FPen.style() == Qt::NoPen ? TKvMfPen{} : TKvMfPen{Native, 1, FPen.color().rgba()};
        if (FBrush.style() != Qt::NoBrush)
            Item.Brush = {false, BrushColor(FBrush)};
        Push(std::move(Item));
    }
}

void TKvMetafileEngine::drawRects(const QRect* Rects, int Count)
{
    std::vector<QRectF> F(Rects, Rects + std::max(Count, 0));
    drawRects(F.data(), Count);
}

void TKvMetafileEngine::drawEllipse(const QRectF& Rect)
{
    TKvMfPenStyle Native = TKvMfPenStyle::Null;
    const bool PenOk = FPen.style() == Qt::NoPen || NativePenStyle(Native);
    const QRectF Box = FTransform.mapRect(Rect);
    if (FTransform.type() > QTransform::TxScale || !PenOk || !FGuard.contains(Box)) {
        QPainterPath P;
        P.addEllipse(Rect);
        DrawShape(P);
        return;
    }
    TKvMfItem Item = NewItem(TKvMfShape::Ellipse);
    Item.Box = QRect(Round(Box.topLeft()), Round(Box.bottomRight()));
    Item.Pen = FPen.style() == Qt::NoPen ? TKvMfPen{} : TKvMfPen{Native, 1, FPen.color().rgba()};
    if (FBrush.style() != Qt::NoBrush)
        Item.Brush = {false, BrushColor(FBrush)};
    Push(std::move(Item));
}

void TKvMetafileEngine::drawEllipse(const QRect& Rect) { drawEllipse(QRectF(Rect)); }

void TKvMetafileEngine::drawPoints(const QPointF* Points, int Count)
{
    // A point covers one pixel: a one-pixel line from it to the right.
    std::vector<TKvMfPolyline> Device;
    for (int i = 0; i < Count; ++i) {
        const QPointF P = FTransform.map(Points[i]);
        Device.push_back({P, P + QPointF(1, 0)});
    }
    const QPen Saved = FPen;
    FPen.setStyle(Qt::SolidLine);
    StrokeLines(Device, {});
    FPen = Saved;
}

void TKvMetafileEngine::drawPoints(const QPoint* Points, int Count)
{
    std::vector<QPointF> F(Points, Points + std::max(Count, 0));
    drawPoints(F.data(), Count);
}

void TKvMetafileEngine::drawTextItem(const QPointF& Point, const QTextItem& Text)
{
    AddTextRun(Point, Text.text(), Text.font());
}

void TKvMetafileEngine::AddTextRun(const QPointF& Point, const QString& Text, const QFont& Font)
{
    if (Text.isEmpty())
        return;
    const QPointF Origin = FTransform.map(Point);
    if (!FTextGuard.contains(Origin))
        return;
    const double Scale = std::hypot(FTransform.m11(), FTransform.m12());
    const double Degrees = std::atan2(-FTransform.m12(), FTransform.m11()) * 180 / std::numbers::pi;
    const int Dpi = paintDevice() ? paintDevice()->logicalDpiY() : 96;
    const double Em = Font.pixelSize() > 0 ? Font.pixelSize() : Font.pointSizeF() * Dpi / 72.0;

    TKvMfItem Item = NewItem(TKvMfShape::Text);
    Item.Text = Text;
    Item.Origin = Round(Origin);
    Item.TextColor = FPen.color().rgba();
    Item.Font.Face = Font.family();
    Item.Font.Height = std::max(1, static_cast<int32_t>(std::lround(Em * Scale)));
    Item.Font.Escapement = (static_cast<int32_t>(std::lround(Degrees * 10)) % 3600 + 3600) % 3600;
    Item.Font.Weight = Font.weight();
    Item.Font.Italic = Font.italic();
    Item.Font.Underline = Font.underline();
    Item.Font.StrikeOut = Font.strikeOut();
    // Each unit's advance, rounded so that the sum stays exact.
    const QFontMetricsF Metrics(Font, paintDevice());
    double Sum = 0;
    int32_t Placed = 0;
    for (qsizetype i = 0; i < Text.size(); ++i) {
        const bool Pair = Text[i].isHighSurrogate() && i + 1 < Text.size();
        Sum += Metrics.horizontalAdvance(Text.mid(i, Pair ? 2 : 1)) * Scale;
        const auto Next = static_cast<int32_t>(std::lround(Sum));
        Item.Dx.push_back(Next - Placed);
        Placed = Next;
        if (Pair) {
            Item.Dx.push_back(0);
            ++i;
        }
    }
    Push(std::move(Item));
}

void TKvMetafileEngine::drawPixmap(const QRectF& Target, const QPixmap& Pixmap, const QRectF& Source)
{
    drawImage(Target, Pixmap.toImage(), Source);
}

void TKvMetafileEngine::drawImage(const QRectF& Target, const QImage& Image, const QRectF& Source,
                                  Qt::ImageConversionFlags)
{
    const QRectF Box = FTransform.mapRect(Target);
    if (Image.isNull() || !FGuard.intersects(Box))
        return;
    TKvMfItem Item = NewItem(TKvMfShape::Image);
    Item.Box = Box.toAlignedRect();
    Item.Image = Image.copy(Source.toAlignedRect()).convertToFormat(QImage::Format_ARGB32);
    Push(std::move(Item));
}

} // namespace kv
