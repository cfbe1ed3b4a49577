#pragma once
// The running integral of the Akima interpolation of a series across the
// display range, measured from its first sample, with its extrema where
// the interpolated data change sign.

#include "KvDifferential.h"

namespace kv {

class TKvIntegral : public TKvInterpolatedSecondary {
public:
    using TKvInterpolatedSecondary::TKvInterpolatedSecondary;

    QString AxisCaption() const override { return IntegralCaption; }
    std::string GetFormula() const override { return "Integration"; }
    std::string CalculationID() const override { return "Integration"; }
    void CalculateFunction() override;
    void WriteResults(TKvIniList& List, std::string_view Section) const override;
    TKvRealPosArray GetMinima() const override { return FEngine.IntegralMinima; }
    TKvRealPosArray GetMaxima() const override { return FEngine.IntegralMaxima; }
};

// Fills Curve's YValues with the running integral of Engine over its
// XValues (FillDisplayX must have run).
void FillIntegral(TKvIntPolynom& Engine, TKvCalculatedSeries& Curve);

} // namespace kv
