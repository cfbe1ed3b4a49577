#include "ReportFormatBar.h"

#include "ReportParagraphDialog.h"
#include "report/KvRtfDocument.h"

#include <QActionGroup>
#include <QColorDialog>
#include <QComboBox>
#include <QFontComboBox>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextList>

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

constexpr int Sizes[] = {6, 7, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

// A small glyph for a format command: its letter drawn in its own style.
QIcon LetterIcon(const QString& Letter, const QFont& Font)
{
    QPixmap Pixmap(20, 20);
    Pixmap.fill(Qt::transparent);
    QPainter P(&Pixmap);
    P.setFont(Font);
    P.drawText(Pixmap.rect(), Qt::AlignCenter, Letter);
    return QIcon(Pixmap);
}

} // namespace

TReportFormatBar::TReportFormatBar(QWidget* Parent) : QToolBar("Format", Parent)
{
    setObjectName("FormatBar");
    FFontCombo = new QFontComboBox(this);
    FFontCombo->setToolTip("Font");
    FSizeCombo = new QComboBox(this);
    FSizeCombo->setEditable(true);
    FSizeCombo->setToolTip("Font size");
    for (int S : Sizes)
        FSizeCombo->addItem(QString::number(S));
    FSizeCombo->setMinimumContentsLength(3);
    addWidget(FFontCombo);
    addWidget(FSizeCombo);
    // Only the user's choice formats the text: the combo also changes its
    // font by itself (when it fills its list or shows the caret's font),
    // and such a change must not touch, or mark as edited, the document.
    connect(FFontCombo, &QComboBox::activated, this, [this] {
        QTextCharFormat F;
        F.setFontFamilies({FFontCombo->currentFont().family()});
        MergeFormat(F);
    });
    connect(FSizeCombo, &QComboBox::textActivated, this, [this](const QString& Text) {
        bool Ok = false;
        const double Points = Text.toDouble(&Ok);
        if (Ok)
            SetFontSize(Points);
    });

    QFont Bold, Italic, Underline, Strike;
    Bold.setBold(true);
    Italic.setItalic(true);
    Underline.setUnderline(true);
    Strike.setStrikeOut(true);
    const struct {
        const char *Name, *Caption, *Hint, *Letter;
        QFont Font;
        QKeySequence Key;
    } Toggles[] = {
        {"Bold", "&Bold", "Bold", "B", Bold, QKeySequence::Bold},
        {"Italic", "&Italic", "Italic", "I", Italic, QKeySequence::Italic},
        {"Underline", "&Underline", "Underline", "U", Underline, QKeySequence::Underline},
        {"StrikeOut", "&Strike Out", "Strike out", "S", Strike, {}},
        {"Superscript", "Su&perscript", "Superscript", "x²", QFont(), {}},
        {"Subscript", "Su&bscript", "Subscript", "x₂", QFont(), {}},
    };
    addSeparator();
    for (const auto& T : Toggles) {
        QAction* A = AddCommand(T.Name, T.Caption, T.Hint, true, T.Key);
        A->setIcon(LetterIcon(T.Letter, T.Font));
        connect(A, &QAction::triggered, this, [this, Name = QString(T.Name)](bool On) { Toggle(Name, On); });
        addAction(A);
    }
    QAction* Color = AddCommand("Color", "&Colour...", "Text colour", false);
    Color->setIcon(LetterIcon("A", Bold));
    connect(Color, &QAction::triggered, this, &TReportFormatBar::ChooseColor);
    addAction(Color);

    addSeparator();
    auto* Group = new QActionGroup(this);
    const struct {
        const char *Name, *Caption, *Letter;
        Qt::Alignment Alignment;
    } Alignments[] = {{"AlignLeft", "Align &Left", "⇤", Qt::AlignLeft},
                      {"AlignCenter", "&Center", "↔", Qt::AlignHCenter},
                      {"AlignRight", "Align &Right", "⇥", Qt::AlignRight},
                      {"AlignJustify", "&Justify", "≡", Qt::AlignJustify}};
    for (const auto& Al : Alignments) {
        QAction* A = AddCommand(Al.Name, Al.Caption, QString(Al.Caption).remove('&'), true);
        A->setIcon(LetterIcon(Al.Letter, QFont()));
        Group->addAction(A);
        connect(A, &QAction::triggered, this, [this, Alignment = Al.Alignment] { Align(Alignment); });
        addAction(A);
    }
    AddParagraphCommands();
    SetEditor(nullptr);
}

