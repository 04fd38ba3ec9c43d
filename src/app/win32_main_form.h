#pragma once
// TMainFm: the calendar on the desktop. A borderless, layered tool window owned by the desktop's
// icon view, skinned from the theme, with a title bar (menu, previous and next month, close and
// the month's name), the month grid, and a status panel that shows the sync's progress. Its
// behaviour (scheduling, reminders, navigation) is TMainLogic; this class paints, places and
// routes messages.
#include <windows.h>

#include <memory>
#include <string>

#include "app/main_logic.h"
#include "app/tray_owner.h"
#include "app/win32_month_grid.h"
#include "ui/label.h"
#include "ui/win32_event_form.h"
#include "ui/win32_url_opener.h"
#include "win32/win32_handles.h"
#include "win32/win32_window.h"

namespace tessel {

namespace update {
class TauAutoUpgrader;
}
class TAccount;
class TCalendar;
class TDialog;
class TProfile;
class TSkin;
class TTheme;
class TTrayIcon;
class THintWin;
class THttp;
class IClock;
struct ServiceHosts;

// The process-wide objects the main window works with; they outlive it.
struct MainFormServices {
    TProfile& Profile;
    TAccount& Account;
    TCalendar& Calendar;
    TTheme& Theme;
    TSkin& MainSkin;
    TTrayIcon& Tray;
    const IClock& Clock;
    const ServiceHosts& Hosts;
    TSkin& EventSkin;
    THintWin* DayHint = nullptr;  // attached to the grid at the deferred start
    // The client's transport: while it waits for the service, the form's messages are processed.
    THttp* Http = nullptr;
};

class TMainFm final : public win32::Window, public ITrayOwner, private ICalendarClient, private IMainView {
public:
    static constexpr UINT_PTR kTimer1 = 1;
    // Polls for the end of the sync or the dialog that an exit asked for during it waits for.
    static constexpr UINT_PTR kDeferredExitTimer = 2;
    static constexpr const wchar_t* kClassName = L"TMainFm";

    explicit TMainFm(const MainFormServices& services);
    ~TMainFm() override;

    // FormCreate: creates the window, adds the tray icon, loads settings, theme, skin and account.
    bool FormCreate();
    // The rest of start-up, run once when the message loop first becomes idle.
    void DeferredStart();

    // ITrayOwner
    bool Syncing() const override;
    std::u16string TodayText() const override;
    std::u16string TodayTitle() const override;
    void ShowPopupMenu() override;
    void RestoreWindows() override;

    TMainLogic& Logic() { return logic_; }
    bool ShowCalendar() const { return showCalendar_; }
    HWND GridHandle() const { return grid_.Handle(); }
    const TMonthGrid& Grid() const { return grid_; }
    // The event list window, null before the deferred start has made it.
    TEventFm* EventForm() const { return eventFm_.get(); }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // ICalendarClient: the client as the logic sees it.
    bool HasAccount() const override;
    void Sync(TDateTime date) override;
    std::u16string DayText(TDateTime day) override;
    TDateTime FindNextEvent() override;
    void NotifyNextEvent() override;
    // IMainView
    void SetStatusText(const std::u16string& text) override;
    void ShowStatusPanel() override;
    void HideStatusPanel() override;
    void ProcessMessages() override;
    void MonthRebuilt() override;
    void Repaint() override;
    void UpdateNextEvent() override;
    void RefreshCountdown() override;
    void ShowDay(TDateTime day) override;

    void CreateEventForm();
    void CalGridDblClick(TDateTime day);
    void ShowEventForm();

    void LoadSettings();
    void ApplyPlacement(int left, int top);
    void Command(WORD id);
    void Exit1Click();
    // A sync or a request is running further down this thread's stack: what it uses must stay.
    bool Busy() const;
    void GotoCalendar1Click();
    void Help1Click();
    void FormClose();
    void FormDestroy();
    void PaintTitleBar(HDC dc);
    int TitleButtonAt(int x, int y) const;
    RECT TitleButtonRect(int button) const;
    void TitleMouseDown(int x, int y);
    void TitleMouseUp(int button, int x, int y);
    void DragWindow();
    void CenterTitle();
    void CenterStatusPanel(int left);
    // The dialogs (win32_main_dialogs.cpp).
    class OpenDialogScope;
    // Asks the dialog open over this window, if any, to close as its Cancel would.
    void CloseOpenDialog();
    void ShowAccountDialog();
    void GmailAccount1Click();
    void Options1Click();
    void About1Click();
    int ClientWidth() const;

    MainFormServices services_;
    TMainLogic logic_;
    TMonthGrid grid_;
    TCLabel monthTitle_;
    class StatusPanel;
    std::unique_ptr<StatusPanel> msgpanel_;
    std::unique_ptr<update::TauAutoUpgrader> Upgrader1_;
    win32::MenuHandle popup_;
    TShellUrlOpener browser_;
    std::unique_ptr<TEventFm> eventFm_;
    HWND desktopListView_ = nullptr;
    bool showCalendar_ = true;
    int pressedButton_ = -1;
    bool started_ = false;
    bool destroyed_ = false;
    bool exitDeferred_ = false;
    // The modal dialog open over this window: its loop and whatever it is signing in with run
    // further down this thread's stack.
    TDialog* openDialog_ = nullptr;
};

}  // namespace tessel
