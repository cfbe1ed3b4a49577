#pragma once
// The zoom frame: a rubber frame over the plot area that the user moves by
// dragging its inside and resizes by dragging its edges; a double click
// reports itself to the window.

#include <QWidget>

namespace kv {

class TKvZoomFrame : public QWidget {
    Q_OBJECT

public:
    explicit TKvZoomFrame(QWidget* Parent);

signals:
    void DoubleClicked();

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;

private:
    // Which edges a drag moves: bit 0 left, 1 top, 2 right, 3 bottom; all
    // four move the whole frame.
    int EdgesAt(const QPoint& P) const;
    int FEdges = 0;
    QPoint FGrab;
    QRect FStart;
};

} // namespace kv
