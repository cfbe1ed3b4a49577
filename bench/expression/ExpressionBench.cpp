// Per-row evaluation of three formulas over ten million rows: the parser
// objects (with and without the fault check, with variables, with the
// table's column functions one row per call, and all rows of the column at
// once in blocks) beside muparser and hand-written C++, all in the same run. One iteration computes all rows; the ns/row counter is the
// time per row.

#include "BenchRatio.h"

#include "expression/ExpressionParser.h"

#ifdef KURVEX_HAVE_MUPARSER
#include <muParser.h>
#endif

#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr int32_t Rows = 10'000'000;

struct TData {
    kv::TKvRealVector A;
    kv::TKvRealVector B;
    std::vector<double> Out;
    TData()
    {
        std::mt19937_64 Random(12345);
        std::uniform_real_distribution<double> U(0.0, 1000.0);
        std::vector<double> VA(Rows), VB(Rows);
        for (int32_t i = 0; i < Rows; ++i) {
            VA[static_cast<size_t>(i)] = U(Random);
            VB[static_cast<size_t>(i)] = U(Random);
        }
        A.Assign(VA);
        B.Assign(VB);
        Out.resize(Rows);
    }
};

TData& Data()
{
    static TData D;
    return D;
}

struct TFormula {
    const char* Plain; // over the variables A and B
    const char* Table; // over the column functions
};
constexpr TFormula Formulas[] = {
    {"A*2+B", "A(#)*2+B(#)"},
    {"SIN(A)*B+A^2-3*B", "SIN(A(#))*B(#)+A(#)^2-3*B(#)"},
    {"(A-B)/(A+B+1)*EXP(-A/1000)", "(A(#)-B(#))/(A(#)+B(#)+1)*EXP(-A(#)/1000)"},
};

void SetRowsCounter(benchmark::State& State)
{
    State.counters["ns/row"] =
        benchmark::Counter(Rows, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The alternative fault check, measured here only: run without checks, then
// read the SSE status flags once per evaluation.
inline bool FlagsRaised()
{
#if defined(__x86_64__) && defined(__GNUC__)
    unsigned Mxcsr;
    __asm__ volatile("stmxcsr %0" : "=m"(Mxcsr)::"memory");
    return (Mxcsr & 0x0Du) != 0;
#else
    return false;
#endif
}

enum TCheck { CkOperations, CkNone, CkFlags };

template <TCheck Check>
void BM_KurvexVariables(benchmark::State& State)
{
    TData& D = Data();
    kv::TCustomParser P;
    P.RegisterStandardFunctions();
    double* A = P.SetVariable("A", 0);
    double* B = P.SetVariable("B", 0);
    P.SetExpression(Formulas[State.range(0)].Plain);
    const double* VA = D.A.Data();
    const double* VB = D.B.Data();
    for (auto _ : State) {
        for (int32_t i = 0; i < Rows; ++i) {
            *A = VA[i];
            *B = VB[i];
            if constexpr (Check == CkOperations)
                D.Out[static_cast<size_t>(i)] = P.Value();
            else if constexpr (Check == CkNone)
                D.Out[static_cast<size_t>(i)] = P.UncheckedValue();
            else {
                D.Out[static_cast<size_t>(i)] = P.UncheckedValue();
                if (FlagsRaised()) [[unlikely]]
                    State.SkipWithError("flag raised");
            }
        }
        benchmark::DoNotOptimize(D.Out.data());
    }
    SetRowsCounter(State);
}

void BM_KurvexTable(benchmark::State& State)
{
    TData& D = Data();
    kv::TTableParser P;
    P.SetColumn(0, &D.A);
    P.SetColumn(1, &D.B);
    P.SetExpression(Formulas[State.range(0)].Table);
    for (auto _ : State) {
        for (int32_t i = 0; i < Rows; ++i) {
            P.SetRow(i + 1);
            D.Out[static_cast<size_t>(i)] = P.Value();
        }
        benchmark::DoNotOptimize(D.Out.data());
    }
    SetRowsCounter(State);
}

// The same column formulas computed for all rows at once (blocks of rows).
void BM_KurvexTableRows(benchmark::State& State)
{
    TData& D = Data();
    kv::TTableParser P;
    P.SetColumn(0, &D.A);
    P.SetColumn(1, &D.B);
    P.SetExpression(Formulas[State.range(0)].Table);
    for (auto _ : State) {
        P.ValuesOfRows(1, D.Out);
        benchmark::DoNotOptimize(D.Out.data());
    }
    SetRowsCounter(State);
}

#ifdef KURVEX_HAVE_MUPARSER
void BM_MuParser(benchmark::State& State)
{
    TData& D = Data();
    mu::Parser P;
    double A = 0, B = 0;
    P.DefineVar("A", &A);
    P.DefineVar("B", &B);
    P.DefineFun("SIN", static_cast<double (*)(double)>(std::sin));
    P.DefineFun("EXP", static_cast<double (*)(double)>(std::exp));
    P.SetExpr(Formulas[State.range(0)].Plain);
    const double* VA = D.A.Data();
    const double* VB = D.B.Data();
    for (auto _ : State) {
        for (int32_t i = 0; i < Rows; ++i) {
            A = VA[i];
            B = VB[i];
            D.Out[static_cast<size_t>(i)] = P.Eval();
        }
        benchmark::DoNotOptimize(D.Out.data());
    }
    SetRowsCounter(State);
}
#endif

void BM_Hand(benchmark::State& State)
{
    TData& D = Data();
    const double* A = D.A.Data();
    const double* B = D.B.Data();
    double* Out = D.Out.data();
    const int64_t F = State.range(0);
    for (auto _ : State) {
        if (F == 0)
            for (int32_t i = 0; i < Rows; ++i)
                Out[i] = A[i] * 2 + B[i];
        else if (F == 1)
            for (int32_t i = 0; i < Rows; ++i)
                Out[i] = std::sin(A[i]) * B[i] + A[i] * A[i] - 3 * B[i];
        else
            for (int32_t i = 0; i < Rows; ++i)
                Out[i] = (A[i] - B[i]) / (A[i] + B[i] + 1) * std::exp(-A[i] / 1000);
        benchmark::DoNotOptimize(Out);
        benchmark::ClobberMemory();
    }
    SetRowsCounter(State);
}

} // namespace

#define KV_EXPRESSION_BENCH(Name, ...) \
    BENCHMARK(Name __VA_OPT__(, ) __VA_ARGS__)->DenseRange(0, 2)->Iterations(3)->Unit(benchmark::kMillisecond)

KV_EXPRESSION_BENCH(BM_Hand);
#ifdef KURVEX_HAVE_MUPARSER
KV_EXPRESSION_BENCH(BM_MuParser);
#endif
BENCHMARK(BM_KurvexVariables<CkOperations>)->Name("BM_KurvexVariables")->DenseRange(0, 2)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KurvexVariables<CkNone>)->Name("BM_KurvexUnchecked")->DenseRange(0, 2)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KurvexVariables<CkFlags>)->Name("BM_KurvexFlags")->DenseRange(0, 2)->Iterations(3)->Unit(benchmark::kMillisecond);
KV_EXPRESSION_BENCH(BM_KurvexTable);
KV_EXPRESSION_BENCH(BM_KurvexTableRows);

