#pragma once
// The quicksort of SortPairs over any sequence that offers
// Key(i) and Swap(i, j): Hoare partitioning around the middle element's
// value, insertion for short partitions, recursion into the smaller part,
// and a heap sort for a partition that keeps splitting badly (so that no
// input makes the sort quadratic). Used by the engines for pairs and for
// (X, Y, weight) triples; not part of the public interface.

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <utility>
#include <vector>

namespace kv::sortpoints {

template <class TSequence>
void InsertionSort(TSequence& S, int64_t lo, int64_t hi)
{
    for (int64_t i = lo + 1; i <= hi; ++i)
        for (int64_t j = i; j > lo && S.Key(j) < S.Key(j - 1); --j)
            S.Swap(j, j - 1);
}

template <class TSequence>
void SiftDown(TSequence& S, int64_t lo, int64_t Root, int64_t Count)
{
    for (;;) {
        int64_t Child = 2 * Root + 1;
        if (Child >= Count)
            return;
        if (Child + 1 < Count && S.Key(lo + Child) < S.Key(lo + Child + 1))
            ++Child;
        if (!(S.Key(lo + Root) < S.Key(lo + Child)))
            return;
        S.Swap(lo + Root, lo + Child);
        Root = Child;
    }
}

template <class TSequence>
void HeapSort(TSequence& S, int64_t lo, int64_t hi)
{
    const int64_t Count = hi - lo + 1;
    for (int64_t i = Count / 2; i-- > 0;)
        SiftDown(S, lo, i, Count);
    for (int64_t End = Count - 1; End > 0; --End) {
        S.Swap(lo, lo + End);
        SiftDown(S, lo, 0, End);
    }
}

template <class TSequence>
void QuickSort(TSequence& S, int64_t lo, int64_t hi, int Depth)
{
    while (hi - lo > 16) {
        if (Depth-- <= 0) {
            HeapSort(S, lo, hi);
            return;
        }
        const double Pivot = S.Key(lo + (hi - lo) / 2);
        int64_t i = lo, j = hi;
        do {
            while (S.Key(i) < Pivot)
                ++i;
            while (S.Key(j) > Pivot)
                --j;
            if (i <= j) {
                S.Swap(i, j);
                ++i;
                --j;
            }
        } while (i <= j);
        if (j - lo < hi - i) {
            if (lo < j)
                QuickSort(S, lo, j, Depth);
            lo = i;
        } else {
            if (i < hi)
                QuickSort(S, i, hi, Depth);
            hi = j;
        }
    }
    if (lo < hi)
        InsertionSort(S, lo, hi);
}

template <class TSequence>
void Sort(TSequence& S, int64_t lo, int64_t hi)
{
    if (hi <= lo)
        return;
    int Depth = 0;
    for (int64_t n = hi - lo + 1; n > 1; n >>= 1)
        Depth += 2;
    QuickSort(S, lo, hi, Depth + 8);
}

// Merges the points of equal X of a sorted vector into one point each, whose
// fields named by Fields (pointers to double members) are the plain means of
// the group's values; the merged points move to the front and their number
// is returned. A group is summed in ascending order of its values, so the
// order of the rows cannot change a mean; two points give (a + b) / 2.
template <class TPoint, class... TFields>
size_t MergeEqualX(std::vector<TPoint>& Points, TFields... Fields)
{
    size_t n = 0;
    for (size_t i = 0; i < Points.size();) {
        size_t j = i + 1;
        while (j < Points.size() && Points[j].X == Points[i].X)
            ++j;
        const auto First = Points.begin() + static_cast<std::ptrdiff_t>(i);
        const auto Last = Points.begin() + static_cast<std::ptrdiff_t>(j);
        if (j - i > 2)
            std::sort(First, Last, [&](const TPoint& a, const TPoint& b) {
                return std::tie(a.*Fields...) < std::tie(b.*Fields...);
            });
        TPoint Merged = *First;
        if (j - i > 1) {
            auto Mean = [&](double TPoint::*Field) {
                long double Sum = (*First).*Field;
                for (auto P = First + 1; P != Last; ++P)
                    Sum += (*P).*Field;
                return static_cast<double>(Sum / static_cast<long double>(j - i));
            };
            ((Merged.*Fields = Mean(Fields)), ...);
        }
        Points[n++] = Merged;
        i = j;
    }
    return n;
}

} // namespace kv::sortpoints
