#include "profiles/config_form.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "base/text_file.h"
#include "profiles/settings_rules.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace velmora::profiles {
namespace {

namespace fs = std::filesystem;
using testing::FakePlatform;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

class FakeRegistry final : public MailHandlerRegistry {
  public:
    std::optional<std::string> currentHandler() override { return handler; }
    bool setHandler(const std::string& id, std::string& error) override {
        if (!setWorks) {
            error = "refused";
            return false;
        }
        handler = id;
        return true;
    }
    bool installDesktopEntry(std::string&) override { return installed = true; }
    void removeDesktopEntry() override { installed = false; }

    std::optional<std::string> handler = "thunderbird.desktop";
    bool setWorks = true;
    bool installed = false;
};

struct RecordingConfigEvents : ConfigEvents {
    void optionChanged(ConfigPage page, const std::string& id) override {
        changes.emplace_back(page, id);
    }
    std::vector<std::pair<ConfigPage, std::string>> changes;
};

class ConfigFormTest : public ::testing::Test {
  protected:
    TempDir home;
    FakePlatform fake;
    Settings settings;
    ProfileLists lists;
    FakeRegistry registry;
    RecordingConfigEvents events;
    TconfigForm form{fake, home.path(), lists, settings, registry, &events};
};

TEST_F(ConfigFormTest, ConfigureMenuOpensEachPageAndAChangedPageIsWrittenWhenLeft) {
    struct Case {
        ConfigPage page;
        const char* file;
        const char* option;
    };
    const Case cases[] = {
        {ConfigPage::Retrieve, kRetrieveFile, "displayHeadersInRed"},
        {ConfigPage::Send, kSendFile, "requestReadAck"},
        {ConfigPage::Compose, kComposeFile, "useGreeting"},
        {ConfigPage::Read, kReadFile, "enableHtml"},
        {ConfigPage::Reply, kReplyFile, "openOnBodyTab"},
        {ConfigPage::Misc, kMiscFile, "keepNewMailFolderNames"},
        {ConfigPage::Other, kOtherFile, "confirmDelete"},
        {ConfigPage::Gui, kGuiFile, "verticalLines"},
    };
    for (const auto& entry : kConfigureMenu) {
        form.open(entry.page);
        EXPECT_EQ(form.page(), entry.page) << entry.path;
        form.close();
    }
    for (const Case& c : cases) {
        form.open(c.page);
        OptionPage* page = form.optionPage(c.page);
        ASSERT_NE(page, nullptr);
        EXPECT_FALSE(page->options().empty());
        const bool before = page->checked(c.option);
        page->setChecked(c.option, !before);
        EXPECT_TRUE(page->changed());
        EXPECT_FALSE(fs::exists(home / c.file)) << c.file;
        form.selectPage(ConfigPage::Users);
        EXPECT_TRUE(fs::exists(home / c.file)) << c.file;
        EXPECT_FALSE(page->changed());
        form.close();
    }
    // Reading the files back gives what the pages set.
    EXPECT_FALSE(loadRetrieveSettings(home.path()).displayHeadersInRed);
    EXPECT_TRUE(loadSendSettings(home.path()).requestReadAck);
    EXPECT_TRUE(loadComposeSettings(home.path()).useGreeting);
    EXPECT_FALSE(loadReadSettings(home.path()).enableHtml);
    EXPECT_TRUE(loadReplySettings(home.path()).openOnBodyTab);
    EXPECT_TRUE(loadMiscSettings(home.path()).keepNewMailFolderNames);
    EXPECT_FALSE(loadOtherSettings(home.path()).confirmDelete);
    EXPECT_FALSE(loadGuiSettings(home.path()).verticalLines);
    EXPECT_EQ(events.changes.size(), 8u);
}

TEST_F(ConfigFormTest, UnchangedPageWritesNothingAndCloseKeepsThePosition) {
    form.open(ConfigPage::Send);
    form.send().setChoice("timeout", 1);  // the value it already has
    form.setPosition(40, 60);
    form.close();
    EXPECT_FALSE(form.visible());
    EXPECT_FALSE(fs::exists(home / kSendFile));
    EXPECT_EQ(settings.vl.configWindowLeft, 40);
    EXPECT_EQ(settings.vl.configWindowTop, 60);
}

TEST_F(ConfigFormTest, ChangeOnTheLastPageIsWrittenOnClose) {
    form.open(ConfigPage::Gui);
    form.gui().setChoice("tabStyle", 2);
    form.close();
    EXPECT_EQ(loadGuiSettings(home.path()).tabStyle, 2);
}

TEST_F(ConfigFormTest, FirstStartOpensTheUsersPageAndAsksForAProfileName) {
    fake.dialogs.inputAnswers.push_back(platform::InputBoxResult{"Home", ""});
    form.openForFirstProfile();
    EXPECT_TRUE(form.visible());
    EXPECT_EQ(form.page(), ConfigPage::Users);
    ASSERT_EQ(fake.dialogs.inputBoxes.size(), 1u);
    EXPECT_EQ(lists.names(), std::vector<std::string>{"Home"});
    form.close();
    EXPECT_EQ(readMasterUsr(home.path()), std::vector<std::string>{"Home"});
    EXPECT_TRUE(fs::exists(home / "Home.usr"));
}

TEST_F(ConfigFormTest, FailedWriteIsReportedAndTheFlagStays) {
    std::vector<std::string> reported;
    form.setErrorReporter([&](const std::string& text) { reported.push_back(text); });
    form.open(ConfigPage::Gui);
    form.gui().setChecked("horizontalLines", false);
    fs::create_directory(home / kGuiFile);  // a folder where the file should go
    EXPECT_FALSE(form.run([&] { form.selectPage(ConfigPage::Misc); }));
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_NE(reported[0].find("gui.cfg"), std::string::npos);
    EXPECT_EQ(form.page(), ConfigPage::Misc);
    EXPECT_TRUE(settings.changed.gui);
}

TEST_F(ConfigFormTest, RetrievePageRules) {
    RetrievePage& page = form.retrieve();
    form.open(ConfigPage::Retrieve);
    EXPECT_EQ(page.messagesButtonHint(), "Retrieve All Messages - Delete|");
    page.setChecked("deleteFromServer", false);
    page.setChoice("retrieveAllRegardlessOfSize", 1);
    EXPECT_EQ(settings.retrieve.messagesButtonMode, 4);
    EXPECT_EQ(page.messagesButtonHint(), "Retrieve Filtered Messages - Leave On Server|");

    page.setChoice("sizeLimit", 13);
    EXPECT_EQ(settings.retrieve.sizeLimit, 0);
    EXPECT_EQ(fake.system.beeps, 1);
    EXPECT_EQ(fake.dialogs.texts("warning"), std::vector<std::string>{"Index Error 5054"});
    form.reportLoadProblems(true);
    EXPECT_EQ(fake.dialogs.texts("warning").back(), "Index Error 5073");

    EXPECT_FALSE(page.enabled("lightbarBackground"));
    page.setChecked("defaultLightbarColor", false);
    page.setValue("lightbarBackground", static_cast<int>(kClNavy));
    EXPECT_TRUE(page.enabled("lightbarBackground"));
    EXPECT_EQ(settings.retrieve.lightbarBackgroundSample, kClNavy);
    page.setChecked("defaultLightbarColor", true);
    EXPECT_EQ(settings.retrieve.lightbarBackgroundSample, kClHighlight);

    page.setText("pop3Port", std::string(20, '9'));
    EXPECT_EQ(settings.retrieve.pop3Port.size(), kMaxPortLength);
    page.setChoice("connectTimeout", 7);
    EXPECT_EQ(timeoutSeconds(settings.retrieve.connectTimeout), 960);
}

TEST_F(ConfigFormTest, MiscAndReplyEnableTheirDependentOptions) {
    MiscPage& misc = form.misc();
    for (const char* id : {"playSound", "newMailMessageBox", "blinkTaskbar", "trayIcon"})
        EXPECT_FALSE(misc.enabled(id)) << id;
    misc.setChecked("notify", true);
    for (const char* id : {"playSound", "newMailMessageBox", "blinkTaskbar", "trayIcon"})
        EXPECT_TRUE(misc.enabled(id)) << id;
    EXPECT_EQ(misc.suffix("checkInterval"), "minutes");
    misc.setChoice("checkInterval", 0);
    EXPECT_EQ(misc.suffix("checkInterval"), "minute");

    ReplyPage& reply = form.reply();
    EXPECT_TRUE(reply.enabled("indentCharacter"));
    reply.setChecked("includeOriginal", false);
    EXPECT_FALSE(reply.enabled("indentCharacter"));
    reply.setText("indentCharacter", "|>");
    EXPECT_EQ(settings.reply.indentCharacter, "|");
}

TEST_F(ConfigFormTest, ComposeKeywordButtonAppendsTheKeyword) {
    form.compose().setChoice("greetingKeyword", 2);
    form.compose().click("insertGreetingKeyword");
    EXPECT_EQ(settings.compose.greeting, "Hi %FIRSTNAME%:%FULLNAME%");
    EXPECT_TRUE(settings.changed.compose);
    form.compose().setChoice("autoSave", 6);
    EXPECT_EQ(autoSaveInterval(settings.compose.autoSave).count(), 10);
}

TEST_F(ConfigFormTest, OtherPageSoundsAndQuietKeyboard) {
    OtherPage& page = form.other();
    form.open(ConfigPage::Other);
    page.setChecked("quietKeyboard", true);
    EXPECT_EQ(fake.system.beeps, 0);
    page.setChecked("quietKeyboard", false);
    EXPECT_EQ(fake.system.beeps, 1);

    writeFile(home / "chime.wav", "RIFF-start");
    writeFile(home / "done.wav", "RIFF-done");
    page.setText("startupSoundFile", (home / "chime.wav").string());
    page.setText("verificationSoundFile", (home / "done.wav").string());
    EXPECT_EQ(page.caption("testSound"), "&Test Verification");
    page.fieldClicked("startupSoundFile");
    EXPECT_EQ(page.caption("testSound"), "&Test Startup");
    page.click("testSound");
    EXPECT_EQ(fake.system.sounds, std::vector<fs::path>{home / "chime.wav"});

    form.close();  // leaving copies the start-up sound
    EXPECT_EQ(readFile(home / "startup.wav"), "RIFF-start");
    EXPECT_EQ(loadOtherSettings(home.path()).soundTestCaption, "&Test Startup");

    form.open(ConfigPage::Other);
    page.setText("startupSoundFile", "");
    form.close();
    EXPECT_FALSE(fs::exists(home / "startup.wav"));

    form.open(ConfigPage::Other);
    page.setText("startupSoundFile", (home / "missing.wav").string());
    form.close();
    ASSERT_EQ(fake.dialogs.texts("warning").size(), 1u);
    EXPECT_EQ(fake.dialogs.texts("warning")[0].rfind("Copy File Error 8419\r", 0), 0u);
}

TEST_F(ConfigFormTest, DnsServerMustBeADottedIpv4Address) {
    form.open(ConfigPage::Other);
    form.other().setText("dnsServer", "192.0.2.53");
    form.close();
    EXPECT_EQ(loadOtherSettings(home.path()).dnsServer, "192.0.2.53");
    form.open(ConfigPage::Other);
    form.other().setText("dnsServer", "dns.example");
    form.close();
    EXPECT_EQ(settings.other.dnsServer, "192.0.2.53");
    EXPECT_EQ(fake.dialogs.texts("warning").size(), 1u);
    for (const char* bad : {"1.2.3", "1.2.3.4.5", "256.1.1.1", "1..2.3", "", "1.2.3.4 "})
        EXPECT_FALSE(isDottedIpv4(bad)) << bad;
    EXPECT_TRUE(isDottedIpv4("0.0.0.0"));
}

TEST_F(ConfigFormTest, MakingVelmoraTheDefaultMailProgramRemembersAndRestores) {
    OtherPage& page = form.other();
    page.setChecked("defaultMailProgram", true);
    EXPECT_TRUE(settings.other.defaultMailProgram);
    EXPECT_EQ(settings.other.previousMailHandler, "thunderbird.desktop");
    EXPECT_EQ(registry.handler, kDesktopFileId);
    EXPECT_TRUE(registry.installed);
    EXPECT_EQ(fake.dialogs.texts("information").back(),
              "Velmora Pro is now the default email client!");

    page.setChecked("defaultMailProgram", false);
    page.setChecked("defaultMailProgram", true);
    page.setChecked("defaultMailProgram", false);
    EXPECT_EQ(registry.handler, "thunderbird.desktop");
    EXPECT_FALSE(registry.installed);
    EXPECT_EQ(fake.dialogs.texts("information").back(),
              "Previous default email client has been restored:\r\rthunderbird.desktop");
    form.open(ConfigPage::Other);
    form.close();
    EXPECT_EQ(readLines(home / kOtherFile).at(1), "thunderbird.desktop");
    EXPECT_EQ(readLines(home / kOtherFile).at(2), "FALSE");
}

TEST_F(ConfigFormTest, DefaultMailProgramMessagesForTheOtherCases) {
    OtherPage& page = form.other();
    registry.handler = kDesktopFileId;
    page.setChecked("defaultMailProgram", true);
    EXPECT_EQ(fake.dialogs.texts("information").back(),
              "Velmora Pro is already the default email client.");

    settings.other.defaultMailProgram = false;
    registry.handler = "";  // no handler before: set without a message
    fake.dialogs.clear();
    page.setChecked("defaultMailProgram", true);
    EXPECT_EQ(registry.handler, kDesktopFileId);
    EXPECT_TRUE(fake.dialogs.shown.empty());
    page.setChecked("defaultMailProgram", false);  // nothing to restore
    EXPECT_EQ(fake.dialogs.texts("information").back(),
              "Default email client Registry data was not found.\r\r"
              "Unable to restore previous default email client data.");

    registry.handler = std::nullopt;  // no xdg-mime: the option stays off, with the reason
    fake.dialogs.clear();
    page.setChecked("defaultMailProgram", true);
    EXPECT_FALSE(settings.other.defaultMailProgram);
    ASSERT_EQ(fake.dialogs.texts("warning").size(), 1u);
    EXPECT_EQ(fake.dialogs.texts("warning")[0].rfind(
                  "Unable to make Velmora Pro the default email client:\r\r", 0),
              0u);
}

// The real desktop registry, with the user's folders pointed into a temporary folder.
TEST(XdgMailHandlerRegistry, RegistersAndRestoresThroughXdgMime) {
    if (runProgram({"xdg-mime", "--version"}).exitStatus != 0)
        GTEST_SKIP() << "xdg-mime is not installed";
    TempDir dir;
    const std::string data = (dir / "data").string();
    const std::string config = (dir / "config").string();
    fs::create_directories(dir / "config");
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_DATA_DIRS", (dir / "none").string().c_str(), 1);
    setenv("XDG_CURRENT_DESKTOP", "X-Generic", 1);
    unsetenv("KDE_FULL_SESSION");
    unsetenv("GNOME_DESKTOP_SESSION_ID");

    EXPECT_NE(XdgMailHandlerRegistry("/opt/velmora pro/$velmora")
                  .desktopEntry()
                  .find("Exec=\"/opt/velmora pro/\\$velmora\" %u\n"),
              std::string::npos);
    // xdg-mime reports a handler only when the program of its desktop entry exists.
    XdgMailHandlerRegistry registry("/bin/true");
    EXPECT_EQ(registry.currentHandler(), "");
    std::string error;
    ASSERT_TRUE(registry.installDesktopEntry(error)) << error;
    const std::string entry = readFile(dir / "data" / "applications" / kDesktopFileId);
    EXPECT_NE(entry.find("MimeType=x-scheme-handler/mailto;"), std::string::npos);

    FakePlatform fake;
    OtherSettings other;
    other.previousMailHandler = "";
    writeFile(dir / "data" / "applications" / "other-mailer.desktop",
              "[Desktop Entry]\nType=Application\nName=Other\nExec=/bin/cat %u\n"
              "MimeType=x-scheme-handler/mailto;\n");
    ASSERT_TRUE(registry.setHandler("other-mailer.desktop", error)) << error;
    EXPECT_TRUE(switchDefaultMailProgram(true, other, registry, fake.dialogs));
    EXPECT_EQ(registry.currentHandler(), kDesktopFileId);
    EXPECT_EQ(other.previousMailHandler, "other-mailer.desktop");
    EXPECT_FALSE(switchDefaultMailProgram(false, other, registry, fake.dialogs));
    EXPECT_EQ(registry.currentHandler(), "other-mailer.desktop");
    EXPECT_FALSE(fs::exists(dir / "data" / "applications" / kDesktopFileId));
}

TEST(RunProgram, ReportsOutputStatusAndMissingPrograms) {
    const ProgramResult echo = runProgram({"sh", "-c", "printf 'a b'; exit 3"});
    EXPECT_EQ(echo.exitStatus, 3);
    EXPECT_EQ(echo.output, "a b");
    EXPECT_EQ(runProgram({"velmora-no-such-program"}).exitStatus, -1);
}

}  // namespace
}  // namespace velmora::profiles

namespace velmora::profiles {
namespace {

struct RecordingPage : ExternalPage {
    std::vector<std::string> calls;
    void enterPage() override { calls.push_back("enter"); }
    void leavePage() override { calls.push_back("leave"); }
};

TEST_F(ConfigFormTest, TheAddressBooksPageFilledInIsEnteredAndLeft) {
    RecordingPage page;
    form.setAddressBooksPage(&page);
    form.open(ConfigPage::AddressBooks);
    form.selectPage(ConfigPage::Send);
    form.selectPage(ConfigPage::AddressBooks);
    form.close();
    EXPECT_EQ(page.calls, (std::vector<std::string>{"enter", "leave", "enter", "leave"}));
}

}  // namespace
}  // namespace velmora::profiles
