#pragma once
// Colour pickers: a combo box showing one colour that drops down the shared
// palette window, the palette window with its fixed colours, the desktop's
// system colours and one custom colour, and a flat button showing a
// colour square.

#include "graph/KvColor.h"

#include <QComboBox>
#include <QToolButton>
#include <QWidget>

#include <array>
#include <functional>
#include <string>
#include <vector>

class QButtonGroup;

namespace kv {

class TKvColorPickCombo;

class TKvColorPickerForm : public QWidget {
    Q_OBJECT

public:
    static constexpr int FormWidth = 255;
    static constexpr int FormHeight = 177;
    static constexpr int PaletteCount = 56;
    static constexpr int SystemCount = 27;

    // The one palette window, created hidden on first use.
    static TKvColorPickerForm& Instance();
    // Frees the palette window (it writes its custom colours then).
    static void FreeInstance();
    // The settings file that keeps the custom colours of the colour dialog
    // (section "KvColorPicker", keys "ColorA" to "ColorP"); empty keeps none.
    static std::string& SettingsFile();

    ~TKvColorPickerForm() override;

    // The colour of palette button i (0-based) and of system button i.
    static TColor PaletteColor(int i);
    static TColor SystemColor(int i);
    static QString SystemColorName(int i);

    // Presses the button of Color; a colour of neither table goes to the
    // custom button.
    void ShowColor(TColor Color);
    // The pressed button's colour, or nothing pressed.
    QAbstractButton* PressedButton() const;
    QToolButton* PaletteButton(int i) const { return FPalette[static_cast<size_t>(i)]; }
    QToolButton* SystemButton(int i) const { return FSystem[static_cast<size_t>(i)]; }
    QToolButton* CustomButton() const { return FCustom; }
    QToolButton* OtherButton() const { return FOther; }
    TColor CustomColor() const { return FCustomColor; }

    // Drops down below Combo (above it, or moved left, where the screen ends).
    void DropDown(TKvColorPickCombo& Combo);
    TKvColorPickCombo* Combo() const { return FCombo; }
    // Replaced by tests; opens the platform colour dialog, returns false on cancel.
    std::function<bool(QColor& Color)> ChooseColor;

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    bool event(QEvent* Event) override;
    void paintEvent(QPaintEvent* Event) override;

private:
    TKvColorPickerForm();
    QToolButton* AddButton(int X, int Y, TColor Color, const QString& Hint);
    void SetCustomColor(TColor Color);
    void ColorClicked(TColor Color);
    void OtherClicked();
    void LoadCustomColors();
    void SaveCustomColors() const;

    std::array<QToolButton*, PaletteCount> FPalette{};
    std::array<QToolButton*, SystemCount> FSystem{};
    QToolButton* FCustom = nullptr;
    QToolButton* FOther = nullptr;
    QButtonGroup* FGroup = nullptr;
    TColor FCustomColor = clWhite;
    TKvColorPickCombo* FCombo = nullptr;
    bool FDialogOpen = false;
};

class TKvColorPickCombo : public QComboBox {
    Q_OBJECT

public:
    explicit TKvColorPickCombo(QWidget* Parent = nullptr);

    TColor ActiveColor() const { return FActiveColor; }
    // A different colour is stored, reported and painted; the same does nothing.
    void SetActiveColor(TColor Color);
    TColor DropDnColor() const { return FDropDnColor; }
    void SetDropDnColor(TColor Color) { FDropDnColor = Color; }
    QString OtherBtnCaption() const { return FOtherBtnCaption; }
    void SetOtherBtnCaption(const QString& S) { FOtherBtnCaption = S; }

    void showPopup() override;
    void hidePopup() override;

signals:
    void OnChanged();

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    TColor FActiveColor = clBlack;
    TColor FDropDnColor = clBtnFace;
    QString FOtherBtnCaption = QStringLiteral("&Other colors...");
};

class TKvColorBtn : public QToolButton {
    Q_OBJECT

public:
    explicit TKvColorBtn(QWidget* Parent = nullptr);
    TColor SqareColor() const { return FSqareColor; }
    void SetSqareColor(TColor Color);
    // The 14 by 14 glyph: the square, or its inverse frame colour when the
    // square has the button's own colour.
    QPixmap Glyph() const;

private:
    TColor FSqareColor = clBlack;
};

} // namespace kv
