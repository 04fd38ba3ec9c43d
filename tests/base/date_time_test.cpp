#include "base/date_time.h"

#include <gtest/gtest.h>

#include "base/errors.h"

namespace tessel {
namespace {

TEST(DateTimeTest, EpochAndKnownDays) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(2009, 10, 5), 40091.0);
    EXPECT_EQ(DayOfWeek(EncodeDate(2009, 10, 5)), 2);  // a Monday
    EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 6)), 1);  // a Sunday
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7);
}

TEST(DateTimeTest, DecodeInvertsEncodeOverFourCenturies) {
    for (int year = 1800; year <= 2400; year += 7) {
        for (int month = 1; month <= 12; ++month) {
            for (int day : {1, 28, DaysInMonth(year, month)}) {
                const DateParts d = DecodeDate(EncodeDate(year, month, day) + 0.75);
                ASSERT_EQ(d.year, year);
                ASSERT_EQ(d.month, month);
                ASSERT_EQ(d.day, day);
            }
        }
    }
}

TEST(DateTimeTest, TimeOfDayRoundsToTheMillisecond) {
    const TDateTime t = EncodeDateTime(2009, 10, 5, 14, 30, 15, 250);
    const TimeParts p = DecodeTime(t);
    EXPECT_EQ(p.hour, 14);
    EXPECT_EQ(p.minute, 30);
    EXPECT_EQ(p.second, 15);
    EXPECT_EQ(p.millisecond, 250);
    // A value a hair below midnight belongs to the next day, for the date and the time alike.
    const TDateTime almost = EncodeDate(2009, 10, 6) - 1e-10;
    EXPECT_EQ(DecodeDate(almost).day, 6);
    EXPECT_EQ(DecodeTime(almost).hour, 0);
    EXPECT_EQ(DateOf(t), EncodeDate(2009, 10, 5));
}

TEST(DateTimeTest, InvalidPartsRaiseTheEncodeErrors) {
    EXPECT_THROW(EncodeDate(2009, 13, 1), EConvertError);
    EXPECT_THROW(EncodeDate(2009, 2, 29), EConvertError);
    EXPECT_NO_THROW(EncodeDate(2008, 2, 29));
    try {
        EncodeTime(24, 0, 0, 0);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Invalid argument to time encode");
    }
}

TEST(DateTimeTest, IncMonthClampsTheDay) {
    EXPECT_EQ(IncMonth(EncodeDate(2009, 1, 31), 1), EncodeDate(2009, 2, 28));
    EXPECT_EQ(IncMonth(EncodeDate(2009, 1, 15), -1), EncodeDate(2008, 12, 15));
    EXPECT_EQ(IncMonth(EncodeDate(2009, 12, 31) + 0.5, 2), EncodeDate(2010, 2, 28) + 0.5);
}

TEST(DateTimeTest, IsoTextRoundTrip) {
    const TDateTime t = EncodeDateTime(2010, 1, 2, 3, 4, 5);
    EXPECT_EQ(FormatIsoDateTime(t), "2010-01-02 03:04:05");
    TDateTime back = 0;
    ASSERT_TRUE(TryParseDateTimeText("2010-01-02 03:04:05", back));
    EXPECT_EQ(back, t);
    ASSERT_TRUE(TryParseDateTimeText("1/2/2010 03:04:05", back));
    EXPECT_EQ(back, t);
    EXPECT_FALSE(TryParseDateTimeText("not a date", back));
    EXPECT_FALSE(TryParseDateTimeText("2010-13-02", back));
}

}  // namespace
}  // namespace tessel
