#include "KvAxis.h"

#include "KvPropertyChange.h"
#include "KvAxisNumbers.h"
#include "KvGraph2D.h"
#include "KvPixel.h"

#include "foundation/KvErrors.h"
#include "foundation/KvFormatSettings.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace kv {

namespace {


int32_t TableIndex(double Span, int32_t Exponent)
{
    const int32_t k = RoundHalfEven(ShiftDecimal(Exponent, Span));
    return std::clamp(k, 1, 10) - 1;
}

// Spans below this (near the subnormal doubles) cannot be divided in
// double: a step of a pixel or a tick, a billionth of the span or more,
// would lose its precision or vanish, and the pixel step become infinite.
constexpr double MinDivisibleSpan = 1e-290;

// True when the range, or the range a single value is widened to, is too
// small to divide into pixels and ticks.
bool TooSmallToDivide(double Start, double Stop)
{
    const double Span = Start == Stop ? std::fabs(Start) : Stop - Start;
    return Span > 0 && Span < MinDivisibleSpan;
}

// A tick count beyond this comes only from a step far too small for the
// range (a typed-in tick part); the tables give a sane one instead.
constexpr double MaxTickCount = 100000;

} // namespace

TKvAxis::TKvAxis(TKv2DGraph* AGraph, std::string AName) : FGraph(AGraph), FName(std::move(AName))
{
    FAxisRange.SetRange(0, 100);
    FCaptionFont = FFont;
}

TKvAxis::~TKvAxis()
{
    if (FGraph)
        FGraph->AxisDestroyed(this);
}

void TKvAxis::Repaint()
{
    if (FGraph)
        FGraph->Repaint();
}

void TKvAxis::RequestLayout()
{
    FLayoutDirty = true;
    if (FGraph)
        FGraph->RequestLayout();
}

void TKvAxis::LayoutChanged(bool Discard)
{
    if (Discard)
        DiscardLabels();
    RequestLayout();
}

void TKvAxis::MarkTicksDirty()
{
    FTicksDirty = true;
    Repaint();
}

void TKvAxis::DiscardLabels()
{
    FScaleLabels.clear();
    FCaptionLabel.reset();
    FExponentLabel.reset();
}

void TKvAxis::SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight)
{
    Left = ALeft;
    Top = ATop;
    Width = AWidth;
    Height = AHeight;
}

void TKvAxis::SetShowCaption(bool Value) { if (Change(FShowCaption, Value)) LayoutChanged(true); }
void TKvAxis::SetShowScaleLabels(bool Value) { if (Change(FShowScaleLabels, Value)) LayoutChanged(true); }
void TKvAxis::SetAutoSize(bool Value) { if (Change(FAutoSize, Value)) LayoutChanged(false); }

void TKvAxis::SetAutoTicks(bool Value)
{
    if (!Change(FAutoTicks, Value))
        return;
    if (FAutoTicks)
        AdjustRange();
    DiscardLabels();
    MarkTicksDirty();
}

void TKvAxis::SetPosition(TKvAxisPos Value)
{
    if (!Change(FPosition, Value))
        return;
    FVertical = Value == TKvAxisPos::AxLeftPos || Value == TKvAxisPos::AxRightPos || Value == TKvAxisPos::AxFreeFloating;
    LayoutChanged(false);
}

void TKvAxis::SetScaling(TKvAxScaling Value)
{
    if (static_cast<int32_t>(Value) < 0 || static_cast<int32_t>(Value) > 2)
        throw EConvertError("Axis scaling not supported");
    if (!Change(FScaling, Value))
        return;
    LayoutChanged(true);
    ResetZoom();
}

void TKvAxis::SetTwisted(bool Value) { if (Change(FTwisted, Value)) MarkTicksDirty(); }

