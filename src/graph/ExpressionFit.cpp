#include "ExpressionFit.h"

namespace kv {

TExpressionFit::TExpressionFit(TKv2DGraph* AGraph, const std::string& SettingsFileName)
    : TKvFittedLine(AGraph), FModel(SettingsFileName)
{
    FModel.Bind(FFit);
    FModel.StartValues.fill(1);
}

void TExpressionFit::SetExpression(const std::string& Value)
{
    TKvFittedLine::SetExpression(Value);
    FModel.SetExpression(Value);
    FFormulaError.clear();
}

void TExpressionFit::CalculateFunction()
{
    if (!FFormulaError.empty())
        throw EMathParserError(FFormulaError);
    TKvFittedLine::CalculateFunction();
}

void TExpressionFit::CheckFormula(const std::string& Text) { FModel.CheckFormula(Text, FDisplayStart, FFit); }

void TExpressionFit::LoadFromIni(const TKvIniList& Ini, std::string_view Section)
{
    const std::string Kind = Ini.ReadString(Section, "Calculation", CalculationID());
    if (Kind != CalculationID()) {
        // Only the keys every kind shares.
        TKvCalculatedSeries::LoadFromIni(Ini, Section);
        return;
    }
    const std::string Formula = Ini.ReadString(Section, "Formula", "");
    try {
        SetExpression(Formula);
        CheckFormula(Formula);
    } catch (const EKvError& E) {
        FExpression = Formula;
        FFormulaError = E.what();
        TKvCalculatedSeries::LoadFromIni(Ini, Section);
        return;
    }
    TKvCalculatedSeries::LoadFromIni(Ini, Section);
    TKvRealArray V = FFit.Variables();
    Ini.ReadFloatArray(Section, "Coefs", V);
    FFit.SetVariables(V);
    FFit.Iterations = Ini.ReadInteger(Section, "Iterations", 300);
}

} // namespace kv
