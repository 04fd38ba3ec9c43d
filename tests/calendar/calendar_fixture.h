#pragma once
// The calendar client on a scripted transport: a fixed clock (15 March 2008, 09:00), the
// portable locale, a balloon recorder, an account, a temporary program folder, and the service
// at www.calendar.test (domain calendar.test). Feed texts are built from small pieces so that
// each test shows the entries it is about.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/date_time.h"
#include "base/file_io.h"
#include "base/text.h"
#include "calendar/account.h"
#include "calendar/balloon_sink.h"
#include "calendar/calendar.h"
#include "calendar/locale_format.h"
#include "calendar/service_hosts.h"
#include "scripted_http.h"
#include "support/temp_folder.h"

namespace tessel::testing {

inline constexpr char kHost[] = "www.calendar.test";
inline constexpr char kSignInPath[] = "/accounts/ClientLogin";
inline constexpr char kListUrl[] = "http://www.calendar.test/calendar/feeds/default/allcalendars/full";
inline constexpr char kToken[] = "DQAAAtoken";

inline std::string FeedAddress(const std::string& calendar) {
    return std::string("http://") + kHost + "/calendar/feeds/" + calendar + "/private/full";
}
inline std::string CalendarId(const std::string& calendar) { return std::string(kListUrl) + "/" + calendar; }

// One calendar as the calendar list feed lists it.
struct ListedCalendar {
    std::string name;   // "work": id .../allcalendars/full/work, feed .../feeds/work/private/full
    std::string color;  // the gCal:color value, or empty for none
};

inline std::string CalendarListFeed(const std::vector<ListedCalendar>& calendars) {
    std::string feed = "<?xml version='1.0' encoding='UTF-8'?>\n"
                       "<feed xmlns='http://www.w3.org/2005/Atom' xmlns:gCal='http://schemas.calendar.test/gCal/2005'>\n"
                       "<id>" + std::string(kListUrl) + "</id><title type='text'>Jane's Calendar List</title>\n";
    for (const auto& c : calendars) {
        feed += "<entry><id>" + CalendarId(c.name) + "</id><title type='text'>" + c.name + "</title>"
                "<content type='application/atom+xml' src='" + FeedAddress(c.name) + "'/>";
        if (!c.color.empty()) feed += "<gCal:color value='" + c.color + "'/>";
        feed += "</entry>\n";
    }
    return feed + "</feed>\n";
}

struct When {
    std::string start, end;
};

// One event entry of a calendar's feed; its id starts with the calendar's feed address.
inline std::string EventEntry(const std::string& calendar, const std::string& eventId, const std::string& title,
                              const std::vector<When>& whens, const std::string& extra = {}) {
    std::string entry = "<entry><id>" + FeedAddress(calendar) + "/" + eventId + "</id>"
                        "<title type='text'>" + title + "</title>"
                        "<link rel='alternate' type='text/html' href='http://www.calendar.test/event?eid=" + eventId +
                        "'/>" + extra;
    for (const auto& w : whens) entry += "<gd:when startTime='" + w.start + "' endTime='" + w.end + "'/>";
    return entry + "</entry>\n";
}

inline std::string EventFeed(const std::string& title, const std::vector<std::string>& entries) {
    std::string feed = "<?xml version='1.0' encoding='UTF-8'?>\n"
                       "<feed xmlns='http://www.w3.org/2005/Atom' xmlns:gd='http://schemas.calendar.test/g/2005'>\n"
                       "<title type='text'>" + title + "</title>\n";
    for (const auto& e : entries) feed += e;
    return feed + "</feed>\n";
}

// The entry of a cache text that holds marker, as its lines were written; "(none)" without one.
inline std::string EntryText(const std::string& cache, const std::string& marker) {
    const size_t at = cache.find(marker);
    if (at == std::string::npos) return "(none)";
    const size_t begin = cache.rfind("<entry>", at);
    const size_t end = cache.find("</entry>", at);
    return cache.substr(begin, end + 8 - begin);
}

// The entries of a cache text as written, in order of their text: a calendar that kept its
// entries through a failed feed has them after the others'.
inline std::vector<std::string> SortedEntries(const std::string& cache) {
    std::vector<std::string> entries;
    for (size_t at = cache.find("<entry>"); at != std::string::npos; at = cache.find("<entry>", at + 1))
        entries.push_back(cache.substr(at, cache.find("</entry>", at) + 8 - at));
    std::sort(entries.begin(), entries.end());
    return entries;
}

// The ids of every calendar the client's last calendar list named, to select them all.
inline std::vector<std::string> ListedIds(const TCalendar& calendar) {
    std::vector<std::string> ids;
    for (size_t i = 0; calendar.CalendarEntries && i < calendar.CalendarEntries->Count(); ++i)
        ids.push_back(Narrow(calendar.CalendarEntries->Node(i)->ReadValue(u"id")));
    return ids;
}

class RecordingBalloons final : public IBalloonSink {
public:
    struct Balloon {
        std::u16string text, title;
        int timeout;
    };
    void ShowBalloon(const std::u16string& text, const std::u16string& title, int timeoutTenths) override {
        Shown.push_back({text, title, timeoutTenths});
    }
    std::vector<Balloon> Shown;
};

class CalendarClientTest : public ::testing::Test {
protected:
    TempFolder folder;
    ScriptedHttp http;
    FixedClock clock{EncodeDateTime(2008, 3, 15, 9, 0)};
    DefaultLocaleFormat locale;
    RecordingBalloons balloons;
    TAccount account{folder.Folder()};
    ServiceHosts hosts{kHost, kHost, "www.maker.test"};
    TCalendar calendar{http, &account, clock, hosts, folder.Folder(), 7};
    std::vector<std::string> statuses;

    void SetUp() override {
        calendar.OnStatus = [this](TCalendar&, const std::string& message) { statuses.push_back(message); };
        calendar.SetCredentials("Jane@calendar.test", "secret");
    }

    // Signs in with a token, lists work (blue) and home (red), both selected, each with one event.
    void ScriptTwoCalendars() {
        http.Answer(kSignInPath, std::string("SID=s\nLSID=l\nAuth=") + kToken + "\n");
        http.Answer(kListUrl, CalendarListFeed({{"work", "#2952A3"}, {"home", "#FF0000"}}));
        http.Answer(FeedAddress("work"),
                    EventFeed("work", {EventEntry("work", "w1", "Review", {{"2008-03-17T10:00:00.000-07:00",
                                                                            "2008-03-17T11:30:00.000-07:00"}})}));
        http.Answer(FeedAddress("home"),
                    EventFeed("home", {EventEntry("home", "h1", "Dentist", {{"2008-03-16T08:15:00.000-07:00",
                                                                            "2008-03-16T09:00:00.000-07:00"}})}));
        account.SetCalendars({CalendarId("work"), CalendarId("home")});
    }

    std::u16string CachePath(const std::string& suffix) const {
        return folder.Folder() + Widen("jane@calendar.test" + suffix);
    }
    std::string CacheBytes(const std::string& suffix) const {
        return FileExists(CachePath(suffix)) ? ReadFileBytes(CachePath(suffix)) : std::string("(missing)");
    }

    static std::vector<std::u16string> TitlesOf(const TCalendar& client) {
        std::vector<std::u16string> titles;
        for (const auto& item : client.Events) titles.emplace_back(item.Event.Title());
        return titles;
    }
    std::vector<std::u16string> Titles() const { return TitlesOf(calendar); }
};

}  // namespace tessel::testing
