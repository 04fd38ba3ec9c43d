// What the windows ask the merged list: day texts in the locale's time separator, days with
// events, the next event to remind of and its balloon; and the client's own list and status.
#include "calendar/event_sources.h"
#include "calendar_fixture.h"

namespace tessel::testing {
namespace {

using ::testing::ElementsAre;

class DottedLocale final : public ILocaleFormat {
public:
    char16_t TimeSeparator() const override { return u'.'; }
    std::u16string ShortDate(TDateTime) const override { return u"D"; }
    std::u16string LongTime(TDateTime) const override { return u"T"; }
};

class CalendarModel : public CalendarClientTest {
protected:
    void Add(const std::string& key, TDateTime start, TDateTime end, bool allDay, std::u16string title) {
        Tevent e;
        e.StartTime = start;
        e.EndTime = end;
        e.AllDay = allDay;
        e.Texts = TeventTexts(key, title, {});
        sources.Events.push_back({e});
    }
    const TDateTime day = EncodeDate(2008, 3, 15);
    TSubscriptions store{folder.Folder()};
    TEventSources sources{calendar, account, store, http, clock, locale, balloons, folder.Folder()};
};

TEST_F(CalendarModel, EmptyListAnswersEveryQuestion) {
    EXPECT_FALSE(sources.HasEventsOn(day));
    EXPECT_EQ(sources.DayText(day), u"No Event");
    EXPECT_EQ(sources.FindNextEvent(), clock.Now() + 3);
    EXPECT_EQ(sources.NextIndex, -1);
    sources.NotifyNextEvent();
    EXPECT_TRUE(balloons.Shown.empty());
}

TEST_F(CalendarModel, DayTextUsesTheLocaleSeparator) {
    Add("2008-03-15", day, day + 1, true, u"A");
    Add("2008-03-15T14:00", day + EncodeTime(14, 0, 0, 0), day + EncodeTime(15, 30, 0, 0), false, u"B");
    EXPECT_EQ(sources.DayText(day), u"All Day - A\r2:00 PM-3:30 PM - B");
    EXPECT_TRUE(sources.HasEventsOn(day));

    DottedLocale dotted;
    TEventSources other{calendar, account, store, http, clock, dotted, balloons, folder.Folder()};
    other.Events = sources.Events;
    EXPECT_EQ(other.DayText(day), u"All Day - A\r2.00 PM-3.30 PM - B");
}

TEST_F(CalendarModel, NextEventSkipsAllDayNotifiedAndPastRecords) {
    Add("1", clock.Now() - 1, clock.Now(), false, u"past");
    Add("2", clock.Now() + 0.5, clock.Now() + 1, true, u"all day");
    Add("3", clock.Now() + 0.1, clock.Now() + 0.2, false, u"notified");
    sources.Events.back().Event.Notified = true;
    Add("4", clock.Now() + 0.2, clock.Now() + 0.3, false, u"next");
    EXPECT_EQ(sources.FindNextEvent(), clock.Now() + 0.2);
    EXPECT_EQ(sources.NextIndex, 3);

    clock.Advance(1);
    EXPECT_EQ(sources.FindNextEvent(), clock.Now() + 3);
    EXPECT_EQ(sources.NextIndex, -1);
}

TEST_F(CalendarModel, ReminderBalloonIsShownOncePerRecord) {
    Add("1", day + EncodeTime(14, 0, 0, 0), day + EncodeTime(15, 0, 0, 0), false, u"Review");
    sources.FindNextEvent();
    sources.NotifyNextEvent();
    sources.NotifyNextEvent();
    ASSERT_EQ(balloons.Shown.size(), 1u);
    EXPECT_EQ(balloons.Shown[0].title, u"Review");
    EXPECT_EQ(balloons.Shown[0].text, ReminderText(locale, sources.Events[0].Event));
    EXPECT_EQ(balloons.Shown[0].text, u"3/15/2008 2:00:00 PM-3/15/2008 3:00:00 PM");
    EXPECT_EQ(balloons.Shown[0].timeout, 50);
    EXPECT_TRUE(sources.Events[0].Event.Notified);
}

TEST_F(CalendarModel, StaleNextIndexIsIgnored) {
    sources.NextIndex = 5;
    sources.NotifyNextEvent();
    EXPECT_TRUE(balloons.Shown.empty());
}

TEST_F(CalendarModel, ClearEventDocEmptiesTreeListAndIndex) {
    calendar.EventDoc->LoadFromBytes("<feed><entry/><entry/></feed>");
    calendar.EventEntries = calendar.EventDoc->SelectNodes(u"entry");
    Add("1", day, day + 1, true, u"A");
    calendar.ClearEventDoc();
    EXPECT_EQ(calendar.EventDoc->ChildCount(), 0u);
    EXPECT_EQ(calendar.EventDoc->Name(), u"feed");
    EXPECT_EQ(calendar.EventEntries, nullptr);
    EXPECT_TRUE(calendar.Events.empty());
}

TEST_F(CalendarModel, ReportStatusWithoutHandlerDropsTheMessage) {
    calendar.ReportStatus("one");
    calendar.OnStatus = nullptr;
    calendar.ReportStatus("two");
    EXPECT_THAT(statuses, ElementsAre("one"));
}

}  // namespace
}  // namespace tessel::testing
