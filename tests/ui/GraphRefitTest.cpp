// A nonlinear fit whose data changed is fitted again by its window between
// the window's events, never inside a paint; what the user does meanwhile
// cannot pull the curve from under it; a report waits for it; fits know
// the named constants of the settings file.

#include "GraphWindowFixture.h"

#include "ui/graphwindow/FitPanel.h"
#include "ui/graphwindow/GraphCalculations.h"
#include "ui/graphwindow/KvGraphView.h"
#include "ui/report/GraphRichTextForm.h"

#include "graph/ExpressionFit.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <functional>

using namespace kv;
using namespace kv::test;

namespace {

class Refit : public GraphWindows {
protected:
    static constexpr int Points = 20000;
    static constexpr const char* Formula = "A+B*X+C*sin(D*X)";

    // Graph 1 plots B over A: a line with a wave over Points points, and a
    // fit of it with Passes passes, fitted once.
    TExpressionFit& OpenWithFit(int32_t Passes)
    {
        Open();
        TKvRealVector& X = Doc().Table.Data(1);
        TKvRealVector& Y = Doc().Table.Data(2);
        for (int i = 0; i < Points; ++i) {
            const double x = i * 0.001;
            X.SetValue(i, x);
            Y.SetValue(i, 1 + 2 * x + 0.5 * std::sin(3 * x));
        }
        Plot(1, 1, 1, 2);
        Assign->RebuildGraphWindows();
        F().resize(1000, 700);
        F().show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&F()));
        F().Action("AddNonlinearRegression")->trigger();
        auto* Fit = dynamic_cast<TExpressionFit*>(F().CurrentItem());
        if (!Fit)
            throw std::runtime_error("no fit after the add command");
        QComboBox* Combo = C().SimplexPanel()->FormulaCombo;
        Combo->setFocus();
        Combo->setEditText(Formula);
        QTest::keyClick(Combo, Qt::Key_Return);
        Fit->SetIterations(5);
        QTest::mouseClick(C().SimplexPanel()->DoFitButton, Qt::LeftButton);
        Fit->SetIterations(Passes);
        return *Fit;
    }
    TGraphForm& F() { return Form(1); }
    TGraphCalculations& C() { return *F().Calculations(); }
    // A table cell changes and the window paints once: the fit waits.
    void EditCell(TExpressionFit& Fit)
    {
        Doc().Table.Data(2).SetValue(7, 42);
        F().GraphView()->repaint();
        ASSERT_TRUE(Fit.RefitPending) << "the paint leaves the fit to the window";
    }
    // Processes events until no fit of the window runs or waits; At runs
    // once, at the first event while the fit runs.
    void WaitForRefit(TExpressionFit& Fit, const std::function<void()>& At = {})
    {
        bool Done = false;
        QTimer Once;
        Once.setInterval(5);
        QObject::connect(&Once, &QTimer::timeout, [&] {
            if (C().Fitting() && !Done) {
                Done = true;
                if (At)
                    At();
            }
        });
        Once.start();
        QElapsedTimer Clock;
        Clock.start();
        while ((C().Fitting() || Fit.RefitPending) && Clock.elapsed() < 120000)
            QTest::qWait(5);
        ASSERT_FALSE(C().Fitting());
        ASSERT_FALSE(Fit.RefitPending);
    }
    TKvStringList FitResults(const TKvFittedLine& Fit)
    {
        TKvStringList List;
        F().ActiveSeries()->Results.ReadSectionValues(Fit.ResultsSection(), List);
        return List;
    }
    // The same fit from Start, run by the graph's own preparation at once.
    static std::vector<double> SynchronousFit(TKvGraphWindowModel& Model, TExpressionFit& Fit,
                                              const std::vector<double>& Start)
    {
        Fit.SetVariables(Start);
        Model.InvalidateCalculations();
        Model.Graph.PrepareForPaint();
        EXPECT_TRUE(Fit.LastError.isEmpty()) << Fit.LastError.toStdString();
        const TKvRealArray& V = Fit.Variables();
        return {V.begin(), V.end()};
    }
};

