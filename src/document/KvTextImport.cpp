#include "KvTextImport.h"

#include "foundation/KvMissing.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <deque>

namespace kv {

namespace {

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
constexpr int64_t ProgressStep = 1 << 20;

bool IsBlank(char C) { return C == ' ' || C == '\t'; }
bool IsLineEnd(char C) { return C == '\n' || C == '\r'; }

std::string_view TrimBlanks(std::string_view S)
{
    while (!S.empty() && IsBlank(S.front()))
        S.remove_prefix(1);
    while (!S.empty() && IsBlank(S.back()))
        S.remove_suffix(1);
    return S;
}

bool SameTextNoCase(std::string_view A, std::string_view B)
{
    return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char X, char Y) {
               return (X >= 'A' && X <= 'Z' ? X - 'A' + 'a' : X) == Y;
           });
}

// One pass over the text, record by record. A record is one line, or more
// when a quoted field holds line ends.
class TReader {
public:
    TReader(std::string_view Text, const TKvTextFormat& Format, const TKvTextReadLimits& Limits)
        : FBegin(Text.data()), FPos(Text.data()), FEnd(Text.data() + Text.size()), FFormat(Format), FLimits(Limits)
    {
        if (Text.starts_with(Utf8Bom))
            FPos += Utf8Bom.size();
    }

    TKvTextTable Run();
    std::vector<TKvTextRecord> SplitRecords(size_t MaxRecords);

private:
    bool AtRecordEnd() const { return FPos == FEnd || IsLineEnd(*FPos); }
    bool IsFieldEnd(const char* P) const
    {
        return P == FEnd || *P == FFormat.Delimiter || IsLineEnd(*P) || (FFormat.Delimiter == ' ' && IsBlank(*P));
    }
    bool StartsComment(std::string_view S) const { return !FFormat.Comment.empty() && S.starts_with(FFormat.Comment); }
    void SkipLineEnd();
    void SkipToLineEnd();
    void SkipFieldBlanks();
    // The next field's text; the position is left at the delimiter or line
    // end after it.
    std::string_view NextField(bool& Quoted);
    // A quoted field into FBuffer; false (nothing read) without a closing quote.
    bool QuotedField();
    // After a field: false at the end of the record, else past the delimiter.
    bool NextSeparator();
    bool TakeFastNumber(int32_t Column);
    void ReadDataRecord();
    void Store(int32_t Column, double X);
    void SetCaptions(const std::deque<std::vector<std::string>>& Rows);
    std::vector<std::string> ReadTextRecord();
    // Past a blank or comment line; false when the line has content.
    bool SkipEmptyLine(bool& Blank);
    bool ReportProgress();
    void Finish();

    const char* FBegin;
    const char* FPos;
    const char* FEnd;
    const TKvTextFormat& FFormat;
    const TKvTextReadLimits& FLimits;
    int64_t FLine = 0;
    int64_t FNextProgress = ProgressStep;
    std::string FBuffer;
    TKvTextTable FTable;
};

void TReader::SkipLineEnd()
{
    if (FPos == FEnd)
        return;
    if (*FPos == '\r' && FPos + 1 != FEnd && FPos[1] == '\n')
        ++FPos;
    ++FPos;
    ++FLine;
}

void TReader::SkipToLineEnd()
{
    while (FPos != FEnd && !IsLineEnd(*FPos))
        ++FPos;
}

void TReader::SkipFieldBlanks()
{
    // Blanks around a field, unless a tab is the delimiter itself.
    while (FPos != FEnd && IsBlank(*FPos) && (FFormat.Delimiter == ' ' || *FPos != FFormat.Delimiter))
        ++FPos;
}

bool TReader::QuotedField()
{
    const char* Open = FPos;
    const int64_t Line = FLine;
    FBuffer.clear();
    ++FPos;
    for (;;) {
        const char* Quote = static_cast<const char*>(std::memchr(FPos, '"', static_cast<size_t>(FEnd - FPos)));
        if (!Quote) {
            // No closing quote anywhere: a stray quote, not a field that
            // swallows the rest of the file.
            FPos = Open;
            FLine = Line;
            return false;
        }
        for (const char* P = FPos; P != Quote; ++P)
            if (*P == '\n' || (*P == '\r' && (P + 1 == Quote || P[1] != '\n')))
                ++FLine;
        FBuffer.append(FPos, Quote);
        FPos = Quote + 1;
        if (FPos == FEnd || *FPos != '"')
            break;
        FBuffer += '"'; // a doubled quote stands for one
        ++FPos;
    }
    // Text between the closing quote and the delimiter belongs to the field.
    const char* Rest = FPos;
    while (!IsFieldEnd(FPos))
        ++FPos;
    FBuffer += TrimBlanks(std::string_view(Rest, static_cast<size_t>(FPos - Rest)));
    return true;
}