void TReportFormatBar::AddParagraphCommands()
{
    for (const bool Numbered : {false, true}) {
        QAction* A = AddCommand(Numbered ? "Numbering" : "Bullets", Numbered ? "&Numbering" : "B&ullets",
                                Numbered ? "Number the paragraphs" : "Put a bullet before the paragraphs", true);
        A->setIcon(LetterIcon(Numbered ? "1." : "•", QFont()));
        connect(A, &QAction::triggered, this, [this, Numbered](bool On) { SetList(Numbered, On); });
        addAction(A);
    }
    QAction* In = AddCommand("Indent", "&Indent", "Move the paragraph's left edge to the right", false);
    In->setIcon(LetterIcon("→", QFont()));
    connect(In, &QAction::triggered, this, [this] { Indent(1); });
    QAction* Out = AddCommand("Outdent", "&Outdent", "Move the paragraph's left edge to the left", false);
    Out->setIcon(LetterIcon("←", QFont()));
    connect(Out, &QAction::triggered, this, [this] { Indent(-1); });
    addAction(Out);
    addAction(In);
    connect(AddCommand("Paragraph", "P&aragraph...", "Indents, spacing and alignment of the paragraph", false),
            &QAction::triggered, this, &TReportFormatBar::EditParagraph);
    connect(AddCommand("KeepTogether", "Keep Paragraph Together", "Do not break the paragraph across pages", true),
            &QAction::triggered, this, [this](bool On) {
                ChangeParagraphs([On](QTextBlockFormat& F) { F.setNonBreakableLines(On); });
            });
    connect(AddCommand("KeepWithNext", "Keep together with next Paragraph",
                       "Print the paragraph on the page of the next one", true),
            &QAction::triggered, this, [this](bool On) {
                ChangeParagraphs([On](QTextBlockFormat& F) {
                    if (On)
                        F.setProperty(RpKeepWithNext, true);
                    else
                        F.clearProperty(RpKeepWithNext);
                });
            });
}

TReportFormatBar::~TReportFormatBar() = default;

QAction* TReportFormatBar::AddCommand(const QString& Name, const QString& Caption, const QString& Hint,
                                      bool Checkable, const QKeySequence& Key)
{
    auto* A = new QAction(Caption, this);
    A->setObjectName(Name);
    A->setToolTip(Hint);
    A->setStatusTip(Hint);
    A->setCheckable(Checkable);
    A->setShortcut(Key);
    FActions[Name] = A;
    FCommands << A;
    return A;
}

QAction* TReportFormatBar::Action(const QString& Name) const
{
    const auto It = FActions.find(Name);
    return It == FActions.end() ? nullptr : It->second;
}

void TReportFormatBar::SetEditor(QTextEdit* Editor)
{
    disconnect(FCaretConnection);
    disconnect(FCursorConnection);
    FEditor = Editor;
    setEnabled(Editor != nullptr);
    if (!Editor)
        return;
    FCaretConnection = connect(Editor, &QTextEdit::currentCharFormatChanged, this, [this] { ShowFormat(); });
    FCursorConnection = connect(Editor, &QTextEdit::cursorPositionChanged, this, [this] { ShowFormat(); });
    ShowFormat();
}

void TReportFormatBar::MergeFormat(const QTextCharFormat& Format)
{
    if (!FEditor || FShowing)
        return;
    FEditor->mergeCurrentCharFormat(Format);
    FEditor->setFocus();
}

void TReportFormatBar::SetFontSize(double Points)
{
    if (Points < 6 || Points > 72)
        return;
    QTextCharFormat F;
    F.setFontPointSize(Points);
    MergeFormat(F);
}

void TReportFormatBar::ChooseColor()
{
    if (!FEditor)
        return;
    const QColor Color = QColorDialog::getColor(FEditor->textColor(), this, "Text colour");
    if (!Color.isValid())
        return;
    QTextCharFormat F;
    F.setForeground(Color);
    MergeFormat(F);
}

void TReportFormatBar::Toggle(const QString& Name, bool On)
{
    QTextCharFormat F;
    if (Name == "Bold")
        F.setFontWeight(On ? QFont::Bold : QFont::Normal);
    else if (Name == "Italic")
        F.setFontItalic(On);
    else if (Name == "Underline")
        F.setFontUnderline(On);
    else if (Name == "StrikeOut")
        F.setFontStrikeOut(On);
    else
        F.setVerticalAlignment(!On                    ? QTextCharFormat::AlignNormal
                               : Name == "Subscript" ? QTextCharFormat::AlignSubScript
                                                     : QTextCharFormat::AlignSuperScript);
    MergeFormat(F);
    ShowFormat();
}

void TReportFormatBar::Align(Qt::Alignment Alignment)
{
    if (!FEditor)
        return;
    FEditor->setAlignment(Alignment);
    FEditor->setFocus();
}

void TReportFormatBar::ChangeParagraphs(const std::function<void(QTextBlockFormat&)>& Change)
{
    if (!FEditor || FShowing)
        return;
    const QTextCursor Selection = FEditor->textCursor();
    QTextDocument* D = FEditor->document();
    QTextBlock B = D->findBlock(Selection.selectionStart());
    const QTextBlock Last = D->findBlock(Selection.selectionEnd());
    QTextCursor C(D);
    C.beginEditBlock();
    for (;; B = B.next()) {
        QTextBlockFormat F = B.blockFormat();
        Change(F);
        C.setPosition(B.position());
        C.setBlockFormat(F);
        if (B == Last || !B.next().isValid())
            break;
    }
    C.endEditBlock();
    FEditor->setFocus();
    ShowFormat();
}

