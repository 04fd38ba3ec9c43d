#include "calendar/event.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "calendar/locale_format.h"

namespace tessel {
namespace {

EventItem Timed(const char* key, TDateTime start, TDateTime end, const char16_t* title) {
    EventItem item;
    item.Event.StartTime = start;
    item.Event.EndTime = end;
    item.Event.Texts = TeventTexts(key, title, {});
    return item;
}

EventItem AllDay(const char* key, TDateTime day, const char16_t* title) {
    EventItem item = Timed(key, day, day + 1, title);
    item.Event.AllDay = true;
    return item;
}

std::vector<std::string> Keys(const EventList& events) {
    std::vector<std::string> keys;
    for (const auto& e : events) keys.emplace_back(e.Key());
    return keys;
}

// A record's texts share one block: each must come back whole, whatever the others' lengths (an
// odd key before the UTF-16 title, empty texts), through copies, moves and assignments.
TEST(EventTextsTest, EachTextSurvivesCopiesMovesAndAssignments) {
    const std::string longLink = "https://example.org/" + std::string(70000, 'x');
    struct Case {
        std::string key;
        std::u16string title;
        std::string link;
    } cases[] = {
        {"", u"", ""},
        {"2009-10-05T14:30:00.000-07:00", u"Z\u00fcrich & \u6771\u4eac", "http://www.calendar.test/event?eid=t"},
        {"2008-03-05", u"", ""},
        {"", u"\U0001F600 title only", ""},
        {"x", u"odd", longLink},
        {"", u"", "link only"},
    };
    for (const Case& c : cases) {
        const auto check = [&c](const Tevent& e, const char* how) {
            EXPECT_EQ(e.Texts.Key(), c.key) << how;
            EXPECT_EQ(e.Title(), std::u16string_view(c.title)) << how;
            EXPECT_EQ(e.Link(), c.link) << how;
        };
        Tevent made;
        made.Texts = TeventTexts(c.key, c.title, c.link);
        check(made, "made");
        Tevent copied = made;
        check(copied, "copied");
        check(made, "copied from");
        Tevent assigned;
        assigned.Texts = TeventTexts("old", u"old title", "old link");
        assigned = copied;
        check(assigned, "assigned");
        assigned = static_cast<const Tevent&>(assigned);
        check(assigned, "assigned to itself");
        Tevent moved = std::move(copied);
        check(moved, "moved");
        EXPECT_TRUE(copied.Texts.Key().empty() && copied.Title().empty() && copied.Link().empty());
        // Its own texts in, its old block out: the new block is made before the old one goes.
        moved.Texts = TeventTexts(moved.Texts.Key(), moved.Title(), moved.Link());
        check(moved, "remade from itself");
    }
}

TEST(EventSortTest, KeysCompareAsciiWithoutCaseAndPrefixFirst) {
    EXPECT_EQ(CompareKeys("2008-03-05", "2008-03-05T08:00:00.000Z"), -1);
    EXPECT_EQ(CompareKeys("abc", "ABC"), 0);
    EXPECT_EQ(CompareKeys("t", "Z"), -1);  // folded onto capitals: T < Z
    EXPECT_EQ(CompareKeys("_", "a"), 1);   // '_' (0x5F) sorts after 'A' (0x41)
    EXPECT_EQ(CompareKeys("\xC3", "z"), 1);
}

TEST(EventSortTest, AllDaySortsBeforeTimedEventsOfTheSameDay) {
    const TDateTime day = EncodeDate(2008, 3, 5);
    EventList events;
    events.push_back(Timed("2008-03-05T08:00:00.000Z", day + 1.0 / 3, day + 0.5, u"B"));
    events.push_back(Timed("2008-03-06T09:00:00.000-08:00", day + 1.4, day + 1.5, u"C"));
    events.push_back(AllDay("2008-03-05", day, u"A"));
    events.push_back(Timed("2008-03-04t23:00:00.000-08:00", day - 0.05, day, u"Z"));
    SortEvents(events);
    EXPECT_EQ(Keys(events), (std::vector<std::string>{"2008-03-04t23:00:00.000-08:00", "2008-03-05",
                                                      "2008-03-05T08:00:00.000Z", "2008-03-06T09:00:00.000-08:00"}));
    EXPECT_EQ(events[1].Event.Title(), u"A");  // records travel with their keys
}

TEST(EventSortTest, SortsLargeListsIncludingAdversarialOrders) {
    std::mt19937 random(7);
    for (int pattern = 0; pattern < 4; ++pattern) {
        EventList events;
        const int n = 20000;
        for (int i = 0; i < n; ++i) {
            int v = pattern == 0 ? int(random() % 5000) : pattern == 1 ? i : pattern == 2 ? n - i : i % 3;
            char key[32];
            std::snprintf(key, sizeof key, "2009-%05d", v);
            events.push_back(Timed(key, 0, 0, u""));
        }
        SortEvents(events);
        ASSERT_TRUE(std::is_sorted(events.begin(), events.end(), [](const EventItem& a, const EventItem& b) {
            return CompareKeys(a.Key(), b.Key()) < 0;
        })) << "pattern " << pattern;
        ASSERT_EQ(events.size(), size_t(n));
    }
    EventList empty;
    SortEvents(empty);
    EXPECT_TRUE(empty.empty());
}

TEST(EventDayTest, DayTextListsAllDayAndTimedLinesSeparatedByCr) {
    const TDateTime day = EncodeDate(2009, 10, 5);
    EventList events;
    events.push_back(AllDay("2009-10-05", day, u"A"));
    events.push_back(Timed("2009-10-05T14:00", day + EncodeTime(14, 0, 0, 0), day + EncodeTime(15, 30, 0, 0), u"B"));
    EXPECT_EQ(DayText(events, day + 0.3, u':'), u"All Day - A\r2:00 PM-3:30 PM - B");
    EXPECT_EQ(DayText(events, day, u'.'), u"All Day - A\r2.00 PM-3.30 PM - B");
}

TEST(EventDayTest, OnlyTheStartDayCountsAndEmptyTitlesKeepTheirPrefix) {
    const TDateTime day = EncodeDate(2009, 10, 5);
    EventList events;
    events.push_back(Timed("x", day + 0.9, day + 2.5, u""));  // spans three days
    EXPECT_TRUE(HasEventsOn(events, day));
    EXPECT_FALSE(HasEventsOn(events, day + 1));
    EXPECT_EQ(DayText(events, day + 1, u':'), u"No Event");
    EXPECT_EQ(DayText(events, day, u':'), u"9:36 PM-12:00 PM - ");
    EXPECT_EQ(DayText({}, day, u':'), u"No Event");
    EXPECT_FALSE(HasEventsOn({}, day));
}

// The day's records are found by binary search in the sorted list: days at either end, days
// with one and many records, days between and outside the list, and a day at midnight exactly.
TEST(EventDayTest, DayQuestionsFindTheirRunInASortedList) {
    const TDateTime d1 = EncodeDate(2010, 1, 1);
    EventList events;
    events.push_back(AllDay("2010-01-01", d1, u"First"));
    events.push_back(Timed("2010-01-01T23:59", d1 + EncodeTime(23, 59, 0, 0), d1 + 1, u"Late"));
    events.push_back(Timed("2010-01-03T00:00", d1 + 2, d1 + 2 + EncodeTime(1, 0, 0, 0), u"Midnight"));
    for (int i = 0; i < 5; ++i)
        events.push_back(Timed("2010-01-04T10:00", d1 + 3 + EncodeTime(10, i, 0, 0), d1 + 3 + EncodeTime(11, 0, 0, 0),
                               i % 2 ? u"Odd" : u"Even"));
    for (int day = 10; day < 40; day += 3)
        events.push_back(AllDay("2010-01-xx", d1 + day, u"Filler"));
    events.push_back(AllDay("2010-02-20", d1 + 50, u"Last"));

    struct Case {
        double day;
        size_t count;
        const char16_t* text;
    };
    const Case cases[] = {
        {-1, 0, u"No Event"},
        {0.99, 2, u"All Day - First\r11:59 PM-12:00 AM - Late"},
        {1.5, 0, u"No Event"},
        {2, 1, u"12:00 AM-1:00 AM - Midnight"},
        {3.2, 5, u"10:00 AM-11:00 AM - Even\r10:01 AM-11:00 AM - Odd\r10:02 AM-11:00 AM - Even\r"
                 u"10:03 AM-11:00 AM - Odd\r10:04 AM-11:00 AM - Even"},
        {4, 0, u"No Event"},
        {22, 1, u"All Day - Filler"},
        {23, 0, u"No Event"},
        {50, 1, u"All Day - Last"},
        {51, 0, u"No Event"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.day);
        const DayRun run = EventsOfDay(events, d1 + c.day);
        EXPECT_EQ(size_t(run.last - run.first), c.count);
        EXPECT_EQ(HasEventsOn(events, d1 + c.day), c.count > 0);
        EXPECT_EQ(DayText(events, d1 + c.day, u':'), c.text);
    }
}

TEST(EventDayTest, TwelveHourClockEdges) {
    const TDateTime day = EncodeDate(2009, 1, 1);
    EXPECT_EQ(FormatTimeAmPm(day + EncodeTime(0, 15, 0, 0), u':'), u"12:15 AM");
    EXPECT_EQ(FormatTimeAmPm(day + EncodeTime(12, 5, 0, 0), u':'), u"12:05 PM");
    EXPECT_EQ(FormatTimeAmPm(day + EncodeTime(23, 59, 0, 0), u':'), u"11:59 PM");
    EXPECT_EQ(FormatTimeAmPm(day + EncodeTime(9, 0, 0, 0), u':'), u"9:00 AM");
}

TEST(EventNextTest, SkipsAllDayNotifiedAndPastRecords) {
    const TDateTime now = EncodeDateTime(2009, 10, 5, 12, 0);
    EventList events;
    events.push_back(AllDay("a", DateOf(now) + 1, u"all day"));
    events.push_back(Timed("b", now - 0.1, now, u"past"));
    events.push_back(Timed("c", now + 0.5 / kMSecsPerDay, now + 1, u"now, within a millisecond"));
    events.push_back(Timed("d", now + 0.1, now + 0.2, u"notified"));
    events.back().Event.Notified = true;
    events.push_back(Timed("e", now + 0.2, now + 0.3, u"next"));
    EXPECT_EQ(FindNextEventIndex(events, now), 4);
    events[4].Event.Notified = true;
    EXPECT_EQ(FindNextEventIndex(events, now), -1);
    EXPECT_EQ(FindNextEventIndex({}, now), -1);
}

TEST(EventNextTest, ReminderTextLeavesOutMidnight) {
    DefaultLocaleFormat locale;
    Tevent e;
    e.StartTime = EncodeDateTime(2009, 10, 5, 14, 30);
    e.EndTime = EncodeDate(2009, 10, 6);
    EXPECT_EQ(ReminderText(locale, e), u"10/5/2009 2:30:00 PM-10/6/2009");
}

TEST(EventCleanTest, RemovesCrLfPairsQuotesAndOuterBlanks) {
    EXPECT_EQ(CleanText("Bob's party"), "Bobs party");
    EXPECT_EQ(CleanText("  \"quoted\"\r\n        "), "quoted");
    EXPECT_EQ(CleanText("line1\r\nline2"), "line1line2");
    EXPECT_EQ(CleanText("lone\rcr and\nlf"), "lone\rcr and\nlf");  // only the pair goes
    EXPECT_EQ(CleanText("'alternate'"), "alternate");
    EXPECT_EQ(CleanText("caf\xC3\xA9 "), "caf\xC3\xA9");
    // Quotes, pairs and blanks mixed at the ends, and what is left when nothing else is.
    EXPECT_EQ(CleanText("\r\n  '\" x \"'\r\n\t"), "x");
    EXPECT_EQ(CleanText("\"\r\n a\r\n\"b \r"), "ab");
    EXPECT_EQ(CleanText(" '\" \r\n"), "");
    EXPECT_EQ(CleanText("\r\r\nx"), "x");
}

}  // namespace
}  // namespace tessel
