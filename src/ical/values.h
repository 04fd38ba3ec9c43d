#pragma once
// Property values (RFC 5545 section 3.3): dates and times, durations, UTC offsets, recurrence
// rules and texts. A value that cannot be read raises ValueError with the reason in the user's
// words; the reader turns it into a warning and passes over the property. Internal.
#include <cstdint>
#include <string>
#include <string_view>

#include "ical/ical.h"

namespace tessel::ical {

struct ValueError {
    std::string Reason;
};

// A DATE or DATE-TIME as written: Date, Floating or Utc (the reader makes a floating time with
// a TZID Zoned). dateOnly (VALUE=DATE) keeps the date of a date-time. A date with a stray 'Z'
// is read as the date, and *lenient says so.
Time ParseTime(std::string_view text, bool dateOnly, bool* lenient = nullptr);
Duration ParseDuration(std::string_view text);
int32_t ParseOffset(std::string_view text);
// A rule; *note tells what was passed over in it (a bad COUNT beside UNTIL), else stays empty.
Recur ParseRecur(std::string_view text, std::string* note);

// The text with escapes undone when unescape, bytes outside well-formed UTF-8 replaced by
// U+FFFD and control characters other than tab and line break left out, appended to out.
void AppendText(std::string& out, std::string_view value, bool unescape);

}  // namespace tessel::ical
