#include "KvGraphAssignment.h"

#include "foundation/KvErrors.h"

#include <algorithm>
#include <array>

namespace kv {

namespace {

// The seven column references of a slot, in the order of the summary text.
constexpr std::array<std::vector<int32_t> TGraphData::*, 7> ColumnRefs = {
    &TGraphData::XAxis,  &TGraphData::YAxis,   &TGraphData::Weight, &TGraphData::dXPlus,
    &TGraphData::dXMinus, &TGraphData::dYPlus, &TGraphData::dYMinus};

constexpr std::array<const char*, 7> SummaryPrefixes = {
    "X(", "Y(", "W(", "\\ss\\sX\\+ +\\+(", "\\ss\\sX\\+ -\\+(", "\\ss\\sY\\+  +\\+(", "\\ss\\sY\\+  -\\+("};

struct TArrayKey {
    const char* Key;
    std::vector<int32_t> TGraphData::*Array;
};

// The stored lists, in the order they are written.
constexpr std::array<TArrayKey, 9> ArrayKeys = {{
    {"XAxis", &TGraphData::XAxis},
    {"YAxis", &TGraphData::YAxis},
    {"Weight", &TGraphData::Weight},
    {"XAxisPos", &TGraphData::XAxisPos},
    {"YAxisPos", &TGraphData::YAxisPos},
    {"dXPlus", &TGraphData::dXPlus},
    {"dXMinus", &TGraphData::dXMinus},
    {"dYPlus", &TGraphData::dYPlus},
    {"dYMinus", &TGraphData::dYMinus},
}};

template <class TVisit>
void ForEachArray(TGraphData& G, TVisit Visit)
{
    for (const TArrayKey& K : ArrayKeys)
        Visit(G.*K.Array);
}

} // namespace

std::string GraphSectionName(int32_t Graph) { return "Graph(" + std::to_string(Graph) + ")"; }

void TGraphData::Reset(int32_t MaxSeries)
{
    ForEachArray(*this, [&](std::vector<int32_t>& A) { A.assign(static_cast<size_t>(MaxSeries), 0); });
}

void TGraphData::Resize(int32_t MaxSeries)
{
    ForEachArray(*this, [&](std::vector<int32_t>& A) { A.resize(static_cast<size_t>(MaxSeries), 0); });
}

TKvGraphAssignment::TKvGraphAssignment() { AddGraph(); }

void TKvGraphAssignment::SetMaxSeries(int32_t Value)
{
    FMaxSeries = std::clamp(Value, 1, MaxSeriesLimit);
    for (TGraphData& G : Graphs)
        G.Resize(FMaxSeries);
}

TGraphData& TKvGraphAssignment::AddGraph()
{
    TGraphData& G = Graphs.emplace_back();
    G.Reset(FMaxSeries);
    G.Title = GraphSectionName(GraphCount());
    return G;
}

void TKvGraphAssignment::LoadAssignments(const TKvIniList& Store)
{
    // A missing count keeps the slots the document already has.
    FMaxSeries = std::clamp(Store.ReadInteger("Graphs", "MaxSeries", FMaxSeries), 1, MaxSeriesLimit);
    const int32_t Count = std::clamp(Store.ReadInteger("Graphs", "GraphCount", 1), 1, GraphCountLimit);
    Graphs.resize(static_cast<size_t>(Count));
    for (int32_t n = 1; n <= Count; ++n) {
        TGraphData& G = Graphs[static_cast<size_t>(n - 1)];
        const std::string Section = GraphSectionName(n);
        G.Reset(FMaxSeries);
        G.Outfit = Store.ReadString(Section, "Outfit", "");
        G.Template = Store.ReadString(Section, "Template", "");
        G.Title = Store.ReadString(Section, "Title", Section);
        for (const TArrayKey& K : ArrayKeys) {
            try {
                Store.ReadIntegerArray(Section, K.Key, G.*K.Array);
            } catch (const EConvertError&) {
                // a list without any number leaves the slots empty
            }
        }
    }
}

void TKvGraphAssignment::SaveAssignments(TKvIniList& Store) const
{
    Store.WriteInteger("Graphs", "MaxSeries", FMaxSeries);
    Store.WriteInteger("Graphs", "GraphCount", GraphCount());
    for (int32_t n = 1; n <= GraphCount(); ++n) {
        const TGraphData& G = Graphs[static_cast<size_t>(n - 1)];
        const std::string Section = GraphSectionName(n);
        Store.WriteString(Section, "Outfit", G.Outfit);
        Store.WriteString(Section, "Template", G.Template);
        Store.WriteString(Section, "Title", G.Title);
        for (const TArrayKey& K : ArrayKeys)
            Store.WriteIntegerArray(Section, K.Key, G.*K.Array);
    }
}

bool TKvGraphAssignment::IsValidSlot(int32_t Graph, int32_t Slot, int32_t ColumnCount) const
{
    if (Graph < 1 || Graph > GraphCount())
        return false;
    const TGraphData& G = Graphs[static_cast<size_t>(Graph - 1)];
    if (Slot < 0 || Slot >= G.SlotCount())
        return false;
    const size_t s = static_cast<size_t>(Slot);
    if (G.XAxis[s] < 1 || G.YAxis[s] < 1)
        return false;
    if (ColumnCount <= 0)
        return true;
    return std::all_of(ColumnRefs.begin(), ColumnRefs.end(),
                       [&](auto Array) { return (G.*Array)[s] >= 0 && (G.*Array)[s] <= ColumnCount; });
}

std::string TKvGraphAssignment::AssignmentText(int32_t Graph, int32_t Column) const
{
    if (Graph < 1 || Graph > GraphCount())
        return {};
    const TGraphData& G = Graphs[static_cast<size_t>(Graph - 1)];
    std::string Text;
    for (size_t Kind = 0; Kind < ColumnRefs.size(); ++Kind) {
        const std::vector<int32_t>& Refs = G.*ColumnRefs[Kind];
        std::string Slots;
        for (size_t s = 0; s < Refs.size(); ++s)
            if (Refs[s] == Column) {
                if (!Slots.empty())
                    Slots += ',';
                Slots += std::to_string(s + 1);
            }
        if (!Slots.empty())
            Text += SummaryPrefixes[Kind] + Slots + ")";
    }
    return Text;
}

void TKvGraphAssignment::ColumnInserted(int32_t Column, int32_t ColumnCount)
{
    const int32_t k = Column + 1;
    for (TGraphData& G : Graphs)
        for (auto Array : ColumnRefs)
            for (int32_t& Ref : G.*Array)
                if (Ref >= k && Ref <= ColumnCount - 1)
                    ++Ref;
}

void TKvGraphAssignment::ColumnDeleted(int32_t Column)
{
    const int32_t k = Column + 1;
    for (TGraphData& G : Graphs)
        for (auto Array : ColumnRefs)
            for (int32_t& Ref : G.*Array) {
                if (Ref == k)
                    Ref = 0;
                else if (Ref > k)
                    --Ref;
            }
}

void TKvGraphAssignment::ClearGraphs()
{
    Graphs.resize(1);
    Graphs.front().Reset(FMaxSeries);
}

} // namespace kv
