#pragma once
// One occurrence of an event and the client's sorted event list, with the questions the windows
// ask of it: which days have events, a day's text, the next event to remind of.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/date_time.h"

namespace tessel {

class IBalloonSink;
class ILocaleFormat;

// A record's three texts in one heap block, so that a record costs one allocation and a busy
// account's ten thousand records stay small: the start text it is sorted by, the title and the
// event's page. Copies are deep; a moved-from block is empty.
class TeventTexts {
public:
    TeventTexts() = default;
    TeventTexts(std::string_view key, std::u16string_view title, std::string_view link);
    TeventTexts(const TeventTexts& other);
    TeventTexts(TeventTexts&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
    TeventTexts& operator=(const TeventTexts& other);
    TeventTexts& operator=(TeventTexts&& other) noexcept;
    ~TeventTexts();

    std::string_view Key() const;
    std::u16string_view Title() const;
    std::string_view Link() const;

private:
    struct Header;
    Header* block_ = nullptr;
};

struct Tevent {
    TDateTime StartTime = 0;  // all-day: midnight of the first day
    TDateTime EndTime = 0;    // all-day: midnight of the day after the last day
    TeventTexts Texts;
    uint32_t Color = 0;       // 0x00BBGGRR of its calendar; 0 when no calendar matches
    // In a merged list: 1 + the record's place in the service's own list, 0 for another
    // source's. The merged list holds the service's records themselves, not copies, and gives
    // them back in their order (TEventSources).
    uint32_t ServiceOrder = 0;
    bool Notified = false;    // a reminder balloon has been shown for it
    bool AllDay = false;

    std::u16string_view Title() const { return Texts.Title(); }
    std::string_view Link() const { return Texts.Link(); }  // the event's page in the web calendar
};

// An entry of the event list: the record, sorted by the feed's start text of the occurrence.
struct EventItem {
    Tevent Event;
    std::string_view Key() const { return Event.Texts.Key(); }
};

using EventList = std::vector<EventItem>;

// Keys compared as ASCII without regard to letter case, byte by byte; a prefix is the smaller.
int CompareKeys(std::string_view a, std::string_view b);

// Quicksort with Hoare partitioning around the middle key. The order of equal keys is whatever the
// partitioning leaves; the recursion always descends into the smaller part, so a hostile feed
// cannot exhaust the stack.
void SortEvents(EventList& events);

// The records that start on the day, [first, last) in list order. The list is sorted by its
// start texts, whose first ten characters are the start's date, so a day's records lie together
// and a binary search finds them: logarithmic in the list's length.
struct DayRun {
    EventList::const_iterator first;
    EventList::const_iterator last;
    bool empty() const { return first == last; }
};
DayRun EventsOfDay(const EventList& events, TDateTime day);

bool HasEventsOn(const EventList& events, TDateTime day);

// The day's events as lines separated by a single CR: "All Day - Title" or
// "9:00 AM-10:30 AM - Title"; "No Event" when the day has none.
std::u16string DayText(const EventList& events, TDateTime day, char16_t timeSeparator);

// The index of the first record that is timed, not yet notified and starts later than now
// (differences under a millisecond count as equal); -1 when none.
int FindNextEventIndex(const EventList& events, TDateTime now);

// The start of that record, its index in nextIndex; now + 3 days and -1 when there is none.
TDateTime NextEventStart(const EventList& events, TDateTime now, int32_t& nextIndex);

// Shows the reminder balloon of the record at index, once per record; nothing for an index out
// of range.
void NotifyEventAt(EventList& events, int32_t index, const ILocaleFormat& locale, IBalloonSink& balloons);

// The reminder balloon's text of a record: start and end as locale date-time texts joined by "-".
std::u16string ReminderText(const ILocaleFormat& locale, const Tevent& event);

// Removes every CR LF pair, apostrophe and double quote, then trims characters up to the blank.
std::string CleanText(std::string_view text);

}  // namespace tessel
