#include "KvCaptionPainter.h"

#include "graph/KvLabel.h"

#include <QFontMetrics>
#include <QPainter>

namespace kv {

QString CaptionText(const QString& Markup) { return PlainCaption(Markup); }

void DrawCaption(QPainter& Painter, const QRect& Rect, const QString& Markup, int Alignment)
{
    TKvCaptionRec Rec;
    Rec.Caption = Markup;
    Rec.Canvas = &Painter;
    RenderCaption(Rec); // measures only
    const int Width = Rec.Width;
    int X = Rect.left();
    // A caption wider than its cell shows its beginning, clipped at the right.
    if (Width > Rect.width())
        X = Rect.left();
    else if (Alignment & Qt::AlignHCenter)
        X = Rect.left() + (Rect.width() - Width) / 2;
    else if (Alignment & Qt::AlignRight)
        X = Rect.right() - Width;
    const int Height = QFontMetrics(Painter.font()).height();
    Painter.save();
    Painter.setClipRect(Rect, Qt::IntersectClip);
    Rec.X = X;
    Rec.Y = Rect.top() + (Rect.height() - Height) / 2;
    Rec.Draw = true;
    RenderCaption(Rec);
    Painter.restore();
}

} // namespace kv
