#pragma once
// The panel of the interpolated functions (interpolations, derivatives and
// integrals of both engines): the engine selector, smoothing for the Akima
// kinds, the weight factor for the approximative spline, and the lists of
// minima and maxima.

#include <QGroupBox>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;

namespace kv {

class TKvFloatEdit;
class TKvInterpolatedFunction;

class TKvInterpolationPanel : public QGroupBox {
    Q_OBJECT

public:
    explicit TKvInterpolationPanel(QWidget* Parent = nullptr);

    QComboBox* SplineSelect = nullptr;
    QLabel* InterpolLab = nullptr;
    QWidget* SmoothPanel = nullptr;
    QCheckBox* SmoothCheck = nullptr;
    TKvFloatEdit* SmoothMEdit = nullptr;
    QWidget* ApproxSplinePanel = nullptr;
    TKvFloatEdit* WeightFEdit = nullptr;
    QListWidget* MinimaList = nullptr;
    QListWidget* MaximaList = nullptr;

    // Fills the controls from the curve, writing nothing back.
    void ShowItem(const TKvInterpolatedFunction& Curve);
    void ShowSmoothing(bool On);
    // ShowExtrema: both lists refilled from the curve.
    void ShowExtrema(const TKvInterpolatedFunction& Curve);
};

} // namespace kv
