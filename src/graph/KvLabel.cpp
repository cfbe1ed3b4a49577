#include "KvLabel.h"

#include "KvPixel.h"
#include "KvSymbolFont.h"

#include "document/KvPlainCaption.h"

#include <QFontMetrics>
#include <QImage>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kv {

namespace {

// Text extents of absurd fonts saturate rather than overflow.
int32_t RoundEven(double V) { return ToPixel(V); }

// The pen of one caption run: position, direction and working font.
class TCaptionPen {
public:
    TCaptionPen(TKvCaptionRec& ARec, const QFont& ABase, QColor ATextColor)
        : Rec(ARec), Base(ABase), Work(ABase), TextColor(ATextColor), X(ARec.X), Y(ARec.Y)
    {
        const double Radians = Rec.Angle / 10.0 * std::numbers::pi / 180.0;
        Cos = std::cos(Radians);
        Sin = std::sin(Radians);
    }

    void Advance(int32_t W)
    {
        if (Rec.Angle == 0)
            X += W;
        else if (Rec.Angle == 900)
            Y -= W;
        else {
            X += RoundEven(W * Cos);
            Y -= RoundEven(W * Sin);
        }
    }

    // Moves "up" by V pixels across the text direction (negative V: down).
    void Up(int32_t V)
    {
        if (Rec.Angle == 0)
            Y -= V;
        else if (Rec.Angle == 900)
            X -= V;
        else {
            X -= RoundEven(V * Sin);
            Y -= RoundEven(V * Cos);
        }
    }

    void RenderRun(const QString& Source, int32_t From, int32_t Count)
    {
        for (int32_t n = 0; n < Count; ++n)
            RenderChar(Source[From + n], From + n + 1);
    }

    void RenderChar(QChar C, int32_t SourcePos)
    {
        const QChar Shown = Symbol ? QChar(SymbolToUnicode(C.unicode() < 256 ? C.unicode() : C.unicode())) : C;
        QFontMetrics Metrics(Work, Rec.Canvas->device());
        const int32_t W = Metrics.horizontalAdvance(Shown);
        const auto k = static_cast<int32_t>(Rec.PlainText.size());
        if (Rec.Draw)
            DrawChar(Shown, k, Metrics.ascent());
        Rec.PlainText.append(C);
        Rec.Width += W;
        Rec.CharRight[static_cast<size_t>(k)] = Rec.Width;
        Rec.CharSource[static_cast<size_t>(k)] = SourcePos;
        Advance(W);
    }

    void DrawChar(QChar Shown, int32_t k, int32_t Ascent)
    {
        QPainter& P = *Rec.Canvas;
        const bool Selected = Rec.ShowSelection && Rec.SelStart < Rec.SelEnd && Rec.SelStart <= k && k < Rec.SelEnd;
        P.setPen(Selected ? ToQColor(clHighlightText) : TextColor);
        P.setFont(Work);
        if (Rec.Angle == 0) {
            P.drawText(QPoint(X, Y + Ascent), QString(Shown));
            return;
        }
        P.save();
        P.translate(X, Y);
        P.rotate(-Rec.Angle / 10.0);
        P.drawText(QPoint(0, Ascent), QString(Shown));
        P.restore();
    }

    void SetSmall(bool On)
    {
        if (On)
            Work.setPointSize(std::max(1, Base.pointSize() * 2 / 3));
        else
            Work.setPointSize(Base.pointSize());
    }

