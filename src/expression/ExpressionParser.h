#pragma once
// The parser objects: a formula with its variables and function
// lists that delivers the formula's value on demand.
//
//   TCustomParser   the base: Expression, Value, SetVariable, ...
//   TFunctionParser X and the parameters A to P (the nonlinear fit)
//   TTableParser    Row ("#", "ROW") and the column functions A to Z over
//                   vectors the caller binds (the column formulas)
//
// Usage: assign the expression once (it is compiled then), set the
// variables' values by writing their cells, read Value() as often as
// needed. Value() allocates nothing and never looks at the text; it raises
// EZeroDivide, EInvalidOp, EOverflow (floating-point faults, never a silent
// NaN or infinity) and ERangeError (column functions) with their messages.

#include "ExpressionCompiler.h"
#include "foundation/KvVector.h"

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

class TCustomParser;
class TBlockEvaluator;

// Receives a compile error when assigned: (Sender, E).
using TParserExceptionEvent = std::function<void(TCustomParser& Sender, const EMathParserError& E)>;

class TCustomParser {
public:
    TCustomParser();
    virtual ~TCustomParser();
    TCustomParser(const TCustomParser&) = delete;
    TCustomParser& operator=(const TCustomParser&) = delete;

    // The formula as assigned. Assigning drops the compiled list and, for a
    // text that is not empty, compiles it. A compile error goes to
    // OnParserError when it is assigned (and the assignment returns
    // normally), else it propagates from here.
    const std::string& Expression() const { return FExpression; }
    void SetExpression(std::string_view Text);

    // true: number literals use "." whatever the locale (default true);
    // false: the locale's decimal separator. Read by the next compile.
    bool PascalNumberformat() const { return FPascalNumberformat; }
    void SetPascalNumberformat(bool Value) { FPascalNumberformat = Value; }

    // true after a compile error, false after a successful compile.
    bool ParseError() const { return FParseError; }

    TParserExceptionEvent OnParserError;

    // Compiles Expression(); see SetExpression for the errors.
    bool Compile();
    // Releases the compiled list; Value() reads 0 afterwards.
    void FreeCompiled();

    // Evaluates the compiled expression (0 when there is none). Raises the
    // evaluation faults; the parser's state is unchanged by them.
    double Value() const { return FCompiled ? FCompiled->Evaluate() : 0.0; }
    double Evaluate() const { return Value(); }
    // The same run without the fault check, for measuring its cost only:
    // a fault yields whatever IEEE arithmetic gives (NaN, infinity).
    double UncheckedValue() const
    {
        if (!FCompiled)
            return 0.0;
        FCompiled->Run();
        return *FCompiled->Result();
    }

    // Sets an existing variable (case-insensitive) or creates it (name
    // stored upper-cased); returns the address of its cell, which stays
    // valid until ClearVariables or destruction. Raises EBadName for a name
    // that is not an identifier or contains DIV or MOD.
    double* SetVariable(std::string_view Name, double Value);
    // The cell of a variable, or null.
    double* FindVariable(std::string_view Name) const;
    // Releases the cells SetVariable created, empties the variable list and
    // assigns the empty expression.
    void ClearVariables();

    // The standard functions (both descendants call this).
    void RegisterStandardFunctions();
    // Adds a function; a name already in the list raises EStringListError.
    void AddFunctionOne(std::string_view Name, TOperationProc Proc, const void* Context = nullptr);
    void AddFunctionTwo(std::string_view Name, TOperationProc Proc, const void* Context = nullptr);

    const TVariableList& VariableList() const { return FVariableList; }
    const TFunctionList& OneArgFunctions() const { return FOneArgFunctions; }
    const TFunctionList& TwoArgFunctions() const { return FTwoArgFunctions; }
    // The compiled list, or null.
    const TCompiledExpression* Compiled() const { return FCompiled.get(); }

