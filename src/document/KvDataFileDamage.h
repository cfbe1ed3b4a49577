#pragma once
// The signs that a data file was cut short or broken, so that a load can
// say "appears damaged" instead of showing half a table without a word.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

class TKvIniList;

// Column sections without the [Table] section every save writes.
bool TableSectionMissing(const TKvIniList& Store, int32_t MaxColumns);

// The file's last line when the file ends without a line end inside it:
// in a key (no "="), in a section header (no "]"), or in a Data= list
// (which a save always ends with a line end). Empty when the file ends well.
std::string CutLastLine(std::string_view Text);

// "Column B: 2 entries could not be read and are left empty (rows 4, 9)":
// the finding for a Data= list with pieces that are text but no number
// (Rows 1-based, the first few of them).
std::string UnreadableEntriesFinding(int32_t Column, int64_t Count, const std::vector<int64_t>& Rows);

// "<file> appears damaged: <findings joined by "; ">. What could be read is
// shown; save it under another name to keep the original."
std::string DamageMessage(const std::string& FileName, const std::vector<std::string>& Findings);

} // namespace kv
