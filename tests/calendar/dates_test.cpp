#include "calendar/dates.h"

#include <gtest/gtest.h>

#include "base/errors.h"

namespace tessel {
namespace {

TEST(DayNames, SevenDaysFromASundayInOrder) {
    // 4 October 2009 was a Sunday.
    const char16_t* expected[] = {u"Sunday", u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday", u"Saturday"};
    const TDateTime sunday = EncodeDate(2009, 10, 4);
    for (int i = 0; i < 7; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(DayNameOf(sunday + i), expected[i]);
        std::u16string name = u"unchanged";
        DayName(i + 1, name);
        EXPECT_EQ(name, expected[i]);
    }
    // The time of day does not move the weekday, nor does the turn of a year.
    EXPECT_EQ(DayNameOf(EncodeDateTime(2009, 10, 5, 23, 59)), u"Monday");
    EXPECT_EQ(DayNameOf(EncodeDate(2010, 1, 1)), u"Friday");
}

TEST(DayNames, NumberOutsideTheWeekLeavesTheTextAlone) {
    for (int n : {0, 8, -1, 100}) {
        SCOPED_TRACE(n);
        std::u16string name = u"before";
        DayName(n, name);
        EXPECT_EQ(name, u"before");
    }
}

TEST(MonthNames, EveryMonthAndTheTurnOfTheYear) {
    const char16_t* expected[] = {u"January", u"February", u"March",     u"April",   u"May",      u"June",
                                  u"July",    u"August",   u"September", u"October", u"November", u"December"};
    for (int month = 1; month <= 12; ++month) {
        SCOPED_TRACE(month);
        EXPECT_EQ(MonthName(EncodeDate(2009, month, 1)), expected[month - 1]);
        EXPECT_EQ(MonthName(EncodeDate(2009, month, DaysInMonth(2009, month))), expected[month - 1]);
    }
    const TDateTime lastMinute = EncodeDateTime(2009, 12, 31, 23, 59);
    EXPECT_EQ(MonthName(lastMinute), u"December");
    EXPECT_EQ(MonthName(lastMinute + 2 * kOneMinute), u"January");
    EXPECT_EQ(MonthName(EncodeDate(2008, 2, 29)), u"February");
}

void ExpectDateTime(TDateTime value, int year, int month, int day, int hour, int minute) {
    const DateParts date = DecodeDate(value);
    const TimeParts time = DecodeTime(value);
    EXPECT_EQ(date.year, year);
    EXPECT_EQ(date.month, month);
    EXPECT_EQ(date.day, day);
    EXPECT_EQ(time.hour, hour);
    EXPECT_EQ(time.minute, minute);
    EXPECT_EQ(time.second, 0);
    EXPECT_EQ(time.millisecond, 0);
}

TEST(FeedDateTime, ReadsDateAndTimeByPositionAndIgnoresTheRest) {
    ExpectDateTime(ParseFeedDateTime("2009-10-05T14:30:00.000-07:00"), 2009, 10, 5, 14, 30);
    ExpectDateTime(ParseFeedDateTime("2009-10-05T14:30:59.999Z"), 2009, 10, 5, 14, 30);
    ExpectDateTime(ParseFeedDateTime("2009-10-05"), 2009, 10, 5, 0, 0);
    ExpectDateTime(ParseFeedDateTime("2008-02-29T00:01:00"), 2008, 2, 29, 0, 1);
    // The zone suffix does not shift the wall-clock time.
    EXPECT_EQ(ParseFeedDateTime("2009-10-05T14:30:00Z"), ParseFeedDateTime("2009-10-05T14:30:00+09:00"));
}

TEST(FeedDateTime, HourAndMinuteNeedEighteenCharacters) {
    ExpectDateTime(ParseFeedDateTime("2009-10-05T23:59"), 2009, 10, 5, 0, 0);    // 16 characters
    ExpectDateTime(ParseFeedDateTime("2009-10-05T23:59Z"), 2009, 10, 5, 0, 0);   // 17
    ExpectDateTime(ParseFeedDateTime("2009-10-05T23:59:0"), 2009, 10, 5, 23, 59);  // 18
    // Below 18 characters the time part is not read at all, so it may even be junk.
    ExpectDateTime(ParseFeedDateTime("2009-10-05 junk!!"), 2009, 10, 5, 0, 0);
}

void ExpectConvertError(std::string_view text, const char* message) {
    SCOPED_TRACE(std::string(text));
    try {
        ParseFeedDateTime(text);
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), message);
    }
}

TEST(FeedDateTime, BadFieldsRaiseConversionErrors) {
    ExpectConvertError("2009-1a-05", "'1a' is not a valid integer value");
    ExpectConvertError("year-10-05", "'year' is not a valid integer value");
    ExpectConvertError("2009-10-05T1x:30:00", "'1x' is not a valid integer value");
    ExpectConvertError("2009-13-05", "Invalid argument to date encode");
    ExpectConvertError("2009-02-29", "Invalid argument to date encode");
    ExpectConvertError("2009-10-00", "Invalid argument to date encode");
    ExpectConvertError("2009-10-05T24:00:00", "Invalid argument to time encode");
    ExpectConvertError("2009-10-05T12:60:00", "Invalid argument to time encode");
}

TEST(FeedDateTime, TextShorterThanADateIsRefused) {
    ExpectConvertError("2009-10-5", "'2009-10-5' is not a valid date and time");
    ExpectConvertError("", "'' is not a valid date and time");
}

}  // namespace
}  // namespace tessel
