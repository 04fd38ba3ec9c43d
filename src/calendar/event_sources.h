#pragma once
// Where the events come from, and the one sorted list the windows read. Each source keeps its
// own events, its cache and its last failure: the service's calendars (TCalendar, which signs
// in and fetches the feeds) and each subscription (an iCalendar file at an address). A sync asks
// every source in turn and merges what they hold; a source that fails keeps what it had, and
// the others update all the same.
//
// Failures reach the status panel in the user's words, one line per source that failed
// ("Work: the address answered 404"), never with a subscription's address. Without an account
// name the service is left alone entirely: no sign-in is sent and nothing says it failed.
//
// The status handler lets window messages run while the network blocks, so a timer tick or a
// menu command may call Sync again in the middle of one: that nested call returns at once.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "calendar/event.h"
#include "calendar/subscriptions.h"
#include "ical/ical.h"

namespace tessel {

class IBalloonSink;
class IClock;
class ILocaleFormat;
class TAccount;
class TCalendar;
class THttp;

// The days a sync covers for the date shown: from the first day of the month before to the
// first day of the month after the next, exclusive (the feeds' window).
void SyncWindow(TDateTime date, TDateTime& fromDay, TDateTime& toDay);

// One subscription's events: its last good copy (cached in a file of its own, named after a
// digest of the address), the calendar read from it, and the occurrences expanded from that for
// the window last asked for, in the subscription's colour.
class TSubscriptionSource {
public:
    TSubscriptionSource(TSubscription subscription, std::u16string cacheFolder, const ical::Zone& local);
    ~TSubscriptionSource();
    TSubscriptionSource(const TSubscriptionSource&) = delete;
    TSubscriptionSource& operator=(const TSubscriptionSource&) = delete;

    const TSubscription& Subscription() const { return subscription_; }
    // The title the user gave, else the file's own name, else the address without its secret.
    std::string Title() const;
    // Its cache file: the folder + "subscription-" + 16 hex digits of the address's SHA-256 + ".cache".
    std::u16string CachePath() const;

    // Reads the cached copy and expands it, without the network. A missing or damaged copy
    // leaves the events empty; the next sync fetches the address whole.
    void LoadCache(TDateTime date);
    // Fetches the address (conditionally when a copy is at hand) and, when it changed, reads it,
    // expands it and caches it. A 304 reuses the calendar read before: nothing is parsed, and
    // nothing expanded when the window is the same. On failure the events and the cache stay as
    // they were and Failure says why.
    void Sync(THttp& http, TDateTime date);
    // The two halves of Sync, for fetches made side by side: what to ask for, and what to make
    // of the answer.
    TSubscriptionOrder Order() const;
    void Apply(TSubscriptionFetch fetch, TDateTime date);

    const EventList& Events() const { return events_; }
    // Why the last sync failed, in the user's words; empty after one that worked.
    const std::string& Failure() const { return failure_; }
    // How many times a body was read as a calendar (the cache's and the network's).
    int ParseCount() const { return parses_; }
    // What reading the copy at hand passed over (lines, values, components): how many, and the
    // first ("line 15: an empty recurrence rule, ignored"). No failure: the rest is shown.
    size_t SkippedCount() const { return calendar_ ? calendar_->WarningCount : 0; }
    std::string FirstSkipped() const;

private:
    void Expand(TDateTime date);
    // Reads body, whose SHA-256 is digest, as the calendar; false (Failure says why) when it is none.
    bool ReadCopy(std::string_view body, std::string digest);

    TSubscription subscription_;
    std::u16string cacheFolder_;
    const ical::Zone& local_;
    std::unique_ptr<ical::Calendar> calendar_;
    std::string etag_;
    std::string lastModified_;
    // Of the body read last: a server without validators that sends the same bytes costs no parse.
    std::string bodyDigest_;
    TDateTime fromDay_ = 0;
    TDateTime toDay_ = 0;
    EventList events_;
    std::string failure_;
    int parses_ = 0;
};

class TEventSources {
public:
    using StatusHandler = std::function<void(const std::string& message)>;

    // local: the zone the subscriptions' occurrences are shown in (the machine's when null).
    TEventSources(TCalendar& calendar, TAccount& account, TSubscriptions& subscriptions, THttp& http,
                  const IClock& clock, const ILocaleFormat& locale, IBalloonSink& balloons, std::u16string cacheFolder,
                  std::unique_ptr<ical::Zone> local = nullptr);
    ~TEventSources();
    TEventSources(const TEventSources&) = delete;
    TEventSources& operator=(const TEventSources&) = delete;

    // Takes the subscriptions' list as it stands (after a load, after the dialog): a source whose
    // address, colour and visibility are unchanged keeps its events; the others start afresh. The
    // cache file of a subscription no longer in the list is removed.
    void Reload();
    // Start-up: the subscriptions' caches (no network), merged at once; then the service's, which
    // syncs the service when one of its files is missing (TCalendar::LoadCache), and the merge
    // again. Without syncServiceWhenMissing nothing goes to the network at all. False when the
    // service's cache was missing or damaged (then, without syncServiceWhenMissing,
    // SyncServiceCache does what the load would have done).
    bool LoadCache(TDateTime date, bool syncServiceWhenMissing = true);
    // The sync a load makes for a missing service cache (the client's own, with its own status
    // messages), and the merge.
    void SyncServiceCache();
    // A sync of every source for the window around date, then the merged list. Ends with the
    // status "close", or with the lines naming what failed.
    void Sync(TDateTime date);
    // The service had to be left out because there is no account name to sign in with.
    bool HasAccount() const;

    // What failed in the last sync, one line per source, as the status shows them.
    std::vector<std::string> Failures;

    const std::vector<std::unique_ptr<TSubscriptionSource>>& Subscriptions() const { return sources_; }

    // The merged list and what the windows ask of it.
    bool HasEventsOn(TDateTime day) const;
    std::u16string DayText(TDateTime day) const;
    // The next timed, not yet notified event after now; now + 3 days when there is none.
    TDateTime FindNextEvent();
    void NotifyNextEvent();

    StatusHandler OnStatus;
    EventList Events;
    int32_t NextIndex = -1;
    bool Syncing = false;

private:
    void ReportStatus(const std::string& message);
    // The service's part of a sync; its failures, if any, go to Failures. True when it ended with
    // a message of its own (a refused sign-in, a failed run, a cache not saved), not feed by feed.
    bool SyncService(TDateTime date);
    void Merge();
    // The service's records for a merge: the client's new ones, else the merged list's own
    // (taken out of it, in the client's order).
    EventList TakeServiceRecords();

    TCalendar& calendar_;
    TAccount& account_;
    TSubscriptions& subscriptions_;
    THttp& http_;
    const IClock& clock_;
    const ILocaleFormat& locale_;
    IBalloonSink& balloons_;
    std::u16string cacheFolder_;
    std::unique_ptr<ical::Zone> local_;
    std::vector<std::unique_ptr<TSubscriptionSource>> sources_;
    // The merged list holds the client's records of this generation: a copy of a busy
    // account's list would cost megabytes.
    bool serviceInList_ = false;
    uint32_t serviceGeneration_ = 0;
};

}  // namespace tessel
