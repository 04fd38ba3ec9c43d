// tessel.exe at the display resolution of its Wine prefix (TESSEL_WINE_DPI, set by ctest): the
// run at 96 DPI writes the sizes of the main window, its month grid and the event list window; the
// run at 144 DPI reads them and expects each 1.5 times as large, within a few pixels. The grid's
// rows are the day font's text height, so its height follows the font's. Both runs save a
// screenshot of each window in TESSEL_DPI_OUT.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "base/text.h"
#include "e2e_setup.h"
#include "win32_e2e_process.h"
#include "win32_e2e_screen.h"

namespace tessel::e2e {
namespace {

constexpr Millis kWindowTimeout{120000};
constexpr Millis kMessageTimeout{60000};
constexpr char kMorning[] = "2010-01-13 11:30:00";
// Allowed difference from 1.5 times the 96-DPI size: the rounding of each scaled length and of
// the fonts' measured heights.
constexpr int kSlack = 4;

struct Sizes {
    SIZE Main{}, Grid{}, Events{};
};

std::string OutDir() {
    const char* dir = std::getenv("TESSEL_DPI_OUT");
    return dir ? dir : "";
}

SIZE SizeOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return SIZE{r.right - r.left, r.bottom - r.top};
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
    ProgramProcess process(folder.ProgramFile(), EnvironmentOverrides{{u"TESSEL_NOW", Widen(kMorning)}});
    HWND main = process.WaitForTopWindow(L"TMainFm", kWindowTimeout);
    HWND events = process.WaitForTopWindow(L"TEventFm", kWindowTimeout);
    ASSERT_TRUE(main && events) << "the program showed no main window or no event list window";
    HWND grid = nullptr;
    // The grid takes its size from the month once the fonts are measured, at the deferred start.
    ASSERT_TRUE(WaitUntil([&] {
        grid = FindChildOfClass(main, L"TesselCalGrid");
        return grid && SizeOf(grid).cy > 40;
    }, kWindowTimeout)) << "the month grid never got its size";
    ASSERT_TRUE(SendWithin(main, WM_NULL, 0, 0, kMessageTimeout));
    Sleep(1000);

    Sizes now{SizeOf(main), SizeOf(grid), SizeOf(events)};
    const std::string prefix = OutDir() + "\\dpi" + std::to_string(dpi) + "-";
    EXPECT_TRUE(SaveBitmap(CaptureWindow(main), Widen(prefix + "main.bmp")));
    EXPECT_TRUE(SaveBitmap(CaptureWindow(events), Widen(prefix + "events.bmp")));
    {
        std::ofstream out(prefix + "sizes.txt");
        out << now.Main.cx << ' ' << now.Main.cy << ' ' << now.Grid.cx << ' ' << now.Grid.cy << ' ' << now.Events.cx
            << ' ' << now.Events.cy << '\n';
    }
    if (dpi == 96) return;

    std::ifstream in(OutDir() + "\\dpi96-sizes.txt");
    Sizes base;
    ASSERT_TRUE(in >> base.Main.cx >> base.Main.cy >> base.Grid.cx >> base.Grid.cy >> base.Events.cx >> base.Events.cy)
        << "no sizes from the run at 96 DPI";
    const auto expectScaled = [](const char* what, SIZE at96, SIZE at144) {
        EXPECT_NEAR(at144.cx, at96.cx * 3 / 2.0, kSlack) << what << " width: " << at96.cx << " at 96 DPI";
        EXPECT_NEAR(at144.cy, at96.cy * 3 / 2.0, kSlack) << what << " height: " << at96.cy << " at 96 DPI";
    };
    expectScaled("main window", base.Main, now.Main);
    expectScaled("month grid (rows of the day font)", base.Grid, now.Grid);
    expectScaled("event list window", base.Events, now.Events);
}

}  // namespace
}  // namespace tessel::e2e
