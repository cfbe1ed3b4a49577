#include "MainTableForm.h"

#include "AboutForm.h"
#include "EditFormulaForm.h"
#include "GoToCellForm.h"
#include "HelpForm.h"
#include "KvCaptionPainter.h"
#include "KvCellGrid.h"
#include "KvIcons.h"
#include "KvQuestionBox.h"
#include "graphwindow/GraphParametersForm.h"
#include "table/CharTableForm.h"
#include "table/ImportTableForm.h"
#include "widgets/KvCaptionEdit.h"

#include "foundation/KvErrors.h"
#include "foundation/KvFormatSettings.h"
#include "foundation/KvLargeIniFile.h"
#include "foundation/KvMissing.h"
#include "foundation/KvStrings.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace kv {

namespace {

QString Q(const std::string& S) { return QString::fromStdString(S); }
std::string S(const QString& Q) { return Q.toStdString(); }

const QColor LockedOdd(198, 210, 210);
const QColor LockedEven(210, 219, 219);
const QColor DataOdd(225, 236, 236);

const char* TextFilterList = "Text with List-Separators (*.txt)";
const char* TextFilterTabs = "Text with Tabs (*.txt)";
const char* TextFilterDetect = "Text table, layout detected (*.txt *.csv *.tsv *.dat *.prn *)";
const char* TextTablesFilter = "Text tables (*.csv *.tsv *.txt *.dat *.prn);;All files (*)";

QString Folder(const QString& Path) { return Path.isEmpty() ? QString() : QFileInfo(Path).absolutePath(); }

} // namespace

TMainTableForm::TMainTableForm(TKvDocument& Document, const TKvPaths& Paths, QWidget* Parent)
    : QMainWindow(Parent), FDocument(Document), FPaths(Paths)
{
    setWindowTitle("Plot / Data Table");
    // Dialogs belong to the window that asked (a graph window as often as
    // this one), so focus goes back there when they close.
    Services.Ask = [this](const QString& Text, QMessageBox::StandardButtons Buttons) {
        QWidget* Parent = DialogParent();
        const auto Box = MakeQuestionBox(Parent, Text, Buttons);
        const auto Answer = static_cast<QMessageBox::StandardButton>(Box->exec());
        Parent->activateWindow();
        return Answer;
    };
    Services.ShowError = [this](const QString& Text) { QMessageBox::critical(DialogParent(), "Kurvex", Text); };
    Services.ShowInfo = [this](const QString& Text) { QMessageBox::information(DialogParent(), "Kurvex", Text); };
    Services.OpenFileName = [this](const QString& Title, const QString& Start, const QString& Filter,
                                   QString& Selected) {
        QWidget* Parent = DialogParent();
        const QString File = QFileDialog::getOpenFileName(Parent, Title, Start, Filter, &Selected);
        Parent->activateWindow();
        return File;
    };
    Services.SaveFileName = [this](const QString& Title, const QString& Start, const QString& Filter,
                                   QString& Selected) {
        QWidget* Parent = DialogParent();
        const QString File = QFileDialog::getSaveFileName(Parent, Title, Start, Filter, &Selected);
        Parent->activateWindow();
        return File;
    };
    Services.RunImportDialog = [](TImportTableForm& Dialog) { return Dialog.exec() == QDialog::Accepted; };
    Services.Beep = [] { QApplication::beep(); };

    EnsureUserFile(FPaths);
    FSettings.SetDefaults(FPaths);
    if (QScreen* Screen = QGuiApplication::primaryScreen())
        FDocument.Table.Screen = {Screen->geometry().width(), Screen->geometry().height()};
    try {
        LoadSettingsFile(FPaths, FDocument, FSettings);
    } catch (const EKvError& E) {
        // A damaged settings file must not keep the program from starting.
        FDocument.Table.ShowMessage(E.what());
    }
    FDocument.UpdateLockedRows();

    CreateGrid();
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    ConnectModel();
    FFormulaEditor = new TEditFormulaForm(this);
    FGoToCell = new TGoToCellForm(this);
    FHelp = new TKvHelpForm(this);
    FCharTable = new TCharTableForm(this);
    FParameters = new TGraphParametersForm(FPaths.SettingsFile, this);
    FParameters->OnHelp = [this](const QString& Topic) { ShowHelpTopic(Topic); };
    QList<QAction*> Markup;
    for (const char* Name :
         {"Bold", "Italic", "Underline", "StrikeOut", "Subscript", "Superscript", "SymbolFont", "ShowCharTable"})
        Markup.append(Action(Name));
    FParameters->SetMarkupActions(Markup);
    connect(FParameters, &TGraphParametersForm::CaptionCaretChanged, this, &TMainTableForm::CaptionCaretChanged);
    connect(FCharTable, &TCharTableForm::Hidden, this, [this] { Action("ShowCharTable")->setChecked(false); });
    connect(Action("ShowCharTable"), &QAction::toggled, this, [this](bool On) {
        if (!On)
            FCharTable->hide();
        else if (!FCharTable->isVisible())
            FCharTable->ShowOver(QApplication::activeWindow(), QApplication::focusWidget());
    });
    FFormulaEditor->OnHelp = [this](const QString& Topic) { ShowHelpTopic(Topic); };
    FDocument.Table.SetFormulaEngine(CreateTableFormula(FPaths.SettingsFile));

    ApplyPlacement();
    RefreshGrid();
    auto* Idle = new QTimer(this);
    connect(Idle, &QTimer::timeout, this, &TMainTableForm::UpdateActions);
    Idle->start(150);
    UpdateActions();
}

TMainTableForm::~TMainTableForm()
{
    try {
        SaveSettings();
    } catch (const EKvError& E) {
        // The window is going away; the error box is all that is left.
        Services.ShowError(Q(E.what()));
    }
}

void TMainTableForm::StorePlacement()
{
    const QRect G = normalGeometry().isValid() ? normalGeometry() : geometry();
    FDocument.Table.Placement = {isMaximized()   ? TKvWindowState::WsMaximized
                                 : isMinimized() ? TKvWindowState::WsMinimized
                                                 : TKvWindowState::WsNormal,
                                 G.top(), G.left(), G.height(), G.width()};
}

