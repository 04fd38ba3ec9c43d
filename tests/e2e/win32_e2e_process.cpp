#include "win32_e2e_process.h"

#include <cstdio>
#include <thread>

#include "base/file_io.h"
#include "base/text.h"
#include "win32/win32_text.h"

namespace tessel::e2e {

using win32::FromW;
using win32::W;

namespace {

struct EnvironmentBlockFree {
    void operator()(wchar_t* block) const noexcept { FreeEnvironmentStringsW(block); }
};

std::u16string NameOf(const std::u16string& entry) {
    // Entries such as "=C:=C:\" start with the separator; their name runs to the second one.
    const size_t equals = entry.find(u'=', 1);
    return entry.substr(0, equals);
}

// This process's environment with the overrides replacing variables of the same name (names
// compare without regard to case, as Windows does), as a CreateProcessW block.
std::u16string EnvironmentBlock(const EnvironmentOverrides& overrides) {
    std::u16string block;
    std::unique_ptr<wchar_t, EnvironmentBlockFree> current(GetEnvironmentStringsW());
    for (const wchar_t* p = current.get(); p && *p; p += wcslen(p) + 1) {
        const std::u16string entry = FromW(p);
        bool replaced = false;
        for (const auto& [name, value] : overrides) replaced = replaced || SameTextAscii(NameOf(entry), name);
        if (!replaced) block += entry + u'\0';
    }
    for (const auto& [name, value] : overrides) block += name + u'=' + value + u'\0';
    block += u'\0';
    return block;
}

struct WindowSearch {
    DWORD process;
    const wchar_t* className;
    HWND found;
    bool visibleOnly = false;
};

BOOL CALLBACK MatchTopWindow(HWND window, LPARAM lp) {
    auto* search = reinterpret_cast<WindowSearch*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t cls[128];
    if (owner == search->process && (!search->visibleOnly || IsWindowVisible(window)) &&
        GetClassNameW(window, cls, 128) > 0 && wcscmp(cls, search->className) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, Millis timeout, Millis interval) {
    const Moment end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(interval);
    }
}

std::optional<LRESULT> SendWithin(HWND window, UINT msg, WPARAM wp, LPARAM lp, Millis timeout) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, msg, wp, lp, SMTO_NORMAL, UINT(timeout.count()), &result)) return std::nullopt;
    return LRESULT(result);
}

HWND FindChildOfClass(HWND parent, const wchar_t* className) {
    return FindWindowExW(parent, nullptr, className, nullptr);
}

std::u16string TextWithin(HWND window, Millis timeout) {
    wchar_t text[4096] = {};
    const auto answered = SendWithin(window, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text), timeout);
    return answered ? win32::FromW(text) : std::u16string();
}

std::optional<std::u16string> ShownStatus(HWND mainWindow) {
    const HWND panel = mainWindow ? FindWindowExW(mainWindow, nullptr, L"TesselMsgPanel", nullptr) : nullptr;
    if (!panel || !IsWindowVisible(panel)) return std::nullopt;
    wchar_t text[256] = {};
    GetWindowTextW(panel, text, 256);
    return win32::FromW(text);
}

bool StartUpSyncsEnded(HWND mainWindow, int signInsSinceStart) {
    return signInsSinceStart >= 2 && !ShownStatus(mainWindow);
}

ProgramProcess::ProgramProcess(const std::u16string& program, const EnvironmentOverrides& environment,
                               const std::u16string& arguments) {
    std::u16string commandLine = u"\"" + program + u"\"" + (arguments.empty() ? u"" : u" " + arguments);
    std::u16string block = EnvironmentBlock(environment);
    const std::u16string folder = FolderOf(program);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // Wine now and then fails to start a process and succeeds a moment later (seen once in many
    // runs); each failure is said, with its code, and the start is tried again, three times in all.
    for (int attempt = 1;; ++attempt) {
        startedAt_ = std::chrono::steady_clock::now();
        if (CreateProcessW(W(program), W(commandLine), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                           block.data(), folder.empty() ? nullptr : W(folder), &startup, &info))
            break;
        startError_ = GetLastError();
        std::fprintf(stderr, "CreateProcess of %s failed (attempt %d): error %lu\n", Utf16ToUtf8(program).c_str(),
                     attempt, static_cast<unsigned long>(startError_));
        if (attempt == 3) return;
        Sleep(500);
    }
    CloseHandle(info.hThread);
    process_.reset(info.hProcess);
    id_ = info.dwProcessId;
}

ProgramProcess::~ProgramProcess() { Kill(); }

bool ProgramProcess::Running() const { return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

bool ProgramProcess::WaitForExit(Millis timeout) const {
    return !process_ || WaitForSingleObject(process_.get(), DWORD(timeout.count())) == WAIT_OBJECT_0;
}

void ProgramProcess::Kill() {
    if (!Running()) return;
    TerminateProcess(process_.get(), 99);
    WaitForExit(Millis(10000));
}

HWND VisibleTopWindow(DWORD processId, const wchar_t* className) {
    WindowSearch search{processId, className, nullptr, true};
    EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ProgramProcess::TopWindow(const wchar_t* className) const {
    WindowSearch search{id_, className, nullptr};
    EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ProgramProcess::DialogNamed(const wchar_t* caption) const {
    HWND found = FindWindowW(L"#32770", caption);
    DWORD owner = 0;
    if (found) GetWindowThreadProcessId(found, &owner);
    return found && owner == id_ && IsWindowVisible(found) ? found : nullptr;
}

HWND ProgramProcess::WaitForTopWindow(const wchar_t* className, Millis timeout) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = TopWindow(className)) != nullptr || !Running(); }, timeout);
    return found;
}

}  // namespace tessel::e2e
