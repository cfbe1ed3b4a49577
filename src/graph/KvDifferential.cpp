#include "KvDifferential.h"

namespace kv {

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
