#include "GraphForm.h"

#include "GraphCalculations.h"
#include "GraphParametersForm.h"
#include "KvGraphView.h"
#include "KvZoomFrame.h"

#include "ui/KvIcons.h"
#include "ui/MainTableForm.h"
#include "ui/report/GraphReportCommands.h"

#include "foundation/KvErrors.h"
#include "foundation/KvLargeIniFile.h"
#include "foundation/KvStrings.h"
#include "graph/KvGraphPicture.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace kv {

namespace {

QString Q(const std::string& S) { return QString::fromStdString(S); }
std::string S(const QString& Q) { return Q.toStdString(); }

// The commands that come with the calculation panels and the reports; they
// exist, disabled, until those arrive.
constexpr const char* LaterActions[] = {"AddLinReg", "AddPolynomial", "AddNonlinearRegression", "AddInterpolation",
                                        "AddDifferential", "AddIntegral", "DeleteTab", "RangeMarkers",
                                        "DisplayRangeMarkers", "ReportClipBoard", "EditGraphPrintout", "PrintReport",
                                        "PrinterSetup", "PrintPreview", "SaveReport"};

// Small glyphs of the zoom commands: a magnifier with a plus, an arrow
// back, and a frame with its corners pulled out.
QIcon ZoomIcon(int Kind)
{
    QPixmap Pixmap(24, 24);
    Pixmap.fill(Qt::transparent);
    QPainter P(&Pixmap);
    P.setRenderHint(QPainter::Antialiasing);
    P.setPen(QPen(QColor(30, 60, 140), 2));
    if (Kind == 0) {
        P.drawEllipse(QRectF(3, 3, 13, 13));
        P.drawLine(QPointF(14, 14), QPointF(21, 21));
        P.drawLine(QPointF(6.5, 9.5), QPointF(12.5, 9.5));
        P.drawLine(QPointF(9.5, 6.5), QPointF(9.5, 12.5));
    } else if (Kind == 1) {
        P.drawLine(QPointF(4, 12), QPointF(20, 12));
        P.drawLine(QPointF(4, 12), QPointF(10, 6));
        P.drawLine(QPointF(4, 12), QPointF(10, 18));
    } else {
        P.drawRect(QRectF(7, 7, 10, 10));
        for (QPointF C : {QPointF(3, 3), QPointF(21, 3), QPointF(3, 21), QPointF(21, 21)})
            P.drawLine(C, QPointF(12, 12) + (C - QPointF(12, 12)) * 0.45);
    }
    return QIcon(Pixmap);
}

} // namespace

TGraphForm::TGraphForm(TKvGraphWindowModel& Model, TMainTableForm& Table, QWidget* Parent)
    : QMainWindow(Parent), FModel(&Model), FTable(Table)
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    // The program ends with the table window, not with the last graph.
    setAttribute(Qt::WA_QuitOnClose, false);
    CreateActions();
    auto* Central = new QWidget(this);
    auto* Layout = new QHBoxLayout(Central);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->setSpacing(0);
    Layout->addWidget(CreatePlotSide(), 1);
    Layout->addWidget(CreateSidePanel());
    setCentralWidget(Central);
    CreateMenus();
    CreateToolBar();
    CreateLegendMenu();
    CreateStatusBar();
    ConnectStyleControls();
    FCalculations = std::make_unique<TGraphCalculations>(*this);
    FParameters = FTable.ParametersDialog();
    connect(Action("GraphAndAxisParameters"), &QAction::triggered, this, [this] {
        if (!FParameters)
            return;
        FParameters->AttachGraphWindow(FModel, windowTitle());
        FParameters->OnApplied = [this] {
            CalculationsTabChange();
            FView->update();
            FTable.RefreshGrid();
        };
        FParameters->show();
        FParameters->raise();
    });
    UpdateCaption();
    ApplyPlacement();
    auto* Idle = new QTimer(this);
    connect(Idle, &QTimer::timeout, this, &TGraphForm::UpdateActions);
    Idle->start(150);
    UpdateActions();
}

