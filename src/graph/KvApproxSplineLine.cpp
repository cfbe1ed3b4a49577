#include "KvApproxSplineLine.h"

namespace kv {

void TKvApproxSplineFunction::SaveToIni(TKvIniList& Ini, std::string_view Section) const
{
    TKvInterpolatedFunction::SaveToIni(Ini, Section);
    Ini.WriteFloat(Section, "WeightFactor", FEngine.WeightFactor);
}

void TKvApproxSplineFunction::LoadFromIni(const TKvIniList& Ini, std::string_view Section)
{
    TKvInterpolatedFunction::LoadFromIni(Ini, Section);
    FEngine.WeightFactor = Ini.ReadFloat(Section, "WeightFactor", 1);
}

void TKvApproxSplineFunction::InterpolateParent()
{
    FEngine.Interpolate(FParentSeries->XData()->Values(), FParentSeries->YData()->Values(),
                        ParentWeights(*FParentSeries), FCalculationStart, FCalculationStop);
}

void TKvApproxSplineLine::CalculateFunction()
{
    InterpolateParent();
    FEngine.FindExtrema();
    FillCurve();
}

void TKvApproxSplineLine::WriteResults(TKvIniList& List, std::string_view Section) const
{
    TKvApproxSplineFunction::WriteResults(List, Section);
    WriteExtrema(List, Section);
}

} // namespace kv
