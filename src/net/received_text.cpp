#include "net/received_text.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <random>

#include "base/text_file.h"
#include "net/internal/errors_bridge.h"
#include "net/reply_parsing.h"

namespace velmora::net {

namespace {

// Names are random; a taken one (or a planted link) is passed over, up to this many times.
constexpr int kMaxNameTries = 100;
constexpr std::size_t kCopyBlockSize = 256 * 1024;

std::filesystem::path temporaryFolder() {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    return error ? std::filesystem::path("/tmp") : folder;
}

std::error_code lastError() {
    return {errno, std::generic_category()};
}

std::error_code writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0)
            return written < 0 ? lastError() : std::make_error_code(std::errc::io_error);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

}  // namespace

ReceivedText::ReceivedText(std::size_t spillThreshold) : threshold_(spillThreshold) {}

ReceivedText::~ReceivedText() {
    if (fd_ >= 0) ::close(fd_);
}

void ReceivedText::spill() {
    const std::filesystem::path folder = temporaryFolder();
    std::random_device random;
    for (int attempt = 0; attempt < kMaxNameTries && fd_ < 0; ++attempt) {
        const std::filesystem::path name =
            folder / ("velmora-retr-" + std::to_string(random()) + ".tmp");
        fd_ = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            ::unlink(name.c_str());
        } else if (errno != EEXIST && errno != ELOOP) {
            break;
        }
    }
    if (fd_ < 0)
        internal::throwMessageError("Create temporary file in " + folder.string() + ": " +
                                    errorText(lastError()));
    if (const std::error_code error = writeAll(fd_, memory_)) {
        ::close(fd_);
        fd_ = -1;
        internal::throwMessageError("Write temporary file in " + folder.string() + ": " +
                                    errorText(error));
    }
    memory_.clear();
    memory_.shrink_to_fit();
}

void ReceivedText::reserve(std::int64_t expected) {
    if (fd_ >= 0 || expected <= 0) return;
    memory_.reserve(static_cast<std::size_t>(
                        std::min<std::int64_t>(expected, static_cast<std::int64_t>(threshold_))) +
                    kEndLine.size());
}

void ReceivedText::append(std::string_view bytes) {
    if (fd_ < 0 && memory_.size() + bytes.size() > threshold_) spill();
    if (fd_ < 0) {
        memory_.append(bytes);
    } else if (const std::error_code error = writeAll(fd_, bytes)) {
        internal::throwMessageError("Write temporary file in " + temporaryFolder().string() + ": " +
                                    errorText(error));
    }
    size_ += static_cast<std::int64_t>(bytes.size());
}

std::error_code ReceivedText::copy(
    std::int64_t length, const std::function<std::error_code(std::string_view)>& write) const {
    length = std::clamp<std::int64_t>(length, 0, size_);
    if (fd_ < 0)
        return write(std::string_view(memory_).substr(0, static_cast<std::size_t>(length)));
    std::string block(kCopyBlockSize, '\0');
    std::int64_t offset = 0;
    while (offset < length) {
        const auto want = static_cast<std::size_t>(
            std::min<std::int64_t>(length - offset, static_cast<std::int64_t>(block.size())));
        const ssize_t got = ::pread(fd_, block.data(), want, offset);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return got < 0 ? lastError() : std::make_error_code(std::errc::io_error);
        if (const std::error_code error =
                write(std::string_view(block.data(), static_cast<std::size_t>(got))))
            return error;
        offset += got;
    }
    return {};
}

std::string ReceivedText::str() const {
    if (fd_ < 0) return memory_;
    std::string text;
    text.reserve(static_cast<std::size_t>(size_));
    const std::error_code error = copy(size_, [&text](std::string_view block) {
        text.append(block);
        return std::error_code{};
    });
    if (error)
        internal::throwMessageError("Read temporary file in " + temporaryFolder().string() + ": " +
                                    errorText(error));
    return text;
}

}  // namespace velmora::net

namespace velmora::net {

std::string ReceivedText::release() {
    std::string text = fd_ < 0 ? std::move(memory_) : str();
    memory_.clear();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    size_ = 0;
    return text;
}

}  // namespace velmora::net
