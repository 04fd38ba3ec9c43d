#pragma once
// What the end-to-end tests are given by their ctest fixture, and the program folders they make.
//
// The fixture (scripts/e2e-fixture) starts the local calendar service with demo data around a
// fixed day and writes the demo account for it. The tests learn where everything is from the
// environment:
//   TESSEL_E2E_DIR      the fixture's folder: account.xml, service/ports, service/service.log
//   TESSEL_E2E_PROGRAM  tessel.exe
//   TESSEL_E2E_THEME    the theme folder to install as theme/default
#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace tessel::e2e {

// The day and moment the fixture's demo data centre on (the service's --today and --now).
inline constexpr int kTodayYear = 2010, kTodayMonth = 1, kTodayDay = 13;
inline constexpr char kServiceNow[] = "2010-01-13 12:00:00";
// "Call the office (reminder test)" starts 15 minutes after the service's now, on a whole minute.
inline constexpr char kReminderStart[] = "12:15";
inline constexpr char kReminderEnd[] = "12:45";
inline constexpr char kReminderTitle[] = "Call the office (reminder test)";
// The demo account's cache files: the user name lower-cased.
inline constexpr char16_t kEventCacheFile[] = u"demo@localhost.xml";
inline constexpr char16_t kCalendarCacheFile[] = u"demo@localhost-cat.xml";

struct Setup {
    std::filesystem::path FixtureDir;
    std::filesystem::path Program;
    std::filesystem::path Theme;

    // Empty when a variable is missing (the suite then reports what is missing).
    static Setup FromEnvironment();
    std::string Missing() const;

    // 127.0.0.1:PORT of the service's https port, which answers plain HTTP as well.
    std::string ServiceHost() const;
    // The SHA-256 of the service's certificate, which the program folders pin.
    std::string ServiceCertificate() const;
    // The service's request log, one line per request.
    std::vector<std::string> ServiceLog() const;
    // Sign-ins the service has answered so far.
    int SignInCount() const;
};

// The settings a test starts the program with.
struct ProfileSettings {
    int Left = 500;
    int Top = 300;
    bool Visible = true;
    bool EventWindowVisible = false;
    // The event list window's stored place; 0 keeps the program's own choice.
    int EventLeft = 0;
    int EventTop = 0;
    int EventWidth = 0;
    int EventHeight = 0;
    // Fully opaque, so the pixels read back are the program's own, not a blend with the desktop.
    int Transparency = 100;
    // The service host; a closed port makes every request fail at once.
    std::string ServiceHost;
    // Pinned for the service; a program folder takes the service's own when this is empty.
    std::string Certificate;
};

// A program folder as the program expects it: tessel.exe, theme/default, account.xml and
// profile.xml beside each other; removed with everything in it at the end of the test.
class ProgramFolder {
public:
    ProgramFolder(const Setup& setup, const ProfileSettings& settings);

    std::u16string ProgramFile() const { return folder_.File(u"tessel.exe"); }
    std::u16string File(const std::u16string& name) const { return folder_.File(name); }
    std::u16string Folder() const { return folder_.Folder(); }
    const std::filesystem::path& Path() const { return folder_.Path(); }
    // Copies a file of another program folder into this one (a cache, for a start that has one).
    void CopyFrom(const ProgramFolder& other, const std::u16string& name) const;

private:
    testing::TempFolder folder_;
};

std::string ProfileText(const ProfileSettings& settings);

}  // namespace tessel::e2e
