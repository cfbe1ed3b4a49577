#pragma once
// The open document as a whole: the table and the assignment with one
// graph-window model per graph, rebuilt from the assignment, and the
// graph sections of the data file. Windows and the command line both
// work through it.

#include "KvGraphWindowModel.h"

#include "document/KvDocument.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kv {

class TKvWorkspace : public TKvGraphSections {
public:
    TKvWorkspace();
    ~TKvWorkspace() override;
    TKvWorkspace(const TKvWorkspace&) = delete;
    TKvWorkspace& operator=(const TKvWorkspace&) = delete;

    // Declared first: the series of the windows are bound to its column
    // vectors, so it must outlive them.
    TKvDocument Document;

    // The user settings file whose named constants the windows' nonlinear
    // fits know (empty: none); the windows take it at the next rebuild.
    std::string SettingsFile = DefaultSettingsFile();

    // The settings file every new workspace starts with. The program sets it
    // once, so that its command-line exports know the user's constants as
    // its windows do; empty (none) unless set.
    static std::string& DefaultSettingsFile();

    int32_t WindowCount() const { return static_cast<int32_t>(FWindows.size()); }
    // Window of graph n (1-based); raises ERangeError when there is none.
    TKvGraphWindowModel& Window(int32_t n);

    // Makes windows and series match the assignment. A new series takes
    // its style from Graph(g).Series(s) of StyleSource when one is given
    // (the settings file of the previous run).
    void RebuildGraphWindows(const TKvIniList* StyleSource = nullptr);
    // The Window menu list: "Data Table", then the graphs' plain titles.
    const std::vector<QString>& WindowList() const { return FWindowList; }

    // Told before a window model is destroyed and after every rebuild (and
    // once more after a file's graph keys are read), so the views over the
    // models follow them.
    std::function<void(TKvGraphWindowModel&)> OnWindowRemoving;
    std::function<void()> OnWindowsRebuilt;

    // The graph sections of the data file (called by the document).
    void SaveGraphs(TKvIniList& Store) override;
    void LoadGraphs(const TKvIniList& Store) override;
    void ClearGraphs() override;

    void SaveToFile(const std::string& FileName) { Document.SaveToFile(FileName); }
    void LoadFromFile(const std::string& FileName) { Document.LoadFromFile(FileName); }

private:
    void RebuildWindow(int32_t g, const TKvIniList* StyleSource, bool& TopUsed, bool& RightUsed);
    TKvRealVector* ColumnVector(int32_t Column);
    void RemoveWindowAt(size_t Index);

    std::vector<std::unique_ptr<TKvGraphWindowModel>> FWindows;
    std::vector<QString> FWindowList;
};

} // namespace kv
