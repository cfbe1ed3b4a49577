// Graph pictures through independent readers, compared with the PNG export
// of the same graph: EMF by emf2svg-conv, WMF by wmf2svg (libwmf), both
// drawn by rsvg-convert. Pictures land in /tmp/metafile-shots for looking at.
//
// Tolerances: a reader's ink must lie within 3 pixels (EMF) or 4 pixels
// (WMF) of the same colour of ink in the PNG and the other way round, for
// at least the stated share of the ink. The EMF reader must place the plot
// frame within 2 pixels of the PNG's. libwmf takes a picture's extent from
// what it draws (text boxes included) rather than from the header, so its
// picture is aligned by the plot frame before comparing.

#include "MetafileRecords.h"

#include "graph/KvGraphExport.h"
#include "graph/KvGraphPicture.h"
#include "workspace/KvGraphWindowModel.h"
#include "workspace/KvWorkspace.h"

#include "metafile/KvByteStream.h"

#include "foundation/KvErrors.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

namespace kv::test {

namespace {

const std::string ExampleFile = std::string(KURVEX_TEST_DATA) + "/../../examples/Damped-oscillation.plt";
constexpr int Width = 800, Height = 600;

// The plot frame: the outermost rows and columns that are dark for more
// than half the picture's width or height.
QRect PlotFrame(const QImage& Image)
{
    int Top = -1, Bottom = -1, Left = -1, Right = -1;
    for (int y = 0; y < Image.height(); ++y)
        if (InkCount(Image, TInk::Dark, QRect(0, y, Image.width(), 1)) > Image.width() / 2) {
            Top = Top < 0 ? y : Top;
            Bottom = y;
        }
    for (int x = 0; x < Image.width(); ++x)
        if (InkCount(Image, TInk::Dark, QRect(x, 0, 1, Image.height())) > Image.height() / 2) {
            Left = Left < 0 ? x : Left;
            Right = x;
        }
    return QRect(QPoint(Left, Top), QPoint(Right, Bottom));
}

// The reader's picture moved and scaled so its plot frame lies on Frame.
QImage Align(const QImage& Reader, const QRect& From, const QRect& Frame)
{
    QImage Out(Reader.size(), QImage::Format_ARGB32);
    Out.fill(Qt::white);
    QPainter P(&Out);
    const double Sx = static_cast<double>(Frame.width()) / From.width();
    const double Sy = static_cast<double>(Frame.height()) / From.height();
    P.translate(Frame.left() - From.left() * Sx, Frame.top() - From.top() * Sy);
    P.scale(Sx, Sy);
    P.drawImage(0, 0, Reader);
    return Out;
}

// Rows inside the frame whose dark ink is dotted: grid lines.
std::vector<int> DottedRows(const QImage& Image, const QRect& Frame)
{
    std::vector<int> Rows;
    for (int y = Frame.top() + 3; y < Frame.bottom() - 3; ++y) {
        const double Share =
            static_cast<double>(InkCount(Image, TInk::Dark, QRect(Frame.left() + 1, y, Frame.width() - 2, 1))) /
            (Frame.width() - 2);
        if (Share > 0.2 && Share < 0.75)
            Rows.push_back(y);
    }
    return Rows;
}

struct TExpect {
    int Tolerance;
    double Share; // of each ink colour found again
    bool SameFrame;
};

void CompareWithPng(const QImage& Png, const QImage& Reader, const TExpect& E, const std::string& Name)
{
    SCOPED_TRACE(Name);
    const QRect Frame = PlotFrame(Png);
    const QRect ReaderFrame = PlotFrame(Reader);
    ASSERT_TRUE(Frame.isValid() && ReaderFrame.isValid()) << "no plot frame found";
    if (E.SameFrame) {
        EXPECT_LE((Frame.topLeft() - ReaderFrame.topLeft()).manhattanLength(), 2) << "plot frame moved";
        EXPECT_LE((Frame.bottomRight() - ReaderFrame.bottomRight()).manhattanLength(), 2) << "plot frame moved";
    }
    const QImage Aligned = Align(Reader, ReaderFrame, Frame);
    Aligned.save(QString::fromStdString(ShotDir() + Name + ".aligned.png"));
    for (TInk Ink : {TInk::Dark, TInk::Red, TInk::Blue}) {
        SCOPED_TRACE(static_cast<int>(Ink));
        EXPECT_GE(InkCovered(Png, Aligned, Ink, E.Tolerance), E.Share) << "PNG ink missing in the reader's picture";
        EXPECT_GE(InkCovered(Aligned, Png, Ink, E.Tolerance), E.Share) << "reader's ink where the PNG has none";
    }
    // Clipping: the curves' colours stay inside the plot frame (symbols may
    // stick out by their size).
    const QRect Outside = Frame.adjusted(-12, -12, 12, 12);
    for (TInk Ink : {TInk::Red, TInk::Green}) {
        const int Png = InkCount(Aligned, Ink, QRect(0, 0, Width, Height)) - InkCount(Aligned, Ink, Outside);
        EXPECT_LE(Png, 20) << "curve drawn outside the plot";
    }
    // Dotted grid lines stay dotted: every dotted row of the PNG is dotted
    // in the reader's picture too, never solid.
    const std::vector<int> Rows = DottedRows(Png, Frame);
    const std::vector<int> ReaderRows = DottedRows(Aligned, Frame);
    for (int y : Rows) {
        const bool Found =
            std::any_of(ReaderRows.begin(), ReaderRows.end(), [y](int r) { return std::abs(r - y) <= 2; });
        EXPECT_TRUE(Found) << "dotted grid line at y = " << y << " not dotted in the reader's picture";
    }
}

void ThroughTheReaders(TKv2DGraph& G, const std::string& Name, bool ExpectGrid)
{
    const QImage Png = RenderGraphImage(G, Width, Height);
    Png.save(QString::fromStdString(ShotDir() + Name + ".png"));
    if (ExpectGrid) {
        EXPECT_FALSE(DottedRows(Png, PlotFrame(Png)).empty()) << "the fixture has dotted grid lines";
    }
    const QByteArray Emf = GetMetafile(G, TKvMetafileFormat::MfEnhanced)->Bytes();
    const QByteArray Wmf = GetMetafile(G, TKvMetafileFormat::MfWindows)->Bytes();
    CheckEmfStructure(Emf);
    CheckWmfStructure(Wmf);
    const QImage E = RenderEmf(Emf, Width, Height, Name);
    const QImage W = RenderWmf(Wmf, Width, Height, Name);
    if (E.isNull() || W.isNull()) {
        GTEST_SKIP() << "emf2svg-conv, wmf2svg or rsvg-convert missing";
    }
    // To look at: the PNG export, the EMF and the WMF as their readers draw them.
    QImage Side(3 * Width, Height, QImage::Format_ARGB32);
    QPainter P(&Side);
    P.drawImage(0, 0, Png);
    P.drawImage(Width, 0, E);
    P.drawImage(2 * Width, 0, W);
    P.end();
    Side.save(QString::fromStdString(ShotDir() + Name + ".side-by-side.png"));
    CompareWithPng(Png, E, {3, 0.9, true}, Name + ".emf");
    CompareWithPng(Png, W, {4, 0.8, false}, Name + ".wmf");
}

// Every line style, all sixteen symbols, error bars, a logarithmic axis,
// a rotated caption with Greek letters and sub- and superscripts, dotted
// grids and a curve leaving the plot.
struct TShowcase {
    std::vector<std::unique_ptr<TKvRealVector>> Vectors;
    TKvGraphWindowModel Window{1};

