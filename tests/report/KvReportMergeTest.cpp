// The template merge: fields evaluated with the counters, series,
// calculation and coefficient blocks repeated, missing values' paragraphs
// removed, captions formatted, the graph picture sized to the page.

#include "KvFakeFieldSource.h"

#include "report/KvReportMerge.h"
#include "report/KvRtfReader.h"

#include "foundation/KvFormatSettings.h"

#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextCursor>

using namespace kv;
using kv::test::TKvFakeFieldSource;

namespace {

QString Fixture(const char* Name) { return QString(KURVEX_TEST_DATA) + "/report/" + Name; }

std::string BodyText(const TKvRtfDocument& D) { return D.Body->toPlainText().toStdString(); }

std::vector<TKvPicture> Pictures(const QTextDocument& D)
{
    std::vector<TKvPicture> Found;
    for (QTextBlock B = D.begin(); B.isValid(); B = B.next())
        for (auto It = B.begin(); !It.atEnd(); ++It)
            if (It.fragment().charFormat().isImageFormat())
                Found.push_back(PictureOf(It.fragment().charFormat().toImageFormat()));
    return Found;
}

QTextCharFormat FormatOf(const QTextDocument& D, const QString& Text)
{
    QTextCursor C(const_cast<QTextDocument*>(&D));
    C.setPosition(static_cast<int>(D.toPlainText().indexOf(Text)) + 1);
    return C.charFormat();
}

// Series with a caption, optionally a linear regression of this slope.
void AddRegressionSeries(TKvFakeFieldSource& S, const std::string& Caption, const char* Slope)
{
    TKvIniList& R = S.AddSeries(Caption, Slope != nullptr);
    R.WriteString("Graph", "Title", "T");
    if (Slope)
        R.WriteString("LinearRegression", "Slope", Slope);
}

} // namespace

TEST(KvReportMerge, EvaluateFieldMovesCountersAndFormatsNumbers)
{
    const TKvScopedFormatSettings Comma({',', ';'});
    TKvFakeFieldSource S;
    TKvIniList& R = S.AddSeries("S1", true);
    R.WriteString("LinearRegression", "Slope", "3.14159");
    R.WriteString("LinearRegression", "Offset", "-2");
    R.WriteString("LinearRegression(2)", "Slope", "7");
    R.WriteString("PolynomialRegression", "Coeff(1)", "1.5");
    R.WriteString("PolynomialRegression", "Coeff(2)", "2.5");
    R.WriteString("PolynomialRegression", "Note", "text 1.5");
    S.AddSeries("S2", false);
    TKvReportMerge M(S);
    const std::pair<const char*, const char*> Steps[] = {
        {"LinearRegression,Slope", "3,14159"},
        {"LinearRegression,Slope,4", "3,14"}, // at most 4 characters
        {"LinearRegression,Slope,x", "3,14159"},
        {"PolynomialRegression,Note", "text 1.5"},
        {"PolynomialRegression,Coeff(i)", "1,5"},
        {"NextCoeff", ""},
        {"PolynomialRegression,Coeff(i),3", "2,5"},
        {"MergeSeq", "2"},
        {"NextCalculation", ""},
        {"LinearRegression,Slope", "7"}, // the second instance
        {"Datapoints,Caption", "S1"},
        {"Graph,Title", "@NotFound@"},
        {"StartCalculation", ""},
        {"LinearRegression,Missing", "@NotFound@"},
        {"NoComma", "@NotFound@"},
        {"NextSeries", ""},
        {"Datapoints,Caption", ""}, // a series without calculations
        {"NextSeries", ""},
        {"Datapoints,Caption", "@NotFound@"}, // beyond the last series
        {"StartSeries", ""},
        {"LinearRegression,Offset", "-2"},
    };
    for (const auto& [Name, Expected] : Steps)
        EXPECT_EQ(M.EvaluateField(Name), Expected) << Name;
}

TEST(KvReportMerge, SeriesBlocksAddedAroundATemplateWithoutThem)
{
    const TKvRtfDocument Template = ReadRtfFile(Fixture("merge-series.rtf"));
    TKvFakeFieldSource Three;
    AddRegressionSeries(Three, "S1", "2.5");
    AddRegressionSeries(Three, "S2", nullptr); // counted, not reported
    AddRegressionSeries(Three, "S3", "1.25");
    EXPECT_EQ(BodyText(TKvReportMerge(Three).Merge(Template)),
              "Report T\n\uFFFC\nSeries S1\nSlope 2.5\nSeries S3\nSlope 1.25\n");
    TKvFakeFieldSource One;
    AddRegressionSeries(One, "S1", "2.5");
    EXPECT_EQ(BodyText(TKvReportMerge(One).Merge(Template)), "Report T\n\uFFFC\nSeries S1\nSlope 2.5");
}

