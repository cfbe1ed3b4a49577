#include "KvCalculationFactory.h"

#include "ExpressionFit.h"
#include "KvASplineIntegral.h"
#include "KvApproxSplineLine.h"
#include "KvIntegral.h"
#include "KvLinearRegressionLine.h"
#include "KvPolynomLine.h"

#include <array>
#include <memory>

namespace kv {

namespace {

constexpr std::array<TKvCalculationKind, 9> Kinds{{
    {"Linear Regression", "Linear Regression", true},
    {"Polynomial Regression", "Polynomial Regression", false},
    {"Nonlinear Regression", "Simplex Fit", true},
    {"Integration", "Integration (Akima)", true},
    {"Differentiation", "Differentiation (Akima)", true},
    {"Interpolation", "Interpolation (Akima)", false},
    {"Approximative Spline Integral", "Integration (Approximative Spline)", true},
    {"Approximative Spline Differentiation", "Differentiation (Approximative Spline)", true},
    {"Approximative Spline", "Interpolation (Approximative Spline)", false},
}};

std::unique_ptr<TKvCalculatedSeries> Create(size_t Index, TKv2DGraph* G, const std::string& SettingsFile)
{
    switch (Index) {
    case 0: return std::make_unique<TKvLinearRegressionLine>(G);
    case 1: return std::make_unique<TKvPolynomLine>(G);
    case 2: return std::make_unique<TExpressionFit>(G, SettingsFile);
    case 3: return std::make_unique<TKvIntegral>(G);
    case 4: return std::make_unique<TKvDifferential>(G);
    case 5: return std::make_unique<TKvInterpolatedLine>(G);
    case 6: return std::make_unique<TKvASplineIntegral>(G);
    case 7: return std::make_unique<TKvASplineDifferential>(G);
    default: return std::make_unique<TKvApproxSplineLine>(G);
    }
}

} // namespace

const TKvCalculationKind* FindCalculationKind(std::string_view ID)
{
    for (const TKvCalculationKind& K : Kinds)
        if (ID == K.ID)
            return &K;
    return nullptr;
}

TKvCalculatedSeries* NewCalculationOfKind(std::string_view ID, TKvSeries& Parent, int32_t SeriesNumber,
                                          TKvErrorEvent OnError, const std::string& SettingsFile)
{
    const TKvCalculationKind* Kind = FindCalculationKind(ID);
    if (Kind == nullptr)
        return nullptr;
    Parent.Children.push_back(Create(static_cast<size_t>(Kind - Kinds.data()), Parent.Graph(), SettingsFile));
    Parent.ChildrenDirty = true;
    auto& Curve = static_cast<TKvCalculatedSeries&>(*Parent.Children.back());
    Curve.SetAutoCaption(QStringLiteral("%1 from Series(%2)").arg(QString::fromUtf8(Kind->AutoCaption)).arg(SeriesNumber));
    Curve.OnError = std::move(OnError);
    Curve.SetParentSeries(&Parent);
    Curve.Tag = static_cast<int32_t>(Parent.Children.size());
    if (Kind->DisplayAutoOff) {
        Curve.SetDisplayAutoStart(false);
        Curve.SetDisplayAutoStop(false);
    }
    return &Curve;
}

} // namespace kv
