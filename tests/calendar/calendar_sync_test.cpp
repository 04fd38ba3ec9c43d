// The sync run on the scripted transport: its steps and messages, the rows of its failure
// table, and that a failed or nested run leaves the previous events, trees and cache alone.
#include "calendar_fixture.h"

#include <filesystem>
#include <tuple>

#include "base/text.h"

namespace tessel::testing {
namespace {

using ::testing::ElementsAre;

class CalendarSync : public CalendarClientTest {
protected:
    const TDateTime march15 = EncodeDate(2008, 3, 15);

    // Everything a failed run must leave as it was.
    struct Snapshot {
        std::vector<std::u16string> titles;
        std::string eventDoc, calendarDoc, eventCache, calendarCache;
        size_t eventEntries = 0, calendarEntries = 0;
    };
    Snapshot Take() const {
        Snapshot s;
        s.titles = Titles();
        s.eventDoc = Narrow(calendar.EventDoc->XmlText());
        s.calendarDoc = Narrow(calendar.CalendarDoc->XmlText());
        s.eventCache = CacheBytes(".xml");
        s.calendarCache = CacheBytes("-cat.xml");
        s.eventEntries = calendar.EventEntries ? calendar.EventEntries->Count() : 0;
        s.calendarEntries = calendar.CalendarEntries ? calendar.CalendarEntries->Count() : 0;
        return s;
    }
    void ExpectUnchanged(const Snapshot& before) const {
        const Snapshot after = Take();
        EXPECT_EQ(after.titles, before.titles);
        EXPECT_EQ(after.eventDoc, before.eventDoc);
        EXPECT_EQ(after.calendarDoc, before.calendarDoc);
        EXPECT_EQ(after.eventCache, before.eventCache);
        EXPECT_EQ(after.calendarCache, before.calendarCache);
        EXPECT_EQ(after.eventEntries, before.eventEntries);
        EXPECT_EQ(after.calendarEntries, before.calendarEntries);
    }
    // A first run that succeeds, so that a failing second one has something to lose.
    Snapshot SyncedOnce() {
        ScriptTwoCalendars();
        calendar.Sync(march15);
        EXPECT_THAT(statuses, ElementsAre(kStatusSyncing, kStatusClose));
        EXPECT_THAT(Titles(), ElementsAre(u"Dentist", u"Review"));
        statuses.clear();
        http.Requests.clear();
        http.ClearScript();
        return Take();
    }
    void ScriptSignInAndList() {
        http.Answer(kSignInPath, "Auth=t2\n");
        http.Answer(kListUrl, CalendarListFeed({{"work", "#2952A3"}, {"home", "#FF0000"}}));
    }
};

TEST_F(CalendarSync, FullRunFetchesSelectedCalendarsWritesCacheAndSorts) {
    ScriptTwoCalendars();
    http.Answer(FeedAddress("hidden"), EventFeed("hidden", {}));
    bool syncingWhileReporting = false;
    calendar.OnStatus = [&](TCalendar& c, const std::string& message) {
        statuses.push_back(message);
        syncingWhileReporting = c.Syncing;
    };
    calendar.Sync(march15);
    EXPECT_THAT(statuses, ElementsAre(kStatusSyncing, kStatusClose));
    EXPECT_TRUE(syncingWhileReporting);
    EXPECT_FALSE(calendar.Syncing);
    const std::string query = "?start-min=2008-02-01T00:00:00-07:00&start-max=2008-04-30T23:59:59-07:00";
    ASSERT_EQ(http.Requests.size(), 4u);
    EXPECT_EQ(http.Requests[2].Url, FeedAddress("work") + query);
    EXPECT_EQ(http.Requests[3].Url, FeedAddress("home") + query);
    EXPECT_EQ(http.Requests[3].ExtraHeader, std::string("Authorization: GoogleLogin Auth=") + kToken);

    // Entries stay calendar by calendar; the list is sorted by start text.
    ASSERT_EQ(calendar.EventEntries->Count(), 2u);
    EXPECT_EQ(calendar.EventEntries->Node(0)->ReadValue(u"title"), u"Review");
    EXPECT_THAT(Titles(), ElementsAre(u"Dentist", u"Review"));
    EXPECT_EQ(calendar.Events[0].Event.Color, 0x0000FFu);
    EXPECT_EQ(calendar.Events[1].Event.Color, 0xA35229u);
    EXPECT_EQ(calendar.Response, "");

    EXPECT_NE(CacheBytes(".xml").find("Dentist"), std::string::npos);
    EXPECT_NE(CacheBytes("-cat.xml").find("allcalendars"), std::string::npos);
    EXPECT_EQ(CacheBytes(".xml").find("\n"), CacheBytes(".xml").find("\r\n") + 1) << "lines end in CR LF";
}

TEST_F(CalendarSync, RefusedSignInReportsAndKeepsEverything) {
    const Snapshot before = SyncedOnce();
    http.Answer(kSignInPath, "Error=BadAuthentication\n", 403);
    calendar.Sync(march15);
    EXPECT_THAT(statuses, ElementsAre(kStatusSyncing, "Gmail Authenticate failed!\rUsername or Pass not correctly,\r"
                                                      "Check username and pass !"));
    EXPECT_EQ(http.Requests.size(), 1u);
    EXPECT_FALSE(calendar.Syncing);
    ExpectUnchanged(before);
}

TEST_F(CalendarSync, NoNetworkEndsWithTheExceptionMessage) {
    const Snapshot before = SyncedOnce();
    http.Unreachable(kHost);
    calendar.Sync(march15);
    EXPECT_THAT(statuses, ElementsAre(kStatusSyncing, kStatusSyncException));
    // The transport's reason, not the conversion error the empty status raised, is the cause.
    EXPECT_EQ(calendar.SyncFailure, std::string("No answer from the service: ") + ScriptedHttp::kUnreachableText);
    EXPECT_FALSE(calendar.Syncing);
    ExpectUnchanged(before);
}

TEST_F(CalendarSync, MissingCalendarListEndsWithoutCacheAndKeepsThePreviousRun) {
    const Snapshot before = SyncedOnce();
    http.Answer(kSignInPath, "Auth=t2\n");
    http.Answer(kListUrl, "an answer from somewhere else");
    calendar.Sync(march15);
    EXPECT_THAT(statuses, ElementsAre(kStatusSyncing, kStatusSyncException));
    EXPECT_EQ(http.Requests.size(), 2u) << "no feed is asked for without a list";
    ExpectUnchanged(before);
}

TEST_F(CalendarSync, MissingCalendarListOnFirstRunWritesNoCache) {
    http.Answer(kSignInPath, "Auth=t\n");
    http.Answer(kListUrl, "", 500);
    calendar.Sync(march15);
    EXPECT_THAT(statuses, ElementsAre(kStatusSyncing, kStatusSyncException));
    EXPECT_FALSE(FileExists(CachePath(".xml")));
    EXPECT_FALSE(FileExists(CachePath("-cat.xml")));
    EXPECT_EQ(calendar.CalendarEntries, nullptr);
}

// A calendar whose feed fails keeps its entry in the cache, byte for byte, and its event; the
// other calendar updates; the status and FeedFailures name the calendar that failed.
TEST_F(CalendarSync, FailedFeedKeepsThatCalendarWhileTheOthersUpdate) {
    const Snapshot before = SyncedOnce();
    const std::string homeEntry = EntryText(before.eventCache, "home/private/full/h1");
    const std::string workFeed =
        EventFeed("work", {EventEntry("work", "w9", "New", {{"2008-03-20", "2008-03-21"}})});
    const std::string portal = "<html><body><a href='http://www.calendar.test/'>sign in</a></body></html>";
    std::string deep = "<feed xmlns='http://www.calendar.test/Atom'><entry>";
    for (int i = 0; i < 40; ++i) deep += "<a>";
    struct Case {
        const char* name;
        std::string homeBody;
        int homeStatus;  // 0: no answer at all
        const char* problem;
    };
    const Case cases[] = {
        {"feed 404", "", 404, "the service answered with status 404"},
        {"feed 503", "busy", 503, "the service answered with status 503"},
        {"no answer", "", 0, ScriptedHttp::kUnreachableText},
        {"feed empty", "", 200, "the answer does not mention calendar.test"},
        {"feed foreign", "<feed><entry><title>Not ours</title></entry></feed>", 200,
         "the answer does not mention calendar.test"},
        {"feed html", portal, 200, "the answer is not a feed (its top element is <html>)"},
        {"feed 302 page", portal, 302, "the answer is not a feed"},
        {"feed comment only", "<!-- www.calendar.test -->", 200, "the answer is not a feed"},
        {"feed cut short", "<feed xmlns:gd='http://schemas.calendar.test/g/2005'><entry><title>cut", 200, ""},
        {"feed nested deeper than any feed", deep, 200, "Elements nested too deeply"},
        {"malformed time",
         EventFeed("home", {EventEntry("home", "h2", "Bad", {{"2008-0X-20", "2008-03-21"}})}), 200, "'0X'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        statuses.clear();
        http.ClearScript();
        ScriptSignInAndList();
        http.Answer(FeedAddress("work"), workFeed);
        if (c.homeStatus == 0) http.Unreachable(FeedAddress("home"));
        else http.Answer(FeedAddress("home"), c.homeBody, c.homeStatus);
        calendar.Sync(march15);

        ASSERT_EQ(calendar.FeedFailures.size(), 1u);
        EXPECT_EQ(calendar.FeedFailures[0].Calendar, "home");
        EXPECT_NE(calendar.FeedFailures[0].Problem.find(c.problem), std::string::npos)
            << calendar.FeedFailures[0].Problem;
        ASSERT_EQ(statuses.size(), 2u);
        EXPECT_EQ(statuses[1].rfind(std::string(kStatusFeedsFailed) + "\rhome: ", 0), 0u) << statuses[1];
        EXPECT_EQ(calendar.SyncFailure, "");
        // Work's new event and home's old one; home's entry as it was written before.
        EXPECT_THAT(Titles(), ElementsAre(u"Dentist", u"New"));
        EXPECT_EQ(calendar.Events[0].Event.Color, 0x0000FFu);
        const std::string cache = CacheBytes(".xml");
        EXPECT_EQ(EntryText(cache, "home/private/full/h1"), homeEntry);
        EXPECT_EQ(cache.find("Review"), std::string::npos);
        EXPECT_EQ(CacheBytes("-cat.xml"), before.calendarCache);
    }

    // Every feed failing keeps every calendar; the next good run replaces them all.
    statuses.clear();
    http.ClearScript();
    ScriptSignInAndList();
    http.Answer(FeedAddress("work"), "", 500);
    http.Answer(FeedAddress("home"), "", 500);
    calendar.Sync(march15);
    EXPECT_EQ(calendar.FeedFailures.size(), 2u);
    EXPECT_THAT(Titles(), ElementsAre(u"Dentist", u"New"));
    http.ClearScript();
    ScriptSignInAndList();
    http.Answer(FeedAddress("work"), EventFeed("work", {}));
    http.Answer(FeedAddress("home"), EventFeed("home", {}));
    statuses.clear();
    calendar.Sync(march15);
    EXPECT_THAT(statuses, ElementsAre(kStatusSyncing, kStatusClose));
    EXPECT_TRUE(calendar.FeedFailures.empty());
    EXPECT_TRUE(Titles().empty());
}

// Without a whole calendar list there is nothing to fetch feeds for: the run fails whole.
TEST_F(CalendarSync, FailedCalendarListFailsTheRunAndKeepsThePreviousOne) {
    const Snapshot before = SyncedOnce();
    const std::string portal = "<html><body><a href='http://www.calendar.test/'>sign in</a></body></html>";
    const std::string home = EventFeed("home", {EventEntry("home", "h", "New", {{"2008-03-20", "2008-03-21"}})});
    const std::vector<std::tuple<const char*, std::string, int, const char*>> cases = {
        {"list html", portal, 200, "The calendar list: the answer is not a feed (its top element is <html>)"},
        {"list 500", "", 500, "The calendar list: the service answered with status 500"},
    };
    for (const auto& [name, body, status, cause] : cases) {
        SCOPED_TRACE(name);
        statuses.clear();
        http.ClearScript();
        http.Answer(kSignInPath, "Auth=t2\n");
        http.Answer(kListUrl, body, status);
        http.Answer(FeedAddress("work"), EventFeed("work", {}));
        http.Answer(FeedAddress("home"), home);
        calendar.Sync(march15);
        EXPECT_THAT(statuses, ElementsAre(kStatusSyncing, kStatusSyncException));
        EXPECT_EQ(calendar.SyncFailure.rfind(cause, 0), 0u) << calendar.SyncFailure;
        ExpectUnchanged(before);
    }
}

TEST_F(CalendarSync, NoCalendarSelectedWritesAnEmptyCacheThatReadsBack) {
    ScriptSignInAndList();
    calendar.Sync(march15);
    EXPECT_THAT(statuses, ElementsAre(kStatusSyncing, kStatusClose));
    EXPECT_EQ(http.Requests.size(), 2u);
    EXPECT_TRUE(calendar.Events.empty());
    EXPECT_EQ(CacheBytes(".xml"), "<feed/>\r\n");

    http.Requests.clear();
    TCalendar fresh{http, &account, clock, hosts, folder.Folder(), 7};
    fresh.SetCredentials("Jane@calendar.test", "secret");
    fresh.LoadCache();
    EXPECT_TRUE(http.Requests.empty());
    ASSERT_NE(fresh.CalendarEntries, nullptr);
    EXPECT_EQ(fresh.CalendarEntries->Count(), 2u);
}

TEST_F(CalendarSync, WithoutAccountNoCalendarIsFetched) {
    TCalendar lone{http, nullptr, clock, hosts, folder.Folder(), 7};
    lone.SetCredentials("Jane@calendar.test", "secret");
    ScriptTwoCalendars();
    lone.Sync(march15);
    EXPECT_EQ(http.Requests.size(), 2u);
    EXPECT_TRUE(lone.Events.empty());
}

TEST_F(CalendarSync, UnwritableCacheKeepsBothFilesAndStillShowsTheEventsThatArrived) {
    const Snapshot before = SyncedOnce();
    // A folder where the calendar list's cache file goes: the second write fails after the
    // first one succeeded, and the first file is put back.
    std::filesystem::remove(std::filesystem::path(CachePath("-cat.xml")));
    std::filesystem::create_directory(std::filesystem::path(CachePath("-cat.xml")));
    std::filesystem::create_directory(std::filesystem::path(CachePath("-cat.xml")) / "keep");
    ScriptSignInAndList();
    http.Answer(FeedAddress("work"), EventFeed("work", {EventEntry("work", "w9", "New", {{"2008-03-20", "2008-03-21"}})}));
    http.Answer(FeedAddress("home"), EventFeed("home", {}));
    calendar.Sync(march15);
    EXPECT_THAT(statuses, ElementsAre(kStatusSyncing, kStatusCacheNotSaved));
    EXPECT_EQ(calendar.SyncFailure, "");
    // The file call's own message, naming the file, for the tool.
    EXPECT_NE(calendar.CacheFailure.find(Utf16ToUtf8(CachePath("-cat.xml"))), std::string::npos)
        << calendar.CacheFailure;
    EXPECT_EQ(CacheBytes(".xml"), before.eventCache);
    EXPECT_THAT(Titles(), ElementsAre(u"New"));
}

TEST_F(CalendarSync, NestedSyncFromTheStatusHandlerReturnsAtOnce) {
    ScriptTwoCalendars();
    int nested = 0;
    calendar.OnStatus = [&](TCalendar& c, const std::string& message) {
        statuses.push_back(message);
        ++nested;
        c.Sync(march15);  // a timer tick arriving while the handler pumps messages
        EXPECT_TRUE(c.Syncing);
    };
    calendar.Sync(march15);
    EXPECT_THAT(statuses, ElementsAre(kStatusSyncing, kStatusClose));
    EXPECT_EQ(nested, 2);
    EXPECT_EQ(http.Requests.size(), 4u) << "one sign-in, one list, two feeds";
    EXPECT_FALSE(calendar.Syncing);
    EXPECT_THAT(Titles(), ElementsAre(u"Dentist", u"Review"));
}

TEST_F(CalendarSync, ThrowingStatusHandlerStillClearsSyncing) {
    http.Answer(kSignInPath, "Auth=t\n");
    calendar.OnStatus = [](TCalendar&, const std::string&) { throw EError("handler failed"); };
    EXPECT_THROW(calendar.Sync(march15), EError);
    EXPECT_FALSE(calendar.Syncing);
}

TEST_F(CalendarSync, SessionIdHandedOutForAFeedIsFollowed) {
    ScriptTwoCalendars();
    account.SetCalendars({CalendarId("home")});
    http.AnswerOnce(FeedAddress("home"), "<A HREF=\"" + FeedAddress("home") + "?gsessionid=S1\">moved</A>", 302);
    calendar.Sync(march15);
    EXPECT_THAT(statuses, ElementsAre(kStatusSyncing, kStatusClose));
    ASSERT_EQ(http.Requests.size(), 4u);
    EXPECT_NE(http.Requests[3].Url.find("&start-max=2008-04-30T23:59:59-07:00&gsessionid=S1"), std::string::npos);
    EXPECT_THAT(Titles(), ElementsAre(u"Dentist"));
}

}  // namespace
}  // namespace tessel::testing
