#pragma once
// The approximating (smoothing) spline: the base of its kinds with the
// weight factor and its key, and the spline line itself.

#include "KvInterpolatedLine.h"

#include "analysis/KvApproxSpline.h"

namespace kv {

class TKvApproxSplineFunction : public TKvInterpolatedFunction {
public:
    using TKvInterpolatedFunction::TKvInterpolatedFunction;

    double WeightFactor() const { return FEngine.WeightFactor; }
    void SetWeightFactor(double Value) { FEngine.WeightFactor = Value; }
    const TKvApproxSpline& Engine() const { return FEngine; }

    void SaveToIni(TKvIniList& Ini, std::string_view Section) const override;
    void LoadFromIni(const TKvIniList& Ini, std::string_view Section) override;

protected:
    void InterpolateParent();
    TKvApproxSpline FEngine;
};

class TKvApproxSplineLine : public TKvApproxSplineFunction {
public:
    using TKvApproxSplineFunction::TKvApproxSplineFunction;

    std::string GetFormula() const override { return "Approximative Spline"; }
    std::string CalculationID() const override { return "Approximative Spline"; }
    double Evaluate(double x) override { return FEngine.Value(x); }
    void CalculateFunction() override;
    void WriteResults(TKvIniList& List, std::string_view Section) const override;
    TKvRealPosArray GetMinima() const override { return FEngine.Minima; }
    TKvRealPosArray GetMaxima() const override { return FEngine.Maxima; }
};

} // namespace kv
