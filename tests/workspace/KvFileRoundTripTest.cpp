// A data file loaded and saved as the command line does must keep what it
// holds: saving, loading the saved file and saving again gives the same
// text, and nothing of the table is lost on the way.

#include "workspace/KvWorkspace.h"

#include "graph/KvFittedLine.h"

#include "foundation/KvStrings.h"

#include <QDir>

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <filesystem>
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

// ---------------------------------------------------------------- numbers bit for bit

namespace {

// The same double, bit for bit; zeros of either sign count as one (a file
// writes both as "0"), and so do NaNs.
bool SameDouble(double A, double B)
{
    return std::bit_cast<uint64_t>(A) == std::bit_cast<uint64_t>(B) || (A == 0 && B == 0) ||
           (std::isnan(A) && std::isnan(B));
}

std::string Exact(double X) { return FloatToExactIniText(X); }

void ExpectSameTable(const TKvDataTable& A, const TKvDataTable& B)
{
    ASSERT_EQ(A.MaxColumns(), B.MaxColumns());
    for (int32_t k = 1; k <= A.MaxColumns(); ++k) {
        ASSERT_EQ(A.Data(k).Count(), B.Data(k).Count()) << "column " << k;
        for (int32_t i = 0; i < A.Data(k).Count(); ++i)
            EXPECT_TRUE(SameDouble(A.Data(k)[i], B.Data(k)[i]))
                << "column " << k << " row " << i << ": " << Exact(A.Data(k)[i]) << " / " << Exact(B.Data(k)[i]);
    }
}

void ExpectSameAxes(TKvGraphWindowModel& A, TKvGraphWindowModel& B)
{
    const std::array<TKvAxis*, 4> AxesA{&A.BottomAxis, &A.LeftAxis, &A.TopAxis, &A.RightAxis};
    const std::array<TKvAxis*, 4> AxesB{&B.BottomAxis, &B.LeftAxis, &B.TopAxis, &B.RightAxis};
    for (size_t a = 0; a < AxesA.size(); ++a) {
        EXPECT_TRUE(SameDouble(AxesA[a]->Start(), AxesB[a]->Start()))
            << "axis " << a << ": " << Exact(AxesA[a]->Start()) << " / " << Exact(AxesB[a]->Start());
        EXPECT_TRUE(SameDouble(AxesA[a]->Stop(), AxesB[a]->Stop()))
            << "axis " << a << ": " << Exact(AxesA[a]->Stop()) << " / " << Exact(AxesB[a]->Stop());
    }
}

// Values of 15 to 17 significant digits (imported, pasted, or copied from a
// formula) in column A, two live formulas over them in B and C (a column's
// values sit in the section before its layout keys) and automatic axes.
const std::string LongDigits = R"([Graphs]
MaxSeries=2
GraphCount=1

[Graph(1)]
XAxis=1;1
YAxis=2;3

[Column(0)]
Data=0;1.6666666666666666666;1.23456789012345;0.30000000000000004;-123456.78901234567;7.0000000000000009E-200

[Column(2)]
Formula=A*2
LiveFormula=1

[Column(3)]
Formula=A/3
LiveFormula=1
)";

// A fit that continues from 17-digit coefficients over a range the user set,
// and an x axis whose ends the user fixed.
const std::string UserSetNumbers = R"([Graphs]
MaxSeries=1
GraphCount=1

[Graph(1)]
XAxis=1
YAxis=2
SeriesCount=1

[Graph(1).BottomAxis]
StartEnd=2
Start=-0.12345678901234568
StopEnd=2
Stop=4.1000000000000005

[Graph(1).Series(1)]
ChildCount=1

[Graph(1).Series(1).Child(1)]
Calculation=Nonlinear Regression
Formula=A*EXP(-B*X)
Order=2
Iterations=0
AutoStart=0
CalcStart=0.10000000000000002
Coefs=1.0000000000000002;0.33333333333333331

[Column(0)]
Data=0;0.5;1;1.5;2;2.5;3;3.5;4

[Column(1)]
Data=1;0.85;0.72;0.61;0.51;0.43;0.37;0.31;0.26
)";

} // namespace

