// The calculation controller's edits: ranges and parameters, the coupling
// of the ranges, the marker modes, the switch of the interpolation engine,
// the formula and the coefficients of the fit.

#include "GraphCalculations.h"

#include "CalcRangePanel.h"
#include "FitPanel.h"
#include "GraphForm.h"
#include "InterpolationPanel.h"
#include "KvGraphView.h"
#include "LinearRegressionPanel.h"
#include "PolynomialPanel.h"

#include "ui/KvFloatEdit.h"
#include "ui/KvIntegerEdit.h"
#include "ui/MainTableForm.h"

#include "foundation/KvIniList.h"
#include "foundation/KvStrings.h"
#include "graph/ExpressionFit.h"
#include "graph/KvApproxSplineLine.h"
#include "graph/KvASplineDifferential.h"
#include "graph/KvASplineIntegral.h"
#include "graph/KvDifferential.h"
#include "graph/KvIntegral.h"
#include "graph/KvLegend.h"
#include "graph/KvLinearRegressionLine.h"
#include "graph/KvPolynomLine.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTableWidget>
#include <QWidget>

#include <algorithm>
#include <span>
#include <vector>

namespace kv {

void TGraphCalculations::ApplyCalculationEdits()
{
    TKvCalculatedSeries* C = Selected();
    if (C && !FFilling && C != FFitting)
        ApplyEditsTo(*C);
}

void TGraphCalculations::ApplyEditsTo(TKvCalculatedSeries& Curve)
{
    FForm.CheckSizersOn();
    FForm.StatusPanel(2)->clear();
    TKvCalcRangePanel* R = FRangePanel;
    Curve.SetCalculationStart(R->FromEdit->Value());
    Curve.SetCalculationStop(R->ToEdit->Value());
    if (Curve.CoupleCalculationAndDisplay()) {
        R->DisplayFromEdit->SetValue(R->FromEdit->Value());
        R->DisplayToEdit->SetValue(R->ToEdit->Value());
    } else {
        Curve.SetDisplayStart(R->DisplayFromEdit->Value());
        Curve.SetDisplayStop(R->DisplayToEdit->Value());
    }
    // A range that reaches the data's ends follows the data.
    if (TKvSeries* Parent = Curve.ParentSeries()) {
        Curve.SetAutoStart(Curve.CalculationStart() <= Parent->XRange().Start());
        Curve.SetAutoStop(Curve.CalculationStop() >= Parent->XRange().Stop());
    }
    // A failed calculation keeps the curve that was drawn before.
    const std::vector<double> X(Curve.XValues.Values().begin(), Curve.XValues.Values().end());
    const std::vector<double> Y(Curve.YValues.Values().begin(), Curve.YValues.Values().end());
    WriteParameters(Curve);
    if (!dynamic_cast<TKvFittedLine*>(&Curve)) {
        try {
            Curve.Calculate();
        } catch (const EKvError& E) {
            CalculationError(Curve, E);
        }
        if (!Curve.LastError.isEmpty() && Curve.XValues.Count() == 0) {
            Curve.XValues.AddValues(X);
            Curve.YValues.AddValues(Y);
        }
    }
    FForm.InvalidateWorld();
}

void TGraphCalculations::WriteParameters(TKvCalculatedSeries& Curve)
{
    // The offset and order setters recalculate, so they run only for a
    // new value; the caller calculates once more for the range.
    if (auto* L = dynamic_cast<TKvLinearRegressionLine*>(&Curve)) {
        if (L->DoFixedOffset && L->Offset() != FLinRegPanel->FixedAEdit->Value())
            L->SetOffset(FLinRegPanel->FixedAEdit->Value());
    } else if (auto* P = dynamic_cast<TKvPolynomLine*>(&Curve)) {
        if (P->Order() != FPolyPanel->OrderEdit->Value())
            P->SetOrder(FPolyPanel->OrderEdit->Value());
        FPolyPanel->ShowFormula(*P);
    } else if (auto* A = dynamic_cast<TKvAkimaFunction*>(&Curve)) {
        A->SetSmoothRange(FInterpolatePanel->SmoothMEdit->Value());
    } else if (auto* S = dynamic_cast<TKvApproxSplineFunction*>(&Curve)) {
        S->SetWeightFactor(FInterpolatePanel->WeightFEdit->Value());
    }
}

void TGraphCalculations::ToggleCoupling()
{
    TKvCalculatedSeries* C = Selected();
    if (!C || C == FFitting)
        return;
    FForm.CheckSizersOn();
    TKvCalcRangePanel* R = FRangePanel;
    const bool Couple = !C->CoupleCalculationAndDisplay();
    if (Couple) {
        R->DisplayFromEdit->SetValue(R->FromEdit->Value());
        R->DisplayToEdit->SetValue(R->ToEdit->Value());
    } else {
        // Uncoupled, the display range starts where the coupled one was.
        C->SetDisplayStart(R->DisplayFromEdit->Value());
        C->SetDisplayStop(R->DisplayToEdit->Value());
    }
    try {
        C->SetCoupleCalculationAndDisplay(Couple);
    } catch (const EKvError& E) {
        CalculationError(*C, E);
    }
    R->ShowCoupling(Couple);
    FForm.InvalidateWorld();
}

void TGraphCalculations::RangeMarkers(bool Display, bool On)
{
    TKvCalcRangePanel* R = FRangePanel;
    TKvFloatEdit* StartEdit = Display ? R->DisplayFromEdit : R->FromEdit;
    TKvFloatEdit* StopEdit = Display ? R->DisplayToEdit : R->ToEdit;
    TKvDrawingWorld& World = FForm.Graph().World();
    TKvCalculatedSeries* C = Selected();
    if (On) {
        if (!C || C == FFitting) {
            FForm.Action(Display ? "DisplayRangeMarkers" : "RangeMarkers")->setChecked(false);
            return;
        }
        if (!Display) {
            FGraphHint = FForm.GraphView()->toolTip();
            FForm.GraphView()->setToolTip({});
        }
        if (FForm.Action("ZoomIn")->isChecked())
            FForm.Action("ZoomIn")->trigger();
        QAction* Other = FForm.Action(Display ? "RangeMarkers" : "DisplayRangeMarkers");
        if (Other->isChecked())
            Other->trigger();
        PrepareForPaint();
        World.Marker1X = C->XToPixel(StartEdit->Value());
        World.Marker2X = C->XToPixel(StopEdit->Value());
        World.ShowMarkers();
        FForm.GraphView()->update();
        return;
    }
    if (!Display)
        FForm.GraphView()->setToolTip(FGraphHint);
    World.HideMarkers();
    FForm.GraphView()->update();
    if (!C || C == FFitting)
        return;
    // The first marker gives the start, whatever the order of the two.
    StartEdit->SetValue(C->PixelToX(World.Marker1X));
    StopEdit->SetValue(C->PixelToX(World.Marker2X));
    if (!Display && C->CoupleCalculationAndDisplay()) {
        R->DisplayFromEdit->SetValue(StartEdit->Value());
        R->DisplayToEdit->SetValue(StopEdit->Value());
    }
    ApplyEditsTo(*C);
}

void TGraphCalculations::SwitchInterpolationKind()
{
    auto* Old = dynamic_cast<TKvInterpolatedFunction*>(Selected());
    if (FFilling || !Old)
        return;
    FForm.CheckSizersOn();
    const bool Spline = FInterpolatePanel->SplineSelect->currentIndex() == 1;
    const char* ID = Spline ? "Approximative Spline" : "Interpolation";
    if (dynamic_cast<TKvDifferential*>(Old) || dynamic_cast<TKvASplineDifferential*>(Old))
        ID = Spline ? "Approximative Spline Differentiation" : "Differentiation";
    else if (dynamic_cast<TKvIntegral*>(Old) || dynamic_cast<TKvASplineIntegral*>(Old))
        ID = Spline ? "Approximative Spline Integral" : "Integration";
    TKvIniList Temp;
    Old->SaveToIni(Temp, "Temp");
    const int Tab = FForm.CalculationsTab()->currentIndex();
    Detach();
    DeleteCalculation(Old);
    TKvCalculatedSeries* New = NewCalculation(ID, FForm.SeriesTab()->currentIndex());
    New->LoadFromIni(Temp, "Temp");
    New->CalculateIfReady();
    // The tab keeps its place; the curve is now last among its siblings.
    FForm.SetTabItem(Tab, New);
    Refresh();
}

// ---------------------------------------------------------------- the fit's formula and coefficients

void TGraphCalculations::FormulaEntered()
{
    auto* F = dynamic_cast<TExpressionFit*>(Selected());
    if (FFilling || !F || FFitting)
        return;
    FForm.CheckSizersOn();
    const QString Text = FSimplexPanel->FormulaCombo->currentText();
    const std::vector<double> Variables = F->Variables();
    const int32_t Order = F->Order();
    try {
        F->CheckFormula(Text.toStdString());
        F->SetExpression(Text.toStdString());
    } catch (const EKvError& E) {
        // The check may have set the order; the fit stays as it was.
        F->SetVariables(Variables);
        F->SetOrder(Order);
        ShowError(QString::fromUtf8(E.what()));
        return;
    }
    FSimplexPanel->SetRows(F->Order());
    FormulaHistory() = InsertIntoFormulaHistory(FormulaHistory(), Text);
    FSimplexPanel->SetHistory(FormulaHistory());
    FSimplexPanel->ShowValues(F->Variables());
}

void TGraphCalculations::CoeffCellEdited(int Row, int Column)
{
    auto* F = dynamic_cast<TKvFittedLine*>(Selected());
    if (FFilling || !F || F == FFitting || Column != 1 || F->Order() < 1 || Row >= F->Order())
        return;
    QTableWidgetItem* Cell = FSimplexPanel->CoeffsTable->item(Row, 1);
    double Value = 0;
    if (!Cell || !TryTextToFloat(Cell->text().trimmed().toStdString(), Value)) {
        const QString Text = Cell ? Cell->text() : QString();
        FSimplexPanel->ShowValues(F->Variables());
        ShowError("'" + Text + "' is not a valid floating point value");
        return;
    }
    std::vector<double> V = F->Variables();
    V[static_cast<size_t>(Row)] = Value;
    F->SetVariables(V);
}

} // namespace kv
