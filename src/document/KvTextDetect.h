#pragma once
// Detection of a text table's layout from its first 64 KB, and the choices a
// user fixes by hand (the import dialog, --import-options). Detection only
// proposes a TKvTextFormat; the reader (KvTextImport.h) reads what it is
// told.

#include "KvTextImport.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kv {

inline constexpr size_t DetectionSampleSize = 64 * 1024;

// What the user chose; an empty field is detected.
struct TKvTextImportOptions {
    std::optional<char> Delimiter; // ' ' for runs of blanks
    std::optional<char> Decimal;
    std::optional<std::string> Comment; // empty text: no comments
    std::optional<int32_t> HeaderRows;
    // 0-based as in TKvTextFormat; --import-options' "first" is 1-based.
    std::optional<int64_t> FirstDataLine;
};

// Detection, step by step:
// - comments: the mark ("#", "%", "//") that starts most lines; ";" when
//   lines start with it and it is not the delimiter;
// - delimiter: of tab, ";", ",", blanks and any other punctuation in the
//   lines, the one that splits the most lines into the same number (> 1) of
//   fields, weighted by the share of fields that read as numbers; ties go
//   to tab, then ";", then ",", then blanks;
// - decimal comma: fields of the form 1,5 and none of the form 1.5 (with a
//   "," delimiter such fields can only be quoted ones);
// - captions: the lines with content directly above the first line that
//   holds more numbers than text; one line, or two (names and units, joined
//   "name / unit") when both split like the data. Text lines further up
//   are skipped. With the header rows fixed by hand, the captions are the
//   first lines with content and the data follow them.
// Fixed choices are taken as given and the rest detected around them.
TKvTextFormat DetectTextFormat(std::string_view Text, const TKvTextImportOptions& Fixed = {});

// "delimiter=;,decimal=,,header=1,comment=#,first=3": keys delimiter
// (a character, or tab, space, comma, semicolon), decimal ("." or ","; or
// point, comma), header (0 to 9 caption lines), comment (a mark, or none)
// and first (the 1-based line of the first data row), separated by commas;
// a value may itself be a comma. Raises EConvertError for anything else.
TKvTextImportOptions ParseImportOptions(std::string_view Text);

// True when a pasted text holds only numbers and separators (digits, signs,
// points, commas, exponent letters, blanks, tabs, semicolons, line ends):
// such text keeps the paste rules of the table; anything else (captions,
// comments, quotes, missing tokens) goes through detection.
bool HoldsOnlyNumbers(std::string_view Text);

} // namespace kv
