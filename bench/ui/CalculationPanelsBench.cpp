// The calculation panels of a graph window on real data sizes.
//
// Range edit: on a series of one million points, a new start typed into
// the linear regression's range panel and Enter pressed, until the panel
// shows the new regression; the baseline is the regression engine alone on
// the same points and range.
//
// Fit: "Do Fit" of a four-parameter formula on 100,000 points; while it
// runs, a timer at 0 ms notes every turn of the event loop and a filter
// counts the paints of the window's widgets. Reported: the largest gap
// between two turns, the paints per second, and the fit's duration.
//
// Refit: a table cell under that fit changes and the window refits it.
// The baseline is the refit as the graph's preparation before a paint runs
// it at once (the window frozen for all of it); the figure is the window's
// refit from the edit until it has ended, events let through all along:
// what staying responsive costs. The largest gap between two turns of the
// event loop is printed beside it.

#include "BenchRatio.h"

#include "analysis/KvLinearRegression.h"
#include "document/KvUserSettings.h"
#include "graph/ExpressionFit.h"
#include "graph/KvLinearRegressionLine.h"
#include "ui/KvFloatEdit.h"
#include "ui/KvIntegerEdit.h"
#include "ui/MainTableForm.h"
#include "ui/graphwindow/CalcRangePanel.h"
#include "ui/graphwindow/FitPanel.h"
#include "ui/graphwindow/GraphCalculations.h"
#include "ui/graphwindow/GraphForm.h"
#include "ui/graphwindow/KvGraphView.h"
#include "ui/graphwindow/LinearRegressionPanel.h"
#include "workspace/KvWorkspace.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

using namespace kv;

namespace {

// A table window and one graph window over columns A (X) and B (Y).
struct TWindow {
    std::filesystem::path Dir;
    TKvWorkspace Workspace;
    std::unique_ptr<TMainTableForm> Table;
    std::unique_ptr<TGraphForm> Form;

    TWindow(const char* Name, const std::vector<double>& X, const std::vector<double>& Y)
    {
        Dir = std::filesystem::temp_directory_path() / Name;
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir / "exe");
        const TKvPaths Paths =
            ComputePaths((Dir / "exe" / "kurvex").string(), (Dir / "appdata").string(), (Dir / "docs").string());
        Table = std::make_unique<TMainTableForm>(Workspace.Document, Paths);
        Table->Services.ShowError = [](const QString& Text) { std::fprintf(stderr, "%s\n", qPrintable(Text)); };
        Table->Services.Beep = [] {};
        Workspace.Document.Table.Data(1).Assign(X);
        Workspace.Document.Table.Data(2).Assign(Y);
        auto& A = Workspace.Document.Assignment;
        if (A.GraphCount() == 0)
            A.AddGraph();
        A.Graphs[0].XAxis[0] = 1;
        A.Graphs[0].YAxis[0] = 2;
        Workspace.RebuildGraphWindows();
        Form = std::make_unique<TGraphForm>(Workspace.Window(1), *Table);
        Form->RebuildSeriesTabs();
        Form->resize(1200, 800);
        Form->show();
        QApplication::processEvents();
    }
    ~TWindow()
    {
        Form.reset();
        Table.reset();
        std::filesystem::remove_all(Dir);
    }
    TGraphCalculations& Calc() const { return *Form->Calculations(); }
};

// ---------------------------------------------------------------- range edit

constexpr int RegressionPoints = 1'000'000;

struct TRegressionData {
    std::vector<double> X, Y;
    TRegressionData()
    {
        for (int i = 0; i < RegressionPoints; ++i) {
            X.push_back(i);
            Y.push_back(3 + 2 * i + std::sin(i * 0.37));
        }
    }
};

const TRegressionData& RegressionData()
{
    static const TRegressionData Data;
    return Data;
}

// Freed before the application goes (widgets must not outlive it).
std::unique_ptr<TWindow>& SharedRegressionWindow()
{
    static std::unique_ptr<TWindow> W;
    return W;
}

TWindow& RegressionWindow()
{
    std::unique_ptr<TWindow>& W = SharedRegressionWindow();
    if (!W) {
        W = std::make_unique<TWindow>("kurvex-bench-range", RegressionData().X, RegressionData().Y);
        W->Form->Action("AddLinReg")->trigger();
        QApplication::processEvents();
    }
    return *W;
}

