#pragma once
// The help window: the program's own help pages, compiled in as resources,
// with a contents list, a topic search over the text of all pages, and
// named topics that the dialogs' help buttons open.

#include <QString>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <vector>

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;

namespace kv {

struct TKvHelpTopic {
    QString Name;  // what callers ask for, e.g. "CalculateColumns"
    QString Title; // what the contents list shows
    QString Page;  // resource path of the page
};

class TKvHelpForm : public QWidget {
    Q_OBJECT

public:
    explicit TKvHelpForm(QWidget* Parent = nullptr);
    ~TKvHelpForm() override;

    static const std::vector<TKvHelpTopic>& Topics();

    // Each shows and raises the window.
    void ShowContents();
    void ShowSearch();
    // Case-insensitive; EKvError for a topic without a page.
    void ShowTopic(const QString& Topic);

    // The topic names of the pages containing every word of Query
    // (case-insensitive): pages with more of them in the title first, then
    // the page with the most hits.
    QStringList Search(const QString& Query) const;
    QString CurrentTopic() const;

    QTextBrowser& Browser() const { return *FBrowser; }
    QListWidget& ContentsList() const { return *FContents; }
    QLineEdit& SearchField() const { return *FSearchField; }
    QListWidget& SearchResults() const { return *FResults; }
    QTabWidget& Tabs() const { return *FTabs; }

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    QWidget* FOwner = nullptr; // the parent given at creation
    QWidget* FModal = nullptr; // the modal dialog the window follows for now
    std::unique_ptr<QTabWidget> FTabs;
    std::unique_ptr<QListWidget> FContents;
    std::unique_ptr<QWidget> FSearchPage;
    std::unique_ptr<QLineEdit> FSearchField;
    std::unique_ptr<QListWidget> FResults;
    std::unique_ptr<QTextBrowser> FBrowser;
    std::vector<QString> FPageTexts; // plain text of each topic's page, for the search

    void OpenPage(const TKvHelpTopic& Topic);
    void RunSearch();
    void HighlightQuery();
    void ShowWindow();
    void Reparent(QWidget* Parent);
};

} // namespace kv
