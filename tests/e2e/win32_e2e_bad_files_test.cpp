// tessel.exe with one file at a time damaged or holding values out of reach, end to end: what the
// user sees (the message boxes, found by their text and answered here; the calendar window and
// its status panel) and what the files hold afterwards. Every message box the program opens
// blocks it until answered, so each wait below answers the boxes that come while it waits.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "base/text.h"
#include "calendar/account.h"
#include "e2e_setup.h"
#include "win32_e2e_process.h"
#include "win32_e2e_screen.h"
#include "win32/win32_text.h"

namespace tessel::e2e {
namespace {

constexpr Millis kReadyTimeout{240000};
constexpr Millis kMessageTimeout{30000};
constexpr Millis kExitTimeout{60000};

constexpr wchar_t kMainClass[] = L"TMainFm";
constexpr wchar_t kPanelClass[] = L"TesselMsgPanel";
constexpr wchar_t kDialogClass[] = L"#32770";
constexpr WPARAM kExitCommand = 109;
constexpr char16_t kMorning[] = u"2010-01-13 11:30:00";
// The virtual screen the suite runs on.
constexpr RECT kScreen{0, 0, 1280, 800};

// WM_GETTEXT, which reaches another process's controls (GetWindowText gives only captions there).
std::u16string TextOf(HWND window) {
    wchar_t text[1024] = {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                             UINT(kMessageTimeout.count()), &length))
        return u"(no answer)";
    return win32::FromW(text);
}

BOOL CALLBACK AppendStaticText(HWND child, LPARAM lp) {
    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    if (_wcsicmp(cls, L"Static") == 0) *reinterpret_cast<std::u16string*>(lp) += TextOf(child);
    return TRUE;
}

// One run of tessel.exe in its folder, with the message boxes it showed so far.
class ProgramRun {
public:
    ProgramRun(const e2e::Setup& setup, const ProfileSettings& settings,
        const std::function<void(const ProgramFolder&)>& damage = nullptr)
        : folder_(setup, settings) {
        if (damage) damage(folder_);
        program_ = std::make_unique<ProgramProcess>(folder_.ProgramFile(), EnvironmentOverrides{{u"TESSEL_NOW", kMorning}});
    }
    ~ProgramRun() {
        if (program_->Running()) program_->Kill();
    }

    const ProgramFolder& Folder() const { return folder_; }
    ProgramProcess& Program() { return *program_; }
    HWND Window() const { return program_->TopWindow(kMainClass); }
    HWND Panel() const {
        const HWND window = Window();
        return window ? FindWindowExW(window, nullptr, kPanelClass, nullptr) : nullptr;
    }
    // The panel's text while it is shown.
    std::optional<std::u16string> ShownStatus() const { return e2e::ShownStatus(Window()); }
    const std::vector<std::u16string>& Messages() const { return messages_; }

    // Answers the message box the program shows now (OK), or hands its account dialog to the
    // dialog handler; false when neither is open.
    bool AnswerOpenBox(const std::function<void(HWND)>& dialog = nullptr) {
        const HWND box = program_->TopWindow(kDialogClass);
        if (!box || !IsWindowVisible(box)) return false;
        if (TextOf(box) == u"Tessel Desktop") {
            std::u16string text;
            EnumChildWindows(box, AppendStaticText, reinterpret_cast<LPARAM>(&text));
            messages_.push_back(text);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        } else if (dialog) {
            dialog(box);
        }
        WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, kMessageTimeout);
        return true;
    }

    // Answers the program's boxes until the condition holds; false after the timeout.
    bool AnswerUntil(const std::function<bool()>& condition, const std::function<void(HWND)>& dialog = nullptr) {
        return WaitUntil([&] { return !AnswerOpenBox(dialog) && (condition() || !program_->Running()); },
                         kReadyTimeout);
    }

    // "&Exit", as the menu gives it; the settings reach profile.xml.
    bool Exit() {
        PostMessageW(Window(), WM_COMMAND, kExitCommand, 0);
        return program_->WaitForExit(kExitTimeout);
    }

private:
    ProgramFolder folder_;
    std::unique_ptr<ProgramProcess> program_;
    std::vector<std::u16string> messages_;
};

