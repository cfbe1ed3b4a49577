#include "KvReportPaginator.h"

#include "graph/KvSymbolFont.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

// Symbol-font text replaced by the Unicode characters it shows.
void ShowSymbols(QTextDocument& D)
{
    struct TRun {
        int Start, Length;
        QString Text;
        QTextCharFormat Format;
    };
    std::vector<TRun> Runs;
    for (QTextBlock B = D.begin(); B.isValid(); B = B.next())
        for (auto It = B.begin(); !It.atEnd(); ++It) {
            const QTextFragment F = It.fragment();
            QTextCharFormat Format = F.charFormat();
            const QStringList Families = Format.fontFamilies().toStringList();
            if (Format.isImageFormat() || Families.isEmpty() ||
                Families.front().compare("Symbol", Qt::CaseInsensitive) != 0)
                continue;
            QString Text = F.text();
            for (QChar& C : Text)
                if (C.unicode() < 256)
                    C = QChar(SymbolToUnicode(C.unicode()));
            Format.setFontFamilies({QString(DefaultFontFamily)});
            Runs.push_back({F.position(), F.length(), Text, Format});
        }
    for (auto It = Runs.rbegin(); It != Runs.rend(); ++It) {
        QTextCursor C(&D);
        C.setPosition(It->Start);
        C.setPosition(It->Start + It->Length, QTextCursor::KeepAnchor);
        C.insertText(It->Text, It->Format);
    }
}

// Page-number and page-count fields get their numbers; PageOf gives the
// page of a position.
template <class TPageOf>
void FillPageFields(QTextDocument& D, int PageCount, TPageOf PageOf)
{
    const std::vector<TKvField> Fields = FindFields(D);
    for (auto It = Fields.rbegin(); It != Fields.rend(); ++It) {
        if (It->Name != "PAGE" && It->Name != "NUMPAGES")
            continue;
        QTextCursor C(&D);
        C.setPosition(It->Start);
        C.setPosition(It->End, QTextCursor::KeepAnchor);
        const QTextCharFormat Format = C.charFormat();
        C.insertText(QString::number(It->Name == "PAGE" ? PageOf(It->Start) + 1 : PageCount), Format);
    }
}

std::unique_ptr<QTextDocument> DisplayCopy(const QTextDocument& Part, QPaintDevice* Device)
{
    std::unique_ptr<QTextDocument> D(Part.clone());
    D->setParent(nullptr);
    D->setDocumentMargin(0);
    D->setUseDesignMetrics(true);
    RegisterPictures(*D);
    ShowSymbols(*D);
    D->documentLayout()->setPaintDevice(Device);
    return D;
}

