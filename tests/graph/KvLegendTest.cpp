#include "GraphTestSupport.h"

#include <gtest/gtest.h>

namespace kv::test {

namespace {

void FiveSeries(TTestGraph& T)
{
    for (int k = 0; k < 5; ++k) {
        auto& S = T.AddSeries(T.Vector({0, 1}), T.Vector({double(k), double(k + 1)}));
        S.SetAutoCaption(QStringLiteral("Series %1").arg(k + 1));
    }
}

std::vector<int32_t> Distinct(const std::vector<TKvLegendItem>& Items, bool ByY)
{
    std::vector<int32_t> Values;
    for (const auto& I : Items)
        if (std::find(Values.begin(), Values.end(), ByY ? I.Y : I.X) == Values.end())
            Values.push_back(ByY ? I.Y : I.X);
    return Values;
}

} // namespace

TEST(Legend, RowsOfThreeAndTwoCentred)
{
    TTestGraph T;
    FiveSeries(T);
    auto& L = T.Graph.AddLegend();
    L.SetHorizontal(true);
    L.SetRows(2);
    T.Render();
    const auto& I = L.Items();
    ASSERT_EQ(I.size(), 5u);
    EXPECT_EQ(Distinct(I, true).size(), 2u);
    EXPECT_EQ(I[0].Y, I[2].Y);
    EXPECT_NE(I[2].Y, I[3].Y);
    const int32_t Row1 = I[0].Width + I[1].Width + I[2].Width + 2 * L.HorizontalGap();
    const int32_t Row2 = I[3].Width + I[4].Width + L.HorizontalGap();
    EXPECT_EQ(L.ContentWidth(), Row1);
    EXPECT_EQ(I[0].X, L.BorderGap());
    EXPECT_EQ(I[3].X, L.BorderGap() + (Row1 - Row2) / 2);
    EXPECT_EQ(L.Width, 2 * L.BorderGap() + Row1);
    EXPECT_EQ(L.Height, 2 * L.BorderGap() + 2 * (L.RowHeight() + L.VerticalGap()) - L.VerticalGap());
}

TEST(Legend, ColumnsOfThreeAndTwo)
{
    TTestGraph T;
    FiveSeries(T);
    auto& L = T.Graph.AddLegend();
    L.SetColumns(2);
    T.Render();
    const auto& I = L.Items();
    EXPECT_EQ(I[0].X, I[2].X);
    EXPECT_EQ(I[3].X, I[4].X);
    EXPECT_EQ(I[3].X, L.BorderGap() + std::max({I[0].Width, I[1].Width, I[2].Width}) + L.HorizontalGap());
    EXPECT_EQ(I[3].Y, L.BorderGap());
    EXPECT_EQ(L.ContentHeight(), 3 * (L.RowHeight() + L.VerticalGap()) - L.VerticalGap());
    EXPECT_EQ(I[0].Caption.X, I[0].X + L.LineLength() + L.LineGap());
}

// A docked legend wraps into as many rows (top, bottom) or columns (left,
// right) as it takes to fit along its edge, every entry inside it and the
// plot beside it; a free one stays whole inside the graph.
TEST(Legend, FitsTheGraph)
{
    struct TCase {
        const char* Name;
        TKvAxisPos Position;
        bool Horizontal;
        int W, H;
        int MinLines;
    };
    for (const TCase& C : {TCase{"Top", TKvAxisPos::AxTopPos, true, 400, 400, 2},
                           TCase{"Bottom", TKvAxisPos::AxBottomPos, true, 400, 400, 2},
                           TCase{"Right", TKvAxisPos::AxRightPos, false, 800, 150, 2},
                           TCase{"Left", TKvAxisPos::AxLeftPos, false, 800, 150, 2},
                           TCase{"Free", TKvAxisPos::AxFreeFloating, false, 600, 400, 1}}) {
        SCOPED_TRACE(C.Name);
        TTestGraph T;
        for (int k = 0; k < 7; ++k) {
            auto& S = T.AddSeries(T.Vector({0, 1}), T.Vector({double(k), double(k + 1)}));
            S.SetAutoCaption(QStringLiteral("Measured series %1").arg(k + 1));
        }
        auto& L = T.Graph.AddLegend();
        L.SetHorizontal(C.Horizontal);
        L.SetRows(1);
        L.SetInGraphPosition(C.Position);
        L.Left = C.W - 50; // a free legend put near the right edge
        T.Render(C.W, C.H);
        EXPECT_GE(L.ShownLines(), C.MinLines);
        EXPECT_GE(L.Left, 0);
        EXPECT_GE(L.Top, 0);
        EXPECT_LE(L.Left + L.Width, C.W);
        EXPECT_LE(L.Top + L.Height, C.H);
        std::vector<std::pair<int32_t, int32_t>> Places;
        for (const TKvLegendItem& I : L.Items()) {
            EXPECT_GE(I.X, L.BorderGap());
            EXPECT_LE(I.X + I.Width, L.Width - L.BorderGap());
            EXPECT_LE(I.Y + L.RowHeight(), L.Height - L.BorderGap());
            Places.emplace_back(I.X, I.Y);
        }
        std::sort(Places.begin(), Places.end());
        EXPECT_EQ(std::unique(Places.begin(), Places.end()), Places.end()) << "two entries in one place";
        const TKvRect& P = T.Graph.World().PlotRect;
        switch (C.Position) {
        case TKvAxisPos::AxTopPos: EXPECT_LE(L.Top + L.Height, P.Top); break;
        case TKvAxisPos::AxBottomPos: EXPECT_GE(L.Top, P.Bottom); break;
        case TKvAxisPos::AxRightPos: EXPECT_GE(L.Left, P.Right); break;
        case TKvAxisPos::AxLeftPos: EXPECT_LE(L.Left + L.Width, P.Left); break;
        case TKvAxisPos::AxFreeFloating: break;
        }
    }
}

// Every entry gets a place whatever number of rows is set.
TEST(Legend, EveryEntryHasARow)
{
    TTestGraph T;
    for (int k = 0; k < 7; ++k)
        T.AddSeries(T.Vector({0, 1}), T.Vector({double(k), double(k + 1)}));
    auto& L = T.Graph.AddLegend();
    L.SetHorizontal(true);
    L.SetRows(3);
    T.Render(1200, 400);
    EXPECT_EQ(Distinct(L.Items(), true).size(), 3u);
    EXPECT_EQ(L.Height, 2 * L.BorderGap() + 3 * (L.RowHeight() + L.VerticalGap()) - L.VerticalGap());
    EXPECT_GT(L.Items()[6].Y, L.Items()[5].Y);
}

TEST(Legend, ExcludedSeriesTakeNoRoom)
{
    TTestGraph T;
    FiveSeries(T);
    auto& L = T.Graph.AddLegend();
    T.Render();
    const int32_t Height = L.Height;
    const_cast<TKvSeries*>(T.Graph.SeriesList()[1])->IncludeInLegend = false;
    L.RequestRebuild();
    T.Render();
    EXPECT_EQ(L.Height, Height - L.RowHeight() - L.VerticalGap());
    EXPECT_EQ(L.Items()[2].Y, L.Items()[0].Y + L.RowHeight() + L.VerticalGap());
}

TEST(Legend, KeepsItsEntriesWhenTheGraphLosesItsSeries)
{
    TTestGraph T;
    FiveSeries(T);
    auto& L = T.Graph.AddLegend();
    T.Render();
    // The series stay but none is drawn on the graph any more.
    for (const auto& S : T.Graph.OwnedSeries())
        S->SetXAxis(nullptr);
    T.Render();
    EXPECT_TRUE(T.Graph.SeriesList().empty());
    EXPECT_EQ(L.Items().size(), 5u);
}

TEST(Legend, DeletedSeriesLeaveTheLegend)
{
    TTestGraph T;
    FiveSeries(T);
    auto& L = T.Graph.AddLegend();
    T.Render();
    T.Graph.DeleteSeries(T.Graph.OwnedSeries()[1].get());
    EXPECT_EQ(L.Items().size(), 4u);
    T.Graph.ClearSeries();
    EXPECT_TRUE(L.Items().empty());
    T.Render();
}

TEST(Legend, HiddenPointsStillShowTheirSymbol)
{
    TTestGraph T;
    auto& S = T.AddSeries(T.Vector({0, 1}), T.Vector({0, 1}));
    S.SetAutoCaption("a");
    S.PointStyle.SetVisible(false);
    S.PointStyle.SetStyle(TKvPointSymbol::SySquareFilled);
    S.PointStyle.SetColor(0x00FF00);
    auto& L = T.Graph.AddLegend();
    L.Left = 300;
    L.Top = 100;
    const QImage Image = T.Render();
    const TKvLegendItem& I = L.Items()[0];
    EXPECT_TRUE(SameColor(Image.pixel(L.Left + I.X + L.LineLength() / 2, L.Top + I.Y + L.RowHeight() / 2), Qt::green));
    EXPECT_TRUE(L.Draggable());
    L.SetInGraphPosition(TKvAxisPos::AxTopPos);
    EXPECT_FALSE(L.Draggable());
}

TEST(Legend, SaveAndLoad)
{
    TTestGraph T;
    auto& L = T.Graph.AddLegend();
    L.SetInGraphPosition(TKvAxisPos::AxLeftPos);
    L.SetHorizontal(true);
    L.SetRows(3);
    L.SetLineLength(40);
    L.Frame.SetColor(0x00FF00);
    L.Color = clWhite;
    TKvFontRecord F;
    F.Size = 14;
    F.Italic = true;
    L.SetFont(F);
    TKvIniList Ini;
    L.SaveToIni(Ini, "G.Legend");
    Ini.WriteString("G.Legend", "Columns", "-4");
    TTestGraph U;
    auto& M = U.Graph.AddLegend();
    M.LoadFromIni(Ini, "G.Legend");
    EXPECT_EQ(M.InGraphPosition(), TKvAxisPos::AxLeftPos);
    EXPECT_TRUE(M.Horizontal());
    EXPECT_EQ(M.Rows(), 3);
    EXPECT_EQ(M.Columns(), 1);
    EXPECT_EQ(M.LineLength(), 40);
    EXPECT_EQ(M.Frame.Color(), 0x00FF00);
    EXPECT_EQ(M.Color, clWhite);
    EXPECT_EQ(M.Font(), F);
}

} // namespace kv::test
