#pragma once
// A metafile picture as a paint device: paint into it with a QPainter, then
// take its bytes as an Enhanced Metafile or a Windows Metafile (with the
// placeable header). One unit is one picture pixel at 96 per inch.

#include "KvMetafileItems.h"

#include <QByteArray>
#include <QPaintDevice>
#include <QString>

#include <memory>

namespace kv {

enum class TKvMetafileFormat { MfEnhanced, MfWindows };

struct TKvMetafileOptions {
    // Dashed thin lines as the format's dashed pens instead of their dashes
    // (readers disagree on how to draw them; off by default).
    bool NativeDashes = false;
};

class TKvMetafileEngine;

class TKvMetafile : public QPaintDevice {
public:
    // Raises EConvertError for a size the format cannot hold.
    TKvMetafile(int32_t Width, int32_t Height, TKvMetafileFormat Format, TKvMetafileOptions Options = {});
    ~TKvMetafile() override;
    TKvMetafile(const TKvMetafile&) = delete;
    TKvMetafile& operator=(const TKvMetafile&) = delete;

    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    TKvMetafileFormat Format() const { return FFormat; }
    void SetFormat(TKvMetafileFormat Value);

    // What was painted so far; Clear forgets it.
    const std::vector<TKvMfItem>& Items() const { return FItems; }
    void Clear() { FItems.clear(); }

    // The picture in its format.
    QByteArray Bytes() const;
    // Raises EFileError when the file cannot be written.
    void SaveToFile(const QString& FileName) const;

    QPaintEngine* paintEngine() const override;

protected:
    int metric(PaintDeviceMetric Metric) const override;

private:
    int32_t FWidth, FHeight;
    TKvMetafileFormat FFormat;
    TKvMetafileOptions FOptions;
    std::vector<TKvMfItem> FItems;
    mutable std::unique_ptr<TKvMetafileEngine> FEngine;
};

// The format named by a file's extension: ".emf" or ".wmf" in any case.
bool MetafileFormatOf(const QString& FileName, TKvMetafileFormat& Format);

} // namespace kv
