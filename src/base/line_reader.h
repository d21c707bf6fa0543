// Lines of a whole message text held in memory, without copies: each line is a view into the
// text, without its line break (CR LF, a lone LF or a lone CR). A final line break does not
// start an empty last line.
#pragma once

#include <cstring>
#include <string_view>

namespace velmora {

class LineReader {
  public:
    explicit LineReader(std::string_view text) : text_(text) {}

    // The next line; false when the text is exhausted.
    bool next(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        const std::size_t end = findBreak();
        line = text_.substr(pos_, end - pos_);
        pos_ = end;
        if (pos_ < text_.size()) {
            if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
            ++pos_;
        }
        return true;
    }

    bool atEnd() const { return pos_ >= text_.size(); }
    std::size_t position() const { return pos_; }
    void seek(std::size_t position) {
        pos_ = position;
        nextCR_ = nextLF_ = kUnknown;
    }
    void reset() { seek(0); }

  private:
    static constexpr std::size_t kUnknown = static_cast<std::size_t>(-1);

    // The next CR and LF are found once each with memchr and remembered, so text with only one
    // kind of line break is still scanned once.
    std::size_t findNext(char c, std::size_t& cached) {
        if (cached != kUnknown && cached >= pos_) return cached;
        const void* found = std::memchr(text_.data() + pos_, c, text_.size() - pos_);
        cached = found ? static_cast<std::size_t>(static_cast<const char*>(found) - text_.data())
                       : text_.size();
        return cached;
    }

    std::size_t findBreak() {
        const std::size_t lf = findNext('\n', nextLF_);
        const std::size_t cr = findNext('\r', nextCR_);
        return lf < cr ? lf : cr;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::size_t nextCR_ = kUnknown;
    std::size_t nextLF_ = kUnknown;
};

}  // namespace velmora
