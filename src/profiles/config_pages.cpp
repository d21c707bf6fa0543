#include "profiles/config_pages.h"

#include <array>
#include <system_error>

#include "base/identity.h"
#include "base/text_file.h"
#include "profiles/profile.h"
#include "profiles/settings_rules.h"

namespace velmora::profiles {

namespace {

using Binding = OptionPage::Binding;

template <typename S>
Binding bindCheck(const char* id, const char* caption, S& s, bool S::*field) {
    return {{id, caption, OptionKind::Check, {}, 0, {}},
            [&s, field] { return OptionValue{s.*field}; },
            [&s, field](const OptionValue& v) { s.*field = std::get<bool>(v); },
            {}};
}

template <typename S, std::size_t N>
Binding bindChoice(const char* id, const char* caption, S& s, int S::*field,
                   const std::array<const char*, N>& texts) {
    std::vector<std::string> choices(texts.begin(), texts.end());
    return {{id, caption, OptionKind::Choice, choices, 0, {}},
            [&s, field] { return OptionValue{s.*field}; },
            [&s, field](const OptionValue& v) {
                const int position = std::get<int>(v);
                if (position >= 0 && position < static_cast<int>(N)) s.*field = position;
            },
            {}};
}

template <std::size_t N>
std::array<std::string, N> numbersOf(const std::array<int, N>& values) {
    std::array<std::string, N> texts;
    for (std::size_t i = 0; i < N; ++i) texts[i] = std::to_string(values[i]);
    return texts;
}

template <typename S, std::size_t N>
Binding bindNumberChoice(const char* id, const char* caption, S& s, int S::*field,
                         const std::array<int, N>& values, const char* suffix) {
    const auto texts = numbersOf(values);
    return {{id, caption, OptionKind::Choice, {texts.begin(), texts.end()}, 0, suffix},
            [&s, field] { return OptionValue{s.*field}; },
            [&s, field](const OptionValue& v) {
                const int position = std::get<int>(v);
                if (position >= 0 && position < static_cast<int>(N)) s.*field = position;
            },
            {}};
}

template <typename S>
Binding bindText(const char* id, const char* caption, S& s, std::string S::*field,
                 std::size_t maxLength = 0, OptionKind kind = OptionKind::Text) {
    return {{id, caption, kind, {}, maxLength, {}},
            [&s, field] { return OptionValue{s.*field}; },
            [&s, field](const OptionValue& v) { s.*field = std::get<std::string>(v); },
            {}};
}

template <typename S>
Binding bindFont(const char* id, const char* caption, S& s, FontSetting S::*field) {
    return {{id, caption, OptionKind::Font, {}, 0, {}},
            [&s, field] { return OptionValue{s.*field}; },
            [&s, field](const OptionValue& v) { s.*field = std::get<FontSetting>(v); },
            {}};
}

template <typename S>
Binding bindColour(const char* id, const char* caption, S& s, Colour S::*field) {
    return {{id, caption, OptionKind::Colour, colourChoiceNames(), 0, {}},
            [&s, field] { return OptionValue{static_cast<int>(s.*field)}; },
            [&s, field](const OptionValue& v) { s.*field = static_cast<Colour>(std::get<int>(v)); },
            {}};
}

Binding bindButton(const char* id, const char* caption) {
    return {
        {id, caption, OptionKind::Button, {}, 0, {}}, [] { return OptionValue{false}; }, {}, {}};
}

Binding enabledWhile(Binding b, std::function<bool()> condition) {
    b.enabled = std::move(condition);
    return b;
}

std::string withKeyword(const std::string& greeting, int keyword) {
    if (keyword < 0 || keyword >= static_cast<int>(kGreetingKeywords.size())) keyword = 0;
    return greeting + "%" + kGreetingKeywords[static_cast<std::size_t>(keyword)] + "%";
}

}  // namespace

const std::vector<std::string>& colourChoiceNames() {
    static const std::vector<std::string> names = {
        "clBlack",  "clMaroon", "clGreen", "clOlive", "clNavy",    "clPurple", "clTeal", "clGray",
        "clSilver", "clRed",    "clLime",  "clBlue",  "clFuchsia", "clAqua",   "clWhite"};
    return names;
}

bool isDottedIpv4(const std::string& text) {
    int parts = 0;
    std::size_t i = 0;
    while (i <= text.size()) {
        std::size_t digits = 0;
        int value = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 4) {
            value = value * 10 + (text[i] - '0');
            ++digits;
            ++i;
        }
        if (digits == 0 || digits > 3 || value > 255) return false;
        ++parts;
        if (i == text.size()) break;
        if (text[i] != '.' || parts == 4) return false;
        ++i;
    }
    return parts == 4;
}

