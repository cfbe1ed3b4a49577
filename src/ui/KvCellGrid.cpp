#include "KvCellGrid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QScrollBar>

#include <algorithm>
#include <cstdlib>

namespace kv {

namespace {
// Texts are drawn inside the cell with these margins.
constexpr int TextMarginLeft = 3;
constexpr int TextMarginRight = 4;
constexpr int TextMargins = TextMarginLeft + TextMarginRight;
// How far from a column border the mouse grips it.
constexpr int BorderGrip = 3;
constexpr int MinDraggedWidth = 8;
constexpr int MinFittedWidth = 24;
} // namespace

TKvGridRange TKvGridRange::Spanning(TKvGridCoord A, TKvGridCoord B)
{
    return {std::min(A.Row, B.Row), std::min(A.Col, B.Col), std::max(A.Row, B.Row), std::max(A.Col, B.Col)};
}

TKvCellGrid::TKvCellGrid(QWidget* Parent) : QAbstractScrollArea(Parent), FColWidths(27, 80)
{
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    FEditor = new QLineEdit(viewport());
    FEditor->setFrame(false);
    FEditor->setMaxLength(MaxCellText);
    FEditor->hide();
    FEditor->installEventFilter(this);
    SetEditorCharacters("+-0123456789Ee.");
    FActive = {FLockedRows, 1};
    FAnchor = FActive;
    UpdateScrollBars();
}

TKvCellGrid::~TKvCellGrid() = default;

// ---------------------------------------------------------------- shape

void TKvCellGrid::SetColCount(int Count)
{
    Count = std::max(Count, 2);
    FColWidths.resize(static_cast<size_t>(Count), 80);
    FActive.Col = std::min(FActive.Col, Count - 1);
    UpdateScrollBars();
    viewport()->update();
}

// The grid fills its window: below the owner's rows come empty ones down
// to the bottom edge, never a grey area.
int TKvCellGrid::RowsToFill() const
{
    const int Free = viewport()->height() - FLockedRows * FRowHeight;
    return FLockedRows + std::max((Free + FRowHeight - 1) / FRowHeight, 1);
}

void TKvCellGrid::SetRowCount(int Count)
{
    FAskedRows = Count;
    FRowCount = std::max({Count, FLockedRows + 1, RowsToFill()});
    FActive.Row = std::min(FActive.Row, FRowCount - 1);
    UpdateScrollBars();
    viewport()->update();
}

void TKvCellGrid::SetLockedRows(int Count)
{
    const int Shift = Count - FLockedRows;
    FLockedRows = std::max(Count, 0);
    FRowCount = std::max(FRowCount, FLockedRows + 1);
    // The data cell the user works in stays the same cell.
    FActive.Row = std::clamp(FActive.Row + Shift, FLockedRows, FRowCount - 1);
    FAnchor = FActive;
    FSelection.clear();
    UpdateScrollBars();
    viewport()->update();
}

void TKvCellGrid::SetColWidth(int Col, int Width)
{
    if (Col < 0 || Col >= ColCount())
        return;
    FColWidths[static_cast<size_t>(Col)] = std::max(Width, 4);
    UpdateScrollBars();
    viewport()->update();
}

int TKvCellGrid::ColWidth(int Col) const
{
    return Col >= 0 && Col < ColCount() ? FColWidths[static_cast<size_t>(Col)] : 0;
}

void TKvCellGrid::SetRowHeight(int Height)
{
    FRowHeight = std::max(Height, 4);
    UpdateScrollBars();
    viewport()->update();
}

int TKvCellGrid::ScrollableWidth() const
{
    int Width = 0;
    for (size_t c = 1; c < FColWidths.size(); ++c)
        Width += FColWidths[c];
    return Width;
}

int TKvCellGrid::VisibleScrollableRows() const
{
    const int Free = viewport()->height() - FLockedRows * FRowHeight;
    return std::max(Free / FRowHeight, 1);
}

void TKvCellGrid::UpdateScrollBars()
{
    // the rows that only fill the window scroll nothing
    const int Scrollable = std::max(FAskedRows, FLockedRows + 1) - FLockedRows;
    verticalScrollBar()->setRange(0, std::max(Scrollable - VisibleScrollableRows(), 0));
    verticalScrollBar()->setPageStep(VisibleScrollableRows());
    verticalScrollBar()->setSingleStep(1);
    const int FreeWidth = viewport()->width() - ColWidth(0);
    horizontalScrollBar()->setRange(0, std::max(ScrollableWidth() - FreeWidth, 0));
    horizontalScrollBar()->setPageStep(std::max(FreeWidth, 1));
    horizontalScrollBar()->setSingleStep(20);
    PlaceEditor();
}

int TKvCellGrid::TopRow() const { return FLockedRows + verticalScrollBar()->value(); }

void TKvCellGrid::SetTopRow(int Row) { verticalScrollBar()->setValue(Row - FLockedRows); }

// ---------------------------------------------------------------- geometry

int TKvCellGrid::ColumnLeft(int Col) const
{
    if (Col == 0)
        return 0;
    int X = ColWidth(0) - horizontalScrollBar()->value();
    for (int c = 1; c < Col; ++c)
        X += FColWidths[static_cast<size_t>(c)];
    return X;
}

QRect TKvCellGrid::CellRect(int Row, int Col) const
{
    if (Row < 0 || Row >= FRowCount || Col < 0 || Col >= ColCount())
        return {};
    int Y;
    if (Row < FLockedRows)
        Y = Row * FRowHeight;
    else
        Y = (FLockedRows + Row - TopRow()) * FRowHeight;
    return {ColumnLeft(Col), Y, ColWidth(Col), FRowHeight};
}

TKvGridCoord TKvCellGrid::CellAt(const QPoint& Position) const
{
    if (Position.x() < 0 || Position.y() < 0)
        return {};
    TKvGridCoord C;
    const int Slot = Position.y() / FRowHeight;
    C.Row = Slot < FLockedRows ? Slot : TopRow() + Slot - FLockedRows;
    if (C.Row >= FRowCount)
        return {};
    if (Position.x() < ColWidth(0)) {
        C.Col = 0;
        return C;
    }
    int X = ColWidth(0) - horizontalScrollBar()->value();
    for (int c = 1; c < ColCount(); ++c) {
        X += FColWidths[static_cast<size_t>(c)];
        if (Position.x() < X) {
            C.Col = c;
            return C;
        }
    }
    return {};
}

void TKvCellGrid::ScrollToCell(int Row, int Col)
{
    if (Row >= FLockedRows) {
        if (Row < TopRow())
            SetTopRow(Row);
        else if (Row >= TopRow() + VisibleScrollableRows())
            SetTopRow(Row - VisibleScrollableRows() + 1);
    }
    if (Col >= 1) {
        const int Left = ColumnLeft(Col);
        const int Right = Left + ColWidth(Col);
        auto* H = horizontalScrollBar();
        if (Left < ColWidth(0))
            H->setValue(H->value() - (ColWidth(0) - Left));
        else if (Right > viewport()->width())
            H->setValue(H->value() + std::min(Right - viewport()->width(), Left - ColWidth(0)));
    }
}

// ---------------------------------------------------------------- painting

void TKvCellGrid::paintEvent(QPaintEvent* Event)
{
    QPainter Painter(viewport());
    Painter.setClipRegion(Event->region());
    FPaintRequests = 0;
    const int Width = viewport()->width();
    const int Height = viewport()->height();
    const int LastRow = std::min(FRowCount - 1, TopRow() + VisibleScrollableRows());
    // Scrollable part first, then the locked column and rows over it.
    Painter.save();
    Painter.setClipRect(QRect(ColWidth(0), FLockedRows * FRowHeight, Width, Height), Qt::IntersectClip);
    for (int Row = TopRow(); Row <= LastRow; ++Row)
        for (int Col = 1; Col < ColCount(); ++Col) {
            const QRect R = CellRect(Row, Col);
            if (R.left() >= Width)
                break;
            if (R.right() >= ColWidth(0))
                PaintCell(Painter, Row, Col, R);
        }
    Painter.restore();
    Painter.save();
    Painter.setClipRect(QRect(0, FLockedRows * FRowHeight, ColWidth(0), Height), Qt::IntersectClip);
    for (int Row = TopRow(); Row <= LastRow; ++Row)
        PaintCell(Painter, Row, 0, CellRect(Row, 0));
    Painter.restore();
    for (int Row = 0; Row < FLockedRows; ++Row) {
        for (int Col = 1; Col < ColCount(); ++Col) {
            const QRect R = CellRect(Row, Col);
            if (R.left() >= Width)
                break;
            if (R.right() >= ColWidth(0)) {
                Painter.save();
                Painter.setClipRect(QRect(ColWidth(0), 0, Width, Height), Qt::IntersectClip);
                PaintCell(Painter, Row, Col, R);
                Painter.restore();
            }
        }
        PaintCell(Painter, Row, 0, CellRect(Row, 0));
    }
    // Below the last row and right of the last column: the window colour.
    const int Bottom = (FLockedRows + LastRow - TopRow() + 1) * FRowHeight;
    if (Bottom < Height)
        Painter.fillRect(QRect(0, Bottom, Width, Height - Bottom), palette().window());
    const int Right = ColumnLeft(ColCount() - 1) + ColWidth(ColCount() - 1);
    if (Right < Width)
        Painter.fillRect(QRect(Right, 0, Width - Right, Bottom), palette().window());
}

TKvCellAttributes TKvCellGrid::Attributes(int Row, int Col) const
{
    const bool Locked = Row < FLockedRows || Col == 0;
    TKvCellAttributes A;
    A.Font = font();
    A.Background = Locked ? palette().button().color() : palette().base().color();
    A.Foreground = palette().text().color();
    A.Alignment = Qt::AlignRight | Qt::AlignVCenter;
    if (OnGetCellAttributes)
        OnGetCellAttributes(Row, Col, A);
    return A;
}

QString TKvCellGrid::FitText(const QString& Text, int Row, int Col, const QFont& Font, int Width) const
{
    const QFontMetrics Metrics(Font);
    if (Text.isEmpty() || !OnFitCellText || Metrics.horizontalAdvance(Text) <= Width)
        return Text;
    // Digits are about equally wide: start near the length that fits.
    const int Digit = std::max(Metrics.horizontalAdvance(QLatin1Char('0')), 1);
    const int Start = std::min(static_cast<int>(Text.size()) - 1, std::max(Width, 0) / Digit + 2);
    for (int Length = Start; Length >= 1; --Length) {
        const QString Short = OnFitCellText(Row, Col, Length);
        if (Short.isNull())
            return Text;
        if (Short.size() <= Length && Metrics.horizontalAdvance(Short) <= Width)
            return Short;
    }
    return QStringLiteral("#");
}

QString TKvCellGrid::ShownText(int Row, int Col) const
{
    if (!OnGetCellData || Row < 0 || Row >= FRowCount || Col < 0 || Col >= ColCount())
        return {};
    QString Text = OnGetCellData(Row, Col);
    Text.truncate(MaxCellText);
    return FitText(Text, Row, Col, Attributes(Row, Col).Font, ColWidth(Col) - TextMargins);
}

void TKvCellGrid::PaintCell(QPainter& Painter, int Row, int Col, const QRect& Rect)
{
    const bool Locked = Row < FLockedRows || Col == 0;
    const TKvCellAttributes A = Attributes(Row, Col);
    const bool Active = Row == FActive.Row && Col == FActive.Col;
    const bool Highlight = !Locked && (Active || IsSelected(Row, Col));
    Painter.fillRect(Rect, Highlight ? palette().highlight().color() : A.Background);
    Painter.setPen(palette().mid().color());
    Painter.drawLine(Rect.topRight(), Rect.bottomRight());
    Painter.drawLine(Rect.bottomLeft(), Rect.bottomRight());
    if (Locked && OnDrawLockedCell && OnDrawLockedCell(Painter, Rect, Row, Col))
        return;
    if (!OnGetCellData)
        return;
    ++FPaintRequests;
    QString Text = OnGetCellData(Row, Col);
    if (Text.isEmpty())
        return;
    Text.truncate(MaxCellText);
    Painter.setFont(A.Font);
    Painter.setPen(Highlight ? palette().highlightedText().color() : A.Foreground);
    const QRect TextRect = Rect.adjusted(TextMarginLeft, 0, -TextMarginRight, 0);
    Text = FitText(Text, Row, Col, A.Font, TextRect.width());
    // A text still wider than its cell shows its beginning, clipped at the right.
    int Alignment = static_cast<int>(A.Alignment);
    if ((Alignment & (Qt::AlignRight | Qt::AlignHCenter)) &&
        QFontMetrics(A.Font).horizontalAdvance(Text) > TextRect.width())
        Alignment = (Alignment & ~Qt::AlignHorizontal_Mask) | Qt::AlignLeft;
    Painter.drawText(TextRect, Alignment, Text);
    if (Active && hasFocus()) {
        Painter.setPen(QPen(palette().highlightedText().color(), 1, Qt::DotLine));
        Painter.drawRect(Rect.adjusted(1, 1, -2, -2));
    }
}

void TKvCellGrid::resizeEvent(QResizeEvent* Event)
{
    QAbstractScrollArea::resizeEvent(Event);
    FRowCount = std::max({FAskedRows, FLockedRows + 1, RowsToFill()});
    FActive.Row = std::min(FActive.Row, FRowCount - 1);
    UpdateScrollBars();
}

void TKvCellGrid::scrollContentsBy(int, int)
{
    PlaceEditor();
    viewport()->update();
}

// ---------------------------------------------------------------- selection

bool TKvCellGrid::IsSelected(int Row, int Col) const
{
    return std::any_of(FSelection.begin(), FSelection.end(),
                       [&](const TKvGridRange& R) { return R.Contains(Row, Col); });
}

void TKvCellGrid::ChangedSelection()
{
    viewport()->update();
    if (OnSelectionChanged)
        OnSelectionChanged();
}

void TKvCellGrid::ClearSelection()
{
    if (FSelection.empty())
        return;
    FSelection.clear();
    ChangedSelection();
}

void TKvCellGrid::SelectRange(const TKvGridRange& Range, bool Extend)
{
    TKvGridRange R = Range;
    R.Top = std::clamp(R.Top, FLockedRows, FRowCount - 1);
    R.Bottom = std::clamp(R.Bottom, R.Top, FRowCount - 1);
    R.Left = std::clamp(R.Left, 1, ColCount() - 1);
    R.Right = std::clamp(R.Right, R.Left, ColCount() - 1);
    if (!Extend)
        FSelection.clear();
    FSelection.push_back(R);
    ChangedSelection();
}

void TKvCellGrid::SelectRow(int Row, bool Extend) { SelectRange({Row, 1, Row, ColCount() - 1}, Extend); }

void TKvCellGrid::SelectColumn(int Col, bool Extend)
{
    SelectRange({FLockedRows, Col, FRowCount - 1, Col}, Extend);
}

void TKvCellGrid::SelectAll() { SelectRange({FLockedRows, 1, FRowCount - 1, ColCount() - 1}, false); }

void TKvCellGrid::SetActiveCell(int Row, int Col)
{
    if (IsEditing())
        EndEdit(true);
    Row = std::clamp(Row, FLockedRows, FRowCount - 1);
    Col = std::clamp(Col, 1, ColCount() - 1);
    const bool Changed = FActive != TKvGridCoord{Row, Col};
    FActive = {Row, Col};
    FAnchor = FActive;
    ScrollToCell(Row, Col);
    viewport()->update();
    if (Changed && OnActiveCellChanged)
        OnActiveCellChanged();
}

void TKvCellGrid::MoveActive(int Rows, int Cols, bool ExtendSelection)
{
    const TKvGridCoord Anchor = FAnchor;
    const std::vector<TKvGridRange> Kept = FSelection;
    SetActiveCell(FActive.Row + Rows, FActive.Col + Cols);
    if (!ExtendSelection) {
        ClearSelection();
        return;
    }
    FAnchor = Anchor;
    FSelection = Kept;
    if (!FSelection.empty())
        FSelection.pop_back();
    SelectRange(TKvGridRange::Spanning(FAnchor, FActive), true);
}

// ---------------------------------------------------------------- mouse

void TKvCellGrid::mousePressEvent(QMouseEvent* Event)
{
    if (Event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(Event);
        return;
    }
    setFocus();
    const int Border = BorderAt(Event->position().toPoint());
    if (Border >= 0) {
        FResizeCol = Border;
        FResizeStartX = Event->position().toPoint().x();
        FResizeStartWidth = ColWidth(Border);
        return;
    }
    const TKvGridCoord C = CellAt(Event->position().toPoint());
    if (!C.IsValid())
        return;
    const Qt::KeyboardModifiers Mods = Event->modifiers();
    if (C.Row < FLockedRows || C.Col == 0) {
        if (OnLockedCellClick)
            OnLockedCellClick(C.Row, C.Col, Mods);
        return;
    }
    if (Mods & Qt::ShiftModifier) {
        const TKvGridCoord Anchor = FAnchor;
        SetActiveCell(C.Row, C.Col);
        FAnchor = Anchor;
        SelectRange(TKvGridRange::Spanning(FAnchor, FActive), false);
        return;
    }
    FDragAdds = Mods & Qt::ControlModifier;
    if (!FDragAdds)
        ClearSelection();
    SetActiveCell(C.Row, C.Col);
    FDragging = true;
}

void TKvCellGrid::mouseMoveEvent(QMouseEvent* Event)
{
    const QPoint Position = Event->position().toPoint();
    if (FResizeCol >= 0) {
        SetColWidth(FResizeCol, std::max(FResizeStartWidth + Position.x() - FResizeStartX, MinDraggedWidth));
        return;
    }
    if (!(Event->buttons() & Qt::LeftButton)) {
        // The owner may have set a cursor of its own for this position.
        if (BorderAt(Position) >= 0)
            viewport()->setCursor(Qt::SplitHCursor);
        else if (viewport()->cursor().shape() == Qt::SplitHCursor)
            viewport()->unsetCursor();
    }
    if (!FDragging || !(Event->buttons() & Qt::LeftButton))
        return;
    const TKvGridCoord C = CellAt(Position);
    if (!C.IsValid() || C.Row < FLockedRows || C.Col == 0 || C == FActive)
        return;
    const TKvGridCoord Anchor = FAnchor;
    const bool Started = FDragAdds || !FSelection.empty();
    FActive = C;
    ScrollToCell(C.Row, C.Col);
    if (Started && !FSelection.empty() && !FDragAdds)
        FSelection.pop_back();
    else if (FDragAdds && !FSelection.empty() && FSelection.back().Contains(Anchor.Row, Anchor.Col))
        FSelection.pop_back();
    FAnchor = Anchor;
    SelectRange(TKvGridRange::Spanning(FAnchor, FActive), true);
}

void TKvCellGrid::mouseReleaseEvent(QMouseEvent*)
{
    FDragging = false;
    if (FResizeCol < 0)
        return;
    const int Col = FResizeCol;
    FResizeCol = -1;
    if (ColWidth(Col) != FResizeStartWidth && OnColWidthChanged)
        OnColWidthChanged(Col, ColWidth(Col));
}

void TKvCellGrid::mouseDoubleClickEvent(QMouseEvent* Event)
{
    const int Border = BorderAt(Event->position().toPoint());
    if (Border >= 0) {
        FitColumn(Border);
        return;
    }
    const TKvGridCoord C = CellAt(Event->position().toPoint());
    if (C.IsValid() && C.Row >= FLockedRows && C.Col > 0)
        BeginEdit();
}

int TKvCellGrid::BorderAt(const QPoint& Position) const
{
    const int Top = (FLockedRows - 1) * FRowHeight;
    if (FLockedRows < 1 || Position.y() < Top || Position.y() >= Top + FRowHeight)
        return -1;
    if (std::abs(Position.x() - ColWidth(0)) <= BorderGrip)
        return 0;
    for (int Col = 1; Col < ColCount(); ++Col) {
        const int Right = ColumnLeft(Col) + ColWidth(Col);
        if (Right - BorderGrip > viewport()->width())
            break;
        // A border hidden under the row numbers cannot be gripped.
        if (Right > ColWidth(0) + BorderGrip && std::abs(Position.x() - Right) <= BorderGrip)
            return Col;
    }
    return -1;
}

void TKvCellGrid::FitColumn(int Col)
{
    if (Col < 0 || Col >= ColCount() || !OnGetCellData)
        return;
    int Widest = 0;
    auto Measure = [&](int Row) {
        QString Text = OnGetCellData(Row, Col);
        Text.truncate(MaxCellText);
        if (!Text.isEmpty())
            Widest = std::max(Widest, QFontMetrics(Attributes(Row, Col).Font).horizontalAdvance(Text));
    };
    for (int Row = 0; Row < FLockedRows; ++Row)
        Measure(Row);
    const int LastRow = std::min(FRowCount - 1, TopRow() + VisibleScrollableRows());
    for (int Row = TopRow(); Row <= LastRow; ++Row)
        Measure(Row);
    const int Width = std::max(Widest + TextMargins + 1, MinFittedWidth);
    if (Width == ColWidth(Col))
        return;
    SetColWidth(Col, Width);
    if (OnColWidthChanged)
        OnColWidthChanged(Col, ColWidth(Col));
}

// ---------------------------------------------------------------- keyboard

void TKvCellGrid::keyPressEvent(QKeyEvent* Event)
{
    const bool Shift = Event->modifiers() & Qt::ShiftModifier;
    const bool Ctrl = Event->modifiers() & Qt::ControlModifier;
    switch (Event->key()) {
    case Qt::Key_Up: MoveActive(-1, 0, Shift); return;
    case Qt::Key_Down: MoveActive(1, 0, Shift); return;
    case Qt::Key_Left: MoveActive(0, -1, Shift); return;
    case Qt::Key_Right: MoveActive(0, 1, Shift); return;
    case Qt::Key_PageUp:
        if (!Ctrl) {
            MoveActive(-VisibleScrollableRows(), 0, Shift);
            return;
        }
        break;
    case Qt::Key_PageDown:
        if (!Ctrl) {
            MoveActive(VisibleScrollableRows(), 0, Shift);
            return;
        }
        break;
    case Qt::Key_Home:
        if (!Ctrl) {
            MoveActive(0, 1 - FActive.Col, Shift);
            return;
        }
        break;
    case Qt::Key_End:
        if (!Ctrl) {
            MoveActive(0, ColCount() - 1 - FActive.Col, Shift);
            return;
        }
        break;
    case Qt::Key_Tab: MoveActive(0, 1, false); return;
    case Qt::Key_Backtab: MoveActive(0, -1, false); return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F2: BeginEdit(); return;
    default: break;
    }
    const QString Text = Event->text();
    const bool Alt = Event->modifiers() & Qt::AltModifier;
    if (!Ctrl && !Alt && Text.size() == 1 && Text[0].isPrint() && !Text[0].isSpace()) {
        // A character the cell cannot take, or a cell that takes none, is
        // refused audibly rather than dropped.
        if (!FEditorCharacters.contains(Text[0]) || !BeginEdit(&Text))
            RefuseCharacter();
        return;
    }
    QAbstractScrollArea::keyPressEvent(Event);
}

bool TKvCellGrid::focusNextPrevChild(bool) { return false; }

bool TKvCellGrid::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched != FEditor)
        return QAbstractScrollArea::eventFilter(Watched, Event);
    if (Event->type() == QEvent::KeyPress) {
        auto* Key = static_cast<QKeyEvent*>(Event);
        switch (Key->key()) {
        case Qt::Key_Escape: EndEdit(false); setFocus(); return true;
        case Qt::Key_Return:
        case Qt::Key_Enter: EndEdit(true); setFocus(); MoveActive(1, 0, false); return true;
        case Qt::Key_Up: EndEdit(true); setFocus(); MoveActive(-1, 0, false); return true;
        case Qt::Key_Down: EndEdit(true); setFocus(); MoveActive(1, 0, false); return true;
        case Qt::Key_Tab: EndEdit(true); setFocus(); MoveActive(0, 1, false); return true;
        case Qt::Key_Backtab: EndEdit(true); setFocus(); MoveActive(0, -1, false); return true;
        default: break;
        }
        const QString Text = Key->text();
        const bool Command = Key->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
        if (!Command && Text.size() == 1 && Text[0].isPrint() && !FEditorCharacters.contains(Text[0])) {
            RefuseCharacter(); // e.g. the other decimal separator: "1,5" must not become 15
            return true;
        }
    } else if (Event->type() == QEvent::FocusOut && IsEditing()) {
        EndEdit(true);
    }
    return QAbstractScrollArea::eventFilter(Watched, Event);
}

