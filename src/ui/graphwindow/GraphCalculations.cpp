#include "GraphCalculations.h"

#include "CalcPanelFields.h"
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
#include "foundation/KvLargeIniFile.h"
#include "foundation/KvStrings.h"
#include "graph/ExpressionFit.h"
#include "graph/KvASplineDifferential.h"
#include "graph/KvASplineIntegral.h"
#include "graph/KvCalculationFactory.h"
#include "graph/KvDifferential.h"
#include "graph/KvIntegral.h"
#include "graph/KvLegend.h"
#include "graph/KvLinearRegressionLine.h"
#include "graph/KvPolynomLine.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTableWidget>

#include <algorithm>
#include <memory>

namespace kv {

namespace {

// The tab caption of each calculation identifier.
QString KindCaption(const std::string& ID)
{
    if (ID == "Interpolation" || ID == "Approximative Spline")
        return "Interpolation";
    if (ID == "Differentiation" || ID == "Approximative Spline Differentiation")
        return "Differentiation";
    if (ID == "Integration" || ID == "Approximative Spline Integral")
        return "Integration";
    return QString::fromStdString(ID);
}

} // namespace

QStringList& TGraphCalculations::FormulaHistory()
{
    static QStringList History;
    return History;
}

TGraphCalculations::TGraphCalculations(TGraphForm& Form) : FForm(Form)
{
    CreatePanels();
    ConnectPanels();
    ConnectFitPanel();
    auto Add = [this](const char* Name, const char* Akima, const char* Spline) {
        QAction* A = FForm.Action(Name);
        A->setEnabled(true);
        connect(A, &QAction::triggered, this, [this, Akima, Spline] { AddCalculation(Akima, Spline); });
    };
    Add("AddLinReg", "Linear Regression", nullptr);
    Add("AddPolynomial", "Polynomial Regression", nullptr);
    Add("AddNonlinearRegression", "Nonlinear Regression", nullptr);
    Add("AddInterpolation", "Interpolation", "Approximative Spline");
    Add("AddDifferential", "Differentiation", "Approximative Spline Differentiation");
    Add("AddIntegral", "Integration", "Approximative Spline Integral");
    for (const char* Name : {"DeleteTab", "RangeMarkers", "DisplayRangeMarkers"})
        FForm.Action(Name)->setEnabled(true);
    connect(FForm.Action("DeleteTab"), &QAction::triggered, this, &TGraphCalculations::DeleteTab);
    connect(FForm.Action("RangeMarkers"), &QAction::triggered, this, [this](bool On) { RangeMarkers(false, On); });
    connect(FForm.Action("DisplayRangeMarkers"), &QAction::triggered, this,
            [this](bool On) { RangeMarkers(true, On); });
    FForm.CalculationTabCaption = [](TKvSeries& S) {
        auto* C = dynamic_cast<TKvCalculatedSeries*>(&S);
        return C ? KindCaption(C->CalculationID()) + C->IndexSuffix() : S.Caption();
    };
    FForm.OnItemChanged = [this] { EnterTab(); };
    // The window's own step before each paint of its graph (PrepareForPaint).
    FForm.GraphView()->installEventFilter(this);
    FForm.Model().OnCalculationError = [this](TKvCalculatedSeries& C, const EKvError& E) { CalculationError(C, E); };
}

TGraphCalculations::~TGraphCalculations()
{
    // The curves outlive the window: none may call back into it.
    FForm.OnItemChanged = nullptr;
    FForm.Model().OnCalculationError = nullptr;
    for (TKvCalculatedSeries* C : FForm.Model().Calculations()) {
        C->OnCalculated = nullptr;
        if (auto* F = dynamic_cast<TKvFittedLine*>(C); F && F != FFitting) {
            F->OnIteration = nullptr;
            // A refit this window was to run is left to the next preparation.
            if (F->RefitPending && F->ParentSeries()) {
                F->RefitPending = false;
                F->ParentSeries()->ChildrenDirty = true;
            }
        }
    }
}

void TGraphCalculations::CreatePanels()
{
    FRangePanel = new TKvCalcRangePanel(FForm.Action("RangeMarkers"), FForm.Action("DisplayRangeMarkers"));
    FLinRegPanel = new TKvLinearRegressionPanel;
    FPolyPanel = new TKvPolynomialPanel;
    FInterpolatePanel = new TKvInterpolationPanel;
    FSimplexPanel = new TKvFitPanel;
    FSimplexPanel->SetHistory(FormulaHistory());
    FForm.AddItemPanel(FRangePanel, [](TKvSeries* S) { return dynamic_cast<TKvCalculatedSeries*>(S) != nullptr; });
    FForm.AddItemPanel(FLinRegPanel, [](TKvSeries* S) { return dynamic_cast<TKvLinearRegressionLine*>(S) != nullptr; });
    FForm.AddItemPanel(FPolyPanel, [](TKvSeries* S) { return dynamic_cast<TKvPolynomLine*>(S) != nullptr; });
    FForm.AddItemPanel(FInterpolatePanel,
                       [](TKvSeries* S) { return dynamic_cast<TKvInterpolatedFunction*>(S) != nullptr; });
    FForm.AddItemPanel(FSimplexPanel, [](TKvSeries* S) { return dynamic_cast<TKvFittedLine*>(S) != nullptr; });
}

void TGraphCalculations::ConnectPanels()
{
    // Leaving an edit, Enter in it or a double click applies the edits.
    for (TKvFloatEdit* E : {FRangePanel->FromEdit, FRangePanel->ToEdit, FRangePanel->DisplayFromEdit,
                            FRangePanel->DisplayToEdit, FLinRegPanel->FixedAEdit, FInterpolatePanel->SmoothMEdit,
                            FInterpolatePanel->WeightFEdit}) {
        connect(E, &TKvFloatEdit::OnExit, this, &TGraphCalculations::ApplyCalculationEdits);
        connect(E, &QLineEdit::returnPressed, this, &TGraphCalculations::ApplyCalculationEdits);
        E->installEventFilter(this);
        E->installEventFilter(&FForm);
    }
    // The order applies as the range edits do: typing 20 must not fit
    // order 2 on the way. The spin buttons are a finished choice.
    TKvSpinIntegerEdit* Order = FPolyPanel->OrderEdit;
    connect(Order, &TKvIntegerEdit::OnExit, this, &TGraphCalculations::ApplyCalculationEdits);
    connect(Order, &QLineEdit::returnPressed, this, &TGraphCalculations::ApplyCalculationEdits);
    for (QToolButton* Step : {Order->UpButton(), Order->DownButton()})
        connect(Step, &QToolButton::clicked, this, &TGraphCalculations::ApplyCalculationEdits);
    FPolyPanel->OrderEdit->installEventFilter(&FForm);
    connect(FRangePanel, &TKvCalcRangePanel::CouplingClicked, this, &TGraphCalculations::ToggleCoupling);
    connect(FLinRegPanel->FixedOffsetCheck, &QCheckBox::clicked, this, [this](bool On) {
        auto* L = dynamic_cast<TKvLinearRegressionLine*>(Selected());
        if (!L)
            return;
        FForm.CheckSizersOn();
        L->DoFixedOffset = On;
        FLinRegPanel->ShowFixedOffset(On);
        ApplyCalculationEdits();
    });
    connect(FInterpolatePanel->SmoothCheck, &QCheckBox::clicked, this, [this](bool On) {
        auto* A = dynamic_cast<TKvAkimaFunction*>(Selected());
        if (!A)
            return;
        A->SetDoSmoothing(On);
        FInterpolatePanel->ShowSmoothing(On);
        ApplyCalculationEdits();
    });
    connect(FInterpolatePanel->SplineSelect, &QComboBox::currentIndexChanged, this,
            &TGraphCalculations::SwitchInterpolationKind);
}

void TGraphCalculations::ConnectFitPanel()
{
    TKvFitPanel* P = FSimplexPanel;
    connect(P->FormulaCombo->lineEdit(), &QLineEdit::editingFinished, this, &TGraphCalculations::FormulaEntered);
    connect(P->FormulaCombo, &QComboBox::activated, this, [this] {
        FormulaEntered();
        const QSignalBlocker Quiet(FSimplexPanel->FormulaCombo);
        FSimplexPanel->FormulaCombo->setCurrentIndex(0);
    });
    connect(P->CoeffsTable, &QTableWidget::cellChanged, this, &TGraphCalculations::CoeffCellEdited);
    connect(P->FitCovarianceRadio, &QRadioButton::toggled, this, [this] {
        auto* F = dynamic_cast<TKvFittedLine*>(Selected());
        if (F && !FFilling && F != FFitting)
            F->SetDoCovariance(FSimplexPanel->FitCovarianceRadio->isChecked());
    });
    auto Iterations = [this] {
        auto* F = dynamic_cast<TKvFittedLine*>(Selected());
        if (F && !FFilling && !FFitting)
            F->SetIterations(FSimplexPanel->IterationsEdit->Value());
    };
    connect(P->IterationsEdit, &TKvIntegerEdit::OnChange, this, Iterations);
    connect(P->IterationsEdit, &TKvIntegerEdit::OnExit, this, Iterations);
    connect(P->DoFitButton, &QPushButton::clicked, this, &TGraphCalculations::DoFit);
    P->IterationsEdit->installEventFilter(&FForm);
}

// ---------------------------------------------------------------- items and tabs

TKvCalculatedSeries* TGraphCalculations::Selected() const
{
    return dynamic_cast<TKvCalculatedSeries*>(FForm.CurrentItem());
}

bool TGraphCalculations::Alive(const TKvCalculatedSeries* Curve) const
{
    if (!Curve)
        return false;
    const std::vector<TKvCalculatedSeries*> All = FForm.Model().Calculations();
    return std::find(All.begin(), All.end(), Curve) != All.end();
}

TKvCalculatedSeries* TGraphCalculations::NewCalculation(std::string_view ID, int SeriesIndex)
{
    const auto& Series = FForm.DataSeries();
    if (SeriesIndex < 0 || static_cast<size_t>(SeriesIndex) >= Series.size())
        return nullptr;
    TKvDataWithErrorSeries& Parent = *Series[static_cast<size_t>(SeriesIndex)];
    const bool SiblingsDirty = Parent.ChildrenDirty;
    TKvCalculatedSeries* Curve =
        NewCalculationOfKind(ID, Parent, SeriesIndex + 1,
                             [this](TKvCalculatedSeries& C, const EKvError& E) { CalculationError(C, E); },
                             FForm.Table().Paths().SettingsFile);
    // The new curve calculated itself as it joined its series; the other
    // curves of the series need no new calculation for it (a fit among
    // them would run all its passes again at the next paint).
    if (!SiblingsDirty)
        Parent.ChildrenDirty = false;
    return Curve;
}

void TGraphCalculations::AddCalculation(const char* AkimaID, const char* SplineID)
{
    FForm.CheckSizersOn();
    if (!FForm.ActiveSeries() || FFitting)
        return;
    const char* ID = SplineID && FInterpolatePanel->SplineSelect->currentIndex() == 1 ? SplineID : AkimaID;
    const int Series = FForm.SeriesTab()->currentIndex();
    TKvCalculatedSeries* Curve = NewCalculation(ID, Series);
    if (!Curve)
        return;
    // The first calculation failed: the user hears of it through the
    // application's error handler; the curve keeps its tab so its range can
    // be mended or the curve deleted.
    // Each new curve its own colour, unless the settings keep a style for
    // its place.
    Curve->LineStyle.SetColor(CurveColor(static_cast<int>(FForm.Model().Calculations().size()) - 1));
    if (!Curve->LastError.isEmpty())
        FForm.Table().Services.ShowError(Curve->LastError);
    else
        ApplyStoredLineStyle(*Curve);
    FForm.SeriesTabChange(Series);
    SelectTabOf(Curve);
    Refresh();
}

void TGraphCalculations::ApplyStoredLineStyle(TKvCalculatedSeries& Curve)
{
    const std::string& SettingsFile = FForm.Table().Paths().SettingsFile;
    if (SettingsFile.empty() || !Curve.ParentSeries())
        return;
    std::unique_ptr<TKvLargeIniFile> Ini;
    try {
        Ini = std::make_unique<TKvLargeIniFile>(SettingsFile);
    } catch (const EKvError&) {
        return; // an unreadable settings file: the default style stays
    }
    const std::string Section = "Graph(" + std::to_string(FForm.Model().Tag) + ").Series(" +
                                std::to_string(FForm.Model().TagOf(Curve.ParentSeries())) + ").Child(" +
                                std::to_string(Curve.Tag) + ")";
    TKvLineStyleRecord Style = Curve.LineStyle.Record();
    Ini->ReadLineStyle(Section, "Line", Style);
    Curve.LineStyle.SetRecord(Style);
}

void TGraphCalculations::SelectTabOf(const TKvCalculatedSeries* Curve)
{
    TKvDataWithErrorSeries* S = FForm.ActiveSeries();
    if (!S)
        return;
    for (size_t i = 0; i < S->Children.size(); ++i)
        if (S->Children[i].get() == Curve)
            FForm.CalculationsTab()->setCurrentIndex(static_cast<int>(i) + 1);
}

void TGraphCalculations::Refresh()
{
    FForm.Model().Legend.RequestRebuild();
    FForm.Graph().RequestLayout();
    FForm.InvalidateWorld();
}

void TGraphCalculations::DeleteTab()
{
    FForm.CheckSizersOn();
    TKvCalculatedSeries* Curve = Selected();
    if (!Curve || Curve == FFitting)
        return;
    Detach();
    FForm.CalculationsTab()->setCurrentIndex(0);
    DeleteCalculation(Curve);
    FForm.SeriesTabChange(FForm.SeriesTab()->currentIndex());
    Refresh();
}

void TGraphCalculations::EnterTab()
{
    // Leaving the previous item: an edit still open is applied to it while
    // the panels still show its values.
    QWidget* Focus = QApplication::focusWidget();
    if (FAttached && FAttached != Selected() && FAttached != FFitting && Focus &&
        qobject_cast<TKvFloatEdit*>(Focus) && FRangePanel->parentWidget()->isAncestorOf(Focus) && Alive(FAttached))
        ApplyEditsTo(*FAttached);
    Detach();
    FForm.StatusPanel(2)->clear();
    TKvCalculatedSeries* C = Selected();
    if (!C)
        return;
    FFilling = true;
    if (auto* L = dynamic_cast<TKvLinearRegressionLine*>(C)) {
        FLinRegPanel->LinRegFormulaLabel->setText(QString::fromStdString(L->GetFormula()));
        FLinRegPanel->ShowFixedOffset(L->DoFixedOffset);
    } else if (auto* P = dynamic_cast<TKvPolynomLine*>(C)) {
        FPolyPanel->ShowFormula(*P);
    } else if (auto* F = dynamic_cast<TKvFittedLine*>(C)) {
        FSimplexPanel->FormulaCombo->setEditText(QString::fromStdString(F->Expression()));
        FSimplexPanel->SetRows(std::max(F->Order(), 0));
        (F->DoCovariance() ? FSimplexPanel->FitCovarianceRadio : FSimplexPanel->FitVarianceRadio)->setChecked(true);
        FSimplexPanel->IterationsEdit->SetValue(F->Iterations());
    } else if (auto* I = dynamic_cast<TKvInterpolatedFunction*>(C)) {
        FInterpolatePanel->ShowItem(*I);
    }
    FRangePanel->FromEdit->SetValue(C->CalculationStart());
    FRangePanel->ToEdit->SetValue(C->CalculationStop());
    FRangePanel->DisplayFromEdit->SetValue(C->DisplayStart());
    FRangePanel->DisplayToEdit->SetValue(C->DisplayStop());
    FRangePanel->ShowCoupling(C->CoupleCalculationAndDisplay());
    FRangePanel->setEnabled(C != FFitting);
    FFilling = false;
    Attach(*C);
    ShowResults(*C);
}

void TGraphCalculations::Attach(TKvCalculatedSeries& Curve)
{
    FAttached = &Curve;
    if (&Curve == FFitting)
        return; // its handlers are running; they look at FAttached
    Curve.OnCalculated = [this](TKvCalculatedSeries& S) {
        if (&S == FAttached)
            ShowResults(S);
    };
    if (auto* F = dynamic_cast<TKvFittedLine*>(&Curve))
        F->OnIteration = [this](TKvFittedLine& S) {
            if (&S == FAttached)
                ShowResults(S);
        };
}

void TGraphCalculations::Detach()
{
    // A running fit keeps its handlers: they are on the call stack.
    if (FAttached && FAttached != FFitting && Alive(FAttached)) {
        FAttached->OnCalculated = nullptr;
        if (auto* F = dynamic_cast<TKvFittedLine*>(FAttached))
            F->OnIteration = nullptr;
    }
    FAttached = nullptr;
}

void TGraphCalculations::ShowResults(TKvCalculatedSeries& Curve)
{
    const bool Was = FFilling;
    FFilling = true;
    // A failed calculation has no numbers: those of the one before do not
    // belong to what the panel shows (the curve drawn may be the old one,
    // the status line says why).
    if (!Curve.LastError.isEmpty() && !dynamic_cast<TKvFittedLine*>(&Curve)) {
        for (QWidget* Panel : std::initializer_list<QWidget*>{FLinRegPanel, FPolyPanel, FInterpolatePanel})
            ClearResultFields(Panel);
        FForm.StatusPanel(2)->setText(Curve.LastError);
        FFilling = Was;
        return;
    }
    bool Shown = true;
    if (auto* L = dynamic_cast<TKvLinearRegressionLine*>(&Curve))
        Shown = FLinRegPanel->ShowResults(*L);
    else if (auto* P = dynamic_cast<TKvPolynomLine*>(&Curve))
        Shown = FPolyPanel->ShowResults(*P);
    else if (auto* F = dynamic_cast<TKvFittedLine*>(&Curve))
        FSimplexPanel->ShowProgress(*F, F == FFitting);
    else if (auto* I = dynamic_cast<TKvInterpolatedFunction*>(&Curve))
        FInterpolatePanel->ShowExtrema(*I);
    if (!Shown)
        FForm.StatusPanel(2)->setText(Curve.Caption() + ": " + NoResultText);

    FRangePanel->PointsUsedLab->setText(Curve.LastError.isEmpty() ? QString::number(Curve.PointsUsed()) : QString());
    FFilling = Was;
}

std::optional<QString> TGraphCalculations::CoefficientToCopy(const QWidget* Focus) const
{
    QTableWidget* Grid = FSimplexPanel->CoeffsTable;
    auto* F = dynamic_cast<TKvFittedLine*>(Selected());
    if (!F || !Focus || (Focus != Grid && !Grid->isAncestorOf(Focus)))
        return std::nullopt;
    const int Row = Grid->currentRow();
    if (Row < 0 || Row >= F->Order() || static_cast<size_t>(Row) >= F->Variables().size())
        return std::nullopt;
    return QString::fromStdString(FloatToTextMaxLength(18, F->Variables()[static_cast<size_t>(Row)]));
}

// ---------------------------------------------------------------- errors

void TGraphCalculations::CalculationError(TKvCalculatedSeries&, const EKvError& Error)
{
    Beep();
    FForm.StatusPanel(2)->setText(QString::fromUtf8(Error.what()));
}

void TGraphCalculations::ShowError(const QString& Message) { FForm.Table().Services.ShowError(Message); }

void TGraphCalculations::Beep()
{
    if (FForm.Table().Services.Beep)
        FForm.Table().Services.Beep();
    else
        QApplication::beep();
}

bool TGraphCalculations::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::Paint && Watched == FForm.GraphView()) {
        PrepareForPaint();
        return false;
    }
    if (Event->type() == QEvent::MouseButtonDblClick && qobject_cast<TKvFloatEdit*>(Watched)) {
        ApplyCalculationEdits();
        return false;
    }
    if (FFitting && Event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(Event)->key() == Qt::Key_Escape) {
        StopFit();
        return true;
    }
    return QObject::eventFilter(Watched, Event);
}

} // namespace kv
