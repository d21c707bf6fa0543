// The compose windows inside the real main window: mail-to, the session file, the Compose and
// Send commands and File, Exit.
#include <gtest/gtest.h>

#include "addressbook/address_books.h"
#include "compose/compose_form.h"
#include "compose/compose_windows.h"
#include "core/address_book_hooks.h"
#include "core/main_form.h"
#include "platform/menu.h"
#include "reading/folder_window.h"
#include "store/folders.h"
#include "support/fake_platform.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora::compose {
namespace {

using testing::writeFile;

class ComposeInMainWindow : public ::testing::Test {
  protected:
    ComposeInMainWindow() {
        writeFile(home / "ENGLISH.DCT", "word\r\n");
        writeFile(home / "master.usr", "46\r\nWork");
        writeFile(home / "Work.usr", "46\r\nWork\r\n\r\nAnn Lee\r\nann@example.org");
    }
    core::TmainForm& start(std::vector<std::string> args = {}) {
        form = std::make_unique<core::TmainForm>(fake.platform(), home.path(),
                                                 core::parseCommandLine(args),
                                                 core::ScreenSize{1024, 768});
        form->FormCreate();
        fake.clock.advance(platform::Milliseconds{100});
        fake.clock.advance(platform::Milliseconds{1000});
        return *form;
    }
    std::vector<TcomposeForm*> composeWindows() {
        std::vector<TcomposeForm*> all;
        for (const auto& child : form->children())
            if (auto* c = dynamic_cast<TcomposeForm*>(child.get())) all.push_back(c);
        return all;
    }

    testing::TempDir home;
    testing::FakePlatform fake;
    std::unique_ptr<core::TmainForm> form;
};

TEST_F(ComposeInMainWindow, MailToOpensAnAddressedComposeWindowAndTheCommandsAreRegistered) {
    core::TmainForm& f = start({"mailto:bob@example.org"});
    const auto windows = composeWindows();
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0]->key(), "Compose.Compose");
    EXPECT_EQ(windows[0]->plain(AddressField::To), "bob@example.org");
    EXPECT_EQ(windows[0]->from(), "Ann Lee <ann@example.org>");
    EXPECT_TRUE(f.commands().available("compose.new"));
    const platform::Menu toolbar = f.toolbar();
    const platform::MenuEntry* compose = platform::findMenuEntry(toolbar, "cmdTBCompose");
    ASSERT_NE(compose, nullptr);
    EXPECT_TRUE(compose->enabled);
    f.activateChild(*windows[0]);
    EXPECT_TRUE(f.commands().available("send.current"));
}

TEST_F(ComposeInMainWindow, NicknamesComeFromTheAddressBooksOfTheHomeFolder) {
    addressbook::AddressBooks books(home.path());
    ASSERT_FALSE(books.create("Friends"));
    books.load("Friends");
    addressbook::TEmailNameObjListView bob;
    bob.nickname = "bob";
    bob.fullName = "Bob Stone";
    bob.addresses = {"bob@stone.org"};
    books.entries().push_back(bob);
    ASSERT_FALSE(books.saveLoaded());
    start();
    form->commands().find("compose.new")->run();
    auto windows = composeWindows();
    ASSERT_EQ(windows.size(), 1u);
    fake.clock.advance(platform::Milliseconds{60});
    ASSERT_EQ(windows[0]->addressBook().size(), 1u);
    windows[0]->setPlain(AddressField::To, "Bob, ann@x.org");
    windows[0]->leavePlain(AddressField::To);
    EXPECT_EQ(windows[0]->plain(AddressField::To), "Bob Stone <bob@stone.org>, ann@x.org");
}

