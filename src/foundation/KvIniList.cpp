#include "KvIniList.h"

#include "KvErrors.h"
#include "KvStrings.h"

#include <algorithm>
#include <cstring>

namespace kv {

namespace {

bool IsHeader(const std::string& Line) { return !Line.empty() && Line[0] == '['; }

// The letters a to z in upper case, inline: names are compared and hashed
// character by character on every lookup.
inline unsigned char Fold(char C)
{
    const auto U = static_cast<unsigned char>(C);
    return static_cast<unsigned>(U - 'a') < 26u ? static_cast<unsigned char>(U - ('a' - 'A')) : U;
}

inline bool SameName(std::string_view A, std::string_view B)
{
    if (A.size() != B.size())
        return false;
    for (size_t i = 0; i < A.size(); ++i)
        if (A[i] != B[i] && Fold(A[i]) != Fold(B[i]))
            return false;
    return true;
}

// Whether Line begins with Ident and "=", letters compared without case.
bool IsKeyLine(const std::string& Line, std::string_view Ident)
{
    return Line.size() > Ident.size() && Line[Ident.size()] == '=' &&
           SameName(std::string_view(Line).substr(0, Ident.size()), Ident);
}

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

// A hash that ignores the case of the letters a to z: every byte loses the
// bit that tells the cases apart (other characters that differ only in
// that bit collide, which costs a comparison, not a wrong answer). Eight
// bytes a step.
inline uint64_t FoldedHash(std::string_view Text)
{
    constexpr uint64_t CaseBits = 0xDFDFDFDFDFDFDFDFull, K = 0xFF51AFD7ED558CCDull;
    uint64_t H = 0x9E3779B97F4A7C15ull ^ Text.size();
    const char* P = Text.data();
    size_t n = Text.size();
    for (; n >= 8; P += 8, n -= 8) {
        uint64_t W;
        std::memcpy(&W, P, 8);
        H = (H ^ (W & CaseBits)) * K;
        H ^= H >> 29;
    }
    if (n > 0) {
        uint64_t W = 0;
        std::memcpy(&W, P, n);
        H = (H ^ (W & CaseBits)) * K;
        H ^= H >> 29;
    }
    return H ^ (H >> 32);
}

// The hash of a key as the small sections hold it: never 0, which marks a
// line without "=".
uint32_t KeyHash(std::string_view Key) { return static_cast<uint32_t>(FoldedHash(Key)) | 1u; }

uint32_t LineKeyHash(const std::string& Line)
{
    const size_t Eq = Line.find('=');
    return Eq == std::string::npos ? 0 : KeyHash(std::string_view(Line).substr(0, Eq));
}

// Sections of more body lines than this find their keys through the map.
constexpr size_t LargeSection = 48;

// A filter of the keys of a small section: one of 256 bits per key (the
// hash's lowest bit is always set and not used).
bool MayHoldKey(const TKvIniSection& S, uint32_t Hash) { return (S.KeyBits[(Hash >> 7) & 3] >> ((Hash >> 1) & 63)) & 1; }

void NoteKey(const TKvIniSection& S, uint32_t Hash)
{
    if (Hash != 0)
        S.KeyBits[(Hash >> 7) & 3] |= uint64_t{1} << ((Hash >> 1) & 63);
}

} // namespace

void TKvIniSection::Append(std::string Line) { Insert(Body.size(), std::move(Line)); }

void TKvIniSection::Insert(size_t At, std::string Line)
{
    if (At <= FirstBlank && !Line.empty())
        ++FirstBlank;
    else if (At < FirstBlank)
        FirstBlank = At;
    if (HashesBuilt) {
        const uint32_t Hash = LineKeyHash(Line);
        if (Hash != 0 && MayHoldKey(*this, Hash) &&
            std::find(KeyHashes.begin(), KeyHashes.end(), Hash) != KeyHashes.end())
            UniqueKeys = false;
        NoteKey(*this, Hash);
        KeyHashes.insert(KeyHashes.begin() + static_cast<std::ptrdiff_t>(At), Hash);
    }
    if (KeysBuilt) {
        if (LastKey >= At && !Keys.empty()) {
            for (auto& Entry : Keys)
                if (Entry.second >= At)
                    ++Entry.second;
            ++LastKey;
        }
        const size_t Eq = Line.find('=');
        if (Eq != std::string::npos) {
            // A line inserted before an earlier line of its key becomes the first.
            auto [It, Added] = Keys.try_emplace(Line.substr(0, Eq), At);
            if (!Added && It->second > At)
                It->second = At;
            LastKey = std::max(LastKey, At);
        }
    }
    Body.insert(Body.begin() + static_cast<std::ptrdiff_t>(At), std::move(Line));
}

namespace {

void BuildKeyHashes(const TKvIniSection& S)
{
    S.KeyHashes.resize(S.Body.size());
    S.UniqueKeys = true;
    std::fill(std::begin(S.KeyBits), std::end(S.KeyBits), 0);
    for (size_t i = 0; i < S.Body.size(); ++i) {
        const uint32_t Hash = LineKeyHash(S.Body[i]);
        S.KeyHashes[i] = Hash;
        const auto Before = S.KeyHashes.begin() + static_cast<std::ptrdiff_t>(i);
        if (Hash != 0 && S.UniqueKeys && MayHoldKey(S, Hash) && std::find(S.KeyHashes.begin(), Before, Hash) != Before)
            S.UniqueKeys = false;
        NoteKey(S, Hash);
    }
    S.Hint = 0;
    S.HashesBuilt = true;
}

// Resets the index of a section whose body changed otherwise.
void ForgetIndex(TKvIniSection& S)
{
    S.HashesBuilt = S.KeysBuilt = false;
    S.KeyHashes.clear();
    S.Keys.clear();
}

} // namespace

size_t TKvNoCaseHash::operator()(std::string_view Text) const noexcept
{
    return static_cast<size_t>(FoldedHash(Text));
}

bool TKvNoCaseEqual::operator()(std::string_view A, std::string_view B) const noexcept
{
    return SameName(A, B);
}

// ---------------------------------------------------------------- blocks

TKvIniList::TKvIniList() { FSections.emplace_back(); }

TKvIniList::TKvIniList(const TKvIniList& Other) : FSections(Other.FSections), FModified(Other.FModified)
{
    RebuildIndex();
}

TKvIniList::TKvIniList(TKvIniList&& Other) noexcept
    : FSections(std::move(Other.FSections)), FSectionIndex(std::move(Other.FSectionIndex)),
      FLastSection(Other.FLastSection), FLastName(std::move(Other.FLastName)), FModified(Other.FModified)
{
    Other.FLastSection = nullptr;
    Other.FFlatValid = false;
}

TKvIniList& TKvIniList::operator=(TKvIniList&& Other) noexcept
{
    if (this != &Other) {
        FSections = std::move(Other.FSections);
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
        FModified = Other.FModified;
        RebuildIndex();
    }
    return *this;
}

void TKvIniList::IndexSection(TSections::iterator S)
{
    const auto Name = HeaderName(S->Header);
    if (!Name)
        return;
    auto [Entry, Added] = FSectionIndex.try_emplace(*Name, S);
    if (Added)
        return;
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

TKvIniSection& TKvIniList::AppendSection(std::string Header)
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
    const auto Found = FSectionIndex.find(Section);
    if (Found == FSectionIndex.end())
        return nullptr;
    FLastSection = &*Found->second;
    FLastName = Section;
    return FLastSection;
}

std::optional<size_t> TKvIniList::FindKey(const TKvIniSection& S, std::string_view Ident) const
{
    if (!Indexable(Ident)) {
        for (size_t i = 0; i < S.Body.size(); ++i)
            if (IsKeyLine(S.Body[i], Ident))
                return i;
        return std::nullopt;
    }
    if (S.Body.size() <= LargeSection && !S.KeysBuilt) {
        if (!S.HashesBuilt)
            BuildKeyHashes(S);
        const uint32_t Hash = KeyHash(Ident);
        if (!MayHoldKey(S, Hash))
            return std::nullopt;
        const size_t n = S.KeyHashes.size();
        if (!S.UniqueKeys) {
            for (size_t i = 0; i < n; ++i)
                if (S.KeyHashes[i] == Hash && IsKeyLine(S.Body[i], Ident))
                    return i;
            return std::nullopt;
        }
        // Without two lines of one key the match is the first wherever the
        // search begins: after the key found last, as keys are mostly read
        // in the order they were written.
        for (size_t j = 0; j < n; ++j) {
            const size_t i = S.Hint + j < n ? S.Hint + j : S.Hint + j - n;
            if (S.KeyHashes[i] == Hash && IsKeyLine(S.Body[i], Ident)) {
                S.Hint = i + 1;
                return i;
            }
        }
        return std::nullopt;
    }
    if (!S.KeysBuilt) {
        S.Keys.clear();
        S.LastKey = 0;
        for (size_t i = 0; i < S.Body.size(); ++i) {
            const size_t Eq = S.Body[i].find('=');
            if (Eq != std::string::npos && S.Keys.try_emplace(S.Body[i].substr(0, Eq), i).second)
                S.LastKey = i;
        }
        S.KeysBuilt = true;
        S.HashesBuilt = false; // the map takes over for good
        S.KeyHashes = {};
    }
    const auto Found = S.Keys.find(Ident);
    return Found == S.Keys.end() ? std::nullopt : std::optional<size_t>(Found->second);
}

// ---------------------------------------------------------------- lines

void TKvIniList::SetText(std::string_view Text)
{
    FSections.clear();
    FSectionIndex.clear();
    FLastSection = nullptr;
    FFlatValid = false;
    const size_t Nul = Text.find('\0');
    if (Nul != std::string_view::npos)
        Text = Text.substr(0, Nul);
    // The lines first, so that each section's lines are stored at once.
    std::vector<std::string_view> Pieces;
    Pieces.reserve(Text.size() / 24 + 1);
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
        Pieces.emplace_back(P, static_cast<size_t>(Stop - P));
        if (Stop == End)
            break;
        P = Stop + 1;
        if (*Stop == '\r' && P < End && *P == '\n')
            ++P;
    }
    TKvIniSection* Current = &FSections.emplace_back();
    for (size_t i = 0;;) {
        size_t Next = i;
        while (Next < Pieces.size() && !(!Pieces[Next].empty() && Pieces[Next][0] == '['))
            ++Next;
        Current->Body.reserve(Next - i);
        for (; i < Next; ++i) {
            if (!Pieces[i].empty() && Current->FirstBlank == Current->Body.size())
                ++Current->FirstBlank;
            Current->Body.emplace_back(Pieces[i]);
        }
        if (Next == Pieces.size())
            break;
        Current = &AppendSection(std::string(Pieces[Next]));
        i = Next + 1;
    }
}

