// The program-wide options and the remembered window state, one struct per settings file of the
// home folder, and the `Settings` object through which every other module reads them.
//
// Every file starts with the version line "46" (skipped on read), holds one value per line and
// ends without a final line end. A missing file is not an error: every value keeps the default
// written beside its field below. A line that does not hold a number where one is expected takes
// its default and the rest of the file is still read. Choices are stored as their position from 0;
// a position outside the list reads as the default. Files are written atomically; save functions
// return the error instead of throwing.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "profiles/colours.h"

namespace velmora::profiles {

// File names in the home folder.
inline constexpr const char* kVlFile = "vl.cfg";
inline constexpr const char* kMainFile = "main.cfg";
inline constexpr const char* kToolbarFile = "toolbar.cfg";
inline constexpr const char* kUserProFile = "userpro.cfg";
inline constexpr const char* kTipsFile = "tips.cfg";
inline constexpr const char* kRetrieveFile = "retrieve.cfg";
inline constexpr const char* kSendFile = "send.cfg";
inline constexpr const char* kComposeFile = "compose.cfg";
inline constexpr const char* kReadFile = "read.cfg";
inline constexpr const char* kReplyFile = "reply.cfg";
inline constexpr const char* kMiscFile = "misc.cfg";
inline constexpr const char* kOtherFile = "other.cfg";
inline constexpr const char* kGuiFile = "gui.cfg";
inline constexpr const char* kUsersFile = "users.cfg";

// The font used before the user chose one: the desktop's ordinary user-interface font.
inline constexpr const char* kDefaultFontName = "Sans Serif";
inline constexpr const char* kDefaultFontSize = "10";

// A font as the pages show it: name and size as the text shown, colour written by name.
struct FontSetting {
    std::string name = kDefaultFontName;
    std::string size = kDefaultFontSize;
    Colour colour = kClBlack;

    bool operator==(const FontSetting&) const = default;
};

// vl.cfg: main window state and the profile selections. Read on the first tick after the main
// window is shown, written at exit.
struct VlSettings {
    int activeProfile = 0;               // position in the profile list
    int connectionProfile = 0;           // position in the connection list
    bool toolbarShown = true;            // View, Toolbar
    bool profileToolbarShown = true;     // View, User Profile; also decides the title form
    bool folderTreeShown = true;         // View, Folders
    bool statusBarShown = true;          // View, Status Bar
    std::optional<int> folderTreeWidth;  // unset: a fifth of the main window width
    int retrievalWindowLeft = 285;
    int retrievalWindowTop = 85;
    std::optional<int> configWindowLeft;  // unset: centred on the screen
    std::optional<int> configWindowTop;
    bool previewShown = true;    // folder windows' preview pane; an empty line reads as shown
    int folderListHeight = 150;  // message list height while the preview is shown
    int inputBoxLeft = 250;
    int inputBoxTop = 200;

    bool operator==(const VlSettings&) const = default;
};

// main.cfg: the main window's geometry, valid only on a screen of the width it was written on.
struct MainWindowSettings {
    bool present = false;  // false when the file was missing
    int screenWidth = 0;
    int height = 0;
    int width = 0;
    int top = 0;
    int left = 0;

    bool operator==(const MainWindowSettings&) const = default;
};

// Dock position of the two toolbars.
enum class DockPosition { Floating = 0, Top = 1, Bottom = 2, Left = 3, Right = 4 };

// toolbar.cfg: the main toolbar's docking bar.
struct ToolbarSettings {
    int left = 0;
    int leftFloating = 0;
    int top = 0;
    int topFloating = 0;
    int height = 70;
    int heightDocked = 70;
    int heightFloating = 90;  // on reading: 90 with text under the buttons, else 75
    int width = 738;
    int widthDocked = 0;
    int widthFloating = 600;
    DockPosition dockPosition = DockPosition::Top;  // any unknown value reads as Top

    bool operator==(const ToolbarSettings&) const = default;
};

// userpro.cfg: the profile toolbar's docking bar and the widths of its three selectors.
struct ProfileToolbarSettings {
    int left = 0;
    int leftFloating = 0;
    int top = 0;
    int topFloating = 0;
    int height = 30;
    int heightDocked = 30;    // always 30; the stored line gives the floating height while floating
    int heightFloating = 30;  // always written 30
    int width = 738;
    int widthDocked = 0;
    int widthFloating = 220;
    int profileSelectorWidth = 150;     // cboTBUsersListBox
    int connectionSelectorWidth = 150;  // cboTBInternetConnection
    int newMailSelectorWidth = 150;     // cboTBNewMail
    DockPosition dockPosition = DockPosition::Top;

