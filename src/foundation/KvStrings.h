#pragma once
// Number texts and formula-token helpers.
//
// Two number texts exist and must not be mixed up: the file text (always "."
// as decimal point, FloatToIniText/ExtractFloat) and the display text (the
// locale's decimal separator, FloatToText). Positions in texts are 1-based
// where a message or a caller shows them to the user.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

inline constexpr const char* ExtractionErrorMessage = "Error during integer extraction";

// Number to text, general format with 14 significant digits.
std::string FloatToText(double X);
std::string FloatToIniText(double X);
std::string FloatToTextMaxLength(int MaxLen, double X);
// The general format with Digits significant digits (clamped to 2..18) and
// the given decimal separator.
std::string FloatToTextDigits(double X, int Digits, char Separator);
// Appends FloatToIniText(X) to Out without a temporary string.
void AppendFloatIniText(std::string& Out, double X);
// The file text of a number that must read back as the same double (table
// values, what a calculation continues from): the shortest such digits, at
// most 17, "." as decimal point. A number of up to 14 significant digits
// gets exactly the text of FloatToIniText; longer ones are plain up to 17
// integer digits, else in the exponent form, as there. A negative zero is
// written "0" as before: it reads back equal (==), not with its sign.
std::string FloatToExactIniText(double X);
void AppendFloatExactIniText(std::string& Out, double X);

// Text to number. The string forms shorten S as the extraction goes on; the
// string_view forms do the same on a view (no copying, for long values).
void SkipToNumber(std::string& S);
void SkipToNumber(std::string_view& S);
double ExtractFloat(std::string& S);
double ExtractFloat(std::string_view& S);
int32_t ExtractInteger(std::string& S);
int32_t ExtractInteger(std::string_view& S);
bool IsNumber(std::string_view S);
// Appends every number of a list such as a "Data" value to Values, as
// repeated ExtractFloat calls would, skipping the pieces that fail.
void ExtractFloatList(std::string_view Text, std::vector<double>& Values);

// Reads S as a whole as a decimal number with "." (leading blanks allowed,
// nothing after it). Returns false when it is not such a number.
bool TryTextToFloat(std::string_view S, double& Value);

// Separator conversion between the file text and the display text.
std::string PointToLocal(std::string_view S);
std::string LocalToPoint(std::string_view S);

std::string RemoveSpaces(std::string_view S);
std::string ColumnName(int N);

// Formula tokens: single letters that stand alone between operator
// characters "(", ")", "*", "+", "-", "/", "^".
bool IsOperatorChar(char C);
bool ContainsVariable(std::string_view Formula, char Letter);
std::string ReplaceVariable(std::string_view Formula, char Letter, std::string_view Replacement);
std::string ReplaceVariableInFormula(std::string_view Formula, char Letter, std::string_view Replacement);

// ASCII upper-casing (letters a to z only), as the INI matching rules need.
char UpperAscii(char C);
std::string UpperCase(std::string_view S);
bool SameTextAscii(std::string_view A, std::string_view B);

} // namespace kv
