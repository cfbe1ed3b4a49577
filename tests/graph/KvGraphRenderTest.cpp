#include "GraphTestSupport.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <cmath>

namespace kv::test {

namespace {

// The example document: several series, error bars, captions in markup,
// grid lines and a docked legend.
void BuildExample(TTestGraph& T, TKvAxisPos LegendAt, bool LogY)
{
    std::vector<double> X, Y, Y2, E;
    for (int i = 0; i <= 20; ++i) {
        X.push_back(i * 0.5);
        Y.push_back(LogY ? std::pow(10.0, i * 0.15) : std::sin(i * 0.3) * 3 + 4);
        Y2.push_back(LogY ? 2 + i * i : i * 0.2);
        E.push_back(LogY ? 0 : 0.3 + 0.02 * i);
    }
    auto& S1 = T.AddSeries(T.Vector(X), T.Vector(Y));
    S1.SetAutoCaption("\\ss\\s(X)\\+2\\+");
    if (!LogY) {
        S1.SetdYPlus(&T.Vector(E));
        S1.SetdYMinus(&T.Vector(E));
    }
    auto& S2 = T.AddSeries(T.Vector(X), T.Vector(Y2));
    S2.SetAutoCaption("Line \\bbold\\b");
    S2.LineStyle.SetColor(0x008000);
    S2.PointStyle.SetStyle(TKvPointSymbol::SyDeltaFilled);
    T.Bottom->SetShowCaption(true);
    T.Bottom->SetAutoCaption("Time t / s");
    T.Left->SetShowCaption(true);
    T.Left->SetAutoCaption("Voltage U\\-0\\- / mV");
    if (LogY)
        T.Left->SetScaling(TKvAxScaling::AxLogEE);
    auto& L = T.Graph.AddLegend();
    L.SetInGraphPosition(LegendAt);
    L.SetHorizontal(LegendAt == TKvAxisPos::AxTopPos || LegendAt == TKvAxisPos::AxBottomPos);
    L.SetRows(1);
    T.Graph.MajorGridX.SetVisible(true);
    T.Graph.MajorGridY.SetVisible(true);
}

bool HaveTool(const char* Name)
{
    return QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("command -v %1 >/dev/null").arg(Name)}) == 0;
}

QImage Convert(const QString& Program, const QStringList& Args, const QString& Png)
{
    QFile::remove(Png);
    EXPECT_EQ(QProcess::execute(Program, Args), 0) << Program.toStdString();
    return QImage(Png);
}

} // namespace

TEST(GraphRender, ExampleShots)
{
    const std::pair<TKvAxisPos, const char*> Sides[] = {{TKvAxisPos::AxRightPos, "right"},
                                                        {TKvAxisPos::AxBottomPos, "bottom"},
                                                        {TKvAxisPos::AxLeftPos, "left"},
                                                        {TKvAxisPos::AxTopPos, "top"}};
    for (const auto& [Side, Name] : Sides) {
        TTestGraph T;
        BuildExample(T, Side, false);
        const QImage Image = T.Render();
        EXPECT_TRUE(Image.save(QString::fromStdString(ShotPath(std::string("example-") + Name + ".png"))));
    }
    TTestGraph Log;
    BuildExample(Log, TKvAxisPos::AxRightPos, true);
    const QImage Image = Log.Render();
    EXPECT_TRUE(Image.save(QString::fromStdString(ShotPath("example-log.png"))));
    EXPECT_EQ(Log.Left->TickLabels().front().Text.toStdString(), "10\\+ 0");
}