// --- Retrieve (POP3) -------------------------------------------------------------------------

RetrievePage::RetrievePage(Settings& settings)
    : OptionPage(ConfigPage::Retrieve, kRetrieveFile, &ChangedFlags::retrieve, settings,
                 [&settings](const std::filesystem::path& home) {
                     return saveRetrieveSettings(home, settings.retrieve);
                 }) {
    RetrieveSettings& r = settings.retrieve;
    add(bindCheck("displayHeadersInRed", "Display headers in red if Size exceeds Limit value", r,
                  &RetrieveSettings::displayHeadersInRed));
    add(bindCheck("deleteFromServer", "Delete messages from server after retrieving", r,
                  &RetrieveSettings::deleteFromServer));
    Binding size =
        bindChoice("sizeLimit", "Size Limit", r, &RetrieveSettings::sizeLimit, kSizeLimitChoices);
    size.set = [this, &r](const OptionValue& v) {
        const int position = std::get<int>(v);
        if (position >= 0 && position < static_cast<int>(kSizeLimitChoices.size())) {
            r.sizeLimit = position;
            return;
        }
        r.sizeLimit = 0;
        if (platform()) {
            platform()->system.beep();
            platform()->dialogs.warning(kProductName, kIndexErrorOnChange);
        }
    };
    add(size);
    add({{"retrieveAllRegardlessOfSize",
          "Size Limit Action",
          OptionKind::Choice,
          {"Retrive all messages regardless of size",
           "Leave msgs on server if Size exceeds Limit value"},
          0,
          {}},
         [&r] { return OptionValue{r.retrieveAllRegardlessOfSize ? 0 : 1}; },
         [&r](const OptionValue& v) { r.retrieveAllRegardlessOfSize = std::get<int>(v) == 0; },
         {}});
    add(bindNumberChoice("connectTimeout", "Connect timeout setting", r,
                         &RetrieveSettings::connectTimeout, kTimeoutSeconds, "seconds"));
    add(bindText("pop3Port", "POP3 Port", r, &RetrieveSettings::pop3Port, kMaxPortLength));
    add(bindFont("folderListFont", "Folder List Font", r, &RetrieveSettings::folderListFont));
    add(bindCheck("defaultLightbarColor", "Default window lightbar color", r,
                  &RetrieveSettings::defaultLightbarColor));
    auto custom = [&r] { return !r.defaultLightbarColor; };
    add(enabledWhile(
        bindColour("lightbarBackground", "Background", r, &RetrieveSettings::lightbarBackground),
        custom));
    add(enabledWhile(
        bindColour("lightbarForeground", "Foreground", r, &RetrieveSettings::lightbarForeground),
        custom));
    std::array<const char*, kDateFormats.size()> shown{};
    for (std::size_t i = 0; i < kDateFormats.size(); ++i) shown[i] = kDateFormats[i].shownAs;
    add(bindChoice("dateFormat", "Date column format", r, &RetrieveSettings::dateFormat, shown));
}

void RetrievePage::afterChange(const std::string& id) {
    RetrieveSettings& r = settings().retrieve;
    if (id == "deleteFromServer" || id == "retrieveAllRegardlessOfSize")
        r.messagesButtonMode =
            messagesButtonMode(r.deleteFromServer, r.retrieveAllRegardlessOfSize);
    if (id == "defaultLightbarColor" || id == "lightbarBackground" || id == "lightbarForeground") {
        r.lightbarBackgroundSample = r.defaultLightbarColor ? kClHighlight : r.lightbarBackground;
        r.lightbarTextSample = r.defaultLightbarColor ? kClHighlightText : r.lightbarForeground;
    }
}

