#include "core/session_state.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace velmora::core {
namespace {

using testing::TempDir;
using testing::writeFile;

TEST(SessionState, ReadsEveryFileAndClampsNegativePositions) {
    TempDir home;
    writeFile(home / "folders.dat",
              "InBox\r\n3\r\n5\r\n2\r\n-10\r\n-4\r\n640\r\n480\r\n"
              "Work\\Sub\r\n0\r\n0\r\n1\r\n20\r\n30\r\n300\r\n200\r\n");
    writeFile(home / "read.dat", "InBox\r\n7\r\n0\r\n-1\r\n5\r\n500\r\n400\r\n1\r\n");
    writeFile(home / "compose.dat", "Drafts\r\n2\r\nOutBox\r\n0\r\n");
    writeFile(home / "scratch.dat", "WebLinks.txt\r\n0\r\n1\r\n2\r\n3\r\n4\r\n");
    writeFile(home / "headers.dat", "2\r\n-5\r\n-5\r\n700\r\n500\r\n");

    const SessionState s = readSessionState(home.path());
    ASSERT_EQ(s.folders.size(), 2u);
    EXPECT_EQ(s.folders[0].folderKey, "InBox");
    EXPECT_EQ(s.folders[0].firstVisibleRow, 3);
    EXPECT_EQ(s.folders[0].selectedRow, 5);
    EXPECT_EQ(s.folders[0].placement.state, platform::WindowState::Maximized);
    EXPECT_EQ(s.folders[0].placement.bounds.left, 0);
    EXPECT_EQ(s.folders[0].placement.bounds.top, 0);
    EXPECT_EQ(s.folders[0].placement.bounds.width, 640);
    EXPECT_EQ(s.folders[1].folderKey, "Work\\Sub");
    EXPECT_EQ(s.folders[1].placement.state, platform::WindowState::Minimized);
    ASSERT_EQ(s.reads.size(), 1u);
    EXPECT_EQ(s.reads[0].row, 7);
    EXPECT_EQ(s.reads[0].placement.bounds.left, 0);
    EXPECT_EQ(s.reads[0].tabPage, 1);
    ASSERT_EQ(s.composes.size(), 2u);
    EXPECT_EQ(s.composes[1].folderName, "OutBox");
    ASSERT_EQ(s.scratchPads.size(), 1u);
    EXPECT_EQ(s.scratchPads[0].placement.bounds.height, 4);
    EXPECT_TRUE(s.hasHeadersWindow);
    EXPECT_EQ(s.headersWindow.bounds.left, 0);
}

TEST(SessionState, MissingFilesRestoreNothingAndTruncatedRecordIsDropped) {
    TempDir home;
    EXPECT_TRUE(readSessionState(home.path()).folders.empty());
    writeFile(home / "folders.dat", "InBox\r\n0\r\n0\r\n0\r\n0\r\n0\r\n600\r\n400\r\nSent\r\n1\r\n");
    EXPECT_EQ(readSessionState(home.path()).folders.size(), 1u);
    const auto present = sessionFilesPresent(home.path());
    EXPECT_TRUE(present.folders);
    EXPECT_FALSE(present.read);
}

TEST(SessionState, WrittenRecordsReadBack) {
    TempDir home;
    FolderWindowRecord folder{"Work\\Sub", 4, 6, {platform::WindowState::Maximized, {1, 2, 3, 4}}};
    ReadWindowRecord read{"InBox", 3, {platform::WindowState::Normal, {5, 6, 7, 8}}, 2};
    writeFile(home / "folders.dat", formatFolderRecords({folder, folder}));
    writeFile(home / "read.dat", formatReadRecords({read}));
    writeFile(home / "compose.dat", formatComposeRecords({{"Sent", 9}}));
    writeFile(home / "scratch.dat", formatScratchRecords({{"notes.txt", {}}}));
    writeFile(home / "headers.dat", formatHeadersRecord({platform::WindowState::Minimized, {}}));
    const SessionState s = readSessionState(home.path());
    ASSERT_EQ(s.folders.size(), 2u);
    EXPECT_EQ(s.folders[1].folderKey, "Work\\Sub");
    EXPECT_EQ(s.folders[1].selectedRow, 6);
    EXPECT_EQ(s.folders[1].placement.bounds.height, 4);
    EXPECT_EQ(s.reads[0].tabPage, 2);
    EXPECT_EQ(s.composes[0].row, 9);
    EXPECT_EQ(s.scratchPads[0].fileName, "notes.txt");
    EXPECT_EQ(s.headersWindow.state, platform::WindowState::Minimized);
    EXPECT_EQ(testing::readFile(home / "compose.dat"), "Sent\r\n9\r\n");
}

}  // namespace
}  // namespace velmora::core
