#pragma once
// The one place where the table's windows draw a caption written in the
// caption markup into a cell or a list item, through the graph engine's
// markup renderer (symbol font, styles, raised and lowered text).

#include <QRect>
#include <QString>

class QPainter;

namespace kv {

void DrawCaption(QPainter& Painter, const QRect& Rect, const QString& Markup, int Alignment);
QString CaptionText(const QString& Markup);
// The caption as rich text for a label that wraps its lines: superscripts,
// subscripts and styles as tags, symbol-font letters as the Unicode
// characters they show.
QString CaptionHtml(const QString& Markup);

} // namespace kv
