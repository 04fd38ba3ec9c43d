// The C library's view of the local zone. It has no bias record, so the standard and daylight
// offsets are read from two moments half a year apart in the current year: one of them is in
// standard time in either hemisphere, and the other in daylight time when the zone has any.
#include "calendar/zone.h"

#include <ctime>

namespace tessel {

namespace {

struct ZoneSample {
    long offset = 0;
    bool daylight = false;
};

ZoneSample SampleAt(int year, int month) {
    std::tm moment{};
    moment.tm_year = year;
    moment.tm_mon = month;
    moment.tm_mday = 1;
    moment.tm_hour = 12;
    moment.tm_isdst = -1;
    const std::time_t when = std::mktime(&moment);
    std::tm local{};
    localtime_r(&when, &local);
    return {local.tm_gmtoff, local.tm_isdst > 0};
}

}  // namespace

int32_t LocalZoneHours() {
    tzset();
    const std::time_t now = std::time(nullptr);
    std::tm today{};
    localtime_r(&now, &today);
    const ZoneSample january = SampleAt(today.tm_year, 0);
    const ZoneSample july = SampleAt(today.tm_year, 6);
    if (january.daylight == july.daylight) return ZoneHoursFromOffsets(january.offset, january.offset);
    const ZoneSample& standard = january.daylight ? july : january;
    const ZoneSample& daylight = january.daylight ? january : july;
    return ZoneHoursFromOffsets(standard.offset, daylight.offset);
}

}  // namespace tessel
