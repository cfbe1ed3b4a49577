// Plain text tables: first line the captions, then one line per row, cells
// split at one separator character.

#include "KvDataTable.h"
#include "KvPlainCaption.h"
#include "KvTextImport.h"

#include "foundation/KvErrors.h"
#include "foundation/KvMissing.h"
#include "foundation/KvStrings.h"

#include <algorithm>

namespace kv {

namespace {

std::vector<std::string_view> SplitLines(std::string_view Text)
{
    std::vector<std::string_view> Lines;
    while (!Text.empty()) {
        const size_t End = Text.find_first_of("\r\n");
        if (End == std::string_view::npos) {
            Lines.push_back(Text);
            break;
        }
        Lines.push_back(Text.substr(0, End));
        const size_t Skip = Text.compare(End, 2, "\r\n") == 0 ? 2 : 1;
        Text.remove_prefix(End + Skip);
    }
    // Blank lines at the end of a file are not rows.
    while (!Lines.empty() && Lines.back().empty())
        Lines.pop_back();
    return Lines;
}

template <class TVisit>
void ForEachPiece(std::string_view Line, char Separator, TVisit Visit)
{
    for (int32_t i = 0;; ++i) {
        const size_t End = Line.find(Separator);
        if (!Visit(i, Line.substr(0, End)) || End == std::string_view::npos)
            return;
        Line.remove_prefix(End + 1);
    }
}

} // namespace

void TKvDataTable::ImportText(std::string_view Text, char Separator)
{
    ClearMessage(); // a message about the replaced values
    for (TKvTableColumn& C : FColumns) {
        C.Data->Clear();
        C.LiveFormula = false;
        C.Header.clear();
    }
    const std::vector<std::string_view> Lines = SplitLines(Text);
    const int32_t N = MaxColumns();
    if (!Lines.empty())
        ForEachPiece(Lines.front(), Separator, [&](int32_t i, std::string_view Piece) {
            if (i >= N)
                return false;
            FColumns[static_cast<size_t>(i)].Header = std::string{Piece};
            return true;
        });
    int32_t Rows = 0;
    for (size_t l = 1; l < Lines.size(); ++l, ++Rows)
        ForEachPiece(Lines[l], Separator, [&](int32_t i, std::string_view Piece) {
            if (i >= N)
                return false;
            double X = 0;
            if (!LocalTextToFloat(Piece, X))
                X = 0; // the cell exists in the file, so it keeps its place
            StoreValue(*FColumns[static_cast<size_t>(i)].Data, Rows, X);
            return true;
        });
    EnsureRows(Rows);
    MarkModified();
}

std::string TKvDataTable::ExportText(char Separator) const
{
    std::vector<const TKvTableColumn*> Used;
    for (const TKvTableColumn& C : FColumns)
        if (C.Data->Count() > 0)
            Used.push_back(&C);
    std::string Text;
    auto EndLine = [&] {
        if (!Used.empty())
            Text.pop_back(); // the separator after the last cell
        Text += "\r\n";
    };
    for (const TKvTableColumn* C : Used)
        (Text += PlainCaption(C->Header)) += Separator;
    EndLine();
    const int32_t Rows = MaxDataCount();
    for (int32_t r = 0; r < Rows; ++r) {
        for (const TKvTableColumn* C : Used) {
            // A missing value is an empty field, like a cell past the column's end.
            if (r < C->Data->Count() && !IsMissing((*C->Data)[r]))
                Text += FloatToText((*C->Data)[r]);
            Text += Separator;
        }
        EndLine();
    }
    return Text;
}

} // namespace kv

// ---------------------------------------------------------------- tables read with detection

