// Syncs of a CalDAV account of ten calendars of 1,000 events each against a local Radicale:
// the first sync of all ten side by side, a sync when nothing changed (with the sync tokens, and
// without them, through the ctag), and a sync after one event of one calendar changed. Each
// reports per sync the requests the calendars made, the events read (parses) and the bytes of
// the answers' bodies.
//
// The servers: when TESSEL_DAV_PORTS names a port file of scripts/dav-servers, that Radicale is
// used and left running; else the bench starts its own with scripts/dav-servers in
// $TMPDIR/tessel-caldav-bench (a leftover of a run that died is stopped first) and stops it at
// the end. The ten calendars are new ones under the user's home, each put whole by one PUT.
//
//   cmake --build --preset native --target caldav_bench && build/native/bin/caldav_bench
//
// Figures of one run (2 cores, Radicale 3.1.8, RelWithDebInfo). Time is wall time per sync; CPU
// is this thread's (reading answers and events; the transfers run on threads of their own);
// requests, parses and bytes (of the answers' bodies) are per sync:
//
//   sync                               time      CPU  requests  req/cal  parses   bytes
//   first, ten side by side        11,152 ms  116 ms        60        6  10,000  9.0 MB
//   no change, ten side by side     1,427 ms  0.6 ms        10        1       0  1.96 kB
//   no change, one calendar alone      46 ms  0.5 ms         1        1       0   196 B
//   no change, ten one by one         489 ms  5.7 ms        10        1       0  1.96 kB
//   no change, by ctag (no token)   1,790 ms  0.6 ms        10        1       0  5.35 kB
//   one event changed               1,458 ms  2.6 ms        11      1.1       1  2.86 kB
//
// The counts are the least the protocol allows: a first sync lists each calendar and fetches it
// in five multigets of 200; an unchanged calendar costs one request and no reading; one changed
// event costs one multiget and one parse. The time is all the server's: this side spends under
// 3 ms of a sync of more than a second. Radicale answers one sync-collection REPORT of a
// 1,000-event calendar in some 46 ms; it goes through the calendar's members for that and for
// the ctag alike, and the ctag path costs more than the token's. It serves ten such requests side by side about
// three times slower than one after the other: the side-by-side rounds help a slow server on the
// network, not this one on loopback. Filling the ten calendars (ten PUTs of whole calendars) took
// 57 s; the first sync was timed in a run of its own (--benchmark_filter=FirstSync).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../tests/support/dav_servers.h"
#include "../tests/support/temp_folder.h"
#include "base/date_time.h"
#include "base/file_io.h"
#include "calendar/caldav.h"
#include "calendar/dav_source.h"
#include "calendar/event_sources.h"
#include "calendar/http.h"
#include "ical/ical.h"

namespace {

using namespace tessel;

constexpr int kCalendars = 10;
constexpr int kEventsEach = 1000;

// Counts what went out and what came back, whatever sends it.
class CountingHttp final : public THttp {
public:
    std::vector<THttpResponse> SendAll(const std::vector<THttpRequest>& requests) override {
        std::vector<THttpResponse> answers = THttp::SendAll(requests);
        Requests += int64_t(requests.size());
        for (const THttpResponse& answer : answers) Bytes += int64_t(answer.Body.size());
        return answers;
    }
    int64_t Requests = 0;
    int64_t Bytes = 0;
};

class UtcZone final : public ical::Zone {
public:
    int32_t OffsetAt(int64_t) const override { return 0; }
};

std::string Two(int value) { return (value < 10 ? "0" : "") + std::to_string(value); }

std::string Uid(int calendar, int i) { return "bench-" + std::to_string(calendar) + "-" + std::to_string(i); }

// Event i of a calendar: a one-hour meeting between February and April 2027, all inside the
// window of the date the syncs are made for.
std::string VEvent(int calendar, int i, const std::string& summary) {
    const std::string start = "2027" + Two(2 + (i / 28) % 3) + Two(1 + i % 28) + "T" + Two(8 + (i / 84) % 10) + "0000Z";
    return "BEGIN:VEVENT\r\nUID:" + Uid(calendar, i) + "\r\nDTSTAMP:20270101T000000Z\r\nDTSTART:" + start +
           "\r\nDURATION:PT1H\r\nSUMMARY:" + summary + "\r\nLOCATION:Room " + std::to_string(i % 40) +
           "\r\nDESCRIPTION:Agenda: the figures of the week\\, what is late and who takes it on.\r\nEND:VEVENT\r\n";
}

std::string Calendar(const std::string& name, const std::string& events) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Tessel bench//EN\r\n" +
           (name.empty() ? "" : "X-WR-CALNAME:" + name + "\r\n") + events + "END:VCALENDAR\r\n";
}

