#include "HelpForm.h"

#include "foundation/KvErrors.h"

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

// The pages are linked from a static library: nothing would pull their
// resource object in without this call (it must be outside any namespace).
static void InitHelpResources() { Q_INIT_RESOURCE(ui); }

namespace kv {

namespace {

constexpr int TopicRole = Qt::UserRole + 1;

const TKvHelpTopic* FindTopic(const QString& Name)
{
    for (const TKvHelpTopic& Topic : TKvHelpForm::Topics())
        if (Topic.Name.compare(Name, Qt::CaseInsensitive) == 0)
            return &Topic;
    return nullptr;
}

QString PlainPageText(const QString& Page)
{
    QFile File(Page);
    if (!File.open(QIODevice::ReadOnly))
        throw EFileError("Help page " + Page.toStdString() + " is missing");
    QTextDocument Document;
    Document.setHtml(QString::fromUtf8(File.readAll()));
    return Document.toPlainText();
}

QString TopicOfSource(const QUrl& Source)
{
    const QString File = Source.path().section(QLatin1Char('/'), -1);
    for (const TKvHelpTopic& Topic : TKvHelpForm::Topics())
        if (Topic.Page.section(QLatin1Char('/'), -1) == File)
            return Topic.Name;
    return {};
}

QStringList QueryWords(const QString& Query) { return Query.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts); }

} // namespace

const std::vector<TKvHelpTopic>& TKvHelpForm::Topics()
{
    InitHelpResources();
    static const std::vector<TKvHelpTopic> List = {
        {QStringLiteral("Contents"), QStringLiteral("Kurvex Help"), QStringLiteral(":/help/index.html")},
        {QStringLiteral("DataTable"), QStringLiteral("The data table and editing"), QStringLiteral(":/help/datatable.html")},
        {QStringLiteral("CalculateColumns"), QStringLiteral("Formulas: calculating columns"), QStringLiteral(":/help/formulas.html")},
        {QStringLiteral("ImportExport"), QStringLiteral("Import and export of text tables"), QStringLiteral(":/help/importexport.html")},
        {QStringLiteral("GoToCell"), QStringLiteral("Go to Cell"), QStringLiteral(":/help/gotocell.html")},
        {QStringLiteral("AssignColumns"), QStringLiteral("Assigning columns to graphs"), QStringLiteral(":/help/assigncolumns.html")},
        {QStringLiteral("FileFormats"), QStringLiteral("File formats"), QStringLiteral(":/help/fileformats.html")},
        {QStringLiteral("GraphWindow"), QStringLiteral("The graph window"), QStringLiteral(":/help/graphwindow.html")},
        {QStringLiteral("OutfitParameters"), QStringLiteral("Graph, axis and legend parameters"), QStringLiteral(":/help/parameters.html")},
        {QStringLiteral("Calculations"), QStringLiteral("Calculations on a series"), QStringLiteral(":/help/calculations.html")},
        {QStringLiteral("Reports"), QStringLiteral("Reports"), QStringLiteral(":/help/reports.html")},
    };
    return List;
}

TKvHelpForm::TKvHelpForm(QWidget* Parent)
    : QWidget(Parent, Qt::Window),
      FOwner(Parent),
      FTabs(std::make_unique<QTabWidget>()),
      FContents(std::make_unique<QListWidget>()),
      FSearchPage(std::make_unique<QWidget>()),
      FSearchField(std::make_unique<QLineEdit>()),
      FResults(std::make_unique<QListWidget>()),
      FBrowser(std::make_unique<QTextBrowser>())
{
    InitHelpResources();
    setWindowTitle(QStringLiteral("Kurvex Help"));
    for (const TKvHelpTopic& Topic : Topics()) {
        FPageTexts.push_back(PlainPageText(Topic.Page));
        auto* Item = new QListWidgetItem(Topic.Title, FContents.get());
        Item->setData(TopicRole, Topic.Name);
    }

    FSearchField->setPlaceholderText(QStringLiteral("Words to look for"));
    FSearchField->setClearButtonEnabled(true);
    auto* SearchLabel = new QLabel(QStringLiteral("&Type the words to find:"), FSearchPage.get());
    SearchLabel->setBuddy(FSearchField.get());
    auto* SearchLayout = new QVBoxLayout(FSearchPage.get());
    SearchLayout->setContentsMargins(4, 4, 4, 4);
    SearchLayout->addWidget(SearchLabel);
    SearchLayout->addWidget(FSearchField.get());
    SearchLayout->addWidget(FResults.get());

    FTabs->addTab(FContents.get(), QStringLiteral("&Contents"));
    FTabs->addTab(FSearchPage.get(), QStringLiteral("&Topic Search"));

    FBrowser->setOpenExternalLinks(false);
    FBrowser->setSearchPaths({QStringLiteral(":/help")});

    auto* Splitter = new QSplitter(this);
    Splitter->addWidget(FTabs.get());
    Splitter->addWidget(FBrowser.get());
    Splitter->setStretchFactor(1, 1);
    Splitter->setSizes({230, 570});
    auto* Layout = new QHBoxLayout(this);
    Layout->setContentsMargins(4, 4, 4, 4);
    Layout->addWidget(Splitter);
    resize(800, 560);

    const auto OpenItem = [](QListWidgetItem* Item, auto&& Open) {
        if (const TKvHelpTopic* Topic = Item ? FindTopic(Item->data(TopicRole).toString()) : nullptr)
            Open(*Topic);
    };
    connect(FContents.get(), &QListWidget::currentItemChanged, this,
            [this, OpenItem](QListWidgetItem* Item) { OpenItem(Item, [this](const TKvHelpTopic& T) { OpenPage(T); }); });
    connect(FResults.get(), &QListWidget::currentItemChanged, this, [this, OpenItem](QListWidgetItem* Item) {
        OpenItem(Item, [this](const TKvHelpTopic& T) {
            OpenPage(T);
            HighlightQuery();
        });
    });
    connect(FSearchField.get(), &QLineEdit::textChanged, this, &TKvHelpForm::RunSearch);
    // A link followed inside a page moves the contents list along.
    connect(FBrowser.get(), &QTextBrowser::sourceChanged, this, [this](const QUrl& Source) {
        const QString Name = TopicOfSource(Source);
        for (int Row = 0; Row < FContents->count(); ++Row)
            if (FContents->item(Row)->data(TopicRole).toString() == Name) {
                const QSignalBlocker Blocker(FContents.get());
                FContents->setCurrentRow(Row);
            }
    });
    OpenPage(Topics().front());
}

