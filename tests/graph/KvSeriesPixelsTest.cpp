// The pixel positions of a whole series, computed in blocks per axis, are
// the ones the point-by-point conversion gives: on linear and log axes,
// mirrored or not, for far-off, infinite and missing values.

#include "GraphTestSupport.h"

#include "graph/KvAxis.h"
#include "graph/KvPixel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace kv::test {

namespace {

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

void FixAxis(TKvAxis& A, double Start, double Stop)
{
    A.SetStartEnd(TKvAxEnd::AxFixed);
    A.SetStopEnd(TKvAxEnd::AxFixed);
    A.SetStart(Start);
    A.SetStop(Stop);
}

// Values that each end of the conversion must handle, then a ramp that
// crosses many pixel borders; more than one block long.
std::vector<double> Values(double Shift)
{
    const std::vector<double> Special{0.5,  1,    2.5,     10,   99.999, 1e-300, 4.9e-324, 0,   -0.0,
                                      -3,   1e15, 1e300,   -1e300, Inf,  -Inf,   NaN,      3e9, -3e9};
    std::vector<double> V;
    for (int i = 0; i < 2600; ++i)
        V.push_back(i % 7 == 0 ? Special[static_cast<size_t>(i / 7) % Special.size()] : Shift + i * 0.0137);
    return V;
}

} // namespace

TEST(SeriesPixels, BlockConversionMatchesTheOneByOneConversion)
{
    // Tie, saturation and wrap cases of the rounding, over several origins
    // and scales (a zero scale makes infinities and 0/0), with an odd count
    // so the last value takes the single-value path.
    const std::vector<double> V{0.5,  1.5,  2.5,  -0.5, -1.5,    -2.5,   123456.5, 123457.5, 1e8 + 0.5,
                                -1e8 - 0.5, 3e9, -3e9, 1e300, -1e300, Inf,      -Inf,     NaN,
                                4.9e-324,   -0.0};
    ASSERT_EQ(V.size() % 2, 1u);
    const int32_t n = static_cast<int32_t>(V.size());
    for (double Origin : {0.0, 10.0, -2.5})
        for (double Scale : {1.0, 0.25, -3.0, 0.0, 1e-310}) {
            std::vector<int32_t> Out(V.size(), 12345);
            ToPixels(V.data(), n, Origin, Scale, Out.data());
            for (size_t k = 0; k < V.size(); ++k)
                EXPECT_EQ(Out[k], ToPixel((V[k] - Origin) / Scale))
                    << "value " << V[k] << " origin " << Origin << " scale " << Scale;
        }
    // Halves go to the even neighbour; far and missing values saturate.
    std::vector<int32_t> Out(V.size());
    ToPixels(V.data(), n, 0, 1, Out.data());
    EXPECT_EQ((std::vector<int32_t>(Out.begin(), Out.begin() + 10)),
              (std::vector<int32_t>{0, 2, 2, 0, -2, -2, 123456, 123458, MaxPixel, -MaxPixel}));
    EXPECT_EQ(Out[10], MaxPixel);  // 3e9 would wrap in a plain conversion
    EXPECT_EQ(Out[11], -MaxPixel);
    EXPECT_EQ(Out[14], MaxPixel);  // +Inf
    EXPECT_EQ(Out[15], -MaxPixel); // -Inf
    EXPECT_EQ(Out[16], -MaxPixel); // NaN
}

