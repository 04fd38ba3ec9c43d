// The day hint end to end: the pointer is moved on the virtual screen (xdotool, as a user's hand
// would move it; SetCursorPos where xdotool cannot be started) over the demo month of a running
// tessel.exe, and the test watches the program's balloon windows: one comes for the day the
// pointer rests on, with that day's events; a sweep across days shows none; the balloon goes
// after its display time. A screenshot of the hover balloon is left beside the fixture
// (hover-balloon.bmp).
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "base/text.h"
#include "e2e_month.h"
#include "e2e_setup.h"
#include "win32_e2e_grid.h"
#include "win32_e2e_pointer.h"
#include "win32_e2e_process.h"
#include "win32_e2e_screen.h"
#include "win32/win32_text.h"

namespace tessel::e2e {
namespace {

constexpr Millis kWindowTimeout{120000};
constexpr Millis kReadyTimeout{180000};
constexpr Millis kMessageTimeout{120000};
// The balloon comes 700 ms after the pointer rests and stays 8 s; these bound the waits on a
// busy machine, they are not what is checked.
constexpr Millis kBalloonTimeout{15000};
constexpr Millis kGoneTimeout{30000};
constexpr Millis kQuietPeriod{2500};
constexpr WPARAM kExitCommand = 109;
constexpr char kMorning[] = "2010-01-13 11:30:00";
// A place on the 1280 x 800 screen no other end-to-end run uses, with room for the balloon.
constexpr int kHintLeft = 560, kHintTop = 120;
// Where the pointer is parked afterwards: no test's window reaches there.
constexpr POINT kParking{1279, 799};

std::string WindowText(HWND hwnd) {
    wchar_t buffer[4096]{};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 5000,
                             &copied))
        return {};
    return Utf16ToUtf8(win32::FromW(buffer));
}

// The outline and the text are black; the balloon itself is pale yellow.
int DarkPixels(const Image& image) {
    int dark = 0;
    for (COLORREF c : image.Pixels) dark += GetRValue(c) + GetGValue(c) + GetBValue(c) < 150;
    return dark;
}

POINT Middle(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

class DayHintEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        setup_ = e2e::Setup::FromEnvironment();
        ASSERT_TRUE(setup_.Missing().empty()) << "the fixture did not provide: " << setup_.Missing();
        ProfileSettings settings;
        settings.Left = kHintLeft;
        settings.Top = kHintTop;
        settings.ServiceHost = setup_.ServiceHost();
        folder_ = std::make_unique<ProgramFolder>(setup_, settings);
        const int signIns = setup_.SignInCount();
        process_ = std::make_unique<ProgramProcess>(folder_->ProgramFile(),
                                                    EnvironmentOverrides{{u"TESSEL_NOW", Widen(kMorning)}});
        ASSERT_TRUE(process_->Started());
        window_ = process_->WaitForTopWindow(L"TMainFm", kWindowTimeout);
        ASSERT_NE(window_, nullptr) << "no main window";
        ASSERT_TRUE(WaitUntil([&] { return (grid_ = FindWindowExW(window_, nullptr, L"TesselCalGrid", nullptr)); },
                              kWindowTimeout));
        // Ready once today's cell carries today's fill and the start-up has finished.
        const GridColors colors = GridColors::FromTheme(setup_.Theme);
        const int today = DayNumber(kTodayYear, kTodayMonth, kTodayDay) - month_.FirstCell;
        ASSERT_TRUE(WaitUntil(
            [&] {
                const GridView view(grid_, month_);
                return view.Valid() && view.FillShare(today % 7, today / 7, colors.Today) >= 0.15;
            },
            kReadyTimeout))
            << "the grid never showed the month";
        // The hint passes over the pointer while a sync runs, so the pointer waits for the start-up.
        ASSERT_TRUE(WaitUntil([&] { return StartUpSyncsEnded(window_, setup_.SignInCount() - signIns); }, kReadyTimeout))
            << "the start-up syncs did not end; the status says "
            << Utf16ToUtf8(ShownStatus(window_).value_or(u"(hidden)"));
        ASSERT_TRUE(SendWithin(window_, WM_NULL, 0, 0, kMessageTimeout));
    }

    void TearDown() override {
        MovePointer(kParking);
        if (window_) PostMessageW(window_, WM_COMMAND, kExitCommand, 0);
        if (process_) process_->WaitForExit(Millis(60000));
    }

    // The middle of a day's cell on the screen.
    POINT DayPoint(int day) const {
        const GridView view(grid_, month_);
        const int cell = DayNumber(kTodayYear, kTodayMonth, day) - month_.FirstCell;
        return Middle(view.ScreenBox(cell % 7, cell / 7));
    }

    e2e::Setup setup_;
    ExpectedMonth month_ = ExpectedMonth::Of(kTodayYear, kTodayMonth);
    std::unique_ptr<ProgramFolder> folder_;
    std::unique_ptr<ProgramProcess> process_;
    HWND window_ = nullptr;
    HWND grid_ = nullptr;
};