// The starts alternate so that every Enter asks for a new regression.
double StartOf(int64_t Iteration) { return static_cast<double>(Iteration % 2) * 10 + 5; }

void BM_RegressionEngine(benchmark::State& State)
{
    const TRegressionData& D = RegressionData();
    LinearRegressionResult R;
    int64_t n = 0;
    for (auto _ : State) {
        FitRegressionLine(D.X, D.Y, std::nullopt, false, StartOf(n++), RegressionPoints, R);
        benchmark::DoNotOptimize(R.Slope);
    }
}

void BM_RangeEditToPanel(benchmark::State& State)
{
    TWindow& W = RegressionWindow();
    TKvFloatEdit* From = W.Calc().RangePanel()->FromEdit;
    TKvFloatEdit* To = W.Calc().RangePanel()->ToEdit;
    QLineEdit* Slope = W.Calc().LinRegPanel()->bLab;
    To->SetValue(RegressionPoints);
    From->setFocus();
    int64_t n = 0;
    for (auto _ : State) {
        From->SetValue(StartOf(n++));
        QKeyEvent Press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(From, &Press);
        benchmark::DoNotOptimize(Slope->text().size());
        State.PauseTiming();
        QApplication::processEvents(); // the repaint the edit asked for
        State.ResumeTiming();
    }
    auto* Line = dynamic_cast<TKvLinearRegressionLine*>(W.Form->CurrentItem());
    if (!Line || Line->CalculationStart() != StartOf(n - 1))
        State.SkipWithError("the edit did not reach the regression");
}

// ---------------------------------------------------------------- the fit

constexpr int FitPoints = 100'000;

// A four-parameter fit of FitPoints points with Passes passes, never fitted
// yet, in its window.
struct TFitWindow {
    TWindow W;
    TExpressionFit* Fit = nullptr;
    static std::vector<double> Values(bool Y)
    {
        std::vector<double> V;
        for (int i = 0; i < FitPoints; ++i) {
            const double x = i * 1e-3;
            V.push_back(Y ? 5 * std::exp(-0.03 * x) * std::sin(2 * x + 0.5) + 0.05 * std::sin(i * 0.37) : x);
        }
        return V;
    }
    TFitWindow(const char* Name, int32_t Passes) : W(Name, Values(false), Values(true))
    {
        W.Form->Action("AddNonlinearRegression")->trigger();
        Fit = dynamic_cast<TExpressionFit*>(W.Form->CurrentItem());
        if (!Fit)
            return;
        W.Calc().SimplexPanel()->FormulaCombo->setEditText("A*exp(-B*X)*sin(C*X+D)");
        W.Calc().FormulaEntered();
        Fit->SetIterations(Passes);
        QApplication::processEvents();
    }
    // A cell of the fitted column changes, as a table edit changes it.
    void Edit() { W.Workspace.Document.Table.Data(2).SetValue(7, 3.0); }
};

// Notes every turn of the event loop through a timer at 0 ms: the largest
// gap between two turns is the longest the window could not repaint.
struct TTurnMeter {
    QElapsedTimer Clock;
    qint64 Last = 0, LargestGap = 0;
    QTimer Turn;
    TTurnMeter()
    {
        Turn.setInterval(0);
        QObject::connect(&Turn, &QTimer::timeout, [this] { Note(); });
    }
    void Start()
    {
        Clock.start();
        Last = 0;
        Turn.start();
    }
    void Note()
    {
        const qint64 Now = Clock.nsecsElapsed();
        LargestGap = std::max(LargestGap, Now - Last);
        Last = Now;
    }
    // Seconds since Start, the end counted as a turn.
    double Stop()
    {
        Note();
        Turn.stop();
        return Clock.nsecsElapsed() * 1e-9;
    }
};

