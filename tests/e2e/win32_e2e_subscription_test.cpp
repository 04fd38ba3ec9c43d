// A calendar address added as a user adds it, end to end: tessel.exe starts without an account,
// the first start's dialog offers an address instead; the pointer clicks "Add address…", the
// keys type the local calendar service's demo calendar address, pick a colour and press Enter,
// and Save is clicked. The calendar then shows the calendar's events with no sign-in sent: the
// grid frames their days, the event list window paints today's rows in the chosen colour, and
// the day hint lists a day's events. Started again with the service out of reach, the program
// asks for nothing and shows the same events from its cache.
//
// The address goes through a relay in front of the fixture's service, so that stopping the relay
// takes the service away from the program alone.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <filesystem>
#include <set>
#include <string>

#include "base/file_io.h"
#include "base/text.h"
#include "calendar/subscriptions.h"
#include "dialogs/subscription_dialog_logic.h"
#include "e2e_month.h"
#include "e2e_setup.h"
#include "win32/win32_text.h"
#include "win32_e2e_grid.h"
#include "win32_e2e_pointer.h"
#include "win32_e2e_process.h"
#include "win32_e2e_relay.h"
#include "win32_e2e_screen.h"

namespace tessel::e2e {
namespace {

constexpr Millis kWindowTimeout{120000};
constexpr Millis kStepTimeout{30000};
constexpr Millis kReadyTimeout{180000};
constexpr Millis kBalloonTimeout{15000};
constexpr Millis kExitTimeout{60000};
constexpr WPARAM kExitCommand = 109;
// A place on the 1280 x 800 screen with room for the day hint below the grid and the event list
// window beside it.
constexpr int kMainLeft = 40, kMainTop = 60, kEventLeft = 300;
constexpr POINT kParking{1279, 799};

// The account dialog's and the add-address dialog's controls (dialogs/win32_*_dialog.h).
constexpr int kListView1 = 1020, kSaveBtn = IDOK, kAddressOnlyBtn = 1052;
constexpr int kAddressEd = 1201, kColorCb = 1204;

// The service's demo calendar published at an address, around the service's day (January 13):
// its path and the name it gives itself; the program's "now", two days later, whose list shows
// the calendar's floating-time event of that day; days of January on which its events start,
// whatever the machine's zone (all-day, floating, and Tokyo evenings that stay on their day from
// UTC-9 to UTC+5), which the grid frames; a day whose hint lists one of them; and days it has
// none: one no event falls on, the one its weekly rule leaves out (EXDATE) and the one whose
// instance it cancels.
constexpr char kDemoPath[] = "/ics/demo.ics";
constexpr char kDemoName[] = "Team D\xC3\xA9mo";
constexpr char16_t kNow[] = u"2010-01-15 08:00:00";
constexpr int kNowDay = 15;
constexpr char kNowTitle[] = "R\xC3\xA9union d";
const std::set<int> kEventDays = {15, 17, 20, 23};
constexpr int kHintDay = 17;
constexpr char kHintTitle[] = "Company holiday";
const std::set<int> kQuietDays = {21, 6, 27};

std::u16string TextOf(HWND window) { return TextWithin(window, kStepTimeout); }

POINT Middle(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// The grid frames the calendar's days (today is filled instead) and none of the quiet ones.
bool FramesTheEventDays(HWND grid, const ExpectedMonth& month, const GridColors& colors) {
    const GridView view(grid, month);
    if (!view.Valid()) return false;
    const auto framed = [&](int day) {
        const int at = DayNumber(kTodayYear, kTodayMonth, day) - month.FirstCell;
        return view.Framed(at % 7, at / 7, colors.Day);
    };
    for (const int day : kEventDays)
        if (day != kNowDay && !framed(day)) return false;
    for (const int day : kQuietDays)
        if (framed(day)) return false;
    return true;
}

// Which of the days that matter the grid frames, for a failure's message.
std::string FramedDays(HWND grid, const ExpectedMonth& month, const GridColors& colors) {
    const GridView view(grid, month);
    if (!view.Valid()) return "the grid cannot be read: " + view.GeometryProblem();
    std::string text = "framed:";
    for (int day = 1; day <= 31; ++day) {
        const int at = DayNumber(kTodayYear, kTodayMonth, day) - month.FirstCell;
        if (view.Framed(at % 7, at / 7, colors.Day)) text.append(" ").append(std::to_string(day));
    }
    return text;
}

HWND EventList(HWND events) {
    return FindWindowExW(FindWindowExW(events, nullptr, L"TesselEventPanel", nullptr), nullptr, L"TesselEventGrid",
                         nullptr);
}

// The list's rows painted in the colour, over a share of the list.
bool PaintedIn(HWND list, COLORREF color) {
    const Image image = CaptureWindow(list);
    return !image.Empty() && ShareNear(image, RECT{0, 0, image.Width, image.Height}, color, 12) > 0.05;
}

class SubscriptionEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        setup_ = e2e::Setup::FromEnvironment();
        ASSERT_EQ(setup_.Missing(), "");
        const std::string host = setup_.ServiceHost();
        ASSERT_FALSE(host.empty());
        relay_ = std::make_unique<TcpRelay>(std::stoi(host.substr(host.find(':') + 1)));
        ASSERT_NE(relay_->Port(), 0) << "the relay could not listen";
        ProfileSettings settings;
        settings.Left = kMainLeft;
        settings.Top = kMainTop;
        settings.ServiceHost = host;
        settings.EventWindowVisible = true;
        settings.EventLeft = kEventLeft;
        settings.EventTop = kMainTop;
        folder_ = std::make_unique<ProgramFolder>(setup_, settings);
        // No account: the first start asks.
        std::filesystem::remove(folder_->Path() / "account.xml");
    }

