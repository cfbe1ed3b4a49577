// Calculations in data files: re-created from their identifiers, written
// in the file's order, and their results through the results command.

#include "workspace/KvResultsCommand.h"
#include "workspace/KvWorkspace.h"

#include "graph/ExpressionFit.h"
#include "graph/KvLinearRegressionLine.h"

#include "document/KvUserSettings.h"

#include "foundation/KvLargeIniFile.h"
#include "foundation/KvTextFile.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace kv {

namespace {

const std::string Example = std::string(KURVEX_TEST_DATA) + "/../../examples/Calculated-curves.plt";

std::string TempFile(const std::string& Name)
{
    QDir().mkpath(QStringLiteral("/tmp/graph-shots/workspace"));
    const std::string Path = "/tmp/graph-shots/workspace/" + Name;
    std::remove(Path.c_str());
    return Path;
}

TKvIniList ReadIni(const std::string& File)
{
    std::string Text;
    EXPECT_TRUE(ReadTextFile(File, Text)) << File;
    TKvIniList Ini;
    Ini.SetText(Text);
    return Ini;
}

std::string Results(TKvWorkspace& W, std::string* Errors = nullptr)
{
    std::ostringstream Err;
    const std::string Text = CollectResults(W, {}, Err).Text();
    if (Errors)
        *Errors = Err.str();
    return Text;
}

// The same sections with the same keys in the same order, and the same
// values; numbers may differ by Tolerance relative (a fit that is run again
// from its own best parameters ends a little elsewhere).
void ExpectSameDocument(const TKvIniList& A, const TKvIniList& B, double Tolerance)
{
    TKvStringList SA, SB;
    A.ReadSections(SA);
    B.ReadSections(SB);
    ASSERT_EQ(SA, SB);
    for (const std::string& S : SA) {
        TKvStringList LA, LB;
        A.ReadSectionValues(S, LA);
        B.ReadSectionValues(S, LB);
        ASSERT_EQ(LA.size(), LB.size()) << S;
        for (size_t i = 0; i < LA.size(); ++i) {
            if (LA[i] == LB[i])
                continue;
            const size_t Eq = LA[i].find('=');
            ASSERT_EQ(LA[i].substr(0, Eq), LB[i].substr(0, Eq)) << S;
            const double a = std::stod(LA[i].substr(Eq + 1)), b = std::stod(LB[i].substr(Eq + 1));
            EXPECT_NEAR(a, b, Tolerance * std::max(1.0, std::fabs(a))) << S << ": " << LA[i] << " / " << LB[i];
        }
    }
}

// Only the graph windows' sections of a data file.
TKvIniList GraphSections(const TKvIniList& File)
{
    TKvIniList Out;
    TKvStringList Sections, Lines;
    File.ReadSections(Sections);
    for (const std::string& S : Sections) {
        if (!S.starts_with("Graph("))
            continue;
        File.ReadSectionValues(S, Lines);
        for (const std::string& L : Lines)
            Out.WriteString(S, L.substr(0, L.find('=')), L.substr(L.find('=') + 1));
    }
    return Out;
}

} // namespace

TEST(CalculationsFile, AllNineKindsSurviveSaveAndLoad)
{
    TKvWorkspace First;
    First.LoadFromFile(Example);
    std::string Errors;
    const std::string ResultsA = Results(First, &Errors);
    EXPECT_EQ(Errors, "");
    const auto Calcs = First.Window(1).Calculations();
    ASSERT_EQ(Calcs.size(), 3u);
    EXPECT_EQ(Calcs[1]->ResultsSection(), "LinearRegression(2)");
    int32_t Count = 0;
    for (int32_t g = 1; g <= First.WindowCount(); ++g)
        Count += static_cast<int32_t>(First.Window(g).Calculations().size());
    EXPECT_EQ(Count, 10);

    const std::string File1 = TempFile("calculations-1.plt"), File2 = TempFile("calculations-2.plt");
    First.SaveToFile(File1);
    TKvWorkspace Second;
    Second.LoadFromFile(File1);
    const std::string ResultsB = Results(Second);
    Second.SaveToFile(File2);

    TKvIniList A, B;
    A.SetText(ResultsA);
    B.SetText(ResultsB);
    ExpectSameDocument(A, B, 1e-6);
    ExpectSameDocument(GraphSections(ReadIni(File1)), GraphSections(ReadIni(File2)), 1e-6);
    // The child sections follow their series in the file.
    TKvStringList Order;
    ReadIni(File1).ReadSections(Order);
    const auto At = [&](const std::string& S) { return std::find(Order.begin(), Order.end(), S) - Order.begin(); };
    EXPECT_EQ(At("Graph(1).Series(1).Child(1)"), At("Graph(1).Series(1)") + 1);
    EXPECT_EQ(At("Graph(1).Series(1).Child(2)"), At("Graph(1).Series(1)") + 2);
    EXPECT_EQ(ReadIni(File1).ReadString("Graph(4).Series(1).Child(1)", "Calculation", ""), "Nonlinear Regression");
}

