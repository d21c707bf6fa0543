#include "net/internal/message_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <set>

namespace velmora::net::internal {

namespace {

std::error_code lastError() { return {errno, std::generic_category()}; }

std::error_code syncPath(const std::filesystem::path& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return lastError();
    std::error_code error;
    if (::fsync(fd) != 0) error = lastError();
    ::close(fd);
    return error;
}

}  // namespace

std::error_code MessageFiles::write(const std::filesystem::path& file, std::string_view bytes) {
    std::filesystem::path temporary = file;
    temporary += ".part";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return lastError();
    std::error_code error;
    while (!bytes.empty() && !error) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno != EINTR) error = lastError();
        if (written > 0) bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    if (::close(fd) != 0 && !error) error = lastError();
    if (!error && ::rename(temporary.c_str(), file.c_str()) != 0) error = lastError();
    if (error) {
        ::unlink(temporary.c_str());
        return error;
    }
    written_.push_back(file);
    return {};
}

std::error_code MessageFiles::syncAll() {
    std::error_code first;
    std::set<std::filesystem::path> folders;
    for (const auto& file : written_) {
        if (const auto error = syncPath(file, O_RDONLY); error && !first) first = error;
        folders.insert(file.parent_path().empty() ? "." : file.parent_path());
    }
    for (const auto& folder : folders) {
        if (const auto error = syncPath(folder, O_RDONLY | O_DIRECTORY); error && !first)
            first = error;
    }
    written_.clear();
    return first;
}

}  // namespace velmora::net::internal
