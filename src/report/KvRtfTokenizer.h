#pragma once
// Splits RTF text into groups, control words (with their numeric
// parameter), control symbols, text bytes, hex characters (\'hh) and
// binary runs (\bin N). Errors are ERtfError: a binary run longer than the
// rest of the file, or a control word that is cut off.

#include <QByteArray>

#include <cstdint>
#include <string_view>

namespace kv {

enum class TKvRtfTokenKind { RtGroupOpen, RtGroupClose, RtWord, RtSymbol, RtText, RtHex, RtBinary, RtEnd };

struct TKvRtfToken {
    TKvRtfTokenKind Kind = TKvRtfTokenKind::RtEnd;
    std::string_view Word;  // control word, or the symbol character
    bool HasParameter = false;
    int32_t Parameter = 0;
    std::string_view Data;  // text bytes or binary data
    uint8_t Byte = 0;       // hex character
};

class TKvRtfTokenizer {
public:
    explicit TKvRtfTokenizer(std::string_view Text) : FText(Text) {}
    TKvRtfToken Next();
    size_t Position() const { return FPos; }

private:
    TKvRtfToken ControlWord();
    TKvRtfToken Escape();

    std::string_view FText;
    size_t FPos = 0;
};

} // namespace kv
