#pragma once
// The assignment dialog, which edits a working copy of the column-to-graph
// assignment and applies it, and the owner of the graph windows: one
// window per graph-window model of the workspace, created and freed as the
// workspace rebuilds its models (after OK, after loading, at start). It
// also fills the Window menu that all windows share.

#include "document/KvGraphAssignment.h"

#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class QComboBox;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabBar;
class QTableWidget;

namespace kv {

class TGraphForm;
class TKvCaptionEdit;
class TKvGraphWindowModel;
class TKvWorkspace;
class TMainTableForm;

class TGraphAssignForm : public QDialog {
    Q_OBJECT

public:
    // The grid's columns after the slot number, in the order of the grid.
    enum TSlotKind { SkX, SkY, SkWeight, SkXPos, SkYPos, SkdXPlus, SkdXMinus, SkdYPlus, SkdYMinus, SkCount };

    // SettingsFile gives new series the style of their slot in the last run.
    TGraphAssignForm(TKvWorkspace& Workspace, TMainTableForm& Table, std::string SettingsFile = {});
    ~TGraphAssignForm() override;

    // ---- the graph windows
    int GraphFormCount() const { return static_cast<int>(FForms.size()); }
    // The window of graph n (1-based), or none.
    TGraphForm* GraphForm(int n) const;
    // Makes the windows match the workspace's models.
    void SyncGraphWindows();
    // Rebuilds the models from the applied assignment (the windows follow).
    void RebuildGraphWindows();
    // The shared Window menu: "Data Table", then the graphs.
    void FillWindowMenu(QMenu& Menu);
    void ActivateWindowEntry(const QString& Text);
    // Every window's placement into its model (before the settings are saved).
    void StorePlacements();

    // ---- the dialog
    // Opens the dialog on a copy of the assignment; true when OK closed it.
    bool Execute();
    // Fills the dialog from the applied assignment without showing it.
    void Prepare();
    TGraphDataArray& EditGraphs() { return FEditGraphs; }
    QTabBar* GraphTabs() const { return FTabs; }
    TKvCaptionEdit* TitleEdit() const { return FTitle; }
    QTableWidget* Grid() const { return FGrid; }
    // The drop-down of slot Slot (0-based) and kind Kind on the shown tab.
    QComboBox* SlotCombo(int Slot, TSlotKind Kind) const;
    QAction* SaveAndCloseAction() const { return FSaveAndClose; }
    QAction* CancelAndCloseAction() const { return FCancelAndClose; }

    void AddNewGraph();
    void AddSeries();
    // OK and "&Save and Close": applies the working copy.
    void Apply();
    void accept() override;
    void reject() override;

private:
    void BuildDialog();
    void ShowGraph(int Index);
    void FillGrid();
    std::vector<int32_t>& Array(TGraphData& D, TSlotKind Kind) const;
    QComboBox* NewSlotCombo(int Slot, TSlotKind Kind);
    QStringList ColumnEntries() const;

    TKvWorkspace& FWorkspace;
    TMainTableForm& FTable;
    std::string FSettingsFile;
    std::vector<std::pair<TKvGraphWindowModel*, std::unique_ptr<TGraphForm>>> FForms;
    bool FRebuiltBefore = false;

    TGraphDataArray FEditGraphs;
    int FShown = -1;
    bool FFilling = false;
    QTabBar* FTabs = nullptr;
    TKvCaptionEdit* FTitle = nullptr;
    QTableWidget* FGrid = nullptr;
    QAction* FSaveAndClose = nullptr;
    QAction* FCancelAndClose = nullptr;
};

} // namespace kv
