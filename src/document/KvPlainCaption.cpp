#include "KvPlainCaption.h"

#include "foundation/KvStrings.h"

namespace kv {

namespace {

// The escape letters in the order they are tried; "\" is the only one that
// produces a visible character.
constexpr std::string_view EscapeLetters = "SBIUO+-\\";

} // namespace

std::string PlainCaption(std::string_view Caption)
{
    std::string Plain;
    Plain.reserve(Caption.size());
    size_t i = 0;
    while (i < Caption.size()) {
        const char C = Caption[i++];
        if (C != '\\') {
            Plain += C;
            continue;
        }
        if (i >= Caption.size())
            break; // a trailing backslash is dropped
        const char Letter = UpperAscii(Caption[i]);
        if (EscapeLetters.find(Letter) == std::string_view::npos)
            continue; // unknown escape: the backslash goes, the character stays
        ++i;
        if (Letter == '\\')
            Plain += '\\';
        // One blank may separate an escape from the text behind it.
        if (i < Caption.size() && Caption[i] == ' ')
            ++i;
    }
    return Plain;
}

} // namespace kv
