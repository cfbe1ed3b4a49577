// The calculation controller's fits: "Do Fit" and the refits of fits whose
// data changed, both run between the window's events so the window never
// freezes, and the step before a paint that leaves those refits to it.

#include "GraphCalculations.h"

#include "CalcRangePanel.h"
#include "FitPanel.h"
#include "GraphForm.h"

#include "graph/KvDraw.h"
#include "graph/KvFittedLine.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

namespace kv {

namespace {

// While a fit runs, the window's events are let through at least this
// often (a pass evaluates the model over all points several times, and one
// evaluation of a large series alone outlasts many frames).
constexpr qint64 EventsEveryMs = 25;
constexpr size_t PointsPerPiece = 4096;
// The curve of the best vertex is drawn anew at most this often.
constexpr qint64 RedrawEveryMs = 500;

// The fits running in any window: one at a time, so a window's refit waits
// until the fit of another window has returned.
int RunningFits = 0;

// Evaluates the fit's model in pieces and lets the window's events through
// between them; gives the fit its own model back when it goes.
class TResponsiveModel {
public:
    explicit TResponsiveModel(TKvSimplexFit& Fit)
        : FFit(Fit), FValues(Fit.FittingValues), FFunction(Fit.FittingFunction)
    {
        FSince.start();
        if (FValues)
            FFit.FittingValues = [this](std::span<const double> V, std::span<const double> X, std::span<double> R) {
                for (size_t i = 0; i < X.size(); i += PointsPerPiece) {
                    const size_t n = std::min(PointsPerPiece, X.size() - i);
                    FValues(V, X.subspan(i, n), R.subspan(i, n));
                    LetEventsThrough(false);
                }
            };
        else if (FFunction)
            FFit.FittingFunction = [this, Calls = size_t{0}](std::span<const double> V, double x) mutable {
                if (++Calls % PointsPerPiece == 0)
                    LetEventsThrough(false);
                return FFunction(V, x);
            };
    }
    ~TResponsiveModel()
    {
        FFit.FittingValues = std::move(FValues);
        FFit.FittingFunction = std::move(FFunction);
    }
    TResponsiveModel(const TResponsiveModel&) = delete;
    TResponsiveModel& operator=(const TResponsiveModel&) = delete;

