// CalDAV against real servers on loopback (Radicale and Xandikos, started by the suite's
// fixture): discovery from what a user types, a sync that follows changes and deletions at the
// cost the server allows, a sync token the server rejects, and a refused password.
#include <algorithm>
#include <atomic>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "base/date_time.h"
#include "base/text.h"
#include "calendar/caldav.h"
#include "calendar/dav_source.h"
#include "calendar/event_sources.h"
#include "calendar/http.h"
#include "calendar/http_request.h"
#include "ical/ical.h"
#include "support/dav_servers.h"
#include "support/temp_folder.h"

namespace tessel::testing {
namespace {

class UtcZone final : public ical::Zone {
public:
    int32_t OffsetAt(int64_t) const override { return 0; }
};

class DavServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!dav.problem.empty()) GTEST_SKIP() << dav.problem;
    }

    TDavCredentials Credentials(const DavServer& server, const std::string& password) const {
        return {server.origin + "/", dav.user, password, false};
    }

    // A request the test itself makes to change the server's calendars; it must succeed.
    void Change(const DavServer& server, const std::string& method, const std::string& url, std::string body = {},
                const std::string& type = "text/calendar; charset=utf-8") {
        THttpRequest request;
        request.Method = method;
        request.Url = url;
        request.Body = std::move(body);
        request.Headers = {"Content-Type: " + type};
        request.User = dav.user;
        request.Password = dav.password;
        const THttpResponse answer = http.Send(request);
        ASSERT_TRUE(answer.Status >= 200 && answer.Status < 300)
            << server.name << " " << method << " " << url << ": " << answer.Status << " " << answer.ErrorText;
    }

    // A calendar of the test's own, so that its changes meet no other test's.
    std::string NewCalendar(const DavServer& server, const std::string& name) {
        static std::atomic<int> made{0};
        const std::string url = server.scratch + name + "-" + std::to_string(++made) + "/";
        Change(server, "MKCOL", url,
               "<?xml version=\"1.0\"?><d:mkcol xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\"><d:set>"
               "<d:prop><d:resourcetype><d:collection/><c:calendar/></d:resourcetype><d:displayname>" +
                   name + "</d:displayname></d:prop></d:set></d:mkcol>",
               "application/xml; charset=utf-8");
        return url;
    }

    static std::string Event(const std::string& uid, const std::string& summary, int day) {
        return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Tessel tests//EN\r\nBEGIN:VEVENT\r\nUID:" + uid +
               "\r\nDTSTAMP:20270101T000000Z\r\nDTSTART:202703" + std::to_string(day) +
               "T100000Z\r\nDURATION:PT1H\r\nSUMMARY:" + summary + "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    }

    static std::vector<std::string> Titles(const TEventSource& source) {
        std::vector<std::string> titles;
        for (const EventItem& item : source.Events()) titles.push_back(Utf16ToUtf8(item.Event.Title()));
        std::sort(titles.begin(), titles.end());
        return titles;
    }

    const DavServers dav = FindDavServers();
    THttp http;
    TempFolder folder;
    UtcZone utc;
    const TDateTime march = EncodeDate(2027, 3, 15);
};

TEST_F(DavServerTest, DiscoveryListsTheCalendarsThatHoldEvents) {
    for (const DavServer& server : dav.servers) {
        SCOPED_TRACE(server.name);
        struct Case {
            std::string address;
            std::string password;
            TDavDiscovery::Result outcome;
            std::set<std::string> names;
        };
        const std::string port = server.origin.substr(server.origin.rfind(':') + 1);
        const std::vector<Case> cases = {
            {server.origin, "", server.asksPassword ? TDavDiscovery::kNeedsPassword : TDavDiscovery::kFound,
             server.asksPassword ? std::set<std::string>{} : std::set<std::string>{"Home", "Work"}},
            {server.origin + "/", dav.password, TDavDiscovery::kFound, {"Home", "Work"}},
            {server.home, dav.password, TDavDiscovery::kFound, {"Home", "Work"}},
            {server.home + "work/", dav.password, TDavDiscovery::kFound, {"Work"}},
            {"http://localhost:" + port + "/", dav.password, TDavDiscovery::kFound, {"Home", "Work"}},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.address);
            const TDavDiscovery found = DiscoverDavCalendars(http, {c.address, dav.user, c.password, false});
            EXPECT_EQ(found.Outcome, c.outcome) << found.Problem;
            std::set<std::string> names;
            for (const TDavCalendarInfo& calendar : found.Calendars) {
                names.insert(calendar.Name);
                if (calendar.Name == "Work") {
                    EXPECT_TRUE(calendar.HasColor);
                    EXPECT_EQ(calendar.Color, 0x327D2Eu);  // #2E7D32
                    EXPECT_EQ(OriginOf(calendar.Address), OriginOf(c.address));
                    EXPECT_TRUE(calendar.Address.ends_with("/work/")) << calendar.Address;
                }
            }
            EXPECT_EQ(names, c.names);
        }
        if (server.asksPassword) {
            const TDavDiscovery refused = DiscoverDavCalendars(http, Credentials(server, "not-" + dav.password));
            EXPECT_EQ(refused.Outcome, TDavDiscovery::kRefused);
            EXPECT_EQ(refused.Problem, "user name or password refused");
            EXPECT_TRUE(refused.Basic);
        }
    }
}