TEST_F(ComposeInMainWindow, TheAddressBooksSubMenuChoosesTheBookAndFollowsTheirChanges) {
    addressbook::AddressBooks books(home.path());
    auto person = [](const std::string& nick) {
        // One entry of a book, "nick Stone <nick@stone.org>".
        addressbook::TEmailNameObjListView e;
        e.nickname = nick;
        e.fullName = nick + " Stone";
        e.addresses = {nick + "@stone.org"};
        return e;
    };
    for (const char* name : {"Friends", "Work"}) {
        ASSERT_FALSE(books.create(name));
        books.load(name);
        books.entries().push_back(person(name == std::string("Friends") ? "bob" : "carl"));
        ASSERT_FALSE(books.saveLoaded());
    }
    start();
    auto& page = form->addressBooks().page();
    ASSERT_TRUE(page.selectBook("Friends"));
    form->commands().find("compose.new")->run();
    fake.clock.advance(platform::Milliseconds{60});
    TcomposeForm& w = *composeWindows().at(0);
    auto shown = [&w] {
        std::vector<std::string> nicks;
        for (const auto& e : w.addressBook()) nicks.push_back(e.nickName);
        return nicks;
    };
    EXPECT_EQ(shown(), std::vector<std::string>{"bob"});

    platform::Menu menu = w.popupMenu();
    const platform::MenuEntry* sub = platform::findMenuEntry(menu, "popAddressBooks");
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->caption, "Address Boo&ks");
    ASSERT_EQ(sub->entries.size(), 2u);
    EXPECT_TRUE(sub->entries[0].checked);
    EXPECT_EQ(sub->entries[1].caption, "Work [1]") << "books are listed with their entry counts";
    sub->entries[1].command();
    EXPECT_EQ(w.addressBookName(), "Work");
    EXPECT_EQ(shown(), std::vector<std::string>{"carl"});
    menu = w.popupMenu();
    EXPECT_TRUE(platform::findMenuEntry(menu, "popAddressBooks_1")->checked);

    // A new entry saved in the book on the page reaches the window that shows that book; the
    // page selecting another book leaves the window's own choice alone.
    ASSERT_TRUE(page.selectBook("Work"));
    page.addSender("Work", mime::ParseMailAddress("Dora Stone <dora@stone.org>"));
    EXPECT_EQ(shown(), (std::vector<std::string>{"carl", "dora"}));
    EXPECT_EQ(platform::findMenuEntry(w.popupMenu(), "popAddressBooks_1")->caption, "Work [2]");
    ASSERT_TRUE(page.selectBook("Friends"));
    EXPECT_EQ(w.addressBookName(), "Work");

    // The chosen book removed: the window shows the page's book again.
    fake.dialogs.answers = {platform::Answer::Yes};
    ASSERT_TRUE(page.selectBook("Work"));
    page.removeClick();
    EXPECT_EQ(w.addressBookName(), page.selectedBook());
    EXPECT_EQ(shown(), std::vector<std::string>{"bob"});
}

TEST_F(ComposeInMainWindow, AWebLinkAddressCopiedToTheBufferCanBeInsertedIntoTo) {
    start();
    form->settings().other.copyMailtoToBuffer = true;
    form->receiveHandOver(" bob@example.org?subject=hi");
    EXPECT_TRUE(composeWindows().empty());
    EXPECT_EQ(form->capturedMailTo(), "bob@example.org");
    form->commands().find("compose.new")->run();
    fake.clock.advance(platform::Milliseconds{60});
    TcomposeForm& w = *composeWindows().at(0);
    const platform::Menu menu = w.popupMenu();
    platform::findMenuEntry(menu, "popInsertMailToFromBuffer")->command();
    EXPECT_EQ(w.plain(AddressField::To), "bob@example.org");
}

TEST_F(ComposeInMainWindow, TheSessionFileReopensTheDraftAndExitRecordsItAgain) {
    testing::MessageSample draft;
    draft.subject = "Half written";
    testing::storeMessage(home.path() / "Drafts.000", draft);
    writeFile(home / "compose.dat", "Drafts\r\n0\r\n");
    start();
    auto windows = composeWindows();
    ASSERT_EQ(windows.size(), 1u);
    fake.clock.advance(platform::Milliseconds{60});
    EXPECT_EQ(windows[0]->subject(), "Half written");
    EXPECT_EQ(windows[0]->mode(), ComposeMode::Drafts);
    // Unchanged: File, Exit asks nothing and records the window.
    EXPECT_TRUE(form->FormCloseQuery());
    EXPECT_TRUE(fake.dialogs.texts("question").empty());
    EXPECT_EQ(testing::readFile(home / "compose.dat"), "Drafts\r\n0\r\n");
}

