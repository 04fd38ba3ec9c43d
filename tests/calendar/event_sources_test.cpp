// The sources of events on the scripted transport: the merge of the service's calendars and the
// subscriptions into one list, the rule that one failing source keeps what it had while the
// others update, the conditional fetch that parses nothing when a calendar is unchanged, and
// the start-up from the caches.
#include "calendar/event_sources.h"

#include <filesystem>
#include <map>

#include "calendar_fixture.h"
#include "ical/ical.h"

namespace tessel::testing {
namespace {

using ::testing::ElementsAre;

class UtcZone final : public ical::Zone {
public:
    int32_t OffsetAt(int64_t) const override { return 0; }
};

constexpr char kTeamAddress[] = "https://ics.test/team.ics?token=S3CRET";
constexpr uint32_t kTeamColor = 0x00AA00;
constexpr uint32_t kHolidayColor = 0x0000AA;
constexpr uint32_t kWorkColor = 0xA35229;
constexpr uint32_t kHomeColor = 0x0000FF;

// A calendar with one event per title, on consecutive days of March 2008 from day, 12:00 UTC.
std::string Ics(const std::vector<std::string>& titles, int day = 10) {
    std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n";
    for (const std::string& title : titles) {
        text += "BEGIN:VEVENT\r\nUID:" + title + "\r\nDTSTART:200803" + std::to_string(day++) +
                "T120000Z\r\nDURATION:PT1H\r\nSUMMARY:" + title + "\r\nEND:VEVENT\r\n";
    }
    return text + "END:VCALENDAR\r\n";
}

class EventSourcesTest : public CalendarClientTest {
protected:
    const TDateTime march15 = EncodeDate(2008, 3, 15);

    void SetUp() override {
        CalendarClientTest::SetUp();
        account.SetCredentials("Jane@calendar.test", "secret");
        holidayPath = folder.File(u"holidays.ics");
        store.Items = {{kTeamAddress, "Team", kTeamColor, true},
                       {Utf16ToUtf8(holidayPath), "Holidays", kHolidayColor, true}};
        sources.OnStatus = [this](const std::string& message) { sourceStatuses.push_back(message); };
        sources.Reload();
    }

    // Every source with content of generation g: the service's two calendars, the team's
    // subscription (with an ETag per generation) and the holiday file.
    void ScriptGeneration(int g) {
        http.ClearScript();
        const std::string n = std::to_string(g);
        http.Answer(kSignInPath, "Auth=t\n");
        http.Answer(kListUrl, CalendarListFeed({{"work", "#2952A3"}, {"home", "#FF0000"}}));
        http.Answer(FeedAddress("work"),
                    EventFeed("work", {EventEntry("work", "w" + n, "Work " + n, {{"2008-03-17", "2008-03-18"}})}));
        http.Answer(FeedAddress("home"),
                    EventFeed("home", {EventEntry("home", "h" + n, "Home " + n, {{"2008-03-16", "2008-03-17"}})}));
        http.AnswerWithETag("ics.test/team.ics", Ics({"Team " + n}), "\"team-" + n + "\"");
        WriteFileAtomic(holidayPath, Ics({"Holiday " + n}, 12));
        account.SetCalendars({CalendarId("work"), CalendarId("home")});
    }

    // The titles shown in each colour.
    std::map<uint32_t, std::vector<std::u16string>> ByColor() const {
        std::map<uint32_t, std::vector<std::u16string>> titles;
        for (const auto& item : sources.Events) titles[item.Event.Color].emplace_back(item.Event.Title());
        return titles;
    }
    std::string SubscriptionCache(size_t i) const {
        const std::u16string path = sources.Sources()[i]->CachePath();
        return FileExists(path) ? ReadFileBytes(path) : std::string("(missing)");
    }