ProfileSettings SettingsAt(const e2e::Setup& setup, int left, int top) {
    ProfileSettings settings;
    settings.Left = left;
    settings.Top = top;
    settings.ServiceHost = setup.ServiceHost();
    return settings;
}

void Replace(const ProgramFolder& folder, const std::u16string& file, const std::string& from, const std::string& to) {
    std::string text = ReadFileBytes(folder.File(file));
    const size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
    WriteFileAtomic(folder.File(file), text);
}

const std::u16string kThemeDescription = u"theme\\default\\profile.xml";
const std::u16string kThemeImage = u"theme\\default\\background.png";

int EmptyNameSignIns(const e2e::Setup& setup) {
    int count = 0;
    for (const std::string& line : setup.ServiceLog())
        if (line.find("ClientLogin?Email=&") != std::string::npos) ++count;
    return count;
}

bool Contains(const std::u16string& text, const std::string& part) {
    return text.find(Utf8ToUtf16(part)) != std::u16string::npos;
}

// A damaged theme image, a theme description that is not XML, a setting that is not a number and
// a missing theme folder each cost only themselves: one message naming the file (and the setting), then the demo
// account signs in, syncs and the calendar shows. The runs go side by side, each in its own place.
TEST(EndToEndBadFiles, ABadThemeOrSettingCostsOnlyItselfAndIsToldOnce) {
    const e2e::Setup setup = e2e::Setup::FromEnvironment();
    ASSERT_EQ(setup.Missing(), "");
    struct Case {
        const char* what;
        int left;
        std::function<void(const ProgramFolder&)> damage;
        std::vector<std::string> told;  // parts of the one message
    };
    const std::vector<Case> cases = {
        {"truncated image", 100,
         [](const ProgramFolder& f) {
             std::string png = ReadFileBytes(f.File(kThemeImage));
             WriteFileAtomic(f.File(kThemeImage), png.substr(0, png.size() / 3));
         },
         {"background.png\" could not be read", "drawn without it"}},
        {"garbage description", 450,
         [](const ProgramFolder& f) { WriteFileAtomic(f.File(kThemeDescription), "\x01 this is <<not a theme"); },
         {"profile.xml\" is damaged and was not used", "drawn plainly"}},
        {"a setting that is not a number", 800,
         [](const ProgramFolder& f) { Replace(f, u"profile.xml", "left=\"800\"", "left=\"abc\""); },
         {"'abc' is not a valid integer value (window/left in \"", "profile.xml\")"}},
        {"no theme folder", 1000, [](const ProgramFolder& f) { std::filesystem::remove_all(f.Path() / "theme"); },
         {"theme\\default\\\" or its profile.xml was not found", "drawn plainly"}},
    };
    const int signInsBefore = setup.SignInCount();
    const int emptyBefore = EmptyNameSignIns(setup);
    std::vector<std::unique_ptr<ProgramRun>> runs;
    for (const Case& c : cases) runs.push_back(std::make_unique<ProgramRun>(setup, SettingsAt(setup, c.left, 320), c.damage));

    // Both start-up syncs of every run are over (the cache load's and the start's own); each
    // run's boxes are answered meanwhile, as one left open would hold up its start.
    ASSERT_TRUE(WaitUntil(
        [&] {
            bool answered = false;
            for (auto& run : runs) answered = run->AnswerOpenBox() || answered;
            if (answered || setup.SignInCount() < signInsBefore + 2 * int(cases.size())) return false;
            for (auto& run : runs) {
                const HWND window = run->Window();
                if (!window || !IsWindowVisible(window) || !FileExists(run->Folder().File(kEventCacheFile)) ||
                    run->ShownStatus())
                    return false;
            }
            return true;
        },
        kReadyTimeout))
        << "a run never finished its start";
    EXPECT_EQ(EmptyNameSignIns(setup), emptyBefore) << "a run signed in without a name";

    // Options OK reads the settings and the theme again and syncs; a theme whose files have not
    // changed is not told about again (the one message is counted below).
    constexpr WPARAM kOptionsCommand = 105;
    for (ProgramRun* run : {runs[0].get(), runs[3].get()}) {
        const int signIns = setup.SignInCount();
        bool saved = false;
        PostMessageW(run->Window(), WM_COMMAND, kOptionsCommand, 0);
        EXPECT_TRUE(run->AnswerUntil([&] { return saved && setup.SignInCount() > signIns && !run->ShownStatus(); },
                                     [&](HWND options) {
                                         PostMessageW(GetDlgItem(options, IDOK), BM_CLICK, 0, 0);
                                         saved = true;
                                     }))
            << "no sync after Options";
    }

    const std::string themeBefore = ReadFileBytes(runs[1]->Folder().File(kThemeDescription));
    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        ProgramRun& run = *runs[i];
        ASSERT_EQ(run.Messages().size(), 1u);
        for (const std::string& part : cases[i].told)
            EXPECT_TRUE(Contains(run.Messages()[0], part)) << Utf16ToUtf8(run.Messages()[0]);
        RECT r{};
        GetWindowRect(run.Window(), &r);
        SaveBitmap(CaptureWindow(run.Window()),
                   (setup.FixtureDir / ("screen-bad-files-" + std::to_string(i) + ".bmp")).u16string());
        EXPECT_GT(r.right - r.left, 100);
        EXPECT_GT(r.bottom - r.top, 100);
        EXPECT_TRUE(run.Exit());
        // The damaged file is as it was; the account as the fixture wrote it.
        EXPECT_EQ(ReadFileBytes(run.Folder().File(u"account.xml")), ReadFileBytes((setup.FixtureDir / "account.xml").u16string()));
    }
    EXPECT_EQ(ReadFileBytes(runs[1]->Folder().File(kThemeDescription)), themeBefore);
    // The setting that was not a number is read as the default place and stored as a number at exit.
    const std::string profile = ReadFileBytes(runs[2]->Folder().File(u"profile.xml"));
    EXPECT_EQ(profile.find("abc"), std::string::npos) << profile;
}

