// What the stored option positions mean: the choice lists of the pages, the byte and second
// values behind them, the toolbar button hints and the main window's default geometry.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>

#include "profiles/settings.h"

namespace velmora::profiles {

// Port fields are short host-port texts; the POP3 port field takes at most 16 characters.
inline constexpr std::size_t kMaxPortLength = 16;
// The new-mail sound file name field takes at most 252 characters.
inline constexpr std::size_t kMaxSoundFileLength = 252;
// Floating tips stay at most 999 seconds.
inline constexpr std::size_t kMaxTipSecondsLength = 3;

inline constexpr std::array<const char*, 13> kSizeLimitChoices = {
    "Disabled", "8K",  "16K", "32K", "64K", "128K", "256K",
    "512K",     "1MB", "2MB", "3MB", "4MB", "5MB"};
inline constexpr std::array<std::int64_t, 13> kSizeLimitBytes = {
    0,      8192,    16384,   32768,   65536,   131072, 262144,
    524288, 1048576, 2097152, 3145728, 4194304, 5242880};

// Time-outs of the POP3 clients (retrieve page) and of the SMTP client (send page).
inline constexpr std::array<int, 8> kTimeoutSeconds = {30, 60, 90, 120, 180, 240, 480, 960};

inline constexpr std::array<const char*, 5> kRetrieveAfterSendingChoices = {
    "Disabled", "Count", "Headers", "Messages - All", "Messages - Size Filtered"};
inline constexpr std::array<const char*, 6> kInsertRecipientLimits = {"No Limit", "100", "200",
                                                                      "300",      "400", "500"};
inline constexpr std::array<const char*, 4> kGreetingKeywords = {"FIRSTNAME", "LASTNAME",
                                                                 "FULLNAME", "NICKNAME"};
inline constexpr std::array<const char*, 7> kAutoSaveChoices = {
    "Disabled", "1 minute", "2 minutes", "3 minutes", "4 minutes", "5 minutes", "10 minutes"};
inline constexpr std::array<int, 7> kAutoSaveMinutes = {0, 1, 2, 3, 4, 5, 10};
inline constexpr std::array<const char*, 3> kAcknowledgeChoices = {"Yes", "No", "Prompt"};
inline constexpr std::array<const char*, 2> kCursorPositionChoices = {"Beginning of message",
                                                                      "End of Message"};
inline constexpr std::array<int, 7> kCheckIntervalMinutes = {1, 5, 10, 20, 30, 45, 60};
inline constexpr std::array<const char*, 3> kNewMailMessageBoxChoices = {
    "Do not display message box", "Display message box with OK button",
    "Display auto-close message box (after 3 seconds)"};
inline constexpr std::array<const char*, 3> kTabStyles = {"Round", "Square", "Notebook"};
inline constexpr std::array<const char*, 2> kTabOrientations = {"Top", "Bottom"};

// The date column formats: what the page shows for each, and the pattern ("ddd" short day name,
// "mmm" short month name, "mmmm" full month name). Position 5 shows the Date header as received.
struct DateFormat {
    const char* shownAs;
    const char* pattern;  // empty for the Date header as received
};
inline constexpr std::array<DateFormat, 6> kDateFormats = {{
    {"Sun, Jul 31 2001", "ddd, mmm dd yyyy hh:mm:ss"},
    {"Sun, 31 July 2001", "ddd, dd mmmm yyyy hh:mm:ss"},
    {"July 31, 2001", "mmmm dd, yyyy hh:mm:ss"},
    {"31 July 2001", "dd mmmm yyyy hh:mm:ss"},
    {"2001.07.31.15:30:45", "yyyy.mm.dd.hh:mm:ss"},
    {"Actual Date Header", ""},
}};
inline constexpr int kActualDateHeader = 5;

// The size limit in bytes for a position; 0 means no limit (also for a position outside the list).
std::int64_t sizeLimitBytes(int position);
// The seconds of a time-out position; a position outside the list gives 60.
int timeoutSeconds(int position);
// The auto-save interval of a compose window; zero for "Disabled" and for unknown positions.
std::chrono::minutes autoSaveInterval(int position);
// The automatic-check period in minutes; unknown positions give 20.
int checkIntervalMinutes(int position);
// "minute" for the first check-interval position, "minutes" for the others.
const char* checkIntervalUnit(int position);

// The Messages button's mode from "Delete messages from server after retrieving" and
// "Retrive all messages regardless of size": delete and all 3, delete and filtered 2, leave and
// all 1, leave and filtered 4.
int messagesButtonMode(bool deleteFromServer, bool retrieveAll);
// "Retrieve All Messages - Delete|" and the other three hints of the Messages button.
std::string messagesButtonHint(int mode);
// "Compose A New Email Message|" (mode 1) or "Bring active Compose window to the front|".
std::string composeButtonHint(int mode);

// "server:port" as the network clients take it, both trimmed of blanks. A server text that names
// a port of its own ("mail.example.com:2525", "[::1]:995") keeps it, and a bare IPv6 address
// gets its brackets ("[::1]:110"), so that the port is not read as part of the address.
std::string serverWithPort(const std::string& server, const std::string& port);

// How long a floating tip stays: the "other.cfg" seconds text times 1000; a text that is not a
// number of seconds gives the default 8 seconds.
int floatingTipMilliseconds(const OtherSettings& other);

// The position of the tip to show next, after `lastTip`, among `tipCount` tips (0 after the last).
int nextTip(int lastTip, int tipCount);

struct WindowGeometry {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    bool operator==(const WindowGeometry&) const = default;
};

// The main window's geometry: the stored one when main.cfg was written on a screen of this width;
// otherwise 97 % of the screen width by 90 % of its height (rounded), centred horizontally and 10
// pixels above the vertical centre (halves rounded towards zero).
WindowGeometry mainWindowGeometry(const MainWindowSettings& stored, int screenWidth,
                                  int screenHeight);

// The folder tree width of vl.cfg, or a fifth of the main window width when none was stored.
int folderTreeWidth(const VlSettings& vl, int mainWindowWidth);

// The configuration window's top-left corner: the stored one, or centred on the screen.
WindowGeometry configWindowPosition(const VlSettings& vl, int screenWidth, int screenHeight,
                                    int windowWidth, int windowHeight);

// The profile toolbar's top: 10 while docked at the top or the bottom, else as stored.
int profileToolbarTop(const ProfileToolbarSettings& bar);

}  // namespace velmora::profiles
