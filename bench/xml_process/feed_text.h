#pragma once
// A merged event feed as the calendar service sends it, of a given size, for the XML benchmarks.
#include <cstddef>
#include <string>

namespace tessel::bench {

// One event entry as the calendar service sends it; the numbers vary so no two entries are equal.
inline void AppendEntry(std::string& feed, int n) {
    const std::string id = std::to_string(100000 + n);
    const std::string day = std::to_string(10 + n % 18);
    const std::string hour = std::to_string(10 + n % 9);
    feed += "<entry><id>https://calendar.example.org/calendar/feeds/user%40example.org/private/full/e" + id +
            "</id><published>2011-02-" + day + "T09:15:00.000Z</published><updated>2011-02-" + day +
            "T09:16:" + std::to_string(10 + n % 50) + ".000Z</updated>"
            "<category scheme='http://schemas.example.org/g/2005#kind' term='http://schemas.example.org/g/2005#event'/>"
            "<title type='text'>Project review " + id + " &amp; planning</title>"
            "<content type='text'>Agenda: status of milestone " + id +
            ", open questions, next steps. Bring the printed report.</content>"
            "<link rel='alternate' type='text/html' href='https://calendar.example.org/calendar/event?eid=ZXZlbnQ" + id +
            "&amp;ctz=Europe/Berlin' title='alternate'/>"
            "<link rel='self' type='application/atom+xml' href='https://calendar.example.org/calendar/feeds/default/private/full/e" +
            id + "'/><author><name>Ann Example</name><email>ann@example.org</email></author>"
            "<gd:eventStatus value='http://schemas.example.org/g/2005#event.confirmed'/>"
            "<gd:where valueString='Meeting room " + std::to_string(n % 40) + "'/>"
            "<gd:when startTime='2011-03-" + day + "T" + hour + ":00:00.000+01:00' endTime='2011-03-" + day + "T" + hour +
            ":45:00.000+01:00'/></entry>\r\n";
}

inline std::string MakeFeed(size_t minBytes, int maxEntries) {
    std::string feed =
        "<?xml version='1.0' encoding='UTF-8'?><feed xmlns='http://www.w3.org/2005/Atom' "
        "xmlns:gd='http://schemas.example.org/g/2005'><id>https://calendar.example.org/calendar/feeds/default/private/full</id>"
        "<updated>2011-03-01T08:00:00.000Z</updated><title type='text'>Ann Example</title>\r\n";
    for (int n = 0; feed.size() < minBytes && n < maxEntries; ++n) AppendEntry(feed, n);
    feed += "</feed>\r\n";
    return feed;
}

}  // namespace tessel::bench
