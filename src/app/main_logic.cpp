#include "app/main_logic.h"

#include "app/tray_logic.h"
#include "base/text.h"
#include "calendar/balloon_sink.h"

namespace tessel {

TMainLogic::TMainLogic(ICalendarClient& client, IMainView& view, IBalloonSink& tray, const IClock& clock)
    : client_(client), view_(view), tray_(tray), clock_(clock) {}

void TMainLogic::Start() {
    selectedDate_ = displayedDate_ = clock_.Now();
    minuteCounter_ = 0;
}

void TMainLogic::UpdateClick() {
    view_.ShowStatusPanel();
    if (client_.HasAccount()) {
        client_.Sync(displayedDate_);
    } else {
        view_.SetStatusText(kStatusNoAccount);
    }
    RefreshToday(false);
    RebuildMonth();
    RunWaiting();
}

void TMainLogic::Timer1Timer() {
    ++minuteCounter_;
    if (clock_.Now() > nextAlertTime_) CheckReminder();
    if (minuteCounter_ > updateInterval_) {
        // The periodic sync brings the grid back to the current month.
        minuteCounter_ = 0;
        if (client_.Busy()) {
            syncWaiting_ = true;
        } else {
            displayedDate_ = selectedDate_ = clock_.Now();
            UpdateClick();
        }
    }
    view_.RefreshCountdown();
}

void TMainLogic::Resume() {
    if (client_.Busy()) {
        resumeWaiting_ = true;
        return;
    }
    UpdateClick();
    Timer1Timer();
}

void TMainLogic::RunWaiting() {
    if (client_.Busy()) return;
    if (resumeWaiting_) {
        // The resume's own sync covers a periodic one that waited with it.
        resumeWaiting_ = syncWaiting_ = false;
        Resume();
    } else if (syncWaiting_) {
        syncWaiting_ = false;
        displayedDate_ = selectedDate_ = clock_.Now();
        UpdateClick();
    }
}

void TMainLogic::RefreshToday(bool withBalloon) {
    const TDateTime now = clock_.Now();
    const std::u16string text = client_.DayText(now);
    if (withBalloon) tray_.ShowBalloon(text, TodayTitle(now, text), 2);
    nextAlertTime_ = client_.FindNextEvent() - kReminderLead;
    view_.UpdateNextEvent();
    view_.Repaint();
}

void TMainLogic::CheckReminder() {
    client_.NotifyNextEvent();
    nextAlertTime_ = client_.FindNextEvent() - kReminderLead;
    view_.UpdateNextEvent();
    view_.Repaint();
}

void TMainLogic::ShowStatus(const std::string& text) {
    view_.SetStatusText(Utf8ToUtf16(text));
    view_.ShowStatusPanel();
    // Exactly "close": any other text, "Close" included, stays on screen.
    if (text == "close") view_.HideStatusPanel();
    view_.ProcessMessages();
}

void TMainLogic::PreviousMonth() {
    displayedDate_ = IncMonth(displayedDate_, -1);
    RebuildMonth();
}

void TMainLogic::NextMonth() {
    displayedDate_ = IncMonth(displayedDate_, 1);
    RebuildMonth();
}

void TMainLogic::RebuildMonth() {
    matrix_ = BuildMonthMatrix(displayedDate_);
    view_.ShowDay(selectedDate_);
    view_.MonthRebuilt();
}

}  // namespace tessel
