#include "KvGraphExport.h"

#include "KvGraphPicture.h"

#include "foundation/KvStrings.h"

#include <QBuffer>
#include <QFile>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace kv {

namespace {

constexpr int32_t MaxPictureSide = 20000;

void CheckSize(int32_t Width, int32_t Height)
{
    if (Width < 1 || Height < 1 || Width > MaxPictureSide || Height > MaxPictureSide)
        throw EConvertError("Invalid picture size " + std::to_string(Width) + "x" + std::to_string(Height));
}

bool EndsWith(const std::string& S, const char* Tail)
{
    const std::string T = Tail;
    return S.size() >= T.size() && SameTextAscii(std::string_view(S).substr(S.size() - T.size()), T);
}

} // namespace

TKvPictureFormat PictureFormatOf(const std::string& FileName)
{
    if (EndsWith(FileName, ".png"))
        return TKvPictureFormat::PfPng;
    if (EndsWith(FileName, ".svg"))
        return TKvPictureFormat::PfSvg;
    if (EndsWith(FileName, ".pdf"))
        return TKvPictureFormat::PfPdf;
    if (EndsWith(FileName, ".emf"))
        return TKvPictureFormat::PfEmf;
    if (EndsWith(FileName, ".wmf"))
        return TKvPictureFormat::PfWmf;
    throw EConvertError("Unknown picture format: " + FileName + " (use .png, .svg, .pdf, .emf or .wmf)");
}

QImage RenderGraphImage(TKv2DGraph& Graph, int32_t Width, int32_t Height)
{
    CheckSize(Width, Height);
    Graph.SetBounds(Width, Height);
    QImage Image(Width, Height, QImage::Format_ARGB32_Premultiplied);
    Image.fill(Qt::white);
    QPainter Painter(&Image);
    Graph.Paint(Painter);
    Painter.end();
    return Image;
}

QByteArray RenderGraphSvg(TKv2DGraph& Graph, int32_t Width, int32_t Height)
{
    CheckSize(Width, Height);
    Graph.SetBounds(Width, Height);
    QByteArray Data;
    QBuffer Buffer(&Data);
    Buffer.open(QIODevice::WriteOnly);
    QSvgGenerator Svg;
    Svg.setOutputDevice(&Buffer);
    Svg.setSize(QSize(Width, Height));
    Svg.setViewBox(QRect(0, 0, Width, Height));
    Svg.setResolution(96);
    QPainter Painter(&Svg);
    Graph.Paint(Painter);
    Painter.end();
    return Data;
}

void ExportGraphPicture(TKv2DGraph& Graph, const std::string& FileName, int32_t Width, int32_t Height)
{
    CheckSize(Width, Height);
    const TKvPictureFormat Format = PictureFormatOf(FileName);
    const QString Name = QString::fromStdString(FileName);
    if (Format == TKvPictureFormat::PfPng) {
        const QImage Image = RenderGraphImage(Graph, Width, Height);
        if (!Image.save(Name, "PNG"))
            throw EFileError("Cannot write " + FileName);
        return;
    }
    {
        // Neither writer reports a file it cannot create, so try first.
        QFile Probe(Name);
        if (!Probe.open(QIODevice::WriteOnly))
            throw EFileError("Cannot write " + FileName);
    }
    Graph.SetBounds(Width, Height);
    if (Format == TKvPictureFormat::PfEmf || Format == TKvPictureFormat::PfWmf) {
        TKvMetafile Picture(Width, Height,
                            Format == TKvPictureFormat::PfEmf ? TKvMetafileFormat::MfEnhanced
                                                              : TKvMetafileFormat::MfWindows);
        PaintToMetafile(Graph, Picture);
        Picture.SaveToFile(Name);
        return;
    }
    if (Format == TKvPictureFormat::PfSvg) {
        QSvgGenerator Svg;
        Svg.setFileName(Name);
        Svg.setSize(QSize(Width, Height));
        Svg.setViewBox(QRect(0, 0, Width, Height));
        Svg.setResolution(96);
        QPainter Painter;
        if (!Painter.begin(&Svg))
            throw EFileError("Cannot write " + FileName);
        Graph.Paint(Painter);
        Painter.end();
        return;
    }
    QPdfWriter Pdf(Name);
    Pdf.setResolution(96);
    Pdf.setPageSize(QPageSize(QSizeF(Width * 72.0 / 96.0, Height * 72.0 / 96.0), QPageSize::Point));
    Pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter Painter;
    if (!Painter.begin(&Pdf))
        throw EFileError("Cannot write " + FileName);
    Graph.Paint(Painter);
    Painter.end();
}

} // namespace kv
