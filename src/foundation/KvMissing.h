#pragma once
// A missing value: an empty cell of the table, a gap in a series.
//
// Column vectors hold it as one quiet NaN. Nothing else in the program is
// ever NaN (floating-point faults are exceptions, never silent NaNs), so a
// NaN in a column always means "no value here", and every reader of
// columns (formulas, series, calculations, files, export) tests for it with
// IsMissing. Any NaN counts, so the sign or payload a platform routine
// might give one cannot make a missing value look present.

#include <limits>

namespace kv {

inline constexpr double MissingValue() { return std::numeric_limits<double>::quiet_NaN(); }

// A plain compare, so loops over columns stay vectorised.
inline constexpr bool IsMissing(double X) { return X != X; }

} // namespace kv
