#include "atom_feed.h"

#include <algorithm>
#include <vector>

#include "query.h"

namespace tessel::service {

namespace {

std::string Namespaces(const FeedContext& context) {
    return " xmlns='http://www.w3.org/2005/Atom'"
           " xmlns:openSearch='http://a9.com/-/spec/opensearch/1.1/'"
           " xmlns:gCal='http://schemas." + XmlAttribute(context.domain) + "/gCal/2005'"
           " xmlns:gd='http://schemas." + XmlAttribute(context.domain) + "/g/2005'";
}

std::string Author(const AccountRecord& account) {
    return "<author><name>" + XmlText(account.name.empty() ? account.email : account.name) + "</name><email>" +
           XmlText(account.email) + "</email></author>";
}

std::string ListAddress(const FeedContext& context) {
    return "http://" + context.host + "/calendar/feeds/default/allcalendars/full";
}

std::string FeedTimeText(const FeedContext& context, WallSeconds value, bool allDay) {
    return allDay ? FormatDateText(value) : FormatFeedTime(value, context.zoneMinutes);
}

bool Overlaps(const FeedContext& context, WallSeconds start, WallSeconds end, const TimeRange& range) {
    const int64_t from = ToUtc(start, context.zoneMinutes);
    // An event without length still occupies its starting second.
    const int64_t to = std::max(ToUtc(end, context.zoneMinutes), from + 1);
    return (!range.startMin || to > *range.startMin) && (!range.startMax || from < *range.startMax);
}

std::string EventEntry(const FeedContext& context, const AccountRecord& account, const CalendarRecord& calendar,
                       const EventRecord& event, const std::vector<WallSeconds>& starts) {
    const std::string id = EventFeedAddress(context, calendar) + "/" + PercentEncode(event.id);
    const std::string stamp = FormatUtcStamp(ToUtc(context.updated, context.zoneMinutes));
    std::string entry = "<entry>";
    entry += "<id>" + XmlText(id) + "</id>";
    entry += "<published>" + stamp + "</published><updated>" + stamp + "</updated>";
    entry += "<category scheme='http://schemas." + XmlAttribute(context.domain) +
             "/g/2005#kind' term='http://schemas." + XmlAttribute(context.domain) + "/g/2005#event'/>";
    entry += "<title type='text'>" + XmlText(event.title) + "</title>";
    entry += "<content type='text'>" + XmlText(event.content) + "</content>";
    entry += "<link rel='alternate' type='text/html' href='" + XmlAttribute(EventPageAddress(context, calendar, event)) +
             "' title='alternate'/>";
    entry += "<link rel='self' type='application/atom+xml' href='" + XmlAttribute(id) + "'/>";
    entry += Author(account);
    entry += "<gd:eventStatus value='http://schemas." + XmlAttribute(context.domain) + "/g/2005#event.confirmed'/>";
    entry += "<gd:where valueString='" + XmlAttribute(event.where) + "'/>";
    const int64_t length = event.end - event.start;
    for (WallSeconds start : starts) {
        entry += "<gd:when startTime='" + FeedTimeText(context, start, event.allDay) + "' endTime='" +
                 FeedTimeText(context, start + length, event.allDay) + "'/>";
    }
    entry += "</entry>\n";
    return entry;
}

}  // namespace

namespace {

std::string Escape(std::string_view text, bool quotes) {
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': result += "&amp;"; break;
        case '<': result += "&lt;"; break;
        case '>': result += "&gt;"; break;
        case '\'': result += quotes ? "&apos;" : "'"; break;
        case '"': result += quotes ? "&quot;" : "\""; break;
        default:
            // Control characters other than tab and line ends cannot stand in XML at all.
            if (static_cast<unsigned char>(c) < 32 && c != '\t' && c != '\n' && c != '\r')
                result += '?';
            else
                result += c;
        }
    }
    return result;
}

}  // namespace

std::string XmlText(std::string_view text) { return Escape(text, false); }
std::string XmlAttribute(std::string_view text) { return Escape(text, true); }

std::string EventFeedAddress(const FeedContext& context, const CalendarRecord& calendar) {
    return "http://" + context.host + "/calendar/feeds/" + PercentEncode(calendar.id) + "/private/full";
}

