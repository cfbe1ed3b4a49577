#include "KvRange.h"

#include "KvErrors.h"

#include <algorithm>
#include <cmath>

namespace kv {

void TRange::Changed()
{
    if (OnChange)
        OnChange(*this);
}

void TRange::SetStart(double Value)
{
    FStart = Value;
    Changed();
}

void TRange::SetStop(double Value)
{
    FStop = Value;
    Changed();
}

void TRange::Reset()
{
    FStart = KvMissing;
    FStop = -KvMissing;
}

void TRange::SetRange(double AStart, double AStop)
{
    FStart = AStart;
    FStop = AStop;
    Changed();
}

int TRange::Include(double X)
{
    // A NaN would otherwise become the start (it is not >= anything) and
    // poison every axis that reads the range.
    if (std::isnan(X))
        return 0;
    int Moved = 0;
    if (!(X >= FStart)) {
        FStart = X;
        Moved |= 1;
    }
    if (X > FStop) {
        FStop = X;
        Moved |= 2;
    }
    if (Moved)
        Changed();
    return Moved;
}

void TRange::Assign(const TKvPersistent& Source)
{
    const auto* Other = dynamic_cast<const TRange*>(&Source);
    if (!Other)
        throw EConvertError("Cannot be assigned to TRange");
    FStart = Other->FStart;
    FStop = Other->FStop;
    Changed();
}

void TRangeList::Add(TRange* Range)
{
    Remove(Range);
    FItems.push_back(Range);
}

void TRangeList::Remove(TRange* Range) { std::erase(FItems, Range); }

} // namespace kv
