// Tessel Desktop's installer and uninstaller, run silently (/S, /D=) as a user's script would run
// them, and checked by what they leave: the files, the Start menu shortcut, the uninstall entry,
// the running program they end, and the user's files they must never touch. The last test lets
// "Check Update" offer the next version's installer and checks the program that comes back.
// Every run is bounded; the Wine prefix is the suite's own, so its registry starts empty.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "base/file_io.h"
#include "base/sha256.h"
#include "base/text.h"
#include "e2e_setup.h"
#include "win32/win32_text.h"
#include "win32_e2e_process.h"
#include "xml/xdata_node.h"

namespace tessel::e2e {
namespace {

namespace fs = std::filesystem;

constexpr Millis kSetupTimeout{180000};
constexpr Millis kWindowTimeout{180000};
constexpr Millis kRestartTimeout{240000};
constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessel Desktop";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kMainClass[] = L"TMainFm";
constexpr WPARAM kCheckUpdateCommand = 107, kAboutCommand = 108, kExitCommand = 109;
constexpr int kVersionLabel = 1120;
// The moment the programs are started at: the fixture's demo day.
constexpr char kNow[] = "2010-01-13 11:30:00";

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}
fs::path EnvPath(const char* name) { return fs::path(Utf8ToUtf16(Env(name))); }

const Setup& TheSetup() {
    static const Setup setup = Setup::FromEnvironment();
    return setup;
}

std::string Bytes(const fs::path& path) { return FileExists(path.u16string()) ? ReadFileBytes(path.u16string()) : ""; }

// Whether the file holds these bytes; a program file's bytes are not printed when it does not.
::testing::AssertionResult Holds(const fs::path& file, const std::string& bytes) {
    const std::string found = Bytes(file);
    if (found == bytes) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << file.string() << " holds " << found.size() << " other bytes, not the "
                                         << bytes.size() << " expected";
}

// Runs a setup to its end (bounded); its exit code, or -1 when it did not end in time.
int RunSetup(const fs::path& setup, const std::u16string& arguments) {
    ProgramProcess run(setup.u16string(), {}, arguments);
    if (!run.WaitForExit(kSetupTimeout)) return -1;
    DWORD code = 0;
    GetExitCodeProcess(run.Handle(), &code);
    return int(code);
}

std::optional<std::u16string> UninstallValue(const wchar_t* name) {
    wchar_t data[1024] = {};
    DWORD size = sizeof data, type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type, data, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    if (type == REG_DWORD) {
        DWORD number = 0;
        std::memcpy(&number, data, sizeof number);
        return Widen(std::to_string(number));
    }
    return win32::FromW(data);
}

fs::path StartMenuShortcut() {
    PWSTR programs = nullptr;
    fs::path shortcut;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Programs, 0, nullptr, &programs)))
        shortcut = fs::path(programs) / L"Tessel Desktop.lnk";
    CoTaskMemFree(programs);
    return shortcut;
}

// What the shortcut starts; empty when it cannot be read.
std::u16string ShortcutTarget(const fs::path& shortcut) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::u16string target;
    IShellLinkW* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)))) {
        IPersistFile* file = nullptr;
        wchar_t path[MAX_PATH] = {};
        if (SUCCEEDED(link->QueryInterface(IID_PPV_ARGS(&file))) && SUCCEEDED(file->Load(shortcut.c_str(), STGM_READ)) &&
            SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, 0)))
            target = win32::FromW(path);
        if (file) file->Release();
        link->Release();
    }
    CoUninitialize();
    return target;
}

// What a user of the program keeps beside it: settings, account, subscriptions, the caches and a
// theme of their own.
const std::map<std::string, std::string> kUsersFiles = {
    {"profile.xml", "<profile><window left=\"12\"/></profile>\r\n"},
    {"account.xml", "<account user=\"someone@example.org\"/>\r\n"},
    {"subscriptions.xml", "<subscriptions><feed url=\"https://example.org/a.ics\"/></subscriptions>\r\n"},
    {"someone@example.org.xml", std::string("cache\0\x01\xff bytes", 15)},
    {"someone@example.org-cat.xml", "<calendars/>\r\n"},
    {"theme/mine/profile.xml", "<theme mine=\"1\"/>\r\n"},
};

