// The report window: the merge tool bar's lists and the fields it inserts,
// the field description at the caret, the merge, the file commands behind
// their dialogs and the question when a modified template is closed.

#include "GraphWindowFixture.h"

#include "ui/KvIntegerEdit.h"
#include "ui/report/GraphRichTextForm.h"
#include "ui/report/ReportMergeBar.h"

#include "foundation/KvStrings.h"
#include "report/KvRtfReader.h"
#include "report/KvRtfWriter.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTextBlock>
#include <QTextEdit>

using namespace kv;
using namespace kv::test;

namespace {

class ReportWindow : public GraphWindows {
protected:
    QMessageBox::StandardButton Answer = QMessageBox::No;
    QStringList Questions;

    // Graph 1 plots B over A; its series has two linear regressions and a
    // polynomial, and the report window reports on it.
    void OpenWithCalculations()
    {
        Open();
        for (int i = 0; i < 12; ++i) {
            Doc().Table.Data(1).SetValue(i, i + 1);
            Doc().Table.Data(2).SetValue(i, 3 + 2 * (i + 1) + (i % 2 ? 0.25 : -0.25));
        }
        Plot(1, 1, 1, 2);
        Assign->RebuildGraphWindows();
        Form(1).resize(900, 600);
        Form(1).show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form(1)));
        for (const char* Add : {"AddLinReg", "AddLinReg", "AddPolynomial"})
            Form(1).Action(Add)->trigger();
        Form(1).Graph().PrepareForPaint();
        Table->Services.Ask = [this](const QString& Text, QMessageBox::StandardButtons) {
            Questions << Text;
            return Answer;
        };
        R().GraphWindow = &Form(1);
        R().RefreshFieldLists();
    }
    TGraphRichText& R() { return TGraphRichText::Shared(*Table); }
    TReportMergeBar& Bar() { return *R().MergeBar(); }
    QStringList Items(QComboBox* Combo)
    {
        QStringList L;
        for (int i = 0; i < Combo->count(); ++i)
            L << Combo->itemText(i);
        return L;
    }
    std::string Result(const char* Section, const char* Key)
    {
        return std::string(*Form(1).DataSeries()[0]->Results.FindValue(Section, Key));
    }
    // Chooses an identifier of a section as the user does.
    void Choose(const QString& Section, const QString& Identifier, int Digits)
    {
        Bar().SectionCombo()->setCurrentText(Section);
        Bar().DigitsEdit()->SetValue(Digits);
        const int i = Bar().IdentifierCombo()->findText(Identifier);
        ASSERT_GE(i, 0) << Identifier.toStdString();
        Bar().ChooseIdentifier(i);
    }
    QString Status(int i) { return R().StatusPanel(i)->text(); }
    QTextEdit& TemplateEditor() { return *R().Editor(TGraphRichText::PgTemplate); }
    void Type(const QString& Text) { TemplateEditor().textCursor().insertText(Text); }
};

TEST_F(ReportWindow, MergeBarListsSectionsOnceAndNumberedKeysAsAFamily)
{
    OpenWithCalculations();
    const QStringList Sections = Items(Bar().SectionCombo());
    for (const char* S : {"Datapoints", "Graph", "LinearRegression", "PolynomialRegression"})
        EXPECT_EQ(Sections.count(S), 1) << S << " in " << Sections.join('|').toStdString();
    EXPECT_FALSE(Sections.join('|').contains('(')) << Sections.join('|').toStdString();
    EXPECT_EQ(Bar().SectionCombo()->currentIndex(), 0);

    Bar().SectionCombo()->setCurrentText("PolynomialRegression");
    const QStringList Keys = Items(Bar().IdentifierCombo());
    EXPECT_EQ(Keys.count("Coeff(i)"), 1);
    EXPECT_EQ(Keys.count("CoeffName(i)"), 1);
    EXPECT_FALSE(Keys.contains("Coeff(1)"));
    EXPECT_TRUE(Keys.contains("Order"));
    EXPECT_EQ(Bar().IdentifierCombo()->currentIndex(), 0);

    Bar().SectionCombo()->setCurrentText("LinearRegression");
    EXPECT_TRUE(Items(Bar().IdentifierCombo()).contains("Slope"));
    EXPECT_FALSE(Items(Bar().IdentifierCombo()).contains("Coeff(i)"));
}

