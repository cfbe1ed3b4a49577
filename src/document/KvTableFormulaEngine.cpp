// Placeholder until the table parser is wired in: every row reports that
// formulas cannot be evaluated, so a live column never shows stale values.

#include "KvColumnFormula.h"

#include "foundation/KvErrors.h"

namespace kv {

namespace {

class TKvNoFormula : public TKvColumnFormula {
public:
    void BindColumns(std::span<TKvRealVector* const>) override {}
    void SetExpression(const std::string&) override
    {
        throw EMathParserError("Formula evaluation is not available");
    }
    double Value(int32_t) override { throw EMathParserError("Formula evaluation is not available"); }
};

} // namespace

std::unique_ptr<TKvColumnFormula> CreateTableFormula(const std::string&)
{
    return std::make_unique<TKvNoFormula>();
}

} // namespace kv