TGraphForm::~TGraphForm()
{
    if (FParameters)
        FParameters->DetachGraphWindow(FModel);
    if (FKeysPreviewed)
        qApp->removeEventFilter(this);
}

QAction* TGraphForm::Action(const QString& Name) const
{
    auto It = FActions.find(Name);
    if (It == FActions.end())
        throw EConvertError("No action " + S(Name));
    return It->second;
}

QAction* TGraphForm::AddAction(const QString& Name, const QString& Caption, const QString& Hint,
                               const QKeySequence& Key)
{
    auto* A = new QAction(Caption, this);
    A->setObjectName(Name);
    A->setStatusTip(Hint);
    A->setToolTip(Hint);
    if (!Key.isEmpty())
        A->setShortcut(Key);
    FActions[Name] = A;
    return A;
}

void TGraphForm::CreateActions()
{
    AddAction("GraphAndAxisParameters", "Graph,  Axis and Legend Parameters", "Set outfit of graph, axis and legend");
    AddAction("AddLinReg", "Add linear &Regression", "Add new linear regression line");
    AddAction("AddPolynomial", "Add &Polynomial", "Add new polynomial regression line");
    AddAction("AddNonlinearRegression", "Add &nonlinear Regression", "Add new non linear regression line");
    AddAction("AddInterpolation", "Add &Interpolation", "Add new interpolation line");
    AddAction("AddDifferential", "Add &Differential", "Add new interpolated differential");
    AddAction("AddIntegral", "Add &Integral", "Add new interpolated integral");
    AddAction("DeleteTab", "Delete selected calculation", "Delete selected calculation", Qt::SHIFT | Qt::Key_Delete);
    AddAction("ZoomIn", "Zoom &In", "Zoom into graph")->setCheckable(true);
    AddAction("ZoomBack", "Zoom &Back", "Zoom one stage back");
    AddAction("ZoomAll", "Zoom Show &All", "Show whole graph again");
    AddAction("RangeMarkers", "", "Set calculation range with markers and mouse")->setCheckable(true);
    AddAction("DisplayRangeMarkers", "", "Set line display range with markers and mouse")->setCheckable(true);
    AddAction("SaveGraphOutfit", "&Save Outfit", "Save the outfit of the graph");
    AddAction("LoadGraphOutfit", "&Load Outfit", "Load the outfit of the graph");
    AddAction("SaveGraphMetafile", "Save &Graph", "Save graph picture as metafile");
    AddAction("EditCut", "Cu&t", "Cuts the selection and puts it on the clipboard", QKeySequence::Cut);
    AddAction("EditCopy", "&Copy", "Copies the selection and puts it on the clipboard", QKeySequence::Copy);
    AddAction("EditPaste", "&Paste", "Inserts clipboard contents", QKeySequence::Paste);
    AddAction("GraphClipBrd", "&Graph to Clipboard", "Put the graph picture as metafile to clipboard");
    AddAction("ReportClipBoard", "&Report to Clipboard", "Put report as rich text to clipboard");
    AddAction("EditGraphPrintout", "&Report", "Edit report template");
    AddAction("PrintReport", "&Print Report", "Print the report");
    AddAction("PrinterSetup", "Printer Set&up", "Set up the printer");
    AddAction("PrintPreview", "Print Pre&view", "Preview the report to print");
    AddAction("SaveReport", "Save Repor&t", "Save the report as rich text document");
    for (const char* Name : LaterActions)
        Action(Name)->setEnabled(false);
    AttachReportCommands(*this);

    connect(Action("ZoomIn"), &QAction::triggered, this, &TGraphForm::ZoomIn);
    connect(Action("ZoomBack"), &QAction::triggered, this, &TGraphForm::ZoomBack);
    connect(Action("ZoomAll"), &QAction::triggered, this, &TGraphForm::ZoomAll);
    connect(Action("SaveGraphOutfit"), &QAction::triggered, this, &TGraphForm::SaveGraphOutfit);
    connect(Action("LoadGraphOutfit"), &QAction::triggered, this, &TGraphForm::LoadGraphOutfit);
    connect(Action("SaveGraphMetafile"), &QAction::triggered, this, &TGraphForm::SaveGraphMetafile);
    connect(Action("EditCopy"), &QAction::triggered, this, &TGraphForm::EditCopy);
    connect(Action("GraphClipBrd"), &QAction::triggered, this, [this] {
        CheckSizersOn();
        CopyGraphToClipboard();
    });
    connect(Action("EditCut"), &QAction::triggered, this, [] {
        if (auto* Edit = qobject_cast<QLineEdit*>(QApplication::focusWidget()))
            Edit->cut();
    });
    connect(Action("EditPaste"), &QAction::triggered, this, [] {
        if (auto* Edit = qobject_cast<QLineEdit*>(QApplication::focusWidget()))
            Edit->paste();
    });
}

