#pragma once
// The local zone offset the client writes into its feed queries: whole hours west of UTC.
//
// The rule is the one the Windows zone record gives: (Bias + DaylightBias) / 60, truncating
// toward zero, with the daylight bias added in every season. So a zone with daylight saving
// always counts its summer offset, and a half-hour zone loses its half hour.
#include <cstdint>

namespace tessel {

// Minutes: UTC = local time + bias; the daylight bias is added on top while daylight time holds
// (usually -60, and 0 in a zone without daylight time).
int32_t ZoneHoursFromBias(int32_t biasMinutes, int32_t daylightBiasMinutes);

// The same rule from two offsets east of UTC in seconds, as the C library reports them
// (tm_gmtoff): the zone's standard offset, and its daylight offset or the standard one again
// when the zone has no daylight time.
int32_t ZoneHoursFromOffsets(long standardOffsetSeconds, long daylightOffsetSeconds);

// The machine's zone: GetTimeZoneInformation on Windows, the C library's zone (TZ) elsewhere.
int32_t LocalZoneHours();

}  // namespace tessel
