// The folder window's layout file, preview timer, loaded message, marks, menus by folder kind,
// removing attachments in Sent and the OutBox close prompt, on real temporary folders with the
// fake platform.
#include <gtest/gtest.h>

#include <fstream>

#include "fake_host.h"
#include "reading/folder_layout.h"
#include "reading/folder_window.h"
#include "store/folder_index.h"
#include "store/message_file.h"
#include "support/fake_platform.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora::reading {
namespace {

using platform::Milliseconds;
using testing::MessageSample;
namespace fs = std::filesystem;

struct FolderPreviewTest : ::testing::Test {
    testing::TempDir home;
    testing::FakePlatform fake;
    profiles::Settings settings;
    testing::FakeFolderHost host{fake, home.path(), settings};

    FolderPreviewTest() {
        for (const char* name : {"InBox.000", "OutBox.000", "Sent.000", "Trash.000", "Drafts.000"})
            fs::create_directories(home / name);
    }

    store::TObjListViewVLF store(const std::string& folder, int n, MessageSample sample = {}) {
        sample.fileName = "2001.01.01.00.00.00.00" + std::to_string(n);
        sample.subject = "subject " + std::to_string(n);
        sample.date = "Tue, 0" + std::to_string(n) + " Jul 2001 10:00:00 +0000";
        return testing::storeMessage(home / (folder + ".000"), sample);
    }

    TinboxForm& open(const std::string& folder) { return host.openFolderWindow(folder, true); }

    const platform::MenuEntry& entry(const platform::Menu& menu, const std::string& name) {
        const platform::MenuEntry* found = platform::findMenuEntry(menu, name);
        if (!found) throw std::runtime_error("no menu entry " + name);
        return *found;
    }
};

TEST_F(FolderPreviewTest, WindowWithoutLayoutFileUsesDefaultsAndWritesOneOnClosing) {
    TinboxForm& window = open("InBox");
    EXPECT_EQ(window.columnWidth(2), 160);
    EXPECT_EQ(window.sortColumn(), store::Column::Date);
    EXPECT_FALSE(window.sortDescending());
    EXPECT_EQ(window.headerMode(), HeaderMode::Normal);
    EXPECT_TRUE(window.layoutDirty());
    window.setColumnWidth(3, 222);
    window.setHeaderMode(HeaderMode::Full);
    window.headerClick(2);  // Subject, ascending
    window.headerClick(2);  // again: descending
    host.close("InBox");

    const fs::path file = home / "InBox.000" / "InBox.cfg";
    EXPECT_EQ(testing::readFile(file),
              "46\r\n75\r\n60\r\n160\r\n222\r\n110\r\n120\r\n2\r\n1\r\n0\r\n2\r\n1");
    TinboxForm& again = open("InBox");
    EXPECT_EQ(again.columnWidth(3), 222);
    EXPECT_EQ(again.sortColumn(), store::Column::Subject);
    EXPECT_TRUE(again.sortDescending());
    EXPECT_EQ(again.headerMode(), HeaderMode::Full);
    EXPECT_FALSE(again.layoutDirty());
}

TEST_F(FolderPreviewTest, LayoutValuesOutOfRangeTakeTheirDefaults) {
    testing::writeFile(home / "InBox.000" / "InBox.cfg",
                       "46\r\n-5\r\nabc\r\n99999999\r\n300\r\n\r\n120\r\n9\r\n7\r\n0\r\n3\r\n5");
    const auto layout = loadFolderLayout(home / "InBox.000" / "InBox.cfg");
    ASSERT_TRUE(layout);
    const FolderLayout defaults;
    EXPECT_EQ(layout->widths, (std::array<int, 6>{75, 60, 160, 300, 110, 120}));
    EXPECT_EQ(layout->sortColumn, defaults.sortColumn);
    EXPECT_FALSE(layout->sortDescending);
    EXPECT_EQ(layout->headerMode, 1);
    EXPECT_EQ(layout->windowState, 1);
}

TEST_F(FolderPreviewTest, PreviewFollowsTheRow350MsAfterAClick) {
    store("InBox", 1);
    store("InBox", 2);
    TinboxForm& window = open("InBox");
    window.rowClicked(0);
    EXPECT_EQ(window.previewText(), "");
    fake.clock.advance(Milliseconds{349});
    EXPECT_EQ(window.previewText(), "");
    fake.clock.advance(Milliseconds{1});
    EXPECT_NE(window.previewText().find("Subject: subject 1\r\n"), std::string::npos);
    EXPECT_EQ(window.loadedFileName(), "2001.01.01.00.00.00.001");

    // A navigation key restarts the timer; moving back and forth before it fires loads once.
    window.currentRowMoved(1);
    fake.clock.advance(Milliseconds{200});
    window.currentRowMoved(0);
    window.currentRowMoved(1);
    fake.clock.advance(Milliseconds{200});
    EXPECT_EQ(window.loadedFileName(), "2001.01.01.00.00.00.001");
    fake.clock.advance(Milliseconds{150});
    EXPECT_EQ(window.loadedFileName(), "2001.01.01.00.00.00.002");
    EXPECT_EQ(window.previousRow(), 0);

    window.setHeaderMode(HeaderMode::BodyOnly);
    EXPECT_EQ(window.previewText().rfind("Hello Bob,", 0), 0u);
    host.setPreviewShown(false);
    EXPECT_EQ(window.previewText(), "");
    EXPECT_NE(window.loadedMessage(), nullptr) << "the message stays loaded for the commands";
}

TEST_F(FolderPreviewTest, CommandBeforeTheTimerActsOnTheCurrentRowsOwnMessage) {
    store("InBox", 1);
    MessageSample other;
    other.senderName = "Carl";
    store("InBox", 2, other);
    TinboxForm& window = open("InBox");
    window.rowClicked(0);
    fake.clock.advance(Milliseconds{350});
    window.rowClicked(1);  // the timer has not fired yet
    mime::TmsMessage* message = window.loadedMessage();
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->Sender().Name(), "Carl");
    EXPECT_EQ(window.loadedFileName(), "2001.01.01.00.00.00.002");
}

