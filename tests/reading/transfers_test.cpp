#include "reading/transfers.h"

#include <gtest/gtest.h>

#include "fake_host.h"
#include "profiles/profile.h"
#include "store/index_rebuild.h"
#include "store/message_file.h"
#include "store/server_deletions.h"
#include "support/fake_platform.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora::reading {
namespace {

using testing::MessageSample;

struct TransfersTest : ::testing::Test {
    testing::TempDir home;
    testing::FakePlatform fake;
    profiles::Settings settings;
    testing::FakeFolderHost host{fake, home.path(), settings};
    std::filesystem::path inbox = home / "InBox.000";
    std::filesystem::path trash = home / "Trash.000";
    std::filesystem::path work = home / "Work.001";

    TransfersTest() {
        for (const auto& dir : {inbox, trash, work, home / "OutBox.000"})
            std::filesystem::create_directories(dir);
        settings.other.confirmDelete = false;
    }

    // n messages in InBox, subjects "m1".."mn", in that list order.
    TinboxForm& inboxWith(int n,
                          std::vector<std::pair<std::string, std::string>> attachments = {}) {
        for (int i = 1; i <= n; ++i) {
            MessageSample sample;
            sample.fileName = "2001.01.01.00.00.00.00" + std::to_string(i);
            sample.subject = "m" + std::to_string(i);
            sample.date = "Tue, 0" + std::to_string(i) + " Jul 2001 10:00:00 +0000";
            sample.attachments = attachments;
            testing::storeMessage(inbox, sample);
        }
        return host.openFolderWindow("InBox", true);
    }

