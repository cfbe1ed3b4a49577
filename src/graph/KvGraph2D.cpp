#include "KvGraph2D.h"

#include "KvLegend.h"

#include "foundation/KvStrings.h"

#include <QPaintEngine>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace kv {

// ---------------------------------------------------------------- TKvDrawingWorld

TKvDrawingWorld::TKvDrawingWorld(TKv2DGraph* AGraph) : FGraph(AGraph)
{
    if (AGraph == nullptr)
        throw EConvertError("Component must be owned by TKv2DGraph");
}

void TKvDrawingWorld::DrawMarker(QPainter& Painter, int32_t X) const
{
    // XOR-like: the marker shows against any background and a second
    // drawing would take it away again.
    Painter.save();
    Painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    QPen Pen(FillColor(FGraph->DataColor));
    Pen.setWidth(3);
    Painter.setPen(Pen);
    Painter.drawLine(X, 0, X, Height);
    Painter.restore();
}

void TKvDrawingWorld::PaintSeries(QPainter& Painter, TKvSeries& S) const
{
    Painter.setBrush(FillColor(FGraph->DataColor));
    S.DrawLine(Painter);
    if (S.IsDataSeries())
        S.DrawPoints(Painter);
    for (auto& C : S.Children)
        PaintSeries(Painter, *C);
}

void TKvDrawingWorld::Paint(QPainter& Painter)
{
    if (DrawingSuspended || FGraph->LayoutDirty())
        return;
    Painter.save();
    Painter.setClipRect(QRect(PlotRect.Left, PlotRect.Top, PlotRect.Width(), PlotRect.Height()), Qt::IntersectClip);
    Painter.translate(PlotRect.Left, PlotRect.Top);
    for (TKvSeries* S : Series)
        PaintSeries(Painter, *S);
    Painter.restore();
    // The markers are painted last, once, so exactly one line shows per
    // marker (the picture is painted whole every time).
    if (MarkersShown && Painter.paintEngine() && Painter.paintEngine()->type() == QPaintEngine::Raster) {
        DrawMarker(Painter, Marker1X);
        DrawMarker(Painter, Marker2X);
    }
}

void TKvDrawingWorld::MouseDown(int32_t X, int32_t Y)
{
    if (MarkersShown) {
        FDragMarker = std::abs(X - Marker1X) <= 1 ? 1 : (std::abs(X - Marker2X) <= 1 ? 2 : 0);
        return;
    }
    if (!FGraph->AutoZoom)
        return;
    FZoomDragging = true;
    FStartX = X;
    FStartY = Y;
}

void TKvDrawingWorld::MouseMove(int32_t X, int32_t)
{
    if (FDragMarker != 0 && X >= PlotRect.Left && X <= PlotRect.Right) {
        (FDragMarker == 1 ? Marker1X : Marker2X) = X;
        FGraph->Repaint();
    }
}

void TKvDrawingWorld::MouseUp(int32_t X, int32_t Y)
{
    FDragMarker = 0;
    if (!FZoomDragging)
        return;
    FZoomDragging = false;
    if (X == FStartX || Y == FStartY)
        return; // a frame without width or height zooms nothing
    FGraph->ZoomToRect({std::min(X, FStartX), std::min(Y, FStartY), std::max(X, FStartX), std::max(Y, FStartY)});
}

// ---------------------------------------------------------------- TKv2DGraph

TKv2DGraph::TKv2DGraph() : FWorld(this)
{
    FTitleFont = Font;
    DataColor = Color;
    FTitleLabel.Transparent = true;
    FTitleLabel.SetAlignment(TKvAlignment::taCenter);
    FTitleLabel.Visible = false;
    for (TKvLineStyle* S : {&FrameLine, &MajorGridX, &MajorGridY, &MinorGridX, &MinorGridY})
        S->OnChange = [this] { Repaint(); };
    FrameLine.OnChange = [this] { RequestLayout(); };
}

TKv2DGraph::~TKv2DGraph()
{
    OnRepaint = nullptr;
    FWorld.Series.clear();
    FSeries.clear();
    for (auto& L : FLegends)
        L->GraphDestroyed(this);
    FLegends.clear();
    for (auto& A : FAxes)
        A->DetachGraph();
    FAxes.clear();
}

void TKv2DGraph::Repaint()
{
    if (OnRepaint)
        OnRepaint();
}

void TKv2DGraph::RequestLayout()
{
    FLayoutDirty = true;
    Repaint();
}

void TKv2DGraph::SetCaption(const QString& Value)
{
    if (Value == FCaption)
        return;
    FCaption = Value;
    FTitleLabel.SetCaption(Value);
    RequestLayout();
}

void TKv2DGraph::SetShowTitle(bool Value)
{
    if (Value == FShowTitle)
        return;
    FShowTitle = Value;
    FTitleLabel.Visible = Value;
    RequestLayout();
}

