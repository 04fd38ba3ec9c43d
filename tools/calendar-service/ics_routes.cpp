#include "ics_routes.h"

#include <cstdio>

#include "base/sha256.h"
#include "query.h"

namespace tessel::service {

namespace {

constexpr int64_t kHour = 3600;
constexpr char kIcsType[] = "text/calendar; charset=UTF-8";

// "20080315" and "20080315T093000" on the wall clock.
std::string IcsDate(WallSeconds value) {
    const std::string text = FormatDateText(value);
    return text.substr(0, 4) + text.substr(5, 2) + text.substr(8, 2);
}
std::string IcsDateTime(WallSeconds value) {
    const int64_t seconds = value - DayOf(value);
    char clock[16];
    std::snprintf(clock, sizeof clock, "T%02d%02d%02d", int(seconds / 3600), int(seconds / 60 % 60), int(seconds % 60));
    return IcsDate(value) + clock;
}

std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

// An HTTP date of the day, for Last-Modified: "Sat, 15 Mar 2008 00:00:00 GMT".
std::string HttpDate(WallSeconds day) {
    static const char* const kDays[] = {"Sat", "Sun", "Mon", "Tue", "Wed", "Thu", "Fri"};  // day 0 is a Saturday
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::string date = FormatDateText(day);
    const int64_t dayNumber = DayOf(day) / kSecondsPerDay;
    return std::string(kDays[((dayNumber % 7) + 7) % 7]) + ", " + date.substr(8, 2) + " " +
           kMonths[std::stoi(date.substr(5, 2)) - 1] + " " + date.substr(0, 4) + " 00:00:00 GMT";
}

void AnswerIcs(const HttpRequest& request, HttpResponse& response, std::string body, WallSeconds today) {
    Sha256 hash;
    hash.Update(body);
    const std::string etag = "\"" + DigestHex(hash.Finish()).substr(0, 24) + "\"";
    const std::string* match = request.Header("If-None-Match");
    if (match && *match == etag) {
        response.SetText(304, std::string());
    } else {
        response.SetText(200, std::move(body), kIcsType);
    }
    response.SetHeader("ETag", etag);
    response.SetHeader("Last-Modified", HttpDate(today));
}

}  // namespace

std::string DemoIcs(WallSeconds today) {
    const WallSeconds first = today - 14 * kSecondsPerDay + 18 * kHour;  // 18:00 in Tokyo
    const auto weekly = [&](int k) { return first + k * 7 * kSecondsPerDay; };
    std::string text = Lines({"BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//Tessel//Local calendar service//EN",
                              "X-WR-CALNAME:Team D\xC3\xA9mo", "BEGIN:VTIMEZONE", "TZID:Asia/Tokyo",
                              "BEGIN:STANDARD", "DTSTART:19700101T000000", "TZOFFSETFROM:+0900",
                              "TZOFFSETTO:+0900", "TZNAME:JST", "END:STANDARD", "END:VTIMEZONE"});
    // The weekly meeting: instance 1 left out, instance 2 (today's) moved to tomorrow morning,
    // instance 4 cancelled.
    text += Lines({"BEGIN:VEVENT", "UID:design-review@tessel.test", "SUMMARY:Design review (Tokyo)",
                   "DTSTART;TZID=Asia/Tokyo:" + IcsDateTime(weekly(0)),
                   "DTEND;TZID=Asia/Tokyo:" + IcsDateTime(weekly(0) + kHour), "RRULE:FREQ=WEEKLY;COUNT=8",
                   "EXDATE;TZID=Asia/Tokyo:" + IcsDateTime(weekly(1)), "URL:https://tessel.test/review",
                   "END:VEVENT"});
    text += Lines({"BEGIN:VEVENT", "UID:design-review@tessel.test",
                   "RECURRENCE-ID;TZID=Asia/Tokyo:" + IcsDateTime(weekly(2)), "SUMMARY:Design review (moved)",
                   "DTSTART;TZID=Asia/Tokyo:" + IcsDateTime(weekly(2) + kSecondsPerDay - 8 * kHour),
                   "DTEND;TZID=Asia/Tokyo:" + IcsDateTime(weekly(2) + kSecondsPerDay - 7 * kHour), "END:VEVENT"});
    text += Lines({"BEGIN:VEVENT", "UID:design-review@tessel.test",
                   "RECURRENCE-ID;TZID=Asia/Tokyo:" + IcsDateTime(weekly(4)), "STATUS:CANCELLED",
                   "DTSTART;TZID=Asia/Tokyo:" + IcsDateTime(weekly(4)), "SUMMARY:Design review (Tokyo)",
                   "END:VEVENT"});
    text += Lines({"BEGIN:VEVENT", "UID:holiday@tessel.test", "SUMMARY:Company holiday",
                   "DTSTART;VALUE=DATE:" + IcsDate(today + 4 * kSecondsPerDay),
                   "DTEND;VALUE=DATE:" + IcsDate(today + 5 * kSecondsPerDay), "END:VEVENT"});
    text += Lines({"BEGIN:VEVENT", "UID:offsite@tessel.test", "SUMMARY:Offsite in Ky\xC5\x8Dto",
                   "DTSTART;VALUE=DATE:" + IcsDate(today + 10 * kSecondsPerDay),
                   "DTEND;VALUE=DATE:" + IcsDate(today + 13 * kSecondsPerDay), "END:VEVENT"});
    // Floating local time: the same wall time wherever the program runs.
    text += Lines({"BEGIN:VEVENT", "UID:reunion@tessel.test",
                   "SUMMARY:R\xC3\xA9union d'\xC3\xA9quipe \xE2\x80\x94 \xE4\xBC\x9A\xE8\xAD\xB0",
                   "DTSTART:" + IcsDateTime(today + 2 * kSecondsPerDay + 9 * kHour),
                   "DTEND:" + IcsDateTime(today + 2 * kSecondsPerDay + 10 * kHour), "END:VEVENT"});
    return text + Lines({"END:VCALENDAR"});
}

std::string GeneratedIcs(WallSeconds today, int events) {
    std::string text = Lines({"BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//Tessel//Local calendar service//EN",
                              "X-WR-CALNAME:Generated " + std::to_string(events)});
    uint64_t state = 0x9E3779B97F4A7C15ULL;
    const auto next = [&state](int limit) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return int(state % uint64_t(limit));
    };
    for (int i = 0; i < events; ++i) {
        const WallSeconds start = today + (next(365) - 182) * kSecondsPerDay + (7 + next(13)) * kHour;
        text += Lines({"BEGIN:VEVENT", "UID:g" + std::to_string(i + 1) + "@tessel.test",
                       "SUMMARY:Generated " + std::to_string(i + 1), "DTSTART:" + IcsDateTime(start),
                       "DTEND:" + IcsDateTime(start + 30 * 60 * (1 + next(4))), "END:VEVENT"});
    }
    return text + Lines({"END:VCALENDAR"});
}

