#pragma once
// The first derivative of the approximating spline of a series, and the
// base of the spline derivative and integral curves, which take a Y axis of
// their own.

#include "KvApproxSplineLine.h"
#include "KvSecondaryAxisCurve.h"

namespace kv {

using TKvApproxSplineSecondary = TKvSecondaryAxisCurve<TKvApproxSplineFunction>;

class TKvASplineDifferential : public TKvApproxSplineSecondary {
public:
    using TKvApproxSplineSecondary::TKvApproxSplineSecondary;

    QString AxisCaption() const override { return DerivativeCaption; }
    std::string GetFormula() const override { return "Differentiation"; }
    std::string CalculationID() const override { return "Approximative Spline Differentiation"; }
    double Evaluate(double x) override { return FEngine.Derivative(x); }
    void CalculateFunction() override;
    void WriteResults(TKvIniList& List, std::string_view Section) const override;
    TKvRealPosArray GetMinima() const override { return FEngine.DerivativeMinima; }
    TKvRealPosArray GetMaxima() const override { return FEngine.DerivativeMaxima; }
};

} // namespace kv
