#include "foundation/KvErrors.h"
#include "foundation/KvRange.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kv;

namespace {

class OtherPersistent : public TKvPersistent {
public:
    void Assign(const TKvPersistent&) override {}
};

TEST(Range, NewRangeIsEmpty)
{
    TRange R;
    EXPECT_EQ(R.Start(), 1.7e308);
    EXPECT_EQ(R.Stop(), -1.7e308);
    EXPECT_TRUE(R.IsEmpty());
}

TEST(Range, IncludeReportsWhichEndsMoved)
{
    TRange R;
    int Changes = 0;
    R.OnChange = [&](TRange&) { ++Changes; };
    EXPECT_EQ(R.Include(5), 3);
    EXPECT_EQ(R.Start(), 5);
    EXPECT_EQ(R.Stop(), 5);
    EXPECT_EQ(Changes, 1);
    EXPECT_EQ(R.Include(5), 0);
    EXPECT_EQ(Changes, 1);
    EXPECT_EQ(R.Include(2), 1);
    EXPECT_EQ(R.Include(9), 2);
    EXPECT_EQ(R.Include(std::nan("")), 0); // NaN never becomes an end
    EXPECT_EQ(R.Start(), 2);
    EXPECT_EQ(R.Stop(), 9);
    EXPECT_EQ(Changes, 3);
}

TEST(Range, SettersNotifyResetDoesNot)
{
    TRange R;
    int Changes = 0;
    R.OnChange = [&](TRange&) { ++Changes; };
    R.SetStart(1);
    R.SetStop(2);
    R.SetRange(3, 4);
    EXPECT_EQ(Changes, 3);
    R.Reset();
    EXPECT_EQ(Changes, 3);
    EXPECT_TRUE(R.IsEmpty());
}

TEST(Range, AssignCopiesFromRangesOnly)
{
    TRange A, B;
    A.SetRange(-1, 1);
    int Changes = 0;
    B.OnChange = [&](TRange&) { ++Changes; };
    B.Assign(A);
    EXPECT_EQ(B.Start(), -1);
    EXPECT_EQ(B.Stop(), 1);
    EXPECT_EQ(Changes, 1);
    OtherPersistent Other;
    try {
        B.Assign(Other);
        FAIL();
    } catch (const EConvertError& E) {
        EXPECT_STREQ(E.what(), "Cannot be assigned to TRange");
    }
}

TEST(RangeList, HoldsEachRangeOnceAtTheEnd)
{
    TRange A, B;
    TRangeList L;
    L.Add(&A);
    L.Add(&B);
    L.Add(&A);
    ASSERT_EQ(L.Count(), 2);
    EXPECT_EQ(L[0], &B);
    EXPECT_EQ(L[1], &A);
    L.Remove(&B);
    L.Remove(&B);
    ASSERT_EQ(L.Count(), 1);
    EXPECT_EQ(L[0], &A);
}

} // namespace
