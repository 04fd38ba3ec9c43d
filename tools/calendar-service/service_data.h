#pragma once
// What the service knows: accounts with their passwords, each with its calendars and events.
// Loaded once at start and read by every connection thread without locks (never changed).
#include <string>
#include <string_view>
#include <vector>

#include "wall_time.h"

namespace tessel::service {

enum class Repeat { None, Daily, Weekly };

constexpr int kMaxRepeatCount = 1000;

struct EventRecord {
    std::string id;       // unique within its calendar
    std::string title;    // UTF-8
    std::string content;  // UTF-8 description
    std::string where;    // UTF-8 location
    std::string link;     // the web page of the event; empty: the service's own page
    WallSeconds start = 0;
    WallSeconds end = 0;  // for an all-day event the midnight after its last day
    bool allDay = false;
    Repeat repeat = Repeat::None;
    int count = 1;  // occurrences, with a repeat
};

struct CalendarRecord {
    std::string id;
    std::string title;
    std::string color;  // "#RRGGBB"
    std::vector<EventRecord> events;
};

struct AccountRecord {
    std::string email;
    std::string password;
    std::string name;
    bool gsessionid = false;  // hands out a gsessionid before the first feed
    std::vector<CalendarRecord> calendars;

    const CalendarRecord* FindCalendar(std::string_view id) const;
};

struct ServiceData {
    int zoneMinutes = 0;        // the zone of every wall time, minutes east of UTC
    WallSeconds updated = 0;    // the feeds' "updated" and "published" stamps
    std::vector<AccountRecord> accounts;

    // Account names compare without regard to ASCII letter case.
    const AccountRecord* FindAccount(std::string_view email) const;
};

// The start of each occurrence, in order.
std::vector<WallSeconds> OccurrenceStarts(const EventRecord& event);
// A reason the event cannot be served (end before start, an all-day event off midnight, a
// repeat count out of range), or an empty text.
std::string CheckEvent(const EventRecord& event);
// A reason the data cannot be served (duplicate or unusable names and ids), or an empty text.
std::string CheckData(const ServiceData& data);
// True for "#RRGGBB".
bool IsColorText(std::string_view text);
// Ids travel in addresses: letters, digits and "-._~@" only, 1 to 200 bytes.
bool IsUsableId(std::string_view id);

}  // namespace tessel::service
