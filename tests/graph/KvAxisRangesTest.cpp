// The union of an axis' ranges kept up range by range against a full scan:
// after every grow, shrink, empty, NaN end, removal and re-adding, the data
// range and the axis ends equal those of an axis that scans all its ranges
// after each change, for every kind of end.

#include "graph/KvAxis.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace kv::test {

namespace {

constexpr int RangeCount = 4;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Inf = std::numeric_limits<double>::infinity();

enum class TOp { Set, Include, Empty, Remove, Add };

struct TEvent {
    TOp Op;
    int Range;
    double A = 0, B = 0;
};

// Two axes with the same ends over copies of the same ranges: one told
// which range changed (as series tell it), one scanning everything.
struct TAxisPair {
    TKvAxis Kept, Scanned;
    std::array<TRange, RangeCount> KeptRanges, ScannedRanges;
    std::array<bool, RangeCount> Listed{};

    TAxisPair(TKvAxEnd StartEnd, TKvAxEnd StopEnd)
    {
        for (TKvAxis* A : {&Kept, &Scanned}) {
            A->SetStartEnd(StartEnd);
            A->SetStopEnd(StopEnd);
        }
        for (int i = 0; i < RangeCount; ++i) {
            KeptRanges[size_t(i)].OnChange = [this](TRange& R) { Kept.RangeChanged(R); };
            ScannedRanges[size_t(i)].OnChange = [this](TRange&) { Scanned.RangeChanged(); };
            Kept.Ranges().Add(&KeptRanges[size_t(i)]);
            Scanned.Ranges().Add(&ScannedRanges[size_t(i)]);
            Listed[size_t(i)] = true;
        }
    }

    void Apply(const TEvent& E)
    {
        for (const bool IsKept : {true, false}) {
            TKvAxis& Axis = IsKept ? Kept : Scanned;
            TRange& R = (IsKept ? KeptRanges : ScannedRanges)[size_t(E.Range)];
            switch (E.Op) {
            case TOp::Set: R.SetRange(E.A, E.B); break;
            case TOp::Include: R.Include(E.A); break;
            case TOp::Empty: R.SetRange(KvMissing, -KvMissing); break;
            case TOp::Remove: Axis.Ranges().Remove(&R); break;
            case TOp::Add: Axis.Ranges().Add(&R); break;
            }
            // A series going away resets the zoom of its axes.
            if (E.Op == TOp::Remove || E.Op == TOp::Add)
                IsKept ? Axis.ResetZoom() : Axis.RangeChanged();
        }
        if (E.Op == TOp::Remove || E.Op == TOp::Add)
            Listed[size_t(E.Range)] = E.Op == TOp::Add;
    }

    // The union as including both ends of every listed range gives it.
    TRange ScannedUnion() const
    {
        TRange U;
        for (int i = 0; i < RangeCount; ++i)
            if (Listed[size_t(i)] && !ScannedRanges[size_t(i)].IsEmpty()) {
                U.Include(ScannedRanges[size_t(i)].Start());
                U.Include(ScannedRanges[size_t(i)].Stop());
            }
        return U;
    }

    void ExpectSame(const std::string& Where)
    {
        const TRange U = ScannedUnion();
        EXPECT_EQ(Kept.Ranges().Start(), U.Start()) << Where;
        EXPECT_EQ(Kept.Ranges().Stop(), U.Stop()) << Where;
        // Without ranges the axis keeps its last data range.
        if (Kept.Ranges().Count() > 0) {
            EXPECT_EQ(Kept.DataRange().Start(), U.Start()) << Where;
            EXPECT_EQ(Kept.DataRange().Stop(), U.Stop()) << Where;
        }
        EXPECT_EQ(Kept.Start(), Scanned.Start()) << Where;
        EXPECT_EQ(Kept.Stop(), Scanned.Stop()) << Where;
    }
};

struct TEndKind {
    const char* Name;
    TKvAxEnd Start, Stop;
};

const TEndKind EndKinds[] = {
    {"automatic", TKvAxEnd::AxAutoRange, TKvAxEnd::AxAutoRange},
    {"first set", TKvAxEnd::AxFirstSet, TKvAxEnd::AxFirstSet},
    {"fixed start, automatic stop", TKvAxEnd::AxFixed, TKvAxEnd::AxAutoRange},
};

struct TSequence {
    const char* Name;
    std::vector<TEvent> Events;
};

void PrintTo(const TSequence& S, std::ostream* Os) { *Os << S.Name; }

class AxisRangeUnion : public testing::TestWithParam<TSequence> {};

} // namespace

