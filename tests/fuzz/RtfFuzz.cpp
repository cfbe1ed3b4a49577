// Fuzzes the RTF reader: any input must read into a document or fail with
// ERtfError, never crash or hang; what was read must write, and what was
// written must read again and write the same text.

#include "report/KvRtfReader.h"
#include "report/KvRtfWriter.h"

#include <QGuiApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace kv;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int Argc = 1;
    static char Name[] = "RtfFuzz";
    static char* Argv[] = {Name, nullptr};
    static QGuiApplication App(Argc, Argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    const std::string_view Text(reinterpret_cast<const char*>(Data), Size);
    std::string First;
    try {
        First = WriteRtf(ReadRtf(Text));
    } catch (const ERtfError&) {
        return 0;
    }
    // our own output is well formed and stable
    const std::string Second = WriteRtf(ReadRtf(First));
    if (Second != First) {
        std::fprintf(stderr, "first write:\n%s\nsecond write:\n%s\n", First.c_str(), Second.c_str());
        std::abort();
    }
    return 0;
}
