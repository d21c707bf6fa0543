// The places the picture viewer offers to start browsing from ("drives"): the Attach folder of
// the home folder, where pictures and attachments are kept; the user's own home directory; the
// root of the file system; and the volumes mounted under /media, /run/media and /mnt.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::tools {

struct PicturePlace {
    std::string label;  // "Attach", "Home", "/", or a volume's name
    std::filesystem::path path;
};

struct PlaceSources {
    std::filesystem::path home;      // the program's home folder
    std::filesystem::path userHome;  // the user's home directory; empty: not offered
    std::filesystem::path mounts = "/proc/self/mounts";
};

// The user's home directory from $HOME, else the password database; empty when neither says.
std::filesystem::path userHomeDirectory();

// The mount points of removable and other mounted volumes named in a mounts table (the format
// of /proc/self/mounts, octal escapes such as "\040" decoded) that lie under /media, /run/media
// or /mnt, sorted.
std::vector<std::filesystem::path> mountedVolumes(std::string_view mountsTable);

// The places in their order, each path once; the volumes only when the mounts table can be read.
std::vector<PicturePlace> picturePlaces(const PlaceSources& sources);

}  // namespace velmora::tools
