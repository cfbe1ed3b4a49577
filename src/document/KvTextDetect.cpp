#include "KvTextDetect.h"

#include "foundation/KvErrors.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <map>

namespace kv {

namespace {

constexpr size_t SampleRecords = 2000;

std::string_view Sample(std::string_view Text)
{
    if (Text.size() <= DetectionSampleSize)
        return Text;
    Text = Text.substr(0, DetectionSampleSize);
    // A line cut by the sample's end would split unlike the others.
    const size_t LastEnd = Text.find_last_of("\r\n");
    return LastEnd == std::string_view::npos ? Text : Text.substr(0, LastEnd + 1);
}

std::vector<std::string_view> PhysicalLines(std::string_view Text)
{
    std::vector<std::string_view> Lines;
    while (!Text.empty()) {
        const size_t End = Text.find_first_of("\r\n");
        Lines.push_back(Text.substr(0, End));
        if (End == std::string_view::npos)
            break;
        Text.remove_prefix(End + 1);
    }
    return Lines;
}

std::string_view LineContent(std::string_view Line)
{
    const size_t First = Line.find_first_not_of(" \t");
    return First == std::string_view::npos ? std::string_view{} : Line.substr(First);
}

size_t LinesStartingWith(const std::vector<std::string_view>& Lines, std::string_view Mark)
{
    return static_cast<size_t>(std::count_if(Lines.begin(), Lines.end(), [&](std::string_view L) {
        return LineContent(L).starts_with(Mark);
    }));
}

std::string DetectComment(const std::vector<std::string_view>& Lines)
{
    std::string Best;
    size_t BestCount = 0;
    for (const char* Mark : {"#", "%", "//"}) {
        const size_t Count = LinesStartingWith(Lines, Mark);
        if (Count > BestCount) {
            Best = Mark;
            BestCount = Count;
        }
    }
    return Best;
}

bool ReadsAsNumber(std::string_view Field)
{
    double X = 0;
    return ReadCellNumber(Field, '.', X) || ReadCellNumber(Field, ',', X);
}

// The delimiters worth trying: the usual four, and punctuation that shows
// in at least half of the lines (the '|' of a hand-made table).
std::vector<char> DelimiterCandidates(const std::vector<std::string_view>& Lines)
{
    std::vector<char> Candidates{'\t', ';', ',', ' '};
    constexpr std::string_view Others = "|:!/\\^~*&$@=_";
    size_t Content = 0;
    std::array<size_t, 256> Seen{};
    for (std::string_view L : Lines) {
        if (LineContent(L).empty())
            continue;
        ++Content;
        std::array<bool, 256> InLine{};
        for (char C : L)
            InLine[static_cast<unsigned char>(C)] = true;
        for (char C : Others)
            Seen[static_cast<unsigned char>(C)] += InLine[static_cast<unsigned char>(C)];
    }
    for (char C : Others)
        if (Content > 0 && Seen[static_cast<unsigned char>(C)] * 2 >= Content)
            Candidates.push_back(C);
    return Candidates;
}

// The field count most records share (the larger on a tie) and how many do.
std::pair<size_t, size_t> ModeFieldCount(const std::vector<TKvTextRecord>& Records)
{
    std::map<size_t, size_t> Counts;
    for (const TKvTextRecord& R : Records)
        ++Counts[R.Fields.size()];
    std::pair<size_t, size_t> Mode{0, 0};
    for (const auto& [Fields, Count] : Counts)
        if (Count >= Mode.second)
            Mode = {Fields, Count};
    return Mode;
}

double DelimiterScore(const std::vector<TKvTextRecord>& Records)
{
    const auto [Fields, Lines] = ModeFieldCount(Records);
    if (Fields <= 1)
        return 0;
    size_t Numbers = 0;
    for (const TKvTextRecord& R : Records)
        if (R.Fields.size() == Fields)
            Numbers += static_cast<size_t>(std::count_if(R.Fields.begin(), R.Fields.end(), ReadsAsNumber));
    return static_cast<double>(Lines) * (1.0 + static_cast<double>(Numbers) / static_cast<double>(Fields * Lines));
}

char DetectDelimiter(std::string_view Text, const std::vector<std::string_view>& Lines, const std::string& Comment)
{
    char Best = '\t';
    double BestScore = 0;
    for (char C : DelimiterCandidates(Lines)) {
        const double Score = DelimiterScore(SplitTextRecords(Text, C, Comment, SampleRecords));
        if (Score > BestScore * (1 + 1e-9)) {
            Best = C;
            BestScore = Score;
        }
    }
    if (BestScore > 0)
        return Best;
    // One column: a blank run separates nothing wrongly then either.
    return ' ';
}

char DetectDecimal(const std::vector<TKvTextRecord>& Records)
{
    const size_t Fields = ModeFieldCount(Records).first;
    size_t Comma = 0;
    size_t Point = 0;
    double X = 0;
    for (const TKvTextRecord& R : Records) {
        if (R.Fields.size() != Fields)
            continue; // a line of another layout says nothing of the numbers
        for (const std::string& F : R.Fields) {
            if (F.find(',') != std::string::npos && ReadCellNumber(F, ',', X))
                ++Comma;
            if (F.find('.') != std::string::npos && ReadCellNumber(F, '.', X))
                ++Point;
        }
    }
    return Comma > 0 && Point == 0 ? ',' : '.';
}

bool IsTextRecord(const TKvTextRecord& R, char Decimal)
{
    size_t Numbers = 0;
    size_t Texts = 0;
    double X = 0;
    for (const std::string& F : R.Fields) {
        if (ReadCellNumber(F, Decimal, X))
            ++Numbers;
        else if (!IsMissingToken(F))
            ++Texts;
    }
    return Texts > Numbers;
}

// The caption lines directly above record First: one text line, or two
// (names and units) when the two text lines directly above the data both
// split into as many fields as the data and a text line above them, if
// any, does not (a preamble such as a title line).
int32_t HeaderRowsAbove(const std::vector<TKvTextRecord>& Records, size_t First, char Decimal)
{
    size_t Text = 0;
    while (Text < First && IsTextRecord(Records[First - 1 - Text], Decimal))
        ++Text;
    const size_t Fields = ModeFieldCount(Records).first;
    const auto Splits = [&](size_t Above) { return Records[First - Above].Fields.size() == Fields; };
    if (Text >= 2 && Splits(1) && Splits(2) && (Text == 2 || !Splits(3)))
        return 2;
    return Text > 0 ? 1 : 0;
}

int64_t LineAfter(const std::vector<TKvTextRecord>& Records, size_t i)
{
    if (i < Records.size())
        return Records[i].Line;
    return Records.empty() ? 0 : Records.back().Line + 1;
}

void DetectRows(const std::vector<TKvTextRecord>& Records, const TKvTextImportOptions& Fixed, TKvTextFormat& Format)
{
    if (Fixed.HeaderRows) {
        Format.HeaderRows = std::max(*Fixed.HeaderRows, 0);
        Format.FirstDataLine = Fixed.FirstDataLine.value_or(LineAfter(Records, static_cast<size_t>(Format.HeaderRows)));
        return;
    }
    size_t First = 0;
    if (Fixed.FirstDataLine) {
        Format.FirstDataLine = *Fixed.FirstDataLine;
        while (First < Records.size() && Records[First].Line < Format.FirstDataLine)
            ++First;
    } else {
        while (First < Records.size() && IsTextRecord(Records[First], Format.Decimal))
            ++First;
        if (First == Records.size()) {
            // Nothing but text: the first line names the columns.
            Format.HeaderRows = Records.empty() ? 0 : 1;
            Format.FirstDataLine = LineAfter(Records, Records.empty() ? 0 : 1);
            return;
        }
        Format.FirstDataLine = Records[First].Line;
    }
    Format.HeaderRows = HeaderRowsAbove(Records, First, Format.Decimal);
}

std::string_view Trimmed(std::string_view S)
{
    const size_t First = S.find_first_not_of(' ');
    if (First == std::string_view::npos)
        return {};
    return S.substr(First, S.find_last_not_of(' ') - First + 1);
}

char DelimiterValue(std::string_view V)
{
    if (V == "tab" || V == "\\t")
        return '\t';
    if (V == "space" || V == "blanks" || V == "whitespace" || V == " ")
        return ' ';
    if (V == "comma")
        return ',';
    if (V == "semicolon")
        return ';';
    if (V.size() == 1 && V[0] != '"' && V[0] != '\r' && V[0] != '\n')
        return V[0];
    throw EConvertError("import option delimiter: \"" + std::string(V) + "\" is not a delimiter");
}

char DecimalValue(std::string_view V)
{
    if (V == "." || V == "point")
        return '.';
    if (V == "," || V == "comma")
        return ',';
    throw EConvertError("import option decimal: \"" + std::string(V) + "\" is neither \".\" nor \",\"");
}

int64_t IntegerValue(std::string_view Key, std::string_view V, int64_t Low, int64_t High)
{
    int64_t N = 0;
    const auto [End, Error] = std::from_chars(V.data(), V.data() + V.size(), N);
    if (Error != std::errc() || End != V.data() + V.size() || N < Low || N > High)
        throw EConvertError("import option " + std::string(Key) + ": \"" + std::string(V) + "\" is not a number from " +
                            std::to_string(Low) + " to " + std::to_string(High));
    return N;
}

void SetOption(TKvTextImportOptions& Options, std::string_view Key, std::string_view Value)
{
    if (Key == "delimiter")
        Options.Delimiter = DelimiterValue(Value);
    else if (Key == "decimal")
        Options.Decimal = DecimalValue(Value);
    else if (Key == "header")
        Options.HeaderRows = static_cast<int32_t>(IntegerValue(Key, Value, 0, 9));
    else if (Key == "comment")
        Options.Comment = Value == "none" ? std::string() : std::string(Value);
    else if (Key == "first")
        Options.FirstDataLine = IntegerValue(Key, Value, 1, INT64_MAX) - 1;
    else
        throw EConvertError("unknown import option \"" + std::string(Key) +
                            "\" (known: delimiter, decimal, header, comment, first)");
}

// Where the value starting at From ends: before the next ",key=".
size_t ValueEnd(std::string_view Text, size_t From)
{
    for (size_t i = From + 1; i < Text.size(); ++i) {
        if (Text[i] != ',')
            continue;
        const size_t Equals = Text.find('=', i + 1);
        if (Equals == std::string_view::npos)
            break;
        const std::string_view Key = Trimmed(Text.substr(i + 1, Equals - i - 1));
        if (!Key.empty() && std::all_of(Key.begin(), Key.end(), [](char C) { return C >= 'a' && C <= 'z'; }))
            return i;
    }
    return Text.size();
}

} // namespace

TKvTextFormat DetectTextFormat(std::string_view Text, const TKvTextImportOptions& Fixed)
{
    const std::string_view Part = Sample(Text);
    const std::vector<std::string_view> Lines = PhysicalLines(Part);
    TKvTextFormat Format;
    Format.Comment = Fixed.Comment.value_or(DetectComment(Lines));
    Format.Delimiter = Fixed.Delimiter.value_or(DetectDelimiter(Part, Lines, Format.Comment));
    if (!Fixed.Comment && Format.Comment.empty() && Format.Delimiter != ';' && LinesStartingWith(Lines, ";") > 0)
        Format.Comment = ";";
    const std::vector<TKvTextRecord> Records = SplitTextRecords(Part, Format.Delimiter, Format.Comment, SampleRecords);
    Format.Decimal = Fixed.Decimal ? *Fixed.Decimal : DetectDecimal(Records);
    DetectRows(Records, Fixed, Format);
    return Format;
}

TKvTextImportOptions ParseImportOptions(std::string_view Text)
{
    TKvTextImportOptions Options;
    size_t Pos = 0;
    while (Pos < Text.size()) {
        const size_t Equals = Text.find('=', Pos);
        if (Equals == std::string_view::npos)
            throw EConvertError("import option \"" + std::string(Text.substr(Pos)) + "\" has no value (key=value)");
        const size_t End = ValueEnd(Text, Equals + 1);
        SetOption(Options, Trimmed(Text.substr(Pos, Equals - Pos)), Text.substr(Equals + 1, End - Equals - 1));
        Pos = End + 1;
    }
    return Options;
}

bool HoldsOnlyNumbers(std::string_view Text)
{
    constexpr std::string_view Allowed = "0123456789+-.,;eE \t\r\n";
    return Text.find_first_not_of(Allowed) == std::string_view::npos;
}

} // namespace kv
