#pragma once
// English day and month names, which the windows show whatever the system's language, and the
// date-time texts of the calendar feeds.
#include <string>
#include <string_view>

#include "base/date_time.h"

namespace tessel {

// "Sunday" .. "Saturday" for n = 1..7; any other n leaves name as it was.
void DayName(int n, std::u16string& name);
// The day name of the date's weekday.
std::u16string DayNameOf(TDateTime date);
// "January" .. "December" for the date's month.
std::u16string MonthName(TDateTime date);

// Reads "yyyy-mm-dd" and, from 18 characters on, "yyyy-mm-ddThh:nn..." by position: year, month and
// day from characters 1-4, 6-7 and 9-10, hour and minute from 12-13 and 15-16. Seconds, fraction
// and zone are ignored: the result is the wall-clock time as written.
// A field that is not a number raises "'%s' is not a valid integer value"; a date or time that does
// not exist raises the encode error; a text shorter than 10 characters raises
// "'%s' is not a valid date and time". All are EConvertError.
TDateTime ParseFeedDateTime(std::string_view text);

}  // namespace tessel
