#include "calendar_routes.h"

#include <cctype>

#include <openssl/evp.h>
#include <openssl/rand.h>

#include "atom_feed.h"
#include "base/errors.h"
#include "base/text.h"
#include "query.h"

namespace tessel::service {

namespace {

constexpr std::string_view kListPath = "/calendar/feeds/default/allcalendars/full";
constexpr std::string_view kFeedsPrefix = "/calendar/feeds/";
constexpr std::string_view kFeedSuffix = "/private/full";

const char* const kAtomType = "application/atom+xml; charset=UTF-8";
const char* const kHtmlType = "text/html; charset=UTF-8";

std::string HtmlPage(const std::string& title, const std::string& body) {
    return "<!DOCTYPE html>\n<html><head><meta charset='utf-8'><title>" + XmlAttribute(title) + "</title></head><body>\n" +
           body + "\n</body></html>\n";
}

// The query without any gsessionid parameter, so a hand-out never doubles it.
std::string QueryWithoutSession(const std::string& query) {
    std::string kept;
    size_t start = 0;
    while (start <= query.size()) {
        size_t end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
        const std::string pair = query.substr(start, end - start);
        if (!pair.empty() && pair.rfind("gsessionid=", 0) != 0 && pair != "gsessionid")
            kept += (kept.empty() ? "" : "&") + pair;
        start = end + 1;
    }
    return kept;
}

FeedContext MakeContext(const ServiceData& data, const std::string& domain, const HttpRequest& request) {
    return FeedContext{request.HostForLinks(), domain, data.zoneMinutes, data.updated};
}

}  // namespace

bool IsUsableHost(const std::string& host) {
    if (host.empty() || host.size() > 255) return false;
    for (char c : host)
        if (!std::isalnum(static_cast<unsigned char>(c)) && std::string_view(".-:[]").find(c) == std::string_view::npos)
            return false;
    return true;
}

CalendarRoutes::CalendarRoutes(const ServiceData& data, std::string domain) : data_(data), domain_(std::move(domain)) {
    if (RAND_bytes(secret_.data(), static_cast<int>(secret_.size())) != 1) throw EError("no random bytes for tokens");
}

std::string CalendarRoutes::Derive(const std::string& label, const AccountRecord& account, size_t length) const {
    std::string input(reinterpret_cast<const char*>(secret_.data()), secret_.size());
    input += label + "\n" + LowerAscii(account.email);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(input.data(), input.size(), digest, &size, EVP_sha256(), nullptr) != 1)
        throw EError("cannot hash a token");
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < size && text.size() < length; ++i) {
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 15];
    }
    return text;
}

std::string CalendarRoutes::TokenFor(const AccountRecord& account) const { return "DQAAA" + Derive("auth", account, 64); }

std::string CalendarRoutes::SessionIdFor(const AccountRecord& account) const { return Derive("session", account, 22); }

bool CalendarRoutes::Handle(const HttpRequest& request, HttpResponse& response) const {
    const std::string& path = request.path;
    if (path == "/accounts/ClientLogin") {
        SignIn(request, response);
    } else if (path == "/accounts/ServiceLoginAuth") {
        WebSignIn(request, response);
    } else if (path == kListPath) {
        CalendarList(request, response);
    } else if (path.rfind(kFeedsPrefix, 0) == 0 && path.size() > kFeedsPrefix.size() + kFeedSuffix.size() &&
               path.compare(path.size() - kFeedSuffix.size(), kFeedSuffix.size(), kFeedSuffix) == 0) {
        const std::string encoded =
            path.substr(kFeedsPrefix.size(), path.size() - kFeedsPrefix.size() - kFeedSuffix.size());
        EventFeed(request, response, PercentDecode(encoded));
    } else if (path.rfind("/calendar/event/", 0) == 0 || path.rfind("/calendar/embed/", 0) == 0) {
        response.SetText(200, HtmlPage("Calendar", "<p>The calendar page of " + XmlAttribute(PercentDecode(path)) + "</p>"),
                         kHtmlType);
    } else if (path == "/help") {
        response.SetText(200, HtmlPage("Tessel Desktop help", "<h1>Tessel Desktop</h1><p>Help pages.</p>"), kHtmlType);
    } else if (path == "/home") {
        response.SetText(200, HtmlPage("Tessel Desktop", "<h1>Tessel Desktop</h1><p>Home page.</p>"), kHtmlType);
    } else if (path == "/tessel.inf") {
        response.SetText(200, "[update]\r\n", "text/plain");
    } else {
        return false;
    }
    return true;
}

void CalendarRoutes::SignIn(const HttpRequest& request, HttpResponse& response) const {
    const QueryParams params(request.query);
    const std::string* email = params.Find("Email");
    const std::string* password = params.Find("Passwd");
    if (!email || !password) return response.SetText(400, "Error=BadAuthentication\n");
    const AccountRecord* account = data_.FindAccount(*email);
    if (!account || account->password != *password) return response.SetText(403, "Error=BadAuthentication\n");
    response.SetText(200, "SID=" + Derive("sid", *account, 48) + "\nLSID=" + Derive("lsid", *account, 48) +
                              "\nAuth=" + TokenFor(*account) + "\n");
}

