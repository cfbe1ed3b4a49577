#include "KvLinearRegression.h"

#include "foundation/KvRange.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kv {

namespace {

using TExtended = long double;
using Fault = TKvMathFault;

// The participating points: i below the smallest count, Start <= X[i] <= Stop.
template <bool Weighted>
struct TPoints {
    std::span<const double> X, Y, W;
    double Start, Stop;
    size_t Count;

    TPoints(std::span<const double> AX, std::span<const double> AY, std::span<const double> AW, double AStart,
            double AStop)
        : X(AX), Y(AY), W(AW), Start(AStart), Stop(AStop)
    {
        Count = std::min(X.size(), Y.size());
        if (Weighted)
            Count = std::min(Count, W.size());
    }

    // F(x, y, w) for every participating point, w = |W[i]| or 1.
    template <class F>
    void ForEach(F&& Fn) const
    {
        const double* PX = X.data();
        const double* PY = Y.data();
        const double* PW = W.data();
        for (size_t i = 0; i < Count; ++i) {
            const double x = PX[i];
            if (Start <= x && x <= Stop)
                Fn(x, PY[i], Weighted ? std::fabs(PW[i]) : 1.0);
        }
    }
};

// The first pass: count, weight sum, weighted sums of X and Y and the
// extremes (so that the deviations of all-equal values are exactly 0).
struct TFirstPass {
    size_t Count = 0;
    TExtended S = 0, SumX = 0, SumY = 0;
    double MinX = std::numeric_limits<double>::infinity(), MaxX = -std::numeric_limits<double>::infinity();
    double MinY = std::numeric_limits<double>::infinity(), MaxY = -std::numeric_limits<double>::infinity();
    TExtended AverageX = 0, AverageY = 0;
};

template <bool Weighted>
TFirstPass FirstPass(const TPoints<Weighted>& P)
{
    TFirstPass F;
    P.ForEach([&](double x, double y, double w) {
        Fault::CheckData(x);
        Fault::CheckData(y);
        if (Weighted)
            Fault::CheckData(w);
        ++F.Count;
        F.S += w;
        F.SumX += static_cast<TExtended>(w) * x;
        F.SumY += static_cast<TExtended>(w) * y;
        F.MinX = std::min(F.MinX, x);
        F.MaxX = std::max(F.MaxX, x);
        F.MinY = std::min(F.MinY, y);
        F.MaxY = std::max(F.MaxY, y);
    });
    // The averaging: Σx / n, which fails without points (0/0) and, for the
    // weighted routines, with a weight sum of 0.
    if (F.S == 0)
        Fault::NotEnoughData();
    F.AverageX = F.SumX / F.S;
    F.AverageY = F.SumY / F.S;
    // Σx / n of n equal values is that value; say so exactly.
    if (F.MinX == F.MaxX)
        F.AverageX = F.MinX;
    if (F.MinY == F.MaxY)
        F.AverageY = F.MinY;
    return F;
}

template <bool Weighted>
void FreeOffsetRegression(const TPoints<Weighted>& P, LinearRegressionResult& R)
{
    R = LinearRegressionResult{};
    R.DeltaSlope = KvMissing;
    R.DeltaOffset = KvMissing;

    // Step 1.
    const TFirstPass F = FirstPass(P);
    R.AverageX = Fault::Store(F.AverageX);
    R.AverageY = Fault::Store(F.AverageY);
    if (!Weighted && F.Count <= 1)
        Fault::NotEnoughData();
    const TExtended n = F.S;
    const TExtended AverageX = F.AverageX, AverageY = F.AverageY;

    // Step 2.
    TExtended Sxx = 0, Syy = 0, Sxy = 0;
    P.ForEach([&](double x, double y, double w) {
        const TExtended dx = x - AverageX, dy = y - AverageY;
        Sxx += w * dx * dx;
        Syy += w * dy * dy;
        Sxy += w * dx * y;
    });

    // Step 3: a division of a non-zero value by zero stops it and leaves the
    // sentinels; 0/0 (invalid operation) and overflow are not caught.
    TExtended Chi = 0;
    try {
        const TExtended Slope = Fault::Divide(Sxy, Sxx);
        R.Slope = Fault::Store(Slope);
        const TExtended Offset = AverageY - Slope * AverageX;
        R.Offset = Fault::Store(Offset);
        P.ForEach([&](double x, double y, double w) {
            const TExtended d = y - Slope * x - Offset;
            Chi += w * d * d;
        });
        R.ChiSquare = Fault::Store(Chi);
        TExtended VarianceX = 0, VarianceY = 0;
        if (!Weighted || n > 1) {
            VarianceX = Fault::Divide(Sxx, n - 1);
            VarianceY = Fault::Divide(Syy, n - 1);
        }
        R.VarianceX = Fault::Store(VarianceX);
        R.VarianceY = Fault::Store(VarianceY);
        R.R = Fault::Store(Fault::Divide(std::sqrt(VarianceX) * Slope, std::sqrt(VarianceY)));
    } catch (const EZeroDivide&) {
        R.Slope = KvMissing;
        R.Offset = KvMissing;
        R.R = 1;
        R.ChiSquare = 0;
        Chi = 0;
    }

    // Step 4: any math error (n = 2 makes the divisors 0) zeroes the errors.
    try {
        R.DeltaSlope = Fault::Store(Fault::Sqrt(Fault::Divide(Chi, (n - 2) * Sxx)));
        const TExtended Inner = Fault::Divide(AverageX * AverageX, Sxx) + Fault::Divide(TExtended(1), n);
        R.DeltaOffset = Fault::Store(Fault::Sqrt(Fault::Divide(Chi * Inner, n - 2)));
    } catch (const EMathError&) {
        R.DeltaSlope = 0;
        R.DeltaOffset = 0;
        R.ChiSquare = 0;
    }
}

// The unweighted fixed-offset routine catches only divisions by zero, the
// weighted one any math error.
template <bool Weighted>
void FixedOffsetCore(const TPoints<Weighted>& P, LinearRegressionResult& R)
{
    const double a = R.Offset;
    R = LinearRegressionResult{};
    R.Offset = a;
    R.DeltaSlope = KvMissing;
    R.DeltaOffset = 0;

    // Step 1.
    const TFirstPass F = FirstPass(P);
    R.AverageX = Fault::Store(F.AverageX);
    R.AverageY = Fault::Store(F.AverageY);
    if (!Weighted && F.Count < 1)
        Fault::NotEnoughData();
    const TExtended n = F.S;
    const TExtended AverageX = F.AverageX, AverageY = F.AverageY;

    // Step 2.
    TExtended Sxx = 0, Syy = 0, Sx2 = 0, Sxa = 0;
    P.ForEach([&](double x, double y, double w) {
        const TExtended dx = x - AverageX, dy = y - AverageY;
        Sxx += w * dx * dx;
        Syy += w * dy * dy;
        Sx2 += static_cast<TExtended>(w) * x * x;
        Sxa += static_cast<TExtended>(w) * x * (static_cast<TExtended>(y) - a);
    });

    // Step 3.
    TExtended Slope = KvMissing;
    auto SlopeStep = [&] {
        Slope = Fault::Divide(Sxa, Sx2);
        R.Slope = Fault::Store(Slope);
    };
    auto SlopeFailed = [&] {
        Slope = KvMissing;
        R.Slope = KvMissing;
    };
    if (Weighted) {
        try {
            SlopeStep();
        } catch (const EMathError&) {
            SlopeFailed();
        }
    } else {
        try {
            SlopeStep();
        } catch (const EZeroDivide&) {
            SlopeFailed();
        }
    }

    // Step 4.
    auto ErrorStep = [&] {
        TExtended Chi = 0;
        P.ForEach([&](double x, double y, double w) {
            const TExtended d = y - Slope * x - a;
            Chi += w * d * d;
        });
        R.ChiSquare = Fault::Store(Chi);
        R.DeltaSlope = Fault::Store(Fault::Sqrt(Fault::Divide(Chi, (n - 1) * Sx2)));
        R.VarianceX = Fault::Store(Fault::Divide(Sxx, n - 1));
        R.VarianceY = Fault::Store(Fault::Divide(Syy, n - 1));
    };
    auto ErrorFailed = [&] {
        R.DeltaSlope = 0;
        R.ChiSquare = 0;
    };
    if (Weighted) {
        try {
            ErrorStep();
        } catch (const EMathError&) {
            ErrorFailed();
        }
    } else {
        try {
            ErrorStep();
        } catch (const EZeroDivide&) {
            ErrorFailed();
        }
    }
}

} // namespace

