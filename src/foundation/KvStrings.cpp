#include "KvStrings.h"

#include "KvErrors.h"
#include "KvFormatSettings.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace kv {

// ---------------------------------------------------------------- number to text

namespace {

// The decimal digits of |X| rounded to Digits significant digits (a tie goes
// away from zero), without trailing zeros, and the exponent E with
// |X| = 0.d1d2...dn * 10^E.
struct TDecimalDigits {
    std::array<char, 24> Digit{};
    int Count = 0;
    int Exponent = 0;
};

// Scientific text "d.ddddde[+-]xx" of |X| into digits and exponent.
void ParseScientific(const char* First, const char* Last, TDecimalDigits& D)
{
    D.Count = 0;
    const char* P = First;
    for (; P != Last && *P != 'e'; ++P)
        if (*P != '.' && D.Count < static_cast<int>(D.Digit.size()))
            D.Digit[static_cast<size_t>(D.Count++)] = *P;
    int Exp = 0;
    if (P != Last)
        std::from_chars(P + 1 + (P[1] == '+'), Last, Exp);
    D.Exponent = Exp + 1;
}

void StripTrailingZeros(TDecimalDigits& D)
{
    while (D.Count > 1 && D.Digit[static_cast<size_t>(D.Count - 1)] == '0')
        --D.Count;
}

// Rounds up the first Count digits of D by one unit in the last place.
void RoundUp(TDecimalDigits& D)
{
    int i = D.Count - 1;
    while (i >= 0 && D.Digit[static_cast<size_t>(i)] == '9')
        D.Digit[static_cast<size_t>(i--)] = '0';
    if (i >= 0) {
        ++D.Digit[static_cast<size_t>(i)];
        return;
    }
    D.Digit[0] = '1';
    ++D.Exponent;
}

// When |X| lies exactly halfway between two numbers of Digits digits, sets D
// to the one away from zero and returns true.
bool RoundTieAway(double AbsX, int Digits, TDecimalDigits& D)
{
    // The exact decimal expansion of a double has at most 767 significant digits.
    static thread_local std::array<char, 1100> Exact;
    auto R = std::to_chars(Exact.data(), Exact.data() + Exact.size(), AbsX, std::chars_format::scientific, 780);
    const char* E = std::find(Exact.data(), R.ptr, 'e');
    // Mantissa text "d.ddd": digit k (1-based, k >= 2) sits at index k.
    const char* TieDigit = Exact.data() + Digits + 1;
    if (*TieDigit != '5' || !std::all_of(TieDigit + 1, E, [](char C) { return C == '0'; }))
        return false;
    ParseScientific(Exact.data(), R.ptr, D);
    D.Count = Digits;
    RoundUp(D);
    return true;
}

// Rounds |X| to Digits significant digits, a tie away from zero. The shortest
// round-trip digits are the answer whenever they are no longer than Digits
// and Digits <= 15 (a normal double is then far closer to them than half a
// unit of the last digit; a subnormal one is not). Otherwise to_chars rounds correctly, but breaks an exact
// tie to even, so ties are found from the exact expansion first.
TDecimalDigits RoundedDigits(double AbsX, int Digits)
{
    TDecimalDigits D;
    char Buf[40];
    auto Shortest = std::to_chars(Buf, Buf + sizeof Buf, AbsX, std::chars_format::scientific);
    ParseScientific(Buf, Shortest.ptr, D);
    if (D.Count <= Digits && Digits <= 15 && AbsX >= std::numeric_limits<double>::min()) {
        StripTrailingZeros(D);
        return D;
    }
    const bool MaybeTie = Digits >= 16 || (D.Count == Digits + 1 && D.Digit[static_cast<size_t>(Digits)] == '5');
    if (!MaybeTie || !RoundTieAway(AbsX, Digits, D)) {
        auto R = std::to_chars(Buf, Buf + sizeof Buf, AbsX, std::chars_format::scientific, Digits - 1);
        ParseScientific(Buf, R.ptr, D);
    }
    StripTrailingZeros(D);
    return D;
}

// Writes NAN, INF, -INF and zero (either sign, as "0") as the general format
// does and returns true; false for any other number.
bool AppendSpecial(std::string& Out, double X)
{
    if (std::isnan(X))
        Out += "NAN";
    else if (std::isinf(X))
        Out += X < 0 ? "-INF" : "INF";
    else if (X == 0)
        Out += '0';
    else
        return false;
    return true;
}

// Lays out the digits D of a number: plain while its exponent fits Digits
// (and the number is not below 1E-4), else the exponent form "d.dddE-x".
void AppendDigits(std::string& Out, bool Negative, const TDecimalDigits& D, int Digits, char Separator)
{
    if (Negative)
        Out += '-';
    const int E = D.Exponent;
    const char* Dg = D.Digit.data();
    if (E > Digits || E < -3) {
        Out += Dg[0];
        if (D.Count > 1) {
            Out += Separator;
            Out.append(Dg + 1, static_cast<size_t>(D.Count - 1));
        }
        Out += 'E';
        char ExpBuf[8];
        auto R = std::to_chars(ExpBuf, ExpBuf + sizeof ExpBuf, E - 1);
        Out.append(ExpBuf, R.ptr);
    } else if (E <= 0) {
        Out += '0';
        Out += Separator;
        Out.append(static_cast<size_t>(-E), '0');
        Out.append(Dg, static_cast<size_t>(D.Count));
    } else {
        const int IntDigits = std::min(E, D.Count);
        Out.append(Dg, static_cast<size_t>(IntDigits));
        if (E > D.Count)
            Out.append(static_cast<size_t>(E - D.Count), '0');
        if (D.Count > E) {
            Out += Separator;
            Out.append(Dg + E, static_cast<size_t>(D.Count - E));
        }
    }
}

void AppendGeneral(std::string& Out, double X, int Digits, char Separator)
{
    if (AppendSpecial(Out, X))
        return;
    Digits = std::clamp(Digits, 2, 18);
    AppendDigits(Out, X < 0, RoundedDigits(std::fabs(X), Digits), Digits, Separator);
}

// The most digits the general format writes by default; a double needs up
// to 17 to be told apart from its neighbours.
constexpr int IniDigits = 14;
constexpr int ExactDigits = 17;

void AppendExactIniText(std::string& Out, double X)
{
    if (AppendSpecial(Out, X))
        return;
    const double AbsX = std::fabs(X);
    if (AbsX < std::numeric_limits<double>::min()) {
        // A subnormal's 14-digit text, written so far, reads back to it
        // unless it lies near the normal range; keep that text where it does.
        const size_t Start = Out.size();
        AppendGeneral(Out, X, IniDigits, '.');
        double Back = 0;
        if (TryTextToFloat(std::string_view(Out).substr(Start), Back) && Back == X)
            return;
        Out.resize(Start);
    }
    char Buf[40];
    TDecimalDigits D;
    auto Shortest = std::to_chars(Buf, Buf + sizeof Buf, AbsX, std::chars_format::scientific);
    ParseScientific(Buf, Shortest.ptr, D);
    StripTrailingZeros(D);
    // Up to 14 digits these are the digits of the general format, so the
    // text is the one written before numbers were kept exactly.
    AppendDigits(Out, X < 0, D, D.Count <= IniDigits ? IniDigits : ExactDigits, '.');
}

} // namespace

