// tessel.exe at the display resolution of its Wine prefix (TESSEL_WINE_DPI, set by ctest): the
// run at 96 DPI writes the sizes of the main window, its month grid, the event list window, a day's
// balloon, the account and options dialogs and the tray icon's picture, and the heights of two texts (the month's name and the event
// list's date heading, labels as high as their font's text); the run at 144 DPI reads them and
// expects each 1.5 times as large, within a few pixels. Both runs save a screenshot of each window
// in TESSEL_DPI_OUT.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/text.h"
#include "e2e_month.h"
#include "e2e_setup.h"
#include "win32/win32_text.h"
#include "win32_e2e_grid.h"
#include "win32_e2e_pointer.h"
#include "win32_e2e_process.h"
#include "win32_e2e_screen.h"
#include "win32_e2e_shell.h"

namespace tessel::e2e {
namespace {

constexpr Millis kWindowTimeout{120000};
constexpr Millis kMessageTimeout{60000};
constexpr char kMorning[] = "2010-01-13 11:30:00";
// Allowed difference from 1.5 times the 96-DPI size: the rounding of each scaled length and of
// the fonts' measured heights.
constexpr int kSlack = 4;

constexpr WPARAM kAccountCommand = 104;
constexpr WPARAM kOptionsCommand = 105;
constexpr WPARAM kExitCommand = 109;
constexpr POINT kParking{1279, 799};

std::string OutDir() {
    const char* dir = std::getenv("TESSEL_DPI_OUT");
    return dir ? dir : "";
}

SIZE SizeOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

std::u16string TextOf(HWND window) {
    wchar_t text[4096] = {};
    const auto answered = SendWithin(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), kMessageTimeout);
    return answered ? win32::FromW(text) : std::u16string();
}

// A child window (at any depth) of the class with exactly this text.
HWND ChildWithText(HWND parent, const wchar_t* className, const std::u16string& text) {
    struct Search {
        const wchar_t* cls;
        const std::u16string* text;
        HWND found;
    } search{className, &text, nullptr};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            wchar_t cls[64];
            if (GetClassNameW(child, cls, 64) && wcscmp(cls, s->cls) == 0 && TextOf(child) == *s->text) {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The box of the picture the tray shows in the icon's window: the pixels that differ from the
// window's corner.
SIZE PictureInside(const e2e::Image& shot) {
    int left = shot.Width, top = shot.Height, right = -1, bottom = -1;
    for (int y = 0; y < shot.Height; ++y)
        for (int x = 0; x < shot.Width; ++x)
            if (!Near(shot.At(x, y), shot.At(0, 0), 24)) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    return right < 0 ? SIZE{0, 0} : SIZE{right - left + 1, bottom - top + 1};
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

TEST(DpiEndToEnd, WindowsScaleWithTheResolution) {
    const e2e::Setup setup = e2e::Setup::FromEnvironment();
    ASSERT_TRUE(setup.Missing().empty()) << "the fixture did not provide: " << setup.Missing();
    ASSERT_FALSE(OutDir().empty()) << "TESSEL_DPI_OUT is not set";
    const int dpi = ScreenDpi();
    ASSERT_TRUE(dpi == 96 || dpi == 144) << "the prefix reports " << dpi << " DPI";

    ProfileSettings settings;
    settings.Left = 40;
    settings.Top = 20;
    settings.ServiceHost = setup.ServiceHost();
    settings.EventWindowVisible = true;
    settings.EventLeft = 420;
    settings.EventTop = 20;
    ProgramFolder folder(setup, settings);
    const int signIns = setup.SignInCount();
    ProgramProcess process(folder.ProgramFile(), EnvironmentOverrides{{u"TESSEL_NOW", Widen(kMorning)}});
    HWND main = process.WaitForTopWindow(L"TMainFm", kWindowTimeout);
    HWND events = process.WaitForTopWindow(L"TEventFm", kWindowTimeout);
    ASSERT_TRUE(main && events) << "the program showed no main window or no event list window";
    // The start is over once both start-up syncs have ended and the list shows today's events:
    // the month has been laid out with the measured fonts by then, and a day's hint answers.
    HWND list = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        list = FindWindowExW(FindWindowExW(events, nullptr, L"TesselEventPanel", nullptr), nullptr, L"TesselEventGrid",
                             nullptr);
        return list && TextOf(list).find(u"Call the office") != std::u16string::npos &&
               StartUpSyncsEnded(main, setup.SignInCount() - signIns);
    }, kWindowTimeout)) << "the start-up did not end with today's events in the list";
    HWND grid = FindChildOfClass(main, L"TesselCalGrid");
    ASSERT_NE(grid, nullptr);
    ASSERT_TRUE(SendWithin(main, WM_NULL, 0, 0, kMessageTimeout));
    Sleep(1000);

    std::map<std::string, SIZE> sizes;
    const std::string prefix = OutDir() + "\\dpi" + std::to_string(dpi) + "-";
    const auto record = [&](const std::string& name, HWND window, bool screenshot) {
        sizes[name] = SizeOf(window);
        if (!screenshot) return;
        RECT r{};
        GetWindowRect(window, &r);
        EXPECT_TRUE(SaveBitmap(CaptureScreen(r), Widen(prefix + name + ".bmp"))) << name;
    };
    record("main", main, true);
    record("grid", grid, false);
    record("events", events, true);
    HWND monthName = nullptr, heading = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        monthName = FindChildOfClass(main, L"TesselCLabel");  // the window's only label
        heading = ChildWithText(events, L"TesselCLabel", u"Wednesday, January 13");
        return monthName && heading;
    }, kWindowTimeout)) << "the month's name or the date heading is not shown";
    record("month-name", monthName, false);
    record("date-heading", heading, false);

    // A day's balloon: the pointer rests on Friday, January 15 (the third row's Friday).
    const ExpectedMonth month = ExpectedMonth::Of(kTodayYear, kTodayMonth);
    const GridView view(grid, month);
    ASSERT_TRUE(view.Valid()) << view.GeometryProblem();
    const int cell = DayNumber(kTodayYear, kTodayMonth, 15) - month.FirstCell;
    const RECT box = view.ScreenBox(cell % 7, cell / 7);
    ASSERT_TRUE(MovePointer(POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2}));
    HWND balloon = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (balloon = VisibleTopWindow(process.Id(), L"TALHintBalloon")) != nullptr; },
                          kWindowTimeout))
        << "no balloon for a day the pointer rests on";
    Sleep(500);  // its animation
    record("balloon", balloon, true);
    MovePointer(kParking);

    // The account and options dialogs, each opened from the menu and cancelled.
    for (const auto& [command, name] :
         {std::pair{kAccountCommand, "account-dialog"}, std::pair{kOptionsCommand, "options-dialog"}}) {
        PostMessageW(main, WM_COMMAND, command, 0);
        HWND dialog = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (dialog = VisibleTopWindow(process.Id(), L"#32770")) != nullptr; },
                              kWindowTimeout))
            << name << " did not open";
        Sleep(500);
        record(name, dialog, true);
        PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, kMessageTimeout)) << name;
    }

    // The tray icon: the program hands the shell its icon at the system's small-icon size.
    const std::vector<HWND> trayIcons = TrayIcons();
    ASSERT_EQ(trayIcons.size(), 1u) << "the program's tray icon is not in the tray";
    RECT iconRect{};
    GetWindowRect(trayIcons[0], &iconRect);
    // The pointer rests away from the tray, so the screenshot holds the icon alone.
    MovePointer(POINT{iconRect.left - 200, iconRect.top - 200});
    Sleep(300);
    const e2e::Image iconShot = CaptureScreen(iconRect);
    EXPECT_TRUE(SaveBitmap(iconShot, Widen(prefix + "tray-icon.bmp")));
    sizes["tray-icon-picture"] = PictureInside(iconShot);
    EXPECT_GT(sizes["tray-icon-picture"].cx, 8) << "no picture in the tray icon";

    PostMessageW(main, WM_COMMAND, kExitCommand, 0);
    process.WaitForExit(kMessageTimeout);

    {
        std::ofstream out(prefix + "sizes.txt");
        for (const auto& [name, size] : sizes) out << name << ' ' << size.cx << ' ' << size.cy << '\n';
    }
    if (dpi == 96) return;

    std::ifstream in(OutDir() + "\\dpi96-sizes.txt");
    std::map<std::string, SIZE> base;
    std::string name;
    SIZE size{};
    while (in >> name >> size.cx >> size.cy) base[name] = size;
    for (const auto& [what, at144] : sizes) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(base.count(what)) << "no size from the run at 96 DPI";
        const SIZE at96 = base[what];
        // The labels are as high as their text: their height is the font's.
        const bool text = what == "month-name" || what == "date-heading";
        // A balloon is as wide as its longest line: the 8-point font is 11 pixels high at 96 DPI
        // (10.67 rounded) and 16 at 144, so its lines are about 3 % short of 1.5 times as wide.
        const double slack = what == "balloon" ? kSlack + at96.cx * 0.06 : kSlack;
        if (!text) {
            EXPECT_NEAR(at144.cx, at96.cx * 1.5, slack) << "width " << at96.cx << " at 96 DPI";
        }
        EXPECT_NEAR(at144.cy, at96.cy * 1.5, kSlack) << "height " << at96.cy << " at 96 DPI";
    }
}

}  // namespace
}  // namespace tessel::e2e
