// Graph pictures read by independent readers and compared with the PNG
// export of the same graph.

#include "MetafileRecords.h"

#include "graph/KvGraphExport.h"
#include "graph/KvGraphPicture.h"
#include "workspace/KvWorkspace.h"

#include <gtest/gtest.h>

namespace kv::test {

namespace {

const std::string ExampleFile = std::string(KURVEX_TEST_DATA) + "/../../examples/Damped-oscillation.plt";

} // namespace

TEST(GraphPicture, ExampleGraphThroughTheReaders)
{
    TKvWorkspace Workspace;
    Workspace.LoadFromFile(ExampleFile);
    TKv2DGraph& G = Workspace.Window(1).Graph;
    const QImage Png = RenderGraphImage(G, 800, 600);
    Png.save(QString::fromStdString(ShotDir() + "example.png"));
    const QByteArray Emf = GetMetafile(G, TKvMetafileFormat::MfEnhanced)->Bytes();
    const QByteArray Wmf = GetMetafile(G, TKvMetafileFormat::MfWindows)->Bytes();
    CheckEmfStructure(Emf);
    CheckWmfStructure(Wmf);
    const QImage E = RenderEmf(Emf, 800, 600, "example");
    const QImage W = RenderWmf(Wmf, 800, 600, "example");
}

} // namespace kv::test
