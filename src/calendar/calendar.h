#pragma once
// TCalendar: the calendar service client. It signs in, fetches the calendar list and the event
// feeds of the selected calendars, keeps them as XML trees and in two cache files, and holds the
// sorted event list every window reads.
//
// A sync fetches into fresh trees and builds the new event list aside; only a run that gets past
// the sign-in and the calendar list writes the cache and swaps the new trees and events in. A
// refused sign-in, or a calendar list that does not come whole and the service's, fails the run:
// the event list, both trees and the cache files stay as they were. A calendar whose feed fails
// (no answer, another status, not the service's feed, a malformed entry) does not fail the run:
// it keeps the entries it had in the cache, byte for byte, and its events, while every other
// calendar updates; FeedFailures names it and the status says so. A cache that cannot be written
// does not fail the run either: the events that arrived are swapped in, the files stay as they
// were, and the status says the cache was not saved.
//
// The status handler lets window messages run while the network blocks, so a timer tick or a
// menu command may call Sync again in the middle of one: that nested call returns at once.
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/date_time.h"
#include "calendar/account.h"
#include "calendar/event.h"
#include "calendar/http.h"
#include "calendar/zone.h"
#include "xml/xdata_list.h"
#include "xml/xdata_node.h"

namespace tessel {

class IBalloonSink;
class IClock;
class ILocaleFormat;
struct ServiceHosts;

// The status texts the client reports.
inline constexpr char kStatusSyncing[] = "Sync Google Calendar ...";
inline constexpr char kStatusConnecting[] = "Connect to Google Calendar";
inline constexpr char kStatusClose[] = "close";
inline constexpr char kStatusSyncException[] = "Exception in sync!";
// A cache file that was cut short or does not parse, and a sync that could not replace it.
inline constexpr char kStatusCacheDamaged[] = "The cache is damaged and could not be refreshed!";
// The events arrived and are shown, but the cache files could not be written.
inline constexpr char kStatusCacheNotSaved[] = "The events are shown, but the cache was not saved!";
// Before the names of the calendars whose feeds failed, one a line ("home: ...").
inline constexpr char kStatusFeedsFailed[] = "Some calendars could not be updated:";
inline constexpr char kStatusSyncAuthFailed[] =
    "Gmail Authenticate failed!\rUsername or Pass not correctly,\rCheck username and pass !";
inline constexpr char kStatusConnectAuthFailed[] =
    "Gmail Authenticate failed!\rUsername or Pass not correctly,\rOpen Options windows to change !";

class TCalendar final : public ICredentialsSink {
public:
    using StatusHandler = std::function<void(TCalendar& calendar, const std::string& message)>;

    // account may be null (no calendar is then selected). cacheFolder holds the cache files, with
    // a trailing separator. zoneHours is the machine's zone unless a test fixes it.
    TCalendar(THttp& http, TAccount* account, IClock& clock, const ServiceHosts& hosts, std::u16string cacheFolder,
              int32_t zoneHours = LocalZoneHours());
    ~TCalendar() override;
    TCalendar(const TCalendar&) = delete;
    TCalendar& operator=(const TCalendar&) = delete;

    // Status.
    void ReportStatus(const std::string& message);

    // The service's records. The windows read the merged list of every source (TEventSources).
    void ClearEvents();
    void ClearEventDoc();
    // Lets the merged feed tree go (EventDoc empty, EventEntries null); the events stay. Nothing
    // reads the tree once its events are parsed and written, and the next sync fetches a new
    // one, so the program drops it after each load and sync: for a busy account it takes
    // several times the memory of the events. Does nothing while a sync runs.
    void ReleaseEventDoc();

    // Sign-in and the calendar list.
    void SetCredentials(const std::string& user, const std::string& password) override;
    void SignIn();
    void AuthorizedGet(const std::string& url);
    void FetchCalendarList();
    // The account dialog's test: sign in and list the calendars. A request that got no answer
    // raises EHttpError, which passes through.
    void Connect();

    // Event feeds, parsing and cache.
    void Sync(TDateTime date);
    // Why the last Sync failed, for developers and scripts (the status text stays the user's
    // message); empty after a successful run.
    std::string SyncFailure;
    // The calendars whose feed failed in the last Sync (they kept their previous entries): the
    // calendar's title and what went wrong. Empty after a run where every feed came.
    struct FeedFailure {
        std::string Calendar;
        std::string Problem;
    };
    std::vector<FeedFailure> FeedFailures;
    // Why the last Sync could not write the cache files although its events came (the status
    // says only that the cache was not saved); empty when they were written or not reached.
    std::string CacheFailure;
    // Fetches the selected calendars' feeds into a new EventDoc (a calendar whose feed fails keeps
    // its cached entries; FeedFailures names it). Raises EError when there is no calendar list;
    // EventDoc and EventEntries then stay as they were.
    void FetchEvents(TDateTime date);
    // Rebuilds Events from EventEntries; a malformed entry raises and leaves Events as it was.
    void ParseEvents();
    std::string CalendarColor(const std::string& id) const;
    std::string AlternateLink(const TxdataNode& entry) const;
    // Writes EventDoc to the cache folder + stem + ".xml" and CalendarDoc to the cache folder +
    // stem + "-cat.xml", the stem being CacheFileStem(folder, name).
    void SaveCache(const std::string& name);
    // Fills the trees and Events from the cache files; runs Sync(now) when one of them is missing
    // or damaged (cut short, or not a document). A damaged file is not loaded: it counts as
    // missing, and sets CacheDamaged until a sync writes the cache again. Without keepEventDoc
    // the events file's tree is never held whole: each entry is made into its records as the
    // parse meets it and let go, and EventDoc and EventEntries end as ReleaseEventDoc leaves
    // them (the start-up's way: a large cache's tree takes several times its events' memory).
    // With syncWhenMissing false a missing or damaged file is left for the caller's own sync.
    // True when both files were read.
    bool LoadCache(bool keepEventDoc = true, bool syncWhenMissing = true);
    // Starts reading the cache of the account named user on a thread of its own, as LoadCache
    // without keepEventDoc reads it, while the caller goes on (the start makes its windows
    // meanwhile). LoadCache takes what it read when the account is still the same; anything that
    // writes the cache waits for it first.
    void ReadCacheAhead(const std::string& user);
    // The name the cache files of the account named user are made from.
    static std::string CacheNameOf(const std::string& user);
    // A cache file was found damaged and no sync has replaced it yet; a failed sync then says so.
    bool CacheDamaged = false;

