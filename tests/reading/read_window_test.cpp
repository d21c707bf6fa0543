// The read window: opening, pages, previous and next, deleting its message, the attachments
// page and its refusals, on real temporary folders with the fake platform.
#include "reading/read_window.h"

#include <gtest/gtest.h>

#include "fake_host.h"
#include "reading/attachment_files.h"
#include "reading/folder_window.h"
#include "reading/read_windows.h"
#include "reading/transfers.h"
#include "reading/window_kinds.h"
#include "store/message_file.h"
#include "support/fake_platform.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora::reading {
namespace {

using testing::MessageSample;
namespace fs = std::filesystem;

struct ReadWindowTest : ::testing::Test {
    testing::TempDir home;
    testing::FakePlatform fake;
    profiles::Settings settings;
    testing::FakeFolderHost host{fake, home.path(), settings};
    fs::path inbox = home / "InBox.000";

    ReadWindowTest() {
        fs::create_directories(inbox);
        fs::create_directories(home / "Trash.000");
        settings.other.confirmDelete = false;
    }

    store::TObjListViewVLF store(int n, MessageSample sample = {}) {
        sample.fileName = "2001.01.01.00.00.00.00" + std::to_string(n);
        sample.subject = "subject " + std::to_string(n);
        sample.date = "Tue, 0" + std::to_string(n) + " Jul 2001 10:00:00 +0000";
        return testing::storeMessage(inbox, sample);
    }

    TinboxForm& folder() {
        TinboxForm& window = host.openFolderWindow("InBox", true);
        host.current = &window;
        return window;
    }
};

TEST_F(ReadWindowTest, OpeningMarksReadAndTheSameRowTwiceGivesOneWindow) {
    store(1);
    store(2);
    TinboxForm& inbox = folder();
    TreadForm* window = openReadWindow(inbox, 0);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->key(), "Read.InBox");
    EXPECT_EQ(window->caption(), "Read 1/1 [InBox 1/2] [subject 1]");
    EXPECT_EQ(inbox.rows()[0].item.status[0], 'R');
    EXPECT_EQ(window->page(), ReadPage::Normal);
    EXPECT_NE(window->text().find("Subject: subject 1\r\n"), std::string::npos);
    EXPECT_EQ(openReadWindow(inbox, 0), window);
    EXPECT_EQ(host.childWindows().size(), 1u);
    EXPECT_EQ(inbox.readWindowRows(), std::vector<int>{0});

    window->choosePage(ReadPage::Full);
    EXPECT_EQ(inbox.headerMode(), HeaderMode::Full);
    EXPECT_EQ(inbox.readPage(), 2);
    EXPECT_NE(window->text().find("Date: "), std::string::npos);
}

TEST_F(ReadWindowTest, MissingFileIsExplainedAndTheRowRemoved) {
    store(1);
    TinboxForm& inbox = folder();
    fs::remove(inbox.directory() / "2001.01.01.00.00.00.001.vlf");
    EXPECT_EQ(openReadWindow(inbox, 0), nullptr);
    ASSERT_EQ(fake.dialogs.texts("information").size(), 1u);
    EXPECT_EQ(fake.dialogs.texts("information")[0],
              "File not found for this message.\rUnable to open Read Window.\r\rSubject: subject 1"
              "\r\rListView item will be removed.");
    EXPECT_EQ(inbox.rowCount(), 0u);
    EXPECT_EQ(inbox.caption(), "InBox   Message 0/0");
    EXPECT_EQ(inbox.previewText(), "");
}

TEST_F(ReadWindowTest, NextWithOneWindowOnTheLastRowShowsTheFirstRowInTheSameWindow) {
    store(1);
    store(2);
    store(3);
    TinboxForm& inbox = folder();
    TreadForm* window = openReadWindow(inbox, 2);
    ASSERT_NE(window, nullptr);
    cycleReadWindows(host, true);
    EXPECT_EQ(window->row(), 0);
    EXPECT_EQ(window->item().fileName, "2001.01.01.00.00.00.001");
    EXPECT_NE(window->text().find("subject 1"), std::string::npos);
    EXPECT_EQ(window->caption(), "Read 1/1 [InBox 1/3] [subject 1]");
    EXPECT_EQ(inbox.currentRow(), 0);
    EXPECT_EQ(inbox.rows()[0].item.status[0], 'R');
    cycleReadWindows(host, false);
    EXPECT_EQ(window->row(), 2);
}

