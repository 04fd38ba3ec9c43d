// tessel.exe's first start without an account, end to end: the account dialog comes before the
// calendar; the demo account typed in, Next and Save lead to the calendar showing the demo
// events, from all four calendars. The dialog is driven from this process with the messages a
// user's typing and clicks send its controls. The menu's dialogs are opened over a running
// calendar the same way.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "base/file_io.h"
#include "base/text.h"
#include "calendar/account.h"
#include "e2e_month.h"
#include "e2e_setup.h"
#include "win32_e2e_grid.h"
#include "win32_e2e_process.h"
#include "win32_e2e_screen.h"
#include "xml/xdata_node.h"

namespace tessel::e2e {
namespace {

constexpr Millis kWindowTimeout{120000};
constexpr Millis kSignInTimeout{60000};
constexpr Millis kReadyTimeout{180000};
constexpr Millis kMessageTimeout{30000};
constexpr Millis kExitTimeout{60000};

constexpr wchar_t kMainClass[] = L"TMainFm";
constexpr wchar_t kGridClass[] = L"TesselCalGrid";
constexpr wchar_t kDialogClass[] = L"#32770";
constexpr WPARAM kExitCommand = 109;
// The account dialog's controls (dialogs/win32_account_dialog.h).
constexpr int kUserEd = 1010, kPassEd = 1011, kListView1 = 1020, kNextBtn = 1040, kSaveBtn = IDOK;
constexpr int kAccountLeft = 250;

// WM_GETTEXT, which reaches another process's controls (GetWindowText gives only captions there).
std::u16string TextOf(HWND window) {
    wchar_t text[256] = {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                             UINT(kMessageTimeout.count()), &length))
        return u"(no answer)";
    return std::u16string(reinterpret_cast<const char16_t*>(text));
}

bool SetText(HWND control, const wchar_t* text) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                               UINT(kMessageTimeout.count()), &result) != 0;
}

TEST(EndToEndAccount, FirstStartWithoutAccountAsksForItThenShowsTheDemoEvents) {
    const e2e::Setup setup = e2e::Setup::FromEnvironment();
    ASSERT_EQ(setup.Missing(), "");
    ProfileSettings settings;
    settings.Left = kAccountLeft;
    settings.ServiceHost = setup.ServiceHost();
    const ProgramFolder folder(setup, settings);
    std::filesystem::remove(folder.Path() / "account.xml");

    ProgramProcess program(folder.ProgramFile(), {{u"TESSEL_NOW", u"2010-01-13 11:30:00"}});
    ASSERT_TRUE(program.Started());
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            dialog = program.TopWindow(kDialogClass);
            return (dialog && IsWindowVisible(dialog)) || !program.Running();
        },
        kWindowTimeout))
        << "no account dialog came";
    ASSERT_NE(dialog, nullptr) << "tessel.exe ended instead";
    EXPECT_EQ(TextOf(dialog), u"Gmail Account");
    const HWND window = program.TopWindow(kMainClass);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowVisible(window)) << "the calendar shows before the account is set";

    ASSERT_TRUE(SetText(GetDlgItem(dialog, kUserEd), L"demo@localhost"));
    ASSERT_TRUE(SetText(GetDlgItem(dialog, kPassEd), L"demo"));
    PostMessageW(GetDlgItem(dialog, kNextBtn), BM_CLICK, 0, 0);
    // Signed in: the list holds the account's four calendars, Save has taken Next's place.
    const HWND list = GetDlgItem(dialog, kListView1);
    ASSERT_TRUE(WaitUntil(
        [&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 4 && IsWindowVisible(GetDlgItem(dialog, kSaveBtn)); },
        kSignInTimeout))
        << "the calendar list did not come";
    RECT r{};
    GetWindowRect(dialog, &r);
    SaveBitmap(CaptureScreen(r), (setup.FixtureDir / "screen-account-dialog.bmp").u16string());
    PostMessageW(GetDlgItem(dialog, kSaveBtn), BM_CLICK, 0, 0);

    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, kMessageTimeout)) << "the dialog stayed open";
    // The account was saved as typed, with every calendar of the list.
    TAccount saved(folder.Folder());
    saved.LoadFrom(folder.File(u"account.xml"));
    EXPECT_EQ(saved.UserName, "demo@localhost");
    EXPECT_EQ(saved.Password, "demo");
    ASSERT_NE(saved.CalendarEntries, nullptr);
    EXPECT_EQ(saved.CalendarEntries->Count(), 4u);

    // The start goes on: the calendar shows, today filled and the days with events framed.
    const ExpectedMonth month = ExpectedMonth::Of(kTodayYear, kTodayMonth);
    const GridColors colors = GridColors::FromTheme(setup.Theme);
    HWND grid = nullptr;
    std::set<int> eventDays;
    ASSERT_TRUE(WaitUntil(
        [&] {
            grid = FindWindowExW(window, nullptr, kGridClass, nullptr);
            if (!grid || !IsWindowVisible(window)) return false;
            eventDays = EventStartDays(FileExists(folder.File(kEventCacheFile)) ? ReadFileBytes(folder.File(kEventCacheFile))
                                                                                 : std::string());
            const GridView view(grid, month);
            if (!view.Valid() || eventDays.empty()) return false;
            const int today = DayNumber(kTodayYear, kTodayMonth, kTodayDay) - month.FirstCell;
            if (view.FillShare(today % 7, today / 7, colors.Today) < 0.15) return false;
            for (const int day : eventDays) {
                const int at = day - month.FirstCell;
                if (at < 0 || at >= 7 * month.WeekCount) continue;
                if (!view.Framed(at % 7, at / 7, month.InMonth(day) ? colors.Day : colors.OtherMonth) &&
                    day != DayNumber(kTodayYear, kTodayMonth, kTodayDay))
                    return false;
            }
            return true;
        },
        kReadyTimeout))
        << "the calendar never showed the demo events";
    const std::string events = ReadFileBytes(folder.File(kEventCacheFile));
    // The fourth calendar's events came too (its title and theirs are UTF-8 in the feed).
    EXPECT_NE(events.find("Stammtisch im Caf\xC3\xA9"), std::string::npos);
    EXPECT_NE(events.find("Team stand-up"), std::string::npos);

    PostMessageW(window, WM_COMMAND, kExitCommand, 0);
    EXPECT_TRUE(program.WaitForExit(kExitTimeout));
}

