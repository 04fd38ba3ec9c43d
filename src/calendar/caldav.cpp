#include "calendar/caldav.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <utility>

#include "base/percent_code.h"
#include "base/strict_int.h"
#include "base/text.h"
#include "base/text_helpers.h"
#include "calendar/dav.h"
#include "calendar/http_request.h"

namespace tessel {

namespace {

// A listing of fifty thousand members, or a multiget of a batch of large events, stays well
// below this; a server that sends more is not answering what was asked.
constexpr int64_t kDavMaxAnswerBytes = int64_t(64) << 20;
constexpr int32_t kDavTimeLimitMs = 60000;
// A server that cuts its sync reports short (507) is followed this many times in one sync.
constexpr int32_t kDavMaxSyncRounds = 100;
constexpr char kRefusedText[] = "user name or password refused";

bool SameServer(std::string_view a, std::string_view b) {
    const UrlOrigin origin = OriginOf(a);
    return !origin.Scheme.empty() && origin == OriginOf(b);
}

// The path of an address, without its query.
std::string PathOf(std::string_view url) {
    std::string origin, rest;
    if (!SplitAtAuthority(url, origin, rest)) return std::string(url);
    rest = rest.substr(0, rest.find_first_of("?#"));
    return rest.empty() ? "/" : rest;
}

std::string OriginText(std::string_view url) {
    std::string origin, rest;
    return SplitAtAuthority(url, origin, rest) ? origin : std::string();
}

bool AsksBasic(const THttpResponse& response) {
    for (const auto& [name, value] : response.Headers)
        if (LowerAscii(name) == "www-authenticate" && StartsWithNoCase(Trim(value), "basic")) return true;
    return false;
}

bool OneLine(std::string_view text) { return text.find_first_of("\r\n") == std::string_view::npos; }

std::string AnswerProblem(const THttpResponse& response) {
    if (response.Status == 0) return "the server could not be reached (" + response.ErrorText + ")";
    if (response.Failure != THttpFailure::None) return "the answer failed (" + response.ErrorText + ")";
    if (response.Status == 404 || response.Status == 410) return "the calendar is no longer on the server";
    return "the server answered " + std::to_string(response.Status);
}

std::string TooManyText(size_t count) {
    return "the calendar holds " + GroupedThousands(count) + " events, more than the " +
           GroupedThousands(kDavMaxObjects) + " taken";
}

}  // namespace

std::string DavServerUrl(std::string_view address) {
    const std::string text = Trim(address);
    if (text.empty() || text.find_first_of(" \t\r\n") != std::string::npos) return {};
    if (StartsWithNoCase(text, "https://") || StartsWithNoCase(text, "http://")) {
        std::string origin, rest;
        if (!SplitAtAuthority(text, origin, rest) || OriginOf(text).Host.empty()) return {};
        return rest.empty() ? text + "/" : text;
    }
    if (text.find("://") != std::string::npos) return {};
    // A bare host, perhaps with a port: letters, digits, dots, dashes and one colon.
    const std::string host = text.back() == '/' ? text.substr(0, text.size() - 1) : text;
    if (host.empty() || (host.find('.') == std::string::npos && host != "localhost")) return {};
    for (char c : host)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == ':')) return {};
    return "https://" + host + "/";
}

THttpRequest DavRequest(const TDavCredentials& credentials, std::string_view method, std::string url,
                        std::string depth, std::string body) {
    THttpRequest request;
    request.Method = std::string(method);
    request.Url = std::move(url);
    request.Headers.push_back("Depth: " + depth);
    request.Headers.push_back("Content-Type: application/xml; charset=utf-8");
    request.Body = std::move(body);
    request.SizeLimit = kDavMaxAnswerBytes;
    request.TimeLimitMs = kDavTimeLimitMs;
    if (!credentials.User.empty() && SameServer(request.Url, credentials.Server)) {
        request.User = credentials.User;
        request.Password = credentials.Password;
        if (credentials.Basic && OneLine(credentials.User) && OneLine(credentials.Password))
            request.Headers.push_back("Authorization: Basic " +
                                      Base64Encode(credentials.User + ":" + credentials.Password));
    }
    return request;
}

