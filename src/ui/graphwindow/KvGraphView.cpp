#include "KvGraphView.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace kv {

TKvGraphView::TKvGraphView(TKv2DGraph& Graph, QWidget* Parent) : QWidget(Parent), FGraph(&Graph)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(120, 90);
    FGraph->OnRepaint = [this] { update(); };
}

TKvGraphView::~TKvGraphView() { FGraph->OnRepaint = nullptr; }

void TKvGraphView::paintEvent(QPaintEvent*)
{
    QPainter P(this);
    FGraph->Paint(P);
    const TKvDrawingWorld& W = FGraph->World();
    if (W.ZoomDragging()) {
        P.setPen(QPen(Qt::black, 1, Qt::DotLine));
        P.setBrush(Qt::NoBrush);
        P.drawRect(QRect(FPressAt, FMouseAt).normalized());
    }
}

void TKvGraphView::resizeEvent(QResizeEvent* Event)
{
    QWidget::resizeEvent(Event);
    FGraph->SetBounds(width(), height());
}

TKvLegend* TKvGraphView::LegendAt(const QPoint& Position) const
{
    for (const auto& L : FGraph->Legends())
        if (L->Visible && QRect(L->Left, L->Top, L->Width, L->Height).contains(Position))
            return L.get();
    return nullptr;
}

void TKvGraphView::mousePressEvent(QMouseEvent* Event)
{
    const QPoint At = Event->position().toPoint();
    FPressAt = FMouseAt = At;
    if (Event->button() != Qt::LeftButton)
        return;
    TKvLegend* L = LegendAt(At);
    if (L && L->Draggable()) {
        FDragLegend = L;
        FDragOffset = At - QPoint(L->Left, L->Top);
        return;
    }
    const TKvRect& R = FGraph->World().PlotRect;
    if (At.x() >= R.Left && At.x() <= R.Right && At.y() >= R.Top && At.y() <= R.Bottom)
        FGraph->World().MouseDown(At.x(), At.y());
}

void TKvGraphView::mouseMoveEvent(QMouseEvent* Event)
{
    FMouseAt = Event->position().toPoint();
    if (FDragLegend) {
        MoveLegend(FMouseAt);
        return;
    }
    FGraph->World().MouseMove(FMouseAt.x(), FMouseAt.y());
    if (FGraph->World().ZoomDragging())
        update();
    emit MouseMoved(FMouseAt);
}

void TKvGraphView::mouseReleaseEvent(QMouseEvent* Event)
{
    const QPoint At = Event->position().toPoint();
    if (Event->button() != Qt::LeftButton)
        return;
    if (FDragLegend) {
        MoveLegend(At);
        FDragLegend = nullptr;
        return;
    }
    const bool WasZooming = FGraph->World().ZoomDragging();
    FGraph->World().MouseUp(At.x(), At.y());
    update();
    // A press and release on one spot is a click, not a zoom.
    if (!WasZooming || At == FPressAt)
        emit Clicked(At);
}

void TKvGraphView::MoveLegend(const QPoint& Position)
{
    // The legend stays whole inside the graph, wherever the mouse goes.
    TKvLegend& L = *FDragLegend;
    const QPoint To = Position - FDragOffset;
    L.Left = std::clamp(To.x(), 0, std::max(0, width() - L.Width));
    L.Top = std::clamp(To.y(), 0, std::max(0, height() - L.Height));
    update();
}

void TKvGraphView::contextMenuEvent(QContextMenuEvent* Event)
{
    if (TKvLegend* L = LegendAt(Event->pos()))
        emit LegendMenuRequested(L, Event->globalPos());
    else
        emit GraphMenuRequested(Event->globalPos());
}

} // namespace kv
