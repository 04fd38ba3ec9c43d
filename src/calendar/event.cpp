#include "calendar/event.h"

#include "calendar/balloon_sink.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "base/text.h"
#include "calendar/locale_format.h"

namespace tessel {

namespace {

unsigned char FoldUpper(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') ? u - ('a' - 'A') : u;
}

void QuickSort(EventList& events, int lo, int hi) {
    while (lo < hi) {
        int i = lo, j = hi;
        const std::string pivot = events[size_t((lo + hi) / 2)].Key;
        do {
            while (CompareKeys(events[size_t(i)].Key, pivot) < 0) ++i;
            while (CompareKeys(events[size_t(j)].Key, pivot) > 0) --j;
            if (i <= j) {
                if (i != j) std::swap(events[size_t(i)], events[size_t(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        // Both parts are sorted independently, so the order in which they are done does not
        // change the result; the smaller one is recursed into, the larger one looped on.
        if (j - lo < hi - i) {
            if (lo < j) QuickSort(events, lo, j);
            lo = i;
        } else {
            if (i < hi) QuickSort(events, i, hi);
            hi = j;
        }
    }
}

}  // namespace

int CompareKeys(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t k = 0; k < n; ++k) {
        // Keys share long prefixes (a date and a time): equal bytes need no folding.
        if (a[k] == b[k]) continue;
        const unsigned char x = FoldUpper(a[k]), y = FoldUpper(b[k]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

void SortEvents(EventList& events) {
    if (events.empty()) return;
    QuickSort(events, 0, int(events.size()) - 1);
}

DayRun EventsOfDay(const EventList& events, TDateTime day) {
    const TDateTime date = DateOf(day);
    const auto first = std::partition_point(events.begin(), events.end(),
                                            [&](const EventItem& item) { return DateOf(item.Event.StartTime) < date; });
    const auto last = std::partition_point(first, events.end(),
                                           [&](const EventItem& item) { return DateOf(item.Event.StartTime) == date; });
    return DayRun{first, last};
}

bool HasEventsOn(const EventList& events, TDateTime day) { return !EventsOfDay(events, day).empty(); }

std::u16string DayText(const EventList& events, TDateTime day, char16_t timeSeparator) {
    std::u16string text;
    bool first = true;
    const DayRun run = EventsOfDay(events, day);
    for (auto it = run.first; it != run.last; ++it) {
        const Tevent& e = it->Event;
        if (!first) text += u'\r';
        first = false;
        if (e.AllDay) {
            text += u"All Day - ";
        } else {
            text += FormatTimeAmPm(e.StartTime, timeSeparator);
            text += u'-';
            text += FormatTimeAmPm(e.EndTime, timeSeparator);
            text += u" - ";
        }
        text += e.Title;
    }
    return first ? u"No Event" : text;
}

int FindNextEventIndex(const EventList& events, TDateTime now) {
    const double oneMillisecond = 1.0 / kMSecsPerDay;
    for (size_t i = 0; i < events.size(); ++i) {
        const Tevent& e = events[i].Event;
        if (e.AllDay || e.Notified) continue;
        if (e.StartTime - now >= oneMillisecond * (1 - 1e-6)) return int(i);
    }
    return -1;
}

std::u16string ReminderText(const ILocaleFormat& locale, const Tevent& event) {
    return FormatDateTimeText(locale, event.StartTime) + u'-' + FormatDateTimeText(locale, event.EndTime);
}

std::string CleanText(std::string_view text) {
    // What lies before the first character that is neither blank nor a quote (or after the last
    // one) goes either way, quotes and CR LF pairs removed, blanks trimmed: the ends are cut
    // first, and only the rest is looked through.
    const auto edge = [](char c) { return static_cast<unsigned>(c) <= ' ' || c == '\'' || c == '"'; };
    size_t first = 0, last = text.size();
    while (first < last && edge(text[first])) ++first;
    while (last > first && edge(text[last - 1])) --last;
    const std::string_view middle = text.substr(first, last - first);
    if (middle.find_first_of("\r'\"") == std::string_view::npos) return std::string(middle);
    std::string out;
    out.reserve(middle.size());
    for (size_t i = 0; i < middle.size(); ++i) {
        const char c = middle[i];
        if (c == '\r' && i + 1 < middle.size() && middle[i + 1] == '\n') {
            ++i;
            continue;
        }
        if (c == '\'' || c == '"') continue;
        out.push_back(c);
    }
    return out;
}

TDateTime NextEventStart(const EventList& events, TDateTime now, int32_t& nextIndex) {
    nextIndex = FindNextEventIndex(events, now);
    if (nextIndex < 0) return now + 3;
    return events[size_t(nextIndex)].Event.StartTime;
}

void NotifyEventAt(EventList& events, int32_t index, const ILocaleFormat& locale, IBalloonSink& balloons) {
    if (index < 0 || size_t(index) >= events.size()) return;
    Tevent& event = events[size_t(index)].Event;
    if (event.Notified) return;
    const std::u16string text = ReminderText(locale, event);
    event.Notified = true;
    balloons.ShowBalloon(text, event.Title, 50);
}

}  // namespace tessel
