// A CalDAV account added as a user adds it, end to end: tessel.exe starts without an account,
// the first start's dialog offers an address; the pointer clicks "Add address…", the keys type
// the address of a real CalDAV server on loopback (Radicale, which asks for a password) and press
// Enter; the dialog asks for the user name and password, the keys give them, Enter again, and the
// calendars page lists the server's two calendars of events (not its task list). Save is
// clicked, and the grid frames the days of their events while the event list window lists
// today's.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "base/text.h"
#include "calendar/subscriptions.h"
#include "e2e_month.h"
#include "e2e_setup.h"
#include "support/dav_servers.h"
#include "win32_e2e_grid.h"
#include "win32_e2e_pointer.h"
#include "win32_e2e_process.h"
#include "win32_e2e_screen.h"

namespace tessel::e2e {
namespace {

constexpr Millis kWindowTimeout{120000};
constexpr Millis kStepTimeout{30000};
constexpr Millis kReadyTimeout{180000};
constexpr Millis kExitTimeout{60000};
constexpr WPARAM kExitCommand = 109;
constexpr int kMainLeft = 40, kMainTop = 60, kEventLeft = 300;
constexpr POINT kParking{1279, 799};

// The account dialog's and the add-address dialog's controls (dialogs/win32_*_dialog.h).
constexpr int kListView1 = 1020, kSaveBtn = IDOK, kAddressOnlyBtn = 1052;
constexpr int kAddressEd = 1201, kPanel = 1205, kUserEd = 1206, kPassEd = 1207;

// The servers' calendars (scripts/dav-servers) hold events from March 15 to 20, 2027, between
// 08:00 and 15:00 UTC on the working days, so that they stay on their day in any zone from UTC-8
// to UTC+8. The program's "now" is the morning of the 16th, whose list shows the design review.
constexpr char16_t kNow[] = u"2027-03-16 07:00:00";
constexpr int kYear = 2027, kMonth = 3;
const std::set<int> kEventDays = {15, 17, 18, 19};
const std::set<int> kQuietDays = {10, 25, 26};
constexpr char kNowTitle[] = "Design review";

class CalDavEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (!dav_.problem.empty()) GTEST_SKIP() << dav_.problem;
        setup_ = e2e::Setup::FromEnvironment();
        ASSERT_EQ(setup_.Missing(), "");
        ProfileSettings settings;
        settings.Left = kMainLeft;
        settings.Top = kMainTop;
        settings.ServiceHost = setup_.ServiceHost();
        settings.EventWindowVisible = true;
        settings.EventLeft = kEventLeft;
        settings.EventTop = kMainTop;
        folder_ = std::make_unique<ProgramFolder>(setup_, settings);
        std::filesystem::remove(folder_->Path() / "account.xml");
    }

    void TearDown() override { MovePointer(kParking); }

    // Waits until the control has the keyboard.
    static bool HasKeyboard(HWND dialog, int id) {
        HWND control = GetDlgItem(dialog, id);
        const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
        return WaitUntil(
            [&] {
                GUITHREADINFO info{};
                info.cbSize = sizeof info;
                return GetForegroundWindow() == dialog && GetGUIThreadInfo(thread, &info) && info.hwndFocus == control;
            },
            kStepTimeout);
    }

    std::string Text(HWND dialog, int id) const { return Utf16ToUtf8(TextWithin(GetDlgItem(dialog, id), kStepTimeout)); }

    const testing::DavServers dav_ = testing::FindDavServers();
    e2e::Setup setup_;
    std::unique_ptr<ProgramFolder> folder_;
};