void TKv2DGraph::SetTitleFont(const TKvFontRecord& Value)
{
    if (Value == FTitleFont)
        return;
    FTitleFont = Value;
    FTitleLabel.SetFont(Value);
    RequestLayout();
}

void TKv2DGraph::SetZeroOrigin(bool Value)
{
    if (Value == FZeroOrigin)
        return;
    FZeroOrigin = Value;
    for (auto& A : FAxes)
        A->DiscardLabels();
    RequestLayout();
}

void TKv2DGraph::SetBounds(int32_t AWidth, int32_t AHeight)
{
    // A graph needs room for at least a pixel of plot.
    FWidth = std::max(1, AWidth);
    FHeight = std::max(1, AHeight);
    RequestLayout();
}

void TKv2DGraph::SetPrimaryXAxis(TKvAxis* A)
{
    FPrimaryXAxis = A;
    if (A)
        A->SetPosition(TKvAxisPos::AxBottomPos);
    RequestLayout();
}

void TKv2DGraph::SetPrimaryYAxis(TKvAxis* A)
{
    FPrimaryYAxis = A;
    if (A)
        A->SetPosition(TKvAxisPos::AxLeftPos);
    RequestLayout();
}

std::string TKv2DGraph::FreeAxisName(const char* Stem) const
{
    for (int n = 1;; ++n) {
        const std::string Name = Stem + std::to_string(n);
        if (FindAxis(Name) == nullptr)
            return Name;
    }
}

TKvAxis* TKv2DGraph::FindAxis(std::string_view Name) const
{
    for (const auto& A : FAxes)
        if (SameTextAscii(A->Name(), Name))
            return A.get();
    return nullptr;
}

TKvAxis& TKv2DGraph::AddAxis(TKvAxisPos Position, std::string Name)
{
    const bool Vertical = Position == TKvAxisPos::AxLeftPos || Position == TKvAxisPos::AxRightPos;
    if (Name.empty())
        Name = FreeAxisName(Vertical ? "YAxis" : "XAxis");
    if (FindAxis(Name))
        throw EConvertError("An axis named " + Name + " already exists");
    FAxes.push_back(std::make_unique<TKvAxis>(this, Name));
    TKvAxis& A = *FAxes.back();
    A.SetPosition(Position);
    RequestLayout();
    return A;
}

void TKv2DGraph::CreatePrimaryAxes()
{
    auto LastAt = [this](TKvAxisPos P) -> TKvAxis* {
        TKvAxis* Found = nullptr;
        for (auto& A : FAxes)
            if (A->Position() == P)
                Found = A.get();
        return Found;
    };
    if (FPrimaryXAxis == nullptr) {
        TKvAxis* X = LastAt(TKvAxisPos::AxBottomPos);
        SetPrimaryXAxis(X ? X : &AddAxis(TKvAxisPos::AxBottomPos));
    }
    if (FPrimaryYAxis == nullptr) {
        TKvAxis* Y = LastAt(TKvAxisPos::AxLeftPos);
        if (Y == nullptr) {
            Y = &AddAxis(TKvAxisPos::AxLeftPos);
            Y->SetMajorTickLength(-Y->MajorTickLength());
            Y->SetTickLength(-Y->TickLength());
        }
        SetPrimaryYAxis(Y);
    }
}

TKvLegend& TKv2DGraph::AddLegend()
{
    FLegends.push_back(std::make_unique<TKvLegend>(this));
    RequestLayout();
    return *FLegends.back();
}

void TKv2DGraph::AxisDestroyed(TKvAxis* A)
{
    for (auto& S : FSeries)
        S->AxisDestroyed(A);
    if (FPrimaryXAxis == A)
        FPrimaryXAxis = nullptr;
    if (FPrimaryYAxis == A)
        FPrimaryYAxis = nullptr;
    for (auto& Other : FAxes)
        if (Other.get() != A && Other->MasterAxis() == A)
            Other->SetMasterAxis(nullptr);
    RequestLayout();
}

void TKv2DGraph::DeleteSeries(TKvSeries* S)
{
    for (auto& L : FLegends)
        L->SeriesDestroyed(S);
    std::erase(FWorld.Series, S);
    std::erase_if(FSeries, [S](const auto& P) { return P.get() == S; });
    for (auto& L : FLegends)
        L->RequestRebuild();
    RequestLayout();
}

void TKv2DGraph::ClearSeries()
{
    for (auto& L : FLegends)
        for (auto& S : FSeries)
            L->SeriesDestroyed(S.get());
    FWorld.Series.clear();
    FSeries.clear();
    for (auto& L : FLegends)
        L->RequestRebuild();
    RequestLayout();
}

// ---------------------------------------------------------------- layout and paint

