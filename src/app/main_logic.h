#pragma once
// The main window's behaviour apart from its pixels: when the client synchronises, what the
// status panel shows, when the next reminder comes, which month the grid shows. The Win32 window
// forwards its timer, menu and power messages here and paints what this decides.
#include <string>

#include "app/month_layout.h"
#include "base/clock.h"

namespace tessel {

class IBalloonSink;

// Shown instead of a sync while no account name is stored: signing in without one cannot succeed.
inline constexpr char16_t kStatusNoAccount[] = u"No account yet.\rChoose \"Gmail Account ...\" in the menu to sign in.";

// The calendar client as the main window uses it.
class ICalendarClient {
public:
    virtual ~ICalendarClient() = default;
    // Whether an account name is stored to sign in with.
    virtual bool HasAccount() const = 0;
    // A sync or a request is running further down the stack: a new sync cannot start now, but the
    // events as they stand (the run swaps its list in only when it ends) can be read.
    virtual bool Busy() const = 0;
    virtual void Sync(TDateTime date) = 0;
    virtual std::u16string DayText(TDateTime day) = 0;
    virtual TDateTime FindNextEvent() = 0;
    virtual void NotifyNextEvent() = 0;
};

// What the logic asks of the window (and of the event list window it owns).
class IMainView {
public:
    virtual ~IMainView() = default;
    // The status panel over the grid; CR characters in the text break lines.
    virtual void SetStatusText(const std::u16string& text) = 0;
    virtual void ShowStatusPanel() = 0;
    virtual void HideStatusPanel() = 0;
    // Lets pending window messages run while a sync blocks.
    virtual void ProcessMessages() = 0;
    // The month matrix changed: title, sizes, repaint.
    virtual void MonthRebuilt() = 0;
    virtual void Repaint() = 0;
    // The event list window: next event, countdown, the day it lists.
    virtual void UpdateNextEvent() = 0;
    virtual void RefreshCountdown() = 0;
    virtual void ShowDay(TDateTime day) = 0;
};

class TMainLogic {
public:
    static constexpr int kTimerMilliseconds = 60000;
    static constexpr double kReminderLead = 10 * kOneMinute;

    TMainLogic(ICalendarClient& client, IMainView& view, IBalloonSink& tray, const IClock& clock);

    // Minutes between periodic syncs (the settings' update/interval).
    void SetUpdateInterval(int minutes) { updateInterval_ = minutes; }

    // Start-up: both dates today, the counter at zero.
    void Start();
    // Synchronise the displayed month now (menu, start-up, dialogs, timer, resume). Without an
    // account the status panel says how to give one, and no request is made.
    void UpdateClick();
    // One minute step. During a sync the reminder and the countdown still run on the events as
    // they stand; a periodic sync that falls due waits until the running one ends.
    void Timer1Timer();
    // Resume from suspend: a sync and one timer step; during a sync, they wait until it ends.
    void Resume();
    // Runs the resume or the periodic sync that waited for a sync to end; nothing while one runs.
    void RunWaiting();
    // Today's information: the optional balloon and the next reminder moment.
    void RefreshToday(bool withBalloon);
    void CheckReminder();
    // The client's status handler.
    void ShowStatus(const std::string& text);

    void PreviousMonth();
    void NextMonth();
    void RebuildMonth();

    TDateTime DisplayedDate() const { return displayedDate_; }
    TDateTime SelectedDate() const { return selectedDate_; }
    int MinuteCounter() const { return minuteCounter_; }
    TDateTime NextAlertTime() const { return nextAlertTime_; }
    const MonthMatrix& Matrix() const { return matrix_; }

private:
    ICalendarClient& client_;
    IMainView& view_;
    IBalloonSink& tray_;
    const IClock& clock_;
    int updateInterval_ = 10;
    TDateTime displayedDate_ = 0;
    TDateTime selectedDate_ = 0;
    int minuteCounter_ = 0;
    TDateTime nextAlertTime_ = 0;
    MonthMatrix matrix_;
    bool syncWaiting_ = false;
    bool resumeWaiting_ = false;
};

}  // namespace tessel