std::string DavHrefUrl(std::string_view from, std::string_view href) {
    const std::string trimmed = Trim(href);
    if (trimmed.empty() || !OneLine(trimmed)) return {};
    std::string url = ResolvedUrl(from, trimmed);
    return SameServer(url, from) ? url : std::string();
}

namespace {

class Discovery {
public:
    Discovery(THttp& http, const TDavCredentials& credentials) : http_(http), credentials_(credentials) {}

    TDavDiscovery Run() {
        const std::string start = DavServerUrl(credentials_.Server);
        if (start.empty()) return Outcome(TDavDiscovery::kNotDav, "the address is not a server's address");
        TDavResource found;
        if (!Propfind(start, "0", found)) {
            if (done_) return result_;
            // Not an answer of a CalDAV server at the address itself: the server's well-known
            // address may lead to it (RFC 6764).
            const std::string known = OriginText(start) + "/.well-known/caldav";
            if (PathOf(start) == "/.well-known/caldav" || !Propfind(known, "0", found)) {
                if (done_) return result_;
                return Outcome(TDavDiscovery::kNotDav, notDav_);
            }
        }
        if (found.IsCalendar) {
            if (found.ListsComponents && !found.TakesEvents)
                return Outcome(TDavDiscovery::kFailed, "the calendar at this address holds no events");
            Add(answeredAt_, found);
            return Outcome(TDavDiscovery::kFound, {});
        }
        std::string home = found.HomeSet;
        std::string homeFrom = answeredAt_;
        if (home.empty() && !found.Principal.empty()) {
            const std::string principal = DavHrefUrl(answeredAt_, found.Principal);
            if (principal.empty()) return Outcome(TDavDiscovery::kFailed, "the server pointed at another server");
            TDavResource user;
            if (!Propfind(principal, "0", user)) return Failed();
            home = user.HomeSet;
            homeFrom = principal;
        }
        if (home.empty()) return Outcome(TDavDiscovery::kFailed, "the server shows no calendars for this user");
        const std::string homeUrl = DavHrefUrl(homeFrom, home);
        if (homeUrl.empty()) return Outcome(TDavDiscovery::kFailed, "the server pointed at another server");
        TDavMultistatus listing;
        if (!List(homeUrl, listing)) return Failed();
        const std::string homePath = PathOf(homeUrl);
        for (const TDavResource& resource : listing.Resources) {
            if (!resource.IsCalendar || (resource.ListsComponents && !resource.TakesEvents)) continue;
            const std::string url = DavHrefUrl(homeUrl, resource.Href);
            if (url.empty() || PathOf(url) == homePath) continue;
            Add(url, resource);
        }
        if (result_.Calendars.empty())
            return Outcome(TDavDiscovery::kFailed, "the server lists no calendars with events for this user");
        return Outcome(TDavDiscovery::kFound, {});
    }

private:
    TDavDiscovery Outcome(TDavDiscovery::Result outcome, std::string problem) {
        result_.Outcome = outcome;
        result_.Problem = std::move(problem);
        return result_;
    }
    TDavDiscovery Failed() {
        if (done_) return result_;
        return Outcome(TDavDiscovery::kFailed, notDav_);
    }

    void Add(const std::string& url, const TDavResource& resource) {
        TDavCalendarInfo info;
        info.Address = url;
        info.Name = resource.DisplayName;
        if (info.Name.empty()) {
            // The last piece of the path, as the server's own name for it.
            std::string path = PathOf(url);
            while (!path.empty() && path.back() == '/') path.pop_back();
            info.Name = PercentDecode(path.substr(path.rfind('/') + 1));
        }
        info.HasColor = ParseDavColor(resource.Color, info.Color);
        result_.Calendars.push_back(std::move(info));
    }