TEST_F(FolderPreviewTest, MissingFileClearsTheLoadedMessageAndThePreview) {
    store("InBox", 1);
    store("InBox", 2);
    TinboxForm& window = open("InBox");
    window.rowClicked(0);
    fake.clock.advance(Milliseconds{350});
    ASSERT_FALSE(window.previewText().empty());
    fs::remove(home / "InBox.000" / "2001.01.01.00.00.00.002.vlf");
    window.rowClicked(1);
    fake.clock.advance(Milliseconds{350});
    EXPECT_EQ(window.previewText(), "");
    EXPECT_EQ(window.loadedMessage(), nullptr);
}

TEST_F(FolderPreviewTest, PreviewSelectionStaysInsideTheTextAndGoesWithIt) {
    store("InBox", 1);
    store("InBox", 2);
    TinboxForm& window = open("InBox");
    window.rowClicked(0);
    fake.clock.advance(Milliseconds{350});
    const std::size_t size = window.previewText().size();
    ASSERT_GT(size, 10u);
    const int serial = window.previewSelectionSerial();
    window.setPreviewSelection(TinboxForm::PreviewSelection{size - 4, 100});
    EXPECT_EQ(window.previewSelection(), (TinboxForm::PreviewSelection{size - 4, 4}));
    EXPECT_EQ(window.previewSelectionSerial(), serial + 1);
    window.setPreviewSelection(TinboxForm::PreviewSelection{size + 1, 1});
    EXPECT_FALSE(window.previewSelection()) << "a start past the text selects nothing";
    window.setPreviewSelection(TinboxForm::PreviewSelection{2, 3});
    window.rowClicked(1);
    fake.clock.advance(Milliseconds{350});
    EXPECT_FALSE(window.previewSelection()) << "another message's text has no such selection";
}

