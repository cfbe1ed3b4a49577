#include "KvASplineIntegral.h"

#include "KvIntegral.h"

namespace kv {

void TKvASplineIntegral::CalculateFunction()
{
    InterpolateParent();
    FillDisplayX();
    FillIntegral(FEngine, *this);
}

void TKvASplineIntegral::WriteResults(TKvIniList& List, std::string_view Section) const
{
    TKvApproxSplineSecondary::WriteResults(List, Section);
    WriteExtrema(List, Section);
}

} // namespace kv
