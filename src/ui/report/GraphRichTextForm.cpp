#include "GraphRichTextForm.h"

#include "ReportFormatBar.h"
#include "ReportPageDialog.h"
#include "ReportMergeBar.h"

#include "ui/MainTableForm.h"
#include "ui/graphwindow/GraphCalculations.h"
#include "ui/graphwindow/GraphForm.h"

#include "report/KvDefaultTemplate.h"
#include "report/KvReportMerge.h"
#include "report/KvRtfReader.h"
#include "workspace/KvGraphReportSource.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPrinter>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace kv {

namespace {

QString Q(const std::string& S) { return QString::fromStdString(S); }

const QColor FieldBackground(255, 236, 160);

} // namespace

TGraphRichText::TGraphRichText(TMainTableForm& Table) : QMainWindow(&Table, Qt::Window), FTable(Table)
{
    setObjectName("GraphRichText");
    setWindowTitle("Plot / Edit current Graph Printout");
    resize(1000, 800);
    for (auto& P : FPages)
        P.Document = std::make_unique<TKvRtfDocument>();
    FTabs = new QTabWidget(this);
    FTabs->addTab(CreatePage(PgTemplate), "Template");
    FTabs->addTab(CreatePage(PgMerged), "Merged Text");
    setCentralWidget(FTabs);

    FMergeBar = new TReportMergeBar(this);
    FMergeBar->OnInsertField = [this](const QString& Name, const QString& Content) { InsertField(Name, Content); };
    FMergeBar->CoeffIndex = [this] { return CoeffIndex; };
    connect(FMergeBar->MergeAction(), &QAction::triggered, this, &TGraphRichText::MergeExecute);
    FFormatBar = new TReportFormatBar(this);
    CreateActions();
    CreateMenus();
    addToolBar(FMergeBar);
    addToolBarBreak();
    addToolBar(FFormatBar);

    for (size_t i = 0; i < FPanels.size(); ++i) {
        FPanels[i] = new QLabel(this);
        FPanels[i]->setMinimumWidth(i < 2 ? 80 : 300);
        statusBar()->addWidget(FPanels[i], i < 2 ? 0 : 1);
    }
    connect(FTabs, &QTabWidget::currentChanged, this, [this] { PageChanged(); });
    // Attaching the parts to their editors marks the empty documents
    // changed; a fresh window holds no edit (as after every SetDocument).
    for (TPage P : {PgTemplate, PgMerged}) {
        AttachPart(P);
        SetModified(P, false);
    }
    PageChanged();
}

TGraphRichText::~TGraphRichText()
{
    // the editors must let go of the documents before these are freed
    for (auto& P : FPages)
        P.Editor->setDocument(new QTextDocument(P.Editor));
}

TGraphRichText& TGraphRichText::Shared(TMainTableForm& Table)
{
    auto* Form = Table.findChild<TGraphRichText*>(QString(), Qt::FindDirectChildrenOnly);
    return Form ? *Form : *new TGraphRichText(Table);
}

QPrinter& TGraphRichText::ReportPrinter()
{
    static QPrinter Printer(QPrinter::HighResolution);
    return Printer;
}

QWidget* TGraphRichText::CreatePage(TPage Page)
{
    auto* W = new QWidget(this);
    auto* Layout = new QVBoxLayout(W);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->setSpacing(0);
    auto* Editor = new QTextEdit(W);
    Editor->setObjectName(Page == PgTemplate ? "TemplateEditor" : "MergedEditor");
    Editor->installEventFilter(this);
    Editor->viewport()->installEventFilter(this);
    auto* Parts = new QTabBar(W);
    Parts->setShape(QTabBar::RoundedSouth);
    Parts->setExpanding(false);
    for (const char* Name : {"Body", "Header", "Footer"})
        Parts->addTab(Name);
    Parts->setToolTip("Change active part of editor (Body/Header/Footer)");
    Layout->addWidget(Editor, 1);
    Layout->addWidget(Parts);
    FPages[Page].Editor = Editor;
    FPages[Page].Parts = Parts;
    connect(Parts, &QTabBar::currentChanged, this, [this, Page](int i) { SetPart(Page, static_cast<TPart>(i)); });
    connect(Editor, &QTextEdit::cursorPositionChanged, this, [this, Page] { CaretMoved(Page); });
    connect(Editor, &QTextEdit::textChanged, this, [this, Page] {
        UpdateInsertPoints(Page);
        UpdateStatus();
    });
    return W;
}

