#include "KvColorPicker.h"

#include "foundation/KvErrors.h"
#include "foundation/KvLargeIniFile.h"

#include <QApplication>
#include <QButtonGroup>
#include <QColorDialog>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStyleOptionComboBox>
#include <QStylePainter>

#include <memory>

namespace kv {

namespace {

TColor Rgb(int R, int G, int B) { return FromQColor(QColor(R, G, B)); }

struct TSystemEntry {
    const char* Name;
    int Index; // the desktop's colour index
};

constexpr std::array<TSystemEntry, TKvColorPickerForm::SystemCount> SystemEntries = {{
    {"Active Border", 10}, {"Active Caption", 2}, {"Application Workspace", 12}, {"Background", 1},
    {"Button Face", 15}, {"Button Highlight", 20}, {"Button Shadow", 16}, {"ButtonText", 18},
    {"Caption Text", 9}, {"Gradient active Caption", 27}, {"Gradient inactive Caption", 28},
    {"Gray Text", 17}, {"Highlight", 13}, {"Highlight Text", 14}, {"Inactive Border", 11},
    {"Inactive Caption", 3}, {"Inactive Caption Text", 19}, {"Info Back", 24}, {"Info Text", 23},
    {"Menu", 4}, {"Menu Text", 7}, {"Scroll Bar", 0}, {"3D Shadow", 21}, {"3D Light", 22},
    {"Window", 5}, {"Window Frame", 6}, {"Window Text", 8},
}};

std::unique_ptr<TKvColorPickerForm>& Holder()
{
    static std::unique_ptr<TKvColorPickerForm> Form;
    return Form;
}

QPixmap ColorSquare(TColor Color, const QColor& Background)
{
    QPixmap Pixmap(14, 14);
    Pixmap.fill(Background);
    QPainter P(&Pixmap);
    P.setPen(QColor(128, 128, 128));
    P.setBrush(ToQColor(Color));
    P.drawRect(0, 0, 13, 13);
    return Pixmap;
}

} // namespace

// ---------------------------------------------------------------- palette window

std::string& TKvColorPickerForm::SettingsFile()
{
    static std::string File;
    return File;
}

TKvColorPickerForm& TKvColorPickerForm::Instance()
{
    auto& Form = Holder();
    if (!Form)
        Form.reset(new TKvColorPickerForm());
    return *Form;
}

void TKvColorPickerForm::FreeInstance() { Holder().reset(); }

TColor TKvColorPickerForm::PaletteColor(int i)
{
    const int Row = i / 8, Column = i % 8;
    static constexpr int Greys1[] = {0, 32, 48, 64, 80, 96, 112};
    static constexpr int Greys2[] = {128, 144, 160, 176, 192, 208, 255};
    if (Column == 0)
        return Rgb(Greys1[Row], Greys1[Row], Greys1[Row]);
    if (Column == 1)
        return Rgb(Greys2[Row], Greys2[Row], Greys2[Row]);
    // Rows 1 to 4 raise the full channels, rows 5 to 7 the others.
    static constexpr int Levels[] = {64, 128, 192, 255};
    const int Full = Row < 4 ? Levels[Row] : 255;
    const int Other = Row < 4 ? 0 : Levels[Row - 4];
    // red, yellow, green, cyan, blue, magenta
    static constexpr bool Channels[6][3] = {{1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 1, 1}, {0, 0, 1}, {1, 0, 1}};
    const bool* C = Channels[Column - 2];
    return Rgb(C[0] ? Full : Other, C[1] ? Full : Other, C[2] ? Full : Other);
}

TColor TKvColorPickerForm::SystemColor(int i)
{
    return static_cast<TColor>(0x80000000u | static_cast<uint32_t>(SystemEntries[static_cast<size_t>(i)].Index));
}

QString TKvColorPickerForm::SystemColorName(int i)
{
    return QString::fromLatin1(SystemEntries[static_cast<size_t>(i)].Name);
}

TKvColorPickerForm::TKvColorPickerForm()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setFixedSize(FormWidth, FormHeight);
    FGroup = new QButtonGroup(this);
    FGroup->setExclusive(true);
    for (int i = 0; i < PaletteCount; ++i)
        FPalette[static_cast<size_t>(i)] = AddButton(5 + 20 * (i % 8), 5 + 20 * (i / 8), PaletteColor(i), {});
    for (int i = 0; i < SystemCount; ++i)
        FSystem[static_cast<size_t>(i)] =
            AddButton(170 + 20 * (i % 4), 5 + 20 * (i / 4), SystemColor(i), SystemColorName(i));
    FCustom = AddButton(5, 150, FCustomColor, "Custom Color, from standard Windows Color Dialogue");
    FOther = new QToolButton(this);
    FOther->setAutoRaise(true);
    FOther->setGeometry(28, 150, FormWidth - 33, 20);
    FOther->setToolTip("Open standard Windows Color Dialogue");
    connect(FOther, &QToolButton::clicked, this, &TKvColorPickerForm::OtherClicked);
    ChooseColor = [this](QColor& Color) {
        const QColor Chosen = QColorDialog::getColor(Color, this, {}, {});
        if (!Chosen.isValid())
            return false;
        Color = Chosen;
        return true;
    };
    LoadCustomColors();
}

