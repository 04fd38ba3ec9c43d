#include "wall_time.h"

#include <gtest/gtest.h>

namespace tessel::service {
namespace {

WallSeconds Day(const char* text) {
    WallSeconds value = 0;
    EXPECT_TRUE(ParseDateText(text, value)) << text;
    return value;
}

TEST(WallTime, QueryInstantsHonourTheirZone) {
    int64_t west = 0, east = 0, utc = 0, plain = 0, blank = 0;
    ASSERT_TRUE(ParseQueryInstant("2008-02-01T00:00:00-07:00", 0, west));
    ASSERT_TRUE(ParseQueryInstant("2008-02-01T00:00:00+08:00", 0, east));
    ASSERT_TRUE(ParseQueryInstant("2008-02-01T00:00:00.000Z", 0, utc));
    ASSERT_TRUE(ParseQueryInstant("2008-02-01", -7 * 60, plain));
    // A '+' that some decoder turned into a blank still means east of UTC.
    ASSERT_TRUE(ParseQueryInstant("2008-02-01T00:00:00 08:00", 0, blank));
    EXPECT_EQ(west - utc, 7 * 3600);
    EXPECT_EQ(utc - east, 8 * 3600);
    EXPECT_EQ(plain, west);
    EXPECT_EQ(blank, east);
    EXPECT_EQ(utc, Day("2008-02-01"));
}

TEST(WallTime, RefusesTextsThatAreNotInstants) {
    int64_t value = 0;
    for (const char* bad : {"", "2008-02-30", "2008-13-01", "08-02-01", "2008-02-01T", "2008-02-01T24:00:00",
                            "2008-02-01T10:00", "2008-02-01T10:00:00-7", "2008-02-01T10:00:00.", "2008-02-01x",
                            "2008-02-01T10:00:00+15:00", "abcd-ef-gh", "2008-02-01T10:00:00-07:00junk"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(ParseQueryInstant(bad, 0, value));
    }
}

TEST(WallTime, FeedTextsHaveTheClientsShapes) {
    const WallSeconds start = Day("2008-03-05") + 9 * 3600 + 5 * 60 + 7;
    EXPECT_EQ(FormatFeedTime(start, -8 * 60), "2008-03-05T09:05:07.000-08:00");
    EXPECT_EQ(FormatFeedTime(start, 5 * 60 + 30), "2008-03-05T09:05:07.000+05:30");
    EXPECT_EQ(FormatDateText(start), "2008-03-05");
    EXPECT_EQ(FormatUtcStamp(Day("1999-12-31") + 86399), "1999-12-31T23:59:59.000Z");
    EXPECT_EQ(FormatDateText(Day("2008-02-29") + kSecondsPerDay), "2008-03-01");
}

TEST(WallTime, WallTextsTellDatesFromTimes) {
    WallSeconds value = 0;
    bool dateOnly = false;
    ASSERT_TRUE(ParseWallText("2008-03-05", value, dateOnly));
    EXPECT_TRUE(dateOnly);
    ASSERT_TRUE(ParseWallText("2008-03-05 09:30", value, dateOnly));
    EXPECT_FALSE(dateOnly);
    EXPECT_EQ(value, Day("2008-03-05") + 9 * 3600 + 30 * 60);
    ASSERT_TRUE(ParseWallText("2008-03-05T09:30:15", value, dateOnly));
    EXPECT_EQ(value % 60, 15);
    EXPECT_FALSE(ParseWallText("2008-03-05_09:30", value, dateOnly));
    EXPECT_FALSE(ParseWallText("2008-03-05 9:30", value, dateOnly));
}

TEST(WallTime, ZoneTexts) {
    int minutes = 0;
    ASSERT_TRUE(ParseZoneText("-05:00", minutes));
    EXPECT_EQ(minutes, -300);
    ASSERT_TRUE(ParseZoneText("+0530", minutes));
    EXPECT_EQ(minutes, 330);
    EXPECT_EQ(FormatZoneText(-90), "-01:30");
    EXPECT_EQ(FormatZoneText(0), "+00:00");
    for (const char* bad : {"", "5", "+5:00", "05:00", "+05:60", "+05-00"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(ParseZoneText(bad, minutes));
    }
}

}  // namespace
}  // namespace tessel::service
