#include "KvTextTableFile.h"

#include "KvDocument.h"

#include "foundation/KvErrors.h"
#include "foundation/KvTextFile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace kv {

namespace {

std::string LowerExtension(const std::string& FileName)
{
    std::string Extension = std::filesystem::path(FileName).extension().string();
    std::transform(Extension.begin(), Extension.end(), Extension.begin(),
                   [](char C) { return C >= 'A' && C <= 'Z' ? static_cast<char>(C - 'A' + 'a') : C; });
    return Extension;
}

std::string Megabytes(int64_t Bytes)
{
    char Text[32];
    std::snprintf(Text, sizeof Text, "%.0f MB", static_cast<double>(Bytes) / (1 << 20));
    return Text;
}

} // namespace

std::string ReadTextTableFile(const std::string& FileName)
{
    std::error_code Error;
    if (!std::filesystem::exists(FileName, Error))
        throw EFileError(FileName + " does not exist");
    const auto Size = std::filesystem::file_size(FileName, Error);
    if (!Error && static_cast<int64_t>(Size) > MaxTextTableBytes)
        throw EFileError(FileName + " is too large to import (" + Megabytes(static_cast<int64_t>(Size)) +
                         "; at most " + Megabytes(MaxTextTableBytes) + ")");
    std::string Text;
    std::string Reason;
    if (std::filesystem::is_directory(FileName, Error) || !ReadTextFile(FileName, Text, &Reason))
        throw EFileError(FileName + " cannot be read. " + Reason);
    if (std::string_view(Text).substr(0, DetectionSampleSize).find('\0') != std::string_view::npos)
        throw EFileError(FileName + " is not a text table: it holds binary data");
    return Text;
}

bool IsDataFile(const std::string& FileName)
{
    const std::string Extension = LowerExtension(FileName);
    if (Extension == ".plt")
        return true;
    for (const char* Text : {".csv", ".tsv", ".txt", ".dat", ".prn"})
        if (Extension == Text)
            return false;
    std::ifstream File(FileName, std::ios::binary);
    std::string Line;
    while (std::getline(File, Line)) {
        if (Line.starts_with("\xEF\xBB\xBF"))
            Line.erase(0, 3);
        const size_t First = Line.find_first_not_of(" \t\r");
        if (First != std::string::npos)
            return Line[First] == '[' && Line.find(']', First) != std::string::npos;
    }
    return false;
}

bool ImportTextTable(TKvDocument& Document, std::string_view Text, const TKvTextFormat& Format,
                     const TKvTextPlacement& Where, bool NewDocument, TKvTextReadLimits Limits)
{
    const bool Replace = NewDocument || Where.Mode == TKvTextPlacement::TMode::Replace;
    Limits.MaxColumns = Replace ? TKvDataTable::MaxColumnsLimit
                                : std::max(Document.Table.MaxColumns() - Where.FirstColumn + 1, 0);
    TKvTextTable Table = ReadTextTable(Text, Format, Limits);
    if (Table.Cancelled)
        return false;
    if (NewDocument) {
        Document.ClearDocument();
        Document.Table.CurrentFile.clear();
    }
    Document.Table.PlaceTextTable(Table, NewDocument ? TKvTextPlacement{} : Where);
    return true;
}

bool ImportTextTableFile(TKvDocument& Document, const std::string& FileName, const TKvTextImportOptions& Fixed,
                         const TKvTextPlacement& Where, const TKvTextReadLimits& Limits)
{
    const std::string Text = ReadTextTableFile(FileName);
    return ImportTextTable(Document, Text, DetectTextFormat(Text, Fixed), Where, false, Limits);
}

bool OpenTextTableFile(TKvDocument& Document, const std::string& FileName, const TKvTextImportOptions& Fixed,
                       const TKvTextReadLimits& Limits)
{
    const std::string Text = ReadTextTableFile(FileName);
    return ImportTextTable(Document, Text, DetectTextFormat(Text, Fixed), {}, true, Limits);
}

} // namespace kv
