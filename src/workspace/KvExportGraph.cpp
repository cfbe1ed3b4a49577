#include "KvExportGraph.h"

#include "KvWorkspace.h"

#include "graph/KvGraphExport.h"

#include "foundation/KvErrors.h"

#include <algorithm>
#include <charconv>

namespace kv {

namespace {

int32_t ParsePositive(const std::string& Text, const char* What)
{
    int32_t Value = 0;
    const auto [Ptr, Ec] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    if (Ec != std::errc() || Ptr != Text.data() + Text.size() || Value < 1)
        throw EConvertError(std::string("Invalid ") + What + " '" + Text + "'. " + ExportGraphUsage);
    return Value;
}

const std::string& NextValue(const std::vector<std::string>& Args, size_t& i)
{
    if (i + 1 >= Args.size())
        throw EConvertError("Missing value after " + Args[i] + ". " + ExportGraphUsage);
    return Args[++i];
}

} // namespace

bool IsExportGraphCommand(const std::vector<std::string>& Args)
{
    return std::find(Args.begin(), Args.end(), "--export-graph") != Args.end();
}

TKvExportRequest ParseExportGraphArguments(const std::vector<std::string>& Args)
{
    TKvExportRequest R;
    for (size_t i = 0; i < Args.size(); ++i) {
        const std::string& A = Args[i];
        if (A == "--export-graph")
            R.Output = NextValue(Args, i);
        else if (A == "--graph")
            R.Graph = ParsePositive(NextValue(Args, i), "graph number");
        else if (A == "--size") {
            const std::string& Size = NextValue(Args, i);
            const size_t X = Size.find_first_of("xX");
            if (X == std::string::npos)
                throw EConvertError("Invalid size '" + Size + "'. " + ExportGraphUsage);
            R.Width = ParsePositive(Size.substr(0, X), "width");
            R.Height = ParsePositive(Size.substr(X + 1), "height");
        } else if (A.starts_with("--"))
            throw EConvertError("Unknown option " + A + ". " + ExportGraphUsage);
        else if (R.DataFile.empty())
            R.DataFile = A;
        else
            throw EConvertError("Only one data file can be exported. " + std::string(ExportGraphUsage));
    }
    if (R.Output.empty() || R.DataFile.empty())
        throw EConvertError(ExportGraphUsage);
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
