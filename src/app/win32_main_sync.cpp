// The main window's side of a sync: the calendar client as the logic sees it, and the message
// pump that keeps the windows answering while a sync or a request waits for the service. A sync
// runs on this thread, so the timer, the menu and the power messages can arrive during one; Busy
// tells them so.
#include "app/win32_main_form.h"

#include "calendar/account.h"
#include "calendar/calendar.h"
#include "calendar/http.h"

namespace tessel {

bool TMainFm::Busy() const { return services_.Calendar.Syncing || (services_.Http && services_.Http->Waiting()); }

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

bool TMainFm::HasAccount() const { return !services_.Account.UserName.empty(); }

void TMainFm::Sync(TDateTime date) {
    services_.Calendar.Sync(date);
    services_.Calendar.ReleaseEventDoc();
}
std::u16string TMainFm::DayText(TDateTime day) { return services_.Calendar.DayText(day); }
TDateTime TMainFm::FindNextEvent() { return services_.Calendar.FindNextEvent(); }
void TMainFm::NotifyNextEvent() { services_.Calendar.NotifyNextEvent(); }

}  // namespace tessel