// The server, the ten calendars on it, and an account whose sources have synced once.
class Account {
public:
    Account() {
        dav_ = Servers();
        if (!problem_.empty()) return;
        if (dav_.servers.empty()) {
            problem_ = dav_.problem;
            return;
        }
        server_ = dav_.servers.front();  // Radicale
        // Each calendar goes up whole, in one PUT of the collection: Radicale then stores each
        // event under its UID + ".ics". A PUT of one new event checks its UID against every event
        // of the calendar, so a thousand of them one by one grows quadratic (some 75 ms each near
        // the thousandth on this machine: more than ten minutes for the ten calendars).
        const std::string stamp = std::to_string(std::chrono::steady_clock::now().time_since_epoch().count() % 1000000);
        const auto started = std::chrono::steady_clock::now();
        std::vector<THttpRequest> puts;
        for (int c = 0; c < kCalendars; ++c) {
            calendars_.push_back(server_.home + "bench-" + stamp + "-" + std::to_string(c) + "/");
            std::string events;
            for (int i = 0; i < kEventsEach; ++i) events += VEvent(c, i, "Meeting " + std::to_string(i));
            puts.push_back(Put(calendars_.back(), Calendar("Bench " + std::to_string(c), events)));
        }
        for (const THttpResponse& answer : http_.SendAll(puts))
            if (answer.Status < 200 || answer.Status >= 300)
                problem_ = "a calendar's PUT answered " + std::to_string(answer.Status) + " " + answer.ErrorText;
        fillSeconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        if (!problem_.empty()) return;
        synced_ = MakeSources(folder_.Folder());
        const std::string failure = Sync(synced_);
        if (!failure.empty()) problem_ = "the first sync failed: " + failure;
    }

    ~Account() {
        if (startedIn_.empty()) return;
        const std::string command = "timeout 30 bash '" + std::string(TESSEL_SOURCE_DIR) + "/scripts/dav-servers' stop '" +
                                    startedIn_.string() + "' >/dev/null 2>&1";
        (void)std::system(command.c_str());
        std::error_code ignored;
        std::filesystem::remove_all(startedIn_, ignored);
    }

    // Why the bench cannot run; empty when it can.
    const std::string& Problem() const { return problem_; }
    double FillSeconds() const { return fillSeconds_; }
    CountingHttp& Http() { return http_; }
    std::vector<std::unique_ptr<TDavCalendarSource>>& Synced() { return synced_; }

    // Fresh sources of the ten calendars, their copies kept in folder; one set of credentials
    // for all, as an account's calendars share them.
    std::vector<std::unique_ptr<TDavCalendarSource>> MakeSources(const std::u16string& folder) const {
        auto credentials = std::make_shared<TDavCredentials>(
            TDavCredentials{server_.origin + "/", dav_.user, dav_.password, false});
        std::vector<std::unique_ptr<TDavCalendarSource>> sources;
        for (int c = 0; c < kCalendars; ++c)
            sources.push_back(std::make_unique<TDavCalendarSource>(
                credentials, "Bench", TSubscription{calendars_[size_t(c)], "Bench " + std::to_string(c), 0x0000FF, true},
                folder, utc_));
        return sources;
    }

