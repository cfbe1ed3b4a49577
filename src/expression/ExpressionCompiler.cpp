#include "ExpressionCompiler.h"

#include "ExpressionOperations.h"
#include "foundation/KvFormatSettings.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#if defined(__GLIBC__) || defined(__APPLE__)
#include <clocale>
#include <locale.h>
#define KV_HAVE_STRTOD_L 1
#endif

namespace kv {

namespace {

constexpr double PiValue = 3.141592653589793;

// The term forms. The compiler proper tries Number .. Call2 in this order;
// the validity check inside the splitting forms also accepts Bracket.
enum TForm : int {
    FmNumber,
    FmVariable,
    FmNegate,
    FmSum,
    FmDifference,
    FmProduct,
    FmDiv,
    FmMod,
    FmQuotient,
    FmPower,
    FmCall1,
    FmCall2,
    FmBracket,
    FormCount
};

constexpr uint16_t Bit(int F) { return static_cast<uint16_t>(1u << F); }
constexpr uint16_t AllForms = static_cast<uint16_t>((1u << FormCount) - 1);
constexpr uint16_t TwelveForms = static_cast<uint16_t>(AllForms & ~Bit(FmBracket));
constexpr uint16_t CallForms = Bit(FmCall1) | Bit(FmCall2);
constexpr uint16_t QuotientSides = Bit(FmNumber) | Bit(FmVariable) | Bit(FmBracket) | Bit(FmNegate) | Bit(FmDiv) |
                                   Bit(FmMod) | Bit(FmQuotient) | Bit(FmPower) | CallForms;
constexpr uint16_t QuotientRight = Bit(FmNumber) | Bit(FmVariable) | Bit(FmBracket) | Bit(FmPower) | CallForms;
constexpr uint16_t PowerSides = Bit(FmNumber) | Bit(FmVariable) | Bit(FmBracket) | CallForms;
constexpr uint16_t NegateRest = Bit(FmBracket) | Bit(FmVariable) | Bit(FmPower) | CallForms;

struct TBinaryForm {
    const char* Operator;
    int Length;
    uint16_t Left;
    uint16_t Right;
    uint8_t Token;
};

// Indexed by form - FmSum for the binary forms Sum .. Power.
constexpr TBinaryForm BinaryForms[] = {
    {"+", 1, static_cast<uint16_t>(AllForms & ~Bit(FmSum)), static_cast<uint16_t>(AllForms & ~Bit(FmNegate)), TkSum},
    {"-", 1, static_cast<uint16_t>(AllForms & ~Bit(FmSum)),
     static_cast<uint16_t>(AllForms & ~(Bit(FmSum) | Bit(FmDifference) | Bit(FmNegate))), TkDifference},
    {"*", 1, static_cast<uint16_t>(AllForms & ~(Bit(FmSum) | Bit(FmDifference) | Bit(FmProduct))),
     static_cast<uint16_t>(AllForms & ~(Bit(FmSum) | Bit(FmDifference) | Bit(FmNegate))), TkProduct},
    {"DIV", 3, QuotientSides, QuotientRight, TkIntegerDiv},
    {"MOD", 3, QuotientSides, QuotientRight, TkModulo},
    {"/", 1, QuotientSides, QuotientRight, TkQuotient},
    {"^", 1, PowerSides, PowerSides, TkPower},
};
constexpr int BinaryFormCount = 7;

// The order in which a set of forms is tried for validity (cheap first);
// the result does not depend on it.
constexpr std::array<int, FormCount> CheckOrder = {FmNumber, FmVariable, FmBracket,  FmCall1,   FmCall2,
                                                   FmNegate, FmPower,    FmQuotient, FmMod,     FmDiv,
                                                   FmProduct, FmDifference, FmSum};

// ---------------------------------------------------------------------------
// Number literals.

bool ParseLiteral(std::string_view S, char Separator, double& Value)
{
    if (S == "PI") {
        Value = PiValue;
        return true;
    }
    if (S == "-PI") {
        Value = -PiValue;
        return true;
    }
    const size_t N = S.size();
    size_t k = 0;
    if (k < N && (S[k] == '+' || S[k] == '-'))
        ++k;
    size_t Digits = 0;
    while (k < N && S[k] >= '0' && S[k] <= '9') {
        ++k;
        ++Digits;
    }
    if (k < N && S[k] == Separator) {
        ++k;
        while (k < N && S[k] >= '0' && S[k] <= '9') {
            ++k;
            ++Digits;
        }
    }
    if (Digits == 0)
        return false;
    if (k < N && S[k] == 'E') {
        ++k;
        if (k < N && (S[k] == '+' || S[k] == '-'))
            ++k;
        size_t ExponentDigits = 0;
        while (k < N && S[k] >= '0' && S[k] <= '9') {
            ++k;
            ++ExponentDigits;
        }
        if (ExponentDigits == 0)
            return false;
    }
    if (k != N)
        return false;
    std::string Buffer(S);
    for (char& C : Buffer)
        if (C == Separator)
            C = '.';
#ifdef KV_HAVE_STRTOD_L
    static const locale_t CLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    char* End = nullptr;
    const double V = strtod_l(Buffer.c_str(), &End, CLocale);
#else
    const char* Begin = Buffer.c_str();
    if (*Begin == '+')
        ++Begin;
    double V = 0;
    const auto R = std::from_chars(Begin, Buffer.c_str() + Buffer.size(), V);
    if (R.ec == std::errc::result_out_of_range)
        V = std::strtod(Buffer.c_str(), nullptr);
#endif
    if (!std::isfinite(V))
        return false; // beyond the double range
    Value = V;
    return true;
}

// ---------------------------------------------------------------------------
// The memoised validity of (substring, form) pairs.

class TTermMatcher {
public:
    TTermMatcher(const std::string& Text, const TVariableList& Variables, const TFunctionList& One,
                 const TFunctionList& Two, char DecimalSeparator, char ListSeparator);

