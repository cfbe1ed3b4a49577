#pragma once
// The model A*exp(-B*x)+C over a block of points, compiled on its own with
// vector instructions and fast math (see CMakeLists.txt): a model callback
// as fast as a vectorising compiler makes it, to show what the simplex
// engine costs beside the model.

#include <span>

void ExponentialModelValues(std::span<const double> p, std::span<const double> X, std::span<double> F);