std::string RetrievePage::messagesButtonHint() const {
    return profiles::messagesButtonHint(settings().retrieve.messagesButtonMode);
}

void RetrievePage::reportSizeLimitReset() {
    if (!platform()) return;
    platform()->system.beep();
    platform()->dialogs.warning(kProductName, kIndexErrorOnApply);
}

// --- Send (SMTP) -----------------------------------------------------------------------------

SendPage::SendPage(Settings& settings)
    : OptionPage(ConfigPage::Send, kSendFile, &ChangedFlags::send, settings,
                 [&settings](const std::filesystem::path& home) {
                     return saveSendSettings(home, settings.send);
                 }) {
    SendSettings& s = settings.send;
    add(bindCheck("requestDeliveryAck", "Request delivery acknowledgement", s,
                  &SendSettings::requestDeliveryAck));
    add(bindCheck("requestReadAck", "Request read acknowledgement", s,
                  &SendSettings::requestReadAck));
    add(bindCheck("spellCheckBeforeSending", "Spell check message before sending", s,
                  &SendSettings::spellCheckBeforeSending));
    add(bindCheck("sendOutBoxTogether", "Always send multiple OutBox messages together", s,
                  &SendSettings::sendOutBoxTogether));
    add(bindChoice("retrieveAfterSending", "Retrieve mail after sending via", s,
                   &SendSettings::retrieveAfterSending, kRetrieveAfterSendingChoices));
    add(bindNumberChoice("timeout", "Timeout setting", s, &SendSettings::timeout, kTimeoutSeconds,
                         "seconds"));
    add(bindText("smtpPort", "SMTP Port", s, &SendSettings::smtpPort, kMaxPortLength));
}

// --- Compose ---------------------------------------------------------------------------------

ComposePage::ComposePage(Settings& settings)
    : OptionPage(ConfigPage::Compose, kComposeFile, &ChangedFlags::compose, settings,
                 [&settings](const std::filesystem::path& home) {
                     return saveComposeSettings(home, settings.compose);
                 }) {
    ComposeSettings& c = settings.compose;
    add(bindCheck("useSignatureBlocks", "Use signature blocks", c,
                  &ComposeSettings::useSignatureBlocks));
    add(bindCheck("closeAfterSending", "Close compose window after sending message", c,
                  &ComposeSettings::closeAfterSending));
    add(bindCheck("saveToSent", "Save outgoing messages to 'Sent' folder", c,
                  &ComposeSettings::saveToSent));
    add(bindChoice("insertRecipientLimit", "Popup menu 'Insert Recipient' display limit", c,
                   &ComposeSettings::insertRecipientLimit, kInsertRecipientLimits));
    add(bindCheck("useGreeting", "Use compose greeting", c, &ComposeSettings::useGreeting));
    add(bindText("greeting", "Greeting", c, &ComposeSettings::greeting));
    add(bindChoice("greetingKeyword", "Keyword", c, &ComposeSettings::greetingKeyword,
                   kGreetingKeywords));
    add(bindButton("insertGreetingKeyword", "&Insert Keyword"));
    add(bindChoice("autoSave", "Auto-save compose body text every", c, &ComposeSettings::autoSave,
                   kAutoSaveChoices));
    add(bindFont("font", "Compose Font", c, &ComposeSettings::font));
}

void ComposePage::click(const std::string& id) {
    if (id != "insertGreetingKeyword") return;
    const ComposeSettings& c = settings().compose;
    setText("greeting", withKeyword(c.greeting, c.greetingKeyword));
}

// --- Read ------------------------------------------------------------------------------------

ReadPage::ReadPage(Settings& settings)
    : OptionPage(ConfigPage::Read, kReadFile, &ChangedFlags::read, settings,
                 [&settings](const std::filesystem::path& home) {
                     return saveReadSettings(home, settings.read);
                 }) {
    ReadSettings& r = settings.read;
    add(bindFont("font", "Read Window Font", r, &ReadSettings::font));
    add(bindChoice("acknowledgeReadRequests", "Acknowledge Read Requests", r,
                   &ReadSettings::acknowledgeReadRequests, kAcknowledgeChoices));
    add(bindCheck("enableHtml", "Enable HTML messages", r, &ReadSettings::enableHtml));
}

