#include "KvDraw.h"

#include "KvPropertyChange.h"

#include "metafile/KvMetafileEngine.h"
#include "metafile/KvMfGeometry.h"

#include <QPaintEngine>
#include <QPolygon>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace kv {

bool DrawingSuspended = false;
bool PaintingToMetafile = false;

void SuspendDrawing() { DrawingSuspended = true; }
void ResumeDrawing() { DrawingSuspended = false; }

QColor FillColor(TColor Color)
{
    if (PaintingToMetafile && Color == clBtnFace)
        return Qt::white;
    return ToQColor(Color);
}

// ---------------------------------------------------------------- TKvLineStyle

TKvLineStyle::TKvLineStyle(bool AVisible, TColor AColor, TPenStyle AStyle, int32_t AWidth)
    : FVisible(AVisible), FColor(AColor), FStyle(AStyle), FWidth(AWidth < 0 ? 0 : AWidth)
{
}

void TKvLineStyle::Changed()
{
    if (OnChange)
        OnChange();
}

void TKvLineStyle::SetVisible(bool Value)
{
    if (Change(FVisible, Value))
        Changed();
}

void TKvLineStyle::SetColor(TColor Value)
{
    if (Change(FColor, Value))
        Changed();
}

void TKvLineStyle::SetStyle(TPenStyle Value)
{
    if (Change(FStyle, Value))
        Changed();
}

void TKvLineStyle::SetWidth(int32_t Value)
{
    if (Change(FWidth, Value < 0 ? 0 : Value))
        Changed();
}

TKvLineStyleRecord TKvLineStyle::Record() const { return {FVisible, FColor, static_cast<int32_t>(FStyle), FWidth}; }

void TKvLineStyle::SetRecord(const TKvLineStyleRecord& Record)
{
    SetVisible(Record.Visible);
    SetColor(Record.Color);
    // An ordinal outside the pen styles (a damaged file) keeps the style.
    if (Record.Style >= 0 && Record.Style <= static_cast<int32_t>(TPenStyle::psInsideFrame))
        SetStyle(static_cast<TPenStyle>(Record.Style));
    SetWidth(Record.Width);
}

void TKvLineStyle::SaveToIni(TKvIniList& Ini, std::string_view Section, std::string_view Key) const
{
    Ini.WriteLineStyle(Section, Key, Record());
}

void TKvLineStyle::LoadFromIni(const TKvIniList& Ini, std::string_view Section, std::string_view Key)
{
    TKvLineStyleRecord R = Record();
    Ini.ReadLineStyle(Section, Key, R);
    SetRecord(R);
}

// ---------------------------------------------------------------- TKvPointStyle

void TKvPointStyle::Changed()
{
    if (OnChange)
        OnChange();
}

void TKvPointStyle::SetVisible(bool Value)
{
    if (Change(FVisible, Value))
        Changed();
}

void TKvPointStyle::SetColor(TColor Value)
{
    if (Change(FColor, Value))
        Changed();
}

void TKvPointStyle::SetStyle(TKvPointSymbol Value)
{
    if (static_cast<int32_t>(Value) < 0 || static_cast<int32_t>(Value) >= PointSymbolCount)
        throw EConvertError("Invalid point symbol " + std::to_string(static_cast<int32_t>(Value)));
    if (Change(FStyle, Value))
        Changed();
}

void TKvPointStyle::SetSize(int32_t Value)
{
    if (Change(FSize, Value < 0 ? 5 : Value))
        Changed();
}

void TKvPointStyle::SetWidth(int32_t Value)
{
    if (Change(FWidth, Value < 0 ? 0 : Value))
        Changed();
}

// ---------------------------------------------------------------- drawing

Qt::PenStyle ToQtPenStyle(TPenStyle Style)
{
    switch (Style) {
    case TPenStyle::psSolid: return Qt::SolidLine;
    case TPenStyle::psDash: return Qt::DashLine;
    case TPenStyle::psDot: return Qt::DotLine;
    case TPenStyle::psDashDot: return Qt::DashDotLine;
    case TPenStyle::psDashDotDot: return Qt::DashDotDotLine;
    case TPenStyle::psClear: return Qt::NoPen;
    case TPenStyle::psInsideFrame: return Qt::SolidLine;
    }
    return Qt::SolidLine;
}