void TGraphForm::CreateMenus()
{
    auto Fill = [this](QMenu* Menu, std::initializer_list<const char*> Names) {
        for (const char* Name : Names)
            *Name ? (void)Menu->addAction(Action(Name)) : (void)Menu->addSeparator();
    };
    QMenu* File = menuBar()->addMenu("&File");
    Fill(File, {"LoadGraphOutfit", "SaveGraphOutfit", "SaveReport", "SaveGraphMetafile", "", "EditGraphPrintout", "",
                "PrinterSetup", "PrintPreview", "PrintReport", ""});
    File->addAction(FTable.Action("Exit"));
    Fill(menuBar()->addMenu("&Edit"),
         {"EditCut", "EditCopy", "EditPaste", "", "GraphClipBrd", "ReportClipBoard", "", "DeleteTab"});
    Fill(menuBar()->addMenu("&Calculations"), {"AddLinReg", "AddPolynomial", "AddNonlinearRegression", "",
                                                "AddInterpolation", "AddDifferential", "AddIntegral"});
    Fill(menuBar()->addMenu("&Zoom"), {"ZoomIn", "ZoomBack", "ZoomAll"});
    QMenu* Options = menuBar()->addMenu("&Options");
    Options->addAction(Action("GraphAndAxisParameters"));
    QMenu* Toolbar = Options->addMenu("Toolbar");
    for (int i = 0; i < 3; ++i)
        Toolbar->addAction(FTable.Action(QString("IconStyle%1").arg(i)));
    FWindowMenu = menuBar()->addMenu("&Window");
    connect(FWindowMenu, &QMenu::aboutToShow, this, [this] {
        FWindowMenu->clear();
        if (FillWindowMenu)
            FillWindowMenu(*FWindowMenu);
    });
    QMenu* Help = menuBar()->addMenu("&Help");
    for (const char* Name : {"HelpContents", "HelpSearch", "About"})
        Help->addAction(FTable.Action(Name));

    FGraphMenu = new QMenu(this);
    Fill(FGraphMenu, {"GraphAndAxisParameters", "GraphClipBrd", "ReportClipBoard", "ZoomIn", "ZoomBack", "ZoomAll"});
    connect(FView, &TKvGraphView::GraphMenuRequested, this, [this](QPoint At) { FGraphMenu->popup(At); });
}

void TGraphForm::CreateToolBar()
{
    // Commands with a glyph show it; the others show their caption.
    FToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    Action("SaveGraphOutfit")->setIcon(CommandIcon("save"));
    Action("LoadGraphOutfit")->setIcon(CommandIcon("open"));
    for (int k = 0; k < 3; ++k)
        Action(k == 0 ? "ZoomIn" : k == 1 ? "ZoomBack" : "ZoomAll")->setIcon(ZoomIcon(k));
    for (const auto& [Name, Short] : {std::pair{"GraphAndAxisParameters", "Parameters"}, {"AddLinReg", "Lin. Reg."},
                                      {"AddPolynomial", "Polynomial"}, {"AddNonlinearRegression", "Nonlin. Reg."},
                                      {"AddInterpolation", "Interpolation"}, {"AddDifferential", "Differential"},
                                      {"AddIntegral", "Integral"}})
        Action(Name)->setIconText(Short);
    for (const char* Name : {"SaveGraphOutfit", "LoadGraphOutfit", "", "PrinterSetup", "PrintPreview", "PrintReport",
                             "", "*AssignGraphs", "GraphAndAxisParameters", "", "ZoomIn", "ZoomBack", "ZoomAll", "",
                             "AddLinReg", "AddPolynomial", "AddNonlinearRegression", "", "AddInterpolation",
                             "AddDifferential", "AddIntegral"}) {
        if (!*Name)
            FToolBar->addSeparator();
        else if (*Name == '*')
            FToolBar->addAction(FTable.Action(Name + 1));
        else
            FToolBar->addAction(Action(Name));
    }
}