// A damaged account file: one message naming it, then the account dialog; cancelled, the
// calendar shows with the status panel saying how to give an account, and no sign-in is sent.
// A click on the panel puts it away.
TEST(EndToEndBadFiles, WithoutAnAccountNothingSignsInAndThePanelSaysWhatToDo) {
    const e2e::Setup setup = e2e::Setup::FromEnvironment();
    ASSERT_EQ(setup.Missing(), "");
    const std::string damaged = "this is not an account";
    const int signInsBefore = setup.SignInCount();
    ProgramRun run(setup, SettingsAt(setup, 300, 330),
            [&](const ProgramFolder& f) { WriteFileAtomic(f.File(u"account.xml"), damaged); });

    int dialogs = 0;
    ASSERT_TRUE(run.AnswerUntil(
        [&] {
            const auto status = run.ShownStatus();
            return status && IsWindowVisible(run.Window()) && status->find(u"No account yet.") == 0;
        },
        [&](HWND dialog) {
            EXPECT_EQ(TextOf(dialog), u"Gmail Account");
            ++dialogs;
            PostMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
        }))
        << "the panel never said what to do";
    ASSERT_EQ(run.Messages().size(), 1u);
    EXPECT_TRUE(Contains(run.Messages()[0], "account.xml\" is damaged")) << Utf16ToUtf8(run.Messages()[0]);
    EXPECT_EQ(dialogs, 1);
    EXPECT_TRUE(Contains(*run.ShownStatus(), "Gmail Account ...")) << Utf16ToUtf8(*run.ShownStatus());

    // "Sync Canlendar" asks again: still no request, the same words.
    constexpr WPARAM kSyncCommand = 102;
    ASSERT_TRUE(SendWithin(run.Window(), WM_COMMAND, kSyncCommand, 0, kMessageTimeout));
    ASSERT_TRUE(run.ShownStatus());
    EXPECT_EQ(run.ShownStatus()->find(u"No account yet."), 0u);
    EXPECT_EQ(setup.SignInCount(), signInsBefore) << "a sign-in was sent without an account";

    EXPECT_TRUE(run.Exit());
    EXPECT_EQ(ReadFileBytes(run.Folder().File(u"account.xml")), damaged);
}