TEST(CalculationsFile, TheSettingsFileCarriesTheCalculationsOfTheGraphs)
{
    TKvWorkspace First;
    First.LoadFromFile(Example);
    TKvIniList Store;
    TKvTableSettings Settings;
    SaveSettings(Store, First.Document, Settings);

    TKvWorkspace Second;
    LoadSettings(Store, TKvPaths{}, Second.Document, Settings);
    ASSERT_EQ(Second.WindowCount(), 4);
    for (int32_t g = 1; g <= 4; ++g) {
        const auto A = First.Window(g).Calculations(), B = Second.Window(g).Calculations();
        ASSERT_EQ(A.size(), B.size()) << g;
        for (size_t k = 0; k < A.size(); ++k)
            EXPECT_EQ(A[k]->ResultsSection(), B[k]->ResultsSection());
    }
    auto* Fit = dynamic_cast<TExpressionFit*>(Second.Window(4).Calculations().front());
    ASSERT_NE(Fit, nullptr);
    EXPECT_EQ(Fit->Expression(), "A*EXP(-B*X)*COS(C*X+D)");
}

TEST(CalculationsFile, UnknownKindsAndMissingSectionsCreateNothing)
{
    std::string Text;
    ASSERT_TRUE(ReadTextFile(Example, Text));
    TKvIniList Ini;
    Ini.SetText(Text);
    Ini.WriteString("Graph(1).Series(1).Child(1)", "Calculation", "Akima");
    Ini.WriteInteger("Graph(2).Series(1)", "ChildCount", 7); // three sections only
    Ini.WriteBool("Graph(3)", "ZeroOrigin", true);
    const std::string File = TempFile("calculations-odd.plt");
    WriteFileReplacing(File, Ini.Text());

    TKvWorkspace W;
    ASSERT_NO_THROW(W.LoadFromFile(File));
    const auto Calcs = W.Window(1).Calculations();
    ASSERT_EQ(Calcs.size(), 2u) << "the unknown kind is skipped";
    // The remaining regression takes the keys of the first child section.
    auto* L = dynamic_cast<TKvLinearRegressionLine*>(Calcs[0]);
    ASSERT_NE(L, nullptr);
    EXPECT_TRUE(L->DoFixedOffset);
    EXPECT_EQ(W.Window(2).Calculations().size(), 3u);
    // Read before the curves were made: the derivative keeps the series' axis.
    EXPECT_EQ(W.Window(3).Calculations()[1]->YAxis(), &W.Window(3).LeftAxis);
    EXPECT_EQ(W.Window(2).Calculations()[1]->YAxis(), &W.Window(2).RightAxis);
    std::string Errors;
    Results(W, &Errors);
    EXPECT_EQ(Errors, "");
}

TEST(CalculationsFile, ResultsCommandTellsFailuresAndGoesOn)
{
    std::string Text;
    ASSERT_TRUE(ReadTextFile(Example, Text));
    TKvIniList Ini;
    Ini.SetText(Text);
    Ini.WriteInteger("Graph(1).Series(2).Child(1)", "Order", 30); // 21 points
    const std::string File = TempFile("calculations-failing.plt"), Out = TempFile("calculations-results.ini");
    WriteFileReplacing(File, Ini.Text());

    std::ostringstream Err;
    const TKvExportResult R = RunResults({"--results", Out, "--graph", "1", "--size", "400x300", File}, Err);
    EXPECT_EQ(R.Status, 0) << R.Message;
    EXPECT_EQ(Err.str(), "Graph(1).Series(2): Polynomial Regression from Series(2): Not enough data!\n");
    const TKvIniList Results = ReadIni(Out);
    EXPECT_TRUE(Results.SectionExists("Graph(1).Series(1).LinearRegression(2)"));
    EXPECT_TRUE(Results.SectionExists("Graph(1).Series(2).Datapoints"));
    EXPECT_FALSE(Results.SectionExists("Graph(1).Series(2).PolynomialRegression")) << "no results of a failure";
    EXPECT_FALSE(Results.SectionExists("Graph(2).Series(1).Interpolation")) << "graph 1 only";

    // a message with line breaks is still one line per failure
    Ini.WriteString("Graph(4).Series(1).Child(1)", "Formula", "A*X+NOUGHT"); // an unknown name
    WriteFileReplacing(File, Ini.Text());
    std::ostringstream FitErr;
    EXPECT_EQ(RunResults({"--results", Out, "--graph", "4", File}, FitErr).Status, 0);
    const std::string Line = FitErr.str();
    EXPECT_TRUE(Line.starts_with("Graph(4).Series(1): ")) << Line;
    EXPECT_NE(Line.find("Error parsing expression: "), std::string::npos) << Line;
    EXPECT_EQ(std::count(Line.begin(), Line.end(), '\n'), 1) << Line;
    EXPECT_EQ(Line.find('\r'), std::string::npos) << Line;

    EXPECT_EQ(RunResults({"--results", Out, TempFile("no-such-file.plt")}, Err).Status, 1);
    EXPECT_EQ(RunResults({"--results", Out}, Err).Status, 2);
    EXPECT_EQ(RunResults({"--results", Out, "--graph", "0", File}, Err).Status, 2);
    EXPECT_EQ(RunResults({"--results", Out, "--graph", "9", File}, Err).Status, 1);
}

} // namespace kv
