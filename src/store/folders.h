// How mail folders are named. A folder is a directory under the home folder named after the
// folder with the extension ".000" (the five default folders) or ".001" (user folders, nested to
// any depth). The rest of the program names a folder by its logical path: the directory path
// relative to the home folder without the extensions, components joined with "\" (InBox,
// Work\Sub). A folder window is found by its key "InBox." + logical path, a read window by
// "Read." + logical path.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::platform {
class Dialogs;
}

namespace velmora::store {

inline constexpr std::array<const char*, 5> kDefaultFolderNames = {"InBox", "OutBox", "Sent",
                                                                   "Trash", "Drafts"};
inline constexpr const char* kDefaultExtension = ".000";
inline constexpr const char* kUserExtension = ".001";
inline constexpr const char* kFolderWindowPrefix = "InBox.";
inline constexpr const char* kReadWindowPrefix = "Read.";
inline constexpr const char* kAttachDirectory = "Attach";

// True for exactly "InBox", "OutBox", "Sent", "Drafts" or "Trash".
bool isDefaultFolderName(std::string_view name);

// What a folder is to the commands: one of the five default folders, or a user folder.
enum class FolderKind { InBox, Drafts, OutBox, Sent, Trash, User };
// The kind of a folder named by its logical path (or a default folder's name).
FolderKind folderKindOf(std::string_view logicalPath);

// The logical path `path` takes when the folder `oldPath` is renamed to `newPath`: `newPath`
// for the folder itself, `newPath` + the rest for a folder inside it; nullopt for any other.
std::optional<std::string> renamedLogicalPath(std::string_view path, std::string_view oldPath,
                                              std::string_view newPath);

// ".000" for the five default names, ".001" for every other name.
std::string folderExtension(std::string_view name);

// Work\Sub -> Work.001\Sub.001; Sent -> Sent.000.
std::string toPhysicalPath(std::string_view logicalPath);

// From the first component that contains ".00" to the end, every ".000" and ".001" removed,
// components joined with "\". Accepts "/" or "\" separators and absolute paths
// (/home/v/Work.001/Sub.001 -> Work\Sub). Empty when no component contains ".00".
std::string toLogicalPath(std::string_view directoryPath);

// The directory of a logical path under `home`.
std::filesystem::path folderDirectory(const std::filesystem::path& home,
                                      std::string_view logicalPath);

// The text after the last "\" of a logical path: the folder's own name.
std::string lastComponent(std::string_view logicalPath);

// The index file (own name + ".dat") and the folder window layout file (own name + ".cfg").
std::filesystem::path folderIndexFile(const std::filesystem::path& home,
                                      std::string_view logicalPath);
std::filesystem::path folderLayoutFile(const std::filesystem::path& home,
                                       std::string_view logicalPath);

// "InBox." + logical path.
std::string folderWindowKey(std::string_view logicalPath);
std::string readWindowKey(std::string_view logicalPath);

// A window identifier's kind (text before the first ".") and tail (text after it). An identifier
// without "." shows the warning "FindCharPos Error <code>" and gives "". The codes tell the
// callers apart: 7446, 7501, 7533, 7641.
std::string windowKind(std::string_view key, platform::Dialogs& dialogs, int errorCode = 7446);
std::string windowKeyTail(std::string_view key, platform::Dialogs& dialogs, int errorCode = 7501);

// May messages of the folder `source` (a logical path) be moved or copied into `target` (a
// folder name as the tree shows it)? Never when both are the same folder.
bool isValidMoveTarget(std::string_view target, std::string_view source);

}  // namespace velmora::store