void TMainTableForm::ApplyPlacement()
{
    const TKvFormPlacement& P = FDocument.Table.Placement;
    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
    setGeometry(P.Left, P.Top, P.Width, P.Height);
    if (P.State == TKvWindowState::WsMaximized)
        setWindowState(Qt::WindowMaximized);
}

void TMainTableForm::SaveSettings()
{
    if (FSettingsSaved)
        return;
    FSettingsSaved = true;
    StorePlacement();
    for (int k = 0; k <= FDocument.Table.MaxColumns(); ++k) {
        if (k == 0)
            FDocument.Table.RowNumberWidth = FGrid->ColWidth(0);
        else
            FDocument.Table.Column(k).Width = FGrid->ColWidth(k);
    }
    SaveSettingsFile(FPaths, FDocument, FSettings);
}

// ---------------------------------------------------------------- building

QAction* TMainTableForm::AddAction(const QString& Name, const QString& Caption, const QString& Hint,
                                   const QKeySequence& Key, void (TMainTableForm::*Slot)())
{
    auto* A = new QAction(Caption, this);
    A->setObjectName(Name);
    A->setStatusTip(Hint);
    A->setToolTip(Hint.isEmpty() ? QString(Caption).remove('&') : Hint);
    if (!Key.isEmpty())
        A->setShortcut(Key);
    if (Slot)
        connect(A, &QAction::triggered, this, Slot);
    addAction(A);
    FActions[Name] = A;
    return A;
}

QAction* TMainTableForm::Action(const QString& Name) const
{
    auto It = FActions.find(Name);
    return It == FActions.end() ? nullptr : It->second;
}

void TMainTableForm::CreateActions()
{
    using F = TMainTableForm;
    AddAction("EditCut", "Cu&t", "Cuts the selection and puts it on the Clipboard", QKeySequence::Cut, &F::EditCut);
    AddAction("EditCopy", "&Copy", "Copies the selection and puts it on the Clipboard", QKeySequence::Copy,
              &F::EditCopy);
    AddAction("EditPaste", "&Paste", "Inserts Clipboard contents", QKeySequence::Paste, &F::EditPaste);
    AddAction("EditDelete", "&Delete", "Erases the selection", Qt::Key_Delete, &F::EditDelete); // the menu adds "Del"
    AddAction("InsertCell", "Insert Cell", "", Qt::Key_Insert, &F::InsertCell);
    AddAction("InsertRow", "Insert Row", "", Qt::CTRL | Qt::Key_Insert, &F::InsertRow);
    AddAction("InsertColumn", "Insert Column", "", Qt::SHIFT | Qt::Key_Insert, &F::InsertColumn);
    AddAction("DeleteColumn", "Delete Column", "", Qt::SHIFT | Qt::Key_Delete, &F::DeleteColumn);
    AddAction("SelectColumn", "Select Column", "", Qt::CTRL | Qt::Key_Space, &F::SelectColumn);
    AddAction("SelectRow", "Select Row", "", Qt::SHIFT | Qt::Key_Space, &F::SelectRow);
    AddAction("ToFirstDataCol", "", "", Qt::CTRL | Qt::Key_Home, &F::ToFirstDataCol);
    AddAction("ToLastDataCol", "", "", Qt::CTRL | Qt::Key_End, &F::ToLastDataCol);
    AddAction("ToLastDataRow", "", "", Qt::CTRL | Qt::Key_PageDown, &F::ToLastDataRow);
    AddAction("ToFirstRow", "", "", Qt::CTRL | Qt::Key_PageUp, &F::ToFirstRow);
    AddAction("DoGoTo", "&Go to Cell", "Go to a specified cell", {}, &F::DoGoTo);
    AddAction("ClearAll", "Clear &All", "Clear Table and Graphs", {}, nullptr);
    connect(Action("ClearAll"), &QAction::triggered, this, [this] { ClearAll(); });
    AddAction("Import", "&Import Table", "", {}, &F::Import);
    AddAction("Export", "&Export Table", "", {}, &F::Export);
    AddAction("Open", "&Open", "Opens an existing file", QKeySequence::Open, &F::Open);
    AddAction("Save", "&Save", "Saves the active file", QKeySequence::Save, &F::Save);
    AddAction("Exit", "E&xit", "Quits the application", {}, nullptr);
    connect(Action("Exit"), &QAction::triggered, this, &QWidget::close);
    AddAction("EditFormula", "Edit &Formula", "", {}, &F::EditFormula);
    AddAction("AssignGraphs", "&Assign Graphs", "Assign Tabe Columns to Graphs", {}, nullptr);
    connect(Action("AssignGraphs"), &QAction::triggered, this, [this] {
        if (OnAssignGraphs)
            OnAssignGraphs();
    });
    AddAction("HelpContents", "&Contents", "", QKeySequence::HelpContents, &F::ShowHelpContents);
    AddAction("HelpSearch", "&Topic Search", "", {}, &F::ShowHelpSearch);
    AddAction("About", "&About...", "Show Program Info", {}, &F::ShowAbout);
    // The caption format commands act on the focused caption editor.
    struct TFormatCommand {
        const char* Name;
        const char* Caption;
        const char* Hint;
        TKvCaptionFormat Format;
    };
    for (const TFormatCommand& C :
         {TFormatCommand{"Bold", "&Bold", "Bold", TKvCaptionFormat::Bold},
          TFormatCommand{"Italic", "&Italic", "Italic", TKvCaptionFormat::Italic},
          TFormatCommand{"Underline", "&Underlined", "Underline", TKvCaptionFormat::Underline},
          TFormatCommand{"StrikeOut", "&Strike Out", "Strikeout", TKvCaptionFormat::StrikeOut},
          TFormatCommand{"Subscript", "Subscript", "Subscript", TKvCaptionFormat::Subscript},
          TFormatCommand{"Superscript", "Superscript", "Superscript", TKvCaptionFormat::Superscript},
          TFormatCommand{"SymbolFont", "&Symbol Font", "Switch Symbol Font", TKvCaptionFormat::SymbolFont}}) {
        QAction* A = AddAction(C.Name, C.Caption, C.Hint, {}, nullptr);
        A->setCheckable(true);
        connect(A, &QAction::triggered, this, [A, Format = C.Format] {
            if (auto* Edit = qobject_cast<TKvCaptionEdit*>(QApplication::focusWidget()))
                Edit->Toggle(Format);
            else
                A->setChecked(!A->isChecked());
        });
    }
    AddAction("ShowCharTable", "Show Characters Table", "Show Characters Table", {}, nullptr)->setCheckable(true);

    FIconStyles = new QActionGroup(this);
    const char* Styles[] = {"&Big XP-Style", "&Small XP-Style", "&Classical"};
    for (int i = 0; i < 3; ++i) {
        QAction* A = AddAction(QString("IconStyle%1").arg(i), Styles[i], "", {}, nullptr);
        A->setCheckable(true);
        FIconStyles->addAction(A);
        connect(A, &QAction::triggered, this, [this, i] { SetIconStyle(i); });
    }
}