QAction* TGraphRichText::AddAction(const QString& Name, const QString& Caption, const QString& Hint,
                                   const QKeySequence& Key)
{
    auto* A = new QAction(Caption, this);
    A->setObjectName(Name);
    A->setToolTip(Hint);
    A->setStatusTip(Hint);
    A->setShortcut(Key);
    FActions[Name] = A;
    return A;
}

QAction* TGraphRichText::Action(const QString& Name) const
{
    const auto It = FActions.find(Name);
    return It == FActions.end() ? nullptr : It->second;
}

void TGraphRichText::CreateActions()
{
    const auto On = [this](QAction* A, auto Slot) { connect(A, &QAction::triggered, this, Slot); };
    On(AddAction("FileNew", "&New", "Clear the whole Document"), [this] { NewDocument(); });
    On(AddAction("FileOpen", "&Open", "Load Document", QKeySequence::Open), [this] { OpenDocument(); });
    On(AddAction("FileSave", "&Save", "Save Document", QKeySequence::Save), [this] { SaveDocument(); });
    On(AddAction("FilePrint", "&Print", "Print Document", QKeySequence::Print), [this] { PrintDocument(); });
    On(AddAction("FilePrinterSetup", "Printer &Setup", "Set up the printer"), [this] { PrinterSetup(); });
    On(AddAction("FilePreview", "Pre&view", "Preview Pages"), [this] { PreviewDocument(); });
    On(AddAction("FileClose", "&Close", "Close Window"), [this] { close(); });
    On(AddAction("InsertImage", "&Image", "Insert image from file"), [this] { InsertImage(); });
    On(AddAction("InsertPageNumber", "&Page Number", "Insert current page number (arabic)"),
       [this] { InsertPageField("PAGE"); });
    On(AddAction("InsertPageCount", "&Number of Pages", "Insert total number of pages in document"),
       [this] { InsertPageField("NUMPAGES"); });
    On(AddAction("FormatPage", "Pa&ge...", "Paper size, orientation and margins of the document"),
       [this] { EditPage(); });
    QAction* Points = AddAction("InsertPoints", "&Insert Points", "Show or hide the merge fields' marks");
    Points->setCheckable(true);
    Points->setChecked(FInsertPoints);
    connect(Points, &QAction::toggled, this, &TGraphRichText::ShowInsertPoints);
    QAction* Marks =
        AddAction("SpaceMarkers", "&Paragraph and Space Markers", "Show or hide paragraph, blank and tab marks");
    Marks->setCheckable(true);
    connect(Marks, &QAction::toggled, this, &TGraphRichText::ShowSpaceMarkers);
    auto* Zooms = new QActionGroup(this);
    const std::pair<TZoom, QAction*> ZoomActions[] = {
        {TZoom::Zoom100, AddAction("Zoom100", "Zoom 100%", "Zoom to 100%")},
        {TZoom::ZoomWidth, AddAction("ZoomWidth", "Zoom to Width", "Show whole Width ")},
        {TZoom::ZoomPage, AddAction("ZoomPage", "Zoom Page", "Show complete Page")}};
    for (const auto& [Z, A] : ZoomActions) {
        A->setCheckable(true);
        Zooms->addAction(A);
        connect(A, &QAction::triggered, this, [this, Z = Z] { SetZoom(Z); });
    }
}

void TGraphRichText::CreateMenus()
{
    const auto Fill = [this](const QString& Title, std::initializer_list<const char*> Names) {
        QMenu* M = menuBar()->addMenu(Title);
        for (const char* N : Names)
            if (*N)
                M->addAction(Action(N));
            else
                M->addSeparator();
        return M;
    };
    Fill("&File", {"FileNew", "FileOpen", "FileSave", "", "FilePrint", "FilePrinterSetup", "FilePreview", "",
                   "FileClose"});
    Fill("&Insert", {"InsertImage", "InsertPageNumber", "InsertPageCount"});
    Fill("&View", {"InsertPoints", "SpaceMarkers", "", "Zoom100", "ZoomWidth", "ZoomPage"});
    QMenu* Format = menuBar()->addMenu("F&ormat");
    Format->addActions(FFormatBar->Commands());
    Format->addAction(Action("FormatPage"));
    QMenu* Merge = menuBar()->addMenu("&Merge");
    Merge->addAction(FMergeBar->MergeAction());
}

// ---------------------------------------------------------------- pages

TGraphRichText::TPage TGraphRichText::ActivePage() const
{
    return FTabs->currentIndex() == PgMerged ? PgMerged : PgTemplate;
}

void TGraphRichText::ShowPage(TPage Page) { FTabs->setCurrentIndex(Page); }

