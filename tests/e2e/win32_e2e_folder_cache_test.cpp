// tessel.exe with its cache files damaged or impossible to write, end to end: what the status
// panel says once both start-up syncs are over, and what the cache files hold afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/file_io.h"
#include "base/text.h"
#include "calendar/calendar.h"
#include "e2e_setup.h"
#include "win32_e2e_process.h"
#include "win32/win32_text.h"

namespace tessel::e2e {
namespace {

constexpr Millis kReadyTimeout{240000};
constexpr Millis kExitTimeout{60000};
constexpr wchar_t kMainClass[] = L"TMainFm";
constexpr wchar_t kDialogClass[] = L"#32770";
constexpr WPARAM kExitCommand = 109;
constexpr char16_t kMorning[] = u"2010-01-13 11:30:00";
// A port nothing listens on: every request of the run fails at once.
constexpr char kNoService[] = "localhost:9";

class ProgramRun {
public:
    ProgramRun(const e2e::Setup& setup, int left, const std::string& host,
               const std::function<void(const ProgramFolder&)>& prepare)
        : folder_(setup, Settings(left, host)) {
        prepare(folder_);
        program_ = std::make_unique<ProgramProcess>(folder_.ProgramFile(), EnvironmentOverrides{{u"TESSEL_NOW", kMorning}});
    }
    ~ProgramRun() {
        if (program_->Running()) program_->Kill();
    }
    const ProgramFolder& Folder() const { return folder_; }
    HWND Window() const { return program_->TopWindow(kMainClass); }
    std::optional<std::u16string> ShownStatus() const { return e2e::ShownStatus(Window()); }
    // A message box would hold the start up: none is expected, so one fails the case.
    bool BoxOpen() const {
        const HWND box = program_->TopWindow(kDialogClass);
        return box && IsWindowVisible(box);
    }
    bool Running() const { return program_->Running(); }
    bool Exit() {
        PostMessageW(Window(), WM_COMMAND, kExitCommand, 0);
        return program_->WaitForExit(kExitTimeout);
    }

private:
    static ProfileSettings Settings(int left, const std::string& host) {
        ProfileSettings settings;
        settings.Left = left;
        settings.Top = 360;
        settings.ServiceHost = host;
        return settings;
    }
    ProgramFolder folder_;
    std::unique_ptr<ProgramProcess> program_;
};

std::string LastLine(const std::string& text) {
    size_t end = text.find_last_not_of("\r\n");
    if (end == std::string::npos) return {};
    const size_t start = text.find_last_of('\n', end);
    return text.substr(start == std::string::npos ? 0 : start + 1, end + 1 - (start == std::string::npos ? 0 : start + 1));
}

// A cache cut short or not XML at all is replaced when the service answers, and said to be
// damaged when it does not; a cache that cannot be written costs only itself: the events that
// arrived are shown and the panel says the cache was not saved. The runs go side by side.
TEST(EndToEndFolderCache, DamagedOrUnwritableCacheIsToldOnTheStatusPanel) {
    const e2e::Setup setup = e2e::Setup::FromEnvironment();
    ASSERT_EQ(setup.Missing(), "");
    const auto cutEvents = [](const ProgramFolder& f) {
        // What is left of a longer feed still parses; only its end is missing.
        std::string cut = "<feed>\r\n";
        for (int i = 0; i < 40; ++i) cut += "<entry><id>x" + std::to_string(i) + "</id><title>cut</title></entry>\r\n";
        WriteFileAtomic(f.File(kEventCacheFile), cut);
        WriteFileAtomic(f.File(kCalendarCacheFile), "\x01 garbage, not a calendar list");
    };
    struct Case {
        const char* what;
        int left;
        std::string host;
        std::function<void(const ProgramFolder&)> prepare;
        std::optional<std::string> status;  // the panel's text at the end; none: hidden
    };
    const std::vector<Case> cases = {
        {"damaged cache, service reachable", 100, setup.ServiceHost(), cutEvents, std::nullopt},
        {"damaged cache, no service", 450, kNoService, cutEvents, std::string(kStatusCacheDamaged)},
        {"cache cannot be written", 800, setup.ServiceHost(),
         [](const ProgramFolder& f) { std::filesystem::create_directories(f.Path() / kCalendarCacheFile / "keep"); },
         std::string(kStatusCacheNotSaved)},
    };
    std::vector<std::unique_ptr<ProgramRun>> runs;
    for (const Case& c : cases) runs.push_back(std::make_unique<ProgramRun>(setup, c.left, c.host, c.prepare));

    for (size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        ProgramRun& run = *runs[i];
        const std::optional<std::u16string> expected =
            cases[i].status ? std::optional<std::u16string>(Utf8ToUtf16(*cases[i].status)) : std::nullopt;
        // Both start-up syncs are over when the panel shows what it should (or is put away)
        // and stays so; the second sync's report comes last.
        int steady = 0;
        ASSERT_TRUE(WaitUntil(
            [&] {
                if (run.BoxOpen() || !run.Running()) return true;
                const HWND window = run.Window();
                const bool done = window && IsWindowVisible(window) && run.ShownStatus() == expected;
                steady = done ? steady + 1 : 0;
                return steady >= 20;
            },
            kReadyTimeout))
            << "the panel never settled";
        ASSERT_FALSE(run.BoxOpen()) << "a message box was opened";
        ASSERT_TRUE(run.Running());
        EXPECT_TRUE(run.Exit());
    }
    // Replaced whole by the sync.
    const std::string events = ReadFileBytes(runs[0]->Folder().File(kEventCacheFile));
    EXPECT_EQ(LastLine(events), "</feed>");
    EXPECT_EQ(events.find("<title>cut</title>"), std::string::npos);
    EXPECT_EQ(LastLine(ReadFileBytes(runs[0]->Folder().File(kCalendarCacheFile))), "</feed>");
    // Kept as they were while nothing could replace them.
    EXPECT_NE(ReadFileBytes(runs[1]->Folder().File(kEventCacheFile)).find("<title>cut</title>"), std::string::npos);
    // The pair is written together or not at all.
    EXPECT_FALSE(FileExists(runs[2]->Folder().File(kEventCacheFile)));
}

}  // namespace
}  // namespace tessel::e2e
