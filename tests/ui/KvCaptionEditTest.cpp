#include "ui/widgets/KvCaptionEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using namespace kv;

namespace {

using F = TKvCaptionFormat;

// An editor on Caption with the caret at Caret (or the visible range
// SelStart..SelEnd selected when SelEnd is not -1).
void Prepare(TKvCaptionEdit& E, const char* Caption, int Caret, bool Insert = true, int SelStart = -1,
             int SelEnd = -1)
{
    E.SetCaption(QString::fromUtf8(Caption));
    E.SetInsertMode(Insert);
    if (SelEnd >= 0)
        E.SetSelection(SelStart, SelEnd);
    else
        E.SetCaretIndex(Caret);
}

std::string Str(const QString& S) { return S.toStdString(); }

// ---------------------------------------------------------------- format toggles

struct TToggleCase {
    const char* Name;
    const char* Caption;
    int Caret;
    bool Insert;
    int SelStart, SelEnd;
    std::vector<F> Formats;
    const char* Typed;
    const char* Expected;
};

class CaptionEditToggle : public testing::TestWithParam<TToggleCase> {};

TEST_P(CaptionEditToggle, WritesTheEscapes)
{
    const TToggleCase& C = GetParam();
    TKvCaptionEdit E;
    Prepare(E, C.Caption, C.Caret, C.Insert, C.SelStart, C.SelEnd);
    for (F Format : C.Formats)
        E.Toggle(Format);
    QTest::keyClicks(&E, QString::fromUtf8(C.Typed));
    EXPECT_EQ(Str(E.Caption()), C.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CaptionEditToggle,
    testing::Values(
        // Only the typed text is bold; the following text keeps its format.
        TToggleCase{"CaretInsert", "ab", 1, true, -1, -1, {F::Bold}, "x", "a\\bx\\bb"},
        TToggleCase{"CaretOverwrite", "ab", 1, false, -1, -1, {F::Bold}, "x", "a\\bx"},
        TToggleCase{"CaretAtEnd", "ab", 2, true, -1, -1, {F::Bold}, "x", "ab\\bx"},
        // A second format goes where the first one waits for the text.
        TToggleCase{"TwoFormatsAtCaret", "ab", 1, true, -1, -1, {F::Bold, F::Italic}, "x", "a\\b\\ix\\i\\bb"},
        // Subscript inside a superscript ends it and resumes it after the typed text.
        TToggleCase{"SubInsideSuper", "\\+ab", 1, true, -1, -1, {F::Subscript}, "x", "\\+a\\+\\-x\\-\\+b"},
        TToggleCase{"SuperTwiceOnAll", "abc", 0, true, 0, 3, {F::Superscript, F::Superscript}, "", "abc"},
        TToggleCase{"BoldOverPartlyBold", "a\\bbc\\bd", 0, true, 0, 4, {F::Bold}, "", "\\babcd"},
        TToggleCase{"UnboldInsideBold", "\\babcd", 0, true, 1, 3, {F::Bold}, "", "\\ba\\bbc\\bd"},
        TToggleCase{"SubSelectionInsideSuper", "x\\+abcd\\+y", 0, true, 2, 4, {F::Subscript}, "",
                    "x\\+a\\+\\-bc\\-\\+d\\+y"},
        TToggleCase{"SymbolOnSelection", "Dx", 0, true, 0, 1, {F::SymbolFont}, "", "\\sD\\sx"},
        // A visible blank after an escape needs the separator blank before it.
        TToggleCase{"BlankAfterEscape", "a b", 0, true, 0, 1, {F::Bold}, "", "\\ba\\b  b"},
        TToggleCase{"TypedBackslash", "a", 1, true, -1, -1, {}, "\\", "a\\\\"}),
    [](const testing::TestParamInfo<TToggleCase>& I) { return std::string(I.param.Name); });

// The markup written draws exactly what was typed: a blank that comes to
// stand right after an escape is written twice, since the first blank
// after an escape is its separator. Steps: {S} symbol font, {B} bold,
// {+} superscript, {<} Backspace, any other character is typed.
TEST(CaptionEdit, EveryTypedBlankIsShown)
{
    struct TCase {
        const char* Caption;
        int Caret;
        bool Insert;
        const char* Steps;
        const char* Expected;
        const char* Shown;
    };
    const TCase Cases[] = {
        {"", 0, true, "{S}t{S} / ms", "\\st\\s  / ms", "t / ms"},
        {"", 0, true, "x{+}2{+} m", "x\\+2\\+  m", "x2 m"},
        {"a b", 1, true, "{B}x", "a\\bx\\b  b", "ax b"},
        {"a b", 1, false, "{B}x", "a\\bxb", "axb"},
        {"a\\bx\\by z", 3, true, "{<}", "a\\bx\\b  z", "ax z"},
    };
    for (const TCase& C : Cases) {
        TKvCaptionEdit E;
        Prepare(E, C.Caption, C.Caret, C.Insert);
        for (const char* P = C.Steps; *P; ++P) {
            if (*P != '{') {
                QTest::keyClicks(&E, QString(QChar(*P)));
                continue;
            }
            switch (*++P) {
            case 'S': E.Toggle(F::SymbolFont); break;
            case 'B': E.Toggle(F::Bold); break;
            case '+': E.Toggle(F::Superscript); break;
            case '<': E.DeleteBack(); break;
            }
            ++P; // the closing brace
        }
        EXPECT_EQ(Str(E.Caption()), C.Expected) << C.Steps;
        EXPECT_EQ(Str(E.Text()), C.Shown) << C.Steps;
    }
}

TEST(CaptionEdit, SubscriptTwiceOnASelectionInsideSuperscript)
{
    // The selection leaves the superscript for good; the text after it stays raised.
    TKvCaptionEdit E;
    Prepare(E, "x\\+abcd\\+y", 0, true, 2, 4);
    E.ToggleSubscript();
    E.ToggleSubscript();
    EXPECT_EQ(E.Text(), QString("xabcdy"));
    EXPECT_EQ(Str(E.Caption()), "x\\+a\\+bc\\+d\\+y");
    E.SetCaretIndex(5);
    EXPECT_TRUE(E.CaretFormat()[F::Superscript]);
    EXPECT_FALSE(E.CaretFormat()[F::Subscript]);
}

// ---------------------------------------------------------------- check marks

TEST(CaptionEdit, CaretFormatFollowsNestedRuns)
{
    TKvCaptionEdit E;
    E.SetCaption("\\ba\\ib\\+c\\+\\id\\b e");
    struct TCase {
        int Caret;
        bool Bold, Italic, Super;
    };
    for (const TCase& C : {TCase{0, false, false, false}, TCase{1, true, false, false}, TCase{2, true, true, false},
                           TCase{3, true, true, true}, TCase{4, true, false, false}, TCase{5, false, false, false}}) {
        E.SetCaretIndex(C.Caret);
        const TKvCaretFormat Format = E.CaretFormat();
        EXPECT_EQ(Format[F::Bold], C.Bold) << C.Caret;
        EXPECT_EQ(Format[F::Italic], C.Italic) << C.Caret;
        EXPECT_EQ(Format[F::Superscript], C.Super) << C.Caret;
        EXPECT_FALSE(Format[F::Subscript]) << C.Caret;
    }
}

TEST(CaptionEdit, CheckMarksReportTheWaitingFormatAndTheBoldFont)
{
    QWidget Window;
    auto* E = new TKvCaptionEdit(&Window);
    Window.show();
    E->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
    TKvCaretFormat Reported;
    QObject::connect(E, &TKvCaptionEdit::CaretChanged, [&Reported](const TKvCaretFormat& F) { Reported = F; });
    Prepare(*E, "ab", 1);
    E->ToggleBold();
    EXPECT_TRUE(Reported[F::Bold]); // before anything is typed
    QTest::keyClick(E, Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(Reported[F::SymbolFont]);
    QTest::keyClicks(E, "d");
    EXPECT_EQ(Str(E->Caption()), "a\\b\\sd\\s\\bb");
    EXPECT_EQ(E->Text(), QString("adb"));
    // A bold editor font: an escape turns bold off.
    QFont Font = E->font();
    Font.setBold(true);
    E->setFont(Font);
    E->SetCaption("a\\bb");
    E->SetCaretIndex(2);
    EXPECT_FALSE(Reported[F::Bold]);
}

// ---------------------------------------------------------------- deleting

struct TDeleteCase {
    const char* Name;
    const char* Caption;
    int Caret;
    int SelStart, SelEnd;
    std::function<void(TKvCaptionEdit&)> Op;
    const char* Expected;
    int ExpectedCaret;
};

class CaptionEditDelete : public testing::TestWithParam<TDeleteCase> {};

TEST_P(CaptionEditDelete, KeepsTheFormatOfTheRest)
{
    const TDeleteCase& C = GetParam();
    TKvCaptionEdit E;
    Prepare(E, C.Caption, C.Caret, true, C.SelStart, C.SelEnd);
    C.Op(E);
    EXPECT_EQ(Str(E.Caption()), C.Expected);
    EXPECT_EQ(E.CaretIndex(), C.ExpectedCaret);
}

const auto Back = [](TKvCaptionEdit& E) { E.DeleteBack(); };
const auto Forward = [](TKvCaptionEdit& E) { E.DeleteForward(); };
const auto ToEnd = [](TKvCaptionEdit& E) { E.DeleteToEnd(); };

INSTANTIATE_TEST_SUITE_P(
    Cases, CaptionEditDelete,
    testing::Values(
        // The selection ends where bold ends: the bold escape inside it survives as a pair.
        TDeleteCase{"SelectionEndingAtBoundary", "a\\bb\\bc", 0, 1, 2, Back, "a\\b\\bc", 1},
        TDeleteCase{"SelectionSpanningARun", "a\\bb\\bc", 0, 0, 2, Forward, "c", 0},
        TDeleteCase{"SelectionStartingInsideARun", "\\bab\\bc", 0, 1, 3, Back, "\\ba", 1},
        TDeleteCase{"SelectionToTheEnd", "a\\bbc", 0, 1, 3, Back, "a\\b", 1},
        // Backspace after a subscripted character keeps the subscript's escapes.
        TDeleteCase{"BackAfterSubscript", "H\\-2\\-O", 2, -1, -1, Back, "H\\-\\-O", 1},
        TDeleteCase{"BackLastCharacter", "a\\bb", 2, -1, -1, Back, "a", 1},
        TDeleteCase{"BackOnlyCharacter", "\\bx", 1, -1, -1, Back, "", 0},
        TDeleteCase{"BackFirstOfMany", "\\bxy", 1, -1, -1, Back, "\\by", 0},
        TDeleteCase{"BackAtStart", "ab", 0, -1, -1, Back, "ab", 0},
        TDeleteCase{"BackVisibleBackslash", "a\\\\b", 2, -1, -1, Back, "ab", 1},
        TDeleteCase{"BackDroppedBackslash", "\\xy", 1, -1, -1, Back, "y", 0},
        TDeleteCase{"ForwardMiddle", "a\\bbc", 1, -1, -1, Forward, "a\\bc", 1},
        TDeleteCase{"ForwardLast", "a\\bb\\b", 1, -1, -1, Forward, "a", 1},
        TDeleteCase{"ForwardAtEnd", "ab", 2, -1, -1, Forward, "ab", 2},
        TDeleteCase{"ToEnd", "a\\bbc", 1, -1, -1, ToEnd, "a", 1}),
    [](const testing::TestParamInfo<TDeleteCase>& I) { return std::string(I.param.Name); });

TEST(CaptionEdit, KeysDeleteAndMove)
{
    TKvCaptionEdit E;
    Prepare(E, "one two  three", 14);
    QTest::keyClick(&E, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(E.CaretIndex(), 9);
    QTest::keyClick(&E, Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(E.CaretIndex(), 4);
    QTest::keyClick(&E, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(E.CaretIndex(), 9);
    QTest::keyClick(&E, Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(E.SelStart(), 0);
    EXPECT_EQ(E.SelEnd(), 9);
    QTest::keyClick(&E, Qt::Key_Delete);
    EXPECT_EQ(Str(E.Caption()), "three");
    QTest::keyClick(&E, Qt::Key_Right);
    QTest::keyClick(&E, Qt::Key_Delete, Qt::ShiftModifier); // like Backspace
    EXPECT_EQ(Str(E.Caption()), "hree");
    QTest::keyClick(&E, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Str(E.Caption()), "");
}

// ---------------------------------------------------------------- clipboard and undo

TEST(CaptionEdit, ClipboardCarriesTheMarkup)
{
    struct TCase {
        const char* Clipboard;
        const char* Expected;
    };
    // Pasted markup takes effect but does not leak into the text after it;
    // a lone backslash at its end does not join the next escape.
    for (const TCase& C : {TCase{"C:\\\\temp", "aC:\\\\tempb"}, TCase{"x\\", "axb"}, TCase{"\\bB", "a\\bB\\bb"},
                           TCase{"1\r\n2", "a1 2b"}}) {
        TKvCaptionEdit E;
        Prepare(E, "ab", 1);
        QApplication::clipboard()->setText(QString::fromUtf8(C.Clipboard));
        E.PasteFromClipboard();
        EXPECT_EQ(Str(E.Caption()), C.Expected) << C.Clipboard;
    }
    TKvCaptionEdit Source;
    Prepare(Source, "a\\bbc\\\\", 0, true, 1, 4);
    EXPECT_EQ(Source.GetSelStart(), 3);
    EXPECT_EQ(Str(Source.GetSelText()), "bc\\\\");
    Source.CutToClipboard();
    EXPECT_EQ(Str(Source.Caption()), "a\\b");
    // the bold that is on where the selection starts goes with it
    EXPECT_EQ(Str(QApplication::clipboard()->text()), "\\bbc\\\\");
    TKvCaptionEdit Target;
    Prepare(Target, "", 0);
    Target.PasteFromClipboard();
    EXPECT_EQ(Target.Text(), QString("bc\\"));
}

// Copy carries every format of the selection, also one switched on before
// its first character.
TEST(CaptionEdit, CopyKeepsTheFormatsOfTheWholeSelection)
{
    TKvCaptionEdit E;
    Prepare(E, "", 0);
    QTest::keyClicks(&E, "H");
    E.Toggle(F::Subscript);
    QTest::keyClicks(&E, "2222");
    E.Toggle(F::Subscript);
    QTest::keyClicks(&E, "O");
    E.Toggle(F::Superscript);
    QTest::keyClicks(&E, "3333");
    E.SelectAll();
    E.Toggle(F::Bold);
    ASSERT_TRUE(E.CaretFormat()[F::Bold]);
    E.SelectAll();
    QTest::keyClick(&E, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Str(QApplication::clipboard()->text()), "\\bH\\-2222\\-O\\+3333");
    TKvCaptionEdit Target;
    Prepare(Target, "", 0);
    Target.PasteFromClipboard();
    EXPECT_EQ(Target.Text(), QString("H2222O3333"));
    // the caret after each character but the last (after the last one the
    // pasted formats are switched off again)
    for (int k = 0; k + 1 < Target.Text().size(); ++k) {
        Target.SetCaretIndex(k + 1);
        EXPECT_TRUE(Target.CaretFormat()[F::Bold]) << k;
    }
}

TEST(CaptionEdit, EscapeRestoresTheCaptionAtEntry)
{
    QWidget Window;
    auto* E = new TKvCaptionEdit(&Window);
    auto* Other = new TKvCaptionEdit(&Window);
    Other->move(0, 40);
    E->SetCaption("\\ss\\s(X)");
    Window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
    E->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(E->SelEnd(), 4); // keyboard entry selects everything
    QTest::keyClick(E, Qt::Key_End);
    QTest::keyClicks(E, "ab");
    QTest::keyClick(E, Qt::Key_Backspace);
    QTest::keyClick(E, Qt::Key_Minus, Qt::AltModifier);
    QTest::keyClicks(E, "2");
    EXPECT_EQ(Str(E->Caption()), "\\ss\\s(X)a\\-2");
    QTest::keyClick(E, Qt::Key_Escape);
    EXPECT_EQ(Str(E->Caption()), "\\ss\\s(X)");
    EXPECT_EQ(E->CaretIndex(), 0);
    // The undo state is taken anew at every entry.
    QTest::keyClicks(E, "q");
    Other->setFocus(Qt::TabFocusReason);
    E->setFocus(Qt::TabFocusReason);
    QTest::keyClick(E, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Str(E->Caption()), "q\\ss\\s(X)");
}

TEST(CaptionEdit, CaptionIsCutAt255Characters)
{
    TKvCaptionEdit E;
    Prepare(E, std::string(250, 'a').c_str(), 250);
    QTest::keyClicks(&E, "bcdefgh");
    EXPECT_EQ(E.Caption().size(), 255);
    EXPECT_TRUE(E.Caption().endsWith("bcdef"));
    // A pasted escape cut in half leaves no backslash behind.
    Prepare(E, std::string(254, 'a').c_str(), 0);
    QApplication::clipboard()->setText("\\\\z");
    E.PasteFromClipboard();
    EXPECT_EQ(E.Caption().size(), 254);
    struct TCase {
        QString Caption;
        int Expected;
    };
    for (const TCase& C : {TCase{QString(254, 'a') + "\\b", 254}, TCase{QString(253, 'a') + "\\\\b", 255},
                           TCase{QString(300, 'a'), 255}, TCase{"short", 5}})
        EXPECT_EQ(CutCaption(C.Caption, 255).size(), C.Expected);
}

TEST(CaptionEdit, MouseSelectsWordsAndPlacesTheCaret)
{
    QWidget Window;
    auto* E = new TKvCaptionEdit(&Window);
    E->resize(300, 25);
    E->SetCaption("alpha \\bbeta\\b  gamma");
    Window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window));
    const auto& Right = E->CharacterMap().CharRight;
    const int InBeta = 1 + (Right[6] + Right[7]) / 2;
    QTest::mouseDClick(E, Qt::LeftButton, {}, QPoint(InBeta, 10));
    EXPECT_EQ(E->SelStart(), 6);
    EXPECT_EQ(E->SelEnd(), 11);
    QTest::mouseClick(E, Qt::LeftButton, {}, QPoint(1 + Right[0], 10));
    EXPECT_EQ(E->CaretIndex(), 1);
    EXPECT_FALSE(E->HasSelection());
    EXPECT_TRUE(E->hasFocus());
}

} // namespace
