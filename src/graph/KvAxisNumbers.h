#pragma once
// Decimal arithmetic on the text form of doubles for axis scaling, so
// that steps such as 0.1 stay exact, and the tick tables.

#include <array>
#include <cstdint>
#include <string>

namespace kv {

int32_t DecimalExponent(double X);
double ShiftDecimal(int32_t A, double X);
double PowerOfTen(int32_t N);
double Pow10(double X);
int32_t SignificantDigits(double X);
double RoundUpToStep(int32_t A, double Step, double X);
double RoundDownToStep(int32_t A, double Step, double X);
double LogRoundUp(double T, double B, double X);
double LogRoundDown(double T, double B, double X);
// Round to the nearest integer, halves to even.
int32_t RoundHalfEven(double X);

// Fixed-point text with Decimals decimals (at most 15 significant digits),
// the locale's decimal separator and no thousands separators.
std::string FixedText(double X, int32_t Decimals);
// The shortest general text of X with up to 15 significant digits.
std::string GeneralText(double X);

using TKvTickTable = std::array<double, 10>;

struct TKvTickTables {
    TKvTickTable Round = {0.1, 0.25, 0.5, 0.5, 0.5, 0.5, 1, 1, 1, 1};
    TKvTickTable Tick = {0.02, 0.05, 0.1, 0.1, 0.1, 0.1, 0.2, 0.2, 0.2, 0.2};
    TKvTickTable MajorTick = {0.1, 0.25, 0.5, 0.5, 0.5, 0.5, 1, 1, 1, 1};
    TKvTickTable Labels = {0.2, 0.5, 1, 1, 1, 1, 2, 2, 2, 2};
};

// The global tables every axis reads.
TKvTickTables& TickTables();

class TKvIniList;
// Replaces the tables from the "GraphScale" section of the settings file:
// a present, non-empty key fills all ten entries; errors are ignored.
void LoadGraphScale(const TKvIniList& Settings);

} // namespace kv