bool HandleIcsRoute(const HttpRequest& request, HttpResponse& response, WallSeconds today) {
    const std::string& path = request.path;
    if (path.rfind("/ics/", 0) != 0) return false;
    if (path == "/ics/demo.ics") {
        AnswerIcs(request, response, DemoIcs(today), today);
    } else if (path.rfind("/ics/generated/", 0) == 0 && path.size() > 19 && path.ends_with(".ics")) {
        long long events = 0;
        if (!ParseBoundedInt(path.substr(15, path.size() - 19), 0, kMaxGeneratedIcsEvents, events))
            response.SetText(400, "events must be 0 to " + std::to_string(kMaxGeneratedIcsEvents) + "\n");
        else
            AnswerIcs(request, response, GeneratedIcs(today, int(events)), today);
    } else if (path == "/ics/damaged.ics") {
        const std::string demo = DemoIcs(today);
        response.SetText(200, demo.substr(0, demo.find("END:VEVENT")), kIcsType);
    } else if (path == "/ics/loop.ics") {
        response.SetText(302, "moved\n");
        response.SetHeader("Location", std::string(request.secure ? "https" : "http") + "://" +
                                           request.HostForLinks() + "/ics/loop.ics");
    } else {
        response.SetText(404, "Not Found\n");
    }
    return true;
}

}  // namespace tessel::service
