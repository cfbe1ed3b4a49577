#include "KvCalcTestSupport.h"

#include "graph/KvLinearRegressionLine.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kv::test {

namespace {

// A curve whose report has as many keys as the last calculation asked for.
class TCountingCurve : public TKvCalculatedSeries {
public:
    using TKvCalculatedSeries::TKvCalculatedSeries;
    int32_t Keys = 3;
    int32_t Calculations = 0;
    std::string CalculationID() const override { return "Counting"; }
    void CalculateFunction() override
    {
        ++Calculations;
        FillCurve();
    }
    void WriteResults(TKvIniList& List, std::string_view Section) const override
    {
        TKvCalculatedSeries::WriteResults(List, Section);
        for (int32_t k = 1; k <= Keys; ++k)
            List.WriteFloat(Section, "K(" + std::to_string(k) + ")", k);
    }
};

const std::vector<double> Xs{1, 2, 3, 4, 5}, Ys{2, 4, 6, 8, 10};

} // namespace

TEST(CalculatedSeries, WaitsForDataThenCalculatesInThePreparationStep)
{
    TCalcGraph G({}, {});
    auto& C = G.Add<TCountingCurve>();
    EXPECT_EQ(C.Calculations, 0) << "no points, no calculation";
    EXPECT_FALSE(G.Series->Results.SectionExists("Counting"));
    for (int i = 0; i < 5; ++i) {
        G.X->Add(Xs[static_cast<size_t>(i)]);
        G.Y->Add(Ys[static_cast<size_t>(i)]);
    }
    EXPECT_EQ(C.Calculations, 0) << "listeners only mark the curve dirty";
    G.Graph.PrepareForPaint();
    EXPECT_EQ(C.Calculations, 1);
    EXPECT_EQ(C.CalculationStart(), 1);
    EXPECT_EQ(C.CalculationStop(), 5);
    EXPECT_TRUE(G.Series->Results.SectionExists("Counting"));

    // One changed cell recalculates once, before the paint and not in it.
    G.Y->SetValue(2, 7);
    EXPECT_EQ(C.Calculations, 1);
    G.Render();
    EXPECT_EQ(C.Calculations, 2);
    G.Render();
    EXPECT_EQ(C.Calculations, 2) << "nothing changed, nothing recalculated";
}

TEST(CalculatedSeries, DisplayRangeFollowsCouplingAndAutoFlags)
{
    TCalcGraph G(Xs, Ys);
    auto& C = G.Add<TCountingCurve>();
    EXPECT_TRUE(C.CoupleCalculationAndDisplay());
    EXPECT_EQ(C.DisplayStart(), 1);
    EXPECT_EQ(C.DisplayStop(), 5);

    C.SetDisplayStart(2.5);
    EXPECT_FALSE(C.CoupleCalculationAndDisplay());
    EXPECT_FALSE(C.DisplayAutoStart());
    EXPECT_TRUE(C.DisplayAutoStop());
    C.Calculate();
    EXPECT_EQ(C.DisplayStart(), 2.5) << "the explicit start stays";
    EXPECT_EQ(C.DisplayStop(), G.Bottom->Stop()) << "the auto stop follows the X axis";
    EXPECT_NEAR(C.XValues[0], 2.5, 1e-12);

    const int32_t Before = C.Calculations;
    C.SetCoupleCalculationAndDisplay(true);
    EXPECT_EQ(C.Calculations, Before + 1) << "the ranges differed, so coupling recalculates";
    EXPECT_EQ(C.DisplayStart(), 1);
    EXPECT_EQ(C.DisplayStop(), 5);

    C.SetCalculationStart(2);
    EXPECT_FALSE(C.AutoStart());
    C.Calculate();
    EXPECT_EQ(C.CalculationStart(), 2);
    EXPECT_EQ(C.DisplayStart(), 2);
}

struct TFillCase {
    const char* Name;
    double Start, Stop;
    bool Twisted;
    int MinCount, MaxCount; // samples expected
};

