#include "GraphTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kv::test {

TEST(GraphRender, ExampleShot)
{
    TTestGraph T;
    std::vector<double> X, Y, Y2, E;
    for (int i = 0; i <= 20; ++i) {
        X.push_back(i * 0.5);
        Y.push_back(std::sin(i * 0.3) * 3 + 4);
        Y2.push_back(i * 0.2);
        E.push_back(0.3 + 0.02 * i);
    }
    auto& S1 = T.AddSeries(T.Vector(X), T.Vector(Y));
    S1.SetAutoCaption("\\ss\\s(X)\\+2\\+");
    S1.SetdYPlus(&T.Vector(E));
    S1.SetdYMinus(&T.Vector(E));
    auto& S2 = T.AddSeries(T.Vector(X), T.Vector(Y2));
    S2.SetAutoCaption("Line \\bbold\\b");
    S2.LineStyle.SetColor(0x008000);
    S2.PointStyle.SetStyle(TKvPointSymbol::SyDeltaFilled);
    T.Bottom->SetShowCaption(true);
    T.Bottom->SetAutoCaption("Time t / s");
    T.Left->SetShowCaption(true);
    T.Left->SetAutoCaption("Voltage U\\-0\\- / mV");
    auto& L = T.Graph.AddLegend();
    L.SetInGraphPosition(TKvAxisPos::AxRightPos);
    T.Graph.MajorGridX.SetVisible(true);
    T.Graph.MajorGridY.SetVisible(true);
    const QImage Image = T.Render();
    ASSERT_TRUE(Image.save(QString::fromStdString(ShotPath("example.png"))));
}

} // namespace kv::test