TEST(KvReportMerge, CalculationAndCoefficientBlocksRepeatPerInstanceAndMember)
{
    TKvFakeFieldSource S;
    TKvIniList& R = S.AddSeries("S1", true);
    const char* Names[] = {"a", "b", "c", "d"};
    const char* Values[] = {"1.23456", "2", "3", "4"};
    R.WriteString("PolynomialRegression", "Caption", "quadratic");
    for (int k = 0; k < 4; ++k) {
        const std::string i = "(" + std::to_string(k + 1) + ")";
        R.WriteString("PolynomialRegression", "CoeffName" + i, Names[k]);
        R.WriteString("PolynomialRegression", "Coeff" + i, Values[k]);
    }
    R.WriteString("PolynomialRegression", "r2", "0.998877");
    R.WriteString("PolynomialRegression(2)", "Caption", "line");
    R.WriteString("PolynomialRegression(2)", "CoeffName(1)", "a");
    R.WriteString("PolynomialRegression(2)", "Coeff(1)", "5");
    R.WriteString("PolynomialRegression(2)", "CoeffName(2)", "b");
    R.WriteString("PolynomialRegression(2)", "Coeff(2)", "6");
    R.WriteString("PolynomialRegression(2)", "r2", "0.5");
    // our template, and the same template saved by a word processor
    for (const char* Name : {"merge-blocks.rtf", "merge-blocks-saved-by-libreoffice.rtf"}) {
        const TKvRtfDocument Merged = TKvReportMerge(S).Merge(ReadRtfFile(Fixture(Name)));
        EXPECT_EQ(BodyText(Merged), "Series S1\n"
                                    "Fit quadratic\n1: a = 1.23\n2: b = 2\n3: c = 3\n4: d = 4\nr2 0.999\n"
                                    "Fit line\n1: a = 5\n2: b = 6\nr2 0.5")
            << Name;
        EXPECT_TRUE(FindFields(*Merged.Body).empty()) << Name;
    }
}

TEST(KvReportMerge, CaptionsFormattedAndMissingValuesRemoved)
{
    TKvFakeFieldSource S;
    TKvIniList& R = S.AddSeries("\\iy\\i", true);
    R.WriteString("Graph", "Title", "T\\sD\\s=x\\+\\b2\\b\\+");
    const TKvRtfDocument Merged = TKvReportMerge(S).Merge(ReadRtfFile(Fixture("merge-captions.rtf")));
    const QTextDocument& B = *Merged.Body;
    EXPECT_EQ(BodyText(Merged), "TD=x2\nSeries y\nKept line");
    const QTextCharFormat Delta = FormatOf(B, "D=");
    EXPECT_EQ(Delta.fontFamilies().toStringList().value(0), "Symbol");
    EXPECT_EQ(Delta.fontWeight(), QFont::Bold); // the field's own bold
    const QTextCharFormat Square = FormatOf(B, "2\n");
    EXPECT_EQ(Square.verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(Square.fontPointSize(), 12.0);
    EXPECT_EQ(FormatOf(B, "TD").fontFamilies().toStringList().value(0), "Arial");
    EXPECT_TRUE(FormatOf(B, "y\n").fontItalic());
    EXPECT_FALSE(FormatOf(B, "Series").fontItalic());
}

TEST(KvReportMerge, PlotSizedToTheUsablePageArea)
{
    const char* Portrait = "\\paperw11906\\paperh16838\\margl1134\\margr1134\\margt1134\\margb1134";
    const char* Landscape = "\\paperw16838\\paperh11906\\margl1134\\margr1134\\margt1134\\margb1134\\landscape";
    const std::string Held = "{\\pict\\pngblip\\picw1\\pich1\\picwgoal3000\\pichgoal100 00}";
    const struct {
        const char* Page;
        std::string Content;
        QSize Graph;
        int Width, Height;
    } Cases[] = {
        {Portrait, "x", {800, 600}, 9638, 7229},      // A4 with 20 mm margins: the text width
        {Portrait, "x", {200, 1000}, 2914, 14570},    // a tall graph: the usable height
        {Landscape, "x", {800, 600}, 12851, 9638},
        {Portrait, Held, {800, 600}, 3000, 2250},     // a picture in the field keeps its width
    };
    for (const auto& C : Cases) {
        const std::string Rtf = std::string("{\\rtf1 ") + C.Page + " {\\field{\\*\\fldinst MERGEFIELD Plot}{\\fldrslt " +
                                C.Content + "}}\\par}";
        TKvFakeFieldSource S;
        S.AddSeries("S1", false);
        S.Graph = C.Graph;
        const std::vector<TKvPicture> P = Pictures(*TKvReportMerge(S).Merge(ReadRtf(Rtf)).Body);
        ASSERT_EQ(P.size(), 1u) << Rtf;
        EXPECT_EQ(P[0].GoalWidth, C.Width) << Rtf;
        EXPECT_EQ(P[0].GoalHeight, C.Height) << Rtf;
    }
}
