#pragma once
// The result panel of a linear regression line: the formula, a and b with
// their errors, R, the means and variances, the sum of squared deviations,
// and "Fix a at" with the fixed offset.

#include <QGroupBox>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace kv {

class TKvFloatEdit;
class TKvLinearRegressionLine;

class TKvLinearRegressionPanel : public QGroupBox {
    Q_OBJECT

public:
    explicit TKvLinearRegressionPanel(QWidget* Parent = nullptr);

    QLabel* LinRegFormulaLabel = nullptr;
    QLineEdit *aLab = nullptr, *DeltaALab = nullptr, *bLab = nullptr, *DeltaBLab = nullptr, *RLab = nullptr;
    QLineEdit *AverageXLab = nullptr, *AverageYLab = nullptr, *VarianceXLab = nullptr, *VarianceYLab = nullptr;
    QLineEdit* ChiSquareLab = nullptr;
    QCheckBox* FixedOffsetCheck = nullptr;
    TKvFloatEdit* FixedAEdit = nullptr;
    QLabel* DeltaASign = nullptr;

    // The state of "Fix a at": the edit enabled and white, the error of a
    // hidden while a is fixed.
    void ShowFixedOffset(bool Fixed);
    // ShowLinRegResults: the curve's formula, results and offset.
    // false (and the fields empty) when a result is the value a division
    // by zero left: the range holds too few distinct points.
    bool ShowResults(const TKvLinearRegressionLine& Line);
};

} // namespace kv
