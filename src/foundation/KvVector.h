#pragma once
// Growable vectors of numbers and pixel points.
//
// Elements are contiguous. Capacity is always greater than Count and grows
// in multiples of Delta: the first growth adds Delta (50 to 100), later ones
// grow by about half the capacity, so appending n values costs O(n).
// Clear keeps the allocation.

#include "KvErrors.h"

#include <cstdint>
#include <functional>
#include <span>
#include <unordered_map>
#include <vector>

namespace kv {

using TKvRealArray = std::vector<double>;
using TKvIntegerArray = std::vector<int32_t>;

struct TKvPoint {
    int32_t X = 0;
    int32_t Y = 0;
    friend bool operator==(const TKvPoint&, const TKvPoint&) = default;
};
using TKvPointArray = std::vector<TKvPoint>;

// The capacity that holds index N for a vector of capacity Capacity.
int32_t GrownCapacity(int32_t Capacity, int32_t Delta, int32_t N);

class TKvRealVector {
public:
    static constexpr int32_t DefaultDelta = 50;

    TKvRealVector();
    virtual ~TKvRealVector() = default;
    TKvRealVector(const TKvRealVector&) = default;
    TKvRealVector& operator=(const TKvRealVector&) = default;

    int32_t Count() const { return FCount; }
    int32_t Capacity() const { return static_cast<int32_t>(FData.size()); }
    int32_t Delta() const { return DefaultDelta; }

    // Element i; raises ERangeError "i=%d index out of range" outside 0..Count-1.
    double GetValue(int32_t i) const;
    // Unchecked access for loops that know their bounds.
    double operator[](int32_t i) const { return FData[static_cast<size_t>(i)]; }
    const double* Data() const { return FData.data(); }
    std::span<const double> Values() const { return {FData.data(), static_cast<size_t>(FCount)}; }

    virtual void SetValue(int32_t i, double X);
    int32_t Add(double X);
    virtual void Clear();
    virtual void Delete(int32_t i);
    virtual void Insert(int32_t i, double X);
    void EnsureCount(int32_t N);
    // Reserves room for N elements without changing Count.
    void Reserve(int32_t N);
    // Replaces the contents without notifications (bulk loads of plain vectors).
    void Assign(std::span<const double> Values);
    // Takes the elements of Values as its own without copying them and
    // without notifications, and hands its old storage back in Values
    // (emptied), so that a caller filling many vectors in turn reuses it.
    void SwapValues(std::vector<double>& Values);
    // Appends the values as Add does one by one (a live vector notifies
    // each), in one step for a plain vector.
    virtual void AddValues(std::span<const double> Values);

protected:
    // Moves the elements above i down by one; Count is left to the caller.
    void ShiftDown(int32_t i);
    void DecrementCount() { --FCount; }

private:
    std::vector<double> FData;
    int32_t FCount = 0;
};

// The listener of a live vector: a bound method (handler plus target).
// Two events are the same registration when both parts are equal.
struct TKvValueIChangedEvent {
    using THandler = void (*)(void* Target, double NewVal, int32_t i, bool WasDeleted);
    void* Target = nullptr;
    THandler Handler = nullptr;

    void operator()(double NewVal, int32_t i, bool WasDeleted) const { Handler(Target, NewVal, i, WasDeleted); }
    friend bool operator==(const TKvValueIChangedEvent&, const TKvValueIChangedEvent&) = default;

    // TKvValueIChangedEvent::Bind<&TSeries::ValueChanged>(this)
    template <auto Method, class T>
    static TKvValueIChangedEvent Bind(T* Object)
    {
        return {Object, [](void* Target, double NewVal, int32_t i, bool WasDeleted) {
                    (static_cast<T*>(Target)->*Method)(NewVal, i, WasDeleted);
                }};
    }
};

// The listeners in registration order. A column can have thousands (every
// series plotted over it), so registering and removing one finds it by
// hash; a removed listener leaves a gap that a later change closes.
class TKvValueIChangedList {
public:
    int32_t Count() const { return static_cast<int32_t>(FItems.size() - FGaps); }
    const TKvValueIChangedEvent& Get(int32_t i) const;
    void Clear();
    void Add(const TKvValueIChangedEvent& Event);
    void Remove(const TKvValueIChangedEvent& Event);
    // A listener may remove itself or others while it is told; those
    // removed are not told any more, the others all are.
    void Notify(double NewVal, int32_t i, bool WasDeleted) const;

private:
    struct THash {
        size_t operator()(const TKvValueIChangedEvent& E) const noexcept { return std::hash<void*>()(E.Target); }
    };
    void CloseGaps();

