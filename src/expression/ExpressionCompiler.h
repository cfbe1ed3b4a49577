#pragma once
// The expression compiler: turns the text of a formula into a
// flat list of operation records that is evaluated many times without
// looking at the text again.
//
// The compiler is a splitting parser. Each term is matched against a fixed
// set of forms; a binary form splits the term at an operator character and
// accepts the split only when both sides are valid terms of the allowed
// forms. The plain algorithm re-checks substrings and can go exponential;
// this one memoises the validity of every (substring, form) pair and indexes
// the operator positions by bracket depth, so compile time is polynomial in
// the length, with the same results and messages as the plain algorithm.
// The validity checks run on an explicit work stack, so deeply bracketed
// or nested text cannot overflow the machine stack.
//
// Evaluation: call Proc of every record in order (Operations()); the value
// is the double at Dest of the last record. TCompiledExpression::Evaluate
// does that and turns floating-point faults into exceptions.

#include "foundation/KvErrors.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kv {

// ---------------------------------------------------------------------------
// Compile errors. All derive from EMathParserError.

class EExpressionHasBlanks : public EMathParserError {
public:
    EExpressionHasBlanks() : EMathParserError("Expression has blanks") {}
};
// Message "Missing brackets in expression (\")\")" (more "(" than ")") or
// with "(" (more ")" than "(").
class EMissMatchingBracket : public EMathParserError {
public:
    using EMathParserError::EMathParserError;
};
// "Error parsing expression:\r%s" or "Error parsing expression:\r%s\r%s".
class ESyntaxError : public EMathParserError {
public:
    using EMathParserError::EMathParserError;
};
class ETooManyNestings : public EMathParserError {
public:
    ETooManyNestings() : EMathParserError("Expression contains too many nestings") {}
};
class EExpressionTooComplex : public EMathParserError {
public:
    EExpressionTooComplex() : EMathParserError("Expression is too complex") {}
};
class EParserInternalError : public EMathParserError {
public:
    EParserInternalError() : EMathParserError("TParser internal error") {}
};
// SetVariable with a name that is not a valid variable name.
class EBadName : public EMathParserError {
public:
    using EMathParserError::EMathParserError;
};
// A function name registered twice in one list.
class EStringListError : public EKvError {
public:
    EStringListError() : EKvError("String list does not allow duplicates") {}
};

// ---------------------------------------------------------------------------
// Tokens (the index of the built-in procedure table OperationProcs).

enum TToken : uint8_t {
    TkVariable = 0,
    TkNumber = 1,
    TkNegate = 2,
    TkSum = 3,
    TkDifference = 4,
    TkProduct = 5,
    TkQuotient = 6,
    TkModulo = 7,
    TkIntegerDiv = 8,
    TkIntegerPower = 9,
    TkPower = 10,
    TkSquare = 11,
    TkCube = 12,
    TkFourthPower = 13,
    TkFunctionOne = 14,
    TkFunctionTwo = 15,
};

inline constexpr int MaxNestingLevel = 20;  // levels 0 to 20
inline constexpr int MaxLevelPositions = 50; // positions 1 to 50 per level

// Raises EInvalidOp for a NaN, EOverflow for an infinity.
[[noreturn]] void RaiseNonFiniteValue(double R);

struct TOperationRecord;
// The procedure of one operation: reads *Arg1 (and *Arg2), writes *Dest.
// A fault that cannot be left to the floating-point flags (integer
// division by zero, a row out of range) is raised from here.
using TOperationProc = void (*)(const TOperationRecord* Op);

// One operation of the block evaluator (ExpressionBlock.h): the operands and
// the result are arrays of one value per row of the block.
struct TBlockOperation {
    const double* Arg1 = nullptr;
    const double* Arg2 = nullptr;
    double* Dest = nullptr;
    const void* Context = nullptr;
    TOperationProc Proc = nullptr; // the operation's own procedure
    // Non-null when Arg1 is the varying input itself: then *Arg1Consecutive
    // tells that this block's inputs are First, First + 1, ... (whole rows).
    const bool* Arg1Consecutive = nullptr;
};
// Computes Count rows; returns false when any row faults or any result is
// not finite (the block is then recomputed row by row to raise each row's
// fault). Never throws.
using TBlockProc = bool (*)(const TBlockOperation& Op, int Count);


struct TOperationRecord {
    const double* Arg1 = nullptr;
    const double* Arg2 = nullptr;
    double* Dest = nullptr;
    const TOperationRecord* Next = nullptr;
    TOperationProc Proc = nullptr;
    // For function calls: the Context of the function's list entry (the
    // column functions keep their column slot there); otherwise null.
    const void* Context = nullptr;
    // For function calls: the block procedure of the entry, or null.
    TBlockProc Block = nullptr;
    uint8_t Token = 0;
};

// A function of a function list: its procedure and a context pointer that
// the procedure reads through Op->Context; optionally the same function
// over a block of rows (else the block evaluator calls Proc row by row).
struct TFunctionEntry {
    TOperationProc Proc = nullptr;
    const void* Context = nullptr;
    TBlockProc Block = nullptr;
};

