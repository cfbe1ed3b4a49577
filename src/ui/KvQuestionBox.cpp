#include "KvQuestionBox.h"

#include <QPushButton>

namespace kv {

namespace {

struct TLabels {
    const char* Asks; // a phrase that names the question
    const char* Yes;
    const char* No;
};

// Yes always does what the question offers; No of a save question throws
// the edits away, No of a discarding question keeps them (it cancels).
constexpr TLabels Questions[] = {
    {"want to overwrite the data", "Discard and Import", "Cancel"},
    {"want to clear all data", "Discard and Clear", "Cancel"},
    {"want to save", "Save", "Discard"},
    {"want to replace it", "Replace", "Cancel"},
};

} // namespace

QString QuestionButtonText(const QString& Text, QMessageBox::StandardButton Button)
{
    for (const TLabels& L : Questions)
        if (Text.contains(QLatin1String(L.Asks))) {
            if (Button == QMessageBox::Yes)
                return L.Yes;
            if (Button == QMessageBox::No)
                return L.No;
        }
    return Button == QMessageBox::Cancel ? QStringLiteral("Cancel") : QString();
}

std::unique_ptr<QMessageBox> MakeQuestionBox(QWidget* Parent, const QString& Text,
                                             QMessageBox::StandardButtons Buttons)
{
    auto Box = std::make_unique<QMessageBox>(QMessageBox::Warning, QStringLiteral("Kurvex"), Text, Buttons, Parent);
    for (QMessageBox::StandardButton B : {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel})
        if (QAbstractButton* Button = Box->button(B); Button && !QuestionButtonText(Text, B).isEmpty())
            Button->setText(QuestionButtonText(Text, B));
    if (Buttons & QMessageBox::Cancel)
        Box->setEscapeButton(QMessageBox::Cancel);
    return Box;
}

} // namespace kv