void TReportFormatBar::Indent(int Steps)
{
    ChangeParagraphs([Steps](QTextBlockFormat& F) {
        // from the step below or at the margin, so uneven indents line up again
        const double Level = Steps > 0 ? std::floor(F.leftMargin() / IndentStep + 1e-6)
                                       : std::ceil(F.leftMargin() / IndentStep - 1e-6);
        F.setLeftMargin(std::max(0.0, (Level + Steps) * IndentStep));
    });
}

// A list item's marker stands in the indent before its text, so a
// paragraph at the margin is indented a step to make room for it.
void TReportFormatBar::SetList(bool Numbered, bool On)
{
    if (!FEditor || FShowing)
        return;
    QTextListFormat Format;
    Format.setStyle(Numbered ? QTextListFormat::ListDecimal : QTextListFormat::ListDisc);
    Format.setIndent(0);
    QTextList* List = nullptr;
    const QTextCursor Selection = FEditor->textCursor();
    QTextDocument* D = FEditor->document();
    const QTextBlock Last = D->findBlock(Selection.selectionEnd());
    QTextCursor C(D);
    C.beginEditBlock();
    for (QTextBlock B = D->findBlock(Selection.selectionStart()); B.isValid(); B = B.next()) {
        if (QTextList* Old = B.textList())
            Old->remove(B);
        C.setPosition(B.position());
        if (On && B.blockFormat().leftMargin() < IndentStep) {
            QTextBlockFormat F = B.blockFormat();
            F.setLeftMargin(IndentStep);
            C.setBlockFormat(F);
        }
        if (On && List)
            List->add(B);
        else if (On)
            List = C.createList(Format);
        if (B == Last)
            break;
    }
    C.endEditBlock();
    FEditor->setFocus();
    ShowFormat();
}

void TReportFormatBar::ApplyParagraph(const QTextBlockFormat& Format)
{
    ChangeParagraphs([&Format](QTextBlockFormat& F) { F.merge(Format); });
}

void TReportFormatBar::EditParagraph()
{
    if (!FEditor)
        return;
    TReportParagraphDialog Dialog(this);
    Dialog.SetFormat(FEditor->textCursor().blockFormat());
    if (Dialog.exec() == QDialog::Accepted)
        ApplyParagraph(Dialog.Format());
}

// The controls show the format at the caret without applying it again.
void TReportFormatBar::ShowFormat()
{
    if (!FEditor)
        return;
    FShowing = true;
    QTextCharFormat F = FEditor->currentCharFormat();
    if (!F.hasProperty(QTextFormat::FontPointSize)) {
        // at the start of a paragraph: the format of the text that follows
        QTextCursor C = FEditor->textCursor();
        C.clearSelection();
        C.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
        if (C.hasSelection())
            F = C.charFormat();
    }
    const QFont Font = F.font();
    Action("Bold")->setChecked(Font.bold());
    Action("Italic")->setChecked(Font.italic());
    Action("Underline")->setChecked(Font.underline());
    Action("StrikeOut")->setChecked(Font.strikeOut());
    Action("Superscript")->setChecked(F.verticalAlignment() == QTextCharFormat::AlignSuperScript);
    Action("Subscript")->setChecked(F.verticalAlignment() == QTextCharFormat::AlignSubScript);
    const QStringList Families = F.fontFamilies().toStringList();
    if (!Families.isEmpty())
        FFontCombo->setCurrentFont(QFont(Families.front()));
    const double Points = F.fontPointSize() > 0 ? F.fontPointSize() : FEditor->document()->defaultFont().pointSizeF();
    FSizeCombo->setEditText(QString::number(Points));
    const Qt::Alignment A = FEditor->alignment();
    Action("AlignLeft")->setChecked(A & Qt::AlignLeft);
    Action("AlignCenter")->setChecked(A & Qt::AlignHCenter);
    Action("AlignRight")->setChecked(A & Qt::AlignRight);
    Action("AlignJustify")->setChecked(A & Qt::AlignJustify);
    const QTextBlockFormat Block = FEditor->textCursor().blockFormat();
    const QTextList* List = FEditor->textCursor().currentList();
    Action("Bullets")->setChecked(List && IsBulletList(List->format().style()));
    Action("Numbering")->setChecked(List && !IsBulletList(List->format().style()));
    Action("KeepTogether")->setChecked(Block.nonBreakableLines());
    Action("KeepWithNext")->setChecked(Block.boolProperty(RpKeepWithNext));
    FShowing = false;
}

} // namespace kv
