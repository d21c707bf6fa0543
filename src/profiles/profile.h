// The user profile record and its files in the home folder: "master.usr" with the profile names
// in list order, one "<name>.usr" file per profile, and the profile's signature file
// "<name>.sig" (whose content belongs to the signature editor; profiles only move and delete it).
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

// A profile name is the base name of its files: 240 characters leave room for the extension
// within the 255-byte file-name limit.
inline constexpr std::size_t kMaxProfileNameLength = 240;
// Profile names are shown cut to 42 characters in the retrieve menu and in messages.
inline constexpr std::size_t kShownProfileNameLength = 42;

// The retrieve-headers window's preset server action for fetched headers.
inline constexpr const char* kHeadersActionChoices[] = {
    "Retrieve & Delete", "Retrieve & Hold", "Hold on Server", "Delete on Server"};
inline constexpr int kHeadersActionCount = 4;

// One mailbox identity: the POP3 account that is polled, the identity outgoing mail carries,
// the SMTP server that carries it, and per-account retrieval choices. A new record has every
// string empty, both flags false and action 0.
struct TUsersObjListBox {
    std::string profileName;     // unique without case and surrounding blanks; base file name
    std::string connectName;     // Internet service provider shown in the connection selector
    std::string fromName;        // full name before the address in From
    std::string fromAddress;     // sender address, as typed
    std::string replyToAddress;  // Reply-To of all outgoing mail when not empty
    std::string organization;    // X-Organization of all outgoing mail when not empty
    std::string accountName;     // POP3 login name
    std::string password;        // clear in memory, scrambled in the file
    bool rememberPassword = false;  // clear: ask at each connection (the password is kept either way)
    std::string pop3Server;
    std::string smtpServer;
    bool retrieveWhenNotActive = false;  // "Messages - All" retrieves this profile too
    int headersDefaultAction = 0;        // 0..3, see kHeadersActionChoices

    bool operator==(const TUsersObjListBox&) const = default;
};

std::filesystem::path profileFilePath(const std::filesystem::path& home, const std::string& name);
std::filesystem::path signatureFilePath(const std::filesystem::path& home,
                                        const std::string& name);

// The profile file's 14 lines: version, the fields in record order, the password scrambled,
// the action as a number (a record without a choice, -1, writes 0).
std::string profileFileBytes(const TUsersObjListBox& profile);
// A profile file's bytes as a record. Never fails: missing lines keep the new-record values, an
// action line that is not a number, or outside 0..3, reads as 0.
TUsersObjListBox parseProfileFile(std::string_view bytes);
// Reads a profile file; nullopt when it does not exist. Missing lines keep the new-record values;
// an action line that is not a number, or outside 0..3, reads as 0.
std::optional<TUsersObjListBox> readProfileFile(const std::filesystem::path& file);
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
