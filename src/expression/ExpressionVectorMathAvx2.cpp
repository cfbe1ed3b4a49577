// The AVX2 kernels (4 lanes, with FMA). This file alone is compiled with
// -mavx2 -mfma; nothing here runs unless the processor has both.

#include "ExpressionVectorMathKernels.h"

#include <cfloat>
#include <immintrin.h>
#include <sleef.h>

namespace kv::vecmath {

namespace {

__m256d Load(const double* P) { return _mm256_loadu_pd(P); }
void Store(double* P, __m256d V) { _mm256_storeu_pd(P, V); }

// Lanes whose argument has a magnitude of 2^63 or more become 0.
__m256d ZeroBeyond263(__m256d X, __m256d R)
{
    const __m256d Abs = _mm256_andnot_pd(_mm256_set1_pd(-0.0), X);
    const __m256d Far = _mm256_cmp_pd(Abs, _mm256_set1_pd(9223372036854775808.0), _CMP_GE_OQ);
    return _mm256_andnot_pd(Far, R);
}

__m256d Finite(__m256d R, __m256d Mask)
{
    const __m256d Abs = _mm256_andnot_pd(_mm256_set1_pd(-0.0), R);
    return _mm256_and_pd(Mask, _mm256_cmp_pd(Abs, _mm256_set1_pd(DBL_MAX), _CMP_LE_OQ));
}
bool AllSet(__m256d Mask) { return _mm256_movemask_pd(Mask) == 0xF; }

template <class TFunction>
bool Map(const double* In, double* Out, size_t Count, TFunction F)
{
    return MapLanes<4>(In, Out, Count, Load, Store, F, Finite, AllSet,
                       _mm256_castsi256_pd(_mm256_set1_epi64x(-1)));
}

bool ExpKernel(const double* In, double* Out, size_t Count)
{
    return Map(In, Out, Count, [](__m256d X) { return Sleef_expd4_u10avx2(X); });
}
bool LnKernel(const double* In, double* Out, size_t Count)
{
    return Map(In, Out, Count, [](__m256d X) { return Sleef_logd4_u10avx2(X); });
}
bool SinKernel(const double* In, double* Out, size_t Count)
{
    return Map(In, Out, Count, [](__m256d X) { return ZeroBeyond263(X, Sleef_sind4_u10avx2(X)); });
}
bool CosKernel(const double* In, double* Out, size_t Count)
{
    return Map(In, Out, Count, [](__m256d X) { return ZeroBeyond263(X, Sleef_cosd4_u10avx2(X)); });
}

} // namespace

TKernels Avx2Kernels() { return {ExpKernel, LnKernel, SinKernel, CosKernel}; }

} // namespace kv::vecmath
