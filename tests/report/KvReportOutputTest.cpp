// What leaves the program: pages with header and footer as PDF, the
// headless report command, and our RTF read by a second program.

#include "report/KvReportPaginator.h"
#include "report/KvRtfReader.h"
#include "report/KvRtfWriter.h"

#include "workspace/KvReportCommand.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>

using namespace kv;

namespace {

QString Fixture(const char* Name) { return QString(KURVEX_TEST_DATA) + "/report/" + Name; }

// Output of a program, or none when it is not installed.
std::optional<QString> RunProgram(const QString& Program, const QStringList& Arguments, int TimeoutMs = 30000)
{
    if (QStandardPaths::findExecutable(Program).isEmpty())
        return std::nullopt;
    QProcess P;
    P.start(Program, Arguments);
    P.waitForFinished(TimeoutMs);
    return QString::fromUtf8(P.readAllStandardOutput());
}

QString PageText(const QString& Pdf, int Page)
{
    return RunProgram("pdftotext", {"-f", QString::number(Page), "-l", QString::number(Page), "-layout", Pdf, "-"})
        .value_or(QString());
}

int PdfPages(const QString& Pdf)
{
    const QString Info = RunProgram("pdfinfo", {Pdf}).value_or(QString());
    const qsizetype At = Info.indexOf("Pages:");
    return At < 0 ? -1 : Info.mid(At + 6).trimmed().section('\n', 0, 0).toInt();
}

QTextCharFormat Arial(double Size)
{
    QTextCharFormat F;
    F.setFontFamilies({"Arial"});
    F.setFontPointSize(Size);
    return F;
}

} // namespace

TEST(KvReportPaginator, HeaderFooterAndPageFieldsOnEveryPage)
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        GTEST_SKIP() << "poppler-utils not installed";
    TKvRtfDocument D;
    QTextCursor H(D.Header.get());
    H.insertText("Head ", Arial(10));
    H.insertText("1", AsField(Arial(10), NewFieldId(), "PAGE"));
    H.insertText("/", Arial(10));
    H.insertText("1", AsField(Arial(10), NewFieldId(), "NUMPAGES"));
    QTextCursor F(D.Footer.get());
    F.insertText("Foot", Arial(10));
    QTextCursor B(D.Body.get());
    for (int k = 1; k <= 100; ++k) {
        B.insertText("Line " + QString::number(k), Arial(12));
        B.insertBlock();
    }
    QTextBlockFormat Break;
    Break.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    B.setBlockFormat(Break);
    QTextCharFormat Symbol = Arial(12);
    Symbol.setFontFamilies({"Symbol"});
    B.insertText("Greek ", Arial(12));
    B.insertText("ab", Symbol);

    const TKvReportPaginator Pages(D);
    ASSERT_GE(Pages.PageCount(), 3);
    EXPECT_GT(Pages.BodyRect().top(), D.Page.HeaderY / 20.0);
    QTemporaryDir Dir;
    const QString Pdf = Dir.filePath("pages.pdf");
    WriteReportPdf(D, Pdf);
    const int N = Pages.PageCount();
    EXPECT_EQ(PdfPages(Pdf), N);
    for (int Page = 1; Page <= N; ++Page) {
        const QString Text = PageText(Pdf, Page);
        EXPECT_TRUE(Text.contains(QString("Head %1/%2").arg(Page).arg(N))) << Page << Text.toStdString();
        EXPECT_TRUE(Text.contains("Foot")) << Page;
    }
    EXPECT_TRUE(PageText(Pdf, 1).contains("Line 1\n"));
    // the paragraph that begins a page, Symbol-font letters as Greek
    EXPECT_TRUE(PageText(Pdf, N).contains(QString::fromUtf8("Greek \u03b1\u03b2"))) << PageText(Pdf, N).toStdString();
    EXPECT_FALSE(PageText(Pdf, N).contains("Line 100"));
}

// A picture as wide as the text area fills it on the page: an image's
// size is in pixels whatever the resolution of the device laying it out.
TEST(KvReportPaginator, PictureKeepsItsSizeOnThePage)
{
    TKvRtfDocument D;
    QImage Red(40, 20, QImage::Format_RGB32);
    Red.fill(Qt::red);
    QByteArray Png;
    QBuffer Buffer(&Png);
    Buffer.open(QIODevice::WriteOnly);
    Red.save(&Buffer, "PNG");
    const int Goal = D.UsableWidth();
    QTextCursor(D.Body.get()).insertImage(MakePictureFormat(*D.Body, {"png", Png, {}, {}, 40, 20, Goal, Goal / 2}));
    const TKvReportPaginator Pages(D);
    QImage Page(Pages.PageSize().toSize(), QImage::Format_RGB32);
    Page.fill(Qt::white);
    {
        QPainter Painter(&Page);
        Pages.PaintPage(Painter, 0);
    }
    int Left = Page.width(), Right = -1, Top = Page.height(), Bottom = -1;
    for (int y = 0; y < Page.height(); ++y)
        for (int x = 0; x < Page.width(); ++x)
            if (Page.pixelColor(x, y) == Qt::red) {
                Left = std::min(Left, x), Right = std::max(Right, x);
                Top = std::min(Top, y), Bottom = std::max(Bottom, y);
            }
    EXPECT_NEAR(Right - Left + 1, Goal / 20.0, 2);
    EXPECT_NEAR(Bottom - Top + 1, Goal / 40.0, 2);
    EXPECT_NEAR(Left, Pages.BodyRect().left(), 2);
}

