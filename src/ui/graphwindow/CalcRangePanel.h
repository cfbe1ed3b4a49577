#pragma once
// The calculation-range panel of the graph window's side panel: the
// calculation range (From, To) with its marker button, the display range
// with its own marker button, and the chain button that couples the two.
// The panel only shows and collects values; the window's calculation
// controller writes them into the curve.

#include <QGroupBox>

class QFrame;
class QLabel;
class QLineEdit;
class QToolButton;
class QAction;

namespace kv {

class TKvFloatEdit;

class TKvCalcRangePanel : public QGroupBox {
    Q_OBJECT

public:
    TKvCalcRangePanel(QAction* RangeMarkers, QAction* DisplayRangeMarkers, QWidget* Parent = nullptr);

    TKvFloatEdit* FromEdit = nullptr;
    TKvFloatEdit* ToEdit = nullptr;
    QFrame* DisplaySizerPanel = nullptr;
    QLabel* DisplayLabel = nullptr;
    TKvFloatEdit* DisplayFromEdit = nullptr;
    TKvFloatEdit* DisplayToEdit = nullptr;
    QToolButton* RangeMarkersButton = nullptr;
    QToolButton* DisplayRangeMarkersButton = nullptr;
    QToolButton* ChainBtn = nullptr;
    // How many points the last calculation used (points with a missing
    // value and those outside the range take no part).
    QLineEdit* PointsUsedLab = nullptr;

    // Brings the chain button, the display label, edits and frame in line
    // with the coupling state.
    void ShowCoupling(bool Coupled);

signals:
    // A click on the chain button, the display label or its frame.
    void CouplingClicked();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    QAction* FDisplayRangeMarkers;
};

} // namespace kv
