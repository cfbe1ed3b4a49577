#include "KvIniSection.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace kv {

namespace {

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

inline bool IsKeyLine(std::string_view Line, std::string_view Ident)
{
    // Mostly written in the same case: one memcmp before the letter folding.
    return Line.size() > Ident.size() && Line[Ident.size()] == '=' &&
           (Ident.empty() || std::memcmp(Line.data(), Ident.data(), Ident.size()) == 0 || SameName(Line.substr(0, Ident.size()), Ident));
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

// The hash of the text before the first "=" of Text (of all of it when it
// has none), letters without case as in FoldedHash, eight bytes a step and
// the "=" found in the same words; Eq receives its position or npos.
inline uint64_t KeyPartHash(std::string_view Text, size_t& Eq)
{
    constexpr uint64_t CaseBits = 0xDFDFDFDFDFDFDFDFull, K = 0xFF51AFD7ED558CCDull;
    constexpr uint64_t Ones = 0x0101010101010101ull, Highs = 0x8080808080808080ull, Equals = Ones * '=';
    uint64_t H = 0x9E3779B97F4A7C15ull;
    auto Mix = [&H](uint64_t W) {
        H = (H ^ (W & CaseBits)) * K;
        H ^= H >> 29;
    };
    Eq = std::string_view::npos;
    size_t Done = 0;
    if constexpr (std::endian::native == std::endian::little) {
        while (Done < Text.size()) {
            const size_t Take = std::min<size_t>(8, Text.size() - Done);
            uint64_t W = 0;
            if (Take == 8)
                std::memcpy(&W, Text.data() + Done, 8);
            else // byte by byte: a short copy through memory would stall the load
                for (size_t j = 0; j < Take; ++j)
                    W |= uint64_t{static_cast<unsigned char>(Text[Done + j])} << (8 * j);
            // A byte of W ^ Equals is zero where W holds "="; the lowest flag
            // is exact (bytes padded with zero never match).
            const uint64_t X = W ^ Equals;
            const uint64_t Zero = (X - Ones) & ~X & Highs;
            if (Zero != 0) {
                const size_t At = static_cast<size_t>(std::countr_zero(Zero)) / 8;
                if (At > 0)
                    Mix(W & ((uint64_t{1} << (8 * At)) - 1));
                Done += At;
                Eq = Done;
                break;
            }
            Mix(W);
            Done += Take;
        }
    } else {
        Eq = Text.find('=');
        Done = std::min(Eq, Text.size());
        for (size_t i = 0; i < Done; i += 8) {
            uint64_t W = 0;
            for (size_t j = 0; j < 8 && i + j < Done; ++j)
                W |= uint64_t{static_cast<unsigned char>(Text[i + j])} << (8 * j);
            Mix(W);
        }
    }
    H = (H ^ Done) * K;
    return H ^ (H >> 32);
}

// The hash of a key as the small sections hold it: never 0, which marks a
// line without "=".
uint32_t KeyHash(uint64_t Hash) { return static_cast<uint32_t>(Hash) | 1u; }

TKvIniKeyHash LineKeyHash(std::string_view Line)
{
    size_t Eq;
    const uint64_t Hash = KeyPartHash(Line, Eq);
    if (Eq == std::string_view::npos)
        return {};
    return {KeyHash(Hash), static_cast<uint32_t>(std::min<size_t>(Eq, UINT32_MAX))};
}

bool HasHash(const std::vector<TKvIniKeyHash>& Hashes, size_t Count, uint32_t Hash)
{
    return std::any_of(Hashes.begin(), Hashes.begin() + static_cast<std::ptrdiff_t>(Count),
                       [Hash](const TKvIniKeyHash& K) { return K.Hash == Hash; });
}

// The key of a key line: the text before its first "=".
std::optional<std::string_view> LineKey(std::string_view Line)
{
    const size_t Eq = Line.find('=');
    return Eq == std::string_view::npos ? std::nullopt : std::optional<std::string_view>(Line.substr(0, Eq));
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

void BuildKeyHashes(const TKvIniSection& S)
{
    S.KeyHashes.resize(S.Body.size());
    S.UniqueKeys = true;
    std::fill(std::begin(S.KeyBits), std::end(S.KeyBits), 0);
    for (size_t i = 0; i < S.Body.size(); ++i) {
        const TKvIniKeyHash Key = LineKeyHash(S.Body[i]);
        if (Key.Hash != 0 && S.UniqueKeys && MayHoldKey(S, Key.Hash) && HasHash(S.KeyHashes, i, Key.Hash))
            S.UniqueKeys = false;
        S.KeyHashes[i] = Key;
        NoteKey(S, Key.Hash);
    }
    S.Hint = 0;
    S.HashesBuilt = true;
}

void BuildKeyMap(const TKvIniSection& S)
{
    S.Keys.clear();
    S.LastKey = 0;
    for (size_t i = 0; i < S.Body.size(); ++i) {
        const auto Key = LineKey(S.Body[i]);
        if (Key && S.Keys.try_emplace(*Key, i).second)
            S.LastKey = i;
    }
    S.KeysBuilt = true;
    S.HashesBuilt = false; // the map takes over for good
    S.KeyHashes = {};
}

std::optional<size_t> FindByHashes(const TKvIniSection& S, std::string_view Ident, uint32_t Hash)
{
    if (!MayHoldKey(S, Hash))
        return std::nullopt;
    const size_t n = S.KeyHashes.size();
    if (!S.UniqueKeys) {
        for (size_t i = 0; i < n; ++i)
            if (S.KeyHashes[i].Hash == Hash && IsKeyLine(S.Body[i], Ident))
                return i;
        return std::nullopt;
    }
    // Without two lines of one key the match is the first wherever the
    // search begins: after the key found last, as keys are mostly read in
    // the order they were written.
    for (size_t j = 0; j < n; ++j) {
        const size_t i = S.Hint + j < n ? S.Hint + j : S.Hint + j - n;
        if (S.KeyHashes[i].Hash == Hash && IsKeyLine(S.Body[i], Ident)) {
            S.Hint = i + 1;
            return i;
        }
    }
    return std::nullopt;
}

} // namespace

bool IsIniKeyLine(std::string_view Line, std::string_view Ident) { return IsKeyLine(Line, Ident); }
bool SameIniName(std::string_view A, std::string_view B) { return SameName(A, B); }
uint64_t IniNameHash(std::string_view Text) { return FoldedHash(Text); }

size_t TKvNoCaseHash::operator()(std::string_view Text) const noexcept { return static_cast<size_t>(FoldedHash(Text)); }

bool TKvNoCaseEqual::operator()(std::string_view A, std::string_view B) const noexcept { return SameName(A, B); }

// ---------------------------------------------------------------- lines

TKvIniLine::TKvIniLine(std::string_view Text)
{
    if (Text.empty())
        return;
    char* Own = new char[Text.size()];
    std::memcpy(Own, Text.data(), Text.size());
    FData = Own;
    FSize = Text.size() | OwnedBit;
}

TKvIniLine::TKvIniLine(std::string_view Key, std::string_view Value)
{
    const size_t Size = Key.size() + 1 + Value.size();
    char* Own = new char[Size];
    if (!Key.empty())
        std::memcpy(Own, Key.data(), Key.size());
    Own[Key.size()] = '=';
    if (!Value.empty())
        std::memcpy(Own + Key.size() + 1, Value.data(), Value.size());
    FData = Own;
    FSize = Size | OwnedBit;
}

TKvIniLine TKvIniLine::Shared(std::string_view Text)
{
    TKvIniLine Line;
    if (!Text.empty()) {
        Line.FData = Text.data();
        Line.FSize = Text.size();
    }
    return Line;
}

TKvIniLine::TKvIniLine(const TKvIniLine& Other)
{
    if (Other.Owned())
        *this = TKvIniLine(Other.View());
    else {
        FData = Other.FData;
        FSize = Other.FSize;
    }
}

TKvIniLine& TKvIniLine::operator=(const TKvIniLine& Other)
{
    if (this != &Other)
        *this = TKvIniLine(Other);
    return *this;
}

TKvIniLine::TKvIniLine(TKvIniLine&& Other) noexcept : FData(Other.FData), FSize(Other.FSize)
{
    Other.FData = "";
    Other.FSize = 0;
}

TKvIniLine& TKvIniLine::operator=(TKvIniLine&& Other) noexcept
{
    if (this != &Other) {
        Free();
        FData = Other.FData;
        FSize = Other.FSize;
        Other.FData = "";
        Other.FSize = 0;
    }
    return *this;
}

TKvIniLine::~TKvIniLine() { Free(); }

void TKvIniLine::Free()
{
    if (Owned())
        delete[] FData;
    FData = "";
    FSize = 0;
}

// ---------------------------------------------------------------- sections

TKvIniSection::TKvIniSection(const TKvIniSection& Other)
    : Header(Other.Header), Body(Other.Body), FirstBlank(Other.FirstBlank)
{
}

TKvIniSection& TKvIniSection::operator=(const TKvIniSection& Other)
{
    if (this != &Other)
        *this = TKvIniSection(Other);
    return *this;
}

std::optional<size_t> TKvIniSection::FindKey(std::string_view Ident) const
{
    // Keys are mostly read in the order they were written: the line after
    // the key found last is tried first. Its key is Ident when it matches
    // and its "=" comes right after, and it is the first line of that key
    // when no two key lines share a hash.
    if (HashesBuilt && UniqueKeys && Hint < Body.size() && KeyHashes[Hint].Length == Ident.size() &&
        IsKeyLine(Body[Hint], Ident))
        return Hint++;
    size_t Eq;
    const uint64_t Hash = KeyPartHash(Ident, Eq);
    if (Eq != std::string_view::npos) {
        // The index holds the text before a line's first "=", which a name
        // with "=" never is: such a name is looked for line by line.
        for (size_t i = 0; i < Body.size(); ++i)
            if (IsKeyLine(Body[i], Ident))
                return i;
        return std::nullopt;
    }
    if (Body.size() <= LargeSection && !KeysBuilt) {
        if (!HashesBuilt)
            BuildKeyHashes(*this);
        return FindByHashes(*this, Ident, KeyHash(Hash));
    }
    if (!KeysBuilt)
        BuildKeyMap(*this);
    const auto Found = Keys.find(Ident);
    return Found == Keys.end() ? std::nullopt : std::optional<size_t>(Found->second);
}

void TKvIniSection::Append(TKvIniLine Line) { Insert(Body.size(), std::move(Line)); }

void TKvIniSection::Insert(size_t At, TKvIniLine Line)
{
    if (At <= FirstBlank && !Line.Empty())
        ++FirstBlank;
    else if (At < FirstBlank)
        FirstBlank = At;
    if (HashesBuilt) {
        const TKvIniKeyHash Key = LineKeyHash(Line);
        if (Key.Hash != 0 && MayHoldKey(*this, Key.Hash) && HasHash(KeyHashes, KeyHashes.size(), Key.Hash))
            UniqueKeys = false;
        NoteKey(*this, Key.Hash);
        KeyHashes.insert(KeyHashes.begin() + static_cast<std::ptrdiff_t>(At), Key);
    }
    if (KeysBuilt) {
        if (LastKey >= At && !Keys.empty()) {
            for (auto& Entry : Keys)
                if (Entry.second >= At)
                    ++Entry.second;
            ++LastKey;
        }
        if (const auto Key = LineKey(Line)) {
            // A line inserted before an earlier line of its key becomes the first.
            auto [It, Added] = Keys.try_emplace(*Key, At);
            if (!Added && It->second > At)
                It->second = At;
            LastKey = std::max(LastKey, At);
        }
    }
    Body.insert(Body.begin() + static_cast<std::ptrdiff_t>(At), std::move(Line));
}

void TKvIniSection::Replace(size_t At, TKvIniLine Line)
{
    // The key is the same, so its hash is too; the map holds a view of the
    // old line's text and is given one of the new line's.
    if (KeysBuilt)
        if (const auto Key = LineKey(Body[At])) {
            const auto Found = Keys.find(*Key);
            if (Found != Keys.end() && Found->second == At) {
                Keys.erase(Found);
                Keys.emplace(*LineKey(Line), At);
            }
        }
    Body[At] = std::move(Line);
}

} // namespace kv