QTextDocument& TGraphRichText::PartDocument(TPage Page) const
{
    TKvRtfDocument& D = Document(Page);
    switch (FPages[Page].Part) {
    case PtHeader:
        return *D.Header;
    case PtFooter:
        return *D.Footer;
    default:
        return *D.Body;
    }
}

void TGraphRichText::SetPart(TPage Page, TPart Part)
{
    FPages[Page].Part = Part;
    if (FPages[Page].Parts->currentIndex() != Part) {
        const QSignalBlocker Block(FPages[Page].Parts);
        FPages[Page].Parts->setCurrentIndex(Part);
    }
    AttachPart(Page);
}

// The editor shows the chosen part; editing it can be undone.
void TGraphRichText::AttachPart(TPage Page)
{
    QTextDocument& D = PartDocument(Page);
    D.setUndoRedoEnabled(true);
    FPages[Page].Editor->setDocument(&D);
    ApplyViewOptions(Page);
    if (Page == ActivePage())
        FFormatBar->SetEditor(FPages[Page].Editor);
    UpdateStatus();
}

void TGraphRichText::SetDocument(TPage Page, const TKvRtfDocument& Source)
{
    auto Fresh = std::make_unique<TKvRtfDocument>(Source);
    std::swap(FPages[Page].Document, Fresh);
    AttachPart(Page); // before the old parts go with Fresh
    Fresh.reset();
    SetModified(Page, false);
}

bool TGraphRichText::IsModified(TPage Page) const
{
    const TKvRtfDocument& D = Document(Page);
    return D.Body->isModified() || D.Header->isModified() || D.Footer->isModified();
}

void TGraphRichText::SetModified(TPage Page, bool Modified)
{
    TKvRtfDocument& D = Document(Page);
    for (QTextDocument* Part : {D.Body.get(), D.Header.get(), D.Footer.get()})
        Part->setModified(Modified);
    UpdateStatus();
}

void TGraphRichText::PageChanged()
{
    const TPage Page = ActivePage();
    FMergeBar->setVisible(Page == PgTemplate);
    FFormatBar->SetEditor(FPages[Page].Editor);
    const char* Names[] = {"Zoom100", "ZoomWidth", "ZoomPage"};
    Action(Names[static_cast<int>(FPages[Page].Zoom)])->setChecked(true);
    UpdateStatus();
}

// ---------------------------------------------------------------- merge

bool TGraphRichText::PrepareReport(TGraphForm& Form)
{
    if (GraphWindow && GraphWindow != &Form && IsModified(PgMerged) &&
        FTable.Services.Ask(QString(ReplaceQuestion).replace('\r', '\n'), QMessageBox::Yes | QMessageBox::Cancel) !=
            QMessageBox::Yes)
        return false;
    if (!AskToSaveTemplate())
        return false;
    GraphWindow = &Form;
    QString File = Q(Form.Model().TemplateFile);
    if (File.isEmpty() || !QFileInfo::exists(File))
        File = Q(FTable.Settings().LastTemplateLoaded);
    SetPart(PgTemplate, PtBody);
    try {
        SetDocument(PgTemplate, QFileInfo::exists(File) ? ReadRtfFile(File) : DefaultTemplate());
    } catch (const EKvError& E) {
        // an unreadable template merges to an empty report
        SetDocument(PgTemplate, TKvRtfDocument());
        Fail(Q(E.what()));
    }
    MergeExecute();
    return true;
}

void TGraphRichText::MergeExecute()
{
    if (!GraphWindow) {
        Fail("There is no graph window to report on.");
        return;
    }
    // Fits whose data changed are still waiting for the window to run them.
    if (TGraphCalculations* Calculations = GraphWindow->Calculations())
        Calculations->FinishPendingFits();
    if (!GraphWindow) {
        Fail("There is no graph window to report on.");
        return;
    }
    try {
        const TKvGraphReportSource Source(GraphWindow->Model());
        TKvReportMerge Merge(Source);
        SetDocument(PgMerged, Merge.Merge(TemplateDocument()));
    } catch (const EKvError& E) {
        Fail(Q(E.what()));
    }
    CoeffIndex = 1;
    CalcIndex = 1;
    SeriesIndex = 0;
    ShowPage(PgMerged);
    RefreshFieldLists();
}

void TGraphRichText::RefreshFieldLists()
{
    const TKvDataWithErrorSeries* Series = nullptr;
    if (GraphWindow) {
        const auto All = GraphWindow->Model().DataSeries();
        if (SeriesIndex >= 0 && SeriesIndex < static_cast<int>(All.size()))
            Series = All[static_cast<size_t>(SeriesIndex)];
    }
    FMergeBar->SetResults(Series ? &Series->Results : nullptr);
}

