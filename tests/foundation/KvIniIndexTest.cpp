// The store's section and key index against a plain line list searched line
// by line: random documents (duplicate sections and keys, letters in either
// case, empty lines inside sections, lines without "=", headers that are
// never found) edited by random writes and erasures must give the same lines
// and the same answers.

#include "foundation/KvIniList.h"
#include "foundation/KvStrings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace kv;

namespace {

// The matching rules applied to a plain list of lines, one scan per lookup.
struct TScanModel {
    TKvStringList Lines;

    static bool IsHeader(const std::string& L) { return !L.empty() && L[0] == '['; }
    static bool IsKeyLine(const std::string& L, std::string_view Ident)
    {
        return L.size() > Ident.size() && L[Ident.size()] == '=' &&
               SameTextAscii(std::string_view(L).substr(0, Ident.size()), Ident);
    }
    size_t Section(std::string_view Name) const
    {
        for (size_t i = 0; i < Lines.size(); ++i)
            if (Lines[i].size() == Name.size() + 2 && Lines[i].front() == '[' && Lines[i].back() == ']' &&
                SameTextAscii(std::string_view(Lines[i]).substr(1, Name.size()), Name))
                return i;
        return Lines.size();
    }
    std::string Read(std::string_view Name, std::string_view Ident) const
    {
        for (size_t i = Section(Name) + 1; i < Lines.size() && !IsHeader(Lines[i]); ++i)
            if (IsKeyLine(Lines[i], Ident))
                return Lines[i].substr(Ident.size() + 1);
        return "<absent>";
    }
    void Write(std::string_view Name, std::string_view Ident, std::string_view Value)
    {
        std::string New = std::string(Ident) + "=" + std::string(Value);
        const size_t H = Section(Name);
        if (H == Lines.size()) {
            Lines.insert(Lines.end(), {"", "[" + std::string(Name) + "]", New});
            return;
        }
        for (size_t i = H + 1; i < Lines.size(); ++i) {
            if (IsKeyLine(Lines[i], Ident)) {
                Lines[i] = New;
                return;
            }
            if (Lines[i].empty() || IsHeader(Lines[i])) {
                Lines.insert(Lines.begin() + static_cast<std::ptrdiff_t>(i), New);
                return;
            }
        }
        Lines.push_back(New);
    }
    void Erase(std::string_view Name)
    {
        const size_t H = Section(Name);
        if (H == Lines.size())
            return;
        size_t End = H + 1;
        while (End < Lines.size() && !IsHeader(Lines[End]))
            ++End;
        Lines.erase(Lines.begin() + static_cast<std::ptrdiff_t>(H), Lines.begin() + static_cast<std::ptrdiff_t>(End));
    }
};

class TRandomDocument {
public:
    explicit TRandomDocument(unsigned Seed) : Random(Seed) {}

