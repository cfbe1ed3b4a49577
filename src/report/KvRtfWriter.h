#pragma once
// Writes a TKvRtfDocument as RTF: font and colour tables built from the
// text, the page set-up, header and footer, paragraphs with their
// formatting, fields in the form word processors write, and pictures (a
// metafile inside \shppict with its bitmap fallback in \nonshppict).
// The output depends only on the document, so a document written, read
// back and written again gives the same text.

#include "KvRtfDocument.h"

#include <QString>

#include <string>

namespace kv {

std::string WriteRtf(const TKvRtfDocument& Document);
// Raises EFileError when the file cannot be written.
void WriteRtfFile(const TKvRtfDocument& Document, const QString& FileName);

} // namespace kv
