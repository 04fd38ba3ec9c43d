// Sign-in, authorised requests with the gsessionid retry, the calendar list and Connect, on the
// scripted transport.
#include "calendar_fixture.h"

#include <map>

#include "calendar/http_request.h"

namespace tessel::testing {
namespace {

using ::testing::ElementsAre;

// What the service reads from a request: the target as the transport sends it (escapes decoded
// once), then the query split at "&" and each value percent-decoded.
std::map<std::string, std::string> QueryAsServerSeesIt(const std::string& url) {
    std::string authority, rest;
    EXPECT_TRUE(SplitAtAuthority(url, authority, rest)) << url;
    const std::string target = WinInetRequestTarget(rest);
    std::map<std::string, std::string> params;
    const size_t question = target.find('?');
    if (question == std::string::npos) return params;
    auto decode = [](const std::string& text) {
        std::string out;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '%' && i + 2 < text.size()) {
                out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                out += text[i];
            }
        }
        return out;
    };
    const std::string query = target.substr(question + 1);
    size_t start = 0;
    while (start <= query.size()) {
        size_t end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
        const std::string pair = query.substr(start, end - start);
        const size_t eq = pair.find('=');
        if (eq != std::string::npos) params[decode(pair.substr(0, eq))] = decode(pair.substr(eq + 1));
        start = end + 1;
    }
    return params;
}

class CalendarSignIn : public CalendarClientTest {};

TEST_F(CalendarSignIn, CacheNameIsLowerCaseWithoutTheMailSuffix) {
    calendar.SetCredentials("Jane.Doe@GMail.COM", " Pass ");
    EXPECT_EQ(calendar.CacheName, "jane.doe");
    EXPECT_EQ(calendar.UserName, "Jane.Doe@GMail.COM");
    EXPECT_EQ(calendar.Password, " Pass ");

    calendar.SetCredentials("Bob@Example.ORG", "x");
    EXPECT_EQ(calendar.CacheName, "bob@example.org");

    // Only the first occurrence goes.
    calendar.SetCredentials("a@gmail.com@gmail.com", "x");
    EXPECT_EQ(calendar.CacheName, "a@gmail.com");
}

TEST_F(CalendarSignIn, KeepsTheLastAuthLineAndLeavesItsOwnResponseEmpty) {
    http.Answer(kSignInPath, "SID=a\nLSID=b\nAuth=c\n");
    calendar.Response = "stale";
    calendar.SignIn();
    EXPECT_EQ(calendar.AuthLine, "Auth=c");
    EXPECT_EQ(calendar.Response, "");
    ASSERT_EQ(http.Requests.size(), 1u);
    EXPECT_EQ(http.Requests[0].Url,
              "https://www.calendar.test/accounts/ClientLogin?Email=Jane%2540calendar.test&Passwd=secret"
              "&source=Tessel1&service=cl");

    // Lines end at CR, LF or CR LF; every line holding "Auth=" anywhere counts, the last one wins.
    http.ClearScript();
    http.Answer(kSignInPath, "Auth=first\rSID=x\r\nXAuth=second\nLSID=y");
    calendar.SignIn();
    EXPECT_EQ(calendar.AuthLine, "XAuth=second");
}

TEST_F(CalendarSignIn, RefusedOrTokenlessAnswerLeavesAuthLineEmpty) {
    calendar.AuthLine = "Auth=old";
    http.Answer(kSignInPath, "Error=BadAuthentication\n", 403);
    calendar.SignIn();
    EXPECT_EQ(calendar.AuthLine, "");

    http.ClearScript();
    http.Answer(kSignInPath, "SID=a\nLSID=b\nauth=lower-case does not count\n");
    calendar.SignIn();
    EXPECT_EQ(calendar.AuthLine, "");
}

TEST_F(CalendarSignIn, WithoutANameNothingIsSentAndTheSyncSaysTheSignInFailed) {
    calendar.SetCredentials("", "secret");
    calendar.AuthLine = "Auth=old";
    http.Answer(kSignInPath, "SID=a\nLSID=b\nAuth=c\n");
    calendar.SignIn();
    EXPECT_EQ(calendar.AuthLine, "");
    calendar.Sync(40191);  // 2010-01-13
    EXPECT_TRUE(http.Requests.empty());
    EXPECT_THAT(statuses, ElementsAre(kStatusSyncing, kStatusSyncAuthFailed));
}

