// Text tables as files (real data sets, bad files, the command line) and
// damaged data files named on loading.

#include "DocumentTestSupport.h"
#include "document/KvCommandLine.h"
#include "document/KvDataFileDamage.h"
#include "document/KvDocument.h"
#include "document/KvTextTableFile.h"
#include "foundation/KvMissing.h"

#include <gtest/gtest.h>


#include <sstream>

namespace {

const std::string DataFolder = KURVEX_TEST_DATA;

kv::TKvCommandLine Parse(std::vector<std::string> Args) { return kv::ParseCommandLine(Args); }

TEST(TextTableFileTest, RealDataSetsLoadEveryCell)
{
    kv::TKvDocument Doc;
    kv::OpenTextTableFile(Doc, DataFolder + "/statsmodels/longley.csv", {});
    EXPECT_EQ(Doc.Table.Column(1).Header, "Obs");
    EXPECT_EQ(Doc.Table.Column(8).Header, "YEAR");
    EXPECT_EQ(Doc.Table.MaxDataCount(), 16);
    EXPECT_EQ(Doc.Table.Data(2)[0], 60323);
    EXPECT_EQ(Doc.Table.Data(3)[1], 88.5);
    EXPECT_EQ(Doc.Table.Data(8)[15], 1962);
    EXPECT_EQ(Doc.Table.LastMessage(), "");
    EXPECT_TRUE(Doc.Table.CurrentFile.empty()); // an untitled document

    kv::OpenTextTableFile(Doc, DataFolder + "/statsmodels/stackloss.csv", {});
    EXPECT_EQ(Doc.Table.Column(4).Header, "ACIDCONC");
    EXPECT_EQ(Doc.Table.Data(4).Count(), 21);
    EXPECT_EQ(Doc.Table.Data(1)[20], 15);
}

TEST(TextTableFileTest, BadFilesGiveAClearMessage)
{
    kvtest::TScratchFolder Folder;
    kv::TKvDocument Doc;
    const std::string Binary = Folder.File("picture.csv");
    kvtest::WriteAll(Binary, std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    try {
        kv::OpenTextTableFile(Doc, Binary, {});
        FAIL() << "a binary file was read";
    } catch (const kv::EFileError& E) {
        EXPECT_EQ(std::string(E.what()), Binary + " is not a text table: it holds binary data");
    }
    EXPECT_THROW(kv::OpenTextTableFile(Doc, Folder.File("none.csv"), {}), kv::EFileError);
    EXPECT_THROW(kv::OpenTextTableFile(Doc, Folder.Path().string(), {}), kv::EFileError);
}

TEST(TextTableFileTest, CancelledImportChangesNothing)
{
    kvtest::TScratchFolder Folder;
    std::string Text;
    for (int i = 0; i < 300000; ++i)
        Text += "1;2\n";
    kvtest::WriteAll(Folder.File("big.txt"), Text);
    kv::TKvDocument Doc;
    Doc.Table.Data(1).SetValue(0, 42);
    kv::TKvTextReadLimits Limits;
    Limits.Progress = [](double) { return false; };
    EXPECT_FALSE(kv::ImportTextTableFile(Doc, Folder.File("big.txt"), {}, {}, Limits));
    EXPECT_EQ(Doc.Table.Data(1).Count(), 1);
    EXPECT_FALSE(Doc.Table.Modified());
}

TEST(TextTableFileTest, DataFilesAreToldFromTextTables)
{
    kvtest::TScratchFolder Folder;
    kvtest::WriteAll(Folder.File("a.txt"), "[Table]\n");
    kvtest::WriteAll(Folder.File("b"), "\xEF\xBB\xBF\n[Column(0)]\nData=1\n");
    kvtest::WriteAll(Folder.File("c"), "1 2\n");
    EXPECT_TRUE(kv::IsDataFile(Folder.File("x.PLT")));
    EXPECT_FALSE(kv::IsDataFile(Folder.File("a.txt")));
    EXPECT_TRUE(kv::IsDataFile(Folder.File("b")));
    EXPECT_FALSE(kv::IsDataFile(Folder.File("c")));
}

TEST(CommandLineTextTableTest, ImportsWithDetectionOrTheGivenOptions)
{
    kvtest::TScratchFolder Folder;
    const std::string In = Folder.File("messung.csv");
    const std::string Out = Folder.File("out.txt");
    kvtest::WriteAll(In, "# Messung 3\nZeit;U\n0,5;9,264\n1;NA\n");
    std::ostringstream O, E;
    ASSERT_EQ(kv::RunCommandLine(Parse({In, "--export-table", Out}), O, E), 0) << E.str();
    EXPECT_EQ(kvtest::ReadAll(Out), "Zeit\tU\r\n0.5\t9.264\r\n1\t\r\n");
    EXPECT_EQ(E.str(), "");

    // the options fix what detection would choose otherwise
    const std::string Options = Folder.File("opts.dat");
    kvtest::WriteAll(Options, "skip me\n1;2,5\n3;4\n");
    std::ostringstream O2, E2;
    ASSERT_EQ(kv::RunCommandLine(Parse({Options, "--import-options", "delimiter=;,decimal=,,header=0,first=2",
                                        "--export-table", Out}),
                                 O2, E2),
              0)
        << E2.str();
    EXPECT_EQ(kvtest::ReadAll(Out), "\t\r\n1\t2.5\r\n3\t4\r\n");

    // unreadable cells are named on standard error, the rest is exported
    kvtest::WriteAll(In, "1 2\n3.4.5 4\n");
    std::ostringstream O3, E3;
    EXPECT_EQ(kv::RunCommandLine(Parse({In, "--export-table", Out}), O3, E3), 0);
    EXPECT_EQ(E3.str(), "1 cell could not be read and is left empty: row 2, column A: '3.4.5'\n");
}

TEST(CommandLineTextTableTest, BadImportOptionsAreUsageErrors)
{
    const kv::TKvCommandLine L = Parse({"a.csv", "--import-options", "delimiter=;,colour=red"});
    EXPECT_EQ(L.Error, "unknown import option \"colour\" (known: delimiter, decimal, header, comment, first)");
    std::ostringstream O, E;
    EXPECT_EQ(kv::RunCommandLine(L, O, E), 2);
    std::ostringstream O2, E2;
    EXPECT_EQ(kv::RunCommandLine(Parse({DataFolder + "/document-minimal.plt", "--import-options", "header=1"}), O2, E2),
              2);
    EXPECT_NE(kv::CommandLineUsage().find("--import-options"), std::string::npos);
}

// A saved document and the ways its file gets damaged.
class DamagedFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        kv::TKvDocument Doc;
        Doc.Table.Column(1).Header = "t";
        for (int32_t r = 0; r < 400; ++r) {
            Doc.Table.Data(1).SetValue(r, r);
            Doc.Table.Data(2).SetValue(r, r * 0.5);
        }
        Doc.SaveToFile(Saved);
        Text = kvtest::ReadAll(Saved);
    }
    std::string Load(const std::string& Damaged, kv::TKvDocument& Doc)
    {
        kvtest::WriteAll(File, Damaged);
        Doc.LoadFromFile(File);
        return Doc.Damage;
    }
    kvtest::TScratchFolder Folder;
    const std::string Saved = Folder.File("good.plt");
    const std::string File = Folder.File("damaged.plt");
    std::string Text;
};

