#pragma once
// The result panel of a polynomial regression: the formula, the order, the
// means and variances, r², Σd², the relative error and the coefficients.

#include <QGroupBox>

class QLabel;
class QLineEdit;
class QListWidget;

namespace kv {

class TKvPolynomLine;
class TKvSpinIntegerEdit;

class TKvPolynomialPanel : public QGroupBox {
    Q_OBJECT

public:
    explicit TKvPolynomialPanel(QWidget* Parent = nullptr);

    QLabel* FormulaLabel = nullptr;
    TKvSpinIntegerEdit* OrderEdit = nullptr;
    QLineEdit *PolAverageXLab = nullptr, *PolAverageYLab = nullptr, *PolVarianceXLab = nullptr,
              *PolVarianceYLab = nullptr;
    QLineEdit *PolR2Lab = nullptr, *PolChiSquareLab = nullptr, *PolQRelLab = nullptr;
    QListWidget* PolCoeffListBox = nullptr;

    // ShowPolynomialResults: the order, the results and one line per
    // coefficient.
    // The formula label: the curve's formula drawn as a caption.
    void ShowFormula(const TKvPolynomLine& Line);
    // false (and the fields empty) when a result is the value a division
    // by zero left: the range holds too few distinct points.
    bool ShowResults(const TKvPolynomLine& Line);
};

} // namespace kv
