#include "mime/quoted_printable.h"

#include <algorithm>
#include <array>
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

constexpr std::array<bool, 256> makeEscapeTable() {
    std::array<bool, 256> table{};
    for (std::size_t c = 0; c < table.size(); ++c) table[c] = c < 32 || c == '=' || c >= 128;
    return table;
}
constexpr auto kNeedsEscape = makeEscapeTable();

// Appends `piece` with control characters, "=" and 8-bit bytes as "=XX", in one pass over a
// buffer sized for the worst case.
void appendEscaped(std::string_view piece, std::string& line) {
    const std::size_t start = line.size();
    line.resize(start + piece.size() * 3);
    char* out = line.data() + start;
    for (const char ch : piece) {
        const auto c = static_cast<unsigned char>(ch);
        if (kNeedsEscape[c]) {
            *out++ = '=';
            *out++ = kHexDigits[c >> 4];
            *out++ = kHexDigits[c & 15];
        } else {
            *out++ = ch;
        }
    }
    line.resize(static_cast<std::size_t>(out - line.data()));
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

void QuotedPrintableEncoder::addToParagraph(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t room = kParagraphBufferSize - 1 - paragraph_.size();
        const std::size_t taken = std::min(room, bytes.size());
        paragraph_.append(bytes.data(), taken);
        bytes.remove_prefix(taken);
        if (paragraph_.size() >= kParagraphBufferSize - 1) emitPieces(paragraph_, false);
    }
}

void QuotedPrintableEncoder::feed(std::string_view bytes) {
    std::size_t sinceEvents = 0;
    while (!bytes.empty()) {
        if (pendingCR_) {
            pendingCR_ = false;
            if (bytes.front() == '\n') {
                bytes.remove_prefix(1);
                endParagraph(true);
                continue;
            }
            addToParagraph("\r");  // a lone CR is data, written escaped
        }
        // Everything up to the next CR belongs to the paragraph as it is.
        const void* found = std::memchr(bytes.data(), '\r', bytes.size());
        const std::size_t run =
            found ? static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data())
                  : bytes.size();
        addToParagraph(bytes.substr(0, run));
        if (found) pendingCR_ = true;
        bytes.remove_prefix(found ? run + 1 : run);
        sinceEvents += run + 1;
        if (events_ && sinceEvents >= kEventsEvery) {
            sinceEvents = 0;
            events_->poll();
        }
    }
}

void QuotedPrintableEncoder::finish() {
    if (pendingCR_) {
        pendingCR_ = false;
        addToParagraph("\r");
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
