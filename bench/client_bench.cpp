// Speed of the calendar client on a large account: building and sorting the event list from
// 10,000 feed entries, filling the client from a 10,000-event cache, and a whole sync of a
// generated 10,000-event, 5-calendar account against the local calendar service (started here,
// on loopback; skipped with a message when the service binary is not built).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "../tests/calendar/live_service.h"
#include "../tests/support/temp_folder.h"
#include "base/clock.h"
#include "base/date_time.h"
#include "calendar/account.h"
#include "calendar/balloon_sink.h"
#include "calendar/calendar.h"
#include "calendar/event_feed.h"
#include "calendar/http.h"
#include "calendar/locale_format.h"
#include "calendar/service_hosts.h"

namespace {

using namespace tessel;

constexpr int kEvents = 10000;
constexpr int kCalendars = 5;

class NoBalloons final : public IBalloonSink {
public:
    void ShowBalloon(const std::u16string&, const std::u16string&, int) override {}
};

std::string FeedAddress(int calendar) {
    return "http://www.calendar.test/calendar/feeds/cal" + std::to_string(calendar) + "/private/full";
}

std::string CalendarList() {
    std::string feed = "<feed xmlns='http://www.w3.org/2005/Atom' xmlns:gCal='http://schemas.calendar.test/gCal/2005'>\n";
    for (int c = 1; c <= kCalendars; ++c)
        feed += "<entry><id>cal" + std::to_string(c) + "</id><title>Calendar</title><content src='" + FeedAddress(c) +
                "'/><gCal:color value='#2952A3'/></entry>\n";
    return feed + "</feed>\n";
}

// Entries shaped like the service's: calendar after calendar, dates spread over three months,
// one in eight all-day, and times in a fixed zone.
std::string EventFeeds() {
    std::string feeds;
    unsigned state = 12345;
    auto next = [&state](unsigned limit) {
        state = state * 1103515245u + 12345u;
        return (state >> 8) % limit;
    };
    for (int c = 1; c <= kCalendars; ++c) {
        feeds += "<feed xmlns='http://www.w3.org/2005/Atom' xmlns:gd='http://schemas.calendar.test/g/2005'>\n";
        for (int i = 0; i < kEvents / kCalendars; ++i) {
            char when[160];
            const unsigned month = 2 + next(3), day = 1 + next(28), hour = 7 + next(12);
            if (next(8) == 0)
                std::snprintf(when, sizeof when, "<gd:when startTime='2008-%02u-%02u' endTime='2008-%02u-%02u'/>", month,
                              day, month, day + 1);
            else
                std::snprintf(when, sizeof when,
                              "<gd:when startTime='2008-%02u-%02uT%02u:30:00.000-07:00' "
                              "endTime='2008-%02u-%02uT%02u:00:00.000-07:00'/>",
                              month, day, hour, month, day, hour + 1);
            feeds += "<entry><id>" + FeedAddress(c) + "/e" + std::to_string(i) + "</id><title type='text'>Meeting " +
                     std::to_string(i) + " Caf\xc3\xa9</title><link rel='alternate' type='text/html' href='http://www.calendar.test/event?eid=" +
                     std::to_string(i) + "'/>" + when + "</entry>\n";
        }
        feeds += "</feed>\n";
    }
    return feeds;
}

struct Client {
    // cacheFolder: where SaveCache and LoadCache go; empty for the benchmarks that never touch it.
    explicit Client(const std::string& host, std::u16string cacheFolder = u"")
        : folder(std::move(cacheFolder)), account(folder) {
        hosts.Service = host;
        calendar = std::make_unique<TCalendar>(http, &account, clock, hosts, folder, 7);
        calendar->SetCredentials("demo@localhost", "demo");
    }
    std::u16string folder;
    THttp http;
    FixedClock clock{EncodeDateTime(2008, 3, 15, 9, 0)};
    DefaultLocaleFormat locale;
    NoBalloons balloons;
    TAccount account;
    ServiceHosts hosts;
    std::unique_ptr<TCalendar> calendar;

    void LoadFeeds() {
        calendar->CalendarDoc = NewFeedRoot();
        calendar->CalendarDoc->LoadFromBytes(CalendarList());
        calendar->CalendarEntries = calendar->CalendarDoc->SelectNodes(u"entry");
        calendar->EventDoc = NewFeedRoot();
        const std::string feeds = EventFeeds();
        // The feeds one after the other into the same tree, as a sync merges them.
        size_t start = 0;
        while (start < feeds.size()) {
            const size_t end = feeds.find("</feed>\n", start) + 8;
            calendar->EventDoc->LoadFromBytes(std::string_view(feeds).substr(start, end - start));
            start = end;
        }
        calendar->EventEntries = calendar->EventDoc->SelectNodes(u"entry");
    }
};

void BM_ParseAndSort10000(benchmark::State& state) {
    Client client("www.calendar.test");
    client.LoadFeeds();
    for (auto _ : state) {
        client.calendar->ParseEvents();
        benchmark::DoNotOptimize(client.calendar->Events.data());
    }
    state.counters["events"] = double(client.calendar->Events.size());
}
BENCHMARK(BM_ParseAndSort10000)->Unit(benchmark::kMillisecond);

// The whole tree kept (the argument 1), or each entry let go as the parse meets it (0, the
// start-up's way).
void BM_LoadCache10000(benchmark::State& state) {
    testing::TempFolder folder;
    Client writer("www.calendar.test", folder.Folder());
    writer.LoadFeeds();
    writer.calendar->SaveCache(writer.calendar->CacheName);
    Client reader("www.calendar.test", folder.Folder());
    for (auto _ : state) {
        reader.calendar->LoadCache(state.range(0) != 0);
        benchmark::DoNotOptimize(reader.calendar->Events.data());
    }
    state.counters["events"] = double(reader.calendar->Events.size());
}
BENCHMARK(BM_LoadCache10000)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_SyncGeneratedAccount(benchmark::State& state) {
    const std::string binary = testing::LiveService::FindBinary();
    if (binary.empty()) {
        state.SkipWithError("calendar-service is not built (cmake --build ... --target calendar-service)");
        return;
    }
    testing::TempFolder serviceFolder;
    testing::LiveService service(binary, serviceFolder.Path(),
                                 {"--generate", "10000:5", "--today", "2008-03-15", "--zone", "-07:00"});
    if (!service.Problem().empty()) {
        state.SkipWithError(service.Problem().c_str());
        return;
    }
    testing::TempFolder folder;
    Client client(service.Host(), folder.Folder());
    std::vector<std::string> ids;
    for (int c = 1; c <= kCalendars; ++c)
        ids.push_back("http://" + service.Host() + "/calendar/feeds/default/allcalendars/full/cal" + std::to_string(c));
    client.account.SetCalendars(ids);
    std::string last;
    client.calendar->OnStatus = [&last](TCalendar&, const std::string& message) { last = message; };
    for (auto _ : state) {
        client.calendar->Sync(EncodeDate(2008, 3, 15));
        if (last != kStatusClose) {
            state.SkipWithError(("sync ended with: " + last).c_str());
            return;
        }
    }
    state.counters["events"] = double(client.calendar->Events.size());
}
BENCHMARK(BM_SyncGeneratedAccount)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
