// Fuzzes the whole data-file path: any text is loaded the way the command
// line loads a data file (the workspace: table, assignment, graph sections
// and whatever else it keeps), saved, loaded again and saved again. The
// load may refuse the text with a clear error; anything it accepts must
// save, and the second save must give the same text as the first.

#include "foundation/KvErrors.h"
#include "foundation/KvIniList.h"
#include "workspace/KvWorkspace.h"

#include <QGuiApplication>

#include <unistd.h>

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

// Loads Source into a fresh workspace and saves it to a new file; returns
// the saved text.
std::string LoadAndSave(const std::string& Source, const std::string& Target)
{
    TKvWorkspace Workspace;
    Workspace.LoadFromFile(Source);
    std::remove(Target.c_str()); // the store would merge with an old file
    Workspace.SaveToFile(Target);
    return ReadAll(Target);
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
    std::string FirstText;
    try {
        FirstText = LoadAndSave(Input, First);
    } catch (const EKvError&) {
        // A clear error is an acceptable answer to a damaged file.
        return 0;
    }
    std::string SecondText;
    try {
        SecondText = LoadAndSave(First, Second);
    } catch (const EKvError& E) {
        Fail(E.what(), FirstText, std::string());
    }
    if (SecondText != FirstText)
        Fail("The second save differs from the first", FirstText, SecondText);
    return 0;
}
