// The caption editor's view: painting, caret, scrolling, keys, mouse and focus.

#include "KvCaptionEdit.h"

#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace kv {

namespace {

struct TLetterSize {
    int Width;
    int Height;
};

TLetterSize LetterW(const QFont& Font)
{
    const QFontMetrics M(Font);
    return {std::max(1, M.horizontalAdvance(QLatin1Char('W'))), std::max(1, M.height())};
}

} // namespace

int TKvCaptionEdit::CharLeft(int Index) const
{
    if (Index <= 0 || FMap.CharRight.empty())
        return 0;
    const int k = std::min(Index, Visible()) - 1;
    return FMap.CharRight[static_cast<size_t>(k)];
}

void TKvCaptionEdit::UpdateCaret()
{
    FCaretIndex = FCaretIndex < 0 || FCaretIndex > Visible() ? Visible() : FCaretIndex;
    if (hasFocus()) {
        const TKvCaretFormat Format = CaretFormat();
        FReported = Format;
        emit CaretChanged(Format);
    }
    const TLetterSize W = LetterW(font());
    const int X = 1 + CharLeft(FCaretIndex);
    if (X > FScrollOffset + width() - W.Width)
        FScrollOffset += X - (FScrollOffset + width() - W.Width) + W.Width;
    else if (X < FScrollOffset)
        FScrollOffset = std::max(0, X - W.Width);
    update();
}