void TGraphRichText::InsertField(const QString& Name, const QString& Content)
{
    CoeffIndex = 1;
    CalcIndex = 1;
    SeriesIndex = 0;
    QTextEdit* Editor = FPages[PgTemplate].Editor;
    QTextCursor C = Editor->textCursor();
    const QTextCharFormat Plain = WithoutField(C.charFormat());
    C.insertText(Content, AsField(Plain, NewFieldId(), MergeFieldInstruction(Name)));
    Editor->setTextCursor(C);
    Editor->setCurrentCharFormat(Plain); // typing on does not grow the field
    Editor->setFocus();
}

// ---------------------------------------------------------------- view

void TGraphRichText::ShowInsertPoints(bool Show)
{
    FInsertPoints = Show;
    Action("InsertPoints")->setChecked(Show);
    for (TPage P : {PgTemplate, PgMerged})
        UpdateInsertPoints(P);
}

// The fields are marked by a background that is no part of the document.
void TGraphRichText::UpdateInsertPoints(TPage Page)
{
    QTextEdit* Editor = FPages[Page].Editor;
    QList<QTextEdit::ExtraSelection> Marks;
    if (FInsertPoints)
        for (const TKvField& F : FindFields(*Editor->document())) {
            QTextEdit::ExtraSelection Mark;
            Mark.cursor = QTextCursor(Editor->document());
            Mark.cursor.setPosition(F.Start);
            Mark.cursor.setPosition(F.End, QTextCursor::KeepAnchor);
            Mark.format.setBackground(FieldBackground);
            Marks << Mark;
        }
    Editor->setExtraSelections(Marks);
}

void TGraphRichText::ShowSpaceMarkers(bool Show)
{
    FSpaceMarkers = Show;
    Action("SpaceMarkers")->setChecked(Show);
    for (TPage P : {PgTemplate, PgMerged})
        ApplyViewOptions(P);
}

void TGraphRichText::SetZoom(TZoom Zoom)
{
    FPages[ActivePage()].Zoom = Zoom;
    ApplyViewOptions(ActivePage());
    PageChanged();
}

void TGraphRichText::EditPage()
{
    TReportPageDialog Dialog(this);
    Dialog.SetPage(ActiveDocument().Page);
    if (Dialog.exec() == QDialog::Accepted)
        SetPageSetup(Dialog.Page());
}

// The editor lays the text out anew for the width between the new margins.
void TGraphRichText::SetPageSetup(const TKvPageSetup& Page)
{
    if (ActiveDocument().Page == Page)
        return;
    ActiveDocument().Page = Page;
    ApplyViewOptions(ActivePage());
    SetModified(ActivePage(), true);
}

// The zoom lays the part out for a device of the screen's resolution
// times the scale, so text and pictures grow alike; 100% shows the page
// at its printed size, "Zoom to Width" fits the text width and "Zoom Page"
// the whole sheet into the editor. The space markers are a text option.
void TGraphRichText::ApplyViewOptions(TPage Page)
{
    TPageState& State = FPages[Page];
    QTextEdit* Editor = State.Editor;
    QTextDocument* D = Editor->document();
    QTextOption Option = D->defaultTextOption();
    const QTextOption::Flags Markers =
        QTextOption::ShowTabsAndSpaces | QTextOption::ShowLineAndParagraphSeparators;
    Option.setFlags(FSpaceMarkers ? Option.flags() | Markers : Option.flags() & ~Markers);
    D->setDefaultTextOption(Option);

    const TKvRtfDocument& Doc = Document(Page);
    const bool Turn = Doc.Page.Landscape && Doc.Page.PaperWidth < Doc.Page.PaperHeight;
    const double Dpi = Editor->logicalDpiX();
    const double Inch = 1440.0;
    const double TextWidth = std::max(Doc.UsableWidth(), 720) / Inch * Dpi;
    const double SheetWidth = (Turn ? Doc.Page.PaperHeight : Doc.Page.PaperWidth) / Inch * Dpi;
    const double SheetHeight = (Turn ? Doc.Page.PaperWidth : Doc.Page.PaperHeight) / Inch * Dpi;
    const QSize Room = Editor->viewport()->size() - QSize(8, 8);
    double Scale = 1;
    if (State.Zoom == TZoom::ZoomWidth)
        Scale = Room.width() / TextWidth;
    else if (State.Zoom == TZoom::ZoomPage)
        Scale = std::min(Room.width() / SheetWidth, Room.height() / SheetHeight);
    Scale = std::clamp(Scale, 0.1, 8.0);
    const int DotsPerMeter = qRound(Dpi * Scale / 0.0254);
    if (State.LayoutDevice.isNull() || State.LayoutDevice.dotsPerMeterX() != DotsPerMeter ||
        D->documentLayout()->paintDevice() != &State.LayoutDevice) {
        State.LayoutDevice = QImage(1, 1, QImage::Format_RGB32);
        State.LayoutDevice.setDotsPerMeterX(DotsPerMeter);
        State.LayoutDevice.setDotsPerMeterY(DotsPerMeter);
        D->documentLayout()->setPaintDevice(&State.LayoutDevice);
        D->markContentsDirty(0, D->characterCount());
    }
    State.Scale = Scale;
    Editor->setLineWrapMode(QTextEdit::FixedPixelWidth);
    Editor->setLineWrapColumnOrWidth(qRound(TextWidth * Scale));
    UpdateInsertPoints(Page);
}

