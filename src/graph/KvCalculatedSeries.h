#pragma once
// The base of every curve computed from a data series: regressions, fits,
// interpolations, derivatives and integrals. A calculated series hangs
// below its parent series (the parent owns it in its Children list),
// shares the parent's axes, owns the vectors of its computed points, keeps
// a calculation range (the data used) and a display range (where the curve
// is drawn), and reports its results into the parent's Results list.
//
// A curve is created by its parent and then attached:
//     auto& L = Parent.AddChild<TKvLinearRegressionLine>(Parent.Graph());
//     L.SetParentSeries(&Parent);
// (NewCalculation below does both). It leaves the parent with
// DeleteCalculation, or when the parent dies.

#include "KvDataSeries.h"

#include "foundation/KvErrors.h"
#include "foundation/KvIniList.h"
#include "foundation/KvVector.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

class TKvCalculatedSeries;

using TKvNotifyEvent = std::function<void(TKvCalculatedSeries& Sender)>;
using TKvErrorEvent = std::function<void(TKvCalculatedSeries& Sender, const EKvError& Error)>;

inline constexpr const char* NoCompleteDataText = "No complete data points!";
inline constexpr const char* CalculateFunctionMissingText =
    "TCalculatedSeries: CalculateFunction must be overridden in derived class!";

class TKvCalculatedSeries : public TKvSeries {
public:
    // At most this many samples are taken over a display range, however
    // many pixel columns it spans (a display range far wider than the axis
    // would otherwise ask for millions of samples).
    static constexpr int32_t MaxDisplaySamples = 65536;

    explicit TKvCalculatedSeries(TKv2DGraph* AGraph);
    ~TKvCalculatedSeries() override;

    // ---- the parent
    TKvSeries* ParentSeries() const { return FParentSeries; }
    // Takes the parent's axes, binds XValues/YValues as the series' data,
    // joins the parent's Children (the curve must already be owned there,
    // see AddChild) and calculates when the parent has points.
    virtual void SetParentSeries(TKvSeries* Value);

    // ---- the operations of every kind
    virtual std::string GetFormula() const;
    virtual double Evaluate(double x);
    virtual void CalculateFunction();
    virtual void WriteResults(TKvIniList& List, std::string_view Section) const;
    virtual std::string CalculationID() const;

    // ---- ranges
    bool AutoStart() const { return FAutoStart; }
    bool AutoStop() const { return FAutoStop; }
    void SetAutoStart(bool Value) { FAutoStart = Value; }
    void SetAutoStop(bool Value) { FAutoStop = Value; }
    double CalculationStart() const { return FCalculationStart; }
    double CalculationStop() const { return FCalculationStop; }
    // Setting an end switches its auto flag off.
    void SetCalculationStart(double Value);
    void SetCalculationStop(double Value);
    bool DisplayAutoStart() const { return FDisplayAutoStart; }
    bool DisplayAutoStop() const { return FDisplayAutoStop; }
    void SetDisplayAutoStart(bool Value) { FDisplayAutoStart = Value; }
    void SetDisplayAutoStop(bool Value) { FDisplayAutoStop = Value; }
    double DisplayStart() const { return FDisplayStart; }
    double DisplayStop() const { return FDisplayStop; }
    // Setting an end switches the coupling and its display auto flag off.
    void SetDisplayStart(double Value);
    void SetDisplayStop(double Value);
    bool CoupleCalculationAndDisplay() const { return FCouple; }
    // Recalculates when the calculation and display ranges differ.
    void SetCoupleCalculationAndDisplay(bool Value);

    TKvNotifyEvent OnCalculated;
    TKvErrorEvent OnError;
    // The window's number of the curve (its position in the child list).
    int32_t Tag = 0;
    // The message of the last failed calculation of the preparation step,
    // empty after a successful one.
    QString LastError;

    // The computed points; they are the series' XData and YData.
    TKvLiveVector XValues, YValues;

    // ---- calculation
    // Brings the ranges up to date, empties the curve, runs
    // CalculateFunction and writes the results. An error's message gets the
    // caption in front and is kept in LastError; OnError consumes it,
    // otherwise it propagates. A failed calculation leaves no results.
    void Calculate();
    // Calculate when the parent has points (after a parameter changed).
    void CalculateIfReady();
    void UpdateRanges();
    // One X per pixel column of the display range, from its smaller to its
    // larger end whatever the direction of the axis.
    void FillDisplayX();
    // FillDisplayX, then Y = Evaluate(X) for every X.
    void FillCurve();
    // " (n)" for the n-th child of the parent of the same class, n > 1.
    QString IndexSuffix() const;
    // CalculationID and IndexSuffix without spaces.
    std::string ResultsSection() const;

    bool IsCalculated() const override { return true; }
    // The results' "PointsUsed" of the last calculation: the gathered
    // points inside the calculation range; a kind that leaves out more
    // says so here.
    virtual int32_t PointsUsed() const;
    // The preparation step before a paint: Calculate, with an error that
    // nobody consumed kept in LastError instead of thrown. Skipped while
    // the curve is calculating: a fit that lets the window paint between
    // its passes must not be started again from that paint.
    void Recalculate() override;
    bool Calculating() const { return FCalculating; }

    void SaveToIni(TKvIniList& Ini, std::string_view Section) const override;
    void LoadFromIni(const TKvIniList& Ini, std::string_view Section) override;

protected:
    // The part of SetParentSeries after the axes: data, child list, ranges,
    // first calculation.
    void JoinParent();
    // Erases the section the last results went to.
    void EraseResults();
    // The parent's points that take part, gathered by Calculate before
    // CalculateFunction: a point with a missing X, Y or weight is left out
    // (the parent's vectors are read in place when none is missing). No
    // complete point at all raises "No complete data points!"; a value that
    // is not finite and not missing raises a clear error. Every kind reads
    // its data here.
    void GatherParentPoints();
    std::span<const double> ParentX() const { return FParentX; }
    std::span<const double> ParentY() const { return FParentY; }
    std::optional<std::span<const double>> ParentW() const;

    // True when the X (or Y) axis is logarithmic.
    bool LogX() const;
    bool LogY() const;

    TKvSeries* FParentSeries = nullptr;
    bool FAutoStart = true, FAutoStop = true;
    double FCalculationStart = 0, FCalculationStop = 0;
    bool FDisplayAutoStart = true, FDisplayAutoStop = true;
    double FDisplayStart = 0, FDisplayStop = 0;
    bool FCouple = true;
    bool FCalculating = false;
    // The section the last results went to, erased before the next write
    // and when the curve dies.
    mutable std::string FWrittenSection;

private:
    std::span<const double> FParentX, FParentY, FParentW;
    bool FHasWeights = false;
    std::vector<double> FCompleteX, FCompleteY, FCompleteW;
};

// Creates a curve of class T below Parent with its caption and error
// handler and attaches it (which calculates it when the parent has points).
template <class T>
T& NewCalculation(TKvSeries& Parent, const QString& AutoCaption = {}, TKvErrorEvent OnError = {})
{
    T& Curve = Parent.AddChild<T>(Parent.Graph());
    Curve.SetAutoCaption(AutoCaption);
    Curve.OnError = std::move(OnError);
    Curve.SetParentSeries(&Parent);
    return Curve;
}

// Removes Curve from its parent's children (which frees it).
void DeleteCalculation(TKvCalculatedSeries* Curve);

} // namespace kv
