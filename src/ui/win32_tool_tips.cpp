#include "ui/win32_tool_tips.h"

#include <commctrl.h>

#include <algorithm>

#include "win32/win32_text.h"

namespace tessel {

TToolTips::~TToolTips() {
    if (tip_ && IsWindow(tip_)) DestroyWindow(tip_);
}

void TToolTips::Create(HWND window) { window_ = window; }

void TToolTips::SetTool(UINT id, const RECT& rect, const std::u16string& text) {
    auto known = std::find_if(tools_.begin(), tools_.end(), [id](const Tool& tool) { return tool.id == id; });
    if (known == tools_.end()) known = tools_.insert(tools_.end(), Tool{id, rect, text});
    else *known = Tool{id, rect, text};
    if (tip_) Send(*known);
}

void TToolTips::PointerMoved(WPARAM wp, LPARAM lp) {
    if (tried_ || !window_) return;
    tried_ = true;
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_BAR_CLASSES};
    InitCommonControlsEx(&init);
    tip_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, TOOLTIPS_CLASSW, nullptr,
                           WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, window_, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!tip_) return;
    for (const Tool& tool : tools_) Send(tool);
    MSG move{window_, WM_MOUSEMOVE, wp, lp, static_cast<DWORD>(GetMessageTime()), {}};
    GetCursorPos(&move.pt);
    SendMessageW(tip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&move));
}

void TToolTips::Send(const Tool& tool) {
    std::u16string buffer = tool.text;
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_SUBCLASS;
    info.hwnd = window_;
    info.uId = tool.id;
    info.rect = tool.rect;
    info.lpszText = win32::W(buffer);
    TTTOOLINFOW known{};
    known.cbSize = sizeof(known);
    known.hwnd = window_;
    known.uId = tool.id;
    if (!SendMessageW(tip_, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&known))) {
        SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
        return;
    }
    SendMessageW(tip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
    SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
}

}  // namespace tessel
