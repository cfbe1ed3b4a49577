#pragma once
// Colours are stored as 32-bit values: 0x00BBGGRR for RGB colours and
// 0x80000000 plus an index for the system colours of the desktop the
// documents come from. Painting resolves them to QColor here.

#include <QColor>
#include <QFont>

#include "foundation/KvIniList.h"

#include <cstdint>

namespace kv {

using TColor = int32_t;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clWindow = static_cast<TColor>(0x80000005u);
inline constexpr TColor clHighlight = static_cast<TColor>(0x8000000Du);
inline constexpr TColor clHighlightText = static_cast<TColor>(0x8000000Eu);
inline constexpr TColor clBtnFace = static_cast<TColor>(0x8000000Fu);

// The colours new calculated curves take in turn (Index 0, 1, ...): red
// first as always, then colours that are told apart at a glance and on
// paper.
TColor CurveColor(int Index);

bool IsSystemColor(TColor Color);
QColor ToQColor(TColor Color);
TColor FromQColor(const QColor& Color);

// The fonts of the graph engine are kept as their stored record (name,
// character set, colour, size in points, styles) and turned into a QFont
// only for measuring and painting.
QFont ToQFont(const TKvFontRecord& Font);

} // namespace kv
