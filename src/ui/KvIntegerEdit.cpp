#include "KvIntegerEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QToolButton>

#include <algorithm>
#include <charconv>
#include <limits>
#include <string>

namespace kv {

bool IntegerTextToValue(const QString& Text, int64_t& X)
{
    const std::string S = Text.toStdString();
    size_t P = !S.empty() && (S[0] == '+' || S[0] == '-') ? 1 : 0;
    if (P == S.size() || S.find_first_not_of("0123456789", P) != std::string::npos)
        return false;
    const bool Negative = S[0] == '-';
    // from_chars reads a minus sign itself but no plus sign.
    const char* First = S.data() + (S[0] == '+' ? 1 : 0);
    const auto Result = std::from_chars(First, S.data() + S.size(), X);
    if (Result.ec == std::errc::result_out_of_range)
        X = Negative ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
    return true;
}

TKvIntegerEdit::TKvIntegerEdit(QWidget* Parent) : QLineEdit(Parent)
{
    connect(this, &QLineEdit::textChanged, this, &TKvIntegerEdit::TextChanged);
    RangeChanged();
}

void TKvIntegerEdit::SetValue(int64_t X)
{
    bool WasLimited = false;
    FValue = Limited(X, WasLimited);
    ShowValue();
}

void TKvIntegerEdit::SetMinValue(int X)
{
    FMinValue = X;
    RangeChanged();
}

void TKvIntegerEdit::SetMaxValue(int X)
{
    FMaxValue = X;
    RangeChanged();
}

void TKvIntegerEdit::DoExit()
{
    int64_t X = 0;
    if (!IntegerTextToValue(text(), X) || X != FValue)
        Beep();
    ShowValue();
    emit OnExit();
}

void TKvIntegerEdit::focusOutEvent(QFocusEvent* Event)
{
    QLineEdit::focusOutEvent(Event);
    DoExit();
}

void TKvIntegerEdit::TextChanged(const QString& Text)
{
    if (!FShowing)
        [&] {
            // A sign alone is the start of a number: the value waits for it.
            if (Text.isEmpty() || Text == QLatin1String("-") || Text == QLatin1String("+"))
                return;
            int64_t X = 0;
            if (!IntegerTextToValue(Text, X)) {
                Restore();
                return;
            }
            bool WasLimited = false;
            const int Y = Limited(X, WasLimited);
            if (WasLimited && Text.size() >= FLengthLimit) {
                Beep();
                ShowValue();
            }
            FValue = Y;
            FLastText = text();
        }();
    emit OnChange();
}

int TKvIntegerEdit::Limited(int64_t X, bool& WasLimited) const
{
    int64_t Y = X;
    if (FMinValue != FMaxValue)
        Y = std::clamp<int64_t>(Y, std::min(FMinValue, FMaxValue), FMaxValue < FMinValue ? FMinValue : FMaxValue);
    Y = std::clamp<int64_t>(Y, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    WasLimited = Y != X;
    return static_cast<int>(Y);
}

void TKvIntegerEdit::RangeChanged()
{
    const auto Length = [](int X) { return static_cast<int>(QString::number(X).size()); };
    FLengthLimit = std::max(Length(FMinValue), Length(FMaxValue));
    bool WasLimited = false;
    const int X = Limited(FValue, WasLimited);
    if (WasLimited) {
        FValue = X;
        ShowValue();
    }
}

void TKvIntegerEdit::ShowValue()
{
    FLastText = ValueText();
    FShowing = true;
    setText(FLastText);
    FShowing = false;
}

void TKvIntegerEdit::Restore()
{
    Beep();
    if (FRestoring) {
        ShowValue(); // the remembered text does not read either
        return;
    }
    FRestoring = true;
    setText(FLastText);
    FRestoring = false;
}

void TKvIntegerEdit::Beep()
{
    QApplication::beep();
    emit Beeped();
}

// ---------------------------------------------------------------- spin edit

TKvSpinIntegerEdit::TKvSpinIntegerEdit(QWidget* Parent)
    : TKvIntegerEdit(Parent), FUp(std::make_unique<QToolButton>(this)), FDown(std::make_unique<QToolButton>(this))
{
    for (QToolButton* Button : {FUp.get(), FDown.get()}) {
        Button->setAutoRepeat(true);
        Button->setFocusPolicy(Qt::NoFocus);
        Button->setCursor(Qt::ArrowCursor);
        Button->setIconSize(QSize(7, 7));
    }
    FUp->setArrowType(Qt::UpArrow);
    FDown->setArrowType(Qt::DownArrow);
    connect(FUp.get(), &QToolButton::clicked, this, &TKvSpinIntegerEdit::StepUp);
    connect(FDown.get(), &QToolButton::clicked, this, &TKvSpinIntegerEdit::StepDown);
    SetBtnWidth(FBtnWidth);
}

TKvSpinIntegerEdit::~TKvSpinIntegerEdit() = default;

void TKvSpinIntegerEdit::SetBtnWidth(int Width)
{
    FBtnWidth = std::max(Width, 0);
    // The text area ends where the buttons begin, so text never runs under them.
    setTextMargins(0, 0, FBtnWidth, 0);
    PlaceButtons();
}

void TKvSpinIntegerEdit::StepUp() { SetValue(static_cast<int64_t>(Value()) + FIncrement); }

void TKvSpinIntegerEdit::StepDown() { SetValue(static_cast<int64_t>(Value()) - FIncrement); }

void TKvSpinIntegerEdit::keyPressEvent(QKeyEvent* Event)
{
    if (Event->key() == Qt::Key_Up)
        StepUp();
    else if (Event->key() == Qt::Key_Down)
        StepDown();
    else
        TKvIntegerEdit::keyPressEvent(Event);
}

void TKvSpinIntegerEdit::resizeEvent(QResizeEvent* Event)
{
    TKvIntegerEdit::resizeEvent(Event);
    PlaceButtons();
}

void TKvSpinIntegerEdit::PlaceButtons()
{
    const int Frame = 1;
    const int Inner = height() - 2 * Frame;
    const int Upper = Inner / 2;
    const int Left = width() - Frame - FBtnWidth;
    FUp->setGeometry(Left, Frame, FBtnWidth, Upper);
    FDown->setGeometry(Left, Frame + Upper, FBtnWidth, Inner - Upper);
}

} // namespace kv
