#include "EditFormulaForm.h"

#include "KvColumnList.h"
#include "KvIntegerEdit.h"

#include "document/KvDataTable.h"
#include "graph/KvDraw.h"
#include "foundation/KvErrors.h"
#include "foundation/KvStrings.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kv {

namespace {
QString Q(const std::string& S) { return QString::fromStdString(S); }
} // namespace

TEditFormulaForm::TEditFormulaForm(QWidget* Parent) : QDialog(Parent)
{
    setWindowTitle("Edit Formula");
    OnError = [this](const QString& Message) { QMessageBox::critical(this, "Kurvex", Message); };

    FTargets = new TKvColumnList(this);
    FTargets->setObjectName("TargetList");
    FFormula = new QLineEdit(this);
    FFormula->setObjectName("FormulaField");
    FFormula->installEventFilter(this);
    FLive = new QRadioButton("Live Link to Column", this);
    FLive->setToolTip("Recalculate column on any change of source columns");
    FCopy = new QRadioButton("Only Copy Values", this);
    FCopy->setToolTip("Only copy results to selected range");
    FFrom = new TKvIntegerEdit(this);
    FTo = new TKvIntegerEdit(this);
    for (TKvIntegerEdit* Field : {FFrom, FTo}) {
        Field->SetMinValue(1);
        Field->SetMaxValue(2147483647);
    }
    FFromLabel = new QLabel("From row", this);
    FToLabel = new QLabel("To row", this);

    auto* Mode = new QGroupBox("Mode", this);
    auto* ModeLayout = new QVBoxLayout(Mode);
    ModeLayout->addWidget(FLive);
    ModeLayout->addWidget(FCopy);
    auto* Rows = new QFormLayout;
    Rows->addRow(FFromLabel, FFrom);
    Rows->addRow(FToLabel, FTo);
    ModeLayout->addLayout(Rows);

    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(Buttons, &QDialogButtonBox::helpRequested, this, [this] {
        if (OnHelp)
            OnHelp("CalculateColumns");
    });

    auto* Right = new QVBoxLayout;
    auto* FormulaLabel = new QLabel("&Formula:", this);
    FormulaLabel->setBuddy(FFormula); // Alt+F focuses the field; the "&" is no text
    Right->addWidget(FormulaLabel);
    Right->addWidget(FFormula);
    Right->addWidget(Mode);
    Right->addStretch();
    auto* Top = new QHBoxLayout;
    auto* Left = new QVBoxLayout;
    Left->addWidget(new QLabel("Target column:", this));
    Left->addWidget(FTargets);
    Top->addLayout(Left, 1);
    Top->addLayout(Right, 2);
    auto* Main = new QVBoxLayout(this);
    Main->addLayout(Top);
    Main->addWidget(Buttons);
    connect(FLive, &QRadioButton::toggled, this, [this] { ModeChanged(); });
    resize(560, 320);
}

TEditFormulaForm::~TEditFormulaForm() = default;

int TEditFormulaForm::TargetColumn() const { return FTargets->CurrentColumn(); }

void TEditFormulaForm::ModeChanged()
{
    const bool Copy = !FLive->isChecked();
    for (QWidget* W : std::initializer_list<QWidget*>{FFrom, FTo, FFromLabel, FToLabel})
        W->setVisible(Copy);
}

void TEditFormulaForm::Prepare(TKvDataTable& Table, int ActiveColumn,
                               std::optional<std::pair<int, int>> SelectedRows)
{
    FTable = &Table;
    const int Columns = Table.MaxColumns();
    ActiveColumn = std::clamp(ActiveColumn, 1, Columns);
    std::vector<QString> Captions;
    for (int k = 1; k <= Columns; ++k)
        Captions.push_back(Q(Table.Column(k).Header));
    FTargets->SetColumns(Captions);
    FTargets->SetCurrentColumn(ActiveColumn);

    const TKvTableColumn& C = Table.Column(ActiveColumn);
    int From = 1;
    int To = C.Data->Count();
    bool Live = false;
    if (SelectedRows) {
        From = SelectedRows->first;
        To = SelectedRows->second;
    } else {
        if (To == 0)
            To = std::max(Table.MaxDataCount(), 1);
        Live = !C.Formula.empty() && C.LiveFormula;
    }
    FFrom->SetValue(From);
    FTo->SetValue(To);
    FFormula->setText(Q(C.Formula));
    (Live ? FLive : FCopy)->setChecked(true);
    ModeChanged();
    FFormula->setFocus();
}

bool TEditFormulaForm::CheckFormula()
{
    if (!FTable || FFormula->text().isEmpty())
        return true;
    try {
        FTable->CheckFormula(FFormula->text().toStdString(), FFrom->Value());
        return true;
    } catch (const EKvError& E) {
        OnError(Q(E.what()));
        return false;
    }
}

bool TEditFormulaForm::eventFilter(QObject* Watched, QEvent* Event)
{
    // A wrong formula is reported as soon as the field is left.
    if (Watched == FFormula && Event->type() == QEvent::FocusOut && isVisible())
        CheckFormula();
    return QDialog::eventFilter(Watched, Event);
}

void TEditFormulaForm::Apply(TKvDataTable& Table)
{
    // Graphs are drawn once, after all rows are written, not for every value.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SuspendDrawing();
    try {
        Table.ApplyFormula(TargetColumn(), FFormula->text().toStdString(), FLive->isChecked(), FFrom->Value(),
                           FTo->Value());
    } catch (...) {
        ResumeDrawing();
        QApplication::restoreOverrideCursor();
        throw;
    }
    ResumeDrawing();
    QApplication::restoreOverrideCursor();
}

} // namespace kv
