#include "KvDocument.h"
#include "KvDataFileDamage.h"

#include "foundation/KvErrors.h"
#include "foundation/KvLargeIniFile.h"
#include "foundation/KvMissing.h"
#include "foundation/KvStrings.h"
#include "foundation/KvTextFile.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace kv {

namespace {

// The fit-formula history is short; this only bounds a damaged count.
constexpr int32_t GraphFormulaReadLimit = 1000;
constexpr size_t GraphFormulaKeep = 10;

void TidyGraphFormulas(TKvStringList& List)
{
    TKvStringList Kept;
    for (const std::string& Entry : List) {
        const bool Seen = std::any_of(Kept.begin(), Kept.end(),
                                      [&](const std::string& K) { return SameTextAscii(K, Entry); });
        if (!Seen)
            Kept.push_back(Entry);
    }
    if (Kept.size() > GraphFormulaKeep)
        Kept.pop_back();
    List = std::move(Kept);
}

// One column's stored list, read as the store's ReadVector does (every
// piece in its place).
struct TColumnText {
    int32_t Column;
    std::string_view Text;
    TKvReadVectorReport Report;
};

// Hands the numbers over at once and without notifications (the caller has
// cleared the vector, so its listeners heard one "cleared, recompute
// everything" instead of one change per value, which is what a million-row
// column needs); touches no other column, so columns can be read side by
// side.
void ReadColumnValues(TColumnText& Job, TKvLiveVector& Values, std::vector<double>& Buffer)
{
    Buffer.clear();
    Buffer.reserve(Job.Text.size() / 8);
    ReadValueList(Job.Text, Buffer, &Job.Report);
    // Empty cells after the last value are no data: a column that ends in
    // them is saved without them, so it loads the same either way.
    while (!Buffer.empty() && IsMissing(Buffer.back()))
        Buffer.pop_back();
    if (Buffer.size() > static_cast<size_t>(TKvDataTable::MaxRows))
        throw ERangeError("A column holds more than " + std::to_string(TKvDataTable::MaxRows) + " values");
    // The numbers move in; the column's old storage is the next buffer.
    Values.SwapValues(Buffer);
}

// Reading the numbers is most of a large load: the columns are shared out
// between the cores (each taken by one worker) when there is enough text
// to be worth a thread. The first error of any worker is raised after all
// have finished.
void ReadColumns(std::vector<TColumnText>& Jobs, TKvDataTable& Table)
{
    constexpr size_t TextPerWorker = 4 << 20;
    size_t Size = 0;
    for (const TColumnText& J : Jobs)
        Size += J.Text.size();
    const size_t Cores = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 4);
    const size_t Workers = std::min({Cores, Jobs.size(), Size / TextPerWorker + 1});
    std::atomic<size_t> Next{0};
    std::mutex Lock;
    std::exception_ptr Error;
    const auto Work = [&] {
        std::vector<double> Buffer;
        for (size_t j; (j = Next++) < Jobs.size();) {
            try {
                ReadColumnValues(Jobs[j], Table.Data(Jobs[j].Column), Buffer);
            } catch (...) {
                const std::lock_guard<std::mutex> Guard(Lock);
                if (!Error)
                    Error = std::current_exception();
            }
        }
    };
    std::vector<std::thread> Others;
    for (size_t t = 1; t < Workers; ++t)
        Others.emplace_back(Work);
    Work();
    for (std::thread& T : Others)
        T.join();
    if (Error)
        std::rethrow_exception(Error);
}

// Recent files and the current file outlive the working folder they were
// given in: a path relative to it would be dead after a restart.
std::string AbsolutePath(const std::string& FileName)
{
    std::error_code Error;
    const std::filesystem::path Path = std::filesystem::absolute(FileName, Error);
    return Error ? FileName : Path.lexically_normal().string();
}

// A data file holds at least one of the sections every save writes; a file
// without any of them (another kind of file, random bytes) holds no table.
bool HoldsDocument(const TKvIniList& Store)
{
    for (const char* Section : {"Table", "Graphs", "GraphFormula", "Assignments"})
        if (Store.SectionExists(Section))
            return true;
    return Store.SectionExists(ColumnSectionName(0)) || Store.SectionExists(ColumnSectionName(1));
}

std::vector<std::string> CutLastLineFindings(const std::string& FileName)
{
    const TKvMappedFile File(FileName);
    const std::string Line = File.IsOpen() ? CutLastLine(File.Bytes()) : std::string();
    if (Line.empty())
        return {};
    return {"its last line is cut short (\"" + Line.substr(0, 40) + (Line.size() > 40 ? "...\")" : "\")")};
}

