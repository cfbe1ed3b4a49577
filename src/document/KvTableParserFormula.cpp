// Column formulas evaluated by the table parser.

#include "KvColumnFormula.h"

#include "expression/ExpressionParser.h"

#include <algorithm>
#include <array>

namespace kv {

namespace {

class TKvTableParserFormula : public TKvColumnFormula {
public:
    explicit TKvTableParserFormula(const std::string& SettingsFile) : FParser(SettingsFile) {}

    void BindColumns(std::span<TKvRealVector* const> Columns) override
    {
        // Letters past the table stay unbound, so they fail instead of
        // reading outside it.
        std::array<const TKvRealVector*, TTableParser::ColumnCount> Bound{};
        std::copy_n(Columns.begin(), std::min(Columns.size(), Bound.size()), Bound.begin());
        FParser.SetColumns(Bound);
    }
    void SetExpression(const std::string& PreparedFormula) override { FParser.SetExpression(PreparedFormula); }
    double Value(int32_t Row) override
    {
        FParser.SetRow(Row);
        return FParser.Value();
    }

private:
    TTableParser FParser;
};

} // namespace

std::unique_ptr<TKvColumnFormula> CreateTableFormula(const std::string& SettingsFile)
{
    return std::make_unique<TKvTableParserFormula>(SettingsFile);
}

} // namespace kv