TEST_F(ReadWindowTest, NextFromTheWindowOpenedLastBringsTheOneOpenedFirst) {
    for (int n = 1; n <= 3; ++n) store(n);
    TinboxForm& inbox = folder();
    TreadForm* first = openReadWindow(inbox, 0);
    openReadWindow(inbox, 1);
    TreadForm* last = openReadWindow(inbox, 2);
    host.activateChildWindow(*last);
    cycleReadWindows(host, true);
    EXPECT_EQ(host.active, first);
    EXPECT_EQ(last->caption().rfind("Read ", 0), 0u);
    EXPECT_EQ(inbox.readWindowCount(), 3);
}

TEST_F(ReadWindowTest, DeletingInTheOnlyWindowShowsTheNextRowThenTheNewLastRow) {
    for (int n = 1; n <= 3; ++n) store(n);
    TinboxForm& inbox = folder();
    TreadForm* window = openReadWindow(inbox, 1);
    window->deleteMessage();
    ASSERT_EQ(inbox.rowCount(), 2u);
    EXPECT_EQ(host.findFolderWindow("Trash")->rowCount(), 1u);
    EXPECT_EQ(window->row(), 1);
    EXPECT_EQ(window->item().fileName, "2001.01.01.00.00.00.003");
    EXPECT_EQ(host.childWindows().size(), 1u);
    window->deleteMessage();
    ASSERT_EQ(inbox.rowCount(), 1u);
    EXPECT_EQ(window->row(), 0);
    EXPECT_EQ(window->item().fileName, "2001.01.01.00.00.00.001");
    window->deleteMessage();
    EXPECT_EQ(inbox.rowCount(), 0u);
    EXPECT_TRUE(host.childWindows().size() <= 1u);
    EXPECT_EQ(host.active, &inbox);
}

TEST_F(ReadWindowTest, DeletingWithSeveralWindowsClosesThisOneAndThePreviewFollows) {
    for (int n = 1; n <= 3; ++n) store(n);
    TinboxForm& inbox = folder();
    TreadForm* first = openReadWindow(inbox, 0);
    TreadForm* second = openReadWindow(inbox, 2);
    inbox.clickRow(1);
    inbox.loadPreview();
    ASSERT_NE(inbox.previewText().find("subject 2"), std::string::npos);
    inbox.clickRow(0);  // the folder's current row is the one the first window deletes
    first->deleteMessage();
    EXPECT_EQ(host.childWindows().size(), 1u);
    EXPECT_EQ(host.active, second);
    EXPECT_EQ(second->row(), 1);
    EXPECT_EQ(second->caption(), "Read 1/1 [InBox 2/2] [subject 3]");
    EXPECT_EQ(inbox.loadedFileName(),
              inbox.rows()[static_cast<std::size_t>(inbox.currentRow())].item.fileName);
}

TEST_F(ReadWindowTest, ReSortingKeepsEachWindowOnItsMessage) {
    for (int n = 1; n <= 3; ++n) store(n);
    TinboxForm& inbox = folder();
    TreadForm* window = openReadWindow(inbox, 0);
    inbox.headerClick(5);  // same column: now descending
    EXPECT_EQ(window->row(), 2);
    EXPECT_EQ(inbox.rows()[2].item.fileName, window->item().fileName);
    EXPECT_EQ(inbox.readWindowRows(), std::vector<int>{2});
}

TEST_F(ReadWindowTest, ReadWindowsAreRecordedAndReopenedWithTheirTabPage) {
    for (int n = 1; n <= 3; ++n) store(n);
    platform::WindowKinds kinds;
    platform::Commands commands;
    registerWindowKinds(kinds, commands, home.path(), host, fake);
    const platform::WindowKind* reads = kinds.find("Read");
    ASSERT_NE(reads, nullptr);
    EXPECT_EQ(reads->sessionFile, "read.dat");

    TinboxForm& inbox = folder();
    TreadForm* window = openReadWindow(inbox, 1);
    window->choosePage(ReadPage::BodyOnly);
    window->setBounds({10, 20, 500, 300});
    const auto lines = reads->record(*window);
    EXPECT_EQ(lines, (std::vector<std::string>{"InBox", "1", "0", "10", "20", "500", "300", "2"}));
    host.closeChildWindow(*window);
    ASSERT_TRUE(host.childWindows().empty());

    // Row 9 no longer exists: that record is skipped.
    auto restored = lines;
    for (const char* line : {"InBox", "9", "0", "0", "0", "600", "400", "1"})
        restored.emplace_back(line);
    reads->restore(restored);
    ASSERT_EQ(host.childWindows().size(), 1u);
    auto* again = dynamic_cast<TreadForm*>(host.childWindows().front());
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->row(), 1);
    EXPECT_EQ(again->page(), ReadPage::BodyOnly);
    EXPECT_EQ(again->bounds().width, 500);
    EXPECT_EQ(again->text().rfind("Hello Bob,", 0), 0u);

    // The main window's previous and next and delete come from this module too.
    EXPECT_TRUE(commands.available("mail.next"));
    EXPECT_TRUE(commands.available("mail.delete"));
}

