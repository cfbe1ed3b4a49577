#include "KvFittedLine.h"

#include "KvInterpolatedLine.h"

#include "foundation/KvStrings.h"

#include <algorithm>
#include <cctype>

namespace kv {

std::string CoefficientName(int32_t k)
{
    std::string S = ColumnName(k);
    std::transform(S.begin(), S.end(), S.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return S;
}

TKvFittedLine::TKvFittedLine(TKv2DGraph* AGraph) : TKvCalculatedSeries(AGraph)
{
    FFit.OnIteration = [this](TKvSimplexFit&) {
        if (OnIteration)
            OnIteration(*this);
    };
}

bool TKvFittedLine::WouldFit() const
{
    const TKvRealVector* X = FParentSeries ? FParentSeries->XData() : nullptr;
    const TKvRealVector* Y = FParentSeries ? FParentSeries->YData() : nullptr;
    return FFit.Iterations > 0 && FFit.Order() > 0 && (FFit.FittingFunction || FFit.FittingValues) && X && Y &&
           X->Count() > 0 && Y->Count() > 0;
}

void TKvFittedLine::Recalculate()
{
    if (Calculating())
        return;
    if (DeferRefit && WouldFit()) {
        RefitPending = true;
        return;
    }
    TKvCalculatedSeries::Recalculate();
}

void TKvFittedLine::CalculateFunction()
{
    RefitPending = false;
    if (FFit.CalculateFit(ParentX(), ParentY(), ParentW(), FCalculationStart, FCalculationStop)) {
        // A window may have drawn the best vertex of each pass meanwhile.
        XValues.Clear();
        YValues.Clear();
        FillCurve();
    }
}

void TKvFittedLine::WriteResults(TKvIniList& List, std::string_view Section) const
{
    TKvCalculatedSeries::WriteResults(List, Section);
    List.WriteString(Section, "VarianceCoVariance", FFit.DoCovariance ? "Covariance" : "Variance");
    List.WriteFloat(Section, "ChiSquare", FFit.ChiSquare);
    List.WriteInteger(Section, "Order", FFit.Order());
    List.WriteInteger(Section, "Iterations", FFit.Iterations);
    const TKvRealArray& V = FFit.Variables();
    for (int32_t k = 1; k <= FFit.Order() && static_cast<size_t>(k) <= V.size(); ++k) {
        List.WriteString(Section, "CoeffName(" + std::to_string(k) + ")", CoefficientName(k));
        List.WriteFloat(Section, "Coeff(" + std::to_string(k) + ")", V[static_cast<size_t>(k - 1)]);
    }
}

void TKvFittedLine::SaveToIni(TKvIniList& Ini, std::string_view Section) const
{
    TKvCalculatedSeries::SaveToIni(Ini, Section);
    Ini.WriteInteger(Section, "Order", FFit.Order());
    Ini.WriteInteger(Section, "Iterations", FFit.Iterations);
    Ini.WriteFloat(Section, "ChiSquare", FFit.ChiSquare);
    Ini.WriteExactFloatArray(Section, "Coefs", FFit.Variables());
}

void TKvFittedLine::LoadFromIni(const TKvIniList& Ini, std::string_view Section)
{
    TKvCalculatedSeries::LoadFromIni(Ini, Section);
    TKvRealArray V = FFit.Variables();
    Ini.ReadFloatArray(Section, "Coefs", V);
    FFit.SetVariables(V);
    FFit.Iterations = Ini.ReadInteger(Section, "Iterations", 300);
    SetExpression(Ini.ReadString(Section, "Formula", ""));
}

} // namespace kv
