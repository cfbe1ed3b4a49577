#pragma once
// Which table columns each graph plots: per graph a number of series slots,
// each naming the columns of its X, Y, weight and error values and the axes
// it is drawn against. Graph windows are built from this model elsewhere.

#include "foundation/KvIniList.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

struct TGraphData {
    // Column numbers (1 = column A, 0 = none) and axis positions per slot.
    std::vector<int32_t> XAxis, YAxis, Weight, XAxisPos, YAxisPos, dXPlus, dXMinus, dYPlus, dYMinus;
    std::string Title;
    std::string Outfit;
    std::string Template;

    // All nine arrays sized to MaxSeries and zeroed.
    void Reset(int32_t MaxSeries);
    // Grows or shrinks the arrays, new slots zero.
    void Resize(int32_t MaxSeries);
    int32_t SlotCount() const { return static_cast<int32_t>(XAxis.size()); }
};

using TGraphDataArray = std::vector<TGraphData>;

class TKvGraphAssignment {
public:
    static constexpr int32_t DefaultMaxSeries = 12;
    // Bounds that keep a damaged file from asking for millions of graphs
    // or slots; no real document comes near them.
    static constexpr int32_t MaxSeriesLimit = 4096;
    static constexpr int32_t GraphCountLimit = 1024;

    TKvGraphAssignment();

    int32_t MaxSeries() const { return FMaxSeries; }
    void SetMaxSeries(int32_t Value);
    int32_t GraphCount() const { return static_cast<int32_t>(Graphs.size()); }
    // Adds a graph with zeroed slots and the title Graph(n).
    TGraphData& AddGraph();

    TGraphDataArray Graphs; // graph n is entry n-1
    TKvFormPlacement Placement{TKvWindowState::WsNormal, 100, 100, 380, 640};

    void LoadAssignments(const TKvIniList& Store);
    void SaveAssignments(TKvIniList& Store) const;

    // A slot that plots: X and Y columns both set, and, when ColumnCount is
    // given, every column it names inside the table.
    bool IsValidSlot(int32_t Graph, int32_t Slot, int32_t ColumnCount = 0) const;
    // The summary shown in graph Graph's row (1-based) for column Column.
    std::string AssignmentText(int32_t Graph, int32_t Column) const;
    // Column is the 0-based grid column: column Column+1 was inserted or
    // deleted in a table of ColumnCount columns.
    void ColumnInserted(int32_t Column, int32_t ColumnCount);
    void ColumnDeleted(int32_t Column);
    // Every slot emptied and only graph 1 kept.
    void ClearGraphs();

private:
    int32_t FMaxSeries = DefaultMaxSeries;
};

std::string GraphSectionName(int32_t Graph);

} // namespace kv
