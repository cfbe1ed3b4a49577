#include "KvZoomFrame.h"

#include <QMouseEvent>
#include <QPainter>

namespace kv {

namespace {
constexpr int Grip = 5;
constexpr int MinSide = 8;
} // namespace

TKvZoomFrame::TKvZoomFrame(QWidget* Parent) : QWidget(Parent)
{
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    hide();
}

void TKvZoomFrame::paintEvent(QPaintEvent*)
{
    QPainter P(this);
    P.setPen(QPen(Qt::black, 1, Qt::DashLine));
    P.drawRect(rect().adjusted(1, 1, -2, -2));
    P.setBrush(Qt::black);
    P.setPen(Qt::NoPen);
    const int W = width() - 1, H = height() - 1;
    for (QPoint C : {QPoint(0, 0), QPoint(W / 2, 0), QPoint(W, 0), QPoint(0, H / 2), QPoint(W, H / 2), QPoint(0, H),
                     QPoint(W / 2, H), QPoint(W, H)})
        P.drawRect(QRect(C - QPoint(2, 2), QSize(5, 5)));
}

int TKvZoomFrame::EdgesAt(const QPoint& P) const
{
    int E = 0;
    if (P.x() < Grip)
        E |= 1;
    if (P.y() < Grip)
        E |= 2;
    if (P.x() >= width() - Grip)
        E |= 4;
    if (P.y() >= height() - Grip)
        E |= 8;
    return E == 0 ? 15 : E;
}

void TKvZoomFrame::mousePressEvent(QMouseEvent* Event)
{
    FEdges = EdgesAt(Event->position().toPoint());
    FGrab = Event->globalPosition().toPoint();
    FStart = geometry();
}

void TKvZoomFrame::mouseMoveEvent(QMouseEvent* Event)
{
    const int E = Event->buttons() & Qt::LeftButton ? FEdges : EdgesAt(Event->position().toPoint());
    const bool Horizontal = E & 5, Vertical = E & 10;
    setCursor(E == 15 ? Qt::SizeAllCursor
                      : (E == 3 || E == 12) ? Qt::SizeFDiagCursor
                      : (E == 6 || E == 9) ? Qt::SizeBDiagCursor
                      : Horizontal ? Qt::SizeHorCursor
                      : Vertical ? Qt::SizeVerCursor : Qt::ArrowCursor);
    if (!(Event->buttons() & Qt::LeftButton))
        return;
    const QPoint D = Event->globalPosition().toPoint() - FGrab;
    QRect R = FStart;
    if (FEdges == 15) {
        R.translate(D);
    } else {
        if (FEdges & 1)
            R.setLeft(std::min(R.left() + D.x(), R.right() - MinSide));
        if (FEdges & 2)
            R.setTop(std::min(R.top() + D.y(), R.bottom() - MinSide));
        if (FEdges & 4)
            R.setRight(std::max(R.right() + D.x(), R.left() + MinSide));
        if (FEdges & 8)
            R.setBottom(std::max(R.bottom() + D.y(), R.top() + MinSide));
    }
    setGeometry(R);
}

void TKvZoomFrame::mouseReleaseEvent(QMouseEvent*) { FEdges = 0; }

void TKvZoomFrame::mouseDoubleClickEvent(QMouseEvent*) { emit DoubleClicked(); }

} // namespace kv
