// The preview window: modes, paging with its limits, and the status bar.

#include "support/KvGuiTestEnvironment.h"

#include "ui/report/RichPreviewForm.h"

#include "report/KvRtfReader.h"
#include "workspace/KvReportCommand.h"
#include "workspace/KvWorkspace.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QPainter>
#include <QScrollArea>
#include <QTextCursor>

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
    Form.SetMode(TRichPreviewForm::TMode::Single);
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

// The preview opens at the page's width once the window is laid out, and
// shows thin lines of a large picture as print does: eight one-pixel lines
// of a picture reduced about four times all stay visible.
TEST(TRichPreviewForm, OpensAtPageWidthAndKeepsThinLines)
{
    QImage Lines(2400, 800, QImage::Format_RGB32);
    Lines.fill(Qt::white);
    {
        QPainter P(&Lines);
        P.setPen(Qt::black);
        for (int k = 0; k < 8; ++k)
            P.drawLine(300 * k + 100 + k, 0, 300 * k + 100 + k, 799);
    }
    TKvPicture Picture;
    Picture.Kind = "png";
    QBuffer Png(&Picture.Data);
    Png.open(QIODevice::WriteOnly);
    Lines.save(&Png, "PNG");
    Picture.Width = 2400;
    Picture.Height = 800;
    Picture.GoalWidth = 8640; // six inches
    Picture.GoalHeight = 2880;
    TKvRtfDocument Report;
    QTextCursor(Report.Body.get()).insertImage(MakePictureFormat(*Report.Body, Picture));

    TRichPreviewForm Form;
    Form.SetReport(Report);
    Form.resize(900, 800);
    Form.show();
    QApplication::processEvents();
    EXPECT_EQ(Form.Mode(), TRichPreviewForm::TMode::PageWidth);
    QWidget* Viewport = Form.findChild<QScrollArea*>()->viewport();
    EXPECT_GT(Form.Zoom(), 100); // not a tiny page: the width of a 900-pixel window
    const QImage Shown = Viewport->grab().toImage();
    int MostLines = 0;
    for (int y = 0; y < Shown.height(); ++y) {
        int Count = 0;
        bool InLine = false;
        for (int x = 0; x < Shown.width(); ++x) {
            const QColor C = Shown.pixelColor(x, y);
            // ink on the white sheet, not the grey around it
            const bool Ink = C.red() == C.green() && C.green() == C.blue() && C.red() < 235 && C.red() > 140;
            Count += Ink && !InLine;
            InLine = Ink;
        }
        MostLines = std::max(MostLines, Count);
    }
    EXPECT_EQ(MostLines, 8);
    if (const QByteArray Dir = qgetenv("KURVEX_SCREENSHOT_DIR"); !Dir.isEmpty())
        Form.grab().save(QString::fromLocal8Bit(Dir) + "/preview-thin-lines.png");
}
