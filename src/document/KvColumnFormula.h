#pragma once
// The seam between the table and the formula parser. The table prepares the
// formula text, binds its column vectors and asks for one value per row; the
// implementation compiles once per column evaluation and raises an EKvError
// for a row it cannot compute (the table reports it for that cell).

#include "foundation/KvVector.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace kv {

class TKvColumnFormula {
public:
    virtual ~TKvColumnFormula() = default;

    // Columns[k-1] is table column k; letters beyond Columns.size() must fail
    // per row, never read outside the table.
    virtual void BindColumns(std::span<TKvRealVector* const> Columns) = 0;
    // Compiles the prepared text; a compile error is raised here.
    virtual void SetExpression(const std::string& PreparedFormula) = 0;
    // The formula's value in the 1-based Row. An operand that is an empty
    // cell (a missing value) raises EMissingValue: the table stores the
    // row as empty, without a message.
    virtual double Value(int32_t Row) = 0;
};

// The formula engine of the program (the table parser), with the named
// constants read from SettingsFile when that is not empty.
std::unique_ptr<TKvColumnFormula> CreateTableFormula(const std::string& SettingsFile = {});

} // namespace kv
