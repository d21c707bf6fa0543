// Book names become file names in the home folder ("<name>.abk"), so a name is checked before it
// is used: no path separators, no "." or "..", no control characters, not "master" (whose file
// would overwrite the book list), at most 255 bytes.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::addressbook {

inline constexpr const char* kMasterFile = "master.abk";
inline constexpr const char* kConfigFile = "addbook.cfg";
inline constexpr const char* kBookExtension = ".abk";
inline constexpr const char* kBackupExtension = ".abk.bak";
// A file name may be at most 255 bytes; the backup's extension must fit as well.
inline constexpr std::size_t kMaxBookNameBytes = 255 - 8;

// Why `name` cannot name a book, or nullopt when it can.
std::optional<std::string> bookNameProblem(std::string_view name);

std::filesystem::path bookFile(const std::filesystem::path& home, std::string_view name);
std::filesystem::path backupFile(const std::filesystem::path& home, std::string_view name);

// The book's file as it is on disk: the exact name, or else a file whose name matches it without
// case ("FRIENDS.ABK" for "Friends"); nullopt when there is neither.
std::optional<std::filesystem::path> findBookFile(const std::filesystem::path& home,
                                                  std::string_view name);

}  // namespace velmora::addressbook
