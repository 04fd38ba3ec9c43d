// tessel.exe's event list window end to end, against the ctest fixture's local service with the
// demo data around 2010-01-13 12:00 and "now" fixed at 11:30: what the list shows for today and
// for a double-clicked day, the countdown to the reminder event 45 minutes ahead, closing and
// "Show Canlendar", a resize by the bottom grip, and the window's place across a restart. One
// run serves the checks in the order they are declared; the last one ends it and starts the
// folder again.
//
// The window reads itself out for screen readers (the list's rows, the heading, the next title
// and the countdown as window texts); the checks read those texts and the pixels on screen.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/title_bar_layout.h"
#include "base/file_io.h"
#include "base/text.h"
#include "e2e_month.h"
#include "e2e_png.h"
#include "e2e_setup.h"
#include "win32_e2e_grid.h"
#include "win32_e2e_pointer.h"
#include "win32_e2e_process.h"
#include "win32_e2e_screen.h"
#include "win32_e2e_shell.h"
#include "win32/win32_text.h"
#include "xml/xdata_node.h"

namespace tessel::e2e {
namespace {

constexpr Millis kWindowTimeout{120000};
constexpr Millis kReadyTimeout{180000};
constexpr Millis kMessageTimeout{120000};
constexpr Millis kExitTimeout{60000};
constexpr Millis kRedrawTimeout{30000};

constexpr char kMorning[] = "2010-01-13 11:30:00";
constexpr WPARAM kShowCalendarCommand = 101;
constexpr WPARAM kExitCommand = 109;
constexpr UINT kTrayCallback = 0x3402;
// Top left of the screen, apart from the other end-to-end runs (their windows lie from y 300 on).
constexpr int kMainLeft = 40, kTop = 20, kEventLeft = 280;
constexpr POINT kMovedTo{333, 44};
constexpr SIZE kResizedTo{230, 260};
constexpr int kEventWindowHeight = 181;  // its height as designed
// Where the pointer is left afterwards: no test's window reaches there.
constexpr POINT kParking{1279, 799};

// The demo's calendar colours as the rows are filled: #2952A3 work, #0D7813 birthdays.
constexpr COLORREF kWorkColor = RGB(0x29, 0x52, 0xA3);
constexpr COLORREF kDaysColor = RGB(0x0D, 0x78, 0x13);

const Setup& TheSetup() {
    static const Setup setup = Setup::FromEnvironment();
    return setup;
}

std::u16string TextOf(HWND window) {
    wchar_t text[4096] = {};
    const auto answered = SendWithin(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), kMessageTimeout);
    return answered ? win32::FromW(text) : std::u16string();
}

// The first child of the window (at any depth) with this class whose text satisfies the test.
HWND FindChild(HWND parent, const wchar_t* className, const std::function<bool(const std::u16string&)>& test) {
    struct Search {
        const wchar_t* cls;
        const std::function<bool(const std::u16string&)>* test;
        HWND found;
    } search{className, &test, nullptr};
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            wchar_t cls[64];
            if (GetClassNameW(child, cls, 64) && wcscmp(cls, s->cls) == 0 && (*s->test)(TextOf(child))) {
                s->found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string Utf8(const std::u16string& text) { return Utf16ToUtf8(text); }

struct EventRun {
    std::unique_ptr<ProgramFolder> Folder;
    std::unique_ptr<ProgramProcess> Process;
    HWND Main = nullptr;
    HWND Events = nullptr;
    HWND List = nullptr;
    std::string Problem;

    // Starts the folder and waits until the list shows today's reminder event.
    void Start() {
        Process = std::make_unique<ProgramProcess>(ProgramFile(), EnvironmentOverrides{{u"TESSEL_NOW", Widen(kMorning)}});
        Main = Process->WaitForTopWindow(L"TMainFm", kWindowTimeout);
        Events = Process->WaitForTopWindow(L"TEventFm", kWindowTimeout);
        if (!Main || !Events) {
            Problem = "the program showed no main window or no event list window";
            return;
        }
        if (!WaitUntil([&] { return (List = FindWindowExW(FindWindowExW(Events, nullptr, L"TesselEventPanel", nullptr),
                                                          nullptr, L"TesselEventGrid", nullptr)) != nullptr; },
                       kRedrawTimeout)) {
            Problem = "the event list window has no list";
            return;
        }
        if (!WaitUntil([&] { return Utf8(TextOf(List)).find("Call the office") != std::string::npos; }, kReadyTimeout))
            Problem = "the list never showed today's events: " + Utf8(TextOf(List));
        // The start-up ends with a repaint; let it finish.
        if (Problem.empty() && !SendWithin(Main, WM_NULL, 0, 0, kMessageTimeout)) Problem = "no answer";
    }
    std::u16string ProgramFile() const { return Folder->ProgramFile(); }
    HWND Label(const std::function<bool(const std::u16string&)>& test) const {
        return FindChild(Events, L"TesselCLabel", test);
    }
};

std::unique_ptr<EventRun> gRun;

EventRun& TheRun() {
    if (!gRun) {
        gRun = std::make_unique<EventRun>();
        ProfileSettings settings;
        settings.Left = kMainLeft;
        settings.Top = kTop;
        settings.ServiceHost = TheSetup().ServiceHost();
        settings.EventWindowVisible = true;
        settings.EventLeft = kEventLeft;
        settings.EventTop = kTop;
        gRun->Folder = std::make_unique<ProgramFolder>(TheSetup(), settings);
        gRun->Start();
    }
    return *gRun;
}

class EndEnvironment : public ::testing::Environment {
public:
    void TearDown() override { gRun.reset(); }
};
[[maybe_unused]] const auto* const kEnd = ::testing::AddGlobalTestEnvironment(new EndEnvironment);

class EventWindowEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string missing = TheSetup().Missing();
        ASSERT_TRUE(missing.empty()) << "the fixture did not provide: " << missing;
    }
};

#define ASSERT_RUNNING(run) ASSERT_TRUE((run).Problem.empty()) << (run).Problem

TEST_F(EventWindowEndToEnd, ListsTodaysEventsAndCountsDownToTheReminderEvent) {
    EventRun& run = TheRun();
    ASSERT_RUNNING(run);
    EXPECT_TRUE(IsWindowVisible(run.Events));
    // All-day first, then by start, each in its calendar's colour; the titles as the feed has them
    // (the apostrophe of "Grandma's" is cleaned away as every feed text is).
    EXPECT_EQ(Utf8(TextOf(run.List)),
              "All Day - Grandmas birthday\r\n9:30 AM-9:45 AM - Team stand-up\r\n"
              "12:15 PM-12:45 PM - Call the office (reminder test)\r\n12:30 PM-1:30 PM - Lunch with Zo\xC3\xAB\r\n"
              "6:00 PM-7:30 PM - Caf\xC3\xA9 with Ana\xC3\xAFs");
    EXPECT_NE(run.Label([](const std::u16string& t) { return t == u"Wednesday, January 13"; }), nullptr);

    // 12:15 is 45 minutes after the program's start at 11:30, and its clock has run on since.
    const auto countdownText = [](const std::u16string& t) {
        return t.size() == 18 && t.rfind(u"0 hours 4", 0) == 0 && t.substr(10) == u" minutes";
    };
    HWND countdown = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (countdown = run.Label(countdownText)) != nullptr; }, kRedrawTimeout))
        << "no countdown of 0 hours and 40 to 45 minutes";
    EXPECT_TRUE(IsWindowVisible(countdown));
    EXPECT_NE(run.Label([](const std::u16string& t) { return t == u"Call the office (reminder test)"; }), nullptr);

    Image list, figures;
    ASSERT_TRUE(WaitUntil(
        [&] {
            list = CaptureWindow(run.List);
            figures = CaptureWindow(countdown);
            RECT all{0, 0, list.Width, list.Height};
            RECT box{0, 0, figures.Width, figures.Height};
            return !list.Empty() && ShareNear(list, all, kWorkColor, 12) > 0.15 &&
                   ShareNear(list, all, kDaysColor, 12) > 0.03 && ShareNear(figures, box, RGB(0, 0, 0), 60) > 0.03;
        },
        kRedrawTimeout))
        << "the rows or the countdown's figures are not on screen";

    // Both windows side by side, for people to look at, once today's balloon has gone.
    WaitUntil([] { return VisibleBalloons().empty(); }, kBalloonDelay + Millis(10000));
    RECT main{}, events{};
    GetWindowRect(run.Main, &main);
    GetWindowRect(run.Events, &events);
    RECT both{};
    UnionRect(&both, &main, &events);
    InflateRect(&both, 10, 10);
    EXPECT_TRUE(SavePng(CaptureScreen(both), TheSetup().FixtureDir.parent_path() / "event-window.png"));
}

