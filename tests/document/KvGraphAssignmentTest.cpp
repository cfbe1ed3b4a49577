#include "document/KvGraphAssignment.h"

#include <gtest/gtest.h>

namespace {

using kv::TKvGraphAssignment;

TEST(GraphAssignmentTest, StartsWithOneEmptyGraph)
{
    TKvGraphAssignment A;
    EXPECT_EQ(A.GraphCount(), 1);
    EXPECT_EQ(A.MaxSeries(), 12);
    EXPECT_EQ(A.Graphs.front().Title, "Graph(1)");
    EXPECT_EQ(A.Graphs.front().XAxis, std::vector<int32_t>(12, 0));
    EXPECT_FALSE(A.IsValidSlot(1, 0));
}

TEST(GraphAssignmentTest, ShortListsRepeatTheirLastNumber)
{
    kv::TKvIniList Store;
    Store.WriteInteger("Graphs", "MaxSeries", 3);
    Store.WriteString("Graph(1)", "XAxis", "1;1");
    Store.WriteString("Graph(1)", "YAxis", "2;4");
    Store.WriteString("Graph(1)", "Weight", "5;6;7;8"); // beyond MaxSeries: ignored
    Store.WriteString("Graph(1)", "dXPlus", "");       // empty: zeros
    Store.WriteString("Graph(1)", "dYPlus", "none");   // no number: zeros
    TKvGraphAssignment A;
    A.LoadAssignments(Store);
    const kv::TGraphData& G = A.Graphs.front();
    EXPECT_EQ(G.XAxis, (std::vector<int32_t>{1, 1, 1}));
    EXPECT_EQ(G.YAxis, (std::vector<int32_t>{2, 4, 4})); // slot 3 repeats slot 2
    EXPECT_EQ(G.Weight, (std::vector<int32_t>{5, 6, 7}));
    EXPECT_EQ(G.dXPlus, (std::vector<int32_t>{0, 0, 0}));
    EXPECT_EQ(G.dYPlus, (std::vector<int32_t>{0, 0, 0}));
    EXPECT_TRUE(A.IsValidSlot(1, 2));
    EXPECT_EQ(G.Title, "Graph(1)");
}

struct TCountCase {
    const char* MaxSeries;
    const char* GraphCount;
    int32_t Series;
    int32_t Graphs;
};

class CountsTest : public testing::TestWithParam<TCountCase> {};

TEST_P(CountsTest, AreBoundedOnLoad)
{
    kv::TKvIniList Store;
    if (*GetParam().MaxSeries)
        Store.WriteString("Graphs", "MaxSeries", GetParam().MaxSeries);
    Store.WriteString("Graphs", "GraphCount", GetParam().GraphCount);
    TKvGraphAssignment A;
    A.SetMaxSeries(5);
    A.LoadAssignments(Store);
    EXPECT_EQ(A.MaxSeries(), GetParam().Series);
    EXPECT_EQ(A.GraphCount(), GetParam().Graphs);
    EXPECT_EQ(A.Graphs.back().SlotCount(), GetParam().Series);
    EXPECT_EQ(A.Graphs.back().Title, "Graph(" + std::to_string(GetParam().Graphs) + ")");
}

INSTANTIATE_TEST_SUITE_P(Values, CountsTest,
                         testing::Values(TCountCase{"2", "3", 2, 3}, TCountCase{"", "1", 5, 1}, // missing: kept
                                         TCountCase{"0", "0", 1, 1}, TCountCase{"-3", "-3", 1, 1},
                                         TCountCase{"99999999", "99999999", TKvGraphAssignment::MaxSeriesLimit,
                                                    TKvGraphAssignment::GraphCountLimit}));

TEST(GraphAssignmentTest, SummaryNamesSlotsPerKind)
{
    TKvGraphAssignment A;
    A.SetMaxSeries(3);
    kv::TGraphData& G = A.Graphs.front();
    G.XAxis = {1, 1, 2};
    G.YAxis = {2, 3, 1};
    G.dYPlus = {1, 0, 0};
    G.dXMinus = {0, 0, 1};
    EXPECT_EQ(A.AssignmentText(1, 1), "X(1,2)Y(3)\\ss\\sX\\+ -\\+(3)\\ss\\sY\\+  +\\+(1)");
    EXPECT_EQ(A.AssignmentText(1, 2), "X(3)Y(1)");
    EXPECT_EQ(A.AssignmentText(1, 7), "");
    EXPECT_EQ(A.AssignmentText(2, 1), ""); // no such graph
}

TEST(GraphAssignmentTest, DeleteAndInsertRenumberColumns)
{
    TKvGraphAssignment A;
    A.SetMaxSeries(4);
    kv::TGraphData& G = A.Graphs.front();
    G.XAxis = {1, 2, 3, 26};
    G.YAxis = {2, 3, 25, 0};
    G.XAxisPos = {1, 1, 1, 1}; // positions are no column numbers
    A.ColumnDeleted(1);        // column B
    EXPECT_EQ(G.XAxis, (std::vector<int32_t>{1, 0, 2, 25}));
    EXPECT_EQ(G.YAxis, (std::vector<int32_t>{0, 2, 24, 0}));
    EXPECT_EQ(G.XAxisPos, (std::vector<int32_t>{1, 1, 1, 1}));
    A.ColumnInserted(1, 26); // at B: B..Y move up, Z stays
    EXPECT_EQ(G.XAxis, (std::vector<int32_t>{1, 0, 3, 26}));
    EXPECT_EQ(G.YAxis, (std::vector<int32_t>{0, 3, 25, 0}));
    G.XAxis = {1, 26, 2, 25};
    A.ColumnInserted(1, 26);
    EXPECT_EQ(G.XAxis, (std::vector<int32_t>{1, 26, 3, 26}));
}

TEST(GraphAssignmentTest, SlotsNamingColumnsOutsideTheTableAreNotValid)
{
    TKvGraphAssignment A;
    kv::TGraphData& G = A.Graphs.front();
    G.XAxis[0] = 1;
    G.YAxis[0] = 30;
    G.XAxis[1] = 1;
    G.YAxis[1] = 2;
    G.Weight[1] = -1;
    EXPECT_TRUE(A.IsValidSlot(1, 0));
    EXPECT_FALSE(A.IsValidSlot(1, 0, 26));
    EXPECT_FALSE(A.IsValidSlot(1, 1, 26));
    EXPECT_FALSE(A.IsValidSlot(1, 12));
    EXPECT_FALSE(A.IsValidSlot(0, 0));
}

TEST(GraphAssignmentTest, ClearGraphsKeepsOneEmptyGraph)
{
    TKvGraphAssignment A;
    A.Graphs.front().XAxis[0] = 1;
    A.Graphs.front().Title = "Mine";
    A.AddGraph();
    EXPECT_EQ(A.Graphs.back().Title, "Graph(2)");
    A.ClearGraphs();
    EXPECT_EQ(A.GraphCount(), 1);
    EXPECT_EQ(A.Graphs.front().XAxis[0], 0);
}

} // namespace
