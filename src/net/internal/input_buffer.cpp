#include "net/internal/input_buffer.h"

namespace velmora::net::internal {

namespace {

std::string_view withoutLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    return line;
}

}  // namespace

void InputBuffer::append(std::string_view bytes) {
    compact();
    data_.append(bytes);
}

void InputBuffer::clear() {
    data_.clear();
    start_ = 0;
    overlong_.clear();
    discarding_ = false;
    discarded_ = 0;
}

bool InputBuffer::takeLine(std::string& line) {
    const std::size_t lineFeed = data_.find('\n', start_);
    if (lineFeed == std::string::npos) {
        if (size() > kMaxLineLength || discarding_) {
            if (!discarding_) overlong_.assign(data_, start_, kMaxLineLength);
            discarding_ = true;
            discarded_ += data_.size() - start_;
            data_.clear();
            start_ = 0;
        }
        return false;
    }
    if (discarding_) {
        line = std::string(withoutLineEnd(overlong_));
        overlong_.clear();
        discarding_ = false;
    } else {
        const std::string_view whole(data_.data() + start_,
                                     std::min(lineFeed - start_, kMaxLineLength));
        line = std::string(withoutLineEnd(whole));
    }
    start_ = lineFeed + 1;
    discarded_ = 0;
    return true;
}

void InputBuffer::takeAll(std::string& out) {
    out.append(data_, start_, std::string::npos);
    data_.clear();
    start_ = 0;
}

void InputBuffer::putBack(std::string_view bytes) {
    compact();
    data_.insert(0, bytes);
}

void InputBuffer::compact() {
    if (start_ == 0) return;
    data_.erase(0, start_);
    start_ = 0;
}

}  // namespace velmora::net::internal
