// Opening the program's stored files for reading. A name in the store can point at anything a
// damaged or hostile folder holds: a FIFO (opening or reading it would wait forever), a device
// such as /dev/zero (reading never ends), a directory (its "size" is not a byte count). Every
// stored file is therefore opened here, and only a regular file is ever read.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

namespace velmora {

// An open descriptor of a regular file, closed with the object.
class RegularFile {
  public:
    RegularFile() = default;
    ~RegularFile();
    RegularFile(RegularFile&& other) noexcept : fd_(other.fd_), size_(other.size_) {
        other.fd_ = -1;
    }
    RegularFile& operator=(RegularFile&& other) noexcept;
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    int descriptor() const { return fd_; }
    // The size when it was opened.
    std::uint64_t size() const { return size_; }

    // Reads up to `count` bytes at `offset`; fewer only at the end of the file. An error is
    // returned in `error` (and 0 bytes).
    std::size_t readAt(std::uint64_t offset, char* buffer, std::size_t count,
                       std::error_code& error);

  private:
    friend RegularFile openRegularFile(const std::filesystem::path&, std::error_code&);
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// Opens `file` for reading when it is a regular file (a symbolic link to one is followed).
// Never blocks: a FIFO is refused before anyone writes to it. A missing file gives
// no_such_file_or_directory, a directory is_a_directory, any other kind (FIFO, device, socket)
// "Not a regular file", which compares equal to invalid_argument; the returned object is then
// not open.
[[nodiscard]] RegularFile openRegularFile(const std::filesystem::path& file,
                                          std::error_code& error);

// The whole content of a regular file, read through openRegularFile. `maxBytes` bounds what a
// damaged file can make us allocate: a larger file gives file_too_large. nullopt with `error`
// set on any failure.
[[nodiscard]] std::optional<std::string> readRegularFile(const std::filesystem::path& file,
                                                         std::error_code& error,
                                                         std::uint64_t maxBytes = UINT64_MAX);

// True when `file` names a regular file (after following links); false for anything else,
// and when it cannot be examined.
bool isRegularFile(const std::filesystem::path& file);

}  // namespace velmora
