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

// "<file> appears damaged: <findings joined by "; ">. What could be read is
// shown; save it under another name to keep the original."
std::string DamageMessage(const std::string& FileName, const std::vector<std::string>& Findings);

} // namespace kv