TEST(GraphRender, GridLinesLieOnTheMajorTicks)
{
    TTestGraph T;
    T.AddSeries(T.Vector({0, 10}), T.Vector({0, 10})).LineStyle.SetVisible(false);
    T.Graph.MajorGridX.SetVisible(true);
    T.Graph.MajorGridX.SetColor(0x00FF00);
    T.Graph.MajorGridX.SetStyle(TPenStyle::psSolid);
    T.Graph.MajorGridY.SetVisible(true);
    T.Graph.MajorGridY.SetColor(0xFF0000);
    T.Graph.MajorGridY.SetStyle(TPenStyle::psSolid);
    const QImage Image = T.Render();
    const TKvRect& P = T.Graph.World().PlotRect;
    const auto& Pos = T.Bottom->TickPositions();
    int Checked = 0;
    for (size_t i = 1; i + 1 < Pos.size(); ++i) {
        const bool Green = SameColor(Image.pixel(P.Left + Pos[i], P.Top + P.Height() / 3), Qt::green);
        EXPECT_EQ(Green, static_cast<bool>(T.Bottom->TickIsMajor()[i])) << i;
        Checked += Green;
    }
    EXPECT_EQ(Checked, 9);
    const auto& YPos = T.Left->TickPositions();
    EXPECT_TRUE(SameColor(Image.pixel(P.Left + P.Width() / 3 + 1, P.Top + YPos[10]), Qt::blue));
    EXPECT_FALSE(SameColor(Image.pixel(P.Left + P.Width() / 3 + 1, P.Top + YPos[11]), Qt::blue));
}

TEST(GraphRender, WithoutGridsOnlyBackgroundsFrameAndAxes)
{
    TTestGraph T;
    T.Graph.Color = 0x00FFFF;     // yellow around
    T.Graph.DataColor = 0xFFFF00; // cyan plot
    T.Graph.FrameLine.SetVisible(true);
    T.Graph.FrameLine.SetColor(0xFF0000);
    const QImage Image = T.Render();
    const TKvRect& P = T.Graph.World().PlotRect;
    EXPECT_TRUE(SameColor(Image.pixel(0, 200), Qt::blue));
    EXPECT_TRUE(SameColor(Image.pixel(599, 399), Qt::blue));
    EXPECT_TRUE(SameColor(Image.pixel(3, 200), Qt::yellow));
    int Cyan = 0, Other = 0;
    for (int y = P.Top + 12; y < P.Bottom - 12; ++y)
        for (int x = P.Left + 12; x < P.Right - 12; ++x)
            (SameColor(Image.pixel(x, y), Qt::cyan) ? Cyan : Other)++;
    EXPECT_EQ(Other, 0);
    EXPECT_GT(Cyan, 100000);
}

TEST(GraphRender, SymbolCentresAtTheirValues)
{
    TTestGraph T;
    T.Bottom->SetStartEnd(TKvAxEnd::AxFixed);
    T.Bottom->SetStopEnd(TKvAxEnd::AxFixed);
    T.Bottom->SetStop(10);
    T.Left->SetStartEnd(TKvAxEnd::AxFixed);
    T.Left->SetStopEnd(TKvAxEnd::AxFixed);
    T.Left->SetStop(10);
    auto& S = T.AddSeries(T.Vector({2, 5, 8}), T.Vector({3, 7, 1}));
    S.LineStyle.SetVisible(false);
    S.PointStyle.SetStyle(TKvPointSymbol::SyCircleFilled);
    S.PointStyle.SetColor(0x0000FF);
    const QImage Image = T.Render();
    const TKvRect& P = T.Graph.World().PlotRect;
    for (auto [x, y] : {std::pair{2.0, 3.0}, {5.0, 7.0}, {8.0, 1.0}}) {
        const int Px = P.Left + T.Bottom->RealToIntPosition(x), Py = P.Top + T.Left->RealToIntPosition(y);
        EXPECT_TRUE(SameColor(Image.pixel(Px, Py), Qt::red));
        EXPECT_TRUE(SameColor(Image.pixel(Px + 4, Py), Qt::red));
        EXPECT_FALSE(SameColor(Image.pixel(Px + 7, Py), Qt::red));
    }
}