    // Sends the request; true with a 207 in hand. On a refusal or no answer the discovery has
    // ended (done_); on any other answer notDav_ says what came.
    bool Send(const std::string& url, const std::string& depth, TDavMultistatus& listing) {
        const THttpResponse response =
            http_.Send(DavRequest(credentials_, "PROPFIND", url, depth, DavDiscoveryBody()));
        if (AsksBasic(response)) result_.Basic = true;
        if (response.Status == 401) {
            done_ = true;
            // A user name without a password is not yet an attempt: the dialog asks for both.
            const bool given = !credentials_.User.empty() && !credentials_.Password.empty();
            Outcome(given ? TDavDiscovery::kRefused : TDavDiscovery::kNeedsPassword,
                    given ? kRefusedText : "the server asks for a user name and password");
            return false;
        }
        if (response.Status == 0 || response.Failure != THttpFailure::None) {
            done_ = true;
            Outcome(TDavDiscovery::kFailed, response.Failure == THttpFailure::Redirect ||
                                                    response.Failure == THttpFailure::Address
                                                ? response.ErrorText
                                                : AnswerProblem(response));
            return false;
        }
        if (response.Status != 207) {
            notDav_ = "the address is no CalDAV server's (it answered " + std::to_string(response.Status) + ")";
            return false;
        }
        std::string problem;
        if (!ReadMultistatus(response.Body, listing, problem)) {
            notDav_ = problem;
            return false;
        }
        return true;
    }

    bool Propfind(const std::string& url, const std::string& depth, TDavResource& found) {
        TDavMultistatus listing;
        if (!Send(url, depth, listing)) return false;
        const std::string path = PathOf(url);
        // The answer for the address itself; a redirect may have moved it, so the first will do.
        auto own = std::find_if(listing.Resources.begin(), listing.Resources.end(), [&](const TDavResource& r) {
            return PathOf(DavHrefUrl(url, r.Href)) == path;
        });
        if (own == listing.Resources.end()) own = listing.Resources.begin();
        if (own == listing.Resources.end()) {
            notDav_ = "the server's answer lists nothing";
            return false;
        }
        found = std::move(*own);
        const std::string at = DavHrefUrl(url, found.Href);
        answeredAt_ = at.empty() ? url : at;
        return true;
    }

    bool List(const std::string& url, TDavMultistatus& listing) { return Send(url, "1", listing); }

    THttp& http_;
    const TDavCredentials& credentials_;
    TDavDiscovery result_;
    std::string answeredAt_;
    std::string notDav_;
    bool done_ = false;
};

}  // namespace

TDavDiscovery DiscoverDavCalendars(THttp& http, const TDavCredentials& credentials) {
    return Discovery(http, credentials).Run();
}

namespace {

constexpr std::string_view kCopyMagic = "TESSEL-CALDAV 1";

}  // namespace

std::string DavCopyText(const TDavCopy& copy) {
    size_t size = 64 + copy.SyncToken.size() + copy.CTag.size();
    for (const auto& [href, object] : copy.Objects) size += href.size() + object.ETag.size() + object.Data.size() + 32;
    std::string text;
    text.reserve(size);
    text += kCopyMagic;
    text += "\r\nSync-Token: " + copy.SyncToken + "\r\nCTag: " + copy.CTag +
            "\r\nObjects: " + std::to_string(copy.Objects.size()) + "\r\n\r\n";
    for (const auto& [href, object] : copy.Objects) {
        text += href + "\r\n" + object.ETag + "\r\n" + std::to_string(object.Data.size()) + "\r\n";
        text += object.Data;
        text += "\r\n";
    }
    return text;
}

bool ReadDavCopy(std::string_view text, TDavCopy& copy) {
    TDavCopy read;
    size_t at = 0;
    const auto line = [&](std::string& out) {
        const size_t end = text.find("\r\n", at);
        if (end == std::string_view::npos) return false;
        out = std::string(text.substr(at, end - at));
        at = end + 2;
        return true;
    };
    const auto field = [&](std::string_view name, std::string& out) {
        std::string whole;
        if (!line(whole) || !whole.starts_with(name)) return false;
        out = Trim(std::string_view(whole).substr(name.size()));
        return true;
    };
    std::string magic, count, blank;
    if (!line(magic) || magic != kCopyMagic || !field("Sync-Token:", read.SyncToken) || !field("CTag:", read.CTag) ||
        !field("Objects:", count) || !line(blank) || !blank.empty())
        return false;
    uint64_t objects = 0;
    if (!TryParseLength(count, objects) || objects > kDavMaxObjects) return false;
    for (uint64_t i = 0; i < objects; ++i) {
        std::string href, length;
        TDavObject object;
        uint64_t size = 0;
        if (!line(href) || href.empty() || !line(object.ETag) || !line(length) || !TryParseLength(length, size) ||
            size > text.size() - at || text.substr(at + size).substr(0, 2) != "\r\n")
            return false;
        object.Data = std::string(text.substr(at, size));
        at += size + 2;
        read.Objects.emplace(std::move(href), std::move(object));
    }
    if (at != text.size()) return false;
    copy = std::move(read);
    return true;
}

