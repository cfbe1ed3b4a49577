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
    // A missing key keeps the current value: an outfit may hand this curve
    // the section of another kind.
    FEngine.WeightFactor = Ini.ReadFloat(Section, "WeightFactor", FEngine.WeightFactor);
}

void TKvApproxSplineFunction::InterpolateParent()
{
    FEngine.Interpolate(ParentX(), ParentY(), ParentW(), FCalculationStart, FCalculationStop);
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