void TMainTableForm::CreateMenus()
{
    QMenu* Edit = menuBar()->addMenu("&Edit");
    for (const char* Name : {"EditCut", "EditCopy", "EditPaste", "EditDelete"})
        Edit->addAction(Action(Name));
    QMenu* Table = menuBar()->addMenu("&Table");
    for (const char* Name : {"InsertCell", "InsertRow", "InsertColumn", "DeleteColumn", "", "AssignGraphs",
                             "EditFormula", "", "DoGoTo"})
        *Name ? (void)Table->addAction(Action(Name)) : (void)Table->addSeparator();
    FFileMenu = menuBar()->addMenu("&File");
    for (const char* Name : {"ClearAll", "", "Open", "Save", "", "Import", "Export", "", "Exit"})
        *Name ? (void)FFileMenu->addAction(Action(Name)) : (void)FFileMenu->addSeparator();
    QMenu* Options = menuBar()->addMenu("&Options");
    QMenu* Toolbar = Options->addMenu("&Toolbar");
    for (int i = 0; i < 3; ++i)
        Toolbar->addAction(Action(QString("IconStyle%1").arg(i)));
    FWindowMenu = menuBar()->addMenu("&Window");
    QMenu* Help = menuBar()->addMenu("&Help");
    Help->addAction(Action("HelpContents"));
    Help->addAction(Action("HelpSearch"));
    Help->addSeparator();
    Help->addAction(Action("About"));
    UpdateRecentFilesMenu();

    FGrid->setContextMenuPolicy(Qt::ActionsContextMenu);
    for (const char* Name : {"AssignGraphs", "EditFormula", "", "EditCut", "EditCopy", "EditPaste", "EditDelete",
                             "", "InsertCell", "InsertColumn", "InsertRow", "DeleteColumn", "", "ClearAll"}) {
        if (*Name) {
            FGrid->addAction(Action(Name));
        } else {
            auto* Separator = new QAction(FGrid);
            Separator->setSeparator(true);
            FGrid->addAction(Separator);
        }
    }
}

void TMainTableForm::CreateToolBar()
{
    FToolBar = addToolBar("Table");
    FToolBar->setObjectName("TableToolBar");
    // The tool bar's context menu offers the three styles.
    FToolBar->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(FToolBar, &QWidget::customContextMenuRequested, this, [this](const QPoint& Position) {
        QMenu Menu;
        for (int i = 0; i < 3; ++i)
            Menu.addAction(Action(QString("IconStyle%1").arg(i)));
        Menu.exec(FToolBar->mapToGlobal(Position));
    });
    for (const char* Name : {"Open", "Save", "", "EditCut", "EditCopy", "EditPaste", "EditDelete", "ClearAll", "",
                             "AssignGraphs", "", "Bold", "Italic", "Underline", "StrikeOut", "Subscript",
                             "Superscript", "SymbolFont", "ShowCharTable"})
        *Name ? (void)FToolBar->addAction(Action(Name)) : (void)FToolBar->addSeparator();
    SetIconStyle(FSettings.IconStyle);
}

void TMainTableForm::SetIconStyle(int Style)
{
    Style = std::clamp(Style, 0, 2);
    FSettings.IconStyle = Style;
    Action(QString("IconStyle%1").arg(Style))->setChecked(true);
    const std::vector<std::pair<const char*, const char*>> Icons = {
        {"Open", "open"}, {"Save", "save"}, {"EditCut", "cut"}, {"EditCopy", "copy"}, {"EditPaste", "paste"},
        {"EditDelete", "delete"}, {"ClearAll", "clear-all"}, {"AssignGraphs", "assign-graphs"},
        {"EditFormula", "formula"}, {"Bold", "bold"}, {"Italic", "italic"}, {"Underline", "underline"},
        {"StrikeOut", "strike-out"}, {"Subscript", "subscript"}, {"Superscript", "superscript"},
        {"SymbolFont", "symbol-font"}, {"ShowCharTable", "char-table"}};
    for (const auto& [Name, Icon] : Icons)
        Action(Name)->setIcon(CommandIcon(Icon, Style == 2));
    FToolBar->setIconSize(Style == 0 ? QSize(24, 24) : QSize(16, 16));
}

void TMainTableForm::CreateStatusBar()
{
    const int Widths[] = {50, 57, 0};
    for (int i = 0; i < 3; ++i) {
        auto* Panel = new QLabel(this);
        Panel->setObjectName(QString("StatusPanel%1").arg(i + 1));
        Panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (Widths[i]) {
            Panel->setMinimumWidth(Widths[i] + 12);
            Panel->setAlignment(Qt::AlignCenter);
            statusBar()->addWidget(Panel);
        } else {
            statusBar()->addWidget(Panel, 1);
        }
        FPanels[static_cast<size_t>(i)] = Panel;
    }
    FPanels[1]->setText("Insert");
}

