// tessel.exe end to end: the program runs as a child process against the local calendar service
// (started by the ctest fixture with demo data around 2010-01-13 12:00), with "now" fixed through
// TESSEL_NOW. The tests drive it with the messages its window handles, and observe what a user
// or the shell would: the files beside the program, the service's request log, the grid's
// pixels on screen, the tray icon as the shell knows it, and the balloons.
//
// Wine starts are slow, so the checks that only look at a run share it: one first start serves
// the cache, grid, tray, timer, navigation and exit checks; one start shortly before the
// reminder moment serves the reminder and resume checks; the start from the cache runs alone.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <optional>
#include <set>
#include <string>

#include "base/file_io.h"
#include "base/text.h"
#include "calendar/http.h"
#include "e2e_month.h"
#include "e2e_setup.h"
#include "win32_e2e_grid.h"
#include "win32_e2e_process.h"
#include "win32_e2e_screen.h"
#include "win32_e2e_shell.h"
#include "win32/win32_text.h"
#include "xml/xdata_node.h"

namespace tessel::e2e {
namespace {

// A Wine start on a busy two-core machine takes seconds to tens of seconds; these bound it.
constexpr Millis kWindowTimeout{120000};
constexpr Millis kReadyTimeout{180000};
constexpr Millis kMessageTimeout{120000};  // a message whose handler runs a whole sync
constexpr Millis kExitTimeout{60000};
constexpr Millis kRedrawTimeout{30000};
constexpr Millis kLogTimeout{10000};
constexpr Millis kMenuTimeout{10000};

constexpr wchar_t kMainClass[] = L"TMainFm";
constexpr wchar_t kGridClass[] = L"TesselCalGrid";
constexpr wchar_t kPanelClass[] = L"TesselMsgPanel";
constexpr WPARAM kMinuteTimer = 1;
constexpr WPARAM kResumeFromSuspend = 7;
constexpr WPARAM kExitCommand = 109;

// Before the reminder moment (12:05) by more than any run of this suite lasts.
constexpr char kMorning[] = "2010-01-13 11:30:00";
// Five seconds before it: the program's clock passes it while the test runs.
constexpr char kJustBeforeReminder[] = "2010-01-13 12:04:55";
constexpr auto kClockLead = std::chrono::seconds(5);
// Each run has its own place on the 1280 x 800 screen, so runs never hide each other's grid.
constexpr int kFirstLeft = 100, kReminderLeft = 400, kCachedLeft = 700, kSlowServiceLeft = 1000;
constexpr POINT kMovedTo{117, 523};
// The shared runs' event list windows: below every run's grid (which lie between 300 and 500).
constexpr int kEventWindowTop = 560;
// Today's fill covers what the day number and its shadow leave of the box.
constexpr double kTodayFillShare = 0.15;
constexpr double kStrayFillShare = 0.02;

const Setup& TheSetup() {
    static const Setup setup = Setup::FromEnvironment();
    return setup;
}

const GridColors& Colors() {
    static const GridColors colors = GridColors::FromTheme(TheSetup().Theme);
    return colors;
}

int Today() { return DayNumber(kTodayYear, kTodayMonth, kTodayDay); }

std::string Describe(int day) { return FormatIsoDateTime(day).substr(0, 10); }

std::string ReadFile(const std::u16string& path) { return FileExists(path) ? ReadFileBytes(path) : std::string(); }

// The settings file as the program left it.
struct SavedProfile {
    explicit SavedProfile(const std::u16string& path) { doc.LoadFromBytes(ReadTextAsCrLf(path)); }
    std::string Value(const char16_t* path) const { return Trim(Narrow(doc.ReadValue(path))); }
    TxdataNode doc;
};

// Where a day of the displayed month sits in the grid.
struct Cell {
    int Column;
    int Row;
};
Cell CellOf(const ExpectedMonth& month, int day) { return Cell{(day - month.FirstCell) % 7, (day - month.FirstCell) / 7}; }

bool Intersects(const RECT& a, const RECT& b) {
    RECT both;
    return IntersectRect(&both, &a, &b) != FALSE;
}

// Compares every day cell of the grid that the cover leaves visible with what the month and
// the cache say: today's fill only on today, a frame exactly on the days where an event starts.
// Empty when all agree, else the first disagreements.
struct MarkReport {
    std::string Problems;
    int Checked = 0;
    int Framed = 0;
};

MarkReport CompareMarks(const GridView& view, const ExpectedMonth& month, const std::set<int>& eventDays,
                        const RECT* cover = nullptr) {
    MarkReport report;
    if (!view.Valid()) {
        report.Problems = view.GeometryProblem().empty() ? "the grid could not be captured" : view.GeometryProblem();
        return report;
    }
    const GridColors& colors = Colors();
    auto problem = [&](const std::string& text) {
        if (report.Problems.size() < 600) report.Problems += text + "; ";
    };
    for (int row = 0; row < month.WeekCount; ++row) {
        for (int column = 0; column < 7; ++column) {
            if (cover && Intersects(view.ScreenBox(column, row), *cover)) continue;
            const int day = month.DayAt(column, row);
            const bool hasEvents = eventDays.count(day) > 0;
            const COLORREF frame = month.InMonth(day) ? colors.Day : colors.OtherMonth;
            const double fill = view.FillShare(column, row, colors.Today);
            ++report.Checked;
            if (day == Today() && fill < kTodayFillShare)
                problem(Describe(day) + " (today) is not filled: " + std::to_string(fill));
            if (day != Today() && fill > kStrayFillShare)
                problem(Describe(day) + " carries today's fill: " + std::to_string(fill));
            const bool framed = view.Framed(column, row, day == Today() ? colors.Day : frame);
            report.Framed += framed ? 1 : 0;
            if (framed != hasEvents)
                problem(Describe(day) + (hasEvents ? " has events but no frame" : " has a frame but no events"));
        }
    }
    return report;
}

// One run of tessel.exe in a program folder, from its start until its start-up is over.
class ProgramRun {
public:
    ProgramRun(const ProgramFolder& folder, const std::string& now)
        : folder_(folder), process_(folder.ProgramFile(), {{u"TESSEL_NOW", Widen(now)}}) {}

