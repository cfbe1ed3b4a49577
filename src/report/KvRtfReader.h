#pragma once
// Reads RTF into a TKvRtfDocument: font and colour tables, character and
// paragraph formatting, page set-up, header and footer, fields, pictures
// and Unicode text. Destinations it does not know are skipped; malformed
// files (unbalanced braces, truncation, a binary run past the end, groups
// nested beyond any real document) raise ERtfError.

#include "KvRtfDocument.h"

#include <QString>

#include <string_view>

namespace kv {

TKvRtfDocument ReadRtf(std::string_view Text);
// Raises EFileError when the file cannot be read.
TKvRtfDocument ReadRtfFile(const QString& FileName);

} // namespace kv
