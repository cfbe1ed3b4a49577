#include "KvCaptionPainter.h"

#include "document/KvPlainCaption.h"

#include <QPainter>

namespace kv {

QString CaptionText(const QString& Markup)
{
    return QString::fromStdString(PlainCaption(Markup.toStdString()));
}

void DrawCaption(QPainter& Painter, const QRect& Rect, const QString& Markup, int Alignment)
{
    Painter.drawText(Rect, Alignment, CaptionText(Markup));
}

} // namespace kv
