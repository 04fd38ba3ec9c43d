// The main window's side of a sync: the calendar client as the logic sees it, and the message
// pump that keeps the windows answering while a sync or a request waits for the service. A sync
// runs on this thread, so the timer, the menu and the power messages can arrive during one; Busy
// tells them so.
#include "app/win32_main_form.h"

#include "calendar/account.h"
#include "calendar/calendar.h"
#include "calendar/event_sources.h"
#include "calendar/subscriptions.h"
#include "calendar/http.h"

namespace tessel {

bool TMainFm::Busy() const {
    return services_.Sources.Syncing || services_.Calendar.Syncing || (services_.Http && services_.Http->Waiting());
}

void TMainFm::ProcessMessages() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            PostQuitMessage(int(m.wParam));  // leave it for the main loop
            break;
        }
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

// Something to sync: an account to sign in with, or a subscription.
bool TMainFm::HasAccount() const {
    return services_.Sources.HasAccount() || !services_.Subscriptions.Items.empty() ||
           !services_.Subscriptions.Accounts.empty();
}

void TMainFm::Sync(TDateTime date) {
    services_.Sources.Sync(date);
    services_.Calendar.ReleaseEventDoc();
}
std::u16string TMainFm::DayText(TDateTime day) { return services_.Sources.DayText(day); }
TDateTime TMainFm::FindNextEvent() { return services_.Sources.FindNextEvent(); }
void TMainFm::NotifyNextEvent() { services_.Sources.NotifyNextEvent(); }

void TMainFm::ReloadSources() {
    try {
        services_.Subscriptions.Load();
    } catch (...) {
        services_.Sources.Reload();
        throw;
    }
    services_.Sources.Reload();
}

}  // namespace tessel
