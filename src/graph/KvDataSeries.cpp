#include "KvDataSeries.h"

#include "KvAxis.h"
#include "KvAxisNumbers.h"
#include "KvGraph2D.h"
#include "KvPixel.h"

#include "foundation/KvMissing.h"

#include <algorithm>
#include <cmath>
#include <future>
#include <string>
#include <thread>

namespace kv {

namespace {

TKvLiveVector* AsLive(TKvRealVector* V) { return dynamic_cast<TKvLiveVector*>(V); }

void Listen(TKvRealVector* V, const TKvValueIChangedEvent& E)
{
    if (auto* L = AsLive(V))
        L->Listeners().Add(E);
}

void Unlisten(TKvRealVector* V, const TKvValueIChangedEvent& E)
{
    if (auto* L = AsLive(V))
        L->Listeners().Remove(E);
}

std::string ChildSection(std::string_view Section, size_t n)
{
    return std::string(Section) + ".Child(" + std::to_string(n) + ")";
}

// The pixel positions of Count values along axis A, the same as
// A.RealToIntPosition gives one by one, in a few tight loops over the
// values; Work holds Count logarithms on a log axis.
void AxisPixels(const TKvAxis& A, const double* V, int32_t Count, int32_t* Out, double* Work)
{
    const bool Log = A.Scaling() == TKvAxScaling::AxLog || A.Scaling() == TKvAxScaling::AxLogEE;
    if (A.Scaling() == TKvAxScaling::AxNormal)
        ToPixels(V, Count, A.Start(), A.Scale(), Out);
    else if (Log) {
        for (int32_t k = 0; k < Count; ++k)
            Work[k] = V[k] > 0 ? std::log10(V[k]) : 0.0;
        ToPixels(Work, Count, A.LogStart(), A.Scale(), Out);
    } else {
        // Any other scaling: the axis itself decides (and refuses).
        for (int32_t k = 0; k < Count; ++k)
            Out[k] = A.RealToIntPosition(V[k]);
        return;
    }
    if (A.Vertical() != A.Twisted())
        for (int32_t k = 0; k < Count; ++k)
            Out[k] = A.Length - Out[k];
    // Values a log axis cannot show sit just off its start, unmirrored.
    if (Log)
        for (int32_t k = 0; k < Count; ++k)
            Out[k] = V[k] > 0 ? Out[k] : -1;
}

// Points First to Last - 1 from their X and Y values, in blocks that stay
// in the first-level cache: each axis maps its block in one loop, then the
// two pixel rows are paired into points.
void MapPoints(const TKvAxis& XAxis, const TKvAxis& YAxis, const double* X, const double* Y, TKvPoint* P,
               int32_t First, int32_t Last)
{
    constexpr int32_t Block = 1024;
    int32_t Xs[Block], Ys[Block];
    double Work[Block];
    for (int32_t i = First; i < Last; i += Block) {
        const int32_t n = std::min(Block, Last - i);
        AxisPixels(XAxis, X + i, n, Xs, Work);
        AxisPixels(YAxis, Y + i, n, Ys, Work);
        for (int32_t k = 0; k < n; ++k)
            P[i + k] = {Xs[k], Ys[k]};
    }
}

} // namespace

// ---------------------------------------------------------------- TKvSeries

TKvSeries::TKvSeries(TKv2DGraph* AGraph) : FGraph(AGraph)
{
    LineStyle.OnChange = [this] { Repaint(); };
    Results.WriteString("Datapoints", "Caption", "");
}

TKvSeries::~TKvSeries()
{
    Unlisten(FXData, XListener());
    Unlisten(FYData, YListener());
    Unlisten(FWeight, TKvValueIChangedEvent::Bind<&TKvSeries::WeightChanged>(this));
    FXRange.OnChange = nullptr;
    FYRange.OnChange = nullptr;
    if (FXAxis) {
        FXAxis->Ranges().Remove(&FXRange);
        FXAxis->ResetZoom();
    }
    if (FYAxis) {
        FYAxis->Ranges().Remove(&FYRange);
        FYAxis->ResetZoom();
    }
    while (!Children.empty())
        Children.pop_back();
}

void TKvSeries::Repaint()
{
    if (FGraph)
        FGraph->Repaint();
}

void TKvSeries::MarkChanged()
{
    PointsDirty = true;
    Repaint();
}

void TKvSeries::AxisDestroyed(TKvAxis* A)
{
    if (FXAxis == A) {
        FXRange.OnChange = nullptr;
        FXAxis = nullptr;
    }
    if (FYAxis == A) {
        FYRange.OnChange = nullptr;
        FYAxis = nullptr;
    }
    for (auto& C : Children)
        C->AxisDestroyed(A);
}

void TKvSeries::SetXAxis(TKvAxis* A)
{
    if (A == FXAxis)
        return;
    if (FXAxis)
        FXAxis->Ranges().Remove(&FXRange);
    FXAxis = A;
    FXRange.OnChange = nullptr;
    if (A == nullptr)
        return;
    if (TKv2DGraph* G = A->Graph()) {
        FWorld = &G->World();
        for (auto& L : G->Legends())
            if (L->AssignedGraph() == G)
                L->RequestRebuild();
        G->RequestLayout();
    }
    if (AsLive(FXData) || FXData) {
        FXRange.OnChange = [A](TRange& R) { A->RangeChanged(R); };
        A->Ranges().Add(&FXRange);
    }
}

void TKvSeries::SetYAxis(TKvAxis* A)
{
    if (A == FYAxis)
        return;
    if (FYAxis)
        FYAxis->Ranges().Remove(&FYRange);
    FYAxis = A;
    FYRange.OnChange = nullptr;
    if (A == nullptr)
        return;
    if (A->Graph())
        A->Graph()->RequestLayout();
    if (FYData) {
        FYRange.OnChange = [A](TRange& R) { A->RangeChanged(R); };
        A->Ranges().Add(&FYRange);
    }
}

void TKvSeries::SetData(bool IsX, TKvRealVector* V)
{
    TKvRealVector*& Field = IsX ? FXData : FYData;
    TKvAxis* Axis = IsX ? FXAxis : FYAxis;
    TRange& Range = IsX ? FXRange : FYRange;
    const TKvValueIChangedEvent Listener = IsX ? XListener() : YListener();
    if (Field != V)
        Unlisten(Field, Listener);
    if (Field == V)
        return;
    if (Axis)
        Axis->Ranges().Remove(&Range);
    Field = V;
    // Plain vectors plot too (calculated curves, files without a table);
    // only live vectors report their changes.
    if (V && Axis) {
        Range.OnChange = [Axis](TRange& R) { Axis->RangeChanged(R); };
        Listen(V, Listener);
        Axis->Ranges().Add(&Range);
    }
    // Values already in the vector must reach the ranges and axes.
    RangesDirty = true;
    MarkChanged();
    if (FGraph)
        FGraph->RequestLayout();
}

void TKvSeries::SetXData(TKvRealVector* V) { SetData(true, V); }
void TKvSeries::SetYData(TKvRealVector* V) { SetData(false, V); }

void TKvSeries::SetWeight(TKvRealVector* V)
{
    const auto E = TKvValueIChangedEvent::Bind<&TKvSeries::WeightChanged>(this);
    Unlisten(FWeight, E);
    FWeight = V;
    Listen(V, E);
}

// ---- captions

void TKvSeries::SetCaption(const QString& S)
{
    FCaption = S;
    if (FDoUserCaption)
        FAutoCaption = S;
    else
        FUserCaption = S;
    Results.WriteString("Datapoints", "Caption", FCaption.toStdString());
    Repaint();
}

void TKvSeries::SetAutoCaption(const QString& S)
{
    FAutoCaption = S;
    if (!FDoUserCaption)
        FCaption = S;
    Results.WriteString("Datapoints", "Caption", FCaption.toStdString());
    Repaint();
}

void TKvSeries::SetUserCaption(const QString& S)
{
    if (S == FUserCaption)
        return;
    FUserCaption = S;
    if (FDoUserCaption)
        FCaption = S;
    Results.WriteString("Datapoints", "Caption", FCaption.toStdString());
    Repaint();
}

void TKvSeries::SetDoUserCaption(bool B)
{
    if (B == FDoUserCaption)
        return;
    FDoUserCaption = B;
    if (B)
        FCaption = FUserCaption;
    Results.WriteString("Datapoints", "Caption", FCaption.toStdString());
    Repaint();
}

// ---- ranges and points

void TKvSeries::RecountPoints()
{
    FPointCount = (FXData && FYData) ? std::min(FXData->Count(), FYData->Count()) : 0;
    FPoints.SetCount(FPointCount);
}

void TKvSeries::ComputeXRange()
{
    double Min = KvMissing, Max = -KvMissing;
    FXMinIndex = FXMaxIndex = -1;
    FXHasMissing = false;
    const int32_t n = FXData ? std::min(FPointCount, FXData->Count()) : 0;
    for (int32_t i = 0; i < n; ++i) {
        const double V = (*FXData)[i];
        if (IsMissing(V)) {
            FXHasMissing = true; // a NaN would poison the range and every axis reading it
            continue;
        }
        if (V < Min)
            Min = V, FXMinIndex = i;
        if (V > Max)
            Max = V, FXMaxIndex = i;
    }
    FXRange.SetRange(Min, Max);
    MarkChanged();
}

void TKvSeries::ComputeYRange()
{
    double Min = KvMissing, Max = -KvMissing;
    FYMinIndex = FYMaxIndex = -1;
    FYHasMissing = false;
    const int32_t n = FYData ? std::min(FPointCount, FYData->Count()) : 0;
    for (int32_t i = 0; i < n; ++i) {
        const double V = (*FYData)[i];
        if (IsMissing(V)) {
            FYHasMissing = true;
            continue;
        }
        if (V < Min)
            Min = V, FYMinIndex = i;
        if (V > Max)
            Max = V, FYMaxIndex = i;
    }
    FYRange.SetRange(Min, Max);
    MarkChanged();
}

void TKvSeries::IncludeRangeValue(bool IsX, int32_t i, double V)
{
    if (IsMissing(V))
        (IsX ? FXHasMissing : FYHasMissing) = true;
    TRange& R = IsX ? FXRange : FYRange;
    const int Moved = R.Include(V);
    if (Moved & 1)
        (IsX ? FXMinIndex : FYMinIndex) = i;
    if (Moved & 2)
        (IsX ? FXMaxIndex : FYMaxIndex) = i;
    if (Moved)
        MarkChanged();
}

void TKvSeries::UpdateXRange(int32_t i, double X)
{
    if (i == FXMinIndex || i == FXMaxIndex)
        ComputeXRange();
    else
        IncludeRangeValue(true, i, X);
}

void TKvSeries::UpdateYRange(int32_t i, double Y)
{
    if (i == FYMinIndex || i == FYMaxIndex)
        ComputeYRange();
    else
        IncludeRangeValue(false, i, Y);
}

void TKvSeries::UpdatePoint(int32_t i)
{
    if (i < 0 || i >= FPointCount)
        return;
    *FPoints.PointPtr(i) = {FXAxis->RealToIntPosition((*FXData)[i]), FYAxis->RealToIntPosition((*FYData)[i])};
}

bool TKvSeries::RecalculateChildren()
{
    // Children first see the parent's new data, then their own children
    // see theirs.
    bool Any = false;
    if (ChildrenDirty) {
        ChildrenDirty = false;
        for (auto& C : Children)
            if (C->IsCalculated()) {
                C->Recalculate();
                C->ChildrenDirty = true;
                Any = true;
            }
    }
    for (auto& C : Children)
        Any = C->RecalculateChildren() || Any;
    return Any;
}

void TKvSeries::Recompute()
{
    if (!FXData || !FYData || !FXAxis || !FYAxis)
        return;
    RecountPoints();
    if (RangesDirty) {
        ComputeXRange();
        ComputeYRange();
        MarkChanged();
        RangesDirty = false;
        if ((!Children.empty() || IsCalculated()) && FGraph)
            FGraph->RequestLayout();
        return;
    }
    for (auto& C : Children)
        C->MarkChanged();
    UpdateAllPoints();
    PointsDirty = false;
}

void TKvSeries::UpdateAllPoints()
{
    // Long series are shared out between the cores: the mapping mostly
    // waits for the values to arrive from memory, and one core alone does
    // not get all the bandwidth. The pieces are disjoint; the caller maps
    // the first one and then waits for the others (their errors reach it).
    const int32_t Cores = static_cast<int32_t>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    const int32_t Tasks = std::clamp(FPointCount / MinPointsPerTask, 1, Cores);
    const int32_t Piece = (FPointCount + Tasks - 1) / Tasks;
    const double* X = FXData->Data();
    const double* Y = FYData->Data();
    TKvPoint* P = FPoints.PointPtr(0);
    std::vector<std::future<void>> Others;
    for (int32_t t = 1; t < Tasks; ++t) {
        const int32_t First = t * Piece, Last = std::min(FPointCount, First + Piece);
        Others.push_back(std::async(std::launch::async, [this, X, Y, P, First, Last] {
            MapPoints(*FXAxis, *FYAxis, X, Y, P, First, Last);
        }));
    }
    MapPoints(*FXAxis, *FYAxis, X, Y, P, 0, std::min(FPointCount, Piece));
    for (auto& F : Others)
        F.get();
}

void TKvSeries::ValueChanged(bool IsX, int32_t i, bool WasDeleted)
{
    ChildrenDirty = true;
    // Noted even before the axes are there, so the line breaks at it.
    const TKvRealVector* V = IsX ? FXData : FYData;
    if (!WasDeleted && V && i >= 0 && i < V->Count() && IsMissing((*V)[i]))
        (IsX ? FXHasMissing : FYHasMissing) = true;
    const int32_t OldCount = FPointCount;
    RecountPoints();
    const bool Ready = FXData && FYData && FXAxis && FYAxis;
    if (!WasDeleted && FPointCount > OldCount && Ready) {
        for (int32_t k = OldCount; k < FPointCount; ++k) {
            if (IsX)
                UpdateYRange(k, (*FYData)[k]);
            else
                UpdateXRange(k, (*FXData)[k]);
        }
        for (int32_t k = OldCount; k < FPointCount - 1; ++k) {
            if (IsX)
                UpdateXRange(k, (*FXData)[k]);
            else
                UpdateYRange(k, (*FYData)[k]);
            UpdatePoint(k);
        }
    }
    if (WasDeleted) {
        // A deletion moves every later point: rescan all at the next paint.
        RangesDirty = ChildrenDirty = PointsDirty = true;
        Repaint();
        return;
    }
    if (i >= 0 && i < FPointCount && Ready) {
        if (IsX)
            UpdateXRange(i, (*FXData)[i]);
        else
            UpdateYRange(i, (*FYData)[i]);
        UpdatePoint(i);
        Repaint();
    }
}

void TKvSeries::XValueChanged(double, int32_t i, bool WasDeleted) { ValueChanged(true, i, WasDeleted); }
void TKvSeries::YValueChanged(double, int32_t i, bool WasDeleted) { ValueChanged(false, i, WasDeleted); }

void TKvSeries::WeightChanged(double, int32_t, bool)
{
    ChildrenDirty = true;
    Repaint();
}

// ---- painting

void TKvSeries::DrawPolylines(QPainter& Canvas, const TKvPoint* P, int32_t Count, int32_t Offset)
{
    // Consecutive pieces share one point so the line has no gaps.
    QPoint Buffer[MaxPolylinePoints];
    const bool OwnClip = NeedsOwnClipping(Canvas) && FWorld;
    const QRectF Clip = OwnClip ? QRectF(0, 0, FWorld->PlotRect.Width(), FWorld->PlotRect.Height()) : QRectF();
    for (int32_t First = 0; First < Count - 1; First += MaxPolylinePoints - 1) {
        const int32_t n = std::min(MaxPolylinePoints, Count - First);
        for (int32_t k = 0; k < n; ++k)
            Buffer[k] = QPoint(P[First + k].X, P[First + k].Y);
        if (OwnClip)
            DrawClippedPolyline(Canvas, Buffer, n, Clip);
        else
            Canvas.drawPolyline(Buffer, n);
        LastPolylines.emplace_back(Offset + First, n);
    }
}

void TKvSeries::DrawDecimated(QPainter& Canvas, int32_t First, int32_t Count)
{
    // Points that fall into one pixel column form a run; a run only needs
    // its first point, its lowest and highest point (in the order they
    // occur) and its last point to cover the same pixels.
    std::vector<TKvPoint> Out;
    Out.reserve(static_cast<size_t>(4 * (FWorld ? FWorld->PlotRect.Width() + 2 : 1024)));
    const TKvPoint* P = FPoints.PointPtr(First);
    int32_t RunStart = 0;
    while (RunStart < Count) {
        const int32_t X = P[RunStart].X;
        int32_t MinK = RunStart, MaxK = RunStart, End = RunStart + 1;
        int32_t MinY = P[RunStart].Y, MaxY = MinY;
        while (End < Count && P[End].X == X) {
            const int32_t Y = P[End].Y;
            if (Y < MinY)
                MinY = Y, MinK = End;
            if (Y > MaxY)
                MaxY = Y, MaxK = End;
            ++End;
        }
        const int32_t Last = End - 1;
        Out.push_back(P[RunStart]);
        const int32_t A = std::min(MinK, MaxK), B = std::max(MinK, MaxK);
        if (A != RunStart && A != Last)
            Out.push_back(P[A]);
        if (B != A && B != RunStart && B != Last)
            Out.push_back(P[B]);
        if (Last != RunStart)
            Out.push_back(P[Last]);
        RunStart = End;
    }
    DrawPolylines(Canvas, Out.data(), static_cast<int32_t>(Out.size()));
}

void TKvSeries::DrawLine(QPainter& Canvas)
{
    if (PointsDirty)
        Recompute();
    LastPolylines.clear();
    if (DrawingSuspended || !LineStyle.Visible() || FPointCount < 2)
        return;
    Canvas.setPen(MakePen(LineStyle.Color(), LineStyle.Width(), LineStyle.Style()));
    Canvas.setBrush(Qt::NoBrush);
    const int32_t Columns = FWorld ? std::max(1, FWorld->PlotRect.Width()) : 1024;
    const bool LogX = FXAxis && FXAxis->Scaling() != TKvAxScaling::AxNormal;
    const bool LogY = FYAxis && FYAxis->Scaling() != TKvAxScaling::AxNormal;
    const auto DrawRun = [&](int32_t First, int32_t Count) {
        if (Decimate && Count > 8 * Columns)
            DrawDecimated(Canvas, First, Count);
        else
            DrawPolylines(Canvas, FPoints.PointPtr(First), Count, First);
    };
    if (!HasMissing() && !LogX && !LogY) {
        DrawRun(0, FPointCount);
        return;
    }
    // The line breaks at a point with a missing value and at one that has
    // no place on a logarithmic axis (a value at or below zero), instead of
    // running to the plot's edge: the runs between are drawn each on its own.
    const double* X = FXData->Data();
    const double* Y = FYData->Data();
    const auto Drawn = [&](int32_t i) {
        return !IsMissing(X[i]) && !IsMissing(Y[i]) && (!LogX || X[i] > 0) && (!LogY || Y[i] > 0);
    };
    for (int32_t First = 0; First < FPointCount;) {
        while (First < FPointCount && !Drawn(First))
            ++First;
        int32_t End = First;
        while (End < FPointCount && Drawn(End))
            ++End;
        if (End - First >= 2)
            DrawRun(First, End - First);
        First = End;
    }
}

bool TKvSeries::PointMissing(int32_t i) const { return IsMissing((*FXData)[i]) || IsMissing((*FYData)[i]); }

int32_t TKvSeries::FindPoint(int32_t X, int32_t Y, int32_t Tolerance) const
{
    const int32_t L = FWorld ? FWorld->PlotRect.Left : 0, T = FWorld ? FWorld->PlotRect.Top : 0;
    const bool Gaps = HasMissing();
    for (int32_t i = std::min(FPointCount, FPoints.Count()) - 1; i >= 0; --i) {
        const TKvPoint& P = *FPoints.PointPtr(i);
        if (std::abs(P.X + L - X) <= Tolerance && std::abs(P.Y + T - Y) <= Tolerance && !(Gaps && PointMissing(i)))
            return i;
    }
    return -1;
}

int32_t TKvSeries::XToPixel(double X) const
{
    if (!FXAxis)
        throw EConvertError("The series has no X axis");
    return FXAxis->RealToIntPosition(X) + (FWorld ? FWorld->PlotRect.Left : 0);
}

double TKvSeries::PixelToX(int32_t Px) const
{
    if (!FXAxis)
        throw EConvertError("The series has no X axis");
    return FXAxis->IntToRealPosition(Px - (FWorld ? FWorld->PlotRect.Left : 0));
}

double TKvSeries::PixelToY(int32_t Py) const
{
    if (!FYAxis)
        throw EConvertError("The series has no Y axis");
    return FYAxis->IntToRealPosition(Py - (FWorld ? FWorld->PlotRect.Top : 0));
}

// ---- persistence

void TKvSeries::SaveToIni(TKvIniList& Ini, std::string_view Section) const
{
    Ini.WriteBool(Section, "DoUserCaption", FDoUserCaption);
    Ini.WriteString(Section, "UserCaption", FUserCaption.toStdString());
    Ini.WriteBool(Section, "IncludeInLegend", IncludeInLegend);
    LineStyle.SaveToIni(Ini, Section, "Line");
    Ini.WriteInteger(Section, "ChildCount", static_cast<int32_t>(Children.size()));
    for (size_t n = 0; n < Children.size(); ++n)
        Children[n]->SaveToIni(Ini, ChildSection(Section, n + 1));
}

void TKvSeries::LoadFromIni(const TKvIniList& Ini, std::string_view Section)
{
    SetDoUserCaption(Ini.ReadBool(Section, "DoUserCaption", FDoUserCaption));
    SetUserCaption(QString::fromStdString(Ini.ReadString(Section, "UserCaption", FUserCaption.toStdString())));
    if (FDoUserCaption) {
        FCaption = FUserCaption;
        Results.WriteString("Datapoints", "Caption", FCaption.toStdString());
    }
    IncludeInLegend = Ini.ReadBool(Section, "IncludeInLegend", true);
    LineStyle.LoadFromIni(Ini, Section, "Line");
    const int32_t Count = Ini.ReadInteger(Section, "ChildCount", 0);
    if (Count > 0)
        for (size_t k = 0; k < Children.size(); ++k)
            Children[k]->LoadFromIni(Ini, ChildSection(Section, k % static_cast<size_t>(Count) + 1));
}

// ---------------------------------------------------------------- TKvLineSeries

TKvLineSeries::TKvLineSeries(TKv2DGraph* AGraph) : TKvSeries(AGraph)
{
    if (AGraph) {
        SetXAxis(AGraph->PrimaryXAxis());
        SetYAxis(AGraph->PrimaryYAxis());
        FWorld = &AGraph->World();
    }
}

// ---------------------------------------------------------------- TKvDataSeries

TKvDataSeries::TKvDataSeries(TKv2DGraph* AGraph) : TKvLineSeries(AGraph)
{
    PointStyle.OnChange = [this] { Repaint(); };
}

void TKvDataSeries::SaveToIni(TKvIniList& Ini, std::string_view Section) const
{
    TKvLineSeries::SaveToIni(Ini, Section);
    Ini.WriteBool(Section, "Point.Visible", PointStyle.Visible());
    Ini.WriteInteger(Section, "Point.Color", PointStyle.Color());
    Ini.WriteInteger(Section, "Point.Size", PointStyle.Size());
    Ini.WriteInteger(Section, "Point.With", PointStyle.Width());
    Ini.WriteInteger(Section, "Point.Style", static_cast<int32_t>(PointStyle.Style()));
}

void TKvDataSeries::LoadFromIni(const TKvIniList& Ini, std::string_view Section)
{
    TKvLineSeries::LoadFromIni(Ini, Section);
    PointStyle.SetVisible(Ini.ReadBool(Section, "Point.Visible", PointStyle.Visible()));
    PointStyle.SetColor(Ini.ReadInteger(Section, "Point.Color", PointStyle.Color()));
    PointStyle.SetSize(Ini.ReadInteger(Section, "Point.Size", PointStyle.Size()));
    PointStyle.SetWidth(Ini.ReadInteger(Section, "Point.With", PointStyle.Width()));
    const int32_t Style = Ini.ReadInteger(Section, "Point.Style", static_cast<int32_t>(PointStyle.Style()));
    if (Style >= 0 && Style < PointSymbolCount)
        PointStyle.SetStyle(static_cast<TKvPointSymbol>(Style));
}

void TKvDataSeries::DrawPoints(QPainter& Canvas)
{
    if (DrawingSuspended || !PointStyle.Visible())
        return;
    if (PointsDirty)
        Recompute();
    const bool Clipped = Canvas.hasClipping();
    const QRegion Clip = Canvas.clipRegion();
    // Symbols at the edge of the plot are drawn whole.
    Canvas.setClipping(false);
    const TColor Data = FGraph ? FGraph->DataColor : clWhite;
    // Pen and brush are made once: per point they cost more than the
    // symbol itself on long series; error bars only when there are any.
    const QBrush Fill = FillColor(Data);
    Canvas.setBrush(Fill);
    const QPen SymbolPen = MakePen(PointStyle.Color(), PointStyle.Width());
    const int32_t W = FWorld ? FWorld->PlotRect.Width() : 0, H = FWorld ? FWorld->PlotRect.Height() : 0;
    const bool Bars = HasErrorBars();
    const bool Gaps = HasMissing();
    for (int32_t i = 0; i < FPointCount; ++i) {
        const TKvPoint& P = *FPoints.PointPtr(i);
        if (P.X < 0 || P.X > W || P.Y < 0 || P.Y > H || (Gaps && PointMissing(i)))
            continue;
        if (Bars)
            DrawErrorBars(Canvas, i, P);
        Canvas.setPen(SymbolPen);
        DrawPointSymbol(P.X, P.Y, PointStyle.Size(), Canvas, PointStyle.Style());
        Canvas.setBrush(Fill);
    }
    if (Clipped)
        Canvas.setClipRegion(Clip);
}

// ---------------------------------------------------------------- TKvDataWithErrorSeries

TKvDataWithErrorSeries::TKvDataWithErrorSeries(TKv2DGraph* AGraph) : TKvDataSeries(AGraph) {}

TKvDataWithErrorSeries::~TKvDataWithErrorSeries()
{
    for (TKvRealVector* V : {FdXPlus, FdXMinus})
        Unlisten(V, XListener());
    for (TKvRealVector* V : {FdYPlus, FdYMinus})
        Unlisten(V, YListener());
}

void TKvDataWithErrorSeries::SetError(TKvRealVector*& Field, TKvIntegerVector& Pixels, TKvRealVector* V, bool IsX)
{
    const TKvValueIChangedEvent Listener = IsX ? XListener() : YListener();
    // The same vector may serve as plus and minus error; keep listening
    // while the other field still uses it.
    TKvRealVector* Other = IsX ? (&Field == &FdXPlus ? FdXMinus : FdXPlus) : (&Field == &FdYPlus ? FdYMinus : FdYPlus);
    TKvRealVector* Data = IsX ? FXData : FYData;
    if (Field != Other && Field != Data)
        Unlisten(Field, Listener);
    Pixels.Clear();
    Field = V;
    Listen(V, Listener);
    RangesDirty = true;
    MarkChanged();
}

double TKvDataWithErrorSeries::ErrorAt(const TKvRealVector* V, int32_t i) const
{
    if (!PointStyle.Visible() || V == nullptr || i < 0 || i >= V->Count())
        return 0;
    const double E = std::fabs((*V)[i]);
    return std::isfinite(E) ? E : 0;
}

void TKvDataWithErrorSeries::UpdateRangeWithErrors(bool IsX, int32_t i, double V)
{
    const int32_t MinIndex = IsX ? FXMinIndex : FYMinIndex, MaxIndex = IsX ? FXMaxIndex : FYMaxIndex;
    if (i == MinIndex || i == MaxIndex) {
        ComputeRangeWithErrors(IsX);
        return;
    }
    IncludeRangeValue(IsX, i, V - ErrorAt(IsX ? FdXMinus : FdYMinus, i));
    IncludeRangeValue(IsX, i, V + ErrorAt(IsX ? FdXPlus : FdYPlus, i));
}

void TKvDataWithErrorSeries::ComputeRangeWithErrors(bool IsX)
{
    const TKvRealVector* Data = IsX ? FXData : FYData;
    const TKvRealVector* Minus = IsX ? FdXMinus : FdYMinus;
    const TKvRealVector* Plus = IsX ? FdXPlus : FdYPlus;
    int32_t& MinIndex = IsX ? FXMinIndex : FYMinIndex;
    int32_t& MaxIndex = IsX ? FXMaxIndex : FYMaxIndex;
    double Min = KvMissing, Max = -KvMissing;
    MinIndex = MaxIndex = -1;
    const int32_t n = Data ? std::min(FPointCount, Data->Count()) : 0;
    // The errors as ErrorAt gives them, read straight from the arrays: the
    // scan runs over every point of every series a file loads.
    const bool Shown = PointStyle.Visible();
    const int32_t nMinus = Shown && Minus ? Minus->Count() : 0, nPlus = Shown && Plus ? Plus->Count() : 0;
    const double* Values = n > 0 ? Data->Data() : nullptr;
    const double* MinusValues = nMinus > 0 ? Minus->Data() : nullptr;
    const double* PlusValues = nPlus > 0 ? Plus->Data() : nullptr;
    const auto Error = [](const double* E, int32_t Count, int32_t i) {
        const double A = i < Count ? std::fabs(E[i]) : 0.0;
        return std::isfinite(A) ? A : 0.0;
    };
    bool Missing = false;
    for (int32_t i = 0; i < n; ++i) {
        const double V = Values[i];
        if (IsMissing(V)) {
            Missing = true;
            continue;
        }
        const double Lo = V - Error(MinusValues, nMinus, i), Hi = V + Error(PlusValues, nPlus, i);
        if (Lo < Min)
            Min = Lo, MinIndex = i;
        if (Hi > Max)
            Max = Hi, MaxIndex = i;
    }
    (IsX ? FXHasMissing : FYHasMissing) = Missing;
    (IsX ? FXRange : FYRange).SetRange(Min, Max);
    MarkChanged();
}

void TKvDataWithErrorSeries::UpdateXRange(int32_t i, double X) { UpdateRangeWithErrors(true, i, X); }
void TKvDataWithErrorSeries::UpdateYRange(int32_t i, double Y) { UpdateRangeWithErrors(false, i, Y); }
void TKvDataWithErrorSeries::ComputeXRange() { ComputeRangeWithErrors(true); }
void TKvDataWithErrorSeries::ComputeYRange() { ComputeRangeWithErrors(false); }

void TKvDataWithErrorSeries::UpdatePoint(int32_t i)
{
    TKvDataSeries::UpdatePoint(i);
    UpdateErrorLengths(i);
}

void TKvDataWithErrorSeries::UpdateAllPoints()
{
    TKvDataSeries::UpdateAllPoints();
    // Most series carry no error bars: no pass over the points for them.
    if (FdXPlus || FdXMinus || FdYPlus || FdYMinus)
        for (int32_t i = 0; i < FPointCount; ++i)
            UpdateErrorLengths(i);
}

void TKvDataWithErrorSeries::UpdateErrorLengths(int32_t i)
{
    if (i < 0 || i >= FPointCount)
        return;
    auto Length = [i](const TKvRealVector* V, const TKvAxis* A, const TKvRealVector* Data, int Sign,
                      TKvIntegerVector& Pixels) {
        if (V == nullptr || i >= V->Count() || A->Scale() == 0)
            return;
        // A missing error value draws no bar (length -1).
        const double E = (*V)[i];
        Pixels.SetValue(i, IsMissing(E) ? -1 : ErrorBarLength(*A, (*Data)[i], E, Sign));
    };
    Length(FdXPlus, FXAxis, FXData, 1, FdXPlusPixels);
    Length(FdXMinus, FXAxis, FXData, -1, FdXMinusPixels);
    Length(FdYPlus, FYAxis, FYData, 1, FdYPlusPixels);
    Length(FdYMinus, FYAxis, FYData, -1, FdYMinusPixels);
}

int32_t ErrorBarLength(const TKvAxis& A, double V, double E, int Sign)
{
    // A NaN length (no error given) draws no bar.
    E = std::fabs(E);
    if (A.Scaling() == TKvAxScaling::AxNormal)
        return std::max(0, ToPixel(E / A.Scale()));
    // On a logarithmic axis the bar runs from V - E to V + E through the
    // axis, so it means the error; an end at or below zero has no place on
    // the axis and the bar reaches the plot's lower edge.
    if (!(V > 0) || std::isnan(E))
        return 0;
    const double End = V + Sign * E;
    const double Along = End > 0 ? std::log10(End) - std::log10(V) : A.LogStart() - std::log10(V);
    return std::max(0, ToPixel(std::fabs(Along) / A.Scale()));
}

void TKvDataWithErrorSeries::DrawErrorBars(QPainter& Canvas, int32_t i, const TKvPoint& P)
{
    Canvas.setPen(MakePen(ErrorIndicatorsColor, 1));
    const int32_t S = PointStyle.Size(), X = P.X, Y = P.Y;
    auto Has = [i](const TKvIntegerVector& V) { return i < V.Count() && V.GetValue(i) >= 0; };
    if (Has(FdXPlusPixels)) {
        const int32_t p = FdXPlusPixels.GetValue(i);
        DrawSegment(X, Y, X + p, Y, Canvas);
        DrawSegment(X + p, Y - S, X + p, Y + S, Canvas);
    }
    if (Has(FdXMinusPixels)) {
        const int32_t m = FdXMinusPixels.GetValue(i);
        DrawSegment(X - m, Y, X, Y, Canvas);
        DrawSegment(X - m, Y - S, X - m, Y + S, Canvas);
    }
    if (Has(FdYPlusPixels)) {
        const int32_t p = FdYPlusPixels.GetValue(i);
        DrawSegment(X, Y - p, X, Y, Canvas);
        DrawSegment(X - S, Y - p, X + S, Y - p, Canvas);
    }
    if (Has(FdYMinusPixels)) {
        const int32_t m = FdYMinusPixels.GetValue(i);
        DrawSegment(X, Y, X, Y + m, Canvas);
        DrawSegment(X - S, Y + m, X + S, Y + m, Canvas);
    }
}

void TKvDataWithErrorSeries::SaveToIni(TKvIniList& Ini, std::string_view Section) const
{
    TKvDataSeries::SaveToIni(Ini, Section);
    Ini.WriteInteger(Section, "ErrorBars.Color", ErrorIndicatorsColor);
}

void TKvDataWithErrorSeries::LoadFromIni(const TKvIniList& Ini, std::string_view Section)
{
    TKvDataSeries::LoadFromIni(Ini, Section);
    ErrorIndicatorsColor = Ini.ReadInteger(Section, "ErrorBars.Color", ErrorIndicatorsColor);
    Repaint();
}

} // namespace kv
