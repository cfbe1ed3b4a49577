// Where the axes of a graph go, how big they are, where the plot
// rectangle ends up, where each axis puts its labels, and how it paints.

#include "KvAxis.h"
#include "KvGraph2D.h"

#include <algorithm>
#include <cstdlib>

namespace kv {

namespace {

std::unique_ptr<TKvLabel> CloneLabel(const TKvLabel& Proto)
{
    auto L = std::make_unique<TKvLabel>();
    L->SetFont(Proto.Font());
    L->SetCaption(Proto.Caption());
    L->Transparent = true;
    L->SetAlignment(Proto.Alignment());
    L->SetXPosition(Proto.XPosition());
    L->SetTop(Proto.Top());
    return L;
}

bool Crosses(const TKvAxis* A) { return A && A->Start() < 0 && A->Stop() > 0; }

} // namespace

void TKvAxis::BuildTicksAndLabels()
{
    if (!FVisible) {
        FTicksDirty = false;
        return;
    }
    MaxLabelWidth = MaxLabelHeight = 0;
    DiscardLabels();
    TKvLabel Proto;
    Proto.SetFont(FFont);
    Proto.Transparent = true;
    Proto.SetCaption(QStringLiteral("10"));
    const int32_t LabelHeight = FShowScaleLabels ? Proto.Height() : 0;
    const int32_t X0 = Left + AxisX, Y0 = Top + AxisY;
    const bool Zero = ZeroCrossing();

    CaptionWidth = CaptionHeight = 0;
    if (FShowCaption) {
        auto C = std::make_unique<TKvLabel>();
        C->SetFont(FCaptionFont);
        C->SetAngle(FVertical ? 900 : 0);
        C->Transparent = true;
        C->SetAlignment(TKvAlignment::taCenter);
        C->SetCaption(FCaption);
        CaptionHeight = C->Height();
        CaptionWidth = C->Width();
        const int32_t CentreX = X0 + Length / 2, CentreTop = Y0 + (Length - CaptionHeight) / 2;
        const int32_t BottomTop = Y0 + FScalingsTicksGap + LabelHeight + FCaptionScalingsGap + std::max(0, FMajorTickLength);
        switch (FPosition) {
        case TKvAxisPos::AxBottomPos:
            CaptionHeight += FCaptionScalingsGap;
            if (Zero) {
                C->SetAlignment(TKvAlignment::taRightJustify);
                C->SetXPosition(X0 + Length);
            } else
                C->SetXPosition(CentreX);
            C->SetTop(BottomTop);
            break;
        case TKvAxisPos::AxLeftPos:
            CaptionWidth += FCaptionScalingsGap;
            if (Zero) {
                C->SetAlignment(TKvAlignment::taRightJustify);
                C->SetXPosition(Left + FBorderCaptionGap);
                C->SetTop(AxisY);
            } else {
                C->SetXPosition(Left + FBorderCaptionGap);
                C->SetTop(CentreTop);
            }
            break;
        case TKvAxisPos::AxTopPos:
            CaptionHeight += FCaptionScalingsGap;
            C->SetXPosition(CentreX);
            C->SetTop(Top + FBorderCaptionGap);
            break;
        case TKvAxisPos::AxRightPos:
            C->SetXPosition(Left + Width - CaptionWidth - FBorderCaptionGap);
            C->SetTop(CentreTop);
            CaptionWidth += FCaptionScalingsGap;
            break;
        case TKvAxisPos::AxFreeFloating: break;
        }
        FCaptionLabel = std::move(C);
    }

    int32_t BaseX = X0, BaseTop = Y0;
    switch (FPosition) {
    case TKvAxisPos::AxBottomPos:
        BaseTop = Y0 + FScalingsTicksGap + std::max(0, FMajorTickLength);
        Proto.SetAlignment(TKvAlignment::taCenter);
        break;
    case TKvAxisPos::AxLeftPos:
        BaseX = X0 - FScalingsTicksGap + std::min(0, FMajorTickLength);
        BaseTop = Y0 - LabelHeight / 2;
        Proto.SetAlignment(TKvAlignment::taRightJustify);
        break;
    case TKvAxisPos::AxTopPos:
        BaseTop = Y0 - FScalingsTicksGap - LabelHeight + std::min(0, FMajorTickLength);
        if (FScaling == TKvAxScaling::AxLogEE) {
            Proto.SetAlignment(TKvAlignment::taLeftJustify);
            BaseX -= Proto.Width() / 2;
        } else
            Proto.SetAlignment(TKvAlignment::taCenter);
        break;
    case TKvAxisPos::AxRightPos:
        BaseX = X0 + FScalingsTicksGap + std::max(0, FMajorTickLength);
        BaseTop = Y0 - LabelHeight / 2;
        Proto.SetAlignment(TKvAlignment::taLeftJustify);
        break;
    case TKvAxisPos::AxFreeFloating: break;
    }
    Proto.SetXPosition(BaseX);
    Proto.SetTop(BaseTop);

    ComputeTicks();
    if (FPosition != TKvAxisPos::AxFreeFloating)
        for (const TTickLabel& T : FTickLabels) {
            Proto.SetCaption(T.Text);
            if (FVertical)
                Proto.SetTop(BaseTop + T.Offset);
            else
                Proto.SetXPosition(BaseX + T.Offset);
            FScaleLabels.push_back(CloneLabel(Proto));
            MaxLabelWidth = std::max(MaxLabelWidth, Proto.Width());
            MaxLabelHeight = std::max(MaxLabelHeight, Proto.Height());
        }

    ExponentLabelWidth = 0;
    if (!FExponentText.isEmpty() && FPosition != TKvAxisPos::AxFreeFloating) {
        Proto.SetCaption(FExponentText);
        ExponentLabelWidth = Proto.Width();
        const size_t n = FScaleLabels.size();
        if (FVertical) {
            if (FCaption.isEmpty())
                MaxLabelWidth = std::max(MaxLabelWidth, ExponentLabelWidth + FExponentScalingsGap);
            if (n >= 2)
                Proto.SetTop((FScaleLabels[n - 1]->Top() + FScaleLabels[n - 2]->Top()) / 2);
        } else if (n >= 2)
            Proto.SetXPosition((FScaleLabels[n - 1]->XPosition() + FScaleLabels[n - 2]->XPosition()) / 2);
        switch (FPosition) {
        case TKvAxisPos::AxBottomPos: Proto.SetTop(Proto.Top() + FExponentScalingsGap); break;
        case TKvAxisPos::AxLeftPos: Proto.SetXPosition(Proto.XPosition() - FExponentScalingsGap); break;
        case TKvAxisPos::AxTopPos: Proto.SetTop(Proto.Top() - FExponentScalingsGap); break;
        case TKvAxisPos::AxRightPos: Proto.SetXPosition(Proto.XPosition() + FExponentScalingsGap); break;
        case TKvAxisPos::AxFreeFloating: break;
        }
        FExponentLabel = CloneLabel(Proto);
    }
    FTicksDirty = false;
}

void TKvAxis::LayoutGraph()
{
    if (FGraph)
        kv::LayoutGraph(*FGraph);
}

void TKvAxis::Paint(QPainter& Painter)
{
    if (!FVisible || DrawingSuspended)
        return;
    if (FLayoutDirty)
        LayoutGraph();
    if (FTicksDirty)
        BuildTicksAndLabels();
    Painter.save();
    Painter.translate(Left, Top);
    if (!Transparent)
        Painter.fillRect(0, 0, Width, Height, FillColor(Color));
    if (FTickPositions.size() > 1) {
        const int32_t Lo = *std::min_element(FTickPositions.begin(), FTickPositions.end());
        const int32_t Hi = *std::max_element(FTickPositions.begin(), FTickPositions.end());
        for (const bool Major : {true, false}) {
            Painter.setPen(MakePen(Major ? MajorTickColor : TickColor, Major ? MajorTickThicknes : TickThicknes));
            const int32_t Len = Major ? FMajorTickLength : FTickLength;
            for (size_t i = 0; i < FTickPositions.size(); ++i) {
                const int32_t Off = FTickPositions[i];
                if (FTickIsMajor[i] != Major || (!DrawStartTick && Off == Lo) || (!DrawEndTick && Off == Hi))
                    continue;
                if (FVertical)
                    DrawSegment(AxisX, AxisY + Off, AxisX + Len, AxisY + Off, Painter);
                else
                    DrawSegment(AxisX + Off, AxisY, AxisX + Off, AxisY + Len, Painter);
            }
        }
    }
    Painter.setPen(MakePen(AxisColor, AxisThicknes));
    if (FVertical)
        DrawSegment(AxisX, AxisY + Length, AxisX, AxisY, Painter);
    else
        DrawSegment(AxisX, AxisY, AxisX + Length, AxisY, Painter);
    Painter.restore();
    for (const auto& L : FScaleLabels)
        L->Paint(Painter);
    if (FCaptionLabel)
        FCaptionLabel->Paint(Painter);
    if (FExponentLabel)
        FExponentLabel->Paint(Painter);
}

// ---------------------------------------------------------------- LayoutGraph

namespace {

struct TMargins {
    int32_t L = 0, T = 0, R = 0, B = 0;
    int32_t VL = 0, VT = 0, VR = 0, VB = 0; // ValuesTicksGap of the axis on each side
    int32_t IL = 0, IT = 0, IR = 0, IB = 0; // inward tick overhang
    int32_t HV = 0, WH = 0;                 // largest label height (vertical axes), width (horizontal)
    TKvAxis *Left = nullptr, *Top = nullptr, *Right = nullptr, *Bottom = nullptr;
};

void PlaceLegends(TKv2DGraph& G, TMargins& M)
{
    const int32_t PW = G.Width(), PH = G.Height();
    for (const auto& Legend : G.Legends()) {
        TKvLegend& Lg = *Legend;
        if (!Lg.Visible)
            continue;
        const int32_t Gap = Lg.OutsideGap();
        // A docked legend wraps to fit along its edge; the plot gives way.
        switch (Lg.InGraphPosition()) {
        case TKvAxisPos::AxBottomPos:
        case TKvAxisPos::AxTopPos: Lg.FitInto(PW - M.L - M.R - 2 * Gap, 0); break;
        case TKvAxisPos::AxLeftPos:
        case TKvAxisPos::AxRightPos: Lg.FitInto(0, PH - M.T - M.B - 2 * Gap); break;
        case TKvAxisPos::AxFreeFloating:
            Lg.FitInto(0, 0);
            Lg.KeepInside(PW, PH);
            break;
        }
        switch (Lg.InGraphPosition()) {
        case TKvAxisPos::AxBottomPos:
            M.B += Lg.Height + 2 * Gap;
            Lg.Top = PH + Gap - M.B;
            Lg.Left = (PW - Lg.Width) / 2;
            break;
        case TKvAxisPos::AxLeftPos:
            Lg.Left = M.L + Gap;
            M.L += Lg.Width + 2 * Gap;
            break;
        case TKvAxisPos::AxTopPos:
            Lg.Top = M.T + Gap;
            Lg.Left = (PW - Lg.Width) / 2;
            M.T += Lg.Height + 2 * Gap;
            break;
        case TKvAxisPos::AxRightPos:
            Lg.Left = PW - Lg.Width - Gap - M.R;
            M.R += Lg.Width + 2 * Gap;
            break;
        case TKvAxisPos::AxFreeFloating: break;
        }
    }
}

void FirstPass(TKv2DGraph& G, TMargins& M)
{
    const int32_t PW = G.Width(), PH = G.Height();
    const bool CrossX = G.ZeroOrigin() && Crosses(G.PrimaryXAxis()); // vertical axes cross the X range
    const bool CrossY = G.ZeroOrigin() && Crosses(G.PrimaryYAxis());
    for (const auto& Owned : G.Axes()) {
        TKvAxis& A = *Owned;
        if (!A.Visible()) {
            switch (A.Position()) {
            case TKvAxisPos::AxLeftPos: M.L += A.BorderCaptionGap(); break;
            case TKvAxisPos::AxTopPos: M.T += A.BorderCaptionGap(); break;
            case TKvAxisPos::AxRightPos: M.R += A.BorderCaptionGap(); break;
            case TKvAxisPos::AxBottomPos: M.B += A.BorderCaptionGap(); break;
            case TKvAxisPos::AxFreeFloating: break;
            }
            continue;
        }
        A.DrawStartTick = A.DrawEndTick = true;
        const int32_t Mt = std::abs(A.MajorTickLength());
        const int32_t Half = A.AxisThicknes / 2;
        int32_t J = 0;
        if (A.Vertical()) {
            J = Mt + A.BorderCaptionGap() + A.ScalingsTicksGap() + A.MaxLabelWidth + A.CaptionWidth;
            if (A.UseScaleExponent())
                J = std::max(J, Mt + A.ExponentScalingsGap() + A.ExponentLabelWidth + A.ScalingsTicksGap());
        } else {
            J = Mt + A.BorderCaptionGap() + A.ScalingsTicksGap() + A.MaxLabelHeight + A.CaptionHeight;
            if (A.UseScaleExponent())
                J = std::max(J, Mt + A.ExponentScalingsGap() + A.MaxLabelHeight + A.ScalingsTicksGap());
        }
        switch (A.Position()) {
        case TKvAxisPos::AxLeftPos:
            if (A.AutoSize()) {
                A.Width = J + 1;
                A.Left = M.L;
                A.Top = 0;
                A.Height = PH;
                if (!CrossX)
                    M.L += J;
            }
            M.VL = A.ValuesTicksGap();
            M.HV = std::max(M.HV, A.MaxLabelHeight);
            A.AxisY = A.MaxLabelHeight / 2;
            A.Length = A.Height - A.MaxLabelHeight;
            if (A.MajorTickLength() < 1) {
                A.Width += Half;
                A.AxisX = J - 1;
                M.IL = 0;
            } else {
                A.AxisX = J - A.MajorTickLength() - 1;
                M.IL = A.MajorTickLength();
            }
            M.Left = &A;
            break;
        case TKvAxisPos::AxTopPos:
            if (A.AutoSize()) {
                A.Height = J + 1;
                A.Left = 0;
                A.Width = PW;
                A.Top = M.T;
            }
            M.VT = A.ValuesTicksGap();
            M.T += J;
            M.WH = std::max(M.WH, A.MaxLabelWidth);
            if (A.MajorTickLength() < 1) {
                A.AxisY = J;
                A.Height += Half;
                M.IT = 0;
            } else {
                A.AxisY = J - A.MajorTickLength();
                M.IT = A.MajorTickLength();
            }
            A.Length = A.Width - A.MaxLabelWidth;
            A.AxisX = A.MaxLabelWidth / 2;
            M.Top = &A;
            break;
        case TKvAxisPos::AxRightPos:
            if (A.AutoSize()) {
                A.Width = J + 1;
                M.R += J;
                A.Left = PW - M.R;
                A.Top = 0;
                A.Height = PH;
            }
            M.VR = A.ValuesTicksGap();
            M.HV = std::max(M.HV, A.MaxLabelHeight);
            A.AxisY = A.MaxLabelHeight / 2;
            A.Length = A.Height - A.MaxLabelHeight;
            if (A.MajorTickLength() < 1) {
                M.IR = -A.MajorTickLength();
                A.AxisX = M.IR;
            } else {
                A.Width += Half;
                A.AxisX = Half;
                M.IR = 0;
            }
            M.Right = &A;
            break;
        case TKvAxisPos::AxBottomPos:
            if (A.AutoSize()) {
                A.Height = J;
                A.Left = 0;
                A.Width = PW;
                if (!CrossY)
                    M.B += J;
                A.Top = PH - M.B - Half;
            }
            M.VB = A.ValuesTicksGap();
            M.WH = std::max(M.WH, A.MaxLabelWidth);
            if (A.MajorTickLength() < 1) {
                M.IB = -A.MajorTickLength();
                A.AxisY = M.IB;
            } else {
                A.Height += Half;
                A.AxisY = Half;
                M.IB = 0;
            }
            A.Length = A.Width - A.MaxLabelWidth;
            A.AxisX = A.MaxLabelWidth / 2;
            M.Bottom = &A;
            break;
        case TKvAxisPos::AxFreeFloating: break;
        }
    }
}

bool GapZero(const TKvAxis* A) { return A && A->Visible() && A->ValuesTicksGap() == 0; }

void SecondPass(TKv2DGraph& G, TMargins& M)
{
    const int32_t PW = G.Width(), PH = G.Height();
    const bool CrossX = G.ZeroOrigin() && Crosses(G.PrimaryXAxis());
    const bool CrossY = G.ZeroOrigin() && Crosses(G.PrimaryYAxis());
    const int32_t X1 = M.VL + M.L - 1, Y1 = M.VT + M.T - 1;
    auto Finish = [](TKvAxis& A) {
        A.BuildTicksAndLabels();
        A.ClearLayoutDirty();
    };
    if (TKvAxis* A = M.Left; A && A->AutoSize()) {
        A->AxisY = Y1;
        A->Length = A->Height - M.B - Y1 - M.VB;
        if (!CrossX)
            A->Left = M.IL + M.L - A->Width + 1 + (A->MajorTickLength() < 0 ? A->AxisThicknes / 2 : 0);
        if (A->ValuesTicksGap() == 0 && A->MajorTickLength() > 0) {
            if (GapZero(M.Bottom))
                A->DrawEndTick = false;
            if (GapZero(M.Top))
                A->DrawStartTick = false;
        }
        Finish(*A);
    }
    if (TKvAxis* A = M.Top; A && A->AutoSize()) {
        A->AxisX = X1;
        A->Length = A->Width - X1 - M.R - M.VR;
        A->Top = M.T + M.IT - A->Height + (A->MajorTickLength() < 0 ? A->AxisThicknes / 2 : 0);
        if (A->ValuesTicksGap() == 0 && A->MajorTickLength() > 0) {
            if (GapZero(M.Right))
                A->DrawEndTick = false;
            if (GapZero(M.Left))
                A->DrawStartTick = false;
        }
        Finish(*A);
    }
    if (TKvAxis* A = M.Right; A && A->AutoSize()) {
        A->AxisY = Y1;
        A->Length = A->Height - M.B - Y1 - M.VB;
        A->Left = PW - M.R - M.IR - (A->MajorTickLength() > 0 ? A->AxisThicknes / 2 : 0);
        if (A->ValuesTicksGap() == 0 && A->MajorTickLength() < 0) {
            if (GapZero(M.Bottom))
                A->DrawEndTick = false;
            if (GapZero(M.Top))
                A->DrawStartTick = false;
        }
        Finish(*A);
    }
    if (TKvAxis* A = M.Bottom; A && A->AutoSize()) {
        A->AxisX = X1;
        A->Length = A->Width - X1 - M.R - M.VR;
        if (!CrossY)
            A->Top = PH - M.B - M.IB - (A->MajorTickLength() > 0 ? A->AxisThicknes / 2 : 0);
        if (A->ValuesTicksGap() == 0 && A->MajorTickLength() < 0) {
            if (GapZero(M.Right))
                A->DrawEndTick = false;
            if (GapZero(M.Left))
                A->DrawStartTick = false;
        }
        Finish(*A);
    }
}

void PlaceWorld(TKv2DGraph& G, const TMargins& M, int32_t FW)
{
    TKvDrawingWorld& W = G.World();
    W.Left = 0;
    W.Top = 0;
    W.Width = G.Width();
    W.Height = G.Height();
    TKvAxis* X = G.PrimaryXAxis();
    TKvAxis* Y = G.PrimaryYAxis();
    if (X == nullptr || Y == nullptr)
        return;
    if (G.ZeroOrigin() && Crosses(Y) && X->Visible()) {
        X->Top = Y->Top + Y->RealToIntPosition(0) + Y->AxisY - M.IB;
        X->BuildTicksAndLabels();
    }
    if (G.ZeroOrigin() && Crosses(X) && Y->Visible()) {
        Y->Left = X->Left + X->RealToIntPosition(0) + X->AxisX + M.IL - Y->Width + 2;
        Y->BuildTicksAndLabels();
    }
    W.PlotRect.Left = X->Left + X->AxisX;
    W.PlotRect.Right = W.PlotRect.Left + X->Length + 1;
    W.PlotRect.Top = Y->Top + Y->AxisY;
    W.PlotRect.Bottom = W.PlotRect.Top + Y->Length + 1;
    G.TitleLabel().SetTop(FW);
    G.TitleLabel().SetXPosition(W.PlotRect.Left + X->Length / 2);
    TKvLegend* Last = nullptr;
    for (const auto& L : G.Legends())
        if (L->Visible)
            Last = L.get();
    if (Last == nullptr)
        return;
    switch (Last->InGraphPosition()) {
    case TKvAxisPos::AxLeftPos:
    case TKvAxisPos::AxRightPos: Last->Top = W.PlotRect.Top + (Y->Length - Last->Height) / 2; break;
    case TKvAxisPos::AxBottomPos:
    case TKvAxisPos::AxTopPos: Last->Left = W.PlotRect.Left + (X->Length - Last->Width) / 2; break;
    case TKvAxisPos::AxFreeFloating: break;
    }
    // Centred on the plot, but never beyond the graph's edges.
    Last->KeepInside(G.Width(), G.Height());
}

} // namespace

void LayoutGraph(TKv2DGraph& G)
{
    for (const auto& A : G.Axes()) {
        if (!A->Visible())
            continue;
        A->CopyMaster();
        A->AdjustRange();
        A->BuildTicksAndLabels();
        A->ClearLayoutDirty();
    }
    const int32_t FW = G.FrameLine.Visible() ? G.FrameLine.Width() : 0;
    TMargins M;
    M.L = M.T = M.R = M.B = FW;
    if (G.ShowTitle())
        M.T += G.TitleLabel().Height();
    PlaceLegends(G, M);
    FirstPass(G, M);
    if (M.IL > 0)
        M.L -= M.IL;
    if (M.IR > 0)
        M.R -= M.IR;
    if (M.IB > 0)
        M.B -= M.IB;
    if (M.IT > 0)
        M.T -= M.IT;
    M.T = std::max(M.T, FW + M.HV / 2);
    M.B = std::max(M.B, M.HV / 2);
    M.R = std::max(M.R, FW + M.WH / 2);
    M.L = std::max(M.L, M.WH / 2);
    SecondPass(G, M);
    PlaceWorld(G, M, FW);
    for (const auto& A : G.Axes())
        A->ClearLayoutDirty();
}

} // namespace kv