    void TearDown() override { MovePointer(kParking); }

    std::string Address() const { return "http://127.0.0.1:" + std::to_string(relay_->Port()) + kDemoPath; }

    // The running program shows the calendar: the grid frames its days and none of the quiet ones,
    // the event list window paints today's row in the colour, and the hint of a day lists its
    // event. A screenshot of the three is saved beside the fixture under the name.
    void ExpectCalendarShown(const ProgramProcess& program, HWND window, TColor color, const char* shotName) {
        const GridColors colors = GridColors::FromTheme(setup_.Theme);
        HWND events = program.WaitForTopWindow(L"TEventFm", kWindowTimeout);
        ASSERT_NE(events, nullptr);
        HWND grid = nullptr;
        const bool framed = WaitUntil(
            [&] {
                grid = FindWindowExW(window, nullptr, L"TesselCalGrid", nullptr);
                return grid && IsWindowVisible(window) && FramesTheEventDays(grid, month_, colors);
            },
            kReadyTimeout);
        if (!framed) SaveBitmap(CaptureWindow(window), (setup_.FixtureDir / "screen-subscription-failed.bmp").u16string());
        ASSERT_TRUE(framed) << "the grid never framed the calendar's days; "
                            << (grid ? FramedDays(grid, month_, colors) : std::string("no grid")) << "; status: "
                            << Utf16ToUtf8(ShownStatus(window).value_or(u"(hidden)"));
        HWND rows = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] {
                rows = EventList(events);
                return rows && Utf16ToUtf8(TextOf(rows)).find(kNowTitle) != std::string::npos &&
                       PaintedIn(rows, COLORREF(color));
            },
            kReadyTimeout))
            << "today's rows: " << (rows ? Utf16ToUtf8(TextOf(rows)) : std::string("none"));
        ASSERT_TRUE(SendWithin(window, WM_NULL, 0, 0, kStepTimeout));

        const GridView view(grid, month_);
        const int cell = DayNumber(kTodayYear, kTodayMonth, kHintDay) - month_.FirstCell;
        ASSERT_TRUE(MovePointer(Middle(view.ScreenBox(cell % 7, cell / 7))));
        HWND balloon = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (balloon = VisibleTopWindow(program.Id(), L"TALHintBalloon")) != nullptr; },
                              kBalloonTimeout))
            << "no day hint";
        const std::string hint = Utf16ToUtf8(TextOf(balloon));
        EXPECT_NE(hint.find(kHintTitle), std::string::npos) << hint;
        RECT shot{};
        GetWindowRect(window, &shot);
        RECT r{};
        GetWindowRect(balloon, &r);
        UnionRect(&shot, &shot, &r);
        GetWindowRect(events, &r);
        UnionRect(&shot, &shot, &r);
        SaveBitmap(CaptureScreen(shot), (setup_.FixtureDir / shotName).u16string());
        MovePointer(kParking);
    }

    e2e::Setup setup_;
    std::unique_ptr<TcpRelay> relay_;
    std::unique_ptr<ProgramFolder> folder_;
    const ExpectedMonth month_ = ExpectedMonth::Of(kTodayYear, kTodayMonth);
};

