// "Check Update" end to end: tessel.exe against the local service, which serves the fixture's
// updates/ folder at the maker's paths. The tests write the information file and the offered
// files there, send the program the menu command, and answer its message boxes and question as
// a user would (found by class and caption, pressed by command), each wait bounded. They check
// what a user would see, the files in the program's folder, and the program that the upgrade
// runner starts again.
#include <gtest/gtest.h>
#include <windows.h>
#include <winternl.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "base/file_io.h"
#include "base/text.h"
#include "calendar/http.h"
#include "e2e_setup.h"
#include "update/win32_auto_upgrader.h"
#include "xml/xdata_node.h"
#include "win32_e2e_process.h"
#include "win32/win32_text.h"

namespace tessel::e2e {
namespace {

namespace fs = std::filesystem;

// A Wine start on a busy two-core machine takes seconds to tens of seconds; these bound it.
constexpr Millis kWindowTimeout{120000};
constexpr Millis kReadyTimeout{180000};
constexpr Millis kAnswerTimeout{60000};
constexpr Millis kExitTimeout{60000};
constexpr Millis kRestartTimeout{120000};
// How long to watch for a message box before saying that none came.
constexpr Millis kQuietPeriod{8000};
// How soon the program must be gone after "&Exit", whatever the network does: far below the
// service's 20 and 30 s holds, which a program waiting for its transfer would sit out.
constexpr Millis kPromptExit{10000};

constexpr wchar_t kMainClass[] = L"TMainFm";
constexpr wchar_t kDialogClass[] = L"#32770";
constexpr wchar_t kQuestionClass[] = L"TauAutoUpgraderUpgradeMessageForm";
constexpr wchar_t kCaption[] = L"Application update wizard";
constexpr WPARAM kCheckUpdateCommand = 107;
constexpr WPARAM kExitCommand = 109;
constexpr char kNow[] = "2010-01-13 11:30:00";
// Appended to the program file that the upgrade offers: a program file runs with trailing bytes.
constexpr char kNewProgramMark[] = "\r\nTESSEL-UPDATE-TEST-BUILD\r\n";

const Setup& TheSetup() {
    static const Setup setup = Setup::FromEnvironment();
    return setup;
}

fs::path Updates() { return TheSetup().FixtureDir / "updates"; }

void WriteUpdateFile(const std::string& name, const std::string& bytes) {
    std::ofstream(Updates() / name, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadFile(const fs::path& path) { return FileExists(path.u16string()) ? ReadFileBytes(path.u16string()) : ""; }

std::u16string WindowText(HWND window) {
    wchar_t text[2048] = {};
    GetWindowTextW(window, text, 2048);
    return win32::FromW(text);
}

struct FoundWindow {
    DWORD process;
    const wchar_t* className;
    HWND found;
};

// A visible top-level window of the process with the class and the update's caption, or null.
HWND FindUpdateWindow(DWORD process, const wchar_t* className) {
    FoundWindow search{process, className, nullptr};
    EnumWindows(
        [](HWND window, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<FoundWindow*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t cls[64] = {}, caption[128] = {};
            GetClassNameW(window, cls, 64);
            GetWindowTextW(window, caption, 128);
            if (owner == s->process && IsWindowVisible(window) && wcscmp(cls, s->className) == 0 &&
                (wcscmp(caption, kCaption) == 0 || wcsncmp(caption, L"Error #", 7) == 0)) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The text of a message box or of the question: its static child that is not an icon.
std::u16string MessageBoxText(HWND box) {
    std::u16string text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[32] = {};
        GetClassNameW(child, cls, 32);
        if (_wcsicmp(cls, L"Static") == 0 && !WindowText(child).empty()) text = WindowText(child);
    }
    return text;
}

// The visible top-level windows of a process, for a failure's message.
std::string VisibleWindows(DWORD process) {
    struct Listing {
        DWORD process;
        std::string text;
    } listing{process, {}};
    EnumWindows(
        [](HWND window, LPARAM lp) -> BOOL {
            auto* l = reinterpret_cast<Listing*>(lp);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t cls[64] = {};
            GetClassNameW(window, cls, 64);
            if (owner == l->process && IsWindowVisible(window)) {
                // Appended piece by piece: the cross compiler's string copy check misreads "[" + a temporary.
                l->text += '[';
                l->text += Narrow(win32::FromW(cls));
                l->text += " \"";
                l->text += Narrow(WindowText(window));
                l->text += "\" ";
                l->text += Narrow(MessageBoxText(window));
                l->text += "] ";
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&listing));
    return listing.text;
}

// The command line another process was started with, read from its process parameters.
std::u16string CommandLineOf(DWORD processId) {
    using QueryProcess = NTSTATUS(NTAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<QueryProcess>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    KernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    PROCESS_BASIC_INFORMATION basic{};
    if (!query || !process || query(process.get(), ProcessBasicInformation, &basic, sizeof basic, nullptr) != 0)
        return {};
    PEB peb{};
    RTL_USER_PROCESS_PARAMETERS parameters{};
    if (!ReadProcessMemory(process.get(), basic.PebBaseAddress, &peb, sizeof peb, nullptr) ||
        !ReadProcessMemory(process.get(), peb.ProcessParameters, &parameters, sizeof parameters, nullptr))
        return {};
    std::u16string line(parameters.CommandLine.Length / 2, u'\0');
    if (!ReadProcessMemory(process.get(), parameters.CommandLine.Buffer, line.data(), parameters.CommandLine.Length,
                           nullptr))
        return {};
    return line;
}

// The process of a main window started from this file (its command line names the file and its
// folder), with that command line; 0 when there is none.
DWORD StartedFrom(const fs::path& file, std::u16string& line) {
    for (HWND window = FindWindowW(kMainClass, nullptr); window;
         window = FindWindowExW(nullptr, window, kMainClass, nullptr)) {
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        line = CommandLineOf(id);
        if (line.find(file.filename().u16string()) != std::u16string::npos &&
            line.find(file.parent_path().filename().u16string()) != std::u16string::npos)
            return id;
    }
    return 0;
}

bool EndsWithAfterUpgrade(const std::u16string& line) {
    return line.size() > 14 && line.substr(line.size() - 14) == u" /afterupgrade";
}

// Ends a run the upgrade started, the way a user would ("&Exit"), or kills it after the timeout.
void EndProgram(DWORD id) {
    KernelHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id));
    for (HWND window = FindWindowW(kMainClass, nullptr); window;
         window = FindWindowExW(nullptr, window, kMainClass, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == id) PostMessageW(window, WM_COMMAND, kExitCommand, 0);
    }
    if (process && WaitForSingleObject(process.get(), DWORD(kExitTimeout.count())) != WAIT_OBJECT_0)
        TerminateProcess(process.get(), 1);
}

// A program folder with tessel.exe started in it; the calendar service is the fixture's, the
// maker's host the service too unless another is given.
class UpdateRun {
public:
    explicit UpdateRun(const std::string& makerHost = TheSetup().ServiceHost()) : folder_(TheSetup(), Settings()) {
        std::string profile = ProfileText(Settings());
        const std::string maker = "maker=\"" + TheSetup().ServiceHost() + "\"";
        profile.replace(profile.find(maker), maker.size(), "maker=\"" + makerHost + "\"");
        WriteFileAtomic(folder_.File(u"profile.xml"), profile);
        process_ = std::make_unique<ProgramProcess>(folder_.ProgramFile(), EnvironmentOverrides{{u"TESSEL_NOW", Widen(kNow)}});
    }
    ~UpdateRun() {
        if (process_->Running()) {
            if (HWND window = process_->TopWindow(kMainClass)) PostMessageW(window, WM_COMMAND, kExitCommand, 0);
            if (!process_->WaitForExit(kExitTimeout)) process_->Kill();
        }
    }

    ProgramFolder& Folder() { return folder_; }
    ProgramProcess& Process() { return *process_; }

    // Sends "Check Update" once the program has finished starting (the address is set then).
    ::testing::AssertionResult CheckUpdate() {
        const HWND window = process_->WaitForTopWindow(kMainClass, kWindowTimeout);
        if (!window) return ::testing::AssertionFailure() << "no main window";
        // Without a cache the start signs in twice: loading the cache, then the start's own sync,
        // which comes after the information file's address was set.
        if (!WaitUntil([&] { return TheSetup().SignInCount() >= signInsBefore_ + 2; }, kReadyTimeout))
            return ::testing::AssertionFailure() << "the start did not sync: " << TheSetup().SignInCount() - signInsBefore_
                                                 << " sign-ins; on screen: " << VisibleWindows(process_->Id());
        PostMessageW(window, WM_COMMAND, kCheckUpdateCommand, 0);
        return ::testing::AssertionSuccess();
    }
    HWND WaitForWindow(const wchar_t* className, Millis timeout = kAnswerTimeout) {
        HWND found = nullptr;
        WaitUntil([&] { return (found = FindUpdateWindow(process_->Id(), className)) != nullptr; }, timeout);
        return found;
    }
    // Presses a button of a message box or the question; true when the window went away.
    bool Press(HWND window, WPARAM button) {
        PostMessageW(window, WM_COMMAND, button, 0);
        return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, kAnswerTimeout);
    }
    // "&Exit" as the menu gives it; true when the process was gone within kPromptExit.
    bool ExitPromptly() {
        const HWND window = process_->TopWindow(kMainClass);
        if (!window) return false;
        PostMessageW(window, WM_COMMAND, kExitCommand, 0);
        return process_->WaitForExit(kPromptExit);
    }
    // The settings were written at the end: the file is whole and holds the visibility "&Exit" stores.
    bool SettingsSaved() const {
        TxdataNode profile;
        try {
            profile.LoadFromBytes(ReadFile(folder_.Path() / "profile.xml"));
        } catch (const std::exception&) {
            return false;
        }
        return profile.ReadValue(u"window/visible") == u"1" && !profile.ReadValue(u"hosts/service").empty();
    }
    bool HasDownloads() const {
        for (const auto& entry : fs::directory_iterator(folder_.Path())) {
            const std::string name = entry.path().filename().string();
            if (name.size() > 5 && (name.rfind(".uTMP") == name.size() - 5 || name.rfind(".uBAK") == name.size() - 5))
                return true;
        }
        return false;
    }

private:
    static ProfileSettings Settings() {
        ProfileSettings settings;
        settings.Left = 900;
        settings.ServiceHost = TheSetup().ServiceHost();
        settings.Certificate = TheSetup().ServiceCertificate();
        return settings;
    }

    int signInsBefore_ = TheSetup().SignInCount();
    ProgramFolder folder_;
    std::unique_ptr<ProgramProcess> process_;
};

// The program folder's files but the ones a run itself rewrites (the settings and the cache).
std::map<std::string, std::string> FolderFiles(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::u16string name = entry.path().filename().u16string();
        if (!entry.is_regular_file() || name == u"profile.xml" || name == kEventCacheFile || name == kCalendarCacheFile)
            continue;
        files[fs::relative(entry.path(), folder).string()] = ReadFile(entry.path());
    }
    return files;
}

class UpdateCheck : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TheSetup().Missing().empty()) GTEST_SKIP() << TheSetup().Missing();
        for (const auto& entry : fs::directory_iterator(Updates())) fs::remove(entry.path());
    }
};

TEST_F(UpdateCheck, SameReleaseDateSaysNoNewerVersion) {
    WriteUpdateFile("tessel.inf", "#date=10/05/2009\r\n#url=http://{host}/download/webupdate/notes.dat\r\n");
    UpdateRun run;
    ASSERT_TRUE(run.CheckUpdate());
    const HWND box = run.WaitForWindow(kDialogClass);
    ASSERT_TRUE(box) << "no message box";
    EXPECT_EQ(MessageBoxText(box),
              u"Newer version not found. You actually are\rusing most recent version of this program.");
    EXPECT_TRUE(run.Press(box, IDOK));
    EXPECT_FALSE(run.HasDownloads());
}

TEST_F(UpdateCheck, UnreachableServerShowsNothing) {
    // A port nothing listens on: the information file cannot be fetched, which passes silently.
    UpdateRun run("127.0.0.1:9");
    ASSERT_TRUE(run.CheckUpdate());
    EXPECT_EQ(run.WaitForWindow(kDialogClass, kQuietPeriod), nullptr);
    EXPECT_EQ(run.WaitForWindow(kQuestionClass, Millis(100)), nullptr);
    EXPECT_TRUE(run.Process().Running());
}

TEST_F(UpdateCheck, TwoFilesAreInstalledAndTheProgramStartsAgain) {
    const std::string newProgram = ReadFile(TheSetup().Program) + kNewProgramMark;
    WriteUpdateFile("tessel.exe", newProgram);
    WriteUpdateFile("notes.dat", "new notes\r\n");
    WriteUpdateFile("tessel.inf", "#date=11/20/2009\r\n#message={Two files}\r\n"
                                  "#url1=http://{host}/download/webupdate/tessel.exe\r\n"
                                  "#url2=http://{host}/download/webupdate/notes.dat\r\n");
    UpdateRun run;
    WriteFileAtomic(run.Folder().File(u"notes.dat"), "old notes\r\n");
    ASSERT_TRUE(run.CheckUpdate());
    const HWND question = run.WaitForWindow(kQuestionClass);
    ASSERT_TRUE(question) << "no question";
    EXPECT_EQ(MessageBoxText(question), u"A newer version of Tessel Desktop was released.\nTwo files\nDo you want to "
                                        u"update your version with the latest one?");
    ASSERT_TRUE(run.Press(question, IDYES));

    ASSERT_TRUE(run.Process().WaitForExit(kRestartTimeout))
        << "the program did not hand over; on screen: " << VisibleWindows(run.Process().Id());
    const fs::path program = run.Folder().Path() / "tessel.exe";

    // The runner starts the new program with "/afterupgrade"; its window is found by its file.
    DWORD restarted = 0;
    std::u16string line;
    EXPECT_TRUE(WaitUntil([&] { return (restarted = StartedFrom(program, line)) != 0 && EndsWithAfterUpgrade(line); },
                          kRestartTimeout))
        << "no restarted program";
    // The runner starts the program once both files are in place; they are read only then, as a
    // reader holding a file while the runner replaces it would make the replacement wait.
    EXPECT_EQ(ReadFile(run.Folder().Path() / "notes.dat"), "new notes\r\n");
    EXPECT_EQ(ReadFile(program), newProgram);
    EXPECT_FALSE(run.HasDownloads());
    if (restarted) EndProgram(restarted);
}

// With the external-setup method the runner runs the file of the first address, whatever the
// other files are called, waits for it, and then starts the program again. The "setup" here is a
// copy of the program, so its window shows that it ran.
TEST_F(UpdateCheck, TheSetupMethodRunsTheFileOfTheFirstAddress) {
    WriteUpdateFile("zsetup.exe", ReadFile(TheSetup().Program) + kNewProgramMark);
    WriteUpdateFile("aaa.dat", "sorts before the setup\r\n");
    WriteUpdateFile("tessel.inf", "#date=11/20/2009\r\n#method=1\r\n"
                                  "#url=http://{host}/download/webupdate/zsetup.exe\r\n"
                                  "#url2=http://{host}/download/webupdate/aaa.dat\r\n");
    UpdateRun run;
    ASSERT_TRUE(run.CheckUpdate());
    const HWND question = run.WaitForWindow(kQuestionClass);
    ASSERT_TRUE(question) << "no question";
    ASSERT_TRUE(run.Press(question, IDYES));
    ASSERT_TRUE(run.Process().WaitForExit(kRestartTimeout))
        << "the program did not hand over; on screen: " << VisibleWindows(run.Process().Id());

    std::u16string line;
    DWORD setup = 0;
    ASSERT_TRUE(WaitUntil([&] { return (setup = StartedFrom(run.Folder().Path() / "zsetup.exe", line)) != 0; },
                          kRestartTimeout))
        << "the setup did not run";
    EXPECT_EQ(ReadFile(run.Folder().Path() / "aaa.dat"), "sorts before the setup\r\n");
    // The program comes back once the setup has ended.
    DWORD restarted = 0;
    EXPECT_EQ(StartedFrom(run.Folder().Path() / "tessel.exe", line), 0u) << "the program came back during the setup";
    EndProgram(setup);
    EXPECT_TRUE(WaitUntil(
        [&] { return (restarted = StartedFrom(run.Folder().Path() / "tessel.exe", line)) != 0 && EndsWithAfterUpgrade(line); },
        kRestartTimeout))
        << "the program did not come back after the setup";
    if (restarted) EndProgram(restarted);
}

TEST_F(UpdateCheck, AMissingFileOffersToSkipAndNoAborts) {
    WriteUpdateFile("notes.dat", "new notes\r\n");
    WriteUpdateFile("tessel.inf", "#date=11/20/2009\r\n#url1=http://{host}/download/webupdate/missing.dll\r\n"
                                  "#url2=http://{host}/download/webupdate/notes.dat\r\n");
    UpdateRun run;
    ASSERT_TRUE(run.CheckUpdate());
    const HWND question = run.WaitForWindow(kQuestionClass);
    ASSERT_TRUE(question);
    ASSERT_TRUE(run.Press(question, IDYES));
    const HWND box = run.WaitForWindow(kDialogClass);
    ASSERT_TRUE(box) << "no question about the missing file";
    EXPECT_EQ(WindowText(box), u"Error #404");
    const std::u16string text = MessageBoxText(box);
    EXPECT_NE(text.find(u"/download/webupdate/missing.dll not found or inaccessible.\r\rTry to skip this file and "
                        u"continue upgrade?"),
              std::u16string::npos)
        << Narrow(text);
    EXPECT_TRUE(run.Press(box, IDNO));
    EXPECT_TRUE(WaitUntil([&] { return !run.HasDownloads(); }, kAnswerTimeout));
    EXPECT_TRUE(run.Process().Running());
    EXPECT_FALSE(FileExists(run.Folder().File(u"notes.dat")));
}

TEST_F(UpdateCheck, AConnectionDroppedMidFileInstallsNothing) {
    WriteUpdateFile("notes.dat", std::string(20000, 'n'));
    WriteUpdateFile("tessel.inf", "#date=11/20/2009\r\n#url1=http://{host}/download/webupdate/notes.dat?drop=5000\r\n");
    UpdateRun run;
    WriteFileAtomic(run.Folder().File(u"notes.dat"), "old notes\r\n");
    ASSERT_TRUE(run.CheckUpdate());
    const HWND question = run.WaitForWindow(kQuestionClass);
    ASSERT_TRUE(question);
    ASSERT_TRUE(run.Press(question, IDYES));
    const HWND box = run.WaitForWindow(kDialogClass);
    ASSERT_TRUE(box) << "the cut file was not reported";
    EXPECT_EQ(WindowText(box).rfind(u"Error #", 0), 0u);
    // Skipping the only file leaves nothing to install: the program stays and keeps its file.
    EXPECT_TRUE(run.Press(box, IDYES));
    EXPECT_TRUE(WaitUntil([&] { return !run.HasDownloads(); }, kAnswerTimeout));
    EXPECT_FALSE(run.Process().WaitForExit(Millis(2000)));
    EXPECT_EQ(ReadFile(run.Folder().Path() / "notes.dat"), "old notes\r\n");
}

bool RunnerLeft() {
    const std::u16string runner = update::RunnerTempPath();
    return !runner.empty() && FileExists(runner);
}

// Answers that look whole to a transfer that trusts them: each is refused, the offer to skip the
// file comes, nothing is installed, and "&Exit" afterwards ends the program at once.
TEST_F(UpdateCheck, BadAnswersInstallNothing) {
    WriteUpdateFile("notes.dat", std::string(20000, 'n'));
    UpdateRun run;
    WriteFileAtomic(run.Folder().File(u"notes.dat"), "old notes\r\n");
    const auto before = FolderFiles(run.Folder().Path());
    for (const char* fault : {"chunked-cut=4000", "lengthless-cut=4000", "two-lengths=4000", "partial", "loop"}) {
        SCOPED_TRACE(fault);
        WriteUpdateFile("tessel.inf", std::string("#date=11/20/2009\r\n#url1=http://{host}/download/webupdate/notes.dat?") +
                                          fault + "\r\n");
        ASSERT_TRUE(run.CheckUpdate());
        const HWND question = run.WaitForWindow(kQuestionClass);
        ASSERT_TRUE(question) << "no question; on screen: " << VisibleWindows(run.Process().Id());
        ASSERT_TRUE(run.Press(question, IDYES));
        const HWND box = run.WaitForWindow(kDialogClass);
        ASSERT_TRUE(box) << "the bad answer was taken; on screen: " << VisibleWindows(run.Process().Id());
        EXPECT_EQ(WindowText(box).rfind(u"Error #", 0), 0u) << Narrow(WindowText(box));
        EXPECT_TRUE(run.Press(box, IDYES));  // skip the only file: nothing to install
        EXPECT_TRUE(WaitUntil([&] { return !run.HasDownloads(); }, kAnswerTimeout));
        EXPECT_TRUE(run.Process().Running());
    }
    EXPECT_TRUE(run.ExitPromptly());
    EXPECT_EQ(FolderFiles(run.Folder().Path()), before);
    EXPECT_FALSE(run.HasDownloads());
    EXPECT_FALSE(RunnerLeft());
    EXPECT_TRUE(run.SettingsSaved());
}

// "&Exit" while a download is held by the server mid-file: the program ends at once, with its
// settings saved and no part of the download left.
TEST_F(UpdateCheck, ExitDuringAHeldDownloadIsPromptAndLeavesNoDownload) {
    WriteUpdateFile("notes.dat", std::string(20000, 'n'));
    WriteUpdateFile("tessel.inf", "#date=11/20/2009\r\n#url1=http://{host}/download/webupdate/notes.dat?slow=20000\r\n");
    UpdateRun run;
    const auto before = FolderFiles(run.Folder().Path());
    ASSERT_TRUE(run.CheckUpdate());
    const HWND question = run.WaitForWindow(kQuestionClass);
    ASSERT_TRUE(question);
    ASSERT_TRUE(run.Press(question, IDYES));
    ASSERT_TRUE(WaitUntil([&] { return run.HasDownloads(); }, kAnswerTimeout)) << "the download did not begin";
    EXPECT_TRUE(run.ExitPromptly()) << "the program waited for its download";
    EXPECT_EQ(FolderFiles(run.Folder().Path()), before);
    EXPECT_FALSE(run.HasDownloads());
    EXPECT_FALSE(RunnerLeft());
    EXPECT_TRUE(run.SettingsSaved());
}

// "&Exit" while the server holds the information file: the same.
TEST_F(UpdateCheck, ExitWhileTheInformationFileIsHeldIsPrompt) {
    WriteUpdateFile("tessel.inf", "#date=11/20/2009\r\n#url1=http://{host}/download/webupdate/notes.dat\r\n");
    UpdateRun run;
    const auto before = FolderFiles(run.Folder().Path());
    THttp http;
    ASSERT_TRUE(http.Send(THttpRequest{.Url = "http://" + TheSetup().ServiceHost() +
                                           "/test/fault?path=/download/webupdate/tessel.inf&status=delay=30000&count=1"})
                    .Ok());
    ASSERT_TRUE(run.CheckUpdate());
    Sleep(1500);  // the request is under way and held
    EXPECT_TRUE(run.ExitPromptly()) << "the program waited for the information file";
    EXPECT_EQ(FolderFiles(run.Folder().Path()), before);
    EXPECT_TRUE(run.SettingsSaved());
}

// What the check cannot read is said, not passed over; a long address keeps the box on the screen.
TEST_F(UpdateCheck, UnreadableOffersAreReportedInBoxesThatFitTheScreen) {
    UpdateRun run;
    std::string many = "#date=11/20/2009\r\n";
    for (int i = 1; i <= 101; ++i)
        many += "#url" + std::to_string(i) + "=http://{host}/download/webupdate/f" + std::to_string(i) + "\r\n";
    const struct {
        const char* what;
        std::string info;
        const char16_t* reason;
    } cases[] = {
        {"over 256 KB", "#date=11/20/2009\r\n#url=http://{host}/download/webupdate/notes.dat\r\n" +
                            std::string(300 * 1024, ' '),
         u"(the file is larger than 262144 bytes)"},
        {"101 addresses", many, u"(the file lists more than 100 addresses)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteUpdateFile("tessel.inf", c.info);
        ASSERT_TRUE(run.CheckUpdate());
        const HWND box = run.WaitForWindow(kDialogClass);
        ASSERT_TRUE(box) << "nothing was said; on screen: " << VisibleWindows(run.Process().Id());
        const std::u16string text = MessageBoxText(box);
        EXPECT_EQ(text.rfind(u"Information about the update was not found on the server.", 0), 0u) << Narrow(text);
        EXPECT_NE(text.find(c.reason), std::u16string::npos) << Narrow(text);
        EXPECT_TRUE(run.Press(box, IDOK));
    }

    WriteUpdateFile("tessel.inf", "#date=11/20/2009\r\n#url1=http://{host}/download/webupdate/" +
                                      std::string(100 * 1024, 'a') + ".dll\r\n");
    ASSERT_TRUE(run.CheckUpdate());
    const HWND question = run.WaitForWindow(kQuestionClass);
    ASSERT_TRUE(question);
    ASSERT_TRUE(run.Press(question, IDYES));
    const HWND box = run.WaitForWindow(kDialogClass);
    ASSERT_TRUE(box) << "no offer to skip the file";
    RECT rect{};
    GetWindowRect(box, &rect);
    MONITORINFO monitor{sizeof monitor};
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(box, MONITOR_DEFAULTTONEAREST), &monitor));
    EXPECT_GE(rect.left, monitor.rcMonitor.left);
    EXPECT_GE(rect.top, monitor.rcMonitor.top);
    EXPECT_LE(rect.right, monitor.rcMonitor.right) << rect.right - rect.left << " pixels wide";
    EXPECT_LE(rect.bottom, monitor.rcMonitor.bottom) << rect.bottom - rect.top << " pixels tall";
    EXPECT_TRUE(run.Press(box, IDNO));
    EXPECT_TRUE(run.ExitPromptly());
}

}  // namespace
}  // namespace tessel::e2e
