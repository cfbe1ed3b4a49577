#include "ui/KvFloatEdit.h"
#include "ui/KvIntegerEdit.h"

#include "foundation/KvErrors.h"
#include "foundation/KvFormatSettings.h"

#include <QFocusEvent>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

using namespace kv;

namespace {

// One typing session: the edit starts at Initial (when given) with its
// whole text selected, the keys are typed, and the control is left.
struct TTypingCase {
    const char* Name;
    double Min;
    double Max;
    std::optional<double> Initial;
    const char* Keys;
    const char* Text;       // after typing
    double Value;           // after typing
    int Beeps;              // while typing
    const char* ExitText;   // after leaving
    int ExitBeeps;          // on leaving
    char Separator = '.';
};

template <class TEdit>
void RunTyping(TEdit& Edit, const TTypingCase& Case)
{
    TKvScopedFormatSettings Locale({Case.Separator, ';'});
    Edit.SetMinValue(static_cast<decltype(Edit.MinValue())>(Case.Min));
    Edit.SetMaxValue(static_cast<decltype(Edit.MaxValue())>(Case.Max));
    if (Case.Initial)
        Edit.SetValue(static_cast<decltype(Edit.Value())>(*Case.Initial));
    QSignalSpy Beeps(&Edit, &TEdit::Beeped);
    Edit.selectAll();
    QTest::keyClicks(&Edit, QString::fromLatin1(Case.Keys));
    EXPECT_EQ(Edit.text().toStdString(), Case.Text);
    EXPECT_EQ(Edit.Value(), Case.Value);
    EXPECT_EQ(Beeps.count(), Case.Beeps);
    Beeps.clear();
    QFocusEvent FocusOut(QEvent::FocusOut);
    QApplication::sendEvent(&Edit, &FocusOut);
    EXPECT_EQ(Edit.text().toStdString(), Case.ExitText);
    EXPECT_EQ(Beeps.count(), Case.ExitBeeps);
}

constexpr double FMin = TKvFloatEdit::DefaultMin;
constexpr double FMax = TKvFloatEdit::DefaultMax;

class FloatTyping : public testing::TestWithParam<TTypingCase> {};

TEST_P(FloatTyping, TextValueAndBeeps)
{
    TKvFloatEdit Edit;
    RunTyping(Edit, GetParam());
}

const TTypingCase FloatCases[] = {
    {"MinusAloneIsZero", FMin, FMax, 3.0, "-", "-", 0, 0, "0", 1},
    {"MinusThenDigit", FMin, FMax, 3.0, "-5", "-5", -5, 0, "-5", 0},
    {"LetterRestoresText", FMin, FMax, {}, "12a", "12", 12, 1, "12", 0},
    {"LetterAfterFraction", FMin, FMax, {}, "2.5x7", "2.57", 2.57, 1, "2.57", 0},
    {"ExponentTypedKeyByKey", FMin, FMax, {}, "1e5", "1e5", 1e5, 0, "100000", 0},
    {"NegativeExponent", FMin, FMax, {}, "25e-1", "25e-1", 2.5, 0, "2.5", 0},
    {"LeadingSeparator", FMin, FMax, {}, ".5", ".5", 0.5, 0, "0.5", 0},
    {"SeparatorAloneWaits", FMin, FMax, 4.0, ".", ".", 4, 0, "4", 1},
    {"SecondSeparatorRefused", FMin, FMax, {}, "1.2.3", "1.23", 1.23, 1, "1.23", 0},
    {"CommaLocale", FMin, FMax, {}, "1,5", "1,5", 1.5, 0, "1,5", 0, ','},
    {"PointRefusedUnderCommaLocale", FMin, FMax, {}, "1.5", "15", 15, 1, "15", 0, ','},
    {"AboveRangeShortText", 0, 100, {}, "15", "15", 15, 0, "15", 0},
    {"AboveRangeAtLengthLimit", 0, 100, {}, "150", "15", 100, 1, "100", 1},
    {"BelowRangeShorterThanLimit", 0, 100, {}, "-5", "-5", 0, 0, "0", 1},
    {"OneValueRangeIsNoRange", 5, 5, {}, "123", "123", 123, 0, "123", 0},
    {"OverflowBecomesMaximum", -1e300, 1e300, {}, "2e999", "2e999", 1e300, 0, "1E300", 1},
    {"UnderflowIsZero", FMin, FMax, {}, "1e-999", "1e-999", 0, 0, "0", 0},
    {"InfinityTextRefused", FMin, FMax, {}, "inf", "0", 0, 3, "0", 0},
    {"BlankRefused", FMin, FMax, {}, "1 ", "1", 1, 1, "1", 0},
};

INSTANTIATE_TEST_SUITE_P(NumericEdit, FloatTyping, testing::ValuesIn(FloatCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

class IntegerTyping : public testing::TestWithParam<TTypingCase> {};

TEST_P(IntegerTyping, TextValueAndBeeps)
{
    TKvIntegerEdit Edit;
    RunTyping(Edit, GetParam());
}

constexpr double IMin = TKvIntegerEdit::DefaultMin;
constexpr double IMax = TKvIntegerEdit::DefaultMax;

const TTypingCase IntegerCases[] = {
    // The refused keystroke shows the old value while the value is already
    // the limited one; leaving the control tells the user with a beep.
    {"SeventyInOneToFifty", 1, 50, {}, "70", "7", 50, 1, "50", 1},
    {"ZeroBelowRangeShort", 1, 50, {}, "0", "0", 1, 0, "1", 1},
    {"LetterRestoresText", IMin, IMax, {}, "4x2", "42", 42, 1, "42", 0},
    {"SignAloneKeepsValue", IMin, IMax, 9.0, "-", "-", 9, 0, "9", 1},
    {"NegativeNumber", IMin, IMax, {}, "-12", "-12", -12, 0, "-12", 0},
    {"PlusSign", IMin, IMax, {}, "+12", "+12", 12, 0, "12", 0},
    {"FractionRefused", IMin, IMax, {}, "3.5", "35", 35, 1, "35", 0},
    {"EveryKeyPastTheLimitRefused", -10, 10, {}, "99999", "10", 10, 3, "10", 0},
    {"WideRangeClampsLongText", IMin, IMax, {}, "999999999999", "2147483647", IMax, 2, "2147483647", 0},
    {"EmptyTextLeftBeeps", IMin, IMax, {}, "", "", 0, 0, "0", 1},
};

INSTANTIATE_TEST_SUITE_P(NumericEdit, IntegerTyping, testing::ValuesIn(IntegerCases),
                         [](const auto& Info) { return std::string(Info.param.Name); });

TEST(NumericEdit, PastedHugeIntegerIsRefusedButLimited)
{
    TKvIntegerEdit Edit;
    Edit.SetValue(3);
    QSignalSpy Beeps(&Edit, &TKvIntegerEdit::Beeped);
    Edit.setText(QStringLiteral("-99999999999999999999999"));
    EXPECT_EQ(Beeps.count(), 1);
    EXPECT_EQ(Edit.text(), QStringLiteral("3"));
    EXPECT_EQ(Edit.Value(), -2147483647);
    int64_t X = 0;
    ASSERT_TRUE(IntegerTextToValue(QStringLiteral("99999999999999999999"), X));
    EXPECT_EQ(X, std::numeric_limits<int64_t>::max());
    EXPECT_FALSE(IntegerTextToValue(QStringLiteral("12 "), X));
    EXPECT_FALSE(IntegerTextToValue(QStringLiteral("-"), X));
}

TEST(NumericEdit, FloatDefaults)
{
    TKvFloatEdit Edit;
    EXPECT_EQ(Edit.text(), QStringLiteral("0"));
    EXPECT_EQ(Edit.Value(), 0.0);
    EXPECT_EQ(Edit.MinValue(), -1.7e308);
    EXPECT_EQ(Edit.MaxValue(), 1.7e308);
    EXPECT_EQ(Edit.LengthLimit(), 8); // "-1.7E308"
}

TEST(NumericEdit, IntegerDefaults)
{
    TKvIntegerEdit Edit;
    EXPECT_TRUE(Edit.text().isEmpty());
    EXPECT_EQ(Edit.MinValue(), -2147483647);
    EXPECT_EQ(Edit.MaxValue(), 2147483647);
    EXPECT_EQ(Edit.LengthLimit(), 11);
    TKvSpinIntegerEdit Spin;
    EXPECT_EQ(Spin.Increment(), 1);
    EXPECT_EQ(Spin.BtnWidth(), 15);
}

TEST(NumericEdit, DigitsLimitTheShownLength)
{
    TKvFloatEdit Edit;
    Edit.SetDigits(7);
    Edit.SetValue(1.0 / 3.0);
    EXPECT_EQ(Edit.text(), QStringLiteral("0.33333"));
    Edit.SetDigits(40);
    EXPECT_EQ(Edit.Digits(), 18);
    Edit.SetDigits(-3);
    EXPECT_EQ(Edit.Digits(), 0);
}

TEST(NumericEdit, ValueIsShownWithTheLocaleSeparator)
{
    TKvScopedFormatSettings Comma({',', ';'});
    TKvFloatEdit Edit;
    Edit.SetValue(-2.25);
    EXPECT_EQ(Edit.text(), QStringLiteral("-2,25"));
    QSignalSpy Beeps(&Edit, &TKvFloatEdit::Beeped);
    Edit.DoExit();
    EXPECT_EQ(Beeps.count(), 0);
}

TEST(NumericEdit, ShownValueKeepsItsPrecisionThroughExit)
{
    TKvFloatEdit Edit;
    Edit.SetDigits(7);
    Edit.SetValue(1.0 / 3.0);
    QSignalSpy Beeps(&Edit, &TKvFloatEdit::Beeped);
    Edit.DoExit();
    EXPECT_EQ(Beeps.count(), 0);
    EXPECT_EQ(Edit.Value(), 1.0 / 3.0);
}

TEST(NumericEdit, SetValueIsLimitedAndNanRefused)
{
    TKvFloatEdit Float;
    Float.SetMinValue(-1);
    Float.SetMaxValue(1);
    Float.SetValue(5);
    EXPECT_EQ(Float.Value(), 1.0);
    Float.SetValue(-std::numeric_limits<double>::infinity());
    EXPECT_EQ(Float.Value(), -1.0);
    EXPECT_THROW(Float.SetValue(std::nan("")), EConvertError);
    EXPECT_THROW(Float.SetMaxValue(std::nan("")), EConvertError);
    EXPECT_EQ(Float.Value(), -1.0);

    TKvIntegerEdit Integer;
    Integer.SetMinValue(1);
    Integer.SetMaxValue(50);
    Integer.SetValue(-7);
    EXPECT_EQ(Integer.Value(), 1);
    EXPECT_EQ(Integer.text(), QStringLiteral("1"));
    Integer.SetValue(int64_t{1} << 40);
    EXPECT_EQ(Integer.text(), QStringLiteral("50"));
}

TEST(NumericEdit, NarrowingTheRangeLimitsTheValue)
{
    TKvIntegerEdit Edit;
    Edit.SetValue(80);
    Edit.SetMaxValue(50);
    EXPECT_EQ(Edit.Value(), 50);
    EXPECT_EQ(Edit.text(), QStringLiteral("50"));
    EXPECT_EQ(Edit.LengthLimit(), 11);
}

TEST(NumericEdit, OnChangeFollowsEveryTextChange)
{
    TKvFloatEdit Edit;
    QSignalSpy Changes(&Edit, &TKvFloatEdit::OnChange);
    Edit.SetValue(2);
    EXPECT_EQ(Changes.count(), 1);
    Edit.SetValue(2); // same text, no change
    EXPECT_EQ(Changes.count(), 1);
    Edit.selectAll();
    QTest::keyClicks(&Edit, QStringLiteral("3a"));
    EXPECT_GE(Changes.count(), 3); // "3", "3a", and the text put back
    EXPECT_EQ(Edit.Value(), 3.0);
}

TEST(NumericEdit, OnExitFiresOnFocusOut)
{
    TKvIntegerEdit Edit;
    QSignalSpy Exits(&Edit, &TKvIntegerEdit::OnExit);
    QFocusEvent FocusOut(QEvent::FocusOut);
    QApplication::sendEvent(&Edit, &FocusOut);
    EXPECT_EQ(Exits.count(), 1);
}

TEST(NumericEdit, SpinKeysAndButtonsStepWithinTheRange)
{
    TKvSpinIntegerEdit Edit;
    Edit.SetMinValue(0);
    Edit.SetMaxValue(10);
    Edit.SetIncrement(4);
    Edit.SetValue(5);
    QTest::keyClick(&Edit, Qt::Key_Up);
    EXPECT_EQ(Edit.Value(), 9);
    QTest::keyClick(&Edit, Qt::Key_Up);
    EXPECT_EQ(Edit.Value(), 10);
    QTest::keyClick(&Edit, Qt::Key_Up);
    EXPECT_EQ(Edit.Value(), 10);
    EXPECT_EQ(Edit.text(), QStringLiteral("10"));
    Edit.DownButton()->click();
    EXPECT_EQ(Edit.Value(), 6);
    QTest::keyClick(&Edit, Qt::Key_Down);
    QTest::keyClick(&Edit, Qt::Key_Down);
    EXPECT_EQ(Edit.Value(), 0);
    Edit.UpButton()->click();
    EXPECT_EQ(Edit.text(), QStringLiteral("4"));
}

TEST(NumericEdit, SpinAtTheIntegerLimitDoesNotWrap)
{
    TKvSpinIntegerEdit Edit;
    Edit.SetMinValue(std::numeric_limits<int>::min());
    Edit.SetMaxValue(std::numeric_limits<int>::max());
    Edit.SetIncrement(std::numeric_limits<int>::max());
    Edit.SetValue(std::numeric_limits<int>::max());
    Edit.StepUp();
    EXPECT_EQ(Edit.Value(), std::numeric_limits<int>::max());
}

TEST(NumericEdit, SpinButtonsSitInsideTheRightEdge)
{
    TKvSpinIntegerEdit Edit;
    Edit.SetBtnWidth(18);
    Edit.resize(120, 24);
    Edit.show();
    EXPECT_EQ(Edit.textMargins().right(), 18);
    const QRect Up = Edit.UpButton()->geometry();
    const QRect Down = Edit.DownButton()->geometry();
    EXPECT_EQ(Up.width(), 18);
    EXPECT_LE(Up.right(), Edit.width() - 1);
    EXPECT_GE(Up.left(), Edit.width() - 18 - 2);
    EXPECT_EQ(Down.top(), Up.bottom() + 1);
    EXPECT_LE(Down.bottom(), Edit.height() - 1);
}

TEST(NumericEdit, NumberTextGrammar)
{
    const QChar Point = QLatin1Char('.');
    for (const char* Complete : {"1", "-1", "+1.", ".5", "1e5", "1.5E-3", "007"})
        EXPECT_TRUE(IsCompleteNumberText(QString::fromLatin1(Complete), Point)) << Complete;
    for (const char* Prefix : {"", "-", ".", "-.", "1e", "1e-", "2.e+"})
        EXPECT_TRUE(IsNumberPrefixText(QString::fromLatin1(Prefix), Point) &&
                    !IsCompleteNumberText(QString::fromLatin1(Prefix), Point))
            << Prefix;
    for (const char* Wrong : {"e5", "1..", "--1", "1e5e", "nan", "1,5", "0x10", " 1"})
        EXPECT_FALSE(IsNumberPrefixText(QString::fromLatin1(Wrong), Point)) << Wrong;
}

} // namespace
