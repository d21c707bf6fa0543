// The date of a "Date" header ("Tue, 3 Mar 1998 10:20:30 +0100"), as written by the sender:
// no zone correction is applied.
#pragma once

#include <string>
#include <string_view>

namespace velmora::mime {

// A calendar date and time of day; all zero is "no date" (the zero date-time).
struct TDateTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;

    bool IsZero() const { return year == 0; }
    bool operator==(const TDateTime&) const = default;
};

struct ParsedMailDate {
    TDateTime dateTime;  // zero on failure
    std::string rest;    // the trimmed text after the time, normally the zone ("+0100", "GMT")
};

// Reads day, month name, year and time: everything before the first digit is skipped (the day of
// the week), the month is the first English month abbreviation found after the day, two-digit
// years 51-99 mean 1951-1999 and 0-50 mean 2000-2050, a time that cannot be read counts as
// midnight. Any other failure (no digit, no month, an impossible date) gives the zero date-time
// and an empty rest. Never throws.
ParsedMailDate ParseMailDate(std::string_view text);

}  // namespace velmora::mime
