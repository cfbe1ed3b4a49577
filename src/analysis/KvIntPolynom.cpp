#include "KvIntPolynom.h"

#include "KvMathFault.h"
#include "foundation/KvRange.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

// The interval walk takes this many single steps before it bisects the
// rest of the way (same result on sorted knots, logarithmic cost on jumps).
constexpr int WalkSteps = 8;

void Reserve(TKvRealPosArray& List, int32_t n)
{
    List.clear();
    List.reserve(static_cast<size_t>(std::max(n / 2, 0)));
}

// "Cut to the number found": a list much larger than its contents gives the
// memory back.
void Cut(TKvRealPosArray& List)
{
    if (List.capacity() > 2 * List.size() + 16)
        List.shrink_to_fit();
}

} // namespace

void TKvIntPolynom::Interpolate(std::span<const double>, std::span<const double>, TKvOptionalValues, double, double)
{
}

void TKvIntPolynom::ResetSearch()
{
    Minima.clear();
    Maxima.clear();
    DerivativeMinima.clear();
    DerivativeMaxima.clear();
    IntegralMinima.clear();
    IntegralMaxima.clear();
    SearchIndex = 0;
}

void TKvIntPolynom::CheckCoefficients(int32_t Count) const
{
    for (int32_t i = 0; i < Count; ++i) {
        const size_t j = static_cast<size_t>(i);
        TKvMathFault::CheckFinite(Knots[j]);
        TKvMathFault::CheckFinite(A[j]);
        TKvMathFault::CheckFinite(B[j]);
        TKvMathFault::CheckFinite(C[j]);
        TKvMathFault::CheckFinite(D[j]);
    }
}

int32_t TKvIntPolynom::FindInterval(double x)
{
    // Knots 0 .. n take part in the search; an engine without pieces has none.
    const int32_t Size = static_cast<int32_t>(std::min({Knots.size(), A.size(), B.size(), C.size(), D.size()}));
    if (Size == 0)
        TKvMathFault::NotEnoughData();
    const int32_t n = std::clamp(KnotCount, 0, Size - 1);
    const double* K = Knots.data();
    int32_t k = std::clamp(SearchIndex, 0, n);
    // Up while k < n and x > Knots[k].
    for (int Steps = 0; k < n && x > K[k]; ++Steps) {
        if (Steps == WalkSteps) {
            k = static_cast<int32_t>(std::lower_bound(K + k, K + n, x) - K);
            break;
        }
        ++k;
    }
    // Down while k > 0 and x < Knots[k].
    for (int Steps = 0; k > 0 && x < K[k]; ++Steps) {
        if (Steps == WalkSteps) {
            k = static_cast<int32_t>(std::upper_bound(K, K + k + 1, x) - K) - 1;
            if (k < 0)
                k = 0;
            break;
        }
        --k;
    }
    SearchIndex = k;
    return k;
}

double TKvIntPolynom::Value(double x)
{
    const size_t k = static_cast<size_t>(FindInterval(x));
    const double t = x - Knots[k];
    return A[k] + t * (B[k] + t * (C[k] + t * D[k]));
}

double TKvIntPolynom::Derivative(double x)
{
    const size_t k = static_cast<size_t>(FindInterval(x));
    const double t = x - Knots[k];
    return B[k] + t * (2 * C[k] + 3 * D[k] * t);
}

double TKvIntPolynom::SecondDerivative(double x)
{
    const size_t k = static_cast<size_t>(FindInterval(x));
    const double t = x - Knots[k];
    return 2 * C[k] + 6 * D[k] * t;
}

void TKvIntPolynom::FindExtrema()
{
    const int32_t n = KnotCount;
    Reserve(Minima, n);
    Reserve(Maxima, n);
    for (int32_t i = 0; i + 1 < n; ++i) {
        const size_t k = static_cast<size_t>(i);
        const double d = C[k];
        const double e = 3 * D[k];
        const double f = d * d - e * B[k];
        if (f < 0 || e == 0 || std::isnan(f))
            continue;
        const double Root = std::sqrt(f);
        const double Candidates[2] = {Knots[k] + (Root - d) / e, Knots[k] + (-d - Root) / e};
        for (const double r : Candidates) {
            if (!(Knots[k] <= r && r < Knots[k + 1]))
                continue;
            const double Curvature = SecondDerivative(r);
            const double v = Value(r);
            // A math error ends the examination of this interval.
            if (!std::isfinite(Curvature) || !std::isfinite(v))
                break;
            (Curvature >= 0 ? Minima : Maxima).push_back({r, v});
        }
    }
    Cut(Minima);
    Cut(Maxima);
}

