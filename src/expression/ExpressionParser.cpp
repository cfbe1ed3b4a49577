#include "ExpressionParser.h"

#include "ExpressionBlock.h"
#include "ExpressionOperations.h"
#include "foundation/KvLargeIniFile.h"
#include "foundation/KvMissing.h"
#include "foundation/KvStrings.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace kv {

namespace {

constexpr const char* ConstantsSection = "CalculationConstants";

bool IsIdentifier(std::string_view Name)
{
    auto Letter = [](char C) { return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_'; };
    if (Name.empty() || !Letter(Name.front()))
        return false;
    for (char C : Name)
        if (!Letter(C) && !(C >= '0' && C <= '9'))
            return false;
    return true;
}

// Column function: the value of the bound column at row round(n) (ties to
// even), rows counted from 1.
void ColumnValue(const TOperationRecord* Op)
{
    const auto* Slot = static_cast<const TTableParser::TColumnSlot*>(Op->Context);
    const TKvRealVector* Vector = Slot->Vector;
    const double R = RoundHalfEven(*Op->Arg1);
    if (Vector != nullptr && R >= 1.0 && R <= static_cast<double>(Vector->Count())) [[likely]] {
        const double X = Vector->Data()[static_cast<int32_t>(R) - 1];
        if (IsMissing(X)) [[unlikely]]
            throw EMissingValue();
        *Op->Dest = CheckedResult(X);
        return;
    }
    if (Vector == nullptr)
        throw ERangeError(std::string("Column ") + Slot->Letter + " does not exist");
    if (R != R)
        throw EInvalidOp(InvalidOpMessage);
    // The vector's own range error with the index round(n) - 1.
    const double Index = R - 1.0;
    const int32_t i = Index < -2147483648.0 ? INT32_MIN : Index > 2147483647.0 ? INT32_MAX : static_cast<int32_t>(Index);
    throw ERangeError("i=" + std::to_string(i) + " index out of range");
}

// One pass without early exit, so it vectorises: a block of rows costs
// about as much as its copy.
bool HoldsMissing(const double* Values, int Count)
{
    bool Any = false;
    for (int k = 0; k < Count; ++k)
        Any |= IsMissing(Values[k]);
    return Any;
}

bool ColumnBlock(const TBlockOperation& Op, int Count)
{
    const TKvRealVector* Vector = static_cast<const TTableParser::TColumnSlot*>(Op.Context)->Vector;
    if (Vector == nullptr)
        return false;
    const double* Values = Vector->Data();
    const double Last = static_cast<double>(Vector->Count());
    const double* Rows = Op.Arg1;
    // The table's own rows in order (a plain "#", the common case): one copy.
    const double First = Rows[0];
    if (Op.Arg1Consecutive && *Op.Arg1Consecutive && First >= 1.0 && First + (Count - 1) <= Last) {
        const double* Source = Values + static_cast<int32_t>(First) - 1;
        std::memcpy(Op.Dest, Source, static_cast<size_t>(Count) * sizeof(double));
        if (HoldsMissing(Op.Dest, Count))
            return false; // the rows go one by one, and those missing give missing
        // The next block reads on from here: ask for it now, so that it is
        // in the cache when its turn comes (a long column streams from memory).
        const double* Next = Source + Count;
        const double* End = Values + Vector->Count();
        for (const double* P = Next; P < Next + Count && P < End; P += 8)
            __builtin_prefetch(P);
        return true;
    }
    for (int k = 0; k < Count; ++k) {
        const double R = RoundHalfEven(Rows[k]);
        if (!(R >= 1.0 && R <= Last))
            return false;
        Op.Dest[k] = Values[static_cast<int32_t>(R) - 1];
    }
    return !HoldsMissing(Op.Dest, Count);
}

} // namespace

// --- TCustomParser --------------------------------------------------------------

TCustomParser::TCustomParser() = default;

TCustomParser::~TCustomParser()
{
    FreeCompiled();
    FCreatedCells.clear();
}

void TCustomParser::SetExpression(std::string_view Text)
{
    FreeCompiled();
    FExpression = std::string(Text);
    if (!FExpression.empty())
        Compile();
}

bool TCustomParser::Compile()
{
    FreeCompiled();
    try {
        FCompiled = ParseExpression(FExpression, FVariableList, FOneArgFunctions, FTwoArgFunctions,
                                    FPascalNumberformat, &FParseError);
        FParseError = false;
        return true;
    } catch (const EMathParserError& E) {
        FParseError = true;
        FCompiled.reset();
        if (OnParserError) {
            OnParserError(*this, E);
            return false;
        }
        throw;
    }
}

void TCustomParser::FreeCompiled()
{
    FBlock.reset();
    FCompiled.reset();
}

TBlockEvaluator& TCustomParser::BlockEvaluator(const double* Varying)
{
    if (!FBlock)
        FBlock = std::make_unique<TBlockEvaluator>(*FCompiled, Varying);
    return *FBlock;
}

double* TCustomParser::SetVariable(std::string_view Name, double Value)
{
    if (double* const* Cell = FVariableList.Find(Name)) {
        **Cell = Value;
        return *Cell;
    }
    if (!IsIdentifier(Name))
        throw EBadName(std::string(Name));
    std::string Upper = UpperCase(Name);
    if (Upper.find("DIV") != std::string::npos || Upper.find("MOD") != std::string::npos)
        throw EBadName(Upper);
    auto Cell = std::make_unique<double>(Value);
    double* Address = Cell.get();
    FCreatedCells.push_back(std::move(Cell));
    FVariableList.Add(Upper, Address);
    return Address;
}

double* TCustomParser::FindVariable(std::string_view Name) const
{
    double* const* Cell = FVariableList.Find(Name);
    return Cell ? *Cell : nullptr;
}

void TCustomParser::ClearVariables()
{
    SetExpression(std::string_view());
    FVariableList.Clear();
    FCreatedCells.clear();
}

void TCustomParser::RegisterStandardFunctions() { AddStandardFunctions(FOneArgFunctions, FTwoArgFunctions); }

void TCustomParser::AddFunctionOne(std::string_view Name, TOperationProc Proc, const void* Context)
{
    if (!FOneArgFunctions.Add(Name, TFunctionEntry{Proc, Context}))
        throw EStringListError();
}

void TCustomParser::AddFunctionTwo(std::string_view Name, TOperationProc Proc, const void* Context)
{
    if (!FTwoArgFunctions.Add(Name, TFunctionEntry{Proc, Context}))
        throw EStringListError();
}

void TCustomParser::RegisterOwnVariable(std::string_view Name, double* Cell) { FVariableList.Add(Name, Cell); }

void TCustomParser::LoadNamedConstants(const std::string& SettingsFileName)
{
    if (SettingsFileName.empty())
        return;
    TKvStringList Lines;
    {
        TKvLargeIniFile Ini(SettingsFileName);
        Ini.ReadSectionValues(ConstantsSection, Lines);
        Ini.Release();
    }
    for (const std::string& Line : Lines) {
        if (Line.empty())
            continue;
        const size_t Equal = Line.find('=');
        if (Equal == std::string::npos || Equal == 0) {
            FConstantErrors.push_back(Line);
            continue;
        }
        try {
            std::string ValueText = Line.substr(Equal + 1);
            const double Value = ExtractFloat(ValueText);
            SetVariable(std::string_view(Line).substr(0, Equal), Value);
        } catch (const EKvError&) {
            // Not a valid name or not a number: the line is skipped.
            FConstantErrors.push_back(Line);
        }
    }
}

// --- TFunctionParser ------------------------------------------------------------

TFunctionParser::TFunctionParser(const std::string& SettingsFileName)
{
    SetPascalNumberformat(false);
    RegisterStandardFunctions();
    MutableVariableList().SetCapacity(64);
    for (int i = 0; i < ParameterCount; ++i)
        RegisterOwnVariable(std::string(1, static_cast<char>('A' + i)), &FParameters[static_cast<size_t>(i)]);
    RegisterOwnVariable("X", &FX);
    LoadNamedConstants(SettingsFileName);
}

void TFunctionParser::SetParameterValues(std::span<const double> Values)
{
    const size_t N = std::min(Values.size(), FParameters.size());
    for (size_t i = 0; i < N; ++i)
        FParameters[i] = Values[i];
}

void TFunctionParser::ValuesAt(std::span<const double> Xs, std::span<double> Out)
{
    if (Out.size() < Xs.size())
        throw ERangeError("i=" + std::to_string(Out.size()) + " index out of range");
    if (!Compiled()) {
        std::fill(Out.begin(), Out.begin() + static_cast<std::ptrdiff_t>(Xs.size()), 0.0);
        return;
    }
    TBlockEvaluator& Block = BlockEvaluator(&FX);
    for (size_t Start = 0; Start < Xs.size(); Start += TBlockEvaluator::BlockSize) {
        const int Count = static_cast<int>(std::min<size_t>(TBlockEvaluator::BlockSize, Xs.size() - Start));
        if (!Block.Run(Xs.data() + Start, Count, Out.data() + Start))
            for (int k = 0; k < Count; ++k)
                Out[Start + static_cast<size_t>(k)] = ValueAt(Xs[Start + static_cast<size_t>(k)]);
    }
    if (!Xs.empty())
        FX = Xs.back();
}

// --- TTableParser ---------------------------------------------------------------

TTableParser::TTableParser(const std::string& SettingsFileName)
{
    SetPascalNumberformat(false);
    RegisterStandardFunctions();
    MutableOneArgFunctions().SetCapacity(64);
    for (int i = 0; i < ColumnCount; ++i) {
        FColumns[static_cast<size_t>(i)].Letter = static_cast<char>('A' + i);
        if (!MutableOneArgFunctions().Add(std::string(1, static_cast<char>('A' + i)),
                                          TFunctionEntry{ColumnValue, &FColumns[static_cast<size_t>(i)], ColumnBlock}))
            throw EStringListError();
    }
    MutableVariableList().SetCapacity(64);
    RegisterOwnVariable("#", &FRow);
    RegisterOwnVariable("ROW", &FRow);
    LoadNamedConstants(SettingsFileName);
}

void TTableParser::ValuesOfRows(int32_t FirstRow, std::span<double> Out, const TCellErrorEvent& OnCellError)
{
    if (!Compiled()) {
        std::fill(Out.begin(), Out.end(), 0.0);
        return;
    }
    TBlockEvaluator& Block = BlockEvaluator(&FRow);
    double Rows[TBlockEvaluator::BlockSize];
    for (size_t Start = 0; Start < Out.size(); Start += TBlockEvaluator::BlockSize) {
        const int Count = static_cast<int>(std::min<size_t>(TBlockEvaluator::BlockSize, Out.size() - Start));
        for (int k = 0; k < Count; ++k)
            Rows[k] = static_cast<double>(FirstRow) + static_cast<double>(Start) + k;
        FRow = Rows[Count - 1];
        double* Target = Out.data() + Start;
        // The block runs into a scratch buffer, so a faulting row keeps
        // its old entry without the output being read first.
        double Scratch[TBlockEvaluator::BlockSize];
        if (Block.Run(Rows, Count, Scratch, true)) {
            std::copy(Scratch, Scratch + Count, Target);
            continue;
        }
        for (int k = 0; k < Count; ++k) {
            FRow = Rows[k];
            try {
                Out[Start + static_cast<size_t>(k)] = Value();
            } catch (const EKvError& E) {
                if (!OnCellError)
                    throw;
                OnCellError(static_cast<int32_t>(Rows[k]), E);
            }
        }
    }
}

void TTableParser::SetColumn(int Index, const TKvRealVector* Vector)
{
    if (Index < 0 || Index >= ColumnCount)
        throw ERangeError("i=" + std::to_string(Index) + " index out of range");
    FColumns[static_cast<size_t>(Index)].Vector = Vector;
}

void TTableParser::SetColumns(std::span<const TKvRealVector* const> Vectors)
{
    for (int i = 0; i < ColumnCount; ++i)
        FColumns[static_cast<size_t>(i)].Vector =
            static_cast<size_t>(i) < Vectors.size() ? Vectors[static_cast<size_t>(i)] : nullptr;
}

} // namespace kv
