// Kurvex: plotting and analysis of measured data.

#include <cstdio>
#include <cstring>

namespace {

void PrintUsage()
{
    std::printf("Usage: kurvex [--help] [--version]\n");
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Kurvex %s\n", KURVEX_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            PrintUsage();
            return 0;
        }
        std::fprintf(stderr, "kurvex: unknown argument \"%s\"\n", argv[i]);
        PrintUsage();
        return 2;
    }
    PrintUsage();
    return 0;
}