void TKvIniList::SetLines(TKvStringList Lines)
{
    FSections.clear();
    FSectionIndex.clear();
    FLastSection = nullptr;
    FFlatValid = false;
    TKvIniSection* Current = &FSections.emplace_back();
    for (std::string& Line : Lines) {
        if (IsHeader(Line)) {
            Current = &AppendSection(std::move(Line));
            continue;
        }
        Current->Append(std::move(Line));
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
                FFlat.push_back(S.Header);
            FFlat.insert(FFlat.end(), S.Body.begin(), S.Body.end());
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
        for (const std::string& Line : S.Body)
            Size += Line.size() + 2;
    }
    std::string Out;
    Out.reserve(Size);
    for (const TKvIniSection& S : FSections) {
        if (!S.Header.empty()) {
            Out += S.Header;
            Out += "\r\n";
        }
        for (const std::string& Line : S.Body) {
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
    auto FirstText = std::find_if(First.Body.begin(), First.Body.end(), [](const std::string& L) { return !L.empty(); });
    if (FirstText == First.Body.begin())
        return;
    First.Body.erase(First.Body.begin(), FirstText);
    First.FirstBlank = static_cast<size_t>(
        std::find_if(First.Body.begin(), First.Body.end(), [](const std::string& L) { return L.empty(); }) -
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
        const size_t Close = S.Header.find(']');
        List.push_back(Close == std::string::npos ? std::string() : S.Header.substr(1, Close - 1));
    }
}

namespace {
template <class TFunction>
void ForEachSectionLine(const TKvIniSection* S, TFunction Function)
{
    if (!S)
        return;
    for (const std::string& Line : S->Body)
        if (!Line.empty())
            Function(Line);
}
} // namespace

void TKvIniList::ReadSection(std::string_view Section, TKvStringList& List) const
{
    List.clear();
    ForEachSectionLine(FindSection(Section), [&](const std::string& Line) {
        const size_t Eq = Line.find('=');
        List.push_back(Eq == std::string::npos ? std::string() : Line.substr(0, Eq));
    });
}

void TKvIniList::ReadSectionValues(std::string_view Section, TKvStringList& List) const
{
    List.clear();
    ForEachSectionLine(FindSection(Section), [&](const std::string& Line) { List.push_back(Line); });
}

std::optional<std::string_view> TKvIniList::FindValue(std::string_view Section, std::string_view Ident) const
{
    const TKvIniSection* S = FindSection(Section);
    if (!S)
        return std::nullopt;
    const auto Line = FindKey(*S, Ident);
    if (!Line)
        return std::nullopt;
    return std::string_view(S->Body[*Line]).substr(Ident.size() + 1);
}

std::string TKvIniList::ReadString(std::string_view Section, std::string_view Ident, std::string_view Default) const
{
    return std::string(FindValue(Section, Ident).value_or(Default));
}

void TKvIniList::WriteString(std::string_view Section, std::string_view Ident, std::string_view Value)
{
    FModified = true;
    Changed();
    std::string NewLine(Ident);
    NewLine += '=';
    NewLine += Value;
    const size_t Nul = NewLine.find('\0');
    if (Nul != std::string::npos)
        NewLine.resize(Nul);
    if (!Indexable(Ident)) {
        WriteStringByScan(Section, Ident, std::move(NewLine));
        return;
    }

    TKvIniSection* S = FindSection(Section);
    if (!S) {
        // An empty line, the header and the key, at the end of the document.
        if (FSections.empty()) // moved from
            FSections.emplace_back();
        FSections.back().Append(std::string());
        TKvIniSection& Added = AppendSection(HeaderOf(Section));
        Added.HashesBuilt = true;
        Added.Append(std::move(NewLine));
        return;
    }
    // The key's line is replaced when it comes before the section's first
    // empty line; otherwise the new line becomes the last key line, just
    // before that empty line (or the next header, or the end).
    const auto Line = FindKey(*S, Ident);
    if (Line && *Line < S->FirstBlank) {
        S->Body[*Line] = std::move(NewLine);
        return;
    }
    S->Insert(S->FirstBlank, std::move(NewLine));
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
        SetLines(std::move(Lines));
        return;
    }
    size_t i = Header + 1;
    for (; i < Lines.size(); ++i) {
        if (IsKeyLine(Lines[i], Ident)) {
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
    SetLines(std::move(Lines));
}

void TKvIniList::EraseSection(std::string_view Section)
{
    FModified = true;
    const auto Found = FSectionIndex.find(Section);
    if (Found == FSectionIndex.end())
        return;
    FLastSection = nullptr;
    const TSections::iterator S = Found->second;
    // The index names the section by a view into the header that goes.
    FSectionIndex.erase(Found);
    if (S->NextSameName) {
        const TSections::iterator Next = *S->NextSameName;
        if (S->LastSameName != Next)
            Next->LastSameName = S->LastSameName;
        FSectionIndex.emplace(*HeaderName(Next->Header), Next);
    }
    FSections.erase(S);
    Changed();
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
