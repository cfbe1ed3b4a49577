// The paragraph and page commands of the report window: each change made
// through the format bar or a dialog is kept when the document is written
// as RTF and read back.

#include "ui/report/ReportFormatBar.h"
#include "ui/report/ReportPageDialog.h"
#include "ui/report/ReportParagraphDialog.h"

#include "report/KvRtfReader.h"
#include "report/KvRtfWriter.h"

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextList>

#include <gtest/gtest.h>

#include <vector>

using namespace kv;

namespace {

// Three paragraphs in an editor with the format bar on it.
class ReportFormat : public ::testing::Test {
protected:
    TKvRtfDocument Doc;
    QTextEdit Editor;
    TReportFormatBar Bar;

    void SetUp() override
    {
        Editor.setDocument(Doc.Body.get());
        QTextCursor(Doc.Body.get()).insertText("One\nTwo\nThree");
        Bar.SetEditor(&Editor);
    }
    void TearDown() override { Bar.SetEditor(nullptr); }
    // Selects from paragraph First to paragraph Last (a caret when equal).
    void Select(int First, int Last)
    {
        QTextCursor C(Doc.Body->findBlockByNumber(First));
        if (Last != First)
            C.setPosition(Doc.Body->findBlockByNumber(Last).position() + 1, QTextCursor::KeepAnchor);
        Editor.setTextCursor(C);
    }
    QTextBlockFormat Block(int i) const { return Doc.Body->findBlockByNumber(i).blockFormat(); }
    static QTextBlockFormat ReadBack(const std::string& Rtf, int i)
    {
        const TKvRtfDocument Read = ReadRtf(Rtf);
        return Read.Body->findBlockByNumber(i).blockFormat();
    }
};

TEST_F(ReportFormat, IndentAndOutdentMoveTheSelectedParagraphsByHalfAnInch)
{
    const struct {
        const char* Name;
        double Start; // points
        std::vector<int> Steps;
        double Left;
    } Cases[] = {
        {"twice in", 0, {1, 1}, 72},
        {"out at the margin stays there", 0, {-1}, 0},
        {"in and out again", 36, {1, -1}, 36},
        {"in from an uneven indent to the next step", 50, {1}, 72},
        {"out from an uneven indent to the step below", 50, {-1}, 36},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        Select(0, 2);
        Bar.ChangeParagraphs([](QTextBlockFormat& F) { F.setLeftMargin(0); });
        Select(0, 1);
        Bar.ChangeParagraphs([&](QTextBlockFormat& F) { F.setLeftMargin(Case.Start); });
        for (int Step : Case.Steps)
            Bar.Action(Step > 0 ? "Indent" : "Outdent")->trigger();
        const std::string Rtf = WriteRtf(Doc);
        for (int i : {0, 1}) {
            EXPECT_DOUBLE_EQ(Block(i).leftMargin(), Case.Left);
            EXPECT_DOUBLE_EQ(ReadBack(Rtf, i).leftMargin(), Case.Left);
        }
        EXPECT_DOUBLE_EQ(ReadBack(Rtf, 2).leftMargin(), 0) << "outside the selection";
    }
}

TEST_F(ReportFormat, KeepFlagsAreSetClearedShownAndWritten)
{
    Select(1, 1);
    Bar.Action("KeepTogether")->trigger();
    Bar.Action("KeepWithNext")->trigger();
    std::string Rtf = WriteRtf(Doc);
    EXPECT_NE(Rtf.find("\\keep\\keepn"), std::string::npos);
    for (int i : {0, 1, 2}) {
        const QTextBlockFormat F = ReadBack(Rtf, i);
        EXPECT_EQ(F.nonBreakableLines(), i == 1) << i;
        EXPECT_EQ(F.boolProperty(RpKeepWithNext), i == 1) << i;
    }
    // the check marks follow the paragraph at the caret
    Select(0, 0);
    EXPECT_FALSE(Bar.Action("KeepTogether")->isChecked());
    EXPECT_FALSE(Bar.Action("KeepWithNext")->isChecked());
    Select(1, 1);
    EXPECT_TRUE(Bar.Action("KeepTogether")->isChecked());
    EXPECT_TRUE(Bar.Action("KeepWithNext")->isChecked());

    Bar.Action("KeepWithNext")->trigger();
    Rtf = WriteRtf(Doc);
    EXPECT_EQ(Rtf.find("\\keepn"), std::string::npos);
    EXPECT_TRUE(ReadBack(Rtf, 1).nonBreakableLines());
    EXPECT_FALSE(ReadBack(Rtf, 1).boolProperty(RpKeepWithNext));
}

// Bullets and numbering make the selected paragraphs one list, room made
// for the marker; switched off they leave their list. Written and read
// back, each paragraph keeps its kind of list and its indent.
TEST_F(ReportFormat, BulletsAndNumberingMakeListsThatSurviveRtf)
{
    Select(0, 1);
    Bar.Action("Bullets")->trigger();
    Select(2, 2);
    Bar.ChangeParagraphs([](QTextBlockFormat& F) { F.setLeftMargin(72); });
    Bar.Action("Numbering")->trigger();
    EXPECT_TRUE(Bar.Action("Numbering")->isChecked());
    EXPECT_FALSE(Bar.Action("Bullets")->isChecked());
    Select(1, 1);
    EXPECT_TRUE(Bar.Action("Bullets")->isChecked());

    const auto Check = [](const QTextDocument& D, const std::vector<int>& Kinds, const char* Where) {
        SCOPED_TRACE(Where);
        const double Left[] = {36, 36, 72};
        for (int i = 0; i < 3; ++i) {
            const QTextBlock B = D.findBlockByNumber(i);
            const QTextList* L = B.textList();
            ASSERT_EQ(L != nullptr, Kinds[static_cast<size_t>(i)] != 0) << i;
            if (L) {
                EXPECT_EQ(IsBulletList(L->format().style()), Kinds[static_cast<size_t>(i)] == 1) << i;
            }
            EXPECT_DOUBLE_EQ(B.blockFormat().leftMargin(), Left[i]) << i;
        }
        EXPECT_EQ(D.findBlockByNumber(0).textList(), D.findBlockByNumber(1).textList());
    };
    Check(*Doc.Body, {1, 1, 2}, "in the editor");
    Check(*ReadRtf(WriteRtf(Doc)).Body, {1, 1, 2}, "read back");

    Select(0, 0);
    Bar.Action("Bullets")->trigger();
    EXPECT_FALSE(Bar.Action("Bullets")->isChecked());
    Select(2, 2);
    Bar.Action("Bullets")->trigger(); // a numbered paragraph becomes a bulleted one
    const TKvRtfDocument Read = ReadRtf(WriteRtf(Doc));
    EXPECT_EQ(Read.Body->toPlainText(), "One\nTwo\nThree");
    EXPECT_EQ(Read.Body->findBlockByNumber(0).textList(), nullptr);
    for (int i : {1, 2})
        EXPECT_EQ(Read.Body->findBlockByNumber(i).textList()->format().style(), QTextListFormat::ListDisc);
}

// The dialog's values, given to a paragraph, written, read back and shown
// by the dialog again, are what was chosen.
TEST_F(ReportFormat, ParagraphDialogValuesSurviveRtf)
{
    const struct {
        const char* Name;
        int Alignment;
        double Left, Right, First; // cm
        double Before, After;      // pt
        int Spacing;
        double At; // pt
    } Cases[] = {
        {"plain", 0, 0, 0, 0, 0, 0, TReportParagraphDialog::SpSingle, 12},
        {"centred, one and a half lines", 1, 1.5, 2.25, 0.5, 6, 12, TReportParagraphDialog::SpOneAndHalf, 12},
        {"justified with a hanging first line, double", 3, 2, 0, -1.25, 0, 3.5,
         TReportParagraphDialog::SpDouble, 12},
        {"right, at least", 2, 0, 1, 0, 18, 0, TReportParagraphDialog::SpAtLeast, 14},
        {"exactly", 0, 0.75, 0, 0, 0, 0, TReportParagraphDialog::SpExactly, 18.5},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TReportParagraphDialog Dialog;
        Dialog.AlignmentCombo()->setCurrentIndex(Case.Alignment);
        Dialog.LeftIndent()->setValue(Case.Left);
        Dialog.RightIndent()->setValue(Case.Right);
        Dialog.FirstLineIndent()->setValue(Case.First);
        Dialog.SpaceBefore()->setValue(Case.Before);
        Dialog.SpaceAfter()->setValue(Case.After);
        Dialog.SpacingCombo()->setCurrentIndex(Case.Spacing);
        Dialog.SpacingValue()->setValue(Case.At);
        EXPECT_EQ(Dialog.SpacingValue()->isEnabled(), Case.Spacing >= TReportParagraphDialog::SpAtLeast);
        Select(1, 1);
        Bar.ApplyParagraph(Dialog.Format());

        TReportParagraphDialog Shown;
        Shown.SetFormat(ReadBack(WriteRtf(Doc), 1));
        EXPECT_EQ(Shown.AlignmentCombo()->currentIndex(), Case.Alignment);
        EXPECT_DOUBLE_EQ(Shown.LeftIndent()->value(), Case.Left);
        EXPECT_DOUBLE_EQ(Shown.RightIndent()->value(), Case.Right);
        EXPECT_DOUBLE_EQ(Shown.FirstLineIndent()->value(), Case.First);
        EXPECT_DOUBLE_EQ(Shown.SpaceBefore()->value(), Case.Before);
        EXPECT_DOUBLE_EQ(Shown.SpaceAfter()->value(), Case.After);
        EXPECT_EQ(Shown.SpacingCombo()->currentIndex(), Case.Spacing);
        if (Case.Spacing >= TReportParagraphDialog::SpAtLeast) {
            EXPECT_DOUBLE_EQ(Shown.SpacingValue()->value(), Case.At);
        }
        EXPECT_EQ(Block(0).alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft) << "outside the selection";
    }
}

// The page dialog over a document's page set-up: what it gives is written
// and read back unchanged, and shown again as chosen.
TEST(ReportPageDialog, PaperOrientationAndMarginsSurviveRtf)
{
    const struct {
        const char* Name;
        TKvPageSetup Start;
        const char* Paper;      // chosen, or null
        const char* Orientation; // chosen, or null
        double Width, Height;   // mm, when no paper is chosen and not 0
        int PaperWidth, PaperHeight;
        bool Landscape;
        const char* Shown; // the paper shown for the page read back
    } Cases[] = {
        {"Letter", {}, "Letter", nullptr, 0, 0, 12240, 15840, false, "Letter"},
        {"A4 turned", {}, nullptr, "Landscape", 0, 0, 16838, 11906, true, "A4"},
        {"A5 chosen when landscape", {.Landscape = true}, "A5", nullptr, 0, 0, 11906, 8391, true, "A5"},
        {"landscape given upright", {.Landscape = true}, nullptr, nullptr, 0, 0, 16838, 11906, true, "A4"},
        {"a size of no paper", {}, nullptr, nullptr, 100, 150, 5669, 8504, false, "Custom"},
        {"back to portrait", {.PaperWidth = 16838, .PaperHeight = 11906, .Landscape = true}, nullptr, "Portrait", 0,
         0, 11906, 16838, false, "A4"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        TReportPageDialog Dialog;
        Dialog.SetPage(Case.Start);
        if (Case.Paper)
            Dialog.PaperCombo()->setCurrentText(Case.Paper);
        if (Case.Orientation)
            Dialog.OrientationCombo()->setCurrentText(Case.Orientation);
        if (Case.Width != 0) {
            Dialog.PaperWidth()->setValue(Case.Width);
            Dialog.PaperHeight()->setValue(Case.Height);
        }
        const double Margins[] = {25, 15, 30, 12.5};
        for (int i = 0; i < 4; ++i)
            Dialog.Margin(i)->setValue(Margins[i]);
        TKvRtfDocument Doc;
        Doc.Page = Dialog.Page();
        EXPECT_EQ(Doc.Page.PaperWidth, Case.PaperWidth);
        EXPECT_EQ(Doc.Page.PaperHeight, Case.PaperHeight);
        EXPECT_EQ(Doc.Page.Landscape, Case.Landscape);
        EXPECT_EQ(Doc.Page.MarginBottom, 709);
        EXPECT_TRUE(Dialog.Problem().isEmpty());

        const TKvRtfDocument Read = ReadRtf(WriteRtf(Doc));
        EXPECT_EQ(Read.Page, Doc.Page);
        TReportPageDialog Shown;
        Shown.SetPage(Read.Page);
        EXPECT_EQ(Shown.PaperCombo()->currentText(), Case.Shown);
        EXPECT_EQ(Shown.OrientationCombo()->currentIndex(), Case.Landscape ? 1 : 0);
        for (int i = 0; i < 4; ++i)
            EXPECT_DOUBLE_EQ(Shown.Margin(i)->value(), Margins[i]);
    }
}

TEST(ReportPageDialog, MarginsThatLeaveNoTextAreaAreRefused)
{
    const struct {
        int Margin; // which margin is set
        double Mm;
        bool Refused;
    } Cases[] = {{0, 100, false}, {1, 181, true}, {2, 277, true}, {3, 250, false}};
    for (const auto& Case : Cases) {
        TReportPageDialog Dialog; // A4 with 20 mm margins
        Dialog.Margin(Case.Margin)->setValue(Case.Mm);
        EXPECT_EQ(!Dialog.Problem().isEmpty(), Case.Refused) << Case.Margin << " " << Case.Mm;
    }
}

} // namespace