    // Waits for the window and the grid, then until the grid shows what ready means for this
    // run (the cached events show first, the sync's result after it). Empty when ready, else why not.
    std::string WaitUntilReady(const std::function<bool(HWND window, HWND grid)>& ready) {
        if (!process_.Started()) return "tessel.exe did not start";
        window_ = process_.WaitForTopWindow(kMainClass, kWindowTimeout);
        if (!window_) return process_.Running() ? "no TMainFm window appeared" : "tessel.exe ended during start-up";
        windowFoundAt_ = std::chrono::steady_clock::now();
        if (!WaitUntil([&] { return (grid_ = FindWindowExW(window_, nullptr, kGridClass, nullptr)) != nullptr; },
                       kRedrawTimeout))
            return "the main window has no month grid";
        if (!WaitUntil([&] { return ready(window_, grid_); }, kReadyTimeout)) {
            SaveScreen(u"not-ready");
            return "the grid never showed the start-up's result (screen saved beside the fixture)";
        }
        // The deferred start ends with today's balloon and a repaint; let it finish.
        if (!SendWithin(window_, WM_NULL, 0, 0, kMessageTimeout)) return "the program stopped answering";
        return {};
    }

    // "&Exit" from the menu; false when the program did not end.
    bool Exit() {
        PostMessageW(window_, WM_COMMAND, kExitCommand, 0);
        return process_.WaitForExit(kExitTimeout);
    }

