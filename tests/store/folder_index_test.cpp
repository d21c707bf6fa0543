#include "store/folder_index.h"

#include <gtest/gtest.h>

#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora::store {
namespace {

FolderRow sampleRow(const std::string& fileName) {
    FolderRow row;
    row.text = makeRowText({"U O r f A N", "2.4", "Report", "Ann <ann@example.org>",
                            "bob@example.org", "31 July 2001"});
    TObjListViewVLF& item = row.item;
    item.fileName = fileName;
    item.senderName = "Ann";
    item.senderAddress = "ann@example.org";
    item.bccList = {"Cy <cy@example.org>", "dee@example.org"};
    item.bccCount = 2;
    item.attachList = {"/h/InBox.000/" + fileName + ".att.a.txt"};
    item.attachCount = 1;
    item.mailDate = "Tue, 31 Jul 2001 15:30:45 +0200";
    item.sortDate = "20010731153045";
    item.subject = "Report";
    item.status = "U O r f A N";
    item.readAckStatus = "ask";
    item.priority = "H (High)";
    item.version = "4.6";
    item.sigBlockIndex = 2;
    item.closeAfterSending = true;
    item.readAck = true;
    item.sendOnePerRecipient = true;
    item.composeFrom = "me";
    item.composeOrganization = "Org";
    return row;
}

TEST(FolderIndex, RecordsRoundTripInTheirLineLayout) {
    const std::vector<FolderRow> rows = {sampleRow("2001.07.31.15.30.45.123"), FolderRow{}};
    const std::string bytes = formatFolderIndex(rows);
    // The first record line by line, as other programs and older runs read it.
    const std::string first =
        rows[0].text +
        "\r\n2001.07.31.15.30.45.123\r\nAnn\r\nann@example.org\r\n2\r\n"
        "Cy "
        "<cy@example.org>\r\ndee@example.org\r\n1\r\n/h/InBox.000/"
        "2001.07.31.15.30.45.123.att.a.txt\r\n"
        "Tue, 31 Jul 2001 15:30:45 +0200\r\n20010731153045\r\nReport\r\nU O r f A N\r\n2\r\n"
        "TRUE\r\nFALSE\r\nTRUE\r\nask\r\nFALSE\r\nTRUE\r\nH (High)\r\nme\r\n\r\nOrg\r\n4.6\r\n";
    EXPECT_EQ(bytes.substr(0, first.size()), first);

    // An empty row text still needs its five tabs to be a record.
    std::vector<FolderRow> expected = rows;
    expected[1].text = "\t\t\t\t\t";
    std::vector<FolderRow> written = expected;
    const IndexContent back = parseFolderIndex(formatFolderIndex(written));
    EXPECT_FALSE(back.damaged);
    ASSERT_EQ(back.rows.size(), 2u);
    EXPECT_EQ(back.rows[0].text, expected[0].text);
    EXPECT_EQ(back.rows[0].item, expected[0].item);
    EXPECT_EQ(back.rows[1].item, TObjListViewVLF{});
}

TEST(FolderIndex, ReadingRules) {
    FolderRow row = sampleRow("f");
    std::string bytes = formatFolderIndex({row});
    // Another read acknowledgement word leaves "null"; a flag is true only for "TRUE".
    const auto replace = [&](const std::string& from, const std::string& to) {
        bytes.replace(bytes.find(from), from.size(), to);
    };
    replace("\r\nask\r\n", "\r\nmaybe\r\n");
    replace("\r\nTRUE\r\nFALSE\r\nTRUE\r\n", "\r\ntrue\r\nFALSE\r\nTRUE\r\n");
    const IndexContent back = parseFolderIndex(bytes);
    ASSERT_EQ(back.rows.size(), 1u);
    EXPECT_EQ(back.rows[0].item.readAckStatus, "null");
    EXPECT_FALSE(back.rows[0].item.closeAfterSending);
    // LF-only line ends read alike; trailing empty lines are no record.
    std::string lf = formatFolderIndex({row, row});
    std::erase(lf, '\r');
    lf += "\n\n";
    const IndexContent lfBack = parseFolderIndex(lf);
    EXPECT_FALSE(lfBack.damaged);
    EXPECT_EQ(lfBack.rows.size(), 2u);
}

TEST(FolderIndex, LineBreaksInsideValuesCannotShiftLaterRecords) {
    FolderRow row = sampleRow("f");
    row.item.subject = "two\r\nlines";
    row.item.bccList[0] = "x\ny";
    const IndexContent back = parseFolderIndex(formatFolderIndex({row, sampleRow("g")}));
    ASSERT_EQ(back.rows.size(), 2u);
    EXPECT_EQ(back.rows[0].item.subject, "two  lines");
    EXPECT_EQ(back.rows[1].item.fileName, "g");
}

TEST(FolderIndex, DamageKeepsTheRecordsBeforeIt) {
    const std::string good = formatFolderIndex({sampleRow("a")});
    const std::string second = formatFolderIndex({sampleRow("b")});
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"count line that is not a number", good +
                                                [&] {
                                                    std::string s = second;
                                                    s.replace(s.find("\r\n2\r\n"), 5,
                                                              "\r\ntwo\r\n");
                                                    return s;
                                                }()},
        {"negative count", good +
                               [&] {
                                   std::string s = second;
                                   s.replace(s.find("\r\n2\r\n"), 5, "\r\n-2\r\n");
                                   return s;
                               }()},
        {"absurd count", good +
                             [&] {
                                 std::string s = second;
                                 s.replace(s.find("\r\n2\r\n"), 5, "\r\n999999999\r\n");
                                 return s;
                             }()},
        // Within the bound, but more lines than the rest of the file could hold: nothing is
        // reserved for it.
        {"count beyond the end of the file", good +
                                                 [&] {
                                                     std::string s = second;
                                                     s.replace(s.find("\r\n2\r\n"), 5,
                                                               "\r\n99999\r\n");
                                                     return s;
                                                 }()},
        {"record cut short", good + second.substr(0, second.size() / 2)},
        {"row text without its tabs",
         good + "just a line\r\n" + second.substr(second.find("\r\n") + 2)},
    };
    for (const auto& c : cases) {
        const IndexContent back = parseFolderIndex(c.bytes);
        EXPECT_TRUE(back.damaged) << c.what;
        ASSERT_EQ(back.rows.size(), 1u) << c.what;
        EXPECT_EQ(back.rows[0].item.fileName, "a") << c.what;
    }
    EXPECT_FALSE(parseFolderIndex("").damaged);
}