TEST_P(AxisRangeUnion, EqualsAFullScanAfterEveryEvent)
{
    for (const TEndKind& Kind : EndKinds) {
        TAxisPair P(Kind.Start, Kind.Stop);
        int n = 0;
        for (const TEvent& E : GetParam().Events) {
            P.Apply(E);
            P.ExpectSame(std::string(Kind.Name) + ", event " + std::to_string(++n));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, AxisRangeUnion,
    testing::Values(
        TSequence{"GrowOnly", {{TOp::Include, 0, 5}, {TOp::Include, 0, 7}, {TOp::Set, 1, -3, 2}, {TOp::Include, 2, 40}}},
        // Two ranges share the union's ends: the first moving in keeps
        // them, the second moving in gives them up.
        TSequence{"TiedEndsShrinkOneByOne",
                  {{TOp::Set, 0, 0, 10}, {TOp::Set, 1, 0, 10}, {TOp::Set, 2, 3, 4}, {TOp::Set, 0, 2, 8},
                   {TOp::Set, 1, 1, 9}, {TOp::Set, 1, 5, 6}, {TOp::Set, 0, 3.5, 3.5}}},
        TSequence{"InnerRangeShrinksAndGrowsPastTheEnds",
                  {{TOp::Set, 0, -100, 100}, {TOp::Set, 1, -1, 1}, {TOp::Set, 1, 0, 0}, {TOp::Set, 1, -200, 300},
                   {TOp::Set, 1, 0, 1}}},
        TSequence{"EmptiedAndRemovedRanges",
                  {{TOp::Set, 0, -5, 5}, {TOp::Set, 1, -2, 9}, {TOp::Empty, 1}, {TOp::Set, 2, 1, 2},
                   {TOp::Remove, 0}, {TOp::Remove, 2}, {TOp::Remove, 1}, {TOp::Add, 0}, {TOp::Set, 0, 7, 8}}},
        TSequence{"RemovedWhileNotListedChangesNothing",
                  {{TOp::Set, 0, 1, 2}, {TOp::Set, 1, 3, 4}, {TOp::Remove, 1}, {TOp::Set, 1, -50, 50},
                   {TOp::Remove, 1}, {TOp::Add, 1}, {TOp::Set, 1, 3, 3}}},
        // A NaN end adds nothing; infinite and the largest doubles fold as
        // a scan that starts from an empty range folds them.
        TSequence{"NaNInfiniteAndHugeEnds",
                  {{TOp::Set, 0, NaN, 4}, {TOp::Set, 1, 2, NaN}, {TOp::Set, 2, NaN, NaN}, {TOp::Set, 0, -Inf, Inf},
                   {TOp::Set, 0, 1, 2}, {TOp::Set, 3, KvMissing, KvMissing}, {TOp::Set, 3, Inf, Inf},
                   {TOp::Set, 1, -KvMissing, -KvMissing}, {TOp::Empty, 1}}}),
    [](const testing::TestParamInfo<TSequence>& I) { return std::string(I.param.Name); });

// Many random edits, mostly small moves where ends are often tied, as
// the ranges of series loaded from one column are.
TEST(AxisRangeUnion, RandomEditsEqualAFullScan)
{
    std::mt19937 Random(16);
    std::uniform_int_distribution<int> Op(0, 9), Which(0, RangeCount - 1), Value(-6, 6);
    for (const TEndKind& Kind : EndKinds) {
        TAxisPair P(Kind.Start, Kind.Stop);
        for (int n = 1; n <= 3000; ++n) {
            const int o = Op(Random), i = Which(Random);
            const double a = Value(Random), b = Value(Random);
            TEvent E{TOp::Set, i, std::min(a, b), std::max(a, b)};
            if (o < 3)
                E = {TOp::Include, i, a};
            else if (o == 7)
                E = {TOp::Empty, i};
            else if (o == 8)
                E = {P.Listed[size_t(i)] ? TOp::Remove : TOp::Add, i};
            P.Apply(E);
            P.ExpectSame(std::string(Kind.Name) + ", edit " + std::to_string(n));
            if (HasFailure())
                return;
        }
    }
}

} // namespace kv::test
