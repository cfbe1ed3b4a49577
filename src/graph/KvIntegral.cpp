#include "KvIntegral.h"

#include <vector>

namespace kv {

void FillIntegral(TKvIntPolynom& Engine, TKvCalculatedSeries& Curve)
{
    std::vector<double> Ys(static_cast<size_t>(Curve.XValues.Count()));
    Engine.Integrate(Curve.XValues.Values(), Ys);
    Curve.YValues.AddValues(Ys);
}

void TKvIntegral::CalculateFunction()
{
    InterpolateParent();
    FillDisplayX();
    FillIntegral(FEngine, *this);
}

void TKvIntegral::WriteResults(TKvIniList& List, std::string_view Section) const
{
    TKvInterpolatedSecondary::WriteResults(List, Section);
    WriteExtrema(List, Section);
}

} // namespace kv
