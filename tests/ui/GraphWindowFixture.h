#pragma once
// A workspace with its table window, the assignment dialog and the graph
// windows, in a fresh temporary folder, every question answered by the test.

#include "ui/KvCellGrid.h"
#include "ui/MainTableForm.h"
#include "ui/graphwindow/GraphForm.h"
#include "ui/table/GraphAssignForm.h"

#include "workspace/KvWorkspace.h"

#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace kv::test {

class GraphWindows : public testing::Test {
protected:
    std::filesystem::path Dir;
    TKvPaths Paths;
    std::unique_ptr<TKvWorkspace> Workspace;
    std::unique_ptr<TMainTableForm> Table;
    std::unique_ptr<TGraphAssignForm> Assign;
    std::vector<QString> Errors;
    QString NextFile, NextFilter, ProposedFile;

    void SetUp() override
    {
        Dir = std::filesystem::temp_directory_path() /
              ("kurvex-gw-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir / "exe");
        Paths = ComputePaths((Dir / "exe" / "kurvex").string(), (Dir / "appdata").string(), (Dir / "docs").string());
    }
    void TearDown() override
    {
        Close();
        std::filesystem::remove_all(Dir);
    }
    // Builds the windows as the program's start does.
    void Open()
    {
        Workspace = std::make_unique<TKvWorkspace>();
        Table = std::make_unique<TMainTableForm>(Workspace->Document, Paths);
        auto& S = Table->Services;
        S.Ask = [](const QString&, QMessageBox::StandardButtons) { return QMessageBox::No; };
        S.ShowError = [this](const QString& Text) { Errors.push_back(Text); };
        S.ShowInfo = [](const QString&) {};
        S.OpenFileName = [this](const QString&, const QString& Start, const QString&, QString& Filter) {
            ProposedFile = Start;
            if (!NextFilter.isEmpty())
                Filter = NextFilter;
            return NextFile;
        };
        S.SaveFileName = S.OpenFileName;
        S.Beep = [] {};
        S.RunImportDialog = [](TImportTableForm&) { return true; };
        Workspace->RebuildGraphWindows();
        Assign = std::make_unique<TGraphAssignForm>(*Workspace, *Table, Paths.SettingsFile);
        Table->resize(700, 500);
        Table->show();
    }
    // Ends as the program does: placements into the models, settings saved.
    void Close()
    {
        Assign.reset();
        Table.reset();
        Workspace.reset();
    }
    TKvDocument& Doc() { return Workspace->Document; }
    TGraphForm& Form(int n)
    {
        TGraphForm* F = Assign->GraphForm(n);
        if (!F)
            throw std::runtime_error("no graph window " + std::to_string(n));
        return *F;
    }
    // Column k (1-based) gets the values.
    void Fill(int k, std::initializer_list<double> Values)
    {
        TKvRealVector& V = Doc().Table.Data(k);
        int i = 0;
        for (double X : Values)
            V.SetValue(i++, X);
    }
    // Slot s (1-based) of graph g plots column Y over column X.
    void Plot(int g, int s, int X, int Y)
    {
        auto& A = Doc().Assignment;
        while (A.GraphCount() < g)
            A.AddGraph();
        auto& D = A.Graphs[static_cast<size_t>(g - 1)];
        D.XAxis[static_cast<size_t>(s - 1)] = X;
        D.YAxis[static_cast<size_t>(s - 1)] = Y;
    }
    void Write(const std::filesystem::path& Path, const std::string& Text)
    {
        std::ofstream(Path, std::ios::binary) << Text;
    }
    static QString Panel(TGraphForm& F, int i) { return F.StatusPanel(i)->text(); }
    static void Shot(QWidget& W, const char* Name)
    {
        if (const char* Folder = std::getenv("KURVEX_SHOTS"))
            W.grab().save(QString(Folder) + "/" + Name + ".png");
    }
};

} // namespace kv::test
