#include "GraphParametersForm.h"

#include "graph/KvDataSeries.h"
#include "graph/KvDraw.h"
#include "graph/KvGraph2D.h"
#include "graph/KvLegend.h"
#include "workspace/KvGraphWindowModel.h"

#include "foundation/KvLargeIniFile.h"
#include "ui/widgets/KvCaptionEdit.h"

#include <QCloseEvent>
#include <QColorDialog>
#include <QFontDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include <cstdlib>

namespace kv {

namespace {

constexpr int CaptionLimit = 255;

std::array<TKvAxis*, 4> AxesOf(TKvGraphWindowModel& W)
{
    return {&W.BottomAxis, &W.LeftAxis, &W.TopAxis, &W.RightAxis};
}

TAxisParameters ReadAxis(const TKvAxis& Axis, int Index)
{
    TAxisParameters A;
    A.Scaling = Axis.Scaling();
    A.Visible = Axis.Visible();
    A.Twisted = Axis.Twisted();
    A.ShowCaption = Axis.ShowCaption();
    A.DoUserCaption = Axis.DoUserCaption();
    A.ShowScaleLabels = Axis.ShowScaleLabels();
    // The sign of the major tick length tells the tick direction; which
    // sign points to the data depends on the side of the axis.
    A.TicksToData = Index == AxBottom || Index == AxRight ? Axis.MajorTickLength() < 0 : Axis.MajorTickLength() >= 0;
    A.AutoTicks = Axis.AutoTicks();
    A.AutoRange = Axis.StartEnd() == TKvAxEnd::AxAutoRange;
    A.ZoomOutOnApply = false;
    A.MajorTickLength = std::abs(Axis.MajorTickLength());
    A.TickLength = std::abs(Axis.TickLength());
    A.MajorTickThicknes = Axis.MajorTickThicknes;
    A.TickThicknes = Axis.TickThicknes;
    A.AxisThicknes = Axis.AxisThicknes;
    A.BorderCaptionGap = Axis.BorderCaptionGap();
    A.CaptionScalingsGap = Axis.CaptionScalingsGap();
    A.ScalingsTicksGap = Axis.ScalingsTicksGap();
    A.ExponentScalingsGap = Axis.ExponentScalingsGap();
    A.ValuesTicksGap = Axis.ValuesTicksGap();
    A.AxisColor = Axis.AxisColor;
    A.MajorTickColor = Axis.MajorTickColor;
    A.TickColor = Axis.TickColor;
    A.MajorTickPart = Axis.MajorTickPart();
    A.TickPart = Axis.TickPart();
    A.LabelPart = Axis.LabelPart();
    A.Start = Axis.Start();
    A.Stop = Axis.Stop();
    A.UserCaption = Axis.UserCaption();
    A.AutoCaption = Axis.AutoCaption();
    return A;
}

bool UsesAxis(const TKv2DGraph& Graph, const TKvAxis* Axis)
{
    for (const auto& S : Graph.OwnedSeries())
        if (S->XAxis() == Axis || S->YAxis() == Axis)
            return true;
    return false;
}

} // namespace

TGraphParametersForm::TGraphParametersForm(std::string SettingsFile, QWidget* Parent)
    : QDialog(Parent, Qt::Tool | Qt::WindowStaysOnTopHint), FSettingsFile(std::move(SettingsFile))
{
    setObjectName("GraphParametersForm");
    setWindowTitle("Plot / Set Parameters of active Graph");
    setModal(false);
    ChooseFont = [this](TKvFontRecord& Font) {
        bool Ok = false;
        const QFont Chosen = QFontDialog::getFont(&Ok, ToQFont(Font), this);
        if (Ok) {
            Font.Name = Chosen.family().toStdString();
            Font.Size = Chosen.pointSize();
            Font.Bold = Chosen.bold();
            Font.Italic = Chosen.italic();
            Font.Underline = Chosen.underline();
            Font.StrikeOut = Chosen.strikeOut();
        }
        return Ok;
    };
    ChooseColor = [this](TColor& Color) {
        const QColor Chosen = QColorDialog::getColor(ToQColor(Color), this);
        if (Chosen.isValid())
            Color = FromQColor(Chosen);
        return Chosen.isValid();
    };
    auto* Layout = new QVBoxLayout(this);
    FMarkupBar = new QToolBar(this);
    FMarkupBar->setObjectName("MarkupBar");
    FMarkupBar->setIconSize(QSize(16, 16));
    FMarkupBar->hide();
    Layout->addWidget(FMarkupBar);
    FPages = new QTabWidget(this);
    FPages->setObjectName("Pages");
    Layout->addWidget(FPages);
    auto* Graph = new QWidget;
    auto* Axis = new QWidget;
    auto* Legend = new QWidget;
    FPages->addTab(Graph, "Graph");
    FPages->addTab(Axis, "Axis");
    FPages->addTab(Legend, "Legend");
    BuildGraphPage(Graph);
    BuildAxisPage(Axis);
    BuildLegendPage(Legend);
    connect(FPages, &QTabWidget::currentChanged, this, [this](int Page) {
        if (Page == 0)
            FillGraphPage();
        else if (Page == 1)
            FillAxisPage();
        else
            FillLegendPage();
    });
    auto* Buttons = new QHBoxLayout;
    const struct {
        const char* Name;
        const char* Text;
        const char* Hint;
        void (TGraphParametersForm::*Slot)();
    } Specs[] = {
        {"UpdateBtn", "&Update", "Aplly the changes to the graph (dont close)", &TGraphParametersForm::UpdateBtnClick},
        {"OKBtn", "&OK", "Apply changes to the graph and close", &TGraphParametersForm::OKBtnClick},
        {"CancelBtn", "&Cancel", "Undo all changes to the graph since opening the window and close",
         &TGraphParametersForm::CancelBtnClick},
    };
    Buttons->addStretch();
    for (const auto& S : Specs) {
        auto* B = Named(new QPushButton(S.Text), S.Name, S.Hint);
        connect(B, &QPushButton::clicked, this, S.Slot);
        Buttons->addWidget(B);
    }
    auto* Help = Named(new QPushButton("&Help"), "HelpBtn", "");
    connect(Help, &QPushButton::clicked, this, [this] {
        if (OnHelp)
            OnHelp("OutfitParameters");
    });
    Buttons->addWidget(Help);
    Layout->addLayout(Buttons);
    if (!FSettingsFile.empty()) {
        TKvFormPlacement P;
        P.Left = x();
        P.Top = y();
        TKvLargeIniFile Ini(FSettingsFile);
        const QSize Screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->size() : QSize();
        Ini.ReadFormPosition("GraphParameters", "Form", P, {Screen.width(), Screen.height()});
        move(P.Left, P.Top);
    }
}

TGraphParametersForm::~TGraphParametersForm()
{
    if (FSettingsFile.empty())
        return;
    try {
        TKvLargeIniFile Ini(FSettingsFile);
        const QRect G = geometry();
        Ini.WriteFormPlacement("GraphParameters", "Form",
                               {TKvWindowState::WsNormal, G.top(), G.left(), G.height(), G.width()});
    } catch (const std::exception&) {
        // The placement is a convenience; an unwritable settings file loses only it.
    }
}

// ---------------------------------------------------------------- attaching

void TGraphParametersForm::AttachGraphWindow(TKvGraphWindowModel* Window, const QString& WindowCaption)
{
    FWindow = Window;
    FApplied = false;
    setWindowTitle(WindowCaption + " / Set Parameters");
    if (FWindow != nullptr)
        ReadGraph();
    FSaved = FWork;
    FSavedItems = FItems;
    FSavedFonts = FFonts;
    FillAll();
}

void TGraphParametersForm::DetachGraphWindow(const TKvGraphWindowModel* Window)
{
    if (Window == nullptr || Window != FWindow)
        return;
    FWindow = nullptr;
    FApplied = false;
    hide();
}

std::vector<TKvSeries*> TGraphParametersForm::LegendSeries() const
{
    std::vector<TKvSeries*> List;
    if (FWindow == nullptr)
        return List;
    for (const auto& S : FWindow->Graph.OwnedSeries()) {
        List.push_back(S.get());
        for (const auto& Child : S->Children)
            List.push_back(Child.get());
    }
    return List;
}

void TGraphParametersForm::ReadGraph()
{
    TKvGraphWindowModel& W = *FWindow;
    const auto Axes = AxesOf(W);
    for (int i = 0; i < 4; ++i) {
        FWork.Axes[static_cast<size_t>(i)] = ReadAxis(*Axes[static_cast<size_t>(i)], i);
        FFonts.Caption[static_cast<size_t>(i)] = Axes[static_cast<size_t>(i)]->CaptionFont();
        FFonts.Scale[static_cast<size_t>(i)] = Axes[static_cast<size_t>(i)]->Font();
    }
    FFonts.Title = W.Graph.TitleFont();
    FFonts.Legend = W.Legend.Font();
    FWork.LegendColor = W.Legend.Color;
    FWork.Color = W.Graph.Color;
    FWork.DataColor = W.Graph.DataColor;
    FWork.LegendFrame = W.Legend.Frame.Record();
    FWork.FrameLine = W.Graph.FrameLine.Record();
    FWork.MinorGridX = W.Graph.MinorGridX.Record();
    FWork.MajorGridX = W.Graph.MajorGridX.Record();
    FWork.MajorGridY = W.Graph.MajorGridY.Record();
    FWork.MinorGridY = W.Graph.MinorGridY.Record();
    FWork.Title = W.Graph.Caption();
    FWork.ShowTitle = W.Graph.ShowTitle();
    FWork.ZeroOrigin = W.Graph.ZeroOrigin();
    FWork.LegendVisible = W.Legend.Visible;
    FWork.Horizontal = W.Legend.Horizontal();
    FWork.InGraphPosition = W.Legend.InGraphPosition();
    FWork.Columns = W.Legend.Columns();
    FWork.Rows = W.Legend.Rows();
    FWork.OutsideGap = W.Legend.OutsideGap();
    FWork.BorderGap = W.Legend.BorderGap();
    FWork.VerticalGap = W.Legend.VerticalGap();
    FWork.HorizontalGap = W.Legend.HorizontalGap();
    FWork.LineGap = W.Legend.LineGap();
    FWork.LineLength = W.Legend.LineLength();
    FLegendLeft = W.Legend.Left;
    FLegendTop = W.Legend.Top;
    FItems.clear();
    for (const TKvSeries* S : LegendSeries())
        FItems.push_back({S->IncludeInLegend, S->DoUserCaption(), CutCaption(S->UserCaption(), CaptionLimit),
                          CutCaption(S->AutoCaption(), CaptionLimit)});
}

// ---------------------------------------------------------------- applying

void TGraphParametersForm::ApplyAxis(TKvAxis& Axis, const TAxisParameters& A)
{
    Axis.SetVisible(A.Visible);
    Axis.SetTwisted(A.Twisted);
    Axis.SetShowCaption(A.ShowCaption);
    Axis.SetUserCaption(A.UserCaption);
    Axis.SetAutoCaption(A.AutoCaption);
    Axis.SetDoUserCaption(A.DoUserCaption);
    Axis.SetShowScaleLabels(A.ShowScaleLabels);
    const bool NegativeToData =
        Axis.Position() == TKvAxisPos::AxBottomPos || Axis.Position() == TKvAxisPos::AxRightPos;
    const int Sign = A.TicksToData == NegativeToData ? -1 : 1;
    Axis.SetMajorTickLength(Sign * A.MajorTickLength);
    Axis.SetTickLength(Sign * A.TickLength);
    if (A.AutoRange) {
        Axis.SetStartEnd(TKvAxEnd::AxAutoRange);
        Axis.SetStopEnd(TKvAxEnd::AxAutoRange);
        if (A.ZoomOutOnApply)
            Axis.ResetZoom();
    } else {
        Axis.SetStartEnd(TKvAxEnd::AxFixed);
        Axis.SetStopEnd(TKvAxEnd::AxFixed);
        Axis.SetStart(A.Start);
        Axis.SetStop(A.Stop);
    }
    Axis.AxisThicknes = A.AxisThicknes;
    Axis.MajorTickThicknes = A.MajorTickThicknes;
    Axis.TickThicknes = A.TickThicknes;
    Axis.SetBorderCaptionGap(A.BorderCaptionGap);
    Axis.SetCaptionScalingsGap(A.CaptionScalingsGap);
    Axis.SetScalingsTicksGap(A.ScalingsTicksGap);
    Axis.SetExponentScalingsGap(A.ExponentScalingsGap);
    Axis.SetValuesTicksGap(A.ValuesTicksGap);
    Axis.AxisColor = A.AxisColor;
    Axis.MajorTickColor = A.MajorTickColor;
    Axis.TickColor = A.TickColor;
    Axis.SetAutoTicks(A.AutoTicks);
    if (!A.AutoTicks) {
        Axis.SetTickPart(A.TickPart);
        Axis.SetMajorTickPart(A.MajorTickPart);
        Axis.SetLabelPart(A.LabelPart);
    }
    Axis.SetScaling(A.Scaling);
    Axis.RequestLayout();
}

void TGraphParametersForm::ApplyToGraph(const TGraphParameters& P, const std::vector<TLegendPrms>& Items,
                                        const TGraphFonts& F)
{
    TKvGraphWindowModel& W = *FWindow;
    const auto Axes = AxesOf(W);
    SuspendDrawing();
    W.Graph.SetTitleFont(F.Title);
    W.Legend.SetFont(F.Legend);
    for (size_t i = 0; i < 4; ++i)
        Axes[i]->SetFont(F.Scale[i]);
    for (size_t i = 0; i < 4; ++i)
        Axes[i]->SetCaptionFont(F.Caption[i]);
    TKvLegend& L = W.Legend;
    L.Color = P.LegendColor;
    L.Frame.SetRecord(P.LegendFrame);
    L.Visible = P.LegendVisible;
    L.SetHorizontal(P.Horizontal);
    L.SetInGraphPosition(P.InGraphPosition);
    L.SetColumns(P.Columns);
    L.SetRows(P.Rows);
    L.SetOutsideGap(P.OutsideGap);
    L.SetBorderGap(P.BorderGap);
    L.SetVerticalGap(P.VerticalGap);
    L.SetHorizontalGap(P.HorizontalGap);
    L.SetLineGap(P.LineGap);
    L.SetLineLength(P.LineLength);
    const std::vector<TKvSeries*> Series = LegendSeries();
    for (size_t k = 0; k < Series.size() && k < Items.size(); ++k) {
        Series[k]->IncludeInLegend = Items[k].IncludeInLegend;
        Series[k]->SetDoUserCaption(Items[k].DoUserCaption);
        Series[k]->SetUserCaption(Items[k].UserCaption);
        Series[k]->SetAutoCaption(Items[k].AutoCaption);
    }
    L.RequestRebuild();
    W.Graph.FrameLine.SetRecord(P.FrameLine);
    W.Graph.Color = P.Color;
    W.Graph.DataColor = P.DataColor;
    W.Graph.MinorGridX.SetRecord(P.MinorGridX);
    W.Graph.MajorGridX.SetRecord(P.MajorGridX);
    W.Graph.MajorGridY.SetRecord(P.MajorGridY);
    W.Graph.MinorGridY.SetRecord(P.MinorGridY);
    W.Graph.SetCaption(P.Title);
    W.Graph.SetShowTitle(P.ShowTitle);
    W.Graph.SetZeroOrigin(P.ZeroOrigin);
    for (size_t i = 0; i < 4; ++i)
        ApplyAxis(*Axes[i], P.Axes[i]);
    // An unused second axis follows its master again.
    if (!UsesAxis(W.Graph, &W.TopAxis))
        W.TopAxis.SetIsSlaveAxis(true);
    if (!UsesAxis(W.Graph, &W.RightAxis))
        W.RightAxis.SetIsSlaveAxis(true);
    ResumeDrawing();
    W.Graph.RequestLayout();
    W.Graph.Repaint();
}

void TGraphParametersForm::UpdateBtnClick()
{
    if (FWindow == nullptr)
        return;
    FApplied = true;
    ApplyToGraph(FWork, FItems, FFonts);
}

void TGraphParametersForm::OKBtnClick()
{
    UpdateBtnClick();
    if (FWindow != nullptr && OnApplied)
        OnApplied();
    hide();
}

void TGraphParametersForm::CancelBtnClick()
{
    if (FApplied && FWindow != nullptr) {
        ApplyToGraph(FSaved, FSavedItems, FSavedFonts);
        FWindow->Legend.Left = FLegendLeft;
        FWindow->Legend.Top = FLegendTop;
        FWindow->Graph.Repaint();
    }
    // What was applied is now undone; a second cancel has nothing to restore.
    FApplied = false;
    FWork = FSaved;
    FItems = FSavedItems;
    FFonts = FSavedFonts;
    hide();
}

void TGraphParametersForm::closeEvent(QCloseEvent* Event)
{
    // The frame's close button only hides, like "&Cancel" without restoring.
    Event->ignore();
    hide();
}

void TGraphParametersForm::showEvent(QShowEvent* Event)
{
    FillAll();
    QDialog::showEvent(Event);
}

} // namespace kv