// ---------------------------------------------------------------- status

// The field of the character before the caret, else of the one after it.
QString TGraphRichText::CaretFieldDescription() const
{
    const QTextEdit* Editor = FPages[ActivePage()].Editor;
    const int Caret = Editor->textCursor().position();
    const std::vector<TKvField> Fields = FindFields(*Editor->document());
    const auto Holds = [&](int Position) {
        return std::find_if(Fields.begin(), Fields.end(),
                            [&](const TKvField& F) { return F.Start <= Position && Position < F.End; });
    };
    auto It = Holds(Caret - 1);
    if (It == Fields.end())
        It = Holds(Caret);
    return It == Fields.end() ? QString() : FieldDescription(It->Name);
}

// At the end of a field the caret types plain text, so the field keeps
// its extent.
void TGraphRichText::CaretMoved(TPage Page)
{
    UpdateStatus();
    QTextEdit* Editor = FPages[Page].Editor;
    QTextCursor C = Editor->textCursor();
    const int Id = C.charFormat().intProperty(RpFieldId);
    if (C.hasSelection() || Id == 0)
        return;
    QTextCursor Next(C);
    Next.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    if (!Next.hasSelection() || Next.charFormat().intProperty(RpFieldId) != Id)
        Editor->setCurrentCharFormat(WithoutField(C.charFormat()));
}

void TGraphRichText::UpdateStatus()
{
    if (!FPanels[0])
        return;
    const TPage Page = ActivePage();
    FPanels[0]->setText(IsModified(Page) ? "Modified" : "");
    FPanels[1]->setText(FPages[Page].Editor->overwriteMode() ? "Overwrite" : "Insert");
    FPanels[2]->setText(CaretFieldDescription());
}

void TGraphRichText::Fail(const QString& Message) const
{
    if (FTable.Services.ShowError)
        FTable.Services.ShowError(Message);
}

// ---------------------------------------------------------------- events

bool TGraphRichText::AskToSaveTemplate()
{
    if (!IsModified(PgTemplate))
        return true;
    const auto Answer = FTable.Services.Ask(QString(ModifiedQuestion).replace('\r', '\n'),
                                            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (Answer == QMessageBox::Cancel)
        return false;
    if (Answer == QMessageBox::No)
        return true;
    ShowPage(PgTemplate);
    return SaveDocument();
}

// A save that did not happen keeps the window and the edits.
void TGraphRichText::closeEvent(QCloseEvent* Event)
{
    if (AskToSaveTemplate())
        Event->accept();
    else
        Event->ignore();
}

void TGraphRichText::changeEvent(QEvent* Event)
{
    QMainWindow::changeEvent(Event);
    if (Event->type() == QEvent::ActivationChange && isActiveWindow())
        RefreshFieldLists();
}

// The Insert key switches between inserting and overwriting; a zoom that
// fits the editor follows its size.
bool TGraphRichText::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Event->type() == QEvent::Resize)
        for (TPage P : {PgTemplate, PgMerged})
            if (Watched == FPages[P].Editor->viewport() && FPages[P].Zoom != TZoom::Zoom100)
                ApplyViewOptions(P);
    if (Event->type() == QEvent::KeyPress) {
        const auto* Key = static_cast<QKeyEvent*>(Event);
        if (Key->key() == Qt::Key_Insert && Key->modifiers() == Qt::NoModifier) {
            auto* Editor = qobject_cast<QTextEdit*>(Watched);
            if (Editor) {
                Editor->setOverwriteMode(!Editor->overwriteMode());
                UpdateStatus();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(Watched, Event);
}

} // namespace kv
