#pragma once
// Event records made from feed entries: an entry's title, its calendar's colour (found through
// the calendar list), its page address, and one record per gd:when child.
#include <memory>
#include <string>
#include <string_view>

#include "calendar/event.h"

namespace tessel {

class TxdataList;
class TxdataNode;

// A fresh root for fetched feeds. It carries the feeds' top element name from the start, so a
// tree that no feed was loaded into is still written as an element that reads back.
std::unique_ptr<TxdataNode> NewFeedRoot();

// The colour text of the calendar whose feed address occurs in the event's id: the first
// calendar entry with a non-empty "content/src" that does gives its "gCal:color/value".
// "$000000" when there is no calendar list or no calendar matches.
std::string CalendarColorOf(const TxdataList* calendars, std::string_view eventId);

// The href of the first link child whose rel is exactly "alternate"; empty when none.
std::string AlternateLinkOf(const TxdataNode& entry);

// The records of the entries, in entry order and, within an entry, gd:when order; not sorted.
// A malformed time or colour text raises EConvertError.
EventList EventsFromEntries(const TxdataList* entries, const TxdataList* calendars);

class CalendarColors;

// The same records made entry by entry, as a parse hands the entries over, so that a large feed
// need not be held whole. The calendar list is read once, when the maker is made.
class EventsMaker {
public:
    explicit EventsMaker(const TxdataList* calendars);
    ~EventsMaker();
    EventsMaker(const EventsMaker&) = delete;
    EventsMaker& operator=(const EventsMaker&) = delete;

    // Appends the entry's records; raises as EventsFromEntries does.
    void Add(const TxdataNode& entry);
    EventList& Events() { return events_; }

private:
    std::unique_ptr<CalendarColors> colors_;
    EventList events_;
};

}  // namespace tessel