TEST_F(EventWindowEndToEnd, DoubleClickOnADayListsThatDaysEvents) {
    EventRun& run = TheRun();
    ASSERT_RUNNING(run);
    const HWND grid = FindWindowExW(run.Main, nullptr, L"TesselCalGrid", nullptr);
    ASSERT_NE(grid, nullptr);
    // The grid is 8 columns by the week rows and a header: January 2010 has six week rows.
    const ExpectedMonth month = ExpectedMonth::Of(2010, 1);
    RECT client{};
    GetClientRect(grid, &client);
    const int colWidth = (client.right - 1) / 8, rowHeight = (client.bottom - 1) / (month.WeekCount + 1);
    const int friday15 = DayNumber(2010, 1, 15) - month.FirstCell;  // cells from the grid's first Sunday
    const int x = (1 + friday15 % 7) * colWidth + colWidth / 2, y = (1 + friday15 / 7) * rowHeight + rowHeight / 2;
    PostMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    PostMessageW(grid, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(x, y));

    EXPECT_TRUE(WaitUntil([&] { return Utf8(TextOf(run.List)) == "7:00 AM-8:00 AM - Yoga\r\n8:15 AM-9:00 AM - Dentist"; },
                          kRedrawTimeout))
        << Utf8(TextOf(run.List));
    EXPECT_NE(run.Label([](const std::u16string& t) { return t == u"Friday, January 15"; }), nullptr);
}

