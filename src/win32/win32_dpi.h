#pragma once
// The display resolution a window is drawn at. The manifest asks for per-monitor awareness;
// where the system ignores it (or refuses the newer levels, as Wine does) the process asks again
// at start-up, stepping down to per-monitor, then system-aware. The windows never assume what
// was granted: they ask each window's resolution, through the functions of the system they run
// on (looked up at run time, so the program still starts on systems without them).
#include <windows.h>

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace tessel::win32 {

enum class DpiAwareness { kUnaware, kSystem, kPerMonitor, kPerMonitorV2 };

// Makes the process DPI-aware if the manifest did not, at the best level the system grants, and
// answers the level in force.
DpiAwareness EnableDpiAwareness();
// The level in force for this thread's windows.
DpiAwareness CurrentDpiAwareness();

// The resolution a top-level window was last given: at its creation, then by each WM_DPICHANGED.
// WindowDpi answers it for the window and every child of it, ahead of the system: a per-monitor
// system without GetDpiForWindow tells a window's new resolution only through that message. A
// dpi of 0 forgets it (the window's end does).
void SetWindowDpi(HWND window, int dpi);
// The resolution the window (or its top-level window) was given by SetWindowDpi, else that of the
// monitor it is on (per-monitor awareness), else the system's.
int WindowDpi(HWND window);
// The resolution of a monitor (per-monitor awareness), else the system's.
int MonitorDpi(HMONITOR monitor);
// A system metric (a size in pixels) at dpi: the system's own answer where it has one for a
// resolution, else its answer at the system's resolution, scaled.
int SystemMetricAt(int index, int dpi);
// The resolution to draw at on a device context: its window's, when it belongs to one, else its own.
int DcDpi(HDC dc);

}  // namespace tessel::win32
