#pragma once
// What the reader, the zones and the expansion share inside the library.
#include <cstdint>
#include <string_view>
#include <vector>

#include "ical/ical.h"

namespace tessel::ical {

inline int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
inline int64_t DayOf(int64_t wall) { return FloorDiv(wall, kSecondsPerDay); }
// 0 = Monday .. 6 = Sunday; day 0 (1970-01-01) was a Thursday.
inline int WeekdayOf(int64_t day) { return int(((day % 7) + 7 + 3) % 7); }
inline bool LeapYear(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int DaysIn(int64_t year, int month);

// Work left for rule expansion, shared by every rule of a file.
struct StepBudget {
    uint64_t FileLeft = 0;
    uint64_t RuleSteps = 0;
    bool Cut = false;   // some rule stopped for want of steps
    bool Full = false;  // some rule stopped with as many instances as may be kept
};

// The instances of rule r for a series whose first instance is at wall time start (a date when
// dateOnly), in increasing order, strictly after start and no later than to. With no COUNT the
// walk may begin near from instead of at start. untilWall is the last wall time UNTIL allows.
// DTSTART counts as the first of COUNT. Stops early, marking the budget, after maxSteps periods
// and days or once out holds maxOut values.
void ExpandRule(const Recur& r, int64_t start, bool dateOnly, int64_t from, int64_t to, int64_t untilWall,
                uint64_t maxSteps, size_t maxOut, StepBudget& budget, std::vector<int64_t>& out);

// A VTIMEZONE's observance as read: onsets at wall times of the offset before it.
struct Observance {
    int32_t OffsetFrom = 0, OffsetTo = 0;
    int64_t Start = 0;  // wall time in OffsetFrom
    std::vector<Recur> Rules;
    std::vector<int64_t> Dates;  // RDATE wall times
};

// CLDR's names: the Windows zone of an IANA name, the IANA name of a Windows zone; empty when
// the table has none.
std::string_view WindowsZoneOf(std::string_view iana);
std::string_view IanaZoneOf(std::string_view windows);

std::unique_ptr<Zone> DefinedZone(const std::vector<Observance>& observances, StepBudget& budget);

}  // namespace tessel::ical
