#include "win32/win32_dpi.h"

#include <cstdint>
#include <initializer_list>

namespace tessel::win32 {

namespace {

// DPI_AWARENESS_CONTEXT values (a handle type in newer headers).
using Context = HANDLE;
const Context kContextPerMonitorV2 = reinterpret_cast<Context>(intptr_t(-4));
const Context kContextPerMonitor = reinterpret_cast<Context>(intptr_t(-3));
const Context kContextSystem = reinterpret_cast<Context>(intptr_t(-2));

template <typename F>
F User32(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

// The window property that holds a top-level window's given resolution.
const wchar_t kDpiProperty[] = L"TesselDpi";

int DeviceDpi(HDC dc) {
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace

DpiAwareness CurrentDpiAwareness() {
    using GetContext = Context(WINAPI*)();
    using AwarenessOf = int(WINAPI*)(Context);
    using AreEqual = BOOL(WINAPI*)(Context, Context);
    const auto getContext = User32<GetContext>("GetThreadDpiAwarenessContext");
    const auto awarenessOf = User32<AwarenessOf>("GetAwarenessFromDpiAwarenessContext");
    if (getContext && awarenessOf) {
        const Context context = getContext();
        const auto equal = User32<AreEqual>("AreDpiAwarenessContextsEqual");
        if (equal && equal(context, kContextPerMonitorV2)) return DpiAwareness::kPerMonitorV2;
        switch (awarenessOf(context)) {
        case 1: return DpiAwareness::kSystem;
        case 2: return DpiAwareness::kPerMonitor;
        default: return DpiAwareness::kUnaware;
        }
    }
    using IsAware = BOOL(WINAPI*)();
    const auto isAware = User32<IsAware>("IsProcessDPIAware");
    return isAware && isAware() ? DpiAwareness::kSystem : DpiAwareness::kUnaware;
}

DpiAwareness EnableDpiAwareness() {
    if (CurrentDpiAwareness() != DpiAwareness::kUnaware) return CurrentDpiAwareness();
    using SetContext = BOOL(WINAPI*)(Context);
    if (const auto setContext = User32<SetContext>("SetProcessDpiAwarenessContext")) {
        for (Context context : {kContextPerMonitorV2, kContextPerMonitor, kContextSystem})
            if (setContext(context)) return CurrentDpiAwareness();
    }
    // Windows 8.1: the shell's core library, 2 per-monitor, 1 system-aware.
    if (HMODULE shcore = LoadLibraryW(L"shcore.dll")) {
        using SetAwareness = HRESULT(WINAPI*)(int);
        const auto set = reinterpret_cast<SetAwareness>(reinterpret_cast<void*>(GetProcAddress(shcore, "SetProcessDpiAwareness")));
        const bool done = set && (SUCCEEDED(set(2)) || SUCCEEDED(set(1)));
        // The library stays loaded: the process keeps what it set.
        if (done) return CurrentDpiAwareness();
    }
    using SetAware = BOOL(WINAPI*)();
    if (const auto setAware = User32<SetAware>("SetProcessDPIAware")) setAware();
    return CurrentDpiAwareness();
}

void SetWindowDpi(HWND window, int dpi) {
    if (!window) return;
    if (dpi > 0) {
        SetPropW(window, kDpiProperty, reinterpret_cast<HANDLE>(intptr_t(dpi)));
    } else {
        RemovePropW(window, kDpiProperty);
    }
}

int WindowDpi(HWND window) {
    if (HWND root = window ? GetAncestor(window, GA_ROOT) : nullptr) {
        const auto given = int(reinterpret_cast<intptr_t>(GetPropW(root, kDpiProperty)));
        if (given > 0) return given;
    }
    using GetDpi = UINT(WINAPI*)(HWND);
    static const auto getDpi = User32<GetDpi>("GetDpiForWindow");
    if (getDpi && window) {
        const UINT dpi = getDpi(window);
        if (dpi > 0) return int(dpi);
    }
    HDC dc = GetDC(window);
    const int dpi = DeviceDpi(dc);
    if (dc) ReleaseDC(window, dc);
    return dpi;
}

int MonitorDpi(HMONITOR monitor) {
    // Windows 8.1's shell core library; MDT_EFFECTIVE_DPI is 0.
    using GetForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const GetForMonitor getForMonitor = [] {
        HMODULE shcore = LoadLibraryW(L"shcore.dll");
        return shcore ? reinterpret_cast<GetForMonitor>(reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    UINT x = 0, y = 0;
    if (getForMonitor && monitor && SUCCEEDED(getForMonitor(monitor, 0, &x, &y)) && y > 0) return int(y);
    HDC screen = GetDC(nullptr);
    const int dpi = DeviceDpi(screen);
    if (screen) ReleaseDC(nullptr, screen);
    return dpi;
}

int SystemMetricAt(int index, int dpi) {
    using ForDpi = int(WINAPI*)(int, UINT);
    static const auto forDpi = User32<ForDpi>("GetSystemMetricsForDpi");
    if (forDpi && dpi > 0) return forDpi(index, UINT(dpi));
    HDC screen = GetDC(nullptr);
    const int system = DeviceDpi(screen);
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? MulDiv(GetSystemMetrics(index), dpi, system) : GetSystemMetrics(index);
}

int DcDpi(HDC dc) {
    HWND window = dc ? WindowFromDC(dc) : nullptr;
    return window ? WindowDpi(window) : DeviceDpi(dc);
}

}  // namespace tessel::win32