TEST_F(FolderPreviewTest, MarksBuildTheStatusAndRestampTheFile) {
    struct Case {
        const char* name;
        void (TinboxForm::*mark)();
        void (TinboxForm::*markRow)(int);
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {"read", nullptr, &TinboxForm::markMailMessageRead, "U O r f a N", "R O r f a N"},
        {"replied", nullptr, &TinboxForm::markMailMessageReplied, "R O r f a N", "R O R f a N"},
        {"forwarded", nullptr, &TinboxForm::markMailMessageForwarded, "U C r f A H", "U C r F A H"},
        {"moved", &TinboxForm::markMailMessageAttachmentMoved, nullptr, "R O r f A N",
         "R O r f M N"},
        {"copied", &TinboxForm::markMailMessageAttachmentCopied, nullptr, "R O r f A N",
         "R O r f C N"},
        {"deleted", &TinboxForm::markMailMessageAttachmentDeleted, nullptr, "R O r f A N",
         "R O r f D N"},
        {"short status padded", nullptr, &TinboxForm::markMailMessageForwarded, "R O",
         "R O r F a N"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(home / "InBox.000");
        fs::create_directories(home / "InBox.000");
        MessageSample sample;
        sample.status = c.before;
        store("InBox", 1, sample);
        host.close("InBox");
        TinboxForm& window = open("InBox");
        ASSERT_EQ(window.rowCount(), 1u);
        window.row(0).item.status = c.before;  // as a damaged index would hold it
        if (c.mark)
            (window.*c.mark)();
        else
            (window.*c.markRow)(0);
        EXPECT_EQ(window.rows()[0].item.status, c.after);
        EXPECT_EQ(window.columns(0)[0], c.after);
        EXPECT_TRUE(window.indexDirty());
        mime::TmsMessage stored;
        ASSERT_FALSE(
            store::loadMessageFile(home / "InBox.000" / "2001.01.01.00.00.00.001.vlf", stored));
        EXPECT_EQ(store::itemFromMessage(stored, "x").status, c.after);
        host.close("InBox");
    }
}

TEST_F(FolderPreviewTest, MarkingAReadRowReadAgainLeavesTheFileAlone) {
    MessageSample sample;
    sample.status = "R O r f a N";
    store("InBox", 1, sample);
    open("InBox");
    host.close("InBox");  // the index is written: opening again rebuilds nothing
    TinboxForm& window = open("InBox");
    const fs::path file = home / "InBox.000" / "2001.01.01.00.00.00.001.vlf";
    const std::string before = testing::readFile(file);
    fs::last_write_time(file, fs::file_time_type{});
    window.markMailMessageRead(0);
    EXPECT_EQ(fs::last_write_time(file), fs::file_time_type{});
    EXPECT_FALSE(window.indexDirty());
    window.markMailMessageReplied(0);
    EXPECT_NE(fs::last_write_time(file), fs::file_time_type{});
    EXPECT_NE(testing::readFile(file), before);
}

TEST_F(FolderPreviewTest, RowsOfUnreadAndPriorityMessagesLookDifferent) {
    MessageSample high;
    high.status = "R O r f a H";
    store("InBox", 1, high);
    MessageSample low;
    low.status = "U O r f a L";
    store("InBox", 2, low);
    store("InBox", 3);
    TinboxForm& window = open("InBox");
    EXPECT_FALSE(window.rowLook(0).bold);
    EXPECT_EQ(window.rowLook(0).colour, settings.misc.highPriorityColour);
    EXPECT_TRUE(window.rowLook(1).bold);
    EXPECT_EQ(window.rowLook(1).colour, settings.misc.lowPriorityColour);
    EXPECT_EQ(window.rowLook(2).colour, settings.retrieve.folderListFont.colour);
    EXPECT_FALSE(window.selectionColours());
}

TEST_F(FolderPreviewTest, MenusFollowTheFolderKind) {
    // reply, send, edit in compose, read, move, remove attachments
    struct Case {
        const char* folder;
        bool reply, send, edit, read, move, remove;
    };
    const Case cases[] = {
        {"InBox", true, false, false, true, true, false},
        {"Work", true, false, false, true, true, false},
        {"Trash", false, false, false, true, true, false},
        {"Drafts", false, false, true, false, true, false},
        {"OutBox", false, true, true, false, true, false},
        {"Sent", false, true, true, false, false, true},
    };
    fs::create_directories(home / "Work.001");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        const std::string dir =
            std::string(c.folder) + (std::string(c.folder) == "Work" ? ".001" : ".000");
        MessageSample sample;
        sample.fileName = "2001.01.01.00.00.00.001";
        testing::storeMessage(home / dir, sample);
        TinboxForm& window = open(c.folder);
        const auto menu = window.listMenu();
        EXPECT_EQ(entry(menu, "popListView_ReplySender").visible, c.reply);
        EXPECT_EQ(entry(menu, "popListView_Forward").visible, c.reply);
        EXPECT_EQ(entry(menu, "popListView_Send").visible, c.send);
        EXPECT_EQ(entry(menu, "popListView_EditInCompose").visible, c.edit);
        EXPECT_EQ(entry(menu, "popListView_Read").visible, c.read);
        EXPECT_EQ(entry(menu, "popListView_Move").visible, c.move);
        EXPECT_EQ(entry(menu, "popListView_RemoveAttachments").visible, c.remove);
        // Nothing registered these commands: their entries are disabled, never silent.
        EXPECT_FALSE(entry(menu, "popListView_EditInCompose").enabled);
        EXPECT_FALSE(entry(menu, "popListView_ReplySender").enabled);
        EXPECT_FALSE(entry(menu, "popListView_AddSender").visible) << "no address book command";
    }
    EXPECT_EQ(entry(open("Sent").listMenu(), "popListView_Send").caption, "&Send Message Again");
}