class Installer : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TheSetup().Missing().empty()) GTEST_SKIP() << TheSetup().Missing();
        ASSERT_TRUE(fs::exists(setup_) && fs::exists(nextSetup_)) << "the installers were not built";
    }
    // Installs the release (or the next one) into the test's folder.
    int Install(const fs::path& setup) { return RunSetup(setup, u"/S /D=" + Folder().u16string()); }
    fs::path Folder() const { return folder_.Path() / "Tessel Desktop"; }
    void WriteUsersFiles() const {
        for (const auto& [name, bytes] : kUsersFiles) {
            fs::create_directories((Folder() / name).parent_path());
            WriteFileAtomic((Folder() / name).u16string(), bytes);
        }
    }
    // Settings for the local service and the fixture's account, as a user who has signed in has.
    void SignIn() const {
        ProfileSettings settings;
        settings.ServiceHost = TheSetup().ServiceHost();
        settings.Certificate = TheSetup().ServiceCertificate();
        WriteFileAtomic((Folder() / "profile.xml").u16string(), ProfileText(settings));
        fs::copy_file(TheSetup().FixtureDir / "account.xml", Folder() / "account.xml");
    }
    std::unique_ptr<ProgramProcess> StartProgram() const {
        return std::make_unique<ProgramProcess>((Folder() / "tessel.exe").u16string(),
                                                EnvironmentOverrides{{u"TESSEL_NOW", Widen(kNow)}});
    }
    std::map<std::string, std::string> UsersFiles() const {
        std::map<std::string, std::string> found;
        for (const auto& [name, bytes] : kUsersFiles) found[name] = Bytes(Folder() / name);
        return found;
    }

    const fs::path setup_ = EnvPath("TESSEL_SETUP");
    const fs::path nextSetup_ = EnvPath("TESSEL_NEXT_SETUP");
    const fs::path nextProgram_ = EnvPath("TESSEL_NEXT_PROGRAM");
    testing::TempFolder folder_;
};

TEST_F(Installer, SilentInstallPutsTheProgramTheShortcutAndTheUninstallEntry) {
    ASSERT_EQ(Install(setup_), 0);
    EXPECT_TRUE(Holds(Folder() / "tessel.exe", Bytes(TheSetup().Program)));
    for (const char* file : {"profile.xml", "background.png"})
        EXPECT_TRUE(Holds(Folder() / "theme" / "default" / file, Bytes(TheSetup().Theme / file)));
    EXPECT_TRUE(fs::exists(Folder() / "uninstall.exe"));
    EXPECT_EQ(ShortcutTarget(StartMenuShortcut()), (Folder() / "tessel.exe").u16string());

    const std::u16string folder = Folder().u16string();
    const struct {
        const wchar_t* name;
        std::u16string value;
    } entry[] = {
        {L"DisplayName", u"Tessel Desktop"},
        {L"DisplayVersion", Widen(Env("TESSEL_VERSION"))},
        {L"Publisher", u"Tessel Desktop"},
        {L"DisplayIcon", folder + u"\\tessel.exe,0"},
        {L"UninstallString", u"\"" + folder + u"\\uninstall.exe\""},
        {L"QuietUninstallString", u"\"" + folder + u"\\uninstall.exe\" /S"},
        {L"NoModify", u"1"},
        {L"NoRepair", u"1"},
    };
    for (const auto& e : entry) EXPECT_EQ(UninstallValue(e.name), e.value) << Narrow(win32::FromW(e.name));
    // In KB: at least what the program's file takes.
    const auto size = UninstallValue(L"EstimatedSize");
    ASSERT_TRUE(size);
    EXPECT_GE(std::stoul(Narrow(*size)), fs::file_size(TheSetup().Program) / 1024);
}

// Over a whole install, and over one that a run stopped while moving its files in left with the
// old program aside and half of the new one in place (the next run puts the old one back first):
// the new program and theme replace the old ones, and the user's files stay byte for byte.
TEST_F(Installer, UpgradeReplacesTheProgramAndKeepsTheUsersFilesByteForByte) {
    const fs::path background = Folder() / "theme" / "default" / "background.png";
    for (const bool stopped : {false, true}) {
        SCOPED_TRACE(stopped ? "over a stopped run" : "over a whole install");
        ASSERT_EQ(Install(setup_), 0);
        WriteUsersFiles();
        WriteFileAtomic(background.u16string(), "an old picture");
        if (stopped) {
            fs::create_directories(Folder() / "~setup-old");
            fs::rename(Folder() / "tessel.exe", Folder() / "~setup-old" / "tessel.exe");
            WriteFileAtomic((Folder() / "tessel.exe").u16string(), "half a program");
        }
        ASSERT_EQ(Install(nextSetup_), 0);
        EXPECT_TRUE(Holds(Folder() / "tessel.exe", Bytes(nextProgram_)));
        EXPECT_TRUE(Holds(background, Bytes(TheSetup().Theme / "background.png")));
        EXPECT_EQ(UsersFiles(), kUsersFiles);
        EXPECT_FALSE(fs::exists(Folder() / "~setup-new") || fs::exists(Folder() / "~setup-old"));
        EXPECT_EQ(UninstallValue(L"DisplayVersion"), Widen(Env("TESSEL_NEXT_VERSION")));
    }
}

