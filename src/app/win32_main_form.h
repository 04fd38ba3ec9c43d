#pragma once
// TMainFm: the calendar on the desktop. A borderless, layered tool window owned by the desktop's
// icon view, skinned from the theme, with a title bar (menu, previous and next month, close and
// the month's name), the month grid, and a status panel that shows the sync's progress. Its
// behaviour (scheduling, reminders, navigation) is TMainLogic; this class paints, places and
// routes messages. The title bar and the status panel are classes of their own; the menu's
// commands, the sync's side and the dialogs are in win32_main_menu.cpp, win32_main_sync.cpp and
// win32_main_dialogs.cpp.
#include <windows.h>

#include <memory>
#include <string>

#include "app/main_logic.h"
#include "app/tray_owner.h"
#include "app/win32_month_grid.h"
#include "app/win32_status_panel.h"
#include "app/win32_title_bar.h"
#include "ui/theme.h"
#include "ui/win32_event_form.h"
#include "ui/win32_url_opener.h"
#include "win32/win32_handles.h"
#include "win32/win32_window.h"

namespace tessel {

namespace update {
class TauAutoUpgrader;
}
class TAccount;
class TAccountFm;
class TCalendar;
class TEventSources;
class TSubscriptions;
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
    // The subscriptions and the sources the windows read their events from (the service's
    // calendars through Calendar, and each subscription).
    TSubscriptions& Subscriptions;
    TEventSources& Sources;
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
    // Raises a system error when the window cannot be created.
    void FormCreate();
    // The rest of start-up, run once when the message loop first becomes idle.
    void DeferredStart();
    // The window has been destroyed: the program is ending.
    bool Destroyed() const { return destroyed_; }

    // ITrayOwner
    bool Syncing() const override;
    std::u16string TodayText() const override;
    std::u16string TodayTitle() const override;
    void ShowPopupMenu() override;
    void RestoreWindows() override;

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    // ICalendarClient: the client as the logic sees it.
    bool HasAccount() const override;
    // The subscriptions as the account dialog left them; their sources follow (a damaged file
    // raises after the sources have been brought in line with the empty list).
    void ReloadSources();
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
    // The window moved to a monitor of another resolution: the skin, the theme's measurements and
    // the month are made again for it, at the suggested place.
    void DpiChanged(int dpi, const RECT& suggested);
    // The theme's fonts at the window's resolution, which the month is laid out with.
    void MeasureFonts();
    void ApplyPlacement(int left, int top);
    void Exit1Click();
    // Writes the windows' visibility, as "&Exit" does, and the main window's place, as its end does.
    void StoreVisibility();
    void StorePlace();
    // The session ends (log-off, shut-down): what an exit stores is saved at once, without waiting
    // for a sync under way and without a dialog, since the process may end as soon as this returns.
    void EndSession();
    void FormClose();
    void FormDestroy();
    // The menu and its commands (win32_main_menu.cpp).
    void Command(WORD id);
    void GotoCalendar1Click();
    void Help1Click();
    // A sync or a request is running further down this thread's stack: what it uses must stay
    // (win32_main_sync.cpp, with the client as the logic sees it).
    bool Busy() const override;
    // The dialogs (win32_main_dialogs.cpp).
    class OpenDialogScope;
    // Asks the dialog open over this window, if any, to close as its Cancel would.
    void CloseOpenDialog();
    std::unique_ptr<TAccountFm> MakeAccountDialog();
    void ShowAccountDialog();
    void GmailAccount1Click();
    void Options1Click();
    void About1Click();

    MainFormServices services_;
    TMainLogic logic_;
    TMonthGrid grid_;
    TTitleBar titleBar_;
    TStatusPanel msgpanel_;
    std::unique_ptr<update::TauAutoUpgrader> Upgrader1_;
    win32::MenuHandle popup_;
    TShellUrlOpener browser_;
    std::unique_ptr<TEventFm> eventFm_;
    TThemeFonts fonts_;
    bool showCalendar_ = true;
    bool started_ = false;
    bool destroyed_ = false;
    bool exitDeferred_ = false;
    // The theme's files when their problems were last told (ThemeFilesStamp).
    std::string toldThemeStamp_;
    // The modal dialog open over this window: its loop and whatever it is signing in with run
    // further down this thread's stack.
    TDialog* openDialog_ = nullptr;
};

}  // namespace tessel
