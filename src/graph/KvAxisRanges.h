#pragma once
// The ranges of the series drawn against one axis, referred to but not
// owned, and the union of them all kept up to date range by range.
//
// Loading a graph changes the ranges of thousands of series one at a time;
// scanning all ranges after each change made that quadratic. Each range's
// last seen extent is kept here, so a change only folds the new extent in.
// A full scan is needed only when the last range that reached the union's
// start (or stop) moves inwards or goes, and then only when the union is
// next read.

#include "foundation/KvRange.h"

#include <cstddef>
#include <unordered_map>
#include <vector>

namespace kv {

class TKvAxisRanges {
public:
    // Adds a range (again: nothing changes) with its present extent.
    void Add(TRange* Range);
    void Remove(TRange* Range);
    int Count() const { return static_cast<int>(FItems.size()); }
    TRange* operator[](int i) const { return FItems[static_cast<size_t>(i)].Range; }
    bool Contains(const TRange* Range) const { return FIndex.contains(Range); }

    // Takes the new extent of a range of the list; other ranges are ignored.
    void Changed(const TRange& Range);
    // Reads every range's extent again, as if each had reported a change.
    void Refresh();

    // The smallest start and the largest stop of the ranges, NaN ends left
    // out, empty ranges left out: what including the ends of every range
    // into a reset TRange gives.
    double Start();
    double Stop();

private:
    // What a range adds to the union: the smaller and the larger of its
    // ends that are numbers; an empty range adds the neutral ends.
    struct TExtent {
        double Lo = KvMissing, Hi = -KvMissing;
    };
    struct TItem {
        TRange* Range;
        TExtent Extent;
    };
    static TExtent ExtentOf(const TRange& Range);
    void Include(const TExtent& E);
    void Drop(const TExtent& E);
    void Rescan();

    std::vector<TItem> FItems;
    std::unordered_map<const TRange*, size_t> FIndex;
    // The union and how many items reach each of its ends; valid unless
    // FStale.
    TExtent FUnion;
    size_t FLoCount = 0, FHiCount = 0;
    bool FStale = false;
};

} // namespace kv
