#include "LinearRegressionPanel.h"

#include "CalcPanelFields.h"

#include "graph/KvAxis.h"
#include "graph/KvAxisNumbers.h"
#include "graph/KvLinearRegressionLine.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>

#include <cmath>

namespace kv {

namespace {

bool IsLog(const TKvAxis* A) { return A && A->Scaling() != TKvAxScaling::AxNormal; }

// "±" error, then " (" the relative error in percent ")" when the value is not 0.
QString ErrorText(double Value, double Delta)
{
    QString S = FieldText(15, Delta);
    if (Value != 0)
        S += " (" + FieldText(4, std::fabs(Delta / Value * 100)) + "%)";
    return S;
}

} // namespace

TKvLinearRegressionPanel::TKvLinearRegressionPanel(QWidget* Parent) : QGroupBox("Linear Regression", Parent)
{
    setObjectName("LinRegPanel");
    auto* G = new QGridLayout(this);
    G->setContentsMargins(4, 4, 4, 4);
    G->setVerticalSpacing(1);
    LinRegFormulaLabel = new QLabel("Y=a+b·X", this);
    LinRegFormulaLabel->setObjectName("LinRegFormulaLabel");
    G->addWidget(LinRegFormulaLabel, 0, 0, 1, 4);
    int Row = 1;
    auto Line = [&](const QString& Caption, QLineEdit*& Field, const char* Name) {
        G->addWidget(new QLabel(Caption, this), Row, 0);
        Field = NewResultField(this, Name);
        G->addWidget(Field, Row++, 1, 1, 3);
    };
    Line("a:", aLab, "aLab");
    DeltaASign = new QLabel("±", this);
    G->addWidget(DeltaASign, Row, 0, Qt::AlignRight);
    DeltaALab = NewResultField(this, "DeltaALab");
    G->addWidget(DeltaALab, Row++, 1, 1, 3);
    Line("b:", bLab, "bLab");
    G->addWidget(new QLabel("±", this), Row, 0, Qt::AlignRight);
    DeltaBLab = NewResultField(this, "DeltaBLab");
    G->addWidget(DeltaBLab, Row++, 1, 1, 3);
    Line("R:", RLab, "RLab");
    Line("X̄:", AverageXLab, "AverageXLab");
    Line("Ȳ:", AverageYLab, "AverageYLab");
    Line("σ(X)²:", VarianceXLab, "VarianceXLab");
    Line("σ(Y)²:", VarianceYLab, "VarianceYLab");
    Line("Σd²:", ChiSquareLab, "ChiSquareLab");
    FixedOffsetCheck = new QCheckBox("Fix a at", this);
    FixedOffsetCheck->setObjectName("FixedOffsetCheck");
    FixedOffsetCheck->setToolTip("Check to calculate with a fixed offset");
    FixedAEdit = NewFloatEdit(this, "FixedAEdit", "Enter fixed offset", 14);
    G->addWidget(FixedOffsetCheck, Row, 0, 1, 2);
    G->addWidget(FixedAEdit, Row, 2, 1, 2);
    ShowFixedOffset(false);
}

void TKvLinearRegressionPanel::ShowFixedOffset(bool Fixed)
{
    FixedOffsetCheck->setChecked(Fixed);
    ShowEnabled(FixedAEdit, Fixed);
    DeltaALab->setVisible(!Fixed);
    DeltaASign->setVisible(!Fixed);
}

bool TKvLinearRegressionPanel::ShowResults(const TKvLinearRegressionLine& Line)
{
    const LinearRegressionResult& R = Line.Result();
    for (double V : {R.Offset, R.DeltaOffset, R.Slope, R.DeltaSlope, R.R, R.ChiSquare, R.VarianceX, R.VarianceY})
        if (IsNoValue(V)) {
            ClearResultFields(this);
            return false;
        }
    LinRegFormulaLabel->setText(QString::fromStdString(Line.GetFormula()));
    FixedAEdit->SetValue(Line.Offset());
    const bool LogX = IsLog(Line.XAxis()), LogY = IsLog(Line.YAxis());
    AverageXLab->setText(FieldText(11, LogX ? Pow10(R.AverageX) : R.AverageX));
    AverageYLab->setText(FieldText(11, LogY ? Pow10(R.AverageY) : R.AverageY));
    VarianceXLab->setText(FieldText(8, LogX ? Pow10(R.VarianceX) : R.VarianceX));
    VarianceYLab->setText(FieldText(8, LogY ? Pow10(R.VarianceY) : R.VarianceY));
    RLab->setText(FieldText(10, R.R));
    ChiSquareLab->setText(FieldText(9, R.ChiSquare));
    aLab->setText(FieldText(18, R.Offset));
    bLab->setText(FieldText(18, R.Slope));
    DeltaALab->setText(ErrorText(R.Offset, R.DeltaOffset));
    DeltaBLab->setText(ErrorText(R.Slope, R.DeltaSlope));
    return true;
}

} // namespace kv
