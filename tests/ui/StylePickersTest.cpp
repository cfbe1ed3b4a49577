#include "ui/widgets/KvColorPicker.h"
#include "ui/widgets/KvStyleCombos.h"

#include "foundation/KvLargeIniFile.h"

#include <QAbstractItemView>
#include <QColorDialog>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using namespace kv;

namespace {

TColor Rgb(int R, int G, int B) { return FromQColor(QColor(R, G, B)); }

// The palette window, fresh for each test, dropped down from a combo.
class ColorPicker : public testing::Test {
protected:
    TKvColorPickCombo Combo;
    TKvColorPickerForm* Form = nullptr;
    void SetUp() override
    {
        TKvColorPickerForm::FreeInstance();
        TKvColorPickerForm::SettingsFile().clear();
        Combo.show();
        Form = &TKvColorPickerForm::Instance();
    }
    void TearDown() override { TKvColorPickerForm::FreeInstance(); }
};

TEST_F(ColorPicker, PaletteLayoutAndColours)
{
    EXPECT_EQ(Form->size(), QSize(255, 177));
    struct TCase {
        int Button; // 1-based, row by row
        TColor Color;
    };
    for (const TCase& C : {TCase{1, Rgb(0, 0, 0)}, {9, Rgb(32, 32, 32)}, {2, Rgb(128, 128, 128)},
                           {50, Rgb(255, 255, 255)}, {3, Rgb(64, 0, 0)}, {21, Rgb(0, 0xC0, 0)},
                           {35, Rgb(255, 64, 64)}, {56, Rgb(255, 192, 255)}, {32, Rgb(255, 0, 255)}}) {
        SCOPED_TRACE(C.Button);
        const int i = C.Button - 1;
        EXPECT_EQ(TKvColorPickerForm::PaletteColor(i), C.Color);
        EXPECT_EQ(Form->PaletteButton(i)->geometry().topLeft(), QPoint(5 + 20 * (i % 8), 5 + 20 * (i / 8)));
    }
    EXPECT_EQ(Form->SystemButton(4)->toolTip(), "Button Face");
    EXPECT_EQ(Form->SystemButton(4)->geometry().topLeft(), QPoint(170, 25));
    EXPECT_EQ(Form->SystemButton(26)->toolTip(), "Window Text");
    EXPECT_EQ(Form->CustomButton()->geometry().topLeft(), QPoint(5, 150));
    EXPECT_EQ(Form->OtherButton()->geometry(), QRect(28, 150, 222, 20));
}

TEST_F(ColorPicker, DropDownPressesTheButtonOfTheColour)
{
    struct TCase {
        const char* Name;
        TColor Color;
        QAbstractButton* Expected;
    };
    for (const TCase& C : {TCase{"palette", Rgb(255, 64, 64), Form->PaletteButton(34)},
                           TCase{"system", clBtnFace, Form->SystemButton(4)},
                           TCase{"neither", Rgb(1, 2, 3), Form->CustomButton()}}) {
        SCOPED_TRACE(C.Name);
        Combo.SetActiveColor(C.Color);
        Combo.showPopup();
        EXPECT_TRUE(Form->isVisible());
        EXPECT_EQ(Form->PressedButton(), C.Expected);
        QTest::keyClick(Form, Qt::Key_Escape);
        EXPECT_FALSE(Form->isVisible());
    }
    EXPECT_EQ(Form->CustomColor(), Rgb(1, 2, 3));
}

TEST_F(ColorPicker, DropDownStaysOnTheScreen)
{
    const QRect Screen = Combo.screen()->availableGeometry();
    Combo.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    Combo.setGeometry(Screen.right() - 60, Screen.bottom() - 30, 50, 22);
    Combo.show();
    Combo.showPopup();
    const QRect Shown = Form->geometry();
    EXPECT_EQ(Shown.right(), Screen.right());
    EXPECT_EQ(Shown.bottom() + 1, Combo.mapToGlobal(QPoint(0, 0)).y());
    Combo.hidePopup();
    EXPECT_FALSE(Form->isVisible());
}

TEST_F(ColorPicker, ChoosingAColourReportsOnceAndClosesTheWindow)
{
    Combo.SetActiveColor(clBlack);
    QSignalSpy Changed(&Combo, &TKvColorPickCombo::OnChanged);
    Combo.SetActiveColor(clBlack);
    EXPECT_EQ(Changed.count(), 0);
    Combo.showPopup();
    Form->PaletteButton(34)->click();
    EXPECT_EQ(Combo.ActiveColor(), Rgb(255, 64, 64));
    EXPECT_EQ(Changed.count(), 1);
    EXPECT_FALSE(Form->isVisible());

    // The colour dialog: cancel changes nothing, a choice lands on the custom button.
    Combo.showPopup();
    Form->ChooseColor = [](QColor&) { return false; };
    Form->OtherButton()->click();
    EXPECT_EQ(Changed.count(), 1);
    Form->ChooseColor = [](QColor& C) {
        C = QColor(10, 20, 30);
        return true;
    };
    Form->OtherButton()->click();
    EXPECT_EQ(Combo.ActiveColor(), Rgb(10, 20, 30));
    EXPECT_EQ(Form->CustomColor(), Rgb(10, 20, 30));
    EXPECT_EQ(Changed.count(), 2);
}

TEST_F(ColorPicker, CustomColoursAreKeptInTheSettingsFile)
{
    const auto File = std::filesystem::temp_directory_path() / ("kurvex-picker-" + std::to_string(::getpid()) + ".usr");
    std::filesystem::remove(File);
    TKvColorPickerForm::FreeInstance();
    TKvColorPickerForm::SettingsFile() = File.string();
    TKvColorPickerForm::Instance();
    QColorDialog::setCustomColor(0, QColor(1, 2, 3));
    QColorDialog::setCustomColor(15, QColor(200, 100, 50));
    TKvColorPickerForm::FreeInstance();
    {
        TKvLargeIniFile Store(File.string());
        EXPECT_EQ(Store.ReadInteger("KvColorPicker", "ColorA", -1), Rgb(1, 2, 3));
        EXPECT_EQ(Store.ReadInteger("KvColorPicker", "ColorP", -1), Rgb(200, 100, 50));
    }
    QColorDialog::setCustomColor(0, Qt::white);
    TKvColorPickerForm::Instance();
    EXPECT_EQ(QColorDialog::customColor(0), QColor(1, 2, 3));
    TKvColorPickerForm::SettingsFile().clear();
    std::filesystem::remove(File);
}

TEST(ColorButton, SquareOfTheButtonsOwnColourStaysVisible)
{
    TKvColorBtn Button;
    const QColor Own = Button.palette().color(QPalette::Button);
    Button.SetSqareColor(FromQColor(Own));
    const QImage Glyph = Button.Glyph().toImage();
    EXPECT_EQ(Glyph.size(), QSize(14, 14));
    EXPECT_EQ(Glyph.pixelColor(6, 6), Own);
    // The surround is not transparent any more: the square stands out.
    Button.SetSqareColor(clRed);
    EXPECT_EQ(Button.Glyph().toImage().pixelColor(6, 6), QColor(255, 0, 0));
}

TEST(StyleCombos, ItemsAndTheSelectionRead)
{
    TKvLineStylesCombo Lines;
    TKvPointSymbolsCombo Points;
    EXPECT_EQ(Lines.count(), 5);
    EXPECT_EQ(Points.count(), 16);
    Lines.setCurrentIndex(-1);
    EXPECT_EQ(Lines.PenStyle(), TPenStyle::psSolid);
    EXPECT_EQ(Lines.currentIndex(), 0);
    Points.SetPointSymbol(TKvPointSymbol::SyNablaFilled);
    EXPECT_EQ(Points.PointSymbol(), TKvPointSymbol::SyNablaFilled);
    EXPECT_EQ(Lines.LineColor(), clRed);

    // A dash item draws a broken line in the chosen colour across the item.
    QImage Item(60, 18, QImage::Format_RGB32);
    QPainter P(&Item);
    Lines.SetLineColor(clBlue);
    Lines.SetBackgroundColor(clWhite);
    Lines.DrawItem(P, Item.rect(), static_cast<int>(TPenStyle::psDash));
    P.end();
    int Blue = 0;
    for (int x = 0; x < 60; ++x)
        Blue += Item.pixelColor(x, 9) == QColor(0, 0, 255);
    EXPECT_GT(Blue, 20);
    EXPECT_LT(Blue, 56);
    EXPECT_EQ(Item.pixelColor(1, 9), QColor(255, 255, 255));
}

} // namespace