TEST(GraphRender, SvgAndPdfShowTheSamePicture)
{
    if (!HaveTool("rsvg-convert") || !HaveTool("pdftoppm"))
        GTEST_SKIP() << "rsvg-convert or pdftoppm missing";
    TTestGraph T;
    T.Graph.DataColor = 0xC0FFFF; // light yellow plot
    T.Graph.Color = clWhite;
    BuildExample(T, TKvAxisPos::AxRightPos, false);
    auto& Big = T.AddSeries(T.Vector({5}), T.Vector({4}));
    Big.PointStyle.SetStyle(TKvPointSymbol::SySquareFilled);
    Big.PointStyle.SetColor(0x0000FF);
    Big.PointStyle.SetSize(12);
    const QImage Png = T.Render();
    const TKvRect P = T.Graph.World().PlotRect;
    const QPoint Centre(P.Left + Big.Points().PointPtr(0)->X, P.Top + Big.Points().PointPtr(0)->Y);
    const QString Svg = QString::fromStdString(ShotPath("example.svg"));
    const QString Pdf = QString::fromStdString(ShotPath("example.pdf"));
    ExportGraphPicture(T.Graph, Svg.toStdString(), 600, 400);
    ExportGraphPicture(T.Graph, Pdf.toStdString(), 600, 400);
    const QImage FromSvg = Convert("rsvg-convert", {Svg, "-o", QString::fromStdString(ShotPath("from-svg.png"))},
                                   QString::fromStdString(ShotPath("from-svg.png")));
    const QString PdfBase = QString::fromStdString(ShotPath("from-pdf"));
    const QImage FromPdf = Convert("pdftoppm", {"-r", "96", "-png", "-singlefile", Pdf, PdfBase}, PdfBase + ".png");
    for (const QImage* Image : {&FromSvg, &FromPdf}) {
        ASSERT_FALSE(Image->isNull());
        EXPECT_NEAR(Image->width(), 600, 1);
        EXPECT_NEAR(Image->height(), 400, 1);
        // The big red square, the plot background and the legend frame.
        EXPECT_TRUE(SameColor(Image->pixel(Centre), Qt::red));
        EXPECT_TRUE(SameColor(Image->pixel(Centre + QPoint(9, 9)), Qt::red));
        EXPECT_TRUE(SameColor(Image->pixel(P.Left + 3, P.Bottom - 30), QColor(0xFF, 0xFF, 0xC0)));
        EXPECT_TRUE(SameColor(Png.pixel(P.Left + 3, P.Bottom - 30), QColor(0xFF, 0xFF, 0xC0)));
        // Apart from edge smoothing and the second program's choice of a
        // font for "Arial" the pictures agree.
        int Same = 0, Total = 0;
        for (int y = 0; y < 400; y += 4)
            for (int x = 0; x < 600; x += 4) {
                const QRgb A = Png.pixel(x, y), B = Image->pixel(std::min(x, Image->width() - 1), std::min(y, Image->height() - 1));
                Same += std::abs(qRed(A) - qRed(B)) + std::abs(qGreen(A) - qGreen(B)) + std::abs(qBlue(A) - qBlue(B)) < 90;
                ++Total;
            }
        EXPECT_GT(static_cast<double>(Same) / Total, 0.9) << (Image == &FromSvg ? "svg" : "pdf");
    }
}

TEST(GraphRender, VectorPicturesLeaveButtonFaceTransparentAndFillSymbolsWhite)
{
    if (!HaveTool("rsvg-convert"))
        GTEST_SKIP() << "rsvg-convert missing";
    TTestGraph T;
    T.Graph.Color = clBtnFace;
    T.Graph.DataColor = clBtnFace;
    auto& S = T.AddSeries(T.Vector({1, 5}), T.Vector({1, 5}));
    S.PointStyle.SetSize(10);
    S.LineStyle.SetVisible(false);
    const QImage Screen = T.Render();
    const TKvRect P = T.Graph.World().PlotRect;
    const QPoint Centre(P.Left + S.Points().PointPtr(1)->X - 2, P.Top + S.Points().PointPtr(1)->Y + 2);
    EXPECT_TRUE(SameColor(Screen.pixel(Centre), ToQColor(clBtnFace)));
    const QString Svg = QString::fromStdString(ShotPath("buttonface.svg"));
    ExportGraphPicture(T.Graph, Svg.toStdString(), 600, 400);
    EXPECT_FALSE(PaintingToMetafile);
    const QString Png = QString::fromStdString(ShotPath("buttonface-svg.png"));
    const QImage FromSvg = Convert("rsvg-convert", {Svg, "-o", Png}, Png);
    ASSERT_FALSE(FromSvg.isNull());
    EXPECT_EQ(qAlpha(FromSvg.pixel(300, 200)), 0);
    EXPECT_EQ(qAlpha(FromSvg.pixel(Centre)), 255);
    EXPECT_TRUE(SameColor(FromSvg.pixel(Centre), Qt::white));
}

