#pragma once
// Caption markup turned into formatted rich text. The text starts from the
// character format of the place where it goes (a merge field's format)
// and each markup toggle adds its formatting on top: symbol font, bold,
// italic, underline, strike-out, superscript, subscript.

#include "KvRtfDocument.h"

#include <QString>
#include <QTextCharFormat>

#include <string>

namespace kv {

// The caption as formatted text in a document of one paragraph.
TKvRtfDocument CaptionToDocument(const QString& Caption, const QTextCharFormat& Base);
// The same as an RTF text.
std::string CaptionToRtf(const QString& Caption, const QTextCharFormat& Base);

} // namespace kv
