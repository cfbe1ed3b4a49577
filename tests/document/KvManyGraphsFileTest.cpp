// A damaged data file found by fuzzing that declares 1012 graphs (and holds
// duplicate column sections and number lists where single numbers belong):
// it loads, saves, and the saved file loads again to the same saved text.
// Saving it used to take seconds because every key was found by scanning
// the whole document.

#include "document/KvDocument.h"

#include "DocumentTestSupport.h"

#include <gtest/gtest.h>

namespace {

const std::string DataFolder = KURVEX_TEST_DATA;

TEST(ManyGraphsFile, LoadsSavesAndLoadsAgainToTheSameText)
{
    kvtest::TScratchFolder Folder;
    kv::TKvDocument First;
    First.LoadFromFile(DataFolder + "/document-1012-graphs.plt");
    ASSERT_EQ(First.Assignment.GraphCount(), 1012);
    const std::string Saved = Folder.File("saved.plt");
    First.SaveToFile(Saved);

    kv::TKvDocument Second;
    Second.LoadFromFile(Saved);
    EXPECT_EQ(Second.Assignment.GraphCount(), 1012);
    EXPECT_EQ(Second.Table.MaxColumns(), First.Table.MaxColumns());
    for (int32_t k = 1; k <= First.Table.MaxColumns(); ++k)
        EXPECT_EQ(Second.Table.Data(k).Values().size(), First.Table.Data(k).Values().size()) << k;
    const std::string Again = Folder.File("again.plt");
    Second.SaveToFile(Again);
    EXPECT_EQ(kvtest::ReadAll(Again), kvtest::ReadAll(Saved));
}

} // namespace
