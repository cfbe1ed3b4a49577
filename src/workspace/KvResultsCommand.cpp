#include "KvResultsCommand.h"

#include "KvWorkspace.h"

#include "foundation/KvErrors.h"
#include "foundation/KvTextFile.h"

#include <algorithm>
#include <charconv>
#include <ostream>

namespace kv {

namespace {

int32_t ParsePositive(const std::string& Text, const char* What)
{
    int32_t Value = 0;
    const auto [Ptr, Ec] = std::from_chars(Text.data(), Text.data() + Text.size(), Value);
    if (Ec != std::errc() || Ptr != Text.data() + Text.size() || Value < 1)
        throw EConvertError(std::string("Invalid ") + What + " '" + Text + "'. " + ResultsUsage);
    return Value;
}

const std::string& NextValue(const std::vector<std::string>& Args, size_t& i)
{
    if (i + 1 >= Args.size())
        throw EConvertError("Missing value after " + Args[i] + ". " + ResultsUsage);
    return Args[++i];
}

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
    return std::find(Args.begin(), Args.end(), "--results") != Args.end();
}

TKvResultsRequest ParseResultsArguments(const std::vector<std::string>& Args)
{
    TKvResultsRequest R;
    for (size_t i = 0; i < Args.size(); ++i) {
        const std::string& A = Args[i];
        if (A == "--results")
            R.Output = NextValue(Args, i);
        else if (A == "--graph")
            R.Graph = ParsePositive(NextValue(Args, i), "graph number");
        else if (A == "--size") {
            const std::string& Size = NextValue(Args, i);
            const size_t X = Size.find_first_of("xX");
            if (X == std::string::npos)
                throw EConvertError("Invalid size '" + Size + "'. " + ResultsUsage);
            R.Width = ParsePositive(Size.substr(0, X), "width");
            R.Height = ParsePositive(Size.substr(X + 1), "height");
        } else if (A.starts_with("--"))
            throw EConvertError("Unknown option " + A + ". " + ResultsUsage);
        else if (R.DataFile.empty())
            R.DataFile = A;
        else
            throw EConvertError("Only one data file can be read. " + std::string(ResultsUsage));
    }
    if (R.Output.empty() || R.DataFile.empty())
        throw EConvertError(ResultsUsage);
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
                if (auto* Curve = dynamic_cast<const TKvCalculatedSeries*>(C.get()); Curve && !Curve->LastError.isEmpty())
                    Errors << Prefix << ": " << Curve->LastError.toStdString() << "\n";
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
