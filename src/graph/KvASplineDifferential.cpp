#include "KvASplineDifferential.h"

namespace kv {

void TKvApproxSplineSecondary::SetParentSeries(TKvSeries* Value)
{
    FParentSeries = Value;
    if (Value == nullptr)
        return;
    SetXAxis(Value->XAxis());
    FSecondary.Assign(*this, *Value);
    JoinParent();
}

void TKvASplineDifferential::CalculateFunction()
{
    InterpolateParent();
    FEngine.FindDerivativeExtrema();
    FillCurve();
}

void TKvASplineDifferential::WriteResults(TKvIniList& List, std::string_view Section) const
{
    TKvApproxSplineSecondary::WriteResults(List, Section);
    WriteExtrema(List, Section);
}

} // namespace kv
