#pragma once
// The one conversion of a computed coordinate (a value mapped through an
// axis scale, a step along a line) to a whole pixel.

#include <algorithm>
#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kv {

// Far beyond any screen or picture: coordinates are held within this
// distance, so sums and differences of pixels never overflow int32_t.
inline constexpr int32_t MaxPixel = 100000000;

// Rounds to the nearest pixel, halves to even, saturating at +-MaxPixel
// instead of overflowing; NaN (a position that does not exist) lies far
// off on the negative side.
inline int32_t ToPixel(double V)
{
    constexpr double Limit = MaxPixel;
    if (std::isnan(V))
        return -MaxPixel;
    return static_cast<int32_t>(std::nearbyint(std::clamp(V, -Limit, Limit)));
}

// ToPixel((V[k] - Origin) / Scale) for Count values, the same pixels bit
// for bit, written to Out[k]. Two values per step: the compiler keeps
// scalar code here (the NaN test and the clamp may raise floating-point
// flags), so the step is spelled out; the conversion rounds in the current
// rounding mode, nearest and halves to even, as nearbyint does.
inline void ToPixels(const double* V, int32_t Count, double Origin, double Scale, int32_t* Out)
{
    int32_t k = 0;
#if defined(__SSE2__)
    const __m128d O = _mm_set1_pd(Origin), S = _mm_set1_pd(Scale);
    const __m128d Hi = _mm_set1_pd(MaxPixel), Lo = _mm_set1_pd(-MaxPixel);
    for (; k + 2 <= Count; k += 2) {
        const __m128d D = _mm_div_pd(_mm_sub_pd(_mm_loadu_pd(V + k), O), S);
        const __m128d Nan = _mm_cmpunord_pd(D, D);
        const __m128d C = _mm_min_pd(_mm_max_pd(D, Lo), Hi);
        const __m128d P = _mm_or_pd(_mm_and_pd(Nan, Lo), _mm_andnot_pd(Nan, C));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(Out + k), _mm_cvtpd_epi32(P));
    }
#endif
    for (; k < Count; ++k)
        Out[k] = ToPixel((V[k] - Origin) / Scale);
}

} // namespace kv