std::string FloatToTextDigits(double X, int Digits, char Separator)
{
    std::string Out;
    AppendGeneral(Out, X, Digits, Separator);
    return Out;
}

std::string FloatToText(double X) { return FloatToTextDigits(X, 14, DecimalSeparator()); }

std::string FloatToIniText(double X) { return FloatToTextDigits(X, 14, '.'); }

void AppendFloatIniText(std::string& Out, double X) { AppendGeneral(Out, X, 14, '.'); }

std::string FloatToExactIniText(double X)
{
    std::string Out;
    AppendExactIniText(Out, X);
    return Out;
}

void AppendFloatExactIniText(std::string& Out, double X) { AppendExactIniText(Out, X); }

std::string FloatToTextMaxLength(int MaxLen, double X)
{
    int Digits = MaxLen;
    std::string Text = FloatToTextDigits(X, Digits, DecimalSeparator());
    while (static_cast<int>(Text.size()) > MaxLen && Digits > 0) {
        --Digits;
        Text = FloatToTextDigits(X, Digits, DecimalSeparator());
    }
    return Text;
}

// ---------------------------------------------------------------- text to number

namespace {

bool IsDigit(char C) { return C >= '0' && C <= '9'; }

bool StartsNumber(char C)
{
    return IsDigit(C) || C == '+' || C == '-' || C == '.' || C == 'E' || C == 'e';
}

// Scans a decimal number (sign, digits, fraction, exponent) at the front of
// S. Returns the length of the text that fits; Complete tells whether that
// text is a number on its own (an exponent needs a digit, the mantissa too).
size_t ScanFloat(std::string_view S, bool& Complete)
{
    size_t P = 0;
    const size_t N = S.size();
    if (P < N && (S[P] == '+' || S[P] == '-'))
        ++P;
    size_t MantissaDigits = 0;
    while (P < N && IsDigit(S[P]))
        ++P, ++MantissaDigits;
    if (P < N && S[P] == '.') {
        ++P;
        while (P < N && IsDigit(S[P]))
            ++P, ++MantissaDigits;
    }
    Complete = MantissaDigits > 0;
    if (Complete && P < N && (S[P] == 'E' || S[P] == 'e')) {
        ++P;
        if (P < N && (S[P] == '+' || S[P] == '-'))
            ++P;
        size_t ExpDigits = 0;
        while (P < N && IsDigit(S[P]))
            ++P, ++ExpDigits;
        Complete = ExpDigits > 0;
    }
    return P;
}

// The decimal magnitude M of a mantissa text, with its value about 0.d * 10^M.
long LeadingMagnitude(std::string_view Mantissa)
{
    long IntDigits = 0;
    long Zeros = 0;
    bool AfterPoint = false;
    for (char C : Mantissa) {
        if (C == '.') {
            AfterPoint = true;
        } else if (!AfterPoint) {
            if (IntDigits > 0 || C != '0')
                ++IntDigits;
        } else if (IntDigits == 0) {
            if (C != '0')
                break;
            ++Zeros;
        }
    }
    return IntDigits > 0 ? IntDigits : -Zeros;
}

// Converts a text that ScanFloat found complete. Values beyond the double
// range fail; values below it become zero.
bool ConvertFloat(std::string_view Text, double& Value)
{
    bool Negative = false;
    if (!Text.empty() && (Text[0] == '+' || Text[0] == '-')) {
        Negative = Text[0] == '-';
        Text.remove_prefix(1);
    }
    double V = 0;
    auto R = std::from_chars(Text.data(), Text.data() + Text.size(), V, std::chars_format::general);
    if (R.ec == std::errc::result_out_of_range) {
        const size_t E = Text.find_first_of("eE");
        long Exp = 0;
        if (E != std::string_view::npos) {
            std::string_view Digits = Text.substr(E + 1);
            const bool NegExp = !Digits.empty() && Digits[0] == '-';
            if (!Digits.empty() && (Digits[0] == '+' || Digits[0] == '-'))
                Digits.remove_prefix(1);
            for (char C : Digits)
                Exp = std::min(Exp * 10 + (C - '0'), 1000000L);
            if (NegExp)
                Exp = -Exp;
        }
        if (LeadingMagnitude(Text.substr(0, E)) + Exp > 0)
            return false;
        V = 0;
    } else if (R.ec != std::errc() || R.ptr != Text.data() + Text.size()) {
        return false;
    }
    Value = Negative ? -V : V;
    return true;
}

// Scans an integer (sign, decimal digits, or "0x" and hexadecimal digits).
size_t ScanInteger(std::string_view S, bool& Complete, bool& Hex)
{
    size_t P = 0;
    const size_t N = S.size();
    if (P < N && (S[P] == '+' || S[P] == '-'))
        ++P;
    Hex = P + 1 < N && S[P] == '0' && (S[P + 1] == 'x' || S[P + 1] == 'X');
    size_t Digits = 0;
    if (Hex) {
        P += 2;
        while (P < N && std::isxdigit(static_cast<unsigned char>(S[P])))
            ++P, ++Digits;
    } else {
        while (P < N && IsDigit(S[P]))
            ++P, ++Digits;
    }
    Complete = Digits > 0;
    return P;
}

bool ConvertInteger(std::string_view Text, bool Hex, int32_t& Value)
{
    const char* First = Text.data();
    const char* Last = First + Text.size();
    bool Negative = false;
    if (*First == '+' || *First == '-')
        Negative = *First++ == '-';
    if (Hex)
        First += 2;
    int64_t V = 0;
    auto R = std::from_chars(First, Last, V, Hex ? 16 : 10);
    if (R.ec != std::errc() || R.ptr != Last)
        return false;
    if (Negative)
        V = -V;
    if (V < INT32_MIN || V > INT32_MAX)
        return false;
    Value = static_cast<int32_t>(V);
    return true;
}

[[noreturn]] void RaiseExtractionError() { throw EConvertError(ExtractionErrorMessage); }

template <class TValue, class TScan, class TConvert>
TValue Extract(std::string_view& S, bool KeepWhole, bool SkipAfter, TScan Scan, TConvert Convert)
{
    SkipToNumber(S);
    bool Complete = false;
    bool Hex = false;
    const size_t Fit = Scan(S, Complete, Hex);
    TValue Value{};
    if (Fit == S.size()) {
        const bool Ok = Complete && Convert(S, Hex, Value);
        if (!Ok || !KeepWhole)
            S = {};
        if (!Ok)
            RaiseExtractionError();
        return Value;
    }
    // The number ends before the text does: remove it with the character
    // that stopped it, so a caller looping until S is empty always advances.
    const std::string_view Number = S.substr(0, Fit);
    S.remove_prefix(Fit + 1);
    if (SkipAfter)
        SkipToNumber(S);
    if (!Complete || !Convert(Number, Hex, Value))
        RaiseExtractionError();
    return Value;
}

} // namespace

