// Clipboard, delete, insert and column commands of the table, on the model.

#include "KvDataTable.h"

#include "foundation/KvErrors.h"
#include "foundation/KvMissing.h"
#include "foundation/KvStrings.h"

#include <algorithm>

namespace kv {

namespace {

bool Contains(const TKvCellRange& R, int32_t Column, int32_t Row)
{
    return Column >= R.Left && Column <= R.Right && Row >= R.Top && Row <= R.Bottom;
}

// Cuts one pasted line. CR, LF and CR LF each end a line; a text without
// any line end is cut at its blanks. NoLineEnd remembers that the rest of
// the text holds no line end, so no character is searched twice and a
// paste stays linear in its length whatever its line ends are.
std::string_view CutPasteLine(std::string_view& Text, bool& NoLineEnd)
{
    size_t End = std::string_view::npos;
    if (!NoLineEnd) {
        End = Text.find_first_of("\r\n");
        NoLineEnd = End == std::string_view::npos;
    }
    if (End == std::string_view::npos)
        End = Text.find(' ');
    if (End == std::string_view::npos) {
        const std::string_view Line = Text;
        Text = {};
        return Line;
    }
    const size_t Skip = Text.compare(End, 2, "\r\n") == 0 ? 2 : 1;
    const std::string_view Line = Text.substr(0, End);
    Text.remove_prefix(End + Skip);
    return Line;
}

bool IsBlankField(std::string_view Field) { return Field.find_first_not_of(" \r") == std::string_view::npos; }

// Removes the values First..Last (0-based, inside the column) by moving the
// tail up; deleting from the end keeps each step constant-time.
void DeleteValues(TKvLiveVector& Values, int32_t First, int32_t Last)
{
    const std::vector<double> Tail(Values.Values().begin() + Last + 1, Values.Values().end());
    while (Values.Count() > First)
        Values.Delete(Values.Count() - 1);
    for (size_t j = 0; j < Tail.size(); ++j)
        Values.SetValue(First + static_cast<int32_t>(j), Tail[j]);
}

} // namespace

std::string TKvDataTable::CopyText(int32_t Column, int32_t Row) const
{
    const TKvLiveVector& Values = Data(Column);
    if (Row < 0 || Row >= Values.Count() || IsMissing(Values[Row]))
        return {}; // an empty field, which a paste reads back as missing
    return FloatToText(Values[Row]);
}

std::string TKvDataTable::CopyText(std::span<const TKvCellRange> Ranges) const
{
    if (Ranges.empty())
        return {};
    TKvCellRange Box = Ranges.front();
    for (const TKvCellRange& R : Ranges) {
        Box.Left = std::min(Box.Left, R.Left);
        Box.Right = std::max(Box.Right, R.Right);
        Box.Top = std::min(Box.Top, R.Top);
        Box.Bottom = std::max(Box.Bottom, R.Bottom);
    }
    Box.Left = std::max(Box.Left, 1);
    Box.Right = std::min(Box.Right, MaxColumns());
    Box.Top = std::max(Box.Top, 0);
    std::string Text;
    for (int32_t Row = Box.Top; Row <= Box.Bottom; ++Row) {
        if (Row > Box.Top)
            Text += '\n'; // the platform's line end: other programs read it as a row
        for (int32_t Col = Box.Left; Col <= Box.Right; ++Col) {
            if (Col > Box.Left)
                Text += '\t';
            const bool Selected = std::any_of(Ranges.begin(), Ranges.end(),
                                              [&](const TKvCellRange& R) { return Contains(R, Col, Row); });
            if (Selected)
                Text += CopyText(Col, Row);
        }
    }
    return Text;
}

int32_t TKvDataTable::PasteNumbers(std::string_view Line, int32_t Column, int32_t Row)
{
    // Leading separators are skipped first so that a blank line is no error.
    int32_t Col = Column;
    for (;; ++Col) {
        SkipToNumber(Line);
        if (Line.empty())
            break;
        try {
            const double X = ExtractFloat(Line);
            if (Col <= MaxColumns())
                StoreValue(Data(Col), Row, X);
        } catch (const EKvError& E) { // a number that does not convert, or a row past the end
            if (Col <= MaxColumns())
                ReportCellError(Col, Row + 1, E.what());
        }
    }
    return Col;
}

int32_t TKvDataTable::PasteMissing(int32_t Column, int32_t Row)
{
    if (Column <= MaxColumns()) {
        try {
            StoreValue(Data(Column), Row, MissingValue());
        } catch (const EKvError& E) { // a row past the end
            ReportCellError(Column, Row + 1, E.what());
        }
    }
    return Column + 1;
}

int32_t TKvDataTable::PasteText(std::string_view Text, int32_t Column, int32_t Row)
{
    Data(Column); // the active cell must exist
    const std::string Pasted = LocalToPoint(Text);
    std::string_view Rest = Pasted;
    int32_t r = std::max(Row, 0);
    bool NoLineEnd = false;
    while (!Rest.empty()) {
        const std::string_view Line = CutPasteLine(Rest, NoLineEnd);
        if (Line.find('\t') == std::string_view::npos) {
            PasteNumbers(Line, Column, r);
        } else {
            // Cells copied from a table: TAB ends each field, and an empty
            // field is an empty cell.
            int32_t Col = Column;
            for (std::string_view Fields = Line;;) {
                const size_t Tab = Fields.find('\t');
                const std::string_view Field = Fields.substr(0, Tab);
                Col = IsBlankField(Field) ? PasteMissing(Col, r) : std::max(PasteNumbers(Field, Col, r), Col + 1);
                if (Tab == std::string_view::npos)
                    break;
                Fields.remove_prefix(Tab + 1);
            }
        }
        ++r;
    }
    EnsureRows(r);
    RecalculateIfLive();
    MarkModified();
    return r;
}

void TKvDataTable::DeleteCell(int32_t Column, int32_t Row)
{
    TKvLiveVector& Values = Data(Column);
    if (Row >= 0 && Row < Values.Count())
        Values.Delete(Row);
    RecalculateIfLive();
    MarkModified();
}

void TKvDataTable::DeleteRanges(std::span<const TKvCellRange> Ranges)
{
    for (const TKvCellRange& R : Ranges) {
        for (int32_t Col = std::max(R.Left, 1); Col <= std::min(R.Right, MaxColumns()); ++Col) {
            TKvLiveVector& Values = Data(Col);
            if (Values.Count() == 0)
                continue;
            const int32_t First = std::max(R.Top, 0);
            const int32_t Last = std::min(std::max(R.Bottom, 0), Values.Count() - 1);
            if (First == 0 && Last == Values.Count() - 1)
                Values.Clear();
            else if (First <= Last)
                DeleteValues(Values, First, Last);
        }
    }
    RecalculateIfLive();
    MarkModified();
}

void TKvDataTable::EmptyRanges(std::span<const TKvCellRange> Ranges)
{
    for (const TKvCellRange& R : Ranges) {
        for (int32_t Col = std::max(R.Left, 1); Col <= std::min(R.Right, MaxColumns()); ++Col) {
            TKvTableColumn& C = Column(Col);
            if (C.LiveFormula)
                continue;
            const int32_t Last = std::min(R.Bottom, C.Data->Count() - 1);
            for (int32_t Row = std::max(R.Top, 0); Row <= Last; ++Row)
                C.Data->SetValue(Row, MissingValue());
        }
    }
    RecalculateIfLive();
    MarkModified();
}

void TKvDataTable::InsertCell(int32_t Column, int32_t Row)
{
    TKvLiveVector& Values = Data(Column);
    if (Row < 0 || Row >= Values.Count())
        return;
    Values.Insert(Row, 0.0);
    RecalculateIfLive();
    MarkModified(); // an inserted value is a change like any other
}

void TKvDataTable::InsertRow(int32_t Row)
{
    bool Changed = false;
    for (TKvTableColumn& C : FColumns) {
        if (C.LiveFormula || Row < 0 || Row >= C.Data->Count())
            continue;
        C.Data->Insert(Row, 0.0);
        Changed = true;
    }
    RecalculateIfLive();
    if (Changed)
        MarkModified();
}

bool TKvDataTable::EndCellEdit(int32_t Column, int32_t Row, std::string_view Text)
{
    TKvTableColumn& C = this->Column(Column);
    if (C.LiveFormula || Row < 0)
        return false; // computed cells are read-only
    if (!Text.empty()) {
        double X = 0;
        if (!LocalTextToFloat(Text, X))
            return false;
        StoreValue(*C.Data, Row, X);
        EnsureRows(Row);
    } else if (Row < C.Data->Count()) {
        C.Data->SetValue(Row, MissingValue()); // an emptied cell is empty, not 0
    }
    RecalculateIfLive();
    MarkModified();
    return true;
}

namespace {

// A column moving to another place takes its caption, formula, live flag
// and values along; the width stays with the place.
void TakeColumnContent(TKvTableColumn& To, TKvTableColumn& From)
{
    To.Header = std::move(From.Header);
    To.Formula = std::move(From.Formula);
    To.LiveFormula = From.LiveFormula;
    To.Data = std::move(From.Data);
}

void EmptyColumn(TKvTableColumn& Column, std::unique_ptr<TKvLiveVector> Data)
{
    Column.Header.clear();
    Column.Formula.clear();
    Column.LiveFormula = false;
    Column.Data = std::move(Data);
}

} // namespace

void TKvDataTable::InsertColumn(int32_t k)
{
    const int32_t N = MaxColumns();
    Column(k);
    if (!ColumnIsEmpty(N))
        throw EKvError("Last column is not empty!\rAction impossible!");
    std::unique_ptr<TKvLiveVector> Spare = std::move(FColumns[static_cast<size_t>(N - 1)].Data);
    for (int32_t j = N; j > k; --j)
        TakeColumnContent(FColumns[static_cast<size_t>(j - 1)], FColumns[static_cast<size_t>(j - 2)]);
    EmptyColumn(FColumns[static_cast<size_t>(k - 1)], std::move(Spare));
    // Every formula follows the columns it reads, also those left of k:
    // otherwise they would silently read the new empty column.
    for (TKvTableColumn& C : FColumns)
        C.Formula = RenameForInsertedColumn(C.Formula, k, N);
    MarkModified();
}

void TKvDataTable::DeleteColumn(int32_t k)
{
    const int32_t N = MaxColumns();
    Column(k);
    std::unique_ptr<TKvLiveVector> Removed = std::move(FColumns[static_cast<size_t>(k - 1)].Data);
    for (int32_t j = k; j < N; ++j)
        TakeColumnContent(FColumns[static_cast<size_t>(j - 1)], FColumns[static_cast<size_t>(j)]);
    Removed->Clear();
    EmptyColumn(FColumns[static_cast<size_t>(N - 1)], std::move(Removed));
    for (TKvTableColumn& C : FColumns)
        C.Formula = RenameForDeletedColumn(C.Formula, k, N);
    MarkModified();
}

} // namespace kv