void BM_DoFit(benchmark::State& State)
{
    // The fit's window alone: the million-point window would repaint too
    // when the fit disables it.
    SharedRegressionWindow().reset();
    TFitWindow F("kurvex-bench-fit", static_cast<int32_t>(State.range(0)));
    if (!F.Fit) {
        State.SkipWithError("no fit");
        return;
    }
    TWindow& W = F.W;
    // One paint of the graph alone, for comparison: no turn of the loop can
    // be shorter than a paint it runs.
    QElapsedTimer Clock;
    Clock.start();
    W.Form->GraphView()->repaint();
    const double PaintMs = Clock.nsecsElapsed() * 1e-6;
    TTurnMeter Meter;
    struct TPaintCounter : QObject {
        QWidget* Window = nullptr;
        int Paints = 0;
        bool eventFilter(QObject* O, QEvent* E) override
        {
            if (E->type() == QEvent::Paint && O->isWidgetType() && static_cast<QWidget*>(O)->window() == Window)
                ++Paints;
            return false;
        }
    } Counter;
    Counter.Window = W.Form.get();
    double Seconds = 0;
    for (auto _ : State) {
        qApp->installEventFilter(&Counter);
        Meter.Start();
        W.Calc().DoFit();
        Seconds = Meter.Stop();
        qApp->removeEventFilter(&Counter);
    }
    State.counters["fit_s"] = Seconds;
    const qint64 LargestGap = Meter.LargestGap;
    State.counters["largest_gap_ms"] = LargestGap * 1e-6;
    State.counters["repaints_per_s"] = Counter.Paints / std::max(Seconds, 1e-9);
    State.counters["graph_paint_ms"] = PaintMs;
    std::printf("Do Fit of %d points, %lld passes: %.2f s, %d paints = %.1f repaints/s, largest gap %.1f ms "
                "(goal <= 100 ms: %s); one paint of the graph alone %.1f ms\n",
                FitPoints, static_cast<long long>(State.range(0)), Seconds, Counter.Paints,
                Counter.Paints / std::max(Seconds, 1e-9), LargestGap * 1e-6,
                LargestGap <= 100'000'000 ? "met" : "missed", PaintMs);
}

void BM_RefitInPaint(benchmark::State& State)
{
    SharedRegressionWindow().reset();
    TFitWindow F("kurvex-bench-refit", static_cast<int32_t>(State.range(0)));
    if (!F.Fit) {
        State.SkipWithError("no fit");
        return;
    }
    for (auto _ : State) {
        F.Edit();
        F.W.Workspace.Window(1).Graph.PrepareForPaint();
    }
    if (!F.Fit->LastError.isEmpty() || F.Fit->XValues.Count() == 0)
        State.SkipWithError("the fit did not run");
}

void BM_RefitBetweenEvents(benchmark::State& State)
{
    SharedRegressionWindow().reset();
    TFitWindow F("kurvex-bench-refit", static_cast<int32_t>(State.range(0)));
    if (!F.Fit) {
        State.SkipWithError("no fit");
        return;
    }
    TTurnMeter Meter;
    double Seconds = 0;
    for (auto _ : State) {
        Meter.Start();
        F.Edit();
        do
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        while ((F.Fit->RefitPending || F.W.Calc().Fitting() || F.Fit->XValues.Count() == 0) &&
               F.Fit->LastError.isEmpty());
        Seconds = Meter.Stop();
        State.SetIterationTime(Seconds);
    }
    if (!F.Fit->LastError.isEmpty())
        State.SkipWithError("the fit failed");
    const qint64 LargestGap = Meter.LargestGap;
    State.counters["refit_s"] = Seconds;
    State.counters["largest_gap_ms"] = LargestGap * 1e-6;
    std::printf("Refit of %d points after a table edit, %lld passes: %.2f s, largest gap %.1f ms "
                "(goal <= 100 ms: %s)\n",
                FitPoints, static_cast<long long>(State.range(0)), Seconds, LargestGap * 1e-6,
                LargestGap <= 100'000'000 ? "met" : "missed");
}

} // namespace

BENCHMARK(BM_RegressionEngine)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_RangeEditToPanel)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_DoFit)->Arg(300)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RefitInPaint)->Arg(300)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RefitBetweenEvents)->Arg(300)->Iterations(1)->Unit(benchmark::kMillisecond)->UseManualTime();

KvBenchRatio("BM_RangeEditToPanel/repeats:5", "BM_RegressionEngine/repeats:5", 1.5);
KvBenchRatio("BM_RefitBetweenEvents/300/iterations:1/manual_time", "BM_RefitInPaint/300/iterations:1/real_time", 2.0);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    const int Status = kvbench::RunAll(argc, argv);
    SharedRegressionWindow().reset();
    return Status;
}
