#pragma once
// An ordered list of text lines read and edited as an INI document.
//
// Lines are kept exactly as they are; only the lines an operation writes
// change. Sections are found by their whole header line "[" + name + "]"
// (letters a to z compared without case), keys by the line beginning with
// the key and "=". There is no quoting, no escaping and no comment syntax.
//
// The lines are held per section (a header line and the lines up to the next
// header; the lines before the first header form a block of their own), with
// an index from section names and from key names to their first line, so a
// document of many sections is written and read in linear time. The index
// gives the same answers as scanning the lines would.

#include "KvIniSection.h"
#include "KvValueList.h"
#include "KvVector.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kv {

// The attributes of a font as they are stored (eight keys).
struct TKvFontRecord {
    std::string Name = "Arial";
    int32_t Charset = 1;
    int32_t Color = 0;
    int32_t Size = 10;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    friend bool operator==(const TKvFontRecord&, const TKvFontRecord&) = default;
};

// A line style as stored: visible flag, colour, pen-style ordinal, width.
struct TKvLineStyleRecord {
    bool Visible = true;
    int32_t Color = 0;
    int32_t Style = 0;
    int32_t Width = 1;
    friend bool operator==(const TKvLineStyleRecord&, const TKvLineStyleRecord&) = default;
};

enum class TKvWindowState : int32_t { WsNormal = 0, WsMinimized = 1, WsMaximized = 2 };

// A window's placement as stored: state and the normal bounds.
struct TKvFormPlacement {
    TKvWindowState State = TKvWindowState::WsNormal;
    int32_t Top = 0;
    int32_t Left = 0;
    int32_t Height = 300;
    int32_t Width = 400;
    friend bool operator==(const TKvFormPlacement&, const TKvFormPlacement&) = default;
};

struct TKvScreenSize {
    int32_t Width = 1920;
    int32_t Height = 1080;
};

class TKvIniList {
public:
    TKvIniList();
    ~TKvIniList() = default;
    TKvIniList(const TKvIniList& Other);
    TKvIniList& operator=(const TKvIniList& Other);
    TKvIniList(TKvIniList&& Other) noexcept;
    TKvIniList& operator=(TKvIniList&& Other) noexcept;

    bool Modified() const { return FModified; }

    // The lines themselves, gathered in document order when asked for; the
    // reference is valid until the next change of the document.
    const TKvStringList& Lines() const;
    int32_t LineCount() const;
    // Replaces all lines by the lines of Text (CR LF, CR or LF end a line;
    // a NUL ends the text). Does not touch Modified.
    void SetText(std::string_view Text);
    // All lines, each ended by CR LF.
    std::string Text() const;
    void ClearLines();
    // The bytes held for the text of the lines: chunks shared with copies
    // and the text of lines gone until it is dropped.
    size_t TextBytes() const { return FText.Bytes(); }

    bool SectionExists(std::string_view Section) const;
    void ReadSections(TKvStringList& List) const;
    void ReadSection(std::string_view Section, TKvStringList& List) const;
    void ReadSectionValues(std::string_view Section, TKvStringList& List) const;
    std::string ReadString(std::string_view Section, std::string_view Ident, std::string_view Default) const;
    // The value as a view into the line, or nothing when absent. The view is
    // valid until the next change of the document.
    std::optional<std::string_view> FindValue(std::string_view Section, std::string_view Ident) const;
    void WriteString(std::string_view Section, std::string_view Ident, std::string_view Value);
    void EraseSection(std::string_view Section);

    int32_t ReadInteger(std::string_view Section, std::string_view Ident, int32_t Default) const;
    void WriteInteger(std::string_view Section, std::string_view Ident, int32_t Value);
    bool ReadBool(std::string_view Section, std::string_view Ident, bool Default) const;
    void WriteBool(std::string_view Section, std::string_view Ident, bool Value);
    double ReadFloat(std::string_view Section, std::string_view Ident, double Default) const;
    void WriteFloat(std::string_view Section, std::string_view Ident, double Value);
    // Writes the value so that it reads back as the same double
    // (FloatToExactIniText): for what a file keeps to compute from.
    void WriteExactFloat(std::string_view Section, std::string_view Ident, double Value);