    // Gaps have no handler.
    std::vector<TKvValueIChangedEvent> FItems;
    std::unordered_map<TKvValueIChangedEvent, size_t, THash> FPositions;
    size_t FGaps = 0;
    // Gaps stay while a notification walks the list by position.
    mutable int32_t FNotifying = 0;
};

// A real vector that tells its listeners of every change, synchronously
// and in registration order.
class TKvLiveVector : public TKvRealVector {
public:
    TKvLiveVector() = default;
    // A copy has the values but no listeners: they registered with the original.
    TKvLiveVector(const TKvLiveVector& Other) : TKvRealVector(Other) {}
    TKvLiveVector& operator=(const TKvLiveVector&) = delete;

    TKvValueIChangedList& Listeners() { return FListeners; }
    const TKvValueIChangedList& Listeners() const { return FListeners; }

    void SetValue(int32_t i, double X) override;
    void Clear() override;
    void Delete(int32_t i) override;
    void AddValues(std::span<const double> Values) override;

private:
    TKvValueIChangedList FListeners;
};

// Shared growth and storage of the pixel-point and integer vectors.
template <class TElement>
class TKvPlainVector {
public:
    explicit TKvPlainVector(int32_t ADelta) : FDelta(ADelta > 0 ? ADelta : 50) { FData.resize(static_cast<size_t>(FDelta)); }
    virtual ~TKvPlainVector() = default;

    int32_t Count() const { return FCount; }
    int32_t Capacity() const { return static_cast<int32_t>(FData.size()); }
    int32_t Delta() const { return FDelta; }
    void Clear() { FCount = 0; }
    void EnsureCount(int32_t N)
    {
        if (N >= Capacity())
            FData.resize(static_cast<size_t>(GrownCapacity(Capacity(), FDelta, N)));
        if (N >= FCount)
            FCount = N;
    }
    void SetCount(int32_t N)
    {
        EnsureCount(N);
        FCount = N;
    }
    TElement* DataPtr(int32_t i) { return FData.data() + i; }
    const TElement* DataPtr(int32_t i) const { return FData.data() + i; }
    std::span<const TElement> Values() const { return {FData.data(), static_cast<size_t>(FCount)}; }

protected:
    const TElement& Checked(int32_t i) const;
    void Store(int32_t i, const TElement& Value)
    {
        EnsureCount(i + 1);
        FData[static_cast<size_t>(i)] = Value;
    }

private:
    std::vector<TElement> FData;
    int32_t FCount = 0;
    int32_t FDelta;
};

class TKvPointVector : public TKvPlainVector<TKvPoint> {
public:
    explicit TKvPointVector(int32_t ADelta = 50) : TKvPlainVector(ADelta) {}
    void GetPoint(int32_t i, TKvPoint& P) const { P = Checked(i); }
    TKvPoint* PointPtr(int32_t i) { return DataPtr(i); }
    const TKvPoint* PointPtr(int32_t i) const { return DataPtr(i); }
    virtual void SetPoint(int32_t i, const TKvPoint& P) { Store(i, P); }
};

class TKvIntegerVector : public TKvPlainVector<int32_t> {
public:
    explicit TKvIntegerVector(int32_t ADelta = 50) : TKvPlainVector(ADelta) {}
    int32_t GetValue(int32_t i) const { return Checked(i); }
    virtual void SetValue(int32_t i, int32_t V) { Store(i, V); }
};

template <class TElement>
const TElement& TKvPlainVector<TElement>::Checked(int32_t i) const
{
    // The message has no placeholder; it is the one the callers expect.
    if (i < 0 || i >= FCount)
        throw ERangeError("Error during floating point number extraction");
    return FData[static_cast<size_t>(i)];
}

} // namespace kv
