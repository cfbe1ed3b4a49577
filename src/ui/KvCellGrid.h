#pragma once
// A cell grid for large tables: locked top rows and one locked left column
// that never scroll, texts and attributes asked of the owner through
// callbacks for the visible cells only, a one-line cell editor, and
// rectangular selections of cells, rows and columns (Ctrl adds ranges).
//
// Rows scroll by whole rows, columns by pixels. The grid holds no cell data
// of its own, so a table of ten million rows paints as fast as one of ten.

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QString>

#include <functional>
#include <vector>

class QLineEdit;

namespace kv {

struct TKvGridCoord {
    int Row = -1;
    int Col = -1;
    bool IsValid() const { return Row >= 0 && Col >= 0; }
    friend bool operator==(const TKvGridCoord&, const TKvGridCoord&) = default;
};

// An inclusive rectangle of cells.
struct TKvGridRange {
    int Top = 0;
    int Left = 0;
    int Bottom = 0;
    int Right = 0;
    bool Contains(int Row, int Col) const { return Row >= Top && Row <= Bottom && Col >= Left && Col <= Right; }
    static TKvGridRange Spanning(TKvGridCoord A, TKvGridCoord B);
    friend bool operator==(const TKvGridRange&, const TKvGridRange&) = default;
};

struct TKvCellAttributes {
    QColor Background;
    QColor Foreground;
    QFont Font;
    Qt::Alignment Alignment = Qt::AlignRight | Qt::AlignVCenter;
    bool ReadOnly = false;
};

class TKvCellGrid : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr int MaxCellText = 255;

    explicit TKvCellGrid(QWidget* Parent = nullptr);
    ~TKvCellGrid() override;

    // Shape. Column 0 is locked; rows 0 to LockedRows-1 are locked.
    void SetColCount(int Count);
    int ColCount() const { return static_cast<int>(FColWidths.size()); }
    void SetRowCount(int Count);
    int RowCount() const { return FRowCount; }
    // The rows it takes to reach the bottom of the window.
    int RowsToFill() const;
    void SetLockedRows(int Count);
    int LockedRows() const { return FLockedRows; }
    void SetColWidth(int Col, int Width);
    int ColWidth(int Col) const;
    void SetRowHeight(int Height);
    int RowHeight() const { return FRowHeight; }

    // Callbacks of the owner. Unset callbacks give empty cells.
    std::function<QString(int Row, int Col)> OnGetCellData;
    std::function<void(int Row, int Col, TKvCellAttributes& Attributes)> OnGetCellAttributes;
    // Draws a locked cell itself; returns false to have the text drawn plainly.
    std::function<bool(QPainter& Painter, const QRect& Rect, int Row, int Col)> OnDrawLockedCell;
    // Called before an edit of a scrollable cell; may change the text the
    // editor starts with, or return false to refuse the edit.
    std::function<bool(int Row, int Col, QString& Text)> OnBeginEdit;
    std::function<void(int Row, int Col, const QString& Text)> OnDoneEdit;
    std::function<void(int Row, int Col, Qt::KeyboardModifiers Modifiers)> OnLockedCellClick;
    std::function<void()> OnActiveCellChanged;
    std::function<void()> OnSelectionChanged;
    // A cell whose text is wider than the cell asks for a shorter form of at
    // most MaxLength characters that still reads as the same value (a number
    // with fewer digits and its exponent kept). Without a form that fits,
    // the cell shows "#", never a number cut off at one side. A null answer
    // (or no callback) marks a plain text: it shows its beginning, clipped.
    std::function<QString(int Row, int Col, int MaxLength)> OnFitCellText;
    // A column's width was changed with the mouse (dragged or fitted).
    std::function<void(int Col, int Width)> OnColWidthChanged;
    // A typed character the cell editor does not accept (default: a beep).
    std::function<void()> OnRefusedCharacter;

    // Active cell and selection, in grid coordinates (locked rows included).
    TKvGridCoord ActiveCell() const { return FActive; }
    void SetActiveCell(int Row, int Col);
    const std::vector<TKvGridRange>& Selection() const { return FSelection; }
    bool HasSelection() const { return !FSelection.empty(); }
    bool IsSelected(int Row, int Col) const;
    void ClearSelection();
    void SelectRange(const TKvGridRange& Range, bool Extend);
    void SelectRow(int Row, bool Extend);
    void SelectColumn(int Col, bool Extend);
    void SelectAll();

    // Geometry, in viewport coordinates.
    TKvGridCoord CellAt(const QPoint& Position) const;
    QRect CellRect(int Row, int Col) const;
    int TopRow() const; // the first scrollable row shown
    void SetTopRow(int Row);
    int VisibleScrollableRows() const;
    void ScrollToCell(int Row, int Col);

    // The cell editor.
    QString EditorCharacters() const { return FEditorCharacters; }
    void SetEditorCharacters(const QString& Characters);
    bool IsEditing() const;
    QLineEdit* Editor() const { return FEditor; }
    bool BeginEdit(const QString* Replacement = nullptr);
    void EndEdit(bool Accept);

    // The text a cell shows in its present width (see OnFitCellText).
    QString ShownText(int Row, int Col) const;
    // The column border at a viewport position: the border between two
    // column letters (the last locked row) or right of the row numbers.
    // Returns the column left of it, or -1.
    int BorderAt(const QPoint& Position) const;
    // Widens or narrows a column to its widest visible text.
    void FitColumn(int Col);

    // How many cell texts the last paint asked for (tests and benchmarks).
    int LastPaintRequests() const { return FPaintRequests; }

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void scrollContentsBy(int Dx, int Dy) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    bool focusNextPrevChild(bool Next) override;

private:
    void UpdateScrollBars();
    int ScrollableWidth() const;
    int ColumnLeft(int Col) const; // viewport x of the column's left edge
    void PaintCell(QPainter& Painter, int Row, int Col, const QRect& Rect);
    TKvCellAttributes Attributes(int Row, int Col) const;
    QString FitText(const QString& Text, int Row, int Col, const QFont& Font, int Width) const;
    void RefuseCharacter();
    void MoveActive(int Rows, int Cols, bool ExtendSelection);
    void PlaceEditor();
    void ChangedSelection();

    std::vector<int> FColWidths;
    int FRowCount = 20;
    int FAskedRows = 20; // the owner's rows; FRowCount adds those filling the window
    int FLockedRows = 1;
    int FRowHeight = 21;
    TKvGridCoord FActive;
    TKvGridCoord FAnchor;
    std::vector<TKvGridRange> FSelection;
    bool FDragging = false;
    bool FDragAdds = false;
    int FResizeCol = -1; // the column whose border is dragged
    int FResizeStartX = 0;
    int FResizeStartWidth = 0;
    QString FEditorCharacters;
    QLineEdit* FEditor = nullptr; // owned by the viewport
    TKvGridCoord FEditCell;
    int FPaintRequests = 0;
};

} // namespace kv