// A value field at the caret: digits only for a number; captions wait for
// the merge; the description at the caret names it.
TEST_F(ReportWindow, ChosenIdentifierInsertsItsFieldAtTheCaret)
{
    OpenWithCalculations();
    const struct {
        const char *Section, *Identifier;
        int Digits;
        const char *Name, *Description;
        std::string Content;
    } Cases[] = {
        {"LinearRegression", "Slope", 4, "LinearRegression,Slope,4", "Field: LinearRegression.Slope display 4 digits",
         Result("LinearRegression", "Slope")},
        {"PolynomialRegression", "Coeff(i)", 0, "PolynomialRegression,Coeff(i),0", "Field: PolynomialRegression.Coeff(i)",
         Result("PolynomialRegression", "Coeff(1)")},
        {"PolynomialRegression", "CoeffName(i)", 6, "PolynomialRegression,CoeffName(i)",
         "Field: PolynomialRegression.CoeffName(i)", "a"},
        {"LinearRegression", "Caption", 6, "LinearRegression,Caption", "Field: LinearRegression.Caption",
         "«LinearRegression,Caption»"},
    };
    for (const auto& C : Cases) {
        R().NewDocument();
        Type("Before ");
        const int Caret = TemplateEditor().textCursor().position();
        Type(" after");
        QTextCursor Back = TemplateEditor().textCursor();
        Back.setPosition(Caret);
        TemplateEditor().setTextCursor(Back);

        Choose(C.Section, C.Identifier, C.Digits);
        const std::vector<TKvField> Fields = FindFields(*R().TemplateDocument().Body);
        ASSERT_EQ(Fields.size(), 1u) << C.Name;
        EXPECT_EQ(Fields[0].Name, C.Name);
        EXPECT_EQ(Fields[0].Start, Caret) << C.Name;
        const QString Text = R().TemplateDocument().Body->toPlainText();
        EXPECT_EQ(Text, "Before " + QString::fromStdString(C.Content) + " after") << C.Name;
        EXPECT_EQ(Status(0), "Modified");
        EXPECT_EQ(Status(2), C.Description);
        Type("x"); // typing on at the field's end stays outside it
        EXPECT_EQ(FindFields(*R().TemplateDocument().Body)[0].End, Fields[0].End) << C.Name;
    }
}

TEST_F(ReportWindow, SpecialFieldsCarryTheirMarkerAndTheCaretOutsideFieldsDescribesNothing)
{
    OpenWithCalculations();
    R().NewDocument();
    Type("Start ");
    const struct {
        const char* Caption;
        QString Content;
    } Cases[] = {{"Plot", QString(QChar(174))}, {"End of Calculation", QString(QChar(167))},
                 {"Coefficient Index", "1"}, {"Start of Series", "!"}};
    for (const auto& C : Cases)
        Bar().ChooseSpecialField(Bar().SpecialCombo()->findText(C.Caption));
    const std::vector<TKvField> Fields = FindFields(*R().TemplateDocument().Body);
    ASSERT_EQ(Fields.size(), std::size(Cases));
    const QString Text = R().TemplateDocument().Body->toPlainText();
    for (size_t i = 0; i < Fields.size(); ++i)
        EXPECT_EQ(Text.mid(Fields[i].Start, Fields[i].End - Fields[i].Start), Cases[i].Content) << Cases[i].Caption;
    EXPECT_EQ(Fields[0].Name, "Plot");
    EXPECT_EQ(Fields[2].Name, "MergeSeq");

    QTextCursor C = TemplateEditor().textCursor();
    C.setPosition(2);
    TemplateEditor().setTextCursor(C);
    EXPECT_EQ(Status(2), "");
    C.setPosition(Fields[1].End);
    TemplateEditor().setTextCursor(C);
    EXPECT_EQ(Status(2), "Field: NextCalculation");
}