TEST_F(SubscriptionEndToEnd, AddedAtTheFirstStartItShowsWithoutAnAccountAndComesFromTheCacheWithoutTheService) {
    const int signIns = setup_.SignInCount();
    const TColor chosen = SubscriptionPresetColors()[1].Color;  // one step down the list from the first

    {
        ProgramProcess program(folder_->ProgramFile(), {{u"TESSEL_NOW", kNow}});
        ASSERT_TRUE(program.Started());
        HWND account = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (account = program.DialogNamed(L"Gmail Account")) || !program.Running(); },
                              kWindowTimeout))
            << "no account dialog came";
        ASSERT_NE(account, nullptr) << "tessel.exe ended instead";

        // The account page's other way: "Add address…".
        HWND other = GetDlgItem(account, kAddressOnlyBtn);
        ASSERT_TRUE(IsWindowVisible(other)) << "the first start offers no address";
        ASSERT_TRUE(ClickAt(MiddleOf(other))) << "xdotool could not be started";
        HWND add = nullptr;
        ASSERT_TRUE(WaitUntil([&] { return (add = program.DialogNamed(L"Add address")) != nullptr; }, kStepTimeout))
            << "the click opened no dialog";

        // The address typed where the caret is, then Tab to the colour list, one colour down, Enter.
        HWND address = GetDlgItem(add, kAddressEd);
        ASSERT_TRUE(ClickAt(MiddleOf(address)));
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == add; }, kStepTimeout));
        ASSERT_TRUE(Xdotool("type --delay 40 " + Address()));
        ASSERT_TRUE(WaitUntil([&] { return Utf16ToUtf8(TextOf(address)) == Address(); }, kStepTimeout))
            << "typed: " << Utf16ToUtf8(TextOf(address));
        ASSERT_TRUE(Xdotool("key --delay 150 Tab Tab Tab Down"));
        HWND colorList = GetDlgItem(add, kColorCb);
        ASSERT_TRUE(WaitUntil([&] { return SendMessageW(colorList, CB_GETCURSEL, 0, 0) == 1; }, kStepTimeout))
            << "the colour did not change";
        SaveBitmap(CaptureWindow(add), (setup_.FixtureDir / "screen-add-address.bmp").u16string());
        ASSERT_TRUE(Xdotool("key Return"));

        // Fetched once, the dialog closes and the calendars page lists the calendar.
        HWND list = GetDlgItem(account, kListView1);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(add) && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 1; },
                              kStepTimeout))
            << "the calendar was not added";
        HWND save = GetDlgItem(account, kSaveBtn);
        ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(save) != FALSE; }, kStepTimeout));
        SaveBitmap(CaptureWindow(account), (setup_.FixtureDir / "screen-account-subscription.bmp").u16string());
        ASSERT_TRUE(ClickAt(MiddleOf(save)));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(account); }, kStepTimeout)) << "Save did not close the dialog";

        TSubscriptions saved(folder_->Folder());
        saved.Load();
        ASSERT_EQ(saved.Items.size(), 1u);
        EXPECT_EQ(saved.Items[0].Address, Address());
        EXPECT_EQ(saved.Items[0].Title, kDemoName) << "not the calendar's own name";
        EXPECT_EQ(saved.Items[0].Color, chosen);
        EXPECT_TRUE(saved.Items[0].Shown);

        // The calendar: the event days framed, today's rows in the colour, a day's hint listing it.
        HWND window = program.WaitForTopWindow(L"TMainFm", kWindowTimeout);
        ASSERT_NE(window, nullptr);
        ExpectCalendarShown(program, window, chosen, "screen-subscription.bmp");
        if (HasFailure()) return;
        EXPECT_EQ(setup_.SignInCount(), signIns) << "a sign-in was sent without an account";
        PostMessageW(window, WM_COMMAND, kExitCommand, 0);
        ASSERT_TRUE(program.WaitForExit(kExitTimeout));
    }

    // Again, with the service out of reach: no dialog, the same events from the cache.
    relay_->Stop();
    ProgramProcess again(folder_->ProgramFile(), {{u"TESSEL_NOW", kNow}});
    ASSERT_TRUE(again.Started());
    HWND window = again.WaitForTopWindow(L"TMainFm", kWindowTimeout);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(again.DialogNamed(L"Gmail Account"), nullptr) << "the account was asked for again";
    // The status names the calendar that could not be fetched, never its address; a click puts it
    // away, as it would cover the grid.
    std::u16string status;
    ASSERT_TRUE(WaitUntil(
        [&] {
            status = ShownStatus(window).value_or(u"");
            return Utf16ToUtf8(status).find(kDemoName) != std::string::npos;
        },
        kReadyTimeout))
        << "the failure was not told: " << Utf16ToUtf8(status);
    EXPECT_EQ(Utf16ToUtf8(status).find(kDemoPath), std::string::npos) << Utf16ToUtf8(status);
    EXPECT_EQ(Utf16ToUtf8(status).find(std::to_string(relay_->Port())), std::string::npos) << Utf16ToUtf8(status);
    HWND panel = FindWindowExW(window, nullptr, L"TesselMsgPanel", nullptr);
    ASSERT_TRUE(ClickAt(MiddleOf(panel)));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(panel); }, kStepTimeout)) << "the panel stayed";
    ExpectCalendarShown(again, window, chosen, "screen-subscription-cached.bmp");
    EXPECT_EQ(setup_.SignInCount(), signIns);
    PostMessageW(window, WM_COMMAND, kExitCommand, 0);
    EXPECT_TRUE(again.WaitForExit(kExitTimeout));
}

}  // namespace
}  // namespace tessel::e2e
