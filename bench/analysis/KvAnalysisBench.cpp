// Benchmarks of the numerical engines, each beside the SciPy or NumPy
// routine that does the same job on the same data (run by
// scipy_baseline.py in a child process of this run; only its computation
// is timed).

#include "BenchRatio.h"
#include "KvBenchModel.h"

#include "analysis/KvAkima.h"
#include "analysis/KvApproxSpline.h"
#include "analysis/KvLinearRegression.h"
#include "analysis/KvPolynomialRegression.h"
#include "analysis/KvSimplexFit.h"
#ifdef KURVEX_HAS_EXPRESSION_MODEL
#include "analysis/KvExpressionModel.h"
#endif

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#ifndef KURVEX_SCIPY_BASELINE
#define KURVEX_SCIPY_BASELINE "scipy_baseline.py"
#endif

namespace {

using namespace kv;

constexpr const char* Python = "/usr/bin/python3";
const double Lo = -1.7e308, Hi = 1.7e308;

// --- Data, the same for both sides ------------------------------------------

struct TData {
    std::vector<double> X, Y, W, Samples;
};

const TData& AkimaData()
{
    static const TData D = [] {
        TData D;
        std::mt19937_64 Random(1);
        std::uniform_real_distribution<double> U(0, 1000);
        std::normal_distribution<double> Noise(0, 0.1);
        for (int i = 0; i < 1000000; ++i) {
            D.X.push_back(U(Random)); // unsorted
            D.Y.push_back(std::sin(D.X.back() / 50) + Noise(Random));
        }
        for (int i = 0; i < 2000; ++i)
            D.Samples.push_back(i * (1000.0 / 1999));
        return D;
    }();
    return D;
}

const TData& SplineData()
{
    static const TData D = [] {
        TData D;
        std::mt19937_64 Random(2);
        std::uniform_real_distribution<double> U(0.5, 2);
        std::normal_distribution<double> Noise(0, 0.1);
        for (int i = 0; i < 1000000; ++i) {
            D.X.push_back(i * 0.001);
            D.Y.push_back(std::sin(D.X.back() / 50) + Noise(Random));
            D.W.push_back(U(Random));
        }
        return D;
    }();
    return D;
}

const TData& PolynomialData()
{
    static const TData D = [] {
        TData D;
        std::mt19937_64 Random(3);
        std::uniform_real_distribution<double> U(-1, 1);
        std::normal_distribution<double> Noise(0, 0.1);
        for (int i = 0; i < 10000000; ++i) {
            const double x = U(Random);
            D.X.push_back(x);
            D.Y.push_back(1 + x - x * x * x + 0.5 * x * x * x * x * x + Noise(Random));
        }
        return D;
    }();
    return D;
}

const TData& SimplexData()
{
    static const TData D = [] {
        TData D;
        std::mt19937_64 Random(4);
        std::normal_distribution<double> Noise(0, 0.01);
        for (int i = 0; i < 10000; ++i) {
            D.X.push_back(i * 0.001);
            D.Y.push_back(3 * std::exp(-0.5 * D.X.back()) + 1 + Noise(Random));
        }
        return D;
    }();
    return D;
}

constexpr double SplineFactor = 1;
constexpr int SimplexPasses = 300;

// --- The baselines ------------------------------------------------------------

// Runs the baseline script for Case on the arrays written one after the
// other; returns its time in seconds, or a negative value when Python with
// SciPy is not available. A second number the script prints (the model
// evaluations of the simplex) goes to Extra.
double RunBaseline(const std::string& Case, const std::vector<const std::vector<double>*>& Arrays, int Runs = 3,
                   double* Extra = nullptr)
{
    const std::filesystem::path File = std::filesystem::temp_directory_path() /
        ("kurvex-analysis-bench-" + std::to_string(::getpid()) + "-" + Case + ".bin");
    {
        std::ofstream Out(File, std::ios::binary);
        for (const auto* A : Arrays)
            Out.write(reinterpret_cast<const char*>(A->data()), static_cast<std::streamsize>(A->size() * sizeof(double)));
    }
    const std::string Command = std::string(Python) + " " + KURVEX_SCIPY_BASELINE + " " + Case + " " + File.string() +
        " " + std::to_string(Runs) + " 2>/dev/null";
    double Seconds = -1;
    if (FILE* Pipe = ::popen(Command.c_str(), "r")) {
        double Second = -1;
        if (std::fscanf(Pipe, "%lf %lf", &Seconds, &Second) < 1)
            Seconds = -1;
        if (Extra)
            *Extra = Second;
        if (::pclose(Pipe) != 0)
            Seconds = -1;
    }
    std::filesystem::remove(File);
    return Seconds;
}

void ReportBaseline(benchmark::State& State, double Seconds)
{
    if (Seconds < 0) {
        State.SkipWithError("python3-scipy is not available");
        for (auto _ : State) {
        }
        return;
    }
    for (auto _ : State)
        State.SetIterationTime(Seconds);
}

// --- Akima: 1 000 000 unsorted points and 2000 evaluations ---------------------

void BM_AkimaUnsorted(benchmark::State& State)
{
    const TData& D = AkimaData();
    double Sum = 0;
    for (auto _ : State) {
        TKvAkima Akima;
        Akima.Interpolate(D.X, D.Y, std::nullopt, Lo, Hi);
        for (double x : D.Samples)
            Sum += Akima.Value(x);
        benchmark::DoNotOptimize(Sum);
    }
}
BENCHMARK(BM_AkimaUnsorted)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SciPyAkima(benchmark::State& State)
{
    const TData& D = AkimaData();
    ReportBaseline(State, RunBaseline("akima", {&D.X, &D.Y, &D.Samples}));
}
BENCHMARK(BM_SciPyAkima)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
KvBenchRatio("BM_AkimaUnsorted/1000000/iterations:3", "BM_SciPyAkima/1000000/iterations:1/manual_time", 1.0);

// --- Approximating spline of 1 000 000 points ----------------------------------

void BM_ApproxSpline(benchmark::State& State)
{
    const TData& D = SplineData();
    for (auto _ : State) {
        TKvApproxSpline Spline;
        Spline.WeightFactor = SplineFactor;
        Spline.Interpolate(D.X, D.Y, std::span<const double>(D.W), Lo, Hi);
        benchmark::DoNotOptimize(Spline.A.data());
    }
}
BENCHMARK(BM_ApproxSpline)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SciPySmoothingSpline(benchmark::State& State)
{
    const TData& D = SplineData();
    const std::vector<double> Factor{SplineFactor};
    // Several seconds per run: one run is enough against a ratio this far from 1.
    ReportBaseline(State, RunBaseline("spline", {&Factor, &D.X, &D.Y, &D.W}, 1));
}
BENCHMARK(BM_SciPySmoothingSpline)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
KvBenchRatio("BM_ApproxSpline/1000000/iterations:3", "BM_SciPySmoothingSpline/1000000/iterations:1/manual_time", 1.0);

// --- Polynomial of order 5 and straight line on 10 000 000 points --------------

void BM_Polynomial5(benchmark::State& State)
{
    const TData& D = PolynomialData();
    for (auto _ : State) {
        PolynomialResult R;
        R.Order = 5;
        PolynomialRegression(D.X, D.Y, Lo, Hi, R);
        benchmark::DoNotOptimize(R.Coefficients.data());
    }
}
BENCHMARK(BM_Polynomial5)->Arg(10000000)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_NumPyPolyfit5(benchmark::State& State)
{
    const TData& D = PolynomialData();
    ReportBaseline(State, RunBaseline("poly5", {&D.X, &D.Y}));
}
BENCHMARK(BM_NumPyPolyfit5)->Arg(10000000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
KvBenchRatio("BM_Polynomial5/10000000/iterations:2", "BM_NumPyPolyfit5/10000000/iterations:1/manual_time", 1.0);

void BM_LinearRegression(benchmark::State& State)
{
    const TData& D = PolynomialData();
    for (auto _ : State) {
        LinearRegressionResult R;
        LinearRegression(D.X, D.Y, Lo, Hi, R);
        benchmark::DoNotOptimize(R.Slope);
    }
}
BENCHMARK(BM_LinearRegression)->Arg(10000000)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_NumPyPolyfit1(benchmark::State& State)
{
    const TData& D = PolynomialData();
    ReportBaseline(State, RunBaseline("line", {&D.X, &D.Y}));
}
BENCHMARK(BM_NumPyPolyfit1)->Arg(10000000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
KvBenchRatio("BM_LinearRegression/10000000/iterations:2", "BM_NumPyPolyfit1/10000000/iterations:1/manual_time", 1.0);

// --- 300 simplex passes of A*EXP(-B*X)+C on 10 000 points -----------------------

// Each run reports the model evaluations over all points per fit.
void RunSimplex(benchmark::State& State, const TKvFittingFkt& Model, const TKvFittingValues& Values = {})
{
    const TData& D = SimplexData();
    int64_t Evaluations = 0;
    const TKvFittingValues Counted = [&](std::span<const double> p, std::span<const double> X, std::span<double> F) {
        if (X.size() == D.X.size())
            ++Evaluations;
        Values(p, X, F);
    };
    for (auto _ : State) {
        TKvSimplexFit Fit;
        Fit.FittingFunction = Model;
        Fit.FittingValues = Values ? Counted : Values;
        Fit.SetVariables(std::vector<double>{1, 1, 1});
        Fit.Iterations = SimplexPasses - 1; // Iterations + 1 passes
        Fit.CalculateFit(D.X, D.Y, std::nullopt, Lo, Hi);
        benchmark::DoNotOptimize(Fit.ChiSquare);
    }
    if (Values)
        State.counters["evaluations"] = static_cast<double>(Evaluations) / static_cast<double>(State.iterations());
}

void BM_SimplexNative(benchmark::State& State)
{
    RunSimplex(State, [](std::span<const double> p, double x) { return p[0] * std::exp(-p[1] * x) + p[2]; },
               [](std::span<const double> p, std::span<const double> X, std::span<double> F) {
                   const double a = p[0], b = p[1], c = p[2];
                   for (size_t i = 0; i < X.size(); ++i)
                       F[i] = a * std::exp(-b * X[i]) + c;
               });
}
BENCHMARK(BM_SimplexNative)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SimplexVectorModel(benchmark::State& State)
{
    RunSimplex(State, [](std::span<const double> p, double x) { return p[0] * std::exp(-p[1] * x) + p[2]; },
               ExponentialModelValues);
}
BENCHMARK(BM_SimplexVectorModel)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);
KvBenchRatio("BM_SimplexVectorModel/10000/iterations:3", "BM_SciPyNelderMead/10000/iterations:1/manual_time", 1.0);

#ifdef KURVEX_HAS_EXPRESSION_MODEL
void BM_SimplexExpression(benchmark::State& State)
{
    TKvExpressionModel Model;
    Model.SetExpression("A*EXP(-B*X)+C");
    RunSimplex(State, Model.FittingFunction(), Model.FittingValues());
}
BENCHMARK(BM_SimplexExpression)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(3);
KvBenchRatio("BM_SimplexExpression/10000/iterations:3", "BM_SciPyNelderMead/10000/iterations:1/manual_time", 1.0);
#endif

void BM_SciPyNelderMead(benchmark::State& State)
{
    const TData& D = SimplexData();
    const std::vector<double> Passes{static_cast<double>(SimplexPasses)}, Start{1, 1, 1};
    double Evaluations = -1;
    ReportBaseline(State, RunBaseline("simplex", {&Passes, &D.X, &D.Y, &Start}, 3, &Evaluations));
    State.counters["evaluations"] = Evaluations;
}
BENCHMARK(BM_SciPyNelderMead)->Arg(10000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
KvBenchRatio("BM_SimplexNative/10000/iterations:3", "BM_SciPyNelderMead/10000/iterations:1/manual_time", 1.0);

} // namespace

KURVEX_BENCH_MAIN()
