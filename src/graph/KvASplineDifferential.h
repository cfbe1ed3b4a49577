#pragma once
// The first derivative of the approximating spline of a series, and the
// base of the spline derivative and integral curves, which take a Y axis of
// their own.

#include "KvApproxSplineLine.h"
#include "KvSecondaryAxis.h"

namespace kv {

class TKvApproxSplineSecondary : public TKvApproxSplineFunction {
public:
    using TKvApproxSplineFunction::TKvApproxSplineFunction;
    ~TKvApproxSplineSecondary() override { FSecondary.Restore(*this); }

    bool WasSlave() const { return FSecondary.WasSlave; }
    void SetParentSeries(TKvSeries* Value) override;

private:
    TKvSecondaryAxis FSecondary;
};

class TKvASplineDifferential : public TKvApproxSplineSecondary {
public:
    using TKvApproxSplineSecondary::TKvApproxSplineSecondary;

    std::string GetFormula() const override { return "Differentiation"; }
    std::string CalculationID() const override { return "Approximative Spline Differentiation"; }
    double Evaluate(double x) override { return FEngine.Derivative(x); }
    void CalculateFunction() override;
    void WriteResults(TKvIniList& List, std::string_view Section) const override;
    TKvRealPosArray GetMinima() const override { return FEngine.DerivativeMinima; }
    TKvRealPosArray GetMaxima() const override { return FEngine.DerivativeMaxima; }
};

} // namespace kv
