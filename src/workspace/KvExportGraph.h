#pragma once
// The headless export of the command line:
//   kurvex --export-graph OUT.png|OUT.svg|OUT.pdf|OUT.emf|OUT.wmf [--graph N] [--size WxH] FILE.plt
// renders graph N (default 1) of a data file into a picture.

#include <cstdint>
#include <string>
#include <vector>

namespace kv {

struct TKvExportRequest {
    std::string Output;
    std::string DataFile;
    int32_t Graph = 1;
    int32_t Width = 800;
    int32_t Height = 600;
};

struct TKvExportResult {
    int Status = 0; // 0 success, 1 failure while exporting, 2 bad arguments (as the table export)
    std::string Message;
};

// True when the arguments (without the program name) ask for an export.
bool IsExportGraphCommand(const std::vector<std::string>& Args);
// Parses the arguments; raises EConvertError with a usage message.
TKvExportRequest ParseExportGraphArguments(const std::vector<std::string>& Args);
// Loads the data file and writes the picture; needs a QGuiApplication.
TKvExportResult ExportGraph(const TKvExportRequest& Request);
// Both steps; every error becomes a status and message, nothing is thrown.
TKvExportResult RunExportGraph(const std::vector<std::string>& Args);

inline constexpr const char* ExportGraphUsage =
    "Usage: kurvex --export-graph OUT.png|OUT.svg|OUT.pdf|OUT.emf|OUT.wmf [--graph N] [--size WxH] FILE.plt";

} // namespace kv
