#pragma once
// Reading calendars from a CalDAV server: finding the user's calendars from the address the
// user gave, and bringing one calendar's copy up to date with as little as the server allows.
//
// The password goes only to the server's own scheme, host and port: every address discovery or
// a listing points at is checked against the server before a request carries it, and THttp
// drops it on a redirect elsewhere. Problems are in the user's words and never hold the
// password or an address's path.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "calendar/http.h"

namespace tessel {

// The user name and password of one server, and whether it was seen to ask for Basic: then
// each request carries them at once instead of waiting for a 401 each time.
struct TDavCredentials {
    std::string Server;  // the address the account was found from; its origin is the server
    std::string User;
    std::string Password;
    bool Basic = false;
};

// The address a server is tried at: a bare host name ("cloud.example.org") is https on it; an
// http or https address stands as it is. Empty for anything else (webcal, a file, no host).
std::string DavServerUrl(std::string_view address);

// A request to the server of credentials.Server: with the user name and password (at once when
// the server takes Basic) when url lies on that server, without them when it does not.
THttpRequest DavRequest(const TDavCredentials& credentials, std::string_view method, std::string url,
                        std::string depth, std::string body);

// The address an href names, seen from the address it came in the answer of; empty when it lies
// on another server than from does.
std::string DavHrefUrl(std::string_view from, std::string_view href);

struct TDavCalendarInfo {
    std::string Address;
    std::string Name;
    uint32_t Color = 0;  // 0x00BBGGRR
    bool HasColor = false;
};

struct TDavDiscovery {
    enum Result {
        kNotDav,         // the address answers, but not as a CalDAV server
        kNeedsPassword,  // it asks for a user name and password, and none were given
        kRefused,        // the ones given were refused
        kFailed,         // a CalDAV server, but no calendar could be listed: Problem says why
        kFound,
    } Outcome = kNotDav;
    std::vector<TDavCalendarInfo> Calendars;  // those that hold events, in the server's order
    std::string Problem;
    bool Basic = false;  // the server asked for Basic credentials
};

// Finds the calendars of the user at the address (a server, a calendar home or one calendar),
// as RFC 6764 and RFC 4791 describe: the address itself, else /.well-known/caldav; the
// current-user-principal, its calendar-home-set, then the home's calendars.
TDavDiscovery DiscoverDavCalendars(THttp& http, const TDavCredentials& credentials);

// One calendar's copy: its members by href, with the ETag each came with, and the tokens that
// let the next sync ask only for what changed.
struct TDavObject {
    std::string ETag;
    std::string Data;
};
struct TDavCopy {
    std::string SyncToken;
    std::string CTag;
    std::map<std::string, TDavObject> Objects;
};

// The copy as a file's text, and back; false (the copy untouched) when the text is not one whole.
std::string DavCopyText(const TDavCopy& copy);
bool ReadDavCopy(std::string_view text, TDavCopy& copy);

// Most members a calendar may hold; a larger one is refused whole, as a subscription is.
constexpr size_t kDavMaxObjects = 50000;
// Members fetched by one calendar-multiget.
constexpr size_t kDavFetchBatch = 200;

// One sync of one calendar, one request at a time, so that the syncs of several calendars go
// out side by side (THttp::SendAll) round by round:
// - with a sync token, a sync-collection REPORT (RFC 6578) lists what changed since; a token the
//   server no longer takes starts over with a full listing;
// - without one, a ctag unchanged since the last sync ends it at once; else the members' ETags
//   are listed and compared;
// - what is new or changed then comes in calendar-multiget REPORTs; what is gone is dropped.
// The copy changes only by what the server said; the tokens only once the sync went through.
class TDavCalendarSync {
public:
    TDavCalendarSync(const TDavCredentials& credentials, std::string address, TDavCopy& copy);

    // The next request, or false when the sync has ended (Failure then says whether it worked).
    bool Next(THttpRequest& request);
    void Take(const THttpResponse& response);

    // Why it failed, in the user's words; empty when it went through.
    const std::string& Failure() const { return failure_; }
    // The server refused the user name or password.
    bool Refused() const { return refused_; }
    // The server was seen to ask for Basic credentials.
    bool AskedBasic() const { return askedBasic_; }
    // The members that came anew or changed, and those that are gone, in this sync.
    const std::vector<std::string>& Changed() const { return changed_; }
    const std::vector<std::string>& Removed() const { return removed_; }
    // The copy's tokens moved on: it is worth saving even when no member changed.
    bool TokensChanged() const { return copy_.SyncToken != startToken_ || copy_.CTag != startCTag_; }
    // How many requests it took.
    int32_t Requests() const { return requests_; }

private:
    enum class Step { kSync, kCTag, kList, kFetch, kDone };
    void Fail(std::string problem);
    // Reads a 207; false (after Fail) when it is none.
    bool Listing(const THttpResponse& response, struct TDavMultistatus& listing);
    void TakeSync(const THttpResponse& response);
    void TakeCTag(const THttpResponse& response);
    void TakeList(const THttpResponse& response);
    void TakeFetch(const THttpResponse& response);
    void Remove(const std::string& href);
    void Finish();
    // An href as the copy keys it: its path, whatever the server prefixed it with.
    std::string Key(std::string_view href) const;
    bool IsCollection(std::string_view key) const;
    // The collection itself, as a listing names it.
    bool IsOwnHref(std::string_view href) const;

    const TDavCredentials& credentials_;
    std::string address_;
    std::string path_;  // of address_, the collection's own href
    TDavCopy& copy_;
    Step step_ = Step::kDone;
    std::string startToken_;
    std::string startCTag_;
    std::string newToken_;
    std::string newCTag_;
    std::vector<std::string> toFetch_;
    size_t fetched_ = 0;
    std::vector<std::string> changed_;
    std::vector<std::string> removed_;
    std::string failure_;
    bool refused_ = false;
    bool askedBasic_ = false;
    int32_t requests_ = 0;
    int32_t syncRounds_ = 0;
};

}  // namespace tessel
