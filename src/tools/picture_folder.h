// What the picture viewer lists of a folder: its subfolders and its JPEG files (".jpg", ".jpeg",
// ".jpe", ".jfif" in any case), each sorted by name ignoring case in any script. Hidden entries
// (names beginning with ".") are left out, as file managers do.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace velmora::tools {

// A folder with more entries than this is listed in part (and says so): the lists stay usable
// and the memory bounded on a folder of a million files.
inline constexpr std::size_t kMaxFolderEntries = 20'000;

struct PictureFile {
    std::string name;
    std::uint64_t size = 0;  // bytes, when the listing was made
};

struct PictureFolderListing {
    std::vector<std::string> folders;
    std::vector<PictureFile> pictures;
    // More than kMaxFolderEntries entries: the rest were not looked at.
    bool truncated = false;
};

bool isJpegFileName(std::string_view name);

// Sorts names ignoring case (in any script); names equal but for case keep a fixed order.
void sortNamesNoCase(std::vector<std::string>& names);

// The listing of `folder`; nothing, with `error` set, when it cannot be read (missing, not a
// folder, permission denied). Entries that vanish or cannot be examined while it is read are
// left out.
std::optional<PictureFolderListing> listPictureFolder(const std::filesystem::path& folder,
                                                      std::error_code& error);

}  // namespace velmora::tools
