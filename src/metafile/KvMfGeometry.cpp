#include "KvMfGeometry.h"

#include <QPainterPathStroker>

#include <algorithm>
#include <cmath>

namespace kv {

namespace {

bool Finite(const QPointF& P) { return std::isfinite(P.x()) && std::isfinite(P.y()); }

// One edge of the guard for the polygon cut: inside test and crossing.
struct TEdge {
    int Axis;      // 0: x, 1: y
    double Value;
    bool KeepBelow;
    bool Inside(const QPointF& P) const
    {
        const double V = Axis == 0 ? P.x() : P.y();
        return KeepBelow ? V <= Value : V >= Value;
    }
    QPointF Cross(const QPointF& A, const QPointF& B) const
    {
        const double a = Axis == 0 ? A.x() : A.y(), b = Axis == 0 ? B.x() : B.y();
        const double t = (Value - a) / (b - a);
        return A + (B - A) * t;
    }
};

} // namespace

bool ClipSegment(QPointF& A, QPointF& B, const QRectF& Clip)
{
    double T0 = 0, T1 = 1;
    const double Dx = B.x() - A.x(), Dy = B.y() - A.y();
    const double P[4] = {-Dx, Dx, -Dy, Dy};
    const double Q[4] = {A.x() - Clip.left(), Clip.right() - A.x(), A.y() - Clip.top(), Clip.bottom() - A.y()};
    for (int k = 0; k < 4; ++k) {
        if (P[k] == 0) {
            if (Q[k] < 0)
                return false;
            continue;
        }
        const double R = Q[k] / P[k];
        if (P[k] < 0)
            T0 = std::max(T0, R);
        else
            T1 = std::min(T1, R);
        if (T0 > T1)
            return false;
    }
    const QPointF Start = A;
    A = Start + QPointF(Dx, Dy) * T0;
    B = Start + QPointF(Dx, Dy) * T1;
    return true;
}

std::vector<TKvMfPolyline> ClipPolyline(const TKvMfPolyline& Line, const QRectF& Guard)
{
    std::vector<TKvMfPolyline> Out;
    TKvMfPolyline Run;
    auto Flush = [&] {
        if (Run.size() >= 2)
            Out.push_back(std::move(Run));
        Run.clear();
    };
    if (Line.size() == 1 && Finite(Line[0]) && Guard.contains(Line[0]))
        Out.push_back(Line);
    for (size_t i = 0; i + 1 < Line.size(); ++i) {
        QPointF A = Line[i], B = Line[i + 1];
        if (!Finite(A) || !Finite(B) || !ClipSegment(A, B, Guard)) {
            Flush();
            continue;
        }
        if (Run.empty() || Run.back() != A) {
            Flush();
            Run.push_back(A);
        }
        Run.push_back(B);
        if (B != Line[i + 1])
            Flush();
    }
    Flush();
    return Out;
}

TKvMfPolyline ClipPolygon(const TKvMfPolyline& Polygon, const QRectF& Guard)
{
    for (const QPointF& P : Polygon)
        if (!Finite(P))
            return {};
    const TEdge Edges[4] = {{0, Guard.left(), false}, {0, Guard.right(), true}, {1, Guard.top(), false},
                            {1, Guard.bottom(), true}};
    TKvMfPolyline Work = Polygon;
    for (const TEdge& E : Edges) {
        if (Work.empty())
            break;
        TKvMfPolyline Next;
        Next.reserve(Work.size() + 4);
        for (size_t i = 0; i < Work.size(); ++i) {
            const QPointF& Cur = Work[i];
            const QPointF& Prev = Work[(i + Work.size() - 1) % Work.size()];
            const bool CurIn = E.Inside(Cur), PrevIn = E.Inside(Prev);
            if (CurIn != PrevIn)
                Next.push_back(E.Cross(Prev, Cur));
            if (CurIn)
                Next.push_back(Cur);
        }
        Work = std::move(Next);
    }
    return Work;
}

std::vector<TKvMfPolyline> SplitDashes(const TKvMfPolyline& Line, const std::vector<double>& Pattern)
{
    std::vector<TKvMfPolyline> Out;
    double Total = 0;
    for (double L : Pattern)
        Total += std::max(0.0, L);
    if (Pattern.size() < 2 || Total <= 0) {
        Out.push_back(Line);
        return Out;
    }
    size_t Index = 0;
    double Left = std::max(0.0, Pattern[0]); // what remains of the current dash or gap
    TKvMfPolyline Dash;
    bool On = true;
    if (!Line.empty())
        Dash.push_back(Line[0]);
    for (size_t i = 0; i + 1 < Line.size(); ++i) {
        QPointF A = Line[i];
        const QPointF B = Line[i + 1];
        double Length = std::hypot(B.x() - A.x(), B.y() - A.y());
        while (Length > Left) {
            const QPointF M = A + (B - A) * (Left / Length);
            if (On) {
                Dash.push_back(M);
                if (Dash.size() >= 2)
                    Out.push_back(std::move(Dash));
                Dash.clear();
            } else
                Dash = {M};
            On = !On;
            Length -= Left;
            A = M;
            Index = (Index + 1) % Pattern.size();
            Left = std::max(0.0, Pattern[Index]);
        }
        Left -= Length;
        if (On)
            Dash.push_back(B);
    }
    if (On && Dash.size() >= 2)
        Out.push_back(std::move(Dash));
    return Out;
}

std::vector<TKvMfPolyline> StrokeOutline(const std::vector<TKvMfPolyline>& Lines, const std::vector<bool>& Closed,
                                         double Width, Qt::PenCapStyle Cap, Qt::PenJoinStyle Join)
{
    QPainterPath Path;
    for (size_t i = 0; i < Lines.size(); ++i) {
        const TKvMfPolyline& L = Lines[i];
        if (L.empty())
            continue;
        Path.moveTo(L[0]);
        for (size_t k = 1; k < L.size(); ++k)
            Path.lineTo(L[k]);
        if (L.size() == 1)
            Path.lineTo(L[0] + QPointF(0.01, 0)); // a dot still gets its cap
        if (i < Closed.size() && Closed[i])
            Path.closeSubpath();
    }
    QPainterPathStroker Stroker;
    Stroker.setWidth(Width);
    Stroker.setCapStyle(Cap);
    Stroker.setJoinStyle(Join);
    const QPainterPath Outline = Stroker.createStroke(Path);
    std::vector<TKvMfPolyline> Out;
    for (const QPolygonF& P : Outline.toSubpathPolygons())
        Out.emplace_back(P.begin(), P.end());
    return Out;
}

} // namespace kv
