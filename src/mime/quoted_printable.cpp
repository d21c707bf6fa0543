#include "mime/quoted_printable.h"

#include <cstring>

#include "mime/internal/hex.h"
#include "platform/events.h"

namespace velmora::mime {

namespace {

// Longest piece of a paragraph before escaping; each piece but the last ends with a soft break.
constexpr std::size_t kPieceLength = 65;
constexpr char kEndOfFile = 26;  // a line ending in this byte gets no line break
// Bytes fed between two chances for pending events.
constexpr std::size_t kEventsEvery = 64 * 1024;

constexpr char kHexDigits[] = "0123456789ABCDEF";

using internal::hexValue;

bool needsEscape(unsigned char c) {
    return c < 32 || c == '=' || c >= 128;
}

void appendEscaped(std::string_view piece, std::string& line) {
    for (const char ch : piece) {
        const auto c = static_cast<unsigned char>(ch);
        if (needsEscape(c)) {
            line += '=';
            line += kHexDigits[c >> 4];
            line += kHexDigits[c & 15];
        } else {
            line += ch;
        }
    }
}

}  // namespace

QuotedPrintableEncoder::QuotedPrintableEncoder(LineSink sink, platform::ThrottledEvents* events)
    : sink_(std::move(sink)), events_(events) {}

void QuotedPrintableEncoder::emitPieces(std::string_view paragraph, bool last) {
    std::size_t start = 0;
    while (paragraph.size() - start > kPieceLength) {
        std::size_t cut = kPieceLength;
        for (std::size_t back = kPieceLength - 1; back > 0; --back) {
            if (paragraph[start + back] == ' ') {
                cut = back;
                break;
            }
        }
        line_.clear();
        appendEscaped(paragraph.substr(start, cut), line_);
        line_ += '=';
        sink_(line_);
        start += cut;
    }
    if (last) {
        line_.clear();
        appendEscaped(paragraph.substr(start), line_);
        sink_(line_);
        paragraph_.clear();
    } else {
        paragraph_.erase(0, start);
    }
}

void QuotedPrintableEncoder::endParagraph(bool hardBreak) {
    if (hardBreak) {
        emitPieces(paragraph_, true);
        return;
    }
    // The data ends without a line break: the last piece ends with a soft break, so decoding
    // adds none.
    if (paragraph_.empty()) return;
    emitPieces(paragraph_, false);
    line_.clear();
    appendEscaped(paragraph_, line_);
    line_ += '=';
    sink_(line_);
    paragraph_.clear();
}

void QuotedPrintableEncoder::feed(std::string_view bytes) {
    std::size_t sinceEvents = 0;
    for (const char c : bytes) {
        if (pendingCR_) {
            pendingCR_ = false;
            if (c == '\n') {
                endParagraph(true);
                continue;
            }
            paragraph_ += '\r';  // a lone CR is data, written escaped
        }
        if (c == '\r') {
            pendingCR_ = true;
            continue;
        }
        paragraph_ += c;
        if (paragraph_.size() >= kParagraphBufferSize - 1) emitPieces(paragraph_, false);
        if (events_ && ++sinceEvents >= kEventsEvery) {
            sinceEvents = 0;
            events_->poll();
        }
    }
}

void QuotedPrintableEncoder::finish() {
    if (pendingCR_) {
        pendingCR_ = false;
        paragraph_ += '\r';
    }
    endParagraph(false);
}

void QuotedPrintableDecoder::feedLine(std::string_view line, std::string& out) const {
    const std::size_t n = line.size();
    const bool softBreak = n > 0 && line[n - 1] == '=';
    const std::size_t end = softBreak ? n - 1 : n;
    std::size_t i = 0;
    while (i < end) {
        const void* found = std::memchr(line.data() + i, '=', end - i);
        const std::size_t equals =
            found ? static_cast<std::size_t>(static_cast<const char*>(found) - line.data()) : end;
        out.append(line.data() + i, equals - i);
        i = equals;
        if (i >= end) break;
        if (i + 2 < n) {
            const int high = hexValue(line[i + 1]);
            const int low = hexValue(line[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 3;
                continue;
            }
        }
        out += '=';
        ++i;
    }
    if (!softBreak && !(n > 0 && line[n - 1] == kEndOfFile)) out += "\r\n";
}

void TQuotedPrintable::Encode(std::string_view bytes, std::vector<std::string>& lines,
                              platform::ThrottledEvents* events) {
    QuotedPrintableEncoder encoder([&lines](std::string_view line) { lines.emplace_back(line); },
                                   events);
    encoder.feed(bytes);
    encoder.finish();
}

void TQuotedPrintable::Decode(const std::vector<std::string>& lines, std::string& out) {
    const QuotedPrintableDecoder decoder;
    for (const std::string& line : lines) decoder.feedLine(line, out);
}

std::string decodeQuotedPrintableLine(std::string_view line) {
    std::string bytes;
    QuotedPrintableDecoder().feedLine(line, bytes);
    return bytes.substr(0, bytes.find_first_of("\r\n"));
}

}  // namespace velmora::mime
