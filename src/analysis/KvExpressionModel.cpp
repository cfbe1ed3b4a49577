#include "KvExpressionModel.h"

#include "foundation/KvStrings.h"

#include <algorithm>

namespace kv {

TKvExpressionModel::TKvExpressionModel(const std::string& SettingsFileName) : FParser(SettingsFileName)
{
    StartValues.fill(1.0);
    FParser.SetParameterValues(StartValues);
}

void TKvExpressionModel::SetExpression(std::string_view Text)
{
    FExpression = std::string(Text);
    FParser.SetExpression(RemoveSpaces(Text));
}

int32_t TKvExpressionModel::CheckFormula(std::string_view Text, double DisplayStart)
{
    FParser.SetParameterValues(StartValues);
    // Formulas are held without blanks; only operator characters delimit a
    // variable letter.
    const std::string Formula = RemoveSpaces(Text);
    if (!ContainsVariable(Formula, 'X'))
        throw EMathError(NoIndependentVariableText);
    int32_t Order = 0;
    for (char Letter = 'P'; Letter >= 'A'; --Letter)
        if (ContainsVariable(Formula, Letter)) {
            Order = Letter - 'A' + 1;
            break;
        }
    if (Order == 0)
        throw EMathError(NoParameterVariableText);
    FParser.SetX(DisplayStart);
    FParser.SetExpression(Formula);
    (void)FParser.Value();
    return Order;
}

void TKvExpressionModel::CheckFormula(std::string_view Text, double DisplayStart, TKvSimplexFit& Fit)
{
    Fit.SetOrder(CheckFormula(Text, DisplayStart));
}

double TKvExpressionModel::Evaluate(std::span<const double> Values, double x)
{
    FParser.SetX(x);
    FParser.SetParameterValues(Values);
    return FParser.Value();
}

void TKvExpressionModel::EvaluateAll(std::span<const double> Values, std::span<const double> X,
                                     std::span<double> Result)
{
    FParser.SetParameterValues(Values);
    // The parser's block evaluation: the same values and faults as one
    // evaluation per point, many points per pass over the operations.
    FParser.ValuesAt(X.first(std::min(X.size(), Result.size())), Result);
}

TKvFittingValues TKvExpressionModel::FittingValues()
{
    return [this](std::span<const double> Values, std::span<const double> X, std::span<double> Result) {
        EvaluateAll(Values, X, Result);
    };
}

void TKvExpressionModel::Bind(TKvSimplexFit& Fit)
{
    Fit.FittingFunction = FittingFunction();
    Fit.FittingValues = FittingValues();
}

TKvFittingFkt TKvExpressionModel::FittingFunction()
{
    return [this](std::span<const double> Values, double x) { return Evaluate(Values, x); };
}

} // namespace kv
