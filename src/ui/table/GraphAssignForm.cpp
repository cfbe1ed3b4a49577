#include "GraphAssignForm.h"

#include "ui/MainTableForm.h"
#include "ui/graphwindow/GraphForm.h"
#include "ui/widgets/KvCaptionEdit.h"

#include "foundation/KvErrors.h"
#include "foundation/KvLargeIniFile.h"
#include "foundation/KvStrings.h"
#include "graph/KvLabel.h"
#include "workspace/KvWorkspace.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace kv {

namespace {

QString Q(const std::string& S) { return QString::fromStdString(S); }

const char* const KindHeads[] = {"X-Axis", "Y-Axis", "Weight", "X-Axis Position", "Y-Axis Position",
                                 "\u03c3X +", "\u03c3X -", "\u03c3Y +", "\u03c3Y -"};

} // namespace

TGraphAssignForm::TGraphAssignForm(TKvWorkspace& Workspace, TMainTableForm& Table, std::string SettingsFile)
    : QDialog(&Table), FWorkspace(Workspace), FTable(Table), FSettingsFile(std::move(SettingsFile))
{
    setWindowTitle("Assign Columns to Graph");
    BuildDialog();
    FWorkspace.OnWindowRemoving = [this](TKvGraphWindowModel& Model) {
        std::erase_if(FForms, [&Model](const auto& Entry) { return Entry.first == &Model; });
    };
    FWorkspace.OnWindowsRebuilt = [this] { SyncGraphWindows(); };
    FTable.OnAssignGraphs = [this] { Execute(); };
    if (QMenu* Menu = FTable.WindowMenu())
        connect(Menu, &QMenu::aboutToShow, this, [this, Menu] {
            Menu->clear();
            FillWindowMenu(*Menu);
        });
    SyncGraphWindows();
}

TGraphAssignForm::~TGraphAssignForm()
{
    StorePlacements();
    FWorkspace.OnWindowRemoving = nullptr;
    FWorkspace.OnWindowsRebuilt = nullptr;
    FTable.OnAssignGraphs = nullptr;
    FForms.clear();
}

// ---------------------------------------------------------------- graph windows

TGraphForm* TGraphAssignForm::GraphForm(int n) const
{
    if (n < 1 || n > FWorkspace.WindowCount())
        return nullptr;
    TKvGraphWindowModel* Model = &FWorkspace.Window(n);
    for (const auto& [M, Form] : FForms)
        if (M == Model)
            return Form.get();
    return nullptr;
}

void TGraphAssignForm::SyncGraphWindows()
{
    std::vector<std::pair<TKvGraphWindowModel*, std::unique_ptr<TGraphForm>>> Kept;
    for (int n = 1; n <= FWorkspace.WindowCount(); ++n) {
        TKvGraphWindowModel* Model = &FWorkspace.Window(n);
        auto It = std::find_if(FForms.begin(), FForms.end(), [Model](const auto& E) { return E.first == Model; });
        std::unique_ptr<TGraphForm> Form;
        if (It != FForms.end()) {
            Form = std::move(It->second);
            FForms.erase(It);
        } else {
            Form = std::make_unique<TGraphForm>(*Model, FTable);
            Form->FillWindowMenu = [this](QMenu& Menu) { FillWindowMenu(Menu); };
        }
        Form->RebuildSeriesTabs();
        Form->UpdateCaption();
        Form->show();
        Kept.emplace_back(Model, std::move(Form));
    }
    // Windows whose model went without notice (none should) go as well.
    FForms = std::move(Kept);
    FTable.RefreshGrid();
}

void TGraphAssignForm::RebuildGraphWindows()
{
    // After the first rebuild new series take the style of their slot in the
    // settings file, so a slot looks as it did in the last run.
    std::unique_ptr<TKvLargeIniFile> Store;
    if (FRebuiltBefore && !FSettingsFile.empty() && QFileInfo::exists(Q(FSettingsFile))) {
        try {
            Store = std::make_unique<TKvLargeIniFile>(FSettingsFile);
        } catch (const EKvError&) {
            Store.reset(); // an unreadable settings file only costs the styles
        }
    }
    FRebuiltBefore = true;
    FWorkspace.RebuildGraphWindows(Store.get());
    if (Store)
        Store->Release();
}

void TGraphAssignForm::FillWindowMenu(QMenu& Menu)
{
    for (const QString& Entry : FWorkspace.WindowList())
        Menu.addAction(Entry, this, [this, Entry] { ActivateWindowEntry(Entry); });
}

void TGraphAssignForm::ActivateWindowEntry(const QString& Text)
{
    if (Text == "Data Table") {
        FTable.show();
        FTable.raise();
        FTable.activateWindow();
        return;
    }
    for (const auto& Entry : FForms)
        if (Entry.second->windowTitle() == "Plot / " + Text) {
            Entry.second->show();
            Entry.second->raise();
            Entry.second->activateWindow();
        }
}

