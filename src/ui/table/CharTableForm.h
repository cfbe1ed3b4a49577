#pragma once
// "Select Characters": a small floating window with every character of
// codes 33 to 254 of the current font, or of the symbol font, from which
// one is inserted into a caption editor.

#include <QPointer>
#include <QWidget>

class QPushButton;
class QTableWidget;

namespace kv {

class TKvCaptionEdit;

class TCharTableForm : public QWidget {
    Q_OBJECT

public:
    static constexpr int Columns = 12;
    static constexpr int Rows = 19;
    static constexpr int FirstCode = 33;
    static constexpr int LastCode = 254;

    explicit TCharTableForm(QWidget* Parent = nullptr);

    TKvCaptionEdit* TargetEdit() const { return FTargetEdit; }
    void SetTargetEdit(TKvCaptionEdit* Edit) { FTargetEdit = Edit; }
    // "Symbol" shows the symbol font's characters; any other name the
    // characters of that font.
    void SetCharFont(const QString& Name);
    bool SymbolFont() const { return FSymbol; }
    QTableWidget* Grid() const { return FGrid; }
    QPushButton* InsertButton() const { return FInsert; }

    // The code of a cell, 0 for the empty cells after the last code.
    static int CodeAt(int Row, int Column);
    // What a cell shows, and what inserting it puts into the caption.
    QString Shown(int Row, int Column) const;
    static QString CaptionCharacter(int Code);

    // Floats over Active, below the focused control, inside Active's right edge.
    void ShowOver(QWidget* Active, QWidget* Focused);
    void InsertCharacter(int Row, int Column);
    void InsertSelected();
    void CloseTable();

signals:
    void Hidden();

protected:
    void hideEvent(QHideEvent* Event) override;

private:
    void FillGrid();
    void ReturnFocus();

    QTableWidget* FGrid = nullptr;
    QPushButton* FInsert = nullptr;
    QPushButton* FClose = nullptr;
    QPointer<TKvCaptionEdit> FTargetEdit;
    QString FFontName = QStringLiteral("Arial");
    bool FSymbol = false;
};

} // namespace kv