// --- Reply -----------------------------------------------------------------------------------

ReplyPage::ReplyPage(Settings& settings)
    : OptionPage(ConfigPage::Reply, kReplyFile, &ChangedFlags::reply, settings,
                 [&settings](const std::filesystem::path& home) {
                     return saveReplySettings(home, settings.reply);
                 }) {
    ReplySettings& r = settings.reply;
    add(bindFont("font", "Reply Font", r, &ReplySettings::font));
    add(bindCheck("includeOriginal", "Include original message", r,
                  &ReplySettings::includeOriginal));
    add(enabledWhile(bindText("indentCharacter", "Indent character when replying", r,
                              &ReplySettings::indentCharacter, 1),
                     [&r] { return r.includeOriginal; }));
    add(bindText("wordWrap", "Word wrap original message at", r, &ReplySettings::wordWrap, 3));
    add(bindChoice("cursorPosition", "Cursor Position When Replying", r,
                   &ReplySettings::cursorPosition, kCursorPositionChoices));
    add(bindCheck("notifyReplyTo", "Notify when sender is using a 'ReplyTo' address", r,
                  &ReplySettings::notifyReplyTo));
    add(bindCheck("openOnBodyTab", "Open reply window on Body tab", r,
                  &ReplySettings::openOnBodyTab));
    add(bindCheck("useGreeting", "Use reply greeting", r, &ReplySettings::useGreeting));
    add(bindText("greeting", "Greeting", r, &ReplySettings::greeting));
    add(bindChoice("greetingKeyword", "Keyword", r, &ReplySettings::greetingKeyword,
                   kGreetingKeywords));
    add(bindButton("insertGreetingKeyword", "&Insert Keyword"));
}

void ReplyPage::click(const std::string& id) {
    if (id != "insertGreetingKeyword") return;
    const ReplySettings& r = settings().reply;
    setText("greeting", withKeyword(r.greeting, r.greetingKeyword));
}

// --- Misc ------------------------------------------------------------------------------------

MiscPage::MiscPage(Settings& settings)
    : OptionPage(ConfigPage::Misc, kMiscFile, &ChangedFlags::misc, settings,
                 [&settings](const std::filesystem::path& home) {
                     return saveMiscSettings(home, settings.misc);
                 }) {
    MiscSettings& m = settings.misc;
    auto notifying = [&m] { return m.notify; };
    add(bindNumberChoice("checkInterval", "Check for new mail every", m,
                         &MiscSettings::checkInterval, kCheckIntervalMinutes, "minutes"));
    add(bindCheck("notify", "Notify", m, &MiscSettings::notify));
    add(enabledWhile(bindCheck("playSound", "Play sound", m, &MiscSettings::playSound), notifying));
    add(bindText("soundFile", "New mail .wav filename", m, &MiscSettings::soundFile,
                 kMaxSoundFileLength, OptionKind::File));
    add(enabledWhile(bindChoice("newMailMessageBox", "Message box", m,
                                &MiscSettings::newMailMessageBox, kNewMailMessageBoxChoices),
                     notifying));
    add(enabledWhile(
        bindCheck("blinkTaskbar", "Blink Velmora icon in taskbar", m, &MiscSettings::blinkTaskbar),
        notifying));
    add(enabledWhile(
        bindCheck("trayIcon", "Display envelope icon in system tray", m, &MiscSettings::trayIcon),
        notifying));
    add(bindCheck("keepNewMailFolderNames", "Keep New Mail folder names", m,
                  &MiscSettings::keepNewMailFolderNames));
    add(bindColour("highPriorityColour", "High priority font colour", m,
                   &MiscSettings::highPriorityColour));
    add(bindColour("highPriorityBackground", "High priority lightbar background", m,
                   &MiscSettings::highPriorityBackground));
    add(bindColour("highPriorityForeground", "High priority lightbar foreground", m,
                   &MiscSettings::highPriorityForeground));
    add(bindColour("lowPriorityColour", "Low priority font colour", m,
                   &MiscSettings::lowPriorityColour));
    add(bindColour("lowPriorityBackground", "Low priority lightbar background", m,
                   &MiscSettings::lowPriorityBackground));
    add(bindColour("lowPriorityForeground", "Low priority lightbar foreground", m,
                   &MiscSettings::lowPriorityForeground));
}

