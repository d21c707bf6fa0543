#include "net/internal/message_files.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace velmora::net::internal {

namespace {

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

bool nameTaken(const std::filesystem::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 || errno != ENOENT;
}

// Gives `temporary` the name `file` unless that name is taken (EEXIST then).
int linkWithoutReplacing(const std::filesystem::path& temporary,
                         const std::filesystem::path& file) {
    if (::link(temporary.c_str(), file.c_str()) == 0) return 0;
    if (errno == EEXIST) return -1;
    // A file system without hard links: a rename that refuses to replace.
    return ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, file.c_str(), RENAME_NOREPLACE);
}

}  // namespace

std::error_code MessageFiles::save(const std::filesystem::path& folder, int number,
                                   const Source& copy, std::filesystem::path& saved) {
    for (int tries = 0; tries <= kMaxNameTries; ++tries, ++number) {
        const std::filesystem::path file = folder / ("msg_" + std::to_string(number) + ".eml");
        std::filesystem::path temporary = file;
        temporary += ".part";
        if (nameTaken(file)) continue;
        const int fd =
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0) {
            if (errno == EEXIST || errno == ELOOP) continue;
            return lastError();
        }
        std::int64_t length = 0;
        std::error_code error = copy([fd, &length](std::string_view bytes) {
            length += static_cast<std::int64_t>(bytes.size());
            return writeAll(fd, bytes);
        });
        // The disk starts on it now; the batch before QUIT then mostly finds it written.
        if (!error) ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
        if (::close(fd) != 0 && !error) error = lastError();
        if (!error && linkWithoutReplacing(temporary, file) != 0) {
            if (errno == EEXIST) {  // taken meanwhile: the next number
                ::unlink(temporary.c_str());
                continue;
            }
            error = lastError();
        }
        ::unlink(temporary.c_str());  // after a link the file keeps its new name
        if (error) return error;
        written_.addFile(file, length);
        saved = file;
        return {};
    }
    return std::make_error_code(std::errc::file_exists);
}

}  // namespace velmora::net::internal