TEST_F(Refit, ATableEditRefitsBetweenEventsAndEndsAsTheGraphsOwnFitDoes)
{
    TExpressionFit& Fit = OpenWithFit(40);
    const int Drawn = Fit.XValues.Count();
    ASSERT_GT(Drawn, 0);
    const std::vector<double> Start(Fit.Variables().begin(), Fit.Variables().end());
    EditCell(Fit);
    EXPECT_EQ(Fit.XValues.Count(), Drawn) << "the paint shows the previous curve";

    int Ticks = 0;
    int DrawnWhileFitting = 0;
    bool TableOff = false;
    QTimer Tick;
    QObject::connect(&Tick, &QTimer::timeout, [&] {
        if (C().Fitting()) {
            ++Ticks;
            TableOff = !Table->isEnabled();
            DrawnWhileFitting = std::max(DrawnWhileFitting, Fit.XValues.Count());
            if (Ticks == 3)
                Shot(F(), "refit-running");
        }
    });
    Tick.start(10);
    WaitForRefit(Fit);
    Tick.stop();
    EXPECT_GE(Ticks, 3) << "a timer fires while the refit runs";
    EXPECT_TRUE(TableOff) << "the table cannot change the data under the fit";
    EXPECT_GT(DrawnWhileFitting, 0) << "the paints among the passes show a curve";
    EXPECT_TRUE(Table->isEnabled());
    EXPECT_TRUE(Fit.LastError.isEmpty()) << Fit.LastError.toStdString();
    EXPECT_EQ(Fit.Iterations(), 40);

    const std::vector<double> Refitted(Fit.Variables().begin(), Fit.Variables().end());
    const double Chi = Fit.ChiSquare();
    const TKvStringList Results = FitResults(Fit);
    EXPECT_EQ(SynchronousFit(F().Model(), Fit, Start), Refitted);
    EXPECT_EQ(Fit.ChiSquare(), Chi);
    EXPECT_EQ(FitResults(Fit), Results);
}

// Loading an outfit or a data file changes what the fit sees just as a
// table edit does: the window's paint leaves the fit to run afterwards.
TEST_F(Refit, AnOutfitOrFileLoadLeavesTheFitToTheWindowToo)
{
    const std::pair<const char*, std::function<void()>> Loads[] = {
        {"outfit", [this] {
             NextFile = QString::fromStdString((Dir / "look.oft").string());
             F().Action("SaveGraphOutfit")->trigger();
             F().Action("LoadGraphOutfit")->trigger();
         }},
        {"data file", [this] {
             const QString File = QString::fromStdString((Dir / "fit.plt").string());
             ASSERT_TRUE(Table->SaveToFile(File));
             ASSERT_TRUE(Table->LoadFromFile(File));
             F().show();
         }},
    };
    for (const auto& [Name, Load] : Loads) {
        SCOPED_TRACE(Name);
        OpenWithFit(40);
        Load();
        const std::vector<TKvCalculatedSeries*> Curves = F().Model().Calculations();
        ASSERT_EQ(Curves.size(), 1u);
        auto* Fit = dynamic_cast<TExpressionFit*>(Curves[0]);
        ASSERT_NE(Fit, nullptr);
        F().GraphView()->repaint();
        EXPECT_TRUE(Fit->RefitPending) << "the paint did not fit";
        WaitForRefit(*Fit);
        EXPECT_TRUE(Fit->LastError.isEmpty()) << Fit->LastError.toStdString();
        EXPECT_GT(Fit->XValues.Count(), 0);
        EXPECT_TRUE(Errors.empty()) << Errors.front().toStdString();
        Close();
        // The next run starts without the graphs this one left behind.
        std::filesystem::remove(Paths.SettingsFile);
    }
}

// Whatever stops the refit, it ends after its pass with the best vertex
// drawn; deleting the fit meanwhile is refused, and works afterwards.
TEST_F(Refit, EscapeDoFitOrClosingTheWindowStopTheRefitSafely)
{
    const std::pair<const char*, std::function<void()>> Stops[] = {
        {"Escape", [this] { QTest::keyClick(F().GraphView(), Qt::Key_Escape); }},
        {"Do Fit", [this] { QTest::mouseClick(C().SimplexPanel()->DoFitButton, Qt::LeftButton); }},
        {"close", [this] { F().close(); }},
    };
    for (const auto& [Name, Stop] : Stops) {
        SCOPED_TRACE(Name);
        TExpressionFit& Fit = OpenWithFit(5000000);
        EditCell(Fit);
        bool DeleteRefused = false;
        QElapsedTimer Clock;
        Clock.start();
        WaitForRefit(Fit, [&] {
            F().Action("DeleteTab")->trigger();
            DeleteRefused = F().ActiveSeries()->Children.size() == 1 && C().Fitting();
            Stop();
        });
        EXPECT_LT(Clock.elapsed(), 60000) << "stopped long before its passes end";
        EXPECT_TRUE(DeleteRefused);
        EXPECT_EQ(Fit.Iterations(), 5000000);
        EXPECT_GT(Fit.XValues.Count(), 0) << "the best vertex is drawn";
        EXPECT_TRUE(Fit.LastError.isEmpty()) << Fit.LastError.toStdString();
        EXPECT_TRUE(Table->isEnabled());
        F().show();
        F().Action("DeleteTab")->trigger();
        EXPECT_TRUE(F().ActiveSeries()->Children.empty()) << "deleting works once the fit has stopped";
        Close();
    }
}

