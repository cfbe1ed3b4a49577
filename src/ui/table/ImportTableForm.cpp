#include "ImportTableForm.h"

#include "document/KvTextDetect.h"
#include "foundation/KvMissing.h"
#include "foundation/KvStrings.h"

#include <QComboBox>
#include <algorithm>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kv {

namespace {

QString Q(const std::string& S) { return QString::fromStdString(S); }

// The sample the dialog works on: whole lines of the first 64 KB.
std::string SampleOf(std::string_view Text)
{
    if (Text.size() <= DetectionSampleSize)
        return std::string(Text);
    Text = Text.substr(0, DetectionSampleSize);
    const size_t End = Text.find_last_of("\r\n");
    return std::string(End == std::string_view::npos ? Text : Text.substr(0, End + 1));
}

constexpr char OtherDelimiterItem = 0;

} // namespace

TImportTableForm::TImportTableForm(std::string_view Text, const TKvTextFormat& Detected, int ActiveColumn,
                                   bool OfferColumns, QWidget* Parent)
    : QDialog(Parent), FSample(SampleOf(Text)), FActiveColumn(ActiveColumn)
{
    setWindowTitle("Import Text Table");
    BuildLayout(OfferColumns);
    ShowLines();
    ShowFormat(Detected);
    UpdatePreview();
    const auto Update = [this] { UpdatePreview(); };
    connect(FDelimiter, &QComboBox::currentIndexChanged, this, [this, Update] {
        FOther->setEnabled(FDelimiter->currentData().toChar() == QChar(OtherDelimiterItem));
        Update();
    });
    connect(FOther, &QLineEdit::textChanged, this, Update);
    connect(FDecimal, &QComboBox::currentIndexChanged, this, Update);
    connect(FComment, &QComboBox::currentIndexChanged, this, Update);
    connect(FFirstLine, &QSpinBox::valueChanged, this, Update);
    connect(FHeaderRows, &QSpinBox::valueChanged, this, Update);
    connect(FColumns, &QRadioButton::toggled, this, Update);
    resize(900, 640);
}

void TImportTableForm::BuildLayout(bool OfferColumns)
{
    FDelimiter = new QComboBox(this);
    FDelimiter->addItem("Tab", QChar('\t'));
    FDelimiter->addItem("Semicolon ;", QChar(';'));
    FDelimiter->addItem("Comma ,", QChar(','));
    FDelimiter->addItem("Blanks (spaces and tabs)", QChar(' '));
    FDelimiter->addItem("Other character:", QChar(OtherDelimiterItem));
    FOther = new QLineEdit(this);
    FOther->setMaxLength(1);
    FOther->setFixedWidth(40);
    FDecimal = new QComboBox(this);
    FDecimal->addItem("Point .", QChar('.'));
    FDecimal->addItem("Comma ,", QChar(','));
    FComment = new QComboBox(this);
    for (const char* Mark : {"", "#", "%", "//", ";"})
        FComment->addItem(*Mark ? Mark : "None", QString(Mark));
    FFirstLine = new QSpinBox(this);
    FFirstLine->setRange(1, 1 << 30);
    FHeaderRows = new QSpinBox(this);
    FHeaderRows->setRange(0, 9);

    auto* Delimiter = new QHBoxLayout;
    Delimiter->addWidget(FDelimiter);
    Delimiter->addWidget(FOther);
    Delimiter->addStretch();
    auto* Choices = new QFormLayout;
    Choices->addRow("&Delimiter:", Delimiter);
    Choices->addRow("D&ecimal separator:", FDecimal);
    Choices->addRow("&First data line:", FFirstLine);
    Choices->addRow("C&omment lines start with:", FComment);
    Choices->addRow("Caption &rows above the data:", FHeaderRows);

    auto* Target = new QGroupBox("Put the data", this);
    auto* TargetLayout = new QVBoxLayout(Target);
    FReplace = new QRadioButton("Replace the &table", Target);
    FColumns = new QRadioButton(QString("Into the &columns from %1 on").arg(Q(ColumnName(FActiveColumn))), Target);
    FReplace->setChecked(true);
    TargetLayout->addWidget(FReplace);
    TargetLayout->addWidget(FColumns);
    Target->setVisible(OfferColumns);

    auto* Top = new QHBoxLayout;
    Top->addLayout(Choices, 1);
    Top->addWidget(Target);

    FLines = new QPlainTextEdit(this);
    FLines->setReadOnly(true);
    FLines->setLineWrapMode(QPlainTextEdit::NoWrap);
    FLines->setFont(QFont("Monospace"));
    FLines->setMaximumHeight(150);
    FPreview = new QTableWidget(this);
    FPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FSummary = new QLabel(this);
    FSummary->setWordWrap(true);
    auto* Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* Layout = new QVBoxLayout(this);
    Layout->addLayout(Top);
    Layout->addWidget(new QLabel("The file's first lines:", this));
    Layout->addWidget(FLines);
    Layout->addWidget(new QLabel(QString("The first %1 rows as they will land in the table:").arg(PreviewRows), this));
    Layout->addWidget(FPreview, 1);
    Layout->addWidget(FSummary);
    Layout->addWidget(Buttons);
}

