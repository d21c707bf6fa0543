#include "reading/folder_window.h"

#include <gtest/gtest.h>

#include "fake_host.h"
#include "reading/standalone_folders.h"
#include "reading/transfers.h"
#include "store/folder_index.h"
#include "store/folders.h"
#include "store/index_rebuild.h"
#include "store/message_file.h"
#include "support/fake_platform.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora::reading {
namespace {

using testing::MessageSample;

struct FolderWindowTest : ::testing::Test {
    testing::TempDir home;
    testing::FakePlatform fake;
    profiles::Settings settings;
    testing::FakeFolderHost host{fake, home.path(), settings};
    std::filesystem::path inbox = home / "InBox.000";

    FolderWindowTest() { std::filesystem::create_directories(inbox); }

    // Message files named 2001.01.01.00.00.00.00<n>, dated day n of July 2001.
    void storeMessages(const std::filesystem::path& dir, int count) {
        for (int n = 1; n <= count; ++n) {
            MessageSample sample;
            sample.fileName = "2001.01.01.00.00.00.00" + std::to_string(n);
            sample.subject = "subject " + std::to_string(n);
            sample.date = "Tue, 0" + std::to_string(n) + " Jul 2001 10:00:00 +0000";
            testing::storeMessage(dir, sample);
        }
    }
};

TEST_F(FolderWindowTest, FolderWithMessageFilesAndNoIndexIsRebuiltAndWrittenOnClosing) {
    storeMessages(inbox, 3);
    TinboxForm& window = host.openFolderWindow("InBox", true);
    EXPECT_TRUE(window.indexWasRebuilt());
    ASSERT_EQ(window.rowCount(), 3u);
    EXPECT_EQ(window.key(), "InBox.InBox");
    // Sorted by date ascending: the last row is current and selected.
    EXPECT_EQ(window.columns(0)[2], "subject 1");
    EXPECT_EQ(window.currentRow(), 2);
    EXPECT_EQ(window.selectedRows(), std::vector<int>{2});
    EXPECT_EQ(window.caption(), "InBox   Message 3/3");
    EXPECT_EQ(window.statusCountsText(), "Total [InBox] Messages 3/3 Unread");
    EXPECT_EQ(fake.dialogs.statusLines.front()[0], "Rebuilding INBOX Index File 1 of 3");
    EXPECT_TRUE(window.indexDirty());

    host.close("InBox");
    const auto index = store::readFolderIndex(inbox / "InBox.dat");
    ASSERT_TRUE(index);
    EXPECT_EQ(index->rows.size(), 3u);

    // Opened again the index is read, not rebuilt.
    TinboxForm& again = host.openFolderWindow("InBox", true);
    EXPECT_FALSE(again.indexWasRebuilt());
    EXPECT_EQ(again.rowCount(), 3u);
    EXPECT_FALSE(again.indexDirty());
}

TEST_F(FolderWindowTest, IndexOfTwoRowsWithThreeFilesIsRebuiltAfterLoading) {
    storeMessages(inbox, 2);
    {
        TinboxForm& window = host.openFolderWindow("InBox", true);
        ASSERT_EQ(window.rowCount(), 2u);
        host.close("InBox");
    }
    MessageSample third;
    third.fileName = "2001.01.01.00.00.00.003";
    testing::storeMessage(inbox, third);
    const auto waitedBefore = fake.events.totalWaited();
    TinboxForm& window = host.openFolderWindow("InBox", true);
    EXPECT_TRUE(window.indexWasRebuilt());
    EXPECT_EQ(window.rowCount(), 3u);
    EXPECT_GE(fake.events.totalWaited() - waitedBefore,
              platform::Milliseconds{250});  // the pause first
}

TEST_F(FolderWindowTest, TheCommandLinesWindowsCheckTheIndexWithoutThePause) {
    storeMessages(inbox, 2);
    {
        StandaloneFolders folders(fake, home.path(), settings);
        ASSERT_EQ(folders.openFolderWindow("InBox", false).rowCount(), 2u);
    }
    MessageSample third;
    third.fileName = "2001.01.01.00.00.00.003";
    testing::storeMessage(inbox, third);
    const auto waitedBefore = fake.events.totalWaited();
    StandaloneFolders folders(fake, home.path(), settings);
    TinboxForm& window = folders.openFolderWindow("InBox", false);
    EXPECT_TRUE(window.indexWasRebuilt());
    EXPECT_EQ(window.rowCount(), 3u);
    EXPECT_EQ(fake.events.totalWaited(), waitedBefore);
}

TEST_F(FolderWindowTest, DamagedIndexKeepsItsRowsAndGainsTheUnlistedFiles) {
    storeMessages(inbox, 3);
    TinboxForm& first = host.openFolderWindow("InBox", true);
    first.row(0).item.status = "R O r f a N";  // a mark the message files do not carry yet
    store::replaceColumn(first.row(0).text, store::Column::Status, "R O r f a N");
    host.close("InBox");
    // Cut the file inside the third record.
    std::string bytes = testing::readFile(inbox / "InBox.dat");
    const auto rows = store::parseFolderIndex(bytes).rows;
    const std::size_t twoRecords = store::formatFolderIndex({rows[0], rows[1]}).size();
    testing::writeFile(inbox / "InBox.dat", bytes.substr(0, twoRecords + 40));

    TinboxForm& window = host.openFolderWindow("InBox", true);
    EXPECT_TRUE(window.indexWasRebuilt());
    ASSERT_EQ(window.rowCount(), 3u);
    EXPECT_EQ(window.rows()[0].item.status, "R O r f a N");  // kept from the index
    EXPECT_EQ(window.rows()[2].item.fileName, "2001.01.01.00.00.00.003");
    EXPECT_TRUE(window.indexDirty());
}

TEST_F(FolderWindowTest, EmptiedFolderDeletesItsIndexOnClosing) {
    storeMessages(inbox, 1);
    host.openFolderWindow("InBox", true);
    host.close("InBox");
    ASSERT_TRUE(std::filesystem::exists(inbox / "InBox.dat"));
    TinboxForm& window = host.openFolderWindow("InBox", true);
    deletePermanently(window, 0, host, fake);
    EXPECT_EQ(window.currentRow(), -1);
    EXPECT_EQ(window.caption(), "InBox   Message 0/0");
    host.close("InBox");
    EXPECT_FALSE(std::filesystem::exists(inbox / "InBox.dat"));

    // An empty folder opens empty and writes nothing.
    TinboxForm& empty = host.openFolderWindow("InBox", true);
    EXPECT_EQ(empty.rowCount(), 0u);
    EXPECT_FALSE(empty.indexWasRebuilt());
    host.close("InBox");
    EXPECT_FALSE(std::filesystem::exists(inbox / "InBox.dat"));
}

TEST_F(FolderWindowTest, DescendingSortSelectsTheFirstRowAndDateFormatFiveSortsBySortDate) {
    // Dates whose header texts sort the other way round from the dates themselves.
    for (const auto& [name, date] : std::vector<std::pair<std::string, std::string>>{
             {"a", "Mon, 02 Jul 2001 10:00:00 +0000"},
             {"b", "Wed, 01 Aug 2001 10:00:00 +0000"},
             {"c", "Sun, 01 Jul 2001 10:00:00 +0000"}}) {
        MessageSample sample;
        sample.fileName = name;
        sample.subject = name;
        sample.date = date;
        testing::storeMessage(inbox, sample);
    }
    settings.retrieve.dateFormat = 5;
    TinboxForm window(fake, home.path(), "InBox", settings, host);
    window.setSort(store::Column::Date, true);
    window.open();
    ASSERT_EQ(window.rowCount(), 3u);
    EXPECT_EQ(window.columns(0)[2], "b");
    EXPECT_EQ(window.columns(1)[2], "a");
    EXPECT_EQ(window.columns(2)[2], "c");
    EXPECT_EQ(window.columns(0)[5], "Wed, 01 Aug 2001 10:00:00 +0000");  // the header unchanged
    EXPECT_EQ(window.currentRow(), 0);

    settings.retrieve.dateFormat = 3;
    window.renderDateColumn();
    EXPECT_EQ(window.columns(0)[5], "01 August 2001 10:00:00");
}

TEST_F(FolderWindowTest, RowOrderingByColumn) {
    auto row = [](const char* size, const char* subject) {
        store::FolderRow r;
        r.text = store::makeRowText({"U", size, subject, "", "", ""});
        return r;
    };
    EXPECT_LT(compareRows(row("9.5", ""), row("10.0", ""), store::Column::SizeKb), 0);  // numeric
    EXPECT_LT(compareRows(row("", "B"), row("", "a"), store::Column::Subject), 0);      // by code
    EXPECT_EQ(compareRows(row("", "B"), row("", "a"), store::Column::Status), 0);

    TinboxForm window(fake, home.path(), "InBox", settings, host);
    window.addRows({row("1.0", "b"), row("2.0", "a"), row("3.0", "b")});
    window.setSort(store::Column::Subject, false);
    window.sortRows();
    // Equal rows keep their order.
    EXPECT_EQ(window.columns(0)[1], "2.0");
    EXPECT_EQ(window.columns(1)[1], "1.0");
    EXPECT_EQ(window.columns(2)[1], "3.0");
    // A new row goes to the end until the next sort.
    window.addRow(row("4.0", "a"));
    EXPECT_EQ(window.columns(3)[1], "4.0");
}

TEST_F(FolderWindowTest, CaptionCountsAndSelection) {
    storeMessages(inbox, 3);
    settings.other.emptyTrashOnExit = true;
    std::filesystem::create_directories(home / "Work.001" / "Sub.001");
    storeMessages(home / "Work.001" / "Sub.001", 3);
    TinboxForm& window = host.openFolderWindow("Work\\Sub", true);
    EXPECT_EQ(window.caption(), "Work\\Sub   Message 3/3");
    window.setSelected(0, true);
    EXPECT_EQ(window.caption(), "Work\\Sub 2 Selected/3");
    window.clickRow(1);
    EXPECT_EQ(window.caption(), "Work\\Sub   Message 2/3");
    store::replaceColumn(window.row(1).text, store::Column::Status, "R O r f a N");
    EXPECT_EQ(window.statusCountsText(), "Total [Work\\Sub] Messages 3/2 Unread");

    settings.other.shortFolderNames = true;
    window.updateCaption();
    EXPECT_EQ(window.caption(), "Sub   Message 2/3");

    std::filesystem::create_directories(home / "Trash.000");
    EXPECT_EQ(host.openFolderWindow("Trash", false).caption(),
              "Trash   Message 0/0 (Delete On Exit)");

    // Restoring a session clamps to the rows there are.
    window.restoreRows(10, 7);
    EXPECT_EQ(window.firstVisibleRow(), 2);
    EXPECT_EQ(window.currentRow(), 2);
    EXPECT_EQ(window.selectedRows(), std::vector<int>{2});
}

TEST_F(FolderWindowTest, RemovingRowsKeepsTheCurrentIndex) {
    storeMessages(inbox, 5);
    TinboxForm& window = host.openFolderWindow("InBox", true);
    window.clickRow(1);
    window.setSelected(3, true);
    window.removeRows({3, 0});
    ASSERT_EQ(window.rowCount(), 3u);
    EXPECT_EQ(window.columns(0)[2], "subject 2");
    EXPECT_EQ(window.columns(1)[2], "subject 3");
    EXPECT_EQ(window.selectedRows(), std::vector<int>{0});  // the selected row moved up with it
    EXPECT_EQ(window.currentRow(), 1);
    window.clickRow(2);
    window.removeRow(2);
    EXPECT_EQ(window.currentRow(), 1);  // the list became shorter: the last row
}

TEST_F(FolderWindowTest, IndexWriteFailureWarnsAndKeepsTheOldFile) {
    testing::SmallDisk disk(48 * 1024);
    VELMORA_SKIP_WITHOUT(disk);
    const auto dir = disk.path() / "InBox.000";
    storeMessages(dir, 1);
    testing::FakeFolderHost diskHost(fake, disk.path(), settings);
    TinboxForm& window = diskHost.openFolderWindow("InBox", true);
    diskHost.close("InBox");
    const std::string before = testing::readFile(dir / "InBox.dat");
    ASSERT_FALSE(before.empty());

    TinboxForm& again = diskHost.openFolderWindow("InBox", true);
    (void)window;
    store::FolderRow big = again.rows()[0];
    big.item.subject = std::string(200, 's');
    again.addRows(std::vector<store::FolderRow>(400, big));
    again.writeFolderIndex();
    ASSERT_EQ(fake.dialogs.texts("warning").size(), 1u);
    EXPECT_EQ(fake.dialogs.texts("warning")[0].rfind("File I/O Error 200\r", 0), 0u);
    EXPECT_TRUE(again.indexDirty());
    EXPECT_EQ(testing::readFile(dir / "InBox.dat"), before);
}

}  // namespace
}  // namespace velmora::reading
