#include "CharTableForm.h"

#include "foundation/KvTextFile.h"
#include "graph/KvSymbolFont.h"
#include "ui/widgets/KvCaptionEdit.h"

#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <string>

namespace kv {

namespace {

constexpr int CellSize = 25;

} // namespace

TCharTableForm::TCharTableForm(QWidget* Parent)
    : QWidget(Parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName("CharTableForm");
    setWindowTitle("Select Characters");
    // The caption editor keeps the focus while characters are picked.
    setAttribute(Qt::WA_ShowWithoutActivating);
    FGrid = new QTableWidget(Rows, Columns, this);
    FGrid->setObjectName("CharGrid");
    FGrid->setToolTip("Double click character to copy to edit control");
    FGrid->horizontalHeader()->hide();
    FGrid->verticalHeader()->hide();
    FGrid->horizontalHeader()->setMinimumSectionSize(CellSize);
    FGrid->verticalHeader()->setMinimumSectionSize(CellSize);
    FGrid->horizontalHeader()->setDefaultSectionSize(CellSize);
    FGrid->verticalHeader()->setDefaultSectionSize(CellSize);
    FGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    FGrid->setFocusPolicy(Qt::NoFocus);
    FGrid->setFixedSize(Columns * CellSize + 2 * FGrid->frameWidth() + FGrid->verticalScrollBar()->sizeHint().width(),
                        12 * CellSize + 2 * FGrid->frameWidth());
    FInsert = new QPushButton("^  Insert selected character ^", this);
    FInsert->setToolTip("Copy selectet character to active edit control");
    FInsert->setFocusPolicy(Qt::NoFocus);
    FClose = new QPushButton("&Close", this);
    FClose->setToolTip("Hide selection window");
    FClose->setFocusPolicy(Qt::NoFocus);
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(4, 4, 4, 4);
    Layout->addWidget(FGrid);
    Layout->addWidget(FInsert);
    Layout->addWidget(FClose);
    connect(FGrid, &QTableWidget::cellDoubleClicked, this, &TCharTableForm::InsertCharacter);
    connect(FInsert, &QPushButton::clicked, this, &TCharTableForm::InsertSelected);
    connect(FClose, &QPushButton::clicked, this, &TCharTableForm::CloseTable);
    FillGrid();
}

int TCharTableForm::CodeAt(int Row, int Column)
{
    const int Code = Row * Columns + Column + FirstCode;
    return Code <= LastCode ? Code : 0;
}

QString TCharTableForm::CaptionCharacter(int Code)
{
    if (Code <= 0)
        return {};
    // Captions hold the characters of the Windows code page; a backslash is
    // written as its escape.
    if (Code == '\\')
        return QStringLiteral("\\\\");
    return QString::fromStdString(Windows1252ToUtf8(std::string(1, static_cast<char>(Code))));
}

QString TCharTableForm::Shown(int Row, int Column) const
{
    const int Code = CodeAt(Row, Column);
    if (Code == 0)
        return {};
    if (FSymbol)
        return QString(QChar(SymbolToUnicode(static_cast<char16_t>(Code))));
    return Code == '\\' ? QStringLiteral("\\") : CaptionCharacter(Code);
}

void TCharTableForm::SetCharFont(const QString& Name)
{
    const bool Symbol = Name.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0;
    if (Symbol == FSymbol && (Symbol || Name == FFontName))
        return;
    FSymbol = Symbol;
    if (!Symbol)
        FFontName = Name;
    FillGrid();
}

void TCharTableForm::FillGrid()
{
    QFont Font(FFontName);
    Font.setPointSize(12);
    FGrid->setFont(Font);
    for (int r = 0; r < Rows; ++r)
        for (int c = 0; c < Columns; ++c) {
            auto* Item = new QTableWidgetItem(Shown(r, c));
            Item->setTextAlignment(Qt::AlignCenter);
            if (CodeAt(r, c) == 0)
                Item->setFlags(Qt::NoItemFlags);
            FGrid->setItem(r, c, Item);
        }
}

void TCharTableForm::ShowOver(QWidget* Active, QWidget* Focused)
{
    FTargetEdit = qobject_cast<TKvCaptionEdit*>(Focused);
    if (Active != nullptr) {
        const QPoint Corner = Focused != nullptr ? Focused->mapToGlobal(QPoint(0, 0)) : Active->mapToGlobal(QPoint(0, 0));
        QPoint At(Corner.x() - 10, Corner.y() + 55);
        const int Right = Active->mapToGlobal(QPoint(Active->width(), 0)).x();
        const int Width = frameGeometry().width() > 0 ? frameGeometry().width() : sizeHint().width();
        At.setX(std::min(At.x(), Right - Width));
        move(At);
    }
    show();
    raise();
}

void TCharTableForm::ReturnFocus()
{
    if (FTargetEdit == nullptr)
        return;
    FTargetEdit->setFocus(Qt::MouseFocusReason);
    FTargetEdit->SetCaretIndex(FTargetEdit->CaretIndex()); // clears the selection
}

void TCharTableForm::InsertCharacter(int Row, int Column)
{
    const int Code = CodeAt(Row, Column);
    if (Code == 0 || FTargetEdit == nullptr)
        return;
    FTargetEdit->InsertText(CaptionCharacter(Code));
    ReturnFocus();
}

void TCharTableForm::InsertSelected()
{
    if (FGrid->currentItem() != nullptr)
        InsertCharacter(FGrid->currentRow(), FGrid->currentColumn());
}

void TCharTableForm::CloseTable()
{
    ReturnFocus();
    if (FTargetEdit != nullptr)
        FTargetEdit->update();
    close();
}

void TCharTableForm::hideEvent(QHideEvent* Event)
{
    QWidget::hideEvent(Event);
    emit Hidden();
}

} // namespace kv
