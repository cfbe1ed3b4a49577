#include "KvSecondaryAxis.h"

#include "KvCalculatedSeries.h"
#include "KvGraph2D.h"

namespace kv {

void TKvSecondaryAxis::Assign(TKvCalculatedSeries& Curve, TKvSeries& Parent, const QString& Caption)
{
    if (Curve.YAxis())
        return;
    TKvAxis* X = Parent.XAxis();
    TKv2DGraph* G = X ? X->Graph() : nullptr;
    if (G == nullptr)
        return;
    TKvAxis* Axis = nullptr;
    if (G->ZeroOrigin())
        Axis = Parent.YAxis();
    else {
        for (const auto& A : G->Axes()) {
            const bool Vertical = A->Position() != TKvAxisPos::AxBottomPos && A->Position() != TKvAxisPos::AxTopPos;
            if (Vertical && A.get() != Parent.YAxis())
                Axis = A.get();
        }
        // Made visible with its numbers: the curve is read against it.
        if (Axis) {
            Axis->SetVisible(true);
            Axis->SetShowScaleLabels(true);
        }
        else {
            int k = 1;
            while (G->FindAxis("SecondaryAxis" + std::to_string(k)))
                ++k;
            Axis = &G->AddAxis(TKvAxisPos::AxRightPos, "SecondaryAxis" + std::to_string(k));
        }
    }
    if (Axis == nullptr)
        return;
    Curve.SetYAxis(Axis);
    WasSlave = Axis->IsSlaveAxis();
    Axis->SetIsSlaveAxis(false);
    if (Axis != Parent.YAxis())
        AddCaption(*Axis, Caption);
}

void TKvSecondaryAxis::AddCaption(TKvAxis& Axis, const QString& Caption)
{
    // An axis that showed no caption had none that belonged to a curve.
    const QStringList Old = Axis.ShowCaption() ? Axis.AutoCaption().split(", ", Qt::SkipEmptyParts) : QStringList();
    if (!Old.contains(Caption))
        Axis.SetAutoCaption((Old + QStringList{Caption}).join(", "));
    Axis.SetShowCaption(true);
}

void TKvSecondaryAxis::Restore(TKvCalculatedSeries& Curve) const
{
    if (WasSlave && Curve.YAxis())
        Curve.YAxis()->SetIsSlaveAxis(true);
}

} // namespace kv