// A picture wider than the text is shrunk to the text width; page fields
// and field marks go to the editor of the active page.
TEST_F(ReportWindow, InsertCommandsAndFieldMarksActOnTheActivePage)
{
    OpenWithCalculations();
    R().MergeExecute();
    R().NewDocument();
    QImage Wide(2000, 500, QImage::Format_RGB32);
    Wide.fill(Qt::blue);
    const QString File = QString::fromStdString((Dir / "wide.bmp").string());
    ASSERT_TRUE(Wide.save(File, "BMP"));
    R().InsertImageFile(File);
    R().InsertPageField("PAGE");
    R().InsertPageField("NUMPAGES");
    QTextDocument& Merged = *R().MergedDocument().Body;
    const QTextCharFormat Picture = Merged.begin().begin().fragment().charFormat();
    ASSERT_TRUE(Picture.isImageFormat());
    const TKvPicture P = PictureOf(Picture.toImageFormat());
    EXPECT_EQ(P.GoalWidth, R().MergedDocument().UsableWidth());
    EXPECT_EQ(P.GoalHeight, R().MergedDocument().UsableWidth() / 4);
    const std::vector<TKvField> Fields = FindFields(Merged);
    ASSERT_EQ(Fields.size(), 2u);
    EXPECT_EQ(Fields[0].Name, "PAGE");
    EXPECT_EQ(Fields[1].Name, "NUMPAGES");
    EXPECT_TRUE(R().TemplateDocument().Body->isEmpty());
    EXPECT_EQ(R().Editor(TGraphRichText::PgMerged)->extraSelections().size(), 2);
    R().Action("InsertPoints")->trigger();
    EXPECT_TRUE(R().Editor(TGraphRichText::PgMerged)->extraSelections().isEmpty());
    R().Action("SpaceMarkers")->trigger();
    R().MergeExecute(); // a new document shows them too
    for (auto Page : {TGraphRichText::PgTemplate, TGraphRichText::PgMerged})
        EXPECT_TRUE(R().Editor(Page)->document()->defaultTextOption().flags() & QTextOption::ShowTabsAndSpaces);
    EXPECT_FALSE(R().IsModified(TGraphRichText::PgMerged));

    R().InsertImageFile(QString::fromStdString((Dir / "none.bmp").string()));
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_TRUE(Errors[0].contains("none.bmp"));
}

TEST_F(ReportWindow, MergeShowsTheMergedTextWithTheValues)
{
    OpenWithCalculations();
    R().NewDocument();
    Type("Slope: ");
    Choose("LinearRegression", "Slope", 0);
    R().show();
    ASSERT_TRUE(Bar().isVisible());
    Bar().MergeAction()->trigger();

    EXPECT_EQ(R().ActivePage(), TGraphRichText::PgMerged);
    EXPECT_FALSE(Bar().isVisible());
    double Slope = 0;
    ASSERT_TRUE(TryTextToFloat(Result("LinearRegression", "Slope"), Slope));
    const QString Merged = R().MergedDocument().Body->toPlainText();
    EXPECT_EQ(Merged, "Slope: " + QString::fromStdString(FloatToText(Slope)));
    EXPECT_TRUE(FindFields(*R().MergedDocument().Body).empty());
    EXPECT_FALSE(R().IsModified(TGraphRichText::PgMerged));
    EXPECT_EQ(R().Editor(TGraphRichText::PgMerged)->document(), R().MergedDocument().Body.get());
    // the template is left as it was
    EXPECT_EQ(FindFields(*R().TemplateDocument().Body).size(), 1u);
    R().ShowPage(TGraphRichText::PgTemplate);
    EXPECT_TRUE(Bar().isVisible());
}

