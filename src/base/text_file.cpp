#include "base/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <utility>

#include "base/file_access.h"
#include "base/line_reader.h"

namespace velmora {

namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

std::filesystem::path temporarySibling(const std::filesystem::path& file) {
    static std::mt19937_64 random{std::random_device{}()};
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%016llx.tmp", static_cast<unsigned long long>(random()));
    std::filesystem::path tmp = file;
    tmp += suffix;
    return tmp;
}

std::error_code writeThroughTemporary(const std::filesystem::path& file, std::string_view bytes) {
    const std::filesystem::path tmp = temporarySibling(file);
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return lastError();
    std::error_code error;
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0) error = lastError();
    if (::close(fd) != 0 && !error) error = lastError();
    if (!error && ::rename(tmp.c_str(), file.c_str()) != 0) error = lastError();
    if (error) ::unlink(tmp.c_str());
    return error;
}

// The data written and their writeback started; false with errno set.
bool writeAndStartWriteback(int fd, std::string_view bytes) {
    if (!writeAll(fd, bytes)) return false;
    // The disk starts on the data now; the batch's fsync then mostly finds them written.
    ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    return true;
}

// Renames without replacing a file of that name; false with errno set (EEXIST when taken). A
// file system that cannot refuse within the rename is asked before it.
bool renameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
    struct stat existing {};
    if (::lstat(to.c_str(), &existing) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

// Where the file system offers no unnamed files: a temporary name, renamed without replacing.
std::error_code createThroughTemporary(const std::filesystem::path& file, std::string_view bytes,
                                       PendingSyncs& later) {
    const std::filesystem::path tmp = temporarySibling(file);
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return lastError();
    std::error_code error;
    if (!writeAndStartWriteback(fd, bytes) || !renameWithoutReplacing(tmp, file))
        error = lastError();
    if (error) {
        ::close(fd);
        ::unlink(tmp.c_str());
        return error;
    }
    later.addOpenFile(fd, file, static_cast<std::int64_t>(bytes.size()));
    return {};
}

// Gives the unnamed file behind `fd` its name; linkat refuses an existing name. Through the
// descriptor itself where the kernel lets the file's opener do that (Linux 6.10 on, or with
// CAP_DAC_READ_SEARCH), else through its entry in /proc, which needs no privilege.
bool linkUnnamedFile(int fd, const std::filesystem::path& file) {
    if (::linkat(fd, "", AT_FDCWD, file.c_str(), AT_EMPTY_PATH) == 0) return true;
    if (errno == EEXIST) return false;
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, file.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

}  // namespace

std::error_code writeFileAtomically(const std::filesystem::path& file, std::string_view bytes) {
    return writeThroughTemporary(file, bytes);
}

std::error_code createFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                                     PendingSyncs& later) {
    const std::filesystem::path directory = file.parent_path();
    const int fd =
        ::open(directory.empty() ? "." : directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)
            return createThroughTemporary(file, bytes, later);
        return lastError();
    }
    std::error_code error;
    if (!writeAndStartWriteback(fd, bytes) || !linkUnnamedFile(fd, file)) error = lastError();
    if (error) {
        ::close(fd);  // the unnamed file goes with its descriptor
        // Without /proc the unnamed file cannot be named: a temporary name instead.
        if (error == std::errc::no_such_file_or_directory && ::access("/proc/self/fd", F_OK) != 0)
            return createThroughTemporary(file, bytes, later);
        return error;
    }
    later.addOpenFile(fd, file, static_cast<std::int64_t>(bytes.size()));
    return {};
}

std::error_code appendFileDurably(const std::filesystem::path& file, std::string_view firstBytes,
                                  std::string_view bytes) {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        if (auto created = writeFileAtomically(file, firstBytes)) return created;
    }
    const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return lastError();
    error.clear();
    if (!writeAll(fd, bytes) || ::fdatasync(fd) != 0) error = lastError();
    if (::close(fd) != 0 && !error) error = lastError();
    return error;
}

std::optional<std::string> readWholeFile(const std::filesystem::path& file) {
    std::error_code error;
    return readRegularFile(file, error);
}

std::vector<std::string_view> appendedRecords(std::string_view bytes) {
    std::vector<std::string_view> records;
    bool first = true;
    for (auto end = bytes.find("\r\n"); end != std::string_view::npos; end = bytes.find("\r\n")) {
        const std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end + 2);
        if (!std::exchange(first, false)) records.push_back(line);
    }
    return records;
}

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    LineReader reader(text);
    for (std::string_view line; reader.next(line);) lines.emplace_back(line);
    return lines;
}

std::vector<std::string> readLines(const std::filesystem::path& file) {
    auto bytes = readWholeFile(file);
    return bytes ? splitLines(*bytes) : std::vector<std::string>{};
}

std::string joinLines(const std::vector<std::string>& lines, bool finalLineEnd) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        text += lines[i];
        if (finalLineEnd || i + 1 < lines.size()) text += "\r\n";
    }
    return text;
}

std::string errorText(const std::error_code& error) {
    return error.message();
}

}  // namespace velmora
