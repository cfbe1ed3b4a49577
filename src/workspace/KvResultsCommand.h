#pragma once
// The headless results command of the command line:
//   kurvex --results OUT.ini [--graph N] [--size WxH] FILE.plt
// loads a data file, lays each graph out at the given size (curves are
// sampled per pixel column), recalculates every calculation and writes the
// results lists of the data series into one INI file, each section under
// "Graph(g).Series(n)." followed by its own name.

#include "KvExportGraph.h"

#include "foundation/KvIniList.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace kv {

struct TKvResultsRequest {
    std::string Output;
    std::string DataFile;
    int32_t Graph = 0; // 0: all graphs
    int32_t Width = 800;
    int32_t Height = 600;
};

class TKvWorkspace;

// True when the arguments (without the program name) ask for results.
bool IsResultsCommand(const std::vector<std::string>& Args);
// Parses the arguments; raises EConvertError with a usage message.
TKvResultsRequest ParseResultsArguments(const std::vector<std::string>& Args);
// The results lists of the graphs of a loaded workspace as one document;
// every failed calculation is told to Errors as "Graph(g).Series(n): "
// followed by its error text.
TKvIniList CollectResults(TKvWorkspace& Workspace, const TKvResultsRequest& Request, std::ostream& Errors);
// Parses, loads, collects and writes: status 0 when the file loaded (even
// with failed calculations), 1 when it could not be read or written, 2 for
// bad arguments. Nothing is thrown.
TKvExportResult RunResults(const std::vector<std::string>& Args, std::ostream& Errors);

inline constexpr const char* ResultsUsage = "Usage: kurvex --results OUT.ini [--graph N] [--size WxH] FILE.plt";

} // namespace kv