void TMainTableForm::CreateGrid()
{
    FGrid = new TKvCellGrid(this);
    FGrid->setObjectName("ValuesTable");
    setCentralWidget(FGrid);
    const QString Separator{QChar(DecimalSeparator())};
    FGrid->SetEditorCharacters("+-0123456789Ee" + Separator);
    FGrid->OnGetCellData = [this](int Row, int Col) { return CellText(Row, Col); };
    FGrid->OnGetCellAttributes = [this](int Row, int Col, TKvCellAttributes& A) { CellAttributes(Row, Col, A); };
    FGrid->OnDrawLockedCell = [this](QPainter& P, const QRect& R, int Row, int Col) {
        return DrawLockedCell(P, R, Row, Col);
    };
    FGrid->OnBeginEdit = [this](int, int, QString&) {
        FPanels[2]->clear();
        return true;
    };
    FGrid->OnDoneEdit = [this](int Row, int Col, const QString& Text) { CellEdited(Row, Col, Text); };
    // A number wider than its cell shows fewer digits, never a cut-off text.
    FGrid->OnFitCellText = [this](int Row, int Col, int MaxLength) {
        const int r = DataRow(Row);
        if (r < 0 || Col < 1 || r >= FDocument.Table.Data(Col).Count() || IsMissing(FDocument.Table.Data(Col)[r]))
            return QString();
        return Q(FloatToTextMaxLength(MaxLength, FDocument.Table.Data(Col)[r]));
    };
    // Widths belong to the document: a change is saved with it.
    FGrid->OnColWidthChanged = [this](int Col, int Width) {
        if (Col == 0)
            FDocument.Table.RowNumberWidth = Width;
        else
            FDocument.Table.Column(Col).Width = Width;
        FDocument.Table.MarkModified();
    };
    FGrid->OnRefusedCharacter = [this] { Beep(); };
    FGrid->OnLockedCellClick = [this](int Row, int Col, Qt::KeyboardModifiers Mods) {
        const bool Extend = Mods & Qt::ControlModifier;
        if (Col == 0 && Row >= LockedRows())
            FGrid->SelectRow(Row, Extend);
        else if (Col > 0 && Row == LockedRows() - 1)
            FGrid->SelectColumn(Col, Extend);
        else if (Col == 0 && Row == LockedRows() - 1)
            FGrid->SelectAll();
        else
            LockedCellClicked(Row, Col);
    };
    FGrid->viewport()->installEventFilter(this);
    FCaptionEditor = new TKvCaptionEdit(FGrid->viewport());
    FCaptionEditor->setObjectName("CaptionEditor");
    FCaptionEditor->setFont(FGrid->font());
    connect(FCaptionEditor, &TKvCaptionEdit::CaretChanged, this, &TMainTableForm::CaptionCaretChanged);
    FCaptionEditor->hide();
    FCaptionEditor->installEventFilter(this);
    FGrid->Editor()->installEventFilter(this);
}

