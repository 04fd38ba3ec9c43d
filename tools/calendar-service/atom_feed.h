#pragma once
// The Atom feeds the client reads: the calendar list (one entry per calendar, with its event
// feed address in content/@src and its colour in gCal:color/@value) and a calendar's event feed
// (one entry per event, one gd:when per occurrence in the asked range).
//
// The client reads elements by their prefixed names (gCal:color, gd:when), so the prefixes are
// fixed; the namespace addresses only have to be stable and are placed under the service's domain.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "service_data.h"

namespace tessel::service {

struct FeedContext {
    std::string host;    // host[:port] the client used: every address in the feed points there
    std::string domain;  // the service's domain name, in ids of people and namespaces
    int zoneMinutes = 0;
    WallSeconds updated = 0;
};

// Occurrences overlapping [startMin, startMax) are listed; a missing bound is open.
struct TimeRange {
    std::optional<int64_t> startMin;  // UTC seconds
    std::optional<int64_t> startMax;
};

// Element text: &, < and > escaped; quotes stay as they are, as the service has always sent them.
std::string XmlText(std::string_view text);
// A value between single quotes: quotes escaped as well.
std::string XmlAttribute(std::string_view text);
// http://HOST/calendar/feeds/ID/private/full
std::string EventFeedAddress(const FeedContext& context, const CalendarRecord& calendar);
// The event's web page: its own link, or the service's page for it.
std::string EventPageAddress(const FeedContext& context, const CalendarRecord& calendar, const EventRecord& event);

std::string WriteCalendarListFeed(const FeedContext& context, const AccountRecord& account);
std::string WriteEventFeed(const FeedContext& context, const AccountRecord& account, const CalendarRecord& calendar,
                           const TimeRange& range);

}  // namespace tessel::service