TEST(FolderIndex, FileWriteIsAtomicAndAFailureKeepsTheOldFile) {
    testing::TempDir dir;
    const auto file = dir / "InBox.dat";
    ASSERT_FALSE(writeFolderIndexFile(file, {sampleRow("a")}));
    ASSERT_TRUE(readFolderIndex(file));
    EXPECT_EQ(readFolderIndex(file)->rows.size(), 1u);
    EXPECT_FALSE(readFolderIndex(dir / "missing.dat"));

    // A folder directory that has become a plain file: the write fails and reports it.
    testing::writeFile(dir / "blocked", "x");
    EXPECT_TRUE(writeFolderIndexFile(dir / "blocked" / "InBox.dat", {sampleRow("a")}));
    EXPECT_EQ(testing::readFile(dir / "blocked"), "x");
}

TEST(FolderIndex, AFullDiskKeepsTheOldIndexWhole) {
    testing::SmallDisk disk(64 * 1024);
    VELMORA_SKIP_WITHOUT(disk);
    const auto file = disk.path() / "InBox.dat";
    ASSERT_FALSE(writeFolderIndexFile(file, {sampleRow("a")}));
    const std::string before = testing::readFile(file);
    EXPECT_TRUE(writeFolderIndexFile(file, std::vector<FolderRow>(500, sampleRow("b"))));
    EXPECT_EQ(testing::readFile(file), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(disk.path()),
                            std::filesystem::directory_iterator()),
              1);  // no temporary file left behind
}

}  // namespace
}  // namespace velmora::store
