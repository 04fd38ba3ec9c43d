// The calendar window moved to a monitor of 1.5 times the resolution under Wine, which never sends
// WM_DPICHANGED by itself: the message is sent in-process as the system sends it (the new
// resolution in wParam, the suggested rectangle in lParam), with the default theme and an account
// whose service does not answer. Read back by what the windows show: their sizes, the month's name
// as drawn on the screen, the event list window that stays at its own resolution, and profile.xml
// and a second start at the place the system reported.
#include <gtest/gtest.h>

#include <string>

#include "app/win32_main_form.h"
#include "app/win32_tray_icon.h"
#include "base/clock.h"
#include "base/date_time.h"
#include "base/file_io.h"
#include "base/text.h"
#include "calendar/account.h"
#include "calendar/balloon_sink.h"
#include "calendar/calendar.h"
#include "calendar/event_sources.h"
#include "calendar/http.h"
#include "calendar/locale_format.h"
#include "calendar/service_hosts.h"
#include "calendar/subscriptions.h"
#include "support/temp_folder.h"
#include "ui/profile.h"
#include "ui/skin.h"
#include "ui/theme.h"
#include "ui/win32_drawing.h"
#include "win32/win32_dpi.h"
#include "win32_e2e_screen.h"

namespace tessel {
namespace {

class NoBalloons final : public IBalloonSink {
public:
    void ShowBalloon(const std::u16string&, const std::u16string&, int) override {}
};

RECT RectOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}
int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// A child window (at any depth) of the class, optionally with this text.
HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text = nullptr) {
    struct Search {
        const wchar_t* cls;
        const wchar_t* text;
        HWND found;
    } search{cls, text, nullptr};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            wchar_t name[64] = {}, text[128] = {};
            GetClassNameW(child, name, 64);
            GetWindowTextW(child, text, 128);
            if (wcscmp(name, s->cls) != 0 || (s->text && wcscmp(text, s->text) != 0)) return TRUE;
            s->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The height of the text drawn in the colour inside the window, as the screen shows it: from the
// first to the last row holding a pixel of that colour. The screen shows a moved layered window
// a moment after it painted, and a first read may still hold some of the old pixels: the
// window's messages run and the screen is read again until two reads agree, for up to three
// seconds.
int InkHeight(HWND window, COLORREF color) {
    RedrawWindow(GetAncestor(window, GA_ROOT), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    int previous = 0;
    for (int attempt = 0; attempt < 30; ++attempt) {
        const e2e::Image shot = e2e::CaptureWindow(window);
        int first = -1, last = -1;
        for (int y = 0; y < shot.Height; ++y)
            for (int x = 0; x < shot.Width; ++x)
                if (e2e::Near(shot.At(x, y), color, 24)) {
                    if (first < 0) first = y;
                    last = y;
                    break;
                }
        const int height = first >= 0 ? last - first + 1 : 0;
        if (height > 0 && height == previous) return height;
        previous = height;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(100);
    }
    return previous;
}

void SendDpiChanged(HWND window, int dpi, const RECT& suggested) {
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

constexpr int kLeft = 120, kTop = 90;

class MainWindowDpi : public ::testing::Test {
protected:
    void SetUp() override {
        InitWideDrawing();
        WriteFileAtomic(folder.File(u"profile.xml"),
                        "<profile>\r\n"
                        "  <window left=\"" + std::to_string(kLeft) + "\" top=\"" + std::to_string(kTop) +
                            "\" height=\"0\" transparency=\"100\" visible=\"1\"/>\r\n"
                            "  <update interval=\"60\" days=\"7\"/>\r\n  <run startup=\"0\"/>\r\n"
                            "  <eventwindow left=\"600\" top=\"90\" height=\"0\" width=\"0\" visible=\"1\"/>\r\n"
                            "</profile>\r\n");
        TAccount writer(folder.Folder());
        writer.SetCredentials("ana@example.org", "secret");
        writer.Save();
        // Nothing listens on the discard port: every sync fails at once, as with no network.
        hosts.Service = hosts.Accounts = hosts.Maker = "127.0.0.1:9";
    }

    // A start as the program makes it (the build puts the shipped theme beside the suite).
    void Start() {
        form = std::make_unique<TMainFm>(MainFormServices{*profile, account, calendar, subscriptions, sources, theme, mainSkin, tray, clock,
                                                          hosts, eventSkin, nullptr, &http});
        tray.SetOwner(form.get());
        form->FormCreate();
        form->DeferredStart();
        RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }

    void Stop() {
        tray.SetOwner(nullptr);
        form.reset();
        // The window's end posts the quit message that ends the program's loop; not this one's.
        MSG quit;
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }

    void TearDown() override { Stop(); }

    testing::TempFolder folder;
    std::unique_ptr<TProfile> profile = std::make_unique<TProfile>(folder.Folder());
    FixedClock clock{EncodeDateTime(2010, 1, 13, 11, 30)};
    DefaultLocaleFormat locale;
    NoBalloons balloons;
    ServiceHosts hosts;
    THttp http;
    TAccount account{folder.Folder()};
    TCalendar calendar{http, &account, clock, hosts, folder.Folder()};
    TSubscriptions subscriptions{folder.Folder()};
    TEventSources sources{calendar, account, subscriptions, http, clock, locale, balloons, folder.Folder()};
    TTheme theme;
    TSkin mainSkin;
    TTrayIcon tray{nullptr};
    TSkin eventSkin;
    std::unique_ptr<TMainFm> form;
};

TEST_F(MainWindowDpi, TheWindowGrowsItsFontsWithItAndTheEventListKeepsItsOwnResolution) {
    Start();
    HWND main = form->Handle();
    HWND title = Child(main, L"TesselCLabel");
    HWND events = FindWindowW(L"TEventFm", nullptr);
    ASSERT_TRUE(title && events);
    HWND heading = Child(events, L"TesselCLabel", L"Wednesday, January 13");
    ASSERT_NE(heading, nullptr) << "the event list shows no date heading";
    const int base = win32::WindowDpi(main);
    const RECT mainBefore = RectOf(main), titleBefore = RectOf(title), headingBefore = RectOf(heading);
    const int inkBefore = InkHeight(title, theme.DateFont.Color);
    ASSERT_GT(inkBefore, 4) << "the month's name is not on the screen";

    // Moved to a monitor at 1.5 times the resolution: the place is the suggested one, the size the
    // month laid out again in fonts 1.5 times as high.
    const RECT suggested{kLeft + 40, kTop + 30, kLeft + 40 + Width(mainBefore) * 3 / 2,
                         kTop + 30 + Height(mainBefore) * 3 / 2};
    SendDpiChanged(main, base * 3 / 2, suggested);
    const RECT mainAfter = RectOf(main), titleAfter = RectOf(title);
    EXPECT_EQ(win32::WindowDpi(main), base * 3 / 2);
    EXPECT_EQ(mainAfter.left, suggested.left);
    EXPECT_EQ(mainAfter.top, suggested.top);
    EXPECT_NEAR(Width(mainAfter), Width(mainBefore) * 1.5, 4);
    EXPECT_NEAR(Height(mainAfter), Height(mainBefore) * 1.5, 4);
    EXPECT_NEAR(Height(titleAfter), Height(titleBefore) * 1.5, 2) << "the label measured its text anew";
    EXPECT_NEAR(InkHeight(title, theme.DateFont.Color), inkBefore * 1.5, 2) << "the month's name as drawn";
    // The name stays whole and centred on the window.
    EXPECT_GE(titleAfter.left, mainAfter.left);
    EXPECT_LE(titleAfter.right, mainAfter.right);
    EXPECT_NEAR((titleAfter.left + titleAfter.right) / 2, (mainAfter.left + mainAfter.right) / 2, 2);
    // The event list window is on its own monitor still: its heading keeps its size.
    const RECT headingAfter = RectOf(heading);
    EXPECT_EQ(Height(headingAfter), Height(headingBefore));
    EXPECT_EQ(Width(headingAfter), Width(headingBefore));

    // The place goes into profile.xml as the system reported it, and the next start comes up there.
    Stop();
    profile->Save();
    TxdataNode stored;
    stored.LoadFromBytes(ReadFileBytes(folder.File(u"profile.xml")));
    EXPECT_EQ(stored.ReadValue(u"window/left"), Widen(std::to_string(suggested.left)));
    EXPECT_EQ(stored.ReadValue(u"window/top"), Widen(std::to_string(suggested.top)));
    EXPECT_EQ(stored.ReadValue(u"window/height"), Widen(std::to_string(Height(mainAfter))));
    profile = std::make_unique<TProfile>(folder.Folder());
    Start();
    const RECT restarted = RectOf(form->Handle());
    EXPECT_EQ(restarted.left, suggested.left);
    EXPECT_EQ(restarted.top, suggested.top);
}

}  // namespace
}  // namespace tessel