    bool operator==(const ProfileToolbarSettings&) const = default;
};

// tips.cfg: tips of the day.
struct TipsSettings {
    int lastTip = 0;  // position of the tip shown last
    bool showAtStartup = true;

    bool operator==(const TipsSettings&) const = default;
};

// retrieve.cfg: page "Retrieve (POP3)".
struct RetrieveSettings {
    bool displayHeadersInRed = true;  // "Display headers in red if Size exceeds Limit value"
    bool deleteFromServer = true;     // "Delete messages from server after retrieving"
    int sizeLimit = 6;                // "Size Limit", position in kSizeLimitChoices ("256K")
    bool retrieveAllRegardlessOfSize =
        true;                      // FALSE: "Leave msgs on server if Size exceeds Limit value"
    int connectTimeout = 1;        // position in kTimeoutSeconds (60 seconds)
    std::string pop3Port = "110";  // "POP3 Port", at most kMaxPortLength characters
    FontSetting folderListFont;
    Colour lightbarBackgroundSample = kClHighlight;
    Colour lightbarTextSample = kClHighlightText;
    Colour lightbarBackground = kClWhite;  // "Background" drop-down, written as a number
    Colour lightbarForeground = kClBlack;  // "Foreground" drop-down, written as a number
    bool defaultLightbarColor = true;      // "Default window lightbar color"
    int dateFormat = 0;                    // "Date column format", position in kDateFormats
    // The Messages button's mode, always the one deleteFromServer and the size choice give
    // (messagesButtonMode in settings_rules.h): 3 for the default delete-and-all.
    int messagesButtonMode = 3;

    bool operator==(const RetrieveSettings&) const = default;
};

// send.cfg: page "Send (SMTP)".
struct SendSettings {
    bool requestDeliveryAck = false;       // "Request delivery acknowledgement"
    bool requestReadAck = false;           // "Request read acknowledgement"
    bool spellCheckBeforeSending = false;  // "Spell check message before sending"
    bool sendOutBoxTogether = false;       // "Always send multiple OutBox messages together"
    int retrieveAfterSending = 0;          // position in kRetrieveAfterSendingChoices
    int timeout = 1;                       // position in kTimeoutSeconds (60 seconds)
    std::string smtpPort = "25";           // "SMTP Port"

    bool operator==(const SendSettings&) const = default;
};

// compose.cfg: page "Compose".
struct ComposeSettings {
    bool useSignatureBlocks = true;  // "Use signature blocks"
    bool closeAfterSending = true;   // "Close compose window after sending message"
    bool saveToSent = true;          // "Save outgoing messages to 'Sent' folder"
    int insertRecipientLimit = 1;    // position in kInsertRecipientLimits ("100")
    bool useGreeting = false;        // "Use compose greeting"
    std::string greeting = "Hi %FIRSTNAME%:";
    int greetingKeyword = 0;  // position in kGreetingKeywords
    int autoSave = 3;         // position in kAutoSaveChoices ("3 minutes")
    FontSetting font;
    int composeButtonMode = 0;  // 1 compose a new message, 0 bring the active one to the front

    bool operator==(const ComposeSettings&) const = default;
};

// read.cfg: page "Read".
struct ReadSettings {
    FontSetting font;
    int acknowledgeReadRequests = 1;  // "Acknowledge Read Requests": 0 "Yes", 1 "No", 2 "Prompt"
    bool enableHtml = true;           // "Enable HTML messages"; stored and shown only

    bool operator==(const ReadSettings&) const = default;
};

// reply.cfg: page "Reply".
struct ReplySettings {
    FontSetting font;
    bool includeAttachments = false;    // not offered; always FALSE after reading
    bool includeOriginal = true;        // "Include original message"
    std::string indentCharacter = ">";  // "Indent character when replying", one character
    std::string wordWrap = "65";        // "Word wrap original message at", characters per line
    int cursorPosition = 0;             // 0 "Beginning of message", 1 "End of Message"
    bool notifyReplyTo = true;          // "Notify when sender is using a 'ReplyTo' address"
    bool openOnBodyTab = false;         // "Open reply window on Body tab"
    bool useGreeting = false;           // "Use reply greeting"
    std::string greeting = "Hi %FIRSTNAME%:";
    int greetingKeyword = 0;  // position in kGreetingKeywords

