#include "DocumentTestSupport.h"
#include "document/KvUserSettings.h"
#include "foundation/KvLargeIniFile.h"

#include <gtest/gtest.h>

namespace {

TEST(UserSettingsTest, PathsFollowTheExecutable)
{
    const kv::TKvPaths P = kv::ComputePaths("/opt/kv/bin/kurvex", "/home/u/.local/share", "/home/u/Documents",
                                            "/opt/kv/share/kurvex");
    EXPECT_EQ(P.ExeFolder, "/opt/kv/bin/");
    EXPECT_EQ(P.BaseName, "kurvex");
    EXPECT_EQ(P.UserFolder, "/home/u/.local/share/kurvex/");
    EXPECT_EQ(P.SettingsFile, "/home/u/.local/share/kurvex/kurvex.usr");
    EXPECT_EQ(P.DocumentsFolder, "/home/u/Documents");
    EXPECT_EQ(P.DefaultSettingsFiles,
              (std::vector<std::string>{"/opt/kv/bin/kurvex.usr", "/opt/kv/share/kurvex/kurvex.usr"}));
    const kv::TKvPaths NoData = kv::ComputePaths("/opt/kv/bin/kurvex", "", "", "");
    EXPECT_EQ(NoData.UserFolder, "/opt/kv/bin/");
    EXPECT_EQ(NoData.SettingsFile, "/opt/kv/bin/kurvex.usr");
}

class UserFileTest : public testing::Test {
protected:
    kv::TKvPaths Paths()
    {
        return kv::ComputePaths(Folder.File("bin/kurvex"), Folder.File("data"), Folder.File("docs"),
                                Folder.File("share"));
    }
    kvtest::TScratchFolder Folder;
};

TEST_F(UserFileTest, FirstRunCopiesTheDefaultBesideTheExecutable)
{
    std::filesystem::create_directories(Folder.File("bin"));
    kvtest::WriteAll(Folder.File("bin/kurvex.usr"), "[Icons]\r\nStyle=2\r\n");
    const kv::TKvPaths P = Paths();
    EXPECT_TRUE(kv::EnsureUserFile(P));
    EXPECT_EQ(kvtest::ReadAll(P.SettingsFile), "[Icons]\r\nStyle=2\r\n");
    // an existing settings file is never replaced
    kvtest::WriteAll(P.SettingsFile, "mine");
    EXPECT_FALSE(kv::EnsureUserFile(P));
    EXPECT_EQ(kvtest::ReadAll(P.SettingsFile), "mine");
}

TEST_F(UserFileTest, TheShareFolderSeedsWhenNothingIsBesideTheExecutable)
{
    std::filesystem::create_directories(Folder.File("share"));
    kvtest::WriteAll(Folder.File("share/kurvex.usr"), "shared");
    EXPECT_TRUE(kv::EnsureUserFile(Paths()));
    EXPECT_EQ(kvtest::ReadAll(Paths().SettingsFile), "shared");
}

TEST_F(UserFileTest, WithoutAnyDefaultTheFirstRunHasDefaults)
{
    const kv::TKvPaths P = Paths();
    EXPECT_FALSE(kv::EnsureUserFile(P));
    EXPECT_TRUE(std::filesystem::is_directory(P.UserFolder));
    kv::TKvDocument Doc;
    kv::TKvTableSettings S;
    kv::LoadSettingsFile(P, Doc, S);
    EXPECT_EQ(Doc.Table.MaxColumns(), 26);
    EXPECT_EQ(Doc.Assignment.GraphCount(), 1);
    EXPECT_EQ(Doc.RecentFiles.Count(), 0);
    EXPECT_EQ(S.IconStyle, 1);
    EXPECT_EQ(S.LastImExport, P.DocumentsFolder);
    EXPECT_EQ(Doc.Table.CurrentFile, P.DocumentsFolder);
    EXPECT_EQ(S.LastTemplateLoaded, P.ExeFolder + "Templates/Default.rtf");
    EXPECT_FALSE(std::filesystem::exists(P.SettingsFile)); // reading writes nothing
    kv::SaveSettingsFile(P, Doc, S);
    EXPECT_TRUE(std::filesystem::exists(P.SettingsFile));
}

TEST_F(UserFileTest, SettingsComeBackAsSaved)
{
    const kv::TKvPaths P = Paths();
    kv::EnsureUserFile(P);
    kv::TKvDocument Doc;
    for (int i = 8; i >= 1; --i) // the newest last: "1" ends on top
        Doc.RecentFiles.Add("/data/" + std::to_string(i) + ".plt");
    Doc.RecentFiles.Add("/data/3.plt"); // again: moves to the top, no duplicate
    Doc.Table.Column(2).Header = "\\bU\\b";
    Doc.Table.Column(2).Formula = "A*2";
    Doc.Table.Column(2).LiveFormula = true;
    Doc.Table.Column(3).Width = 123;
    Doc.Table.Data(1).Add(5); // values do not go into the settings
    Doc.Table.CurrentFile = "/data/3.plt";
    Doc.Assignment.AddGraph().Title = "Second";
    kv::TKvTableSettings S;
    S.SetDefaults(P);
    S.IconStyle = 0;
    S.LastImExport = "/import";
    S.LastMerged = "/reports";
    kv::SaveSettingsFile(P, Doc, S);

    const std::string Text = kvtest::ReadAll(P.SettingsFile);
    EXPECT_EQ(Text.find("Data="), std::string::npos);
    EXPECT_NE(Text.find("[RecentFiles]\r\nCount=6\r\n1=/data/3.plt\r\n2=/data/1.plt\r\n3=/data/2.plt\r\n"
                        "4=/data/4.plt\r\n5=/data/5.plt\r\n6=/data/6.plt\r\n"),
              std::string::npos);
    EXPECT_NE(Text.find("[Directories]\r\nLastLoaded=" + P.DocumentsFolder + "\r\nLastOFTLoaded="), std::string::npos);

    kv::TKvDocument Back;
    kv::TKvTableSettings R;
    kv::LoadSettingsFile(P, Back, R);
    EXPECT_EQ(Back.RecentFiles.Items(), Doc.RecentFiles.Items());
    EXPECT_EQ(Back.Table.Column(2).Header, "\\bU\\b");
    EXPECT_TRUE(Back.Table.Column(2).LiveFormula);
    EXPECT_EQ(Back.Table.Column(3).Width, 123);
    EXPECT_EQ(Back.Table.Data(1).Count(), 0);
    EXPECT_EQ(Back.Table.CurrentFile, "/data/3.plt");
    EXPECT_EQ(Back.Assignment.GraphCount(), 2);
    EXPECT_EQ(Back.Assignment.Graphs[1].Title, "Second");
    EXPECT_EQ(Back.Table.LockedRows, 5);
    EXPECT_EQ(R.IconStyle, 0);
    EXPECT_EQ(R.LastImExport, "/import");
    EXPECT_EQ(R.LastMerged, "/reports");
    EXPECT_EQ(R.LastOFTLoaded, P.DocumentsFolder);
}

TEST(RecentFilesTest, KeepsSixNewestFirstWithoutDuplicates)
{
    kv::TKvRecentFiles R;
    for (const char* P : {"a", "b", "c", "d", "e", "f", "g", "b", ""})
        R.Add(P);
    EXPECT_EQ(R.Items(), (std::vector<std::string>{"b", "g", "f", "e", "d", "c"}));
}

} // namespace