namespace kv {

namespace {

std::string Cells(int64_t N) { return std::to_string(N) + (N == 1 ? " cell" : " cells"); }

std::string PlacementMessage(const TKvTextTable& Table, const TKvTextPlacement& Where, int32_t LastColumn)
{
    std::string Message;
    if (Table.Unreadable > 0) {
        Message = Cells(Table.Unreadable) +
                  (Table.Unreadable == 1 ? " could not be read and is left empty: "
                                         : " could not be read and are left empty; first: ") +
                  "row " + std::to_string(Where.FirstRow + Table.FirstBadRow + 1) + ", column " +
                  ColumnName(Where.FirstColumn + Table.FirstBadColumn) + ": '" + Table.FirstBadText + "'";
    }
    if (Table.CellsBeyondLastColumn > 0) {
        if (!Message.empty())
            Message += "; ";
        Message += Cells(Table.CellsBeyondLastColumn) + " right of column " + ColumnName(LastColumn) +
                   (Table.CellsBeyondLastColumn == 1 ? " has" : " have") + " no place in the table and " +
                   (Table.CellsBeyondLastColumn == 1 ? "was" : "were") + " not imported";
    }
    return Message;
}

} // namespace

std::string TKvDataTable::PlaceTextTable(TKvTextTable& Table, const TKvTextPlacement& Where)
{
    using TMode = TKvTextPlacement::TMode;
    ClearMessage(); // a message about the replaced values
    const size_t Count = std::max(Table.Columns.size(), Table.Captions.size());
    if (Where.Mode == TMode::Replace) {
        if (static_cast<int32_t>(Count) > MaxColumns())
            GrowColumns(static_cast<int32_t>(std::min<size_t>(Count, MaxColumnsLimit)));
        for (TKvTableColumn& C : FColumns) {
            C.Data->Clear();
            C.LiveFormula = false;
            C.Header.clear();
        }
    }
    const int32_t First = Where.Mode == TMode::Replace ? 1 : Where.FirstColumn;
    const int32_t Room = MaxColumns() - First + 1;
    // Cells the caller's limit let in but the table has no column for.
    for (size_t i = static_cast<size_t>(std::max(Room, 0)); i < Table.Columns.size(); ++i)
        Table.CellsBeyondLastColumn += static_cast<int64_t>(
            std::count_if(Table.Columns[i].begin(), Table.Columns[i].end(), [](double X) { return !IsMissing(X); }));
    for (size_t i = 0; i < Count && static_cast<int32_t>(i) < Room; ++i) {
        TKvTableColumn& C = FColumns[static_cast<size_t>(First) - 1 + i];
        const std::string Caption = i < Table.Captions.size() ? Table.Captions[i] : std::string();
        static const std::vector<double> None;
        const std::vector<double>& Values = i < Table.Columns.size() ? Table.Columns[i] : None;
        if (Where.Mode == TMode::Paste) {
            if (!Caption.empty())
                C.Header = Caption;
            for (size_t r = 0; r < Values.size(); ++r)
                StoreValue(*C.Data, Where.FirstRow + static_cast<int32_t>(r), Values[r]);
        } else {
            if (Values.size() > static_cast<size_t>(MaxRows))
                throw ERangeError("A column holds more than " + std::to_string(MaxRows) + " values");
            C.Header = Caption;
            C.LiveFormula = false;
            C.Data->Assign(Values);
        }
        EnsureRows(C.Data->Count());
    }
    const std::string Message = PlacementMessage(Table, Where, MaxColumns());
    if (Where.Mode != TMode::Replace)
        RecalculateIfLive();
    MarkModified();
    if (!Message.empty())
        ShowMessage(Message);
    return Message;
}

void TKvDataTable::GrowColumns(int32_t N)
{
    // SetMaxColumns empties every column; what the import keeps (widths,
    // formula texts) is put back.
    std::vector<std::pair<int32_t, std::string>> Kept;
    for (const TKvTableColumn& C : FColumns)
        Kept.emplace_back(C.Width, C.Formula);
    SetMaxColumns(N);
    for (size_t i = 0; i < Kept.size(); ++i) {
        FColumns[i].Width = Kept[i].first;
        FColumns[i].Formula = std::move(Kept[i].second);
    }
}

} // namespace kv
