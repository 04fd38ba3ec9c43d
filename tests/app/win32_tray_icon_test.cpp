#include "app/win32_tray_icon.h"

#include <gtest/gtest.h>

#include "win32/win32_text.h"

namespace tessel {
namespace {

class FakeOwner : public ITrayOwner {
public:
    bool Syncing() const override { return syncing; }
    std::u16string TodayText() const override { return u"All Day - A"; }
    std::u16string TodayTitle() const override { return u"10-05 today events:"; }
    void ShowPopupMenu() override { ++popups; }
    void RestoreWindows() override { ++restores; }

    bool syncing = false;
    int popups = 0;
    int restores = 0;
};

// A plain top-level window to receive the icon's callbacks.
struct TestWindow {
    TestWindow() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"TesselTrayTestWindow";
        RegisterClassW(&wc);
        hwnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                               wc.hInstance, nullptr);
    }
    ~TestWindow() { DestroyWindow(hwnd); }
    HWND hwnd;
};

TEST(Win32TrayIconTest, AddFillsTheVersionThreeRecordAndDeleteRemovesIt) {
    FakeOwner owner;
    TestWindow window;
    ASSERT_NE(window.hwnd, nullptr);
    TTrayIcon tray(&owner);
    ASSERT_TRUE(tray.AddIcon(window.hwnd));
    const NOTIFYICONDATAW& data = tray.TrayData();
    EXPECT_EQ(data.cbSize, NOTIFYICONDATAW_V3_SIZE);
    EXPECT_EQ(data.uFlags, UINT(NIF_MESSAGE | NIF_ICON));
    EXPECT_EQ(data.uCallbackMessage, 0x3402u);
    EXPECT_EQ(data.hWnd, window.hwnd);
    EXPECT_NE(data.hIcon, nullptr);
    EXPECT_EQ(win32::FromW(data.szTip), u"Tessel Desktop");
    // The shell knows the icon: modifying it succeeds while it is added, and fails after delete.
    NOTIFYICONDATAW probe = data;
    probe.uFlags = NIF_TIP;
    EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &probe));
    tray.DeleteIcon();
    EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &probe));
    tray.DeleteIcon();  // a second delete does nothing
}

TEST(Win32TrayIconTest, BalloonTextsAreCutToTheirFields) {
    FakeOwner owner;
    TestWindow window;
    TTrayIcon tray(&owner);
    ASSERT_TRUE(tray.AddIcon(window.hwnd));
    tray.ShowBalloon(std::u16string(400, u'e'), std::u16string(100, u't'), 50);
    const NOTIFYICONDATAW& data = tray.TrayData();
    EXPECT_EQ(data.uFlags, UINT(NIF_INFO));
    EXPECT_EQ(win32::FromW(data.szInfo).size(), 255u);
    EXPECT_EQ(win32::FromW(data.szInfoTitle).size(), 63u);
    EXPECT_EQ(data.uTimeout, 5000u);
    EXPECT_EQ(data.dwInfoFlags, DWORD(NIIF_INFO));
}

TEST(Win32TrayIconTest, ClicksReachTheOwnerAndSuppressTheHoverBalloon) {
    FakeOwner owner;
    TestWindow window;
    TTrayIcon tray(&owner);
    ASSERT_TRUE(tray.AddIcon(window.hwnd));
    tray.HandleMessage(WM_RBUTTONUP);
    EXPECT_EQ(owner.popups, 1);
    EXPECT_EQ(tray.ShownCount(), 10);
    tray.HandleMessage(WM_LBUTTONDOWN);
    EXPECT_EQ(owner.restores, 1);
    tray.HandleMessage(WM_LBUTTONDBLCLK);  // ignored
    EXPECT_EQ(owner.popups + owner.restores, 2);
}

}  // namespace
}  // namespace tessel
