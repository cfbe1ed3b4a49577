#pragma once
// The about window: the program's name, its version and what it is for,
// beside a small picture drawn by the program itself.

#include <QDialog>
#include <QPixmap>
#include <QString>

#include <memory>

class QDialogButtonBox;
class QLabel;

namespace kv {

class TAboutForm : public QDialog {
    Q_OBJECT

public:
    explicit TAboutForm(const QString& Version, QWidget* Parent = nullptr);
    ~TAboutForm() override;

    static QString ProgramName() { return QStringLiteral("Kurvex"); }
    static QString Description();
    QString Version() const { return FVersion; }
    // The picture of the window: measured points and a curve through them.
    static QPixmap Emblem(int Size);

    QLabel& NameLabel() const { return *FName; }
    QLabel& VersionLabel() const { return *FVersionLabel; }

private:
    QString FVersion;
    std::unique_ptr<QLabel> FPicture;
    std::unique_ptr<QLabel> FName;
    std::unique_ptr<QLabel> FVersionLabel;
    std::unique_ptr<QLabel> FText;
    std::unique_ptr<QDialogButtonBox> FButtons;
};

} // namespace kv
