#include "KvVector.h"

#include "KvErrors.h"

#include <algorithm>
#include <limits>
#include <string>

namespace kv {

int32_t GrownCapacity(int32_t Capacity, int32_t Delta, int32_t N)
{
    // Geometric growth keeps appending linear; every capacity stays a
    // multiple of Delta, and the first step from Delta is to twice Delta.
    constexpr int64_t Limit = std::numeric_limits<int32_t>::max();
    int64_t C = std::max<int64_t>(Capacity, Delta);
    while (C <= N) {
        const int64_t Step = std::max<int64_t>(Delta, (C / 2 + Delta - 1) / Delta * Delta);
        C = std::min(C + Step, Limit);
        if (C == Limit)
            break;
    }
    return static_cast<int32_t>(C);
}

// ---------------------------------------------------------------- TKvRealVector

TKvRealVector::TKvRealVector() : FData(static_cast<size_t>(DefaultDelta)) {}

double TKvRealVector::GetValue(int32_t i) const
{
    if (i < 0 || i >= FCount)
        throw ERangeError("i=" + std::to_string(i) + " index out of range");
    return FData[static_cast<size_t>(i)];
}

void TKvRealVector::EnsureCount(int32_t N)
{
    if (N >= Capacity())
        FData.resize(static_cast<size_t>(GrownCapacity(Capacity(), DefaultDelta, N)));
    if (N >= FCount)
        FCount = N;
}

void TKvRealVector::Reserve(int32_t N)
{
    if (N >= Capacity())
        FData.resize(static_cast<size_t>(GrownCapacity(Capacity(), DefaultDelta, N)));
}

void TKvRealVector::SetValue(int32_t i, double X)
{
    EnsureCount(i + 1);
    FData[static_cast<size_t>(i)] = X;
}

int32_t TKvRealVector::Add(double X)
{
    EnsureCount(FCount + 1);
    SetValue(FCount - 1, X);
    return FCount;
}

void TKvRealVector::Clear() { FCount = 0; }

void TKvRealVector::ShiftDown(int32_t i)
{
    std::copy(FData.begin() + i + 1, FData.begin() + FCount, FData.begin() + i);
}

void TKvRealVector::Delete(int32_t i)
{
    if (i < 0 || i >= FCount)
        return;
    ShiftDown(i);
    --FCount;
}

void TKvRealVector::Insert(int32_t i, double X)
{
    if (i < 0 || i >= FCount)
        return;
    EnsureCount(FCount + 1);
    std::copy_backward(FData.begin() + i, FData.begin() + FCount - 1, FData.begin() + FCount);
    SetValue(i, X);
}

void TKvRealVector::Assign(std::span<const double> Values)
{
    const auto N = static_cast<int32_t>(Values.size());
    FCount = 0;
    Reserve(N);
    std::copy(Values.begin(), Values.end(), FData.begin());
    FCount = N;
}

void TKvRealVector::SwapValues(std::vector<double>& Values)
{
    const auto N = static_cast<int32_t>(Values.size());
    // The capacity stays a multiple of Delta above Count: the room for it
    // is made first, so the resize below never copies.
    const auto Capacity = static_cast<size_t>((N / DefaultDelta + 1) * DefaultDelta);
    if (Values.capacity() < Capacity)
        Values.reserve(Capacity);
    FData.swap(Values);
    FData.resize(Capacity);
    FCount = N;
    Values.clear();
}

void TKvRealVector::AddValues(std::span<const double> Values)
{
    const int32_t Old = FCount;
    EnsureCount(Old + static_cast<int32_t>(Values.size()));
    std::copy(Values.begin(), Values.end(), FData.begin() + Old);
}

// ---------------------------------------------------------------- listeners

const TKvValueIChangedEvent& TKvValueIChangedList::Get(int32_t i) const
{
    if (i < 0 || i >= Count())
        throw ERangeError("i=" + std::to_string(i) + " index out of range");
    if (FGaps == 0)
        return FItems[static_cast<size_t>(i)];
    for (const TKvValueIChangedEvent& E : FItems)
        if (E.Handler && i-- == 0)
            return E;
    throw ERangeError("listener list out of step"); // never: Count counts the listeners
}

void TKvValueIChangedList::Clear()
{
    FItems.clear();
    FPositions.clear();
    FGaps = 0;
}

void TKvValueIChangedList::Add(const TKvValueIChangedEvent& Event)
{
    // Registered again: moves to the end.
    Remove(Event);
    FPositions[Event] = FItems.size();
    FItems.push_back(Event);
}

void TKvValueIChangedList::Remove(const TKvValueIChangedEvent& Event)
{
    const auto It = FPositions.find(Event);
    if (It == FPositions.end())
        return;
    FItems[It->second] = {};
    FPositions.erase(It);
    ++FGaps;
    if (FNotifying == 0 && FGaps * 2 > FItems.size())
        CloseGaps();
}

void TKvValueIChangedList::CloseGaps()
{
    std::erase_if(FItems, [](const TKvValueIChangedEvent& E) { return E.Handler == nullptr; });
    for (size_t k = 0; k < FItems.size(); ++k)
        FPositions[FItems[k]] = k;
    FGaps = 0;
}

void TKvValueIChangedList::Notify(double NewVal, int32_t i, bool WasDeleted) const
{
    // Indexed, and no gap closed meanwhile, so listeners that remove
    // themselves or others, or register new ones, do not upset the loop.
    ++FNotifying;
    struct TDone {
        int32_t& Depth;
        ~TDone() { --Depth; }
    } Done{FNotifying};
    for (size_t k = 0; k < FItems.size(); ++k)
        if (const TKvValueIChangedEvent E = FItems[k]; E.Handler)
            E(NewVal, i, WasDeleted);
}

// ---------------------------------------------------------------- TKvLiveVector

void TKvLiveVector::SetValue(int32_t i, double X)
{
    TKvRealVector::SetValue(i, X);
    FListeners.Notify(X, i, false);
}

void TKvLiveVector::AddValues(std::span<const double> Values)
{
    for (double X : Values)
        Add(X);
}

void TKvLiveVector::Clear()
{
    FListeners.Notify(0, -1, true);
    TKvRealVector::Clear();
}

void TKvLiveVector::Delete(int32_t i)
{
    if (i < 0 || i >= Count())
        return;
    // Listeners see the moved elements but the old Count, as they expect.
    ShiftDown(i);
    FListeners.Notify(0, i, true);
    DecrementCount();
}

} // namespace kv
