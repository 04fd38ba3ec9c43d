#include "ui/win32_balloon.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <utility>

#include "base/text.h"
#include "ui/balloon_params.h"
#include "ui/win32_flat_scroll_bar.h"
#include "ui/win32_text_measure.h"
#include "win32/win32_dpi.h"
#include "win32/win32_text.h"

// A balloon is two windows: the shaped popup, which paints the window's colour and the black
// outline along its shape, and its content panel, a child inset by one pixel that paints the
// icon, title and text (and scrolls them with flat bars of its own when they do not fit).
// Balloons are owned by the process: a registry lists them for CloseAll, and each deletes itself
// when its release message arrives, so that nothing runs on a balloon after the message that
// closed it.

namespace tessel {

namespace {

constexpr UINT kReleaseMessage = WM_APP + 0x51;
constexpr UINT_PTR kDurationTimer = 1;
constexpr int kWheelStep = 3;  // lines per wheel notch

std::vector<TALHintBalloon*>& Registry() {
    static std::vector<TALHintBalloon*> live;
    return live;
}

// The drop shadow arrived with the NT line's version 5.1.
bool SystemHasDropShadow() {
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExW(&v)) return false;
#pragma GCC diagnostic pop
    return v.dwPlatformId == VER_PLATFORM_WIN32_NT &&
           (v.dwMajorVersion > 5 || (v.dwMajorVersion == 5 && v.dwMinorVersion >= 1));
}

// The form that was active when a balloon opened keeps its active look while the balloon holds
// the activation. Each balloon adds its own subclass; the common controls keep the chain intact
// whichever balloon removes its subclass first.
LRESULT CALLBACK NcActivateHook(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (msg == WM_NCACTIVATE) return 1;
    return DefSubclassProc(hwnd, msg, wp, lp);
}

// Lines in a right-to-left script are drawn with right-to-left reading order.
bool RightToLeft(const std::u16string& line) {
    return std::any_of(line.begin(), line.end(), [](char16_t c) {
        return (c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFF);
    });
}

void DrawLine(HDC dc, int x, int y, const std::u16string& line) {
    ExtTextOutW(dc, x, y, RightToLeft(line) ? ETO_RTLREADING : 0, nullptr,
                reinterpret_cast<const wchar_t*>(line.c_str()), UINT(line.size()), nullptr);
}

// The monitor under the spot (the nearest one when the spot is off every monitor).
TRect MonitorRect(POINT spot) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromPoint(spot, MONITOR_DEFAULTTONEAREST);
    if (monitor && GetMonitorInfoW(monitor, &info))
        return {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// Draws the icon bitmap with the colour of its bottom-left pixel left out.
void DrawIcon(HDC dc, const std::string& name, const TRect& at) {
    const std::wstring resource(name.begin(), name.end());
    win32::BitmapHandle bitmap(static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), resource.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap) return;
    BITMAP info{};
    GetObjectW(bitmap.get(), sizeof info, &info);
    win32::MemoryDc memory(CreateCompatibleDC(dc));
    win32::SelectGuard select(memory.get(), bitmap.get());
    const COLORREF transparent = GetPixel(memory.get(), 0, info.bmHeight - 1);
    // The 16 x 16 pictures fill the icon's place, which grows with the display scale.
    TransparentBlt(dc, at.Left, at.Top, at.Width(), at.Height(), memory.get(), 0, 0, info.bmWidth, info.bmHeight,
                   transparent);
}

}  // namespace

// The content panel: paints the content, scrolls it with its own flat scroll bars when it is
// larger than the panel, and closes the balloon on a click (clicks on the bars only scroll).
class TALHintBalloon::ContentPanel final : public win32::Window {
public:
    explicit ContentPanel(TALHintBalloon& owner) : owner_(owner) {}

    bool Make(HWND parent) {
        const TBalloonContent& c = owner_.content_;
        const wchar_t* cls = RegisterClassOnce(kPanelClassName, 0);
        if (!Create(0, cls, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, owner_.frame_.PanelTop, c.PanelWidth,
                    c.PanelHeight, parent))
            return false;
        if (c.Scrolls) {
            bars_.emplace(Handle(), kBalloonColor, c.LineHeight);
            // Along the visible edge: the outline covers the panel's last column and row.
            bars_->Reset(c.PanelWidth - owner_.metrics_.BorderWidth, c.PanelHeight - owner_.metrics_.BorderWidth, c.ScrollWidth,
                         c.ScrollHeight);
        }
        return true;
    }

