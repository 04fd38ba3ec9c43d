// The zone offset rule, and the C library's zone read through it.
#include "calendar/zone.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace tessel {
namespace {

TEST(CalendarZone, BiasRuleAddsDaylightAndTruncatesTowardZero) {
    EXPECT_EQ(ZoneHoursFromBias(480, -60), 7);    // Pacific, any season
    EXPECT_EQ(ZoneHoursFromBias(300, 0), 5);
    EXPECT_EQ(ZoneHoursFromBias(0, 0), 0);
    EXPECT_EQ(ZoneHoursFromBias(-60, -60), -2);   // Central Europe
    EXPECT_EQ(ZoneHoursFromBias(-330, 0), -5);    // 5.5 hours east: -5, not -6
    EXPECT_EQ(ZoneHoursFromBias(210, -60), 2);    // Newfoundland: 2.5 west
    EXPECT_EQ(ZoneHoursFromBias(-345, 0), -5);
}

TEST(CalendarZone, OffsetsEastInSecondsGiveTheSameRule) {
    EXPECT_EQ(ZoneHoursFromOffsets(-8 * 3600, -7 * 3600), 7);
    EXPECT_EQ(ZoneHoursFromOffsets(3600, 7200), -2);
    EXPECT_EQ(ZoneHoursFromOffsets(19800, 19800), -5);
    EXPECT_EQ(ZoneHoursFromOffsets(10 * 3600, 11 * 3600), -11);
}

#ifndef _WIN32
// Sets TZ for one test (POSIX zone rules, so no zone database is needed and the answer is the
// same in every year) and puts the old value back.
class ScopedZone {
public:
    explicit ScopedZone(const char* zone) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedZone() {
        if (old_) setenv("TZ", old_->c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> old_;
};

TEST(CalendarZone, LocalZoneCountsDaylightInEverySeason) {
    struct Case {
        const char* zone;
        int32_t hours;
    };
    for (const Case c : {Case{"PST8PDT,M3.2.0,M11.1.0", 7}, Case{"EST5", 5}, Case{"UTC0", 0},
                         Case{"CET-1CEST,M3.5.0,M10.5.0/3", -2}, Case{"IST-5:30", -5},
                         Case{"AEST-10AEDT,M10.1.0,M4.1.0/3", -11}, Case{"NST3:30NDT,M3.2.0,M11.1.0", 2}}) {
        SCOPED_TRACE(c.zone);
        ScopedZone zone(c.zone);
        EXPECT_EQ(LocalZoneHours(), c.hours);
    }
}
#endif

}  // namespace
}  // namespace tessel