// ---------------------------------------------------------------------------
// Sorted, case-insensitive name lists (names are kept upper-cased, letters
// a to z only).

template <class T>
class TKvNameList {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    const std::string& Name(int i) const { return FItems[static_cast<size_t>(i)].first; }
    const T& Item(int i) const { return FItems[static_cast<size_t>(i)].second; }
    void SetCapacity(int N) { FItems.reserve(static_cast<size_t>(std::max(N, 0))); }
    void Clear() { FItems.clear(); }

    // Index of Name, or -1.
    int IndexOf(std::string_view Name) const
    {
        const std::string Key = Upper(Name);
        auto It = std::lower_bound(FItems.begin(), FItems.end(), Key,
                                   [](const auto& E, const std::string& K) { return E.first < K; });
        return It != FItems.end() && It->first == Key ? static_cast<int>(It - FItems.begin()) : -1;
    }
    const T* Find(std::string_view Name) const
    {
        const int i = IndexOf(Name);
        return i < 0 ? nullptr : &FItems[static_cast<size_t>(i)].second;
    }
    // Adds Name with Item; returns false (and adds nothing) when the name is
    // already there.
    bool Add(std::string_view Name, T Item)
    {
        std::string Key = Upper(Name);
        auto It = std::lower_bound(FItems.begin(), FItems.end(), Key,
                                   [](const auto& E, const std::string& K) { return E.first < K; });
        if (It != FItems.end() && It->first == Key)
            return false;
        FItems.insert(It, {std::move(Key), std::move(Item)});
        return true;
    }

private:
    static std::string Upper(std::string_view S)
    {
        std::string R(S);
        for (char& C : R)
            if (C >= 'a' && C <= 'z')
                C = static_cast<char>(C - 'a' + 'A');
        return R;
    }
    std::vector<std::pair<std::string, T>> FItems;
};

// VariableList entries carry the address of the variable's cell.
using TVariableList = TKvNameList<double*>;
// OneArgFunctions and TwoArgFunctions entries carry the procedure.
using TFunctionList = TKvNameList<TFunctionEntry>;

// ---------------------------------------------------------------------------
// A compiled expression: the operation records in evaluation order with
// their constant and result cells. Variable cells belong to the variable
// list and are only referred to.

class TCompiledExpression {
public:
    TCompiledExpression() = default;
    TCompiledExpression(const TCompiledExpression&) = delete;
    TCompiledExpression& operator=(const TCompiledExpression&) = delete;

    // The records in evaluation order (linked through Next as well).
    std::span<const TOperationRecord> Operations() const { return {FOps.get(), FCount}; }
    const TOperationRecord* First() const { return FOps.get(); }
    size_t Count() const { return FCount; }
    // The deepest level reached (0 for a single number or variable).
    int Depth() const { return FDepth; }
    // The cell that holds the value after a run.
    const double* Result() const { return FResult; }
    // True for the list's own constant and result cells.
    bool OwnsCell(const double* Cell) const
    {
        return Cell >= FCells.get() && Cell < FCells.get() + FCellCount;
    }

    // Runs every record once, without any fault check.
    void Run() const
    {
        const TOperationRecord* Op = FOps.get();
        const TOperationRecord* const End = Op + FCount;
        for (; Op != End; ++Op)
            Op->Proc(Op);
    }
    // Runs the records and returns the value. The operations raise their
    // faults themselves (EZeroDivide, EInvalidOp, EOverflow, ERangeError;
    // see ExpressionOperations.h), so no NaN or infinity leaves silently;
    // a single variable that holds one is raised here.
    double Evaluate() const
    {
        Run();
        const double R = *FResult;
        if (!std::isfinite(R)) [[unlikely]]
            RaiseNonFiniteValue(R);
        return R;
    }

private:
    friend class TExpressionBuilder;
    std::unique_ptr<TOperationRecord[]> FOps;
    size_t FCount = 0;
    std::unique_ptr<double[]> FCells; // constant and result cells
    size_t FCellCount = 0;
    const double* FResult = nullptr;
    int FDepth = 0;
};

// Compiles Text. Number literals use "." when InvariantNumbers is
// true and the locale's decimal separator (FormatSettings()) otherwise; the
// two arguments of a two-argument call are separated by the locale's list
// separator. Procedures of the records whose token is below 14 are bound
// from OperationProcs. *ParseError (when given) is cleared at the start and
// set before a syntax, nesting or complexity error is raised. Errors are
// EMathParserError descendants; nothing is left allocated after one.
std::unique_ptr<TCompiledExpression> ParseExpression(std::string_view Text, const TVariableList& VariableList,
                                                     const TFunctionList& OneArgFunctions,
                                                     const TFunctionList& TwoArgFunctions, bool InvariantNumbers,
                                                     bool* ParseError = nullptr);

} // namespace kv