void CalendarRoutes::WebSignIn(const HttpRequest& request, HttpResponse& response) const {
    const QueryParams params(request.query);
    const std::string* email = params.Find("Email");
    const std::string* password = params.Find("Passwd");
    const std::string* next = params.Find("continue");
    const AccountRecord* account = email ? data_.FindAccount(*email) : nullptr;
    if (!account || !password || account->password != *password) {
        response.SetText(200, HtmlPage("Sign in", "<h1>Sign in</h1><p>The account name or password is not right.</p>"),
                         kHtmlType);
        return;
    }
    std::string body = "<h1>Signed in</h1><p>Signed in as " + XmlAttribute(account->email) + ".</p>";
    // Only addresses on this service are followed, so the page cannot send the browser elsewhere.
    const std::string own = "http://" + request.HostForLinks() + "/";
    if (next && next->rfind(own, 0) == 0) body += "<p><a href='" + XmlAttribute(*next) + "'>Continue</a></p>";
    response.SetText(200, HtmlPage("Signed in", body), kHtmlType);
}

const AccountRecord* CalendarRoutes::Authorize(const HttpRequest& request, HttpResponse& response) const {
    const std::string* header = request.Header("Authorization");
    static constexpr std::string_view kScheme = "GoogleLogin ";
    if (header && header->size() > kScheme.size() && SameTextAscii(header->substr(0, kScheme.size()), kScheme)) {
        const std::string credentials = Trim(header->substr(kScheme.size()));
        if (credentials.size() > 5 && SameTextAscii(credentials.substr(0, 5), "auth=")) {
            const std::string token = credentials.substr(5);
            for (const auto& account : data_.accounts)
                if (token == TokenFor(account)) return &account;
        }
    }
    response.SetText(401, HtmlPage("Unauthorized", "<h1>Unauthorized</h1><p>Token invalid or missing.</p>"), kHtmlType);
    response.SetHeader("WWW-Authenticate", "GoogleLogin realm=\"http://" + request.HostForLinks() +
                                               "/accounts/ClientLogin\", service=\"cl\"");
    return nullptr;
}

bool CalendarRoutes::HasSession(const HttpRequest& request, HttpResponse& response,
                                const AccountRecord& account) const {
    if (!account.gsessionid) return true;
    const std::string session = SessionIdFor(account);
    const QueryParams params(request.query);
    const std::string* given = params.Find("gsessionid");
    if (given && *given == session) return true;
    const std::string query = QueryWithoutSession(request.query);
    const std::string target = "http://" + request.HostForLinks() + request.path + "?" + query +
                               (query.empty() ? "" : "&") + "gsessionid=" + session;
    // The client takes the text from "gsessionid" up to the next double quote out of the body.
    response.SetText(302,
                     "<HTML>\n<HEAD>\n<TITLE>Moved Temporarily</TITLE>\n</HEAD>\n<BODY>\nThe document has moved <A HREF=\"" +
                         XmlAttribute(target) + "\">here</A>.\n</BODY>\n</HTML>\n",
                     kHtmlType);
    response.SetHeader("Location", target);
    return false;
}

void CalendarRoutes::CalendarList(const HttpRequest& request, HttpResponse& response) const {
    const AccountRecord* account = Authorize(request, response);
    if (!account || !HasSession(request, response, *account)) return;
    response.SetText(200, WriteCalendarListFeed(MakeContext(data_, domain_, request), *account), kAtomType);
}

void CalendarRoutes::EventFeed(const HttpRequest& request, HttpResponse& response,
                               const std::string& calendarId) const {
    const AccountRecord* account = Authorize(request, response);
    if (!account || !HasSession(request, response, *account)) return;
    const CalendarRecord* calendar = account->FindCalendar(calendarId);
    if (!calendar) return response.SetText(404, "Unknown calendar\n");
    const QueryParams params(request.query);
    TimeRange range;
    for (const auto& [name, bound] : {std::pair{"start-min", &range.startMin}, std::pair{"start-max", &range.startMax}}) {
        const std::string* text = params.Find(name);
        if (!text) continue;
        int64_t instant = 0;
        if (!ParseQueryInstant(*text, data_.zoneMinutes, instant))
            return response.SetText(400, std::string("Invalid ") + name + " value: " + *text + "\n");
        *bound = instant;
    }
    if (range.startMin && range.startMax && *range.startMin > *range.startMax)
        return response.SetText(400, "start-min is after start-max\n");
    response.SetText(200, WriteEventFeed(MakeContext(data_, domain_, request), *account, *calendar, range), kAtomType);
}

}  // namespace tessel::service
