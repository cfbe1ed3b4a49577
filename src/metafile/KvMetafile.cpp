#include "KvMetafile.h"

#include "KvEmfWriter.h"
#include "KvMetafileEngine.h"
#include "KvWmfWriter.h"

#include "foundation/KvErrors.h"

#include <QFile>
#include <QSaveFile>

#include <cmath>

namespace kv {

namespace {

constexpr int Dpi = 96;
// The enhanced format has 32-bit coordinates; this only keeps memory sane.
constexpr int32_t MaxEnhancedSide = 1 << 20;

void CheckSize(int32_t Width, int32_t Height, TKvMetafileFormat Format)
{
    const int32_t Max = Format == TKvMetafileFormat::MfWindows ? TKvWmfWriter::MaxSide : MaxEnhancedSide;
    if (Width < 1 || Height < 1 || Width > Max || Height > Max)
        throw EConvertError("Invalid metafile size " + std::to_string(Width) + "x" + std::to_string(Height));
}

} // namespace

TKvMetafile::TKvMetafile(int32_t Width, int32_t Height, TKvMetafileFormat Format, TKvMetafileOptions Options)
    : FWidth(Width), FHeight(Height), FFormat(Format), FOptions(Options)
{
    CheckSize(Width, Height, Format);
}

TKvMetafile::~TKvMetafile() = default;

void TKvMetafile::SetFormat(TKvMetafileFormat Value)
{
    CheckSize(FWidth, FHeight, Value);
    FFormat = Value;
}

QPaintEngine* TKvMetafile::paintEngine() const
{
    if (!FEngine)
        FEngine = std::make_unique<TKvMetafileEngine>(const_cast<std::vector<TKvMfItem>&>(FItems),
                                                      QRect(0, 0, FWidth, FHeight), FOptions.NativeDashes);
    return FEngine.get();
}

int TKvMetafile::metric(PaintDeviceMetric Metric) const
{
    switch (Metric) {
    case PdmWidth: return FWidth;
    case PdmHeight: return FHeight;
    case PdmWidthMM: return static_cast<int>(std::lround(FWidth * 25.4 / Dpi));
    case PdmHeightMM: return static_cast<int>(std::lround(FHeight * 25.4 / Dpi));
    case PdmNumColors: return 0x7FFFFFFF;
    case PdmDepth: return 32;
    case PdmDpiX:
    case PdmDpiY:
    case PdmPhysicalDpiX:
    case PdmPhysicalDpiY: return Dpi;
    case PdmDevicePixelRatio: return 1;
    case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
    }
    return 0;
}

QByteArray TKvMetafile::Bytes() const
{
    const std::vector<uint8_t> Data = FFormat == TKvMetafileFormat::MfEnhanced
                                          ? TKvEmfWriter::Write(FItems, QSize(FWidth, FHeight))
                                          : TKvWmfWriter::Write(FItems, QSize(FWidth, FHeight));
    return QByteArray(reinterpret_cast<const char*>(Data.data()), static_cast<qsizetype>(Data.size()));
}

void TKvMetafile::SaveToFile(const QString& FileName) const
{
    const QByteArray Data = Bytes();
    QSaveFile File(FileName);
    if (!File.open(QIODevice::WriteOnly) || File.write(Data) != Data.size() || !File.commit())
        throw EFileError("Cannot write " + FileName.toStdString());
}

bool MetafileFormatOf(const QString& FileName, TKvMetafileFormat& Format)
{
    if (FileName.endsWith(QLatin1String(".emf"), Qt::CaseInsensitive)) {
        Format = TKvMetafileFormat::MfEnhanced;
        return true;
    }
    if (FileName.endsWith(QLatin1String(".wmf"), Qt::CaseInsensitive)) {
        Format = TKvMetafileFormat::MfWindows;
        return true;
    }
    return false;
}

} // namespace kv
