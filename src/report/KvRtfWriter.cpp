#include "KvRtfWriter.h"

#include "graph/KvSymbolFont.h"

#include <QColor>
#include <QFile>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextList>

#include <cmath>
#include <vector>

namespace kv {

namespace {

int Twips(double Points) { return static_cast<int>(std::lround(Points * 20)); }

QString FamilyOf(const QTextCharFormat& F)
{
    const QStringList Families = F.fontFamilies().toStringList();
    return Families.isEmpty() || Families.front().isEmpty() ? QString(DefaultFontFamily) : Families.front();
}

bool IsSymbolFamily(const QString& Family) { return Family.compare("Symbol", Qt::CaseInsensitive) == 0; }

class TWriter {
public:
    explicit TWriter(const TKvRtfDocument& D) : FDoc(D) {}
    std::string Run();

private:
    void CollectTables(const QTextDocument& Part);
    int FontIndex(const QString& Family) const;
    int ColorIndex(const QColor& C) const;
    void Part(const QTextDocument& Part);
    void Block(const QTextBlock& B);
    void ListMarker(const QTextBlock& B);
    void Run(const QTextCharFormat& F, const QString& Text);
    void FlushRun();
    void Picture(const QTextImageFormat& F);
    void PictureData(const QString& Kind, const QByteArray& Data, const TKvPicture& P);
    void CharProperties(const QTextCharFormat& F);
    void Text(const QString& Text);