TEST_F(EventWindowEndToEnd, CloseHidesItTheTrayLeavesItHiddenAndShowCanlendarBringsItBack) {
    EventRun& run = TheRun();
    ASSERT_RUNNING(run);
    ASSERT_TRUE(IsWindowVisible(run.Events));
    const HWND title = FindWindowExW(run.Events, nullptr, L"TesselEventTitle", nullptr);
    ASSERT_NE(title, nullptr);
    RECT bar{};
    GetClientRect(title, &bar);
    const LPARAM close = MAKELPARAM(bar.right - 21 + 8, 5 + 8);
    PostMessageW(title, WM_LBUTTONDOWN, MK_LBUTTON, close);
    PostMessageW(title, WM_LBUTTONUP, 0, close);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(run.Events); }, kRedrawTimeout)) << "the close image did not hide it";

    // A left click on the tray icon brings back only the windows meant to be visible.
    ASSERT_TRUE(SendWithin(run.Main, kTrayCallback, 0, WM_LBUTTONDOWN, kMessageTimeout));
    EXPECT_FALSE(IsWindowVisible(run.Events));
    EXPECT_TRUE(IsWindowVisible(run.Main));

    ASSERT_TRUE(SendWithin(run.Main, WM_COMMAND, kShowCalendarCommand, 0, kMessageTimeout));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(run.Events) != FALSE; }, kRedrawTimeout));
}

// The visible tooltip window of the program, with its text; null when none shows.
HWND ShownHint(DWORD processId, std::u16string& text) {
    const HWND hint = VisibleTopWindow(processId, TOOLTIPS_CLASSW);
    text = hint ? TextOf(hint) : std::u16string();
    return hint;
}

