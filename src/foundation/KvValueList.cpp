#include "KvValueList.h"

#include "KvMissing.h"
#include "KvStrings.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

namespace kv {

void TKvReadVectorReport::Clear()
{
    Unreadable = 0;
    Rows.clear();
}

void TKvReadVectorReport::Note(int32_t Row)
{
    ++Unreadable;
    if (Rows.size() < MaxRows)
        Rows.push_back(Row);
}

std::string TKvReadVectorReport::Message(std::string_view ColumnName) const
{
    if (Clean())
        return {};
    const bool One = Unreadable == 1;
    std::string Text = "Column " + std::string(ColumnName) + ": " + std::to_string(Unreadable) +
        (One ? " entry could not be read and is left empty (row " : " entries could not be read and are left empty (rows ");
    for (size_t i = 0; i < Rows.size(); ++i)
        Text += (i > 0 ? ", " : "") + std::to_string(Rows[i] + 1);
    if (static_cast<size_t>(Unreadable) > Rows.size())
        Text += ", ...";
    return Text + ")";
}

namespace {

bool IsBlank(char C) { return C == ' ' || C == '\t' || C == '\r'; }

// A piece the plain path did not take: blanks around it are allowed, an
// empty piece is a missing value written as such, anything else is one
// number in the file form or unreadable.
double ReadPiece(std::string_view Piece, int64_t Row, TKvReadVectorReport* Report)
{
    while (!Piece.empty() && IsBlank(Piece.front()))
        Piece.remove_prefix(1);
    while (!Piece.empty() && IsBlank(Piece.back()))
        Piece.remove_suffix(1);
    if (Piece.empty())
        return MissingValue();
    double X = 0;
    if (TryTextToFloat(Piece, X))
        return X;
    // "NAN" too: no file of ours holds one, so it is text, not a value.
    if (Report)
        Report->Note(static_cast<int32_t>(std::min<int64_t>(Row, INT32_MAX)));
    return MissingValue();
}

} // namespace

void ReadValueList(std::string_view Text, std::vector<double>& Values, TKvReadVectorReport* Report)
{
    if (Text.empty())
        return;
    const char* P = Text.data();
    const char* const End = P + Text.size();
    // The plain piece (a number in std::from_chars' grammar right up to the
    // separator) is taken at once: a million-row column spends its time
    // here. Everything else, a leading "+" and values out of range among
    // them, goes the careful way.
    for (int64_t Row = 0;; ++Row) {
        const char* Digits = P + (P < End && *P == '-');
        double X = 0;
        std::from_chars_result R{P, std::errc::invalid_argument};
        if (Digits < End && ((*Digits >= '0' && *Digits <= '9') || *Digits == '.'))
            R = std::from_chars(P, End, X, std::chars_format::general);
        if (R.ec == std::errc() && (R.ptr == End || *R.ptr == ';')) {
            Values.push_back(X);
            P = R.ptr;
        } else {
            const char* Semi = std::find(P, End, ';');
            Values.push_back(ReadPiece({P, static_cast<size_t>(Semi - P)}, Row, Report));
            P = Semi;
        }
        if (P == End)
            break;
        ++P;
    }
}

} // namespace kv