TDavCalendarSync::TDavCalendarSync(const TDavCredentials& credentials, std::string address, TDavCopy& copy)
    : credentials_(credentials), address_(std::move(address)), path_(PathOf(address_)), copy_(copy) {
    if (!copy_.SyncToken.empty()) step_ = Step::kSync;
    else if (!copy_.CTag.empty() && !copy_.Objects.empty()) step_ = Step::kCTag;
    else step_ = Step::kList;
    startToken_ = newToken_ = copy_.SyncToken;
    startCTag_ = newCTag_ = copy_.CTag;
}

bool TDavCalendarSync::Next(THttpRequest& request) {
    switch (step_) {
    case Step::kSync: request = DavRequest(credentials_, "REPORT", address_, "0", DavSyncBody(newToken_)); break;
    case Step::kCTag: request = DavRequest(credentials_, "PROPFIND", address_, "0", DavCollectionBody()); break;
    case Step::kList: request = DavRequest(credentials_, "PROPFIND", address_, "1", DavCollectionBody()); break;
    case Step::kFetch: {
        const size_t end = std::min(toFetch_.size(), fetched_ + kDavFetchBatch);
        const std::vector<std::string> batch(toFetch_.begin() + ptrdiff_t(fetched_), toFetch_.begin() + ptrdiff_t(end));
        request = DavRequest(credentials_, "REPORT", address_, "1", DavMultigetBody(batch));
        break;
    }
    case Step::kDone: return false;
    }
    ++requests_;
    return true;
}

void TDavCalendarSync::Fail(std::string problem) {
    failure_ = std::move(problem);
    step_ = Step::kDone;
}

bool TDavCalendarSync::Listing(const THttpResponse& response, TDavMultistatus& listing) {
    if (response.Status != 207 || response.Failure != THttpFailure::None) {
        Fail(AnswerProblem(response));
        return false;
    }
    std::string problem;
    if (!ReadMultistatus(response.Body, listing, problem)) {
        Fail(problem);
        return false;
    }
    return true;
}

void TDavCalendarSync::Take(const THttpResponse& response) {
    if (AsksBasic(response)) askedBasic_ = true;
    if (response.Status == 401) {
        refused_ = true;
        Fail(kRefusedText);
        return;
    }
    switch (step_) {
    case Step::kSync: TakeSync(response); break;
    case Step::kCTag: TakeCTag(response); break;
    case Step::kList: TakeList(response); break;
    case Step::kFetch: TakeFetch(response); break;
    case Step::kDone: break;
    }
}

std::string TDavCalendarSync::Key(std::string_view href) const {
    std::string key = Trim(href);
    if (!OneLine(key)) return {};
    if (key.find("://") != std::string::npos) {
        if (!SameServer(key, address_)) return {};
        key = PathOf(key);
    }
    return key;
}

bool TDavCalendarSync::IsOwnHref(std::string_view href) const {
    const std::string key = Key(href);
    return key == path_ || key + "/" == path_;
}

bool TDavCalendarSync::IsCollection(std::string_view key) const {
    return key.empty() || key.back() == '/' || key == path_;
}

void TDavCalendarSync::Remove(const std::string& href) {
    if (copy_.Objects.erase(href)) removed_.push_back(href);
}

