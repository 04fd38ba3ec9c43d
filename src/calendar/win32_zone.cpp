// The Windows zone record. The daylight bias counts whether or not daylight time is in force
// now, so the answer does not change with the season.
#include "calendar/zone.h"

#include <windows.h>

namespace tessel {

int32_t LocalZoneHours() {
    TIME_ZONE_INFORMATION zone{};
    if (GetTimeZoneInformation(&zone) == TIME_ZONE_ID_INVALID) return 0;
    return ZoneHoursFromBias(zone.Bias, zone.DaylightBias);
}

}  // namespace tessel