TEST_F(ComposeInMainWindow, OpeningADraftsRowInItsFolderWindowOpensItInAComposeWindow) {
    testing::MessageSample draft;
    draft.subject = "Finish me";
    testing::storeMessage(home.path() / "Drafts.000", draft);
    core::TmainForm& f = start();
    reading::TinboxForm& drafts = f.openFolderWindow("Drafts", true);
    ASSERT_EQ(drafts.rowCount(), 1u);
    drafts.clickRow(0);
    EXPECT_TRUE(f.commands().available(reading::folder_commands::kEditInCompose));
    EXPECT_FALSE(f.commands().available(reading::folder_commands::kSendSelected)) << "not OutBox";
    drafts.openSelectedRows();
    const auto windows = composeWindows();
    ASSERT_EQ(windows.size(), 1u);
    fake.clock.advance(platform::Milliseconds{60});
    EXPECT_EQ(windows[0]->subject(), "Finish me");
    EXPECT_EQ(windows[0]->mode(), ComposeMode::Drafts);
    EXPECT_TRUE(fake.dialogs.texts("information").empty());
}

TEST_F(ComposeInMainWindow, NicknamesOfTheAddressBooksExpandInTheAddressFields) {
    {
        addressbook::AddressBooks books(home.path());
        ASSERT_FALSE(books.create("Friends"));
        ASSERT_TRUE(books.load("Friends").readable);
        addressbook::TEmailNameObjListView bob;
        bob.nickname = "bob";
        bob.fullName = "Bob Marsh";
        bob.addresses = {"bob@example.org"};
        books.entries().push_back(bob);
        books.markChanged();
        ASSERT_FALSE(books.saveLoaded());
    }
    core::TmainForm& f = start();
    f.commands().find("compose.new")->run();
    auto windows = composeWindows();
    ASSERT_EQ(windows.size(), 1u);
    fake.clock.advance(platform::Milliseconds{60});
    windows[0]->setPlain(AddressField::To, "BOB");
    windows[0]->leavePlain(AddressField::To);
    EXPECT_NE(windows[0]->plain(AddressField::To).find("bob@example.org"), std::string::npos)
        << windows[0]->plain(AddressField::To);
}

TEST_F(ComposeInMainWindow, ExitAsksAboutUnsavedWorkAndKeepsItInDrafts) {
    start();
    form->commands().find("compose.new")->run();
    auto windows = composeWindows();
    ASSERT_EQ(windows.size(), 1u);
    fake.clock.advance(platform::Milliseconds{60});
    windows[0]->setSubject("Do not lose me");
    fake.dialogs.answers = {platform::Answer::Yes};
    EXPECT_TRUE(form->FormCloseQuery());
    ASSERT_FALSE(fake.dialogs.shown.empty());
    EXPECT_EQ(fake.dialogs.shown[0].text,
              "Save Compose Message [Do not lose me] To Drafts Folder?");
    EXPECT_TRUE(composeWindows().empty());
    ASSERT_NE(form->findFolderWindow("Drafts"), nullptr);
    EXPECT_EQ(form->findFolderWindow("Drafts")->rowCount(), 1u);
}

TEST_F(ComposeInMainWindow, ATerminationKeepsUnsavedWorkInDraftsThoughTrashIsEmptiedOnExit) {
    start();
    form->settings().other.emptyTrashOnExit = true;
    form->commands().find("compose.new")->run();
    auto windows = composeWindows();
    ASSERT_EQ(windows.size(), 1u);
    fake.clock.advance(platform::Milliseconds{60});
    windows[0]->setSubject("Written before the logout");
    windows[0]->setPlain(AddressField::To, "not an address <");
    fake.events.ending = true;
    EXPECT_TRUE(form->FormCloseQuery());
    EXPECT_TRUE(fake.dialogs.texts("question").empty()) << "nobody to answer";
    EXPECT_TRUE(composeWindows().empty());
    ASSERT_NE(form->findFolderWindow("Drafts"), nullptr);
    ASSERT_EQ(form->findFolderWindow("Drafts")->rowCount(), 1u);
    EXPECT_NE(form->findFolderWindow("Drafts")->rows()[0].text.find("Written before the logout"),
              std::string::npos);
}

}  // namespace
}  // namespace velmora::compose
