#pragma once
// Times of the calendar service. Events live on the service's wall clock in one fixed zone
// (zoneMinutes east of UTC); queries name instants with their own zone suffix, so filtering
// compares instants (UTC seconds).
#include <cstdint>
#include <string>
#include <string_view>

namespace tessel::service {

// Seconds since 1899-12-30 00:00 (the epoch of the core's date-time values), on a wall clock.
using WallSeconds = int64_t;
constexpr int64_t kSecondsPerDay = 86400;

// "yyyy-mm-dd" that names an existing day: its midnight.
bool ParseDateText(std::string_view text, WallSeconds& midnight);
// "yyyy-mm-dd" (dateOnly), or a date and "hh:mm" or "hh:mm:ss" after a blank or a 'T'.
bool ParseWallText(std::string_view text, WallSeconds& value, bool& dateOnly);
// "Z", "+hh:mm", "-hh:mm", "+hhmm" or "-hhmm" (a blank stands for '+': an unescaped '+' may have
// been decoded as one on the way). Offsets east of UTC are positive.
bool ParseZoneText(std::string_view text, int& minutes);
// "hh:mm" within a day: seconds since midnight.
bool ParseClockText(std::string_view text, int& seconds);
// The instant a query names: "yyyy-mm-dd" (midnight in the default zone) or
// "yyyy-mm-ddThh:mm:ss" with an optional fraction and an optional zone (else the default zone).
bool ParseQueryInstant(std::string_view text, int defaultZoneMinutes, int64_t& utcSeconds);

// "yyyy-mm-dd"
std::string FormatDateText(WallSeconds value);
// "+hh:mm" or "-hh:mm".
std::string FormatZoneText(int zoneMinutes);
// "yyyy-mm-ddThh:nn:ss.000+hh:mm" in the given zone.
std::string FormatFeedTime(WallSeconds value, int zoneMinutes);
// "yyyy-mm-ddThh:nn:ss.000Z" for an instant.
std::string FormatUtcStamp(int64_t utcSeconds);

inline int64_t ToUtc(WallSeconds value, int zoneMinutes) { return value - int64_t{zoneMinutes} * 60; }
inline WallSeconds DayOf(WallSeconds value) { return value - ((value % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay; }

// The machine's zone offset (minutes east of UTC) on the given local day; its wall clock now.
int MachineZoneMinutes(WallSeconds day);
WallSeconds MachineWallNow();

}  // namespace tessel::service
