#pragma once
// Characters written in the Symbol font encoding (Greek letters and the
// mathematical signs) shown through Unicode, since the fonts of this
// platform are Unicode fonts without a Symbol encoding.

#include <QChar>

namespace kv {

// The Unicode character that the Symbol encoding shows for code C
// (0 to 255); codes without a glyph map to themselves.
char16_t SymbolToUnicode(char16_t C);

} // namespace kv
