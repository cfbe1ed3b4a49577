#include "workspace/KvWorkspace.h"

#include "foundation/KvErrors.h"

#include <QDir>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace kv {

namespace {

std::string TempFile(const std::string& Name)
{
    QDir().mkpath(QStringLiteral("/tmp/graph-shots/workspace"));
    const std::string Path = "/tmp/graph-shots/workspace/" + Name;
    std::remove(Path.c_str());
    return Path;
}

void Fill(TKvWorkspace& W, int32_t Column, std::initializer_list<double> Values)
{
    for (double V : Values)
        W.Document.Table.Data(Column).Add(V);
}

// Graph g (1-based), slot s (1-based) plots column Y over column X.
void Assign(TKvWorkspace& W, int32_t g, int32_t s, int32_t X, int32_t Y)
{
    auto& A = W.Document.Assignment;
    while (A.GraphCount() < g)
        A.AddGraph();
    auto& D = A.Graphs[static_cast<size_t>(g - 1)];
    D.XAxis[static_cast<size_t>(s - 1)] = X;
    D.YAxis[static_cast<size_t>(s - 1)] = Y;
}

std::vector<std::string> SectionOrder(const std::string& File)
{
    std::ifstream In(File);
    std::vector<std::string> Sections;
    for (std::string Line; std::getline(In, Line);) {
        if (!Line.empty() && Line.back() == '\r')
            Line.pop_back();
        if (Line.size() > 2 && Line.front() == '[')
            Sections.push_back(Line.substr(1, Line.size() - 2));
    }
    return Sections;
}

} // namespace

TEST(Workspace, NewWindowHasTheInitialOutfit)
{
    TKvWorkspace W;
    ASSERT_EQ(W.WindowCount(), 1);
    TKvGraphWindowModel& G = W.Window(1);
    EXPECT_EQ(G.Caption.toStdString(), "Plot / Graph(1)");
    EXPECT_TRUE(G.Graph.AutoZoom);
    EXPECT_EQ(G.Graph.DataColor, clBtnFace);
    EXPECT_FALSE(G.Graph.FrameLine.Visible());
    EXPECT_EQ(G.Graph.MajorGridX.Style(), TPenStyle::psDot);
    EXPECT_EQ(G.Graph.MajorGridX.Color(), clRed);
    EXPECT_EQ(G.Graph.PrimaryXAxis(), &G.BottomAxis);
    EXPECT_EQ(G.Graph.PrimaryYAxis(), &G.LeftAxis);
    EXPECT_TRUE(G.TopAxis.IsSlaveAxis());
    EXPECT_EQ(G.TopAxis.MasterAxis(), &G.BottomAxis);
    EXPECT_TRUE(G.RightAxis.IsSlaveAxis());
    EXPECT_TRUE(G.BottomAxis.ShowCaption());
    EXPECT_FALSE(G.TopAxis.ShowScaleLabels());
    EXPECT_EQ(G.BottomAxis.MajorTickLength(), -10);
    EXPECT_EQ(G.LeftAxis.MajorTickLength(), 10);
    EXPECT_EQ(G.TopAxis.TickLength(), 6);
    EXPECT_EQ(G.RightAxis.TickLength(), -6);
    EXPECT_TRUE(G.LeftAxis.CaptionFont().Bold);
    EXPECT_EQ(G.LeftAxis.CaptionFont().Color, clBlue);
    EXPECT_FALSE(G.Legend.Visible);
    EXPECT_EQ(G.Legend.InGraphPosition(), TKvAxisPos::AxFreeFloating);
    EXPECT_TRUE(G.Legend.Horizontal());
    EXPECT_EQ(W.WindowList(), (std::vector<QString>{"Data Table", "Graph(1)"}));
}

