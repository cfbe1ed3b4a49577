#include "FitPanel.h"

#include "CalcPanelFields.h"

#include "graph/KvFittedLine.h"
#include "ui/KvIntegerEdit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableWidget>

namespace kv {

QStringList InsertIntoFormulaHistory(QStringList History, const QString& Text)
{
    History.prepend(Text);
    // From the last entry towards the second: the first occurrence stays.
    for (qsizetype i = History.size() - 1; i >= 1; --i)
        for (qsizetype j = 0; j < i; ++j)
            if (History[i].compare(History[j], Qt::CaseInsensitive) == 0) {
                History.removeAt(i);
                break;
            }
    if (History.size() > TKvFitPanel::HistoryLength)
        History.removeLast();
    return History;
}

TKvFitPanel::TKvFitPanel(QWidget* Parent) : QGroupBox("Nonlinear Regression", Parent)
{
    setObjectName("SimplexPanel");
    auto* G = new QGridLayout(this);
    G->setContentsMargins(4, 4, 4, 4);
    FormulaCombo = new QComboBox(this);
    FormulaCombo->setObjectName("FormulaCombo");
    FormulaCombo->setEditable(true);
    FormulaCombo->setInsertPolicy(QComboBox::NoInsert);
    FormulaCombo->setToolTip("Enter formula to fit or select from history list");
    G->addWidget(new QLabel("Y(X)=", this), 0, 0);
    G->addWidget(FormulaCombo, 0, 1, 1, 2);
    CoeffsTable = new QTableWidget(0, 2, this);
    CoeffsTable->setObjectName("CoeffsTable");
    CoeffsTable->setToolTip("Current variables");
    CoeffsTable->horizontalHeader()->hide();
    CoeffsTable->verticalHeader()->hide();
    CoeffsTable->horizontalHeader()->setStretchLastSection(true);
    CoeffsTable->setColumnWidth(0, 28);
    CoeffsTable->setSelectionMode(QAbstractItemView::NoSelection);
    CoeffsTable->setEditTriggers(QAbstractItemView::AllEditTriggers);
    CoeffsTable->setMinimumHeight(120);
    G->addWidget(CoeffsTable, 1, 0, 1, 3);
    FitVarianceRadio = new QRadioButton("Variance", this);
    FitVarianceRadio->setObjectName("FitVarianceRadio");
    FitVarianceRadio->setToolTip("Minimize variance");
    FitCovarianceRadio = new QRadioButton("Covariance", this);
    FitCovarianceRadio->setObjectName("FitCovarianceRadio");
    FitCovarianceRadio->setToolTip("Minimize covariance");
    FitVarianceRadio->setChecked(true);
    G->addWidget(new QLabel("With", this), 2, 0);
    G->addWidget(FitVarianceRadio, 2, 1);
    G->addWidget(FitCovarianceRadio, 2, 2);
    SimplexChiLabel = NewResultField(this, "SimplexChiLabel");
    SimplexChiLabel->setToolTip("Current chi square");
    G->addWidget(new QLabel("Σd²:", this), 3, 0);
    G->addWidget(SimplexChiLabel, 3, 1, 1, 2);
    IterationsEdit = new TKvIntegerEdit(this);
    IterationsEdit->setObjectName("IterationsEdit");
    IterationsEdit->SetMinValue(0);
    IterationsEdit->SetMaxValue(50000000);
    IterationsEdit->setToolTip("Change number of iterations");
    IterationsEdit->setProperty("KvNumericEdit", true);
    G->addWidget(new QLabel("Iterations:", this), 4, 0, 1, 2);
    G->addWidget(IterationsEdit, 4, 2);
    DoFitButton = new QPushButton("Do Fit", this);
    DoFitButton->setObjectName("DoFitButton");
    DoFitButton->setToolTip("Start iterations to fit");
    G->addWidget(DoFitButton, 5, 0, 1, 3);
}

void TKvFitPanel::SetHistory(const QStringList& History)
{
    const QSignalBlocker Quiet(FormulaCombo);
    const QString Text = FormulaCombo->currentText();
    FormulaCombo->clear();
    FormulaCombo->addItems(History);
    FormulaCombo->setEditText(Text);
}

void TKvFitPanel::SetRows(int Rows)
{
    const QSignalBlocker Quiet(CoeffsTable);
    CoeffsTable->setRowCount(Rows);
    for (int r = 0; r < Rows; ++r) {
        auto* Name = new QTableWidgetItem(QString::fromStdString(CoefficientName(r + 1)) + ":");
        Name->setFlags(Qt::ItemIsEnabled);
        CoeffsTable->setItem(r, 0, Name);
        if (!CoeffsTable->item(r, 1))
            CoeffsTable->setItem(r, 1, new QTableWidgetItem);
    }
}

void TKvFitPanel::ShowValues(const std::vector<double>& Values)
{
    const QSignalBlocker Quiet(CoeffsTable);
    for (int r = 0; r < CoeffsTable->rowCount(); ++r)
        if (QTableWidgetItem* Cell = CoeffsTable->item(r, 1))
            Cell->setText(static_cast<size_t>(r) < Values.size() ? FieldText(18, Values[static_cast<size_t>(r)])
                                                                 : QString());
}

void TKvFitPanel::ShowProgress(const TKvFittedLine& Fit, bool Fitting)
{
    SimplexChiLabel->setText(FieldText(18, Fit.ChiSquare()));
    IterationsEdit->SetValue(Fitting ? Fit.Iterations() - Fit.IterationsLeft() : Fit.Iterations());
    const TKvRealArray& V = Fit.Variables();
    ShowValues(std::vector<double>(V.begin(), V.end()));
}

} // namespace kv