void TKvAxis::SetStartEnd(TKvAxEnd Value) { if (Change(FStartEnd, Value)) LayoutChanged(true); }
void TKvAxis::SetStopEnd(TKvAxEnd Value) { if (Change(FStopEnd, Value)) LayoutChanged(true); }

void TKvAxis::SetStart(double Value)
{
    if (std::isnan(Value) || Value == FAxisRange.Start())
        return;
    FAxisRange.SetStart(Value);
    LayoutChanged(true);
}

void TKvAxis::SetStop(double Value)
{
    if (std::isnan(Value) || Value == FAxisRange.Stop())
        return;
    FAxisRange.SetStop(Value);
    LayoutChanged(true);
}

void TKvAxis::SetTickPart(double Value)
{
    if (FAutoTicks || !(Value > 0) || !Change(FTickPart, Value))
        return;
    MarkTicksDirty();
}

void TKvAxis::SetMajorTickPart(double Value)
{
    if (FAutoTicks || !(Value > 0) || !Change(FMajorTickPart, Value))
        return;
    MarkTicksDirty();
}

void TKvAxis::SetLabelPart(double Value)
{
    if (FAutoTicks || !(Value > 0) || !Change(FLabelPart, Value))
        return;
    DiscardLabels();
    MarkTicksDirty();
}

void TKvAxis::SetMaxExpForScaleExp(int32_t Value) { if (Change(FMaxExpForScaleExp, Value)) LayoutChanged(false); }
void TKvAxis::SetMinExpForScaleExp(int32_t Value) { if (Change(FMinExpForScaleExp, Value)) LayoutChanged(false); }
void TKvAxis::SetIsSlaveAxis(bool Value) { if (Change(FIsSlaveAxis, Value)) LayoutChanged(false); }

void TKvAxis::SetMasterAxis(TKvAxis* Value)
{
    if (Value == this)
        return; // an axis that follows itself would never settle
    if (Change(FMasterAxis, Value) && FIsSlaveAxis)
        LayoutChanged(false);
}

void TKvAxis::SetBorderCaptionGap(int32_t Value) { if (Change(FBorderCaptionGap, Value)) LayoutChanged(false); }
void TKvAxis::SetCaptionScalingsGap(int32_t Value) { if (Change(FCaptionScalingsGap, Value)) LayoutChanged(false); }
void TKvAxis::SetScalingsTicksGap(int32_t Value) { if (Change(FScalingsTicksGap, Value)) LayoutChanged(false); }
void TKvAxis::SetExponentScalingsGap(int32_t Value) { if (Change(FExponentScalingsGap, Value)) LayoutChanged(false); }
void TKvAxis::SetValuesTicksGap(int32_t Value) { if (Change(FValuesTicksGap, Value)) LayoutChanged(false); }
void TKvAxis::SetMajorTickLength(int32_t Value) { if (Change(FMajorTickLength, Value)) LayoutChanged(false); }
void TKvAxis::SetTickLength(int32_t Value) { if (Change(FTickLength, Value)) LayoutChanged(false); }
void TKvAxis::SetFont(const TKvFontRecord& Value) { if (Change(FFont, Value)) LayoutChanged(true); }
void TKvAxis::SetCaptionFont(const TKvFontRecord& Value) { if (Change(FCaptionFont, Value)) LayoutChanged(true); }

void TKvAxis::SetVisible(bool Value)
{
    if (!Change(FVisible, Value))
        return;
    DiscardLabels();
    FTicksDirty = true;
    RequestLayout();
}

void TKvAxis::SetCaptionText(const QString& S)
{
    if (Change(FCaption, S))
        LayoutChanged(true);
}

void TKvAxis::SetAutoCaption(const QString& S)
{
    FAutoCaption = S;
    if (!FDoUserCaption)
        SetCaptionText(S);
}

void TKvAxis::SetUserCaption(const QString& S)
{
    if (!Change(FUserCaption, S))
        return;
    if (FDoUserCaption)
        SetCaptionText(S);
}

