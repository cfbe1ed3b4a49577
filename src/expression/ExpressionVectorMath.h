#pragma once
// EXP, LN, SIN and COS over many values at once, through the vector forms
// of a maintained elementary-function library (SLEEF, accurate to 1.0 ulp).
//
// The block evaluator calls the array forms; the single-value forms run the
// very same vector routine on one lane, so a value computed row by row is
// bit for bit the value of its block, whichever instruction set the
// processor offers (AVX2 with FMA when present, else SSE2; chosen once).
//
// Results are those of the mathematical functions within 1 ulp: an
// overflow of EXP is +infinity, LN(0) is -infinity, LN of a negative
// number NaN, as the callers' fault checks expect. SIN and COS of an
// argument of magnitude 2^63 or more are 0 (the language's rule: nothing
// is left of such an angle).

#include <cstddef>

namespace kv::vecmath {

// Out[k] = f(In[k]) for k < Count; In and Out may be the same array.
// Returns whether every result is finite.
bool Exp(const double* In, double* Out, size_t Count);
bool Ln(const double* In, double* Out, size_t Count);
bool Sin(const double* In, double* Out, size_t Count);
bool Cos(const double* In, double* Out, size_t Count);

double Exp(double X);
double Ln(double X);
double Sin(double X);
double Cos(double X);

// The instruction set in use: "avx2" or "sse2".
const char* InstructionSet();

} // namespace kv::vecmath
