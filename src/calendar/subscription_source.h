#pragma once
// Subscriptions as sources of events: fetching a subscription's address (conditionally when a
// copy is at hand), reading what came as a calendar, and keeping the last good copy in a file of
// its own.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/event_source.h"
#include "calendar/subscriptions.h"

namespace tessel {

namespace ical {
struct Calendar;
class Zone;
}  // namespace ical

// The account dialog's one-off fetch of a new address: whether it is an iCalendar file and
// what the file calls itself (X-WR-CALNAME). Problem names what went wrong in the user's words
// ("the address answered 404", "the address gave a web page, not a calendar"), never the address.
struct TSubscriptionCheck {
    bool Ok = false;
    std::string Problem;
    std::string CalendarName;
    size_t EventCount = 0;
};
TSubscriptionCheck CheckSubscription(THttp& http, std::string_view address);

// The largest subscription taken, and the most events one may hold: a calendar beyond either is
// refused whole rather than shown in part.
constexpr uint64_t kSubscriptionMaxBytes = uint64_t(16) << 20;
constexpr size_t kSubscriptionMaxEvents = 50000;

// One fetch of a subscription's address. With the validators of the copy at hand (an ETag or a
// Last-Modified text from an earlier answer), an http request is conditional: an unchanged
// calendar comes back NotModified with no body. A file is read whole. Problem is in the user's
// words and never holds the address.
struct TSubscriptionFetch {
    enum Outcome { kFailed, kNotModified, kFetched } Outcome = kFailed;
    std::string Body;
    std::string ETag;          // of the answer
    std::string LastModified;  // of the answer
    std::string Problem;
};
TSubscriptionFetch FetchSubscription(THttp& http, std::string_view address, const std::string& etag = {},
                                     const std::string& lastModified = {});

// Reads a fetched body as a calendar. False with problem set (in the user's words) when it is a
// web page, holds nothing readable, or more than kSubscriptionMaxEvents events. Lines passed
// over are no failure: they stay in the calendar's warnings.
bool ReadSubscriptionBody(std::string_view body, ical::Calendar& calendar, std::string& problem);

// One subscription's events: its last good copy (cached in a file of its own, named after a
// digest of the address), the calendar read from it, and the occurrences expanded from that for
// the window last asked for, in the subscription's colour.
class TSubscriptionSource final : public TEventSource {
public:
    TSubscriptionSource(TSubscription subscription, std::u16string cacheFolder, const ical::Zone& local);
    ~TSubscriptionSource() override;
    TSubscriptionSource(const TSubscriptionSource&) = delete;
    TSubscriptionSource& operator=(const TSubscriptionSource&) = delete;

    const TSubscription& Subscription() const { return subscription_; }
    // The title the user gave, else the file's own name, else the address without its secret.
    std::string Title() const override;
    const std::string& Address() const override { return subscription_.Address; }
    bool Shown() const override { return subscription_.Shown; }
    std::string Identity() const override;
    // Its cache file: the folder + "subscription-" + 16 hex digits of the address's SHA-256 + ".cache".
    std::u16string CachePath() const override;

    void LoadCache(TDateTime date) override;
    // A 304 reuses the calendar read before: nothing is parsed, and nothing expanded when the
    // window is the same. A file is read at BeginSync, as it costs no request.
    void BeginSync(TDateTime date) override;
    bool Next(THttpRequest& request) override;
    void Take(THttpResponse response) override;
    void EndSync(TDateTime date) override;

    const EventList& Events() const override { return events_; }
    const std::string& Failure() const override { return failure_; }
    int ParseCount() const override { return parses_; }
    size_t SkippedCount() const override;
    std::string FirstSkipped() const override;

private:
    void Expand(TDateTime date);
    // Reads body, whose SHA-256 is digest, as the calendar; false (Failure says why) when it is none.
    bool ReadCopy(std::string_view body, std::string digest);
    void Apply(TSubscriptionFetch fetch, TDateTime date);

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
    // The sync under way: the request to send, if any, and what came of it.
    bool requestPending_ = false;
    bool conditional_ = false;
    std::string url_;
    TSubscriptionFetch fetch_;
};

}  // namespace tessel
