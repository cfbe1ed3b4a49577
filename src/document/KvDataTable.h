#pragma once
// The document's table: numeric columns with caption, formula and a live
// vector each, the live-formula recalculation, the editing operations and
// the Modified mark. No widgets: the window shows what this model holds and
// is told of changes through the observers.

#include "KvColumnFormula.h"
#include "foundation/KvIniList.h"
#include "foundation/KvVector.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

struct TKvTextTable;

// Where a text table read with detection goes.
struct TKvTextPlacement {
    enum class TMode {
        Replace,     // the whole table: values, captions and live flags go first
        IntoColumns, // the columns from FirstColumn on are replaced
        Paste,       // cells from FirstColumn, FirstRow on are overwritten
    };
    TMode Mode = TMode::Replace;
    int32_t FirstColumn = 1; // 1-based
    int32_t FirstRow = 0;    // data row, Paste only
};

struct TKvTableColumn {
    int32_t Width = 80;
    std::string Header;  // caption markup
    std::string Formula; // with the locale's decimal separator
    bool LiveFormula = false;
    std::unique_ptr<TKvLiveVector> Data = std::make_unique<TKvLiveVector>();
};

// A selected block of cells: columns 1-based, data rows 0-based, both ends
// included. Rows above the data rows may be given as negative numbers.
struct TKvCellRange {
    int32_t Left = 1;
    int32_t Top = 0;
    int32_t Right = 1;
    int32_t Bottom = 0;
};

class TKvDataTable {
public:
    static constexpr int32_t DefaultMaxColumns = 26;
    // Far more than any table needs; it only keeps a damaged file from
    // asking for billions of columns.
    static constexpr int32_t MaxColumnsLimit = 16384;
    static constexpr int32_t DefaultWidth = 80;
    static constexpr int32_t InitialRowLimit = 20;
    // The last row a column may reach (2 GB of values). Beyond it a store
    // raises ERangeError instead of exhausting memory or overflowing the
    // 32-bit row numbers.
    static constexpr int32_t MaxRows = 1 << 28;

    using TModifiedObserver = std::function<void(bool Modified)>;
    using TMessageHandler = std::function<void(const std::string& Message)>;

    explicit TKvDataTable(int32_t MaxColumns = DefaultMaxColumns);

    // Columns, 1-based. A bad number raises ERangeError.
    int32_t MaxColumns() const { return static_cast<int32_t>(FColumns.size()); }
    // Sizes the table to N columns (0 or less: the default). Vectors of the
    // columns that remain are kept but emptied, so views bound to them stay
    // valid; all columns lose caption, formula and width.
    void SetMaxColumns(int32_t N);
    TKvTableColumn& Column(int32_t k);
    const TKvTableColumn& Column(int32_t k) const;
    TKvLiveVector& Data(int32_t k) { return *Column(k).Data; }
    const TKvLiveVector& Data(int32_t k) const { return *Column(k).Data; }

    int32_t RowNumberWidth = DefaultWidth;
    TKvStringList GraphFormulas; // fit-formula history, compared without case
    std::string CurrentFile;
    TKvFormPlacement Placement{TKvWindowState::WsNormal, 184, 411, 488, 686};
    TKvScreenSize Screen;

    // The Modified mark.
    bool Modified() const { return FModified; }
    void MarkModified() { SetModified(true); }
    void ClearModified() { SetModified(false); }
    void AddModifiedObserver(TModifiedObserver Observer) { FModifiedObservers.push_back(std::move(Observer)); }

    // The messages of the status line ("Error in Cell: ..."). The last one
    // is kept; every one also goes to the handler when there is one.
    TMessageHandler OnMessage;
    const std::string& LastMessage() const { return FLastMessage; }
    // Tells the handler (with an empty message) when a message was shown.
    void ClearMessage();
    void ShowMessage(const std::string& Message);
    void ReportCellError(int32_t Column, int32_t Row, const std::string& Message);

    int32_t MaxDataCount() const;
    bool HasLiveFormula() const;

    // Grid rows: the row limit only grows; LockedRows is the number of graph
    // rows plus the caption, formula and letter rows.
    int32_t RowLimit() const { return FRowLimit; }
    int32_t LockedRows = 4;
    void EnsureRows(int32_t r);

