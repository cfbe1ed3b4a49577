#include "KvIniList.h"

#include "KvErrors.h"
#include "KvMissing.h"
#include "KvStrings.h"

#include <algorithm>
#include <cstring>

namespace kv {

namespace {

bool IsHeader(std::string_view Line) { return !Line.empty() && Line[0] == '['; }

// The name a header line is found by: the text between its "[" and its
// last character when that is "]". Other headers are never found.
std::optional<std::string_view> HeaderName(std::string_view Line)
{
    if (Line.size() < 2 || Line.front() != '[' || Line.back() != ']')
        return std::nullopt;
    return Line.substr(1, Line.size() - 2);
}

// An index entry holds the key of a line as the text before its first "=";
// a name that contains "=", a NUL or begins with "[" would not be found so
// (or would make a line that is not a key line), and is written by scanning.
bool Indexable(std::string_view Ident)
{
    return Ident.find('=') == std::string_view::npos && Ident.find('\0') == std::string_view::npos &&
           (Ident.empty() || Ident.front() != '[');
}

std::string HeaderOf(std::string_view Section)
{
    std::string Line;
    Line.reserve(Section.size() + 2);
    Line += '[';
    Line += Section;
    Line += ']';
    return Line;
}

std::string Key(std::string_view Prefix, std::string_view Suffix)
{
    std::string K(Prefix);
    K += Suffix;
    return K;
}

// Resets the index of a section whose body changed otherwise.
void ForgetIndex(TKvIniSection& S)
{
    S.HashesBuilt = S.KeysBuilt = false;
    S.KeyHashes.clear();
    S.Keys.clear();
}

} // namespace

// ---------------------------------------------------------------- blocks

TKvIniList::TKvIniList() { FSections.emplace_back(); }

TKvIniList::TKvIniList(const TKvIniList& Other)
    : FText(Other.FText), FSections(Other.FSections), FModified(Other.FModified)
{
    RebuildIndex();
}

TKvIniList::TKvIniList(TKvIniList&& Other) noexcept
    : FText(std::move(Other.FText)), FSections(std::move(Other.FSections)),
      FSectionIndex(std::move(Other.FSectionIndex)), FLastSection(Other.FLastSection),
      FLastName(std::move(Other.FLastName)), FModified(Other.FModified)
{
    Other.FLastSection = nullptr;
    Other.FFlatValid = false;
}

TKvIniList& TKvIniList::operator=(TKvIniList&& Other) noexcept
{
    if (this != &Other) {
        // The sections go before the text their lines refer to.
        FSections = std::move(Other.FSections);
        FText = std::move(Other.FText);
        FSectionIndex = std::move(Other.FSectionIndex);
        FLastSection = Other.FLastSection;
        FLastName = std::move(Other.FLastName);
        FModified = Other.FModified;
        FFlatValid = false;
        Other.FLastSection = nullptr;
        Other.FFlatValid = false;
    }
    return *this;
}

TKvIniList& TKvIniList::operator=(const TKvIniList& Other)
{
    if (this != &Other) {
        FSections = Other.FSections;
        FText = Other.FText;
        FModified = Other.FModified;
        RebuildIndex();
    }
    return *this;
}

TKvIniList::TSectionIndex::const_iterator TKvIniList::FindIndexEntry(std::string_view Section) const
{
    auto [Entry, End] = FSectionIndex.equal_range(IniNameHash(Section));
    for (; Entry != End; ++Entry)
        if (SameIniName(*HeaderName(Entry->second->Header), Section))
            return Entry;
    return FSectionIndex.end();
}

void TKvIniList::IndexSection(TSections::iterator S)
{
    const auto Name = HeaderName(S->Header);
    if (!Name)
        return;
    const auto Entry = FindIndexEntry(*Name);
    if (Entry == FSectionIndex.end()) {
        FSectionIndex.emplace(IniNameHash(*Name), S);
        return;
    }
    TKvIniSection& First = *Entry->second;
    (First.LastSameName ? *First.LastSameName : Entry->second)->NextSameName = S;
    First.LastSameName = S;
}

void TKvIniList::RebuildIndex()
{
    FSectionIndex.clear();
    FLastSection = nullptr;
    FFlatValid = false;
    if (FSections.empty())
        FSections.emplace_back();
    for (TKvIniSection& S : FSections)
        S.NextSameName = S.LastSameName = std::nullopt;
    for (auto S = FSections.begin(); S != FSections.end(); ++S)
        if (!S->Header.empty())
            IndexSection(S);
}

TKvIniSection& TKvIniList::AppendSection(TKvIniLine Header)
{
    TKvIniSection& S = FSections.emplace_back();
    S.Header = std::move(Header);
    IndexSection(std::prev(FSections.end()));
    return S;
}

TKvIniSection* TKvIniList::FindSection(std::string_view Section) const
{
    // "[" + Section + "]" is compared with whole header lines, so the name
    // between the brackets must be equal without case.
    if (FLastSection && Section == FLastName)
        return FLastSection;
    const auto Found = FindIndexEntry(Section);
    if (Found == FSectionIndex.end())
        return nullptr;
    FLastSection = &*Found->second;
    FLastName = Section;
    return FLastSection;
}

// ---------------------------------------------------------------- lines

void TKvIniList::Clear()
{
    FSections.clear();
    FSectionIndex.clear();
    FLastSection = nullptr;
    FFlatValid = false;
    FText = TKvIniTextStore();
}

void TKvIniList::SetText(std::string_view Text)
{
    const size_t Nul = Text.find('\0');
    if (Nul != std::string_view::npos)
        Text = Text.substr(0, Nul);
    // Copied before the old lines go: Text may be a view into them.
    TKvIniTextStore Loaded;
    Loaded.Expect(Text.size());
    Text = Loaded.Add(Text);
    Clear();
    FText = std::move(Loaded);
    // The lines first, so that each section's lines are stored at once.
    std::vector<std::string_view> Pieces;
    SplitIniLines(Text, Pieces);
    TKvIniSection* Current = &FSections.emplace_back();
    for (size_t i = 0;;) {
        size_t Next = i;
        while (Next < Pieces.size() && !IsHeader(Pieces[Next]))
            ++Next;
        Current->Body.reserve(Next - i);
        for (; i < Next; ++i) {
            if (!Pieces[i].empty() && Current->FirstBlank == Current->Body.size())
                ++Current->FirstBlank;
            Current->Body.push_back(Pieces[i]);
        }
        if (Next == Pieces.size())
            break;
        Current = &AppendSection(Pieces[Next]);
        i = Next + 1;
    }
}

void TKvIniList::SetLines(const TKvStringList& Lines)
{
    Clear();
    TKvIniSection* Current = &FSections.emplace_back();
    for (const std::string& Line : Lines) {
        if (IsHeader(Line))
            Current = &AppendSection(FText.Add(Line));
        else
            Current->Append(FText.Add(Line));
    }
}

void TKvIniList::ClearLines() { SetLines({}); }

const TKvStringList& TKvIniList::Lines() const
{
    if (!FFlatValid) {
        FFlat.clear();
        FFlat.reserve(static_cast<size_t>(LineCount()));
        for (const TKvIniSection& S : FSections) {
            if (!S.Header.empty())
                FFlat.emplace_back(S.Header);
            for (const TKvIniLine& Line : S.Body)
                FFlat.emplace_back(Line);
        }
        FFlatValid = true;
    }
    return FFlat;
}

int32_t TKvIniList::LineCount() const
{
    size_t Count = 0;
    for (const TKvIniSection& S : FSections)
        Count += (S.Header.empty() ? 0 : 1) + S.Body.size();
    return static_cast<int32_t>(Count);
}

std::string TKvIniList::Text() const
{
    size_t Size = 0;
    for (const TKvIniSection& S : FSections) {
        Size += S.Header.size() + 2;
        for (const TKvIniLine& Line : S.Body)
            Size += Line.size() + 2;
    }
    std::string Out;
    Out.reserve(Size);
    for (const TKvIniSection& S : FSections) {
        if (!S.Header.empty()) {
            Out += S.Header;
            Out += "\r\n";
        }
        for (const TKvIniLine& Line : S.Body) {
            Out += Line;
            Out += "\r\n";
        }
    }
    return Out;
}

void TKvIniList::DropLeadingEmptyLines()
{
    // Only the block before the first header can begin with empty lines.
    if (FSections.empty())
        return;
    TKvIniSection& First = FSections.front();
    if (!First.Header.empty())
        return;
    auto FirstText = std::find_if(First.Body.begin(), First.Body.end(), [](const TKvIniLine& L) { return !L.empty(); });
    if (FirstText == First.Body.begin())
        return;
    First.Body.erase(First.Body.begin(), FirstText);
    First.FirstBlank = static_cast<size_t>(
        std::find_if(First.Body.begin(), First.Body.end(), [](const TKvIniLine& L) { return L.empty(); }) -
        First.Body.begin());
    ForgetIndex(First);
    Changed();
}

// ---------------------------------------------------------------- untyped

bool TKvIniList::SectionExists(std::string_view Section) const { return FindSection(Section) != nullptr; }

void TKvIniList::ReadSections(TKvStringList& List) const
{
    List.clear();
    for (const TKvIniSection& S : FSections) {
        if (S.Header.empty())
            continue;
        const std::string_view Header = S.Header;
        const size_t Close = Header.find(']');
        List.emplace_back(Close == std::string_view::npos ? std::string_view() : Header.substr(1, Close - 1));
    }
}

namespace {
template <class TFunction>
void ForEachSectionLine(const TKvIniSection* S, TFunction Function)
{
    if (!S)
        return;
    for (const TKvIniLine& Line : S->Body)
        if (!Line.empty())
            Function(Line);
}
} // namespace

void TKvIniList::ReadSection(std::string_view Section, TKvStringList& List) const
{
    List.clear();
    ForEachSectionLine(FindSection(Section), [&](std::string_view Line) {
        const size_t Eq = Line.find('=');
        List.emplace_back(Eq == std::string_view::npos ? std::string_view() : Line.substr(0, Eq));
    });
}

void TKvIniList::ReadSectionValues(std::string_view Section, TKvStringList& List) const
{
    List.clear();
    ForEachSectionLine(FindSection(Section), [&](std::string_view Line) { List.emplace_back(Line); });
}

std::optional<std::string_view> TKvIniList::FindValue(std::string_view Section, std::string_view Ident) const
{
    const TKvIniSection* S = FindSection(Section);
    if (!S)
        return std::nullopt;
    const auto Line = S->FindKey(Ident);
    if (!Line)
        return std::nullopt;
    return S->Body[*Line].substr(Ident.size() + 1);
}

std::string TKvIniList::ReadString(std::string_view Section, std::string_view Ident, std::string_view Default) const
{
    return std::string(FindValue(Section, Ident).value_or(Default));
}

void TKvIniList::WriteString(std::string_view Section, std::string_view Ident, std::string_view Value)
{
    FModified = true;
    Changed();
    if (!Indexable(Ident)) {
        std::string NewLine(Ident);
        NewLine += '=';
        NewLine += Value;
        WriteStringByScan(Section, Ident, NewLine.substr(0, NewLine.find('\0')));
        return;
    }
    // The line ends before a NUL; the key has none.
    const TKvIniLine NewLine = FText.AddJoined(Ident, "=", Value.substr(0, Value.find('\0')));
    TKvIniSection* S = FindSection(Section);
    if (!S) {
        // An empty line, the header and the key, at the end of the document.
        if (FSections.empty()) // moved from
            FSections.emplace_back();
        FSections.back().Append(TKvIniLine());
        TKvIniSection& Added = AppendSection(FText.AddJoined("[", Section, "]"));
        // Room for the keys a writer adds next, without regrowing from one.
        Added.Body.reserve(16);
        Added.KeyHashes.reserve(16);
        Added.HashesBuilt = true;
        Added.Append(NewLine);
        return;
    }
    if (const auto Replaced = S->SetKey(Ident, NewLine)) {
        FText.Forget(*Replaced);
        CompactText();
    }
}

void TKvIniList::WriteStringByScan(std::string_view Section, std::string_view Ident, std::string NewLine)
{
    TKvStringList Lines = this->Lines();
    FFlatValid = false;
    size_t Header = 0;
    while (Header < Lines.size() && !(IsHeader(Lines[Header]) && HeaderName(Lines[Header]) &&
                                      SameTextAscii(*HeaderName(Lines[Header]), Section)))
        ++Header;
    if (Header == Lines.size()) {
        Lines.emplace_back();
        Lines.push_back(HeaderOf(Section));
        Lines.push_back(std::move(NewLine));
        SetLines(Lines);
        return;
    }
    size_t i = Header + 1;
    for (; i < Lines.size(); ++i) {
        if (IsIniKeyLine(Lines[i], Ident)) {
            Lines[i] = std::move(NewLine);
            break;
        }
        if (Lines[i].empty() || IsHeader(Lines[i])) {
            Lines.insert(Lines.begin() + static_cast<std::ptrdiff_t>(i), std::move(NewLine));
            break;
        }
    }
    if (i == Lines.size())
        Lines.push_back(std::move(NewLine));
    SetLines(Lines);
}

void TKvIniList::EraseSection(std::string_view Section)
{
    FModified = true;
    const auto Found = FindIndexEntry(Section);
    if (Found == FSectionIndex.end())
        return;
    FLastSection = nullptr;
    const TSections::iterator S = Found->second;
    FSectionIndex.erase(Found);
    if (S->NextSameName) {
        const TSections::iterator Next = *S->NextSameName;
        if (S->LastSameName != Next)
            Next->LastSameName = S->LastSameName;
        FSectionIndex.emplace(IniNameHash(*HeaderName(Next->Header)), Next);
    }
    FText.Forget(S->Header);
    for (const TKvIniLine& Line : S->Body)
        FText.Forget(Line);
    FSections.erase(S);
    Changed();
    CompactText();
}

void TKvIniList::CompactText()
{
    if (!FText.MostlyDead())
        return;
    size_t Size = 0;
    for (const TKvIniSection& S : FSections) {
        Size += S.Header.size();
        for (const TKvIniLine& Line : S.Body)
            Size += Line.size();
    }
    TKvIniTextStore Fresh;
    Fresh.Expect(Size);
    for (TKvIniSection& S : FSections) {
        S.Header = Fresh.Add(S.Header);
        for (TKvIniLine& Line : S.Body)
            Line = Fresh.Add(Line);
        S.ForgetKeyMap();
    }
    FText = std::move(Fresh);
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

void TKvIniList::WriteExactFloat(std::string_view Section, std::string_view Ident, double Value)
{
    WriteString(Section, Ident, FloatToExactIniText(Value));
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

void TKvIniList::WriteExactFloatArray(std::string_view Section, std::string_view Ident, std::span<const double> Values)
{
    WriteString(Section, Ident, JoinValues(Values, AppendFloatExactIniText));
}

void TKvIniList::ReadVector(std::string_view Section, std::string_view Ident, TKvRealVector& Vector,
                            TKvReadVectorReport* Report) const
{
    Vector.Clear();
    const auto Value = FindValue(Section, Ident);
    if (!Value)
        return;
    std::vector<double> Values;
    // A number takes about eight characters; reserving saves the regrowths.
    Values.reserve(std::min<size_t>(Value->size() / 8, 1u << 28));
    ReadValueList(*Value, Values, Report);
    Vector.AddValues(Values);
}

void TKvIniList::WriteVector(std::string_view Section, std::string_view Ident, const TKvRealVector& Vector)
{
    // A missing value is an empty piece: "1;;3".
    WriteString(Section, Ident, JoinValues(Vector.Values(), [](std::string& Text, double X) {
                    if (!IsMissing(X))
                        AppendFloatExactIniText(Text, X);
                }));
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
