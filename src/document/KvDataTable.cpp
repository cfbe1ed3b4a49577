#include "KvDataTable.h"

#include "foundation/KvErrors.h"
#include "foundation/KvMissing.h"
#include "foundation/KvStrings.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>

namespace kv {

TKvDataTable::TKvDataTable(int32_t MaxColumns) { SetMaxColumns(MaxColumns); }

void TKvDataTable::SetMaxColumns(int32_t N)
{
    if (N <= 0)
        N = DefaultMaxColumns;
    N = std::min(N, MaxColumnsLimit);
    FColumns.resize(static_cast<size_t>(N));
    for (TKvTableColumn& C : FColumns) {
        C.Width = DefaultWidth;
        C.Header.clear();
        C.Formula.clear();
        C.LiveFormula = false;
        C.Data->Clear();
    }
}

TKvTableColumn& TKvDataTable::Column(int32_t k)
{
    if (k < 1 || k > MaxColumns())
        throw ERangeError("Column " + std::to_string(k) + " does not exist");
    return FColumns[static_cast<size_t>(k - 1)];
}

const TKvTableColumn& TKvDataTable::Column(int32_t k) const
{
    return const_cast<TKvDataTable*>(this)->Column(k);
}

void TKvDataTable::SetModified(bool Value)
{
    if (FModified == Value)
        return;
    FModified = Value;
    for (const TModifiedObserver& Observer : FModifiedObservers)
        Observer(FModified);
}

void TKvDataTable::ShowMessage(const std::string& Message)
{
    FLastMessage = Message;
    if (OnMessage)
        OnMessage(Message);
}

void TKvDataTable::ClearMessage()
{
    if (FLastMessage.empty())
        return;
    FLastMessage.clear();
    if (OnMessage)
        OnMessage({});
}

namespace {

// Vectors and the formula parser name a missing value by its 0-based index
// ("i=4 index out of range"); the status line counts rows from 1 as the
// grid does, so the first row is never called 0.
std::string RowsFromOne(const std::string& Message)
{
    constexpr std::string_view Prefix = "i=";
    constexpr std::string_view Suffix = " index out of range";
    const std::string_view Text = Message;
    if (!Text.starts_with(Prefix) || !Text.ends_with(Suffix))
        return Message;
    const std::string_view Number = Text.substr(Prefix.size(), Text.size() - Prefix.size() - Suffix.size());
    int64_t Index = 0;
    const auto [End, Error] = std::from_chars(Number.data(), Number.data() + Number.size(), Index);
    if (Error != std::errc() || End != Number.data() + Number.size())
        return Message;
    return "row " + std::to_string(Index + 1) + " holds no value";
}

} // namespace

void TKvDataTable::ReportCellError(int32_t Column, int32_t Row, const std::string& Message)
{
    ShowMessage("Error in Cell: " + ColumnName(Column) + std::to_string(Row) + " " + RowsFromOne(Message));
}

int32_t TKvDataTable::MaxDataCount() const
{
    int32_t Count = 0;
    for (const TKvTableColumn& C : FColumns)
        if (!C.LiveFormula)
            Count = std::max(Count, C.Data->Count());
    return Count;
}

bool TKvDataTable::HasLiveFormula() const
{
    return std::any_of(FColumns.begin(), FColumns.end(), [](const TKvTableColumn& C) { return C.LiveFormula; });
}

void TKvDataTable::EnsureRows(int32_t r)
{
    // 64-bit arithmetic: a row near the 32-bit end must not wrap around.
    if (int64_t{r} >= int64_t{FRowLimit} - LockedRows - 2)
        FRowLimit = static_cast<int32_t>(std::min<int64_t>(int64_t{r} + LockedRows + 10, INT32_MAX));
}

bool TKvDataTable::ColumnIsEmpty(int32_t k) const
{
    const TKvTableColumn& C = Column(k);
    return !C.LiveFormula && C.Header.empty() && C.Data->Count() == 0;
}

void TKvDataTable::ClearColumns()
{
    for (TKvTableColumn& C : FColumns) {
        C.Data->Clear();
        C.Header.clear();
        C.Formula.clear();
        C.LiveFormula = false;
    }
}

void StoreValue(TKvRealVector& Vector, int32_t i, double X)
{
    if (i < 0 || i >= TKvDataTable::MaxRows)
        throw ERangeError("Row " + std::to_string(int64_t{i} + 1) + " is beyond the table's last row");
    for (int32_t Gap = Vector.Count(); Gap < i; ++Gap)
        Vector.SetValue(Gap, MissingValue());
    Vector.SetValue(i, X);
}

bool LocalTextToFloat(std::string_view Text, double& Value)
{
    constexpr std::string_view Blanks = " \t\r\n";
    const size_t First = Text.find_first_not_of(Blanks);
    if (First == std::string_view::npos)
        return false;
    Text = Text.substr(First, Text.find_last_not_of(Blanks) - First + 1);
    double Parsed = 0;
    if (!TryTextToFloat(LocalToPoint(Text), Parsed) || !std::isfinite(Parsed))
        return false;
    Value = Parsed;
    return true;
}

} // namespace kv
