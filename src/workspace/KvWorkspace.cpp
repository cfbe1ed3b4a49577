#include "KvWorkspace.h"

#include "graph/KvLabel.h"

#include <algorithm>

namespace kv {

std::string& TKvWorkspace::DefaultSettingsFile()
{
    static std::string File;
    return File;
}

TKvWorkspace::TKvWorkspace()
{
    Document.GraphSections = this;
    RebuildGraphWindows();
}

TKvWorkspace::~TKvWorkspace()
{
    // The windows go first; the document must not call back into them.
    while (!FWindows.empty())
        RemoveWindowAt(FWindows.size() - 1);
    Document.GraphSections = nullptr;
}

TKvGraphWindowModel& TKvWorkspace::Window(int32_t n)
{
    if (n < 1 || n > WindowCount())
        throw ERangeError("Graph " + std::to_string(n) + " does not exist (there are " + std::to_string(WindowCount()) +
                          " graphs)");
    return *FWindows[static_cast<size_t>(n - 1)];
}

void TKvWorkspace::RemoveWindowAt(size_t Index)
{
    if (FWindows[Index] && OnWindowRemoving)
        OnWindowRemoving(*FWindows[Index]);
    FWindows.erase(FWindows.begin() + static_cast<std::ptrdiff_t>(Index));
}

TKvRealVector* TKvWorkspace::ColumnVector(int32_t Column)
{
    if (Column < 1 || Column > Document.Table.MaxColumns())
        return nullptr;
    return &Document.Table.Data(Column);
}

void TKvWorkspace::RebuildWindow(int32_t g, const TKvIniList* StyleSource, bool& TopUsed, bool& RightUsed)
{
    TKvGraphWindowModel& W = *FWindows[static_cast<size_t>(g)];
    const TGraphData& D = Document.Assignment.Graphs[static_cast<size_t>(g)];
    const int32_t Columns = Document.Table.MaxColumns();
    for (int32_t s = 0; s < Document.Assignment.MaxSeries(); ++s) {
        const size_t i = static_cast<size_t>(s);
        // A slot naming a column beyond the table plots nothing.
        const bool Valid = i < static_cast<size_t>(D.SlotCount()) && Document.Assignment.IsValidSlot(g + 1, s, Columns);
        TKvDataWithErrorSeries* S = W.SeriesOfTag(s + 1);
        if (S && !Valid) {
            W.DeleteSeries(s + 1);
            continue;
        }
        if (!Valid)
            continue;
        if (S == nullptr) {
            S = &W.AddSeries(s + 1);
            if (StyleSource)
                S->LoadFromIni(*StyleSource, GraphSectionName(g + 1) + ".Series(" + std::to_string(s + 1) + ")");
        }
        S->SetAutoCaption(QStringLiteral("Series(%1)").arg(s + 1));
        S->SetXData(ColumnVector(D.XAxis[i]));
        S->SetYData(ColumnVector(D.YAxis[i]));
        S->SetWeight(ColumnVector(D.Weight[i]));
        S->SetdXPlus(ColumnVector(D.dXPlus[i]));
        S->SetdXMinus(ColumnVector(D.dXMinus[i]));
        S->SetdYPlus(ColumnVector(D.dYPlus[i]));
        S->SetdYMinus(ColumnVector(D.dYMinus[i]));
        if (D.XAxisPos[i] > 0) {
            S->SetXAxis(&W.TopAxis);
            TopUsed = true;
        }
        if (D.YAxisPos[i] > 0) {
            S->SetYAxis(&W.RightAxis);
            RightUsed = true;
        }
        // Derivative and integral curves are drawn against the right axis.
        for (const auto& C : S->Children)
            RightUsed = RightUsed || C->YAxis() == &W.RightAxis;
        const std::string& XHeader = Document.Table.Column(D.XAxis[i]).Header;
        const std::string& YHeader = Document.Table.Column(D.YAxis[i]).Header;
        if (!XHeader.empty() && S->XAxis())
            S->XAxis()->SetAutoCaption(QString::fromStdString(XHeader));
        if (!YHeader.empty() && S->YAxis())
            S->YAxis()->SetAutoCaption(QString::fromStdString(YHeader));
        S->RangesDirty = true;
        S->MarkChanged();
    }
}

void TKvWorkspace::RebuildGraphWindows(const TKvIniList* StyleSource)
{
    FWindowList.clear();
    auto& Graphs = Document.Assignment.Graphs;
    if (Graphs.empty())
        Document.Assignment.AddGraph();
    // Windows beyond the graphs (a shorter assignment was loaded) go.
    while (FWindows.size() > Graphs.size())
        RemoveWindowAt(FWindows.size() - 1);
    for (int32_t g = static_cast<int32_t>(Graphs.size()) - 1; g >= 0; --g) {
        if (static_cast<size_t>(g) >= FWindows.size())
            FWindows.resize(static_cast<size_t>(g) + 1);
        auto& Slot = FWindows[static_cast<size_t>(g)];
        if (!Slot)
            Slot = std::make_unique<TKvGraphWindowModel>(g + 1);
        Slot->Tag = g + 1;
        Slot->SettingsFile = SettingsFile;
        bool TopUsed = false, RightUsed = false;
        RebuildWindow(g, StyleSource, TopUsed, RightUsed);
        for (auto [Axis, Used] : {std::pair{&Slot->TopAxis, TopUsed}, {&Slot->RightAxis, RightUsed}}) {
            if (Used)
                Axis->SetVisible(true);
            Axis->SetIsSlaveAxis(!Used);
        }
        const bool Only = g == 0 && Graphs.size() == 1;
        if (Slot->SeriesCount() > 0 || Only) {
            const TGraphData& D = Graphs[static_cast<size_t>(g)];
            const QString Title = QString::fromStdString(D.Title);
            Slot->Caption = QStringLiteral("Plot / ") + kv::PlainCaption(Title);
            Slot->OutfitFile = D.Outfit;
            Slot->TemplateFile = D.Template;
            Slot->Graph.SetCaption(Title);
            FWindowList.insert(FWindowList.begin(), kv::PlainCaption(Title));
        } else {
            RemoveWindowAt(static_cast<size_t>(g));
            Graphs.erase(Graphs.begin() + g);
            // Later windows move down one number.
            for (size_t k = static_cast<size_t>(g); k < FWindows.size(); ++k)
                if (FWindows[k])
                    FWindows[k]->Tag = static_cast<int32_t>(k) + 1;
        }
    }
    FWindowList.insert(FWindowList.begin(), QStringLiteral("Data Table"));
    Document.UpdateLockedRows();
    if (OnWindowsRebuilt)
        OnWindowsRebuilt();
}

void TKvWorkspace::SaveGraphs(TKvIniList& Store)
{
    for (int32_t n = 1; n <= WindowCount(); ++n)
        Window(n).SaveToIni(Store, GraphSectionName(n));
}

void TKvWorkspace::LoadGraphs(const TKvIniList& Store)
{
    // Keys a file lacks keep a new window's values, not the last document's.
    for (auto& W : FWindows)
        if (W)
            W->ResetOutfit();
    RebuildGraphWindows();
    for (int32_t n = 1; n <= WindowCount(); ++n)
        Window(n).LoadCalculations(Store, GraphSectionName(n));
    RebuildGraphWindows();
    for (int32_t n = 1; n <= WindowCount(); ++n)
        Window(n).LoadFromIni(Store, GraphSectionName(n), Document.Table.Screen);
    // The views showed the models before the file's keys were read.
    if (OnWindowsRebuilt)
        OnWindowsRebuilt();
}

void TKvWorkspace::ClearGraphs()
{
    for (auto& W : FWindows)
        if (W)
            W->DeleteAllSeries();
    while (FWindows.size() > 1)
        RemoveWindowAt(FWindows.size() - 1);
    if (!FWindows.empty()) {
        FWindows.front()->BottomAxis.SetAutoCaption(QString());
        FWindows.front()->LeftAxis.SetAutoCaption(QString());
    }
    RebuildGraphWindows();
}

} // namespace kv
