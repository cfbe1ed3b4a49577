#pragma once
// Helpers shared by the graph tests: a graph set up like the graph
// window's (four axes, ticks pointing into the plot), series over plain
// or live vectors, and pixel probes.

#include "graph/KvGraph2D.h"
#include "graph/KvGraphExport.h"

#include <QImage>

#include <memory>
#include <string>
#include <vector>

namespace kv::test {

struct TTestGraph {
    // Declared first so the vectors outlive the series bound to them.
    std::vector<std::unique_ptr<TKvLiveVector>> Vectors;
    TKv2DGraph Graph;
    TKvAxis* Bottom = nullptr;
    TKvAxis* Left = nullptr;
    TKvAxis* Top = nullptr;
    TKvAxis* Right = nullptr;

    // With Slaves, top and right axes follow bottom and left.
    explicit TTestGraph(bool Slaves = true);
    TKvLiveVector& Vector(std::initializer_list<double> Values);
    TKvLiveVector& Vector(const std::vector<double>& Values);
    TKvDataWithErrorSeries& AddSeries(TKvRealVector& X, TKvRealVector& Y);
    QImage Render(int W = 600, int H = 400);
};

// The directory for pictures to look at; created on first use.
std::string ShotPath(const std::string& Name);
bool SameColor(QRgb A, QColor B);
// Pixels that differ between two images of the same size.
double DifferingFraction(const QImage& A, const QImage& B);

} // namespace kv::test
