// Series with missing values: the line breaks at a point with a missing X
// or Y, such a point has no read-out, a missing error value draws no bar,
// and the ranges leave missing values out.

#include "GraphTestSupport.h"

#include "foundation/KvMissing.h"

#include <gtest/gtest.h>

namespace kv::test {

namespace {

const double M = MissingValue();

void FixAxes(TTestGraph& T)
{
    for (TKvAxis* A : {T.Bottom, T.Left}) {
        A->SetStartEnd(TKvAxEnd::AxFixed);
        A->SetStopEnd(TKvAxEnd::AxFixed);
        A->SetStart(0);
        A->SetStop(10);
    }
}

QPoint At(const TTestGraph& T, double x, double y)
{
    const TKvRect& P = T.Graph.World().PlotRect;
    return {P.Left + T.Bottom->RealToIntPosition(x), P.Top + T.Left->RealToIntPosition(y)};
}

struct TGapCase {
    int32_t Points; // on the diagonal from (0, 0) to (10, 10)
    bool MissingX;  // else Y is missing between 4 and 6
};

class SeriesLineGap : public testing::TestWithParam<TGapCase> {};

TEST_P(SeriesLineGap, BreaksAtTheMissingPoints)
{
    TTestGraph T;
    FixAxes(T);
    std::vector<double> X, Y;
    const int32_t N = GetParam().Points;
    for (int32_t k = 0; k < N; ++k) {
        const double v = 10.0 * k / (N - 1);
        const bool Gap = v > 4 && v < 6;
        X.push_back(Gap && GetParam().MissingX ? M : v);
        Y.push_back(Gap && !GetParam().MissingX ? M : v);
    }
    auto& S = T.AddSeries(T.Vector(X), T.Vector(Y));
    S.PointStyle.SetVisible(false);
    S.LineStyle.SetColor(0x0000FF);
    const QImage Image = T.Render();
    // A pixel of the line within one pixel of the value (a sloped line
    // passes the rounded position of a value between its ends that close).
    const auto LineNear = [&](double v) {
        const QPoint P = At(T, v, v);
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                if (SameColor(Image.pixel(P.x() + dx, P.y() + dy), Qt::red))
                    return true;
        return false;
    };
    for (double v : {2.0, 3.5, 3.9, 6.1, 6.5, 8.0})
        EXPECT_TRUE(LineNear(v)) << v;
    for (double v : {4.3, 5.0, 5.7})
        EXPECT_FALSE(LineNear(v)) << v;
    EXPECT_EQ(S.XRange().Start(), 0);
    EXPECT_EQ(S.YRange().Stop(), 10);
}

// Few points draw polylines; many go through the per-column decimation.
INSTANTIATE_TEST_SUITE_P(Cases, SeriesLineGap,
                         testing::Values(TGapCase{11, false}, TGapCase{11, true}, TGapCase{20001, false},
                                         TGapCase{20001, true}));

TEST(SeriesGaps, NoReadOutOrBarWhereAValueIsMissing)
{
    TTestGraph T;
    FixAxes(T);
    auto& S = T.AddSeries(T.Vector({2, 5, 8, 9}), T.Vector({5, 5, 5, M}));
    TKvLiveVector& E = T.Vector({2, M, 2, 2});
    S.SetdYPlus(&E);
    S.LineStyle.SetVisible(false);
    S.PointStyle.SetStyle(TKvPointSymbol::SyCircleFilled);
    S.PointStyle.SetColor(0x0000FF);
    const QImage Image = T.Render();
    for (double x : {2.0, 8.0})
        EXPECT_TRUE(SameColor(Image.pixel(At(T, x, 6.5)), Qt::black)) << "the bar of x = " << x;
    EXPECT_FALSE(SameColor(Image.pixel(At(T, 5, 6.5)), Qt::black)) << "a missing error draws no bar";
    EXPECT_TRUE(SameColor(Image.pixel(At(T, 5, 5)), Qt::red)) << "the point itself is there";
    const QPoint Middle = At(T, 5, 5);
    EXPECT_EQ(S.FindPoint(Middle.x(), Middle.y(), 3), 1);
    for (int32_t Px = 0; Px < Image.width(); Px += 2)
        for (int32_t Py = 0; Py < Image.height(); Py += 2)
            ASSERT_NE(S.FindPoint(Px, Py, 3), 3) << "the read-out skips the missing point";
    // the ranges leave the missing values out, the errors of the others in
    EXPECT_EQ(S.XRange().Stop(), 9);
    EXPECT_EQ(S.YRange().Start(), 5);
    EXPECT_EQ(S.YRange().Stop(), 7);
}

} // namespace

} // namespace kv::test
