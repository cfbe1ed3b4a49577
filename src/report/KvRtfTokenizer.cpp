#include "KvRtfTokenizer.h"

#include "KvRtfDocument.h"

#include <algorithm>
#include <climits>
#include <string>

namespace kv {

namespace {

bool IsLetter(char C) { return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z'); }
bool IsDigit(char C) { return C >= '0' && C <= '9'; }

int HexValue(char C)
{
    if (IsDigit(C))
        return C - '0';
    if (C >= 'a' && C <= 'f')
        return C - 'a' + 10;
    if (C >= 'A' && C <= 'F')
        return C - 'A' + 10;
    return -1;
}

// Word processors limit names to 32 letters and parameters to 16-bit or
// 32-bit values; longer runs are malformed, never allocated.
constexpr size_t MaxWordLength = 32;
constexpr size_t MaxDigits = 10;

} // namespace

TKvRtfToken TKvRtfTokenizer::Next()
{
    TKvRtfToken T;
    while (FPos < FText.size()) {
        const char C = FText[FPos];
        if (C == '{') {
            ++FPos;
            T.Kind = TKvRtfTokenKind::RtGroupOpen;
            return T;
        }
        if (C == '}') {
            ++FPos;
            T.Kind = TKvRtfTokenKind::RtGroupClose;
            return T;
        }
        if (C == '\\')
            return Escape();
        if (C == '\r' || C == '\n') {
            ++FPos;
            continue;
        }
        const size_t Start = FPos;
        while (FPos < FText.size() && FText[FPos] != '{' && FText[FPos] != '}' && FText[FPos] != '\\' &&
               FText[FPos] != '\r' && FText[FPos] != '\n')
            ++FPos;
        T.Kind = TKvRtfTokenKind::RtText;
        T.Data = FText.substr(Start, FPos - Start);
        return T;
    }
    T.Kind = TKvRtfTokenKind::RtEnd;
    return T;
}

TKvRtfToken TKvRtfTokenizer::Escape()
{
    ++FPos; // the backslash
    if (FPos >= FText.size())
        throw ERtfError("The RTF file is truncated after a backslash");
    const char C = FText[FPos];
    if (IsLetter(C))
        return ControlWord();
    TKvRtfToken T;
    if (C == '\'') {
        if (FPos + 2 >= FText.size())
            throw ERtfError("The RTF file is truncated inside a hex character");
        const int Hi = HexValue(FText[FPos + 1]);
        const int Lo = HexValue(FText[FPos + 2]);
        if (Hi < 0 || Lo < 0)
            throw ERtfError("Invalid hex character at offset " + std::to_string(FPos - 1) + " of the RTF file");
        FPos += 3;
        T.Kind = TKvRtfTokenKind::RtHex;
        T.Byte = static_cast<uint8_t>(Hi * 16 + Lo);
        return T;
    }
    T.Kind = TKvRtfTokenKind::RtSymbol;
    T.Word = FText.substr(FPos, 1);
    ++FPos;
    return T;
}

TKvRtfToken TKvRtfTokenizer::ControlWord()
{
    TKvRtfToken T;
    T.Kind = TKvRtfTokenKind::RtWord;
    const size_t Start = FPos;
    while (FPos < FText.size() && IsLetter(FText[FPos]))
        ++FPos;
    if (FPos - Start > MaxWordLength)
        throw ERtfError("Control word too long at offset " + std::to_string(Start) + " of the RTF file");
    T.Word = FText.substr(Start, FPos - Start);
    bool Negative = false;
    if (FPos < FText.size() && FText[FPos] == '-' && FPos + 1 < FText.size() && IsDigit(FText[FPos + 1])) {
        Negative = true;
        ++FPos;
    }
    const size_t DigitStart = FPos;
    int64_t Value = 0;
    while (FPos < FText.size() && IsDigit(FText[FPos])) {
        if (FPos - DigitStart >= MaxDigits)
            throw ERtfError("Control word parameter too long at offset " + std::to_string(Start) + " of the RTF file");
        Value = Value * 10 + (FText[FPos] - '0');
        ++FPos;
    }
    if (FPos > DigitStart) {
        T.HasParameter = true;
        Value = Negative ? -Value : Value;
        T.Parameter = static_cast<int32_t>(std::clamp<int64_t>(Value, INT32_MIN, INT32_MAX));
    }
    if (FPos < FText.size() && FText[FPos] == ' ')
        ++FPos; // the delimiter belongs to the word
    if (T.Word == "bin" && T.HasParameter) {
        if (T.Parameter < 0 || static_cast<size_t>(T.Parameter) > FText.size() - FPos)
            throw ERtfError("Binary data of " + std::to_string(T.Parameter) +
                            " bytes runs past the end of the RTF file");
        T.Kind = TKvRtfTokenKind::RtBinary;
        T.Data = FText.substr(FPos, static_cast<size_t>(T.Parameter));
        FPos += static_cast<size_t>(T.Parameter);
    }
    return T;
}

} // namespace kv