    bool operator==(const ReplySettings&) const = default;
};

// misc.cfg: page "Misc", automatic checking and the priority colours.
struct MiscSettings {
    int checkInterval = 3;                // position in kCheckIntervalMinutes (20 minutes)
    bool notify = false;                  // "Notify": master switch of automatic checking
    bool playSound = false;               // "Play sound"
    std::string soundFile;                // "New mail .wav filename", at most kMaxSoundFileLength
    int newMailMessageBox = 0;            // 0 none, 1 with OK button, 2 auto-close after 3 seconds
    bool blinkTaskbar = false;            // "Blink Velmora icon in taskbar"
    bool trayIcon = false;                // "Display envelope icon in system tray"
    bool keepNewMailFolderNames = false;  // "Keep New Mail folder names"
    Colour highPriorityColour = kClRed;
    Colour highPriorityBackground = kClRed;
    Colour highPriorityForeground = kClWhite;
    Colour lowPriorityColour = kClBlue;
    Colour lowPriorityBackground = kClBlue;
    Colour lowPriorityForeground = kClWhite;

    bool operator==(const MiscSettings&) const = default;
};

// The DNS server asked for mail exchangers when addresses are verified, until the user sets one.
inline constexpr const char* kDefaultDnsServer = "8.8.8.8";

// other.cfg: page "Other".
struct OtherSettings {
    std::string previousMailHandler;         // the mailto handler before this program took over
    bool defaultMailProgram = false;         // "Make Velmora default mail program"
    bool checkMailOnStartup = false;         // "Check for new mail on startup"
    bool showFloatingTips = true;            // "Show floating tips for"
    std::string floatingTipSeconds = "8";    // at most kMaxTipSecondsLength digits
    bool emptyTrashOnExit = false;           // "Delete messages from 'Trash' folder on exit"
    bool grayToolbarButtons = true;          // "Enable graying out of toolbar buttons"
    bool textUnderToolbarButtons = true;     // "Show text under toolbar buttons"
    bool confirmDelete = true;               // "Confirm before deleting mail messages"
    bool menuHintsOnStatusBar = true;        // "Show menu hints on status bar"
    bool statusBarTime = true;               // "Show status bar time display"
    bool statusBarDate = true;               // "Show status bar date display"
    bool shortFolderNames = false;           // "Use short folder names on window title bars"
    bool quietKeyboard = false;              // "Quiet keyboard"
    bool closeAllWindowsOnShutdown = false;  // "Close all open windows on shutdown"
    bool minimizeToTray = false;             // "Minimize Velmora to system tray"
    bool profileNameInTaskbar = false;       // "Show active User Profile name in taskbar"
    bool copyMailtoToBuffer = false;         // "Copy web link MailTo: address to buffer"
    std::string startupSoundFile;            // "Startup .wav file"
    std::string verificationSoundFile;       // "Address verification complete .wav file"
    std::string soundTestCaption = "&Test Startup";  // or "&Test Verification"
    std::string dnsServer = kDefaultDnsServer;       // dotted IPv4 address

    bool operator==(const OtherSettings&) const = default;
};

// gui.cfg: page "GUI".
struct GuiSettings {
    int tabStyle = 1;           // 0 "Round", 1 "Square", 2 "Notebook"
    int tabOrientation = 0;     // 0 "Top", 1 "Bottom"
    bool verticalLines = true;  // "Show vertical lines in mail message windows"
    bool horizontalLines = true;

    bool operator==(const GuiSettings&) const = default;
};

// users.cfg: the font of the Users page's fields (looks only).
struct UsersPageSettings {
    FontSetting font;

