// The client against a private instance of the local calendar service through the native
// transport: a password full of reserved characters signs in, and a full sync leaves a cache
// from which a fresh client rebuilds the same events without a single request; and a run whose
// list or feed does not come whole fails and leaves the previous cache and events as they were.
#ifndef _WIN32
#include <memory>

#include "calendar/http.h"
#include "calendar_fixture.h"
#include "live_service.h"

namespace tessel::testing {
namespace {

using ::testing::ElementsAre;

constexpr char kUser[] = "Jane.Doe@localhost";
constexpr char kPassword[] = "p&ss #1+ x%=?/";

class CalendarLive : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::string binary = LiveService::FindBinary();
        if (binary.empty()) return;
        serviceFolder_ = new TempFolder;
        // A fixed day and zone, so that the events are the same on every run; gsessionid makes
        // every feed go through the retry.
        service_ = new LiveService(binary, serviceFolder_->Path(),
                                   {"--today", "2008-03-15", "--now", "09:00", "--zone", "-07:00", "--user", kUser,
                                    "--password", kPassword, "--gsessionid"});
    }
    static void TearDownTestSuite() {
        delete service_;
        service_ = nullptr;
        delete serviceFolder_;
        serviceFolder_ = nullptr;
    }
    void SetUp() override {
        if (!service_) GTEST_SKIP() << "calendar-service is not built (cmake --build ... --target calendar-service)";
        ASSERT_EQ(service_->Problem(), "");
        hosts.Service = service_->Host();
        hosts.Certificate = service_->Certificate();
        calendar = std::make_unique<TCalendar>(http, &account, clock, hosts, folder.Folder(), 7);
        calendar->OnStatus = [this](TCalendar&, const std::string& message) { statuses.push_back(message); };
        calendar->SetCredentials(kUser, kPassword);
    }

    static TempFolder* serviceFolder_;
    static LiveService* service_;

    TempFolder folder;
    THttp http;
    FixedClock clock{EncodeDateTime(2008, 3, 15, 9, 0)};
    DefaultLocaleFormat locale;
    RecordingBalloons balloons;
    TAccount account{folder.Folder()};
    ServiceHosts hosts;
    std::unique_ptr<TCalendar> calendar;
    std::vector<std::string> statuses;
};

TempFolder* CalendarLive::serviceFolder_ = nullptr;
LiveService* CalendarLive::service_ = nullptr;

TEST_F(CalendarLive, PasswordWithReservedCharactersSignsIn) {
    calendar->Connect();
    EXPECT_THAT(statuses, ElementsAre(kStatusConnecting, kStatusClose));
    ASSERT_NE(calendar->CalendarEntries, nullptr);
    EXPECT_EQ(calendar->CalendarEntries->Count(), 4u);

    // The same password cut at its "&" is refused, so the check above means something.
    statuses.clear();
    calendar->SetCredentials(kUser, "p");
    calendar->Connect();
    EXPECT_THAT(statuses, ElementsAre(kStatusConnecting, kStatusConnectAuthFailed));
}

TEST_F(CalendarLive, SyncedCacheLoadsTheSameEventsWithoutTheNetwork) {
    calendar->Connect();
    ASSERT_NE(calendar->CalendarEntries, nullptr);
    account.SetCalendars(ListedIds(*calendar));

    statuses.clear();
    calendar->Sync(EncodeDate(2008, 3, 15));
    ASSERT_THAT(statuses, ElementsAre(kStatusSyncing, kStatusClose));
    EXPECT_TRUE(FileExists(folder.File(u"jane.doe@localhost.xml")));
    EXPECT_TRUE(FileExists(folder.File(u"jane.doe@localhost-cat.xml")));
    ASSERT_GT(calendar->Events.size(), 10u);
    const std::u16string today = DayText(calendar->Events, EncodeDate(2008, 3, 15), u':');
    EXPECT_NE(today.find(u"All Day - Grandmas birthday"), std::u16string::npos) << Utf16ToUtf8(today);
    EXPECT_NE(today.find(u"12:30 PM-1:30 PM - Lunch with Zo\u00eb"), std::u16string::npos) << Utf16ToUtf8(today);

    ScriptedHttp offline;
    TCalendar fresh{offline, &account, clock, hosts, folder.Folder(), 7};
    fresh.SetCredentials(kUser, kPassword);
    fresh.LoadCache();
    EXPECT_TRUE(offline.Requests.empty());
    ASSERT_EQ(fresh.Events.size(), calendar->Events.size());
    for (size_t i = 0; i < fresh.Events.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(fresh.Events[i].Key(), calendar->Events[i].Key());
        EXPECT_EQ(fresh.Events[i].Event.Title(), calendar->Events[i].Event.Title());
        EXPECT_EQ(fresh.Events[i].Event.StartTime, calendar->Events[i].Event.StartTime);
        EXPECT_EQ(fresh.Events[i].Event.EndTime, calendar->Events[i].Event.EndTime);
        EXPECT_EQ(fresh.Events[i].Event.AllDay, calendar->Events[i].Event.AllDay);
        EXPECT_EQ(fresh.Events[i].Event.Color, calendar->Events[i].Event.Color);
        EXPECT_EQ(fresh.Events[i].Event.Link(), calendar->Events[i].Event.Link());
    }
    EXPECT_EQ(DayText(fresh.Events, EncodeDate(2008, 3, 15), u':'), today);
}

