#include "win32_e2e_shell.h"

#include <commctrl.h>

#include "win32/win32_text.h"

namespace tessel::e2e {

namespace {

constexpr wchar_t kTrayIconClass[] = L"__winex11_tray_icon";
constexpr wchar_t kStandaloneTrayClass[] = L"__winex11_standalone_tray";
constexpr wchar_t kMenuClass[] = L"#32768";

bool HasClass(HWND window, const wchar_t* className) {
    wchar_t cls[64];
    return GetClassNameW(window, cls, 64) > 0 && wcscmp(cls, className) == 0;
}

BOOL CALLBACK CollectBalloon(HWND window, LPARAM lp) {
    if (!IsWindowVisible(window) || !HasClass(window, TOOLTIPS_CLASSW)) return TRUE;
    if (!(GetWindowLongW(window, GWL_STYLE) & TTS_BALLOON)) return TRUE;
    wchar_t text[512] = {};
    // A tooltip of another process: the text comes through a sent WM_GETTEXT, not the window's title.
    if (!SendWithin(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), Millis(5000))) return TRUE;
    reinterpret_cast<std::vector<Balloon>*>(lp)->push_back(Balloon{window, win32::FromW(text)});
    return TRUE;
}

BOOL CALLBACK CollectTrayIcons(HWND window, LPARAM lp) {
    auto* icons = reinterpret_cast<std::vector<HWND>*>(lp);
    if (HasClass(window, kTrayIconClass)) {
        icons->push_back(window);
    } else if (HasClass(window, kStandaloneTrayClass)) {
        for (HWND icon = FindWindowExW(window, nullptr, kTrayIconClass, nullptr); icon;
             icon = FindWindowExW(window, icon, kTrayIconClass, nullptr))
            icons->push_back(icon);
    }
    return TRUE;
}

struct MenuSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindMenu(HWND window, LPARAM lp) {
    auto* search = reinterpret_cast<MenuSearch*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process || !IsWindowVisible(window) || !HasClass(window, kMenuClass)) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

std::vector<Balloon> VisibleBalloons() {
    std::vector<Balloon> balloons;
    EnumWindows(CollectBalloon, reinterpret_cast<LPARAM>(&balloons));
    return balloons;
}

std::vector<HWND> TrayIcons() {
    std::vector<HWND> icons;
    EnumWindows(CollectTrayIcons, reinterpret_cast<LPARAM>(&icons));
    return icons;
}

void RightClick(HWND trayIcon) { PostMessageW(trayIcon, WM_RBUTTONUP, 0, MAKELPARAM(4, 4)); }

HWND PopupMenuOf(DWORD processId) {
    MenuSearch search{processId, nullptr};
    EnumWindows(FindMenu, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void CloseMenu(HWND menu) { PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0); }

}  // namespace tessel::e2e
