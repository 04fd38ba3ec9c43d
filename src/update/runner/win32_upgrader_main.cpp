// The upgrade runner: a small program of its own, kept inside tessel.exe as the resource AUUPG
// and started from the temporary folder by the update check, so that it can replace tessel.exe
// itself. Its command line is its own path, the program's path and "+" + the restart parameters
// + the method digit. It waits (bounded) for the program to end, puts every completely received
// download (NAME.uTMP) in its place with roll-back, runs the downloaded setup (the file the
// checker names in TESSEL_UPGRADE_SETUP, with the parameters in TESSEL_UPGRADE_SETUP_PARAMS) for
// the external-setup method, and starts the program
// again with the restart parameters. It shows nothing: the program that comes back is its report.
#include <windows.h>

#include <string>
#include <vector>

#include "base/file_io.h"
#include "base/text.h"
#include "update/download_names.h"
#include "update/runner_plan.h"
#include "win32/win32_text.h"

namespace {

using tessel::win32::FromW;
using tessel::win32::W;

// How long the program may take to end after starting the runner.
constexpr DWORD kProgramExitWaitMs = 30000;
// How long a file in use may hold up its replacement, and how often it is tried meanwhile.
constexpr DWORD kReplaceWaitMs = 5000;
constexpr DWORD kReplaceRetryMs = 100;
// How long an external setup may run before the program is started again regardless.
constexpr DWORD kSetupWaitMs = 30 * 60 * 1000;

// The program's file can be opened for writing with no sharing only once its process has ended
// and the system has let go of its image.
void WaitForProgramExit(const std::u16string& program) {
    const DWORD started = GetTickCount();
    while (GetTickCount() - started < kProgramExitWaitMs) {
        HANDLE file = CreateFileW(W(program), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return;
        }
        if (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND) return;
        Sleep(200);
    }
}

std::vector<std::u16string> Downloads(const std::u16string& folder) {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(W(folder + u"*" + tessel::update::kDownloadSuffix), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(FromW(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

// What the checker said of the setup (its name, its parameters), removed from the environment so
// that what the runner starts does not inherit it.
std::u16string TakeVariable(const char16_t* variable) {
    wchar_t value[MAX_PATH + 1] = {};
    const DWORD length = GetEnvironmentVariableW(W(std::u16string(variable)), value, MAX_PATH + 1);
    SetEnvironmentVariableW(W(std::u16string(variable)), nullptr);
    return length > 0 && length <= MAX_PATH ? FromW(value) : std::u16string();
}

class Win32InstallFiles final : public tessel::update::IInstallFiles {
public:
    bool Exists(const std::u16string& path) override { return GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES; }
    bool Copy(const std::u16string& from, const std::u16string& to) override {
        return CopyFileW(W(from), W(to), FALSE) != FALSE;
    }
    // A file someone is reading (a virus scanner, the shell's preview) cannot be replaced for that
    // moment; the replacement is tried again for a few seconds before it counts as failed.
    bool Replace(const std::u16string& from, const std::u16string& to) override {
        for (DWORD waited = 0;; waited += kReplaceRetryMs) {
            if (MoveFileExW(W(from), W(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
            const DWORD error = GetLastError();
            if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) || waited >= kReplaceWaitMs)
                return false;
            Sleep(kReplaceRetryMs);
        }
    }
    bool Remove(const std::u16string& path) override {
        return DeleteFileW(W(path)) || GetLastError() == ERROR_FILE_NOT_FOUND;
    }
};

bool Start(const std::u16string& program, const std::u16string& arguments, const std::u16string& folder,
           DWORD waitMs) {
    std::u16string line = u"\"" + program + u"\"" + (arguments.empty() ? u"" : u" " + arguments);
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(W(program), W(line), nullptr, nullptr, FALSE, 0, nullptr, W(folder), &startup, &process))
        return false;
    if (waitMs) WaitForSingleObject(process.hProcess, waitMs);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

int Run() {
    tessel::update::RunnerCommand command;
    if (!tessel::update::ParseRunnerCommandLine(FromW(GetCommandLineW()), tessel::ExecutablePath(), command)) return 2;
    const std::u16string folder = tessel::FolderOf(command.ProgramPath);
    if (folder.empty()) return 2;
    WaitForProgramExit(command.ProgramPath);

    const std::u16string setup = TakeVariable(tessel::update::kSetupVariable);
    const std::u16string setupParams = TakeVariable(tessel::update::kSetupParamsVariable);
    Win32InstallFiles files;
    const tessel::update::InstallResult result =
        tessel::update::InstallDownloads(files, folder, tessel::update::InstallOrder(Downloads(folder), setup));
    // The setup is installed first when it came; without it there is nothing to run.
    if (command.Method == tessel::update::TUpgradeMethod::umUseExternalSetup && result.Ok && !setup.empty() &&
        !result.Installed.empty() && tessel::SameTextAscii(result.Installed.front(), folder + setup))
        Start(result.Installed.front(), setupParams, folder, kSetupWaitMs);
    return Start(command.ProgramPath, command.RestartParams, folder, 0) && result.Ok ? 0 : 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    try {
        return Run();
    } catch (...) {
        return 3;
    }
}
