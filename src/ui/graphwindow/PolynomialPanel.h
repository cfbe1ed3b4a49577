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
    void ShowResults(const TKvPolynomLine& Line);
};

} // namespace kv
