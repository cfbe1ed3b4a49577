#include "KvASplineDifferential.h"

namespace kv {

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
