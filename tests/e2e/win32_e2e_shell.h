#pragma once
// The notification area as another program sees it under Wine: the icons of its tray (a window
// per icon, which relays the mouse to the icon's owner as the owner's callback message), the
// balloons on screen and what they say, and the owner's pop-up menu that a right click opens.
#include <windows.h>

#include <string>
#include <vector>

#include "win32_e2e_process.h"

namespace tessel::e2e {

// The shell shows a balloon a moment after it was asked for (Wine waits two seconds for the
// icon to be in place): how long to watch before saying that none came.
inline constexpr Millis kBalloonDelay{6000};

struct Balloon {
    HWND Window = nullptr;
    std::u16string Text;
};

// The balloon tooltips on screen now, of any process, with their texts. The shell shows a tray
// icon's NIF_INFO balloon as a balloon-styled tooltip window; its WM_GETTEXT answers the text.
std::vector<Balloon> VisibleBalloons();

// The tray's icon windows, docked or in the stand-alone tray.
std::vector<HWND> TrayIcons();
// A right-button release on the icon, as the user's click would reach it.
void RightClick(HWND trayIcon);

// The visible pop-up menu of a process (class "#32768"), or null.
HWND PopupMenuOf(DWORD processId);
// Escape, as the user would close the menu.
void CloseMenu(HWND menu);

}  // namespace tessel::e2e
