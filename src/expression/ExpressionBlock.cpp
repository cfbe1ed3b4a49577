#include "ExpressionBlock.h"

#include "ExpressionOperations.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace kv {

namespace {

// The arithmetic of the blocks is compiled twice, for AVX2 and for any
// x86-64 processor; the loader picks the one the processor runs.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define KV_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define KV_VECTOR_CLONES
#endif

template <class TFunction>
bool Binary(const TBlockOperation& Op, int Count, TFunction F)
{
    const double* A = Op.Arg1;
    const double* B = Op.Arg2;
    double* D = Op.Dest;
    uint64_t Bad = 0;
    for (int k = 0; k < Count; ++k) {
        const double R = F(A[k], B[k]);
        D[k] = R;
        Bad |= NonFinite(R);
    }
    return Bad == 0;
}

template <class TFunction>
bool Unary(const TBlockOperation& Op, int Count, TFunction F)
{
    const double* A = Op.Arg1;
    double* D = Op.Dest;
    uint64_t Bad = 0;
    for (int k = 0; k < Count; ++k) {
        const double R = F(A[k]);
        D[k] = R;
        Bad |= NonFinite(R);
    }
    return Bad == 0;
}

KV_VECTOR_CLONES bool BlockNegate(const TBlockOperation& Op, int Count)
{
    return Unary(Op, Count, [](double A) { return -A; });
}
KV_VECTOR_CLONES bool BlockSum(const TBlockOperation& Op, int Count)
{
    return Binary(Op, Count, [](double A, double B) { return A + B; });
}
KV_VECTOR_CLONES bool BlockDifference(const TBlockOperation& Op, int Count)
{
    return Binary(Op, Count, [](double A, double B) { return A - B; });
}
KV_VECTOR_CLONES bool BlockProduct(const TBlockOperation& Op, int Count)
{
    return Binary(Op, Count, [](double A, double B) { return A * B; });
}
KV_VECTOR_CLONES bool BlockQuotient(const TBlockOperation& Op, int Count)
{
    return Binary(Op, Count, [](double A, double B) { return A / B; });
}
KV_VECTOR_CLONES bool BlockSquare(const TBlockOperation& Op, int Count)
{
    return Unary(Op, Count, [](double A) { return A * A; });
}
KV_VECTOR_CLONES bool BlockCube(const TBlockOperation& Op, int Count)
{
    return Unary(Op, Count, [](double A) { return A * (A * A); });
}
KV_VECTOR_CLONES bool BlockFourthPower(const TBlockOperation& Op, int Count)
{
    return Unary(Op, Count, [](double A) { return (A * A) * (A * A); });
}

} // namespace

bool RowByRowBlock(const TBlockOperation& Op, int Count)
{
    TOperationRecord R;
    R.Context = Op.Context;
    try {
        for (int k = 0; k < Count; ++k) {
            R.Arg1 = Op.Arg1 + k;
            R.Arg2 = Op.Arg2 ? Op.Arg2 + k : nullptr;
            R.Dest = Op.Dest + k;
            Op.Proc(&R);
        }
    } catch (const EKvError&) {
        return false;
    }
    return true;
}

TBlockProc BlockProcOf(const TOperationRecord& Op)
{
    switch (Op.Token) {
    case TkNegate:
        return BlockNegate;
    case TkSum:
        return BlockSum;
    case TkDifference:
        return BlockDifference;
    case TkProduct:
        return BlockProduct;
    case TkQuotient:
        return BlockQuotient;
    case TkSquare:
        return BlockSquare;
    case TkCube:
        return BlockCube;
    case TkFourthPower:
        return BlockFourthPower;
    case TkFunctionOne:
    case TkFunctionTwo:
        return Op.Block ? Op.Block : RowByRowBlock;
    default: // the integer operations and the powers raise their own faults
        return RowByRowBlock;
    }
}