std::string MiscPage::suffix(const std::string& id) const {
    if (id == "checkInterval") return checkIntervalUnit(settings().misc.checkInterval);
    return OptionPage::suffix(id);
}

// --- Other -----------------------------------------------------------------------------------

OtherPage::OtherPage(Settings& settings, MailHandlerRegistry& registry)
    : OptionPage(ConfigPage::Other, kOtherFile, &ChangedFlags::other, settings,
                 [&settings](const std::filesystem::path& home) {
                     return saveOtherSettings(home, settings.other);
                 }),
      registry_(registry) {
    OtherSettings& o = settings.other;
    Binding mailProgram = bindCheck("defaultMailProgram", "Make Velmora default mail program", o,
                                    &OtherSettings::defaultMailProgram);
    // Only the user switches it, never loading: the registry is changed right here.
    mailProgram.set = [this, &o](const OptionValue& v) {
        if (!platform()) return;
        o.defaultMailProgram =
            switchDefaultMailProgram(std::get<bool>(v), o, registry_, platform()->dialogs);
    };
    add(mailProgram);
    add(bindCheck("checkMailOnStartup", "Check for new mail on startup", o,
                  &OtherSettings::checkMailOnStartup));
    add(bindCheck("showFloatingTips", "Show floating tips for", o,
                  &OtherSettings::showFloatingTips));
    Binding seconds = bindText("floatingTipSeconds", "Seconds", o,
                               &OtherSettings::floatingTipSeconds, kMaxTipSecondsLength);
    seconds.option.suffix = "seconds";
    seconds.enabled = [&o] { return o.showFloatingTips; };
    add(seconds);
    add(bindCheck("emptyTrashOnExit", "Delete messages from 'Trash' folder on exit", o,
                  &OtherSettings::emptyTrashOnExit));
    add(bindCheck("grayToolbarButtons", "Enable graying out of toolbar buttons", o,
                  &OtherSettings::grayToolbarButtons));
    add(bindCheck("textUnderToolbarButtons", "Show text under toolbar buttons", o,
                  &OtherSettings::textUnderToolbarButtons));
    add(bindCheck("confirmDelete", "Confirm before deleting mail messages", o,
                  &OtherSettings::confirmDelete));
    add(bindCheck("menuHintsOnStatusBar", "Show menu hints on status bar", o,
                  &OtherSettings::menuHintsOnStatusBar));
    add(bindCheck("statusBarTime", "Show status bar time display", o,
                  &OtherSettings::statusBarTime));
    add(bindCheck("statusBarDate", "Show status bar date display", o,
                  &OtherSettings::statusBarDate));
    add(bindCheck("shortFolderNames", "Use short folder names on window title bars", o,
                  &OtherSettings::shortFolderNames));
    add(bindCheck("quietKeyboard", "Quiet keyboard", o, &OtherSettings::quietKeyboard));
    add(bindCheck("closeAllWindowsOnShutdown", "Close all open windows on shutdown", o,
                  &OtherSettings::closeAllWindowsOnShutdown));
    add(bindCheck("minimizeToTray", "Minimize Velmora to system tray", o,
                  &OtherSettings::minimizeToTray));
    add(bindCheck("profileNameInTaskbar", "Show active User Profile name in taskbar", o,
                  &OtherSettings::profileNameInTaskbar));
    add(bindCheck("copyMailtoToBuffer", "Copy web link MailTo: address to buffer", o,
                  &OtherSettings::copyMailtoToBuffer));
    add(bindText("startupSoundFile", "Startup .wav file", o, &OtherSettings::startupSoundFile, 0,
                 OptionKind::File));
    add(bindText("verificationSoundFile", "Address verification complete .wav file", o,
                 &OtherSettings::verificationSoundFile, 0, OptionKind::File));
    add(bindButton("testSound", kTestStartupCaption));
    add(bindText("dnsServer", "DNS server for address verification", o, &OtherSettings::dnsServer,
                 15));
}

