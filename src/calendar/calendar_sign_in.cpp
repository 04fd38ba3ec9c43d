// Sign-in, authorised requests and the calendar list.
#include "calendar/calendar.h"

#include "base/errors.h"
#include "base/file_io.h"
#include "base/text.h"
#include "calendar/event_feed.h"
#include "calendar/http.h"
#include "calendar/http_request.h"
#include "calendar/service_address.h"

namespace tessel {

namespace {

constexpr char kMailSuffix[] = "@gmail.com";
constexpr char kCalendarListPath[] = "/calendar/feeds/default/allcalendars/full";
constexpr char kFormContentType[] = "Content-Type: application/x-www-form-urlencoded";

}  // namespace

void TCalendar::SetCredentials(const std::string& user, const std::string& password) {
    UserName = user;
    Password = password;
    CacheName = CacheNameOf(user);
}

std::string TCalendar::CacheNameOf(const std::string& user) {
    std::string name = LowerAscii(user);
    const size_t suffix = name.find(kMailSuffix);
    if (suffix != std::string::npos) name.erase(suffix, sizeof kMailSuffix - 1);
    return name;
}

void TCalendar::SignIn() {
    AuthLine.clear();
    // The service can only refuse a sign-in without a name: none is sent.
    if (UserName.empty()) return;
    const std::string url = SignInUrl(serviceHost_, UserName, Password);
    Response.clear();
    ServiceGet(url, {kFormContentType});
    if (!answer_.Ok()) return;
    for (const std::string& line : SplitLines(answer_.Body))
        if (line.find("Auth=") != std::string::npos) AuthLine = line;
}

void TCalendar::ServiceGet(const std::string& url, std::vector<std::string> headers) {
    THttpRequest request;
    request.Url = url;
    request.TimeLimitMs = ServiceTimeLimitMs;
    const UrlOrigin origin = OriginOf(url);
    const UrlOrigin service = OriginOf(origin.Scheme + "://" + serviceHost_);
    if (origin.Host == service.Host && origin.Port == service.Port) {
        request.Headers = std::move(headers);
        request.User = DefaultUser;
        request.Password = DefaultPassword;
        request.PinnedCertificate = servicePin_;
    }
    answer_ = http_.Send(request);
    if (answer_.Status == 0 && answer_.Failure != THttpFailure::None)
        throw EHttpError(answer_.Failure, answer_.ErrorText);
}

void TCalendar::AuthorizedGet(const std::string& url) {
    Response.clear();
    const std::string header = "Authorization: GoogleLogin " + AuthLine;
    ServiceGet(url, {header});
    if (answer_.Ok()) Response = std::move(answer_.Body);
    const SessionParameter session = FindSessionParameter(Response);
    if (!session.found) return;
    Response.clear();
    ServiceGet(AppendQueryParameter(url, session.text), {header});
    if (answer_.Ok()) Response = std::move(answer_.Body);
}

std::string TCalendar::FeedAnswerProblem() const {
    if (!answer_.ErrorText.empty()) return answer_.ErrorText;
    if (!answer_.Ok()) return "the service answered with status " + std::to_string(answer_.Status);
    if (!MentionsServiceDomain(Response))
        return "the answer does not mention " + serviceDomain_ + ", so it is not the service's";
    return std::string();
}

bool TCalendar::LoadFeedAnswer(TxdataNode& doc) {
    // The tree takes the name of the last top element it reads; without a name of its own first
    // it shows whether this answer held one at all.
    doc.SetName(u"");
    doc.LoadFromBytes(Response);
    return doc.Name() == u"feed";
}

void TCalendar::FetchFeedInto(const std::string& url, TxdataNode& doc, const std::string& what) {
    std::string problem;
    try {
        AuthorizedGet(url);
        problem = FeedAnswerProblem();
        if (problem.empty() && !LoadFeedAnswer(doc))
            problem = "the answer is not a feed (its top element is <" + Narrow(doc.Name()) + ">)";
    } catch (const EError& e) {
        problem = e.what();
    }
    if (!problem.empty()) throw EError(what + ": " + problem);
}

TCalendar::FeedTree TCalendar::FetchCalendarListAside() {
    FeedTree list{NewFeedRoot(), nullptr};
    FetchFeedInto("http://" + serviceHost_ + kCalendarListPath, *list.Doc, "The calendar list");
    list.Entries = list.Doc->SelectNodes(u"entry");
    return list;
}

void TCalendar::FetchCalendarList() {
    if (AuthLine.empty()) return;
    // The account dialog's test: an answer that is not the list leaves no list, and errors of
    // the transport and the XML library reach the dialog as they are.
    FeedTree list{NewFeedRoot(), nullptr};
    AuthorizedGet("http://" + serviceHost_ + kCalendarListPath);
    if (FeedAnswerProblem().empty()) {
        if (LoadFeedAnswer(*list.Doc))
            list.Entries = list.Doc->SelectNodes(u"entry");
        else
            list.Doc = NewFeedRoot();
    }
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
