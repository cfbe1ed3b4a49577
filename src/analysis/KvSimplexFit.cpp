#include "KvSimplexFit.h"

#include "KvMathFault.h"
#include "foundation/KvRange.h"

#include <algorithm>
#include <cmath>

namespace kv {

using Fault = TKvMathFault;

TKvSimplexFit::TKvSimplexFit() = default;
TKvSimplexFit::~TKvSimplexFit() = default;

void TKvSimplexFit::SetOrder(int32_t Value)
{
    FOrder = std::max(Value, 0);
    FVariables.resize(static_cast<size_t>(FOrder), 0.0);
    ResizeArrays();
}

void TKvSimplexFit::SetVariables(std::span<const double> Values)
{
    if (static_cast<int64_t>(Values.size()) != FOrder)
        SetOrder(static_cast<int32_t>(Values.size()));
    std::copy(Values.begin(), Values.end(), FVariables.begin());
}

void TKvSimplexFit::SetVariable(int32_t i, double Value)
{
    if (i < 0 || i >= FOrder)
        throw ERangeError("Fitted Line: Index of variable out of range");
    FVariables[static_cast<size_t>(i)] = Value;
}

void TKvSimplexFit::ResizeArrays()
{
    const size_t m = static_cast<size_t>(std::max(FOrder, 0));
    FVertices.assign(m + 1, TKvRealArray(m, 0.0));
    FVertexChi.assign(m + 1, 0.0);
    FCentroid.assign(m, 0.0);
    FSavedVertex.assign(m, 0.0);
    FTrial.assign(m, 0.0);
    FBestIndex = FWorstIndex = FNextWorstIndex = 0;
}

double TKvSimplexFit::Evaluate(double x) const
{
    if (!FittingFunction)
        throw EMathError(NoFittingFunctionText);
    return FittingFunction(FVariables, x);
}

bool TKvSimplexFit::CalculateFit(std::span<const double> X, std::span<const double> Y, TKvOptionalValues W,
                                 double Start, double Stop)
{
    if (X.empty() || Y.empty() || FOrder <= 0)
        return false;
    if (!FittingFunction)
        throw EMathError(NoFittingFunctionText);
    if (Iterations > 0) {
        const int32_t Saved = Iterations;
        FitSimplex(X, Y, W, Start, Stop);
        Iterations = Saved;
    }
    return true;
}

void TKvSimplexFit::PrepareFitData(std::span<const double> X, std::span<const double> Y, TKvOptionalValues W,
                                   double Start, double Stop)
{
    // 1. The points of the calculation range.
    FHasWeights = W.has_value();
    FFitX.clear();
    FFitY.clear();
    FFitW.clear();
    size_t Count = std::min(X.size(), Y.size());
    if (W)
        Count = std::min(Count, W->size());
    for (size_t i = 0; i < Count; ++i) {
        const double x = X[i];
        if (!(Start <= x && x <= Stop))
            continue;
        Fault::CheckData(x);
        Fault::CheckData(Y[i]);
        FFitX.push_back(x);
        FFitY.push_back(Y[i]);
        if (W) {
            Fault::CheckData((*W)[i]);
            FFitW.push_back((*W)[i]);
        }
    }
    FFitCount = static_cast<int32_t>(FFitX.size());
    if (FFitCount < FOrder)
        Fault::NotEnoughData();

    // 2. X as a function of Y for the covariance measure.
    if (DoCovariance) {
        try {
            if (!FInverseInterpolation)
                FInverseInterpolation = std::make_unique<TKvAkima>();
            FInverseInterpolation->Interpolate(FFitY, FFitX, std::nullopt, -KvMissing, KvMissing);
        } catch (const EKvError&) {
            DoCovariance = false;
            throw EMathError(ReciprocalIndefiniteText);
        }
    }

    // 3.
    ResizeArrays();
    for (double& v : FVariables)
        if (v == 0)
            v = 1;
}

namespace {

// Σ Term(i) for i < n in four interleaved partial sums: independent
// additions that pipeline (the order of the sum does not matter to the
// ranking of the vertices).
template <class TTerm>
double SumOf(size_t n, TTerm Term)
{
    double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        s0 += Term(i);
        s1 += Term(i + 1);
        s2 += Term(i + 2);
        s3 += Term(i + 3);
    }
    for (; i < n; ++i)
        s0 += Term(i);
    return (s0 + s1) + (s2 + s3);
}

// The four measures over the model values Model(i).
template <class TModel>
double Measure(size_t n, const double* x, const double* y, const double* w, bool Weighted, TKvAkima* Inverse,
               TModel Model)
{
    if (!Inverse) {
        if (!Weighted)
            return SumOf(n, [&](size_t i) {
                const double d = y[i] - Model(i);
                return d * d;
            });
        return SumOf(n, [&](size_t i) {
            const double d = y[i] - Model(i);
            return std::fabs(w[i]) * (d * d);
        });
    }
    return SumOf(n, [&](size_t i) {
        const double m = Model(i);
        const double Product = std::fabs((x[i] - Inverse->Value(m)) * (y[i] - m));
        return Weighted ? std::fabs(w[i]) * Product : Product;
    });
}

} // namespace