    std::string Pick(std::initializer_list<const char*> Items)
    {
        std::uniform_int_distribution<size_t> D(0, Items.size() - 1);
        return *(Items.begin() + static_cast<std::ptrdiff_t>(D(Random)));
    }
    std::string SectionName() { return Pick({"A", "a", "Graph(1)", "GRAPH(1)", "g", "", "x]y", "Table"}); }
    std::string KeyName() { return Pick({"K", "k", "Width", "WIDTH", "", "a=b", "[k", "Long.Key.Name(12)"}); }
    std::string Line()
    {
        switch (std::uniform_int_distribution<int>(0, 7)(Random)) {
        case 0: return "";
        case 1: return "[" + SectionName() + "]";
        case 2: return "[" + SectionName() + "] ";
        case 3: return "[" + SectionName();
        case 4: return "no equals";
        case 5: return "; comment=" + KeyName();
        default: return KeyName() + "=" + Pick({"1", "", " v ", "x=y"});
        }
    }
    // Large: a first section of more lines than a small section holds, so
    // its keys are found through the map.
    std::string Text(bool Large)
    {
        std::string T = Large ? "[A]\r\n" : "";
        for (int i = 0; Large && i < 70; ++i)
            T += (i % 9 == 8 ? std::string() : KeyName() + "=" + std::to_string(i)) + "\r\n";
        const int Count = std::uniform_int_distribution<int>(0, 30)(Random);
        for (int i = 0; i < Count; ++i)
            T += Line() + "\r\n";
        return T;
    }
    int Action() { return std::uniform_int_distribution<int>(0, 9)(Random); }

private:
    std::mt19937 Random;
};

// Random edits of a random document, each followed by a comparison of the
// lines and of one answer with the scanning model. LongValues writes values
// of up to 1,000 characters, so that the text of replaced and erased lines
// soon outweighs the rest and the store copies its lines to fresh text.
void EditLikeTheModel(unsigned Seed, int Steps, bool LongValues)
{
    TRandomDocument R(Seed);
    TKvIniList Store;
    TScanModel Model;
    const std::string Text = R.Text(Seed % 3 == 0);
    Store.SetText(Text);
    Model.Lines = Store.Lines();
    std::mt19937 Lengths(Seed);
    for (int Step = 0; Step < Steps; ++Step) {
        const std::string Section = R.SectionName();
        const std::string Key = R.KeyName();
        const int Action = R.Action();
        if (Action < 5) {
            std::string Value = "v" + std::to_string(Step);
            if (LongValues)
                Value.resize(std::uniform_int_distribution<size_t>(1, 1000)(Lengths), char('a' + Step % 26));
            Store.WriteString(Section, Key, Value);
            Model.Write(Section, Key, Value);
        } else if (Action < 6) {
            Store.EraseSection(Section);
            Model.Erase(Section);
        } else if (Action < 7) {
            // A copy carries its own index: edits of the copy go on from there.
            TKvIniList Copy(Store);
            Store = Copy;
        }
        ASSERT_EQ(Store.Lines(), Model.Lines) << "seed " << Seed << " step " << Step << " text\n" << Text;
        ASSERT_EQ(Store.ReadString(Section, Key, "<absent>"), Model.Read(Section, Key))
            << "seed " << Seed << " step " << Step;
        ASSERT_EQ(Store.SectionExists(Section), Model.Section(Section) < Model.Lines.size());
    }
    EXPECT_EQ(Store.LineCount(), static_cast<int32_t>(Model.Lines.size()));
    TKvIniList Reloaded;
    Reloaded.SetText(Store.Text());
    EXPECT_EQ(Reloaded.Lines(), Store.Lines()) << "seed " << Seed;
}

TEST(IniIndex, EditsGiveTheSameLinesAndAnswersAsScanning)
{
    for (unsigned Seed = 1; Seed <= 300; ++Seed)
        EditLikeTheModel(Seed, 60, false);
}

TEST(IniIndex, EditsWithLongValuesGiveTheSameLinesAndAnswersAsScanning)
{
    for (unsigned Seed = 1; Seed <= 40; ++Seed)
        EditLikeTheModel(Seed, 300, true);
}

// A section written to after later sections exist gets its keys before its
// empty line, and the keys that follow a key inserted so stay found.
TEST(IniIndex, KeysInsertedIntoAnEarlierSectionKeepTheOthersFound)
{
    TKvIniList Store;
    for (int i = 0; i < 50; ++i)
        Store.WriteInteger("First", "K" + std::to_string(i), i);
    Store.WriteInteger("Second", "X", 1);
    for (int i = 50; i < 100; ++i)
        Store.WriteInteger("First", "K" + std::to_string(i), i);
    Store.SetText(Store.Text() + "[first]\r\nK7=hidden\r\n");
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(Store.ReadInteger("FIRST", "k" + std::to_string(i), -1), i);
    EXPECT_EQ(Store.Lines()[102], ""); // after the leading empty line, the header and 100 keys
    EXPECT_EQ(Store.Lines()[103], "[Second]");
    Store.EraseSection("first");
    EXPECT_EQ(Store.ReadString("First", "K7", ""), "hidden"); // the duplicate is found once the first is gone
}

// A results list erased and written again on every calculation keeps the
// size of one generation of its text, and a copy taken along the way keeps
// its own lines while both are written.
TEST(IniIndex, RewrittenSectionsKeepTheTextSmallAndCopiesApart)
{
    TKvIniList Store;
    Store.WriteString("Kept", "Title", "first");
    TKvIniList Copy;
    std::string Copied;
    size_t OneGeneration = 0;
    for (int Round = 0; Round < 2000; ++Round) {
        Store.EraseSection("Results");
        for (int k = 0; k < 10; ++k)
            Store.WriteString("Results", "Key" + std::to_string(k), std::string(40, char('a' + Round % 26)));
        Store.WriteString("Kept", "Title", "round " + std::to_string(Round));
        if (Round == 0)
            OneGeneration = Store.Text().size();
        if (Round == 1000) {
            Copy = Store;
            Copied = Store.Text();
        }
        if (Round > 1000)
            Copy.WriteString("Results", "Key3", "copy " + std::to_string(Round));
    }
    EXPECT_LT(Store.TextBytes(), 8 * OneGeneration + 65536);
    EXPECT_EQ(Store.ReadString("Results", "Key9", ""), std::string(40, char('a' + 1999 % 26)));
    EXPECT_EQ(Store.ReadString("Kept", "Title", ""), "round 1999");
    EXPECT_EQ(Store.ReadString("Results", "Key3", ""), std::string(40, char('a' + 1999 % 26)));
    // The copy: as taken, but for its own key.
    const std::string Key3 = "Key3=" + std::string(40, char('a' + 1000 % 26));
    Copied.replace(Copied.find(Key3), Key3.size(), "Key3=copy 1999");
    EXPECT_EQ(Copy.Text(), Copied);
}

} // namespace