void TGraphForm::CreateLegendMenu()
{
    FLegendMenu = new QMenu(this);
    QAction* Hide = FLegendMenu->addAction("&Hide", this, &TGraphForm::HideLegend);
    Hide->setStatusTip("Hides legend");
    FLegendMenu->addSeparator();
    FLegendPositions = new QActionGroup(this);
    const std::pair<TKvAxisPos, std::pair<const char*, const char*>> Items[] = {
        {TKvAxisPos::AxTopPos, {"&Top of Graph", "Put legend between title and top axis"}},
        {TKvAxisPos::AxBottomPos, {"&Bottom of Graph", "Put legend to bottom of graph"}},
        {TKvAxisPos::AxLeftPos, {"&Left of Graph", "Put legend to left of graph"}},
        {TKvAxisPos::AxRightPos, {"&Right of Graph", "Put legend to right of graph"}},
        {TKvAxisPos::AxFreeFloating, {"&Free floating", "Legend can be dragged to any place"}}};
    for (const auto& [Position, Texts] : Items) {
        QAction* A = FLegendMenu->addAction(Texts.first);
        A->setStatusTip(Texts.second);
        A->setCheckable(true);
        A->setData(static_cast<int>(Position));
        FLegendPositions->addAction(A);
        connect(A, &QAction::triggered, this, [this, Position] { SetLegendPosition(Position); });
    }
    FLegendMenu->addSeparator();
    FLegendMenu->addAction(Action("GraphAndAxisParameters"));
    connect(FView, &TKvGraphView::LegendMenuRequested, this, [this](TKvLegend*, QPoint At) {
        UpdateActions();
        FLegendMenu->popup(At);
    });
}

void TGraphForm::CreateStatusBar()
{
    const int Widths[] = {50, 120, 50};
    for (size_t i = 0; i < FPanels.size(); ++i) {
        FPanels[i] = new QLabel(this);
        FPanels[i]->setMinimumWidth(Widths[i]);
        FPanels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        statusBar()->addWidget(FPanels[i], i == 2 ? 1 : 0);
    }
}

QWidget* TGraphForm::CreatePlotSide()
{
    auto* Side = new QWidget(this);
    auto* Layout = new QVBoxLayout(Side);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->setSpacing(0);
    FToolBar = new QToolBar(Side);
    Layout->addWidget(FToolBar);
    FView = new TKvGraphView(Graph(), Side);
    FView->setToolTip("Drag frame to zoom / Click point to find in table");
    Layout->addWidget(FView, 1);
    FZoomFrame = new TKvZoomFrame(FView);
    connect(FZoomFrame, &TKvZoomFrame::DoubleClicked, this, [this] { Action("ZoomIn")->trigger(); });
    connect(FView, &TKvGraphView::MouseMoved, this, &TGraphForm::GraphMouseMove);
    connect(FView, &TKvGraphView::Clicked, this, &TGraphForm::GraphClick);
    return Side;
}

// ---------------------------------------------------------------- zoom

void TGraphForm::ZoomIn(bool Checked)
{
    if (Checked) {
        for (const char* Name : {"RangeMarkers", "DisplayRangeMarkers"})
            if (Action(Name)->isChecked())
                Action(Name)->trigger();
        PrepareForPaint();
        const TKvRect& P = Graph().World().PlotRect;
        FZoomFrame->setGeometry(P.Left - 2, P.Top - 2, P.Width() + 5, P.Height() + 5);
        FZoomFrame->show();
        FZoomFrame->raise();
        // Enter and Escape reach the frame wherever the focus is.
        if (!FKeysPreviewed)
            qApp->installEventFilter(this);
        FKeysPreviewed = true;
        return;
    }
    ApplyZoomFrame();
}

