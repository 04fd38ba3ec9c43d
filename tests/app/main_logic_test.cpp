#include "app/main_logic.h"

#include <gtest/gtest.h>

#include <vector>

#include "calendar/balloon_sink.h"

namespace tessel {
namespace {

// A client whose next event is whatever the test says; it records syncs and reminders.
struct FakeClient : ICalendarClient {
    bool HasAccount() const override { return hasAccount; }
    bool Busy() const override { return busy; }
    void Sync(TDateTime date) override {
        syncs.push_back(date);
        if (statusDuringSync) statusDuringSync();
    }
    std::u16string DayText(TDateTime) override { return dayText; }
    TDateTime FindNextEvent() override { return nextEvent; }
    void NotifyNextEvent() override { ++notified; }

    bool hasAccount = true;
    bool busy = false;
    std::vector<TDateTime> syncs;
    std::u16string dayText = u"No Event";
    TDateTime nextEvent = 0;
    int notified = 0;
    std::function<void()> statusDuringSync;
};

struct FakeView : IMainView {
    void SetStatusText(const std::u16string& t) override { text = t; }
    void ShowStatusPanel() override { panelVisible = true; }
    void HideStatusPanel() override { panelVisible = false; }
    void ProcessMessages() override { ++pumps; }
    void MonthRebuilt() override { ++rebuilds; }
    void Repaint() override {}
    void UpdateNextEvent() override { ++nextEventUpdates; }
    void RefreshCountdown() override { ++countdowns; }
    void ShowDay(TDateTime day) override { shownDay = day; }

    std::u16string text;
    bool panelVisible = false;
    int pumps = 0, rebuilds = 0, nextEventUpdates = 0, countdowns = 0;
    TDateTime shownDay = 0;
};

struct FakeTray : IBalloonSink {
    void ShowBalloon(const std::u16string& t, const std::u16string& title, int timeout) override {
        balloons.push_back({t, title, timeout});
    }
    struct Balloon {
        std::u16string text, title;
        int timeout;
    };
    std::vector<Balloon> balloons;
};

class MainLogicTest : public ::testing::Test {
protected:
    MainLogicTest() : clock(EncodeDateTime(2009, 10, 5, 9, 0)), logic(client, view, tray, clock) {
        client.nextEvent = clock.Now() + 3;  // nothing pending
        logic.SetUpdateInterval(10);
        logic.Start();
    }
    void Tick() {
        clock.Advance(kOneMinute);
        logic.Timer1Timer();
    }

