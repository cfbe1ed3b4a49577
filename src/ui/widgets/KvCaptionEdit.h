#pragma once
// The caption editor: a one-line field that shows a caption written in the
// caption markup as it will look (symbol font, styles, raised and lowered
// text) and lets the user edit the visible characters. Format commands
// become markup escapes; the user never types the markup.
//
// Positions are visible-character indices (0 = before the first visible
// character) unless named source positions, which are 0-based indices
// into Caption().

#include "graph/KvLabel.h"

#include <QWidget>

#include <array>
#include <vector>

namespace kv {

enum class TKvCaptionFormat { Bold, Italic, Underline, StrikeOut, Subscript, Superscript, SymbolFont };
inline constexpr int CaptionFormatCount = 7;

// The seven format states at the caret.
struct TKvCaretFormat {
    std::array<bool, CaptionFormatCount> On{};
    bool operator[](TKvCaptionFormat F) const { return On[static_cast<size_t>(F)]; }
    bool operator==(const TKvCaretFormat&) const = default;
};

// The escape that toggles a format ("\b", "\-", ...).
QString CaptionEscape(TKvCaptionFormat F);

// Cuts a caption to at most MaxLength characters without leaving a
// dangling backslash that would join the text put after it.
QString CutCaption(const QString& Caption, int MaxLength);

class TKvCaptionEdit : public QWidget {
    Q_OBJECT

public:
    static constexpr int DefaultMaxLength = 255;

    explicit TKvCaptionEdit(QWidget* Parent = nullptr);

    const QString& Caption() const { return FCaption; }
    // From outside: marks the content as changed and fires Changed.
    void SetCaption(const QString& Value);
    // The visible characters.
    const QString& Text() const { return FPlain; }

    int CaretIndex() const { return FCaretIndex; }
    void SetCaretIndex(int Value);
    int SelStart() const { return FSelStart; }
    int SelEnd() const { return FSelEnd; }
    bool HasSelection() const { return FSelStart >= 0 && FSelStart < FSelEnd; }
    // The toolkit's selection request: (0, -1) selects all, anything else
    // sets the visible range.
    void SetSelection(int Start, int End);
    int PendingInsert() const { return FPendingInsert; }
    bool InsertMode() const { return FInsertMode; }
    void SetInsertMode(bool Value);
    const QString& EntryCaption() const { return FEntryCaption; }
    bool ChangedSinceEntry() const { return FChanged; }
    int ScrollOffset() const { return FScrollOffset; }
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int Value) { FMaxLength = Value; }
    const TKvCaptionRec& CharacterMap() const { return FMap; }

    // The selection in source positions, markup included.
    int GetSelStart() const;
    int GetSelLength() const;
    QString GetSelText() const;
    // What copying takes: the selection's markup with the formats on at its
    // start switched on first.
    QString SelectionMarkup() const;

    // The format of text typed at the caret now.
    TKvCaretFormat CaretFormat() const;

    void InsertText(const QString& S);
    bool DeleteSelection();
    void DeleteBack();
    void DeleteForward();
    void DeleteToEnd();
    void SelectAll();
    void Undo();
    void Toggle(TKvCaptionFormat F);
    void ToggleBold() { Toggle(TKvCaptionFormat::Bold); }
    void ToggleItalic() { Toggle(TKvCaptionFormat::Italic); }
    void ToggleUnderline() { Toggle(TKvCaptionFormat::Underline); }
    void ToggleStrikeOut() { Toggle(TKvCaptionFormat::StrikeOut); }
    void ToggleSubscript() { Toggle(TKvCaptionFormat::Subscript); }
    void ToggleSuperscript() { Toggle(TKvCaptionFormat::Superscript); }
    void ToggleSymbolFont() { Toggle(TKvCaptionFormat::SymbolFont); }
    void RebuildCaption();
    void UpdateCaret();
    void CopyToClipboard() const;
    void CutToClipboard();
    void PasteFromClipboard();

    QSize sizeHint() const override { return {121, 25}; }

signals:
    void Changed();
    void CaretChanged(const kv::TKvCaretFormat& Format);

protected:
    bool event(QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void changeEvent(QEvent* Event) override;

private:
    using TMarks = std::array<std::vector<bool>, CaptionFormatCount>;

    // Edits: each ends with Refresh and, when the text changed, Changed.
    void Refresh();
    void Remeasure();
    void ReplaceSource(int From, int To, const QString& With);
    int Visible() const { return static_cast<int>(FPlain.size()); }
    int InsertionPoint(int Index) const;
    int SpanStart(int Index) const;
    int SpanEnd(int Index) const { return FSource[static_cast<size_t>(Index)] + 1; }
    TKvCaretFormat FormatAtSource(int Position) const;
    bool StateAt(const TMarks& Marks, TKvCaptionFormat F, int Index) const;
    QString ClosingEscapes(const QString& Text, bool SubscriptOn) const;
    void ToggleSelection(TKvCaptionFormat F);
    void ToggleAtCaret(TKvCaptionFormat F);
    QString Rebuild(const TMarks& Marks) const;
    bool BaseStyle(TKvCaptionFormat F) const;
    void MoveCaret(int Index, bool Extend);
    int WordStart(int Index) const;
    int WordEnd(int Index) const;
    int BoundaryAt(int X) const;
    int CharLeft(int Index) const;
    bool HandleFormatKey(const QKeyEvent* Event);
    bool HandleEditKey(const QKeyEvent* Event);
    bool IsOwnKey(const QKeyEvent* Event) const;

    QString FCaption;
    QString FPlain;
    std::vector<int> FSource; // source position of each visible character
    TMarks FMarks;            // per visible index: the format toggles before it
    TKvCaptionRec FMap;
    int FCaretIndex = 0;
    int FSelStart = -1;
    int FSelEnd = -1;
    int FAnchor = -1;
    int FPendingInsert = -1;
    bool FInsertMode = true;
    QString FEntryCaption;
    bool FChanged = false;
    int FScrollOffset = 0;
    int FMaxLength = DefaultMaxLength;
    int FDragFrom = -1;
    bool FDragMoved = false;
    TKvCaretFormat FReported;
};

} // namespace kv
