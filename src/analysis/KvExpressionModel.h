#pragma once
// The model function of the expression fit: a formula over X and the
// parameters A to P, compiled once by a TFunctionParser and evaluated with
// the parameters written straight into the parser's cells.
//
// FittingFunction() hands the simplex engine a callback bound to this
// object, so the model must outlive every fit that uses it.

#include "KvSimplexFit.h"
#include "expression/ExpressionParser.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kv {

inline constexpr const char* NoIndependentVariableText = "Expression must contain the independent variable X!";
inline constexpr const char* NoParameterVariableText = "Expression must contain a variable A..P !";

class TKvExpressionModel {
public:
    static constexpr int ParameterCount = TFunctionParser::ParameterCount;

    // SettingsFileName: the user settings file whose named constants the
    // parser loads (empty: none).
    explicit TKvExpressionModel(const std::string& SettingsFileName = {});
    TKvExpressionModel(const TKvExpressionModel&) = delete;
    TKvExpressionModel& operator=(const TKvExpressionModel&) = delete;

    // Sixteen start values, all 1 initially.
    std::array<double, ParameterCount> StartValues;

    // The formula as the user wrote it; the parser compiles it without
    // blanks. Compile errors (EMathParserError and its kinds) propagate.
    const std::string& Expression() const { return FExpression; }
    void SetExpression(std::string_view Text);

    // The check before a formula is accepted: X must occur as a variable
    // (NoIndependentVariableText), and so must one of A to P
    // (NoParameterVariableText); the highest letter used gives the order
    // (A = 1 ... P = 16; lower letters the formula does not use are
    // parameters too). Compiles the text into the parser with the start
    // values and evaluates it once at DisplayStart, so compile and
    // evaluation errors propagate. Expression() is not changed.
    int32_t CheckFormula(std::string_view Text, double DisplayStart);
    // The same, and sets the order of Fit.
    void CheckFormula(std::string_view Text, double DisplayStart, TKvSimplexFit& Fit);

    // The model at x for the parameters Values (A, B, ... in order).
    double Evaluate(std::span<const double> Values, double x);
    // The model at every X[i] into Result[i]: the parameters are written
    // once and the points evaluated in blocks.
    void EvaluateAll(std::span<const double> Values, std::span<const double> X, std::span<double> Result);
    TKvFittingFkt FittingFunction();
    TKvFittingValues FittingValues();
    // Both forms for a fit (FittingFunction and FittingValues).
    void Bind(TKvSimplexFit& Fit);

    TFunctionParser& Parser() { return FParser; }

private:
    TFunctionParser FParser;
    std::string FExpression;
};

} // namespace kv