    static std::vector<std::string> subjects(const TinboxForm& window) {
        std::vector<std::string> found;
        for (std::size_t i = 0; i < window.rowCount(); ++i) found.push_back(window.columns(i)[2]);
        return found;
    }
};

TEST_F(TransfersTest, DeleteMovesToTrashThenDeletingInTrashIsPermanent) {
    TinboxForm& source = inboxWith(1, {{"a.txt", "alpha"}});
    const store::TObjListViewVLF original = source.rows()[0].item;
    source.clickRow(0);
    deleteSelected(source, host, fake);

    EXPECT_EQ(source.rowCount(), 0u);
    EXPECT_EQ(store::countMessageFiles(inbox), 0u);
    EXPECT_FALSE(std::filesystem::exists(original.attachList[0]));
    TinboxForm* trashWindow = host.findFolderWindow("Trash");
    ASSERT_NE(trashWindow, nullptr);
    EXPECT_FALSE(trashWindow->visible());  // opened hidden
    ASSERT_EQ(trashWindow->rowCount(), 1u);
    const store::TObjListViewVLF moved = trashWindow->rows()[0].item;
    EXPECT_NE(moved.fileName, original.fileName);
    EXPECT_TRUE(std::filesystem::exists(store::messageFilePath(trash, moved.fileName)));
    ASSERT_EQ(moved.attachList.size(), 1u);
    EXPECT_EQ(testing::readFile(moved.attachList[0]), "alpha");
    EXPECT_EQ(trashWindow->currentRow(), 0);
    EXPECT_TRUE(source.indexDirty());
    EXPECT_TRUE(trashWindow->indexDirty());

    trashWindow->clickRow(0);
    deleteSelected(*trashWindow, host, fake);
    EXPECT_EQ(trashWindow->rowCount(), 0u);
    EXPECT_TRUE(std::filesystem::is_empty(trash));
}

TEST_F(TransfersTest, DeletingForGoodFromTrashQueuesTheServerCopyOfItsProfile) {
    const auto writeProfile = [&](const std::string& name, bool deleteWithTrash,
                                  std::vector<std::string> formerNames = {}) {
        profiles::TUsersObjListBox profile;
        profile.profileName = name;
        profile.leaveOnServer = true;
        profile.deleteFromServerWithTrash = deleteWithTrash;
        profile.formerNames = std::move(formerNames);
        ASSERT_FALSE(
            profiles::writeProfileFile(profiles::profileFilePath(home.path(), name), profile));
    };
    writeProfile("Home", true);
    writeProfile("Keep", false);
    writeProfile("Office", true, {"Work"});  // renamed from "Work"
    writeProfile("New", true, {"Old"});      // renamed from "Old", and then
    writeProfile("Old", true);               // a new profile took the old name
    ASSERT_FALSE(profiles::writeMasterUsr(home.path(), {"Home", "Keep", "Office", "New", "Old"}));
    std::filesystem::create_directories(home / "sub");
    writeProfile("sub/Home", true);
    const std::pair<const char*, store::ServerCopy> messages[] = {
        {"home", {"uid-1", "Home"}},
        {"keep", {"uid-2", "Keep"}},      // its profile keeps server copies
        {"gone", {"uid-3", "No Such"}},   // no profile of that name
        {"path", {"uid-4", "sub/Home"}},  // a note names a profile, never a path
        {"work", {"uid-6", "Work"}},      // stored before the rename
        {"old", {"uid-7", "Old"}},        // two profiles could be meant: left alone
        {"shift", {"uid-5", "Home"}},     // deleted for good without visiting Trash
    };
    for (std::size_t i = 0; i < std::size(messages); ++i) {
        MessageSample sample;
        sample.fileName = "2001.01.01.00.00.00.00" + std::to_string(i + 1);
        sample.subject = messages[i].first;
        sample.serverCopy = messages[i].second;
        testing::storeMessage(inbox, sample);
    }
    TinboxForm& source = host.openFolderWindow("InBox", true);
    source.clickRow(6);
    fake.system.shift = true;
    deleteSelected(source, host, fake);
    fake.system.shift = false;
    source.selectAll();
    deleteSelected(source, host, fake);
    TinboxForm& trashWindow = *host.findFolderWindow("Trash");
    ASSERT_EQ(trashWindow.rowCount(), 6u);
    trashWindow.selectAll();
    deleteSelected(trashWindow, host, fake);

    EXPECT_EQ(trashWindow.rowCount(), 0u);
    EXPECT_EQ(store::ServerDeletions(home / "Home.dele").uidls(),
              std::vector<std::string>{"uid-1"});
    EXPECT_EQ(store::ServerDeletions(home / "Office.dele").uidls(),
              std::vector<std::string>{"uid-6"});
    EXPECT_FALSE(std::filesystem::exists(home / "Old.dele"));
    EXPECT_FALSE(std::filesystem::exists(home / "New.dele"));
    EXPECT_FALSE(std::filesystem::exists(home / "Work.dele"));
    EXPECT_FALSE(std::filesystem::exists(home / "Keep.dele"));
    EXPECT_FALSE(std::filesystem::exists(home / "No Such.dele"));
    EXPECT_FALSE(std::filesystem::exists(home / "sub" / "Home.dele"));
    EXPECT_TRUE(fake.dialogs.texts("warning").empty());
}

TEST_F(TransfersTest, ShiftDeleteRemovesAtOnceWithoutVisitingTrash) {
    TinboxForm& source = inboxWith(2, {{"a.txt", "alpha"}});
    source.clickRow(0);
    fake.system.shift = true;
    deleteSelected(source, host, fake);
    EXPECT_EQ(subjects(source), std::vector<std::string>{"m2"});
    EXPECT_EQ(store::countMessageFiles(inbox), 1u);
    EXPECT_EQ(store::countMessageFiles(trash), 0u);
    EXPECT_FALSE(std::filesystem::exists(inbox / "2001.01.01.00.00.00.001.att.a.txt"));

    // Shift never makes a move permanent.
    source.clickRow(0);
    moveSelected(source, "Work", host, fake);
    EXPECT_EQ(store::countMessageFiles(work), 1u);
}

TEST_F(TransfersTest, ConfirmationIsAskedForDeletingOnlyAndNoEndsIt) {
    settings.other.confirmDelete = true;
    TinboxForm& source = inboxWith(3);
    source.clickRow(0);
    moveSelected(source, "Work", host, fake);
    EXPECT_TRUE(fake.dialogs.texts("question").empty());
    EXPECT_EQ(source.rowCount(), 2u);

    source.clickRow(0);
    fake.dialogs.answers = {platform::Answer::No};
    deleteSelected(source, host, fake);
    ASSERT_EQ(fake.dialogs.texts("question"),
              std::vector<std::string>{"Confirm mail message deletion?"});
    EXPECT_EQ(fake.dialogs.shown.back().title, "Confirmation Message");
    EXPECT_EQ(source.rowCount(), 2u);

    source.selectAll();
    fake.dialogs.answers = {platform::Answer::Yes};
    deleteSelected(source, host, fake);
    ASSERT_EQ(fake.dialogs.texts("question").size(), 2u);
    EXPECT_EQ(fake.dialogs.texts("question")[1], "Confirm deleting mail message(s)?");
    EXPECT_EQ(source.rowCount(), 0u);
    EXPECT_EQ(host.findFolderWindow("Trash")->rowCount(), 2u);
}

TEST_F(TransfersTest, CopyWithTwoAttachmentsLeavesTheSourceUnchanged) {
    TinboxForm& source = inboxWith(1, {{"report.doc", "doc"}, {"photo.jpg", "jpg"}});
    const std::string sourceIndexRow = source.rows()[0].text;
    source.clickRow(0);
    copySelected(source, "Work", host, fake);

    EXPECT_EQ(source.rowCount(), 1u);
    EXPECT_EQ(source.rows()[0].text, sourceIndexRow);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(inbox), {}), 3);
    TinboxForm& target = *host.findFolderWindow("Work");
    ASSERT_EQ(target.rowCount(), 1u);
    const store::TObjListViewVLF& copy = target.rows()[0].item;
    EXPECT_EQ(target.rows()[0].text, sourceIndexRow);  // the row text travels unchanged
    EXPECT_TRUE(std::filesystem::exists(store::messageFilePath(work, copy.fileName)));
    ASSERT_EQ(copy.attachList.size(), 2u);
    EXPECT_EQ(copy.attachList[0], (work / (copy.fileName + ".att.report.doc")).string());
    EXPECT_EQ(copy.attachList[1], (work / (copy.fileName + ".att.photo.jpg")).string());
    EXPECT_EQ(testing::readFile(copy.attachList[1]), "jpg");
}

