#pragma once
// The series of a graph: a pair of data vectors drawn against one X and
// one Y axis as a polyline, point symbols or both, optionally with error
// bars. Series keep pixel positions cached and their ranges up to date
// incrementally while the live vectors they are bound to change.

#include "KvDraw.h"

#include "foundation/KvIniList.h"
#include "foundation/KvRange.h"
#include "foundation/KvVector.h"

#include <QPainter>
#include <QString>

#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace kv {

class TKvAxis;
class TKv2DGraph;
class TKvDrawingWorld;
class TKvSeries;

using TKvSeriesList = std::vector<std::unique_ptr<TKvSeries>>;

class TKvSeries {
public:
    // Polylines are sent in pieces of at most this many points.
    static constexpr int32_t MaxPolylinePoints = 2000;
    // Mapping values to pixels is shared between cores from this many
    // points per core on.
    static constexpr int32_t MinPointsPerTask = 1 << 20;

    explicit TKvSeries(TKv2DGraph* AGraph);
    virtual ~TKvSeries();
    TKvSeries(const TKvSeries&) = delete;
    TKvSeries& operator=(const TKvSeries&) = delete;

    TKv2DGraph* Graph() const { return FGraph; }

    TKvRealVector* XData() const { return FXData; }
    TKvRealVector* YData() const { return FYData; }
    TKvRealVector* Weight() const { return FWeight; }
    void SetXData(TKvRealVector* V);
    void SetYData(TKvRealVector* V);
    void SetWeight(TKvRealVector* V);
    TKvAxis* XAxis() const { return FXAxis; }
    TKvAxis* YAxis() const { return FYAxis; }
    void SetXAxis(TKvAxis* A);
    void SetYAxis(TKvAxis* A);
    TKvDrawingWorld* World() const { return FWorld; }

    int32_t PointCount() const { return FPointCount; }
    const TRange& XRange() const { return FXRange; }
    const TRange& YRange() const { return FYRange; }
    int32_t XMinIndex() const { return FXMinIndex; }
    int32_t XMaxIndex() const { return FXMaxIndex; }
    int32_t YMinIndex() const { return FYMinIndex; }
    int32_t YMaxIndex() const { return FYMaxIndex; }
    const TKvPointVector& Points() const { return FPoints; }

    TKvLineStyle LineStyle;

    const QString& Caption() const { return FCaption; }
    void SetCaption(const QString& S);
    const QString& AutoCaption() const { return FAutoCaption; }
    const QString& UserCaption() const { return FUserCaption; }
    bool DoUserCaption() const { return FDoUserCaption; }
    void SetAutoCaption(const QString& S);
    void SetUserCaption(const QString& S);
    void SetDoUserCaption(bool B);
    bool IncludeInLegend = true;

    TKvIniList Results;
    TKvSeriesList Children;
    template <class T, class... Args>
    T& AddChild(Args&&... A)
    {
        auto Child = std::make_unique<T>(std::forward<Args>(A)...);
        T& Ref = *Child;
        Children.push_back(std::move(Child));
        ChildrenDirty = true;
        return Ref;
    }

    bool PointsDirty = true, RangesDirty = false, ChildrenDirty = false;

    virtual bool IsDataSeries() const { return false; }
    virtual bool IsCalculated() const { return false; }
    // Calculated series recompute their curve here.
    virtual void Recalculate() {}
    // Recalculates the calculated children when the data changed (and
    // theirs in turn); true when any curve was recalculated. Part of the
    // preparation before a paint, never of the painting itself.
    bool RecalculateChildren();

    virtual void UpdateXRange(int32_t i, double X);
    virtual void UpdateYRange(int32_t i, double Y);
    virtual void ComputeXRange();
    virtual void ComputeYRange();
    virtual void UpdatePoint(int32_t i);
    virtual void SaveToIni(TKvIniList& Ini, std::string_view Section) const;
    virtual void LoadFromIni(const TKvIniList& Ini, std::string_view Section);

    void Recompute();
    void MarkChanged();
    void DrawLine(QPainter& Canvas);
    virtual void DrawPoints(QPainter&) {}

    int32_t FindPoint(int32_t X, int32_t Y, int32_t Tolerance) const;
    int32_t XToPixel(double X) const;
    double PixelToX(int32_t Px) const;
    double PixelToY(int32_t Py) const;

    // Per pixel column drawing for series with far more points than the
    // plot has columns; the picture is the same up to the end pixels.
    bool Decimate = true;
    // The pieces (first point, point count) of the last full polyline
    // drawing, for checks of the chunking.
    std::vector<std::pair<int32_t, int32_t>> LastPolylines;

    // The listeners of the bound live vectors.
    void XValueChanged(double NewVal, int32_t i, bool WasDeleted);
    void YValueChanged(double NewVal, int32_t i, bool WasDeleted);
    void WeightChanged(double NewVal, int32_t i, bool WasDeleted);