// Saving, loading the saved file and saving again gives the same text, and
// the reloaded document holds the very doubles the first load had, formulas
// and automatic axis ends included.
TEST(FileRoundTrip, LongDigitValuesComeBackBitForBit)
{
    const std::string Dir = Folder();
    WriteAll(Dir + "input.plt", LongDigits);
    TKvWorkspace First, Second;
    const std::string FirstText = LoadAndSave(First, Dir + "input.plt", Dir + "first.plt");
    const std::string SecondText = LoadAndSave(Second, Dir + "first.plt", Dir + "second.plt");
    EXPECT_EQ(SecondText, FirstText);
    ASSERT_EQ(First.Document.Table.Data(1).Count(), 6);
    EXPECT_EQ(First.Document.Table.Data(1)[1], 5.0 / 3);
    ASSERT_EQ(First.Document.Table.Data(3).Count(), 6);
    EXPECT_EQ(First.Document.Table.Data(3)[1], 5.0 / 9);
    ExpectSameTable(First.Document.Table, Second.Document.Table);
    ExpectSameAxes(First.Window(1), Second.Window(1));
}

// What a calculation continues from (its coefficients, the range the user
// gave it) and the axis ends the user fixed are written exactly too.
TEST(FileRoundTrip, UserSetNumbersAndCoefficientsAreWrittenExactly)
{
    const std::string Dir = Folder();
    WriteAll(Dir + "input.plt", UserSetNumbers);
    TKvWorkspace First, Second;
    LoadAndSave(First, Dir + "input.plt", Dir + "first.plt");
    ASSERT_EQ(First.Window(1).Calculations().size(), 1u);
    const auto* Fit = dynamic_cast<const TKvFittedLine*>(First.Window(1).Calculations()[0]);
    ASSERT_NE(Fit, nullptr);

    TKvIniList Saved;
    Saved.SetText(ReadAll(Dir + "first.plt"));
    const std::string Child = "Graph(1).Series(1).Child(1)";
    std::array<double, 2> Coefs{0, 0};
    Saved.ReadFloatArray(Child, "Coefs", Coefs);
    ASSERT_EQ(Fit->Variables().size(), 2u);
    for (size_t k = 0; k < Coefs.size(); ++k)
        EXPECT_TRUE(SameDouble(Coefs[k], Fit->Variables()[k])) << Exact(Coefs[k]) << " / " << Exact(Fit->Variables()[k]);
    EXPECT_EQ(Saved.ReadFloat(Child, "CalcStart", 0), 0.10000000000000002);
    EXPECT_EQ(Saved.ReadString("Graph(1).BottomAxis", "Start", ""), "-0.12345678901234568");
    EXPECT_EQ(Saved.ReadString("Graph(1).BottomAxis", "Stop", ""), "4.1000000000000005");

    LoadAndSave(Second, Dir + "first.plt", Dir + "second.plt");
    EXPECT_EQ(Second.Window(1).BottomAxis.Start(), -0.12345678901234568);
    EXPECT_EQ(Second.Window(1).BottomAxis.Stop(), 4.1000000000000005);
    EXPECT_EQ(Second.Window(1).Calculations()[0]->CalculationStart(), 0.10000000000000002);
}

// The shipped examples and test files keep the property: the second save is
// the first, and the reload holds the same doubles.
TEST(FileRoundTrip, ShippedFilesComeBackBitForBit)
{
    const std::string Dir = Folder();
    const std::filesystem::path Data(KURVEX_TEST_DATA);
    int Files = 0;
    for (const auto& Folder : {Data, Data / ".." / ".." / "examples"}) {
        for (const auto& Entry : std::filesystem::directory_iterator(Folder)) {
            if (Entry.path().extension() != ".plt")
                continue;
            SCOPED_TRACE(Entry.path().string());
            const std::string Name = Entry.path().stem().string();
            TKvWorkspace First, Second;
            const std::string FirstText = LoadAndSave(First, Entry.path().string(), Dir + Name + "-1.plt");
            const std::string SecondText = LoadAndSave(Second, Dir + Name + "-1.plt", Dir + Name + "-2.plt");
            EXPECT_EQ(SecondText, FirstText);
            ExpectSameTable(First.Document.Table, Second.Document.Table);
            ++Files;
        }
    }
    EXPECT_GE(Files, 7);
}

} // namespace kv
