#include "GraphWindowFixture.h"

#include "ui/KvIntegerEdit.h"
#include "ui/graphwindow/KvGraphView.h"
#include "ui/graphwindow/KvZoomFrame.h"
#include "ui/widgets/KvColorPicker.h"
#include "ui/widgets/KvStyleCombos.h"

#include "foundation/KvLargeIniFile.h"
#include "graph/KvGraphPicture.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTabBar>
#include <QToolBar>

using namespace kv;
using namespace kv::test;

namespace {

// Graph 1 plots B over A in slot 1 (and, where asked, in slot 2), shown at
// a fixed size so pixel positions are known.
class GraphWindow : public GraphWindows {
protected:
    void OpenWithData(bool TwoSeries = false)
    {
        Open();
        Fill(1, {1, 2, 3, 4, 5});
        Fill(2, {10, 30, 20, 50, 40});
        Plot(1, 1, 1, 2);
        if (TwoSeries)
            Plot(1, 2, 2, 1);
        Assign->RebuildGraphWindows();
        Form(1).resize(900, 600);
        Form(1).show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form(1)));
        Graph().PrepareForPaint();
    }
    TKv2DGraph& Graph() { return Form(1).Graph(); }
    TKvGraphView& View() { return *Form(1).GraphView(); }
    QPoint PointPixel(int i)
    {
        TKvSeries& S = *Form(1).DataSeries()[0];
        return {S.XToPixel((*S.XData())[i]), S.YAxis()->RealToIntPosition((*S.YData())[i]) +
                                                 Graph().World().PlotRect.Top};
    }
    std::pair<double, double> Ends(const TKvAxis& A) { return {A.Start(), A.Stop()}; }
    void Move(const QPoint& At) { QTest::mouseMove(&View(), At); }
};

TEST_F(GraphWindow, AWindowWithoutSeriesShowsNoTabsAndClearsTheReadOut)
{
    Open();
    TGraphForm& F = Form(1);
    EXPECT_EQ(F.SeriesTab()->count(), 0);
    EXPECT_EQ(F.CalculationsTab()->count(), 0);
    EXPECT_EQ(F.ActiveSeries(), nullptr);
    F.StatusPanel(0)->setText("x");
    F.StatusPanel(1)->setText("y");
    F.GraphMouseMove(QPoint(100, 100));
    EXPECT_TRUE(Panel(F, 0).isEmpty());
    EXPECT_TRUE(Panel(F, 1).isEmpty());
}

TEST_F(GraphWindow, SeriesTabsAreLabelledBySlotNumber)
{
    Open();
    Fill(1, {1, 2});
    Plot(1, 2, 1, 1);
    Plot(1, 5, 1, 1);
    Assign->RebuildGraphWindows();
    ASSERT_EQ(Form(1).SeriesTab()->count(), 2);
    EXPECT_EQ(Form(1).SeriesTab()->tabText(0), "2");
    EXPECT_EQ(Form(1).SeriesTab()->tabText(1), "5");
}

TEST_F(GraphWindow, ReadOutWithinTheSymbolToleranceAndClickToTheTableCell)
{
    OpenWithData();
    TGraphForm& F = Form(1);
    const QPoint P = PointPixel(3);
    const int Tolerance = F.ActiveSeries()->PointStyle.Size();
    Move(P + QPoint(Tolerance, -Tolerance));
    EXPECT_EQ(Panel(F, 0), "#:4");
    EXPECT_EQ(Panel(F, 1), "X:4 Y:50");
    EXPECT_EQ(F.FoundColumn(), 1);
    QTest::mouseClick(&View(), Qt::LeftButton, {}, P);
    EXPECT_EQ(Table->Grid()->ActiveCell().Row, Doc().Table.LockedRows + 3);
    EXPECT_EQ(Table->Grid()->ActiveCell().Col, 2);

    // Away from every point: axis values at the mouse, and a click does nothing.
    Table->Grid()->SetActiveCell(Doc().Table.LockedRows, 1);
    const QPoint Away = P + QPoint(Tolerance + 3, 0);
    Move(Away);
    EXPECT_TRUE(Panel(F, 0).isEmpty());
    EXPECT_TRUE(Panel(F, 1).startsWith("X:4"));
    EXPECT_TRUE(Panel(F, 1).contains(" Y:"));
    EXPECT_LE(Panel(F, 1).section(" Y:", 1).size(), 8);
    F.GraphClick(Away);
    EXPECT_EQ(Table->Grid()->ActiveCell().Row, Doc().Table.LockedRows);
    EXPECT_EQ(Table->Grid()->ActiveCell().Col, 1);
}