    const std::string& Text() const { return FText; }
    bool Match(int i, int j, int Form);
    bool MatchAny(int i, int j, uint16_t Mask);
    // Strips enclosing brackets while the range is a bracketed term.
    void Strip(int& i, int& j);
    // The leftmost split of a binary form that matches (position of the
    // operator), or -1.
    int BinarySplit(int i, int j, int Form);
    // The separator position of a two-argument call that matches, or -1.
    int CallSplit(int i, int j);
    int FirstBracket(int i) const { return FNextParen[static_cast<size_t>(i)]; }
    double* VariableCell(int i, int j) const;
    const TFunctionEntry* FunctionOne(int i, int q) const;
    const TFunctionEntry* FunctionTwo(int i, int q) const;
    bool NumberValue(int i, int j, double& V) const
    {
        return ParseLiteral(std::string_view(FText).substr(static_cast<size_t>(i), static_cast<size_t>(j - i)),
                            FDecimalSeparator, V);
    }
    char ListSeparator() const { return FListSeparator; }

private:
    struct TFrame {
        int I;
        int J;
        int Form;
        int State;
    };

    uint32_t GetMemo(int i, int j) const;
    void SetMemo(int i, int j, int Form, bool Value);
    // 1 or 0 when known (leaf forms and quick rejections are decided at
    // once); -1 after pushing a frame that will decide it.
    int Query(int i, int j, int Form);
    int QueryAny(int i, int j, uint16_t Mask);
    int Step(TFrame& F);
    void Run();
    const std::vector<int>& Candidates(int Binary, int Depth) const;
    bool CanStart(char C) const { return FCanStart[static_cast<unsigned char>(C)]; }
    bool CanEnd(char C) const { return FCanEnd[static_cast<unsigned char>(C)]; }