    TKvCaptionRec& Rec;
    QFont Base;
    QFont Work;
    QColor TextColor;
    int32_t X, Y;
    double Cos = 1, Sin = 0;
    bool Symbol = false, Super = false, Sub = false;
};

// The escape letters in the order they are tried.
constexpr char EscapeLetters[] = {'s', 'b', 'i', 'u', 'o', '+', '-', '\\'};

void Mark(std::vector<bool>& Marks, size_t k, bool Set)
{
    if (Set)
        Marks[k] = true;
    else
        Marks[k] = !Marks[k];
}

// Handles the escape starting at Caption[Pos] (after the backslash);
// returns the position after it.
int32_t HandleEscape(TCaptionPen& Pen, const QString& Caption, int32_t Pos)
{
    TKvCaptionRec& Rec = Pen.Rec;
    const auto Length = static_cast<int32_t>(Caption.size());
    if (Pos >= Length)
        return Pos;
    const char16_t C = QChar(Caption[Pos]).toLower().unicode();
    char Found = 0;
    for (char E : EscapeLetters)
        if (C == static_cast<char16_t>(E)) {
            Found = E;
            break;
        }
    if (Found == 0)
        return Pos; // the backslash is dropped, the character stays ordinary text
    ++Pos;
    if (Found != '\\' && Pos < Length && Caption[Pos] == QLatin1Char(' '))
        ++Pos;
    const auto k = static_cast<size_t>(Rec.PlainText.size());
    const double BaseSize = Pen.Base.pointSizeF();
    const int32_t UpShift = RoundEven(std::fabs(BaseSize / 72.0 * 11.0));
    const int32_t DownShift = RoundEven(std::fabs(BaseSize / 72.0 * 34.0));
    switch (Found) {
    case 's':
        Pen.Symbol = !Pen.Symbol;
        Mark(Rec.SymbolMark, k, true);
        break;
    case 'b':
        Pen.Work.setBold(!Pen.Work.bold());
        Mark(Rec.BoldMark, k, false);
        break;
    case 'i':
        Pen.Work.setItalic(!Pen.Work.italic());
        Mark(Rec.ItalicMark, k, false);
        break;
    case 'u':
        Pen.Work.setUnderline(!Pen.Work.underline());
        Mark(Rec.UnderlineMark, k, false);
        break;
    case 'o':
        Pen.Work.setStrikeOut(!Pen.Work.strikeOut());
        Mark(Rec.StrikeOutMark, k, false);
        break;
    case '+':
        Pen.Super = !Pen.Super;
        if (Pen.Super) {
            Pen.Up(UpShift);
            Pen.SetSmall(true);
        } else {
            Pen.SetSmall(false);
            Pen.Up(-UpShift);
        }
        Mark(Rec.SuperMark, k, false);
        break;
    case '-':
        Pen.Sub = !Pen.Sub;
        if (Pen.Sub) {
            Pen.Up(-DownShift);
            Pen.SetSmall(true);
        } else {
            Pen.SetSmall(false);
            Pen.Up(DownShift);
        }
        Mark(Rec.SubMark, k, false);
        break;
    case '\\':
        Pen.RenderChar(QLatin1Char('\\'), Pos);
        break;
    default:
        break;
    }
    return Pos;
}

} // namespace

void RenderCaption(TKvCaptionRec& Rec)
{
    if (Rec.Canvas == nullptr)
        throw EConvertError("Caption rendering needs a canvas");
    const size_t Size = static_cast<size_t>(Rec.Caption.size()) + 1;
    for (auto* Array : {&Rec.CharRight, &Rec.CharSource})
        Array->assign(Size, 0);
    for (auto* Marks : {&Rec.SymbolMark, &Rec.BoldMark, &Rec.ItalicMark, &Rec.UnderlineMark, &Rec.StrikeOutMark,
                        &Rec.SuperMark, &Rec.SubMark})
        Marks->assign(Size, false);
    Rec.PlainText.clear();
    Rec.Width = 0;
    const QFont SavedFont = Rec.Canvas->font();
    const QPen SavedPen = Rec.Canvas->pen();
    TCaptionPen Pen(Rec, SavedFont, SavedPen.color());
    const QString& Caption = Rec.Caption;
    const auto Length = static_cast<int32_t>(Caption.size());
    int32_t Pos = 0;
    while (Pos < Length) {
        const auto Slash = static_cast<int32_t>(Caption.indexOf(QLatin1Char('\\'), Pos));
        if (Slash < 0)
            break;
        Pen.RenderRun(Caption, Pos, Slash - Pos);
        Pos = HandleEscape(Pen, Caption, Slash + 1);
    }
    if (Pos < Length)
        Pen.RenderRun(Caption, Pos, Length - Pos);
    Rec.Canvas->setFont(SavedFont);
    Rec.Canvas->setPen(SavedPen);
}

TKvMeasureCanvas::TKvMeasureCanvas()
    : FImage(new QImage(1, 1, QImage::Format_ARGB32_Premultiplied)), FPainter(new QPainter(FImage))
{
}

TKvMeasureCanvas::~TKvMeasureCanvas()
{
    FPainter->end();
    delete FPainter;
    delete FImage;
}

QString PlainCaption(const QString& Caption)
{
    // The document's pure parse of the same markup: no canvas needed.
    return QString::fromStdString(PlainCaption(std::string_view(Caption.toStdString())));
}

int32_t CaptionWidth(const QString& Caption, const TKvFontRecord& Font, int32_t Angle)
{
    TKvMeasureCanvas Canvas;
    Canvas.Painter().setFont(ToQFont(Font));
    TKvCaptionRec Rec;
    Rec.Caption = Caption;
    Rec.Canvas = &Canvas.Painter();
    Rec.Angle = Angle;
    RenderCaption(Rec);
    return Rec.Width;
}

