#pragma once
// The caption markup and its rendering. A caption is plain text in which
// escapes switch the symbol font (\s), bold (\b), italic (\i), underline
// (\u), strike-out (\o), superscript (\+) and subscript (\-); "\\" is one
// backslash. Toggles do not nest and nothing is balanced at the end.

#include "KvColor.h"

#include <QPainter>
#include <QString>

#include <cstdint>
#include <vector>

namespace kv {

struct TKvCaptionRec {
    QString Caption;
    QPainter* Canvas = nullptr; // its font is the base font, its pen colour the text colour
    int32_t X = 0;
    int32_t Y = 0;
    int32_t Angle = 0; // tenths of a degree, counter-clockwise
    int32_t Width = 0; // out: total advance
    int32_t SelStart = -1;
    int32_t SelEnd = -1;
    bool Draw = false;
    bool ShowSelection = false;
    QString PlainText;                 // out
    std::vector<int32_t> CharRight;    // out, per visible character
    std::vector<int32_t> CharSource;   // out, 1-based positions in Caption
    std::vector<bool> SymbolMark, BoldMark, ItalicMark, UnderlineMark, StrikeOutMark, SuperMark, SubMark;
};

void RenderCaption(TKvCaptionRec& Rec);

// The visible characters of a caption (markup removed).
QString PlainCaption(const QString& Caption);

// A painter on a small 96-dpi image, for measuring where no device is at
// hand (the role of the screen device context).
class TKvMeasureCanvas {
public:
    TKvMeasureCanvas();
    ~TKvMeasureCanvas();
    TKvMeasureCanvas(const TKvMeasureCanvas&) = delete;
    TKvMeasureCanvas& operator=(const TKvMeasureCanvas&) = delete;
    QPainter& Painter() { return *FPainter; }

private:
    QImage* FImage;
    QPainter* FPainter;
};

// Width and height of a caption in a font, measured on the 96-dpi canvas.
int32_t CaptionWidth(const QString& Caption, const TKvFontRecord& Font, int32_t Angle = 0);
int32_t FontTextHeight(const TKvFontRecord& Font);

enum class TKvAlignment { taLeftJustify, taRightJustify, taCenter };

// One caption shown at a place: a light item (no window of its own) that
// sizes itself to its rotated text and paints onto its parent's painter.
class TKvLabel {
public:
    TKvLabel();

    const QString& Caption() const { return FCaption; }
    void SetCaption(const QString& Value);
    int32_t Angle() const { return FAngle; }
    void SetAngle(int32_t Value);
    TKvAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TKvAlignment Value);
    int32_t XPosition() const { return FXPosition; }
    void SetXPosition(int32_t Value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    const TKvFontRecord& Font() const { return FFont; }
    void SetFont(const TKvFontRecord& Value);

    bool Transparent = false;
    TColor Color = clBtnFace;
    bool Visible = true;

    int32_t Left() const { return FLeft; }
    int32_t Top() const { return FTop; }
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    void SetLeft(int32_t Value) { FLeft = Value; }
    void SetTop(int32_t Value) { FTop = Value; }
    void SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight);

    int32_t TextWidth() const { return FW; }
    int32_t TextHeight() const { return FH; }
    int32_t OriginX() const { return FOriginX; }
    int32_t OriginY() const { return FOriginY; }

    void AdjustBounds();
    // Paints in the parent's coordinates.
    void Paint(QPainter& Painter) const;

private:
    void ApplyXPosition();

    QString FCaption;
    int32_t FAngle = 0;
    TKvAlignment FAlignment = TKvAlignment::taLeftJustify;
    int32_t FXPosition = 0;
    bool FAutoSize = true;
    TKvFontRecord FFont;
    int32_t FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    int32_t FW = 0, FH = 0, FOriginX = 0, FOriginY = 0;
};

} // namespace kv