TEST_F(TransfersTest, MovingThreeOfFiveRowsLeavesTheOtherTwoInOrder) {
    TinboxForm& source = inboxWith(5);
    source.clickRow(1);
    source.setSelected(2, true);
    source.setSelected(4, true);
    // Read windows of rows 1 (moved), 3 (kept, moves up by two) and 4 (moved).
    host.readWindows = {{"InBox", 1}, {"InBox", 3}, {"InBox", 4}, {"Work", 3}};
    moveSelected(source, "Work", host, fake);

    EXPECT_EQ(subjects(source), (std::vector<std::string>{"m1", "m4"}));
    EXPECT_EQ(source.currentRow(), 1);  // the row now at the old current index
    EXPECT_EQ(source.selectedRows(), std::vector<int>{1});
    EXPECT_EQ(store::countMessageFiles(inbox), 2u);
    TinboxForm& target = *host.findFolderWindow("Work");
    EXPECT_EQ(subjects(target), (std::vector<std::string>{"m2", "m3", "m5"}));
    EXPECT_EQ(target.currentRow(), 2);  // ascending: the last row
    EXPECT_EQ(store::countMessageFiles(work), 3u);
    EXPECT_EQ(host.readWindows,
              (std::vector<std::pair<std::string, int>>{{"InBox", 1}, {"Work", 3}}));
}

