#include "KvDataFileDamage.h"

#include "KvDocument.h"

#include "foundation/KvIniList.h"
#include "foundation/KvStrings.h"

#include <cstdint>

namespace kv {

bool TableSectionMissing(const TKvIniList& Store, int32_t MaxColumns)
{
    if (Store.SectionExists("Table"))
        return false;
    for (int32_t k = 0; k <= MaxColumns; ++k)
        if (Store.SectionExists(ColumnSectionName(k)))
            return true;
    return false;
}

namespace {

std::string_view Trim(std::string_view S)
{
    const size_t First = S.find_first_not_of(" \t");
    if (First == std::string_view::npos)
        return {};
    return S.substr(First, S.find_last_not_of(" \t") - First + 1);
}

bool IsDataKey(std::string_view Key) { return SameTextAscii(Key, "Data"); }

bool CompleteLine(std::string_view Line)
{
    Line = Trim(Line);
    if (Line.empty() || Line.front() == ';')
        return true;
    if (Line.front() == '[')
        return Line.find(']') != std::string_view::npos;
    const size_t Equals = Line.find('=');
    if (Equals == std::string_view::npos)
        return false; // cut inside the key
    // A number list without its line end may have lost numbers at any
    // digit (every save ends its lines); another key's value may be whole.
    return !IsDataKey(Trim(Line.substr(0, Equals)));
}

} // namespace

std::string CutLastLine(std::string_view Text)
{
    if (Text.empty() || Text.back() == '\n' || Text.back() == '\r')
        return {};
    const size_t End = Text.find_last_of("\r\n");
    const std::string_view Line = End == std::string_view::npos ? Text : Text.substr(End + 1);
    return CompleteLine(Line) ? std::string() : std::string(Line);
}

std::string DamageMessage(const std::string& FileName, const std::vector<std::string>& Findings)
{
    std::string Message = FileName + " appears damaged: ";
    for (size_t i = 0; i < Findings.size(); ++i)
        Message += (i ? "; " : "") + Findings[i];
    return Message + ". What could be read is shown; save it under another name to keep the original.";
}

} // namespace kv
