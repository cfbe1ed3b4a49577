#pragma once
// The program's questions as message boxes whose buttons say what they do
// ("Save", "Discard", "Discard and Import"), never a bare Yes or No whose
// meaning changes from one question to the next. The answer is still the
// standard button, so callers and their tests stay as they are.

#include <QMessageBox>

#include <memory>

namespace kv {

// The label of Button in the question Text (the standard label when the
// question has none of its own).
QString QuestionButtonText(const QString& Text, QMessageBox::StandardButton Button);

// A warning box with the question and its labelled buttons, over Parent.
std::unique_ptr<QMessageBox> MakeQuestionBox(QWidget* Parent, const QString& Text,
                                             QMessageBox::StandardButtons Buttons);

} // namespace kv
