#pragma once
// The parts of an INI document the store is built from: its lines, which
// refer to the loaded text instead of copying it, and its sections with the
// index of their keys.

#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kv {

using TKvStringList = std::vector<std::string>;

// Hash and equality of names with the letters a to z compared without case;
// transparent, so string_views are looked up without building a string.
struct TKvNoCaseHash {
    using is_transparent = void;
    size_t operator()(std::string_view Text) const noexcept;
};
struct TKvNoCaseEqual {
    using is_transparent = void;
    bool operator()(std::string_view A, std::string_view B) const noexcept;
};

// The text of a document's lines: the text it was loaded from and every
// line written since, in chunks that are only appended to, so a line is a
// view that stays valid while lines and sections move. Loading therefore
// allocates nothing per line. Copies of a store share its chunks and write
// into chunks of their own. Lines that leave the document are counted, so
// that their owner can copy the remaining lines to a fresh store when most
// of the text is dead.
class TKvIniTextStore {
public:
    TKvIniTextStore() = default;
    TKvIniTextStore(const TKvIniTextStore& Other);
    TKvIniTextStore& operator=(const TKvIniTextStore& Other);
    TKvIniTextStore(TKvIniTextStore&& Other) noexcept;
    TKvIniTextStore& operator=(TKvIniTextStore&& Other) noexcept;

    // A copy of Text in the store.
    std::string_view Add(std::string_view Text);
    // The three parts joined, in the store: a key line or a header.
    std::string_view AddJoined(std::string_view A, std::string_view B, std::string_view C);
    // Makes room for Size bytes in one piece, for lines added next.
    void Expect(size_t Size);
    // Counts a line that left the document.
    void Forget(std::string_view Line) { FDead += Line.size(); }
    // The bytes held, lines gone included.
    size_t Bytes() const { return FBytes; }
    // Most of the text is lines that left the document.
    bool MostlyDead() const { return FDead > 4096 && FDead > FBytes / 2; }

private:
    char* Take(size_t Size);

    std::vector<std::shared_ptr<char[]>> FChunks;
    char* FFree = nullptr; // the room of the last chunk, which only this store writes
    size_t FRoom = 0;
    size_t FNextChunk = 256; // chunks grow to 64 KiB: small lists stay small
    size_t FBytes = 0;       // in all chunks
    size_t FDead = 0;        // of lines no longer in the document
};

// A line of a document, a view into its text store.
using TKvIniLine = std::string_view;

using TKvIniLines = std::vector<TKvIniLine>;

// A hash map keyed by hashes already computed.
struct TKvHashIsKey {
    size_t operator()(uint64_t Hash) const noexcept { return static_cast<size_t>(Hash); }
};

// The key of a line as a small section holds it: its hash (0 for a line
// without "=") and its length.
struct TKvIniKeyHash {
    uint32_t Hash = 0;
    uint32_t Length = 0;
};

struct TKvIniSection;
using TKvIniSections = std::list<TKvIniSection>;

// One header line and the lines that follow it up to the next header. Its
// keys are found through a hash per line (small sections: one pass over
// the hashes) or a map to the first line of each key (large sections), each
// built when the section is first searched and kept up to date after that.
struct TKvIniSection {
    TKvIniSection() = default;
    // A copy holds the lines; its index is built when it is first searched.
    TKvIniSection(const TKvIniSection& Other);
    TKvIniSection& operator=(const TKvIniSection& Other);
    TKvIniSection(TKvIniSection&&) = default;
    TKvIniSection& operator=(TKvIniSection&&) = default;

    TKvIniLine Header; // empty for the lines before the first header
    TKvIniLines Body;
    size_t FirstBlank = 0; // position of the first empty body line, or Body.size()
    mutable std::vector<TKvIniKeyHash> KeyHashes; // per body line
    mutable bool HashesBuilt = false;
    mutable bool UniqueKeys = true; // no two key lines share a hash
    mutable size_t Hint = 0;        // where the next search begins
    mutable uint64_t KeyBits[4] = {}; // a bit per key hash: a clear bit means absent
    // Keys by views of the lines' text, which stays in place while the lines
    // move; a replaced line's entry is replaced with it.
    mutable std::unordered_map<std::string_view, size_t, TKvNoCaseHash, TKvNoCaseEqual> Keys;
    mutable size_t LastKey = 0; // the largest position in Keys
    mutable bool KeysBuilt = false;

    // The next section of the same name (found only once this one is gone).
    std::optional<TKvIniSections::iterator> NextSameName;
    std::optional<TKvIniSections::iterator> LastSameName; // kept by the first of a name

    // Body position of the first line of the key, or nothing.
    std::optional<size_t> FindKey(std::string_view Ident) const;
    // Writes the key line Line of the key Ident (a name without "="): it
    // replaces the key's first line when that comes before the first empty
    // line, and is inserted as the last key line otherwise. Returns the
    // line it replaced.
    std::optional<TKvIniLine> SetKey(std::string_view Ident, TKvIniLine Line);
    // Adds a line at the end, or at position At, keeping the index; Key is
    // the hash and length of the line's key (hash 0 for a line without "=").
    void Append(TKvIniLine Line);
    void Insert(size_t At, TKvIniLine Line);
    void Insert(size_t At, TKvIniLine Line, TKvIniKeyHash Key);
    // Replaces the line at At, which holds the same key, keeping the index.
    void Replace(size_t At, TKvIniLine Line);
    // Forgets the index of keys to lines, which holds views of their text.
    void ForgetKeyMap();
};

// The lines of Text, views into it: CR LF, CR and LF each end a line.
void SplitIniLines(std::string_view Text, std::vector<std::string_view>& Lines);
// Whether Line begins with Ident and "=", the letters a to z compared
// without case.
bool IsIniKeyLine(std::string_view Line, std::string_view Ident);
// Whether two names are equal with the letters a to z compared without case.
bool SameIniName(std::string_view A, std::string_view B);
// A hash of Text that ignores the case of the letters a to z.
uint64_t IniNameHash(std::string_view Text);

} // namespace kv