TEST_F(FolderPreviewTest, TwoSelectedRowsMakeTheCaptionsPlural) {
    store("InBox", 1);
    store("InBox", 2);
    TinboxForm& window = open("InBox");
    auto menu = window.listMenu();
    EXPECT_EQ(entry(menu, "popListView_Delete").caption, "&Delete Message");
    window.selectAll();
    menu = window.listMenu();
    EXPECT_EQ(entry(menu, "popListView_Delete").caption, "&Delete Messages");
    EXPECT_EQ(entry(menu, "popListView_Move").caption, "&Move Messages");
    EXPECT_EQ(entry(menu, "popListView_Copy").caption, "Copy Me&ssages");
    EXPECT_EQ(entry(menu, "popListView_Read").caption, "&Read Messages");
    EXPECT_EQ(window.caption(), "InBox 2 Selected/2");
    EXPECT_EQ(entry(menu, "popListView_ReplySenderOpposite").caption,
              "Reply To Sender (no message text)");
    // The move submenu lists the other folders, never the folder itself.
    for (const auto& target : entry(menu, "popListView_Move").entries)
        EXPECT_NE(target.caption, "InBox");
}

TEST_F(FolderPreviewTest, ProfileSubmenuListsTheProfilesOnlyWhenThereAreSeveral) {
    store("InBox", 1);
    TinboxForm& window = open("InBox");
    EXPECT_FALSE(entry(window.listMenu(), "popListView_Profile").visible);
    testing::writeFile(home / "master.usr", "46\r\nHome\r\nWork");
    testing::writeFile(home / "Home.usr", "46\r\nHome");
    testing::writeFile(home / "Work.usr", "46\r\nWork");
    profiles::ProfileLists lists;
    lists.loadProfileNames(home.path());
    ASSERT_FALSE(lists.loadProfiles(home.path()));
    ASSERT_EQ(lists.usersListBox().size(), 2u);
    host.profileLists = &lists;
    const auto menu = window.listMenu();
    const auto& profile = entry(menu, "popListView_Profile");
    ASSERT_EQ(profile.entries.size(), 2u);
    EXPECT_TRUE(profile.entries[static_cast<std::size_t>(lists.activeIndex())].checked);
    profile.entries[1].command();
    EXPECT_EQ(lists.activeIndex(), 1);
}

TEST_F(FolderPreviewTest, OpeningADraftWithoutTheComposeCommandSaysSo) {
    store("Drafts", 1);
    TinboxForm& window = open("Drafts");
    window.openSelectedRows();
    ASSERT_EQ(fake.dialogs.texts("information").size(), 1u);
    int edited = 0;
    host.commands.add(folder_commands::kEditInCompose, {[&] { ++edited; }, {}});
    window.openSelectedRows();
    EXPECT_EQ(edited, 1);
    EXPECT_TRUE(entry(window.listMenu(), "popListView_EditInCompose").enabled);
}

TEST_F(FolderPreviewTest, OutBoxCloseWithThirdButtonThenNoKeepsTheRow) {
    store("OutBox", 1);
    TinboxForm& window = open("OutBox");
    fake.dialogs.msgFormAnswers = {platform::kMsgFormDelete};
    fake.dialogs.answers = {platform::Answer::No};
    EXPECT_TRUE(window.closeQuery());
    ASSERT_EQ(fake.dialogs.msgForms.size(), 1u);
    EXPECT_EQ(fake.dialogs.msgForms[0].caption, "Send OutBox Message");
    EXPECT_EQ(fake.dialogs.msgForms[0].thirdCaption, "&Delete It");
    EXPECT_EQ(fake.dialogs.shown.back().title, "Confirm OutBox Message Deletion");
    EXPECT_EQ(fake.dialogs.shown.back().defaultAnswer, platform::Answer::No);
    EXPECT_EQ(window.rowCount(), 1u);
}