void TMainTableForm::ConnectModel()
{
    FDocument.Table.AddModifiedObserver([this](bool Modified) { FPanels[0]->setText(Modified ? "Modified" : ""); });
    FDocument.Table.OnMessage = [this](const std::string& Message) { ApplyMessage(Message); };
    FDocument.ConfirmClear = [this] {
        return Ask("Data have been modified!\rDo you really want to clear all data?",
                   QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
    FPanels[0]->setText(FDocument.Table.Modified() ? "Modified" : "");
}

void TMainTableForm::ApplyMessage(const std::string& Message)
{
    FPanels[2]->setText(Q(Message));
    if (Message.rfind("Error in Cell: ", 0) == 0)
        Beep();
}

void TMainTableForm::UpdateRecentFilesMenu()
{
    for (QAction* A : FRecentActions)
        FFileMenu->removeAction(A);
    qDeleteAll(FRecentActions);
    FRecentActions.clear();
    if (FRecentSeparator) {
        FFileMenu->removeAction(FRecentSeparator);
        delete FRecentSeparator;
        FRecentSeparator = nullptr;
    }
    const auto& Items = FDocument.RecentFiles.Items();
    if (Items.empty())
        return;
    FRecentSeparator = FFileMenu->addSeparator();
    const QFontMetrics Metrics(font());
    for (size_t i = 0; i < Items.size(); ++i) {
        const QString Path = Q(Items[i]);
        const QString Text = QString("&%1 %2").arg(i + 1).arg(Metrics.elidedText(Path, Qt::ElideMiddle, 280));
        QAction* A = FFileMenu->addAction(Text);
        A->setData(Path);
        connect(A, &QAction::triggered, this, [this, Path] { OpenRecent(Path); });
        FRecentActions.push_back(A);
    }
}

// ---------------------------------------------------------------- grid and model

int TMainTableForm::LockedRows() const { return FDocument.Table.LockedRows; }

int TMainTableForm::ActiveColumn() const { return FGrid->ActiveCell().Col; }

int TMainTableForm::ActiveDataRow() const { return DataRow(FGrid->ActiveCell().Row); }

void TMainTableForm::RefreshGrid()
{
    const TKvDataTable& T = FDocument.Table;
    FDocument.UpdateLockedRows();
    FGrid->SetColCount(T.MaxColumns() + 1);
    FGrid->SetLockedRows(LockedRows());
    FGrid->SetRowCount(T.RowLimit() + LockedRows());
    FGrid->SetRowHeight(QFontInfo(font()).pixelSize() + 8);
    FGrid->SetColWidth(0, T.RowNumberWidth);
    for (int k = 1; k <= T.MaxColumns(); ++k)
        FGrid->SetColWidth(k, T.Column(k).Width);
    FGrid->viewport()->update();
}

QString TMainTableForm::CellText(int Row, int Col) const
{
    const TKvDataTable& T = FDocument.Table;
    const int Graphs = FDocument.Assignment.GraphCount();
    if (Row < Graphs) {
        const int Graph = Graphs - Row;
        if (Col == 0)
            return Q(FDocument.Assignment.Graphs[static_cast<size_t>(Graph - 1)].Title);
        return Q(FDocument.Assignment.AssignmentText(Graph, Col));
    }
    switch (Row - Graphs) {
    case 0: return Col == 0 ? QString("Caption") : Q(T.Column(Col).Header);
    case 1: return Col == 0 ? QString("Formula") : T.Column(Col).LiveFormula ? Q(T.Column(Col).Formula) : QString();
    case 2: return Col == 0 ? QString("#") : Q(ColumnName(Col));
    default: break;
    }
    const int r = DataRow(Row);
    if (Col == 0)
        return QString::number(r + 1);
    const TKvLiveVector& V = T.Data(Col);
    return r < V.Count() && !IsMissing(V[r]) ? Q(FloatToText(V[r])) : QString(); // an empty cell shows nothing
}

void TMainTableForm::CellAttributes(int Row, int Col, TKvCellAttributes& A) const
{
    const int Locked = LockedRows();
    const int Graphs = FDocument.Assignment.GraphCount();
    if (Row < Locked) {
        A.Background = (Row + Graphs + 3) % 2 ? LockedOdd : LockedEven;
        A.Alignment = Col == 0 ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignCenter;
        return;
    }
    const int r = Row - Locked;
    A.Background = r % 2 ? DataOdd : QColor(Qt::white);
    if (Col == 0) {
        A.Background = (Row + Graphs + 3) % 2 ? LockedOdd : LockedEven;
        return;
    }
    if (FDocument.Table.Column(Col).LiveFormula) {
        A.ReadOnly = true;
        A.Foreground = palette().color(QPalette::Inactive, QPalette::WindowText).lighter(160);
    }
}

bool TMainTableForm::DrawLockedCell(QPainter& Painter, const QRect& Rect, int Row, int Col) const
{
    const int Graphs = FDocument.Assignment.GraphCount();
    const int Caption = Graphs;
    const QRect Inner = Rect.adjusted(3, 0, -4, 0);
    Painter.setPen(palette().text().color());
    if (Row <= Caption && Col > 0) {
        DrawCaption(Painter, Inner, CellText(Row, Col), Qt::AlignCenter);
        return true;
    }
    if (Row < Caption && Col == 0) {
        DrawCaption(Painter, Inner, CellText(Row, Col), Qt::AlignRight | Qt::AlignVCenter);
        return true;
    }
    if (Row == Caption + 1 || Row == Caption + 2) {
        // The formula and letter rows: plain text over a line along the lower
        // edge; a text wider than its cell shows its beginning.
        int Alignment = Col == 0 ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignCenter;
        if (Painter.fontMetrics().horizontalAdvance(CellText(Row, Col)) > Inner.width())
            Alignment = Qt::AlignLeft | Qt::AlignVCenter;
        Painter.drawText(Inner, Alignment, CellText(Row, Col));
        Painter.setPen(QPen(palette().shadow().color(), 1));
        Painter.drawLine(Rect.bottomLeft(), Rect.bottomRight());
        return true;
    }
    return false;
}

void TMainTableForm::CellEdited(int Row, int Col, const QString& Text)
{
    const int r = DataRow(Row);
    if (r < 0 || Col < 1)
        return;
    if (FDocument.Table.EndCellEdit(Col, r, S(Text)))
        RefreshGrid();
}

std::vector<TKvCellRange> TMainTableForm::SelectedRanges() const
{
    std::vector<TKvCellRange> Ranges;
    for (const TKvGridRange& R : FGrid->Selection())
        Ranges.push_back({R.Left, DataRow(R.Top), R.Right, DataRow(R.Bottom)});
    return Ranges;
}

// ---------------------------------------------------------------- locked cells

void TMainTableForm::LockedCellClicked(int Row, int Col)
{
    const int Graphs = FDocument.Assignment.GraphCount();
    if (Col == 0)
        return;
    if (Row == Graphs) {
        EditCaption(Col);
    } else if (Row == Graphs + 1) {
        FGrid->SetActiveCell(FGrid->ActiveCell().Row, Col);
        EditFormula();
    } else if (Row < Graphs) {
        Action("AssignGraphs")->trigger();
    }
}

void TMainTableForm::EditCaption(int Col)
{
    FPanels[2]->clear();
    FCaptionColumn = Col;
    const QRect R = FGrid->CellRect(FDocument.Assignment.GraphCount(), Col);
    FCaptionEditor->setGeometry(R.x() + 1, R.y(), R.width() - 2, R.height());
    FCaptionEditor->SetCaption(Q(FDocument.Table.Column(Col).Header));
    FCaptionEditor->SetInsertMode(FInsertMode);
    FCaptionEditor->show();
    FCaptionEditor->setFocus();
}

void TMainTableForm::CaptionEdited()
{
    if (!FCaptionEditor->isVisible() || FCaptionColumn < 1)
        return;
    const int Col = FCaptionColumn;
    FCaptionColumn = 0;
    FCaptionEditor->hide();
    if (FCharTable != nullptr)
        FCharTable->hide();
    FDocument.Table.Column(Col).Header = S(FCaptionEditor->Caption());
    FDocument.Table.MarkModified();
    FGrid->viewport()->update();
}

void TMainTableForm::CaptionCaretChanged(const TKvCaretFormat& Format)
{
    const std::pair<const char*, TKvCaptionFormat> Marks[] = {
        {"Bold", TKvCaptionFormat::Bold},           {"Italic", TKvCaptionFormat::Italic},
        {"Underline", TKvCaptionFormat::Underline}, {"StrikeOut", TKvCaptionFormat::StrikeOut},
        {"Subscript", TKvCaptionFormat::Subscript}, {"Superscript", TKvCaptionFormat::Superscript},
        {"SymbolFont", TKvCaptionFormat::SymbolFont}};
    for (const auto& [Name, F] : Marks)
        Action(Name)->setChecked(Format[F]);
    if (FCharTable != nullptr) {
        const QWidget* Edit = QApplication::focusWidget();
        FCharTable->SetCharFont(Format[TKvCaptionFormat::SymbolFont] || Edit == nullptr ? QString("Symbol")
                                                                                       : Edit->font().family());
    }
}

// ---------------------------------------------------------------- hints

QString TMainTableForm::HintAt(const QPoint& Position) const
{
    const TKvGridCoord C = FGrid->CellAt(Position);
    if (!C.IsValid())
        return {};
    const int Graphs = FDocument.Assignment.GraphCount();
    const int Letters = Graphs + 2;
    if (C.Col == 0)
        return C.Row > Letters ? "Click row number to select row\rPressing <Ctrl> extends selection" : QString();
    if (C.Row == Letters)
        return "Click column indicator to select colum\rPressing <Ctrl> extends selection";
    if (C.Row == Graphs + 1)
        return "Click column formula to edit";
    if (C.Row == Graphs)
        return "Click column header to edit";
    if (C.Row < Graphs)
        return "Click to alter graph assignments";
    if (FDocument.Table.Column(C.Col).LiveFormula)
        return "Column has live formula assigned\rEditing of values impossible";
    return "Please enter values here";
}

bool TMainTableForm::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == FGrid->viewport() && Event->type() == QEvent::MouseMove) {
        const QPoint Position = static_cast<QMouseEvent*>(Event)->position().toPoint();
        const TKvGridCoord C = FGrid->CellAt(Position);
        const int Letters = FDocument.Assignment.GraphCount() + 2;
        // The selection cursors: "#" selects all, row numbers rows, letters columns.
        if (C.IsValid() && C.Col == 0 && C.Row == Letters)
            FGrid->viewport()->setCursor(SelectCursor(TKvSelectCursor::SelAll));
        else if (C.IsValid() && C.Col == 0 && C.Row > Letters)
            FGrid->viewport()->setCursor(SelectCursor(TKvSelectCursor::SelRight));
        else if (C.IsValid() && C.Col > 0 && C.Row == Letters)
            FGrid->viewport()->setCursor(SelectCursor(TKvSelectCursor::SelDown));
        else
            FGrid->viewport()->unsetCursor();
        const QString Hint = HintAt(Position);
        FGrid->viewport()->setToolTip(QString(Hint).replace('\r', '\n'));
    }
    if (Watched == FCaptionEditor && Event->type() == QEvent::FocusOut)
        CaptionEdited();
    if (Watched == FCaptionEditor && Event->type() == QEvent::KeyPress) {
        const int Key = static_cast<QKeyEvent*>(Event)->key();
        if (Key == Qt::Key_Return || Key == Qt::Key_Enter) {
            CaptionEdited();
            FGrid->setFocus();
            return true;
        }
    }
    // Overwrite mode of the text fields: a typed character replaces the next one.
    if (Watched == FGrid->Editor() && Event->type() == QEvent::KeyPress && !FInsertMode) {
        auto* Edit = static_cast<QLineEdit*>(Watched);
        const QString Text = static_cast<QKeyEvent*>(Event)->text();
        if (Text.size() == 1 && Text[0].isPrint() && !Edit->hasSelectedText() && Edit->cursorPosition() < Edit->text().size())
            Edit->setSelection(Edit->cursorPosition(), 1);
    }
    return QMainWindow::eventFilter(Watched, Event);
}