double TKvSimplexFit::DeviationMeasure(std::span<const double> p)
{
    const size_t n = FFitX.size();
    const double* x = FFitX.data();
    const double* y = FFitY.data();
    const double* w = FFitW.data();
    TKvAkima* Inverse = DoCovariance ? FInverseInterpolation.get() : nullptr;
    double Total;
    if (FittingValues) {
        // The model values of all points in one call.
        FModelValues.resize(n);
        FittingValues(p, FFitX, FModelValues);
        const double* f = FModelValues.data();
        Total = Measure(n, x, y, w, FHasWeights, Inverse, [f](size_t i) { return f[i]; });
    } else {
        const TKvFittingFkt& f = FittingFunction;
        Total = Measure(n, x, y, w, FHasWeights, Inverse, [&](size_t i) { return f(p, x[i]); });
    }
    // A NaN or infinite model value (or an overflowing sum) is a fault of
    // the model, not a measure.
    TKvMathFault::CheckFinite(Total);
    return Total;
}

TKvVertexRanks RankVertices(std::span<const double> Chi)
{
    TKvVertexRanks R;
    const int32_t Count = static_cast<int32_t>(Chi.size());
    for (int32_t i = 0; i < Count; ++i) {
        if (Chi[i] >= Chi[R.Worst])
            R.Worst = i;
        else if (Chi[i] <= Chi[R.Best])
            R.Best = i;
    }
    R.NextWorst = R.Best;
    for (int32_t i = 0; i < Count; ++i)
        if (i != R.Worst && Chi[i] >= Chi[R.NextWorst])
            R.NextWorst = i;
    return R;
}

void TKvSimplexFit::RankVertices()
{
    const TKvVertexRanks R = kv::RankVertices(FVertexChi);
    FBestIndex = R.Best;
    FWorstIndex = R.Worst;
    FNextWorstIndex = R.NextWorst;
}

void TKvSimplexFit::MoveVertex(size_t Index, std::span<const double> From, double Factor)
{
    const size_t m = FCentroid.size();
    for (size_t j = 0; j < m; ++j)
        FTrial[j] = FCentroid[j] + Factor * (From[j] - FCentroid[j]);
    FVertices[Index] = FTrial;
    FVertexChi[Index] = DeviationMeasure(FVertices[Index]);
}

void TKvSimplexFit::FitSimplex(std::span<const double> X, std::span<const double> Y, TKvOptionalValues W,
                               double Start, double Stop)
{
    // 1.
    IterationsLeft = Iterations;
    PrepareFitData(X, Y, W, Start, Stop);
    const size_t m = static_cast<size_t>(std::max(FOrder, 0));
    if (m == 0)
        return;

    // 2. The start simplex.
    for (size_t i = 0; i <= m; ++i) {
        FVertices[i] = FVariables;
        if (i < m)
            FVertices[i][i] *= 2.05;
    }
    for (size_t i = 0; i <= m; ++i)
        FVertexChi[i] = DeviationMeasure(FVertices[i]);
    RankVertices();

    // 3. The passes.
    for (;;) {
        const size_t Worst = static_cast<size_t>(FWorstIndex);
        // a. Centroid of all vertices except the worst.
        for (size_t j = 0; j < m; ++j) {
            long double Sum = 0;
            for (size_t i = 0; i <= m; ++i)
                if (i != Worst)
                    Sum += FVertices[i][j];
            FCentroid[j] = static_cast<double>(Sum / static_cast<long double>(m));
        }
        // b. Reflection (unconditional): R = Centroid + 1 * (Centroid - W).
        {
            for (size_t j = 0; j < m; ++j)
                FTrial[j] = FCentroid[j] + 1.0 * (FCentroid[j] - FVertices[Worst][j]);
            FVertices[Worst] = FTrial;
            FVertexChi[Worst] = DeviationMeasure(FVertices[Worst]);
        }
        const double ReflectedChi = FVertexChi[Worst];
        if (ReflectedChi < FVertexChi[static_cast<size_t>(FBestIndex)]) {
            // c. Expansion: E = Centroid + 2 * (R - Centroid); keep R unless E is better.
            FSavedVertex = FVertices[Worst];
            MoveVertex(Worst, FSavedVertex, 2.0);
            if (!(FVertexChi[Worst] < ReflectedChi)) {
                FVertices[Worst] = FSavedVertex;
                FVertexChi[Worst] = ReflectedChi;
            }
        } else if (ReflectedChi > FVertexChi[static_cast<size_t>(FNextWorstIndex)]) {
            // d. Contraction: C = Centroid + 0.5 * (R - Centroid); shrink when
            // that is still worse than the next-worst vertex.
            FSavedVertex = FVertices[Worst];
            MoveVertex(Worst, FSavedVertex, 0.5);
            if (FVertexChi[Worst] > FVertexChi[static_cast<size_t>(FNextWorstIndex)]) {
                const size_t Best = static_cast<size_t>(FBestIndex);
                for (size_t i = 0; i <= m; ++i) {
                    if (i == Best)
                        continue;
                    for (size_t j = 0; j < m; ++j)
                        FVertices[i][j] = (FVertices[i][j] + FVertices[Best][j]) * 0.5;
                    FVertexChi[i] = DeviationMeasure(FVertices[i]);
                }
            }
        }
        // e.
        RankVertices();
        ChiSquare = FVertexChi[static_cast<size_t>(FBestIndex)];
        FVariables = FVertices[static_cast<size_t>(FBestIndex)];
        if (OnIteration)
            OnIteration(*this);
        // f. At most Iterations + 1 passes.
        --IterationsLeft;
        if (IterationsLeft < 0 || ChiSquare == 0)
            break;
    }
}

} // namespace kv
