#include "net/reply_parsing.h"

#include <charconv>
#include <cstring>

namespace velmora::net {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view afterIndicator(std::string_view line) {
    return line.size() > 4 ? line.substr(4) : std::string_view{};
}

}  // namespace

std::optional<std::int64_t> decimalNumber(std::string_view word) {
    if (word.empty() || !isDigit(word.front())) return std::nullopt;
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (error != std::errc{} || end != word.data() + word.size() || value < 0) return std::nullopt;
    return value;
}

std::optional<ListingLine> parseListingLine(std::string_view line, std::int64_t count) {
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos) return std::nullopt;
    const auto number = decimalNumber(line.substr(0, space));
    if (!number || *number < 1 || *number > count) return std::nullopt;
    const std::size_t begin = line.find_first_not_of(' ', space);
    if (begin == std::string_view::npos) return std::nullopt;
    const std::string_view rest = line.substr(begin);
    return ListingLine{*number, rest.substr(0, rest.find(' '))};
}

int numericReplyCode(std::string_view line) {
    const std::string_view head = line.substr(0, 3);
    if (head.empty()) return -1;
    int code = 0;
    for (char c : head) {
        if (!isDigit(c)) return -1;
        code = code * 10 + (c - '0');
    }
    return code;
}

int pop3ReplyCode(std::string_view line) {
    if (line.empty()) return 0;
    if (line.front() == '+') return 1;
    if (line.front() == '-') return -1;
    return 0;
}

bool opensMultiLineReply(std::string_view line, int code) {
    return code > 0 && line.size() > 3 && line[3] == '-' && line.find('-') == 3;
}

bool closesMultiLineReply(std::string_view line, int code) {
    if (numericReplyCode(line) != code || line.size() < 3) return false;
    return line.size() == 3 || (line[3] == ' ' && line.find(' ') == 3);
}

StatParse parseStatReply(std::string_view line, StatValues& values) {
    const std::string_view rest = afterIndicator(line);
    const std::size_t space = rest.find(' ');
    if (space == std::string_view::npos) return StatParse::NoSize;
    std::string_view sizeWord = rest.substr(space + 1);
    sizeWord = sizeWord.substr(0, sizeWord.find(' '));
    const auto count = decimalNumber(rest.substr(0, space));
    const auto size = decimalNumber(sizeWord);
    if (!count || !size) return StatParse::NotNumbers;
    values = {*count, *size};
    return StatParse::Values;
}

std::int64_t listReplySize(std::string_view line) {
    const std::string_view rest = afterIndicator(line);
    const std::size_t space = rest.find(' ');
    if (space == std::string_view::npos) return 0;
    return decimalNumber(rest.substr(space + 1)).value_or(0);
}

std::string uidlReplyWord(std::string_view line) {
    std::size_t start = 0;
    for (int word = 0; word < 2; ++word) {
        const std::size_t space = line.find(' ', start);
        if (space == std::string_view::npos) return {};
        start = space + 1;
    }
    const std::string_view rest = line.substr(start);
    return std::string(rest.substr(0, rest.find(' ')));
}

void undoByteStuffing(std::string& text) {
    // Line by line with whole-line moves: this runs over every retrieved message.
    const std::size_t size = text.size();
    std::size_t write = 0;
    std::size_t read = 0;
    while (read < size) {
        if (text[read] == '.' && read + 1 < size && text[read + 1] != '\r' &&
            text[read + 1] != '\n')
            ++read;  // drop the stuffed period
        const std::size_t lineFeed = text.find('\n', read);
        const std::size_t end = lineFeed == std::string::npos ? size : lineFeed + 1;
        if (write != read) std::memmove(text.data() + write, text.data() + read, end - read);
        write += end - read;
        read = end;
    }
    text.resize(write);
}

std::size_t DotUnstuffer::feed(std::string_view bytes, std::string& out) {
    std::size_t at = 0;
    while (at < bytes.size() && state_ != State::Ended) {
        const char c = bytes[at];
        switch (state_) {
            case State::InLine: {
                // The common case: everything up to the next period that starts a line (or to
                // the end of the block) is copied in one piece. Periods are rare in most mail
                // (base64 has none), far rarer than line breaks.
                std::size_t scan = at;
                for (;;) {
                    const void* found = std::memchr(bytes.data() + scan, '.', bytes.size() - scan);
                    const std::size_t dot =
                        found ? static_cast<std::size_t>(static_cast<const char*>(found) -
                                                         bytes.data())
                              : bytes.size();
                    // Within a line the byte before `at` is never a line feed (that would have
                    // started the line), so a period at `at` is within the line too.
                    if (dot < bytes.size() && (dot == at || bytes[dot - 1] != '\n')) {
                        scan = dot + 1;
                        continue;
                    }
                    out.append(bytes.substr(at, dot - at));
                    if (bytes[dot - 1] == '\n') {
                        // The line just ended: did it end with CR LF?
                        afterLineBreak_ = dot - 1 > at ? bytes[dot - 2] == '\r' : lastWasReturn_;
                        state_ = State::LineStart;
                        lastWasReturn_ = false;
                    } else {
                        lastWasReturn_ = bytes[dot - 1] == '\r';
                    }
                    at = dot;
                    break;
                }
                continue;
            }
            case State::LineStart:
                if (c == '.') {
                    state_ = State::Dot;
                    ++at;
                    continue;
                }
                state_ = State::InLine;
                lastWasReturn_ = false;
                continue;  // the byte is copied as part of the line
            case State::Dot:
                if (c == '\r' && afterLineBreak_) {
                    state_ = State::DotReturn;
                    ++at;
                    continue;
                }
                // A period before a line end stays; before anything else it was the stuffing.
                if (c == '\r' || c == '\n') out.push_back('.');
                state_ = State::InLine;
                lastWasReturn_ = false;
                continue;
            case State::DotReturn:
                if (c == '\n') {
                    out.append(".\r\n");
                    state_ = State::Ended;
                    ++at;
                    continue;
                }
                out.append(".\r");
                state_ = State::InLine;
                lastWasReturn_ = true;
                continue;
            case State::Ended:
                break;
        }
    }
    return at;
}

void DotStuffer::stuff(std::string_view block, std::string& out) {
    out.reserve(out.size() + block.size() + block.size() / 64);
    std::size_t start = 0;
    while (start < block.size()) {
        if (atLineStart_ && block[start] == '.') out.push_back('.');
        const std::size_t lineFeed = block.find('\n', start);
        const std::size_t end = lineFeed == std::string_view::npos ? block.size() : lineFeed + 1;
        out.append(block.substr(start, end - start));
        atLineStart_ = lineFeed != std::string_view::npos;
        start = end;
    }
}

}  // namespace velmora::net