TEST_F(ReportWindow, ReportCommandOpensTheWindowOnTheMergedDefaultTemplate)
{
    OpenWithCalculations();
    QAction* Report = Form(1).Action("EditGraphPrintout");
    ASSERT_TRUE(Report->isEnabled());
    Report->trigger();
    EXPECT_TRUE(R().isVisible());
    EXPECT_EQ(R().windowTitle(), "Plot / Edit current Graph Printout");
    EXPECT_EQ(R().ActivePage(), TGraphRichText::PgMerged);
    EXPECT_FALSE(FindFields(*R().TemplateDocument().Body).empty());
    // the shipped template shows the slope with at most 10 characters
    EXPECT_TRUE(R().MergedDocument().Body->toPlainText().contains(
        QString::fromStdString(FloatToTextMaxLength(10, std::stod(Result("LinearRegression", "Slope"))))));
    EXPECT_FALSE(R().IsModified(TGraphRichText::PgTemplate));
    R().close();
}

// The template comes from the window's own file, else the settings' last
// one, else the shipped default; files that do not exist are passed over.
TEST_F(ReportWindow, ReportCommandsMergeTheWindowsTemplateOrTheLastOrTheDefault)
{
    OpenWithCalculations();
    const auto Template = [this](const char* Name, const char* Text) {
        TKvRtfDocument D;
        D.Body->setPlainText(Text);
        const std::string File = (Dir / Name).string();
        WriteRtfFile(D, QString::fromStdString(File));
        return File;
    };
    const std::string Own = Template("own.rtf", "Own template"), Last = Template("last.rtf", "Last template");
    const std::string Missing = (Dir / "missing.rtf").string();
    const struct {
        std::string Own, Last;
        const char* Starts;
    } Cases[] = {{Own, Last, "Own template"},
                 {"", Last, "Last template"},
                 {Missing, Last, "Last template"},
                 {Missing, Missing, "Regression lines"}};
    Form(1).Graph().SetCaption("Regression lines");
    for (const auto& C : Cases) {
        Form(1).Model().TemplateFile = C.Own;
        Table->MutableSettings().LastTemplateLoaded = C.Last;
        Form(1).Action("ReportClipBoard")->trigger();
        EXPECT_TRUE(R().MergedDocument().Body->toPlainText().startsWith(C.Starts))
            << C.Own << " | " << C.Last << ": " << R().MergedDocument().Body->toPlainText().left(40).toStdString();
        EXPECT_EQ(Form(1).Model().TemplateFile, C.Own);
    }
    EXPECT_TRUE(Errors.empty());
}

// The zoom scales text and pictures alike; its check marks follow the page.
TEST_F(ReportWindow, ZoomFitsTheTextWidthOrTheWholePage)
{
    OpenWithCalculations();
    R().resize(1000, 800);
    R().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&R()));
    R().MergeExecute();
    R().ShowPage(TGraphRichText::PgTemplate);
    R().NewDocument();
    QTextCharFormat Large; // large, so the font's rounding to pixels stays small
    Large.setFontPointSize(48);
    TemplateEditor().textCursor().insertText("Some text of the template", Large);
    R().SetModified(TGraphRichText::PgTemplate, false);
    QTextEdit& E = TemplateEditor();
    const auto LineHeight = [&] { return E.document()->documentLayout()->blockBoundingRect(E.document()->begin()).height(); };
    const double Printed = LineHeight();
    EXPECT_DOUBLE_EQ(R().ZoomScale(TGraphRichText::PgTemplate), 1.0);

    R().Action("ZoomWidth")->trigger();
    const double Width = R().ZoomScale(TGraphRichText::PgTemplate);
    EXPECT_GT(Width, 1.0); // the editor is wider than the A4 text width
    EXPECT_NEAR(E.lineWrapColumnOrWidth(), E.viewport()->width() - 8, 2);
    EXPECT_NEAR(LineHeight() / Printed, Width, 0.15 * Width);

    R().Action("ZoomPage")->trigger();
    const double Page = R().ZoomScale(TGraphRichText::PgTemplate);
    EXPECT_LT(Page, 1.0);
    const double SheetHeight = R().TemplateDocument().Page.PaperHeight / 1440.0 * E.logicalDpiY() * Page;
    EXPECT_LE(SheetHeight, E.viewport()->height());
    EXPECT_NEAR(LineHeight() / Printed, Page, 0.15 * Page);
    EXPECT_TRUE(R().Action("ZoomPage")->isChecked());
    EXPECT_FALSE(R().IsModified(TGraphRichText::PgTemplate));

    R().ShowPage(TGraphRichText::PgMerged);
    EXPECT_TRUE(R().Action("Zoom100")->isChecked());
    R().ShowPage(TGraphRichText::PgTemplate);
    EXPECT_TRUE(R().Action("ZoomPage")->isChecked());
    R().Action("Zoom100")->trigger();
    EXPECT_NEAR(LineHeight(), Printed, 0.5);
}