void TKv2DGraph::LayoutAll()
{
    if (FInLayout)
        return;
    FInLayout = true;
    FWorld.Series.clear();
    for (auto& S : FSeries) {
        TKvAxis* X = S->XAxis();
        TKvAxis* Y = S->YAxis();
        if (X && Y && X->Graph() == this && Y->Graph() == this) {
            FWorld.Series.push_back(S.get());
            S->Results.WriteString("Graph", "Title", FCaption.toStdString());
        }
    }
    for (auto& L : FLegends)
        if (L->AssignedGraph() == this) {
            L->RequestRebuild();
            L->Rebuild();
        }
    FLayoutDirty = false;
    if (FPrimaryXAxis)
        LayoutGraph(*this);
    for (TKvSeries* S : FWorld.Series) {
        for (auto& C : S->Children) {
            C->PointsDirty = true;
            C->Recompute();
        }
        S->PointsDirty = true;
        S->Recompute();
    }
    FInLayout = false;
}

void TKv2DGraph::PrepareForPaint()
{
    // A recompute may move ranges and so ask for another layout; the
    // ranges settle after the first full pass, so a few passes suffice.
    // Calculations run after a layout (they sample the X axis per pixel
    // column) and may move ranges again.
    for (int Pass = 0; Pass < 4; ++Pass) {
        bool Dirty = FLayoutDirty;
        for (auto& A : FAxes)
            Dirty = Dirty || (A->Visible() && A->LayoutDirty());
        for (TKvSeries* S : FWorld.Series)
            Dirty = Dirty || S->RangesDirty;
        if (Dirty)
            LayoutAll();
        bool Recalculated = false;
        for (TKvSeries* S : FWorld.Series)
            Recalculated = S->RecalculateChildren() || Recalculated;
        if (!Dirty && !Recalculated)
            break;
    }
    for (auto& A : FAxes)
        if (A->TicksDirty())
            A->BuildTicksAndLabels();
    for (TKvSeries* S : FWorld.Series) {
        if (S->PointsDirty)
            S->Recompute();
        for (auto& C : S->Children)
            if (C->PointsDirty)
                C->Recompute();
    }
}

void TKv2DGraph::PaintBackground(QPainter& Painter)
{
    if (!(PaintingToMetafile && Color == clBtnFace))
        Painter.fillRect(0, 0, FWidth, FHeight, ToQColor(Color));
    if (FrameLine.Visible()) {
        Painter.setPen(MakePen(FrameLine.Color(), 2 * FrameLine.Width(), FrameLine.Style()));
        Painter.setBrush(Qt::NoBrush);
        DrawFrame(0, 0, FWidth, FHeight, Painter);
    }
    const TKvRect& P = FWorld.PlotRect;
    if (DataColor != Color)
        Painter.fillRect(QRect(P.Left, P.Top, P.Width(), P.Height()), FillColor(DataColor));
}

void TKv2DGraph::PaintGridLines(QPainter& Painter, const TKvLineStyle& Style, const TKvAxis& Axis, bool Major,
                                bool Vertical)
{
    if (!Style.Visible())
        return;
    Painter.setPen(MakePen(Style.Color(), Style.Width(), Style.Style()));
    const auto& Positions = Axis.TickPositions();
    if (Positions.empty())
        return;
    const int32_t Lo = *std::min_element(Positions.begin(), Positions.end());
    const int32_t Hi = *std::max_element(Positions.begin(), Positions.end());
    // The lines end at the plot's edges: the clip would cut them there,
    // and not every device clips.
    const TKvRect& P = FWorld.PlotRect;
    for (size_t i = 0; i < Positions.size(); ++i) {
        const int32_t Off = Positions[i];
        if (Axis.TickIsMajor()[i] != Major || (!Axis.DrawStartTick && Off == Lo) || (!Axis.DrawEndTick && Off == Hi))
            continue;
        if (Off < 0 || Off >= (Vertical ? P.Width() : P.Height()))
            continue;
        if (Vertical)
            Painter.drawLine(Off, 0, Off, P.Height() - 1);
        else
            Painter.drawLine(0, Off, P.Width() - 1, Off);
    }
}

void TKv2DGraph::PaintGrid(QPainter& Painter)
{
    const TKvRect& P = FWorld.PlotRect;
    Painter.save();
    Painter.setClipRect(QRect(P.Left, P.Top, P.Width(), P.Height()), Qt::IntersectClip);
    Painter.translate(P.Left, P.Top);
    Painter.setBrush(Qt::NoBrush);
    if (FPrimaryXAxis && FPrimaryXAxis->Visible()) {
        PaintGridLines(Painter, MajorGridX, *FPrimaryXAxis, true, true);
        PaintGridLines(Painter, MinorGridX, *FPrimaryXAxis, false, true);
    }
    if (FPrimaryYAxis && FPrimaryYAxis->Visible()) {
        PaintGridLines(Painter, MajorGridY, *FPrimaryYAxis, true, false);
        PaintGridLines(Painter, MinorGridY, *FPrimaryYAxis, false, false);
    }
    Painter.restore();
}

