// tessel-tool events [--calendars LISTFEED] FEED...: the event list the client builds from
// event feeds. The feeds are loaded in order into one tree as a sync merges them, LISTFEED (when
// given) is the calendar list the colours come from, and each event prints as one line:
//   START<TAB>END<TAB>ALLDAY<TAB>COLOR<TAB>TITLE<TAB>LINK
// with times as yyyy-mm-dd hh:nn, ALLDAY 1 or 0, COLOR the 0x00BBGGRR value as six upper-case
// hex digits, the title in UTF-8 and the link as stored.
// tessel-tool events --folder DIR [--date YYYY-MM-DD]: the same lines for the one list the
// windows show from the program folder DIR's caches (the service's and every shown
// subscription's and CalDAV calendar's), for the sync window around the date (today without one); no network.
#include <cstdio>
#include <string>
#include <vector>

#include "base/clock.h"
#include "base/file_io.h"
#include "base/text.h"
#include "calendar/balloon_sink.h"
#include "calendar/account.h"
#include "calendar/calendar.h"
#include "calendar/event_sources.h"
#include "calendar/event_feed.h"
#include "calendar/http.h"
#include "calendar/locale_format.h"
#include "calendar/service_hosts.h"
#include "calendar/subscriptions.h"
#include "command.h"

namespace {

class NoBalloons final : public tessel::IBalloonSink {
public:
    void ShowBalloon(const std::u16string&, const std::u16string&, int) override {}
};

std::string MinuteText(tessel::TDateTime value) {
    const tessel::DateParts d = tessel::DecodeDate(value);
    const tessel::TimeParts t = tessel::DecodeTime(value);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", d.year, d.month, d.day, t.hour, t.minute);
    return text;
}

std::string EventLines(const tessel::EventList& events) {
    std::string out;
    for (const auto& item : events) {
        const tessel::Tevent& e = item.Event;
        char color[16];
        std::snprintf(color, sizeof color, "%06X", static_cast<unsigned>(e.Color));
        out += MinuteText(e.StartTime) + '\t' + MinuteText(e.EndTime) + '\t' + (e.AllDay ? "1" : "0") + '\t' + color +
               '\t' + tessel::Utf16ToUtf8(e.Title()) + '\t' + std::string(e.Link()) + '\n';
    }
    return out;
}

int RunFolderEvents(const std::vector<std::string>& args) {
    std::u16string folder = tessel::Utf8ToUtf16(args[1]);
    if (folder.empty() || (folder.back() != u'/' && folder.back() != tessel::kPathSeparator))
        folder += tessel::kPathSeparator;
    tessel::SystemClock system;
    tessel::TDateTime date = system.Now();
    if (args.size() == 4) {
        int year = 0, month = 0, day = 0;
        char tail = 0;
        if (args[2] != "--date" || args[3].size() != 10 ||
            std::sscanf(args[3].c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &tail) != 3 ||
            !tessel::TryEncodeDate(year, month, day, date))
            throw tessel::tool::UsageError();
    } else if (args.size() != 2) {
        throw tessel::tool::UsageError();
    }
    tessel::TAccount account(folder);
    account.Load();
    tessel::TSubscriptions subscriptions(folder);
    subscriptions.Load();
    tessel::THttp http;
    tessel::FixedClock clock(date);
    tessel::DefaultLocaleFormat locale;
    NoBalloons balloons;
    tessel::TCalendar calendar(http, &account, clock, tessel::ServiceHosts{}, folder);
    calendar.SetCredentials(account.UserName, account.Password);
    tessel::TEventSources sources(calendar, account, subscriptions, http, clock, locale, balloons, folder);
    sources.Reload();
    sources.LoadCache(date, false);
    const std::string out = EventLines(sources.Events);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

int RunEvents(const std::vector<std::string>& args) {
    if (!args.empty() && args[0] == "--folder") {
        if (args.size() < 2) throw tessel::tool::UsageError();
        return RunFolderEvents(args);
    }
    std::string listFeed;
    std::vector<std::string> feeds;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--calendars") {
            if (i + 1 >= args.size() || !listFeed.empty()) throw tessel::tool::UsageError();
            listFeed = args[++i];
        } else {
            feeds.push_back(args[i]);
        }
    }
    if (feeds.empty()) throw tessel::tool::UsageError();

    // The client itself parses, so the tool shows exactly what the windows would get; it never
    // touches the network here.
    tessel::THttp http;
    tessel::FixedClock clock;
    tessel::DefaultLocaleFormat locale;
    NoBalloons balloons;
    tessel::TCalendar calendar(http, nullptr, clock, tessel::ServiceHosts{}, u"", 0);
    if (!listFeed.empty()) {
        calendar.CalendarDoc = tessel::NewFeedRoot();
        tessel::tool::ReadNamingFile(
            listFeed, [&] { calendar.CalendarDoc->LoadFromBytes(tessel::tool::ReadInputFile(listFeed)); });
        calendar.CalendarEntries = calendar.CalendarDoc->SelectNodes(u"entry");
    }
    calendar.EventDoc = tessel::NewFeedRoot();
    for (const auto& feed : feeds)
        tessel::tool::ReadNamingFile(feed, [&] { calendar.EventDoc->LoadFromBytes(tessel::tool::ReadInputFile(feed)); });
    calendar.EventEntries = calendar.EventDoc->SelectNodes(u"entry");
    calendar.ParseEvents();

    const std::string out = EventLines(calendar.Events);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

const tessel::tool::Registration kEvents{"events", "events [--calendars LISTFEED] FEED... | events --folder DIR [--date YYYY-MM-DD]", RunEvents};

}  // namespace
