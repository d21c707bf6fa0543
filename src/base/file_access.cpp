#include "base/file_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace velmora {

namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

// "Not a regular file" for a FIFO, a device or a socket; it compares equal to
// std::errc::invalid_argument.
class NotRegularCategory : public std::error_category {
  public:
    const char* name() const noexcept override { return "velmora.file"; }
    std::string message(int) const override { return "Not a regular file"; }
    std::error_condition default_error_condition(int) const noexcept override {
        return std::errc::invalid_argument;
    }
};

std::error_code notRegularFile() {
    static const NotRegularCategory category;
    return {1, category};
}

}  // namespace

RegularFile::~RegularFile() {
    if (fd_ >= 0) ::close(fd_);
}

RegularFile& RegularFile::operator=(RegularFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        size_ = other.size_;
        other.fd_ = -1;
    }
    return *this;
}

std::size_t RegularFile::readAt(std::uint64_t offset, char* buffer, std::size_t count,
                                std::error_code& error) {
    std::size_t total = 0;
    while (total < count) {
        const ssize_t got =
            ::pread(fd_, buffer + total, count - total, static_cast<off_t>(offset + total));
        if (got < 0) {
            if (errno == EINTR) continue;
            error = lastError();
            return 0;
        }
        if (got == 0) break;
        total += static_cast<std::size_t>(got);
    }
    return total;
}

RegularFile openRegularFile(const std::filesystem::path& file, std::error_code& error) {
    RegularFile opened;
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer. It changes
    // nothing for a regular file.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        error = lastError();
        return opened;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        error = lastError();
        ::close(fd);
        return opened;
    }
    if (!S_ISREG(status.st_mode)) {
        error = S_ISDIR(status.st_mode) ? std::make_error_code(std::errc::is_a_directory)
                                        : notRegularFile();
        ::close(fd);
        return opened;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    error.clear();
    opened.fd_ = fd;
    opened.size_ = static_cast<std::uint64_t>(status.st_size);
    return opened;
}

std::optional<std::string> readRegularFile(const std::filesystem::path& file,
                                           std::error_code& error, std::uint64_t maxBytes) {
    RegularFile in = openRegularFile(file, error);
    if (!in.isOpen()) return std::nullopt;
    if (in.size() > maxBytes) {
        error = std::make_error_code(std::errc::file_too_large);
        return std::nullopt;
    }
    // The size taken when opening is a hint: a file that grows meanwhile is read to its end,
    // within the bound.
    std::string bytes(static_cast<std::size_t>(in.size()), '\0');
    std::size_t used = 0;
    constexpr std::uint64_t kBlock = 64 * 1024;
    for (;;) {
        if (used == bytes.size()) {
            // Full: one byte more tells whether the file went on growing.
            char probe = 0;
            const std::size_t more = in.readAt(used, &probe, 1, error);
            if (error) return std::nullopt;
            if (more == 0) break;
            if (used >= maxBytes) {
                error = std::make_error_code(std::errc::file_too_large);
                return std::nullopt;
            }
            bytes.resize(
                static_cast<std::size_t>(std::min<std::uint64_t>(maxBytes, used + kBlock)));
            bytes[used++] = probe;
            continue;
        }
        const std::size_t got = in.readAt(used, bytes.data() + used, bytes.size() - used, error);
        if (error) return std::nullopt;
        if (got == 0) break;
        used += got;
    }
    bytes.resize(used);
    return bytes;
}

bool isRegularFile(const std::filesystem::path& file) {
    struct stat status {};
    return ::stat(file.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

}  // namespace velmora