TEST(SeriesPixels, WholeSeriesMatchesPointByPointOnEveryAxisKind)
{
    struct TCase {
        const char* Name;
        TKvAxScaling XScaling;
        bool XTwisted;
        TKvAxScaling YScaling;
        bool YTwisted;
    };
    const TCase Cases[] = {
        {"linear", TKvAxScaling::AxNormal, false, TKvAxScaling::AxNormal, false},
        {"linear reversed", TKvAxScaling::AxNormal, true, TKvAxScaling::AxNormal, true},
        {"log both", TKvAxScaling::AxLog, false, TKvAxScaling::AxLog, false},
        {"log both, y reversed", TKvAxScaling::AxLog, false, TKvAxScaling::AxLogEE, true},
        {"log x reversed", TKvAxScaling::AxLogEE, true, TKvAxScaling::AxNormal, false},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TTestGraph T(false);
        T.Bottom->SetScaling(C.XScaling);
        T.Bottom->SetTwisted(C.XTwisted);
        T.Left->SetScaling(C.YScaling);
        T.Left->SetTwisted(C.YTwisted);
        const bool LogX = C.XScaling != TKvAxScaling::AxNormal, LogY = C.YScaling != TKvAxScaling::AxNormal;
        FixAxis(*T.Bottom, LogX ? 0.1 : -5, LogX ? 1000 : 40);
        FixAxis(*T.Left, LogY ? 0.01 : 2, LogY ? 100 : 30);
        auto& S = T.AddSeries(T.Vector(Values(0.003)), T.Vector(Values(-7.2)));
        S.SetdYPlus(&T.Vector(Values(0.5)));
        S.PointStyle.SetVisible(false);
        T.Render();
        ASSERT_EQ(S.PointCount(), 2600);
        ASSERT_EQ(S.dYPlusPixels().Count(), 2600);
        const std::vector<TKvPoint> Block(S.Points().Values().begin(), S.Points().Values().end());
        std::vector<int32_t> BlockBars;
        for (int32_t i = 0; i < S.PointCount(); ++i)
            BlockBars.push_back(S.dYPlusPixels().GetValue(i));
        for (int32_t i = 0; i < S.PointCount(); ++i) {
            S.UpdatePoint(i);
            const TKvPoint& One = *S.Points().PointPtr(i);
            ASSERT_EQ(Block[static_cast<size_t>(i)], One)
                << "point " << i << " x " << (*S.XData())[i] << " y " << (*S.YData())[i] << ": block ("
                << Block[static_cast<size_t>(i)].X << ", " << Block[static_cast<size_t>(i)].Y << "), one by one ("
                << One.X << ", " << One.Y << ")";
            ASSERT_EQ(BlockBars[static_cast<size_t>(i)], S.dYPlusPixels().GetValue(i)) << "bar of point " << i;
        }
        // Nothing wrapped: every position lies within the saturation band.
        for (const TKvPoint& P : Block) {
            EXPECT_LE(std::abs(P.X), MaxPixel + T.Bottom->Length);
            EXPECT_LE(std::abs(P.Y), MaxPixel + T.Left->Length);
        }
    }
}

TEST(SeriesPixels, LongSeriesSharedBetweenCoresMatchesPointByPoint)
{
    // Long enough to be split into pieces; the piece borders and a spread
    // of points in between are compared.
    TTestGraph T(false);
    FixAxis(*T.Bottom, 0, 3);
    FixAxis(*T.Left, -1.5, 1.5);
    const int32_t n = 2 * TKvSeries::MinPointsPerTask + 12345;
    std::vector<double> X, Y;
    for (int32_t i = 0; i < n; ++i)
        X.push_back(i * 1e-6), Y.push_back(i % 1000 == 0 ? NaN : std::sin(i * 1e-3));
    auto& S = T.AddSeries(T.Vector(X), T.Vector(Y));
    S.PointStyle.SetVisible(false);
    T.Render();
    ASSERT_EQ(S.PointCount(), n);
    for (int32_t i = 0; i < n; i += 997) {
        const TKvPoint Block = *S.Points().PointPtr(i);
        S.UpdatePoint(i);
        ASSERT_EQ(Block, *S.Points().PointPtr(i)) << "point " << i;
    }
    for (int32_t i : {0, n / 4, n / 3, n / 2, n / 2 + 1, 2 * n / 3, 3 * n / 4, n - 1}) {
        const TKvPoint Block = *S.Points().PointPtr(i);
        S.UpdatePoint(i);
        ASSERT_EQ(Block, *S.Points().PointPtr(i)) << "point " << i;
    }
}

} // namespace kv::test
