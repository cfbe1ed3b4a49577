#include "KvBenchModel.h"

#include <cmath>

void ExponentialModelValues(std::span<const double> p, std::span<const double> X, std::span<double> F)
{
    const double a = p[0], b = p[1], c = p[2];
    const double* x = X.data();
    double* f = F.data();
    const size_t n = X.size();
    for (size_t i = 0; i < n; ++i)
        f[i] = a * std::exp(-b * x[i]) + c;
}