TEST_F(CalendarSignIn, NameAndPasswordArriveWholeWhateverTheyHold) {
    for (const std::string password : {"a&b", "p#ss", "1+1=2", "two words", "100%", "caf\xc3\xa9", "?x=/y"}) {
        SCOPED_TRACE(password);
        calendar.SetCredentials("jane+cal@calendar.test", password);
        http.Requests.clear();
        calendar.SignIn();
        ASSERT_EQ(http.Requests.size(), 1u);
        auto params = QueryAsServerSeesIt(http.Requests[0].Url);
        EXPECT_EQ(params["Email"], "jane+cal@calendar.test");
        EXPECT_EQ(params["Passwd"], password);
        EXPECT_EQ(params["source"], "Tessel1");
        EXPECT_EQ(params["service"], "cl");
    }
}

// The token, the default credentials and the pinned certificate go with requests to the
// service's own host and to no other; the sign-in carries the form's Content-Type whatever came
// before it.
TEST_F(CalendarSignIn, WhatTheServiceIsTrustedWithGoesOnlyToItsHost) {
    const std::string pin(64, 'c');
    ServiceHosts pinned = hosts;
    pinned.Certificate = pin;
    TCalendar client{http, &account, clock, pinned, folder.Folder(), 7};
    client.SetCredentials("jane", "pw");
    http.Answer(kSignInPath, "Auth=c\n");
    http.Answer("/feed", "x");
    client.SignIn();
    client.AuthorizedGet(kListUrl);
    client.AuthorizedGet("https://feeds.elsewhere.test/feed");
    client.AuthorizedGet("http://" + std::string(kHost) + ":8080/feed");
    client.SignIn();
    struct Expected {
        const char* header;
        bool trusted;
    };
    const Expected expected[] = {
        {"Content-Type: application/x-www-form-urlencoded", true},
        {"Authorization: GoogleLogin Auth=c", true},
        {nullptr, false},
        {nullptr, false},
        {"Content-Type: application/x-www-form-urlencoded", true},
    };
    ASSERT_EQ(http.Requests.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(http.Requests[i].Url);
        const THttpRequest& sent = http.Requests[i].Whole;
        EXPECT_EQ(sent.Headers, expected[i].header ? std::vector<std::string>{expected[i].header}
                                                    : std::vector<std::string>{});
        EXPECT_EQ(sent.User, expected[i].trusted ? "tanrows" : "");
        EXPECT_EQ(sent.Password, expected[i].trusted ? "4K7Q2M" : "");
        EXPECT_EQ(sent.PinnedCertificate, expected[i].trusted ? pin : "");
    }
}

TEST_F(CalendarSignIn, AuthorizedGetSendsTheAuthorizationLine) {
    calendar.AuthLine = "Auth=c";
    http.Answer("/feed", "the answer");
    calendar.AuthorizedGet("http://www.calendar.test/feed");
    ASSERT_EQ(http.Requests.size(), 1u);
    EXPECT_EQ(http.Requests[0].ExtraHeader, "Authorization: GoogleLogin Auth=c");
    EXPECT_EQ(calendar.Response, "the answer");

    http.ClearScript();
    calendar.AuthorizedGet("http://www.calendar.test/feed");
    EXPECT_EQ(calendar.Response, "") << "a failed request leaves no stale answer";
}

TEST_F(CalendarSignIn, SessionIdIsAppendedOnceWithQuestionMarkOrAmpersand) {
    calendar.AuthLine = "Auth=c";
    const std::string moved = "<A HREF=\"http://www.calendar.test/feed?gsessionid=XYZ\">here</A>";
    http.AnswerOnce("/feed", moved, 302);
    http.Answer("/feed", "second answer mentions gsessionid=again\" too");
    calendar.AuthorizedGet("http://www.calendar.test/feed");
    EXPECT_THAT(http.Urls(), ElementsAre("http://www.calendar.test/feed", "http://www.calendar.test/feed?gsessionid=XYZ"));
    EXPECT_EQ(http.Requests[1].ExtraHeader, "Authorization: GoogleLogin Auth=c");
    EXPECT_EQ(calendar.Response, "second answer mentions gsessionid=again\" too");

    http.Requests.clear();
    http.AnswerOnce("/feed", moved, 302);
    calendar.AuthorizedGet("http://www.calendar.test/feed?start-min=a");
    EXPECT_THAT(http.Urls(), ElementsAre("http://www.calendar.test/feed?start-min=a",
                                         "http://www.calendar.test/feed?start-min=a&gsessionid=XYZ"));
}