    const TFlatScrollLayout* ScrollBars() const { return bars_ ? &bars_->Layout() : nullptr; }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        // Mouse messages on the bars, and all of them while a bar is held, are the bars'.
        if (msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK && bars_ && bars_->HandleMouse(msg, lp)) return 0;
        switch (msg) {
        case WM_ERASEBKGND:
            return 1;  // painted whole in WM_PAINT
        case WM_PAINT: {
            win32::PaintDc paint(Handle());
            Paint(paint.get());
            return 0;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            owner_.Close();
            return 0;
        case WM_MOUSEWHEEL:
            if (bars_) bars_->ScrollLines(GET_WHEEL_DELTA_WPARAM(wp) > 0 ? -kWheelStep : kWheelStep);
            return 0;
        case WM_TIMER:
            if (wp == TFlatScrollBars::kRepeatTimer && bars_) bars_->HandleRepeatTimer();
            return 0;
        case WM_CAPTURECHANGED:
            if (bars_) bars_->CaptureLost();
            return 0;
        }
        return DefaultProc(msg, wp, lp);
    }

private:
    POINT Offset() const { return bars_ ? bars_->Offset() : POINT{0, 0}; }

    void Paint(HDC target) {
        RECT client{};
        GetClientRect(Handle(), &client);
        if (client.right <= 0 || client.bottom <= 0) return;
        // Drawn off screen and copied in one piece, so scrolling does not flicker.
        win32::MemoryDc dc(CreateCompatibleDC(target));
        win32::BitmapHandle bitmap(CreateCompatibleBitmap(target, client.right, client.bottom));
        win32::SelectGuard selectBitmap(dc.get(), bitmap.get());
        win32::BrushHandle background(CreateSolidBrush(kBalloonColor));
        FillRect(dc.get(), &client, background.get());

        const TBalloonContent& c = owner_.content_;
        const POINT off = Offset();
        if (!c.IconName.empty()) DrawIcon(dc.get(), c.IconName, c.Icon.Moved(-off.x, -off.y));
        {
            TDcCanvas canvas(dc.get(), owner_.dpi_);
            SetBkMode(dc.get(), TRANSPARENT);
            if (c.HasTitle) {
                canvas.Font() = BalloonFont(true);
                canvas.Prepare();
                DrawLine(dc.get(), c.Title.Left - off.x, c.Title.Top - off.y, FirstLine(owner_.title_));
            }
            canvas.Font() = BalloonFont(false);
            canvas.Prepare();
            // Only the lines in view are drawn: a day's text may have hundreds.
            const int first = std::max(0, int(off.y - c.Text.Top) / std::max(c.LineHeight, 1));
            for (size_t i = size_t(first); i < c.TextLines.size(); ++i) {
                const int y = c.Text.Top + int(i) * c.LineHeight - off.y;
                if (y > client.bottom) break;
                DrawLine(dc.get(), c.Text.Left - off.x, y, c.TextLines[i]);
            }
        }
        if (bars_) bars_->Paint(dc.get());
        BitBlt(target, 0, 0, client.right, client.bottom, dc.get(), 0, 0, SRCCOPY);
    }

    // The title is one line; a line break in it ends what is shown.
    static std::u16string FirstLine(const std::u16string& title) {
        std::u16string line = title.substr(0, title.find_first_of(u"\r\n"));
        std::replace(line.begin(), line.end(), u'\t', u' ');
        return line;
    }

    TALHintBalloon& owner_;
    std::optional<TFlatScrollBars> bars_;
};

TALHintBalloon::TALHintBalloon(const std::u16string& title, const std::u16string& text, std::string params)
    : title_(title), text_(text), params_(std::move(params)) {
    Registry().push_back(this);
}