// Each picture's image replaced by one reduced to the device pixels it
// covers at PixelsPerPoint, with an area-averaging filter.
void ReducePictures(QTextDocument& D, double PixelsPerPoint)
{
    if (PixelsPerPoint <= 0)
        return;
    for (QTextBlock B = D.begin(); B.isValid(); B = B.next())
        for (auto It = B.begin(); !It.atEnd(); ++It) {
            const QTextCharFormat F = It.fragment().charFormat();
            if (!F.isImageFormat() || !F.hasProperty(RpPictureKind))
                continue;
            const QTextImageFormat Image = F.toImageFormat();
            const QUrl Name(Image.name());
            const QImage Full = qvariant_cast<QImage>(D.resource(QTextDocument::ImageResource, Name));
            const TKvPicture P = PictureOf(Image);
            const QSize Covered(qRound(P.GoalWidth / 20.0 * PixelsPerPoint), qRound(P.GoalHeight / 20.0 * PixelsPerPoint));
            if (Full.isNull() || Covered.isEmpty() || (Covered.width() >= Full.width() && Covered.height() >= Full.height()))
                continue;
            D.addResource(QTextDocument::ImageResource, Name,
                          Full.scaled(Covered, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        }
}

} // namespace

TKvReportPaginator::TKvReportPaginator(const TKvRtfDocument& Document) : FSource(Document)
{
    // a device of 72 dots per inch makes the layout unit one point
    FLayoutDevice = QImage(1, 1, QImage::Format_RGB32);
    FLayoutDevice.setDotsPerMeterX(2835);
    FLayoutDevice.setDotsPerMeterY(2835);
    const TKvPageSetup& P = Document.Page;
    const bool Turn = P.Landscape && P.PaperWidth < P.PaperHeight;
    FPage = QSizeF((Turn ? P.PaperHeight : P.PaperWidth) / 20.0, (Turn ? P.PaperWidth : P.PaperHeight) / 20.0);
    const double Width = std::max(Document.UsableWidth() / 20.0, 36.0);
    const auto Header = Band(*Document.Header, 0);
    const auto Footer = Band(*Document.Footer, 0);
    FHeaderTop = P.HeaderY / 20.0;
    FFooterBottom = FPage.height() - P.FooterY / 20.0;
    const double Top = std::max(P.MarginTop / 20.0, Document.Header->isEmpty() ? 0.0 : FHeaderTop + Header->size().height());
    const double Bottom = std::min(FPage.height() - P.MarginBottom / 20.0,
                                   Document.Footer->isEmpty() ? FPage.height() : FFooterBottom - Footer->size().height());
    FBody = QRectF(P.MarginLeft / 20.0, Top, Width, std::max(Bottom - Top, 36.0));
    FBodyLayout = DisplayCopy(*Document.Body, &FLayoutDevice);
    FBodyLayout->setPageSize(FBody.size());
    FPageCount = std::max(FBodyLayout->pageCount(), 1);
    const double PageHeight = FBody.height();
    QAbstractTextDocumentLayout* Layout = FBodyLayout->documentLayout();
    FillPageFields(*FBodyLayout, FPageCount, [&](int Position) {
        const QTextBlock B = FBodyLayout->findBlock(Position);
        return static_cast<int>(Layout->blockBoundingRect(B).top() / PageHeight);
    });
    FPageCount = std::max(FBodyLayout->pageCount(), 1);
}

TKvReportPaginator::~TKvReportPaginator() = default;

void TKvReportPaginator::SetPictureScale(double PixelsPerPoint)
{
    if (PixelsPerPoint == FPictureScale)
        return;
    // start again from the full pictures, then reduce them once
    if (FPictureScale > 0)
        RegisterPictures(*FBodyLayout, true);
    FPictureScale = PixelsPerPoint;
    ReducePictures(*FBodyLayout, FPictureScale);
}

std::unique_ptr<QTextDocument> TKvReportPaginator::Band(const QTextDocument& Part, int Page) const
{
    auto D = DisplayCopy(Part, const_cast<QImage*>(&FLayoutDevice));
    ReducePictures(*D, FPictureScale);
    FillPageFields(*D, FPageCount, [Page](int) { return Page; });
    D->setTextWidth(std::max(FSource.UsableWidth() / 20.0, 36.0));
    return D;
}

void TKvReportPaginator::PaintPage(QPainter& Painter, int Page) const
{
    Painter.save();
    Painter.setRenderHint(QPainter::Antialiasing);
    QAbstractTextDocumentLayout::PaintContext Context;
    Context.palette.setColor(QPalette::Text, Qt::black);
    // body: the page's slice of the long layout
    Painter.save();
    Painter.translate(FBody.left(), FBody.top() - Page * FBody.height());
    Context.clip = QRectF(0, Page * FBody.height(), FBody.width(), FBody.height());
    Painter.setClipRect(Context.clip);
    FBodyLayout->documentLayout()->draw(&Painter, Context);
    Painter.restore();
    Context.clip = QRectF();
    if (!FSource.Header->isEmpty()) {
        const auto Header = Band(*FSource.Header, Page);
        Painter.save();
        Painter.translate(FBody.left(), FHeaderTop);
        Header->documentLayout()->draw(&Painter, Context);
        Painter.restore();
    }
    if (!FSource.Footer->isEmpty()) {
        const auto Footer = Band(*FSource.Footer, Page);
        Painter.save();
        Painter.translate(FBody.left(), FFooterBottom - Footer->size().height());
        Footer->documentLayout()->draw(&Painter, Context);
        Painter.restore();
    }
    Painter.restore();
}

void TKvReportPaginator::Print(QPagedPaintDevice& Device) const
{
    Device.setPageSize(QPageSize(FPage, QPageSize::Point));
    Device.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter Painter(&Device);
    const double Scale = Device.logicalDpiX() / 72.0;
    for (int Page = 0; Page < FPageCount; ++Page) {
        if (Page > 0)
            Device.newPage();
        Painter.save();
        Painter.scale(Scale, Device.logicalDpiY() / 72.0);
        PaintPage(Painter, Page);
        Painter.restore();
    }
}

void WriteReportPdf(const TKvRtfDocument& Document, const QString& FileName)
{
    {
        QFile Probe(FileName);
        if (!Probe.open(QIODevice::WriteOnly))
            throw EFileError("Cannot write the PDF file " + FileName.toStdString() + ": " +
                             Probe.errorString().toStdString());
    }
    const TKvReportPaginator Pages(Document);
    QPdfWriter Writer(FileName);
    Writer.setResolution(600);
    Writer.setCreator("Kurvex");
    Pages.Print(Writer);
}

} // namespace kv
