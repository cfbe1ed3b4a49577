#pragma once
// The calculation kinds by their identifiers (the "Calculation" key of a
// child section), as a file's loader and the graph window create them.

#include "KvCalculatedSeries.h"

#include <QString>

#include <string>
#include <string_view>

namespace kv {

struct TKvCalculationKind {
    const char* ID;          // CalculationID of the class
    const char* AutoCaption; // followed by "from Series(" n ")"
    bool DisplayAutoOff;     // the new curve's display range is not automatic
};

// The kind of ID (compared exactly), or none.
const TKvCalculationKind* FindCalculationKind(std::string_view ID);

// Creates the curve of kind ID below Parent as the graph window's add
// command does: its automatic caption ("... from Series(" SeriesNumber
// ")"), the error handler, the parent (which calculates it when the parent
// has points), Tag (its position in the child list) and the display flags.
// A nonlinear fit knows the named constants of SettingsFile (empty: none),
// as the table's formulas do. None for an unknown identifier.
TKvCalculatedSeries* NewCalculationOfKind(std::string_view ID, TKvSeries& Parent, int32_t SeriesNumber,
                                          TKvErrorEvent OnError = {}, const std::string& SettingsFile = {});

} // namespace kv