    // One sync of them all side by side; the first failure, if any.
    std::string Sync(std::vector<std::unique_ptr<TDavCalendarSource>>& sources) {
        std::vector<TEventSource*> side;
        for (auto& source : sources) side.push_back(source.get());
        SyncSide(http_, side, Date());
        for (auto& source : sources)
            if (!source->Failure().empty()) return source->FailureLine();
        return {};
    }

    // A new text for event i of a calendar, alone.
    THttpRequest PutEvent(int calendar, int i, const std::string& summary) const {
        return Put(calendars_[size_t(calendar)] + Uid(calendar, i) + ".ics",
                   Calendar("", VEvent(calendar, i, summary)));
    }

    THttpRequest Put(std::string url, std::string body) const {
        THttpRequest request;
        request.Method = "PUT";
        request.Url = std::move(url);
        request.Body = std::move(body);
        request.Headers = {"Content-Type: text/calendar; charset=utf-8"};
        request.User = dav_.user;
        request.Password = dav_.password;
        request.TimeLimitMs = 120000;
        return request;
    }

    static TDateTime Date() { return EncodeDate(2027, 3, 15); }

private:
    // The port file given, else servers of our own.
    testing::DavServers Servers() {
        const char* given = std::getenv("TESSEL_DAV_PORTS");
        if (given && *given) return testing::FindDavServers();
        startedIn_ = std::filesystem::temp_directory_path() / "tessel-caldav-bench";
        const std::string ports = (startedIn_ / "ports").string();
        // The script stops what a run that died left in the folder before it starts anew.
        const std::string command = "timeout 120 bash '" + std::string(TESSEL_SOURCE_DIR) +
                                    "/scripts/dav-servers' start '" + startedIn_.string() + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0 || !std::filesystem::exists(ports)) {
            problem_ = "scripts/dav-servers did not start the servers; see " + startedIn_.string();
            return {};
        }
        setenv("TESSEL_DAV_PORTS", ports.c_str(), 1);
        return testing::FindDavServers();
    }

    std::filesystem::path startedIn_;
    testing::DavServers dav_;
    testing::DavServer server_;
    std::vector<std::string> calendars_;
    CountingHttp http_;
    testing::TempFolder folder_;
    UtcZone utc_;
    std::vector<std::unique_ptr<TDavCalendarSource>> synced_;
    std::string problem_;
    double fillSeconds_ = 0;
};

Account& TheAccount() {
    static Account account;
    return account;
}

int64_t Parses(const std::vector<std::unique_ptr<TDavCalendarSource>>& sources) {
    int64_t parses = 0;
    for (const auto& source : sources) parses += source->ParseCount();
    return parses;
}

// What the timed syncs cost, per sync.
struct Tally {
    int64_t requests = 0;
    int64_t bytes = 0;
    int64_t parses = 0;

    void Report(benchmark::State& state, int calendars = kCalendars) const {
        const auto perSync = benchmark::Counter::kAvgIterations;
        state.counters["requests"] = benchmark::Counter(double(requests), perSync);
        state.counters["req/calendar"] = double(requests) / double(state.iterations()) / calendars;
        state.counters["parses"] = benchmark::Counter(double(parses), perSync);
        state.counters["bytes"] = benchmark::Counter(double(bytes), perSync);
    }
};

// Counts the requests, bytes and parses of one timed sync of sources.
bool CountedSync(benchmark::State& state, std::vector<std::unique_ptr<TDavCalendarSource>>& sources, Tally& tally) {
    Account& account = TheAccount();
    const int64_t requests = account.Http().Requests, bytes = account.Http().Bytes, parses = Parses(sources);
    const std::string failure = account.Sync(sources);
    tally.requests += account.Http().Requests - requests;
    tally.bytes += account.Http().Bytes - bytes;
    tally.parses += Parses(sources) - parses;
    if (failure.empty()) return true;
    state.SkipWithError(failure.c_str());
    return false;
}

