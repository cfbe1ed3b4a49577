#include "KvFloatEdit.h"

#include "foundation/KvErrors.h"
#include "foundation/KvFormatSettings.h"
#include "foundation/KvStrings.h"

#include <QApplication>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace kv {

namespace {

bool IsDigit(QChar C) { return C >= QLatin1Char('0') && C <= QLatin1Char('9'); }

// Scans Text against the number grammar and reports how far it got.
struct TNumberScan {
    bool Valid = true;          // nothing outside the grammar was met
    bool MantissaDigit = false; // at least one digit before the exponent
    bool HasExponent = false;
    bool ExponentDigit = false;
};

TNumberScan ScanNumber(const QString& Text, QChar Separator)
{
    TNumberScan Scan;
    qsizetype P = 0;
    const qsizetype N = Text.size();
    auto SkipDigits = [&](bool& Seen) {
        while (P < N && IsDigit(Text[P]))
            ++P, Seen = true;
    };
    if (P < N && (Text[P] == QLatin1Char('+') || Text[P] == QLatin1Char('-')))
        ++P;
    SkipDigits(Scan.MantissaDigit);
    if (P < N && Text[P] == Separator) {
        ++P;
        SkipDigits(Scan.MantissaDigit);
    }
    if (P < N && Scan.MantissaDigit && (Text[P] == QLatin1Char('e') || Text[P] == QLatin1Char('E'))) {
        ++P;
        Scan.HasExponent = true;
        if (P < N && (Text[P] == QLatin1Char('+') || Text[P] == QLatin1Char('-')))
            ++P;
        SkipDigits(Scan.ExponentDigit);
    }
    Scan.Valid = P == N;
    return Scan;
}

// The decimal order of magnitude of a plain "." number text, for telling an
// overflow from an underflow when the conversion is out of range.
bool Overflows(const std::string& Point)
{
    const size_t E = Point.find_first_of("eE");
    const std::string Mantissa = Point.substr(0, E);
    int Exponent = 0;
    if (E != std::string::npos) {
        const char* First = Point.data() + E + 1;
        if (*First == '+')
            ++First;
        if (std::from_chars(First, Point.data() + Point.size(), Exponent).ec == std::errc::result_out_of_range)
            return *First != '-';
    }
    const size_t Dot = std::min(Mantissa.find('.'), Mantissa.size());
    const size_t FirstNonZero = Mantissa.find_first_of("123456789");
    if (FirstNonZero == std::string::npos)
        return false;
    const long Magnitude = FirstNonZero < Dot ? static_cast<long>(Dot - FirstNonZero) - 1
                                              : -static_cast<long>(FirstNonZero - Dot);
    return Magnitude + Exponent > 0;
}

} // namespace

bool IsCompleteNumberText(const QString& Text, QChar Separator)
{
    const TNumberScan Scan = ScanNumber(Text, Separator);
    return Scan.Valid && Scan.MantissaDigit && (!Scan.HasExponent || Scan.ExponentDigit);
}

bool IsNumberPrefixText(const QString& Text, QChar Separator) { return ScanNumber(Text, Separator).Valid; }

TKvFloatEdit::TKvFloatEdit(QWidget* Parent) : QLineEdit(Parent)
{
    connect(this, &QLineEdit::textChanged, this, &TKvFloatEdit::TextChanged);
    RangeChanged();
    ShowValue();
}

void TKvFloatEdit::SetValue(double X)
{
    if (std::isnan(X))
        throw EConvertError("Invalid floating point value for a number field");
    bool WasLimited = false;
    FValue = Limited(X, WasLimited);
    ShowValue();
}

void TKvFloatEdit::SetMinValue(double X)
{
    if (std::isnan(X))
        throw EConvertError("Invalid floating point value for a number field");
    FMinValue = X;
    RangeChanged();
}

void TKvFloatEdit::SetMaxValue(double X)
{
    if (std::isnan(X))
        throw EConvertError("Invalid floating point value for a number field");
    FMaxValue = X;
    RangeChanged();
}

