#pragma once
// One axis of a graph: the value range along one edge of the plot, the
// mapping between values and pixels, tick spacing and label texts, the
// automatic ends found from the ranges of the series drawn against it,
// zooming, and its place and ticks in the graph layout.

#include "KvAxisRanges.h"
#include "KvLabel.h"

#include "foundation/KvIniList.h"
#include "foundation/KvRange.h"

#include <QPainter>
#include <QString>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace kv {

class TKv2DGraph;

enum class TKvAxisPos : int32_t { AxBottomPos, AxLeftPos, AxTopPos, AxRightPos, AxFreeFloating };
enum class TKvAxScaling : int32_t { AxNormal, AxLog, AxLogEE };
enum class TKvAxEnd : int32_t { AxAutoRange, AxFirstSet, AxFixed };

class TKvAxis {
public:
    explicit TKvAxis(TKv2DGraph* AGraph = nullptr, std::string AName = {});
    ~TKvAxis();
    TKvAxis(const TKvAxis&) = delete;
    TKvAxis& operator=(const TKvAxis&) = delete;

    TKv2DGraph* Graph() const { return FGraph; }
    const std::string& Name() const { return FName; }

    // ---- properties
    const QString& Caption() const { return FCaption; }
    bool ShowCaption() const { return FShowCaption; }
    void SetShowCaption(bool Value);
    bool ShowScaleLabels() const { return FShowScaleLabels; }
    void SetShowScaleLabels(bool Value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    bool AutoTicks() const { return FAutoTicks; }
    void SetAutoTicks(bool Value);
    TKvAxisPos Position() const { return FPosition; }
    void SetPosition(TKvAxisPos Value);
    TKvAxScaling Scaling() const { return FScaling; }
    void SetScaling(TKvAxScaling Value);
    bool Twisted() const { return FTwisted; }
    void SetTwisted(bool Value);
    TKvAxEnd StartEnd() const { return FStartEnd; }
    void SetStartEnd(TKvAxEnd Value);
    TKvAxEnd StopEnd() const { return FStopEnd; }
    void SetStopEnd(TKvAxEnd Value);
    double Start() const { return FAxisRange.Start(); }
    void SetStart(double Value);
    double Stop() const { return FAxisRange.Stop(); }
    void SetStop(double Value);
    double TickPart() const { return FTickPart; }
    void SetTickPart(double Value);
    double MajorTickPart() const { return FMajorTickPart; }
    void SetMajorTickPart(double Value);
    double LabelPart() const { return FLabelPart; }
    void SetLabelPart(double Value);
    int32_t MaxExpForScaleExp() const { return FMaxExpForScaleExp; }
    void SetMaxExpForScaleExp(int32_t Value);
    int32_t MinExpForScaleExp() const { return FMinExpForScaleExp; }
    void SetMinExpForScaleExp(int32_t Value);
    bool IsSlaveAxis() const { return FIsSlaveAxis; }
    void SetIsSlaveAxis(bool Value);
    TKvAxis* MasterAxis() const { return FMasterAxis; }
    void SetMasterAxis(TKvAxis* Value);
    int32_t BorderCaptionGap() const { return FBorderCaptionGap; }
    void SetBorderCaptionGap(int32_t Value);
    int32_t CaptionScalingsGap() const { return FCaptionScalingsGap; }
    void SetCaptionScalingsGap(int32_t Value);
    int32_t ScalingsTicksGap() const { return FScalingsTicksGap; }
    void SetScalingsTicksGap(int32_t Value);
    int32_t ExponentScalingsGap() const { return FExponentScalingsGap; }
    void SetExponentScalingsGap(int32_t Value);
    int32_t ValuesTicksGap() const { return FValuesTicksGap; }
    void SetValuesTicksGap(int32_t Value);
    int32_t MajorTickLength() const { return FMajorTickLength; }
    void SetMajorTickLength(int32_t Value);
    int32_t TickLength() const { return FTickLength; }
    void SetTickLength(int32_t Value);
    TColor AxisColor = clBlack, TickColor = clBlack, MajorTickColor = clBlack;
    int32_t AxisThicknes = 0, TickThicknes = 0, MajorTickThicknes = 0;
    bool Transparent = true;
    TColor Color = clBtnFace;
    const TKvFontRecord& Font() const { return FFont; }
    void SetFont(const TKvFontRecord& Value);
    const TKvFontRecord& CaptionFont() const { return FCaptionFont; }
    void SetCaptionFont(const TKvFontRecord& Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);

    // Captions: the user's text when DoUserCaption, else the automatic one.
    const QString& UserCaption() const { return FUserCaption; }
    const QString& AutoCaption() const { return FAutoCaption; }
    bool DoUserCaption() const { return FDoUserCaption; }
    void SetAutoCaption(const QString& S);
    void SetUserCaption(const QString& S);
    void SetDoUserCaption(bool B);

    // ---- value model
    int32_t RealToIntPosition(double V) const;
    double IntToRealPosition(int32_t P) const;
    // Reads every range again and moves the automatic ends to their union.
    void RangeChanged();
    // The same after one range of the list changed (the series' ranges
    // report here): only that range is read again.
    void RangeChanged(const TRange& Range);
    bool AdjustRange();
    void ResetZoom();
    void Zoom(double AStart, double AStop);
    void ZoomBack();
    bool HasZoomHistory() const { return !FZoomHistory.empty(); }
    int32_t ZoomIndex() const { return FZoomIndex; }
    void RequestLayout();
    // Copies Start, Stop, Scaling and the automatic caption of the master.
    void CopyMaster();

    TKvAxisRanges& Ranges() { return FRanges; }
    const TRange& DataRange() const { return FDataRange; }
    bool Vertical() const { return FVertical; }
    bool RangeAdjusted() const { return FRangeAdjusted; }
    bool UseScaleExponent() const { return FUseScaleExponent; }
    double Scale() const { return FScale; }
    double LogStart() const { return FLogStart; }
    double LogStop() const { return FLogStop; }
    int32_t SpanExponent() const { return FSpanExponent; }
    int32_t ScaleExponent() const { return FScaleExponent; }
    int32_t LabelDigits() const { return FLabelDigits; }

    // The ticks and label texts of the last computation; label offsets are
    // pixel offsets from the top or left end of the axis line.
    struct TTickLabel {
        int32_t Offset;
        QString Text;
    };
    void ComputeTicks();
    const std::vector<int32_t>& TickPositions() const { return FTickPositions; }
    const std::vector<bool>& TickIsMajor() const { return FTickIsMajor; }
    const std::vector<TTickLabel>& TickLabels() const { return FTickLabels; }
    // Empty when no exponent label is shown.
    const QString& ExponentText() const { return FExponentText; }
    QString FormatTickValue(double V) const;

    // ---- layout and painting
    int32_t Left = 0, Top = 0, Width = 400, Height = 50;
    int32_t AxisX = 30, AxisY = 30, Length = 340;
    int32_t MaxLabelWidth = 0, MaxLabelHeight = 0, CaptionWidth = 0, CaptionHeight = 0, ExponentLabelWidth = 0;
    bool DrawStartTick = true, DrawEndTick = true;
    bool LayoutDirty() const { return FLayoutDirty; }
    bool TicksDirty() const { return FTicksDirty; }
    void ClearLayoutDirty() { FLayoutDirty = false; }
    void MarkTicksDirty();
    void SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight);

