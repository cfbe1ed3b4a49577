#include "KvReportMerge.h"

#include "KvCaptionToRtf.h"

#include "foundation/KvStrings.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>

#include <algorithm>
#include <cmath>
#include <map>
#include <variant>

namespace kv {

namespace {

bool Is(const TKvField& F, const char* Name) { return F.Name == QLatin1String(Name); }

bool IsValueField(const TKvField& F) { return IsMergeField(F.Instruction) && F.Name.contains(','); }

int CountBefore(const std::vector<TKvField>& Fields, const char* Name, int Position)
{
    return static_cast<int>(std::count_if(Fields.begin(), Fields.end(),
                                          [&](const TKvField& F) { return Is(F, Name) && F.End <= Position; }));
}

QTextCharFormat FormatAt(QTextDocument& D, int Position)
{
    QTextCursor C(&D);
    C.setPosition(Position);
    C.setPosition(Position + 1, QTextCursor::KeepAnchor);
    return C.charFormat();
}

// A control field with its marker as content, in the format of Like.
void InsertField(QTextDocument& D, int Position, const QString& Name, const QTextCharFormat& Like)
{
    QTextCursor C(&D);
    C.setPosition(Position);
    C.insertText(QString(FieldMarker(Name)), AsField(WithoutField(Like), NewFieldId(), MergeFieldInstruction(Name)));
}

// Fields copied with a block are new fields: fresh ids, one per original.
void RenumberFields(QTextDocument& D, int From, int To)
{
    struct TPiece {
        int Start, End;
        QTextCharFormat Format;
    };
    std::vector<TPiece> Pieces;
    for (QTextBlock B = D.findBlock(From); B.isValid() && B.position() < To; B = B.next())
        for (auto It = B.begin(); !It.atEnd(); ++It) {
            const QTextFragment F = It.fragment();
            const int S = std::max(F.position(), From), E = std::min(F.position() + F.length(), To);
            if (S < E && F.charFormat().intProperty(RpFieldId) != 0)
                Pieces.push_back({S, E, F.charFormat()});
        }
    std::map<int, int> NewIds;
    for (TPiece& P : Pieces) {
        const int Old = P.Format.intProperty(RpFieldId);
        auto [It, Fresh] = NewIds.try_emplace(Old, 0);
        if (Fresh)
            It->second = NewFieldId();
        P.Format.setProperty(RpFieldId, It->second);
        QTextCursor C(&D);
        C.setPosition(P.Start);
        C.setPosition(P.End, QTextCursor::KeepAnchor);
        C.setCharFormat(P.Format);
    }
}

// Inserts Count copies of [From, To) at Position; returns the length added.
int InsertCopies(QTextDocument& D, int From, int To, int Position, int Count)
{
    if (From >= To || Count <= 0)
        return 0;
    QTextCursor Select(&D);
    Select.setPosition(From);
    Select.setPosition(To, QTextCursor::KeepAnchor);
    const QTextDocumentFragment Block = Select.selection();
    const int Before = D.characterCount();
    for (int k = 0; k < Count; ++k) {
        QTextCursor C(&D);
        C.setPosition(Position + (D.characterCount() - Before));
        const int Start = C.position();
        C.insertFragment(Block);
        RenumberFields(D, Start, C.position());
    }
    return D.characterCount() - Before;
}

std::string Suffixed(const std::string& Section, int Instance)
{
    return Instance > 1 ? Section + "(" + std::to_string(Instance) + ")" : Section;
}

bool HasInstances(const std::string& Section) { return Section != "Datapoints" && Section != "Graph"; }

struct TPictureContent {
    TKvPicture Picture;
};
struct TCaptionContent {
    QString Caption;
};
using TContent = std::variant<QString, TPictureContent, TCaptionContent>;

} // namespace

TKvFieldName SplitFieldName(const std::string& Name)
{
    TKvFieldName R;
    const size_t First = Name.find(',');
    if (First == std::string::npos)
        return R;
    R.Section = Name.substr(0, First);
    const size_t Second = Name.find(',', First + 1);
    R.Key = Name.substr(First + 1, Second == std::string::npos ? std::string::npos : Second - First - 1);
    if (Second != std::string::npos) {
        double Digits = 0;
        if (TryTextToFloat(Name.substr(Second + 1), Digits) && std::isfinite(Digits))
            R.Digits = static_cast<int>(std::clamp(std::round(Digits), -1.0, 64.0));
    }
    return R;
}

void TKvReportMerge::ResetCounters()
{
    CoeffIndex = 1;
    CalcIndex = 1;
    SeriesIndex = 0;
}

std::string TKvReportMerge::EvaluateField(const std::string& Name)
{
    if (Name == "FirstCoeff")
        CoeffIndex = 1;
    else if (Name == "NextCoeff")
        ++CoeffIndex;
    else if (Name == "StartCalculation")
        CalcIndex = 1;
    else if (Name == "NextCalculation")
        ++CalcIndex;
    else if (Name == "StartSeries")
        SeriesIndex = 0;
    else if (Name == "NextSeries")
        ++SeriesIndex;
    else if (Name == "MergeSeq")
        return std::to_string(CoeffIndex);
    else {
        TKvFieldName F = SplitFieldName(Name);
        if (SeriesIndex >= FSource.SeriesCount())
            return NotFound;
        if (F.Section == "Datapoints" && !FSource.HasCalculations(SeriesIndex))
            return {};
        if (CalcIndex > 1 && HasInstances(F.Section))
            F.Section = Suffixed(F.Section, CalcIndex);
        if (const size_t I = F.Key.find("(i)"); I != std::string::npos)
            F.Key = F.Key.substr(0, I) + "(" + std::to_string(CoeffIndex) + ")";
        const std::optional<std::string> V = FSource.Value(SeriesIndex, F.Section, F.Key);
        if (!V)
            return NotFound;
        double X = 0;
        if (!TryTextToFloat(*V, X))
            return *V;
        return F.Digits <= 0 ? FloatToText(X) : FloatToTextMaxLength(F.Digits, X);
    }
    return {};
}

TKvRtfDocument TKvReportMerge::Merge(const TKvRtfDocument& Template)
{
    ResetCounters();
    TKvRtfDocument Result(Template);
    QTextDocument& Body = *Result.Body;
    if (FSource.SeriesCount() > 1)
        ExpandSeriesBlocks(Body);
    ExpandCalculationBlocks(Body);
    ExpandCoefficientBlocks(Body);
    // Header and footer are outside every block: each starts from the
    // first series.
    for (QTextDocument* Part : {Result.Header.get(), Result.Footer.get(), Result.Body.get()}) {
        ResetCounters();
        ResolveFields(*Part, Result);
        DeleteParagraphsContaining(*Part, NotFound);
        RegisterPictures(*Part);
    }
    ResetCounters();
    return Result;
}

void TKvReportMerge::ExpandSeriesBlocks(QTextDocument& Body)
{
    std::vector<TKvField> F = FindFields(Body);
    const auto Named = [&](const char* Name) {
        std::vector<TKvField> R;
        std::copy_if(F.begin(), F.end(), std::back_inserter(R), [&](const TKvField& X) { return Is(X, Name); });
        return R;
    };
    if (Named("StartSeries").empty()) {
        int Position = 0;
        const std::vector<TKvField> Plots = Named("Plot");
        if (!Plots.empty()) {
            const QTextBlock After = Body.findBlock(Plots.front().Start).next();
            Position = After.isValid() ? After.position() : Plots.front().End;
        }
        InsertField(Body, Position, "StartSeries", FormatAt(Body, Position));
        F = FindFields(Body);
    }
    int m = static_cast<int>(Named("NextSeries").size());
    if (m == 0) {
        // in a paragraph of its own, so the copies of the block begin on
        // a new line instead of running on from the block's last line
        const QTextCharFormat Like = FormatAt(Body, std::max(Body.characterCount() - 2, 0));
        QTextCursor C(&Body);
        C.movePosition(QTextCursor::End);
        C.insertBlock();
        InsertField(Body, C.position(), "NextSeries", Like);
        F = FindFields(Body);
        m = 1;
    }
    const std::vector<TKvField> Next = Named("NextSeries");
    const TKvField Opening = m == 1 ? Named("StartSeries").front() : Next[Next.size() - 2];
    const TKvField Last = Next.back();
    int Position = Last.End;
    const int Length = Last.End - Opening.End;
    if (Length <= 0)
        return;
    const QTextCharFormat Like = FormatAt(Body, Last.Start);
    for (int j = m; j < FSource.SeriesCount(); ++j) {
        if (FSource.HasCalculations(j)) {
            Position += InsertCopies(Body, Opening.End, Last.End, Position, 1);
        } else {
            InsertField(Body, Position, "NextSeries", Like);
            Position += 1;
        }
    }
}

// Instances of the calculation kinds named inside a block: 1 plus the
// sections S(2), S(3), ... that follow one another in the series' results.
int TKvReportMerge::Instances(const std::vector<TKvField>& F, size_t Open, size_t Close)
{
    int d = 1;
    for (size_t k = Open + 1; k < Close; ++k) {
        if (!IsValueField(F[k]))
            continue;
        const TKvFieldName N = SplitFieldName(F[k].Name.toStdString());
        if (!HasInstances(N.Section))
            continue;
        int n = 2;
        while (n < 10000 && FSource.SectionExists(SeriesIndex, Suffixed(N.Section, n)))
            ++n;
        d = std::max(d, n - 1);
    }
    return d;
}

namespace {

// Repeats each block between an Open and the next Close field Count(...)
// times; the fields are found again only after a block was copied.
template <class TCount>
void ExpandBlocks(QTextDocument& Body, const char* Open, const char* Close, TCount Count)
{
    std::vector<TKvField> F = FindFields(Body);
    size_t i = 0;
    for (;;) {
        while (i < F.size() && !Is(F[i], Open))
            ++i;
        size_t j = i + 1;
        while (j < F.size() && !Is(F[j], Close))
            ++j;
        if (j >= F.size())
            return;
        const int d = Count(F, i, j);
        if (d <= 1) {
            i = j + 1;
            continue;
        }
        const int Next = F[j].End + InsertCopies(Body, F[i].End, F[j].End, F[j].End, d - 1);
        F = FindFields(Body);
        i = 0;
        while (i < F.size() && F[i].Start < Next)
            ++i;
    }
}

} // namespace

void TKvReportMerge::ExpandCalculationBlocks(QTextDocument& Body)
{
    ExpandBlocks(Body, "StartCalculation", "NextCalculation",
                 [this](const std::vector<TKvField>& F, size_t Open, size_t Close) {
                     SeriesIndex = CountBefore(F, "NextSeries", F[Open].Start);
                     return Instances(F, Open, Close);
                 });
}

// Members of the key families named inside a coefficient block: n = 1, 2,
// ... while Key(n) has a value in the section of the calculation instance
// the block lies in.
int TKvReportMerge::FamilyMembers(const std::vector<TKvField>& F, size_t Open, size_t Close)
{
    int Instance = 1;
    for (size_t k = Open; k-- > 0;) {
        if (Is(F[k], "StartCalculation"))
            break;
        if (Is(F[k], "NextCalculation"))
            ++Instance;
    }
    const bool InCalculation = std::any_of(F.begin(), F.begin() + static_cast<long>(Open),
                                           [](const TKvField& X) { return Is(X, "StartCalculation"); });
    if (!InCalculation)
        Instance = 1;
    int d = 1;
    for (size_t k = Open + 1; k < Close; ++k) {
        if (!IsValueField(F[k]))
            continue;
        const TKvFieldName N = SplitFieldName(F[k].Name.toStdString());
        const size_t I = N.Key.find("(i)");
        if (I == std::string::npos)
            continue;
        const std::string Section = HasInstances(N.Section) ? Suffixed(N.Section, Instance) : N.Section;
        int n = 1;
        for (; n < 10000; ++n) {
            const auto V = FSource.Value(SeriesIndex, Section, N.Key.substr(0, I) + "(" + std::to_string(n) + ")");
            if (!V || V->empty())
                break;
        }
        d = std::max(d, n - 1);
    }
    return d;
}

void TKvReportMerge::ExpandCoefficientBlocks(QTextDocument& Body)
{
    ExpandBlocks(Body, "FirstCoeff", "NextCoeff", [this](const std::vector<TKvField>& F, size_t Open, size_t Close) {
        SeriesIndex = CountBefore(F, "NextSeries", F[Open].Start);
        return FamilyMembers(F, Open, Close);
    });
}

void TKvReportMerge::ResolveFields(QTextDocument& Part, const TKvRtfDocument& Page)
{
    const std::vector<TKvField> Fields = FindFields(Part);
    std::vector<std::pair<const TKvField*, TContent>> Contents;
    for (const TKvField& F : Fields) {
        if (!IsMergeField(F.Instruction))
            continue;
        if (F.Name == "Plot") {
            const QSize Graph = FSource.GraphSize();
            const double Ratio = Graph.width() > 0 ? double(Graph.height()) / Graph.width() : 0.75;
            const QTextCharFormat Held = FormatAt(Part, F.Start);
            int W = Held.isImageFormat() ? PictureOf(Held.toImageFormat()).GoalWidth : Page.UsableWidth();
            int H = static_cast<int>(std::lround(W * Ratio));
            if (H > Page.UsableHeight()) {
                H = Page.UsableHeight();
                W = static_cast<int>(std::lround(H / Ratio));
            }
            Contents.emplace_back(&F, TPictureContent{FSource.GraphPicture(std::max(W, 1), std::max(H, 1))});
            continue;
        }
        const std::string Name = F.Name.toStdString();
        const QString Value = QString::fromStdString(EvaluateField(Name));
        const bool Caption = F.Name.contains("Caption") || F.Name.contains("Formula") || F.Name.contains("Title");
        if (Caption && Value != NotFound)
            Contents.emplace_back(&F, TCaptionContent{Value});
        else
            Contents.emplace_back(&F, Value);
    }
    // from the end, so the positions of the fields before stay valid
    for (auto It = Contents.rbegin(); It != Contents.rend(); ++It) {
        const TKvField& F = *It->first;
        const QTextCharFormat Base = WithoutField(FormatAt(Part, F.Start));
        QTextCharFormat Text = Base.isImageFormat() ? QTextCharFormat() : Base;
        if (Base.isImageFormat()) {
            Text = QTextCharFormat(Base);
            Text.setObjectType(QTextFormat::NoObject);
        }
        QTextCursor C(&Part);
        C.setPosition(F.Start);
        C.setPosition(F.End, QTextCursor::KeepAnchor);
        C.removeSelectedText();
        if (const auto* S = std::get_if<QString>(&It->second))
            C.insertText(*S, Text);
        else if (const auto* P = std::get_if<TPictureContent>(&It->second))
            C.insertText(QString(QChar::ObjectReplacementCharacter), MakePictureFormat(Part, P->Picture));
        else {
            const TKvRtfDocument Formatted = CaptionToDocument(std::get<TCaptionContent>(It->second).Caption, Text);
            for (auto Fr = Formatted.Body->begin().begin(); !Fr.atEnd(); ++Fr)
                C.insertText(Fr.fragment().text(), Fr.fragment().charFormat());
        }
    }
}

void DeleteParagraphsContaining(QTextDocument& Document, const QString& Text)
{
    QTextBlock B = Document.lastBlock();
    while (B.isValid()) {
        const QTextBlock Previous = B.previous();
        if (B.text().contains(Text)) {
            QTextCursor C(&Document);
            if (Previous.isValid()) {
                // with the end of the paragraph before, which keeps its format
                C.setPosition(Previous.position() + Previous.length() - 1);
                C.setPosition(B.position() + B.length() - 1, QTextCursor::KeepAnchor);
                C.removeSelectedText();
            } else if (B.next().isValid()) {
                const QTextBlockFormat NextFormat = B.next().blockFormat();
                C.setPosition(B.position());
                C.setPosition(B.next().position(), QTextCursor::KeepAnchor);
                C.removeSelectedText();
                C.setBlockFormat(NextFormat);
            } else {
                C.setPosition(B.position());
                C.setPosition(B.position() + B.length() - 1, QTextCursor::KeepAnchor);
                C.removeSelectedText();
            }
        }
        B = Previous;
    }
}

} // namespace kv
