#pragma once
// The headless report of the command line:
//   kurvex --report OUT.rtf|OUT.pdf [--template T.rtf] [--graph N] FILE.plt
// merges the report of graph N (default 1) of a data file from a template
// (the given one, else the graph's own, else the shipped default) and
// writes it as RTF or PDF.

#include "KvExportGraph.h"

#include "report/KvRtfDocument.h"

#include <string>
#include <vector>

namespace kv {

class TKvWorkspace;
class TKvGraphWindowModel;

struct TKvReportRequest {
    std::string Output;
    std::string Template;
    std::string DataFile;
    int32_t Graph = 1;
};

bool IsReportCommand(const std::vector<std::string>& Args);
// Raises EConvertError with a usage message.
TKvReportRequest ParseReportArguments(const std::vector<std::string>& Args);
// The merged report of a graph window from the template given, else the
// window's own template file, else LastTemplate (the settings' last
// template), else the shipped default; files that do not exist are passed
// over, a file that does not read is an error.
TKvRtfDocument MergeWindowReport(TKvGraphWindowModel& Window, const std::string& Template,
                                 const std::string& LastTemplate = {});
// The merged report of a graph of a loaded workspace.
TKvRtfDocument MergeGraphReport(TKvWorkspace& Workspace, int32_t Graph, const std::string& Template);
// Loads, merges and writes; needs a QGuiApplication.
TKvExportResult WriteGraphReport(const TKvReportRequest& Request);
// Both steps; status 0 success, 1 failure, 2 bad arguments; nothing thrown.
TKvExportResult RunReport(const std::vector<std::string>& Args);

inline constexpr const char* ReportUsage =
    "Usage: kurvex --report OUT.rtf|OUT.pdf [--template T.rtf] [--graph N] FILE.plt";

} // namespace kv
