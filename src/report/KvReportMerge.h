#pragma once
// The merge of a report template: series blocks repeated per data series,
// calculation blocks per instance of a calculation kind, coefficient
// blocks per member of a numbered key family; then every merge field
// replaced by its value, the graph picture or a formatted caption, and the
// paragraphs of values that do not exist removed.

#include "KvFieldSource.h"
#include "KvRtfDocument.h"

#include <string>

namespace kv {

inline constexpr const char* NotFound = "@NotFound@";

class TKvReportMerge {
public:
    explicit TKvReportMerge(const TKvFieldSource& Source) : FSource(Source) {}

    TKvRtfDocument Merge(const TKvRtfDocument& Template);

    // The text of one field; control fields move the counters.
    std::string EvaluateField(const std::string& Name);
    void ResetCounters();

    int CoeffIndex = 1;
    int CalcIndex = 1;
    int SeriesIndex = 0;

private:
    void ExpandSeriesBlocks(QTextDocument& Body);
    void ExpandCalculationBlocks(QTextDocument& Body);
    void ExpandCoefficientBlocks(QTextDocument& Body);
    int Instances(const std::vector<TKvField>& Fields, size_t Open, size_t Close);
    int FamilyMembers(const std::vector<TKvField>& Fields, size_t Open, size_t Close);
    void ResolveFields(QTextDocument& Part, const TKvRtfDocument& Page);

    const TKvFieldSource& FSource;
};

// Value fields name "Section,Key" or "Section,Key,Digits".
struct TKvFieldName {
    std::string Section, Key;
    int Digits = 0;
};
TKvFieldName SplitFieldName(const std::string& Name);

// Removes every paragraph whose text contains the text.
void DeleteParagraphsContaining(QTextDocument& Document, const QString& Text);

} // namespace kv
