#include "KvIcons.h"

#include <QCursor>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <map>

namespace kv {

namespace {

const std::map<QString, QString> ThemeNames = {
    {"open", "document-open"},   {"save", "document-save"},       {"cut", "edit-cut"},
    {"copy", "edit-copy"},       {"paste", "edit-paste"},         {"delete", "edit-delete"},
    {"clear-all", "edit-clear"}, {"bold", "format-text-bold"},    {"italic", "format-text-italic"},
    {"underline", "format-text-underline"}, {"strike-out", "format-text-strikethrough"},
};

void DrawLetter(QPainter& P, const QString& Text, bool Bold, bool Italic, bool Underline, bool Strike)
{
    QFont F("Serif");
    F.setPixelSize(22);
    F.setBold(Bold);
    F.setItalic(Italic);
    F.setUnderline(Underline);
    F.setStrikeOut(Strike);
    P.setFont(F);
    P.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, Text);
}

// A 32x32 glyph; the icon engine scales it to 16 and 24 pixels.
QPixmap Glyph(const QString& Name)
{
    QPixmap Pixmap(32, 32);
    Pixmap.fill(Qt::transparent);
    QPainter P(&Pixmap);
    P.setRenderHint(QPainter::Antialiasing);
    const QColor Ink(40, 50, 70);
    P.setPen(QPen(Ink, 2));
    if (Name == "open") {
        P.setBrush(QColor(240, 200, 90));
        P.drawPolygon(QPolygonF({{3, 8}, {12, 8}, {15, 11}, {29, 11}, {29, 27}, {3, 27}}));
    } else if (Name == "save") {
        P.setBrush(QColor(70, 110, 190));
        P.drawRect(4, 4, 24, 24);
        P.setBrush(Qt::white);
        P.drawRect(9, 4, 14, 9);
        P.drawRect(8, 18, 16, 10);
    } else if (Name == "cut") {
        P.setBrush(Qt::NoBrush);
        P.drawEllipse(QPointF(9, 24), 4.5, 4.5);
        P.drawEllipse(QPointF(23, 24), 4.5, 4.5);
        P.drawLine(QPointF(12, 20), QPointF(24, 3));
        P.drawLine(QPointF(20, 20), QPointF(8, 3));
    } else if (Name == "copy") {
        P.setBrush(Qt::white);
        P.drawRect(4, 3, 16, 20);
        P.drawRect(12, 9, 16, 20);
    } else if (Name == "paste") {
        P.setBrush(QColor(200, 160, 110));
        P.drawRect(5, 5, 20, 24);
        P.setBrush(Qt::white);
        P.drawRect(12, 12, 16, 18);
        P.drawRect(10, 2, 10, 6);
    } else if (Name == "delete") {
        P.setPen(QPen(QColor(200, 30, 30), 4, Qt::SolidLine, Qt::RoundCap));
        P.drawLine(8, 8, 24, 24);
        P.drawLine(24, 8, 8, 24);
    } else if (Name == "clear-all") {
        P.setBrush(Qt::white);
        P.drawRect(6, 3, 20, 26);
        P.setPen(QPen(QColor(200, 30, 30), 3, Qt::SolidLine, Qt::RoundCap));
        P.drawLine(10, 10, 22, 22);
        P.drawLine(22, 10, 10, 22);
    } else if (Name == "assign-graphs") {
        P.drawLine(5, 3, 5, 27);
        P.drawLine(5, 27, 29, 27);
        P.setPen(QPen(QColor(30, 120, 200), 2.5));
        P.drawPolyline(QPolygonF({{7, 22}, {13, 14}, {19, 18}, {27, 6}}));
    } else if (Name == "formula") {
        DrawLetter(P, "f(x)", false, true, false, false);
    } else if (Name == "bold") {
        DrawLetter(P, "B", true, false, false, false);
    } else if (Name == "italic") {
        DrawLetter(P, "I", false, true, false, false);
    } else if (Name == "underline") {
        DrawLetter(P, "U", false, false, true, false);
    } else if (Name == "strike-out") {
        DrawLetter(P, "S", false, false, false, true);
    } else if (Name == "subscript") {
        DrawLetter(P, "x\u2082", false, false, false, false);
    } else if (Name == "superscript") {
        DrawLetter(P, "x\u00b2", false, false, false, false);
    } else if (Name == "symbol-font") {
        DrawLetter(P, "\u03a3", false, false, false, false);
    } else if (Name == "char-table") {
        P.setBrush(Qt::white);
        P.drawRect(3, 3, 26, 26);
        for (int i = 1; i < 3; ++i) {
            P.drawLine(3 + i * 26 / 3, 3, 3 + i * 26 / 3, 29);
            P.drawLine(3, 3 + i * 26 / 3, 29, 3 + i * 26 / 3);
        }
    }
    return Pixmap;
}

} // namespace

QIcon CommandIcon(const QString& Name, bool Classic)
{
    QIcon Icon;
    auto Theme = ThemeNames.find(Name);
    if (!Classic && Theme != ThemeNames.end() && QIcon::hasThemeIcon(Theme->second))
        return QIcon::fromTheme(Theme->second);
    const QPixmap Pixmap = Glyph(Name);
    Icon.addPixmap(Pixmap, QIcon::Normal);
    if (Classic)
        Icon.addPixmap(Pixmap, QIcon::Disabled);
    return Icon;
}

QCursor SelectCursor(TKvSelectCursor Kind)
{
    QPixmap Pixmap(16, 16);
    Pixmap.fill(Qt::transparent);
    QPainter P(&Pixmap);
    P.setRenderHint(QPainter::Antialiasing);
    P.setPen(QPen(Qt::white, 1));
    P.setBrush(Qt::black);
    QPainterPath Arrow;
    // An arrow pointing right, turned for the other kinds.
    Arrow.moveTo(1, 6);
    Arrow.lineTo(9, 6);
    Arrow.lineTo(9, 2);
    Arrow.lineTo(15, 8);
    Arrow.lineTo(9, 14);
    Arrow.lineTo(9, 10);
    Arrow.lineTo(1, 10);
    Arrow.closeSubpath();
    P.translate(8, 8);
    P.rotate(Kind == TKvSelectCursor::SelRight ? 0 : Kind == TKvSelectCursor::SelDown ? 90 : 45);
    P.translate(-8, -8);
    P.drawPath(Arrow);
    P.end();
    const QPoint Hot = Kind == TKvSelectCursor::SelRight ? QPoint(15, 8)
                       : Kind == TKvSelectCursor::SelDown ? QPoint(8, 15)
                                                          : QPoint(13, 13);
    return QCursor(Pixmap, Hot.x(), Hot.y());
}

} // namespace kv