    const std::string& FText;
    const int FLength;
    const char FDecimalSeparator;
    const char FListSeparator;
    std::vector<int> FDepth;     // bracket count of FText[0, k)
    std::vector<int> FNextParen; // first "(" at or after k (or length)
    std::vector<int> FNextSeparator;
    // Operator positions per binary form, grouped by bracket depth.
    std::array<std::unordered_map<int, std::vector<int>>, BinaryFormCount> FOperators;
    std::unordered_map<std::string_view, double*> FVariables;
    std::unordered_map<std::string_view, const TFunctionEntry*> FOne;
    std::unordered_map<std::string_view, const TFunctionEntry*> FTwo;
    size_t FLongestVariable = 0;
    std::array<bool, 256> FCanStart{};
    std::array<bool, 256> FCanEnd{};
    // Memo: low 16 bits "known", high 16 bits "valid", per form. A flat
    // table for texts up to FlatLimit characters, a hash table beyond.
    static constexpr int FlatLimit = 1200;
    std::vector<uint32_t> FFlat;
    std::unordered_map<uint64_t, uint32_t> FSparse;
    std::vector<TFrame> FStack;
};

TTermMatcher::TTermMatcher(const std::string& Text, const TVariableList& Variables, const TFunctionList& One,
                           const TFunctionList& Two, char DecimalSeparator, char ListSeparator)
    : FText(Text), FLength(static_cast<int>(Text.size())), FDecimalSeparator(DecimalSeparator),
      FListSeparator(ListSeparator)
{
    const size_t N = Text.size();
    FDepth.resize(N + 1);
    for (size_t k = 0; k < N; ++k)
        FDepth[k + 1] = FDepth[k] + (Text[k] == '(' ? 1 : Text[k] == ')' ? -1 : 0);
    FNextParen.resize(N + 1);
    FNextSeparator.resize(N + 1);
    FNextParen[N] = static_cast<int>(N);
    FNextSeparator[N] = static_cast<int>(N);
    for (size_t k = N; k-- > 0;) {
        FNextParen[k] = Text[k] == '(' ? static_cast<int>(k) : FNextParen[k + 1];
        FNextSeparator[k] = Text[k] == ListSeparator ? static_cast<int>(k) : FNextSeparator[k + 1];
    }
    for (int b = 0; b < BinaryFormCount; ++b) {
        const std::string_view Op = BinaryForms[b].Operator;
        for (size_t k = 0; k + Op.size() <= N; ++k)
            if (std::string_view(Text).substr(k, Op.size()) == Op)
                FOperators[static_cast<size_t>(b)][FDepth[k]].push_back(static_cast<int>(k));
    }
    for (int k = 0; k < Variables.Count(); ++k) {
        const std::string& Name = Variables.Name(k);
        if (Name.empty())
            continue;
        FVariables.emplace(Name, Variables.Item(k));
        FLongestVariable = std::max(FLongestVariable, Name.size());
        FCanStart[static_cast<unsigned char>(Name.front())] = true;
        FCanEnd[static_cast<unsigned char>(Name.back())] = true;
    }
    for (int k = 0; k < One.Count(); ++k)
        if (!One.Name(k).empty()) {
            FOne.emplace(One.Name(k), &One.Item(k));
            FCanStart[static_cast<unsigned char>(One.Name(k).front())] = true;
        }
    for (int k = 0; k < Two.Count(); ++k)
        if (!Two.Name(k).empty()) {
            FTwo.emplace(Two.Name(k), &Two.Item(k));
            FCanStart[static_cast<unsigned char>(Two.Name(k).front())] = true;
        }
    for (char C = '0'; C <= '9'; ++C) {
        FCanStart[static_cast<unsigned char>(C)] = true;
        FCanEnd[static_cast<unsigned char>(C)] = true;
    }
    for (char C : {'+', '-', '(', 'P', DecimalSeparator})
        FCanStart[static_cast<unsigned char>(C)] = true;
    for (char C : {')', 'I', DecimalSeparator})
        FCanEnd[static_cast<unsigned char>(C)] = true;
    if (FLength <= FlatLimit)
        FFlat.assign(static_cast<size_t>(FLength + 1) * static_cast<size_t>(FLength + 1), 0u);
}

uint32_t TTermMatcher::GetMemo(int i, int j) const
{
    if (!FFlat.empty())
        return FFlat[static_cast<size_t>(i) * static_cast<size_t>(FLength + 1) + static_cast<size_t>(j)];
    auto It = FSparse.find((static_cast<uint64_t>(i) << 32) | static_cast<uint32_t>(j));
    return It == FSparse.end() ? 0u : It->second;
}

void TTermMatcher::SetMemo(int i, int j, int Form, bool Value)
{
    const uint32_t Bits = (1u << Form) | (Value ? (1u << (16 + Form)) : 0u);
    if (!FFlat.empty())
        FFlat[static_cast<size_t>(i) * static_cast<size_t>(FLength + 1) + static_cast<size_t>(j)] |= Bits;
    else
        FSparse[(static_cast<uint64_t>(i) << 32) | static_cast<uint32_t>(j)] |= Bits;
}

double* TTermMatcher::VariableCell(int i, int j) const
{
    if (static_cast<size_t>(j - i) > FLongestVariable)
        return nullptr;
    auto It = FVariables.find(std::string_view(FText).substr(static_cast<size_t>(i), static_cast<size_t>(j - i)));
    return It == FVariables.end() ? nullptr : It->second;
}

const TFunctionEntry* TTermMatcher::FunctionOne(int i, int q) const
{
    auto It = FOne.find(std::string_view(FText).substr(static_cast<size_t>(i), static_cast<size_t>(q - i)));
    return It == FOne.end() ? nullptr : It->second;
}

const TFunctionEntry* TTermMatcher::FunctionTwo(int i, int q) const
{
    auto It = FTwo.find(std::string_view(FText).substr(static_cast<size_t>(i), static_cast<size_t>(q - i)));
    return It == FTwo.end() ? nullptr : It->second;
}

const std::vector<int>& TTermMatcher::Candidates(int Binary, int Depth) const
{
    static const std::vector<int> None;
    const auto& Map = FOperators[static_cast<size_t>(Binary)];
    auto It = Map.find(Depth);
    return It == Map.end() ? None : It->second;
}

int TTermMatcher::Query(int i, int j, int Form)
{
    const uint32_t M = GetMemo(i, j);
    if (M & (1u << Form))
        return (M >> (16 + Form)) & 1u;
    // Quick decisions; everything that needs sub-terms gets a frame.
    bool Decided = true;
    bool Result = false;
    if (j <= i || !CanStart(FText[static_cast<size_t>(i)]) || !CanEnd(FText[static_cast<size_t>(j - 1)])) {
        Result = false;
    } else {
        switch (Form) {
        case FmNumber: {
            double V;
            Result = NumberValue(i, j, V);
            break;
        }
        case FmVariable:
            Result = VariableCell(i, j) != nullptr;
            break;
        case FmBracket:
            Decided = !(j - i >= 2 && FText[static_cast<size_t>(i)] == '(' && FText[static_cast<size_t>(j - 1)] == ')');
            break;
        case FmNegate:
            Decided = !(j - i >= 2 && FText[static_cast<size_t>(i)] == '-');
            break;
        case FmCall1: {
            const int q = FNextParen[static_cast<size_t>(i)];
            Decided = !(q < j && FunctionOne(i, q));
            break;
        }
        case FmCall2: {
            const int q = FNextParen[static_cast<size_t>(i)];
            Decided = !(q < j && FText[static_cast<size_t>(j - 1)] == ')' && FunctionTwo(i, q));
            break;
        }
        default: { // binary forms
            const TBinaryForm& B = BinaryForms[Form - FmSum];
            if (FDepth[static_cast<size_t>(i)] != FDepth[static_cast<size_t>(j)] || j - i < B.Length + 2) {
                Decided = true;
                break;
            }
            const std::vector<int>& C = Candidates(Form - FmSum, FDepth[static_cast<size_t>(i)]);
            const auto Start = std::lower_bound(C.begin(), C.end(), i + 1);
            Decided = Start == C.end() || *Start > j - 1 - B.Length;
            if (!Decided) {
                FStack.push_back({i, j, Form, static_cast<int>(Start - C.begin())});
                return -1;
            }
            break;
        }
        }
    }
    if (Decided) {
        SetMemo(i, j, Form, Result);
        return Result ? 1 : 0;
    }
    FStack.push_back({i, j, Form, 0});
    return -1;
}

int TTermMatcher::QueryAny(int i, int j, uint16_t Mask)
{
    if (j <= i || !CanStart(FText[static_cast<size_t>(i)]) || !CanEnd(FText[static_cast<size_t>(j - 1)]))
        return 0;
    const uint32_t M = GetMemo(i, j);
    if ((M >> 16) & Mask)
        return 1;
    if ((M & Mask) == Mask)
        return 0; // every form of the set is known to fail
    for (int F : CheckOrder) {
        if (!(Mask & Bit(F)) || (M & (1u << F)))
            continue;
        const int R = Query(i, j, F);
        if (R != 0)
            return R;
    }
    return 0;
}

int TTermMatcher::Step(TFrame& F)
{
    const int i = F.I;
    const int j = F.J;
    switch (F.Form) {
    case FmBracket:
        // Layer k: the shell [i + k - 1, j - k + 1) must be "(" ... ")", and
        // the inside valid as one of the twelve forms or bracketed again.
        for (int k = std::max(F.State, 1);; ++k) {
            const int a = i + k - 1;
            const int b = j - k + 1;
            if (b - a < 2 || FText[static_cast<size_t>(a)] != '(' || FText[static_cast<size_t>(b - 1)] != ')') {
                F.State = k;
                return 0;
            }
            F.State = k;
            const int R = QueryAny(a + 1, b - 1, TwelveForms);
            if (R != 0)
                return R;
        }
    case FmNegate:
        return QueryAny(i + 1, j, NegateRest);
    case FmCall1:
        return Query(FNextParen[static_cast<size_t>(i)], j, FmBracket);
    case FmCall2: {
        const int q = FNextParen[static_cast<size_t>(i)];
        // Separators s with at least one character on each side inside
        // the brackets: q + 1 < s < j - 2.
        int s = F.State > 0 ? F.State : FNextSeparator[static_cast<size_t>(q + 1)];
        for (; s < j - 2; s = FNextSeparator[static_cast<size_t>(s + 1)]) {
            if (s <= q + 1)
                continue;
            int R = QueryAny(q + 1, s, AllForms);
            if (R < 0) {
                F.State = s;
                return -1;
            }
            if (R == 0)
                continue;
            R = QueryAny(s + 1, j - 1, AllForms);
            if (R < 0) {
                F.State = s;
                return -1;
            }
            if (R > 0)
                return 1;
        }
        return 0;
    }
    default: {
        const TBinaryForm& B = BinaryForms[F.Form - FmSum];
        const std::vector<int>& C = Candidates(F.Form - FmSum, FDepth[static_cast<size_t>(i)]);
        for (size_t k = static_cast<size_t>(F.State); k < C.size(); ++k) {
            const int p = C[k];
            if (p > j - 1 - B.Length)
                break;
            int R = QueryAny(i, p, B.Left);
            if (R < 0) {
                F.State = static_cast<int>(k);
                return -1;
            }
            if (R == 0)
                continue;
            R = QueryAny(p + B.Length, j, B.Right);
            if (R < 0) {
                F.State = static_cast<int>(k);
                return -1;
            }
            if (R > 0)
                return 1;
        }
        return 0;
    }
    }
}

void TTermMatcher::Run()
{
    while (!FStack.empty()) {
        const size_t Top = FStack.size() - 1;
        TFrame F = FStack[Top];
        const int R = Step(F);
        if (R < 0) {
            FStack[Top].State = F.State;
            continue;
        }
        SetMemo(F.I, F.J, F.Form, R > 0);
        if (F.Form == FmBracket)
            // The shells inside lead to the same core through the same
            // layers: they are bracketed terms exactly when this one is.
            // Recording them keeps stripping many layers linear.
            for (int m = 1; m < F.State; ++m)
                SetMemo(F.I + m, F.J - m, FmBracket, R > 0);
        FStack.pop_back();
    }
}

bool TTermMatcher::Match(int i, int j, int Form)
{
    int R = Query(i, j, Form);
    if (R < 0) {
        Run();
        R = static_cast<int>((GetMemo(i, j) >> (16 + Form)) & 1u);
    }
    return R > 0;
}

bool TTermMatcher::MatchAny(int i, int j, uint16_t Mask)
{
    for (;;) {
        const int R = QueryAny(i, j, Mask);
        if (R >= 0)
            return R > 0;
        Run();
    }
}

void TTermMatcher::Strip(int& i, int& j)
{
    while (Match(i, j, FmBracket)) {
        ++i;
        --j;
    }
}

int TTermMatcher::BinarySplit(int i, int j, int Form)
{
    const TBinaryForm& B = BinaryForms[Form - FmSum];
    if (FDepth[static_cast<size_t>(i)] != FDepth[static_cast<size_t>(j)])
        return -1;
    const std::vector<int>& C = Candidates(Form - FmSum, FDepth[static_cast<size_t>(i)]);
    for (auto It = std::lower_bound(C.begin(), C.end(), i + 1); It != C.end() && *It <= j - 1 - B.Length; ++It)
        if (MatchAny(i, *It, B.Left) && MatchAny(*It + B.Length, j, B.Right))
            return *It;
    return -1;
}

int TTermMatcher::CallSplit(int i, int j)
{
    const int q = FNextParen[static_cast<size_t>(i)];
    for (int s = FNextSeparator[static_cast<size_t>(q + 1)]; s < j - 2; s = FNextSeparator[static_cast<size_t>(s + 1)])
        if (s > q + 1 && MatchAny(q + 1, s, AllForms) && MatchAny(s + 1, j - 1, AllForms))
            return s;
    return -1;
}

// ---------------------------------------------------------------------------
// The tree walk and the operations.

// A reference to a cell: an external (variable) cell or one of the
// compiled list's own cells by index.
struct TCellRef {
    double* External = nullptr;
    int Own = -1;
};

struct TBuildOperation {
    TCellRef Arg1;
    TCellRef Arg2;
    int Dest = -1;
    TOperationProc Proc = nullptr;
    const void* Context = nullptr;
    TBlockProc Block = nullptr;
    uint8_t Token = 0;
};

} // namespace

class TExpressionBuilder {
public:
    TExpressionBuilder(TTermMatcher& Matcher, bool* ParseError) : FMatcher(Matcher), FParseError(ParseError)
    {
        for (auto& Row : FMatrix)
            Row.fill(-1);
        FCounters.fill(0);
    }