// The pointer resting on each image of both title bars brings the image's hint, next to it.
TEST_F(EventWindowEndToEnd, TitleBarImagesShowTheirHintsWhereThePointerRests) {
    EventRun& run = TheRun();
    ASSERT_RUNNING(run);
    ASSERT_TRUE(SendWithin(run.Main, WM_COMMAND, kShowCalendarCommand, 0, kMessageTimeout));
    RECT main{};
    GetWindowRect(run.Main, &main);
    const TitleBarLayout bar{main.right - main.left, GridColors::FromTheme(TheSetup().Theme).TitleBarHeight};
    const auto centre = [](const RECT& window, const TRect& r) {
        return POINT{window.left + (r.Left + r.Right) / 2, window.top + (r.Top + r.Bottom) / 2};
    };
    struct Spot {
        POINT at;
        std::u16string hint;
    };
    std::vector<Spot> images;
    for (int b = 0; b < kTitleButtonCount; ++b) images.push_back({centre(main, bar.ButtonRect(b)), kTitleButtonLooks[b].Hint});
    const HWND title = FindWindowExW(run.Events, nullptr, L"TesselEventTitle", nullptr);
    ASSERT_NE(title, nullptr);
    RECT events{};
    GetWindowRect(title, &events);
    images.push_back({POINT{events.left + 7 + 8, events.top + 5 + 8}, u"Menu"});
    images.push_back({POINT{events.right - 21 + 8, events.top + 5 + 8}, u"Close"});

    for (const Spot& image : images) {
        SCOPED_TRACE(Utf8(image.hint));
        // Away first, so that each image's hint comes anew.
        ASSERT_TRUE(MovePointer(kParking));
        std::u16string text;
        WaitUntil([&] { return !ShownHint(run.Process->Id(), text); }, kRedrawTimeout);
        ASSERT_TRUE(MovePointer(image.at));
        ASSERT_TRUE(MovePointer(POINT{image.at.x + 1, image.at.y}));  // a rest after a move
        HWND hint = nullptr;
        EXPECT_TRUE(WaitUntil([&] { return (hint = ShownHint(run.Process->Id(), text)) && text == image.hint; },
                              kRedrawTimeout))
            << "the hint says \"" << Utf8(text) << "\"";
        if (!hint) continue;
        RECT r{};
        GetWindowRect(hint, &r);
        EXPECT_LT(std::abs(r.left - image.at.x), 48) << "the hint is not beside the image";
        EXPECT_LT(std::abs(r.top - image.at.y), 48) << "the hint is not beside the image";
    }
    ASSERT_TRUE(MovePointer(kParking));
}

// Runs last: it ends the run and starts the folder again.
TEST_F(EventWindowEndToEnd, PlaceAndSizeSurviveARestart) {
    EventRun& run = TheRun();
    ASSERT_RUNNING(run);
    ASSERT_TRUE(SendWithin(run.Main, WM_COMMAND, kShowCalendarCommand, 0, kMessageTimeout));
    // Moved and made wider by the program's calls, then taller as a user would: the bottom grip
    // dragged down with the pointer.
    ASSERT_TRUE(SetWindowPos(run.Events, nullptr, kMovedTo.x, kMovedTo.y, kResizedTo.cx, kEventWindowHeight,
                             SWP_NOZORDER | SWP_NOACTIVATE));
    RECT placed{};
    ASSERT_TRUE(WaitUntil([&] { return GetWindowRect(run.Events, &placed) && placed.left == kMovedTo.x; }, kRedrawTimeout));
    const POINT grip{placed.left + kResizedTo.cx / 2, placed.bottom - 3};
    ASSERT_TRUE(DragPointer(grip, {grip.x, grip.y + kResizedTo.cy - kEventWindowHeight}));
    RECT sized{};
    ASSERT_TRUE(WaitUntil([&] { return GetWindowRect(run.Events, &sized) && sized.bottom - sized.top == kResizedTo.cy; },
                          kRedrawTimeout))
        << "after the drag: " << sized.right - sized.left << " x " << sized.bottom - sized.top;
    MovePointer(kParking);

    PostMessageW(run.Main, WM_COMMAND, kExitCommand, 0);
    ASSERT_TRUE(run.Process->WaitForExit(kExitTimeout));
    TxdataNode profile;
    profile.LoadFromBytes(ReadTextAsCrLf(run.Folder->File(u"profile.xml")));
    const auto value = [&](const char16_t* path) { return Trim(Narrow(profile.ReadValue(path))); };
    EXPECT_EQ(value(u"eventwindow/left"), std::to_string(kMovedTo.x));
    EXPECT_EQ(value(u"eventwindow/top"), std::to_string(kMovedTo.y));
    EXPECT_EQ(value(u"eventwindow/width"), std::to_string(kResizedTo.cx));
    EXPECT_EQ(value(u"eventwindow/height"), std::to_string(kResizedTo.cy));
    EXPECT_EQ(value(u"eventwindow/visible"), "1");

    run.Start();
    ASSERT_RUNNING(run);
    RECT after{};
    GetWindowRect(run.Events, &after);
    EXPECT_EQ(after.left, kMovedTo.x);
    EXPECT_EQ(after.top, kMovedTo.y);
    EXPECT_EQ(after.right - after.left, kResizedTo.cx);
    EXPECT_EQ(after.bottom - after.top, kResizedTo.cy);
    EXPECT_TRUE(IsWindowVisible(run.Events));
    PostMessageW(run.Main, WM_COMMAND, kExitCommand, 0);
    EXPECT_TRUE(run.Process->WaitForExit(kExitTimeout));
}

}  // namespace
}  // namespace tessel::e2e
