#include "mime/temp_file_stream.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <istream>
#include <ostream>
#include <system_error>

#include "base/file_access.h"

namespace velmora::mime {

namespace {

// Writes are gathered up to this size, so decoding a line at a time costs no system call per line.
constexpr std::size_t kWriteBufferSize = 256 * 1024;
constexpr std::size_t kBlockSize = 64 * 1024;

[[noreturn]] void throwErrno(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

TTempFileStream::OpenScope::OpenScope(TTempFileStream& stream)
    : stream_(stream), opened_(stream.fd_ < 0 && !stream.inMemory()) {
    if (!opened_) return;
    // The name is ours (created with O_EXCL); a link put in its place is not followed.
    stream_.fd_ = ::open(stream_.path_.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (stream_.fd_ < 0) throwErrno("Open temporary file " + stream_.path_.string());
}

TTempFileStream::OpenScope::~OpenScope() {
    if (opened_ && stream_.fd_ >= 0) {
        ::close(stream_.fd_);
        stream_.fd_ = -1;
    }
}

void TTempFileStream::spill() {
    if (!inMemory()) return;
    std::error_code error;
    std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error) folder = "/tmp";
    std::string name = (folder / "msXXXXXX").string();
    // mkostemp creates with O_CREAT | O_EXCL; O_NOFOLLOW is added for good measure.
    const int fd = ::mkostemp(name.data(), O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) throwErrno("Create temporary file in " + folder.string());
    ::close(fd);
    path_ = name;
    // What memory held becomes the buffer of the file's start.
    pendingOffset_ = 0;
    size_ = 0;
    flush();
}

const std::filesystem::path& TTempFileStream::Path() {
    spill();
    return path_;
}

TTempFileStream::~TTempFileStream() {
    if (fd_ >= 0) ::close(fd_);
    if (!path_.empty()) ::unlink(path_.c_str());
}

TTempFileStream::TTempFileStream(TTempFileStream&& other) noexcept
    : fd_(other.fd_),
      path_(std::move(other.path_)),
      position_(other.position_),
      size_(other.size_),
      pending_(std::move(other.pending_)),
      pendingOffset_(other.pendingOffset_) {
    other.fd_ = -1;
    other.path_.clear();
    other.pending_.clear();
    other.position_ = other.size_ = other.pendingOffset_ = 0;
}

TTempFileStream& TTempFileStream::operator=(TTempFileStream&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        if (!path_.empty()) ::unlink(path_.c_str());
        fd_ = other.fd_;
        path_ = std::move(other.path_);
        position_ = other.position_;
        size_ = other.size_;
        pending_ = std::move(other.pending_);
        pendingOffset_ = other.pendingOffset_;
        other.fd_ = -1;
        other.path_.clear();
        other.pending_.clear();
        other.position_ = other.size_ = other.pendingOffset_ = 0;
    }
    return *this;
}

std::uint64_t TTempFileStream::Size() {
    if (inMemory()) return pending_.size();
    flush();
    return size_;
}

void TTempFileStream::Seek(std::uint64_t position) {
    position_ = position;
}

void TTempFileStream::flush() {
    if (pending_.empty() || inMemory()) return;
    OpenScope scope(*this);
    std::string_view rest = pending_;
    std::uint64_t offset = pendingOffset_;
    while (!rest.empty()) {
        const ssize_t written = ::pwrite(fd_, rest.data(), rest.size(), static_cast<off_t>(offset));
        if (written < 0) {
            if (errno == EINTR) continue;
            pending_.clear();
            throwErrno("Write to temporary file " + path_.string());
        }
        rest.remove_prefix(static_cast<std::size_t>(written));
        offset += static_cast<std::uint64_t>(written);
    }
    if (offset > size_) size_ = offset;
    pending_.clear();
}

void TTempFileStream::Write(std::string_view bytes) {
    if (bytes.empty()) return;
    if (inMemory()) {
        if (position_ == pending_.size() && pending_.size() + bytes.size() <= kMemoryLimit) {
            pending_.append(bytes);
            position_ += bytes.size();
            return;
        }
        spill();
    }
    if (!pending_.empty() && position_ != pendingOffset_ + pending_.size()) flush();
    if (pending_.empty()) pendingOffset_ = position_;
    pending_.append(bytes);
    position_ += bytes.size();
    if (pending_.size() >= kWriteBufferSize) flush();
}

std::size_t TTempFileStream::readAt(std::uint64_t offset, char* buffer, std::size_t count) {
    std::size_t total = 0;
    while (total < count) {
        const ssize_t got =
            ::pread(fd_, buffer + total, count - total, static_cast<off_t>(offset + total));
        if (got < 0) {
            if (errno == EINTR) continue;
            throwErrno("Read from temporary file " + path_.string());
        }
        if (got == 0) break;
        total += static_cast<std::size_t>(got);
    }
    return total;
}

std::size_t TTempFileStream::Read(char* buffer, std::size_t count) {
    if (inMemory()) {
        const std::size_t at = std::min<std::uint64_t>(position_, pending_.size());
        const std::size_t got = std::min(count, pending_.size() - at);
        std::memcpy(buffer, pending_.data() + at, got);
        position_ += got;
        return got;
    }
    OpenScope scope(*this);
    flush();
    const std::size_t got = readAt(position_, buffer, count);
    position_ += got;
    return got;
}

void TTempFileStream::Clear() {
    if (inMemory()) {
        pending_.clear();
        position_ = 0;
        return;
    }
    OpenScope scope(*this);
    pending_.clear();
    if (::ftruncate(fd_, 0) != 0) throwErrno("Truncate temporary file " + path_.string());
    size_ = 0;
    position_ = 0;
}

std::string TTempFileStream::ReadAll() {
    if (inMemory()) return pending_;
    OpenScope scope(*this);
    flush();
    std::string all(static_cast<std::size_t>(size_), '\0');
    all.resize(readAt(0, all.data(), all.size()));
    return all;
}

void TTempFileStream::CopyFrom(TTempFileStream& other) {
    if (&other == this) return;
    Clear();
    other.ForEachBlock([this](std::string_view block) { Write(block); });
}

void TTempFileStream::LoadFromFile(const std::filesystem::path& file) {
    // Only a regular file: a FIFO or a device named as an attachment would never end.
    std::error_code error;
    RegularFile in = openRegularFile(file, error);
    if (!in.isOpen()) throw std::system_error(error, "Open " + file.string());
    OpenScope scope(*this);
    Clear();
    std::string block(kBlockSize, '\0');
    for (std::uint64_t offset = 0;;) {
        const std::size_t got = in.readAt(offset, block.data(), block.size(), error);
        if (error) throw std::system_error(error, "Read " + file.string());
        if (got == 0) break;
        Write(std::string_view(block.data(), got));
        offset += got;
    }
}

void TTempFileStream::LoadFromStream(std::istream& input) {
    Clear();
    std::string block(kBlockSize, '\0');
    while (input) {
        input.read(block.data(), static_cast<std::streamsize>(block.size()));
        const auto got = input.gcount();
        if (got <= 0) break;
        Write(std::string_view(block.data(), static_cast<std::size_t>(got)));
    }
}

void TTempFileStream::SaveToStream(std::ostream& output) {
    ForEachBlock([&output](std::string_view block) {
        output.write(block.data(), static_cast<std::streamsize>(block.size()));
    });
    if (!output) throw std::system_error(EIO, std::generic_category(), "Write attachment data");
}

}  // namespace velmora::mime
