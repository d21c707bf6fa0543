// The rules for the attachment files a read window shows, opens, copies and moves. A list item's
// paths come from an index or a message file, so they are trusted for nothing: only regular
// files (not links) that lie directly in the folder's own directory are shown or touched.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace velmora::reading {

// Is `file` a regular file (not a symbolic link) directly inside `folderDirectory`?
bool isShownAttachment(const std::filesystem::path& file,
                       const std::filesystem::path& folderDirectory);

// Files the desktop would run rather than show: launchers, scripts and programs by their
// extension (any case), and files with an executable bit. Opening them asks first.
bool isProgramOrLauncher(const std::filesystem::path& file);

// Does any file name contain ".vbs" (any case)?
bool hasVbScript(const std::vector<std::filesystem::path>& files);

// Is `directory` a mail folder's directory (".000" or ".001"), or inside one? Attachments are
// never copied there: the folder's index knows nothing of such files.
bool isInsideMailFolder(const std::filesystem::path& directory);

// Copies a stored attachment into `directory` under its own name (the part after ".att.", made
// safe), replacing a file of that name: written to a temporary file there and renamed over it,
// so a link at the name is replaced, never followed. Refused when the directory is a mail
// folder's, when the target is a directory, or when the target is the source itself. The error
// text on failure; on success the target path in `written`.
[[nodiscard]] std::optional<std::string> copyAttachmentInto(
    const std::filesystem::path& source, const std::filesystem::path& directory,
    std::filesystem::path* written = nullptr);

}  // namespace velmora::reading