TEST_F(DayHintEndToEnd, RestingOnADayShowsItsEventsSweepingShowsNoneAndTheBalloonGoes) {
    const DWORD id = process_->Id();
    // A sweep across five days of the second week in one xdotool run, ending on the week
    // numbers: no balloon at any time.
    std::string sweep;
    for (int day = 3; day <= 7; ++day) {
        const POINT p = DayPoint(day);
        sweep += "mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) + " sleep 0.1 ";
    }
    const POINT weekNumber{DayPoint(3).x - GridView(grid_, month_).ColWidth(), DayPoint(3).y};
    sweep += "mousemove " + std::to_string(weekNumber.x) + " " + std::to_string(weekNumber.y);
    if (!Xdotool(sweep)) {
        for (int day = 3; day <= 7; ++day) {
            const POINT p = DayPoint(day);
            SetCursorPos(p.x, p.y);
            Sleep(100);
        }
        SetCursorPos(weekNumber.x, weekNumber.y);
    }
    EXPECT_TRUE(WaitUntil([&] { return PointerAt(weekNumber); }, kPointerTimeout));
    EXPECT_FALSE(WaitUntil([&] { return VisibleTopWindow(id, L"TALHintBalloon") != nullptr; }, kQuietPeriod)) << "a sweep showed a balloon";

    // Friday, January 15: the yoga class and the dentist.
    ASSERT_TRUE(MovePointer(DayPoint(15)));
    HWND balloon = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (balloon = VisibleTopWindow(id, L"TALHintBalloon")) != nullptr; }, kBalloonTimeout))
        << "no balloon for a day the pointer rests on";
    const std::string text = WindowText(balloon);
    EXPECT_NE(text.find("Friday 01-15"), std::string::npos) << text;
    EXPECT_NE(text.find("Yoga"), std::string::npos) << text;
    EXPECT_NE(text.find("Dentist"), std::string::npos) << text;
    EXPECT_EQ(text.find("Team stand-up"), std::string::npos) << "today's events in another day's balloon: " << text;

    // Below the pointer, on screen, outlined and written on; saved for a person to look at.
    RECT r{};
    GetWindowRect(balloon, &r);
    const int outline = 2 * ((r.right - r.left) + (r.bottom - r.top));
    EXPECT_TRUE(WaitUntil([&] { return DarkPixels(CaptureScreen(r)) > outline + 50; }, kBalloonTimeout))
        << "the balloon shows no outline and text";
    EXPECT_GT(r.top, DayPoint(15).y);
    EXPECT_LE(r.bottom, GetSystemMetrics(SM_CYSCREEN));
    RECT grid{};
    GetWindowRect(window_, &grid);
    RECT both{};
    UnionRect(&both, &grid, &r);
    InflateRect(&both, 10, 10);
    SaveBitmap(CaptureScreen(both), (setup_.FixtureDir / u"hover-balloon.bmp").u16string());

    EXPECT_TRUE(WaitUntil([&] { return VisibleTopWindow(id, L"TALHintBalloon") == nullptr; }, kGoneTimeout)) << "the balloon stayed";
}

}  // namespace
}  // namespace tessel::e2e
