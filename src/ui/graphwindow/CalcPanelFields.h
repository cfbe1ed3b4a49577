#pragma once
// Small helpers shared by the calculation panels of the graph window.

#include "ui/KvFloatEdit.h"

#include "foundation/KvStrings.h"

#include <QLineEdit>
#include <QPalette>
#include <QString>

namespace kv {

// A result field: read-only and borderless, so the user can select and
// copy its text.
inline QLineEdit* NewResultField(QWidget* Parent, const char* Name)
{
    auto* E = new QLineEdit(Parent);
    E->setObjectName(Name);
    E->setReadOnly(true);
    E->setFrame(false);
    QPalette P = E->palette();
    P.setColor(QPalette::Base, P.color(QPalette::Window));
    E->setPalette(P);
    return E;
}

// A numeric edit of the panels: the digits shown, the hint, the name.
inline TKvFloatEdit* NewFloatEdit(QWidget* Parent, const char* Name, const QString& Hint, int Digits)
{
    auto* E = new TKvFloatEdit(Parent);
    E->setObjectName(Name);
    E->setToolTip(Hint);
    E->SetDigits(Digits);
    E->setProperty("KvNumericEdit", true);
    return E;
}

// An edit that is enabled shows the window colour, a disabled one the
// button face.
inline void ShowEnabled(QWidget* Edit, bool Enabled)
{
    Edit->setEnabled(Enabled);
    QPalette P = Edit->palette();
    P.setColor(QPalette::Base, P.color(Enabled ? QPalette::Window : QPalette::Button));
    if (Enabled)
        P.setColor(QPalette::Base, QPalette().color(QPalette::Base));
    Edit->setPalette(P);
}

inline QString FieldText(int MaxLength, double X) { return QString::fromStdString(FloatToTextMaxLength(MaxLength, X)); }

} // namespace kv