TEST_F(GraphWindow, ZoomFrameEscapeEnterAndTheHistoryCommands)
{
    OpenWithData();
    TGraphForm& F = Form(1);
    TKvAxis& X = F.Model().BottomAxis;
    TKvAxis& Y = F.Model().LeftAxis;
    F.UpdateActions();
    EXPECT_FALSE(F.Action("ZoomBack")->isEnabled());
    const auto X0 = Ends(X), Y0 = Ends(Y);

    // Escape: the frame goes and nothing zooms.
    F.Action("ZoomIn")->trigger();
    ASSERT_TRUE(F.ZoomStretchHandle()->isVisible());
    QTest::keyClick(F.SeriesTab(), Qt::Key_Escape);
    EXPECT_FALSE(F.ZoomStretchHandle()->isVisible());
    EXPECT_FALSE(F.Action("ZoomIn")->isChecked());
    EXPECT_EQ(Ends(X), X0);
    EXPECT_EQ(Ends(Y), Y0);

    // Enter: zooms to the frame, made smaller first.
    F.Action("ZoomIn")->trigger();
    const TKvRect& P = Graph().World().PlotRect;
    F.ZoomStretchHandle()->setGeometry(P.Left + P.Width() / 4, P.Top + P.Height() / 4, P.Width() / 2, P.Height() / 2);
    QTest::keyClick(F.SeriesTab(), Qt::Key_Return);
    EXPECT_FALSE(F.ZoomStretchHandle()->isVisible());
    Graph().PrepareForPaint();
    EXPECT_GT(X.Start(), X0.first);
    EXPECT_LT(X.Stop(), X0.second);
    F.UpdateActions();
    EXPECT_TRUE(F.Action("ZoomBack")->isEnabled());
    const auto X1 = Ends(X);

    // Entering a numeric edit of the side panel applies the frame too.
    F.Action("ZoomIn")->trigger();
    F.ZoomStretchHandle()->setGeometry(P.Left + P.Width() / 4, P.Top, P.Width() / 2, P.Height());
    QFocusEvent In(QEvent::FocusIn);
    QApplication::sendEvent(F.PointSizeEdit(), &In);
    EXPECT_FALSE(F.Action("ZoomIn")->isChecked());
    Graph().PrepareForPaint();
    EXPECT_GT(X.Start(), X1.first);

    F.Action("ZoomBack")->trigger();
    Graph().PrepareForPaint();
    EXPECT_EQ(Ends(X), X1);
    F.Action("ZoomAll")->trigger();
    Graph().PrepareForPaint();
    EXPECT_EQ(Ends(X), X0);
    EXPECT_EQ(Ends(Y), Y0);
    F.UpdateActions();
    EXPECT_FALSE(F.Action("ZoomBack")->isEnabled());
}

TEST_F(GraphWindow, DraggingARectangleInThePlotZooms)
{
    OpenWithData();
    const TKvRect& P = Graph().World().PlotRect;
    const auto X0 = Ends(Form(1).Model().BottomAxis);
    const QPoint A(P.Left + 40, P.Top + 30), B(P.Left + 200, P.Top + 150);
    QTest::mousePress(&View(), Qt::LeftButton, {}, A);
    QMouseEvent Drag(QEvent::MouseMove, B, View().mapToGlobal(B), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&View(), &Drag);
    QTest::mouseRelease(&View(), Qt::LeftButton, {}, B);
    Graph().PrepareForPaint();
    EXPECT_NE(Ends(Form(1).Model().BottomAxis), X0);
    EXPECT_TRUE(Form(1).Model().BottomAxis.HasZoomHistory());
}

TEST_F(GraphWindow, CopyTakesTheSelectedTextOrElseTheGraphPicture)
{
    OpenWithData();
    TGraphForm& F = Form(1);
    F.activateWindow();
    F.PointSizeEdit()->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == F.PointSizeEdit(); }));
    F.PointSizeEdit()->deselect();
    QApplication::clipboard()->setText("old");
    F.Action("EditCopy")->trigger();
    const QMimeData* Data = QApplication::clipboard()->mimeData();
    EXPECT_FALSE(Data->hasText());
    EXPECT_TRUE(Data->hasFormat(MimeEmf));
    EXPECT_TRUE(Data->data(MimeSvg).contains("<svg"));

    F.PointSizeEdit()->selectAll();
    F.Action("EditCopy")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "5");
}

