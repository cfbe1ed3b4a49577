#include "KvReportCommand.h"

#include "KvGraphCommandArgs.h"
#include "KvGraphReportSource.h"
#include "KvWorkspace.h"

#include "report/KvDefaultTemplate.h"
#include "report/KvReportMerge.h"
#include "report/KvReportPaginator.h"
#include "report/KvRtfReader.h"
#include "report/KvRtfWriter.h"

#include "foundation/KvErrors.h"

#include <QFileInfo>

#include <algorithm>

namespace kv {

namespace {

bool EndsWith(const std::string& Name, const char* Extension)
{
    const std::string E(Extension);
    return Name.size() >= E.size() &&
           std::equal(E.rbegin(), E.rend(), Name.rbegin(), [](char A, char B) { return A == std::tolower(B); });
}

} // namespace

bool IsReportCommand(const std::vector<std::string>& Args)
{
    return HasCommandOption(Args, "--report");
}

TKvReportRequest ParseReportArguments(const std::vector<std::string>& Args)
{
    const TKvGraphCommandArgs A =
        ParseGraphCommandArgs(Args, {"--report", ReportUsage, "reported", false, true});
    TKvReportRequest R;
    R.Output = A.Output;
    R.Template = A.Template;
    R.DataFile = A.DataFile;
    if (A.Graph > 0)
        R.Graph = A.Graph;
    if (!EndsWith(R.Output, ".rtf") && !EndsWith(R.Output, ".pdf"))
        throw EConvertError("The report must be written as .rtf or .pdf: " + R.Output + ". " + ReportUsage);
    return R;
}

TKvRtfDocument MergeWindowReport(TKvGraphWindowModel& Window, const std::string& Template,
                                 const std::string& LastTemplate)
{
    std::string File = Template;
    for (const std::string* Candidate : {static_cast<const std::string*>(&Window.TemplateFile), &LastTemplate})
        if (File.empty() && !Candidate->empty() && QFileInfo::exists(QString::fromStdString(*Candidate)))
            File = *Candidate;
    const TKvRtfDocument Loaded = File.empty() ? DefaultTemplate() : ReadRtfFile(QString::fromStdString(File));
    const TKvGraphReportSource Source(Window);
    return TKvReportMerge(Source).Merge(Loaded);
}

TKvRtfDocument MergeGraphReport(TKvWorkspace& Workspace, int32_t Graph, const std::string& Template)
{
    return MergeWindowReport(Workspace.Window(Graph), Template);
}

TKvExportResult WriteGraphReport(const TKvReportRequest& Request)
{
    TKvWorkspace Workspace;
    Workspace.LoadFromFile(Request.DataFile);
    // Without a window the graph is laid out at the size --export-graph and
    // --results use, so its legend and curves look the same in all three.
    Workspace.Window(Request.Graph).Graph.SetBounds(800, 600);
    const TKvRtfDocument Report = MergeGraphReport(Workspace, Request.Graph, Request.Template);
    const QString Output = QString::fromStdString(Request.Output);
    if (EndsWith(Request.Output, ".pdf"))
        WriteReportPdf(Report, Output);
    else
        WriteRtfFile(Report, Output);
    return {0, "Report of graph " + std::to_string(Request.Graph) + " of " + Request.DataFile + " written to " +
                   Request.Output};
}

TKvExportResult RunReport(const std::vector<std::string>& Args)
{
    TKvReportRequest Request;
    try {
        Request = ParseReportArguments(Args);
    } catch (const EKvError& E) {
        return {2, E.what()};
    }
    try {
        return WriteGraphReport(Request);
    } catch (const EKvError& E) {
        return {1, E.what()};
    } catch (const std::exception& E) {
        return {1, std::string("Report failed: ") + E.what()};
    }
}

} // namespace kv
