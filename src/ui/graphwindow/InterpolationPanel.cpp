#include "InterpolationPanel.h"

#include "CalcPanelFields.h"

#include "graph/KvApproxSplineLine.h"
#include "graph/KvInterpolatedLine.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>

namespace kv {

TKvInterpolationPanel::TKvInterpolationPanel(QWidget* Parent) : QGroupBox(Parent)
{
    setObjectName("InterpolatePanel");
    auto* G = new QGridLayout(this);
    G->setContentsMargins(4, 4, 4, 4);
    SplineSelect = new QComboBox(this);
    SplineSelect->setObjectName("SplineSelect");
    SplineSelect->addItems({"Akima", "Approximative Spline"});
    InterpolLab = new QLabel("Interpolation", this);
    InterpolLab->setObjectName("InterpolLab");
    G->addWidget(InterpolLab, 0, 0);
    G->addWidget(SplineSelect, 1, 0);

    SmoothPanel = new QWidget(this);
    auto* S = new QHBoxLayout(SmoothPanel);
    S->setContentsMargins(0, 0, 0, 0);
    SmoothCheck = new QCheckBox("Smooth with", SmoothPanel);
    SmoothCheck->setObjectName("SmoothCheck");
    SmoothCheck->setToolTip("Check to calculate with smoothing");
    SmoothMEdit = NewFloatEdit(SmoothPanel, "SmoothMEdit", "Enter fixed distance to smooth (in X-Units)", 14);
    SmoothMEdit->SetMaxValue(1.7e308);
    S->addWidget(SmoothCheck);
    S->addWidget(SmoothMEdit, 1);
    G->addWidget(SmoothPanel, 2, 0);

    ApproxSplinePanel = new QWidget(this);
    ApproxSplinePanel->setObjectName("ApproxSplinePanel");
    auto* A = new QHBoxLayout(ApproxSplinePanel);
    A->setContentsMargins(0, 0, 0, 0);
    WeightFEdit = NewFloatEdit(ApproxSplinePanel, "WeightFEdit", "Enter factor for weights of points", 14);
    WeightFEdit->SetMinValue(1e-20);
    WeightFEdit->SetMaxValue(1.7e308);
    WeightFEdit->SetValue(1);
    A->addWidget(new QLabel("Weight Factor", ApproxSplinePanel));
    A->addWidget(WeightFEdit, 1);
    G->addWidget(ApproxSplinePanel, 3, 0);

    auto List = [&](const char* Caption, const char* Name, const char* Hint, int Row) {
        G->addWidget(new QLabel(Caption, this), Row, 0);
        auto* L = new QListWidget(this);
        L->setObjectName(Name);
        L->setToolTip(Hint);
        L->setSelectionMode(QAbstractItemView::ExtendedSelection);
        L->setMinimumHeight(70);
        G->addWidget(L, Row + 1, 0);
        return L;
    };
    MinimaList = List("Minima", "MinimaList", "Table of found minima", 4);
    MaximaList = List("Maxima", "MaximaList", "Table of found maxima", 6);
}

void TKvInterpolationPanel::ShowSmoothing(bool On)
{
    SmoothCheck->setChecked(On);
    ShowEnabled(SmoothMEdit, On);
}

void TKvInterpolationPanel::ShowItem(const TKvInterpolatedFunction& Curve)
{
    const QSignalBlocker Quiet(SplineSelect);
    InterpolLab->setText(QString::fromStdString(Curve.GetFormula()));
    if (const auto* Akima = dynamic_cast<const TKvAkimaFunction*>(&Curve)) {
        SplineSelect->setCurrentIndex(0);
        SmoothMEdit->SetValue(Akima->SmoothRange());
        ShowSmoothing(Akima->DoSmoothing());
    } else if (const auto* Spline = dynamic_cast<const TKvApproxSplineFunction*>(&Curve)) {
        SplineSelect->setCurrentIndex(1);
        WeightFEdit->SetValue(Spline->WeightFactor());
    }
    SmoothPanel->setVisible(SplineSelect->currentIndex() == 0);
    ApproxSplinePanel->setVisible(SplineSelect->currentIndex() == 1);
}

void TKvInterpolationPanel::ShowExtrema(const TKvInterpolatedFunction& Curve)
{
    auto Fill = [](QListWidget* L, const TKvRealPosArray& Points) {
        L->clear();
        for (const TKvRealPos& P : Points)
            L->addItem("X: " + FieldText(10, P.X) + " Y: " + FieldText(10, P.Y));
    };
    Fill(MinimaList, Curve.GetMinima());
    Fill(MaximaList, Curve.GetMaxima());
}

} // namespace kv