class FillDisplayX : public testing::TestWithParam<TFillCase> {};

TEST_P(FillDisplayX, SamplesFromTheSmallerToTheLargerEnd)
{
    const TFillCase& P = GetParam();
    TCalcGraph G(Xs, Ys);
    G.Bottom->SetTwisted(P.Twisted);
    G.Graph.PrepareForPaint();
    auto& C = G.Add<TCountingCurve>();
    C.SetDisplayStart(P.Start);
    C.SetDisplayStop(P.Stop);
    C.XValues.Clear();
    C.FillDisplayX();
    const int32_t n = C.XValues.Count();
    EXPECT_GE(n, P.MinCount);
    EXPECT_LE(n, P.MaxCount);
    for (int32_t i = 0; i < n; ++i) {
        EXPECT_GE(C.XValues[i], std::min(P.Start, P.Stop));
        EXPECT_LE(C.XValues[i], P.Stop);
        if (i > 0) {
            EXPECT_GT(C.XValues[i], C.XValues[i - 1]);
        }
    }
    if (n > 0) {
        EXPECT_EQ(C.XValues[0], P.Start);
    }
}

// The plot is about 500 pixels wide; 1 to 5 spans most of it.
INSTANTIATE_TEST_SUITE_P(Cases, FillDisplayX,
                         testing::Values(TFillCase{"Plain", 1, 5, false, 300, 700},
                                         TFillCase{"Twisted", 1, 5, true, 300, 700},
                                         TFillCase{"Reversed", 5, 1, false, 0, 0},
                                         TFillCase{"OnePoint", 3, 3, false, 1, 1},
                                         TFillCase{"TwistedOnePoint", 3, 3, true, 1, 1},
                                         TFillCase{"FarBeyondTheAxis", -1e12, 1e12, false, 100,
                                                   TKvCalculatedSeries::MaxDisplaySamples + 1}),
                         [](const auto& I) { return std::string(I.param.Name); });

TEST(CalculatedSeries, SecondCurveOfAKindGetsItsOwnSectionUntilTheFirstGoes)
{
    TCalcGraph G(Xs, Ys);
    auto& A = G.Add<TKvLinearRegressionLine>();
    G.Add<TCountingCurve>();
    auto& B = G.Add<TKvLinearRegressionLine>();
    EXPECT_EQ(A.IndexSuffix(), QString());
    EXPECT_EQ(B.IndexSuffix(), QStringLiteral(" (2)"));
    EXPECT_EQ(A.ResultsSection(), "LinearRegression");
    EXPECT_EQ(B.ResultsSection(), "LinearRegression(2)");
    EXPECT_TRUE(G.Series->Results.SectionExists("LinearRegression(2)"));

    DeleteCalculation(&A);
    EXPECT_EQ(G.Series->Children.size(), 2u);
    EXPECT_FALSE(G.Series->Results.SectionExists("LinearRegression")) << "the dead curve's results go with it";
    B.Calculate();
    EXPECT_TRUE(G.Series->Results.SectionExists("LinearRegression"));
    EXPECT_FALSE(G.Series->Results.SectionExists("LinearRegression(2)")) << "the old name does not stay behind";
}

TEST(CalculatedSeries, ResultsHoldOnlyTheLatestCalculation)
{
    TCalcGraph G(Xs, Ys);
    auto& C = G.Add<TCountingCurve>();
    C.Keys = 5;
    C.Calculate();
    EXPECT_EQ(G.Result("Counting", "K(5)"), 5);
    C.Keys = 4;
    C.Calculate();
    EXPECT_EQ(G.Result("Counting", "K(4)"), 4);
    EXPECT_EQ(G.Keys("Counting").size(), 8u + 4u) << "K(5) of the earlier calculation is gone";
}

