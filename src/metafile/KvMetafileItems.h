#pragma once
// What the recording paint engine keeps of a drawing: shapes in picture
// pixels, each with the pen, brush, font and clip rectangle it was drawn
// with. Both serialisers read the same list, so an EMF and a WMF picture of
// one drawing hold the same shapes.

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRgb>
#include <QString>

#include <cstdint>
#include <vector>

namespace kv {

// Pen styles with the values both formats give them.
enum class TKvMfPenStyle : int32_t { Solid = 0, Dash = 1, Dot = 2, DashDot = 3, DashDotDot = 4, Null = 5 };

struct TKvMfPen {
    TKvMfPenStyle Style = TKvMfPenStyle::Null;
    int32_t Width = 1;
    QRgb Color = 0;
    friend bool operator==(const TKvMfPen&, const TKvMfPen&) = default;
};

struct TKvMfBrush {
    bool Null = true;
    QRgb Color = 0;
    friend bool operator==(const TKvMfBrush&, const TKvMfBrush&) = default;
};

struct TKvMfFont {
    QString Face;
    int32_t Height = 12;     // em height in picture pixels
    int32_t Escapement = 0;  // tenths of a degree, counter-clockwise
    int32_t Weight = 400;
    bool Italic = false, Underline = false, StrikeOut = false;
    bool Symbol = false;     // 8-bit text in the Symbol font's codes
    friend bool operator==(const TKvMfFont&, const TKvMfFont&) = default;
};

enum class TKvMfShape { Polyline, Polygon, Ellipse, Rectangle, Text, Image };

struct TKvMfItem {
    TKvMfShape Shape = TKvMfShape::Polyline;
    bool Clipped = false;
    QRect Clip;                  // picture pixels, when Clipped
    TKvMfPen Pen;
    TKvMfBrush Brush;
    bool Winding = false;        // polygon fill rule
    // Polyline: several open polylines; Polygon: several closed polygons
    // filled together. Counts holds the points of each.
    std::vector<QPoint> Points;
    std::vector<int32_t> Counts;
    QRect Box;                   // ellipse, rectangle and image: the corners as drawn
    // Text: UTF-16 text, origin on the baseline, advance of each unit.
    QString Text;
    TKvMfFont Font;
    QRgb TextColor = 0;
    QPoint Origin;
    std::vector<int32_t> Dx;
    QImage Image;
};

} // namespace kv
