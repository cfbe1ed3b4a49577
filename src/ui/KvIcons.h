#pragma once
// Icons of the table window's commands: the desktop's icon theme when it
// has the icon, otherwise a simple glyph of our own drawing.

#include <QIcon>
#include <QString>

namespace kv {

// Name is one of "open", "save", "cut", "copy", "paste", "delete",
// "clear-all", "assign-graphs", "formula", "bold", "italic", "underline",
// "strike-out", "subscript", "superscript", "symbol-font", "char-table".
// Classic icons have no separate disabled look.
QIcon CommandIcon(const QString& Name, bool Classic = false);

// The grid's selection cursors, drawn as small arrows: row (pointing
// right), column (pointing down) and all (pointing down-right).
enum class TKvSelectCursor { SelRight, SelDown, SelAll };
QCursor SelectCursor(TKvSelectCursor Kind);

} // namespace kv