KvBenchRatio("BM_KurvexVariables/0/iterations:3", "BM_MuParser/0/iterations:3", 1.0);
KvBenchRatio("BM_KurvexVariables/1/iterations:3", "BM_MuParser/1/iterations:3", 1.0);
KvBenchRatio("BM_KurvexVariables/2/iterations:3", "BM_MuParser/2/iterations:3", 1.0);
KvBenchRatio("BM_KurvexVariables/0/iterations:3", "BM_Hand/0/iterations:3", 3.0);
KvBenchRatio("BM_KurvexVariables/1/iterations:3", "BM_Hand/1/iterations:3", 3.0);
KvBenchRatio("BM_KurvexVariables/2/iterations:3", "BM_Hand/2/iterations:3", 3.0);
KvBenchRatio("BM_KurvexTable/0/iterations:3", "BM_MuParser/0/iterations:3", 1.0);
KvBenchRatio("BM_KurvexTable/1/iterations:3", "BM_MuParser/1/iterations:3", 1.0);
KvBenchRatio("BM_KurvexTable/2/iterations:3", "BM_MuParser/2/iterations:3", 1.0);
KvBenchRatio("BM_KurvexTable/0/iterations:3", "BM_Hand/0/iterations:3", 3.0);
KvBenchRatio("BM_KurvexTable/1/iterations:3", "BM_Hand/1/iterations:3", 3.0);
KvBenchRatio("BM_KurvexTable/2/iterations:3", "BM_Hand/2/iterations:3", 3.0);
KvBenchRatio("BM_KurvexTableRows/0/iterations:3", "BM_MuParser/0/iterations:3", 1.0);
KvBenchRatio("BM_KurvexTableRows/1/iterations:3", "BM_MuParser/1/iterations:3", 1.0);
KvBenchRatio("BM_KurvexTableRows/2/iterations:3", "BM_MuParser/2/iterations:3", 1.0);
KvBenchRatio("BM_KurvexTableRows/0/iterations:3", "BM_Hand/0/iterations:3", 3.0);
KvBenchRatio("BM_KurvexTableRows/1/iterations:3", "BM_Hand/1/iterations:3", 3.0);
KvBenchRatio("BM_KurvexTableRows/2/iterations:3", "BM_Hand/2/iterations:3", 3.0);
// The cost of the fault check: per operation (the one in use) and by the
// status flags after each evaluation (measured for comparison).
KvBenchRatio("BM_KurvexVariables/0/iterations:3", "BM_KurvexUnchecked/0/iterations:3", 0);
KvBenchRatio("BM_KurvexVariables/1/iterations:3", "BM_KurvexUnchecked/1/iterations:3", 0);
KvBenchRatio("BM_KurvexVariables/2/iterations:3", "BM_KurvexUnchecked/2/iterations:3", 0);
KvBenchRatio("BM_KurvexFlags/0/iterations:3", "BM_KurvexUnchecked/0/iterations:3", 0);
KvBenchRatio("BM_KurvexFlags/1/iterations:3", "BM_KurvexUnchecked/1/iterations:3", 0);
KvBenchRatio("BM_KurvexFlags/2/iterations:3", "BM_KurvexUnchecked/2/iterations:3", 0);

KURVEX_BENCH_MAIN();