// A sync follows new, changed and deleted events; an unchanged calendar costs one request and
// no reading; the copy on disk shows the same events before the network answers.
TEST_F(DavServerTest, SyncFollowsChangesAtTheCostTheServerAllows) {
    for (const DavServer& server : dav.servers) {
        SCOPED_TRACE(server.name);
        const std::string url = NewCalendar(server, "Changes");
        Change(server, "PUT", url + "a.ics", Event("a", "Alpha", 15));
        Change(server, "PUT", url + "b.ics", Event("b", "Beta", 16));
        Change(server, "PUT", url + "c.ics", Event("c", "Gamma", 17));
        auto credentials = std::make_shared<TDavCredentials>(Credentials(server, dav.password));
        TDavCalendarSource source(credentials, "Server", {url, "Changes", 0x0000FF, true}, folder.Folder(), utc);

        source.Sync(http, march);
        ASSERT_EQ(source.Failure(), "");
        EXPECT_EQ(Titles(source), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
        EXPECT_EQ(source.ParseCount(), 3);
        EXPECT_EQ(source.Events().front().Event.Color, 0x0000FFu);

        source.Sync(http, march);
        EXPECT_EQ(source.Requests(), 1);
        EXPECT_EQ(source.ParseCount(), 3);

        Change(server, "PUT", url + "b.ics", Event("b", "Beta moved", 18));
        Change(server, "DELETE", url + "c.ics");
        Change(server, "PUT", url + "d.ics", Event("d", "Delta", 19));
        source.Sync(http, march);
        ASSERT_EQ(source.Failure(), "");
        EXPECT_EQ(Titles(source), (std::vector<std::string>{"Alpha", "Beta moved", "Delta"}));
        EXPECT_EQ(source.ParseCount(), 5) << "only the changed and the new event are read";
        EXPECT_EQ(source.Requests(), 2) << "the changes, then one fetch of both";

        TDavCalendarSource started(credentials, "Server", {url, "Changes", 0x0000FF, true}, folder.Folder(), utc);
        started.LoadCache(march);
        EXPECT_EQ(Titles(started), Titles(source));
        started.Sync(http, march);
        EXPECT_EQ(started.Requests(), 1);
        EXPECT_EQ(started.ParseCount(), 3);
    }
}

TEST_F(DavServerTest, ARejectedSyncTokenStartsOverWithAFullListing) {
    for (const DavServer& server : dav.servers) {
        SCOPED_TRACE(server.name);
        const TDavCredentials credentials = Credentials(server, dav.password);
        TDavCopy copy;
        copy.SyncToken = "http://tessel.test/sync/forgotten";
        copy.Objects["/gone.ics"] = {"\"old\"", Event("gone", "Gone", 15)};
        TDavCalendarSync sync(credentials, server.home + "work/", copy);
        THttpRequest request;
        while (sync.Next(request)) sync.Take(http.Send(request));
        EXPECT_EQ(sync.Failure(), "");
        EXPECT_EQ(copy.Objects.size(), 3u);
        EXPECT_EQ(copy.Objects.count("/gone.ics"), 0u);
        EXPECT_NE(copy.SyncToken, "http://tessel.test/sync/forgotten");
        EXPECT_FALSE(copy.SyncToken.empty());
    }
}

// A refused password fails the account's calendars only, names the account, and keeps what
// they showed.
TEST_F(DavServerTest, ARefusedPasswordKeepsTheEventsAndNamesTheAccount) {
    const DavServer& server = dav.servers.front();
    ASSERT_TRUE(server.asksPassword);
    const TSubscription work{server.home + "work/", "Work", 0x00FF00, true};
    TDavCalendarSource good(std::make_shared<TDavCredentials>(Credentials(server, dav.password)), "Home server", work,
                            folder.Folder(), utc);
    good.Sync(http, march);
    ASSERT_EQ(good.Failure(), "");
    ASSERT_FALSE(good.Events().empty());

    TDavCalendarSource refused(std::make_shared<TDavCredentials>(Credentials(server, "changed")), "Home server", work,
                               folder.Folder(), utc);
    refused.LoadCache(march);
    refused.Sync(http, march);
    EXPECT_EQ(refused.FailureLine(), "Home server: user name or password refused");
    EXPECT_EQ(Titles(refused), Titles(good));
}

}  // namespace
}  // namespace tessel::testing