std::string_view TReader::NextField(bool& Quoted)
{
    SkipFieldBlanks();
    Quoted = FPos != FEnd && *FPos == '"' && QuotedField();
    if (Quoted)
        return FBuffer;
    const char* Start = FPos;
    while (!IsFieldEnd(FPos))
        ++FPos;
    return TrimBlanks(std::string_view(Start, static_cast<size_t>(FPos - Start)));
}

bool TReader::NextSeparator()
{
    if (FFormat.Delimiter == ' ') {
        SkipFieldBlanks();
        return !AtRecordEnd();
    }
    SkipFieldBlanks();
    if (AtRecordEnd())
        return false;
    ++FPos; // the delimiter
    return true;
}

void TReader::Store(int32_t Column, double X)
{
    auto& Columns = FTable.Columns;
    if (Column >= static_cast<int32_t>(Columns.size()))
        Columns.resize(static_cast<size_t>(Column) + 1);
    std::vector<double>& C = Columns[static_cast<size_t>(Column)];
    // Cells of earlier rows this column did not reach are missing.
    if (static_cast<int64_t>(C.size()) < FTable.Rows)
        C.resize(static_cast<size_t>(FTable.Rows), MissingValue());
    C.push_back(X);
}

// The common cell: a plain number right up to the delimiter.
bool TReader::TakeFastNumber(int32_t Column)
{
    if (FFormat.Decimal != '.' || FPos == FEnd || *FPos == '"')
        return false;
    double X = 0;
    const auto [End, Error] = std::from_chars(FPos, FEnd, X);
    if (Error != std::errc() || !IsFieldEnd(End) || !std::isfinite(X))
        return false;
    Store(Column, X);
    FPos = End;
    return true;
}

void TReader::ReadDataRecord()
{
    for (int32_t Column = 0;; ++Column) {
        if (FFormat.Delimiter == ' ')
            SkipFieldBlanks();
        if (Column >= FLimits.MaxColumns) {
            bool Quoted = false;
            do {
                NextField(Quoted);
                ++FTable.CellsBeyondLastColumn;
            } while (NextSeparator());
            break;
        }
        if (!TakeFastNumber(Column)) {
            bool Quoted = false;
            const std::string_view Text = NextField(Quoted);
            double X = 0;
            if (!Quoted && StartsComment(Text)) {
                SkipToLineEnd();
                break;
            }
            if (IsMissingToken(Text))
                Store(Column, MissingValue());
            else if (ReadCellNumber(Text, FFormat.Decimal, X))
                Store(Column, X);
            else {
                Store(Column, MissingValue());
                if (FTable.Unreadable++ == 0) {
                    FTable.FirstBadRow = FTable.Rows;
                    FTable.FirstBadColumn = Column;
                    FTable.FirstBadText = std::string(Text.substr(0, 40));
                }
            }
        }
        if (!NextSeparator())
            break;
    }
    ++FTable.Rows;
    SkipLineEnd();
}

std::vector<std::string> TReader::ReadTextRecord()
{
    std::vector<std::string> Fields;
    if (FFormat.Delimiter == ' ')
        SkipFieldBlanks();
    while (!(FFormat.Delimiter == ' ' && AtRecordEnd())) {
        bool Quoted = false;
        std::string Text(NextField(Quoted));
        if (!Quoted && StartsComment(Text)) {
            SkipToLineEnd();
            break;
        }
        // A caption is one line: control characters would break the export.
        std::replace_if(Text.begin(), Text.end(), [](char C) { return C == '\t' || IsLineEnd(C); }, ' ');
        Fields.push_back(std::move(Text));
        if (!NextSeparator())
            break;
    }
    SkipLineEnd();
    return Fields;
}

void TReader::SetCaptions(const std::deque<std::vector<std::string>>& Rows)
{
    for (const std::vector<std::string>& Row : Rows)
        for (size_t i = 0; i < Row.size() && i < static_cast<size_t>(FLimits.MaxColumns); ++i) {
            if (FTable.Captions.size() <= i)
                FTable.Captions.resize(i + 1);
            std::string& Caption = FTable.Captions[i];
            if (!Row[i].empty())
                Caption += (Caption.empty() ? "" : " / ") + Row[i];
        }
}

bool TReader::ReportProgress()
{
    const int64_t Done = FPos - FBegin;
    if (Done < FNextProgress || !FLimits.Progress)
        return true;
    FNextProgress = Done + ProgressStep;
    return FLimits.Progress(static_cast<double>(Done) / static_cast<double>(FEnd - FBegin));
}