// The status panel after a failed sync (the service refuses the password) goes away at a click,
// and the calendar stays.
TEST(EndToEndBadFiles, AClickPutsTheStatusPanelAway) {
    const e2e::Setup setup = e2e::Setup::FromEnvironment();
    ASSERT_EQ(setup.Missing(), "");
    const int signInsBefore = setup.SignInCount();
    ProgramRun run(setup, SettingsAt(setup, 600, 340), [](const ProgramFolder& f) {
        TAccount account(f.Folder());
        account.LoadFrom(f.File(u"account.xml"));
        account.Password = "not the password";
        account.SaveTo(f.File(u"account.xml"));
    });
    // Both start-up syncs have failed: the second has signed in and said so.
    ASSERT_TRUE(run.AnswerUntil([&] {
        const auto status = run.ShownStatus();
        return setup.SignInCount() >= signInsBefore + 2 && status && status->find(u"Gmail Authenticate failed!") == 0 &&
               IsWindowVisible(run.Window());
    })) << "no failure was shown";
    EXPECT_TRUE(run.Messages().empty());
    const HWND panel = run.Panel();
    RECT r{};
    GetClientRect(panel, &r);
    const LPARAM middle = MAKELPARAM(r.right / 2, r.bottom / 2);
    PostMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    PostMessageW(panel, WM_LBUTTONUP, 0, middle);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(panel); }, kMessageTimeout)) << "the panel stayed";
    EXPECT_TRUE(IsWindowVisible(run.Window()));
    EXPECT_TRUE(run.Exit());
}

// A font of 5000 points and a band of -100000 pixels are brought into their ranges with one
// message naming them; a stored place two billion pixels away goes back to the default place.
TEST(EndToEndBadFiles, ValuesThatPutTheWindowOutOfReachAreBroughtBack) {
    const e2e::Setup setup = e2e::Setup::FromEnvironment();
    ASSERT_EQ(setup.Missing(), "");
    const int signInsBefore = setup.SignInCount();
    ProgramRun run(setup, SettingsAt(setup, 2000000000, 2000000000), [](const ProgramFolder& f) {
        Replace(f, kThemeDescription, "<font-day size=\"10\"", "<font-day size=\"5000\"");
        Replace(f, kThemeDescription, "<left len=\"5\"", "<left len=\"-100000\"");
    });
    ASSERT_TRUE(run.AnswerUntil([&] {
        const HWND window = run.Window();
        return window && IsWindowVisible(window) && setup.SignInCount() >= signInsBefore + 2 &&
               FileExists(run.Folder().File(kEventCacheFile)) && !run.ShownStatus();
    })) << "the start never finished";
    ASSERT_EQ(run.Messages().size(), 1u);
    for (const char* part : {"font-day/size 5000 -> 36 (6 to 36)", "left/len -100000 -> 0 (0 to 100)"})
        EXPECT_TRUE(Contains(run.Messages()[0], part)) << Utf16ToUtf8(run.Messages()[0]);

    // On the screen whole, at the default top, neither the whole screen nor a speck.
    RECT r{};
    GetWindowRect(run.Window(), &r);
    EXPECT_EQ(r.top, 10);
    EXPECT_GE(r.left, kScreen.left);
    EXPECT_LE(r.right, kScreen.right);
    EXPECT_LE(r.bottom, kScreen.bottom);
    EXPECT_GT(r.right - r.left, 200);
    EXPECT_LT(r.right - r.left, 1200);
    EXPECT_GT(r.bottom - r.top, 100);

    EXPECT_TRUE(run.Exit());
    // The place stored at exit is the one the window had.
    const std::string profile = ReadFileBytes(run.Folder().File(u"profile.xml"));
    EXPECT_NE(profile.find("left=\"" + std::to_string(r.left) + "\" top=\"10\""), std::string::npos) << profile;
}

}  // namespace
}  // namespace tessel::e2e