    // A press and release at a point of the window's client area.
    void Click(int x, int y) {
        PostMessageW(window_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        PostMessageW(window_, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }

    void SaveScreen(const std::u16string& name) const {
        const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        SaveBitmap(CaptureScreen(screen), (TheSetup().FixtureDir / (u"screen-" + name + u".bmp")).u16string());
    }

    HWND Window() const { return window_; }
    HWND Grid() const { return grid_; }
    const ProgramProcess& Process() const { return process_; }
    Moment WindowFoundAt() const { return windowFoundAt_; }
    const ProgramFolder& Folder() const { return folder_; }

private:
    const ProgramFolder& folder_;
    ProgramProcess process_;
    HWND window_ = nullptr;
    HWND grid_ = nullptr;
    Moment windowFoundAt_{};
};

ExpectedMonth January() { return ExpectedMonth::Of(kTodayYear, kTodayMonth); }

// Ready when today's cell carries today's fill.
bool TodayIsFilled(HWND grid) {
    const ExpectedMonth month = January();
    const GridView view(grid, month);
    const Cell today = CellOf(month, Today());
    return view.Valid() && view.FillShare(today.Column, today.Row, Colors().Today) >= kTodayFillShare;
}

// A program start shared by several tests, made on first use.
struct SharedStart {
    std::unique_ptr<ProgramFolder> Folder;
    std::unique_ptr<ProgramRun> Program;
    std::string Problem;
    // Sign-ins the service had answered before the folder's first start and when it was ready.
    int SignInsBefore = 0;
    int SignInsAtReady = 0;
    // The text of the balloon with today's events that ends the first start; empty when none came.
    std::string TodayBalloon;
};

// The balloon with today's events: the one that lists the reminder event's title.
std::string WaitForTodayBalloon() {
    std::string found;
    WaitUntil(
        [&] {
            for (const Balloon& b : VisibleBalloons()) {
                const std::string text = Utf16ToUtf8(b.Text);
                if (text.find(kReminderTitle) != std::string::npos) found = text;
            }
            return !found.empty();
        },
        kBalloonDelay + Millis(4000));
    return found;
}

std::unique_ptr<SharedStart> gFirstStart;
std::unique_ptr<SharedStart> gReminderStart;

// The shared run in its own folder and place on the screen, started on first use and started
// again (now with its cache) when a test ended it.
SharedStart& Started(std::unique_ptr<SharedStart>& slot, const char* now, int left) {
    const bool first = !slot;
    if (first) {
        slot = std::make_unique<SharedStart>();
        ProfileSettings settings;
        settings.Left = left;
        settings.ServiceHost = TheSetup().ServiceHost();
        // The event list window is shown, below the grids of all runs so it hides none of them.
        settings.EventWindowVisible = true;
        settings.EventLeft = left;
        settings.EventTop = kEventWindowTop;
        slot->Folder = std::make_unique<ProgramFolder>(TheSetup(), settings);
    }
    SharedStart& shared = *slot;
    if (shared.Problem.empty() && (!shared.Program || !shared.Program->Process().Running())) {
        shared.Program.reset();
        const int signIns = TheSetup().SignInCount();
        shared.Program = std::make_unique<ProgramRun>(*shared.Folder, now);
        shared.Problem = shared.Program->WaitUntilReady([](HWND, HWND grid) { return TodayIsFilled(grid); });
        if (first) {
            shared.SignInsBefore = signIns;
            // The service logs a request once it has answered: give the last line a moment.
            WaitUntil([&] { return TheSetup().SignInCount() >= signIns + 2; }, kLogTimeout);
            shared.SignInsAtReady = TheSetup().SignInCount();
            // Shown for a few seconds only, so it is caught here rather than by its test.
            if (shared.Problem.empty()) shared.TodayBalloon = WaitForTodayBalloon();
        }
    }
    return shared;
}

// Ends the shared runs when the suite is over (a run a test left is killed with its process).
class SharedStartsEnvironment : public ::testing::Environment {
public:
    void TearDown() override {
        gFirstStart.reset();
        gReminderStart.reset();
    }
};
[[maybe_unused]] const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SharedStartsEnvironment);

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string missing = TheSetup().Missing();
        ASSERT_TRUE(missing.empty()) << "the fixture did not provide: " << missing;
        ASSERT_NE(Colors().Today, COLORREF(CLR_INVALID)) << "the theme has no title colour";
    }