void TReader::Finish()
{
    int64_t Rows = 0;
    for (std::vector<double>& C : FTable.Columns) {
        while (!C.empty() && IsMissing(C.back()))
            C.pop_back();
        Rows = std::max(Rows, static_cast<int64_t>(C.size()));
    }
    FTable.Rows = Rows;
}

bool TReader::SkipEmptyLine(bool& Blank)
{
    const char* Content = FPos;
    while (Content != FEnd && IsBlank(*Content))
        ++Content;
    Blank = Content == FEnd || IsLineEnd(*Content);
    if (Blank) {
        FPos = Content;
        return false;
    }
    if (!StartsComment(std::string_view(Content, static_cast<size_t>(FEnd - Content))))
        return false;
    SkipToLineEnd();
    SkipLineEnd();
    return true;
}

TKvTextTable TReader::Run()
{
    std::deque<std::vector<std::string>> Held; // the lines that may be captions
    bool InData = false;
    while (FPos != FEnd && FTable.Rows < FLimits.MaxRows) {
        if (!ReportProgress()) {
            FTable.Cancelled = true;
            break;
        }
        bool Blank = false;
        if (SkipEmptyLine(Blank))
            continue;
        if (FLine < FFormat.FirstDataLine) {
            if (Blank)
                SkipLineEnd();
            else {
                Held.push_back(ReadTextRecord());
                if (Held.size() > static_cast<size_t>(std::max(FFormat.HeaderRows, 0)))
                    Held.pop_front();
            }
            continue;
        }
        if (!InData) {
            SetCaptions(Held);
            InData = true;
        }
        if (Blank) {
            // A blank line among the data is a row without values: the rows
            // below keep their numbers (a one-column table writes a missing
            // cell so).
            ++FTable.Rows;
            SkipLineEnd();
            continue;
        }
        ReadDataRecord();
    }
    if (!InData)
        SetCaptions(Held);
    Finish();
    return std::move(FTable);
}

std::vector<TKvTextRecord> TReader::SplitRecords(size_t MaxRecords)
{
    std::vector<TKvTextRecord> Records;
    while (FPos != FEnd && Records.size() < MaxRecords) {
        bool Blank = false;
        if (SkipEmptyLine(Blank))
            continue;
        if (Blank) {
            SkipLineEnd();
            continue;
        }
        const int64_t Line = FLine;
        Records.push_back({Line, ReadTextRecord()});
    }
    return Records;
}

} // namespace

TKvTextTable ReadTextTable(std::string_view Text, const TKvTextFormat& Format, const TKvTextReadLimits& Limits)
{
    return TReader(Text, Format, Limits).Run();
}

std::vector<TKvTextRecord> SplitTextRecords(std::string_view Text, char Delimiter, std::string_view Comment,
                                            size_t MaxRecords)
{
    TKvTextFormat Format;
    Format.Delimiter = Delimiter;
    Format.Comment = std::string(Comment);
    const TKvTextReadLimits Limits;
    return TReader(Text, Format, Limits).SplitRecords(MaxRecords);
}

bool ReadCellNumber(std::string_view Field, char Decimal, double& Value)
{
    Field = TrimBlanks(Field);
    if (Field.size() > 1 && Field.front() == '+' && Field[1] != '-' && Field[1] != '+')
        Field.remove_prefix(1);
    if (Field.empty())
        return false;
    double X = 0;
    std::from_chars_result Result{};
    if (Decimal == ',') {
        // The other separator in a decimal-comma table is a thousands mark
        // at best: no guess.
        if (Field.find('.') != std::string_view::npos || Field.size() > 400)
            return false;
        char Buffer[400];
        std::replace_copy(Field.begin(), Field.end(), Buffer, ',', '.');
        Result = std::from_chars(Buffer, Buffer + Field.size(), X);
        if (Result.ec != std::errc() || Result.ptr != Buffer + Field.size())
            return false;
    } else {
        Result = std::from_chars(Field.data(), Field.data() + Field.size(), X);
        if (Result.ec != std::errc() || Result.ptr != Field.data() + Field.size())
            return false;
    }
    if (!std::isfinite(X))
        return false;
    Value = X;
    return true;
}

bool IsMissingToken(std::string_view Field)
{
    Field = TrimBlanks(Field);
    return Field.empty() || Field == "-" || Field == "--" || Field == "?" || SameTextNoCase(Field, "na") ||
           SameTextNoCase(Field, "nan") || SameTextNoCase(Field, "null");
}

} // namespace kv
