#include "foundation/KvErrors.h"
#include "foundation/KvVector.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

using namespace kv;

namespace {

// Records every notification a live vector sends.
struct Recorder {
    struct Call {
        double NewVal;
        int32_t i;
        bool WasDeleted;
        friend bool operator==(const Call&, const Call&) = default;
    };
    std::vector<Call> Calls;
    int32_t CountSeen = -1;
    const TKvRealVector* Watched = nullptr;

    void Changed(double NewVal, int32_t i, bool WasDeleted)
    {
        Calls.push_back({WasDeleted ? 0 : NewVal, i, WasDeleted});
        if (Watched)
            CountSeen = Watched->Count();
    }
    TKvValueIChangedEvent Event() { return TKvValueIChangedEvent::Bind<&Recorder::Changed>(this); }
};

std::vector<double> Contents(const TKvRealVector& V) { return {V.Values().begin(), V.Values().end()}; }

TEST(RealVector, StartsEmptyWithRoomForFifty)
{
    TKvRealVector V;
    EXPECT_EQ(V.Count(), 0);
    EXPECT_EQ(V.Capacity(), 50);
    EXPECT_EQ(V.Delta(), 50);
    for (int i = 0; i < 49; ++i)
        V.Add(i);
    EXPECT_EQ(V.Capacity(), 50);
    V.Add(49); // the 50th element: capacity must stay above count
    EXPECT_EQ(V.Count(), 50);
    EXPECT_EQ(V.Capacity(), 100);
}

TEST(RealVector, GrowthIsGeometricInMultiplesOfDelta)
{
    TKvRealVector V;
    int Growths = 0;
    int32_t Last = V.Capacity();
    for (int i = 0; i < 1000000; ++i) {
        V.Add(i);
        if (V.Capacity() != Last) {
            ++Growths;
            EXPECT_EQ(V.Capacity() % 50, 0);
            EXPECT_GT(V.Capacity(), V.Count());
            Last = V.Capacity();
        }
    }
    EXPECT_LT(Growths, 40); // linear growth would take 20000 steps
    EXPECT_EQ(V.GetValue(999999), 999999);
}

TEST(RealVector, SetValueBeyondCountFillsWithZeros)
{
    TKvRealVector V;
    V.SetValue(10, 7.5);
    EXPECT_EQ(V.Count(), 11);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(V.GetValue(i), 0);
    EXPECT_EQ(V.GetValue(10), 7.5);
    V.SetValue(5000, 1);
    EXPECT_EQ(V.Count(), 5001);
    EXPECT_GT(V.Capacity(), 5001);
}

TEST(RealVector, ReadingOutsideRaisesTheRangeError)
{
    TKvRealVector V;
    V.Add(1);
    try {
        V.GetValue(1);
        FAIL();
    } catch (const ERangeError& E) {
        EXPECT_STREQ(E.what(), "i=1 index out of range");
    }
    EXPECT_THROW(V.GetValue(-1), ERangeError);
}

TEST(RealVector, InsertAndDelete)
{
    using Ops = std::vector<double>;
    struct Case {
        const char* Name;
        Ops Start;
        std::function<void(TKvRealVector&)> Act;
        Ops Result;
    };
    const Case Cases[] = {
        {"insert at 0", {1, 2, 3}, [](TKvRealVector& V) { V.Insert(0, 9); }, {9, 1, 2, 3}},
        {"insert in middle", {1, 2, 3}, [](TKvRealVector& V) { V.Insert(2, 9); }, {1, 2, 9, 3}},
        {"insert at count is ignored", {1, 2, 3}, [](TKvRealVector& V) { V.Insert(3, 9); }, {1, 2, 3}},
        {"insert into empty is ignored", {}, [](TKvRealVector& V) { V.Insert(0, 9); }, {}},
        {"delete first", {1, 2, 3}, [](TKvRealVector& V) { V.Delete(0); }, {2, 3}},
        {"delete last", {1, 2, 3}, [](TKvRealVector& V) { V.Delete(2); }, {1, 2}},
        {"delete at count is ignored", {1, 2, 3}, [](TKvRealVector& V) { V.Delete(3); }, {1, 2, 3}},
        {"negative index is ignored", {1, 2, 3}, [](TKvRealVector& V) { V.Delete(-1); V.Insert(-1, 0); }, {1, 2, 3}},
        {"clear keeps the capacity", {1, 2, 3}, [](TKvRealVector& V) { V.Clear(); }, {}},
    };
    for (const Case& C : Cases) {
        TKvRealVector V;
        for (double X : C.Start)
            V.Add(X);
        C.Act(V);
        EXPECT_EQ(Contents(V), C.Result) << C.Name;
        EXPECT_EQ(V.Capacity(), 50) << C.Name;
    }
}

TEST(RealVector, InsertAtTheFullCapacityGrows)
{
    TKvRealVector V;
    for (int i = 0; i < 49; ++i)
        V.Add(i);
    V.Insert(0, -1);
    EXPECT_EQ(V.Count(), 50);
    EXPECT_EQ(V.GetValue(0), -1);
    EXPECT_EQ(V.GetValue(49), 48);
    EXPECT_GT(V.Capacity(), 50);
}

TEST(LiveVector, NotifiesEveryChangeInOrder)
{
    TKvLiveVector V;
    Recorder First, Second;
    V.Listeners().Add(First.Event());
    V.Listeners().Add(Second.Event());
    V.Add(1.5);                 // once, with the new index
    V.SetValue(3, 2.5);         // beyond the end
    V.Insert(0, 7);             // seen as a change at the insertion index
    V.Insert(V.Count(), 8);     // ignored, no call
    V.Delete(V.Count());        // ignored, no call
    V.Delete(1);
    V.Clear();
    using C = Recorder::Call;
    const std::vector<C> Expected = {{1.5, 0, false}, {2.5, 3, false}, {7, 0, false}, {0, 1, true}, {0, -1, true}};
    EXPECT_EQ(First.Calls, Expected);
    EXPECT_EQ(Second.Calls, Expected);
}

TEST(Vectors, AddValuesAppendsAsAddDoes)
{
    TKvRealVector Plain;
    Plain.Add(1);
    const std::vector<double> More{2, 3, 4};
    Plain.AddValues(More);
    EXPECT_EQ(Contents(Plain), (std::vector<double>{1, 2, 3, 4}));
    TKvLiveVector Live;
    Recorder R;
    Live.Listeners().Add(R.Event());
    Live.AddValues(More);
    EXPECT_EQ(Contents(Live), More);
    using C = Recorder::Call;
    EXPECT_EQ(R.Calls, (std::vector<C>{{2, 0, false}, {3, 1, false}, {4, 2, false}}));
}

TEST(LiveVector, DeleteNotifiesBeforeCountDrops)
{
    TKvLiveVector V;
    for (double X : {1.0, 2.0, 3.0})
        V.Add(X);
    Recorder R;
    R.Watched = &V;
    V.Listeners().Add(R.Event());
    V.Delete(0);
    EXPECT_EQ(R.CountSeen, 3);      // the old count during the call
    EXPECT_EQ(V.GetValue(0), 2);    // already moved down
    EXPECT_EQ(V.Count(), 2);
}

TEST(LiveVector, RegistrationsAreUniquePerHandlerAndTarget)
{
    TKvLiveVector V;
    Recorder A, B;
    V.Listeners().Add(A.Event());
    V.Listeners().Add(B.Event());
    V.Listeners().Add(A.Event()); // moves A to the end, never twice
    EXPECT_EQ(V.Listeners().Count(), 2);
    EXPECT_EQ(V.Listeners().Get(1), A.Event());
    V.Listeners().Remove(A.Event());
    V.Listeners().Remove(A.Event()); // absent: nothing happens
    V.Add(1);
    EXPECT_TRUE(A.Calls.empty());
    EXPECT_EQ(B.Calls.size(), 1u);
    EXPECT_THROW(V.Listeners().Get(5), ERangeError);
}

namespace {

// A listener that notes its name in a shared log and may act when told.
struct Named {
    char Name;
    std::string* Log;
    std::function<void()> Act;
    void Changed(double, int32_t, bool)
    {
        *Log += Name;
        if (Act)
            Act();
    }
    TKvValueIChangedEvent Event() { return TKvValueIChangedEvent::Bind<&Named::Changed>(this); }
};

} // namespace

// Removals leave the others in registration order, before, during and
// after a notification; those removed while it runs are not told.
TEST(LiveVector, ListenersKeepTheirOrderThroughRemovals)
{
    TKvLiveVector V;
    std::string Log;
    std::vector<Named> L;
    for (char c = 'a'; c <= 'h'; ++c)
        L.push_back({c, &Log, {}});
    auto& List = V.Listeners();
    for (Named& N : L)
        List.Add(N.Event());
    for (const int k : {1, 3, 4}) // b, d, e
        List.Remove(L[size_t(k)].Event());
    List.Add(L[1].Event()); // b again: at the end
    std::string Order;
    for (int32_t k = 0; k < List.Count(); ++k)
        for (Named& N : L)
            if (List.Get(k) == N.Event())
                Order += N.Name;
    EXPECT_EQ(Order, "acfghb");
    V.Add(1);
    EXPECT_EQ(Log, "acfghb");
    // c removes itself, a (told before) and g (not yet told), and
    // registers d, which is told in the same round.
    L[2].Act = [&] {
        for (const int k : {2, 0, 6})
            List.Remove(L[size_t(k)].Event());
        List.Add(L[3].Event());
    };
    Log.clear();
    V.Add(2);
    EXPECT_EQ(Log, "acfhbd");
    Log.clear();
    V.Add(3);
    EXPECT_EQ(Log, "fhbd");
    EXPECT_EQ(List.Count(), 4);
    // Every listener removed and one back: the gaps are gone.
    for (Named& N : L)
        List.Remove(N.Event());
    List.Add(L[7].Event());
    EXPECT_EQ(List.Count(), 1);
    EXPECT_EQ(List.Get(0), L[7].Event());
    EXPECT_THROW(List.Get(1), ERangeError);
}

TEST(PlainVectors, PointAndIntegerVectors)
{
    TKvPointVector P(0);
    EXPECT_EQ(P.Delta(), 50);
    EXPECT_EQ(P.Capacity(), 50);
    P.SetPoint(2, {3, 4});
    EXPECT_EQ(P.Count(), 3);
    TKvPoint Q;
    P.GetPoint(2, Q);
    EXPECT_EQ(Q, (TKvPoint{3, 4}));
    EXPECT_EQ(P.PointPtr(2)->Y, 4);
    try {
        P.GetPoint(3, Q);
        FAIL();
    } catch (const ERangeError& E) {
        EXPECT_STREQ(E.what(), "Error during floating point number extraction");
    }
    P.SetCount(1000);
    EXPECT_EQ(P.Count(), 1000);
    EXPECT_GT(P.Capacity(), 1000);
    P.SetCount(5);
    EXPECT_EQ(P.Count(), 5);

    TKvIntegerVector I(10);
    EXPECT_EQ(I.Capacity(), 10);
    I.SetValue(10, -4);
    EXPECT_EQ(I.Count(), 11);
    EXPECT_EQ(I.Capacity() % 10, 0);
    EXPECT_EQ(I.GetValue(10), -4);
    EXPECT_THROW(I.GetValue(11), ERangeError);
    I.Clear();
    EXPECT_EQ(I.Count(), 0);
}

} // namespace
