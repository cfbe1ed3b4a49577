#include "KvIniSection.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <sys/mman.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
           (Ident.empty() || std::memcmp(Line.data(), Ident.data(), Ident.size()) == 0 ||
            SameName(Line.substr(0, Ident.size()), Ident));
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
        // Byte by byte: a short copy through memory would stall the load.
        uint64_t W = 0;
        for (size_t j = 0; j < n; ++j)
            W |= uint64_t{static_cast<unsigned char>(P[j])} << (8 * j);
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
bool MayHoldKey(const TKvIniSection& S, uint32_t Hash)
{
    return (S.KeyBits[(Hash >> 7) & 3] >> ((Hash >> 1) & 63)) & 1;
}

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

namespace {

// The first CR or LF from P on, or End. The first 128 bytes are searched
// sixteen at a time; a longer line (the data values) by memchr for its LF,
// then for a CR before it, so the search stays linear in its length.
const char* FindLineEnd(const char* P, const char* End)
{
#if defined(__SSE2__)
    const __m128i CrBytes = _mm_set1_epi8('\r'), LfBytes = _mm_set1_epi8('\n');
    for (int Step = 0; Step < 8 && End - P >= 16; ++Step, P += 16) {
        const __m128i V = _mm_loadu_si128(reinterpret_cast<const __m128i*>(P));
        const int Mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(V, CrBytes), _mm_cmpeq_epi8(V, LfBytes)));
        if (Mask != 0)
            return P + std::countr_zero(static_cast<unsigned>(Mask));
    }
#endif
    if (End - P < 16) {
        while (P < End && *P != '\r' && *P != '\n')
            ++P;
        return P;
    }
    const void* LfHit = std::memchr(P, '\n', static_cast<size_t>(End - P));
    const char* Lf = LfHit ? static_cast<const char*>(LfHit) : End;
    const void* CrHit = std::memchr(P, '\r', static_cast<size_t>(Lf - P));
    return CrHit ? static_cast<const char*>(CrHit) : Lf;
}

} // namespace

void SplitIniLines(std::string_view Text, std::vector<std::string_view>& Lines)
{
    Lines.clear();
    Lines.reserve(Text.size() / 24 + 1);
    const char* P = Text.data();
    const char* End = P + Text.size();
    while (P < End) {
        const char* Stop = FindLineEnd(P, End);
        Lines.emplace_back(P, static_cast<size_t>(Stop - P));
        if (Stop == End)
            break;
        P = Stop + 1;
        if (*Stop == '\r' && P < End && *P == '\n')
            ++P;
    }
}

// ---------------------------------------------------------------- text

TKvIniTextStore::TKvIniTextStore(const TKvIniTextStore& Other)
    : FChunks(Other.FChunks), FNextChunk(Other.FNextChunk), FBytes(Other.FBytes), FDead(Other.FDead)
{
}

TKvIniTextStore& TKvIniTextStore::operator=(const TKvIniTextStore& Other)
{
    if (this != &Other)
        *this = TKvIniTextStore(Other);
    return *this;
}

TKvIniTextStore::TKvIniTextStore(TKvIniTextStore&& Other) noexcept
    : FChunks(std::move(Other.FChunks)), FFree(Other.FFree), FRoom(Other.FRoom), FNextChunk(Other.FNextChunk),
      FBytes(Other.FBytes), FDead(Other.FDead)
{
    Other = TKvIniTextStore();
}

TKvIniTextStore& TKvIniTextStore::operator=(TKvIniTextStore&& Other) noexcept
{
    if (this != &Other) {
        FChunks = std::move(Other.FChunks);
        FFree = Other.FFree;
        FRoom = Other.FRoom;
        FNextChunk = Other.FNextChunk;
        FBytes = Other.FBytes;
        FDead = Other.FDead;
        Other.FChunks.clear();
        Other.FFree = nullptr;
        Other.FRoom = 0;
        Other.FBytes = Other.FDead = 0;
    }
    return *this;
}

namespace {

// A large loaded text is written once from end to end: in huge pages the
// kernel fills it with a few hundred faults instead of one per 4 KiB
// (where the system offers them on request; elsewhere a no-op).
void PreferHugePages(char* Data, size_t Size)
{
    constexpr uintptr_t Huge = uintptr_t{2} << 20;
    if (Size < 4 * Huge)
        return;
    const uintptr_t First = (reinterpret_cast<uintptr_t>(Data) + Huge - 1) & ~(Huge - 1);
    const uintptr_t Last = (reinterpret_cast<uintptr_t>(Data) + Size) & ~(Huge - 1);
    if (Last > First)
        ::madvise(reinterpret_cast<void*>(First), Last - First, MADV_HUGEPAGE);
}

} // namespace

char* TKvIniTextStore::Take(size_t Size)
{
    if (Size > FRoom) {
        constexpr size_t LargestChunk = size_t{1} << 16;
        const size_t ChunkSize = std::max(Size, FNextChunk);
        auto Chunk = std::make_shared_for_overwrite<char[]>(ChunkSize);
        PreferHugePages(Chunk.get(), ChunkSize);
        FChunks.push_back(Chunk);
        FBytes += ChunkSize;
        FNextChunk = std::min(FNextChunk * 2, LargestChunk);
        if (ChunkSize - Size < FRoom) // a large line: the last chunk keeps its room
            return Chunk.get();
        FFree = Chunk.get();
        FRoom = ChunkSize;
    }
    char* At = FFree;
    FFree += Size;
    FRoom -= Size;
    return At;
}

