// Lines of a whole message text held in memory, without copies: each line is a view into the
// text, without its line break (CR LF, a lone LF or a lone CR). A final line break does not
// start an empty last line.
#pragma once

#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    void seek(std::size_t position) { pos_ = position; }
    void reset() { seek(0); }

  private:
    // The first CR or LF from `pos_` on, or the text's end: one pass over the line, sixteen
    // bytes at a time where SSE2 is there.
    std::size_t findBreak() const {
        const char* const begin = text_.data();
        const char* p = begin + pos_;
        const char* const end = begin + text_.size();
#if defined(__SSE2__)
        const __m128i lf = _mm_set1_epi8('\n');
        const __m128i cr = _mm_set1_epi8('\r');
        for (; end - p >= 16; p += 16) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const int mask = _mm_movemask_epi8(
                _mm_or_si128(_mm_cmpeq_epi8(chunk, lf), _mm_cmpeq_epi8(chunk, cr)));
            if (mask != 0) return static_cast<std::size_t>(p - begin) + __builtin_ctz(mask);
        }
#endif
        for (; p < end; ++p) {
            if (*p == '\n' || *p == '\r') break;
        }
        return static_cast<std::size_t>(p - begin);
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace velmora
