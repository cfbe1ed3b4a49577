// Fuzzes the caption markup renderer and the axis scaling: any caption
// must measure and draw, and any pair of range ends (NaN, infinities,
// huge and tiny values included) must give an adjusted range, a bounded
// number of ticks and pixel positions, without crashing or hanging.

#include "graph/KvAxis.h"
#include "graph/KvLabel.h"

#include <QGuiApplication>
#include <QImage>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

using namespace kv;

namespace {

void Check(bool Condition)
{
    if (!Condition)
        std::abort();
}

double TakeDouble(const uint8_t*& Data, size_t& Size)
{
    double V = 0;
    if (Size >= sizeof V) {
        std::memcpy(&V, Data, sizeof V);
        Data += sizeof V;
        Size -= sizeof V;
    }
    return V;
}

uint8_t TakeByte(const uint8_t*& Data, size_t& Size)
{
    if (Size == 0)
        return 0;
    --Size;
    return *Data++;
}

void FuzzAxis(const uint8_t*& Data, size_t& Size)
{
    const double A = TakeDouble(Data, Size), B = TakeDouble(Data, Size), Part = TakeDouble(Data, Size);
    const uint8_t Flags = TakeByte(Data, Size);
    TKvAxis Axis;
    Axis.SetPosition(static_cast<TKvAxisPos>(Flags % 5));
    Axis.SetScaling(static_cast<TKvAxScaling>((Flags >> 3) % 3));
    Axis.SetTwisted(Flags & 0x20);
    if (Flags & 0x40) {
        Axis.SetAutoTicks(false);
        Axis.SetTickPart(Part);
        Axis.SetMajorTickPart(Part * 5);
        Axis.SetLabelPart(Part * 10);
    }
    TRange Range;
    Axis.Ranges().Add(&Range);
    Range.OnChange = [&Axis](TRange&) { Axis.RangeChanged(); };
    Range.SetRange(std::min(A, B), std::max(A, B));
    Axis.AdjustRange();
    Check(Axis.Start() <= Axis.Stop());
    Axis.ComputeTicks();
    Check(Axis.TickPositions().size() <= 200000);
    Check(Axis.TickPositions().size() == Axis.TickIsMajor().size());
    for (double V : {A, B, 0.0, Axis.Start(), Axis.Stop()})
        (void)Axis.RealToIntPosition(V);
    (void)Axis.IntToRealPosition(static_cast<int32_t>(Flags) - 100);
}

void FuzzCaption(const uint8_t* Data, size_t Size)
{
    static QImage Image(64, 32, QImage::Format_ARGB32_Premultiplied);
    const QString Caption = QString::fromLatin1(reinterpret_cast<const char*>(Data), static_cast<qsizetype>(std::min<size_t>(Size, 400)));
    QPainter P(&Image);
    TKvCaptionRec Rec;
    Rec.Caption = Caption;
    Rec.Canvas = &P;
    Rec.Angle = Size > 0 ? Data[0] * 15 : 0;
    Rec.Draw = true;
    Rec.ShowSelection = true;
    Rec.SelStart = 1;
    Rec.SelEnd = 3;
    RenderCaption(Rec);
    Check(Rec.PlainText.size() <= Caption.size());
    Check(Rec.CharRight.size() == static_cast<size_t>(Caption.size()) + 1);
    for (qsizetype k = 0; k < Rec.PlainText.size(); ++k)
        Check(Rec.CharSource[static_cast<size_t>(k)] >= 1 && Rec.CharSource[static_cast<size_t>(k)] <= Caption.size());
}

} // namespace

// Fontconfig keeps the fallback fonts it looks up for new characters for
// the life of the process; those are caches, not leaks of this code.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int Argc = 1;
    static char Name[] = "GraphFuzz";
    static char* Argv[] = {Name, nullptr};
    static QGuiApplication App(Argc, Argv);
    // The font database fills its caches on first use; do it here so those
    // allocations are not taken for leaks of the first input.
    const uint8_t Warm[] = {'\\', 's', 'a', '\\', 'b', 'x', '\\', '+', '2'};
    for (uint8_t Angle : {0, 60, 120})
        FuzzCaption(std::data({Angle, Warm[0], Warm[1], Warm[2], Warm[3], Warm[4], Warm[5], Warm[6], Warm[7], Warm[8]}), 10);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    const uint8_t* Rest = Data;
    size_t Left = Size;
    FuzzAxis(Rest, Left);
    FuzzCaption(Rest, Left);
    return 0;
}
