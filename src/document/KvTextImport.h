#pragma once
// Reading the text tables users bring: cells split at a delimiter (or at
// runs of blanks), RFC 4180 quoted fields, comment and blank lines, caption
// rows and a decimal point or comma. The layout is a TKvTextFormat, which
// detection (KvTextDetect.h) proposes and the user may change; the reader
// itself guesses nothing.
//
// Every field keeps its place: an empty field or a missing token ("NA",
// "NaN", "-", "?", "null", ...) is the missing value, a field that is no
// number is the missing value too and is counted, so the caller can say how
// many cells could not be read and where the first one is. Nothing becomes
// 0, nothing moves up.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

struct TKvTextFormat {
    // The character between cells; ' ' stands for runs of blanks and tabs
    // (leading and trailing blanks of a line then separate nothing).
    char Delimiter = '\t';
    char Decimal = '.'; // '.' or ','
    // A line whose first non-blank text is this is a comment; a field that
    // starts with it ends the line's cells. Empty: no comments.
    std::string Comment;
    // The line (0-based, as the file's line ends count them) where the data
    // rows start. The HeaderRows lines with content directly above it are
    // the captions (two are joined "name / unit"); lines before those are
    // skipped.
    int64_t FirstDataLine = 0;
    int32_t HeaderRows = 0;

    bool operator==(const TKvTextFormat&) const = default;
};

struct TKvTextTable {
    std::vector<std::string> Captions; // one per column at most
    // Every column has Rows entries while reading; at the end missing values
    // at a column's end are dropped (a column without them is shorter).
    std::vector<std::vector<double>> Columns;
    int64_t Rows = 0;
    // Cells that were neither a number nor a missing token; they hold the
    // missing value. The first one by row, then column (0-based).
    int64_t Unreadable = 0;
    int64_t FirstBadRow = -1;
    int32_t FirstBadColumn = -1;
    std::string FirstBadText;
    // Cells right of the last column the caller allows.
    int64_t CellsBeyondLastColumn = 0;
    bool Cancelled = false;
};

struct TKvTextReadLimits {
    int32_t MaxColumns = 16384;
    int64_t MaxRows = INT64_MAX; // a preview reads only the first rows
    // Called about every megabyte with the share of the text read; false
    // cancels the reading (the result then says Cancelled).
    std::function<bool(double Done)> Progress;
};

TKvTextTable ReadTextTable(std::string_view Text, const TKvTextFormat& Format, const TKvTextReadLimits& Limits = {});

// One field's text (blanks around it allowed) as a number with the given
// decimal separator, exactly as std::from_chars reads the "." form. False
// for anything else, infinities included.
bool ReadCellNumber(std::string_view Field, char Decimal, double& Value);
// Empty (or blank), "NA", "NaN", "null" (any letter case), "-", "--", "?".
bool IsMissingToken(std::string_view Field);

// The lines with content (blank and comment lines left out) split into
// fields as the reader splits them: quotes removed, blanks around unquoted
// fields trimmed. Line counts as in TKvTextFormat::FirstDataLine.
struct TKvTextRecord {
    int64_t Line = 0;
    std::vector<std::string> Fields;
};
std::vector<TKvTextRecord> SplitTextRecords(std::string_view Text, char Delimiter, std::string_view Comment,
                                            size_t MaxRecords);

} // namespace kv
