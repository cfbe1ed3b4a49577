// The calculation panels of the graph window: adding, naming, switching
// and deleting calculations, the range panel, the result panels, the fit's
// formula and history, and bad input.

#include "GraphWindowFixture.h"

#include "ui/KvFloatEdit.h"
#include "ui/KvIntegerEdit.h"
#include "ui/graphwindow/CalcPanelFields.h"
#include "ui/graphwindow/CalcRangePanel.h"
#include "ui/graphwindow/FitPanel.h"
#include "ui/graphwindow/GraphCalculations.h"
#include "ui/graphwindow/InterpolationPanel.h"
#include "ui/graphwindow/KvGraphView.h"
#include "ui/graphwindow/LinearRegressionPanel.h"
#include "ui/graphwindow/PolynomialPanel.h"

#include "foundation/KvFormatSettings.h"
#include "foundation/KvLargeIniFile.h"
#include "foundation/KvStrings.h"
#include "graph/ExpressionFit.h"
#include "graph/KvASplineDifferential.h"
#include "graph/KvDifferential.h"
#include "graph/KvInterpolatedLine.h"
#include "graph/KvLinearRegressionLine.h"
#include "graph/KvPolynomLine.h"
#include "workspace/KvResultsCommand.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QClipboard>
#include <QApplication>
#include <QPushButton>
#include <QTabBar>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>

#include <cmath>
#include <sstream>

using namespace kv;
using namespace kv::test;

namespace {

class Calculations : public GraphWindows {
protected:
    // Graph 1 plots B over A in slot Slot; X runs 1..N, Y = 3 + 2X with a
    // small wobble so the regression has errors.
    void OpenWithLine(int Slot = 1, int N = 12)
    {
        Open();
        TKvRealVector& X = Doc().Table.Data(1);
        TKvRealVector& Y = Doc().Table.Data(2);
        for (int i = 0; i < N; ++i) {
            X.SetValue(i, i + 1);
            Y.SetValue(i, 3 + 2 * (i + 1) + (i % 2 ? 0.25 : -0.25));
        }
        Plot(1, Slot, 1, 2);
        Assign->RebuildGraphWindows();
        Form(1).resize(1000, 700);
        Form(1).show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form(1)));
        Form(1).Graph().PrepareForPaint();
    }
    TGraphForm& F() { return Form(1); }
    TGraphCalculations& C() { return *F().Calculations(); }
    TKvCalcRangePanel& Range() { return *C().RangePanel(); }
    QStringList Tabs()
    {
        QStringList L;
        for (int i = 0; i < F().CalculationsTab()->count(); ++i)
            L << F().CalculationsTab()->tabText(i);
        return L;
    }
    template <class T>
    T& Add(const char* Action)
    {
        F().Action(Action)->trigger();
        auto* Curve = dynamic_cast<T*>(F().CurrentItem());
        if (!Curve)
            throw std::runtime_error(std::string("no curve of the expected kind after ") + Action);
        return *Curve;
    }
    // Types a value into a numeric edit and presses Enter.
    static void Enter(TKvFloatEdit* E, double Value)
    {
        E->setFocus();
        E->SetValue(Value);
        QTest::keyClick(E, Qt::Key_Return);
    }
    void EnterFormula(const QString& Text)
    {
        QComboBox* Combo = C().SimplexPanel()->FormulaCombo;
        Combo->setFocus();
        Combo->setEditText(Text);
        QTest::keyClick(Combo, Qt::Key_Return);
    }
};

TEST_F(Calculations, TwoLinearRegressionsShareTheirCaptionsAndTheSecondTabHasTheSuffix)
{
    OpenWithLine();
    auto& A = Add<TKvLinearRegressionLine>("AddLinReg");
    auto& B = Add<TKvLinearRegressionLine>("AddLinReg");
    EXPECT_EQ(Tabs(), QStringList({"Data Points", "Linear Regression", "Linear Regression (2)"}));
    EXPECT_EQ(A.AutoCaption(), "Linear Regression from Series(1)");
    EXPECT_EQ(B.AutoCaption(), "Linear Regression from Series(1)");
    EXPECT_EQ(A.Tag, 1);
    EXPECT_EQ(B.Tag, 2);
    EXPECT_FALSE(B.DisplayAutoStart()) << "a new regression's display range is fixed";
    EXPECT_EQ(F().CalculationsTab()->currentIndex(), 2);
    EXPECT_TRUE(Range().isVisible());
    EXPECT_TRUE(C().LinRegPanel()->isVisible());
    EXPECT_FALSE(C().PolyRegPanel()->isVisible());

    // The interpolation kinds of one series share their tab caption.
    Add<TKvInterpolatedFunction>("AddInterpolation");
    F().CalculationsTab()->setCurrentIndex(0);
    C().InterpolatePanel()->SplineSelect->setCurrentIndex(1);
    Add<TKvInterpolatedFunction>("AddInterpolation");
    EXPECT_EQ(Tabs().mid(3), QStringList({"Interpolation", "Interpolation"}));

    // Shift+Del deletes the selected calculation and selects the data points.
    F().CalculationsTab()->setCurrentIndex(1);
    F().Action("DeleteTab")->trigger();
    EXPECT_EQ(Tabs(), QStringList({"Data Points", "Linear Regression", "Interpolation", "Interpolation"}));
    EXPECT_EQ(F().CalculationsTab()->currentIndex(), 0);
    EXPECT_EQ(F().ActiveSeries()->Children.size(), 3u);
    EXPECT_EQ(F().Action("DeleteTab")->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_Delete));
}

