#include "GraphWindowFixture.h"

#include "foundation/KvLargeIniFile.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QTabBar>
#include <QTableWidget>
#include <QTimer>

using namespace kv;
using namespace kv::test;

namespace {

using Assignment = GraphWindows;

QStringList Tabs(QTabBar& Bar)
{
    QStringList List;
    for (int i = 0; i < Bar.count(); ++i)
        List << Bar.tabText(i);
    return List;
}

QStringList MenuTexts(QMenu& Menu)
{
    QStringList List;
    for (QAction* A : Menu.actions())
        List << A->text();
    return List;
}

TEST_F(Assignment, SlotWithXButNoYPlotsNothingUntilCompleted)
{
    Open();
    Fill(1, {1, 2, 3});
    Fill(2, {4, 5, 6});
    Assign->Prepare();
    Assign->SlotCombo(0, TGraphAssignForm::SkX)->setCurrentIndex(1);
    Assign->Apply();
    // The only graph keeps its window even without a series.
    ASSERT_EQ(Assign->GraphFormCount(), 1);
    EXPECT_TRUE(Form(1).DataSeries().empty());
    EXPECT_EQ(Form(1).SeriesTab()->count(), 0);
    EXPECT_EQ(Form(1).windowTitle(), "Plot / Graph(1)");

    Assign->SlotCombo(0, TGraphAssignForm::SkY)->setCurrentIndex(2);
    Assign->Apply();
    ASSERT_EQ(Form(1).DataSeries().size(), 1u);
    EXPECT_EQ(Form(1).DataSeries()[0]->YData(), &Doc().Table.Data(2));
    EXPECT_EQ(Form(1).ActiveSeries(), Form(1).DataSeries()[0]);
    EXPECT_EQ(Tabs(*Form(1).CalculationsTab()), QStringList{"Data Points"});
}

TEST_F(Assignment, EmptiedGraphTwoOfThreeGoesAndGraphThreeMovesUp)
{
    Open();
    Fill(1, {1, 2});
    Fill(2, {3, 4});
    for (int g = 1; g <= 3; ++g)
        Plot(g, 1, 1, 2);
    auto& Graphs = Doc().Assignment.Graphs;
    Graphs[0].Title = "First";
    Graphs[1].Title = "Second";
    Graphs[2] = Graphs[1];
    Graphs[2].Title = "Third";
    Graphs[2].Outfit = "/somewhere/third.oft";
    Assign->RebuildGraphWindows();
    ASSERT_EQ(Assign->GraphFormCount(), 3);
    TGraphForm* Third = &Form(3);

    Assign->Prepare();
    EXPECT_EQ(Tabs(*Assign->GraphTabs()), (QStringList{"First", "Second", "Third"}));
    Assign->GraphTabs()->setCurrentIndex(1);
    EXPECT_EQ(Assign->TitleEdit()->Caption(), "Second");
    Assign->SlotCombo(0, TGraphAssignForm::SkY)->setCurrentIndex(0); // " not selected"
    Assign->Apply();

    ASSERT_EQ(Assign->GraphFormCount(), 2);
    EXPECT_EQ(&Form(2), Third); // the same window, renumbered
    EXPECT_EQ(Form(2).windowTitle(), "Plot / Third");
    EXPECT_EQ(Form(2).Model().OutfitFile, "/somewhere/third.oft");
    EXPECT_EQ(Doc().Assignment.GraphCount(), 2);
    EXPECT_EQ(Doc().Table.LockedRows, 5);
    QMenu Menu;
    Assign->FillWindowMenu(Menu);
    EXPECT_EQ(MenuTexts(Menu), (QStringList{"Data Table", "First", "Third"}));
    // Every window offers the same list.
    Form(2).WindowMenu()->aboutToShow();
    EXPECT_EQ(MenuTexts(*Form(2).WindowMenu()), (QStringList{"Data Table", "First", "Third"}));
    // Closing only hides; the menu entry brings the window back.
    Form(2).close();
    EXPECT_FALSE(Form(2).isVisible());
    EXPECT_EQ(Assign->GraphFormCount(), 2);
    Form(1).WindowMenu()->aboutToShow();
    Form(1).WindowMenu()->actions().at(2)->trigger();
    EXPECT_TRUE(Form(2).isVisible());
}

TEST_F(Assignment, CancelDropsNewGraphsButKeepsNewSlots)
{
    Open();
    const int Slots = Doc().Assignment.MaxSeries();
    Assign->Prepare();
    Assign->AddNewGraph();
    Assign->AddSeries();
    EXPECT_EQ(Tabs(*Assign->GraphTabs()), (QStringList{"Graph(1)", "Graph(2)"}));
    EXPECT_EQ(Assign->Grid()->rowCount(), Slots + 1);
    Assign->reject();
    EXPECT_EQ(Doc().Assignment.GraphCount(), 1);
    EXPECT_EQ(Doc().Assignment.MaxSeries(), Slots + 1);
    EXPECT_EQ(Doc().Assignment.Graphs[0].SlotCount(), Slots + 1);
}

TEST_F(Assignment, OkMarksTheTableModifiedAndTheActionOpensTheDialog)
{
    Open();
    EXPECT_FALSE(Doc().Table.Modified());
    Table->UpdateActions();
    ASSERT_TRUE(Table->Action("AssignGraphs")->isEnabled());
    bool Shown = false;
    QTimer::singleShot(0, [&] {
        Shown = Assign->isVisible();
        Assign->accept();
    });
    Table->Action("AssignGraphs")->trigger();
    EXPECT_TRUE(Shown);
    EXPECT_TRUE(Doc().Table.Modified());
}

TEST_F(Assignment, ColumnInsertionAndDeletionRenumberTheSlots)
{
    Open();
    Fill(2, {1, 2});
    Fill(3, {3, 4});
    Fill(4, {5, 6});
    Plot(1, 1, 2, 3);
    Plot(1, 2, 1, 4);
    Assign->RebuildGraphWindows();
    TKvRealVector* C = &Doc().Table.Data(3);
    auto& D = Doc().Assignment.Graphs[0];

    Table->Grid()->SetActiveCell(Doc().Table.LockedRows, 2);
    Table->DeleteColumn(); // B goes: B -> none, C -> B, D -> C
    EXPECT_EQ(D.XAxis[0], 0);
    EXPECT_EQ(D.YAxis[0], 2);
    EXPECT_EQ(D.XAxis[1], 1);
    EXPECT_EQ(D.YAxis[1], 3);
    Table->InsertColumn(); // at B: B and up move one letter up, A stays
    EXPECT_EQ(D.YAxis[0], 3);
    EXPECT_EQ(D.XAxis[1], 1);
    EXPECT_EQ(D.YAxis[1], 4);
    // The series keep their vectors until the next rebuild.
    ASSERT_EQ(Form(1).DataSeries().size(), 2u);
    Assign->RebuildGraphWindows();
    ASSERT_EQ(Form(1).DataSeries().size(), 1u);
    EXPECT_EQ(Form(1).SeriesTab()->tabText(0), "2");
    EXPECT_EQ(Form(1).DataSeries()[0]->YData()->Count(), 2);
    (void)C;
}

TEST_F(Assignment, ShortListsArePaddedToMaxSeriesAndForeignColumnsAreSkipped)
{
    Open();
    // Slot 3 repeats slot 2; slot 4 names column 40 of a 26-column table.
    Write(Dir / "pad.plt", "[Graphs]\nMaxSeries=4\nGraphCount=1\n\n[Graph(1)]\nTitle=Pad\n"
                           "XAxis=1;1;1;40\nYAxis=2;3;3;2\n");
    Doc().LoadFromFile((Dir / "pad.plt").string());
    ASSERT_EQ(Assign->GraphFormCount(), 1);
    EXPECT_EQ(Tabs(*Form(1).SeriesTab()), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(Form(1).DataSeries()[2]->YData(), &Doc().Table.Data(3));
    Assign->Prepare();
    EXPECT_EQ(Assign->SlotCombo(3, TGraphAssignForm::SkX)->currentIndex(), -1);
    EXPECT_EQ(Assign->SlotCombo(3, TGraphAssignForm::SkY)->currentIndex(), 2);
}

TEST_F(Assignment, DamagedOrHugeGraphSectionsOfTheSettingsStillStart)
{
    std::filesystem::create_directories(Paths.UserFolder);
    std::string Text = "[Graphs]\nMaxSeries=2\nGraphCount=1000\n\n";
    for (int g = 1; g <= 1000; ++g) {
        Text += "[Graph(" + std::to_string(g) + ")]\nTitle=G" + std::to_string(g) + "\n";
        // Every hundredth graph plots; the others hold junk.
        Text += g % 100 == 1 ? "XAxis=1;1\nYAxis=2;0\n" : "XAxis=x;;;\nYAxis=\xff\xfe\nForm.Top=zz\n";
        Text += "[Graph(" + std::to_string(g) + ").Legend]\nLeft=-99999999999\n";
    }
    Write(Paths.SettingsFile, Text);
    Open();
    EXPECT_EQ(Assign->GraphFormCount(), 10);
    EXPECT_EQ(Form(2).windowTitle(), "Plot / G101");
    EXPECT_EQ(Doc().Table.LockedRows, 13);
}

TEST_F(Assignment, WindowsComeBackAtStartWithTheirPlacementAndStyles)
{
    Open();
    Plot(1, 1, 1, 2);
    Assign->RebuildGraphWindows();
    Form(1).setGeometry(120, 140, 640, 480);
    Form(1).DataSeries()[0]->PointStyle.SetSize(9);
    Close();

    Open();
    ASSERT_EQ(Assign->GraphFormCount(), 1);
    ASSERT_EQ(Form(1).DataSeries().size(), 1u);
    EXPECT_EQ(Form(1).SeriesTab()->tabText(0), "1");
    EXPECT_EQ(Form(1).DataSeries()[0]->PointStyle.Size(), 9);
    EXPECT_EQ(Form(1).geometry().size(), QSize(640, 480));
    // A series added later takes its slot's style from the last run.
    Doc().Assignment.Graphs[0].YAxis[0] = 0;
    Assign->RebuildGraphWindows();
    EXPECT_TRUE(Form(1).DataSeries().empty());
    Doc().Assignment.Graphs[0].YAxis[0] = 2;
    Assign->RebuildGraphWindows();
    EXPECT_EQ(Form(1).DataSeries()[0]->PointStyle.Size(), 9);
}

} // namespace

namespace {

TEST_F(GraphWindows, ClearAllKeepsOnlyAnEmptyFirstWindow)
{
    Open();
    Fill(1, {1, 2});
    Plot(1, 1, 1, 1);
    Plot(2, 1, 1, 1);
    Plot(3, 2, 1, 1);
    Assign->RebuildGraphWindows();
    ASSERT_EQ(Assign->GraphFormCount(), 3);
    TGraphForm* First = &Form(1);
    ASSERT_TRUE(Table->ClearAll());
    ASSERT_EQ(Assign->GraphFormCount(), 1);
    EXPECT_EQ(&Form(1), First);
    EXPECT_TRUE(Form(1).DataSeries().empty());
    EXPECT_EQ(Form(1).SeriesTab()->count(), 0);
    EXPECT_EQ(Form(1).ActiveSeries(), nullptr);
    Form(1).GraphMouseMove(QPoint(50, 50)); // no series left to read
    EXPECT_TRUE(Panel(Form(1), 1).isEmpty());
}

} // namespace
