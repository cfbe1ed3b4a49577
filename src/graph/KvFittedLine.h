#pragma once
// A model function with up to sixteen parameters fitted to the parent's
// points by the downhill simplex method (the engine TKvSimplexFit), drawn
// across the display range. The model is a function pointer; TExpressionFit
// supplies it from a formula.

#include "KvCalculatedSeries.h"

#include "analysis/KvSimplexFit.h"

namespace kv {

class TKvFittedLine : public TKvCalculatedSeries {
public:
    using TKvFitIterationEvent = std::function<void(TKvFittedLine& Sender)>;

    explicit TKvFittedLine(TKv2DGraph* AGraph);

    bool DoCovariance() const { return FFit.DoCovariance; }
    void SetDoCovariance(bool Value) { FFit.DoCovariance = Value; }
    int32_t Iterations() const { return FFit.Iterations; }
    void SetIterations(int32_t Value) { FFit.Iterations = Value; }
    int32_t Order() const { return FFit.Order(); }
    void SetOrder(int32_t Value) { FFit.SetOrder(Value); }
    const TKvRealArray& Variables() const { return FFit.Variables(); }
    void SetVariables(std::span<const double> Values) { FFit.SetVariables(Values); }
    void SetFittingFunction(TKvFittingFkt F) { FFit.FittingFunction = std::move(F); }
    const std::string& Expression() const { return FExpression; }
    // The formula text shown as the curve's formula; the base only stores it.
    virtual void SetExpression(const std::string& Value) { FExpression = Value; }
    // Called after every simplex pass.
    TKvFitIterationEvent OnIteration;
    // The pass counter while fitting and the measure of the best vertex.
    int32_t IterationsLeft() const { return FFit.IterationsLeft; }
    double ChiSquare() const { return FFit.ChiSquare; }
    TKvSimplexFit& Fit() { return FFit; }

    // Set by a window that runs refits itself, between passes of its event
    // loop: the preparation step before a paint then only marks a fit that
    // would run passes (RefitPending) and leaves its curve as it is; the
    // window calculates it afterwards. Without it the step fits at once.
    bool DeferRefit = false;
    bool RefitPending = false;
    // Calculate would run simplex passes: passes requested, parameters, a
    // model and points in the parent.
    bool WouldFit() const;
    void Recalculate() override;

    std::string GetFormula() const override { return FExpression; }
    std::string CalculationID() const override { return "Nonlinear Regression"; }
    double Evaluate(double x) override { return FFit.Evaluate(x); }
    void CalculateFunction() override;
    void WriteResults(TKvIniList& List, std::string_view Section) const override;
    void SaveToIni(TKvIniList& Ini, std::string_view Section) const override;
    void LoadFromIni(const TKvIniList& Ini, std::string_view Section) override;

protected:
    TKvSimplexFit FFit;
    std::string FExpression;
};

// The lower-case letter name of parameter k (1: a, 2: b, ...).
std::string CoefficientName(int32_t k);

} // namespace kv