// A new curve, added or switched to another engine, is calculated once
// as it joins its series; the curves beside it are not calculated again.
TEST_F(Calculations, AddingOrSwitchingACurveLeavesItsSiblingsAlone)
{
    OpenWithLine();
    auto& L = Add<TKvLinearRegressionLine>("AddLinReg");
    F().CalculationsTab()->setCurrentIndex(0);
    int Recalculated = 0;
    L.OnCalculated = [&](TKvCalculatedSeries&) { ++Recalculated; };
    for (const char* Step : {"AddPolynomial", "AddInterpolation", "switch", "AddNonlinearRegression"}) {
        if (std::string(Step) == "switch")
            C().InterpolatePanel()->SplineSelect->setCurrentIndex(1);
        else {
            F().CalculationsTab()->setCurrentIndex(0);
            F().Action(Step)->trigger();
        }
        F().Graph().PrepareForPaint();
        EXPECT_EQ(Recalculated, 0) << Step;
    }
    EXPECT_EQ(F().ActiveSeries()->Children.size(), 4u);
    // A change of the data still reaches every curve.
    Doc().Table.Data(2).SetValue(0, 6);
    F().Graph().PrepareForPaint();
    EXPECT_EQ(Recalculated, 1);
}

TEST_F(Calculations, TheAutoCaptionCountsTheSeriesTabNotTheSlot)
{
    OpenWithLine(3);
    EXPECT_EQ(F().SeriesTab()->tabText(0), "3");
    auto& L = Add<TKvLinearRegressionLine>("AddLinReg");
    EXPECT_EQ(L.AutoCaption(), "Linear Regression from Series(1)");
}

TEST_F(Calculations, SwitchingTheEngineKeepsTabRangesCaptionsAndStyle)
{
    OpenWithLine();
    Add<TKvLinearRegressionLine>("AddLinReg");
    F().CalculationsTab()->setCurrentIndex(0);
    C().InterpolatePanel()->SplineSelect->setCurrentIndex(1);
    auto& D = Add<TKvASplineDifferential>("AddDifferential");
    EXPECT_EQ(D.AutoCaption(), "Differentiation (Approximative Spline) from Series(1)");
    D.LineStyle.SetWidth(3);
    D.SetUserCaption("slope");
    D.SetDoUserCaption(true);
    Enter(Range().FromEdit, 2);
    Enter(Range().ToEdit, 9);
    const int Tab = F().CalculationsTab()->currentIndex();

    C().InterpolatePanel()->SplineSelect->setCurrentIndex(0);
    auto* A = dynamic_cast<TKvDifferential*>(F().CurrentItem());
    ASSERT_NE(A, nullptr) << "an Akima derivative replaced the spline one";
    EXPECT_EQ(F().CalculationsTab()->currentIndex(), Tab);
    EXPECT_EQ(F().CalculationsTab()->tabText(Tab), "Differentiation");
    EXPECT_EQ(A->CalculationStart(), 2);
    EXPECT_EQ(A->CalculationStop(), 9);
    EXPECT_EQ(A->LineStyle.Width(), 3);
    EXPECT_EQ(A->Caption(), "slope");
    EXPECT_EQ(F().ActiveSeries()->Children.back().get(), A) << "the new curve is last among its siblings";
    EXPECT_EQ(F().ActiveSeries()->Children.size(), 2u);
}

