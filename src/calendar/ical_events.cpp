#include "calendar/ical_events.h"

#include <cmath>
#include <cstdio>

#include "base/date_time.h"
#include "base/text.h"

namespace tessel {

namespace {

// TDateTime counts days from 30 December 1899; the library counts seconds from 1970.
constexpr int64_t kUnixEpochDay = 25569;

TDateTime ToDateTime(int64_t wall) {
    const int64_t day = FloorDiv(wall, ical::kSecondsPerDay);
    return TDateTime(day + kUnixEpochDay) + double(wall - day * ical::kSecondsPerDay) / ical::kSecondsPerDay;
}

std::string KeyOf(int64_t wall, bool allDay) {
    const int64_t day = FloorDiv(wall, ical::kSecondsPerDay);
    int64_t year;
    int month, mday;
    CivilFromDays(day, year, month, mday);
    const int64_t t = wall - day * ical::kSecondsPerDay;
    char text[40];
    if (allDay) std::snprintf(text, sizeof text, "%04d-%02d-%02d", int(year), month, mday);
    else
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", int(year), month, mday, int(t / 3600),
                      int(t / 60 % 60), int(t % 60));
    return text;
}

}  // namespace

EventList IcalEvents(const ical::Calendar& calendar, TDateTime fromDay, TDateTime toDay, const ical::Zone& local,
                     uint32_t color, std::vector<ical::Warning>* warnings) {
    const auto from = int64_t(std::floor(fromDay)) - kUnixEpochDay, to = int64_t(std::floor(toDay)) - kUnixEpochDay;
    EventList events;
    for (const ical::Occurrence& o : ical::Expand(calendar, from, to, local, warnings)) {
        const ical::Event& source = calendar.Events[o.EventIndex];
        Tevent e;
        e.StartTime = ToDateTime(o.Start);
        e.EndTime = ToDateTime(o.End);
        e.AllDay = o.AllDay;
        std::string title(calendar.Text(source.Summary));
        for (char& c : title)
            if (c == '\n' || c == '\r') c = ' ';
        e.Texts = TeventTexts(KeyOf(o.Start, o.AllDay), Utf8ToUtf16(title), calendar.Text(source.Url));
        e.Color = color;
        events.push_back(EventItem{std::move(e)});
    }
    SortEvents(events);
    return events;
}

}  // namespace tessel
