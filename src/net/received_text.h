// The text of one retrieved message while it arrives and until it is stored: in memory up to a
// threshold, then in a temporary file, so a large message does not sit in memory twice (while
// it arrives and while it is decoded or saved) and a long one cannot fill the memory at all.
// The file is created with O_CREAT | O_EXCL | O_NOFOLLOW in the temporary folder and unlinked at
// once, so nothing is left behind whatever happens to the program.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>

#include "net/transfer_limits.h"

namespace velmora::net {

class ReceivedText {
  public:
    explicit ReceivedText(std::size_t spillThreshold = kSpillThreshold);
    ~ReceivedText();
    ReceivedText(const ReceivedText&) = delete;
    ReceivedText& operator=(const ReceivedText&) = delete;

    // Makes room in memory for a text of about `expected` bytes and the end line (nothing
    // beyond the threshold, whatever a server announced), so a message arriving in many blocks
    // is not copied again each time its buffer grows.
    void reserve(std::int64_t expected);
    // Adds bytes at the end. A temporary file that cannot be created or written raises
    // EMessageError naming the folder and the reason.
    void append(std::string_view bytes);
    std::int64_t size() const { return size_; }
    bool spilled() const { return fd_ >= 0; }

    // The whole text (read back from the file when it spilled); raises EMessageError when the
    // file cannot be read.
    std::string str() const;
    // The same, moving the bytes out when they are in memory (the text is empty afterwards).
    std::string release();
    // Hands the first `length` bytes (at most size()) to `write` block by block; stops at the
    // first error `write` returns, and returns it (or the file's read error).
    [[nodiscard]] std::error_code copy(
        std::int64_t length, const std::function<std::error_code(std::string_view)>& write) const;

  private:
    void spill();

    std::size_t threshold_;
    std::string memory_;
    int fd_ = -1;
    std::int64_t size_ = 0;
};

}  // namespace velmora::net