    // The first start in a fresh folder (no cache), before the reminder moment.
    static SharedStart& FirstStart() { return Started(gFirstStart, kMorning, kFirstLeft); }
    // Its folder with the cache it wrote, without starting it again once it has run.
    static SharedStart& FirstStartCache() {
        if (gFirstStart && FileExists(gFirstStart->Folder->File(kEventCacheFile))) return *gFirstStart;
        return FirstStart();
    }
    // A start five seconds before the reminder moment.
    static SharedStart& ReminderStart() { return Started(gReminderStart, kJustBeforeReminder, kReminderLeft); }

    static bool WaitForSignIns(int count) {
        return WaitUntil([&] { return TheSetup().SignInCount() >= count; }, kLogTimeout);
    }

    static std::set<int> CachedEventDays(const ProgramFolder& folder) {
        return EventStartDays(ReadFile(folder.File(kEventCacheFile)));
    }

    // The tray icon through which the shell reaches this program: a right click on it opens the
    // program's menu (then closed again). Null when no icon does.
    static HWND OwnTrayIcon(const ProgramRun& program) {
        const DWORD id = program.Process().Id();
        for (HWND icon : TrayIcons()) {
            RightClick(icon);
            HWND menu = nullptr;
            if (!WaitUntil([&] { return (menu = PopupMenuOf(id)) != nullptr; }, kMenuTimeout)) continue;
            CloseMenu(menu);
            EXPECT_TRUE(WaitUntil([&] { return PopupMenuOf(id) == nullptr; }, kMenuTimeout)) << "the menu stayed open";
            return icon;
        }
        return nullptr;
    }

    // Waits for a reminder balloon that is not one of those; true when one came.
    static bool NewReminderBalloon(const std::set<HWND>& before, Millis timeout) {
        return WaitUntil(
            [&] {
                for (HWND b : ReminderBalloons())
                    if (!before.count(b)) return true;
                return false;
            },
            timeout);
    }

