// The resolution plumbing under Wine: the awareness the process asks for is read back as the
// system reports it (Wine 8 refuses per-monitor v2, so the program goes on through its fallbacks),
// and a window's given resolution is what it and its children answer.
#include "win32/win32_dpi.h"

#include <gtest/gtest.h>

namespace tessel::win32 {
namespace {

template <typename F>
F User32(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

// What the system says it granted, asked without the code under test.
DpiAwareness Granted() {
    using GetContext = HANDLE(WINAPI*)();
    using AwarenessOf = int(WINAPI*)(HANDLE);
    using AreEqual = BOOL(WINAPI*)(HANDLE, HANDLE);
    const auto getContext = User32<GetContext>("GetThreadDpiAwarenessContext");
    const auto awarenessOf = User32<AwarenessOf>("GetAwarenessFromDpiAwarenessContext");
    const auto equal = User32<AreEqual>("AreDpiAwarenessContextsEqual");
    if (!getContext || !awarenessOf) return IsProcessDPIAware() ? DpiAwareness::kSystem : DpiAwareness::kUnaware;
    const HANDLE context = getContext();
    if (equal && equal(context, reinterpret_cast<HANDLE>(intptr_t(-4)))) return DpiAwareness::kPerMonitorV2;
    const int awareness = awarenessOf(context);
    return awareness == 2 ? DpiAwareness::kPerMonitor : awareness == 1 ? DpiAwareness::kSystem : DpiAwareness::kUnaware;
}

TEST(Win32Dpi, TheAwarenessReadIsTheOneTheSystemGranted) {
    const DpiAwareness enabled = EnableDpiAwareness();
    EXPECT_EQ(enabled, Granted());
    EXPECT_EQ(CurrentDpiAwareness(), Granted());
    EXPECT_NE(enabled, DpiAwareness::kUnaware) << "no level of awareness was granted";
    EXPECT_TRUE(IsProcessDPIAware());
    // Asking again changes nothing.
    EXPECT_EQ(EnableDpiAwareness(), enabled);
}

TEST(Win32Dpi, AWindowsGivenResolutionIsItsAndItsChildrensUntilForgotten) {
    HDC screen = GetDC(nullptr);
    const int system = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    HWND top = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    HWND child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, top, nullptr, nullptr, nullptr);
    ASSERT_TRUE(top && child);
    const struct {
        int given, expected;
    } cases[] = {{0, system}, {144, 144}, {192, 192}, {0, system}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.given);
        SetWindowDpi(top, c.given);
        EXPECT_EQ(WindowDpi(top), c.expected);
        EXPECT_EQ(WindowDpi(child), c.expected);
        HDC dc = GetDC(child);
        EXPECT_EQ(DcDpi(dc), c.expected);
        ReleaseDC(child, dc);
    }
    // A system metric at a resolution scales with it.
    EXPECT_NEAR(SystemMetricAt(SM_CXSMICON, system * 3 / 2), GetSystemMetrics(SM_CXSMICON) * 1.5, 1);
    DestroyWindow(top);
}

}  // namespace
}  // namespace tessel::win32