// The page set-up acts on the document of the visible page only, and its
// editor wraps the text at the width between the new margins.
TEST_F(ReportWindow, PageSetupActsOnTheActiveDocument)
{
    OpenWithCalculations();
    R().MergeExecute();
    R().SetModified(TGraphRichText::PgTemplate, false);
    R().ShowPage(TGraphRichText::PgMerged);
    QTextEdit& E = *R().Editor(TGraphRichText::PgMerged);
    const int Wide = E.lineWrapColumnOrWidth();
    const TKvPageSetup Template = R().TemplateDocument().Page;
    TKvPageSetup P = R().MergedDocument().Page;
    P.MarginLeft += 1440;
    R().SetPageSetup(P);
    EXPECT_EQ(R().MergedDocument().Page, P);
    EXPECT_NEAR(Wide - E.lineWrapColumnOrWidth(), E.logicalDpiX(), 1);
    EXPECT_TRUE(R().IsModified(TGraphRichText::PgMerged));
    EXPECT_EQ(R().TemplateDocument().Page, Template);
    EXPECT_FALSE(R().IsModified(TGraphRichText::PgTemplate));

    QStringList Format;
    for (QAction* Menu : R().menuBar()->actions())
        if (Menu->text() == "F&ormat")
            for (QAction* A : Menu->menu()->actions())
                Format << A->text();
    for (const char* Caption : {"&Indent", "&Outdent", "P&aragraph...", "Pa&ge...", "Keep Paragraph Together",
                                "Keep together with next Paragraph"})
        EXPECT_TRUE(Format.contains(Caption)) << Caption;
}

// A report command loads the template file again: unsaved edits are
// offered for saving first, and Cancel stops the command.
TEST_F(ReportWindow, ReportCommandsOfferUnsavedTemplateEditsFirst)
{
    OpenWithCalculations();
    const struct {
        QMessageBox::StandardButton Answer;
        bool Kept;
    } Cases[] = {{QMessageBox::Cancel, true}, {QMessageBox::No, false}};
    for (const auto& C : Cases) {
        R().ShowPage(TGraphRichText::PgTemplate);
        R().NewDocument();
        Type("Edited");
        Answer = C.Answer;
        Questions.clear();
        Form(1).Action("ReportClipBoard")->trigger();
        EXPECT_EQ(Questions.size(), 1);
        EXPECT_EQ(R().TemplateDocument().Body->toPlainText() == "Edited", C.Kept);
        EXPECT_EQ(R().IsModified(TGraphRichText::PgTemplate), C.Kept);
        EXPECT_EQ(R().ActivePage(), C.Kept ? TGraphRichText::PgTemplate : TGraphRichText::PgMerged);
    }
}

// Nothing was edited: the first report commands, with the window shown
// and laid out in between, ask nothing.
TEST_F(ReportWindow, ReportCommandsAskNothingBeforeAnEdit)
{
    OpenWithCalculations();
    Form(1).Action("EditGraphPrintout")->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&R()));
    R().resize(700, 500);
    QApplication::processEvents();
    R().ShowPage(TGraphRichText::PgTemplate);
    R().Action("ZoomWidth")->trigger();
    R().ShowPage(TGraphRichText::PgMerged);
    for (const char* Command : {"EditGraphPrintout", "ReportClipBoard", "EditGraphPrintout"}) {
        Form(1).Action(Command)->trigger();
        QApplication::processEvents();
    }
    EXPECT_TRUE(Questions.isEmpty()) << Questions.join(" | ").toStdString();
    EXPECT_FALSE(R().IsModified(TGraphRichText::PgTemplate));
    R().close();
}

