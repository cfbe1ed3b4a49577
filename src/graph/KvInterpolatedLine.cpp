#include "KvInterpolatedLine.h"

namespace kv {

void TKvInterpolatedFunction::WriteExtrema(TKvIniList& List, std::string_view Section) const
{
    auto Write = [&](const TKvRealPosArray& Items, const char* Kind) {
        for (size_t k = 0; k < Items.size(); ++k) {
            const std::string Index = std::string(Kind) + "(" + std::to_string(k + 1) + ")";
            List.WriteFloat(Section, "X-" + Index, Items[k].X);
            List.WriteFloat(Section, "Y-" + Index, Items[k].Y);
        }
    };
    Write(GetMinima(), "Minima");
    Write(GetMaxima(), "Maxima");
}

void TKvAkimaFunction::SaveToIni(TKvIniList& Ini, std::string_view Section) const
{
    TKvInterpolatedFunction::SaveToIni(Ini, Section);
    Ini.WriteBool(Section, "DoSmoothing", FEngine.DoSmoothing);
    Ini.WriteFloat(Section, "SmoothM", FEngine.SmoothRange);
}

void TKvAkimaFunction::LoadFromIni(const TKvIniList& Ini, std::string_view Section)
{
    TKvInterpolatedFunction::LoadFromIni(Ini, Section);
    // A missing key keeps the current value: an outfit may hand this curve
    // the section of another kind.
    FEngine.DoSmoothing = Ini.ReadBool(Section, "DoSmoothing", FEngine.DoSmoothing);
    FEngine.SmoothRange = Ini.ReadFloat(Section, "SmoothM", FEngine.SmoothRange);
}

void TKvAkimaFunction::InterpolateParent()
{
    FEngine.LogSmoothing = LogX();
    FEngine.Interpolate(ParentX(), ParentY(), ParentW(), FCalculationStart, FCalculationStop);
}

void TKvInterpolatedLine::CalculateFunction()
{
    InterpolateParent();
    FEngine.FindExtrema();
    FillCurve();
}

void TKvInterpolatedLine::WriteResults(TKvIniList& List, std::string_view Section) const
{
    TKvAkimaFunction::WriteResults(List, Section);
    WriteExtrema(List, Section);
}

} // namespace kv