void TKvIntPolynom::FindDerivativeExtrema()
{
    const int32_t n = KnotCount;
    Reserve(DerivativeMinima, n);
    Reserve(DerivativeMaxima, n);
    for (int32_t Index = 1; Index + 1 < n; ++Index) {
        const size_t i = static_cast<size_t>(Index);
        const bool IsMinimum = B[i - 1] > B[i] && B[i] <= B[i + 1];
        const bool IsMaximum = B[i - 1] < B[i] && B[i] >= B[i + 1];
        if (!IsMinimum && !IsMaximum)
            continue;
        const double Missing = IsMinimum ? KvMissing : -KvMissing;
        bool HasLeft = false, HasRight = false, Failed = false;
        double xl = 0, gl = Missing, xr = 0, gr = Missing;
        if (D[i - 1] != 0) {
            xl = Knots[i - 1] - C[i - 1] / (3 * D[i - 1]);
            gl = Derivative(xl);
            HasLeft = true;
            Failed = Failed || !std::isfinite(xl) || !std::isfinite(gl);
        }
        if (D[i] != 0) {
            xr = Knots[i] - C[i] / (3 * D[i]);
            gr = Derivative(xr);
            HasRight = true;
            Failed = Failed || !std::isfinite(xr) || !std::isfinite(gr);
        }
        // A math error while evaluating a candidate skips the knot.
        if (Failed || (!HasLeft && !HasRight))
            continue;
        const bool TakeLeft = IsMinimum ? gl < gr : gl > gr;
        if (TakeLeft && HasLeft)
            (IsMinimum ? DerivativeMinima : DerivativeMaxima).push_back({xl, gl});
        else if (HasRight)
            (IsMinimum ? DerivativeMinima : DerivativeMaxima).push_back({xr, gr});
        else
            (IsMinimum ? DerivativeMinima : DerivativeMaxima).push_back({xl, gl});
    }
    Cut(DerivativeMinima);
    Cut(DerivativeMaxima);
}

double TKvIntPolynom::PieceIntegral(int32_t k, double t) const
{
    const size_t i = static_cast<size_t>(k);
    return t * (A[i] + t * (B[i] / 2 + t * (C[i] / 3 + t * D[i] / 4)));
}

double TKvIntPolynom::IntegralBetween(double a, double b)
{
    const int32_t n = KnotCount;
    int32_t k = FindInterval(a);
    long double Sum = -static_cast<long double>(PieceIntegral(k, a - Knots[static_cast<size_t>(k)]));
    while (k + 1 <= n - 1 && b >= Knots[static_cast<size_t>(k + 1)]) {
        const size_t j = static_cast<size_t>(k);
        Sum += PieceIntegral(k, Knots[j + 1] - Knots[j]);
        ++k;
    }
    Sum += PieceIntegral(k, b - Knots[static_cast<size_t>(k)]);
    return static_cast<double>(Sum);
}

void TKvIntPolynom::Integrate(std::span<const double> Xs, std::span<double> Ys)
{
    const int32_t n = KnotCount;
    Reserve(IntegralMinima, n);
    Reserve(IntegralMaxima, n);
    const size_t Count = Xs.size();
    if (Count == 0)
        return;
    if (Ys.size() < Count)
        throw ERangeError("Integrate: fewer result entries than sample positions");
    for (const double x : Xs)
        TKvMathFault::CheckData(x);

    // The running integral is measured from the first sample, so the curve
    // starts at 0 without a step wherever the display begins.
    Ys[0] = 0;
    int32_t k = FindInterval(Xs[0]);
    long double Sum = -static_cast<long double>(PieceIntegral(k, Xs[0] - Knots[static_cast<size_t>(k)]));
    for (size_t c = 1; c < Count; ++c) {
        while (k + 1 <= n - 1 && Xs[c] >= Knots[static_cast<size_t>(k + 1)]) {
            const size_t j = static_cast<size_t>(k);
            Sum += PieceIntegral(k, Knots[j + 1] - Knots[j]);
            ++k;
        }
        Ys[c] = static_cast<double>(Sum + PieceIntegral(k, Xs[c] - Knots[static_cast<size_t>(k)]));
    }

    // Extrema: sample c - 1 for c = 2 to Count - 2, the position refined to
    // the sign change of the interpolated function nearest to it, within the
    // neighbouring samples, and the integral's value there.
    auto Refine = [&](size_t c, bool IsMinimum) -> TKvRealPos {
        const double Left = Xs[c - 2], Middle = Xs[c - 1], Right = Xs[c];
        // A minimum of the integral is a change of the function from
        // negative to not negative, a maximum the reverse.
        auto Crosses = [&](double fa, double fb) { return IsMinimum ? (fa < 0 && fb >= 0) : (fa > 0 && fb <= 0); };
        const double fl = Value(Left), fm = Value(Middle), fr = Value(Right);
        double lo, hi, flo;
        if (Crosses(fl, fm)) {
            lo = Left, hi = Middle, flo = fl;
        } else if (Crosses(fm, fr)) {
            lo = Middle, hi = Right, flo = fm;
        } else {
            return {Middle, Ys[c - 1]};
        }
        for (int Step = 0; Step < 200; ++Step) {
            const double Mid = lo + (hi - lo) / 2;
            if (Mid <= lo || Mid >= hi)
                break;
            const double fmid = Value(Mid);
            if (Crosses(flo, fmid)) {
                hi = Mid;
            } else {
                lo = Mid;
                flo = fmid;
            }
        }
        const double r = hi;
        const double v = r >= Middle ? Ys[c - 1] + IntegralBetween(Middle, r) : Ys[c - 1] - IntegralBetween(r, Middle);
        if (!std::isfinite(v))
            return {Middle, Ys[c - 1]};
        return {r, v};
    };
    for (size_t c = 2; c + 2 <= Count; ++c) {
        if (Ys[c - 1] < Ys[c - 2] && Ys[c] >= Ys[c - 1])
            IntegralMinima.push_back(Refine(c, true));
        else if (Ys[c - 1] > Ys[c - 2] && Ys[c] <= Ys[c - 1])
            IntegralMaxima.push_back(Refine(c, false));
    }
    Cut(IntegralMinima);
    Cut(IntegralMaxima);
}

} // namespace kv