TEST(Workspace, SeriesFollowTheValidSlots)
{
    TKvWorkspace W;
    Fill(W, 1, {1, 2, 3});
    Fill(W, 2, {4, 5, 6});
    Fill(W, 3, {0.1, 0.2, 0.3});
    W.Document.Table.Column(1).Header = "Time t / s";
    W.Document.Table.Column(2).Header = "U / V";
    auto& D = W.Document.Assignment.Graphs[0];
    D.XAxis[0] = 1; // X but no Y: no series
    W.RebuildGraphWindows();
    EXPECT_EQ(W.Window(1).SeriesCount(), 0);
    D.YAxis[0] = 2;
    D.dYPlus[0] = 3;
    D.XAxis[2] = 1;
    D.YAxis[2] = 3;
    D.YAxisPos[2] = 1;
    W.RebuildGraphWindows();
    TKvGraphWindowModel& G = W.Window(1);
    ASSERT_EQ(G.SeriesCount(), 2);
    TKvDataWithErrorSeries* S1 = G.SeriesOfTag(1);
    TKvDataWithErrorSeries* S3 = G.SeriesOfTag(3);
    ASSERT_TRUE(S1 && S3);
    EXPECT_EQ(S1->Caption().toStdString(), "Series(1)");
    EXPECT_EQ(S1->XData(), &W.Document.Table.Data(1));
    EXPECT_EQ(S1->dYPlus(), &W.Document.Table.Data(3));
    EXPECT_EQ(S1->XAxis(), &G.BottomAxis);
    EXPECT_EQ(S3->YAxis(), &G.RightAxis);
    EXPECT_FALSE(G.RightAxis.IsSlaveAxis());
    EXPECT_TRUE(G.TopAxis.IsSlaveAxis());
    EXPECT_EQ(G.BottomAxis.Caption().toStdString(), "Time t / s");
    EXPECT_EQ(G.LeftAxis.Caption().toStdString(), "U / V");
    // Live edits reach the series.
    G.Graph.SetBounds(600, 400);
    G.Graph.PrepareForPaint();
    EXPECT_EQ(S1->YRange().Stop(), 6.3);
    W.Document.Table.Data(2).SetValue(1, 50);
    EXPECT_EQ(S1->YRange().Stop(), 50.2);
    // Emptying a slot removes its series only.
    D.YAxis[0] = 0;
    W.RebuildGraphWindows();
    EXPECT_EQ(G.SeriesCount(), 1);
    EXPECT_EQ(G.SeriesOfTag(3), S3);
}

TEST(Workspace, GraphWithoutSeriesDisappearsAndLaterOnesMoveUp)
{
    TKvWorkspace W;
    Fill(W, 1, {1, 2});
    Fill(W, 2, {3, 4});
    Assign(W, 1, 1, 1, 2);
    Assign(W, 2, 1, 1, 2);
    Assign(W, 3, 1, 2, 1);
    W.Document.Assignment.Graphs[2].Title = "Third";
    W.Document.Assignment.Graphs[2].Outfit = "third.oft";
    W.RebuildGraphWindows();
    ASSERT_EQ(W.WindowCount(), 3);
    TKvGraphWindowModel* Third = &W.Window(3);
    W.Document.Assignment.Graphs[1].YAxis[0] = 0;
    W.RebuildGraphWindows();
    ASSERT_EQ(W.WindowCount(), 2);
    EXPECT_EQ(W.Document.Assignment.GraphCount(), 2);
    EXPECT_EQ(&W.Window(2), Third);
    EXPECT_EQ(W.Window(2).Tag, 2);
    EXPECT_EQ(W.Window(2).Caption.toStdString(), "Plot / Third");
    EXPECT_EQ(W.Window(2).OutfitFile, "third.oft");
    EXPECT_EQ(W.WindowList(), (std::vector<QString>{"Data Table", "Graph(1)", "Third"}));
    EXPECT_EQ(W.Document.Table.LockedRows, 5);
    EXPECT_THROW(W.Window(3), ERangeError);
}

TEST(Workspace, SlotNamingAColumnBeyondTheTablePlotsNothing)
{
    TKvWorkspace W;
    Assign(W, 1, 1, 1, 400);
    W.RebuildGraphWindows();
    EXPECT_EQ(W.Window(1).SeriesCount(), 0);
}