void TGraphAssignForm::StorePlacements()
{
    for (const auto& Entry : FForms)
        Entry.second->StorePlacement();
}

// ---------------------------------------------------------------- dialog

void TGraphAssignForm::BuildDialog()
{
    auto* Layout = new QVBoxLayout(this);
    auto* Menus = new QMenuBar(this);
    QMenu* File = Menus->addMenu("&File");
    FSaveAndClose = File->addAction("&Save and Close", this, &TGraphAssignForm::Apply);
    FCancelAndClose = File->addAction("&Cancel and Close", this, &TGraphAssignForm::reject);
    Layout->setMenuBar(Menus);
    FTabs = new QTabBar(this);
    FTabs->setExpanding(false);
    Layout->addWidget(FTabs);
    auto* TitleRow = new QHBoxLayout;
    TitleRow->addWidget(new QLabel("Title", this));
    // The title is edited as it will be drawn, like the column captions.
    FTitle = new TKvCaptionEdit(this);
    FTitle->setToolTip("Enter title for graph display");
    TitleRow->addWidget(FTitle, 1);
    Layout->addLayout(TitleRow);
    FGrid = new QTableWidget(this);
    FGrid->setColumnCount(SkCount + 1);
    QStringList Heads{"Series"};
    for (const char* H : KindHeads)
        Heads << QString::fromUtf8(H);
    FGrid->setHorizontalHeaderLabels(Heads);
    FGrid->verticalHeader()->hide();
    Layout->addWidget(FGrid, 1);
    auto* Buttons = new QHBoxLayout;
    auto* NewGraph = new QPushButton("Add New &Graph", this);
    NewGraph->setToolTip("Add a new assignment tab");
    NewGraph->setShortcut(Qt::SHIFT | Qt::Key_Insert);
    auto* NewSeries = new QPushButton("&Add Series", this);
    NewSeries->setToolTip("Add a new series row");
    NewSeries->setShortcut(Qt::CTRL | Qt::Key_Insert);
    auto* Box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    Box->button(QDialogButtonBox::Ok)->setToolTip("Save changes and close");
    Box->button(QDialogButtonBox::Cancel)->setToolTip("Undo changes and close");
    Buttons->addWidget(NewGraph);
    Buttons->addWidget(NewSeries);
    Buttons->addStretch(1);
    Buttons->addWidget(Box);
    Layout->addLayout(Buttons);
    connect(NewGraph, &QPushButton::clicked, this, &TGraphAssignForm::AddNewGraph);
    connect(NewSeries, &QPushButton::clicked, this, &TGraphAssignForm::AddSeries);
    connect(Box, &QDialogButtonBox::accepted, this, &TGraphAssignForm::accept);
    connect(Box, &QDialogButtonBox::rejected, this, &TGraphAssignForm::reject);
    connect(Box, &QDialogButtonBox::helpRequested, this, [this] { FTable.ShowHelpTopic("AssignColumns"); });
    connect(FTabs, &QTabBar::currentChanged, this, [this](int Index) {
        if (!FFilling)
            ShowGraph(Index);
    });
    connect(FTitle, &TKvCaptionEdit::Changed, this, [this] {
        if (FShown < 0 || FShown >= static_cast<int>(FEditGraphs.size()))
            return;
        const QString& Text = FTitle->Caption();
        FEditGraphs[static_cast<size_t>(FShown)].Title = Text.toStdString();
        FTabs->setTabText(FShown, PlainCaption(Text));
    });
    resize(1100, 440);
}

void TGraphAssignForm::Prepare()
{
    TKvGraphAssignment& A = FWorkspace.Document.Assignment;
    // The titles may have been changed in the graphs themselves.
    for (int n = 1; n <= FWorkspace.WindowCount() && n <= A.GraphCount(); ++n)
        A.Graphs[static_cast<size_t>(n - 1)].Title = FWorkspace.Window(n).Graph.Caption().toStdString();
    FEditGraphs = A.Graphs;
    for (TGraphData& D : FEditGraphs)
        D.Resize(A.MaxSeries());
    FFilling = true;
    while (FTabs->count() > 0)
        FTabs->removeTab(0);
    for (const TGraphData& D : FEditGraphs)
        FTabs->addTab(PlainCaption(Q(D.Title)));
    FTabs->setCurrentIndex(0);
    FFilling = false;
    FShown = -1;
    ShowGraph(0);
}

bool TGraphAssignForm::Execute()
{
    Prepare();
    return exec() == QDialog::Accepted;
}

void TGraphAssignForm::ShowGraph(int Index)
{
    FShown = Index;
    if (Index < 0 || Index >= static_cast<int>(FEditGraphs.size()))
        return;
    FTitle->SetCaption(Q(FEditGraphs[static_cast<size_t>(Index)].Title));
    FTitle->SetCaretIndex(static_cast<int>(FTitle->Text().size())); // typing goes on after the title
    FillGrid();
}

