#include "KvGraphReportSource.h"

#include "graph/KvGraphPicture.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

namespace kv {

namespace {

// A graph window that was never shown has no size of its own.
constexpr int DefaultWidth = 800, DefaultHeight = 600;

QByteArray Png(const QImage& Image)
{
    QByteArray Data;
    QBuffer Buffer(&Data);
    Buffer.open(QIODevice::WriteOnly);
    Image.save(&Buffer, "PNG");
    return Data;
}

} // namespace

TKvGraphReportSource::TKvGraphReportSource(TKvGraphWindowModel& Window)
    : FWindow(Window), FSeries(Window.DataSeries())
{
    if (FWindow.Graph.Width() <= 0 || FWindow.Graph.Height() <= 0)
        FWindow.Graph.SetBounds(DefaultWidth, DefaultHeight);
    FWindow.Graph.PrepareForPaint();
}

bool TKvGraphReportSource::HasCalculations(int Series) const
{
    return !FSeries.at(static_cast<size_t>(Series))->Children.empty();
}

bool TKvGraphReportSource::SectionExists(int Series, const std::string& Section) const
{
    return FSeries.at(static_cast<size_t>(Series))->Results.SectionExists(Section);
}

std::optional<std::string> TKvGraphReportSource::Value(int Series, const std::string& Section,
                                                       const std::string& Key) const
{
    const auto V = FSeries.at(static_cast<size_t>(Series))->Results.FindValue(Section, Key);
    return V ? std::optional<std::string>(std::string(*V)) : std::nullopt;
}

QSize TKvGraphReportSource::GraphSize() const { return {FWindow.Graph.Width(), FWindow.Graph.Height()}; }

// The graph keeps its own layout (its fonts stay in proportion to the
// window); the bitmap is drawn at twice its size for print.
TKvPicture TKvGraphReportSource::GraphPicture(int WidthTwips, int HeightTwips) const
{
    TKv2DGraph& Graph = FWindow.Graph;
    const int W = Graph.Width(), H = Graph.Height();
    QImage Image(2 * W, 2 * H, QImage::Format_RGB32);
    Image.fill(Qt::white);
    {
        QPainter Painter(&Image);
        Painter.setRenderHint(QPainter::Antialiasing);
        Painter.scale(2, 2);
        Graph.Paint(Painter);
    }
    TKvPicture P;
    P.GoalWidth = WidthTwips;
    P.GoalHeight = HeightTwips;
    try {
        P.Data = GetMetafile(Graph, TKvMetafileFormat::MfEnhanced)->Bytes();
        P.Kind = "emf";
        P.Width = W * 2540 / 96; // 0.01 mm at the screen's 96 dots per inch
        P.Height = H * 2540 / 96;
        P.FallbackKind = "png";
        P.FallbackData = Png(Image);
    } catch (const EKvError&) {
        // no metafile: the bitmap alone
        P.Kind = "png";
        P.Data = Png(Image);
        P.Width = Image.width();
        P.Height = Image.height();
    }
    return P;
}

} // namespace kv
