#include "KvTextFile.h"

#include "KvErrors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kv {

bool IsValidUtf8(std::string_view Text)
{
    const auto* P = reinterpret_cast<const unsigned char*>(Text.data());
    const auto* End = P + Text.size();
    while (P < End) {
        // Runs of ASCII are the common case; skip eight bytes at a time.
        while (End - P >= 8) {
            uint64_t Word;
            std::memcpy(&Word, P, 8);
            if (Word & 0x8080808080808080ull)
                break;
            P += 8;
        }
        if (P >= End)
            break;
        const unsigned char C = *P;
        if (C < 0x80) {
            ++P;
            continue;
        }
        int Length;
        uint32_t Code;
        if ((C & 0xE0) == 0xC0) {
            Length = 2;
            Code = C & 0x1F;
        } else if ((C & 0xF0) == 0xE0) {
            Length = 3;
            Code = C & 0x0F;
        } else if ((C & 0xF8) == 0xF0) {
            Length = 4;
            Code = C & 0x07;
        } else {
            return false;
        }
        if (End - P < Length)
            return false;
        for (int k = 1; k < Length; ++k) {
            if ((P[k] & 0xC0) != 0x80)
                return false;
            Code = (Code << 6) | (P[k] & 0x3F);
        }
        static constexpr uint32_t Smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (Code < Smallest[Length] || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF))
            return false;
        P += Length;
    }
    return true;
}

namespace {

void AppendUtf8(std::string& Out, uint32_t Code)
{
    if (Code < 0x80) {
        Out += static_cast<char>(Code);
    } else if (Code < 0x800) {
        Out += static_cast<char>(0xC0 | (Code >> 6));
        Out += static_cast<char>(0x80 | (Code & 0x3F));
    } else {
        Out += static_cast<char>(0xE0 | (Code >> 12));
        Out += static_cast<char>(0x80 | ((Code >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (Code & 0x3F));
    }
}

// Code points of the bytes 0x80 to 0x9F; the rest of Windows-1252 is Latin-1.
// The five bytes the code page leaves undefined map to the C1 controls.
constexpr uint16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

} // namespace

std::string Windows1252ToUtf8(std::string_view Text)
{
    std::string Out;
    Out.reserve(Text.size() + Text.size() / 8);
    for (char Ch : Text) {
        const auto C = static_cast<unsigned char>(Ch);
        if (C < 0x80)
            Out += Ch;
        else if (C < 0xA0)
            AppendUtf8(Out, Cp1252High[C - 0x80]);
        else
            AppendUtf8(Out, C);
    }
    return Out;
}

TKvMappedFile::TKvMappedFile(const std::string& FileName)
{
    std::error_code Ec;
    if (!std::filesystem::is_regular_file(FileName, Ec)) {
        FError = std::filesystem::exists(FileName, Ec) ? "Not a regular file" : "File not found";
        return;
    }
    const int Fd = ::open(FileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (Fd < 0) {
        FError = std::strerror(errno);
        return;
    }
    struct stat Info;
    if (::fstat(Fd, &Info) != 0) {
        FError = std::strerror(errno);
        ::close(Fd);
        return;
    }
    const auto Size = static_cast<size_t>(Info.st_size);
    if (Size > 0) {
        // Populated at once: one pass of the kernel instead of a fault per page.
        void* Map = ::mmap(nullptr, Size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, Fd, 0);
        if (Map != MAP_FAILED) {
            FMap = Map;
            FMapSize = Size;
            FBytes = {static_cast<const char*>(Map), Size};
            FOpen = true;
            ::close(Fd);
            return;
        }
    }
    // Files the kernel reports no size for (or will not map) are read.
    char Chunk[65536];
    for (;;) {
        const ssize_t Got = ::read(Fd, Chunk, sizeof Chunk);
        if (Got < 0 && errno == EINTR)
            continue;
        if (Got < 0) {
            FError = std::strerror(errno);
            ::close(Fd);
            return;
        }
        if (Got == 0)
            break;
        FBuffer.append(Chunk, static_cast<size_t>(Got));
    }
    ::close(Fd);
    FBytes = FBuffer;
    FOpen = true;
}

TKvMappedFile::~TKvMappedFile()
{
    if (FMap)
        ::munmap(FMap, FMapSize);
}

bool UseTextFile(const std::string& FileName, const std::function<void(std::string_view Text)>& Use,
                 std::string* Error)
{
    const TKvMappedFile File(FileName);
    if (!File.IsOpen()) {
        if (Error)
            *Error = File.Error();
        return false;
    }
    std::string_view Text = File.Bytes();
    if (Text.size() >= 3 && Text.substr(0, 3) == "\xEF\xBB\xBF")
        Text.remove_prefix(3);
    if (IsValidUtf8(Text))
        Use(Text);
    else
        Use(Windows1252ToUtf8(Text));
    return true;
}

bool ReadTextFile(const std::string& FileName, std::string& Text, std::string* Error)
{
    Text.clear();
    return UseTextFile(FileName, [&](std::string_view Content) { Text.assign(Content); }, Error);
}

void WriteFileReplacing(const std::string& FileName, std::string_view Data)
{
    namespace fs = std::filesystem;
    auto Fail = [&](const std::string& Reason) {
        throw EFileError("Cannot create file \"" + FileName + "\". " + Reason);
    };
    std::error_code Ec;
    if (fs::is_directory(FileName, Ec))
        Fail("It is a folder.");
    const fs::path Target(FileName);
    std::random_device Random;
    const fs::path Temporary =
        Target.parent_path() / (Target.filename().string() + ".tmp" + std::to_string(Random() % 1000000));
    {
        std::ofstream Out(Temporary, std::ios::binary | std::ios::trunc);
        if (!Out)
            Fail(std::strerror(errno));
        Out.write(Data.data(), static_cast<std::streamsize>(Data.size()));
        Out.flush();
        if (!Out) {
            const std::string Reason = std::strerror(errno);
            Out.close();
            fs::remove(Temporary, Ec);
            Fail(Reason);
        }
    }
    // Keep the permissions of the file being replaced.
    struct stat Info;
    if (::stat(FileName.c_str(), &Info) == 0)
        fs::permissions(Temporary, static_cast<fs::perms>(Info.st_mode & 07777), Ec);
    fs::rename(Temporary, Target, Ec);
    if (Ec) {
        const std::string Reason = Ec.message();
        fs::remove(Temporary, Ec);
        Fail(Reason);
    }
}

} // namespace kv
