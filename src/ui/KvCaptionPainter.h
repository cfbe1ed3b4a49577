#pragma once
// The one place where the table's windows draw a caption written in the
// caption markup into a cell or a list item. Until the markup renderer of
// the graph engine is wired in, the caption is drawn as its plain text.

#include <QRect>
#include <QString>

class QPainter;

namespace kv {

void DrawCaption(QPainter& Painter, const QRect& Rect, const QString& Markup, int Alignment);
QString CaptionText(const QString& Markup);

} // namespace kv