TEST_F(GraphWindow, StyleControlsFollowTheSelectedSeries)
{
    OpenWithData(true);
    TGraphForm& F = Form(1);
    auto Series = F.DataSeries();
    Series[1]->ErrorIndicatorsColor = clBlue;
    F.ErrorColorBtn()->SetActiveColor(clRed);
    EXPECT_EQ(Series[0]->ErrorIndicatorsColor, clRed);
    F.SeriesTab()->setCurrentIndex(1);
    EXPECT_EQ(F.ActiveSeries(), Series[1]);
    EXPECT_EQ(F.ErrorColorBtn()->ActiveColor(), clBlue);
    F.PointColorBtn()->SetActiveColor(clBlack);
    EXPECT_EQ(Series[1]->PointStyle.Color(), clBlack);
    EXPECT_EQ(F.PointCombo()->LineColor(), clBlack);
    F.LineCombo()->setCurrentIndex(2);
    EXPECT_EQ(Series[1]->LineStyle.Style(), TPenStyle::psDot);
    F.PointSizeEdit()->SetValue(12);
    EXPECT_EQ(Series[1]->PointStyle.Size(), 12);
    EXPECT_NE(Series[0]->PointStyle.Size(), 12);
    EXPECT_TRUE(F.PointsPanel()->isVisibleTo(&F));
    EXPECT_FALSE(F.DeleteBar()->isVisibleTo(&F));
}

// Opening a file shows its series' styles in the side panel at once.
TEST_F(GraphWindow, StyleControlsShowTheOpenedFile)
{
    OpenWithData();
    TKvDataWithErrorSeries& S = *Form(1).DataSeries()[0];
    S.LineStyle.SetColor(0x008000);
    S.LineStyle.SetStyle(TPenStyle::psDash);
    S.PointStyle.SetStyle(TKvPointSymbol::SySquare);
    const QString File = QString::fromStdString((Dir / "styled.plt").string());
    ASSERT_TRUE(Table->SaveToFile(File));
    S.LineStyle.SetColor(clRed);
    S.LineStyle.SetStyle(TPenStyle::psSolid);
    S.PointStyle.SetStyle(TKvPointSymbol::SyCircle);
    Form(1).SeriesTabChange(0);
    ASSERT_EQ(Form(1).LineColorBtn()->ActiveColor(), clRed);
    ASSERT_TRUE(Table->LoadFromFile(File));
    TGraphForm& F = Form(1);
    EXPECT_EQ(F.LineColorBtn()->ActiveColor(), 0x008000);
    EXPECT_EQ(F.LineCombo()->PenStyle(), TPenStyle::psDash);
    EXPECT_EQ(F.PointCombo()->PointSymbol(), TKvPointSymbol::SySquare);
}

TEST_F(GraphWindow, OutfitSaveProposesTheLastOutfitThenItsOwn)
{
    OpenWithData();
    TGraphForm& F = Form(1);
    Table->MutableSettings().LastOFTLoaded = (Dir / "elsewhere.oft").string();
    NextFile = QString::fromStdString((Dir / "mine").string());
    F.Action("SaveGraphOutfit")->trigger();
    EXPECT_EQ(ProposedFile.toStdString(), (Dir / "elsewhere.oft").string());
    ASSERT_TRUE(std::filesystem::exists(Dir / "mine.oft"));
    EXPECT_EQ(Table->Settings().LastOFTLoaded, (Dir / "mine.oft").string());
    F.Action("SaveGraphOutfit")->trigger();
    EXPECT_EQ(ProposedFile.toStdString(), (Dir / "mine.oft").string());

    // Loading it back restores what was saved.
    const int Size = F.ActiveSeries()->PointStyle.Size();
    F.PointSizeEdit()->SetValue(Size + 7);
    NextFile = QString::fromStdString((Dir / "mine.oft").string());
    F.Action("LoadGraphOutfit")->trigger();
    EXPECT_EQ(F.ActiveSeries()->PointStyle.Size(), Size);
    EXPECT_EQ(F.PointSizeEdit()->Value(), Size);
    // A file that is not there changes nothing and says so.
    NextFile = QString::fromStdString((Dir / "gone.oft").string());
    F.Action("LoadGraphOutfit")->trigger();
    EXPECT_EQ(Errors.size(), 1u);
}

