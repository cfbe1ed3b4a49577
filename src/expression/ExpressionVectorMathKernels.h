#pragma once
// The kernels behind ExpressionVectorMath for one instruction set: each
// maps Count values through a vector routine, the last partial vector
// through a padded buffer. Not part of the public interface.

#include <cstddef>

namespace kv::vecmath {

// Returns whether every result is finite.
using TKernel = bool (*)(const double* In, double* Out, size_t Count);

struct TKernels {
    TKernel Exp, Ln, Sin, Cos;
};

// Defined in ExpressionVectorMathAvx2.cpp, compiled for AVX2 and FMA; only
// called when the processor has both.
TKernels Avx2Kernels();

// Whole vectors of Width lanes through F, then the rest through a buffer
// padded with ones (whose lanes are dropped). Load, Store and F work on the
// vector type of the instruction set; Finite(V, Mask) folds into Mask
// whether the lanes of V are finite, AllSet(Mask) tells whether all were.
template <size_t Width, class TVector, class TLoad, class TStore, class TFunction, class TFinite, class TAllSet>
bool MapLanes(const double* In, double* Out, size_t Count, TLoad Load, TStore Store, TFunction F, TFinite Finite,
              TAllSet AllSet, TVector AllFinite)
{
    TVector Mask = AllFinite;
    size_t k = 0;
    for (; k + Width <= Count; k += Width) {
        const TVector R = F(Load(In + k));
        Mask = Finite(R, Mask);
        Store(Out + k, R);
    }
    if (k < Count) {
        alignas(64) double Buffer[Width];
        for (size_t i = 0; i < Width; ++i)
            Buffer[i] = k + i < Count ? In[k + i] : 1.0;
        const TVector R = F(Load(Buffer));
        Mask = Finite(R, Mask);
        Store(Buffer, R);
        for (size_t i = k; i < Count; ++i)
            Out[i] = Buffer[i - k];
    }
    return AllSet(Mask);
}

} // namespace kv::vecmath
