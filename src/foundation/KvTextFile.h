#pragma once
// Whole-file text input and output.
//
// Text is UTF-8 inside the program. A file that is not valid UTF-8 was made
// elsewhere and is read as Windows-1252. Writing goes through a temporary
// file beside the target that is renamed over it, so the target is either
// the old file or the complete new one.

#include <string>
#include <string_view>

namespace kv {

bool IsValidUtf8(std::string_view Text);
std::string Windows1252ToUtf8(std::string_view Text);

// Reads the whole file into Text as UTF-8 (a leading UTF-8 byte-order mark
// dropped). Returns false, with Error set, when the file cannot be read.
bool ReadTextFile(const std::string& FileName, std::string& Text, std::string* Error = nullptr);

// Replaces FileName by Data; raises EFileError "Cannot create file "<name>". <reason>"
// when it cannot be written.
void WriteFileReplacing(const std::string& FileName, std::string_view Data);

} // namespace kv
