// Replying and forwarding inside the real main window: the Mail menu with F11 and F12, the
// toolbar's Reply and Forward buttons, the folder window's and the read window's menus all reach
// the compose module's commands.
#include <gtest/gtest.h>

#include "compose/compose_form.h"
#include "core/main_form.h"
#include "reading/folder_window.h"
#include "reading/read_window.h"
#include "store/folders.h"
#include "support/fake_platform.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora::compose {
namespace {

using testing::writeFile;

class ReplyInMainWindow : public ::testing::Test {
  protected:
    ReplyInMainWindow() {
        writeFile(home / "ENGLISH.DCT", "word\r\n");
        writeFile(home / "master.usr", "46\r\nWork\r\nHome");
        writeFile(home / "Work.usr", "46\r\nWork\r\n\r\nMe Myself\r\nme@home.example");
        writeFile(home / "Home.usr", "46\r\nHome\r\n\r\nMe At Home\r\nme@private.example");
        testing::MessageSample sample;
        sample.senderName = "Ann Lee";
        sample.senderAddress = "ann@example.org";
        sample.to = {{"Me", "me@home.example"}, {"Bob", "bob@example.org"}};
        testing::storeMessage(store::folderDirectory(home.path(), "InBox"), sample);
    }
    core::TmainForm& start() {
        form = std::make_unique<core::TmainForm>(
            fake.platform(), home.path(), core::parseCommandLine({}), core::ScreenSize{1024, 768});
        form->FormCreate();
        fake.clock.advance(platform::Milliseconds{100});
        fake.clock.advance(platform::Milliseconds{1000});
        return *form;
    }
    reading::TinboxForm& inbox() {
        auto& w = form->openFolderWindow("InBox", true);
        form->activateChild(w);
        w.clickRow(0);
        w.loadPreview();
        return w;
    }
    std::vector<TcomposeForm*> composeWindows() {
        std::vector<TcomposeForm*> all;
        for (const auto& child : form->children())
            if (auto* c = dynamic_cast<TcomposeForm*>(child.get())) all.push_back(c);
        return all;
    }
    // The compose window whose caption holds `word` ("Reply To All From", "Forward").
    TcomposeForm* window(const std::string& word) {
        for (TcomposeForm* w : composeWindows())
            if (w->caption().find(" - " + word + " - ") != std::string::npos) return w;
        return nullptr;
    }
    const platform::MenuEntry& entry(const platform::Menu& menu, const std::string& name) {
        const platform::MenuEntry* found = platform::findMenuEntry(menu, name);
        EXPECT_NE(found, nullptr) << name;
        static const platform::MenuEntry none;
        return found ? *found : none;
    }

    testing::TempDir home;
    testing::FakePlatform fake;
    std::unique_ptr<core::TmainForm> form;
};

TEST_F(ReplyInMainWindow, MenusToolbarAndKeysReachTheCommands) {
    start();
    reading::TinboxForm& w = inbox();
    const platform::Menu bar = form->menuBar();
    const auto& reply = entry(bar, "mnuMail_ReplyToSender");
    EXPECT_EQ(reply.shortcut, "F11");
    EXPECT_TRUE(reply.enabled);
    EXPECT_EQ(entry(bar, "mnuMail_Forward").shortcut, "F12");
    EXPECT_TRUE(entry(bar, "mnuMail_Forward").enabled);
    EXPECT_EQ(entry(bar, "mnuMail_ForwardFrom_1").caption, "Home");
    for (const char* name : {"cmdTBReply", "cmdTBForward"})
        EXPECT_TRUE(entry(form->toolbar(), name).enabled) << name;
    for (const char* name : {"popListView_ReplySender", "popListView_ReplyAll",
                             "popListView_Forward", "popListView_ForwardAbuse"})
        EXPECT_TRUE(entry(w.listMenu(), name).enabled) << name;

    ASSERT_TRUE(reply.command);
    reply.command();
    ASSERT_EQ(composeWindows().size(), 1u);
    EXPECT_EQ(composeWindows()[0]->key(), "Compose.Reply");
    EXPECT_EQ(composeWindows()[0]->plain(AddressField::To), "Ann Lee <ann@example.org>");

    // "from different profile": the profile of the entry answers.
    inbox();
    entry(form->menuBar(), "mnuMail_ReplyFrom_All_1").command();
    ASSERT_EQ(composeWindows().size(), 2u);
    TcomposeForm* all = window("Reply To All From");
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(all->from(), "Me At Home <me@private.example>");
    // The active profile's address is the one taken out of To.
    EXPECT_EQ(all->lines(AddressField::To),
              (std::vector<std::string>{"Ann Lee <ann@example.org>", "Bob <bob@example.org>"}));

    inbox();
    entry(form->toolbar(), "cmdTBForward").command();
    ASSERT_EQ(composeWindows().size(), 3u);
    ASSERT_NE(window("Forward"), nullptr);
    EXPECT_EQ(window("Forward")->key(), "Compose.Forward");
    EXPECT_EQ(inbox().rows()[0].item.status, "R O R F a N");
}

TEST_F(ReplyInMainWindow, ComposeUsingProfileWritesAsThatProfile) {
    start();
    const platform::Menu bar = form->menuBar();
    const platform::MenuEntry& home = entry(bar, "mnuMail_ComposeUsingProfile_1");
    EXPECT_EQ(home.caption, "Home");
    ASSERT_TRUE(home.enabled);
    home.command();
    ASSERT_EQ(composeWindows().size(), 1u);
    EXPECT_EQ(composeWindows()[0]->from(), "Me At Home <me@private.example>");
    EXPECT_EQ(form->profileLists().activeProfile()->profileName, "Work");
}

TEST_F(ReplyInMainWindow, ReadWindowMenuAnswersItsMessage) {
    start();
    reading::TinboxForm& w = inbox();
    w.openSelectedRows();
    reading::TreadForm* read = nullptr;
    for (const auto& child : form->children())
        if (auto* r = dynamic_cast<reading::TreadForm*>(child.get())) read = r;
    ASSERT_NE(read, nullptr);
    form->activateChild(*read);
    const platform::Menu menu = read->popupMenu();
    const auto& replyAll = entry(menu, "popRead_ReplyAll");
    ASSERT_TRUE(replyAll.enabled);
    replyAll.command();
    ASSERT_EQ(composeWindows().size(), 1u);
    EXPECT_EQ(composeWindows()[0]->lines(AddressField::To),
              (std::vector<std::string>{"Ann Lee <ann@example.org>", "Bob <bob@example.org>"}));
}

}  // namespace
}  // namespace velmora::compose
