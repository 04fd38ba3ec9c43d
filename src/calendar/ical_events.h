#pragma once
// An iCalendar file's occurrences as the event list's records: one Tevent per occurrence that
// overlaps a window of days, in the machine's local wall time.
#include <string>
#include <vector>

#include "calendar/event.h"
#include "ical/ical.h"

namespace tessel {

// The records of the occurrences overlapping [fromDay, toDay) (midnights), keyed by their local
// start ("yyyy-mm-ddThh:nn:ss", or "yyyy-mm-dd" all day) and sorted as the event list is.
// Titles come from SUMMARY (line breaks as blanks), links from URL; every record gets color.
// What the expansion had to leave out is added to warnings.
EventList IcalEvents(const ical::Calendar& calendar, TDateTime fromDay, TDateTime toDay, const ical::Zone& local,
                     uint32_t color = 0, std::vector<ical::Warning>* warnings = nullptr);

}  // namespace tessel