bool NothingInTable(const TKvDataTable& Table)
{
    for (int32_t k = 1; k <= Table.MaxColumns(); ++k) {
        const TKvTableColumn& C = Table.Column(k);
        if (C.Data->Count() > 0 || !C.Header.empty() || !C.Formula.empty())
            return false;
    }
    return true;
}

void CheckReadable(const std::string& FileName)
{
    std::error_code Error;
    if (!std::filesystem::exists(FileName, Error))
        throw EFileError(FileName + " does not exist");
    if (std::filesystem::is_directory(FileName, Error) || !std::ifstream(FileName, std::ios::binary))
        throw EFileError(FileName + " cannot be read");
}

} // namespace

std::string ColumnSectionName(int32_t k) { return "Column(" + std::to_string(k) + ")"; }

TKvDocument::TKvDocument() { UpdateLockedRows(); }

void TKvDocument::SaveLayout(TKvIniList& Store) const
{
    Store.WriteInteger(ColumnSectionName(0), "Width", Table.RowNumberWidth);
    for (int32_t k = 1; k <= Table.MaxColumns(); ++k) {
        const TKvTableColumn& C = Table.Column(k);
        const std::string Section = ColumnSectionName(k);
        Store.WriteInteger(Section, "Width", C.Width);
        Store.WriteString(Section, "Header", C.Header);
        Store.WriteString(Section, "Formula", LocalToPoint(C.Formula));
        Store.WriteBool(Section, "LiveFormula", C.LiveFormula);
    }
    Store.WriteInteger("GraphFormula", "Count", static_cast<int32_t>(Table.GraphFormulas.size()));
    for (size_t i = 0; i < Table.GraphFormulas.size(); ++i)
        Store.WriteString("GraphFormula", std::to_string(i + 1), Table.GraphFormulas[i]);
    Store.WriteFormPlacement("Table", "Form", Table.Placement);
    // A table of other than the usual width (read from a file) keeps it:
    // without the key a reload would have 26 columns and drop the rest.
    // A file that names a width gets the current one.
    if (Table.MaxColumns() != TKvDataTable::DefaultMaxColumns || Store.FindValue("Table", "MaxColumns"))
        Store.WriteInteger("Table", "MaxColumns", Table.MaxColumns());
}

void TKvDocument::LoadLayout(const TKvIniList& Store)
{
    Table.SetMaxColumns(Store.ReadInteger("Table", "MaxColumns", TKvDataTable::DefaultMaxColumns));
    Table.RowNumberWidth = Store.ReadInteger(ColumnSectionName(0), "Width", TKvDataTable::DefaultWidth);
    for (int32_t k = 1; k <= Table.MaxColumns(); ++k) {
        TKvTableColumn& C = Table.Column(k);
        const std::string Section = ColumnSectionName(k);
        C.Width = Store.ReadInteger(Section, "Width", TKvDataTable::DefaultWidth);
        C.Header = Store.ReadString(Section, "Header", "");
        C.Formula = PointToLocal(Store.ReadString(Section, "Formula", ""));
        C.LiveFormula = Store.ReadBool(Section, "LiveFormula", false) && !C.Formula.empty();
    }
    const int32_t Count = std::min(Store.ReadInteger("GraphFormula", "Count", 0), GraphFormulaReadLimit);
    for (int32_t i = 1; i <= Count; ++i)
        if (const auto Entry = Store.FindValue("GraphFormula", std::to_string(i)))
            Table.GraphFormulas.emplace_back(*Entry);
    TidyGraphFormulas(Table.GraphFormulas);
    Store.ReadFormPlacement("Table", "Form", Table.Placement, Table.Screen);
}

// A column's values live one section below its layout keys: column k in
// Column(k-1), so Column(0) holds column A's values.
void TKvDocument::SaveValues(TKvIniList& Store) const
{
    for (int32_t k = 1; k <= Table.MaxColumns(); ++k)
        if (!Table.Column(k).LiveFormula)
            Store.WriteVector(ColumnSectionName(k - 1), "Data", Table.Data(k));
}

