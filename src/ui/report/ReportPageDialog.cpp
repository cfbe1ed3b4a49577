#include "ReportPageDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QMessageBox>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>
#include <utility>

namespace kv {

namespace {

constexpr double TwipsPerMm = 1440 / 25.4;

// The papers of the list, upright, in millimetres; "Custom" follows them.
constexpr struct {
    const char* Name;
    double Width, Height;
} Papers[] = {{"A4", 210, 297}, {"A5", 148, 210}, {"A3", 297, 420}, {"Letter", 215.9, 279.4},
              {"Legal", 215.9, 355.6}};
constexpr int CustomPaper = static_cast<int>(std::size(Papers));

int ToTwips(double Mm) { return static_cast<int>(std::lround(Mm * TwipsPerMm)); }
double ToMm(int Twips) { return std::round(Twips / TwipsPerMm * 10) / 10; }

} // namespace

TReportPageDialog::TReportPageDialog(QWidget* Parent) : QDialog(Parent)
{
    setObjectName("PageDialog");
    setWindowTitle("Page");
    auto* Form = new QFormLayout(this);
    FPaper = new QComboBox(this);
    for (const auto& P : Papers)
        FPaper->addItem(P.Name);
    FPaper->addItem("Custom");
    FOrientation = new QComboBox(this);
    FOrientation->addItems({"Portrait", "Landscape"});
    FWidth = AddSpin(10);
    FHeight = AddSpin(10);
    Form->addRow("&Paper:", FPaper);
    Form->addRow("&Orientation:", FOrientation);
    Form->addRow("&Width:", FWidth);
    Form->addRow("&Height:", FHeight);
    const char* MarginNames[] = {"&Left margin:", "&Right margin:", "&Top margin:", "&Bottom margin:"};
    for (size_t i = 0; i < FMargins.size(); ++i) {
        FMargins[i] = AddSpin(0);
        Form->addRow(MarginNames[i], FMargins[i]);
    }
    connect(FPaper, &QComboBox::currentIndexChanged, this, &TReportPageDialog::PaperChosen);
    connect(FOrientation, &QComboBox::currentIndexChanged, this, &TReportPageDialog::OrientationChosen);
    for (QDoubleSpinBox* S : {FWidth, FHeight})
        connect(S, &QDoubleSpinBox::valueChanged, this, &TReportPageDialog::SizeEdited);
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(Buttons, &QDialogButtonBox::accepted, this, &TReportPageDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    Form->addRow(Buttons);
    SetPage(FPage);
}

QDoubleSpinBox* TReportPageDialog::AddSpin(double Minimum)
{
    auto* S = new QDoubleSpinBox(this);
    S->setRange(Minimum, 1000);
    S->setDecimals(1);
    S->setSuffix(" mm");
    return S;
}

void TReportPageDialog::SetPage(const TKvPageSetup& Page)
{
    FPage = Page;
    FFilling = true;
    // the sheet as it lies: a landscape page given upright is turned
    const bool Turn = Page.Landscape && Page.PaperWidth < Page.PaperHeight;
    FWidth->setValue(ToMm(Turn ? Page.PaperHeight : Page.PaperWidth));
    FHeight->setValue(ToMm(Turn ? Page.PaperWidth : Page.PaperHeight));
    FOrientation->setCurrentIndex(Page.Landscape ? 1 : 0);
    const int Margins[] = {Page.MarginLeft, Page.MarginRight, Page.MarginTop, Page.MarginBottom};
    for (size_t i = 0; i < FMargins.size(); ++i)
        FMargins[i]->setValue(ToMm(Margins[i]));
    FFilling = false;
    SizeEdited();
}

TKvPageSetup TReportPageDialog::Page() const
{
    TKvPageSetup P = FPage;
    P.PaperWidth = ToTwips(FWidth->value());
    P.PaperHeight = ToTwips(FHeight->value());
    P.Landscape = FOrientation->currentIndex() == 1;
    P.MarginLeft = ToTwips(FMargins[0]->value());
    P.MarginRight = ToTwips(FMargins[1]->value());
    P.MarginTop = ToTwips(FMargins[2]->value());
    P.MarginBottom = ToTwips(FMargins[3]->value());
    return P;
}

QString TReportPageDialog::Problem() const
{
    const TKvPageSetup P = Page();
    // at least a centimetre of text each way
    const int Least = ToTwips(10);
    if (P.PaperWidth - P.MarginLeft - P.MarginRight < Least)
        return "The left and right margins leave no room for text.";
    if (P.PaperHeight - P.MarginTop - P.MarginBottom < Least)
        return "The top and bottom margins leave no room for text.";
    return {};
}

void TReportPageDialog::accept()
{
    const QString Why = Problem();
    if (!Why.isEmpty()) {
        QMessageBox::warning(this, windowTitle(), Why);
        return;
    }
    QDialog::accept();
}

// A listed paper fills in its size, upright or turned as the orientation says.
void TReportPageDialog::PaperChosen()
{
    const int i = FPaper->currentIndex();
    if (FFilling || i < 0 || i >= CustomPaper)
        return;
    const bool Landscape = FOrientation->currentIndex() == 1;
    FFilling = true;
    FWidth->setValue(Landscape ? Papers[i].Height : Papers[i].Width);
    FHeight->setValue(Landscape ? Papers[i].Width : Papers[i].Height);
    FFilling = false;
}

// Turning the sheet swaps its sides so that the longer one follows the orientation.
void TReportPageDialog::OrientationChosen()
{
    if (FFilling)
        return;
    const bool Landscape = FOrientation->currentIndex() == 1;
    const double W = FWidth->value(), H = FHeight->value();
    if ((W > H) == Landscape || W == H)
        return;
    FFilling = true;
    FWidth->setValue(H);
    FHeight->setValue(W);
    FFilling = false;
}

// The paper whose size the sheet has, either way round; else "Custom".
void TReportPageDialog::SizeEdited()
{
    if (FFilling)
        return;
    const double Short = std::min(FWidth->value(), FHeight->value());
    const double Long = std::max(FWidth->value(), FHeight->value());
    int Found = CustomPaper;
    for (int i = 0; i < CustomPaper; ++i)
        if (std::abs(Papers[i].Width - Short) < 0.6 && std::abs(Papers[i].Height - Long) < 0.6)
            Found = i;
    const QSignalBlocker Block(FPaper);
    FPaper->setCurrentIndex(Found);
}

} // namespace kv
