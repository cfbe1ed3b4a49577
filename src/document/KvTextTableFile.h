#pragma once
// Text tables as files: reading one for import (with the checks that keep a
// wrong file from hanging or flooding the program) and telling a text table
// from a data file.

#include "KvTextDetect.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kv {

class TKvDocument;
struct TKvTextPlacement;

// Larger files are refused before they are read: the text and its numbers
// would not fit in memory together.
inline constexpr int64_t MaxTextTableBytes = int64_t{1536} << 20;

// The file's text as UTF-8. Raises EFileError "<name> does not exist",
// "<name> is too large to import (...)" or "<name> is not a text table: it
// holds binary data" (zero bytes in its first 64 KB).
std::string ReadTextTableFile(const std::string& FileName);

// A data file by its extension ".plt", or, for a name that is no usual text
// table name (.csv .tsv .txt .dat .prn), by a first line that is a section
// header ("[...]").
bool IsDataFile(const std::string& FileName);

// Reads Text in Format and places it into the document's table; with
// NewDocument the document is cleared first (graphs too) and has no current
// file then (a save asks for a data file's name). The reader may use at
// most the table's columns from Where on (Replace: MaxColumnsLimit). False,
// and nothing changed, when Limits.Progress cancelled the reading.
bool ImportTextTable(TKvDocument& Document, std::string_view Text, const TKvTextFormat& Format,
                     const TKvTextPlacement& Where, bool NewDocument, TKvTextReadLimits Limits = {});

// Detects, reads and places the file's table into the document's table.
// False (the table unchanged) when Limits.Progress cancelled the reading.
bool ImportTextTableFile(TKvDocument& Document, const std::string& FileName, const TKvTextImportOptions& Fixed,
                         const TKvTextPlacement& Where, const TKvTextReadLimits& Limits = {});

// A text table opened as a document: table and graphs cleared, the table
// read into it, no current file (a save asks for a data file's name).
bool OpenTextTableFile(TKvDocument& Document, const std::string& FileName, const TKvTextImportOptions& Fixed,
                       const TKvTextReadLimits& Limits = {});

} // namespace kv
