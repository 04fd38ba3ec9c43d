#include "calendar/event_sources.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "base/clock.h"
#include "base/errors.h"
#include "base/file_io.h"
#include "base/flag_scope.h"
#include "base/sha256.h"
#include "base/strict_int.h"
#include "base/text.h"
#include "calendar/account.h"
#include "calendar/balloon_sink.h"
#include "calendar/calendar.h"
#include "calendar/dav_source.h"
#include "calendar/http.h"
#include "calendar/ical_events.h"
#include "calendar/locale_format.h"
#include "ical/ical.h"

namespace tessel {

void TEventSource::Sync(THttp& http, TDateTime date) { SyncSide(http, {this}, date); }

void SyncSide(THttp& http, const std::vector<TEventSource*>& sources, TDateTime date) {
    for (TEventSource* source : sources) source->BeginSync(date);
    // Round by round: each source's next request goes out beside the others', and a source
    // whose sync has ended sends nothing more.
    std::vector<TEventSource*> asking;
    std::vector<THttpRequest> requests;
    for (;;) {
        asking.clear();
        requests.clear();
        for (TEventSource* source : sources) {
            THttpRequest request;
            if (!source->Next(request)) continue;
            asking.push_back(source);
            requests.push_back(std::move(request));
        }
        if (requests.empty()) break;
        std::vector<THttpResponse> answers = http.SendAll(requests);
        for (size_t i = 0; i < asking.size(); ++i) asking[i]->Take(std::move(answers[i]));
    }
    for (TEventSource* source : sources) source->EndSync(date);
}

void SyncWindow(TDateTime date, TDateTime& fromDay, TDateTime& toDay) {
    const DateParts parts = DecodeDate(date);
    const TDateTime first = EncodeDate(parts.year, parts.month, 1);
    fromDay = IncMonth(first, -1);
    toDay = IncMonth(first, 2);
}

TEventSources::TEventSources(TCalendar& calendar, TAccount& account, TSubscriptions& subscriptions, THttp& http,
                             const IClock& clock, const ILocaleFormat& locale, IBalloonSink& balloons,
                             std::u16string cacheFolder, std::unique_ptr<ical::Zone> local)
    : calendar_(calendar),
      account_(account),
      subscriptions_(subscriptions),
      http_(http),
      clock_(clock),
      locale_(locale),
      balloons_(balloons),
      cacheFolder_(std::move(cacheFolder)),
      local_(local ? std::move(local) : ical::MachineZone()) {}

TEventSources::~TEventSources() = default;

bool TEventSources::HasAccount() const { return !account_.UserName.empty(); }

void TEventSources::ReportStatus(const std::string& message) {
    if (OnStatus) OnStatus(message);
}

void TEventSources::Reload() {
    std::vector<std::unique_ptr<TEventSource>> made;
    for (const TSubscription& item : subscriptions_.Items)
        made.push_back(std::make_unique<TSubscriptionSource>(item, cacheFolder_, *local_));
    for (const TDavAccount& account : subscriptions_.Accounts) {
        auto credentials = std::make_shared<TDavCredentials>();
        credentials->Server = account.Server;
        credentials->User = account.User;
        credentials->Password = account.Password;
        for (const TSubscription& calendar : account.Calendars)
            made.push_back(std::make_unique<TDavCalendarSource>(credentials, AccountTitle(account), calendar,
                                                                cacheFolder_, *local_));
    }
    // A source whose settings are the same keeps its events (and the account's learnt ways).
    for (auto& source : made) {
        auto same = std::find_if(sources_.begin(), sources_.end(), [&](const auto& old) {
            return old && old->Identity() == source->Identity();
        });
        if (same != sources_.end()) source = std::move(*same);
    }
    // A calendar the user removed takes its copy with it: the file holds what a private address
    // or an account gave. One only changed in colour or title keeps the file (the same address).
    for (const auto& old : sources_) {
        if (!old) continue;
        const bool kept = std::any_of(made.begin(), made.end(),
                                      [&](const auto& source) { return source->CachePath() == old->CachePath(); });
        if (!kept) RemoveFile(old->CachePath());
    }
    sources_ = std::move(made);
    Merge();
}

bool TEventSources::LoadCache(TDateTime date, bool syncServiceWhenMissing) {
    for (const auto& source : sources_)
        if (source->Shown()) source->LoadCache(date);
    Merge();
    if (!HasAccount()) return true;
    const bool whole = calendar_.LoadCache(false, syncServiceWhenMissing);
    Merge();
    return whole;
}

void TEventSources::SyncServiceCache() {
    calendar_.Sync(clock_.Now());
    Merge();
}

bool TEventSources::SyncService(TDateTime date) {
    if (!HasAccount()) return false;
    // The client's progress goes on to the panel as it comes; its last word is held back and
    // joins what the subscriptions say.
    std::string last;
    TCalendar::StatusHandler kept = std::move(calendar_.OnStatus);
    calendar_.OnStatus = [this, &last](TCalendar&, const std::string& message) {
        if (message == kStatusSyncing) ReportStatus(message);
        else last = message;
    };
    try {
        calendar_.Sync(date);
    } catch (...) {
        calendar_.OnStatus = std::move(kept);
        throw;
    }
    calendar_.OnStatus = std::move(kept);
    if (!calendar_.FeedFailures.empty()) {
        for (const auto& failure : calendar_.FeedFailures) Failures.push_back(failure.Calendar + ": " + failure.Problem);
    } else if (!last.empty() && last != kStatusClose) {
        Failures.push_back(last);
        return true;
    }
    return false;
}

void TEventSources::Sync(TDateTime date) {
    if (Syncing) return;
    const FlagScope syncing(Syncing);
    Failures.clear();
    ReportStatus(kStatusSyncing);
    const bool serviceSaidItself = SyncService(date);
    std::vector<TEventSource*> shown;
    for (const auto& source : sources_)
        if (source->Shown()) shown.push_back(source.get());
    SyncSide(http_, shown, date);
    for (TEventSource* source : shown) {
        if (source->Failure().empty()) continue;
        // The calendars of an account that refused its password say so once.
        std::string line = source->FailureLine();
        if (std::find(Failures.begin(), Failures.end(), line) == Failures.end()) Failures.push_back(std::move(line));
    }
    Merge();
    if (Failures.empty()) {
        ReportStatus(kStatusClose);
    } else if (Failures.size() == 1 && serviceSaidItself) {
        // The service's own message (a refused sign-in, a failed run, a cache not saved) says it all.
        ReportStatus(Failures.front());
    } else {
        std::string text = kStatusFeedsFailed;
        for (const std::string& line : Failures) text += "\r" + line;
        ReportStatus(text);
    }
}

// The records are made anew, as a sync of the service makes its own: a reminder shown before the
// sync is due again.
void TEventSources::Merge() {
    EventList merged = TakeServiceRecords();
    for (size_t i = 0; i < merged.size(); ++i) {
        merged[i].Event.ServiceOrder = uint32_t(i + 1);
        merged[i].Event.Notified = false;
    }
    size_t total = merged.size();
    for (const auto& source : sources_)
        if (source->Shown()) total += source->Events().size();
    merged.reserve(total);
    for (const auto& source : sources_)
        if (source->Shown()) merged.insert(merged.end(), source->Events().begin(), source->Events().end());
    SortEvents(merged);
    Events = std::move(merged);
    NextIndex = -1;
}

EventList TEventSources::TakeServiceRecords() {
    EventList records;
    if (serviceInList_ && serviceGeneration_ == calendar_.EventsGeneration) {
        // In place: the other sources' records go, and the service's are put back in its order
        // by following each one to its place, so that a merge of ten thousand records makes no
        // second list beside the first.
        records = std::move(Events);
        Events.clear();
        records.erase(std::remove_if(records.begin(), records.end(),
                                     [](const EventItem& item) { return item.Event.ServiceOrder == 0; }),
                      records.end());
        const size_t count = records.size();
        for (size_t i = 0; i < count; ++i) {
            for (;;) {
                const uint32_t order = records[i].Event.ServiceOrder;
                if (order == i + 1 || order > count || records[order - 1].Event.ServiceOrder == order) break;
                std::swap(records[i], records[order - 1]);
            }
        }
    } else {
        records = std::exchange(calendar_.Events, {});
        serviceGeneration_ = calendar_.EventsGeneration;
    }
    serviceInList_ = HasAccount();
    if (!serviceInList_) {
        // Left out without an account name, and given back for when it has one again.
        calendar_.Events = std::move(records);
        return {};
    }
    return records;
}

bool TEventSources::HasEventsOn(TDateTime day) const { return tessel::HasEventsOn(Events, day); }

std::u16string TEventSources::DayText(TDateTime day) const {
    return tessel::DayText(Events, day, locale_.TimeSeparator());
}

TDateTime TEventSources::FindNextEvent() { return NextEventStart(Events, clock_.Now(), NextIndex); }

void TEventSources::NotifyNextEvent() { NotifyEventAt(Events, NextIndex, locale_, balloons_); }

}  // namespace tessel
