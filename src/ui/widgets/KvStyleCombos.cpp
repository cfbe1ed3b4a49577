#include "KvStyleCombos.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QStylePainter>

namespace kv {

namespace {

// Draws the drop-down list's items with the combo's own item painter.
class TStyleItemDelegate : public QStyledItemDelegate {
public:
    explicit TStyleItemDelegate(const TKvStyleComboBase* Combo) : QStyledItemDelegate(nullptr), FCombo(Combo) {}
    void paint(QPainter* Painter, const QStyleOptionViewItem& Option, const QModelIndex& Index) const override
    {
        Painter->save();
        FCombo->DrawItem(*Painter, Option.rect, Index.row());
        if (Option.state & QStyle::State_Selected) {
            Painter->setPen(QPen(Option.palette.highlight().color(), 1, Qt::DotLine));
            Painter->setBrush(Qt::NoBrush);
            Painter->drawRect(Option.rect.adjusted(0, 0, -1, -1));
        }
        Painter->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const override
    {
        return QStyledItemDelegate::sizeHint(Option, Index).expandedTo(QSize(40, 18));
    }

private:
    const TKvStyleComboBase* FCombo;
};

} // namespace

TKvStyleComboBase::TKvStyleComboBase(int Items, QWidget* Parent) : QComboBox(Parent)
{
    for (int i = 0; i < Items; ++i)
        addItem(QString());
    auto* Delegate = new TStyleItemDelegate(this);
    Delegate->setParent(this);
    setItemDelegate(Delegate);
}

void TKvStyleComboBase::SetLineColor(TColor Color)
{
    if (Color == FLineColor)
        return;
    FLineColor = Color;
    update();
    view()->viewport()->update();
}

void TKvStyleComboBase::SetBackgroundColor(TColor Color)
{
    if (Color == FBackground)
        return;
    FBackground = Color;
    update();
}

int TKvStyleComboBase::SelectedIndex() const
{
    if (currentIndex() < 0)
        const_cast<TKvStyleComboBase*>(this)->setCurrentIndex(0);
    return currentIndex();
}

void TKvStyleComboBase::paintEvent(QPaintEvent*)
{
    QStylePainter P(this);
    QStyleOptionComboBox Option;
    initStyleOption(&Option);
    Option.currentText.clear();
    P.drawComplexControl(QStyle::CC_ComboBox, Option);
    const QRect Field = style()->subControlRect(QStyle::CC_ComboBox, &Option, QStyle::SC_ComboBoxEditField, this);
    if (currentIndex() >= 0)
        DrawItem(P, Field, currentIndex());
}

TKvLineStylesCombo::TKvLineStylesCombo(QWidget* Parent) : TKvStyleComboBase(StyleCount, Parent) {}

void TKvLineStylesCombo::DrawItem(QPainter& Painter, const QRect& Rect, int Index) const
{
    Painter.fillRect(Rect, FillColor(BackgroundColor()));
    Painter.setPen(MakePen(LineColor(), 1, static_cast<TPenStyle>(Index)));
    const int Y = Rect.top() + Rect.height() / 2;
    Painter.drawLine(Rect.left() + 2, Y, Rect.right() - 2, Y);
}

TKvPointSymbolsCombo::TKvPointSymbolsCombo(QWidget* Parent) : TKvStyleComboBase(PointSymbolCount, Parent) {}

void TKvPointSymbolsCombo::SetLineWidth(int Width)
{
    if (Width == FLineWidth)
        return;
    FLineWidth = Width;
    update();
}

void TKvPointSymbolsCombo::DrawItem(QPainter& Painter, const QRect& Rect, int Index) const
{
    Painter.fillRect(Rect, FillColor(BackgroundColor()));
    Painter.setPen(MakePen(LineColor(), FLineWidth));
    Painter.setBrush(FillColor(BackgroundColor()));
    const QPoint C = Rect.center();
    DrawPointSymbol(C.x(), C.y(), Rect.height() / 3, Painter, static_cast<TKvPointSymbol>(Index));
}

} // namespace kv