TEST_F(DamagedFileTest, SoundFileLoadsWithoutAWord)
{
    kv::TKvDocument Doc;
    EXPECT_EQ(Load(Text, Doc), "");
    EXPECT_EQ(Doc.RecentFiles.Count(), 1);
}

TEST_F(DamagedFileTest, CutShortFilesAreNamedAndStayOffTheRecentFiles)
{
    const size_t DataAt = Text.find("Data=");
    const size_t WidthAt = Text.find("Width=", DataAt);
    ASSERT_NE(WidthAt, std::string::npos);
    struct TCut {
        const char* Name;
        size_t Bytes;
    };
    for (const TCut& Cut : {TCut{"inside a key", WidthAt + 3}, TCut{"after a list separator", Text.find(';', DataAt) + 1},
                            TCut{"between two digits", Text.find("399", DataAt) + 2}, TCut{"at 5000 bytes", 5000}}) {
        const std::string Damaged = Text.substr(0, Cut.Bytes);
        kv::TKvDocument Doc;
        const std::string Message = Load(Damaged, Doc);
        EXPECT_EQ(Message.rfind(File + " appears damaged: ", 0), 0u) << Cut.Name << Message;
        EXPECT_NE(Message.find("its last line is cut short (\""), std::string::npos) << Cut.Name << Message;
        EXPECT_NE(Message.find(". What could be read is shown; save it under another name to keep the original."),
                  std::string::npos);
        EXPECT_EQ(Doc.RecentFiles.Count(), 0) << Cut.Name;
        EXPECT_FALSE(Doc.NothingRead);
        // saved under another name it is a sound file again
        Doc.SaveToFile(Folder.File("kept.plt"));
        EXPECT_EQ(Doc.RecentFiles.Count(), 1);
    }
    // a whole last line without a line end is no damage
    kv::TKvDocument Doc;
    EXPECT_EQ(Load(Text + "[Notes]\r\nSeen=yes", Doc), "");
}

