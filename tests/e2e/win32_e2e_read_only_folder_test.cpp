// tessel.exe installed where the user cannot write: its settings, account and cache go to
// "Tessel Desktop" under the user's local application-data folder, started from the files beside
// the program, and the program works as it does anywhere else.
//
// The program folder is made unwritable with the file system's immutable flag (chattr, run as a
// Unix program through Wine): the tests run as root, for whom permissions alone change nothing.
// Where the flag cannot be set the case is skipped.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "app/data_folder.h"
#include "base/file_io.h"
#include "base/text.h"
#include "e2e_setup.h"
#include "win32_e2e_process.h"
#include "win32/win32_text.h"
#include "xml/xdata_node.h"

namespace tessel::e2e {
namespace {

constexpr Millis kReadyTimeout{240000};
constexpr Millis kExitTimeout{60000};
constexpr Millis kFlagTimeout{30000};
constexpr wchar_t kMainClass[] = L"TMainFm";
constexpr WPARAM kExitCommand = 109;
constexpr POINT kMovedTo{70, 640};

// The Unix path Wine gives a Windows path; empty outside Wine.
std::string UnixPathOf(const std::u16string& path) {
    using ToUnix = char*(CDECL*)(LPCWSTR);
    const auto toUnix =
        reinterpret_cast<ToUnix>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix) return {};
    char* unix = toUnix(win32::W(path));
    if (!unix) return {};
    std::string text = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return text;
}

// Sets or clears the immutable flag of a folder; true when the folder then can (or cannot) be
// written. Wine starts a Unix program without a process handle to wait on, so the folder itself
// tells when the flag has changed.
bool SetImmutable(const std::u16string& folder, bool on) {
    const std::string unixPath = UnixPathOf(folder);
    if (unixPath.empty()) return false;
    std::wstring command = L"/usr/bin/chattr " + std::wstring(on ? L"+i" : L"-i") + L" \"" +
                           std::wstring(win32::W(Utf8ToUtf16(unixPath))) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(L"Z:\\usr\\bin\\chattr", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return false;
    KernelHandle process(info.hProcess), thread(info.hThread);
    return WaitUntil([&] { return CanWriteFolder(folder) != on; }, kFlagTimeout, Millis(100));
}

// The folder is locked while the object lives, so the temporary folders can be removed after.
class LockedFolder {
public:
    explicit LockedFolder(std::u16string folder) : folder_(std::move(folder)), locked_(SetImmutable(folder_, true)) {}
    ~LockedFolder() {
        if (locked_) SetImmutable(folder_, false);
    }
    bool Locked() const { return locked_; }

private:
    std::u16string folder_;
    bool locked_;
};

TEST(EndToEndReadOnlyFolder, SettingsAccountAndCacheGoToTheUsersFolder) {
    const e2e::Setup setup = e2e::Setup::FromEnvironment();
    ASSERT_EQ(setup.Missing(), "");
    ProfileSettings settings;
    settings.Left = 1100;
    settings.Top = 600;
    settings.ServiceHost = setup.ServiceHost();
    const ProgramFolder program(setup, settings);
    const std::string besideProgram = ReadFileBytes(program.File(u"account.xml"));
    const testing::TempFolder local;
    const std::u16string data = local.Folder() + kDataFolderName + kPathSeparator;

    const LockedFolder lock(program.Folder());
    if (!lock.Locked())
        GTEST_SKIP() << "the immutable flag cannot be set here (chattr needs CAP_LINUX_IMMUTABLE)";

    ProgramProcess run(program.ProgramFile(),
                       {{u"TESSEL_NOW", u"2010-01-13 11:30:00"}, {u"LOCALAPPDATA", local.Folder()}});
    const HWND window = run.WaitForTopWindow(kMainClass, kReadyTimeout);
    ASSERT_NE(window, nullptr);
    // The sync has written its cache into the user's folder and nothing was reported.
    int steady = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
            if (!run.Running()) return true;
            const bool done = FileExists(data + kEventCacheFile) && FileExists(data + kCalendarCacheFile) &&
                              IsWindowVisible(window) && !ShownStatus(window);
            steady = done ? steady + 1 : 0;
            return steady >= 20;
        },
        kReadyTimeout))
        << "status: " << Utf16ToUtf8(ShownStatus(window).value_or(u"(hidden)"));
    ASSERT_TRUE(run.Running());

    ASSERT_TRUE(SetWindowPos(window, nullptr, kMovedTo.x, kMovedTo.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
    PostMessageW(window, WM_COMMAND, kExitCommand, 0);
    ASSERT_TRUE(run.WaitForExit(kExitTimeout));

    // The account came from beside the program; the place the window was left at is kept.
    EXPECT_EQ(ReadFileBytes(data + u"account.xml"), besideProgram);
    TxdataNode profile;
    profile.LoadFromBytes(ReadTextAsCrLf(data + u"profile.xml"));
    EXPECT_EQ(Trim(Narrow(profile.ReadValue(u"window/left"))), std::to_string(kMovedTo.x));
    EXPECT_EQ(Trim(Narrow(profile.ReadValue(u"window/top"))), std::to_string(kMovedTo.y));
    EXPECT_NE(ReadFileBytes(data + kEventCacheFile).rfind("</feed>"), std::string::npos);
}

}  // namespace
}  // namespace tessel::e2e
