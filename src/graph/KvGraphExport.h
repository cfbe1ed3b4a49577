#pragma once
// Renders a graph headless into a picture: PNG through QImage, SVG
// through QSvgGenerator, PDF through QPdfWriter and EMF/WMF through the
// metafile writer, all with the one painting routine of the graph.

#include "KvGraph2D.h"

#include <QImage>

#include <string>

namespace kv {

enum class TKvPictureFormat { PfPng, PfSvg, PfPdf, PfEmf, PfWmf };

// The format named by a file's extension (".png", ".svg", ".pdf", ".emf",
// ".wmf", any case); raises EConvertError for any other.
TKvPictureFormat PictureFormatOf(const std::string& FileName);

// Sizes the graph to Width by Height and paints it into an image.
QImage RenderGraphImage(TKv2DGraph& Graph, int32_t Width, int32_t Height);
// Sizes the graph to Width by Height and returns it as an SVG document.
QByteArray RenderGraphSvg(TKv2DGraph& Graph, int32_t Width, int32_t Height);

// Sets PaintingToMetafile for its lifetime, for painting code outside the
// graph's own routine (which finds vector targets by itself).
class TKvVectorPainting {
public:
    TKvVectorPainting() : FSaved(PaintingToMetafile) { PaintingToMetafile = true; }
    ~TKvVectorPainting() { PaintingToMetafile = FSaved; }
    TKvVectorPainting(const TKvVectorPainting&) = delete;
    TKvVectorPainting& operator=(const TKvVectorPainting&) = delete;

private:
    bool FSaved;
};

// Writes the graph at Width by Height pixels into FileName in the format of
// its extension; raises EFileError when the file cannot be written.
void ExportGraphPicture(TKv2DGraph& Graph, const std::string& FileName, int32_t Width, int32_t Height);

} // namespace kv