TEST(Workspace, DataFileReadsBackTheSameGraphs)
{
    const std::string File = TempFile("roundtrip.plt");
    {
        TKvWorkspace W;
        Fill(W, 1, {1, 2, 3, 4});
        Fill(W, 2, {2, 4, 1, 3});
        Fill(W, 3, {0.5, 0.5, 0.5, 0.5});
        Assign(W, 1, 1, 1, 2);
        Assign(W, 1, 2, 1, 3);
        W.RebuildGraphWindows();
        TKvGraphWindowModel& G = W.Window(1);
        G.Graph.SetShowTitle(true);
        G.Graph.MajorGridY.SetVisible(true);
        G.LeftAxis.SetScaling(TKvAxScaling::AxLog);
        G.BottomAxis.SetDoUserCaption(true);
        G.BottomAxis.SetUserCaption("\\ss\\s-axis");
        G.SeriesOfTag(2)->PointStyle.SetStyle(TKvPointSymbol::SyDiamondFilled);
        G.SeriesOfTag(2)->LineStyle.SetColor(0x00AA00);
        G.Legend.Visible = true;
        G.Legend.SetInGraphPosition(TKvAxisPos::AxTopPos);
        G.Placement = {TKvWindowState::WsNormal, 20, 30, 500, 700};
        W.SaveToFile(File);
    }
    const std::vector<std::string> Order = SectionOrder(File);
    const std::vector<std::string> Head(Order.begin(), Order.begin() + 11);
    EXPECT_EQ(Head, (std::vector<std::string>{"Graphs", "Graph(1)", "Graph(1).TopAxis", "Graph(1).RightAxis",
                                              "Graph(1).BottomAxis", "Graph(1).LeftAxis", "Graph(1).Series(1)",
                                              "Graph(1).Series(2)", "Graph(1).Legend", "Assignments", "Column(0)"}));
    TKvWorkspace R;
    R.LoadFromFile(File);
    ASSERT_EQ(R.WindowCount(), 1);
    TKvGraphWindowModel& G = R.Window(1);
    EXPECT_TRUE(G.Graph.ShowTitle());
    EXPECT_TRUE(G.Graph.MajorGridY.Visible());
    EXPECT_EQ(G.LeftAxis.Scaling(), TKvAxScaling::AxLog);
    EXPECT_EQ(G.BottomAxis.Caption().toStdString(), "\\ss\\s-axis");
    ASSERT_EQ(G.SeriesCount(), 2);
    EXPECT_EQ(G.SeriesOfTag(2)->PointStyle.Style(), TKvPointSymbol::SyDiamondFilled);
    EXPECT_EQ(G.SeriesOfTag(2)->LineStyle.Color(), 0x00AA00);
    EXPECT_TRUE(G.Legend.Visible);
    EXPECT_EQ(G.Legend.InGraphPosition(), TKvAxisPos::AxTopPos);
    EXPECT_EQ(G.Placement.Width, 700);
    EXPECT_EQ(G.SeriesOfTag(1)->YData(), &R.Document.Table.Data(2));
    EXPECT_EQ(R.Document.Table.Data(2).Count(), 4);
    // Written again, the file does not change.
    std::ifstream Before(File);
    std::stringstream A;
    A << Before.rdbuf();
    const std::string Copy = TempFile("roundtrip-again.plt");
    R.SaveToFile(Copy);
    std::ifstream After(Copy);
    std::stringstream B;
    B << After.rdbuf();
    EXPECT_EQ(A.str(), B.str());
}

TEST(Workspace, OutfitCarriesTheLookToAnotherWindow)
{
    TKvWorkspace W;
    Fill(W, 1, {1, 2});
    Fill(W, 2, {1, 2});
    Assign(W, 1, 1, 1, 2);
    Assign(W, 1, 2, 2, 1);
    Assign(W, 1, 3, 1, 1);
    W.RebuildGraphWindows();
    TKvGraphWindowModel& G = W.Window(1);
    TKvIniList Outfit;
    {
        TKvGraphWindowModel Source(1);
        auto& A = Source.AddSeries(1);
        auto& B = Source.AddSeries(2);
        A.LineStyle.SetColor(0x000011);
        B.LineStyle.SetColor(0x000022);
        Source.Graph.SetCaption("Styled");
        Source.SaveOutfit(Outfit);
    }
    EXPECT_TRUE(Outfit.SectionExists("Graph.Legend"));
    G.LoadOutfit(Outfit);
    const auto Series = G.DataSeries();
    EXPECT_EQ(Series[0]->LineStyle.Color(), 0x000011);
    EXPECT_EQ(Series[1]->LineStyle.Color(), 0x000022);
    EXPECT_EQ(Series[2]->LineStyle.Color(), 0x000011);
    EXPECT_EQ(G.Graph.Caption().toStdString(), "Styled");
}

