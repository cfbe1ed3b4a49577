#include "PolynomialPanel.h"

#include "CalcPanelFields.h"

#include "graph/KvFittedLine.h"
#include "graph/KvPolynomLine.h"
#include "ui/KvCaptionPainter.h"
#include "ui/KvIntegerEdit.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>

namespace kv {

TKvPolynomialPanel::TKvPolynomialPanel(QWidget* Parent) : QGroupBox("Polynomial Regression", Parent)
{
    setObjectName("PolyRegPanel");
    auto* G = new QGridLayout(this);
    G->setContentsMargins(4, 4, 4, 4);
    G->setVerticalSpacing(1);
    FormulaLabel = new QLabel(this);
    FormulaLabel->setObjectName("FormulaLabel");
    FormulaLabel->setWordWrap(true);
    FormulaLabel->setTextFormat(Qt::RichText);
    G->addWidget(FormulaLabel, 0, 0, 1, 2);
    OrderEdit = new TKvSpinIntegerEdit(this);
    OrderEdit->setObjectName("OrderEdit");
    OrderEdit->SetMinValue(2);
    OrderEdit->SetMaxValue(20);
    OrderEdit->SetValue(2);
    OrderEdit->setToolTip("Set order of polynomial");
    OrderEdit->setProperty("KvNumericEdit", true);
    G->addWidget(new QLabel("Order:", this), 1, 0);
    G->addWidget(OrderEdit, 1, 1);
    int Row = 2;
    auto Line = [&](const QString& Caption, QLineEdit*& Field, const char* Name) {
        G->addWidget(new QLabel(Caption, this), Row, 0);
        Field = NewResultField(this, Name);
        G->addWidget(Field, Row++, 1);
    };
    Line("X̄:", PolAverageXLab, "PolAverageXLab");
    Line("Ȳ:", PolAverageYLab, "PolAverageYLab");
    Line("σ(X)²:", PolVarianceXLab, "PolVarianceXLab");
    Line("σ(Y)²:", PolVarianceYLab, "PolVarianceYLab");
    Line("r²:", PolR2Lab, "PolR2Lab");
    Line("Σd²:", PolChiSquareLab, "PolChiSquareLab");
    Line("Δ[%]:", PolQRelLab, "PolQRelLab");
    PolCoeffListBox = new QListWidget(this);
    PolCoeffListBox->setObjectName("PolCoeffListBox");
    PolCoeffListBox->setSelectionMode(QAbstractItemView::ExtendedSelection);
    PolCoeffListBox->setMinimumHeight(90);
    G->addWidget(PolCoeffListBox, Row, 0, 1, 2);
}

void TKvPolynomialPanel::ShowFormula(const TKvPolynomLine& Line)
{
    FormulaLabel->setText(CaptionHtml(QString::fromStdString(Line.GetFormula())));
}

bool TKvPolynomialPanel::ShowResults(const TKvPolynomLine& Line)
{
    const PolynomialResult& R = Line.Result();
    for (double V : {R.AverageX, R.AverageY, R.VarianceX, R.VarianceY, R.R2, R.QRel, R.ChiSquare})
        if (IsNoValue(V)) {
            ClearResultFields(this);
            return false;
        }
    OrderEdit->SetValue(Line.Order());
    PolAverageXLab->setText(FieldText(11, R.AverageX));
    PolAverageYLab->setText(FieldText(11, R.AverageY));
    PolVarianceXLab->setText(FieldText(8, R.VarianceX));
    PolVarianceYLab->setText(FieldText(8, R.VarianceY));
    PolR2Lab->setText(FieldText(11, R.R2));
    PolChiSquareLab->setText(FieldText(9, R.ChiSquare));
    PolQRelLab->setText(FieldText(7, R.QRel * 100));
    PolCoeffListBox->clear();
    // A failed calculation leaves no coefficients to list.
    for (int32_t i = 0; i <= Line.Order() && static_cast<size_t>(i) < R.Coefficients.size(); ++i)
        PolCoeffListBox->addItem(QString::fromStdString(CoefficientName(i + 1)) + ": " +
                                 FieldText(18, Line.Coefficient(i)));
    return true;
}

} // namespace kv
