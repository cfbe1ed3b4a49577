#pragma once
// The nonlinear fit of a formula over X and the parameters A to P.

#include "KvFittedLine.h"

#include "analysis/KvExpressionModel.h"

namespace kv {

class TExpressionFit : public TKvFittedLine {
public:
    // SettingsFileName: the settings file whose named constants formulas
    // may use (empty: none).
    explicit TExpressionFit(TKv2DGraph* AGraph, const std::string& SettingsFileName = {});

    // Sixteen start values, all 1 initially.
    std::array<double, TKvExpressionModel::ParameterCount>& StartValues() { return FModel.StartValues; }

    // Stores the text and compiles it without blanks; compile errors
    // propagate.
    void SetExpression(const std::string& Value) override;
    // The check before a formula is accepted: X and one of A to P must
    // occur; sets Order from the highest letter used and evaluates the
    // formula once at DisplayStart. Does not change Expression.
    void CheckFormula(const std::string& Text);
    double Evaluate(double x) override { return FModel.Evaluate(FFit.Variables(), x); }
    // A section written by another kind leaves the formula alone; a formula
    // that does not compile is kept as text and reported in LastError.
    void LoadFromIni(const TKvIniList& Ini, std::string_view Section) override;
    // Fails with the compile error of a formula that was loaded but does
    // not compile.
    void CalculateFunction() override;

private:
    TKvExpressionModel FModel;
    std::string FFormulaError;
};

} // namespace kv