TEST_F(ReadWindowTest, ClosingTheFolderWindowClosesItsReadWindows) {
    store(1);
    store(2);
    TinboxForm& inbox = folder();
    openReadWindow(inbox, 0);
    openReadWindow(inbox, 1);
    ASSERT_EQ(host.childWindows().size(), 2u);
    host.close("InBox");
    EXPECT_TRUE(host.childWindows().empty());
    EXPECT_TRUE(fake.dialogs.texts("warning").empty());
}

struct AttachmentsTest : ReadWindowTest {
    store::TObjListViewVLF item;
    AttachmentsTest() {
        MessageSample sample;
        sample.attachments = {{"report.doc", "figures"}, {"virus.VBS", "x"}};
        item = store(1, sample);
        store(2);
    }
};

TEST_F(AttachmentsTest, PageListsTheFilesAndWarnsAboutVbScriptsEachTime) {
    TinboxForm& inbox = folder();
    TreadForm* window = openReadWindow(inbox, 0);
    ASSERT_EQ(window->attachments().size(), 2u);
    EXPECT_EQ(window->attachmentsTabCaption(), "Attachments [2]");
    window->choosePage(ReadPage::Attachments);
    window->choosePage(ReadPage::Normal);
    window->choosePage(ReadPage::Attachments);
    EXPECT_EQ(fake.dialogs.texts("warning"), (std::vector<std::string>{kVbsWarning, kVbsWarning}));
    EXPECT_TRUE(window->isAttachmentSelected(0));
    EXPECT_EQ(inbox.readPage(), 3);
}

TEST_F(AttachmentsTest, HostilePathsAreNeitherShownNorTouched) {
    const fs::path outside = home / "secret.txt";
    testing::writeFile(outside, "secret");
    const fs::path link = inbox / "2001.01.01.00.00.00.001.att.link.txt";
    fs::create_symlink(outside, link);
    TinboxForm& inbox = folder();
    inbox.row(0).item.attachList = {outside.string(), link.string(),
                                    (inbox.directory() / ".." / "secret.txt").string(),
                                    item.attachList[0]};
    TreadForm* window = openReadWindow(inbox, 0);
    ASSERT_EQ(window->attachments().size(), 1u);
    EXPECT_EQ(window->attachments()[0], item.attachList[0]);
    window->choosePage(ReadPage::Attachments);
    window->deleteAllAttachments();
    EXPECT_TRUE(fs::exists(outside));
    EXPECT_TRUE(fs::is_symlink(link));
}

TEST_F(AttachmentsTest, DeletingAfterTheFolderChangedIsRefused) {
    TinboxForm& inbox = folder();
    TreadForm* window = openReadWindow(inbox, 0);
    window->choosePage(ReadPage::Attachments);
    inbox.clickRow(1);
    inbox.deleteSelectedRows();  // another message leaves the folder
    window->deleteSelectedAttachments();
    ASSERT_FALSE(fake.dialogs.texts("information").empty());
    EXPECT_EQ(fake.dialogs.texts("information").back(),
              "Unable to delete attachment(s).\rInBox message(s) have been deleted since opening "
              "this Read window.\rThe indexes are no longer in sync.\rClose this Read window, "
              "re-open it and then delete attachments.");
    EXPECT_TRUE(fs::exists(item.attachList[0]));
}

TEST_F(AttachmentsTest, SameRowCountWithAnotherMessageOnTheRowIsRefusedToo) {
    MessageSample earlier;
    earlier.fileName = "2000.01.01.00.00.00.000";
    earlier.date = "Sat, 01 Jan 2000 10:00:00 +0000";
    testing::storeMessage(home / "Trash.000", earlier);
    TinboxForm& inbox = folder();
    TreadForm* window = openReadWindow(inbox, 0);
    window->choosePage(ReadPage::Attachments);
    inbox.clickRow(1);
    inbox.deleteSelectedRows();  // one row goes ...
    TinboxForm& trash = host.openFolderWindow("Trash", false);
    for (std::size_t i = 0; i < trash.rowCount(); ++i)
        if (trash.rows()[i].item.fileName == earlier.fileName) trash.clickRow(static_cast<int>(i));
    moveSelected(trash, "InBox", host,
                 fake);  // ... and an older one comes: row 0 is another message
    ASSERT_EQ(inbox.rowCount(), 2u);
    ASSERT_NE(inbox.rows()[0].item.fileName, window->item().fileName);
    window->deleteSelectedAttachments();
    ASSERT_FALSE(fake.dialogs.texts("information").empty());
    EXPECT_EQ(
        fake.dialogs.texts("information").back().rfind("Unable to delete attachment(s).\r", 0), 0u);
    EXPECT_TRUE(fs::exists(item.attachList[0]));
}