TKvColorPickerForm::~TKvColorPickerForm()
{
    try {
        SaveCustomColors();
    } catch (const EKvError&) {
        // The custom colours are a convenience; losing them must not stop the exit.
    }
}

QToolButton* TKvColorPickerForm::AddButton(int X, int Y, TColor Color, const QString& Hint)
{
    auto* B = new QToolButton(this);
    B->setGeometry(X, Y, 20, 20);
    B->setCheckable(true);
    B->setAutoRaise(true);
    B->setIcon(QIcon(ColorSquare(Color, Qt::transparent)));
    B->setToolTip(Hint);
    B->setProperty("KvColor", Color);
    FGroup->addButton(B);
    connect(B, &QToolButton::clicked, this, [this, B] { ColorClicked(B->property("KvColor").toInt()); });
    return B;
}

void TKvColorPickerForm::SetCustomColor(TColor Color)
{
    FCustomColor = Color;
    FCustom->setProperty("KvColor", Color);
    FCustom->setIcon(QIcon(ColorSquare(Color, Qt::transparent)));
}

void TKvColorPickerForm::ShowColor(TColor Color)
{
    for (QAbstractButton* B : FGroup->buttons())
        if (B != FCustom && B->property("KvColor").toInt() == Color) {
            B->setChecked(true);
            return;
        }
    SetCustomColor(Color);
    FCustom->setChecked(true);
}

QAbstractButton* TKvColorPickerForm::PressedButton() const { return FGroup->checkedButton(); }

void TKvColorPickerForm::DropDown(TKvColorPickCombo& Combo)
{
    FCombo = &Combo;
    FOther->setText(Combo.OtherBtnCaption());
    QPalette P = palette();
    P.setColor(QPalette::Window, ToQColor(Combo.DropDnColor()));
    setPalette(P);
    setAutoFillBackground(true);
    ShowColor(Combo.ActiveColor());
    // Below the combo; left where the screen ends, above where it has no room.
    const QRect Screen = Combo.screen() ? Combo.screen()->availableGeometry() : QRect(0, 0, 1 << 16, 1 << 16);
    QPoint At = Combo.mapToGlobal(QPoint(0, Combo.height()));
    if (At.x() + width() > Screen.right() + 1)
        At.setX(Screen.right() + 1 - width());
    if (At.y() + height() > Screen.bottom() + 1)
        At.setY(Combo.mapToGlobal(QPoint(0, 0)).y() - height());
    move(At);
    show();
    raise();
    activateWindow();
}

void TKvColorPickerForm::ColorClicked(TColor Color)
{
    TKvColorPickCombo* Target = FCombo;
    hide();
    FCombo = nullptr;
    if (Target)
        Target->SetActiveColor(Color);
}

void TKvColorPickerForm::OtherClicked()
{
    QColor Color = ToQColor(FCustomColor);
    FDialogOpen = true;
    const bool Chosen = ChooseColor && ChooseColor(Color);
    FDialogOpen = false;
    if (!Chosen)
        return;
    SetCustomColor(FromQColor(Color));
    FCustom->setChecked(true);
    ColorClicked(FCustomColor);
}

