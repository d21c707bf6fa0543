#include "profiles/settings.h"

#include <gtest/gtest.h>

#include "base/text_file.h"
#include "profiles/settings_rules.h"
#include "support/temp_dir.h"

namespace velmora::profiles {
namespace {

using testing::readFile;
using testing::TempDir;
using testing::writeFile;

// Writes a settings file from its value lines (the version line is added).
void writeSettings(const TempDir& home, const char* file, std::vector<std::string> lines) {
    lines.insert(lines.begin(), "46");
    writeFile(home / file, joinLines(lines, false));
}

TEST(SettingsFiles, MissingVlCfgGivesTheFirstStartDefaults) {
    TempDir home;
    const VlSettings vl = loadVlSettings(home.path());
    EXPECT_EQ(vl, VlSettings{});
    EXPECT_TRUE(vl.toolbarShown && vl.profileToolbarShown && vl.folderTreeShown &&
                vl.statusBarShown);
    EXPECT_TRUE(vl.previewShown);
    EXPECT_EQ(vl.retrievalWindowLeft, 285);
    EXPECT_EQ(vl.retrievalWindowTop, 85);
    EXPECT_EQ(vl.inputBoxLeft, 250);
    EXPECT_EQ(vl.inputBoxTop, 200);
    EXPECT_EQ(folderTreeWidth(vl, 1000), 200);
    EXPECT_EQ(configWindowPosition(vl, 1024, 768, 500, 400), (WindowGeometry{262, 184, 500, 400}));
}

TEST(SettingsFiles, MissingFilesGiveTheirDefaults) {
    TempDir home;
    Settings s;
    s.retrieve.pop3Port = "x";
    s.other.dnsServer = "";
    loadMainWindowGroup(home.path(), s);
    loadConfigurationGroup(home.path(), s);
    loadFirstTickGroup(home.path(), s);
    const Settings defaults;
    EXPECT_EQ(s.retrieve, defaults.retrieve);
    EXPECT_EQ(s.send, defaults.send);
    EXPECT_EQ(s.compose, defaults.compose);
    EXPECT_EQ(s.read, defaults.read);
    EXPECT_EQ(s.reply, defaults.reply);
    EXPECT_EQ(s.misc, defaults.misc);
    EXPECT_EQ(s.other, defaults.other);
    EXPECT_EQ(s.gui, defaults.gui);
    EXPECT_EQ(s.users, defaults.users);
    EXPECT_EQ(s.toolbar, defaults.toolbar);
    EXPECT_EQ(s.profileToolbar, defaults.profileToolbar);
    EXPECT_EQ(s.tips, defaults.tips);
    EXPECT_FALSE(s.main.present);
    EXPECT_EQ(timeoutSeconds(s.retrieve.connectTimeout), 60);
    EXPECT_EQ(sizeLimitBytes(s.retrieve.sizeLimit), 262144);
    EXPECT_EQ(checkIntervalMinutes(s.misc.checkInterval), 20);
    EXPECT_EQ(s.retrieve.messagesButtonMode, 3);  // delete and all, the default choices
}

// Saves `value`, loads it back and checks that nothing changed, with a file that differs from
// the defaults on every line the round trip can keep.
template <typename T, typename Save, typename Load>
void expectRoundTrip(const T& value, Save save, Load load) {
    TempDir home;
    ASSERT_FALSE(save(home.path(), value));
    EXPECT_EQ(load(home.path()), value);
}

TEST(SettingsFiles, EveryFileReadsBackWhatWasWritten) {
    VlSettings vl{3, 2, false, false, false, false, 210, -5, 17, 40, 50, false, 222, 11, 12};
    expectRoundTrip(vl, saveVlSettings, loadVlSettings);

    MainWindowSettings main{true, 1280, 700, 1200, 20, 30};
    expectRoundTrip(main, saveMainWindowSettings, loadMainWindowSettings);

    ToolbarSettings toolbar{1, 2, 3, 4, 5, 6, 75, 8, 9, 10, DockPosition::Left};
    expectRoundTrip(toolbar, saveToolbarSettings,
                    [](const auto& home) { return loadToolbarSettings(home, false); });

    ProfileToolbarSettings bar{1, 2, 3, 4, 31, 30, 30, 8, 9, 10, 200, 120, 90, DockPosition::Right};
    expectRoundTrip(bar, saveProfileToolbarSettings, loadProfileToolbarSettings);

    expectRoundTrip(TipsSettings{7, false}, saveTipsSettings, loadTipsSettings);

    RetrieveSettings retrieve{
        false,   false,        12,  false, 7,     "995", FontSetting{"Courier New", "12", kClNavy},
        kClAqua, kClHighlight, 255, 65280, false, 5,     4};
    expectRoundTrip(retrieve, saveRetrieveSettings,
                    [](const auto& home) { return loadRetrieveSettings(home); });

    expectRoundTrip(SendSettings{true, true, true, true, 4, 7, "587"}, saveSendSettings,
                    loadSendSettings);

    ComposeSettings compose{false, false, false,
                            5,     true,  "Dear %FULLNAME%,",
                            3,     6,     FontSetting{"Mono", "9", kClHighlightText},
                            1};
    expectRoundTrip(compose, saveComposeSettings, loadComposeSettings);

    expectRoundTrip(ReadSettings{FontSetting{"Serif", "14", kClMaroon}, 2, false}, saveReadSettings,
                    loadReadSettings);

    ReplySettings reply{FontSetting{"Serif", "11", kClTeal},
                        false,
                        false,
                        "|",
                        "72",
                        1,
                        false,
                        true,
                        true,
                        "Hello %NICKNAME%",
                        2};
    expectRoundTrip(reply, saveReplySettings, loadReplySettings);

    MiscSettings misc{6, true, true, "/home/u/ding.wav", 2, true, true, true, 1, 2,
                      3, 4,    5,    kClHighlight};
    expectRoundTrip(misc, saveMiscSettings, loadMiscSettings);

    OtherSettings other;
    other.previousMailHandler = "thunderbird.desktop";
    other.defaultMailProgram = other.checkMailOnStartup = true;
    other.showFloatingTips = false;
    other.floatingTipSeconds = "120";
    other.emptyTrashOnExit = true;
    other.grayToolbarButtons = other.textUnderToolbarButtons = other.confirmDelete = false;
    other.menuHintsOnStatusBar = other.statusBarTime = other.statusBarDate = false;
    other.shortFolderNames = other.quietKeyboard = other.closeAllWindowsOnShutdown = true;
    other.minimizeToTray = other.profileNameInTaskbar = other.copyMailtoToBuffer = true;
    other.startupSoundFile = "/s/start.wav";
    other.verificationSoundFile = "/s/done.wav";
    other.soundTestCaption = "&Test Verification";
    other.dnsServer = "192.0.2.53";
    expectRoundTrip(other, saveOtherSettings, loadOtherSettings);

    expectRoundTrip(GuiSettings{2, 1, false, false}, saveGuiSettings, loadGuiSettings);
    expectRoundTrip(UsersPageSettings{FontSetting{"Arial", "8", kClPurple}}, saveUsersPageSettings,
                    loadUsersPageSettings);
}

TEST(SettingsFiles, FileLayoutIsVersionLineThenValuesWithoutFinalLineEnd) {
    TempDir home;
    ASSERT_FALSE(saveGuiSettings(home.path(), GuiSettings{}));
    EXPECT_EQ(readFile(home / kGuiFile), "46\r\n1\r\n0\r\nTRUE\r\nTRUE");
    ASSERT_FALSE(saveReadSettings(home.path(), ReadSettings{}));
    EXPECT_EQ(readFile(home / kReadFile), "46\r\nSans Serif\r\n10\r\nclBlack\r\n1\r\nTRUE");
}

TEST(SettingsFiles, DamagedNumberLineTakesItsDefaultAndTheRestIsRead) {
    TempDir home;
    // Line 4 (size limit) and line 6 (time-out) hold no number.
    writeSettings(home, kRetrieveFile,
                  {"FALSE", "FALSE", "12k", "FALSE", "", "143", "Mono", "9", "clRed"});
    const RetrieveSettings r = loadRetrieveSettings(home.path());
    EXPECT_FALSE(r.displayHeadersInRed);
    EXPECT_FALSE(r.deleteFromServer);
    EXPECT_EQ(r.sizeLimit, 6);  // its default, "256K"
    EXPECT_FALSE(r.retrieveAllRegardlessOfSize);
    EXPECT_EQ(r.connectTimeout, 1);
    EXPECT_EQ(r.pop3Port, "143");
    EXPECT_EQ(r.folderListFont, (FontSetting{"Mono", "9", kClRed}));

    writeSettings(home, kMiscFile, {"x", "TRUE", "TRUE", "a.wav", "two", "TRUE"});
    const MiscSettings m = loadMiscSettings(home.path());
    EXPECT_EQ(m.checkInterval, 3);
    EXPECT_TRUE(m.notify);
    EXPECT_EQ(m.soundFile, "a.wav");
    EXPECT_EQ(m.newMailMessageBox, 0);
    EXPECT_TRUE(m.blinkTaskbar);
}

TEST(SettingsFiles, SizeLimitOutsideTheListIsResetToDisabledAndReported) {
    TempDir home;
    writeSettings(home, kRetrieveFile, {"TRUE", "TRUE", "13"});
    bool reset = false;
    EXPECT_EQ(loadRetrieveSettings(home.path(), &reset).sizeLimit, 0);
    EXPECT_TRUE(reset);
    writeSettings(home, kRetrieveFile, {"TRUE", "TRUE", "12"});
    EXPECT_EQ(loadRetrieveSettings(home.path(), &reset).sizeLimit, 12);
    EXPECT_FALSE(reset);
}

TEST(SettingsFiles, MessagesButtonModeFollowsTheDeleteAndSizeChoices) {
    struct Case {
        const char* deleteLine;
        const char* allLine;
        int mode;
        const char* hint;
    };
    const Case cases[] = {
        {"TRUE", "TRUE", 3, "Retrieve All Messages - Delete|"},
        {"TRUE", "FALSE", 2, "Retrieve Filtered Messages - Delete|"},
        {"FALSE", "TRUE", 1, "Retrieve All Messages - Leave On Server|"},
        {"FALSE", "FALSE", 4, "Retrieve Filtered Messages - Leave On Server|"},
    };
    for (const auto& c : cases) {
        TempDir home;
        // The stored mode (line 17) says 1 every time; it yields to lines 3 and 5.
        writeSettings(home, kRetrieveFile,
                      {"TRUE", c.deleteLine, "6", c.allLine, "1", "110", "f", "9", "clBlack",
                       "clHighlight", "clHighLightText", "16777215", "0", "TRUE", "0", "1"});
        const RetrieveSettings r = loadRetrieveSettings(home.path());
        EXPECT_EQ(r.messagesButtonMode, c.mode) << c.deleteLine << c.allLine;
        EXPECT_EQ(messagesButtonHint(r.messagesButtonMode), c.hint);
    }
}

TEST(SettingsFiles, ReplyAttachmentsAreForcedOffAndWrittenFalse) {
    TempDir home;
    writeSettings(home, kReplyFile, {"Serif", "10", "clBlack", "TRUE", "TRUE", ">", "65"});
    ReplySettings reply = loadReplySettings(home.path());
    EXPECT_FALSE(reply.includeAttachments);
    reply.includeAttachments = true;  // even a caller that sets it cannot store it
    ASSERT_FALSE(saveReplySettings(home.path(), reply));
    EXPECT_EQ(readLines(home / kReplyFile).at(4), "FALSE");
}

TEST(SettingsFiles, MainWindowGeometryOnlyOnTheScreenWidthItWasWrittenOn) {
    const MainWindowSettings stored{true, 1024, 700, 1000, 12, 8};
    EXPECT_EQ(mainWindowGeometry(stored, 1024, 768), (WindowGeometry{8, 12, 1000, 700}));
    // 97 % of 800 is 776, 90 % of 600 is 540: left (800-776)/2, top (600-540)/2 - 10.
    EXPECT_EQ(mainWindowGeometry(stored, 800, 600), (WindowGeometry{12, 20, 776, 540}));
    EXPECT_EQ(mainWindowGeometry(MainWindowSettings{}, 1024, 768),
              (WindowGeometry{15, 28, 993, 691}));
    TempDir home;
    writeSettings(home, kMainFile, {"1024", "700", "wide"});
    EXPECT_FALSE(loadMainWindowSettings(home.path()).present);
}

TEST(SettingsFiles, ProfileToolbarWidthsComeBackOnTheirOwnSelectors) {
    TempDir home;
    ProfileToolbarSettings bar;
    bar.profileSelectorWidth = 200;
    bar.connectionSelectorWidth = 120;
    bar.newMailSelectorWidth = 90;
    ASSERT_FALSE(saveProfileToolbarSettings(home.path(), bar));
    const auto back = loadProfileToolbarSettings(home.path());
    EXPECT_EQ(back.profileSelectorWidth, 200);
    EXPECT_EQ(back.connectionSelectorWidth, 120);
    EXPECT_EQ(back.newMailSelectorWidth, 90);
    EXPECT_EQ(profileToolbarTop(back), 10);  // docked at the top
}

TEST(SettingsFiles, ToolbarFloatingHeightFollowsTheButtonText) {
    TempDir home;
    writeSettings(home, kToolbarFile,
                  {"0", "0", "0", "0", "70", "70", "33", "738", "0", "600", "9"});
    EXPECT_EQ(loadToolbarSettings(home.path(), true).heightFloating, 90);
    EXPECT_EQ(loadToolbarSettings(home.path(), false).heightFloating, 75);
    EXPECT_EQ(loadToolbarSettings(home.path(), false).dockPosition, DockPosition::Top);
}

TEST(SettingsFiles, VlPreviewLineEmptyReadsAsShown) {
    TempDir home;
    writeSettings(home, kVlFile,
                  {"1", "0", "TRUE", "FALSE", "TRUE", "TRUE", "", "1", "2", "", "", "", "150"});
    const VlSettings vl = loadVlSettings(home.path());
    EXPECT_TRUE(vl.previewShown);
    EXPECT_FALSE(vl.profileToolbarShown);
    EXPECT_FALSE(vl.folderTreeWidth);
    writeSettings(home, kVlFile,
                  {"1", "0", "TRUE", "FALSE", "TRUE", "TRUE", "", "1", "2", "", "", "true"});
    EXPECT_FALSE(loadVlSettings(home.path()).previewShown);
}

TEST(SettingsFiles, ExitWritesOnlyChangedPageFilesButAlwaysTheWindowState) {
    TempDir home;
    Settings s;
    ASSERT_FALSE(saveAtExit(home.path(), s));
    EXPECT_FALSE(std::filesystem::exists(home / kRetrieveFile));
    EXPECT_FALSE(std::filesystem::exists(home / kComposeFile));
    for (const char* file : {kMainFile, kVlFile, kToolbarFile, kUserProFile})
        EXPECT_TRUE(std::filesystem::exists(home / file)) << file;
    s.changed.compose = true;
    s.compose.composeButtonMode = 1;
    ASSERT_FALSE(saveAtExit(home.path(), s));
    EXPECT_FALSE(s.changed.compose);
    EXPECT_EQ(loadComposeSettings(home.path()).composeButtonMode, 1);

    ASSERT_FALSE(saveOtherAtExit(home.path(), s));
    EXPECT_FALSE(std::filesystem::exists(home / kOtherFile));
    s.changed.floatingTipsSwitched = true;
    s.other.showFloatingTips = false;
    ASSERT_FALSE(saveOtherAtExit(home.path(), s));
    EXPECT_FALSE(loadOtherSettings(home.path()).showFloatingTips);
}

TEST(SettingsFiles, ExitReportsAFailedWriteAndKeepsTheFlag) {
    TempDir home;
    writeFile(home / "file", "x");
    Settings s;
    s.changed.retrieve = true;
    EXPECT_TRUE(saveAtExit(home / "file", s));  // the "folder" is a regular file
    EXPECT_TRUE(s.changed.retrieve);
}

TEST(Colours, NamesReadBackAsTheirColours) {
    struct Case {
        const char* name;
        Colour colour;
    };
    const Case cases[] = {
        {"clBlack", kClBlack},
        {"clMaroon", 128},
        {"clGreen", 32768},
        {"clOlive", 32896},
        {"clNavy", 8388608},
        {"clPurple", 8388736},
        {"clTeal", 8421376},
        {"clGray", 8421504},
        {"clSilver", 12632256},
        {"clRed", 255},
        {"clLime", 65280},
        {"clBlue", 16711680},
        {"clFuchsia", 16711935},
        {"clAqua", 16776960},
        {"clWhite", 16777215},
        {"clHighlight", kClHighlight},
        {"clHighLightText", kClHighlightText},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(colourFromName(c.name), c.colour) << c.name;
        EXPECT_EQ(colourName(c.colour), c.name);
    }
    EXPECT_EQ(colourFromName("clHighLight"), kClHighlight);
    EXPECT_EQ(colourFromName("clHighlightText"), kClHighlightText);
    EXPECT_EQ(colourFromName("clPink"), kClBlack);
    EXPECT_EQ(colourFromName(""), kClBlack);
    EXPECT_EQ(colourFromName("99999999"), kClBlack);
    // A colour outside the named ones is written as its number and reads back.
    EXPECT_EQ(colourName(0x123456), "1193046");
    EXPECT_EQ(colourFromName("1193046"), 0x123456);
}

TEST(Colours, SelectionColourOfAFontReadsBackAsThatColour) {
    TempDir home;
    ReadSettings read;
    read.font.colour = kClHighlight;
    ASSERT_FALSE(saveReadSettings(home.path(), read));
    EXPECT_EQ(readLines(home / kReadFile).at(3), "clHighlight");
    EXPECT_EQ(loadReadSettings(home.path()).font.colour, kClHighlight);
}

TEST(SettingsRules, ChoicePositionsMeanTheirValues) {
    EXPECT_EQ(sizeLimitBytes(0), 0);
    EXPECT_EQ(sizeLimitBytes(12), 5242880);
    EXPECT_EQ(sizeLimitBytes(13), 0);
    EXPECT_EQ(timeoutSeconds(7), 960);
    EXPECT_EQ(timeoutSeconds(-1), 60);
    EXPECT_EQ(autoSaveInterval(0).count(), 0);
    EXPECT_EQ(autoSaveInterval(1).count(), 1);
    EXPECT_EQ(autoSaveInterval(6).count(), 10);
    EXPECT_STREQ(checkIntervalUnit(0), "minute");
    EXPECT_STREQ(checkIntervalUnit(3), "minutes");
    EXPECT_EQ(serverWithPort("pop.example.com", " 110 "), "pop.example.com:110");
    // The server text's own port wins; an IPv6 address keeps its groups apart from the port.
    EXPECT_EQ(serverWithPort(" 127.0.0.1:11110 ", "110"), "127.0.0.1:11110");
    EXPECT_EQ(serverWithPort("[::1]:995", "110"), "[::1]:995");
    EXPECT_EQ(serverWithPort("[::1]", "110"), "[::1]:110");
    EXPECT_EQ(serverWithPort("::1", "110"), "[::1]:110");
    EXPECT_EQ(serverWithPort("2001:db8::1", "25"), "[2001:db8::1]:25");
    EXPECT_EQ(nextTip(4, 5), 0);
    EXPECT_EQ(nextTip(2, 5), 3);
    EXPECT_EQ(composeButtonHint(1), "Compose A New Email Message|");
    EXPECT_EQ(composeButtonHint(0), "Bring active Compose window to the front|");
}

TEST(SettingsRules, FloatingTipsStayTheirSecondsAndDamagedTextsGiveTheDefault) {
    const std::pair<const char*, int> cases[] = {{"8", 8000},  {"12", 12000}, {"999", 999000},
                                                 {"", 8000},   {"0", 8000},   {"-5", 8000},
                                                 {"1a", 8000}, {" 3", 8000}};
    for (const auto& [text, milliseconds] : cases) {
        OtherSettings other;
        other.floatingTipSeconds = text;
        EXPECT_EQ(floatingTipMilliseconds(other), milliseconds) << '"' << text << '"';
    }
}

}  // namespace
}  // namespace velmora::profiles
