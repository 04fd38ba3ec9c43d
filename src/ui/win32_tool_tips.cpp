#include "ui/win32_tool_tips.h"

#include <commctrl.h>

#include "win32/win32_text.h"

namespace tessel {

TToolTips::~TToolTips() {
    if (tip_ && IsWindow(tip_)) DestroyWindow(tip_);
}

void TToolTips::Create(HWND window) {
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_BAR_CLASSES};
    InitCommonControlsEx(&init);
    window_ = window;
    tip_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, TOOLTIPS_CLASSW, nullptr,
                           WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, window, nullptr, GetModuleHandleW(nullptr), nullptr);
}

void TToolTips::SetTool(UINT id, const RECT& rect, const std::u16string& text) {
    if (!tip_) return;
    std::u16string buffer = text;
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = id;
    tool.rect = rect;
    tool.lpszText = win32::W(buffer);
    TTTOOLINFOW known{};
    known.cbSize = sizeof(known);
    known.hwnd = window_;
    known.uId = id;
    if (!SendMessageW(tip_, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&known))) {
        SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        return;
    }
    SendMessageW(tip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace tessel
