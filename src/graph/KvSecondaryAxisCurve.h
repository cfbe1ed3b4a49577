#pragma once
// A derivative or integral curve over an interpolation engine (Akima or the
// approximating spline): it takes the parent's X axis and a secondary Y
// axis when attached, and gives that axis its slave flag back when it dies.

#include "KvSecondaryAxis.h"

namespace kv {

template <class TBase>
class TKvSecondaryAxisCurve : public TBase {
public:
    using TBase::TBase;
    ~TKvSecondaryAxisCurve() override { FSecondary.Restore(*this); }

    bool WasSlave() const { return FSecondary.WasSlave; }
    // What the curve's values are, as the caption of its axis (markup).
    virtual QString AxisCaption() const = 0;

    void SetParentSeries(TKvSeries* Value) override
    {
        this->FParentSeries = Value;
        if (Value == nullptr)
            return;
        this->SetXAxis(Value->XAxis());
        FSecondary.Assign(*this, *Value, AxisCaption());
        this->JoinParent();
    }

private:
    TKvSecondaryAxis FSecondary;
};

} // namespace kv
