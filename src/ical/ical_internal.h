#pragma once
// What the reader, the zones and the expansion share inside the library.
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/date_time.h"
#include "ical/ical.h"

namespace tessel::ical {

inline int64_t DayOf(int64_t wall) { return FloorDiv(wall, kSecondsPerDay); }
// 0 = Monday .. 6 = Sunday; day 0 (1970-01-01) was a Thursday.
inline int WeekdayOf(int64_t day) { return int(((day % 7) + 7 + 3) % 7); }

// Work left for rule expansion, shared by every rule of a file.
struct StepBudget {
    uint64_t FileLeft = 0;
    uint64_t RuleSteps = 0;
    bool Cut = false;   // some rule stopped for want of steps
    bool Full = false;  // some rule stopped with as many instances as may be kept
};

// The instances of rule r for a series whose first instance is at wall time start (a date when
// dateOnly), in increasing order, strictly after start, from `from` on and no later than to.
// Those before from are counted, not kept; the walk begins near from when the rule allows.
// untilWall is the last wall time UNTIL allows. DTSTART counts as the first of COUNT when
// startCounts, else only when it is one of the rule's instances. Stops early, marking the
// budget, after maxSteps periods and days, once out holds maxOut values, or when the file's
// share of work (one a period and one an instance kept) is used up.
void ExpandRule(const Recur& r, int64_t start, bool dateOnly, bool startCounts, int64_t from, int64_t to,
                int64_t untilWall, uint64_t maxSteps, size_t maxOut, StepBudget& budget, std::vector<int64_t>& out);

// A VTIMEZONE's observance as read: onsets at wall times of the offset before it.
struct Observance {
    bool Standard = true;  // STANDARD, else DAYLIGHT
    int32_t OffsetFrom = 0, OffsetTo = 0;
    int64_t Start = 0;  // wall time in OffsetFrom
    std::vector<Recur> Rules;
    std::vector<int64_t> Dates;  // RDATE wall times
};

// CLDR's names: the Windows zone of an IANA name, the IANA name of a Windows zone; empty when
// the table has none.
std::string_view WindowsZoneOf(std::string_view iana);
std::string_view IanaZoneOf(std::string_view windows);

// The zone a TZID names: its VTIMEZONE's observances when the file defines it, else the
// platform's zone of that name or, for a name in path form ("/example.org/20050126_1/America/
// New_York"), of its tail; null when there is none.
std::unique_ptr<Zone> ResolveZone(const std::string& tzid, const std::vector<Observance>* defined, StepBudget& budget);

}  // namespace tessel::ical