// The children are owned by the members; they leave the splitter and the
// layouts on the way out.
TKvHelpForm::~TKvHelpForm() = default;

void TKvHelpForm::ShowContents()
{
    FTabs->setCurrentWidget(FContents.get());
    FContents->setCurrentRow(0);
    OpenPage(Topics().front());
    ShowWindow();
    FContents->setFocus();
}

void TKvHelpForm::ShowSearch()
{
    FTabs->setCurrentWidget(FSearchPage.get());
    ShowWindow();
    FSearchField->setFocus();
    FSearchField->selectAll();
}

void TKvHelpForm::ShowTopic(const QString& Topic)
{
    const TKvHelpTopic* Found = FindTopic(Topic);
    if (!Found)
        throw EKvError("No help page for the topic \"" + Topic.toStdString() + "\"");
    FTabs->setCurrentWidget(FContents.get());
    const auto Index = std::distance(Topics().data(), Found);
    {
        const QSignalBlocker Blocker(FContents.get());
        FContents->setCurrentRow(static_cast<int>(Index));
    }
    OpenPage(*Found);
    ShowWindow();
}

QStringList TKvHelpForm::Search(const QString& Query) const
{
    const QStringList Words = QueryWords(Query);
    if (Words.isEmpty())
        return {};
    // Pages with more of the words in their title come first, then by hits.
    std::vector<std::pair<std::pair<int, qsizetype>, QString>> Hits;
    for (size_t i = 0; i < Topics().size(); ++i) {
        qsizetype Count = 0;
        bool All = true;
        int InTitle = 0;
        for (const QString& Word : Words) {
            const qsizetype N = FPageTexts[i].count(Word, Qt::CaseInsensitive);
            All = All && N > 0;
            InTitle += Topics()[i].Title.contains(Word, Qt::CaseInsensitive) ? 1 : 0;
            Count += N;
        }
        if (All)
            Hits.push_back({{InTitle, Count}, Topics()[i].Name});
    }
    std::stable_sort(Hits.begin(), Hits.end(), [](const auto& A, const auto& B) { return A.first > B.first; });
    QStringList Names;
    for (const auto& Hit : Hits)
        Names << Hit.second;
    return Names;
}

QString TKvHelpForm::CurrentTopic() const { return TopicOfSource(FBrowser->source()); }

void TKvHelpForm::OpenPage(const TKvHelpTopic& Topic)
{
    FBrowser->setSource(QUrl(QStringLiteral("qrc") + Topic.Page));
}

void TKvHelpForm::RunSearch()
{
    const QSignalBlocker Blocker(FResults.get());
    FResults->clear();
    for (const QString& Name : Search(FSearchField->text())) {
        auto* Item = new QListWidgetItem(FindTopic(Name)->Title, FResults.get());
        Item->setData(TopicRole, Name);
    }
}

void TKvHelpForm::HighlightQuery()
{
    // Mark the first hit of the first word, so the reader sees why the page came up.
    const QStringList Words = QueryWords(FSearchField->text());
    if (!Words.isEmpty())
        FBrowser->find(Words.front());
}

void TKvHelpForm::ShowWindow()
{
    // A modal dialog blocks every window outside its own: help asked for
    // while one runs becomes that dialog's window, so it shows above it and
    // takes input, and goes back to its owner when the dialog closes.
    QWidget* Modal = QApplication::activeModalWidget();
    if (Modal == this || (Modal && Modal->window() == window()))
        Modal = nullptr;
    if (Modal && Modal != FModal) {
        if (FModal)
            FModal->removeEventFilter(this);
        FModal = Modal;
        FModal->installEventFilter(this);
        Reparent(FModal);
    }
    show();
    raise();
    activateWindow();
}

void TKvHelpForm::Reparent(QWidget* Parent)
{
    if (parentWidget() == Parent)
        return;
    const bool Visible = isVisible();
    const QRect Geometry = geometry();
    setParent(Parent, windowFlags()); // hides the window
    setGeometry(Geometry);
    if (Visible)
        show();
}

bool TKvHelpForm::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == FModal && (Event->type() == QEvent::Hide || Event->type() == QEvent::DeferredDelete)) {
        // Back to the owner before the dialog may take the window with it.
        FModal->removeEventFilter(this);
        FModal = nullptr;
        Reparent(FOwner);
    }
    return QWidget::eventFilter(Watched, Event);
}

} // namespace kv
