// iCalendar occurrences as event records: local times, keys the list sorts by, titles, links,
// and the day texts the windows build from them.
#include <gtest/gtest.h>

#include "base/date_time.h"
#include "calendar/ical_events.h"

namespace tessel {
namespace {

// One hour east of UTC all year.
class OneHourEast final : public ical::Zone {
public:
    int32_t OffsetAt(int64_t) const override { return 3600; }
};

TEST(IcalEvents, RecordsInLocalTimeSortedByKey) {
    const ical::Calendar c = ical::ReadCalendar(
        "BEGIN:VCALENDAR\r\n"
        "BEGIN:VEVENT\r\nUID:1\r\nSUMMARY:Review\\nwith notes\r\nURL:https://example.org/e/1\r\n"
        "DTSTART:20260305T080000Z\r\nDTEND:20260305T093000Z\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:2\r\nSUMMARY:Holiday\r\nDTSTART;VALUE=DATE:20260305\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:3\r\nSUMMARY:Caf\xC3\xA9\r\nDTSTART:20260304T230000Z\r\nRRULE:FREQ=DAILY;COUNT=3\r\nEND:VEVENT\r\n"
        "END:VCALENDAR\r\n",
        "t.ics");
    const OneHourEast local;
    const EventList events = IcalEvents(c, EncodeDate(2026, 3, 5), EncodeDate(2026, 3, 7), local, 0x123456);

    std::vector<std::string> keys;
    for (const auto& item : events) keys.emplace_back(item.Key());
    // 23:00 UTC on the 4th is midnight of the 5th here; the third instance is on the 7th.
    EXPECT_EQ(keys, (std::vector<std::string>{"2026-03-05", "2026-03-05T00:00:00", "2026-03-05T09:00:00",
                                              "2026-03-06T00:00:00"}));
    const Tevent& review = events[2].Event;
    EXPECT_EQ(review.StartTime, EncodeDateTime(2026, 3, 5, 9, 0));
    EXPECT_NEAR(review.EndTime, EncodeDateTime(2026, 3, 5, 10, 30), 1e-9);
    EXPECT_EQ(review.Title(), u"Review with notes");
    EXPECT_EQ(review.Link(), "https://example.org/e/1");
    EXPECT_EQ(review.Color, 0x123456u);
    EXPECT_TRUE(events[0].Event.AllDay);
    EXPECT_EQ(events[0].Event.EndTime, EncodeDate(2026, 3, 6));
    EXPECT_EQ(DayText(events, EncodeDate(2026, 3, 5), u':'),
              u"All Day - Holiday\r12:00 AM-12:00 AM - Caf\u00E9\r9:00 AM-10:30 AM - Review with notes");
    EXPECT_FALSE(HasEventsOn(events, EncodeDate(2026, 3, 7)));
}

}  // namespace
}  // namespace tessel