void TGraphForm::ApplyZoomFrame()
{
    // The frame's inner rectangle, its right and bottom edges two further in.
    const QRect F = FZoomFrame->geometry();
    const TKvRect Rect{F.left() + 2, F.top() + 2, F.left() + F.width() - 4, F.top() + F.height() - 4};
    CancelZoomFrame();
    if (Rect.Width() > 0 && Rect.Height() > 0)
        Graph().ZoomToRect(Rect);
}

void TGraphForm::CancelZoomFrame()
{
    FZoomFrame->hide();
    if (FKeysPreviewed)
        qApp->removeEventFilter(this);
    FKeysPreviewed = false;
    Action("ZoomIn")->setChecked(false);
}

void TGraphForm::ZoomBack()
{
    CheckSizersOn();
    for (TKvAxis* A : {&FModel->BottomAxis, &FModel->LeftAxis, &FModel->TopAxis, &FModel->RightAxis})
        A->ZoomBack();
    UpdateActions();
}

void TGraphForm::ZoomAll()
{
    CheckSizersOn();
    for (TKvAxis* A : {&FModel->BottomAxis, &FModel->LeftAxis, &FModel->TopAxis, &FModel->RightAxis})
        A->ResetZoom();
    UpdateActions();
}

void TGraphForm::PrepareForPaint()
{
    if (FCalculations)
        FCalculations->PrepareForPaint();
    else
        Graph().PrepareForPaint();
}

void TGraphForm::CheckSizersOn()
{
    for (const char* Name : {"ZoomIn", "RangeMarkers", "DisplayRangeMarkers"})
        if (Action(Name)->isChecked())
            Action(Name)->trigger();
}

bool TGraphForm::eventFilter(QObject* Watched, QEvent* Event)
{
    if (FKeysPreviewed && Event->type() == QEvent::KeyPress) {
        auto* W = qobject_cast<QWidget*>(Watched);
        const int Key = static_cast<QKeyEvent*>(Event)->key();
        if (W && W->window() == this && Action("ZoomIn")->isChecked()) {
            if (Key == Qt::Key_Return || Key == Qt::Key_Enter) {
                Action("ZoomIn")->trigger();
                return true;
            }
            if (Key == Qt::Key_Escape) {
                CancelZoomFrame();
                return true;
            }
        }
    }
    if (Event->type() == QEvent::FocusIn && Watched->property("KvNumericEdit").toBool())
        CheckSizersOn();
    return QMainWindow::eventFilter(Watched, Event);
}

// ---------------------------------------------------------------- legend

void TGraphForm::SetLegendPosition(TKvAxisPos Position)
{
    CheckSizersOn();
    TKvLegend& L = FModel->Legend;
    if (Position == TKvAxisPos::AxTopPos || Position == TKvAxisPos::AxBottomPos)
        L.SetHorizontal(true);
    else if (Position != TKvAxisPos::AxFreeFloating)
        L.SetHorizontal(false);
    L.SetInGraphPosition(Position);
    Graph().RequestLayout();
    UpdateActions();
}

void TGraphForm::HideLegend()
{
    FModel->Legend.Visible = false;
    Graph().RequestLayout();
}

// ---------------------------------------------------------------- idle state

void TGraphForm::UpdateActions()
{
    auto* Edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    const bool InWindow = Edit && Edit->window() == this;
    Action("EditCut")->setEnabled(InWindow && Edit->hasSelectedText() && !Edit->isReadOnly());
    Action("EditPaste")->setEnabled(InWindow && !QApplication::clipboard()->text().isEmpty());
    Action("ZoomBack")->setEnabled(FModel->BottomAxis.HasZoomHistory());
    const TKvLegend& L = FModel->Legend;
    for (QAction* A : FLegendPositions->actions())
        if (A->data().toInt() == static_cast<int>(L.InGraphPosition()))
            A->setChecked(true);
    const QString Hint = L.InGraphPosition() == TKvAxisPos::AxFreeFloating ? "Drag legent to any position"
                                                                            : "Right click to change position";
    FView->setProperty("KvLegendHint", Hint);
}

