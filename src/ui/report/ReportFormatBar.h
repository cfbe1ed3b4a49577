#pragma once
// The formatting commands of the report window over the editor of the
// active page: font, size, colour, bold, italic, underline, strike-out,
// subscript, superscript and paragraph alignment. The check marks follow
// the format at the caret.

#include <QToolBar>

#include <map>

class QComboBox;
class QFontComboBox;
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

private:
    QAction* AddCommand(const QString& Name, const QString& Caption, const QString& Hint, bool Checkable,
                        const QKeySequence& Key = {});
    void ShowFormat();
    void Toggle(const QString& Name, bool On);
    void Align(Qt::Alignment Alignment);

    QTextEdit* FEditor = nullptr;
    QMetaObject::Connection FCaretConnection, FCursorConnection;
    QFontComboBox* FFontCombo = nullptr;
    QComboBox* FSizeCombo = nullptr;
    std::map<QString, QAction*> FActions;
    QList<QAction*> FCommands;
    bool FShowing = false;
};

} // namespace kv
