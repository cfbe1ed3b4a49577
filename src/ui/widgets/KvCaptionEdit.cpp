#include "KvCaptionEdit.h"

#include <QApplication>
#include <QClipboard>

#include <algorithm>

namespace kv {

namespace {

constexpr std::array<char16_t, CaptionFormatCount> EscapeLetters = {u'b', u'i', u'u', u'o', u'-', u'+', u's'};

size_t Ix(TKvCaptionFormat F) { return static_cast<size_t>(F); }

// The caption split into its visible characters, their source positions
// and, per visible index, which format toggles stand before it (odd count).
// Follows the markup grammar of the renderer exactly.
struct TScan {
    QString Plain;
    std::vector<int> Source;
    std::array<std::vector<bool>, CaptionFormatCount> Marks;
};

TScan ScanCaption(const QString& Caption)
{
    TScan R;
    std::array<bool, CaptionFormatCount> Pending{};
    auto Emit = [&R, &Pending](QChar C, int Pos) {
        R.Plain.append(C);
        R.Source.push_back(Pos);
        for (size_t f = 0; f < Pending.size(); ++f) {
            R.Marks[f].push_back(Pending[f]);
            Pending[f] = false;
        }
    };
    const auto Length = static_cast<int>(Caption.size());
    int Pos = 0;
    while (Pos < Length) {
        if (Caption[Pos] != QLatin1Char('\\')) {
            Emit(Caption[Pos], Pos);
            ++Pos;
            continue;
        }
        if (++Pos >= Length)
            break; // a backslash at the very end is dropped
        const char16_t L = Caption[Pos].toLower().unicode();
        if (L == u'\\') {
            Emit(QLatin1Char('\\'), Pos);
            ++Pos;
            continue;
        }
        const auto* It = std::find(EscapeLetters.begin(), EscapeLetters.end(), L);
        if (It == EscapeLetters.end())
            continue; // the backslash is dropped, the character is ordinary text
        bool& Toggled = Pending[static_cast<size_t>(It - EscapeLetters.begin())];
        Toggled = !Toggled;
        ++Pos;
        if (Pos < Length && Caption[Pos] == QLatin1Char(' '))
            ++Pos;
    }
    for (size_t f = 0; f < Pending.size(); ++f)
        R.Marks[f].push_back(Pending[f]);
    return R;
}

// Whether the markup S[0, Pos) ends with a format escape, which takes one
// blank after it as its separator.
bool EscapeEndsAt(const QString& S, int Pos)
{
    if (Pos < 2 || Pos > S.size())
        return false;
    const char16_t L = S[Pos - 1].toLower().unicode();
    if (std::find(EscapeLetters.begin(), EscapeLetters.end(), L) == EscapeLetters.end())
        return false;
    int Slashes = 0;
    while (Pos - 2 - Slashes >= 0 && S[Pos - 2 - Slashes] == QLatin1Char('\\'))
        ++Slashes;
    return Slashes % 2 == 1;
}

bool BlankAt(const QString& S, int Pos) { return Pos >= 0 && Pos < S.size() && S[Pos] == QLatin1Char(' '); }

} // namespace

QString CaptionEscape(TKvCaptionFormat F) { return QString(u'\\') + QChar(EscapeLetters[Ix(F)]); }

QString CutCaption(const QString& Caption, int MaxLength)
{
    if (Caption.size() <= MaxLength)
        return Caption;
    QString Cut = Caption.left(MaxLength);
    qsizetype Slashes = 0;
    while (Slashes < Cut.size() && Cut[Cut.size() - 1 - Slashes] == QLatin1Char('\\'))
        ++Slashes;
    if (Slashes % 2 == 1)
        Cut.chop(1);
    return Cut;
}

TKvCaptionEdit::TKvCaptionEdit(QWidget* Parent) : QWidget(Parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setCursor(Qt::IBeamCursor);
    setAutoFillBackground(false);
    QFont F(QStringLiteral("Arial"));
    F.setPointSize(12);
    setFont(F);
    resize(121, 25);
    Remeasure();
}

// ---------------------------------------------------------------- the map

void TKvCaptionEdit::Remeasure()
{
    const TScan Scan = ScanCaption(FCaption);
    FPlain = Scan.Plain;
    FSource = Scan.Source;
    FMarks = Scan.Marks;
    TKvMeasureCanvas Canvas;
    Canvas.Painter().setFont(font());
    FMap.Caption = FCaption;
    FMap.Canvas = &Canvas.Painter();
    FMap.X = 0;
    FMap.Y = 0;
    FMap.Draw = false;
    RenderCaption(FMap);
    FMap.Canvas = nullptr;
}

void TKvCaptionEdit::Refresh()
{
    Remeasure();
    FCaretIndex = std::clamp(FCaretIndex, 0, Visible());
    UpdateCaret();
    update();
}

int TKvCaptionEdit::InsertionPoint(int Index) const
{
    if (Index <= 0)
        return 0;
    if (Index >= Visible())
        return static_cast<int>(FCaption.size());
    return FSource[static_cast<size_t>(Index - 1)] + 1;
}

// Where visible character Index begins in the source: a backslash that was
// dropped before it (unknown escape) belongs to it.
int TKvCaptionEdit::SpanStart(int Index) const
{
    const auto k = static_cast<size_t>(Index);
    const int Pos = FSource[k];
    if (Pos > 0 && FCaption[Pos - 1] == QLatin1Char('\\') && !(k > 0 && FSource[k - 1] == Pos - 1))
        return Pos - 1;
    return Pos;
}

bool TKvCaptionEdit::BaseStyle(TKvCaptionFormat F) const
{
    switch (F) {
    case TKvCaptionFormat::Bold: return font().bold();
    case TKvCaptionFormat::Italic: return font().italic();
    case TKvCaptionFormat::Underline: return font().underline();
    case TKvCaptionFormat::StrikeOut: return font().strikeOut();
    default: return false;
    }
}

TKvCaretFormat TKvCaptionEdit::FormatAtSource(int Position) const
{
    const TScan Scan = ScanCaption(FCaption.left(Position));
    TKvCaretFormat R;
    for (size_t f = 0; f < R.On.size(); ++f) {
        R.On[f] = BaseStyle(static_cast<TKvCaptionFormat>(f));
        for (bool M : Scan.Marks[f])
            R.On[f] = R.On[f] != M;
    }
    return R;
}

bool TKvCaptionEdit::StateAt(const TMarks& Marks, TKvCaptionFormat F, int Index) const
{
    bool On = BaseStyle(F);
    for (int k = 0; k <= Index && k < static_cast<int>(Marks[Ix(F)].size()); ++k)
        On = On != Marks[Ix(F)][static_cast<size_t>(k)];
    return On;
}

TKvCaretFormat TKvCaptionEdit::CaretFormat() const
{
    return FormatAtSource(FPendingInsert >= 0 ? FPendingInsert : InsertionPoint(FCaretIndex));
}

// ---------------------------------------------------------------- editing

void TKvCaptionEdit::SetCaption(const QString& Value)
{
    FChanged = true;
    FCaption = Value;
    FPendingInsert = -1;
    FSelStart = FSelEnd = -1;
    Refresh();
    emit Changed();
}

// The markup written draws exactly the characters shown: a visible blank
// that comes to stand right after an escape gets the separator blank
// before it, at both ends of the replaced text.
void TKvCaptionEdit::ReplaceSource(int From, int To, const QString& With)
{
    const bool BlankAfterShown = BlankAt(FCaption, To) && !EscapeEndsAt(FCaption, To);
    QString Text = With;
    if (BlankAt(Text, 0) && EscapeEndsAt(FCaption, From))
        Text.prepend(QLatin1Char(' '));
    FCaption.replace(From, To - From, Text);
    const int End = From + static_cast<int>(Text.size());
    if (BlankAfterShown && EscapeEndsAt(FCaption, End))
        FCaption.insert(End, QLatin1Char(' '));
}

// The escapes that switch back every format the markup Text toggles an odd
// number of times; SubscriptOn tells whether subscript is on where they go.
QString TKvCaptionEdit::ClosingEscapes(const QString& Text, bool SubscriptOn) const
{
    const TScan Scan = ScanCaption(Text);
    std::array<bool, CaptionFormatCount> Odd{};
    for (size_t f = 0; f < Odd.size(); ++f)
        for (bool M : Scan.Marks[f])
            Odd[f] = Odd[f] != M;
    QString Out;
    const bool Super = Odd[Ix(TKvCaptionFormat::Superscript)];
    const bool Sub = Odd[Ix(TKvCaptionFormat::Subscript)];
    // The raised or lowered state that is on ends first, so the size is right.
    if (Super && Sub && SubscriptOn)
        Out += QStringLiteral("\\-\\+");
    else {
        if (Super)
            Out += QStringLiteral("\\+");
        if (Sub)
            Out += QStringLiteral("\\-");
    }
    for (TKvCaptionFormat F : {TKvCaptionFormat::Bold, TKvCaptionFormat::Italic, TKvCaptionFormat::Underline,
                               TKvCaptionFormat::StrikeOut, TKvCaptionFormat::SymbolFont})
        if (Odd[Ix(F)])
            Out += CaptionEscape(F);
    return Out;
}

void TKvCaptionEdit::InsertText(const QString& S)
{
    FChanged = true;
    DeleteSelection();
    if (!FInsertMode && FCaretIndex < Visible()) {
        // the escapes around it stay; a blank's separator goes with it
        int From = SpanStart(FCaretIndex);
        if (BlankAt(FCaption, From) && BlankAt(FCaption, From - 1) && EscapeEndsAt(FCaption, From - 1))
            --From;
        ReplaceSource(From, SpanEnd(FCaretIndex), {});
    }
    Remeasure();
    const int Before = Visible();
    const int At = FPendingInsert >= 0 ? FPendingInsert : InsertionPoint(FCaretIndex);
    QString Text = S;
    if (FMaxLength > 0)
        Text = CutCaption(Text, std::max(0, FMaxLength - static_cast<int>(FCaption.size())));
    ReplaceSource(At, At, Text);
    Remeasure();
    FCaretIndex += Visible() - Before;
    FSelStart = FSelEnd = -1;
    FPendingInsert = -1;
    Refresh();
    emit Changed();
}

bool TKvCaptionEdit::DeleteSelection()
{
    if (!HasSelection())
        return false;
    FChanged = true;
    const int s = std::min(FSelStart, Visible());
    const int e = std::min(FSelEnd, Visible());
    const int From = s < Visible() ? SpanStart(s) : static_cast<int>(FCaption.size());
    const int To = e < Visible() ? SpanStart(e) : static_cast<int>(FCaption.size());
    // Formats switched inside the selection are switched back, so the text
    // after it keeps its look.
    const QString Keep = e < Visible() ? ClosingEscapes(FCaption.mid(From, To - From), FormatAtSource(From)[TKvCaptionFormat::Subscript])
                                      : QString();
    ReplaceSource(From, To, Keep);
    FCaretIndex = s;
    FSelStart = FSelEnd = -1;
    FPendingInsert = -1;
    Refresh();
    emit Changed();
    return true;
}

void TKvCaptionEdit::DeleteBack()
{
    if (DeleteSelection())
        return;
    const int p = std::min(FCaretIndex, Visible());
    if (p == 0)
        return;
    FChanged = true;
    const int n = Visible();
    const bool Last = p - 1 == n - 1;
    if (p == 1) {
        if (n == 1)
            FCaption.clear();
        else
            ReplaceSource(SpanStart(0), SpanEnd(0), {});
    } else {
        const int From = FSource[static_cast<size_t>(p - 2)] + 1;
        const int To = Last ? static_cast<int>(FCaption.size()) : SpanEnd(p - 1);
        const QString Keep = Last ? QString()
                                  : ClosingEscapes(FCaption.mid(From, To - From),
                                                   FormatAtSource(From)[TKvCaptionFormat::Subscript]);
        ReplaceSource(From, To, Keep);
    }
    FCaretIndex = p - 1;
    FPendingInsert = -1;
    Refresh();
    emit Changed();
}

void TKvCaptionEdit::DeleteForward()
{
    if (DeleteSelection())
        return;
    const int p = FCaretIndex;
    const int n = Visible();
    if (p >= n)
        return;
    FChanged = true;
    if (p < n - 1)
        ReplaceSource(SpanStart(p), SpanEnd(p), {});
    else
        ReplaceSource(InsertionPoint(p), static_cast<int>(FCaption.size()), {});
    FPendingInsert = -1;
    Refresh();
    emit Changed();
}

void TKvCaptionEdit::DeleteToEnd()
{
    if (DeleteSelection())
        return;
    if (FCaretIndex >= Visible())
        return;
    FChanged = true;
    FCaption.truncate(InsertionPoint(FCaretIndex));
    FPendingInsert = -1;
    Refresh();
    emit Changed();
}

void TKvCaptionEdit::SelectAll()
{
    FSelStart = 0;
    FSelEnd = Visible();
    if (FSelEnd == 0)
        FSelStart = FSelEnd = -1;
    FAnchor = 0;
    FCaretIndex = Visible();
    UpdateCaret();
    update();
}

void TKvCaptionEdit::SetSelection(int Start, int End)
{
    if (Start == 0 && End == -1) {
        SelectAll();
        return;
    }
    Start = std::clamp(Start, 0, Visible());
    End = std::clamp(End, 0, Visible());
    FSelStart = std::min(Start, End);
    FSelEnd = std::max(Start, End);
    if (FSelStart == FSelEnd)
        FSelStart = FSelEnd = -1;
    FAnchor = Start;
    FCaretIndex = End;
    UpdateCaret();
    update();
}

void TKvCaptionEdit::SetCaretIndex(int Value)
{
    FCaretIndex = std::clamp(Value, 0, Visible());
    FSelStart = FSelEnd = -1;
    FPendingInsert = -1;
    UpdateCaret();
    update();
}

void TKvCaptionEdit::SetInsertMode(bool Value)
{
    if (FInsertMode == Value)
        return;
    FInsertMode = Value;
    UpdateCaret();
    update();
}

void TKvCaptionEdit::Undo()
{
    if (!FChanged)
        return;
    FCaption = FEntryCaption;
    FSelStart = FSelEnd = -1;
    FPendingInsert = -1;
    FCaretIndex = 0;
    Refresh();
    emit Changed();
}

// ---------------------------------------------------------------- formats

void TKvCaptionEdit::Toggle(TKvCaptionFormat F)
{
    if (HasSelection())
        ToggleSelection(F);
    else
        ToggleAtCaret(F);
}

void TKvCaptionEdit::ToggleAtCaret(TKvCaptionFormat F)
{
    FChanged = true;
    const int p = std::min(FCaretIndex, Visible());
    const int At = FPendingInsert >= 0 ? FPendingInsert : InsertionPoint(p);
    const TKvCaretFormat State = FormatAtSource(At);
    // Raised and lowered text exclude each other: the other one ends first
    // and, around text typed in the middle, resumes after it.
    QString Other;
    if (F == TKvCaptionFormat::Subscript && State[TKvCaptionFormat::Superscript])
        Other = CaptionEscape(TKvCaptionFormat::Superscript);
    if (F == TKvCaptionFormat::Superscript && State[TKvCaptionFormat::Subscript])
        Other = CaptionEscape(TKvCaptionFormat::Subscript);
    const QString E = CaptionEscape(F);
    QString Text = Other + E;
    FPendingInsert = At + static_cast<int>(Text.size());
    if (FInsertMode && p < Visible())
        Text += E + Other;
    ReplaceSource(At, At, Text);
    Remeasure();
    UpdateCaret();
    update();
    emit Changed();
}

void TKvCaptionEdit::ToggleSelection(TKvCaptionFormat F)
{
    FChanged = true;
    const int s = FSelStart;
    const int e = std::min(FSelEnd, Visible());
    TMarks M = FMarks;
    auto Marks = [&M](TKvCaptionFormat G) -> std::vector<bool>& { return M[Ix(G)]; };
    const bool s0 = StateAt(FMarks, F, s);
    const bool s1 = StateAt(FMarks, F, e);
    for (int k = s + 1; k <= e; ++k)
        Marks(F)[static_cast<size_t>(k)] = false;
    Marks(F)[static_cast<size_t>(s)].flip();
    Marks(F)[static_cast<size_t>(e)] = (!s0) != s1;
    if (F == TKvCaptionFormat::Subscript || F == TKvCaptionFormat::Superscript) {
        const TKvCaptionFormat G =
            F == TKvCaptionFormat::Subscript ? TKvCaptionFormat::Superscript : TKvCaptionFormat::Subscript;
        const bool Before = s > 0 && StateAt(FMarks, G, s - 1);
        const bool AtEnd = StateAt(FMarks, G, e);
        for (int k = s; k <= e; ++k)
            Marks(G)[static_cast<size_t>(k)] = false;
        Marks(G)[static_cast<size_t>(s)] = Before;
        Marks(G)[static_cast<size_t>(e)] = Marks(G)[static_cast<size_t>(e)] != AtEnd;
    }
    FCaption = Rebuild(M);
    FPendingInsert = -1;
    Refresh();
    emit Changed();
}

void TKvCaptionEdit::RebuildCaption()
{
    FCaption = Rebuild(FMarks);
    Refresh();
}

// The caption written anew from the visible characters and the marks.
QString TKvCaptionEdit::Rebuild(const TMarks& Marks) const
{
    QString Out;
    bool SubOn = false;
    auto Mark = [&Marks](TKvCaptionFormat F, int k) { return Marks[Ix(F)][static_cast<size_t>(k)]; };
    for (int k = 0; k < Visible(); ++k) {
        const qsizetype Start = Out.size();
        const bool Super = Mark(TKvCaptionFormat::Superscript, k);
        const bool Sub = Mark(TKvCaptionFormat::Subscript, k);
        // The one that is on ends first, so the size of the text is right.
        if (Super && Sub && SubOn)
            Out += QStringLiteral("\\-\\+");
        else {
            if (Super)
                Out += QStringLiteral("\\+");
            if (Sub)
                Out += QStringLiteral("\\-");
        }
        SubOn = SubOn != Sub;
        for (TKvCaptionFormat F : {TKvCaptionFormat::SymbolFont, TKvCaptionFormat::Bold, TKvCaptionFormat::Italic,
                                   TKvCaptionFormat::Underline, TKvCaptionFormat::StrikeOut})
            if (Mark(F, k))
                Out += CaptionEscape(F);
        const QChar C = FPlain[k];
        // One blank after an escape is its separator: a visible blank needs a second.
        if (Out.size() > Start && C == QLatin1Char(' '))
            Out += QLatin1Char(' ');
        Out += C == QLatin1Char('\\') ? QStringLiteral("\\\\") : QString(C);
    }
    return Out;
}

// ---------------------------------------------------------------- selection in source positions

int TKvCaptionEdit::GetSelStart() const
{
    if (!HasSelection())
        return InsertionPoint(FCaretIndex);
    return FSelStart < Visible() ? SpanStart(FSelStart) : static_cast<int>(FCaption.size());
}

int TKvCaptionEdit::GetSelLength() const
{
    if (!HasSelection())
        return 0;
    const int To = FSelEnd < Visible() ? SpanStart(FSelEnd) : static_cast<int>(FCaption.size());
    return To - GetSelStart();
}

QString TKvCaptionEdit::GetSelText() const { return FCaption.mid(GetSelStart(), GetSelLength()); }

// The selection's markup begins with the escapes of the formats already on
// where it starts (bold switched on before its first character), so the
// copy looks like the selection wherever it is pasted.
QString TKvCaptionEdit::SelectionMarkup() const
{
    const TKvCaretFormat State = FormatAtSource(GetSelStart());
    QString Open;
    for (TKvCaptionFormat F : {TKvCaptionFormat::Superscript, TKvCaptionFormat::Subscript,
                               TKvCaptionFormat::SymbolFont, TKvCaptionFormat::Bold, TKvCaptionFormat::Italic,
                               TKvCaptionFormat::Underline, TKvCaptionFormat::StrikeOut})
        if (State[F] != BaseStyle(F))
            Open += CaptionEscape(F);
    return Open + GetSelText();
}

void TKvCaptionEdit::CopyToClipboard() const
{
    if (HasSelection())
        QApplication::clipboard()->setText(SelectionMarkup());
}

void TKvCaptionEdit::CutToClipboard()
{
    if (!HasSelection())
        return;
    CopyToClipboard();
    DeleteSelection();
}

void TKvCaptionEdit::PasteFromClipboard()
{
    QString Text = QApplication::clipboard()->text();
    Text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    Text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    Text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (Text.isEmpty())
        return;
    // A lone backslash at the end would join the text after the caret;
    // formats the pasted markup leaves on are switched off after it.
    qsizetype Slashes = 0;
    while (Slashes < Text.size() && Text[Text.size() - 1 - Slashes] == QLatin1Char('\\'))
        ++Slashes;
    if (Slashes % 2 == 1)
        Text.chop(1);
    const bool SubOn = CaretFormat()[TKvCaptionFormat::Subscript];
    Text += ClosingEscapes(Text, !SubOn);
    InsertText(Text);
}

} // namespace kv
