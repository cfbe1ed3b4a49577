// Missing values from the table to the file, the formulas, the plot, the
// calculations and the export, through the workspace the windows and the
// command line share.

#include "workspace/KvWorkspace.h"

#include "graph/KvLinearRegressionLine.h"

#include "document/KvColumnFormula.h"

#include "foundation/KvLargeIniFile.h"
#include "foundation/KvMissing.h"
#include "support/KvValuesText.h"

#include <QDir>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <unistd.h>

namespace kv {

namespace {

const std::string DataFolder = KURVEX_TEST_DATA;

std::string TempFile(const std::string& Name)
{
    QDir().mkpath(QStringLiteral("/tmp/graph-shots/workspace"));
    const std::string Path = "/tmp/graph-shots/workspace/" + std::to_string(::getpid()) + "-" + Name;
    std::remove(Path.c_str());
    return Path;
}

std::string ReadAll(const std::string& File)
{
    std::ifstream In(File, std::ios::binary);
    std::stringstream S;
    S << In.rdbuf();
    return S.str();
}

void PlotOverA(TKvWorkspace& W, int32_t Y)
{
    auto& D = W.Document.Assignment.Graphs.front();
    D.XAxis.front() = 1;
    D.YAxis.front() = Y;
    W.RebuildGraphWindows();
}

TKvLinearRegressionLine& Regression(TKvWorkspace& W)
{
    auto* L = dynamic_cast<TKvLinearRegressionLine*>(W.Window(1).NewCalculation("Linear Regression", 0));
    EXPECT_NE(L, nullptr);
    W.Window(1).Graph.PrepareForPaint();
    return *L;
}

} // namespace

// The fault of a reader that skips what it cannot convert: every later Y
// moves up one row, and the slope of this file would be 2.996 instead of
// that of the rows that are there.
TEST(MissingValues, UnreadableEntriesKeepTheirRowsInTheRegression)
{
    TKvWorkspace W;
    W.Document.LoadFromFile(DataFolder + "/missing-shift.plt");
    EXPECT_EQ(kv::test::ValuesText(W.Document.Table.Data(2).Values()), "2.1 3.9 6.2 - 9.8 12.1 - 16.2 - 19.9");
    ASSERT_EQ(W.Document.LoadReport().Messages(),
              (std::vector<std::string>{"Column B: 2 entries could not be read and are left empty (rows 4, 9)"}));
    PlotOverA(W, 2);
    TKvLinearRegressionLine& L = Regression(W);
    ASSERT_TRUE(L.LastError.isEmpty()) << L.LastError.toStdString();
    EXPECT_NEAR(L.Result().Slope, 1.9953125, 1e-12);
    EXPECT_NEAR(L.Result().Offset, 0.052008928571426694, 1e-12);
    EXPECT_EQ(W.Window(1).DataSeries().front()->Results.ReadInteger("LinearRegression", "PointsUsed", -1), 7);
}

// An empty cell through a formula, the plot, a regression, the file and
// the export: it stays empty everywhere and never counts as 0.
TEST(MissingValues, EmptyCellFromFormulaToExport)
{
    TKvWorkspace W;
    TKvDataTable& T = W.Document.Table;
    T.SetFormulaEngine(CreateTableFormula());
    for (double X : {1.0, 2.0, 3.0, 4.0, 5.0, 6.0})
        T.Data(1).Add(X);
    for (double X : {1.0, 2.0, 3.0, 4.0, 5.0, 6.0})
        T.Data(2).Add(X);
    ASSERT_TRUE(T.EndCellEdit(2, 2, "")); // B3 emptied
    T.Column(3).Formula = "B*2+1";
    T.Column(3).LiveFormula = true;
    T.RecalculateAll();
    EXPECT_TRUE(T.LastMessage().empty()) << T.LastMessage();
    EXPECT_EQ(kv::test::ValuesText(T.Data(3).Values()), "3 5 - 9 11 13");

    PlotOverA(W, 3);
    TKvLinearRegressionLine& L = Regression(W);
    EXPECT_EQ(L.Result().Slope, 2);
    EXPECT_EQ(L.Result().Offset, 1);
    TKvDataWithErrorSeries& S = *W.Window(1).DataSeries().front();
    EXPECT_EQ(S.Results.ReadInteger("LinearRegression", "PointsUsed", -1), 5);
    EXPECT_EQ(S.YRange().Start(), 3);

    EXPECT_EQ(T.ExportText('\t'), "\t\t\r\n1\t1\t3\r\n2\t2\t5\r\n3\t\t\r\n4\t4\t9\r\n5\t5\t11\r\n6\t6\t13\r\n");

    const std::string File = TempFile("missing.plt");
    W.Document.SaveToFile(File);
    EXPECT_NE(ReadAll(File).find("Data=1;2;;4;5;6\r\n"), std::string::npos);
    TKvWorkspace Again;
    Again.Document.LoadFromFile(File);
    EXPECT_TRUE(Again.Document.LoadReport().Clean()) << "an empty piece is how a missing value is written";
    EXPECT_EQ(kv::test::ValuesText(Again.Document.Table.Data(2).Values()), "1 2 - 4 5 6");
    EXPECT_EQ(kv::test::ValuesText(Again.Document.Table.Data(3).Values()), "3 5 - 9 11 13");
    std::remove(File.c_str());
}

} // namespace kv
