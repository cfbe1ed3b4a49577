#pragma once
// Geometry the recorder needs before anything is written: clipping far
// coordinates to a guard rectangle (so nothing wraps at 16 bits), splitting
// a dashed line into its visible dashes, and the outline of a wide line.

#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include <vector>

namespace kv {

using TKvMfPolyline = std::vector<QPointF>;

// The part of segment A-B inside Clip (Liang-Barsky); false when none is.
bool ClipSegment(QPointF& A, QPointF& B, const QRectF& Clip);
// The parts of an open polyline inside Guard, each as its own polyline.
std::vector<TKvMfPolyline> ClipPolyline(const TKvMfPolyline& Line, const QRectF& Guard);
// A closed polygon cut to Guard; empty when nothing of it is inside.
TKvMfPolyline ClipPolygon(const TKvMfPolyline& Polygon, const QRectF& Guard);
// The dashes of Line for a pattern of on/off lengths in pixels (the
// pattern starts afresh on every polyline, as the painter's does).
std::vector<TKvMfPolyline> SplitDashes(const TKvMfPolyline& Line, const std::vector<double>& Pattern);
// The outline of the lines stroked at Width, as polygons to fill with the
// non-zero winding rule.
std::vector<TKvMfPolyline> StrokeOutline(const std::vector<TKvMfPolyline>& Lines, const std::vector<bool>& Closed,
                                         double Width, Qt::PenCapStyle Cap, Qt::PenJoinStyle Join);

} // namespace kv
