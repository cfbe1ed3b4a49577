#include "KvResultsCommand.h"

#include "KvGraphCommandArgs.h"
#include "KvWorkspace.h"

#include "foundation/KvErrors.h"
#include "foundation/KvTextFile.h"

#include <algorithm>
#include <ostream>

namespace kv {

namespace {

// Every section of one series' results list under its prefix.
void CopyResults(const TKvIniList& Results, const std::string& Prefix, TKvIniList& Out)
{
    TKvStringList Sections, Lines;
    Results.ReadSections(Sections);
    for (const std::string& Section : Sections) {
        Results.ReadSectionValues(Section, Lines);
        for (const std::string& Line : Lines) {
            const size_t Eq = Line.find('=');
            if (Eq != std::string::npos)
                Out.WriteString(Prefix + Section, Line.substr(0, Eq), Line.substr(Eq + 1));
        }
    }
}

} // namespace

bool IsResultsCommand(const std::vector<std::string>& Args)
{
    return HasCommandOption(Args, "--results");
}

TKvResultsRequest ParseResultsArguments(const std::vector<std::string>& Args)
{
    const TKvGraphCommandArgs A = ParseGraphCommandArgs(Args, {"--results", ResultsUsage, "read", true});
    TKvResultsRequest R;
    R.Output = A.Output;
    R.DataFile = A.DataFile;
    R.Graph = A.Graph;
    if (A.Width > 0) {
        R.Width = A.Width;
        R.Height = A.Height;
    }
    return R;
}

TKvIniList CollectResults(TKvWorkspace& Workspace, const TKvResultsRequest& Request, std::ostream& Errors)
{
    TKvIniList Out;
    const int32_t First = Request.Graph > 0 ? Request.Graph : 1;
    const int32_t Last = Request.Graph > 0 ? Request.Graph : Workspace.WindowCount();
    for (int32_t g = First; g <= Last; ++g) {
        TKvGraphWindowModel& W = Workspace.Window(g);
        // Laid out as a picture of that size would be, then recalculated.
        W.Graph.SetBounds(Request.Width, Request.Height);
        W.InvalidateCalculations();
        W.Graph.PrepareForPaint();
        const std::vector<TKvDataWithErrorSeries*> Series = W.DataSeries();
        for (size_t n = 0; n < Series.size(); ++n) {
            const std::string Prefix = "Graph(" + std::to_string(g) + ").Series(" + std::to_string(n + 1) + ")";
            for (const auto& C : Series[n]->Children)
                if (auto* Curve = dynamic_cast<const TKvCalculatedSeries*>(C.get()); Curve && !Curve->LastError.isEmpty()) {
                    // one line per failure: a message's line breaks become blanks
                    std::string Message = Curve->LastError.toStdString();
                    std::replace_if(Message.begin(), Message.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
                    Errors << Prefix << ": " << Message << "\n";
                }
            CopyResults(Series[n]->Results, Prefix + ".", Out);
        }
    }
    return Out;
}

TKvExportResult RunResults(const std::vector<std::string>& Args, std::ostream& Errors)
{
    TKvResultsRequest Request;
    try {
        Request = ParseResultsArguments(Args);
    } catch (const EKvError& E) {
        return {2, E.what()};
    }
    try {
        TKvWorkspace Workspace;
        Workspace.LoadFromFile(Request.DataFile);
        std::string Text = CollectResults(Workspace, Request, Errors).Text();
        Text.erase(0, std::min(Text.size(), Text.find_first_not_of("\r\n"))); // the file starts with its first section
        WriteFileReplacing(Request.Output, Text);
        return {0, "Results of " + Request.DataFile + " written to " + Request.Output};
    } catch (const EKvError& E) {
        return {1, E.what()};
    } catch (const std::exception& E) {
        return {1, std::string("Results failed: ") + E.what()};
    }
}

} // namespace kv
