#pragma once
// 8-bit text for the old metafile format: Windows-1252 for Latin text, the
// Symbol font's codes for Greek and mathematical characters, and a sound
// substitute (the base letter of an accented one, else "?") for the rest.

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kv {

std::optional<uint8_t> ToWindows1252(char32_t C);
std::optional<uint8_t> ToSymbolCode(char32_t C);

// A piece of text written with one font: Bytes in Windows-1252 or Symbol
// codes, covering the UTF-16 units From .. From + Units - 1 of the source.
struct TKvAnsiRun {
    bool Symbol = false;
    std::string Bytes;
    std::vector<int32_t> UnitsPerByte;
    int32_t From = 0;
};

std::vector<TKvAnsiRun> SplitAnsiRuns(const QString& Text);

} // namespace kv