void TKvAxis::SetDoUserCaption(bool B)
{
    if (!Change(FDoUserCaption, B))
        return;
    if (B)
        SetCaptionText(FUserCaption);
}

// ---------------------------------------------------------------- mapping

int32_t TKvAxis::RealToIntPosition(double V) const
{
    double D = 0;
    switch (FScaling) {
    case TKvAxScaling::AxNormal: D = (V - Start()) / FScale; break;
    case TKvAxScaling::AxLog:
    case TKvAxScaling::AxLogEE:
        if (!(V > 0))
            return -1;
        D = (std::log10(V) - FLogStart) / FScale;
        break;
    default: throw EConvertError("Axis scaling not supported");
    }
    // Far-off values stay far off the plot without overflowing the pixel type.
    const int32_t Pixel = ToPixel(D);
    return (FVertical != FTwisted) ? Length - Pixel : Pixel;
}

double TKvAxis::IntToRealPosition(int32_t P) const
{
    const double Q = (FVertical != FTwisted) ? Length - P : P;
    switch (FScaling) {
    case TKvAxScaling::AxNormal: return Start() + Q * FScale;
    case TKvAxScaling::AxLog:
    case TKvAxScaling::AxLogEE: return Pow10(FLogStart + Q * FScale);
    default: throw EConvertError("Axis scaling not supported");
    }
}

// ---------------------------------------------------------------- ranges

void TKvAxis::RangeChanged()
{
    FRanges.Refresh();
    ApplyDataRange();
}

void TKvAxis::RangeChanged(const TRange& Range)
{
    FRanges.Changed(Range);
    ApplyDataRange();
}

void TKvAxis::ApplyDataRange()
{
    FDataRange.SetRange(FRanges.Start(), FRanges.Stop());
    if (FDataRange.IsEmpty())
        return;
    bool Moved = false;
    auto ApplyEnd = [&](TKvAxEnd End, double Data, bool IsStart) {
        const double Current = IsStart ? Start() : Stop();
        if (End == TKvAxEnd::AxFixed)
            return;
        double Wanted = Data;
        if (End == TKvAxEnd::AxFirstSet)
            Wanted = IsStart ? std::min(Current, Data) : std::max(Current, Data);
        if (Wanted == Current && End == TKvAxEnd::AxFirstSet)
            return;
        if (IsStart)
            FAxisRange.SetStart(Wanted);
        else
            FAxisRange.SetStop(Wanted);
        Moved = true;
    };
    ApplyEnd(FStartEnd, FDataRange.Start(), true);
    ApplyEnd(FStopEnd, FDataRange.Stop(), false);
    if (Moved)
        LayoutChanged(true);
}

void TKvAxis::ResetZoom()
{
    if (FRanges.Count() == 0)
        return;
    // The ranges report every change, so their union is up to date.
    ApplyDataRange();
    FZoomHistory.clear();
    FZoomIndex = 0;
    Repaint();
}

void TKvAxis::Zoom(double AStart, double AStop)
{
    if (FZoomHistory.empty())
        FZoomHistory.emplace_back(Start(), Stop());
    SetStart(AStart);
    SetStop(AStop);
    FZoomHistory.emplace_back(Start(), Stop());
    FZoomIndex = static_cast<int32_t>(FZoomHistory.size());
}

void TKvAxis::ZoomBack()
{
    if (FZoomHistory.empty())
        return;
    --FZoomIndex;
    if (FZoomIndex < 1)
        FZoomIndex = static_cast<int32_t>(FZoomHistory.size());
    const auto& [S, E] = FZoomHistory[static_cast<size_t>(FZoomIndex - 1)];
    SetStart(S);
    SetStop(E);
}

