#include "KvDifferential.h"

namespace kv {

void TKvInterpolatedSecondary::SetParentSeries(TKvSeries* Value)
{
    FParentSeries = Value;
    if (Value == nullptr)
        return;
    SetXAxis(Value->XAxis());
    FSecondary.Assign(*this, *Value);
    JoinParent();
}

void TKvDifferential::CalculateFunction()
{
    InterpolateParent();
    FEngine.FindDerivativeExtrema();
    FillCurve();
}

void TKvDifferential::WriteResults(TKvIniList& List, std::string_view Section) const
{
    TKvInterpolatedSecondary::WriteResults(List, Section);
    WriteExtrema(List, Section);
}

} // namespace kv
