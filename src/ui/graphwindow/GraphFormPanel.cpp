// The side panel of the graph window: the item tabs of the selected series,
// the line and point style controls and the series tab strip.

#include "GraphForm.h"

#include "KvGraphView.h"

#include "ui/KvIntegerEdit.h"
#include "ui/widgets/KvColorPicker.h"
#include "ui/widgets/KvStyleCombos.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QScrollArea>
#include <QTabBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace kv {

namespace {

TKvSpinIntegerEdit* NewSpin(QWidget* Parent, int Min, int Max, const QString& Hint)
{
    auto* E = new TKvSpinIntegerEdit(Parent);
    E->SetMinValue(Min);
    E->SetMaxValue(Max);
    E->setToolTip(Hint);
    E->setProperty("KvNumericEdit", true);
    return E;
}

} // namespace

QWidget* TGraphForm::CreateSidePanel()
{
    auto* Side = new QWidget(this);
    Side->setFixedWidth(SidePanelWidth);
    auto* Layout = new QVBoxLayout(Side);
    Layout->setContentsMargins(2, 2, 2, 2);
    FCalculationsTab = new QTabBar(Side);
    FCalculationsTab->setObjectName("CalculationsTab");
    FCalculationsTab->setExpanding(false);
    FCalculationsTab->setUsesScrollButtons(true);
    Layout->addWidget(FCalculationsTab);
    Layout->addWidget(CreateLinePanel());
    FScrollBox = new QScrollArea(Side);
    FScrollBox->setObjectName("ScrollBox1");
    FScrollBox->setWidgetResizable(true);
    FScrollBox->setFrameShape(QFrame::NoFrame);
    auto* Items = new QWidget(FScrollBox);
    FPanelLayout = new QVBoxLayout(Items);
    FPanelLayout->setContentsMargins(0, 0, 0, 0);
    FPanelLayout->addStretch(1);
    FScrollBox->setWidget(Items);
    Layout->addWidget(FScrollBox, 1);
    AddItemPanel(CreatePointsPanel(), [](TKvSeries* Item) { return Item && Item->IsDataSeries(); });

    auto* Bottom = new QWidget(Side);
    Bottom->setObjectName("Panel1");
    auto* BottomLayout = new QHBoxLayout(Bottom);
    BottomLayout->setContentsMargins(0, 0, 0, 0);
    BottomLayout->addWidget(new QLabel("Series", Bottom));
    FSeriesTab = new QTabBar(Bottom);
    FSeriesTab->setObjectName("SeriesTab");
    FSeriesTab->setToolTip("Select active data series");
    FSeriesTab->setShape(QTabBar::RoundedSouth);
    FSeriesTab->setUsesScrollButtons(true);
    BottomLayout->addWidget(FSeriesTab, 1);
    Layout->addWidget(Bottom);
    connect(FSeriesTab, &QTabBar::currentChanged, this, [this](int Tab) {
        if (!FShowingStyles)
            SeriesTabChange(Tab);
    });
    connect(FCalculationsTab, &QTabBar::currentChanged, this, [this](int) {
        if (!FShowingStyles)
            CalculationsTabChange();
    });
    return Side;
}

QWidget* TGraphForm::CreateLinePanel()
{
    auto* Panel = new QGroupBox("Colors && Styles", this);
    Panel->setObjectName("LinePanel");
    auto* G = new QGridLayout(Panel);
    G->setContentsMargins(4, 4, 4, 4);
    FLineCombo = new TKvLineStylesCombo(Panel);
    FLineCombo->setObjectName("LineCombo");
    FLineVisible = new QCheckBox("On", Panel);
    FLineColor = new TKvColorPickCombo(Panel);
    FLineWidth = NewSpin(Panel, 0, 50, "Set width of line (>1 always solid)");
    G->addWidget(new QLabel("Line", Panel), 0, 0);
    G->addWidget(FLineCombo, 0, 1, 1, 2);
    G->addWidget(FLineVisible, 1, 0);
    G->addWidget(FLineColor, 1, 1);
    G->addWidget(FLineWidth, 1, 2);
    FDeleteBar = new QToolBar(Panel);
    FDeleteBar->setObjectName("DeleteBar");
    FDeleteBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    FDeleteBar->addAction(Action("DeleteTab"));
    G->addWidget(FDeleteBar, 2, 0, 1, 3);
    return Panel;
}

QWidget* TGraphForm::CreatePointsPanel()
{
    auto* Panel = new QGroupBox("Data Points", this);
    Panel->setObjectName("PointsPanel");
    FPointsPanel = Panel;
    auto* G = new QGridLayout(Panel);
    G->setContentsMargins(4, 4, 4, 4);
    FPointCombo = new TKvPointSymbolsCombo(Panel);
    FPointCombo->setObjectName("PointCombo");
    FPointVisible = new QCheckBox("On", Panel);
    FPointColor = new TKvColorPickCombo(Panel);
    FPointSize = NewSpin(Panel, 1, 50, "Set size of symbols");
    FErrorColor = new TKvColorPickCombo(Panel);
    G->addWidget(new QLabel("Symbol", Panel), 0, 0);
    G->addWidget(FPointCombo, 0, 1, 1, 2);
    G->addWidget(FPointVisible, 1, 0);
    G->addWidget(FPointColor, 1, 1);
    G->addWidget(FPointSize, 1, 2);
    G->addWidget(new QLabel("Error Indicators", Panel), 2, 0, 1, 2);
    G->addWidget(FErrorColor, 2, 2);
    return Panel;
}

void TGraphForm::AddItemPanel(QWidget* Panel, std::function<bool(TKvSeries*)> Fits)
{
    Panel->setParent(FScrollBox->widget());
    FPanelLayout->insertWidget(FPanelLayout->count() - 1, Panel);
    Panel->setVisible(Fits(FCurrentItem));
    FItemPanels.emplace_back(Panel, std::move(Fits));
}

// ---------------------------------------------------------------- series and items

void TGraphForm::RebuildSeriesTabs()
{
    FDataSeries = FModel->DataSeries();
    FShowingStyles = true;
    while (FSeriesTab->count() > 0)
        FSeriesTab->removeTab(0);
    for (TKvDataWithErrorSeries* S : FDataSeries)
        FSeriesTab->addTab(QString::number(FModel->TagOf(S)));
    FShowingStyles = false;
    FActiveSeries = nullptr;
    if (FDataSeries.empty()) {
        FCurrentItem = nullptr;
        return;
    }
    FShowingStyles = true;
    FSeriesTab->setCurrentIndex(0);
    FShowingStyles = false;
    SeriesTabChange(0);
}

void TGraphForm::SeriesTabChange(int NewTab)
{
    CheckSizersOn();
    FShowingStyles = true;
    while (FCalculationsTab->count() > 0)
        FCalculationsTab->removeTab(0);
    FTabItems.clear();
    if (!FDataSeries.empty() && NewTab >= 0 && NewTab < static_cast<int>(FDataSeries.size())) {
        FActiveSeries = FDataSeries[static_cast<size_t>(NewTab)];
        FCalculationsTab->addTab("Data Points");
        FTabItems.push_back(FActiveSeries);
        for (const auto& Child : FActiveSeries->Children) {
            FCalculationsTab->addTab(CalculationTabCaption ? CalculationTabCaption(*Child) : Child->Caption());
            FTabItems.push_back(Child.get());
        }
        FCalculationsTab->setCurrentIndex(0);
    }
    FShowingStyles = false;
    if (!FTabItems.empty())
        CalculationsTabChange();
}

void TGraphForm::CalculationsTabChange()
{
    const int Tab = FCalculationsTab->currentIndex();
    FCurrentItem = Tab >= 0 && Tab < static_cast<int>(FTabItems.size()) ? FTabItems[static_cast<size_t>(Tab)] : nullptr;
    FLineCombo->SetBackgroundColor(Graph().DataColor);
    FPointCombo->SetBackgroundColor(Graph().DataColor);
    for (auto& [Panel, Fits] : FItemPanels)
        Panel->setVisible(Fits(FCurrentItem));
    FDeleteBar->setVisible(!FPointsPanel->isVisibleTo(FScrollBox->widget()));
    ShowItemStyles();
    if (OnItemChanged)
        OnItemChanged();
}

