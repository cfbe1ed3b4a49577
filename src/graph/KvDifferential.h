#pragma once
// The first derivative of the Akima interpolation of a series, and the base
// of the Akima derivative and integral curves, which take a Y axis of their
// own.

#include "KvInterpolatedLine.h"
#include "KvSecondaryAxisCurve.h"

namespace kv {

using TKvInterpolatedSecondary = TKvSecondaryAxisCurve<TKvAkimaFunction>;

class TKvDifferential : public TKvInterpolatedSecondary {
public:
    using TKvInterpolatedSecondary::TKvInterpolatedSecondary;

    QString AxisCaption() const override { return DerivativeCaption; }
    std::string GetFormula() const override { return "Differentiation"; }
    std::string CalculationID() const override { return "Differentiation"; }
    double Evaluate(double x) override { return FEngine.Derivative(x); }
    void CalculateFunction() override;
    void WriteResults(TKvIniList& List, std::string_view Section) const override;
    TKvRealPosArray GetMinima() const override { return FEngine.DerivativeMinima; }
    TKvRealPosArray GetMaxima() const override { return FEngine.DerivativeMaxima; }
};

} // namespace kv