std::string EventPageAddress(const FeedContext& context, const CalendarRecord& calendar, const EventRecord& event) {
    if (!event.link.empty()) return event.link;
    return "http://" + context.host + "/calendar/event/" + PercentEncode(calendar.id) + "/" + PercentEncode(event.id);
}

std::string WriteCalendarListFeed(const FeedContext& context, const AccountRecord& account) {
    const std::string stamp = FormatUtcStamp(ToUtc(context.updated, context.zoneMinutes));
    const std::string self = ListAddress(context);
    std::string feed = "<?xml version='1.0' encoding='UTF-8'?>\n<feed" + Namespaces(context) + ">\n";
    feed += "<id>" + XmlText(self) + "</id><updated>" + stamp + "</updated>";
    feed += "<title type='text'>" + XmlText(account.name.empty() ? account.email : account.name) +
            "'s Calendar List</title>";
    feed += "<link rel='self' type='application/atom+xml' href='" + XmlAttribute(self) + "'/>";
    feed += Author(account);
    feed += "<generator version='1.0' uri='http://" + XmlAttribute(context.host) + "/calendar'>local calendar service (" +
            XmlText(context.domain) + ")</generator>";
    feed += "<openSearch:startIndex>1</openSearch:startIndex>\n";
    for (const auto& calendar : account.calendars) {
        const std::string events = EventFeedAddress(context, calendar);
        feed += "<entry>";
        feed += "<id>" + XmlText(self + "/" + PercentEncode(calendar.id)) + "</id>";
        feed += "<published>" + stamp + "</published><updated>" + stamp + "</updated>";
        feed += "<title type='text'>" + XmlText(calendar.title) + "</title>";
        feed += "<content type='application/atom+xml' src='" + XmlAttribute(events) + "'/>";
        feed += "<link rel='alternate' type='application/atom+xml' href='" + XmlAttribute(events) + "'/>";
        feed += "<link rel='self' type='application/atom+xml' href='" + XmlAttribute(self + "/" + PercentEncode(calendar.id)) +
                "'/>";
        feed += Author(account);
        feed += "<gCal:accesslevel value='owner'/><gCal:hidden value='false'/>";
        feed += "<gCal:color value='" + XmlAttribute(calendar.color) + "'/>";
        feed += "<gCal:selected value='true'/><gCal:timezone value='" + FormatZoneText(context.zoneMinutes) +
                "'/>";
        feed += "</entry>\n";
    }
    feed += "</feed>\n";
    return feed;
}

std::string WriteEventFeed(const FeedContext& context, const AccountRecord& account, const CalendarRecord& calendar,
                           const TimeRange& range) {
    std::string entries;
    int count = 0;
    for (const auto& event : calendar.events) {
        std::vector<WallSeconds> starts;
        for (WallSeconds start : OccurrenceStarts(event))
            if (Overlaps(context, start, start + (event.end - event.start), range)) starts.push_back(start);
        if (starts.empty()) continue;
        entries += EventEntry(context, account, calendar, event, starts);
        ++count;
    }
    const std::string self = EventFeedAddress(context, calendar);
    const std::string stamp = FormatUtcStamp(ToUtc(context.updated, context.zoneMinutes));
    std::string feed = "<?xml version='1.0' encoding='UTF-8'?>\n<feed" + Namespaces(context) + ">\n";
    feed += "<id>" + XmlText(self) + "</id><updated>" + stamp + "</updated>";
    feed += "<title type='text'>" + XmlText(calendar.title) + "</title>";
    feed += "<subtitle type='text'>" + XmlText(calendar.title) + "</subtitle>";
    feed += "<link rel='alternate' type='text/html' href='http://" + XmlAttribute(context.host) + "/calendar/embed/" +
            PercentEncode(calendar.id) + "'/>";
    feed += "<link rel='self' type='application/atom+xml' href='" + XmlAttribute(self) + "'/>";
    feed += Author(account);
    feed += "<generator version='1.0' uri='http://" + XmlAttribute(context.host) + "/calendar'>local calendar service (" +
            XmlText(context.domain) + ")</generator>";
    feed += "<openSearch:totalResults>" + std::to_string(count) + "</openSearch:totalResults>";
    feed += "<openSearch:startIndex>1</openSearch:startIndex>";
    feed += "<openSearch:itemsPerPage>" + std::to_string(count) + "</openSearch:itemsPerPage>\n";
    feed += entries;
    feed += "</feed>\n";
    return feed;
}

}  // namespace tessel::service
