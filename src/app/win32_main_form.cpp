#include "app/win32_main_form.h"

#include <shellapi.h>
#include <windowsx.h>

#include <string>
#include <vector>

#include "app/app_folder.h"
#include "app/dates.h"
#include "app/main_menu.h"
#include "app/profile.h"
#include "app/profile_loading.h"
#include "app/service_hosts.h"
#include "app/tray_logic.h"
#include "app/web_links.h"
#include "app/win32_drawing.h"
#include "app/win32_hint_win.h"
#include "app/win32_tray_icon.h"
#include "app/window_placement.h"
#include "base/clock.h"
#include "base/file_io.h"
#include "base/text.h"
#include "base/win32_system_error.h"
#include "calendar/account.h"
#include "calendar/calendar.h"
#include "calendar/http.h"
#include "ui/skin.h"
#include "ui/theme.h"
#include "ui/theme_loading.h"
#include "ui/win32_label.h"
#include "ui/win32_skin.h"
#include "ui/win32_text_measure.h"
#include "update/win32_auto_upgrader.h"
#include "win32/win32_text.h"

namespace tessel {

using win32::W;

namespace {

constexpr int kDesignWidth = 201;
constexpr int kDesignHeight = 161;
constexpr int kImageSize = 16;
constexpr int kPanelWidth = 169;
constexpr int kPanelHeight = 73;
constexpr int kPanelTop = 48;
constexpr int kPanelBorder = 6;
constexpr COLORREF kShadow = 0x2A2A2A;
constexpr WPARAM kResumeFromSuspend = 7;
constexpr UINT kDeferredExitPollMs = 200;
// How far the event list window moves down, out of sight, while the first start asks for the account.
constexpr int kOffScreenShift = 3000;

enum TitleButton { kMenuButton, kPreviousButton, kNextButton, kCloseButton, kTitleButtonCount };

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

// Lone CRs break lines on the panel as CR LF pairs do.
std::u16string WithLineBreaks(const std::u16string& text) {
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n')) out += u'\n';
    }
    return out;
}

void OpenInBrowser(HWND owner, const std::string& url) {
    const std::u16string wide = Widen(url);
    ShellExecuteW(owner, L"Open", W(wide), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

// msgpanel with msglabel: a bordered panel over the grid that shows the sync's status texts.
class TMainFm::StatusPanel final : public win32::Window {
public:
    bool Make(HWND parent) {
        const wchar_t* cls = RegisterClassOnce(L"TesselMsgPanel", 0);
        return Create(0, cls, L"", WS_CHILD | WS_CLIPSIBLINGS, 16, kPanelTop, kPanelWidth, kPanelHeight, parent);
    }
    void SetText(const std::u16string& text) {
        text_ = WithLineBreaks(text);
        // Also the window's text, where screen readers and the shell's tools look for it.
        SetWindowTextW(Handle(), W(text_));
        InvalidateRect(Handle(), nullptr, TRUE);
    }
    const std::u16string& Text() const { return text_; }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        // A click puts the panel away, as an error text would otherwise cover the grid until the
        // next sync; the next status text shows it again.
        if (msg == WM_LBUTTONUP) {
            ShowWindow(Handle(), SW_HIDE);
            return 0;
        }
        if (msg != WM_PAINT) return DefaultProc(msg, wp, lp);
        win32::PaintDc paint(Handle());
        RECT r;
        GetClientRect(Handle(), &r);
        FillRect(paint.get(), &r, GetSysColorBrush(COLOR_BTNFACE));
        FrameRect(paint.get(), &r, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&r, -kPanelBorder, -kPanelBorder);
        win32::FontHandle font(CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                                           L"Tahoma"));
        win32::SelectGuard selectFont(paint.get(), font.get());
        SetBkMode(paint.get(), TRANSPARENT);
        SetTextColor(paint.get(), GetSysColor(COLOR_BTNTEXT));
        DrawTextW(paint.get(), W(text_), int(text_.size()), &r, DT_WORDBREAK | DT_NOPREFIX);
        return 0;
    }

private:
    std::u16string text_;
};

TMainFm::TMainFm(const MainFormServices& services)
    : services_(services),
      logic_(*this, *this, services.Tray, services.Clock),
      grid_(services.Calendar, services.Theme, services.Clock),
      msgpanel_(std::make_unique<StatusPanel>()) {}

TMainFm::~TMainFm() {
    if (services_.Http) services_.Http->ProcessMessages = nullptr;
    if (Handle() && !destroyed_) DestroyWindow(Handle());
}

bool TMainFm::FormCreate() {
    // CreateParams: owned by the desktop's icon view so the calendar sits with the icons, below
    // ordinary windows; a tool window so it has no task-bar button and no task-switcher entry.
    desktopListView_ = FindDesktopListView();
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"AICON");
    const wchar_t* cls = RegisterClassOnce(kClassName, CS_DBLCLKS, icon, nullptr);
    if (!Create(WS_EX_LAYERED | WS_EX_TOOLWINDOW, cls, L"Tessel Desktop", WS_POPUP | WS_CLIPCHILDREN, 0, 0,
                kDesignWidth, kDesignHeight, desktopListView_))
        RaiseLastSystemError("The calendar window could not be created");

