#pragma once
// Pages of a report for the preview, the printer and PDF: the body laid
// out in the page's text area between the header and footer bands, the
// header and footer drawn on every page, page-number and page-count fields
// filled. Layout units are points (1/72 inch); Symbol-font text is shown
// through its Unicode characters.

#include "KvRtfDocument.h"

#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>

#include <memory>

namespace kv {

class TKvReportPaginator {
public:
    explicit TKvReportPaginator(const TKvRtfDocument& Document);
    ~TKvReportPaginator();
    TKvReportPaginator(const TKvReportPaginator&) = delete;
    TKvReportPaginator& operator=(const TKvReportPaginator&) = delete;

    int PageCount() const { return FPageCount; }
    // The page in points, turned for landscape.
    QSizeF PageSize() const { return FPage; }
    // The body band of every page, in points from the page's top left.
    QRectF BodyRect() const { return FBody; }
    // Paints one page (0-based) with the painter's unit as one point and
    // the page's top left at the origin.
    void PaintPage(QPainter& Painter, int Page) const;
    // The device pixels per point the pages are painted at (0: unknown, as
    // for printing). Pictures are then shown from a copy smoothly reduced
    // to the pixels they cover, so a thin line of a large picture stays as
    // it prints instead of falling between the pixels the painter samples.
    void SetPictureScale(double PixelsPerPoint);
    double PictureScale() const { return FPictureScale; }
    // Every page onto a printer or PDF writer, one device page each.
    void Print(QPagedPaintDevice& Device) const;

private:
    std::unique_ptr<QTextDocument> Band(const QTextDocument& Part, int Page) const;

    TKvRtfDocument FSource;
    std::unique_ptr<QTextDocument> FBodyLayout;
    QImage FLayoutDevice;
    QSizeF FPage;
    QRectF FBody;
    double FHeaderTop = 0, FFooterBottom = 0;
    int FPageCount = 1;
    double FPictureScale = 0;
};

// Writes the report as a PDF file; raises EFileError when it cannot.
void WriteReportPdf(const TKvRtfDocument& Document, const QString& FileName);

} // namespace kv