void SkipToNumber(std::string_view& S)
{
    size_t P = 0;
    while (P < S.size() && !StartsNumber(S[P]))
        ++P;
    S.remove_prefix(P);
}

void SkipToNumber(std::string& S)
{
    std::string_view V = S;
    SkipToNumber(V);
    S.erase(0, S.size() - V.size());
}

namespace {

// The common case of a long value: a plain number followed by a separator.
// std::from_chars reads the same grammar apart from a leading "+", so it
// takes the number directly; every other case (a sign without digits, an
// exponent without digits, a value out of range) goes the careful way.
bool ExtractPlainFloat(std::string_view& S, double& Value)
{
    if (S.empty())
        return false;
    const char* First = S.data();
    const char* End = First + S.size();
    const char* Digits = First + (*First == '-');
    if (Digits == End || !(IsDigit(*Digits) || *Digits == '.'))
        return false;
    auto R = std::from_chars(First, End, Value, std::chars_format::general);
    if (R.ec != std::errc())
        return false;
    if (R.ptr == End) {
        S = {};
        return true;
    }
    if (*R.ptr == 'e' || *R.ptr == 'E')
        return false;
    S.remove_prefix(static_cast<size_t>(R.ptr - First) + 1);
    SkipToNumber(S);
    return true;
}

} // namespace