void TDavCalendarSync::TakeSync(const THttpResponse& response) {
    const bool answered = response.Status != 0 && response.Failure == THttpFailure::None;
    if (answered && response.Status != 207 && response.Status != 404 && response.Status != 410) {
        // A token the server no longer takes (valid-sync-token), or no sync reports at all:
        // the full listing says everything.
        newToken_.clear();
        step_ = Step::kList;
        return;
    }
    TDavMultistatus listing;
    if (!Listing(response, listing)) return;
    for (const TDavResource& resource : listing.Resources) {
        const std::string key = Key(resource.Href);
        if (IsCollection(key)) continue;
        if (resource.Status == 404) {
            Remove(key);
            continue;
        }
        const auto held = copy_.Objects.find(key);
        if (held == copy_.Objects.end() || resource.ETag.empty() || held->second.ETag != resource.ETag)
            toFetch_.push_back(key);
    }
    newToken_ = listing.SyncToken;
    if (copy_.Objects.size() + toFetch_.size() > kDavMaxObjects) {
        Fail(TooManyText(copy_.Objects.size() + toFetch_.size()));
        return;
    }
    if (listing.Truncated && !newToken_.empty() && ++syncRounds_ < kDavMaxSyncRounds) return;
    if (toFetch_.empty()) Finish();
    else step_ = Step::kFetch;
}

void TDavCalendarSync::TakeCTag(const THttpResponse& response) {
    TDavMultistatus listing;
    if (!Listing(response, listing)) return;
    const auto own = std::find_if(listing.Resources.begin(), listing.Resources.end(),
                                  [&](const TDavResource& resource) { return IsOwnHref(resource.Href); });
    if (own != listing.Resources.end() && !own->CTag.empty() && own->CTag == copy_.CTag) Finish();
    else step_ = Step::kList;
}

void TDavCalendarSync::TakeList(const THttpResponse& response) {
    TDavMultistatus listing;
    if (!Listing(response, listing)) return;
    std::map<std::string, bool> listed;
    for (const TDavResource& resource : listing.Resources) {
        const std::string key = Key(resource.Href);
        if (IsOwnHref(resource.Href)) {
            newCTag_ = resource.CTag;
            newToken_ = resource.SyncToken;
            continue;
        }
        if (IsCollection(key) || resource.Status != 200) continue;
        listed[key] = true;
        const auto held = copy_.Objects.find(key);
        if (held == copy_.Objects.end() || resource.ETag.empty() || held->second.ETag != resource.ETag)
            toFetch_.push_back(key);
    }
    if (listed.size() > kDavMaxObjects) {
        Fail(TooManyText(listed.size()));
        return;
    }
    std::vector<std::string> gone;
    for (const auto& [href, object] : copy_.Objects)
        if (!listed.count(href)) gone.push_back(href);
    for (const std::string& href : gone) Remove(href);
    if (toFetch_.empty()) Finish();
    else step_ = Step::kFetch;
}

void TDavCalendarSync::TakeFetch(const THttpResponse& response) {
    TDavMultistatus listing;
    if (!Listing(response, listing)) return;
    const size_t end = std::min(toFetch_.size(), fetched_ + kDavFetchBatch);
    std::set<std::string> asked(toFetch_.begin() + ptrdiff_t(fetched_), toFetch_.begin() + ptrdiff_t(end));
    for (TDavResource& resource : listing.Resources) {
        const std::string key = Key(resource.Href);
        if (IsCollection(key)) continue;
        if (resource.Status == 404) {
            Remove(key);
            asked.erase(key);
            continue;
        }
        if (resource.CalendarData.empty()) continue;
        std::string etag = OneLine(resource.ETag) ? resource.ETag : std::string();
        copy_.Objects[key] = TDavObject{std::move(etag), std::move(resource.CalendarData)};
        changed_.push_back(key);
        asked.erase(key);
    }
    // A member asked for that did not come would stay as it was behind a token that says it is
    // current: the next sync lists the calendar whole instead.
    if (!asked.empty()) {
        newToken_.clear();
        newCTag_.clear();
    }
    fetched_ = end;
    if (fetched_ == toFetch_.size()) Finish();
}

void TDavCalendarSync::Finish() {
    copy_.SyncToken = OneLine(newToken_) ? newToken_ : std::string();
    copy_.CTag = OneLine(newCTag_) ? newCTag_ : std::string();
    step_ = Step::kDone;
}

}  // namespace tessel