TEST_F(Refit, AReportOfTheWindowWaitsForItsRefit)
{
    TExpressionFit& Fit = OpenWithFit(20);
    const std::vector<double> Start(Fit.Variables().begin(), Fit.Variables().end());
    EditCell(Fit);
    // The merge comes before the event loop had a chance to run the fit.
    ASSERT_TRUE(TGraphRichText::Shared(*Table).PrepareReport(F()));
    EXPECT_FALSE(Fit.RefitPending);
    EXPECT_FALSE(C().Fitting());
    const std::string Section = Fit.ResultsSection();
    const double Reported = F().ActiveSeries()->Results.ReadFloat(Section, "ChiSquare", -1);
    const std::vector<double> Refitted(Fit.Variables().begin(), Fit.Variables().end());
    EXPECT_EQ(SynchronousFit(F().Model(), Fit, Start), Refitted);
    EXPECT_NEAR(Reported, Fit.ChiSquare(), 1e-12 * Fit.ChiSquare()) << "the report read the results of the new data";
}

// A fit's formula may use the named constants of the settings file, in a
// fit added in the window and in one loaded from a data file.
TEST_F(Refit, FitsKnowTheNamedConstantsOfTheSettingsFile)
{
    std::filesystem::create_directories(std::filesystem::path(Paths.SettingsFile).parent_path());
    Write(Paths.SettingsFile, "[CalculationConstants]\r\nGRAV=9.81\r\n");
    Open();
    Workspace->SettingsFile = Paths.SettingsFile;
    for (int i = 0; i < 20; ++i) {
        Doc().Table.Data(1).SetValue(i, i);
        Doc().Table.Data(2).SetValue(i, 2 * i + 9.81);
    }
    Plot(1, 1, 1, 2);
    Assign->RebuildGraphWindows();
    F().show();
    F().Action("AddNonlinearRegression")->trigger();
    auto* Added = dynamic_cast<TExpressionFit*>(F().CurrentItem());
    ASSERT_NE(Added, nullptr);
    QComboBox* Combo = C().SimplexPanel()->FormulaCombo;
    Combo->setFocus();
    Combo->setEditText("A*X+GRAV");
    QTest::keyClick(Combo, Qt::Key_Return);
    EXPECT_TRUE(Errors.empty()) << Errors.front().toStdString();
    EXPECT_EQ(Added->Expression(), "A*X+GRAV");
    Added->SetIterations(400);
    QTest::mouseClick(C().SimplexPanel()->DoFitButton, Qt::LeftButton);
    auto Check = [](TExpressionFit& Fit) {
        EXPECT_TRUE(Fit.LastError.isEmpty()) << Fit.LastError.toStdString();
        ASSERT_EQ(Fit.Order(), 1);
        EXPECT_NEAR(Fit.Variables()[0], 2, 1e-4);
        EXPECT_NEAR(Fit.Evaluate(10), 29.81, 1e-3);
    };
    {
        SCOPED_TRACE("added");
        Check(*Added);
    }

    const QString File = QString::fromStdString((Dir / "constants.plt").string());
    ASSERT_TRUE(Table->SaveToFile(File));
    ASSERT_TRUE(Table->LoadFromFile(File));
    const std::vector<TKvCalculatedSeries*> Loaded = Workspace->Window(1).Calculations();
    ASSERT_EQ(Loaded.size(), 1u);
    auto* Reloaded = dynamic_cast<TExpressionFit*>(Loaded[0]);
    ASSERT_NE(Reloaded, nullptr);
    Workspace->Window(1).Graph.PrepareForPaint();
    SCOPED_TRACE("loaded");
    Check(*Reloaded);
}

} // namespace
