#include "store/server_copy.h"

#include <gtest/gtest.h>

#include "base/text_file.h"
#include "store/message_file.h"
#include "store/message_transfer.h"
#include "store/server_deletions.h"
#include "support/fake_platform.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora::store {
namespace {

using testing::MessageSample;

const ServerCopy kCopy{"uid-17", "Home Office"};

TEST(ServerCopy, TheNoteTravelsWithTheMessageAndIsNeverShownOrSent) {
    testing::TempDir home;
    const auto inbox = home / "InBox.000";
    const auto trash = home / "Trash.000";
    std::filesystem::create_directories(trash);
    testing::FakeClock clock;
    clock.setLocalTime({2032, 1, 5, 9, 0, 0, 0, 1, 60});
    for (const bool withAttachment : {false, true}) {
        SCOPED_TRACE(withAttachment ? "with an attachment" : "without attachments");
        MessageSample sample;
        sample.fileName = withAttachment ? "2001.01.01.00.00.00.002" : "2001.01.01.00.00.00.001";
        sample.serverCopy = kCopy;
        if (withAttachment) sample.attachments = {{"a.txt", "alpha"}};
        TObjListViewVLF item = testing::storeMessage(inbox, sample);
        // Marking the row re-stamps the block; moving to Trash copies the message.
        item.status[0] = 'R';
        ASSERT_FALSE(restampMessageFile(inbox, item));
        const CopyOutcome moved = copyStoredMessage(inbox, item, trash, clock);
        ASSERT_TRUE(moved.item) << moved.failure;
        const auto file = messageFilePath(trash, moved.item->fileName);
        EXPECT_EQ(readServerCopy(file), kCopy);

        mime::TmsMessage message;
        ASSERT_FALSE(loadMessageFile(file, message));
        EXPECT_EQ(serverCopyOf(message.Headers()), kCopy);
        // Inside the block, so whatever drops the block drops the note.
        std::vector<std::string> lines = message.Headers().Lines();
        removePrivateBlockLines(lines);
        for (const auto& line : lines) EXPECT_EQ(line.find(kServerCopyHeader), std::string::npos);
        stripPrivateHeaders(message, *moved.item);
        EXPECT_EQ(serverCopyOf(message.Headers()), std::nullopt);
    }
}

TEST(ServerCopy, OnlyTheOneSetCountsAndDamagedNotesNameNothing) {
    mime::TmsHeaders headers;
    headers.Add("X-VL-serverCopy: uid-1 Victim");  // brought by a received message
    headers.Add("X-VL-serverCopy: uid-2 Other");
    headers.Add("X-VL-VLversion: 4.6");
    setServerCopy(headers, kCopy);
    EXPECT_EQ(headers.Lines(),
              (std::vector<std::string>{serverCopyLine(kCopy), "X-VL-VLversion: 4.6"}));
    setServerCopy(headers, std::nullopt);
    EXPECT_EQ(headers.Lines(), std::vector<std::string>{"X-VL-VLversion: 4.6"});

    for (const char* damaged :
         {"X-VL-serverCopy: uid-1", "X-VL-serverCopy:  Home", "X-VL-serverCopy: \x7F Home"}) {
        mime::TmsHeaders one;
        one.Add(damaged);
        EXPECT_EQ(serverCopyOf(one), std::nullopt) << damaged;
    }
}

TEST(ServerCopy, ReadingTheNoteStopsAtTheEndOfTheHeader) {
    testing::TempDir home;
    // A note-like line in the body is text, not a note.
    ASSERT_FALSE(
        writeFileAtomically(home / "a.vlf", "Subject: x\r\n\r\nX-VL-serverCopy: uid-1 Home\r\n"));
    EXPECT_EQ(readServerCopy(home / "a.vlf"), std::nullopt);
    EXPECT_EQ(readServerCopy(home / "missing.vlf"), std::nullopt);
    std::filesystem::create_directories(home / "dir.vlf");
    EXPECT_EQ(readServerCopy(home / "dir.vlf"), std::nullopt);
}

TEST(ServerDeletions, QueuedOnceDurablyAndRemovedWithoutLosingLaterOnes) {
    testing::TempDir home;
    const auto file = home / "Home.dele";
    ServerDeletions queue(file);
    ASSERT_FALSE(queue.add("uid-1"));
    ASSERT_FALSE(queue.add("uid-2"));
    ASSERT_FALSE(queue.add("uid-1"));
    EXPECT_EQ(queue.add("has space"), std::errc::invalid_argument);
    EXPECT_EQ(testing::readFile(file), "46\r\nuid-1\r\nuid-2\r\n");

    // A session read uid-1 and uid-2; meanwhile another deletion was queued.
    ServerDeletions session(file);
    ASSERT_FALSE(ServerDeletions(file).add("uid-3"));
    ASSERT_FALSE(session.remove({"uid-1", "uid-2"}));
    EXPECT_EQ(ServerDeletions(file).uidls(), std::vector<std::string>{"uid-3"});
    ASSERT_FALSE(session.remove({"uid-3"}));
    EXPECT_FALSE(std::filesystem::exists(file));

    // A line cut short by a crash is not an identifier.
    ASSERT_FALSE(writeFileAtomically(file, "46\r\nuid-1\r\nuid-"));
    EXPECT_EQ(ServerDeletions(file).uidls(), std::vector<std::string>{"uid-1"});
}

}  // namespace
}  // namespace velmora::store