// ---------------------------------------------------------------- mouse

int TGraphForm::ColumnOfVector(const TKvRealVector* V) const
{
    TKvDataTable& Table = FTable.Document().Table;
    for (int k = 1; V && k <= Table.MaxColumns(); ++k)
        if (&Table.Data(k) == V)
            return k - 1;
    return -1;
}

void TGraphForm::ShowReadOut(double X, double Y)
{
    FPanels[1]->setText("X:" + Q(FloatToTextMaxLength(8, X)) + " Y:" + Q(FloatToTextMaxLength(8, Y)));
}

void TGraphForm::GraphMouseMove(const QPoint& Position)
{
    if (FView->LegendAt(Position))
        FView->setToolTip(FView->property("KvLegendHint").toString());
    else
        FView->setToolTip("Drag frame to zoom / Click point to find in table");
    FFoundPoint = -1;
    if (!FActiveSeries) {
        FPanels[0]->clear();
        FPanels[1]->clear();
        return;
    }
    // The pixel positions follow the data only after a layout.
    PrepareForPaint();
    TKvDataWithErrorSeries& Series = *FActiveSeries;
    try {
        FFoundPoint = Series.FindPoint(Position.x(), Position.y(), Series.PointStyle.Size());
        if (FFoundPoint < 0) {
            FPanels[0]->clear();
            ShowReadOut(Series.PixelToX(Position.x()), Series.PixelToY(Position.y()));
            return;
        }
        const QString Number = "#:" + QString::number(FFoundPoint + 1);
        FPanels[0]->setText(Number);
        FPanels[0]->setMinimumWidth(std::max(50, FPanels[0]->fontMetrics().horizontalAdvance(Number) + 8));
        FFoundColumn = ColumnOfVector(Series.YData());
        const TKvRealVector* XV = Series.XData();
        const TKvRealVector* YV = Series.YData();
        ShowReadOut(XV && FFoundPoint < XV->Count() ? (*XV)[FFoundPoint] : 0.0,
                    YV && FFoundPoint < YV->Count() ? (*YV)[FFoundPoint] : 0.0);
    } catch (const EKvError&) {
        // A series without axes has nothing to read out.
        FFoundPoint = -1;
        FPanels[0]->clear();
        FPanels[1]->clear();
    }
}

void TGraphForm::GraphClick(const QPoint& Position)
{
    GraphMouseMove(Position);
    if (FFoundPoint < 0 || FFoundColumn < 0)
        return;
    FTable.GoToCell(FFoundColumn + 1, FFoundPoint + 1);
}

// ---------------------------------------------------------------- clipboard

void TGraphForm::EditCopy()
{
    QWidget* Focus = QApplication::focusWidget();
    if (Focus && Focus->window() == this) {
        if (auto* Edit = qobject_cast<QLineEdit*>(Focus); Edit && Edit->hasSelectedText()) {
            QApplication::clipboard()->setText(Edit->selectedText());
            return;
        }
        if (auto* List = qobject_cast<QListWidget*>(Focus)) {
            QApplication::clipboard()->setText(List->currentItem() ? List->currentItem()->text() : QString());
            return;
        }
        if (auto* Combo = qobject_cast<QComboBox*>(Focus)) {
            QApplication::clipboard()->setText(Combo->currentText());
            return;
        }
        if (const std::optional<QString> Value = FCalculations->CoefficientToCopy(Focus)) {
            QApplication::clipboard()->setText(*Value);
            return;
        }
    }
    CopyGraphToClipboard();
}

void TGraphForm::CopyGraphToClipboard()
{
    kv::CopyToClipboard(Graph());
    FView->update();
}

// ---------------------------------------------------------------- files

