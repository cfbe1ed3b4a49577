#pragma once
// A least-squares polynomial Y = c0 + c1*X + ... + cm*X^m of order m >= 2
// through the parent's points in the calculation range (weighted when the
// parent has weights), drawn over the display range. Axis scaling is not
// taken into account: the fit works on the plain values.

#include "KvCalculatedSeries.h"

#include "analysis/KvPolynomialRegression.h"

namespace kv {

class TKvPolynomLine : public TKvCalculatedSeries {
public:
    explicit TKvPolynomLine(TKv2DGraph* AGraph);

    // A damaged file can name any order; one in the millions would take
    // minutes and gigabytes for a formula text and coefficients no data
    // can fill.
    static constexpr int32_t MaxOrder = 100;

    int32_t Order() const { return FResult.Order; }
    // Values below 2 become 2, above MaxOrder MaxOrder; recalculates when
    // the parent has points.
    void SetOrder(int32_t Value);
    // c(i) for 0 <= i <= Order; a range error outside.
    double Coefficient(int32_t i) const { return PolynomialCoefficient(FResult, i); }
    const PolynomialResult& Result() const { return FResult; }

    std::string GetFormula() const override;
    double Evaluate(double x) override { return PolynomialValue(FResult.Coefficients, x); }
    void CalculateFunction() override;
    void WriteResults(TKvIniList& List, std::string_view Section) const override;
    std::string CalculationID() const override { return "Polynomial Regression"; }
    void SaveToIni(TKvIniList& Ini, std::string_view Section) const override;
    void LoadFromIni(const TKvIniList& Ini, std::string_view Section) override;

private:
    void StoreOrder(int32_t Value);
    PolynomialResult FResult;
};

} // namespace kv
