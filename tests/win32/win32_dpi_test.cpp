// The resolution plumbing under Wine: the awareness the process asks for is read back as the
// system reports it (Wine 8 refuses per-monitor v2, so the program goes on through its fallbacks),
// and a window's given resolution is what it and its children answer.
#include "win32/win32_dpi.h"

#include <gtest/gtest.h>

namespace tessel::win32 {
namespace {

// The process's awareness as the shell's core library reports it (0 unaware, 1 system, 2 per
// monitor, either version), another way in than the thread's context the code reads; -1 when
// the library does not answer.
int ProcessAwareness() {
    HMODULE shcore = LoadLibraryW(L"shcore.dll");
    using Get = HRESULT(WINAPI*)(HANDLE, int*);
    const auto get = shcore ? reinterpret_cast<Get>(reinterpret_cast<void*>(GetProcAddress(shcore, "GetProcessDpiAwareness")))
                            : nullptr;
    int value = -1;
    if (!get || FAILED(get(nullptr, &value))) value = -1;
    if (shcore) FreeLibrary(shcore);
    return value;
}

TEST(Win32Dpi, TheAwarenessReadIsTheOneTheSystemGranted) {
    const DpiAwareness enabled = EnableDpiAwareness();
    EXPECT_NE(enabled, DpiAwareness::kUnaware) << "no level of awareness was granted";
    const int expected = enabled == DpiAwareness::kSystem ? 1 : enabled == DpiAwareness::kUnaware ? 0 : 2;
    EXPECT_EQ(ProcessAwareness(), expected);
    EXPECT_EQ(CurrentDpiAwareness(), enabled);
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