TALHintBalloon::~TALHintBalloon() {
    auto& live = Registry();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    UnhookForm();
    panel_.reset();
}

std::vector<TALHintBalloon*> TALHintBalloon::Live() { return Registry(); }

HWND TALHintBalloon::Panel() const { return panel_ ? panel_->Handle() : nullptr; }

const TFlatScrollLayout* TALHintBalloon::ScrollBars() const { return panel_ ? panel_->ScrollBars() : nullptr; }

bool TALHintBalloon::PlaceAndShow(int x, int y, HWND anchor, int duration, int placement,
                                  TALHintBalloonAnimationType animation, int animationSpeed) {
    static const UINT classStyle = SystemHasDropShadow() ? CS_DROPSHADOW : 0;
    const wchar_t* cls = RegisterClassOnce(kClassName, classStyle);
    if (!Create(WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_TOPMOST, cls, L"", WS_POPUP, 0, 0, 0, 0,
                GetDesktopWindow()))
        return false;
    // Not shown (the window has no caption): what assistive tools and other programs read.
    SetWindowTextW(Handle(), win32::W(title_ + u"\r\n" + text_));
    HookActiveForm();

    // With an anchor control the arrow points just below the mouse pointer, not at the control.
    TRect anchorRect{x, y, x, y};
    if (anchor) {
        POINT p{};
        GetCursorPos(&p);
        anchorRect = {p.x, p.y + 3, p.x + 1, p.y + 4};
    }
    const POINT spot{anchorRect.Left, anchorRect.Top};
    const TRect screen = MonitorRect(spot);
    // The room is counted in the monitor's pixels, with the balloon's lengths at its resolution.
    dpi_ = win32::MonitorDpi(MonitorFromPoint(spot, MONITOR_DEFAULTTONEAREST));
    metrics_ = TBalloonMetrics::At(dpi_);
    const TBalloonRooms rooms = BalloonRooms(anchorRect, screen, metrics_);
    const TBalloonSize max = MaxContentSize(rooms, screen, metrics_);
    AppendBalloonParam(params_, "MainPanelMaxWidth", std::to_string(max.Width));
    AppendBalloonParam(params_, "MainPanelMaxHeight", std::to_string(max.Height));
    {
        win32::WindowDc screenDc(nullptr);
        TDcCanvas canvas(screenDc.get(), dpi_);
        content_ = BuildContent(canvas, params_, title_, text_, dpi_);
    }

    const TBalloonSize panel{content_.PanelWidth, content_.PanelHeight};
    frame_ = BalloonFrame(ChoosePlacement(placement, panel, rooms), panel, anchorRect, screen, metrics_);
    const TRect& w = frame_.Window;
    SetWindowPos(Handle(), HWND_TOPMOST, w.Left, w.Top, w.Width(), w.Height(), SWP_NOACTIVATE);
    panel_ = std::make_unique<ContentPanel>(*this);
    if (!panel_->Make(Handle())) return false;
    ApplyRegions();

    ShowWindow(Handle(), SW_HIDE);
    Animate(animation, animationSpeed);
    ShowWindow(Handle(), SW_SHOW);
    SetFocus(Handle());
    InvalidateRect(Handle(), nullptr, TRUE);
    if (duration > 0) SetTimer(Handle(), kDurationTimer, UINT(duration), nullptr);
    return true;
}

void TALHintBalloon::HookActiveForm() {
    HWND active = GetActiveWindow();
    if (active && active != Handle() && SetWindowSubclass(active, NcActivateHook, reinterpret_cast<UINT_PTR>(this), 0))
        hookedForm_ = active;
}

void TALHintBalloon::UnhookForm() {
    if (!hookedForm_) return;
    RemoveWindowSubclass(hookedForm_, NcActivateHook, reinterpret_cast<UINT_PTR>(this));
    hookedForm_ = nullptr;
}

