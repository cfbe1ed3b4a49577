#include "ReportMergeBar.h"

#include "ui/KvIntegerEdit.h"

#include "foundation/KvStrings.h"
#include "report/KvReportMerge.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>

namespace kv {

namespace {

QString Q(const std::string& S) { return QString::fromStdString(S); }

QString CutSection(const QString& Name)
{
    const qsizetype Open = Name.indexOf('(');
    return Open < 0 ? Name : Name.left(Open);
}

// The actual section behind a listed name: the first whose cut name is it.
std::optional<std::string> SectionOf(const TKvIniList& Results, const QString& Listed)
{
    TKvStringList Sections;
    Results.ReadSections(Sections);
    for (const std::string& S : Sections)
        if (CutSection(Q(S)) == Listed)
            return S;
    return std::nullopt;
}

QComboBox* NewCombo(QWidget* Parent, const QString& Placeholder, const QString& Hint, int Width)
{
    auto* Combo = new QComboBox(Parent);
    Combo->setPlaceholderText(Placeholder);
    Combo->setToolTip(Hint);
    Combo->setStatusTip(Hint);
    Combo->setMinimumWidth(Width);
    Combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    return Combo;
}

} // namespace

QStringList ReportSections(const TKvIniList& Results)
{
    TKvStringList Sections;
    Results.ReadSections(Sections);
    QStringList List;
    for (const std::string& S : Sections) {
        const QString Name = CutSection(Q(S));
        if (!List.contains(Name))
            List << Name;
    }
    return List;
}

QStringList ReportIdentifiers(const TKvIniList& Results, const QString& Section)
{
    QStringList List;
    const std::optional<std::string> Actual = SectionOf(Results, Section);
    if (!Actual)
        return List;
    TKvStringList Keys;
    Results.ReadSection(*Actual, Keys);
    for (const std::string& K : Keys) {
        QString Key = Q(K);
        if (const qsizetype Open = Key.indexOf('('); Open >= 0)
            Key = Key.left(Open + 1) + "i)";
        if (!Key.isEmpty() && !List.contains(Key))
            List << Key;
    }
    return List;
}

std::optional<std::string> ReportIdentifierValue(const TKvIniList& Results, const QString& Section,
                                                 const QString& Identifier)
{
    const std::optional<std::string> Actual = SectionOf(Results, Section);
    if (!Actual)
        return std::nullopt;
    QString Key = Identifier;
    Key.replace("(i)", "(1)");
    const auto V = Results.FindValue(*Actual, Key.toStdString());
    return V ? std::optional<std::string>(std::string(*V)) : std::nullopt;
}

QString ValueFieldName(const QString& Section, const QString& Identifier, const std::optional<std::string>& Value,
                       int Digits)
{
    QString Name = Q(RemoveSpaces(Section.toStdString())) + "," + Identifier;
    if (Value && IsNumber(*Value))
        Name += "," + QString::number(Digits);
    return Name;
}

bool IsCaptionFieldName(const QString& Name)
{
    return Name.contains("Caption") || Name.contains("Formula") || Name.contains("Title");
}

QString FieldDescription(const QString& Name)
{
    const TKvFieldName F = SplitFieldName(Name.toStdString());
    if (F.Section.empty())
        return "Field: " + Name;
    QString Text = "Field: " + Q(F.Section);
    if (!F.Key.empty())
        Text += "." + Q(F.Key);
    if (F.Digits > 0)
        Text += QString(" display %1 digits").arg(F.Digits);
    return Text;
}

TReportMergeBar::TReportMergeBar(QWidget* Parent) : QToolBar("Merge", Parent)
{
    setObjectName("MergeBar");
    FSectionCombo = NewCombo(this, "Sel. Section", "Firstly set active section", 150);
    FSectionCombo->setObjectName("SectionCombo");
    FIdentifierCombo = NewCombo(this, "Sel. Identifier", "Select field to insert", 150);
    FIdentifierCombo->setObjectName("IdentifierCombo");
    FDigitsEdit = new TKvSpinIntegerEdit(this);
    FDigitsEdit->setObjectName("DigitsEdit");
    FDigitsEdit->SetMinValue(0);
    FDigitsEdit->SetMaxValue(30);
    FDigitsEdit->SetValue(0);
    FDigitsEdit->setFixedWidth(56);
    FDigitsEdit->setToolTip("Set number of digits for numerical fields");
    FDigitsEdit->setStatusTip(FDigitsEdit->toolTip());
    FSpecialCombo = NewCombo(this, "Special Field", "Select special field", 150);
    FSpecialCombo->setObjectName("ComboBox1");
    for (const TKvSpecialField& F : SpecialFields)
        FSpecialCombo->addItem(F.Caption);
    FSpecialCombo->setCurrentIndex(-1);

    addWidget(FSectionCombo);
    addWidget(FIdentifierCombo);
    addWidget(new QLabel(" Digits ", this));
    addWidget(FDigitsEdit);
    addSeparator();
    addWidget(FSpecialCombo);
    addSeparator();
    FMerge = addAction("Merge");
    FMerge->setObjectName("MergeExecute");
    FMerge->setToolTip("Execute the merge process (tryal of template)");
    FMerge->setStatusTip(FMerge->toolTip());

    connect(FSectionCombo, &QComboBox::currentIndexChanged, this, [this] { FillIdentifiers(); });
    connect(FIdentifierCombo, &QComboBox::activated, this, &TReportMergeBar::ChooseIdentifier);
    connect(FSpecialCombo, &QComboBox::activated, this, &TReportMergeBar::ChooseSpecialField);
}

TReportMergeBar::~TReportMergeBar() = default;

void TReportMergeBar::SetResults(const TKvIniList* Results)
{
    FResults = Results;
    const QSignalBlocker Block(FSectionCombo);
    FSectionCombo->clear();
    if (FResults)
        FSectionCombo->addItems(ReportSections(*FResults));
    FSectionCombo->setCurrentIndex(FSectionCombo->count() > 0 ? 0 : -1);
    FillIdentifiers();
}

void TReportMergeBar::FillIdentifiers()
{
    FIdentifierCombo->clear();
    if (FResults && FSectionCombo->currentIndex() >= 0)
        FIdentifierCombo->addItems(ReportIdentifiers(*FResults, FSectionCombo->currentText()));
    FIdentifierCombo->setCurrentIndex(FIdentifierCombo->count() > 0 ? 0 : -1);
}

void TReportMergeBar::ChooseIdentifier(int Index)
{
    if (!FResults || Index < 0 || Index >= FIdentifierCombo->count() || FSectionCombo->currentIndex() < 0)
        return;
    const QString Section = FSectionCombo->currentText();
    const QString Identifier = FIdentifierCombo->itemText(Index);
    const std::optional<std::string> Value = ReportIdentifierValue(*FResults, Section, Identifier);
    const QString Name = ValueFieldName(Section, Identifier, Value, FDigitsEdit->Value());
    // A caption is formatted by the merge; until then the field shows its
    // name, as a word processor shows an unmerged field.
    const QString Content = IsCaptionFieldName(Name) || !Value || Value->empty()
                                ? QString(u'«') + Name + QString(u'»')
                                : Q(*Value);
    if (OnInsertField)
        OnInsertField(Name, Content);
}

void TReportMergeBar::ChooseSpecialField(int Index)
{
    if (Index < 0 || Index >= static_cast<int>(std::size(SpecialFields)))
        return;
    const QString Name = SpecialFields[Index].Name;
    const QString Content = Name == "MergeSeq" ? QString::number(CoeffIndex ? CoeffIndex() : 1)
                                               : QString(FieldMarker(Name));
    if (OnInsertField)
        OnInsertField(Name, Content);
    FSpecialCombo->setCurrentIndex(-1);
}

} // namespace kv
