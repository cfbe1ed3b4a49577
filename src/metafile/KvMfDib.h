#pragma once
// A device-independent bitmap as both formats embed it: a 40-byte
// BITMAPINFOHEADER and 24-bit rows from the bottom up, each padded to four
// bytes; transparency is laid over white, as a word processor shows it.

#include "KvByteStream.h"

#include <QImage>

namespace kv {

inline uint32_t DibRowBytes(const QImage& Image) { return (static_cast<uint32_t>(Image.width()) * 3 + 3) & ~3u; }
inline uint32_t DibBitsSize(const QImage& Image) { return DibRowBytes(Image) * static_cast<uint32_t>(Image.height()); }

inline void WriteDibHeader(TKvByteStream& S, const QImage& Image)
{
    S.U32(40);
    S.I32(Image.width());
    S.I32(Image.height()); // positive: bottom-up rows
    S.U16(1);
    S.U16(24);
    S.U32(0); // BI_RGB
    S.U32(DibBitsSize(Image));
    S.I32(3780); // 96 dpi in pixels per metre
    S.I32(3780);
    S.U32(0);
    S.U32(0);
}

inline void WriteDibBits(TKvByteStream& S, const QImage& Image)
{
    const QImage Argb = Image.convertToFormat(QImage::Format_ARGB32);
    for (int y = Argb.height() - 1; y >= 0; --y) {
        const auto* Row = reinterpret_cast<const QRgb*>(Argb.constScanLine(y));
        for (int x = 0; x < Argb.width(); ++x) {
            const int A = qAlpha(Row[x]);
            auto Over = [A](int C) { return static_cast<uint8_t>((C * A + 255 * (255 - A)) / 255); };
            S.U8(Over(qBlue(Row[x])));
            S.U8(Over(qGreen(Row[x])));
            S.U8(Over(qRed(Row[x])));
        }
        S.Align(4);
    }
}

} // namespace kv
