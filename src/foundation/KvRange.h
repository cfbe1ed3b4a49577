#pragma once
// A minimum/maximum pair. A range without data has Start above Stop:
// Start = 1.7e308, Stop = -1.7e308.

#include "KvPersistent.h"

#include <functional>
#include <vector>

namespace kv {

inline constexpr double KvMissing = 1.7e308;

class TRange : public TKvPersistent {
public:
    using TNotifyEvent = std::function<void(TRange& Sender)>;

    TRange() = default;

    double Start() const { return FStart; }
    double Stop() const { return FStop; }
    void SetStart(double Value);
    void SetStop(double Value);
    bool IsEmpty() const { return FStart > FStop; }

    TNotifyEvent OnChange;

    void Reset();
    void SetRange(double AStart, double AStop);
    // Widens the range to hold X; returns 0 (none moved), 1 (start), 2 (stop)
    // or 3 (both). NaN moves nothing.
    int Include(double X);
    void Assign(const TKvPersistent& Source) override;

private:
    void Changed();
    double FStart = KvMissing;
    double FStop = -KvMissing;
};

// Ranges referred to but not owned; each range at most once.
class TRangeList {
public:
    void Add(TRange* Range);
    void Remove(TRange* Range);
    int Count() const { return static_cast<int>(FItems.size()); }
    TRange* operator[](int i) const { return FItems[static_cast<size_t>(i)]; }
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

private:
    std::vector<TRange*> FItems;
};

} // namespace kv
