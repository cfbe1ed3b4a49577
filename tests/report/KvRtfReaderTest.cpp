// The RTF reader and writer: what a word processor's file holds arrives in
// the document, malformed files are clear errors, and writing is stable.

#include "report/KvRtfReader.h"
#include "report/KvRtfWriter.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextList>

#include <string>

using namespace kv;

namespace {

QString Fixture(const char* Name) { return QString(KURVEX_TEST_DATA) + "/report/" + Name; }

QTextCharFormat FormatOf(const QTextDocument& D, const QString& Text)
{
    const int At = static_cast<int>(D.toPlainText().indexOf(Text));
    EXPECT_GE(At, 0) << Text.toStdString();
    QTextCursor C(const_cast<QTextDocument*>(&D));
    C.setPosition(At + 1);
    return C.charFormat();
}

QTextBlock BlockOf(const QTextDocument& D, const QString& Text)
{
    for (QTextBlock B = D.begin(); B.isValid(); B = B.next())
        if (B.text().contains(Text))
            return B;
    ADD_FAILURE() << "no paragraph with " << Text.toStdString();
    return {};
}

QString Family(const QTextCharFormat& F) { return F.fontFamilies().toStringList().value(0); }

} // namespace

TEST(KvRtfReader, FeaturesOfAWordProcessorFile)
{
    const TKvRtfDocument D = ReadRtfFile(Fixture("reader-features.rtf"));
    const QTextDocument& B = *D.Body;
    const QString Text = B.toPlainText();
    for (const char* Hidden : {"must not appear", "Secret", "Normal", "heading", "Writer"})
        EXPECT_FALSE(Text.contains(Hidden) || D.Header->toPlainText().contains(Hidden)) << Hidden;

    EXPECT_EQ(D.Page, (TKvPageSetup{16838, 11906, 1440, 1080, 720, 900, 360, 400, true}));
    EXPECT_EQ(D.Header->toPlainText(), "Header text");
    EXPECT_EQ(D.Footer->toPlainText(), "Page 1 of 9");
    const auto PageFields = FindFields(*D.Footer);
    ASSERT_EQ(PageFields.size(), 2u);
    EXPECT_EQ(PageFields[0].Name, "PAGE");
    EXPECT_EQ(PageFields[1].Name, "NUMPAGES");

    const QTextCharFormat Title = FormatOf(B, "Title");
    EXPECT_EQ(Family(Title), "Arial");
    EXPECT_EQ(Title.fontPointSize(), 16.0);
    EXPECT_EQ(Title.fontWeight(), QFont::Bold);
    const QTextBlockFormat TitleBlock = BlockOf(B, "Title").blockFormat();
    EXPECT_EQ(TitleBlock.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    EXPECT_EQ(TitleBlock.topMargin(), 6.0);
    EXPECT_EQ(TitleBlock.bottomMargin(), 12.0);

    EXPECT_TRUE(FormatOf(B, "italic").fontItalic());
    EXPECT_TRUE(FormatOf(B, "under").fontUnderline());
    EXPECT_TRUE(FormatOf(B, "gone").fontStrikeOut());
    EXPECT_EQ(FormatOf(B, "2y").verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(FormatOf(B, "i\t").verticalAlignment(), QTextCharFormat::AlignSubScript);
    EXPECT_EQ(FormatOf(B, "red").foreground().color(), QColor(255, 0, 0));
    const QTextBlockFormat Indented = BlockOf(B, "italic").blockFormat();
    EXPECT_EQ(Indented.alignment() & Qt::AlignHorizontal_Mask, Qt::AlignJustify);
    EXPECT_DOUBLE_EQ(Indented.leftMargin(), 28.35);
    EXPECT_DOUBLE_EQ(Indented.rightMargin(), 14.2);
    EXPECT_DOUBLE_EQ(Indented.textIndent(), -14.15);
    ASSERT_EQ(Indented.tabPositions().size(), 2);
    EXPECT_EQ(Indented.tabPositions()[1].type, QTextOption::RightTab);
    EXPECT_DOUBLE_EQ(Indented.tabPositions()[1].position, 250.0);

    // code page 1252, Symbol-font codes kept as codes, \uN with its skip count
    EXPECT_TRUE(Text.contains(QString::fromUtf8("Euro \u20ac a\u00b6 \u03b1!\u03b2a end\nnext")));
    EXPECT_EQ(Family(FormatOf(B, QString::fromUtf8("a\u00b6"))), "Symbol");
    EXPECT_EQ(Family(FormatOf(B, QString::fromUtf8("a end"))), "Symbol");

    const QTextBlockFormat Fixed = BlockOf(B, "fixed").blockFormat();
    EXPECT_TRUE(Fixed.nonBreakableLines());
    EXPECT_TRUE(Fixed.boolProperty(RpKeepWithNext));
    EXPECT_EQ(Fixed.lineHeightType(), QTextBlockFormat::FixedHeight);
    EXPECT_EQ(Fixed.lineHeight(), 15.0);
    EXPECT_TRUE(Text.contains("A1\tB1\t"));
}

TEST(KvRtfReader, PicturesKeepTheirDataSizeAndFallback)
{
    const TKvRtfDocument D = ReadRtfFile(Fixture("reader-features.rtf"));
    const QTextBlock Pictures = D.Body->lastBlock();
    EXPECT_TRUE(Pictures.blockFormat().pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore);
    std::vector<TKvPicture> Found;
    for (auto It = Pictures.begin(); !It.atEnd(); ++It)
        if (It.fragment().charFormat().isImageFormat())
            for (int k = 0; k < It.fragment().length(); ++k)
                Found.push_back(PictureOf(It.fragment().charFormat().toImageFormat()));
    ASSERT_EQ(Found.size(), 2u);
    EXPECT_EQ(Found[0].Kind, "emf");
    EXPECT_EQ(Found[0].FallbackKind, "png");
    EXPECT_TRUE(Found[0].FallbackData.startsWith("\x89PNG"));
    EXPECT_EQ(Found[0].GoalWidth, 1440);
    EXPECT_EQ(Found[0].GoalHeight, 720);
    EXPECT_EQ(Found[1].Kind, "png");
    EXPECT_EQ(Found[1].GoalWidth, 30); // 4 pixels of 15 twips at 50 %
    EXPECT_EQ(Found[1].GoalHeight, 15);
}

TEST(KvRtfReader, MergeFieldsAsWordProcessorsWriteThem)
{
    const TKvRtfDocument D = ReadRtfFile(Fixture("wordprocessor-fields.rtf"));
    const auto Fields = FindFields(*D.Body);
    ASSERT_EQ(Fields.size(), 3u);
    EXPECT_EQ(Fields[0].Name, "Graph,Title"); // quoted
    EXPECT_EQ(Fields[1].Name, "LinearRegression,Slope,4"); // instruction split over runs
    EXPECT_EQ(Fields[2].Name, "Nothing,There");
    EXPECT_EQ(FieldMarker(Fields[1].Name), '<');
    EXPECT_EQ(FieldMarker("NextCalculation"), QChar(167));
    EXPECT_EQ(D.Body->toPlainText().count(QChar(0xab)), 2);
}

TEST(KvRtfReader, MalformedFilesAreClearErrors)
{
    const std::string Deep = "{\\rtf1 " + std::string(100000, '{');
    const struct {
        std::string Text;
        const char* Message;
    } Cases[] = {
        {"", "Not an RTF document"},
        {"plain text", "Not an RTF document"},
        {"{\\rtf1 abc", "truncated"},
        {"{\\rtf1 {\\b abc}", "truncated"},
        {"{\\rtf1 abc}}", "Unbalanced braces"},
        {"{\\rtf1 abc}{x}", "Unbalanced braces"},
        {"{\\rtf1 {\\pict\\pngblip\\bin2147483647 ab}}", "runs past the end"},
        {"{\\rtf1 {\\pict\\pngblip\\bin-5 ab}}", "runs past the end"},
        {Deep, "nested too deeply"},
        {"{\\rtf1 \\'4", "truncated"},
        {"{\\rtf1 \\'zz}", "Invalid hex character"},
        {"{\\rtf1 \\", "truncated after a backslash"},
        {"{\\rtf1 \\abcdefghijklmnopqrstuvwxyzabcdefghijk }", "Control word too long"},
        {"{\\rtf1 \\fs123456789012 }", "parameter too long"},
    };
    for (const auto& C : Cases) {
        try {
            ReadRtf(C.Text);
            ADD_FAILURE() << "no error for " << C.Text.substr(0, 60);
        } catch (const ERtfError& E) {
            EXPECT_NE(std::string(E.what()).find(C.Message), std::string::npos) << E.what();
        }
    }
    EXPECT_THROW(ReadRtfFile(Fixture("no-such-file.rtf")), EFileError);
}

TEST(KvRtfReader, WrittenReadAndWrittenAgainIsTheSame)
{
    for (const char* Name : {"reader-features.rtf", "wordprocessor-fields.rtf", "merge-blocks.rtf",
                             "merge-captions.rtf", "merge-blocks-saved-by-libreoffice.rtf"}) {
        const std::string First = WriteRtf(ReadRtfFile(Fixture(Name)));
        const TKvRtfDocument Again = ReadRtf(First);
        EXPECT_EQ(WriteRtf(Again), First) << Name;
        // the text survives; Symbol-font letters come back as the Unicode letters they showed
        QString Text = ReadRtfFile(Fixture(Name)).Body->toPlainText();
        Text.replace(QString::fromUtf8("a\u00b6 \u03b1!\u03b2a"), QString::fromUtf8("\u03b1\u2202 \u03b1!\u03b2\u03b1"));
        EXPECT_EQ(Again.Body->toPlainText(), Text) << Name;
    }
}

// Inputs the fuzz target found: an instruction inside a field's result, a
// header opened inside an instruction, a font name beyond code page 1252.
TEST(KvRtfReader, OddInputsStillWriteStably)
{
    for (const char* Rtf : {
             "{\\rtf1 {\\field{\\*\\fldinst MERGEFIELD A}{\\fldrslt x{\\*\\fldinst MERGEFIELD B}y}}\\par}",
             "{\\rtf1 {\\field{\\*\\fldinst MERGEFIELD A{\\header h}}{\\fldrslt x}}\\par}",
             "{\\rtf1{\\fonttbl{\\f0 \\u1488?Sym;}}\\f0 text\\par}",
             // a no-break space in a font name goes out as \~
             "{\\rtf1{\\fonttbl{\\f0 Lib\xa0" "Sans;}}\\f0 text\\par}",
             // a field name that ends in a no-break space, quoted or not
             "{\\rtf1 {\\field{\\*\\fldinst MERGEFIELD A\xa0 B}{\\fldrslt x}}"
             "{\\field{\\*\\fldinst MERGEFIELD \"C\xa0" "D\"}{\\fldrslt y}}\\par}",
             // a picture scaled down to no width at all
             "{\\rtf1 {\\pict\\pngblip\\picw4\\pich2\\picscalex0\\picscaley50 89504e470d0a1a0a}\\par}"}) {
        const std::string First = WriteRtf(ReadRtf(Rtf));
        EXPECT_EQ(WriteRtf(ReadRtf(First)), First) << Rtf;
    }
    // a damaged font table: control bytes and a tab inside a font name
    for (const char* Name : {"fuzz-font-name-control-bytes.rtf", "fuzz-second.rtf"}) {
        const std::string Damaged = WriteRtf(ReadRtfFile(Fixture(Name)));
        EXPECT_EQ(WriteRtf(ReadRtf(Damaged)), Damaged) << Name;
    }
    EXPECT_EQ(ReadRtf("{\\rtf1{\\fonttbl{\\f0 \\u1488?Sym;}}\\f0 text\\par}").Body->begin().begin().fragment().charFormat()
                  .fontFamilies().toStringList().value(0),
              QString::fromUtf8("\u05d0Sym"));
}

TEST(KvRtfWriter, WritesControlWordsReadersKnow)
{
    TKvRtfDocument D;
    QTextCursor C(D.Body.get());
    QTextCharFormat F;
    F.setFontFamilies({"Symbol"});
    F.setFontPointSize(10.5);
    C.insertText(QString::fromUtf8("a\u00b6"), F);
    F.setFontFamilies({"Arial"});
    F.setFontWeight(QFont::Bold);
    F.setVerticalAlignment(QTextCharFormat::AlignSubScript);
    F.setForeground(QColor(0, 0, 255));
    C.insertText(QString::fromUtf8("{x}\\ \u03b1\U0001D400"), F);
    const std::string Rtf = WriteRtf(D);
    // Symbol-font letters go out as the Unicode characters they show, in
    // the text's font: other programs show Symbol codes as blanks.
    for (const char* Expected : {"{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1", "{\\colortbl;\\red0\\green0\\blue255;}",
                                 "{\\f0\\fs21 \\u945?\\u8706?}",
                                 "{\\f0\\fs21\\b\\sub\\cf1 \\{x\\}\\\\ \\u945?\\u-10187?\\u-9216?}", "\\par\n}"})
        EXPECT_NE(Rtf.find(Expected), std::string::npos) << Expected << "\n" << Rtf;
    EXPECT_EQ(Rtf.find("Symbol"), std::string::npos) << Rtf;
    EXPECT_EQ(ReadRtf(Rtf).Body->toPlainText(), QString::fromUtf8("\u03b1\u2202{x}\\ \u03b1\U0001D400"));
}

// Bulleted and numbered paragraphs go out with their marker as text and
// their kind as word processors write it; neighbours of one kind are one
// list when read back, and the marker text is not read as content.
TEST(KvRtfReader, ListsRoundTripAsWordProcessorsWriteThem)
{
    TKvRtfDocument D;
    QTextCursor C(D.Body.get());
    const struct {
        const char* Text;
        int Kind; // 0 none, 1 bullets, 2 numbers; a new list when the kind changes
    } Paragraphs[] = {{"a", 1}, {"b", 1}, {"c", 0}, {"d", 2}, {"e", 2}, {"f", 2}, {"g", 1}};
    QTextList* List = nullptr;
    int ListKind = 0;
    for (const auto& P : Paragraphs) {
        if (P.Text[0] != 'a')
            C.insertBlock();
        QTextBlockFormat B;
        B.setLeftMargin(P.Kind ? 36 : 0);
        C.setBlockFormat(B);
        C.insertText(P.Text);
        if (P.Kind != 0 && P.Kind == ListKind)
            List->add(C.block());
        else if (P.Kind != 0) {
            QTextListFormat F;
            F.setStyle(P.Kind == 1 ? QTextListFormat::ListDisc : QTextListFormat::ListDecimal);
            F.setIndent(0);
            List = C.createList(F);
        }
        ListKind = P.Kind;
    }
    const std::string Rtf = WriteRtf(D);
    for (const char* Expected : {"\\li720\\fi-360 {\\pntext\\u8226\\'95\\tab}{\\*\\pn\\pnlvlblt",
                                 "{\\pntext 3.\\tab}{\\*\\pn\\pnlvlbody\\pndec"})
        EXPECT_NE(Rtf.find(Expected), std::string::npos) << Expected << "\n" << Rtf;

    const TKvRtfDocument Read = ReadRtf(Rtf);
    EXPECT_EQ(Read.Body->toPlainText(), "a\nb\nc\nd\ne\nf\ng");
    EXPECT_EQ(WriteRtf(Read), Rtf);
    const QTextList* Previous = nullptr;
    int i = 0;
    for (QTextBlock B = Read.Body->begin(); B.isValid(); B = B.next(), ++i) {
        SCOPED_TRACE(B.text().toStdString());
        const QTextList* L = B.textList();
        const int Kind = Paragraphs[i].Kind;
        ASSERT_EQ(L != nullptr, Kind != 0);
        EXPECT_DOUBLE_EQ(B.blockFormat().textIndent(), 0);
        if (!L)
            continue;
        EXPECT_EQ(L->format().style(), Kind == 1 ? QTextListFormat::ListDisc : QTextListFormat::ListDecimal);
        EXPECT_EQ(L == Previous, i > 0 && Paragraphs[i - 1].Kind == Kind);
        Previous = L;
    }
    EXPECT_EQ(BlockOf(*Read.Body, "f").textList()->itemText(BlockOf(*Read.Body, "f")), "3.");
    // an old-style numbered list of another writer, with a marker font and a hanging indent of its own
    const TKvRtfDocument Other = ReadRtf("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1 Symbol;}}"
                                         "\\pard\\fi-283\\li567{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1"
                                         "{\\pntxtb\\'b7}}one\\par\\pard plain\\par}");
    EXPECT_EQ(Other.Body->toPlainText(), "one\nplain");
    ASSERT_NE(Other.Body->begin().textList(), nullptr);
    EXPECT_EQ(Other.Body->begin().next().textList(), nullptr);
}
