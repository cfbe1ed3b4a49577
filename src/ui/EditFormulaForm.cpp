#include "EditFormulaForm.h"

#include "KvCaptionPainter.h"

#include "document/KvDataTable.h"
#include "foundation/KvErrors.h"
#include "foundation/KvStrings.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kv {

namespace {

QString Q(const std::string& S) { return QString::fromStdString(S); }

// "A: caption" with the letters right-aligned to the widest name.
QString TargetText(int Column, int Columns, const std::string& Header)
{
    const QString Name = Q(ColumnName(Column)) + ":";
    const int Width = static_cast<int>(ColumnName(Columns).size()) + 1;
    return Name.rightJustified(Width) + " " + CaptionText(Q(Header));
}

} // namespace

TEditFormulaForm::TEditFormulaForm(const std::string& SettingsFile, QWidget* Parent)
    : QDialog(Parent), FParser(CreateTableFormula(SettingsFile))
{
    setWindowTitle("Edit Formula");
    OnError = [this](const QString& Message) { QMessageBox::critical(this, "Kurvex", Message); };

    FTargets = new QListWidget(this);
    FTargets->setObjectName("TargetList");
    FTargets->setFont(QFont("Monospace"));
    FFormula = new QLineEdit(this);
    FFormula->setObjectName("FormulaField");
    FFormula->installEventFilter(this);
    FLive = new QRadioButton("Live Link to Column", this);
    FLive->setToolTip("Recalculate column on any change of source columns");
    FCopy = new QRadioButton("Only Copy Values", this);
    FCopy->setToolTip("Only copy results to selected range");
    FFrom = new QLineEdit(this);
    FTo = new QLineEdit(this);
    for (QLineEdit* Field : {FFrom, FTo})
        Field->setValidator(new QIntValidator(1, 2147483647, Field));
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

    auto* Right = new QVBoxLayout;
    Right->addWidget(new QLabel("&Formula:", this));
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

int TEditFormulaForm::TargetColumn() const { return FTargets->currentRow() + 1; }

int TEditFormulaForm::Row(const QLineEdit* Field) const
{
    bool Ok = false;
    const int Value = Field->text().toInt(&Ok);
    return Ok ? std::max(Value, 1) : 1;
}

void TEditFormulaForm::ModeChanged()
{
    const bool Copy = !FLive->isChecked();
    for (QWidget* W : std::initializer_list<QWidget*>{FFrom, FTo, FFromLabel, FToLabel})
        W->setVisible(Copy);
}

void TEditFormulaForm::Prepare(const TKvDataTable& Table, int ActiveColumn,
                               std::optional<std::pair<int, int>> SelectedRows)
{
    FTable = &Table;
    const int Columns = Table.MaxColumns();
    ActiveColumn = std::clamp(ActiveColumn, 1, Columns);
    FTargets->clear();
    for (int k = 1; k <= Columns; ++k)
        FTargets->addItem(TargetText(k, Columns, Table.Column(k).Header));
    FTargets->setCurrentRow(ActiveColumn - 1);

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
    FFrom->setText(QString::number(From));
    FTo->setText(QString::number(To));
    FFormula->setText(Q(C.Formula));
    (Live ? FLive : FCopy)->setChecked(true);
    ModeChanged();
    FFormula->setFocus();
}

bool TEditFormulaForm::CheckFormula()
{
    if (!FTable || FFormula->text().isEmpty())
        return true;
    std::vector<TKvRealVector*> Columns;
    for (int k = 1; k <= FTable->MaxColumns(); ++k)
        Columns.push_back(const_cast<TKvLiveVector*>(&FTable->Data(k)));
    try {
        FParser->BindColumns(Columns);
        FParser->SetExpression(PrepareFormula(FFormula->text().toStdString()));
        FParser->Value(Row(FFrom));
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
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::string Formula = FFormula->text().toStdString();
    const bool Live = FLive->isChecked() && !Formula.empty();
    const int Target = TargetColumn();
    TKvTableColumn& C = Table.Column(Target);
    C.LiveFormula = Live;
    C.Formula = Formula;
    if (Live) {
        Table.RecalculateColumn(Target);
    } else if (!Formula.empty()) {
        const int From = std::min(Row(FFrom), Row(FTo));
        const int To = std::max(Row(FFrom), Row(FTo));
        Table.EvaluateColumn(Target, From, To);
        Table.EnsureRows(To);
        if (Table.HasLiveFormula())
            Table.RecalculateAll();
    }
    Table.MarkModified();
    QApplication::restoreOverrideCursor();
}

} // namespace kv