// The report window is an ordinary window: the program takes clicks while
// it is open. A report command of another graph window asks before it
// replaces an edited report; the window's own command does not.
TEST_F(ReportWindow, ReportWindowStandsBesideTheGraphWindows)
{
    OpenWithCalculations();
    Plot(2, 1, 1, 2);
    Assign->RebuildGraphWindows();
    Form(1).Action("EditGraphPrintout")->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&R()));
    EXPECT_EQ(R().windowModality(), Qt::NonModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    const struct {
        int Window;
        QMessageBox::StandardButton Answer;
        int Questions;
        bool Kept;
    } Cases[] = {{2, QMessageBox::Cancel, 1, true}, {1, QMessageBox::Cancel, 0, false}, {2, QMessageBox::Yes, 1, false}};
    for (const auto& C : Cases) {
        R().ShowPage(TGraphRichText::PgMerged);
        QTextCursor Cursor(R().MergedDocument().Body.get());
        Cursor.insertText("Edited ");
        ASSERT_TRUE(R().IsModified(TGraphRichText::PgMerged));
        Answer = C.Answer;
        Questions.clear();
        Form(C.Window).Action("EditGraphPrintout")->trigger();
        EXPECT_EQ(Questions.size(), C.Questions) << C.Window;
        EXPECT_EQ(R().MergedDocument().Body->toPlainText().startsWith("Edited "), C.Kept) << C.Window;
        EXPECT_EQ(R().GraphWindow == &Form(1), C.Kept || C.Window == 1) << C.Window;
        if (C.Questions > 0) {
            EXPECT_TRUE(Questions.front().startsWith("The report of another graph window was edited!"));
        }
    }
    R().close();
}

// The graph of the example goes into the merged report as its picture.
TEST_F(ReportWindow, TheExampleIsReportedWithItsGraph)
{
    Open();
    ASSERT_TRUE(Table->LoadFromFile(KURVEX_TEST_DATA "/../../examples/Calculated-curves.plt"));
    Assign->RebuildGraphWindows();
    Form(1).resize(900, 600);
    Form(1).show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form(1)));
    Form(1).Action("EditGraphPrintout")->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&R()));
    int Pictures = 0;
    for (QTextBlock B = R().MergedDocument().Body->begin(); B.isValid(); B = B.next())
        for (auto It = B.begin(); !It.atEnd(); ++It)
            Pictures += It.fragment().charFormat().isImageFormat();
    EXPECT_EQ(Pictures, 1);
    EXPECT_TRUE(FindFields(*R().MergedDocument().Body).empty());
    Shot(R(), "report-window-merged");
    R().Action("ZoomPage")->trigger();
    Shot(R(), "report-window-merged-zoom-page");
    R().ShowPage(TGraphRichText::PgTemplate);
    QTextCursor C = TemplateEditor().textCursor();
    C.setPosition(FindFields(*R().TemplateDocument().Body).back().Start + 1);
    TemplateEditor().setTextCursor(C);
    EXPECT_TRUE(Status(2).startsWith("Field: ")) << Status(2).toStdString();
    Shot(R(), "report-window-template");
    R().SetPart(TGraphRichText::PgTemplate, TGraphRichText::PtFooter);
    Shot(R(), "report-window-footer");
    R().close();
}

