#include "KvIniList.h"

#include "KvErrors.h"
#include "KvStrings.h"

#include <algorithm>
#include <cstring>

namespace kv {

namespace {

bool IsHeader(const std::string& Line) { return !Line.empty() && Line[0] == '['; }

// Whether Line is "[" + Section + "]", letters compared without case.
bool IsHeaderOf(const std::string& Line, std::string_view Section)
{
    return Line.size() == Section.size() + 2 && Line.front() == '[' && Line.back() == ']' &&
           SameTextAscii(std::string_view(Line).substr(1, Section.size()), Section);
}

// Whether Line begins with Ident and "=", letters compared without case.
bool IsKeyLine(const std::string& Line, std::string_view Ident)
{
    return Line.size() > Ident.size() && Line[Ident.size()] == '=' &&
           SameTextAscii(std::string_view(Line).substr(0, Ident.size()), Ident);
}

std::string Key(std::string_view Prefix, std::string_view Suffix)
{
    std::string K(Prefix);
    K += Suffix;
    return K;
}

} // namespace

// ---------------------------------------------------------------- lines

void TKvIniList::SetText(std::string_view Text)
{
    FLines.clear();
    const size_t Nul = Text.find('\0');
    if (Nul != std::string_view::npos)
        Text = Text.substr(0, Nul);
    // Line ends are found with memchr, one search per kind of end, each
    // repeated only when the line passed the end it found: linear, and
    // fast on the very long lines of the data values.
    const char* P = Text.data();
    const char* End = P + Text.size();
    const char* NextCr = nullptr;
    const char* NextLf = nullptr;
    auto Find = [End](const char* From, char C) {
        const void* Hit = std::memchr(From, C, static_cast<size_t>(End - From));
        return Hit ? static_cast<const char*>(Hit) : End;
    };
    while (P < End) {
        if (!NextCr || NextCr < P)
            NextCr = Find(P, '\r');
        if (!NextLf || NextLf < P)
            NextLf = Find(P, '\n');
        const char* Stop = std::min(NextCr, NextLf);
        FLines.emplace_back(P, static_cast<size_t>(Stop - P));
        if (Stop == End)
            break;
        P = Stop + 1;
        if (*Stop == '\r' && P < End && *P == '\n')
            ++P;
    }
}

std::string TKvIniList::Text() const
{
    size_t Size = 0;
    for (const std::string& Line : FLines)
        Size += Line.size() + 2;
    std::string Out;
    Out.reserve(Size);
    for (const std::string& Line : FLines) {
        Out += Line;
        Out += "\r\n";
    }
    return Out;
}

// ---------------------------------------------------------------- matching

int32_t TKvIniList::FindSection(std::string_view Section) const
{
    for (size_t i = 0; i < FLines.size(); ++i)
        if (IsHeaderOf(FLines[i], Section))
            return static_cast<int32_t>(i);
    return -1;
}

int32_t TKvIniList::FindKey(int32_t Header, std::string_view Ident) const
{
    for (size_t i = static_cast<size_t>(Header) + 1; i < FLines.size(); ++i) {
        if (IsKeyLine(FLines[i], Ident))
            return static_cast<int32_t>(i);
        if (IsHeader(FLines[i]))
            break;
    }
    return -1;
}

// ---------------------------------------------------------------- untyped

bool TKvIniList::SectionExists(std::string_view Section) const { return FindSection(Section) >= 0; }

void TKvIniList::ReadSections(TKvStringList& List) const
{
    List.clear();
    for (const std::string& Line : FLines) {
        if (!IsHeader(Line))
            continue;
        const size_t Close = Line.find(']');
        List.push_back(Close == std::string::npos ? std::string() : Line.substr(1, Close - 1));
    }
}

namespace {
template <class TFunction>
void ForEachSectionLine(const TKvStringList& Lines, int32_t Header, TFunction Function)
{
    if (Header < 0)
        return;
    for (size_t i = static_cast<size_t>(Header) + 1; i < Lines.size() && !IsHeader(Lines[i]); ++i)
        if (!Lines[i].empty())
            Function(Lines[i]);
}
} // namespace

void TKvIniList::ReadSection(std::string_view Section, TKvStringList& List) const
{
    List.clear();
    ForEachSectionLine(FLines, FindSection(Section), [&](const std::string& Line) {
        const size_t Eq = Line.find('=');
        List.push_back(Eq == std::string::npos ? std::string() : Line.substr(0, Eq));
    });
}

void TKvIniList::ReadSectionValues(std::string_view Section, TKvStringList& List) const
{
    List.clear();
    ForEachSectionLine(FLines, FindSection(Section), [&](const std::string& Line) { List.push_back(Line); });
}

std::optional<std::string_view> TKvIniList::FindValue(std::string_view Section, std::string_view Ident) const
{
    const int32_t Header = FindSection(Section);
    if (Header < 0)
        return std::nullopt;
    const int32_t Line = FindKey(Header, Ident);
    if (Line < 0)
        return std::nullopt;
    return std::string_view(FLines[static_cast<size_t>(Line)]).substr(Ident.size() + 1);
}

std::string TKvIniList::ReadString(std::string_view Section, std::string_view Ident, std::string_view Default) const
{
    return std::string(FindValue(Section, Ident).value_or(Default));
}

void TKvIniList::WriteString(std::string_view Section, std::string_view Ident, std::string_view Value)
{
    FModified = true;
    std::string NewLine(Ident);
    NewLine += '=';
    NewLine += Value;
    const size_t Nul = NewLine.find('\0');
    if (Nul != std::string::npos)
        NewLine.resize(Nul);

    const int32_t Header = FindSection(Section);
    if (Header < 0) {
        std::string HeaderLine;
        HeaderLine.reserve(Section.size() + 2);
        HeaderLine += '[';
        HeaderLine += Section;
        HeaderLine += ']';
        FLines.emplace_back();
        FLines.push_back(std::move(HeaderLine));
        FLines.push_back(std::move(NewLine));
        return;
    }
    for (size_t i = static_cast<size_t>(Header) + 1; i < FLines.size(); ++i) {
        if (IsKeyLine(FLines[i], Ident)) {
            FLines[i] = std::move(NewLine);
            return;
        }
        // A new key becomes the last key line of the section.
        if (FLines[i].empty() || IsHeader(FLines[i])) {
            FLines.insert(FLines.begin() + static_cast<std::ptrdiff_t>(i), std::move(NewLine));
            return;
        }
    }
    FLines.push_back(std::move(NewLine));
}

void TKvIniList::EraseSection(std::string_view Section)
{
    FModified = true;
    const int32_t Header = FindSection(Section);
    if (Header < 0)
        return;
    auto First = FLines.begin() + Header;
    auto Last = std::find_if(First + 1, FLines.end(), [](const std::string& Line) { return IsHeader(Line); });
    FLines.erase(First, Last);
}

// ---------------------------------------------------------------- scalars

int32_t TKvIniList::ReadInteger(std::string_view Section, std::string_view Ident, int32_t Default) const
{
    const auto Value = FindValue(Section, Ident);
    if (!Value || Value->empty())
        return Default;
    try {
        std::string_view Text = *Value;
        return ExtractInteger(Text);
    } catch (const EConvertError&) {
        return Default;
    }
}

void TKvIniList::WriteInteger(std::string_view Section, std::string_view Ident, int32_t Value)
{
    WriteString(Section, Ident, std::to_string(Value));
}

bool TKvIniList::ReadBool(std::string_view Section, std::string_view Ident, bool Default) const
{
    const auto Value = FindValue(Section, Ident);
    if (!Value || Value->empty())
        return Default;
    return *Value == "1" || SameTextAscii(*Value, "TRUE");
}

void TKvIniList::WriteBool(std::string_view Section, std::string_view Ident, bool Value)
{
    WriteString(Section, Ident, Value ? "1" : "0");
}

double TKvIniList::ReadFloat(std::string_view Section, std::string_view Ident, double Default) const
{
    const auto Value = FindValue(Section, Ident);
    if (!Value || Value->empty())
        return Default;
    try {
        std::string_view Text = *Value;
        return ExtractFloat(Text);
    } catch (const EConvertError&) {
        return Default;
    }
}

void TKvIniList::WriteFloat(std::string_view Section, std::string_view Ident, double Value)
{
    WriteString(Section, Ident, FloatToIniText(Value));
}

// ---------------------------------------------------------------- arrays

namespace {

// Joins the elements by ";", each written by Append(Text, Element).
template <class TElement, class TAppend>
std::string JoinValues(std::span<const TElement> Values, TAppend Append)
{
    std::string Text;
    for (size_t i = 0; i < Values.size(); ++i) {
        if (i > 0)
            Text += ';';
        Append(Text, Values[i]);
    }
    return Text;
}

// Takes Values.size() numbers off a present, non-empty value; an error
// leaves Values as they were.
template <class TElement, class TExtract>
void ExtractArray(std::optional<std::string_view> Value, std::span<TElement> Values, TExtract Extract)
{
    if (!Value || Value->empty())
        return;
    std::string_view Text = *Value;
    std::vector<TElement> Read(Values.size());
    for (TElement& X : Read)
        X = Extract(Text);
    std::copy(Read.begin(), Read.end(), Values.begin());
}

} // namespace

void TKvIniList::ReadFloatArray(std::string_view Section, std::string_view Ident, std::span<double> Values) const
{
    ExtractArray(FindValue(Section, Ident), Values, [](std::string_view& Text) { return ExtractFloat(Text); });
}

void TKvIniList::WriteFloatArray(std::string_view Section, std::string_view Ident, std::span<const double> Values)
{
    WriteString(Section, Ident, JoinValues(Values, AppendFloatIniText));
}

void TKvIniList::ReadVector(std::string_view Section, std::string_view Ident, TKvRealVector& Vector) const
{
    Vector.Clear();
    const auto Value = FindValue(Section, Ident);
    if (!Value)
        return;
    std::vector<double> Values;
    // A number takes about eight characters; reserving saves the regrowths.
    Values.reserve(std::min<size_t>(Value->size() / 8, 1u << 28));
    ExtractFloatList(*Value, Values);
    Vector.AddValues(Values);
}

void TKvIniList::WriteVector(std::string_view Section, std::string_view Ident, const TKvRealVector& Vector)
{
    WriteFloatArray(Section, Ident, Vector.Values());
}

void TKvIniList::ReadIntegerArray(std::string_view Section, std::string_view Ident, std::span<int32_t> Values) const
{
    // The extraction leaves a last number that fills the text in place, so a
    // short text repeats it into the remaining elements.
    ExtractArray(FindValue(Section, Ident), Values, [](std::string_view& Text) { return ExtractInteger(Text); });
}

void TKvIniList::WriteIntegerArray(std::string_view Section, std::string_view Ident, std::span<const int32_t> Values)
{
    WriteString(Section, Ident,
                JoinValues(Values, [](std::string& Text, int32_t V) { Text += std::to_string(V); }));
}

// ---------------------------------------------------------------- records

void TKvIniList::ReadFont(std::string_view Section, std::string_view Prefix, TKvFontRecord& Font) const
{
    Font.Name = ReadString(Section, Key(Prefix, ".Name"), Font.Name);
    Font.Charset = ReadInteger(Section, Key(Prefix, ".Charset"), Font.Charset);
    Font.Color = ReadInteger(Section, Key(Prefix, ".Color"), Font.Color);
    Font.Size = ReadInteger(Section, Key(Prefix, ".Size"), Font.Size);
    Font.Bold = ReadBool(Section, Key(Prefix, ".Bold"), Font.Bold);
    Font.Italic = ReadBool(Section, Key(Prefix, ".Italic"), Font.Italic);
    Font.Underline = ReadBool(Section, Key(Prefix, ".Underline"), Font.Underline);
    Font.StrikeOut = ReadBool(Section, Key(Prefix, ".StrikeOut"), Font.StrikeOut);
}

void TKvIniList::WriteFont(std::string_view Section, std::string_view Prefix, const TKvFontRecord& Font)
{
    WriteString(Section, Key(Prefix, ".Name"), Font.Name);
    WriteInteger(Section, Key(Prefix, ".Charset"), Font.Charset);
    WriteInteger(Section, Key(Prefix, ".Color"), Font.Color);
    WriteInteger(Section, Key(Prefix, ".Size"), Font.Size);
    WriteBool(Section, Key(Prefix, ".Bold"), Font.Bold);
    WriteBool(Section, Key(Prefix, ".Italic"), Font.Italic);
    WriteBool(Section, Key(Prefix, ".Underline"), Font.Underline);
    WriteBool(Section, Key(Prefix, ".StrikeOut"), Font.StrikeOut);
}

void TKvIniList::ReadLineStyle(std::string_view Section, std::string_view Prefix, TKvLineStyleRecord& Style) const
{
    Style.Visible = ReadBool(Section, Key(Prefix, ".Visible"), Style.Visible);
    Style.Color = ReadInteger(Section, Key(Prefix, ".Color"), Style.Color);
    Style.Style = ReadInteger(Section, Key(Prefix, ".Style"), Style.Style);
    Style.Width = ReadInteger(Section, Key(Prefix, ".Width"), Style.Width);
}

void TKvIniList::WriteLineStyle(std::string_view Section, std::string_view Prefix, const TKvLineStyleRecord& Style)
{
    WriteBool(Section, Key(Prefix, ".Visible"), Style.Visible);
    WriteInteger(Section, Key(Prefix, ".Color"), Style.Color);
    WriteInteger(Section, Key(Prefix, ".Style"), Style.Style);
    WriteInteger(Section, Key(Prefix, ".Width"), Style.Width);
}

namespace {
// A window that would open off the screen is centred instead.
void KeepOnScreen(TKvFormPlacement& P, const TKvScreenSize& Screen)
{
    const bool Off = Screen.Height < P.Top || Screen.Width < P.Left || int64_t{P.Top} + P.Height < 0 ||
                     int64_t{P.Left} + P.Width < 0;
    if (!Off)
        return;
    P.Top = (Screen.Height - P.Height) / 2;
    P.Left = (Screen.Width - P.Width) / 2;
}
} // namespace

void TKvIniList::ReadFormPlacement(std::string_view Section, std::string_view Prefix, TKvFormPlacement& Placement,
                                   const TKvScreenSize& Screen) const
{
    const int32_t State =
        ReadInteger(Section, Key(Prefix, ".State"), static_cast<int32_t>(Placement.State));
    Placement.Top = ReadInteger(Section, Key(Prefix, ".Top"), Placement.Top);
    Placement.Left = ReadInteger(Section, Key(Prefix, ".Left"), Placement.Left);
    Placement.Height = ReadInteger(Section, Key(Prefix, ".Height"), Placement.Height);
    Placement.Width = ReadInteger(Section, Key(Prefix, ".Width"), Placement.Width);
    KeepOnScreen(Placement, Screen);
    // An unknown state ordinal opens the window normally.
    Placement.State = State >= 0 && State <= 2 ? static_cast<TKvWindowState>(State) : TKvWindowState::WsNormal;
}

void TKvIniList::WriteFormPlacement(std::string_view Section, std::string_view Prefix,
                                    const TKvFormPlacement& Placement)
{
    WriteInteger(Section, Key(Prefix, ".State"), static_cast<int32_t>(Placement.State));
    WriteInteger(Section, Key(Prefix, ".Top"), Placement.Top);
    WriteInteger(Section, Key(Prefix, ".Left"), Placement.Left);
    WriteInteger(Section, Key(Prefix, ".Height"), Placement.Height);
    WriteInteger(Section, Key(Prefix, ".Width"), Placement.Width);
}

void TKvIniList::ReadFormPosition(std::string_view Section, std::string_view Prefix, TKvFormPlacement& Placement,
                                  const TKvScreenSize& Screen) const
{
    Placement.Top = ReadInteger(Section, Key(Prefix, ".Top"), Placement.Top);
    Placement.Left = ReadInteger(Section, Key(Prefix, ".Left"), Placement.Left);
    KeepOnScreen(Placement, Screen);
}

} // namespace kv