    TKvRealVector& Vector(const std::vector<double>& Values)
    {
        Vectors.push_back(std::make_unique<TKvRealVector>());
        for (double V : Values)
            Vectors.back()->Add(V);
        return *Vectors.back();
    }

    TShowcase()
    {
        TKv2DGraph& G = Window.Graph;
        G.Color = clWhite;
        G.DataColor = clWhite;
        for (TKvLineStyle* Grid : {&G.MajorGridX, &G.MajorGridY}) {
            Grid->SetVisible(true);
            Grid->SetColor(clBlack);
        }
        Window.LeftAxis.SetScaling(TKvAxScaling::AxLog);
        Window.LeftAxis.SetStartEnd(TKvAxEnd::AxFixed);
        Window.LeftAxis.SetStopEnd(TKvAxEnd::AxFixed);
        Window.LeftAxis.SetStart(1);
        Window.LeftAxis.SetStop(1000);
        Window.LeftAxis.SetUserCaption(QStringLiteral("\\sw\\s\\-0\\- / 10\\+3\\+ \\ss\\s\\+-1\\+"));
        Window.LeftAxis.SetDoUserCaption(true);
        Window.BottomAxis.SetUserCaption(QStringLiteral("Time \\it\\i / s"));
        Window.BottomAxis.SetDoUserCaption(true);
        const TPenStyle Styles[] = {TPenStyle::psSolid, TPenStyle::psDash, TPenStyle::psDot, TPenStyle::psDashDot,
                                    TPenStyle::psDashDotDot};
        for (int k = 0; k < PointSymbolCount; ++k) {
            std::vector<double> X, Y;
            for (int i = 0; i < 4; ++i) {
                X.push_back(1 + i * 3 + k * 0.1);
                Y.push_back(std::pow(10.0, 0.2 + 0.15 * k + 0.1 * i));
            }
            auto& S = Window.AddSeries(k + 1);
            S.SetXData(&Vector(X));
            S.SetYData(&Vector(Y));
            S.PointStyle.SetStyle(static_cast<TKvPointSymbol>(k));
            S.PointStyle.SetColor(k % 2 ? clBlue : clBlack);
            S.LineStyle.SetVisible(k < 5);
            if (k < 5) {
                S.LineStyle.SetStyle(Styles[k]);
                S.LineStyle.SetColor(clRed);
            }
            if (k == 3) {
                S.SetdXPlus(&Vector({0.3, 0.4, 0.5, 0.6}));
                S.SetdXMinus(&Vector({0.2, 0.2, 0.3, 0.3}));
            }
        }
        // A wide curve that runs far beyond the top of the plot.
        auto& Out = Window.AddSeries(17);
        Out.SetXData(&Vector({1, 5, 9, 12}));
        Out.SetYData(&Vector({2, 1e6, 3, 500}));
        Out.PointStyle.SetVisible(false);
        Out.LineStyle.SetColor(0x008000); // green
        Out.LineStyle.SetWidth(3);
    }
};

} // namespace

TEST(GraphPicture, ExampleGraphThroughTheReaders)
{
    TKvWorkspace Workspace;
    Workspace.LoadFromFile(ExampleFile);
    ThroughTheReaders(Workspace.Window(1).Graph, "example", false);
}

TEST(GraphPicture, ShowcaseGraphThroughTheReaders)
{
    TShowcase Showcase;
    ThroughTheReaders(Showcase.Window.Graph, "showcase", true);
}

TEST(GraphPicture, ButtonFaceStaysTransparentWithWhiteSymbols)
{
    TShowcase Showcase;
    TKv2DGraph& G = Showcase.Window.Graph;
    G.Color = clBtnFace;
    G.DataColor = clBtnFace;
    G.SetBounds(400, 300);
    const std::unique_ptr<TKvMetafile> M = GetMetafile(G, TKvMetafileFormat::MfEnhanced);
    const QRgb Face = ToQColor(clBtnFace).rgba();
    bool WhiteFill = false;
    for (const TKvMfItem& Item : M->Items()) {
        EXPECT_FALSE(!Item.Brush.Null && Item.Brush.Color == Face) << "button face painted into the picture";
        WhiteFill |= !Item.Brush.Null && Item.Brush.Color == qRgb(255, 255, 255);
    }
    EXPECT_TRUE(WhiteFill) << "hollow symbols are filled white";
    // The same graph on screen paints the face.
    const QImage Screen = RenderGraphImage(G, 400, 300);
    EXPECT_EQ(Screen.pixel(2, 2), Face);
}

TEST(GraphPicture, ClipboardOffersEveryPictureType)
{
    TShowcase Showcase;
    Showcase.Window.Graph.SetBounds(400, 300);
    const std::unique_ptr<QMimeData> Data = GraphMimeData(Showcase.Window.Graph);
    for (const char* Type : {MimeEmf, MimeWmf, MimeOfficeEmf, MimeOfficeWmf, MimeSvg, MimePng})
        EXPECT_FALSE(Data->data(Type).isEmpty()) << Type;
    CheckEmfStructure(Data->data(MimeEmf));
    CheckWmfStructure(Data->data(MimeWmf));
    EXPECT_EQ(Data->data(MimeEmf), Data->data(MimeOfficeEmf));
    EXPECT_TRUE(Data->data(MimeSvg).contains("<svg"));
    EXPECT_EQ(QImage::fromData(Data->data(MimePng)).size(), QSize(400, 300));
}

TEST(GraphPicture, SaveGraphFollowsTheExtension)
{
    TShowcase Showcase;
    TKv2DGraph& G = Showcase.Window.Graph;
    G.SetBounds(300, 200);
    const QString Base = QString::fromStdString(ShotDir()) + "saved";
    SaveGraphMetafile(G, Base + ".EMF");
    SaveGraphMetafile(G, Base + ".wmf");
    QFile E(Base + ".EMF"), W(Base + ".wmf");
    ASSERT_TRUE(E.open(QIODevice::ReadOnly) && W.open(QIODevice::ReadOnly));
    const QByteArray EmfBytes = E.readAll(), WmfBytes = W.readAll();
    EXPECT_EQ(ReadU32(reinterpret_cast<const uint8_t*>(EmfBytes.constData())), 1u);
    EXPECT_EQ(ReadU32(reinterpret_cast<const uint8_t*>(WmfBytes.constData())), 0x9AC6CDD7u);
    EXPECT_THROW(SaveGraphMetafile(G, Base + ".bmp"), EConvertError);
    EXPECT_THROW(SaveGraphMetafile(G, "/nonexistent-folder/x.emf"), EFileError);
}

} // namespace kv::test
