#include "ExpressionVectorMath.h"

#include "ExpressionVectorMathKernels.h"

#include <cfloat>
#include <emmintrin.h>
#include <sleef.h>

namespace kv::vecmath {

namespace {

__m128d Load(const double* P) { return _mm_loadu_pd(P); }
void Store(double* P, __m128d V) { _mm_storeu_pd(P, V); }

__m128d ZeroBeyond263(__m128d X, __m128d R)
{
    const __m128d Abs = _mm_andnot_pd(_mm_set1_pd(-0.0), X);
    return _mm_andnot_pd(_mm_cmpge_pd(Abs, _mm_set1_pd(9223372036854775808.0)), R);
}

__m128d Finite(__m128d R, __m128d Mask)
{
    const __m128d Abs = _mm_andnot_pd(_mm_set1_pd(-0.0), R);
    return _mm_and_pd(Mask, _mm_cmple_pd(Abs, _mm_set1_pd(DBL_MAX)));
}
bool AllSet(__m128d Mask) { return _mm_movemask_pd(Mask) == 0x3; }

// The SSE2 kernels (2 lanes): every x86-64 processor has them.
template <class TFunction>
bool Map(const double* In, double* Out, size_t Count, TFunction F)
{
    return MapLanes<2>(In, Out, Count, Load, Store, F, Finite, AllSet, _mm_castsi128_pd(_mm_set1_epi64x(-1)));
}

bool ExpKernel(const double* In, double* Out, size_t Count)
{
    return Map(In, Out, Count, [](__m128d X) { return Sleef_expd2_u10sse2(X); });
}
bool LnKernel(const double* In, double* Out, size_t Count)
{
    return Map(In, Out, Count, [](__m128d X) { return Sleef_logd2_u10sse2(X); });
}
bool SinKernel(const double* In, double* Out, size_t Count)
{
    return Map(In, Out, Count, [](__m128d X) { return ZeroBeyond263(X, Sleef_sind2_u10sse2(X)); });
}
bool CosKernel(const double* In, double* Out, size_t Count)
{
    return Map(In, Out, Count, [](__m128d X) { return ZeroBeyond263(X, Sleef_cosd2_u10sse2(X)); });
}

bool HasAvx2() { return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"); }

// Chosen once, so every value of a run comes from the same routine.
const TKernels& Kernels()
{
    static const TKernels K = HasAvx2() ? Avx2Kernels() : TKernels{ExpKernel, LnKernel, SinKernel, CosKernel};
    return K;
}

double One(TKernel Kernel, double X)
{
    double R;
    Kernel(&X, &R, 1);
    return R;
}

} // namespace

bool Exp(const double* In, double* Out, size_t Count) { return Kernels().Exp(In, Out, Count); }
bool Ln(const double* In, double* Out, size_t Count) { return Kernels().Ln(In, Out, Count); }
bool Sin(const double* In, double* Out, size_t Count) { return Kernels().Sin(In, Out, Count); }
bool Cos(const double* In, double* Out, size_t Count) { return Kernels().Cos(In, Out, Count); }

double Exp(double X) { return One(Kernels().Exp, X); }
double Ln(double X) { return One(Kernels().Ln, X); }
double Sin(double X) { return One(Kernels().Sin, X); }
double Cos(double X) { return One(Kernels().Cos, X); }

const char* InstructionSet() { return HasAvx2() ? "avx2" : "sse2"; }

} // namespace kv::vecmath
