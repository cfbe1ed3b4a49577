// Fuzzes the whole data-file path: any text is loaded the way the command
// line loads a data file (the workspace: table, assignment, graph sections
// and whatever else it keeps), saved, loaded again and saved again. The
// load may refuse the text with a clear error; anything it accepts must
// save, the second save must give the same text as the first, and the
// reloaded document must hold the very numbers of the first load: every
// table value, the coefficients of fits that do not run again, and the axis
// ends the file fixes, bit for bit.

#include "foundation/KvErrors.h"
#include "foundation/KvIniList.h"
#include "foundation/KvStrings.h"
#include "graph/KvFittedLine.h"
#include "workspace/KvWorkspace.h"

#include <QGuiApplication>

#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>

using namespace kv;

namespace {

std::string WorkFolder;

std::string ReadAll(const std::string& Path)
{
    std::ifstream In(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& Path, std::string_view Text)
{
    std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
    Out.write(Text.data(), static_cast<std::streamsize>(Text.size()));
}

// Loads Source into Workspace and saves it to a new file; returns the saved
// text.
std::string LoadAndSave(TKvWorkspace& Workspace, const std::string& Source, const std::string& Target)
{
    Workspace.LoadFromFile(Source);
    std::remove(Target.c_str()); // the store would merge with an old file
    Workspace.SaveToFile(Target);
    return ReadAll(Target);
}

// The same double bit for bit; zeros of either sign are one (both are
// written "0"), and so are NaNs.
bool SameDouble(double A, double B)
{
    return std::bit_cast<uint64_t>(A) == std::bit_cast<uint64_t>(B) || (A == 0 && B == 0) ||
           (std::isnan(A) && std::isnan(B));
}

[[noreturn]] void FailNumber(const std::string& Where, double First, double Second)
{
    std::cerr << Where << " differs after the reload: " << FloatToExactIniText(First) << " / "
              << FloatToExactIniText(Second) << "\n";
    std::abort();
}

void CompareTables(const TKvDataTable& A, const TKvDataTable& B)
{
    if (A.MaxColumns() != B.MaxColumns())
        FailNumber("The table width", A.MaxColumns(), B.MaxColumns());
    for (int32_t k = 1; k <= A.MaxColumns(); ++k) {
        const std::string Column = "Column " + std::to_string(k);
        if (A.Data(k).Count() != B.Data(k).Count())
            FailNumber(Column + ": the count", A.Data(k).Count(), B.Data(k).Count());
        for (int32_t i = 0; i < A.Data(k).Count(); ++i)
            if (!SameDouble(A.Data(k)[i], B.Data(k)[i]))
                FailNumber(Column + " row " + std::to_string(i), A.Data(k)[i], B.Data(k)[i]);
    }
}

void CompareAxis(const std::string& Where, const TKvAxis& A, const TKvAxis& B)
{
    if (A.StartEnd() != TKvAxEnd::AxAutoRange && !SameDouble(A.Start(), B.Start()))
        FailNumber(Where + " start", A.Start(), B.Start());
    if (A.StopEnd() != TKvAxEnd::AxAutoRange && !SameDouble(A.Stop(), B.Stop()))
        FailNumber(Where + " stop", A.Stop(), B.Stop());
}

// A fit that ran on loading starts the reload from its own result and may
// end a little elsewhere; one that did not run keeps what the file said.
void CompareFits(const std::string& Where, const TKvGraphWindowModel& A, const TKvGraphWindowModel& B)
{
    const auto CalcsA = A.Calculations(), CalcsB = B.Calculations();
    if (CalcsA.size() != CalcsB.size())
        FailNumber(Where + ": the calculations", static_cast<double>(CalcsA.size()), static_cast<double>(CalcsB.size()));
    for (size_t c = 0; c < CalcsA.size(); ++c) {
        const auto* FitA = dynamic_cast<const TKvFittedLine*>(CalcsA[c]);
        const auto* FitB = dynamic_cast<const TKvFittedLine*>(CalcsB[c]);
        if (!FitA || !FitB || FitA->WouldFit() || FitA->Variables().size() != FitB->Variables().size())
            continue;
        for (size_t k = 0; k < FitA->Variables().size(); ++k)
            if (!SameDouble(FitA->Variables()[k], FitB->Variables()[k]))
                FailNumber(Where + " calculation " + std::to_string(c + 1) + " coefficient " + std::to_string(k + 1),
                           FitA->Variables()[k], FitB->Variables()[k]);
    }
}

void CompareNumbers(TKvWorkspace& A, TKvWorkspace& B)
{
    CompareTables(A.Document.Table, B.Document.Table);
    if (A.WindowCount() != B.WindowCount())
        FailNumber("The graph count", A.WindowCount(), B.WindowCount());
    for (int32_t g = 1; g <= A.WindowCount(); ++g) {
        TKvGraphWindowModel &WA = A.Window(g), &WB = B.Window(g);
        const std::string Graph = "Graph " + std::to_string(g);
        CompareAxis(Graph + " bottom axis", WA.BottomAxis, WB.BottomAxis);
        CompareAxis(Graph + " left axis", WA.LeftAxis, WB.LeftAxis);
        CompareAxis(Graph + " top axis", WA.TopAxis, WB.TopAxis);
        CompareAxis(Graph + " right axis", WA.RightAxis, WB.RightAxis);
        CompareFits(Graph, WA, WB);
    }
}

[[noreturn]] void Fail(const char* What, const std::string& First, const std::string& Second)
{
    size_t k = 0;
    while (k < First.size() && k < Second.size() && First[k] == Second[k])
        ++k;
    const size_t From = k > 80 ? k - 80 : 0;
    std::cerr << What << " at byte " << k << "\n--- first save:\n"
              << First.substr(From, 200) << "\n--- second save:\n"
              << Second.substr(From, 200) << "\n";
    std::abort();
}

} // namespace

// Fontconfig keeps the fallback fonts it looks up for the life of the
// process; those are caches, not leaks of this code.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int Argc = 1;
    static char Name[] = "FileRoundTripFuzz";
    static char* Argv[] = {Name, nullptr};
    static QGuiApplication App(Argc, Argv);
    // One folder per process, so several runs never share files.
    const char* Base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    WorkFolder = std::string(Base) + "/kurvex-roundtrip-" + std::to_string(getpid());
    if (std::system(("mkdir -p " + WorkFolder).c_str()) != 0)
        std::abort();
    // A finding aborts and leaves the files to look at; a clean end
    // removes them.
    std::atexit([] { (void)std::system(("rm -rf " + WorkFolder).c_str()); });
    // Warm the font caches so their first allocations are not taken for
    // leaks of the first input.
    TKvWorkspace Warm;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    // Big tables and many graphs are legitimate but slow; they say nothing
    // more here.
    if (Size > 8192)
        return 0;
    const std::string_view Text(reinterpret_cast<const char*>(Data), Size);
    TKvIniList Probe;
    Probe.SetText(Text);
    if (Probe.ReadInteger("Table", "MaxColumns", 26) > 64 || Probe.ReadInteger("Graphs", "GraphCount", 1) > 64)
        return 0;
    const std::string Input = WorkFolder + "/input.plt", First = WorkFolder + "/first.plt",
                      Second = WorkFolder + "/second.plt";
    WriteAll(Input, Text);
    TKvWorkspace FirstLoad, SecondLoad;
    std::string FirstText;
    try {
        FirstText = LoadAndSave(FirstLoad, Input, First);
    } catch (const EKvError&) {
        // A clear error is an acceptable answer to a damaged file.
        return 0;
    }
    std::string SecondText;
    try {
        SecondText = LoadAndSave(SecondLoad, First, Second);
    } catch (const EKvError& E) {
        Fail(E.what(), FirstText, std::string());
    }
    if (SecondText != FirstText)
        Fail("The second save differs from the first", FirstText, SecondText);
    CompareNumbers(FirstLoad, SecondLoad);
    return 0;
}
