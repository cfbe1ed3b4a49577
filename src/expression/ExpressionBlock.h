#pragma once
// The block evaluator: one compiled expression over a block of rows at
// once. Every cell of the compiled list becomes an array of one value per
// row; each operation is one procedure call per block that loops over the
// rows (plain loops the compiler can vectorise). One variable cell varies
// from row to row (the table's Row, the fit's X); every other variable is
// the same in all rows of a block.
//
// A block in which any row faults (or whose value is not finite) reports
// false; the caller then computes that block row by row through the
// ordinary evaluation, which raises each row's fault exactly as a single
// evaluation does. So the results and the errors are those of evaluating
// every row alone; only the speed differs.

#include "ExpressionCompiler.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace kv {

class TBlockEvaluator {
public:
    static constexpr int BlockSize = 256;

    // Varying: the variable cell that takes a new value in every row (may
    // be null when the expression does not use it).
    TBlockEvaluator(const TCompiledExpression& Expression, const double* Varying);

    // Computes Count rows (at most BlockSize) whose varying values are
    // Inputs[0..Count) into Out[0..Count); false when a row faults, Out is
    // then incomplete. Consecutive: the inputs are whole numbers ascending
    // by 1 (table rows). Raises nothing of its own.
    bool Run(const double* Inputs, int Count, double* Out, bool Consecutive = false);

private:
    struct TStep {
        TBlockOperation Op;
        TBlockProc Proc;
    };
    struct TBroadcast {
        const double* Cell;
        double* Lanes;
    };

    std::vector<double> FLanes; // BlockSize values per cell
    std::vector<TStep> FSteps;
    std::vector<TBroadcast> FBroadcasts;
    double* FVaryingLanes = nullptr;
    std::vector<size_t> FReadsVarying; // the steps with the varying cell as an argument
    const double* FLastInputs = nullptr; // where those steps read it in the last run
    const double* FResultLanes = nullptr;
    bool FConsecutive = false;
    bool FCheckResult = false; // the last operation does not check its rows
};

// 1 when R is a NaN or an infinity (all exponent bits set), else 0. An
// integer test, so that the loops that OR it up vectorise.
inline uint64_t NonFinite(double R)
{
    uint64_t Bits;
    std::memcpy(&Bits, &R, sizeof Bits);
    return (~Bits & 0x7FF0000000000000ull) == 0 ? 1u : 0u;
}

// The block procedure of a built-in operation (tokens 2 to 13) or of a
// call record; a generic row-by-row procedure when there is no dedicated one.
TBlockProc BlockProcOf(const TOperationRecord& Op);
// Runs Op.Proc row by row; false when it raises an error of the program.
bool RowByRowBlock(const TBlockOperation& Op, int Count);

} // namespace kv