    void BuildTicksAndLabels();
    void DiscardLabels();
    // Lays out the whole graph the axis is placed on.
    void LayoutGraph();
    // Paints ticks, axis line and labels in the graph's coordinates.
    void Paint(QPainter& Painter);

    const std::vector<std::unique_ptr<TKvLabel>>& ScaleLabels() const { return FScaleLabels; }
    const TKvLabel* CaptionLabel() const { return FCaptionLabel.get(); }
    const TKvLabel* ExponentLabel() const { return FExponentLabel.get(); }
    TKvLabel* MutableCaptionLabel() { return FCaptionLabel.get(); }
    TKvLabel* MutableExponentLabel() { return FExponentLabel.get(); }
    std::vector<std::unique_ptr<TKvLabel>>& MutableScaleLabels() { return FScaleLabels; }

    // ---- persistence
    void SaveToIni(TKvIniList& Ini, std::string_view Section) const;
    void LoadFromIni(const TKvIniList& Ini, std::string_view Section);

    // Called by the graph when it goes first, so the axis no longer
    // refers to it.
    void DetachGraph() { FGraph = nullptr; }

private:
    void Repaint();
    void LayoutChanged(bool Discard);
    void ApplyDataRange();
    void SetCaptionText(const QString& S);
    void AdjustLinear();
    void AdjustLogarithmic();
    void RoundEnds();
    void RoundLogEnds();
    void TakePartsFromTables(double Span);
    void ComputeLinearTicks();
    void ComputeLogTicks();
    bool ZeroCrossing() const;
    int32_t OffsetFromStartEnd(int32_t P) const;

    TKv2DGraph* FGraph;
    std::string FName;
    QString FCaption, FUserCaption, FAutoCaption;
    bool FDoUserCaption = false;
    bool FShowCaption = false, FShowScaleLabels = true, FAutoSize = true, FAutoTicks = true;
    TKvAxisPos FPosition = TKvAxisPos::AxLeftPos;
    TKvAxScaling FScaling = TKvAxScaling::AxNormal;
    bool FTwisted = false;
    TKvAxEnd FStartEnd = TKvAxEnd::AxAutoRange, FStopEnd = TKvAxEnd::AxAutoRange;
    double FTickPart = 0.05, FMajorTickPart = 0.1, FLabelPart = 0.5;
    int32_t FMaxExpForScaleExp = 3, FMinExpForScaleExp = -2;
    bool FIsSlaveAxis = false;
    TKvAxis* FMasterAxis = nullptr;
    int32_t FBorderCaptionGap = 0, FCaptionScalingsGap = 0, FScalingsTicksGap = 1, FExponentScalingsGap = 10,
            FValuesTicksGap = 0;
    int32_t FMajorTickLength = 10, FTickLength = 6;
    TKvFontRecord FFont, FCaptionFont;
    bool FVisible = true;

    TRange FAxisRange, FDataRange;
    TKvAxisRanges FRanges;
    std::vector<std::pair<double, double>> FZoomHistory;
    int32_t FZoomIndex = 0;
    bool FLayoutDirty = true, FTicksDirty = true, FVertical = true, FUseScaleExponent = false, FRangeAdjusted = false;
    double FScale = 100.0 / 340.0, FLogStart = 0, FLogStop = 2;
    int32_t FSpanExponent = 2, FScaleExponent = 2, FLabelDigits = 2;

    std::vector<int32_t> FTickPositions;
    std::vector<bool> FTickIsMajor;
    std::vector<TTickLabel> FTickLabels;
    QString FExponentText;
    std::vector<std::unique_ptr<TKvLabel>> FScaleLabels;
    std::unique_ptr<TKvLabel> FCaptionLabel, FExponentLabel;
};

} // namespace kv