void TKvDocument::LoadValues(const TKvIniList& Store)
{
    FLoadReport = {};
    std::vector<TColumnText> Jobs;
    for (int32_t k = 1; k <= Table.MaxColumns(); ++k) {
        if (Table.Column(k).LiveFormula)
            continue;
        Table.Data(k).Clear(); // the listeners hear it here, on this thread
        if (const auto Text = Store.FindValue(ColumnSectionName(k - 1), "Data"); Text && !Text->empty())
            Jobs.push_back({k, *Text, {}});
    }
    ReadColumns(Jobs, Table);
    for (const TColumnText& J : Jobs) {
        Table.EnsureRows(Table.Data(J.Column).Count());
        if (!J.Report.Clean())
            FLoadReport.Columns.push_back({J.Column, J.Report});
    }
}

std::vector<std::string> TKvLoadReport::Messages() const
{
    std::vector<std::string> Lines;
    for (const TKvColumnReadReport& C : Columns)
        Lines.push_back(C.Entries.Message(ColumnName(C.Column)));
    return Lines;
}

void TKvDocument::SaveToFile(const std::string& FileName)
{
    TKvLargeIniFile Store(FileName);
    Assignment.SaveAssignments(Store);
    if (GraphSections)
        GraphSections->SaveGraphs(Store);
    Store.WriteFormPlacement("Assignments", "Form", Assignment.Placement);
    SaveLayout(Store);
    SaveValues(Store);
    // Only a file that is really written clears the mark; a failed save
    // leaves it set, so the user is asked again before data are lost.
    Store.Release();
    Table.CurrentFile = AbsolutePath(FileName);
    RecentFiles.Add(Table.CurrentFile);
    Table.ClearModified();
}

void TKvDocument::LoadFromFile(const std::string& FileName)
{
    CheckReadable(FileName);
    Table.CurrentFile = AbsolutePath(FileName);
    Table.ClearMessage();
    TKvLargeIniFile Store(FileName);
    std::vector<std::string> Findings = CutLastLineFindings(FileName);
    // The caller has asked about modified data before choosing the file:
    // one question per operation.
    ClearDocument();
    LoadLayout(Store);
    LoadValues(Store);
    Assignment.LoadAssignments(Store);
    if (GraphSections)
        GraphSections->LoadGraphs(Store);
    Store.ReadFormPlacement("Assignments", "Form", Assignment.Placement, Table.Screen);
    UpdateLockedRows();
    if (Table.HasLiveFormula())
        Table.RecalculateAll();
    Store.Release();
    // Data= lists with entries that are no number: no save writes one.
    for (const std::string& Line : FLoadReport.Messages())
        Findings.push_back(Line);
    if (TableSectionMissing(Store, Table.MaxColumns()))
        Findings.insert(Findings.begin(), "it has column sections but no [Table] section");
    Damage = Findings.empty() ? std::string() : DamageMessage(FileName, Findings);
    NothingRead = NothingInTable(Table);
    if (Damage.empty())
        RecentFiles.Add(Table.CurrentFile);
    if (!HoldsDocument(Store))
        Table.ShowMessage(FileName + " holds no table");
    else if (!FLoadReport.Clean())
        Table.ShowMessage(FileName + ": " + FLoadReport.Messages().front() +
                          (FLoadReport.Columns.size() > 1 ? " (and more columns)" : ""));
}

bool TKvDocument::ClearAll()
{
    if (Table.Modified() && ConfirmClear && !ConfirmClear())
        return false;
    ClearDocument();
    return true;
}

void TKvDocument::ClearDocument()
{
    Table.ClearMessage(); // a message about a cell that is gone
    Table.ClearColumns();
    Assignment.ClearGraphs();
    if (GraphSections)
        GraphSections->ClearGraphs();
    UpdateLockedRows();
    Table.ClearModified();
}

void TKvDocument::InsertColumn(int32_t k)
{
    const int32_t N = Table.MaxColumns();
    Table.InsertColumn(k);
    Assignment.ColumnInserted(k - 1, N);
}

void TKvDocument::DeleteColumn(int32_t k)
{
    Table.DeleteColumn(k);
    Assignment.ColumnDeleted(k - 1);
}

void TKvDocument::ImportTable(const std::string& FileName, char Separator)
{
    CheckReadable(FileName);
    std::string Text;
    std::string Error;
    if (!ReadTextFile(FileName, Text, &Error))
        throw EFileError(FileName + " cannot be read. " + Error);
    Table.ImportText(Text, Separator);
}

void TKvDocument::ExportTable(const std::string& FileName, char Separator) const
{
    WriteFileReplacing(FileName, Table.ExportText(Separator));
}

} // namespace kv
