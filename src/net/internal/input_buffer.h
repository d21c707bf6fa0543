// Bytes received from a server and not yet consumed. Reply lines are taken from it one at a
// time, so whatever the server sent after a line (the start of a message, the next reply) stays
// for the next read.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmora::net::internal {

class InputBuffer {
  public:
    // A reply line is cut at this length; the rest of it up to its line feed is dropped, so a
    // hostile server cannot make a line grow without end. Replies are at most 512 bytes.
    static constexpr std::size_t kMaxLineLength = 4096;

    void append(std::string_view bytes);
    bool empty() const { return start_ == data_.size(); }
    std::size_t size() const { return data_.size() - start_; }
    void clear();

    // Takes one line through its line feed into `line`, without the trailing carriage returns
    // and line feeds. False (and `line` untouched) while no complete line has arrived; the
    // start of an overlong line is kept meanwhile and the rest dropped.
    bool takeLine(std::string& line);
    // True while a line started but not finished is held (bytes seen without a line feed).
    bool holdsPartialLine() const { return !empty() || discarding_; }
    // Bytes of the line not yet finished, the dropped part of an overlong one included.
    std::size_t partialLineBytes() const { return size() + discarded_; }

    // Moves everything held to the end of `out`.
    void takeAll(std::string& out);
    // Puts bytes back in front of what is held (bytes read past the end of a transfer).
    void putBack(std::string_view bytes);

  private:
    void compact();

    std::string data_;
    std::size_t start_ = 0;
    // An overlong line: its first kMaxLineLength bytes, waiting for its line feed.
    std::string overlong_;
    bool discarding_ = false;
    std::size_t discarded_ = 0;
};

}  // namespace velmora::net::internal