    // Called by the graph when an axis or the graph goes away first.
    void AxisDestroyed(TKvAxis* A);

protected:
    TKvValueIChangedEvent XListener() { return TKvValueIChangedEvent::Bind<&TKvSeries::XValueChanged>(this); }
    TKvValueIChangedEvent YListener() { return TKvValueIChangedEvent::Bind<&TKvSeries::YValueChanged>(this); }
    void Repaint();
    void RecountPoints();
    // The pixel positions of all points at once, as UpdatePoint would
    // give them one by one.
    virtual void UpdateAllPoints();
    void ValueChanged(bool IsX, int32_t i, bool WasDeleted);
    void IncludeRangeValue(bool IsX, int32_t i, double V);
    // Offset: the index of P[0] among the series' points, for LastPolylines.
    void DrawPolylines(QPainter& Canvas, const TKvPoint* P, int32_t Count, int32_t Offset = 0);
    void DrawDecimated(QPainter& Canvas, int32_t First, int32_t Count);
    // Whether a missing X or Y value may be among the points (a stale true
    // only costs a check per point), and whether point i has one.
    bool HasMissing() const { return FXHasMissing || FYHasMissing; }
    bool PointMissing(int32_t i) const;
    void SetData(bool IsX, TKvRealVector* V);

    TKv2DGraph* FGraph;
    TKvRealVector* FXData = nullptr;
    TKvRealVector* FYData = nullptr;
    TKvRealVector* FWeight = nullptr;
    TKvAxis* FXAxis = nullptr;
    TKvAxis* FYAxis = nullptr;
    TKvDrawingWorld* FWorld = nullptr;
    TRange FXRange, FYRange;
    int32_t FXMinIndex = -1, FXMaxIndex = -1, FYMinIndex = -1, FYMaxIndex = -1;
    int32_t FPointCount = 0;
    bool FXHasMissing = false, FYHasMissing = false;
    TKvPointVector FPoints{50};
    QString FCaption, FAutoCaption, FUserCaption;
    bool FDoUserCaption = false;
};

class TKvLineSeries : public TKvSeries {
public:
    // Attaches to the graph's primary axes and drawing world.
    explicit TKvLineSeries(TKv2DGraph* AGraph);
};

class TKvDataSeries : public TKvLineSeries {
public:
    explicit TKvDataSeries(TKv2DGraph* AGraph);
    TKvPointStyle PointStyle;
    bool IsDataSeries() const override { return true; }
    void SaveToIni(TKvIniList& Ini, std::string_view Section) const override;
    void LoadFromIni(const TKvIniList& Ini, std::string_view Section) override;
    void DrawPoints(QPainter& Canvas) override;

protected:
    virtual void DrawErrorBars(QPainter&, int32_t, const TKvPoint&) {}
    virtual bool HasErrorBars() const { return false; }
};

// The length in pixels of an error bar from value V to V + Sign * |E|
// along axis A (Sign +1 or -1).
int32_t ErrorBarLength(const TKvAxis& A, double V, double E, int Sign);

class TKvDataWithErrorSeries : public TKvDataSeries {
public:
    explicit TKvDataWithErrorSeries(TKv2DGraph* AGraph);
    ~TKvDataWithErrorSeries() override;

    TKvRealVector* dXPlus() const { return FdXPlus; }
    TKvRealVector* dXMinus() const { return FdXMinus; }
    TKvRealVector* dYPlus() const { return FdYPlus; }
    TKvRealVector* dYMinus() const { return FdYMinus; }
    void SetdXPlus(TKvRealVector* V) { SetError(FdXPlus, FdXPlusPixels, V, true); }
    void SetdXMinus(TKvRealVector* V) { SetError(FdXMinus, FdXMinusPixels, V, true); }
    void SetdYPlus(TKvRealVector* V) { SetError(FdYPlus, FdYPlusPixels, V, false); }
    void SetdYMinus(TKvRealVector* V) { SetError(FdYMinus, FdYMinusPixels, V, false); }
    TColor ErrorIndicatorsColor = clBlack;

    const TKvIntegerVector& dXPlusPixels() const { return FdXPlusPixels; }
    const TKvIntegerVector& dXMinusPixels() const { return FdXMinusPixels; }
    const TKvIntegerVector& dYPlusPixels() const { return FdYPlusPixels; }
    const TKvIntegerVector& dYMinusPixels() const { return FdYMinusPixels; }

    void UpdateXRange(int32_t i, double X) override;
    void UpdateYRange(int32_t i, double Y) override;
    void ComputeXRange() override;
    void ComputeYRange() override;
    void UpdatePoint(int32_t i) override;
    void SaveToIni(TKvIniList& Ini, std::string_view Section) const override;
    void LoadFromIni(const TKvIniList& Ini, std::string_view Section) override;

protected:
    void DrawErrorBars(QPainter& Canvas, int32_t i, const TKvPoint& P) override;
    bool HasErrorBars() const override { return FdXPlus || FdXMinus || FdYPlus || FdYMinus; }
    void UpdateAllPoints() override;

private:
    void SetError(TKvRealVector*& Field, TKvIntegerVector& Pixels, TKvRealVector* V, bool IsX);
    // The error term of vector V at point i, 0 when it does not count.
    double ErrorAt(const TKvRealVector* V, int32_t i) const;
    void UpdateRangeWithErrors(bool IsX, int32_t i, double V);
    void ComputeRangeWithErrors(bool IsX);
    void UpdateErrorLengths(int32_t i);

    TKvRealVector* FdXPlus = nullptr;
    TKvRealVector* FdXMinus = nullptr;
    TKvRealVector* FdYPlus = nullptr;
    TKvRealVector* FdYMinus = nullptr;
    TKvIntegerVector FdXPlusPixels, FdXMinusPixels, FdYPlusPixels, FdYMinusPixels;
};

} // namespace kv