std::string OtherPage::caption(const std::string& id) const {
    if (id == "testSound") return settings().other.soundTestCaption;
    return OptionPage::caption(id);
}

void OtherPage::afterChange(const std::string& id) {
    if (id == "quietKeyboard" && !settings().other.quietKeyboard && platform())
        platform()->system.beep();
    if (id == "startupSoundFile") fieldClicked(id);
    if (id == "verificationSoundFile") fieldClicked(id);
}

void OtherPage::fieldClicked(const std::string& id) {
    OtherSettings& o = settings().other;
    const char* caption = id == "startupSoundFile"        ? kTestStartupCaption
                          : id == "verificationSoundFile" ? kTestVerificationCaption
                                                          : nullptr;
    if (!caption || o.soundTestCaption == caption) return;
    o.soundTestCaption = caption;
    markChanged("testSound");
}

void OtherPage::click(const std::string& id) {
    if (id != "testSound" || !platform()) return;
    const OtherSettings& o = settings().other;
    const std::string& file = o.soundTestCaption == kTestVerificationCaption
                                  ? o.verificationSoundFile
                                  : o.startupSoundFile;
    if (file.empty())
        platform()->system.beep();
    else
        platform()->system.playSound(file);
}

void OtherPage::enter() {
    startupSoundAtEnter_ = settings().other.startupSoundFile;
    dnsServerAtEnter_ = settings().other.dnsServer;
}

void OtherPage::copyStartupSound() {
    const std::string& source = settings().other.startupSoundFile;
    const auto target = home() / kStartupSoundFile;
    std::error_code error;
    if (trimBlanks(source).empty()) {
        std::filesystem::remove(target, error);
        return;
    }
    const auto bytes = readWholeFile(source);
    if (!bytes)
        error = std::make_error_code(std::errc::no_such_file_or_directory);
    else
        error = writeFileAtomically(target, *bytes);
    if (error && platform()) {
        platform()->system.beep();
        platform()->dialogs.warning(kProductName, "Copy File Error 8419\r" + errorText(error));
    }
}

void OtherPage::leave() {
    OtherSettings& o = settings().other;
    if (!isDottedIpv4(o.dnsServer)) {
        if (platform())
            platform()->dialogs.warning(kProductName,
                                        "The DNS server '" + o.dnsServer +
                                            "' is not a dotted IPv4 address (such as 192.0.2.53)."
                                            "\r\rThe previous address is kept.");
        o.dnsServer = isDottedIpv4(dnsServerAtEnter_) ? dnsServerAtEnter_ : kDefaultDnsServer;
    }
    if (!startupSoundAtEnter_ || *startupSoundAtEnter_ != o.startupSoundFile) copyStartupSound();
    startupSoundAtEnter_ = o.startupSoundFile;
    OptionPage::leave();
}

// --- GUI -------------------------------------------------------------------------------------

GuiPage::GuiPage(Settings& settings)
    : OptionPage(ConfigPage::Gui, kGuiFile, &ChangedFlags::gui, settings,
                 [&settings](const std::filesystem::path& home) {
                     return saveGuiSettings(home, settings.gui);
                 }) {
    GuiSettings& g = settings.gui;
    add(bindChoice("tabStyle", "Style", g, &GuiSettings::tabStyle, kTabStyles));
    add(bindChoice("tabOrientation", "Orientation", g, &GuiSettings::tabOrientation,
                   kTabOrientations));
    add(bindCheck("verticalLines", "Show vertical lines in mail message windows", g,
                  &GuiSettings::verticalLines));
    add(bindCheck("horizontalLines", "Show horizontal lines in mail message windows", g,
                  &GuiSettings::horizontalLines));
}

}  // namespace velmora::profiles
