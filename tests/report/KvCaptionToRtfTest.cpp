// Caption markup to formatted text: each toggle's run gets its formatting
// on top of the field's own, unclosed runs go to the end, Symbol-font
// letters stay the letter's code in the document and are written to RTF as
// the Unicode characters they show, in the field's font.

#include "report/KvCaptionToRtf.h"
#include "report/KvRtfReader.h"

#include <gtest/gtest.h>

#include <QTextBlock>

using namespace kv;

namespace {

// One word per character: S symbol, B bold, I italic, U underline,
// O strike-out, ^ superscript, _ subscript; "-" for none.
std::string Describe(const QTextDocument& D)
{
    std::string Out;
    for (auto It = D.begin().begin(); !It.atEnd(); ++It) {
        const QTextCharFormat F = It.fragment().charFormat();
        std::string A;
        if (F.fontFamilies().toStringList().value(0) == "Symbol")
            A += 'S';
        if (F.fontWeight() >= QFont::Bold)
            A += 'B';
        if (F.fontItalic())
            A += 'I';
        if (F.fontUnderline())
            A += 'U';
        if (F.fontStrikeOut())
            A += 'O';
        if (F.verticalAlignment() == QTextCharFormat::AlignSuperScript)
            A += '^';
        if (F.verticalAlignment() == QTextCharFormat::AlignSubScript)
            A += '_';
        for (QChar C : It.fragment().text())
            Out += std::string(Out.empty() ? "" : " ") + QString(C).toStdString() + ":" + (A.empty() ? "-" : A);
    }
    return Out;
}

} // namespace

TEST(KvCaptionToRtf, RunsOfEachToggle)
{
    QTextCharFormat Plain;
    Plain.setFontFamilies({"Arial"});
    Plain.setFontPointSize(11);
    QTextCharFormat Bold = Plain;
    Bold.setFontWeight(QFont::Bold);
    const struct {
        const char* Caption;
        const QTextCharFormat* Base;
        const char* Expected;
        const char* ReadBack = nullptr; // when the RTF reads back otherwise
    } Cases[] = {
        {"ab", &Plain, "a:- b:-"},
        {"x\\+2", &Plain, "x:- 2:^"},                       // never closed: to the end
        {"\\sa\\sb", &Plain, "a:S b:-", "\u03b1:- b:-"},  // the letter's code in the Symbol font
        {"x\\+\\b2\\b\\+y", &Plain, "x:- 2:B^ y:-"},         // combined toggles
        {"\\ii\\i\\uu\\u\\oo\\o\\-s\\-", &Plain, "i:I u:U o:O s:_"},
        {"\\bx\\by", &Bold, "x:B y:B"},                      // a bold field stays bold
        {"a\\\\b", &Plain, "a:- \\:- b:-"},
    };
    for (const auto& C : Cases) {
        const TKvRtfDocument D = CaptionToDocument(C.Caption, *C.Base);
        EXPECT_EQ(Describe(*D.Body), C.Expected) << C.Caption;
        // the RTF text carries the same, and keeps the base size
        const std::string Rtf = CaptionToRtf(C.Caption, *C.Base);
        EXPECT_EQ(Describe(*ReadRtf(Rtf).Body), C.ReadBack ? C.ReadBack : C.Expected) << Rtf;
        EXPECT_NE(Rtf.find("\\fs22"), std::string::npos) << Rtf;
    }
    QTextCharFormat Times = Plain;
    Times.setFontFamilies({"Times New Roman"});
    const std::string Symbol = CaptionToRtf("\\sa\\s = 1", Times);
    EXPECT_EQ(Symbol.find("Symbol"), std::string::npos) << Symbol;
    EXPECT_NE(Symbol.find("{\\f1\\fnil\\fcharset0 Times New Roman;}"), std::string::npos) << Symbol;
    EXPECT_NE(Symbol.find("{\\f1\\fs22 \\u945?= 1}"), std::string::npos) << Symbol; // the blank after an escape is markup
}
