#include "KvRtfReader.h"

#include "KvRtfTokenizer.h"

#include <QFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextList>

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

namespace kv {

namespace {

// Bytes 0x80 to 0x9F of code page 1252; the rest are Latin-1.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr int MaxDepth = 1000;
constexpr int MaxGoal = 200000; // twips, about 3.5 m

enum class TDest { Text, FontTable, ColorTable, Skip, FieldInstruction, Picture, ListKind };

struct TCharState {
    int Font = -1;
    int HalfPoints = 24;
    bool Bold = false, Italic = false, Underline = false, Strike = false;
    int Vertical = 0; // 1 superscript, 2 subscript
    int Color = 0, Highlight = 0;
};

struct TParaState {
    int Align = 0; // 0 left, 1 centre, 2 right, 3 justified
    int Li = 0, Ri = 0, Fi = 0, Sb = 0, Sa = 0, Sl = 0;
    bool SlMult = false, Keep = false, KeepNext = false, PageBefore = false;
    int List = 0; // 1 bulleted, 2 numbered
    QTextOption::TabType NextTabType = QTextOption::LeftTab;
    QList<QTextOption::Tab> Tabs;
};

struct TState {
    TDest Dest = TDest::Text;
    TCharState Char;
    TParaState Para;
    int Uc = 1;
    int Target = 0; // body, header, footer
    int Field = -1; // index into the open fields
    bool InResult = false;
    bool OwnsField = false, OwnsPicture = false, OwnsTarget = false;
    bool ShpPict = false, NonShpPict = false;
    int ListOwner = -1; // in a list's kind: the group whose paragraph it describes
};

struct TFontDef {
    QString Name;
    int Charset = 0;
};

struct TFieldRec {
    int Id = 0;
    QString Instruction;
    int Chars = 0;
    bool ResultStarted = false;
};

struct TPictRec {
    QString Kind;
    QByteArray Data;
    int Nibble = -1;
    int Width = 0, Height = 0, GoalWidth = 0, GoalHeight = 0, ScaleX = 100, ScaleY = 100;
};

struct TTarget {
    QTextDocument* Document = nullptr;
    QTextCursor Cursor;
    bool Used = false;
    bool PageBreak = false; // the paragraph being read begins a page
    QTextList* List = nullptr; // the list the previous paragraph belongs to
};

class TReader {
public:
    TReader(std::string_view Text, TKvRtfDocument& Out) : FTokens(Text), FOut(Out)
    {
        FTargets[0] = {Out.Body.get(), QTextCursor(Out.Body.get()), true};
        FTargets[1] = {Out.Header.get(), QTextCursor(Out.Header.get()), false};
        FTargets[2] = {Out.Footer.get(), QTextCursor(Out.Footer.get()), false};
    }

    void Run();

private:
    void Open();
    void Close();
    void Word(const TKvRtfToken& T);
    bool Destination(std::string_view W);
    bool CharacterWord(std::string_view W, bool Has, int P);
    bool ParagraphWord(std::string_view W, bool Has, int P);
    bool PageWord(std::string_view W, int P);
    bool PictureWord(std::string_view W, bool Has, int P);
    void Symbol(char C);
    void Bytes(std::string_view Data);
    void Char(char16_t C);
    void Text(const QString& S);
    void FontTableText(std::string_view Data);
    void ColorTableText(std::string_view Data);
    void HexData(std::string_view Data);
    void Paragraph();
    void ApplyBlockFormat();
    void ApplyList(int Kind);
    void EndPart();
    void FinishField();
    void FinishPicture();
    QTextCharFormat CharFormat() const;
    char16_t Decode(uint8_t Byte) const;
    bool IsSymbolFont() const;
    TState& S() { return FStack.back(); }
    const TState& S() const { return FStack.back(); }
    TTarget& Target() { return FTargets[S().Target]; }

