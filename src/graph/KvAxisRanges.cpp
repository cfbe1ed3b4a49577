#include "KvAxisRanges.h"

#include <cmath>

namespace kv {

TKvAxisRanges::TExtent TKvAxisRanges::ExtentOf(const TRange& Range)
{
    TExtent E;
    if (Range.IsEmpty())
        return E;
    // The ends in the order a full scan includes them, with its comparisons:
    // a NaN end adds nothing, equal ends keep the first.
    for (const double X : {Range.Start(), Range.Stop()}) {
        if (std::isnan(X))
            continue;
        if (!(X >= E.Lo))
            E.Lo = X;
        if (X > E.Hi)
            E.Hi = X;
    }
    return E;
}

void TKvAxisRanges::Include(const TExtent& E)
{
    if (FStale)
        return;
    if (E.Lo < FUnion.Lo)
        FUnion.Lo = E.Lo, FLoCount = 1;
    else if (E.Lo == FUnion.Lo)
        ++FLoCount;
    if (E.Hi > FUnion.Hi)
        FUnion.Hi = E.Hi, FHiCount = 1;
    else if (E.Hi == FUnion.Hi)
        ++FHiCount;
}

void TKvAxisRanges::Drop(const TExtent& E)
{
    if (FStale)
        return;
    // Only the last item at an end leaves the union without knowing its
    // new end.
    if (E.Lo == FUnion.Lo && --FLoCount == 0)
        FStale = true;
    if (E.Hi == FUnion.Hi && --FHiCount == 0)
        FStale = true;
}

void TKvAxisRanges::Rescan()
{
    FUnion = {};
    FLoCount = FHiCount = 0;
    FStale = false;
    for (const TItem& Item : FItems)
        Include(Item.Extent);
}

void TKvAxisRanges::Add(TRange* Range)
{
    if (Contains(Range)) {
        Changed(*Range);
        return;
    }
    FIndex.emplace(Range, FItems.size());
    FItems.push_back({Range, ExtentOf(*Range)});
    Include(FItems.back().Extent);
}

void TKvAxisRanges::Remove(TRange* Range)
{
    const auto It = FIndex.find(Range);
    if (It == FIndex.end())
        return;
    const size_t i = It->second;
    FIndex.erase(It);
    Drop(FItems[i].Extent);
    // The order of the ranges means nothing to the union: the last one
    // fills the gap.
    if (i + 1 != FItems.size()) {
        FItems[i] = FItems.back();
        FIndex[FItems[i].Range] = i;
    }
    FItems.pop_back();
}

void TKvAxisRanges::Changed(const TRange& Range)
{
    const auto It = FIndex.find(&Range);
    if (It == FIndex.end())
        return;
    TExtent& Extent = FItems[It->second].Extent;
    const TExtent Old = Extent;
    Extent = ExtentOf(Range);
    // Included first: a range that moves past the union's end stays the
    // only one there, and dropping its old extent must not leave it stale.
    Include(Extent);
    Drop(Old);
}

void TKvAxisRanges::Refresh()
{
    for (TItem& Item : FItems)
        Item.Extent = ExtentOf(*Item.Range);
    Rescan();
}

double TKvAxisRanges::Start()
{
    if (FStale)
        Rescan();
    return FUnion.Lo;
}

double TKvAxisRanges::Stop()
{
    if (FStale)
        Rescan();
    return FUnion.Hi;
}

} // namespace kv