void TImportTableForm::ShowLines()
{
    // Numbered as the first data line counts them.
    QString Shown;
    std::string_view Rest = FSample;
    for (int Line = 1; Line <= 40 && !Rest.empty(); ++Line) {
        const size_t End = Rest.find_first_of("\r\n");
        std::string_view Text = Rest.substr(0, End);
        Shown += QString("%1: %2\n").arg(Line, 3).arg(QString::fromUtf8(Text.data(), static_cast<qsizetype>(
                                                                                         std::min<size_t>(Text.size(), 300))));
        if (End == std::string_view::npos)
            break;
        Rest.remove_prefix(End + (Rest.compare(End, 2, "\r\n") == 0 ? 2 : 1));
    }
    FLines->setPlainText(Shown);
}

void TImportTableForm::ShowFormat(const TKvTextFormat& Format)
{
    const int Known = FDelimiter->findData(QChar(Format.Delimiter));
    if (Known >= 0 && Format.Delimiter != OtherDelimiterItem) {
        FDelimiter->setCurrentIndex(Known);
        FOther->setEnabled(false);
    } else {
        FDelimiter->setCurrentIndex(FDelimiter->count() - 1);
        FOther->setText(QString(QChar(Format.Delimiter)));
    }
    FDecimal->setCurrentIndex(Format.Decimal == ',' ? 1 : 0);
    const int Comment = FComment->findData(Q(Format.Comment));
    if (Comment < 0)
        FComment->addItem(Q(Format.Comment), Q(Format.Comment));
    FComment->setCurrentIndex(Comment >= 0 ? Comment : FComment->count() - 1);
    FFirstLine->setValue(static_cast<int>(std::min<int64_t>(Format.FirstDataLine + 1, FFirstLine->maximum())));
    FHeaderRows->setValue(Format.HeaderRows);
}

TKvTextFormat TImportTableForm::Format() const
{
    TKvTextFormat F;
    const QChar Delimiter = FDelimiter->currentData().toChar();
    if (Delimiter != QChar(OtherDelimiterItem))
        F.Delimiter = Delimiter.toLatin1();
    else
        F.Delimiter = FOther->text().isEmpty() ? ' ' : FOther->text().at(0).toLatin1();
    F.Decimal = FDecimal->currentData().toChar().toLatin1();
    F.Comment = FComment->currentData().toString().toStdString();
    F.FirstDataLine = FFirstLine->value() - 1;
    F.HeaderRows = FHeaderRows->value();
    return F;
}

TKvTextPlacement TImportTableForm::Placement() const
{
    if (FColumns->isChecked())
        return {TKvTextPlacement::TMode::IntoColumns, FActiveColumn, 0};
    return {};
}

void TImportTableForm::UpdatePreview()
{
    TKvTextReadLimits Limits;
    Limits.MaxRows = PreviewRows;
    Limits.MaxColumns = 1000;
    const TKvTextTable T = ReadTextTable(FSample, Format(), Limits);
    const int First = Placement().Mode == TKvTextPlacement::TMode::IntoColumns ? FActiveColumn : 1;
    const int Columns = static_cast<int>(std::max(T.Columns.size(), T.Captions.size()));
    FPreview->clear();
    FPreview->setColumnCount(Columns);
    FPreview->setRowCount(static_cast<int>(std::min<int64_t>(T.Rows, PreviewRows)));
    for (int k = 0; k < Columns; ++k) {
        const std::string Caption = static_cast<size_t>(k) < T.Captions.size() ? T.Captions[static_cast<size_t>(k)] : "";
        FPreview->setHorizontalHeaderItem(
            k, new QTableWidgetItem(Q(ColumnName(First + k)) + (Caption.empty() ? "" : "\n" + Q(Caption))));
        if (static_cast<size_t>(k) >= T.Columns.size())
            continue;
        const std::vector<double>& Values = T.Columns[static_cast<size_t>(k)];
        for (int r = 0; r < FPreview->rowCount() && static_cast<size_t>(r) < Values.size(); ++r)
            if (!IsMissing(Values[static_cast<size_t>(r)]))
                FPreview->setItem(r, k, new QTableWidgetItem(Q(FloatToText(Values[static_cast<size_t>(r)]))));
    }
    QString Summary = QString("%1 columns").arg(Columns);
    if (T.Unreadable > 0)
        Summary += QString("; %1 cells in these rows could not be read and will be left empty (first: row %2, "
                           "column %3: '%4')")
                       .arg(T.Unreadable)
                       .arg(T.FirstBadRow + 1)
                       .arg(Q(ColumnName(First + T.FirstBadColumn)))
                       .arg(Q(T.FirstBadText));
    FSummary->setText(Summary + ".");
}

} // namespace kv
