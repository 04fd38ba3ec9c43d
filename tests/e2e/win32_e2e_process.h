#pragma once
// A tessel.exe run for the end-to-end tests: a child process started with its own environment,
// found by its windows and driven by messages. Every wait is bounded; a run the test did not end
// is killed when the object goes away, so a failed test leaves no program behind.
#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tessel::e2e {

using Millis = std::chrono::milliseconds;
using Moment = std::chrono::steady_clock::time_point;

// Polls the condition every interval until it holds or the timeout has passed; true when it held.
bool WaitUntil(const std::function<bool()>& condition, Millis timeout, Millis interval = Millis(50));

struct KernelHandleCloser {
    void operator()(HANDLE h) const noexcept {
        if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};
using KernelHandle = std::unique_ptr<void, KernelHandleCloser>;

// SendMessageTimeout: the program answers or the send gives up; nothing when it gave up.
std::optional<LRESULT> SendWithin(HWND window, UINT msg, WPARAM wp, LPARAM lp, Millis timeout);

// The first child window of parent with this class; null when there is none.
HWND FindChildOfClass(HWND parent, const wchar_t* className);

// A visible top-level window of the process with the class, or null.
HWND VisibleTopWindow(DWORD processId, const wchar_t* className);

// The window's text (WM_GETTEXT, up to 4,096 characters); empty when it does not answer in time.
std::u16string TextWithin(HWND window, Millis timeout);

// The text of the main window's status panel while it is shown; nothing while it is hidden.
std::optional<std::u16string> ShownStatus(HWND mainWindow);

// A program started without a cache syncs twice before it settles: once for the missing cache,
// then the start-up's own sync, and its month is on screen before either. Both are over once the
// service has answered two sign-ins since the start (it logs one after the status panel went up)
// and the panel is gone again.
bool StartUpSyncsEnded(HWND mainWindow, int signInsSinceStart);

using EnvironmentOverrides = std::vector<std::pair<std::u16string, std::u16string>>;

class ProgramProcess {
public:
    // Starts program in its own folder with this process's environment plus the overrides, and
    // the arguments after its quoted name on the command line.
    ProgramProcess(const std::u16string& program, const EnvironmentOverrides& environment,
                   const std::u16string& arguments = {});
    ~ProgramProcess();
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    bool Started() const { return process_ != nullptr; }
    // GetLastError of the last failed start; 0 when the first start succeeded.
    DWORD StartError() const { return startError_; }
    DWORD Id() const { return id_; }
    HANDLE Handle() const { return process_.get(); }
    Moment StartedAt() const { return startedAt_; }
    bool Running() const;
    // False when the process is still running after the timeout.
    bool WaitForExit(Millis timeout) const;
    // Ends a run the test gave up on; bounded.
    void Kill();

    // A top-level window of this process with the class, or null.
    HWND TopWindow(const wchar_t* className) const;
    // Waits for that window; null after the timeout or when the process ended first.
    HWND WaitForTopWindow(const wchar_t* className, Millis timeout) const;
    // A visible dialog of the program with this caption, or null.
    HWND DialogNamed(const wchar_t* caption) const;

private:
    KernelHandle process_;
    DWORD id_ = 0;
    DWORD startError_ = 0;
    Moment startedAt_{};
};

}  // namespace tessel::e2e
