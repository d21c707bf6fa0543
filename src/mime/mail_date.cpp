#include "mime/mail_date.h"

#include <array>
#include <charconv>
#include <optional>

#include "mime/headers.h"

namespace velmora::mime {

namespace {

constexpr std::array<std::string_view, 12> kMonths{"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                   "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::optional<int> readNumber(std::string_view text) {
    int value = 0;
    if (text.empty() || text.size() > 9) return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// The token at `pos` up to the next character of `stops`; `pos` moves past it.
std::string_view takeToken(std::string_view text, std::size_t& pos, std::string_view stops) {
    const std::size_t end = std::min(text.find_first_of(stops, pos), text.size());
    const std::string_view token = text.substr(pos, end - pos);
    pos = end;
    return token;
}

std::string_view withoutTrailingComma(std::string_view token) {
    if (!token.empty() && token.back() == ',') token.remove_suffix(1);
    return token;
}

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    constexpr std::array<int, 12> kDays{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

// "10:20:30" or "10:20"; nullopt for anything else.
std::optional<std::array<int, 3>> readTime(std::string_view token) {
    std::array<int, 3> parts{0, 0, 0};
    std::size_t count = 0;
    std::size_t pos = 0;
    while (count < parts.size()) {
        const auto number = readNumber(takeToken(token, pos, ":"));
        if (!number) return std::nullopt;
        parts[count++] = *number;
        if (pos >= token.size()) break;
        ++pos;  // the colon
        if (pos >= token.size()) return std::nullopt;
    }
    if (pos < token.size() || count < 2) return std::nullopt;
    if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59) return std::nullopt;
    return parts;
}

}  // namespace

ParsedMailDate ParseMailDate(std::string_view text) {
    const std::string upper = toUpperAscii(TrimQuotes(text));
    const std::string_view date = upper;
    std::size_t pos = 0;
    while (pos < date.size() && !isDigit(date[pos])) ++pos;
    if (pos >= date.size()) return {};
    const auto day = readNumber(withoutTrailingComma(takeToken(date, pos, " ")));
    if (!day) return {};

    int month = 0;
    std::size_t monthAt = std::string_view::npos;
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        monthAt = date.find(kMonths[i], pos);
        if (monthAt != std::string_view::npos) {
            month = static_cast<int>(i) + 1;
            break;
        }
    }
    if (month == 0) return {};
    pos = monthAt + 3;

    while (pos < date.size() && !isDigit(date[pos])) ++pos;
    if (pos >= date.size()) return {};
    auto year = readNumber(takeToken(date, pos, " ,"));
    if (!year) return {};
    if (*year >= 51 && *year <= 99)
        *year += 1900;
    else if (*year >= 0 && *year <= 50)
        *year += 2000;
    if (*year < 1 || *year > 9999 || *day < 1 || *day > daysInMonth(*year, month)) return {};

    ParsedMailDate result;
    result.dateTime = TDateTime{*year, month, *day, 0, 0, 0};
    if (pos < date.size() && date[pos] == ',') ++pos;
    while (pos < date.size() && date[pos] == ' ') ++pos;
    const std::string_view timeToken = withoutTrailingComma(takeToken(date, pos, " "));
    if (const auto time = readTime(timeToken)) {
        result.dateTime.hour = (*time)[0];
        result.dateTime.minute = (*time)[1];
        result.dateTime.second = (*time)[2];
    }
    // The rest keeps the letters as the sender wrote them.
    result.rest = std::string(trimWhite(TrimQuotes(text).substr(std::min(pos, upper.size()))));
    return result;
}

}  // namespace velmora::mime