bool Ready(benchmark::State& state) {
    if (TheAccount().Problem().empty()) return true;
    state.SkipWithError(TheAccount().Problem().c_str());
    return false;
}

// All ten with no copy: each lists its calendar and fetches it in multigets of 200.
void BM_FirstSync(benchmark::State& state) {
    if (!Ready(state)) return;
    Tally tally;
    for (auto _ : state) {
        state.PauseTiming();
        testing::TempFolder folder;
        auto sources = TheAccount().MakeSources(folder.Folder());
        state.ResumeTiming();
        if (!CountedSync(state, sources, tally)) return;
    }
    tally.Report(state);
    state.counters["fill_s"] = TheAccount().FillSeconds();
}
BENCHMARK(BM_FirstSync)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

// Nothing changed, with the sync tokens: one sync-collection REPORT a calendar.
void BM_NoChange(benchmark::State& state) {
    if (!Ready(state)) return;
    Tally tally;
    for (auto _ : state)
        if (!CountedSync(state, TheAccount().Synced(), tally)) return;
    tally.Report(state);
}
BENCHMARK(BM_NoChange)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);

// The same for one calendar alone: what one sync-collection REPORT costs, to set the ten side by
// side against.
void BM_NoChangeOneCalendar(benchmark::State& state) {
    if (!Ready(state)) return;
    auto& synced = TheAccount().Synced();
    std::vector<std::unique_ptr<TDavCalendarSource>> one;
    one.push_back(std::move(synced.front()));
    Tally tally;
    for (auto _ : state)
        if (!CountedSync(state, one, tally)) break;
    synced.front() = std::move(one.front());
    tally.Report(state, 1);
}
BENCHMARK(BM_NoChangeOneCalendar)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);

// The ten one after the other instead of side by side.
void BM_NoChangeOneByOne(benchmark::State& state) {
    if (!Ready(state)) return;
    auto& synced = TheAccount().Synced();
    Tally tally;
    for (auto _ : state) {
        for (auto& source : synced) {
            std::vector<std::unique_ptr<TDavCalendarSource>> one;
            one.push_back(std::move(source));
            const bool worked = CountedSync(state, one, tally);
            source = std::move(one.front());
            if (!worked) return;
        }
    }
    tally.Report(state);
}
BENCHMARK(BM_NoChangeOneByOne)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);

// Nothing changed, copies without a sync token: one PROPFIND of the ctag a calendar.
void BM_NoChangeByCTag(benchmark::State& state) {
    if (!Ready(state)) return;
    Account& account = TheAccount();
    testing::TempFolder folder;
    auto sources = account.MakeSources(folder.Folder());
    for (size_t c = 0; c < sources.size(); ++c) {
        TDavCopy copy;
        if (!ReadDavCopy(ReadFileBytes(account.Synced()[c]->CachePath()), copy) || copy.CTag.empty()) {
            state.SkipWithError("a calendar's copy holds no ctag");
            return;
        }
        copy.SyncToken.clear();
        WriteFileAtomic(sources[c]->CachePath(), DavCopyText(copy));
        sources[c]->LoadCache(Account::Date());
    }
    Tally tally;
    for (auto _ : state)
        if (!CountedSync(state, sources, tally)) return;
    tally.Report(state);
}
BENCHMARK(BM_NoChangeByCTag)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);

// One event of the first calendar changed (by a PUT outside the timing): the ten sync-collection
// REPORTs, then one multiget of that event.
void BM_OneChanged(benchmark::State& state) {
    if (!Ready(state)) return;
    Account& account = TheAccount();
    Tally tally;
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const THttpResponse put = account.Http().Send(account.PutEvent(0, 500, "Moved " + std::to_string(++round)));
        state.ResumeTiming();
        if (put.Status < 200 || put.Status >= 300) {
            state.SkipWithError("the PUT of the change failed");
            return;
        }
        if (!CountedSync(state, account.Synced(), tally)) return;
    }
    tally.Report(state);
}
BENCHMARK(BM_OneChanged)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace
