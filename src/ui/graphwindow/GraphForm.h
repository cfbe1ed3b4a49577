#pragma once
// The graph window: a view and controller over one graph-window model of
// the workspace. The plot side shows the graph with its tool bar and zoom
// frame; the side panel holds the item tabs of the selected series, the
// line and point style controls and the series tab strip; the status bar
// reads out the point under the mouse. The model outlives nothing here:
// the window is freed before its model goes.

#include "workspace/KvGraphWindowModel.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QActionGroup;
class QCheckBox;
class QLabel;
class QMenu;
class QScrollArea;
class QTabBar;
class QToolBar;
class QVBoxLayout;
class QWidget;

namespace kv {

class TGraphCalculations;
class TGraphParametersForm;
class TKvColorPickCombo;
class TKvGraphView;
class TKvLineStylesCombo;
class TKvPointSymbolsCombo;
class TKvSpinIntegerEdit;
class TKvZoomFrame;
class TMainTableForm;

class TGraphForm : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int SidePanelWidth = 256;
    static constexpr const char* OutfitFilter = "Graph outfit files (*.oft)";
    static constexpr const char* MetafileFilter = "Enhanced Windows Metafile (*.emf);;Windows Metafile (*.wmf)";

    TGraphForm(TKvGraphWindowModel& Model, TMainTableForm& Table, QWidget* Parent = nullptr);
    ~TGraphForm() override;

    TKvGraphWindowModel& Model() const { return *FModel; }
    TKv2DGraph& Graph() const { return FModel->Graph; }
    TKvGraphView* GraphView() const { return FView; }
    QAction* Action(const QString& Name) const;
    QLabel* StatusPanel(int i) const { return FPanels[static_cast<size_t>(i)]; }
    QMenu* WindowMenu() const { return FWindowMenu; }
    QMenu* LegendMenu() const { return FLegendMenu; }
    TKvZoomFrame* ZoomStretchHandle() const { return FZoomFrame; }

    // ---- the series and their items
    const std::vector<TKvDataWithErrorSeries*>& DataSeries() const { return FDataSeries; }
    TKvDataWithErrorSeries* ActiveSeries() const { return FActiveSeries; }
    TKvSeries* CurrentItem() const { return FCurrentItem; }
    int FoundPoint() const { return FFoundPoint; }
    int FoundColumn() const { return FFoundColumn; }
    QTabBar* SeriesTab() const { return FSeriesTab; }
    QTabBar* CalculationsTab() const { return FCalculationsTab; }
    void RebuildSeriesTabs();
    void SeriesTabChange(int NewTab);
    void CalculationsTabChange();
    void InvalidateWorld();
    // The graph's preparation as this window's paints run it: a fit whose
    // data changed is left to run between the window's events.
    void PrepareForPaint();

    // A panel shown in the side panel's scroll box whenever Fits says it
    // belongs to the selected item; calculation panels come this way.
    void AddItemPanel(QWidget* Panel, std::function<bool(TKvSeries*)> Fits);
    // The caption of the side-panel tab of a calculation.
    std::function<QString(TKvSeries&)> CalculationTabCaption;
    // Told after the side panel has followed a newly selected item.
    std::function<void()> OnItemChanged;
    // Puts Item behind side-panel tab Tab (a calculation that was replaced).
    void SetTabItem(int Tab, TKvSeries* Item);
    TMainTableForm& Table() const { return FTable; }
    // The calculations: add commands, their panels and the fit.
    TGraphCalculations* Calculations() const { return FCalculations.get(); }

    // The style controls of the side panel.
    TKvLineStylesCombo* LineCombo() const { return FLineCombo; }
    QCheckBox* LineVisibleCheck() const { return FLineVisible; }
    TKvColorPickCombo* LineColorBtn() const { return FLineColor; }
    TKvSpinIntegerEdit* LineWidthEdit() const { return FLineWidth; }
    QWidget* PointsPanel() const { return FPointsPanel; }
    QToolBar* DeleteBar() const { return FDeleteBar; }
    TKvPointSymbolsCombo* PointCombo() const { return FPointCombo; }
    QCheckBox* PointVisibleCheck() const { return FPointVisible; }
    TKvColorPickCombo* PointColorBtn() const { return FPointColor; }
    TKvSpinIntegerEdit* PointSizeEdit() const { return FPointSize; }
    TKvColorPickCombo* ErrorColorBtn() const { return FErrorColor; }