void TKvAxis::CopyMaster()
{
    if (!FIsSlaveAxis || FMasterAxis == nullptr)
        return;
    FAxisRange.SetRange(FMasterAxis->Start(), FMasterAxis->Stop());
    if (FScaling != FMasterAxis->Scaling()) {
        FScaling = FMasterAxis->Scaling();
        DiscardLabels();
    }
    SetAutoCaption(FMasterAxis->AutoCaption());
}

// ---------------------------------------------------------------- adjusting

bool TKvAxis::AdjustRange()
{
    FRangeAdjusted = false;
    const bool Log = FScaling != TKvAxScaling::AxNormal;
    // A span that overflows a double, or a linear one too small to divide,
    // cannot be divided into ticks; such a range is treated as empty.
    if (FAxisRange.IsEmpty() || !std::isfinite(Stop() - Start()) || (!Log && TooSmallToDivide(Start(), Stop()))) {
        FAxisRange.SetRange(Log ? 1 : 0, Log ? 10 : 100);
        FRangeAdjusted = true;
    }
    if (Log)
        AdjustLogarithmic();
    else
        AdjustLinear();
    FUseScaleExponent = !Log && ((FScaleExponent > FMaxExpForScaleExp && FScaleExponent > FLabelDigits) ||
                                 FScaleExponent < FMinExpForScaleExp);
    return FUseScaleExponent;
}

void TKvAxis::AdjustLinear()
{
    if (Stop() == Start()) {
        const double S = Start();
        if (S != 0)
            FAxisRange.SetRange(S - PowerOfTen(DecimalExponent(S)), S + PowerOfTen(DecimalExponent(S)));
        else
            FAxisRange.SetRange(-1, 1);
        FRangeAdjusted = true;
    }
    if (FAutoTicks)
        FTickPart = 0.02;
    RoundEnds();
    const double Span = Stop() - Start();
    FSpanExponent = DecimalExponent(Span);
    if (FAutoTicks) {
        const int32_t k = TableIndex(Span, FSpanExponent);
        FTickPart = TickTables().Tick[static_cast<size_t>(k)];
        FMajorTickPart = TickTables().MajorTick[static_cast<size_t>(k)];
        FLabelPart = TickTables().Labels[static_cast<size_t>(k)];
    }
    const int32_t B = DecimalExponent(Start()), C = DecimalExponent(Stop());
    if (C > B)
        FScaleExponent = Stop() == 0 ? B : C;
    else
        FScaleExponent = Start() == 0 ? C : B;
    FLabelDigits = FScaleExponent + SignificantDigits(FLabelPart) - FSpanExponent - DecimalExponent(FLabelPart);
}

void TKvAxis::RoundEnds()
{
    const double Span = Stop() - Start();
    const int32_t E = DecimalExponent(Span);
    const double RoundStep = TickTables().Round[static_cast<size_t>(TableIndex(Span, E))];
    const double S = FStartEnd == TKvAxEnd::AxFixed ? FTickPart : RoundStep;
    const double T = FStopEnd == TKvAxEnd::AxFixed ? FTickPart : RoundStep;
    const double NewStart = RoundDownToStep(E, S, Start());
    const double NewStop = RoundUpToStep(E, T, Stop());
    // Rounding cannot produce an empty range from a proper one, but a
    // damaged table entry (0 or negative) could; keep the old ends then.
    if (std::isfinite(NewStart) && std::isfinite(NewStop) && NewStart < NewStop)
        FAxisRange.SetRange(NewStart, NewStop);
}

void TKvAxis::AdjustLogarithmic()
{
    if (Stop() * 0.01 > Stop() - Start())
        FAxisRange.SetRange(PowerOfTen(DecimalExponent(Start()) - 1), PowerOfTen(DecimalExponent(Stop()) + 1));
    RoundLogEnds();
    if (FLabelPart < FMajorTickPart)
        FLabelPart = FMajorTickPart;
}