    const TKvRtfDocument& FDoc;
    std::vector<QString> FFonts;
    std::vector<QColor> FColors;
    std::string FOut;
    // The family of the paragraph's text before (or else after) a run:
    // Symbol-font runs are written in it as Unicode characters.
    QString FTextFamily;
    // The run being written: fragments whose properties write alike (a
    // Symbol-font run in the text's font and the text around it) go out as
    // one group, as a reader reads them back as one.
    std::string FRunProperties, FRunText;
};

std::string TWriter::Run()
{
    FFonts.push_back(DefaultFontFamily);
    for (const QTextDocument* P : {FDoc.Header.get(), FDoc.Footer.get(), FDoc.Body.get()})
        CollectTables(*P);
    FOut += "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n{\\fonttbl";
    for (size_t i = 0; i < FFonts.size(); ++i) {
        FOut += "{\\f" + std::to_string(i) + "\\fnil\\fcharset0 ";
        const QStringList Pieces = FFonts[i].split(';');
        for (qsizetype k = 0; k < Pieces.size(); ++k) {
            if (k > 0)
                FOut += "\\'3b"; // a semicolon would end the name
            Text(Pieces[k]);
        }
        FOut += ";}";
    }
    FOut += "}\n{\\colortbl;";
    for (const QColor& C : FColors)
        FOut += "\\red" + std::to_string(C.red()) + "\\green" + std::to_string(C.green()) + "\\blue" +
                std::to_string(C.blue()) + ";";
    FOut += "}\n";
    const TKvPageSetup& P = FDoc.Page;
    FOut += "\\paperw" + std::to_string(P.PaperWidth) + "\\paperh" + std::to_string(P.PaperHeight) + "\\margl" +
            std::to_string(P.MarginLeft) + "\\margr" + std::to_string(P.MarginRight) + "\\margt" +
            std::to_string(P.MarginTop) + "\\margb" + std::to_string(P.MarginBottom) + "\\headery" +
            std::to_string(P.HeaderY) + "\\footery" + std::to_string(P.FooterY) + (P.Landscape ? "\\landscape" : "") +
            "\n";
    if (!FDoc.Header->isEmpty()) {
        FOut += "{\\header\n";
        Part(*FDoc.Header);
        FOut += "}\n";
    }
    if (!FDoc.Footer->isEmpty()) {
        FOut += "{\\footer\n";
        Part(*FDoc.Footer);
        FOut += "}\n";
    }
    Part(*FDoc.Body);
    FOut += "}\n";
    return std::move(FOut);
}

void TWriter::CollectTables(const QTextDocument& Part)
{
    for (QTextBlock B = Part.begin(); B.isValid(); B = B.next())
        for (auto It = B.begin(); !It.atEnd(); ++It) {
            const QTextCharFormat F = It.fragment().charFormat();
            const QString Family = FamilyOf(F);
            if (!IsSymbolFamily(Family) && FontIndex(Family) < 0)
                FFonts.push_back(Family);
            for (const QBrush& Brush : {F.foreground(), F.background()})
                if (Brush.style() != Qt::NoBrush && ColorIndex(Brush.color()) == 0)
                    FColors.push_back(Brush.color());
        }
}

int TWriter::FontIndex(const QString& Family) const
{
    for (size_t i = 0; i < FFonts.size(); ++i)
        if (FFonts[i] == Family)
            return static_cast<int>(i);
    return -1;
}

int TWriter::ColorIndex(const QColor& C) const
{
    for (size_t i = 0; i < FColors.size(); ++i)
        if (FColors[i].rgb() == C.rgb())
            return static_cast<int>(i) + 1;
    return 0;
}

void TWriter::Part(const QTextDocument& Part)
{
    for (QTextBlock B = Part.begin(); B.isValid(); B = B.next()) {
        Block(B);
        FOut += "\\par\n";
    }
}

void TWriter::Block(const QTextBlock& B)
{
    const QTextBlockFormat F = B.blockFormat();
    FOut += "\\pard\\plain";
    const Qt::Alignment A = F.alignment() & Qt::AlignHorizontal_Mask;
    FOut += A & Qt::AlignHCenter ? "\\qc" : A & Qt::AlignRight ? "\\qr" : A & Qt::AlignJustify ? "\\qj" : "\\ql";
    const double FirstLine = F.textIndent() - (B.textList() ? ListHang : 0);
    const std::pair<const char*, double> Spacing[] = {{"\\li", F.leftMargin()}, {"\\ri", F.rightMargin()},
                                                      {"\\fi", FirstLine},       {"\\sb", F.topMargin()},
                                                      {"\\sa", F.bottomMargin()}};
    for (const auto& [Word, Points] : Spacing)
        if (Twips(Points) != 0)
            FOut += Word + std::to_string(Twips(Points));
    switch (F.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        if (std::lround(F.lineHeight()) != 100)
            FOut += "\\sl" + std::to_string(std::lround(F.lineHeight() * 240 / 100)) + "\\slmult1";
        break;
    case QTextBlockFormat::MinimumHeight:
        FOut += "\\sl" + std::to_string(Twips(F.lineHeight())) + "\\slmult0";
        break;
    case QTextBlockFormat::FixedHeight:
        FOut += "\\sl-" + std::to_string(Twips(F.lineHeight())) + "\\slmult0";
        break;
    default:
        break;
    }
    if (F.nonBreakableLines())
        FOut += "\\keep";
    if (F.boolProperty(RpKeepWithNext))
        FOut += "\\keepn";
    if (F.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)
        FOut += "\\pagebb";
    for (const QTextOption::Tab& Tab : F.tabPositions()) {
        FOut += Tab.type == QTextOption::RightTab    ? "\\tqr"
                : Tab.type == QTextOption::CenterTab ? "\\tqc"
                : Tab.type == QTextOption::DelimiterTab ? "\\tqdec" : "";
        FOut += "\\tx" + std::to_string(Twips(Tab.position));
    }
    FOut += ' ';
    ListMarker(B);
    FTextFamily = DefaultFontFamily;
    for (auto It = B.begin(); !It.atEnd(); ++It)
        if (const QString Family = FamilyOf(It.fragment().charFormat()); !IsSymbolFamily(Family)) {
            FTextFamily = Family;
            break;
        }
    int OpenField = 0;
    QString OpenInstruction;
    for (auto It = B.begin(); !It.atEnd(); ++It) {
        const QTextFragment Fragment = It.fragment();
        const QTextCharFormat C = Fragment.charFormat();
        const int Id = C.intProperty(RpFieldId);
        const QString Instruction = C.stringProperty(RpFieldInstruction);
        const bool Same = Id == OpenField && Instruction == OpenInstruction;
        if (!Same || C.isImageFormat())
            FlushRun();
        if (!Same && OpenField != 0)
            FOut += "}}";
        OpenInstruction = Instruction;
        if (!Same && Id != 0) {
            FOut += "{\\field{\\*\\fldinst ";
            Text(C.stringProperty(RpFieldInstruction));
            FOut += "}{\\fldrslt ";
        }
        OpenField = Id;
        if (C.isImageFormat() && C.hasProperty(RpPictureKind)) {
            for (int i = 0; i < Fragment.length(); ++i)
                Picture(C.toImageFormat());
        } else
            Run(C, Fragment.text());
    }
    FlushRun();
    if (OpenField != 0)
        FOut += "}}";
}

// A list item as word processors write one: the marker as plain text for
// readers without lists, and the list's kind for those with them.
void TWriter::ListMarker(const QTextBlock& B)
{
    const QTextList* List = B.textList();
    if (!List)
        return;
    if (IsBulletList(List->format().style())) {
        FOut += "{\\pntext\\u8226\\'95\\tab}{\\*\\pn\\pnlvlblt\\pnindent360{\\pntxtb\\u8226\\'95}}";
        return;
    }
    FOut += "{\\pntext " + std::to_string(List->itemNumber(B) + 1) + ".\\tab}";
    FOut += "{\\*\\pn\\pnlvlbody\\pndec\\pnstart1\\pnindent360{\\pntxta .}}";
}

// Symbol-font characters go out as the Unicode characters they show, in
// the text's font: other programs have no Symbol encoding and show its
// codes as blanks or Latin letters.
QString SymbolAsUnicode(const QString& Text)
{
    QString Out;
    Out.reserve(Text.size());
    for (const QChar Q : Text) {
        char16_t C = Q.unicode();
        // the reader gives the bytes of a symbol font as U+F020..U+F0FF
        if (C >= 0xF020 && C <= 0xF0FF)
            C &= 0xFF;
        Out += QChar(C < 0x100 ? SymbolToUnicode(C) : C);
    }
    return Out;
}

void TWriter::Run(const QTextCharFormat& F, const QString& Text)
{
    const bool Symbol = IsSymbolFamily(FamilyOf(F));
    QTextCharFormat Written = F;
    if (Symbol)
        Written.setFontFamilies({FTextFamily});
    else
        FTextFamily = FamilyOf(F);
    std::string Properties;
    std::swap(FOut, Properties);
    CharProperties(Written);
    std::swap(FOut, Properties);
    if (Properties != FRunProperties)
        FlushRun();
    FRunProperties = std::move(Properties);
    std::swap(FOut, FRunText);
    this->Text(Symbol ? SymbolAsUnicode(Text) : Text);
    std::swap(FOut, FRunText);
}

void TWriter::FlushRun()
{
    if (!FRunText.empty())
        FOut += '{' + FRunProperties + ' ' + FRunText + '}';
    FRunProperties.clear();
    FRunText.clear();
}

void TWriter::CharProperties(const QTextCharFormat& F)
{
    FOut += "\\f" + std::to_string(FontIndex(FamilyOf(F)));
    const double Size = F.fontPointSize() > 0 ? F.fontPointSize() : DefaultFontSize;
    FOut += "\\fs" + std::to_string(std::lround(Size * 2));
    if (F.fontWeight() >= QFont::DemiBold)
        FOut += "\\b";
    if (F.fontItalic())
        FOut += "\\i";
    if (F.fontUnderline())
        FOut += "\\ul";
    if (F.fontStrikeOut())
        FOut += "\\strike";
    if (F.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        FOut += "\\super";
    else if (F.verticalAlignment() == QTextCharFormat::AlignSubScript)
        FOut += "\\sub";
    if (F.foreground().style() != Qt::NoBrush)
        FOut += "\\cf" + std::to_string(ColorIndex(F.foreground().color()));
    if (F.background().style() != Qt::NoBrush)
        FOut += "\\highlight" + std::to_string(ColorIndex(F.background().color()));
}

void TWriter::Text(const QString& Text)
{
    for (const QChar Q : Text) {
        const char16_t C = Q.unicode();
        if (C == '\\' || C == '{' || C == '}') {
            FOut += '\\';
            FOut += static_cast<char>(C);
        } else if (C == '\t')
            FOut += "\\tab ";
        else if (C == QChar::LineSeparator || C == QChar::ParagraphSeparator)
            FOut += "\\line ";
        else if (C == 0x00A0)
            FOut += "\\~";
        else if (C == 0x00AD)
            FOut += "\\-";
        else if (C == 0x2011)
            FOut += "\\_";
        else if (C < 0x20 || C == QChar::ObjectReplacementCharacter)
            continue;
        else if (C < 0x80)
            FOut += static_cast<char>(C);
        else
            FOut += "\\u" + std::to_string(static_cast<int16_t>(C)) + "?";
    }
}

void TWriter::Picture(const QTextImageFormat& F)
{
    const TKvPicture P = PictureOf(F);
    if (P.FallbackKind.isEmpty()) {
        PictureData(P.Kind, P.Data, P);
        return;
    }
    FOut += "{\\*\\shppict";
    PictureData(P.Kind, P.Data, P);
    FOut += "}{\\nonshppict";
    PictureData(P.FallbackKind, P.FallbackData, P);
    FOut += '}';
}

void TWriter::PictureData(const QString& Kind, const QByteArray& Data, const TKvPicture& P)
{
    static const char Hex[] = "0123456789abcdef";
    FOut += "{\\pict";
    FOut += Kind == "png" ? "\\pngblip" : Kind == "jpeg" ? "\\jpegblip" : Kind == "emf" ? "\\emfblip" : "\\wmetafile8";
    FOut += "\\picw" + std::to_string(P.Width) + "\\pich" + std::to_string(P.Height) + "\\picwgoal" +
            std::to_string(P.GoalWidth) + "\\pichgoal" + std::to_string(P.GoalHeight) + "\n";
    FOut.reserve(FOut.size() + static_cast<size_t>(Data.size()) * 2 + static_cast<size_t>(Data.size()) / 64 + 2);
    for (qsizetype i = 0; i < Data.size(); ++i) {
        const auto B = static_cast<uint8_t>(Data[i]);
        FOut += Hex[B >> 4];
        FOut += Hex[B & 15];
        if (i % 64 == 63)
            FOut += '\n';
    }
    FOut += '}';
}

} // namespace

std::string WriteRtf(const TKvRtfDocument& Document) { return TWriter(Document).Run(); }

void WriteRtfFile(const TKvRtfDocument& Document, const QString& FileName)
{
    const std::string Text = WriteRtf(Document);
    QSaveFile File(FileName);
    if (!File.open(QIODevice::WriteOnly) ||
        File.write(Text.data(), static_cast<qint64>(Text.size())) != static_cast<qint64>(Text.size()) ||
        !File.commit())
        throw EFileError("Cannot write the RTF file " + FileName.toStdString() + ": " +
                         File.errorString().toStdString());
}

} // namespace kv