int32_t FontTextHeight(const TKvFontRecord& Font)
{
    TKvMeasureCanvas Canvas;
    return QFontMetrics(ToQFont(Font), Canvas.Painter().device()).height();
}

// ---------------------------------------------------------------- TKvLabel

TKvLabel::TKvLabel()
{
    FFont.Name = "Arial";
    AdjustBounds();
}

void TKvLabel::SetCaption(const QString& Value)
{
    if (Value == FCaption)
        return;
    FCaption = Value;
    AdjustBounds();
}

void TKvLabel::SetAngle(int32_t Value)
{
    Value %= 3600;
    if (Value < 0)
        Value += 3600;
    if (Value == FAngle)
        return;
    FAngle = Value;
    AdjustBounds();
}

void TKvLabel::SetAlignment(TKvAlignment Value)
{
    FAlignment = Value;
    ApplyXPosition();
}

void TKvLabel::SetXPosition(int32_t Value)
{
    FXPosition = Value;
    ApplyXPosition();
}

void TKvLabel::SetAutoSize(bool Value)
{
    if (Value == FAutoSize)
        return;
    FAutoSize = Value;
    AdjustBounds();
}

void TKvLabel::SetFont(const TKvFontRecord& Value)
{
    if (Value == FFont)
        return;
    FFont = Value;
    AdjustBounds();
}

void TKvLabel::ApplyXPosition()
{
    if (FAngle != 0) {
        FLeft = FXPosition;
        return;
    }
    switch (FAlignment) {
    case TKvAlignment::taLeftJustify: FLeft = FXPosition; break;
    case TKvAlignment::taRightJustify: FLeft = FXPosition - FW; break;
    case TKvAlignment::taCenter: FLeft = FXPosition - FW / 2; break;
    }
}

void TKvLabel::SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight)
{
    if (FAngle == 0) {
        switch (FAlignment) {
        case TKvAlignment::taLeftJustify: FXPosition = ALeft; break;
        case TKvAlignment::taRightJustify: FXPosition = ALeft + AWidth; break;
        case TKvAlignment::taCenter: FXPosition = ALeft + AWidth / 2; break;
        }
    } else
        FXPosition = ALeft;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
}

void TKvLabel::AdjustBounds()
{
    if (!FAutoSize)
        return;
    FH = FontTextHeight(FFont);
    FW = CaptionWidth(FCaption, FFont, FAngle);
    ApplyXPosition();
    const double Radians = FAngle / 10.0 * std::numbers::pi / 180.0;
    const double C = std::cos(Radians), S = std::sin(Radians);
    switch (FAngle) {
    case 0: FOriginX = 0, FOriginY = 0, FWidth = FW, FHeight = FH; return;
    case 900: FOriginX = 0, FOriginY = FW, FWidth = FH, FHeight = FW; return;
    case 1800: FOriginX = FW, FOriginY = FH, FWidth = FW, FHeight = FH; return;
    case 2700: FOriginX = FH, FOriginY = 0, FWidth = FH, FHeight = FW; return;
    default: break;
    }
    // The corners of the rotated W by H box relative to the text origin
    // (advance along (c, -s), "down" along (s, c)); the origin goes where
    // every corner lands at non-negative coordinates.
    const double Xs[4] = {0, FW * C, FW * C + FH * S, FH * S};
    const double Ys[4] = {0, -FW * S, -FW * S + FH * C, FH * C};
    const double MinX = *std::min_element(Xs, Xs + 4), MaxX = *std::max_element(Xs, Xs + 4);
    const double MinY = *std::min_element(Ys, Ys + 4), MaxY = *std::max_element(Ys, Ys + 4);
    FOriginX = RoundEven(-MinX);
    FOriginY = RoundEven(-MinY);
    FWidth = RoundEven(MaxX - MinX);
    FHeight = RoundEven(MaxY - MinY);
}

void TKvLabel::Paint(QPainter& Painter) const
{
    if (!Visible)
        return;
    if (!Transparent)
        Painter.fillRect(QRect(FLeft, FTop, FWidth, FHeight), ToQColor(Color));
    Painter.save();
    Painter.setBrush(Qt::NoBrush);
    Painter.setFont(ToQFont(FFont));
    Painter.setPen(ToQColor(FFont.Color));
    TKvCaptionRec Rec;
    Rec.Caption = FCaption;
    Rec.Canvas = &Painter;
    Rec.X = FLeft + FOriginX;
    Rec.Y = FTop + FOriginY;
    Rec.Angle = FAngle;
    Rec.Draw = true;
    RenderCaption(Rec);
    Painter.restore();
}

} // namespace kv