    // The reminder balloon of the demo's reminder event: its start and end, not the day's list.
    static std::set<HWND> ReminderBalloons() {
        std::set<HWND> found;
        for (const Balloon& b : VisibleBalloons()) {
            const std::string text = Utf16ToUtf8(b.Text);
            if (text.find(kReminderStart) != std::string::npos && text.find(kReminderEnd) != std::string::npos &&
                text.find(kReminderTitle) == std::string::npos)
                found.insert(b.Window);
        }
        return found;
    }
};

#define ASSERT_STARTED(shared) ASSERT_TRUE((shared).Problem.empty()) << (shared).Problem

// --- the first start -----------------------------------------------------------------------------

TEST_F(EndToEnd, FirstStartWithoutCacheSyncsAndWritesBothCacheFiles) {
    SharedStart& first = FirstStart();
    ASSERT_STARTED(first);
    // The cache load syncs because the files are missing, then the start-up syncs again.
    EXPECT_EQ(first.SignInsAtReady - first.SignInsBefore, 2);

    const std::string events = ReadFile(first.Folder->File(kEventCacheFile));
    const std::string calendars = ReadFile(first.Folder->File(kCalendarCacheFile));
    ASSERT_FALSE(events.empty()) << "no event cache was written";
    ASSERT_FALSE(calendars.empty()) << "no calendar cache was written";
    EXPECT_NE(events.find(kReminderTitle), std::string::npos);
    EXPECT_NE(events.find("Team stand-up"), std::string::npos);
    EXPECT_NE(events.find("Grandma"), std::string::npos) << "the third calendar's events are missing";
    EXPECT_EQ(CachedEventDays(*first.Folder).count(Today()), 1u);
    for (const char* calendar : {"/work", "/home", "/days"})
        EXPECT_NE(calendars.find(std::string("allcalendars/full") + calendar), std::string::npos) << calendar;
    // Written as the program writes XML: no declaration, lines ended by CR LF.
    EXPECT_NE(events.rfind("<?xml", 0), 0u);
    EXPECT_NE(events.find("\r\n"), std::string::npos);
}

TEST_F(EndToEnd, FirstStartEndsWithABalloonOfTodaysEvents) {
    SharedStart& first = FirstStart();
    ASSERT_STARTED(first);
    const std::string& text = first.TodayBalloon;
    ASSERT_FALSE(text.empty()) << "no balloon listed today's events";
    // The demo's events of 2010-01-13, from all three calendars, titles decoded from UTF-8 ...
    for (const char* title : {"All Day - Grandma", "Team stand-up", kReminderTitle, "Lunch with Zo\xC3\xAB",
                              "Caf\xC3\xA9 with Ana\xC3\xAFs"})
        EXPECT_NE(text.find(title), std::string::npos) << title << " is missing from: " << text;
    // ... and nothing of the next days.
    for (const char* title : {"Yoga", "Dentist", "Quarterly review"})
        EXPECT_EQ(text.find(title), std::string::npos) << title << " is not today's: " << text;
}

TEST_F(EndToEnd, GridFillsTodayAndFramesExactlyTheDaysWithEvents) {
    SharedStart& first = FirstStart();
    ASSERT_STARTED(first);
    const std::set<int> eventDays = CachedEventDays(*first.Folder);
    const ExpectedMonth month = January();
    const GridView view(first.Program->Grid(), month);
    const MarkReport report = CompareMarks(view, month, eventDays);
    if (!report.Problems.empty()) first.Program->SaveScreen(u"grid");
    EXPECT_EQ(report.Problems, "");
    EXPECT_EQ(report.Checked, 7 * month.WeekCount);
    // The comparison can tell the two apart: the month has framed and plain days.
    EXPECT_GE(report.Framed, 5);
    EXPECT_LE(report.Framed, report.Checked - 5);
}

TEST_F(EndToEnd, TrayIconIsShownAndItsRightClickOpensTheMenu) {
    SharedStart& first = FirstStart();
    ASSERT_STARTED(first);
    ASSERT_FALSE(TrayIcons().empty()) << "the tray shows no icon";
    EXPECT_NE(OwnTrayIcon(*first.Program), nullptr) << "no tray icon reaches the program";
}

TEST_F(EndToEnd, MinuteTickBeforeTheReminderMomentShowsNoReminder) {
    SharedStart& first = FirstStart();
    ASSERT_STARTED(first);
    const std::set<HWND> before = ReminderBalloons();
    ASSERT_TRUE(SendWithin(first.Program->Window(), WM_TIMER, kMinuteTimer, 0, kMessageTimeout));
    EXPECT_FALSE(NewReminderBalloon(before, kBalloonDelay)) << "a reminder came before its time";
}

TEST_F(EndToEnd, PreviousAndNextMonthRebuildTheGridWithoutSyncing) {
    SharedStart& first = FirstStart();
    ASSERT_STARTED(first);
    ProgramRun& program = *first.Program;
    const std::set<int> eventDays = CachedEventDays(*first.Folder);
    const int signIns = TheSetup().SignInCount();
    const GridView january(program.Grid(), January());
    ASSERT_TRUE(january.Valid()) << january.GeometryProblem();
    RECT window{};
    GetWindowRect(program.Window(), &window);
    const int januaryHeight = window.bottom - window.top;

    const int bar = Colors().TitleBarHeight;
    const int buttonY = (bar > 16 ? (bar - 16) / 2 : 0) + 8;
    const int width = window.right - window.left;
    const POINT previous{24 + 8, buttonY};
    const POINT next{width - 2 * 16 - 8 + 8, buttonY};

    // Shows the month after a click and checks its marks and the window's height.
    auto expectMonth = [&](const POINT& button, int year, int monthNumber) {
        const ExpectedMonth month = ExpectedMonth::Of(year, monthNumber);
        program.Click(button.x, button.y);
        MarkReport report;
        const bool shown = WaitUntil(
            [&] {
                report = CompareMarks(GridView(program.Grid(), month), month, eventDays);
                return report.Problems.empty();
            },
            kRedrawTimeout);
        if (!shown) program.SaveScreen(u"month-" + Widen(std::to_string(monthNumber)));
        EXPECT_TRUE(shown) << year << "-" << monthNumber << ": " << report.Problems;
        RECT r{};
        GetWindowRect(program.Window(), &r);
        EXPECT_EQ(r.bottom - r.top, januaryHeight + (month.WeekCount - January().WeekCount) * january.RowHeight())
            << "the window's height does not follow the week rows of " << year << "-" << monthNumber;
        return report.Framed;
    };

    // January 2010 has six week rows, December 2009 and February 2010 five; only January holds
    // today, and the frames of all three come from the cache (which covers them all).
    EXPECT_GT(expectMonth(previous, 2009, 12), 0);
    expectMonth(next, 2010, 1);
    EXPECT_GT(expectMonth(next, 2010, 2), 0);
    expectMonth(previous, 2010, 1);
    EXPECT_EQ(TheSetup().SignInCount(), signIns) << "month navigation synced";
}

// Runs last of the first start's checks: it ends the run (a later check starts it again).
TEST_F(EndToEnd, ExitStoresVisibilityAndPositionAndRemovesTheTrayIcon) {
    SharedStart& first = FirstStart();
    ASSERT_STARTED(first);
    ProgramRun& program = *first.Program;
    const HWND window = program.Window();
    // Moved somewhere the settings never said, so the stored place is the window's own.
    ASSERT_TRUE(SetWindowPos(window, nullptr, kMovedTo.x, kMovedTo.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
    RECT r{};
    ASSERT_TRUE(WaitUntil(
        [&] { return GetWindowRect(window, &r) && r.left == kMovedTo.x && r.top == kMovedTo.y; }, kRedrawTimeout));
    ASSERT_TRUE(IsWindowVisible(window));
    const HWND icon = OwnTrayIcon(program);
    ASSERT_NE(icon, nullptr);

    ASSERT_TRUE(program.Exit()) << "tessel.exe did not end after \"&Exit\"";
    DWORD code = 1;
    GetExitCodeProcess(program.Process().Handle(), &code);
    EXPECT_EQ(code, 0u);

    const SavedProfile profile(first.Folder->File(u"profile.xml"));
    EXPECT_EQ(profile.Value(u"window/visible"), "1");
    EXPECT_EQ(profile.Value(u"window/left"), std::to_string(kMovedTo.x));
    EXPECT_EQ(profile.Value(u"window/top"), std::to_string(kMovedTo.y));
    EXPECT_EQ(profile.Value(u"window/height"), std::to_string(r.bottom - r.top));
    // The event list window was shown at start and still is; its place is written back too.
    EXPECT_EQ(profile.Value(u"eventwindow/visible"), "1");
    EXPECT_EQ(profile.Value(u"eventwindow/left"), std::to_string(kFirstLeft));
    EXPECT_EQ(profile.Value(u"eventwindow/top"), std::to_string(kEventWindowTop));
    EXPECT_EQ(profile.Value(u"hosts/service"), TheSetup().ServiceHost());
    // (Wine's shell also drops the icons of a window that is destroyed, so under Wine this
    // cannot tell the program's own NIM_DELETE from that clean-up.)
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(icon); }, kMenuTimeout)) << "the tray icon outlived the program";
}

