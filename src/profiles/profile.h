// The user profile record and its files in the home folder: "master.usr" with the profile names
// in list order, one "<name>.usr" file per profile, and the profile's signature file
// "<name>.sig" (whose content belongs to the signature editor; profiles only move and delete it),
// "<name>.uidl", the messages left on the server, and "<name>.dele", the server copies still to
// delete (the same).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace velmora::profiles {

inline constexpr const char* kMasterUsrFile = "master.usr";
inline constexpr const char* kProfileExtension = ".usr";
inline constexpr const char* kSignatureExtension = ".sig";
// The identifiers of the messages retrieved and left on the server (see retrieval's
// SeenMessages); renamed and deleted with the profile.
inline constexpr const char* kSeenMessagesExtension = ".uidl";
// The server copies still to delete after their messages were deleted from Trash (see store's
// ServerDeletions); renamed and deleted with the profile.
inline constexpr const char* kServerDeletionsExtension = ".dele";

// A profile name is the base name of its files: 240 characters leave room for the extension
// within the 255-byte file-name limit.
inline constexpr std::size_t kMaxProfileNameLength = 240;
// Profile names are shown cut to 42 characters in the retrieve menu and in messages.
inline constexpr std::size_t kShownProfileNameLength = 42;

// The retrieve-headers window's preset server action for fetched headers.
inline constexpr const char* kHeadersActionChoices[] = {"Retrieve & Delete", "Retrieve & Hold",
                                                        "Hold on Server", "Delete on Server"};
inline constexpr int kHeadersActionCount = 4;

// How a server connection is protected: plain, upgraded in the session (POP3 STLS, SMTP
// STARTTLS), or TLS from the first byte (POP3S, SMTPS).
inline constexpr const char* kSecurityChoices[] = {"None", "STARTTLS", "TLS"};
inline constexpr int kSecurityCount = 3;
enum class Security { None = 0, StartTls = 1, Tls = 2 };

// How the POP3 log-in is made, and whether (and how) SMTP logs in.
inline constexpr const char* kPop3LoginChoices[] = {"USER / PASS", "AUTH PLAIN", "APOP"};
inline constexpr int kPop3LoginCount = 3;
enum class Pop3Login { UserPass = 0, AuthPlain = 1, Apop = 2 };
inline constexpr const char* kSmtpLoginChoices[] = {"None", "AUTH PLAIN", "AUTH LOGIN"};
inline constexpr int kSmtpLoginCount = 3;
enum class SmtpLogin { None = 0, Plain = 1, Login = 2 };

inline constexpr int kMaxPort = 65535;
// Ten years: longer is the same as never for a mailbox.
inline constexpr int kMaxLeaveDays = 3650;

// The port a profile connects to: its own when set, else the one of its security (995 for POP3
// over TLS; 465 for SMTP over TLS and 587 for STARTTLS), else the settings' port.
int pop3PortFor(Security security, int profilePort, int settingsPort);
int smtpPortFor(Security security, int profilePort, int settingsPort);

// One mailbox identity: the POP3 account that is polled, the identity outgoing mail carries,
// the SMTP server that carries it, and per-account retrieval choices. A new record has every
// string empty, both flags false and action 0.
inline constexpr std::size_t kMaxFormerNames = 16;

struct TUsersObjListBox {
    std::string profileName;     // unique without case and surrounding blanks; base file name
    std::string connectName;     // Internet service provider shown in the connection selector
    std::string fromName;        // full name before the address in From
    std::string fromAddress;     // sender address, as typed
    std::string replyToAddress;  // Reply-To of all outgoing mail when not empty
    std::string organization;    // X-Organization of all outgoing mail when not empty
    std::string accountName;     // POP3 login name
    std::string password;        // clear in memory, scrambled in the file
    bool rememberPassword =
        false;  // clear: ask at each connection (the password is kept either way)
    std::string pop3Server;
    std::string smtpServer;
    bool retrieveWhenNotActive = false;  // "Messages - All" retrieves this profile too
    int headersDefaultAction = 0;        // 0..3, see kHeadersActionChoices

