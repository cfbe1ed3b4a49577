// The preview window: modes, paging with its limits, and the status bar.

#include "support/KvGuiTestEnvironment.h"

#include "ui/report/RichPreviewForm.h"

#include "report/KvRtfReader.h"
#include "workspace/KvReportCommand.h"
#include "workspace/KvWorkspace.h"

#include <QAction>
#include <QApplication>

using namespace kv;

[[maybe_unused]] static testing::Environment* const Environment =
    kv::test::RegisterGuiEnvironment<QApplication>("report_ui_tests");

TEST(TRichPreviewForm, ModesPagingAndStatus)
{
    TKvWorkspace Workspace;
    Workspace.LoadFromFile(std::string(KURVEX_TEST_DATA) + "/report/regressions.plt");
    TRichPreviewForm Form;
    Form.SetReport(MergeGraphReport(Workspace, 1, {}));
    Form.resize(900, 800);
    Form.show();
    ASSERT_EQ(Form.PageCount(), 2);
    EXPECT_EQ(Form.PageText(), "1/2");
    EXPECT_FALSE(Form.Action("PreviousPage")->isEnabled());
    Form.NextPage();
    EXPECT_EQ(Form.PageText(), "2/2");
    EXPECT_FALSE(Form.Action("NextPage")->isEnabled());
    Form.NextPage(); // no page beyond the last
    EXPECT_EQ(Form.CurrentPage(), 1);
    const int Single = Form.Zoom();
    // double pages start on an even page in the preview's counting
    Form.SetMode(TRichPreviewForm::TMode::Double);
    EXPECT_EQ(Form.CurrentPage(), 0);
    EXPECT_TRUE(Form.Action("DoublePage")->isChecked());
    EXPECT_FALSE(Form.Action("SinglePage")->isChecked());
    EXPECT_FALSE(Form.Action("NextPage")->isEnabled());
    EXPECT_LT(Form.Zoom(), Single);
    Form.SetMode(TRichPreviewForm::TMode::PageWidth);
    EXPECT_GT(Form.Zoom(), Single);
    EXPECT_EQ(Form.ZoomText(), QString::number(Form.Zoom()) + "%");
    if (const QByteArray Dir = qgetenv("KURVEX_SCREENSHOT_DIR"); !Dir.isEmpty()) {
        Form.SetMode(TRichPreviewForm::TMode::Double);
        QApplication::processEvents();
        Form.grab().save(QString::fromLocal8Bit(Dir) + "/preview-double.png");
        Form.SetMode(TRichPreviewForm::TMode::Single);
        QApplication::processEvents();
        Form.grab().save(QString::fromLocal8Bit(Dir) + "/preview-single.png");
    }
}
