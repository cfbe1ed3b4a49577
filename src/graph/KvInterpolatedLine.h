#pragma once
// Curves drawn from a piecewise cubic engine: the common base with the
// lists of minima and maxima, the base of the Akima kinds (smoothing
// settings and their keys), and the Akima interpolation line itself.

#include "KvCalculatedSeries.h"

#include "analysis/KvAkima.h"

namespace kv {

class TKvInterpolatedFunction : public TKvCalculatedSeries {
public:
    using TKvCalculatedSeries::TKvCalculatedSeries;
    // Copies of the curve's minima and maxima; none in the base.
    virtual TKvRealPosArray GetMinima() const { return {}; }
    virtual TKvRealPosArray GetMaxima() const { return {}; }

protected:
    // "X-Minima(k)", "Y-Minima(k)" for each minimum, then the maxima.
    void WriteExtrema(TKvIniList& List, std::string_view Section) const;
};

class TKvAkimaFunction : public TKvInterpolatedFunction {
public:
    using TKvInterpolatedFunction::TKvInterpolatedFunction;

    bool DoSmoothing() const { return FEngine.DoSmoothing; }
    void SetDoSmoothing(bool Value) { FEngine.DoSmoothing = Value; }
    double SmoothRange() const { return FEngine.SmoothRange; }
    void SetSmoothRange(double Value) { FEngine.SmoothRange = Value; }
    const TKvAkima& Engine() const { return FEngine; }

    void SaveToIni(TKvIniList& Ini, std::string_view Section) const override;
    void LoadFromIni(const TKvIniList& Ini, std::string_view Section) override;

protected:
    // Interpolates the parent's data in the calculation range (smoothing
    // distances in decades on a logarithmic X axis).
    void InterpolateParent();
    TKvAkima FEngine;
};

class TKvInterpolatedLine : public TKvAkimaFunction {
public:
    using TKvAkimaFunction::TKvAkimaFunction;

    std::string GetFormula() const override { return "Interpolation"; }
    std::string CalculationID() const override { return "Interpolation"; }
    double Evaluate(double x) override { return FEngine.Value(x); }
    void CalculateFunction() override;
    void WriteResults(TKvIniList& List, std::string_view Section) const override;
    TKvRealPosArray GetMinima() const override { return FEngine.Minima; }
    TKvRealPosArray GetMaxima() const override { return FEngine.Maxima; }
};

} // namespace kv