    // Today's servers, kept after the fourteen lines above so that older files still read.
    Security pop3Security = Security::None;
    int pop3Port = 0;  // 0: the port of the security, see pop3PortFor
    Security smtpSecurity = Security::None;
    int smtpPort = 0;  // 0: the port of the security, see smtpPortFor
    Pop3Login pop3Login = Pop3Login::UserPass;
    SmtpLogin smtpLogin = SmtpLogin::None;  // logs in with accountName and password
    // A password goes over an unencrypted connection only when the user said so. A file written
    // before this choice existed reads as allowed, so it keeps working as it did.
    bool allowPlainTextPassword = false;
    // SHA-256 fingerprints of certificates the user chose to trust though they failed the check.
    std::string pop3TrustedCertificate;
    std::string smtpTrustedCertificate;
    // Leave mail on the server, fetching each message once (by its UIDL).
    bool leaveOnServer = false;
    int deleteFromServerAfterDays = 0;       // 0: never
    bool deleteFromServerWithTrash = false;  // emptying Trash deletes the server copy
    // The names the profile had before it was renamed, the latest last (at most
    // kMaxFormerNames): mail stored before a rename names its server copy's profile by the old
    // name.
    std::vector<std::string> formerNames;

    bool operator==(const TUsersObjListBox&) const = default;
};

std::filesystem::path profileFilePath(const std::filesystem::path& home, const std::string& name);
std::filesystem::path signatureFilePath(const std::filesystem::path& home, const std::string& name);
std::filesystem::path seenMessagesFilePath(const std::filesystem::path& home,
                                           const std::string& name);
std::filesystem::path serverDeletionsFilePath(const std::filesystem::path& home,
                                              const std::string& name);

// The profile file: version, the fields in record order, the password scrambled, the action as
// a number (a record without a choice, -1, writes 0), then the connection lines.
std::string profileFileBytes(const TUsersObjListBox& profile);
// A profile file's bytes as a record. Never fails: missing lines keep the new-record values, an
// action line that is not a number, or outside 0..3, reads as 0; choices out of range read as
// their first entry, ports and days out of range as 0. A file of fourteen lines (written before
// the connection lines existed) allows a plain-text password.
TUsersObjListBox parseProfileFile(std::string_view bytes);
// Reads a profile file; nullopt when it does not exist. Missing lines keep the new-record values;
// an action line that is not a number, or outside 0..3, reads as 0.
std::optional<TUsersObjListBox> readProfileFile(const std::filesystem::path& file);
// A rename: `oldName` joins the former names (once, the latest last), unless it is the name.
void addFormerName(TUsersObjListBox& profile, const std::string& oldName);
// The profile that mail stored under `name` belongs to: the profile of that name, or the one
// that had it before a rename. None when there is no such profile, or when two could be meant
// (a new profile took a renamed one's old name): a server copy is then left alone.
std::optional<TUsersObjListBox> profileOnceNamed(const std::filesystem::path& home,
                                                 const std::string& name);
[[nodiscard]] std::error_code writeProfileFile(const std::filesystem::path& file,
                                               const TUsersObjListBox& profile);

// master.usr: the names after the version line; empty when the file is missing. Blank lines are
// skipped (a hand-edited file may end in one).
std::vector<std::string> readMasterUsr(const std::filesystem::path& home);
[[nodiscard]] std::error_code writeMasterUsr(const std::filesystem::path& home,
                                             const std::vector<std::string>& names);

// Names are compared lower-cased and trimmed of surrounding blanks.
std::string profileNameKey(std::string_view name);
std::string trimBlanks(std::string_view text);
// The first `length` characters.
std::string cutName(std::string_view name, std::size_t length = kShownProfileNameLength);

// Why a name cannot be the base name of the profile's files, or nullopt when it can: the name
// must not hold a path separator, a control character, or be "." or "..".
std::optional<std::string> profileNameProblem(std::string_view trimmedName);

}  // namespace velmora::profiles
