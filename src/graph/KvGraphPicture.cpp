#include "KvGraphPicture.h"

#include "KvGraphExport.h"

#include "foundation/KvErrors.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>

namespace kv {

void PaintToMetafile(TKv2DGraph& Graph, TKvMetafile& Picture)
{
    Picture.Clear();
    QPainter Painter(&Picture);
    if (Picture.Width() != Graph.Width() || Picture.Height() != Graph.Height())
        Painter.scale(static_cast<double>(Picture.Width()) / Graph.Width(),
                      static_cast<double>(Picture.Height()) / Graph.Height());
    Graph.Paint(Painter);
    Painter.end();
}

std::unique_ptr<TKvMetafile> GetMetafile(TKv2DGraph& Graph, TKvMetafileFormat Format, TKvMetafileOptions Options)
{
    auto Picture = std::make_unique<TKvMetafile>(Graph.Width(), Graph.Height(), Format, Options);
    PaintToMetafile(Graph, *Picture);
    return Picture;
}

std::unique_ptr<QMimeData> GraphMimeData(TKv2DGraph& Graph)
{
    auto Data = std::make_unique<QMimeData>();
    // One recording serves both metafile formats.
    const std::unique_ptr<TKvMetafile> Picture = GetMetafile(Graph, TKvMetafileFormat::MfEnhanced);
    const QByteArray Emf = Picture->Bytes();
    Picture->SetFormat(TKvMetafileFormat::MfWindows);
    const QByteArray Wmf = Picture->Bytes();
    Data->setData(MimeEmf, Emf);
    Data->setData(MimeOfficeEmf, Emf);
    Data->setData(MimeWmf, Wmf);
    Data->setData(MimeOfficeWmf, Wmf);
    Data->setData(MimeSvg, RenderGraphSvg(Graph, Graph.Width(), Graph.Height()));
    QByteArray Png;
    QBuffer Buffer(&Png);
    Buffer.open(QIODevice::WriteOnly);
    RenderGraphImage(Graph, Graph.Width(), Graph.Height()).save(&Buffer, "PNG");
    Data->setData(MimePng, Png);
    return Data;
}

void CopyToClipboard(TKv2DGraph& Graph)
{
    QClipboard* Clipboard = QGuiApplication::clipboard();
    if (!Clipboard)
        throw EFileError("The clipboard is not available");
    Clipboard->setMimeData(GraphMimeData(Graph).release());
}

void SaveGraphMetafile(TKv2DGraph& Graph, const QString& FileName)
{
    TKvMetafileFormat Format;
    if (!MetafileFormatOf(FileName, Format))
        throw EConvertError("Unknown metafile type: " + FileName.toStdString() + " (use .emf or .wmf)");
    GetMetafile(Graph, Format)->SaveToFile(FileName);
}

} // namespace kv