// --- a start from the cache without the service ---------------------------------------------------

// The status panel of a window when it is shown, and its text.
std::optional<std::u16string> ShownStatus(HWND window, RECT* where) {
    const HWND panel = FindWindowExW(window, nullptr, kPanelClass, nullptr);
    if (!panel || !IsWindowVisible(panel) || !GetWindowRect(panel, where)) return std::nullopt;
    wchar_t text[256] = {};
    GetWindowTextW(panel, text, 256);
    return win32::FromW(text);
}

TEST_F(EndToEnd, StartWithoutTheServiceShowsTheCachedEvents) {
    SharedStart& first = FirstStartCache();
    ASSERT_STARTED(first);
    ProfileSettings settings;
    settings.Left = kCachedLeft;
    settings.ServiceHost = "127.0.0.1:1";  // nothing listens there: every request fails at once
    const ProgramFolder folder(TheSetup(), settings);
    folder.CopyFrom(*first.Folder, kEventCacheFile);
    folder.CopyFrom(*first.Folder, kCalendarCacheFile);
    const std::string events = ReadFile(folder.File(kEventCacheFile));
    const std::string calendars = ReadFile(folder.File(kCalendarCacheFile));
    const std::set<int> eventDays = EventStartDays(events);
    ASSERT_FALSE(eventDays.empty());
    const int signIns = TheSetup().SignInCount();

    ProgramRun program(folder, kMorning);
    const ExpectedMonth month = January();
    RECT cover{};
    MarkReport report;
    // The failed sync leaves its message panel over the middle of the grid; the cells around it
    // show the cache's events.
    const std::string problem = program.WaitUntilReady([&](HWND window, HWND grid) {
        if (!ShownStatus(window, &cover)) return false;
        report = CompareMarks(GridView(grid, month), month, eventDays, &cover);
        return report.Problems.empty() && report.Framed > 0;
    });
    ASSERT_EQ(problem, "") << report.Problems;
    EXPECT_GE(report.Checked, 7) << "the panel hides nearly all of the grid";
    EXPECT_LT(report.Framed, report.Checked);
    EXPECT_EQ(TheSetup().SignInCount(), signIns) << "the service was reached";

    // Closed with its close button, then ended from the menu: it is stored as hidden.
    RECT r{};
    GetWindowRect(program.Window(), &r);
    const int bar = Colors().TitleBarHeight;
    program.Click(r.right - r.left - 16 - 4 + 8, (bar > 16 ? (bar - 16) / 2 : 0) + 8);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(program.Window()); }, kRedrawTimeout));
    ASSERT_TRUE(program.Exit());
    EXPECT_EQ(SavedProfile(folder.File(u"profile.xml")).Value(u"window/visible"), "0");
    // The failed sync left the cache as it was.
    EXPECT_EQ(ReadFile(folder.File(kEventCacheFile)), events);
    EXPECT_EQ(ReadFile(folder.File(kCalendarCacheFile)), calendars);
}

