// The date texts of stored messages: the Date column in the six formats of the "date column
// format" setting, the 14-digit sort date, and the date written on messages composed here.
#pragma once

#include <string>
#include <string_view>

#include "mime/mail_date.h"
#include "platform/events.h"

namespace velmora::store {

// Positions of the "date column format" choice.
inline constexpr int kDateFormatCount = 6;
inline constexpr int kDateFormatActualHeader = 5;  // the mailDate text unchanged

// The Date column for a message's date text. Formats 0 to 4 show the parsed date
// ("Sun, Jul 31 2001 15:30:45", "Sun, 31 July 2001 15:30:45", "July 31, 2001 15:30:45",
// "31 July 2001 15:30:45", "2001.07.31.15:30:45"); 5 shows the text unchanged; any other
// number counts as 0. A text that holds no readable date is shown unchanged rather than as a
// made-up date.
std::string dateText(std::string_view mailDate, int format);

// yyyymmddhhmmss of a date; "" for the zero date.
std::string sortDateOf(const mime::TDateTime& date);
// The sort date of a message's date text; "" when it holds no readable date.
std::string sortDateText(std::string_view mailDate);
std::string sortDateOf(const platform::LocalTime& time);

// The date of a message composed here: "ddd, dd mmm yyyy hh:mm:ss " and the zone's offset from
// UTC as "+hhnn" or "-hhnn" ("Thu, 10 Dec 2026 09:30:00 +0100").
std::string composedMailDate(const platform::LocalTime& time);

// Day of the week of a calendar date, 0 Sunday to 6 Saturday.
int dayOfWeek(int year, int month, int day);

}  // namespace velmora::store
