#pragma once
// The running integral of the approximating spline of a series across the
// display range, measured from its first sample.

#include "KvASplineDifferential.h"

namespace kv {

class TKvASplineIntegral : public TKvApproxSplineSecondary {
public:
    using TKvApproxSplineSecondary::TKvApproxSplineSecondary;

    QString AxisCaption() const override { return IntegralCaption; }
    std::string GetFormula() const override { return "Integration"; }
    std::string CalculationID() const override { return "Approximative Spline Integral"; }
    void CalculateFunction() override;
    void WriteResults(TKvIniList& List, std::string_view Section) const override;
    TKvRealPosArray GetMinima() const override { return FEngine.IntegralMinima; }
    TKvRealPosArray GetMaxima() const override { return FEngine.IntegralMaxima; }
};

} // namespace kv
