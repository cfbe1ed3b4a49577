#include "KvRtfDocument.h"

#include <QCryptographicHash>
#include <QImage>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QUrl>

#include <algorithm>
#include <atomic>

namespace kv {

namespace {

std::unique_ptr<QTextDocument> NewPart()
{
    auto D = std::make_unique<QTextDocument>();
    D->setUndoRedoEnabled(false);
    D->setUseDesignMetrics(true);
    D->setDocumentMargin(0);
    return D;
}

std::unique_ptr<QTextDocument> ClonePart(const QTextDocument& Source)
{
    std::unique_ptr<QTextDocument> D(Source.clone());
    D->setParent(nullptr);
    RegisterPictures(*D);
    return D;
}

// The picture shown for a metafile without a fallback: a grey frame of
// the picture's shape, since this platform has no metafile renderer.
QImage Placeholder(const TKvPicture& P)
{
    const int W = std::clamp(P.GoalWidth / 15, 8, 800);
    const int H = std::clamp(P.GoalHeight / 15, 8, 800);
    QImage Image(W, H, QImage::Format_RGB32);
    Image.fill(Qt::lightGray);
    QPainter Painter(&Image);
    Painter.setPen(Qt::darkGray);
    Painter.drawRect(0, 0, W - 1, H - 1);
    Painter.drawLine(0, 0, W - 1, H - 1);
    Painter.drawLine(0, H - 1, W - 1, 0);
    return Image;
}

bool IsBitmapKind(const QString& Kind) { return Kind == "png" || Kind == "jpeg"; }

QImage DisplayImage(const TKvPicture& P)
{
    QImage Image;
    if (IsBitmapKind(P.Kind))
        Image.loadFromData(P.Data);
    if (Image.isNull() && IsBitmapKind(P.FallbackKind))
        Image.loadFromData(P.FallbackData);
    return Image.isNull() ? Placeholder(P) : Image;
}

QString ResourceName(const TKvPicture& P)
{
    QCryptographicHash Hash(QCryptographicHash::Sha1);
    Hash.addData(P.Data);
    Hash.addData(P.FallbackData);
    return "kvpicture:" + QString::fromLatin1(Hash.result().toHex());
}

} // namespace

TKvRtfDocument::TKvRtfDocument() : Body(NewPart()), Header(NewPart()), Footer(NewPart()) {}

TKvRtfDocument::TKvRtfDocument(const TKvRtfDocument& Other)
    : Page(Other.Page), Body(ClonePart(*Other.Body)), Header(ClonePart(*Other.Header)),
      Footer(ClonePart(*Other.Footer))
{
}

TKvRtfDocument& TKvRtfDocument::operator=(const TKvRtfDocument& Other)
{
    if (this != &Other) {
        Page = Other.Page;
        Body = ClonePart(*Other.Body);
        Header = ClonePart(*Other.Header);
        Footer = ClonePart(*Other.Footer);
    }
    return *this;
}

TKvRtfDocument::~TKvRtfDocument() = default;

void TKvRtfDocument::Clear()
{
    Page = TKvPageSetup();
    Body = NewPart();
    Header = NewPart();
    Footer = NewPart();
}

// A landscape page whose size is still given upright is turned.
int TKvRtfDocument::UsableWidth() const
{
    const bool Turn = Page.Landscape && Page.PaperWidth < Page.PaperHeight;
    return (Turn ? Page.PaperHeight : Page.PaperWidth) - Page.MarginLeft - Page.MarginRight;
}

int TKvRtfDocument::UsableHeight() const
{
    const bool Turn = Page.Landscape && Page.PaperWidth < Page.PaperHeight;
    return (Turn ? Page.PaperWidth : Page.PaperHeight) - Page.MarginTop - Page.MarginBottom;
}

std::vector<TKvField> FindFields(const QTextDocument& Document)
{
    std::vector<TKvField> Fields;
    for (QTextBlock B = Document.begin(); B.isValid(); B = B.next())
        for (auto It = B.begin(); !It.atEnd(); ++It) {
            const QTextFragment F = It.fragment();
            const QTextCharFormat Format = F.charFormat();
            const int Id = Format.intProperty(RpFieldId);
            if (Id == 0)
                continue;
            const QString Instruction = Format.stringProperty(RpFieldInstruction);
            if (!Fields.empty() && Fields.back().Id == Id && Fields.back().End == F.position() &&
                Fields.back().Instruction == Instruction) {
                Fields.back().End = F.position() + F.length();
                continue;
            }
            Fields.push_back({Id, Instruction, FieldNameOf(Instruction), F.position(), F.position() + F.length()});
        }
    return Fields;
}

namespace {

// Any blank ends a word of a field instruction, the no-break space and the
// tab too: trimming removes them as well, so a name never ends in one that a
// second read would lose.
qsizetype FirstBlank(const QString& Text)
{
    const auto It = std::find_if(Text.begin(), Text.end(), [](QChar C) { return C.isSpace(); });
    return It == Text.end() ? -1 : It - Text.begin();
}

} // namespace

QString FieldNameOf(const QString& Instruction)
{
    const QString Text = Instruction.trimmed();
    const qsizetype Blank = FirstBlank(Text);
    const QString First = Blank < 0 ? Text : Text.left(Blank);
    if (First.compare("MERGEFIELD", Qt::CaseInsensitive) != 0)
        return First.toUpper();
    if (Blank < 0)
        return {};
    QString Rest = Text.mid(Blank + 1).trimmed();
    if (Rest.startsWith('"')) {
        const qsizetype Close = Rest.indexOf('"', 1);
        return Close < 0 ? Rest.mid(1) : Rest.mid(1, Close - 1);
    }
    const qsizetype End = FirstBlank(Rest);
    return End < 0 ? Rest : Rest.left(End);
}

bool IsMergeField(const QString& Instruction)
{
    return Instruction.trimmed().startsWith("MERGEFIELD", Qt::CaseInsensitive);
}

QString MergeFieldInstruction(const QString& Name)
{
    return "MERGEFIELD " + (FirstBlank(Name) >= 0 ? '"' + Name + '"' : Name);
}

QChar FieldMarker(const QString& Name)
{
    static const std::pair<const char*, char16_t> Markers[] = {
        {"Plot", 174},      {"FirstCoeff", '1'},      {"NextCoeff", '+'},         {"MergeSeq", '#'},
        {"StartCalculation", '~'}, {"NextCalculation", 167}, {"StartSeries", '!'}, {"NextSeries", '&'}};
    for (const auto& [N, M] : Markers)
        if (Name == QLatin1String(N))
            return QChar(M);
    return QChar('<');
}

int NewFieldId()
{
    static std::atomic<int> Next{1};
    return Next++;
}

QTextCharFormat WithoutField(QTextCharFormat Format)
{
    Format.clearProperty(RpFieldId);
    Format.clearProperty(RpFieldInstruction);
    return Format;
}

QTextCharFormat AsField(QTextCharFormat Format, int Id, const QString& Instruction)
{
    Format.setProperty(RpFieldId, Id);
    Format.setProperty(RpFieldInstruction, Instruction);
    return Format;
}

QTextImageFormat MakePictureFormat(QTextDocument& Document, const TKvPicture& P)
{
    QTextImageFormat Format;
    const QString Name = ResourceName(P);
    if (!Document.resource(QTextDocument::ImageResource, QUrl(Name)).isValid())
        Document.addResource(QTextDocument::ImageResource, QUrl(Name), DisplayImage(P));
    Format.setName(Name);
    // an image's size is in pixels of 96 per inch whatever device lays it out
    Format.setWidth(P.GoalWidth / 15.0);
    Format.setHeight(P.GoalHeight / 15.0);
    Format.setProperty(RpPictureKind, P.Kind);
    Format.setProperty(RpPictureData, P.Data);
    if (!P.FallbackKind.isEmpty()) {
        Format.setProperty(RpPictureFallbackKind, P.FallbackKind);
        Format.setProperty(RpPictureFallbackData, P.FallbackData);
    }
    Format.setProperty(RpPictureWidth, P.Width);
    Format.setProperty(RpPictureHeight, P.Height);
    Format.setProperty(RpPictureGoalWidth, P.GoalWidth);
    Format.setProperty(RpPictureGoalHeight, P.GoalHeight);
    return Format;
}

TKvPicture PictureOf(const QTextImageFormat& F)
{
    TKvPicture P;
    P.Kind = F.stringProperty(RpPictureKind);
    P.Data = F.property(RpPictureData).toByteArray();
    P.FallbackKind = F.stringProperty(RpPictureFallbackKind);
    P.FallbackData = F.property(RpPictureFallbackData).toByteArray();
    P.Width = F.intProperty(RpPictureWidth);
    P.Height = F.intProperty(RpPictureHeight);
    P.GoalWidth = F.hasProperty(RpPictureGoalWidth) ? F.intProperty(RpPictureGoalWidth) : qRound(F.width() * 15);
    P.GoalHeight = F.hasProperty(RpPictureGoalHeight) ? F.intProperty(RpPictureGoalHeight) : qRound(F.height() * 15);
    return P;
}

void RegisterPictures(QTextDocument& Document, bool Replace)
{
    for (QTextBlock B = Document.begin(); B.isValid(); B = B.next())
        for (auto It = B.begin(); !It.atEnd(); ++It) {
            const QTextCharFormat F = It.fragment().charFormat();
            if (!F.isImageFormat() || !F.hasProperty(RpPictureKind))
                continue;
            const TKvPicture P = PictureOf(F.toImageFormat());
            const QString Name = ResourceName(P);
            if (Replace || !Document.resource(QTextDocument::ImageResource, QUrl(Name)).isValid())
                Document.addResource(QTextDocument::ImageResource, QUrl(Name), DisplayImage(P));
        }
}

} // namespace kv
