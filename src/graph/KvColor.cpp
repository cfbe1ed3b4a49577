#include "KvColor.h"

#include <iterator>

#include <array>

namespace kv {

namespace {

// The classic desktop palette, so that documents made elsewhere keep
// their look: index = the low byte of a system colour.
constexpr std::array<uint32_t, 31> SystemPalette = {
    0xC8C8C8, // scroll bar
    0x000000, // background
    0x99B4D1, // active caption
    0xBFCDDB, // inactive caption
    0xF0F0F0, // menu
    0xFFFFFF, // window
    0x646464, // window frame
    0x000000, // menu text
    0x000000, // window text
    0x000000, // caption text
    0xB4B4B4, // active border
    0xF4F7FC, // inactive border
    0xABABAB, // application workspace
    0x0078D7, // highlight
    0xFFFFFF, // highlight text
    0xF0F0F0, // button face
    0xA0A0A0, // button shadow
    0x6D6D6D, // grey text
    0x000000, // button text
    0x000000, // inactive caption text
    0xFFFFFF, // button highlight
    0x696969, // 3D dark shadow
    0xE3E3E3, // 3D light
    0x000000, // info text
    0xFFFFE1, // info background
    0xB5B5B5, // 25 is not used by the desktop
    0x0066CC, // hot light
    0xB9D1EA, // gradient active caption
    0xD7E4F2, // gradient inactive caption
    0x3399FF, // menu highlight
    0xF0F0F0, // menu bar
};

} // namespace

TColor CurveColor(int Index)
{
    // 0x00BBGGRR: red, blue, green, magenta, orange, teal, brown, purple
    static constexpr TColor Palette[] = {clRed,    clBlue,   0x008000, 0xC000C0,
                                         0x0080FF, 0x808000, 0x204080, 0x800080};
    constexpr int Count = static_cast<int>(std::size(Palette));
    return Palette[((Index % Count) + Count) % Count];
}

bool IsSystemColor(TColor Color) { return (static_cast<uint32_t>(Color) & 0xFF000000u) == 0x80000000u; }

QColor ToQColor(TColor Color)
{
    const auto Value = static_cast<uint32_t>(Color);
    if (IsSystemColor(Color)) {
        const uint32_t Index = Value & 0xFFu;
        const uint32_t Rgb = Index < SystemPalette.size() ? SystemPalette[Index] : 0;
        return QColor(static_cast<int>((Rgb >> 16) & 0xFF), static_cast<int>((Rgb >> 8) & 0xFF),
                      static_cast<int>(Rgb & 0xFF));
    }
    return QColor(static_cast<int>(Value & 0xFF), static_cast<int>((Value >> 8) & 0xFF),
                  static_cast<int>((Value >> 16) & 0xFF));
}

TColor FromQColor(const QColor& Color)
{
    return static_cast<TColor>(static_cast<uint32_t>(Color.red()) | (static_cast<uint32_t>(Color.green()) << 8) |
                               (static_cast<uint32_t>(Color.blue()) << 16));
}

QFont ToQFont(const TKvFontRecord& Font)
{
    QFont Result(QString::fromStdString(Font.Name));
    Result.setPointSize(Font.Size > 0 ? Font.Size : 10);
    Result.setBold(Font.Bold);
    Result.setItalic(Font.Italic);
    Result.setUnderline(Font.Underline);
    Result.setStrikeOut(Font.StrikeOut);
    // Metrics must not depend on hinting differences between raster and
    // vector devices, or SVG and PDF exports would lay out differently.
    Result.setHintingPreference(QFont::PreferNoHinting);
    return Result;
}

} // namespace kv
