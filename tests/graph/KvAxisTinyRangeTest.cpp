// Ranges too small to divide in double (a few subnormal numbers) and the
// saturating pixel conversion: no overflow of the pixel type, whatever
// the range (UBSan halts the test build on one).

#include "graph/KvAxis.h"
#include "graph/KvPixel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kv::test {

namespace {

constexpr double Subnormal = 5e-323; // ten times the smallest double

struct TTinyCase {
    const char* Name;
    double Min, Max;
    TKvAxisPos Pos;
    bool AutoTicks;
};

void PrintTo(const TTinyCase& C, std::ostream* Os) { *Os << C.Name; }

class AxisTinyRange : public testing::TestWithParam<TTinyCase> {};

// Every tick lies on the axis line, from one end to the other.
void ExpectTicksOnTheLine(const TKvAxis& Axis)
{
    ASSERT_GE(Axis.TickPositions().size(), 2u);
    for (int32_t P : Axis.TickPositions()) {
        EXPECT_GE(P, 0);
        EXPECT_LE(P, Axis.Length);
    }
}

} // namespace

TEST_P(AxisTinyRange, IsTreatedAsAnEmptyRange)
{
    const TTinyCase& C = GetParam();
    TKvAxis Axis;
    Axis.SetPosition(C.Pos);
    if (!C.AutoTicks) {
        Axis.SetAutoTicks(false);
        Axis.SetTickPart(0.2);
    }
    TRange Range;
    Axis.Ranges().Add(&Range);
    Range.OnChange = [&Axis](TRange&) { Axis.RangeChanged(); };
    Range.SetRange(C.Min, C.Max);
    Axis.AdjustRange();
    EXPECT_TRUE(Axis.RangeAdjusted());
    EXPECT_EQ(Axis.Start(), 0);
    EXPECT_EQ(Axis.Stop(), 100);
    Axis.ComputeTicks();
    ExpectTicksOnTheLine(Axis);
    for (double V : {C.Min, C.Max})
        EXPECT_EQ(Axis.RealToIntPosition(V), C.Pos == TKvAxisPos::AxBottomPos ? 0 : Axis.Length);
}

INSTANTIATE_TEST_SUITE_P(
    Subnormal, AxisTinyRange,
    testing::Values(
        // The fuzzing finding: a vertical axis with its tick parts set by hand.
        TTinyCase{"FromZeroVertical", 0, Subnormal, TKvAxisPos::AxRightPos, false},
        TTinyCase{"FromZero", 0, Subnormal, TKvAxisPos::AxBottomPos, true},
        TTinyCase{"AcrossZero", -1e-310, 1e-310, TKvAxisPos::AxLeftPos, true},
        TTinyCase{"Negative", -3 * Subnormal, -Subnormal, TKvAxisPos::AxBottomPos, true},
        TTinyCase{"SingleValue", Subnormal, Subnormal, TKvAxisPos::AxLeftPos, true},
        TTinyCase{"NormalButTooSmall", 1e-300, 2e-300, TKvAxisPos::AxBottomPos, true}),
    [](const testing::TestParamInfo<TTinyCase>& Info) { return std::string(Info.param.Name); });

TEST(AxisTinyRange, SmallRangesThatDivideAreKept)
{
    TKvAxis Axis;
    TRange Range;
    Axis.Ranges().Add(&Range);
    Range.OnChange = [&Axis](TRange&) { Axis.RangeChanged(); };
    Range.SetRange(1e-280, 3e-280);
    Axis.AdjustRange();
    EXPECT_FALSE(Axis.RangeAdjusted());
    EXPECT_LE(Axis.Start(), 1e-280);
    EXPECT_GE(Axis.Stop(), 3e-280);
    EXPECT_LT(Axis.Stop() - Axis.Start(), 1e-279);
    Axis.ComputeTicks();
    ExpectTicksOnTheLine(Axis);
}

// Ends set directly skip the adjusting; ticks and positions must still
// stay within the pixel bounds rather than wrap around.
TEST(AxisTinyRange, EndsSetDirectlyKeepPixelsBounded)
{
    for (TKvAxisPos Pos : {TKvAxisPos::AxBottomPos, TKvAxisPos::AxLeftPos}) {
        TKvAxis Axis;
        Axis.SetPosition(Pos);
        Axis.SetStart(0);
        Axis.SetStop(Subnormal);
        Axis.ComputeTicks();
        for (int32_t P : Axis.TickPositions())
            EXPECT_LE(std::abs(static_cast<int64_t>(P)), int64_t{MaxPixel} + Axis.Length);
        for (double V : {0.0, Subnormal, 1.0, -1.0, std::numeric_limits<double>::quiet_NaN()})
            EXPECT_LE(std::abs(static_cast<int64_t>(Axis.RealToIntPosition(V))), int64_t{MaxPixel} + Axis.Length);
    }
}

TEST(Pixel, RoundsHalvesToEvenAndSaturates)
{
    const double Inf = std::numeric_limits<double>::infinity();
    const struct {
        double In;
        int32_t Out;
    } Cases[] = {
        {2.5, 2}, {3.5, 4}, {-2.5, -2}, {-0.4, 0}, {1e8 - 0.5, MaxPixel}, {1e300, MaxPixel},
        {Inf, MaxPixel}, {-Inf, -MaxPixel}, {-3e9, -MaxPixel},
        {std::numeric_limits<double>::quiet_NaN(), -MaxPixel},
    };
    for (const auto& C : Cases)
        EXPECT_EQ(ToPixel(C.In), C.Out) << C.In;
}

} // namespace kv::test
