#pragma once
// Small helpers shared by the calculation panels of the graph window.

#include "ui/KvFloatEdit.h"

#include "foundation/KvFormatSettings.h"
#include "foundation/KvRange.h"
#include "foundation/KvStrings.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QString>

#include <algorithm>
#include <cmath>
#include <string>

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

// A result in the display form: at most MaxLength characters and never
// more than the 15 significant digits a double holds for sure, so a
// computed 8.76955 does not show its last-bit noise as 8.7695500000000006.
inline QString FieldText(int MaxLength, double X)
{
    constexpr int DisplayDigits = 15;
    int Digits = std::min(MaxLength, DisplayDigits);
    std::string Text = FloatToTextDigits(X, Digits, DecimalSeparator());
    while (static_cast<int>(Text.size()) > MaxLength && Digits > 0)
        Text = FloatToTextDigits(X, --Digits, DecimalSeparator());
    return QString::fromStdString(Text);
}

// A value a division by zero left behind (the engines' 1.7e308), which
// has no meaning to show.
inline bool IsNoValue(double X) { return !std::isfinite(X) || std::fabs(X) >= KvMissing; }

// What a panel says instead of such values.
inline constexpr const char* NoResultText = "The calculation range holds too few distinct points for a result!";

// Empties every result field and list of a panel; its edits stay.
inline void ClearResultFields(QWidget* Panel)
{
    for (QLineEdit* E : Panel->findChildren<QLineEdit*>())
        if (E->isReadOnly())
            E->clear();
    for (QListWidget* L : Panel->findChildren<QListWidget*>())
        L->clear();
}

} // namespace kv