void TKvAxis::RoundLogEnds()
{
    // Ends beyond 1e-300 and 1e300 cannot be divided into decades of a
    // double's range (nor shown on any screen); they are held there.
    double S = std::clamp(Start() > 0 ? Start() : 1e-10, 1e-300, 1e299);
    double E = std::clamp(Stop() > 0 ? Stop() : 1.0, 1e-300, 1e300);
    if (E <= S)
        E = S * 10; // a stop at or below the start leaves no decade to show
    FSpanExponent = RoundHalfEven(std::log10(E) - std::log10(S));
    FTickPart = 0.1;
    FMajorTickPart = 1;
    FLabelPart = 1;
    if (!(FStartEnd == TKvAxEnd::AxFixed && FSpanExponent != 0)) {
        const double Decade = Pow10(RoundDownToStep(0, FMajorTickPart, std::log10(S)));
        S = RoundDownToStep(DecimalExponent(Decade) - 9, 1, Decade);
    }
    if (!(FStopEnd == TKvAxEnd::AxFixed && FSpanExponent != 0)) {
        const double Decade = Pow10(RoundUpToStep(0, FMajorTickPart, std::log10(E)));
        E = RoundUpToStep(DecimalExponent(Decade) - 9, 1, Decade);
    }
    S = LogRoundDown(FTickPart, FMajorTickPart, S);
    E = LogRoundUp(FTickPart, FMajorTickPart, E);
    if (!(E > S))
        E = S * 10;
    FAxisRange.SetRange(S, E);
    FLogStart = std::log10(S);
    FLogStop = std::log10(E);
}

// ---------------------------------------------------------------- ticks

void TKvAxis::TakePartsFromTables(double Span)
{
    const int32_t k = TableIndex(Span, FSpanExponent);
    FTickPart = TickTables().Tick[static_cast<size_t>(k)];
    FMajorTickPart = TickTables().MajorTick[static_cast<size_t>(k)];
    FLabelPart = TickTables().Labels[static_cast<size_t>(k)];
}

void TKvAxis::ComputeTicks()
{
    FTickPositions.clear();
    FTickIsMajor.clear();
    FTickLabels.clear();
    FExponentText.clear();
    if (FScaling == TKvAxScaling::AxNormal)
        ComputeLinearTicks();
    else
        ComputeLogTicks();
}

bool TKvAxis::ZeroCrossing() const
{
    return FGraph && FGraph->ZeroOrigin() && !(Start() > 0) && Stop() > 0;
}

QString TKvAxis::FormatTickValue(double V) const
{
    if (FUseScaleExponent)
        return QString::fromStdString(FixedText(ShiftDecimal(FScaleExponent, V), FLabelDigits - 1));
    const int32_t Decimals = FScaleExponent < FLabelDigits ? FLabelDigits - FScaleExponent - 1 : 0;
    return QString::fromStdString(FixedText(V, Decimals));
}

