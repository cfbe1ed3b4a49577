#include "foundation/KvErrors.h"
#include "foundation/KvLargeIniFile.h"
#include "foundation/KvTextFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace kv;
namespace fs = std::filesystem;

namespace {

// Makes the folder refuse new files: by permissions, or, for root, by the
// immutable attribute. Returns false when neither is possible here.
bool LockFolder(const fs::path& Dir, bool Lock)
{
    if (::geteuid() != 0) {
        fs::permissions(Dir, Lock ? fs::perms::owner_read | fs::perms::owner_exec : fs::perms::owner_all);
        return true;
    }
    const std::string Command = std::string("chattr ") + (Lock ? "+i" : "-i") + " '" + Dir.string() + "' 2>/dev/null";
    return std::system(Command.c_str()) == 0;
}

class LargeIniFile : public testing::Test {
protected:
    fs::path Dir;
    void SetUp() override
    {
        Dir = fs::temp_directory_path() /
              ("kurvex-ini-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(Dir);
        fs::create_directories(Dir);
    }
    void TearDown() override
    {
        std::error_code Ec;
        LockFolder(Dir, false);
        fs::remove_all(Dir, Ec);
    }
    std::string Path(const char* Name) const { return (Dir / Name).string(); }
    static void Write(const std::string& Path, std::string_view Data)
    {
        std::ofstream(Path, std::ios::binary).write(Data.data(), static_cast<std::streamsize>(Data.size()));
    }
    static std::string Read(const std::string& Path)
    {
        std::ifstream In(Path, std::ios::binary);
        return {std::istreambuf_iterator<char>(In), {}};
    }
    size_t FilesInDir() const { return static_cast<size_t>(std::distance(fs::directory_iterator(Dir), {})); }
};

TEST_F(LargeIniFile, StoreWrittenOnlyByItselfHasTheDocumentedForm)
{
    const std::string File = Path("doc.ini");
    {
        TKvLargeIniFile Ini(File);
        Ini.WriteFormPlacement("Table", "Form", {TKvWindowState::WsNormal, 184, 411, 488, 686});
        Ini.WriteInteger("Column(0)", "Width", 80);
        TKvRealVector V;
        for (double X : {1.0, 2.5, -3e-5, 1200.0})
            V.Add(X);
        Ini.WriteVector("Column(0)", "Data", V);
        Ini.WriteInteger("Column(1)", "Width", 150);
        Ini.WriteVector("Column(1)", "Data", TKvRealVector());
    }
    EXPECT_EQ(Read(File), "[Table]\r\nForm.State=0\r\nForm.Top=184\r\nForm.Left=411\r\nForm.Height=488\r\n"
                          "Form.Width=686\r\n\r\n[Column(0)]\r\nWidth=80\r\nData=1;2.5;-3E-5;1200\r\n\r\n"
                          "[Column(1)]\r\nWidth=150\r\nData=\r\n");
}

TEST_F(LargeIniFile, UntouchedLinesSurviveInContentAndOrder)
{
    const std::string File = Path("doc.ini");
    Write(File, "\n\n; a comment\r[Dup]\nk=1\r\n\r\nno equals here\n[Dup]\nk=2\n[Broken\nx = 1\r\n"
                "[Keep]\nz=9\n" + std::string("tail=1\0garbage", 14));
    {
        TKvLargeIniFile Ini(File);
        EXPECT_EQ(Ini.ReadString("Dup", "k", ""), "1");
        Ini.WriteString("Keep", "z", "10");
    }
    EXPECT_EQ(Read(File), "; a comment\r\n[Dup]\r\nk=1\r\n\r\nno equals here\r\n[Dup]\r\nk=2\r\n[Broken\r\n"
                          "x = 1\r\n[Keep]\r\nz=10\r\ntail=1\r\n");
}

TEST_F(LargeIniFile, ReadOnlyUseNeverTouchesTheFile)
{
    const std::string Missing = Path("missing.ini");
    {
        TKvLargeIniFile Ini(Missing);
        EXPECT_EQ(Ini.ReadInteger("S", "k", 3), 3);
    }
    EXPECT_FALSE(fs::exists(Missing));
    const std::string File = Path("keep.ini");
    Write(File, "[S]\nk=1\n"); // LF only: a rewrite would show as CR LF
    { TKvLargeIniFile Ini(File); }
    EXPECT_EQ(Read(File), "[S]\nk=1\n");
}

TEST_F(LargeIniFile, NotUtf8IsReadAsWindows1252)
{
    const std::string File = Path("latin.ini");
    Write(File, "[S]\nName=M\xfc" "ller \x80 \x93q\x94\n");
    TKvLargeIniFile Ini(File);
    EXPECT_EQ(Ini.ReadString("S", "Name", ""), "M\xc3\xbcller \xe2\x82\xac \xe2\x80\x9cq\xe2\x80\x9d");
}

TEST_F(LargeIniFile, Utf8AndItsByteOrderMark)
{
    const std::string File = Path("utf8.ini");
    Write(File, "\xEF\xBB\xBF[S]\nName=\xce\xb1\xce\xb2\n");
    TKvLargeIniFile Ini(File);
    EXPECT_EQ(Ini.ReadString("S", "Name", ""), "\xce\xb1\xce\xb2");
}

TEST_F(LargeIniFile, FolderAsFileLoadsEmptyAndFailsToSave)
{
    const std::string Folder = Path("folder.ini");
    fs::create_directory(Folder);
    auto Ini = std::make_unique<TKvLargeIniFile>(Folder);
    EXPECT_EQ(Ini->LineCount(), 0);
    Ini->WriteString("S", "k", "v");
    try {
        Ini->Release();
        FAIL() << "saved onto a folder";
    } catch (const EFileError& E) {
        EXPECT_NE(std::string(E.what()).find("Cannot create file"), std::string::npos) << E.what();
    }
    EXPECT_NO_THROW(Ini.reset()); // released once, never twice
    EXPECT_TRUE(fs::is_directory(Folder));
}

TEST_F(LargeIniFile, FailedSaveKeepsTheOldFile)
{
    const std::string File = Path("locked.ini");
    Write(File, "[S]\nk=old\n");
    if (!LockFolder(Dir, true))
        GTEST_SKIP() << "cannot make a folder read-only here";
    TKvLargeIniFile Ini(File);
    Ini.WriteString("S", "k", "new");
    EXPECT_THROW(Ini.Release(), EFileError);
    LockFolder(Dir, false);
    EXPECT_EQ(Read(File), "[S]\nk=old\n");
    EXPECT_EQ(FilesInDir(), 1u);
}

TEST_F(LargeIniFile, UnreadableFileIsReplacedWhenChanged)
{
    const std::string File = Path("secret.ini");
    Write(File, "[S]\nk=old\n");
    fs::permissions(File, fs::perms::none);
    const bool Readable = std::ifstream(File).good(); // root reads anyway
    {
        TKvLargeIniFile Ini(File);
        EXPECT_EQ(Ini.ReadString("S", "k", "absent"), Readable ? "old" : "absent");
        Ini.WriteString("S", "k", "new");
    }
    fs::permissions(File, fs::perms::owner_all);
    EXPECT_NE(Read(File).find("k=new"), std::string::npos);
}

TEST_F(LargeIniFile, DestructorRaisesTheSaveFailure)
{
    const std::string Folder = Path("folder.ini");
    fs::create_directory(Folder);
    auto Save = [&] {
        TKvLargeIniFile Ini(Folder);
        Ini.WriteString("S", "k", "v");
    };
    EXPECT_THROW(Save(), EFileError);
    // While another exception unwinds, the failure is not raised on top of it.
    auto SaveWhileFailing = [&] {
        TKvLargeIniFile Ini(Folder);
        Ini.WriteString("S", "k", "v");
        throw std::runtime_error("first");
    };
    EXPECT_THROW(SaveWhileFailing(), std::runtime_error);
}

TEST_F(LargeIniFile, SaveLeavesNoTemporaryFilesBehind)
{
    const std::string File = Path("doc.ini");
    for (int i = 0; i < 3; ++i) {
        TKvLargeIniFile Ini(File);
        Ini.WriteInteger("S", "Run", i);
    }
    EXPECT_EQ(FilesInDir(), 1u);
    TKvLargeIniFile Ini(File);
    EXPECT_EQ(Ini.ReadInteger("S", "Run", -1), 2);
}

TEST_F(LargeIniFile, HundredMegabyteDocument)
{
    const std::string File = Path("large.ini");
    {
        std::ofstream Out(File, std::ios::binary);
        std::string Line(1000, 'x');
        for (int s = 0; s < 1000; ++s) {
            Out << "[Section" << s << "]\r\n";
            for (int k = 0; k < 100; ++k)
                Out << "Key" << k << "=" << Line << "\r\n";
            Out << "\r\n";
        }
    }
    EXPECT_GT(fs::file_size(File), 100'000'000u);
    {
        TKvLargeIniFile Ini(File);
        EXPECT_EQ(Ini.ReadString("Section999", "Key99", "").size(), 1000u);
        Ini.WriteString("Section500", "New", "1");
    }
    TKvLargeIniFile Ini(File);
    EXPECT_EQ(Ini.ReadInteger("Section500", "New", 0), 1);
    EXPECT_EQ(Ini.LineCount(), 1000 * 102 + 1); // every line kept, the new key added
}

TEST(TextFile, Utf8Validation)
{
    const std::pair<std::string, bool> Cases[] = {
        {"plain", true}, {"\xce\xb1", true}, {"\xe2\x82\xac", true}, {"\xf0\x9f\x98\x80", true},
        {"\xfc", false}, {"\xc0\xaf", false} /* overlong */, {"\xed\xa0\x80", false} /* surrogate */,
        {"\xe2\x82", false}, {"\xf4\x90\x80\x80", false} /* beyond U+10FFFF */,
    };
    for (const auto& [Text, Valid] : Cases)
        EXPECT_EQ(IsValidUtf8(Text), Valid) << Text;
}

} // namespace
