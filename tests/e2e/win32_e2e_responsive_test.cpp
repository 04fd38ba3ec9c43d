// tessel.exe while the service is slow, end to end: the local service holds the start-up sign-in,
// and while that request is in flight the window keeps answering what reaches it (a message, the
// menu's commands), a second sync is refused and "&Exit" waits for the sync; once the held answer
// comes, the sync ends with the events saved and the program ends as asked. The same holds for
// the first start's account dialog while it signs in.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

#include "base/file_io.h"
#include "calendar/http.h"
#include "e2e_month.h"
#include "e2e_setup.h"
#include "win32_e2e_process.h"
#include "win32/win32_text.h"

namespace tessel::e2e {
namespace {

constexpr Millis kWindowTimeout{120000};
constexpr Millis kReadyTimeout{180000};
constexpr Millis kExitTimeout{180000};
// A window whose thread processes its messages answers at once; one that waits on the network
// answers when the request ends, 20 s later.
constexpr Millis kAnswerTimeout{1000};
constexpr Millis kProbeInterval{300};
constexpr int kProbes = 5;

constexpr wchar_t kMainClass[] = L"TMainFm";
constexpr wchar_t kDialogClass[] = L"#32770";
// The account dialog's fields and its Next button (dialogs/win32_account_dialog.h).
constexpr int kUserEd = 1010, kPassEd = 1011, kNextBtn = 1040;
constexpr WPARAM kSyncCommand = 102;
constexpr WPARAM kExitCommand = 109;
constexpr char16_t kMorning[] = u"2010-01-13 11:30:00";
constexpr char16_t kSyncingText[] = u"Sync Google Calendar ...";

bool Answers(HWND window, UINT msg, WPARAM wp) { return SendWithin(window, msg, wp, 0, kAnswerTimeout).has_value(); }

TEST(EndToEndResponsive, TheWindowAnswersWhileTheServiceHoldsTheSignIn) {
    const e2e::Setup setup = e2e::Setup::FromEnvironment();
    ASSERT_EQ(setup.Missing(), "");
    ProfileSettings settings;
    settings.Left = 700;
    settings.Top = 320;
    settings.ServiceHost = setup.ServiceHost();
    const ProgramFolder folder(setup, settings);

    // The service holds the next sign-in for 20 s; it is logged when it is answered.
    THttp http;
    ASSERT_TRUE(http.Send(THttpRequest{.Url = "http://" + setup.ServiceHost() +
                         "/test/fault?path=/accounts/ClientLogin&status=delay=20000&count=1"}).Ok());
    const int signInsBefore = setup.SignInCount();

    ProgramProcess program(folder.ProgramFile(), EnvironmentOverrides{{u"TESSEL_NOW", kMorning}});
    ASSERT_TRUE(program.Started());
    const HWND window = program.WaitForTopWindow(kMainClass, kWindowTimeout);
    ASSERT_TRUE(window);
    ASSERT_TRUE(WaitUntil([&] { return ShownStatus(window) == std::u16string(kSyncingText); }, kReadyTimeout));

    // While the sign-in is held, every message is answered as it comes.
    int heldProbes = 0;
    for (int i = 0; i < kProbes; ++i) {
        EXPECT_TRUE(Answers(window, WM_NULL, 0)) << "probe " << i << " waited for the request";
        if (setup.SignInCount() == signInsBefore) ++heldProbes;
        Sleep(DWORD(kProbeInterval.count()));
    }
    // The probes ran while the request was in flight (it takes 20 s, they take under 7 s).
    EXPECT_GE(heldProbes, kProbes - 1);

    // The menu's commands are answered too: a second sync is refused, and the exit waits for the
    // running one, which uses the client and the window.
    EXPECT_TRUE(Answers(window, WM_COMMAND, kSyncCommand));
    EXPECT_TRUE(Answers(window, WM_COMMAND, kExitCommand));
    const bool stillHeld = setup.SignInCount() == signInsBefore;
    EXPECT_TRUE(stillHeld) << "the held sign-in ended before the commands were given";
    if (stillHeld) {
        EXPECT_TRUE(program.Running()) << "the program ended under the running request";
    }

    // The held answer comes, the sync ends with the events saved, and the program ends.
    ASSERT_TRUE(program.WaitForExit(kExitTimeout)) << "the program did not end after the sync";
    DWORD code = 1;
    GetExitCodeProcess(program.Handle(), &code);
    EXPECT_EQ(code, 0u);
    // A first start signs in twice, for the cache it does not have and for the start-up sync; the
    // refused sync adds none.
    EXPECT_EQ(setup.SignInCount(), signInsBefore + 2) << "the refused sync signed in again";
    const std::u16string cache = folder.File(kEventCacheFile);
    ASSERT_TRUE(FileExists(cache));
    EXPECT_FALSE(EventStartDays(ReadFileBytes(cache)).empty());
    EXPECT_NE(ReadFileBytes(folder.File(u"profile.xml")).find("left=\"700\""), std::string::npos);
}

// The session ends (log-off or shut-down) while the service holds the start-up sign-in: the
// windows' places and visibility reach profile.xml at once, as "&Exit" would leave them, without
// waiting for the sync. Wine's own wineboot ends the session as the system would, sending both
// messages to every top-level window.
TEST(EndToEndResponsive, TheSessionsEndSavesThePlacesWithoutWaitingForTheSync) {
    const e2e::Setup setup = e2e::Setup::FromEnvironment();
    ASSERT_EQ(setup.Missing(), "");
    ProfileSettings settings;
    settings.Left = 700;
    settings.Top = 560;
    settings.EventWindowVisible = true;
    settings.EventLeft = 950;
    settings.EventTop = 560;
    settings.ServiceHost = setup.ServiceHost();
    const ProgramFolder folder(setup, settings);
    THttp http;
    ASSERT_TRUE(http.Send(THttpRequest{.Url = "http://" + setup.ServiceHost() +
                         "/test/fault?path=/accounts/ClientLogin&status=delay=30000&count=1"}).Ok());
    const int signInsBefore = setup.SignInCount();

    ProgramProcess program(folder.ProgramFile(), EnvironmentOverrides{{u"TESSEL_NOW", kMorning}});
    ASSERT_TRUE(program.Started());
    const HWND window = program.WaitForTopWindow(kMainClass, kWindowTimeout);
    const HWND events = program.WaitForTopWindow(L"TEventFm", kWindowTimeout);
    ASSERT_TRUE(window && events);
    ASSERT_TRUE(WaitUntil([&] { return ShownStatus(window) == std::u16string(kSyncingText); }, kReadyTimeout));
    // Moved as a user would have moved them, and the event list window hidden by its close image.
    ASSERT_TRUE(SetWindowPos(window, nullptr, 640, 600, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
    ASSERT_TRUE(SetWindowPos(events, nullptr, 900, 610, 210, 190, SWP_NOZORDER | SWP_NOACTIVATE));
    ASSERT_TRUE(SendWithin(events, WM_CLOSE, 0, 0, kAnswerTimeout));
    RECT main{};
    GetWindowRect(window, &main);

    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    ProgramProcess wineboot(win32::FromW(system) + u"\\wineboot.exe", {}, u"--end-session --shutdown");
    ASSERT_TRUE(wineboot.Started()) << "wineboot did not start: " << wineboot.StartError();
    ASSERT_TRUE(wineboot.WaitForExit(Millis(60000))) << "the session's end did not finish";

    const std::string profile = ReadFileBytes(folder.File(u"profile.xml"));
    EXPECT_EQ(setup.SignInCount(), signInsBefore) << "the sync ended before the session did";
    for (const std::string& expected :
         {"<window left=\"640\" top=\"600\" height=\"" + std::to_string(main.bottom - main.top) +
             "\" transparency=\"100\" visible=\"1\"",
          std::string("<eventwindow left=\"900\" top=\"610\" height=\"190\" width=\"210\" visible=\"0\"")})
        EXPECT_NE(profile.find(expected), std::string::npos) << expected << " not in\n" << profile;
}

// "&Exit" (from the tray, say) while the first start's account dialog signs in: the sign-in is
// not cut from under the dialog; once it is over the dialog closes as Cancel would and the
// program ends, with no account written.
TEST(EndToEndResponsive, ExitWhileTheAccountDialogSignsInClosesTheDialogThenTheProgram) {
    const e2e::Setup setup = e2e::Setup::FromEnvironment();
    ASSERT_EQ(setup.Missing(), "");
    ProfileSettings settings;
    settings.Left = 950;
    settings.Top = 320;
    settings.ServiceHost = setup.ServiceHost();
    const ProgramFolder folder(setup, settings);
    std::filesystem::remove(folder.Path() / "account.xml");

    THttp http;
    ASSERT_TRUE(http.Send(THttpRequest{.Url = "http://" + setup.ServiceHost() +
                         "/test/fault?path=/accounts/ClientLogin&status=delay=5000&count=1"}).Ok());
    const int signInsBefore = setup.SignInCount();

    ProgramProcess program(folder.ProgramFile(), EnvironmentOverrides{{u"TESSEL_NOW", kMorning}});
    HWND dialog = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            dialog = program.TopWindow(kDialogClass);
            return (dialog && IsWindowVisible(dialog)) || !program.Running();
        },
        kWindowTimeout));
    ASSERT_TRUE(dialog) << "no account dialog came";
    const HWND window = program.TopWindow(kMainClass);
    ASSERT_TRUE(window);
    ASSERT_TRUE(SendWithin(GetDlgItem(dialog, kUserEd), WM_SETTEXT, 0, LPARAM(L"demo@localhost"), kWindowTimeout));
    ASSERT_TRUE(SendWithin(GetDlgItem(dialog, kPassEd), WM_SETTEXT, 0, LPARAM(L"demo"), kWindowTimeout));
    // Next starts the sign-in; the exit is handled while its request waits.
    PostMessageW(GetDlgItem(dialog, kNextBtn), BM_CLICK, 0, 0);
    PostMessageW(window, WM_COMMAND, kExitCommand, 0);
    EXPECT_TRUE(Answers(window, WM_NULL, 0));
    if (setup.SignInCount() == signInsBefore) {
        EXPECT_TRUE(program.Running()) << "the program ended under the dialog's sign-in";
        EXPECT_TRUE(IsWindow(dialog));
    }

    ASSERT_TRUE(program.WaitForExit(kExitTimeout)) << "the program did not end after the sign-in";
    DWORD code = 1;
    GetExitCodeProcess(program.Handle(), &code);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(setup.SignInCount(), signInsBefore + 1) << "the dialog's sign-in did not run to its end";
    EXPECT_FALSE(FileExists(folder.File(u"account.xml")));
}

}  // namespace
}  // namespace tessel::e2e