TEST(GraphRender, ExportErrors)
{
    TTestGraph T;
    EXPECT_THROW(ExportGraphPicture(T.Graph, "/tmp/graph-shots/x.bmp", 100, 100), EConvertError);
    EXPECT_THROW(ExportGraphPicture(T.Graph, "/tmp/graph-shots/x.png", 0, 100), EConvertError);
    EXPECT_THROW(ExportGraphPicture(T.Graph, "/nonexistent-dir/x.svg", 100, 100), EFileError);
    EXPECT_THROW(ExportGraphPicture(T.Graph, "/nonexistent-dir/x.pdf", 100, 100), EFileError);
    EXPECT_THROW(ExportGraphPicture(T.Graph, "/nonexistent-dir/x.png", 100, 100), EFileError);
    EXPECT_EQ(PictureFormatOf("A.PDF"), TKvPictureFormat::PfPdf);
}

TEST(GraphRender, SuspendedDrawingPaintsNothing)
{
    TTestGraph T;
    T.AddSeries(T.Vector({1, 2}), T.Vector({1, 2}));
    SuspendDrawing();
    const QImage Image = T.Render(100, 100);
    ResumeDrawing();
    for (int y = 0; y < 100; y += 7)
        for (int x = 0; x < 100; x += 7)
            EXPECT_TRUE(SameColor(Image.pixel(x, y), Qt::white));
}

TEST(Graph, SavedGraphReadsBackTheSame)
{
    TTestGraph T;
    BuildExample(T, TKvAxisPos::AxBottomPos, false);
    T.Graph.SetCaption("Measured \\ss\\s");
    T.Graph.SetShowTitle(true);
    T.Graph.DataColor = 0xEEEEEE;
    T.Graph.SetZeroOrigin(true);
    T.Bottom->SetScaling(TKvAxScaling::AxLog);
    T.Left->SetTwisted(true);
    auto& S = *static_cast<TKvDataSeries*>(T.Graph.OwnedSeries()[1].get());
    S.PointStyle.SetSize(8);
    S.LineStyle.SetStyle(TPenStyle::psDash);
    TKvIniList Ini;
    T.Graph.SaveToIni(Ini, "Graph1");
    T.Graph.Legends()[0]->SaveToIni(Ini, "Graph1.Legend");
    EXPECT_EQ(Ini.ReadString("Graph1", "SeriesCount", ""), "2");
    EXPECT_TRUE(Ini.SectionExists("Graph1.XAxis1"));
    EXPECT_TRUE(Ini.SectionExists("Graph1.Series(2)"));

    TTestGraph U;
    for (int k = 0; k < 3; ++k)
        U.AddSeries(U.Vector({1}), U.Vector({1}));
    auto& L = U.Graph.AddLegend();
    U.Graph.LoadFromIni(Ini, "Graph1");
    L.LoadFromIni(Ini, "Graph1.Legend");
    EXPECT_EQ(U.Graph.Caption().toStdString(), "Measured \\ss\\s");
    EXPECT_TRUE(U.Graph.ShowTitle());
    EXPECT_TRUE(U.Graph.ZeroOrigin());
    EXPECT_EQ(U.Bottom->Scaling(), TKvAxScaling::AxLog);
    EXPECT_TRUE(U.Left->Twisted());
    EXPECT_EQ(L.InGraphPosition(), TKvAxisPos::AxBottomPos);
    auto& R = *static_cast<TKvDataSeries*>(U.Graph.OwnedSeries()[1].get());
    EXPECT_EQ(R.PointStyle.Size(), 8);
    EXPECT_EQ(R.PointStyle.Style(), TKvPointSymbol::SyDeltaFilled);
    EXPECT_EQ(R.LineStyle.Style(), TPenStyle::psDash);
    // The third series loads from the section of series number 1.
    auto& Third = *static_cast<TKvDataSeries*>(U.Graph.OwnedSeries()[2].get());
    EXPECT_EQ(Third.LineStyle.Color(), T.Graph.OwnedSeries()[0]->LineStyle.Color());
    // Saved again, the two graphs write the same text (but for the third series).
    TKvIniList Again;
    U.Graph.DeleteSeries(U.Graph.OwnedSeries()[2].get());
    U.Graph.SaveToIni(Again, "Graph1");
    L.SaveToIni(Again, "Graph1.Legend");
    EXPECT_EQ(Again.Text(), Ini.Text());
}