void LinearRegression(std::span<const double> X, std::span<const double> Y, double Start, double Stop,
                      LinearRegressionResult& Result)
{
    FreeOffsetRegression(TPoints<false>(X, Y, {}, Start, Stop), Result);
}

void WeightedLinearRegression(std::span<const double> X, std::span<const double> Y, std::span<const double> W,
                              double Start, double Stop, LinearRegressionResult& Result)
{
    FreeOffsetRegression(TPoints<true>(X, Y, W, Start, Stop), Result);
}

void FixedOffsetRegression(std::span<const double> X, std::span<const double> Y, double Start, double Stop,
                           LinearRegressionResult& Result)
{
    FixedOffsetCore(TPoints<false>(X, Y, {}, Start, Stop), Result);
}

void WeightedFixedOffsetRegression(std::span<const double> X, std::span<const double> Y,
                                   std::span<const double> W, double Start, double Stop,
                                   LinearRegressionResult& Result)
{
    FixedOffsetCore(TPoints<true>(X, Y, W, Start, Stop), Result);
}

void FitRegressionLine(std::span<const double> X, std::span<const double> Y,
                       std::optional<std::span<const double>> W, bool DoFixedOffset, double Start, double Stop,
                       LinearRegressionResult& Result)
{
    if (W) {
        if (DoFixedOffset)
            WeightedFixedOffsetRegression(X, Y, *W, Start, Stop, Result);
        else
            WeightedLinearRegression(X, Y, *W, Start, Stop, Result);
    } else {
        if (DoFixedOffset)
            FixedOffsetRegression(X, Y, Start, Stop, Result);
        else
            LinearRegression(X, Y, Start, Stop, Result);
    }
}

