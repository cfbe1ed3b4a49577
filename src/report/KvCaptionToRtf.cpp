#include "KvCaptionToRtf.h"

#include "KvRtfWriter.h"

#include "graph/KvLabel.h"

#include <QTextCursor>

#include <functional>

namespace kv {

namespace {

// Runs of one attribute: the first toggle opens a run, the next closes it
// (the run ends before it); an unclosed run goes to the end of the text.
template <class TApply>
void ApplyRuns(QTextDocument& Document, const std::vector<bool>& Marks, int Length, TApply Apply)
{
    int Open = -1;
    for (int k = 0; k <= Length && k < static_cast<int>(Marks.size()); ++k) {
        if (!Marks[static_cast<size_t>(k)])
            continue;
        if (Open < 0) {
            Open = k;
            continue;
        }
        if (k > Open)
            Apply(Document, Open, k);
        Open = -1;
    }
    if (Open >= 0 && Open < Length)
        Apply(Document, Open, Length);
}

void Format(QTextDocument& Document, int From, int To, const std::function<void(QTextCharFormat&)>& Change)
{
    QTextCursor C(&Document);
    for (int k = From; k < To; ++k) {
        // per character, so each keeps what earlier runs gave it
        C.setPosition(k);
        C.setPosition(k + 1, QTextCursor::KeepAnchor);
        QTextCharFormat F = C.charFormat();
        Change(F);
        C.setCharFormat(F);
    }
}

} // namespace

TKvRtfDocument CaptionToDocument(const QString& Caption, const QTextCharFormat& Base)
{
    TKvCaptionRec Rec;
    TKvMeasureCanvas Canvas;
    Rec.Caption = Caption;
    Rec.Canvas = &Canvas.Painter();
    RenderCaption(Rec);

    TKvRtfDocument Result;
    QTextDocument& D = *Result.Body;
    QTextCursor Cursor(&D);
    Cursor.insertText(Rec.PlainText, WithoutField(Base));
    const int Length = static_cast<int>(Rec.PlainText.size());
    using TChange = std::function<void(QTextCharFormat&)>;
    const std::pair<const std::vector<bool>*, TChange> Attributes[] = {
        {&Rec.SymbolMark, [](QTextCharFormat& F) { F.setFontFamilies({QStringLiteral("Symbol")}); }},
        {&Rec.BoldMark, [](QTextCharFormat& F) { F.setFontWeight(QFont::Bold); }},
        {&Rec.ItalicMark, [](QTextCharFormat& F) { F.setFontItalic(true); }},
        {&Rec.UnderlineMark, [](QTextCharFormat& F) { F.setFontUnderline(true); }},
        {&Rec.StrikeOutMark, [](QTextCharFormat& F) { F.setFontStrikeOut(true); }},
        {&Rec.SuperMark, [](QTextCharFormat& F) { F.setVerticalAlignment(QTextCharFormat::AlignSuperScript); }},
        {&Rec.SubMark, [](QTextCharFormat& F) { F.setVerticalAlignment(QTextCharFormat::AlignSubScript); }}};
    // Named members, not a structured binding: clang before 16 cannot
    // capture one in a lambda, and the fuzz build uses clang.
    for (const auto& Attribute : Attributes) {
        const TChange& Change = Attribute.second;
        ApplyRuns(D, *Attribute.first, Length, [&](QTextDocument& Doc, int From, int To) { Format(Doc, From, To, Change); });
    }
    return Result;
}

std::string CaptionToRtf(const QString& Caption, const QTextCharFormat& Base)
{
    return WriteRtf(CaptionToDocument(Caption, Base));
}

} // namespace kv