    // Reads exactly Values.size() numbers; raises EConvertError
    // "Error during integer extraction" when they are not there (Values is
    // then unchanged). An absent or empty value leaves Values unchanged.
    void ReadFloatArray(std::string_view Section, std::string_view Ident, std::span<double> Values) const;
    void WriteFloatArray(std::string_view Section, std::string_view Ident, std::span<const double> Values);
    void WriteExactFloatArray(std::string_view Section, std::string_view Ident, std::span<const double> Values);
    // Clears Vector, then appends one element per ";"-separated piece of
    // the value (KvValueList.h): an empty piece or one that does not
    // convert is a missing value in its place; Report, when given, gets the
    // unreadable ones. An absent or empty value gives an empty vector.
    void ReadVector(std::string_view Section, std::string_view Ident, TKvRealVector& Vector,
                    TKvReadVectorReport* Report = nullptr) const;
    // A missing value is written as an empty piece; the others exactly
    // (WriteExactFloatArray).
    void WriteVector(std::string_view Section, std::string_view Ident, const TKvRealVector& Vector);
    // Fills Values.size() integers; a short text repeats its last number.
    void ReadIntegerArray(std::string_view Section, std::string_view Ident, std::span<int32_t> Values) const;
    void WriteIntegerArray(std::string_view Section, std::string_view Ident, std::span<const int32_t> Values);

    void ReadFont(std::string_view Section, std::string_view Prefix, TKvFontRecord& Font) const;
    void WriteFont(std::string_view Section, std::string_view Prefix, const TKvFontRecord& Font);
    void ReadLineStyle(std::string_view Section, std::string_view Prefix, TKvLineStyleRecord& Style) const;
    void WriteLineStyle(std::string_view Section, std::string_view Prefix, const TKvLineStyleRecord& Style);
    void ReadFormPlacement(std::string_view Section, std::string_view Prefix, TKvFormPlacement& Placement,
                           const TKvScreenSize& Screen) const;
    void WriteFormPlacement(std::string_view Section, std::string_view Prefix, const TKvFormPlacement& Placement);
    void ReadFormPosition(std::string_view Section, std::string_view Prefix, TKvFormPlacement& Placement,
                          const TKvScreenSize& Screen) const;

protected:
    // Deletes the empty lines at the very beginning of the document.
    void DropLeadingEmptyLines();

private:
    using TSections = TKvIniSections;
    // The first section of each name, by the hash of its name (letters
    // without case); names of one hash share the entry's bucket.
    using TSectionIndex = std::unordered_multimap<uint64_t, TSections::iterator, TKvHashIsKey>;

    // The section's first block, or nullptr.
    TKvIniSection* FindSection(std::string_view Section) const;
    TSectionIndex::const_iterator FindIndexEntry(std::string_view Section) const;
    TKvIniSection& AppendSection(TKvIniLine Header);
    void IndexSection(TSections::iterator S);
    void RebuildIndex();
    void Changed() { FFlatValid = false; }
    // The plain line-by-line write, for key names the index cannot hold.
    void WriteStringByScan(std::string_view Section, std::string_view Ident, std::string NewLine);
    void SetLines(const TKvStringList& Lines);
    // Copies the lines to a fresh text store when most of the text is of
    // lines that left the document, so a list rewritten again and again
    // (a results list) keeps its size.
    void CompactText();
    void Clear();

    // The text of all lines, shared with copies of the list.
    TKvIniTextStore FText;
    TSections FSections; // the first block holds the lines before the first header
    TSectionIndex FSectionIndex;
    // The section found last, by its name as asked for: writers and readers
    // go through one section's keys one after the other.
    mutable TKvIniSection* FLastSection = nullptr;
    mutable std::string FLastName;
    mutable TKvStringList FFlat;
    mutable bool FFlatValid = false;
    bool FModified = false;
};

} // namespace kv
