#include "atom_feed.h"

#include <gtest/gtest.h>

namespace tessel::service {
namespace {

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

WallSeconds Day(const char* text) {
    WallSeconds value = 0;
    EXPECT_TRUE(ParseDateText(text, value));
    return value;
}

class AtomFeed : public ::testing::Test {
protected:
    AtomFeed() {
        context.host = "127.0.0.1:8080";
        context.domain = "example.test";
        context.zoneMinutes = -7 * 60;
        context.updated = Day("2008-03-15");
        account.email = "jane@example.test";
        account.name = "Jane";
        calendar = {"work@example.test", "Work & <Play>", "#2952A3", {}};
        EventRecord weekly;
        weekly.id = "weekly";
        weekly.title = "Bob's \"party\"";
        weekly.start = Day("2008-02-25") + 10 * 3600;
        weekly.end = weekly.start + 3600;
        weekly.repeat = Repeat::Weekly;
        weekly.count = 6;  // 25 Feb to 31 Mar
        calendar.events.push_back(weekly);
        EventRecord trip;
        trip.id = "trip";
        trip.title = "Trip";
        trip.allDay = true;
        trip.start = Day("2008-03-30");
        trip.end = Day("2008-04-02");
        calendar.events.push_back(trip);
        account.calendars = {calendar};
    }

    std::string Feed(const char* from, const char* to) const {
        TimeRange range;
        int64_t instant = 0;
        if (from && ParseQueryInstant(from, 0, instant)) range.startMin = instant;
        if (to && ParseQueryInstant(to, 0, instant)) range.startMax = instant;
        return WriteEventFeed(context, account, calendar, range);
    }

    FeedContext context;
    AccountRecord account;
    CalendarRecord calendar;
};

TEST_F(AtomFeed, CalendarListCarriesWhatTheClientReads) {
    const std::string feed = WriteCalendarListFeed(context, account);
    EXPECT_NE(feed.find("xmlns:gCal="), std::string::npos);
    EXPECT_NE(feed.find("xmlns:gd="), std::string::npos);
    EXPECT_NE(feed.find("xmlns:openSearch="), std::string::npos);
    EXPECT_NE(feed.find("xmlns='http://www.w3.org/2005/Atom'"), std::string::npos);
    EXPECT_EQ(Count(feed, "<entry>"), 1u);
    EXPECT_NE(feed.find("<title type='text'>Work &amp; &lt;Play&gt;</title>"), std::string::npos);
    EXPECT_NE(feed.find("<content type='application/atom+xml' "
                        "src='http://127.0.0.1:8080/calendar/feeds/work%40example.test/private/full'/>"),
              std::string::npos);
    EXPECT_NE(feed.find("<gCal:color value='#2952A3'/>"), std::string::npos);
    EXPECT_NE(feed.find("<id>http://127.0.0.1:8080/calendar/feeds/default/allcalendars/full/work%40example.test</id>"),
              std::string::npos);
    EXPECT_NE(feed.find("example.test"), std::string::npos);
}

TEST_F(AtomFeed, EventIdsContainTheirCalendarsFeedAddress) {
    // The client finds an event's colour by looking for the calendar's src inside the event's id.
    const std::string feed = Feed(nullptr, nullptr);
    const std::string src = EventFeedAddress(context, calendar);
    EXPECT_NE(feed.find("<id>" + src + "/weekly</id>"), std::string::npos);
    EXPECT_NE(feed.find("<id>" + src + "/trip</id>"), std::string::npos);
    EXPECT_NE(feed.find("<link rel='alternate' type='text/html' "
                        "href='http://127.0.0.1:8080/calendar/event/work%40example.test/weekly'"),
              std::string::npos);
}

TEST_F(AtomFeed, RepeatsExpandToOneWhenPerOccurrenceInRange) {
    EXPECT_EQ(Count(Feed(nullptr, nullptr), "<gd:when "), 7u);
    // The client's window for 15 March in a zone 7 hours west: February to April.
    const std::string window = Feed("2008-02-01T00:00:00-07:00", "2008-04-30T23:59:59-07:00");
    EXPECT_EQ(Count(window, "<entry>"), 2u);
    EXPECT_EQ(Count(window, "<gd:when "), 7u);
    const std::string march = Feed("2008-03-01T00:00:00-07:00", "2008-03-20T00:00:00-07:00");
    EXPECT_EQ(Count(march, "<entry>"), 1u);
    EXPECT_EQ(Count(march, "<gd:when "), 3u);  // 3, 10 and 17 March
    EXPECT_NE(march.find("<gd:when startTime='2008-03-03T10:00:00.000-07:00' endTime='2008-03-03T11:00:00.000-07:00'/>"),
              std::string::npos);
    EXPECT_NE(march.find("<openSearch:totalResults>1</openSearch:totalResults>"), std::string::npos);
}

TEST_F(AtomFeed, RangeBoundsCompareInstantsAndOverlap) {
    // 10:00-11:00 at -07:00 is 17:00-18:00 UTC.
    EXPECT_EQ(Count(Feed("2008-03-03T17:59:59Z", "2008-03-03T18:00:00Z"), "<gd:when "), 1u);
    EXPECT_EQ(Count(Feed("2008-03-03T18:00:00Z", "2008-03-04T00:00:00Z"), "<gd:when "), 0u);  // ended
    EXPECT_EQ(Count(Feed("2008-03-03T00:00:00Z", "2008-03-03T17:00:00Z"), "<gd:when "), 0u);  // not started
    EXPECT_EQ(Count(Feed("2008-03-03T00:00:00Z", "2008-03-03T17:00:01Z"), "<gd:when "), 1u);
    // The trip spans 30 March to 1 April: a window on 1 April still lists it, with its own dates.
    const std::string april = Feed("2008-04-01T12:00:00-07:00", "2008-04-01T13:00:00-07:00");
    EXPECT_NE(april.find("<gd:when startTime='2008-03-30' endTime='2008-04-02'/>"), std::string::npos);
    EXPECT_EQ(Count(Feed("2008-04-02T00:00:00-07:00", "2008-04-03T00:00:00-07:00"), "<entry>"), 0u);
}

TEST_F(AtomFeed, TextsAreEscapedButQuotesInTextsStay) {
    const std::string feed = Feed(nullptr, nullptr);
    EXPECT_NE(feed.find("<title type='text'>Bob's \"party\"</title>"), std::string::npos);
    EXPECT_EQ(XmlAttribute("a'b\"c&<>"), "a&apos;b&quot;c&amp;&lt;&gt;");
    EXPECT_EQ(XmlText("a\x01" "b\tc\r\nd"), "a?b\tc\r\nd");
}

}  // namespace
}  // namespace tessel::service
