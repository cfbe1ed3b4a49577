#pragma once
// The formula editor: picks a target column, takes a formula over the
// table's columns and either keeps it live with the column or writes its
// values once into a range of rows.

#include <QDialog>

#include <functional>
#include <optional>
#include <string>
#include <utility>

class QLineEdit;
class QRadioButton;
class QLabel;

namespace kv {

class TKvColumnList;
class TKvDataTable;
class TKvIntegerEdit;

class TEditFormulaForm : public QDialog {
    Q_OBJECT

public:
    explicit TEditFormulaForm(QWidget* Parent = nullptr);
    ~TEditFormulaForm() override;

    // Fills the dialog for the active column; SelectedRows (1-based, in
    // any order) when the grid has a selected range over that column.
    void Prepare(TKvDataTable& Table, int ActiveColumn, std::optional<std::pair<int, int>> SelectedRows);
    // Writes the dialog's choice into the table.
    void Apply(TKvDataTable& Table);
    // Evaluates the formula field once at the From row; reports an error
    // through OnError and returns false.
    bool CheckFormula();

    std::function<void(const QString& Message)> OnError;
    // The Help button asks for its topic.
    std::function<void(const QString& Topic)> OnHelp;

    TKvColumnList* TargetList() const { return FTargets; }
    QLineEdit* FormulaField() const { return FFormula; }
    QRadioButton* LiveButton() const { return FLive; }
    QRadioButton* CopyButton() const { return FCopy; }
    TKvIntegerEdit* FromField() const { return FFrom; }
    TKvIntegerEdit* ToField() const { return FTo; }
    int TargetColumn() const;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void ModeChanged();

    TKvDataTable* FTable = nullptr;
    TKvColumnList* FTargets = nullptr;
    QLineEdit* FFormula = nullptr;
    QRadioButton* FLive = nullptr;
    QRadioButton* FCopy = nullptr;
    TKvIntegerEdit* FFrom = nullptr;
    TKvIntegerEdit* FTo = nullptr;
    QLabel* FFromLabel = nullptr;
    QLabel* FToLabel = nullptr;
};

} // namespace kv