// ---------------------------------------------------------------- editing

void TKvCellGrid::SetEditorCharacters(const QString& Characters)
{
    FEditorCharacters = Characters;
    const QString Pattern = "[" + QRegularExpression::escape(Characters) + "]*";
    FEditor->setValidator(new QRegularExpressionValidator(QRegularExpression(Pattern), FEditor));
}

void TKvCellGrid::RefuseCharacter()
{
    if (OnRefusedCharacter)
        OnRefusedCharacter();
    else
        QApplication::beep();
}

bool TKvCellGrid::IsEditing() const { return FEditor->isVisible(); }

bool TKvCellGrid::BeginEdit(const QString* Replacement)
{
    if (IsEditing() || FActive.Row < FLockedRows || FActive.Col < 1)
        return false;
    TKvCellAttributes A;
    A.Background = palette().base().color();
    A.Font = font();
    if (OnGetCellAttributes)
        OnGetCellAttributes(FActive.Row, FActive.Col, A);
    if (A.ReadOnly)
        return false;
    QString Text = OnGetCellData ? OnGetCellData(FActive.Row, FActive.Col) : QString();
    if (OnBeginEdit && !OnBeginEdit(FActive.Row, FActive.Col, Text))
        return false;
    FEditCell = FActive;
    // Characters the editor does not accept are dropped from the start text.
    QString Start = Replacement ? *Replacement : Text;
    Start.removeIf([this](QChar C) { return !FEditorCharacters.contains(C); });
    FEditor->setText(Start.left(MaxCellText));
    QPalette P = FEditor->palette();
    P.setColor(QPalette::Base, A.Background);
    FEditor->setPalette(P);
    FEditor->setFont(A.Font);
    FEditor->setAlignment(Qt::AlignRight);
    ScrollToCell(FActive.Row, FActive.Col);
    PlaceEditor();
    FEditor->show();
    FEditor->setFocus();
    if (!Replacement)
        FEditor->selectAll();
    return true;
}

void TKvCellGrid::EndEdit(bool Accept)
{
    if (!IsEditing())
        return;
    const TKvGridCoord Cell = FEditCell;
    const QString Text = FEditor->text();
    FEditor->hide();
    FEditCell = {};
    if (Accept && OnDoneEdit)
        OnDoneEdit(Cell.Row, Cell.Col, Text);
    viewport()->update();
}

void TKvCellGrid::PlaceEditor()
{
    if (!FEditor || !FEditCell.IsValid())
        return;
    FEditor->setGeometry(CellRect(FEditCell.Row, FEditCell.Col).adjusted(1, 1, -1, -1));
}

} // namespace kv
