#pragma once
// A one-line edit for a floating-point number that never holds a value
// outside its range. Every keystroke is checked: a text that is no number
// is refused with a beep and the last correct text comes back; a number
// beyond the range is pulled to the nearer end, and refused when the text
// has already reached the length of the range's widest end.

#include <QLineEdit>
#include <QString>

namespace kv {

// The text of a number as the numeric edits read it: optional sign, digits
// with at most one decimal separator, optional exponent. IsNumberPrefix
// accepts the incomplete texts on the way to such a number ("1e", ".",
// "-,"), so that typing one character at a time is never refused.
bool IsCompleteNumberText(const QString& Text, QChar Separator);
bool IsNumberPrefixText(const QString& Text, QChar Separator);

class TKvFloatEdit : public QLineEdit {
    Q_OBJECT

public:
    static constexpr double DefaultMin = -1.7e308;
    static constexpr double DefaultMax = 1.7e308;

    explicit TKvFloatEdit(QWidget* Parent = nullptr);

    double Value() const { return FValue; }
    // Limits X to the range and shows it. NaN is refused (EConvertError).
    void SetValue(double X);
    double MinValue() const { return FMinValue; }
    void SetMinValue(double X);
    double MaxValue() const { return FMaxValue; }
    void SetMaxValue(double X);
    int Digits() const { return FDigits; }
    void SetDigits(int Digits);

    // The length a text may reach before an out-of-range number is refused.
    int LengthLimit() const { return FLengthLimit; }
    QString LastCorrectText() const { return FLastText; }

    // The text Value is shown with ("Error" when it cannot be written).
    QString ValueText() const;
    // What leaving the control does; focusOutEvent calls it.
    void DoExit();

signals:
    void OnChange();
    void OnExit();
    // Every refusal, besides the audible beep (tests and status lines).
    void Beeped();

protected:
    void focusOutEvent(QFocusEvent* Event) override;

private:
    double FValue = 0;
    double FMinValue = DefaultMin;
    double FMaxValue = DefaultMax;
    int FDigits = 14;
    int FLengthLimit = 0;
    QString FLastText;
    bool FShowing = false;   // the program itself writes the text
    bool FRestoring = false; // a refused text is being put back

    void TextChanged(const QString& Text);
    bool Convert(const QString& Text, double& X) const;
    double Limited(double X, bool& WasLimited) const;
    void RangeChanged();
    void ShowValue();
    void Restore(const QString& Text);
    void Beep();
};

} // namespace kv
