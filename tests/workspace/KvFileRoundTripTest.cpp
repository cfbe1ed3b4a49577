// A data file loaded and saved as the command line does must keep what it
// holds: saving, loading the saved file and saving again gives the same
// text, and nothing of the table is lost on the way.

#include "workspace/KvWorkspace.h"

#include <QDir>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace kv {

namespace {

// One folder per test: CTest runs the cases side by side.
std::string Folder()
{
    const testing::TestInfo* Test = testing::UnitTest::GetInstance()->current_test_info();
    const QString Name = QString::fromStdString(std::string(Test->test_suite_name()) + "." + Test->name());
    const QString Path = QDir::tempPath() + QStringLiteral("/kurvex-roundtrip-test/") + QString(Name).replace('/', '_');
    QDir().mkpath(Path);
    return Path.toStdString() + "/";
}

std::string ReadAll(const std::string& Path)
{
    std::ifstream In(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& Path, const std::string& Text)
{
    std::ofstream(Path, std::ios::binary | std::ios::trunc) << Text;
}

// Loads Source into a fresh workspace, saves it to a new Target file and
// returns the saved text.
std::string LoadAndSave(TKvWorkspace& W, const std::string& Source, const std::string& Target)
{
    W.LoadFromFile(Source);
    std::remove(Target.c_str());
    W.SaveToFile(Target);
    return ReadAll(Target);
}

// A table of N columns whose last column holds 1;2;3 (its values live in
// section Column(N-1)).
std::string TableOfWidth(int32_t N)
{
    std::ostringstream S;
    S << "[Table]\nMaxColumns=" << N << "\n[Column(" << N - 1 << ")]\nData=1;2;3\n";
    return S.str();
}

struct TRoundTripCase {
    const char* Name;
    std::string Text;
    int32_t Columns; // of the table after the second load
};

void PrintTo(const TRoundTripCase& C, std::ostream* Os) { *Os << C.Name; }

class FileRoundTrip : public testing::TestWithParam<TRoundTripCase> {};

} // namespace

TEST_P(FileRoundTrip, SecondSaveEqualsTheFirstAndKeepsTheTable)
{
    const TRoundTripCase& C = GetParam();
    const std::string Dir = Folder();
    WriteAll(Dir + "input.plt", C.Text);
    TKvWorkspace First, Second;
    const std::string FirstText = LoadAndSave(First, Dir + "input.plt", Dir + "first.plt");
    const std::string SecondText = LoadAndSave(Second, Dir + "first.plt", Dir + "second.plt");
    EXPECT_EQ(SecondText, FirstText);
    const TKvDataTable& T = Second.Document.Table;
    ASSERT_EQ(T.MaxColumns(), C.Columns);
    EXPECT_EQ(T.Data(C.Columns).Count(), 3);
    EXPECT_EQ(T.Data(C.Columns)[2], 3);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, FileRoundTrip,
    testing::Values(
        // Beyond the usual 26 columns: without its width the reload would
        // drop the last columns.
        TRoundTripCase{"Wide", TableOfWidth(30), 30},
        // Narrower: the reload would add empty columns the first save lacks.
        TRoundTripCase{"Narrow", TableOfWidth(4), 4},
        // The usual width named in the file, and not named at all.
        TRoundTripCase{"UsualNamed", TableOfWidth(26), 26},
        TRoundTripCase{"UsualUnnamed", "[Column(25)]\nData=1;2;3\n", 26}),
    [](const testing::TestParamInfo<TRoundTripCase>& Info) { return std::string(Info.param.Name); });

// Saving into an existing file keeps its other keys; a width it names from
// an earlier save must not survive into a table of another width.
TEST(FileRoundTrip, SavingOverAFileReplacesItsTableWidth)
{
    const std::string Dir = Folder();
    WriteAll(Dir + "narrow.plt", TableOfWidth(4));
    WriteAll(Dir + "usual.plt", "[Column(25)]\nData=1;2;3\n");
    TKvWorkspace W;
    W.LoadFromFile(Dir + "usual.plt");
    W.SaveToFile(Dir + "narrow.plt");
    TKvWorkspace Again;
    Again.LoadFromFile(Dir + "narrow.plt");
    ASSERT_EQ(Again.Document.Table.MaxColumns(), 26);
    EXPECT_EQ(Again.Document.Table.Data(26).Count(), 3);
}

} // namespace kv