void TKvColorPickerForm::keyPressEvent(QKeyEvent* Event)
{
    if (Event->key() == Qt::Key_Escape) {
        hide();
        FCombo = nullptr;
        return;
    }
    QWidget::keyPressEvent(Event);
}

bool TKvColorPickerForm::event(QEvent* Event)
{
    if (Event->type() == QEvent::WindowDeactivate && !FDialogOpen && isVisible()) {
        hide();
        FCombo = nullptr;
    }
    return QWidget::event(Event);
}

void TKvColorPickerForm::paintEvent(QPaintEvent* Event)
{
    QWidget::paintEvent(Event);
    QPainter P(this);
    P.setPen(palette().color(QPalette::Dark));
    P.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TKvColorPickerForm::LoadCustomColors()
{
    if (SettingsFile().empty())
        return;
    try {
        TKvLargeIniFile Store(SettingsFile());
        for (int i = 0; i < QColorDialog::customCount() && i < 16; ++i) {
            const std::string Key = std::string("Color") + static_cast<char>('A' + i);
            const TColor C = Store.ReadInteger("KvColorPicker", Key, clWhite);
            QColorDialog::setCustomColor(i, ToQColor(C));
        }
        Store.Release();
    } catch (const EKvError&) {
        // An unreadable settings file leaves the dialog's own custom colours.
    }
}

void TKvColorPickerForm::SaveCustomColors() const
{
    if (SettingsFile().empty())
        return;
    TKvLargeIniFile Store(SettingsFile());
    for (int i = 0; i < QColorDialog::customCount() && i < 16; ++i) {
        const std::string Key = std::string("Color") + static_cast<char>('A' + i);
        Store.WriteInteger("KvColorPicker", Key, FromQColor(QColorDialog::customColor(i)));
    }
    Store.Release();
}

// ---------------------------------------------------------------- colour combo

TKvColorPickCombo::TKvColorPickCombo(QWidget* Parent) : QComboBox(Parent)
{
    addItem(QString());
    setFixedHeight(22);
}

void TKvColorPickCombo::SetActiveColor(TColor Color)
{
    if (Color == FActiveColor)
        return;
    FActiveColor = Color;
    update();
    emit OnChanged();
}

void TKvColorPickCombo::showPopup() { TKvColorPickerForm::Instance().DropDown(*this); }

void TKvColorPickCombo::hidePopup()
{
    TKvColorPickerForm& Form = TKvColorPickerForm::Instance();
    if (Form.Combo() == this)
        Form.hide();
}

void TKvColorPickCombo::paintEvent(QPaintEvent*)
{
    QStylePainter P(this);
    QStyleOptionComboBox Option;
    initStyleOption(&Option);
    P.drawComplexControl(QStyle::CC_ComboBox, Option);
    const QRect Field = style()->subControlRect(QStyle::CC_ComboBox, &Option, QStyle::SC_ComboBoxEditField, this);
    const int Inset = height() / 5;
    const QRect Square(Field.left() + Inset, Inset, Field.width() - 2 * Inset, height() - 2 * Inset);
    P.setPen(QColor(128, 128, 128));
    P.setBrush(ToQColor(FActiveColor));
    P.drawRect(Square);
}

// ---------------------------------------------------------------- colour button

TKvColorBtn::TKvColorBtn(QWidget* Parent) : QToolButton(Parent)
{
    setAutoRaise(true);
    setIconSize(QSize(14, 14));
    setIcon(QIcon(Glyph()));
}

void TKvColorBtn::SetSqareColor(TColor Color)
{
    if (Color == FSqareColor)
        return;
    FSqareColor = Color;
    setIcon(QIcon(Glyph()));
}

QPixmap TKvColorBtn::Glyph() const
{
    const QColor Own = palette().color(QPalette::Button);
    const QColor Square = ToQColor(FSqareColor);
    // A square of the button's own colour would vanish: its surround takes
    // the inverse colour instead of staying transparent.
    const QColor Surround = Square.rgb() == Own.rgb() ? QColor(255 - Own.red(), 255 - Own.green(), 255 - Own.blue())
                                                      : QColor(Qt::transparent);
    return ColorSquare(FSqareColor, Surround);
}

} // namespace kv
