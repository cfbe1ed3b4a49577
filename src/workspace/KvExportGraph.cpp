#include "KvExportGraph.h"

#include "KvGraphCommandArgs.h"
#include "KvWorkspace.h"

#include "graph/KvGraphExport.h"

#include "foundation/KvErrors.h"

namespace kv {

bool IsExportGraphCommand(const std::vector<std::string>& Args)
{
    return HasCommandOption(Args, "--export-graph");
}

TKvExportRequest ParseExportGraphArguments(const std::vector<std::string>& Args)
{
    const TKvGraphCommandArgs A = ParseGraphCommandArgs(Args, {"--export-graph", ExportGraphUsage, "exported", true});
    TKvExportRequest R;
    R.Output = A.Output;
    R.DataFile = A.DataFile;
    if (A.Graph > 0)
        R.Graph = A.Graph;
    if (A.Width > 0) {
        R.Width = A.Width;
        R.Height = A.Height;
    }
    PictureFormatOf(R.Output); // an unknown extension is an argument error
    return R;
}

TKvExportResult ExportGraph(const TKvExportRequest& Request)
{
    TKvWorkspace Workspace;
    Workspace.LoadFromFile(Request.DataFile);
    TKvGraphWindowModel& W = Workspace.Window(Request.Graph);
    ExportGraphPicture(W.Graph, Request.Output, Request.Width, Request.Height);
    return {0, "Graph " + std::to_string(Request.Graph) + " of " + Request.DataFile + " written to " + Request.Output};
}

TKvExportResult RunExportGraph(const std::vector<std::string>& Args)
{
    TKvExportRequest Request;
    try {
        Request = ParseExportGraphArguments(Args);
    } catch (const EKvError& E) {
        return {2, E.what()};
    }
    try {
        return ExportGraph(Request);
    } catch (const EKvError& E) {
        return {1, E.what()};
    } catch (const std::exception& E) {
        return {1, std::string("Export failed: ") + E.what()};
    }
}

} // namespace kv
