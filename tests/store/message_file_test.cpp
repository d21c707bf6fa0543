#include "store/message_file.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/text_file.h"
#include "store/index_rebuild.h"
#include "support/fake_platform.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora::store {
namespace {

using testing::MessageSample;

std::vector<std::string> linesStartingWith(const std::string& text, const std::string& prefix) {
    std::vector<std::string> found;
    for (const auto& line : splitLines(text))
        if (line.rfind(prefix, 0) == 0) found.push_back(line);
    return found;
}

TEST(MessageFileName, LocalTimeWithMillisecondsAndNeverATakenName) {
    testing::TempDir dir;
    testing::FakeClock clock;
    clock.setLocalTime({2001, 7, 31, 15, 30, 45, 123, 2, 120});
    EXPECT_EQ(messageFileNameFor(clock.localNow()), "2001.07.31.15.30.45.123");

    // Two names asked for in the same millisecond differ; a name whose file exists is skipped.
    const std::string first = newMessageFileName(clock, dir.path());
    const std::string second = newMessageFileName(clock, dir.path());
    EXPECT_NE(first, second);
    testing::writeFile(dir / "2001.07.31.23.59.59.999.vlf", "x");
    clock.setLocalTime({2001, 7, 31, 23, 59, 59, 999, 2, 120});
    EXPECT_EQ(newMessageFileName(clock, dir.path()), "2001.08.01.00.00.00.000");  // over midnight
}

TEST(AttachmentNames, TildePrefixForTakenNamesAndSafeNamesOnly) {
    testing::TempDir dir;
    const std::string stem = "2001.07.31.15.30.45.123";
    EXPECT_EQ(uniqueAttachmentName(dir.path(), stem, "report.doc"), stem + ".att.report.doc");
    testing::writeFile(dir / (stem + ".att.report.doc"), "1");
    EXPECT_EQ(uniqueAttachmentName(dir.path(), stem, "report.doc"), stem + ".att.~1~report.doc");
    testing::writeFile(dir / (stem + ".att.~1~report.doc"), "2");
    EXPECT_EQ(uniqueAttachmentName(dir.path(), stem, "report.doc"), stem + ".att.~2~report.doc");
    // A name that already carries a prefix has it replaced, not doubled.
    EXPECT_EQ(uniqueAttachmentName(dir.path(), stem, "~1~report.doc"), stem + ".att.~2~report.doc");
    testing::writeFile(dir / (stem + ".att.~12~x"), "3");
    EXPECT_EQ(uniqueAttachmentName(dir.path(), stem, "~12~x"), stem + ".att.~1~x");
    EXPECT_EQ(uniqueAttachmentName(dir.path(), stem, "~123456~x"), stem + ".att.~123456~x");

    // A name from a message never leaves the folder.
    for (const char* hostile : {"../../etc/passwd", "..\\..\\boot.ini", "/abs/evil.sh", "..", ""}) {
        const auto name = uniqueAttachmentName(dir.path(), stem, hostile);
        ASSERT_TRUE(name) << hostile;
        EXPECT_EQ(name->find('/'), std::string::npos) << hostile;
        EXPECT_EQ(name->rfind(stem + ".att.", 0), 0u) << hostile;
    }
    // A very long name is shortened to fit one directory entry, keeping its extension.
    const auto longName = uniqueAttachmentName(dir.path(), stem, std::string(300, 'n') + ".pdf");
    ASSERT_TRUE(longName);
    EXPECT_LE(longName->size(), 255u);
    EXPECT_TRUE(longName->ends_with(".pdf"));
    testing::writeFile(dir / *longName, "long");
    EXPECT_EQ(testing::readFile(dir / *longName), "long");
}

TEST(AttachmentNames, OwnNameFollowsTheFirstAttInfix) {
    EXPECT_EQ(attachmentOwnName("2001.07.31.15.30.45.123.att.report.att.doc"), "report.att.doc");
    EXPECT_EQ(attachmentOwnName("plain.doc"), "plain.doc");
}

TEST(PrivateBlock, WrittenAfterTheOtherHeadersInBlockOrder) {
    testing::TempDir dir;
    MessageSample sample;
    sample.attachments = {{"a.txt", "alpha"}, {"b.bin", "beta"}, {"c.doc", "gamma"}};
    const TObjListViewVLF item = testing::storeMessage(dir.path(), sample);
    const std::string text = testing::readFile(messageFilePath(dir.path(), item.fileName));

    EXPECT_EQ(linesStartingWith(text, "X-VL-Attach-Lines: "),
              std::vector<std::string>{"X-VL-Attach-Lines: 3"});
    const auto paths = linesStartingWith(text, "X-VL-Attach-DrivePath");
    ASSERT_EQ(paths.size(), 3u);
    EXPECT_EQ(paths[0],
              "X-VL-Attach-DrivePath0: " + (dir / (sample.fileName + ".att.a.txt")).string());
    EXPECT_EQ(paths[2].rfind("X-VL-Attach-DrivePath2: ", 0), 0u);
    EXPECT_EQ(testing::readFile(dir / (sample.fileName + ".att.b.bin")), "beta");
    EXPECT_TRUE(linesStartingWith(text, "X-VL-BCC-Strings").empty());
    EXPECT_EQ(linesStartingWith(text, "X-VL-Priority: ").size(), 1u);  // the new-message spelling

    // The block runs from X-VL-filename to X-VL-VLversion with nothing between.
    const auto lines = splitLines(text);
    const auto first = std::find_if(lines.begin(), lines.end(),
                                    [](auto& l) { return l.rfind("X-VL-filename: ", 0) == 0; });
    const auto last = std::find(lines.begin(), lines.end(), "X-VL-VLversion: 4.6");
    ASSERT_NE(first, lines.end());
    ASSERT_NE(last, lines.end());
    EXPECT_EQ(std::count_if(first, last + 1, [](auto& l) { return l.rfind("X-VL-", 0) == 0; }),
              last - first + 1);
    EXPECT_EQ(last - first + 1, 21 + 3);  // 21 single lines (no blind copies) + 3 paths
}

TEST(PrivateBlock, NoAttachmentsMeansCountZeroAndNoPathLine) {
    MessageSample sample;
    mime::TmsMessage message = testing::buildMessage(sample);
    TObjListViewVLF item = testing::itemFor(sample);
    item.readAckStatus = "whatever";  // not one of the five words: the line is left out
    writePrivateHeaders(message, item, PrioritySpelling::ExistingMessage);
    const auto& lines = message.Headers().Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "X-VL-Attach-Lines: 0"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "X-VL-priority: N (Normal)"), lines.end());
    for (const auto& line : lines) {
        EXPECT_EQ(line.find("DrivePath"), std::string::npos);
        EXPECT_EQ(line.find("readAckStatus"), std::string::npos);
    }
}

