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
        const int NameWidth = FList.NameWidth();
        const QRect Name(Inner.left(), Inner.top(), NameWidth, Inner.height());
        Painter->drawText(Name, Qt::AlignRight | Qt::AlignVCenter, NameText(Index.row() + 1));
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
            [this](int Row) { emit CurrentColumnChanged(Row + 1); });
}

TKvColumnList::~TKvColumnList()
{
    // The view must not paint through a delegate that is already gone.
    setItemDelegate(nullptr);
}

void TKvColumnList::SetColumns(const std::vector<QString>& Captions)
{
    const int Current = CurrentColumn();
    const QSignalBlocker Blocker(this);
    clear();
    for (size_t i = 0; i < Captions.size(); ++i) {
        const int Column = static_cast<int>(i) + 1;
        // The display text is what keyboard search and accessibility see.
        auto* Item = new QListWidgetItem(NameText(Column) + QLatin1Char(' ') + CaptionText(Captions[i]), this);
        Item->setData(CaptionRole, Captions[i]);
    }
    MeasureNames();
    if (count() > 0)
        setCurrentRow(Current >= 1 && Current <= count() ? Current - 1 : 0);
}

void TKvColumnList::SetCurrentColumn(int Column)
{
    if (Column < 1 || Column > count())
        throw ERangeError("Column " + std::to_string(Column) + " is not in the column list (1 to " +
                          std::to_string(count()) + ")");
    setCurrentRow(Column - 1);
    scrollToItem(currentItem());
}

int TKvColumnList::CurrentColumn() const { return currentRow() + 1; }

QString TKvColumnList::ColumnCaption(int Column) const
{
    if (Column < 1 || Column > count())
        throw ERangeError("Column " + std::to_string(Column) + " is not in the column list (1 to " +
                          std::to_string(count()) + ")");
    return item(Column - 1)->data(CaptionRole).toString();
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
    for (int Column = 1; Column <= count(); ++Column)
        FNameWidth = std::max(FNameWidth, Metrics.horizontalAdvance(NameText(Column)));
    viewport()->update();
}

} // namespace kv