    // Always after a pass, so its progress shows; else when it is time.
    void LetEventsThrough(bool Always)
    {
        if (!Always && FSince.elapsed() < EventsEveryMs)
            return;
        // Once round the pending events: with a time limit the loop would
        // spend all of it on a timer that is always due.
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        FSince.restart();
    }

private:
    TKvSimplexFit& FFit;
    TKvFittingValues FValues;
    TKvFittingFkt FFunction;
    QElapsedTimer FSince;
};

// The curve of the pass's best vertex, so the paints among the passes show
// the fit converging instead of an empty curve. A model that fails at a
// display point draws nothing until the fit itself reports it.
void DrawBestVertex(TKvFittedLine& Fit)
{
    Fit.XValues.Clear();
    Fit.YValues.Clear();
    try {
        Fit.FillCurve();
        for (int32_t i = 0; i < Fit.YValues.Count(); ++i)
            if (!std::isfinite(Fit.YValues[i]))
                throw EMathError("not a finite number");
    } catch (const EKvError&) {
        Fit.XValues.Clear();
        Fit.YValues.Clear();
    }
    Fit.MarkChanged();
}

} // namespace

void TGraphCalculations::StopFit() { FStopRequested = true; }

void TGraphCalculations::DoFit()
{
    if (FFitting) {
        StopFit();
        return;
    }
    auto* F = dynamic_cast<TKvFittedLine*>(Selected());
    if (!F || RunningFits > 0)
        return;
    FForm.CheckSizersOn();
    FStopRequested = false;
    RunFit(*F);
    // A paint during the fit may have left other fits to run.
    const std::vector<TKvFittedLine*> Fits = FittedLines();
    if (std::any_of(Fits.begin(), Fits.end(), [](const TKvFittedLine* C) { return C->RefitPending; }))
        QueuePendingFits(0);
}

void TGraphCalculations::RunFit(TKvFittedLine& F)
{
    FFitting = &F;
    ++RunningFits;
    // Nothing the user does while the fit runs may free or change the
    // curve: the commands that could are off, other windows too.
    std::vector<QWidget*> Disabled;
    for (QWidget* W : QApplication::topLevelWidgets())
        if (W != &FForm && W->isEnabled() && W->isVisible()) {
            W->setEnabled(false);
            Disabled.push_back(W);
        }
    EnableCurveCommands(false);
    FSimplexPanel->DoFitButton->setToolTip("Press again or Escape to stop the fit");
    qApp->installEventFilter(this);
    {
        TResponsiveModel Model(F.Fit());
        QElapsedTimer SinceDrawn, SinceShown;
        F.OnIteration = [this, &Model, &SinceDrawn, &SinceShown](TKvFittedLine& S) {
            // A pass over a fast model takes a millisecond or two: showing
            // the progress and turning the event loop after every pass made
            // the fit many times slower than the fit itself. Both go at the
            // pace the events need; the results of the last pass show when
            // the fit ends.
            if (SinceShown.isValid() && SinceShown.elapsed() < EventsEveryMs)
                return;
            SinceShown.start();
            if (&S == FAttached)
                ShowResults(S);
            // A new curve repaints the whole graph, which on a large series
            // costs more than a pass: not after every pass.
            if (!SinceDrawn.isValid() || SinceDrawn.elapsed() >= RedrawEveryMs) {
                DrawBestVertex(S);
                SinceDrawn.start();
            }
            Model.LetEventsThrough(true);
            if (FStopRequested)
                S.Fit().IterationsLeft = 0;
        };
        try {
            F.Calculate();
        } catch (const EKvError& E) {
            CalculationError(F, E);
        }
    }
    F.RefitPending = false;
    qApp->removeEventFilter(this);
    FFitting = nullptr;
    --RunningFits;
    for (QWidget* W : Disabled)
        W->setEnabled(true);
    FinishFit();
    // The fit's handler went out of scope with its model.
    F.OnIteration = nullptr;
    if (&F == FAttached) {
        Attach(F);
        ShowResults(F);
    }
}

void TGraphCalculations::EnableCurveCommands(bool On)
{
    FSimplexPanel->FormulaCombo->setEnabled(On);
    FSimplexPanel->CoeffsTable->setEnabled(On);
    FRangePanel->setEnabled(On || Selected() != FFitting);
    if (On) {
        for (QAction* A : FDisabledActions)
            A->setEnabled(true);
        FDisabledActions.clear();
        return;
    }
    // The reports read the results, which a running fit has not written yet.
    for (const char* Name : {"AddLinReg", "AddPolynomial", "AddNonlinearRegression", "AddInterpolation",
                             "AddDifferential", "AddIntegral", "DeleteTab", "LoadGraphOutfit", "ReportClipBoard",
                             "EditGraphPrintout", "PrintReport", "PrintPreview", "SaveReport"})
        if (QAction* A = FForm.Action(Name); A->isEnabled()) {
            A->setEnabled(false);
            FDisabledActions.push_back(A);
        }
}

void TGraphCalculations::FinishFit()
{
    EnableCurveCommands(true);
    FSimplexPanel->DoFitButton->setToolTip("Start iterations to fit");
    FForm.InvalidateWorld();
}

// ---------------------------------------------------------------- refits

std::vector<TKvFittedLine*> TGraphCalculations::FittedLines() const
{
    std::vector<TKvFittedLine*> Fits;
    for (TKvCalculatedSeries* C : FForm.Model().Calculations())
        if (auto* F = dynamic_cast<TKvFittedLine*>(C))
            Fits.push_back(F);
    return Fits;
}

void TGraphCalculations::PrepareForPaint()
{
    if (DrawingSuspended)
        return;
    const std::vector<TKvFittedLine*> Fits = FittedLines();
    struct TDeferred {
        const std::vector<TKvFittedLine*>& Fits;
        explicit TDeferred(const std::vector<TKvFittedLine*>& F) : Fits(F)
        {
            for (TKvFittedLine* Fit : Fits)
                Fit->DeferRefit = true;
        }
        ~TDeferred()
        {
            for (TKvFittedLine* Fit : Fits)
                Fit->DeferRefit = false;
        }
    };
    {
        const TDeferred Deferred(Fits);
        FForm.Graph().PrepareForPaint();
    }
    if (std::any_of(Fits.begin(), Fits.end(), [](const TKvFittedLine* F) { return F->RefitPending; }))
        QueuePendingFits(0);
}

void TGraphCalculations::QueuePendingFits(int DelayMs)
{
    if (FRefitQueued)
        return;
    FRefitQueued = true;
    // Out of the paint: the fit lets events through, paints among them.
    QTimer::singleShot(DelayMs, this, [this] {
        FRefitQueued = false;
        RunPendingFits();
    });
}

void TGraphCalculations::RunPendingFits()
{
    // A fit of this window that runs looks again when it returns.
    if (FFitting)
        return;
    if (RunningFits > 0) {
        QueuePendingFits(100);
        return;
    }
    FStopRequested = false;
    // The list is taken afresh after each fit: paints among its passes may
    // have left more fits to run.
    for (;;) {
        const std::vector<TKvFittedLine*> Fits = FittedLines();
        auto Next = std::find_if(Fits.begin(), Fits.end(), [](const TKvFittedLine* F) { return F->RefitPending; });
        if (Next == Fits.end())
            break;
        RunFit(**Next);
    }
}

void TGraphCalculations::FinishPendingFits()
{
    if (FFitting)
        return;
    PrepareForPaint();
    RunPendingFits();
}

} // namespace kv