TEST(PrivateBlock, RestampingTwiceLeavesOneBlock) {
    testing::TempDir dir;
    MessageSample sample;
    sample.attachments = {{"a.txt", "alpha"}};
    TObjListViewVLF item = testing::storeMessage(dir.path(), sample);
    item.status = "R O r f A N";
    ASSERT_FALSE(restampMessageFile(dir.path(), item));
    item.status = "R O R f A N";
    ASSERT_FALSE(restampMessageFile(dir.path(), item));
    const std::string text = testing::readFile(messageFilePath(dir.path(), item.fileName));
    EXPECT_EQ(linesStartingWith(text, "X-VL-filename: ").size(), 1u);
    EXPECT_EQ(linesStartingWith(text, "X-VL-Attach-DrivePath0: ").size(), 1u);
    EXPECT_EQ(linesStartingWith(text, "X-VL-status: "),
              std::vector<std::string>{"X-VL-status: R O R f A N"});
    // Whichever spelling of the priority line, it is read back and written once.
    EXPECT_EQ(linesStartingWith(text, "X-VL-Priority: ").size() +
                  linesStartingWith(text, "X-VL-priority: ").size(),
              1u);

    TObjListViewVLF gone = item;
    gone.fileName = "1999.01.01.00.00.00.000";
    EXPECT_EQ(restampMessageFile(dir.path(), gone),
              "Create PZListView X-Header Structure Error 8048");
}