// The installer ends a running copy the way "&Exit" does, so that its settings are saved: the
// window closed to the tray is stored as hidden, which only "&Exit" writes.
TEST_F(Installer, UpgradeEndsTheRunningProgramAsExitDoes) {
    ASSERT_EQ(Install(setup_), 0);
    SignIn();
    const auto started = StartProgram();
    ProgramProcess& program = *started;
    const HWND window = program.WaitForTopWindow(kMainClass, kWindowTimeout);
    ASSERT_TRUE(window);
    // Closing the window only hides it; what was hidden is written when the program ends by "&Exit".
    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(window); }, kWindowTimeout));

    ASSERT_EQ(Install(nextSetup_), 0);
    EXPECT_FALSE(program.Running());
    EXPECT_TRUE(Holds(Folder() / "tessel.exe", Bytes(nextProgram_)));
    TxdataNode profile;
    profile.LoadFromBytes(Bytes(Folder() / "profile.xml"));
    EXPECT_EQ(profile.ReadValue(u"window/visible"), u"0");
    EXPECT_EQ(profile.ReadValue(u"hosts/service"), Widen(TheSetup().ServiceHost()));
}

TEST_F(Installer, SilentUninstallRemovesTheProgramAndKeepsTheUsersFiles) {
    ASSERT_EQ(Install(setup_), 0);
    WriteUsersFiles();
    const std::wstring program = (Folder() / "tessel.exe").wstring();
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Tessel Desktop", REG_SZ, program.c_str(),
                              DWORD((program.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    // As the system runs it: the entry's own command. The uninstaller runs on from a copy of itself
    // and the first process ends at once, so the test waits for the entry to go.
    const std::u16string quiet = UninstallValue(L"QuietUninstallString").value_or(u"");
    ASSERT_EQ(quiet.rfind(u" /S"), quiet.size() - 3);
    ASSERT_EQ(RunSetup(Folder() / "uninstall.exe", u"/S"), 0);
    EXPECT_TRUE(WaitUntil([&] { return !UninstallValue(L"DisplayName") && !fs::exists(Folder() / "uninstall.exe"); },
                          kSetupTimeout));

    for (const char* gone : {"tessel.exe", "uninstall.exe", "theme/default"}) EXPECT_FALSE(fs::exists(Folder() / gone)) << gone;
    EXPECT_FALSE(fs::exists(StartMenuShortcut()));
    EXPECT_NE(RegGetValueW(HKEY_CURRENT_USER, kRunKey, L"Tessel Desktop", RRF_RT_ANY, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(UsersFiles(), kUsersFiles);
}

// A setup that cannot do its work says so (the message box is answered by /S) and changes nothing.
TEST_F(Installer, RefusedSetupsLeaveTheInstalledProgramWhole) {
    ASSERT_EQ(Install(setup_), 0);
    const std::string installed = Bytes(Folder() / "tessel.exe");
    const fs::path blocker = folder_.Path() / "a file";
    WriteFileAtomic(blocker.u16string(), "not a folder");
    const struct {
        const char* what;
        std::function<KernelHandle()> hold;
        fs::path folder;
        int code;
    } cases[] = {
        {"a folder that cannot be made", nullptr, blocker / "Tessel Desktop", 4},
        {"another setup running",
         [] { return KernelHandle(CreateMutexW(nullptr, TRUE, L"TesselDesktopSetup")); }, Folder(), 3},
        // Moved aside after tessel.exe: the old program is put back whole.
        {"a file of the program held open",
         [this] {
             HANDLE file = CreateFileW((Folder() / "uninstall.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, 0, nullptr);
             return KernelHandle(file == INVALID_HANDLE_VALUE ? nullptr : file);
         },
         Folder(), 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const KernelHandle held = c.hold ? c.hold() : KernelHandle();
        ASSERT_TRUE(held || !c.hold);
        EXPECT_EQ(RunSetup(nextSetup_, u"/S /D=" + c.folder.u16string()), c.code);
        EXPECT_TRUE(Holds(Folder() / "tessel.exe", installed));
        EXPECT_FALSE(fs::exists(Folder() / "~setup-new") || fs::exists(Folder() / "~setup-old"));
    }
    EXPECT_TRUE(fs::is_regular_file(blocker));
}

// The main window of a program started from this file, or null.
HWND MainWindowOf(const fs::path& program, DWORD& process) {
    for (HWND window = FindWindowW(kMainClass, nullptr); window; window = FindWindowExW(nullptr, window, kMainClass, nullptr)) {
        GetWindowThreadProcessId(window, &process);
        KernelHandle handle(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process));
        wchar_t image[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (handle && QueryFullProcessImageNameW(handle.get(), 0, image, &size) &&
            _wcsicmp(image, program.c_str()) == 0)
            return window;
    }
    return nullptr;
}

// "Check Update" with an information file of method 1 offering the next installer, run with /S:
// refused while its digest does not match; then the program hands over, the installer replaces
// it, and it comes back at the next version with the user's account, which signs in again.
TEST_F(Installer, CheckUpdateInstallsTheNextInstallerAndTheProgramComesBack) {
    ASSERT_EQ(Install(setup_), 0);
    const fs::path updates = TheSetup().FixtureDir / "updates";
    for (const auto& entry : fs::directory_iterator(updates)) fs::remove(entry.path());
    const std::string name = nextSetup_.filename().string();
    const std::string installer = Bytes(nextSetup_);
    WriteFileAtomic((updates / name).u16string(), installer);
    const auto offer = [&](const std::string& digest) {
        WriteFileAtomic((updates / "tessel.inf").u16string(),
                        "#date=11/20/2009\r\n#method=1\r\n#setupparams=/S\r\n#url=http://{host}/download/webupdate/" +
                            name + "\r\n#sha256=" + digest + "\r\n");
    };
    SignIn();
    const std::string account = Bytes(Folder() / "account.xml");
    const std::string installed = Bytes(Folder() / "tessel.exe");

    const int signIns = TheSetup().SignInCount();
    const auto started = StartProgram();
    ProgramProcess& program = *started;
    const HWND window = program.WaitForTopWindow(kMainClass, kWindowTimeout);
    ASSERT_TRUE(window);
    // The start's own sync comes after the information file's address is set.
    ASSERT_TRUE(WaitUntil([&] { return TheSetup().SignInCount() >= signIns + 2; }, kWindowTimeout));
    const auto checkAndAccept = [&] {
        PostMessageW(window, WM_COMMAND, kCheckUpdateCommand, 0);
        HWND question = nullptr;
        const bool asked = WaitUntil(
            [&] { return (question = VisibleTopWindow(program.Id(), L"TauAutoUpgraderUpgradeMessageForm")) != nullptr; },
            kWindowTimeout);
        if (asked) PostMessageW(question, WM_COMMAND, IDYES, 0);
        return asked;
    };

    // An installer that does not match its digest is refused: skipping it leaves nothing to run.
    offer(std::string(64, '0'));
    ASSERT_TRUE(checkAndAccept());
    HWND refused = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (refused = VisibleTopWindow(program.Id(), L"#32770")) != nullptr; }, kWindowTimeout));
    wchar_t caption[64] = {};
    GetWindowTextW(refused, caption, 64);
    EXPECT_EQ(std::wstring(caption).rfind(L"Error #", 0), 0u);
    PostMessageW(refused, WM_COMMAND, IDYES, 0);
    EXPECT_TRUE(WaitUntil([&] { return !fs::exists(Folder() / (name + ".uTMP")) && !IsWindow(refused); }, kWindowTimeout));
    EXPECT_FALSE(program.WaitForExit(Millis(2000)));
    EXPECT_TRUE(Holds(Folder() / "tessel.exe", installed));

    Sha256 digest;
    digest.Update(installer);
    offer(DigestHex(digest.Finish()));
    ASSERT_TRUE(checkAndAccept());
    ASSERT_TRUE(program.WaitForExit(kRestartTimeout)) << "the program did not hand over";

    DWORD restarted = 0;
    HWND back = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (back = MainWindowOf(Folder() / "tessel.exe", restarted)) != nullptr; },
                          kRestartTimeout))
        << "the program did not come back";
    KernelHandle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, restarted));
    EXPECT_TRUE(Holds(Folder() / "tessel.exe", Bytes(nextProgram_)));
    EXPECT_EQ(UninstallValue(L"DisplayVersion"), Widen(Env("TESSEL_NEXT_VERSION")));
    EXPECT_EQ(Bytes(Folder() / "account.xml"), account);
    EXPECT_TRUE(WaitUntil([&] { return TheSetup().SignInCount() >= signIns + 3; }, kWindowTimeout));

    HWND about = nullptr;
    EXPECT_TRUE(WaitUntil(
        [&] {
            PostMessageW(back, WM_COMMAND, kAboutCommand, 0);
            return WaitUntil([&] { return (about = VisibleTopWindow(restarted, L"#32770")) != nullptr; }, Millis(3000));
        },
        kWindowTimeout));
    if (about) {
        wchar_t label[64] = {};
        GetWindowTextW(GetDlgItem(about, kVersionLabel), label, 64);
        EXPECT_EQ(win32::FromW(label), u"Version :" + Widen(Env("TESSEL_NEXT_VERSION")) + u".0");
        PostMessageW(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
    }
    PostMessageW(back, WM_COMMAND, kExitCommand, 0);
    if (process && WaitForSingleObject(process.get(), DWORD(kSetupTimeout.count())) != WAIT_OBJECT_0)
        TerminateProcess(process.get(), 1);
}

}  // namespace
}  // namespace tessel::e2e
