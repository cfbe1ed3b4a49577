#pragma once
// The import dialog of text tables: the detected layout shown and
// changeable (delimiter, decimal separator, first data line, comment mark,
// caption rows), a live preview of the first 20 rows as they will land in
// the table, and where they go (the whole table, or the columns from the
// active one on). It reads only the first 64 KB of the text; the window
// reads the whole text with the chosen format.

#include "document/KvDataTable.h"
#include "document/KvTextImport.h"

#include <QDialog>

#include <string>
#include <string_view>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QSpinBox;
class QTableWidget;

namespace kv {

class TImportTableForm : public QDialog {
    Q_OBJECT

public:
    static constexpr int PreviewRows = 20;

    // OfferColumns: the table may keep its other columns (not for a text
    // table opened as a new document). ActiveColumn is 1-based.
    TImportTableForm(std::string_view Text, const TKvTextFormat& Detected, int ActiveColumn, bool OfferColumns,
                     QWidget* Parent = nullptr);

    TKvTextFormat Format() const;
    TKvTextPlacement Placement() const;

    // The controls, for tests and the window.
    QComboBox* DelimiterBox() const { return FDelimiter; }
    QLineEdit* OtherDelimiter() const { return FOther; }
    QComboBox* DecimalBox() const { return FDecimal; }
    QComboBox* CommentBox() const { return FComment; }
    QSpinBox* FirstDataLine() const { return FFirstLine; }
    QSpinBox* HeaderRows() const { return FHeaderRows; }
    QRadioButton* ReplaceButton() const { return FReplace; }
    QRadioButton* ColumnsButton() const { return FColumns; }
    QTableWidget* Preview() const { return FPreview; }
    QLabel* Summary() const { return FSummary; }

private:
    void BuildLayout(bool OfferColumns);
    void ShowFormat(const TKvTextFormat& Format);
    void ShowLines();
    void UpdatePreview();

    std::string FSample;
    int FActiveColumn = 1;
    QComboBox* FDelimiter = nullptr;
    QLineEdit* FOther = nullptr;
    QComboBox* FDecimal = nullptr;
    QComboBox* FComment = nullptr;
    QSpinBox* FFirstLine = nullptr;
    QSpinBox* FHeaderRows = nullptr;
    QRadioButton* FReplace = nullptr;
    QRadioButton* FColumns = nullptr;
    QPlainTextEdit* FLines = nullptr;
    QTableWidget* FPreview = nullptr;
    QLabel* FSummary = nullptr;
};

} // namespace kv
