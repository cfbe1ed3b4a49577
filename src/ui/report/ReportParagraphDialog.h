#pragma once
// The paragraph dialog of the report window: alignment, left, right and
// first-line indent (cm), space before and after (points) and the line
// spacing of the paragraphs at the caret.

#include <QDialog>
#include <QTextBlockFormat>

class QComboBox;
class QDoubleSpinBox;

namespace kv {

class TReportParagraphDialog : public QDialog {
    Q_OBJECT

public:
    enum TSpacing { SpSingle, SpOneAndHalf, SpDouble, SpAtLeast, SpExactly };

    explicit TReportParagraphDialog(QWidget* Parent = nullptr);

    void SetFormat(const QTextBlockFormat& Format);
    // The fields the dialog shows, ready to merge into a paragraph's format.
    QTextBlockFormat Format() const;

    QComboBox* AlignmentCombo() const { return FAlignment; }
    QComboBox* SpacingCombo() const { return FSpacing; }
    QDoubleSpinBox* LeftIndent() const { return FLeft; }
    QDoubleSpinBox* RightIndent() const { return FRight; }
    QDoubleSpinBox* FirstLineIndent() const { return FFirst; }
    QDoubleSpinBox* SpaceBefore() const { return FBefore; }
    QDoubleSpinBox* SpaceAfter() const { return FAfter; }
    // The height for "At least" and "Exactly", in points.
    QDoubleSpinBox* SpacingValue() const { return FSpacingValue; }

private:
    QDoubleSpinBox* AddSpin(double Minimum, double Maximum, const QString& Suffix);
    void SpacingChosen();

    QComboBox* FAlignment = nullptr;
    QComboBox* FSpacing = nullptr;
    QDoubleSpinBox *FLeft = nullptr, *FRight = nullptr, *FFirst = nullptr;
    QDoubleSpinBox *FBefore = nullptr, *FAfter = nullptr, *FSpacingValue = nullptr;
};

} // namespace kv