TEST_F(Calculations, RangesTheAutoFlagsAndTheCoupling)
{
    OpenWithLine();
    auto& L = Add<TKvLinearRegressionLine>("AddLinReg");
    // From at or before the first X follows the data; To inside does not.
    struct Case {
        double From, To;
        bool AutoStart, AutoStop;
    };
    for (const Case& K : {Case{0.5, 6, true, false}, Case{1, 12, true, true}, Case{2, 20, false, true}}) {
        Enter(Range().FromEdit, K.From);
        Enter(Range().ToEdit, K.To);
        EXPECT_EQ(L.AutoStart(), K.AutoStart) << K.From;
        EXPECT_EQ(L.AutoStop(), K.AutoStop) << K.To;
    }
    Enter(Range().FromEdit, 3);
    Enter(Range().ToEdit, 8);
    EXPECT_EQ(L.CalculationStart(), 3);
    EXPECT_EQ(L.CalculationStop(), 8);

    // Coupled: the display edits follow From/To and are disabled.
    ASSERT_TRUE(L.CoupleCalculationAndDisplay());
    EXPECT_FALSE(Range().DisplayFromEdit->isEnabled());
    EXPECT_EQ(Range().DisplayFromEdit->Value(), 3);
    QTest::mouseClick(Range().ChainBtn, Qt::LeftButton);
    EXPECT_FALSE(L.CoupleCalculationAndDisplay());
    EXPECT_TRUE(Range().DisplayFromEdit->isEnabled());
    EXPECT_TRUE(F().Action("DisplayRangeMarkers")->isEnabled());
    EXPECT_EQ(Range().DisplayFromEdit->Value(), 3);
    EXPECT_EQ(Range().DisplayToEdit->Value(), 8);
    EXPECT_EQ(Range().ChainBtn->toolTip(), "Click button to couple\rcalculation range with display range");
    Enter(Range().DisplayFromEdit, 1);
    Enter(Range().DisplayToEdit, 11);
    EXPECT_EQ(L.DisplayStart(), 1);
    EXPECT_EQ(L.DisplayStop(), 11);
    EXPECT_EQ(L.CalculationStart(), 3) << "the display edits leave the calculation range";
    // Coupling again copies the calculation range into the display edits.
    QTest::mouseClick(Range().DisplayLabel, Qt::LeftButton);
    EXPECT_TRUE(L.CoupleCalculationAndDisplay());
    EXPECT_EQ(Range().DisplayFromEdit->Value(), 3);
    EXPECT_EQ(Range().DisplayToEdit->Value(), 8);
    EXPECT_FALSE(Range().DisplayToEdit->isEnabled());
    EXPECT_FALSE(F().Action("DisplayRangeMarkers")->isEnabled());
}

TEST_F(Calculations, MarkersDraggedInReverseOrderGiveAReversedRange)
{
    OpenWithLine();
    auto& L = Add<TKvLinearRegressionLine>("AddLinReg");
    Enter(Range().FromEdit, 2);
    Enter(Range().ToEdit, 10);
    F().Action("RangeMarkers")->trigger();
    TKvDrawingWorld& W = F().Graph().World();
    ASSERT_TRUE(W.MarkersShown);
    EXPECT_EQ(W.Marker1X, L.XToPixel(2));
    EXPECT_EQ(W.Marker2X, L.XToPixel(10));
    EXPECT_TRUE(F().GraphView()->toolTip().isEmpty()) << "the graph's hint is off in the marker mode";
    // The second marker is dragged left of the first.
    const int Y = (W.PlotRect.Top + W.PlotRect.Bottom) / 2;
    QTest::mousePress(F().GraphView(), Qt::LeftButton, {}, QPoint(W.Marker2X, Y));
    QTest::mouseMove(F().GraphView(), QPoint(L.XToPixel(1.5), Y));
    QTest::mouseRelease(F().GraphView(), Qt::LeftButton, {}, QPoint(L.XToPixel(1.5), Y));
    // Any other command ends the mode and applies the markers.
    F().Action("ZoomAll")->trigger();
    EXPECT_FALSE(W.MarkersShown);
    EXPECT_FALSE(F().Action("RangeMarkers")->isChecked());
    EXPECT_FALSE(F().GraphView()->toolTip().isEmpty());
    EXPECT_NEAR(L.CalculationStart(), 2, 0.1);
    EXPECT_NEAR(L.CalculationStop(), 1.5, 0.1);
    EXPECT_GT(L.CalculationStart(), L.CalculationStop()) << "passed on as it is";
    EXPECT_EQ(Range().DisplayFromEdit->Value(), Range().FromEdit->Value()) << "coupled display follows";
}

TEST_F(Calculations, FixAHidesTheErrorOfAAndTheResultsMatchTheCurve)
{
    OpenWithLine();
    auto& L = Add<TKvLinearRegressionLine>("AddLinReg");
    TKvLinearRegressionPanel& P = *C().LinRegPanel();
    EXPECT_EQ(P.bLab->text(), FieldText(18, L.Result().Slope));
    EXPECT_TRUE(P.DeltaALab->isVisible());
    EXPECT_TRUE(P.DeltaALab->text().endsWith("%)"));
    EXPECT_FALSE(P.FixedAEdit->isEnabled());

    QTest::mouseClick(P.FixedOffsetCheck, Qt::LeftButton);
    EXPECT_TRUE(L.DoFixedOffset);
    EXPECT_FALSE(P.DeltaALab->isVisible());
    EXPECT_TRUE(P.FixedAEdit->isEnabled());
    Enter(P.FixedAEdit, 0);
    EXPECT_EQ(L.Offset(), 0);
    EXPECT_EQ(P.aLab->text(), "0");

    QTest::mouseClick(P.FixedOffsetCheck, Qt::LeftButton);
    EXPECT_FALSE(L.DoFixedOffset);
    EXPECT_TRUE(P.DeltaALab->isVisible());
    EXPECT_NEAR(L.Offset(), 3, 0.3) << "recalculated with a free offset";

    // Selecting another regression with "Fix a at" off does not change its range.
    QTest::mouseClick(P.FixedOffsetCheck, Qt::LeftButton);
    F().CalculationsTab()->setCurrentIndex(0);
    auto& M = Add<TKvLinearRegressionLine>("AddLinReg");
    const double Start = M.CalculationStart(), Stop = M.CalculationStop();
    F().CalculationsTab()->setCurrentIndex(1);
    F().CalculationsTab()->setCurrentIndex(2);
    EXPECT_EQ(M.CalculationStart(), Start);
    EXPECT_EQ(M.CalculationStop(), Stop);
    EXPECT_TRUE(P.DeltaALab->isVisible());
}

