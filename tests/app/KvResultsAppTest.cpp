// The executable's --results command end to end: the results keys of every
// calculation kind, in their order, read back from the file it writes.

#include "foundation/KvIniList.h"
#include "foundation/KvTextFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace kv {

namespace {

const std::string Example = std::string(KURVEX_TEST_DATA) + "/../../examples/Calculated-curves.plt";
// One pair of files per process: the test runner starts the tests of this
// file side by side, each running the command.
const std::string Stem = std::string(KURVEX_APP_TEST_DIR) + "/calculated-curves-results-" + std::to_string(getpid());
const std::string Out = Stem + ".ini";
const std::string Err = Stem + ".err";

const TKvStringList Base{"Calculation",  "Caption",     "Formula",   "CalcStart",
                        "CalcStop",     "DisplayStart", "DisplayStop", "PointsUsed"};

TKvStringList Concat(TKvStringList A, const TKvStringList& B)
{
    A.insert(A.end(), B.begin(), B.end());
    return A;
}

// The extrema keys as the curve writes them: every minimum, then every
// maximum, X before Y.
TKvStringList ExtremaKeys(const TKvStringList& Keys)
{
    TKvStringList L;
    for (const char* Kind : {"Minima", "Maxima"}) {
        int n = 0;
        for (const std::string& K : Keys)
            n += K.starts_with(std::string("X-") + Kind + "(");
        for (int k = 1; k <= n; ++k)
            for (const char* Axis : {"X-", "Y-"})
                L.push_back(Axis + std::string(Kind) + "(" + std::to_string(k) + ")");
    }
    return L;
}

class ResultsCommand : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::remove(Out.c_str());
        // without the runtime folder variable, as headless runs often are
        const std::string Command = "env -u XDG_RUNTIME_DIR \"" + std::string(KURVEX_EXECUTABLE) + "\" --results \"" + Out + "\" \"" +
                                    Example + "\" 2> \"" + Err + "\"";
        Status = std::system(Command.c_str());
        std::string Text;
        ASSERT_TRUE(ReadTextFile(Out, Text));
        File.SetText(Text);
    }
    static void TearDownTestSuite()
    {
        std::remove(Out.c_str());
        std::remove(Err.c_str());
    }
    static TKvStringList Keys(const std::string& Section)
    {
        TKvStringList L;
        File.ReadSection(Section, L);
        return L;
    }
    static inline int Status = -1;
    static inline TKvIniList File;
};

} // namespace

TEST_F(ResultsCommand, ExitsCleanlyWithoutErrors)
{
    EXPECT_EQ(Status, 0);
    std::string Errors;
    ASSERT_TRUE(ReadTextFile(Err, Errors));
    EXPECT_EQ(Errors.find("Graph("), std::string::npos) << Errors;
    EXPECT_EQ(Errors.find("XDG_RUNTIME_DIR"), std::string::npos) << Errors;
    EXPECT_EQ(File.ReadString("Graph(1).Series(1).Datapoints", "Caption", "?"), "Series(1)");
    EXPECT_EQ(File.ReadString("Graph(4).Series(1).Graph", "Title", "?"), "Nonlinear fit of a damped oscillation");
}

