#pragma once
// 10,000 events from a fixed seed, spread over the three months a sync keeps (about 110 a day),
// with keys shaped like the feed's start texts and sorted as the client sorts them: the event
// list the model and balloon benchmarks ask their questions of.
#include <cstdio>
#include <random>
#include <string>

#include "base/date_time.h"
#include "calendar/event.h"

namespace tessel::bench {

inline constexpr int kEventCount = 10000;

inline std::string TwoDigits(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

// September to November 2009; one in seven events is all-day, the rest last 30 to 180 minutes.
inline tessel::EventList MakeEvents(uint32_t seed) {
    std::mt19937 generator(seed);
    const tessel::TDateTime first = tessel::EncodeDate(2009, 9, 1);
    const int days = int(tessel::EncodeDate(2009, 12, 1) - first);
    tessel::EventList events;
    events.reserve(kEventCount);
    for (int i = 0; i < kEventCount; ++i) {
        const tessel::TDateTime day = first + int(generator() % uint32_t(days));
        const tessel::DateParts parts = tessel::DecodeDate(day);
        const std::string date = std::to_string(parts.year) + "-" + TwoDigits(parts.month) + "-" + TwoDigits(parts.day);
        tessel::EventItem item;
        const std::u16string title = u"Event " + std::u16string(1, char16_t(u'A' + i % 26)) + u" of the team calendar";
        if (generator() % 7 == 0) {
            item.Event.Texts = tessel::TeventTexts(date, title, {});
            item.Event.AllDay = true;
            item.Event.StartTime = day;
            item.Event.EndTime = day + 1;
        } else {
            const int hour = 6 + int(generator() % 16);
            const int minute = int(generator() % 4) * 15;
            item.Event.Texts = tessel::TeventTexts(
                date + "T" + TwoDigits(hour) + ":" + TwoDigits(minute) + ":00.000-07:00", title, {});
            item.Event.StartTime = day + tessel::EncodeTime(hour, minute, 0, 0);
            item.Event.EndTime = item.Event.StartTime + (30 + int(generator() % 151)) * tessel::kOneMinute;
        }
        events.push_back(std::move(item));
    }
    tessel::SortEvents(events);
    return events;
}

inline const tessel::EventList& Events() {
    static const tessel::EventList events = MakeEvents(20091005);
    return events;
}

}  // namespace tessel::bench
