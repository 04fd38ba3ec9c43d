#include "app/win32_tray_icon.h"

#include <algorithm>

#include "win32/win32_text.h"

namespace tessel {

using win32::W;

namespace {

constexpr UINT_PTR kHoverTimer = 1;

void CopyField(wchar_t* field, size_t capacity, const std::u16string& text) {
    const std::u16string fitted = FitToField(text, capacity);
    std::copy(fitted.begin(), fitted.end(), reinterpret_cast<char16_t*>(field));
    field[fitted.size()] = L'\0';
}

}  // namespace

// The icon's own timer: a message-only window, so the hover poll does not depend on the main
// window's message handling.
class TTrayIcon::TimerWindow final : public win32::Window {
public:
    explicit TimerWindow(TTrayIcon& tray) : tray_(tray) {
        const wchar_t* cls = RegisterClassOnce(L"TesselTrayTimer", 0);
        Create(0, cls, L"", 0, 0, 0, 0, 0, HWND_MESSAGE);
    }
    void Start(UINT milliseconds) { SetTimer(Handle(), kHoverTimer, milliseconds, nullptr); running_ = true; }
    void Stop() { KillTimer(Handle(), kHoverTimer); running_ = false; }
    bool Running() const { return running_; }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == WM_TIMER && wp == kHoverTimer) {
            tray_.HoverTick();
            return 0;
        }
        return DefaultProc(msg, wp, lp);
    }

private:
    TTrayIcon& tray_;
    bool running_ = false;
};

TTrayIcon::TTrayIcon(ITrayOwner* owner) : owner_(owner), timer_(std::make_unique<TimerWindow>(*this)) {
    // The notification area shows the system's small icon size, which grows with the display
    // scale (16 at 96 DPI, 24 at 144): the icon file's picture of that size, not a shrunk large one.
    icon_ = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"AICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                          GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    if (!icon_) icon_ = LoadIconW(nullptr, IDI_APPLICATION);
}

TTrayIcon::~TTrayIcon() { DeleteIcon(); }

bool TTrayIcon::AddIcon(HWND window) {
    data_ = NOTIFYICONDATAW{};
    // The version-3 layout (up to the balloon's GUID): what the shell has accepted since
    // Windows XP, and the size its callbacks are defined for.
    data_.cbSize = NOTIFYICONDATAW_V3_SIZE;
    data_.hWnd = window;
    data_.uID = static_cast<UINT>(reinterpret_cast<UINT_PTR>(icon_));
    data_.uFlags = NIF_MESSAGE | NIF_ICON;  // no NIF_TIP: the shell's own tooltip stays off
    data_.uCallbackMessage = kCallbackMessage;
    data_.hIcon = icon_;
    CopyField(data_.szTip, kTipCapacity, u"Tessel Desktop");
    added_ = Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
    return added_;
}

void TTrayIcon::DeleteIcon() {
    if (!added_) return;
    Shell_NotifyIconW(NIM_DELETE, &data_);
    added_ = false;
}

void TTrayIcon::ShowBalloon(const std::u16string& text, const std::u16string& title, int timeoutTenths) {
    data_.uFlags = NIF_INFO;
    CopyField(data_.szInfo, kBalloonTextCapacity, text);
    CopyField(data_.szInfoTitle, kBalloonTitleCapacity, title);
    data_.uTimeout = UINT(timeoutTenths > 0 ? timeoutTenths : 0) * 100;
    data_.dwInfoFlags = NIIF_INFO;
    Shell_NotifyIconW(NIM_MODIFY, &data_);
}

void TTrayIcon::HandleMessage(LPARAM lp) {
    if (!owner_) return;
    switch (LOWORD(lp)) {
    case WM_RBUTTONUP:
        hover_.OnClick();
        owner_->ShowPopupMenu();
        break;
    case WM_LBUTTONDOWN:
        hover_.OnClick();
        owner_->RestoreWindows();
        break;
    case WM_MOUSEMOVE:
        StartHover();
        break;
    default:
        break;
    }
}

void TTrayIcon::StartHover() {
    if (!owner_ || timer_->Running() || !hover_.OnMouseMove(owner_->Syncing())) return;
    POINT cursor{};
    GetCursorPos(&cursor);
    hoverRect_ = RECT{};
    if (HWND under = WindowFromPoint(cursor)) GetWindowRect(under, &hoverRect_);
    hover_.Started();
    timer_->Start(TrayHover::kPollMilliseconds);
}

void TTrayIcon::HoverTick() {
    timer_->Stop();
    POINT cursor{};
    GetCursorPos(&cursor);
    switch (hover_.OnTick(PtInRect(&hoverRect_, cursor) != FALSE)) {
    case TrayHover::Tick::Left:
        return;
    case TrayHover::Tick::ShowBalloon:
        ShowBalloon(owner_->TodayText(), owner_->TodayTitle(), 2);
        break;
    case TrayHover::Tick::KeepPolling:
        break;
    }
    StartHover();
}

}  // namespace tessel