TEST_F(ResultsCommand, RegressionsWriteTheirKeysInOrder)
{
    const TKvStringList Line{"DoFixedOffset", "AverageX", "VarianceX", "AverageY", "VarianceY", "R", "ChiSquare",
                             "Offset", "DeltaOffset"};
    // Fixed at 0: no relative error of the offset.
    EXPECT_EQ(Keys("Graph(1).Series(1).LinearRegression"),
              Concat(Concat(Base, Line), {"Slope", "DeltaSlope", "DeltaSlope%"}));
    EXPECT_EQ(Keys("Graph(1).Series(1).LinearRegression(2)"),
              Concat(Concat(Base, Line), {"DeltaOffset%", "Slope", "DeltaSlope", "DeltaSlope%"}));
    EXPECT_EQ(File.ReadString("Graph(1).Series(1).LinearRegression", "DoFixedOffset", ""), "1");
    EXPECT_EQ(Keys("Graph(1).Series(2).PolynomialRegression"),
              Concat(Base, {"Order", "AverageX", "VarianceX", "AverageY", "VarianceY", "r2", "ChiSquare", "QRel%",
                            "CoeffName(1)", "Coeff(1)", "CoeffName(2)", "Coeff(2)", "CoeffName(3)", "Coeff(3)",
                            "CoeffName(4)", "Coeff(4)"}));
    EXPECT_EQ(Keys("Graph(4).Series(1).NonlinearRegression"),
              Concat(Base, {"VarianceCoVariance", "ChiSquare", "Order", "Iterations", "CoeffName(1)", "Coeff(1)",
                            "CoeffName(2)", "Coeff(2)", "CoeffName(3)", "Coeff(3)", "CoeffName(4)", "Coeff(4)"}));
    // The fit finds the oscillation the example was made from.
    EXPECT_NEAR(File.ReadFloat("Graph(4).Series(1).NonlinearRegression", "Coeff(2)", 0), 0.25, 0.02);
    EXPECT_NEAR(File.ReadFloat("Graph(4).Series(1).NonlinearRegression", "Coeff(3)", 0), 2.1, 0.02);
}

TEST_F(ResultsCommand, CurvesOfBothEnginesWriteTheirExtremaInOrder)
{
    for (const char* Section :
         {"Graph(2).Series(1).Interpolation", "Graph(2).Series(1).Differentiation", "Graph(2).Series(1).Integration",
          "Graph(3).Series(1).ApproximativeSpline", "Graph(3).Series(1).ApproximativeSplineDifferentiation",
          "Graph(3).Series(1).ApproximativeSplineIntegral"}) {
        const TKvStringList K = Keys(Section);
        const TKvStringList Extrema = ExtremaKeys(K);
        EXPECT_FALSE(Extrema.empty()) << Section << ": the peak has extrema";
        EXPECT_EQ(K, Concat(Base, Extrema)) << Section;
    }
    // The integral of the peak data has its maximum where they fall below 0.
    EXPECT_NEAR(File.ReadFloat("Graph(2).Series(1).Integration", "X-Maxima(1)", 0), 8.7, 0.3);
}

// A fit formula may use the user's named constants on the command line as
// in the window: the program hands its settings file to the workspace.
TEST(ResultsCommandSettings, FitsKnowTheUsersConstants)
{
    const std::string Dir = std::string(KURVEX_APP_TEST_DIR) + "/user-constants-" + std::to_string(getpid());
    std::filesystem::remove_all(Dir);
    std::filesystem::create_directories(Dir + "/kurvex");
    WriteFileReplacing(Dir + "/kurvex/kurvex.usr", "[CalculationConstants]\r\nNOUGHT=0\r\n");
    std::string Data;
    ASSERT_TRUE(ReadTextFile(Example, Data));
    const std::string Formula = "Formula=A*EXP(-B*X)*COS(C*X+D)";
    ASSERT_NE(Data.find(Formula), std::string::npos);
    Data.insert(Data.find(Formula) + Formula.size(), "+NOUGHT");
    WriteFileReplacing(Dir + "/fit.plt", Data);
    const std::string Output = Dir + "/results.ini", Errors = Dir + "/results.err";
    const std::string Command = "XDG_DATA_HOME=\"" + Dir + "\" \"" + std::string(KURVEX_EXECUTABLE) +
                                "\" --results \"" + Output + "\" --graph 4 \"" + Dir + "/fit.plt\" 2> \"" + Errors + "\"";
    ASSERT_EQ(std::system(Command.c_str()), 0);
    std::string Text, ErrorText;
    ASSERT_TRUE(ReadTextFile(Output, Text));
    ASSERT_TRUE(ReadTextFile(Errors, ErrorText));
    EXPECT_EQ(ErrorText.find("Graph("), std::string::npos) << ErrorText;
    TKvIniList Results;
    Results.SetText(Text);
    EXPECT_NE(Results.ReadString("Graph(4).Series(1).NonlinearRegression", "Formula", "").find("NOUGHT"),
              std::string::npos);
    EXPECT_GT(Results.ReadFloat("Graph(4).Series(1).NonlinearRegression", "ChiSquare", -1), 0);
    std::filesystem::remove_all(Dir);
}

} // namespace kv
