#pragma once
// A picture file as a report picture: bitmaps (BMP, JPEG, PNG) at the
// screen's 96 dots per inch, enhanced metafiles at the size of their frame
// and placeable Windows metafiles at the size of their bounding box.

#include "report/KvRtfDocument.h"

#include <QString>

namespace kv {

// Raises EFileError when the file cannot be read or is no such picture.
TKvPicture PictureFromFile(const QString& FileName);

} // namespace kv