// --- a start from the cache while the service is slow to answer -------------------------------------

TEST_F(EndToEnd, CachedEventsShowWhileTheStartUpSyncWaitsForTheService) {
    SharedStart& first = FirstStartCache();
    ASSERT_STARTED(first);
    ProfileSettings settings;
    settings.Left = kSlowServiceLeft;
    settings.ServiceHost = TheSetup().ServiceHost();
    const ProgramFolder folder(TheSetup(), settings);
    folder.CopyFrom(*first.Folder, kEventCacheFile);
    folder.CopyFrom(*first.Folder, kCalendarCacheFile);
    const std::set<int> eventDays = EventStartDays(ReadFile(folder.File(kEventCacheFile)));
    ASSERT_FALSE(eventDays.empty());

    // The service holds the next sign-in for 20 s: the grid must show the cache while the
    // start-up sync is still waiting for that answer.
    THttp http;
    ASSERT_TRUE(http.Send(THttpRequest{.Url = "http://" + TheSetup().ServiceHost() +
                         "/test/fault?path=/accounts/ClientLogin&status=delay=20000&count=1"}).Ok());

    ProgramRun program(folder, kMorning);
    const ExpectedMonth month = January();
    MarkReport report;
    std::u16string status;
    const std::string problem = program.WaitUntilReady([&](HWND window, HWND grid) {
        RECT cover{};
        const std::optional<std::u16string> shown = ShownStatus(window, &cover);
        if (!shown) return false;
        status = *shown;
        report = CompareMarks(GridView(grid, month), month, eventDays, &cover);
        // Checked once more after the grid: the sync had not ended while the grid was read.
        const std::optional<std::u16string> still = ShownStatus(window, &cover);
        return report.Problems.empty() && report.Framed > 0 && still && *still == u"Sync Google Calendar ...";
    });
    ASSERT_EQ(problem, "") << report.Problems << " (status: " << Narrow(status) << ")";
    EXPECT_GE(report.Checked, 7);

    // The held answer comes; the sync ends and takes the panel away.
    EXPECT_TRUE(WaitUntil([&] { RECT r; return !ShownStatus(program.Window(), &r); }, kReadyTimeout));
    EXPECT_TRUE(program.Exit());
}