// ---------------------------------------------------------------- enabled states

QLineEdit* TMainTableForm::FocusedTextField() const
{
    return qobject_cast<QLineEdit*>(QApplication::focusWidget());
}

void TMainTableForm::UpdateActions()
{
    QLineEdit* Field = FocusedTextField();
    auto* CaptionEdit = qobject_cast<TKvCaptionEdit*>(QApplication::focusWidget());
    for (const char* Name :
         {"Bold", "Italic", "Underline", "StrikeOut", "Subscript", "Superscript", "SymbolFont", "ShowCharTable"})
        Action(Name)->setEnabled(CaptionEdit != nullptr);
    bool Removable = false;
    bool Copyable = false;
    if (CaptionEdit) {
        Removable = Copyable = CaptionEdit->HasSelection();
    } else if (Field) {
        Removable = Copyable = Field->hasSelectedText();
    } else if (FGrid->HasSelection()) {
        Removable = Copyable = true;
    } else {
        const int Col = ActiveColumn();
        const int r = ActiveDataRow();
        if (Col >= 1 && r >= 0 && r < FDocument.Table.Data(Col).Count()) {
            Copyable = true;
            Removable = !FDocument.Table.Column(Col).LiveFormula;
        }
    }
    Action("EditCut")->setEnabled(Removable);
    Action("EditDelete")->setEnabled(Removable);
    Action("EditCopy")->setEnabled(Copyable);
    Action("EditPaste")->setEnabled(!QApplication::clipboard()->text().isEmpty());
    Action("AssignGraphs")->setEnabled(static_cast<bool>(OnAssignGraphs));
}

// ---------------------------------------------------------------- clipboard

void TMainTableForm::EditCopy()
{
    if (auto* Edit = qobject_cast<TKvCaptionEdit*>(QApplication::focusWidget())) {
        Edit->CopyToClipboard();
        return;
    }
    if (QLineEdit* Field = FocusedTextField()) {
        Field->copy();
        return;
    }
    const std::string Text = FGrid->HasSelection() ? FDocument.Table.CopyText(SelectedRanges())
                                                   : FDocument.Table.CopyText(ActiveColumn(), ActiveDataRow());
    if (!Text.empty())
        QApplication::clipboard()->setText(Q(Text));
}

void TMainTableForm::EditCut()
{
    if (auto* Edit = qobject_cast<TKvCaptionEdit*>(QApplication::focusWidget())) {
        Edit->CutToClipboard();
        return;
    }
    if (QLineEdit* Field = FocusedTextField()) {
        Field->cut();
        return;
    }
    // The cut cells become empty; the values below stay in their rows.
    EditCopy();
    const TKvCellRange Active{ActiveColumn(), ActiveDataRow(), ActiveColumn(), ActiveDataRow()};
    FDocument.Table.EmptyRanges(FGrid->HasSelection() ? SelectedRanges() : std::vector<TKvCellRange>{Active});
    RefreshGrid();
}

void TMainTableForm::EditPaste()
{
    if (auto* Edit = qobject_cast<TKvCaptionEdit*>(QApplication::focusWidget())) {
        Edit->PasteFromClipboard();
        return;
    }
    if (QLineEdit* Field = FocusedTextField()) {
        Field->paste();
        return;
    }
    const QString Text = QApplication::clipboard()->text();
    if (Text.isEmpty())
        return;
    FPanels[2]->clear();
    // A long paste takes a moment: the busy cursor says so.
    constexpr qsizetype LongPaste = 100000;
    if (Text.size() > LongPaste)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto Restore = qScopeGuard([&] {
        if (Text.size() > LongPaste)
            QApplication::restoreOverrideCursor();
    });
    PasteTableText(S(Text));
    RefreshGrid();
}

