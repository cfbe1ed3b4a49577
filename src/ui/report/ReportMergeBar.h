#pragma once
// The merge tool bar of the report window: the section and identifier
// lists built from a series' results, the digits of numeric fields, the
// special fields (picture, block starts and ends, coefficient index) and
// the merge button. Choosing an identifier or a special field asks for a
// field to be inserted at the template's caret.

#include "foundation/KvIniList.h"

#include <QString>
#include <QStringList>
#include <QToolBar>

#include <functional>
#include <optional>

class QComboBox;

namespace kv {

class TKvSpinIntegerEdit;

// The section names of a results list, instance suffixes "(n)" cut off and
// each name listed once.
QStringList ReportSections(const TKvIniList& Results);
// The keys of the first section listed as Section; a numbered family
// "Coeff(1)", "Coeff(2)" is listed once as "Coeff(i)".
QStringList ReportIdentifiers(const TKvIniList& Results, const QString& Section);
// The current value of an identifier, "(i)" read as "(1)".
std::optional<std::string> ReportIdentifierValue(const TKvIniList& Results, const QString& Section,
                                                 const QString& Identifier);
// "Section,Key" with the blanks of the section removed, and ",Digits" when
// the value is a number.
QString ValueFieldName(const QString& Section, const QString& Identifier, const std::optional<std::string>& Value,
                       int Digits);
// Caption, formula and title fields hold caption markup; the merge formats them.
bool IsCaptionFieldName(const QString& Name);
// What the status bar says of a field: "Field: Section.Key display N digits".
QString FieldDescription(const QString& Name);

// The special fields: what the list shows and the field's name.
struct TKvSpecialField {
    const char* Caption;
    const char* Name;
};
inline constexpr TKvSpecialField SpecialFields[] = {
    {"Plot", "Plot"},
    {"First Coefficient", "FirstCoeff"},
    {"Next Coefficient", "NextCoeff"},
    {"Coefficient Index", "MergeSeq"},
    {"Start of Calculation", "StartCalculation"},
    {"End of Calculation", "NextCalculation"},
    {"Start of Series", "StartSeries"},
    {"End of Series", "NextSeries"},
};

class TReportMergeBar : public QToolBar {
    Q_OBJECT

public:
    explicit TReportMergeBar(QWidget* Parent = nullptr);
    ~TReportMergeBar() override;

    // The results the lists are built from; none empties them. The list
    // must live until the next call.
    void SetResults(const TKvIniList* Results);
    QComboBox* SectionCombo() const { return FSectionCombo; }
    QComboBox* IdentifierCombo() const { return FIdentifierCombo; }
    TKvSpinIntegerEdit* DigitsEdit() const { return FDigitsEdit; }
    QComboBox* SpecialCombo() const { return FSpecialCombo; }
    QAction* MergeAction() const { return FMerge; }

    // Inserts the value field of an identifier of the chosen section.
    void ChooseIdentifier(int Index);
    // Inserts special field Index of SpecialFields.
    void ChooseSpecialField(int Index);

    // Told the field to insert: its name and its content.
    std::function<void(const QString& Name, const QString& Content)> OnInsertField;
    // The coefficient index a "Coefficient Index" field shows when inserted.
    std::function<int()> CoeffIndex;

private:
    void FillIdentifiers();

    const TKvIniList* FResults = nullptr;
    QComboBox* FSectionCombo = nullptr;
    QComboBox* FIdentifierCombo = nullptr;
    TKvSpinIntegerEdit* FDigitsEdit = nullptr;
    QComboBox* FSpecialCombo = nullptr;
    QAction* FMerge = nullptr;
};

} // namespace kv