QStringList TGraphAssignForm::ColumnEntries() const
{
    const TKvDataTable& Table = FWorkspace.Document.Table;
    QStringList Entries{" not selected"};
    for (int k = 1; k <= Table.MaxColumns(); ++k)
        Entries << Q(ColumnName(k)) + ": " + PlainCaption(Q(Table.Column(k).Header));
    return Entries;
}

std::vector<int32_t>& TGraphAssignForm::Array(TGraphData& D, TSlotKind Kind) const
{
    std::vector<int32_t>* Arrays[] = {&D.XAxis,    &D.YAxis,  &D.Weight,  &D.XAxisPos, &D.YAxisPos,
                                      &D.dXPlus,   &D.dXMinus, &D.dYPlus, &D.dYMinus};
    return *Arrays[Kind];
}

QComboBox* TGraphAssignForm::NewSlotCombo(int Slot, TSlotKind Kind)
{
    static const QStringList XPositions{"Bottom", "Top"}, YPositions{"Left", "Right"};
    auto* Combo = new QComboBox(FGrid);
    Combo->addItems(Kind == SkXPos ? XPositions : Kind == SkYPos ? YPositions : ColumnEntries());
    TGraphData& D = FEditGraphs[static_cast<size_t>(FShown)];
    // A stored number the list does not hold shows as no choice.
    const int32_t Value = Array(D, Kind)[static_cast<size_t>(Slot)];
    Combo->setCurrentIndex(Value >= 0 && Value < Combo->count() ? Value : -1);
    connect(Combo, &QComboBox::currentIndexChanged, this, [this, Slot, Kind](int Index) {
        if (FShown < 0 || Index < 0)
            return;
        Array(FEditGraphs[static_cast<size_t>(FShown)], Kind)[static_cast<size_t>(Slot)] = Index;
    });
    return Combo;
}

void TGraphAssignForm::FillGrid()
{
    const int Slots = FWorkspace.Document.Assignment.MaxSeries();
    FGrid->clearContents();
    FGrid->setRowCount(Slots);
    for (int s = 0; s < Slots; ++s) {
        const QColor Back = s % 2 ? QColor(242, 228, 217) : QColor(Qt::white);
        auto* Head = new QTableWidgetItem(QString::number(s + 1));
        Head->setFlags(Qt::ItemIsEnabled);
        Head->setBackground(Back);
        Head->setTextAlignment(Qt::AlignCenter);
        FGrid->setItem(s, 0, Head);
        for (int k = 0; k < SkCount; ++k) {
            auto* Cell = new QTableWidgetItem;
            Cell->setBackground(Back);
            FGrid->setItem(s, k + 1, Cell);
            QComboBox* Combo = NewSlotCombo(s, static_cast<TSlotKind>(k));
            Combo->setAutoFillBackground(true);
            QPalette P = Combo->palette();
            P.setColor(QPalette::Button, Back);
            Combo->setPalette(P);
            FGrid->setCellWidget(s, k + 1, Combo);
        }
    }
    FGrid->resizeColumnsToContents();
}

QComboBox* TGraphAssignForm::SlotCombo(int Slot, TSlotKind Kind) const
{
    return qobject_cast<QComboBox*>(FGrid->cellWidget(Slot, static_cast<int>(Kind) + 1));
}

void TGraphAssignForm::AddNewGraph()
{
    const int32_t MaxSeries = FWorkspace.Document.Assignment.MaxSeries();
    TGraphData& D = FEditGraphs.emplace_back();
    D.Reset(MaxSeries);
    D.Title = "Graph(" + std::to_string(FEditGraphs.size()) + ")";
    FTabs->addTab(PlainCaption(Q(D.Title)));
}

void TGraphAssignForm::AddSeries()
{
    TKvGraphAssignment& A = FWorkspace.Document.Assignment;
    A.SetMaxSeries(A.MaxSeries() + 1);
    for (TGraphData& D : FEditGraphs)
        D.Resize(A.MaxSeries());
    FillGrid();
}

void TGraphAssignForm::Apply()
{
    TKvDocument& Doc = FWorkspace.Document;
    Doc.Assignment.Graphs = FEditGraphs;
    if (Doc.Assignment.Graphs.empty())
        Doc.Assignment.AddGraph();
    RebuildGraphWindows();
    Doc.UpdateLockedRows();
    FTable.RefreshGrid();
    // The rebuild may have dropped graphs without series: show what stays.
    const int Keep = std::max(0, FShown);
    Prepare();
    FTabs->setCurrentIndex(std::min(Keep, FTabs->count() - 1));
}

void TGraphAssignForm::accept()
{
    Apply();
    FWorkspace.Document.Table.MarkModified();
    FTable.RefreshGrid();
    QDialog::accept();
}

void TGraphAssignForm::reject()
{
    // Graphs added in the dialog are dropped; added slots stay, empty.
    FEditGraphs.clear();
    QDialog::reject();
}

} // namespace kv