    SetAppFolder(ExecutableFolder());
    services_.Theme.ThemeRoot = AppFolder() + u"theme" + kPathSeparator;
    services_.Tray.AddIcon(Handle());
    // Upgrader1: created with the form, which also removes the runner a last upgrade left behind.
    Upgrader1_ = std::make_unique<update::TauAutoUpgrader>(Handle());
    Upgrader1_->OnHandOver = [this] { Exit1Click(); };
    Upgrader1_->Clock = &services_.Clock;

    grid_.CreateIn(Handle(), 0, 0);
    grid_.OnDayDoubleClick = [this](TDateTime day) { CalGridDblClick(day); };
    msgpanel_->Make(Handle());

    try {
        LoadSettings();
    } catch (...) {
        win32::ShowCurrentException(Handle());
    }

    ApplySkin(services_.MainSkin, Handle(), grid_.Handle());

    monthTitle_.SetTransparent(true);
    monthTitle_.SetAutoSize(true);
    {
        TCanvasFont font;
        TTheme::ApplyFont(font, services_.Theme.DateFont);
        monthTitle_.SetFont(font);
    }
    monthTitle_.OnMouseDown = [this](TCLabel&, int button, int32_t, int32_t) {
        if (button == 0) DragWindow();
    };
    monthTitle_.OnMouseUp = [this](TCLabel&, int button, int32_t, int32_t) {
        if (button == 1) ShowPopupMenu();
    };
    CreateLabelWindow(monthTitle_, Handle());

    ShowWindow(Handle(), showCalendar_ ? SW_SHOWNOACTIVATE : SW_HIDE);
    return true;
}

void TMainFm::LoadSettings() {
    // Each store loads whatever the others hold: a failed one goes on with its defaults, and
    // every failure is told once, in one message, after all of them are loaded.
    std::vector<std::string> problems = LoadProfileForStart(services_.Profile);
    for (std::string& problem : LoadThemeForStart(services_.Theme)) problems.push_back(std::move(problem));
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
        MessageBoxW(Handle(), W(wide), L"Tessel Desktop", MB_OK | MB_ICONERROR);
    }
}

