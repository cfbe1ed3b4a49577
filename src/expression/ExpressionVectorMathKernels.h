#pragma once
// The kernels behind ExpressionVectorMath for one instruction set: each
// maps Count values through a vector routine, the last partial vector
// through a padded buffer. Not part of the public interface.

#include <cstddef>

namespace kv::vecmath {

using TKernel = void (*)(const double* In, double* Out, size_t Count);

struct TKernels {
    TKernel Exp, Ln, Sin, Cos;
};

// Defined in ExpressionVectorMathAvx2.cpp, compiled for AVX2 and FMA; only
// called when the processor has both.
TKernels Avx2Kernels();

// Whole vectors of Width lanes through F, then the rest through a buffer
// padded with zeros (whose lanes are dropped). Load, Store and F work on the
// vector type of the instruction set.
template <size_t Width, class TLoad, class TStore, class TFunction>
void MapLanes(const double* In, double* Out, size_t Count, TLoad Load, TStore Store, TFunction F)
{
    size_t k = 0;
    for (; k + Width <= Count; k += Width)
        Store(Out + k, F(Load(In + k)));
    if (k < Count) {
        alignas(64) double Buffer[Width] = {};
        for (size_t i = k; i < Count; ++i)
            Buffer[i - k] = In[i];
        Store(Buffer, F(Load(Buffer)));
        for (size_t i = k; i < Count; ++i)
            Out[i] = Buffer[i - k];
    }
}

} // namespace kv::vecmath