void TKvCaptionEdit::paintEvent(QPaintEvent*)
{
    QPainter P(this);
    const bool Enabled = isEnabled();
    P.fillRect(rect(), palette().color(Enabled ? QPalette::Active : QPalette::Disabled, QPalette::Base));
    P.setPen(palette().color(QPalette::Mid));
    P.drawRect(rect().adjusted(0, 0, -1, -1));
    const TLetterSize W = LetterW(font());
    const bool Focused = hasFocus();
    if (Focused && HasSelection()) {
        const int Left = CharLeft(FSelStart) + 1 - FScrollOffset;
        const int Right = CharLeft(FSelEnd) + 1 - FScrollOffset;
        P.fillRect(QRect(Left, 1, Right - Left, W.Height + 1), palette().color(QPalette::Highlight));
    }
    P.setFont(font());
    P.setPen(palette().color(Enabled ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    FMap.Caption = FCaption;
    FMap.Canvas = &P;
    FMap.X = 1 - FScrollOffset;
    FMap.Y = 1;
    FMap.Draw = true;
    FMap.ShowSelection = Focused;
    FMap.SelStart = FSelStart;
    FMap.SelEnd = FSelEnd;
    RenderCaption(FMap);
    FMap.Canvas = nullptr;
    FMap.Draw = false;
    if (!Focused || !Enabled)
        return;
    const int X = 1 + CharLeft(FCaretIndex) - FScrollOffset;
    if (FInsertMode) {
        P.fillRect(QRect(X, 2, 2, W.Height), palette().color(QPalette::Text));
        return;
    }
    const int CharWidth = FCaretIndex < Visible() ? CharLeft(FCaretIndex + 1) - CharLeft(FCaretIndex) : W.Width / 2;
    P.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    P.fillRect(QRect(X + 1, 2, std::max(1, CharWidth), W.Height), Qt::white);
}

// ---------------------------------------------------------------- keys

bool TKvCaptionEdit::IsOwnKey(const QKeyEvent* Event) const
{
    const auto Mods = Event->modifiers() & ~Qt::KeypadModifier;
    const int Key = Event->key();
    if (Mods & Qt::AltModifier)
        return Key == Qt::Key_B || Key == Qt::Key_I || Key == Qt::Key_U || Key == Qt::Key_O || Key == Qt::Key_S ||
               Key == Qt::Key_Minus || Key == Qt::Key_Plus;
    switch (Key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Escape:
        return true;
    default: break;
    }
    if (Mods & Qt::ControlModifier)
        return Key == Qt::Key_A || Key == Qt::Key_C || Key == Qt::Key_X || Key == Qt::Key_V || Key == Qt::Key_Z;
    const QString Text = Event->text();
    return !Text.isEmpty() && Text[0].isPrint();
}

bool TKvCaptionEdit::event(QEvent* Event)
{
    // The editor claims its own keys before the window's shortcuts see them;
    // Tab and Enter keep their meaning in dialogs.
    if (Event->type() == QEvent::ShortcutOverride && IsOwnKey(static_cast<QKeyEvent*>(Event))) {
        Event->accept();
        return true;
    }
    return QWidget::event(Event);
}

bool TKvCaptionEdit::HandleFormatKey(const QKeyEvent* Event)
{
    if (!(Event->modifiers() & Qt::AltModifier))
        return false;
    switch (Event->key()) {
    case Qt::Key_B: ToggleBold(); return true;
    case Qt::Key_I: ToggleItalic(); return true;
    case Qt::Key_U: ToggleUnderline(); return true;
    case Qt::Key_O: ToggleStrikeOut(); return true;
    case Qt::Key_S: ToggleSymbolFont(); return true;
    case Qt::Key_Minus: ToggleSubscript(); return true;
    case Qt::Key_Plus: ToggleSuperscript(); return true;
    default: return false;
    }
}

bool TKvCaptionEdit::HandleEditKey(const QKeyEvent* Event)
{
    const bool Ctrl = Event->modifiers() & Qt::ControlModifier;
    const bool Shift = Event->modifiers() & Qt::ShiftModifier;
    switch (Event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up: MoveCaret(Ctrl ? WordStart(FCaretIndex) : FCaretIndex - 1, Shift); return true;
    case Qt::Key_Right:
    case Qt::Key_Down: MoveCaret(Ctrl ? WordEnd(FCaretIndex) : FCaretIndex + 1, Shift); return true;
    case Qt::Key_Home: MoveCaret(0, Shift); return true;
    case Qt::Key_End: MoveCaret(Visible(), Shift); return true;
    case Qt::Key_Backspace: DeleteBack(); return true;
    case Qt::Key_Delete:
        if (DeleteSelection())
            return true;
        if (Shift)
            DeleteBack();
        else if (Ctrl)
            DeleteToEnd();
        else
            DeleteForward();
        return true;
    case Qt::Key_Escape: Undo(); return true;
    default: break;
    }
    if (!Ctrl)
        return false;
    switch (Event->key()) {
    case Qt::Key_Z: Undo(); return true;
    case Qt::Key_A: SelectAll(); return true;
    case Qt::Key_C: CopyToClipboard(); return true;
    case Qt::Key_X: CutToClipboard(); return true;
    case Qt::Key_V: PasteFromClipboard(); return true;
    default: return false;
    }
}

void TKvCaptionEdit::keyPressEvent(QKeyEvent* Event)
{
    if (HandleFormatKey(Event) || HandleEditKey(Event))
        return;
    const QString Text = Event->text();
    if (!(Event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && !Text.isEmpty() && Text[0].isPrint()) {
        // A typed backslash is one visible backslash.
        InsertText(Text == QLatin1String("\\") ? QStringLiteral("\\\\") : Text);
        return;
    }
    QWidget::keyPressEvent(Event);
}

void TKvCaptionEdit::MoveCaret(int Index, bool Extend)
{
    Index = std::clamp(Index, 0, Visible());
    if (Extend) {
        if (!HasSelection())
            FAnchor = FCaretIndex;
        FCaretIndex = Index;
        FSelStart = std::min(FAnchor, Index);
        FSelEnd = std::max(FAnchor, Index);
        if (FSelStart == FSelEnd)
            FSelStart = FSelEnd = -1;
    } else {
        FCaretIndex = Index;
        FSelStart = FSelEnd = -1;
    }
    FPendingInsert = -1;
    UpdateCaret();
    update();
}

int TKvCaptionEdit::WordStart(int Index) const
{
    int p = std::min(Index, Visible());
    while (p > 0 && FPlain[p - 1] == QLatin1Char(' '))
        --p;
    while (p > 0 && FPlain[p - 1] != QLatin1Char(' '))
        --p;
    return p;
}

int TKvCaptionEdit::WordEnd(int Index) const
{
    int p = std::max(Index, 0);
    while (p < Visible() && FPlain[p] != QLatin1Char(' '))
        ++p;
    while (p < Visible() && FPlain[p] == QLatin1Char(' '))
        ++p;
    return p;
}

// ---------------------------------------------------------------- mouse

int TKvCaptionEdit::BoundaryAt(int X) const
{
    const int Content = X + FScrollOffset - 1;
    int Best = 0;
    for (int k = 1; k <= Visible(); ++k)
        if (std::abs(CharLeft(k) - Content) < std::abs(CharLeft(Best) - Content))
            Best = k;
    return Best;
}

void TKvCaptionEdit::mousePressEvent(QMouseEvent* Event)
{
    if (Event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(Event);
    setFocus(Qt::MouseFocusReason);
    FDragFrom = BoundaryAt(Event->position().toPoint().x());
    FDragMoved = false;
}

void TKvCaptionEdit::mouseMoveEvent(QMouseEvent* Event)
{
    if (!(Event->buttons() & Qt::LeftButton) || FDragFrom < 0)
        return;
    FDragMoved = true;
    FAnchor = FDragFrom;
    const int To = BoundaryAt(Event->position().toPoint().x());
    FCaretIndex = FDragFrom; // the selection grows from the press point
    MoveCaret(To, true);
}

void TKvCaptionEdit::mouseReleaseEvent(QMouseEvent* Event)
{
    if (Event->button() == Qt::LeftButton && FDragFrom >= 0 && !FDragMoved)
        MoveCaret(FDragFrom, false);
    FDragFrom = -1;
}

void TKvCaptionEdit::mouseDoubleClickEvent(QMouseEvent* Event)
{
    const int At = BoundaryAt(Event->position().toPoint().x());
    int Start = At;
    while (Start > 0 && FPlain[Start - 1] != QLatin1Char(' '))
        --Start;
    const int End = WordEnd(At);
    FDragFrom = -1;
    SetSelection(Start, End);
}

// ---------------------------------------------------------------- focus and state

void TKvCaptionEdit::focusInEvent(QFocusEvent* Event)
{
    if (Event->reason() != Qt::MouseFocusReason)
        SelectAll();
    FEntryCaption = FCaption;
    FChanged = false;
    UpdateCaret();
    update();
    QWidget::focusInEvent(Event);
}

void TKvCaptionEdit::focusOutEvent(QFocusEvent* Event)
{
    update();
    QWidget::focusOutEvent(Event);
}

void TKvCaptionEdit::changeEvent(QEvent* Event)
{
    if (Event->type() == QEvent::FontChange)
        Refresh();
    QWidget::changeEvent(Event);
}

} // namespace kv
