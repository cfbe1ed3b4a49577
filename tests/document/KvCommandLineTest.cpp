#include "DocumentTestSupport.h"
#include "document/KvCommandLine.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

const std::string DataFolder = KURVEX_TEST_DATA;

kv::TKvCommandLine Parse(std::vector<std::string> Args) { return kv::ParseCommandLine(Args); }

TEST(CommandLineTest, ParsesTheOptions)
{
    auto L = Parse({"in.plt", "--export-table", "out.txt", "--list"});
    EXPECT_EQ(L.DataFile, "in.plt");
    EXPECT_EQ(L.ExportFile, "out.txt");
    EXPECT_TRUE(L.ListSeparator);
    EXPECT_TRUE(L.Error.empty());
    EXPECT_TRUE(Parse({"--help"}).Help);
    EXPECT_TRUE(Parse({"--version"}).Version);
    EXPECT_TRUE(Parse({"/PRINT"}).Print);
    EXPECT_FALSE(Parse({"--list", "--tab", "x.plt"}).ListSeparator);
}

struct TBadCase {
    std::vector<std::string> Args;
    const char* Error;
};

class BadCommandLineTest : public testing::TestWithParam<TBadCase> {};

TEST_P(BadCommandLineTest, IsAUsageError)
{
    const kv::TKvCommandLine L = kv::ParseCommandLine(GetParam().Args);
    EXPECT_EQ(L.Error, GetParam().Error);
    std::ostringstream Out, Err;
    EXPECT_EQ(kv::RunCommandLine(L, Out, Err), 2);
    EXPECT_NE(Err.str().find("Usage: kurvex"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, BadCommandLineTest,
    testing::Values(TBadCase{{"--export-table"}, "--export-table needs an output file"},
                    TBadCase{{"--export-table", "o.txt"}, "--export-table needs a data file to export"},
                    TBadCase{{"--frobnicate"}, "unknown option \"--frobnicate\""},
                    TBadCase{{"a.plt", "b.plt"}, "more than one data file: \"b.plt\""}));

TEST(CommandLineTest, UnreadableFilesFailWithAMessage)
{
    kvtest::TScratchFolder Folder;
    std::ostringstream O, E;
    const std::string Missing = Folder.File("missing.plt");
    EXPECT_EQ(kv::RunCommandLine(Parse({Missing, "--export-table", Folder.File("o.txt")}), O, E), 1);
    EXPECT_EQ(E.str(), "kurvex: " + Missing + " does not exist\n");
    EXPECT_FALSE(std::filesystem::exists(Folder.File("o.txt")));
    std::ostringstream O2, E2;
    EXPECT_EQ(kv::RunCommandLine(Parse({DataFolder + "/document-assignment.plt", "--export-table",
                                        "/proc/kurvex-document-test.txt"}),
                                 O2, E2),
              1);
    EXPECT_EQ(E2.str().rfind("kurvex: Cannot create file", 0), 0u) << E2.str();
}

TEST(CommandLineTest, PrintIsNotAvailable)
{
    std::ostringstream O, E;
    EXPECT_EQ(kv::RunCommandLine(Parse({"/PRINT"}), O, E), 1);
    EXPECT_EQ(E.str(), "Print with Explorer not implemented!\n");
}

} // namespace
