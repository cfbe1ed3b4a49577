#pragma once
// The Y axis of a derivative or integral curve: their values have other
// units than the data, so they are drawn against an axis of their own on
// the right of the graph, found or created once when the curve is attached.

#include "KvAxis.h"

#include <QString>
#include <QStringList>

namespace kv {

// The captions of the curves' axes: the integral sign is the Symbol
// font's code 0xF2.
inline const QString DerivativeCaption = QStringLiteral("dY/dX");
inline const QString IntegralCaption = QStringLiteral("\\s") + QChar(0xF2) + QStringLiteral("\\sY dX");

class TKvCalculatedSeries;
class TKvSeries;

class TKvSecondaryAxis {
public:
    // The IsSlaveAxis value of the axis taken, before it was taken.
    bool WasSlave = false;

    // With the graph's ZeroOrigin the parent's own Y axis; otherwise the
    // last vertical axis of the graph that is not the parent's, made
    // visible; or a new one on the right named "SecondaryAxis" + k (the
    // smallest free k). The axis then keeps its own range and is captioned
    // from its curves (Caption joins the captions of the curves already on
    // it), so the reader knows what it measures.
    void Assign(TKvCalculatedSeries& Curve, TKvSeries& Parent, const QString& Caption);
    static void AddCaption(TKvAxis& Axis, const QString& Caption);
    // Gives the axis its former slave flag back; the axis stays.
    void Restore(TKvCalculatedSeries& Curve) const;
};

} // namespace kv
