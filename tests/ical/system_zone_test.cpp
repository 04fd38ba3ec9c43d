// The platform's zones by name: IANA names through the zone database natively and through
// CLDR's table to the system's zones on Windows, Windows zone names the other way round.
#include "ical_test_support.h"

namespace tessel::testing {
namespace {

TEST(SystemZone, OffsetsInSummerAndWinter) {
    const struct {
        const char* name;
        int32_t winter, summer;  // seconds east of UTC on 15 January and 15 July 2026
    } cases[] = {
        {"Europe/Berlin", 3600, 7200},
        {"America/New_York", -18000, -14400},
        {"Australia/Sydney", 39600, 36000},
        {"Asia/Kolkata", 19800, 19800},
        {"W. Europe Standard Time", 3600, 7200},
        {"Pacific Standard Time", -28800, -25200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto zone = ical::SystemZone(c.name);
        ASSERT_TRUE(zone);
        EXPECT_EQ(zone->OffsetAt(Stamp("20260115T1200")), c.winter);
        EXPECT_EQ(zone->OffsetAt(Stamp("20260715T1200")), c.summer);
    }
    EXPECT_FALSE(ical::SystemZone("Nowhere/Atlantis"));
    EXPECT_FALSE(ical::SystemZone("../../etc/passwd"));
}

TEST(SystemZone, GapMovesForwardAndOverlapTakesTheFirst) {
    const auto berlin = ical::SystemZone("Europe/Berlin");
    ASSERT_TRUE(berlin);
    // 02:30 on 29 March 2026 does not exist: it is read as 03:30 summer time (01:30 UTC).
    EXPECT_EQ(berlin->ToUtc(Stamp("20260329T0230")), Stamp("20260329T0130"));
    // 02:30 on 25 October 2026 happens twice: the first is summer time (00:30 UTC).
    EXPECT_EQ(berlin->ToUtc(Stamp("20261025T0230")), Stamp("20261025T0030"));
    EXPECT_EQ(berlin->ToUtc(Stamp("20261025T0330")), Stamp("20261025T0230"));
}

}  // namespace
}  // namespace tessel::testing
