#include "CalcRangePanel.h"

#include "CalcPanelFields.h"

#include <QAction>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>

namespace kv {

namespace {

// The chain images: 0 two closed links (coupled), 1 the links apart.
QIcon ChainImage(int Index)
{
    QPixmap Pixmap(20, 20);
    Pixmap.fill(Qt::transparent);
    QPainter P(&Pixmap);
    P.setRenderHint(QPainter::Antialiasing);
    P.setPen(QPen(QColor(60, 60, 60), 2));
    const qreal Gap = Index == 0 ? 0 : 3;
    P.drawRoundedRect(QRectF(2, 3 - Gap, 7, 10), 3, 3);
    P.drawRoundedRect(QRectF(11, 7 + Gap, 7, 10), 3, 3);
    if (Index == 0)
        P.drawLine(QPointF(6, 10), QPointF(14, 10));
    return QIcon(Pixmap);
}

QToolButton* MarkerButton(QWidget* Parent, QAction* A, const char* Name)
{
    auto* B = new QToolButton(Parent);
    B->setObjectName(Name);
    // The button shows the action's icon text: the action itself has no
    // caption, and a text set on the button is replaced by the action's.
    A->setIconText("|↔|");
    B->setDefaultAction(A);
    return B;
}

} // namespace

TKvCalcRangePanel::TKvCalcRangePanel(QAction* RangeMarkers, QAction* DisplayRangeMarkers, QWidget* Parent)
    : QGroupBox("Calculation", Parent), FDisplayRangeMarkers(DisplayRangeMarkers)
{
    setObjectName("CalcRangePanel");
    auto* G = new QGridLayout(this);
    G->setContentsMargins(4, 4, 4, 4);
    FromEdit = NewFloatEdit(this, "FromEdit", "Enter start of calculation", 7);
    ToEdit = NewFloatEdit(this, "ToEdit", "Enter stop of calculation", 7);
    RangeMarkersButton = MarkerButton(this, RangeMarkers, "RangeMarkersButton");
    G->addWidget(new QLabel("From", this), 0, 0);
    G->addWidget(FromEdit, 0, 1);
    G->addWidget(RangeMarkersButton, 0, 2, 2, 1);
    G->addWidget(new QLabel("To", this), 1, 0);
    G->addWidget(ToEdit, 1, 1);

    DisplaySizerPanel = new QFrame(this);
    DisplaySizerPanel->setObjectName("DisplaySizerPanel");
    auto* D = new QGridLayout(DisplaySizerPanel);
    D->setContentsMargins(3, 3, 3, 3);
    DisplayLabel = new QLabel("Display", DisplaySizerPanel);
    DisplayLabel->setObjectName("DisplayLabel");
    DisplayFromEdit = NewFloatEdit(DisplaySizerPanel, "DisplayFromEdit", "Enter start of display line", 7);
    DisplayToEdit = NewFloatEdit(DisplaySizerPanel, "DisplayToEdit", "Enter stop of display line", 7);
    DisplayRangeMarkersButton = MarkerButton(DisplaySizerPanel, DisplayRangeMarkers, "DisplayRangeMarkersButton");
    D->addWidget(DisplayLabel, 0, 0, 1, 2);
    D->addWidget(DisplayFromEdit, 1, 0);
    D->addWidget(DisplayRangeMarkersButton, 1, 1, 2, 1);
    D->addWidget(DisplayToEdit, 2, 0);
    ChainBtn = new QToolButton(this);
    ChainBtn->setObjectName("ChainBtn");
    ChainBtn->setCheckable(true);
    ChainBtn->setAutoRaise(true);
    G->addWidget(ChainBtn, 2, 0);
    G->addWidget(DisplaySizerPanel, 2, 1, 1, 2);
    G->addWidget(new QLabel("Points used", this), 3, 0);
    PointsUsedLab = NewResultField(this, "PointsUsedLab");
    G->addWidget(PointsUsedLab, 3, 1, 1, 2);
    connect(ChainBtn, &QToolButton::clicked, this, [this] { emit CouplingClicked(); });
    DisplaySizerPanel->installEventFilter(this);
    DisplayLabel->installEventFilter(this);
    ShowCoupling(true);
}

bool TKvCalcRangePanel::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::MouseButtonRelease && (Watched == DisplaySizerPanel || Watched == DisplayLabel)) {
        emit CouplingClicked();
        return true;
    }
    return QGroupBox::eventFilter(Watched, Event);
}

void TKvCalcRangePanel::ShowCoupling(bool Coupled)
{
    FDisplayRangeMarkers->setEnabled(!Coupled);
    ShowEnabled(DisplayFromEdit, !Coupled);
    ShowEnabled(DisplayToEdit, !Coupled);
    ChainBtn->setChecked(Coupled);
    ChainBtn->setIcon(ChainImage(Coupled ? 0 : 1));
    ChainBtn->setToolTip(Coupled ? "Click button to disable coupling of\rcalculation range with display range"
                                 : "Click button to couple\rcalculation range with display range");
    QPalette P = DisplayLabel->palette();
    P.setColor(QPalette::WindowText, Coupled ? palette().color(QPalette::ButtonText) : QColor(128, 128, 128));
    DisplayLabel->setPalette(P);
    DisplaySizerPanel->setFrameStyle(Coupled ? QFrame::Panel | QFrame::Sunken : QFrame::NoFrame);
    DisplaySizerPanel->setLineWidth(Coupled ? 2 : 0);
    DisplaySizerPanel->setToolTip(Coupled ? "Click panel to disable coupling of\rcalculation range with display range"
                                          : "Click panel to couple\rcalculation range with display range");
}

} // namespace kv
