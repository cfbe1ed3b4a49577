#pragma once
// The command line of the program. Besides the data file to open it offers
// a headless export: load the data file, recompute its live formulas and
// write the text table, without any window. A file that is not a data file
// is read as a text table with detection (choices fixed by
// --import-options).

#include <iosfwd>
#include <span>
#include <string>

namespace kv {

struct TKvCommandLine {
    bool Help = false;
    bool Version = false;
    bool Print = false; // "/PRINT": not available
    std::string DataFile;
    std::string ExportFile; // --export-table OUT.txt
    bool ListSeparator = false; // --list instead of --tab
    std::string ImportOptions;  // --import-options for a text table
    std::string Error;          // a usage error; empty when the line is fine
    // Not from the arguments: the settings file with the formulas' named
    // constants, set by the executable.
    std::string SettingsFile;
};

TKvCommandLine ParseCommandLine(std::span<const std::string> Args);
std::string CommandLineUsage();

// Runs the headless part of a parsed command line (open and export); help
// and version are the executable's. Per-cell errors and failures go to Err.
// Returns the process exit status: 0 success, 1 a failure, 2 a usage error.
int RunCommandLine(const TKvCommandLine& Line, std::ostream& Out, std::ostream& Err);

} // namespace kv