// The menu's dialogs of a running program: "&Options ..." saved applies the settings at once and
// syncs; "&About" shows the reduced form; "Gmail Account ..." cancelled changes nothing.
TEST(EndToEndAccount, MenuDialogsOpenOverTheCalendarAndOptionsTakeEffect) {
    const e2e::Setup setup = e2e::Setup::FromEnvironment();
    ASSERT_EQ(setup.Missing(), "");
    ProfileSettings settings;
    settings.Left = kAccountLeft;
    settings.Top = 500;
    settings.ServiceHost = setup.ServiceHost();
    const ProgramFolder folder(setup, settings);
    const int before = setup.SignInCount();
    ProgramProcess program(folder.ProgramFile(), {{u"TESSEL_NOW", u"2010-01-13 11:30:00"}});
    ASSERT_TRUE(program.Started());
    HWND window = nullptr;
    // Started when both start-up syncs (the cache load's and the start's own) are over.
    ASSERT_TRUE(WaitUntil(
        [&] {
            window = program.TopWindow(kMainClass);
            const HWND panel = window ? FindWindowExW(window, nullptr, L"TesselMsgPanel", nullptr) : nullptr;
            return window && IsWindowVisible(window) && FileExists(folder.File(kEventCacheFile)) &&
                   setup.SignInCount() >= before + 2 && panel && !IsWindowVisible(panel);
        },
        kReadyTimeout));
    ASSERT_TRUE(SendWithin(window, WM_NULL, 0, 0, kReadyTimeout));

    // Opens a dialog from the menu and answers it; the dialog and its result are checked by act.
    // A command that comes while a sync is still ending is refused with a beep, as it is for a
    // user, so it is given again until the dialog shows (the panel goes before the sync returns).
    auto throughMenu = [&](WPARAM command, const std::function<void(HWND dialog)>& act) {
        HWND dialog = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] {
                PostMessageW(window, WM_COMMAND, command, 0);
                return WaitUntil([&] { return (dialog = program.TopWindow(kDialogClass)) && IsWindowVisible(dialog); },
                                 Millis(3000));
            },
            kWindowTimeout));
        act(dialog);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, kMessageTimeout)) << "the dialog stayed open";
    };

    constexpr WPARAM kAccountCommand = 104, kOptionsCommand = 105, kAboutCommand = 108;
    constexpr int kStartupCheck = 1110, kTranBar1 = 1111, kIntervalEd = 1113, kCancelbtn = IDCANCEL;
    int signIns = setup.SignInCount();
    throughMenu(kAccountCommand, [&](HWND dialog) {
        EXPECT_EQ(TextOf(dialog), u"Gmail Account");
        EXPECT_EQ(TextOf(GetDlgItem(dialog, kUserEd)), u"demo@localhost");
        PostMessageW(GetDlgItem(dialog, kCancelbtn), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(setup.SignInCount(), signIns) << "a cancelled account dialog signed in";

    throughMenu(kAboutCommand, [&](HWND dialog) {
        EXPECT_EQ(TextOf(dialog), u"Options");
        EXPECT_EQ(TextOf(GetDlgItem(dialog, kSaveBtn)), u"OK");
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, kCancelbtn)));
        EXPECT_EQ(TextOf(GetDlgItem(dialog, 1120)), u"Version :1.0.0.0");
        RECT r{};
        GetWindowRect(dialog, &r);
        SaveBitmap(CaptureScreen(r), (setup.FixtureDir / "screen-about-box.bmp").u16string());
        PostMessageW(GetDlgItem(dialog, kSaveBtn), BM_CLICK, 0, 0);
    });

    signIns = setup.SignInCount();
    throughMenu(kOptionsCommand, [&](HWND dialog) {
        EXPECT_EQ(SendMessageW(GetDlgItem(dialog, kTranBar1), TBM_GETPOS, 0, 0), 100);
        SendMessageW(GetDlgItem(dialog, kTranBar1), TBM_SETPOS, TRUE, 50);
        ASSERT_TRUE(SetText(GetDlgItem(dialog, kIntervalEd), L"45"));
        EXPECT_EQ(SendMessageW(GetDlgItem(dialog, kStartupCheck), BM_GETCHECK, 0, 0), BST_UNCHECKED);
        PostMessageW(GetDlgItem(dialog, kSaveBtn), BM_CLICK, 0, 0);
    });
    // Saved, applied (transparency 50 gives alpha 127) and synced.
    const std::string profile = ReadFileBytes(folder.File(u"profile.xml"));
    EXPECT_NE(profile.find("interval=\"45\""), std::string::npos) << profile;
    EXPECT_NE(profile.find("transparency=\"50\""), std::string::npos) << profile;
    BYTE alpha = 0;
    DWORD flags = 0;
    EXPECT_TRUE(WaitUntil(
        [&] { return GetLayeredWindowAttributes(window, nullptr, &alpha, &flags) && alpha == 127; }, kMessageTimeout))
        << int(alpha);
    EXPECT_TRUE(WaitUntil([&] { return setup.SignInCount() > signIns; }, kMessageTimeout)) << "no sync after Options";

    // profile.xml emptied while the program runs: Save writes every setting the program holds.
    // (Options waits for the sync to end: the status panel goes.)
    ASSERT_TRUE(WaitUntil(
        [&] {
            const HWND panel = FindWindowExW(window, nullptr, L"TesselMsgPanel", nullptr);
            return panel && !IsWindowVisible(panel);
        },
        kReadyTimeout));
    WriteFileAtomic(folder.File(u"profile.xml"), "");
    throughMenu(kOptionsCommand, [&](HWND dialog) {
        EXPECT_EQ(SendMessageW(GetDlgItem(dialog, kTranBar1), TBM_GETPOS, 0, 0), 50) << "not what the program holds";
        ASSERT_TRUE(SetText(GetDlgItem(dialog, kIntervalEd), L"25"));
        PostMessageW(GetDlgItem(dialog, kSaveBtn), BM_CLICK, 0, 0);
    });
    TxdataNode saved;
    ASSERT_NO_THROW(saved.LoadFromBytes(ReadFileBytes(folder.File(u"profile.xml"))));
    EXPECT_EQ(saved.ReadValue(u"update/interval"), u"25");
    EXPECT_EQ(saved.ReadValue(u"window/transparency"), u"50");
    EXPECT_EQ(saved.ReadValue(u"window/left"), Widen(std::to_string(kAccountLeft)));
    EXPECT_EQ(saved.ReadValue(u"hosts/service"), Widen(setup.ServiceHost()));
    EXPECT_EQ(saved.ReadValue(u"eventwindow/visible"), u"0");

    PostMessageW(window, WM_COMMAND, kExitCommand, 0);
    EXPECT_TRUE(program.WaitForExit(kExitTimeout));
}

}  // namespace
}  // namespace tessel::e2e