    bool operator==(const UsersPageSettings&) const = default;
};

// Which files have values changed since they were last written. A page's flag is set by any
// change of one of its options and cleared when its file is written.
struct ChangedFlags {
    bool retrieve = false;
    bool send = false;
    bool compose = false;
    bool read = false;
    bool reply = false;
    bool misc = false;
    bool other = false;
    bool gui = false;
    bool users = false;
    bool floatingTipsSwitched = false;  // other.cfg is written at exit when this is set
};

// Every option of the program, as the rest of the system reads it.
struct Settings {
    VlSettings vl;
    MainWindowSettings main;
    ToolbarSettings toolbar;
    ProfileToolbarSettings profileToolbar;
    TipsSettings tips;
    RetrieveSettings retrieve;
    SendSettings send;
    ComposeSettings compose;
    ReadSettings read;
    ReplySettings reply;
    MiscSettings misc;
    OtherSettings other;
    GuiSettings gui;
    UsersPageSettings users;
    ChangedFlags changed;
};

// Loading and saving one file each; `home` is the home folder. Loading never fails.
VlSettings loadVlSettings(const std::filesystem::path& home);
[[nodiscard]] std::error_code saveVlSettings(const std::filesystem::path& home,
                                             const VlSettings& v);

MainWindowSettings loadMainWindowSettings(const std::filesystem::path& home);
[[nodiscard]] std::error_code saveMainWindowSettings(const std::filesystem::path& home,
                                                     const MainWindowSettings& v);

// `textUnderButtons` is "Show text under toolbar buttons" of other.cfg, which decides the
// floating height.
ToolbarSettings loadToolbarSettings(const std::filesystem::path& home, bool textUnderButtons);
[[nodiscard]] std::error_code saveToolbarSettings(const std::filesystem::path& home,
                                                  const ToolbarSettings& v);

ProfileToolbarSettings loadProfileToolbarSettings(const std::filesystem::path& home);
[[nodiscard]] std::error_code saveProfileToolbarSettings(const std::filesystem::path& home,
                                                         const ProfileToolbarSettings& v);

TipsSettings loadTipsSettings(const std::filesystem::path& home);
[[nodiscard]] std::error_code saveTipsSettings(const std::filesystem::path& home,
                                               const TipsSettings& v);

// `sizeLimitReset`, when given, is set when the stored size limit lay outside the list and was
// reset to "Disabled" (the caller warns "Index Error 5073").
RetrieveSettings loadRetrieveSettings(const std::filesystem::path& home,
                                      bool* sizeLimitReset = nullptr);
[[nodiscard]] std::error_code saveRetrieveSettings(const std::filesystem::path& home,
                                                   const RetrieveSettings& v);

SendSettings loadSendSettings(const std::filesystem::path& home);
[[nodiscard]] std::error_code saveSendSettings(const std::filesystem::path& home,
                                               const SendSettings& v);

ComposeSettings loadComposeSettings(const std::filesystem::path& home);
[[nodiscard]] std::error_code saveComposeSettings(const std::filesystem::path& home,
                                                  const ComposeSettings& v);

ReadSettings loadReadSettings(const std::filesystem::path& home);
[[nodiscard]] std::error_code saveReadSettings(const std::filesystem::path& home,
                                               const ReadSettings& v);

// Line 5 ("include attachments") is always FALSE after reading.
ReplySettings loadReplySettings(const std::filesystem::path& home);
[[nodiscard]] std::error_code saveReplySettings(const std::filesystem::path& home,
                                                const ReplySettings& v);

MiscSettings loadMiscSettings(const std::filesystem::path& home);
[[nodiscard]] std::error_code saveMiscSettings(const std::filesystem::path& home,
                                               const MiscSettings& v);

OtherSettings loadOtherSettings(const std::filesystem::path& home);
[[nodiscard]] std::error_code saveOtherSettings(const std::filesystem::path& home,
                                                const OtherSettings& v);

GuiSettings loadGuiSettings(const std::filesystem::path& home);
[[nodiscard]] std::error_code saveGuiSettings(const std::filesystem::path& home,
                                              const GuiSettings& v);

UsersPageSettings loadUsersPageSettings(const std::filesystem::path& home);
[[nodiscard]] std::error_code saveUsersPageSettings(const std::filesystem::path& home,
                                                    const UsersPageSettings& v);

// The groups of the start-up order. When the main window is created: main.cfg and tips.cfg.
// When the configuration window is built: retrieve, send, compose, read, reply, misc, other, gui
// (in that order) and users.cfg. On the first tick after the main window is shown: vl.cfg, then
// toolbar.cfg, then userpro.cfg (toolbar.cfg reads after other.cfg, whose text-under-buttons
// choice it needs).
void loadMainWindowGroup(const std::filesystem::path& home, Settings& settings);
void loadConfigurationGroup(const std::filesystem::path& home, Settings& settings,
                            bool* sizeLimitReset = nullptr);
void loadFirstTickGroup(const std::filesystem::path& home, Settings& settings);

// The files written at exit, in this order: retrieve.cfg and compose.cfg when changed, main.cfg,
// vl.cfg, toolbar.cfg, userpro.cfg. Writes every file even when one fails and returns the first
// error; clears the flags of the files written.
[[nodiscard]] std::error_code saveAtExit(const std::filesystem::path& home, Settings& settings);
// The last file of the exit: other.cfg, when its values changed or the floating-tips choice was
// switched during the run (the main window pauses before it).
[[nodiscard]] std::error_code saveOtherAtExit(const std::filesystem::path& home,
                                              Settings& settings);

}  // namespace velmora::profiles
