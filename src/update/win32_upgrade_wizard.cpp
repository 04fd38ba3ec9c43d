// The wizard is a plain modeless tool window: the checker keeps working on the message loop the
// program already runs, and the transfer's reports repaint it as they come.
#include "update/win32_upgrade_wizard.h"

#include <commctrl.h>

#include "base/text.h"
#include "win32/win32_text.h"

namespace tessel::update {

namespace {

using win32::W;

enum Line { kAddress, kCounter, kSize, kRate, kTimeLeft };
constexpr int kWidth = 380;
constexpr int kMargin = 10;
constexpr int kLineHeight = 18;
constexpr int kAbortId = 100;

}  // namespace

bool TauAutoUpgraderWizardForm::Show(HWND owner) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    const wchar_t* cls = RegisterClassOnce(kWizardClass, 0, nullptr, GetSysColorBrush(COLOR_BTNFACE));
    const int progressTop = kMargin + 5 * kLineHeight + kMargin;
    const int buttonTop = progressTop + 18 + kMargin;
    const int clientHeight = buttonTop + 26 + kMargin;
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    RECT frame{0, 0, kWidth, clientHeight};
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    if (!Create(WS_EX_DLGMODALFRAME, cls, W(std::u16string(texts_.Caption)), style,
                (GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width,
                height, owner))
        return false;
    const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    for (int i = 0; i < 5; ++i) {
        labels_[i] = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS,
                                     kMargin, kMargin + i * kLineHeight, kWidth - 2 * kMargin, kLineHeight, Handle(),
                                     nullptr, nullptr, nullptr);
        SendMessageW(labels_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    progress_ = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, kMargin, progressTop,
                                kWidth - 2 * kMargin, 18, Handle(), nullptr, nullptr, nullptr);
    SendMessageW(progress_, PBM_SETRANGE32, 0, 100);
    HWND abort = CreateWindowExW(0, L"BUTTON", W(std::u16string(texts_.Abort)), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                                 (kWidth - 88) / 2, buttonTop, 88, 26, Handle(),
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kAbortId)), nullptr, nullptr);
    SendMessageW(abort, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ShowWindow(Handle(), SW_SHOW);
    return true;
}

void TauAutoUpgraderWizardForm::SetText(HWND control, const std::u16string& text) { SetWindowTextW(control, W(text)); }

void TauAutoUpgraderWizardForm::ShowFile(const std::string& url, int number, int count) {
    SetText(Label(kAddress), Widen(url));
    SetText(Label(kCounter), FormatText(texts_.Downloading, {static_cast<long long>(number), static_cast<long long>(count)}));
    ShowFigures({});
}

void TauAutoUpgraderWizardForm::ShowFigures(const TransferFigures& f) {
    SetText(Label(kSize), FormatText(texts_.FileSize, {f.SizeKb}));
    SetText(Label(kRate), FormatText(texts_.TransferRate, {f.RateKbPerSec}));
    SetText(Label(kTimeLeft), FormatText(texts_.TimeLeft, {static_cast<long long>(f.Hours),
                                                           static_cast<long long>(f.Minutes),
                                                           static_cast<long long>(f.Seconds)}));
    SendMessageW(progress_, PBM_SETPOS, f.Percent, 0);
}

LRESULT TauAutoUpgraderWizardForm::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wp) == kAbortId && onAbort_) onAbort_();
        return 0;
    case WM_CLOSE:
        if (onAbort_) onAbort_();
        return 0;
    default:
        return DefaultProc(msg, wp, lp);
    }
}

}  // namespace tessel::update
