#pragma once
// The "Go to Cell" dialog: a small tool window above the table window with
// a column list and a row field. It only chooses the cell; the table window
// extends its rows and moves the active cell.

#include <QDialog>
#include <QString>

#include <memory>
#include <vector>

class QDialogButtonBox;
class QLabel;

namespace kv {

class TKvColumnList;
class TKvIntegerEdit;

struct TKvCellChoice {
    int Column = 1; // 1-based
    int Row = 1;    // 1-based data row
};

class TGoToCellForm : public QDialog {
    Q_OBJECT

public:
    explicit TGoToCellForm(QWidget* Parent = nullptr);
    ~TGoToCellForm() override;

    // Fills the column list from the captions and selects Column; the row
    // field keeps the row last entered.
    void Prepare(const std::vector<QString>& Captions, int Column);
    // The modal run: true on OK, with the chosen cell in Column and Row.
    bool Execute(const std::vector<QString>& Captions, int& Column, int& Row);
    // The cell as the fields show it now.
    TKvCellChoice Choice() const;

    // For tests and for callers that do not run the dialog modally.
    void Accept();
    void Reject();
    TKvColumnList& ColumnList() const { return *FColumns; }
    TKvIntegerEdit& RowEdit() const { return *FRow; }

protected:
    void showEvent(QShowEvent* Event) override;

private:
    std::unique_ptr<TKvColumnList> FColumns;
    std::unique_ptr<TKvIntegerEdit> FRow;
    std::unique_ptr<QLabel> FColumnLabel;
    std::unique_ptr<QLabel> FRowLabel;
    std::unique_ptr<QDialogButtonBox> FButtons;

    void CentreOnParent();
};

} // namespace kv