    // ---- commands
    void ZoomIn(bool Checked);
    void ApplyZoomFrame();
    void CancelZoomFrame();
    void ZoomBack();
    void ZoomAll();
    void CheckSizersOn();
    void SaveGraphOutfit();
    void LoadGraphOutfit();
    void SaveGraphMetafile();
    void EditCopy();
    void CopyGraphToClipboard();
    void SetLegendPosition(TKvAxisPos Position);
    void HideLegend();
    void UpdateActions();

    // ---- the mouse, in the graph's coordinates
    void GraphMouseMove(const QPoint& Position);
    void GraphClick(const QPoint& Position);

    // Puts the model's placement on the screen and back.
    void ApplyPlacement();
    void StorePlacement();
    // Refreshes the caption from the model.
    void UpdateCaption();

    // Filled by the owner of all windows each time the Window menu opens.
    std::function<void(QMenu&)> FillWindowMenu;

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;

private:
    QAction* AddAction(const QString& Name, const QString& Caption, const QString& Hint,
                       const QKeySequence& Key = {});
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateLegendMenu();
    void CreateStatusBar();
    QWidget* CreatePlotSide();
    QWidget* CreateSidePanel();
    QWidget* CreateLinePanel();
    QWidget* CreatePointsPanel();
    void ConnectStyleControls();
    void ShowItemStyles();
    // The value of column vector V at row i, or none.
    int ColumnOfVector(const TKvRealVector* V) const;
    void ShowReadOut(double X, double Y);

    TKvGraphWindowModel* FModel;
    TMainTableForm& FTable;
    // The shared parameters dialog while it exists; told when this window goes.
    QPointer<TGraphParametersForm> FParameters;
    std::map<QString, QAction*> FActions;
    TKvGraphView* FView = nullptr;
    TKvZoomFrame* FZoomFrame = nullptr;
    std::array<QLabel*, 3> FPanels{};
    QMenu* FWindowMenu = nullptr;
    QMenu* FLegendMenu = nullptr;
    QMenu* FGraphMenu = nullptr;
    QActionGroup* FLegendPositions = nullptr;
    QToolBar* FToolBar = nullptr;

    QTabBar* FCalculationsTab = nullptr;
    QTabBar* FSeriesTab = nullptr;
    QScrollArea* FScrollBox = nullptr;
    QVBoxLayout* FPanelLayout = nullptr;
    std::vector<std::pair<QWidget*, std::function<bool(TKvSeries*)>>> FItemPanels;
    TKvLineStylesCombo* FLineCombo = nullptr;
    QCheckBox* FLineVisible = nullptr;
    TKvColorPickCombo* FLineColor = nullptr;
    TKvSpinIntegerEdit* FLineWidth = nullptr;
    QToolBar* FDeleteBar = nullptr;
    QWidget* FPointsPanel = nullptr;
    TKvPointSymbolsCombo* FPointCombo = nullptr;
    QCheckBox* FPointVisible = nullptr;
    TKvColorPickCombo* FPointColor = nullptr;
    TKvSpinIntegerEdit* FPointSize = nullptr;
    TKvColorPickCombo* FErrorColor = nullptr;

    std::vector<TKvDataWithErrorSeries*> FDataSeries;
    std::vector<TKvSeries*> FTabItems;
    TKvDataWithErrorSeries* FActiveSeries = nullptr;
    TKvSeries* FCurrentItem = nullptr;
    int FFoundPoint = -1;
    int FFoundColumn = -1;
    bool FShowingStyles = false;
    bool FKeysPreviewed = false;
    // Last, so it goes first: it detaches itself from the curves.
    std::unique_ptr<TGraphCalculations> FCalculations;
};

} // namespace kv