void TKvAxis::ComputeLinearTicks()
{
    if (FTickPart == 0)
        FTickPart = 0.1;
    if (FMajorTickPart < FTickPart)
        FMajorTickPart = FTickPart;
    if (FLabelPart < FMajorTickPart)
        FLabelPart = FMajorTickPart;
    const double Span = Stop() - Start();
    const int32_t Len = std::max(1, Length);
    FScale = Span / Len;
    double Count = std::nearbyint(ShiftDecimal(FSpanExponent, Span) / FTickPart + 1);
    if (Count < 2 || !(Count <= MaxTickCount)) {
        TakePartsFromTables(Span);
        Count = std::nearbyint(ShiftDecimal(FSpanExponent, Span) / FTickPart + 1);
        if (Count < 2 || !(Count <= MaxTickCount))
            Count = 2;
    }
    const auto n = static_cast<int32_t>(Count);
    const double TickStep = Span / (n - 1);
    const double PixelStep = TickStep / FScale;
    const int32_t MajorEvery = std::max(1, RoundHalfEven(FMajorTickPart / FTickPart));
    const int32_t LabelEvery = std::max(1, RoundHalfEven(FLabelPart / FTickPart));
    int32_t MajorOffset, LabelOffset;
    if (!FTwisted) {
        MajorOffset = RoundHalfEven(ShiftDecimal(FSpanExponent, RoundUpToStep(FSpanExponent, FMajorTickPart, Start()) - Start()) / FTickPart);
        LabelOffset = RoundHalfEven(ShiftDecimal(FSpanExponent, RoundUpToStep(FSpanExponent, FLabelPart, Start()) - Start()) / FTickPart);
    } else {
        MajorOffset = RoundHalfEven(ShiftDecimal(FSpanExponent, Stop() - RoundDownToStep(FSpanExponent, FMajorTickPart, Stop())) / FTickPart);
        LabelOffset = RoundHalfEven(ShiftDecimal(FSpanExponent, Stop() - RoundDownToStep(FSpanExponent, FLabelPart, Stop())) / FTickPart);
    }
    MajorOffset %= MajorEvery;
    LabelOffset %= LabelEvery;
    const bool SkipZero = ZeroCrossing();
    FTickPositions.reserve(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        const double Value = FTwisted ? Stop() - i * TickStep : Start() + i * TickStep;
        const int32_t Step = ToPixel(i * PixelStep);
        const int32_t Offset = FVertical ? Length - Step : Step;
        FTickPositions.push_back(Offset);
        FTickIsMajor.push_back(i % MajorEvery == MajorOffset);
        if (!FShowScaleLabels || i % LabelEvery != LabelOffset)
            continue;
        const QString Text = FormatTickValue(Value);
        bool IsZero = false;
        if (SkipZero) {
            QString Point = Text;
            Point.replace(QChar::fromLatin1(DecimalSeparator()), QLatin1Char('.'));
            IsZero = Point.toDouble() == 0;
        }
        if (!IsZero)
            FTickLabels.push_back({Offset, Text});
    }
    if (FUseScaleExponent && FShowScaleLabels)
        FExponentText = QChar(0x00B7) + QStringLiteral("10\\+") + QString::number(FScaleExponent);
}

int32_t TKvAxis::OffsetFromStartEnd(int32_t P) const
{
    // The start end lies at 0 for horizontal axes and at Length for
    // vertical ones, the other way round when twisted.
    const bool AtLength = FVertical != FTwisted;
    return AtLength ? Length - P : P;
}

void TKvAxis::ComputeLogTicks()
{
    const int32_t Len = std::max(1, Length);
    // Ends set directly (not through AdjustRange) may not suit a
    // logarithmic axis; they get its rounding first.
    if (!(Start() > 0) || !(Stop() > Start()) || !(std::log10(Stop()) - std::log10(Start()) <= 600))
        RoundLogEnds();
    const double Decades = std::log10(Stop()) - std::log10(Start());
    FScale = Decades / Len;
    const int32_t q = std::clamp(RoundHalfEven(1 / FTickPart - 1), 1, 100);
    // The ends are held within 600 decades (RoundLogEnds).
    const int32_t r = std::clamp(RoundHalfEven(Decades / FMajorTickPart), 0, 1000);
    for (int32_t s = 0; s < r; ++s) {
        FTickPositions.push_back(OffsetFromStartEnd(ToPixel(s / FScale)));
        FTickIsMajor.push_back(true);
        for (int32_t j = 2; j <= q; ++j) {
            FTickPositions.push_back(OffsetFromStartEnd(ToPixel(std::log10(j * FTickPart * 10) / FScale + s / FScale)));
            FTickIsMajor.push_back(false);
        }
        if (!FShowScaleLabels)
            continue;
        QString Text;
        if (FScaling == TKvAxScaling::AxLog) {
            const double T = Pow10(FLogStart + s) / FMajorTickPart;
            const int32_t E = DecimalExponent(T);
            Text = QString::fromStdString(FixedText(T, E < 0 ? -E : 0));
        } else
            Text = QStringLiteral("10\\+ ") + QString::number(RoundHalfEven(s + FLogStart));
        FTickLabels.push_back({FTickPositions[static_cast<size_t>(s) * static_cast<size_t>(q)], Text});
    }
    FTickPositions.push_back(OffsetFromStartEnd(Length));
    FTickIsMajor.push_back(true);
    if (FShowScaleLabels) {
        const QString Text = FScaling == TKvAxScaling::AxLog
                                 ? QString::fromStdString(GeneralText(Stop()))
                                 : QStringLiteral("10\\+ ") + QString::number(RoundHalfEven(std::log10(Stop())));
        FTickLabels.push_back({FTickPositions.back(), Text});
    }
}