    // Reads the "CalculationConstants" section of the settings file as
    // name=value lines ("." decimals) and sets each as a variable, in file
    // order. A missing file or section adds nothing; a line whose name is
    // not a valid variable name or whose value is not a number is skipped
    // and its text kept in ConstantErrors().
    void LoadNamedConstants(const std::string& SettingsFileName);
    const std::vector<std::string>& ConstantErrors() const { return FConstantErrors; }

protected:
    // The block evaluator of the compiled list with Varying as the cell that
    // changes from row to row; built at the first use after a compile.
    TBlockEvaluator& BlockEvaluator(const double* Varying);
    // Registers a cell that lives inside the parser object under Name
    // (never released by ClearVariables).
    void RegisterOwnVariable(std::string_view Name, double* Cell);
    TVariableList& MutableVariableList() { return FVariableList; }
    TFunctionList& MutableOneArgFunctions() { return FOneArgFunctions; }
    TFunctionList& MutableTwoArgFunctions() { return FTwoArgFunctions; }

private:
    std::string FExpression;
    bool FPascalNumberformat = true;
    bool FParseError = false;
    TVariableList FVariableList;
    TFunctionList FOneArgFunctions;
    TFunctionList FTwoArgFunctions;
    std::unique_ptr<TCompiledExpression> FCompiled;
    std::unique_ptr<TBlockEvaluator> FBlock;
    std::vector<std::unique_ptr<double>> FCreatedCells; // cells made by SetVariable
    std::vector<std::string> FConstantErrors;
};

// The formula of a nonlinear fit: X and the parameters A to P.
class TFunctionParser : public TCustomParser {
public:
    static constexpr int ParameterCount = 16;

    // SettingsFileName: the user settings file with the named constants
    // (empty: none).
    explicit TFunctionParser(const std::string& SettingsFileName = {});

    double X() const { return FX; }
    void SetX(double Value) { FX = Value; }
    // Parameter i (0 = A ... 15 = P).
    double Parameter(int i) const { return FParameters[static_cast<size_t>(i)]; }
    void SetParameter(int i, double Value) { FParameters[static_cast<size_t>(i)] = Value; }
    // Copies Values[0], Values[1], ... into A, B, ...; at most sixteen are
    // used; the parameters beyond keep their values.
    void SetParameterValues(std::span<const double> Values);
    // X := AX, then Value().
    double ValueAt(double AX)
    {
        FX = AX;
        return Value();
    }
    // Out[i] := ValueAt(Xs[i]) for every i (Out.size() >= Xs.size()),
    // computed in blocks of rows; raises the fault of the first X that
    // faults (X is then that value). Much faster than one ValueAt per X.
    void ValuesAt(std::span<const double> Xs, std::span<double> Out);

private:
    double FX = 0.0;
    std::array<double, ParameterCount> FParameters{};
};

// The formula of a table column: Row ("#", "ROW") and the column functions
// A to Z. Column function L with argument n reads the column vector bound
// to L at index round(n) - 1 (ties to even); outside 0..Count-1 it raises
// ERangeError "i=%d index out of range"; a letter with no vector bound
// raises ERangeError "Column L does not exist".
class TTableParser : public TCustomParser {
public:
    static constexpr int ColumnCount = 26;

    explicit TTableParser(const std::string& SettingsFileName = {});

    double Row() const { return FRow; }
    void SetRow(double Value) { FRow = Value; }

    // Binds column Index (0 = A ... 25 = Z) to Vector (not owned; bind null
    // before the vector dies). Rebinding needs no recompilation.
    void SetColumn(int Index, const TKvRealVector* Vector);
    const TKvRealVector* Column(int Index) const { return FColumns[static_cast<size_t>(Index)].Vector; }
    // Binds columns 0.. to Vectors (the rest to null).
    void SetColumns(std::span<const TKvRealVector* const> Vectors);

    // Out[k] := the value in row FirstRow + k (1-based) for every k,
    // computed in blocks of rows. A row that faults is handed to
    // OnCellError with its exception (its Out entry is left as it was) and
    // the others go on; without a handler the first fault is raised. Row is
    // left at the last row computed. Much faster than SetRow and Value per
    // row, with the same values and errors.
    using TCellErrorEvent = std::function<void(int32_t Row, const EKvError& E)>;
    void ValuesOfRows(int32_t FirstRow, std::span<double> Out, const TCellErrorEvent& OnCellError = {});

    // The slot a column function reads through its Context.
    struct TColumnSlot {
        const TKvRealVector* Vector = nullptr;
        char Letter = 'A';
    };

private:
    double FRow = 0.0;
    std::array<TColumnSlot, ColumnCount> FColumns{};
};

} // namespace kv
