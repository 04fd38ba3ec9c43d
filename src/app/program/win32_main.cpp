// tessel.exe: creates the process-wide objects in their order, the main window, and runs the
// message loop; the rest of start-up runs when the loop first becomes idle. The objects are
// destroyed in the reverse order after the main window, and the settings store's destruction
// writes profile.xml.
#include <windows.h>
#include <shlobj.h>

#include <memory>

#include "app/data_folder.h"
#include "app/profile_loading.h"
#include "app/win32_hint_win.h"
#include "app/win32_main_form.h"
#include "app/win32_tray_icon.h"
#include "base/clock.h"
#include "base/date_time.h"
#include "base/file_io.h"
#include "calendar/account.h"
#include "calendar/balloon_sink.h"
#include "calendar/calendar.h"
#include "calendar/event_sources.h"
#include "calendar/http.h"
#include "calendar/locale_format.h"
#include "calendar/service_hosts.h"
#include "calendar/subscriptions.h"
#include "ui/profile.h"
#include "ui/skin.h"
#include "ui/theme.h"
#include "ui/win32_balloon.h"
#include "ui/win32_drawing.h"
#include "win32/win32_dpi.h"
#include "win32/win32_late_bound.h"
#include "win32/win32_text.h"
#include "win32/win32_window.h"

namespace tessel {
namespace {

// The client is made before the tray icon, as the start-up order has it, but reminds through it.
class DeferredBalloons final : public IBalloonSink {
public:
    void ShowBalloon(const std::u16string& text, const std::u16string& title, int timeoutTenths) override {
        if (target) target->ShowBalloon(text, title, timeoutTenths);
    }
    IBalloonSink* target = nullptr;
};

// Tests and demos fix "now" with TESSEL_NOW="yyyy-mm-dd hh:nn:ss"; the clock then runs on from
// that moment at the real pace. Without it the program uses the machine's clock.
class StartedClock final : public IClock {
public:
    explicit StartedClock(TDateTime start) : start_(start), ticks_(GetTickCount64()) {}
    TDateTime Now() const override { return start_ + double(GetTickCount64() - ticks_) / kMSecsPerDay; }

private:
    TDateTime start_;
    ULONGLONG ticks_;
};

std::unique_ptr<IClock> MakeClock() {
    wchar_t buffer[64];
    const DWORD n = GetEnvironmentVariableW(L"TESSEL_NOW", buffer, 64);
    TDateTime start = 0;
    if (n > 0 && n < 64) {
        std::string text;
        for (DWORD i = 0; i < n; ++i) text.push_back(char(buffer[i]));
        if (TryParseDateTimeText(text, start)) return std::make_unique<StartedClock>(start);
    }
    return std::make_unique<SystemClock>();
}

// %LOCALAPPDATA%, or the system's local application-data folder when the variable is not set;
// empty when neither is known.
std::u16string LocalAppDataFolder() {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH + 1);
    if (n > 0 && n <= MAX_PATH) return win32::FromW(buffer);
    PWSTR known = nullptr;
    std::u16string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &known))) folder = win32::FromW(known);
    // The folder's text is the COM allocator's; the library is bound here, on this rare path,
    // rather than mapped at every start.
    static auto* const freeTaskMemory = win32::LateBound<decltype(CoTaskMemFree)>(L"ole32.dll", "CoTaskMemFree");
    if (freeTaskMemory) freeTaskMemory(known);
    return folder;
}

// The main window is created and run inside the objects' lifetime.
struct ProcessObjects {
    explicit ProcessObjects(const std::u16string& dataFolder)
        : Clock(MakeClock()), Locale(CreateSystemLocaleFormat()), Profile(LoadedProfile(dataFolder)),
          Account(dataFolder), Hosts(ReadServiceHosts(Profile->Doc)),
          Calendar(Http, &Account, *Clock, Hosts, dataFolder), Subscriptions(dataFolder),
          Sources(Calendar, Account, Subscriptions, Http, *Clock, *Locale, Balloons, dataFolder),
          ReadingAhead(ReadCacheAhead(Calendar, dataFolder)),
          HintWin(Sources, BalloonControl) {
        InitWideDrawing();
        Account.SetClient(&Calendar);
        Balloons.target = &Tray;
    }

    // The service's cache is read and made into events on a thread of its own while the windows
    // are made (the first window waits long for the system), from the account file as the main
    // window will read it; the start takes what it read (TCalendar::LoadCache). Whatever is wrong
    // with the file is told when the window reads it.
    static bool ReadCacheAhead(TCalendar& calendar, const std::u16string& dataFolder) {
        TAccount account(dataFolder);
        try {
            account.Load();
        } catch (const std::exception&) {
            return false;
        }
        calendar.ReadCacheAhead(account.UserName);
        return true;
    }

    // The hosts are settings the client needs at construction, so the settings are read once
    // here; the main window reads them again as it starts and tells what was wrong with them
    // then, together with the other stores' problems, so nothing is told twice.
    static std::unique_ptr<TProfile> LoadedProfile(const std::u16string& dataFolder) {
        auto profile = std::make_unique<TProfile>(dataFolder);
        EnsureProfileFile(dataFolder);
        LoadProfileForStart(*profile);
        return profile;
    }

    std::unique_ptr<IClock> Clock;
    std::unique_ptr<ILocaleFormat> Locale;
    DeferredBalloons Balloons;
    std::unique_ptr<TProfile> Profile;  // 1
    TAccount Account;                   // 2
    ServiceHosts Hosts;
    THttp Http;                         // 3
    TCalendar Calendar;                 // 4
    TSubscriptions Subscriptions;
    TEventSources Sources;
    // Made here, among the objects, so that the read ahead starts before the first window.
    bool ReadingAhead;
    TTheme Theme;                       // 5
    TALHintBalloonControl BalloonControl;  // 6
    TSkin MainSkin;                     // 7
    THintWin HintWin;                   // 7
    TTrayIcon Tray;                     // 8
    TSkin EventSkin;                    // 9
};

int Run() {
    // profile.xml, account.xml and the cache live beside the program unless its folder cannot be
    // written.
    ProcessObjects objects(ChooseDataFolder(ExecutableFolder(), LocalAppDataFolder()));
    TMainFm form(MainFormServices{*objects.Profile, objects.Account, objects.Calendar, objects.Subscriptions,
                                  objects.Sources, objects.Theme,
                                  objects.MainSkin, objects.Tray, *objects.Clock, objects.Hosts,
                                  objects.EventSkin, &objects.HintWin, &objects.Http});
    objects.Tray.SetOwner(&form);
    form.FormCreate();

    MSG msg;
    // The loop ends on the WM_QUIT the main window's end posts, or once that window is gone: a
    // modal loop of the system that was running when it went (Wine's loop of a window being sized
    // by its grip, for one) may have taken the WM_QUIT without posting it again.
    while (!form.Destroyed()) {
        // The deferred start runs the first time the queue is empty, after the first paint.
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) form.DeferredStart();
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    objects.Tray.SetOwner(nullptr);
    return 0;
}

}  // namespace
}  // namespace tessel

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Before the first window: windows made before it would stay at the system's resolution.
    tessel::win32::EnableDpiAwareness();
    try {
        return tessel::Run();
    } catch (...) {
        tessel::win32::ShowCurrentException(nullptr);
        return 1;
    }
}
