// Retrieval as the main window carries it: the commands of the toolbar and menus, the windows of
// retrieval through the window kinds, the busy flag, and automatic checking on the frame's timers.
#include "core/main_retrieval.h"

#include <gtest/gtest.h>

#include "core/main_form.h"
#include "net/scripted_server.h"
#include "profiles/profile.h"
#include "profiles/settings.h"
#include "store/folders.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace velmora::core {
namespace {

using Script = std::vector<std::string>;
using testing::ScriptedServer;
namespace fs = std::filesystem;

Script operator+(Script a, const Script& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Script login(int count, std::int64_t total = 4096) {
    return {"S: +OK ready",
            "C: USER alice",
            "S: +OK",
            "C: PASS secret",
            "S: +OK",
            "C: STAT",
            "S: +OK " + std::to_string(count) + " " + std::to_string(total)};
}
const Script kQuit = {"C: QUIT", "S: +OK"};

// Retrieve all asks the sizes of the whole mailbox first, then CAPA. LIST announces no more than
// each text holds: a shorter message is never deleted.
Script sizes(int count) {
    Script script{"C: LIST", "S: +OK"};
    for (int n = 1; n <= count; ++n) script.push_back("S: " + std::to_string(n) + " 100");
    script.insert(script.end(), {"S: .", "C: CAPA", "S: +OK", "S: TOP", "S: ."});
    return script;
}

Script retr(int n, const std::string& subject) {
    const std::string number = std::to_string(n);
    return {"C: RETR " + number,
            "R: +OK\\r\\nFrom: Ann Lee <ann@example.org>\\r\\nTo: bob@example.org\\r\\n"
            "Subject: " +
                subject +
                "\\r\\nDate: Tue, 31 Jul 2001 15:30:45 +0200\\r\\n\\r\\n"
                "body\\r\\n.\\r\\n"};
}

class MainRetrievalTest : public ::testing::Test {
  protected:
    void SetUp() override { testing::writeFile(home / "ENGLISH.DCT", "word\r\n"); }

    // Profiles "Home" (and more) on the scripted server's port, remembering the password.
    void writeProfiles(std::uint16_t port, std::vector<std::string> names = {"Home"}) {
        ASSERT_FALSE(profiles::writeMasterUsr(home.path(), names));
        for (const std::string& name : names) {
            profiles::TUsersObjListBox profile;
            profile.profileName = name;
            profile.accountName = "alice";
            profile.password = "secret";
            profile.rememberPassword = true;
            profile.pop3Server = "127.0.0.1";
            ASSERT_FALSE(
                profiles::writeProfileFile(profiles::profileFilePath(home.path(), name), profile));
        }
        profiles::RetrieveSettings retrieve;
        retrieve.pop3Port = std::to_string(port);
        ASSERT_FALSE(profiles::saveRetrieveSettings(home.path(), retrieve));
    }

    TmainForm& start() {
        form = std::make_unique<TmainForm>(fake.platform(), home.path(), StartRequest{},
                                           ScreenSize{1024, 768});
        form->FormCreate();
        fake.clock.advance(platform::Milliseconds{100});
        return *form;
    }
    void shutDown() {
        form->FormCloseQuery();
        form->FormClose();
        form.reset();
    }
    platform::MenuEntry entry(const platform::Menu& menu, const std::string& name) {
        const platform::MenuEntry* found = platform::findMenuEntry(menu, name);
        EXPECT_NE(found, nullptr) << name;
        return found ? *found : platform::MenuEntry{};
    }

    testing::TempDir home;
    testing::FakePlatform fake;
    std::unique_ptr<TmainForm> form;
};

TEST_F(MainRetrievalTest, ToolbarAndMenusCarryTheRetrievalCommandsByTheirModes) {
    writeProfiles(110);
    TmainForm& f = start();
    for (const char* name : {"cmdTBCount", "cmdTBHeaders", "cmdTBMessages"})
        EXPECT_TRUE(entry(f.toolbar(), name).enabled) << name;
    EXPECT_EQ(entry(f.toolbar(), "cmdTBMessages").hint, "Retrieve All Messages - Delete|");
    const platform::MenuEntry onServer = entry(f.menuBar(), "mnuMail_Retrieve_DeleteOnServer");
    EXPECT_TRUE(onServer.checkable && onServer.checked);
    EXPECT_TRUE(entry(f.menuBar(), "mnuView_RulesFilters").enabled);
    EXPECT_TRUE(entry(f.menuBar(), "mnuMail_AutoMailCheck").enabled);
    EXPECT_FALSE(entry(f.menuBar(), "mnuMail_RetrieveVia").enabled) << "one profile";

    // The right-click after a mode set elsewhere switches delete and leave, keeping "all".
    f.commands().run("retrieve.messagesMode");
    EXPECT_EQ(entry(f.toolbar(), "cmdTBMessages").hint, "Retrieve All Messages - Leave On Server|");
    EXPECT_FALSE(entry(f.menuBar(), "mnuMail_Retrieve_DeleteOnServer").checked);

    f.setBusy(true);
    EXPECT_FALSE(entry(f.toolbar(), "cmdTBCount").enabled) << "nothing starts while busy";
    EXPECT_FALSE(entry(f.menuBar(), "mnuMail_Retrieve_All").enabled);
    f.setBusy(false);
}

TEST_F(MainRetrievalTest, CountButtonCountsTheActiveProfilesMailbox) {
    ScriptedServer server(login(3, 1234567) + kQuit);
    writeProfiles(server.port());
    TmainForm& f = start();
    entry(f.toolbar(), "cmdTBCount").command();
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(fake.dialogs.texts("information").back(),
              "Message Count For [Home]\r\rTotal Messages: 3\r\r       Total Bytes: 1,234,567");
    EXPECT_FALSE(f.busy());
    EXPECT_EQ(f.applicationTitle(), "Velmora Pro");
}

TEST_F(MainRetrievalTest, MessagesButtonRetrievesIntoTheInBoxWindowAndListsItInNewMail) {
    ScriptedServer server(login(2) + sizes(2) + retr(1, "first") + retr(2, "second") +
                          Script{"C: DELE 1", "S: +OK", "C: DELE 2", "S: +OK"} + kQuit);
    writeProfiles(server.port());
    TmainForm& f = start();
    entry(f.toolbar(), "cmdTBMessages").command();
    EXPECT_EQ(server.finish(), "");
    reading::TinboxForm* inbox = f.findFolderWindow("InBox");
    ASSERT_NE(inbox, nullptr);
    EXPECT_EQ(inbox->rowCount(), 2u);
    EXPECT_EQ(f.currentFolderWindow(), inbox);
    const retrieval::NewMailList& newMail = f.retrieval().newMail();
    ASSERT_EQ(newMail.entries().size(), 1u);
    EXPECT_EQ(newMail.entries()[0].folder, "InBox");
    EXPECT_EQ(inbox->caption().rfind("* ", 0), 0u) << inbox->caption();
    f.openFolderWindow("Sent", true);
    f.retrieval().chooseNewMail(0);  // the New Mail selector's entry shows that folder again
    EXPECT_EQ(f.currentFolderWindow(), inbox);

    // The next user session takes the marks away.
    ScriptedServer again(login(0) + kQuit);
    f.settings().retrieve.pop3Port = std::to_string(again.port());
    f.commands().run("retrieve.headers");
    EXPECT_EQ(again.finish(), "");
    EXPECT_NE(inbox->caption().rfind("* ", 0), 0u) << inbox->caption();
    EXPECT_TRUE(f.retrieval().newMail().empty());
}

TEST_F(MainRetrievalTest, RetrieveViaUserProfileMakesThatProfileActiveFirst) {
    ScriptedServer server(login(1) + kQuit);
    writeProfiles(server.port(), {"Home", "Work"});
    TmainForm& f = start();
    ASSERT_EQ(f.profileLists().activeIndex(), 0);
    entry(f.menuBar(), "mnuMail_RetrieveVia_1_Count").command();
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(f.profileLists().activeIndex(), 1);
    EXPECT_EQ(fake.dialogs.texts("information").back(),
              "Message Count For [Work]\r\rTotal Messages: 1\r\r       Total Bytes: 4,096");
    EXPECT_TRUE(entry(f.menuBar(), "mnuMail_RetrieveVia_1_Headers").shortcut.empty());
}

TEST_F(MainRetrievalTest, HeadersWindowIsAChildWindowEmptiedByAProfileChangeAndRecorded) {
    writeProfiles(110, {"Home", "Work"});
    TmainForm& f = start();
    EXPECT_TRUE(entry(f.menuBar(), "mnuMail_RetrieveVia").enabled);
    f.commands().run("headers.show");
    auto* headers =
        dynamic_cast<retrieval::TheadersForm*>(f.findChild(retrieval::kHeadersWindowKey));
    ASSERT_NE(headers, nullptr);
    retrieval::HeadersRow row;
    row.columns[0] = "Ret & Del";
    headers->addRow(row);
    headers->fetchFinished();

    f.setBusy(true);
    EXPECT_FALSE(f.selectActiveProfile(1)) << "refused while mail is transferred";
    EXPECT_EQ(f.profileLists().activeIndex(), 0);
    EXPECT_EQ(headers->rowCount(), 1u);
    f.setBusy(false);
    // The window's own "Change &User Profile" menu makes "Work" active.
    const platform::MenuEntry change = entry(headers->popupMenu(), "mnuHeaders_Profile");
    ASSERT_TRUE(change.visible);
    ASSERT_EQ(change.entries.size(), 2u);
    EXPECT_TRUE(change.entries[0].checked);
    change.entries[1].command();
    EXPECT_EQ(f.profileLists().activeIndex(), 1);
    EXPECT_EQ(headers->rowCount(), 0u) << "the rows were the other server's";
    EXPECT_FALSE(entry(headers->popupMenu(), "mnuHeaders_Execute").enabled);

    headers->setBounds({10, 20, 500, 300});
    shutDown();
    EXPECT_TRUE(fs::exists(home / "headers.dat"));
    TmainForm& again = start();
    auto* restored =
        dynamic_cast<retrieval::TheadersForm*>(again.findChild(retrieval::kHeadersWindowKey));
    ASSERT_NE(restored, nullptr);
    EXPECT_EQ(restored->bounds().width, 500);
}

TEST_F(MainRetrievalTest, RulesWindowEditsTheRulesTheSessionsUseAndClosingWritesThem) {
    writeProfiles(110);
    TmainForm& f = start();
    f.commands().run("rules.show");
    auto* rules = dynamic_cast<retrieval::TfiltersForm*>(f.findChild(retrieval::kFiltersWindowKey));
    ASSERT_NE(rules, nullptr);
    fake.dialogs.inputAnswers.push_back(platform::InputBoxResult{"Work mail", ""});
    rules->cmdAddClick();
    EXPECT_EQ(f.retrieval().rules().rules.size(), 1u);
    f.commands().run("rules.show");  // brought up again, not a second window
    EXPECT_EQ(std::count_if(f.children().begin(), f.children().end(),
                            [](const auto& c) { return c->kind() == "Filters"; }),
              1);
    ASSERT_TRUE(f.closeChild(*rules));
    EXPECT_TRUE(fs::exists(home / "filters.raf"));
    EXPECT_TRUE(fs::exists(home / "filters.bak"));
}

TEST_F(MainRetrievalTest, AutomaticCheckCountsOnTheFramesTimersAndIsToggledFromTheMailMenu) {
    ScriptedServer server(login(2) + kQuit);
    writeProfiles(server.port());
    TmainForm& f = start();
    f.settings().misc.checkInterval = 0;  // 1 minute
    f.commands().run("autoCheck.toggle");
    EXPECT_TRUE(entry(f.menuBar(), "mnuMail_AutoMailCheck").checked);
    EXPECT_EQ(f.statusPanel(StatusPanel::Spare), "Auto-Mail Checking Enabled");
    for (int i = 0; i < 58; ++i) fake.clock.advance(platform::Milliseconds{1000});
    EXPECT_EQ(server.finish(), "");
    ASSERT_EQ(f.retrieval().newMail().entries().size(), 1u);
    EXPECT_EQ(f.retrieval().newMail().entries()[0].text, "*** 2 Messages");
    EXPECT_TRUE(f.retrieval().autoCheckRunning()) << "counting down again";

    f.setStatusBarShown(false);
    fake.clock.advance(platform::Milliseconds{1000});
    EXPECT_EQ(f.caption(), "Velmora Pro 4.6 - Auto-Mail Check in 0:57")
        << "no status bar to show it";
    f.commands().run("autoCheck.toggle");
    EXPECT_FALSE(entry(f.menuBar(), "mnuMail_AutoMailCheck").checked);
    EXPECT_EQ(f.statusPanel(StatusPanel::Spare), "Auto-Mail Checking Disabled");
    f.setStatusBarShown(true);
    EXPECT_EQ(f.caption(), "Velmora Pro 4.6");
}

TEST_F(MainRetrievalTest, TheFirstProfileOfANewHomeStartsTheAutomaticCheckState) {
    TmainForm& f = start();  // no profile: start-up ends in the Users page
    EXPECT_EQ(f.statusPanel(StatusPanel::Spare), "Spare");
    profiles::TUsersObjListBox profile;
    profile.profileName = "Home";
    f.profileLists().append(profile);
    EXPECT_EQ(f.statusPanel(StatusPanel::Spare), "Auto-Mail Checking Disabled");
}

TEST_F(MainRetrievalTest, TurningNotifyOnInTheConfigurationWindowStartsCheckingAtOnce) {
    writeProfiles(110);
    TmainForm& f = start();
    EXPECT_FALSE(f.retrieval().autoCheckRunning());
    profiles::TconfigForm* config = f.configForm();
    ASSERT_NE(config, nullptr);
    profiles::OptionPage* misc = config->optionPage(profiles::ConfigPage::Misc);
    ASSERT_NE(misc, nullptr);
    misc->setChecked("notify", true);
    EXPECT_TRUE(f.retrieval().autoCheckRunning());
    EXPECT_TRUE(entry(f.menuBar(), "mnuMail_AutoMailCheck").checked);
}

}  // namespace
}  // namespace velmora::core