TEST_F(FolderPreviewTest, OutBoxCloseAnswers) {
    store("OutBox", 1);
    store("OutBox", 2);
    TinboxForm& window = open("OutBox");
    int sent = 0;
    host.commands.add(folder_commands::kSendSelected,
                      {[&] { sent += static_cast<int>(window.selectedCount()); }, {}});

    fake.dialogs.msgFormAnswers = {platform::kMsgFormYes};
    EXPECT_TRUE(window.closeQuery());
    EXPECT_EQ(fake.dialogs.msgForms.back().caption, "Send OutBox Messages");
    EXPECT_EQ(fake.dialogs.msgForms.back().thirdCaption, "&Delete All");
    EXPECT_EQ(sent, 2);

    fake.dialogs.msgFormAnswers = {platform::kMsgFormNo};
    EXPECT_TRUE(window.closeQuery());
    EXPECT_EQ(sent, 2);
    EXPECT_EQ(window.rowCount(), 2u);

    fake.dialogs.msgFormAnswers = {platform::kMsgFormDelete};
    fake.dialogs.answers = {platform::Answer::Yes};
    EXPECT_TRUE(window.closeQuery());
    EXPECT_EQ(window.rowCount(), 0u);
    EXPECT_EQ(host.findFolderWindow("Trash")->rowCount(), 2u);
}

TEST_F(FolderPreviewTest, RemovingAttachmentsRewritesTheMessageThenDeletesTheFiles) {
    MessageSample sample;
    sample.attachments = {{"report.doc", "figures"}, {"b.txt", "bee"}};
    const auto item = store("Sent", 1, sample);
    ASSERT_EQ(item.attachList.size(), 2u);
    TinboxForm& window = open("Sent");
    fake.dialogs.answers = {platform::Answer::Yes};
    fake.dialogs.clear();
    window.removeAttachments();
    EXPECT_EQ(fake.dialogs.shown.front().title, "Confirm Attachments Delete");
    for (const auto& file : item.attachList) EXPECT_FALSE(fs::exists(file)) << file;
    EXPECT_EQ(window.rows()[0].item.status[8], 'D');
    EXPECT_TRUE(window.rows()[0].item.attachList.empty());
    mime::TmsMessage stored;
    ASSERT_FALSE(store::loadMessageFile(home / "Sent.000" / "2001.01.01.00.00.00.001.vlf", stored));
    EXPECT_EQ(stored.Attachments().Count(), 0);
    ASSERT_EQ(host.findFolderWindow("Trash")->rowCount(), 1u);
    EXPECT_EQ(window.rowCount(), 1u);
}

TEST_F(FolderPreviewTest, RemovingAttachmentsWithAFailedSaveKeepsFilesAndStatus) {
    testing::SmallDisk disk(256 * 1024);
    VELMORA_SKIP_WITHOUT(disk);
    testing::FakeFolderHost smallHost{fake, disk.path(), settings};
    fs::create_directories(disk.path() / "Sent.000");
    fs::create_directories(disk.path() / "Trash.000");
    MessageSample sample;
    sample.fileName = "2001.01.01.00.00.00.001";
    sample.attachments = {{"report.doc", std::string(20'000, 'x')}};
    const auto item = testing::storeMessage(disk.path() / "Sent.000", sample);
    TinboxForm& window = smallHost.openFolderWindow("Sent", true);
    const std::string statusBefore = window.rows()[0].item.status;
    // Fill the disk so that the rewritten message cannot be saved.
    {
        std::ofstream filler(disk.path() / "filler", std::ios::binary);
        const std::string block(4096, 'f');
        while (filler.write(block.data(), block.size())) {
        }
    }
    fake.dialogs.answers = {platform::Answer::Yes};
    window.removeAttachments();
    ASSERT_FALSE(fake.dialogs.texts("warning").empty());
    EXPECT_EQ(fake.dialogs.texts("warning").back().rfind("File I/O Error 10351\r", 0), 0u);
    EXPECT_TRUE(fs::exists(item.attachList[0]));
    EXPECT_EQ(window.rows()[0].item.status, statusBefore);
    fs::remove(disk.path() / "filler");
    smallHost.close("Sent");
    smallHost.close("Trash");
}

TEST_F(FolderPreviewTest, RemovingAttachmentsNeverDeletesFilesOutsideTheFolder) {
    MessageSample sample;
    sample.attachments = {{"a.txt", "a"}};
    store("Sent", 1, sample);
    const fs::path outside = home / "precious.txt";
    testing::writeFile(outside, "keep me");
    TinboxForm& window = open("Sent");
    window.row(0).item.attachList.push_back(outside.string());  // as a hostile index would
    fake.dialogs.answers = {platform::Answer::Yes};
    window.removeAttachments();
    EXPECT_TRUE(fs::exists(outside));
}

}  // namespace
}  // namespace velmora::reading
