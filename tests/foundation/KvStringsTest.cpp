#include "foundation/KvErrors.h"
#include "foundation/KvFormatSettings.h"
#include "foundation/KvStrings.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

using namespace kv;

namespace {

const TKvFormatSettings Comma{',', ';'};
const TKvFormatSettings Point{'.', ','};

struct FormatCase {
    double X;
    const char* Text;
};

class GeneralFormat : public testing::TestWithParam<FormatCase> {};

TEST_P(GeneralFormat, FloatToTextWithFourteenDigits)
{
    TKvScopedFormatSettings Locale(Point);
    EXPECT_EQ(FloatToText(GetParam().X), GetParam().Text);
}

INSTANTIATE_TEST_SUITE_P(Cases, GeneralFormat,
    testing::Values(FormatCase{0, "0"}, FormatCase{-0.0, "0"}, FormatCase{0.1, "0.1"}, FormatCase{2.5, "2.5"},
                    FormatCase{1200, "1200"}, FormatCase{-3e-5, "-3E-5"}, FormatCase{0.0001, "0.0001"},
                    FormatCase{0.00001, "1E-5"}, FormatCase{1.5e20, "1.5E20"}, FormatCase{1e14, "1E14"},
                    FormatCase{1e13, "10000000000000"}, FormatCase{1.0 / 3, "0.33333333333333"},
                    FormatCase{2.0 / 3, "0.66666666666667"}, FormatCase{123456789012344.0, "1.2345678901234E14"},
                    // An exact tie at the fifteenth digit goes away from zero, not to even.
                    FormatCase{123456789012345.0, "1.2345678901235E14"},
                    FormatCase{-123456789012345.0, "-1.2345678901235E14"},
                    FormatCase{-0.00012, "-0.00012"}, FormatCase{0.000012, "1.2E-5"},
                    FormatCase{99999999999999.5, "1E14"}, FormatCase{0.99999999999999999, "1"},
                    FormatCase{1e-300, "1E-300"}, FormatCase{1.7e308, "1.7E308"}, FormatCase{-1.7e308, "-1.7E308"},
                    FormatCase{5e-324, "4.9406564584125E-324"}, FormatCase{1e100, "1E100"},
                    FormatCase{std::numeric_limits<double>::infinity(), "INF"},
                    FormatCase{-std::numeric_limits<double>::infinity(), "-INF"},
                    FormatCase{std::numeric_limits<double>::quiet_NaN(), "NAN"}));

TEST(NumberText, SeparatorFollowsTheLocaleOnlyForDisplay)
{
    TKvScopedFormatSettings Locale(Comma);
    EXPECT_EQ(FloatToText(0.1), "0,1");
    EXPECT_EQ(FloatToText(-3e-5), "-3E-5");
    EXPECT_EQ(FloatToText(1.5e-20), "1,5E-20");
    EXPECT_EQ(FloatToIniText(0.1), "0.1");
    EXPECT_EQ(FloatToIniText(1.5e-20), "1.5E-20");
    EXPECT_EQ(PointToLocal("1.5+A*2.25"), "1,5+A*2,25");
    EXPECT_EQ(LocalToPoint("1,5+A*2,25"), "1.5+A*2.25");
    EXPECT_EQ(FloatToTextMaxLength(5, 3.14159), "3,142");
}

TEST(NumberText, PointLocaleLeavesSeparatorsAlone)
{
    TKvScopedFormatSettings Locale(Point);
    EXPECT_EQ(PointToLocal("1.5"), "1.5");
    EXPECT_EQ(LocalToPoint("1,5"), "1,5");
}

TEST(NumberText, MaxLengthLowersTheDigitsUntilTheTextFits)
{
    TKvScopedFormatSettings Locale(Point);
    EXPECT_EQ(FloatToTextMaxLength(5, 3.14159265), "3.142");
    EXPECT_EQ(FloatToTextMaxLength(8, 1.0 / 3), "0.333333");
    EXPECT_EQ(FloatToTextMaxLength(18, 0.1), "0.1");
    // Two digits is the least the format uses, so a tiny limit stays long.
    EXPECT_EQ(FloatToTextMaxLength(2, 1.0 / 3), "0.33");
    EXPECT_EQ(FloatToTextMaxLength(6, 1.5e-20), "1.5E-20");
}

TEST(NumberText, SeventeenDigitsRoundTripExactly)
{
    EXPECT_EQ(FloatToTextDigits(0.1, 17, '.'), "0.10000000000000001");
    EXPECT_EQ(FloatToTextDigits(0.1, 18, '.'), "0.100000000000000006");
    EXPECT_EQ(FloatToTextDigits(1.0, 99, '.'), "1");
}

TEST(NumberText, IniTextReadsBackToFourteenDigits)
{
    std::mt19937_64 Random(12345);
    std::uniform_real_distribution<double> Mantissa(-10, 10);
    std::uniform_int_distribution<int> Exponent(-300, 300);
    for (int i = 0; i < 20000; ++i) {
        const double X = std::ldexp(Mantissa(Random), Exponent(Random));
        std::string Text = FloatToIniText(X);
        const std::string Written = Text;
        const double Y = ExtractFloat(Text);
        ASSERT_TRUE(Text.empty()) << Written;
        ASSERT_LE(std::fabs(Y - X), std::fabs(X) * 5e-14) << Written;
        // The text of the read value is the same text: nothing drifts.
        ASSERT_EQ(FloatToIniText(Y), Written);
    }
}

// ---------------------------------------------------------------- exact file text

struct ExactCase {
    double X;
    const char* Text;
};

void PrintTo(const ExactCase& C, std::ostream* Os) { *Os << C.Text; }

class ExactFileText : public testing::TestWithParam<ExactCase> {};

// The text is the expected one and reads back to the very same bits.
TEST_P(ExactFileText, ShortestTextThatReadsBackBitForBit)
{
    const ExactCase& C = GetParam();
    EXPECT_EQ(FloatToExactIniText(C.X), C.Text);
    std::string Text = C.Text;
    const double Back = ExtractFloat(Text);
    EXPECT_TRUE(Text.empty());
    EXPECT_EQ(std::bit_cast<uint64_t>(Back), std::bit_cast<uint64_t>(C.X == 0 ? 0.0 : C.X)) << C.Text;
}

constexpr double Max = std::numeric_limits<double>::max();
constexpr double MinNormal = std::numeric_limits<double>::min();
constexpr double Tiny = std::numeric_limits<double>::denorm_min();

INSTANTIATE_TEST_SUITE_P(
    Cases, ExactFileText,
    testing::Values(
        // Up to 14 digits: the text of FloatToIniText, as files always had.
        ExactCase{0, "0"}, ExactCase{0.1, "0.1"}, ExactCase{-3e-5, "-3E-5"}, ExactCase{1200, "1200"},
        ExactCase{0.0001, "0.0001"}, ExactCase{1e14, "1E14"}, ExactCase{1e13, "10000000000000"},
        ExactCase{1.5e20, "1.5E20"}, ExactCase{1.7e308, "1.7E308"}, ExactCase{5.5, "5.5"},
        ExactCase{Tiny, "4.9406564584125E-324"}, ExactCase{-2 * Tiny, "-9.8813129168249E-324"},
        // Longer: the shortest digits that tell the double apart.
        ExactCase{1.0 / 3, "0.3333333333333333"}, ExactCase{2.0 / 3, "0.6666666666666666"},
        ExactCase{5.0 / 3, "1.6666666666666667"}, ExactCase{0.1 + 0.2, "0.30000000000000004"},
        ExactCase{1.23456789012345, "1.23456789012345"}, ExactCase{-1.2345678901234568e-5, "-1.2345678901234568E-5"},
        ExactCase{123456789012345.0, "123456789012345"}, ExactCase{9007199254740991.0, "9007199254740991"},
        ExactCase{9007199254740992.0, "9007199254740992"}, ExactCase{1e17 + 16, "1.0000000000000002E17"},
        ExactCase{1.2345678901234568e16, "12345678901234568"},
        ExactCase{1.2345678901234568e17, "1.2345678901234568E17"}, ExactCase{Max, "1.7976931348623157E308"},
        ExactCase{-Max, "-1.7976931348623157E308"}, ExactCase{MinNormal, "2.2250738585072014E-308"},
        // Subnormals near the normal range need all their digits too.
        ExactCase{MinNormal - Tiny, "2.225073858507201E-308"}, ExactCase{-(MinNormal / 3), "-7.41691286169067E-309"},
        // The sign of zero is not kept: it reads back equal.
        ExactCase{-0.0, "0"}));

// Any double is written as a text that reads back to its bits, and a double
// whose 14-digit text already does that keeps that text.
TEST(ExactFileText, EveryDoubleReadsBackAndShortOnesKeepTheirText)
{
    std::mt19937_64 Random(271828);
    int Longer = 0;
    for (int i = 0; i < 50000; ++i) {
        uint64_t Bits = Random();
        // Every other draw a short decimal, which the 14-digit text covers.
        if (i % 2)
            Bits = std::bit_cast<uint64_t>(static_cast<double>(static_cast<int64_t>(Bits >> 40) - (1 << 23)) / 1000);
        const double X = std::bit_cast<double>(Bits);
        if (!std::isfinite(X) || X == 0)
            continue;
        const std::string Text = FloatToExactIniText(X);
        std::string Rest = Text;
        ASSERT_EQ(std::bit_cast<uint64_t>(ExtractFloat(Rest)), Bits) << Text;
        ASSERT_TRUE(Rest.empty()) << Text;
        // At most a sign, 17 digits, the point and "E-" with three digits.
        ASSERT_LE(Text.size(), 24u) << Text;
        std::string Today = FloatToIniText(X);
        if (ExtractFloat(Today) == X)
            ASSERT_EQ(Text, FloatToIniText(X));
        else
            ++Longer;
    }
    EXPECT_GT(Longer, 10000);
}

// ---------------------------------------------------------------- extraction

struct ExtractCase {
    const char* Input;
    double Value;    // NaN: raises
    const char* Rest;
};

class FloatExtraction : public testing::TestWithParam<ExtractCase> {};

TEST_P(FloatExtraction, TakesTheFirstNumber)
{
    std::string S = GetParam().Input;
    if (std::isnan(GetParam().Value)) {
        try {
            ExtractFloat(S);
            FAIL() << "no error";
        } catch (const EConvertError& E) {
            EXPECT_STREQ(E.what(), "Error during integer extraction");
        }
    } else {
        EXPECT_EQ(ExtractFloat(S), GetParam().Value);
    }
    EXPECT_EQ(S, GetParam().Rest);
}

constexpr double Raises = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(Cases, FloatExtraction,
    testing::Values(ExtractCase{" 42", 42, ""}, ExtractCase{"abc", Raises, ""}, ExtractCase{"", Raises, ""},
                    ExtractCase{"1.5;2;-3", 1.5, "2;-3"}, ExtractCase{"-3E-5;1200", -3e-5, "1200"},
                    ExtractCase{"1.5;;x;2", 1.5, "2"}, ExtractCase{"+.5e1", 5, ""}, ExtractCase{"5.", 5, ""},
                    ExtractCase{"10.07E0 rest", 10.07, "est"}, ExtractCase{"1.5.3", 1.5, "3"},
                    ExtractCase{".", Raises, ""}, ExtractCase{"-", Raises, ""}, ExtractCase{"1E", Raises, ""},
                    ExtractCase{"1E+x;2", Raises, "2"}, ExtractCase{"E5;6", Raises, "5;6"},
                    ExtractCase{"1E999", Raises, ""}, ExtractCase{"-1E400;7", Raises, "7"},
                    ExtractCase{"1E-400", 0, ""}, ExtractCase{"0.000000000001E-320", 0, ""},
                    ExtractCase{"inf", Raises, ""}, ExtractCase{"-inf;1", Raises, "1"},
                    ExtractCase{"4.9406564584124654E-324", 5e-324, ""}));

class IntegerExtraction : public testing::TestWithParam<ExtractCase> {};

TEST_P(IntegerExtraction, TakesTheFirstInteger)
{
    std::string S = GetParam().Input;
    if (std::isnan(GetParam().Value))
        EXPECT_THROW(ExtractInteger(S), EConvertError);
    else
        EXPECT_EQ(ExtractInteger(S), GetParam().Value);
    EXPECT_EQ(S, GetParam().Rest);
}

INSTANTIATE_TEST_SUITE_P(Cases, IntegerExtraction,
    testing::Values(ExtractCase{"12abc", 12, "bc"}, ExtractCase{"1.5", 1, "5"},
                    // A number that fills the text stays there for the next call.
                    ExtractCase{"7", 7, "7"}, ExtractCase{" -7", -7, "-7"}, ExtractCase{"4;7", 4, "7"},
                    ExtractCase{"0x1F;2", 31, "2"}, ExtractCase{"0XfF", 255, "0XfF"},
                    ExtractCase{"2147483647", 2147483647, "2147483647"},
                    ExtractCase{"-2147483648", -2147483648.0, "-2147483648"},
                    ExtractCase{"2147483648", Raises, ""}, ExtractCase{"0x", Raises, ""},
                    ExtractCase{"abc", Raises, ""}, ExtractCase{"", Raises, ""}));

TEST(Extraction, LoopsUntilEmptyAlwaysAdvance)
{
    const char* Texts[] = {"1;2;x;3", "e;e;e", "----", "1e+;2e-;.;+", "0x;0x1g"};
    for (const char* T : Texts) {
        std::string S = T;
        int Calls = 0;
        while (!S.empty() && Calls < 100) {
            const size_t Before = S.size();
            try {
                ExtractFloat(S);
            } catch (const EConvertError&) {
            }
            ASSERT_LT(S.size(), Before) << T;
            ++Calls;
        }
    }
}

TEST(Extraction, ListExtractionEqualsRepeatedExtraction)
{
    // Random texts over the characters that matter for numbers.
    const char Alphabet[] = "0123456789.-+eE;; x\t";
    std::mt19937 Random(99);
    std::uniform_int_distribution<int> Pick(0, sizeof Alphabet - 2);
    std::uniform_int_distribution<int> Length(0, 40);
    for (int i = 0; i < 20000; ++i) {
        std::string Text;
        for (int n = Length(Random); n > 0; --n)
            Text += Alphabet[Pick(Random)];
        std::vector<double> Expected;
        std::string_view S = Text;
        while (!S.empty()) {
            try {
                Expected.push_back(ExtractFloat(S));
            } catch (const EConvertError&) {
            }
        }
        std::vector<double> Values;
        ExtractFloatList(Text, Values);
        ASSERT_EQ(Values, Expected) << Text;
    }
}

TEST(Extraction, IsNumberTakesTheWholeText)
{
    EXPECT_TRUE(IsNumber("  -1.5E3"));
    EXPECT_TRUE(IsNumber("42"));
    EXPECT_FALSE(IsNumber("42 "));
    EXPECT_FALSE(IsNumber("4,2"));
    EXPECT_FALSE(IsNumber(""));
    EXPECT_FALSE(IsNumber("1e"));
    EXPECT_FALSE(IsNumber("nan"));
}

TEST(Extraction, SkipToNumber)
{
    std::string S = "ab;  +x";
    SkipToNumber(S);
    EXPECT_EQ(S, "+x");
    S = "xyz";
    SkipToNumber(S);
    EXPECT_EQ(S, "");
    S = "Ee";
    SkipToNumber(S);
    EXPECT_EQ(S, "Ee");
}

// ---------------------------------------------------------------- names and tokens

TEST(ColumnNames, BijectiveBase26)
{
    const std::pair<int, const char*> Cases[] = {{0, ""}, {-3, ""}, {1, "A"}, {26, "Z"}, {27, "AA"}, {28, "AB"},
                                                 {52, "AZ"}, {53, "BA"}, {702, "ZZ"}, {703, "AAA"}};
    for (auto [N, Name] : Cases)
        EXPECT_EQ(ColumnName(N), Name) << N;
}

TEST(Tokens, RemoveSpacesKeepsOtherWhiteSpace)
{
    EXPECT_EQ(RemoveSpaces(" A + B\t*2 "), "A+B\t*2");
}

struct TokenCase {
    const char* Formula;
    char Letter;
    bool Contains;
    const char* Replaced;       // letter replaced by "XX"
    const char* ReplacedInCall; // the same, not before "("
};

class FormulaTokens : public testing::TestWithParam<TokenCase> {};

TEST_P(FormulaTokens, StandAloneLetters)
{
    const TokenCase& C = GetParam();
    EXPECT_EQ(ContainsVariable(C.Formula, C.Letter), C.Contains);
    EXPECT_EQ(ReplaceVariable(C.Formula, C.Letter, "XX"), C.Replaced);
    EXPECT_EQ(ReplaceVariableInFormula(C.Formula, C.Letter, "XX"), C.ReplacedInCall);
}

INSTANTIATE_TEST_SUITE_P(Cases, FormulaTokens,
    testing::Values(TokenCase{"SIN(A)*2", 'a', true, "SIN(XX)*2", "SIN(XX)*2"},
                    TokenCase{"TAN(X)", 'A', false, "TAN(X)", "TAN(X)"},
                    TokenCase{"a", 'A', true, "XX", "XX"}, TokenCase{"A", 'B', false, "A", "A"},
                    TokenCase{"A+B", 'a', true, "XX+B", "XX+B"}, TokenCase{"B-A", 'A', true, "B-XX", "B-XX"},
                    TokenCase{"A(2)+A", 'A', true, "XX(2)+XX", "A(2)+XX"},
                    TokenCase{"B*A(1)", 'A', true, "B*XX(1)", "B*A(1)"},
                    // Only operator characters delimit: blanks, commas and points do not.
                    TokenCase{"A ,B", 'B', false, "A ,B", "A ,B"}, TokenCase{"2.A", 'A', false, "2.A", "2.A"},
                    TokenCase{"( A)", 'A', false, "( A)", "( A)"}, TokenCase{"AB+BA", 'A', false, "AB+BA", "AB+BA"},
                    TokenCase{"a^a/a", 'A', true, "XX^XX/XX", "XX^XX/XX"},
                    TokenCase{"", 'A', false, "", ""}));

TEST(Tokens, LongReplacementNeverLandsInsideEarlierText)
{
    EXPECT_EQ(ReplaceVariable("Z+Z", 'Z', "ABCDEFGHIJ"), "ABCDEFGHIJ+ABCDEFGHIJ");
    // The replacement contains the letter itself; it is not replaced again.
    EXPECT_EQ(ReplaceVariable("A*A", 'A', "(A+1)"), "(A+1)*(A+1)");
}

} // namespace
