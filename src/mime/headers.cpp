#include "mime/headers.h"

#include <algorithm>

#include "base/text.h"
#include "mime/header_words.h"
#include "mime/internal/hex.h"
#include "mime/limits.h"
#include "mime/readable_text.h"

namespace velmora::mime {

namespace {

bool isWhite(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}
bool isContinuation(std::string_view line) {
    return !line.empty() && (line[0] == ' ' || line[0] == '\t');
}

std::string withColon(std::string_view name) {
    std::string field(name);
    if (field.empty() || field.back() != ':') field += ':';
    return field;
}

// The text of a field line after its first colon and the one character after it.
std::string_view afterColon(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon + 2 > line.size()) return {};
    return line.substr(colon + 2);
}

// Position of `needle` in `text` at or after `from`, compared case-insensitively.
std::size_t findNoCase(std::string_view text, std::string_view needle, std::size_t from) {
    if (needle.empty() || needle.size() > text.size()) return std::string_view::npos;
    for (std::size_t i = from; i + needle.size() <= text.size(); ++i) {
        if (equalsNoCase(text.substr(i, needle.size()), needle)) return i;
    }
    return std::string_view::npos;
}

// Splits at commas outside double quotes; trims each piece and decodes it when `decode`. An empty
// piece before a comma is an entry; an empty piece at the end is not. False, with the list full,
// when the text holds more entries than kMaxAddressListEntries allows.
bool splitAddresses(std::string_view text, std::vector<std::string>& list, bool decode) {
    const auto entry = [decode](std::string_view piece) {
        return decode ? DecodeHeaderWords(piece) : std::string(piece);
    };
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"') {
            quoted = !quoted;
        } else if (text[i] == ',' && !quoted) {
            if (list.size() >= kMaxAddressListEntries) return false;
            list.push_back(entry(trimWhite(text.substr(start, i - start))));
            start = i + 1;
        }
    }
    const std::string_view last = trimWhite(text.substr(start));
    if (last.empty()) return true;
    if (list.size() >= kMaxAddressListEntries) return false;
    list.push_back(entry(last));
    return true;
}

}  // namespace

std::string_view trimWhite(std::string_view text) {
    while (!text.empty() && isWhite(text.front())) text.remove_prefix(1);
    while (!text.empty() && isWhite(text.back())) text.remove_suffix(1);
    return text;
}

std::string cutText(std::string_view text) {
    return std::string(text.substr(0, std::min(text.size(), kMaxTextLength)));
}

std::string TmsHeaders::GetFieldValue(std::string_view name) const {
    const std::string field = withColon(name);
    const auto found = std::find_if(lines_.begin(), lines_.end(), [&](const std::string& line) {
        return startsWithNoCase(line, field);
    });
    if (found == lines_.end()) return {};

    std::string value(trimWhite(afterColon(*found)));
    for (auto next = found + 1; next != lines_.end() && isContinuation(*next); ++next) {
        value += ' ';
        value += trimWhite(*next);
    }
    value = std::string(trimWhite(value));
    if (equalsNoCase(field, "Content-Type:") || equalsNoCase(field, "X-UIDL:")) return value;
    return DecodeHeaderWords(value);
}

namespace {

bool fieldList(const std::vector<std::string>& lines, std::string_view name,
               std::vector<std::string>& list, bool decode) {
    list.clear();
    std::size_t i = 0;
    while (i < lines.size()) {
        const std::string& line = lines[i];
        if (!startsWithNoCase(line, name)) {
            ++i;
            continue;
        }
        if (line.find(':') == std::string::npos) return true;
        if (!splitAddresses(afterColon(line), list, decode)) return false;
        // Continuation lines: folded ones, and any line without a colon (no other field).
        for (++i; i < lines.size(); ++i) {
            const std::string& next = lines[i];
            if (!isContinuation(next) && next.find(':') != std::string::npos) break;
            if (!splitAddresses(next, list, decode)) return false;
        }
    }
    return true;
}

}  // namespace

bool TmsHeaders::GetFieldList(std::string_view name, std::vector<std::string>& list) const {
    return fieldList(lines_, name, list, true);
}

std::vector<std::string> TmsHeaders::GetFieldList(std::string_view name) const {
    std::vector<std::string> list;
    fieldList(lines_, name, list, true);
    return list;
}

std::vector<std::string> TmsHeaders::GetRawFieldList(std::string_view name) const {
    std::vector<std::string> list;
    fieldList(lines_, name, list, false);
    return list;
}

void TmsHeaders::RemoveField(std::string_view name) {
    const std::string field = withColon(name);
    const auto found = std::find_if(lines_.begin(), lines_.end(), [&](const std::string& line) {
        return startsWithNoCase(line, field);
    });
    if (found == lines_.end()) return;
    auto last = found + 1;
    while (last != lines_.end() && isContinuation(*last)) ++last;
    lines_.erase(found, last);
}

void TmsHeaders::TruncateAtBlankLine() {
    const auto blank = std::find_if(lines_.begin(), lines_.end(),
                                    [](const std::string& line) { return line.empty(); });
    lines_.erase(blank, lines_.end());
}

std::string TrimQuotes(std::string_view text) {
    text = trimWhite(text);
    while (!text.empty() && text.front() == '"') text.remove_prefix(1);
    while (!text.empty() && text.back() == '"') text.remove_suffix(1);
    return std::string(text);
}

