// Plain text tables: first line the captions, then one line per row, cells
// split at one separator character.

#include "KvDataTable.h"
#include "KvPlainCaption.h"

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