double LogRangeEnd(double Value)
{
    return Value > 0 ? std::log10(Value) : 0.0;
}

void PrepareLogRegressionData(std::span<const double> X, std::span<const double> Y,
                              std::optional<std::span<const double>> W, bool LogX, bool LogY,
                              double CalculationStart, double CalculationStop, TKvLogRegressionData& Data)
{
    Data.X.clear();
    Data.Y.clear();
    Data.W.clear();
    Data.HasWeights = W.has_value();
    size_t Count = std::min(X.size(), Y.size());
    if (W)
        Count = std::min(Count, W->size());
    Data.X.reserve(Count);
    Data.Y.reserve(Count);
    if (W)
        Data.W.reserve(Count);
    for (size_t i = 0; i < Count; ++i) {
        double x = X[i], y = Y[i];
        if (LogX) {
            if (!(x > 0))
                continue;
            x = std::log10(x);
        }
        if (LogY) {
            if (!(y > 0))
                continue;
            y = std::log10(y);
        }
        Data.X.push_back(x);
        Data.Y.push_back(y);
        if (W)
            Data.W.push_back((*W)[i]);
    }
    Data.Start = LogX ? LogRangeEnd(CalculationStart) : CalculationStart;
    Data.Stop = LogX ? LogRangeEnd(CalculationStop) : CalculationStop;
}

double RegressionLineValue(const LinearRegressionResult& Result, double Xd, bool LogX)
{
    const double Xs = LogX ? TKvMathFault::Log10(Xd) : Xd;
    const double Value = Result.Offset + Result.Slope * Xs;
    TKvMathFault::CheckFinite(Value);
    return Value;
}

} // namespace kv
