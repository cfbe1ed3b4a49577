#include "KvAxisNumbers.h"

#include "foundation/KvFormatSettings.h"
#include "foundation/KvIniList.h"
#include "foundation/KvRange.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <span>

namespace kv {

namespace {

// The exponent part of a text in exponent notation ("d.ddde-05").
int32_t ExponentOf(const char* Text)
{
    const char* E = std::strchr(Text, 'e');
    return E ? std::atoi(E + 1) : 0;
}

double ParseDouble(const std::string& Text, double Fallback)
{
    double Value = 0;
    const auto [Ptr, Ec] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    if (Ec != std::errc() || !std::isfinite(Value))
        return Fallback;
    return Value;
}

} // namespace

int32_t RoundHalfEven(double X)
{
    const double R = std::nearbyint(X);
    if (!(R > -2147483648.0 && R < 2147483647.0))
        return R > 0 ? 2147483647 : -2147483647 - 1;
    return static_cast<int32_t>(R);
}

int32_t DecimalExponent(double X)
{
    if (X == 0 || !std::isfinite(X))
        return 0;
    // Sixteen digits: powers of ten such as 1e-7, whose binary form lies
    // just below the decade, keep the exponent of the decade.
    char Buffer[64];
    std::snprintf(Buffer, sizeof Buffer, "%.15e", X);
    return ExponentOf(Buffer);
}

double ShiftDecimal(int32_t A, double X)
{
    if (X == 0 || !std::isfinite(X))
        return X;
    // The 15-digit text is the number as the user sees it; moving its
    // exponent keeps 0.1-like steps exact where multiplying would not.
    char Buffer[64];
    std::snprintf(Buffer, sizeof Buffer, "%.14e", X);
    const char* E = std::strchr(Buffer, 'e');
    if (!E)
        return X;
    std::string Text(static_cast<const char*>(Buffer), E);
    Text += 'e';
    Text += std::to_string(static_cast<int64_t>(ExponentOf(Buffer)) - A);
    return ParseDouble(Text, X);
}

double PowerOfTen(int32_t N)
{
    if (N > 308)
        return KvMissing;
    // Below the normal doubles the text form underflows; pow gives the
    // subnormal value or 0 there.
    if (N < -307)
        return std::pow(10.0, N);
    return ParseDouble("1e" + std::to_string(N), KvMissing);
}

double Pow10(double X)
{
    if (X == 0)
        return 1;
    if (X == std::floor(X) && std::fabs(X) < 1000)
        return PowerOfTen(static_cast<int32_t>(X));
    const double R = std::pow(10.0, X);
    if (!std::isfinite(R) || R > KvMissing)
        return KvMissing;
    return R;
}

int32_t SignificantDigits(double X)
{
    if (X == 0 || !std::isfinite(X))
        return 0;
    char Buffer[64];
    std::snprintf(Buffer, sizeof Buffer, "%.14e", std::fabs(X));
    int32_t Count = 0, Last = 0;
    for (const char* P = Buffer; *P && *P != 'e'; ++P) {
        if (*P < '0' || *P > '9')
            continue;
        ++Count;
        if (*P != '0')
            Last = Count;
    }
    return Last;
}

double RoundUpToStep(int32_t A, double Step, double X)
{
    const double M = ShiftDecimal(A, X);
    const double Q = X > 0 ? std::trunc((M + Step - 0.001 * Step) / Step) : std::trunc((M - 1e-9) / Step);
    return ShiftDecimal(-A, Step * Q);
}

double RoundDownToStep(int32_t A, double Step, double X)
{
    const double M = ShiftDecimal(A, X);
    const double Q = X >= 0 ? std::trunc((M + 1e-9) / Step) : std::trunc((M - Step + 0.001 * Step) / Step);
    return ShiftDecimal(-A, Step * Q);
}

namespace {

double LogRound(double T, double B, double X, bool Up)
{
    const double D = std::log10(X / B);
    double G = std::floor(D);
    const double H = D - G;
    const double L = Up ? RoundUpToStep(0, T, std::pow(10.0, H)) : RoundDownToStep(0, T, std::pow(10.0, H));
    if (L >= 1.1)
        G += std::log10(L);
    return B * Pow10(G);
}

} // namespace

double LogRoundUp(double T, double B, double X) { return LogRound(T, B, X, true); }
double LogRoundDown(double T, double B, double X) { return LogRound(T, B, X, false); }

std::string FixedText(double X, int32_t Decimals)
{
    Decimals = std::clamp(Decimals, 0, 20);
    // Beyond 15 significant digits the digits are noise of the binary form:
    // round there first, then write the wanted decimals.
    char Buffer[400];
    std::snprintf(Buffer, sizeof Buffer, "%.14e", X);
    const double Clean = std::strtod(Buffer, nullptr);
    std::snprintf(Buffer, sizeof Buffer, "%.*f", static_cast<int>(Decimals), Clean);
    std::string Text = Buffer;
    // "-0.0" reads as zero to the user.
    if (!Text.empty() && Text[0] == '-' && Text.find_first_not_of("-0.") == std::string::npos)
        Text.erase(0, 1);
    for (char& C : Text)
        if (C == '.')
            C = DecimalSeparator();
    return Text;
}

std::string GeneralText(double X)
{
    char Buffer[64];
    std::snprintf(Buffer, sizeof Buffer, "%.15g", X);
    std::string Text = Buffer;
    for (char& C : Text)
        if (C == '.')
            C = DecimalSeparator();
    return Text;
}

TKvTickTables& TickTables()
{
    static TKvTickTables Tables;
    return Tables;
}

void LoadGraphScale(const TKvIniList& Settings)
{
    TKvTickTables& T = TickTables();
    const std::pair<const char*, TKvTickTable*> Keys[] = {
        {"RoundField", &T.Round}, {"TickField", &T.Tick}, {"MajorTickField", &T.MajorTick}, {"LabelsField", &T.Labels}};
    for (const auto& [Key, Table] : Keys) {
        try {
            const auto Value = Settings.FindValue("GraphScale", Key);
            if (!Value || Value->empty())
                continue;
            Settings.ReadFloatArray("GraphScale", Key, std::span<double>(Table->data(), Table->size()));
        } catch (const EKvError&) {
            // A damaged settings entry keeps the tables read so far.
        }
    }
}

} // namespace kv
