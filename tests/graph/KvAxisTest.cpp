#include "GraphTestSupport.h"

#include "graph/KvAxis.h"
#include "graph/KvAxisNumbers.h"

#include "foundation/KvFormatSettings.h"

#include <gtest/gtest.h>

namespace kv::test {

namespace {

// An axis fed by one series range, laid out to its default length.
struct TAxisProbe {
    TKvAxis Axis;
    TRange Range;
    explicit TAxisProbe(TKvAxisPos Pos = TKvAxisPos::AxBottomPos)
    {
        Axis.SetPosition(Pos);
        Axis.Ranges().Add(&Range);
        Range.OnChange = [this](TRange&) { Axis.RangeChanged(); };
    }
    void Data(double Min, double Max)
    {
        Range.SetRange(Min, Max);
        Axis.AdjustRange();
        Axis.ComputeTicks();
    }
    std::vector<std::string> Labels() const
    {
        std::vector<std::string> Texts;
        for (const auto& L : Axis.TickLabels())
            Texts.push_back(L.Text.toStdString());
        return Texts;
    }
};

} // namespace

struct TTickCase {
    const char* Name;
    double Min, Max;
    TKvAxScaling Scaling;
    double Start, Stop;
    size_t Ticks;
    std::vector<std::string> Labels;
    std::string Exponent;
};

void PrintTo(const TTickCase& C, std::ostream* Os) { *Os << C.Name; }

class AxisTicks : public testing::TestWithParam<TTickCase> {};

TEST_P(AxisTicks, EndsTicksLabelsAndExponent)
{
    const TTickCase& C = GetParam();
    TAxisProbe P;
    P.Axis.SetScaling(C.Scaling);
    P.Data(C.Min, C.Max);
    EXPECT_DOUBLE_EQ(P.Axis.Start(), C.Start);
    EXPECT_DOUBLE_EQ(P.Axis.Stop(), C.Stop);
    EXPECT_EQ(P.Axis.TickPositions().size(), C.Ticks);
    EXPECT_EQ(P.Labels(), C.Labels);
    EXPECT_EQ(P.Axis.ExponentText().toStdString(), C.Exponent);
    EXPECT_EQ(P.Axis.UseScaleExponent(), !C.Exponent.empty());
}

const std::string Dot = "\xC2\xB7"; // the middle dot in UTF-8

INSTANTIATE_TEST_SUITE_P(
    Edges, AxisTicks,
    testing::Values(
        TTickCase{"RoundedToHalves", 0.13, 4.27, TKvAxScaling::AxNormal, 0, 4.5, 46, {"0", "1", "2", "3", "4"}, ""},
        TTickCase{"SingleValue", 5, 5, TKvAxScaling::AxNormal, 4, 6, 41, {"4.0", "4.5", "5.0", "5.5", "6.0"}, ""},
        TTickCase{"SingleZero", 0, 0, TKvAxScaling::AxNormal, -1, 1, 41, {"-1.0", "-0.5", "0.0", "0.5", "1.0"}, ""},
        TTickCase{"LargeWithExponent", 0, 20000, TKvAxScaling::AxNormal, 0, 20000, 41,
                  {"0.0", "0.5", "1.0", "1.5", "2.0"}, Dot + "10\\+4"},
        TTickCase{"SmallWithExponent", 0, 0.002, TKvAxScaling::AxNormal, 0, 0.002, 41,
                  {"0.0", "0.5", "1.0", "1.5", "2.0"}, Dot + "10\\+-3"},
        TTickCase{"AcrossZero", -7.3, 12.1, TKvAxScaling::AxNormal, -7.5, 12.5, 41, {"-5", "0", "5", "10"}, ""},
        TTickCase{"UnitSpan", 0, 1, TKvAxScaling::AxNormal, 0, 1, 51,
                  {"0.0", "0.2", "0.4", "0.6", "0.8", "1.0"}, ""},
        TTickCase{"Thousands", 1000, 4000, TKvAxScaling::AxNormal, 1000, 4000, 31,
                  {"1000", "2000", "3000", "4000"}, ""},
        TTickCase{"LogPowers", 3, 700, TKvAxScaling::AxLogEE, 1, 1000, 28,
                  {"10\\+ 0", "10\\+ 1", "10\\+ 2", "10\\+ 3"}, ""},
        TTickCase{"LogPlain", 3, 700, TKvAxScaling::AxLog, 1, 1000, 28, {"1", "10", "100", "1000"}, ""},
        TTickCase{"LogSmall", 0.02, 0.5, TKvAxScaling::AxLog, 0.01, 1, 19, {"0.01", "0.1", "1"}, ""},
        TTickCase{"LogNarrow", 50, 50.2, TKvAxScaling::AxLog, 1, 100, 19, {"1", "10", "100"}, ""},
        TTickCase{"LogNonPositive", -5, 20, TKvAxScaling::AxLog, 1e-10, 100, 109,
                  {"0.0000000001", "0.000000001", "0.00000001", "0.0000001", "0.000001", "0.00001", "0.0001",
                   "0.001", "0.01", "0.1", "1", "10", "100"},
                  ""}),
    [](const testing::TestParamInfo<TTickCase>& Info) { return std::string(Info.param.Name); });

TEST(Axis, LabelsUseTheLocaleSeparator)
{
    TKvScopedFormatSettings Comma({',', ';'});
    TAxisProbe P;
    P.Data(0, 1);
    EXPECT_EQ(P.Labels(), (std::vector<std::string>{"0,0", "0,2", "0,4", "0,6", "0,8", "1,0"}));
}

TEST(Axis, TickMajorsAndPositionsOfTheRoundedRange)
{
    TAxisProbe P;
    P.Data(0.13, 4.27);
    const auto& Major = P.Axis.TickIsMajor();
    const auto& Pos = P.Axis.TickPositions();
    ASSERT_EQ(Pos.size(), 46u);
    for (size_t i = 0; i < Major.size(); ++i)
        EXPECT_EQ(Major[i], i % 5 == 0) << i;
    EXPECT_EQ(Pos.front(), 0);
    EXPECT_EQ(Pos.back(), P.Axis.Length);
    // Labels sit on every tenth tick.
    EXPECT_EQ(P.Axis.TickLabels()[1].Offset, Pos[10]);
}

TEST(Axis, VerticalAxisCountsFromTheBottom)
{
    TAxisProbe P(TKvAxisPos::AxLeftPos);
    P.Data(0, 100);
    EXPECT_EQ(P.Axis.TickPositions().front(), P.Axis.Length);
    EXPECT_EQ(P.Axis.RealToIntPosition(0), P.Axis.Length);
    EXPECT_EQ(P.Axis.RealToIntPosition(100), 0);
    P.Axis.SetTwisted(true);
    P.Axis.ComputeTicks();
    EXPECT_EQ(P.Axis.RealToIntPosition(0), 0);
    EXPECT_EQ(P.Axis.TickLabels().front().Text.toStdString(), "100");
}

TEST(Axis, MappingRoundTrips)
{
    TAxisProbe P;
    P.Data(0, 100);
    EXPECT_EQ(P.Axis.RealToIntPosition(50), 170);
    EXPECT_DOUBLE_EQ(P.Axis.IntToRealPosition(170), 50);
    // Halves round to even.
    EXPECT_EQ(P.Axis.RealToIntPosition(100.0 / 340 * 0.5), 0);
    EXPECT_EQ(P.Axis.RealToIntPosition(100.0 / 340 * 1.5), 2);
    // Values far off the axis stay far off without overflow.
    EXPECT_LT(P.Axis.RealToIntPosition(-1e300), -1000000);
    EXPECT_GT(P.Axis.RealToIntPosition(1e300), 1000000);
}

TEST(Axis, LogarithmicMapping)
{
    TAxisProbe P;
    P.Axis.SetScaling(TKvAxScaling::AxLog);
    P.Data(3, 700);
    EXPECT_EQ(P.Axis.RealToIntPosition(0), -1);
    EXPECT_EQ(P.Axis.RealToIntPosition(-4), -1);
    EXPECT_EQ(P.Axis.RealToIntPosition(1), 0);
    EXPECT_EQ(P.Axis.RealToIntPosition(1000), P.Axis.Length);
    EXPECT_NEAR(P.Axis.IntToRealPosition(P.Axis.RealToIntPosition(100)), 100, 2);
    // Minor ticks of the first decade at 2..9 times it.
    EXPECT_EQ(P.Axis.TickPositions()[1], RoundHalfEven(std::log10(2.0) / P.Axis.Scale()));
}

TEST(Axis, UnknownScalingIsAConversionError)
{
    TKvAxis A;
    EXPECT_THROW(A.SetScaling(static_cast<TKvAxScaling>(7)), EConvertError);
}

TEST(Axis, ZoomBackCyclesThroughTheHistory)
{
    TAxisProbe P;
    P.Axis.SetStartEnd(TKvAxEnd::AxFixed);
    P.Axis.SetStopEnd(TKvAxEnd::AxFixed);
    P.Axis.SetStart(0);
    P.Axis.SetStop(100);
    EXPECT_FALSE(P.Axis.HasZoomHistory());
    P.Axis.Zoom(10, 50);
    P.Axis.Zoom(20, 30);
    EXPECT_TRUE(P.Axis.HasZoomHistory());
    EXPECT_EQ(P.Axis.ZoomIndex(), 3);
    std::vector<std::pair<double, double>> Seen;
    for (int k = 0; k < 4; ++k) {
        P.Axis.ZoomBack();
        Seen.emplace_back(P.Axis.Start(), P.Axis.Stop());
    }
    const std::vector<std::pair<double, double>> Expected = {{10, 50}, {0, 100}, {20, 30}, {10, 50}};
    EXPECT_EQ(Seen, Expected);
    P.Range.SetRange(1, 2);
    P.Axis.ResetZoom();
    EXPECT_FALSE(P.Axis.HasZoomHistory());
}

TEST(Axis, FirstSetEndsNeverShrink)
{
    TAxisProbe P;
    P.Axis.SetStartEnd(TKvAxEnd::AxFirstSet);
    P.Axis.SetStopEnd(TKvAxEnd::AxFirstSet);
    P.Range.SetRange(-50, 300);
    EXPECT_EQ(P.Axis.Start(), -50);
    EXPECT_EQ(P.Axis.Stop(), 300);
    P.Range.SetRange(10, 20); // data deleted
    EXPECT_EQ(P.Axis.Start(), -50);
    EXPECT_EQ(P.Axis.Stop(), 300);
    P.Range.SetRange(-80, 20);
    EXPECT_EQ(P.Axis.Start(), -80);
}

TEST(Axis, AutoEndsFollowAndFixedEndsStay)
{
    TAxisProbe P;
    P.Axis.SetStopEnd(TKvAxEnd::AxFixed);
    P.Axis.SetStop(77);
    P.Range.SetRange(3, 500);
    EXPECT_EQ(P.Axis.Start(), 3);
    EXPECT_EQ(P.Axis.Stop(), 77);
    P.Range.SetRange(5, 10);
    EXPECT_EQ(P.Axis.Start(), 5);
    // An empty range leaves the ends alone.
    P.Range.SetRange(KvMissing, -KvMissing);
    EXPECT_EQ(P.Axis.Start(), 5);
}

TEST(Axis, EmptyAndOverflowingRangesAreReplaced)
{
    TKvAxis A;
    A.SetStart(5);
    A.SetStop(1);
    A.AdjustRange();
    EXPECT_TRUE(A.RangeAdjusted());
    EXPECT_EQ(A.Start(), 0);
    EXPECT_EQ(A.Stop(), 100);
    A.SetStart(-1.7e308);
    A.SetStop(1.7e308);
    A.AdjustRange();
    EXPECT_TRUE(A.RangeAdjusted());
    EXPECT_EQ(A.Stop(), 100);
    A.SetScaling(TKvAxScaling::AxLog);
    A.SetStart(5);
    A.SetStop(1);
    A.AdjustRange();
    EXPECT_EQ(A.Start(), 1);
    EXPECT_EQ(A.Stop(), 10);
}

TEST(Axis, LogarithmicAxisOverTheWholeDoubleRange)
{
    for (auto [Lo, Hi] : {std::pair{4.9e-324, 1.7e308}, {1e-320, 1e-319}, {-1e300, -1.0}}) {
        TAxisProbe P;
        P.Axis.SetScaling(TKvAxScaling::AxLogEE);
        P.Data(Lo, Hi);
        EXPECT_GT(P.Axis.Start(), 0);
        EXPECT_GT(P.Axis.Stop(), P.Axis.Start());
        EXPECT_LE(P.Axis.TickPositions().size(), 5401u);
        EXPECT_GE(P.Axis.TickPositions().size(), 2u);
    }
    // Ends set directly get the logarithmic rounding before the ticks.
    TKvAxis A;
    A.SetScaling(TKvAxScaling::AxLog);
    A.SetStart(-5);
    A.ComputeTicks();
    EXPECT_GT(A.Start(), 0);
}

TEST(Axis, TinyManualTickPartFallsBackToTheTables)
{
    TAxisProbe P;
    P.Axis.SetAutoTicks(false);
    P.Axis.SetTickPart(1e-9);
    P.Data(0, 100);
    EXPECT_LE(P.Axis.TickPositions().size(), 100000u);
    EXPECT_GE(P.Axis.TickPositions().size(), 2u);
}

TEST(Axis, ManualPartsAreKeptWhileAutoTicksIsOff)
{
    TAxisProbe P;
    P.Axis.SetTickPart(0.5); // ignored while automatic
    EXPECT_NE(P.Axis.TickPart(), 0.5);
    P.Axis.SetAutoTicks(false);
    P.Axis.SetTickPart(0.1);
    P.Axis.SetMajorTickPart(0.5);
    P.Axis.SetLabelPart(0.5);
    P.Data(0, 100);
    EXPECT_EQ(P.Axis.TickPositions().size(), 11u);
    EXPECT_EQ(P.Labels(), (std::vector<std::string>{"0", "50", "100"}));
}

TEST(Axis, GraphScaleTablesReplaceTheDefaults)
{
    const TKvTickTables Saved = TickTables();
    TKvIniList Settings;
    Settings.WriteString("GraphScale", "LabelsField", "0.5,0.5,1,1,1,1,2,2,2,2");
    Settings.WriteString("GraphScale", "TickField", "");
    Settings.WriteString("GraphScale", "RoundField", "1,2,x");
    LoadGraphScale(Settings);
    EXPECT_EQ(TickTables().Labels[0], 0.5);
    EXPECT_EQ(TickTables().Tick, Saved.Tick);
    EXPECT_EQ(TickTables().Round, Saved.Round);
    TickTables() = Saved;
}

TEST(Axis, SlaveCopiesItsMaster)
{
    TKvAxis Master, Slave;
    Master.SetScaling(TKvAxScaling::AxLogEE);
    Master.SetStart(2);
    Master.SetStop(40);
    Master.SetAutoCaption("t / s");
    Slave.SetIsSlaveAxis(true);
    Slave.SetMasterAxis(&Master);
    Slave.CopyMaster();
    EXPECT_EQ(Slave.Start(), 2);
    EXPECT_EQ(Slave.Stop(), 40);
    EXPECT_EQ(Slave.Scaling(), TKvAxScaling::AxLogEE);
    EXPECT_EQ(Slave.Caption().toStdString(), "t / s");
    Slave.SetMasterAxis(&Slave); // an axis cannot follow itself
    EXPECT_EQ(Slave.MasterAxis(), &Master);
}

TEST(Axis, SaveAndLoadKeys)
{
    TKvAxis A;
    A.SetScaling(TKvAxScaling::AxLog);
    A.SetStartEnd(TKvAxEnd::AxFixed);
    A.SetStart(0.5);
    A.SetStop(2000);
    A.SetTwisted(true);
    A.SetDoUserCaption(true);
    A.SetUserCaption("\\ss\\s / V");
    A.SetAutoTicks(false);
    A.SetTickPart(0.25);
    A.AxisColor = 0x123456;
    TKvIniList Ini;
    A.SaveToIni(Ini, "G.XAxis1");
    EXPECT_EQ(Ini.ReadString("G.XAxis1", "Scaling", ""), "1");
    EXPECT_EQ(Ini.ReadString("G.XAxis1", "Start", ""), "0.5");
    EXPECT_EQ(Ini.ReadString("G.XAxis1", "TickPart", ""), "0.25");
    TKvAxis B;
    B.LoadFromIni(Ini, "G.XAxis1");
    EXPECT_EQ(B.Scaling(), TKvAxScaling::AxLog);
    EXPECT_EQ(B.StartEnd(), TKvAxEnd::AxFixed);
    EXPECT_EQ(B.Start(), 0.5);
    EXPECT_EQ(B.Stop(), 2000);
    EXPECT_TRUE(B.Twisted());
    EXPECT_EQ(B.Caption().toStdString(), "\\ss\\s / V");
    EXPECT_FALSE(B.AutoTicks());
    EXPECT_EQ(B.TickPart(), 0.25);
    EXPECT_EQ(B.AxisColor, 0x123456);
    // Keys that are not stored keep their defaults.
    EXPECT_EQ(Ini.FindValue("G.XAxis1", "Position"), std::nullopt);
}

TEST(AxisNumbers, DecimalRoutines)
{
    EXPECT_EQ(DecimalExponent(4.14), 0);
    EXPECT_EQ(DecimalExponent(0.002), -3);
    EXPECT_EQ(DecimalExponent(-20000), 4);
    EXPECT_EQ(DecimalExponent(0), 0);
    EXPECT_DOUBLE_EQ(ShiftDecimal(4, 20000), 2);
    EXPECT_DOUBLE_EQ(ShiftDecimal(-1, 0.3), 3);
    EXPECT_EQ(PowerOfTen(400), 1.7e308);
    EXPECT_GT(PowerOfTen(-320), 0);
    EXPECT_LT(PowerOfTen(-320), 1e-319);
    EXPECT_EQ(PowerOfTen(-400), 0);
    EXPECT_EQ(Pow10(0), 1);
    EXPECT_EQ(Pow10(500.5), 1.7e308);
    EXPECT_EQ(SignificantDigits(0.25), 2);
    EXPECT_EQ(SignificantDigits(0), 0);
    EXPECT_DOUBLE_EQ(RoundUpToStep(0, 0.5, 4.27), 4.5);
    EXPECT_DOUBLE_EQ(RoundUpToStep(0, 0.5, 4.5004), 4.5); // within 0.1% of a step
    EXPECT_DOUBLE_EQ(RoundDownToStep(0, 0.5, 0.13), 0);
    EXPECT_DOUBLE_EQ(RoundDownToStep(1, 0.25, -7.3), -7.5);
    EXPECT_DOUBLE_EQ(RoundUpToStep(0, 0.1, 0.3), 0.3);
    EXPECT_DOUBLE_EQ(LogRoundUp(0.1, 1, 700), 700);
    EXPECT_DOUBLE_EQ(LogRoundDown(0.1, 1, 1.05), 1);
    EXPECT_EQ(FixedText(-0.00001, 2), "0.00");
}

} // namespace kv::test
