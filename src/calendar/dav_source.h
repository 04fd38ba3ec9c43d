#pragma once
// A calendar of a CalDAV account as a source of events: its members kept in a file of its own
// (written whole and atomically after a sync that changed anything), each member read as a
// calendar of its own so that a changed event costs the reading of that event alone, and the
// occurrences of all of them for the window last asked for, in the calendar's colour.
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "calendar/caldav.h"
#include "calendar/event_source.h"
#include "calendar/subscription_source.h"
#include "calendar/subscriptions.h"

namespace tessel {

namespace ical {
struct Calendar;
class Zone;
}  // namespace ical

class TDavCalendarSource final : public TEventSource {
public:
    // credentials: the account's, shared by its calendars (one learns Basic for all).
    TDavCalendarSource(std::shared_ptr<TDavCredentials> credentials, std::string accountTitle, TSubscription calendar,
                       std::u16string cacheFolder, const ical::Zone& local);
    ~TDavCalendarSource() override;
    TDavCalendarSource(const TDavCalendarSource&) = delete;
    TDavCalendarSource& operator=(const TDavCalendarSource&) = delete;

    // The calendar's name, else the account's title.
    std::string Title() const override;
    const std::string& Address() const override { return calendar_.Address; }
    bool Shown() const override { return calendar_.Shown; }
    std::string Identity() const override;
    // The folder + "caldav-" + 16 hex digits of the SHA-256 of the user name and the address + ".cache".
    std::u16string CachePath() const override;

    void LoadCache(TDateTime date) override;
    void BeginSync(TDateTime date) override;
    bool Next(THttpRequest& request) override;
    void Take(THttpResponse response) override;
    void EndSync(TDateTime date) override;

    const EventList& Events() const override { return events_; }
    const std::string& Failure() const override { return failure_; }
    // A refused password is the account's, not the calendar's: the line names the account.
    std::string FailureLine() const override;
    int ParseCount() const override { return parses_; }
    size_t SkippedCount() const override;
    std::string FirstSkipped() const override;
    // Requests the last sync took.
    int32_t Requests() const { return requests_; }

private:
    void Read(const std::string& href);
    void Expand(TDateTime date);

    std::shared_ptr<TDavCredentials> credentials_;
    std::string accountTitle_;
    TSubscription calendar_;
    std::u16string cacheFolder_;
    const ical::Zone& local_;
    TDavCopy copy_;
    // Each member read as a calendar; one that could not be read is absent.
    std::map<std::string, std::unique_ptr<ical::Calendar>> read_;
    std::unique_ptr<TDavCalendarSync> sync_;
    TDateTime fromDay_ = 0;
    TDateTime toDay_ = 0;
    EventList events_;
    std::string failure_;
    // The members that could not be read, and why.
    std::map<std::string, std::string> unreadable_;
    bool refused_ = false;
    int parses_ = 0;
    int32_t requests_ = 0;
};

// What an address the user gives turns out to be: a calendar file (a subscription), a CalDAV
// server with the user's calendars, or a server that asks for a user name and password first.
// A file on this machine and a webcal address are subscriptions; an http or https address or a
// bare host is asked as a CalDAV server first (one PROPFIND) and fetched as a file when it
// answers as none.
struct TAddressCheck {
    enum Kind { kFailed, kSubscription, kDavAccount, kNeedsPassword } Kind = kFailed;
    TSubscriptionCheck Subscription;  // kSubscription
    TDavDiscovery Discovery;          // kDavAccount: the calendars found
    std::string Problem;              // kFailed, in the user's words
};
TAddressCheck CheckCalendarAddress(THttp& http, std::string_view address, const std::string& user,
                                   const std::string& password);

// The account the check found, its calendars all shown, each in the server's colour or else the
// colour pick gives it (called once a calendar, in order).
TDavAccount NewDavAccount(std::string_view address, std::string title, const std::string& user,
                          const std::string& password, const TDavDiscovery& discovery,
                          const std::function<uint32_t()>& pick);

// Puts the account in the list: in place of one of the same server and user (whose calendars
// keep whether they were shown), else at the end.
void PutDavAccount(std::vector<TDavAccount>& accounts, TDavAccount account);

}  // namespace tessel