void TGraphForm::SetTabItem(int Tab, TKvSeries* Item)
{
    if (Tab < 0 || Tab >= static_cast<int>(FTabItems.size()))
        return;
    FTabItems[static_cast<size_t>(Tab)] = Item;
    if (Tab == FCalculationsTab->currentIndex())
        CalculationsTabChange();
}

void TGraphForm::ShowItemStyles()
{
    FShowingStyles = true;
    if (FCurrentItem && FCurrentItem->IsDataSeries() && FActiveSeries) {
        const TKvPointStyle& P = FActiveSeries->PointStyle;
        FPointCombo->SetLineColor(P.Color());
        FPointCombo->SetPointSymbol(P.Style());
        FPointVisible->setChecked(P.Visible());
        FPointSize->SetValue(P.Size());
        FPointColor->SetActiveColor(P.Color());
        FErrorColor->SetActiveColor(FActiveSeries->ErrorIndicatorsColor);
    }
    if (FCurrentItem) {
        const TKvLineStyle& L = FCurrentItem->LineStyle;
        FLineCombo->SetLineColor(L.Color());
        FLineCombo->SetPenStyle(L.Style());
        FLineColor->SetActiveColor(L.Color());
        FLineVisible->setChecked(L.Visible());
        FLineWidth->SetValue(L.Width());
    }
    FShowingStyles = false;
}

void TGraphForm::InvalidateWorld()
{
    Graph().Repaint();
    FView->update();
}

void TGraphForm::ConnectStyleControls()
{
    // Every edit: nothing without an item, any pointer mode ends first.
    auto Edit = [this](auto Apply) {
        return [this, Apply] {
            if (FShowingStyles || !FCurrentItem)
                return;
            CheckSizersOn();
            Apply();
            InvalidateWorld();
        };
    };
    auto PointEdit = [this, Edit](auto Apply) {
        return Edit([this, Apply] {
            if (FActiveSeries)
                Apply(*FActiveSeries);
        });
    };
    connect(FLineCombo, &QComboBox::currentIndexChanged, this,
            Edit([this] { FCurrentItem->LineStyle.SetStyle(FLineCombo->PenStyle()); }));
    connect(FLineWidth, &TKvIntegerEdit::OnChange, this,
            Edit([this] { FCurrentItem->LineStyle.SetWidth(FLineWidth->Value()); }));
    connect(FLineVisible, &QCheckBox::clicked, this,
            Edit([this] { FCurrentItem->LineStyle.SetVisible(FLineVisible->isChecked()); }));
    connect(FLineColor, &TKvColorPickCombo::OnChanged, this, Edit([this] {
                FCurrentItem->LineStyle.SetColor(FLineColor->ActiveColor());
                FLineCombo->SetLineColor(FLineColor->ActiveColor());
            }));
    connect(FPointCombo, &QComboBox::currentIndexChanged, this,
            PointEdit([this](TKvDataWithErrorSeries& S) { S.PointStyle.SetStyle(FPointCombo->PointSymbol()); }));
    connect(FPointSize, &TKvIntegerEdit::OnChange, this, PointEdit([this](TKvDataWithErrorSeries& S) {
                S.PointStyle.SetSize(FPointSize->Value());
                Graph().RequestLayout();
            }));
    connect(FPointVisible, &QCheckBox::clicked, this, PointEdit([this](TKvDataWithErrorSeries& S) {
                S.PointStyle.SetVisible(FPointVisible->isChecked());
                // Symbols count in the ranges of a series with error bars.
                if (S.dXPlus() || S.dXMinus() || S.dYPlus() || S.dYMinus())
                    S.RangesDirty = true;
            }));
    connect(FPointColor, &TKvColorPickCombo::OnChanged, this, PointEdit([this](TKvDataWithErrorSeries& S) {
                S.PointStyle.SetColor(FPointColor->ActiveColor());
                FPointCombo->SetLineColor(FPointColor->ActiveColor());
            }));
    connect(FErrorColor, &TKvColorPickCombo::OnChanged, this, PointEdit([this](TKvDataWithErrorSeries& S) {
                S.ErrorIndicatorsColor = FErrorColor->ActiveColor();
            }));
    for (QWidget* W : {static_cast<QWidget*>(FLineWidth), static_cast<QWidget*>(FPointSize)})
        W->installEventFilter(this);
}

} // namespace kv