void TKvFloatEdit::SetDigits(int Digits)
{
    FDigits = std::clamp(Digits, 0, 18);
    ShowValue();
}

QString TKvFloatEdit::ValueText() const
{
    if (!std::isfinite(FValue))
        return QStringLiteral("Error");
    return QString::fromStdString(FloatToTextMaxLength(FDigits, FValue));
}

void TKvFloatEdit::DoExit()
{
    double X = 0;
    if (text() != ValueText() && (!Convert(text(), X) || X != FValue))
        Beep();
    ShowValue();
    emit OnExit();
}

void TKvFloatEdit::focusOutEvent(QFocusEvent* Event)
{
    QLineEdit::focusOutEvent(Event);
    DoExit();
}

void TKvFloatEdit::TextChanged(const QString& Text)
{
    if (!FShowing)
        [&] {
            if (Text.isEmpty() || Text == QLatin1String("-") || Text == QLatin1String("+")) {
                FValue = 0;
                return;
            }
            double X = 0;
            if (!Convert(Text, X)) {
                // A number still being typed ("1e", ",") waits for its next key.
                if (!IsNumberPrefixText(Text, QLatin1Char(DecimalSeparator())))
                    Restore(FLastText);
                return;
            }
            bool WasLimited = false;
            X = Limited(X, WasLimited);
            if (WasLimited && Text.size() >= FLengthLimit) {
                Beep();
                ShowValue();
            }
            // A text that shows the current value keeps its full precision.
            if (Text != ValueText() || WasLimited)
                FValue = X;
            FLastText = text();
        }();
    emit OnChange();
}

bool TKvFloatEdit::Convert(const QString& Text, double& X) const
{
    const QChar Separator = QLatin1Char(DecimalSeparator());
    if (!IsCompleteNumberText(Text, Separator))
        return false;
    std::string Point = Text.toStdString();
    std::replace(Point.begin(), Point.end(), DecimalSeparator(), '.');
    const char* First = Point.data() + (Point.front() == '+' ? 1 : 0);
    double Parsed = 0;
    const auto Result = std::from_chars(First, Point.data() + Point.size(), Parsed);
    if (Result.ec == std::errc::result_out_of_range)
        Parsed = Overflows(Point) ? HUGE_VAL : 0.0;
    else if (Result.ec != std::errc())
        return false;
    X = Point.front() == '-' && Result.ec == std::errc::result_out_of_range ? -Parsed : Parsed;
    return true;
}

double TKvFloatEdit::Limited(double X, bool& WasLimited) const
{
    double Y = X;
    if (FMinValue != FMaxValue) {
        if (Y < FMinValue)
            Y = FMinValue;
        else if (!(Y <= FMaxValue))
            Y = FMaxValue;
    }
    // Infinities stay out even of a one-point range.
    Y = std::clamp(Y, DefaultMin, DefaultMax);
    WasLimited = Y != X;
    return Y;
}

void TKvFloatEdit::RangeChanged()
{
    const auto Length = [](double X) { return static_cast<int>(FloatToText(X).size()); };
    FLengthLimit = std::max(Length(FMinValue), Length(FMaxValue));
    bool WasLimited = false;
    const double X = Limited(FValue, WasLimited);
    if (WasLimited) {
        FValue = X;
        ShowValue();
    }
}

void TKvFloatEdit::ShowValue()
{
    FLastText = ValueText();
    FShowing = true;
    setText(FLastText);
    FShowing = false;
}

void TKvFloatEdit::Restore(const QString& Text)
{
    Beep();
    if (FRestoring) {
        // The remembered text no longer reads (the separator changed): show the value.
        ShowValue();
        return;
    }
    FRestoring = true;
    setText(Text);
    FRestoring = false;
}

void TKvFloatEdit::Beep()
{
    QApplication::beep();
    emit Beeped();
}

} // namespace kv