// ---------------------------------------------------------------- persistence

void TKvAxis::SaveToIni(TKvIniList& Ini, std::string_view Section) const
{
    Ini.WriteFont(Section, "Font", FFont);
    Ini.WriteFont(Section, "CaptionFont", FCaptionFont);
    Ini.WriteBool(Section, "DoUserCaption", FDoUserCaption);
    Ini.WriteString(Section, "UserCaption", FUserCaption.toStdString());
    Ini.WriteBool(Section, "Visible", FVisible);
    Ini.WriteBool(Section, "Twisted", FTwisted);
    Ini.WriteBool(Section, "ShowCaption", FShowCaption);
    Ini.WriteBool(Section, "ShowScaleLabels", FShowScaleLabels);
    Ini.WriteInteger(Section, "MajorTickLength", FMajorTickLength);
    Ini.WriteInteger(Section, "TickLength", FTickLength);
    Ini.WriteInteger(Section, "StartEnd", static_cast<int32_t>(FStartEnd));
    Ini.WriteInteger(Section, "StopEnd", static_cast<int32_t>(FStopEnd));
    // An end the user set (or the first data fixed) is kept exactly; an
    // automatic one is found again from the data on loading.
    const auto WriteEnd = [&](std::string_view Key, double Value, TKvAxEnd End) {
        if (End == TKvAxEnd::AxAutoRange)
            Ini.WriteFloat(Section, Key, Value);
        else
            Ini.WriteExactFloat(Section, Key, Value);
    };
    WriteEnd("Start", Start(), FStartEnd);
    WriteEnd("Stop", Stop(), FStopEnd);
    Ini.WriteInteger(Section, "BorderCaptionGap", FBorderCaptionGap);
    Ini.WriteInteger(Section, "CaptionScalingsGap", FCaptionScalingsGap);
    Ini.WriteInteger(Section, "ScalingsTicksGap", FScalingsTicksGap);
    Ini.WriteInteger(Section, "ValuesTicksGap", FValuesTicksGap);
    Ini.WriteInteger(Section, "AxisColor", AxisColor);
    Ini.WriteInteger(Section, "MajorTickColor", MajorTickColor);
    Ini.WriteInteger(Section, "TickColor", TickColor);
    Ini.WriteBool(Section, "AutoTicks", FAutoTicks);
    Ini.WriteFloat(Section, "TickPart", FTickPart);
    Ini.WriteFloat(Section, "MajorTickPart", FMajorTickPart);
    Ini.WriteFloat(Section, "LabelPart", FLabelPart);
    Ini.WriteInteger(Section, "Scaling", static_cast<int32_t>(FScaling));
    // The parameters dialog sets these too; without keys they were lost on
    // every save.
    Ini.WriteInteger(Section, "AxisThicknes", AxisThicknes);
    Ini.WriteInteger(Section, "MajorTickThicknes", MajorTickThicknes);
    Ini.WriteInteger(Section, "TickThicknes", TickThicknes);
    Ini.WriteInteger(Section, "ExponentScalingsGap", FExponentScalingsGap);
}