void TGraphForm::SaveGraphOutfit()
{
    CheckSizersOn();
    TKvTableSettings& Settings = FTable.MutableSettings();
    if (FModel->OutfitFile.empty())
        FModel->OutfitFile = Settings.LastOFTLoaded;
    QString Filter = OutfitFilter;
    const QString Chosen = FTable.Services.SaveFileName("Save Outfit", Q(FModel->OutfitFile), OutfitFilter, Filter);
    if (Chosen.isEmpty())
        return;
    QString Path = Chosen;
    if (QFileInfo(Path).suffix().isEmpty())
        Path += ".oft";
    Settings.LastOFTLoaded = FModel->OutfitFile = S(Path);
    try {
        TKvLargeIniFile Store(S(Path));
        FModel->SaveOutfit(Store);
        Store.Release();
    } catch (const EKvError& E) {
        FTable.Services.ShowError(Q(E.what()));
    }
}

void TGraphForm::LoadGraphOutfit()
{
    CheckSizersOn();
    QString Filter = OutfitFilter;
    const QString Chosen = FTable.Services.OpenFileName("Load Outfit", Q(FModel->OutfitFile), OutfitFilter, Filter);
    if (Chosen.isEmpty())
        return;
    if (!QFileInfo::exists(Chosen)) {
        FTable.Services.ShowError("File not found: " + Chosen);
        return;
    }
    FTable.MutableSettings().LastOFTLoaded = FModel->OutfitFile = S(Chosen);
    try {
        FModel->LoadOutfitFile(S(Chosen));
    } catch (const EKvError& E) {
        FTable.Services.ShowError(Q(E.what()));
    }
    Graph().RequestLayout();
    CalculationsTabChange();
}

void TGraphForm::SaveGraphMetafile()
{
    CheckSizersOn();
    TKvTableSettings& Settings = FTable.MutableSettings();
    QString Filter = "Enhanced Windows Metafile (*.emf)";
    const QString Chosen = FTable.Services.SaveFileName("Save Graph", Q(Settings.LastEMFLoaded), MetafileFilter, Filter);
    if (Chosen.isEmpty())
        return;
    // The chosen filter decides the format unless the name says it.
    const bool Enhanced = Filter.startsWith("Enhanced");
    QString Path = Chosen;
    const QString Suffix = QFileInfo(Path).suffix().toLower();
    if (Suffix != "emf" && Suffix != "wmf")
        Path += Enhanced ? ".emf" : ".wmf";
    try {
        kv::SaveGraphMetafile(Graph(), Path);
        Settings.LastEMFLoaded = S(QFileInfo(Path).absolutePath() + "/");
    } catch (const EKvError& E) {
        FTable.Services.ShowError(Q(E.what()));
    }
}

// ---------------------------------------------------------------- placement

void TGraphForm::UpdateCaption() { setWindowTitle(FModel->Caption); }

void TGraphForm::ApplyPlacement()
{
    const TKvFormPlacement& P = FModel->Placement;
    if (!(P == TKvFormPlacement{}) && P.Width > 0 && P.Height > 0)
        setGeometry(P.Left, P.Top, P.Width, P.Height);
    else
        resize(800, 560);
    if (P.State == TKvWindowState::WsMaximized)
        setWindowState(Qt::WindowMaximized);
}

void TGraphForm::StorePlacement()
{
    const QRect G = normalGeometry().isValid() ? normalGeometry() : geometry();
    FModel->Placement = {isMaximized() ? TKvWindowState::WsMaximized
                                       : isMinimized() ? TKvWindowState::WsMinimized : TKvWindowState::WsNormal,
                         G.top(), G.left(), G.height(), G.width()};
}

void TGraphForm::closeEvent(QCloseEvent* Event)
{
    // Closing only hides: the window keeps its state and stays listed. A
    // fit of the window stops after its pass, so the other windows, which
    // are off while it runs, come back.
    if (FCalculations)
        FCalculations->StopFit();
    CheckSizersOn();
    StorePlacement();
    Event->accept();
}

} // namespace kv