    std::u16string holidayPath;
    std::vector<std::string> sourceStatuses;
    TSubscriptions store{folder.Folder()};
    TEventSources sources{calendar, account, store, http, clock, locale, balloons, folder.Folder(),
                          std::make_unique<UtcZone>()};
};

TEST_F(EventSourcesTest, MergesEverySourceIntoOneSortedListInItsColours) {
    ScriptGeneration(1);
    store.Items.push_back({"https://ics.test/hidden.ics", "Hidden", 0x123456, false});
    http.Answer("hidden.ics", Ics({"Hidden 1"}));
    sources.Reload();
    sources.Sync(march15);
    EXPECT_THAT(sourceStatuses, ElementsAre(kStatusSyncing, kStatusSyncing, kStatusClose));
    EXPECT_TRUE(sources.Failures.empty());
    std::vector<std::u16string> titles;
    for (const auto& item : sources.Events) titles.emplace_back(item.Event.Title());
    EXPECT_THAT(titles, ElementsAre(u"Team 1", u"Holiday 1", u"Home 1", u"Work 1"));
    const std::map<uint32_t, std::vector<std::u16string>> colours = {
        {kHomeColor, {u"Home 1"}}, {kHolidayColor, {u"Holiday 1"}}, {kTeamColor, {u"Team 1"}}, {kWorkColor, {u"Work 1"}}};
    EXPECT_EQ(ByColor(), colours);
    EXPECT_EQ(sources.DayText(EncodeDate(2008, 3, 10)), u"12:00 PM-1:00 PM - Team 1");
    for (const auto& request : http.Requests) EXPECT_EQ(request.Url.find("hidden"), std::string::npos);
    // Each subscription's cache is named after a digest: the address is nowhere in the folder.
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
        EXPECT_EQ(entry.path().filename().string().find("team"), std::string::npos) << entry.path();

    // A subscription's event is reminded of once per list, as the service's are.
    clock.Set(EncodeDateTime(2008, 3, 10, 11, 55));
    EXPECT_EQ(sources.FindNextEvent(), EncodeDateTime(2008, 3, 10, 12, 0));
    sources.NotifyNextEvent();
    sources.NotifyNextEvent();
    ASSERT_EQ(balloons.Shown.size(), 1u);
    EXPECT_EQ(balloons.Shown[0].title, u"Team 1");
    EXPECT_EQ(sources.FindNextEvent(), EncodeDateTime(2008, 3, 12, 12, 0));
}

// Each source fails in turn while every source has new content: the failing one keeps its events
// and its cache byte for byte, every other one updates, and the status names only it.
TEST_F(EventSourcesTest, OneFailingSourceKeepsWhatItHadWhileTheOthersUpdate) {
    enum Source { kService, kHome, kTeam, kHoliday };
    struct Row {
        const char* name;
        Source failing;
        std::function<void()> breakIt;
        const char* line;  // the status line that names it
    };
    const std::vector<Row> rows = {
        {"sign-in refused", kService, [this] { http.AnswerOnce(kSignInPath, "Error=Bad\n", 403); },
         kStatusSyncAuthFailed},
        {"calendar list gone", kService, [this] { http.AnswerOnce(kListUrl, "", 500); },
         kStatusSyncException},
        {"home's feed 404", kHome, [this] { http.AnswerOnce(FeedAddress("home"), "", 404); },
         "home: the service answered with status 404"},
        {"team answers 404", kTeam, [this] { http.AnswerOnce("team.ics", "", 404); },
         "Team: the address answered 404"},
        {"team gives a sign-in page", kTeam,
         [this] { http.AnswerOnce("team.ics", "<html><form>Sign in</form></html>"); },
         "Team: the address gave a web page, not a calendar"},
        {"team unreachable", kTeam, [this] { http.Unreachable("team.ics"); },
         "Team: the address could not be fetched"},
        {"team damaged", kTeam,
         [this] { http.AnswerOnce("team.ics", "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\n"); },
         "Team: the calendar is damaged"},
        {"holiday file damaged", kHoliday,
         [this] { WriteFileAtomic(holidayPath, "BEGIN:VCALENDAR\r\nSUMMARY:x"); },
         "Holidays: the calendar is damaged"},
        {"holiday file gone", kHoliday,
         [this] { std::filesystem::remove(std::filesystem::path(holidayPath)); },
         "Holidays: there is no such file"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // A fresh program folder for each row: caches and all.
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path()))
            std::filesystem::remove_all(entry.path());
        ScriptGeneration(1);
        sources.Reload();
        sources.Sync(march15);
        ASSERT_TRUE(sources.Failures.empty()) << sources.Failures.front();
        const auto before = ByColor();
        const std::string serviceCache = CacheBytes(".xml"), listCache = CacheBytes("-cat.xml");
        const std::string homeEntry = EntryText(serviceCache, "home/private/full/h1");
        const std::string teamCache = SubscriptionCache(0), holidayCache = SubscriptionCache(1);

        ScriptGeneration(2);
        http.Requests.clear();
        sourceStatuses.clear();
        row.breakIt();
        sources.Sync(march15);

        ASSERT_EQ(sources.Failures.size(), 1u);
        EXPECT_EQ(sources.Failures[0].rfind(row.line, 0), 0u) << sources.Failures[0];
        EXPECT_NE(sourceStatuses.back().find(row.line), std::string::npos) << sourceStatuses.back();
        EXPECT_EQ(sourceStatuses.back().find("S3CRET"), std::string::npos);
        EXPECT_EQ(sourceStatuses.back().find(Utf16ToUtf8(holidayPath)), std::string::npos);
        const auto after = ByColor();
        const auto expect = [&](uint32_t color, Source source, bool partOfService, const std::u16string& fresh) {
            const bool kept = row.failing == source || (partOfService && row.failing == kService);
            EXPECT_EQ(after.at(color), kept ? before.at(color) : std::vector<std::u16string>{fresh}) << color;
        };
        expect(kWorkColor, kService, true, u"Work 2");
        expect(kHomeColor, kHome, true, u"Home 2");
        expect(kTeamColor, kTeam, false, u"Team 2");
        expect(kHolidayColor, kHoliday, false, u"Holiday 2");
        if (row.failing == kService) {
            EXPECT_EQ(CacheBytes(".xml"), serviceCache);
            EXPECT_EQ(CacheBytes("-cat.xml"), listCache);
        }
        if (row.failing == kHome) {
            EXPECT_EQ(EntryText(CacheBytes(".xml"), "home/private/full/h1"), homeEntry);
        }
        if (row.failing != kService && row.failing != kHome) {
            EXPECT_NE(CacheBytes(".xml"), serviceCache);
        }
        EXPECT_EQ(SubscriptionCache(0) == teamCache, row.failing == kTeam);
        EXPECT_EQ(SubscriptionCache(1) == holidayCache, row.failing == kHoliday);
    }
}

// The service's own last word stays the status when nothing else failed, and joins the others'
// lines when something did.
TEST_F(EventSourcesTest, ServiceMessageStandsAloneOrJoinsTheOthers) {
    ScriptGeneration(1);
    // A folder where the calendar list's cache file goes: the service's cache cannot be written.
    std::filesystem::create_directories(std::filesystem::path(CachePath("-cat.xml")) / "keep");
    sources.Sync(march15);
    EXPECT_EQ(sourceStatuses.back(), kStatusCacheNotSaved);
    EXPECT_THAT(ByColor()[kWorkColor], ElementsAre(u"Work 1"));

    http.AnswerOnce("team.ics", "", 500);
    sources.Sync(march15);
    EXPECT_EQ(sourceStatuses.back(), std::string(kStatusFeedsFailed) + "\r" + kStatusCacheNotSaved +
                                         "\rTeam: the address answered 500");
}

TEST_F(EventSourcesTest, WithoutAnAccountOnlyTheSubscriptionsAreAsked) {
    account.SetCredentials("", "");
    ScriptGeneration(1);
    sources.LoadCache(march15);
    sources.Sync(march15);
    for (const auto& request : http.Requests) EXPECT_EQ(request.Url.find(kHost), std::string::npos) << request.Url;
    EXPECT_THAT(sourceStatuses, ElementsAre(kStatusSyncing, kStatusClose));
    EXPECT_TRUE(sources.Failures.empty());
    const std::map<uint32_t, std::vector<std::u16string>> colours = {{kHolidayColor, {u"Holiday 1"}},
                                                                     {kTeamColor, {u"Team 1"}}};
    EXPECT_EQ(ByColor(), colours);
}

// Lines a subscription's calendar breaks are passed over: no failure, no status line, the rest
// shown; the source counts them and keeps the first for the account dialog.
TEST_F(EventSourcesTest, SkippedLinesAreNoFailureAndAreCounted) {
    ScriptGeneration(1);
    std::string team = Ics({"Team 1", "Team 2"});
    team.insert(team.find("SUMMARY:Team 1"), "RRULE:\r\nX-APPLE-RADIUS=49.9\r\n");
    http.AnswerOnce("team.ics", team);
    sources.Sync(march15);
    EXPECT_TRUE(sources.Failures.empty());
    EXPECT_EQ(sourceStatuses.back(), kStatusClose);
    EXPECT_THAT(ByColor()[kTeamColor], ElementsAre(u"Team 1", u"Team 2"));
    const TEventSource& source = *sources.Sources()[0];
    EXPECT_EQ(source.SkippedCount(), 2u);
    EXPECT_EQ(source.FirstSkipped(), "line 7: an empty recurrence rule, ignored");
    EXPECT_EQ(sources.Sources()[1]->SkippedCount(), 0u);
}

// An unchanged calendar (304, or the file's stamp unchanged) is not read again: neither for the
// same window nor for another month, which is expanded from the calendar read before.
TEST_F(EventSourcesTest, UnchangedSubscriptionCostsNoParsing) {
    ScriptGeneration(1);
    sources.Sync(march15);
    const TEventSource& team = *sources.Sources()[0];
    const TEventSource& holidays = *sources.Sources()[1];
    ASSERT_EQ(team.ParseCount(), 1);
    ASSERT_EQ(holidays.ParseCount(), 1);
    const std::string cache = SubscriptionCache(0);
    http.Requests.clear();

    sources.Sync(march15);
    EXPECT_EQ(http.Requests.back().IfNoneMatch, "\"team-1\"");
    EXPECT_EQ(team.ParseCount(), 1);
    EXPECT_EQ(holidays.ParseCount(), 1);
    EXPECT_THAT(ByColor()[kTeamColor], ElementsAre(u"Team 1"));
    EXPECT_EQ(SubscriptionCache(0), cache);

    // June's window leaves March out, May's does not; still nothing read again.
    sources.Sync(EncodeDate(2008, 6, 15));
    EXPECT_EQ(ByColor().count(kTeamColor), 0u);
    sources.Sync(EncodeDate(2008, 4, 1));
    EXPECT_THAT(ByColor()[kTeamColor], ElementsAre(u"Team 1"));
    EXPECT_EQ(team.ParseCount(), 1);

    // A server that sends no validators: new bytes are read, the same bytes again are not.
    http.ClearScript();
    http.Answer("team.ics", Ics({"Team 3"}));
    sources.Sync(march15);
    sources.Sync(march15);
    EXPECT_EQ(team.ParseCount(), 2);
    EXPECT_THAT(ByColor()[kTeamColor], ElementsAre(u"Team 3"));

    // The same bytes under a new ETag: not read again, but the ETag is kept, so the next sync
    // sends it back and the server can answer 304.
    http.ClearScript();
    http.AnswerWithETag("team.ics", Ics({"Team 3"}), "\"team-3b\"");
    sources.Sync(march15);
    EXPECT_EQ(team.ParseCount(), 2);
    http.Requests.clear();
    sources.Sync(march15);
    EXPECT_EQ(http.Requests.back().IfNoneMatch, "\"team-3b\"");
    EXPECT_NE(SubscriptionCache(0).find("ETag: \"team-3b\""), std::string::npos);
}

// A new colour keeps the copy (the same address); a removed subscription takes its copy with it,
// the others keep theirs.
TEST_F(EventSourcesTest, RemovedSubscriptionTakesItsCopyWithIt) {
    ScriptGeneration(1);
    sources.Sync(march15);
    const std::u16string team = sources.Sources()[0]->CachePath();
    const std::u16string holidays = sources.Sources()[1]->CachePath();
    ASSERT_TRUE(FileExists(team) && FileExists(holidays));

    store.Items[0].Color = kWorkColor;
    sources.Reload();
    EXPECT_TRUE(FileExists(team));

    store.Items.erase(store.Items.begin());
    sources.Reload();
    EXPECT_FALSE(FileExists(team));
    EXPECT_TRUE(FileExists(holidays));
    for (const auto& item : sources.Events) EXPECT_NE(item.Event.Title(), u"Team 1");
}

// The merged list holds the service's own records, not copies: every later merge that has no new
// ones from the client (the list reloaded, a sync refused, the account name gone and back) takes
// them back in the client's order, so the list, ties between equal starts included, stays as the
// first merge made it, and a reminder shown is due again.
TEST_F(EventSourcesTest, ServiceRecordsOutliveEveryMergeInTheirOrder) {
    ScriptGeneration(1);
    std::vector<std::string> work, home;
    for (int i = 0; i < 6; ++i) {
        const std::string n = std::to_string(i);
        const When nine{"2008-03-17T09:00:00.000Z", "2008-03-17T10:00:00.000Z"};
        work.push_back(EventEntry("work", "w" + n, "Work " + n, {nine}));
        home.push_back(EventEntry("home", "h" + n, "Home " + n, {nine}));
    }
    http.ClearScript();
    http.Answer(kSignInPath, "Auth=t\n");
    http.Answer(kListUrl, CalendarListFeed({{"work", "#2952A3"}, {"home", "#FF0000"}}));
    http.Answer(FeedAddress("work"), EventFeed("work", work));
    http.Answer(FeedAddress("home"), EventFeed("home", home));
    http.AnswerWithETag("ics.test/team.ics", Ics({"Team 1"}), "\"team-1\"");
    sources.Sync(march15);
    const auto titles = [this] {
        std::vector<std::u16string> list;
        for (const auto& item : sources.Events) list.emplace_back(item.Event.Title());
        return list;
    };
    const std::vector<std::u16string> first = titles();
    ASSERT_EQ(first.size(), 14u);
    const auto nextReminder = [this] {
        clock.Set(EncodeDateTime(2008, 3, 17, 8, 55));
        sources.FindNextEvent();
        return sources.NextIndex < 0 ? std::u16string() : std::u16string(sources.Events[size_t(sources.NextIndex)].Event.Title());
    };
    const std::u16string reminder = nextReminder();
    std::vector<std::u16string> subscriptionsOnly;
    for (const auto& title : first)
        if (title.rfind(u"Work", 0) != 0 && title.rfind(u"Home", 0) != 0) subscriptionsOnly.push_back(title);

    struct Step {
        const char* name;
        std::function<void()> act;
        bool serviceShown;
    };
    const std::vector<Step> steps = {
        {"reminder shown", [this] {
             sources.NotifyNextEvent();
             sources.Reload();
         }, true},
        {"another subscription added and removed", [this] {
             store.Items.push_back({"https://ics.test/other.ics", "Other", kTeamColor, true});
             sources.Reload();
             store.Items.pop_back();
             sources.Reload();
         }, true},
        {"sign-in refused", [this] { http.AnswerOnce(kSignInPath, "Error=Bad\n", 403); sources.Sync(march15); }, true},
        {"the team's address answers 404", [this] { http.AnswerOnce("team.ics", "", 404); sources.Sync(march15); }, true},
        {"account name gone", [this] { account.SetCredentials("", ""); sources.Reload(); }, false},
        {"account name back", [this] { account.SetCredentials("Jane@calendar.test", "secret"); sources.Reload(); }, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.act();
        EXPECT_EQ(titles(), step.serviceShown ? first : subscriptionsOnly);
        if (step.serviceShown) {
            EXPECT_EQ(nextReminder(), reminder) << "a reminder shown is due again";
        }
    }
}

TEST_F(EventSourcesTest, StartUpShowsTheCachedCopiesBeforeTheNetworkAnswers) {
    ScriptGeneration(1);
    sources.Sync(march15);
    const auto synced = ByColor();
    http.Requests.clear();
    http.ClearScript();

    TCalendar client{http, &account, clock, hosts, folder.Folder(), 7};
    client.SetCredentials("Jane@calendar.test", "secret");
    TEventSources started{client, account, store, http, clock, locale, balloons, folder.Folder(),
                          std::make_unique<UtcZone>()};
    started.Reload();
    std::filesystem::remove(std::filesystem::path(holidayPath));  // the file's copy is what shows
    started.LoadCache(march15);
    EXPECT_TRUE(http.Requests.empty());
    std::map<uint32_t, std::vector<std::u16string>> loaded;
    for (const auto& item : started.Events) loaded[item.Event.Color].emplace_back(item.Event.Title());
    EXPECT_EQ(loaded, synced);

    // A damaged copy shows nothing and is fetched whole, not conditionally.
    const std::u16string teamCache = started.Sources()[0]->CachePath();
    for (const std::string& damaged : {std::string(), ReadFileBytes(teamCache).substr(0, 120),
                                       ReadFileBytes(teamCache) + "extra"}) {
        TEventSources again{client, account, store, http, clock, locale, balloons, folder.Folder(),
                            std::make_unique<UtcZone>()};
        again.Reload();
        const std::string good = ReadFileBytes(teamCache);
        WriteFileAtomic(teamCache, damaged);
        again.LoadCache(march15);
        EXPECT_EQ(again.Sources()[0]->Events().size(), 0u);
        http.ClearScript();
        http.AnswerWithETag("team.ics", Ics({"Team 1"}), "\"team-1\"");
        http.Requests.clear();
        again.Sources()[0]->Sync(http, march15);
        EXPECT_EQ(http.Requests.at(0).IfNoneMatch, "");
        EXPECT_EQ(again.Sources()[0]->Events().size(), 1u);
        EXPECT_EQ(ReadFileBytes(teamCache), good);
    }
}

TEST_F(EventSourcesTest, NestedSyncFromTheStatusHandlerReturnsAtOnce) {
    ScriptGeneration(1);
    int nested = 0;
    sources.OnStatus = [&](const std::string& message) {
        sourceStatuses.push_back(message);
        ++nested;
        sources.Sync(march15);
        EXPECT_TRUE(sources.Syncing);
    };
    sources.Sync(march15);
    EXPECT_EQ(nested, 3);
    EXPECT_EQ(http.Requests.size(), 5u) << "one sign-in, one list, two feeds, one subscription";
    EXPECT_FALSE(sources.Syncing);
}

}  // namespace
}  // namespace tessel::testing
