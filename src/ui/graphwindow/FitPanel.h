#pragma once
// The panel of the nonlinear fit: the formula with its history, the grid of
// the fit variables, variance or covariance, Σd², the number of iterations
// and "Do Fit".

#include <QGroupBox>
#include <QStringList>

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace kv {

class TKvFittedLine;
class TKvIntegerEdit;

// The formula history: Text goes on top, later entries equal to an earlier
// one ignoring case are dropped, and one entry beyond ten is cut.
QStringList InsertIntoFormulaHistory(QStringList History, const QString& Text);

class TKvFitPanel : public QGroupBox {
    Q_OBJECT

public:
    static constexpr int HistoryLength = 10;

    explicit TKvFitPanel(QWidget* Parent = nullptr);

    QComboBox* FormulaCombo = nullptr;
    QTableWidget* CoeffsTable = nullptr;
    QRadioButton* FitVarianceRadio = nullptr;
    QRadioButton* FitCovarianceRadio = nullptr;
    QLineEdit* SimplexChiLabel = nullptr;
    TKvIntegerEdit* IterationsEdit = nullptr;
    QPushButton* DoFitButton = nullptr;

    void SetHistory(const QStringList& History);
    // The grid gets Rows rows named a:, b:, ...
    void SetRows(int Rows);
    // The variables into the value column (nothing without variables).
    void ShowValues(const std::vector<double>& Values);
    // ShowFitProgress: Σd², the pass count while fitting, the grid.
    void ShowProgress(const TKvFittedLine& Fit, bool Fitting);
};

} // namespace kv
