#include "platform/session_records.h"

#include <gtest/gtest.h>

#include "base/text_file.h"

namespace velmora::platform {
namespace {

TEST(SessionRecords, ReadsEveryFileAndClampsNegativePositions) {
    const auto folders =
        parseFolderRecords(splitLines("InBox\r\n3\r\n5\r\n2\r\n-10\r\n-4\r\n640\r\n480\r\n"
                                      "Work\\Sub\r\n0\r\n0\r\n1\r\n20\r\n30\r\n300\r\n200\r\n"));
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[0].folderKey, "InBox");
    EXPECT_EQ(folders[0].firstVisibleRow, 3);
    EXPECT_EQ(folders[0].selectedRow, 5);
    EXPECT_EQ(folders[0].placement.state, WindowState::Maximized);
    EXPECT_EQ(folders[0].placement.bounds.left, 0);
    EXPECT_EQ(folders[0].placement.bounds.top, 0);
    EXPECT_EQ(folders[0].placement.bounds.width, 640);
    EXPECT_EQ(folders[1].folderKey, "Work\\Sub");
    EXPECT_EQ(folders[1].placement.state, WindowState::Minimized);

    const auto reads =
        parseReadRecords(splitLines("InBox\r\n7\r\n0\r\n-1\r\n5\r\n500\r\n400\r\n1\r\n"));
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].row, 7);
    EXPECT_EQ(reads[0].placement.bounds.left, 0);
    EXPECT_EQ(reads[0].tabPage, 1);

    const auto composes = parseComposeRecords(splitLines("Drafts\r\n2\r\nOutBox\r\n0\r\n"));
    ASSERT_EQ(composes.size(), 2u);
    EXPECT_EQ(composes[1].folderName, "OutBox");

    const auto pads = parseScratchRecords(splitLines("WebLinks.txt\r\n0\r\n1\r\n2\r\n3\r\n4\r\n"));
    ASSERT_EQ(pads.size(), 1u);
    EXPECT_EQ(pads[0].placement.bounds.height, 4);

    const auto headers = parseHeadersRecord(splitLines("2\r\n-5\r\n-5\r\n700\r\n500\r\n"));
    ASSERT_EQ(headers.size(), 1u);
    EXPECT_EQ(headers[0].bounds.left, 0);
}

TEST(SessionRecords, EmptyFileGivesNothingAndTruncatedRecordIsDropped) {
    EXPECT_TRUE(parseFolderRecords({}).empty());
    EXPECT_TRUE(parseHeadersRecord(splitLines("0\r\n1\r\n")).empty());
    EXPECT_EQ(parseFolderRecords(
                  splitLines("InBox\r\n0\r\n0\r\n0\r\n0\r\n0\r\n600\r\n400\r\nSent\r\n1\r\n"))
                  .size(),
              1u);
}

TEST(SessionRecords, WrittenRecordsReadBack) {
    const FolderWindowRecord folder{"Work\\Sub", 4, 6, {WindowState::Maximized, {1, 2, 3, 4}}};
    const ReadWindowRecord read{"InBox", 3, {WindowState::Normal, {5, 6, 7, 8}}, 2};
    auto twice = folderRecordLines(folder);
    const auto once = folderRecordLines(folder);
    twice.insert(twice.end(), once.begin(), once.end());
    const auto folders = parseFolderRecords(twice);
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[1].folderKey, "Work\\Sub");
    EXPECT_EQ(folders[1].selectedRow, 6);
    EXPECT_EQ(folders[1].placement.bounds.height, 4);
    EXPECT_EQ(parseReadRecords(readRecordLines(read))[0].tabPage, 2);
    EXPECT_EQ(parseComposeRecords(composeRecordLines({"Sent", 9}))[0].row, 9);
    EXPECT_EQ(parseScratchRecords(scratchRecordLines({"notes.txt", {}}))[0].fileName, "notes.txt");
    EXPECT_EQ(parseHeadersRecord(headersRecordLines({WindowState::Minimized, {}}))[0].state,
              WindowState::Minimized);
    EXPECT_EQ(joinLines(composeRecordLines({"Sent", 9})), "Sent\r\n9\r\n");
}

}  // namespace
}  // namespace velmora::platform
