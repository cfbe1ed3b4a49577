#include "workspace/KvExportGraph.h"

#include "foundation/KvErrors.h"

#include <QDir>
#include <QFile>
#include <QtEndian>
#include <QImage>

#include <gtest/gtest.h>

namespace kv {

namespace {

const std::string Example = std::string(KURVEX_TEST_DATA) + "/graph-example.plt";

std::string Out(const std::string& Name)
{
    QDir().mkpath(QStringLiteral("/tmp/graph-shots"));
    const std::string Path = "/tmp/graph-shots/" + Name;
    std::remove(Path.c_str());
    return Path;
}

} // namespace

TEST(ExportGraph, ParsesTheCommandLine)
{
    const auto R = ParseExportGraphArguments({"--export-graph", "a.svg", "--graph", "2", "--size", "640x480", "f.plt"});
    EXPECT_EQ(R.Output, "a.svg");
    EXPECT_EQ(R.Graph, 2);
    EXPECT_EQ(R.Width, 640);
    EXPECT_EQ(R.Height, 480);
    EXPECT_EQ(R.DataFile, "f.plt");
    EXPECT_TRUE(IsExportGraphCommand({"x.plt", "--export-graph", "a.png"}));
    EXPECT_FALSE(IsExportGraphCommand({"x.plt"}));
}

struct TBadArgs {
    std::vector<std::string> Args;
    const char* Expected;
};

class ExportGraphArguments : public testing::TestWithParam<TBadArgs> {};

TEST_P(ExportGraphArguments, AreRejectedWithAUsageMessage)
{
    const TKvExportResult R = RunExportGraph(GetParam().Args);
    EXPECT_EQ(R.Status, 2);
    EXPECT_NE(R.Message.find(GetParam().Expected), std::string::npos) << R.Message;
}

INSTANTIATE_TEST_SUITE_P(
    Bad, ExportGraphArguments,
    testing::Values(TBadArgs{{"--export-graph", "a.png"}, "Usage"},
                    TBadArgs{{"--export-graph", "a.bmp", "f.plt"}, "Unknown picture format"},
                    TBadArgs{{"--export-graph", "a.png", "--graph", "0", "f.plt"}, "Invalid graph number"},
                    TBadArgs{{"--export-graph", "a.png", "--size", "100", "f.plt"}, "Invalid size"},
                    TBadArgs{{"--export-graph", "a.png", "--size", "0x5", "f.plt"}, "Invalid width"},
                    TBadArgs{{"--export-graph", "a.png", "--size", "5x-1", "f.plt"}, "Invalid height"},
                    TBadArgs{{"--export-graph", "a.png", "--graph"}, "Missing value"},
                    TBadArgs{{"--export-graph", "a.png", "--fast", "f.plt"}, "Unknown option"},
                    TBadArgs{{"--export-graph", "a.png", "f.plt", "g.plt"}, "Only one data file"}));

TEST(ExportGraph, WritesEachFormat)
{
    for (const char* Ext : {".png", ".svg", ".pdf", ".emf", ".wmf"}) {
        const std::string Path = Out(std::string("export-example") + Ext);
        const TKvExportResult R = RunExportGraph({"--export-graph", Path, "--size", "700x450", Example});
        EXPECT_EQ(R.Status, 0) << R.Message;
        EXPECT_TRUE(QFile::exists(QString::fromStdString(Path)));
    }
    EXPECT_EQ(QImage(QStringLiteral("/tmp/graph-shots/export-example.png")).size(), QSize(700, 450));
    // The metafiles carry the size too: EMF bounds (inclusive) and the
    // WMF's placeable bounding box.
    QFile Emf(QStringLiteral("/tmp/graph-shots/export-example.emf"));
    QFile Wmf(QStringLiteral("/tmp/graph-shots/export-example.wmf"));
    ASSERT_TRUE(Emf.open(QIODevice::ReadOnly) && Wmf.open(QIODevice::ReadOnly));
    const QByteArray E = Emf.readAll(), W = Wmf.readAll();
    auto I32 = [](const QByteArray& B, int At) { return qFromLittleEndian<int32_t>(B.constData() + At); };
    auto I16 = [](const QByteArray& B, int At) { return qFromLittleEndian<int16_t>(B.constData() + At); };
    ASSERT_GE(E.size(), 108);
    ASSERT_GE(W.size(), 40);
    EXPECT_EQ(I32(E, 0), 1) << "EMF header record";
    EXPECT_EQ(I32(E, 16), 699);
    EXPECT_EQ(I32(E, 20), 449);
    EXPECT_EQ(I32(E, 48), E.size());
    EXPECT_EQ(static_cast<uint32_t>(I32(W, 0)), 0x9AC6CDD7u) << "placeable WMF";
    EXPECT_EQ(I16(W, 10), 700);
    EXPECT_EQ(I16(W, 12), 450);
}

TEST(ExportGraph, PictureShowsTheDocument)
{
    const std::string Path = Out("export-check.png");
    ASSERT_EQ(RunExportGraph({"--export-graph", Path, Example}).Status, 0);
    const QImage Image(QString::fromStdString(Path));
    ASSERT_EQ(Image.size(), QSize(800, 600));
    // The series' symbols are blue and the error bars black on the grey plot.
    int Blue = 0;
    for (int y = 0; y < Image.height(); ++y)
        for (int x = 0; x < Image.width(); ++x) {
            const QRgb C = Image.pixel(x, y);
            Blue += qBlue(C) > 200 && qRed(C) < 50 && qGreen(C) < 50;
        }
    EXPECT_GT(Blue, 500);
}

TEST(ExportGraph, FailuresAreReported)
{
    TKvExportResult R = RunExportGraph({"--export-graph", Out("x.png"), "/nonexistent/file.plt"});
    EXPECT_EQ(R.Status, 1);
    EXPECT_NE(R.Message.find("does not exist"), std::string::npos) << R.Message;
    R = RunExportGraph({"--export-graph", Out("x.png"), "--graph", "4", Example});
    EXPECT_EQ(R.Status, 1);
    EXPECT_NE(R.Message.find("Graph 4 does not exist"), std::string::npos) << R.Message;
    R = RunExportGraph({"--export-graph", "/nonexistent/dir/x.png", Example});
    EXPECT_EQ(R.Status, 1);
    EXPECT_NE(R.Message.find("Cannot write"), std::string::npos) << R.Message;
}

} // namespace kv