std::string GetHeaderParam(std::string_view name, std::string_view value) {
    if (name.empty()) return {};
    // A real parameter (at the start of the value or after ";" or blank, followed by "=") is
    // preferred; otherwise the first occurrence followed by "=" anywhere, so "name" also finds
    // the value of "filename".
    std::size_t chosen = std::string_view::npos;
    for (std::size_t at = findNoCase(value, name, 0); at != std::string_view::npos;
         at = findNoCase(value, name, at + 1)) {
        std::size_t after = at + name.size();
        while (after < value.size() && (value[after] == ' ' || value[after] == '\t')) ++after;
        if (after >= value.size() || value[after] != '=') continue;
        const bool atStart = at == 0 || value[at - 1] == ';' || isWhite(value[at - 1]);
        if (atStart) {
            chosen = at;
            break;
        }
        if (chosen == std::string_view::npos) chosen = at;
    }
    if (chosen == std::string_view::npos) return {};

    std::string_view rest = value.substr(chosen + name.size());
    rest = rest.substr(rest.find('=') + 1);
    rest = trimWhite(rest);
    std::string_view param;
    if (!rest.empty() && rest.front() == '"') {
        rest.remove_prefix(1);
        param = rest.substr(0, rest.find('"'));
    } else {
        param = rest.substr(0, rest.find_first_of(" \t;"));
    }
    param = trimWhite(param);
    if (!param.empty() && param.back() == ';') param.remove_suffix(1);
    return std::string(trimWhite(param));
}

namespace {

// Where the value of parameter `name` starts (after "="), for a parameter at the start of the
// value or after ";" or a blank; npos when there is none.
std::size_t parameterValueStart(std::string_view name, std::string_view value) {
    for (std::size_t at = findNoCase(value, name, 0); at != std::string_view::npos;
         at = findNoCase(value, name, at + 1)) {
        if (at > 0 && value[at - 1] != ';' && !isWhite(value[at - 1])) continue;
        std::size_t after = at + name.size();
        while (after < value.size() && (value[after] == ' ' || value[after] == '\t')) ++after;
        if (after < value.size() && value[after] == '=') return after + 1;
    }
    return std::string_view::npos;
}

// The raw text of a parameter value at `start`: quoted, or up to the next ";".
std::string_view rawParameterValue(std::string_view value, std::size_t start) {
    std::string_view rest = trimWhite(value.substr(start));
    if (!rest.empty() && rest.front() == '"') {
        rest.remove_prefix(1);
        return rest.substr(0, rest.find('"'));
    }
    return trimWhite(rest.substr(0, rest.find(';')));
}

std::string percentDecoded(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int high = internal::hexValue(text[i + 1]);
            const int low = internal::hexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// An extended value "charset'language'text": the text, %XX decoded.
// A file name cut at 255 bytes between characters.
std::string cutUtf8Text(std::string_view text) {
    return std::string(cutUtf8(text, kMaxTextLength));
}

// An RFC 2231 value "charset'lang'text": its text decoded, and its character set in `charset`.
std::string extendedValue(std::string_view raw, std::string* charset = nullptr) {
    const std::size_t first = raw.find('\'');
    const std::size_t second = first == std::string_view::npos ? first : raw.find('\'', first + 1);
    if (second != std::string_view::npos) {
        if (charset) *charset = std::string(raw.substr(0, first));
        raw.remove_prefix(second + 1);
    }
    return percentDecoded(raw);
}

// Continuations beyond this many pieces are ignored: names are cut at 255 bytes anyway.
constexpr int kMaxNamePieces = 64;

}  // namespace

std::string GetFileNameParam(std::string_view name, std::string_view value) {
    if (name.empty()) return {};
    const std::string plain(name);
    // Names are file names here: read in their character sets, they are UTF-8 on the disk.
    if (const std::size_t start = parameterValueStart(plain, value);
        start != std::string_view::npos) {
        return cutUtf8Text(readableHeaderValue(rawParameterValue(value, start)));
    }
    std::string charset;
    if (const std::size_t start = parameterValueStart(plain + "*", value);
        start != std::string_view::npos) {
        const std::string text = extendedValue(rawParameterValue(value, start), &charset);
        return cutUtf8Text(toUtf8(text, charset));
    }
    std::string joined;
    for (int piece = 0; piece < kMaxNamePieces; ++piece) {
        const std::string base = plain + "*" + std::to_string(piece);
        if (const std::size_t start = parameterValueStart(base + "*", value);
            start != std::string_view::npos) {
            const std::string_view raw = rawParameterValue(value, start);
            joined += piece == 0 ? extendedValue(raw, &charset) : percentDecoded(raw);
        } else if (const std::size_t plainStart = parameterValueStart(base, value);
                   plainStart != std::string_view::npos) {
            joined += rawParameterValue(value, plainStart);
        } else {
            break;
        }
        if (joined.size() >= kMaxTextLength) break;
    }
    return cutUtf8Text(toUtf8(joined, charset));
}

std::string ContentTypeToken(std::string_view value) {
    value = trimWhite(value);
    return std::string(trimWhite(value.substr(0, value.find_first_of(" ;"))));
}

}  // namespace velmora::mime