    // The host setting for sign-in and feeds ("www.google.com", "localhost:8443").
    const std::string& ServiceHost() const { return serviceHost_; }
    // Put on a request to the service's own host that it answers with 401; no other server
    // is ever given them.
    std::string DefaultUser = "tanrows";
    std::string DefaultPassword = "4K7Q2M";
    // How long one request to the service may take, its answer read whole. A feed of 100,000
    // events (84 MB) still comes within it over a line of 12 Mbit/s, and compressed over a much
    // slower one.
    int32_t ServiceTimeLimitMs = 60000;

    StatusHandler OnStatus;
    std::string Response;
    std::string AuthLine;
    std::string UserName;
    std::string CacheName;
    std::string Password;
    int32_t ZoneHours;
    // The records of the last load or sync. TEventSources takes them into its merged list; the
    // generation tells it whether there are new ones since.
    EventList Events;
    uint32_t EventsGeneration = 0;
    std::unique_ptr<TxdataList> EventEntries;
    // Null when there is no calendar list (before the first fetch, after a failed one).
    std::unique_ptr<TxdataList> CalendarEntries;
    std::unique_ptr<TxdataNode> EventDoc;
    std::unique_ptr<TxdataNode> CalendarDoc;
    int32_t Days = 0;
    bool Syncing = false;

private:
    struct CacheRead;
    // What the read ahead found, when it was for this account; null when there was none.
    std::unique_ptr<CacheRead> TakeCacheAhead();
    void DropCacheAhead();
    std::future<std::unique_ptr<CacheRead>> cacheAhead_;
    std::string cacheAheadName_;

    // A tree fetched or read aside, and its entry elements (null when it holds no usable list).
    struct FeedTree {
        std::unique_ptr<TxdataNode> Doc;
        std::unique_ptr<TxdataList> Entries;
    };

    // The feeds of a run, their records (unsorted) and the calendars that kept their old entries:
    // those entries are in the tree too, and their text as the cache held it in KeptText.
    struct FeedRun {
        FeedTree Tree;
        EventList Events;
        std::vector<FeedFailure> Failures;
        std::string KeptText;
        std::vector<std::unique_ptr<TxdataNode>> KeptTrees;
    };
    // The events cache as last written: its tree, and the text of each entry as the file holds it.
    struct PreviousEvents {
        std::unique_ptr<TxdataNode> Doc;
        std::vector<std::string> EntryTexts;
    };

    FeedTree FetchCalendarListAside();
    FeedRun FetchEventsAside(TDateTime date, const TxdataList* calendars);
    static void JoinKeptEntries(FeedRun& run);
    // The events cache as last written, for the entries of calendars whose feed failed; no Doc
    // when there is none or it is damaged.
    PreviousEvents ReadPreviousEvents() const;
    // False when the service refused the sign-in (the run then stops there).
    bool RunSync(TDateTime date);
    // keptEntries: entries' text as an earlier cache held it, written after the tree's own.
    void WriteCacheFiles(const std::string& name, const TxdataNode& events, const TxdataNode& calendars,
                         std::string_view keptEntries = {});
    bool MentionsServiceDomain(const std::string& answer) const;
    // What is wrong with the answer of the last request for a feed: it failed, came cut short
    // or too late, or is not the service's. Empty when it may be loaded.
    std::string FeedAnswerProblem() const;
    // Loads the answer into doc, which may already hold earlier feeds; false when its last top
    // element is not a feed. XML errors raise.
    bool LoadFeedAnswer(TxdataNode& doc);
    // Fetches url and loads the answer into doc. Raises EError beginning with `what` when the
    // request or the answer fails in any way.
    void FetchFeedInto(const std::string& url, TxdataNode& doc, const std::string& what);

    // One request of the client's: to the service's host it carries the headers, the default
    // credentials and the pinned certificate; to any other it carries neither the headers nor
    // the credentials. answer_ keeps the answer. Raises EHttpError when no answer came at all.
    void ServiceGet(const std::string& url, std::vector<std::string> headers);

    THttp& http_;
    THttpResponse answer_;
    TAccount* account_;
    IClock& clock_;
    std::string serviceHost_;
    std::string serviceDomain_;
    std::string servicePin_;
    std::u16string cacheFolder_;
};

// The name a cache file pair is given in folder: the cache name itself while it names valid
// files there (the files of existing caches keep their names), else the name's letters, digits
// and @_-+ (others become "_", at most 48 of them), "-" and 16 hexadecimal digits of its SHA-256.
std::string CacheFileStem(const std::u16string& folder, const std::string& name);

}  // namespace tessel
