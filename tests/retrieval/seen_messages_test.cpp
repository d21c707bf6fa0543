#include "retrieval/seen_messages.h"

#include <gtest/gtest.h>

#include "base/text_file.h"
#include "support/temp_dir.h"

namespace velmora::retrieval {
namespace {

using testing::readFile;
using testing::TempDir;
using testing::writeFile;

TEST(SeenMessages, EachStoredMessageIsOnDiskAtOnceAndReadBackByTheNextSession) {
    TempDir home;
    const auto file = home / "Home.uidl";
    {
        SeenMessages seen(file);
        EXPECT_EQ(seen.size(), 0u);
        ASSERT_FALSE(seen.record("a1", 20000));
        ASSERT_FALSE(seen.record("b2", 20001));
        ASSERT_FALSE(seen.record("a1", 20005));  // already there: keeps its first day
        // The session ends here without keepOnly, as an interrupted one does.
    }
    EXPECT_EQ(readFile(file), "46\r\na1\t20000\r\nb2\t20001\r\n");
    const SeenMessages next(file);
    EXPECT_TRUE(next.contains("a1"));
    EXPECT_TRUE(next.contains("b2"));
    EXPECT_FALSE(next.contains("c3"));
    EXPECT_EQ(next.firstStored("a1"), 20000);
    EXPECT_EQ(next.firstStored("c3"), -1);
}

TEST(SeenMessages, ALineCutShortOrDamagedIsSkipped) {
    TempDir home;
    writeFile(home / "x.uidl", "46\r\ngood\t5\r\nno-tab\r\nbad day\tx\r\n" + std::string(71, 'l') +
                                   "\t1\r\ntorn\t7");
    const SeenMessages seen(home / "x.uidl");
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen.contains("good"));
    EXPECT_FALSE(seen.contains("torn"));
}

TEST(SeenMessages, InvalidIdentifiersAreRefusedAndNothingIsWritten) {
    TempDir home;
    SeenMessages seen(home / "x.uidl");
    for (const std::string& bad : {std::string(), std::string("has space"), std::string(71, 'a'),
                                   std::string("tab\there"), std::string("\x7F")})
        EXPECT_EQ(seen.record(bad, 1), std::errc::invalid_argument) << bad;
    EXPECT_FALSE(std::filesystem::exists(home / "x.uidl"));
    EXPECT_TRUE(isValidUidl(std::string(70, '~')));
}

TEST(SeenMessages, KeepOnlyDropsWhatTheServerNoLongerHolds) {
    TempDir home;
    SeenMessages seen(home / "x.uidl");
    ASSERT_FALSE(seen.record("gone", 1));
    ASSERT_FALSE(seen.record("kept", 2));
    ASSERT_FALSE(seen.keepOnly({"new", "kept", "kept"}));
    EXPECT_EQ(readFile(home / "x.uidl"), "46\r\nkept\t2\r\n");
    EXPECT_FALSE(SeenMessages(home / "x.uidl").contains("gone"));
}

TEST(SeenMessages, MessagesAreDueForDeletionAfterTheirDays) {
    TempDir home;
    SeenMessages seen(home / "x.uidl");
    ASSERT_FALSE(seen.record("old", 100));
    ASSERT_FALSE(seen.record("young", 109));
    const std::vector<std::string> server = {"old", "young", "unseen"};
    EXPECT_EQ(seen.dueForDeletion(server, 110, 10), std::vector<std::string>{"old"});
    EXPECT_TRUE(seen.dueForDeletion(server, 110, 0).empty());  // never
    EXPECT_EQ(dayOf(86400 * 3 + 5), 3);
    EXPECT_EQ(dayOf(-1), -1);
}

}  // namespace
}  // namespace velmora::retrieval