void TKvIniTextStore::Expect(size_t Size)
{
    if (Size > FRoom)
        FNextChunk = std::max(FNextChunk, Size);
}

std::string_view TKvIniTextStore::Add(std::string_view Text)
{
    if (Text.empty())
        return {};
    char* At = Take(Text.size());
    std::memcpy(At, Text.data(), Text.size());
    return {At, Text.size()};
}

std::string_view TKvIniTextStore::AddJoined(std::string_view A, std::string_view B, std::string_view C)
{
    const size_t Size = A.size() + B.size() + C.size();
    if (Size == 0)
        return {};
    char* const At = Take(Size);
    if (!A.empty())
        std::memcpy(At, A.data(), A.size());
    if (!B.empty())
        std::memcpy(At + A.size(), B.data(), B.size());
    if (!C.empty())
        std::memcpy(At + A.size() + B.size(), C.data(), C.size());
    return {At, Size};
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

namespace {

// Keys are mostly read in the order they were written: the line after the
// key found last is tried first. Its key is Ident when it matches and its
// "=" comes right after, and it is the first line of that key when no two
// key lines share a hash.
std::optional<size_t> FindAtHint(const TKvIniSection& S, std::string_view Ident)
{
    if (S.HashesBuilt && S.UniqueKeys && S.Hint < S.Body.size() && S.KeyHashes[S.Hint].Length == Ident.size() &&
        IsKeyLine(S.Body[S.Hint], Ident))
        return S.Hint++;
    return std::nullopt;
}

// The search by the hash of Ident's text before its first "=" (at Eq).
std::optional<size_t> FindByHash(const TKvIniSection& S, std::string_view Ident, uint64_t Hash, size_t Eq)
{
    if (Eq != std::string_view::npos) {
        // The index holds the text before a line's first "=", which a name
        // with "=" never is: such a name is looked for line by line.
        for (size_t i = 0; i < S.Body.size(); ++i)
            if (IsKeyLine(S.Body[i], Ident))
                return i;
        return std::nullopt;
    }
    if (S.Body.size() <= LargeSection && !S.KeysBuilt) {
        if (!S.HashesBuilt)
            BuildKeyHashes(S);
        return FindByHashes(S, Ident, KeyHash(Hash));
    }
    if (!S.KeysBuilt)
        BuildKeyMap(S);
    const auto Found = S.Keys.find(Ident);
    return Found == S.Keys.end() ? std::nullopt : std::optional<size_t>(Found->second);
}

} // namespace

std::optional<size_t> TKvIniSection::FindKey(std::string_view Ident) const
{
    if (const auto At = FindAtHint(*this, Ident))
        return At;
    size_t Eq;
    const uint64_t Hash = KeyPartHash(Ident, Eq);
    return FindByHash(*this, Ident, Hash, Eq);
}

std::optional<TKvIniLine> TKvIniSection::SetKey(std::string_view Ident, TKvIniLine Line)
{
    auto At = FindAtHint(*this, Ident);
    std::optional<TKvIniKeyHash> Key; // the new line's, when taken on the way
    if (!At) {
        size_t Eq;
        const uint64_t Hash = KeyPartHash(Ident, Eq);
        At = FindByHash(*this, Ident, Hash, Eq);
        if (Eq == std::string_view::npos && Ident.size() <= UINT32_MAX)
            Key = TKvIniKeyHash{KeyHash(Hash), static_cast<uint32_t>(Ident.size())};
    }
    // The key's line is replaced when it comes before the first empty line;
    // otherwise the new line becomes the last key line, just before that
    // empty line (or the next header, or the end).
    if (At && *At < FirstBlank) {
        const TKvIniLine Old = Body[*At];
        Replace(*At, Line);
        return Old;
    }
    Insert(FirstBlank, Line, Key ? *Key : LineKeyHash(Line));
    return std::nullopt;
}

void TKvIniSection::Append(TKvIniLine Line) { Insert(Body.size(), Line); }

void TKvIniSection::Insert(size_t At, TKvIniLine Line)
{
    Insert(At, Line, HashesBuilt ? LineKeyHash(Line) : TKvIniKeyHash());
}

void TKvIniSection::Insert(size_t At, TKvIniLine Line, TKvIniKeyHash Key)
{
    if (At <= FirstBlank && !Line.empty())
        ++FirstBlank;
    else if (At < FirstBlank)
        FirstBlank = At;
    if (HashesBuilt) {
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
        if (const auto LineKeyText = LineKey(Line)) {
            // A line inserted before an earlier line of its key becomes the first.
            auto [It, Added] = Keys.try_emplace(*LineKeyText, At);
            if (!Added && It->second > At)
                It->second = At;
            LastKey = std::max(LastKey, At);
        }
    }
    Body.insert(Body.begin() + static_cast<std::ptrdiff_t>(At), Line);
}

void TKvIniSection::ForgetKeyMap()
{
    Keys.clear();
    KeysBuilt = false;
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
    Body[At] = Line;
}

} // namespace kv
