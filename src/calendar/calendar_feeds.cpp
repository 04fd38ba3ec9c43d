// The sync run: event feeds of the selected calendars, the event list built from them, and the
// commit that swaps a finished run in.
#include "calendar/calendar.h"

#include <exception>

#include "base/errors.h"
#include "base/text.h"
#include "calendar/event.h"
#include "calendar/event_feed.h"
#include "calendar/http.h"
#include "calendar/service_address.h"

namespace tessel {

namespace {

// Clears the flag however the run ends.
class SyncingScope {
public:
    explicit SyncingScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~SyncingScope() { flag_ = false; }
    SyncingScope(const SyncingScope&) = delete;
    SyncingScope& operator=(const SyncingScope&) = delete;

private:
    bool& flag_;
};

std::string WithoutQuotes(std::string text) {
    std::erase_if(text, [](char c) { return c == '"' || c == '\''; });
    return text;
}

}  // namespace

void TCalendar::Sync(TDateTime date) {
    // A status handler that pumps messages may bring a timer tick or a menu command here while
    // a run is under way; a second run on top of it would work on half-fetched state.
    if (Syncing) return;
    SyncingScope syncing(Syncing);
    SyncFailure.clear();
    CacheFailure.clear();
    bool signInRefused = false;
    try {
        signInRefused = !RunSync(date);
    } catch (const EConvertError& e) {
        // A request that got no answer raises the empty status's conversion error; the
        // transport's own reason says more.
        SyncFailure =
            http_.ErrorText.empty() ? std::string(e.what()) : "No answer from the service: " + http_.ErrorText;
        ReportStatus(kStatusSyncException);
    } catch (const std::exception& e) {
        SyncFailure = e.what();
        ReportStatus(kStatusSyncException);
    }
    // A refused sign-in is the user's to mend, so its text stays on the panel; the damaged cache
    // is told after any other failure.
    if (!SyncFailure.empty() && CacheDamaged && !signInRefused) ReportStatus(kStatusCacheDamaged);
}

bool TCalendar::RunSync(TDateTime date) {
    ReportStatus(kStatusSyncing);
    SignIn();
    if (AuthLine.empty()) {
        SyncFailure = "The sign-in of " + UserName + " was not accepted" +
                      (http_.ErrorText.empty() ? " (status " + std::to_string(http_.StatusCode) + ")"
                                               : ": " + http_.ErrorText);
        ReportStatus(kStatusSyncAuthFailed);
        return false;
    }
    FeedTree calendars = FetchCalendarListAside();
    FeedTree feeds = FetchEventsAside(date, calendars.Entries.get());
    EventList events = EventsFromEntries(feeds.Entries.get(), calendars.Entries.get());
    SortEvents(events);
    // The events arrived whole: a cache that cannot be written does not cost them.
    bool cacheSaved = true;
    try {
        WriteCacheFiles(CacheName, *feeds.Doc, *calendars.Doc);
        CacheDamaged = false;
    } catch (const std::exception& e) {
        cacheSaved = false;
        CacheFailure = e.what();
    }

    // Nothing below raises: the run is committed whole.
    EventEntries = std::move(feeds.Entries);
    EventDoc = std::move(feeds.Doc);
    CalendarEntries = std::move(calendars.Entries);
    CalendarDoc = std::move(calendars.Doc);
    Events = std::move(events);
    NextIndex = -1;
    ReportStatus(cacheSaved ? kStatusClose : kStatusCacheNotSaved);
    return true;
}

TCalendar::FeedTree TCalendar::FetchEventsAside(TDateTime date, const TxdataList* calendars) {
    if (!calendars) throw EError("There is no calendar list to fetch events for");
    const std::string query = FeedWindowQuery(date, ZoneHours);
    FeedTree feeds;
    feeds.Doc = NewFeedRoot();
    for (size_t i = 0; i < calendars->Count(); ++i) {
        const TxdataNode& calendar = *calendars->Node(i);
        const std::string id = Narrow(calendar.ReadValue(u"id"));
        if (!account_ || account_->IndexOfCalendar(id) < 0) continue;
        // Feeds load into one tree without clearing it, so their entries merge calendar by calendar.
        // A calendar whose feed does not come fails the run: leaving it out would empty that
        // calendar in the cache and the windows.
        FetchFeedInto(WithoutQuotes(Narrow(calendar.ReadValue(u"content/src"))) + query, *feeds.Doc,
                      "The feed of calendar \"" + CleanText(Narrow(calendar.ReadValue(u"title"))) + "\"");
    }
    feeds.Entries = feeds.Doc->SelectNodes(u"entry");
    Response.clear();
    return feeds;
}

void TCalendar::FetchEvents(TDateTime date) {
    FeedTree feeds = FetchEventsAside(date, CalendarEntries.get());
    EventEntries = std::move(feeds.Entries);
    EventDoc = std::move(feeds.Doc);
}

void TCalendar::ParseEvents() {
    EventList events = EventsFromEntries(EventEntries.get(), CalendarEntries.get());
    SortEvents(events);
    Events = std::move(events);
    NextIndex = -1;
}

std::string TCalendar::CalendarColor(const std::string& id) const { return CalendarColorOf(CalendarEntries.get(), id); }

std::string TCalendar::AlternateLink(const TxdataNode& entry) const { return AlternateLinkOf(entry); }

}  // namespace tessel
