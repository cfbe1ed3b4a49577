// Text in the old metafile format's 8-bit code pages.

#include "metafile/KvWinText.h"

#include <gtest/gtest.h>

namespace kv {

TEST(WinText, SplitsIntoWindows1252AndSymbolRuns)
{
    struct TCase {
        QString Text;
        std::vector<std::pair<bool, std::string>> Runs; // symbol font, bytes
    };
    const TCase Cases[] = {
        {QStringLiteral("Time / s"), {{false, "Time / s"}}},
        {QStringLiteral("µm²±°"), {{false, "\xB5m\xB2\xB1\xB0"}}},
        {QStringLiteral("€–—“”™"), {{false, "\x80\x96\x97\x93\x94\x99"}}},
        {QStringLiteral("Δx/ω"), {{true, "D"}, {false, "x/"}, {true, "w"}}},
        {QStringLiteral("∞≤∫√∑"), {{true, "\xA5\xA3\xF2\xD6\xE5"}}},
        {QStringLiteral("Łódź"), {{false, "L\xF3" "dz"}}},
        {QStringLiteral("中\U0001F600"), {{false, "??"}}},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Text.toStdString());
        const std::vector<TKvAnsiRun> Runs = SplitAnsiRuns(C.Text);
        ASSERT_EQ(Runs.size(), C.Runs.size());
        int32_t Units = 0;
        for (size_t i = 0; i < Runs.size(); ++i) {
            EXPECT_EQ(Runs[i].Symbol, C.Runs[i].first);
            EXPECT_EQ(Runs[i].Bytes, C.Runs[i].second);
            EXPECT_EQ(Runs[i].From, Units);
            for (int32_t U : Runs[i].UnitsPerByte)
                Units += U;
        }
        EXPECT_EQ(Units, C.Text.size()) << "every UTF-16 unit is accounted for";
    }
}

TEST(WinText, UndefinedCodesAreNotProduced)
{
    for (char32_t C = 0; C < 0x3000; ++C) {
        const auto B = ToWindows1252(C);
        if (B) {
            EXPECT_FALSE(*B == 0x81 || *B == 0x8D || *B == 0x8F || *B == 0x90 || *B == 0x9D)
                << std::hex << static_cast<uint32_t>(C);
        }
    }
    EXPECT_FALSE(ToWindows1252(0x0080)) << "C1 controls are not Windows-1252 text";
}

} // namespace kv