TEST_F(TransfersTest, DeletingAReadWindowsRowClosesItAndLaterOnesCountDown) {
    TinboxForm& source = inboxWith(3);
    host.readWindows = {{"InBox", 0}, {"InBox", 2}};
    source.clickRow(0);
    fake.system.shift = true;
    deleteSelected(source, host, fake);
    EXPECT_EQ(host.readWindows, (std::vector<std::pair<std::string, int>>{{"InBox", 1}}));
}

TEST_F(TransfersTest, AFailedCopyKeepsTheSourceAndAddsNothing) {
    TinboxForm& source = inboxWith(2, {{"a.txt", "alpha"}});
    // The target folder's directory is replaced by a plain file after its window opened.
    TinboxForm& target = host.openFolderWindow("Work", false);
    std::filesystem::remove_all(work);
    testing::writeFile(work, "not a directory");
    source.selectAll();
    transferSelected(source, target, kMoveOptions, host, fake);

    ASSERT_EQ(fake.dialogs.texts("warning").size(), 1u);
    EXPECT_EQ(fake.dialogs.texts("warning")[0].rfind("File I/O Error 12530\r", 0), 0u);
    EXPECT_EQ(source.rowCount(), 2u);
    EXPECT_EQ(store::countMessageFiles(inbox), 2u);
    EXPECT_TRUE(std::filesystem::exists(inbox / "2001.01.01.00.00.00.001.att.a.txt"));
    EXPECT_EQ(target.rowCount(), 0u);
}

TEST_F(TransfersTest, AFullTargetDiskLosesNoMessage) {
    testing::SmallDisk disk(100 * 1024);
    VELMORA_SKIP_WITHOUT(disk);
    // Home on the small disk; each message ~60 KB, so the second move runs out of room.
    profiles::Settings diskSettings;
    diskSettings.other.confirmDelete = false;
    testing::FakeFolderHost diskHost(fake, disk.path(), diskSettings);
    std::filesystem::create_directories(disk.path() / "Work.001");
    for (int i = 1; i <= 3; ++i) {
        MessageSample sample;
        sample.fileName = "2001.01.01.00.00.00.00" + std::to_string(i);
        sample.subject = "m" + std::to_string(i);
        sample.body.assign(1000, std::string(60, 'b'));
        testing::storeMessage(inbox, sample);
    }
    TinboxForm& source = host.openFolderWindow("InBox", true);
    TinboxForm& target = diskHost.openFolderWindow("Work", false);
    source.selectAll();
    transferSelected(source, target, kMoveOptions, host, fake);

    ASSERT_EQ(fake.dialogs.texts("warning").size(), 1u);
    // Every message is in exactly one of the two folders.
    EXPECT_EQ(source.rowCount() + target.rowCount(), 3u);
    EXPECT_EQ(store::countMessageFiles(inbox), source.rowCount());
    EXPECT_EQ(store::countMessageFiles(disk.path() / "Work.001"), target.rowCount());
    EXPECT_GE(source.rowCount(), 1u);
}

TEST_F(TransfersTest, EmptyingTrashAtShutdownDeletesEverythingAndTheIndex) {
    TinboxForm& source = inboxWith(3);
    source.selectAll();
    deleteSelected(source, host, fake);
    TinboxForm& trashWindow = *host.findFolderWindow("Trash");
    trashWindow.writeFolderIndex();
    ASSERT_TRUE(std::filesystem::exists(trash / "Trash.dat"));
    trashWindow.selectAll();
    emptyTrashFolder(trashWindow, host, fake);
    EXPECT_EQ(trashWindow.rowCount(), 0u);
    EXPECT_TRUE(std::filesystem::is_empty(trash));
}

TEST_F(TransfersTest, MoveTargetsThatMayNotReceiveAreIgnored) {
    TinboxForm& source = inboxWith(1);
    source.clickRow(0);
    moveSelected(source, "InBox", host, fake);  // itself
    EXPECT_EQ(source.rowCount(), 1u);
    EXPECT_EQ(host.findFolderWindow("Work"), nullptr);
}

}  // namespace
}  // namespace velmora::reading
