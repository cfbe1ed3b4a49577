#pragma once
// The calculations of a graph window: the add commands, the side-panel
// tabs of the calculations, the range panel with its markers and coupling,
// the result panels, the nonlinear fit with its formula history and the
// error display. The window owns one; it only reads and writes the curves
// of the window's model, which outlives it.

#include "graph/KvCalculatedSeries.h"

#include <QObject>
#include <QStringList>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QAction;

namespace kv {

class TGraphForm;
class TKvCalcRangePanel;
class TKvFitPanel;
class TKvFittedLine;
class TKvInterpolationPanel;
class TKvLinearRegressionPanel;
class TKvPolynomialPanel;

class TGraphCalculations : public QObject {
    Q_OBJECT

public:
    explicit TGraphCalculations(TGraphForm& Form);
    ~TGraphCalculations() override;

    TKvCalcRangePanel* RangePanel() const { return FRangePanel; }
    TKvLinearRegressionPanel* LinRegPanel() const { return FLinRegPanel; }
    TKvPolynomialPanel* PolyRegPanel() const { return FPolyPanel; }
    TKvInterpolationPanel* InterpolatePanel() const { return FInterpolatePanel; }
    TKvFitPanel* SimplexPanel() const { return FSimplexPanel; }

    // The formula history of the fit, shared by every window of the run.
    static QStringList& FormulaHistory();
    // The selected item when it is a calculation, else none.
    TKvCalculatedSeries* Selected() const;
    // Creates calculation ID for the data series SeriesIndex with the
    // window's error handler.
    TKvCalculatedSeries* NewCalculation(std::string_view ID, int SeriesIndex);
    void AddCalculation(const char* AkimaID, const char* SplineID);
    // The line style the settings file remembers for Curve's position
    // (written there at the end of the previous run).
    void ApplyStoredLineStyle(TKvCalculatedSeries& Curve);
    void DeleteTab();
    void ApplyCalculationEdits();
    void ToggleCoupling();
    // The marker modes: Display selects the display range's.
    void RangeMarkers(bool Display, bool On);
    void SwitchInterpolationKind();
    void FormulaEntered();
    // "Do Fit", or, while a fit runs, the request to stop it after its pass.
    void DoFit();
    void StopFit();
    bool Fitting() const { return FFitting != nullptr; }
    // The window's step before its graph paints: the graph prepares with
    // its fits deferred, so a fit whose data changed is not run inside the
    // paint (the paint shows its previous curve) but afterwards by
    // RunPendingFits, the way "Do Fit" runs.
    void PrepareForPaint();
    // Runs the deferred fits one after the other, letting the window's
    // events through; Escape or "Do Fit" stops them after their pass.
    void RunPendingFits();
    // Brings every calculation up to date, the deferred fits run to their
    // end, so what is read next is current (a report's merge). Does nothing
    // while a fit of the window runs.
    void FinishPendingFits();
    void CalculationError(TKvCalculatedSeries& Sender, const EKvError& Error);
    // The value of the fit variable of the coefficient grid's active row,
    // when Focus is in that grid and the row has a variable; else none.
    std::optional<QString> CoefficientToCopy(const QWidget* Focus) const;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void CreatePanels();
    void ConnectPanels();
    void ConnectFitPanel();
    void EnterTab();
    void Attach(TKvCalculatedSeries& Curve);
    void Detach();
    void ShowResults(TKvCalculatedSeries& Curve);
    void ApplyEditsTo(TKvCalculatedSeries& Curve);
    void WriteParameters(TKvCalculatedSeries& Curve);
    void RunFit(TKvFittedLine& Fit);
    void FinishFit();
    std::vector<TKvFittedLine*> FittedLines() const;
    void QueuePendingFits(int DelayMs);
    void EnableCurveCommands(bool On);
    void CoeffCellEdited(int Row, int Column);
    bool Alive(const TKvCalculatedSeries* Curve) const;
    void ShowError(const QString& Message);
    void Beep();
    // Selects the tab of Curve after the tabs were rebuilt from the series.
    void SelectTabOf(const TKvCalculatedSeries* Curve);
    void Refresh();

    TGraphForm& FForm;
    TKvCalcRangePanel* FRangePanel = nullptr;
    TKvLinearRegressionPanel* FLinRegPanel = nullptr;
    TKvPolynomialPanel* FPolyPanel = nullptr;
    TKvInterpolationPanel* FInterpolatePanel = nullptr;
    TKvFitPanel* FSimplexPanel = nullptr;
    TKvCalculatedSeries* FAttached = nullptr;
    TKvFittedLine* FFitting = nullptr;
    bool FStopRequested = false;
    bool FRefitQueued = false;
    std::vector<QAction*> FDisabledActions;
    bool FFilling = false;
    QString FGraphHint;
};

} // namespace kv
