#pragma once
// Where the events come from, and the one sorted list the windows read. Each source keeps its
// own events, its cache and its last failure: the service's calendars (TCalendar, which signs
// in and fetches the feeds), each subscription (an iCalendar file at an address) and each
// calendar of a CalDAV account. A sync asks every source and merges what they hold; a source
// that fails keeps what it had, and the others update all the same.
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
#include "calendar/event_source.h"
#include "calendar/subscription_source.h"
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

// The syncs of several sources side by side, for the window around date.
void SyncSide(THttp& http, const std::vector<TEventSource*>& sources, TDateTime date);

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

    // Takes the subscriptions' and accounts' lists as they stand (after a load, after the
    // dialog): a source whose settings are unchanged keeps its events; the others start afresh.
    // The cache file of a calendar no longer in the lists is removed.
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

    // Every source but the service, subscriptions first, in the user's order.
    const std::vector<std::unique_ptr<TEventSource>>& Sources() const { return sources_; }

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
    std::vector<std::unique_ptr<TEventSource>> sources_;
    // The merged list holds the client's records of this generation: a copy of a busy
    // account's list would cost megabytes.
    bool serviceInList_ = false;
    uint32_t serviceGeneration_ = 0;
};

}  // namespace tessel