TEST_F(Calculations, TheFormulaIsCheckedAndTheHistoryIgnoresCaseAndKeepsTen)
{
    OpenWithLine();
    TGraphCalculations::FormulaHistory().clear();
    auto& Fit = Add<TExpressionFit>("AddNonlinearRegression");
    EnterFormula("A+B*X");
    EXPECT_EQ(Fit.Expression(), "A+B*X");
    EXPECT_EQ(C().SimplexPanel()->CoeffsTable->rowCount(), 2);
    EXPECT_EQ(C().SimplexPanel()->CoeffsTable->item(1, 0)->text(), "b:");

    struct Case {
        const char* Formula;
        const char* Message;
    };
    for (const Case& K : {Case{"A*2", "Expression must contain the independent variable X!"},
                          Case{"X*2", "Expression must contain a variable A..P !"}}) {
        Errors.clear();
        EnterFormula(K.Formula);
        ASSERT_FALSE(Errors.empty()) << K.Formula;
        EXPECT_EQ(Errors.front(), K.Message);
        EXPECT_EQ(Fit.Expression(), "A+B*X") << "the previous formula stays";
        EXPECT_EQ(Fit.Order(), 2);
        EXPECT_EQ(C().SimplexPanel()->CoeffsTable->rowCount(), 2);
        EXPECT_EQ(TGraphCalculations::FormulaHistory(), QStringList{"A+B*X"});
    }
    Errors.clear();
    EnterFormula("A+B*X+(");
    EXPECT_FALSE(Errors.empty()) << "a compile error is told";
    EXPECT_EQ(Fit.Expression(), "A+B*X");

    // An entry of another letter case (from an earlier run) is replaced.
    TGraphCalculations::FormulaHistory().append("a+b*SIN(x)");
    EnterFormula("A+B*sin(X)");
    EXPECT_EQ(TGraphCalculations::FormulaHistory(), QStringList({"A+B*sin(X)", "A+B*X"}))
        << "one entry, the newest spelling on top";
    for (int k = 1; k <= 10; ++k)
        EnterFormula(QString("A*X+%1").arg(k));
    const QStringList& H = TGraphCalculations::FormulaHistory();
    ASSERT_EQ(H.size(), 10);
    EXPECT_EQ(H.front(), "A*X+10");
    EXPECT_EQ(H.back(), "A*X+1") << "the oldest entry was pushed out";
    EXPECT_EQ(C().SimplexPanel()->FormulaCombo->count(), 10);

    // Pure history cleaning: first occurrences stay, one entry beyond ten goes.
    EXPECT_EQ(InsertIntoFormulaHistory({"x", "Y", "z"}, "y"), QStringList({"y", "x", "z"}));
}

TEST_F(Calculations, BadInputIsToldAndLosesNothing)
{
    OpenWithLine(1, 6);
    auto& L = Add<TKvLinearRegressionLine>("AddLinReg");
    const std::vector<double> Before(L.YValues.Values().begin(), L.YValues.Values().end());
    ASSERT_FALSE(Before.empty());
    struct Case {
        double From, To;
    };
    // Start above stop, and a range outside the data: no points to use.
    for (const Case& K : {Case{5, 2}, Case{100, 200}}) {
        Range().FromEdit->SetValue(K.From);
        Enter(Range().ToEdit, K.To);
        EXPECT_FALSE(F().StatusPanel(2)->text().isEmpty()) << K.From;
        EXPECT_TRUE(F().StatusPanel(2)->text().startsWith("Linear Regression from Series(1): "))
            << F().StatusPanel(2)->text().toStdString();
        EXPECT_EQ(std::vector<double>(L.YValues.Values().begin(), L.YValues.Values().end()), Before)
            << "the previous curve is kept";
    }
    // Applying a good range clears the message.
    Enter(Range().FromEdit, 1);
    Enter(Range().ToEdit, 6);
    EXPECT_TRUE(F().StatusPanel(2)->text().isEmpty());

    // An order above the number of points.
    F().CalculationsTab()->setCurrentIndex(0);
    auto& P = Add<TKvPolynomLine>("AddPolynomial");
    C().PolyRegPanel()->OrderEdit->setFocus();
    C().PolyRegPanel()->OrderEdit->SetValue(9);
    QTest::keyClick(C().PolyRegPanel()->OrderEdit, Qt::Key_Return);
    EXPECT_FALSE(F().StatusPanel(2)->text().isEmpty());
    EXPECT_EQ(F().ActiveSeries()->Children.size(), 2u);
    EXPECT_GT(P.XValues.Count(), 0) << "the previous curve is kept";

    // A coefficient cell with text.
    F().CalculationsTab()->setCurrentIndex(0);
    auto& Fit = Add<TExpressionFit>("AddNonlinearRegression");
    EnterFormula("A+B*X");
    const std::vector<double> Variables = Fit.Variables();
    Errors.clear();
    C().SimplexPanel()->CoeffsTable->item(0, 1)->setText("abc");
    ASSERT_FALSE(Errors.empty());
    EXPECT_TRUE(Errors.front().contains("abc"));
    EXPECT_EQ(Fit.Variables(), Variables);
    C().SimplexPanel()->CoeffsTable->item(0, 1)->setText("2.5");
    EXPECT_EQ(Fit.Variables()[0], 2.5);
}

// The order applies on Enter or when the field is left, not on every
// keystroke; a failed calculation empties its panel's numbers (the curve
// before stays, the status line says why), and so does a range outside
// the data.
TEST_F(Calculations, PanelNumbersBelongToWhatIsShown)
{
    OpenWithLine();
    auto& P = Add<TKvPolynomLine>("AddPolynomial");
    TKvPolynomialPanel& Panel = *C().PolyRegPanel();
    TKvSpinIntegerEdit* Order = Panel.OrderEdit;
    Order->setFocus();
    Order->selectAll();
    QTest::keyClicks(Order, "3");
    EXPECT_EQ(P.Order(), 2) << "applied while typing";
    QTest::keyClick(Order, Qt::Key_Return);
    EXPECT_EQ(P.Order(), 3);
    // the formula drawn as a caption, not its markup
    EXPECT_EQ(Panel.FormulaLabel->text().toStdString(), "Y=a+bX+cX<sup>2</sup>+dX<sup>3</sup>");
    const QString R2 = Panel.PolR2Lab->text();
    ASSERT_FALSE(R2.isEmpty());
    Order->selectAll();
    QTest::keyClicks(Order, "2");
    EXPECT_EQ(P.Order(), 3) << "order 2 fitted on the way to 20";
    QTest::keyClicks(Order, "0");
    EXPECT_EQ(P.Order(), 3);
    Order->DoExit(); // leaving the field applies it
    EXPECT_EQ(Order->Value(), 20);
    EXPECT_FALSE(F().StatusPanel(2)->text().isEmpty());
    EXPECT_GT(P.XValues.Count(), 0) << "the previous curve is kept";
    for (QLineEdit* Field : {Panel.PolR2Lab, Panel.PolAverageXLab, Panel.PolChiSquareLab})
        EXPECT_TRUE(Field->text().isEmpty()) << Field->objectName().toStdString() << ": " << Field->text().toStdString();
    EXPECT_EQ(Panel.PolCoeffListBox->count(), 0);
    Shot(F(), "panel-after-failed-order");

    F().CalculationsTab()->setCurrentIndex(0);
    Add<TKvLinearRegressionLine>("AddLinReg");
    TKvLinearRegressionPanel& Lin = *C().LinRegPanel();
    ASSERT_FALSE(Lin.aLab->text().isEmpty());
    Range().FromEdit->SetValue(100);
    Enter(Range().ToEdit, 200);
    EXPECT_FALSE(F().StatusPanel(2)->text().isEmpty());
    for (QLineEdit* Field : {Lin.aLab, Lin.DeltaALab, Lin.bLab, Lin.RLab})
        EXPECT_TRUE(Field->text().isEmpty()) << Field->objectName().toStdString() << ": " << Field->text().toStdString();
}

// Panel numbers in the display form: no more than the 15 digits a double
// holds for sure, within the field's length.
TEST(CalcPanelFields, NumbersInTheDisplayForm)
{
    TKvScopedFormatSettings Settings({'.', ','});
    const struct {
        int MaxLength;
        double Value;
        const char* Expected;
    } Cases[] = {{18, 8.7695500000000006, "8.76955"},
                 {18, 1.0 / 3, "0.333333333333333"},
                 {8, 1.0 / 3, "0.333333"},
                 {18, -2.0 / 3 * 1e-100, "-6.6666666667E-101"},
                 {11, 12345.678, "12345.678"}};
    for (const auto& C : Cases)
        EXPECT_EQ(FieldText(C.MaxLength, C.Value).toStdString(), C.Expected) << C.MaxLength << " " << C.Value;
}

// Every new curve takes the next colour of the palette: no two alike.
TEST_F(Calculations, NewCurvesTakeTheNextColour)
{
    OpenWithLine();
    std::vector<TColor> Colors;
    for (const char* Add : {"AddLinReg", "AddPolynomial", "AddInterpolation", "AddLinReg"}) {
        F().CalculationsTab()->setCurrentIndex(0);
        F().Action(Add)->trigger();
        Colors.push_back(F().CurrentItem()->LineStyle.Color());
    }
    EXPECT_EQ(Colors.front(), clRed);
    std::sort(Colors.begin(), Colors.end());
    EXPECT_EQ(std::unique(Colors.begin(), Colors.end()), Colors.end());
}

// Copy takes the selected line of a result list and the active coefficient
// of the fit, each as shown.
TEST_F(Calculations, CopyTakesTheListLineAndTheActiveCoefficient)
{
    OpenWithLine();
    auto& P = Add<TKvPolynomLine>("AddPolynomial");
    QListWidget* List = C().PolyRegPanel()->PolCoeffListBox;
    ASSERT_GT(List->count(), 1);
    F().CalculationsTab()->setCurrentIndex(0);
    auto& Fit = Add<TExpressionFit>("AddNonlinearRegression");
    EnterFormula("A+B*X");
    QTableWidget* Grid = C().SimplexPanel()->CoeffsTable;
    // Row: the grid row made active, -1 for the list's second line.
    const std::pair<QWidget*, int> Cases[] = {{List, -1}, {Grid, 1}, {Grid, 0}};
    F().activateWindow();
    for (const auto& [Focus, Row] : Cases) {
        F().CalculationsTab()->setCurrentIndex(Row < 0 ? 1 : 2);
        Focus->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == Focus; }));
        if (Row < 0)
            List->setCurrentRow(1);
        else
            Grid->setCurrentCell(Row, Row);
        QApplication::clipboard()->clear();
        F().Action("EditCopy")->trigger();
        const QString Expected = Row < 0 ? List->item(1)->text()
                                         : QString::fromStdString(FloatToTextMaxLength(
                                               18, Fit.Variables()[static_cast<size_t>(Row)]));
        EXPECT_EQ(QApplication::clipboard()->text(), Expected) << Row;
    }
    EXPECT_TRUE(List->item(1)->text().startsWith("b: ")) << P.Order();
}

TEST_F(Calculations, ThePanelsShowWhatTheResultsCommandWrites)
{
    Open();
    const std::string File = KURVEX_TEST_DATA "/../../examples/Calculated-curves.plt";
    ASSERT_TRUE(Table->LoadFromFile(QString::fromStdString(File)));
    Assign->RebuildGraphWindows();
    F().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&F()));
    const std::string Out = (Dir / "results.ini").string();
    std::ostringstream Err;
    ASSERT_EQ(RunResults({"--results", Out, File}, Err).Status, 0) << Err.str();
    TKvLargeIniFile Results(Out);
    ASSERT_GT(F().CalculationsTab()->count(), 1);
    F().CalculationsTab()->setCurrentIndex(1);
    ASSERT_NE(dynamic_cast<TKvLinearRegressionLine*>(F().CurrentItem()), nullptr);
    const std::string S = "Graph(1).Series(1).LinearRegression";
    ASSERT_TRUE(Results.SectionExists(S));
    TKvLinearRegressionPanel& P = *C().LinRegPanel();
    // Each field holds the file's value to the digits the field shows.
    struct Field {
        QLineEdit* Edit;
        const char* Key;
        double Tolerance;
    };
    for (const Field& K : {Field{P.aLab, "Offset", 1e-12}, Field{P.bLab, "Slope", 1e-12}, Field{P.RLab, "R", 1e-7},
                           Field{P.AverageXLab, "AverageX", 1e-8}, Field{P.ChiSquareLab, "ChiSquare", 1e-5},
                           Field{P.DeltaBLab, "DeltaSlope", 1e-11}}) {
        const double Expected = Results.ReadFloat(S, K.Key, NAN);
        const double Shown = K.Edit->text().section(' ', 0, 0).toDouble();
        EXPECT_NEAR(Shown, Expected, K.Tolerance * std::max(1.0, std::fabs(Expected))) << K.Key;
    }
}

TEST_F(Calculations, DoFitKeepsTheWindowResponsiveAndASecondPressStopsIt)
{
    OpenWithLine(1, 2000);
    auto& Fit = Add<TExpressionFit>("AddNonlinearRegression");
    EnterFormula("A+B*X+C*sin(D*X)");
    F().Graph().PrepareForPaint();
    C().SimplexPanel()->IterationsEdit->SetValue(5000000);
    emit C().SimplexPanel()->IterationsEdit->OnChange();
    ASSERT_EQ(Fit.Iterations(), 5000000);
    int Seen = 0;
    bool DeleteRefused = false;
    QTimer::singleShot(150, [&] {
        Seen = C().SimplexPanel()->IterationsEdit->Value();
        // Nothing may free the curve under the fit.
        F().Action("DeleteTab")->trigger();
        DeleteRefused = F().ActiveSeries()->Children.size() == 1 && C().Fitting();
        QTest::mouseClick(C().SimplexPanel()->DoFitButton, Qt::LeftButton);
    });
    QTest::mouseClick(C().SimplexPanel()->DoFitButton, Qt::LeftButton);
    EXPECT_FALSE(C().Fitting());
    EXPECT_GT(Seen, 0) << "the pass count was shown while the fit ran";
    EXPECT_TRUE(DeleteRefused);
    EXPECT_EQ(Fit.Iterations(), 5000000) << "the configured iterations stay";
    EXPECT_EQ(C().SimplexPanel()->IterationsEdit->Value(), 5000000);
    EXPECT_GT(Fit.XValues.Count(), 0) << "the best vertex is drawn";
    EXPECT_TRUE(Table->isEnabled()) << "other windows are usable again";

    // The handlers of the finished fit are gone: a data change refits
    // through the panel's own handler.
    C().SimplexPanel()->IterationsEdit->SetValue(3);
    emit C().SimplexPanel()->IterationsEdit->OnChange();
    Doc().Table.Data(2).SetValue(0, 100);
    F().Graph().PrepareForPaint();
    EXPECT_TRUE(Fit.LastError.isEmpty()) << Fit.LastError.toStdString();
    const double Chi = Fit.Fit().ChiSquare;
    EXPECT_NEAR(C().SimplexPanel()->SimplexChiLabel->text().toDouble(), Chi, 1e-9 * std::fabs(Chi));
}

// An outfit saved from a window with a fixed-offset linear regression and a
// polynomial of order 4, loaded into windows with other calculations: the
// existing calculations take the file's children in turn, whatever their
// kind, keep what the file's child does not say, and none is created or
// deleted.
TEST_F(Calculations, AnOutfitGivesTheExistingCalculationsTheFilesChildrenByPosition)
{
    OpenWithLine();
    auto& L = Add<TKvLinearRegressionLine>("AddLinReg");
    L.DoFixedOffset = true;
    L.SetOffset(1.5);
    L.LineStyle.SetRecord({true, 0x0000FF, 0, 2});
    L.SetCalculationStart(2);
    L.SetCalculationStop(9);
    F().CalculationsTab()->setCurrentIndex(0);
    auto& P = Add<TKvPolynomLine>("AddPolynomial");
    P.SetOrder(4);
    P.LineStyle.SetRecord({true, 0xFF0000, 0, 3});
    P.SetCalculationStart(3);
    P.SetCalculationStop(10);
    NextFile = QString::fromStdString((Dir / "two.oft").string());
    F().Action("SaveGraphOutfit")->trigger();

    // What position j of a window gets: the file's child j mod 2.
    const int32_t Colors[] = {0x0000FF, 0xFF0000}, Widths[] = {2, 3};
    const double Starts[] = {2, 3}, Stops[] = {9, 10};
    const std::vector<std::vector<const char*>> Cases = {
        {},
        {"AddPolynomial"},
        {"AddPolynomial", "AddLinReg"},
        {"AddLinReg", "AddPolynomial", "AddLinReg"},
        {"AddInterpolation", "AddNonlinearRegression", "AddDifferential"},
    };
    for (const auto& Kinds : Cases) {
        SCOPED_TRACE(Kinds.size() ? Kinds.front() : "none");
        while (!F().ActiveSeries()->Children.empty()) {
            F().CalculationsTab()->setCurrentIndex(1);
            F().Action("DeleteTab")->trigger();
        }
        std::vector<std::string> IDs;
        for (const char* A : Kinds) {
            F().CalculationsTab()->setCurrentIndex(0);
            F().Action(A)->trigger();
            auto* Curve = dynamic_cast<TKvCalculatedSeries*>(F().CurrentItem());
            ASSERT_NE(Curve, nullptr);
            IDs.push_back(Curve->CalculationID());
            // Settings no child of the file has.
            if (auto* Poly = dynamic_cast<TKvPolynomLine*>(Curve))
                Poly->SetOrder(3);
            if (auto* Akima = dynamic_cast<TKvInterpolatedLine*>(Curve)) {
                Akima->SetDoSmoothing(true);
                Akima->SetSmoothRange(0.5);
            }
            if (auto* Fit = dynamic_cast<TExpressionFit*>(Curve))
                Fit->SetExpression("A*X");
        }
        const QStringList TabsBefore = Tabs();
        F().Action("LoadGraphOutfit")->trigger();
        F().Graph().PrepareForPaint();

        EXPECT_EQ(Tabs(), TabsBefore);
        const auto& Children = F().ActiveSeries()->Children;
        ASSERT_EQ(Children.size(), Kinds.size());
        for (size_t j = 0; j < Children.size(); ++j) {
            SCOPED_TRACE(j);
            auto* C = dynamic_cast<TKvCalculatedSeries*>(Children[j].get());
            ASSERT_NE(C, nullptr);
            const size_t k = j % 2;
            EXPECT_EQ(C->CalculationID(), IDs[j]) << "the kind stays";
            EXPECT_EQ(C->LineStyle.Color(), Colors[k]);
            EXPECT_EQ(C->LineStyle.Width(), Widths[k]);
            EXPECT_EQ(C->CalculationStart(), Starts[k]);
            EXPECT_EQ(C->CalculationStop(), Stops[k]);
            if (auto* Poly = dynamic_cast<TKvPolynomLine*>(C)) {
                EXPECT_EQ(Poly->Order(), k == 1 ? 4 : 3);
            }
            if (auto* Lin = dynamic_cast<TKvLinearRegressionLine*>(C)) {
                EXPECT_EQ(Lin->DoFixedOffset, k == 0);
                EXPECT_EQ(Lin->DoFixedOffset ? Lin->Offset() : 1.5, 1.5);
            }
            if (auto* Akima = dynamic_cast<TKvInterpolatedLine*>(C)) {
                EXPECT_TRUE(Akima->DoSmoothing());
                EXPECT_EQ(Akima->SmoothRange(), 0.5);
            }
            if (auto* Fit = dynamic_cast<TExpressionFit*>(C)) {
                EXPECT_EQ(Fit->Expression(), "A*X");
                continue; // a fit runs with "Do Fit" only
            }
            // Recalculated over the new range (display coupled to it).
            ASSERT_GT(C->XValues.Count(), 0);
            EXPECT_GE(C->XValues.Values().front(), Starts[k] - 1e-9);
            EXPECT_LE(C->XValues.Values().back(), Stops[k] + 1e-9);
        }
        if (!Children.empty()) {
            F().CalculationsTab()->setCurrentIndex(1);
            EXPECT_EQ(Range().FromEdit->Value(), Starts[0]) << "the panel shows the loaded range";
        }
    }
}

