#include "ReportParagraphDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>

namespace kv {

namespace {

constexpr double PointsPerCm = 72 / 2.54;
constexpr Qt::Alignment Alignments[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignJustify};
// The proportional heights of the first three spacings, in percent.
constexpr double Proportions[] = {100, 150, 200};

} // namespace

TReportParagraphDialog::TReportParagraphDialog(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("ParagraphDialog");
    setWindowTitle("Paragraph");
    auto* Form = new QFormLayout(this);
    FAlignment = new QComboBox(this);
    FAlignment->addItems({"Left", "Center", "Right", "Justify"});
    Form->addRow("&Alignment:", FAlignment);
    FLeft = AddSpin(0, 50, " cm");
    FRight = AddSpin(0, 50, " cm");
    FFirst = AddSpin(-50, 50, " cm");
    Form->addRow("&Left indent:", FLeft);
    Form->addRow("&Right indent:", FRight);
    Form->addRow("&First line:", FFirst);
    FBefore = AddSpin(0, 1000, " pt");
    FAfter = AddSpin(0, 1000, " pt");
    Form->addRow("Space &before:", FBefore);
    Form->addRow("Space a&fter:", FAfter);
    FSpacing = new QComboBox(this);
    FSpacing->addItems({"Single", "1.5 lines", "Double", "At least", "Exactly"});
    FSpacingValue = AddSpin(1, 1000, " pt");
    FSpacingValue->setValue(12);
    Form->addRow("Line &spacing:", FSpacing);
    Form->addRow("A&t:", FSpacingValue);
    connect(FSpacing, &QComboBox::currentIndexChanged, this, &TReportParagraphDialog::SpacingChosen);
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    Form->addRow(Buttons);
    SpacingChosen();
}

QDoubleSpinBox* TReportParagraphDialog::AddSpin(double Minimum, double Maximum, const QString& Suffix)
{
    auto* S = new QDoubleSpinBox(this);
    S->setRange(Minimum, Maximum);
    S->setDecimals(Suffix == " cm" ? 2 : 1);
    S->setSingleStep(Suffix == " cm" ? 0.25 : 1);
    S->setSuffix(Suffix);
    return S;
}

void TReportParagraphDialog::SpacingChosen()
{
    FSpacingValue->setEnabled(FSpacing->currentIndex() >= SpAtLeast);
}

void TReportParagraphDialog::SetFormat(const QTextBlockFormat& F)
{
    const Qt::Alignment A = F.alignment() & Qt::AlignHorizontal_Mask;
    FAlignment->setCurrentIndex(A & Qt::AlignHCenter ? 1 : A & Qt::AlignRight ? 2 : A & Qt::AlignJustify ? 3 : 0);
    FLeft->setValue(F.leftMargin() / PointsPerCm);
    FRight->setValue(F.rightMargin() / PointsPerCm);
    FFirst->setValue(F.textIndent() / PointsPerCm);
    FBefore->setValue(F.topMargin());
    FAfter->setValue(F.bottomMargin());
    int Spacing = SpSingle;
    switch (F.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        // the nearest of single, 1.5 and double
        Spacing = F.lineHeight() >= 175 ? SpDouble : F.lineHeight() >= 125 ? SpOneAndHalf : SpSingle;
        break;
    case QTextBlockFormat::MinimumHeight:
    case QTextBlockFormat::FixedHeight:
        Spacing = F.lineHeightType() == QTextBlockFormat::MinimumHeight ? SpAtLeast : SpExactly;
        FSpacingValue->setValue(F.lineHeight());
        break;
    default:
        break;
    }
    FSpacing->setCurrentIndex(Spacing);
}

QTextBlockFormat TReportParagraphDialog::Format() const
{
    QTextBlockFormat F;
    F.setAlignment(Alignments[FAlignment->currentIndex()]);
    F.setLeftMargin(FLeft->value() * PointsPerCm);
    F.setRightMargin(FRight->value() * PointsPerCm);
    F.setTextIndent(FFirst->value() * PointsPerCm);
    F.setTopMargin(FBefore->value());
    F.setBottomMargin(FAfter->value());
    const int Spacing = FSpacing->currentIndex();
    if (Spacing < SpAtLeast)
        F.setLineHeight(Proportions[Spacing], QTextBlockFormat::ProportionalHeight);
    else
        F.setLineHeight(FSpacingValue->value(), Spacing == SpAtLeast ? QTextBlockFormat::MinimumHeight
                                                                     : QTextBlockFormat::FixedHeight);
    return F;
}

} // namespace kv