TEST(KvReportCommand, MergesTheDefaultTemplateForAGraph)
{
    QTemporaryDir Dir;
    const std::string Rtf = Dir.filePath("report.rtf").toStdString();
    const std::string Data = Fixture("regressions.plt").toStdString();
    const TKvExportResult R = RunReport({"--report", Rtf, Data});
    ASSERT_EQ(R.Status, 0) << R.Message;
    const TKvRtfDocument D = ReadRtfFile(QString::fromStdString(Rtf));
    const QString Text = D.Body->toPlainText();
    for (const char* Expected : {"Regression lines and a cubic", "Data series: Series(1)", "Linear regression",
                                 "Slope\t0.8033768", "Polynomial regression", "d\t0.0521797"})
        EXPECT_TRUE(Text.contains(Expected)) << Expected << "\n" << Text.toStdString();
    EXPECT_FALSE(Text.contains("@NotFound@"));
    EXPECT_FALSE(Text.contains(QChar(0xab))); // no field left unmerged
    EXPECT_EQ(D.Header->toPlainText(), "Regression lines and a cubic");
    int Pictures = 0;
    for (auto It = D.Body->begin().next().begin(); !It.atEnd(); ++It)
        if (It.fragment().charFormat().isImageFormat()) {
            const TKvPicture P = PictureOf(It.fragment().charFormat().toImageFormat());
            EXPECT_EQ(P.Kind, "emf");
            EXPECT_EQ(P.FallbackKind, "png");
            EXPECT_EQ(P.GoalWidth, 11906 - 2 * 1134);
            ++Pictures;
        }
    EXPECT_EQ(Pictures, 1);

    const std::string Pdf = Dir.filePath("report.pdf").toStdString();
    ASSERT_EQ(RunReport({"--report", Pdf, "--graph", "1", Data}).Status, 0);
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        return;
    const QString First = PageText(QString::fromStdString(Pdf), 1);
    EXPECT_TRUE(First.contains("Slope")) << First.toStdString();
    EXPECT_TRUE(First.contains(QString("Page 1 of %1").arg(PdfPages(QString::fromStdString(Pdf)))));
}

TEST(KvReportCommand, BadArgumentsAndFilesAreErrors)
{
    QTemporaryDir Dir;
    const std::string Data = Fixture("regressions.plt").toStdString();
    const std::string Out = Dir.filePath("r.rtf").toStdString();
    const std::string Broken = Fixture("broken.rtf").toStdString();
    const struct {
        std::vector<std::string> Args;
        int Status;
        const char* Message;
    } Cases[] = {
        {{"--report", Out}, 2, "Usage"},
        {{"--report", Dir.filePath("r.doc").toStdString(), Data}, 2, ".rtf or .pdf"},
        {{"--report", Out, "--graph", "0", Data}, 2, "Invalid graph number"},
        {{"--report", Out, "--graph", "9", Data}, 1, ""},
        {{"--report", Out, Dir.filePath("missing.plt").toStdString()}, 1, ""},
        {{"--report", Out, "--template", Broken, Data}, 1, "truncated"},
        {{"--report", Out, "--template", Dir.filePath("none.rtf").toStdString(), Data}, 1, "Cannot open"},
        {{"--report", Dir.filePath("no/such/folder/r.rtf").toStdString(), Data}, 1, "Cannot write"},
    };
    for (const auto& C : Cases) {
        const TKvExportResult R = RunReport(C.Args);
        EXPECT_EQ(R.Status, C.Status) << R.Message;
        EXPECT_NE(R.Message.find(C.Message), std::string::npos) << R.Message;
    }
}

// A second reader: the word processor converts our report to PDF with the
// values, header and footer fields and the graph picture in place.
TEST(KvReportCommand, ReportOpensInAWordProcessor)
{
    if (QStandardPaths::findExecutable("soffice").isEmpty())
        GTEST_SKIP() << "LibreOffice (soffice) not installed";
    QTemporaryDir Dir;
    const QString Rtf = Dir.filePath("report.rtf");
    ASSERT_EQ(RunReport({"--report", Rtf.toStdString(), Fixture("regressions.plt").toStdString()}).Status, 0);
    RunProgram("soffice", {"-env:UserInstallation=file://" + Dir.filePath("profile"), "--headless", "--convert-to", "pdf",
                    "--outdir", Dir.path(), Rtf},
        120000);
    const QString Pdf = Dir.filePath("report.pdf");
    ASSERT_GE(PdfPages(Pdf), 1) << "soffice wrote no PDF";
    const QString Text = RunProgram("pdftotext", {"-layout", Pdf, "-"}).value_or(QString());
    for (const char* Expected : {"Regression lines and a cubic", "Data series: Series(1)", "0.8033768", "0.0521797",
                                 "Page 1 of"})
        EXPECT_TRUE(Text.contains(Expected)) << Expected << "\n" << Text.toStdString();
    // the graph picture arrives as vector drawing: its axis captions are text
    const QString Page1 = PageText(Pdf, 1);
    EXPECT_TRUE(Page1.contains("Deflection") && Page1.contains("Load")) << Page1.toStdString();
}
