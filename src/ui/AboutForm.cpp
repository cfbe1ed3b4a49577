#include "AboutForm.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

#include <array>
#include <cmath>

namespace kv {

TAboutForm::TAboutForm(const QString& Version, QWidget* Parent)
    : QDialog(Parent),
      FVersion(Version),
      FPicture(std::make_unique<QLabel>()),
      FName(std::make_unique<QLabel>(ProgramName())),
      FVersionLabel(std::make_unique<QLabel>(QStringLiteral("Version %1").arg(Version))),
      FText(std::make_unique<QLabel>(Description())),
      FButtons(std::make_unique<QDialogButtonBox>(QDialogButtonBox::Ok))
{
    setWindowTitle(QStringLiteral("About %1").arg(ProgramName()));
    FPicture->setPixmap(Emblem(96));
    FPicture->setAlignment(Qt::AlignTop);
    QFont Big = FName->font();
    Big.setPointSizeF(Big.pointSizeF() * 2);
    Big.setBold(true);
    FName->setFont(Big);
    FVersionLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FText->setWordWrap(true);
    FText->setMinimumWidth(280);

    auto* Layout = new QGridLayout(this);
    Layout->setHorizontalSpacing(16);
    Layout->addWidget(FPicture.get(), 0, 0, 3, 1);
    Layout->addWidget(FName.get(), 0, 1);
    Layout->addWidget(FVersionLabel.get(), 1, 1);
    Layout->addWidget(FText.get(), 2, 1);
    Layout->addWidget(FButtons.get(), 3, 0, 1, 2);
    Layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(FButtons.get(), &QDialogButtonBox::accepted, this, &QDialog::accept);
}

TAboutForm::~TAboutForm() = default;

QString TAboutForm::Description()
{
    return QStringLiteral("Plots measured data from a table of numeric columns and analyses it: "
                          "regressions, interpolation, smoothing splines, derivatives, integrals "
                          "and fits of your own formulas.");
}

QPixmap TAboutForm::Emblem(int Size)
{
    QPixmap Picture(Size, Size);
    Picture.fill(Qt::transparent);
    QPainter Painter(&Picture);
    Painter.setRenderHint(QPainter::Antialiasing);
    const double S = Size;
    Painter.setPen(Qt::NoPen);
    Painter.setBrush(QColor(240, 244, 250));
    Painter.drawRoundedRect(QRectF(0.5, 0.5, S - 1, S - 1), S / 8, S / 8);

    // Axes.
    const double Left = S * 0.16, Bottom = S * 0.84, Right = S * 0.9, Top = S * 0.1;
    Painter.setPen(QPen(QColor(60, 60, 60), std::max(1.0, S / 64)));
    Painter.drawLine(QPointF(Left, Top), QPointF(Left, Bottom));
    Painter.drawLine(QPointF(Left, Bottom), QPointF(Right, Bottom));

    // A damped wave and the measured points it was fitted to.
    const auto Curve = [&](double t) {
        const double y = std::exp(-2.2 * t) * std::cos(9.0 * t);
        return QPointF(Left + t * (Right - Left), Bottom - (0.5 + 0.42 * y) * (Bottom - Top));
    };
    QPainterPath Path(Curve(0));
    for (int i = 1; i <= 64; ++i)
        Path.lineTo(Curve(i / 64.0));
    Painter.setPen(QPen(QColor(200, 40, 40), std::max(1.5, S / 40)));
    Painter.setBrush(Qt::NoBrush);
    Painter.drawPath(Path);

    constexpr std::array<double, 7> Scatter = {0.04, -0.05, 0.06, -0.03, 0.05, -0.04, 0.02};
    Painter.setPen(QPen(QColor(30, 70, 160), std::max(1.0, S / 64)));
    Painter.setBrush(QColor(90, 130, 220));
    for (size_t i = 0; i < Scatter.size(); ++i) {
        const double t = 0.06 + 0.14 * static_cast<double>(i);
        const QPointF P = Curve(t) + QPointF(0, Scatter[i] * S);
        Painter.drawEllipse(P, S / 28, S / 28);
    }
    return Picture;
}

} // namespace kv
