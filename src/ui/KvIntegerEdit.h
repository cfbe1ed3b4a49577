#pragma once
// One-line edits for a whole number that never hold a value outside their
// range, checked on every keystroke like the float edit; the spin variant
// adds up and down buttons inside the right edge and the arrow keys.

#include <QLineEdit>
#include <QString>

#include <cstdint>
#include <memory>

class QToolButton;

namespace kv {

class TKvIntegerEdit : public QLineEdit {
    Q_OBJECT

public:
    static constexpr int DefaultMin = -2147483647;
    static constexpr int DefaultMax = 2147483647;

    explicit TKvIntegerEdit(QWidget* Parent = nullptr);

    int Value() const { return FValue; }
    // Limits X to the range and shows it in decimal.
    void SetValue(int64_t X);
    int MinValue() const { return FMinValue; }
    void SetMinValue(int X);
    int MaxValue() const { return FMaxValue; }
    void SetMaxValue(int X);

    int LengthLimit() const { return FLengthLimit; }
    QString LastCorrectText() const { return FLastText; }
    QString ValueText() const { return QString::number(FValue); }
    // What leaving the control does; focusOutEvent calls it.
    void DoExit();

signals:
    void OnChange();
    void OnExit();
    // Every refusal, besides the audible beep.
    void Beeped();

protected:
    void focusOutEvent(QFocusEvent* Event) override;

private:
    int FValue = 0;
    int FMinValue = DefaultMin;
    int FMaxValue = DefaultMax;
    int FLengthLimit = 0;
    QString FLastText;
    bool FShowing = false;
    bool FRestoring = false;

    void TextChanged(const QString& Text);
    int Limited(int64_t X, bool& WasLimited) const;
    void RangeChanged();
    void ShowValue();
    void Restore();
    void Beep();
};

// Reads Text as a whole as a decimal integer with optional sign; a number
// beyond 64 bits comes back as the extreme of its sign.
bool IntegerTextToValue(const QString& Text, int64_t& X);

class TKvSpinIntegerEdit : public TKvIntegerEdit {
    Q_OBJECT

public:
    explicit TKvSpinIntegerEdit(QWidget* Parent = nullptr);
    ~TKvSpinIntegerEdit() override;

    int Increment() const { return FIncrement; }
    void SetIncrement(int Increment) { FIncrement = Increment; }
    int BtnWidth() const { return FBtnWidth; }
    void SetBtnWidth(int Width);

    void StepUp();
    void StepDown();
    QToolButton* UpButton() const { return FUp.get(); }
    QToolButton* DownButton() const { return FDown.get(); }

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    int FIncrement = 1;
    int FBtnWidth = 15;
    std::unique_ptr<QToolButton> FUp;
    std::unique_ptr<QToolButton> FDown;

    void PlaceButtons();
};

} // namespace kv