TEST(CalculatedSeries, ErrorsCarryTheCaptionAndGoToOnErrorOrTheCaller)
{
    TCalcGraph G(Xs, Ys);
    std::string Seen;
    int Calculated = 0;
    auto& C = NewCalculation<TKvCalculatedSeries>(*G.Series, QStringLiteral("Base"),
                                                  [&](TKvCalculatedSeries&, const EKvError& E) { Seen = E.what(); });
    C.OnCalculated = [&](TKvCalculatedSeries&) { ++Calculated; };
    EXPECT_EQ(Seen, std::string("Base: ") + CalculateFunctionMissingText);
    C.Calculate();
    EXPECT_EQ(Calculated, 1) << "a consumed error still tells the window";
    EXPECT_FALSE(G.Series->Results.SectionExists("NoCalculation-IDdefined")) << "but has no results";

    C.OnError = nullptr;
    try {
        C.Calculate();
        FAIL() << "the error must reach the caller";
    } catch (const EMathError& E) {
        EXPECT_EQ(std::string(E.what()), std::string("Base: ") + CalculateFunctionMissingText);
    }
    EXPECT_EQ(Calculated, 1);
}

struct TBadValue {
    const char* Name;
    int Vector; // 0 X, 1 Y, 2 weight
    double Value;
    const char* Message;
};

class NonFiniteParentData : public testing::TestWithParam<TBadValue> {};

TEST_P(NonFiniteParentData, FailsWithAClearMessageAndDrawsNothing)
{
    const TBadValue& P = GetParam();
    TCalcGraph G(Xs, Ys, {1, 1, 1, 1, 1});
    auto& L = G.Add<TKvLinearRegressionLine>();
    ASSERT_EQ(L.XValues.Count(), 2);
    TKvLiveVector* V[] = {G.X, G.Y, G.W};
    V[P.Vector]->SetValue(3, P.Value);
    G.Graph.PrepareForPaint();
    EXPECT_EQ(L.LastError.toStdString(), std::string("Curve: ") + P.Message);
    EXPECT_EQ(L.XValues.Count(), 0);
    EXPECT_FALSE(G.Series->Results.SectionExists("LinearRegression")) << "no stale or NaN results";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NonFiniteParentData,
    testing::Values(
        TBadValue{"InfX", 0, std::numeric_limits<double>::infinity(), "The X value of data point 4 is not a finite number"},
        TBadValue{"InfY", 1, -std::numeric_limits<double>::infinity(), "The Y value of data point 4 is not a finite number"},
        TBadValue{"InfWeight", 2, std::numeric_limits<double>::infinity(),
                  "The weight value of data point 4 is not a finite number"}),
    [](const auto& I) { return std::string(I.param.Name); });

TEST(CalculatedSeries, DiesWithItsParentAndSavesItsKeysInOrder)
{
    TKvIniList Ini;
    {
        TCalcGraph G(Xs, Ys);
        auto& L = G.Add<TKvLinearRegressionLine>();
        L.SetDisplayStop(7);
        G.Series->SaveToIni(Ini, "S");
        G.Graph.DeleteSeries(G.Series); // frees the curve with it
    }
    TKvStringList Keys;
    Ini.ReadSection("S.Child(1)", Keys);
    const TKvStringList Tail(Keys.end() - 13, Keys.end());
    EXPECT_EQ(Tail, (TKvStringList{"AutoStart", "AutoStop", "CoupleCalcAndDisplay", "DisplayAutoStart",
                                    "DisplayAutoStop", "Calculation", "Formula", "CalcStart", "CalcStop",
                                    "DisplayStart", "DisplayStop", "DoFixedOffset", "Offset"}));
    EXPECT_EQ(Ini.ReadString("S.Child(1)", "Calculation", ""), "Linear Regression");
    EXPECT_EQ(Ini.ReadInteger("S", "ChildCount", 0), 1);

    TCalcGraph G(Xs, Ys);
    auto& L = G.Add<TKvLinearRegressionLine>();
    L.LoadFromIni(Ini, "S.Child(1)");
    EXPECT_FALSE(L.CoupleCalculationAndDisplay());
    EXPECT_EQ(L.DisplayStop(), 7);
}

} // namespace kv::test