TEST(PrivateBlock, StrippingRemovesEveryBlockLineOldOnesAndContinuations) {
    mime::TmsMessage message;
    message.Headers().Lines() = {"Received: from a",
                                 "X-VL-filename: forged",
                                 "X-VL-Attach-DrivePath0: /etc/passwd",
                                 "X-Attach-Lines: 1",
                                 "X-Attach-DrivePath0: C:\\old",
                                 "\tcontinued",
                                 "X-VL-subject: one",
                                 " two",
                                 "X-VL-Attach-DrivePathX: kept",
                                 "X-Mailer: kept"};
    stripPrivateHeaders(message, TObjListViewVLF{});
    EXPECT_EQ(message.Headers().Lines(),
              (std::vector<std::string>{"Received: from a", "X-VL-Attach-DrivePathX: kept",
                                        "X-Mailer: kept"}));
}

TEST(PrivateValues, FirstLineCaseInsensitiveWithContinuations) {
    mime::TmsHeaders headers({"x-vl-SUBJECT:  Hello ", "\tworld", "X-VL-subject: second",
                              "X-VL-status:R O r f a N", "X-VL-empty:"});
    EXPECT_EQ(readPrivateValue(headers, "X-VL-subject"), "Hello world");
    // The one character after the colon is skipped whatever it is.
    EXPECT_EQ(readPrivateValue(headers, "X-VL-status"), "O r f a N");
    EXPECT_EQ(readPrivateValue(headers, "X-VL-empty"), "");
    EXPECT_EQ(readPrivateValue(headers, "X-VL-missing"), "");
}

TEST(PrivateValues, ListCountsClaimNoMoreEntriesThanTheHeadersHaveLines) {
    mime::TmsMessage message;
    message.Headers().Lines() = {"X-VL-BCC-Lines: 100000", "X-VL-BCC-Strings0: cy@example.org",
                                 "X-VL-Attach-Lines: 2", "X-VL-Attach-DrivePath1: /b.txt"};
    const TObjListViewVLF item = itemFromMessage(message, "2001.07.31.15.30.45.123");
    EXPECT_EQ(item.bccCount, 4);
    ASSERT_EQ(item.bccList.size(), 4u);
    EXPECT_EQ(item.bccList[0], "cy@example.org");
    // A genuine count keeps its missing entries as empty paths.
    EXPECT_EQ(item.attachList, (std::vector<std::string>{"", "/b.txt"}));
}

TEST(MessageFile, BodyLosesOnlyItsLastLineBreak) {
    testing::TempDir dir;
    MessageSample sample;
    sample.body = {"text", "", ""};  // "text\r\n\r\n\r\n" less the last break
    mime::TmsMessage message = testing::buildMessage(sample);
    trimBodyLineBreaks(message);
    EXPECT_EQ(message.Body(), (std::vector<std::string>{"text", ""}));

    // Saved and read back: "text CR LF CR LF" ends in one empty line less.
    sample.body = {"text", ""};
    message = testing::buildMessage(sample);
    ASSERT_FALSE(saveMessageFile(message, dir / "m.vlf"));
    mime::TmsMessage back;
    ASSERT_FALSE(loadMessageFile(dir / "m.vlf", back));
    EXPECT_EQ(back.Body(), std::vector<std::string>{"text"});
}