double ExtractFloat(std::string_view& S)
{
    SkipToNumber(S);
    double Value;
    if (ExtractPlainFloat(S, Value))
        return Value;
    return Extract<double>(
        S, false, true,
        [](std::string_view T, bool& Complete, bool& Hex) {
            Hex = false;
            return ScanFloat(T, Complete);
        },
        [](std::string_view T, bool, double& V) { return ConvertFloat(T, V); });
}

int32_t ExtractInteger(std::string_view& S)
{
    return Extract<int32_t>(
        S, true, false, [](std::string_view T, bool& Complete, bool& Hex) { return ScanInteger(T, Complete, Hex); },
        [](std::string_view T, bool Hex, int32_t& V) { return ConvertInteger(T, Hex, V); });
}

namespace {
// Runs a view-based extraction on a string and shortens the string to match,
// also when the extraction raises.
template <class TFunction>
auto ExtractFromString(std::string& S, TFunction Function)
{
    std::string_view V = S;
    try {
        auto Value = Function(V);
        S.erase(0, S.size() - V.size());
        return Value;
    } catch (...) {
        S.erase(0, S.size() - V.size());
        throw;
    }
}
} // namespace

double ExtractFloat(std::string& S)
{
    return ExtractFromString(S, [](std::string_view& V) { return ExtractFloat(V); });
}

int32_t ExtractInteger(std::string& S)
{
    return ExtractFromString(S, [](std::string_view& V) { return ExtractInteger(V); });
}

void ExtractFloatList(std::string_view Text, std::vector<double>& Values)
{
    // The loop of ExtractFloat calls with the plain case inlined: a list of
    // millions of numbers spends its time here.
    const char* P = Text.data();
    const char* End = P + Text.size();
    while (P < End) {
        while (P < End && !StartsNumber(*P))
            ++P;
        if (P == End)
            break;
        const char* Digits = P + (*P == '-');
        if (Digits < End && (IsDigit(*Digits) || *Digits == '.')) {
            double X;
            auto R = std::from_chars(P, End, X, std::chars_format::general);
            if (R.ec == std::errc() && (R.ptr == End || (*R.ptr != 'e' && *R.ptr != 'E'))) {
                Values.push_back(X);
                P = R.ptr == End ? End : R.ptr + 1;
                continue;
            }
        }
        std::string_view Rest(P, static_cast<size_t>(End - P));
        try {
            Values.push_back(ExtractFloat(Rest));
        } catch (const EConvertError&) {
            // the piece is dropped; the text has moved on
        }
        P = Rest.empty() ? End : Rest.data();
    }
}

