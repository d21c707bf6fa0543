// The address books in the main window: loaded at start-up, the configuration window's page, the
// File menu backups, the status bar after leaving the page.
#include "core/address_book_hooks.h"

#include <gtest/gtest.h>

#include "base/text_file.h"
#include "core/main_form.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace velmora::core {
namespace {

using testing::writeFile;

TEST(AddressBookHooks, BooksLoadAtStartupAndTheFileMenuBacksThemUp) {
    testing::TempDir home;
    testing::FakePlatform fake;
    writeFile(home / "ENGLISH.DCT", "word\r\n");
    writeFile(home / "master.abk", "46\r\nFriends\r\nWork");
    writeFile(home / "Friends.abk", "46\r\nAnn\r\nann\r\n1\r\nann@x\r\n\r\n0\r\n\r\nFALSE\r\n\r\n\r\n");
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
    EXPECT_EQ(fake.dialogs.texts("information").back(), "[Friends] Address Book Successfully Backed Up!");
    EXPECT_TRUE(std::filesystem::exists(home / "Friends.abk.bak"));

    ASSERT_NE(form.configForm(), nullptr);
    EXPECT_EQ(form.configForm()->addressBooksPage(), &form.addressBooks());
    form.openConfiguration(profiles::ConfigPage::AddressBooks);
    form.addressBooks().page().addClick();
    form.configForm()->close();
    EXPECT_EQ(form.statusPanel(StatusPanel::Messages), "[Friends] Address Book Was Saved");
}

}  // namespace
}  // namespace velmora::core
