#include "app/win32_status_panel.h"

#include "base/text.h"
#include "ui/dpi_scale.h"
#include "win32/win32_dpi.h"
#include "win32/win32_handles.h"
#include "win32/win32_text.h"

namespace tessel {

using win32::W;

namespace {

constexpr int kBorder = 6;

}  // namespace

bool TStatusPanel::Make(HWND parent) {
    const wchar_t* cls = RegisterClassOnce(L"TesselMsgPanel", 0);
    return Create(0, cls, L"", WS_CHILD | WS_CLIPSIBLINGS, 16, kTop, kWidth, kHeight, parent);
}

void TStatusPanel::SetText(const std::u16string& text) {
    text_ = WithCrLf(text);
    // Also the window's text, where screen readers and the shell's tools look for it.
    SetWindowTextW(Handle(), W(text_));
    InvalidateRect(Handle(), nullptr, TRUE);
}

int TStatusPanel::Scaled(int length) const { return ScaleToDpi(length, win32::WindowDpi(Handle())); }

int TStatusPanel::Width() const { return Scaled(kWidth); }

void TStatusPanel::ShowAt(int left) {
    SetWindowPos(Handle(), HWND_TOP, left, Scaled(kTop), Scaled(kWidth), Scaled(kHeight), SWP_NOACTIVATE);
    ShowWindow(Handle(), SW_SHOWNA);
    UpdateWindow(Handle());
}

void TStatusPanel::Hide() { ShowWindow(Handle(), SW_HIDE); }

LRESULT TStatusPanel::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_LBUTTONUP:
        // A click puts the panel away, as an error text would otherwise cover the grid until the
        // next sync; the next status text shows it again.
        Hide();
        return 0;
    case WM_PAINT:
        Paint();
        return 0;
    default:
        return DefaultProc(msg, wp, lp);
    }
}

void TStatusPanel::Paint() {
    win32::PaintDc paint(Handle());
    RECT r;
    GetClientRect(Handle(), &r);
    FillRect(paint.get(), &r, GetSysColorBrush(COLOR_BTNFACE));
    FrameRect(paint.get(), &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&r, -Scaled(kBorder), -Scaled(kBorder));
    win32::FontHandle font(
        CreateFontW(-Scaled(11), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    win32::SelectGuard selectFont(paint.get(), font.get());
    SetBkMode(paint.get(), TRANSPARENT);
    SetTextColor(paint.get(), GetSysColor(COLOR_BTNTEXT));
    DrawTextW(paint.get(), W(text_), int(text_.size()), &r, DT_WORDBREAK | DT_NOPREFIX);
}

}  // namespace tessel
