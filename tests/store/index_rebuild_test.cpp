#include "store/index_rebuild.h"

#include <gtest/gtest.h>

#include "store/message_file.h"
#include "support/fake_platform.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora::store {
namespace {

using testing::MessageSample;

TEST(IndexRebuild, OneRowPerMessageFileUnderTheProgressBox) {
    testing::TempDir dir;
    testing::FakePlatform fake;
    for (const char* name :
         {"2001.01.01.00.00.00.002", "2001.01.01.00.00.00.001", "2001.01.01.00.00.00.003"}) {
        MessageSample sample;
        sample.fileName = name;
        sample.subject = std::string("subject ") + name;
        testing::storeMessage(dir.path(), sample);
    }
    testing::writeFile(dir / "notes.txt", "not a message");
    std::filesystem::create_directory(dir / "dir.vlf");

    const auto files = listMessageFiles(dir.path());
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(countMessageFiles(dir.path()), 3u);
    EXPECT_EQ(files[0].filename(), "2001.01.01.00.00.00.001.vlf");  // name order

    const RebuildResult result = rebuildRows(files, "Work\\Sub", 4, fake);
    ASSERT_EQ(result.rows.size(), 3u);
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(result.rows[0].item.fileName, "2001.01.01.00.00.00.001");
    const auto columns = splitRowText(result.rows[0].text);
    EXPECT_EQ(columns[0], "U O r f a N");
    EXPECT_EQ(columns[2], "subject 2001.01.01.00.00.00.001");
    EXPECT_EQ(columns[3], "Ann Lee <ann@example.org>");
    EXPECT_EQ(columns[4], "bob@example.org");
    EXPECT_EQ(columns[5], "2001.07.31.15:30:45");

    ASSERT_FALSE(fake.dialogs.statusLines.empty());
    EXPECT_EQ(fake.dialogs.statusLines.front()[0], "Rebuilding WORK\\SUB Index File 1 of 3");
    EXPECT_EQ(fake.dialogs.statusLines.front()[1], "Please Wait...");
    EXPECT_EQ(fake.dialogs.statusLines.back()[0], "Rebuilding WORK\\SUB Index File 3 of 3");
    EXPECT_FALSE(fake.dialogs.statusVisible);
}

TEST(IndexRebuild, RowOfAForeignFileAndOfAnUnreadableOne) {
    testing::TempDir dir;
    testing::FakePlatform fake;
    // Dropped in by hand: no private block, no recipient.
    testing::writeFile(dir / "hand.vlf",
                       "From: \"Lee, Ann\" <ann@example.org>\r\nSubject: hi\r\n\r\nbody\r\n");
    const FolderRow row = rowFromMessageFile(dir / "hand.vlf", 5, fake);
    const auto columns = splitRowText(row.text);
    EXPECT_EQ(columns[0], "");
    EXPECT_EQ(columns[1], "1.0");
    EXPECT_EQ(columns[3], "Lee, Ann <ann@example.org>");
    EXPECT_EQ(columns[4], "<unknown address>");
    EXPECT_EQ(row.item.fileName, "hand");

    const FolderRow gone = rowFromMessageFile(dir / "gone.vlf", 0, fake);
    EXPECT_EQ(gone.item.fileName, "gone");
    ASSERT_EQ(fake.dialogs.texts("warning").size(), 1u);
    EXPECT_EQ(fake.dialogs.texts("warning")[0].rfind("Load From File Error 6498\r", 0), 0u);
    EXPECT_EQ(fake.system.beeps, 1);
}

TEST(IndexRebuild, UnlistedFilesAreThoseNoRowNames) {
    testing::TempDir dir;
    for (const char* name : {"a", "b", "c"})
        testing::writeFile(dir / (std::string(name) + ".vlf"), "x");
    std::vector<FolderRow> rows(1);
    rows[0].item.fileName = "b";
    const auto files = unlistedMessageFiles(dir.path(), rows);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].filename(), "a.vlf");
    EXPECT_EQ(files[1].filename(), "c.vlf");
}

}  // namespace
}  // namespace velmora::store
