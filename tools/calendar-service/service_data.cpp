#include "service_data.h"

#include <cctype>
#include <set>

#include "base/text.h"

namespace tessel::service {

const CalendarRecord* AccountRecord::FindCalendar(std::string_view id) const {
    for (const auto& calendar : calendars)
        if (calendar.id == id) return &calendar;
    return nullptr;
}

const AccountRecord* ServiceData::FindAccount(std::string_view email) const {
    for (const auto& account : accounts)
        if (SameTextAscii(account.email, email)) return &account;
    return nullptr;
}

std::vector<WallSeconds> OccurrenceStarts(const EventRecord& event) {
    const int64_t step = event.repeat == Repeat::Daily ? kSecondsPerDay : 7 * kSecondsPerDay;
    const int count = event.repeat == Repeat::None ? 1 : event.count;
    std::vector<WallSeconds> starts;
    for (int i = 0; i < count; ++i) starts.push_back(event.start + i * step);
    return starts;
}

std::string CheckEvent(const EventRecord& event) {
    if (event.end < event.start) return "the event ends before it starts";
    if (event.allDay && (DayOf(event.start) != event.start || DayOf(event.end) != event.end))
        return "an all-day event starts and ends at midnight";
    if (event.allDay && event.end == event.start) return "an all-day event lasts at least one day";
    if (event.repeat != Repeat::None && (event.count < 1 || event.count > kMaxRepeatCount))
        return "a repeat count is 1 to " + std::to_string(kMaxRepeatCount);
    return {};
}

bool IsColorText(std::string_view text) {
    if (text.size() != 7 || text[0] != '#') return false;
    for (char c : text.substr(1))
        if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

bool IsUsableId(std::string_view id) {
    if (id.empty() || id.size() > 200) return false;
    for (char c : id)
        if (!std::isalnum(static_cast<unsigned char>(c)) && std::string_view("-._~@").find(c) == std::string_view::npos)
            return false;
    return true;
}

std::string CheckData(const ServiceData& data) {
    std::set<std::string> emails;
    for (const auto& account : data.accounts) {
        if (account.email.empty()) return "an account has no name";
        if (!emails.insert(LowerAscii(account.email)).second) return "account " + account.email + " appears twice";
        std::set<std::string> calendarIds;
        for (const auto& calendar : account.calendars) {
            if (!IsUsableId(calendar.id)) return "calendar id '" + calendar.id + "' is not usable";
            if (!calendarIds.insert(calendar.id).second) return "calendar " + calendar.id + " appears twice";
            if (!IsColorText(calendar.color)) return "calendar " + calendar.id + " has no #RRGGBB colour";
            std::set<std::string> eventIds;
            for (const auto& event : calendar.events) {
                if (!IsUsableId(event.id)) return "event id '" + event.id + "' is not usable";
                if (!eventIds.insert(event.id).second) return "event " + event.id + " appears twice";
                const std::string problem = CheckEvent(event);
                if (!problem.empty()) return "event " + event.id + ": " + problem;
            }
        }
    }
    return {};
}

}  // namespace tessel::service