TEST_F(GraphWindow, SaveGraphWritesTheChosenMetafileKindAndRemembersTheFolder)
{
    OpenWithData();
    TGraphForm& F = Form(1);
    struct TCase {
        const char* Name;
        const char* Filter;
        const char* Written;
    };
    for (const TCase& C : {TCase{"plain", "Enhanced Windows Metafile (*.emf)", "plain.emf"},
                           TCase{"old", "Windows Metafile (*.wmf)", "old.wmf"},
                           TCase{"named.wmf", "Enhanced Windows Metafile (*.emf)", "named.wmf"}}) {
        SCOPED_TRACE(C.Name);
        NextFile = QString::fromStdString((Dir / C.Name).string());
        NextFilter = C.Filter;
        F.Action("SaveGraphMetafile")->trigger();
        std::ifstream In(Dir / C.Written, std::ios::binary);
        std::string Head(44, '\0');
        ASSERT_TRUE(In.read(Head.data(), 44));
        if (std::string(C.Written).ends_with(".emf"))
            EXPECT_EQ(Head.substr(40, 4), " EMF");
        else // a placeable metafile begins with its key
            EXPECT_EQ(Head.substr(0, 4), std::string("\xD7\xCD\xC6\x9A"));
    }
    EXPECT_EQ(std::filesystem::path(Table->Settings().LastEMFLoaded), Dir / "");
    // A folder that cannot be written reaches the user as an error.
    NextFile = QString::fromStdString((Dir / "no" / "such" / "x.emf").string());
    F.Action("SaveGraphMetafile")->trigger();
    EXPECT_EQ(Errors.size(), 1u);
}

TEST_F(GraphWindow, LegendMenuPositionsAndDraggingStaysInside)
{
    OpenWithData();
    TGraphForm& F = Form(1);
    TKvLegend& L = F.Model().Legend;
    L.Visible = true;
    F.SetLegendPosition(TKvAxisPos::AxRightPos);
    EXPECT_FALSE(L.Horizontal());
    F.UpdateActions();
    auto Checked = [&] {
        for (QAction* A : F.LegendMenu()->actions())
            if (A->isChecked())
                return A->text();
        return QString();
    };
    EXPECT_EQ(Checked(), "&Right of Graph");
    F.SetLegendPosition(TKvAxisPos::AxFreeFloating);
    EXPECT_FALSE(L.Horizontal()); // floating keeps the orientation
    F.UpdateActions();
    EXPECT_EQ(Checked(), "&Free floating");

    View().repaint();
    const QPoint Grab(L.Left + 3, L.Top + 3);
    ASSERT_EQ(View().LegendAt(Grab), &L);
    QTest::mousePress(&View(), Qt::LeftButton, {}, Grab);
    const QPoint Far(View().width() + 5000, -5000);
    QMouseEvent Drag(QEvent::MouseMove, Far, View().mapToGlobal(Far), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&View(), &Drag);
    QTest::mouseRelease(&View(), Qt::LeftButton, {}, Far);
    EXPECT_EQ(L.Top, 0);
    EXPECT_EQ(L.Left + L.Width, View().width());
    Shot(F, "graph-window-legend-dragged");
}

TEST_F(GraphWindow, TypingIntoTheTableReachesTheAxesAndThePictureAlone)
{
    OpenWithData();
    TGraphForm& F = Form(1);
    TKvSeries& S = *F.DataSeries()[0];
    View().repaint();
    const QImage Before = View().grab().toImage();
    const double OldStop = F.Model().LeftAxis.Stop();
    ASSERT_LT(OldStop, 1000);

    TKvCellGrid& Grid = *Table->Grid();
    Grid.SetActiveCell(Doc().Table.LockedRows + 1, 2);
    QTest::keyClicks(&Grid, "9");
    QTest::keyClicks(Grid.Editor(), "000");
    QTest::keyClick(Grid.Editor(), Qt::Key_Return);

    EXPECT_EQ(S.YRange().Stop(), 9000);
    const QImage After = View().grab().toImage();
    EXPECT_NE(Before, After);
    EXPECT_GE(F.Model().LeftAxis.Stop(), 9000);
}

} // namespace

