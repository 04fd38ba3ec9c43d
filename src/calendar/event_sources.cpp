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
#include "calendar/http.h"
#include "calendar/ical_events.h"
#include "calendar/locale_format.h"
#include "ical/ical.h"

namespace tessel {

namespace {

// The cache file: a first line that says what it is, the validators and the body's length, a
// blank line, then the body as the address gave it.
constexpr std::string_view kCacheMagic = "TESSEL-SUBSCRIPTION 1";

std::string CacheText(std::string_view body, const std::string& etag, const std::string& lastModified) {
    std::string text(kCacheMagic);
    text += "\r\nETag: " + etag + "\r\nLast-Modified: " + lastModified + "\r\nLength: " +
            std::to_string(body.size()) + "\r\n\r\n";
    text += body;
    return text;
}

// The body of a cache file and its validators; false when it is not one whole.
bool ReadCacheText(std::string_view text, std::string_view& body, std::string& etag, std::string& lastModified) {
    const size_t head = text.find("\r\n\r\n");
    if (head == std::string_view::npos) return false;
    const std::vector<std::string> lines = SplitLines(text.substr(0, head));
    if (lines.size() != 4 || lines[0] != kCacheMagic) return false;
    const auto value = [&](size_t i, std::string_view name, std::string& out) {
        if (!lines[i].starts_with(name)) return false;
        out = Trim(std::string_view(lines[i]).substr(name.size()));
        return true;
    };
    std::string length;
    if (!value(1, "ETag:", etag) || !value(2, "Last-Modified:", lastModified) || !value(3, "Length:", length))
        return false;
    uint64_t size = 0;
    if (!TryParseLength(length, size)) return false;
    body = text.substr(head + 4);
    return size == body.size();
}

}  // namespace

void SyncWindow(TDateTime date, TDateTime& fromDay, TDateTime& toDay) {
    const DateParts parts = DecodeDate(date);
    const TDateTime first = EncodeDate(parts.year, parts.month, 1);
    fromDay = IncMonth(first, -1);
    toDay = IncMonth(first, 2);
}

TSubscriptionSource::TSubscriptionSource(TSubscription subscription, std::u16string cacheFolder,
                                         const ical::Zone& local)
    : subscription_(std::move(subscription)), cacheFolder_(std::move(cacheFolder)), local_(local) {}

TSubscriptionSource::~TSubscriptionSource() = default;

std::string TSubscriptionSource::Title() const {
    if (!Trim(subscription_.Title).empty()) return Trim(subscription_.Title);
    if (calendar_ && !calendar_->Text(calendar_->Name).empty()) return std::string(calendar_->Text(calendar_->Name));
    return RedactedAddress(subscription_.Address);
}

std::u16string TSubscriptionSource::CachePath() const {
    Sha256 hash;
    hash.Update(Trim(subscription_.Address));
    return cacheFolder_ + u"subscription-" + Widen(DigestHex(hash.Finish()).substr(0, 16)) + u".cache";
}

namespace {

std::string DigestOf(std::string_view body) {
    Sha256 hash;
    hash.Update(body);
    return DigestHex(hash.Finish());
}

}  // namespace

bool TSubscriptionSource::ReadCopy(std::string_view body, std::string digest) {
    auto calendar = std::make_unique<ical::Calendar>();
    ++parses_;
    if (!ReadSubscriptionBody(body, *calendar, failure_)) return false;
    calendar_ = std::move(calendar);
    bodyDigest_ = std::move(digest);
    return true;
}

std::string TSubscriptionSource::FirstSkipped() const {
    return calendar_ && !calendar_->Warnings.empty() ? calendar_->Warnings.front().Text({}) : std::string();
}

void TSubscriptionSource::Expand(TDateTime date) {
    TDateTime from = 0, to = 0;
    SyncWindow(date, from, to);
    if (!calendar_) {
        events_.clear();
        return;
    }
    if (from == fromDay_ && to == toDay_) return;
    events_ = IcalEvents(*calendar_, from, to, local_, subscription_.Color);
    fromDay_ = from;
    toDay_ = to;
}

void TSubscriptionSource::LoadCache(TDateTime date) {
    const std::u16string path = CachePath();
    if (!FileExists(path)) return;
    std::string text;
    try {
        text = ReadFileBytes(path, kSubscriptionMaxBytes + 4096);
    } catch (const EFileError&) {
        return;
    }
    std::string_view body;
    std::string etag, lastModified;
    // A damaged copy is as good as none: the sync fetches the address whole.
    if (!ReadCacheText(text, body, etag, lastModified) || !ReadCopy(body, DigestOf(body))) {
        failure_.clear();
        return;
    }
    etag_ = std::move(etag);
    lastModified_ = std::move(lastModified);
    fromDay_ = toDay_ = 0;
    Expand(date);
}

TSubscriptionOrder TSubscriptionSource::Order() const {
    // Without a calendar at hand a 304 would leave nothing to show: ask for the whole.
    if (!calendar_) return {subscription_.Address, {}, {}};
    return {subscription_.Address, etag_, lastModified_};
}

void TSubscriptionSource::Sync(THttp& http, TDateTime date) {
    const TSubscriptionOrder order = Order();
    Apply(FetchSubscription(http, order.Address, order.ETag, order.LastModified), date);
}

void TSubscriptionSource::Apply(TSubscriptionFetch fetch, TDateTime date) {
    failure_.clear();
    const bool haveCopy = calendar_ != nullptr;
    switch (fetch.Outcome) {
    case TSubscriptionFetch::kFailed: failure_ = fetch.Problem; return;
    case TSubscriptionFetch::kNotModified: Expand(date); return;
    case TSubscriptionFetch::kFetched: break;
    }
    std::string digest = DigestOf(fetch.Body);
    const bool sameBytes = haveCopy && digest == bodyDigest_;
    if (!sameBytes) {
        std::unique_ptr<ical::Calendar> previous = std::move(calendar_);
        if (!ReadCopy(fetch.Body, std::move(digest))) {
            calendar_ = std::move(previous);
            return;
        }
    } else if (fetch.ETag == etag_ && fetch.LastModified == lastModified_) {
        Expand(date);
        return;
    }
    // The same bytes under new validators are kept too: the next sync then asks with those, and
    // the server can answer 304 instead of sending the whole again.
    try {
        WriteFileAtomic(CachePath(), CacheText(fetch.Body, fetch.ETag, fetch.LastModified));
        etag_ = fetch.ETag;
        lastModified_ = fetch.LastModified;
    } catch (const EFileError&) {
        // Shown all the same; the next sync asks for the whole again, as nothing was kept.
        etag_.clear();
        lastModified_.clear();
        failure_ = "its copy could not be saved";
    }
    if (!sameBytes) fromDay_ = toDay_ = 0;
    Expand(date);
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
    std::vector<std::unique_ptr<TSubscriptionSource>> sources;
    for (const TSubscription& item : subscriptions_.Items) {
        auto same = std::find_if(sources_.begin(), sources_.end(), [&](const auto& source) {
            const TSubscription& old = source ? source->Subscription() : TSubscription{};
            return source && old.Address == item.Address && old.Color == item.Color && old.Shown == item.Shown &&
                   old.Title == item.Title;
        });
        if (same != sources_.end()) {
            sources.push_back(std::move(*same));
        } else {
            sources.push_back(std::make_unique<TSubscriptionSource>(item, cacheFolder_, *local_));
        }
    }
    // A subscription the user removed takes its copy with it: the file holds what the private
    // address gave. A source only changed in colour or title keeps the file (the same address).
    for (const auto& old : sources_) {
        if (!old) continue;
        const bool kept = std::any_of(subscriptions_.Items.begin(), subscriptions_.Items.end(),
                                      [&](const TSubscription& item) { return item.Address == old->Subscription().Address; });
        if (!kept) RemoveFile(old->CachePath());
    }
    sources_ = std::move(sources);
    Merge();
}

bool TEventSources::LoadCache(TDateTime date, bool syncServiceWhenMissing) {
    for (const auto& source : sources_)
        if (source->Subscription().Shown) source->LoadCache(date);
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
    std::vector<TSubscriptionSource*> shown;
    std::vector<TSubscriptionOrder> orders;
    for (const auto& source : sources_) {
        if (!source->Subscription().Shown) continue;
        shown.push_back(source.get());
        orders.push_back(source->Order());
    }
    std::vector<TSubscriptionFetch> fetches = FetchSubscriptions(http_, orders);
    for (size_t i = 0; i < shown.size(); ++i) {
        shown[i]->Apply(std::move(fetches[i]), date);
        if (!shown[i]->Failure().empty()) Failures.push_back(shown[i]->Title() + ": " + shown[i]->Failure());
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
        if (source->Subscription().Shown) total += source->Events().size();
    merged.reserve(total);
    for (const auto& source : sources_)
        if (source->Subscription().Shown) merged.insert(merged.end(), source->Events().begin(), source->Events().end());
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
