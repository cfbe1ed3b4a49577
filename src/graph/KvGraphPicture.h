#pragma once
// The graph as a metafile picture: for the clipboard, for "Save Graph" and
// for reports. Every picture is painted by the graph's one painting routine;
// the paint target being a vector picture makes the button-face background
// transparent and the symbol fills white.

#include "KvGraph2D.h"

#include "metafile/KvMetafile.h"

#include <QMimeData>
#include <QString>

#include <memory>

namespace kv {

// The clipboard types of a graph picture.
inline constexpr const char* MimeEmf = "image/x-emf";
inline constexpr const char* MimeWmf = "image/x-wmf";
inline constexpr const char* MimeOfficeEmf = "application/x-openoffice-emf;windows_formatname=\"Image EMF\"";
inline constexpr const char* MimeOfficeWmf = "application/x-openoffice-wmf;windows_formatname=\"Image WMF\"";
inline constexpr const char* MimeSvg = "image/svg+xml";
inline constexpr const char* MimePng = "image/png";

// Clears Picture and paints the graph into it, scaled when the picture's
// size differs from the graph's.
void PaintToMetafile(TKv2DGraph& Graph, TKvMetafile& Picture);
// A new picture of the graph's size in the given format.
std::unique_ptr<TKvMetafile> GetMetafile(TKv2DGraph& Graph, TKvMetafileFormat Format,
                                         TKvMetafileOptions Options = {});
// The graph in every clipboard type above.
std::unique_ptr<QMimeData> GraphMimeData(TKv2DGraph& Graph);
// "Graph to Clipboard": needs a QGuiApplication.
void CopyToClipboard(TKv2DGraph& Graph);
// "Save Graph": the format follows the extension (".emf" or ".wmf");
// raises EConvertError for another extension and EFileError when the file
// cannot be written.
void SaveGraphMetafile(TKv2DGraph& Graph, const QString& FileName);

} // namespace kv
