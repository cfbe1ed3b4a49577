#include "KvCalculatedSeries.h"

#include "KvAxis.h"
#include "KvGraph2D.h"

#include "foundation/KvMissing.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <typeinfo>

namespace kv {

namespace {

// Raises an error of the same kind as E with another message.
template <class T>
void RethrowAs(const EKvError& E, const std::string& Message)
{
    if (dynamic_cast<const T*>(&E))
        throw T(Message);
}

[[noreturn]] void RethrowWithMessage(const EKvError& E, const std::string& Message)
{
    RethrowAs<EInvalidOp>(E, Message);
    RethrowAs<EZeroDivide>(E, Message);
    RethrowAs<EOverflow>(E, Message);
    RethrowAs<EMathError>(E, Message);
    RethrowAs<EMathParserError>(E, Message);
    RethrowAs<ERangeError>(E, Message);
    RethrowAs<EConvertError>(E, Message);
    RethrowAs<EFileError>(E, Message);
    throw EKvError(Message);
}

} // namespace

TKvCalculatedSeries::TKvCalculatedSeries(TKv2DGraph* AGraph) : TKvSeries(AGraph) {}

TKvCalculatedSeries::~TKvCalculatedSeries()
{
    // The report values of a curve that is gone must not reach reports.
    EraseResults();
    // The vectors die before the base: let go of them first.
    SetXData(nullptr);
    SetYData(nullptr);
}

void DeleteCalculation(TKvCalculatedSeries* Curve)
{
    if (Curve == nullptr)
        return;
    TKvSeries* Parent = Curve->ParentSeries();
    TKv2DGraph* G = Curve->Graph();
    if (Parent)
        std::erase_if(Parent->Children, [Curve](const auto& C) { return C.get() == Curve; });
    if (G)
        G->RequestLayout();
}

// ---- parent

void TKvCalculatedSeries::SetParentSeries(TKvSeries* Value)
{
    FParentSeries = Value;
    if (Value == nullptr)
        return;
    SetXAxis(Value->XAxis());
    SetYAxis(Value->YAxis());
    JoinParent();
}

void TKvCalculatedSeries::JoinParent()
{
    SetXData(&XValues);
    SetYData(&YValues);
    const bool Owned = std::any_of(FParentSeries->Children.begin(), FParentSeries->Children.end(),
                                   [this](const auto& C) { return C.get() == this; });
    if (!Owned)
        throw EConvertError("A calculated series must be created in its parent's child list");
    UpdateRanges();
    CalculateIfReady();
}

void TKvCalculatedSeries::CalculateIfReady()
{
    if (FParentSeries && FParentSeries->XData() && FParentSeries->YData() &&
        std::min(FParentSeries->XData()->Count(), FParentSeries->YData()->Count()) > 0)
        Calculate();
}

// ---- the base operations

std::string TKvCalculatedSeries::GetFormula() const { return "no Function defined"; }

double TKvCalculatedSeries::Evaluate(double x) { return x; }

void TKvCalculatedSeries::CalculateFunction() { throw EMathError(CalculateFunctionMissingText); }

std::string TKvCalculatedSeries::CalculationID() const { return "No Calculation-ID defined"; }

void TKvCalculatedSeries::WriteResults(TKvIniList& List, std::string_view Section) const
{
    List.WriteString(Section, "Calculation", CalculationID());
    List.WriteString(Section, "Caption", Caption().toStdString());
    List.WriteString(Section, "Formula", GetFormula());
    List.WriteFloat(Section, "CalcStart", FCalculationStart);
    List.WriteFloat(Section, "CalcStop", FCalculationStop);
    List.WriteFloat(Section, "DisplayStart", FDisplayStart);
    List.WriteFloat(Section, "DisplayStop", FDisplayStop);
    // How many points went in: missing values and the calculation range
    // leave points out.
    List.WriteInteger(Section, "PointsUsed", PointsUsed());
}

// ---- ranges

void TKvCalculatedSeries::SetCalculationStart(double Value)
{
    FAutoStart = false;
    FCalculationStart = Value;
}

void TKvCalculatedSeries::SetCalculationStop(double Value)
{
    FAutoStop = false;
    FCalculationStop = Value;
}

void TKvCalculatedSeries::SetDisplayStart(double Value)
{
    FCouple = false;
    FDisplayAutoStart = false;
    FDisplayStart = Value;
}

void TKvCalculatedSeries::SetDisplayStop(double Value)
{
    FCouple = false;
    FDisplayAutoStop = false;
    FDisplayStop = Value;
}

void TKvCalculatedSeries::SetCoupleCalculationAndDisplay(bool Value)
{
    if (Value == FCouple)
        return;
    FCouple = Value;
    if (FCalculationStart != FDisplayStart || FCalculationStop != FDisplayStop)
        CalculateIfReady();
}

void TKvCalculatedSeries::UpdateRanges()
{
    if (FParentSeries) {
        // Ranges still waiting for a full scan (data just bound or deleted)
        // are brought up to date first.
        if (FParentSeries->RangesDirty)
            FParentSeries->Recompute();
        if (FAutoStart)
            FCalculationStart = FParentSeries->XRange().Start();
        if (FAutoStop)
            FCalculationStop = FParentSeries->XRange().Stop();
    }
    if (FCouple) {
        FDisplayStart = FCalculationStart;
        FDisplayStop = FCalculationStop;
        return;
    }
    if (FXAxis && FDisplayAutoStart)
        FDisplayStart = FXAxis->Start();
    if (FXAxis && FDisplayAutoStop)
        FDisplayStop = FXAxis->Stop();
}

bool TKvCalculatedSeries::LogX() const { return FXAxis && FXAxis->Scaling() != TKvAxScaling::AxNormal; }
bool TKvCalculatedSeries::LogY() const { return FYAxis && FYAxis->Scaling() != TKvAxScaling::AxNormal; }

// ---- calculation

void TKvCalculatedSeries::GatherParentPoints()
{
    const TKvRealVector* X = FParentSeries->XData();
    const TKvRealVector* Y = FParentSeries->YData();
    const TKvRealVector* W = FParentSeries->Weight();
    FHasWeights = W != nullptr;
    FCompleteX.clear();
    FCompleteY.clear();
    FCompleteW.clear();
    // The engines use the points below the smallest count of the vectors.
    const int32_t n = std::min({X->Count(), Y->Count(), W ? W->Count() : INT32_MAX});
    const double* Xs = X->Data();
    const double* Ys = Y->Data();
    const double* Ws = W ? W->Data() : nullptr;
    // One pass that the compiler can keep tight; without a missing or
    // non-finite value the engines read the parent's vectors in place.
    bool Finite = true;
    for (int32_t i = 0; i < n; ++i)
        Finite &= std::isfinite(Xs[i]) & std::isfinite(Ys[i]);
    for (int32_t i = 0; Ws && i < n; ++i)
        Finite &= std::isfinite(Ws[i]);
    if (Finite) {
        FParentX = {Xs, static_cast<size_t>(n)};
        FParentY = {Ys, static_cast<size_t>(n)};
        FParentW = {Ws, Ws ? static_cast<size_t>(n) : 0};
        return;
    }
    // A point with a missing X, Y or weight takes no part, as a point
    // outside the calculation range; any other value that is not a number
    // cannot come from the table and is an error.
    for (int32_t i = 0; i < n; ++i) {
        const bool Missing = IsMissing(Xs[i]) || IsMissing(Ys[i]) || (Ws && IsMissing(Ws[i]));
        if (!Missing) {
            const char* What = !std::isfinite(Xs[i]) ? "X" : !std::isfinite(Ys[i]) ? "Y" : nullptr;
            if (What == nullptr && Ws && !std::isfinite(Ws[i]))
                What = "weight";
            if (What)
                throw EMathError(std::string("The ") + What + " value of data point " + std::to_string(i + 1) +
                                 " is not a finite number");
            FCompleteX.push_back(Xs[i]);
            FCompleteY.push_back(Ys[i]);
            if (Ws)
                FCompleteW.push_back(Ws[i]);
        }
    }
    if (FCompleteX.empty())
        throw EMathError(NoCompleteDataText);
    FParentX = FCompleteX;
    FParentY = FCompleteY;
    FParentW = FCompleteW;
}

std::optional<std::span<const double>> TKvCalculatedSeries::ParentW() const
{
    if (!FHasWeights)
        return std::nullopt;
    return FParentW;
}

int32_t TKvCalculatedSeries::PointsUsed() const
{
    int32_t Used = 0;
    for (double x : FParentX)
        Used += FCalculationStart <= x && x <= FCalculationStop;
    return Used;
}

void TKvCalculatedSeries::Calculate()
{
    struct TBusy {
        bool& Flag;
        explicit TBusy(bool& F) : Flag(F) { Flag = true; }
        ~TBusy() { Flag = false; }
    } Busy(FCalculating);
    LastError.clear();
    UpdateRanges();
    XValues.Clear();
    YValues.Clear();
    try {
        if (FParentSeries) {
            if (!FParentSeries->XData() || !FParentSeries->YData())
                throw EMathError("Not enough data!");
            GatherParentPoints();
        }
        CalculateFunction();
        // A curve never shows a value that is not a number.
        for (int32_t i = 0; i < YValues.Count(); ++i)
            if (!std::isfinite(YValues[i]))
                throw EMathError("The curve has a value that is not a finite number at X = " +
                                 std::to_string(XValues[i]));
    } catch (const EKvError& E) {
        XValues.Clear();
        YValues.Clear();
        const std::string Message = Caption().toStdString() + ": " + E.what();
        LastError = QString::fromStdString(Message);
        // A failed calculation has no results: those of an earlier one must
        // not reach reports as if they were current.
        EraseResults();
        if (!OnError)
            RethrowWithMessage(E, Message);
        OnError(*this, EMathError(Message));
    }
    MarkChanged();
    if (OnCalculated)
        OnCalculated(*this);
    if (FParentSeries && LastError.isEmpty()) {
        // Keys of an earlier calculation (more extrema, another section
        // name) must not stay behind.
        const std::string Section = ResultsSection();
        EraseResults();
        FParentSeries->Results.EraseSection(Section);
        WriteResults(FParentSeries->Results, Section);
        FWrittenSection = Section;
    }
}

void TKvCalculatedSeries::EraseResults()
{
    if (FParentSeries && !FWrittenSection.empty())
        FParentSeries->Results.EraseSection(FWrittenSection);
    FWrittenSection.clear();
}

void TKvCalculatedSeries::Recalculate()
{
    if (FCalculating)
        return;
    try {
        Calculate();
    } catch (const EKvError& E) {
        LastError = QString::fromUtf8(E.what());
    }
}

void TKvCalculatedSeries::FillDisplayX()
{
    const double Lo = FDisplayStart, Hi = FDisplayStop;
    if (!FXAxis || !(Lo <= Hi) || !std::isfinite(Lo) || !std::isfinite(Hi))
        return;
    // On a twisted axis the pixels decrease with the value: the number of
    // columns is the distance between the two ends either way.
    const int64_t a = FXAxis->RealToIntPosition(Hi), b = FXAxis->RealToIntPosition(Lo);
    const int64_t Columns = std::min<int64_t>(std::llabs(a - b) + 1, MaxDisplaySamples);
    const double Step = (Hi - Lo) / static_cast<double>(Columns);
    if (!(Step > 0)) {
        XValues.Add(Lo);
        return;
    }
    XValues.Reserve(static_cast<int32_t>(Columns) + 2);
    double x = Lo;
    for (int64_t k = 0; k <= Columns && x <= Hi; ++k, x += Step)
        XValues.Add(x);
}

void TKvCalculatedSeries::FillCurve()
{
    FillDisplayX();
    YValues.Reserve(XValues.Count());
    for (int32_t i = 0; i < XValues.Count(); ++i)
        YValues.Add(Evaluate(XValues[i]));
}

QString TKvCalculatedSeries::IndexSuffix() const
{
    if (!FParentSeries)
        return {};
    int32_t n = 0;
    for (const auto& C : FParentSeries->Children) {
        if (typeid(*C) == typeid(*this))
            ++n;
        if (C.get() == this)
            break;
    }
    return n > 1 ? QStringLiteral(" (%1)").arg(n) : QString();
}

std::string TKvCalculatedSeries::ResultsSection() const
{
    std::string S = CalculationID() + IndexSuffix().toStdString();
    std::erase(S, ' ');
    return S;
}

// ---- persistence

void TKvCalculatedSeries::SaveToIni(TKvIniList& Ini, std::string_view Section) const
{
    TKvSeries::SaveToIni(Ini, Section);
    Ini.WriteBool(Section, "AutoStart", FAutoStart);
    Ini.WriteBool(Section, "AutoStop", FAutoStop);
    Ini.WriteBool(Section, "CoupleCalcAndDisplay", FCouple);
    Ini.WriteBool(Section, "DisplayAutoStart", FDisplayAutoStart);
    Ini.WriteBool(Section, "DisplayAutoStop", FDisplayAutoStop);
    Ini.WriteString(Section, "Calculation", CalculationID());
    Ini.WriteString(Section, "Formula", GetFormula());
    // A range end the user set is kept exactly; one taken from the data or
    // the axis is found again on loading.
    const auto WriteEnd = [&](std::string_view Key, double Value, bool Automatic) {
        if (Automatic)
            Ini.WriteFloat(Section, Key, Value);
        else
            Ini.WriteExactFloat(Section, Key, Value);
    };
    WriteEnd("CalcStart", FCalculationStart, FAutoStart);
    WriteEnd("CalcStop", FCalculationStop, FAutoStop);
    WriteEnd("DisplayStart", FDisplayStart, FCouple ? FAutoStart : FDisplayAutoStart);
    WriteEnd("DisplayStop", FDisplayStop, FCouple ? FAutoStop : FDisplayAutoStop);
}

void TKvCalculatedSeries::LoadFromIni(const TKvIniList& Ini, std::string_view Section)
{
    TKvSeries::LoadFromIni(Ini, Section);
    FAutoStart = Ini.ReadBool(Section, "AutoStart", FAutoStart);
    FCalculationStart = Ini.ReadFloat(Section, "CalcStart", FCalculationStart);
    FAutoStop = Ini.ReadBool(Section, "AutoStop", FAutoStop);
    FCalculationStop = Ini.ReadFloat(Section, "CalcStop", FCalculationStop);
    FCouple = Ini.ReadBool(Section, "CoupleCalcAndDisplay", FCouple);
    FDisplayAutoStart = Ini.ReadBool(Section, "DisplayAutoStart", FDisplayAutoStart);
    FDisplayStart = Ini.ReadFloat(Section, "DisplayStart", FDisplayStart);
    FDisplayAutoStop = Ini.ReadBool(Section, "DisplayAutoStop", FDisplayAutoStop);
    FDisplayStop = Ini.ReadFloat(Section, "DisplayStop", FDisplayStop);
}

} // namespace kv