    TKvRtfTokenizer FTokens;
    TKvRtfDocument& FOut;
    std::vector<TState> FStack;
    TTarget FTargets[3];
    std::map<int, TFontDef> FFonts;
    int FDefaultFont = 0;
    int FCurrentFont = 0;
    QString FFontName;
    std::vector<std::optional<QColor>> FColors;
    int FRed = -1, FGreen = -1, FBlue = -1;
    std::vector<TFieldRec> FFields;
    std::vector<TPictRec> FPictures;
    int FSkip = 0;       // fallback characters still to skip after \u
    bool FStar = false;  // the group began with \*
    bool FGroupStart = false;
    int FShpPicture = -1; // position of the last picture read from \shppict
    int FShpTarget = -1;
};

void TReader::Run()
{
    TKvRtfToken T = FTokens.Next();
    const TKvRtfToken W = FTokens.Next();
    if (T.Kind != TKvRtfTokenKind::RtGroupOpen || W.Kind != TKvRtfTokenKind::RtWord || W.Word != "rtf")
        throw ERtfError("Not an RTF document (it must begin with {\\rtf)");
    FStack.push_back(TState());
    for (;;) {
        T = FTokens.Next();
        switch (T.Kind) {
        case TKvRtfTokenKind::RtEnd:
            throw ERtfError("The RTF file is truncated: " + std::to_string(FStack.size()) + " groups are not closed");
        case TKvRtfTokenKind::RtGroupOpen:
            Open();
            continue;
        case TKvRtfTokenKind::RtGroupClose:
            Close();
            if (FStack.empty()) {
                for (T = FTokens.Next(); T.Kind != TKvRtfTokenKind::RtEnd; T = FTokens.Next())
                    if (T.Kind == TKvRtfTokenKind::RtGroupOpen || T.Kind == TKvRtfTokenKind::RtGroupClose)
                        throw ERtfError("Unbalanced braces: a group after the end of the RTF document");
                return;
            }
            continue;
        case TKvRtfTokenKind::RtWord:
            Word(T);
            break;
        case TKvRtfTokenKind::RtSymbol:
            if (T.Word[0] == '*') {
                FStar = true; // the group may still open a destination
                continue;
            }
            Symbol(T.Word[0]);
            break;
        case TKvRtfTokenKind::RtText:
            Bytes(T.Data);
            break;
        case TKvRtfTokenKind::RtHex:
            if (FSkip > 0)
                --FSkip;
            else if (S().Dest == TDest::Text || S().Dest == TDest::FieldInstruction)
                Char(Decode(T.Byte));
            else if (S().Dest == TDest::FontTable)
                FFontName += QChar(Decode(T.Byte));
            break;
        case TKvRtfTokenKind::RtBinary:
            if (S().Dest == TDest::Picture)
                FPictures.back().Data += QByteArray(T.Data.data(), static_cast<qsizetype>(T.Data.size()));
            break;
        }
        FGroupStart = false;
    }
}

void TReader::Open()
{
    if (static_cast<int>(FStack.size()) >= MaxDepth)
        throw ERtfError("RTF groups are nested too deeply (more than " + std::to_string(MaxDepth) + ")");
    TState Next = S();
    Next.OwnsField = Next.OwnsPicture = Next.OwnsTarget = false;
    FStack.push_back(Next);
    FStar = false;
    FGroupStart = true;
    FSkip = 0;
}

void TReader::Close()
{
    const TState& Closing = S();
    if (Closing.OwnsPicture)
        FinishPicture();
    if (Closing.OwnsField)
        FinishField();
    if (Closing.OwnsTarget || FStack.size() == 1)
        EndPart();
    FStack.pop_back();
    FSkip = 0;
}

void TReader::Word(const TKvRtfToken& T)
{
    const std::string_view W = T.Word;
    const bool Starred = FStar && FGroupStart;
    FStar = false;
    if (S().Dest == TDest::Skip)
        return;
    if (FGroupStart && Destination(W))
        return;
    if (Starred) {
        S().Dest = TDest::Skip; // an optional destination this reader does not know
        return;
    }
    const int P = T.Parameter;
    switch (S().Dest) {
    case TDest::FontTable:
        if (W == "u" && T.HasParameter) {
            FFontName += QChar(static_cast<char16_t>(P < 0 ? P + 65536 : P));
            FSkip = S().Uc;
        } else if (W == "f")
            FCurrentFont = P;
        else if (W == "fcharset")
            FFonts[FCurrentFont].Charset = P;
        return;
    case TDest::ColorTable:
        if (W == "red")
            FRed = std::clamp(P, 0, 255);
        else if (W == "green")
            FGreen = std::clamp(P, 0, 255);
        else if (W == "blue")
            FBlue = std::clamp(P, 0, 255);
        return;
    case TDest::Picture:
        PictureWord(W, T.HasParameter, P);
        return;
    case TDest::ListKind:
        if (W == "pnlvlblt" || W == "pnlvlbody")
            FStack[static_cast<size_t>(S().ListOwner)].Para.List = W == "pnlvlblt" ? 1 : 2;
        return;
    default:
        break;
    }
    if (W == "u" && T.HasParameter) {
        char16_t C = static_cast<char16_t>(P < 0 ? P + 65536 : P);
        // Symbol-font characters written in the private-use area
        if (C >= 0xF020 && C <= 0xF0FF && IsSymbolFont())
            C = static_cast<char16_t>(C - 0xF000);
        Char(C);
        FSkip = S().Uc;
        return;
    }
    FSkip = 0;
    if (W == "uc")
        S().Uc = std::clamp(P, 0, 10);
    else if (W == "deff")
        FDefaultFont = P;
    else if (!CharacterWord(W, T.HasParameter, P) && !ParagraphWord(W, T.HasParameter, P))
        PageWord(W, P);
}

// Group-opening words that change where the text of the group goes.
bool TReader::Destination(std::string_view W)
{
    static const char* const Skipped[] = {
        "stylesheet", "info", "headerl", "headerf", "footerl", "footerf", "listtable", "listoverridetable",
        "revtbl", "rsidtbl", "generator", "xmlnstbl", "themedata", "colorschememapping", "latentstyles",
        "datastore", "footnote", "annotation", "object", "pntext", "listtext", "shp", "filetbl",
        "template", "userprops", "docvar", "ftnsep", "ftnsepc", "aftnsep", "aftnsepc", "xe", "tc", "txe",
        "nonesttables", "pgdsctbl", "mmathPr", "bkmkstart", "bkmkend"};
    TState& St = S();
    for (const char* Name : Skipped)
        if (W == Name) {
            St.Dest = TDest::Skip;
            return true;
        }
    if (W == "pn" && FStack.size() >= 2) {
        St.Dest = TDest::ListKind;
        St.ListOwner = static_cast<int>(FStack.size()) - 2;
    } else if (W == "fonttbl")
        St.Dest = TDest::FontTable;
    else if (W == "colortbl")
        St.Dest = TDest::ColorTable;
    else if (W == "header" || W == "headerr" || W == "footer" || W == "footerr") {
        const int Part = W.starts_with("header") ? 1 : 2;
        if (FTargets[Part].Used || St.Target != 0) {
            St.Dest = TDest::Skip;
            return true;
        }
        FTargets[Part].Used = true;
        St.Target = Part;
        St.OwnsTarget = true;
        St.Dest = TDest::Text;
        St.Field = -1;
        St.InResult = false;
    } else if (W == "field") {
        FFields.push_back({NewFieldId(), QString(), 0, false});
        St.Field = static_cast<int>(FFields.size()) - 1;
        St.OwnsField = true;
        St.InResult = false;
    } else if (W == "fldinst") {
        // an instruction after the result began would change the field
        // under the text already read
        const bool Open = St.Field >= 0 && !FFields[static_cast<size_t>(St.Field)].ResultStarted;
        St.Dest = Open ? TDest::FieldInstruction : TDest::Skip;
    } else if (W == "fldrslt") {
        St.InResult = St.Field >= 0;
        if (St.InResult)
            FFields[static_cast<size_t>(St.Field)].ResultStarted = true;
    } else if (W == "pict") {
        FPictures.push_back(TPictRec());
        St.Dest = TDest::Picture;
        St.OwnsPicture = true;
    } else if (W == "shppict")
        St.ShpPict = true;
    else if (W == "nonshppict")
        St.NonShpPict = true;
    else
        return false;
    return true;
}

bool TReader::CharacterWord(std::string_view W, bool Has, int P)
{
    TCharState& C = S().Char;
    const bool On = !Has || P != 0;
    if (W == "plain")
        C = TCharState();
    else if (W == "f")
        C.Font = P;
    else if (W == "fs")
        C.HalfPoints = Has && P > 0 ? std::min(P, 3276) : 24;
    else if (W == "b")
        C.Bold = On;
    else if (W == "i")
        C.Italic = On;
    else if (W == "ul" || W == "uld" || W == "uldb" || W == "ulw" || W == "uldash" || W == "ulth" || W == "ulwave")
        C.Underline = On;
    else if (W == "ulnone")
        C.Underline = false;
    else if (W == "strike" || W == "striked")
        C.Strike = On;
    else if (W == "super")
        C.Vertical = 1;
    else if (W == "sub")
        C.Vertical = 2;
    else if (W == "nosupersub")
        C.Vertical = 0;
    else if (W == "up")
        C.Vertical = On ? 1 : 0;
    else if (W == "dn")
        C.Vertical = On ? 2 : 0;
    else if (W == "cf")
        C.Color = P;
    else if (W == "highlight" || W == "cb" || W == "chcbpat")
        C.Highlight = P;
    else
        return false;
    return true;
}

bool TReader::ParagraphWord(std::string_view W, bool Has, int P)
{
    TParaState& Para = S().Para;
    static const std::pair<const char*, int TParaState::*> Twips[] = {
        {"li", &TParaState::Li}, {"ri", &TParaState::Ri}, {"fi", &TParaState::Fi},
        {"sb", &TParaState::Sb}, {"sa", &TParaState::Sa}, {"sl", &TParaState::Sl}};
    for (const auto& [Name, Member] : Twips)
        if (W == Name) {
            Para.*Member = std::clamp(P, -MaxGoal, MaxGoal);
            return true;
        }
    if (W == "pard")
        Para = TParaState();
    else if (W == "ql" || W == "qc" || W == "qr" || W == "qj")
        Para.Align = W == "ql" ? 0 : W == "qc" ? 1 : W == "qr" ? 2 : 3;
    else if (W == "slmult")
        Para.SlMult = Has && P != 0;
    else if (W == "keep")
        Para.Keep = true;
    else if (W == "keepn")
        Para.KeepNext = true;
    else if (W == "pagebb")
        Para.PageBefore = true;
    else if (W == "tqr" || W == "tqc" || W == "tqdec")
        Para.NextTabType = W == "tqr" ? QTextOption::RightTab : W == "tqc" ? QTextOption::CenterTab
                                                                             : QTextOption::DelimiterTab;
    else if (W == "tx" && Para.Tabs.size() < 64) {
        QTextOption::Tab Tab(std::clamp(P, 0, MaxGoal) / 20.0, Para.NextTabType);
        if (Para.NextTabType == QTextOption::DelimiterTab)
            Tab.delimiter = QChar('.');
        Para.Tabs.append(Tab);
        Para.NextTabType = QTextOption::LeftTab;
    } else if (W == "par" || W == "sect" || W == "row")
        Paragraph();
    else if (W == "page") {
        if (Target().Cursor.block().length() > 1)
            Paragraph();
        Target().PageBreak = true;
    } else if (W == "line")
        Char(QChar::LineSeparator);
    else if (W == "tab" || W == "cell" || W == "nestcell")
        Char('\t');
    else if (W == "emdash" || W == "endash")
        Char(W == "emdash" ? 0x2014 : 0x2013);
    else if (W == "bullet")
        Char(0x2022);
    else if (W == "lquote" || W == "rquote")
        Char(W == "lquote" ? 0x2018 : 0x2019);
    else if (W == "ldblquote" || W == "rdblquote")
        Char(W == "ldblquote" ? 0x201C : 0x201D);
    else if (W == "emspace" || W == "enspace" || W == "qmspace")
        Char(W == "emspace" ? 0x2003 : W == "enspace" ? 0x2002 : 0x2005);
    else
        return false;
    return true;
}

bool TReader::PageWord(std::string_view W, int P)
{
    TKvPageSetup& Page = FOut.Page;
    static const std::pair<const char*, int TKvPageSetup::*> Words[] = {
        {"paperw", &TKvPageSetup::PaperWidth},   {"paperh", &TKvPageSetup::PaperHeight},
        {"pgwsxn", &TKvPageSetup::PaperWidth},   {"pghsxn", &TKvPageSetup::PaperHeight},
        {"margl", &TKvPageSetup::MarginLeft},    {"margr", &TKvPageSetup::MarginRight},
        {"margt", &TKvPageSetup::MarginTop},     {"margb", &TKvPageSetup::MarginBottom},
        {"marglsxn", &TKvPageSetup::MarginLeft}, {"margrsxn", &TKvPageSetup::MarginRight},
        {"margtsxn", &TKvPageSetup::MarginTop},  {"margbsxn", &TKvPageSetup::MarginBottom},
        {"headery", &TKvPageSetup::HeaderY},     {"footery", &TKvPageSetup::FooterY}};
    for (const auto& [Name, Member] : Words)
        if (W == Name) {
            Page.*Member = std::clamp(P, 0, MaxGoal);
            return true;
        }
    if (W == "landscape" || W == "lndscpsxn") {
        Page.Landscape = true;
        return true;
    }
    return false;
}

bool TReader::PictureWord(std::string_view W, bool Has, int P)
{
    TPictRec& Pict = FPictures.back();
    if (W == "pngblip")
        Pict.Kind = "png";
    else if (W == "jpegblip")
        Pict.Kind = "jpeg";
    else if (W == "emfblip")
        Pict.Kind = "emf";
    else if (W == "wmetafile")
        Pict.Kind = "wmf";
    else if (W == "picw")
        Pict.Width = std::clamp(P, 0, MaxGoal);
    else if (W == "pich")
        Pict.Height = std::clamp(P, 0, MaxGoal);
    else if (W == "picwgoal")
        Pict.GoalWidth = std::clamp(P, 0, MaxGoal);
    else if (W == "pichgoal")
        Pict.GoalHeight = std::clamp(P, 0, MaxGoal);
    else if (W == "picscalex" && Has)
        Pict.ScaleX = std::clamp(P, 1, 1000);
    else if (W == "picscaley" && Has)
        Pict.ScaleY = std::clamp(P, 1, 1000);
    else
        return false;
    return true;
}

void TReader::Symbol(char C)
{
    if (S().Dest == TDest::Skip)
        return;
    if (FSkip > 0) {
        --FSkip;
        return;
    }
    switch (C) {
    case '\\':
    case '{':
    case '}':
        Bytes(std::string_view(&C, 1));
        break;
    case '~':
        Char(0x00A0);
        break;
    case '-':
        Char(0x00AD);
        break;
    case '_':
        Char(0x2011);
        break;
    case '\n':
    case '\r':
        if (S().Dest == TDest::Text)
            Paragraph();
        break;
    case '\t':
        Char('\t');
        break;
    default:
        break;
    }
}

void TReader::Bytes(std::string_view Data)
{
    switch (S().Dest) {
    case TDest::Skip:
        return;
    case TDest::FontTable:
        FontTableText(Data);
        return;
    case TDest::ColorTable:
        ColorTableText(Data);
        return;
    case TDest::Picture:
        HexData(Data);
        return;
    default:
        break;
    }
    QString Text;
    Text.reserve(static_cast<qsizetype>(Data.size()));
    for (const char C : Data) {
        if (FSkip > 0) {
            --FSkip;
            continue;
        }
        if (static_cast<uint8_t>(C) >= 0x20 || C == '\t')
            Text += QChar(Decode(static_cast<uint8_t>(C)));
    }
    this->Text(Text);
}

void TReader::Char(char16_t C)
{
    // \~ and its kind belong to a font name too: the writer escapes them there
    if (S().Dest == TDest::FontTable)
        FFontName += QChar(C);
    else
        Text(QString(QChar(C)));
}

// Characters a document cannot hold as text (controls, the object and
// frame marks QTextDocument uses itself) are dropped; a paragraph
// separator inside text is a line break.
QString Printable(const QString& Text)
{
    QString Out;
    Out.reserve(Text.size());
    for (QChar C : Text) {
        const char16_t U = C.unicode();
        if ((U < 0x20 && U != '\t') || U == QChar::ObjectReplacementCharacter || U == 0xFDD0 || U == 0xFDD1 ||
            U == 0xFFFE || U == 0xFFFF)
            continue;
        Out += U == QChar::ParagraphSeparator ? QChar(QChar::LineSeparator) : C;
    }
    return Out;
}

void TReader::Text(const QString& Raw)
{
    const QString Text = Printable(Raw);
    if (Text.isEmpty())
        return;
    TState& St = S();
    if (St.Dest == TDest::FieldInstruction) {
        if (St.Field >= 0)
            FFields[static_cast<size_t>(St.Field)].Instruction += Text;
        return;
    }
    if (St.Dest != TDest::Text)
        return;
    Target().Cursor.insertText(Text, CharFormat());
    if (St.InResult && St.Field >= 0)
        FFields[static_cast<size_t>(St.Field)].Chars += static_cast<int>(Text.size());
}

void TReader::FontTableText(std::string_view Data)
{
    for (const char C : Data) {
        if (FSkip > 0) {
            --FSkip;
            continue;
        }
        if (C == ';') {
            // a font name holds no tabs; a stray one would come back as \tab,
            // which the font table does not read as text
            FFonts[FCurrentFont].Name = Printable(FFontName).remove(QChar('\t')).trimmed();
            FFontName.clear();
        } else
            FFontName += QChar(Decode(static_cast<uint8_t>(C)));
    }
}

void TReader::ColorTableText(std::string_view Data)
{
    for (const char C : Data)
        if (C == ';') {
            if (FRed < 0 && FGreen < 0 && FBlue < 0)
                FColors.emplace_back(); // the automatic colour
            else
                FColors.emplace_back(QColor(std::max(FRed, 0), std::max(FGreen, 0), std::max(FBlue, 0)));
            FRed = FGreen = FBlue = -1;
        }
}

void TReader::HexData(std::string_view Data)
{
    TPictRec& Pict = FPictures.back();
    for (const char C : Data) {
        int V = -1;
        if (C >= '0' && C <= '9')
            V = C - '0';
        else if (C >= 'a' && C <= 'f')
            V = C - 'a' + 10;
        else if (C >= 'A' && C <= 'F')
            V = C - 'A' + 10;
        if (V < 0)
            continue;
        if (Pict.Nibble < 0)
            Pict.Nibble = V;
        else {
            Pict.Data += static_cast<char>(Pict.Nibble * 16 + V);
            Pict.Nibble = -1;
        }
    }
}

bool TReader::IsSymbolFont() const
{
    const auto It = FFonts.find(S().Char.Font < 0 ? FDefaultFont : S().Char.Font);
    return It != FFonts.end() && It->second.Charset == 2;
}

char16_t TReader::Decode(uint8_t Byte) const
{
    if (Byte < 0x80 || Byte >= 0xA0 || IsSymbolFont())
        return Byte;
    return Cp1252High[Byte - 0x80];
}

QTextCharFormat TReader::CharFormat() const
{
    const TState& St = S();
    const TCharState& C = St.Char;
    QTextCharFormat F;
    const auto Font = FFonts.find(C.Font < 0 ? FDefaultFont : C.Font);
    const QString Family = Font != FFonts.end() && !Font->second.Name.isEmpty() ? Font->second.Name
                                                                                 : QString(DefaultFontFamily);
    F.setFontFamilies({Family});
    F.setFontPointSize(C.HalfPoints / 2.0);
    F.setFontWeight(C.Bold ? QFont::Bold : QFont::Normal);
    F.setFontItalic(C.Italic);
    F.setFontUnderline(C.Underline);
    F.setFontStrikeOut(C.Strike);
    F.setVerticalAlignment(C.Vertical == 1   ? QTextCharFormat::AlignSuperScript
                           : C.Vertical == 2 ? QTextCharFormat::AlignSubScript
                                             : QTextCharFormat::AlignNormal);
    if (C.Color > 0 && static_cast<size_t>(C.Color) < FColors.size() && FColors[static_cast<size_t>(C.Color)])
        F.setForeground(*FColors[static_cast<size_t>(C.Color)]);
    if (C.Highlight > 0 && static_cast<size_t>(C.Highlight) < FColors.size() &&
        FColors[static_cast<size_t>(C.Highlight)])
        F.setBackground(*FColors[static_cast<size_t>(C.Highlight)]);
    if (St.InResult && St.Field >= 0) {
        const TFieldRec& Field = FFields[static_cast<size_t>(St.Field)];
        const QString Name = FieldNameOf(Field.Instruction);
        const QString Instruction = IsMergeField(Field.Instruction) ? MergeFieldInstruction(Name) : Name;
        F = AsField(F, Field.Id, Instruction);
    }
    return F;
}

void TReader::Paragraph()
{
    if (S().Dest != TDest::Text || S().InResult)
        return;
    ApplyBlockFormat();
    Target().Cursor.insertBlock();
}

// Neighbouring paragraphs of one kind make one list.
void TReader::ApplyList(int Kind)
{
    TTarget& T = Target();
    if (Kind == 0) {
        T.List = nullptr;
        return;
    }
    const QTextListFormat::Style Style = Kind == 1 ? QTextListFormat::ListDisc : QTextListFormat::ListDecimal;
    if (T.List && T.List->format().style() == Style) {
        T.List->add(T.Cursor.block());
        return;
    }
    QTextListFormat F;
    F.setStyle(Style);
    F.setIndent(0); // the paragraph's own indents place it
    T.List = T.Cursor.createList(F);
}

void TReader::ApplyBlockFormat()
{
    const TParaState& P = S().Para;
    QTextBlockFormat F;
    static const Qt::Alignment Aligns[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight, Qt::AlignJustify};
    F.setAlignment(Aligns[P.Align]);
    F.setLeftMargin(P.Li / 20.0);
    F.setRightMargin(P.Ri / 20.0);
    F.setTextIndent(P.Fi / 20.0 + (P.List != 0 ? ListHang : 0));
    F.setTopMargin(P.Sb / 20.0);
    F.setBottomMargin(P.Sa / 20.0);
    if (P.Sl != 0 && P.SlMult)
        F.setLineHeight(std::abs(P.Sl) * 100.0 / 240.0, QTextBlockFormat::ProportionalHeight);
    else if (P.Sl > 0)
        F.setLineHeight(P.Sl / 20.0, QTextBlockFormat::MinimumHeight);
    else if (P.Sl < 0)
        F.setLineHeight(-P.Sl / 20.0, QTextBlockFormat::FixedHeight);
    F.setNonBreakableLines(P.Keep);
    if (P.KeepNext)
        F.setProperty(RpKeepWithNext, true);
    if (P.PageBefore || Target().PageBreak)
        F.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    if (!P.Tabs.isEmpty())
        F.setTabPositions(P.Tabs);
    Target().Cursor.setBlockFormat(F);
    Target().PageBreak = false;
    ApplyList(P.List);
}

// \par ends a paragraph, so the empty block after the last one is no
// paragraph; text after the last \par is one without its end.
void TReader::EndPart()
{
    QTextCursor& C = Target().Cursor;
    if (C.block().length() == 1 && C.block().previous().isValid())
        C.deletePreviousChar();
    else
        ApplyBlockFormat();
}

// A field whose result is empty shows its name, as word processors do for
// unmerged fields, so that it keeps a place in the text.
void TReader::FinishField()
{
    TFieldRec& Field = FFields[static_cast<size_t>(S().Field)];
    if (Field.Chars == 0 && S().Dest == TDest::Text) {
        const QString Name = FieldNameOf(Field.Instruction);
        if (!Name.isEmpty()) {
            S().InResult = true;
            Text(IsMergeField(Field.Instruction) ? QString(u'«') + Name + QString(u'»') : Name);
        }
    }
}

void TReader::FinishPicture()
{
    TPictRec P = FPictures.back();
    FPictures.pop_back();
    const TState& St = FStack[FStack.size() >= 2 ? FStack.size() - 2 : 0];
    if (P.Kind.isEmpty() || P.Data.isEmpty() || St.Dest != TDest::Text)
        return;
    const bool Bitmap = P.Kind == "png" || P.Kind == "jpeg";
    if (P.GoalWidth == 0)
        P.GoalWidth = Bitmap ? P.Width * 15 : P.Width * 1440 / 2540;
    if (P.GoalHeight == 0)
        P.GoalHeight = Bitmap ? P.Height * 15 : P.Height * 1440 / 2540;
    // A goal scaled down to nothing stays one twip: a zero goal means "from
    // the pixel size" when read again, so the picture would grow back.
    P.GoalWidth = static_cast<int>(std::clamp<int64_t>(int64_t(P.GoalWidth) * P.ScaleX / 100, 1, MaxGoal));
    P.GoalHeight = static_cast<int>(std::clamp<int64_t>(int64_t(P.GoalHeight) * P.ScaleY / 100, 1, MaxGoal));
    TTarget& T = FTargets[St.Target];
    const bool Fallback = S().NonShpPict && FShpTarget == St.Target && FShpPicture == T.Cursor.position() - 1;
    if (Fallback) {
        QTextCursor C(T.Document);
        C.setPosition(FShpPicture);
        C.setPosition(FShpPicture + 1, QTextCursor::KeepAnchor);
        TKvPicture Main = PictureOf(C.charFormat().toImageFormat());
        Main.FallbackKind = P.Kind;
        Main.FallbackData = P.Data;
        C.setCharFormat(MakePictureFormat(*T.Document, Main));
        FShpPicture = -1;
        return;
    }
    const TKvPicture Picture{P.Kind, P.Data, {}, {}, P.Width, P.Height, P.GoalWidth, P.GoalHeight};
    QTextImageFormat F = MakePictureFormat(*T.Document, Picture);
    if (St.InResult && St.Field >= 0) {
        // the picture is the field's content (a graph picture in a template)
        const QTextCharFormat Field = CharFormat();
        F.setProperty(RpFieldId, Field.property(RpFieldId));
        F.setProperty(RpFieldInstruction, Field.property(RpFieldInstruction));
        ++FFields[static_cast<size_t>(St.Field)].Chars;
    }
    T.Cursor.insertText(QString(QChar::ObjectReplacementCharacter), F);
    if (S().ShpPict) {
        FShpPicture = T.Cursor.position() - 1;
        FShpTarget = St.Target;
    }
}

} // namespace

TKvRtfDocument ReadRtf(std::string_view Text)
{
    TKvRtfDocument Document;
    TReader(Text, Document).Run();
    return Document;
}

TKvRtfDocument ReadRtfFile(const QString& FileName)
{
    QFile File(FileName);
    if (!File.open(QIODevice::ReadOnly))
        throw EFileError("Cannot open the RTF file " + FileName.toStdString() + ": " + File.errorString().toStdString());
    const QByteArray Data = File.readAll();
    try {
        return ReadRtf(std::string_view(Data.constData(), static_cast<size_t>(Data.size())));
    } catch (const ERtfError& E) {
        throw ERtfError(FileName.toStdString() + ": " + E.what());
    }
}

} // namespace kv
