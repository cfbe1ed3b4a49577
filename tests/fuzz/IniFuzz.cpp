// Fuzzes the INI reader and the number extraction: any input must load,
// answer every lookup, write back and extract numbers without crashing,
// and every extraction loop must make progress.

#include "foundation/KvErrors.h"
#include "foundation/KvIniList.h"
#include "foundation/KvStrings.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace kv;

namespace {

void Check(bool Condition)
{
    if (!Condition)
        std::abort();
}

void ExtractAll(std::string_view Text)
{
    std::string_view S = Text;
    while (!S.empty()) {
        const size_t Before = S.size();
        try {
            const double X = ExtractFloat(S);
            if (std::isfinite(X)) {
                std::string Written = FloatToIniText(X);
                const double Y = ExtractFloat(Written);
                Check(Written.empty() && std::fabs(Y - X) <= std::fabs(X) * 1e-13);
            }
        } catch (const EConvertError&) {
        }
        Check(S.size() < Before);
    }
    // The one-loop list extraction takes the same numbers as the calls.
    std::vector<double> Expected, Listed;
    S = Text;
    while (!S.empty()) {
        try {
            Expected.push_back(ExtractFloat(S));
        } catch (const EConvertError&) {
        }
    }
    ExtractFloatList(Text, Listed);
    Check(Listed.size() == Expected.size());
    for (size_t i = 0; i < Listed.size(); ++i)
        Check(Listed[i] == Expected[i] || (std::isnan(Listed[i]) && std::isnan(Expected[i])));
    S = Text;
    for (int i = 0; i < 64 && !S.empty(); ++i) {
        try {
            ExtractInteger(S);
        } catch (const EConvertError&) {
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    const std::string_view Input(reinterpret_cast<const char*>(Data), Size);
    ExtractAll(Input);

    TKvIniList Ini;
    Ini.SetText(Input);
    TKvStringList Sections, Keys;
    Ini.ReadSections(Sections);
    for (size_t i = 0; i < Sections.size() && i < 16; ++i) {
        Ini.ReadSection(Sections[i], Keys);
        for (size_t k = 0; k < Keys.size() && k < 16; ++k) {
            (void)Ini.ReadString(Sections[i], Keys[k], "");
            (void)Ini.ReadInteger(Sections[i], Keys[k], 0);
            (void)Ini.ReadFloat(Sections[i], Keys[k], 0);
            TKvRealVector V;
            Ini.ReadVector(Sections[i], Keys[k], V);
            // Every piece keeps its row: one element per ";"-separated piece.
            const std::string Value = Ini.ReadString(Sections[i], Keys[k], "");
            Check(V.Count() == (Value.empty() ? 0 : 1 + std::count(Value.begin(), Value.end(), ';')));
        }
    }
    // Writing back and reading again gives the same lines.
    TKvIniList Again;
    Again.SetText(Ini.Text());
    Check(Again.Lines() == Ini.Lines());
    Ini.WriteString("Fuzz", "Key", Input.substr(0, 32));
    Check(Ini.ReadString("Fuzz", "Key", "?").size() <= 32);
    Ini.EraseSection("Fuzz");
    return 0;
}