    std::unique_ptr<TCompiledExpression> Build(int i, int j);

private:
    struct TTerm {
        int I;
        int J;
        int Level;
        int Position;
        int ArgIndex;
    };

    void Visit(const TTerm& T);
    int Recognise(int i, int j);
    [[noreturn]] void RaiseSyntaxError(int i, int j);
    int NewCell(double Value)
    {
        FCellValues.push_back(Value);
        return static_cast<int>(FCellValues.size() - 1);
    }
    void SetArgument(const TTerm& T, TCellRef Cell)
    {
        TBuildOperation& Op = FOperations[static_cast<size_t>(FMatrix[static_cast<size_t>(T.Level)][static_cast<size_t>(T.Position)])];
        (T.ArgIndex == 1 ? Op.Arg1 : Op.Arg2) = Cell;
    }
    // Creates a child term's entry (with the limit checks).
    void CheckLimits(int Level, int Position)
    {
        if (Level > MaxNestingLevel) {
            SetParseError();
            throw ETooManyNestings();
        }
        if (Position > MaxLevelPositions) {
            SetParseError();
            throw EExpressionTooComplex();
        }
    }
    void SetParseError()
    {
        if (FParseError)
            *FParseError = true;
    }

    TTermMatcher& FMatcher;
    bool* FParseError;
    std::array<std::array<int, MaxLevelPositions + 1>, MaxNestingLevel + 1> FMatrix{};
    std::array<int, MaxNestingLevel + 1> FCounters{};
    std::vector<TBuildOperation> FOperations;
    std::vector<double> FCellValues;
    int FDeepest = 0;
};

int TExpressionBuilder::Recognise(int i, int j)
{
    for (int F = FmNumber; F <= FmCall2; ++F)
        if (FMatcher.Match(i, j, F))
            return F;
    return -1;
}

void TExpressionBuilder::RaiseSyntaxError(int i, int j)
{
    // The operand texts the plain algorithm leaves on the failing term: the
    // sides of the last split attempted, in form order.
    const std::string& Text = FMatcher.Text();
    const std::string_view S = std::string_view(Text).substr(static_cast<size_t>(i), static_cast<size_t>(j - i));
    const int L = static_cast<int>(S.size());
    std::string Operand1 = " ";
    std::string Operand2 = " ";
    for (int b = 0; b < BinaryFormCount; ++b) {
        const std::string_view Op = BinaryForms[b].Operator;
        const int N = static_cast<int>(Op.size());
        // The last usable occurrence: at least one character before and after.
        for (int p = L - 1 - N; p >= 1; --p)
            if (S.substr(static_cast<size_t>(p), static_cast<size_t>(N)) == Op) {
                Operand1 = std::string(S.substr(0, static_cast<size_t>(p)));
                Operand2 = std::string(S.substr(static_cast<size_t>(p + N)));
                break;
            }
    }
    const int q = FMatcher.FirstBracket(i);
    if (q < j && FMatcher.FunctionOne(i, q)) {
        // The argument: the text between that "(" and the final ")".
        const int End = Text[static_cast<size_t>(j - 1)] == ')' && j - 1 > q ? j - 1 : j;
        Operand1 = Text.substr(static_cast<size_t>(q + 1), static_cast<size_t>(End - q - 1));
        Operand2.clear();
    }
    if (q < j && Text[static_cast<size_t>(j - 1)] == ')' && j - 1 > q && FMatcher.FunctionTwo(i, q)) {
        Operand1 = Text.substr(static_cast<size_t>(q + 1), static_cast<size_t>(j - 2 - q));
        Operand2.clear();
        for (int s = j - 3; s > q + 1; --s)
            if (Text[static_cast<size_t>(s)] == FMatcher.ListSeparator()) {
                Operand1 = Text.substr(static_cast<size_t>(q + 1), static_cast<size_t>(s - q - 1));
                Operand2 = Text.substr(static_cast<size_t>(s + 1), static_cast<size_t>(j - 2 - s));
                break;
            }
    }
    SetParseError();
    if (Operand1 == " " && Operand2 == " ")
        throw ESyntaxError("Error parsing expression:\r" + std::string(S));
    throw ESyntaxError("Error parsing expression:\r" + Operand1 + "\r" + Operand2);
}

void TExpressionBuilder::Visit(const TTerm& T)
{
    const int Form = Recognise(T.I, T.J);
    if (Form < 0) {
        if (T.Level == 0)
            RaiseSyntaxError(T.I, T.J);
        throw EParserInternalError(); // children are valid by construction
    }
    if (Form == FmNumber) {
        double V = 0;
        FMatcher.NumberValue(T.I, T.J, V);
        SetArgument(T, TCellRef{nullptr, NewCell(V)});
        return;
    }
    if (Form == FmVariable) {
        SetArgument(T, TCellRef{FMatcher.VariableCell(T.I, T.J), -1});
        return;
    }

    // An operator or call: the operand ranges, the token and the procedure.
    int A1 = 0, B1 = 0, A2 = 0, B2 = 0;
    bool Binary = false;
    uint8_t Token = 0;
    TOperationProc Proc = nullptr;
    const void* Context = nullptr;
    TBlockProc Block = nullptr;
    switch (Form) {
    case FmNegate:
        A1 = T.I + 1;
        B1 = T.J;
        Token = TkNegate;
        break;
    case FmCall1: {
        const int q = FMatcher.FirstBracket(T.I);
        const TFunctionEntry* E = FMatcher.FunctionOne(T.I, q);
        A1 = q;
        B1 = T.J;
        FMatcher.Strip(A1, B1);
        Token = TkFunctionOne;
        Proc = E->Proc;
        Context = E->Context;
        Block = E->Block;
        break;
    }
    case FmCall2: {
        const int q = FMatcher.FirstBracket(T.I);
        const TFunctionEntry* E = FMatcher.FunctionTwo(T.I, q);
        const int s = FMatcher.CallSplit(T.I, T.J);
        if (s < 0)
            throw EParserInternalError();
        A1 = q + 1;
        B1 = s;
        A2 = s + 1;
        B2 = T.J - 1;
        Binary = true;
        Token = TkFunctionTwo;
        Proc = E->Proc;
        Context = E->Context;
        Block = E->Block;
        break;
    }
    default: {
        const int p = FMatcher.BinarySplit(T.I, T.J, Form);
        if (p < 0)
            throw EParserInternalError();
        const TBinaryForm& B = BinaryForms[Form - FmSum];
        A1 = T.I;
        B1 = p;
        A2 = p + B.Length;
        B2 = T.J;
        Binary = true;
        Token = B.Token;
        if (Form == FmPower) {
            int a = A2, b = B2;
            FMatcher.Strip(a, b);
            double V = 0;
            if (FMatcher.Match(a, b, FmNumber) && FMatcher.NumberValue(a, b, V)) {
                const double N = std::trunc(V);
                if (N != V)
                    Token = TkPower;
                else if (N == 2 || N == 3 || N == 4) {
                    Token = static_cast<uint8_t>(N == 2 ? TkSquare : N == 3 ? TkCube : TkFourthPower);
                    Binary = false; // the exponent is not compiled
                } else
                    Token = TkIntegerPower;
            }
        }
        break;
    }
    }
    FMatcher.Strip(A1, B1);
    if (Binary)
        FMatcher.Strip(A2, B2);

    // The first child and this term's operation at the child's entry.
    const int Level = T.Level + 1;
    const int Position = FCounters[static_cast<size_t>(std::min(Level, MaxNestingLevel))] + 1;
    CheckLimits(Level, Position);
    TBuildOperation Op;
    Op.Token = Token;
    Op.Proc = Token < TkFunctionOne ? OperationProcs[Token] : Proc;
    Op.Context = Context;
    Op.Block = Block;
    Op.Dest = NewCell(0.0);
    const int OpIndex = static_cast<int>(FOperations.size());
    FOperations.push_back(Op);
    FMatrix[static_cast<size_t>(Level)][static_cast<size_t>(Position)] = OpIndex;
    SetArgument(T, TCellRef{nullptr, Op.Dest});
    FDeepest = std::max(FDeepest, Level);
    if (!Binary)
        ++FCounters[static_cast<size_t>(Level)];
    Visit(TTerm{A1, B1, Level, Position, 1});
    if (Binary) {
        CheckLimits(Level, Position);
        ++FCounters[static_cast<size_t>(Level)];
        Visit(TTerm{A2, B2, Level, Position, 2});
    }
}

std::unique_ptr<TCompiledExpression> TExpressionBuilder::Build(int i, int j)
{
    // The placeholder at (0, 1) receives the value of the whole expression.
    FOperations.push_back(TBuildOperation{});
    FMatrix[0][1] = 0;
    Visit(TTerm{i, j, 0, 1, 1});

    // The evaluation order: deepest level first, positions in order.
    std::vector<int> Order;
    if (FDeepest == 0)
        Order.push_back(0);
    else
        for (int L = FDeepest; L >= 1; --L)
            for (int P = 1; P <= FCounters[static_cast<size_t>(L)]; ++P)
                Order.push_back(FMatrix[static_cast<size_t>(L)][static_cast<size_t>(P)]);

    auto Result = std::make_unique<TCompiledExpression>();
    Result->FCellCount = FCellValues.size();
    Result->FCells = std::make_unique<double[]>(std::max<size_t>(FCellValues.size(), 1));
    std::copy(FCellValues.begin(), FCellValues.end(), Result->FCells.get());
    Result->FCount = Order.size();
    Result->FOps = std::make_unique<TOperationRecord[]>(Order.size());
    Result->FDepth = FDeepest;
    double* Cells = Result->FCells.get();
    auto Resolve = [Cells](const TCellRef& C) -> double* { return C.Own >= 0 ? Cells + C.Own : C.External; };
    for (size_t k = 0; k < Order.size(); ++k) {
        const TBuildOperation& B = FOperations[static_cast<size_t>(Order[k])];
        TOperationRecord& R = Result->FOps[k];
        R.Arg1 = Resolve(B.Arg1);
        R.Arg2 = Resolve(B.Arg2);
        R.Token = B.Token;
        R.Context = B.Context;
        R.Block = B.Block;
        if (FDeepest == 0) {
            // A single number or variable: the placeholder is the list.
            R.Dest = Resolve(B.Arg1);
            R.Proc = OperationProcs[TkVariable];
        } else {
            R.Dest = Cells + B.Dest;
            R.Proc = B.Proc;
        }
        R.Next = k + 1 < Order.size() ? &Result->FOps[k + 1] : nullptr;
    }
    Result->FResult = Result->FOps[Order.size() - 1].Dest;
    return Result;
}

std::unique_ptr<TCompiledExpression> ParseExpression(std::string_view Source, const TVariableList& VariableList,
                                                     const TFunctionList& OneArgFunctions,
                                                     const TFunctionList& TwoArgFunctions, bool InvariantNumbers,
                                                     bool* ParseError)
{
    if (ParseError)
        *ParseError = false;
    // 1. Upper case (a to z only); 2. trim blanks (character 32 only).
    std::string Text(Source);
    for (char& C : Text)
        if (C >= 'a' && C <= 'z')
            C = static_cast<char>(C - 'a' + 'A');
    const size_t First = Text.find_first_not_of(' ');
    if (First == std::string::npos)
        Text.clear();
    else
        Text = Text.substr(First, Text.find_last_not_of(' ') - First + 1);
    // 3. No blank may remain.
    if (Text.find(' ') != std::string::npos)
        throw EExpressionHasBlanks();
    // 4. The bracket totals.
    int Count = 0;
    for (char C : Text)
        Count += C == '(' ? 1 : C == ')' ? -1 : 0;
    if (Count > 0)
        throw EMissMatchingBracket("Missing brackets in expression (\")\")");
    if (Count < 0)
        throw EMissMatchingBracket("Missing brackets in expression (\"(\")");

    const TKvFormatSettings& Settings = FormatSettings();
    TTermMatcher Matcher(Text, VariableList, OneArgFunctions, TwoArgFunctions,
                         InvariantNumbers ? '.' : Settings.DecimalSeparator, Settings.ListSeparator);
    // 5. Strip enclosing brackets of the whole text.
    int i = 0;
    int j = static_cast<int>(Text.size());
    Matcher.Strip(i, j);
    TExpressionBuilder Builder(Matcher, ParseError);
    return Builder.Build(i, j);
}

} // namespace kv
