// "Graph to Clipboard" on a real X display (run under xvfb-run): the graph
// of the example file goes to the clipboard, xclip reads it back as another
// program would, and the EMF reader must draw what xclip got.
// Exit status: 0 passed, 1 failed, 77 skipped (a tool is missing).

#include "graph/KvGraphPicture.h"
#include "workspace/KvWorkspace.h"

#include "metafile/KvByteStream.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>

namespace {

int Fail(const char* Message)
{
    std::fprintf(stderr, "clipboard: %s\n", Message);
    return 1;
}

// Runs a program while the event loop keeps serving the clipboard.
bool Run(const QString& Program, const QStringList& Args, QByteArray* Output = nullptr)
{
    QProcess P;
    P.start(Program, Args);
    while (P.state() != QProcess::NotRunning)
        if (!P.waitForFinished(20))
            QCoreApplication::processEvents();
    if (Output)
        *Output = P.readAllStandardOutput();
    return P.exitStatus() == QProcess::NormalExit && P.exitCode() == 0;
}

} // namespace

int main(int argc, char** argv)
{
    for (const char* Tool : {"xclip", "emf2svg-conv", "rsvg-convert"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(Tool)).isEmpty()) {
            std::fprintf(stderr, "clipboard: %s missing, skipped\n", Tool);
            return 77;
        }
    QGuiApplication App(argc, argv);
    kv::TKvWorkspace Workspace;
    Workspace.LoadFromFile(KURVEX_EXAMPLE);
    kv::TKv2DGraph& Graph = Workspace.Window(1).Graph;
    Graph.SetBounds(800, 600);
    kv::CopyToClipboard(Graph);

    QByteArray Targets, Emf, Wmf;
    if (!Run("xclip", {"-selection", "clipboard", "-t", "TARGETS", "-o"}, &Targets))
        return Fail("xclip cannot list the clipboard's types");
    for (const char* Type : {kv::MimeEmf, kv::MimeWmf, kv::MimeOfficeEmf, kv::MimeOfficeWmf, kv::MimeSvg, kv::MimePng})
        if (!Targets.contains(Type)) {
            std::fprintf(stderr, "clipboard: type %s not offered; offered:\n%s\n", Type, Targets.constData());
            return 1;
        }
    if (!Run("xclip", {"-selection", "clipboard", "-t", kv::MimeEmf, "-o"}, &Emf) || Emf.size() < 108)
        return Fail("no EMF from the clipboard");
    if (!Run("xclip", {"-selection", "clipboard", "-t", kv::MimeWmf, "-o"}, &Wmf) ||
        Wmf.size() < 40 || kv::ReadU32(reinterpret_cast<const uint8_t*>(Wmf.constData())) != 0x9AC6CDD7u)
        return Fail("no WMF from the clipboard");
    const auto* B = reinterpret_cast<const uint8_t*>(Emf.constData());
    if (kv::ReadU32(B) != 1 || kv::ReadU32(B + 48) != static_cast<uint32_t>(Emf.size()))
        return Fail("the clipboard's EMF is not the whole picture");

    const QString Dir = QStringLiteral("/tmp/metafile-shots");
    QDir().mkpath(Dir);
    QFile Out(Dir + "/clipboard.emf");
    if (!Out.open(QIODevice::WriteOnly) || Out.write(Emf) != Emf.size())
        return Fail("cannot write /tmp/metafile-shots/clipboard.emf");
    Out.close();
    if (!Run("emf2svg-conv", {"-i", Dir + "/clipboard.emf", "-o", Dir + "/clipboard.emf.svg"}) ||
        !Run("rsvg-convert", {"-w", "800", "-h", "600", "-b", "white", "-o", Dir + "/clipboard.emf.png",
                              Dir + "/clipboard.emf.svg"}))
        return Fail("the reader cannot draw the clipboard's EMF");
    QImage Image(Dir + "/clipboard.emf.png");
    int Red = 0, Blue = 0;
    for (int y = 0; y < Image.height(); ++y)
        for (int x = 0; x < Image.width(); ++x) {
            const QRgb C = Image.pixel(x, y);
            Red += qRed(C) > 180 && qGreen(C) < 100 && qBlue(C) < 100;
            Blue += qBlue(C) > 180 && qRed(C) < 100 && qGreen(C) < 100;
        }
    if (Red < 500 || Blue < 500)
        return Fail("the drawn picture lacks the red curve or the blue symbols");
    std::printf("clipboard: %lld bytes of EMF, %lld of WMF; the reader drew %d red and %d blue pixels\n",
                static_cast<long long>(Emf.size()), static_cast<long long>(Wmf.size()), Red, Blue);
    return 0;
}