    // Formulas.
    void SetFormulaEngine(std::unique_ptr<TKvColumnFormula> Engine) { FEngine = std::move(Engine); }
    bool HasFormulaEngine() const { return FEngine != nullptr; }
    void EvaluateColumn(int32_t Column, int32_t From, int32_t To);
    void RecalculateColumn(int32_t Column);
    void RecalculateAll();
    // The formula editor's OK on the model: stores Formula with Column and
    // either makes it live (recomputed now and on every change) or applies
    // it once to the rows From..To (in either order). An empty formula is
    // never live. Sets the Modified mark.
    void ApplyFormula(int32_t Column, const std::string& Formula, bool Live, int32_t From, int32_t To);
    // Computes Formula once for Row and returns the value; compile and
    // evaluation errors are raised, so a wrong formula is reported at once;
    // a row with an empty operand gives a missing value.
    double CheckFormula(const std::string& Formula, int32_t Row);

    // Editing of values. Rows are 0-based data rows, columns 1-based.
    std::string CopyText(int32_t Column, int32_t Row) const;
    std::string CopyText(std::span<const TKvCellRange> Ranges) const;
    // Pastes at the active cell; returns the row after the last pasted line.
    // In a line with TABs (cells copied from a table) each field is one
    // column and an empty field an empty cell; elsewhere any run of other
    // characters separates numbers.
    int32_t PasteText(std::string_view Text, int32_t Column, int32_t Row);
    void DeleteCell(int32_t Column, int32_t Row);
    void DeleteRanges(std::span<const TKvCellRange> Ranges);
    // Makes the cells empty (missing) in place, as a cut does; the values
    // below stay where they are and computed columns are left alone.
    void EmptyRanges(std::span<const TKvCellRange> Ranges);
    void InsertCell(int32_t Column, int32_t Row);
    void InsertRow(int32_t Row);
    // The end of a cell edit; false when the text was not taken. An empty
    // text empties the cell (a missing value).
    bool EndCellEdit(int32_t Column, int32_t Row, std::string_view Text);

    // Column structure. InsertColumn raises EKvError "Last column is not
    // empty!\rAction impossible!" when the last column is in use.
    void InsertColumn(int32_t k);
    void DeleteColumn(int32_t k);
    // Values, captions, formulas and live flags go; widths, the fit-formula
    // history and CurrentFile stay.
    void ClearColumns();
    bool ColumnIsEmpty(int32_t k) const;

    // Text import and export with Separator between cells.
    void ImportText(std::string_view Text, char Separator);
    // Puts a read text table into the table (KvTextImport.h): captions,
    // values and missing cells in their places. Replace grows the table
    // when the text has more columns (up to MaxColumnsLimit). Cells that
    // could not be read or found no column are reported once through
    // ShowMessage, and the message is returned (empty when all went in).
    // Formula texts stay; the replaced columns lose their live flags.
    std::string PlaceTextTable(TKvTextTable& Table, const TKvTextPlacement& Where);
    std::string ExportText(char Separator) const;

private:
    void SetModified(bool Value);
    void RecalculateIfLive();
    // The numbers of one pasted line (or TAB field) from Column on; returns
    // the column after the last.
    int32_t PasteNumbers(std::string_view Line, int32_t Column, int32_t Row);
    // An empty pasted field: the cell becomes empty; returns the next column.
    int32_t PasteMissing(int32_t Column, int32_t Row);
    std::vector<TKvRealVector*> ColumnVectors();
    void ShiftColumnsRight(int32_t k);
    void ShiftColumnsLeft(int32_t k);
    void GrowColumns(int32_t N);

    std::vector<TKvTableColumn> FColumns;
    std::unique_ptr<TKvColumnFormula> FEngine;
    std::vector<TModifiedObserver> FModifiedObservers;
    std::string FLastMessage;
    int32_t FRowLimit = InitialRowLimit;
    bool FModified = false;
};

// The text handed to the parser for a column formula: blanks removed,
// RANDOM as Random(1), stand-alone column letters as calls with the row.
std::string PrepareFormula(std::string_view Formula);

// Rewrites the column letters of a formula for a column inserted at, or
// deleted from, column k of a table of N columns.
std::string RenameForInsertedColumn(std::string_view Formula, int32_t k, int32_t N);
std::string RenameForDeletedColumn(std::string_view Formula, int32_t k, int32_t N);

// Stores X at index i; rows skipped over become empty (missing), so that
// neither a stale value of an earlier content nor a 0 nobody typed appears. Raises ERangeError for an
// index outside 0..MaxRows-1.
void StoreValue(TKvRealVector& Vector, int32_t i, double X);

// A number typed or imported with the locale's decimal separator (blanks
// around it allowed). False when the text is not a finite number.
bool LocalTextToFloat(std::string_view Text, double& Value);

} // namespace kv
