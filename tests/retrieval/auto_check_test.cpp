#include "retrieval/auto_check.h"

#include <gtest/gtest.h>

#include "fake_retrieval_host.h"
#include "net/scripted_server.h"
#include "store/folders.h"
#include "support/fake_new_mail_signals.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace velmora::retrieval {
namespace {

using Script = std::vector<std::string>;
using testing::ScriptedServer;

Script operator+(Script a, const Script& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Script countSession(int count, const std::string& password = "secret") {
    return {"S: +OK ready",
            "C: USER alice",
            "S: +OK",
            "C: PASS " + password,
            "S: +OK",
            "C: STAT",
            "S: +OK " + std::to_string(count) + " 4096",
            "C: QUIT",
            "S: +OK"};
}

struct FakeAutoCheckHost final : AutoCheckHost {
    explicit FakeAutoCheckHost(testing::FakeRetrievalHost& retrieval) : retrievalHost(retrieval) {}
    void showCheckStatus(const std::string& text) override { statuses.push_back(text); }
    std::string applicationTitle() const override { return retrievalHost.title; }
    void setApplicationTitle(const std::string& title) override { retrievalHost.title = title; }
    bool applicationMinimized() const override { return false; }
    bool busy() const override { return retrievalHost.busyFlag; }
    bool shuttingDown() const override { return false; }
    void setAutoCheckChecked(bool checked) override { menuChecked = checked; }
    void setCheckCommandsEnabled(bool enabled) override { commandsEnabled = enabled; }
    void newMailListChanged() override {}

    testing::FakeRetrievalHost& retrievalHost;
    std::vector<std::string> statuses;
    bool menuChecked = false;
    bool commandsEnabled = true;
};

struct AutoCheckTest : ::testing::Test {
    testing::TempDir home;
    testing::FakePlatform fake;
    profiles::Settings settings;
    profiles::ProfileLists profiles;
    RuleList rules;
    testing::FakeRetrievalHost host{fake, home.path(), settings};
    Retrieval retrieval{fake, home.path(), settings, profiles, rules, host};
    testing::FakeNewMailSignals signals;
    FakeAutoCheckHost checkHost{host};
    AutoMailCheck autoCheck{fake, settings, profiles, retrieval, signals.signals, checkHost};

    AutoCheckTest() {
        std::filesystem::create_directories(home / "InBox.000");
        settings.misc.notify = true;
        settings.misc.checkInterval = 0;  // 1 minute
    }

    void addProfile(std::uint16_t port, bool remember = true) {
        profiles::TUsersObjListBox profile;
        profile.profileName = "Home";
        profile.accountName = "alice";
        profile.password = "secret";
        profile.rememberPassword = remember;
        profile.pop3Server = "127.0.0.1";
        profiles.append(profile);
        profiles.selectActiveProfile(0);
        settings.retrieve.pop3Port = std::to_string(port);
    }

    void seconds(int n) {
        for (int i = 0; i < n; ++i) fake.clock.advance(platform::Milliseconds{1000});
    }
};

TEST_F(AutoCheckTest, PeriodOneChecksAfter58SecondsThenAMinuteApart) {
    ScriptedServer server(countSession(2) + Script{"ACCEPT"} + countSession(0));
    addProfile(server.port());
    autoCheck.startAutoCheck();
    EXPECT_TRUE(checkHost.menuChecked);
    EXPECT_EQ(checkHost.statuses.back(), "Auto-Mail Checking Enabled");
    seconds(1);
    EXPECT_EQ(checkHost.statuses.back(), "Auto-Mail Check in 0:57");
    EXPECT_EQ(host.title, " Velmora 0:57");
    seconds(56);
    EXPECT_TRUE(server.received().empty());
    seconds(1);  // 58 seconds after enabling
    ASSERT_EQ(retrieval.newMail().entries().size(), 1u);
    EXPECT_EQ(retrieval.newMail().entries()[0].text, "*** 2 Messages");
    EXPECT_TRUE(fake.dialogs.shown.empty());  // quiet: no box
    EXPECT_TRUE(autoCheck.running());
    seconds(59);
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(retrieval.newMail().entries()[0].text, "*** No Messages");
    EXPECT_FALSE(signals.tray.visible());
}

TEST_F(AutoCheckTest, MailWaitingIsAnnouncedByEverySignalChosen) {
    ScriptedServer server(countSession(1));
    addProfile(server.port());
    settings.misc.blinkTaskbar = true;
    settings.misc.trayIcon = true;
    settings.misc.playSound = true;
    settings.misc.soundFile = " ding.wav ";
    settings.misc.newMailMessageBox = 1;
    autoCheck.startAutoCheck();
    seconds(58);
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(retrieval.newMail().entries().at(0).text, "*** 1 Message");
    EXPECT_TRUE(signals.tray.visible());
    EXPECT_EQ(signals.tray.picture, platform::TrayPicture::Envelope);
    EXPECT_EQ(signals.tray.toolTip, "Velmora Pro - 1 Message Waiting ");
    EXPECT_EQ(fake.system.sounds, std::vector<std::filesystem::path>{"ding.wav"});
    EXPECT_EQ(signals.attention.starts, 1);
    EXPECT_FALSE(signals.attention.flashing);  // the box stops it
    EXPECT_EQ(fake.dialogs.texts("information"),
              std::vector<std::string>{"You have mail waiting!\r\rMessage Count For [Home]\r\r"
                                       "Total Messages: 1\r       Total Bytes: 4,096"});
    autoCheck.clearIndication();
    EXPECT_FALSE(signals.tray.visible());
}

TEST_F(AutoCheckTest, KeptFolderNamesStayWhenACheckFindsMail) {
    ScriptedServer server(countSession(3));
    addProfile(server.port());
    settings.misc.keepNewMailFolderNames = true;
    retrieval.newMail().addFolder("Work", 4);
    autoCheck.startAutoCheck();
    seconds(58);
    EXPECT_EQ(server.finish(), "");
    ASSERT_EQ(retrieval.newMail().entries().size(), 1u);
    EXPECT_EQ(retrieval.newMail().entries()[0].text, "Work");
}

TEST_F(AutoCheckTest, ACheckDueDuringARetrievalWaitsUntilItEnds) {
    ScriptedServer server(countSession(0));
    addProfile(server.port());
    autoCheck.startAutoCheck();
    host.busyFlag = true;
    seconds(58);
    EXPECT_TRUE(server.received().empty());
    EXPECT_TRUE(autoCheck.running());  // started again for another round
    host.busyFlag = false;
    seconds(59);
    EXPECT_EQ(server.finish(), "");
}

TEST_F(AutoCheckTest, CancellingThePasswordTurnsCheckingOff) {
    addProfile(110, false);
    fake.dialogs.inputAnswers.push_back(std::nullopt);
    autoCheck.startAutoCheck();
    seconds(58);
    EXPECT_FALSE(settings.misc.notify);
    EXPECT_EQ(
        fake.dialogs.texts("information"),
        std::vector<std::string>{"No password entered - Auto-Mail Checking has been disabled."});
    EXPECT_FALSE(autoCheck.running());
    seconds(120);
    EXPECT_EQ(fake.dialogs.inputBoxes.size(), 1u);
}

TEST_F(AutoCheckTest, ARejectedPasswordIsShownAndAskedForAgainAtTheNextCheck) {
    ScriptedServer server({"S: +OK ready", "C: USER alice", "S: +OK", "C: PASS wrong",
                           "S: -ERR authentication failed", "ACCEPT", "S: +OK ready",
                           "C: USER alice", "S: +OK", "C: PASS right", "S: +OK", "C: STAT",
                           "S: +OK 0 0", "C: QUIT", "S: +OK"});
    addProfile(server.port(), false);
    fake.dialogs.inputAnswers.push_back(platform::InputBoxResult{"wrong", ""});
    fake.dialogs.inputAnswers.push_back(platform::InputBoxResult{"right", ""});
    autoCheck.startAutoCheck();
    seconds(58);
    EXPECT_EQ(checkHost.statuses.back(), "-ERR authentication failed");
    EXPECT_TRUE(settings.misc.notify);
    seconds(59);
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(fake.dialogs.inputBoxes.size(), 2u);
    EXPECT_EQ(retrieval.newMail().entries().at(0).text, "*** No Messages");
}

TEST_F(AutoCheckTest, TurningNotifyOffStopsTheTimersAndTheIndication) {
    addProfile(110);
    autoCheck.startAutoCheck();
    signals.attention.startFlashing();
    autoCheck.toggle();
    EXPECT_FALSE(autoCheck.running());
    EXPECT_FALSE(signals.attention.flashing);
    EXPECT_EQ(checkHost.statuses.back(), "Auto-Mail Checking Disabled");
    EXPECT_FALSE(checkHost.menuChecked);
}

}  // namespace
}  // namespace velmora::retrieval