// A file looks the same whatever was open before: a window reused for a
// newly opened document starts from the defaults, then reads the file's
// keys (the example has no keys for axes and colours).
TEST(Workspace, OpenedFileLooksTheSameWhateverWasOpenBefore)
{
    const std::string File = KURVEX_TEST_DATA "/../../examples/Damped-oscillation.plt";
    const auto Look = [](TKvWorkspace& W) {
        TKvIniList Outfit;
        W.Window(1).SaveOutfit(Outfit);
        return Outfit.Text();
    };
    TKvWorkspace Fresh;
    Fresh.LoadFromFile(File);
    TKvWorkspace Used;
    Fill(Used, 1, {1, 2, 3});
    Fill(Used, 2, {1, 4, 9});
    Assign(Used, 1, 1, 1, 2);
    Used.RebuildGraphWindows();
    TKvGraphWindowModel& G = Used.Window(1);
    G.BottomAxis.SetScaling(TKvAxScaling::AxLog);
    G.BottomAxis.SetStartEnd(TKvAxEnd::AxFixed);
    G.BottomAxis.SetStopEnd(TKvAxEnd::AxFixed);
    G.BottomAxis.SetStart(1);
    G.BottomAxis.SetStop(10);
    G.Graph.DataColor = 0x00FFFF;
    TKvFontRecord Title = G.Graph.TitleFont();
    Title.Italic = true;
    G.Graph.SetTitleFont(Title);
    Used.LoadFromFile(File);
    EXPECT_EQ(Look(Used), Look(Fresh));
    EXPECT_EQ(Used.Window(1).BottomAxis.Scaling(), TKvAxScaling::AxNormal);
}

// An outfit file cut short or of garbage is named as damaged and applied
// not at all; a whole one applies.
TEST(Workspace, DamagedOutfitIsNamedAndNotApplied)
{
    TKvIniList Outfit;
    {
        TKvGraphWindowModel Source(1);
        Source.Graph.DataColor = 0x00FFFF;
        Source.SaveOutfit(Outfit);
    }
    const std::string Whole = Outfit.Text();
    const struct {
        const char* Name;
        std::string Text;
        bool Damaged;
    } Cases[] = {{"cut.oft", Whole.substr(0, Whole.size() / 2), true},
                 {"garbage.oft", "\x7f\x45LF garbage\n\x01\x02", true},
                 {"whole.oft", Whole, false}};
    for (const auto& C : Cases) {
        const std::string File = TempFile(C.Name);
        std::ofstream(File, std::ios::binary) << C.Text;
        TKvGraphWindowModel Target(1);
        TKvIniList Before;
        Target.SaveOutfit(Before);
        if (C.Damaged) {
            try {
                Target.LoadOutfitFile(File);
                ADD_FAILURE() << C.Name << " was taken";
            } catch (const EFileError& E) {
                EXPECT_NE(std::string(E.what()).find(File + " is damaged"), std::string::npos) << E.what();
            }
            TKvIniList After;
            Target.SaveOutfit(After);
            EXPECT_EQ(After.Text(), Before.Text()) << C.Name << ": applied half";
        } else {
            EXPECT_NO_THROW(Target.LoadOutfitFile(File));
            EXPECT_EQ(Target.Graph.DataColor, 0x00FFFF);
        }
    }
}

TEST(Workspace, NewSeriesTakeTheirStyleFromTheSettings)
{
    TKvIniList Settings;
    Settings.WriteInteger("Graph(1).Series(2)", "Point.Style", static_cast<int32_t>(TKvPointSymbol::SyStar));
    TKvWorkspace W;
    Fill(W, 1, {1});
    Assign(W, 1, 2, 1, 1);
    W.RebuildGraphWindows(&Settings);
    EXPECT_EQ(W.Window(1).SeriesOfTag(2)->PointStyle.Style(), TKvPointSymbol::SyStar);
}

TEST(Workspace, ClearingKeepsOneEmptyGraph)
{
    TKvWorkspace W;
    Fill(W, 1, {1});
    Assign(W, 1, 1, 1, 1);
    Assign(W, 2, 1, 1, 1);
    W.RebuildGraphWindows();
    ASSERT_EQ(W.WindowCount(), 2);
    W.Document.ClearAll();
    EXPECT_EQ(W.WindowCount(), 1);
    EXPECT_EQ(W.Window(1).SeriesCount(), 0);
}

} // namespace kv