TEST(MessageFile, WriteThenRebuildGivesTheSameItem) {
    testing::TempDir dir;
    MessageSample sample;
    sample.attachments = {{"a.txt", "alpha"}, {"b.txt", "beta"}};
    mime::TmsMessage message = testing::buildMessage(sample);
    TObjListViewVLF item = testing::itemFor(sample);
    ASSERT_FALSE(saveAttachmentFiles(message, dir.path(), item));
    item.sortDate = "20010731153045";
    item.bccList = {"Cy <cy@example.org>", "dee@example.org"};
    item.readAckStatus = "later";
    item.priority = "1 (High)";
    item.sigBlockIndex = 3;
    item.closeAfterSending = item.saveToSent = true;
    item.composeFrom = "Ann <ann@example.org>";
    item.composeReplyTo = "replies@example.org";
    item.composeOrganization = "Example Org";
    item.mailDate = "kept in the block only";
    item.subject = "likewise";
    ASSERT_FALSE(writeMessageFile(message, item, dir.path(), PrioritySpelling::NewMessage));

    mime::TmsMessage loaded;
    ASSERT_FALSE(loadMessageFile(messageFilePath(dir.path(), item.fileName), loaded));
    const TObjListViewVLF back = itemFromMessage(loaded, item.fileName);
    TObjListViewVLF expected = item;
    expected.mailDate = sample.date;    // from the Date header
    expected.subject = sample.subject;  // from the Subject header
    EXPECT_EQ(back, expected);
}

TEST(MessageFile, FileWithoutBlockRebuildsIntoAnEmptyItem) {
    mime::TmsMessage loaded;
    loaded.LoadFromString("From: a@b\r\nSubject: hi\r\nX-VL-sigBlockCBOIndex: x\r\n\r\nbody\r\n");
    const TObjListViewVLF item = itemFromMessage(loaded, "name");
    EXPECT_EQ(item.fileName, "name");
    EXPECT_EQ(item.subject, "hi");
    EXPECT_EQ(item.status, "");
    EXPECT_EQ(item.sigBlockIndex, 0);
    EXPECT_EQ(item.attachCount, 0);
    EXPECT_FALSE(item.saveToSent);
    EXPECT_EQ(item.readAckStatus, "null");
}

TEST(MessageFile, FailuresKeepThePreviousFile) {
    testing::SmallDisk disk(64 * 1024);
    VELMORA_SKIP_WITHOUT(disk);
    MessageSample sample;
    const TObjListViewVLF stored = testing::storeMessage(disk.path(), sample);
    const auto file = messageFilePath(disk.path(), stored.fileName);
    const std::string before = testing::readFile(file);

    // A body far larger than the disk: the save fails and the old file is whole.
    mime::TmsMessage big = testing::buildMessage(sample);
    big.SetBody(std::vector<std::string>(4000, std::string(60, 'x')));
    TObjListViewVLF item = stored;
    EXPECT_TRUE(writeMessageFile(big, item, disk.path(), PrioritySpelling::ExistingMessage));
    EXPECT_EQ(testing::readFile(file), before);

    // Attachments that do not fit: none is left behind and the item is unchanged.
    mime::TmsMessage withFiles = testing::buildMessage(sample);
    auto attachment = std::make_unique<mime::TmsAttItem>();
    attachment->SetFileName("small.txt");
    attachment->Data().Write("small");
    withFiles.Attachments().Add(std::move(attachment));
    attachment = std::make_unique<mime::TmsAttItem>();
    attachment->SetFileName("huge.bin");
    attachment->Data().Write(std::string(200 * 1024, 'h'));
    withFiles.Attachments().Add(std::move(attachment));
    TObjListViewVLF other = testing::itemFor(sample);
    EXPECT_TRUE(saveAttachmentFiles(withFiles, disk.path(), other));
    EXPECT_TRUE(other.attachList.empty());
    EXPECT_EQ(listMessageFiles(disk.path()).size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(disk.path() / (sample.fileName + ".att.small.txt")));
}

TEST(MessageFile, PrivateBlockLinesRemovedFromAQuotedText) {
    std::vector<std::string> lines = {"a", "X-VL-filename: x", "X-VL-status: U",
                                      "X-VL-VLversion: 4.6", "b"};
    removePrivateBlockLines(lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b"}));
    std::vector<std::string> reversed = {"X-VL-VLversion: 4.6", "c", "X-VL-filename: x"};
    removePrivateBlockLines(reversed);
    EXPECT_EQ(reversed.size(), 3u);  // not in that order: untouched
}

}  // namespace
}  // namespace velmora::store