TEST_F(DamagedFileTest, MissingTableSectionIsNamed)
{
    const size_t Table = Text.find("[Table]");
    ASSERT_NE(Table, std::string::npos);
    const size_t Next = Text.find("\n[", Table);
    const std::string Damaged = Text.substr(0, Table) + (Next == std::string::npos ? "" : Text.substr(Next + 1));
    kv::TKvDocument Doc;
    EXPECT_EQ(Load(Damaged, Doc), File + " appears damaged: it has column sections but no [Table] section. What "
                                         "could be read is shown; save it under another name to keep the original.");
    EXPECT_EQ(Doc.Table.Data(1).Count(), 400);
}

// Entries that are no number: no save writes one, so the file is damaged,
// and the message names the column and the rows, which stay empty.
TEST_F(DamagedFileTest, UnreadableEntriesNameTheColumnAndTheRows)
{
    std::string Damaged = Text;
    const size_t Data = Damaged.find("Data=0;1;2;3;");
    ASSERT_NE(Data, std::string::npos);
    Damaged.replace(Data, 13, "Data=0;1;NA;3;");
    kv::TKvDocument Doc;
    EXPECT_EQ(Load(Damaged, Doc), File + " appears damaged: Column A: 1 entry could not be read and is left empty "
                                         "(row 3). What could be read is shown; save it under another name to keep "
                                         "the original.");
    EXPECT_EQ(Doc.Table.Data(1).Count(), 400);
    EXPECT_TRUE(kv::IsMissing(Doc.Table.Data(1)[2]));
    EXPECT_EQ(Doc.Table.Data(1)[3], 3);
    EXPECT_EQ(Doc.RecentFiles.Count(), 0);
}

TEST_F(DamagedFileTest, CommandLineNamesTheDamageAndFailsOnlyWhenNothingWasRead)
{
    const std::string Out = Folder.File("out.txt");
    kvtest::WriteAll(File, Text.substr(0, Text.find("Data=") + 100));
    std::ostringstream O, E;
    EXPECT_EQ(kv::RunCommandLine(Parse({File, "--export-table", Out}), O, E), 0);
    EXPECT_EQ(E.str().rfind(File + " appears damaged: ", 0), 0u) << E.str();
    EXPECT_TRUE(std::filesystem::exists(Out));

    kvtest::WriteAll(File, "[Column(0)]\nWid");
    std::ostringstream O2, E2;
    EXPECT_EQ(kv::RunCommandLine(Parse({File}), O2, E2), 1);
    EXPECT_NE(E2.str().find("appears damaged"), std::string::npos);
}

} // namespace
