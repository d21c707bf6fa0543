#include "net/capabilities.h"

#include <algorithm>
#include <cctype>
#include <charconv>

#include "mime/base64.h"
#include "net/reply_parsing.h"

namespace velmora::net {

namespace {

std::string upper(std::string_view word) {
    std::string out(word);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::vector<std::string> words(std::string_view line) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
        const std::size_t end = line.find_first_of(" \t", at);
        const std::size_t stop = end == std::string_view::npos ? line.size() : end;
        if (stop > at) out.push_back(upper(line.substr(at, stop - at)));
        at = stop;
    }
    return out;
}

}  // namespace

Capabilities Capabilities::fromCapaLines(const std::vector<std::string>& lines) {
    Capabilities capabilities;
    for (const std::string& line : lines) {
        if (capabilities.entries_.size() >= kMaxEntries) break;
        auto entry = words(line);
        if (!entry.empty()) capabilities.entries_.push_back(std::move(entry));
    }
    return capabilities;
}

Capabilities Capabilities::fromEhloLines(const std::vector<std::string>& lines) {
    Capabilities capabilities;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (capabilities.entries_.size() >= kMaxEntries) break;
        const std::string_view line = lines[i];
        if (line.size() < 4 || numericReplyCode(line) < 200 || numericReplyCode(line) > 299)
            continue;
        std::string_view text = line.substr(4);
        std::vector<std::string> entry;
        // "AUTH=PLAIN LOGIN", the form of servers older than RFC 2554's final text.
        if (const std::size_t equals = text.find('=');
            equals != std::string_view::npos && text.find(' ') > equals) {
            entry.push_back(upper(text.substr(0, equals)));
            for (auto& word : words(text.substr(equals + 1))) entry.push_back(std::move(word));
        } else {
            entry = words(text);
        }
        if (!entry.empty()) capabilities.entries_.push_back(std::move(entry));
    }
    return capabilities;
}

bool Capabilities::offers(std::string_view keyword) const {
    const std::string wanted = upper(keyword);
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const auto& entry) { return entry.front() == wanted; });
}

std::vector<std::string> Capabilities::parameters(std::string_view keyword) const {
    const std::string wanted = upper(keyword);
    std::vector<std::string> out;
    for (const auto& entry : entries_)
        if (entry.front() == wanted) out.insert(out.end(), entry.begin() + 1, entry.end());
    return out;
}

bool Capabilities::offersMechanism(std::string_view mechanism) const {
    const std::string wanted = upper(mechanism);
    for (const char* keyword : {"SASL", "AUTH"}) {
        const auto listed = parameters(keyword);
        if (std::find(listed.begin(), listed.end(), wanted) != listed.end()) return true;
    }
    return false;
}

std::int64_t Capabilities::sizeLimit() const {
    const auto listed = parameters("SIZE");
    if (listed.empty()) return 0;
    std::int64_t limit = 0;
    const std::string& word = listed.front();
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), limit);
    if (error != std::errc{} || end != word.data() + word.size() || limit < 0) return 0;
    return limit;
}

std::optional<std::string> authChallenge(std::string_view line) {
    std::string_view text;
    if (line.size() >= 3 && numericReplyCode(line) == 334) {
        text = line.size() > 4 ? line.substr(4) : std::string_view{};
    } else if (!line.empty() && line.front() == '+' && (line.size() == 1 || line[1] == ' ')) {
        text = line.size() > 2 ? line.substr(2) : std::string_view{};
    } else {
        return std::nullopt;
    }
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    try {
        return mime::decodeBase64Line(text);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::string apopTimestamp(std::string_view greeting) {
    const std::size_t open = greeting.find('<');
    if (open == std::string_view::npos) return {};
    const std::size_t close = greeting.find('>', open);
    if (close == std::string_view::npos) return {};
    const std::string_view stamp = greeting.substr(open, close - open + 1);
    // RFC 1939: a msg-id, so it holds an "@" and nothing that is not printable.
    if (stamp.find('@') == std::string_view::npos) return {};
    for (const char c : stamp)
        if (static_cast<unsigned char>(c) < 0x21 || static_cast<unsigned char>(c) > 0x7E) return {};
    return std::string(stamp);
}

}  // namespace velmora::net
