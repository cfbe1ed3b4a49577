#include "KvColumnList.h"

#include "KvCaptionPainter.h"

#include "foundation/KvErrors.h"
#include "foundation/KvStrings.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>
#include <string>

namespace kv {

namespace {

constexpr int TextMargin = 3; // between the item's edge, the letters and the caption

QString NameText(int Column) { return QString::fromStdString(ColumnName(Column)) + QLatin1Char(':'); }

} // namespace

// Draws the letters right-aligned in a fixed-width field and the caption
// through the one caption painter, on the style's own item background.
class TKvColumnListDelegate : public QStyledItemDelegate {
public:
    explicit TKvColumnListDelegate(TKvColumnList& List) : FList(List) {}

    void paint(QPainter* Painter, const QStyleOptionViewItem& Option, const QModelIndex& Index) const override
    {
        QStyleOptionViewItem Item = Option;
        initStyleOption(&Item, Index);
        Item.text.clear();
        const QWidget* Widget = Option.widget;
        QStyle* Style = Widget ? Widget->style() : QApplication::style();
        Style->drawControl(QStyle::CE_ItemViewItem, &Item, Painter, Widget);

        const bool Selected = Option.state & QStyle::State_Selected;
        Painter->save();
        Painter->setPen(Option.palette.color(Selected ? QPalette::HighlightedText : QPalette::Text));
        Painter->setFont(Option.font);
        const QRect Inner = Option.rect.adjusted(TextMargin, 0, -TextMargin, 0);
        const int Column = Index.data(TKvColumnList::ColumnRole).toInt();
        if (Column == 0) {
            Painter->drawText(Inner, Qt::AlignLeft | Qt::AlignVCenter, Index.data(Qt::DisplayRole).toString());
            Painter->restore();
            return;
        }
        const int NameWidth = FList.NameWidth();
        const QRect Name(Inner.left(), Inner.top(), NameWidth, Inner.height());
        Painter->drawText(Name, Qt::AlignRight | Qt::AlignVCenter, NameText(Column));
        const QRect Caption = Inner.adjusted(NameWidth + TextMargin, 0, 0, 0);
        DrawCaption(*Painter, Caption, Index.data(TKvColumnList::CaptionRole).toString(),
                    Qt::AlignLeft | Qt::AlignVCenter);
        Painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const override
    {
        QSize Size = QStyledItemDelegate::sizeHint(Option, Index);
        const QFontMetrics Metrics(Option.font);
        const int Caption = Metrics.horizontalAdvance(Index.data(Qt::DisplayRole).toString());
        Size.setWidth(std::max(Size.width(), 3 * TextMargin + FList.NameWidth() + Caption));
        return Size;
    }

private:
    TKvColumnList& FList;
};

TKvColumnList::TKvColumnList(QWidget* Parent)
    : QListWidget(Parent), FDelegate(std::make_unique<TKvColumnListDelegate>(*this))
{
    setItemDelegate(FDelegate.get());
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(this, &QListWidget::currentRowChanged, this,
            [this](int) { emit CurrentColumnChanged(CurrentColumn()); });
}

TKvColumnList::~TKvColumnList()
{
    // The view must not paint through a delegate that is already gone.
    setItemDelegate(nullptr);
}

void TKvColumnList::SetColumns(const std::vector<QString>& Captions, const QString& NoneEntry)
{
    const int Current = CurrentColumn();
    const QSignalBlocker Blocker(this);
    clear();
    FHasNone = !NoneEntry.isEmpty();
    if (FHasNone)
        (new QListWidgetItem(NoneEntry, this))->setData(ColumnRole, 0);
    for (size_t i = 0; i < Captions.size(); ++i) {
        const int Column = static_cast<int>(i) + 1;
        // The display text is what keyboard search and accessibility see.
        auto* Item = new QListWidgetItem(NameText(Column) + QLatin1Char(' ') + CaptionText(Captions[i]), this);
        Item->setData(CaptionRole, Captions[i]);
        Item->setData(ColumnRole, Column);
    }
    MeasureNames();
    if (count() > 0)
        setCurrentRow(Current >= 1 && Current <= ColumnCount() ? RowOfColumn(Current) : 0);
}

void TKvColumnList::SetCurrentColumn(int Column)
{
    CheckColumn(Column);
    setCurrentRow(RowOfColumn(Column));
    scrollToItem(currentItem());
}

int TKvColumnList::CurrentColumn() const
{
    const QListWidgetItem* Item = currentItem();
    return Item ? Item->data(ColumnRole).toInt() : 0;
}

QString TKvColumnList::ColumnCaption(int Column) const
{
    CheckColumn(Column);
    return item(RowOfColumn(Column))->data(CaptionRole).toString();
}

void TKvColumnList::CheckColumn(int Column) const
{
    const int First = FHasNone ? 0 : 1;
    if (Column < First || Column > ColumnCount())
        throw ERangeError("Column " + std::to_string(Column) + " is not in the column list (" +
                          std::to_string(First) + " to " + std::to_string(ColumnCount()) + ")");
}

void TKvColumnList::changeEvent(QEvent* Event)
{
    QListWidget::changeEvent(Event);
    if (Event->type() == QEvent::FontChange)
        MeasureNames();
}

void TKvColumnList::MeasureNames()
{
    // Letters grow with the column number, but not every letter is equally
    // wide: measure all of them.
    const QFontMetrics Metrics(font());
    FNameWidth = 0;
    for (int Column = 1; Column <= ColumnCount(); ++Column)
        FNameWidth = std::max(FNameWidth, Metrics.horizontalAdvance(NameText(Column)));
    viewport()->update();
}

} // namespace kv
