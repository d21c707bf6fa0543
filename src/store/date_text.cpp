#include "store/date_text.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace velmora::store {

namespace {

constexpr std::array<const char*, 7> kShortDays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr std::array<const char*, 12> kShortMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 12> kLongMonths = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

std::string printed(const char* format, auto... values) {
    char buffer[96];
    const int n = std::snprintf(buffer, sizeof buffer, format, values...);
    return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

}  // namespace

int dayOfWeek(int year, int month, int day) {
    using namespace std::chrono;
    const sys_days date{::std::chrono::year{year} / month / day};
    return static_cast<int>(weekday{date}.c_encoding());
}

std::string dateText(std::string_view mailDate, int format) {
    if (format == kDateFormatActualHeader) return std::string(mailDate);
    if (format < 0 || format >= kDateFormatCount) format = 0;
    const mime::TDateTime d = mime::ParseMailDate(mailDate).dateTime;
    if (d.IsZero() || d.month < 1 || d.month > 12) return std::string(mailDate);
    const char* shortDay = kShortDays[static_cast<std::size_t>(dayOfWeek(d.year, d.month, d.day))];
    const char* shortMonth = kShortMonths[static_cast<std::size_t>(d.month - 1)];
    const char* longMonth = kLongMonths[static_cast<std::size_t>(d.month - 1)];
    switch (format) {
        case 0:
            return printed("%s, %s %02d %04d %02d:%02d:%02d", shortDay, shortMonth, d.day, d.year,
                           d.hour, d.minute, d.second);
        case 1:
            return printed("%s, %02d %s %04d %02d:%02d:%02d", shortDay, d.day, longMonth, d.year,
                           d.hour, d.minute, d.second);
        case 2:
            return printed("%s %02d, %04d %02d:%02d:%02d", longMonth, d.day, d.year, d.hour,
                           d.minute, d.second);
        case 3:
            return printed("%02d %s %04d %02d:%02d:%02d", d.day, longMonth, d.year, d.hour,
                           d.minute, d.second);
        default:
            return printed("%04d.%02d.%02d.%02d:%02d:%02d", d.year, d.month, d.day, d.hour,
                           d.minute, d.second);
    }
}

std::string sortDateOf(const mime::TDateTime& date) {
    if (date.IsZero()) return {};
    return printed("%04d%02d%02d%02d%02d%02d", date.year, date.month, date.day, date.hour,
                   date.minute, date.second);
}

std::string sortDateText(std::string_view mailDate) {
    return sortDateOf(mime::ParseMailDate(mailDate).dateTime);
}

std::string sortDateOf(const platform::LocalTime& time) {
    return printed("%04d%02d%02d%02d%02d%02d", time.year, time.month, time.day, time.hour,
                   time.minute, time.second);
}

std::string composedMailDate(const platform::LocalTime& time) {
    const int month = time.month >= 1 && time.month <= 12 ? time.month : 1;
    const int offset = std::abs(time.zoneOffsetMinutes);
    return printed("%s, %02d %s %04d %02d:%02d:%02d %c%02d%02d",
                   kShortDays[static_cast<std::size_t>(dayOfWeek(time.year, month, time.day))],
                   time.day, kShortMonths[static_cast<std::size_t>(month - 1)], time.year,
                   time.hour, time.minute, time.second, time.zoneOffsetMinutes < 0 ? '-' : '+',
                   offset / 60, offset % 60);
}

}  // namespace velmora::store
