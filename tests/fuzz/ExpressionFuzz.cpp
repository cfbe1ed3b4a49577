// Fuzz target of the formula compiler and evaluator: any text either
// compiles or raises a compile error of the parser hierarchy; a compiled
// formula evaluates to a finite number or raises an error of the program's
// hierarchy; the limits of the compiled list hold; evaluation is repeatable.
// The first byte chooses the number format and the parser.

#include "expression/ExpressionParser.h"
#include "foundation/KvFormatSettings.h"
#include "foundation/KvStrings.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

void Check(bool Condition)
{
    if (!Condition)
        __builtin_trap();
}

bool Random(const std::string& Text)
{
    const std::string Upper = kv::UpperCase(Text);
    return Upper.find("RAND") != std::string::npos || Upper.find("RND") != std::string::npos;
}

void Exercise(kv::TCustomParser& P, const std::string& Text, void (*SetInput)(kv::TCustomParser&, double))
{
    try {
        P.SetExpression(Text);
    } catch (const kv::EMathParserError&) {
        Check(P.ParseError());
        Check(P.Compiled() == nullptr);
        return;
    }
    if (Text.empty())
        return;
    const kv::TCompiledExpression* E = P.Compiled();
    Check(E != nullptr && !P.ParseError());
    Check(E->Depth() >= 0 && E->Depth() <= kv::MaxNestingLevel);
    Check(E->Count() >= 1 && E->Count() <= static_cast<size_t>(kv::MaxNestingLevel * kv::MaxLevelPositions));
    const bool Random = ::Random(Text);
    for (double Input : {1.0, 2.0, -3.5, 0.0, 1e300, 7.0}) {
        SetInput(P, Input);
        double First = 0;
        bool Failed = false;
        try {
            First = P.Value();
            Check(std::isfinite(First));
        } catch (const kv::EKvError&) {
            Failed = true;
        }
        // The same inputs give the same outcome.
        try {
            const double Second = P.Value();
            Check(!Failed);
            Check(Random || Second == First);
        } catch (const kv::EKvError&) {
            Check(Failed || Random);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    if (Size < 1 || Size > 1201)
        return 0;
    const uint8_t Mode = Data[0];
    const std::string Text(reinterpret_cast<const char*>(Data + 1), Size - 1);
    kv::TKvScopedFormatSettings Settings({(Mode & 1) ? ',' : '.', (Mode & 2) ? ';' : ','});

    if (Mode & 4) {
        static kv::TKvRealVector Column = [] {
            kv::TKvRealVector V;
            for (double X : {1.5, -2.0, 3.0, 1e-3})
                V.Add(X);
            return V;
        }();
        kv::TTableParser P;
        P.SetColumn(0, &Column);
        P.SetColumn(2, &Column);
        P.SetPascalNumberformat((Mode & 8) != 0);
        Exercise(P, Text, [](kv::TCustomParser& Parser, double V) { static_cast<kv::TTableParser&>(Parser).SetRow(V); });
        // All rows at once give each row its own value or error.
        if (P.Compiled() && !Random(Text)) {
            double Block[6] = {}, Single[6] = {};
            bool BlockFailed[6] = {}, SingleFailed[6] = {};
            P.ValuesOfRows(-1, Block, [&](int32_t Row, const kv::EKvError&) { BlockFailed[Row + 1] = true; });
            for (int k = 0; k < 6; ++k) {
                P.SetRow(k - 1);
                try {
                    Single[k] = P.Value();
                } catch (const kv::EKvError&) {
                    SingleFailed[k] = true;
                }
                Check(BlockFailed[k] == SingleFailed[k]);
                Check(SingleFailed[k] || Block[k] == Single[k]);
            }
        }
    } else {
        kv::TFunctionParser P;
        P.SetPascalNumberformat((Mode & 8) != 0);
        const double Parameters[] = {1, -2, 0.5, 3};
        P.SetParameterValues(Parameters);
        Exercise(P, Text, [](kv::TCustomParser& Parser, double V) { static_cast<kv::TFunctionParser&>(Parser).SetX(V); });
    }
    return 0;
}