// --- reminders and resume ---------------------------------------------------------------------------

// The program's clock started at TESSEL_NOW when the process began, before its window existed;
// once this much time has passed since the window was found, it reads past the reminder moment.
void WaitForTheReminderMoment(const ProgramRun& program) {
    const Moment due = program.WindowFoundAt() + kClockLead + Millis(500);
    ASSERT_TRUE(WaitUntil([&] { return std::chrono::steady_clock::now() >= due; }, kClockLead + Millis(1000)));
}

TEST_F(EndToEnd, ReminderBalloonComesAtTheFirstTickAfterTheReminderMoment) {
    SharedStart& start = ReminderStart();
    ASSERT_STARTED(start);
    ASSERT_NO_FATAL_FAILURE(WaitForTheReminderMoment(*start.Program));
    const HWND window = start.Program->Window();
    const std::set<HWND> before = ReminderBalloons();

    ASSERT_TRUE(SendWithin(window, WM_TIMER, kMinuteTimer, 0, kMessageTimeout));
    ASSERT_TRUE(NewReminderBalloon(before, kRedrawTimeout)) << "no reminder balloon for \"" << kReminderTitle << "\"";

    // The event is reminded of once: the next tick brings no new balloon.
    const std::set<HWND> shown = ReminderBalloons();
    ASSERT_TRUE(SendWithin(window, WM_TIMER, kMinuteTimer, 0, kMessageTimeout));
    EXPECT_FALSE(NewReminderBalloon(shown, kBalloonDelay)) << "a second reminder for the same event";
}

TEST_F(EndToEnd, ResumeFromSuspendRunsOneSyncAndThenOneTimerStep) {
    SharedStart& start = ReminderStart();
    ASSERT_STARTED(start);
    ASSERT_NO_FATAL_FAILURE(WaitForTheReminderMoment(*start.Program));
    const std::set<HWND> before = ReminderBalloons();
    const int signIns = TheSetup().SignInCount();

    const std::optional<LRESULT> answer =
        SendWithin(start.Program->Window(), WM_POWERBROADCAST, kResumeFromSuspend, 0, kMessageTimeout);
    ASSERT_TRUE(answer.has_value()) << "the program did not answer the resume";
    EXPECT_EQ(*answer, TRUE);
    ASSERT_TRUE(WaitForSignIns(signIns + 1));
    EXPECT_EQ(TheSetup().SignInCount(), signIns + 1);
    // The sync rebuilt the event list, so the reminder is due again, and the timer step after
    // the sync shows it.
    EXPECT_TRUE(NewReminderBalloon(before, kRedrawTimeout)) << "the resume's timer step showed no reminder";
}

}  // namespace
}  // namespace tessel::e2e