TEST_F(AttachmentsTest, DeletingMarksTheWindowsOwnRow) {
    TinboxForm& inbox = folder();
    TreadForm* window = openReadWindow(inbox, 0);
    window->choosePage(ReadPage::Attachments);
    inbox.clickRow(1);  // the folder's current row is another message
    window->deleteSelectedAttachments();
    EXPECT_FALSE(fs::exists(item.attachList[0]));
    EXPECT_EQ(window->attachments().size(), 1u);
    EXPECT_EQ(inbox.rows()[0].item.status[8], 'D');
    EXPECT_NE(inbox.rows()[1].item.status[8], 'D');
}

TEST_F(AttachmentsTest, MovingWritesTheOwnNameAndRemovesTheStoredFile) {
    const fs::path target = home / "saved";
    fs::create_directories(target);
    TinboxForm& inbox = folder();
    TreadForm* window = openReadWindow(inbox, 0);
    window->choosePage(ReadPage::Attachments);
    fake.dialogs.pathAnswers = {target};
    window->moveAttachments();
    EXPECT_EQ(testing::readFile(target / "report.doc"), "figures");
    EXPECT_FALSE(fs::exists(item.attachList[0]));
    EXPECT_EQ(window->attachments().size(), 1u);
    EXPECT_EQ(inbox.rows()[0].item.status[8], 'M');
}

TEST_F(AttachmentsTest, MovingIntoAMailFolderOrAfterAFailedCopyKeepsTheStoredFile) {
    TinboxForm& inbox = folder();
    TreadForm* window = openReadWindow(inbox, 0);
    window->choosePage(ReadPage::Attachments);
    fake.dialogs.pathAnswers = {home / "Trash.000"};
    window->moveAttachments();
    EXPECT_TRUE(fs::exists(item.attachList[0]));
    EXPECT_EQ(fake.dialogs.texts("warning").back().rfind("Move File Error 0058\r", 0), 0u);
    // A directory in the way of the target name: the copy fails, the stored file stays.
    const fs::path target = home / "saved";
    fs::create_directories(target / "report.doc");
    fake.dialogs.pathAnswers = {target};
    window->moveAttachments();
    EXPECT_TRUE(fs::exists(item.attachList[0]));
    EXPECT_EQ(window->attachments().size(), 2u);
}

TEST_F(AttachmentsTest, ProgramsAskBeforeTheyAreOpened) {
    TinboxForm& inbox = folder();
    TreadForm* window = openReadWindow(inbox, 0);
    window->setCurrentAttachment(1);  // virus.VBS
    fake.dialogs.answers = {platform::Answer::No};
    window->openAttachment();
    EXPECT_TRUE(fake.system.opened.empty());
    window->setCurrentAttachment(0);
    window->openAttachment();
    ASSERT_EQ(fake.system.opened.size(), 1u);
    EXPECT_EQ(fake.system.opened[0], item.attachList[0]);
    EXPECT_TRUE(isProgramOrLauncher("x.Desktop"));
    EXPECT_FALSE(isProgramOrLauncher(item.attachList[0]));
}

TEST_F(AttachmentsTest, DialogCaptionsFollowTheActionAndCount) {
    TinboxForm& inbox = folder();
    TreadForm* window = openReadWindow(inbox, 0);
    window->choosePage(ReadPage::Attachments);
    window->selectAllAttachments();
    window->copyAttachments();  // cancelled: nothing happens
    EXPECT_TRUE(fs::exists(item.attachList[0]));
    const auto menu = window->popupMenu();
    const auto* files = platform::findMenuEntry(menu, "popRead_Attachments");
    ASSERT_NE(files, nullptr);
    EXPECT_TRUE(files->enabled);
    EXPECT_EQ(files->caption, "F&ile Attachments");
    EXPECT_EQ(platform::findMenuEntry(menu, "popRead_DeleteSelected")->caption,
              "Delete &Selected Attachments");
}

}  // namespace
}  // namespace velmora::reading