QPen MakePen(TColor Color, int32_t Width, TPenStyle Style)
{
    QPen Pen(ToQColor(Color));
    Pen.setWidth(Width == 1 ? 0 : Width);
    Pen.setStyle(ToQtPenStyle(Style));
    // A flat cap leaves the end pixel of a thin line unset.
    Pen.setCapStyle(Qt::FlatCap);
    Pen.setJoinStyle(Qt::MiterJoin);
    return Pen;
}

namespace {

void ThinPen(QPainter& Canvas)
{
    QPen Pen = Canvas.pen();
    if (Pen.width() == 1)
        Pen.setWidth(0);
    Pen.setCapStyle(Qt::FlatCap);
    Canvas.setPen(Pen);
}

void Polygon(QPainter& Canvas, std::initializer_list<QPoint> Points)
{
    // Filled without the pen, then outlined edge by edge with square
    // ends, so every vertex pixel is set as on other devices.
    const QPen Pen = Canvas.pen();
    QPolygon Shape{QList<QPoint>(Points)};
    Canvas.setPen(Qt::NoPen);
    Canvas.drawPolygon(Shape);
    QPen Outline = Pen;
    Outline.setCapStyle(Qt::SquareCap);
    Canvas.setPen(Outline);
    for (qsizetype i = 0; i < Shape.size(); ++i)
        Canvas.drawLine(Shape[i], Shape[(i + 1) % Shape.size()]);
    Canvas.setPen(Pen);
}

} // namespace

void DrawSegment(int32_t x1, int32_t y1, int32_t x2, int32_t y2, QPainter& Canvas)
{
    ThinPen(Canvas);
    const QPen Pen = Canvas.pen();
    if (Pen.width() > 1 || Pen.style() == Qt::NoPen) {
        Canvas.drawLine(x1, y1, x2, y2);
        return;
    }
    // The raster engine leaves out the right or bottom end whatever the
    // direction; a thin segment here leaves out its own end pixel, so stop
    // one step before it along the longer direction and draw both ends.
    const int32_t Dx = x2 - x1, Dy = y2 - y1;
    const int32_t Steps = std::max(std::abs(Dx), std::abs(Dy));
    if (Steps == 0)
        return;
    const auto Along = [Steps](int32_t Start, int32_t Delta) {
        return Start + static_cast<int32_t>(std::lround(static_cast<double>(Delta) * (Steps - 1) / Steps));
    };
    const int32_t Ex = Along(x1, Dx), Ey = Along(y1, Dy);
    QPen Square = Pen;
    Square.setCapStyle(Qt::SquareCap);
    Canvas.setPen(Square);
    if (Ex == x1 && Ey == y1)
        Canvas.drawPoint(x1, y1);
    else
        Canvas.drawLine(x1, y1, Ex, Ey);
    Canvas.setPen(Pen);
}

void DrawFrame(int32_t x1, int32_t y1, int32_t x2, int32_t y2, QPainter& Canvas)
{
    ThinPen(Canvas);
    const std::array<QPoint, 5> Points = {QPoint(x1, y1), QPoint(x1, y2), QPoint(x2, y2), QPoint(x2, y1), QPoint(x1, y1)};
    Canvas.drawPolyline(Points.data(), static_cast<int>(Points.size()));
}

bool IsVectorPicture(const QPainter& Canvas)
{
    const QPaintEngine* Engine = Canvas.paintEngine();
    if (!Engine)
        return false;
    const QPaintEngine::Type Type = Engine->type();
    return Type == QPaintEngine::SVG || Type == QPaintEngine::Pdf || Type == QPaintEngine::Picture ||
           Type == MetafileEngineType;
}

bool NeedsOwnClipping(const QPainter& Canvas)
{
    const QPaintEngine* Engine = Canvas.paintEngine();
    return Engine && Engine->type() == QPaintEngine::SVG;
}

