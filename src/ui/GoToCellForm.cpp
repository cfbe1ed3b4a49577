#include "GoToCellForm.h"

#include "KvColumnList.h"
#include "KvIntegerEdit.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include <algorithm>

namespace kv {

TGoToCellForm::TGoToCellForm(QWidget* Parent)
    : QDialog(Parent, Qt::Tool | Qt::WindowStaysOnTopHint),
      FColumns(std::make_unique<TKvColumnList>()),
      FRow(std::make_unique<TKvIntegerEdit>()),
      FColumnLabel(std::make_unique<QLabel>(QStringLiteral("&Column:"))),
      FRowLabel(std::make_unique<QLabel>(QStringLiteral("&Row:"))),
      FButtons(std::make_unique<QDialogButtonBox>(QDialogButtonBox::Ok | QDialogButtonBox::Cancel))
{
    setWindowTitle(QStringLiteral("Go to Cell"));
    FColumns->setToolTip(QStringLiteral("Select table column for active cell"));
    FRow->setToolTip(QStringLiteral("Select table row for active cell"));
    FRow->SetMinValue(1);
    FRow->SetMaxValue(2147483647);
    FRow->SetValue(1);
    FColumnLabel->setBuddy(FColumns.get());
    FRowLabel->setBuddy(FRow.get());

    auto* Layout = new QGridLayout(this);
    Layout->addWidget(FColumnLabel.get(), 0, 0, Qt::AlignTop);
    Layout->addWidget(FColumns.get(), 0, 1);
    Layout->addWidget(FRowLabel.get(), 1, 0);
    Layout->addWidget(FRow.get(), 1, 1);
    Layout->addWidget(FButtons.get(), 2, 0, 1, 2);
    FColumns->setMinimumSize(200, 160);

    connect(FButtons.get(), &QDialogButtonBox::accepted, this, &TGoToCellForm::Accept);
    connect(FButtons.get(), &QDialogButtonBox::rejected, this, &TGoToCellForm::Reject);
    // A double click on a column means: go there.
    connect(FColumns.get(), &QListWidget::itemDoubleClicked, this, &TGoToCellForm::Accept);
}

// The children go before the dialog's own destructor runs; each removes
// itself from the layout on the way.
TGoToCellForm::~TGoToCellForm() = default;

void TGoToCellForm::Prepare(const std::vector<QString>& Captions, int Column)
{
    FColumns->SetColumns(Captions);
    if (!Captions.empty())
        FColumns->SetCurrentColumn(std::clamp(Column, 1, static_cast<int>(Captions.size())));
    FColumns->setFocus();
}

bool TGoToCellForm::Execute(const std::vector<QString>& Captions, int& Column, int& Row)
{
    Prepare(Captions, Column);
    if (exec() != QDialog::Accepted)
        return false;
    const TKvCellChoice Cell = Choice();
    Column = Cell.Column;
    Row = Cell.Row;
    return true;
}

TKvCellChoice TGoToCellForm::Choice() const { return {FColumns->CurrentColumn(), FRow->Value()}; }

void TGoToCellForm::Accept()
{
    // OK by the Enter key leaves the row field without a focus change:
    // settle its text first, so that what is shown is what is used.
    FRow->DoExit();
    if (FColumns->CurrentColumn() < 1)
        return; // nothing to go to in an empty list
    accept();
}

void TGoToCellForm::Reject() { reject(); }

void TGoToCellForm::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    CentreOnParent();
}

void TGoToCellForm::CentreOnParent()
{
    const QWidget* Owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!Owner)
        return;
    QRect Frame = frameGeometry();
    Frame.moveCenter(Owner->frameGeometry().center());
    move(Frame.topLeft());
}

} // namespace kv