namespace {

template <class TEnum>
TEnum ReadEnum(const TKvIniList& Ini, std::string_view Section, std::string_view Key, TEnum Current, int32_t Max)
{
    const int32_t V = Ini.ReadInteger(Section, Key, static_cast<int32_t>(Current));
    // An ordinal outside the enumeration (a damaged file) keeps the value.
    return V >= 0 && V <= Max ? static_cast<TEnum>(V) : Current;
}

} // namespace

void TKvAxis::LoadFromIni(const TKvIniList& Ini, std::string_view Section)
{
    TKvFontRecord F = FFont;
    Ini.ReadFont(Section, "Font", F);
    SetFont(F);
    F = FCaptionFont;
    Ini.ReadFont(Section, "CaptionFont", F);
    SetCaptionFont(F);
    SetDoUserCaption(Ini.ReadBool(Section, "DoUserCaption", FDoUserCaption));
    SetUserCaption(QString::fromStdString(Ini.ReadString(Section, "UserCaption", FUserCaption.toStdString())));
    SetVisible(Ini.ReadBool(Section, "Visible", FVisible));
    SetTwisted(Ini.ReadBool(Section, "Twisted", FTwisted));
    SetShowCaption(Ini.ReadBool(Section, "ShowCaption", FShowCaption));
    SetShowScaleLabels(Ini.ReadBool(Section, "ShowScaleLabels", FShowScaleLabels));
    SetMajorTickLength(Ini.ReadInteger(Section, "MajorTickLength", FMajorTickLength));
    SetTickLength(Ini.ReadInteger(Section, "TickLength", FTickLength));
    SetStartEnd(ReadEnum(Ini, Section, "StartEnd", FStartEnd, 2));
    SetStopEnd(ReadEnum(Ini, Section, "StopEnd", FStopEnd, 2));
    SetStart(Ini.ReadFloat(Section, "Start", Start()));
    SetStop(Ini.ReadFloat(Section, "Stop", Stop()));
    SetBorderCaptionGap(Ini.ReadInteger(Section, "BorderCaptionGap", FBorderCaptionGap));
    SetCaptionScalingsGap(Ini.ReadInteger(Section, "CaptionScalingsGap", FCaptionScalingsGap));
    SetScalingsTicksGap(Ini.ReadInteger(Section, "ScalingsTicksGap", FScalingsTicksGap));
    SetValuesTicksGap(Ini.ReadInteger(Section, "ValuesTicksGap", FValuesTicksGap));
    AxisColor = Ini.ReadInteger(Section, "AxisColor", AxisColor);
    MajorTickColor = Ini.ReadInteger(Section, "MajorTickColor", MajorTickColor);
    TickColor = Ini.ReadInteger(Section, "TickColor", TickColor);
    SetAutoTicks(Ini.ReadBool(Section, "AutoTicks", FAutoTicks));
    SetTickPart(Ini.ReadFloat(Section, "TickPart", FTickPart));
    SetMajorTickPart(Ini.ReadFloat(Section, "MajorTickPart", FMajorTickPart));
    SetLabelPart(Ini.ReadFloat(Section, "LabelPart", FLabelPart));
    SetScaling(ReadEnum(Ini, Section, "Scaling", FScaling, 2));
    // thicknesses as the dialog allows them; a damaged value keeps the current one
    for (auto [Key, Member] : {std::pair{"AxisThicknes", &TKvAxis::AxisThicknes},
                               std::pair{"MajorTickThicknes", &TKvAxis::MajorTickThicknes},
                               std::pair{"TickThicknes", &TKvAxis::TickThicknes}}) {
        const int32_t V = Ini.ReadInteger(Section, Key, this->*Member);
        if (V >= 0 && V <= 10)
            this->*Member = V;
    }
    SetExponentScalingsGap(Ini.ReadInteger(Section, "ExponentScalingsGap", FExponentScalingsGap));
    Repaint();
}

} // namespace kv
