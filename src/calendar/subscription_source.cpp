#include "calendar/subscription_source.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "base/errors.h"
#include "base/file_io.h"
#include "base/sha256.h"
#include "base/strict_int.h"
#include "base/text.h"
#include "base/text_helpers.h"
#include "calendar/event_sources.h"
#include "calendar/http.h"
#include "calendar/ical_events.h"
#include "ical/ical.h"

namespace tessel {

namespace {

// A published calendar may move once or twice; a chain longer than this is a loop.
constexpr int32_t kSubscriptionMaxRedirects = 10;
// A server that sends a calendar slower than this is given up on; the largest calendar taken
// still comes whole over a line of 2.5 Mbit/s, or a much slower one compressed.
constexpr int32_t kSubscriptionTimeLimitMs = 60000;

std::string Megabytes(uint64_t bytes) { return std::to_string(bytes >> 20) + " MB"; }

// A file is read whole each time: its stamp (size and time) could miss a rewrite within the
// same second, and reading costs little; the caller tells the same bytes by their digest.
TSubscriptionFetch FetchFile(const std::u16string& path) {
    TSubscriptionFetch fetch;
    std::error_code sizeError;
    const uintmax_t size = std::filesystem::file_size(std::filesystem::path(path), sizeError);
    if (!sizeError && size > kSubscriptionMaxBytes) {
        fetch.Problem = "the file is larger than " + Megabytes(kSubscriptionMaxBytes);
        return fetch;
    }
    try {
        fetch.Body = ReadFileBytes(path, kSubscriptionMaxBytes);
    } catch (const EFileError&) {
        // The error's text names the file, which is the address.
        fetch.Problem = "the file could not be read";
        return fetch;
    }
    fetch.Outcome = TSubscriptionFetch::kFetched;
    return fetch;
}

THttpRequest FetchRequest(const std::string& url, const std::string& etag, const std::string& lastModified) {
    THttpRequest request;
    request.Url = url;
    request.MaxRedirects = kSubscriptionMaxRedirects;
    request.SizeLimit = int64_t(kSubscriptionMaxBytes);
    request.TimeLimitMs = kSubscriptionTimeLimitMs;
    // A validator is the server's own text sent back; one with a line break would add lines.
    const auto oneLine = [](const std::string& value) { return value.find_first_of("\r\n") == std::string::npos; };
    if (!etag.empty() && oneLine(etag)) request.Headers.push_back("If-None-Match: " + etag);
    if (!lastModified.empty() && oneLine(lastModified)) request.Headers.push_back("If-Modified-Since: " + lastModified);
    return request;
}

TSubscriptionFetch FetchOutcome(THttpResponse answer, bool conditional) {
    TSubscriptionFetch fetch;
    if (answer.Failure == THttpFailure::Redirect || answer.Failure == THttpFailure::Address) {
        fetch.Problem = answer.ErrorText;
        return fetch;
    }
    if (answer.Status == 0) {
        fetch.Problem = "the address could not be fetched (" + answer.ErrorText + ")";
        return fetch;
    }
    fetch.ETag = answer.Header("ETag");
    fetch.LastModified = answer.Header("Last-Modified");
    if (answer.Status == 304 && conditional) {
        fetch.Outcome = TSubscriptionFetch::kNotModified;
        return fetch;
    }
    if (answer.Failure != THttpFailure::None) {
        fetch.Problem = "the answer failed (" + answer.ErrorText + ")";
        return fetch;
    }
    if (!answer.Ok()) {
        fetch.Problem = "the address answered " + std::to_string(answer.Status);
        return fetch;
    }
    fetch.Outcome = TSubscriptionFetch::kFetched;
    fetch.Body = std::move(answer.Body);
    return fetch;
}



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

std::string TSubscriptionSource::Identity() const {
    return "subscription\n" + subscription_.Address + "\n" + subscription_.Title + "\n" +
           std::to_string(subscription_.Color) + (subscription_.Shown ? "\n1" : "\n0");
}

size_t TSubscriptionSource::SkippedCount() const { return calendar_ ? calendar_->WarningCount : 0; }

void TSubscriptionSource::BeginSync(TDateTime) {
    fetch_ = TSubscriptionFetch();
    requestPending_ = false;
    const TSubscriptionAddress parsed = ParseSubscriptionAddress(subscription_.Address);
    switch (parsed.Kind) {
    case TSubscriptionAddress::kHttp:
        url_ = parsed.Url;
        requestPending_ = true;
        break;
    case TSubscriptionAddress::kFile: fetch_ = FetchFile(parsed.FilePath); break;
    case TSubscriptionAddress::kInvalid: fetch_.Problem = parsed.Problem; break;
    }
}

bool TSubscriptionSource::Next(THttpRequest& request) {
    if (!requestPending_) return false;
    requestPending_ = false;
    // Without a calendar at hand a 304 would leave nothing to show: ask for the whole.
    conditional_ = calendar_ && (!etag_.empty() || !lastModified_.empty());
    request = conditional_ ? FetchRequest(url_, etag_, lastModified_) : FetchRequest(url_, {}, {});
    return true;
}

void TSubscriptionSource::Take(THttpResponse response) { fetch_ = FetchOutcome(std::move(response), conditional_); }

void TSubscriptionSource::EndSync(TDateTime date) { Apply(std::move(fetch_), date); }

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

TSubscriptionFetch FetchSubscription(THttp& http, std::string_view address, const std::string& etag,
                                     const std::string& lastModified) {
    const TSubscriptionAddress parsed = ParseSubscriptionAddress(address);
    switch (parsed.Kind) {
    case TSubscriptionAddress::kHttp:
        return FetchOutcome(http.Send(FetchRequest(parsed.Url, etag, lastModified)),
                            !etag.empty() || !lastModified.empty());
    case TSubscriptionAddress::kFile: return FetchFile(parsed.FilePath);
    case TSubscriptionAddress::kInvalid: break;
    }
    TSubscriptionFetch fetch;
    fetch.Problem = parsed.Problem;
    return fetch;
}

bool ReadSubscriptionBody(std::string_view body, ical::Calendar& calendar, std::string& problem) {
    std::string_view start = body;
    if (start.starts_with("\xEF\xBB\xBF")) start.remove_prefix(3);
    while (!start.empty() && (start.front() == ' ' || start.front() == '\r' || start.front() == '\n' ||
                              start.front() == '\t'))
        start.remove_prefix(1);
    if (start.starts_with("<")) {
        problem = "the address gave a web page, not a calendar";
        return false;
    }
    if (body.size() > kSubscriptionMaxBytes) {
        problem = "the calendar is larger than " + Megabytes(kSubscriptionMaxBytes);
        return false;
    }
    const auto tooMany = [&problem](size_t events) {
        problem = "the calendar holds " + GroupedThousands(events) + " events, more than the " +
                  GroupedThousands(kSubscriptionMaxEvents) + " taken";
        return false;
    };
    if (const size_t events = ical::CountEvents(body); events > kSubscriptionMaxEvents) return tooMany(events);
    try {
        calendar = ical::ReadCalendar(body, {});
    } catch (const ical::EIcalError& e) {
        problem = "the calendar is damaged (" + std::string(e.what()) + ")";  // "line 12: ..."
        return false;
    }
    // The count before reading passes over a name folded across lines; the reader does not.
    if (calendar.Events.size() > kSubscriptionMaxEvents) {
        const size_t events = calendar.Events.size();
        calendar = ical::Calendar();
        return tooMany(events);
    }
    return true;
}

TSubscriptionCheck CheckSubscription(THttp& http, std::string_view address) {
    TSubscriptionCheck check;
    const TSubscriptionFetch fetch = FetchSubscription(http, address);
    if (fetch.Outcome != TSubscriptionFetch::kFetched) {
        check.Problem = fetch.Problem;
        return check;
    }
    ical::Calendar calendar;
    if (!ReadSubscriptionBody(fetch.Body, calendar, check.Problem)) return check;
    check.Ok = true;
    check.CalendarName = std::string(calendar.Text(calendar.Name));
    check.EventCount = calendar.Events.size();
    return check;
}

}  // namespace tessel
