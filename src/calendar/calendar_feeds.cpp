// The sync run: event feeds of the selected calendars, the event list built from them, and the
// commit that swaps a finished run in.
#include "calendar/calendar.h"

#include <exception>
#include <iterator>
#include <vector>

#include "base/errors.h"
#include "base/flag_scope.h"
#include "base/text.h"
#include "calendar/event.h"
#include "calendar/event_feed.h"
#include "calendar/http.h"
#include "calendar/service_address.h"

namespace tessel {

namespace {


std::string WithoutQuotes(std::string text) {
    std::erase_if(text, [](char c) { return c == '"' || c == '\''; });
    return text;
}

}  // namespace

void TCalendar::Sync(TDateTime date) {
    // A status handler that pumps messages may bring a timer tick or a menu command here while
    // a run is under way; a second run on top of it would work on half-fetched state.
    if (Syncing) return;
    const FlagScope syncing(Syncing);
    SyncFailure.clear();
    CacheFailure.clear();
    bool signInRefused = false;
    try {
        signInRefused = !RunSync(date);
    } catch (const EHttpError& e) {
        SyncFailure = std::string("No answer from the service: ") + e.what();
        ReportStatus(kStatusSyncException);
    } catch (const std::exception& e) {
        SyncFailure = e.what();
        ReportStatus(kStatusSyncException);
    }
    // A refused sign-in is the user's to mend, so its text stays on the panel; the damaged cache
    // is told after any other failure.
    if (!SyncFailure.empty() && CacheDamaged && !signInRefused) ReportStatus(kStatusCacheDamaged);
}

namespace {

// Moves the element children of from to the end of to's children.
void MoveElements(TxdataNode& from, TxdataNode& to) {
    std::vector<TxdataNode*> elements;
    for (size_t i = 0; i < from.ChildCount(); ++i)
        if (auto* node = dynamic_cast<TxdataNode*>(from.Child(i))) elements.push_back(node);
    for (TxdataNode* node : elements) to.AddChild(node->Detach());
}

}  // namespace

// The kept entries join the run's tree once its text has been written.
void TCalendar::JoinKeptEntries(FeedRun& run) {
    if (run.KeptTrees.empty()) return;
    run.Tree.Entries.reset();
    for (const auto& kept : run.KeptTrees) MoveElements(*kept, *run.Tree.Doc);
    run.KeptTrees.clear();
    run.Tree.Entries = run.Tree.Doc->SelectNodes(u"entry");
}

namespace {

// The entries of the calendar whose feed address is src, taken out of previous's tree; their
// text as the cache holds it goes to keptText when it is known.
std::unique_ptr<TxdataNode> EntriesOfCalendar(TxdataNode* previous, const std::vector<std::string>& entryTexts,
                                              const std::string& src, std::string& keptText) {
    std::unique_ptr<TxdataNode> kept = NewFeedRoot();
    if (!previous || src.empty()) return kept;
    std::vector<TxdataNode*> entries;
    size_t index = 0;
    for (size_t i = 0; i < previous->ChildCount(); ++i) {
        auto* node = dynamic_cast<TxdataNode*>(previous->Child(i));
        if (!node || !SameTextAscii(node->Name(), u"entry")) continue;
        if (CleanText(Narrow(node->ReadValue(u"id"))).find(src) != std::string::npos) {
            entries.push_back(node);
            if (index < entryTexts.size()) keptText += entryTexts[index];
        }
        ++index;
    }
    for (TxdataNode* node : entries) kept->AddChild(node->Detach());
    return kept;
}

}  // namespace

bool TCalendar::RunSync(TDateTime date) {
    ReportStatus(kStatusSyncing);
    FeedFailures.clear();
    SignIn();
    if (AuthLine.empty()) {
        SyncFailure = "The sign-in of " + UserName + " was not accepted" +
                      (answer_.ErrorText.empty() ? " (status " + std::to_string(answer_.Status) + ")"
                                                 : ": " + answer_.ErrorText);
        ReportStatus(kStatusSyncAuthFailed);
        return false;
    }
    FeedTree calendars = FetchCalendarListAside();
    FeedRun run = FetchEventsAside(date, calendars.Entries.get());
    SortEvents(run.Events);
    // The events arrived: a cache that cannot be written does not cost them.
    bool cacheSaved = true;
    try {
        WriteCacheFiles(CacheName, *run.Tree.Doc, *calendars.Doc, run.KeptText);
        CacheDamaged = false;
    } catch (const std::exception& e) {
        cacheSaved = false;
        CacheFailure = e.what();
    }

    // Nothing below raises but the status handler: the run is committed whole.
    JoinKeptEntries(run);
    EventEntries = std::move(run.Tree.Entries);
    EventDoc = std::move(run.Tree.Doc);
    CalendarEntries = std::move(calendars.Entries);
    CalendarDoc = std::move(calendars.Doc);
    Events = std::move(run.Events);
    ++EventsGeneration;
    FeedFailures = std::move(run.Failures);
    if (!FeedFailures.empty()) {
        std::string text = kStatusFeedsFailed;
        for (const FeedFailure& failure : FeedFailures) text += "\r" + failure.Calendar + ": " + failure.Problem;
        ReportStatus(text);
    } else {
        ReportStatus(cacheSaved ? kStatusClose : kStatusCacheNotSaved);
    }
    return true;
}

TCalendar::FeedRun TCalendar::FetchEventsAside(TDateTime date, const TxdataList* calendars) {
    if (!calendars) throw EError("There is no calendar list to fetch events for");
    const std::string query = FeedWindowQuery(date, ZoneHours);
    FeedRun run;
    run.Tree.Doc = NewFeedRoot();
    PreviousEvents previous;
    bool previousRead = false;
    // Entries whose text goes to the cache as the last one held it: they join the tree once the
    // tree has been written (see RunSync), so that they are not written twice.
    std::vector<std::unique_ptr<TxdataNode>> keptTrees;
    for (size_t i = 0; i < calendars->Count(); ++i) {
        const TxdataNode& calendar = *calendars->Node(i);
        const std::string id = Narrow(calendar.ReadValue(u"id"));
        if (!account_ || account_->IndexOfCalendar(id) < 0) continue;
        const std::string title = CleanText(Narrow(calendar.ReadValue(u"title")));
        // Each feed is read into a tree of its own and made into records before it joins the
        // others, so that one that fails half-way leaves nothing behind.
        std::unique_ptr<TxdataNode> feed = NewFeedRoot();
        EventList events;
        try {
            FetchFeedInto(WithoutQuotes(Narrow(calendar.ReadValue(u"content/src"))) + query, *feed,
                          "The feed of calendar \"" + title + "\"");
            const std::unique_ptr<TxdataList> entries = feed->SelectNodes(u"entry");
            events = EventsFromEntries(entries.get(), calendars);
        } catch (const EError& e) {
            // The calendar keeps what it had: its entries of the last cache, and their records.
            std::string problem = e.what();
            if (const size_t colon = problem.find("\": "); colon != std::string::npos) problem.erase(0, colon + 3);
            run.Failures.push_back({title, problem});
            if (!previousRead) {
                previous = ReadPreviousEvents();
                previousRead = true;
            }
            std::string keptText;
            std::unique_ptr<TxdataNode> kept = EntriesOfCalendar(
                previous.Doc.get(), previous.EntryTexts, CleanText(Narrow(calendar.ReadValue(u"content/src"))), keptText);
            const std::unique_ptr<TxdataList> entries = kept->SelectNodes(u"entry");
            try {
                events = EventsFromEntries(entries.get(), calendars);
            } catch (const EError&) {
                // The cache held them before: only a changed colour text can get here.
                continue;
            }
            // Kept entries join the tree for the event list; the cache gets them as it had them.
            if (previous.EntryTexts.empty()) MoveElements(*kept, *run.Tree.Doc);
            else keptTrees.push_back(std::move(kept));
            run.KeptText += keptText;
            run.Events.insert(run.Events.end(), std::make_move_iterator(events.begin()),
                              std::make_move_iterator(events.end()));
            continue;
        }
        MoveElements(*feed, *run.Tree.Doc);
        run.Events.insert(run.Events.end(), std::make_move_iterator(events.begin()),
                          std::make_move_iterator(events.end()));
    }
    run.KeptTrees = std::move(keptTrees);
    run.Tree.Entries = run.Tree.Doc->SelectNodes(u"entry");
    Response.clear();
    return run;
}

void TCalendar::FetchEvents(TDateTime date) {
    FeedRun run = FetchEventsAside(date, CalendarEntries.get());
    JoinKeptEntries(run);
    EventEntries = std::move(run.Tree.Entries);
    EventDoc = std::move(run.Tree.Doc);
    FeedFailures = std::move(run.Failures);
}

void TCalendar::ParseEvents() {
    EventList events = EventsFromEntries(EventEntries.get(), CalendarEntries.get());
    SortEvents(events);
    Events = std::move(events);
    ++EventsGeneration;
}

std::string TCalendar::CalendarColor(const std::string& id) const { return CalendarColorOf(CalendarEntries.get(), id); }

std::string TCalendar::AlternateLink(const TxdataNode& entry) const { return AlternateLinkOf(entry); }

}  // namespace tessel
