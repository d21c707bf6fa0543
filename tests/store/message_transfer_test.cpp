#include "store/message_transfer.h"

#include <gtest/gtest.h>

#include "base/text_file.h"
#include "store/index_rebuild.h"
#include "store/message_file.h"
#include "support/fake_platform.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora::store {
namespace {

using testing::MessageSample;

// New file names never repeat within a run, so each test that checks them starts its clock in
// a year of its own.
struct Folders {
    testing::TempDir home;
    std::filesystem::path inbox = home / "InBox.000";
    std::filesystem::path work = home / "Work.001";
    testing::FakeClock clock;
    explicit Folders(int year = 2026) {
        std::filesystem::create_directories(inbox);
        std::filesystem::create_directories(work);
        clock.setLocalTime({year, 12, 10, 9, 30, 0, 0, 4, 60});
    }
};

TEST(CopyStoredMessage, WithoutAttachmentsTheFileIsCopiedUnchanged) {
    Folders f(2031);
    const TObjListViewVLF item = testing::storeMessage(f.inbox, MessageSample{});
    const CopyOutcome outcome = copyStoredMessage(f.inbox, item, f.work, f.clock);
    ASSERT_TRUE(outcome.item) << outcome.failure;
    EXPECT_EQ(outcome.item->fileName, "2031.12.10.09.30.00.000");
    TObjListViewVLF expected = item;
    expected.fileName = outcome.item->fileName;
    EXPECT_EQ(*outcome.item, expected);
    EXPECT_EQ(testing::readFile(messageFilePath(f.work, outcome.item->fileName)),
              testing::readFile(messageFilePath(f.inbox, item.fileName)));
}

TEST(CopyStoredMessage, AttachmentsGetTheNewNameAndTheBlockIsRewritten) {
    Folders f(2032);
    MessageSample sample;
    sample.attachments = {{"report.doc", "doc bytes"}, {"photo.jpg", "jpg bytes"}};
    const TObjListViewVLF item = testing::storeMessage(f.inbox, sample);
    // A file of the new attachment name is there already: the copy takes the ~1~ name.
    testing::writeFile(f.work / "2032.12.10.09.30.00.000.att.photo.jpg", "other");

    const CopyOutcome outcome = copyStoredMessage(f.inbox, item, f.work, f.clock);
    ASSERT_TRUE(outcome.item) << outcome.failure;
    const TObjListViewVLF& copy = *outcome.item;
    ASSERT_EQ(copy.attachList.size(), 2u);
    EXPECT_EQ(copy.attachList[0], (f.work / "2032.12.10.09.30.00.000.att.report.doc").string());
    EXPECT_EQ(copy.attachList[1], (f.work / "2032.12.10.09.30.00.000.att.~1~photo.jpg").string());
    EXPECT_EQ(testing::readFile(copy.attachList[1]), "jpg bytes");
    EXPECT_EQ(testing::readFile(f.work / "2032.12.10.09.30.00.000.att.photo.jpg"), "other");

    mime::TmsMessage loaded;
    ASSERT_FALSE(loadMessageFile(messageFilePath(f.work, copy.fileName), loaded));
    EXPECT_EQ(readPrivateValue(loaded.Headers(), "X-VL-filename"), copy.fileName);
    EXPECT_EQ(readPrivateValue(loaded.Headers(), "X-VL-Attach-DrivePath1"), copy.attachList[1]);
    // The source is untouched.
    EXPECT_EQ(testing::readFile(item.attachList[0]), "doc bytes");
    EXPECT_EQ(countMessageFiles(f.inbox), 1u);
}

TEST(CopyStoredMessage, AFailureLeavesNothingInTheTarget) {
    Folders f;
    MessageSample sample;
    sample.attachments = {{"a.txt", "alpha"}};
    TObjListViewVLF item = testing::storeMessage(f.inbox, sample);

    // The target directory has become a plain file.
    testing::writeFile(f.home / "Gone.001", "x");
    CopyOutcome outcome = copyStoredMessage(f.inbox, item, f.home / "Gone.001", f.clock);
    EXPECT_FALSE(outcome.item);
    EXPECT_EQ(outcome.failure.rfind("File I/O Error 12530\r", 0), 0u) << outcome.failure;

    // The message file is gone from the source: the attachment copy made first is removed.
    std::filesystem::remove(messageFilePath(f.inbox, item.fileName));
    outcome = copyStoredMessage(f.inbox, item, f.work, f.clock);
    EXPECT_FALSE(outcome.item);
    EXPECT_EQ(outcome.failure.rfind("Load From File Error 12404\r", 0), 0u) << outcome.failure;
    EXPECT_TRUE(std::filesystem::is_empty(f.work));
}

TEST(CopyStoredMessage, AFullTargetDiskLeavesNothingBehind) {
    testing::SmallDisk disk(96 * 1024);
    VELMORA_SKIP_WITHOUT(disk);
    Folders f;
    MessageSample sample;
    sample.attachments = {{"small.txt", "small"}, {"big.bin", std::string(150 * 1024, 'b')}};
    const TObjListViewVLF item = testing::storeMessage(f.inbox, sample);
    const auto target = disk.path() / "Work.001";
    std::filesystem::create_directory(target);
    const CopyOutcome outcome = copyStoredMessage(f.inbox, item, target, f.clock);
    EXPECT_FALSE(outcome.item);
    EXPECT_EQ(outcome.failure.rfind("File I/O Error 12530\r", 0), 0u) << outcome.failure;
    EXPECT_TRUE(std::filesystem::is_empty(target));
}

TEST(DeleteStoredMessage, MessageAndAttachmentFilesGoButNothingOutsideTheFolders) {
    Folders f;
    MessageSample sample;
    sample.attachments = {{"a.txt", "alpha"}};
    TObjListViewVLF item = testing::storeMessage(f.inbox, sample);
    testing::writeFile(f.home / "precious.txt", "keep");
    item.attachList.push_back((f.home / "precious.txt").string());
    EXPECT_FALSE(deleteStoredMessage(f.inbox, item));
    EXPECT_TRUE(std::filesystem::is_empty(f.inbox));
    EXPECT_EQ(testing::readFile(f.home / "precious.txt"), "keep");
    EXPECT_FALSE(deleteStoredMessage(f.inbox, item));  // already gone: no error

    // Another folder's attachment named by a damaged index is not this message's to delete,
    // nor a FIFO or a device to copy.
    MessageSample other;
    other.fileName = "2001.07.31.15.30.45.124";
    other.attachments = {{"b.txt", "beta"}};
    const TObjListViewVLF work = testing::storeMessage(f.work, other);
    TObjListViewVLF borrowing = testing::storeMessage(f.inbox, sample);
    borrowing.attachList.push_back(work.attachList[0]);
    borrowing.attachList.push_back("/dev/zero");
    const CopyOutcome copied = copyStoredMessage(f.inbox, borrowing, f.work, f.clock);
    ASSERT_TRUE(copied.item) << copied.failure;
    EXPECT_EQ(countMessageFiles(f.work), 2u);
    EXPECT_EQ(std::filesystem::exists(copied.item->attachList[1]), false);
    EXPECT_EQ(std::filesystem::exists(copied.item->attachList[2]), false);
    EXPECT_FALSE(deleteStoredMessage(f.inbox, borrowing));
    EXPECT_EQ(testing::readFile(work.attachList[0]), "beta");

    TObjListViewVLF hostile;
    hostile.fileName = "../precious";
    testing::writeFile(f.home / "precious.vlf", "keep");
    EXPECT_FALSE(deleteStoredMessage(f.inbox, hostile));
    EXPECT_TRUE(std::filesystem::exists(f.home / "precious.vlf"));
}

}  // namespace
}  // namespace velmora::store
