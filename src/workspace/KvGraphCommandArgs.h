#pragma once
// The arguments the headless graph commands share: the command's own
// option with its output file, "--graph N", "--size WxH" and
// "--template T.rtf" where the command takes them, and one data file.

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

struct TKvGraphCommandSyntax {
    const char* Option;         // "--export-graph"
    const char* Usage;          // appended to every message
    const char* DataFileVerb;   // "exported" in "Only one data file can be exported."
    bool TakesSize = false;
    bool TakesTemplate = false;
};

struct TKvGraphCommandArgs {
    std::string Output;
    std::string DataFile;
    std::string Template;
    int32_t Graph = 0;               // 0: not given
    int32_t Width = 0, Height = 0;   // 0: not given
};

bool HasCommandOption(const std::vector<std::string>& Args, const char* Option);

// Raises EConvertError (with the usage) for a missing value, a number that
// is not a whole number of at least 1, an unknown option, a second data
// file, or a missing output or data file.
TKvGraphCommandArgs ParseGraphCommandArgs(const std::vector<std::string>& Args, const TKvGraphCommandSyntax& Syntax);

} // namespace kv
