#include "base/pending_syncs.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace velmora {

namespace {

// ENOENT only when `missingIsFine`: a file the user removed before the batch.
std::error_code syncPath(const std::filesystem::path& path, int flags, bool missingIsFine) {
    const int fd = ::open(path.c_str(), flags | O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        if (missingIsFine && errno == ENOENT) return {};
        return {errno, std::generic_category()};
    }
    std::error_code error;
    if (::fsync(fd) != 0) error = {errno, std::generic_category()};
    ::close(fd);
    return error;
}

}  // namespace

void PendingSyncs::addFile(const std::filesystem::path& file, std::int64_t bytes) {
    files_.push_back(file);
    const std::filesystem::path folder = file.parent_path();
    directories_.insert(folder.empty() ? std::filesystem::path(".") : folder);
    bytes_ += bytes > 0 ? bytes : 0;
}

void PendingSyncs::addDirectory(const std::filesystem::path& directory) {
    directories_.insert(directory.empty() ? std::filesystem::path(".") : directory);
}

std::error_code PendingSyncs::syncAll() {
    std::error_code first;
    for (const auto& file : files_)
        if (const auto error = syncPath(file, 0, true); error && !first) first = error;
    for (const auto& directory : directories_)
        if (const auto error = syncPath(directory, O_DIRECTORY, false); error && !first)
            first = error;
    files_.clear();
    directories_.clear();
    bytes_ = 0;
    return first;
}

}  // namespace velmora