// Each way the service's answers go wrong, armed on the service for the next request. A feed
// that fails keeps its calendar's entries byte for byte while the others are fetched again (the
// same here); a calendar list that fails fails the run, and the cache files keep every byte. The
// event list stays either way.
TEST_F(CalendarLive, FailedFetchKeepsThePreviousCacheAndEvents) {
    calendar->Connect();
    ASSERT_NE(calendar->CalendarEntries, nullptr);
    account.SetCalendars(ListedIds(*calendar));
    calendar->Sync(EncodeDate(2008, 3, 15));
    ASSERT_EQ(calendar->SyncFailure, "");
    const std::string events = ReadFileBytes(folder.File(u"jane.doe@localhost.xml"));
    const std::string list = ReadFileBytes(folder.File(u"jane.doe@localhost-cat.xml"));
    const std::u16string today = DayText(calendar->Events, EncodeDate(2008, 3, 15), u':');
    const size_t count = calendar->Events.size();
    ASSERT_GT(count, 10u);

    const std::string feed = "/calendar/feeds/home/private/full";
    const std::string listPath = "/calendar/feeds/default/allcalendars/full";
    const std::string faults[] = {
        "path=" + feed + "&status=404",        "path=" + feed + "&status=503",    "path=" + feed + "&status=204",
        "path=" + feed + "&html",              "path=" + listPath + "&html",
        "path=" + feed + "&cut=1500",          "path=" + feed + "&cut-reset=1500",    "path=" + feed + "&cut-chunked=1500",
        "path=" + listPath + "&cut=1000",      "path=" + feed + "&trickle=100",       "path=" + feed + "&stall=20000",
    };
    calendar->ServiceTimeLimitMs = 1500;
    for (const std::string& fault : faults) {
        SCOPED_TRACE(fault);
        // Twice: the service hands out a gsessionid first, and the library follows it.
        ASSERT_TRUE(http.Send({.Url = "http://" + service_->Host() + "/test/fault?" + fault + "&count=2"}).Ok());
        statuses.clear();
        const std::string before = ReadFileBytes(folder.File(u"jane.doe@localhost.xml"));
        calendar->Sync(EncodeDate(2008, 3, 15));
        ASSERT_EQ(statuses.size(), 2u);
        if (fault.find(listPath) != std::string::npos) {
            EXPECT_EQ(statuses[1], kStatusSyncException);
            EXPECT_NE(calendar->SyncFailure, "");
            EXPECT_EQ(ReadFileBytes(folder.File(u"jane.doe@localhost.xml")), before);
        } else {
            EXPECT_EQ(statuses[1].rfind(std::string(kStatusFeedsFailed) + "\r", 0), 0u) << statuses[1];
            EXPECT_EQ(calendar->SyncFailure, "");
            ASSERT_EQ(calendar->FeedFailures.size(), 1u);
            EXPECT_EQ(SortedEntries(ReadFileBytes(folder.File(u"jane.doe@localhost.xml"))), SortedEntries(events));
        }
        EXPECT_EQ(ReadFileBytes(folder.File(u"jane.doe@localhost-cat.xml")), list);
        EXPECT_EQ(calendar->Events.size(), count);
        EXPECT_EQ(DayText(calendar->Events, EncodeDate(2008, 3, 15), u':'), today);
        http.Send({.Url = "http://" + service_->Host() + "/test/fault/clear"});
    }
}

}  // namespace
}  // namespace tessel::testing
#endif
