// Event records made from feed entries: times, all-day records, cleaned titles, colours from
// the calendar list, links, and one record per occurrence.
#include "calendar_fixture.h"

#include "xml/xdata_node.h"

namespace tessel::testing {
namespace {

using ::testing::ElementsAre;

class CalendarParse : public CalendarClientTest {
protected:
    // Loads the calendar list and the merged event feeds as the cache would, then parses.
    void Parse(const std::vector<ListedCalendar>& calendars, const std::vector<std::string>& feeds) {
        calendar.CalendarDoc = TxdataNode::Create();
        calendar.CalendarDoc->LoadFromBytes(CalendarListFeed(calendars));
        calendar.CalendarEntries = calendar.CalendarDoc->SelectNodes(u"entry");
        calendar.EventDoc = TxdataNode::Create();
        for (const auto& feed : feeds) calendar.EventDoc->LoadFromBytes(feed);
        calendar.EventEntries = calendar.EventDoc->SelectNodes(u"entry");
        calendar.ParseEvents();
    }
    const Tevent& Only() const {
        EXPECT_EQ(calendar.Events.size(), 1u);
        return calendar.Events.at(0).Event;
    }
};

TEST_F(CalendarParse, AllDayEntryRunsFromMidnightToMidnight) {
    Parse({{"work", "#2952A3"}}, {EventFeed("work", {EventEntry("work", "a", "Holiday", {{"2008-03-05", "2008-03-06"}})})});
    const Tevent& e = Only();
    EXPECT_TRUE(e.AllDay);
    EXPECT_FALSE(e.Notified);
    EXPECT_EQ(e.StartTime, EncodeDate(2008, 3, 5));
    EXPECT_EQ(e.EndTime, EncodeDate(2008, 3, 6));
    EXPECT_EQ(calendar.Events[0].Key(), "2008-03-05");
}

TEST_F(CalendarParse, TimedEntryKeepsWallClockAndIgnoresTheZone) {
    Parse({{"work", "#2952A3"}},
          {EventFeed("work", {EventEntry("work", "t", "Call", {{"2009-10-05T14:30:00.000-07:00", "2009-10-05T15:00:00Z"}})})});
    const Tevent& e = Only();
    EXPECT_FALSE(e.AllDay);
    EXPECT_EQ(e.StartTime, EncodeDateTime(2009, 10, 5, 14, 30));
    EXPECT_EQ(e.EndTime, EncodeDateTime(2009, 10, 5, 15, 0));
    EXPECT_EQ(e.Link(), "http://www.calendar.test/event?eid=t");
    EXPECT_EQ(calendar.Events[0].Key(), "2009-10-05T14:30:00.000-07:00");
}

TEST_F(CalendarParse, TitlesLoseQuotesAndLineBreaksAndAreDecodedFromUtf8) {
    Parse({{"work", "#2952A3"}},
          {EventFeed("work", {EventEntry("work", "1", "  Bob's \"big\"\r\n party ", {{"2008-03-05", "2008-03-06"}}),
                              EventEntry("work", "2", "Caf\xc3\xa9 \xe6\x9d\xb1\xe4\xba\xac", {{"2008-03-07", "2008-03-08"}})})});
    EXPECT_THAT(Titles(), ElementsAre(u"Bobs big party", u"Caf\u00e9 \u6771\u4eac"));
}

TEST_F(CalendarParse, ColourComesFromTheCalendarWhoseFeedTheIdNames) {
    Parse({{"work", "#FF0000"}, {"home", "#00FF00"}, {"plain", ""}, {"short", "#FFF"}},
          {EventFeed("x", {EventEntry("home", "1", "Green", {{"2008-03-01", "2008-03-02"}}),
                           EventEntry("plain", "2", "NoColour", {{"2008-03-02", "2008-03-03"}}),
                           EventEntry("short", "3", "ShortColour", {{"2008-03-03", "2008-03-04"}}),
                           EventEntry("other", "4", "Unknown", {{"2008-03-04", "2008-03-05"}}),
                           EventEntry("work", "5", "Red", {{"2008-03-05", "2008-03-06"}})})});
    ASSERT_EQ(calendar.Events.size(), 5u);
    EXPECT_EQ(calendar.Events[0].Event.Color, 0x00FF00u);
    EXPECT_EQ(calendar.Events[1].Event.Color, 0xFFFFFFu) << "no colour: white";
    EXPECT_EQ(calendar.Events[2].Event.Color, 0xFFFFFFu) << "a colour text under 6 characters: white";
    EXPECT_EQ(calendar.Events[3].Event.Color, 0u) << "no calendar: black";
    EXPECT_EQ(calendar.Events[4].Event.Color, 0x0000FFu);
}

TEST_F(CalendarParse, CalendarColorFirstMatchWinsAndNeedsAList) {
    EXPECT_EQ(calendar.CalendarColor(FeedAddress("work") + "/e1"), "$000000");
    Parse({{"work", "#111111"}, {"work", "#222222"}}, {});
    EXPECT_EQ(calendar.CalendarColor(FeedAddress("work") + "/e1"), "#111111");
    EXPECT_EQ(calendar.CalendarColor("'" + FeedAddress("work") + "/e1'"), "#111111") << "the id is cleaned";
    EXPECT_EQ(calendar.CalendarColor("http://elsewhere/e1"), "$000000");
}

TEST_F(CalendarParse, TwoCalendarsInterleaveBySortedStartText) {
    Parse({{"work", "#FF0000"}, {"home", "#00FF00"}},
          {EventFeed("work", {EventEntry("work", "w1", "W1", {{"2008-03-03T09:00:00.000-07:00", "2008-03-03T10:00:00.000-07:00"}}),
                              EventEntry("work", "w2", "W2", {{"2008-03-05T09:00:00.000-07:00", "2008-03-05T10:00:00.000-07:00"}})}),
           EventFeed("home", {EventEntry("home", "h1", "H1", {{"2008-03-04", "2008-03-05"}}),
                              EventEntry("home", "h2", "H2", {{"2008-03-05", "2008-03-06"}})})});
    ASSERT_EQ(calendar.EventEntries->Count(), 4u);
    EXPECT_EQ(calendar.EventEntries->Node(0)->ReadValue(u"title"), u"W1");
    EXPECT_EQ(calendar.EventEntries->Node(2)->ReadValue(u"title"), u"H1");
    EXPECT_THAT(Titles(), ElementsAre(u"W1", u"H1", u"H2", u"W2")) << "all-day before timed on the same day";
}

TEST_F(CalendarParse, EachOccurrenceIsARecordAndEntriesWithoutTimesMakeNone) {
    Parse({{"work", "#FF0000"}},
          {EventFeed("work", {EventEntry("work", "r", "Yoga", {{"2008-03-10T07:00:00", "2008-03-10T08:00:00"},
                                                               {"2008-03-11T07:00:00", "2008-03-11T08:00:00"},
                                                               {"2008-03-12T07:00:00", "2008-03-12T08:00:00"}}),
                              EventEntry("work", "n", "Timeless", {})})});
    EXPECT_THAT(Titles(), ElementsAre(u"Yoga", u"Yoga", u"Yoga"));
    EXPECT_EQ(calendar.Events[2].Event.StartTime, EncodeDateTime(2008, 3, 12, 7, 0));
}

TEST_F(CalendarParse, AlternateLinkIsTheFirstExactAlternate) {
    TxdataNode entry;
    entry.LoadFromBytes(
        "<entry><link rel='self' href='http://s'/><link rel='Alternate' href='http://wrong-case'/>"
        "<link rel='alter nate' href='http://inner-blank'/><link rel='alternates' href='http://longer'/>"
        "<link rel='altern' href='http://shorter'/>"
        "<link rel=\" alternate\r\n\" href=\" http://first \"/><link rel='alternate' href='http://second'/></entry>");
    EXPECT_EQ(calendar.AlternateLink(entry), "http://first");
    TxdataNode bare;
    bare.LoadFromBytes("<entry><link rel='self' href='http://s'/></entry>");
    EXPECT_EQ(calendar.AlternateLink(bare), "");
}

TEST_F(CalendarParse, MalformedEntryRaisesAndKeepsTheList) {
    Parse({{"work", "#FF0000"}}, {EventFeed("work", {EventEntry("work", "a", "Kept", {{"2008-03-05", "2008-03-06"}})})});
    calendar.EventDoc = TxdataNode::Create();
    calendar.EventDoc->LoadFromBytes(EventFeed("work", {EventEntry("work", "b", "Bad", {{"2008-03-05", "2008-13-06"}})}));
    calendar.EventEntries = calendar.EventDoc->SelectNodes(u"entry");
    EXPECT_THROW(calendar.ParseEvents(), EConvertError);
    EXPECT_THAT(Titles(), ElementsAre(u"Kept"));
}

}  // namespace
}  // namespace tessel::testing
