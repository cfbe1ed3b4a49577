#pragma once
// The formatting commands of the report window over the editor of the
// active page: font, size, colour, bold, italic, underline, strike-out,
// subscript, superscript, paragraph alignment, bullets and numbering,
// indent and outdent, the paragraph dialog and the two keep flags. The check marks follow the
// format at the caret.

#include <QToolBar>

#include <functional>
#include <map>

class QComboBox;
class QFontComboBox;
class QTextBlockFormat;
class QTextCharFormat;
class QTextEdit;

namespace kv {

class TReportFormatBar : public QToolBar {
    Q_OBJECT

public:
    explicit TReportFormatBar(QWidget* Parent = nullptr);
    ~TReportFormatBar() override;

    // The editor the commands act on; none disables them.
    void SetEditor(QTextEdit* Editor);
    QAction* Action(const QString& Name) const;
    QFontComboBox* FontCombo() const { return FFontCombo; }
    QComboBox* SizeCombo() const { return FSizeCombo; }
    // The commands, for a menu of their own.
    QList<QAction*> Commands() const { return FCommands; }

    // Applies a character format to the selection (or the word at the caret).
    void MergeFormat(const QTextCharFormat& Format);
    void SetFontSize(double Points);
    void ChooseColor();
    // Changes the format of every paragraph the selection touches.
    void ChangeParagraphs(const std::function<void(QTextBlockFormat&)>& Change);
    // Moves the paragraphs' left indent by Steps of IndentStep, never below 0.
    void Indent(int Steps);
    // The paragraph dialog's values given to the selected paragraphs.
    void ApplyParagraph(const QTextBlockFormat& Format);
    void EditParagraph();
    // Makes the selected paragraphs one bulleted or numbered list, or
    // takes them out of their lists.
    void SetList(bool Numbered, bool On);

    static constexpr double IndentStep = 36; // points, half an inch

private:
    QAction* AddCommand(const QString& Name, const QString& Caption, const QString& Hint, bool Checkable,
                        const QKeySequence& Key = {});
    void ShowFormat();
    void Toggle(const QString& Name, bool On);
    void Align(Qt::Alignment Alignment);
    void AddParagraphCommands();

    QTextEdit* FEditor = nullptr;
    QMetaObject::Connection FCaretConnection, FCursorConnection;
    QFontComboBox* FFontCombo = nullptr;
    QComboBox* FSizeCombo = nullptr;
    std::map<QString, QAction*> FActions;
    QList<QAction*> FCommands;
    bool FShowing = false;
};

} // namespace kv
