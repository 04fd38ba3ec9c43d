// Sign-in, authorised requests and the calendar list.
#include "calendar/calendar.h"

#include "base/file_io.h"
#include "base/text.h"
#include "calendar/event_feed.h"
#include "calendar/http.h"
#include "calendar/service_address.h"

namespace tessel {

namespace {

constexpr char kMailSuffix[] = "@gmail.com";
constexpr char kCalendarListPath[] = "/calendar/feeds/default/allcalendars/full";

}  // namespace

void TCalendar::SetCredentials(const std::string& user, const std::string& password) {
    UserName = user;
    Password = password;
    CacheName = LowerAscii(user);
    const size_t suffix = CacheName.find(kMailSuffix);
    if (suffix != std::string::npos) CacheName.erase(suffix, sizeof kMailSuffix - 1);
}

void TCalendar::SignIn() {
    AuthLine.clear();
    // The service can only refuse a sign-in without a name: none is sent.
    if (UserName.empty()) return;
    const std::string url = SignInUrl(serviceHost_, UserName, Password);
    Response.clear();
    // ExtraHeader is left as it is: after the first authorised request it still carries the
    // last authorisation line, which the sign-in request then sends in place of Content-Type.
    http_.Get(url);
    for (const std::string& line : SplitLines(http_.Response))
        if (line.find("Auth=") != std::string::npos) AuthLine = line;
}

void TCalendar::AuthorizedGet(const std::string& url) {
    Response.clear();
    http_.ExtraHeader = "Authorization: GoogleLogin " + AuthLine;
    http_.Get(url);
    Response = http_.Response;
    const SessionParameter session = FindSessionParameter(Response);
    if (!session.found) return;
    Response.clear();
    http_.Get(AppendQueryParameter(url, session.text));
    Response = http_.Response;
}

TCalendar::FeedTree TCalendar::FetchCalendarListAside() {
    FeedTree list;
    list.Doc = NewFeedRoot();
    AuthorizedGet("http://" + serviceHost_ + kCalendarListPath);
    if (MentionsServiceDomain(Response)) {
        list.Doc->LoadFromBytes(Response);
        list.Entries = list.Doc->SelectNodes(u"entry");
    }
    return list;
}

void TCalendar::FetchCalendarList() {
    if (AuthLine.empty()) return;
    FeedTree list = FetchCalendarListAside();
    CalendarEntries = std::move(list.Entries);
    CalendarDoc = std::move(list.Doc);
}

void TCalendar::Connect() {
    ReportStatus(kStatusConnecting);
    SignIn();
    if (AuthLine.empty()) {
        ReportStatus(kStatusConnectAuthFailed);
        return;
    }
    FetchCalendarList();
    ReportStatus(kStatusClose);
}

}  // namespace tessel
