#pragma once
// The thin widget that shows one graph: it paints through the graph's one
// painting routine, keeps the graph's size equal to its own, draws the
// rubber band of a mouse zoom, drags a free-floating legend and reports
// the mouse to its window.

#include "graph/KvGraph2D.h"

#include <QWidget>

namespace kv {

class TKvGraphView : public QWidget {
    Q_OBJECT

public:
    explicit TKvGraphView(TKv2DGraph& Graph, QWidget* Parent = nullptr);
    ~TKvGraphView() override;

    TKv2DGraph& Graph() const { return *FGraph; }
    // The visible legend under Position, or none.
    TKvLegend* LegendAt(const QPoint& Position) const;
    bool DraggingLegend() const { return FDragLegend != nullptr; }

signals:
    void MouseMoved(QPoint Position);
    void Clicked(QPoint Position);
    void LegendMenuRequested(TKvLegend* Legend, QPoint GlobalPosition);
    void GraphMenuRequested(QPoint GlobalPosition);

protected:
    void paintEvent(QPaintEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void contextMenuEvent(QContextMenuEvent* Event) override;

private:
    void MoveLegend(const QPoint& Position);

    TKv2DGraph* FGraph;
    TKvLegend* FDragLegend = nullptr;
    QPoint FDragOffset;
    QPoint FPressAt;
    QPoint FMouseAt;
};

} // namespace kv