void TMainTableForm::EditDelete()
{
    if (auto* Edit = qobject_cast<TKvCaptionEdit*>(QApplication::focusWidget())) {
        Edit->DeleteForward();
        return;
    }
    if (QLineEdit* Field = FocusedTextField()) {
        Field->del();
        return;
    }
    const TKvGridCoord Active = FGrid->ActiveCell();
    if (FGrid->HasSelection())
        FDocument.Table.DeleteRanges(SelectedRanges());
    else
        FDocument.Table.DeleteCell(ActiveColumn(), ActiveDataRow());
    FGrid->SetActiveCell(Active.Row, Active.Col);
    RefreshGrid();
}

// ---------------------------------------------------------------- cells, rows, columns

void TMainTableForm::InsertCell()
{
    auto* CaptionEdit = qobject_cast<TKvCaptionEdit*>(QApplication::focusWidget());
    if (FocusedTextField() || CaptionEdit) {
        FInsertMode = !FInsertMode;
        FPanels[1]->setText(FInsertMode ? "Insert" : "Overwrite");
        if (CaptionEdit)
            CaptionEdit->SetInsertMode(FInsertMode);
        return;
    }
    FDocument.Table.InsertCell(ActiveColumn(), ActiveDataRow());
    RefreshGrid();
}

void TMainTableForm::InsertRow()
{
    FDocument.Table.InsertRow(ActiveDataRow());
    RefreshGrid();
}

void TMainTableForm::InsertColumn()
{
    try {
        FDocument.InsertColumn(ActiveColumn());
    } catch (const EKvError& E) {
        ShowError(Q(E.what()).replace('\r', '\n'));
    }
    RefreshGrid();
}

void TMainTableForm::DeleteColumn()
{
    FDocument.DeleteColumn(ActiveColumn());
    RefreshGrid();
}

void TMainTableForm::SelectColumn() { FGrid->SelectColumn(ActiveColumn(), false); }

void TMainTableForm::SelectRow() { FGrid->SelectRow(FGrid->ActiveCell().Row, false); }

void TMainTableForm::ToFirstDataCol()
{
    int Target = 1;
    for (int k = 1; k <= FDocument.Table.MaxColumns(); ++k)
        if (FDocument.Table.Data(k).Count() > 0) {
            Target = k;
            break;
        }
    FGrid->SetActiveCell(FGrid->ActiveCell().Row, Target);
}

void TMainTableForm::ToLastDataCol()
{
    int Target = 1;
    for (int k = FDocument.Table.MaxColumns(); k >= 2; --k)
        if (FDocument.Table.Data(k).Count() > 0) {
            Target = k;
            break;
        }
    FGrid->SetActiveCell(FGrid->ActiveCell().Row, Target);
}

void TMainTableForm::ToLastDataRow()
{
    const int Count = FDocument.Table.Data(ActiveColumn()).Count();
    if (Count > 0)
        FGrid->SetActiveCell(LockedRows() + Count - 1, ActiveColumn());
}

void TMainTableForm::ToFirstRow() { FGrid->SetActiveCell(LockedRows(), ActiveColumn()); }

std::vector<QString> TMainTableForm::ColumnCaptions() const
{
    std::vector<QString> Captions;
    for (int k = 1; k <= FDocument.Table.MaxColumns(); ++k)
        Captions.push_back(Q(FDocument.Table.Column(k).Header));
    return Captions;
}

void TMainTableForm::DoGoTo()
{
    int Column = ActiveColumn();
    int Row = FGoToRow;
    if (!FGoToCell->Execute(ColumnCaptions(), Column, Row))
        return;
    GoToCell(Column, Row);
}

void TMainTableForm::GoToCell(int Column, int Row)
{
    FGoToRow = Row;
    // The grid grows so that the row exists.
    FDocument.Table.EnsureRows(Row - 1);
    RefreshGrid();
    FGrid->SetActiveCell(LockedRows() + Row - 1, Column);
}

// ---------------------------------------------------------------- questions

QWidget* TMainTableForm::DialogParent()
{
    QWidget* Active = QApplication::activeWindow();
    // a dialog that is open itself is no owner to come back to
    if (Active && (qobject_cast<QDialog*>(Active) || Active->isModal()))
        Active = Active->parentWidget() ? Active->parentWidget()->window() : nullptr;
    return Active ? Active : this;
}

QMessageBox::StandardButton TMainTableForm::Ask(const QString& Text, QMessageBox::StandardButtons Buttons)
{
    // The texts keep their CR line breaks; the box shows them as lines.
    return Services.Ask(QString(Text).replace('\r', '\n'), Buttons);
}

void TMainTableForm::ShowError(const QString& Text) { Services.ShowError(Text); }

void TMainTableForm::Beep() { Services.Beep(); }

bool TMainTableForm::AskOverwrite()
{
    return !FDocument.Table.Modified() ||
           Ask("Data have been modified!\rDo you really want to overwrite the data?", QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
}

bool TMainTableForm::ClearAll()
{
    const bool Cleared = FDocument.ClearAll();
    RefreshGrid();
    return Cleared;
}

void TMainTableForm::closeEvent(QCloseEvent* Event)
{
    if (FDocument.Table.Modified()) {
        const auto Answer = Ask("Data have been modified!\rDo you want to save?",
                                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (Answer == QMessageBox::Cancel) {
            Event->ignore();
            return;
        }
        // A cancelled or failed save keeps the program, and the edits, alive.
        if (Answer == QMessageBox::Yes && !SaveDocument()) {
            Event->ignore();
            return;
        }
    }
    Event->accept();
}

void TMainTableForm::showEvent(QShowEvent* Event)
{
    QMainWindow::showEvent(Event);
    if (FActivated)
        return;
    FActivated = true;
    SetIconStyle(FSettings.IconStyle);
    // The data file opens once the window is on the screen.
    QTimer::singleShot(0, this, &TMainTableForm::HandleCommandLine);
}

void TMainTableForm::HandleCommandLine()
{
    if (FCommandLine.isEmpty())
        return;
    const QString First = FCommandLine.first();
    FCommandLine.clear();
    if (First == "/PRINT")
        Services.ShowInfo("Print with Explorer not implemented!");
    else
        OpenAnyFile(First);
}

// ---------------------------------------------------------------- files

void TMainTableForm::RunFile(const std::function<void()>& Operation)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        Operation();
    } catch (const EKvError& E) {
        QApplication::restoreOverrideCursor();
        RefreshGrid();
        UpdateRecentFilesMenu();
        ShowError(Q(E.what()));
        throw;
    }
    QApplication::restoreOverrideCursor();
    RefreshGrid();
    UpdateRecentFilesMenu();
}

