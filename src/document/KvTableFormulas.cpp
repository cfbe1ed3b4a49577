// Formula columns of the table: preparing the text, evaluating row by row,
// and renaming column letters when columns move.

#include "KvDataTable.h"

#include "foundation/KvErrors.h"
#include "foundation/KvMissing.h"
#include "foundation/KvStrings.h"

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

constexpr int32_t LetterCount = 26; // formulas name columns A to Z only

std::string ReplaceRandom(std::string Text)
{
    constexpr std::string_view Word = "RANDOM";
    constexpr std::string_view Call = "Random(1)";
    std::string Upper = UpperCase(Text);
    size_t Pos = 0;
    while ((Pos = Upper.find(Word, Pos)) != std::string::npos) {
        Text.replace(Pos, Word.size(), Call);
        Upper.replace(Pos, Word.size(), UpperCase(Call));
        Pos += Call.size();
    }
    return Text;
}

char Letter(int32_t k) { return static_cast<char>('A' + k - 1); }

} // namespace

std::string PrepareFormula(std::string_view Formula)
{
    std::string Text = ReplaceRandom(RemoveSpaces(Formula));
    for (char L = 'A'; L <= 'Z'; ++L)
        Text = ReplaceVariableInFormula(Text, L, std::string{L} + "(#)");
    return Text;
}

// A formula can only name the lettered columns, and in a table narrower
// than 26 only those that exist; letters past that are left alone so they
// keep failing instead of silently reading a neighbour.
std::string RenameForInsertedColumn(std::string_view Formula, int32_t k, int32_t N)
{
    const int32_t Last = std::min(N, LetterCount);
    std::string Text{Formula};
    if (k < 1 || k > Last)
        return Text;
    Text = ReplaceVariable(Text, Letter(Last), "ColOutOfRange");
    for (int32_t j = Last - 1; j >= k; --j)
        Text = ReplaceVariable(Text, Letter(j), std::string{Letter(j + 1)});
    return Text;
}

std::string RenameForDeletedColumn(std::string_view Formula, int32_t k, int32_t N)
{
    const int32_t Last = std::min(N, LetterCount);
    std::string Text{Formula};
    if (k < 1 || k > Last)
        return Text;
    Text = ReplaceVariable(Text, Letter(k), "ColDeleted");
    for (int32_t j = k + 1; j <= Last; ++j)
        Text = ReplaceVariable(Text, Letter(j), std::string{Letter(j - 1)});
    return Text;
}

std::vector<TKvRealVector*> TKvDataTable::ColumnVectors()
{
    std::vector<TKvRealVector*> Vectors;
    Vectors.reserve(FColumns.size());
    for (TKvTableColumn& C : FColumns)
        Vectors.push_back(C.Data.get());
    return Vectors;
}

void TKvDataTable::EvaluateColumn(int32_t Column, int32_t From, int32_t To)
{
    TKvTableColumn& C = this->Column(Column);
    if (From < 1 || From > MaxRows)
        throw ERangeError("Row " + std::to_string(From) + " does not exist");
    if (To > MaxRows)
        throw ERangeError("Row " + std::to_string(To) + " is beyond the table's last row");
    if (!FEngine)
        FEngine = CreateTableFormula();
    const std::vector<TKvRealVector*> Vectors = ColumnVectors();
    FEngine->BindColumns(Vectors);
    // A formula that does not compile fails in every row with the same
    // message, so the user sees each affected cell.
    std::string CompileError;
    try {
        FEngine->SetExpression(PrepareFormula(C.Formula));
    } catch (const EKvError& E) {
        CompileError = E.what();
    }
    TKvLiveVector& Values = *C.Data;
    // A faulty row holds 0 (reported); one past the column's end gets it
    // only when a later row is stored, the rows never computed stay empty.
    int32_t FaultsFrom = -1;
    const auto Store = [&](int32_t i, double X) {
        if (FaultsFrom >= 0)
            for (int32_t r = std::max(FaultsFrom, Values.Count()); r < i; ++r)
                StoreValue(Values, r, 0.0);
        FaultsFrom = -1;
        StoreValue(Values, i, X);
    };
    for (int64_t p = From; p <= To; ++p) {
        const int32_t Row = static_cast<int32_t>(p);
        std::string Error = CompileError;
        if (Error.empty()) {
            try {
                const double X = FEngine->Value(Row);
                if (std::isfinite(X)) {
                    Store(Row - 1, X);
                    continue;
                }
                Error = "Invalid floating point operation";
            } catch (const EMissingValue&) {
                // An empty operand: the result is empty too, and no fault.
                Store(Row - 1, MissingValue());
                continue;
            } catch (const EKvError& E) {
                Error = E.what();
            }
        }
        if (Values.Count() >= Row)
            Values.SetValue(Row - 1, 0.0);
        else if (FaultsFrom < 0)
            FaultsFrom = Row - 1;
        ReportCellError(Column, Row, Error);
    }
}

void TKvDataTable::RecalculateColumn(int32_t Column)
{
    TKvTableColumn& C = this->Column(Column);
    if (!C.LiveFormula)
        return;
    C.Data->Clear();
    EvaluateColumn(Column, 1, MaxDataCount());
}

void TKvDataTable::RecalculateAll()
{
    const int32_t Count = MaxDataCount();
    for (int32_t k = 1; k <= MaxColumns(); ++k) {
        TKvTableColumn& C = Column(k);
        if (!C.LiveFormula)
            continue;
        C.Data->Clear();
        if (Count > 0)
            EvaluateColumn(k, 1, Count);
    }
}

void TKvDataTable::ApplyFormula(int32_t Column, const std::string& Formula, bool Live, int32_t From, int32_t To)
{
    TKvTableColumn& C = this->Column(Column);
    Live = Live && !Formula.empty();
    C.LiveFormula = Live;
    C.Formula = Formula;
    if (Live) {
        RecalculateColumn(Column);
    } else if (!Formula.empty()) {
        if (From > To)
            std::swap(From, To);
        EvaluateColumn(Column, From, To);
        EnsureRows(To);
        RecalculateIfLive();
    }
    MarkModified();
}

double TKvDataTable::CheckFormula(const std::string& Formula, int32_t Row)
{
    if (!FEngine)
        FEngine = CreateTableFormula();
    const std::vector<TKvRealVector*> Vectors = ColumnVectors();
    FEngine->BindColumns(Vectors);
    FEngine->SetExpression(PrepareFormula(Formula));
    double X = 0;
    try {
        X = FEngine->Value(Row);
    } catch (const EMissingValue&) {
        return MissingValue(); // the formula is right; the row has an empty cell
    }
    if (!std::isfinite(X))
        throw EInvalidOp("Invalid floating point operation");
    return X;
}

void TKvDataTable::RecalculateIfLive()
{
    if (HasLiveFormula())
        RecalculateAll();
}

} // namespace kv
