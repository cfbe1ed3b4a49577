#include "KvPolynomLine.h"

#include "foundation/KvStrings.h"

#include <algorithm>
#include <cctype>

namespace kv {

namespace {

std::string LowerColumnName(int32_t i)
{
    std::string S = ColumnName(i);
    std::transform(S.begin(), S.end(), S.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return S;
}

} // namespace

TKvPolynomLine::TKvPolynomLine(TKv2DGraph* AGraph) : TKvCalculatedSeries(AGraph) { StoreOrder(2); }

void TKvPolynomLine::StoreOrder(int32_t Value)
{
    FResult.Order = std::clamp(Value, 2, MaxOrder);
    FResult.Coefficients.resize(static_cast<size_t>(FResult.Order) + 1);
}

void TKvPolynomLine::SetOrder(int32_t Value)
{
    StoreOrder(Value);
    CalculateIfReady();
}

std::string TKvPolynomLine::GetFormula() const
{
    std::string S = "Y=a+bX";
    for (int32_t i = 2; i <= FResult.Order; ++i)
        S += "+" + LowerColumnName(i + 1) + "X\\+" + std::to_string(i) + "\\+";
    return S;
}

void TKvPolynomLine::CalculateFunction()
{
    if (const auto W = ParentW())
        WeightedPolynomialRegression(ParentX(), ParentY(), *W, FCalculationStart, FCalculationStop, FResult);
    else
        PolynomialRegression(ParentX(), ParentY(), FCalculationStart, FCalculationStop, FResult);
    FillCurve();
}

void TKvPolynomLine::WriteResults(TKvIniList& List, std::string_view Section) const
{
    TKvCalculatedSeries::WriteResults(List, Section);
    const PolynomialResult& R = FResult;
    List.WriteInteger(Section, "Order", R.Order);
    List.WriteFloat(Section, "AverageX", R.AverageX);
    List.WriteFloat(Section, "VarianceX", R.VarianceX);
    List.WriteFloat(Section, "AverageY", R.AverageY);
    List.WriteFloat(Section, "VarianceY", R.VarianceY);
    List.WriteFloat(Section, "r2", R.R2);
    List.WriteFloat(Section, "ChiSquare", R.ChiSquare);
    List.WriteFloat(Section, "QRel%", R.QRel * 100);
    for (int32_t k = 1; k <= R.Order + 1; ++k) {
        List.WriteString(Section, "CoeffName(" + std::to_string(k) + ")", LowerColumnName(k));
        List.WriteFloat(Section, "Coeff(" + std::to_string(k) + ")", R.Coefficients[static_cast<size_t>(k - 1)]);
    }
}

void TKvPolynomLine::SaveToIni(TKvIniList& Ini, std::string_view Section) const
{
    TKvCalculatedSeries::SaveToIni(Ini, Section);
    Ini.WriteInteger(Section, "Order", FResult.Order);
}

void TKvPolynomLine::LoadFromIni(const TKvIniList& Ini, std::string_view Section)
{
    TKvCalculatedSeries::LoadFromIni(Ini, Section);
    // An outfit may hand this curve the section of another kind: a missing
    // key keeps the current order, and a fit's "Order" (its number of
    // variables) is no polynomial order.
    if (Ini.ReadString(Section, "Calculation", CalculationID()) == CalculationID())
        StoreOrder(Ini.ReadInteger(Section, "Order", FResult.Order));
}

} // namespace kv