TEST_F(CalendarSignIn, SessionIdWithoutClosingQuoteAppendsAnEmptyParameter) {
    calendar.AuthLine = "Auth=c";
    http.AnswerOnce("/feed", "gsessionid=XYZ and no quote", 302);
    http.Answer("/feed", "ok");
    calendar.AuthorizedGet("http://www.calendar.test/feed");
    EXPECT_THAT(http.Urls(), ElementsAre("http://www.calendar.test/feed", "http://www.calendar.test/feed?"));
    EXPECT_EQ(calendar.Response, "ok");
}

TEST_F(CalendarSignIn, CalendarListNeedsASignInAndTheServiceDomain) {
    calendar.FetchCalendarList();
    EXPECT_TRUE(http.Requests.empty());
    EXPECT_EQ(calendar.CalendarEntries, nullptr);

    calendar.AuthLine = "Auth=c";
    http.Answer(kListUrl, CalendarListFeed({{"work", "#2952A3"}, {"home", ""}}));
    calendar.FetchCalendarList();
    EXPECT_THAT(http.Urls(), ElementsAre(kListUrl));
    ASSERT_NE(calendar.CalendarEntries, nullptr);
    ASSERT_EQ(calendar.CalendarEntries->Count(), 2u);
    EXPECT_EQ(calendar.CalendarEntries->Node(1)->ReadValue(u"title"), u"home");
    EXPECT_EQ(calendar.CalendarDoc->Name(), u"feed");

    // An answer that does not mention the service's domain is not the calendar list.
    http.ClearScript();
    http.Answer(kListUrl, "<feed><entry><id>elsewhere.example</id></entry></feed>");
    calendar.FetchCalendarList();
    EXPECT_EQ(calendar.CalendarEntries, nullptr);
    EXPECT_EQ(calendar.CalendarDoc->ChildCount(), 0u);

    http.ClearScript();
    http.Answer(kListUrl, CalendarListFeed({{"work", ""}}), 500);
    calendar.FetchCalendarList();
    EXPECT_EQ(calendar.CalendarEntries, nullptr);
}

TEST_F(CalendarSignIn, ConnectReportsAndListsTheCalendars) {
    ScriptTwoCalendars();
    calendar.Connect();
    EXPECT_THAT(statuses, ElementsAre(kStatusConnecting, kStatusClose));
    ASSERT_NE(calendar.CalendarEntries, nullptr);
    EXPECT_EQ(calendar.CalendarEntries->Count(), 2u);
    EXPECT_FALSE(calendar.Syncing);
}

TEST_F(CalendarSignIn, ConnectWithRefusedAccountAsksToOpenTheOptions) {
    http.Answer(kSignInPath, "Error=BadAuthentication\n", 403);
    calendar.Connect();
    EXPECT_THAT(statuses, ElementsAre(kStatusConnecting,
                                      "Gmail Authenticate failed!\rUsername or Pass not correctly,\r"
                                      "Open Options windows to change !"));
    EXPECT_EQ(http.Requests.size(), 1u);
}

TEST_F(CalendarSignIn, ConnectWithoutListStillCloses) {
    http.Answer(kSignInPath, "Auth=c\n");
    http.Answer(kListUrl, "not for us", 200);
    calendar.Connect();
    EXPECT_THAT(statuses, ElementsAre(kStatusConnecting, kStatusClose));
    EXPECT_EQ(calendar.CalendarEntries, nullptr);
}

TEST_F(CalendarSignIn, ConnectPassesTransportErrorsOn) {
    http.Unreachable(kHost);
    EXPECT_THROW(calendar.Connect(), EHttpError);
    EXPECT_THAT(statuses, ElementsAre(kStatusConnecting));
}

}  // namespace
}  // namespace tessel::testing
