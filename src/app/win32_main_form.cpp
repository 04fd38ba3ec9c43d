#include "app/win32_main_form.h"

#include <windowsx.h>

#include <string>
#include <vector>

#include "app/profile_loading.h"
#include "app/tray_logic.h"
#include "app/win32_hint_win.h"
#include "app/win32_tray_icon.h"
#include "app/window_placement.h"
#include "base/clock.h"
#include "base/file_io.h"
#include "base/text.h"
#include "base/win32_system_error.h"
#include "calendar/account.h"
#include "calendar/calendar.h"
#include "calendar/event_sources.h"
#include "calendar/dates.h"
#include "calendar/http.h"
#include "calendar/service_hosts.h"
#include "calendar/subscriptions.h"
#include "ui/profile.h"
#include "ui/dpi_scale.h"
#include "ui/skin.h"
#include "ui/theme.h"
#include "ui/theme_loading.h"
#include "ui/web_links.h"
#include "ui/win32_skin.h"
#include "ui/win32_text_measure.h"
#include "update/win32_auto_upgrader.h"
#include "win32/win32_dpi.h"
#include "win32/win32_text.h"

namespace tessel {

using win32::W;

namespace {

constexpr int kDesignWidth = 201;
constexpr int kDesignHeight = 161;
constexpr WPARAM kResumeFromSuspend = 7;
constexpr UINT kDeferredExitPollMs = 200;
// How far the event list window moves down, out of sight, while the first start asks for the account.
constexpr int kOffScreenShift = 3000;

// The desktop's icon view, when the shell has one: Progman > SHELLDLL_DefView > SysListView32.
HWND FindDesktopListView() {
    HWND progman = FindWindowW(L"ProgMan", nullptr);
    HWND view = progman ? FindWindowExW(progman, nullptr, L"SHELLDLL_DefView", nullptr) : nullptr;
    return view ? FindWindowExW(view, nullptr, L"SysListView32", nullptr) : nullptr;
}

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT rect, LPARAM list) {
    reinterpret_cast<std::vector<TRect>*>(list)->push_back({rect->left, rect->top, rect->right, rect->bottom});
    return TRUE;
}

std::vector<TRect> MonitorRects() {
    std::vector<TRect> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

void WriteSetting(TProfile& profile, const char16_t* element, const char16_t* attribute, const std::u16string& value) {
    // Writers never create elements: a setting the file does not hold is not stored.
    if (TxdataNode* node = profile.Doc.FindNode(element)) node->SetAttribute(attribute, value);
}

std::u16string Decimal(long value) { return Widen(std::to_string(value)); }

}  // namespace

TMainFm::TMainFm(const MainFormServices& services)
    : services_(services),
      logic_(*this, *this, services.Tray, services.Clock),
      grid_(services.Sources, services.Theme, services.Clock),
      titleBar_(services.Theme, services.MainSkin) {}

TMainFm::~TMainFm() {
    if (services_.Http) services_.Http->ProcessMessages = nullptr;
    if (Handle() && !destroyed_) DestroyWindow(Handle());
}

void TMainFm::FormCreate() {
    // CreateParams: owned by the desktop's icon view so the calendar sits with the icons, below
    // ordinary windows; a tool window so it has no task-bar button and no task-switcher entry.
    HWND desktopListView = FindDesktopListView();
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"AICON");
    const wchar_t* cls = RegisterClassOnce(kClassName, CS_DBLCLKS, icon, nullptr);
    if (!Create(WS_EX_LAYERED | WS_EX_TOOLWINDOW, cls, L"Tessel Desktop", WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                kDesignWidth, kDesignHeight, desktopListView))
        RaiseLastSystemError("The calendar window could not be created");
    win32::SetWindowDpi(Handle(), UsableDpi(win32::WindowDpi(Handle())));
    services_.MainSkin.SetDpi(win32::WindowDpi(Handle()));
    // The size it is placed by until the month is laid out, at the window's resolution.
    SetWindowPos(Handle(), nullptr, 0, 0, ScaleToDpi(kDesignWidth, services_.MainSkin.Dpi()),
                 ScaleToDpi(kDesignHeight, services_.MainSkin.Dpi()), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    // The theme is shipped with the program and only read, so it stays beside it wherever the
    // data folder is.
    services_.Theme.ThemeRoot = ExecutableFolder() + u"theme" + kPathSeparator;
    services_.Tray.AddIcon(Handle());
    // Upgrader1: created with the form, which also removes the runner a last upgrade left behind.
    Upgrader1_ = std::make_unique<update::TauAutoUpgrader>(Handle());
    Upgrader1_->OnHandOver = [this] { Exit1Click(); };
    Upgrader1_->Clock = &services_.Clock;

    grid_.CreateIn(Handle(), 0, 0);
    grid_.OnDayDoubleClick = [this](TDateTime day) { CalGridDblClick(day); };
    msgpanel_.Make(Handle());

    try {
        LoadSettings();
    } catch (...) {
        win32::ShowCurrentException(Handle());
    }

    ApplySkin(services_.MainSkin, Handle(), grid_.Handle());

    titleBar_.OnMenu = [this] { ShowPopupMenu(); };
    titleBar_.OnPreviousMonth = [this] { logic_.PreviousMonth(); };
    titleBar_.OnNextMonth = [this] { logic_.NextMonth(); };
    titleBar_.OnClose = [this] { FormClose(); };
    titleBar_.Create(Handle());

    ShowWindow(Handle(), showCalendar_ ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void TMainFm::LoadSettings() {
    // Each store loads whatever the others hold: a failed one goes on with its defaults, and
    // every failure is told once, in one message, after all of them are loaded.
    std::vector<std::string> problems = LoadProfileForStart(services_.Profile);
    // The theme is read again after every Options OK; its problems are told once per change of its files.
    std::vector<std::string> themeProblems = LoadThemeForStart(services_.Theme);
    const std::string themeStamp = ThemeFilesStamp(services_.Theme);
    if (themeStamp != toldThemeStamp_) {
        toldThemeStamp_ = themeStamp;
        for (std::string& problem : themeProblems) problems.push_back(std::move(problem));
    }
    try {
        services_.MainSkin.Load(services_.Theme);
    } catch (const std::exception& e) {
        problems.push_back(e.what());
    }
    try {
        services_.Account.Load();
    } catch (const std::exception& e) {
        // A damaged account file: the store is empty now; the start asks for the account.
        problems.push_back(e.what());
    }
    try {
        services_.Subscriptions.Load();
    } catch (const std::exception& e) {
        // A damaged subscriptions file: none are shown until they are added again.
        problems.push_back(e.what());
    }
    services_.Sources.Reload();

    RECT window;
    GetWindowRect(Handle(), &window);
    const WindowPlace place = PlaceMainWindow(
        SettingOrDefault(services_.Profile, u"window/left"), SettingOrDefault(services_.Profile, u"window/top"),
        window.right - window.left, window.bottom - window.top, GetSystemMetrics(SM_CXSCREEN), MonitorRects());
    ApplyPlacement(place.Left, place.Top);
    showCalendar_ = SettingOrDefault(services_.Profile, u"window/visible") == 1;

    const int alpha = services_.Profile.Transparency * 255 / 100;
    SetLayeredWindowAttributes(Handle(), 0, BYTE(alpha < 0 ? 0 : alpha > 255 ? 255 : alpha), LWA_ALPHA);
    services_.Calendar.Days = services_.Profile.UpdateDays;
    logic_.SetUpdateInterval(services_.Profile.UpdateInterval);

    if (!problems.empty()) {
        std::string text;
        for (const std::string& problem : problems) text += (text.empty() ? "" : "\r\n\r\n") + problem;
        const std::u16string wide = Utf8ToUtf16(text);
        win32::ShowMessageBox(Handle(), wide, u"Tessel Desktop", MB_OK | MB_ICONERROR);
    }
}

void TMainFm::ApplyPlacement(int left, int top) {
    SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TMainFm::DpiChanged(int dpi, const RECT& suggested) {
    dpi = UsableDpi(dpi);
    win32::SetWindowDpi(Handle(), dpi);
    services_.MainSkin.SetDpi(dpi);
    SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (started_) MeasureFonts();
    titleBar_.Refont();
    if (IsWindowVisible(msgpanel_.Handle())) ShowStatusPanel();
    if (started_) MonthRebuilt();
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void TMainFm::MeasureFonts() {
    const int dpi = services_.MainSkin.Dpi();
    win32::WindowDc dc(grid_.Handle());
    TDcCanvas canvas(dc.get(), dpi);
    fonts_ = services_.Theme.FontsAt(dpi, canvas);
}

void TMainFm::DeferredStart() {
    if (started_) return;
    started_ = true;
    services_.Calendar.OnStatus = [this](TCalendar&, const std::string& text) { logic_.ShowStatus(text); };
    services_.Sources.OnStatus = [this](const std::string& text) { logic_.ShowStatus(text); };
    // Requests wait as the status reports do, answering the windows meanwhile.
    if (services_.Http) services_.Http->ProcessMessages = [this] { ProcessMessages(); };

    MeasureFonts();
    if (services_.DayHint) services_.DayHint->Attach(grid_);
    logic_.Start();

    if (!HasAccount()) {
        CreateEventForm();
        // The event list window waits off the screen while the account is asked for.
        const auto shift = [this](int dy) {
            RECT r{};
            GetWindowRect(eventFm_->Handle(), &r);
            SetWindowPos(eventFm_->Handle(), nullptr, r.left, r.top + dy, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        };
        shift(kOffScreenShift);
        ShowWindow(Handle(), SW_HIDE);
        ShowAccountDialog();
        shift(-kOffScreenShift);
        ShowWindow(eventFm_->Handle(), eventFm_->ShowFlag ? SW_SHOWNOACTIVATE : SW_HIDE);
    }
    ShowWindow(Handle(), showCalendar_ ? SW_SHOWNOACTIVATE : SW_HIDE);
    // "&Exit" while the account was asked for: the program ends without the start-up sync.
    if (exitDeferred_) return;

    bool cacheWhole = true;
    try {
        // Every source's cache, without the network.
        cacheWhole = services_.Sources.LoadCache(services_.Clock.Now(), false);
    } catch (const std::exception& e) {
        // A cache name that cannot name a file: the events come with the sync below.
        logic_.ShowStatus(e.what());
    }
    // The cached events go on screen now, before any sync waits on the network; the month
    // first, then the event list window, whose making takes about as long as the month's
    // drawing and would only hold the month back.
    logic_.RebuildMonth();
    RedrawWindow(Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (!eventFm_) {
        CreateEventForm();
        ShowWindow(eventFm_->Handle(), eventFm_->ShowFlag ? SW_SHOWNOACTIVATE : SW_HIDE);
        ShowDay(logic_.SelectedDate());
    }
    if (!cacheWhole) {
        // A missing or damaged service cache is synced at once, as a load with the network does;
        // the status says so when the sync cannot replace it.
        try {
            services_.Sources.SyncServiceCache();
        } catch (const std::exception& e) {
            logic_.ShowStatus(e.what());
        }
        logic_.RebuildMonth();
    }
    services_.Calendar.ReleaseEventDoc();
    if (Upgrader1_) Upgrader1_->InfoFileURL = MakerPageUrl(services_.Hosts, "download/webupdate/tessel.inf");
    logic_.UpdateClick();
    SetTimer(Handle(), kTimer1, TMainLogic::kTimerMilliseconds, nullptr);
    logic_.RefreshToday(true);
    Repaint();
}

void TMainFm::CreateEventForm() {
    eventFm_ = std::make_unique<TEventFm>(
        EventFormServices{services_.Profile, services_.Account, services_.Sources, services_.Theme,
                          services_.EventSkin, services_.Clock, services_.Hosts, browser_},
        Handle());
    eventFm_->OnMainMenu = [this] { ShowPopupMenu(); };
    eventFm_->NextAlertTime = [this] { return logic_.NextAlertTime(); };
    eventFm_->FormCreate();
}

void TMainFm::ShowEventForm() {
    if (!eventFm_) return;
    eventFm_->ShowFlag = true;
    eventFm_->ShowForm();
}

void TMainFm::CalGridDblClick(TDateTime day) {
    if (eventFm_ && !eventFm_->ShowFlag) ShowEventForm();
    ShowDay(day);
}

LRESULT TMainFm::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case TTrayIcon::kCallbackMessage:
        services_.Tray.HandleMessage(lp);
        return 0;
    case WM_POWERBROADCAST:
        // During a sync the resume waits for it to end.
        if (wp == kResumeFromSuspend) logic_.Resume();
        return TRUE;
    case WM_QUERYENDSESSION:
        // Nothing to ask the user, and a sync under way does not hold the session up.
        return TRUE;
    case WM_ENDSESSION:
        if (wp) EndSession();
        return 0;
    case WM_TIMER:
        // Reminders and the countdown run during a sync too, on the events as they stand.
        if (wp == kTimer1) logic_.Timer1Timer();
        if (wp == kDeferredExitTimer) {
            // A dialog that refused to close while it signed in is asked again until it goes.
            if (openDialog_) {
                CloseOpenDialog();
            } else if (!Busy()) {
                KillTimer(Handle(), kDeferredExitTimer);
                Exit1Click();
            }
        }
        return 0;
    case WM_COMMAND:
        Command(LOWORD(wp));
        return 0;
    case WM_PAINT: {
        win32::PaintDc paint(Handle());
        titleBar_.Paint(paint.get());
        return 0;
    }
    case WM_SIZE:
        titleBar_.Resized();
        return DefaultProc(msg, wp, lp);
    case WM_DPICHANGED:
        DpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lp) == HTCLIENT && HWND(wp) == Handle()) {
            POINT p{};
            GetCursorPos(&p);
            ScreenToClient(Handle(), &p);
            if (titleBar_.SetCursorAt(p.x, p.y)) return TRUE;
        }
        return DefaultProc(msg, wp, lp);
    case WM_LBUTTONDOWN:
        titleBar_.MouseDown(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
    case WM_LBUTTONUP:
        titleBar_.MouseUp(false, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
    case WM_RBUTTONUP:
        titleBar_.MouseUp(true, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
    case WM_MOUSEMOVE:
        titleBar_.PointerMoved(wp, lp);
        return DefaultProc(msg, wp, lp);
    case WM_CLOSE:
        FormClose();
        return 0;
    case WM_DESTROY:
        FormDestroy();
        return 0;
    default:
        return DefaultProc(msg, wp, lp);
    }
}

void TMainFm::Exit1Click() {
    if (destroyed_) return;
    if (Busy() || openDialog_) {
        // The request under way uses the client and this window, and so does a dialog open over
        // it (the account dialog signs in between its requests): the dialog is asked to close,
        // and the program ends once both are over.
        CloseOpenDialog();
        if (!exitDeferred_) SetTimer(Handle(), kDeferredExitTimer, kDeferredExitPollMs, nullptr);
        exitDeferred_ = true;
        return;
    }
    StoreVisibility();
    ProcessMessages();
    DestroyWindow(Handle());
}

void TMainFm::StoreVisibility() {
    const bool eventsVisible = eventFm_ && IsWindowVisible(eventFm_->Handle());
    WriteSetting(services_.Profile, u"eventwindow", u"visible", eventsVisible ? u"1" : u"0");
    WriteSetting(services_.Profile, u"window", u"visible", IsWindowVisible(Handle()) ? u"1" : u"0");
}

void TMainFm::StorePlace() {
    RECT r;
    GetWindowRect(Handle(), &r);
    WriteSetting(services_.Profile, u"window", u"left", Decimal(r.left));
    WriteSetting(services_.Profile, u"window", u"top", Decimal(r.top));
    WriteSetting(services_.Profile, u"window", u"height", Decimal(r.bottom - r.top));
}

void TMainFm::EndSession() {
    if (destroyed_) return;
    StoreVisibility();
    StorePlace();
    if (eventFm_) eventFm_->StorePlace();
    try {
        services_.Profile.Save();
    } catch (...) {
        // The file stays as it was; there is no one left to tell.
    }
}

void TMainFm::FormClose() {
    // Closing only hides: the tray icon's left click will not bring it back, "Show Canlendar" will.
    showCalendar_ = false;
    ShowWindow(Handle(), SW_HIDE);
}

void TMainFm::FormDestroy() {
    destroyed_ = true;
    KillTimer(Handle(), kTimer1);
    // The event list window goes with its owner, writing its place into the settings first.
    eventFm_.reset();
    StorePlace();
    services_.Tray.DeleteIcon();
    PostQuitMessage(0);
}

// --- ITrayOwner -------------------------------------------------------------------------------

bool TMainFm::Syncing() const { return services_.Sources.Syncing; }

std::u16string TMainFm::TodayText() const { return services_.Sources.DayText(services_.Clock.Now()); }

std::u16string TMainFm::TodayTitle() const {
    const TDateTime now = services_.Clock.Now();
    return tessel::TodayTitle(now, services_.Sources.DayText(now));
}

void TMainFm::RestoreWindows() {
    SetForegroundWindow(Handle());
    if (showCalendar_) ShowWindow(Handle(), SW_SHOW);
    if (eventFm_ && eventFm_->ShowFlag) eventFm_->ShowForm();
}

// --- IMainView ----------------------------------------------------------------------------------

void TMainFm::SetStatusText(const std::u16string& text) { msgpanel_.SetText(text); }

void TMainFm::ShowStatusPanel() {
    RECT client;
    GetClientRect(Handle(), &client);
    msgpanel_.ShowAt((client.right - msgpanel_.Width()) / 2 + 2);
}

void TMainFm::HideStatusPanel() { msgpanel_.Hide(); }

void TMainFm::MonthRebuilt() {
    const TSkin& skin = services_.MainSkin;
    const MonthMatrix& matrix = logic_.Matrix();
    const GridGeometry geometry =
        GridGeometry::For(fonts_.DayFont.CharWidth, fonts_.DayFont.TextHeight, matrix.WeekCount, skin.Dpi());
    SetWindowPos(grid_.Handle(), nullptr, skin.LeftLength(), skin.TopLength(), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    grid_.SetMonth(matrix, logic_.DisplayedDate(), geometry);

    const int width = GridGeometry::kColumns * geometry.ColWidth + skin.LeftLength() + skin.RightLength();
    const int height = geometry.Height() + skin.TopLength() + skin.BottomLength();
    SetWindowPos(Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    titleBar_.SetTitle(MonthName(logic_.DisplayedDate()) + u" " + Decimal(DecodeDate(logic_.DisplayedDate()).year));
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TMainFm::UpdateNextEvent() {
    if (eventFm_) eventFm_->UpdateNextEvent();
}

void TMainFm::RefreshCountdown() {
    if (eventFm_) eventFm_->RefreshCountdown();
}

void TMainFm::ShowDay(TDateTime day) {
    if (eventFm_) eventFm_->ShowDay(services_.Sources.Events, day);
}

void TMainFm::Repaint() {
    InvalidateRect(grid_.Handle(), nullptr, FALSE);
    InvalidateRect(Handle(), nullptr, FALSE);
}

}  // namespace tessel
