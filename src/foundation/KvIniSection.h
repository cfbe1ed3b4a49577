#pragma once
// The parts of an INI document the store is built from: its lines, which
// refer to the loaded text instead of copying it, and its sections with the
// index of their keys.

#include <cstdint>
#include <list>
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

// One line of a document: a view into the text the document was loaded from
// (shared by the copies of the list, never changed) or text of its own for
// a line written since. Loading therefore allocates nothing per line.
class TKvIniLine {
public:
    TKvIniLine() = default;
    // A line of its own, copied from Text.
    explicit TKvIniLine(std::string_view Text);
    // The key line Key "=" Value, of its own.
    TKvIniLine(std::string_view Key, std::string_view Value);
    // A line that refers to Text, which must outlive it.
    static TKvIniLine Shared(std::string_view Text);
    TKvIniLine(const TKvIniLine& Other);
    TKvIniLine& operator=(const TKvIniLine& Other);
    TKvIniLine(TKvIniLine&& Other) noexcept;
    TKvIniLine& operator=(TKvIniLine&& Other) noexcept;
    ~TKvIniLine();

    std::string_view View() const { return {FData, Size()}; }
    operator std::string_view() const { return View(); }
    size_t Size() const { return FSize & ~OwnedBit; }
    bool Empty() const { return Size() == 0; }
    char operator[](size_t i) const { return FData[i]; }

private:
    static constexpr size_t OwnedBit = size_t{1} << (sizeof(size_t) * 8 - 1);
    bool Owned() const { return (FSize & OwnedBit) != 0; }
    void Free();

    const char* FData = "";
    size_t FSize = 0; // the length, and the top bit when the text is owned
};

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
    // Keys by views of the lines' own text, which stays in place while the
    // lines move; a replaced line's entry is replaced with it.
    mutable std::unordered_map<std::string_view, size_t, TKvNoCaseHash, TKvNoCaseEqual> Keys;
    mutable size_t LastKey = 0; // the largest position in Keys
    mutable bool KeysBuilt = false;

    // The next section of the same name (found only once this one is gone).
    std::optional<TKvIniSections::iterator> NextSameName;
    std::optional<TKvIniSections::iterator> LastSameName; // kept by the first of a name

    // Body position of the first line of the key, or nothing.
    std::optional<size_t> FindKey(std::string_view Ident) const;
    // Adds a line at the end, or at position At, keeping the index.
    void Append(TKvIniLine Line);
    void Insert(size_t At, TKvIniLine Line);
    // Replaces the line at At, which holds the same key, keeping the index.
    void Replace(size_t At, TKvIniLine Line);
};

// Whether Line begins with Ident and "=", the letters a to z compared
// without case.
bool IsIniKeyLine(std::string_view Line, std::string_view Ident);
// Whether two names are equal with the letters a to z compared without case.
bool SameIniName(std::string_view A, std::string_view B);
// A hash of Text that ignores the case of the letters a to z.
uint64_t IniNameHash(std::string_view Text);

} // namespace kv
