#include "KvLinearRegressionLine.h"

#include "KvAxis.h"
#include "KvAxisNumbers.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <span>

namespace kv {

TKvLinearRegressionLine::TKvLinearRegressionLine(TKv2DGraph* AGraph) : TKvCalculatedSeries(AGraph) {}

void TKvLinearRegressionLine::SetOffset(double Value)
{
    DoFixedOffset = true;
    FResult.Offset = Value;
    CalculateIfReady();
}

std::string TKvLinearRegressionLine::GetFormula() const
{
    return std::string(LogY() ? "lg(Y)=a+b(" : "Y=a+b(") + (LogX() ? "lg(X))" : "X)");
}

void TKvLinearRegressionLine::CalculateFunction()
{
    if (!FParentSeries->XData() || !FParentSeries->YData())
        throw EMathError(TKvMathFault::NotEnoughDataText);
    const std::optional<std::span<const double>> W = ParentW();
    if (LogX() || LogY()) {
        TKvLogRegressionData Data;
        PrepareLogRegressionData(ParentX(), ParentY(), W, LogX(), LogY(), FCalculationStart, FCalculationStop, Data);
        FLogPointsUsed = static_cast<int32_t>(
            std::count_if(Data.X.begin(), Data.X.end(), [&](double x) { return Data.Start <= x && x <= Data.Stop; }));
        std::optional<std::span<const double>> LogW;
        if (Data.HasWeights)
            LogW = std::span<const double>(Data.W);
        FitRegressionLine(Data.X, Data.Y, LogW, DoFixedOffset, Data.Start, Data.Stop, FResult);
    } else
        FitRegressionLine(ParentX(), ParentY(), W, DoFixedOffset, FCalculationStart, FCalculationStop, FResult);
    // The line is drawn from its two ends.
    for (double Xd : {FDisplayStart, FDisplayStop}) {
        const double Y = RegressionLineValue(FResult, Xd, LogX());
        XValues.Add(Xd);
        YValues.Add(LogY() ? Pow10(Y) : Y);
    }
}

int32_t TKvLinearRegressionLine::PointsUsed() const
{
    return LogX() || LogY() ? FLogPointsUsed : TKvCalculatedSeries::PointsUsed();
}

void TKvLinearRegressionLine::WriteResults(TKvIniList& List, std::string_view Section) const
{
    TKvCalculatedSeries::WriteResults(List, Section);
    const LinearRegressionResult& R = FResult;
    List.WriteBool(Section, "DoFixedOffset", DoFixedOffset);
    List.WriteFloat(Section, "AverageX", LogX() ? Pow10(R.AverageX) : R.AverageX);
    List.WriteFloat(Section, "VarianceX", LogX() ? Pow10(R.VarianceX) : R.VarianceX);
    List.WriteFloat(Section, "AverageY", LogY() ? Pow10(R.AverageY) : R.AverageY);
    List.WriteFloat(Section, "VarianceY", LogY() ? Pow10(R.VarianceY) : R.VarianceY);
    List.WriteFloat(Section, "R", R.R);
    List.WriteFloat(Section, "ChiSquare", R.ChiSquare);
    List.WriteFloat(Section, "Offset", R.Offset);
    List.WriteFloat(Section, "DeltaOffset", R.DeltaOffset);
    if (R.Offset != 0)
        List.WriteFloat(Section, "DeltaOffset%", std::fabs(R.DeltaOffset / R.Offset * 100));
    List.WriteFloat(Section, "Slope", R.Slope);
    List.WriteFloat(Section, "DeltaSlope", R.DeltaSlope);
    if (R.Slope != 0)
        List.WriteFloat(Section, "DeltaSlope%", std::fabs(R.DeltaSlope / R.Slope * 100));
}

void TKvLinearRegressionLine::SaveToIni(TKvIniList& Ini, std::string_view Section) const
{
    TKvCalculatedSeries::SaveToIni(Ini, Section);
    Ini.WriteBool(Section, "DoFixedOffset", DoFixedOffset);
    Ini.WriteFloat(Section, "Offset", FResult.Offset);
}

void TKvLinearRegressionLine::LoadFromIni(const TKvIniList& Ini, std::string_view Section)
{
    TKvCalculatedSeries::LoadFromIni(Ini, Section);
    DoFixedOffset = Ini.ReadBool(Section, "DoFixedOffset", DoFixedOffset);
    FResult.Offset = Ini.ReadFloat(Section, "Offset", FResult.Offset);
}

} // namespace kv
