// tessel_startup_probe PROGRAM NOW [HOLD_FILE]: starts tessel.exe (PROGRAM) with TESSEL_NOW=NOW
// and reports, in milliseconds from the moment before CreateProcess, when its main window
// appeared and when its month grid first showed its cells on screen (the header row's day
// names: every cell is drawn in the same pass, the first time once the start-up has loaded the
// cache, before its sync). NOW must be a day of January 2010, the month the probe expects.
//
// tessel_startup_probe --empty PROGRAM [HOLD_FILE]: the same two moments for the empty-window
// program (win32_empty_window.cpp): its window, and its window showing its colour on screen.
//
// With HOLD_FILE the probe waits for the start-up's sync to end (tessel.exe), then keeps the
// program running while that file exists (at most 10 minutes), so the figure script can read its
// memory and CPU time from outside; the probe reports the Windows view of both before it ends
// the program ("&Exit", or closing the empty window).
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "base/date_time.h"
#include "base/file_io.h"
#include "base/text.h"
#include "e2e_month.h"
#include "empty_window.h"
#include "win32/win32_text.h"
#include "win32_e2e_grid.h"
#include "win32_e2e_process.h"
#include "win32_e2e_screen.h"

namespace {

using namespace tessel;
using namespace tessel::e2e;

constexpr Millis kPoll{2};
constexpr Millis kStartTimeout{180000};
constexpr Millis kHoldLimit{600000};

double MillisSince(Moment start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Seconds(const FILETIME& t) {
    return double((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
}

void ReportUsage(HANDLE process, const char* when) {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    // (Wine answers the working set of another process but not its private bytes.)
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory))
        std::printf("%s_working_set_kb=%llu\n", when, static_cast<unsigned long long>(memory.WorkingSetSize / 1024));
    FILETIME created, exited, kernel, user;
    if (GetProcessTimes(process, &created, &exited, &kernel, &user))
        std::printf("%s_cpu_s=%.3f\n", when, Seconds(kernel) + Seconds(user));
    std::fflush(stdout);
}

void ReportPainted(const ProgramProcess& process) {
    std::printf("first_paint_ms=%.0f\n", MillisSince(process.StartedAt()));
    std::printf("windows_pid=%lu\n", static_cast<unsigned long>(process.Id()));
    std::fflush(stdout);
}

// With a hold file: reports the usage once the program is ready, keeps it running while the file
// exists and reports again. Then ends it with `end` and waits for it to go.
template <class End>
int HoldAndEnd(const ProgramProcess& process, HWND window, const std::u16string& holdFile, End end, const char* how) {
    if (!holdFile.empty()) {
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &answer)) {
            std::fprintf(stderr, "the program does not answer\n");
            return 1;
        }
        ReportUsage(process.Handle(), "ready");
        WaitUntil([&] { return !FileExists(holdFile) || !process.Running(); }, kHoldLimit, Millis(200));
        ReportUsage(process.Handle(), "held");
    }
    end();
    if (!process.WaitForExit(Millis(60000))) {
        std::fprintf(stderr, "the program did not end after %s\n", how);
        return 1;
    }
    return 0;
}

int Probe(const std::u16string& program, const std::string& now, const std::u16string& holdFile) {
    const ExpectedMonth month = ExpectedMonth::Of(2010, 1);
    TDateTime today = 0;
    if (!TryParseDateTimeText(now, today) || !month.InMonth(int(today))) {
        std::fprintf(stderr, "NOW must be a day of January 2010\n");
        return 2;
    }
    const GridColors colors = GridColors::FromTheme(std::filesystem::path(FolderOf(program)) / "theme" / "default");

    ProgramProcess process(program, {{u"TESSEL_NOW", Widen(now)}});
    if (!process.Started()) {
        std::fprintf(stderr, "tessel.exe did not start\n");
        return 1;
    }
    HWND window = nullptr;
    if (!WaitUntil([&] { return (window = process.TopWindow(L"TMainFm")) != nullptr || !process.Running(); },
                   kStartTimeout, kPoll) ||
        !window) {
        std::fprintf(stderr, "no main window\n");
        return 1;
    }
    std::printf("window_ms=%.0f\n", MillisSince(process.StartedAt()));
    HWND grid = nullptr;
    const bool painted = WaitUntil(
        [&] {
            if (!grid) grid = FindWindowExW(window, nullptr, L"TesselCalGrid", nullptr);
            if (!grid || !IsWindowVisible(grid)) return false;
            const GridView view(grid, month);
            return view.Valid() && view.HeaderShare(colors.Header) >= 0.005;
        },
        kStartTimeout, kPoll);
    if (!painted) {
        std::fprintf(stderr, "the grid never showed the month\n");
        return 1;
    }
    ReportPainted(process);

    if (!holdFile.empty()) {
        // The sync is over when the status panel shows its last word ("close", or an error that
        // stays on screen); before the sync starts the panel has no text at all.
        const bool synced = WaitUntil(
            [&] {
                const HWND panel = FindWindowExW(window, nullptr, L"TesselMsgPanel", nullptr);
                wchar_t text[128] = {};
                if (panel) GetWindowTextW(panel, text, 128);
                return !process.Running() || (text[0] && std::wstring(text) != L"Sync Google Calendar ...");
            },
            kStartTimeout, Millis(50));
        if (!synced) {
            std::fprintf(stderr, "the start-up did not end\n");
            return 1;
        }
    }
    return HoldAndEnd(process, window, holdFile, [&] { PostMessageW(window, WM_COMMAND, 109, 0); }, "&Exit");
}

int ProbeEmpty(const std::u16string& program, const std::u16string& holdFile) {
    using namespace tessel::startup;
    ProgramProcess process(program, {});
    if (!process.Started()) {
        std::fprintf(stderr, "the empty-window program did not start\n");
        return 1;
    }
    HWND window = nullptr;
    if (!WaitUntil([&] { return (window = process.TopWindow(kEmptyWindowClass)) != nullptr || !process.Running(); },
                   kStartTimeout, kPoll) ||
        !window) {
        std::fprintf(stderr, "no window\n");
        return 1;
    }
    std::printf("window_ms=%.0f\n", MillisSince(process.StartedAt()));
    const bool painted = WaitUntil(
        [&] {
            if (!IsWindowVisible(window)) return false;
            const Image image = CaptureWindow(window);
            return !image.Empty() && ShareNear(image, RECT{0, 0, image.Width, image.Height}, kEmptyWindowColor) >= 0.9;
        },
        kStartTimeout, kPoll);
    if (!painted) {
        std::fprintf(stderr, "the window never showed its colour\n");
        return 1;
    }
    ReportPainted(process);
    return HoldAndEnd(process, window, holdFile, [&] { PostMessageW(window, WM_CLOSE, 0, 0); }, "closing its window");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: tessel_startup_probe PROGRAM NOW [HOLD_FILE]\n"
                             "       tessel_startup_probe --empty PROGRAM [HOLD_FILE]\n");
        return 2;
    }
    try {
        if (std::wstring(argv[1]) == L"--empty")
            return ProbeEmpty(win32::FromW(argv[2]), argc == 4 ? win32::FromW(argv[3]) : std::u16string());
        return Probe(win32::FromW(argv[1]), Utf16ToUtf8(win32::FromW(argv[2])),
                     argc == 4 ? win32::FromW(argv[3]) : std::u16string());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
