#pragma once
// A graph with one data series for the calculated-curve tests, and
// readers of the series' results list.

#include "GraphTestSupport.h"

#include "graph/KvCalculatedSeries.h"

#include <string>
#include <vector>

namespace kv::test {

struct TCalcGraph : TTestGraph {
    TKvDataWithErrorSeries* Series = nullptr;
    TKvLiveVector* X = nullptr;
    TKvLiveVector* Y = nullptr;
    TKvLiveVector* W = nullptr;

    TCalcGraph(const std::vector<double>& Xs, const std::vector<double>& Ys, const std::vector<double>& Ws = {})
    {
        X = &Vector(Xs);
        Y = &Vector(Ys);
        Series = &AddSeries(*X, *Y);
        if (!Ws.empty()) {
            W = &Vector(Ws);
            Series->SetWeight(W);
        }
        Graph.SetBounds(600, 400);
        Graph.PrepareForPaint();
    }

    template <class T>
    T& Add(TKvErrorEvent OnError = {})
    {
        return NewCalculation<T>(*Series, QStringLiteral("Curve"), std::move(OnError));
    }

    double Result(const std::string& Section, const std::string& Key) const
    {
        return Series->Results.ReadFloat(Section, Key, -12345.0);
    }
    std::vector<std::string> Keys(const std::string& Section) const
    {
        TKvStringList L;
        Series->Results.ReadSection(Section, L);
        return L;
    }
};

// X and Y of f over x = From, From + Step, ... (Count points).
template <class F>
std::pair<std::vector<double>, std::vector<double>> Sampled(F f, double From, double Step, int Count)
{
    std::vector<double> Xs, Ys;
    for (int i = 0; i < Count; ++i) {
        Xs.push_back(From + Step * i);
        Ys.push_back(f(Xs.back()));
    }
    return {Xs, Ys};
}

} // namespace kv::test
