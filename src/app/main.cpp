// Kurvex: plotting and analysis of measured data.
//
// The executable finds the system's folders and the locale's punctuation
// and hands them to the layers below. The exports run without any window;
// everything else opens the table window.

#include "document/KvCommandLine.h"
#include "document/KvUserSettings.h"
#include "foundation/KvErrors.h"
#include "foundation/KvFormatSettings.h"
#include "ui/MainTableForm.h"
#include "ui/table/GraphAssignForm.h"
#include "ui/widgets/KvColorPicker.h"
#include "workspace/KvExportGraph.h"
#include "workspace/KvResultsCommand.h"
#include "workspace/KvReportCommand.h"
#include "workspace/KvWorkspace.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QDir>
#include <QLocale>
#include <QStandardPaths>

#include <functional>
#include <iostream>
#include <string>
#include <vector>

namespace {

std::string Local(const QString& Text) { return Text.toStdString(); }

// The system has no list separator of its own; the usual convention is a
// semicolon wherever the comma is the decimal separator.
void ReadLocale()
{
    const QString Point = QLocale::system().decimalPoint();
    kv::TKvFormatSettings Settings;
    Settings.DecimalSeparator = Point.size() == 1 && Point[0].unicode() < 128 ? Point[0].toLatin1() : '.';
    Settings.ListSeparator = Settings.DecimalSeparator == ',' ? ';' : ',';
    kv::SetFormatSettings(Settings);
}

kv::TKvPaths ProgramPaths()
{
    const QString Exe = QCoreApplication::applicationFilePath();
    const QString Share = QDir(QCoreApplication::applicationDirPath() + "/../share/kurvex").absolutePath();
    return kv::ComputePaths(Local(Exe), Local(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)),
                            Local(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)), Local(Share));
}

// Runs without a window: help, version, a wrong command line and the exports.
bool IsHeadless(const kv::TKvCommandLine& Line)
{
    return !Line.Error.empty() || Line.Help || Line.Version || !Line.ExportFile.empty();
}

int RunHeadless(int argc, char** argv, kv::TKvCommandLine& Line)
{
    QCoreApplication Application(argc, argv);
    ReadLocale();
    if (Line.Error.empty() && Line.Version) {
        std::cout << "Kurvex " << KURVEX_VERSION << "\n";
        return 0;
    }
    if (Line.Error.empty() && Line.Help) {
        std::cout << kv::CommandLineUsage();
        return 0;
    }
    const kv::TKvPaths Paths = ProgramPaths();
    // A first run is seeded from the shipped settings, which may hold the
    // formulas' named constants; a folder that cannot be made only costs
    // those constants.
    try {
        kv::EnsureUserFile(Paths);
    } catch (const kv::EKvError& E) {
        std::cerr << "kurvex: " << E.what() << "\n";
    }
    Line.SettingsFile = Paths.SettingsFile;
    return kv::RunCommandLine(Line, std::cout, std::cerr);
}

// The graph commands (--export-graph, --report, --results) measure fonts and
// lay graphs out, so they need the GUI part of Qt, but no display: without
// one they render offscreen. Their fit formulas know the user's constants.
int RunGraphCommand(int argc, char** argv, const std::function<kv::TKvExportResult()>& Run, const char* Usage)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && !qEnvironmentVariableIsSet("DISPLAY") &&
        !qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication Application(argc, argv);
    ReadLocale();
    kv::TKvWorkspace::DefaultSettingsFile() = ProgramPaths().SettingsFile;
    const kv::TKvExportResult Result = Run();
    (Result.Status ? std::cerr : std::cout) << (Result.Status ? "kurvex: " : "") << Result.Message << "\n";
    if (Result.Status == 2)
        std::cerr << Usage << "\n";
    return Result.Status;
}

int RunWindows(int argc, char** argv, const kv::TKvCommandLine& Line)
{
    QApplication Application(argc, argv);
    QApplication::setApplicationName("Kurvex");
    QApplication::setApplicationVersion(KURVEX_VERSION);
    ReadLocale();
    const kv::TKvPaths Paths = ProgramPaths();
    // The workspace holds the document and one graph model per graph; it
    // outlives the window, which saves the settings when it goes.
    kv::TKvWorkspace Workspace;
    Workspace.SettingsFile = Paths.SettingsFile;
    kv::TMainTableForm Table(Workspace.Document, Paths);
    Workspace.RebuildGraphWindows();
    // The graph windows of the last run come back over the rebuilt models;
    // at the end they put their placements into the models before the
    // table window saves the settings.
    kv::TKvColorPickerForm::SettingsFile() = Paths.SettingsFile;
    kv::TGraphAssignForm Assignment(Workspace, Table, Paths.SettingsFile);
    struct TPaletteGuard {
        ~TPaletteGuard() { kv::TKvColorPickerForm::FreeInstance(); }
    } Palette;
    QStringList Arguments;
    if (Line.Print)
        Arguments << "/PRINT";
    else if (!Line.DataFile.empty())
        Arguments << QString::fromStdString(Line.DataFile);
    Table.SetCommandLine(Arguments);
    Table.show();
    return QApplication::exec();
}

} // namespace

namespace {

// Qt's note that the runtime folder variable is unset says nothing to a
// user of a command (the runtime folder is not used); every other message
// goes on to Qt's own handler.
QtMessageHandler QtHandler = nullptr;

void FilterQtMessages(QtMsgType Type, const QMessageLogContext& Context, const QString& Message)
{
    if (Message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    if (QtHandler)
        QtHandler(Type, Context, Message);
}

} // namespace

int main(int argc, char** argv)
{
    QtHandler = qInstallMessageHandler(FilterQtMessages);
    const std::vector<std::string> Args(argv + 1, argv + argc);
    if (kv::IsExportGraphCommand(Args))
        return RunGraphCommand(argc, argv, [&] { return kv::RunExportGraph(Args); }, kv::ExportGraphUsage);
    if (kv::IsResultsCommand(Args))
        return RunGraphCommand(argc, argv, [&] { return kv::RunResults(Args, std::cerr); }, kv::ResultsUsage);
    if (kv::IsReportCommand(Args))
        return RunGraphCommand(argc, argv, [&] { return kv::RunReport(Args); }, kv::ReportUsage);
    kv::TKvCommandLine Line = kv::ParseCommandLine(Args);
    if (IsHeadless(Line))
        return RunHeadless(argc, argv, Line);
    return RunWindows(argc, argv, Line);
}
