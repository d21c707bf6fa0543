#include "base/text_file.h"

#include <fcntl.h>
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

std::error_code writeThroughTemporary(const std::filesystem::path& file, std::string_view bytes,
                                      PendingSyncs* later) {
    const std::filesystem::path tmp = temporarySibling(file);
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) return lastError();
    std::error_code error;
    if (!writeAll(fd, bytes)) {
        error = lastError();
    } else if (later) {
        // The disk starts on the data now; the batch's fsync then mostly finds it written.
        ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    } else if (::fsync(fd) != 0) {
        error = lastError();
    }
    if (::close(fd) != 0 && !error) error = lastError();
    if (!error && ::rename(tmp.c_str(), file.c_str()) != 0) error = lastError();
    if (error) {
        ::unlink(tmp.c_str());
        return error;
    }
    if (later) later->addFile(file, static_cast<std::int64_t>(bytes.size()));
    return error;
}

}  // namespace

std::error_code writeFileAtomically(const std::filesystem::path& file, std::string_view bytes) {
    return writeThroughTemporary(file, bytes, nullptr);
}

std::error_code writeFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                                    PendingSyncs& later) {
    return writeThroughTemporary(file, bytes, &later);
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
