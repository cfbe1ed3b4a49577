// Fuzz target of the formula compiler and evaluator: any text either
// compiles or raises a compile error of the parser hierarchy; a compiled
// formula evaluates to a finite number or raises an error of the program's
// hierarchy; the limits of the compiled list hold; evaluation is repeatable.
// The first byte chooses the number format and the parser.

#include "expression/ExpressionParser.h"
#include "foundation/KvFormatSettings.h"

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
    const bool Random = Text.find("RAND") != std::string::npos || Text.find("RND") != std::string::npos ||
                        Text.find("rand") != std::string::npos || Text.find("rnd") != std::string::npos;
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
    } else {
        kv::TFunctionParser P;
        P.SetPascalNumberformat((Mode & 8) != 0);
        const double Parameters[] = {1, -2, 0.5, 3};
        P.SetParameterValues(Parameters);
        Exercise(P, Text, [](kv::TCustomParser& Parser, double V) { static_cast<kv::TFunctionParser&>(Parser).SetX(V); });
    }
    return 0;
}