// A newly added calculation takes the line style the settings file keeps
// for its place: window tag, the series' slot and the curve's position.
TEST_F(Calculations, ANewCalculationTakesTheLineStyleStoredForItsPlace)
{
    OpenWithLine(3);
    {
        TKvLargeIniFile Settings(Paths.SettingsFile);
        Settings.WriteLineStyle("Graph(1).Series(3).Child(2)", "Line", {true, 0x00FF00, 2, 4});
        Settings.WriteInteger("Graph(1).Series(1).Child(1)", "Line.Width", 7);
        Settings.Release();
    }
    auto& First = Add<TKvLinearRegressionLine>("AddLinReg");
    auto& Second = Add<TKvPolynomLine>("AddPolynomial");
    EXPECT_NE(First.LineStyle.Width(), 7) << "the series' slot, not its tab, names the section";
    const TKvLineStyleRecord Stored{true, 0x00FF00, 2, 4};
    EXPECT_EQ(Second.LineStyle.Record(), Stored);
    EXPECT_EQ(F().LineWidthEdit()->Value(), 4) << "the style controls show the stored style";
}

} // namespace

namespace {

// Every kind on the example's series, the damped oscillation fitted and the
// markers shown; pictures of each step when KURVEX_SHOTS names a folder.
TEST_F(Calculations, EveryKindOnTheDampedOscillationExample)
{
    Open();
    ASSERT_TRUE(Table->LoadFromFile(KURVEX_TEST_DATA "/../../examples/Damped-oscillation.plt"));
    Assign->RebuildGraphWindows();
    F().resize(1200, 800);
    F().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&F()));
    for (const char* A : {"AddLinReg", "AddPolynomial", "AddInterpolation", "AddDifferential", "AddIntegral"}) {
        F().CalculationsTab()->setCurrentIndex(0);
        F().Action(A)->trigger();
        QTest::qWait(20);
        Shot(F(), (std::string("calc-") + A).c_str());
    }
    F().CalculationsTab()->setCurrentIndex(0);
    C().InterpolatePanel()->SplineSelect->setCurrentIndex(1);
    F().Action("AddInterpolation")->trigger();
    F().CalculationsTab()->setCurrentIndex(0);
    auto& Fit = Add<TExpressionFit>("AddNonlinearRegression");
    EnterFormula("A*exp(-B*X)*sin(C*X+D)");
    QTest::mouseClick(C().SimplexPanel()->DoFitButton, Qt::LeftButton);
    QTest::qWait(20);
    Shot(F(), "calc-fit");
    EXPECT_GT(Fit.XValues.Count(), 0);
    F().CalculationsTab()->setCurrentIndex(1);
    auto* L = dynamic_cast<TKvLinearRegressionLine*>(F().CurrentItem());
    ASSERT_NE(L, nullptr);
    F().Action("RangeMarkers")->trigger();
    QTest::qWait(20);
    Shot(F(), "calc-markers");
    // Both markers dragged inwards, the regression follows when the mode ends.
    TKvDrawingWorld& W = F().Graph().World();
    const int Y = (W.PlotRect.Top + W.PlotRect.Bottom) / 2;
    for (const auto& [From, To] : {std::pair{W.Marker1X, L->XToPixel(2)}, std::pair{W.Marker2X, L->XToPixel(6)}}) {
        QTest::mousePress(F().GraphView(), Qt::LeftButton, {}, QPoint(From, Y));
        QTest::mouseMove(F().GraphView(), QPoint(To, Y));
        QTest::mouseRelease(F().GraphView(), Qt::LeftButton, {}, QPoint(To, Y));
    }
    QTest::qWait(20);
    Shot(F(), "calc-markers-dragged");
    F().Action("RangeMarkers")->trigger();
    QTest::qWait(20);
    Shot(F(), "calc-markers-applied");
    EXPECT_NEAR(L->CalculationStart(), 2, 0.05);
    EXPECT_NEAR(L->CalculationStop(), 6, 0.05);
    EXPECT_EQ(Range().FromEdit->Value(), L->CalculationStart());
    EXPECT_EQ(F().ActiveSeries()->Children.size(), 7u);
}

} // namespace