TBlockEvaluator::TBlockEvaluator(const TCompiledExpression& Expression, const double* Varying)
{
    const auto Ops = Expression.Operations();
    // Every distinct cell gets its lanes: the results of the operations,
    // the varying variable, and the cells that are the same in every row.
    std::unordered_map<const double*, size_t> Index;
    std::vector<const double*> Broadcast;
    std::vector<const double*> Constants;
    auto LaneOf = [&](const double* Cell) {
        auto [It, Added] = Index.emplace(Cell, Index.size());
        if (Added && Cell != Varying)
            (Expression.OwnsCell(Cell) ? Constants : Broadcast).push_back(Cell);
        return It->second;
    };
    const bool Single = Expression.Depth() == 0; // the placeholder reads one cell
    for (const TOperationRecord& Op : Ops)
        if (!Single)
            Index.emplace(Op.Dest, Index.size());
    for (const TOperationRecord& Op : Ops) {
        LaneOf(Op.Arg1);
        if (Op.Arg2)
            LaneOf(Op.Arg2);
    }
    FLanes.assign(Index.size() * BlockSize, 0.0);
    auto Lanes = [&](const double* Cell) { return FLanes.data() + Index.at(Cell) * BlockSize; };
    if (Varying && Index.count(Varying))
        FVaryingLanes = Lanes(Varying);
    for (const double* Cell : Broadcast)
        FBroadcasts.push_back({Cell, Lanes(Cell)});
    // Constants never change: their lanes are filled once.
    for (const double* Cell : Constants)
        std::fill_n(Lanes(Cell), BlockSize, *Cell);
    if (Single) {
        FResultLanes = Lanes(Ops[0].Arg1);
        return;
    }
    for (const TOperationRecord& Op : Ops) {
        TStep S;
        S.Op.Arg1 = Lanes(Op.Arg1);
        S.Op.Arg2 = Op.Arg2 ? Lanes(Op.Arg2) : nullptr;
        S.Op.Dest = Lanes(Op.Dest);
        S.Op.Context = Op.Context;
        S.Op.Proc = Op.Proc;
        if (S.Op.Arg1 == FVaryingLanes)
            S.Op.Arg1Consecutive = &FConsecutive;
        if (FVaryingLanes && (S.Op.Arg1 == FVaryingLanes || S.Op.Arg2 == FVaryingLanes))
            FReadsVarying.push_back(FSteps.size());
        S.Proc = BlockProcOf(Op);
        FSteps.push_back(S);
    }
    FResultLanes = FSteps.back().Op.Dest;
    FCheckResult = FSteps.back().Proc == RowByRowBlock;
}

bool TBlockEvaluator::Run(const double* Inputs, int Count, double* Out, bool Consecutive)
{
    FConsecutive = Consecutive;
    // The operations read the varying values where they are; only a lone
    // variable is copied to be the result.
    for (const size_t i : FReadsVarying) {
        TBlockOperation& Op = FSteps[i].Op;
        if (Op.Arg1 == FVaryingLanes || Op.Arg1 == FLastInputs)
            Op.Arg1 = Inputs;
        if (Op.Arg2 && (Op.Arg2 == FVaryingLanes || Op.Arg2 == FLastInputs))
            Op.Arg2 = Inputs;
    }
    FLastInputs = Inputs;
    if (FVaryingLanes && FSteps.empty())
        std::copy(Inputs, Inputs + Count, FVaryingLanes);
    for (const TBroadcast& B : FBroadcasts)
        std::fill(B.Lanes, B.Lanes + Count, *B.Cell);
    uint64_t Bad = 0;
    if (FSteps.empty()) {
        for (int k = 0; k < Count; ++k) {
            Out[k] = FResultLanes[k];
            Bad |= NonFinite(FResultLanes[k]);
        }
        return Bad == 0;
    }
    // The last operation writes its rows straight into Out (no other
    // operation reads them); every operation checks its own results.
    FSteps.back().Op.Dest = Out;
    for (const TStep& S : FSteps)
        if (!S.Proc(S.Op, Count))
            return false;
    // A function without a block procedure need not check its results
    // (its row-by-row procedure may not); the value must still be finite.
    if (FCheckResult)
        for (int k = 0; k < Count; ++k)
            Bad |= NonFinite(Out[k]);
    return Bad == 0;
}

} // namespace kv