TEST_F(CalDavEndToEnd, AddedThroughTheDialogItsCalendarsShowInTheGrid) {
    const testing::DavServer& server = dav_.servers.front();
    ASSERT_TRUE(server.asksPassword);
    const std::string address = server.origin + "/";
    ProgramProcess program(folder_->ProgramFile(), {{u"TESSEL_NOW", kNow}});
    ASSERT_TRUE(program.Started());
    HWND account = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (account = program.DialogNamed(L"Gmail Account")) || !program.Running(); },
                          kWindowTimeout))
        << "no account dialog came";
    ASSERT_NE(account, nullptr) << "tessel.exe ended instead";
    ASSERT_TRUE(ClickAt(MiddleOf(GetDlgItem(account, kAddressOnlyBtn))));
    HWND add = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (add = program.DialogNamed(L"Add address")) != nullptr; }, kStepTimeout))
        << "the click opened no dialog";

    // The server's address alone: it answers that it wants a user name and password. Keys typed
    // just after a click has moved the keyboard may be lost under Wine, so the fields are reached
    // with Tab, and each stroke is waited for by its effect (xdotool's end cannot be).
    ASSERT_TRUE(HasKeyboard(add, kAddressEd)) << "the dialog did not start in the address";
    ASSERT_TRUE(Xdotool("type --delay 40 " + address));
    ASSERT_TRUE(WaitUntil([&] { return Text(add, kAddressEd) == address; }, kStepTimeout))
        << "typed: " << Text(add, kAddressEd);
    ASSERT_TRUE(Xdotool("key Return"));
    ASSERT_TRUE(WaitUntil([&] { return Text(add, kPanel).find("user name and password") != std::string::npos; },
                          kStepTimeout))
        << "the panel says: " << Text(add, kPanel);

    ASSERT_TRUE(HasKeyboard(add, kUserEd)) << "the dialog did not move to the user name";
    ASSERT_TRUE(Xdotool("type --delay 40 " + dav_.user));
    ASSERT_TRUE(WaitUntil([&] { return Text(add, kUserEd) == dav_.user; }, kStepTimeout))
        << "user: " << Text(add, kUserEd);
    ASSERT_TRUE(Xdotool("key Tab"));
    ASSERT_TRUE(HasKeyboard(add, kPassEd));
    ASSERT_TRUE(Xdotool("type --delay 40 " + dav_.password));
    HWND password = GetDlgItem(add, kPassEd);
    ASSERT_TRUE(WaitUntil(
        [&] { return SendWithin(password, WM_GETTEXTLENGTH, 0, 0, kStepTimeout) == LRESULT(dav_.password.size()); },
        kStepTimeout))
        << "length: " << SendWithin(password, WM_GETTEXTLENGTH, 0, 0, kStepTimeout).value_or(-1) << " user: "
        << Text(add, kUserEd) << " address: " << Text(add, kAddressEd) << " title: " << Text(add, 1203)
        << (SaveBitmap(CaptureWindow(add), (setup_.FixtureDir / "screen-add-caldav-failed.bmp").u16string()) ? "" : "");
    SaveBitmap(CaptureWindow(add), (setup_.FixtureDir / "screen-add-caldav.bmp").u16string());
    ASSERT_TRUE(Xdotool("key Return"));

    HWND list = GetDlgItem(account, kListView1);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(add) && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 2; },
                          kStepTimeout))
        << "the calendars were not listed; rows: " << SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)
        << (IsWindow(add) ? "; the dialog says: " + Text(add, kPanel) : std::string());
    HWND save = GetDlgItem(account, kSaveBtn);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(save) != FALSE; }, kStepTimeout));
    SaveBitmap(CaptureWindow(account), (setup_.FixtureDir / "screen-account-caldav.bmp").u16string());
    ASSERT_TRUE(ClickAt(MiddleOf(save)));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(account); }, kStepTimeout)) << "Save did not close the dialog";

    TSubscriptions saved(folder_->Folder());
    saved.Load();
    ASSERT_EQ(saved.Accounts.size(), 1u);
    EXPECT_EQ(saved.Accounts[0].User, dav_.user);
    EXPECT_EQ(saved.Accounts[0].Password, dav_.password);
    std::set<std::string> names;
    for (const TSubscription& calendar : saved.Accounts[0].Calendars) names.insert(calendar.Title);
    EXPECT_EQ(names, (std::set<std::string>{"Home", "Work"}));

    HWND window = program.WaitForTopWindow(L"TMainFm", kWindowTimeout);
    ASSERT_NE(window, nullptr);
    const GridColors colors = GridColors::FromTheme(setup_.Theme);
    const ExpectedMonth month = ExpectedMonth::Of(kYear, kMonth);
    const auto framed = [&](HWND grid, int day) {
        const GridView view(grid, month);
        const int at = DayNumber(kYear, kMonth, day) - month.FirstCell;
        return view.Valid() && view.Framed(at % 7, at / 7, colors.Day);
    };
    HWND grid = nullptr;
    const bool shown = WaitUntil(
        [&] {
            grid = FindWindowExW(window, nullptr, L"TesselCalGrid", nullptr);
            if (!grid || !IsWindowVisible(window)) return false;
            for (const int day : kEventDays)
                if (!framed(grid, day)) return false;
            for (const int day : kQuietDays)
                if (framed(grid, day)) return false;
            return true;
        },
        kReadyTimeout);
    SaveBitmap(CaptureWindow(window), (setup_.FixtureDir / "screen-caldav.bmp").u16string());
    ASSERT_TRUE(shown) << "the grid never framed the calendars' days; status: "
                       << Utf16ToUtf8(ShownStatus(window).value_or(u"(hidden)"));
    HWND events = program.WaitForTopWindow(L"TEventFm", kWindowTimeout);
    ASSERT_NE(events, nullptr);
    HWND rows = FindWindowExW(FindWindowExW(events, nullptr, L"TesselEventPanel", nullptr), nullptr,
                              L"TesselEventGrid", nullptr);
    std::string listed;
    EXPECT_TRUE(WaitUntil(
        [&] {
            listed = rows ? Utf16ToUtf8(TextWithin(rows, kStepTimeout)) : std::string();
            return listed.find(kNowTitle) != std::string::npos;
        },
        kReadyTimeout))
        << "today's rows: " << listed;
    PostMessageW(window, WM_COMMAND, kExitCommand, 0);
    EXPECT_TRUE(program.WaitForExit(kExitTimeout));
}

}  // namespace
}  // namespace tessel::e2e
