// Reading and writing the settings files line by line.
#include <charconv>
#include <cstdint>

#include "base/settings_lines.h"
#include "profiles/profile.h"
#include "profiles/settings.h"
#include "profiles/settings_rules.h"

namespace velmora::profiles {

namespace {

using std::filesystem::path;

int readInt(SettingsReader& r, int fallback) {
    const std::int64_t v = r.integer(fallback);
    return v < INT32_MIN || v > INT32_MAX ? fallback : static_cast<int>(v);
}

// A number line that may be empty: empty (or damaged) reads as unset.
std::optional<int> readOptionalInt(SettingsReader& r) {
    const std::string line = r.text();
    int value = 0;
    auto [ptr, ec] = std::from_chars(line.data(), line.data() + line.size(), value);
    if (line.empty() || ec != std::errc{} || ptr != line.data() + line.size()) return std::nullopt;
    return value;
}

void writeOptionalInt(SettingsWriter& w, const std::optional<int>& value) {
    w.text(value ? std::to_string(*value) : std::string());
}

// A colour chosen from a drop-down, written as its number.
Colour readColourNumber(SettingsReader& r, Colour fallback) {
    const std::int64_t v = r.integer(fallback);
    if (v == kClHighlight || v == kClHighlightText || (v >= 0 && v <= kClWhite))
        return static_cast<Colour>(v);
    return fallback;
}

std::string cut(std::string text, std::size_t length) {
    if (text.size() > length) text.resize(length);
    return text;
}

FontSetting readFont(SettingsReader& r) {
    FontSetting font;
    font.name = r.text(font.name);
    font.size = r.text(font.size);
    if (!r.atEnd()) font.colour = colourFromName(r.text());
    return font;
}

void writeFont(SettingsWriter& w, const FontSetting& font) {
    w.text(font.name).text(font.size).text(colourName(font.colour));
}

DockPosition readDock(SettingsReader& r) {
    const int v = readInt(r, 1);
    return v >= 0 && v <= 4 ? static_cast<DockPosition>(v) : DockPosition::Top;
}

}  // namespace

VlSettings loadVlSettings(const path& home) {
    SettingsReader r(home / kVlFile);
    VlSettings v;
    v.activeProfile = readInt(r, v.activeProfile);
    v.connectionProfile = readInt(r, v.connectionProfile);
    v.toolbarShown = r.boolean(v.toolbarShown);
    v.profileToolbarShown = r.boolean(v.profileToolbarShown);
    v.folderTreeShown = r.boolean(v.folderTreeShown);
    v.statusBarShown = r.boolean(v.statusBarShown);
    v.folderTreeWidth = readOptionalInt(r);
    v.retrievalWindowLeft = readInt(r, v.retrievalWindowLeft);
    v.retrievalWindowTop = readInt(r, v.retrievalWindowTop);
    v.configWindowLeft = readOptionalInt(r);
    v.configWindowTop = readOptionalInt(r);
    if (!r.atEnd()) {
        const std::string preview = r.text();
        v.previewShown = preview.empty() || preview == "TRUE";
    }
    v.folderListHeight = readInt(r, v.folderListHeight);
    v.inputBoxLeft = readInt(r, v.inputBoxLeft);
    v.inputBoxTop = readInt(r, v.inputBoxTop);
    return v;
}

std::error_code saveVlSettings(const path& home, const VlSettings& v) {
    SettingsWriter w;
    w.integer(v.activeProfile).integer(v.connectionProfile);
    w.boolean(v.toolbarShown).boolean(v.profileToolbarShown);
    w.boolean(v.folderTreeShown).boolean(v.statusBarShown);
    writeOptionalInt(w, v.folderTreeWidth);
    w.integer(v.retrievalWindowLeft).integer(v.retrievalWindowTop);
    writeOptionalInt(w, v.configWindowLeft);
    writeOptionalInt(w, v.configWindowTop);
    w.boolean(v.previewShown).integer(v.folderListHeight);
    w.integer(v.inputBoxLeft).integer(v.inputBoxTop);
    return w.save(home / kVlFile);
}

MainWindowSettings loadMainWindowSettings(const path& home) {
    SettingsReader r(home / kMainFile);
    MainWindowSettings v;
    if (!r.exists()) return v;
    v.screenWidth = readInt(r, 0);
    v.height = readInt(r, 0);
    v.width = readInt(r, 0);
    v.top = readInt(r, 0);
    v.left = readInt(r, 0);
    // A file that lost a geometry line (or whose lines are damaged) cannot be trusted.
    v.present = r.damagedLines() == 0 && v.screenWidth > 0 && v.width > 0 && v.height > 0;
    return v;
}

std::error_code saveMainWindowSettings(const path& home, const MainWindowSettings& v) {
    SettingsWriter w;
    w.integer(v.screenWidth).integer(v.height).integer(v.width).integer(v.top).integer(v.left);
    return w.save(home / kMainFile);
}

ToolbarSettings loadToolbarSettings(const path& home, bool textUnderButtons) {
    SettingsReader r(home / kToolbarFile);
    ToolbarSettings v;
    v.left = readInt(r, v.left);
    v.leftFloating = readInt(r, v.leftFloating);
    v.top = readInt(r, v.top);
    v.topFloating = readInt(r, v.topFloating);
    v.height = readInt(r, v.height);
    v.heightDocked = readInt(r, v.heightDocked);
    r.text();  // the floating height follows the button layout, not the file
    v.heightFloating = textUnderButtons ? 90 : 75;
    v.width = readInt(r, v.width);
    v.widthDocked = readInt(r, v.widthDocked);
    v.widthFloating = readInt(r, v.widthFloating);
    v.dockPosition = readDock(r);
    return v;
}

std::error_code saveToolbarSettings(const path& home, const ToolbarSettings& v) {
    SettingsWriter w;
    w.integer(v.left).integer(v.leftFloating).integer(v.top).integer(v.topFloating);
    w.integer(v.height).integer(v.heightDocked).integer(v.heightFloating);
    w.integer(v.width).integer(v.widthDocked).integer(v.widthFloating);
    w.integer(static_cast<int>(v.dockPosition));
    return w.save(home / kToolbarFile);
}

ProfileToolbarSettings loadProfileToolbarSettings(const path& home) {
    SettingsReader r(home / kUserProFile);
    ProfileToolbarSettings v;
    v.left = readInt(r, v.left);
    v.leftFloating = readInt(r, v.leftFloating);
    v.top = readInt(r, v.top);
    v.topFloating = readInt(r, v.topFloating);
    v.height = readInt(r, v.height);
    const int storedDockedHeight = readInt(r, 30);
    r.text();  // always 30
    v.width = readInt(r, v.width);
    v.widthDocked = readInt(r, v.widthDocked);
    v.widthFloating = readInt(r, v.widthFloating);
    v.profileSelectorWidth = readInt(r, v.profileSelectorWidth);
    v.connectionSelectorWidth = readInt(r, v.connectionSelectorWidth);
    v.newMailSelectorWidth = readInt(r, v.newMailSelectorWidth);
    v.dockPosition = readDock(r);
    v.heightDocked = 30;
    v.heightFloating = v.dockPosition == DockPosition::Floating ? storedDockedHeight : 30;
    return v;
}

std::error_code saveProfileToolbarSettings(const path& home, const ProfileToolbarSettings& v) {
    SettingsWriter w;
    w.integer(v.left).integer(v.leftFloating).integer(v.top).integer(v.topFloating);
    w.integer(v.height).integer(30).integer(30);
    w.integer(v.width).integer(v.widthDocked).integer(v.widthFloating);
    w.integer(v.profileSelectorWidth).integer(v.connectionSelectorWidth);
    w.integer(v.newMailSelectorWidth);
    w.integer(static_cast<int>(v.dockPosition));
    return w.save(home / kUserProFile);
}

TipsSettings loadTipsSettings(const path& home) {
    SettingsReader r(home / kTipsFile);
    TipsSettings v;
    v.lastTip = readInt(r, v.lastTip);
    if (v.lastTip < 0) v.lastTip = 0;
    v.showAtStartup = r.boolean(v.showAtStartup);
    return v;
}

std::error_code saveTipsSettings(const path& home, const TipsSettings& v) {
    SettingsWriter w;
    w.integer(v.lastTip).boolean(v.showAtStartup);
    return w.save(home / kTipsFile);
}

RetrieveSettings loadRetrieveSettings(const path& home, bool* sizeLimitReset) {
    SettingsReader r(home / kRetrieveFile);
    RetrieveSettings v;
    if (sizeLimitReset) *sizeLimitReset = false;
    v.displayHeadersInRed = r.boolean(v.displayHeadersInRed);
    v.deleteFromServer = r.boolean(v.deleteFromServer);
    const int sizeLimit = readInt(r, v.sizeLimit);
    if (sizeLimit >= 0 && sizeLimit < static_cast<int>(kSizeLimitChoices.size())) {
        v.sizeLimit = sizeLimit;
    } else {
        v.sizeLimit = 0;
        if (sizeLimitReset) *sizeLimitReset = true;
    }
    v.retrieveAllRegardlessOfSize = r.boolean(v.retrieveAllRegardlessOfSize);
    v.connectTimeout = r.choice(static_cast<int>(kTimeoutSeconds.size()), v.connectTimeout);
    v.pop3Port = cut(r.text(v.pop3Port), kMaxPortLength);
    v.folderListFont = readFont(r);
    if (!r.atEnd()) v.lightbarBackgroundSample = colourFromName(r.text());
    if (!r.atEnd()) v.lightbarTextSample = colourFromName(r.text());
    v.lightbarBackground = readColourNumber(r, v.lightbarBackground);
    v.lightbarForeground = readColourNumber(r, v.lightbarForeground);
    v.defaultLightbarColor = r.boolean(v.defaultLightbarColor);
    v.dateFormat = r.choice(static_cast<int>(kDateFormats.size()), v.dateFormat);
    r.integer(v.messagesButtonMode);  // the stored mode always yields to lines 3 and 5
    v.messagesButtonMode = messagesButtonMode(v.deleteFromServer, v.retrieveAllRegardlessOfSize);
    return v;
}

std::error_code saveRetrieveSettings(const path& home, const RetrieveSettings& v) {
    SettingsWriter w;
    w.boolean(v.displayHeadersInRed).boolean(v.deleteFromServer);
    w.integer(v.sizeLimit >= 0 && v.sizeLimit < static_cast<int>(kSizeLimitChoices.size())
                  ? v.sizeLimit
                  : 6);
    w.boolean(v.retrieveAllRegardlessOfSize);
    w.integer(v.connectTimeout >= 0 && v.connectTimeout < static_cast<int>(kTimeoutSeconds.size())
                  ? v.connectTimeout
                  : 1);
    w.text(cut(v.pop3Port, kMaxPortLength));
    writeFont(w, v.folderListFont);
    w.text(colourName(v.lightbarBackgroundSample)).text(colourName(v.lightbarTextSample));
    w.integer(v.lightbarBackground).integer(v.lightbarForeground);
    w.boolean(v.defaultLightbarColor);
    w.integer(v.dateFormat >= 0 && v.dateFormat < static_cast<int>(kDateFormats.size())
                  ? v.dateFormat
                  : 0);
    w.integer(messagesButtonMode(v.deleteFromServer, v.retrieveAllRegardlessOfSize));
    return w.save(home / kRetrieveFile);
}

SendSettings loadSendSettings(const path& home) {
    SettingsReader r(home / kSendFile);
    SendSettings v;
    v.requestDeliveryAck = r.boolean(v.requestDeliveryAck);
    v.requestReadAck = r.boolean(v.requestReadAck);
    v.spellCheckBeforeSending = r.boolean(v.spellCheckBeforeSending);
    v.sendOutBoxTogether = r.boolean(v.sendOutBoxTogether);
    v.retrieveAfterSending =
        r.choice(static_cast<int>(kRetrieveAfterSendingChoices.size()), v.retrieveAfterSending);
    v.timeout = r.choice(static_cast<int>(kTimeoutSeconds.size()), v.timeout);
    v.smtpPort = cut(r.text(v.smtpPort), kMaxPortLength);
    return v;
}

std::error_code saveSendSettings(const path& home, const SendSettings& v) {
    SettingsWriter w;
    w.boolean(v.requestDeliveryAck).boolean(v.requestReadAck);
    w.boolean(v.spellCheckBeforeSending).boolean(v.sendOutBoxTogether);
    w.integer(v.retrieveAfterSending >= 0 &&
                      v.retrieveAfterSending < static_cast<int>(kRetrieveAfterSendingChoices.size())
                  ? v.retrieveAfterSending
                  : 0);
    w.integer(v.timeout >= 0 && v.timeout < static_cast<int>(kTimeoutSeconds.size()) ? v.timeout
                                                                                     : 1);
    w.text(cut(v.smtpPort, kMaxPortLength));
    return w.save(home / kSendFile);
}

ComposeSettings loadComposeSettings(const path& home) {
    SettingsReader r(home / kComposeFile);
    ComposeSettings v;
    v.useSignatureBlocks = r.boolean(v.useSignatureBlocks);
    v.closeAfterSending = r.boolean(v.closeAfterSending);
    v.saveToSent = r.boolean(v.saveToSent);
    v.insertRecipientLimit =
        r.choice(static_cast<int>(kInsertRecipientLimits.size()), v.insertRecipientLimit);
    v.useGreeting = r.boolean(v.useGreeting);
    v.greeting = r.text(v.greeting);
    v.greetingKeyword = r.choice(static_cast<int>(kGreetingKeywords.size()), v.greetingKeyword);
    v.autoSave = r.choice(static_cast<int>(kAutoSaveChoices.size()), v.autoSave);
    v.font = readFont(r);
    v.composeButtonMode = r.choice(2, v.composeButtonMode);
    return v;
}

std::error_code saveComposeSettings(const path& home, const ComposeSettings& v) {
    auto valid = [](int value, std::size_t count, int fallback) {
        return value >= 0 && value < static_cast<int>(count) ? value : fallback;
    };
    SettingsWriter w;
    w.boolean(v.useSignatureBlocks).boolean(v.closeAfterSending).boolean(v.saveToSent);
    w.integer(valid(v.insertRecipientLimit, kInsertRecipientLimits.size(), 1));
    w.boolean(v.useGreeting).text(v.greeting);
    w.integer(valid(v.greetingKeyword, kGreetingKeywords.size(), 0));
    w.integer(valid(v.autoSave, kAutoSaveChoices.size(), 3));
    writeFont(w, v.font);
    w.integer(valid(v.composeButtonMode, 2, 0));
    return w.save(home / kComposeFile);
}

ReadSettings loadReadSettings(const path& home) {
    SettingsReader r(home / kReadFile);
    ReadSettings v;
    v.font = readFont(r);
    v.acknowledgeReadRequests = r.choice(3, v.acknowledgeReadRequests);
    v.enableHtml = r.boolean(v.enableHtml);
    return v;
}

std::error_code saveReadSettings(const path& home, const ReadSettings& v) {
    SettingsWriter w;
    writeFont(w, v.font);
    w.integer(v.acknowledgeReadRequests >= 0 && v.acknowledgeReadRequests < 3
                  ? v.acknowledgeReadRequests
                  : 1);
    w.boolean(v.enableHtml);
    return w.save(home / kReadFile);
}

ReplySettings loadReplySettings(const path& home) {
    SettingsReader r(home / kReplyFile);
    ReplySettings v;
    v.font = readFont(r);
    r.boolean(false);
    v.includeAttachments = false;  // not offered on the page: replies never carry attachments
    v.includeOriginal = r.boolean(v.includeOriginal);
    v.indentCharacter = cut(r.text(v.indentCharacter), 1);
    v.wordWrap = r.text(v.wordWrap);
    v.cursorPosition = r.choice(2, v.cursorPosition);
    v.notifyReplyTo = r.boolean(v.notifyReplyTo);
    v.openOnBodyTab = r.boolean(v.openOnBodyTab);
    v.useGreeting = r.boolean(v.useGreeting);
    v.greeting = r.text(v.greeting);
    v.greetingKeyword = r.choice(static_cast<int>(kGreetingKeywords.size()), v.greetingKeyword);
    return v;
}

std::error_code saveReplySettings(const path& home, const ReplySettings& v) {
    SettingsWriter w;
    writeFont(w, v.font);
    w.boolean(false);
    w.boolean(v.includeOriginal).text(cut(v.indentCharacter, 1)).text(v.wordWrap);
    w.integer(v.cursorPosition == 1 ? 1 : 0);
    w.boolean(v.notifyReplyTo).boolean(v.openOnBodyTab).boolean(v.useGreeting);
    w.text(v.greeting);
    w.integer(v.greetingKeyword >= 0 && v.greetingKeyword < 4 ? v.greetingKeyword : 0);
    return w.save(home / kReplyFile);
}

MiscSettings loadMiscSettings(const path& home) {
    SettingsReader r(home / kMiscFile);
    MiscSettings v;
    v.checkInterval = r.choice(static_cast<int>(kCheckIntervalMinutes.size()), v.checkInterval);
    v.notify = r.boolean(v.notify);
    v.playSound = r.boolean(v.playSound);
    v.soundFile = cut(r.text(v.soundFile), kMaxSoundFileLength);
    v.newMailMessageBox = r.choice(3, v.newMailMessageBox);
    v.blinkTaskbar = r.boolean(v.blinkTaskbar);
    v.trayIcon = r.boolean(v.trayIcon);
    v.keepNewMailFolderNames = r.boolean(v.keepNewMailFolderNames);
    v.highPriorityColour = readColourNumber(r, v.highPriorityColour);
    v.highPriorityBackground = readColourNumber(r, v.highPriorityBackground);
    v.highPriorityForeground = readColourNumber(r, v.highPriorityForeground);
    v.lowPriorityColour = readColourNumber(r, v.lowPriorityColour);
    v.lowPriorityBackground = readColourNumber(r, v.lowPriorityBackground);
    v.lowPriorityForeground = readColourNumber(r, v.lowPriorityForeground);
    return v;
}

std::error_code saveMiscSettings(const path& home, const MiscSettings& v) {
    SettingsWriter w;
    w.integer(v.checkInterval >= 0 && v.checkInterval < 7 ? v.checkInterval : 3);
    w.boolean(v.notify).boolean(v.playSound).text(cut(v.soundFile, kMaxSoundFileLength));
    w.integer(v.newMailMessageBox >= 0 && v.newMailMessageBox < 3 ? v.newMailMessageBox : 0);
    w.boolean(v.blinkTaskbar).boolean(v.trayIcon).boolean(v.keepNewMailFolderNames);
    w.integer(v.highPriorityColour).integer(v.highPriorityBackground);
    w.integer(v.highPriorityForeground).integer(v.lowPriorityColour);
    w.integer(v.lowPriorityBackground).integer(v.lowPriorityForeground);
    return w.save(home / kMiscFile);
}

OtherSettings loadOtherSettings(const path& home) {
    SettingsReader r(home / kOtherFile);
    OtherSettings v;
    v.previousMailHandler = r.text(v.previousMailHandler);
    v.defaultMailProgram = r.boolean(v.defaultMailProgram);
    v.checkMailOnStartup = r.boolean(v.checkMailOnStartup);
    v.showFloatingTips = r.boolean(v.showFloatingTips);
    v.floatingTipSeconds = cut(r.text(v.floatingTipSeconds), kMaxTipSecondsLength);
    v.emptyTrashOnExit = r.boolean(v.emptyTrashOnExit);
    v.grayToolbarButtons = r.boolean(v.grayToolbarButtons);
    v.textUnderToolbarButtons = r.boolean(v.textUnderToolbarButtons);
    v.confirmDelete = r.boolean(v.confirmDelete);
    v.menuHintsOnStatusBar = r.boolean(v.menuHintsOnStatusBar);
    v.statusBarTime = r.boolean(v.statusBarTime);
    v.statusBarDate = r.boolean(v.statusBarDate);
    v.shortFolderNames = r.boolean(v.shortFolderNames);
    v.quietKeyboard = r.boolean(v.quietKeyboard);
    v.closeAllWindowsOnShutdown = r.boolean(v.closeAllWindowsOnShutdown);
    v.minimizeToTray = r.boolean(v.minimizeToTray);
    v.profileNameInTaskbar = r.boolean(v.profileNameInTaskbar);
    v.copyMailtoToBuffer = r.boolean(v.copyMailtoToBuffer);
    v.startupSoundFile = r.text(v.startupSoundFile);
    v.verificationSoundFile = r.text(v.verificationSoundFile);
    v.soundTestCaption = r.text(v.soundTestCaption);
    if (v.soundTestCaption != "&Test Verification") v.soundTestCaption = "&Test Startup";
    v.dnsServer = r.text(v.dnsServer);
    if (trimBlanks(v.dnsServer).empty()) v.dnsServer = kDefaultDnsServer;
    return v;
}

std::error_code saveOtherSettings(const path& home, const OtherSettings& v) {
    SettingsWriter w;
    w.text(v.previousMailHandler).boolean(v.defaultMailProgram).boolean(v.checkMailOnStartup);
    w.boolean(v.showFloatingTips).text(cut(v.floatingTipSeconds, kMaxTipSecondsLength));
    w.boolean(v.emptyTrashOnExit).boolean(v.grayToolbarButtons);
    w.boolean(v.textUnderToolbarButtons).boolean(v.confirmDelete);
    w.boolean(v.menuHintsOnStatusBar).boolean(v.statusBarTime).boolean(v.statusBarDate);
    w.boolean(v.shortFolderNames).boolean(v.quietKeyboard);
    w.boolean(v.closeAllWindowsOnShutdown).boolean(v.minimizeToTray);
    w.boolean(v.profileNameInTaskbar).boolean(v.copyMailtoToBuffer);
    w.text(v.startupSoundFile).text(v.verificationSoundFile).text(v.soundTestCaption);
    w.text(v.dnsServer);
    return w.save(home / kOtherFile);
}

GuiSettings loadGuiSettings(const path& home) {
    SettingsReader r(home / kGuiFile);
    GuiSettings v;
    v.tabStyle = r.choice(3, v.tabStyle);
    v.tabOrientation = r.choice(2, v.tabOrientation);
    v.verticalLines = r.boolean(v.verticalLines);
    v.horizontalLines = r.boolean(v.horizontalLines);
    return v;
}

std::error_code saveGuiSettings(const path& home, const GuiSettings& v) {
    SettingsWriter w;
    w.integer(v.tabStyle >= 0 && v.tabStyle < 3 ? v.tabStyle : 1);
    w.integer(v.tabOrientation == 1 ? 1 : 0);
    w.boolean(v.verticalLines).boolean(v.horizontalLines);
    return w.save(home / kGuiFile);
}

UsersPageSettings loadUsersPageSettings(const path& home) {
    SettingsReader r(home / kUsersFile);
    UsersPageSettings v;
    v.font = readFont(r);
    return v;
}

std::error_code saveUsersPageSettings(const path& home, const UsersPageSettings& v) {
    SettingsWriter w;
    writeFont(w, v.font);
    return w.save(home / kUsersFile);
}

void loadMainWindowGroup(const path& home, Settings& s) {
    s.main = loadMainWindowSettings(home);
    s.tips = loadTipsSettings(home);
}

void loadConfigurationGroup(const path& home, Settings& s, bool* sizeLimitReset) {
    s.retrieve = loadRetrieveSettings(home, sizeLimitReset);
    s.send = loadSendSettings(home);
    s.compose = loadComposeSettings(home);
    s.read = loadReadSettings(home);
    s.reply = loadReplySettings(home);
    s.misc = loadMiscSettings(home);
    s.other = loadOtherSettings(home);
    s.gui = loadGuiSettings(home);
    s.users = loadUsersPageSettings(home);
    s.changed = {};
}

void loadFirstTickGroup(const path& home, Settings& s) {
    s.vl = loadVlSettings(home);
    s.toolbar = loadToolbarSettings(home, s.other.textUnderToolbarButtons);
    s.profileToolbar = loadProfileToolbarSettings(home);
}

std::error_code saveAtExit(const path& home, Settings& s) {
    std::error_code first;
    auto keep = [&](std::error_code e) {
        if (e && !first) first = e;
        return !e;
    };
    if (s.changed.retrieve && keep(saveRetrieveSettings(home, s.retrieve)))
        s.changed.retrieve = false;
    if (s.changed.compose && keep(saveComposeSettings(home, s.compose))) s.changed.compose = false;
    keep(saveMainWindowSettings(home, s.main));
    keep(saveVlSettings(home, s.vl));
    keep(saveToolbarSettings(home, s.toolbar));
    keep(saveProfileToolbarSettings(home, s.profileToolbar));
    return first;
}

std::error_code saveOtherAtExit(const path& home, Settings& s) {
    if (!s.changed.other && !s.changed.floatingTipsSwitched) return {};
    std::error_code e = saveOtherSettings(home, s.other);
    if (!e) s.changed.other = s.changed.floatingTipsSwitched = false;
    return e;
}

}  // namespace velmora::profiles
