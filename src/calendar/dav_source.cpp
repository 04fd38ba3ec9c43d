#include "calendar/dav_source.h"

#include <utility>

#include "base/errors.h"
#include "base/file_io.h"
#include "base/sha256.h"
#include "base/text.h"
#include "calendar/event_sources.h"
#include "calendar/ical_events.h"
#include "ical/ical.h"

namespace tessel {

TDavCalendarSource::TDavCalendarSource(std::shared_ptr<TDavCredentials> credentials, std::string accountTitle,
                                       TSubscription calendar, std::u16string cacheFolder, const ical::Zone& local)
    : credentials_(std::move(credentials)),
      accountTitle_(std::move(accountTitle)),
      calendar_(std::move(calendar)),
      cacheFolder_(std::move(cacheFolder)),
      local_(local) {}

TDavCalendarSource::~TDavCalendarSource() = default;

std::string TDavCalendarSource::Title() const {
    const std::string title = Trim(calendar_.Title);
    return title.empty() ? accountTitle_ : title;
}

std::string TDavCalendarSource::Identity() const {
    return "caldav\n" + credentials_->Server + "\n" + credentials_->User + "\n" + credentials_->Password + "\n" +
           accountTitle_ + "\n" + calendar_.Address + "\n" + calendar_.Title + "\n" + std::to_string(calendar_.Color) +
           (calendar_.Shown ? "\n1" : "\n0");
}

std::u16string TDavCalendarSource::CachePath() const {
    Sha256 hash;
    hash.Update(credentials_->User + "\n" + Trim(calendar_.Address));
    return cacheFolder_ + u"caldav-" + Widen(DigestHex(hash.Finish()).substr(0, 16)) + u".cache";
}

std::string TDavCalendarSource::FailureLine() const {
    return (refused_ ? accountTitle_ : Title()) + ": " + failure_;
}

size_t TDavCalendarSource::SkippedCount() const {
    size_t count = unreadable_.size();
    for (const auto& [href, calendar] : read_) count += calendar->WarningCount;
    return count;
}

std::string TDavCalendarSource::FirstSkipped() const {
    if (!unreadable_.empty()) return unreadable_.begin()->second;
    for (const auto& [href, calendar] : read_)
        if (!calendar->Warnings.empty()) return calendar->Warnings.front().Text({});
    return {};
}

void TDavCalendarSource::Read(const std::string& href) {
    read_.erase(href);
    unreadable_.erase(href);
    const auto object = copy_.Objects.find(href);
    if (object == copy_.Objects.end()) return;
    ++parses_;
    try {
        auto calendar = std::make_unique<ical::Calendar>(ical::ReadCalendar(object->second.Data, {}));
        read_.emplace(href, std::move(calendar));
    } catch (const ical::EIcalError& e) {
        // One damaged event is passed over; the calendar's others are shown.
        unreadable_[href] = "an event could not be read (" + std::string(e.what()) + ")";
    }
}

void TDavCalendarSource::Expand(TDateTime date) {
    TDateTime from = 0, to = 0;
    SyncWindow(date, from, to);
    if (from == fromDay_ && to == toDay_) return;
    events_.clear();
    for (const auto& [href, calendar] : read_) {
        EventList some = IcalEvents(*calendar, from, to, local_, calendar_.Color);
        events_.insert(events_.end(), std::make_move_iterator(some.begin()), std::make_move_iterator(some.end()));
    }
    fromDay_ = from;
    toDay_ = to;
}

void TDavCalendarSource::LoadCache(TDateTime date) {
    const std::u16string path = CachePath();
    if (!FileExists(path)) return;
    std::string text;
    try {
        text = ReadFileBytes(path, uint64_t(256) << 20);
    } catch (const EFileError&) {
        return;
    }
    TDavCopy copy;
    // A damaged copy is as good as none: the sync lists the calendar whole.
    if (!ReadDavCopy(text, copy)) return;
    copy_ = std::move(copy);
    read_.clear();
    unreadable_.clear();
    for (const auto& [href, object] : copy_.Objects) Read(href);
    fromDay_ = toDay_ = 0;
    Expand(date);
}

void TDavCalendarSource::BeginSync(TDateTime) {
    sync_ = std::make_unique<TDavCalendarSync>(*credentials_, calendar_.Address, copy_);
}

bool TDavCalendarSource::Next(THttpRequest& request) { return sync_ && sync_->Next(request); }

void TDavCalendarSource::Take(THttpResponse response) {
    if (!sync_) return;
    sync_->Take(response);
    if (sync_->AskedBasic()) credentials_->Basic = true;
}

void TDavCalendarSource::EndSync(TDateTime date) {
    if (!sync_) return;
    const std::unique_ptr<TDavCalendarSync> sync = std::move(sync_);
    failure_ = sync->Failure();
    refused_ = sync->Refused();
    requests_ = sync->Requests();
    // What changed is read even after a failure part way: the copy holds it already.
    const bool changed = !sync->Changed().empty() || !sync->Removed().empty();
    for (const std::string& href : sync->Removed()) Read(href);
    for (const std::string& href : sync->Changed()) Read(href);
    if (changed) fromDay_ = toDay_ = 0;
    if (failure_.empty() && (changed || sync->TokensChanged())) {
        try {
            WriteFileAtomic(CachePath(), DavCopyText(copy_));
        } catch (const EFileError&) {
            failure_ = "its copy could not be saved";
        }
    }
    Expand(date);
}

TAddressCheck CheckCalendarAddress(THttp& http, std::string_view address, const std::string& user,
                                   const std::string& password) {
    TAddressCheck check;
    const TSubscriptionAddress parsed = ParseSubscriptionAddress(address);
    const bool webcal = StartsWithNoCase(Trim(address), "webcal");
    const std::string server = DavServerUrl(address);
    if (parsed.Kind == TSubscriptionAddress::kFile || webcal || server.empty()) {
        check.Subscription = CheckSubscription(http, address);
        check.Kind = check.Subscription.Ok ? TAddressCheck::kSubscription : TAddressCheck::kFailed;
        check.Problem = check.Subscription.Problem;
        return check;
    }
    check.Discovery = DiscoverDavCalendars(http, {server, user, password, false});
    switch (check.Discovery.Outcome) {
    case TDavDiscovery::kFound: check.Kind = TAddressCheck::kDavAccount; return check;
    case TDavDiscovery::kNeedsPassword:
        check.Kind = TAddressCheck::kNeedsPassword;
        check.Problem = check.Discovery.Problem;
        return check;
    case TDavDiscovery::kRefused:
    case TDavDiscovery::kFailed: check.Problem = check.Discovery.Problem; return check;
    case TDavDiscovery::kNotDav: break;
    }
    if (parsed.Kind != TSubscriptionAddress::kHttp) {
        // A bare host that answers no CalDAV: there is nothing else to fetch.
        check.Problem = check.Discovery.Problem;
        return check;
    }
    check.Subscription = CheckSubscription(http, address);
    check.Kind = check.Subscription.Ok ? TAddressCheck::kSubscription : TAddressCheck::kFailed;
    check.Problem = check.Subscription.Problem;
    return check;
}

TDavAccount NewDavAccount(std::string_view address, std::string title, const std::string& user,
                          const std::string& password, const TDavDiscovery& discovery,
                          const std::function<uint32_t()>& pick) {
    TDavAccount account;
    account.Server = DavServerUrl(address);
    account.Title = Trim(title);
    account.User = Trim(user);
    account.Password = password;
    for (const TDavCalendarInfo& info : discovery.Calendars)
        account.Calendars.push_back({info.Address, info.Name, info.HasColor ? info.Color : pick(), true});
    return account;
}

void PutDavAccount(std::vector<TDavAccount>& accounts, TDavAccount account) {
    for (TDavAccount& old : accounts) {
        if (old.Server != account.Server || old.User != account.User) continue;
        for (TSubscription& calendar : account.Calendars)
            for (const TSubscription& was : old.Calendars)
                if (was.Address == calendar.Address) calendar.Shown = was.Shown;
        old = std::move(account);
        return;
    }
    accounts.push_back(std::move(account));
}

}  // namespace tessel
