#include "KvCaptionPainter.h"

#include "graph/KvLabel.h"
#include "graph/KvSymbolFont.h"

#include <QFontMetrics>
#include <QPainter>

#include <array>

namespace kv {

QString CaptionText(const QString& Markup) { return PlainCaption(Markup); }

QString CaptionHtml(const QString& Markup)
{
    TKvCaptionRec Rec;
    TKvMeasureCanvas Canvas;
    Rec.Caption = Markup;
    Rec.Canvas = &Canvas.Painter();
    RenderCaption(Rec);
    const std::array<std::pair<const std::vector<bool>*, QString>, 6> Kinds = {
        {{&Rec.BoldMark, "b"}, {&Rec.ItalicMark, "i"}, {&Rec.UnderlineMark, "u"}, {&Rec.StrikeOutMark, "s"},
         {&Rec.SuperMark, "sup"}, {&Rec.SubMark, "sub"}}};
    std::array<bool, 6> On{};
    bool Symbol = false;
    QString Out, Run;
    // A run of one format: its tags open and close around it, so they nest.
    const auto Flush = [&] {
        if (Run.isEmpty())
            return;
        for (size_t i = 0; i < Kinds.size(); ++i)
            if (On[i])
                Out += "<" + Kinds[i].second + ">";
        Out += Run.toHtmlEscaped();
        for (size_t i = Kinds.size(); i-- > 0;)
            if (On[i])
                Out += "</" + Kinds[i].second + ">";
        Run.clear();
    };
    const auto At = [](const std::vector<bool>& Marks, qsizetype k) {
        return k < static_cast<qsizetype>(Marks.size()) && Marks[static_cast<size_t>(k)];
    };
    for (qsizetype k = 0; k < Rec.PlainText.size(); ++k) {
        bool Change = false;
        for (const auto& Kind : Kinds)
            Change = Change || At(*Kind.first, k);
        if (Change)
            Flush();
        for (size_t i = 0; i < Kinds.size(); ++i)
            On[i] = On[i] != At(*Kinds[i].first, k);
        Symbol = Symbol != At(Rec.SymbolMark, k);
        const char16_t C = Rec.PlainText[k].unicode();
        Run += QChar(Symbol && C < 256 ? SymbolToUnicode(C) : C);
    }
    Flush();
    return Out;
}

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