namespace {

// The bundled example with a second graph on a logarithmic axis with error
// bars, zoomed, read out and with its legend moved; pictures of each step
// are saved when KURVEX_SHOTS names a folder.
TEST_F(GraphWindow, BundledExampleWithASecondLogarithmicGraph)
{
    Open();
    ASSERT_TRUE(Table->LoadFromFile(KURVEX_TEST_DATA "/../../examples/Damped-oscillation.plt"));
    ASSERT_EQ(Assign->GraphFormCount(), 1);
    Shot(*Table, "look-1-table");

    Assign->Prepare();
    Assign->AddNewGraph();
    Assign->GraphTabs()->setCurrentIndex(1);
    QTest::keyClicks(Assign->TitleEdit(), " envelope");
    Assign->SlotCombo(0, TGraphAssignForm::SkX)->setCurrentIndex(1);
    Assign->SlotCombo(0, TGraphAssignForm::SkY)->setCurrentIndex(4);
    Assign->SlotCombo(0, TGraphAssignForm::SkdYPlus)->setCurrentIndex(3);
    Assign->SlotCombo(0, TGraphAssignForm::SkdYMinus)->setCurrentIndex(3);
    Assign->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Assign.get()));
    Shot(*Assign, "look-2-assignment");
    EXPECT_TRUE(Assign->GraphTabs()->isVisible());
    EXPECT_GT(Assign->GraphTabs()->height(), 10) << Assign->GraphTabs()->count();
    Assign->accept();
    ASSERT_EQ(Assign->GraphFormCount(), 2);
    TGraphForm& G1 = Form(1);
    TGraphForm& G2 = Form(2);
    EXPECT_EQ(G2.windowTitle(), "Plot / Graph(2) envelope");
    EXPECT_NE(G2.DataSeries()[0]->dYPlus(), nullptr);

    G2.Model().LeftAxis.SetScaling(TKvAxScaling::AxLog);
    TKvLegend& L = G2.Model().Legend;
    L.Visible = true;
    for (TGraphForm* F : {&G1, &G2}) {
        F->resize(900, 600);
        F->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(F));
        F->GraphView()->repaint();
    }
    EXPECT_GT(G2.Model().LeftAxis.Start(), 0);

    // Zoom graph 1 to the first third of its plot.
    const auto X0 = G1.Model().BottomAxis.Stop();
    G1.Action("ZoomIn")->trigger();
    const TKvRect& P = G1.Graph().World().PlotRect;
    G1.ZoomStretchHandle()->setGeometry(P.Left, P.Top, P.Width() / 3, P.Height());
    Shot(G1, "look-3-zoom-frame");
    QTest::keyClick(G1.SeriesTab(), Qt::Key_Return);
    G1.GraphView()->repaint();
    EXPECT_LT(G1.Model().BottomAxis.Stop(), X0);
    Shot(G1, "look-4-zoomed");

    // Read the last point of graph 2 (the windows overlap: the move goes
    // to graph 2's view itself).
    TKvSeries& S = *G2.DataSeries()[0];
    const int Last = S.PointCount() - 1;
    const QPoint At(S.XToPixel((*S.XData())[Last]),
                    S.YAxis()->RealToIntPosition((*S.YData())[Last]) + G2.Graph().World().PlotRect.Top);
    QMouseEvent Move(QEvent::MouseMove, At, G2.GraphView()->mapToGlobal(At), Qt::NoButton, Qt::NoButton, {});
    QApplication::sendEvent(G2.GraphView(), &Move);
    EXPECT_EQ(Panel(G2, 0), "#:" + QString::number(Last + 1));
    Shot(G2, "look-5-log-readout");

    // Drag the legend down and left.
    const QPoint Grab(L.Left + 4, L.Top + 4), To(420, 300);
    QTest::mousePress(G2.GraphView(), Qt::LeftButton, {}, Grab);
    QMouseEvent Drag(QEvent::MouseMove, To, G2.GraphView()->mapToGlobal(To), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(G2.GraphView(), &Drag);
    QTest::mouseRelease(G2.GraphView(), Qt::LeftButton, {}, To);
    EXPECT_EQ(QPoint(L.Left + 4, L.Top + 4), To);
    G2.GraphView()->repaint();
    Shot(G2, "look-6-legend-moved");
}

} // namespace
