#pragma once
// Renders a graph headless into a picture: PNG through QImage, SVG
// through QSvgGenerator and PDF through QPdfWriter, all with the one
// painting routine of the graph.

#include "KvGraph2D.h"

#include <QImage>

#include <string>

namespace kv {

enum class TKvPictureFormat { PfPng, PfSvg, PfPdf };

// The format named by a file's extension (".png", ".svg", ".pdf", any
// case); raises EConvertError for any other.
TKvPictureFormat PictureFormatOf(const std::string& FileName);

// Sizes the graph to Width by Height and paints it into an image.
QImage RenderGraphImage(TKv2DGraph& Graph, int32_t Width, int32_t Height);

// Sets PaintingToMetafile for its lifetime: vector pictures leave the
// button-face background transparent and fill symbols white.
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