bool TryTextToFloat(std::string_view S, double& Value)
{
    size_t P = 0;
    while (P < S.size() && S[P] == ' ')
        ++P;
    S.remove_prefix(P);
    bool Complete = false;
    if (S.empty() || ScanFloat(S, Complete) != S.size() || !Complete)
        return false;
    return ConvertFloat(S, Value);
}

bool IsNumber(std::string_view S)
{
    double Value = 0;
    return TryTextToFloat(S, Value);
}

// ---------------------------------------------------------------- separators and names

namespace {
std::string ReplaceChar(std::string_view S, char From, char To)
{
    std::string Out(S);
    if (From != To)
        std::replace(Out.begin(), Out.end(), From, To);
    return Out;
}
} // namespace

std::string PointToLocal(std::string_view S) { return ReplaceChar(S, '.', DecimalSeparator()); }

std::string LocalToPoint(std::string_view S) { return ReplaceChar(S, DecimalSeparator(), '.'); }

std::string RemoveSpaces(std::string_view S)
{
    std::string Out;
    Out.reserve(S.size());
    for (char C : S)
        if (C != ' ')
            Out += C;
    return Out;
}

std::string ColumnName(int N)
{
    std::string Name;
    while (N > 0) {
        --N;
        Name.insert(Name.begin(), static_cast<char>('A' + N % 26));
        N /= 26;
    }
    return Name;
}

char UpperAscii(char C) { return C >= 'a' && C <= 'z' ? static_cast<char>(C - 'a' + 'A') : C; }

std::string UpperCase(std::string_view S)
{
    std::string Out(S);
    for (char& C : Out)
        C = UpperAscii(C);
    return Out;
}

bool SameTextAscii(std::string_view A, std::string_view B)
{
    if (A.size() != B.size())
        return false;
    for (size_t i = 0; i < A.size(); ++i)
        if (UpperAscii(A[i]) != UpperAscii(B[i]))
            return false;
    return true;
}

// ---------------------------------------------------------------- formula tokens

bool IsOperatorChar(char C)
{
    return C == '(' || C == ')' || C == '*' || C == '+' || C == '-' || C == '/' || C == '^';
}

namespace {

// Whether the letter at 0-based index i of Formula stands alone. Formulas
// are stored without blanks, so only operator characters delimit a letter.
bool StandsAlone(std::string_view Formula, size_t i, bool ExcludeCalls)
{
    const size_t L = Formula.size();
    if (L == 1)
        return true;
    const bool HasNext = i + 1 < L;
    if (ExcludeCalls && HasNext && Formula[i + 1] == '(')
        return false;
    if (i == 0)
        return IsOperatorChar(Formula[1]);
    if (i == L - 1)
        return IsOperatorChar(Formula[L - 2]);
    return IsOperatorChar(Formula[i - 1]) && IsOperatorChar(Formula[i + 1]);
}

std::string ReplaceStandAlone(std::string_view Formula, char Letter, std::string_view Replacement, bool ExcludeCalls)
{
    const char U = UpperAscii(Letter);
    std::string Out;
    Out.reserve(Formula.size());
    for (size_t i = 0; i < Formula.size(); ++i) {
        if (UpperAscii(Formula[i]) == U && StandsAlone(Formula, i, ExcludeCalls))
            Out += Replacement;
        else
            Out += Formula[i];
    }
    return Out;
}

} // namespace

bool ContainsVariable(std::string_view Formula, char Letter)
{
    const char U = UpperAscii(Letter);
    for (size_t i = 0; i < Formula.size(); ++i)
        if (UpperAscii(Formula[i]) == U && StandsAlone(Formula, i, false))
            return true;
    return false;
}

std::string ReplaceVariable(std::string_view Formula, char Letter, std::string_view Replacement)
{
    return ReplaceStandAlone(Formula, Letter, Replacement, false);
}

std::string ReplaceVariableInFormula(std::string_view Formula, char Letter, std::string_view Replacement)
{
    return ReplaceStandAlone(Formula, Letter, Replacement, true);
}

} // namespace kv
