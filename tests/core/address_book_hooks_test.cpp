// The address books in the main window: loaded at start-up, the configuration window's page, the
// File menu backups, the status bar after leaving the page.
#include "core/address_book_hooks.h"

#include <gtest/gtest.h>

#include "base/text_file.h"
#include "core/main_form.h"
#include "support/fake_platform.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora::core {
namespace {

using testing::writeFile;

TEST(AddressBookHooks, BooksLoadAtStartupAndTheFileMenuBacksThemUp) {
    testing::TempDir home;
    testing::FakePlatform fake;
    writeFile(home / "ENGLISH.DCT", "word\r\n");
    writeFile(home / "master.abk", "46\r\nFriends\r\nWork");
    writeFile(home / "Friends.abk",
              "46\r\nAnn\r\nann\r\n1\r\nann@x\r\n\r\n0\r\n\r\nFALSE\r\n\r\n\r\n");
    writeFile(home / "Work.abk", "46");
    TmainForm form(fake.platform(), home.path(), parseCommandLine({}), ScreenSize{1024, 768});
    form.FormCreate();
    fake.clock.advance(platform::Milliseconds{100});
    ASSERT_TRUE(form.started());
    EXPECT_EQ(form.addressBooks().page().books().namesWithCounts(),
              (std::vector<std::string>{"Friends [1]", "Work [0]"}));

    const platform::Menu menu = form.menuBar();
    const platform::MenuEntry* backup = platform::findMenuEntry(menu, "mnuFile_BackupAddressBooks");
    ASSERT_NE(backup, nullptr);
    ASSERT_EQ(backup->entries.size(), 4u);  // Friends, Work, a separator, All
    EXPECT_EQ(backup->entries[0].caption, "Friends");
    EXPECT_EQ(backup->entries[3].caption, "All");
    backup->entries[0].command();
    EXPECT_EQ(fake.dialogs.texts("information").back(),
              "[Friends] Address Book Successfully Backed Up!");
    EXPECT_TRUE(std::filesystem::exists(home / "Friends.abk.bak"));

    // The compose windows' view of the books.
    const compose::AddressBookEntry* ann = form.addressBooks().findNickname(" ANN ");
    ASSERT_NE(ann, nullptr);
    EXPECT_EQ(ann->addresses, std::vector<std::string>{"ann@x"});
    EXPECT_EQ(form.addressBooks().entries().size(), 1u);
    EXPECT_EQ(form.addressBooks().findNickname("nobody"), nullptr);

    ASSERT_NE(form.configForm(), nullptr);
    EXPECT_EQ(form.configForm()->addressBooksPage(), &form.addressBooks());
    form.openConfiguration(profiles::ConfigPage::AddressBooks);
    form.addressBooks().page().addClick();
    form.configForm()->close();
    EXPECT_EQ(form.statusPanel(StatusPanel::Messages), "[Friends] Address Book Was Saved");
}

}  // namespace
}  // namespace velmora::core

