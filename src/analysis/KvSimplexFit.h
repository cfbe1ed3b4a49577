#pragma once
// The downhill simplex (Nelder and Mead) fit of a model function
// with up to sixteen parameters, as the engine behind TKvFittedLine.
//
// The model is a callback (TKvFittingFkt) of the parameters and x; the
// expression-driven model of TExpressionFit is one such callback
// (KvExpressionModel.h). The engine keeps the fit's settings (Order,
// Variables, Iterations, DoCovariance) and its working state (the fitted
// points, the vertices and their measures) so that the curve class only
// forwards its data and draws the result.

#include "KvAkima.h"
#include "foundation/KvVector.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace kv {

// The model value for the parameters Values (in order) at X.
using TKvFittingFkt = std::function<double(std::span<const double> Values, double X)>;

// The model values for the parameters Values at every X[i] into Result[i]
// (as many entries as X): an optional faster form of the same model for
// models that evaluate many points at once.
using TKvFittingValues =
    std::function<void(std::span<const double> Values, std::span<const double> X, std::span<double> Result)>;

inline constexpr const char* NoFittingFunctionText = "Fitted Line: no FittingFunction defined";
inline constexpr const char* ReciprocalIndefiniteText = "Reciprocal indefinite!";

// The best, worst and next-worst of the vertex measures Chi: a measure at
// least the worst so far becomes the worst, else one at most the best so far
// the best; the next-worst is the largest other than the worst, the later
// vertex winning among equal measures.
struct TKvVertexRanks {
    int32_t Best = 0;
    int32_t Worst = 0;
    int32_t NextWorst = 0;
    friend bool operator==(const TKvVertexRanks&, const TKvVertexRanks&) = default;
};
TKvVertexRanks RankVertices(std::span<const double> Chi);

class TKvSimplexFit {
public:
    using TIterationEvent = std::function<void(TKvSimplexFit& Sender)>;

    TKvSimplexFit();
    ~TKvSimplexFit();
    TKvSimplexFit(const TKvSimplexFit&) = delete;
    TKvSimplexFit& operator=(const TKvSimplexFit&) = delete;

    // Settings.
    bool DoCovariance = false;
    int32_t Iterations = 300;
    TKvFittingFkt FittingFunction;
    // When set, DeviationMeasure takes the model values of all fitted points
    // from it in one call instead of calling FittingFunction point by point;
    // it must compute the same values (and raise the same errors).
    TKvFittingValues FittingValues;
    // Called after every simplex pass; it must not start another fit or
    // free the engine. It may lower IterationsLeft to end the fit early.
    TIterationEvent OnIteration;

    // The number of parameters (initially -1). Setting stores max(Value, 0)
    // and resizes Variables (values kept, new ones 0) and the working arrays.
    int32_t Order() const { return FOrder; }
    void SetOrder(int32_t Value);
    // The parameters: start values before a fit, the best vertex after it.
    // Setting an array of another length sets Order to that length first.
    const TKvRealArray& Variables() const { return FVariables; }
    void SetVariables(std::span<const double> Values);
    void SetVariable(int32_t i, double Value);

    // The model with the current Variables (Evaluate of TKvFittedLine).
    double Evaluate(double x) const;

    // The fitting part of the curve's CalculateFunction: false (nothing to draw)
    // when X or Y is empty or Order <= 0; NoFittingFunctionText without a
    // model; with Iterations > 0 a fit of at most Iterations + 1 passes,
    // after which Iterations is restored to its value before the fit
    // (only when the fit returned normally). True when the curve is to be
    // drawn with Evaluate.
    bool CalculateFit(std::span<const double> X, std::span<const double> Y, TKvOptionalValues W, double Start,
                      double Stop);

    // The fit itself: PrepareFitData, the start simplex, the passes.
    void FitSimplex(std::span<const double> X, std::span<const double> Y, TKvOptionalValues W, double Start,
                    double Stop);
    // Takes the points with Start <= X[i] <= Stop ("Not enough data!" when
    // fewer than Order); for the covariance measure interpolates X as a
    // function of Y (ReciprocalIndefiniteText and DoCovariance := false
    // when that fails); replaces parameters that are exactly 0 by 1.
    void PrepareFitData(std::span<const double> X, std::span<const double> Y, TKvOptionalValues W, double Start,
                        double Stop);
    // The measure of the parameters p over the prepared points: the
    // (weighted) sum of squared deviations, or of |dx * dy| with
    // DoCovariance. A model value that is NaN or infinite (or an overflowing
    // sum) raises the invalid-operation or overflow error, which aborts the
    // fit like any other error of the model.
    double DeviationMeasure(std::span<const double> p);
    void RankVertices();

    // Working state, read by the curve and the window.
    const TKvRealArray& FitX() const { return FFitX; }
    const TKvRealArray& FitY() const { return FFitY; }
    const TKvRealArray& FitW() const { return FFitW; }
    bool HasWeights() const { return FHasWeights; }
    int32_t FitCount() const { return FFitCount; }
    const std::vector<TKvRealArray>& Vertices() const { return FVertices; }
    const TKvRealArray& VertexChi() const { return FVertexChi; }
    const TKvRealArray& Centroid() const { return FCentroid; }
    int32_t BestIndex() const { return FBestIndex; }
    int32_t WorstIndex() const { return FWorstIndex; }
    int32_t NextWorstIndex() const { return FNextWorstIndex; }
    // The pass counter the window shows while fitting.
    int32_t IterationsLeft = 0;
    // The measure of the best vertex after the latest pass.
    double ChiSquare = 0;
    // X as a function of Y for the covariance measure; absent until used.
    TKvAkima* InverseInterpolation() const { return FInverseInterpolation.get(); }

private:
    void ResizeArrays();
    // Vertex Index := Centroid + Factor * (From - Centroid), with its measure.
    void MoveVertex(size_t Index, std::span<const double> From, double Factor);

    int32_t FOrder = -1;
    TKvRealArray FVariables;
    TKvRealArray FFitX, FFitY, FFitW;
    bool FHasWeights = false;
    int32_t FFitCount = 0;
    std::vector<TKvRealArray> FVertices;
    TKvRealArray FVertexChi, FCentroid, FSavedVertex, FTrial;
    TKvRealArray FModelValues;
    int32_t FBestIndex = 0, FWorstIndex = 0, FNextWorstIndex = 0;
    std::unique_ptr<TKvAkima> FInverseInterpolation;
};

} // namespace kv
