#include "ui/AboutForm.h"
#include "ui/HelpForm.h"

#include "foundation/KvErrors.h"

#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace kv;

namespace {

QString PageText(const TKvHelpForm& Form) { return Form.Browser().toPlainText(); }

TEST(HelpForm, EveryTopicHasAPageWithItsTitleAndWorkingLinks)
{
    const QRegularExpression Link(QStringLiteral("href=\"([^\"#]+)"));
    for (const TKvHelpTopic& Topic : TKvHelpForm::Topics()) {
        QFile File(Topic.Page);
        ASSERT_TRUE(File.open(QIODevice::ReadOnly)) << Topic.Page.toStdString();
        const QString Html = QString::fromUtf8(File.readAll());
        EXPECT_TRUE(Html.contains(QStringLiteral("<title>") + Topic.Title + QStringLiteral("</title>")))
            << Topic.Name.toStdString();
        for (auto It = Link.globalMatch(Html); It.hasNext();) {
            const QString Target = QStringLiteral(":/help/") + It.next().captured(1);
            EXPECT_TRUE(QFile::exists(Target)) << Topic.Name.toStdString() << " links to " << Target.toStdString();
        }
    }
}

TEST(HelpForm, TopicsOfTheDialogsOpenTheirPages)
{
    TKvHelpForm Form;
    Form.ShowTopic(QStringLiteral("CalculateColumns"));
    EXPECT_EQ(Form.CurrentTopic(), QStringLiteral("CalculateColumns"));
    EXPECT_TRUE(PageText(Form).contains(QStringLiteral("Live Link to Column")));
    EXPECT_EQ(Form.ContentsList().currentItem()->text().toStdString(), "Formulas: calculating columns");
    Form.ShowTopic(QStringLiteral("assigncolumns")); // letter case does not matter
    EXPECT_EQ(Form.CurrentTopic(), QStringLiteral("AssignColumns"));
    EXPECT_TRUE(PageText(Form).contains(QStringLiteral("X-Axis Position")));
    EXPECT_TRUE(Form.isVisible());
    Form.close();
}

// The graph window, its parameters dialog, calculations and reports have
// pages; the parameters dialog's help button names its topic.
TEST(HelpForm, GraphCalculationAndReportPages)
{
    TKvHelpForm Form;
    const struct {
        const char* Topic;
        const char* Contains;
    } Cases[] = {{"GraphWindow", "Zoom Show All"},
                 {"OutfitParameters", "steps the axis draws"},
                 {"Calculations", "calculation range"},
                 {"Reports", "ordinary window"}};
    for (const auto& C : Cases) {
        EXPECT_NO_THROW(Form.ShowTopic(QString::fromLatin1(C.Topic))) << C.Topic;
        EXPECT_TRUE(PageText(Form).contains(QString::fromLatin1(C.Contains))) << C.Topic;
    }
    Form.close();
}

TEST(HelpForm, UnknownTopicIsAnError)
{
    TKvHelpForm Form;
    EXPECT_THROW(Form.ShowTopic(QStringLiteral("NoSuchTopic")), EKvError);
    EXPECT_EQ(Form.CurrentTopic(), QStringLiteral("Contents"));
}

TEST(HelpForm, ContentsListOpensPages)
{
    TKvHelpForm Form;
    Form.ShowContents();
    EXPECT_EQ(Form.Tabs().tabText(Form.Tabs().currentIndex()), QStringLiteral("&Contents"));
    EXPECT_EQ(Form.ContentsList().count(), static_cast<int>(TKvHelpForm::Topics().size()));
    EXPECT_EQ(Form.CurrentTopic(), QStringLiteral("Contents"));
    Form.ContentsList().setCurrentRow(4);
    EXPECT_EQ(Form.CurrentTopic(), QStringLiteral("GoToCell"));
    EXPECT_TRUE(PageText(Form).contains(QStringLiteral("remembers the row")));
    Form.close();
}

TEST(HelpForm, FollowingALinkMovesTheContentsList)
{
    TKvHelpForm Form;
    Form.Browser().setSource(QUrl(QStringLiteral("qrc:/help/fileformats.html")));
    EXPECT_EQ(Form.CurrentTopic(), QStringLiteral("FileFormats"));
    EXPECT_EQ(Form.ContentsList().currentRow(), 6);
}

struct TSearchCase {
    const char* Query;
    std::vector<QString> MustFind;
    std::vector<QString> MustNotFind;
};

TEST(HelpForm, SearchFindsPagesWithAllWords)
{
    TKvHelpForm Form;
    const TSearchCase Cases[] = {
        {"ColDeleted", {"CalculateColumns", "DataTable"}, {"GoToCell", "FileFormats"}},
        {"list separator", {"ImportExport", "CalculateColumns"}, {"GoToCell"}},
        {"  WEIGHT  ", {"AssignColumns"}, {"GoToCell"}},
        {"MaxColumns", {"FileFormats"}, {"GoToCell", "AssignColumns"}},
        {"xylophone", {}, {"Contents", "DataTable"}},
        {"", {}, {"Contents"}},
    };
    for (const TSearchCase& Case : Cases) {
        const QStringList Found = Form.Search(QString::fromLatin1(Case.Query));
        for (const QString& Name : Case.MustFind)
            EXPECT_TRUE(Found.contains(Name)) << Case.Query << ": " << Name.toStdString();
        for (const QString& Name : Case.MustNotFind)
            EXPECT_FALSE(Found.contains(Name)) << Case.Query << ": " << Name.toStdString();
    }
    EXPECT_EQ(Form.Search(QStringLiteral("Go to Cell row")).value(0).toStdString(), "GoToCell");
}

TEST(HelpForm, SearchPageListsAndOpensResults)
{
    TKvHelpForm Form;
    Form.ShowSearch();
    EXPECT_EQ(Form.Tabs().tabText(Form.Tabs().currentIndex()), QStringLiteral("&Topic Search"));
    QTest::keyClicks(&Form.SearchField(), QStringLiteral("outfit"));
    ASSERT_GT(Form.SearchResults().count(), 0);
    Form.SearchResults().setCurrentRow(0);
    EXPECT_EQ(Form.CurrentTopic(), Form.Search(QStringLiteral("outfit")).front());
    EXPECT_EQ(Form.Browser().textCursor().selectedText().toLower(), QStringLiteral("outfit"));
    Form.SearchField().clear();
    EXPECT_EQ(Form.SearchResults().count(), 0);
    Form.close();
}

// Counts the blocked and unblocked notices a window gets from modal dialogs.
class TBlockWatcher : public QObject {
public:
    bool Blocked = false;
    bool eventFilter(QObject*, QEvent* Event) override
    {
        if (Event->type() == QEvent::WindowBlocked)
            Blocked = true;
        else if (Event->type() == QEvent::WindowUnblocked)
            Blocked = false;
        return false;
    }
};

// Help asked for while a modal dialog runs (the formula editor's Help
// button) is shown above the dialog and takes input; afterwards it is the
// main window's again and outlives the dialog.
TEST(HelpForm, HelpFromAModalDialogIsNotBlocked)
{
    QWidget Main;
    Main.resize(400, 300);
    Main.show();
    auto Help = std::make_unique<TKvHelpForm>(&Main);
    TBlockWatcher Watcher;
    Help->installEventFilter(&Watcher);
    bool BlockedWhileModal = true;
    bool VisibleWhileModal = false;
    {
        QDialog Dialog(&Main);
        QTimer::singleShot(0, &Dialog, [&] {
            Help->ShowTopic(QStringLiteral("CalculateColumns"));
            QCoreApplication::processEvents();
            BlockedWhileModal = Watcher.Blocked;
            VisibleWhileModal = Help->isVisible();
            Dialog.accept();
        });
        Dialog.exec();
    }
    EXPECT_TRUE(VisibleWhileModal);
    EXPECT_FALSE(BlockedWhileModal);
    EXPECT_EQ(Help->parentWidget(), &Main);
    EXPECT_TRUE(Help->isVisible());
    EXPECT_EQ(Help->CurrentTopic(), QStringLiteral("CalculateColumns"));
}

TEST(AboutForm, ShowsNameVersionAndDescription)
{
    TAboutForm Form(QStringLiteral("0.3.1"));
    EXPECT_EQ(Form.windowTitle(), QStringLiteral("About Kurvex"));
    EXPECT_EQ(Form.NameLabel().text(), QStringLiteral("Kurvex"));
    EXPECT_TRUE(Form.VersionLabel().text().contains(QStringLiteral("0.3.1")));
    EXPECT_FALSE(TAboutForm::Description().isEmpty());
    const QImage Emblem = TAboutForm::Emblem(64).toImage();
    EXPECT_EQ(Emblem.size(), QSize(64, 64));
    EXPECT_NE(Emblem.pixel(32, 32), Emblem.pixel(0, 0)); // something is drawn
}

} // namespace
