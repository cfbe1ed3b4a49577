#pragma once
// The four straight-line fits Y = a + b*X behind
// TKvLinearRegressionLine, and the data preparation for logarithmic axes.
//
// A point i takes part when i is below the smallest count of the vectors
// passed and Start <= X[i] <= Stop (so a NaN X never takes part); weights are
// used by absolute value. The routines read the spans in place, sum in
// long double and store doubles. A participating Y or weight that is not
// finite (or an infinite X inside an infinite range) raises the
// invalid-operation error: every sum over it would be Inf - Inf or NaN.
//
// Failures: "Not enough data!" (EMathError) from
// the averaging step; 0/0 (all X equal, or R of constant Y with slope 0, or a
// weight sum of 1 or less) propagates as EInvalidOp; the caught divisions by
// zero leave the sentinels 1.7e308 in the result.

#include "KvMathFault.h"
#include "foundation/KvVector.h"

#include <optional>
#include <span>

namespace kv {

struct LinearRegressionResult {
    double Slope = 0;
    double DeltaSlope = 0;
    double Offset = 0; // input of the fixed-offset routines
    double DeltaOffset = 0;
    double AverageX = 0;
    double AverageY = 0;
    double VarianceX = 0;
    double VarianceY = 0;
    double R = 0;
    double ChiSquare = 0;
};

void LinearRegression(std::span<const double> X, std::span<const double> Y, double Start, double Stop,
                      LinearRegressionResult& Result);
void WeightedLinearRegression(std::span<const double> X, std::span<const double> Y, std::span<const double> W,
                              double Start, double Stop, LinearRegressionResult& Result);
// Result.Offset is the fixed offset a (input, never overwritten).
void FixedOffsetRegression(std::span<const double> X, std::span<const double> Y, double Start, double Stop,
                           LinearRegressionResult& Result);
void WeightedFixedOffsetRegression(std::span<const double> X, std::span<const double> Y,
                                   std::span<const double> W, double Start, double Stop,
                                   LinearRegressionResult& Result);

// Picks one of the four routines as CalculateFunction step 3 does.
void FitRegressionLine(std::span<const double> X, std::span<const double> Y,
                       std::optional<std::span<const double>> W, bool DoFixedOffset, double Start, double Stop,
                       LinearRegressionResult& Result);

// The data of a fit on logarithmic axes (CalculateFunction steps 1 and 2).
struct TKvLogRegressionData {
    TKvRealArray X, Y, W;
    bool HasWeights = false;
    double Start = 0;
    double Stop = 0;
};

// A range end on a logarithmic axis: its decimal logarithm when it is
// greater than 0, else 0.
double LogRangeEnd(double Value);

// Step 1 and 2 of CalculateFunction: replaces X (when LogX) and Y (when
// LogY) by decimal logarithms, leaving out every point whose coordinate on
// a logarithmic axis is not greater than 0 (with its X, Y and weight), over
// the smallest count of the vectors; converts the range ends on a
// logarithmic X axis with LogRangeEnd.
void PrepareLogRegressionData(std::span<const double> X, std::span<const double> Y,
                              std::optional<std::span<const double>> W, bool LogX, bool LogY,
                              double CalculationStart, double CalculationStop, TKvLogRegressionData& Data);

// Step 4: the Y value of the fitted line at the display end Xd (in data
// units). On a logarithmic X axis Xd must be positive (EZeroDivide for 0,
// EInvalidOp for a negative value); the result is a + b*Xs in the fitted
// coordinate (the curve applies Pow10 on a logarithmic Y axis).
double RegressionLineValue(const LinearRegressionResult& Result, double Xd, bool LogX);

} // namespace kv
