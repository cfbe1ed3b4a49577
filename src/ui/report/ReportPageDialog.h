#pragma once
// The page dialog of the report window: paper size, orientation and the
// four margins of the active document, in millimetres. Choosing a paper
// fills its size in; a size of no listed paper shows "Custom".

#include "report/KvRtfDocument.h"

#include <QDialog>

#include <array>

class QComboBox;
class QDoubleSpinBox;

namespace kv {

class TReportPageDialog : public QDialog {
    Q_OBJECT

public:
    explicit TReportPageDialog(QWidget* Parent = nullptr);

    void SetPage(const TKvPageSetup& Page);
    // The page as the dialog shows it; the header and footer distances
    // are kept from SetPage. A landscape page is given turned, wider than high.
    TKvPageSetup Page() const;
    // Why the page cannot be used (margins that leave no text area), or empty.
    QString Problem() const;
    void accept() override;

    QComboBox* PaperCombo() const { return FPaper; }
    QComboBox* OrientationCombo() const { return FOrientation; }
    QDoubleSpinBox* PaperWidth() const { return FWidth; }
    QDoubleSpinBox* PaperHeight() const { return FHeight; }
    // Left, right, top, bottom.
    QDoubleSpinBox* Margin(int i) const { return FMargins[static_cast<size_t>(i)]; }

private:
    QDoubleSpinBox* AddSpin(double Minimum);
    void PaperChosen();
    void OrientationChosen();
    void SizeEdited();

    TKvPageSetup FPage;
    QComboBox* FPaper = nullptr;
    QComboBox* FOrientation = nullptr;
    QDoubleSpinBox *FWidth = nullptr, *FHeight = nullptr;
    std::array<QDoubleSpinBox*, 4> FMargins{};
    bool FFilling = false;
};

} // namespace kv
