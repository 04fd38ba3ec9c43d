#include "calendar/zone.h"

namespace tessel {

int32_t ZoneHoursFromBias(int32_t biasMinutes, int32_t daylightBiasMinutes) {
    // C++ integer division truncates toward zero, which is the rule.
    return (biasMinutes + daylightBiasMinutes) / 60;
}

int32_t ZoneHoursFromOffsets(long standardOffsetSeconds, long daylightOffsetSeconds) {
    const auto bias = static_cast<int32_t>(-standardOffsetSeconds / 60);
    const auto daylightBias = static_cast<int32_t>(-(daylightOffsetSeconds - standardOffsetSeconds) / 60);
    return ZoneHoursFromBias(bias, daylightBias);
}

}  // namespace tessel
