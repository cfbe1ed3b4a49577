#pragma once
// The open document: the table, the column-to-graph assignment and the data
// file that stores them. The graph layer plugs its own sections into the
// file through TKvGraphSections; without it the file holds the table and
// the assignment only.

#include "KvDataTable.h"
#include "KvGraphAssignment.h"
#include "KvRecentFiles.h"

#include <functional>
#include <string>
#include <vector>

namespace kv {

// The graphs' part of the data file, written after the assignment and read
// after it; the graph layer implements it.
class TKvGraphSections {
public:
    virtual ~TKvGraphSections() = default;
    virtual void SaveGraphs(TKvIniList& Store) = 0;
    // Rebuilds the graphs from the assignment just read, then reads their keys.
    virtual void LoadGraphs(const TKvIniList& Store) = 0;
    virtual void ClearGraphs() {}
};

// The entries of the columns' "Data" lists that a load could not read (text
// but no number); they are left empty in their rows.
struct TKvColumnReadReport {
    int32_t Column = 0; // 1-based
    TKvReadVectorReport Entries;
};
struct TKvLoadReport {
    std::vector<TKvColumnReadReport> Columns; // in column order, only those with unreadable entries

    bool Clean() const { return Columns.empty(); }
    // One line per column: "Column B: 2 entries could not be read and are
    // left empty (rows 4, 9)".
    std::vector<std::string> Messages() const;
};

class TKvDocument {
public:
    TKvDocument();

    TKvDataTable Table;
    TKvGraphAssignment Assignment;
    TKvRecentFiles RecentFiles;
    TKvGraphSections* GraphSections = nullptr; // not owned
    // Asked before modified data are cleared; no handler means yes.
    std::function<bool()> ConfirmClear;

    // The data file. A failed save raises EFileError and leaves the old
    // file and the Modified mark as they were.
    void SaveToFile(const std::string& FileName);
    // Raises EFileError "<name> does not exist" for a missing file. Asks no
    // question: the caller asks before it picks the file. A file without
    // any section of a data file loads as an empty table with the message
    // "<name> holds no table". CurrentFile and the recent files get the
    // absolute path. Unreadable entries of a "Data" list are told in the
    // table's message and kept in LoadReport(). A damaged file
    // (KvDataFileDamage.h) loads what it can and leaves Damage set (the
    // message to show) and stays off the recent files until it is saved;
    // NothingRead says that not even a caption, formula or value came through.
    void LoadFromFile(const std::string& FileName);
    std::string Damage;
    bool NothingRead = false;
    // What the last LoadFromFile (or LoadValues) could not read.
    const TKvLoadReport& LoadReport() const { return FLoadReport; }

    // Table layout (no values): also the table's part of the settings file.
    void SaveLayout(TKvIniList& Store) const;
    void LoadLayout(const TKvIniList& Store);
    // The values of the columns without a live formula.
    void SaveValues(TKvIniList& Store) const;
    void LoadValues(const TKvIniList& Store);

    // Clears table and graphs; false when the user kept the modified data.
    bool ClearAll();
    // The same without the question.
    void ClearDocument();
    void InsertColumn(int32_t k);
    void DeleteColumn(int32_t k);
    // Text tables; import raises EFileError "<name> does not exist".
    void ImportTable(const std::string& FileName, char Separator);
    void ExportTable(const std::string& FileName, char Separator) const;

    // The table's locked rows follow the number of graphs.
    void UpdateLockedRows() { Table.LockedRows = Assignment.GraphCount() + 3; }

private:
    TKvLoadReport FLoadReport;
};

std::string ColumnSectionName(int32_t k);

} // namespace kv