void TALHintBalloon::ApplyRegions() {
    const TBalloonShape s = BalloonShape(frame_.Placement, frame_.Window.Width(), frame_.Window.Height(), metrics_);
    const int corner = metrics_.Corner;
    win32::RegionHandle shape(CreateRoundRectRgn(s.Body.Left, s.Body.Top, s.Body.Right, s.Body.Bottom, corner, corner));
    POINT arrow[3];
    for (size_t i = 0; i < 3; ++i) arrow[i] = POINT{s.Arrow[i].X, s.Arrow[i].Y};
    win32::RegionHandle triangle(CreatePolygonRgn(arrow, 3, WINDING));
    CombineRgn(shape.get(), shape.get(), triangle.get(), RGN_OR);
    if (SetWindowRgn(Handle(), shape.get(), TRUE)) shape.release();  // the window owns it now

    const TRect p = PanelShape(TBalloonSize{content_.PanelWidth, content_.PanelHeight}, metrics_);
    win32::RegionHandle panelShape(CreateRoundRectRgn(p.Left, p.Top, p.Right, p.Bottom, corner, corner));
    if (SetWindowRgn(panel_->Handle(), panelShape.get(), TRUE)) panelShape.release();
}

void TALHintBalloon::Animate(TALHintBalloonAnimationType animation, int speed) {
    if (animation == TALHintBalloonAnimationType::batNone || speed <= 0) return;
    // Looked up at run time: systems without it show the balloon at once.
    using AnimateFn = BOOL(WINAPI*)(HWND, DWORD, DWORD);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    FARPROC found = user32 ? GetProcAddress(user32, "AnimateWindow") : nullptr;
    auto animate = reinterpret_cast<AnimateFn>(reinterpret_cast<void*>(found));
    if (animate) animate(Handle(), DWORD(speed), AnimationFlags(animation));
}

void TALHintBalloon::PaintOutline(HDC dc) {
    win32::RegionHandle shape(CreateRectRgn(0, 0, 0, 0));
    if (GetWindowRgn(Handle(), shape.get()) != ERROR)
        FrameRgn(dc, shape.get(), static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)), 1, 1);
}

void TALHintBalloon::Close() {
    if (closing_ || !Handle()) return;
    closing_ = true;
    PostMessageW(Handle(), kReleaseMessage, 0, 0);
}

LRESULT TALHintBalloon::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND: {
        RECT client{};
        GetClientRect(Handle(), &client);
        win32::BrushHandle background(CreateSolidBrush(kBalloonColor));
        FillRect(reinterpret_cast<HDC>(wp), &client, background.get());
        return 1;
    }
    case WM_PAINT: {
        win32::PaintDc paint(Handle());
        PaintOutline(paint.get());
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        Close();
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE) Close();
        return 0;
    case WM_MOUSEWHEEL:
        // The wheel reaches the focused window, which is this one: the panel scrolls.
        if (panel_ && panel_->Handle()) return SendMessageW(panel_->Handle(), msg, wp, lp);
        return 0;
    case WM_TIMER:
        if (wp == kDurationTimer) {
            KillTimer(Handle(), kDurationTimer);
            Close();
        }
        return 0;
    case kReleaseMessage:
        delete this;  // nothing below touches the object
        return 0;
    }
    return DefaultProc(msg, wp, lp);
}

TALHintBalloonControl::~TALHintBalloonControl() { CloseAll(); }

TALHintBalloon* TALHintBalloonControl::ShowTextBalloon(uint8_t kind, const std::u16string& title,
                                                       const std::u16string& text, int bestWidth, int x, int y,
                                                       HWND anchor, uint8_t placement) {
    std::string params;
    AppendBalloonParam(params, "IconeResName", BalloonIconName(kind));
    AppendBalloonParam(params, "Title", Narrow(title));
    AppendBalloonParam(params, "Text", Narrow(text));
    AppendBalloonParam(params, "MainPanelBestWidth", std::to_string(bestWidth));
    auto balloon = std::make_unique<TALHintBalloon>(title, text, std::move(params));
    if (!balloon->PlaceAndShow(x, y, anchor, Duration, placement, AnimationType, AnimationSpeed)) return nullptr;
    return balloon.release();  // it frees itself when it closes
}

int TALHintBalloonControl::CloseAll() {
    const std::vector<TALHintBalloon*> live = TALHintBalloon::Live();
    for (TALHintBalloon* balloon : live) delete balloon;
    return int(live.size());
}

}  // namespace tessel
