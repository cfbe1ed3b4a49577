#include "GraphTestSupport.h"

#include <gtest/gtest.h>

namespace kv::test {

namespace {

void Data(TTestGraph& T, std::initializer_list<double> X, std::initializer_list<double> Y)
{
    T.AddSeries(T.Vector(X), T.Vector(Y));
}

} // namespace

TEST(Layout, PlotStartsAtTheAxisLinesAndTheCornerTickIsSkipped)
{
    TTestGraph T;
    Data(T, {0, 10}, {0, 100});
    T.Render();
    const TKvRect& P = T.Graph.World().PlotRect;
    EXPECT_EQ(T.Left->Left + T.Left->AxisX, P.Left);
    EXPECT_EQ(T.Bottom->Left + T.Bottom->AxisX, P.Left);
    EXPECT_EQ(T.Left->Top + T.Left->AxisY, P.Top);
    EXPECT_EQ(T.Bottom->Top + T.Bottom->AxisY, P.Top + T.Left->Length);
    EXPECT_EQ(P.Right, P.Left + T.Bottom->Length + 1);
    EXPECT_FALSE(T.Left->DrawEndTick);  // the bottom axis line lies there
    EXPECT_FALSE(T.Left->DrawStartTick); // and the top axis line here
    EXPECT_FALSE(T.Bottom->DrawStartTick);
    EXPECT_FALSE(T.Bottom->DrawEndTick);
    // The right axis line closes the plot on the right.
    EXPECT_EQ(T.Right->Left + T.Right->AxisX, P.Left + T.Bottom->Length);
}

TEST(Layout, ZeroOriginMovesTheYAxisToZero)
{
    TTestGraph Plain;
    Data(Plain, {-5, 5}, {1, 10});
    Plain.Render();
    TTestGraph T;
    T.Graph.SetZeroOrigin(true);
    Data(T, {-5, 5}, {1, 10});
    T.Render();
    const TKvRect& P = T.Graph.World().PlotRect;
    EXPECT_EQ(T.Left->Left + T.Left->AxisX, P.Left + T.Bottom->RealToIntPosition(0));
    // The left margin does not hold the axis any more.
    EXPECT_LT(P.Left, Plain.Graph.World().PlotRect.Left);
    // The zero label of the crossing axis is left out.
    for (const auto& L : T.Bottom->TickLabels())
        EXPECT_NE(L.Text.toStdString(), "0");
    // Y does not cross (1..10): the X axis stays at the bottom.
    EXPECT_EQ(T.Bottom->Top + T.Bottom->AxisY, P.Top + T.Left->Length);
}

TEST(Layout, ZeroOriginMovesTheXAxisToZero)
{
    TTestGraph T;
    T.Graph.SetZeroOrigin(true);
    Data(T, {1, 10}, {-4, 6});
    T.Render();
    const TKvRect& P = T.Graph.World().PlotRect;
    EXPECT_EQ(T.Bottom->Top + T.Bottom->AxisY, P.Top + T.Left->RealToIntPosition(0));
}

TEST(Layout, DockedRightLegendWidensTheRightMargin)
{
    TTestGraph Plain;
    Data(Plain, {0, 10}, {0, 10});
    Plain.Render();
    TTestGraph T;
    Data(T, {0, 10}, {0, 10});
    auto& L = T.Graph.AddLegend();
    L.SetAutoSize(false);
    L.Width = 80;
    L.SetOutsideGap(5);
    L.SetInGraphPosition(TKvAxisPos::AxRightPos);
    T.Render();
    const TKvRect& P = T.Graph.World().PlotRect;
    // The legend takes 80 + 2 * 5 at the right edge; the right axis
    // (its ticks pointing inwards) sits just left of that room.
    EXPECT_EQ(L.Left, T.Graph.Width() - 80 - 5);
    EXPECT_EQ(P.Right, L.Left - 5);
    EXPECT_LT(P.Right, Plain.Graph.World().PlotRect.Right - 80);
    EXPECT_EQ(L.Top, P.Top + (T.Left->Length - L.Height) / 2);
}

struct TDockCase {
    TKvAxisPos Position;
};

class LegendDocking : public testing::TestWithParam<TKvAxisPos> {};

TEST_P(LegendDocking, LegendGetsItsOwnMarginAndStaysClearOfThePlot)
{
    TTestGraph T;
    Data(T, {0, 10}, {0, 10});
    auto& L = T.Graph.AddLegend();
    L.SetInGraphPosition(GetParam());
    const QImage Image = T.Render();
    const TKvRect& P = T.Graph.World().PlotRect;
    const QRect Legend(L.Left, L.Top, L.Width, L.Height);
    const QRect Plot(P.Left, P.Top, P.Width(), P.Height());
    EXPECT_FALSE(Legend.intersects(Plot));
    EXPECT_TRUE(QRect(0, 0, 600, 400).contains(Legend));
    const int G = L.OutsideGap();
    switch (GetParam()) {
    case TKvAxisPos::AxBottomPos: EXPECT_EQ(L.Top + L.Height + G, 400); break;
    case TKvAxisPos::AxTopPos: EXPECT_EQ(L.Top, G); break;
    case TKvAxisPos::AxLeftPos: EXPECT_EQ(L.Left, G); break;
    case TKvAxisPos::AxRightPos: EXPECT_EQ(L.Left + L.Width + G, 600); break;
    case TKvAxisPos::AxFreeFloating: break;
    }
    // The legend frame (red) is painted at its edge.
    EXPECT_TRUE(SameColor(Image.pixel(L.Left, L.Top + L.Height / 2), Qt::red));
    const std::string Name = "legend-" + std::to_string(static_cast<int>(GetParam())) + ".png";
    Image.save(QString::fromStdString(ShotPath(Name)));
}

INSTANTIATE_TEST_SUITE_P(Sides, LegendDocking,
                         testing::Values(TKvAxisPos::AxBottomPos, TKvAxisPos::AxLeftPos, TKvAxisPos::AxTopPos,
                                         TKvAxisPos::AxRightPos));

TEST(Layout, HiddenAxisLeavesItsBorderGapButRoomForHalfALabel)
{
    TTestGraph T;
    Data(T, {0, 1000}, {0, 10});
    T.Left->SetVisible(false);
    T.Left->SetBorderCaptionGap(3);
    T.Render();
    int Widest = 0;
    for (const auto& L : T.Bottom->ScaleLabels())
        Widest = std::max(Widest, L->Width());
    const int32_t Margin = std::max(3, Widest / 2);
    EXPECT_EQ(T.Graph.World().PlotRect.Left, Margin - 1);
    T.Left->SetBorderCaptionGap(40);
    T.Render();
    EXPECT_EQ(T.Graph.World().PlotRect.Left, 39);
}

TEST(Layout, FrameWidthAndTitleReserveRoom)
{
    TTestGraph Plain;
    Data(Plain, {0, 10}, {0, 10});
    Plain.Render();
    TTestGraph T;
    Data(T, {0, 10}, {0, 10});
    T.Graph.FrameLine.SetVisible(true);
    T.Graph.FrameLine.SetWidth(4);
    T.Graph.SetCaption("A title");
    T.Graph.SetShowTitle(true);
    const QImage Image = T.Render();
    // Frame width, then the title, then the top axis (its ticks overlap the plot).
    EXPECT_GE(T.Graph.World().PlotRect.Top, 4 + T.Graph.TitleLabel().Height() - 1);
    EXPECT_GT(T.Graph.World().PlotRect.Top, Plain.Graph.World().PlotRect.Top);
    EXPECT_EQ(T.Graph.TitleLabel().Top(), 4);
    // The frame pen is twice as wide, half of it outside the picture.
    EXPECT_TRUE(SameColor(Image.pixel(3, 200), Qt::black));
    EXPECT_TRUE(SameColor(Image.pixel(0, 0), Qt::black));
}

TEST(Layout, ExponentLabelOfALargeAxis)
{
    TTestGraph T;
    Data(T, {0, 20000}, {0, 0.002});
    T.Render();
    ASSERT_NE(T.Bottom->ExponentLabel(), nullptr);
    ASSERT_NE(T.Left->ExponentLabel(), nullptr);
    EXPECT_GT(T.Bottom->ExponentLabel()->Top(), T.Bottom->ScaleLabels().back()->Top());
    EXPECT_EQ(T.Bottom->ScaleLabels().front()->Caption().toStdString(), "0.0");
    EXPECT_EQ(T.Right->ExponentLabel(), nullptr); // the right axis shows no labels
}

TEST(Layout, CaptionsSitOutsideTheLabels)
{
    TTestGraph T;
    Data(T, {0, 10}, {0, 10});
    T.Bottom->SetShowCaption(true);
    T.Bottom->SetAutoCaption("x / m");
    T.Left->SetShowCaption(true);
    T.Left->SetAutoCaption("y / m");
    T.Render();
    const TKvLabel* XC = T.Bottom->CaptionLabel();
    const TKvLabel* YC = T.Left->CaptionLabel();
    ASSERT_TRUE(XC && YC);
    EXPECT_EQ(YC->Angle(), 900);
    EXPECT_GE(XC->Top(), T.Bottom->ScaleLabels().front()->Top() + T.Bottom->ScaleLabels().front()->Height());
    EXPECT_LE(YC->Left() + YC->Width(), T.Left->ScaleLabels().front()->Left());
    EXPECT_LE(XC->Top() + XC->Height(), 400);
}

} // namespace kv::test
