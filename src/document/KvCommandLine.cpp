#include "KvCommandLine.h"

#include "KvDocument.h"
#include "KvTextTableFile.h"

#include "foundation/KvErrors.h"
#include "foundation/KvFormatSettings.h"

#include <algorithm>
#include <ostream>

namespace kv {

namespace {

// Loads a data file; a damaged one is named on Err. False when nothing of
// it could be read.
bool LoadDataFile(TKvDocument& Document, const std::string& FileName, std::ostream& Err)
{
    Document.LoadFromFile(FileName);
    if (Document.Damage.empty())
        return true;
    Err << Document.Damage << "\n";
    return !Document.NothingRead;
}

} // namespace

TKvCommandLine ParseCommandLine(std::span<const std::string> Args)
{
    TKvCommandLine Line;
    for (size_t i = 0; i < Args.size() && Line.Error.empty(); ++i) {
        const std::string& A = Args[i];
        if (A == "--help")
            Line.Help = true;
        else if (A == "--version")
            Line.Version = true;
        else if (A == "--tab")
            Line.ListSeparator = false;
        else if (A == "--list")
            Line.ListSeparator = true;
        else if (A == "--export-table") {
            if (i + 1 >= Args.size())
                Line.Error = "--export-table needs an output file";
            else
                Line.ExportFile = Args[++i];
        } else if (A == "--import-options") {
            if (i + 1 >= Args.size())
                Line.Error = "--import-options needs a list such as \"delimiter=;,decimal=,\"";
            else
                Line.ImportOptions = Args[++i];
        } else if (A == "/PRINT" && Line.DataFile.empty())
            Line.Print = true;
        else if (A.starts_with("--"))
            Line.Error = "unknown option \"" + A + "\"";
        else if (Line.DataFile.empty())
            Line.DataFile = A;
        else
            Line.Error = "more than one data file: \"" + A + "\"";
    }
    if (Line.Error.empty() && !Line.ExportFile.empty() && Line.DataFile.empty())
        Line.Error = "--export-table needs a data file to export";
    if (Line.Error.empty() && !Line.ImportOptions.empty()) {
        try {
            ParseImportOptions(Line.ImportOptions);
        } catch (const EKvError& E) {
            Line.Error = E.what();
        }
    }
    return Line;
}

std::string CommandLineUsage()
{
    return "Usage: kurvex [--help] [--version] [DATAFILE.plt [--export-table OUT.txt [--tab | --list]]]\n"
           "       kurvex TABLE.csv [--import-options LIST] [--export-table OUT.txt [--tab | --list]]\n"
           "       kurvex --export-graph OUT.png|OUT.svg|OUT.pdf|OUT.emf|OUT.wmf [--graph N] [--size WxH] DATAFILE.plt\n"
           "       kurvex --results OUT.ini [--graph N] [--size WxH] DATAFILE.plt\n"
           "       kurvex --report OUT.rtf|OUT.pdf [--template T.rtf] [--graph N] DATAFILE.plt\n"
           "  DATAFILE.plt              the data file to open\n"
           "  --export-table OUT.txt    load DATAFILE, recompute its live formulas and write\n"
           "                            the table as text (first line the captions)\n"
           "                            (a TABLE.csv, .tsv, .txt, .dat, .prn or any file that is not\n"
           "                            a data file is read as a text table, its layout detected)\n"
           "  --import-options LIST     fix the detected layout of a text table: comma-separated\n"
           "                            key=value pairs, e.g. \"delimiter=;,decimal=,,header=1,comment=#\"\n"
           "                            delimiter=C|tab|space|comma|semicolon  decimal=.|,\n"
           "                            header=N (caption lines)  comment=MARK|none\n"
           "                            first=N (the line of the first data row, from 1)\n"
           "  --tab                     separate the cells by tabs (the default)\n"
           "  --list                    separate the cells by the locale's list separator\n"
           "  --export-graph OUT        render graph N (default 1) of DATAFILE at WxH pixels\n"
           "                            (default 800x600) as PNG, SVG, PDF, EMF or WMF, by OUT's extension\n"
           "  --results OUT.ini         recalculate every calculation of graph N (default: all\n"
           "                            graphs) laid out at WxH and write the series' results\n"
           "  --report OUT              merge graph N's report from the template T.rtf (default:\n"
           "                            the shipped template) and write it as RTF or PDF\n"
           "  --version                 print the version and exit\n"
           "  --help                    print this text and exit\n";
}

int RunCommandLine(const TKvCommandLine& Line, std::ostream& Out, std::ostream& Err)
{
    if (!Line.Error.empty()) {
        Err << "kurvex: " << Line.Error << "\n" << CommandLineUsage();
        return 2;
    }
    if (Line.Print) {
        Err << "Print with Explorer not implemented!\n";
        return 1;
    }
    if (Line.DataFile.empty())
        return 0;
    TKvDocument Document;
    Document.Table.SetFormulaEngine(CreateTableFormula(Line.SettingsFile));
    // Messages may hold CR line breaks meant for a status line.
    Document.Table.OnMessage = [&](std::string Message) {
        std::replace(Message.begin(), Message.end(), '\r', ' ');
        Err << Message << "\n";
    };
    try {
        if (IsDataFile(Line.DataFile)) {
            if (!Line.ImportOptions.empty()) {
                Err << "kurvex: --import-options applies to text tables; " << Line.DataFile << " is a data file\n";
                return 2;
            }
            if (!LoadDataFile(Document, Line.DataFile, Err))
                return 1;
        } else
            OpenTextTableFile(Document, Line.DataFile, ParseImportOptions(Line.ImportOptions));
        if (!Line.ExportFile.empty())
            Document.ExportTable(Line.ExportFile, Line.ListSeparator ? ListSeparator() : '\t');
    } catch (const EKvError& E) {
        Err << "kurvex: " << E.what() << "\n";
        return 1;
    }
    if (Line.ExportFile.empty())
        Out << Line.DataFile << ": " << Document.Table.MaxColumns() << " columns, "
            << Document.Table.MaxDataCount() << " rows\n";
    return 0;
}

} // namespace kv