void DrawClippedPolyline(QPainter& Canvas, const QPoint* Points, int32_t Count, const QRectF& Clip)
{
    QList<QPointF> Run;
    auto Flush = [&] {
        if (Run.size() >= 2)
            Canvas.drawPolyline(Run.data(), static_cast<int>(Run.size()));
        Run.clear();
    };
    for (int32_t i = 0; i + 1 < Count; ++i) {
        QPointF A = Points[i], B = Points[i + 1];
        if (!ClipSegment(A, B, Clip)) {
            Flush();
            continue;
        }
        if (Run.isEmpty() || Run.back() != A) {
            Flush();
            Run.push_back(A);
        }
        Run.push_back(B);
        if (B != QPointF(Points[i + 1]))
            Flush();
    }
    Flush();
}

void DrawPointSymbol(int32_t X, int32_t Y, int32_t S, QPainter& Canvas, TKvPointSymbol Symbol)
{
    QPen Pen = Canvas.pen();
    Pen.setStyle(Qt::SolidLine);
    Canvas.setPen(Pen);
    QBrush Brush = Canvas.brush();
    const int Sym = static_cast<int>(Symbol);
    const bool Filled = Symbol == TKvPointSymbol::Sy5StarFilled ||
                        (Sym >= static_cast<int>(TKvPointSymbol::SyCircleFilled) && Sym % 2 == 1);
    if (Filled)
        Brush.setColor(Pen.color());
    Brush.setStyle(Qt::SolidPattern);
    Canvas.setBrush(Brush);
    auto P = [S](int k) { return S * k / 100; };
    switch (Symbol) {
    case TKvPointSymbol::SyPoint: DrawSegment(X, Y, X, Y + 1, Canvas); break;
    case TKvPointSymbol::SyCross:
        DrawSegment(X, Y, X + S, Y, Canvas);
        DrawSegment(X, Y, X - S, Y, Canvas);
        DrawSegment(X, Y, X, Y + S, Canvas);
        DrawSegment(X, Y, X, Y - S, Canvas);
        break;
    case TKvPointSymbol::SyX:
        DrawSegment(X, Y, X + S, Y + S, Canvas);
        DrawSegment(X, Y, X + S, Y - S, Canvas);
        DrawSegment(X, Y, X - S, Y + S, Canvas);
        DrawSegment(X, Y, X - S, Y - S, Canvas);
        break;
    case TKvPointSymbol::SyStar:
        DrawPointSymbol(X, Y, S, Canvas, TKvPointSymbol::SyCross);
        DrawPointSymbol(X, Y, S, Canvas, TKvPointSymbol::SyX);
        break;
    case TKvPointSymbol::Sy5Star:
    case TKvPointSymbol::Sy5StarFilled:
        ThinPen(Canvas);
        Polygon(Canvas, {{X, Y - P(108)}, {X + P(27), Y - P(30)}, {X + S, Y - P(30)}, {X + P(40), Y + P(12)},
                         {X + P(64), Y + P(82)}, {X, Y + P(40)}, {X - P(64), Y + P(82)}, {X - P(40), Y + P(12)},
                         {X - S, Y - P(30)}, {X - P(27), Y - P(30)}});
        break;
    case TKvPointSymbol::SyCircle:
    case TKvPointSymbol::SyCircleFilled:
        ThinPen(Canvas);
        // The device box (X - S, Y - S) to (X + S + 1, Y + S + 1) excludes
        // its right and bottom edge; a Qt outline of width 2S covers it.
        Canvas.drawEllipse(QRect(X - S, Y - S, 2 * S, 2 * S));
        break;
    case TKvPointSymbol::SySquare:
    case TKvPointSymbol::SySquareFilled:
        ThinPen(Canvas);
        Canvas.drawRect(QRect(X - S, Y - S, 2 * S, 2 * S));
        break;
    case TKvPointSymbol::SyDiamond:
    case TKvPointSymbol::SyDiamondFilled:
        ThinPen(Canvas);
        Polygon(Canvas, {{X, Y - S}, {X + S, Y}, {X, Y + S}, {X - S, Y}});
        break;
    case TKvPointSymbol::SyDelta:
    case TKvPointSymbol::SyDeltaFilled:
        ThinPen(Canvas);
        Polygon(Canvas, {{X, Y - S}, {X + S, Y + S}, {X - S, Y + S}});
        break;
    case TKvPointSymbol::SyNabla:
    case TKvPointSymbol::SyNablaFilled:
        ThinPen(Canvas);
        Polygon(Canvas, {{X - S, Y - S}, {X + S, Y - S}, {X, Y + S}});
        break;
    }
}

} // namespace kv
