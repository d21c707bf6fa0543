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

PendingSyncs::~PendingSyncs() {
    closeOpenFiles();
}

void PendingSyncs::addFile(const std::filesystem::path& file, std::int64_t bytes) {
    addOpenFile(-1, file, bytes);
}

void PendingSyncs::addOpenFile(int fd, const std::filesystem::path& file, std::int64_t bytes) {
    if (fd >= 0 && openFiles_ >= kMaxOpenFiles) {
        ::close(fd);
        fd = -1;
    }
    if (fd >= 0) ++openFiles_;
    files_.push_back({file, fd});
    const std::filesystem::path folder = file.parent_path();
    directories_.insert(folder.empty() ? std::filesystem::path(".") : folder);
    bytes_ += bytes > 0 ? bytes : 0;
}

void PendingSyncs::addDirectory(const std::filesystem::path& directory) {
    directories_.insert(directory.empty() ? std::filesystem::path(".") : directory);
}

std::error_code PendingSyncs::syncAll() {
    std::error_code first;
    for (File& file : files_) {
        std::error_code error;
        if (file.fd < 0) {
            error = syncPath(file.path, 0, true);
        } else if (::fsync(file.fd) != 0) {
            error = {errno, std::generic_category()};
        }
        if (error && !first) first = error;
    }
    for (const auto& directory : directories_)
        if (const auto error = syncPath(directory, O_DIRECTORY, false); error && !first)
            first = error;
    closeOpenFiles();
    directories_.clear();
    bytes_ = 0;
    return first;
}

void PendingSyncs::closeOpenFiles() {
    for (const File& file : files_)
        if (file.fd >= 0) ::close(file.fd);
    files_.clear();
    openFiles_ = 0;
}

}  // namespace velmora
