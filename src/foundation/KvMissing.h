#pragma once
// The missing value: a table cell that holds no number (an empty field of a
// text table, an unreadable one). It is one quiet NaN, so it travels through
// the column vectors like any double and every test for it is the same one.

#include <cmath>
#include <limits>

namespace kv {

inline double MissingValue() { return std::numeric_limits<double>::quiet_NaN(); }
inline bool IsMissing(double X) { return std::isnan(X); }

} // namespace kv