TEST(Graph, ZoomFrameZoomsAllAxesButNotWhenFlat)
{
    TTestGraph T;
    T.AddSeries(T.Vector({0, 10}), T.Vector({0, 10}));
    T.Graph.AutoZoom = true;
    T.Render();
    const TKvRect P = T.Graph.World().PlotRect;
    auto& W = T.Graph.World();
    W.MouseDown(P.Left + 50, P.Top + 50);
    W.MouseUp(P.Left + 50, P.Top + 120);
    EXPECT_FALSE(T.Bottom->HasZoomHistory());
    W.MouseDown(P.Left + 10, P.Top + 10);
    W.MouseUp(P.Left + P.Width() / 2, P.Top + P.Height() / 2);
    EXPECT_TRUE(T.Bottom->HasZoomHistory());
    EXPECT_TRUE(T.Left->HasZoomHistory());
    EXPECT_NEAR(T.Bottom->Stop(), 5, 0.1);
    EXPECT_NEAR(T.Left->Start(), 5, 0.1);
    EXPECT_LT(T.Bottom->Start(), T.Bottom->Stop());
}

} // namespace kv::test

namespace kv::test {

TEST(Graph, WorldNeedsAGraph) { EXPECT_THROW(TKvDrawingWorld(nullptr), EConvertError); }

TEST(Graph, LiveEditsAskForARepaintAndMoveTheAxis)
{
    TTestGraph T;
    auto& Y = T.Vector({1, 2, 3});
    T.AddSeries(T.Vector({1, 2, 3}), Y);
    T.Render();
    int Repaints = 0;
    T.Graph.OnRepaint = [&] { ++Repaints; };
    Y.SetValue(1, 250);
    EXPECT_GT(Repaints, 0);
    EXPECT_TRUE(T.Graph.LayoutDirty());
    T.Render();
    EXPECT_EQ(T.Left->Stop(), 250);
    EXPECT_FALSE(T.Graph.LayoutDirty());
}

TEST(Graph, PrimaryAxesAreFoundOrCreated)
{
    TKv2DGraph G;
    TKvAxis& Bottom = G.AddAxis(TKvAxisPos::AxBottomPos);
    G.CreatePrimaryAxes();
    EXPECT_EQ(G.PrimaryXAxis(), &Bottom);
    ASSERT_NE(G.PrimaryYAxis(), nullptr);
    EXPECT_EQ(G.PrimaryYAxis()->Name(), "YAxis1");
    EXPECT_EQ(G.PrimaryYAxis()->MajorTickLength(), -10);
    EXPECT_EQ(G.AddAxis(TKvAxisPos::AxBottomPos).Name(), "XAxis2");
    EXPECT_THROW(G.AddAxis(TKvAxisPos::AxTopPos, "xaxis1"), EConvertError);
}

} // namespace kv::test