void TMainFm::ApplyPlacement(int left, int top) {
    SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TMainFm::DeferredStart() {
    if (started_) return;
    started_ = true;
    services_.Calendar.OnStatus = [this](TCalendar&, const std::string& text) { logic_.ShowStatus(text); };
    // Requests wait as the status reports do, answering the windows meanwhile.
    if (services_.Http) services_.Http->ProcessMessages = [this] { ProcessMessages(); };

    {
        win32::WindowDc dc(grid_.Handle());
        TDcCanvas canvas(dc.get());
        services_.Theme.Measure(canvas);
    }
    if (services_.DayHint) services_.DayHint->Attach(grid_);
    logic_.Start();
    CreateEventForm();

    if (services_.Account.UserName.empty()) {
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
    }
    ShowWindow(eventFm_->Handle(), eventFm_->ShowFlag ? SW_SHOWNOACTIVATE : SW_HIDE);
    ShowWindow(Handle(), showCalendar_ ? SW_SHOWNOACTIVATE : SW_HIDE);

    try {
        // Without an account there is no cache to read, and the load's own sync could not sign in.
        if (HasAccount()) services_.Calendar.LoadCache();
    } catch (const std::exception& e) {
        // A cache name that cannot name a file: the events come with the sync below. (A damaged
        // file does not raise: the load syncs and says so when the sync cannot replace it.)
        logic_.ShowStatus(e.what());
    }
    // The cached events go on screen now, before the start-up sync waits on the network.
    logic_.RebuildMonth();
    RedrawWindow(Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    services_.Calendar.ReleaseEventDoc();
    if (Upgrader1_) Upgrader1_->InfoFileURL = MakerPageUrl(services_.Hosts, "download/webupdate/tessel.inf");
    logic_.UpdateClick();
    SetTimer(Handle(), kTimer1, TMainLogic::kTimerMilliseconds, nullptr);
    logic_.RefreshToday(true);
    Repaint();
}

void TMainFm::CreateEventForm() {
    eventFm_ = std::make_unique<TEventFm>(
        EventFormServices{services_.Profile, services_.Account, services_.Calendar, services_.Theme,
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
        // A sync that is running already brings the events up to date.
        if (wp == kResumeFromSuspend && !Busy()) logic_.Resume();
        return TRUE;
    case WM_TIMER:
        // The minute's work reads the events a running sync is rebuilding; it comes again.
        if (wp == kTimer1 && !Busy()) logic_.Timer1Timer();
        if (wp == kDeferredExitTimer && !Busy()) {
            KillTimer(Handle(), kDeferredExitTimer);
            Exit1Click();
        }
        return 0;
    case WM_COMMAND:
        Command(LOWORD(wp));
        return 0;
    case WM_PAINT: {
        win32::PaintDc paint(Handle());
        PaintTitleBar(paint.get());
        return 0;
    }
    case WM_LBUTTONDOWN:
        TitleMouseDown(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
    case WM_LBUTTONUP:
        TitleMouseUp(0, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
    case WM_RBUTTONUP:
        TitleMouseUp(1, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
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

void TMainFm::Command(WORD id) {
    // While a sync runs, only one sync runs, and the account and the settings it uses stay.
    if (Busy() && (id == kCmdSync || id == kCmdAccount || id == kCmdOptions)) {
        MessageBeep(MB_OK);
        return;
    }
    switch (id) {
    case kCmdShowCalendar:
        showCalendar_ = true;
        ShowWindow(Handle(), SW_SHOW);
        ShowEventForm();
        break;
    case kCmdSync:
        logic_.UpdateClick();
        break;
    case kCmdGotoCalendar:
        GotoCalendar1Click();
        break;
    case kCmdAccount:
        GmailAccount1Click();
        break;
    case kCmdOptions:
        Options1Click();
        break;
    case kCmdAbout:
        About1Click();
        break;
    case kCmdHelp:
        Help1Click();
        break;
    case kCmdExit:
        Exit1Click();
        break;
    case kCmdCheckUpdate:
        if (Upgrader1_) Upgrader1_->CheckUpdate();
        break;
    default:
        break;
    }
}

bool TMainFm::Busy() const { return services_.Calendar.Syncing || (services_.Http && services_.Http->Waiting()); }

void TMainFm::Exit1Click() {
    if (destroyed_) return;
    if (Busy()) {
        // The request under way uses the client and this window: the program ends once it is over.
        if (!exitDeferred_) SetTimer(Handle(), kDeferredExitTimer, kDeferredExitPollMs, nullptr);
        exitDeferred_ = true;
        return;
    }
    const bool eventsVisible = eventFm_ && IsWindowVisible(eventFm_->Handle());
    WriteSetting(services_.Profile, u"eventwindow", u"visible", eventsVisible ? u"1" : u"0");
    WriteSetting(services_.Profile, u"window", u"visible", IsWindowVisible(Handle()) ? u"1" : u"0");
    ProcessMessages();
    DestroyWindow(Handle());
}

void TMainFm::GotoCalendar1Click() {
    OpenInBrowser(Handle(), WebCalendarSignInUrl(services_.Hosts, services_.Account.UserName,
                                                 services_.Account.Password));
}

void TMainFm::Help1Click() { OpenInBrowser(Handle(), MakerPageUrl(services_.Hosts, "help")); }

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
    RECT r;
    GetWindowRect(Handle(), &r);
    WriteSetting(services_.Profile, u"window", u"left", Decimal(r.left));
    WriteSetting(services_.Profile, u"window", u"top", Decimal(r.top));
    WriteSetting(services_.Profile, u"window", u"height", Decimal(r.bottom - r.top));
    services_.Tray.DeleteIcon();
    PostQuitMessage(0);
}

// --- ITrayOwner -------------------------------------------------------------------------------

bool TMainFm::Syncing() const { return services_.Calendar.Syncing; }

std::u16string TMainFm::TodayText() const { return services_.Calendar.DayText(services_.Clock.Now()); }

std::u16string TMainFm::TodayTitle() const {
    const TDateTime now = services_.Clock.Now();
    return tessel::TodayTitle(now, services_.Calendar.DayText(now));
}

void TMainFm::ShowPopupMenu() {
    popup_.reset(CreatePopupMenu());
    for (const auto& entry : kMainMenu) {
        if (entry.Command == 0) {
            AppendMenuW(popup_.get(), MF_SEPARATOR, 0, nullptr);
        } else {
            const std::u16string caption = entry.Caption;
            AppendMenuW(popup_.get(), MF_STRING, entry.Command, W(caption));
        }
    }
    POINT cursor;
    GetCursorPos(&cursor);
    // The menu closes when the user clicks elsewhere only if this window is in the foreground.
    SetForegroundWindow(Handle());
    TrackPopupMenu(popup_.get(), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, Handle(), nullptr);
    PostMessageW(Handle(), WM_NULL, 0, 0);
}

void TMainFm::RestoreWindows() {
    SetForegroundWindow(Handle());
    if (showCalendar_) ShowWindow(Handle(), SW_SHOW);
    if (eventFm_ && eventFm_->ShowFlag) eventFm_->ShowForm();
}

// --- ICalendarClient ----------------------------------------------------------------------------

bool TMainFm::HasAccount() const { return !services_.Account.UserName.empty(); }

void TMainFm::Sync(TDateTime date) {
    services_.Calendar.Sync(date);
    services_.Calendar.ReleaseEventDoc();
}
std::u16string TMainFm::DayText(TDateTime day) { return services_.Calendar.DayText(day); }
TDateTime TMainFm::FindNextEvent() { return services_.Calendar.FindNextEvent(); }
void TMainFm::NotifyNextEvent() { services_.Calendar.NotifyNextEvent(); }

// --- IMainView ----------------------------------------------------------------------------------

void TMainFm::SetStatusText(const std::u16string& text) { msgpanel_->SetText(text); }

void TMainFm::ShowStatusPanel() {
    CenterStatusPanel((ClientWidth() - kPanelWidth) / 2 + 2);
    ShowWindow(msgpanel_->Handle(), SW_SHOWNA);
    UpdateWindow(msgpanel_->Handle());
}

void TMainFm::HideStatusPanel() { ShowWindow(msgpanel_->Handle(), SW_HIDE); }

void TMainFm::ProcessMessages() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            PostQuitMessage(int(m.wParam));  // leave it for the main loop
            break;
        }
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

void TMainFm::MonthRebuilt() {
    const TSkin& skin = services_.MainSkin;
    const MonthMatrix& matrix = logic_.Matrix();
    const GridGeometry geometry =
        GridGeometry::For(services_.Theme.DayFont.CharWidth, services_.Theme.DayFont.TextHeight, matrix.WeekCount);
    SetWindowPos(grid_.Handle(), nullptr, skin.LeftLength(), skin.TopLength(), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    grid_.SetMonth(matrix, logic_.DisplayedDate(), geometry);

    const int width = GridGeometry::kColumns * geometry.ColWidth + skin.LeftLength() + skin.RightLength();
    const int height = geometry.Height() + skin.TopLength() + skin.BottomLength();
    SetWindowPos(Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    monthTitle_.SetwCaption(MonthName(logic_.DisplayedDate()) + u" " +
                            Decimal(DecodeDate(logic_.DisplayedDate()).year));
    CenterTitle();
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TMainFm::UpdateNextEvent() {
    if (eventFm_) eventFm_->UpdateNextEvent();
}

void TMainFm::RefreshCountdown() {
    if (eventFm_) eventFm_->RefreshCountdown();
}

void TMainFm::ShowDay(TDateTime day) {
    if (eventFm_) eventFm_->ShowDay(services_.Calendar.Events, day);
}

void TMainFm::Repaint() {
    InvalidateRect(grid_.Handle(), nullptr, FALSE);
    InvalidateRect(Handle(), nullptr, FALSE);
}

// --- title bar ----------------------------------------------------------------------------------

int TMainFm::ClientWidth() const {
    RECT r;
    GetClientRect(Handle(), &r);
    return r.right;
}

void TMainFm::CenterTitle() {
    const TRect& b = monthTitle_.Bounds();
    monthTitle_.SetPosition((ClientWidth() - b.Width()) / 2, (services_.MainSkin.TopLength() - b.Height()) / 2);
}

void TMainFm::CenterStatusPanel(int left) {
    SetWindowPos(msgpanel_->Handle(), HWND_TOP, left, kPanelTop, kPanelWidth, kPanelHeight, SWP_NOACTIVATE);
}

RECT TMainFm::TitleButtonRect(int button) const {
    const int barHeight = services_.MainSkin.TopLength();
    const int top = barHeight > kImageSize ? (barHeight - kImageSize) / 2 : 0;
    const int width = ClientWidth();
    int left = 0;
    switch (button) {
    case kMenuButton: left = 4; break;
    case kPreviousButton: left = 24; break;
    case kNextButton: left = width - 2 * kImageSize - 8; break;
    case kCloseButton: left = width - kImageSize - 4; break;
    }
    return RECT{left, top, left + kImageSize, top + kImageSize};
}

int TMainFm::TitleButtonAt(int x, int y) const {
    const POINT p{x, y};
    for (int b = 0; b < kTitleButtonCount; ++b) {
        const RECT r = TitleButtonRect(b);
        if (PtInRect(&r, p)) return b;
    }
    return -1;
}

void TMainFm::PaintTitleBar(HDC dc) {
    // The four 16 x 16 images, drawn as glyphs in the title font's colour with the same dark
    // shadow the texts have, so they read on any theme.
    const COLORREF color = services_.Theme.DateFont.Color;
    for (const COLORREF ink : {kShadow, color}) {
        const int shift = ink == kShadow ? 1 : 0;
        win32::PenHandle pen(CreatePen(PS_SOLID, 2, ink));
        win32::BrushHandle brush(CreateSolidBrush(ink));
        win32::SelectGuard selectPen(dc, pen.get());
        win32::SelectGuard selectBrush(dc, brush.get());
        for (int b = 0; b < kTitleButtonCount; ++b) {
            RECT r = TitleButtonRect(b);
            OffsetRect(&r, shift, shift);
            const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
            switch (b) {
            case kMenuButton:
                for (int dy : {-4, 0, 4}) {
                    MoveToEx(dc, r.left + 3, cy + dy, nullptr);
                    LineTo(dc, r.right - 3, cy + dy);
                }
                break;
            case kPreviousButton: {
                const POINT tri[3] = {{cx + 3, cy - 5}, {cx + 3, cy + 5}, {cx - 3, cy}};
                Polygon(dc, tri, 3);
                break;
            }
            case kNextButton: {
                const POINT tri[3] = {{cx - 3, cy - 5}, {cx - 3, cy + 5}, {cx + 3, cy}};
                Polygon(dc, tri, 3);
                break;
            }
            case kCloseButton:
                MoveToEx(dc, cx - 4, cy - 4, nullptr);
                LineTo(dc, cx + 4, cy + 4);
                MoveToEx(dc, cx + 4, cy - 4, nullptr);
                LineTo(dc, cx - 4, cy + 4);
                break;
            }
        }
    }
}

void TMainFm::DragWindow() {
    ReleaseCapture();
    SendMessageW(Handle(), WM_SYSCOMMAND, kScMoveByCaption, 0);
}

void TMainFm::TitleMouseDown(int x, int y) {
    pressedButton_ = TitleButtonAt(x, y);
    if (pressedButton_ < 0) DragWindow();
}

void TMainFm::TitleMouseUp(int button, int x, int y) {
    const int under = TitleButtonAt(x, y);
    if (button == 1) {
        // The right button opens the menu over the menu image and anywhere on the title bar.
        if (under == kMenuButton || y < services_.MainSkin.TopLength()) ShowPopupMenu();
        return;
    }
    const int pressed = pressedButton_;
    pressedButton_ = -1;
    if (pressed < 0 || pressed != under) return;
    switch (under) {
    case kMenuButton: ShowPopupMenu(); break;
    case kPreviousButton: logic_.PreviousMonth(); break;
    case kNextButton: logic_.NextMonth(); break;
    case kCloseButton: FormClose(); break;
    }
}

}  // namespace tessel