    FakeClient client;
    FakeView view;
    FakeTray tray;
    FixedClock clock;
    TMainLogic logic;
};

TEST_F(MainLogicTest, PeriodicSyncComesAtTheTickAfterTheInterval) {
    logic.UpdateClick();  // the start-up sync
    ASSERT_EQ(client.syncs.size(), 1u);
    for (int tick = 1; tick <= 10; ++tick) Tick();
    EXPECT_EQ(client.syncs.size(), 1u);
    Tick();  // the 11th
    EXPECT_EQ(client.syncs.size(), 2u);
    EXPECT_EQ(logic.MinuteCounter(), 0);
    EXPECT_EQ(view.countdowns, 11);

    logic.SetUpdateInterval(0);  // zero or less: every tick
    Tick();
    Tick();
    EXPECT_EQ(client.syncs.size(), 4u);
}

TEST_F(MainLogicTest, PeriodicSyncReturnsToTheCurrentMonthButTheMenuSyncDoesNot) {
    logic.NextMonth();
    logic.NextMonth();
    const TDateTime shown = logic.DisplayedDate();
    EXPECT_EQ(DecodeDate(shown).month, 12);
    logic.UpdateClick();
    EXPECT_EQ(client.syncs.back(), shown);
    EXPECT_EQ(DecodeDate(logic.DisplayedDate()).month, 12);
    for (int tick = 0; tick < 11; ++tick) Tick();
    EXPECT_EQ(DecodeDate(client.syncs.back()).month, 10);
    EXPECT_EQ(DecodeDate(logic.DisplayedDate()).month, 10);
    EXPECT_EQ(DecodeDate(logic.Matrix().At(4, 1)).month, 10);
}

TEST_F(MainLogicTest, ReminderComesAtTheFirstTickAfterTenMinutesBefore) {
    client.nextEvent = EncodeDateTime(2009, 10, 5, 14, 0);
    logic.RefreshToday(false);
    EXPECT_DOUBLE_EQ(logic.NextAlertTime(), EncodeDateTime(2009, 10, 5, 13, 50));
    clock.Set(EncodeDateTime(2009, 10, 5, 13, 49, 30));
    logic.Timer1Timer();
    EXPECT_EQ(client.notified, 0);
    clock.Set(EncodeDateTime(2009, 10, 5, 13, 50, 30));
    client.nextEvent = clock.Now() + 3;  // the client has marked it notified
    logic.Timer1Timer();
    EXPECT_EQ(client.notified, 1);
    EXPECT_DOUBLE_EQ(logic.NextAlertTime(), clock.Now() + 3 - TMainLogic::kReminderLead);
    logic.Timer1Timer();
    EXPECT_EQ(client.notified, 1);
}

TEST_F(MainLogicTest, TodayBalloonOnlyWhenAsked) {
    client.dayText = u"All Day - A";
    logic.RefreshToday(false);
    EXPECT_TRUE(tray.balloons.empty());
    logic.RefreshToday(true);
    ASSERT_EQ(tray.balloons.size(), 1u);
    EXPECT_EQ(tray.balloons[0].text, u"All Day - A");
    EXPECT_EQ(tray.balloons[0].title, u"10-05 today events:");
    EXPECT_EQ(tray.balloons[0].timeout, 2);
}

TEST_F(MainLogicTest, StatusPanelHidesOnlyOnExactlyClose) {
    logic.ShowStatus("Sync Google Calendar ...");
    EXPECT_TRUE(view.panelVisible);
    EXPECT_EQ(view.text, u"Sync Google Calendar ...");
    logic.ShowStatus("Close");
    EXPECT_TRUE(view.panelVisible);
    logic.ShowStatus("Gmail Authenticate failed!\rUsername or Pass not correctly,\rCheck username and pass !");
    EXPECT_TRUE(view.panelVisible);
    logic.ShowStatus("close");
    EXPECT_FALSE(view.panelVisible);
    EXPECT_EQ(view.pumps, 4);  // every status lets pending messages run
}

TEST_F(MainLogicTest, WithoutAnAccountNoSyncRunsAndThePanelSaysHowToGiveOne) {
    client.hasAccount = false;
    logic.UpdateClick();
    for (int tick = 1; tick <= 11; ++tick) Tick();  // the periodic sync asks too
    logic.Resume();
    EXPECT_TRUE(client.syncs.empty());
    EXPECT_TRUE(view.panelVisible);
    EXPECT_EQ(view.text, kStatusNoAccount);
    EXPECT_EQ(view.rebuilds, 3);  // the grid is drawn all the same

    client.hasAccount = true;  // the account dialog saved one
    logic.UpdateClick();
    EXPECT_EQ(client.syncs.size(), 1u);
}

TEST_F(MainLogicTest, ResumeSyncsAndStepsTheTimerOnce) {
    logic.Resume();
    EXPECT_EQ(client.syncs.size(), 1u);
    EXPECT_EQ(logic.MinuteCounter(), 1);
    EXPECT_EQ(view.countdowns, 1);
}

// While a sync runs, ticks still remind and count down; the periodic sync and a resume that
// come meanwhile run once, after it.
TEST_F(MainLogicTest, DuringASyncTicksRemindAndWhatFallsDueRunsOnceAfterIt) {
    struct Case {
        const char* name;
        int ticks;
        bool resume;
        size_t syncsAfter;
    };
    for (const Case& c : {Case{"a tick", 1, false, 0}, Case{"the interval passes", 11, false, 1},
                          Case{"a resume", 0, true, 1}, Case{"both", 11, true, 1}}) {
        SCOPED_TRACE(c.name);
        FakeClient busyClient;
        FakeView busyView;
        TMainLogic busyLogic(busyClient, busyView, tray, clock);
        busyLogic.SetUpdateInterval(10);
        busyLogic.Start();
        busyClient.nextEvent = clock.Now() + 5 * kOneMinute;  // its reminder moment has passed
        busyLogic.RefreshToday(false);
        busyClient.busy = true;
        for (int tick = 0; tick < c.ticks; ++tick) busyLogic.Timer1Timer();
        if (c.resume) busyLogic.Resume();
        EXPECT_TRUE(busyClient.syncs.empty());
        EXPECT_EQ(busyClient.notified, c.ticks);
        EXPECT_EQ(busyView.countdowns, c.ticks);
        busyLogic.RunWaiting();
        EXPECT_TRUE(busyClient.syncs.empty()) << "ran while the sync still did";

        busyClient.busy = false;
        busyLogic.RunWaiting();
        EXPECT_EQ(busyClient.syncs.size(), c.syncsAfter);
        // A resume brings its timer step with it.
        EXPECT_EQ(busyView.countdowns, c.ticks + (c.resume ? 1 : 0));
        busyLogic.RunWaiting();
        EXPECT_EQ(busyClient.syncs.size(), c.syncsAfter) << "ran twice";
    }
}

TEST_F(MainLogicTest, MonthNavigationKeepsTheDayClippedAndRebuilds) {
    clock.Set(EncodeDate(2009, 1, 31));
    logic.Start();
    logic.NextMonth();
    EXPECT_EQ(logic.DisplayedDate(), EncodeDate(2009, 2, 28));
    EXPECT_EQ(logic.Matrix().WeekCount, 4);
    logic.PreviousMonth();
    logic.PreviousMonth();
    EXPECT_EQ(logic.DisplayedDate(), EncodeDate(2008, 12, 28));
    EXPECT_EQ(view.rebuilds, 3);
    EXPECT_EQ(view.shownDay, EncodeDate(2009, 1, 31));  // the selected day does not move
    EXPECT_TRUE(client.syncs.empty());
}

}  // namespace
}  // namespace tessel
