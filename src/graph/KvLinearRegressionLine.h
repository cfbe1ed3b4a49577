#pragma once
// The straight line Y = a + b*X fitted to the parent's points in the
// calculation range, drawn from two points across the display range. On a
// logarithmic axis the fit uses the decimal logarithms of that coordinate,
// so the line is straight on the logarithmic plot.

#include "KvCalculatedSeries.h"

#include "analysis/KvLinearRegression.h"

namespace kv {

class TKvLinearRegressionLine : public TKvCalculatedSeries {
public:
    explicit TKvLinearRegressionLine(TKv2DGraph* AGraph);

    bool DoFixedOffset = false;
    double Offset() const { return FResult.Offset; }
    // Fixes the offset at Value (DoFixedOffset := true) and recalculates.
    void SetOffset(double Value);
    const LinearRegressionResult& Result() const { return FResult; }

    std::string GetFormula() const override;
    void CalculateFunction() override;
    void WriteResults(TKvIniList& List, std::string_view Section) const override;
    std::string CalculationID() const override { return "Linear Regression"; }
    void SaveToIni(TKvIniList& Ini, std::string_view Section) const override;
    void LoadFromIni(const TKvIniList& Ini, std::string_view Section) override;
    // On a logarithmic axis the points whose coordinate there is not above
    // 0 are left out as well.
    int32_t PointsUsed() const override;

private:
    LinearRegressionResult FResult;
    int32_t FLogPointsUsed = 0;
};

} // namespace kv