namespace velmora::core {
namespace {

// Two messages in InBox: Ann Lee's to Bob, and Cy Two's to Bob and dee.
void storeTwoMessages(const std::filesystem::path& home) {
    std::filesystem::create_directories(home / "InBox.000");
    testing::MessageSample first;
    testing::storeMessage(home / "InBox.000", first);
    testing::MessageSample second;
    second.fileName = "2001.07.31.15.30.46.000";
    second.senderName = "Cy Two";
    second.senderAddress = "cy@example.org";
    second.to = {{"Bob", "bob@example.org"}, {"", "dee@example.org"}};
    testing::storeMessage(home / "InBox.000", second);
}

TEST(AddressBookHooks, FolderWindowCommandsAddTheSenderAndHarvest) {
    testing::TempDir home;
    testing::FakePlatform fake;
    writeFile(home / "ENGLISH.DCT", "word\r\n");
    writeFile(home / "master.abk", "46\r\nFriends");
    writeFile(home / "Friends.abk", "46");
    storeTwoMessages(home.path());

    TmainForm form(fake.platform(), home.path(), parseCommandLine({}), ScreenSize{1024, 768});
    form.FormCreate();
    fake.clock.advance(platform::Milliseconds{100});
    reading::TinboxForm& inbox = form.openFolderWindow("InBox", true);
    fake.clock.advance(platform::Milliseconds{1000});
    ASSERT_EQ(inbox.rows().size(), 2u);
    inbox.selectAll();
    ASSERT_TRUE(form.commands().available("addressbook.harvest"));
    form.commands().find("addressbook.harvest")->run();
    auto& books = form.addressBooks().page().books();
    ASSERT_EQ(books.entries().size(), 1u);
    EXPECT_TRUE(books.entries()[0].isMailingList);
    EXPECT_EQ(books.entries()[0].addressCount(), 2);

    ASSERT_TRUE(form.commands().available("addressbook.addSender"));
    form.commands().find("addressbook.addSender")->run();
    form.commands().find("addressbook.harvestRecipientsSeparate")->run();
    EXPECT_EQ(books.readBook("Friends").entries.size(),
              2u + static_cast<std::size_t>(inbox.loadedMessage()->Recipients().Count()));
}

TEST(AddressBookHooks, NamesInOtherCharacterSetsGoIntoTheBookInUtf8) {
    testing::TempDir home;
    testing::FakePlatform fake;
    writeFile(home / "ENGLISH.DCT", "word\r\n");
    writeFile(home / "master.abk", "46\r\nFriends");
    writeFile(home / "Friends.abk", "46");
    // As arrival keeps a JIS message: its names in ISO-2022-JP.
    std::filesystem::create_directories(home / "InBox.000");
    const std::string jis = "\x1B$B$^$_$`$a$b\x1B(B";
    testing::MessageSample sample;
    sample.senderName = jis;
    sample.senderAddress = "mami@example.jp";
    sample.to = {{jis, "to@example.jp"}};
    sample.charSet = mime::TCharSet::csISO2022jp;
    testing::storeMessage(home / "InBox.000", sample);

    TmainForm form(fake.platform(), home.path(), parseCommandLine({}), ScreenSize{1024, 768});
    form.FormCreate();
    fake.clock.advance(platform::Milliseconds{100});
    reading::TinboxForm& inbox = form.openFolderWindow("InBox", true);
    fake.clock.advance(platform::Milliseconds{1000});
    inbox.clickRow(0);
    fake.clock.advance(platform::Milliseconds{1000});
    form.commands().find("addressbook.addSender")->run();
    form.commands().find("addressbook.harvestRecipientsSeparate")->run();
    const auto entries = form.addressBooks().page().books().readBook("Friends").entries;
    ASSERT_EQ(entries.size(), 2u);
    for (const auto& entry : entries) EXPECT_EQ(entry.fullName, "まみむめも");
}

TEST(AddressBookHooks, MailMenuTakesTheCurrentFolderWindowsEntriesAndChoosesTheBook) {
    testing::TempDir home;
    testing::FakePlatform fake;
    writeFile(home / "ENGLISH.DCT", "word\r\n");
    writeFile(home / "master.abk", "46\r\nFriends\r\nWork");
    writeFile(home / "Friends.abk", "46");
    writeFile(home / "Work.abk", "46");
    storeTwoMessages(home.path());
    TmainForm form(fake.platform(), home.path(), parseCommandLine({}), ScreenSize{1024, 768});
    form.FormCreate();
    fake.clock.advance(platform::Milliseconds{100});
    auto entry = [&form](const std::string& name) {
        const platform::Menu bar = form.menuBar();
        const platform::MenuEntry* found = platform::findMenuEntry(bar, name);
        return found ? *found : platform::MenuEntry{};
    };
    // No folder window yet: the entries stand, disabled.
    EXPECT_EQ(entry("mnuMail_Move").caption, "&Move Message");
    EXPECT_FALSE(entry("mnuMail_Move").enabled);

    reading::TinboxForm& inbox = form.openFolderWindow("InBox", true);
    fake.clock.advance(platform::Milliseconds{1000});
    ASSERT_EQ(inbox.rows().size(), 2u);
    inbox.selectAll();
    EXPECT_EQ(entry("mnuMail_Move").caption, "&Move Messages");
    EXPECT_TRUE(entry("mnuMail_Move").enabled);
    EXPECT_EQ(entry("mnuMail_Read").caption, "&Read Messages");
    EXPECT_EQ(entry("mnuMail_DeleteMessage").caption, "&Delete Messages");
    EXPECT_FALSE(entry("mnuMail_EditInCompose").visible);  // InBox rows open in read windows

    // Two books: "Add Sender" lists them; each harvest kind lists them too.
    const std::size_t cy = inbox.rows()[0].item.senderAddress == "cy@example.org" ? 0 : 1;
    inbox.clickRow(cy);
    const platform::MenuEntry addSender = entry("mnuMail_AddSender");
    ASSERT_EQ(addSender.entries.size(), 2u);
    EXPECT_EQ(addSender.entries[1].caption, "Work");
    addSender.entries[1].command();
    auto& books = form.addressBooks().page().books();
    ASSERT_EQ(books.readBook("Work").entries.size(), 1u);
    EXPECT_EQ(books.readBook("Work").entries[0].addresses,
              std::vector<std::string>{"cy@example.org"});

    const platform::MenuEntry harvest = entry("mnuMail_Harvest");
    ASSERT_EQ(harvest.entries.size(), 3u);
    EXPECT_EQ(harvest.entries[2].caption, "Recipients (To:, CC:) As &Separate Entries");
    ASSERT_EQ(harvest.entries[2].entries.size(), 2u);
    harvest.entries[2].entries[0].command();
    EXPECT_EQ(books.readBook("Friends").entries.size(), 2u);  // Bob and dee
}

}  // namespace
}  // namespace velmora::core