TEST_F(ReportWindow, TemplateAndReportFilesRoundTripThroughTheirDialogs)
{
    OpenWithCalculations();
    R().ShowPage(TGraphRichText::PgTemplate);
    R().NewDocument();
    Type("Slope: ");
    Choose("LinearRegression", "Slope", 3);
    R().SetPart(TGraphRichText::PgTemplate, TGraphRichText::PtHeader);
    Type("Head");

    const QString File = QString::fromStdString((Dir / "mine").string());
    NextFile = File;
    ASSERT_TRUE(R().SaveDocument());
    EXPECT_EQ(R().Part(TGraphRichText::PgTemplate), TGraphRichText::PtBody);
    EXPECT_FALSE(R().IsModified(TGraphRichText::PgTemplate));
    EXPECT_EQ(Table->Settings().LastTemplateLoaded, (File + ".rtf").toStdString());
    EXPECT_EQ(Form(1).Model().TemplateFile, (File + ".rtf").toStdString());

    R().NewDocument();
    EXPECT_TRUE(R().TemplateDocument().Body->isEmpty());
    NextFile = File + ".rtf";
    ASSERT_TRUE(R().OpenDocument());
    EXPECT_EQ(ProposedFile, File + ".rtf");
    EXPECT_EQ(R().TemplateDocument().Body->toPlainText(), "Slope: " + QString::fromStdString(Result("LinearRegression", "Slope")));
    EXPECT_EQ(R().TemplateDocument().Header->toPlainText(), "Head");
    ASSERT_EQ(FindFields(*R().TemplateDocument().Body).size(), 1u);
    EXPECT_EQ(FindFields(*R().TemplateDocument().Body)[0].Name, "LinearRegression,Slope,3");

    // the merged text goes to the report folder, which is remembered
    R().MergeExecute();
    std::filesystem::create_directories(Dir / "reports");
    NextFile = QString::fromStdString((Dir / "reports" / "out.rtf").string());
    ASSERT_TRUE(R().SaveDocument());
    EXPECT_EQ(ReadRtfFile(NextFile).Body->toPlainText(), R().MergedDocument().Body->toPlainText());
    EXPECT_EQ(R().ProposedFile().toStdString(), (Dir / "reports").string());

    NextFile = QString::fromStdString((Dir / "missing.rtf").string());
    EXPECT_FALSE(R().OpenDocument());
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_TRUE(Errors[0].contains("missing.rtf"));
}

// Cancel keeps the window, No closes without saving, Yes saves the
// template first and keeps the window when that save is cancelled.
TEST_F(ReportWindow, ClosingAModifiedTemplateAsksWhatToDo)
{
    OpenWithCalculations();
    const struct {
        QMessageBox::StandardButton Answer;
        const char* SaveAs;
        bool Closed, Saved;
    } Cases[] = {
        {QMessageBox::Cancel, "", false, false},
        {QMessageBox::No, "", true, false},
        {QMessageBox::Yes, "", false, false},
        {QMessageBox::Yes, "saved.rtf", true, true},
    };
    int n = 0;
    for (const auto& C : Cases) {
        R().MergeExecute();
        R().show();
        R().ShowPage(TGraphRichText::PgTemplate);
        R().NewDocument();
        Type("Edited");
        R().ShowPage(TGraphRichText::PgMerged);
        Answer = C.Answer;
        const std::filesystem::path Saved = Dir / std::to_string(++n) / C.SaveAs;
        std::filesystem::create_directories(Saved.parent_path());
        NextFile = *C.SaveAs ? QString::fromStdString(Saved.string()) : QString();
        Questions.clear();
        R().close();
        ASSERT_EQ(Questions.size(), 1);
        EXPECT_EQ(Questions[0], "Template was modified!\nDo you want to save?");
        EXPECT_EQ(R().isVisible(), !C.Closed) << n;
        EXPECT_EQ(std::filesystem::exists(Saved) && !std::filesystem::is_directory(Saved), C.Saved) << n;
        EXPECT_EQ(R().IsModified(TGraphRichText::PgTemplate), !C.Saved) << n;
        if (C.Answer == QMessageBox::Yes) {
            EXPECT_EQ(R().ActivePage(), TGraphRichText::PgTemplate) << n;
        }
    }
    R().SetModified(TGraphRichText::PgTemplate, false);
    R().show();
    Questions.clear();
    R().close();
    EXPECT_TRUE(Questions.isEmpty());
    EXPECT_FALSE(R().isVisible());
}

} // namespace
