// CalDAV without a server: what is read of a 207 whatever the server's prefixes, where the
// password may go, the copy's file, and the answers a real server would rarely give (another
// host in a listing, a sign-in portal, a damaged or enormous answer, a calendar beyond the limit).
#include "calendar/caldav.h"

#include <gtest/gtest.h>

#include <tuple>

#include "calendar/dav.h"
#include "calendar/dav_source.h"
#include "scripted_http.h"

namespace tessel {
namespace {

using testing::ScriptedHttp;

TEST(DavListingTest, NamesAreMatchedByNamespaceWhateverThePrefix) {
    const std::string bodies[] = {
        // A default namespace, as Radicale writes it.
        "<?xml version='1.0' encoding='utf-8'?><multistatus xmlns=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\" "
        "xmlns:I=\"http://apple.com/ns/ical/\"><sync-token>tok-2</sync-token><response><href>/u/work/</href><propstat>"
        "<prop><resourcetype><collection/><C:calendar/></resourcetype><displayname>Work &amp; more</displayname>"
        "<I:calendar-color>#2E7D32FF</I:calendar-color><C:supported-calendar-component-set><C:comp name=\"VEVENT\"/>"
        "</C:supported-calendar-component-set></prop><status>HTTP/1.1 200 OK</status></propstat><propstat><prop>"
        "<getetag/></prop><status>HTTP/1.1 404 Not Found</status></propstat></response><response><href>/u/work/a.ics"
        "</href><status>HTTP/1.1 404 Not Found</status></response><response><href>/u/work/</href><status>"
        "HTTP/1.1 507 Insufficient Storage</status></response></multistatus>",
        // Numbered prefixes, as Xandikos writes them, and a prefix that is no DAV one.
        "<ns0:multistatus xmlns:ns0=\"DAV:\" xmlns:ns1=\"urn:ietf:params:xml:ns:caldav\" "
        "xmlns:ns2=\"http://apple.com/ns/ical/\"><ns0:sync-token>tok-2</ns0:sync-token><ns0:response><ns0:href>"
        "/u/work/</ns0:href><ns0:propstat><ns0:status>HTTP/1.1 200 OK</ns0:status><ns0:prop><ns0:resourcetype>"
        "<ns0:collection/><ns1:calendar/></ns0:resourcetype><ns0:displayname>Work &amp; more</ns0:displayname>"
        "<ns2:calendar-color>#2E7D32FF</ns2:calendar-color><ns1:supported-calendar-component-set><ns1:comp "
        "name=\"VEVENT\"/></ns1:supported-calendar-component-set><x:getetag xmlns:x=\"urn:other\">no</x:getetag>"
        "</ns0:prop></ns0:propstat></ns0:response><ns0:response><ns0:href>/u/work/a.ics</ns0:href><ns0:status>"
        "HTTP/1.1 404 Not Found</ns0:status></ns0:response><ns0:response><ns0:href>/u/work/</ns0:href><ns0:status>"
        "HTTP/1.1 507 Insufficient Storage</ns0:status></ns0:response></ns0:multistatus>",
    };
    for (const std::string& body : bodies) {
        TDavMultistatus listing;
        std::string problem;
        ASSERT_TRUE(ReadMultistatus(body, listing, problem)) << problem;
        EXPECT_EQ(listing.SyncToken, "tok-2");
        EXPECT_TRUE(listing.Truncated);
        ASSERT_EQ(listing.Resources.size(), 2u);
        const TDavResource& work = listing.Resources[0];
        EXPECT_EQ(work.Href, "/u/work/");
        EXPECT_TRUE(work.IsCalendar);
        EXPECT_TRUE(work.ListsComponents && work.TakesEvents);
        EXPECT_EQ(work.DisplayName, "Work & more");
        EXPECT_EQ(work.Color, "#2E7D32FF");
        EXPECT_EQ(work.ETag, "");
        EXPECT_EQ(listing.Resources[1].Status, 404);
    }
}

TEST(DavListingTest, WhatIsNoListingIsRefusedWithTheReason) {
    const struct {
        std::string body;
        std::string problem;
    } cases[] = {
        {"<html><body>Sign in</body></html>", "the server's answer is not a WebDAV listing"},
        {"<d:multistatus xmlns:d=\"DAV:\"><d:response><d:href>/x</d:href>", "the server's answer is damaged"},
        {"<multistatus><response/></multistatus>", "the server's answer is not a WebDAV listing"},
        {"", "the server's answer is not a WebDAV listing"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        TDavMultistatus listing;
        listing.SyncToken = "kept";
        std::string problem;
        EXPECT_FALSE(ReadMultistatus(c.body, listing, problem));
        EXPECT_EQ(problem.substr(0, c.problem.size()), c.problem);
        EXPECT_EQ(listing.SyncToken, "kept");
    }
    EXPECT_TRUE(DavErrorNames("<D:error xmlns:D=\"DAV:\"><D:valid-sync-token/></D:error>", "valid-sync-token"));
    EXPECT_FALSE(DavErrorNames("<error xmlns=\"urn:x\"><valid-sync-token/></error>", "valid-sync-token"));
}

// The password goes with a request only to the account's own scheme, host and port, and at once
// (Basic) only where the server was seen to ask for Basic.
TEST(DavRequestTest, CredentialsGoOnlyToTheAccountsOwnServer) {
    const struct {
        std::string url;
        bool basic;
        bool credentials;
        bool header;
    } cases[] = {
        {"https://cloud.example.org/dav/work/", false, true, false},
        {"https://cloud.example.org:443/dav/work/", true, true, true},
        {"https://CLOUD.example.org/dav/", true, true, true},
        {"http://cloud.example.org/dav/work/", true, false, false},
        {"https://cloud.example.org:8443/dav/", true, false, false},
        {"https://evil.example.net/dav/", true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        const TDavCredentials credentials{"https://cloud.example.org/", "jane", "secret", c.basic};
        const THttpRequest request = DavRequest(credentials, "PROPFIND", c.url, "1", "<x/>");
        EXPECT_EQ(!request.Password.empty(), c.credentials);
        bool header = false;
        for (const std::string& line : request.Headers) header |= line.starts_with("Authorization: Basic ");
        EXPECT_EQ(header, c.header);
    }
    EXPECT_EQ(DavHrefUrl("https://h.example/dav/", "/dav/u/"), "https://h.example/dav/u/");
    EXPECT_EQ(DavHrefUrl("https://h.example/dav/", "u/"), "https://h.example/dav/u/");
    EXPECT_EQ(DavHrefUrl("https://h.example/dav/", "https://h.example:443/x/"), "https://h.example:443/x/");
    EXPECT_EQ(DavHrefUrl("https://h.example/dav/", "https://other.example/x/"), "");
    EXPECT_EQ(DavHrefUrl("https://h.example/dav/", "http://h.example/x/"), "");
    EXPECT_EQ(DavServerUrl("cloud.example.org"), "https://cloud.example.org/");
    EXPECT_EQ(DavServerUrl("cloud.example.org:8443/"), "https://cloud.example.org:8443/");
    EXPECT_EQ(DavServerUrl("http://192.168.1.5:5232"), "http://192.168.1.5:5232/");
    EXPECT_EQ(DavServerUrl("webcal://h.example/x.ics"), "");
    EXPECT_EQ(DavServerUrl("my calendar.ics"), "");
}

TEST(DavCopyTest, TheFileGivesBackTheCopyAndADamagedOneNothing) {
    TDavCopy copy;
    copy.SyncToken = "http://h/sync/7";
    copy.CTag = "\"c7\"";
    copy.Objects["/u/work/a.ics"] = {"\"e1\"", "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n"};
    copy.Objects["/u/work/b.ics"] = {"", std::string("odd\0bytes\r\n\r\n", 13)};
    const std::string text = DavCopyText(copy);
    TDavCopy read;
    ASSERT_TRUE(ReadDavCopy(text, read));
    EXPECT_EQ(read.SyncToken, copy.SyncToken);
    EXPECT_EQ(read.CTag, copy.CTag);
    ASSERT_EQ(read.Objects.size(), 2u);
    EXPECT_EQ(read.Objects["/u/work/b.ics"].Data, copy.Objects["/u/work/b.ics"].Data);
    EXPECT_EQ(read.Objects["/u/work/a.ics"].ETag, "\"e1\"");

    std::string longer = text;
    longer.insert(longer.find("\r\n34\r\n") + 2, "9");
    for (const std::string& damaged : {text.substr(0, text.size() - 5), text + "x", longer,
                                       std::string("TESSEL-CALDAV 2") + text.substr(15)}) {
        TDavCopy untouched;
        untouched.CTag = "kept";
        EXPECT_FALSE(ReadDavCopy(damaged, untouched));
        EXPECT_EQ(untouched.CTag, "kept");
    }
}

constexpr char kNoCalendars[] =
    "<multistatus xmlns=\"DAV:\"><response><href>/home/</href><propstat><prop><resourcetype><collection/>"
    "</resourcetype></prop><status>HTTP/1.1 200 OK</status></propstat></response></multistatus>";

std::string PrincipalAt(const std::string& href) {
    return "<multistatus xmlns=\"DAV:\"><response><href>/</href><propstat><prop><current-user-principal><href>" +
           href + "</href></current-user-principal></prop><status>HTTP/1.1 200 OK</status></propstat></response>"
           "</multistatus>";
}

std::string HomeAt(const std::string& self, const std::string& home) {
    return "<multistatus xmlns=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\"><response><href>" + self +
           "</href><propstat><prop><C:calendar-home-set><href>" + home +
           "</href></C:calendar-home-set></prop><status>HTTP/1.1 200 OK</status></propstat></response></multistatus>";
}

// Each answer a server may give that leads nowhere ends with a clear reason, and nothing goes
// to a host a listing points at.
TEST(DavDiscoveryTest, AnswersThatLeadNowhereSayWhy) {
    struct Case {
        const char* name;
        std::vector<std::tuple<std::string, std::string, int>> answers;
        TDavDiscovery::Result outcome;
        std::string problem;
    };
    const std::vector<Case> cases = {
        {"a principal on another host",
         {{"cloud.example.org/", PrincipalAt("https://evil.example.net/jane/"), 207}},
         TDavDiscovery::kFailed, "the server pointed at another server"},
        {"a home on another host",
         {{"cloud.example.org/jane/", HomeAt("/jane/", "https://evil.example.net/cal/"), 207},
          {"cloud.example.org/", PrincipalAt("/jane/"), 207}},
         TDavDiscovery::kFailed, "the server pointed at another server"},
        {"a home without calendars",
         {{"cloud.example.org/home/", kNoCalendars, 207}, {"cloud.example.org/jane/", HomeAt("/jane/", "/home/"), 207},
          {"cloud.example.org/", PrincipalAt("/jane/"), 207}},
         TDavDiscovery::kFailed, "the server lists no calendars with events for this user"},
        {"a sign-in portal", {{"cloud.example.org/", "<html>Sign in</html>", 200}}, TDavDiscovery::kNotDav,
         "the address is no CalDAV server's (it answered 200)"},
        {"a damaged listing",
         {{"cloud.example.org/", "<multistatus xmlns=\"DAV:\"><response>", 207}},
         TDavDiscovery::kNotDav, "the server's answer is damaged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttp http;
        for (const auto& [url, body, status] : c.answers) http.Answer(url, body, status);
        const TDavDiscovery found = DiscoverDavCalendars(http, {"https://cloud.example.org/", "jane", "pw", false});
        EXPECT_EQ(found.Outcome, c.outcome);
        EXPECT_EQ(found.Problem.substr(0, c.problem.size()), c.problem);
        for (const auto& request : http.Requests) EXPECT_EQ(request.Url.find("evil"), std::string::npos);
    }
}

// A calendar the server no longer answers for, an answer past the size limit or one that is
// damaged fail the sync and leave the copy's tokens as they were; one beyond the member limit
// is refused whole.
TEST(DavCalendarSyncTest, FailuresKeepTheCopy) {
    std::string tooMany = "<multistatus xmlns=\"DAV:\">";
    for (size_t i = 0; i <= kDavMaxObjects; ++i)
        tooMany += "<response><href>/c/" + std::to_string(i) + ".ics</href><propstat><prop><getetag>e</getetag>"
                   "</prop><status>HTTP/1.1 200 OK</status></propstat></response>";
    tooMany += "</multistatus>";
    const struct {
        const char* name;
        std::string body;
        int status;
        std::string problem;
    } cases[] = {
        {"gone", "", 404, "the calendar is no longer on the server"},
        {"damaged", "<multistatus xmlns=\"DAV:\"><resp", 207, "the server's answer is damaged"},
        {"enormous", std::string(size_t(65) << 20, ' '), 207, "the answer failed"},
        {"beyond the limit", tooMany, 207, "the calendar holds 50,001 events, more than the 50,000 taken"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedHttp http;
        http.Answer("h.example/c/", c.body, c.status);
        TDavCopy copy;
        copy.CTag = "old";
        copy.Objects["/c/kept.ics"] = {"\"k\"", "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n"};
        const TDavCredentials credentials{"https://h.example/", "u", "p", false};
        TDavCalendarSync sync(credentials, "https://h.example/c/", copy);
        THttpRequest request;
        while (sync.Next(request)) sync.Take(http.Send(request));
        EXPECT_EQ(sync.Failure().substr(0, c.problem.size()), c.problem);
        EXPECT_EQ(copy.CTag, "old");
        EXPECT_EQ(copy.Objects.count("/c/kept.ics"), 1u);
    }
}

// A member the listing names but the multiget leaves out must not stand behind a token that
// calls the copy current.
TEST(DavCalendarSyncTest, AMemberThatDidNotComeLeavesNoToken) {
    ScriptedHttp http;
    const auto member = [](const std::string& name, const std::string& data) {
        return "<response><href>/c/" + name + "</href><propstat><prop><getetag>\"1\"</getetag>" + data +
               "</prop><status>HTTP/1.1 200 OK</status></propstat></response>";
    };
    // One-shot answers are taken last added first: the multiget's, then the listing's.
    http.AnswerOnce("h.example/c/", "<multistatus xmlns=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\">" +
                                        member("a.ics", "<C:calendar-data>BEGIN:VCALENDAR</C:calendar-data>") +
                                        "</multistatus>",
                    207);
    http.AnswerOnce("h.example/c/", "<multistatus xmlns=\"DAV:\"><response><href>/c/</href><propstat><prop>"
                                    "<sync-token>t1</sync-token></prop><status>HTTP/1.1 200 OK</status></propstat>"
                                    "</response>" + member("a.ics", "") + member("b.ics", "") + "</multistatus>",
                    207);
    TDavCopy copy;
    const TDavCredentials credentials{"https://h.example/", "u", "p", false};
    TDavCalendarSync sync(credentials, "https://h.example/c/", copy);
    THttpRequest request;
    while (sync.Next(request)) sync.Take(http.Send(request));
    EXPECT_EQ(sync.Failure(), "");
    EXPECT_EQ(copy.Objects.count("/c/a.ics"), 1u);
    EXPECT_EQ(copy.SyncToken, "");
}

}  // namespace
}  // namespace tessel
