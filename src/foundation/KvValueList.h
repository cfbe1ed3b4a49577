#pragma once
// The stored form of a column: its values joined by ";", a missing value
// written as an empty piece ("1;;3"). Reading keeps every piece in its
// place, so row i of the text is element i of the vector: a piece that is
// empty or does not convert becomes a missing value, never skipped (a
// skipped piece would move every later value up one row and pair X and Y
// values of different rows).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// What a read could not take: the pieces that held text but no number
// (empty pieces are how missing values are written and are not counted).
struct TKvReadVectorReport {
    // Rows listed in a message; the count goes on beyond them.
    static constexpr size_t MaxRows = 10;

    int32_t Unreadable = 0;
    // 0-based indices of the first MaxRows unreadable pieces.
    std::vector<int32_t> Rows;

    bool Clean() const { return Unreadable == 0; }
    void Clear();
    void Note(int32_t Row);
    // "Column B: 2 entries could not be read and are left empty (rows 4, 9)",
    // the rows 1-based; empty when clean.
    std::string Message(std::string_view ColumnName) const;
};

// Appends the pieces of Text to Values (an empty text gives no value); the
// unreadable ones are added to Report when one is given.
void ReadValueList(std::string_view Text, std::vector<double>& Values, TKvReadVectorReport* Report = nullptr);

} // namespace kv