bool TMainTableForm::LoadFromFile(const QString& FileName)
{
    StorePlacement(); // a file without a placement keeps the window where it is
    try {
        RunFile([&] { FDocument.LoadFromFile(S(FileName)); });
        FPanels[2]->setText(Q(FDocument.Table.LastMessage()));
        ApplyPlacement(); // the file's window size and place
        if (!FDocument.Damage.empty())
            ShowError(Q(FDocument.Damage));
        return true;
    } catch (const EKvError&) {
        return false;
    }
}

bool TMainTableForm::SaveToFile(const QString& FileName)
{
    StorePlacement(); // the file keeps the window as it is now
    try {
        RunFile([&] { FDocument.SaveToFile(S(FileName)); });
        return true;
    } catch (const EKvError&) {
        return false;
    }
}

bool TMainTableForm::ImportTable(const QString& FileName, char Separator)
{
    try {
        RunFile([&] { FDocument.ImportTable(S(FileName), Separator); });
        FSettings.LastImExport = S(Folder(FileName));
        return true;
    } catch (const EKvError&) {
        return false;
    }
}

bool TMainTableForm::ExportTable(const QString& FileName, char Separator)
{
    try {
        RunFile([&] { FDocument.ExportTable(S(FileName), Separator); });
        FSettings.LastImExport = S(Folder(FileName));
        return true;
    } catch (const EKvError&) {
        return false;
    }
}

// Data file dialogs start in the folder of the file last opened or saved,
// else in the documents folder, with no file name filled in.
QString TMainTableForm::DataFileFolder() const
{
    // Until a file is opened or saved the current file names the documents folder.
    const QString Current = Q(FDocument.Table.CurrentFile);
    if (!Current.isEmpty() && FDocument.Table.CurrentFile != FPaths.DocumentsFolder && !QFileInfo(Current).isDir())
        return QFileInfo(Current).absolutePath() + "/";
    return Q(FPaths.DocumentsFolder);
}

void TMainTableForm::Open()
{
    if (!AskOverwrite())
        return;
    QString Filter = DataFileFilter;
    const QString Name = Services.OpenFileName("Load plot data", DataFileFolder(),
                                               QString("%1;;%2").arg(DataFileFilter, TextTablesFilter), Filter);
    if (!Name.isEmpty())
        OpenAnyFile(Name);
}

void TMainTableForm::Save() { SaveDocument(); }

bool TMainTableForm::SaveDocument()
{
    QString Filter = DataFileFilter;
    QString Name =
        Services.SaveFileName("Save the active file as", DataFileFolder(), DataFileFilter, Filter);
    if (Name.isEmpty())
        return false;
    if (QFileInfo(Name).suffix().isEmpty())
        Name += ".plt";
    return SaveToFile(Name);
}

void TMainTableForm::OpenRecent(const QString& FileName)
{
    if (AskOverwrite())
        LoadFromFile(FileName);
}

void TMainTableForm::Import()
{
    if (!AskOverwrite())
        return;
    const QString Filters = QString("%1;;%2;;%3").arg(TextFilterDetect, TextFilterList, TextFilterTabs);
    QString Selected = TextFilterDetect;
    const QString Name = Services.OpenFileName("Load plot data", Q(FSettings.LastImExport), Filters, Selected);
    if (Name.isEmpty())
        return;
    if (Selected != TextFilterList && Selected != TextFilterTabs) {
        ImportTextFile(Name, TTextImport::Import);
        return;
    }
    ImportTable(Name, Selected == TextFilterList ? ListSeparator() : '\t');
}

void TMainTableForm::Export()
{
    const QString Filters = QString("%1;;%2").arg(TextFilterList, TextFilterTabs);
    QString Selected = TextFilterTabs;
    QString Name = Services.SaveFileName("Save the active file as", Q(FSettings.LastImExport), Filters, Selected);
    if (Name.isEmpty())
        return;
    if (QFileInfo(Name).suffix().isEmpty())
        Name += ".txt";
    ExportTable(Name, Selected == TextFilterList ? ListSeparator() : '\t');
}

// ---------------------------------------------------------------- formula editor, help

void TMainTableForm::EditFormula()
{
    std::optional<std::pair<int, int>> Rows;
    // A selected range that includes the active column proposes its rows.
    for (const TKvCellRange& R : SelectedRanges())
        if (R.Left <= ActiveColumn() && ActiveColumn() <= R.Right) {
            Rows = std::make_pair(std::max(R.Top, 0) + 1, std::max(R.Bottom, 0) + 1);
            break;
        }
    FFormulaEditor->Prepare(FDocument.Table, ActiveColumn(), Rows);
    if (FFormulaEditor->exec() == QDialog::Accepted) {
        FFormulaEditor->Apply(FDocument.Table);
        RefreshGrid();
    }
}

void TMainTableForm::ShowAbout()
{
    TAboutForm About(QCoreApplication::applicationVersion(), this);
    About.exec();
}

void TMainTableForm::ShowHelpContents() { FHelp->ShowContents(); }

void TMainTableForm::ShowHelpSearch() { FHelp->ShowSearch(); }

void TMainTableForm::ShowHelpTopic(const QString& Topic) { FHelp->ShowTopic(Topic); }

} // namespace kv