void TKv2DGraph::Paint(QPainter& Painter)
{
    if (DrawingSuspended)
        return;
    // Vector pictures are painted as PaintingToMetafile says, whoever paints.
    const bool SavedVector = PaintingToMetafile;
    PaintingToMetafile = SavedVector || IsVectorPicture(Painter);
    struct TRestore {
        bool Value;
        ~TRestore() { PaintingToMetafile = Value; }
    } Restore{SavedVector};
    PrepareForPaint();
    Painter.save();
    Painter.setClipRect(0, 0, FWidth, FHeight, Qt::IntersectClip);
    PaintBackground(Painter);
    PaintGrid(Painter);
    for (auto& A : FAxes)
        A->Paint(Painter);
    FTitleLabel.Paint(Painter);
    FWorld.Paint(Painter);
    for (auto& L : FLegends)
        L->Paint(Painter);
    Painter.restore();
}

void TKv2DGraph::ZoomToRect(const TKvRect& Rect)
{
    const TKvRect& P = FWorld.PlotRect;
    for (auto& A : FAxes) {
        double V1, V2;
        if (A->Vertical()) {
            V1 = A->IntToRealPosition(Rect.Top - P.Top);
            V2 = A->IntToRealPosition(Rect.Bottom - P.Top);
        } else {
            V1 = A->IntToRealPosition(Rect.Left - P.Left);
            V2 = A->IntToRealPosition(Rect.Right - P.Left);
        }
        A->Zoom(std::min(V1, V2), std::max(V1, V2));
    }
    for (TKvSeries* S : FWorld.Series)
        S->MarkChanged();
    RequestLayout();
}

// ---------------------------------------------------------------- persistence

void TKv2DGraph::SaveToIni(TKvIniList& Ini, std::string_view Section) const
{
    Ini.WriteBool(Section, "ShowTitle", FShowTitle);
    Ini.WriteString(Section, "Caption", FCaption.toStdString());
    Ini.WriteFont(Section, "Font", FTitleFont);
    Ini.WriteInteger(Section, "Color", Color);
    Ini.WriteInteger(Section, "DataColor", DataColor);
    Ini.WriteBool(Section, "ZeroOrigin", FZeroOrigin);
    FrameLine.SaveToIni(Ini, Section, "FrameLine");
    MajorGridX.SaveToIni(Ini, Section, "MajorGridX");
    MinorGridX.SaveToIni(Ini, Section, "MinorGridX");
    MajorGridY.SaveToIni(Ini, Section, "MajorGridY");
    MinorGridY.SaveToIni(Ini, Section, "MinorGridY");
    const std::string Base(Section);
    for (const auto& A : FAxes)
        A->SaveToIni(Ini, Base + "." + A->Name());
    int32_t n = 0;
    for (const auto& S : FSeries)
        if (S->IsDataSeries())
            S->SaveToIni(Ini, Base + ".Series(" + std::to_string(++n) + ")");
    Ini.WriteInteger(Section, "SeriesCount", n);
}

void TKv2DGraph::LoadFromIni(const TKvIniList& Ini, std::string_view Section)
{
    SetShowTitle(Ini.ReadBool(Section, "ShowTitle", FShowTitle));
    SetCaption(QString::fromStdString(Ini.ReadString(Section, "Caption", FCaption.toStdString())));
    TKvFontRecord F = FTitleFont;
    Ini.ReadFont(Section, "Font", F);
    SetTitleFont(F);
    Color = Ini.ReadInteger(Section, "Color", Color);
    DataColor = Ini.ReadInteger(Section, "DataColor", DataColor);
    SetZeroOrigin(Ini.ReadBool(Section, "ZeroOrigin", FZeroOrigin));
    FrameLine.LoadFromIni(Ini, Section, "FrameLine");
    MajorGridX.LoadFromIni(Ini, Section, "MajorGridX");
    MinorGridX.LoadFromIni(Ini, Section, "MinorGridX");
    MajorGridY.LoadFromIni(Ini, Section, "MajorGridY");
    MinorGridY.LoadFromIni(Ini, Section, "MinorGridY");
    const std::string Base(Section);
    for (const auto& A : FAxes)
        A->LoadFromIni(Ini, Base + "." + A->Name());
    const int32_t Count = Ini.ReadInteger(Section, "SeriesCount", 0);
    if (Count > 0) {
        int32_t k = 0;
        for (const auto& S : FSeries)
            if (S->IsDataSeries())
                S->LoadFromIni(Ini, Base + ".Series(" + std::to_string(k++ % Count + 1) + ")");
    }
    RequestLayout();
}

} // namespace kv
