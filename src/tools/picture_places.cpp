#include "tools/picture_places.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <system_error>

#include "base/file_access.h"
#include "base/line_reader.h"
#include "store/folders.h"

namespace velmora::tools {

namespace {

// The mounts table of a machine is a few kilobytes; a larger one is not read whole.
constexpr std::uint64_t kMaxMountsTableBytes = 1024 * 1024;

// "\040" and the other octal escapes the kernel writes for blanks and backslashes.
std::string unescapeMountPoint(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' &&
            field[i + 1] <= '3' && field[i + 2] >= '0' && field[i + 2] <= '7' &&
            field[i + 3] >= '0' && field[i + 3] <= '7') {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
            continue;
        }
        out += field[i];
    }
    return out;
}

bool underVolumeRoot(const std::string& mountPoint) {
    for (std::string_view root : {"/media/", "/run/media/", "/mnt/"})
        if (mountPoint.size() > root.size() && mountPoint.compare(0, root.size(), root) == 0)
            return true;
    return mountPoint == "/mnt";
}

}  // namespace

std::filesystem::path userHomeDirectory() {
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return {};
}

std::vector<std::filesystem::path> mountedVolumes(std::string_view mountsTable) {
    std::vector<std::filesystem::path> volumes;
    LineReader lines(mountsTable);
    for (std::string_view line; lines.next(line);) {
        // device, mount point, type, options ...: the second field.
        const std::size_t first = line.find(' ');
        if (first == std::string_view::npos) continue;
        const std::size_t second = line.find(' ', first + 1);
        const std::string mountPoint = unescapeMountPoint(
            line.substr(first + 1, second == std::string_view::npos ? std::string_view::npos
                                                                    : second - first - 1));
        if (underVolumeRoot(mountPoint)) volumes.emplace_back(mountPoint);
    }
    std::sort(volumes.begin(), volumes.end());
    volumes.erase(std::unique(volumes.begin(), volumes.end()), volumes.end());
    return volumes;
}

std::vector<PicturePlace> picturePlaces(const PlaceSources& sources) {
    std::vector<PicturePlace> places;
    auto add = [&](std::string label, const std::filesystem::path& path) {
        if (path.empty()) return;
        for (const PicturePlace& place : places)
            if (place.path == path) return;
        places.push_back({std::move(label), path});
    };
    add(store::kAttachDirectory, sources.home / store::kAttachDirectory);
    add("Home", sources.userHome);
    add("/", "/");
    std::error_code error;
    if (const std::optional<std::string> table =
            readRegularFile(sources.mounts, error, kMaxMountsTableBytes))
        for (const std::filesystem::path& volume : mountedVolumes(*table))
            add(volume.filename().string(), volume);
    return places;
}

}  // namespace velmora::tools
